#include <gtest/gtest.h>

#include <sstream>

#include "tools/glyphgen/GlyphGen.h"

namespace glyphgen {
namespace {

std::vector<Picture> ParseText(const std::string& text) {
  std::istringstream in(text);
  return Parse(in);
}

const char kHeader[] =
    "colour . 808000\n"
    "colour K 000000\n"
    "colour W FFFFFF\n"
    "colour R FF0000\n";

std::uint32_t U32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
         (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

TEST(GlyphGenParseTest, ReadsPictureAsPaletteIndexes) {
  const auto pictures = ParseText(std::string(kHeader) + "glyph BBX 3 2\n.KR\nW..\n");
  ASSERT_EQ(pictures.size(), 1u);
  const Picture& p = pictures[0];
  EXPECT_EQ(p.name, "BBX");
  EXPECT_EQ(p.width, 3);
  EXPECT_EQ(p.height, 2);
  EXPECT_EQ(p.At(0, 0), 3);   // olive
  EXPECT_EQ(p.At(1, 0), 0);   // black
  EXPECT_EQ(p.At(2, 0), 9);   // red
  EXPECT_EQ(p.At(0, 1), 15);  // white
}

TEST(GlyphGenParseTest, RejectsFaultySources) {
  const struct {
    const char* what;
    std::string source;
    int line;  // where the fault is reported, when the case pins it
  } cases[] = {
      {"colour outside the standard sixteen", "colour . 808000\ncolour Q 123456\n", 0},
      {"background other than olive", "colour . 000000\n", 0},
      {"row of the wrong length", std::string(kHeader) + "glyph BBX 3 2\n.K\nW..\n", 6},
      {"unknown character", std::string(kHeader) + "glyph BBX 2 1\n.Z\n", 0},
      {"picture cut short", std::string(kHeader) + "glyph BBX 2 3\n..\n..\n", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      ParseText(c.source);
      ADD_FAILURE() << "accepted";
    } catch (const SourceError& error) {
      if (c.line != 0) {
        EXPECT_EQ(error.line, c.line);
      }
    }
  }
}

TEST(GlyphGenDisabledTest, DarkPixelsTurnGreyWithWhiteBelowRight) {
  const auto pictures = ParseText(std::string(kHeader) + "glyph BBX 3 3\nK..\n...\n...\n");
  const Picture both = WithDisabled(pictures[0]);
  ASSERT_EQ(both.width, 6);
  EXPECT_EQ(both.At(0, 0), 0);   // the normal picture unchanged
  EXPECT_EQ(both.At(3, 0), 8);   // grey
  EXPECT_EQ(both.At(4, 1), 15);  // white one down and right
  EXPECT_EQ(both.At(5, 2), 3);   // background elsewhere
}

TEST(GlyphGenDisabledTest, HighlightDoesNotCoverSymbol) {
  const auto pictures = ParseText(std::string(kHeader) + "glyph BBX 2 2\nK.\n.K\n");
  const Picture both = WithDisabled(pictures[0]);
  EXPECT_EQ(both.At(3, 1), 8);  // still grey, though (0, 0) casts its highlight there
}

TEST(GlyphGenDisabledTest, LightPixelsDropOut) {
  const auto pictures = ParseText(std::string(kHeader) + "glyph BBX 2 1\nWR\n");
  const Picture both = WithDisabled(pictures[0]);
  EXPECT_EQ(both.At(2, 0), 3);  // white: background
  EXPECT_EQ(both.At(3, 0), 8);  // red: grey
}

TEST(GlyphGenBitmapTest, HeadersDescribeSixteenColourBitmap) {
  const auto pictures = ParseText(std::string(kHeader) + "glyph BBX 3 2\n.KR\nW..\n");
  const auto bytes = BitmapFile(pictures[0]);
  ASSERT_GE(bytes.size(), 118u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(U32(bytes, 2), bytes.size());
  EXPECT_EQ(U32(bytes, 10), 118u);  // 14 + 40 + 16 palette entries
  EXPECT_EQ(U32(bytes, 18), 3u);
  EXPECT_EQ(U32(bytes, 22), 2u);
  EXPECT_EQ(bytes[28], 4);         // bits per pixel
  EXPECT_EQ(U32(bytes, 46), 16u);  // colours used
  // Palette entry 3, olive, as blue, green, red, 0.
  EXPECT_EQ(U32(bytes, 54 + 3 * 4), 0x00808000u);
}

TEST(GlyphGenBitmapTest, RowsAreBottomUpPaddedToFourBytes) {
  const auto pictures = ParseText(std::string(kHeader) + "glyph BBX 3 2\n.KR\nW..\n");
  const auto bytes = BitmapFile(pictures[0]);
  ASSERT_EQ(bytes.size(), 118u + 2 * 4);
  // Bottom row first: white, olive, olive -> F3 30 (padding 00 00).
  EXPECT_EQ(bytes[118], 0xF3);
  EXPECT_EQ(bytes[119], 0x30);
  EXPECT_EQ(bytes[120], 0x00);
  // Then the top row: olive, black, red -> 30 90.
  EXPECT_EQ(bytes[122], 0x30);
  EXPECT_EQ(bytes[123], 0x90);
}

}  // namespace
}  // namespace glyphgen
