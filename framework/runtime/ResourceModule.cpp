#include "framework/runtime/ResourceModule.h"

#include <algorithm>
#include <atomic>

#include "framework/runtime/TextUtil.h"

namespace sx {
namespace {

std::atomic<LanguageModuleCheck> g_languageModuleCheck{nullptr};

// The registry setting may be given with or without its dot; both mean the same file.
std::string_view WithoutDot(std::string_view extension) {
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  return extension;
}

}  // namespace

LanguageModuleCheck SetLanguageModuleCheck(LanguageModuleCheck check) {
  return g_languageModuleCheck.exchange(check);
}

LanguageModuleCheck InstalledLanguageModuleCheck() {
  return g_languageModuleCheck.load();
}

std::string ReplaceExtension(std::string_view fileName, std::string_view extension) {
  // A dot in a directory name is not an extension.
  const std::size_t start = fileName.find_last_of("\\/:");
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos || (start != std::string_view::npos && dot < start)) return {};
  std::string result(fileName.substr(0, dot + 1));
  result += extension;
  return result;
}

std::vector<std::string> LanguageModuleCandidates(std::string_view moduleFileName,
                                                  std::string_view setting,
                                                  std::string_view languageName,
                                                  bool ownTextsShown) {
  std::vector<std::string> candidates;
  auto add = [&](std::string_view extension) {
    if (extension.empty()) return;
    std::string name = ReplaceExtension(moduleFileName, extension);
    if (name.empty() || SameText(name, moduleFileName)) return;
    auto same = [&](const std::string& other) { return SameText(other, name); };
    if (std::none_of(candidates.begin(), candidates.end(), same))
      candidates.push_back(std::move(name));
  };
  add(WithoutDot(setting.substr(0, 4)));
  add(languageName);
  add(languageName.substr(0, 2));
  if (!ownTextsShown) add(kFallbackLanguage);
  return candidates;
}

bool AnsiShows(std::u16string_view text) {
  SystemServices& system = System();
  return system.AnsiToWide(system.WideToAnsi(text)) == text;
}

}  // namespace sx
