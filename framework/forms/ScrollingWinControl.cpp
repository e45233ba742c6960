#include "framework/forms/ScrollingWinControl.h"

#include <algorithm>

#include "framework/graphics/MulDiv.h"
#include "framework/runtime/Finally.h"

namespace sx {
namespace {

constexpr PropInfo kScrollBarProperties[] = {
    Property<&TControlScrollBar::Increment, &TControlScrollBar::SetIncrement>("Increment"),
    Property<&TControlScrollBar::Position, &TControlScrollBar::SetPosition>("Position"),
    Property<&TControlScrollBar::Range, &TControlScrollBar::SetRange>("Range"),
    Property<&TControlScrollBar::Visible, &TControlScrollBar::SetVisible>("Visible"),
    Property<&TControlScrollBar::Scaled, &TControlScrollBar::SetScaled>("Scaled"),
};

constexpr PropInfo kScrollingProperties[] = {
    Property<&TScrollingWinControl::AutoScroll, &TScrollingWinControl::SetAutoScroll>("AutoScroll"),
    Property<&TScrollingWinControl::HorzScrollBar, &TScrollingWinControl::SetHorzScrollBar>(
        "HorzScrollBar"),
    Property<&TScrollingWinControl::VertScrollBar, &TScrollingWinControl::SetVertScrollBar>(
        "VertScrollBar"),
};

}  // namespace

constinit const ClassInfo TControlScrollBar::StaticClass{
    .name = "TControlScrollBar",
    .parent = &TPersistent::StaticClass,
    .properties = kScrollBarProperties,
};

// --- TControlScrollBar ----------------------------------------------------------------------

TControlScrollBar::TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind)
    : control_(control), kind_(kind) {}

void TControlScrollBar::SetRange(std::int32_t range) {
  control_->SetAutoScroll(false);
  SetAutoRange(range);
}

void TControlScrollBar::SetAutoRange(std::int32_t range) {
  range = std::max(range, 0);
  if (range == range_) return;
  range_ = range;
  // A shorter range may leave the position beyond what can be scrolled.
  SetPosition(position_);
  control_->UpdateScrollBars();
}

std::int32_t TControlScrollBar::ControlSize() const {
  const RECT client = control_->ClientRect();
  return kind_ == sbHorizontal ? client.right - client.left : client.bottom - client.top;
}

std::int32_t TControlScrollBar::MaxPosition() const {
  return std::max(range_ - ControlSize(), 0);
}

bool TControlScrollBar::IsScrollBarVisible() const {
  return visible_ && range_ > ControlSize();
}

void TControlScrollBar::SetPosition(std::int32_t position) {
  position = std::clamp(position, 0, MaxPosition());
  if (position == position_) return;
  const std::int32_t delta = position_ - position;
  position_ = position;
  if (kind_ == sbHorizontal)
    control_->ScrollBy(delta, 0);
  else
    control_->ScrollBy(0, delta);
  Update();
}

void TControlScrollBar::SetIncrement(std::int32_t increment) {
  if (increment > 0) increment_ = increment;
}

void TControlScrollBar::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  control_->UpdateScrollBars();
}

void TControlScrollBar::Update() {
  if (!control_->HandleAllocated()) return;
  const int bar = kind_ == sbHorizontal ? SB_HORZ : SB_VERT;
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  if (IsScrollBarVisible()) {
    info.nMax = range_ - 1;
    info.nPage = static_cast<UINT>(ControlSize());
    info.nPos = position_;
  }
  // A page that covers the whole range hides the bar.
  SetScrollInfo(control_->Handle(), bar, &info, TRUE);
}

void TControlScrollBar::ScrollMessage(WPARAM wParam) {
  const std::int32_t page = std::max(ControlSize() - increment_, increment_);
  switch (LOWORD(wParam)) {
    case SB_LINEUP:
      SetPosition(position_ - increment_);
      break;
    case SB_LINEDOWN:
      SetPosition(position_ + increment_);
      break;
    case SB_PAGEUP:
      SetPosition(position_ - page);
      break;
    case SB_PAGEDOWN:
      SetPosition(position_ + page);
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      // The message carries only 16 bits of the position; the bar itself knows all 32.
      SCROLLINFO info = {};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      if (GetScrollInfo(control_->Handle(), kind_ == sbHorizontal ? SB_HORZ : SB_VERT, &info))
        SetPosition(info.nTrackPos);
      break;
    }
    case SB_TOP:
      SetPosition(0);
      break;
    case SB_BOTTOM:
      SetPosition(MaxPosition());
      break;
  }
}

void TControlScrollBar::Assign(const TPersistent* source) {
  if (source && source->InheritsFrom(StaticClass)) {
    const auto* other = static_cast<const TControlScrollBar*>(source);
    visible_ = other->visible_;
    increment_ = other->increment_;
    scaled_ = other->scaled_;
    SetRange(other->range_);
    SetPosition(other->position_);
    return;
  }
  TPersistent::Assign(source);
}

// --- TScrollingWinControl -------------------------------------------------------------------

constinit const ClassInfo TScrollingWinControl::StaticClass{
    .name = "TScrollingWinControl",
    .parent = &TWinControl::StaticClass,
    .properties = kScrollingProperties,
};

constinit const MessageEntry TScrollingWinControl::kMessageEntries[] = {
    On<&TScrollingWinControl::WMHScroll>(WM_HSCROLL),
    On<&TScrollingWinControl::WMVScroll>(WM_VSCROLL),
};

constinit const MessageTable TScrollingWinControl::Messages{
    &TWinControl::Messages, {kMessageEntries, std::size(kMessageEntries)}};

TScrollingWinControl::TScrollingWinControl(TComponent* owner) : TWinControl(owner) {
  horzScrollBar_ = New<TControlScrollBar>(this, sbHorizontal);
  vertScrollBar_ = New<TControlScrollBar>(this, sbVertical);
}

TScrollingWinControl::~TScrollingWinControl() {
  FreeAndNil(horzScrollBar_);
  FreeAndNil(vertScrollBar_);
}

void TScrollingWinControl::SetAutoScroll(bool on) {
  if (on == autoScroll_) return;
  autoScroll_ = on;
  if (on)
    UpdateScrollBars();
  else {
    horzScrollBar_->SetAutoRange(0);
    vertScrollBar_->SetAutoRange(0);
  }
}

void TScrollingWinControl::CalcAutoRange() {
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  for (int i = 0; i < ChildCount(); ++i) {
    const TControl* child = Child(i);
    if (!child->Visible()) continue;
    right = std::max(right, child->Left() + child->Width());
    bottom = std::max(bottom, child->Top() + child->Height());
  }
  // The children's places are scrolled ones; the range counts from the content's origin.
  horzScrollBar_->SetAutoRange(right + horzScrollBar_->Position());
  vertScrollBar_->SetAutoRange(bottom + vertScrollBar_->Position());
}

void TScrollingWinControl::UpdateScrollBars() {
  // Showing or hiding a bar resizes the client area, which asks for this again.
  if (updatingScrollBars_ || Has(ComponentState::Loading) || Has(ComponentState::Destroying))
    return;
  updatingScrollBars_ = true;
  const Finally done([this] { updatingScrollBars_ = false; });
  if (autoScroll_) CalcAutoRange();
  horzScrollBar_->Update();
  vertScrollBar_->Update();
}

void TScrollingWinControl::ScrollBy(std::int32_t dx, std::int32_t dy) {
  if (dx == 0 && dy == 0) return;
  DisableAlign();
  const Finally enable([this] { EnableAlign(); });
  for (int i = 0; i < ChildCount(); ++i) {
    TControl* child = Child(i);
    child->ChangeBounds(child->Left() + dx, child->Top() + dy, child->Width(), child->Height());
  }
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TScrollingWinControl::ScrollInView(TControl* control) {
  if (!control || !ContainsControl(control) || control == this) return;
  // The control's rectangle in this control's client coordinates.
  RECT rect = control->BoundsRect();
  for (const TWinControl* parent = control->Parent(); parent && parent != this;
       parent = parent->Parent())
    OffsetRect(&rect, parent->Left(), parent->Top());
  const RECT client = ClientRect();
  if (rect.left < client.left)
    horzScrollBar_->SetPosition(horzScrollBar_->Position() - (client.left - rect.left));
  else if (rect.right > client.right && rect.right - rect.left <= client.right - client.left)
    horzScrollBar_->SetPosition(horzScrollBar_->Position() + (rect.right - client.right));
  if (rect.top < client.top)
    vertScrollBar_->SetPosition(vertScrollBar_->Position() - (client.top - rect.top));
  else if (rect.bottom > client.bottom && rect.bottom - rect.top <= client.bottom - client.top)
    vertScrollBar_->SetPosition(vertScrollBar_->Position() + (rect.bottom - client.bottom));
}

void TScrollingWinControl::AutoScrollInView(TControl* control) {
  if (autoScroll_ && control && !control->Has(ComponentState::Loading) &&
      !Has(ComponentState::Loading))
    ScrollInView(control);
}

void TScrollingWinControl::RescaleScrollBars(std::int32_t m, std::int32_t d) {
  if (m == d) return;
  if (!Has(ComponentState::Loading)) {
    horzScrollBar_->scaled_ = true;
    vertScrollBar_->scaled_ = true;
  }
  horzScrollBar_->SetPosition(0);
  vertScrollBar_->SetPosition(0);
  if (!autoScroll_) {
    for (TControlScrollBar* bar : {horzScrollBar_, vertScrollBar_})
      if (bar->scaled_) bar->SetAutoRange(MulDiv(bar->range_, m, d));
  }
}

void TScrollingWinControl::CreateWnd() {
  TWinControl::CreateWnd();
  UpdateScrollBars();
}

void TScrollingWinControl::AlignControls() {
  TWinControl::AlignControls();
  UpdateScrollBars();
}

void TScrollingWinControl::Resized() {
  TWinControl::Resized();
  UpdateScrollBars();
}

void TScrollingWinControl::WMHScroll(TMessage& message) {
  if (message.LParam == 0)
    horzScrollBar_->ScrollMessage(message.WParam);
  else
    Inherited<TScrollingWinControl>(message);
}

void TScrollingWinControl::WMVScroll(TMessage& message) {
  if (message.LParam == 0)
    vertScrollBar_->ScrollMessage(message.WParam);
  else
    Inherited<TScrollingWinControl>(message);
}

}  // namespace sx
