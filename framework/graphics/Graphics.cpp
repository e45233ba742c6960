#include "framework/graphics/Graphics.h"

#include <mutex>

#include "framework/graphics/Charsets.h"
#include "framework/graphics/Colors.h"
#include "framework/graphics/Cursors.h"
#include "framework/graphics/PenBrush.h"
#include "framework/runtime/SystemServices.h"
#include "framework/streaming/IdentMap.h"

namespace sx {
namespace {

// A screen that reports nothing sensible is taken as the usual 96 so that no font height
// is ever divided by zero.
constexpr int kFallbackPixelsPerInch = 96;

struct GraphicsState {
  int pixelsPerInch = kFallbackPixelsPerInch;
  FontData defaultFont;
};

GraphicsState& State() {
  static GraphicsState state;
  return state;
}

std::optional<std::int32_t> ColorMapToValue(std::string_view ident) {
  return IdentToValue(ColorIdents(), ident);
}
std::optional<std::string> ColorMapToIdent(std::int32_t value) {
  return ValueToIdent(ColorIdents(), value);
}
std::optional<std::int32_t> CharsetMapToValue(std::string_view ident) {
  return IdentToValue(CharsetIdents(), ident);
}
std::optional<std::string> CharsetMapToIdent(std::int32_t value) {
  return ValueToIdent(CharsetIdents(), value);
}
std::optional<std::int32_t> CursorMapToValue(std::string_view ident) {
  return IdentToValue(CursorIdents(), ident);
}
std::optional<std::string> CursorMapToIdent(std::int32_t value) {
  return ValueToIdent(CursorIdents(), value);
}

void StartGraphics() {
  GraphicsState& state = State();
  const int pixelsPerInch = System().ScreenPixelsPerInch();
  state.pixelsPerInch = pixelsPerInch > 0 ? pixelsPerInch : kFallbackPixelsPerInch;
  state.defaultFont = MakeDefaultFontData(state.pixelsPerInch);
  FontResources();
  PenResources();
  BrushResources();
  RegisterIdentMap(TypeInfo_TColor, &ColorMapToValue, &ColorMapToIdent);
  RegisterIdentMap(TypeInfo_TFontCharset, &CharsetMapToValue, &CharsetMapToIdent);
  RegisterIdentMap(TypeInfo_TCursor, &CursorMapToValue, &CursorMapToIdent);
}

}  // namespace

void InitGraphics() {
  static std::once_flag once;
  std::call_once(once, &StartGraphics);
}

int ScreenPixelsPerInch() {
  InitGraphics();
  return State().pixelsPerInch;
}

const FontData& DefaultFontData() {
  InitGraphics();
  return State().defaultFont;
}

}  // namespace sx
