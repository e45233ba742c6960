#pragma once

// TColor: explicit and system colours, their identifiers and their conversion to RGB.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "framework/streaming/IdentMap.h"
#include "framework/streaming/Reflection.h"

namespace sx {

namespace detail {
constexpr std::int32_t SystemColorValue(std::uint32_t index) {
  return static_cast<std::int32_t>(0x80000000u | index);
}
}  // namespace detail

// A colour: 0x00BBGGRR for an explicit colour, 0x80000000 + n for the system colour with
// index n, or one of the two special values clNone and clDefault. It is an enumeration
// over a 32-bit integer only so that it is a type of its own: the loader picks the
// identifier map by the exact declared type of a property, and a colour property must not
// be mistaken for a plain integer one. Any 32-bit value is a valid TColor.
enum TColor : std::int32_t {
  clBlack = 0x000000,
  clMaroon = 0x000080,
  clGreen = 0x008000,
  clOlive = 0x008080,
  clNavy = 0x800000,
  clPurple = 0x800080,
  clTeal = 0x808000,
  clGray = 0x808080,
  clSilver = 0xC0C0C0,
  clRed = 0x0000FF,
  clLime = 0x00FF00,
  clYellow = 0x00FFFF,
  clBlue = 0xFF0000,
  clFuchsia = 0xFF00FF,
  clAqua = 0xFFFF00,
  clWhite = 0xFFFFFF,
  clMoneyGreen = 0xC0DCC0,
  clSkyBlue = 0xF0CAA6,
  clCream = 0xF0FBFF,
  clMedGray = 0xA4A0A0,

  clScrollBar = detail::SystemColorValue(0),
  clBackground = detail::SystemColorValue(1),
  clActiveCaption = detail::SystemColorValue(2),
  clInactiveCaption = detail::SystemColorValue(3),
  clMenu = detail::SystemColorValue(4),
  clWindow = detail::SystemColorValue(5),
  clWindowFrame = detail::SystemColorValue(6),
  clMenuText = detail::SystemColorValue(7),
  clWindowText = detail::SystemColorValue(8),
  clCaptionText = detail::SystemColorValue(9),
  clActiveBorder = detail::SystemColorValue(10),
  clInactiveBorder = detail::SystemColorValue(11),
  clAppWorkSpace = detail::SystemColorValue(12),
  clHighlight = detail::SystemColorValue(13),
  clHighlightText = detail::SystemColorValue(14),
  clBtnFace = detail::SystemColorValue(15),
  clBtnShadow = detail::SystemColorValue(16),
  clGrayText = detail::SystemColorValue(17),
  clBtnText = detail::SystemColorValue(18),
  clInactiveCaptionText = detail::SystemColorValue(19),
  clBtnHighlight = detail::SystemColorValue(20),
  cl3DDkShadow = detail::SystemColorValue(21),
  cl3DLight = detail::SystemColorValue(22),
  clInfoText = detail::SystemColorValue(23),
  clInfoBk = detail::SystemColorValue(24),
  clHotLight = detail::SystemColorValue(26),
  clGradientActiveCaption = detail::SystemColorValue(27),
  clGradientInactiveCaption = detail::SystemColorValue(28),
  clMenuHighlight = detail::SystemColorValue(29),
  clMenuBar = detail::SystemColorValue(30),

  clNone = 0x1FFFFFFF,
  clDefault = 0x20000000,
};

extern const TypeInfo TypeInfo_TColor;
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TColor>) {
  return &TypeInfo_TColor;
}

// The colour made of three 8-bit channels.
constexpr TColor RGBColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<TColor>(red | (green << 8) | (blue << 16));
}

// The identifiers of colours, in lookup order.
std::span<const IdentEntry> ColorIdents();

// Identifier to colour (ASCII case ignored) and colour to identifier (the first row with
// that value); nothing when the table has no such row.
std::optional<TColor> IdentToColor(std::string_view ident);
std::optional<std::string> ColorToIdent(TColor color);

// The RGB value to draw with: a system colour (high bit set) gives the system's current
// colour for its index (low byte); every other value, clNone and clDefault included,
// comes back unchanged.
std::uint32_t ColorToRGB(TColor color);

}  // namespace sx
