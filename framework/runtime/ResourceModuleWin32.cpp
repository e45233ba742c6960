#include <windows.h>

#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "framework/runtime/Finally.h"
#include "framework/runtime/ResourceModule.h"
#include "framework/runtime/RuntimeSettings.h"
#include "framework/runtime/Texts.h"
#include "framework/runtime/Win32SystemServices.h"

namespace sx {
namespace {

struct Choices {
  // Recursive: a check may fetch a text (an error's message) while a choice is made.
  std::recursive_mutex lock;
  std::map<ModuleId, ModuleId> resourceModules;
  // Modules whose choice is being made: a request for one of them meanwhile gets the
  // module's own resources.
  std::set<ModuleId> choosing;
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

// --- Language modules are data, and are checked before they are taken ----------------------

// Opened as an image of resources that no one else may write to while it is open, where the
// system knows these flags (from Vista on); as a plain data file elsewhere.
HMODULE OpenLanguageModule(const std::string& fileName) {
  HMODULE loaded =
      LoadLibraryExA(fileName.c_str(), nullptr,
                     LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!loaded && GetLastError() == ERROR_INVALID_PARAMETER)
    loaded = LoadLibraryExA(fileName.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  return loaded;
}

// The memory a module opened as data occupies: the one allocation its view was mapped into.
struct Extent {
  std::uintptr_t begin = 0;
  std::uintptr_t end = 0;
};

Extent ExtentOf(HMODULE loaded) {
  // The low bits of a module opened as data say how it was opened; the view starts below.
  const auto base = reinterpret_cast<std::uintptr_t>(loaded) & ~std::uintptr_t{3};
  MEMORY_BASIC_INFORMATION region{};
  if (VirtualQuery(reinterpret_cast<const void*>(base), &region, sizeof region) == 0) return {};
  const auto allocation = reinterpret_cast<std::uintptr_t>(region.AllocationBase);
  std::uintptr_t end = allocation;
  while (VirtualQuery(reinterpret_cast<const void*>(end), &region, sizeof region) != 0 &&
         region.AllocationBase == reinterpret_cast<void*>(allocation) && region.RegionSize != 0)
    end = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
  return {allocation, end};
}

// Whether every byte from `begin` on for `size` bytes can be read. A module's image may
// hold sections mapped without any access, and a resource placed there would fault.
bool Readable(std::uintptr_t begin, std::size_t size) {
  constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                              PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  const std::uintptr_t end = begin + size;
  for (std::uintptr_t at = begin; at < end;) {
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(reinterpret_cast<const void*>(at), &region, sizeof region) == 0 ||
        region.State != MEM_COMMIT || (region.Protect & kReadable) == 0 ||
        (region.Protect & PAGE_GUARD) != 0)
      return false;
    at = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
  }
  return true;
}

// A resource's bytes, when they lie wholly within the extent and can be read.
std::optional<std::span<const std::uint8_t>> ResourceBytes(HMODULE module, HRSRC found,
                                                           const Extent& extent) {
  const DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return std::nullopt;
  const auto begin = reinterpret_cast<std::uintptr_t>(bytes);
  if (begin < extent.begin || begin > extent.end || size > extent.end - begin) return std::nullopt;
  if (!Readable(begin, size)) return std::nullopt;
  return std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(bytes), size);
}

// Every resource of a module opened as data, looked at before any is read.
struct ResourceSurvey {
  Extent extent;
  bool sound = true;
};

BOOL CALLBACK SurveyLanguage(HMODULE module, LPCSTR type, LPCSTR name, WORD language,
                             LONG_PTR survey) {
  auto& state = *reinterpret_cast<ResourceSurvey*>(survey);
  HRSRC found = FindResourceExA(module, type, name, language);
  if (!found || !ResourceBytes(module, found, state.extent)) state.sound = false;
  return state.sound;
}

BOOL CALLBACK SurveyName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR survey) {
  EnumResourceLanguagesA(module, type, name, &SurveyLanguage, survey);
  return reinterpret_cast<ResourceSurvey*>(survey)->sound;
}

BOOL CALLBACK SurveyType(HMODULE module, LPSTR type, LONG_PTR survey) {
  EnumResourceNamesA(module, type, &SurveyName, survey);
  return reinterpret_cast<ResourceSurvey*>(survey)->sound;
}

bool ResourcesWithinImage(HMODULE loaded, const Extent& extent) {
  if (extent.begin == extent.end) return false;
  ResourceSurvey survey{extent};
  EnumResourceTypesA(loaded, &SurveyType, reinterpret_cast<LONG_PTR>(&survey));
  return survey.sound;
}

// The file version of a module's version resource (its fixed part), if it has one.
std::optional<std::pair<DWORD, DWORD>> FileVersionOf(HMODULE module, const Extent& extent) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));
  if (!found) return std::nullopt;
  const auto bytes = ResourceBytes(module, found, extent);
  // Three 16-bit words and "VS_VERSION_INFO" in 16-bit units with its terminator, padded to
  // 32 bits, then the fixed part: signature, structure version, file version (high, low).
  constexpr std::size_t kFixed = 40;
  constexpr DWORD kSignature = 0xFEEF04BD;
  if (!bytes || bytes->size() < kFixed + 16) return std::pair<DWORD, DWORD>{0, 0};
  DWORD fixed[4];
  std::memcpy(fixed, bytes->data() + kFixed, sizeof fixed);
  if (fixed[0] != kSignature) return std::pair<DWORD, DWORD>{0, 0};
  return std::pair{fixed[2], fixed[3]};
}

// The whole address space, for the program's own module: it was loaded as a program, and
// its resources are the system's to find.
constexpr Extent kAnywhere{0, ~std::uintptr_t{0}};

RcDataLookup LookupIn(HMODULE module, Extent extent) {
  return [module, extent](std::string_view name) -> std::optional<std::span<const std::uint8_t>> {
    if (name.empty() || name.find('\0') != std::string_view::npos) return std::nullopt;
    const std::string resourceName(name);
    HRSRC found = FindResourceA(module, resourceName.c_str(), MAKEINTRESOURCEA(10));
    if (!found) return std::nullopt;
    return ResourceBytes(module, found, extent);
  };
}

// Whether the language module may stand in for the module: sound resources, the module's
// version, and the installed check's consent. A check that fails with an error refuses.
bool Acceptable(ModuleId module, HMODULE candidate) {
  const HMODULE own = reinterpret_cast<HMODULE>(module);
  const Extent extent = ExtentOf(candidate);
  if (!ResourcesWithinImage(candidate, extent)) return false;
  if (FileVersionOf(candidate, extent) != FileVersionOf(own, kAnywhere)) return false;
  const LanguageModuleCheck check = InstalledLanguageModuleCheck();
  if (!check) return true;
  try {
    return check(LookupIn(own, kAnywhere), LookupIn(candidate, extent));
  } catch (...) {
    return false;
  }
}

ModuleId ChooseResourceModule(ModuleId module) {
  char fileName[MAX_PATH + 1] = {};
  const DWORD length =
      GetModuleFileNameA(reinterpret_cast<HMODULE>(module), fileName, sizeof fileName);
  // A cut name would name some other file.
  if (length == 0 || length >= sizeof fileName) return module;
  // A module that is stale or made to mislead is passed over for the next candidate.
  for (const std::string& candidate : LanguageModuleCandidates(
           fileName, LanguageModuleSetting(), LanguageName(), OwnTextsShown(module))) {
    HMODULE loaded = OpenLanguageModule(candidate);
    if (!loaded) continue;
    if (Acceptable(module, loaded)) return reinterpret_cast<ModuleId>(loaded);
    FreeLibrary(loaded);
  }
  return module;
}

// Module 0 stands for the program's own.
ModuleId OrProgram(ModuleId module) {
  return module != 0 ? module : reinterpret_cast<ModuleId>(GetModuleHandleA(nullptr));
}

}  // namespace

ModuleId ResourceModuleOf(ModuleId module) {
  module = OrProgram(module);
  Choices& choices = TheChoices();
  std::lock_guard<std::recursive_mutex> guard(choices.lock);
  auto found = choices.resourceModules.find(module);
  if (found != choices.resourceModules.end()) return found->second;
  if (!choices.choosing.insert(module).second) return module;
  ModuleId chosen = module;
  {
    Finally done([&] { choices.choosing.erase(module); });
    chosen = ChooseResourceModule(module);
  }
  choices.resourceModules.emplace(module, chosen);
  return chosen;
}

void UseOwnResources(ModuleId module) {
  module = OrProgram(module);
  Choices& choices = TheChoices();
  std::lock_guard<std::recursive_mutex> guard(choices.lock);
  ModuleId& chosen = choices.resourceModules[module];
  if (chosen != 0 && chosen != module) FreeLibrary(reinterpret_cast<HMODULE>(chosen));
  chosen = module;
}

void ForgetResourceModules() {
  Choices& choices = TheChoices();
  std::lock_guard<std::recursive_mutex> guard(choices.lock);
  for (const auto& [module, resources] : choices.resourceModules)
    if (resources != module) FreeLibrary(reinterpret_cast<HMODULE>(resources));
  choices.resourceModules.clear();
}

}  // namespace sx
