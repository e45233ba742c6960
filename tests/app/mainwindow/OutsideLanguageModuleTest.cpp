// The real program beside a language module in a folder of its own: a module that passes
// the checks is taken, and one whose definition still cannot be read gives way to the
// program's own window instead of an error and no window.

#include <windows.h>

#include <string>

#include "framework/runtime/Finally.h"
#include "tests/app/mainwindow/OutsideProgram.h"
#include "tests/framework/runtime/Win32TestSupport.h"

namespace sx::testing {
namespace {

struct ModuleCase {
  const char* fixture;
  const char* caption;  // the main window's caption: the module's name when it was taken
};

class OutsideLanguageModule : public ::testing::TestWithParam<ModuleCase> {};

TEST_P(OutsideLanguageModule, ProgramStartsWithItsMainWindow) {
  char language[16] = {};
  GetLocaleInfoA(GetThreadLocale(), LOCALE_SABBREVLANGNAME, language, sizeof language);
  if (std::string(language) != "RUS") GTEST_SKIP() << "made for the Russian locale";
  // The program in a folder of its own with the module beside it, under the name the
  // Russian locale looks for first.
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder =
      std::string(temp) + "sx_module_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  const Finally removeFolder([&] { RemoveDirectoryA(folder.c_str()); });
  ScopedFiles files;
  const std::string path = folder + "\\sonderix.exe";
  ASSERT_TRUE(files.Copy(ProgramPath(), path));
  ASSERT_TRUE(files.Copy(BesideTestProgram(std::string("language_") + GetParam().fixture + ".dll"),
                         folder + "\\sonderix.RUS"));

  ProgramProcess program(path);
  ASSERT_TRUE(program.Started());
  const HWND window = program.WaitForWindow({"TForm1", "#32770"});
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(WindowClass(window), "TForm1") << WindowTextA(window);
  EXPECT_EQ(WindowTextA(window), GetParam().caption);
  PostMessageA(program.TopWindow("TApplication"), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(Each, OutsideLanguageModule,
                         ::testing::Values(ModuleCase{"faithful", "faithful"},
                                           ModuleCase{"unknown", "Sonderix"}),
                         [](const ::testing::TestParamInfo<ModuleCase>& info) {
                           return std::string(info.param.fixture);
                         });

}  // namespace
}  // namespace sx::testing
