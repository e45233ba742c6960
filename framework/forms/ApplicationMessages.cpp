// The application window's messages: the hooks that see them first, the short-cuts, the
// window procedure and the handlers of the application's message table.

#include <vector>

#include "framework/controls/ExceptionBoundary.h"
#include "framework/controls/OwnMessages.h"
#include "framework/controls/WinControl.h"
#include "framework/forms/Application.h"
#include "framework/forms/CustomForm.h"
#include "framework/forms/Screen.h"
#include "framework/forms/ThreadWindows.h"
#include "framework/graphics/PenBrush.h"
#include "framework/runtime/Finally.h"

namespace sx {

// --- Hooks and short-cuts -------------------------------------------------------------------

void TApplication::HookMainWindow(const TWindowHook& hook) {
  if (handle_)
    SendOwnMessage(handle_, FWM_WINDOWHOOK, reinterpret_cast<WPARAM>(&hook), 1);
  else
    windowHooks_.push_back(hook);
}

void TApplication::UnhookMainWindow(const TWindowHook& hook) {
  if (handle_)
    SendOwnMessage(handle_, FWM_WINDOWHOOK, reinterpret_cast<WPARAM>(&hook), 0);
  else
    std::erase(windowHooks_, hook);
}

bool TApplication::IsShortCut(TMessage& message) {
  bool handled = false;
  if (OnAppShortCut) OnAppShortCut(message, handled);
  if (!handled && mainForm_ && mainForm_->HandleAllocated() && IsWindowEnabled(mainForm_->Handle()))
    handled = mainForm_->IsShortCut(message);
  return handled;
}

// --- The application window's messages ------------------------------------------------------

void TApplication::WndProc(TMessage& message) {
  RunReported(this, [this, &message] {
    // A hook may unhook itself; walk a copy.
    const std::vector<TWindowHook> hooks = windowHooks_;
    for (const TWindowHook& hook : hooks) {
      bool handled = false;
      hook(message, handled);
      if (handled) return;
    }
    CheckSettings(message);
    if (!DispatchFromTable(*this, &Messages, message)) DefaultHandling(message);
  });
}

void TApplication::DefaultHandling(TMessage& message) {
  message.Result = CallWindowProcA(defaultProc_ ? defaultProc_ : &DefWindowProcA, handle_,
                                   message.Msg, message.WParam, message.LParam);
}

void TApplication::CheckSettings(TMessage& message) {
  const UINT taskbarCreated = TaskbarCreatedMessage();
  const bool taskbar = taskbarCreated != 0 && message.Msg == taskbarCreated;
  if (message.Msg != WM_WININICHANGE && !taskbar) return;
  if (updateFormatSettings_) SetThreadLocale(LOCALE_USER_DEFAULT);
  if (updateMetricSettings_ && Screen) Screen->ReadMetrics();
  if (taskbar && Screen) Screen->ResetFonts();
}

void TApplication::WMNull(TMessage&) {
  RunCrossThreadCalls();
}

void TApplication::WMSetFocus(TMessage& message) {
  PostOwnMessage(handle_, FWM_ENTER);
  DefaultHandling(message);
}

void TApplication::FWMEnter(TMessage&) {
  if (IsIconic(handle_) || GetFocus() != handle_) return;
  if (HWND window = FindFirstThreadWindow(nullptr)) SetFocus(window);
}

void TApplication::WMEnable(TMessage& message) {
  if (!message.WParam) {
    DefaultHandling(message);
    if (!hasSavedWindows_) {
      savedWindows_ = DisableThreadWindows(handle_);
      hasSavedWindows_ = true;
    }
    LowerTopMostWindows(true);
  } else {
    RaiseTopMostWindows();
    if (hasSavedWindows_) {
      ReenableWindows(savedWindows_);
      hasSavedWindows_ = false;
    }
    DefaultHandling(message);
  }
}

void TApplication::WMPaint(TMessage& message) {
  if (!IsIconic(handle_)) {
    DefaultHandling(message);
    return;
  }
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(handle_, &paint);
  DrawIcon(dc, 0, 0, IconHandle());
  EndPaint(handle_, &paint);
}

void TApplication::WMClose(TMessage&) {
  if (mainForm_) mainForm_->Close();
}

void TApplication::WMEraseBkgnd(TMessage& message) {
  message.Msg = WM_ICONERASEBKGND;
  DefaultHandling(message);
}

void TApplication::WMEndSession(TMessage& message) {
  if (message.WParam) terminated_ = true;
}

void TApplication::WMWinIniChange(TMessage& message) {
  if (Mouse) Mouse->SettingChanged(static_cast<UINT>(message.WParam));
  if (OnAppSettingChange) OnAppSettingChange(this);
  DefaultHandling(message);
}

void TApplication::WMSysColorChange(TMessage& message) {
  // Every top-level window of the process hears of the change. The application window, the
  // one that is always there, lets the pens and brushes made for system colours go and has
  // every form painted anew with the ones made in their place.
  SystemColorsChanged();
  if (Screen)
    for (int i = 0; i < Screen->CustomFormCount(); ++i)
      if (TCustomForm* form = Screen->CustomForm(i); form->HandleAllocated())
        RedrawWindow(form->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  DefaultHandling(message);
}

void TApplication::WMActivateApp(TMessage& message) {
  DefaultHandling(message);
  active_ = message.WParam != 0;
  if (active_) {
    RaiseTopMostWindows();
    PostOwnMessage(handle_, FWM_ACTIVATE);
  } else {
    LowerTopMostWindows(false);
    PostOwnMessage(handle_, FWM_DEACTIVATE);
  }
}

void TApplication::FWMActivate(TMessage&) {
  if (OnAppActivate) OnAppActivate(this);
}

void TApplication::FWMDeactivate(TMessage&) {
  if (OnAppDeactivate) OnAppDeactivate(this);
}

void TApplication::WMFontChange(TMessage& message) {
  if (Screen) Screen->ResetFonts();
  DefaultHandling(message);
}

void TApplication::WMQueryDragIcon(TMessage& message) {
  message.Result = reinterpret_cast<LRESULT>(IconHandle());
}

void TApplication::WMSysCommand(TMessage& message) {
  switch (message.WParam & 0xFFF0) {
    case SC_MINIMIZE:
      MinimizeApp();
      break;
    case SC_RESTORE:
      RestoreApp();
      break;
    default:
      DefaultHandling(message);
  }
}

void TApplication::WMCtlColor(TMessage& message) {
  if (!TWinControl::ReflectToChild(handle_, message)) DefaultHandling(message);
}

void TApplication::FWMAppKeyDown(TMessage& message) {
  if (IsShortCut(message)) message.Result = 1;
}

void TApplication::FWMAppSysCommand(TMessage& message) {
  if (!mainForm_ || !mainForm_->HandleAllocated()) return;
  HWND main = mainForm_->Handle();
  if (!IsWindowEnabled(main) || !IsWindowVisible(main)) return;
  SetFocusMessages(false);
  HWND focus = GetFocus();
  const Finally restore([focus] {
    SetFocus(focus);
    SetFocusMessages(true);
  });
  SetFocus(main);
  mainForm_->DeliverMessage(WM_SYSCOMMAND, message.WParam, message.LParam);
  message.Result = 1;
}

void TApplication::FWMWindowHook(TMessage& message) {
  const auto& hook = *reinterpret_cast<const TWindowHook*>(message.WParam);
  if (message.LParam)
    windowHooks_.push_back(hook);
  else
    std::erase(windowHooks_, hook);
}

}  // namespace sx
