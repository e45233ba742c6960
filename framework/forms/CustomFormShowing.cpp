// A form showing and hiding: the monitor it opens on, centring, the OnShow and OnHide events,
// the window state, and the handing on of the activation when it hides.

#include <algorithm>

#include "framework/controls/ExceptionBoundary.h"
#include "framework/forms/CustomForm.h"
#include "framework/forms/Desktop.h"
#include "framework/forms/Screen.h"
#include "framework/forms/ThreadWindows.h"
#include "framework/runtime/Finally.h"
#include "framework/runtime/Texts.h"

namespace sx {
namespace {

// ShowWindow commands: the one a form is shown with, by WindowState, and the one a change of
// WindowState applies to a showing form.
constexpr int kShowCommands[] = {SW_SHOWNORMAL, SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED};
constexpr int kStateCommands[] = {SW_SHOWNORMAL, SW_MINIMIZE, SW_SHOWMAXIMIZED};

// Hides a window without activating another one in its place.
constexpr UINT kHideOnly = SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;

}  // namespace

// --- Showing --------------------------------------------------------------------------------

void TCustomForm::SetVisible(bool visible) {
  if (formState_.Contains(FormState::Creating)) {
    formState_.Assign(FormState::VisibleWish, visible);
    return;
  }
  if (!visible && formStyle_ == fsMDIChild && Visible() && !Has(ComponentState::Destroying))
    throw EInvalidOperation(LoadText(TextId::SMDIChildNotVisible));
  if (visible && !Visible()) MoveToDefaultMonitor();
  TScrollingWinControl::SetVisible(visible);
}

void TCustomForm::Show() {
  SetVisible(true);
  SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}
void TCustomForm::SetWindowState(TWindowState state) {
  if (state == windowState_) return;
  windowState_ = state;
  if (!Has(ComponentState::Designing) && Showing()) ShowWindow(Handle(), kStateCommands[state]);
}

namespace {

// The monitor a form is on: its window's, or before it has one the monitor nearest its
// bounds.
HMONITOR MonitorOf(TCustomForm& form) {
  if (form.HandleAllocated()) return Desktop().monitorFromWindow(form.Handle());
  return Desktop().monitorFromRect(form.BoundsRect());
}

}  // namespace

HMONITOR TCustomForm::DefaultMonitor() {
  // A form opens on the monitor of the active form, or of the main form before there is one.
  TCustomForm* reference = Screen ? Screen->ActiveCustomForm() : nullptr;
  if (!reference && Application) reference = Application->MainForm();
  if (reference && reference != this && reference->HandleAllocated())
    return Desktop().monitorFromWindow(reference->Handle());
  return MonitorOf(*this);
}

void TCustomForm::MoveToDefaultMonitor() {
  if (Parent() || ParentWindow() || !Screen || !Application) return;
  const HMONITOR target = DefaultMonitor();
  const HMONITOR current = MonitorOf(*this);
  if (target == current) return;
  MONITORINFO to{};
  MONITORINFO from{};
  if (!Desktop().monitorInfo(target, to) || !Desktop().monitorInfo(current, from)) return;
  ChangeBounds(Left() + to.rcWork.left - from.rcWork.left, Top() + to.rcWork.top - from.rcWork.top,
               Width(), Height());
}

void TCustomForm::ApplyCentring() {
  if (position_ < poScreenCenter || Parent() || ParentWindow()) return;
  TCustomForm* reference = nullptr;
  if (position_ == poOwnerFormCenter && Owner() && Owner()->InheritsFrom(StaticClass))
    reference = static_cast<TCustomForm*>(Owner());
  if ((position_ == poMainFormCenter || position_ == poOwnerFormCenter) && !reference &&
      Application)
    reference = Application->MainForm();
  if (reference == this) reference = nullptr;
  // What the form is centred over, and the area whose top-left corner keeps its caption
  // reachable when the form is the larger: the monitor the form opens on, as a rule.
  RECT over{};
  RECT area{};
  if (position_ == poDesktopCenter) {
    over = area = RECT{Screen->DesktopLeft(), Screen->DesktopTop(),
                       Screen->DesktopLeft() + Screen->DesktopWidth(),
                       Screen->DesktopTop() + Screen->DesktopHeight()};
  } else if (reference && position_ >= poMainFormCenter) {
    over = reference->BoundsRect();
    area = MonitorWorkArea(MonitorOf(*reference));
  } else if (position_ == poScreenCenter) {
    // The screen is the monitor's whole area, a taskbar on it included; the form is centred
    // there and then stands on the monitor it opens on.
    over = area = MonitorRect(DefaultMonitor());
  } else {
    over = area = MonitorWorkArea(DefaultMonitor());
  }
  const std::int32_t x =
      std::max<std::int32_t>(over.left + (over.right - over.left - Width()) / 2, area.left);
  const std::int32_t y =
      std::max<std::int32_t>(over.top + (over.bottom - over.top - Height()) / 2, area.top);
  ChangeBounds(x, y, Width(), Height());
}

void TCustomForm::FWMShowingChanged(TMessage&) {
  if (formState_.Contains(FormState::Showing))
    throw EInvalidOperation(LoadText(TextId::SVisibleChanged));
  if (Application) Application->SyncAppWindowVisibility();
  formState_.Include(FormState::Showing);
  Finally clear([this] { formState_.Exclude(FormState::Showing); });
  if (Showing()) {
    RunReported(this, [this] {
      if (onShow_) onShow_(this);
    });
    ApplyCentring();
    // Placed once, the form stays where it is: a window made again later keeps the place
    // instead of being centred or placed by the system anew.
    position_ = poDesigned;
    ShowWindow(Handle(), kShowCommands[windowState_]);
    return;
  }
  RunReported(this, [this] {
    if (onHide_) onHide_(this);
  });
  HWND window = Handle();
  if (formState_.Contains(FormState::Modal)) {
    SetWindowPos(window, nullptr, 0, 0, 0, 0, kHideOnly);
    return;
  }
  if (GetActiveWindow() == window && !IsIconic(window)) {
    // Hand the activation to another window of the program rather than to whatever the
    // system would pick.
    if (HWND next = FindFirstThreadWindow(window)) {
      SetWindowPos(window, nullptr, 0, 0, 0, 0, kHideOnly);
      SetActiveWindow(next);
      return;
    }
  }
  ShowWindow(window, SW_HIDE);
}

void TCustomForm::WMShowWindow(TMessage& message) {
  HWND window = Handle();
  switch (message.LParam) {
    case SW_PARENTCLOSING:
      savedShow_ = IsIconic(window)   ? SavedShow::Minimise
                   : IsZoomed(window) ? SavedShow::Maximise
                                      : SavedShow::Restore;
      Inherited<TCustomForm>(message);
      break;
    case SW_PARENTOPENING:
      if (savedShow_ != SavedShow::None) {
        static constexpr int kCommands[] = {SW_SHOWNOACTIVATE, SW_SHOWNOACTIVATE,
                                            SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED};
        ShowWindow(window, kCommands[static_cast<int>(savedShow_)]);
        savedShow_ = SavedShow::None;
      }
      break;
    default:
      Inherited<TCustomForm>(message);
  }
}

void TCustomForm::WMSize(TMessage& message) {
  if (!Has(ComponentState::Designing)) {
    switch (message.WParam) {
      case SIZE_RESTORED:
        windowState_ = wsNormal;
        break;
      case SIZE_MINIMIZED:
        windowState_ = wsMinimized;
        break;
      case SIZE_MAXIMIZED:
        windowState_ = wsMaximized;
        break;
    }
  }
  Inherited<TCustomForm>(message);
}

void TCustomForm::WMSysCommand(TMessage& message) {
  // The main form does not minimise alone: the whole application goes to the taskbar.
  if ((message.WParam & 0xFFF0) == SC_MINIMIZE && Application &&
      static_cast<TCustomForm*>(Application->MainForm()) == this && Application->Handle()) {
    message.Result =
        SendMessageA(Application->Handle(), WM_SYSCOMMAND, message.WParam, message.LParam);
    return;
  }
  Inherited<TCustomForm>(message);
}

}  // namespace sx
