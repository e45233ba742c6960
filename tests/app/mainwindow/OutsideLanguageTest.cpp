// The real program in each language: started under a locale it shows that language's
// captions, or English where it has no module for the locale and the code page cannot show
// its own Russian, and a language chosen in the registry wins over the locale. This program
// runs once per locale (tools/wine-run gives the whole run the locale $SX_LOCALE), and each
// run checks the row of its locale.

#include <windows.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "tests/app/mainwindow/LanguageFiles.h"
#include "tests/app/mainwindow/OutsideProgram.h"
#include "tests/framework/runtime/Win32TestSupport.h"

namespace sx::testing {
namespace {

struct LocaleRow {
  const char* locale;
  const char* file;  // the language file whose captions show; empty for the own Russian
};

constexpr LocaleRow kLocales[] = {
    {"ru_RU.UTF-8", ""},
    {"en_US.UTF-8", "en.sxlang"},
    {"de_DE.UTF-8", "de.sxlang"},
    {"fr_FR.UTF-8", "fr.sxlang"},
    {"es_ES.UTF-8", "es.sxlang"},
    {"pl_PL.UTF-8", "pl.sxlang"},
    {"uk_UA.UTF-8", "uk.sxlang"},
    // No module of its own and a code page without Cyrillic: English, not question marks.
    {"it_IT.UTF-8", "en.sxlang"},
    // No module of its own and a Cyrillic code page: the program's own Russian.
    {"bg_BG.UTF-8", ""},
};

std::string RunLocale() {
  const char* locale = std::getenv("SX_LOCALE");
  return locale && *locale ? locale : "ru_RU.UTF-8";
}

// Every caption the program shows is the expected one, and none holds a question mark.
void ExpectCaptions(const Program& program, const LanguageCaptions& expected) {
  EXPECT_EQ(WindowTextW(program.MainWindow()), expected.captions.at("Form1"));
  int compared = 0;
  for (const ControlRow& row : StoredControls()) {
    const auto caption = expected.captions.find(row.name);
    if (caption == expected.captions.end()) continue;
    const HWND child = program.Child(row);
    ASSERT_NE(child, nullptr) << row.name;
    const std::wstring shown = TextOf(child);
    EXPECT_EQ(shown, caption->second) << row.name;
    EXPECT_EQ(shown.find(L'?'), std::wstring::npos) << row.name;
    ++compared;
  }
  EXPECT_EQ(compared, 14);
}

TEST_F(OutsideTest, CaptionsAreInTheLanguageOfTheLocale) {
  const std::string locale = RunLocale();
  const LocaleRow* row = nullptr;
  for (const LocaleRow& candidate : kLocales)
    if (locale == candidate.locale) row = &candidate;
  ASSERT_NE(row, nullptr) << "no row for the locale " << locale;
  ExpectCaptions(program_, CaptionsOf(row->file));
}

// Chosen before the program starts, so this case starts its own. It runs under the
// Russian locale, which has no module of its own, and chooses Ukrainian, whose texts the
// Cyrillic code page shows.
TEST(OutsideLanguageChoice, RegistryChoiceBeatsTheLocale) {
  if (RunLocale() != "ru_RU.UTF-8") GTEST_SKIP() << "made for the Russian locale";
  constexpr const char* kLocaleKey = "Software\\Halvern\\Locales";
  HKEY existing = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kLocaleKey, 0, KEY_READ, &existing) == ERROR_SUCCESS) {
    RegCloseKey(existing);
    GTEST_SKIP() << "a locale key exists already";
  }
  char full[MAX_PATH] = {};
  char program[MAX_PATH] = {};
  ASSERT_NE(GetFullPathNameA(ProgramPath().c_str(), MAX_PATH, full, nullptr), 0u);
  ASSERT_NE(GetLongPathNameA(full, program, MAX_PATH), 0u);
  ScopedRegistryKey key(HKEY_CURRENT_USER, kLocaleKey);
  ASSERT_TRUE(key.ok());
  ASSERT_TRUE(key.SetText(program, "UK"));

  Program running;
  ASSERT_NE(running.MainWindow(), nullptr);
  ExpectCaptions(running, CaptionsOf("uk.sxlang"));
}

}  // namespace
}  // namespace sx::testing
