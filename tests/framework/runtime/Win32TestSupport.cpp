#include "tests/framework/runtime/Win32TestSupport.h"

#include <cstdio>

namespace sx::testing {

std::string TestExecutablePath() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  char longPath[MAX_PATH + 1] = {};
  if (GetLongPathNameA(path, longPath, sizeof longPath) == 0) return path;
  return longPath;
}

std::string TestExecutableDirectory() {
  std::string path = TestExecutablePath();
  return path.substr(0, path.find_last_of('\\') + 1);
}

ScopedRegistryKey::ScopedRegistryKey(HKEY root, std::string path) : root_(root) {
  std::size_t end = 0;
  while (end != std::string::npos) {
    end = path.find('\\', end + 1);
    const std::string part = path.substr(0, end);
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(root, part.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        &disposition) != ERROR_SUCCESS)
      return;
    if (disposition == REG_CREATED_NEW_KEY && created_.empty()) created_ = part;
    if (end == std::string::npos) {
      key_ = key;
    } else {
      RegCloseKey(key);
    }
  }
}

ScopedRegistryKey::~ScopedRegistryKey() {
  if (key_) RegCloseKey(key_);
  if (!created_.empty()) RegDeleteTreeA(root_, created_.c_str());
}

bool ScopedRegistryKey::SetText(const char* name, const std::string& text) {
  return key_ && RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool ScopedRegistryKey::SetNumber(const char* name, DWORD value) {
  return key_ && RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                sizeof value) == ERROR_SUCCESS;
}

ScopedFiles::~ScopedFiles() {
  for (const std::string& path : paths_)
    DeleteFileA(path.c_str());
}

bool ScopedFiles::Copy(const std::string& from, const std::string& to) {
  paths_.push_back(to);
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

bool ScopedFiles::Write(const std::string& path, const std::string& content) {
  paths_.push_back(path);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace sx::testing
