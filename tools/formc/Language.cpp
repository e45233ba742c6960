#include "tools/formc/Language.h"

#include <set>

#include "framework/runtime/Texts.h"

namespace sx::formc {
namespace {

struct FrameworkText {
  const char* name;
  int id;
};

// The framework's texts by name; the build compiles this tool again when they change.
constexpr FrameworkText kFrameworkTexts[] = {
#define SX_TEXT(name, id, text) {#name, id},
#include "framework/runtime/Texts.def"
#undef SX_TEXT
};

std::string Lower(std::string_view s) {
  std::string result(s);
  for (char& c : result)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return result;
}

std::string PropertyOf(std::string_view path) {
  return Lower(path.substr(path.rfind('.') + 1));
}

bool IsCaption(std::string_view path) {
  return PropertyOf(path) == "caption";
}

// What a language must say in its own words: the captions, and the names screen readers
// announce controls by.
bool IsTranslated(std::string_view path) {
  return IsCaption(path) || PropertyOf(path) == "accessiblename";
}

// The metadata every language file starts with.
enum class Field { Language, CodePage, Name };
const std::map<std::string, Field> kFields = {
    {"language", Field::Language}, {"codepage", Field::CodePage}, {"name", Field::Name}};

// A wide resource-script text: ASCII letters, digits and plain punctuation as they are,
// everything else as \xHHHH. A hex digit right after an escape is escaped too, so no
// reading of the escape's length can take it in.
std::string WideLiteral(std::u32string_view text) {
  static const char* const kHex = "0123456789abcdef";
  std::string out = "L\"";
  bool afterEscape = false;
  for (char32_t c : text) {
    const bool hexDigit =
        (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    const bool plain = c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && !(afterEscape && hexDigit);
    if (plain) {
      out += static_cast<char>(c);
      afterEscape = false;
      continue;
    }
    // Characters beyond U+FFFF go as their two UTF-16 units.
    std::u32string units;
    if (c >= 0x10000)
      units = {0xD800 + ((c - 0x10000) >> 10), 0xDC00 + ((c - 0x10000) & 0x3FF)};
    else
      units = {c};
    for (char32_t unit : units) {
      out += "\\x";
      for (int shift = 12; shift >= 0; shift -= 4)
        out += kHex[(unit >> shift) & 0xF];
    }
    afterEscape = true;
  }
  return out + "\"";
}

std::string Hex4(int value) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string out;
  for (int shift = 12; shift >= 0; shift -= 4)
    out += kHex[(value >> shift) & 0xF];
  return out;
}

}  // namespace

LanguageResult ReadLanguage(std::string_view source, std::string_view code) {
  LanguageResult result;
  Language& language = result.language;
  language.code = std::string(code);
  auto fail = [&](int line, std::string message) {
    result.error = Diagnostic{line, std::move(message)};
    return result;
  };
  if (source.substr(0, 3) == "\xEF\xBB\xBF") source.remove_prefix(3);

  std::set<std::string> seen;
  int lineNumber = 0;
  for (std::size_t pos = 0; pos < source.size();) {
    std::size_t end = source.find('\n', pos);
    if (end == std::string_view::npos) end = source.size();
    std::string_view line = source.substr(pos, end - pos);
    pos = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    SettingResult read = ReadSetting(line, lineNumber);
    if (read.error) return fail(read.error->line, read.error->message);
    if (!read.setting) continue;
    const Setting& setting = *read.setting;
    if (!seen.insert(Lower(setting.name)).second)
      return fail(lineNumber, "'" + setting.name + "' is given twice");

    if (setting.name.find('.') != std::string::npos) {
      language.form.emplace(Lower(setting.name), setting.value);
      continue;
    }
    if (auto field = kFields.find(Lower(setting.name)); field != kFields.end()) {
      if (field->second == Field::Name) {
        if (!setting.text) return fail(lineNumber, "Name takes a text");
        language.name = *setting.text;
      } else {
        if (!setting.integer || *setting.integer <= 0 || *setting.integer > 0xFFFF)
          return fail(lineNumber, setting.name + " takes a number from 1 to 65535");
        (field->second == Field::Language ? language.languageId : language.codePage) =
            static_cast<int>(*setting.integer);
      }
      continue;
    }
    const FrameworkText* known = nullptr;
    for (const FrameworkText& text : kFrameworkTexts)
      if (Lower(text.name) == Lower(setting.name)) known = &text;
    if (!known)
      return fail(lineNumber, "'" + setting.name +
                                  "' is neither a framework text nor Language, CodePage or "
                                  "Name (a window's property is written Object.Property)");
    if (!setting.text) return fail(lineNumber, "the text " + setting.name + " takes a text");
    if (setting.text->size() > 1023)
      return fail(lineNumber, "the text " + setting.name + " is longer than 1023 characters");
    language.texts.emplace(known->id, *setting.text);
  }

  for (const char* field : {"Language", "CodePage", "Name"})
    if (!seen.count(Lower(field))) return fail(lineNumber, std::string(field) + " is missing");
  for (const FrameworkText& text : kFrameworkTexts)
    if (!language.texts.count(text.id))
      return fail(lineNumber, std::string("the framework text ") + text.name + " is missing");
  return result;
}

CompileResult CompileTranslated(std::string_view layout, const Language& language) {
  CompileResult result = CompileForm(layout, language.form);
  if (!result.Ok()) return result;
  auto fail = [&](std::string message) {
    result.bytes.clear();
    result.error = Diagnostic{0, std::move(message)};
    return result;
  };
  std::set<std::string> present;
  for (const WrittenProperty& property : result.properties) {
    present.insert(Lower(property.path));
    if (IsTranslated(property.path) && !language.form.count(Lower(property.path)))
      return fail((IsCaption(property.path) ? "the caption " : "the accessible name ") +
                  property.path + " is not translated");
  }
  for (const auto& [path, value] : language.form)
    if (!present.count(path)) return fail("the layout has no property " + path);
  return result;
}

std::string ModuleScript(const Language& language, std::string_view formFile) {
  const std::string code = language.code;
  std::string out;
  out += "// The " + code +
         " language module, made by formc from its language file: resources only.\n";
  out += "#include <winver.h>\n\n#include \"SonderixVersion.h\"\n\n";
  out += "// Every resource below is in the module's language.\n";
  out += "LANGUAGE 0x" + Hex4(language.languageId & 0x3FF).substr(2) + ", 0x" +
         Hex4(language.languageId >> 10).substr(2) + "\n\n";
  out += "TFORM1 RCDATA \"" + std::string(formFile) + "\"\n\n";
  out += "STRINGTABLE\nBEGIN\n";
  for (const auto& [id, text] : language.texts)
    out += "  " + std::to_string(id) + ", " + WideLiteral(text) + "\n";
  out += "END\n\n";
  out += "1 VERSIONINFO\n";
  out += "FILEVERSION SX_VERSION_MAJOR, SX_VERSION_MINOR, SX_VERSION_PATCH, 0\n";
  out += "PRODUCTVERSION SX_VERSION_MAJOR, SX_VERSION_MINOR, SX_VERSION_PATCH, 0\n";
  out += "FILEFLAGSMASK VS_FFI_FILEFLAGSMASK\nFILEFLAGS 0\nFILEOS VOS__WINDOWS32\n";
  out += "FILETYPE VFT_DLL\nFILESUBTYPE VFT2_UNKNOWN\n";
  out += "BEGIN\n";
  out += "  BLOCK \"StringFileInfo\"\n  BEGIN\n";
  out += "    BLOCK \"" + Hex4(language.languageId) + Hex4(language.codePage) + "\"\n    BEGIN\n";
  out += "      VALUE \"FileDescription\", " + WideLiteral(U"Sonderix: " + language.name + U'\0') +
         "\n";
  out += "      VALUE \"FileVersion\", SX_VERSION_TEXT\n";
  out += "      VALUE \"InternalName\", \"Sonderix." + code + "\\0\"\n";
  out += "      VALUE \"OriginalFilename\", \"sonderix." + code + "\\0\"\n";
  out += "      VALUE \"ProductName\", \"Sonderix\\0\"\n";
  out += "      VALUE \"ProductVersion\", SX_VERSION_TEXT\n";
  out += "    END\n  END\n";
  out += "  BLOCK \"VarFileInfo\"\n  BEGIN\n";
  out += "    VALUE \"Translation\", 0x" + Hex4(language.languageId) + ", " +
         std::to_string(language.codePage) + "\n";
  out += "  END\nEND\n";
  return out;
}

std::string SampleScript(const CompileResult& layout) {
  std::u32string sample;
  for (const WrittenProperty& property : layout.properties) {
    if (!IsCaption(property.path) || !property.text) continue;
    for (char32_t c : *property.text)
      if (sample.find(c) == std::u32string::npos) sample += c;
  }
  return "// A sample of the program's own texts, made by formc from its layout.\n"
         "STRINGTABLE\n"
         "BEGIN\n"
         "  " +
         std::to_string(kOwnTextsSampleId) + ", " + WideLiteral(sample) +
         "\n"
         "END\n";
}

}  // namespace sx::formc
