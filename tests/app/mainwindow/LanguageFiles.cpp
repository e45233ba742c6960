#include "tests/app/mainwindow/LanguageFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/formc/Language.h"

namespace sx::testing {
namespace {

// The source tree as this Windows program sees it (Wine maps the root to drive Z:).
std::filesystem::path SourcePath(const std::string& relative) {
  return std::filesystem::path("Z:" SX_SOURCE_DIR) / relative;
}

std::string ReadSource(const std::string& relative) {
  std::ifstream in(SourcePath(relative), std::ios::binary);
  EXPECT_TRUE(in) << "cannot read " << relative;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::wstring Wide(const std::u32string& text) {
  std::wstring wide;
  for (char32_t c : text) {
    if (c >= 0x10000) {
      wide += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      wide += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      wide += static_cast<wchar_t>(c);
    }
  }
  return wide;
}

}  // namespace

LanguageCaptions CaptionsOf(const std::string& file) {
  LanguageCaptions result{file, 1251, {}, {}};
  const std::string layout = ReadSource("app/forms/Form1.sxform");
  formc::CompileResult compiled;
  if (file.empty()) {
    compiled = formc::CompileForm(layout);
  } else {
    const formc::LanguageResult language =
        formc::ReadLanguage(ReadSource("app/languages/" + file), "");
    EXPECT_FALSE(language.error) << file << ":" << language.error->line << ": "
                                 << language.error->message;
    result.codePage = language.language.codePage;
    compiled = formc::CompileTranslated(layout, language.language);
  }
  EXPECT_TRUE(compiled.Ok()) << file << ": " << compiled.error->message;
  for (const formc::WrittenProperty& property : compiled.properties) {
    const std::size_t dot = property.path.find('.');
    if (!property.text) continue;
    if (property.path.substr(dot + 1) == "Caption")
      result.captions[property.path.substr(0, dot)] = Wide(*property.text);
    else if (property.path.substr(dot + 1) == "AccessibleName")
      result.names[property.path.substr(0, dot)] = Wide(*property.text);
  }
  return result;
}

std::vector<std::string> LanguageFileNames() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(SourcePath("app/languages")))
    if (entry.path().extension() == ".sxlang") names.push_back(entry.path().filename().string());
  return names;
}

}  // namespace sx::testing
