// The program's stack protector: an overrun of a local array ends the process at once as a
// stack buffer overrun, and the canary that catches it is seeded before the program runs.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" std::uintptr_t __stack_chk_guard;

namespace {

// Fills an array of eight bytes with as many bytes as asked, through a size that the
// compiler cannot see.
__attribute__((noinline)) void FillEightBytes(std::size_t size) {
  char buffer[8];
  std::memset(buffer, 'A', size);
  asm volatile("" : : "r"(buffer) : "memory");
}

volatile std::size_t overrun = 64;

TEST(StackGuardTest, OverrunOfALocalArrayEndsTheProcessAsAStackBufferOverrun) {
  EXPECT_EXIT(FillEightBytes(overrun),
              testing::ExitedWithCode(static_cast<int>(STATUS_STACK_BUFFER_OVERRUN)), "");
}

TEST(StackGuardTest, CanaryIsNotTheFixedValueItHasBeforeTheSeed) {
  EXPECT_NE(__stack_chk_guard, std::uintptr_t{0xBB40E64E});
}

}  // namespace
