#include "framework/graphics/Colors.h"

#include <gtest/gtest.h>

#include "framework/graphics/Charsets.h"
#include "framework/graphics/Cursors.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/streaming/IdentMap.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

namespace sx {
namespace {

using GraphicsIdents = testing::GraphicsFixture;

TEST_F(GraphicsIdents, LowerCaseColorIdentifierFindsSystemColor) {
  EXPECT_EQ(IdentToColor("clbtnface"), std::optional<TColor>(static_cast<TColor>(0x8000000F)));
  EXPECT_EQ(IdentToColor("CLWINDOWTEXT"), std::optional<TColor>(static_cast<TColor>(0x80000008)));
}

TEST_F(GraphicsIdents, NoColorRowIsShadowedByAnEarlierOne) {
  ASSERT_EQ(ColorIdents().size(), 52u);
  for (const IdentEntry& row : ColorIdents()) {
    EXPECT_EQ(IdentToColor(row.ident), std::optional<TColor>(static_cast<TColor>(row.value)))
        << row.ident;
    EXPECT_EQ(ColorToIdent(static_cast<TColor>(row.value)), std::optional<std::string>(row.ident))
        << row.ident;
  }
}

TEST_F(GraphicsIdents, NoCharsetRowIsShadowedByAnEarlierOne) {
  ASSERT_EQ(CharsetIdents().size(), 18u);
  for (const IdentEntry& row : CharsetIdents()) {
    EXPECT_EQ(IdentToCharset(row.ident),
              std::optional<TFontCharset>(static_cast<TFontCharset>(row.value)));
    EXPECT_EQ(CharsetToIdent(static_cast<TFontCharset>(row.value)),
              std::optional<std::string>(row.ident));
  }
}

TEST_F(GraphicsIdents, CursorSizeReadsBackAsItsFirstName) {
  ASSERT_EQ(CursorIdents().size(), 22u);
  EXPECT_EQ(IdentToCursor("crsize"), std::optional<TCursor>(crSizeAll));
  EXPECT_EQ(CursorToIdent(static_cast<TCursor>(-22)), std::optional<std::string>("crSizeAll"));
  EXPECT_EQ(IdentToCursor("CRHANDPOINT"), std::optional<TCursor>(static_cast<TCursor>(-21)));
}

TEST_F(GraphicsIdents, UnknownIdentifierOrValueReportsFailure) {
  EXPECT_EQ(IdentToColor("clPink"), std::nullopt);
  EXPECT_EQ(IdentToColor(""), std::nullopt);
  EXPECT_EQ(ColorToIdent(static_cast<TColor>(0x123456)), std::nullopt);
  EXPECT_EQ(IdentToCharset("CYRILLIC_CHARSET"), std::nullopt);
  EXPECT_EQ(CharsetToIdent(static_cast<TFontCharset>(3)), std::nullopt);
  EXPECT_EQ(CursorToIdent(static_cast<TCursor>(-5)), std::nullopt);
}

TEST_F(GraphicsIdents, SpecialColorsPassThroughRGBConversion) {
  EXPECT_EQ(ColorToRGB(clNone), 0x1FFFFFFFu);
  EXPECT_EQ(ColorToRGB(clDefault), 0x20000000u);
  EXPECT_EQ(ColorToRGB(RGBColor(0x12, 0x34, 0x56)), 0x563412u);
}

TEST_F(GraphicsIdents, SystemColorConvertsThroughItsLowByteOnly) {
  EXPECT_EQ(ColorToRGB(clBtnShadow), fake.SystemColor(16));
  EXPECT_EQ(ColorToRGB(static_cast<TColor>(0x80000118)), fake.SystemColor(0x18));
}

TEST_F(GraphicsIdents, IdentMapsAreFoundByExactType) {
  InitGraphics();
  auto colors = FindIdentMap(TypeInfo_TColor);
  ASSERT_TRUE(colors);
  EXPECT_EQ(colors->toValue("clBtnFace"),
            std::optional<std::int32_t>(static_cast<std::int32_t>(0x8000000F)));
  EXPECT_EQ(colors->toIdent(0x1FFFFFFF), std::optional<std::string>("clNone"));

  auto charsets = FindIdentMap(TypeInfo_TFontCharset);
  ASSERT_TRUE(charsets);
  EXPECT_EQ(charsets->toValue("default_charset"), std::optional<std::int32_t>(1));

  auto cursors = FindIdentMap(TypeInfo_TCursor);
  ASSERT_TRUE(cursors);
  EXPECT_EQ(cursors->toValue("crHourGlass"), std::optional<std::int32_t>(-11));

  // Same representation, other type: no map.
  EXPECT_FALSE(FindIdentMap(TypeInfo_Integer));
  EXPECT_FALSE(FindIdentMap(TypeInfo_Byte));
  EXPECT_FALSE(FindIdentMap(TypeInfo_SmallInt));
}

TEST_F(GraphicsIdents, FontPropertiesDeclareTheirOwnTypes) {
  const ClassInfo& font = TFont::StaticClass;
  ASSERT_TRUE(font.FindProperty("Color"));
  EXPECT_EQ(font.FindProperty("Color")->type, &TypeInfo_TColor);
  EXPECT_EQ(font.FindProperty("Charset")->type, &TypeInfo_TFontCharset);
  EXPECT_EQ(font.FindProperty("Height")->type, &TypeInfo_Integer);
  EXPECT_EQ(font.FindProperty("Style")->type->kind, TypeKind::Set);
  EXPECT_EQ(font.FindProperty("Style")->type->elementType, &TypeInfo_TFontStyle);
  EXPECT_EQ(font.FindProperty("Pitch")->type->kind, TypeKind::Enumeration);
  EXPECT_EQ(font.FindProperty("Name")->type->kind, TypeKind::LString);
}

}  // namespace
}  // namespace sx
