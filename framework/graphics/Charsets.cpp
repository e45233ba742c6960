#include "framework/graphics/Charsets.h"

namespace sx {
namespace {

constexpr IdentEntry kCharsetIdents[] = {
    {"ANSI_CHARSET", charsets::Ansi},
    {"DEFAULT_CHARSET", charsets::Default},
    {"SYMBOL_CHARSET", charsets::Symbol},
    {"MAC_CHARSET", charsets::Mac},
    {"SHIFTJIS_CHARSET", charsets::ShiftJis},
    {"HANGEUL_CHARSET", charsets::Hangeul},
    {"JOHAB_CHARSET", charsets::Johab},
    {"GB2312_CHARSET", charsets::GB2312},
    {"CHINESEBIG5_CHARSET", charsets::ChineseBig5},
    {"GREEK_CHARSET", charsets::Greek},
    {"TURKISH_CHARSET", charsets::Turkish},
    {"HEBREW_CHARSET", charsets::Hebrew},
    {"ARABIC_CHARSET", charsets::Arabic},
    {"BALTIC_CHARSET", charsets::Baltic},
    {"RUSSIAN_CHARSET", charsets::Russian},
    {"THAI_CHARSET", charsets::Thai},
    {"EASTEUROPE_CHARSET", charsets::EastEurope},
    {"OEM_CHARSET", charsets::Oem},
};
static_assert(std::size(kCharsetIdents) == 18);

}  // namespace

constinit const TypeInfo TypeInfo_TFontCharset =
    IntegerType("TFontCharset", OrdType::UByte, 0, 255);

std::span<const IdentEntry> CharsetIdents() {
  return kCharsetIdents;
}

std::optional<TFontCharset> IdentToCharset(std::string_view ident) {
  if (auto value = IdentToValue(kCharsetIdents, ident)) return static_cast<TFontCharset>(*value);
  return std::nullopt;
}

std::optional<std::string> CharsetToIdent(TFontCharset charset) {
  return ValueToIdent(kCharsetIdents, charset);
}

}  // namespace sx
