#include "framework/controls/Timer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <vector>

#include "framework/controls/ApplicationHost.h"
#include "framework/runtime/Exception.h"
#include "tests/framework/controls/ControlTestSupport.h"
#include "tests/support/Raised.h"
#include "tests/support/WindowQueries.h"

namespace sx::testing {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Dispatches the thread's messages until `done` holds or the time is up; true when done.
bool PumpUntil(milliseconds limit, const std::function<bool()>& done) {
  const Clock::time_point end = Clock::now() + limit;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done()) return true;
    const Clock::time_point now = Clock::now();
    if (now >= end) return false;
    const auto wait = std::chrono::duration_cast<milliseconds>(end - now).count() + 1;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(wait), QS_ALLINPUT);
  }
}

void PumpFor(milliseconds span) {
  PumpUntil(span, [] { return false; });
}

class TickRecorder : public TObject {
 public:
  void Tick(TObject* sender) {
    times.push_back(Clock::now());
    senders.push_back(sender);
    ++running;
    mostRunning = std::max(mostRunning, running);
    // The first tick runs a message loop, as a handler that shows a message box does, with
    // one more timer message sent into it.
    if (running == 1 && loop > milliseconds(0)) {
      SendMessageA(window, WM_TIMER, 1, 0);
      PumpFor(loop);
    }
    --running;
    if (failing) throw Exception("tick failed");
  }
  TNotifyEvent Event() { return MakeEvent<&TickRecorder::Tick>(this); }
  std::size_t Count() const { return times.size(); }
  bool WaitFor(std::size_t count, milliseconds limit = milliseconds(3000)) {
    return PumpUntil(limit, [&] { return times.size() >= count; });
  }

  std::vector<Clock::time_point> times;
  std::vector<TObject*> senders;
  bool failing = false;
  milliseconds loop{0};
  HWND window = nullptr;
  int running = 0;
  int mostRunning = 0;
};

// Stands in for the error box while installed: runs a message loop for a while, as the box's
// modal loop does, with one more timer message sent into it, and counts the reports that are
// up at once.
struct LoopingReport final : TApplicationHost {
  void ControlDestroyed(TControl*) override {}
  bool ClickIntoDisabledWindow() override { return false; }
  void ReportException(TObject*) override {
    ++count;
    ++open;
    mostOpen = std::max(mostOpen, open);
    if (open == 1) {
      SendMessageA(window, WM_TIMER, 1, 0);
      PumpFor(milliseconds(150));
    }
    --open;
  }

  static inline HWND window = nullptr;
  static inline std::size_t count = 0;
  static inline int open = 0;
  static inline int mostOpen = 0;
};

// Whether the timer's window has a system timer; the check kills it.
bool HasSystemTimer(const TTimer* timer) {
  return KillTimer(timer->WindowHandle(), 1) != FALSE;
}

UINT_PTR WINAPI RefuseTimer(HWND, UINT_PTR, UINT, TIMERPROC) {
  return 0;
}

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override { ReportedExceptions().clear(); }
  void TearDown() override {
    FreeAndNil(timer);
    TTimer::ReplaceSetTimer(nullptr);
    ReportedExceptions().clear();
  }

  TTimer* MakeTimer(std::uint32_t interval) {
    timer = New<TTimer>(nullptr);
    timer->SetInterval(interval);
    return timer;
  }

  TTimer* timer = nullptr;
  TickRecorder ticks;
};

TEST_F(TimerTest, TicksRepeatedlyWithTheTimerAsSender) {
  MakeTimer(60)->SetOnTimer(ticks.Event());
  ASSERT_TRUE(ticks.WaitFor(3));
  for (TObject* sender : ticks.senders)
    EXPECT_EQ(sender, timer);
  for (std::size_t i = 1; i < ticks.Count(); ++i)
    EXPECT_GE(ticks.times[i] - ticks.times[i - 1], milliseconds(45));
}

TEST_F(TimerTest, UtilityWindowIsAHiddenToolPopupOfItsOwnClass) {
  MakeTimer(1000);
  HWND window = timer->WindowHandle();
  ASSERT_TRUE(IsWindow(window));
  EXPECT_EQ(WindowClass(window), "TPUtilWindow");
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & WS_VISIBLE);
  EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  WNDCLASSA registered{};
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "TPUtilWindow", &registered));
  EXPECT_EQ(registered.lpfnWndProc, &DefWindowProcA);
}

int g_staleProcedureCalls = 0;
LRESULT CALLBACK StaleProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  ++g_staleProcedureCalls;
  return DefWindowProcA(window, msg, wParam, lParam);
}

TEST_F(TimerTest, ClassLeftWithAnotherProcedureIsRegisteredAnew) {
  // No utility window may be alive for the class to go.
  const HINSTANCE module = GetModuleHandleA(nullptr);
  UnregisterClassA("TPUtilWindow", module);
  WNDCLASSA stale{};
  stale.lpfnWndProc = &StaleProcedure;
  stale.hInstance = module;
  stale.lpszClassName = "TPUtilWindow";
  ASSERT_TRUE(RegisterClassA(&stale));
  g_staleProcedureCalls = 0;

  MakeTimer(50)->SetOnTimer(ticks.Event());

  WNDCLASSA registered{};
  ASSERT_TRUE(GetClassInfoA(module, "TPUtilWindow", &registered));
  EXPECT_EQ(registered.lpfnWndProc, &DefWindowProcA);
  EXPECT_EQ(g_staleProcedureCalls, 0);
  EXPECT_TRUE(ticks.WaitFor(1));
}

TEST_F(TimerTest, NewTimerTicksOnceASecond) {
  timer = New<TTimer>(nullptr);
  const Clock::time_point assigned = Clock::now();
  timer->SetOnTimer(ticks.Event());
  ASSERT_TRUE(ticks.WaitFor(1));
  EXPECT_GE(ticks.times[0] - assigned, milliseconds(950));
}

TEST_F(TimerTest, EveryTimerMessageTicksWhateverItsIdentifierOrTheEnabledFlag) {
  MakeTimer(1000)->SetOnTimer(ticks.Event());
  timer->SetEnabled(false);
  SendMessageA(timer->WindowHandle(), WM_TIMER, 7, 0);
  EXPECT_EQ(ticks.Count(), 1u);
}

TEST_F(TimerTest, IntervalZeroSetsNoSystemTimer) {
  MakeTimer(0)->SetOnTimer(ticks.Event());
  EXPECT_TRUE(timer->Enabled());
  EXPECT_FALSE(HasSystemTimer(timer));
}

TEST_F(TimerTest, NoHandlerSetsNoSystemTimer) {
  MakeTimer(50);
  timer->SetEnabled(false);
  timer->SetEnabled(true);
  EXPECT_FALSE(HasSystemTimer(timer));
}

TEST_F(TimerTest, AssigningTheHandlerStartsTheTimer) {
  MakeTimer(50)->SetOnTimer(ticks.Event());
  EXPECT_TRUE(HasSystemTimer(timer));
}

// Each update kills the system timer and sets it again: the next tick comes one whole
// interval after the update, not when the old period would have ended.
struct RestartCase {
  const char* name;
  void (*update)(TTimer& timer, TickRecorder& ticks);
};

class TimerRestartTest : public TimerTest, public ::testing::WithParamInterface<RestartCase> {};

TEST_P(TimerRestartTest, UpdateRestartsThePeriod) {
  MakeTimer(500)->SetOnTimer(ticks.Event());
  PumpFor(milliseconds(250));
  ASSERT_EQ(ticks.Count(), 0u) << "the machine is too slow for this timing";
  GetParam().update(*timer, ticks);
  const Clock::time_point updated = Clock::now();
  ASSERT_TRUE(ticks.WaitFor(1));
  EXPECT_GE(ticks.times[0] - updated, milliseconds(440));
}

INSTANTIATE_TEST_SUITE_P(
    Updates, TimerRestartTest,
    ::testing::Values(
        RestartCase{"DisableEnable",
                    [](TTimer& timer, TickRecorder&) {
                      timer.SetEnabled(false);
                      timer.SetEnabled(true);
                    }},
        RestartCase{"IntervalChange", [](TTimer& timer, TickRecorder&) { timer.SetInterval(499); }},
        RestartCase{"SameHandler",
                    [](TTimer& timer, TickRecorder& ticks) { timer.SetOnTimer(ticks.Event()); }}),
    [](const ::testing::TestParamInfo<RestartCase>& info) { return info.param.name; });

TEST_F(TimerTest, EnablingAnEnabledTimerKeepsThePeriod) {
  MakeTimer(500)->SetOnTimer(ticks.Event());
  PumpFor(milliseconds(250));
  ASSERT_EQ(ticks.Count(), 0u) << "the machine is too slow for this timing";
  timer->SetEnabled(true);
  timer->SetInterval(500);
  const Clock::time_point updated = Clock::now();
  ASSERT_TRUE(ticks.WaitFor(1));
  EXPECT_LT(ticks.times[0] - updated, milliseconds(400));
}

TEST_F(TimerTest, FailingHandlerIsReportedOncePerTickAndTheTimerGoesOn) {
  ticks.failing = true;
  MakeTimer(40)->SetOnTimer(ticks.Event());
  ASSERT_TRUE(ticks.WaitFor(4));
  PumpFor(milliseconds(0));
  ASSERT_EQ(ReportedExceptions().size(), ticks.Count());
  for (const ReportedException& reported : ReportedExceptions()) {
    EXPECT_EQ(reported.sender, timer);
    EXPECT_EQ(reported.message, "tick failed");
  }
}

// A tick's handler, or the report of its error, runs a message loop in which timer messages
// arrive: they must not start a tick inside the tick (a handler failing every time would stack
// error boxes without end), and the ticks go on once the loop is over.
struct NestedLoopCase {
  const char* name;
  bool loopInHandler;
  bool failing;
};

class TimerNestedLoopTest : public TimerTest, public ::testing::WithParamInterface<NestedLoopCase> {
 protected:
  void TearDown() override {
    if (previousHost_) SetApplicationHost(*previousHost_);
    TimerTest::TearDown();
  }

  LoopingReport loopingReport_;
  std::optional<TApplicationHost*> previousHost_;
};

TEST_P(TimerNestedLoopTest, TickArrivingWhileTheLastIsProcessedIsDropped) {
  const NestedLoopCase& param = GetParam();
  MakeTimer(20);
  ticks.window = timer->WindowHandle();
  ticks.failing = param.failing;
  if (param.loopInHandler) ticks.loop = milliseconds(150);
  LoopingReport::window = timer->WindowHandle();
  LoopingReport::count = 0;
  LoopingReport::mostOpen = 0;
  if (!param.loopInHandler) previousHost_ = SetApplicationHost(&loopingReport_);

  timer->SetOnTimer(ticks.Event());

  ASSERT_TRUE(ticks.WaitFor(3)) << "the ticks stopped";
  EXPECT_EQ(ticks.mostRunning, 1);
  EXPECT_EQ(LoopingReport::mostOpen, param.failing && !param.loopInHandler ? 1 : 0);
  if (!param.loopInHandler) {
    EXPECT_EQ(LoopingReport::count, param.failing ? ticks.Count() : 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Loops, TimerNestedLoopTest,
                         ::testing::Values(NestedLoopCase{"ErrorReport", false, true},
                                           NestedLoopCase{"Handler", true, false},
                                           NestedLoopCase{"FailingHandler", true, true}),
                         [](const ::testing::TestParamInfo<NestedLoopCase>& info) {
                           return info.param.name;
                         });

TEST_F(TimerTest, DestroyingTheOwnerStopsTheTicks) {
  TComponent* owner = New<TComponent>(nullptr);
  auto* owned = New<TTimer>(owner);
  owned->SetInterval(40);
  owned->SetOnTimer(ticks.Event());
  ASSERT_TRUE(ticks.WaitFor(1));
  HWND window = owned->WindowHandle();

  owner->Free();
  const std::size_t before = ticks.Count();
  PumpFor(milliseconds(250));

  EXPECT_EQ(ticks.Count(), before);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(TimerTest, RefusedTimerRaisesAndKeepsEnabled) {
  MakeTimer(50)->SetEnabled(false);
  timer->SetOnTimer(ticks.Event());
  TTimer::ReplaceSetTimer(&RefuseTimer);
  EXPECT_EQ(Raised([&] { timer->SetEnabled(true); }),
            "EOutOfResources: Not enough timers available");
  EXPECT_TRUE(timer->Enabled());
  EXPECT_FALSE(HasSystemTimer(timer));
}

TEST_F(TimerTest, EnablingAgainAfterARefusalDoesNotRetry) {
  MakeTimer(50)->SetEnabled(false);
  timer->SetOnTimer(ticks.Event());
  TTimer::ReplaceSetTimer(&RefuseTimer);
  EXPECT_THROW(timer->SetEnabled(true), EOutOfResources);
  TTimer::ReplaceSetTimer(nullptr);

  timer->SetEnabled(true);
  EXPECT_FALSE(HasSystemTimer(timer));
  timer->SetEnabled(false);
  timer->SetEnabled(true);
  EXPECT_TRUE(HasSystemTimer(timer));
}

}  // namespace
}  // namespace sx::testing
