#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "framework/runtime/ResourceModule.h"
#include "framework/runtime/Win32SystemServices.h"
#include "tests/framework/runtime/RuntimeTestIds.h"
#include "tests/framework/runtime/Win32TestSupport.h"

namespace sx {
namespace {

using testing::ScopedFiles;
using testing::ScopedRegistryKey;
using testing::TestExecutableDirectory;
using testing::TestExecutablePath;

constexpr const char* kUserLocales = "Software\\Halvern\\Locales";
constexpr const char* kUserProductLocales = "Software\\Halvern\\Ostrel\\Locales";

// Each case starts with no choice made, a Russian thread locale and no locale keys, and
// leaves behind no choice, no copied file and no key.
class LanguageModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallWin32SystemServices();
    previousLocale_ = GetThreadLocale();
    SetThreadLocale(MAKELCID(MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT), SORT_DEFAULT));
    char language[16] = {};
    GetLocaleInfoA(GetThreadLocale(), LOCALE_SABBREVLANGNAME, language, sizeof language);
    ASSERT_STREQ(language, "RUS");
    for (auto [root, path] :
         {std::pair{HKEY_CURRENT_USER, kUserLocales}, std::pair{HKEY_LOCAL_MACHINE, kUserLocales},
          std::pair{HKEY_CURRENT_USER, kUserProductLocales}}) {
      HKEY key = nullptr;
      if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegCloseKey(key);
        GTEST_SKIP() << "a locale key exists already: " << path;
      }
    }
    ForgetResourceModules();
  }

  void TearDown() override {
    ForgetResourceModules();
    SetThreadLocale(previousLocale_);
  }

  // Puts a copy of a fixture library beside the test executable under its name with
  // another extension.
  void PlaceFixture(int fixture, const char* extension) {
    const std::string from =
        TestExecutableDirectory() + "runtime_language_fixture" + std::to_string(fixture) + ".dll";
    ASSERT_TRUE(files_.Copy(from, ReplaceExtension(TestExecutablePath(), extension)))
        << "cannot copy " << from;
  }

  static std::string ProbeText() {
    SystemServices& system = System();
    return system.LoadText(system.MainModule(), SX_TEST_OWN_TEXT);
  }

  static std::string ProbeData() {
    SystemServices& system = System();
    auto bytes = system.FindRcData(system.MainModule(), "SxProbe");
    if (!bytes) return "(none)";
    return std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size());
  }

  ScopedFiles files_;

 private:
  LCID previousLocale_ = 0;
};

TEST_F(LanguageModuleTest, OwnResourcesUsedWhenNoLanguageModuleExists) {
  EXPECT_EQ(ProbeText(), "own text");
  EXPECT_EQ(ProbeData(), "own");
  EXPECT_EQ(ResourceModuleOf(System().MainModule()), System().MainModule());
}

// Where the settings and files of one case point the choice of a language module.
struct ModuleChoice {
  struct Setting {
    HKEY root;
    const char* key;
    const char* name;   // kThisExecutable for the test executable's path; null for the default
    const char* value;  // null: the key exists without a value
  };
  struct Placed {
    int fixture;  // 0: a file that is not a library
    const char* extension;
  };
  const char* name;
  std::vector<Setting> settings;
  std::vector<Placed> files;
  int chosen;  // the fixture whose resources are read
};

constexpr const char* kThisExecutable = "(this executable)";

class LanguageModuleChoice : public LanguageModuleTest,
                             public ::testing::WithParamInterface<ModuleChoice> {};

TEST_P(LanguageModuleChoice, ReadsTheResourcesOfTheChosenModule) {
  std::vector<std::unique_ptr<ScopedRegistryKey>> keys;
  for (const ModuleChoice::Setting& setting : GetParam().settings) {
    keys.push_back(std::make_unique<ScopedRegistryKey>(setting.root, setting.key));
    ASSERT_TRUE(keys.back()->ok()) << setting.key;
    if (!setting.value) continue;
    const char* name = setting.name;
    std::string path;
    if (name && std::string_view(name) == kThisExecutable) {
      path = TestExecutablePath();
      name = path.c_str();
    }
    ASSERT_TRUE(keys.back()->SetText(name, setting.value));
  }
  for (const ModuleChoice::Placed& file : GetParam().files) {
    if (file.fixture == 0) {
      ASSERT_TRUE(
          files_.Write(ReplaceExtension(TestExecutablePath(), file.extension), "not a library"));
    } else {
      PlaceFixture(file.fixture, file.extension);
    }
  }
  const int chosen = GetParam().chosen;
  EXPECT_EQ(ProbeText(), "language module " + std::to_string(chosen));
  EXPECT_EQ(ProbeData(), chosen == 1 ? "one" : "two");
}

const HKEY kUser = HKEY_CURRENT_USER;
const HKEY kMachine = HKEY_LOCAL_MACHINE;

INSTANTIATE_TEST_SUITE_P(
    All, LanguageModuleChoice,
    ::testing::Values(
        ModuleChoice{"ThreeLetterLanguageModuleReplacesOwnResources", {}, {{1, "RUS"}}, 1},
        ModuleChoice{"TwoLetterLanguageModuleUsedWhenThreeLetterOneIsMissing", {}, {{2, "RU"}}, 2},
        ModuleChoice{
            "ThreeLetterLanguageModuleWinsOverTwoLetterOne", {}, {{1, "RUS"}, {2, "RU"}}, 1},
        ModuleChoice{"FileThatIsNotALibraryIsPassedOver", {}, {{0, "RUS"}, {2, "RU"}}, 2},
        ModuleChoice{
            "SettingForTheExecutablePathWinsOverTheLocale",
            {{kUser, kUserLocales, kThisExecutable, "DEU"}, {kUser, kUserLocales, nullptr, "FRA"}},
            {{1, "DEU"}, {2, "RUS"}, {2, "FRA"}},
            1},
        ModuleChoice{"DefaultSettingUsedWithoutOneForTheExecutablePath",
                     {{kUser, kUserLocales, "C:\\Elsewhere\\other.exe", "ITA"},
                      {kUser, kUserLocales, nullptr, "DEU"}},
                     {{1, "DEU"}, {2, "RUS"}, {2, "ITA"}},
                     1},
        ModuleChoice{"LocaleUsedWhenTheSettingNamesNoFile",
                     {{kUser, kUserLocales, nullptr, "DEU"}},
                     {{2, "RUS"}},
                     2},
        ModuleChoice{"MachineSettingUsedWhenTheUserHasNone",
                     {{kMachine, kUserLocales, nullptr, "DEU"}},
                     {{1, "DEU"}, {2, "RUS"}},
                     1},
        ModuleChoice{"ProductSettingUsedWhenNeitherCommonKeyExists",
                     {{kUser, kUserProductLocales, nullptr, "DEU"}},
                     {{1, "DEU"}, {2, "RUS"}},
                     1},
        // The user's key exists without any value: the machine's setting is not consulted.
        ModuleChoice{
            "OnlyTheFirstExistingLocaleKeyIsRead",
            {{kUser, kUserLocales, nullptr, nullptr}, {kMachine, kUserLocales, nullptr, "DEU"}},
            {{1, "DEU"}, {2, "RUS"}},
            2}),
    [](const ::testing::TestParamInfo<ModuleChoice>& info) {
      return std::string(info.param.name);
    });

TEST_F(LanguageModuleTest, ChoiceIsKeptOnceMade) {
  EXPECT_EQ(ProbeText(), "own text");
  PlaceFixture(1, "RUS");
  EXPECT_EQ(ProbeText(), "own text");
  ForgetResourceModules();
  EXPECT_EQ(ProbeText(), "language module 1");
}

TEST_F(LanguageModuleTest, TextMissingFromTheLanguageModuleIsEmpty) {
  PlaceFixture(1, "RUS");
  SystemServices& system = System();
  EXPECT_EQ(system.LoadText(system.MainModule(), SX_TEST_FIXTURE_ONLY_TEXT),
            "only in language module 1");
  EXPECT_EQ(system.LoadText(system.MainModule(), SX_TEST_LONG_TEXT), "");
}

TEST_F(LanguageModuleTest, ModuleWithCodeInItRunsNoneOfIt) {
  constexpr const char* kTrace = "SxLanguageFixtureCodeRan";
  PlaceFixture(3, "RUS");
  EXPECT_EQ(ProbeText(), "language module 1");
  HANDLE trace = OpenEventA(SYNCHRONIZE, FALSE, kTrace);
  EXPECT_EQ(trace, nullptr) << "the language module's code ran";
  if (trace) CloseHandle(trace);

  // Loaded as a program library, its code does run and leaves the trace looked for above.
  HMODULE library =
      LoadLibraryA((TestExecutableDirectory() + "runtime_language_fixture3.dll").c_str());
  ASSERT_NE(library, nullptr);
  trace = OpenEventA(SYNCHRONIZE, FALSE, kTrace);
  EXPECT_NE(trace, nullptr);
  if (trace) CloseHandle(trace);
  FreeLibrary(library);
}

// --- The check a language module must pass -----------------------------------------------

// Refuses the module whose probe data is "one", and records what the module's own text
// read while the choice was being made.
std::string g_textDuringTheChoice;
bool RefusesFixtureOne(const RcDataLookup& own, const RcDataLookup& candidate) {
  SystemServices& system = System();
  g_textDuringTheChoice = system.LoadText(system.MainModule(), SX_TEST_OWN_TEXT);
  const auto probe = candidate("SxProbe");
  if (!own("SxProbe") || !probe) return false;
  return std::string(reinterpret_cast<const char*>(probe->data()), probe->size()) != "one";
}

bool Raises(const RcDataLookup&, const RcDataLookup&) {
  throw std::runtime_error("the check failed");
}

class LanguageModuleCheckTest : public LanguageModuleTest {
 protected:
  void TearDown() override {
    SetLanguageModuleCheck(previous_);
    LanguageModuleTest::TearDown();
  }

  LanguageModuleCheck previous_ = SetLanguageModuleCheck(nullptr);
};

TEST_F(LanguageModuleCheckTest, RefusedModuleIsPassedOverForTheNextCandidate) {
  SetLanguageModuleCheck(&RefusesFixtureOne);
  PlaceFixture(1, "RUS");
  PlaceFixture(2, "RU");
  EXPECT_EQ(ProbeData(), "two");
  EXPECT_EQ(ProbeText(), "language module 2");
}

// A text the check reads while the module is being chosen (an error's message, say) is the
// module's own, and asking for it does not wait on the choice being made.
TEST_F(LanguageModuleCheckTest, TextReadDuringTheChoiceIsTheModulesOwn) {
  SetLanguageModuleCheck(&RefusesFixtureOne);
  g_textDuringTheChoice.clear();
  PlaceFixture(1, "RUS");
  EXPECT_EQ(ProbeText(), "own text");
  EXPECT_EQ(g_textDuringTheChoice, "own text");
}

TEST_F(LanguageModuleCheckTest, CheckThatFailsRefusesTheModule) {
  SetLanguageModuleCheck(&Raises);
  PlaceFixture(1, "RUS");
  EXPECT_EQ(ProbeData(), "own");
}

}  // namespace
}  // namespace sx
