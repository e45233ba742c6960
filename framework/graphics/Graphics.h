#pragma once

// The start-up of the graphics layer and the screen figures it reads once.

#include "framework/graphics/FontCache.h"

namespace sx {

// Graphics start-up: reads the screen's pixels per inch, builds the default font record,
// makes the font, pen and brush caches and registers the identifier maps of colours,
// character sets and cursors. Runs once; later calls do nothing. The two functions below
// (and so every new font) run it first themselves, so nothing depends on the order of the
// framework's start-up steps, as long as the system services are installed.
void InitGraphics();

// The screen's logical pixels per inch (vertically), as read at start-up.
int ScreenPixelsPerInch();

// The attributes of a new font.
const FontData& DefaultFontData();

}  // namespace sx
