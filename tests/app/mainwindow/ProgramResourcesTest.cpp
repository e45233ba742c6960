// What the built sonderix.exe carries for the system to read before it runs: the
// application manifest and the icon in every size the display scales ask for.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "tests/app/mainwindow/OutsideProgram.h"

namespace sx::testing {
namespace {

// The program's file loaded as data: its resources, none of its code.
class ProgramResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << ProgramPath();
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }

  // The bytes of a resource; empty when there is none.
  std::string_view Resource(LPCSTR name, LPCSTR type) const {
    const HRSRC found = FindResourceA(module_, name, type);
    if (!found) return {};
    const HGLOBAL loaded = LoadResource(module_, found);
    return {static_cast<const char*>(LockResource(loaded)), SizeofResource(module_, found)};
  }

  HMODULE module_ = nullptr;
};

TEST_F(ProgramResourcesTest, ManifestAsksForEachMonitorsScaleAndNoElevation) {
  const std::string manifest(Resource(MAKEINTRESOURCEA(1), RT_MANIFEST));
  ASSERT_FALSE(manifest.empty());
  struct Fragment {
    const char* what;
    const char* text;
  };
  const Fragment required[] = {
      {"awareness per monitor, system-wide before 10",
       "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm"
       "</dpiAware>"},
      {"per monitor, version 2 first",
       "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
       "PerMonitorV2, PerMonitor</dpiAwareness>"},
      {"no elevation", "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"},
      {"Vista", "<supportedOS Id=\"{e2011457-1546-43c5-a5fe-008deee3d3f0}\"/>"},
      {"7", "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>"},
      {"8", "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>"},
      {"8.1", "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>"},
      {"10 and 11", "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"},
  };
  for (const Fragment& fragment : required)
    EXPECT_NE(manifest.find(fragment.text), std::string::npos) << fragment.what;
  // The controls keep the look they draw: no newer common controls are asked for.
  EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);
}

// An icon group as stored: a 6-byte header, then 14 bytes for each image.
#pragma pack(push, 2)
struct IconGroupEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST_F(ProgramResourcesTest, IconHasEverySizeTheScalesAskFor) {
  const std::string_view group = Resource("MAINICON", RT_GROUP_ICON);
  ASSERT_GE(group.size(), 6u);
  WORD count = 0;
  std::memcpy(&count, group.data() + 4, sizeof count);
  ASSERT_EQ(group.size(), 6u + count * sizeof(IconGroupEntry));
  std::vector<int> sizes;
  for (WORD i = 0; i < count; ++i) {
    IconGroupEntry entry{};
    std::memcpy(&entry, group.data() + 6 + i * sizeof entry, sizeof entry);
    const int size = entry.width == 0 ? 256 : entry.width;
    SCOPED_TRACE(size);
    sizes.push_back(size);
    EXPECT_EQ(entry.bitCount, 32);
    const std::string_view image = Resource(MAKEINTRESOURCEA(entry.id), RT_ICON);
    ASSERT_EQ(image.size(), entry.bytes);
    // The largest is stored as a PNG image, and compressed: the others are plain bitmaps.
    const bool png = image.substr(0, 8) == std::string_view("\x89PNG\r\n\x1A\n", 8);
    EXPECT_EQ(png, size == 256);
    if (png) {
      EXPECT_LT(image.size(), 256u * 256u);
    }
    // The system itself makes an icon of it at its size.
    const HICON icon = CreateIconFromResourceEx(
        reinterpret_cast<BYTE*>(const_cast<char*>(image.data())), static_cast<DWORD>(image.size()),
        TRUE, 0x00030000, size, size, LR_DEFAULTCOLOR);
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour{};
    GetObjectA(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, size);
    EXPECT_EQ(colour.bmHeight, size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
  EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));
}

}  // namespace
}  // namespace sx::testing
