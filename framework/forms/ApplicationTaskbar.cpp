// The application as the taskbar sees it: minimising and restoring the whole program through
// the application window, the top-most windows while the program is inactive, and bringing
// the window that holds the program modal back to the front.

#include <vector>

#include "framework/controls/WinControl.h"
#include "framework/forms/Application.h"
#include "framework/forms/CustomForm.h"
#include "framework/forms/Screen.h"

namespace sx {
namespace {

constexpr UINT kZOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

// The system reads and writes the animation record by its size; older headers differ in
// nothing else.
static_assert(sizeof(ANIMATIONINFO) == 8);

struct TopMostWalk {
  HWND application;
  HWND excluded;
  std::vector<HWND>* list;
  HWND anchor;
};

BOOL CALLBACK CollectTopMost(HWND window, LPARAM data) {
  auto& walk = *reinterpret_cast<TopMostWalk*>(data);
  if (GetWindow(window, GW_OWNER) != walk.application) return TRUE;
  if ((GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) && window != walk.excluded) {
    // Nothing may be thrown back through the system's enumeration.
    try {
      walk.list->push_back(window);
    } catch (...) {
      // Without room the rest stay where they are.
      return FALSE;
    }
    return TRUE;
  }
  walk.anchor = window;
  return FALSE;
}

}  // namespace

bool TApplication::MainFormAnimates() {
  return mainForm_ && (showMainForm_ || mainForm_->Visible()) && mainForm_->HandleAllocated() &&
         IsWindowEnabled(mainForm_->Handle());
}

void TApplication::MinimizeApp() {
  if (!handle_ || IsIconic(handle_)) return;
  LowerTopMostWindows(false);
  // The system hides the owned windows of a minimised window only when it is the active one.
  SetActiveWindow(handle_);
  if (MainFormAnimates()) {
    // The system's minimise animation starts from the main form's place.
    SetWindowPos(handle_, mainForm_->Handle(), mainForm_->Left(), mainForm_->Top(),
                 mainForm_->Width(), 0, SWP_SHOWWINDOW);
    DefWindowProcA(handle_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else {
    ShowWithoutAnimation(handle_, SW_MINIMIZE);
  }
  // Both ways show the window (the start-up case minimises it from hidden): the taskbar
  // button must go again when the last form is hidden later.
  appWindowVisible_ = IsWindowVisible(handle_) != FALSE;
  if (OnAppMinimize) OnAppMinimize(this);
}

void TApplication::RestoreApp() {
  if (!handle_ || !IsIconic(handle_)) return;
  SetActiveWindow(handle_);
  if (MainFormAnimates())
    DefWindowProcA(handle_, WM_SYSCOMMAND, SC_RESTORE, 0);
  else
    ShowWithoutAnimation(handle_, SW_RESTORE);
  // Restoring gave the window the size it was minimised from; nothing of it may show.
  SetWindowPos(handle_, HWND_TOP, GetSystemMetrics(SM_CXSCREEN) / 2,
               GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, SWP_SHOWWINDOW);
  appWindowVisible_ = IsWindowVisible(handle_) != FALSE;
  // Started minimised: the main form was never shown.
  if (mainForm_ && mainForm_->WindowState() == wsMinimized && !mainForm_->Visible()) {
    mainForm_->SetWindowState(wsNormal);
    mainForm_->Show();
  }
  RaiseTopMostWindows();
  if (Screen && Screen->ActiveControl() && Screen->ActiveControl()->HandleAllocated())
    SetFocus(Screen->ActiveControl()->Handle());
  if (OnAppRestore) OnAppRestore(this);
}

void TApplication::ShowWithoutAnimation(HWND window, int command) {
  ANIMATIONINFO info = {};
  info.cbSize = sizeof info;
  const bool animated =
      SystemParametersInfoA(SPI_GETANIMATION, sizeof info, &info, 0) && info.iMinAnimate != 0;
  const int saved = info.iMinAnimate;
  if (animated) {
    info.iMinAnimate = 0;
    SystemParametersInfoA(SPI_SETANIMATION, sizeof info, &info, 0);
  }
  ShowWindow(window, command);
  if (animated) {
    info.iMinAnimate = saved;
    SystemParametersInfoA(SPI_SETANIMATION, sizeof info, &info, 0);
  }
}

void TApplication::BringAppToFront() {
  if (!handle_) return;
  HWND popup = GetLastActivePopup(handle_);
  if (popup && popup != handle_ && IsWindowVisible(popup) && IsWindowEnabled(popup))
    SetForegroundWindow(popup);
}

bool TApplication::ClickIntoDisabledWindow() {
  if (!handle_ || GetLastActivePopup(handle_) == GetForegroundWindow()) return false;
  BringAppToFront();
  return true;
}

void TApplication::LowerTopMostWindows(bool includeMainForm) {
  if (!handle_) return;
  if (topMostLevel_ == 0) {
    HWND excluded = nullptr;
    if (!includeMainForm && mainForm_ && mainForm_->HandleAllocated())
      excluded = mainForm_->Handle();
    TopMostWalk walk{handle_, excluded, &topMostList_, nullptr};
    EnumWindows(&CollectTopMost, reinterpret_cast<LPARAM>(&walk));
    if (!topMostList_.empty()) {
      // Every owned window was collected when there is no anchor: the windows go to the
      // top of the ordinary ones.
      HWND after = walk.anchor ? GetWindow(walk.anchor, GW_HWNDPREV) : nullptr;
      if (!after || (GetWindowLongA(after, GWL_EXSTYLE) & WS_EX_TOPMOST)) after = HWND_NOTOPMOST;
      for (auto it = topMostList_.rbegin(); it != topMostList_.rend(); ++it)
        SetWindowPos(*it, after, 0, 0, 0, 0, kZOrderOnly);
    }
  }
  ++topMostLevel_;
}

void TApplication::RaiseTopMostWindows() {
  if (!handle_ || topMostLevel_ == 0) return;
  if (--topMostLevel_ > 0) return;
  for (auto it = topMostList_.rbegin(); it != topMostList_.rend(); ++it)
    SetWindowPos(*it, HWND_TOPMOST, 0, 0, 0, 0, kZOrderOnly);
  topMostList_.clear();
}

}  // namespace sx
