// The windowed control's message routing: the main message routine, mouse messages over
// plain children, the default handling and the class's own handlers.

#include "framework/controls/WinControl.h"

#include "framework/controls/AccessibleName.h"
#include "framework/controls/ApplicationHost.h"
#include "framework/controls/FormHost.h"
#include "framework/controls/WindowProperties.h"

namespace sx {
namespace {

constexpr UINT kFirstMouseMessage = 0x0200;
constexpr UINT kLastMouseMessage = 0x020A;

POINT MousePoint(LPARAM lParam) {
  return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

}  // namespace

// --- Messages ---------------------------------------------------------------------------------

void TWinControl::MessageProc(TMessage& message) {
  const UINT msg = message.Msg;
  if (msg == WM_SETFOCUS) {
    if (TFormHost* form = FormHostOf(this); form && !form->SetFocusedControl(this)) return;
  } else if (msg == WM_KILLFOCUS) {
    if (ControlStateOf().Contains(ControlState::Focusing)) return;
  } else if (msg == WM_CANCELMODE) {
    if (handle_ && GetCapture() == handle_) {
      TControl* captured = CaptureControl();
      if (captured && captured->Parent() == this) captured->DeliverMessage(WM_CANCELMODE);
    }
  } else if (msg >= kFirstKeyMessage && msg <= kLastKeyMessage) {
    if (TWinControl* form = GetParentForm(this);
        form && form->DeliverMessage(FWM_CHILDKEY, reinterpret_cast<WPARAM>(this),
                                     reinterpret_cast<LPARAM>(&message)) != 0)
      return;
  } else if (msg >= kFirstMouseMessage && msg <= kLastMouseMessage) {
    if (RouteMouseToPlainChild(message)) {
      // The handler may have destroyed the window.
      if (message.Result == 0 && handle_)
        DefWindowProcA(handle_, message.Msg, message.WParam, message.LParam);
      return;
    }
  }
  TControl::MessageProc(message);
}

bool TWinControl::RouteMouseToPlainChild(TMessage& message) {
  if (!handle_) return false;
  POINT point = MousePoint(message.LParam);
  TControl* target = nullptr;
  if (GetCapture() == handle_) {
    TControl* captured = CaptureControl();
    if (captured && captured->Parent() == this) target = captured;
  } else {
    // The wheel message carries screen coordinates.
    if (message.Msg == WM_MOUSEWHEEL) ScreenToClient(handle_, &point);
    target = PlainChildAt(point);
  }
  if (!target) return false;
  LPARAM lParam = message.LParam;
  if (message.Msg != WM_MOUSEWHEEL)
    lParam = MAKELPARAM(point.x - target->Left(), point.y - target->Top());
  message.Result = target->DeliverMessage(message.Msg, message.WParam, lParam);
  return true;
}

void TWinControl::DefaultHandler(TMessage& message) {
  if (!handle_) {
    TControl::DefaultHandler(message);
    return;
  }
  const UINT msg = message.Msg;
  if (msg == WM_CONTEXTMENU && Parent()) {
    message.Result = Parent()->DeliverMessage(msg, message.WParam, message.LParam);
    if (message.Result != 0) return;
  }
  if (msg == ObjectQueryMessage()) {
    message.Result = reinterpret_cast<LRESULT>(this);
    return;
  }
  message.Result = CallWindowProcA(defWndProc_, handle_, msg, message.WParam, message.LParam);
}

void TWinControl::WMChildNotification(TMessage& message) {
  if (!ReflectToChild(handle_, message)) Inherited<TWinControl>(message);
}

void TWinControl::FWMCtlColor(TMessage& message) {
  const HDC dc = reinterpret_cast<HDC>(message.WParam);
  SetTextColor(dc, ColorToRGB(Font()->Color()));
  SetBkColor(dc, ColorToRGB(brush_->Color()));
  message.Result = static_cast<LRESULT>(brush_->Handle());
}

void TWinControl::FWMFocusChanged(TMessage& message) {
  // Every control inside hears which control has the focus now (push buttons work out
  // which of them Enter presses).
  for (std::size_t i = 0; i < winControls_.size(); ++i)
    winControls_[i]->DeliverMessage(message.Msg, message.WParam, message.LParam);
}

void TWinControl::WMSetCursor(TMessage& message) {
  // The system sends HTERROR for a disabled window under the mouse. A click there while a
  // dialog holds the program modal brings the dialog back instead of only beeping.
  if (handle_ && reinterpret_cast<HWND>(message.WParam) == handle_ &&
      static_cast<short>(LOWORD(message.LParam)) == HTERROR &&
      HIWORD(message.LParam) == WM_LBUTTONDOWN)
    if (TApplicationHost* host = ApplicationHost(); host && host->ClickIntoDisabledWindow()) return;
  Inherited<TWinControl>(message);
}

void TWinControl::WMWinIniChange(TMessage& message) {
  Inherited<TWinControl>(message);
  DeliverMessage(FWM_SETTINGSCHANGED, message.WParam, message.LParam);
}

void TWinControl::WMSysColorChange(TMessage& message) {
  Inherited<TWinControl>(message);
  DeliverMessage(FWM_SYSCOLORCHANGED, message.WParam, message.LParam);
}

void TWinControl::WMWindowPosChanged(TMessage& message) {
  if (message.LParam && handle_ && !ControlStateOf().Contains(ControlState::DestroyingHandle))
    UpdateBounds();
  Inherited<TWinControl>(message);
}

void TWinControl::WMNCDestroy(TMessage& message) {
  // The window class frees its own data first.
  Inherited<TWinControl>(message);
  if (handle_) {
    RemoveWindowProperties(handle_);
    WindowEntry::Unbind(handle_);
  }
  handle_ = nullptr;
  showing_ = false;
}

void TWinControl::WMGetObject(TMessage& message) {
  // Only the client area's object carries the name: the frame, the caret and the other
  // objects of the window stay as the system makes them.
  if (handle_ && !accessibleName_.empty() && static_cast<LONG>(message.LParam) == OBJID_CLIENT) {
    message.Result =
        AnswerAccessibleName(handle_, message.WParam, accessibleName_, AccessibleValueIsText());
    if (message.Result != 0) return;
  }
  Inherited<TWinControl>(message);
}

void TWinControl::FWMEnabledChanged(TMessage&) {
  if (!Enabled() && Parent()) RemoveFocus(false);
  if (handle_ && !Has(ComponentState::Designing)) EnableWindow(handle_, Enabled() ? TRUE : FALSE);
}

void TWinControl::FWMVisibleChanged(TMessage&) {
  if (!Visible() && Parent()) RemoveFocus(false);
  UpdateControlState();
}

void TWinControl::FWMColorChanged(TMessage& message) {
  Inherited<TWinControl>(message);
  brush_->SetColor(Color());
  NotifyChildren(FWM_PARENTCOLORCHANGED);
}

void TWinControl::FWMFontChanged(TMessage& message) {
  Inherited<TWinControl>(message);
  if (handle_) DeliverMessage(WM_SETFONT, static_cast<WPARAM>(Font()->Handle()), FALSE);
  NotifyChildren(FWM_PARENTFONTCHANGED);
}

void TWinControl::FWMShowingChanged(TMessage&) {
  const UINT showFlag = showing_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
  if (zOrderPending_ && Parent()) {
    PlaceInZOrder(showFlag);
    return;
  }
  SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | showFlag);
}

void TWinControl::FWMCtl3DChanged(TMessage&) {
  NotifyChildren(FWM_PARENTCTL3DCHANGED);
}

void TWinControl::FWMParentCtl3DChanged(TMessage&) {
  if (!parentCtl3D_ || !Parent()) return;
  SetCtl3D(Parent()->ctl3D_);
  parentCtl3D_ = true;
}

void TWinControl::FWMSysFontChanged(TMessage& message) {
  Inherited<TWinControl>(message);
  NotifyChildren(FWM_SYSFONTCHANGED);
}

void TWinControl::NotifyChildren(UINT msg, WPARAM wParam, LPARAM lParam) {
  // A receiver may leave; the index is checked against the list as it is now.
  for (int i = 0; i < ChildCount(); ++i)
    Child(i)->DeliverMessage(msg, wParam, lParam);
}

}  // namespace sx
