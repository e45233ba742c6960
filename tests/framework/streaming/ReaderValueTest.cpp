#include <gtest/gtest.h>

#include <cmath>

#include "tests/framework/streaming/ReaderTestSupport.h"

namespace sx::testing {
namespace {

using ReaderValueTest = ReaderFixture;

constexpr std::uint8_t kNext = 0x2A;  // a marker placed after the value under test

// --- Integers -----------------------------------------------------------------------------

TEST_F(ReaderValueTest, SmallIntegersAreSignExtended) {
  TReader& r = Open({TagInt8, 0xF5, TagInt16, 0xFF, 0xFF, TagInt8, 0x7F, TagInt16, 0x55, 0x01});
  EXPECT_EQ(r.ReadIntValue(), -11);
  EXPECT_EQ(r.ReadIntValue(), -1);
  EXPECT_EQ(r.ReadIntValue(), 127);
  EXPECT_EQ(r.ReadIntValue(), 341);
}

TEST_F(ReaderValueTest, Int32IsReadLittleEndian) {
  TReader& r = Open(FormBytes().Int32(-123456789).Int32(0x7FFFFFFF));
  EXPECT_EQ(r.ReadIntValue(), -123456789);
  EXPECT_EQ(r.ReadIntValue(), 0x7FFFFFFF);
}

TEST_F(ReaderValueTest, IntegerReadOfAnotherTagConsumesTheValueAndRejectsIt) {
  TReader& r = Open(FormBytes().String("12").Byte(kNext));
  EXPECT_EQ(ReadErrorOf([&] { r.ReadIntValue(); }), kInvalidValue);
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderValueTest, Int64ReadsItsOwnTagAndSignExtendsSmallerOnes) {
  TReader& r = Open(FormBytes().Int64(-5000000000LL).Int16(-300));
  EXPECT_EQ(r.ReadInt64Value(), -5000000000LL);
  EXPECT_EQ(r.ReadInt64Value(), -300);
}

TEST_F(ReaderValueTest, CurrencyIsTheRawScaledValueOrAnIntegerTimes10000) {
  TReader& r = Open(FormBytes().Currency(12345).Int8(-3).Int32(0x7FFFFFFF));
  EXPECT_EQ(r.ReadCurrencyValue(), 12345);
  EXPECT_EQ(r.ReadCurrencyValue(), -30000);
  EXPECT_EQ(r.ReadCurrencyValue(), 0x7FFFFFFFLL * 10000);
}

TEST_F(ReaderValueTest, SingleAndDateReadTheirBitsOrConvertAnInteger) {
  TReader& r = Open(FormBytes().Single(1.5f).Int8(-4).Date(36526.25).Int16(1000));
  EXPECT_EQ(r.ReadSingleValue(), 1.5f);
  EXPECT_EQ(r.ReadSingleValue(), -4.0f);
  EXPECT_EQ(r.ReadDateValue(), 36526.25);
  EXPECT_EQ(r.ReadDateValue(), 1000.0);
}

TEST_F(ReaderValueTest, ExtendedReadsTenBytesOrConvertsAnIntegerExactly) {
  TReader& r = Open(FormBytes().Extended(0xC000000000000000ULL, 0x3FFF).Int16(-300));
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
  TReader& r =
      Open(FormBytes().Ident("clBtnFace").Tag(TagFalse).Tag(TagTrue).Tag(TagNil).Tag(TagNull));
  EXPECT_EQ(r.ReadIdentValue(), "clBtnFace");
  EXPECT_EQ(r.ReadIdentValue(), "False");
  EXPECT_EQ(r.ReadIdentValue(), "True");
  EXPECT_EQ(r.ReadIdentValue(), "nil");
  EXPECT_EQ(r.ReadIdentValue(), "Null");
}

TEST_F(ReaderValueTest, IdentValueRejectsAnIntegerAfterConsumingIt) {
  TReader& r = Open(FormBytes().Int16(5).Byte(kNext));
  EXPECT_EQ(ReadErrorOf([&] { r.ReadIdentValue(); }), kInvalidValue);
  EXPECT_EQ(r.ReadTag(), kNext);
}

// --- Texts --------------------------------------------------------------------------------

TEST_F(ReaderValueTest, EightBitTextsAreTakenAsStored) {
  TReader& r = Open(FormBytes().String("Sonderix").LString("\xCF\xF3\xF1\xEA").String(""));
  EXPECT_EQ(r.ReadTextValue(), "Sonderix");
  EXPECT_EQ(r.ReadTextValue(), "\xCF\xF3\xF1\xEA");
  EXPECT_EQ(r.ReadTextValue(), "");
}

TEST_F(ReaderValueTest, WideAndUtf8TextsArriveInTheAnsiCodePage) {
  TReader& r = Open(
      FormBytes().Utf8("\xD0\x9F\xD1\x83\xD1\x81\xD0\xBA").WString(u"\u041F\u0443\u0441\u043A"));
  EXPECT_EQ(r.ReadTextValue(), "\xCF\xF3\xF1\xEA");  // "Пуск" in code page 1251
  EXPECT_EQ(r.ReadTextValue(), "\xCF\xF3\xF1\xEA");
}

TEST_F(ReaderValueTest, CharactersOutsideTheCodePageBecomeTheReplacement) {
  TReader& r = Open(FormBytes().WString(u"a\u4E2Db"));
  EXPECT_EQ(r.ReadTextValue(), "a?b");
}

TEST_F(ReaderValueTest, EightBitTextsAreWidenedFromTheAnsiCodePage) {
  TReader& r = Open(FormBytes().String("\xC0z").LString("\xFF"));
  EXPECT_EQ(r.ReadWideTextValue(), u"\u0410z");
  EXPECT_EQ(r.ReadWideTextValue(), u"\u044F");
}

TEST_F(ReaderValueTest, WideTextUnitsAreTakenAsStored) {
  TReader& r = Open(FormBytes().WString(u"\u4E2D\xD800x"));
  EXPECT_EQ(r.ReadWideTextValue(), u"\u4E2D\xD800x");
}

TEST_F(ReaderValueTest, Utf8DecodesOneTwoAndThreeByteSequences) {
  TReader& r = Open(FormBytes().Utf8("A\xD0\x96\xE2\x82\xAC"));
  EXPECT_EQ(r.ReadWideTextValue(), u"A\u0416\u20AC");
}

TEST_F(ReaderValueTest, Utf8WithAStrayContinuationByteIsEmpty) {
  TReader& r = Open(FormBytes().Utf8("ab\xBF").Utf8("\x80z").Byte(kNext));
  EXPECT_EQ(r.ReadWideTextValue(), u"");
  EXPECT_EQ(r.ReadTextValue(), "");
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderValueTest, Utf8WithABadContinuationByteIsEmpty) {
  TReader& r = Open(FormBytes().Utf8("x\xD0\x41y").Utf8("\xE2\x82\xC0"));
  EXPECT_EQ(r.ReadWideTextValue(), u"");
  EXPECT_EQ(r.ReadWideTextValue(), u"");
}

TEST_F(ReaderValueTest, Utf8SequenceCutByTheEndOfTheValueIsEmpty) {
  TReader& r = Open(FormBytes().Utf8("ok\xE2\x82").Byte(kNext));
  EXPECT_EQ(r.ReadWideTextValue(), u"");
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderValueTest, Utf8FourByteSequenceIsNotDecoded) {
  TReader& r = Open(FormBytes().Utf8("\xF0\x9F\x98\x80"));
  EXPECT_EQ(r.ReadWideTextValue(), u"");
}

TEST_F(ReaderValueTest, TextReadRejectsANonTextTagAfterConsumingIt) {
  TReader& r = Open(FormBytes().Ident("abc").Set({"fsBold"}).Byte(kNext));
  EXPECT_EQ(ReadErrorOf([&] { r.ReadTextValue(); }), kInvalidValue);
  EXPECT_EQ(ReadErrorOf([&] { r.ReadWideTextValue(); }), kInvalidValue);
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderValueTest, CharValueIsTheOneCharacterOfAText) {
  TReader& r = Open(FormBytes().String("&").Utf8("\xD0\xAF"));
  EXPECT_EQ(r.ReadCharValue(), '&');
  EXPECT_EQ(r.ReadCharValue(), '\xDF');  // "Я" in code page 1251
}

TEST_F(ReaderValueTest, CharValueRejectsLongerAndEmptyTexts) {
  TReader& r = Open(FormBytes().String("ab").String("").Byte(kNext));
  EXPECT_EQ(ReadErrorOf([&] { r.ReadCharValue(); }), kInvalidValue);
  EXPECT_EQ(ReadErrorOf([&] { r.ReadCharValue(); }), kInvalidValue);
  EXPECT_EQ(r.ReadTag(), kNext);
}

// --- Negative and oversized lengths -------------------------------------------------------

TEST_F(ReaderValueTest, NegativeLengthsAreRefusedAsStreamReadError) {
  for (ValueTag tag : {TagLString, TagWString, TagUtf8String}) {
    SCOPED_TRACE(static_cast<int>(tag));
    TReader& r = Open(FormBytes().Tag(tag).Le32(0xFFFFFFFE).Raw("abcdefgh"));
    EXPECT_EQ(ReadErrorOf([&] { r.ReadWideTextValue(); }), kStreamReadError);
  }
}

TEST_F(ReaderValueTest, LengthsBeyondTheDataFailWithStreamReadError) {
  for (ValueTag tag : {TagLString, TagWString, TagUtf8String}) {
    SCOPED_TRACE(static_cast<int>(tag));
    TReader& r = Open(FormBytes().Tag(tag).Le32(0x7FFFFFFF).Raw("abcdefgh"));
    EXPECT_EQ(ReadErrorOf([&] { r.ReadTextValue(); }), kStreamReadError);
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
  TReader& r = Open(FormBytes().Set({"FSBOLD", "fsunderline"}));
  EXPECT_EQ(r.ReadSetMask(kStyle), 0b101u);
}

TEST_F(ReaderValueTest, SetElementsTheTypeLacksAreIgnored) {
  TReader& r = Open(FormBytes().Set({"fsItalic", "fsShadow"}).Byte(kNext));
  EXPECT_EQ(r.ReadSetMask(kStyle), 0b10u);
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderValueTest, SetElementsWithOrdinalsAbove31AreIgnored) {
  TReader& r = Open(FormBytes().Set({"w32", "w31", "w33"}));
  EXPECT_EQ(r.ReadSetMask(kWide), 0x80000000u);
}

TEST_F(ReaderValueTest, SetReadRejectsAnotherTagAfterConsumingIt) {
  TReader& r = Open(FormBytes().Ident("fsBold").Byte(kNext));
  EXPECT_EQ(ReadErrorOf([&] { r.ReadSetMask(kStyle); }), kInvalidValue);
  EXPECT_EQ(r.ReadTag(), kNext);
}

// --- Expected tags, signature, prefix -----------------------------------------------------

TEST_F(ReaderValueTest, ExpectTagConsumesTheWholeOffendingValueBeforeRaising) {
  TReader& r = Open(FormBytes().LString("abcdef").Byte(kNext));
  EXPECT_EQ(ReadErrorOf([&] { r.ExpectListStart(); }), kInvalidValue);
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderValueTest, ExpectedTagIsConsumedAlone) {
  TReader& r = Open({TagList, TagNull, kNext});
  r.ExpectListStart();
  r.ExpectListEnd();
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderValueTest, SignatureMismatchIsInvalidStreamFormat) {
  EXPECT_EQ(ReadErrorOf([&] { Open(FormBytes().Raw("TPF0")).CheckSignature(); }), "no error");
  EXPECT_EQ(ReadErrorOf([&] { Open(FormBytes().Raw("TPF1")).CheckSignature(); }), kInvalidFormat);
  EXPECT_EQ(ReadErrorOf([&] { Open(FormBytes().Raw("0FPT")).CheckSignature(); }), kInvalidFormat);
}

TEST_F(ReaderValueTest, SignatureCutShortIsStreamReadError) {
  EXPECT_EQ(ReadErrorOf([&] { Open(FormBytes().Raw("TPF")).CheckSignature(); }), kStreamReadError);
}

TEST_F(ReaderValueTest, PrefixWithChildPositionIsFollowedByATaggedInteger) {
  TReader& r = Open(FormBytes().Byte(0xF2).Int16(300).Object("TButton", "Button1"));
  PrefixFlags flags;
  std::int32_t position = -1;
  r.ReadObjectPrefix(flags, position);
  EXPECT_EQ(flags, PrefixFlags{PrefixFlag::ChildPos});
  EXPECT_EQ(position, 300);
  EXPECT_EQ(r.ReadShortText(), "TButton");
}

TEST_F(ReaderValueTest, ByteE6IsAClassNameLengthNotAPrefix) {
  FormBytes form;
  form.Short(std::string(230, 'T'));
  ASSERT_EQ(form.bytes[0], 0xE6);
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
  TReader& r = Open(FormBytes().Byte(0xF2).Int64(1));
  PrefixFlags flags;
  std::int32_t position;
  EXPECT_EQ(ReadErrorOf([&] { r.ReadObjectPrefix(flags, position); }), kInvalidValue);
}

// --- Defined properties -------------------------------------------------------------------

TEST_F(ReaderValueTest, DefinedPropertyReadsTheEntryNamedIgnoringCaseAndClearsTheName) {
  TReader& r = Open(FormBytes().Int8(13));
  r.SetCurrentPropertyName("textheight");
  std::int32_t read = 0;
  r.DefineStored(
      "TextHeight", [&](TReader& inner) { read = inner.ReadIntValue(); }, true);
  EXPECT_EQ(read, 13);
  EXPECT_TRUE(r.CurrentPropertyName().empty());
}

TEST_F(ReaderValueTest, DefinedPropertyOfAnotherNameReadsNothing) {
  TReader& r = Open(FormBytes().Int8(13));
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
  TReader& r = Open(FormBytes().Int8(1).Int8(2));
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
  TReader& r = Open(FormBytes().Binary({1, 2, 3}).Byte(kNext));
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

TEST_F(ReaderValueTest, DefinedBinaryPropertyRejectsAnotherTagAfterConsumingIt) {
  TReader& r = Open(FormBytes().String("data").Byte(kNext));
  r.SetCurrentPropertyName("Data");
  bool called = false;
  EXPECT_EQ(ReadErrorOf([&] {
              r.DefineStoredBinary(
                  "Data", [&](TStream&) { called = true; }, true);
            }),
            kInvalidValue);
  EXPECT_FALSE(called);
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderValueTest, DefinedBinaryPropertyWithANegativeLengthIsStreamReadError) {
  TReader& r = Open(FormBytes().Tag(TagBinary).Le32(0x80000000).Raw("abcd"));
  r.SetCurrentPropertyName("Data");
  EXPECT_EQ(ReadErrorOf([&] {
              r.DefineStoredBinary(
                  "Data", [](TStream&) {}, true);
            }),
            kStreamReadError);
}

}  // namespace
}  // namespace sx::testing
