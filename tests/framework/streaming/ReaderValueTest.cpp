#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/framework/streaming/StreamingTestSupport.h"

namespace sx::testing {
namespace {

using ReaderValueTest = ReaderFixture;

// --- Integers -----------------------------------------------------------------------------

TEST_F(ReaderValueTest, SmallIntegersAreSignExtended) {
  TReader& r = Open({TagInt8, 0xF5, TagInt16, 0xFF, 0xFF, TagInt8, 0x7F, TagInt16, 0x55, 0x01});
  EXPECT_EQ(r.ReadIntValue(), -11);
  EXPECT_EQ(r.ReadIntValue(), -1);
  EXPECT_EQ(r.ReadIntValue(), 127);
  EXPECT_EQ(r.ReadIntValue(), 341);
}

TEST_F(ReaderValueTest, Int32IsReadLittleEndian) {
  TReader& r = Open(StreamBuilder().Int32(-123456789).Int32(0x7FFFFFFF));
  EXPECT_EQ(r.ReadIntValue(), -123456789);
  EXPECT_EQ(r.ReadIntValue(), 0x7FFFFFFF);
}

TEST_F(ReaderValueTest, Int64ReadsItsOwnTagAndSignExtendsSmallerOnes) {
  TReader& r = Open(StreamBuilder().Int64(-5000000000LL).Int16(-300));
  EXPECT_EQ(r.ReadInt64Value(), -5000000000LL);
  EXPECT_EQ(r.ReadInt64Value(), -300);
}

TEST_F(ReaderValueTest, CurrencyIsTheRawScaledValueOrAnIntegerTimes10000) {
  TReader& r = Open(StreamBuilder().Currency(12345).Int8(-3).Int32(0x7FFFFFFF));
  EXPECT_EQ(r.ReadCurrencyValue(), 12345);
  EXPECT_EQ(r.ReadCurrencyValue(), -30000);
  EXPECT_EQ(r.ReadCurrencyValue(), 0x7FFFFFFFLL * 10000);
}

TEST_F(ReaderValueTest, SingleAndDateReadTheirBitsOrConvertAnInteger) {
  TReader& r = Open(StreamBuilder().Single(1.5f).Int8(-4).Date(36526.25).Int16(1000));
  EXPECT_EQ(r.ReadSingleValue(), 1.5f);
  EXPECT_EQ(r.ReadSingleValue(), -4.0f);
  EXPECT_EQ(r.ReadDateValue(), 36526.25);
  EXPECT_EQ(r.ReadDateValue(), 1000.0);
}

TEST_F(ReaderValueTest, ExtendedReadsTenBytesOrConvertsAnIntegerExactly) {
  TReader& r = Open(StreamBuilder().Extended(0xC000000000000000ULL, 0x3FFF).Int16(-300));
  EXPECT_EQ(r.ReadExtendedValue().ToDouble(), 1.5);
  const Extended80 converted = r.ReadExtendedValue();
  EXPECT_EQ(converted.ToDouble(), -300.0);
  const Extended80 expected = Extended80::FromInt(-300);
  EXPECT_TRUE(std::equal(std::begin(converted.bytes), std::end(converted.bytes),
                         std::begin(expected.bytes)));
}

// --- Booleans and identifiers -------------------------------------------------------------

TEST_F(ReaderValueTest, BoolIsTrueOnlyForTagTrue) {
  TReader& r = Open({TagTrue, TagFalse, TagNil});
  EXPECT_TRUE(r.ReadBoolValue());
  EXPECT_FALSE(r.ReadBoolValue());
  EXPECT_FALSE(r.ReadBoolValue());
}

TEST_F(ReaderValueTest, BoolOverAnIntegerLeavesThePayloadUnread) {
  TReader& r = Open({TagInt8, 0x01});
  EXPECT_FALSE(r.ReadBoolValue());
  EXPECT_EQ(r.Position(), 1);
  EXPECT_EQ(r.ReadTag(), 0x01);
}

TEST_F(ReaderValueTest, IdentValueNamesTheConstantTags) {
  TReader& r = Open(StreamBuilder().Ident("clBtnFace").False().True().Nil().Null());
  EXPECT_EQ(r.ReadIdentValue(), "clBtnFace");
  EXPECT_EQ(r.ReadIdentValue(), "False");
  EXPECT_EQ(r.ReadIdentValue(), "True");
  EXPECT_EQ(r.ReadIdentValue(), "nil");
  EXPECT_EQ(r.ReadIdentValue(), "Null");
}

// --- Texts --------------------------------------------------------------------------------

TEST_F(ReaderValueTest, EightBitTextsAreTakenAsStored) {
  TReader& r = Open(StreamBuilder().String("Sonderix").LString("\xCF\xF3\xF1\xEA").String(""));
  EXPECT_EQ(r.ReadTextValue(), "Sonderix");
  EXPECT_EQ(r.ReadTextValue(), "\xCF\xF3\xF1\xEA");
  EXPECT_EQ(r.ReadTextValue(), "");
}

TEST_F(ReaderValueTest, WideAndUtf8TextsArriveInTheAnsiCodePage) {
  TReader& r = Open(StreamBuilder()
                        .Utf8String("\xD0\x9F\xD1\x83\xD1\x81\xD0\xBA")
                        .WString(u"\u041F\u0443\u0441\u043A"));
  EXPECT_EQ(r.ReadTextValue(), "\xCF\xF3\xF1\xEA");  // "Пуск" in code page 1251
  EXPECT_EQ(r.ReadTextValue(), "\xCF\xF3\xF1\xEA");
}

TEST_F(ReaderValueTest, CharactersOutsideTheCodePageBecomeTheReplacement) {
  TReader& r = Open(StreamBuilder().WString(u"a\u4E2Db"));
  EXPECT_EQ(r.ReadTextValue(), "a?b");
}

TEST_F(ReaderValueTest, EightBitTextsAreWidenedFromTheAnsiCodePage) {
  TReader& r = Open(StreamBuilder().String("\xC0z").LString("\xFF"));
  EXPECT_EQ(r.ReadWideTextValue(), u"\u0410z");
  EXPECT_EQ(r.ReadWideTextValue(), u"\u044F");
}

TEST_F(ReaderValueTest, WideTextUnitsAreTakenAsStored) {
  TReader& r = Open(StreamBuilder().WString(u"\u4E2D\xD800x"));
  EXPECT_EQ(r.ReadWideTextValue(), u"\u4E2D\xD800x");
}

TEST_F(ReaderValueTest, Utf8DecodesOneTwoAndThreeByteSequences) {
  TReader& r = Open(StreamBuilder().Utf8String("A\xD0\x96\xE2\x82\xAC"));
  EXPECT_EQ(r.ReadWideTextValue(), u"A\u0416\u20AC");
}

TEST_F(ReaderValueTest, MalformedUtf8IsReadAsEmptyText) {
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
    TReader& r = Open(StreamBuilder().Utf8String(utf8).Utf8String(utf8).Byte(kNext));
    EXPECT_EQ(r.ReadWideTextValue(), u"");
    EXPECT_EQ(r.ReadTextValue(), "");
    EXPECT_EQ(r.ReadTag(), kNext);
  }
}

TEST_F(ReaderValueTest, CharValueIsTheOneCharacterOfAText) {
  TReader& r = Open(StreamBuilder().String("&").Utf8String("\xD0\xAF"));
  EXPECT_EQ(r.ReadCharValue(), '&');
  EXPECT_EQ(r.ReadCharValue(), '\xDF');  // "Я" in code page 1251
}

// --- Negative and oversized lengths -------------------------------------------------------

TEST_F(ReaderValueTest, NegativeLengthsAreRefusedAsStreamReadError) {
  for (ValueTag tag : {TagLString, TagWString, TagUtf8String}) {
    SCOPED_TRACE(static_cast<int>(tag));
    TReader& r = Open(StreamBuilder().Tag(tag).Le32(0xFFFFFFFE).Raw("abcdefgh"));
    EXPECT_EQ(Raised([&] { r.ReadWideTextValue(); }), kStreamReadError);
  }
}

TEST_F(ReaderValueTest, LengthsBeyondTheDataFailWithStreamReadError) {
  for (ValueTag tag : {TagLString, TagWString, TagUtf8String}) {
    SCOPED_TRACE(static_cast<int>(tag));
    TReader& r = Open(StreamBuilder().Tag(tag).Le32(0x7FFFFFFF).Raw("abcdefgh"));
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

TEST_F(ReaderValueTest, EmptySetIsTheEmptyMask) {
  TReader& r = Open({TagSet, 0x00, kNext});
  EXPECT_EQ(r.ReadSetMask(kStyle), 0u);
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderValueTest, SetElementsAreMatchedIgnoringAsciiCase) {
  TReader& r = Open(StreamBuilder().Set({"FSBOLD", "fsunderline"}));
  EXPECT_EQ(r.ReadSetMask(kStyle), 0b101u);
}

TEST_F(ReaderValueTest, SetElementsTheTypeLacksAreIgnored) {
  TReader& r = Open(StreamBuilder().Set({"fsItalic", "fsShadow"}).Byte(kNext));
  EXPECT_EQ(r.ReadSetMask(kStyle), 0b10u);
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderValueTest, SetElementsWithOrdinalsAbove31AreIgnored) {
  TReader& r = Open(StreamBuilder().Set({"w32", "w31", "w33"}));
  EXPECT_EQ(r.ReadSetMask(kWide), 0x80000000u);
}

// --- Values of the wrong kind ------------------------------------------------------------

// A typed read that meets another tag consumes that whole value before it raises, so that
// the caller stands at the next entry.
TEST_F(ReaderValueTest, ReadOfTheWrongTagConsumesTheWholeValueAndRaisesInvalidValue) {
  struct WrongTag {
    const char* what;
    StreamBuilder value;
    std::function<void(TReader&)> read;
  };
  const WrongTag cases[] = {
      {"text as integer", StreamBuilder().String("12"), [](TReader& r) { r.ReadIntValue(); }},
      {"unknown tag as integer", StreamBuilder().Byte(21), [](TReader& r) { r.ReadIntValue(); }},
      {"unknown tag as text", StreamBuilder().Byte(0xC8), [](TReader& r) { r.ReadTextValue(); }},
      {"integer as identifier", StreamBuilder().Int16(5), [](TReader& r) { r.ReadIdentValue(); }},
      {"identifier as text", StreamBuilder().Ident("abc"), [](TReader& r) { r.ReadTextValue(); }},
      {"set as wide text", StreamBuilder().Set({"fsBold"}),
       [](TReader& r) { r.ReadWideTextValue(); }},
      {"longer text as character", StreamBuilder().String("ab"),
       [](TReader& r) { r.ReadCharValue(); }},
      {"empty text as character", StreamBuilder().String(""),
       [](TReader& r) { r.ReadCharValue(); }},
      {"identifier as set", StreamBuilder().Ident("fsBold"),
       [](TReader& r) { r.ReadSetMask(kStyle); }},
      {"long text as list start", StreamBuilder().LString("abcdef"),
       [](TReader& r) { r.ExpectListStart(); }},
      {"text as defined binary", StreamBuilder().String("data"),
       [](TReader& r) {
         r.SetCurrentPropertyName("Data");
         r.DefineStoredBinary(
             "Data", [](TStream&) { ADD_FAILURE() << "the block reached the reader"; }, true);
       }},
  };
  for (const WrongTag& c : cases) {
    SCOPED_TRACE(c.what);
    TReader& r = Open(StreamBuilder(c.value).Byte(kNext));
    EXPECT_EQ(Raised([&] { c.read(r); }), kInvalidValue);
    EXPECT_EQ(r.ReadTag(), kNext);
  }
}

// --- Expected tags, signature, prefix -----------------------------------------------------

TEST_F(ReaderValueTest, ExpectedTagIsConsumedAlone) {
  TReader& r = Open({TagList, TagNull, kNext});
  r.ExpectListStart();
  r.ExpectListEnd();
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderValueTest, SignatureMismatchIsInvalidStreamFormat) {
  EXPECT_EQ(Raised([&] { Open(StreamBuilder().Raw("TPF0")).CheckSignature(); }),
            "(nothing raised)");
  EXPECT_EQ(Raised([&] { Open(StreamBuilder().Raw("TPF1")).CheckSignature(); }), kInvalidFormat);
  EXPECT_EQ(Raised([&] { Open(StreamBuilder().Raw("0FPT")).CheckSignature(); }), kInvalidFormat);
}

TEST_F(ReaderValueTest, SignatureCutShortIsStreamReadError) {
  EXPECT_EQ(Raised([&] { Open(StreamBuilder().Raw("TPF")).CheckSignature(); }), kStreamReadError);
}

TEST_F(ReaderValueTest, PrefixWithChildPositionIsFollowedByATaggedInteger) {
  TReader& r = Open(StreamBuilder().Byte(0xF2).Int16(300).Object("TButton", "Button1"));
  PrefixFlags flags;
  std::int32_t position = -1;
  r.ReadObjectPrefix(flags, position);
  EXPECT_EQ(flags, PrefixFlags{PrefixFlag::ChildPos});
  EXPECT_EQ(position, 300);
  EXPECT_EQ(r.ReadShortText(), "TButton");
}

TEST_F(ReaderValueTest, ByteE6IsAClassNameLengthNotAPrefix) {
  const StreamBuilder form = StreamBuilder().Short(std::string(230, 'T'));
  ASSERT_EQ(form.Bytes()[0], 0xE6);
  TReader& r = Open(form);
  PrefixFlags flags{PrefixFlag::Inline};
  std::int32_t position = 7;
  r.ReadObjectPrefix(flags, position);
  EXPECT_TRUE(flags.Empty());
  EXPECT_EQ(position, 0);
  EXPECT_EQ(r.ReadShortText().size(), 230u);
}

TEST_F(ReaderValueTest, PrefixFlagsAreTheLowBitsWithEightIgnored) {
  TReader& r = Open({0xF1, 0xF4, 0xF8, 0xFD, 0x00});
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

TEST_F(ReaderValueTest, ChildPositionMustBeAnIntegerTag) {
  TReader& r = Open(StreamBuilder().Byte(0xF2).Int64(1));
  PrefixFlags flags;
  std::int32_t position;
  EXPECT_EQ(Raised([&] { r.ReadObjectPrefix(flags, position); }), kInvalidValue);
}

// --- Defined properties -------------------------------------------------------------------

TEST_F(ReaderValueTest, DefinedPropertyReadsTheEntryNamedIgnoringCaseAndClearsTheName) {
  TReader& r = Open(StreamBuilder().Int8(13));
  r.SetCurrentPropertyName("textheight");
  std::int32_t read = 0;
  r.DefineStored(
      "TextHeight", [&](TReader& inner) { read = inner.ReadIntValue(); }, true);
  EXPECT_EQ(read, 13);
  EXPECT_TRUE(r.CurrentPropertyName().empty());
}

TEST_F(ReaderValueTest, DefinedPropertyOfAnotherNameReadsNothing) {
  TReader& r = Open(StreamBuilder().Int8(13));
  r.SetCurrentPropertyName("Left");
  bool called = false;
  r.DefineStored(
      "Top", [&](TReader&) { called = true; }, true);
  r.DefineStored("Left", nullptr, true);
  EXPECT_FALSE(called);
  EXPECT_EQ(r.CurrentPropertyName(), "Left");
  EXPECT_EQ(r.Position(), 0);
}

TEST_F(ReaderValueTest, ConsumedEntryIsNotOfferedToASecondDefinition) {
  TReader& r = Open(StreamBuilder().Int8(1).Int8(2));
  r.SetCurrentPropertyName("Left");
  int calls = 0;
  auto read = [&](TReader& inner) {
    inner.ReadIntValue();
    ++calls;
  };
  r.DefineStored("Left", read, true);
  r.DefineStored("Left", read, true);
  r.DefineStored("", read, true);
  EXPECT_EQ(calls, 1);
}

TEST_F(ReaderValueTest, DefinedBinaryPropertyGetsTheBlockAsAStream) {
  TReader& r = Open(StreamBuilder().Binary({1, 2, 3}).Byte(kNext));
  r.SetCurrentPropertyName("Data");
  std::vector<std::uint8_t> got;
  r.DefineStoredBinary(
      "DATA",
      [&](TStream& block) {
        got.resize(static_cast<std::size_t>(block.Size()));
        block.ReadBuffer(got.data(), static_cast<std::int32_t>(got.size()));
      },
      true);
  EXPECT_EQ(got, (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_TRUE(r.CurrentPropertyName().empty());
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderValueTest, DefinedBinaryPropertyWithANegativeLengthIsStreamReadError) {
  TReader& r = Open(StreamBuilder().Tag(TagBinary).Le32(0x80000000).Raw("abcd"));
  r.SetCurrentPropertyName("Data");
  EXPECT_EQ(Raised([&] {
              r.DefineStoredBinary(
                  "Data", [](TStream&) {}, true);
            }),
            kStreamReadError);
}

}  // namespace
}  // namespace sx::testing
