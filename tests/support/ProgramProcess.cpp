#include "tests/support/ProgramProcess.h"

#include <algorithm>

#include "tests/support/WindowQueries.h"

namespace sx::testing {
namespace {

struct TopWindowWalk {
  DWORD process;
  std::string_view className;
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopWindow(HWND window, LPARAM data) {
  auto& walk = *reinterpret_cast<TopWindowWalk*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != walk.process || WindowClass(window) != walk.className) return TRUE;
  if (walk.visibleOnly && !IsWindowVisible(window)) return TRUE;
  walk.found.push_back(window);
  return TRUE;
}

}  // namespace

std::string BesideTestProgram(std::string_view relativePath) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string self = path;
  std::string beside = self.substr(0, self.find_last_of('\\') + 1) + std::string(relativePath);
  std::replace(beside.begin(), beside.end(), '/', '\\');
  return beside;
}

ProgramProcess::ProgramProcess(const std::string& path, int showCommand) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (showCommand >= 0) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
  }
  std::string commandLine = "\"" + path + "\"";
  started_ = CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &info_) != FALSE;
}

ProgramProcess::~ProgramProcess() {
  if (!started_) return;
  if (!Ended()) {
    PostMessageA(TopWindow("TApplication"), WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info_.hProcess, 10000) == WAIT_TIMEOUT)
      TerminateProcess(info_.hProcess, 99);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool ProgramProcess::Ended() const {
  return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0;
}

long ProgramProcess::ExitCode(DWORD milliseconds) const {
  if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return static_cast<long>(code);
}

std::vector<HWND> ProgramProcess::TopWindows(std::string_view className, bool visibleOnly) const {
  TopWindowWalk walk{info_.dwProcessId, className, visibleOnly, {}};
  EnumWindows(&CollectTopWindow, reinterpret_cast<LPARAM>(&walk));
  return walk.found;
}

HWND ProgramProcess::TopWindow(std::string_view className) const {
  const std::vector<HWND> found = TopWindows(className, false);
  return found.empty() ? nullptr : found.front();
}

HWND ProgramProcess::WaitForWindow(std::initializer_list<std::string_view> classNames,
                                   DWORD milliseconds) const {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    for (std::string_view className : classNames)
      if (const std::vector<HWND> found = TopWindows(className, true); !found.empty())
        return found.front();
    if (WaitForSingleObject(info_.hProcess, 50) == WAIT_OBJECT_0) break;
  }
  return nullptr;
}

}  // namespace sx::testing
