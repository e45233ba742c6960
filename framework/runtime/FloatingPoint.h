#pragma once

// The x87 control word: reading, setting and laying a stored exception mask over it.

#include <cstdint>

namespace sx {

// The x87 control word keeps its six exception masks in bits 0..5; a stored mask setting
// replaces exactly those and never touches precision or rounding control.
constexpr std::uint16_t kFpuExceptionMasks = 0x003F;

// The control word that results from laying a stored mask setting over the current word.
// Only the low six bits of the setting count.
constexpr std::uint16_t MergeFpuMask(std::uint16_t current, std::uint32_t setting) {
  return static_cast<std::uint16_t>((current & ~kFpuExceptionMasks) |
                                    (setting & kFpuExceptionMasks));
}

// The calling thread's x87 control word. Setting it first clears the exception flags
// already raised, so that a newly unmasked exception cannot fire for earlier work.
std::uint16_t FpuControlWord();
void SetFpuControlWord(std::uint16_t word);

// Lays the setting over the thread's current control word and returns the new word.
std::uint16_t ApplyFpuMask(std::uint32_t setting);

}  // namespace sx
