// Every Windows executable compiles the framework's string table into itself; these tests
// catch a build that leaves it out or a resource compiler that mangles the texts.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/runtime/Texts.h"

namespace {

std::string LoadFromOwnModule(int id) {
  char buffer[4096];
  int length = LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(id), buffer,
                           static_cast<int>(sizeof buffer));
  return std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

TEST(StringTable, ReadErrorTextIsLinkedIntoTheExecutable) {
  EXPECT_EQ(LoadFromOwnModule(65315), "Stream read error");
}

TEST(StringTable, EveryFrameworkTextMatchesItsCompiledInCopy) {
  for (const sx::TextEntry& entry : sx::BuiltInTexts())
    EXPECT_EQ(LoadFromOwnModule(static_cast<int>(entry.id)), entry.text) << entry.name;
}

}  // namespace
