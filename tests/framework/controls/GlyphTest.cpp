#include "framework/controls/ButtonGlyph.h"
#include "framework/controls/GlyphCache.h"
#include "framework/controls/GlyphLayout.h"
#include "framework/controls/GlyphList.h"
#include "tests/framework/controls/ButtonTestSupport.h"
#include "tests/support/WindowQueries.h"

namespace sx::testing {
namespace {

// --- Layout arithmetic --------------------------------------------------------------------------

struct LayoutCase {
  const char* name;
  RECT client;
  SIZE glyph;
  SIZE text;
  TButtonLayout layout;
  int margin;
  int spacing;
  bool rightToLeft;
  POINT glyphAt;
  RECT textAt;
};

class GlyphLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(GlyphLayoutTest, GlyphAndCaptionStandWhereTheDivisionsPutThem) {
  const LayoutCase& c = GetParam();
  const GlyphLayout layout =
      CalcButtonLayout(c.client, c.glyph, c.text, c.layout, c.margin, c.spacing, c.rightToLeft);
  EXPECT_EQ(layout.glyphPos.x, c.glyphAt.x);
  EXPECT_EQ(layout.glyphPos.y, c.glyphAt.y);
  EXPECT_EQ(BoundsOf(layout.textBounds), BoundsOf(c.textAt));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GlyphLayoutTest,
    ::testing::Values(
        // 71 x 21 at (2, 2); total 18 + 4 + 29 = 51; margin (71 - 51 + 1) div 2 = 10;
        // glyph y (21 - 18 + 1) div 2 = 2, text y (21 - 13 + 1) div 2 = 4.
        LayoutCase{"CentredPairWithGivenSpacing",
                   {2, 2, 73, 23},
                   {18, 18},
                   {29, 13},
                   blGlyphLeft,
                   -1,
                   4,
                   false,
                   {12, 4},
                   {34, 6, 63, 19}},
        // Spacing (60 - 3 - 16 - 20) div 2 = 10; glyph x 60 - 3 - 16 = 41; text x 41 - 10 - 20
        // = 11.
        LayoutCase{"GivenMarginCentresCaptionInRest",
                   {0, 0, 60, 20},
                   {16, 16},
                   {20, 10},
                   blGlyphRight,
                   3,
                   -1,
                   false,
                   {41, 2},
                   {11, 5, 31, 15}},
        // Margin = spacing = (50 - 16 - 12) div 3 = 7; across: glyph x (40 - 16 + 1) div 2 =
        // 12, text x (40 - 30 + 1) div 2 = 5.
        LayoutCase{"BothFreeSplitsRestInThree",
                   {0, 0, 40, 50},
                   {16, 16},
                   {30, 12},
                   blGlyphTop,
                   -1,
                   -1,
                   false,
                   {12, 7},
                   {5, 30, 35, 42}},
        // No caption, so no spacing; margin (10 - 16 + 1) div 2 = -2 (not -3); glyph y
        // 10 + 2 - 16 = -4; the empty caption sits at x (16 - 0 + 1) div 2 = 8, y -4.
        LayoutCase{"NegativeRoomTruncatesTowardZero",
                   {0, 0, 16, 10},
                   {16, 16},
                   {0, 0},
                   blGlyphBottom,
                   -1,
                   4,
                   false,
                   {0, -4},
                   {8, -4, 8, -4}},
        // Margin (50 - 0 - 0 - 20 + 1) div 2 = 15: the caption alone is centred.
        LayoutCase{"MissingGlyphDropsSpacing",
                   {0, 0, 50, 20},
                   {0, 0},
                   {20, 10},
                   blGlyphLeft,
                   -1,
                   4,
                   false,
                   {15, 10},
                   {15, 5, 35, 15}},
        // As blGlyphRight: margin (71 - 51 + 1) div 2 = 10; glyph x 71 - 10 - 18 = 43;
        // text x 43 - 4 - 29 = 10.
        LayoutCase{"RightToLeftPutsGlyphRight",
                   {0, 0, 71, 21},
                   {18, 18},
                   {29, 13},
                   blGlyphLeft,
                   -1,
                   4,
                   true,
                   {43, 2},
                   {10, 4, 39, 17}}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return info.param.name; });

// --- Glyph lists and the cache ------------------------------------------------------------------

using GlyphCacheTest = ButtonsTest;
using DisabledGlyphTest = ButtonsTest;

TBitmap* SolidBitmap(int width, int height, TColor colour) {
  TBitmap* bitmap = New<TBitmap>();
  bitmap->SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      bitmap->SetPixel(x, y, colour);
  // Something besides the transparent colour, so that the picture is not empty.
  bitmap->SetPixel(1, 1, clRed);
  return bitmap;
}

TEST_F(GlyphCacheTest, GlyphsOfOneSizeShareOneList) {
  TBitmap* big = SolidBitmap(18, 18, clOlive);
  TBitmap* small = SolidBitmap(16, 16, clOlive);
  auto* first = New<TButtonGlyph>();
  auto* second = New<TButtonGlyph>();
  auto* third = New<TButtonGlyph>();
  first->SetGlyph(big);
  second->SetGlyph(big);
  third->SetGlyph(small);
  EXPECT_GE(first->CreateButtonGlyph(gsUp), 0);
  EXPECT_GE(second->CreateButtonGlyph(gsUp), 0);
  EXPECT_GE(third->CreateButtonGlyph(gsUp), 0);

  EXPECT_EQ(first->List(), second->List());
  EXPECT_NE(first->List(), third->List());
  ASSERT_NE(GlyphCache(), nullptr);
  EXPECT_EQ(GlyphCache()->ListCount(), 2);
  EXPECT_EQ(first->List()->Count(), 2);

  Free(first);
  Free(second);
  Free(third);
  Free(big);
  Free(small);
}

TEST_F(GlyphCacheTest, ListGoesWithItsLastImage) {
  TBitmap* picture = SolidBitmap(18, 18, clOlive);
  auto* keeper = New<TButtonGlyph>();  // keeps the cache alive
  auto* first = New<TButtonGlyph>();
  auto* second = New<TButtonGlyph>();
  first->SetGlyph(picture);
  second->SetGlyph(picture);
  first->CreateButtonGlyph(gsUp);
  second->CreateButtonGlyph(gsUp);

  first->Invalidate();
  EXPECT_EQ(GlyphCache()->ListCount(), 1);
  second->Invalidate();
  EXPECT_EQ(GlyphCache()->ListCount(), 0);

  Free(first);
  Free(second);
  Free(keeper);
  Free(picture);
}

TEST_F(GlyphCacheTest, CacheGoesWithLastGlyphHolder) {
  auto* first = New<TButtonGlyph>();
  auto* second = New<TButtonGlyph>();
  EXPECT_NE(GlyphCache(), nullptr);
  Free(first);
  EXPECT_NE(GlyphCache(), nullptr);
  Free(second);
  EXPECT_EQ(GlyphCache(), nullptr);
}

TEST_F(GlyphCacheTest, FreedSlotIsReusedBeforeListGrows) {
  auto* list = New<TGlyphList>(4, 4);
  const HDC screen = GetDC(nullptr);
  const HBITMAP image = CreateCompatibleBitmap(screen, 4, 4);
  const HBITMAP mask = CreateBitmap(4, 4, 1, 1, nullptr);
  ReleaseDC(nullptr, screen);

  EXPECT_EQ(list->Add(image, mask), 0);
  EXPECT_EQ(list->Add(image, mask), 1);
  list->Delete(0);
  EXPECT_EQ(list->Count(), 1);
  EXPECT_EQ(list->Add(image, mask), 0);
  EXPECT_EQ(list->Count(), 2);
  EXPECT_EQ(ImageList_GetImageCount(list->Handle()), 2);

  DeleteObject(image);
  DeleteObject(mask);
  Free(list);
}

TEST_F(GlyphCacheTest, EmptyGlyphBuildsNothing) {
  auto* glyph = New<TButtonGlyph>();
  EXPECT_EQ(glyph->CreateButtonGlyph(gsUp), -1);
  EXPECT_EQ(glyph->List(), nullptr);
  Free(glyph);
}

TEST_F(GlyphCacheTest, PressedWithoutOwnPictureUsesNormalImage) {
  TBitmap* picture = SolidBitmap(36, 18, clOlive);
  auto* glyph = New<TButtonGlyph>();
  glyph->SetGlyph(picture);
  glyph->SetNumGlyphs(2);
  EXPECT_EQ(glyph->CreateButtonGlyph(gsDown), glyph->CreateButtonGlyph(gsUp));
  Free(glyph);
  Free(picture);
}

// --- Disabled images ----------------------------------------------------------------------------

// Draws one built image on black, with the list's own call, and reads it back.
Picture DrawImage(TButtonGlyph& glyph, GlyphState state, int width, int height) {
  const int index = glyph.CreateButtonGlyph(state);
  if (index < 0) return Picture{};
  return Draw(width, height, RGB(0, 0, 0),
              [&](HDC dc) { glyph.List()->Draw(dc, index, 0, 0, clBtnFace); });
}

TEST_F(DisabledGlyphTest, SecondPictureTakesSystemColours) {
  TBitmap* picture = New<TBitmap>();
  picture->SetSize(8, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x)
      picture->SetPixel(x, y, clOlive);
  picture->SetPixel(4, 0, clWhite);
  picture->SetPixel(5, 0, clGray);
  picture->SetPixel(6, 0, clRed);
  auto* glyph = New<TButtonGlyph>();
  glyph->SetGlyph(picture);
  glyph->SetNumGlyphs(2);

  const Picture drawn = DrawImage(*glyph, gsDisabled, 4, 4);
  ASSERT_EQ(drawn.width, 4);
  EXPECT_EQ(drawn.At(0, 0), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(drawn.At(1, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(drawn.At(2, 0), static_cast<COLORREF>(clRed));
  EXPECT_EQ(drawn.At(3, 0), ColorToRGB(clBtnFace));
  EXPECT_EQ(drawn.At(0, 3), ColorToRGB(clBtnFace));
  Free(glyph);
  Free(picture);
}

TEST_F(DisabledGlyphTest, SinglePictureIsEmbossed) {
  TBitmap* picture = New<TBitmap>();
  picture->SetSize(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      picture->SetPixel(x, y, clOlive);
  picture->SetPixel(1, 1, clNavy);
  auto* glyph = New<TButtonGlyph>();
  glyph->SetGlyph(picture);

  const Picture drawn = DrawImage(*glyph, gsDisabled, 4, 4);
  ASSERT_EQ(drawn.width, 4);
  EXPECT_EQ(drawn.At(1, 1), ColorToRGB(clBtnShadow));
  EXPECT_EQ(drawn.At(2, 2), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(drawn.At(0, 0), ColorToRGB(clBtnFace));
  EXPECT_EQ(drawn.At(3, 3), ColorToRGB(clBtnFace));
  Free(glyph);
  Free(picture);
}

TEST_F(DisabledGlyphTest, ChangingNumGlyphsRebuildsImages) {
  TBitmap* picture = SolidBitmap(36, 18, clOlive);
  auto* glyph = New<TButtonGlyph>();
  glyph->SetGlyph(picture);
  glyph->CreateButtonGlyph(gsUp);
  ASSERT_NE(glyph->List(), nullptr);
  EXPECT_EQ(glyph->List()->Width(), 36);
  glyph->SetNumGlyphs(2);
  EXPECT_EQ(glyph->List(), nullptr);
  glyph->CreateButtonGlyph(gsUp);
  EXPECT_EQ(glyph->List()->Width(), 18);
  Free(glyph);
  Free(picture);
}

}  // namespace
}  // namespace sx::testing
