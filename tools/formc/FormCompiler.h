#pragma once

// Turns the readable text of a window definition into the binary component stream that
// the program embeds and reads at start-up. Standard library only: it is built for the
// build machine even when the program is cross-compiled.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sx::formc {

struct Diagnostic {
  int line = 0;  // 1-based line of the source the message is about
  std::string message;
};

// A property as written: "Object.Property" as the source spells it, and its characters
// when its value is a text.
struct WrittenProperty {
  std::string path;
  std::optional<std::u32string> text;
};

struct CompileResult {
  std::vector<std::uint8_t> bytes;  // empty whenever there is an error
  std::optional<Diagnostic> error;
  std::vector<WrittenProperty> properties;  // in stream order

  bool Ok() const { return !error.has_value(); }
};

// Values laid over a definition's own, keyed by "object.property" in lower case (the
// innermost object's name; dotted property paths as written); each value is source text as
// it would stand after '='. A language gives its captions this way over the one layout.
using Overrides = std::map<std::string, std::string>;

// Compiles a whole definition; stops at the first fault.
CompileResult CompileForm(std::string_view source, const Overrides& overrides = {});

// One "Name = value" line in the definition's syntax, read on its own by files that share
// it (a language's texts). Nothing for a blank or comment-only line.
struct Setting {
  std::string name;
  std::string value;                    // the value's source text
  std::optional<std::u32string> text;   // the characters, when the value is a text
  std::optional<std::int64_t> integer;  // the number, when the value is an integer
};
struct SettingResult {
  std::optional<Setting> setting;
  std::optional<Diagnostic> error;
};
SettingResult ReadSetting(std::string_view line, int lineNumber);

}  // namespace sx::formc
