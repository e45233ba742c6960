#pragma once

// The choice and loading of a module's language resource module.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
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

// The language module taken when the system cannot show a module's own texts.
inline constexpr std::string_view kFallbackLanguage = "EN";

// The language resource files to try for a module, in order: the extension named by the
// registry setting (its first four characters), then the language's abbreviation (three
// letters), then its first two letters; last, when the system cannot show the module's own
// texts, the English module, which beats question marks. Empty when the module can only be
// its own resource module.
std::vector<std::string> LanguageModuleCandidates(std::string_view moduleFileName,
                                                  std::string_view setting,
                                                  std::string_view languageName,
                                                  bool ownTextsShown = true);

// Whether the system's ANSI code page shows every character of the text: converted there
// and back it is unchanged (a character the code page lacks comes back substituted).
bool AnsiShows(std::u16string_view text);

// A language module changes words, sizes and fonts, never what the program does. Before one
// is taken, the system layer sees that every resource lies within its image and that its
// version is the module's own; then the check installed here (by the program, which knows
// what its forms must hold) compares it with the module itself. Each side is given as a
// lookup of its RCDATA resources by name.
using RcDataLookup =
    std::function<std::optional<std::span<const std::uint8_t>>(std::string_view name)>;
using LanguageModuleCheck = bool (*)(const RcDataLookup& own, const RcDataLookup& candidate);

// Installs the check (none: every module that passes the system layer's checks is taken)
// and returns the one it replaces. Takes effect at the next choice.
LanguageModuleCheck SetLanguageModuleCheck(LanguageModuleCheck check);
LanguageModuleCheck InstalledLanguageModuleCheck();

// The resource module of a module: chosen on the first request, then kept.
ModuleId ResourceModuleOf(ModuleId module);

// Gives up the language module chosen for the module, if any, and keeps the module's own
// resources from now on: for a module whose definitions passed the checks and still cannot
// be read. Nothing may hold a resource of the language module then.
void UseOwnResources(ModuleId module);

// Releases every loaded language resource module and forgets every choice, so that the
// next request chooses again. For tests; nothing else may hold a resource of those
// modules then.
void ForgetResourceModules();

}  // namespace sx
