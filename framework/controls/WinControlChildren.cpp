// The windowed control's children: inserting and removing them, their order, the tab
// order and the focus among them.

#include "framework/controls/WinControl.h"

#include <algorithm>
#include <vector>

#include "framework/controls/FormHost.h"
#include "framework/runtime/Exception.h"
#include "framework/runtime/Format.h"
#include "framework/runtime/Texts.h"

namespace sx {
namespace {

template <class T>
void MoveWithin(std::vector<T*>& list, T* item, int position) {
  const auto it = std::find(list.begin(), list.end(), item);
  if (it == list.end()) return;
  const int current = static_cast<int>(it - list.begin());
  const int target = std::clamp(position, 0, static_cast<int>(list.size()) - 1);
  if (target == current) return;
  list.erase(it);
  list.insert(list.begin() + target, item);
}

}  // namespace

// --- Children ---------------------------------------------------------------------------------

int TWinControl::ChildCount() const {
  return static_cast<int>(controls_.size() + winControls_.size());
}

TControl* TWinControl::Child(int index) const {
  if (index < 0 || index >= ChildCount())
    throw EListError(Format(LoadText(TextId::SListIndexError), {index}));
  const auto at = static_cast<std::size_t>(index);
  if (at < controls_.size()) return controls_[at];
  return winControls_[at - controls_.size()];
}

bool TWinControl::ContainsControl(const TControl* control) const {
  for (; control; control = control->Parent())
    if (control == this) return true;
  return false;
}

TControl* TWinControl::PlainChildAt(POINT point) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* child = *it;
    const RECT bounds = child->BoundsRect();
    if (child->Visible() && child->Enabled() && PtInRect(&bounds, point)) return child;
  }
  return nullptr;
}

void TWinControl::CheckChildInsert(TControl*) {}

void TWinControl::InsertControl(TControl* control) {
  CheckChildInsert(control);
  DeliverMessage(FWM_CONTROLLISTCHANGING, reinterpret_cast<WPARAM>(control), 1);
  const bool windowed = control->InheritsFrom(StaticClass);
  if (windowed) {
    auto* child = static_cast<TWinControl*>(control);
    winControls_.push_back(child);
    tabList_.push_back(child);
  } else {
    controls_.push_back(control);
  }
  control->parent_ = this;
  if (!control->Has(ComponentState::Reading)) {
    control->DeliverMessage(FWM_PARENTCOLORCHANGED);
    control->DeliverMessage(FWM_PARENTFONTCHANGED);
    control->DeliverMessage(FWM_PARENTSHOWHINTCHANGED);
    control->DeliverMessage(FWM_PARENTBIDICHANGED);
    if (windowed) {
      control->DeliverMessage(FWM_PARENTCTL3DCHANGED);
      UpdateControlState();
    } else if (handle_) {
      control->Invalidate();
    }
    Realign();
  }
  DeliverMessage(FWM_CONTROLLISTCHANGED, reinterpret_cast<WPARAM>(control), 1);
}

void TWinControl::RemoveControl(TControl* control) {
  DeliverMessage(FWM_CONTROLLISTCHANGING, reinterpret_cast<WPARAM>(control), 0);
  if (control->InheritsFrom(StaticClass)) {
    auto* child = static_cast<TWinControl*>(control);
    child->RemoveFocus(true);
    child->DestroyHandle();
    std::erase(winControls_, child);
    std::erase(tabList_, child);
  } else {
    if (handle_) control->InvalidateArea(true);
    std::erase(controls_, control);
  }
  control->parent_ = nullptr;
  DeliverMessage(FWM_CONTROLLISTCHANGED, reinterpret_cast<WPARAM>(control), 0);
  Realign();
}

HWND TWinControl::WindowBehindOf(const TWinControl* child) const {
  auto it = std::find(winControls_.begin(), winControls_.end(), child);
  if (it == winControls_.end()) return HWND_TOP;
  for (++it; it != winControls_.end(); ++it)
    if ((*it)->handle_) return (*it)->handle_;
  return HWND_TOP;
}

void TWinControl::SetChildPosition(TComponent* child, int position) {
  if (!child || !child->InheritsFrom(TControl::StaticClass)) return;
  auto* control = static_cast<TControl*>(child);
  if (control->Parent() != this) return;
  if (control->InheritsFrom(StaticClass)) {
    auto* windowed = static_cast<TWinControl*>(control);
    MoveWithin(winControls_, windowed, position);
    if (windowed->handle_)
      SetWindowPos(windowed->handle_, WindowBehindOf(windowed), 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  } else {
    MoveWithin(controls_, control, position);
    control->Invalidate();
  }
}

// --- Tab order --------------------------------------------------------------------------------

std::int16_t TWinControl::TabOrder() const {
  if (ControlStateOf().Contains(ControlState::ReadingState)) return tabOrder_;
  if (!Parent()) return -1;
  const auto& list = Parent()->tabList_;
  const auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? std::int16_t{-1} : static_cast<std::int16_t>(it - list.begin());
}

void TWinControl::SetTabOrder(std::int16_t order) {
  if (ControlStateOf().Contains(ControlState::ReadingState))
    tabOrder_ = order;
  else
    MoveTabIndex(order);
}

void TWinControl::MoveTabIndex(std::int16_t index) {
  if (Parent()) MoveWithin(Parent()->tabList_, this, index);
}

void TWinControl::FixTabList() {
  const std::size_t count = winControls_.size();
  std::vector<TWinControl*> slots(count, nullptr);
  for (TWinControl* child : winControls_)
    if (child->tabOrder_ >= 0 && static_cast<std::size_t>(child->tabOrder_) < count)
      slots[static_cast<std::size_t>(child->tabOrder_)] = child;
  for (std::size_t i = 0; i < count; ++i)
    if (slots[i]) slots[i]->MoveTabIndex(static_cast<std::int16_t>(i));
}

void TWinControl::CollectTabOrder(std::vector<TWinControl*>& list) const {
  for (TWinControl* child : tabList_) {
    list.push_back(child);
    child->CollectTabOrder(list);
  }
}

void TWinControl::SetTabStop(bool value) {
  if (value == tabStop_) return;
  tabStop_ = value;
  if (handle_) {
    const LONG style = GetWindowLongA(handle_, GWL_STYLE);
    SetWindowLongA(handle_, GWL_STYLE, value ? style | WS_TABSTOP : style & ~WS_TABSTOP);
  }
  DeliverMessage(FWM_TABSTOPCHANGED);
}

// --- Focus ------------------------------------------------------------------------------------

bool TWinControl::CanFocus() const {
  const TWinControl* form = GetParentForm(this);
  if (!form) return false;
  for (const TWinControl* control = this; control != form; control = control->Parent())
    if (!control->Visible() || !control->Enabled()) return false;
  return true;
}

bool TWinControl::Focused() const {
  return handle_ && GetFocus() == handle_;
}

void TWinControl::SetFocus() {
  if (TFormHost* form = FormHostOf(this)) {
    form->FocusControl(this);
    return;
  }
  const TWinControl* outermost = this;
  while (outermost->Parent())
    outermost = outermost->Parent();
  if (!outermost->parentWindow_)
    throw EInvalidOperation(Format(LoadText(TextId::SParentRequired), {Name()}));
  ::SetFocus(Handle());
}

void TWinControl::RemoveFocus(bool removing) {
  if (TFormHost* form = FormHostOf(this)) form->DefocusControl(this, removing);
}

}  // namespace sx
