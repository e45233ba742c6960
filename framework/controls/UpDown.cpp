#include "framework/controls/UpDown.h"

#include <commctrl.h>

#include <algorithm>
#include <string_view>

#include "framework/controls/Edit.h"
#include "framework/runtime/Exception.h"
#include "framework/runtime/Finally.h"
#include "framework/runtime/Format.h"
#include "framework/runtime/TextUtil.h"
#include "framework/runtime/Texts.h"

namespace sx {
namespace {

constexpr const char* kAlignButtonNames[] = {"udLeft", "udRight"};
constexpr const char* kOrientationNames[] = {"udHorizontal", "udVertical"};

constexpr PropInfo kUpDownProperties[] = {
    Property<&TCustomUpDown::AlignButton, &TCustomUpDown::SetAlignButton>("AlignButton"),
    Property<&TCustomUpDown::Associate, &TCustomUpDown::SetAssociate>("Associate"),
    Property<&TCustomUpDown::ArrowKeys, &TCustomUpDown::SetArrowKeys>("ArrowKeys"),
    Property<&TCustomUpDown::Min, &TCustomUpDown::SetMin>("Min"),
    Property<&TCustomUpDown::Max, &TCustomUpDown::SetMax>("Max"),
    Property<&TCustomUpDown::Increment, &TCustomUpDown::SetIncrement>("Increment"),
    Property<&TCustomUpDown::Orientation, &TCustomUpDown::SetOrientation>("Orientation"),
    Property<&TCustomUpDown::Position, &TCustomUpDown::SetPosition>("Position"),
    Property<&TCustomUpDown::Thousands, &TCustomUpDown::SetThousands>("Thousands"),
    Property<&TCustomUpDown::Wrap, &TCustomUpDown::SetWrap>("Wrap"),
    Property<&TCustomUpDown::OnChanging, &TCustomUpDown::SetOnChanging>("OnChanging"),
    Property<&TCustomUpDown::OnChangingEx, &TCustomUpDown::SetOnChangingEx>("OnChangingEx"),
    Property<&TCustomUpDown::OnClick, &TCustomUpDown::SetOnClick>("OnClick"),
};

// Controls whose own item selection the system's spin buttons would fight with. They are
// recognised by name, as they belong to parts of the framework that may not be linked in.
bool IsListLike(const TObject* control) {
  constexpr std::string_view kNames[] = {"TCustomTreeView", "TCustomListView", "TDBEdit",
                                         "TDBMemo"};
  for (const ClassInfo* type = &control->ClassType(); type; type = type->parent)
    for (std::string_view name : kNames)
      if (name == type->name) return true;
  return false;
}

// The value of a text that is a plain decimal number (an optional sign and digits), as the
// window system writes the position into the field.
bool ParseDecimal(std::string_view text, std::int32_t& value) {
  std::size_t at = 0;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  if (at == text.size() || text.size() - at > 9) return false;
  std::int32_t result = 0;
  for (; at < text.size(); ++at) {
    if (text[at] < '0' || text[at] > '9') return false;
    result = result * 10 + (text[at] - '0');
  }
  value = negative ? -result : result;
  return true;
}

}  // namespace

constinit const TypeInfo TypeInfo_TUDAlignButton = EnumType("TUDAlignButton", kAlignButtonNames);
constinit const TypeInfo TypeInfo_TUDOrientation = EnumType("TUDOrientation", kOrientationNames);

constinit const ClassInfo TCustomUpDown::StaticClass{
    .name = "TCustomUpDown",
    .parent = &TWinControl::StaticClass,
    .construct = &ConstructComponent<TCustomUpDown>,
};

constinit const MessageEntry TCustomUpDown::kMessageEntries[] = {
    On<&TCustomUpDown::FWMNotify>(FWM_NOTIFY),
    On<&TCustomUpDown::FWMScroll>(FWM_VSCROLL),
    On<&TCustomUpDown::FWMScroll>(FWM_HSCROLL),
    On<&TCustomUpDown::FWMParentFontChanged>(FWM_PARENTFONTCHANGED),
};

constinit const MessageTable TCustomUpDown::Messages{&TWinControl::Messages,
                                                     {kMessageEntries, std::size(kMessageEntries)}};

constinit const ClassInfo TUpDown::StaticClass{
    .name = "TUpDown",
    .parent = &TCustomUpDown::StaticClass,
    .construct = &ConstructComponent<TUpDown>,
    .properties = kUpDownProperties,
};

TCustomUpDown::TCustomUpDown(TComponent* owner) : TWinControl(owner) {
  SetWidth(GetSystemMetrics(SM_CXVSCROLL));
  const int arrowHeight = GetSystemMetrics(SM_CYVSCROLL);
  SetHeight(arrowHeight + arrowHeight / 2);
  TControlStyle style = ControlStyleOf();
  style.Exclude(ControlStyle::DoubleClicks);
  SetControlStyle(style);
}

// --- The window -------------------------------------------------------------------------------

void TCustomUpDown::CreateParams(TCreateParams& params) {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&init);
  TWinControl::CreateParams(params);
  params.Style |= UDS_SETBUDDYINT;
  params.Style |= alignButton_ == udRight ? UDS_ALIGNRIGHT : UDS_ALIGNLEFT;
  if (orientation_ == udHorizontal) params.Style |= UDS_HORZ;
  if (arrowKeys_) params.Style |= UDS_ARROWKEYS;
  if (!thousands_) params.Style |= UDS_NOTHOUSANDS;
  if (wrap_) params.Style |= UDS_WRAP;
  CreateSubClass(params, UPDOWN_CLASSA);
  params.WindowClass.style = CS_DBLCLKS;
}

void TCustomUpDown::CreateWnd() {
  // The spin button keeps the width it was given. It is noted before the window is made:
  // the system's up-down control takes its default width as soon as its window exists (seen
  // on Wine 8.0), which would lose the width a scaled form gave the spin button.
  const std::int32_t width = Width();
  TWinControl::CreateWnd();
  if (associate_)
    Attach(associate_, width);
  else
    SetWidth(width);
  SendRange();
  SendMessageA(Handle(), UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(position_), 0));
  SendIncrement();
}

void TCustomUpDown::Attach(TWinControl* field, std::int32_t width) {
  // Given a field while aligned, the system docks the buttons inside the field's area and
  // narrows the field; the layout wants the field where it is, so it would have to be put
  // back, and every move of the field passes through the hook the system's up-down control
  // puts on it, several round trips to the window server each (seen on Wine 8.0). So the
  // field is given while the buttons are unaligned, which leaves it alone, and the buttons
  // take the place docking would give them beside it.
  const HWND fieldWindow = field->Handle();
  const RECT fieldBounds = field->BoundsRect();
  SendBuddy(fieldWindow);
  // A system that moves the field all the same has it put back where the layout wants it.
  const RECT moved = field->BoundsRect();
  if (!EqualRect(&fieldBounds, &moved))
    field->ChangeBounds(fieldBounds.left, fieldBounds.top, fieldBounds.right - fieldBounds.left,
                        fieldBounds.bottom - fieldBounds.top);
  Dock(*field, width);
}

void TCustomUpDown::SendBuddy(HWND field) {
  // Unaligned, the system's up-down control neither moves the field nor gives the buttons
  // its own width: aligned, it does both on attaching and on detaching (seen on Wine 8.0).
  const HWND window = Handle();
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  const LONG alignment = style & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT);
  if (alignment) SetWindowLongA(window, GWL_STYLE, style & ~alignment);
  const Finally restore([window, style, alignment] {
    if (alignment) SetWindowLongA(window, GWL_STYLE, style);
  });
  SendMessageA(window, UDM_SETBUDDY, reinterpret_cast<WPARAM>(field), 0);
}

void TCustomUpDown::Dock(const TWinControl& field, std::int32_t width) {
  const std::int32_t left =
      alignButton_ == udRight ? field.Left() + field.Width() : field.Left() - width;
  ChangeBounds(left, field.Top(), width, field.Height());
}

void TCustomUpDown::SendRange() {
  if (!HandleAllocated()) return;
  SendMessageA(Handle(), UDM_SETRANGE, 0,
               MAKELPARAM(static_cast<WORD>(max_), static_cast<WORD>(min_)));
}

void TCustomUpDown::SendIncrement() {
  if (!HandleAllocated()) return;
  UDACCEL accel[1]{};
  SendMessageA(Handle(), UDM_GETACCEL, 1, reinterpret_cast<LPARAM>(accel));
  accel[0].nInc = static_cast<UINT>(increment_);
  SendMessageA(Handle(), UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(accel));
}

// --- Following the field ----------------------------------------------------------------------

bool TCustomUpDown::Docked() const {
  return associate_ && HandleAllocated() && associate_->HandleAllocated() &&
         !Has(ComponentState::Loading);
}

void TCustomUpDown::Rescale(std::int32_t m, std::int32_t d) {
  TWinControl::Rescale(m, d);
  // Scaled on its own the pair would drift apart: a field keeps the height its font asks
  // for, which scaling the buttons' height does not give.
  if (Docked()) Dock(*associate_, Width());
}

void TCustomUpDown::FWMParentFontChanged(TMessage& message) {
  Inherited<TCustomUpDown>(message);
  if (!Docked()) return;
  // The field takes the height of its new font. The children of a parent hear of its font
  // in their order, and the field may come after the buttons: it takes the font now, so that
  // the buttons dock to the height it keeps.
  if (associate_->ParentFont() && Parent() &&
      associate_->Font()->Height() != Parent()->Font()->Height())
    associate_->DeliverMessage(FWM_PARENTFONTCHANGED);
  Dock(*associate_, Width());
}

// --- The associated field ---------------------------------------------------------------------

void TCustomUpDown::SetAssociate(TWinControl* value) {
  // The field it already has is detached, attached again and rewritten like any other.
  if (value && Parent())
    for (TWinControl* sibling : Parent()->WindowedChildren())
      if (sibling != this && sibling->InheritsFrom(TCustomUpDown::StaticClass) &&
          static_cast<TCustomUpDown*>(sibling)->associate_ == value)
        throw Exception(
            Format(LoadText(TextId::SDuplicateAssociate), {value->Name(), sibling->Name()}));

  // Detaching must not cost the buttons the width a scaled form gave them.
  const std::int32_t width = Width();
  if (associate_) {
    if (HandleAllocated()) SendBuddy(nullptr);
    Detach();
  }

  if (!value || value->Parent() != Parent() || value->InheritsFrom(TCustomUpDown::StaticClass) ||
      IsListLike(value))
    return;
  // The field is to show the spin button's position. Read before the field is attached: from
  // then on the system's up-down control answers the number in the field's text as its
  // position (an empty text as 0), seen on Wine 8.0.
  const std::int16_t position = Position();
  if (HandleAllocated()) Attach(value, width);
  associate_ = value;
  // The field may be destroyed first; its removal notice must reach this spin button.
  value->WatchFree(this);
  if (value->InheritsFrom(TCustomEdit::StaticClass)) value->SetText(IntToStr(position));
}

void TCustomUpDown::Detach() {
  if (!associate_) return;
  UnwatchFree(associate_);
  associate_ = nullptr;
}

void TCustomUpDown::Notify(TComponent* component, Notice notice) {
  TWinControl::Notify(component, notice);
  if (notice != Notice::NoticeRemove || !component || component != associate_) return;
  if (HandleAllocated()) SendBuddy(nullptr);
  // Cleared with or without a window: a spin button made later must not attach a field that
  // no longer exists.
  associate_ = nullptr;
}

bool TCustomUpDown::TakeFieldValue(std::int32_t& value) {
  if (!associate_ || !HandleAllocated()) return false;
  std::int32_t shown = 0;
  if (!ParseDecimal(associate_->Text(), shown)) return false;
  if (shown < std::min(min_, max_) || shown > std::max(min_, max_)) return false;
  SendMessageA(Handle(), UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(shown), 0));
  position_ = static_cast<std::int16_t>(shown);
  value = shown;
  return true;
}

// --- Range and position -----------------------------------------------------------------------

void TCustomUpDown::SetMin(std::int16_t value) {
  if (value == min_) return;
  min_ = value;
  SendRange();
}

void TCustomUpDown::SetMax(std::int16_t value) {
  if (value == max_) return;
  max_ = value;
  SendRange();
}

void TCustomUpDown::SetIncrement(std::int32_t value) {
  if (value == increment_) return;
  increment_ = value;
  SendIncrement();
}

std::int16_t TCustomUpDown::Position() const {
  if (HandleAllocated()) {
    auto* self = const_cast<TCustomUpDown*>(this);
    position_ = static_cast<std::int16_t>(LOWORD(SendMessageA(self->Handle(), UDM_GETPOS, 0, 0)));
  }
  return position_;
}

void TCustomUpDown::SetPosition(std::int16_t value) {
  if (value == position_) return;
  if (!Has(ComponentState::Designing) && !CanChange(value, value - position_)) return;
  position_ = value;
  if (Has(ComponentState::Designing) && associate_ &&
      associate_->InheritsFrom(TCustomEdit::StaticClass))
    associate_->SetText(IntToStr(position_));
  if (HandleAllocated())
    SendMessageA(Handle(), UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(position_), 0));
}

bool TCustomUpDown::CanChange(std::int32_t value, std::int32_t delta) {
  TUpDownDirection direction = updNone;
  if ((value < min_ && delta < 0) || (value > max_ && delta > 0))
    direction = updNone;
  else if (delta < 0)
    direction = updDown;
  else if (delta > 0)
    direction = updUp;
  bool allow = true;
  onChanging_(this, allow);
  onChangingEx_(this, allow, static_cast<std::int16_t>(value), direction);
  return allow;
}

void TCustomUpDown::Click(TUDBtnType button) {
  onClick_(this, button);
}

// --- Window styles ----------------------------------------------------------------------------

void TCustomUpDown::SetAlignButton(TUDAlignButton value) {
  if (value == alignButton_) return;
  alignButton_ = value;
  RecreateWindow();
}

void TCustomUpDown::SetOrientation(TUDOrientation value) {
  if (value == orientation_) return;
  orientation_ = value;
  // A horizontal pair lies on its side: swap the sides unless the stored bounds come next.
  if (!Has(ComponentState::Loading) && ((value == udHorizontal && Width() < Height()) ||
                                        (value == udVertical && Width() > Height())))
    ChangeBounds(Left(), Top(), Height(), Width());
  RecreateWindow();
}

void TCustomUpDown::SetArrowKeys(bool value) {
  if (value == arrowKeys_) return;
  arrowKeys_ = value;
  RecreateWindow();
}

void TCustomUpDown::SetThousands(bool value) {
  if (value == thousands_) return;
  thousands_ = value;
  RecreateWindow();
}

void TCustomUpDown::SetWrap(bool value) {
  if (value == wrap_) return;
  wrap_ = value;
  RecreateWindow();
}

// --- Steps --------------------------------------------------------------------------------------

void TCustomUpDown::FWMNotify(TMessage& message) {
  auto* change = reinterpret_cast<NMUPDOWN*>(message.LParam);
  if (!change || change->hdr.code != static_cast<UINT>(UDN_DELTAPOS)) {
    Inherited<TCustomUpDown>(message);
    return;
  }
  // A disabled spin button changes nothing. Its window takes no clicks, but the system's
  // up-down control still steps the position (and the field) on an arrow key pressed in the
  // field: seen on Wine 8.0. Refusing the step stops it.
  if (!Enabled()) {
    message.Result = 1;
    return;
  }
  // The program may have rewritten the field since the last step; the step starts from
  // the number the user sees.
  std::int32_t shown = 0;
  if (TakeFieldValue(shown)) change->iPos = shown;
  message.Result = CanChange(change->iPos + change->iDelta, change->iDelta) ? 0 : 1;
}

void TCustomUpDown::FWMScroll(TMessage& message) {
  // The system's up-down control reports a refused step all the same, with the position it
  // read from the field (seen on Wine 8.0): a disabled spin button took no step.
  if (LOWORD(message.WParam) != SB_THUMBPOSITION || !Enabled()) return;
  const auto position = static_cast<std::int16_t>(HIWORD(message.WParam));
  if (position > position_)
    Click(btNext);
  else if (position < position_)
    Click(btPrev);
  position_ = position;
}

}  // namespace sx
