#include "framework/runtime/FloatingPoint.h"

#if !defined(__i386__) && !defined(__x86_64__)
#error "the x87 control word exists on x86 processors only"
#endif

namespace sx {

std::uint16_t FpuControlWord() {
  std::uint16_t word = 0;
  __asm__ volatile("fnstcw %0" : "=m"(word));
  return word;
}

void SetFpuControlWord(std::uint16_t word) {
  // Exceptions already flagged in the status word would trap at the next x87 instruction
  // once unmasked; they belong to earlier code and must not surface in unrelated code.
  __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(word));
}

std::uint16_t ApplyFpuMask(std::uint32_t setting) {
  const std::uint16_t word = MergeFpuMask(FpuControlWord(), setting);
  SetFpuControlWord(word);
  return word;
}

}  // namespace sx
