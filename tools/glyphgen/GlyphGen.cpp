#include "tools/glyphgen/GlyphGen.h"

#include <map>
#include <sstream>

namespace glyphgen {
namespace {

constexpr std::uint8_t kBlack = 0;
constexpr std::uint8_t kOlive = 3;
constexpr std::uint8_t kGrey = 8;
constexpr std::uint8_t kWhite = 15;

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// Light colours vanish from a disabled picture, as they would on the button face.
bool IsDark(std::uint8_t index) {
  const std::uint32_t rgb = StandardPalette()[index];
  const unsigned r = (rgb >> 16) & 0xFF;
  const unsigned g = (rgb >> 8) & 0xFF;
  const unsigned b = rgb & 0xFF;
  return (r * 30 + g * 59 + b * 11) / 100 < 0xC0;
}

}  // namespace

const std::vector<std::uint32_t>& StandardPalette() {
  static const std::vector<std::uint32_t> palette{
      0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
      0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
  };
  return palette;
}

std::vector<Picture> Parse(std::istream& in) {
  std::map<char, std::uint8_t> colours;
  std::vector<Picture> pictures;
  Picture* open = nullptr;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (open && static_cast<int>(open->pixels.size()) < open->width * open->height) {
      if (static_cast<int>(line.size()) != open->width)
        throw SourceError(number, "row of " + std::to_string(line.size()) + " characters in a " +
                                      std::to_string(open->width) + "-pixel picture");
      for (char c : line) {
        const auto found = colours.find(c);
        if (found == colours.end())
          throw SourceError(number, std::string("character '") + c + "' is not in the palette");
        open->pixels.push_back(found->second);
      }
      continue;
    }
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string keyword;
    words >> keyword;
    if (keyword == "colour") {
      std::string character;
      std::string hex;
      words >> character >> hex;
      if (character.size() != 1 || hex.size() != 6)
        throw SourceError(number, "expected: colour <char> <RRGGBB>");
      const std::uint32_t rgb = static_cast<std::uint32_t>(std::stoul(hex, nullptr, 16));
      const auto& palette = StandardPalette();
      std::size_t index = 0;
      while (index < palette.size() && palette[index] != rgb)
        ++index;
      if (index == palette.size())
        throw SourceError(number, hex + " is not one of the 16 standard colours");
      if (character[0] == '.' && index != kOlive)
        throw SourceError(number, "the background '.' must be olive (808000)");
      colours[character[0]] = static_cast<std::uint8_t>(index);
    } else if (keyword == "glyph") {
      Picture picture;
      if (!(words >> picture.name >> picture.width >> picture.height) || picture.width <= 0 ||
          picture.height <= 0 || picture.width > 256 || picture.height > 256)
        throw SourceError(number, "expected: glyph <NAME> <width> <height>");
      if (!colours.count('.')) throw SourceError(number, "no background colour '.' defined");
      pictures.push_back(std::move(picture));
      open = &pictures.back();
    } else {
      throw SourceError(number, "unknown keyword '" + keyword + "'");
    }
  }
  if (open && static_cast<int>(open->pixels.size()) < open->width * open->height)
    throw SourceError(number, "picture " + open->name + " ends early");
  return pictures;
}

Picture WithDisabled(const Picture& normal) {
  Picture both;
  both.name = normal.name;
  both.width = normal.width * 2;
  both.height = normal.height;
  both.pixels.assign(static_cast<std::size_t>(both.width) * both.height, kOlive);
  const auto dark = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= normal.width || y >= normal.height) return false;
    const std::uint8_t c = normal.At(x, y);
    return c != kOlive && IsDark(c);
  };
  const auto set = [&](int x, int y, std::uint8_t c) {
    both.pixels[static_cast<std::size_t>(y) * both.width + x] = c;
  };
  for (int y = 0; y < normal.height; ++y)
    for (int x = 0; x < normal.width; ++x) {
      set(x, y, normal.At(x, y));
      if (dark(x, y)) {
        set(normal.width + x, y, kGrey);
      } else if (dark(x - 1, y - 1)) {
        set(normal.width + x, y, kWhite);
      }
    }
  return both;
}

std::vector<std::uint8_t> BitmapFile(const Picture& picture) {
  const std::uint32_t rowBytes = ((static_cast<std::uint32_t>(picture.width) * 4 + 31) / 32) * 4;
  const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(picture.height);
  constexpr std::uint32_t kHeaders = 14 + 40 + 16 * 4;
  std::vector<std::uint8_t> out;
  out.reserve(kHeaders + imageBytes);
  // File header.
  out.push_back('B');
  out.push_back('M');
  Put32(out, kHeaders + imageBytes);
  Put32(out, 0);
  Put32(out, kHeaders);
  // Information header: bottom-up rows, 4 bits, no compression, all 16 colours used.
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(picture.width));
  Put32(out, static_cast<std::uint32_t>(picture.height));
  Put16(out, 1);
  Put16(out, 4);
  Put32(out, 0);
  Put32(out, imageBytes);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 16);
  Put32(out, 16);
  for (std::uint32_t rgb : StandardPalette()) {
    out.push_back(static_cast<std::uint8_t>(rgb));
    out.push_back(static_cast<std::uint8_t>(rgb >> 8));
    out.push_back(static_cast<std::uint8_t>(rgb >> 16));
    out.push_back(0);
  }
  for (int y = picture.height - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(rowBytes, kBlack);
    for (int x = 0; x < picture.width; ++x) {
      const std::uint8_t index = picture.At(x, y);
      row[static_cast<std::size_t>(x / 2)] |=
          static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace glyphgen
