// The real program, started as a separate process: its application window, what it shows
// when its main window's definition cannot be read, the libraries its start loads, and its
// exit code.

#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/ProgramProcess.h"
#include "tests/support/WindowQueries.h"

namespace {

using sx::testing::BesideTestProgram;
using sx::testing::ProgramProcess;
using sx::testing::WindowTextA;

std::string ProgramPath() {
  return BesideTestProgram(SX_PROGRAM_RELATIVE_PATH);
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR data) {
  reinterpret_cast<std::vector<WORD>*>(data)->push_back(language);
  return TRUE;
}

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
HWND WaitForMainWindow(const ProgramProcess& program) {
  const HWND shown = program.WaitForWindow({"#32770", "TForm1"});
  if (shown && sx::testing::WindowClass(shown) == "#32770") {
    ADD_FAILURE() << "the program showed an error instead of its main window: " << BoxText(shown);
    CloseBox(shown);
    return nullptr;
  }
  EXPECT_NE(shown, nullptr) << "the main window did not appear";
  return shown;
}

TEST(StartupTest, ApplicationWindowCarriesTheTitleAndOwnsTheMainWindow) {
  ProgramProcess program(ProgramPath());
  ASSERT_TRUE(program.Started()) << ProgramPath();
  const HWND main = WaitForMainWindow(program);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(WindowTextA(main), "Sonderix");
  const HWND application = program.TopWindow("TApplication");
  EXPECT_EQ(WindowTextA(application), "Sonderix");
  EXPECT_EQ(GetWindow(main, GW_OWNER), application);
  PostMessageA(application, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);
}

// Whether a module of that file name is loaded in the process.
bool HasModule(DWORD process, const char* name) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process);
  if (snapshot == INVALID_HANDLE_VALUE) {
    ADD_FAILURE() << "the modules of the program cannot be listed";
    return false;
  }
  MODULEENTRY32 module{};
  module.dwSize = sizeof module;
  bool found = false;
  for (BOOL more = Module32First(snapshot, &module); more && !found;
       more = Module32Next(snapshot, &module))
    found = lstrcmpiA(module.szModule, name) == 0;
  CloseHandle(snapshot);
  return found;
}

TEST(StartupTest, MediaControlLibraryIsNotLoadedByTheStart) {
  ProgramProcess program(ProgramPath());
  ASSERT_TRUE(program.Started());
  const HWND main = WaitForMainWindow(program);
  ASSERT_NE(main, nullptr);
  DWORD process = 0;
  GetWindowThreadProcessId(main, &process);

  // Only the door commands need it, and it brings the audio libraries with it.
  EXPECT_TRUE(HasModule(process, "user32.dll"));
  EXPECT_FALSE(HasModule(process, "winmm.dll"));
  PostMessageA(program.TopWindow("TApplication"), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);
}

TEST(StartupTest, ClosingThroughTheApplicationWindowEndsWithExitCodeZero) {
  ProgramProcess program(ProgramPath());
  ASSERT_TRUE(program.Started());
  ASSERT_NE(WaitForMainWindow(program), nullptr);
  // Close on the taskbar button's menu.
  PostMessageA(program.TopWindow("TApplication"), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);
}

TEST(StartupTest, MissingDefinitionIsShownAsResourceNotFoundAndTheProgramEndsWithZero) {
  ProgramCopy copy(nullptr);
  ASSERT_TRUE(copy.Ok());
  ProgramProcess program(copy.Path());
  ASSERT_TRUE(program.Started());
  const HWND box = program.WaitForWindow({"#32770"});
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(BoxText(box), "Resource TForm1 not found.");
  EXPECT_EQ(WindowTextA(box), "Sonderix") << "the box is captioned with the title";
  EXPECT_EQ(WindowTextA(program.TopWindow("TApplication")), "Sonderix");
  CloseBox(box);
  EXPECT_EQ(program.ExitCode(), 0);
}

TEST(StartupTest, DamagedDefinitionIsShownAsAStreamErrorAndTheProgramEndsWithZero) {
  const std::vector<std::uint8_t> damaged = {'N', 'O', 'P', 'E', 0, 0};
  ProgramCopy copy(&damaged);
  ASSERT_TRUE(copy.Ok());
  ProgramProcess program(copy.Path());
  ASSERT_TRUE(program.Started());
  const HWND box = program.WaitForWindow({"#32770"});
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(BoxText(box), "Invalid stream format.");
  CloseBox(box);
  EXPECT_EQ(program.ExitCode(), 0);
}

TEST(StartupTest, StartedMaximisedTheMainWindowOpensMaximised) {
  ProgramProcess program(ProgramPath(), SW_SHOWMAXIMIZED);
  ASSERT_TRUE(program.Started());
  const HWND main = WaitForMainWindow(program);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(IsZoomed(main));
  PostMessageA(program.TopWindow("TApplication"), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);
}

}  // namespace
