// The canvas over a borrowed device context: the system pens, brushes and fonts it selects
// must never be stranded in the context when the canvas changes them.

#include "framework/controls/Canvas.h"

#include "tests/framework/forms/FormsTestSupport.h"

namespace sx::testing {
namespace {

class CanvasTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    dc_ = CreateCompatibleDC(nullptr);
    canvas_ = New<TCanvas>();
    canvas_->SetHandle(dc_);
  }
  void TearDown() override {
    FreeAndNil(canvas_);
    DeleteDC(dc_);
    FormsTest::TearDown();
  }

  HDC dc_ = nullptr;
  TCanvas* canvas_ = nullptr;
};

// Colours and sizes no other object of the process uses, so that the canvas holds the only
// reference to each system object and a change gives that object back.

TEST_F(CanvasTest, ReplacedPenIsNotLeftSelectedToLeak) {
  canvas_->Pen()->SetColor(RGBColor(1, 2, 3));
  canvas_->Rectangle(0, 0, 4, 4);
  const HGDIOBJ used = GetCurrentObject(dc_, OBJ_PEN);
  canvas_->Pen()->SetColor(RGBColor(4, 5, 6));
  EXPECT_EQ(GetObjectType(used), 0u) << "the old pen was still selected when it was deleted";
  canvas_->Rectangle(0, 0, 4, 4);
  EXPECT_NE(GetCurrentObject(dc_, OBJ_PEN), used);
}

TEST_F(CanvasTest, ReplacedBrushIsNotLeftSelectedToLeak) {
  canvas_->Brush()->SetColor(RGBColor(7, 8, 9));
  canvas_->Rectangle(0, 0, 4, 4);
  const HGDIOBJ used = GetCurrentObject(dc_, OBJ_BRUSH);
  canvas_->Brush()->SetColor(RGBColor(10, 11, 12));
  EXPECT_EQ(GetObjectType(used), 0u) << "the old brush was still selected when it was deleted";
}

TEST_F(CanvasTest, ReplacedFontIsNotLeftSelectedToLeak) {
  canvas_->Font()->SetHeight(-37);
  canvas_->TextExtent("W");
  const HGDIOBJ used = GetCurrentObject(dc_, OBJ_FONT);
  canvas_->Font()->SetHeight(-39);
  EXPECT_EQ(GetObjectType(used), 0u) << "the old font was still selected when it was deleted";
  const SIZE size = canvas_->TextExtent("W");
  EXPECT_GT(size.cy, 37) << "the new font is taken for the next text";
}

TEST_F(CanvasTest, DetachingAfterChangesGivesTheContextItsOwnObjectsBack) {
  const HGDIOBJ pen = GetCurrentObject(dc_, OBJ_PEN);
  const HGDIOBJ brush = GetCurrentObject(dc_, OBJ_BRUSH);
  const HGDIOBJ font = GetCurrentObject(dc_, OBJ_FONT);
  canvas_->Pen()->SetColor(RGBColor(13, 14, 15));
  canvas_->Rectangle(0, 0, 4, 4);
  canvas_->TextExtent("W");
  canvas_->Pen()->SetColor(RGBColor(16, 17, 18));
  canvas_->Font()->SetHeight(-41);
  canvas_->Rectangle(0, 0, 4, 4);
  canvas_->TextExtent("W");
  canvas_->SetHandle(nullptr);
  EXPECT_EQ(GetCurrentObject(dc_, OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(dc_, OBJ_BRUSH), brush);
  EXPECT_EQ(GetCurrentObject(dc_, OBJ_FONT), font);
}

}  // namespace
}  // namespace sx::testing
