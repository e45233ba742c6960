// The application's message loop: taking and dispatching messages, the idle step with the
// mouse tracking and the hints, and the calls other threads queue for the loop to run.

#include <cstdlib>

#include "framework/controls/ExceptionBoundary.h"
#include "framework/controls/WinControl.h"
#include "framework/forms/Application.h"
#include "framework/forms/CustomForm.h"
#include "framework/forms/HintWindow.h"
#include "framework/forms/RuntimeError.h"
#include "framework/runtime/Finally.h"

namespace sx {
namespace {

bool g_cleanupRegistered = false;

// The framework control under a point of the screen, disabled ones included: the window the
// system finds there, the disabled windowed children it passes over, then a plain child.
TControl* ControlAtPoint(POINT point) {
  HWND window = WindowFromPoint(point);
  TWinControl* control = nullptr;
  for (; window && !(control = TWinControl::FromWindow(window)); window = GetParent(window)) {
  }
  if (!control) return nullptr;
  for (;;) {
    POINT client = point;
    ScreenToClient(control->Handle(), &client);
    TWinControl* inner = nullptr;
    const auto& children = control->WindowedChildren();
    for (auto it = children.rbegin(); it != children.rend() && !inner; ++it) {
      TWinControl* child = *it;
      const RECT bounds = child->BoundsRect();
      if (child->HandleAllocated() && IsWindowVisible(child->Handle()) && PtInRect(&bounds, client))
        inner = child;
    }
    if (!inner) {
      const auto& plain = control->PlainChildren();
      for (auto it = plain.rbegin(); it != plain.rend(); ++it) {
        const RECT bounds = (*it)->BoundsRect();
        if ((*it)->Visible() && PtInRect(&bounds, client)) return *it;
      }
      return control;
    }
    control = inner;
  }
}

void CleanupAtExit() {
  ApplicationCleanup();
}

}  // namespace

// --- The loop -------------------------------------------------------------------------------

void TApplication::Run() {
  running_ = true;
  const Finally clearRunning([this] { running_ = false; });
  if (!g_cleanupRegistered) {
    g_cleanupRegistered = true;
    std::atexit(&CleanupAtExit);
  }
  if (!mainForm_) return;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
  if (show == SW_SHOWMAXIMIZED)
    mainForm_->SetWindowState(wsMaximized);
  else if (show == SW_SHOWMINNOACTIVE)
    mainForm_->RecordWindowState(wsMinimized);
  if (showMainForm_) {
    if (mainForm_->WindowState() == wsMinimized)
      MinimizeApp();
    else
      mainForm_->SetVisible(true);
  }
  // Painted at once, controls and all, as a program made by hand does; waiting for the loop
  // would fetch each control's first paint as a message of its own, a round trip to the
  // window server each (seen on Wine 8.0).
  if (mainForm_->HandleAllocated() && IsWindowVisible(mainForm_->Handle()))
    UpdateWindow(mainForm_->Handle());
  while (!terminated_)
    RunReported(this, [this] { HandleNextMessage(); });
}

void TApplication::Terminate() {
  PostQuitMessage(0);
}

void TApplication::HandleNextMessage() {
  if (!ProcessOneMessage()) IdleStep();
}

bool TApplication::ProcessOneMessage() {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  bool handled = false;
  if (OnAppMessage) OnAppMessage(msg, handled);
  IsHintMessage(msg);
  if (handled || IsKeyMessage(msg) || (dialogWindow_ && IsDialogMessageA(dialogWindow_, &msg)))
    return true;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return true;
}

bool TApplication::IsHintMessage(MSG& msg) {
  if (hintWindow_ && hintWindow_->IsHintMessage(msg)) {
    CancelHint();
    return true;
  }
  return false;
}

bool TApplication::IsKeyMessage(MSG& msg) {
  if (msg.message < kFirstKeyMessage || msg.message > kLastKeyMessage) return false;
  HWND target = GetCapture();
  if (target) {
    if (reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(target, GWLP_HINSTANCE)) != MainInstance())
      return false;
  } else {
    // The key goes to the nearest control of ours at or above the window it is typed into.
    target = msg.hwnd;
    while (target && !TWinControl::FromWindow(target))
      target = GetParent(target);
  }
  // Handled here rather than sent to the window, the key is still guarded as the control's
  // own message would be: what its handling throws is reported for the control, and the key
  // then goes its usual way, instead of ending the loop (or a modal run) that took it.
  TMessage message{msg.message, msg.wParam, msg.lParam, 0};
  bool taken = false;
  RunReported(TWinControl::FromWindow(target),
              [&] { taken = TWinControl::Reflect(target, message) && message.Result != 0; });
  return taken;
}

void TApplication::IdleStep() {
  TrackMouse();
  if (showHint_ && !mouseControl_) CancelHint();
  bool done = true;
  RunReported(this, [this, &done] {
    if (OnAppIdle) OnAppIdle(this, done);
  });
  if (RunCrossThreadCalls()) done = false;
  if (done) WaitMessage();
}

void TApplication::TrackMouse() {
  POINT point;
  TControl* control = nullptr;
  if (GetCursorPos(&point)) control = ControlAtPoint(point);
  if (control && control->Has(ComponentState::Designing)) control = nullptr;
  if (control == mouseControl_) return;
  TControl* capture = CaptureControl();
  if (mouseControl_ && (!capture || capture == mouseControl_))
    mouseControl_->DeliverMessage(FWM_MOUSELEAVE);
  mouseControl_ = control;
  if (mouseControl_ && (!capture || capture == mouseControl_))
    mouseControl_->DeliverMessage(FWM_MOUSEENTER);
}

// --- Hints ----------------------------------------------------------------------------------

void TApplication::SetHint(const std::string& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  if (OnAppHint) OnAppHint(this);
}

void TApplication::SetShowHint(bool on) {
  if (on == showHint_) return;
  showHint_ = on;
  if (on) {
    hintWindow_ = New<THintWindow>(this);
    hintWindow_->SetColor(hintColor_);
  } else {
    FreeAndNil(hintWindow_);
  }
}

void TApplication::SetHintColor(TColor color) {
  hintColor_ = color;
  if (hintWindow_) hintWindow_->SetColor(color);
}

void TApplication::CancelHint() {
  if (hintWindow_) hintWindow_->ReleaseHandle();
}

// --- Cross-thread calls ---------------------------------------------------------------------

void TApplication::Synchronize(std::function<void()> call) {
  if (GetCurrentThreadId() == mainThread_) {
    call();
    return;
  }
  auto pending = std::make_shared<PendingCall>();
  pending->call = std::move(call);
  std::future<void> done = pending->done.get_future();
  {
    std::lock_guard lock(callsMutex_);
    calls_.push_back(pending);
  }
  if (handle_) PostMessageA(handle_, WM_NULL, 0, 0);
  done.get();
}

bool TApplication::RunCrossThreadCalls() {
  std::vector<std::shared_ptr<PendingCall>> calls;
  {
    std::lock_guard lock(callsMutex_);
    calls.swap(calls_);
  }
  for (const auto& pending : calls) {
    try {
      pending->call();
      pending->done.set_value();
    } catch (...) {
      // The waiting thread gets the error back.
      pending->done.set_exception(std::current_exception());
    }
  }
  return !calls.empty();
}

}  // namespace sx
