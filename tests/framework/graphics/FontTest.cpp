#include "framework/graphics/Font.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MulDiv.h"
#include "framework/graphics/PenBrush.h"
#include "framework/runtime/Exception.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

namespace sx {
namespace {

// Counts the change notifications of the fonts it listens to.
class ChangeCounter : public TObject {
 public:
  void Changed(TObject* sender) {
    ++count;
    last = sender;
    if (raise) throw std::runtime_error("listener failed");
  }
  int count = 0;
  TObject* last = nullptr;
  bool raise = false;
};

class GraphicsFont : public testing::GraphicsFixture {
 protected:
  TFont* NewFont() { return Make<TFont>(); }
  TFont* Listened(TFont* font) {
    font->SetOnChange(MakeEvent<&ChangeCounter::Changed>(&counter));
    return font;
  }

  ChangeCounter counter;
};

TEST(GraphicsMulDiv, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(MulDiv(3, 1, 2), 2);
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);
  EXPECT_EQ(MulDiv(3, -1, 2), -2);
  EXPECT_EQ(MulDiv(-3, -1, -2), -2);
  EXPECT_EQ(MulDiv(-11, 120, 96), -14);  // -13.75
  EXPECT_EQ(MulDiv(10, 1, 3), 3);
}

TEST(GraphicsMulDiv, ProductBeyondThirtyTwoBitsIsExact) {
  EXPECT_EQ(MulDiv(100000, 100000, 100000), 100000);
  EXPECT_EQ(MulDiv(-2147483647 - 1, 1, 1), -2147483647 - 1);
}

TEST(GraphicsMulDiv, ZeroDivisorOrOverflowGivesMinusOne) {
  EXPECT_EQ(MulDiv(5, 5, 0), -1);
  EXPECT_EQ(MulDiv(2147483647, 2, 1), -1);
}

TEST(GraphicsDefaultFont, HeightIsEightPointsAtTheScreenResolution) {
  EXPECT_EQ(MakeDefaultFontData(96).height, -11);
  EXPECT_EQ(MakeDefaultFontData(120).height, -13);
  EXPECT_EQ(MakeDefaultFontData(144).height, -16);
  EXPECT_EQ(MakeDefaultFontData(96).name, "MS Sans Serif");
}

TEST_F(GraphicsFont, NewFontHasDefaultAttributes) {
  TFont* font = NewFont();
  EXPECT_EQ(font->Height(), -MulDiv(8, ScreenPixelsPerInch(), 72));
  EXPECT_EQ(font->Name(), "MS Sans Serif");
  EXPECT_EQ(font->Charset(), charsets::Default);
  EXPECT_EQ(font->Color(), clWindowText);
  EXPECT_TRUE(font->Style().Empty());
  EXPECT_EQ(font->Pitch(), fpDefault);
  EXPECT_EQ(font->PixelsPerInch(), ScreenPixelsPerInch());
}

TEST_F(GraphicsFont, EqualFontsShareOneSystemFont) {
  TFont* a = NewFont();
  TFont* b = NewFont();
  a->SetHeight(-11);
  b->SetHeight(-11);
  EXPECT_EQ(a->Handle(), b->Handle());
  EXPECT_EQ(fake.createdFonts.size(), 1u);
}

TEST_F(GraphicsFont, ChangingOneFontsHeightLeavesTheOtherAlone) {
  TFont* a = NewFont();
  TFont* b = NewFont();
  const FontHandle shared = b->Handle();
  a->SetHeight(-14);
  EXPECT_NE(a->Handle(), shared);
  EXPECT_EQ(b->Handle(), shared);
  EXPECT_EQ(b->Height(), MakeDefaultFontData(ScreenPixelsPerInch()).height);
  ASSERT_EQ(fake.createdFonts.size(), 2u);
  EXPECT_EQ(fake.createdFonts[1].height, -14);
  EXPECT_TRUE(fake.deletedFonts.empty());
}

TEST_F(GraphicsFont, FontNamedDefaultIsMadeWithTheDefaultName) {
  TFont* font = NewFont();
  font->SetName("default");
  font->Handle();
  ASSERT_EQ(fake.createdFonts.size(), 1u);
  EXPECT_EQ(fake.createdFonts[0].faceName, "MS Sans Serif");
  EXPECT_EQ(font->Name(), "default");
}

TEST_F(GraphicsFont, SystemFontCarriesEveryAttribute) {
  TFont* font = NewFont();
  font->SetName("Courier New");
  font->SetHeight(-13);
  font->SetStyle({fsBold, fsItalic, fsUnderline, fsStrikeOut});
  font->SetPitch(fpFixed);
  font->SetCharset(charsets::Russian);
  font->Handle();
  ASSERT_EQ(fake.createdFonts.size(), 1u);
  const FontRequest& made = fake.createdFonts[0];
  EXPECT_EQ(made.faceName, "Courier New");
  EXPECT_EQ(made.height, -13);
  EXPECT_TRUE(made.bold && made.italic && made.underline && made.strikeOut);
  EXPECT_EQ(made.pitch, 2);
  EXPECT_EQ(made.charset, 204);
}

TEST_F(GraphicsFont, SizeRoundsToTheNearestPoint) {
  TFont* font = NewFont();
  font->SetPixelsPerInch(96);
  font->SetHeight(-11);
  EXPECT_EQ(font->Size(), 8);
  font->SetPixelsPerInch(120);
  EXPECT_EQ(font->Size(), 7);  // 6.6
  EXPECT_EQ(font->Height(), -11);
}

TEST_F(GraphicsFont, SettingSizeGivesTheRoundedHeight) {
  TFont* font = NewFont();
  font->SetPixelsPerInch(120);
  font->SetSize(8);
  EXPECT_EQ(font->Height(), -13);  // 13.33
  font->SetPixelsPerInch(96);
  font->SetSize(9);
  EXPECT_EQ(font->Height(), -12);
}

TEST_F(GraphicsFont, NonPositivePixelsPerInchIsIgnored) {
  TFont* font = NewFont();
  font->SetPixelsPerInch(96);
  font->SetPixelsPerInch(0);
  font->SetPixelsPerInch(-96);
  EXPECT_EQ(font->PixelsPerInch(), 96);
}

TEST_F(GraphicsFont, ExtremeSizesDoNotOverflow) {
  TFont* font = NewFont();
  font->SetPixelsPerInch(72);
  font->SetSize(-2147483647 - 1);
  EXPECT_EQ(font->Height(), 2147483647);
  font->SetHeight(-2147483647 - 1);
  EXPECT_EQ(font->Size(), 2147483647);
}

TEST_F(GraphicsFont, UnchangedAttributeDoesNotNotify) {
  TFont* font = Listened(NewFont());
  font->SetHeight(font->Height());
  font->SetName(font->Name());
  font->SetColor(font->Color());
  font->SetStyle(font->Style());
  EXPECT_EQ(counter.count, 0);
}

TEST_F(GraphicsFont, EachChangedAttributeNotifiesOnce) {
  TFont* font = Listened(NewFont());
  font->SetHeight(-20);
  EXPECT_EQ(counter.count, 1);
  EXPECT_EQ(counter.last, font);
  font->SetColor(clRed);
  EXPECT_EQ(counter.count, 2);
  font->SetName("Arial");
  EXPECT_EQ(counter.count, 3);
}

TEST_F(GraphicsFont, EmptyNameLeavesTheFontUnchanged) {
  TFont* font = Listened(NewFont());
  font->SetName("");
  EXPECT_EQ(font->Name(), "MS Sans Serif");
  EXPECT_EQ(counter.count, 0);
}

TEST_F(GraphicsFont, LongNameIsCutToThirtyOneCharacters) {
  TFont* font = NewFont();
  font->SetName(std::string(31, 'a') + "bcdef");
  EXPECT_EQ(font->Name(), std::string(31, 'a'));
}

TEST_F(GraphicsFont, LastFontGoingDeletesTheSystemFontOnce) {
  TFont* a = NewFont();
  TFont* b = NewFont();
  const FontHandle handle = a->Handle();
  FreeNow(a);
  EXPECT_TRUE(fake.deletedFonts.empty());
  FreeNow(b);
  EXPECT_EQ(fake.deletedFonts, std::vector<FontHandle>{handle});
}

TEST_F(GraphicsFont, TakenSystemFontIsKeptSharedAndDeletedOnceWithTheLastHolder) {
  const FontHandle taken = 0x7777;
  FontData description = MakeDefaultFontData(96);
  description.name = "Tahoma";
  description.height = -12;
  TFont* font = Listened(NewFont());
  font->TakeHandle(taken, description);
  EXPECT_EQ(counter.count, 1);
  EXPECT_EQ(font->Handle(), taken);
  EXPECT_EQ(font->Name(), "Tahoma");
  EXPECT_EQ(font->Height(), -12);
  TFont* alike = NewFont();
  alike->SetDescription(description);
  EXPECT_NE(alike->Handle(), taken) << "a font of the same attributes is not the taken one";
  TFont* sharer = NewFont();
  sharer->Assign(font);
  EXPECT_EQ(sharer->Handle(), taken);

  font->SetHeight(-13);
  EXPECT_NE(font->Handle(), taken);
  EXPECT_TRUE(fake.deletedFonts.empty()) << "the sharer still holds it";
  FreeNow(sharer);
  EXPECT_EQ(std::count(fake.deletedFonts.begin(), fake.deletedFonts.end(), taken), 1);
}

TEST_F(GraphicsFont, FailingListenerStillGivesTheOldRecordBack) {
  const std::size_t records = FontResources().RecordCount();
  TFont* font = Listened(NewFont());
  font->SetName("Unshared Name");
  const FontHandle unshared = font->Handle();
  counter.raise = true;
  EXPECT_THROW(font->SetHeight(-40), std::runtime_error);
  EXPECT_EQ(font->Height(), -40);
  EXPECT_EQ(fake.deletedFonts, std::vector<FontHandle>{unshared});
  FreeNow(font);
  EXPECT_EQ(FontResources().RecordCount(), records);
}

TEST_F(GraphicsFont, AssignAtSameResolutionSharesTheSystemFont) {
  TFont* source = NewFont();
  source->SetName("Tahoma");
  source->SetColor(clNavy);
  TFont* target = Listened(NewFont());
  target->Assign(source);
  EXPECT_EQ(target->Name(), "Tahoma");
  EXPECT_EQ(target->Color(), clNavy);
  EXPECT_EQ(target->Handle(), source->Handle());
  EXPECT_EQ(fake.createdFonts.size(), 1u);
  EXPECT_EQ(counter.count, 2);  // the record, then the colour
}

TEST_F(GraphicsFont, AssignAcrossResolutionsKeepsThePointSize) {
  TFont* source = NewFont();
  source->SetPixelsPerInch(96);
  source->SetHeight(-11);
  TFont* target = NewFont();
  target->SetPixelsPerInch(120);
  target->Assign(source);
  EXPECT_EQ(target->Size(), 8);
  EXPECT_EQ(target->Height(), -13);
  EXPECT_EQ(source->Height(), -11);
}

TEST_F(GraphicsFont, AssignFromAnotherKindIsRefused) {
  EXPECT_THROW(NewFont()->Assign(Make<TBrush>()), EConvertError);
}

TEST_F(GraphicsFont, PublishedPropertiesSetTheFontAsTheLoaderDoes) {
  TFont* font = NewFont();
  const ClassInfo& info = font->ClassType();
  info.FindProperty("height")->set(*font, PropValue{std::int64_t{-14}});
  info.FindProperty("Name")->set(*font, PropValue{std::string("Arial")});
  info.FindProperty("Color")->set(*font,
                                  PropValue{std::int64_t{static_cast<std::int32_t>(0x80000008)}});
  info.FindProperty("Charset")->set(*font, PropValue{std::int64_t{204}});
  info.FindProperty("Style")->set(*font, PropValue{std::int64_t{0b11}});
  EXPECT_EQ(font->Height(), -14);
  EXPECT_EQ(font->Name(), "Arial");
  EXPECT_EQ(font->Color(), clWindowText);
  EXPECT_EQ(font->Charset(), charsets::Russian);
  EXPECT_EQ(font->Style(), (TFontStyles{fsBold, fsItalic}));
  EXPECT_EQ(std::get<std::int64_t>(info.FindProperty("Size")->Get(*font)),
            -MulDiv(-14, 72, font->PixelsPerInch()));
}

}  // namespace
}  // namespace sx
