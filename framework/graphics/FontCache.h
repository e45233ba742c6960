#pragma once

// The attributes of a font (pitch, style, FontData) and the process-wide cache of font records.

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "framework/graphics/Charsets.h"
#include "framework/graphics/ResourceCache.h"
#include "framework/runtime/Set.h"
#include "framework/streaming/Reflection.h"

namespace sx {

enum TFontPitch : std::uint8_t { fpDefault, fpVariable, fpFixed };
enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = Set<TFontStyle, std::uint8_t>;

extern const TypeInfo TypeInfo_TFontPitch;
extern const TypeInfo TypeInfo_TFontStyle;
extern const TypeInfo TypeInfo_TFontStyles;
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TFontPitch>) {
  return &TypeInfo_TFontPitch;
}
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TFontStyle>) {
  return &TypeInfo_TFontStyle;
}
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TFontStyles>) {
  return &TypeInfo_TFontStyles;
}

// The attributes of a font as its shared record keeps them. Byte image (44 bytes,
// little-endian): handle slot 0-3, Height 4-7, Pitch 8, Style 9, Charset 10, Name 11-42
// (a length byte and at most 31 characters, the rest zero), one zero byte 43.
struct FontData {
  static constexpr std::size_t kSize = 44;
  static constexpr std::size_t kMaxNameLength = 31;

  std::uint32_t handle = 0;
  std::int32_t height = 0;
  TFontPitch pitch = fpDefault;
  TFontStyles style;
  TFontCharset charset = charsets::Default;
  std::string name;  // at most kMaxNameLength characters; Encode cuts a longer one

  std::array<std::uint8_t, kSize> Encode() const;
  static FontData Decode(const std::array<std::uint8_t, kSize>& bytes);

  friend bool operator==(const FontData&, const FontData&) = default;
};

using FontRecord = ResourceCache<FontData>::Record;

// The process-wide cache of font records; a record's going deletes its system font.
ResourceCache<FontData>& FontResources();

// The default font at a screen of that many pixels per inch: 8 points of "MS Sans Serif",
// no style, default pitch and character set.
FontData MakeDefaultFontData(int pixelsPerInch);

}  // namespace sx
