#pragma once

// A language of the program: a small file of texts only (the main window's captions and
// accessible names by component name, the framework's string table by text name) laid over
// the one layout, and the resource scripts the build makes from it. Standard library only,
// like the compiler.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "tools/formc/FormCompiler.h"

namespace sx::formc {

struct Language {
  std::string code;                     // the module's extension, e.g. "DE"
  int languageId = 0;                   // the system's language id, e.g. 1031 (German, Germany)
  int codePage = 0;                     // the ANSI code page the texts are written for
  std::u32string name;                  // the language's own name, for the version information
  Overrides form;                       // property values laid over the layout
  std::map<int, std::u32string> texts;  // string-table texts by id
};

struct LanguageResult {
  Language language;
  std::optional<Diagnostic> error;
};

// Reads a language file. Every framework text is given exactly once and no unknown name
// appears, so a text added to the framework fails the build until every language has it.
LanguageResult ReadLanguage(std::string_view source, std::string_view code);

// The layout compiled with the language's values. Fails when the language names a
// property the layout does not have, or leaves one of its captions or accessible names
// untranslated.
CompileResult CompileTranslated(std::string_view layout, const Language& language);

// The language module's resource script: the translated definition (embedded from
// formFile) as RCDATA "TFORM1", the string table and the version information.
std::string ModuleScript(const Language& language, std::string_view formFile);

// The script that gives the program a sample of its own texts, each character of the
// layout's captions once, under the id the choice of a language module reads.
std::string SampleScript(const CompileResult& layout);

}  // namespace sx::formc
