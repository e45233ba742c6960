// Languages laid over a layout: the overrides reach the stream, a language file that misses
// or misnames a text fails, the module script keeps every character, and every language
// file of the program fits the program's layout.

#include "tools/formc/Language.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "framework/runtime/Texts.h"

namespace sx::formc {
namespace {

constexpr std::string_view kLayout =
    "Form1 : TForm1 {\n"
    "  Caption = \"Sonderix\"\n"
    "  Font.Charset = DEFAULT_CHARSET\n"
    "  Button1 : TButton {\n"
    "    Left = 8\n"
    "    Caption = \"Открыть\"\n"
    "  }\n"
    "}\n";

// A complete language file for kLayout, with the lines given added at its end.
std::string LanguageSource(std::string_view extra = {}) {
  std::string source = "Language = 1031  # German\nCodePage = 1252\nName = \"Deutsch\"\n";
  source += "Form1.Caption = \"Sonderix\"\nButton1.Caption = \"Öffnen\"\n";
  for (const TextEntry& text : BuiltInTexts())
    if (extra.find(std::string(text.name) + " =") == std::string_view::npos)
      source += std::string(text.name) + " = \"" + text.name + "\"\n";
  return source + std::string(extra);
}

Language Read(std::string_view source) {
  const LanguageResult result = ReadLanguage(source, "DE");
  EXPECT_FALSE(result.error) << result.error->line << ": " << result.error->message;
  return result.language;
}

TEST(FormcOverrides, ReplaceTheValueOfTheNamedPropertyOnly) {
  const CompileResult overridden =
      CompileForm(kLayout, {{"button1.caption", "\"Öffnen\""}, {"form1.font.charset", "0"}});
  ASSERT_TRUE(overridden.Ok()) << overridden.error->message;
  std::string expected(kLayout);
  expected.replace(expected.find("\"Открыть\""), 16, "\"Öffnen\"");
  expected.replace(expected.find("DEFAULT_CHARSET"), 15, "0");
  EXPECT_EQ(overridden.bytes, CompileForm(expected).bytes);
}

TEST(FormcLanguage, TranslatedLayoutCarriesTheLanguagesCaptions) {
  const CompileResult result = CompileTranslated(kLayout, Read(LanguageSource()));
  ASSERT_TRUE(result.Ok()) << result.error->message;
  ASSERT_EQ(result.properties.size(), 4u);
  EXPECT_EQ(result.properties[3].path, "Button1.Caption");
  EXPECT_EQ(result.properties[3].text, U"Öffnen");
}

// A field named for screen readers: the name is the language's to give, like a caption.
std::string NamedLayout() {
  std::string layout(kLayout);
  layout.insert(layout.rfind('}'), "  Edit1 : TEdit {\n    AccessibleName = \"Часы\"\n  }\n");
  return layout;
}

TEST(FormcLanguage, TranslatedLayoutCarriesTheLanguagesAccessibleNames) {
  const CompileResult result = CompileTranslated(
      NamedLayout(), Read(LanguageSource("Edit1.AccessibleName = \"Stunden\"\n")));
  ASSERT_TRUE(result.Ok()) << result.error->message;
  ASSERT_EQ(result.properties.size(), 5u);
  EXPECT_EQ(result.properties[4].path, "Edit1.AccessibleName");
  EXPECT_EQ(result.properties[4].text, U"Stunden");
}

TEST(FormcLanguage, UntranslatedAccessibleNameFailsTheBuild) {
  const CompileResult result = CompileTranslated(NamedLayout(), Read(LanguageSource()));
  ASSERT_FALSE(result.Ok());
  EXPECT_TRUE(result.bytes.empty());
  EXPECT_NE(result.error->message.find("Edit1.AccessibleName is not translated"), std::string::npos)
      << result.error->message;
}

struct LanguageFault {
  const char* name;
  std::string source;
  const char* message;
};

class FormcLanguageFault : public ::testing::TestWithParam<LanguageFault> {};

TEST_P(FormcLanguageFault, FailsTheBuildWithItsReason) {
  const LanguageFault& fault = GetParam();
  const LanguageResult read = ReadLanguage(fault.source, "DE");
  std::string message;
  if (read.error) {
    message = read.error->message;
  } else {
    const CompileResult compiled = CompileTranslated(kLayout, read.language);
    ASSERT_FALSE(compiled.Ok()) << "expected a fault";
    EXPECT_TRUE(compiled.bytes.empty());
    message = compiled.error->message;
  }
  EXPECT_NE(message.find(fault.message), std::string::npos) << message;
}

std::string Without(std::string source, std::string_view line) {
  const std::size_t at = source.find(line);
  return at == std::string::npos ? source : source.erase(at, line.size());
}

INSTANTIATE_TEST_SUITE_P(
    All, FormcLanguageFault,
    ::testing::Values(LanguageFault{"MissingFrameworkText",
                                    Without(LanguageSource(), "SNoTimers = \"SNoTimers\"\n"),
                                    "SNoTimers is missing"},
                      LanguageFault{"UnknownFrameworkText", LanguageSource("SNoSuchText = \"x\"\n"),
                                    "neither a framework text"},
                      LanguageFault{"TextGivenTwice",
                                    LanguageSource("SNoTimers = \"a\"\nSNoTimers = \"b\"\n"),
                                    "given twice"},
                      LanguageFault{"FrameworkTextThatIsNotAText",
                                    LanguageSource("SNoTimers = 5\n"), "takes a text"},
                      LanguageFault{"MissingCodePage",
                                    Without(LanguageSource(), "CodePage = 1252\n"),
                                    "CodePage is missing"},
                      LanguageFault{"UntranslatedCaption",
                                    Without(LanguageSource(), "Button1.Caption = \"Öffnen\"\n"),
                                    "Button1.Caption is not translated"},
                      LanguageFault{"UnknownComponent", LanguageSource("Button9.Caption = \"x\"\n"),
                                    "no property button9.caption"},
                      LanguageFault{"MalformedValue", LanguageSource("Form1.Color = [\n"), "set"}),
    [](const ::testing::TestParamInfo<LanguageFault>& info) {
      return std::string(info.param.name);
    });

TEST(FormcModuleScript, EscapesEveryCharacterThatIsNotPlainAscii) {
  Language language = Read(LanguageSource());
  language.texts[static_cast<int>(TextId::SNoTimers)] = U"öf \"x\\y\"\r\n";
  const std::string script = ModuleScript(language, "/build/DE/Form1.bin");
  // A hex digit after an escape is escaped too, so the escape cannot swallow it.
  EXPECT_NE(script.find("65388, L\"\\x00f6\\x0066 \\x0022x\\x005cy\\x0022\\x000d\\x000a\"\n"),
            std::string::npos)
      << script;
  EXPECT_NE(script.find("TFORM1 RCDATA \"/build/DE/Form1.bin\""), std::string::npos);
  EXPECT_NE(script.find("BLOCK \"040704E4\""), std::string::npos);
  EXPECT_NE(script.find("VALUE \"Translation\", 0x0407, 1252"), std::string::npos);
}

TEST(FormcSampleScript, HoldsEachCaptionCharacterOnce) {
  const std::string script = SampleScript(CompileForm(kLayout));
  EXPECT_NE(script.find(std::to_string(kOwnTextsSampleId) +
                        ", L\"Sonderix\\x041e\\x0442\\x043a\\x0440\\x044b\\x044c\""),
            std::string::npos)
      << script;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The program's own language files, as the Windows build compiles them.
TEST(ProgramLanguages, EachCoversTheMainWindowAndEveryFrameworkText) {
  const std::filesystem::path languages = SX_LANGUAGES_DIR;
  const std::string layout = ReadFile(languages / "../forms/Form1.sxform");
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(languages)) {
    if (entry.path().extension() != ".sxlang") continue;
    SCOPED_TRACE(entry.path().filename().string());
    ++count;
    const LanguageResult language = ReadLanguage(ReadFile(entry.path()), "XX");
    ASSERT_FALSE(language.error) << language.error->line << ": " << language.error->message;
    const CompileResult result = CompileTranslated(layout, language.language);
    EXPECT_TRUE(result.Ok()) << result.error->message;
  }
  EXPECT_GE(count, 6);
}

}  // namespace
}  // namespace sx::formc
