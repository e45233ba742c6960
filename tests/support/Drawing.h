#pragma once

// Pictures of what controls draw, read back from a memory bitmap, and text measured the way
// the window system measures it: what the painting tests compare with.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/controls/WinControl.h"
#include "framework/graphics/Font.h"

namespace sx::testing {

// One COLORREF per pixel, top row first.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;

  COLORREF At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
  int Count(COLORREF color) const;
  int Count(COLORREF color, RECT within) const;
  // Where the block first appears inside the rectangle, scanning rows top-down; {-1, -1}
  // when it does not.
  POINT Find(const Picture& block, RECT within) const;
};

// Runs `draw` on a memory context of that size, filled with `background` beforehand, and
// reads back what it drew.
Picture Draw(int width, int height, COLORREF background, const std::function<void(HDC)>& draw);
// The client area as the control paints it on WM_PAINT with a memory context in WParam.
Picture PaintIntoMemory(TWinControl* control, COLORREF background);
// The client area as the control's window prints it on WM_PRINTCLIENT, on black.
Picture PrintClient(TWinControl* control);

// DrawText's measurement of the text in the font: the rectangle (0, 0, width, 0) as
// DT_CALCRECT leaves it. `count` -1 measures up to the terminating zero.
RECT MeasureText(const TFont* font, const std::string& text, UINT flags, int width = 0,
                 int count = -1);

}  // namespace sx::testing
