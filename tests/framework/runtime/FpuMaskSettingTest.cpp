#include <windows.h>

#include <gtest/gtest.h>

#include "framework/runtime/FloatingPoint.h"
#include "framework/runtime/RuntimeSettings.h"
#include "tests/framework/runtime/Win32TestSupport.h"

namespace sx {
namespace {

using testing::ScopedRegistryKey;

constexpr const char* kRuntimeKey = "SOFTWARE\\Halvern\\Ostrel\\RTL";

class FpuMaskSettingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRuntimeKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
      RegCloseKey(key);
      GTEST_SKIP() << "the runtime settings key exists already";
    }
  }
};

TEST_F(FpuMaskSettingTest, MissingKeyGivesNoSetting) {
  EXPECT_FALSE(ReadFpuMaskSetting(0x1332).has_value());
}

TEST_F(FpuMaskSettingTest, MissingValueGivesNoSetting) {
  ScopedRegistryKey key(HKEY_LOCAL_MACHINE, kRuntimeKey);
  ASSERT_TRUE(key.SetNumber("OtherValue", 0x3F));
  EXPECT_FALSE(ReadFpuMaskSetting(0x1332).has_value());
}

TEST_F(FpuMaskSettingTest, StoredValueReachesTheThreadsControlWord) {
  ScopedRegistryKey key(HKEY_LOCAL_MACHINE, kRuntimeKey);
  ASSERT_TRUE(key.SetNumber("FPUMaskValue", 0xFFFF003Eu));
  const std::uint16_t saved = FpuControlWord();
  auto setting = ReadFpuMaskSetting(saved);
  ASSERT_TRUE(setting.has_value());
  // Only the invalid-operation mask is cleared, and no floating-point work happens before
  // the saved word is back.
  ApplyFpuMask(*setting);
  const std::uint16_t applied = FpuControlWord();
  SetFpuControlWord(saved);
  EXPECT_EQ(applied, static_cast<std::uint16_t>((saved & 0xFFC0) | 0x3E));
}

}  // namespace
}  // namespace sx
