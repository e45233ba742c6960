#include "framework/controls/RadioButton.h"

namespace sx {
namespace {

constexpr PropInfo kRadioButtonProperties[] = {
    Property<&TRadioButton::Alignment, &TRadioButton::SetAlignment>("Alignment",
                                                                    &TypeInfo_TLeftRight),
    Property<&TRadioButton::Checked, &TRadioButton::SetChecked>("Checked"),
    Property<&TRadioButton::OnDblClick, &TRadioButton::SetOnDblClick>("OnDblClick"),
};

}  // namespace

constinit const ClassInfo TRadioButton::StaticClass{
    .name = "TRadioButton",
    .parent = &TButtonControl::StaticClass,
    .construct = &ConstructComponent<TRadioButton>,
    .properties = kRadioButtonProperties,
};

constinit const MessageEntry TRadioButton::kMessageEntries[] = {
    On<&TRadioButton::FWMCommand>(FWM_COMMAND),
    On<&TRadioButton::FWMDialogChar>(FWM_DIALOGCHAR),
    On<&TRadioButton::FWMCtl3DChanged>(FWM_CTL3DCHANGED),
};

constinit const MessageTable TRadioButton::Messages{&TWinControl::Messages,
                                                    {kMessageEntries, std::size(kMessageEntries)}};

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
  // The system button captures the mouse and reports its clicks itself.
  SetControlStyle(TControlStyle{ControlStyle::SetCaption, ControlStyle::DoubleClicks});
  width_ = 113;
  height_ = 17;
}

void TRadioButton::CreateParams(TCreateParams& params) {
  TButtonControl::CreateParams(params);
  CreateSubClass(params, "BUTTON");
  // BS_RADIOBUTTON, not the automatic kind: the framework checks and unchecks, so that the
  // group is the parent, whatever the window system would take it to be.
  params.Style |= BS_RADIOBUTTON;
  if (alignment_ == taLeftJustify) params.Style |= BS_LEFTTEXT;
}

std::int32_t TRadioButton::CaptionWidthNeeded() {
  const std::int32_t text = CaptionTextWidth();
  if (text == 0) return 0;
  // As Wine 8.0 draws it: a circle of 12 pixels at 96 pixels per inch plus one, then half
  // the width of "0" before the text, and the focus rectangle one pixel beyond the text.
  const std::int32_t pixelsPerInch = PixelsPerInchOf(this);
  const std::int32_t circle = 12 * pixelsPerInch / 96 + 1;
  return circle + TextWidth("0") / 2 + text + 1;
}

void TRadioButton::CreateWnd() {
  TButtonControl::CreateWnd();
  SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetAlignment(TLeftRight value) {
  if (value == alignment_) return;
  alignment_ = value;
  if (HandleAllocated()) RecreateWindow();
}

void TRadioButton::SetChecked(bool value) {
  if (value == checked_) return;
  checked_ = value;
  SetTabStop(value);
  if (HandleAllocated())
    SendMessageA(Handle(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!value) return;
  if (TWinControl* parent = Parent()) {
    // A sibling's handlers may change the parent's lists: walk a copy.
    const std::vector<TWinControl*> siblings = parent->WindowedChildren();
    for (TWinControl* sibling : siblings)
      if (sibling != this && sibling->InheritsFrom(TRadioButton::StaticClass))
        static_cast<TRadioButton*>(sibling)->SetChecked(false);
  }
  NotifyParentsChanged();
  if (!ClicksSuppressed()) ClickControl();
}

void TRadioButton::FWMCommand(TMessage& message) {
  switch (HIWORD(message.WParam)) {
    case BN_CLICKED:
      SetChecked(true);
      break;
    case BN_DOUBLECLICKED:
      onDblClick_(this);
      break;
  }
}

void TRadioButton::FWMDialogChar(TMessage& message) {
  if (IsAccel(static_cast<unsigned>(message.WParam), Caption()) && CanFocus()) {
    SetFocus();
    message.Result = 1;
    return;
  }
  Inherited<TRadioButton>(message);
}

void TRadioButton::FWMCtl3DChanged(TMessage&) {
  RecreateWindow();
}

}  // namespace sx
