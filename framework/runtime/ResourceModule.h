#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/runtime/SystemServices.h"

namespace sx {

// A module may take its forms and texts from a language resource module: a data-only
// library beside it with the same name and another extension. The extension comes from
// the registry setting or, failing that, from the user's language.

// The file name with its extension (the text after the last dot of the last path
// element) replaced; empty when the name has no extension.
std::string ReplaceExtension(std::string_view fileName, std::string_view extension);

// The language resource files to try for a module, in order: the extension named by the
// registry setting (its first four characters), then the language's abbreviation (three
// letters), then its first two letters. Empty when the module can only be its own
// resource module.
std::vector<std::string> LanguageModuleCandidates(std::string_view moduleFileName,
                                                  std::string_view setting,
                                                  std::string_view languageName);

// The resource module of a module: chosen on the first request, then kept.
ModuleId ResourceModuleOf(ModuleId module);

// Releases every loaded language resource module and forgets every choice, so that the
// next request chooses again. For tests; nothing else may hold a resource of those
// modules then.
void ForgetResourceModules();

}  // namespace sx
