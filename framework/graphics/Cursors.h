#pragma once

// TCursor: the mouse cursor numbers and their identifiers.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "framework/streaming/IdentMap.h"
#include "framework/streaming/Reflection.h"

namespace sx {

// A mouse cursor: a signed 16-bit number, the built-in ones negative. A type of its own
// so that the loader finds its identifier map by the property's declared type; any 16-bit
// value is valid.
enum TCursor : std::int16_t {
  crDefault = 0,
  crArrow = -2,
  crCross = -3,
  crIBeam = -4,
  crSizeNESW = -6,
  crSizeNS = -7,
  crSizeNWSE = -8,
  crSizeWE = -9,
  crUpArrow = -10,
  crHourGlass = -11,
  crDrag = -12,
  crNoDrop = -13,
  crHSplit = -14,
  crVSplit = -15,
  crMultiDrag = -16,
  crSQLWait = -17,
  crNo = -18,
  crAppStart = -19,
  crHelp = -20,
  crHandPoint = -21,
  crSizeAll = -22,
  crSize = -22,
};

extern const TypeInfo TypeInfo_TCursor;
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TCursor>) {
  return &TypeInfo_TCursor;
}

// The identifiers of cursors, in lookup order.
std::span<const IdentEntry> CursorIdents();

// Identifier to cursor (ASCII case ignored) and back (the first row with that value, so
// -22 reads as crSizeAll); nothing when the table has no such row.
std::optional<TCursor> IdentToCursor(std::string_view ident);
std::optional<std::string> CursorToIdent(TCursor cursor);

}  // namespace sx
