#include <windows.h>

#include <map>
#include <mutex>

#include "framework/runtime/ResourceModule.h"
#include "framework/runtime/RuntimeSettings.h"
#include "framework/runtime/Texts.h"
#include "framework/runtime/Win32SystemServices.h"

namespace sx {
namespace {

struct Choices {
  std::mutex lock;
  std::map<ModuleId, ModuleId> resourceModules;
};

Choices& TheChoices() {
  static Choices choices;
  return choices;
}

std::string LanguageName() {
  char name[16] = {};
  if (GetLocaleInfoA(GetThreadLocale(), LOCALE_SABBREVLANGNAME, name, sizeof name) == 0) return {};
  return name;
}

// Whether the system can show the module's own texts, judged by the sample of them it
// keeps; a module without one has only the framework's English, which every code page
// shows.
bool OwnTextsShown(ModuleId module) {
  constexpr int kSize = Win32SystemServices::kMaxTextLength + 1;
  wchar_t sample[kSize] = {};
  const int length =
      LoadStringW(reinterpret_cast<HMODULE>(module), kOwnTextsSampleId, sample, kSize);
  if (length <= 0) return true;
  return AnsiShows(std::u16string_view(reinterpret_cast<const char16_t*>(sample),
                                       static_cast<std::size_t>(length)));
}

ModuleId ChooseResourceModule(ModuleId module) {
  char fileName[MAX_PATH + 1] = {};
  const DWORD length =
      GetModuleFileNameA(reinterpret_cast<HMODULE>(module), fileName, sizeof fileName);
  // A cut name would name some other file.
  if (length == 0 || length >= sizeof fileName) return module;
  for (const std::string& candidate : LanguageModuleCandidates(
           fileName, LanguageModuleSetting(), LanguageName(), OwnTextsShown(module))) {
    if (HMODULE loaded = LoadLibraryExA(candidate.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE))
      return reinterpret_cast<ModuleId>(loaded);
  }
  return module;
}

}  // namespace

ModuleId ResourceModuleOf(ModuleId module) {
  if (module == 0) module = reinterpret_cast<ModuleId>(GetModuleHandleA(nullptr));
  Choices& choices = TheChoices();
  std::lock_guard<std::mutex> guard(choices.lock);
  auto found = choices.resourceModules.find(module);
  if (found != choices.resourceModules.end()) return found->second;
  const ModuleId chosen = ChooseResourceModule(module);
  choices.resourceModules.emplace(module, chosen);
  return chosen;
}

void ForgetResourceModules() {
  Choices& choices = TheChoices();
  std::lock_guard<std::mutex> guard(choices.lock);
  for (const auto& [module, resources] : choices.resourceModules)
    if (resources != module) FreeLibrary(reinterpret_cast<HMODULE>(resources));
  choices.resourceModules.clear();
}

}  // namespace sx
