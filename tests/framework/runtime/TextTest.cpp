#include <gtest/gtest.h>

#include "framework/runtime/Exception.h"
#include "framework/runtime/Format.h"
#include "framework/runtime/TextUtil.h"
#include "tests/support/FakeSystem.h"
#include "tests/support/Raised.h"

namespace sx {
namespace {

class TextTest : public ::testing::Test {
 protected:
  void SetUp() override { system_.Install(); }
  testing::FakeSystem system_;
};

TEST_F(TextTest, DecimalTextsConvertWithinTheThirtyTwoBitRange) {
  EXPECT_EQ(StrToInt("0"), 0);
  EXPECT_EQ(StrToInt("59"), 59);
  EXPECT_EQ(StrToInt("-7"), -7);
  EXPECT_EQ(StrToInt("+12"), 12);
  EXPECT_EQ(StrToInt("007"), 7);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
}

TEST_F(TextTest, TextThatIsNotADecimalIntegerRaisesTheConversionError) {
  for (const std::string text :
       {"abc", "", "-", "$A", "0x10", " 5", "5 ", "2147483648", "-2147483649"}) {
    EXPECT_EQ(testing::Raised([&] { StrToInt(text); }),
              "EConvertError: '" + text + "' is not a valid integer value");
  }
}

TEST_F(TextTest, FormatFillsTextsNumbersAndPaddedHexadecimals) {
  EXPECT_EQ(
      Format("Error reading %s%s%s: %s", {"Button1", ".", "OnClick", "Invalid property value"}),
      "Error reading Button1.OnClick: Invalid property value");
  EXPECT_EQ(Format("List index out of bounds (%d)", {-3}), "List index out of bounds (-3)");
  EXPECT_EQ(Format("Ostrel%.8X", {0x1A2Bu}), "Ostrel00001A2B");
  EXPECT_EQ(Format("%s_%d", {"Form1", 1}), "Form1_1");
  EXPECT_EQ(Format("100%%", {}), "100%");
  EXPECT_EQ(Format("[%5d|%-3s]", {42, "a"}), "[   42|a  ]");
}

TEST_F(TextTest, FormatRefusesADirectiveThatDoesNotMatchItsArgument) {
  // A replaced resource module could carry any format; it must never read what is not there.
  EXPECT_THROW(Format("%s", {42}), EConvertError);
  EXPECT_THROW(Format("%d", {"text"}), EConvertError);
  EXPECT_THROW(Format("%s %s", {"one"}), EConvertError);
  EXPECT_THROW(Format("%n", {1}), EConvertError);
  EXPECT_THROW(Format("trailing %", {}), EConvertError);
}

}  // namespace
}  // namespace sx
