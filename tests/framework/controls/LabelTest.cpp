// Labels: their defaults, how they size themselves to the caption and how they draw it.

#include "framework/controls/Label.h"
#include "tests/framework/forms/FormsTestSupport.h"
#include "tests/support/Drawing.h"
#include "tests/support/StreamBuilder.h"

namespace sx::testing {
namespace {

class LabelTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    form_ = New<TTestForm>(Application);
    form_->ChangeBounds(0, 0, 400, 300);
    form_->SetColor(clBtnFace);
    label_ = New<TLabel>(form_);
    label_->SetParentControl(form_);
  }

  // The size DrawText gives the text in the label's font (without word breaks: one line
  // per line of the text).
  SIZE Measured(const std::string& text, UINT flags = DT_EXPANDTABS) const {
    const RECT rect = MeasureText(label_->Font(), text, flags);
    return SIZE{rect.right, rect.bottom};
  }

  // Stores a label at (100, 10, 200, 50), right-aligned, with its caption and, when asked,
  // AutoSize off after the caption.
  static void DefineLabelForm(bool autoSizeOff) {
    StreamBuilder b;
    b.Signature().Object("TLabelForm", "LabelForm");
    b.Name("Scaled").False();
    b.End();
    b.Object("TLabel", "Label1");
    b.Name("Left").Int(100).Name("Top").Int(10).Name("Width").Int(200).Name("Height").Int(50);
    b.Name("Alignment").Ident("taRightJustify");
    b.Name("Caption").String("Ready");
    if (autoSizeOff) b.Name("AutoSize").False();
    b.End().End();
    b.End();
    Services().Add("TLabelForm", b.Bytes());
  }

  TTestForm* form_ = nullptr;
  TLabel* label_ = nullptr;
};

TEST_F(LabelTest, NewLabelHasTheDocumentedDefaults) {
  EXPECT_EQ(label_->Width(), 65);
  EXPECT_EQ(label_->Height(), 17);
  EXPECT_TRUE(label_->AutoSize());
  EXPECT_TRUE(label_->ShowAccelChar());
  EXPECT_FALSE(label_->Transparent());
  EXPECT_TRUE(label_->ControlStyleOf().Contains(ControlStyle::Opaque));
  EXPECT_TRUE(label_->ControlStyleOf().Contains(ControlStyle::Replicatable));
  EXPECT_EQ(label_->Alignment(), taLeftJustify);
  EXPECT_EQ(label_->Layout(), tlTop);
  EXPECT_FALSE(label_->WordWrap());
  EXPECT_EQ(label_->Caption(), "");
}

TEST_F(LabelTest, EmptyAutoSizedLabelIsOneLineHighAndASpaceWide) {
  label_->SetAutoSize(false);
  label_->SetAutoSize(true);  // switching it on measures at once
  const SIZE space = Measured(" ");
  EXPECT_GT(space.cy, 0);
  EXPECT_EQ(label_->Width(), space.cx);
  EXPECT_EQ(label_->Height(), space.cy);
}

TEST_F(LabelTest, CaptionChangeResizesToTheCaption) {
  label_->SetCaption("Countdown finished");
  const SIZE size = Measured("Countdown finished");
  EXPECT_EQ(label_->Width(), size.cx);
  EXPECT_EQ(label_->Height(), size.cy);
  label_->SetCaption("line one\r\nline two");
  const SIZE twoLines = Measured("line one\r\nline two");
  EXPECT_EQ(label_->Height(), twoLines.cy);
  EXPECT_GT(twoLines.cy, size.cy);
}

TEST_F(LabelTest, AmpersandIsNotMeasuredUnlessAccelCharsAreOff) {
  label_->SetCaption("&Start");
  EXPECT_EQ(label_->Width(), Measured("Start", DT_EXPANDTABS | DT_NOPREFIX).cx);
  label_->SetShowAccelChar(false);
  label_->SetCaption("&Start again");
  EXPECT_EQ(label_->Width(), Measured("&Start again", DT_EXPANDTABS | DT_NOPREFIX).cx);
}

TEST_F(LabelTest, LoneAmpersandStillMeasuresOneLine) {
  label_->SetCaption("&");
  const SIZE space = Measured(" ");
  EXPECT_EQ(label_->Height(), space.cy);
  EXPECT_EQ(label_->Width(), space.cx);
}

TEST_F(LabelTest, AutoSizeOffKeepsTheBounds) {
  label_->SetAutoSize(false);
  label_->ChangeBounds(10, 20, 30, 40);
  label_->SetCaption("A caption much wider than thirty pixels");
  EXPECT_EQ(label_->Width(), 30);
  EXPECT_EQ(label_->Height(), 40);
}

TEST_F(LabelTest, WordWrapKeepsTheWidthAndTakesTheWrappedHeight) {
  label_->SetAutoSize(false);
  label_->ChangeBounds(10, 10, 120, 17);
  label_->SetWordWrap(true);
  label_->SetAutoSize(true);
  const std::string text = "one two three four five six seven eight nine ten eleven";
  label_->SetCaption(text);
  EXPECT_EQ(label_->Width(), 120);
  const RECT wrapped = MeasureText(label_->Font(), text, DT_WORDBREAK | DT_EXPANDTABS, 120);
  EXPECT_EQ(label_->Height(), wrapped.bottom);
  EXPECT_GE(label_->Height(), 3 * Measured("one").cy) << "the text wraps into several lines";
}

TEST_F(LabelTest, RightAlignedLabelGrowsToTheLeft) {
  label_->SetAlignment(taRightJustify);
  label_->SetCaption("Go");
  label_->SetLeft(300 - label_->Width());
  ASSERT_EQ(label_->Left() + label_->Width(), 300);
  label_->SetCaption("A much longer caption");
  EXPECT_EQ(label_->Width(), Measured("A much longer caption").cx);
  EXPECT_EQ(label_->Left() + label_->Width(), 300) << "the right edge stays";
}

TEST_F(LabelTest, FontChangeResizes) {
  label_->SetCaption("Sonderix");
  const int before = label_->Height();
  label_->Font()->SetHeight(-30);
  EXPECT_EQ(label_->Height(), Measured("Sonderix").cy);
  EXPECT_GT(label_->Height(), before);
}

TEST_F(LabelTest, WordWrapChangeRefits) {
  label_->SetCaption("alpha beta");
  const SIZE oneLine = Measured("alpha beta");
  label_->SetAutoSize(false);
  label_->ChangeBounds(0, 0, Measured("alpha").cx + 2, 5);
  label_->SetWordWrap(true);
  label_->SetAutoSize(true);
  ASSERT_EQ(label_->Height(), 2 * oneLine.cy) << "wrapped at the width it had";
  label_->SetWordWrap(false);
  EXPECT_EQ(label_->Height(), oneLine.cy);
  EXPECT_EQ(label_->Width(), oneLine.cx);
}

// A form whose stored definition holds a label.
class TLabelForm : public TForm {
  SX_CLASS(TLabelForm)

  explicit TLabelForm(TComponent* owner) : TForm(owner) {}
  TLabel* Label1 = nullptr;
};
constinit const ClassInfo* const kLabelFormFieldClasses[] = {&TLabel::StaticClass};
constinit const FieldInfo kLabelFormFields[] = {Field<&TLabelForm::Label1>("Label1")};
constinit const ClassInfo TLabelForm::StaticClass{
    .name = "TLabelForm",
    .parent = &TForm::StaticClass,
    .construct = &ConstructComponent<TLabelForm>,
    .fields = kLabelFormFields,
    .fieldClasses = kLabelFormFieldClasses,
};

TEST_F(LabelTest, LabelReadFromADefinitionIsFittedOnceEverythingIsRead) {
  DefineLabelForm(false);
  auto* form = New<TLabelForm>(Application);
  ASSERT_NE(form->Label1, nullptr);
  const SIZE size = Measured("Ready");
  EXPECT_EQ(form->Label1->Width(), size.cx);
  EXPECT_EQ(form->Label1->Height(), size.cy);
  EXPECT_EQ(form->Label1->Left() + form->Label1->Width(), 300) << "the stored right edge";
  EXPECT_EQ(form->Label1->Parent(), form);
}

TEST_F(LabelTest, LabelIsNotFittedWhileItIsRead) {
  // AutoSize is still on when the caption is read; only switched off afterwards.
  DefineLabelForm(true);
  auto* form = New<TLabelForm>(Application);
  ASSERT_NE(form->Label1, nullptr);
  EXPECT_EQ(form->Label1->Left(), 100);
  EXPECT_EQ(form->Label1->Width(), 200);
  EXPECT_EQ(form->Label1->Height(), 50);
}

// --- Drawing --------------------------------------------------------------------------------

class LabelDrawingTest : public LabelTest {
 protected:
  void SetUp() override {
    LabelTest::SetUp();
    label_->Font()->SetHeight(-24);
    label_->SetCaption("HIM");
    label_->SetLeft(20);
    label_->SetTop(20);
    form_->HandleNeeded();
  }

  static constexpr COLORREF kBackground = RGB(1, 2, 3);
};

TEST_F(LabelDrawingTest, EnabledCaptionIsDrawnOnceInTheFontColour) {
  label_->Font()->SetColor(clBlack);
  const Picture picture = PaintIntoMemory(form_, kBackground);
  EXPECT_GT(picture.Count(RGB(0, 0, 0)), 0);
  EXPECT_EQ(picture.Count(GetSysColor(COLOR_BTNHIGHLIGHT)), 0);
  EXPECT_EQ(picture.At(label_->Left(), label_->Top()), GetSysColor(COLOR_BTNFACE))
      << "an opaque label fills its background with its colour";
}

TEST_F(LabelDrawingTest, DisabledCaptionIsEmbossedHighlightBelowRightShadowInPlace) {
  label_->Font()->SetColor(clBlack);
  const Picture enabled = PaintIntoMemory(form_, kBackground);
  label_->SetEnabled(false);
  const Picture disabled = PaintIntoMemory(form_, kBackground);

  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  ASSERT_NE(shadow, highlight);
  int glyphPixels = 0;
  int highlightPixels = 0;
  for (int y = 1; y < enabled.height; ++y)
    for (int x = 1; x < enabled.width; ++x) {
      const bool glyph = enabled.At(x, y) == RGB(0, 0, 0);
      if (glyph) {
        ++glyphPixels;
        EXPECT_EQ(disabled.At(x, y), shadow) << "shadow in place at " << x << "," << y;
      } else if (disabled.At(x, y) == highlight) {
        ++highlightPixels;
        EXPECT_EQ(enabled.At(x - 1, y - 1), RGB(0, 0, 0))
            << "highlight only one pixel below and right of the glyph at " << x << "," << y;
      }
    }
  EXPECT_GT(glyphPixels, 0);
  EXPECT_GT(highlightPixels, 0);
}

TEST_F(LabelDrawingTest, TransparentLabelLeavesTheBackgroundAlone) {
  label_->SetTransparent(true);
  EXPECT_FALSE(label_->ControlStyleOf().Contains(ControlStyle::Opaque));
  const Picture picture = PaintIntoMemory(form_, kBackground);
  EXPECT_EQ(picture.At(label_->Left(), label_->Top()), kBackground);
  EXPECT_EQ(picture.Count(GetSysColor(COLOR_BTNFACE)), 0);
}

TEST_F(LabelDrawingTest, BottomLayoutMovesTheTextDown) {
  label_->Font()->SetColor(clBlack);
  label_->SetAutoSize(false);
  label_->SetHeight(label_->Height() + 60);
  const auto firstInkRow = [&](const Picture& picture) {
    for (int y = 0; y < picture.height; ++y)
      for (int x = 0; x < picture.width; ++x)
        if (picture.At(x, y) == RGB(0, 0, 0)) return y;
    return -1;
  };
  const int top = firstInkRow(PaintIntoMemory(form_, kBackground));
  label_->SetLayout(tlBottom);
  const int bottom = firstInkRow(PaintIntoMemory(form_, kBackground));
  label_->SetLayout(tlCenter);
  const int centre = firstInkRow(PaintIntoMemory(form_, kBackground));
  ASSERT_GE(top, 0);
  EXPECT_EQ(bottom - top, 60);
  EXPECT_EQ(centre - top, 30);
}

TEST_F(LabelDrawingTest, RightAlignmentDrawsAgainstTheRightEdge) {
  label_->Font()->SetColor(clBlack);
  label_->SetAutoSize(false);
  label_->SetWidth(label_->Width() + 100);
  const auto lastInkColumn = [&](const Picture& picture) {
    for (int x = picture.width - 1; x >= 0; --x)
      for (int y = 0; y < picture.height; ++y)
        if (picture.At(x, y) == RGB(0, 0, 0)) return x;
    return -1;
  };
  const int left = lastInkColumn(PaintIntoMemory(form_, kBackground));
  label_->SetAlignment(taRightJustify);
  const int right = lastInkColumn(PaintIntoMemory(form_, kBackground));
  EXPECT_EQ(right - left, 100);
}

}  // namespace
}  // namespace sx::testing
