// Libraries loaded from the system folder only: sx_planted.dll lies beside this program
// under a name no system has, and leaves a trace when its code runs.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/runtime/SystemLibrary.h"
#include "tests/framework/runtime/Win32TestSupport.h"

namespace sx {
namespace {

using testing::TestExecutableDirectory;

constexpr const char* kPlanted = "sx_planted.dll";

bool PlantedCodeRan() {
  HANDLE trace = OpenEventA(SYNCHRONIZE, FALSE, "SxPlantedLibraryRan");
  if (!trace) return false;
  CloseHandle(trace);
  return true;
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

TEST(SystemLibraryTest, LibraryBesideTheProgramIsNotLoadedUnderASystemName) {
  ASSERT_NE(GetFileAttributesA((TestExecutableDirectory() + kPlanted).c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(LoadSystemLibrary(kPlanted), nullptr);
  EXPECT_EQ(GetModuleHandleA(kPlanted), nullptr);
  EXPECT_FALSE(PlantedCodeRan());
}

// A path is loaded as given whatever the search flags say, so none may get through.
TEST(SystemLibraryTest, NameWithAPathIsRefused) {
  const std::string beside = TestExecutableDirectory() + kPlanted;
  for (const std::string& name :
       {beside, std::string(".\\") + kPlanted, std::string("./") + kPlanted,
        beside.substr(0, 2) + kPlanted, std::string()}) {
    EXPECT_EQ(LoadSystemLibrary(name.c_str()), nullptr) << name;
  }
  EXPECT_EQ(LoadSystemLibrary(nullptr), nullptr);
  EXPECT_FALSE(PlantedCodeRan());
}

TEST(SystemLibraryTest, SystemLibraryComesFromTheSystemFolder) {
  HMODULE library = LoadSystemLibrary("winmm.dll");
  ASSERT_NE(library, nullptr);
  char folder[MAX_PATH] = {};
  char path[MAX_PATH] = {};
  ASSERT_NE(GetSystemDirectoryA(folder, MAX_PATH), 0u);
  ASSERT_NE(GetModuleFileNameA(library, path, MAX_PATH), 0u);
  EXPECT_EQ(Lower(path), Lower(std::string(folder) + "\\winmm.dll"));
  FreeLibrary(library);
}

// Found beside the program before the search is narrowed (searched for as data, so that
// nothing of it runs), and no longer after. Afterwards a real load is tried: Wine 8.0 leaves
// loads as data out of the narrowed search, and a real load is what the narrowing is for.
TEST(SystemLibraryTest, RestrictedSearchLeavesOutTheProgramsFolder) {
  HMODULE before = LoadLibraryExA(kPlanted, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(before, nullptr) << "the search does not look beside the program to begin with";
  FreeLibrary(before);

  RestrictLibrarySearch();
  HMODULE after = LoadLibraryExA(kPlanted, nullptr, 0);
  EXPECT_EQ(after, nullptr);
  if (after) FreeLibrary(after);
  EXPECT_FALSE(PlantedCodeRan());
}

}  // namespace
}  // namespace sx
