// The focus inside a form: the tab order, the form's activation, which control is active and
// which has the focus, the notifications on the way between them, and the dialog keys that
// move the focus.

#include <algorithm>
#include <vector>

#include "framework/forms/CustomForm.h"
#include "framework/forms/Screen.h"
#include "framework/runtime/Finally.h"
#include "framework/runtime/Texts.h"

namespace sx {
namespace {

bool KeyDown(int key) {
  return GetKeyState(key) < 0;
}

}  // namespace

// --- Tab order ------------------------------------------------------------------------------

TWinControl* FindNextControl(const TWinControl* container, TWinControl* current, bool forward,
                             bool checkTabStop, bool checkParent) {
  std::vector<TWinControl*> list;
  container->CollectTabOrder(list);
  if (list.empty()) return nullptr;
  const int count = static_cast<int>(list.size());
  const auto found = std::find(list.begin(), list.end(), current);
  const int start =
      found != list.end() ? static_cast<int>(found - list.begin()) : (forward ? count - 1 : 0);
  int i = start;
  do {
    i = forward ? (i + 1) % count : (i + count - 1) % count;
    TWinControl* candidate = list[static_cast<std::size_t>(i)];
    if (candidate->CanFocus() && (!checkTabStop || candidate->TabStop()) &&
        (!checkParent || candidate->Parent() == container))
      return candidate;
  } while (i != start);
  return nullptr;
}

void SelectNext(TWinControl* container, TWinControl* current, bool forward, bool checkTabStop) {
  if (TWinControl* next = FindNextControl(container, current, forward, checkTabStop, !checkTabStop))
    next->SetFocus();
}
// --- Activation and focus -------------------------------------------------------------------

void TCustomForm::MessageProc(TMessage& message) {
  if (const UINT taskbarCreated = TaskbarCreatedMessage();
      taskbarCreated != 0 && message.Msg == taskbarCreated) {
    // The shell restarted, perhaps after settings, colours and fonts changed without
    // anybody telling the form.
    for (const UINT notice : {FWM_SETTINGSCHANGED, FWM_SYSCOLORCHANGED, FWM_SYSFONTCHANGED,
                              FWM_PARENTCOLORCHANGED, FWM_PARENTFONTCHANGED, FWM_PARENTBIDICHANGED})
      DeliverMessage(notice);
  }
  switch (message.Msg) {
    case WM_ACTIVATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (!FocusMessages()) return;
      if (message.Msg == WM_SETFOCUS && !Has(ComponentState::Designing) && activeControl_ &&
          activeControl_ != this) {
        ::SetFocus(activeControl_->Handle());
        return;
      }
      break;
  }
  TScrollingWinControl::MessageProc(message);
}

void TCustomForm::WMActivate(TMessage& message) {
  const bool activating = LOWORD(message.WParam) != WA_INACTIVE;
  if (formState_.Contains(FormState::Creating)) {
    if (activating) formState_.Include(FormState::ActivationPending);
    return;
  }
  if (formStyle_ != fsMDIForm || Has(ComponentState::Designing)) SetActive(activating);
}

void TCustomForm::SetActive(bool active) {
  active_ = active;
  if (!active) return;
  if (!activeControl_ && !Has(ComponentState::Designing))
    activeControl_ = FindNextControl(this, nullptr, true, true, false);
  SetWindowFocus();
}

void TCustomForm::SetWindowFocus() {
  TWinControl* target = activeControl_ ? activeControl_ : this;
  ::SetFocus(target->Handle());
  // A control may refuse the focus or hand it on while it arrives: only the one that holds
  // it now hears that it arrived.
  if (GetFocus() == target->Handle()) target->DeliverMessage(FWM_FOCUSARRIVED);
}

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (control == activeControl_) return;
  if (control && (control == this || GetParentForm(control) != this ||
                  (!Has(ComponentState::Loading) && !control->CanFocus())))
    throw EInvalidOperation(LoadText(TextId::SCannotFocus));
  activeControl_ = control;
  if (!Has(ComponentState::Loading) && active_) SetWindowFocus();
}

bool TCustomForm::SetFocusedControl(TWinControl* control) {
  if (!control || !ContainsControl(control)) return true;
  const int count = FocusCount() + 1;
  SetFocusCount(count);
  activeControl_ = control != this ? control : nullptr;
  if (Screen) Screen->SetActive(this, control);
  // While the notifications below run, a handler may take the focus away again: the
  // control's window then drops that WM_KILLFOCUS, as its WM_SETFOCUS is dropped too.
  if (control->ControlStateOf().Contains(ControlState::Focusing)) return false;
  control->ChangeControlState(ControlState::Focusing, true);
  Finally focused([control] { control->ChangeControlState(ControlState::Focusing, false); });
  if (Screen && Screen->FocusedForm() != this) {
    if (TCustomForm* previous = Screen->FocusedForm()) {
      Screen->SetFocusedForm(nullptr);
      previous->DeliverMessage(FWM_DEACTIVATE);
      if (FocusCount() != count) return false;
    }
    Screen->SetFocusedForm(this);
    DeliverMessage(FWM_ACTIVATE);
    if (FocusCount() != count) return false;
  }
  if (!focusedControl_) focusedControl_ = this;
  if (focusedControl_ == control) return true;
  while (focusedControl_ && !focusedControl_->ContainsControl(control)) {
    TWinControl* leaving = focusedControl_;
    focusedControl_ = leaving->Parent();
    leaving->DeliverMessage(FWM_EXIT);
    if (FocusCount() != count) return false;
  }
  while (focusedControl_ != control) {
    TWinControl* entering = control;
    while (entering->Parent() != focusedControl_)
      entering = entering->Parent();
    focusedControl_ = entering;
    entering->DeliverMessage(FWM_ENTER);
    if (FocusCount() != count) return false;
  }
  for (TWinControl* parent = control->Parent(); parent; parent = parent->Parent())
    if (parent->InheritsFrom(TScrollingWinControl::StaticClass))
      static_cast<TScrollingWinControl*>(parent)->AutoScrollInView(control);
  DeliverMessage(FWM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
  return true;
}

void TCustomForm::DefocusControl(TWinControl* control, bool removing) {
  if (removing && focusedControl_ && control->ContainsControl(focusedControl_))
    focusedControl_ = control->Parent();
  if (activeControl_ && control->ContainsControl(activeControl_)) SetActiveControl(nullptr);
}

void TCustomForm::FocusControl(TWinControl* control) {
  const bool wasActive = active_;
  SetActiveControl(control);
  if (!wasActive) SetFocus();
}

void TCustomForm::DefaultButtonChanged() {
  DeliverMessage(FWM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(ActiveControl()));
}

void TCustomForm::SetFocus() {
  if (!active_ && !(Visible() && Enabled()))
    throw EInvalidOperation(LoadText(TextId::SCannotFocus));
  SetWindowFocus();
}

void TCustomForm::FWMActivate(TMessage&) {
  if (onActivate_) onActivate_(this);
}

void TCustomForm::FWMDeactivate(TMessage&) {
  if (onDeactivate_) onDeactivate_(this);
}

// --- Keys -----------------------------------------------------------------------------------

void TCustomForm::FWMChildKey(TMessage& message) {
  auto* child = reinterpret_cast<TWinControl*>(message.WParam);
  const auto& key = *reinterpret_cast<const TMessage*>(message.LParam);
  if (key.Msg == WM_CHAR) {
    // The character of a dialog key the form took would reach the control as typing.
    if (swallowChar_ != 0 && key.WParam == static_cast<WPARAM>(swallowChar_)) {
      swallowChar_ = 0;
      message.Result = 1;
    }
    return;
  }
  if (key.Msg != WM_KEYDOWN && key.Msg != WM_SYSKEYDOWN) return;
  swallowChar_ = 0;
  UINT wants = 0;
  int character = 0;
  switch (key.WParam) {
    case VK_TAB:
      wants = DLGC_WANTTAB;
      character = '\t';
      break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      wants = DLGC_WANTARROWS;
      break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL:
      wants = DLGC_WANTALLKEYS;
      character = key.WParam == VK_RETURN ? '\r' : key.WParam == VK_ESCAPE ? 0x1B : 0;
      break;
    default:
      return;
  }
  // A control that wants the key for itself (an edit field its arrows) keeps it.
  if (child && child->HandleAllocated() &&
      (SendMessageA(child->Handle(), WM_GETDLGCODE, 0, 0) & wants) != 0)
    return;
  if (DeliverMessage(FWM_DIALOGKEY, key.WParam, key.LParam) != 0) {
    swallowChar_ = character;
    message.Result = 1;
  }
}

void TCustomForm::FWMDialogKey(TMessage& message) {
  if (!KeyDown(VK_MENU)) {
    switch (message.WParam) {
      case VK_TAB:
        if (!KeyDown(VK_CONTROL)) {
          SelectNext(this, activeControl_, !KeyDown(VK_SHIFT), true);
          message.Result = 1;
          return;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (activeControl_ && activeControl_->Parent()) {
          SelectNext(activeControl_->Parent(), activeControl_,
                     message.WParam == VK_RIGHT || message.WParam == VK_DOWN, false);
          message.Result = 1;
        }
        return;
    }
  }
  // Every other dialog key is offered to the controls, deepest last, until one takes it.
  std::vector<TWinControl*> controls;
  CollectTabOrder(controls);
  for (TWinControl* control : controls) {
    for (TControl* plain : control->PlainChildren()) {
      message.Result = plain->DeliverMessage(FWM_DIALOGKEY, message.WParam, message.LParam);
      if (message.Result != 0) return;
    }
    message.Result = control->DeliverMessage(FWM_DIALOGKEY, message.WParam, message.LParam);
    if (message.Result != 0) return;
  }
  for (TControl* plain : PlainChildren()) {
    message.Result = plain->DeliverMessage(FWM_DIALOGKEY, message.WParam, message.LParam);
    if (message.Result != 0) return;
  }
}

bool TCustomForm::IsShortCut(TMessage& message) {
  bool handled = false;
  if (onShortCut_) onShortCut_(message, handled);
  return handled;
}

}  // namespace sx
