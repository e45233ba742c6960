#include "framework/runtime/FloatingPoint.h"

#include <gtest/gtest.h>

namespace sx {
namespace {

TEST(FpuMaskMerge, StoredMaskMasksEveryExceptionOfTheDefaultWord) {
  EXPECT_EQ(MergeFpuMask(0x1332, 0x3F), 0x133F);
}

TEST(FpuMaskMerge, BitsAboveTheMasksInTheSettingAreIgnored) {
  EXPECT_EQ(MergeFpuMask(0x1332, 0xFFFFFF00u), 0x1300);
  EXPECT_EQ(MergeFpuMask(0x027F, 0x0000FF3Eu), 0x027E);
}

TEST(FpuMaskMerge, PrecisionAndRoundingOfTheCurrentWordAreKept) {
  EXPECT_EQ(MergeFpuMask(0x0F7F, 0), 0x0F40);
}

// Restores the thread's control word however a test ends.
class ControlWordGuard {
 public:
  ControlWordGuard() : saved_(FpuControlWord()) {}
  ~ControlWordGuard() { SetFpuControlWord(saved_); }
  std::uint16_t saved() const { return saved_; }

 private:
  std::uint16_t saved_;
};

TEST(FpuControlWord, ApplyingAMaskChangesTheThreadsControlWord) {
  ControlWordGuard guard;
  // Only the invalid-operation mask is cleared, and no floating-point work happens
  // before the guard puts the saved word back.
  const std::uint16_t returned = ApplyFpuMask(0x3E);
  const std::uint16_t actual = FpuControlWord();
  SetFpuControlWord(guard.saved());
  EXPECT_EQ(returned, static_cast<std::uint16_t>((guard.saved() & 0xFFC0) | 0x3E));
  EXPECT_EQ(actual, returned);
}

}  // namespace
}  // namespace sx
