// The countdown's bar on the taskbar button, against a recorder in place of the shell:
// nothing before the shell says the button exists, the bar of the moment once it does, and
// the shell's interface made anew when it says so again; and the system's own interface let
// go and made anew.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/TaskbarProgress.h"
#include "tests/app/mainwindow/SystemCallRecorder.h"

namespace sx::testing {
namespace {

const HWND kButtonWindow = reinterpret_cast<HWND>(0x0000B077);

using Calls = std::vector<std::string>;

TEST(TaskbarProgressTest, NothingIsShownBeforeTheButtonExistsThenTheBarOfTheMoment) {
  SystemCallRecorder system;
  TaskbarProgress progress;
  progress.Running(1, 3);
  progress.Running(2, 3);
  EXPECT_TRUE(system.calls.empty()) << "the shell drops what comes before the button";
  progress.ButtonCreated(kButtonWindow);
  EXPECT_EQ(system.calls, (Calls{"SetProgressState(normal)", "SetProgressValue(2 of 3)"}));
  EXPECT_EQ(system.progressWindow, kButtonWindow);
}

TEST(TaskbarProgressTest, ButtonAtRestMakesNoShellInterface) {
  // The button appears as the program starts: its start must not pay for the shell.
  SystemCallRecorder system;
  TaskbarProgress progress;
  progress.ButtonCreated(kButtonWindow);
  progress.ButtonCreated(kButtonWindow);
  progress.Leave();
  EXPECT_TRUE(system.calls.empty());
}

TEST(TaskbarProgressTest, ShellRestartMakesTheInterfaceAnewAndShowsThePauseAgain) {
  SystemCallRecorder system;
  TaskbarProgress progress;
  progress.ButtonCreated(kButtonWindow);
  progress.Running(1, 3);
  progress.Paused();
  system.calls.clear();
  progress.ButtonCreated(kButtonWindow);
  EXPECT_EQ(system.calls,
            (Calls{"ReleaseTaskbar", "SetProgressValue(1 of 3)", "SetProgressState(paused)"}));
}

TEST(TaskbarProgressTest, LeavingClearsTheBarAndLetsTheInterfaceGo) {
  SystemCallRecorder system;
  TaskbarProgress progress;
  progress.ButtonCreated(kButtonWindow);
  progress.Running(1, 3);
  system.calls.clear();
  progress.Leave();
  EXPECT_EQ(system.calls, (Calls{"SetProgressState(none)", "ReleaseTaskbar"}));
}

TEST(TaskbarProgressTest, CountdownSetToNothingShowsAFullBarNotADivisionByZero) {
  SystemCallRecorder system;
  TaskbarProgress progress;
  progress.ButtonCreated(kButtonWindow);
  progress.Running(0, 0);
  EXPECT_EQ(system.calls, (Calls{"SetProgressState(normal)", "SetProgressValue(1 of 1)"}));
}

// The system's own taskbar interface (Wine's, here): whatever it answers, it answers the
// same once it has been let go and made anew, as after a restart of the shell.
TEST(ShellTaskbarTest, InterfaceIsMadeAnewAfterItWasLetGo) {
  SystemActionCalls* const previous = SetSystemCalls(nullptr);
  InstallWin32SystemCalls();
  HWND window = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  const HRESULT first = SystemCalls().SetProgressValue(window, 1, 3);
  SystemCalls().ReleaseTaskbar();
  EXPECT_EQ(SystemCalls().SetProgressValue(window, 2, 3), first);
  EXPECT_EQ(SystemCalls().SetProgressState(window, TBPF_NOPROGRESS), first);
  SystemCalls().ReleaseTaskbar();
  SetSystemCalls(previous);
  DestroyWindow(window);
}

}  // namespace
}  // namespace sx::testing
