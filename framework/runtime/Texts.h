#pragma once

// The framework's texts: their ids, the built-in English rows and the loading of a text.

#include <span>
#include <string>

namespace sx {

// Ids of the framework's texts in the executable's string table.
enum class TextId : int {
#define SX_TEXT(name, id, text) name = id,
#include "framework/runtime/Texts.def"
#undef SX_TEXT
};

// A module whose own texts are not the framework's English keeps a sample of them (each
// character once) at this id, just below the framework's; where the system's ANSI code
// page cannot show the sample, the module takes its English language module instead.
inline constexpr int kOwnTextsSampleId = 65311;

struct TextEntry {
  TextId id;
  const char* name;
  const char* text;
};

// Every framework text as compiled in; the string table is built from the same rows.
std::span<const TextEntry> BuiltInTexts();

// The built-in text of an id, or an empty text when the id is not a framework text.
std::string BuiltInText(int id);

// The text of an id as the program sees it: fetched from the main module's
// resource module through the system services.
std::string LoadText(TextId id);

}  // namespace sx
