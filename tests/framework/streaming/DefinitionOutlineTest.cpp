#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>

#include "framework/streaming/DefinitionOutline.h"
#include "tests/framework/streaming/StreamingTestSupport.h"
#include "tests/support/Raised.h"

namespace sx::testing {
namespace {

using DefinitionOutlineTest = ReaderFixture;

// Events and two states decide; everything else (captions, places, fonts) is free.
bool Deciding(std::string_view path) {
  return path.starts_with("On") || path == "Enabled" || path == "TabOrder";
}

// A form with a panel holding a button, and a timer: the parts of a definition a language
// changes, and the parts it must keep. Each change applies to the bytes as they are built.
struct Changes {
  std::string caption = "Caption";
  std::string formClass = "TForm1";
  std::string buttonName = "Button1";
  std::string handler = "Button1Click";
  bool timerEnabled = false;
  bool enabledBeforeTabOrder = false;  // the button's deciding entries in the other order
  bool buttonBesidePanel = false;      // the button a child of the form, not of the panel
  int left = 8;
};

std::vector<std::uint8_t> Definition(const Changes& c = {}) {
  StreamBuilder b;
  b.Signature().Object(c.formClass, "Form1");
  b.Name("Caption").String(c.caption).Name("Font.Height").Int(-11).End();
  b.Object("TPanel", "Panel1").Name("Left").Int(c.left).End();
  auto button = [&] {
    b.Object("TButton", c.buttonName).Name("Caption").Utf8String(c.caption);
    if (c.enabledBeforeTabOrder)
      b.Name("Enabled").True().Name("TabOrder").Int(0);
    else
      b.Name("TabOrder").Int(0).Name("Enabled").True();
    b.Name("OnClick").Ident(c.handler).End().End();
  };
  if (!c.buttonBesidePanel) button();
  b.End();
  if (c.buttonBesidePanel) button();
  b.Object("TTimer", "Timer1").Name("Enabled");
  if (c.timerEnabled)
    b.True();
  else
    b.False();
  b.Name("OnTimer").Ident("Timer1Timer").End().End();
  b.End();
  return b.Bytes();
}

std::vector<ComponentOutline> Outline(const Changes& changes = {}) {
  return OutlineDefinition(Definition(changes), &Deciding);
}

TEST_F(DefinitionOutlineTest, ListsComponentsInStreamOrderWithTheirDecidingEntriesAsStored) {
  const std::vector<ComponentOutline> outline = Outline();
  ASSERT_EQ(outline.size(), 4u);
  const std::vector<std::tuple<int, std::string, std::string>> expected = {
      {0, "TFORM1", "FORM1"},
      {1, "TPANEL", "PANEL1"},
      {2, "TBUTTON", "BUTTON1"},
      {1, "TTIMER", "TIMER1"}};
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(
        std::tie(outline[i].depth, outline[i].className, outline[i].name),
        std::tie(std::get<0>(expected[i]), std::get<1>(expected[i]), std::get<2>(expected[i])))
        << i;
  EXPECT_TRUE(outline[0].entries.empty()) << "the form's caption and font decide nothing";
  const std::vector<OutlineEntry> button = {
      {"TABORDER", {TagInt8, 0}},
      {"ENABLED", {TagTrue}},
      {"ONCLICK", {TagIdent, 12, 'B', 'u', 't', 't', 'o', 'n', '1', 'C', 'l', 'i', 'c', 'k'}}};
  EXPECT_EQ(outline[2].entries, button);
}

// What a language may change leaves the outline as it is; what decides behaviour does not.
struct Difference {
  const char* name;
  std::function<void(Changes&)> change;
  bool same;
};

class OutlineDifference : public DefinitionOutlineTest,
                          public ::testing::WithParamInterface<Difference> {};

TEST_P(OutlineDifference, ComparesAsExpected) {
  Changes changed;
  GetParam().change(changed);
  EXPECT_EQ(Outline(changed) == Outline(), GetParam().same);
}

INSTANTIATE_TEST_SUITE_P(
    All, OutlineDifference,
    ::testing::Values(
        Difference{"OtherCaptions", [](Changes& c) { c.caption = "Beschriftung"; }, true},
        Difference{"OtherPlaces", [](Changes& c) { c.left = 300; }, true},
        Difference{"NamesInOtherLetterCase", [](Changes& c) { c.buttonName = "BUTTON1"; }, true},
        Difference{"EventBoundToAnotherHandler", [](Changes& c) { c.handler = "Button3Click"; },
                   false},
        Difference{"DecidingValueChanged", [](Changes& c) { c.timerEnabled = true; }, false},
        Difference{"DecidingEntriesInAnotherOrder",
                   [](Changes& c) { c.enabledBeforeTabOrder = true; }, false},
        Difference{"ComponentRenamed", [](Changes& c) { c.buttonName = "Button2"; }, false},
        Difference{"ComponentOfAnotherClass", [](Changes& c) { c.formClass = "TForm2"; }, false},
        Difference{"ComponentMovedToAnotherParent", [](Changes& c) { c.buttonBesidePanel = true; },
                   false}),
    [](const ::testing::TestParamInfo<Difference>& info) { return std::string(info.param.name); });

TEST_F(DefinitionOutlineTest, DefinitionThatIsNotWellFormedRaisesAsReadingWould) {
  std::vector<std::uint8_t> cut = Definition();
  cut.resize(cut.size() - 3);
  EXPECT_EQ(Raised([&] { OutlineDefinition(cut, &Deciding); }), kStreamReadError);

  std::vector<std::uint8_t> unsigned_ = Definition();
  unsigned_[0] = 'X';
  EXPECT_EQ(Raised([&] { OutlineDefinition(unsigned_, &Deciding); }), kInvalidFormat);
}

}  // namespace
}  // namespace sx::testing
