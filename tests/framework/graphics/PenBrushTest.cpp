#include "framework/graphics/PenBrush.h"

#include <gtest/gtest.h>

#include "tests/framework/graphics/GraphicsTestSupport.h"

namespace sx {
namespace {

using GraphicsPenBrush = testing::GraphicsFixture;

TEST(GraphicsPenBrushRecords, EncodeTheSixteenByteLayouts) {
  PenData pen{.color = clRed, .width = 3, .style = psDot};
  const std::array<std::uint8_t, 16> penBytes = {0, 0, 0, 0, 0xFF, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0};
  EXPECT_EQ(pen.Encode(), penBytes);
  EXPECT_EQ(PenData::Decode(penBytes), pen);

  BrushData brush{.color = clBtnFace, .style = bsCross};
  const std::array<std::uint8_t, 16> brushBytes = {0, 0, 0, 0, 0x0F, 0, 0, 0x80,
                                                   0, 0, 0, 0, 6,    0, 0, 0};
  EXPECT_EQ(brush.Encode(), brushBytes);
  EXPECT_EQ(BrushData::Decode(brushBytes), brush);
}

TEST_F(GraphicsPenBrush, EqualBrushesShareOneSystemBrush) {
  TBrush* a = Make<TBrush>();
  TBrush* b = Make<TBrush>();
  a->SetColor(clBtnFace);
  b->SetColor(clBtnFace);
  EXPECT_EQ(a->Handle(), b->Handle());
  ASSERT_EQ(fake.createdBrushes.size(), 1u);
  EXPECT_EQ(fake.createdBrushes[0].color, fake.SystemColor(15));
  EXPECT_EQ(fake.createdBrushes[0].style, bsSolid);
}

TEST_F(GraphicsPenBrush, LastBrushGoingDeletesTheSystemBrushOnce) {
  TBrush* a = Make<TBrush>();
  TBrush* b = Make<TBrush>();
  a->SetColor(clTeal);
  b->SetColor(clTeal);
  const BrushHandle handle = a->Handle();
  FreeNow(a);
  EXPECT_TRUE(fake.deletedObjects.empty());
  FreeNow(b);
  EXPECT_EQ(fake.deletedObjects, std::vector<std::uintptr_t>{handle});
}

TEST_F(GraphicsPenBrush, ColouringAClearBrushMakesItSolid) {
  TBrush* brush = Make<TBrush>();
  brush->SetStyle(bsClear);
  brush->SetColor(clYellow);
  EXPECT_EQ(brush->Style(), bsSolid);
  EXPECT_EQ(brush->Color(), clYellow);
}

TEST_F(GraphicsPenBrush, PenIsMadeWithTheRGBOfItsSystemColour) {
  TPen* pen = Make<TPen>();
  pen->SetColor(clBtnShadow);
  pen->SetWidth(2);
  pen->SetStyle(psDash);
  pen->Handle();
  ASSERT_EQ(fake.createdPens.size(), 1u);
  EXPECT_EQ(fake.createdPens[0].color, fake.SystemColor(16));
  EXPECT_EQ(fake.createdPens[0].width, 2);
  EXPECT_EQ(fake.createdPens[0].style, psDash);
}

TEST_F(GraphicsPenBrush, NegativePenWidthIsIgnored) {
  TPen* pen = Make<TPen>();
  pen->SetWidth(-4);
  EXPECT_EQ(pen->Width(), 1);
}

TEST_F(GraphicsPenBrush, SystemColourChangeRemakesOnlySystemColouredObjects) {
  TBrush* system = Make<TBrush>();
  system->SetColor(clBtnFace);
  TBrush* fixed = Make<TBrush>();
  fixed->SetColor(clRed);
  TPen* pen = Make<TPen>();
  pen->SetColor(clWindowText);
  const BrushHandle systemBefore = system->Handle();
  const BrushHandle fixedBefore = fixed->Handle();
  const PenHandle penBefore = pen->Handle();

  SystemColorsChanged();

  EXPECT_EQ(fake.deletedObjects.size(), 2u);
  EXPECT_NE(system->Handle(), systemBefore);
  EXPECT_NE(pen->Handle(), penBefore);
  EXPECT_EQ(fixed->Handle(), fixedBefore);
  EXPECT_EQ(fake.createdBrushes.size(), 3u);
}

}  // namespace
}  // namespace sx
