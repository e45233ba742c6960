#pragma once

// TBorderStyle: the single-line-or-none border of edit fields and panels, with its
// identifiers for the loader.

#include <cstdint>
#include <type_traits>

#include "framework/streaming/Reflection.h"

namespace sx {

// The border of a control that has either a single line or none (edit fields, panels).
// Scoped because a form's border style names its first two members the same way.
enum class TBorderStyle : std::uint8_t { bsNone, bsSingle };

inline constexpr const char* kBorderStyleNames[] = {"bsNone", "bsSingle"};
inline constexpr TypeInfo TypeInfo_TBorderStyle = EnumType("TBorderStyle", kBorderStyleNames);
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TBorderStyle>) {
  return &TypeInfo_TBorderStyle;
}

}  // namespace sx
