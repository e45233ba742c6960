#pragma once

// glyphgen: turns the text source of the button glyphs into 16-colour bitmap files.

#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace glyphgen {

// A source line that cannot be read.
struct SourceError : std::runtime_error {
  SourceError(int line, const std::string& message)
      : std::runtime_error("line " + std::to_string(line) + ": " + message), line(line) {}
  int line;
};

// One picture: palette indexes (into the 16 standard colours), top row first.
struct Picture {
  std::string name;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;

  std::uint8_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The 16 standard colours, as 0xRRGGBB, in palette order.
const std::vector<std::uint32_t>& StandardPalette();

// Reads every glyph block of a source. Raises SourceError.
std::vector<Picture> Parse(std::istream& in);

// The normal picture with its disabled picture to its right: dark pixels of the symbol turn
// grey, white goes one pixel down and right of each where the symbol leaves the background,
// light pixels drop out. Background is palette index of olive.
Picture WithDisabled(const Picture& normal);

// A bitmap file of 4 bits per pixel with the standard palette.
std::vector<std::uint8_t> BitmapFile(const Picture& picture);

}  // namespace glyphgen
