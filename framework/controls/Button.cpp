#include "framework/controls/Button.h"

namespace sx {

bool IsAccel(unsigned key, std::string_view caption) {
  const auto upper = [](unsigned c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; };
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    ++i;  // the marked character; "&&" marks "&" itself, which is no accelerator
    if (caption[i] == '&') continue;
    return upper(static_cast<unsigned char>(caption[i])) == upper(key);
  }
  return false;
}

// --- TButtonControl ---------------------------------------------------------------------------

constinit const ClassInfo TButtonControl::StaticClass{
    .name = "TButtonControl",
    .parent = &TWinControl::StaticClass,
};

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {}

void TButtonControl::MessageProc(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!Has(ComponentState::Designing) && !Focused()) {
        // Taking the focus may make the system report a click (a radio button checks
        // itself when focused); the user's press is still to come.
        clicksSuppressed_ = true;
        ::SetFocus(Handle());
        clicksSuppressed_ = false;
        // Somebody refused to let the focus go (an exit check of the focused control):
        // the press must not act.
        if (!Focused()) return;
      }
      break;
    case FWM_COMMAND:
      if (clicksSuppressed_) return;
      break;
  }
  TWinControl::MessageProc(message);
}

// --- TButton ----------------------------------------------------------------------------------

namespace {

constexpr PropInfo kButtonProperties[] = {
    Property<&TButton::Cancel, &TButton::SetCancel>("Cancel"),
    Property<&TButton::Default, &TButton::SetDefault>("Default"),
    Property<&TButton::ModalResult, &TButton::SetModalResult>("ModalResult"),
};

// Shift, Ctrl or Alt held with a key whose key data is `keyData`.
bool ShiftStateHeld(LPARAM keyData) {
  constexpr LPARAM kAltDown = 0x20000000;
  return GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || (keyData & kAltDown) != 0;
}

}  // namespace

constinit const ClassInfo TButton::StaticClass{
    .name = "TButton",
    .parent = &TButtonControl::StaticClass,
    .construct = &ConstructComponent<TButton>,
    .properties = kButtonProperties,
};

constinit const MessageEntry TButton::kMessageEntries[] = {
    On<&TButton::FWMCommand>(FWM_COMMAND),       On<&TButton::FWMDialogKey>(FWM_DIALOGKEY),
    On<&TButton::FWMDialogChar>(FWM_DIALOGCHAR), On<&TButton::FWMFocusChanged>(FWM_FOCUSCHANGED),
    On<&TButton::WMEraseBkgnd>(WM_ERASEBKGND),
};

constinit const MessageTable TButton::Messages{&TWinControl::Messages,
                                               {kMessageEntries, std::size(kMessageEntries)}};

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
  // The system button captures the mouse and reports its clicks itself.
  SetControlStyle(TControlStyle{ControlStyle::SetCaption, ControlStyle::DoubleClicks});
  width_ = 75;
  height_ = 25;
  SetTabStop(true);
}

void TButton::SetDefault(bool value) {
  if (value == default_) return;
  default_ = value;
  if (!HandleAllocated()) return;
  if (TFormHost* form = FormHostOf(this)) form->DefaultButtonChanged();
}

void TButton::CreateParams(TCreateParams& params) {
  TButtonControl::CreateParams(params);
  CreateSubClass(params, "BUTTON");
  params.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::CreateWnd() {
  TButtonControl::CreateWnd();
  answersEnter_ = default_;
}

void TButton::SetButtonStyle(bool isDefault) {
  if (!HandleAllocated()) return;
  const DWORD style = isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  if ((static_cast<DWORD>(GetWindowLongA(Handle(), GWL_STYLE)) & BS_DEFPUSHBUTTON) != style)
    SendMessageA(Handle(), BM_SETSTYLE, style, TRUE);
}

std::int32_t TButton::CaptionWidthNeeded() {
  const std::int32_t text = CaptionTextWidth();
  if (text == 0) return 0;
  // The system draws a 2-pixel raised edge, inside a 1-pixel frame while the button has the
  // default look, which the focused push button takes (Windows, and Wine 8.0 likewise).
  constexpr std::int32_t kFrame = 1;
  constexpr std::int32_t kEdge = 2;
  return text + 2 * (kFrame + kEdge);
}

void TButton::ClickControl() {
  if (TFormHost* form = FormHostOf(this)) form->TakeModalResult(modalResult_);
  TButtonControl::ClickControl();
}

void TButton::FWMCommand(TMessage& message) {
  if (HIWORD(message.WParam) == BN_CLICKED) ClickControl();
}

void TButton::FWMDialogKey(TMessage& message) {
  const auto key = static_cast<unsigned>(message.WParam);
  if (((key == VK_RETURN && answersEnter_) || (key == VK_ESCAPE && cancel_)) &&
      !ShiftStateHeld(message.LParam) && CanFocus()) {
    ClickControl();
    message.Result = 1;
    return;
  }
  Inherited<TButton>(message);
}

void TButton::FWMDialogChar(TMessage& message) {
  if (IsAccel(static_cast<unsigned>(message.WParam), Caption()) && CanFocus()) {
    ClickControl();
    message.Result = 1;
    return;
  }
  Inherited<TButton>(message);
}

void TButton::FWMFocusChanged(TMessage& message) {
  const auto* focused = reinterpret_cast<const TControl*>(message.LParam);
  if (focused && focused->InheritsFrom(TButton::StaticClass))
    answersEnter_ = focused == this;
  else
    answersEnter_ = default_;
  SetButtonStyle(answersEnter_);
  Inherited<TButton>(message);
}

void TButton::WMEraseBkgnd(TMessage& message) {
  // The system button paints its own background; the control's brush would flicker.
  DefaultHandler(message);
}

}  // namespace sx
