#include "framework/graphics/Cursors.h"

namespace sx {
namespace {

constexpr IdentEntry kCursorIdents[] = {
    {"crDefault", crDefault},
    {"crArrow", crArrow},
    {"crCross", crCross},
    {"crIBeam", crIBeam},
    {"crSizeNESW", crSizeNESW},
    {"crSizeNS", crSizeNS},
    {"crSizeNWSE", crSizeNWSE},
    {"crSizeWE", crSizeWE},
    {"crUpArrow", crUpArrow},
    {"crHourGlass", crHourGlass},
    {"crDrag", crDrag},
    {"crNoDrop", crNoDrop},
    {"crHSplit", crHSplit},
    {"crVSplit", crVSplit},
    {"crMultiDrag", crMultiDrag},
    {"crSQLWait", crSQLWait},
    {"crNo", crNo},
    {"crAppStart", crAppStart},
    {"crHelp", crHelp},
    {"crHandPoint", crHandPoint},
    {"crSizeAll", crSizeAll},
    {"crSize", crSize},
};
static_assert(std::size(kCursorIdents) == 22);

}  // namespace

constinit const TypeInfo TypeInfo_TCursor = IntegerType("TCursor", OrdType::SWord, -32768, 32767);

std::span<const IdentEntry> CursorIdents() {
  return kCursorIdents;
}

std::optional<TCursor> IdentToCursor(std::string_view ident) {
  if (auto value = IdentToValue(kCursorIdents, ident)) return static_cast<TCursor>(*value);
  return std::nullopt;
}

std::optional<std::string> CursorToIdent(TCursor cursor) {
  return ValueToIdent(kCursorIdents, cursor);
}

}  // namespace sx
