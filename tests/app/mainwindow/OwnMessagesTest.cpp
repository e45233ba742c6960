// The framework's own messages from outside: another process sends and posts every one of
// them, with arbitrary parameters and with the object pointers the windows give away, to
// every window of this one while it runs the main window; nothing may change.

#include <windows.h>

#include <string>
#include <tuple>
#include <vector>

#include "framework/forms/Application.h"
#include "tests/app/mainwindow/MainWindowTestSupport.h"
#include "tests/app/mainwindow/SystemCallRecorder.h"
#include "tests/framework/runtime/Win32TestSupport.h"

namespace sx::testing {
namespace {

// What anyone can see of a window.
struct WindowState {
  HWND window;
  std::string className;
  std::string text;
  LONG_PTR style;
  LONG_PTR exStyle;
  RECT bounds;
  HWND parent;

  bool operator==(const WindowState& other) const {
    return std::tie(window, className, text, style, exStyle, parent) ==
               std::tie(other.window, other.className, other.text, other.style, other.exStyle,
                        other.parent) &&
           EqualRect(&bounds, &other.bounds);
  }
};

BOOL CALLBACK CollectChild(HWND window, LPARAM states);

WindowState StateOf(HWND window) {
  WindowState state{window,
                    WindowClass(window),
                    WindowTextA(window),
                    GetWindowLongPtrA(window, GWL_STYLE),
                    GetWindowLongPtrA(window, GWL_EXSTYLE),
                    {},
                    GetParent(window)};
  GetWindowRect(window, &state.bounds);
  return state;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM states) {
  reinterpret_cast<std::vector<WindowState>*>(states)->push_back(StateOf(window));
  return TRUE;
}

BOOL CALLBACK CollectTop(HWND window, LPARAM states) {
  if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return TRUE;
  CollectChild(window, states);
  EnumChildWindows(window, &CollectChild, states);
  return TRUE;
}

std::vector<WindowState> WindowsOfThisThread() {
  std::vector<WindowState> states;
  EnumWindows(&CollectTop, reinterpret_cast<LPARAM>(&states));
  return states;
}

std::string StatesText(const std::vector<WindowState>& states) {
  std::string text;
  for (const WindowState& state : states)
    text += state.className + " \"" + state.text + "\"\n";
  return text;
}

TEST_F(MainWindowTest, FrameworkMessagesFromAnotherProcessChangeNothing) {
  SystemCallRecorder system;
  const std::vector<WindowState> before = WindowsOfThisThread();
  const HWND focus = GetFocus();
  ASSERT_GT(before.size(), 20u) << StatesText(before);

  std::string command = "\"" + TestExecutableDirectory() + "sx_own_message_sender.exe\" " +
                        std::to_string(GetCurrentProcessId());
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION sender{};
  // Without a console of its own, which would take the activation from the main window.
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                             nullptr, nullptr, &startup, &sender))
      << command;
  // What it sends is handled while this thread waits; what it posts, by the pumps.
  const DWORD start = GetTickCount();
  while (MsgWaitForMultipleObjects(1, &sender.hProcess, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0 &&
         GetTickCount() - start < 120000)
    Pump();
  Pump();
  DWORD exitCode = 1;
  GetExitCodeProcess(sender.hProcess, &exitCode);
  CloseHandle(sender.hThread);
  CloseHandle(sender.hProcess);
  EXPECT_EQ(exitCode, 0u) << "the sender did not reach the windows, or a send went unanswered";

  ASSERT_EQ(Application->MainForm(), Form1);
  EXPECT_EQ(WindowsOfThisThread(), before);
  EXPECT_EQ(GetFocus(), focus);
  EXPECT_TRUE(system.log.empty()) << system.log.front();
  EXPECT_TRUE(Boxes().empty()) << Boxes().front();
}

}  // namespace
}  // namespace sx::testing
