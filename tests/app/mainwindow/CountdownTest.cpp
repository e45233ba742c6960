// The countdown on the real main window, driven tick by tick: each tick is a timer message
// sent to the timer's hidden window, as the system would post it, so no test waits for the
// clock. The system actions go to a recorder.

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "framework/forms/Application.h"
#include "framework/runtime/Finally.h"
#include "tests/app/mainwindow/MainWindowTestSupport.h"
#include "tests/app/mainwindow/SystemCallRecorder.h"

namespace sx::testing {
namespace {

// Every exception the application is asked to report, instead of an error box.
class TErrorCatcher : public TObject {
 public:
  struct Caught {
    std::string className;
    std::string message;
    TObject* sender;
  };
  std::vector<Caught> caught;

  void Report(TObject* sender, const Exception& exception) {
    caught.push_back({exception.ClassName(), exception.Message(), sender});
  }
};

// Watches the three fields' messages: which field is read (a read starts with the length
// question) and what is written into which, in order.
class TFieldLog : public TObject {
 public:
  explicit TFieldLog(bool keepOrder = true) : keepOrder_(keepOrder) {
    for (int i = 0; i < 3; ++i) {
      fields_[i] = static_cast<TEdit*>(WinControlNamed("Edit" + std::to_string(i + 1)));
      previous_[i] = fields_[i]->GetMessageHandler();
    }
    fields_[0]->SetMessageHandler(MakeEvent<&TFieldLog::Hours>(this));
    fields_[1]->SetMessageHandler(MakeEvent<&TFieldLog::Minutes>(this));
    fields_[2]->SetMessageHandler(MakeEvent<&TFieldLog::Seconds>(this));
  }
  ~TFieldLog() override {
    for (int i = 0; i < 3; ++i)
      fields_[i]->SetMessageHandler(previous_[i]);
  }

  // "Edit3=4" for each write, in order.
  std::vector<std::string> writes;
  // The fields read before the first write, a run of reads of one field counting once.
  std::vector<std::string> readsBeforeWriting;
  // Writes per field: Edit1, Edit2, Edit3.
  std::array<long, 3> writeCounts{};

  void Clear() {
    writes.clear();
    readsBeforeWriting.clear();
    writeCounts = {};
  }

 private:
  void Hours(TMessage& message) { Handle(0, message); }
  void Minutes(TMessage& message) { Handle(1, message); }
  void Seconds(TMessage& message) { Handle(2, message); }

  void Handle(int field, TMessage& message) {
    const std::string name = "Edit" + std::to_string(field + 1);
    if (message.Msg == WM_SETTEXT) {
      ++writeCounts[static_cast<std::size_t>(field)];
      if (keepOrder_) writes.push_back(name + "=" + reinterpret_cast<const char*>(message.LParam));
    } else if (message.Msg == WM_GETTEXTLENGTH && keepOrder_ && writes.empty() &&
               (readsBeforeWriting.empty() || readsBeforeWriting.back() != name)) {
      readsBeforeWriting.push_back(name);
    }
    previous_[field](message);
  }

  bool keepOrder_;
  std::array<TEdit*, 3> fields_{};
  std::array<TControl::MessageHandler, 3> previous_{};
};

// Counts the messages that would move a spin button.
class TPositionWatch : public TObject {
 public:
  explicit TPositionWatch(TUpDown* spin) : spin_(spin), previous_(spin->GetMessageHandler()) {
    spin->SetMessageHandler(MakeEvent<&TPositionWatch::Handle>(this));
  }
  ~TPositionWatch() override { spin_->SetMessageHandler(previous_); }

  const std::string& Name() const { return spin_->Name(); }
  int positionsSet = 0;

 private:
  void Handle(TMessage& message) {
    if (message.Msg == UDM_SETPOS || message.Msg == UDM_SETPOS32) ++positionsSet;
    previous_(message);
  }

  TUpDown* spin_;
  TControl::MessageHandler previous_;
};

// What the countdown's buttons and the timer show.
struct CountdownState {
  bool timer, start, pause, cancel, spinButtons;
  friend bool operator==(const CountdownState&, const CountdownState&) = default;
};

void PrintTo(const CountdownState& state, std::ostream* out) {
  *out << "{timer " << state.timer << ", Start " << state.start << ", Pause " << state.pause
       << ", Otmena " << state.cancel << ", spin buttons " << state.spinButtons << "}";
}

constexpr CountdownState kIdle{false, true, false, false, true};
constexpr CountdownState kRunning{true, false, true, true, false};
constexpr CountdownState kPaused{false, true, false, false, false};
constexpr CountdownState kFinished = kPaused;  // told apart by the fields only

// The calls ShutDownComputer makes when every step succeeds.
std::vector<std::string> ShutDownCalls(UINT flags) {
  return {"GetCurrentProcess",
          "OpenProcessToken(own process, 0x28, token was null)",
          "LookupPrivilegeValueA(null, \"SeShutdownPrivilege\")",
          "AdjustTokenPrivileges(token, 0, {count 1, identifier 0x13:0x7, attributes 0x2}, 0, "
          "null, null)",
          "GetLastError",
          "CloseHandle(token)",
          "ExitWindowsEx(" + std::to_string(flags) + ", 0)"};
}

const std::string kOpenDoor = "mciSendStringA(\"Set cdaudio door open wait\", null, 0)";
const std::string kCloseDoor = "mciSendStringA(\"Set cdaudio door closed wait\", null, 0)";

UINT_PTR WINAPI RefuseTimer(HWND, UINT_PTR, UINT, TIMERPROC) {
  return 0;
}

int g_timersSet = 0;
UINT_PTR WINAPI CountTimer(HWND window, UINT_PTR id, UINT interval, TIMERPROC procedure) {
  ++g_timersSet;
  return ::SetTimer(window, id, interval, procedure);
}

class CountdownTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    if (HasFatalFailure()) return;
    system_ = std::make_unique<SystemCallRecorder>();
    Application->OnAppException = MakeEvent<&TErrorCatcher::Report>(&errors_);
    BackToIdle();
  }

  void TearDown() override {
    if (Form1) BackToIdle();
    if (Application) Application->OnAppException = {};
    system_.reset();
  }

  // The window as the program starts: the user's choice back on shutting down.
  static void BackToIdle() {
    Form1->Timer1->SetEnabled(false);
    for (TEdit* field : {Form1->Edit1, Form1->Edit2, Form1->Edit3})
      field->SetText("0");
    Form1->Start->SetEnabled(true);
    Form1->Pause->SetEnabled(false);
    Form1->Otmena->SetEnabled(false);
    for (TUpDown* spin : {Form1->UpDown1, Form1->UpDown2, Form1->UpDown3})
      spin->SetEnabled(true);
    Form1->RadioButton3->SetChecked(true);
  }

  static void SetTime(const char* hours, const char* minutes, const char* seconds) {
    Form1->Edit1->SetText(hours);
    Form1->Edit2->SetText(minutes);
    Form1->Edit3->SetText(seconds);
  }

  static std::string Time() {
    return Form1->Edit1->Text() + ":" + Form1->Edit2->Text() + ":" + Form1->Edit3->Text();
  }

  // A click as the window system reports it: the button's own window is told.
  static void Press(TWinControl* button) { SendMessageA(button->Handle(), BM_CLICK, 0, 0); }

  // One timer message, as the system posts it to the timer's window.
  static void Tick() { SendMessageA(Form1->Timer1->WindowHandle(), WM_TIMER, 1, 0); }

  // Enter on the focused window, through the application's message handling.
  static void PressEnter() {
    const HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageA(focus, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC01C0001u));
    Pump();
  }

  static void Focus(TWinControl* control) {
    Form1->FocusControl(control);
    Pump();
    ASSERT_EQ(GetFocus(), control->Handle());
  }

  static CountdownState State() {
    return {Form1->Timer1->Enabled(), Form1->Start->Enabled(), Form1->Pause->Enabled(),
            Form1->Otmena->Enabled(), SpinButtonsEnabled()};
  }

  static bool SpinButtonsEnabled() {
    const bool first = Form1->UpDown1->Enabled();
    EXPECT_EQ(Form1->UpDown2->Enabled(), first);
    EXPECT_EQ(Form1->UpDown3->Enabled(), first);
    // The window follows the flag: a disabled spin button takes no click.
    for (TUpDown* spin : {Form1->UpDown1, Form1->UpDown2, Form1->UpDown3})
      EXPECT_EQ(IsWindowEnabled(spin->Handle()) != FALSE, first) << spin->Name();
    return first;
  }

  // Ticks until the timer stops; the number of ticks, at most `limit`.
  static long TicksUntilStopped(long limit) {
    long ticks = 0;
    while (Form1->Timer1->Enabled() && ticks < limit) {
      Tick();
      ++ticks;
    }
    return ticks;
  }

  std::unique_ptr<SystemCallRecorder> system_;
  TErrorCatcher errors_;
};

// --- Counting down -------------------------------------------------------------------------

TEST_F(CountdownTest, FromFiveSecondsTicksShowFourToZeroAndTheSixthRunsTheAction) {
  SetTime("0", "0", "5");
  Press(Form1->Start);
  ASSERT_EQ(State(), kRunning);
  for (const char* expected : {"4", "3", "2", "1", "0"}) {
    Tick();
    EXPECT_EQ(Form1->Edit3->Text(), expected);
    EXPECT_EQ(State(), kRunning);
    EXPECT_TRUE(system_->log.empty()) << "an action ran before zero";
  }
  Tick();
  EXPECT_EQ(State(), kFinished);
  EXPECT_EQ(system_->log, ShutDownCalls(5));
  EXPECT_EQ(Time(), "0:0:0");
}

TEST_F(CountdownTest, FromOneMinuteFirstTickShowsZeroMinutesAndFiftyNineSeconds) {
  SetTime("0", "1", "0");
  Press(Form1->Start);
  TFieldLog fields;
  Tick();
  EXPECT_EQ(fields.writes, (std::vector<std::string>{"Edit2=0", "Edit3=59"}));
  EXPECT_EQ(Time(), "0:0:59");
}

TEST_F(CountdownTest, FromOneHourFirstTickWritesHoursThenMinutesThenSeconds) {
  SetTime("1", "0", "0");
  Press(Form1->Start);
  TFieldLog fields;
  Tick();
  EXPECT_EQ(fields.writes, (std::vector<std::string>{"Edit1=0", "Edit2=59", "Edit3=59"}));
  EXPECT_EQ(Time(), "0:59:59");
}

TEST_F(CountdownTest, ZeroTestReadsSecondsThenMinutesThenHoursAndBorrowReadsThemAgain) {
  SetTime("1", "0", "0");
  Press(Form1->Start);
  TFieldLog fields;
  Tick();
  EXPECT_EQ(fields.readsBeforeWriting,
            (std::vector<std::string>{"Edit3", "Edit2", "Edit1", "Edit3", "Edit2", "Edit1"}));
}

TEST_F(CountdownTest, ZeroTestStopsReadingAtTheFirstFieldThatIsNotZero) {
  SetTime("1", "1", "5");
  Press(Form1->Start);
  TFieldLog fields;
  Tick();
  EXPECT_EQ(fields.readsBeforeWriting, (std::vector<std::string>{"Edit3"}));
  EXPECT_EQ(fields.writes, (std::vector<std::string>{"Edit3=4"}));
}

TEST_F(CountdownTest, OnlyTheOneCharacterTextZeroCountsAsZero) {
  SetTime("0", "0", "00");
  Press(Form1->Start);
  Tick();
  EXPECT_EQ(Form1->Edit3->Text(), "-1") << "\"00\" is a number to count down, not zero";
  EXPECT_EQ(State(), kRunning);
  EXPECT_TRUE(system_->log.empty());
}

TEST_F(CountdownTest, SmallestNumberAFieldCanHoldCountsDownWithoutWrappingAround) {
  SetTime("0", "0", "-2147483648");
  Press(Form1->Start);
  Tick();
  EXPECT_EQ(Form1->Edit3->Text(), "-2147483649");
  EXPECT_TRUE(errors_.caught.empty());
}

TEST_F(CountdownTest, FromZeroTheFirstTickRunsTheAction) {
  Press(Form1->Start);
  TFieldLog fields;
  Tick();
  EXPECT_EQ(State(), kFinished);
  EXPECT_EQ(system_->log, ShutDownCalls(5));
  EXPECT_TRUE(fields.writes.empty()) << "the tick that runs the action counts nothing down";
}

TEST_F(CountdownTest, FromTheLargestSettingEveryDecrementIsCountedBeforeTheAction) {
  // Every write into an edit window costs about half a millisecond (seen on Wine 8.0), so
  // the 359,999 decrements would take minutes on the shown window. A second main window that is
  // never shown has made no windows for its fields, which then keep their texts themselves; the
  // controller runs on it exactly as on the shown one.
  TForm1* const shown = Form1;
  Form1 = New<TForm1>(Application);
  const Finally restore([&] {
    Free(Form1);
    Form1 = shown;
  });
  ASSERT_FALSE(Form1->Edit3->HandleAllocated());
  SetTime("99", "59", "59");
  Form1->StartClick(Form1->Start);
  TFieldLog fields(false);
  const long ticks = TicksUntilStopped(400000);
  EXPECT_EQ(ticks, 99 * 3600 + 59 * 60 + 59 + 1);
  EXPECT_EQ(fields.writeCounts[2], 99 * 3600 + 59 * 60 + 59) << "every decrement writes seconds";
  EXPECT_EQ(fields.writeCounts[1], 99 * 60 + 59);
  EXPECT_EQ(fields.writeCounts[0], 99);
  EXPECT_EQ(Time(), "0:0:0");
  EXPECT_EQ(system_->log, ShutDownCalls(5));
}

TEST_F(CountdownTest, ControllerNeverSetsASpinButtonsPosition) {
  std::vector<std::unique_ptr<TPositionWatch>> watches;
  for (TUpDown* spin : {Form1->UpDown1, Form1->UpDown2, Form1->UpDown3})
    watches.push_back(std::make_unique<TPositionWatch>(spin));
  SetTime("1", "0", "1");
  Press(Form1->Start);
  for (int i = 0; i < 3; ++i)
    Tick();
  Press(Form1->Pause);
  Press(Form1->Start);
  Press(Form1->Otmena);
  Press(Form1->Start);
  Tick();
  for (const auto& watch : watches)
    EXPECT_EQ(watch->positionsSet, 0) << watch->Name();
}

// --- Bad text in a field ---------------------------------------------------------------------

TEST_F(CountdownTest, BadTextIsReportedWithNothingWrittenAndTheTimerKeepsTicking) {
  SetTime("0", "0", "abc");
  Press(Form1->Start);
  TFieldLog fields;
  Tick();
  ASSERT_EQ(errors_.caught.size(), 1u);
  EXPECT_EQ(errors_.caught[0].className, "EConvertError");
  EXPECT_EQ(errors_.caught[0].message, "'abc' is not a valid integer value");
  EXPECT_EQ(errors_.caught[0].sender, Form1->Timer1) << "reported by the timer's tick";
  EXPECT_TRUE(fields.writes.empty());
  EXPECT_EQ(State(), kRunning);
  Tick();
  EXPECT_EQ(errors_.caught.size(), 2u) << "every later tick raises again";
  EXPECT_TRUE(Boxes().empty()) << "the report went to the application's hook";
}

TEST_F(CountdownTest, BadMinutesLeaveTheSecondsUnwrittenAsTheConversionComesFirst) {
  SetTime("0", "abc", "0");
  Press(Form1->Start);
  TFieldLog fields;
  Tick();
  ASSERT_EQ(errors_.caught.size(), 1u);
  EXPECT_EQ(errors_.caught[0].message, "'abc' is not a valid integer value");
  EXPECT_TRUE(fields.writes.empty()) << "seconds were set to 59 before the minutes failed";
  EXPECT_EQ(Time(), "0:abc:0");
}

TEST_F(CountdownTest, BadHoursLeaveMinutesAndSecondsUnwritten) {
  SetTime("1h", "0", "0");
  Press(Form1->Start);
  TFieldLog fields;
  Tick();
  ASSERT_EQ(errors_.caught.size(), 1u);
  EXPECT_EQ(errors_.caught[0].message, "'1h' is not a valid integer value");
  EXPECT_TRUE(fields.writes.empty());
}

TEST_F(CountdownTest, RefusedTimerIsReportedAndStartGoesNoFurther) {
  const auto previous = TTimer::ReplaceSetTimer(&RefuseTimer);
  Press(Form1->Start);
  TTimer::ReplaceSetTimer(previous);
  ASSERT_EQ(errors_.caught.size(), 1u);
  EXPECT_EQ(errors_.caught[0].className, "EOutOfResources");
  EXPECT_EQ(errors_.caught[0].message, "Not enough timers available");
  // The timer keeps the value it was given; the buttons were not reached.
  EXPECT_EQ(State(), (CountdownState{true, true, false, false, true}));
}

// --- The state table -------------------------------------------------------------------------

TEST_F(CountdownTest, StartFromIdleRuns) {
  ASSERT_EQ(State(), kIdle);
  Press(Form1->Start);
  EXPECT_EQ(State(), kRunning);
}

TEST_F(CountdownTest, PauseStopsTheTicksAndKeepsTheTimeWithCancelDisabled) {
  SetTime("0", "2", "0");
  Press(Form1->Start);
  Tick();
  Press(Form1->Pause);
  EXPECT_EQ(State(), kPaused);
  EXPECT_EQ(Time(), "0:1:59");
}

TEST_F(CountdownTest, StartAfterPauseGoesOnFromTheTimeShownWithAFreshPeriod) {
  SetTime("0", "2", "0");
  Press(Form1->Start);
  Tick();
  Press(Form1->Pause);
  g_timersSet = 0;
  const auto previous = TTimer::ReplaceSetTimer(&CountTimer);
  Press(Form1->Start);
  TTimer::ReplaceSetTimer(previous);
  EXPECT_EQ(g_timersSet, 1) << "resuming sets the system timer afresh";
  EXPECT_EQ(State(), kRunning);
  Tick();
  EXPECT_EQ(Time(), "0:1:58");
}

TEST_F(CountdownTest, CancelWhileRunningZeroesTheFieldsAndGivesTheSpinButtonsBack) {
  SetTime("3", "2", "1");
  Press(Form1->Start);
  Tick();
  Press(Form1->Otmena);
  EXPECT_EQ(State(), kIdle);
  EXPECT_EQ(Time(), "0:0:0");
  EXPECT_TRUE(system_->log.empty());
}

TEST_F(CountdownTest, CancelWritesHoursThenMinutesThenSeconds) {
  SetTime("3", "2", "1");
  Press(Form1->Start);
  TFieldLog fields;
  Press(Form1->Otmena);
  EXPECT_EQ(fields.writes, (std::vector<std::string>{"Edit1=0", "Edit2=0", "Edit3=0"}));
}

TEST_F(CountdownTest, StartAfterFinishingRunsTheSameActionAgainOnTheNextTick) {
  Form1->RadioButton1->SetChecked(true);
  Press(Form1->Start);
  Tick();
  ASSERT_EQ(State(), kFinished);
  Press(Form1->Start);
  EXPECT_EQ(State(), kRunning);
  Tick();
  EXPECT_EQ(State(), kFinished);
  EXPECT_EQ(system_->DoorCommands(), (std::vector<std::string>{kOpenDoor, kOpenDoor}));
}

// --- The action at zero ----------------------------------------------------------------------

struct ActionCase {
  int radioButton;
  std::vector<std::string> calls;
};

class ActionAtZeroTest : public CountdownTest, public ::testing::WithParamInterface<ActionCase> {};

TEST_P(ActionAtZeroTest, CheckedRadioButtonChoosesTheOneActionThatRuns) {
  auto* radio = static_cast<TRadioButton*>(
      WinControlNamed("RadioButton" + std::to_string(GetParam().radioButton)));
  radio->SetChecked(true);
  Press(Form1->Start);
  Tick();
  EXPECT_EQ(system_->log, GetParam().calls);
  if (!system_->DoorCommands().empty()) {
    EXPECT_EQ(system_->doorCallback, Form1->Handle());
  }
}

INSTANTIATE_TEST_SUITE_P(EachRadioButton, ActionAtZeroTest,
                         ::testing::Values(ActionCase{1, {kOpenDoor}}, ActionCase{2, {kCloseDoor}},
                                           ActionCase{3, ShutDownCalls(5)},
                                           ActionCase{4, ShutDownCalls(6)},
                                           ActionCase{5, {"ExitWindowsEx(0, 0)"}}));

TEST_F(CountdownTest, RadioButtonCheckedAtZeroCountsNotTheOneCheckedAtStart) {
  SetTime("0", "0", "1");
  Press(Form1->Start);
  Tick();
  Press(Form1->RadioButton2);
  ASSERT_TRUE(Form1->RadioButton2->Checked());
  Tick();
  EXPECT_EQ(system_->log, (std::vector<std::string>{kCloseDoor}));
}

TEST_F(CountdownTest, FailingActionAtZeroLeavesTheWindowFinished) {
  system_->tokenOpens = false;
  system_->lastErrorAfterAdjusting = ERROR_NOT_ALL_ASSIGNED;
  system_->exitAccepted = false;
  Press(Form1->Start);
  Tick();
  EXPECT_EQ(system_->Messages(),
            (std::vector<std::string>{"ShowPlainMessage(OpenProcessToken)",
                                      "ShowPlainMessage(AdjustTokenPrivileges)",
                                      "ShowPlainMessage(ExitWindowsEx)"}));
  EXPECT_EQ(State(), kFinished);
}

// --- The immediate actions -----------------------------------------------------------------

TEST_F(CountdownTest, DoorButtonsSendTheirCommandsWithTheMainWindowAsCallback) {
  Press(Form1->Button1);
  EXPECT_EQ(system_->doorCallback, Form1->Handle());
  system_->doorCallback = nullptr;
  Press(Form1->Button2);
  EXPECT_EQ(system_->doorCallback, Form1->Handle());
  EXPECT_EQ(system_->log, (std::vector<std::string>{kOpenDoor, kCloseDoor}));
}

TEST_F(CountdownTest, ShutDownAndRestartButtonsRunThePrivilegedRequests) {
  Press(Form1->Button3);
  EXPECT_EQ(system_->log, ShutDownCalls(5));
  system_->log.clear();
  Press(Form1->Button4);
  EXPECT_EQ(system_->log, ShutDownCalls(6));
}

TEST_F(CountdownTest, EndSessionButtonShowsNothingEvenWhenRefused) {
  system_->exitAccepted = false;
  Press(Form1->Button5);
  EXPECT_EQ(system_->log, (std::vector<std::string>{"ExitWindowsEx(0, 0)"}));
}

TEST_F(CountdownTest, ImmediateActionDuringACountdownLeavesItRunning) {
  SetTime("0", "0", "5");
  Press(Form1->Start);
  Tick();
  Press(Form1->Button1);
  EXPECT_EQ(system_->log, (std::vector<std::string>{kOpenDoor}));
  EXPECT_EQ(State(), kRunning);
  EXPECT_EQ(Time(), "0:0:4");
  Tick();
  EXPECT_EQ(Time(), "0:0:3");
}

// Counts the window's close requests and refuses them, so that the window stays for the
// tests that follow.
class TCloseWatch : public TObject {
 public:
  int asked = 0;
  void Closing(TObject*, TCloseAction& action) {
    ++asked;
    action = closeNone;
  }
};

TEST_F(CountdownTest, ExitHandlerAsksTheWindowToClose) {
  TCloseWatch watch;
  Form1->SetOnClose(MakeEvent<&TCloseWatch::Closing>(&watch));
  Form1->BitBtn4Click(Form1->BitBtn4);
  Form1->SetOnClose({});
  EXPECT_EQ(watch.asked, 1);
  EXPECT_TRUE(IsWindowVisible(Form1->Handle()));
}

// --- Enter -------------------------------------------------------------------------------------

TEST_F(CountdownTest, EnterOnAFieldPressesStart) {
  Focus(Form1->Edit2);
  PressEnter();
  EXPECT_EQ(State(), kRunning);
}

TEST_F(CountdownTest, EnterOnTheCheckedRadioButtonResumesAPausedCountdown) {
  SetTime("0", "0", "9");
  Press(Form1->Start);
  Press(Form1->Pause);
  Focus(Form1->RadioButton3);
  PressEnter();
  EXPECT_EQ(State(), kRunning);
}

TEST_F(CountdownTest, EnterOnAnotherPushButtonPressesThatButtonNotStart) {
  Focus(Form1->Button2);
  PressEnter();
  EXPECT_EQ(system_->log, (std::vector<std::string>{kCloseDoor}));
  EXPECT_EQ(State(), kIdle);
}

TEST_F(CountdownTest, EnterWhileRunningDoesNotReachStart) {
  SetTime("0", "0", "9");
  Press(Form1->Start);
  Focus(Form1->Edit1);
  PressEnter();
  EXPECT_EQ(State(), kRunning);
  EXPECT_EQ(Time(), "0:0:9");
  EXPECT_TRUE(system_->log.empty());
}

// --- Awake and on the taskbar while counting -------------------------------------------------

const std::string kStayAwake = "SetThreadExecutionState(0x80000001)";
const std::string kMayRest = "SetThreadExecutionState(0x80000000)";

// The countdown with the taskbar button in place, from rest; only what it asks of the
// system besides the actions is looked at.
class AwakeAndTaskbarTest : public CountdownTest {
 protected:
  void SetUp() override {
    CountdownTest::SetUp();
    if (HasFatalFailure()) return;
    SendMessageA(Application->Handle(), TaskbarProgress::ButtonCreatedMessage(), 0, 0);
    // Whatever an earlier test left on the bar goes the way a user would clear it.
    Press(Form1->Start);
    Press(Form1->Otmena);
    system_->calls.clear();
  }
};

TEST_F(AwakeAndTaskbarTest, StaysAwakeAndShowsTheTimeGoneOnlyWhileTicksCome) {
  SetTime("0", "0", "2");
  Press(Form1->Start);
  Tick();
  Press(Form1->Pause);
  Press(Form1->Start);
  Tick();
  Tick();
  EXPECT_EQ(system_->AwakeAndTaskbar(),
            (std::vector<std::string>{
                kStayAwake, "SetProgressState(normal)", "SetProgressValue(0 of 2)",
                "SetProgressValue(1 of 2)",  //
                kMayRest, "SetProgressState(paused)",
                // Resumed: the time gone still counts from the time set at the first Start.
                kStayAwake, "SetProgressState(normal)", "SetProgressValue(1 of 2)",
                "SetProgressValue(2 of 2)",  //
                kMayRest, "SetProgressState(none)"}));
  EXPECT_EQ(system_->progressWindow, Application->Handle()) << "the button's window";
}

TEST_F(AwakeAndTaskbarTest, EndOfTheCountdownLetsTheSystemRestBeforeTheActionRuns) {
  // A failing action leaves nothing asked either.
  system_->exitAccepted = false;
  Press(Form1->Start);
  Tick();
  std::vector<std::string> expected = {kStayAwake, "SetProgressState(normal)",
                                       "SetProgressValue(1 of 1)", kMayRest,
                                       "SetProgressState(none)"};
  for (const std::string& call : ShutDownCalls(5))
    expected.push_back(call);
  expected.push_back("ShowPlainMessage(ExitWindowsEx)");
  EXPECT_EQ(system_->calls, expected);
}

TEST_F(AwakeAndTaskbarTest, CancelLetsTheSystemRestAndClearsTheBar) {
  SetTime("0", "1", "0");
  Press(Form1->Start);
  Tick();
  system_->calls.clear();
  Press(Form1->Otmena);
  EXPECT_EQ(system_->AwakeAndTaskbar(),
            (std::vector<std::string>{kMayRest, "SetProgressState(none)"}));
}

TEST_F(AwakeAndTaskbarTest, RefusedTimerAsksTheSystemNothing) {
  const auto previous = TTimer::ReplaceSetTimer(&RefuseTimer);
  Press(Form1->Start);
  TTimer::ReplaceSetTimer(previous);
  ASSERT_EQ(errors_.caught.size(), 1u);
  EXPECT_TRUE(system_->AwakeAndTaskbar().empty());
}

TEST_F(AwakeAndTaskbarTest, LeavingTheProgramLetsTheSystemRestOnlyIfACountdownRuns) {
  // A window of its own, freed as the program frees its main window when it ends.
  for (const bool counting : {true, false}) {
    TForm1* const form = New<TForm1>(Application);
    if (counting) form->StartClick(form->Start);
    system_->calls.clear();
    Free(form);
    const std::vector<std::string> expected =
        counting ? std::vector<std::string>{kMayRest} : std::vector<std::string>{};
    EXPECT_EQ(system_->AwakeAndTaskbar(), expected) << (counting ? "counting" : "at rest");
  }
}

// --- What the controller leaves alone --------------------------------------------------------

TEST_F(CountdownTest, ControllerNeverChangesTheOtherControls) {
  std::vector<std::string> others = {"Button1", "Button2", "Button3", "Button4", "Button5",
                                     "BitBtn4", "Panel1",  "Edit1",   "Edit2",   "Edit3"};
  for (int i = 1; i <= 5; ++i)
    others.push_back("RadioButton" + std::to_string(i));
  const auto check = [&](const char* step) {
    for (const std::string& name : others)
      EXPECT_TRUE(ControlNamed(name)->Enabled()) << name << " after " << step;
    EXPECT_TRUE(Form1->RadioButton4->Checked()) << step;
  };
  Form1->RadioButton4->SetChecked(true);
  SetTime("0", "0", "1");
  Press(Form1->Start);
  check("Start");
  Tick();
  check("a tick");
  Press(Form1->Pause);
  check("Pause");
  Press(Form1->Start);
  Press(Form1->Otmena);
  check("Cancel");
  Press(Form1->Start);
  Tick();
  check("the action");
}

}  // namespace
}  // namespace sx::testing
