#pragma once

// A program started as a process of its own, watched from outside through its top-level
// windows; closed, or failing that ended, if a test leaves it running.

#include <windows.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace sx::testing {

// A path relative to the directory of this test program.
std::string BesideTestProgram(std::string_view relativePath);

class ProgramProcess {
 public:
  // The show command, when given, is what the program finds in its start-up information.
  explicit ProgramProcess(const std::string& path, int showCommand = -1);
  ~ProgramProcess();
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  bool Started() const { return started_; }
  bool Ended() const;
  // The exit code once the process has ended; -1 when it does not end in time.
  long ExitCode(DWORD milliseconds = 30000) const;

  // The process's top-level windows of that class, in z-order.
  std::vector<HWND> TopWindows(std::string_view className, bool visibleOnly) const;
  // The first of them, shown or not; null when there is none.
  HWND TopWindow(std::string_view className) const;
  // The first visible top-level window of one of the classes to appear; null when the
  // process ends or the time is up first.
  HWND WaitForWindow(std::initializer_list<std::string_view> classNames,
                     DWORD milliseconds = 30000) const;

 private:
  PROCESS_INFORMATION info_ = {};
  bool started_ = false;
};

}  // namespace sx::testing
