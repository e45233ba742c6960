#include "framework/runtime/Win32SystemServices.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/runtime/ResourceModule.h"
#include "tests/framework/runtime/RuntimeTestIds.h"

namespace sx {
namespace {

SystemServices& InstalledServices() {
  InstallWin32SystemServices();
  return System();
}

class Win32SystemServicesTest : public ::testing::Test {
 protected:
  void SetUp() override { ForgetResourceModules(); }
  void TearDown() override { ForgetResourceModules(); }

  SystemServices& system = InstalledServices();
  ModuleId main = system.MainModule();
};

std::string LongText() {
  std::string text;
  for (int i = 0; i < 150; ++i)
    text += "0123456789";
  return text;
}

std::string AsText(std::optional<std::span<const std::uint8_t>> bytes) {
  if (!bytes) return "(none)";
  return std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size());
}

TEST_F(Win32SystemServicesTest, LongTextIsCutAt1023Characters) {
  EXPECT_EQ(system.LoadText(main, SX_TEST_LONG_TEXT), LongText().substr(0, 1023));
}

TEST_F(Win32SystemServicesTest, MissingTextIsEmpty) {
  EXPECT_EQ(system.LoadText(main, SX_TEST_FIXTURE_ONLY_TEXT), "");
}

TEST_F(Win32SystemServicesTest, IdBeyondSixteenBitsDoesNotWrapToAnotherText) {
  EXPECT_EQ(system.LoadText(main, 0x10000 + SX_TEST_OWN_TEXT), "");
  EXPECT_EQ(system.LoadText(main, -1), "");
}

TEST_F(Win32SystemServicesTest, ResourceNameLetterCaseIsIgnored) {
  EXPECT_EQ(AsText(system.FindRcData(main, "SxProbe")), "own");
  EXPECT_EQ(AsText(system.FindRcData(main, "sxprobe")), "own");
  EXPECT_EQ(AsText(system.FindRcData(main, "SXPROBE")), "own");
}

TEST_F(Win32SystemServicesTest, MissingResourceGivesNothing) {
  EXPECT_FALSE(system.FindRcData(main, "NoSuchForm").has_value());
  EXPECT_FALSE(system.FindRcData(main, "").has_value());
}

TEST_F(Win32SystemServicesTest, CyrillicRoundTripsThroughTheAnsiCodePage) {
  if (GetACP() != 1251) GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 1251";
  const std::string ansi = "\xCF\xF3\xF1\xEA \xB8\xA8 \xB9";  // "Пуск ёЁ №"
  const std::u16string wide = u"\u041F\u0443\u0441\u043A \u0451\u0401 \u2116";
  EXPECT_EQ(system.AnsiToWide(ansi), wide);
  EXPECT_EQ(system.WideToAnsi(wide), ansi);
}

TEST_F(Win32SystemServicesTest, UnrepresentableCharacterBecomesTheSystemReplacement) {
  CPINFO info = {};
  ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
  const std::string replacement(1, static_cast<char>(info.DefaultChar[0]));
  EXPECT_EQ(system.WideToAnsi(u"a\u65E5b"), "a" + replacement + "b");
}

// What the system made of the request; the font itself is deleted again.
LOGFONTA Made(SystemServices& system, const FontRequest& request) {
  const FontHandle font = system.MakeFont(request);
  EXPECT_NE(font, 0u);
  LOGFONTA described = {};
  GetObjectA(reinterpret_cast<HFONT>(font), sizeof described, &described);
  system.DeleteFont(font);
  return described;
}

TEST_F(Win32SystemServicesTest, FontRequestReachesTheSystemFont) {
  FontRequest request;
  request.height = -11;
  request.bold = true;
  request.italic = true;
  request.underline = true;
  request.strikeOut = true;
  request.charset = RUSSIAN_CHARSET;
  request.pitch = 2;
  request.faceName = "MS Sans Serif";
  const LOGFONTA made = Made(system, request);
  EXPECT_EQ(made.lfHeight, -11);
  EXPECT_EQ(made.lfWidth, 0);
  EXPECT_EQ(made.lfWeight, FW_BOLD);
  EXPECT_TRUE(made.lfItalic);
  EXPECT_TRUE(made.lfUnderline);
  EXPECT_TRUE(made.lfStrikeOut);
  EXPECT_EQ(made.lfCharSet, RUSSIAN_CHARSET);
  EXPECT_EQ(made.lfPitchAndFamily, FIXED_PITCH);
  EXPECT_STREQ(made.lfFaceName, "MS Sans Serif");
}

TEST_F(Win32SystemServicesTest, PlainVariablePitchFontIsNormalWeight) {
  FontRequest request;
  request.height = -13;
  request.pitch = 1;
  request.faceName = "Arial";
  const LOGFONTA made = Made(system, request);
  EXPECT_EQ(made.lfWeight, FW_NORMAL);
  EXPECT_FALSE(made.lfItalic);
  EXPECT_EQ(made.lfPitchAndFamily, VARIABLE_PITCH);
}

TEST_F(Win32SystemServicesTest, OverlongFaceNameIsCutToTheSystemLimit) {
  FontRequest request;
  request.faceName = std::string(40, 'x');
  const LOGFONTA made = Made(system, request);
  EXPECT_EQ(std::string(made.lfFaceName), std::string(LF_FACESIZE - 1, 'x'));
}

TEST_F(Win32SystemServicesTest, TextHeightGrowsWithTheFont) {
  FontRequest small;
  small.height = -11;
  small.faceName = "Arial";
  FontRequest large = small;
  large.height = -40;
  const FontHandle smallFont = system.MakeFont(small);
  const FontHandle largeFont = system.MakeFont(large);
  const int smallHeight = system.TextHeight(smallFont, "0");
  const int largeHeight = system.TextHeight(largeFont, "0");
  system.DeleteFont(smallFont);
  system.DeleteFont(largeFont);
  EXPECT_GE(smallHeight, 11);
  EXPECT_GE(largeHeight, 40);
  EXPECT_GT(largeHeight, smallHeight);
}

TEST_F(Win32SystemServicesTest, PenRequestReachesTheSystemPen) {
  const PenHandle pen = system.MakePen(PenRequest{.style = 2, .width = 3, .color = 0x123456});
  ASSERT_NE(pen, 0u);
  LOGPEN made = {};
  GetObjectA(reinterpret_cast<HPEN>(pen), sizeof made, &made);
  system.DeleteObject(pen);
  EXPECT_EQ(made.lopnStyle, static_cast<UINT>(PS_DOT));
  EXPECT_EQ(made.lopnWidth.x, 3);
  EXPECT_EQ(made.lopnColor, 0x123456u);
}

LOGBRUSH DescribeBrush(BrushHandle brush) {
  LOGBRUSH described = {};
  GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof described, &described);
  return described;
}

TEST_F(Win32SystemServicesTest, BrushStylesMapToSolidHollowAndHatches) {
  const BrushHandle solid = system.MakeBrush(BrushRequest{.style = 0, .color = 0x00FF00});
  const BrushHandle hollow = system.MakeBrush(BrushRequest{.style = 1, .color = 0});
  const BrushHandle cross = system.MakeBrush(BrushRequest{.style = 7, .color = 0x0000FF});
  const LOGBRUSH solidMade = DescribeBrush(solid);
  const LOGBRUSH hollowMade = DescribeBrush(hollow);
  const LOGBRUSH crossMade = DescribeBrush(cross);
  for (BrushHandle brush : {solid, hollow, cross})
    system.DeleteObject(brush);
  EXPECT_EQ(solidMade.lbStyle, static_cast<UINT>(BS_SOLID));
  EXPECT_EQ(solidMade.lbColor, 0x00FF00u);
  EXPECT_EQ(hollowMade.lbStyle, static_cast<UINT>(BS_HOLLOW));
  EXPECT_EQ(crossMade.lbStyle, static_cast<UINT>(BS_HATCHED));
  EXPECT_EQ(crossMade.lbHatch, static_cast<ULONG_PTR>(HS_DIAGCROSS));
  EXPECT_EQ(crossMade.lbColor, 0x0000FFu);
}

}  // namespace
}  // namespace sx
