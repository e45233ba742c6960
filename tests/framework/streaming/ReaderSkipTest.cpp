#include <gtest/gtest.h>

#include "tests/framework/streaming/FormWalk.h"
#include "tests/framework/streaming/ReaderTestSupport.h"

namespace sx::testing {
namespace {

using ReaderSkipTest = ReaderFixture;

constexpr std::uint8_t kNext = 0x2A;

// One value of every tag, each as stored.
struct Sample {
  const char* what;
  FormBytes value;
};

std::vector<Sample> EveryTag() {
  return {
      {"null", FormBytes().Tag(TagNull)},
      {"list", FormBytes().Tag(TagList).Int8(1).String("x").Tag(TagList).Tag(TagNull).Tag(TagNull)},
      {"int8", FormBytes().Int8(-1)},
      {"int16", FormBytes().Int16(-1)},
      {"int32", FormBytes().Int32(-1)},
      {"extended", FormBytes().Extended(0x8000000000000000ULL, 0x3FFF)},
      {"string", FormBytes().String("abc")},
      {"ident", FormBytes().Ident("clRed")},
      {"false", FormBytes().Tag(TagFalse)},
      {"true", FormBytes().Tag(TagTrue)},
      {"binary", FormBytes().Binary({0, 0, 0})},
      {"set", FormBytes().Set({"a", "bc"})},
      {"lstring", FormBytes().LString(std::string(300, 'q'))},
      {"nil", FormBytes().Tag(TagNil)},
      {"collection", FormBytes()
                         .Tag(TagCollection)
                         .Int8(0)
                         .Tag(TagList)
                         .Entry("A")
                         .Int8(1)
                         .End()
                         .Tag(TagList)
                         .End()
                         .End()},
      {"single", FormBytes().Single(2.5f)},
      {"currency", FormBytes().Currency(1)},
      {"date", FormBytes().Date(1.0)},
      {"wstring", FormBytes().WString(u"\u0416\u0416")},
      {"int64", FormBytes().Int64(-1)},
      {"utf8", FormBytes().Utf8("\xD0\x96")},
      {"unknown 21", FormBytes().Byte(21)},
      {"unknown 127", FormBytes().Byte(127)},
  };
}

TEST_F(ReaderSkipTest, SkipConsumesExactlyOneValueOfEveryTag) {
  for (Sample& sample : EveryTag()) {
    SCOPED_TRACE(sample.what);
    const auto size = static_cast<std::int64_t>(sample.value.bytes.size());
    TReader& r = Open(sample.value.Byte(kNext));
    r.SkipOneValue();
    EXPECT_EQ(r.Position(), size);
    EXPECT_EQ(r.ReadTag(), kNext);
  }
}

TEST_F(ReaderSkipTest, SkipLooksOnlyAtTheLowSevenBitsOfTheTag) {
  TReader& r = Open({TagInt16 | 0x80, 0x01, 0x02, TagSet | 0x80, 0x01, 'a', 0x00, kNext});
  r.SkipOneValue();
  r.SkipOneValue();
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderSkipTest, TypedReadsRejectUnknownTagsWhichSkipAlone) {
  TReader& r = Open({21, kNext, 0xC8, kNext});
  EXPECT_EQ(ReadErrorOf([&] { r.ReadIntValue(); }), kInvalidValue);
  EXPECT_EQ(r.ReadTag(), kNext);
  EXPECT_EQ(ReadErrorOf([&] { r.ReadTextValue(); }), kInvalidValue);
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderSkipTest, EmptyCollectionIsTheTagAndOneZeroByte) {
  TReader& r = Open({TagCollection, 0x00, kNext});
  r.SkipOneValue();
  EXPECT_EQ(r.Position(), 2);
}

TEST_F(ReaderSkipTest, CollectionItemsWithAndWithoutOrderIndexAreSkipped) {
  FormBytes form;
  form.Tag(TagCollection);
  form.Tag(TagList).Entry("Caption").String("one").Entry("Width").Int16(200).End();
  form.Int32(7).Tag(TagList).Entry("Items").Tag(TagList).String("a").End().End();
  form.Int16(-1).Tag(TagList).End();
  form.End().Byte(kNext);
  TReader& r = Open(form);
  r.SkipOneValue();
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderSkipTest, NegativeLengthsInSkippedValuesAreStreamReadError) {
  for (ValueTag tag : {TagBinary, TagLString, TagWString, TagUtf8String}) {
    SCOPED_TRACE(static_cast<int>(tag));
    TReader& r = Open(FormBytes().Tag(tag).Le32(0xFFFFFFFF).Raw("abcdefgh"));
    EXPECT_EQ(ReadErrorOf([&] { r.SkipOneValue(); }), kStreamReadError);
  }
}

TEST_F(ReaderSkipTest, WideCountLargeEnoughToOverflowTwiceItsSizeIsStreamReadError) {
  TReader& r = Open(FormBytes().Tag(TagWString).Le32(0x7FFFFFFF).Raw("abcd"));
  EXPECT_EQ(ReadErrorOf([&] { r.SkipOneValue(); }), kStreamReadError);
}

TEST_F(ReaderSkipTest, SkipEntryTakesTheNameAndItsValue) {
  TReader& r = Open(FormBytes().Entry("Font.Style").Set({"fsBold"}).Byte(kNext));
  r.SkipEntry();
  EXPECT_EQ(r.ReadTag(), kNext);
}

FormBytes RecordWithChildren() {
  FormBytes form;
  form.Byte(0xF2).Int8(1).Object("TPanel", "Panel1").Entry("Left").Int8(8).End();
  form.Object("TRadioButton", "RadioButton1").Entry("Checked").Tag(TagTrue).End().End();
  form.Byte(0xF1).Object("TRadioButton", "").End().End();
  form.End();
  return form;
}

TEST_F(ReaderSkipTest, RecordWithHeaderIsSkippedToItsLastEndMarker) {
  TReader& r = Open(RecordWithChildren().Byte(kNext));
  r.SkipObjectRecord(true);
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderSkipTest, RecordWithoutHeaderStartsAtItsProperties) {
  FormBytes form;
  form.Entry("Caption").Utf8("x").End().Object("TButton", "B").End().End().End().Byte(kNext);
  TReader& r = Open(form);
  r.SkipObjectRecord(false);
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderSkipTest, EmptyPropertyAndChildListsAreOneZeroByteEach) {
  TReader& r = Open(FormBytes().Object("TTimer", "Timer1").End().End().Byte(kNext));
  r.SkipObjectRecord(true);
  EXPECT_EQ(r.Position(), 16);
}

// --- Nesting ------------------------------------------------------------------------------

FormBytes NestedLists(int depth) {
  FormBytes form;
  for (int i = 0; i < depth; ++i)
    form.Tag(TagList);
  for (int i = 0; i < depth; ++i)
    form.End();
  return form;
}

TEST_F(ReaderSkipTest, DeeplyNestedListsWithinTheBoundAreSkipped) {
  TReader& r = Open(NestedLists(TReader::kMaxNesting).Byte(kNext));
  r.SkipOneValue();
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderSkipTest, ListsNestedBeyondTheBoundAreInvalidStreamFormat) {
  TReader& r = Open(NestedLists(100000));
  EXPECT_EQ(ReadErrorOf([&] { r.SkipOneValue(); }), kInvalidFormat);
}

TEST_F(ReaderSkipTest, RecordsNestedBeyondTheBoundAreInvalidStreamFormat) {
  FormBytes form;
  for (int i = 0; i < 100000; ++i)
    form.Object("T", "").End();
  TReader& r = Open(form);
  EXPECT_EQ(ReadErrorOf([&] { r.SkipObjectRecord(true); }), kInvalidFormat);
}

TEST_F(ReaderSkipTest, NestingBoundIsReleasedAfterEachValue) {
  const FormBytes one = NestedLists(TReader::kMaxNesting);
  FormBytes form;
  for (int i = 0; i < 3; ++i)
    form.bytes.insert(form.bytes.end(), one.bytes.begin(), one.bytes.end());
  TReader& r = Open(form);
  for (int i = 0; i < 3; ++i)
    r.SkipOneValue();
  EXPECT_EQ(r.Position(), static_cast<std::int64_t>(form.bytes.size()));
}

// --- Whole definitions and truncation -----------------------------------------------------

// A definition that uses every tag, a prefixed child and nested children.
FormBytes SampleDefinition() {
  FormBytes form;
  form.Signature().Object("TForm1", "Form1");
  form.Entry("Left").Int16(341).Entry("Top").Int16(157).Entry("Caption").String("Sonderix");
  form.Entry("Color").Ident("clBtnFace").Entry("Font.Height").Int8(-11).Entry("Font.Style").Set({});
  form.Entry("OldCreateOrder")
      .Tag(TagFalse)
      .Entry("PixelsPerInch")
      .Int8(96)
      .Entry("TextHeight")
      .Int8(13);
  form.End();
  form.Object("TButton", "Button1")
      .Entry("Caption")
      .Utf8("\xD0\x9E\xD1\x82\xD0\xBA\xD1\x80\xD1\x8B\xD1\x82\xD1\x8C");
  form.Entry("Default").Tag(TagTrue).Entry("Hint").WString(u"\u041F").Entry("Big").Int32(100000);
  form.Entry("Wide").Int64(1LL << 40).Entry("Ratio").Extended(0xC000000000000000ULL, 0x3FFF);
  form.Entry("Scale").Single(0.5f).Entry("Price").Currency(25000).Entry("When").Date(2.5);
  form.Entry("Note").LString("long").Entry("Data").Binary({9, 8, 7}).Entry("Popup").Tag(TagNil);
  form.Entry("Items").Tag(TagList).String("a").Int8(1).End();
  form.Entry("Columns").Tag(TagCollection).Int8(0).Tag(TagList).Entry("Width").Int8(5).End().End();
  form.Entry("Future").Byte(23);
  form.End().End();
  form.Byte(0xF2).Int8(0).Object("TPanel", "Panel1").Entry("Ctl3D").Tag(TagTrue).End();
  form.Object("TRadioButton", "RadioButton1")
      .Entry("Font.Style")
      .Set({"fsBold", "fsItalic"})
      .End()
      .End();
  form.End();
  form.Object("TTimer", "Timer1")
      .Entry("Interval")
      .Int16(1000)
      .Entry("Left")
      .Int16(216)
      .Entry("Top")
      .Int8(8);
  form.End().End();
  form.End();
  return form;
}

TEST_F(ReaderSkipTest, SampleDefinitionIsWalkedToItsLastByte) {
  const FormBytes form = SampleDefinition();
  TReader& r = Open(form);
  const WalkTotals totals = WalkDefinition(r);
  EXPECT_EQ(totals.objects, 5);
  EXPECT_EQ(totals.entries, 29);
  EXPECT_EQ(r.Position(), static_cast<std::int64_t>(form.bytes.size()));
}

TEST_F(ReaderSkipTest, SampleDefinitionIsSkippedToItsLastByte) {
  const FormBytes form = SampleDefinition();
  TReader& r = Open(form);
  r.CheckSignature();
  r.SkipObjectRecord(true);
  EXPECT_EQ(r.Position(), static_cast<std::int64_t>(form.bytes.size()));
}

TEST_F(ReaderSkipTest, DefinitionCutAtAnyByteIsStreamReadErrorWhenRead) {
  const FormBytes form = SampleDefinition();
  for (std::size_t length = 0; length < form.bytes.size(); ++length) {
    SCOPED_TRACE(length);
    TReader& r = Open(std::vector<std::uint8_t>(
        form.bytes.begin(), form.bytes.begin() + static_cast<std::ptrdiff_t>(length)));
    ASSERT_EQ(ReadErrorOf([&] { WalkDefinition(r); }), kStreamReadError);
  }
}

TEST_F(ReaderSkipTest, DefinitionCutAtAnyByteIsStreamReadErrorWhenSkipped) {
  const FormBytes form = SampleDefinition();
  for (std::size_t length = 4; length < form.bytes.size(); ++length) {
    SCOPED_TRACE(length);
    TReader& r = Open(std::vector<std::uint8_t>(
        form.bytes.begin(), form.bytes.begin() + static_cast<std::ptrdiff_t>(length)));
    r.CheckSignature();
    ASSERT_EQ(ReadErrorOf([&] { r.SkipObjectRecord(true); }), kStreamReadError);
  }
}

TEST_F(ReaderSkipTest, BytesAfterTheRootRecordAreNeverRead) {
  FormBytes form = SampleDefinition();
  const auto size = static_cast<std::int64_t>(form.bytes.size());
  form.Raw("trailing garbage");
  Open(form);
  WalkDefinition(*reader);
  reader.reset();
  EXPECT_EQ(stream->Position(), size);
}

}  // namespace
}  // namespace sx::testing
