#pragma once

// The real sonderix.exe, started as a process of its own and used from outside as a person
// would: its windows are found by class, caption and place, it is clicked and typed at with
// real input, and what it shows is read with window messages.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "tests/app/mainwindow/StoredLayout.h"
#include "tests/support/ProgramProcess.h"
#include "tests/support/WindowQueries.h"

namespace sx::testing {

// The program beside this test program in the build tree.
std::string ProgramPath();

// The text the window's own procedure answers with (an edit field keeps its text to itself;
// the title the window system remembers is not it).
std::wstring TextOf(HWND window);

// --- Real input ---------------------------------------------------------------------------

// A click at a point of the window's client area, at a person's pace.
void ClickAt(HWND window, POINT client);
void ClickMiddleOf(HWND window);
// The upper arrow of a vertical spin button: the middle of its upper half.
void ClickUpArrow(HWND spin);
// A key with the modifier held (0: none), pressed and released.
void PressKey(WORD key, WORD modifier = 0);

template <class Condition>
bool WaitFor(Condition condition, DWORD milliseconds = 5000) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > milliseconds) return false;
    Sleep(10);
  }
  return true;
}

// --- The program --------------------------------------------------------------------------

// The program in a process of its own, with its main window on the screen; ended if a test
// leaves it running.
class Program {
 public:
  Program();

  bool Started() const { return process_.Started(); }
  HWND MainWindow() const { return main_; }
  bool Ended() const { return process_.Ended(); }

  // The first top-level window of the process of that class, shown or not.
  HWND TopWindow(std::string_view className) const { return process_.TopWindow(className); }
  // Every visible top-level window of the process of that class.
  std::vector<HWND> TopWindows(std::string_view className) const {
    return process_.TopWindows(className, true);
  }

  // Every window inside the main window, at any depth.
  std::vector<HWND> Children() const;
  // The child of that class at the stored place in its parent.
  HWND Child(const ControlRow& row) const;
  HWND Child(std::string_view name) const;
  // The child of that class showing that text (UTF-8).
  HWND ChildWithText(std::string_view className, std::string_view utf8) const;

  // The exit code once the process has ended; -1 when it does not end in time.
  long ExitCode(DWORD milliseconds = 30000) const { return process_.ExitCode(milliseconds); }

 private:
  ProgramProcess process_;
  HWND main_ = nullptr;
};

// One program per test.
class OutsideTest : public ::testing::Test {
 protected:
  void SetUp() override;

  Program program_;
};

}  // namespace sx::testing
