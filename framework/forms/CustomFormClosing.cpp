// A form closing: asking and notifying, hiding, minimising or freeing it, and the modal run,
// which lasts until the form closes with a result.

#include "framework/controls/ExceptionBoundary.h"
#include "framework/controls/OwnMessages.h"
#include "framework/forms/CustomForm.h"
#include "framework/forms/Screen.h"
#include "framework/forms/ThreadWindows.h"
#include "framework/runtime/Finally.h"
#include "framework/runtime/Texts.h"

namespace sx {

// --- Closing --------------------------------------------------------------------------------

bool TCustomForm::QueryClose() {
  bool canClose = true;
  if (onCloseQuery_) onCloseQuery_(this, canClose);
  return canClose;
}

void TCustomForm::NotifyClose(TCloseAction& action) {
  if (onClose_) onClose_(this, action);
}

bool TCustomForm::CloseByButton() {
  Close();
  return true;
}

void TCustomForm::Close() {
  if (formState_.Contains(FormState::Modal)) {
    modalResult_ = mrCancel;
    return;
  }
  if (!QueryClose()) return;
  TCloseAction action = closeHide;
  if (formStyle_ == fsMDIChild)
    action = borderIcons_.Contains(biMinimize) ? closeMinimize : closeNone;
  NotifyClose(action);
  if (action == closeNone) return;
  if (Application && static_cast<TCustomForm*>(Application->MainForm()) == this) {
    Application->Terminate();
    return;
  }
  switch (action) {
    case closeHide:
      Hide();
      break;
    case closeMinimize:
      SetWindowState(wsMinimized);
      break;
    case closeFree:
      ReleaseLater();
      break;
    case closeNone:
      break;
  }
}

void TCustomForm::WMClose(TMessage&) {
  Close();
}

void TCustomForm::WMQueryEndSession(TMessage& message) {
  message.Result = QueryClose() ? 1 : 0;
}

void TCustomForm::ReleaseLater() {
  PostOwnMessage(Handle(), FWM_RELEASE);
}

void TCustomForm::FWMRelease(TMessage&) {
  // Nothing of the form may be touched after this.
  Free();
}

// --- Modal runs -----------------------------------------------------------------------------

bool TCustomForm::Modal() const {
  return formState_.Contains(FormState::Modal);
}

TModalResult TCustomForm::RunModal() {
  if (Visible() || !Enabled() || formState_.Contains(FormState::Modal) || formStyle_ == fsMDIChild)
    throw EInvalidOperation(LoadText(TextId::SCannotShowModal));
  if (HWND capture = GetCapture()) {
    SendMessageA(capture, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
  }
  formState_.Include(FormState::Modal);
  HWND activeWindow = GetActiveWindow();
  const int focusCount = FocusCount();
  Screen->PushFocusedForm(Screen->FocusedForm());
  Screen->SetFocusedForm(this);
  const TCursor savedCursor = Screen->Cursor();
  Screen->SetCursor(crDefault);
  // Taken after the default cursor is set: a change during the run shows as a new count.
  const int cursorCount = Screen->CursorCount();
  TWindowList disabled;
  Finally restore([&] {
    Screen->SetCursor(Screen->CursorCount() == cursorCount ? savedCursor : crDefault);
    ReenableWindows(disabled);
    Screen->SetFocusedForm(Screen->PopFocusedForm());
    if (activeWindow) SetActiveWindow(activeWindow);
    SetFocusCount(focusCount);
    formState_.Exclude(FormState::Modal);
  });
  disabled = DisableThreadWindows(nullptr);
  TModalResult result = mrNone;
  {
    Finally hide([this] { RunReported(this, [this] { Hide(); }); });
    Show();
    DeliverMessage(FWM_ACTIVATE);
    modalResult_ = mrNone;
    do {
      Application->HandleNextMessage();
      if (Application->Terminated())
        modalResult_ = mrCancel;
      else if (modalResult_ != mrNone)
        TryCloseModal();
    } while (modalResult_ == mrNone);
    result = modalResult_;
    DeliverMessage(FWM_DEACTIVATE);
    if (GetActiveWindow() != Handle()) activeWindow = nullptr;
  }
  return result;
}

void TCustomForm::TryCloseModal() {
  try {
    TCloseAction action = closeNone;
    if (QueryClose()) {
      action = closeHide;
      NotifyClose(action);
    }
    if (action == closeNone)
      modalResult_ = mrNone;
    else if (action == closeFree)
      ReleaseLater();
  } catch (...) {
    modalResult_ = mrNone;
    ReportCurrentException(this);
  }
}

}  // namespace sx
