// The real program beside a language module in a folder of its own: a module that passes
// the checks is taken, and one whose definition still cannot be read gives way to the
// program's own window instead of an error and no window.

#include <windows.h>

#include <string>

#include "tests/app/mainwindow/OutsideProgram.h"

namespace sx::testing {
namespace {

// The program copied into a folder of its own with the fixture module beside it, under the
// name the Russian locale looks for first.
class ProgramWithModule {
 public:
  explicit ProgramWithModule(const std::string& fixture) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    directory_ = std::string(temp) + "sx_module_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(directory_.c_str(), nullptr);
    path_ = directory_ + "\\sonderix.exe";
    module_ = directory_ + "\\sonderix.RUS";
    ok_ = CopyFileA(ProgramPath().c_str(), path_.c_str(), FALSE) &&
          CopyFileA(BesideTestProgram("language_" + fixture + ".dll").c_str(), module_.c_str(),
                    FALSE);
  }
  ~ProgramWithModule() {
    DeleteFileA(module_.c_str());
    DeleteFileA(path_.c_str());
    RemoveDirectoryA(directory_.c_str());
  }
  ProgramWithModule(const ProgramWithModule&) = delete;
  ProgramWithModule& operator=(const ProgramWithModule&) = delete;

  bool Ok() const { return ok_; }
  const std::string& Path() const { return path_; }

 private:
  std::string directory_;
  std::string path_;
  std::string module_;
  bool ok_ = false;
};

struct ModuleCase {
  const char* fixture;
  const char* caption;  // the main window's caption: the module's name when it was taken
};

class OutsideLanguageModule : public ::testing::TestWithParam<ModuleCase> {};

TEST_P(OutsideLanguageModule, ProgramStartsWithItsMainWindow) {
  char language[16] = {};
  GetLocaleInfoA(GetThreadLocale(), LOCALE_SABBREVLANGNAME, language, sizeof language);
  if (std::string(language) != "RUS") GTEST_SKIP() << "made for the Russian locale";
  ProgramWithModule copy(GetParam().fixture);
  ASSERT_TRUE(copy.Ok());
  ProgramProcess program(copy.Path());
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
