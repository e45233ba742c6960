#pragma once

// TFontCharset: a font's character set, its named values and their identifiers.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "framework/streaming/IdentMap.h"
#include "framework/streaming/Reflection.h"

namespace sx {

// The character set of a font: one unsigned byte, a type of its own so that the loader
// finds its identifier map by the property's declared type. Any byte value is valid.
enum TFontCharset : std::uint8_t {};

extern const TypeInfo TypeInfo_TFontCharset;
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TFontCharset>) {
  return &TypeInfo_TFontCharset;
}

// The character sets by value. The identifiers that a stored definition uses
// ("DEFAULT_CHARSET") are also the system headers' macro names, so the constants here are
// spelt differently.
namespace charsets {
inline constexpr TFontCharset Ansi{0};
inline constexpr TFontCharset Default{1};
inline constexpr TFontCharset Symbol{2};
inline constexpr TFontCharset Mac{77};
inline constexpr TFontCharset ShiftJis{128};
inline constexpr TFontCharset Hangeul{129};
inline constexpr TFontCharset Johab{130};
inline constexpr TFontCharset GB2312{134};
inline constexpr TFontCharset ChineseBig5{136};
inline constexpr TFontCharset Greek{161};
inline constexpr TFontCharset Turkish{162};
inline constexpr TFontCharset Hebrew{177};
inline constexpr TFontCharset Arabic{178};
inline constexpr TFontCharset Baltic{186};
inline constexpr TFontCharset Russian{204};
inline constexpr TFontCharset Thai{222};
inline constexpr TFontCharset EastEurope{238};
inline constexpr TFontCharset Oem{255};
}  // namespace charsets

// The identifiers of character sets, in lookup order.
std::span<const IdentEntry> CharsetIdents();

// Identifier to character set (ASCII case ignored) and back; nothing when the table has no
// such row.
std::optional<TFontCharset> IdentToCharset(std::string_view ident);
std::optional<std::string> CharsetToIdent(TFontCharset charset);

}  // namespace sx
