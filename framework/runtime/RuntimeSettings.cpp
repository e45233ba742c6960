#include "framework/runtime/RuntimeSettings.h"

#include <windows.h>

#include <mutex>
#include <vector>

#include "framework/runtime/FloatingPoint.h"

namespace sx {
namespace {

constexpr const char* kFpuKey = "SOFTWARE\\Halvern\\Ostrel\\RTL";
constexpr const char* kFpuValue = "FPUMaskValue";

struct LocaleKey {
  HKEY root;
  const char* path;
};

// Searched in this order; only the first that exists is read.
const LocaleKey kLocaleKeys[] = {
    {HKEY_CURRENT_USER, "Software\\Halvern\\Locales"},
    {HKEY_LOCAL_MACHINE, "Software\\Halvern\\Locales"},
    {HKEY_CURRENT_USER, "Software\\Halvern\\Ostrel\\Locales"},
};

class Key {
 public:
  Key(HKEY root, const char* path) {
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  explicit operator bool() const { return key_ != nullptr; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// A text value up to its first terminator; nothing when absent or not a text.
std::optional<std::string> ReadText(HKEY key, const char* name) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  // The value may change between the two calls; a second failure counts as absent.
  std::vector<char> buffer(size + 1, '\0');
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  buffer.back() = '\0';
  return std::string(buffer.data());
}

}  // namespace

std::optional<std::uint32_t> ReadFpuMaskSetting(std::uint16_t currentControlWord) {
  Key key(HKEY_LOCAL_MACHINE, kFpuKey);
  if (!key) return std::nullopt;
  // A value shorter than four bytes overwrites only the start of the buffer; the rest
  // keeps the current word. A longer one is not read at all.
  std::uint32_t buffer = currentControlWord;
  DWORD size = sizeof buffer;
  if (RegQueryValueExA(key.get(), kFpuValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&buffer),
                       &size) != ERROR_SUCCESS)
    return std::nullopt;
  return buffer;
}

void ApplyFpuMaskSetting() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (auto setting = ReadFpuMaskSetting(FpuControlWord())) ApplyFpuMask(*setting);
  });
}

std::string ExecutableLongPath() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return {};
  char longPath[MAX_PATH + 1] = {};
  const DWORD longLength = GetLongPathNameA(path, longPath, sizeof longPath);
  if (longLength == 0 || longLength >= sizeof longPath) return path;
  return longPath;
}

std::string LanguageModuleSetting() {
  for (const LocaleKey& locale : kLocaleKeys) {
    Key key(locale.root, locale.path);
    if (!key) continue;
    const std::string exe = ExecutableLongPath();
    std::optional<std::string> value;
    if (!exe.empty()) value = ReadText(key.get(), exe.c_str());
    if (!value) value = ReadText(key.get(), nullptr);
    return value.value_or(std::string());
  }
  return {};
}

}  // namespace sx
