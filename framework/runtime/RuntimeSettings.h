#pragma once

// The registry settings the runtime reads: the floating-point mask and the language module.

#include <cstdint>
#include <optional>
#include <string>

namespace sx {

// The two registry settings the runtime reads. Both are optional; without them the
// process keeps its control word and the modules their own resources.

// The stored floating-point mask laid over the current control word, as the registry
// read leaves its 4-byte buffer (which starts out holding the current word); nothing
// when the key or the value is missing or unreadable.
std::optional<std::uint32_t> ReadFpuMaskSetting(std::uint16_t currentControlWord);

// Applies the stored mask to the calling thread's control word, once per process.
void ApplyFpuMaskSetting();

// The language resource setting for the executable: the value named after its full long
// path, else the default value, in the first of the locale keys that exists; empty when
// there is none.
std::string LanguageModuleSetting();

// The executable's full path in its long form.
std::string ExecutableLongPath();

}  // namespace sx
