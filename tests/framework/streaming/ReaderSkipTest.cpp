#include <gtest/gtest.h>

#include "tests/framework/streaming/FormWalk.h"
#include "tests/framework/streaming/StreamingTestSupport.h"

namespace sx::testing {
namespace {

using ReaderSkipTest = ReaderFixture;

// One value of every tag, each as stored.
struct Sample {
  const char* what;
  StreamBuilder value;
};

std::vector<Sample> EveryTag() {
  return {
      {"null", StreamBuilder().Null()},
      {"list", StreamBuilder().List().Int8(1).String("x").List().Null().Null()},
      {"int8", StreamBuilder().Int8(-1)},
      {"int16", StreamBuilder().Int16(-1)},
      {"int32", StreamBuilder().Int32(-1)},
      {"extended", StreamBuilder().Extended(0x8000000000000000ULL, 0x3FFF)},
      {"string", StreamBuilder().String("abc")},
      {"ident", StreamBuilder().Ident("clRed")},
      {"false", StreamBuilder().False()},
      {"true", StreamBuilder().True()},
      {"binary", StreamBuilder().Binary({0, 0, 0})},
      {"set", StreamBuilder().Set({"a", "bc"})},
      {"lstring", StreamBuilder().LString(std::string(300, 'q'))},
      {"nil", StreamBuilder().Nil()},
      {"collection",
       StreamBuilder().Collection().Item(0).Name("A").Int8(1).End().Item().End().End()},
      {"single", StreamBuilder().Single(2.5f)},
      {"currency", StreamBuilder().Currency(1)},
      {"date", StreamBuilder().Date(1.0)},
      {"wstring", StreamBuilder().WString(u"\u0416\u0416")},
      {"int64", StreamBuilder().Int64(-1)},
      {"utf8", StreamBuilder().Utf8String("\xD0\x96")},
      {"unknown 21", StreamBuilder().Byte(21)},
      {"unknown 127", StreamBuilder().Byte(127)},
  };
}

TEST_F(ReaderSkipTest, SkipConsumesExactlyOneValueOfEveryTag) {
  for (Sample& sample : EveryTag()) {
    SCOPED_TRACE(sample.what);
    const auto size = static_cast<std::int64_t>(sample.value.Size());
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

TEST_F(ReaderSkipTest, EmptyCollectionIsTheTagAndOneZeroByte) {
  TReader& r = Open({TagCollection, 0x00, kNext});
  r.SkipOneValue();
  EXPECT_EQ(r.Position(), 2);
}

TEST_F(ReaderSkipTest, CollectionItemsWithAndWithoutOrderIndexAreSkipped) {
  StreamBuilder form;
  form.Collection();
  form.List().Name("Caption").String("one").Name("Width").Int16(200).End();
  form.Int32(7).List().Name("Items").List().String("a").End().End();
  form.Int16(-1).List().End();
  form.End().Byte(kNext);
  TReader& r = Open(form);
  r.SkipOneValue();
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderSkipTest, NegativeLengthsInSkippedValuesAreStreamReadError) {
  for (ValueTag tag : {TagBinary, TagLString, TagWString, TagUtf8String}) {
    SCOPED_TRACE(static_cast<int>(tag));
    TReader& r = Open(StreamBuilder().Tag(tag).Le32(0xFFFFFFFF).Raw("abcdefgh"));
    EXPECT_EQ(Raised([&] { r.SkipOneValue(); }), kStreamReadError);
  }
}

TEST_F(ReaderSkipTest, WideCountLargeEnoughToOverflowTwiceItsSizeIsStreamReadError) {
  TReader& r = Open(StreamBuilder().Tag(TagWString).Le32(0x7FFFFFFF).Raw("abcd"));
  EXPECT_EQ(Raised([&] { r.SkipOneValue(); }), kStreamReadError);
}

TEST_F(ReaderSkipTest, SkipEntryTakesTheNameAndItsValue) {
  TReader& r = Open(StreamBuilder().Name("Font.Style").Set({"fsBold"}).Byte(kNext));
  r.SkipEntry();
  EXPECT_EQ(r.ReadTag(), kNext);
}

StreamBuilder RecordWithChildren() {
  StreamBuilder form;
  form.Byte(0xF2).Int8(1).Object("TPanel", "Panel1").Name("Left").Int8(8).End();
  form.Object("TRadioButton", "RadioButton1").Name("Checked").True().End().End();
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
  StreamBuilder form;
  form.Name("Caption").Utf8String("x").End().Object("TButton", "B").End().End().End().Byte(kNext);
  TReader& r = Open(form);
  r.SkipObjectRecord(false);
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ReaderSkipTest, EmptyPropertyAndChildListsAreOneZeroByteEach) {
  TReader& r = Open(StreamBuilder().Object("TTimer", "Timer1").End().End().Byte(kNext));
  r.SkipObjectRecord(true);
  EXPECT_EQ(r.Position(), 16);
}

// --- Nesting ------------------------------------------------------------------------------

StreamBuilder NestedLists(int depth) {
  StreamBuilder form;
  for (int i = 0; i < depth; ++i)
    form.List();
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
  EXPECT_EQ(Raised([&] { r.SkipOneValue(); }), kInvalidFormat);
}

TEST_F(ReaderSkipTest, RecordsNestedBeyondTheBoundAreInvalidStreamFormat) {
  StreamBuilder form;
  for (int i = 0; i < 100000; ++i)
    form.Object("T", "").End();
  TReader& r = Open(form);
  EXPECT_EQ(Raised([&] { r.SkipObjectRecord(true); }), kInvalidFormat);
}

TEST_F(ReaderSkipTest, NestingBoundIsReleasedAfterEachValue) {
  const StreamBuilder one = NestedLists(TReader::kMaxNesting);
  const StreamBuilder form = StreamBuilder().Raw(one.Bytes()).Raw(one.Bytes()).Raw(one.Bytes());
  TReader& r = Open(form);
  for (int i = 0; i < 3; ++i)
    r.SkipOneValue();
  EXPECT_EQ(r.Position(), static_cast<std::int64_t>(form.Size()));
}

// --- Whole definitions and truncation -----------------------------------------------------

// A definition that uses every tag, a prefixed child and nested children.
StreamBuilder SampleDefinition() {
  StreamBuilder form;
  form.Signature().Object("TForm1", "Form1");
  form.Name("Left").Int16(341).Name("Top").Int16(157).Name("Caption").String("Sonderix");
  form.Name("Color").Ident("clBtnFace").Name("Font.Height").Int8(-11).Name("Font.Style").Set({});
  form.Name("OldCreateOrder").False().Name("PixelsPerInch").Int8(96).Name("TextHeight").Int8(13);
  form.End();
  form.Object("TButton", "Button1").Name("Caption");
  form.Utf8String("\xD0\x9E\xD1\x82\xD0\xBA\xD1\x80\xD1\x8B\xD1\x82\xD1\x8C");
  form.Name("Default").True().Name("Hint").WString(u"\u041F").Name("Big").Int32(100000);
  form.Name("Wide").Int64(1LL << 40).Name("Ratio").Extended(0xC000000000000000ULL, 0x3FFF);
  form.Name("Scale").Single(0.5f).Name("Price").Currency(25000).Name("When").Date(2.5);
  form.Name("Note").LString("long").Name("Data").Binary({9, 8, 7}).Name("Popup").Nil();
  form.Name("Items").List().String("a").Int8(1).End();
  form.Name("Columns").Collection().Int8(0).List().Name("Width").Int8(5).End().End();
  form.Name("Future").Byte(23);
  form.End().End();
  form.Byte(0xF2).Int8(0).Object("TPanel", "Panel1").Name("Ctl3D").True().End();
  form.Object("TRadioButton", "RadioButton1").Name("Font.Style").Set({"fsBold", "fsItalic"});
  form.End().End();
  form.End();
  form.Object("TTimer", "Timer1").Name("Interval").Int16(1000);
  form.Name("Left").Int16(216).Name("Top").Int8(8).End().End();
  form.End();
  return form;
}

TEST_F(ReaderSkipTest, SampleDefinitionIsWalkedToItsLastByte) {
  const StreamBuilder form = SampleDefinition();
  TReader& r = Open(form);
  const WalkTotals totals = WalkDefinition(r);
  EXPECT_EQ(totals.objects, 5);
  EXPECT_EQ(totals.entries, 29);
  EXPECT_EQ(r.Position(), static_cast<std::int64_t>(form.Size()));
}

TEST_F(ReaderSkipTest, SampleDefinitionIsSkippedToItsLastByte) {
  const StreamBuilder form = SampleDefinition();
  TReader& r = Open(form);
  r.CheckSignature();
  r.SkipObjectRecord(true);
  EXPECT_EQ(r.Position(), static_cast<std::int64_t>(form.Size()));
}

TEST_F(ReaderSkipTest, DefinitionCutAtAnyByteIsStreamReadErrorWhenReadOrSkipped) {
  const std::vector<std::uint8_t> whole = SampleDefinition().Bytes();
  for (std::size_t length = 0; length < whole.size(); ++length) {
    SCOPED_TRACE(length);
    const std::vector<std::uint8_t> cut(whole.begin(),
                                        whole.begin() + static_cast<std::ptrdiff_t>(length));
    TReader& walked = Open(cut);
    ASSERT_EQ(Raised([&] { WalkDefinition(walked); }), kStreamReadError);
    if (length < 4) continue;  // the signature itself is cut
    TReader& skipped = Open(cut);
    skipped.CheckSignature();
    ASSERT_EQ(Raised([&] { skipped.SkipObjectRecord(true); }), kStreamReadError);
  }
}

TEST_F(ReaderSkipTest, BytesAfterTheRootRecordAreNeverRead) {
  StreamBuilder form = SampleDefinition();
  const auto size = static_cast<std::int64_t>(form.Size());
  form.Raw("trailing garbage");
  Open(form);
  WalkDefinition(*reader);
  reader.reset();
  EXPECT_EQ(stream->Position(), size);
}

}  // namespace
}  // namespace sx::testing
