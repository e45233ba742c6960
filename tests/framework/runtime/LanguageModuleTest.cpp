#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

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

TEST_F(LanguageModuleTest, ThreeLetterLanguageModuleReplacesOwnResources) {
  PlaceFixture(1, "RUS");
  EXPECT_EQ(ProbeText(), "language module 1");
  EXPECT_EQ(ProbeData(), "one");
}

TEST_F(LanguageModuleTest, TwoLetterLanguageModuleUsedWhenThreeLetterOneIsMissing) {
  PlaceFixture(2, "RU");
  EXPECT_EQ(ProbeText(), "language module 2");
  EXPECT_EQ(ProbeData(), "two");
}

TEST_F(LanguageModuleTest, ThreeLetterLanguageModuleWinsOverTwoLetterOne) {
  PlaceFixture(1, "RUS");
  PlaceFixture(2, "RU");
  EXPECT_EQ(ProbeText(), "language module 1");
}

TEST_F(LanguageModuleTest, FileThatIsNotALibraryIsPassedOver) {
  ASSERT_TRUE(files_.Write(ReplaceExtension(TestExecutablePath(), "RUS"), "not a library"));
  PlaceFixture(2, "RU");
  EXPECT_EQ(ProbeText(), "language module 2");
}

TEST_F(LanguageModuleTest, SettingForTheExecutablePathWinsOverTheLocale) {
  ScopedRegistryKey key(HKEY_CURRENT_USER, kUserLocales);
  ASSERT_TRUE(key.SetText(TestExecutablePath().c_str(), "DEU"));
  ASSERT_TRUE(key.SetText(nullptr, "FRA"));
  PlaceFixture(1, "DEU");
  PlaceFixture(2, "RUS");
  PlaceFixture(2, "FRA");
  EXPECT_EQ(ProbeText(), "language module 1");
}

TEST_F(LanguageModuleTest, DefaultSettingUsedWithoutOneForTheExecutablePath) {
  ScopedRegistryKey key(HKEY_CURRENT_USER, kUserLocales);
  ASSERT_TRUE(key.SetText("C:\\Elsewhere\\other.exe", "ITA"));
  ASSERT_TRUE(key.SetText(nullptr, "DEU"));
  PlaceFixture(1, "DEU");
  PlaceFixture(2, "RUS");
  PlaceFixture(2, "ITA");
  EXPECT_EQ(ProbeText(), "language module 1");
}

TEST_F(LanguageModuleTest, LocaleUsedWhenTheSettingNamesNoFile) {
  ScopedRegistryKey key(HKEY_CURRENT_USER, kUserLocales);
  ASSERT_TRUE(key.SetText(nullptr, "DEU"));
  PlaceFixture(2, "RUS");
  EXPECT_EQ(ProbeText(), "language module 2");
}

TEST_F(LanguageModuleTest, MachineSettingUsedWhenTheUserHasNone) {
  ScopedRegistryKey key(HKEY_LOCAL_MACHINE, kUserLocales);
  ASSERT_TRUE(key.SetText(nullptr, "DEU"));
  PlaceFixture(1, "DEU");
  PlaceFixture(2, "RUS");
  EXPECT_EQ(ProbeText(), "language module 1");
}

TEST_F(LanguageModuleTest, ProductSettingUsedWhenNeitherCommonKeyExists) {
  ScopedRegistryKey key(HKEY_CURRENT_USER, kUserProductLocales);
  ASSERT_TRUE(key.SetText(nullptr, "DEU"));
  PlaceFixture(1, "DEU");
  PlaceFixture(2, "RUS");
  EXPECT_EQ(ProbeText(), "language module 1");
}

TEST_F(LanguageModuleTest, OnlyTheFirstExistingLocaleKeyIsRead) {
  // The user's key exists without any value: the machine's setting is not consulted.
  ScopedRegistryKey user(HKEY_CURRENT_USER, kUserLocales);
  ScopedRegistryKey machine(HKEY_LOCAL_MACHINE, kUserLocales);
  ASSERT_TRUE(user.ok());
  ASSERT_TRUE(machine.SetText(nullptr, "DEU"));
  PlaceFixture(1, "DEU");
  PlaceFixture(2, "RUS");
  EXPECT_EQ(ProbeText(), "language module 2");
}

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

}  // namespace
}  // namespace sx
