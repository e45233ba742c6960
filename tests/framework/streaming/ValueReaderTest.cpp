#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/framework/streaming/StreamingTestSupport.h"

namespace sx::testing {
namespace {

using ValueReaderTest = ValueReaderFixture;

// --- Integers -----------------------------------------------------------------------------

TEST_F(ValueReaderTest, SmallIntegersAreSignExtended) {
  auto& r = Open({TagInt8, 0xF5, TagInt16, 0xFF, 0xFF, TagInt8, 0x7F, TagInt16, 0x55, 0x01});
  EXPECT_EQ(r.ReadIntValue(), -11);
  EXPECT_EQ(r.ReadIntValue(), -1);
  EXPECT_EQ(r.ReadIntValue(), 127);
  EXPECT_EQ(r.ReadIntValue(), 341);
}

TEST_F(ValueReaderTest, Int32IsReadLittleEndian) {
  auto& r = Open(StreamBuilder().Int32(-123456789).Int32(0x7FFFFFFF));
  EXPECT_EQ(r.ReadIntValue(), -123456789);
  EXPECT_EQ(r.ReadIntValue(), 0x7FFFFFFF);
}

TEST_F(ValueReaderTest, Int64ReadsItsOwnTagAndSignExtendsSmallerOnes) {
  auto& r = Open(StreamBuilder().Int64(-5000000000LL).Int16(-300));
  EXPECT_EQ(r.ReadInt64Value(), -5000000000LL);
  EXPECT_EQ(r.ReadInt64Value(), -300);
}

TEST_F(ValueReaderTest, CurrencyIsTheRawScaledValueOrAnIntegerTimes10000) {
  auto& r = Open(StreamBuilder().Currency(12345).Int8(-3).Int32(0x7FFFFFFF));
  EXPECT_EQ(r.ReadCurrencyValue(), 12345);
  EXPECT_EQ(r.ReadCurrencyValue(), -30000);
  EXPECT_EQ(r.ReadCurrencyValue(), 0x7FFFFFFFLL * 10000);
}

TEST_F(ValueReaderTest, SingleAndDateReadTheirBitsOrConvertAnInteger) {
  auto& r = Open(StreamBuilder().Single(1.5f).Int8(-4).Date(36526.25).Int16(1000));
  EXPECT_EQ(r.ReadSingleValue(), 1.5f);
  EXPECT_EQ(r.ReadSingleValue(), -4.0f);
  EXPECT_EQ(r.ReadDateValue(), 36526.25);
  EXPECT_EQ(r.ReadDateValue(), 1000.0);
}

TEST_F(ValueReaderTest, ExtendedReadsTenBytesOrConvertsAnIntegerExactly) {
  auto& r = Open(StreamBuilder().Extended(0xC000000000000000ULL, 0x3FFF).Int16(-300));
  EXPECT_EQ(r.ReadExtendedValue().ToDouble(), 1.5);
  const Extended80 converted = r.ReadExtendedValue();
  EXPECT_EQ(converted.ToDouble(), -300.0);
  const Extended80 expected = Extended80::FromInt(-300);
  EXPECT_TRUE(std::equal(std::begin(converted.bytes), std::end(converted.bytes),
                         std::begin(expected.bytes)));
}

// --- Booleans and identifiers -------------------------------------------------------------

TEST_F(ValueReaderTest, BoolIsTrueOnlyForTagTrue) {
  auto& r = Open({TagTrue, TagFalse, TagNil});
  EXPECT_TRUE(r.ReadBoolValue());
  EXPECT_FALSE(r.ReadBoolValue());
  EXPECT_FALSE(r.ReadBoolValue());
}

TEST_F(ValueReaderTest, BoolOverAnIntegerLeavesThePayloadUnread) {
  auto& r = Open({TagInt8, 0x01});
  EXPECT_FALSE(r.ReadBoolValue());
  EXPECT_EQ(r.Position(), 1);
  EXPECT_EQ(r.ReadTag(), 0x01);
}

TEST_F(ValueReaderTest, IdentValueNamesTheConstantTags) {
  auto& r = Open(StreamBuilder().Ident("clBtnFace").False().True().Nil().Null());
  EXPECT_EQ(r.ReadIdentValue(), "clBtnFace");
  EXPECT_EQ(r.ReadIdentValue(), "False");
  EXPECT_EQ(r.ReadIdentValue(), "True");
  EXPECT_EQ(r.ReadIdentValue(), "nil");
  EXPECT_EQ(r.ReadIdentValue(), "Null");
}

// --- Texts --------------------------------------------------------------------------------

TEST_F(ValueReaderTest, EightBitTextsAreTakenAsStored) {
  auto& r = Open(StreamBuilder().String("Sonderix").LString("\xCF\xF3\xF1\xEA").String(""));
  EXPECT_EQ(r.ReadTextValue(), "Sonderix");
  EXPECT_EQ(r.ReadTextValue(), "\xCF\xF3\xF1\xEA");
  EXPECT_EQ(r.ReadTextValue(), "");
}

TEST_F(ValueReaderTest, WideAndUtf8TextsArriveInTheAnsiCodePage) {
  auto& r = Open(StreamBuilder()
                     .Utf8String("\xD0\x9F\xD1\x83\xD1\x81\xD0\xBA")
                     .WString(u"\u041F\u0443\u0441\u043A"));
  EXPECT_EQ(r.ReadTextValue(), "\xCF\xF3\xF1\xEA");  // "Пуск" in code page 1251
  EXPECT_EQ(r.ReadTextValue(), "\xCF\xF3\xF1\xEA");
}

TEST_F(ValueReaderTest, CharactersOutsideTheCodePageBecomeTheReplacement) {
  auto& r = Open(StreamBuilder().WString(u"a\u4E2Db"));
  EXPECT_EQ(r.ReadTextValue(), "a?b");
}

TEST_F(ValueReaderTest, EightBitTextsAreWidenedFromTheAnsiCodePage) {
  auto& r = Open(StreamBuilder().String("\xC0z").LString("\xFF"));
  EXPECT_EQ(r.ReadWideTextValue(), u"\u0410z");
  EXPECT_EQ(r.ReadWideTextValue(), u"\u044F");
}

TEST_F(ValueReaderTest, WideTextUnitsAreTakenAsStored) {
  auto& r = Open(StreamBuilder().WString(u"\u4E2D\xD800x"));
  EXPECT_EQ(r.ReadWideTextValue(), u"\u4E2D\xD800x");
}

TEST_F(ValueReaderTest, Utf8DecodesOneTwoAndThreeByteSequences) {
  auto& r = Open(StreamBuilder().Utf8String("A\xD0\x96\xE2\x82\xAC"));
  EXPECT_EQ(r.ReadWideTextValue(), u"A\u0416\u20AC");
}

TEST_F(ValueReaderTest, MalformedUtf8IsReadAsEmptyText) {
  const char* const cases[] = {
      "ab\xBF",            // a stray continuation byte
      "\x80z",             // a continuation byte first
      "x\xD0\x41y",        // a lead byte without its continuation
      "\xE2\x82\xC0",      // a bad last continuation byte
      "ok\xE2\x82",        // a sequence cut by the end of the value
      "\xF0\x9F\x98\x80",  // four-byte sequences are not decoded
  };
  for (const char* utf8 : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(utf8)));
    auto& r = Open(StreamBuilder().Utf8String(utf8).Utf8String(utf8).Byte(kNext));
    EXPECT_EQ(r.ReadWideTextValue(), u"");
    EXPECT_EQ(r.ReadTextValue(), "");
    EXPECT_EQ(r.ReadTag(), kNext);
  }
}

TEST_F(ValueReaderTest, CharValueIsTheOneCharacterOfAText) {
  auto& r = Open(StreamBuilder().String("&").Utf8String("\xD0\xAF"));
  EXPECT_EQ(r.ReadCharValue(), '&');
  EXPECT_EQ(r.ReadCharValue(), '\xDF');  // "Я" in code page 1251
}

// --- Negative and oversized lengths -------------------------------------------------------

TEST_F(ValueReaderTest, NegativeLengthsAreRefusedAsStreamReadError) {
  for (ValueTag tag : {TagLString, TagWString, TagUtf8String}) {
    SCOPED_TRACE(static_cast<int>(tag));
    auto& r = Open(StreamBuilder().Tag(tag).Le32(0xFFFFFFFE).Raw("abcdefgh"));
    EXPECT_EQ(Raised([&] { r.ReadWideTextValue(); }), kStreamReadError);
  }
}

TEST_F(ValueReaderTest, LengthsBeyondTheDataFailWithStreamReadError) {
  for (ValueTag tag : {TagLString, TagWString, TagUtf8String}) {
    SCOPED_TRACE(static_cast<int>(tag));
    auto& r = Open(StreamBuilder().Tag(tag).Le32(0x7FFFFFFF).Raw("abcdefgh"));
    EXPECT_EQ(Raised([&] { r.ReadTextValue(); }), kStreamReadError);
  }
}

// --- Sets ---------------------------------------------------------------------------------

constexpr const char* kStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
constexpr TypeInfo kStyle = EnumType("TFontStyle", kStyleNames);

constexpr const char* kWideNames[] = {"w0",  "w1",  "w2",  "w3",  "w4",  "w5",  "w6",  "w7",  "w8",
                                      "w9",  "w10", "w11", "w12", "w13", "w14", "w15", "w16", "w17",
                                      "w18", "w19", "w20", "w21", "w22", "w23", "w24", "w25", "w26",
                                      "w27", "w28", "w29", "w30", "w31", "w32", "w33"};
constexpr TypeInfo kWide = EnumType("TWide", kWideNames);

TEST_F(ValueReaderTest, EmptySetIsTheEmptyMask) {
  auto& r = Open({TagSet, 0x00, kNext});
  EXPECT_EQ(r.ReadSetMask(kStyle), 0u);
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ValueReaderTest, SetElementsAreMatchedIgnoringAsciiCase) {
  auto& r = Open(StreamBuilder().Set({"FSBOLD", "fsunderline"}));
  EXPECT_EQ(r.ReadSetMask(kStyle), 0b101u);
}

TEST_F(ValueReaderTest, SetElementsTheTypeLacksAreIgnored) {
  auto& r = Open(StreamBuilder().Set({"fsItalic", "fsShadow"}).Byte(kNext));
  EXPECT_EQ(r.ReadSetMask(kStyle), 0b10u);
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ValueReaderTest, SetElementsWithOrdinalsAbove31AreIgnored) {
  auto& r = Open(StreamBuilder().Set({"w32", "w31", "w33"}));
  EXPECT_EQ(r.ReadSetMask(kWide), 0x80000000u);
}

// --- Values of the wrong kind ------------------------------------------------------------

// A typed read that meets another tag consumes that whole value before it raises, so that
// the caller stands at the next entry.
TEST_F(ValueReaderTest, ReadOfTheWrongTagConsumesTheWholeValueAndRaisesInvalidValue) {
  struct WrongTag {
    const char* what;
    StreamBuilder value;
    std::function<void(TValueReader&)> read;
  };
  const WrongTag cases[] = {
      {"text as integer", StreamBuilder().String("12"), [](auto& r) { r.ReadIntValue(); }},
      {"unknown tag as integer", StreamBuilder().Byte(21), [](auto& r) { r.ReadIntValue(); }},
      {"unknown tag as text", StreamBuilder().Byte(0xC8), [](auto& r) { r.ReadTextValue(); }},
      {"integer as identifier", StreamBuilder().Int16(5), [](auto& r) { r.ReadIdentValue(); }},
      {"identifier as text", StreamBuilder().Ident("abc"), [](auto& r) { r.ReadTextValue(); }},
      {"set as wide text", StreamBuilder().Set({"fsBold"}), [](auto& r) { r.ReadWideTextValue(); }},
      {"longer text as character", StreamBuilder().String("ab"),
       [](auto& r) { r.ReadCharValue(); }},
      {"empty text as character", StreamBuilder().String(""), [](auto& r) { r.ReadCharValue(); }},
      {"identifier as set", StreamBuilder().Ident("fsBold"),
       [](auto& r) { r.ReadSetMask(kStyle); }},
      {"long text as list start", StreamBuilder().LString("abcdef"),
       [](auto& r) { r.ExpectListStart(); }},
  };
  for (const WrongTag& c : cases) {
    SCOPED_TRACE(c.what);
    auto& r = Open(StreamBuilder(c.value).Byte(kNext));
    EXPECT_EQ(Raised([&] { c.read(r); }), kInvalidValue);
    EXPECT_EQ(r.ReadTag(), kNext);
  }
}

// --- Expected tags, signature, prefix -----------------------------------------------------

TEST_F(ValueReaderTest, ExpectedTagIsConsumedAlone) {
  auto& r = Open({TagList, TagNull, kNext});
  r.ExpectListStart();
  r.ExpectListEnd();
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ValueReaderTest, SignatureMismatchIsInvalidStreamFormat) {
  EXPECT_EQ(Raised([&] { Open(StreamBuilder().Raw("TPF0")).CheckSignature(); }),
            "(nothing raised)");
  EXPECT_EQ(Raised([&] { Open(StreamBuilder().Raw("TPF1")).CheckSignature(); }), kInvalidFormat);
  EXPECT_EQ(Raised([&] { Open(StreamBuilder().Raw("0FPT")).CheckSignature(); }), kInvalidFormat);
}

TEST_F(ValueReaderTest, SignatureCutShortIsStreamReadError) {
  EXPECT_EQ(Raised([&] { Open(StreamBuilder().Raw("TPF")).CheckSignature(); }), kStreamReadError);
}

TEST_F(ValueReaderTest, PrefixWithChildPositionIsFollowedByATaggedInteger) {
  auto& r = Open(StreamBuilder().Byte(0xF2).Int16(300).Object("TButton", "Button1"));
  PrefixFlags flags;
  std::int32_t position = -1;
  r.ReadObjectPrefix(flags, position);
  EXPECT_EQ(flags, PrefixFlags{PrefixFlag::ChildPos});
  EXPECT_EQ(position, 300);
  EXPECT_EQ(r.ReadShortText(), "TButton");
}

TEST_F(ValueReaderTest, ByteE6IsAClassNameLengthNotAPrefix) {
  const StreamBuilder form = StreamBuilder().Short(std::string(230, 'T'));
  ASSERT_EQ(form.Bytes()[0], 0xE6);
  auto& r = Open(form);
  PrefixFlags flags{PrefixFlag::Inline};
  std::int32_t position = 7;
  r.ReadObjectPrefix(flags, position);
  EXPECT_TRUE(flags.Empty());
  EXPECT_EQ(position, 0);
  EXPECT_EQ(r.ReadShortText().size(), 230u);
}

TEST_F(ValueReaderTest, PrefixFlagsAreTheLowBitsWithEightIgnored) {
  auto& r = Open({0xF1, 0xF4, 0xF8, 0xFD, 0x00});
  PrefixFlags flags;
  std::int32_t position;
  r.ReadObjectPrefix(flags, position);
  EXPECT_EQ(flags, PrefixFlags{PrefixFlag::Inherited});
  r.ReadObjectPrefix(flags, position);
  EXPECT_EQ(flags, PrefixFlags{PrefixFlag::Inline});
  r.ReadObjectPrefix(flags, position);
  EXPECT_TRUE(flags.Empty());
  EXPECT_EQ(r.Position(), 3);
  r.ReadObjectPrefix(flags, position);
  EXPECT_EQ(flags, (PrefixFlags{PrefixFlag::Inherited, PrefixFlag::Inline}));
}

TEST_F(ValueReaderTest, ChildPositionMustBeAnIntegerTag) {
  auto& r = Open(StreamBuilder().Byte(0xF2).Int64(1));
  PrefixFlags flags;
  std::int32_t position;
  EXPECT_EQ(Raised([&] { r.ReadObjectPrefix(flags, position); }), kInvalidValue);
}

}  // namespace
}  // namespace sx::testing
