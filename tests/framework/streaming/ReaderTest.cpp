#include <gtest/gtest.h>

#include <vector>

#include "tests/framework/streaming/FormWalk.h"
#include "tests/framework/streaming/StreamingTestSupport.h"

namespace sx::testing {
namespace {

using ReaderTest = ReaderFixture;

// --- Defined properties -------------------------------------------------------------------

TEST_F(ReaderTest, DefinedPropertyReadsTheEntryNamedIgnoringCaseAndClearsTheName) {
  TReader& r = Open(StreamBuilder().Int8(13));
  r.SetCurrentPropertyName("textheight");
  std::int32_t read = 0;
  r.DefineStored(
      "TextHeight", [&](TReader& inner) { read = inner.ReadIntValue(); }, true);
  EXPECT_EQ(read, 13);
  EXPECT_TRUE(r.CurrentPropertyName().empty());
}

TEST_F(ReaderTest, DefinedPropertyOfAnotherNameReadsNothing) {
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

TEST_F(ReaderTest, ConsumedEntryIsNotOfferedToASecondDefinition) {
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

TEST_F(ReaderTest, DefinedBinaryPropertyGetsTheBlockAsAStream) {
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

TEST_F(ReaderTest, DefinedBinaryPropertyWithANegativeLengthIsStreamReadError) {
  TReader& r = Open(StreamBuilder().Tag(TagBinary).Le32(0x80000000).Raw("abcd"));
  r.SetCurrentPropertyName("Data");
  EXPECT_EQ(Raised([&] {
              r.DefineStoredBinary(
                  "Data", [](TStream&) {}, true);
            }),
            kStreamReadError);
}

// Like a typed read, a defined binary entry that holds another value consumes that whole
// value before it raises.
TEST_F(ReaderTest, DefinedBinaryPropertyOverAnotherValueConsumesItAndRaisesInvalidValue) {
  TReader& r = Open(StreamBuilder().String("data").Byte(kNext));
  r.SetCurrentPropertyName("Data");
  EXPECT_EQ(Raised([&] {
              r.DefineStoredBinary(
                  "Data", [](TStream&) { ADD_FAILURE() << "the block reached the reader"; }, true);
            }),
            kInvalidValue);
  EXPECT_EQ(r.ReadTag(), kNext);
}

// --- Whole definitions, read as a loader that knows no classes would ----------------------

TEST_F(ReaderTest, SampleDefinitionIsWalkedToItsLastByte) {
  const StreamBuilder form = SampleDefinition();
  TReader& r = Open(form);
  const WalkTotals totals = WalkDefinition(r);
  EXPECT_EQ(totals.objects, 5);
  EXPECT_EQ(totals.entries, 29);
  EXPECT_EQ(r.Position(), static_cast<std::int64_t>(form.Size()));
}

TEST_F(ReaderTest, DefinitionCutAtAnyByteIsStreamReadErrorWhenWalked) {
  const std::vector<std::uint8_t> whole = SampleDefinition().Bytes();
  for (std::size_t length = 0; length < whole.size(); ++length) {
    SCOPED_TRACE(length);
    TReader& walked = Open({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)});
    ASSERT_EQ(Raised([&] { WalkDefinition(walked); }), kStreamReadError);
  }
}

TEST_F(ReaderTest, BytesAfterTheRootRecordAreNeverRead) {
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
