#include "framework/runtime/ResourceModule.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace sx
