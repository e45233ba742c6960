// glyphgen: writes the button glyphs of a source as 16-colour bitmap files.
//
//   glyphgen SOURCE.glyph OUTDIR           writes OUTDIR/<NAME>.bmp for every glyph
//   glyphgen --check SOURCE.glyph OUTDIR   exits 1 when a file there differs from the source
//
// The bitmaps are kept in the repository beside their source; --check keeps them honest.

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/glyphgen/GlyphGen.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  bool check = false;
  if (!args.empty() && args[0] == "--check") {
    check = true;
    args.erase(args.begin());
  }
  if (args.size() != 2) {
    std::cerr << "usage: glyphgen [--check] SOURCE.glyph OUTDIR\n";
    return 2;
  }
  std::ifstream source(args[0]);
  if (!source) {
    std::cerr << "glyphgen: cannot read " << args[0] << "\n";
    return 2;
  }
  std::vector<glyphgen::Picture> pictures;
  try {
    pictures = glyphgen::Parse(source);
  } catch (const glyphgen::SourceError& error) {
    std::cerr << args[0] << ": " << error.what() << "\n";
    return 2;
  }
  int stale = 0;
  for (const auto& picture : pictures) {
    const std::vector<std::uint8_t> bytes = glyphgen::BitmapFile(glyphgen::WithDisabled(picture));
    const std::string path = args[1] + "/" + picture.name + ".bmp";
    if (check) {
      std::ifstream existing(path, std::ios::binary);
      const std::vector<std::uint8_t> old((std::istreambuf_iterator<char>(existing)),
                                          std::istreambuf_iterator<char>());
      if (old != bytes) {
        std::cerr << path << " differs from " << args[0] << "\n";
        ++stale;
      }
      continue;
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::cerr << "glyphgen: cannot write " << path << "\n";
      return 2;
    }
  }
  return stale == 0 ? 0 : 1;
}
