// The real program, started as a separate process: its application window, what it shows
// when its main window's definition cannot be read, and its exit code.

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The program beside this test program in the build tree.
std::string ProgramPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string self = path;
  std::string program = self.substr(0, self.find_last_of('\\') + 1) + SX_PROGRAM_RELATIVE_PATH;
  for (char& c : program)
    if (c == '/') c = '\\';
  return program;
}

// A top-level window of the process.
struct FoundWindow {
  HWND window = nullptr;
  std::string className;
  std::string text;
};

struct WindowWalk {
  DWORD process;
  std::vector<FoundWindow> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
  auto& walk = *reinterpret_cast<WindowWalk*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != walk.process) return TRUE;
  char className[64] = {};
  char text[256] = {};
  GetClassNameA(window, className, sizeof className);
  GetWindowTextA(window, text, sizeof text);
  walk.found.push_back({window, className, text});
  return TRUE;
}

std::vector<FoundWindow> WindowsOf(DWORD process) {
  WindowWalk walk{process, {}};
  EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&walk));
  return walk.found;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR data) {
  reinterpret_cast<std::vector<WORD>*>(data)->push_back(language);
  return TRUE;
}

// The program running in a process of its own; killed if a test leaves it running.
class Program {
 public:
  explicit Program(const std::string& path, int showCommand = -1) {
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
  ~Program() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
      TerminateProcess(info_.hProcess, 99);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return started_; }

  // Waits for a window of the class to appear.
  FoundWindow WaitForWindow(const std::string& className, DWORD milliseconds = 30000) const {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
      for (const FoundWindow& window : WindowsOf(info_.dwProcessId))
        if (window.className == className && IsWindowVisible(window.window)) return window;
      if (WaitForSingleObject(info_.hProcess, 50) == WAIT_OBJECT_0) break;
    }
    return {};
  }

  // The first visible window that is either of the two classes.
  FoundWindow WaitForEither(const std::string& first, const std::string& second,
                            DWORD milliseconds = 30000) const {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
      for (const FoundWindow& window : WindowsOf(info_.dwProcessId))
        if ((window.className == first || window.className == second) &&
            IsWindowVisible(window.window))
          return window;
      if (WaitForSingleObject(info_.hProcess, 50) == WAIT_OBJECT_0) break;
    }
    return {};
  }

  FoundWindow ApplicationWindow() const {
    for (const FoundWindow& window : WindowsOf(info_.dwProcessId))
      if (window.className == "TApplication") return window;
    return {};
  }

  // The exit code once the process has ended; -1 when it does not end in time.
  long ExitCode(DWORD milliseconds = 30000) const {
    if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
  }

 private:
  PROCESS_INFORMATION info_ = {};
  bool started_ = false;
};

// The text of a message box: its static text item.
std::string BoxText(HWND box) {
  char text[1024] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return text;
}

void CloseBox(HWND box) {
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

// A copy of the program in a directory of its own, whose main window's definition is
// replaced (or, with none given, renamed so that it is not found).
class ProgramCopy {
 public:
  explicit ProgramCopy(const std::vector<std::uint8_t>* definition) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    directory_ = std::string(temp) + "sx_startup_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(directory_.c_str(), nullptr);
    path_ = directory_ + "\\sonderix.exe";
    ok_ = CopyFileA(ProgramPath().c_str(), path_.c_str(), FALSE) != FALSE &&
          (definition ? Rewrite(*definition) : Rename());
  }
  ~ProgramCopy() {
    DeleteFileA(path_.c_str());
    RemoveDirectoryA(directory_.c_str());
  }
  ProgramCopy(const ProgramCopy&) = delete;
  ProgramCopy& operator=(const ProgramCopy&) = delete;

  bool Ok() const { return ok_; }
  const std::string& Path() const { return path_; }

 private:
  // The resource directory names the definition "TFORM1" in UTF-16 after its length; the
  // system's own removal of a resource is not dependable everywhere, so the name is changed
  // in place.
  bool Rename() {
    std::fstream file(path_, std::ios::in | std::ios::out | std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::string name(
        "\x06\0T\0F\0O\0R\0M\0"
        "1\0",
        14);
    const auto at = bytes.find(name);
    if (at == std::string::npos || bytes.find(name, at + 1) != std::string::npos) return false;
    file.seekp(static_cast<std::streamoff>(at + 12));
    file.put('X');
    return static_cast<bool>(file);
  }

  bool Rewrite(const std::vector<std::uint8_t>& definition) {
    // The languages the definition is stored under, to replace every one.
    std::vector<WORD> languages;
    if (HMODULE module = LoadLibraryExA(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
      EnumResourceLanguagesA(module, MAKEINTRESOURCEA(10), "TFORM1", &CollectLanguage,
                             reinterpret_cast<LONG_PTR>(&languages));
      FreeLibrary(module);
    }
    if (languages.empty()) return false;
    HANDLE update = BeginUpdateResourceA(path_.c_str(), FALSE);
    if (!update) return false;
    bool ok = true;
    for (WORD language : languages)
      ok = ok && UpdateResourceA(update, MAKEINTRESOURCEA(10), "TFORM1", language,
                                 const_cast<std::uint8_t*>(definition.data()),
                                 static_cast<DWORD>(definition.size()));
    return EndUpdateResourceA(update, !ok) != FALSE && ok;
  }

  std::string directory_;
  std::string path_;
  bool ok_ = false;
};

// The main window, or the error box the program shows instead when it cannot build it.
FoundWindow WaitForMainWindow(const Program& program) {
  const FoundWindow shown = program.WaitForEither("#32770", "TForm1");
  if (shown.className == "#32770") {
    ADD_FAILURE() << "the program showed an error instead of its main window: "
                  << BoxText(shown.window);
    CloseBox(shown.window);
    return {};
  }
  EXPECT_NE(shown.window, nullptr) << "the main window did not appear";
  return shown;
}

TEST(StartupTest, ApplicationWindowCarriesTheTitleAndOwnsTheMainWindow) {
  Program program(ProgramPath());
  ASSERT_TRUE(program.Started()) << ProgramPath();
  const FoundWindow main = WaitForMainWindow(program);
  ASSERT_NE(main.window, nullptr);
  EXPECT_EQ(main.text, "Sonderix");
  const FoundWindow application = program.ApplicationWindow();
  EXPECT_EQ(application.text, "Sonderix");
  EXPECT_EQ(GetWindow(main.window, GW_OWNER), application.window);
  PostMessageA(application.window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);
}

TEST(StartupTest, ClosingThroughTheApplicationWindowEndsWithExitCodeZero) {
  Program program(ProgramPath());
  ASSERT_TRUE(program.Started());
  ASSERT_NE(WaitForMainWindow(program).window, nullptr);
  // Close on the taskbar button's menu.
  PostMessageA(program.ApplicationWindow().window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);
}

TEST(StartupTest, MissingDefinitionIsShownAsResourceNotFoundAndTheProgramEndsWithZero) {
  ProgramCopy copy(nullptr);
  ASSERT_TRUE(copy.Ok());
  Program program(copy.Path());
  ASSERT_TRUE(program.Started());
  const FoundWindow box = program.WaitForWindow("#32770");
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(BoxText(box.window), "Resource TForm1 not found.");
  EXPECT_EQ(box.text, "Sonderix") << "the box is captioned with the title";
  EXPECT_EQ(program.ApplicationWindow().text, "Sonderix");
  CloseBox(box.window);
  EXPECT_EQ(program.ExitCode(), 0);
}

TEST(StartupTest, DamagedDefinitionIsShownAsAStreamErrorAndTheProgramEndsWithZero) {
  const std::vector<std::uint8_t> damaged = {'N', 'O', 'P', 'E', 0, 0};
  ProgramCopy copy(&damaged);
  ASSERT_TRUE(copy.Ok());
  Program program(copy.Path());
  ASSERT_TRUE(program.Started());
  const FoundWindow box = program.WaitForWindow("#32770");
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(BoxText(box.window), "Invalid stream format.");
  CloseBox(box.window);
  EXPECT_EQ(program.ExitCode(), 0);
}

TEST(StartupTest, StartedMaximisedTheMainWindowOpensMaximised) {
  Program program(ProgramPath(), SW_SHOWMAXIMIZED);
  ASSERT_TRUE(program.Started());
  const FoundWindow main = WaitForMainWindow(program);
  ASSERT_NE(main.window, nullptr);
  EXPECT_TRUE(IsZoomed(main.window));
  PostMessageA(program.ApplicationWindow().window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);
}

}  // namespace
