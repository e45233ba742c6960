#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sx::testing {

// The test executable's full path, in its long form.
std::string TestExecutablePath();

// The directory of the test executable, with its trailing separator.
std::string TestExecutableDirectory();

// A registry key made for one test: every missing element of the path is created, and
// the outermost one created is removed with everything under it when the test ends.
class ScopedRegistryKey {
 public:
  ScopedRegistryKey(HKEY root, std::string path);
  ~ScopedRegistryKey();
  ScopedRegistryKey(const ScopedRegistryKey&) = delete;
  ScopedRegistryKey& operator=(const ScopedRegistryKey&) = delete;

  bool ok() const { return key_ != nullptr; }
  // A null name sets the default value.
  bool SetText(const char* name, const std::string& text);
  bool SetNumber(const char* name, DWORD value);

 private:
  HKEY root_;
  HKEY key_ = nullptr;
  std::string created_;
};

// Files copied for one test, deleted when it ends.
class ScopedFiles {
 public:
  ~ScopedFiles();
  bool Copy(const std::string& from, const std::string& to);
  bool Write(const std::string& path, const std::string& content);

 private:
  std::vector<std::string> paths_;
};

}  // namespace sx::testing
