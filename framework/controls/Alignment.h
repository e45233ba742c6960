#pragma once

// Where a control puts its caption across its width.

#include <cstdint>
#include <type_traits>

#include "framework/streaming/Reflection.h"

namespace sx {

enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
// The same values where only the two sides make sense (the caption of a radio button).
using TLeftRight = TAlignment;

extern const TypeInfo TypeInfo_TAlignment;
extern const TypeInfo TypeInfo_TLeftRight;
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TAlignment>) {
  return &TypeInfo_TAlignment;
}

}  // namespace sx
