#include "framework/runtime/SystemLibrary.h"

#include <cstring>
#include <string>

namespace sx {
namespace {

using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);

// Present from Windows 8 on, and on Windows 7 and Vista with the library-search update;
// where it is, LoadLibraryExA also understands the LOAD_LIBRARY_SEARCH_* flags.
SetDefaultDllDirectoriesProc SetDefaultDllDirectoriesOfSystem() {
  return FindProc<SetDefaultDllDirectoriesProc>(GetModuleHandleA("kernel32.dll"),
                                                "SetDefaultDllDirectories");
}

}  // namespace

void RestrictLibrarySearch() {
  if (SetDefaultDllDirectoriesProc restrict = SetDefaultDllDirectoriesOfSystem())
    if (restrict(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  // Older systems: at least the current folder leaves the search.
  SetDllDirectoryA("");
}

HMODULE LoadSystemLibrary(const char* fileName) {
  // A path would be loaded as given, whatever the search says: only a bare name is a
  // library of the system folder.
  if (fileName == nullptr || *fileName == '\0' || std::strpbrk(fileName, "\\/:") != nullptr)
    return nullptr;
  if (SetDefaultDllDirectoriesOfSystem() != nullptr)
    return LoadLibraryExA(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Without the search flags, the full path under the system folder names the one file.
  char folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::string path = std::string(folder, length) + '\\' + fileName;
  return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace sx
