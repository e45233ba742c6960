#include "framework/graphics/Colors.h"

#include <limits>

#include "framework/runtime/SystemServices.h"

namespace sx {
namespace {

// Lookup order matters: identifier to colour takes the first match, and so does colour to
// identifier.
constexpr IdentEntry kColorIdents[] = {
    {"clBlack", clBlack},
    {"clMaroon", clMaroon},
    {"clGreen", clGreen},
    {"clOlive", clOlive},
    {"clNavy", clNavy},
    {"clPurple", clPurple},
    {"clTeal", clTeal},
    {"clGray", clGray},
    {"clSilver", clSilver},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clYellow", clYellow},
    {"clBlue", clBlue},
    {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},
    {"clWhite", clWhite},
    {"clMoneyGreen", clMoneyGreen},
    {"clSkyBlue", clSkyBlue},
    {"clCream", clCream},
    {"clMedGray", clMedGray},
    {"clActiveBorder", clActiveBorder},
    {"clActiveCaption", clActiveCaption},
    {"clAppWorkSpace", clAppWorkSpace},
    {"clBackground", clBackground},
    {"clBtnFace", clBtnFace},
    {"clBtnHighlight", clBtnHighlight},
    {"clBtnShadow", clBtnShadow},
    {"clBtnText", clBtnText},
    {"clCaptionText", clCaptionText},
    {"clDefault", clDefault},
    {"clGradientActiveCaption", clGradientActiveCaption},
    {"clGradientInactiveCaption", clGradientInactiveCaption},
    {"clGrayText", clGrayText},
    {"clHighlight", clHighlight},
    {"clHighlightText", clHighlightText},
    {"clHotLight", clHotLight},
    {"clInactiveBorder", clInactiveBorder},
    {"clInactiveCaption", clInactiveCaption},
    {"clInactiveCaptionText", clInactiveCaptionText},
    {"clInfoBk", clInfoBk},
    {"clInfoText", clInfoText},
    {"clMenu", clMenu},
    {"clMenuBar", clMenuBar},
    {"clMenuHighlight", clMenuHighlight},
    {"clMenuText", clMenuText},
    {"clNone", clNone},
    {"clScrollBar", clScrollBar},
    {"cl3DDkShadow", cl3DDkShadow},
    {"cl3DLight", cl3DLight},
    {"clWindow", clWindow},
    {"clWindowFrame", clWindowFrame},
    {"clWindowText", clWindowText},
};
static_assert(std::size(kColorIdents) == 52);

}  // namespace

constinit const TypeInfo TypeInfo_TColor =
    IntegerType("TColor", OrdType::SLong, std::numeric_limits<std::int32_t>::min(),
                std::numeric_limits<std::int32_t>::max());

std::span<const IdentEntry> ColorIdents() {
  return kColorIdents;
}

std::optional<TColor> IdentToColor(std::string_view ident) {
  if (auto value = IdentToValue(kColorIdents, ident)) return static_cast<TColor>(*value);
  return std::nullopt;
}

std::optional<std::string> ColorToIdent(TColor color) {
  return ValueToIdent(kColorIdents, color);
}

std::uint32_t ColorToRGB(TColor color) {
  if (color < 0) return System().SystemColor(color & 0xFF);
  return static_cast<std::uint32_t>(color);
}

}  // namespace sx
