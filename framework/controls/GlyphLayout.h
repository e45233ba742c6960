#pragma once

// Where a button's glyph and caption stand: the four layouts and the arithmetic that places
// a glyph and a caption of given sizes inside the button's face.

#include <windows.h>

#include <cstdint>

namespace sx {

enum TButtonLayout : std::uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct GlyphLayout {
  POINT glyphPos;
  RECT textBounds;
};

// Places a glyph and a caption of the given sizes inside `client`: centred across the
// layout direction; along it, `margin` from the edge and `spacing` apart, where -1 for
// either centres what it can. Right-to-left reading swaps left and right.
GlyphLayout CalcButtonLayout(const RECT& client, SIZE glyphSize, SIZE textSize,
                             TButtonLayout layout, int margin, int spacing, bool rightToLeft);

}  // namespace sx
