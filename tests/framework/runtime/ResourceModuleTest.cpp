#include "framework/runtime/ResourceModule.h"

#include <gtest/gtest.h>

#include "tests/support/FakeSystem.h"

namespace sx {
namespace {

using Names = std::vector<std::string>;

TEST(ReplaceExtension, DotInADirectoryIsNotAnExtension) {
  EXPECT_EQ(ReplaceExtension("C:\\My.Apps\\timer", "RUS"), "");
}

TEST(LanguageModuleCandidates, LocaleGivesThreeLettersThenTwo) {
  EXPECT_EQ(LanguageModuleCandidates("C:\\App\\timer.exe", "", "RUS"),
            (Names{"C:\\App\\timer.RUS", "C:\\App\\timer.RU"}));
}

TEST(LanguageModuleCandidates, RegistrySettingIsTriedBeforeTheLocale) {
  EXPECT_EQ(LanguageModuleCandidates("C:\\App\\timer.exe", "DEU", "RUS"),
            (Names{"C:\\App\\timer.DEU", "C:\\App\\timer.RUS", "C:\\App\\timer.RU"}));
}

TEST(LanguageModuleCandidates, RegistrySettingAloneWithoutLanguageName) {
  EXPECT_EQ(LanguageModuleCandidates("C:\\App\\timer.exe", "DEU", ""),
            (Names{"C:\\App\\timer.DEU"}));
}

TEST(LanguageModuleCandidates, OnlyTheFirstFourCharactersOfTheSettingCount) {
  EXPECT_EQ(LanguageModuleCandidates("timer.exe", "DEUTSCH", ""), (Names{"timer.DEUT"}));
}

TEST(LanguageModuleCandidates, SettingWithLeadingDotNamesTheSameFile) {
  EXPECT_EQ(LanguageModuleCandidates("timer.exe", ".DEU", ""), (Names{"timer.DEU"}));
}

TEST(LanguageModuleCandidates, NeitherSettingNorLanguageMeansOwnResources) {
  EXPECT_TRUE(LanguageModuleCandidates("C:\\App\\timer.exe", "", "").empty());
}

TEST(LanguageModuleCandidates, ModuleWithoutExtensionKeepsOwnResources) {
  EXPECT_TRUE(LanguageModuleCandidates("C:\\App.d\\timer", "DEU", "RUS").empty());
}

TEST(LanguageModuleCandidates, ModuleItselfIsNeverACandidate) {
  EXPECT_EQ(LanguageModuleCandidates("timer.RUS", "", "RUS"), (Names{"timer.RU"}));
}

// Where the system cannot show a module's own texts, English beats question marks; it
// comes after every module the setting and the locale name, so a registry choice and a
// module of the user's own language still win.
TEST(LanguageModuleCandidates, EnglishComesLastWhereOwnTextsCannotBeShown) {
  EXPECT_EQ(LanguageModuleCandidates("C:\\App\\timer.exe", "DEU", "ITA", false),
            (Names{"C:\\App\\timer.DEU", "C:\\App\\timer.ITA", "C:\\App\\timer.IT",
                   "C:\\App\\timer.EN"}));
  EXPECT_EQ(LanguageModuleCandidates("timer.exe", "", "", false), (Names{"timer.EN"}));
}

TEST(LanguageModuleCandidates, NoEnglishWhereOwnTextsCanBeShown) {
  // A Cyrillic system without a module of its own keeps the Russian texts.
  EXPECT_EQ(LanguageModuleCandidates("timer.exe", "", "BGR", true),
            (Names{"timer.BGR", "timer.BG"}));
}

// The fake system's code page is 1251.
TEST(AnsiShows, TellsWhetherTheCodePageHoldsEveryCharacter) {
  testing::FakeSystem system;
  system.Install();
  EXPECT_TRUE(AnsiShows(u"Открыть CD-ROM"));
  EXPECT_TRUE(AnsiShows(u""));
  EXPECT_FALSE(AnsiShows(u"CD öffnen"));
  EXPECT_FALSE(AnsiShows(u"Wyłącz"));
}

}  // namespace
}  // namespace sx
