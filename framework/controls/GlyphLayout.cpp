#include "framework/controls/GlyphLayout.h"

namespace sx {

GlyphLayout CalcButtonLayout(const RECT& client, SIZE glyphSize, SIZE textSize,
                             TButtonLayout layout, int margin, int spacing, bool rightToLeft) {
  if (rightToLeft) {
    if (layout == blGlyphLeft)
      layout = blGlyphRight;
    else if (layout == blGlyphRight)
      layout = blGlyphLeft;
  }
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;

  POINT glyph{0, 0};
  POINT text{0, 0};
  if (horizontal) {
    glyph.y = (height - glyphSize.cy + 1) / 2;
    text.y = (height - textSize.cy + 1) / 2;
  } else {
    glyph.x = (width - glyphSize.cx + 1) / 2;
    text.x = (width - textSize.cx + 1) / 2;
  }

  if (textSize.cx == 0 || glyphSize.cx == 0) spacing = 0;

  const int extent = horizontal ? width : height;
  const int glyphAlong = horizontal ? glyphSize.cx : glyphSize.cy;
  const int textAlong = horizontal ? textSize.cx : textSize.cy;
  if (margin == -1) {
    if (spacing == -1) {
      margin = (extent - (glyphAlong + textAlong)) / 3;
      spacing = margin;
    } else {
      margin = (extent - (glyphAlong + spacing + textAlong) + 1) / 2;
    }
  } else if (spacing == -1) {
    spacing = (extent - margin - glyphAlong - textAlong) / 2;
  }

  switch (layout) {
    case blGlyphLeft:
      glyph.x = margin;
      text.x = glyph.x + glyphSize.cx + spacing;
      break;
    case blGlyphRight:
      glyph.x = width - margin - glyphSize.cx;
      text.x = glyph.x - spacing - textSize.cx;
      break;
    case blGlyphTop:
      glyph.y = margin;
      text.y = glyph.y + glyphSize.cy + spacing;
      break;
    case blGlyphBottom:
      glyph.y = height - margin - glyphSize.cy;
      text.y = glyph.y - spacing - textSize.cy;
      break;
  }

  GlyphLayout result;
  result.glyphPos = POINT{glyph.x + client.left, glyph.y + client.top};
  result.textBounds = RECT{text.x + client.left, text.y + client.top,
                           text.x + client.left + textSize.cx, text.y + client.top + textSize.cy};
  return result;
}

}  // namespace sx
