// The start-up benchmark: how long Sonderix takes from the start of its process to the first
// paint of its main window, side by side with PlainWindow (the same window written directly
// on Win32), and how much processor time an idle Sonderix uses.
//
//   sx_startup_bench.exe [--runs N] [--idle-seconds S]
//
// Each program is started N times, alternately, after one untimed start of each that brings
// the system's libraries into memory. A start is timed from just before CreateProcess to
// the moment the program's main window is visible and has no area left waiting for its
// paint (the window system drops that area when the window paints); the harness polls for
// it every millisecond from outside, so neither program carries any measuring code. Then
// both programs are started once more, left idle, and their processor time (user and
// kernel) over S seconds is read with GetProcessTimes.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Target {
  const char* label;
  std::string path;
  const char* windowClass;
};

// A program beside this one in the build tree.
std::string Beside(const char* relative) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string self = path;
  std::string program = self.substr(0, self.find_last_of('\\') + 1) + relative;
  std::replace(program.begin(), program.end(), '/', '\\');
  return program;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / frequency;
}

struct WindowSearch {
  DWORD process;
  const char* className;
  HWND found;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search.process) return TRUE;
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::strcmp(name, search.className) != 0) return TRUE;
  search.found = window;
  return FALSE;
}

bool UnderWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string ReadWhole(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
    text.append(buffer, read);
  CloseHandle(file);
  return text;
}

// Wine answers GetProcessTimes with the calling process's times whatever process it is
// asked about, so under Wine the times come from Linux, whose /proc Wine shows under Z:.
// The program is the newest Linux process whose first argument is the path it was started
// with; its user and kernel times are counted in ticks of 10 ms.
double LinuxProcessorMilliseconds(const std::string& program) {
  WIN32_FIND_DATAA entry;
  const HANDLE walk = FindFirstFileA("Z:\\proc\\*", &entry);
  if (walk == INVALID_HANDLE_VALUE) return -1;
  unsigned long long newestStart = 0;
  double milliseconds = -1;
  do {
    const std::string pid = entry.cFileName;
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string directory = "Z:\\proc\\" + pid + "\\";
    const std::string arguments = ReadWhole(directory + "cmdline");
    if (lstrcmpiA(arguments.c_str(), program.c_str()) != 0) continue;
    const std::string stat = ReadWhole(directory + "stat");
    const std::size_t afterName = stat.rfind(')');
    if (afterName == std::string::npos) continue;
    // From the state (field 3) on: utime and stime are fields 14 and 15, starttime 22.
    unsigned long long field[20] = {};
    const char* at = stat.c_str() + afterName + 2;
    for (int i = 0; i < 20 && *at; ++i) {
      field[i] = std::strtoull(at, nullptr, 10);
      while (*at && *at != ' ')
        ++at;
      while (*at == ' ')
        ++at;
    }
    if (field[19] >= newestStart) {
      newestStart = field[19];
      milliseconds = static_cast<double>(field[11] + field[12]) * 10.0;
    }
  } while (FindNextFileA(walk, &entry));
  FindClose(walk);
  return milliseconds;
}

// A started program and its main window.
class Running {
 public:
  explicit Running(const Target& target) : target_(target) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + target.path + "\"";
    QueryPerformanceCounter(&started_);
    ok_ = CreateProcessA(target.path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                         nullptr, nullptr, &startup, &info_) != FALSE;
  }
  ~Running() {
    if (!ok_) return;
    if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info_.hProcess, 15000) == WAIT_TIMEOUT)
      TerminateProcess(info_.hProcess, 1);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  Running(const Running&) = delete;
  Running& operator=(const Running&) = delete;

  bool Ok() const { return ok_; }

  // Milliseconds from the start to the first paint of the main window; negative when the
  // window is not painted within 30 seconds.
  double WaitForFirstPaint() {
    LARGE_INTEGER now;
    for (;;) {
      QueryPerformanceCounter(&now);
      if (Milliseconds(started_, now) > 30000) return -1;
      if (!window_) {
        WindowSearch search{info_.dwProcessId, target_.windowClass, nullptr};
        EnumWindows(&FindWindowOf, reinterpret_cast<LPARAM>(&search));
        window_ = search.found;
      }
      if (window_ && IsWindowVisible(window_) && !GetUpdateRect(window_, nullptr, FALSE))
        return Milliseconds(started_, now);
      if (WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0) return -1;
      Sleep(1);
    }
  }

  // User plus kernel time so far, in milliseconds; negative when it cannot be had.
  double ProcessorMilliseconds() const {
    if (UnderWine()) return LinuxProcessorMilliseconds(target_.path);
    FILETIME creation, exit, kernel, user;
    if (!GetProcessTimes(info_.hProcess, &creation, &exit, &kernel, &user)) return -1;
    const auto ticks = [](FILETIME time) {
      return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                                 time.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 10000.0;
  }

 private:
  const Target& target_;
  PROCESS_INFORMATION info_{};
  LARGE_INTEGER started_{};
  bool ok_ = false;
  HWND window_ = nullptr;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int Fail(const char* what, const Target& target) {
  std::printf("%s: %s (%s)\n", target.label, what, target.path.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 10;
  int idleSeconds = 60;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--idle-seconds") == 0)
      idleSeconds = std::max(1, std::atoi(argv[i + 1]));
  }

  const Target targets[2] = {
      {"Sonderix", Beside(SX_SONDERIX_RELATIVE_PATH), "TForm1"},
      {"PlainWindow", Beside(SX_PLAIN_RELATIVE_PATH), "PlainWindow"},
  };

  for (const Target& target : targets) {
    Running warmUp(target);
    if (!warmUp.Ok()) return Fail("cannot be started", target);
    if (warmUp.WaitForFirstPaint() < 0) return Fail("did not paint its window", target);
  }

  std::vector<double> times[2];
  std::printf("Start to first paint of the main window, ms (%d runs each, alternating)\n", runs);
  std::printf("%5s %12s %12s\n", "run", targets[0].label, targets[1].label);
  for (int run = 1; run <= runs; ++run) {
    for (int t = 0; t < 2; ++t) {
      Running running(targets[t]);
      const double ms = running.Ok() ? running.WaitForFirstPaint() : -1;
      if (ms < 0) return Fail("did not paint its window", targets[t]);
      times[t].push_back(ms);
    }
    std::printf("%5d %12.1f %12.1f\n", run, times[0].back(), times[1].back());
    std::fflush(stdout);
  }
  const double median[2] = {Median(times[0]), Median(times[1])};
  std::printf("%5s %12.1f %12.1f\n", "median", median[0], median[1]);
  std::printf("ratio %s / %s: %.2f\n\n", targets[0].label, targets[1].label, median[0] / median[1]);

  std::printf("Processor time while idle, %d s after the first paint\n", idleSeconds);
  Running idle[2] = {Running(targets[0]), Running(targets[1])};
  for (int t = 0; t < 2; ++t)
    if (!idle[t].Ok() || idle[t].WaitForFirstPaint() < 0)
      return Fail("did not paint its window", targets[t]);
  Sleep(1000);
  double before[2];
  for (int t = 0; t < 2; ++t)
    before[t] = idle[t].ProcessorMilliseconds();
  Sleep(static_cast<DWORD>(idleSeconds) * 1000);
  for (int t = 0; t < 2; ++t) {
    if (before[t] < 0) {
      std::printf("%-12s processor time not available\n", targets[t].label);
      continue;
    }
    const double used = idle[t].ProcessorMilliseconds() - before[t];
    std::printf("%-12s %8.1f ms (%.3f %% of one core); %.1f ms during its start\n",
                targets[t].label, used, used / (idleSeconds * 10.0), before[t]);
  }
  return 0;
}
