#pragma once

// The main window's captions in each language, read from the files the build makes the
// language modules from, and from the layout for the program's own language; what the
// language tests compare the running program and the fit of each caption with.

#include <map>
#include <string>
#include <vector>

namespace sx::testing {

struct LanguageCaptions {
  std::string file;  // e.g. "de.sxlang"; empty for the program's own language
  int codePage = 0;  // the ANSI code page the texts are written for
  std::map<std::string, std::wstring> captions;  // by component name, Form1 included
  std::map<std::string, std::wstring> names;     // the names given for screen readers
};

// The captions and names a language file gives, or with an empty name those of the layout itself
// (Russian, code page 1251). A file that cannot be read fails the calling test.
LanguageCaptions CaptionsOf(const std::string& file);

// Every language file of the program, by file name.
std::vector<std::string> LanguageFileNames();

}  // namespace sx::testing
