#include <gtest/gtest.h>

#include "tests/framework/streaming/StreamingTestSupport.h"

namespace sx::testing {
namespace {

using ValueReaderSkipTest = ValueReaderFixture;

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

TEST_F(ValueReaderSkipTest, SkipConsumesExactlyOneValueOfEveryTag) {
  for (Sample& sample : EveryTag()) {
    SCOPED_TRACE(sample.what);
    const auto size = static_cast<std::int64_t>(sample.value.Size());
    auto& r = Open(sample.value.Byte(kNext));
    r.SkipOneValue();
    EXPECT_EQ(r.Position(), size);
    EXPECT_EQ(r.ReadTag(), kNext);
  }
}

TEST_F(ValueReaderSkipTest, SkipLooksOnlyAtTheLowSevenBitsOfTheTag) {
  auto& r = Open({TagInt16 | 0x80, 0x01, 0x02, TagSet | 0x80, 0x01, 'a', 0x00, kNext});
  r.SkipOneValue();
  r.SkipOneValue();
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ValueReaderSkipTest, EmptyCollectionIsTheTagAndOneZeroByte) {
  auto& r = Open({TagCollection, 0x00, kNext});
  r.SkipOneValue();
  EXPECT_EQ(r.Position(), 2);
}

TEST_F(ValueReaderSkipTest, CollectionItemsWithAndWithoutOrderIndexAreSkipped) {
  StreamBuilder form;
  form.Collection();
  form.List().Name("Caption").String("one").Name("Width").Int16(200).End();
  form.Int32(7).List().Name("Items").List().String("a").End().End();
  form.Int16(-1).List().End();
  form.End().Byte(kNext);
  auto& r = Open(form);
  r.SkipOneValue();
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ValueReaderSkipTest, NegativeLengthsInSkippedValuesAreStreamReadError) {
  for (ValueTag tag : {TagBinary, TagLString, TagWString, TagUtf8String}) {
    SCOPED_TRACE(static_cast<int>(tag));
    auto& r = Open(StreamBuilder().Tag(tag).Le32(0xFFFFFFFF).Raw("abcdefgh"));
    EXPECT_EQ(Raised([&] { r.SkipOneValue(); }), kStreamReadError);
  }
}

TEST_F(ValueReaderSkipTest, WideCountLargeEnoughToOverflowTwiceItsSizeIsStreamReadError) {
  auto& r = Open(StreamBuilder().Tag(TagWString).Le32(0x7FFFFFFF).Raw("abcd"));
  EXPECT_EQ(Raised([&] { r.SkipOneValue(); }), kStreamReadError);
}

TEST_F(ValueReaderSkipTest, SkipEntryTakesTheNameAndItsValue) {
  auto& r = Open(StreamBuilder().Name("Font.Style").Set({"fsBold"}).Byte(kNext));
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

TEST_F(ValueReaderSkipTest, RecordWithHeaderIsSkippedToItsLastEndMarker) {
  auto& r = Open(RecordWithChildren().Byte(kNext));
  r.SkipObjectRecord(true);
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ValueReaderSkipTest, RecordWithoutHeaderStartsAtItsProperties) {
  StreamBuilder form;
  form.Name("Caption").Utf8String("x").End().Object("TButton", "B").End().End().End().Byte(kNext);
  auto& r = Open(form);
  r.SkipObjectRecord(false);
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ValueReaderSkipTest, EmptyPropertyAndChildListsAreOneZeroByteEach) {
  auto& r = Open(StreamBuilder().Object("TTimer", "Timer1").End().End().Byte(kNext));
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

TEST_F(ValueReaderSkipTest, DeeplyNestedListsWithinTheBoundAreSkipped) {
  auto& r = Open(NestedLists(TValueReader::kMaxNesting).Byte(kNext));
  r.SkipOneValue();
  EXPECT_EQ(r.ReadTag(), kNext);
}

TEST_F(ValueReaderSkipTest, ListsNestedBeyondTheBoundAreInvalidStreamFormat) {
  auto& r = Open(NestedLists(100000));
  EXPECT_EQ(Raised([&] { r.SkipOneValue(); }), kInvalidFormat);
}

TEST_F(ValueReaderSkipTest, RecordsNestedBeyondTheBoundAreInvalidStreamFormat) {
  StreamBuilder form;
  for (int i = 0; i < 100000; ++i)
    form.Object("T", "").End();
  auto& r = Open(form);
  EXPECT_EQ(Raised([&] { r.SkipObjectRecord(true); }), kInvalidFormat);
}

TEST_F(ValueReaderSkipTest, NestingBoundIsReleasedAfterEachValue) {
  const StreamBuilder one = NestedLists(TValueReader::kMaxNesting);
  const StreamBuilder form = StreamBuilder().Raw(one.Bytes()).Raw(one.Bytes()).Raw(one.Bytes());
  auto& r = Open(form);
  for (int i = 0; i < 3; ++i)
    r.SkipOneValue();
  EXPECT_EQ(r.Position(), static_cast<std::int64_t>(form.Size()));
}

// --- Whole definitions and truncation -----------------------------------------------------

TEST_F(ValueReaderSkipTest, SampleDefinitionIsSkippedToItsLastByte) {
  const StreamBuilder form = SampleDefinition();
  auto& r = Open(form);
  r.CheckSignature();
  r.SkipObjectRecord(true);
  EXPECT_EQ(r.Position(), static_cast<std::int64_t>(form.Size()));
}

TEST_F(ValueReaderSkipTest, DefinitionCutAtAnyByteIsStreamReadErrorWhenSkipped) {
  const std::vector<std::uint8_t> whole = SampleDefinition().Bytes();
  for (std::size_t length = 4; length < whole.size(); ++length) {  // the signature whole
    SCOPED_TRACE(length);
    auto& skipped = Open({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)});
    skipped.CheckSignature();
    ASSERT_EQ(Raised([&] { skipped.SkipObjectRecord(true); }), kStreamReadError);
  }
}

}  // namespace
}  // namespace sx::testing
