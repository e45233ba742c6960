#include "framework/controls/Timer.h"

#include "framework/controls/ExceptionBoundary.h"
#include "framework/runtime/Exception.h"
#include "framework/runtime/Finally.h"
#include "framework/runtime/Texts.h"

namespace sx {
namespace {

constexpr char kUtilWindowClass[] = "TPUtilWindow";
constexpr UINT_PTR kTimerId = 1;

TTimer::SetTimerFunction g_setTimer = &::SetTimer;

constexpr PropInfo kTimerProperties[] = {
    Property<&TTimer::Enabled, &TTimer::SetEnabled>("Enabled"),
    Property<&TTimer::Interval, &TTimer::SetInterval>("Interval"),
    Property<&TTimer::OnTimer, &TTimer::SetOnTimer>("OnTimer"),
};

// A hidden window of the module's "TPUtilWindow" class. The class keeps the system's
// default procedure; each window gets its owner's procedure after creation.
HWND CreateUtilWindow() {
  WNDCLASSA utilClass{};
  utilClass.lpfnWndProc = &DefWindowProcA;
  utilClass.hInstance = GetModuleHandleA(nullptr);
  utilClass.lpszClassName = kUtilWindowClass;
  WNDCLASSA registered{};
  const bool known = GetClassInfoA(utilClass.hInstance, kUtilWindowClass, &registered) != FALSE;
  if (!known || registered.lpfnWndProc != &DefWindowProcA) {
    // A class of this name with another procedure would hand our messages elsewhere
    // before the window's own procedure is in place.
    if (known) UnregisterClassA(kUtilWindowClass, utilClass.hInstance);
    RegisterClassA(&utilClass);
  }
  return CreateWindowExA(WS_EX_TOOLWINDOW, kUtilWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                         nullptr, utilClass.hInstance, nullptr);
}

}  // namespace

constinit const ClassInfo TTimer::StaticClass{
    .name = "TTimer",
    .parent = &TComponent::StaticClass,
    .construct = &ConstructComponent<TTimer>,
    .properties = kTimerProperties,
};

TTimer::SetTimerFunction TTimer::ReplaceSetTimer(SetTimerFunction function) {
  const SetTimerFunction previous = g_setTimer;
  g_setTimer = function ? function : &::SetTimer;
  return previous;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  window_ = CreateUtilWindow();
  if (window_) {
    entry_.SetHandler(MakeEvent<&TTimer::TimerWindowProc>(this));
    entry_.Bind(window_);
  }
}

TTimer::~TTimer() {
  if (tick_) *tick_ = true;
  // Normally TearDown has released the window already.
  ReleaseWindow();
}

void TTimer::TearDown() {
  enabled_ = false;
  UpdateSystemTimer();
  ReleaseWindow();
  TComponent::TearDown();
}

void TTimer::ReleaseWindow() {
  if (!window_) return;
  HWND window = window_;
  const auto procedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
  // The window still reaches this object while it is destroyed (its last messages go to
  // the default procedure through TimerWindowProc); only then is the binding dropped.
  DestroyWindow(window);
  window_ = nullptr;
  if (procedure != &DefWindowProcA) WindowEntry::Unbind(window);
  entry_.SetHandler(WindowEntry::Handler());
}

void TTimer::UpdateSystemTimer() {
  if (!window_) return;
  KillTimer(window_, kTimerId);
  if (interval_ != 0 && enabled_ && onTimer_) {
    if (g_setTimer(window_, kTimerId, interval_, nullptr) == 0)
      throw EOutOfResources(LoadText(TextId::SNoTimers));
  }
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  UpdateSystemTimer();
}

void TTimer::SetInterval(std::uint32_t interval) {
  if (interval == interval_) return;
  interval_ = interval;
  UpdateSystemTimer();
}

void TTimer::SetOnTimer(const TNotifyEvent& handler) {
  onTimer_ = handler;
  UpdateSystemTimer();
}

void TTimer::FireTimer() {
  onTimer_(this);
}

void TTimer::TimerWindowProc(TMessage& message) {
  if (message.Msg != WM_TIMER) {
    message.Result = DefWindowProcA(window_, message.Msg, message.WParam, message.LParam);
    return;
  }
  // A tick that comes while the previous one is still being processed (its handler, or the
  // box that reports its error, runs a message loop) is dropped, as the system drops ticks
  // that fall due while the thread is busy. Otherwise a handler that fails on every tick
  // would stack one error box inside the loop of the last, without end.
  if (tick_) return;
  bool destroyed = false;
  tick_ = &destroyed;
  // The handler may destroy the timer; then there is nothing left to reset.
  const Finally endTick([&] {
    if (!destroyed) tick_ = nullptr;
  });
  // A failing handler is reported and the timer keeps running: the next tick comes as
  // usual.
  RunReported(this, [this] { FireTimer(); });
}

}  // namespace sx
