// The start-up benchmark: how long Sonderix takes from the start of its process to three
// points of its start, side by side with PlainWindow (the same windows written directly on
// Win32) and PlainWindow+ (the same with the hidden windows and icons Sonderix must make
// besides, so that the difference is what the framework itself costs):
//   visible  the main window is visible;
//   created  every control's window exists;
//   painted  the main window and every control are visible and none has any area left
//            waiting for its paint (the window system drops that area when it is painted).
//
//   sx_startup_bench.exe [--rounds N] [--idle-seconds S]
//   sx_startup_bench.exe --mark-start Sonderix|PlainWindow|PlainWindow+ [--times N]
//
// After one untimed start of each program, which brings the system's libraries into memory,
// each round starts each once, in the order A B C in one round and C B A in the next, so
// that a drift of the machine's load falls on all alike. A start is timed from just before
// CreateProcess; the harness looks every millisecond from outside, so neither program
// carries any measuring code. The medians of each point and their ratios are printed.
// With --idle-seconds, the programs are then started once more, left idle, and their
// processor time over S seconds is read.
//
// --mark-start starts one program N times (once by default), one start after the other;
// each time it waits until the program is painted and has settled, and then adds a global
// atom of a fixed name, so that the window server's trace of the requests shows where the
// start ended (bench/startup/run reads it). It prints each start's process id.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace {

// Both programs make the same child windows: 16 on the main window, 5 on the panel.
constexpr int kControls = 21;
constexpr char kMarkAtom[] = "SxStartupBenchMark";

struct Target {
  const char* label;
  std::string path;
  const char* windowClass;
  const char* arguments;
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

BOOL CALLBACK CollectChild(HWND window, LPARAM data) {
  reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
  return TRUE;
}

// Visible (with its parents) and nothing of it waiting for a paint.
bool Painted(HWND window) {
  return IsWindowVisible(window) && !GetUpdateRect(window, nullptr, FALSE);
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

// Wine 8.0 answers GetProcessTimes with the calling process's times whatever process it is
// asked about, so under Wine the times come from Linux, whose /proc Wine shows under Z:.
// The program is the newest Linux process whose arguments are the path it was started with
// and then its own arguments; its user and kernel times are counted in ticks of 10 ms.
double LinuxProcessorMilliseconds(const std::string& program, const std::string& wanted) {
  WIN32_FIND_DATAA entry;
  const HANDLE walk = FindFirstFileA("Z:\\proc\\*", &entry);
  if (walk == INVALID_HANDLE_VALUE) return -1;
  unsigned long long newestStart = 0;
  double milliseconds = -1;
  do {
    const std::string pid = entry.cFileName;
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string directory = "Z:\\proc\\" + pid + "\\";
    std::string arguments = ReadWhole(directory + "cmdline");
    if (lstrcmpiA(arguments.c_str(), program.c_str()) != 0) continue;
    // The arguments after the path, separated by nulls as Linux keeps them; Wine pads the
    // command line with more nulls (seen on Wine 8.0).
    arguments.erase(0, std::min(arguments.size(), std::strlen(arguments.c_str()) + 1));
    while (!arguments.empty() && arguments.back() == '\0')
      arguments.pop_back();
    std::replace(arguments.begin(), arguments.end(), '\0', ' ');
    if (arguments != wanted) continue;
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

// Milliseconds from the start to each point; negative while not reached.
struct Points {
  double visible = -1;
  double created = -1;
  double painted = -1;
};

// A started program and its main window.
class Running {
 public:
  explicit Running(const Target& target) : target_(target) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + target.path + "\" " + target.arguments;
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
  DWORD ProcessId() const { return info_.dwProcessId; }

  // Looks every millisecond until every control is painted; false when that does not
  // happen within 30 seconds or the program ends first. Each look asks the window server
  // as little as it can, so that the looking slows the program down as little as it can:
  // the windows already seen painted are looked at again only once all of them seem to be.
  bool WaitForPoints(Points& points) {
    LARGE_INTEGER now;
    std::size_t unpainted = 0;
    for (;;) {
      QueryPerformanceCounter(&now);
      const double at = Milliseconds(started_, now);
      if (at > 30000) return false;
      if (!window_) {
        WindowSearch search{info_.dwProcessId, target_.windowClass, nullptr};
        EnumWindows(&FindWindowOf, reinterpret_cast<LPARAM>(&search));
        window_ = search.found;
      }
      if (window_) {
        if (points.visible < 0 && IsWindowVisible(window_)) points.visible = at;
        if (points.created < 0) {
          windows_.clear();
          EnumChildWindows(window_, &CollectChild, reinterpret_cast<LPARAM>(&windows_));
          if (static_cast<int>(windows_.size()) >= kControls) {
            points.created = at;
            windows_.insert(windows_.begin(), window_);
          }
        }
        if (points.visible >= 0 && points.created >= 0) {
          while (unpainted < windows_.size() && Painted(windows_[unpainted]))
            ++unpainted;
          if (unpainted == windows_.size()) {
            if (std::all_of(windows_.begin(), windows_.end(), Painted)) {
              points.painted = at;
              return true;
            }
            unpainted = 0;
          }
        }
      }
      if (WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0) return false;
      Sleep(1);
    }
  }

  // User plus kernel time so far, in milliseconds; negative when it cannot be had.
  double ProcessorMilliseconds() const {
    if (UnderWine()) return LinuxProcessorMilliseconds(target_.path, target_.arguments);
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
  // The main window first, then every control's window.
  std::vector<HWND> windows_;
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

// Starts the program the given number of times, one after the other; each time it waits
// until the program has painted and settled, then marks the end of its start in the window
// server's trace and prints its process id.
int MarkStarts(const Target& target, int times) {
  for (int i = 0; i < times; ++i) {
    Running running(target);
    Points points;
    if (!running.Ok() || !running.WaitForPoints(points))
      return Fail("did not paint its window", target);
    // Whatever a paint sets off (a late erase, a caret, the first idle step) is part of the
    // start too.
    Sleep(1000);
    GlobalDeleteAtom(GlobalAddAtomA(kMarkAtom));
    std::printf("%s process %lu\n", target.label, static_cast<unsigned long>(running.ProcessId()));
    std::fflush(stdout);
  }
  return 0;
}

int ScreenPixelsPerInch() {
  const HDC screen = GetDC(nullptr);
  const int pixels = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return pixels;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 20;
  int idleSeconds = 0;
  const char* mark = nullptr;
  int times = 1;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--idle-seconds") == 0)
      idleSeconds = std::max(0, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--mark-start") == 0) mark = argv[i + 1];
    if (std::strcmp(argv[i], "--times") == 0) times = std::max(1, std::atoi(argv[i + 1]));
  }

  const Target targets[] = {
      {"Sonderix", Beside(SX_SONDERIX_RELATIVE_PATH), "TForm1", ""},
      {"PlainWindow", Beside(SX_PLAIN_RELATIVE_PATH), "PlainWindow", ""},
      {"PlainWindow+", Beside(SX_PLAIN_RELATIVE_PATH), "PlainWindow", "--with-hidden-windows"},
  };
  constexpr int kTargets = static_cast<int>(std::size(targets));
  if (mark) {
    for (const Target& target : targets)
      if (_stricmp(mark, target.label) == 0) return MarkStarts(target, times);
    std::printf("--mark-start: no program named %s\n", mark);
    return 2;
  }

  for (const Target& target : targets) {
    Running warmUp(target);
    Points points;
    if (!warmUp.Ok() || !warmUp.WaitForPoints(points))
      return Fail("did not paint its window", target);
  }

  std::vector<double> samples[kTargets][3];
  std::printf("Start to visible / all controls created / all controls painted, ms\n");
  std::printf("(%d rounds, A B C then C B A, %d pixels per inch)\n", rounds, ScreenPixelsPerInch());
  std::printf("%5s", "round");
  for (const Target& target : targets)
    std::printf("  %-26s", target.label);
  std::printf("\n");
  for (int round = 1; round <= rounds; ++round) {
    Points points[kTargets];
    for (int i = 0; i < kTargets; ++i) {
      const int t = round % 2 ? i : kTargets - 1 - i;
      Running running(targets[t]);
      if (!running.Ok() || !running.WaitForPoints(points[t]))
        return Fail("did not paint its window", targets[t]);
      samples[t][0].push_back(points[t].visible);
      samples[t][1].push_back(points[t].created);
      samples[t][2].push_back(points[t].painted);
    }
    std::printf("%5d", round);
    for (const Points& p : points)
      std::printf("  %8.1f %8.1f %8.1f", p.visible, p.created, p.painted);
    std::printf("\n");
    std::fflush(stdout);
  }
  double median[kTargets][3];
  std::printf("%6s", "median");
  for (int t = 0; t < kTargets; ++t) {
    for (int p = 0; p < 3; ++p)
      median[t][p] = Median(samples[t][p]);
    std::printf(" %8.1f %8.1f %8.1f ", median[t][0], median[t][1], median[t][2]);
  }
  std::printf("\n");
  const char* names[3] = {"visible", "created", "painted"};
  for (int t = 1; t < kTargets; ++t)
    for (int p = 0; p < 3; ++p)
      std::printf("ratio %s / %s, %s: %.2f\n", targets[0].label, targets[t].label, names[p],
                  median[0][p] / median[t][p]);

  if (idleSeconds == 0) return 0;
  std::printf("\nProcessor time while idle, %d s after the first paint\n", idleSeconds);
  std::deque<Running> idle;
  for (const Target& target : targets)
    idle.emplace_back(target);
  for (int t = 0; t < kTargets; ++t) {
    Points points;
    if (!idle[t].Ok() || !idle[t].WaitForPoints(points))
      return Fail("did not paint its window", targets[t]);
  }
  Sleep(1000);
  double before[kTargets];
  for (int t = 0; t < kTargets; ++t)
    before[t] = idle[t].ProcessorMilliseconds();
  Sleep(static_cast<DWORD>(idleSeconds) * 1000);
  for (int t = 0; t < kTargets; ++t) {
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
