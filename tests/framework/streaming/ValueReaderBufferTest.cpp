#include <gtest/gtest.h>

#include <vector>

#include "tests/framework/streaming/StreamingTestSupport.h"

namespace sx::testing {
namespace {

// Records how much the reader asks for each time.
class CountingStream : public TCustomMemoryStream {
 public:
  using TCustomMemoryStream::TCustomMemoryStream;
  std::int32_t Read(void* buffer, std::int32_t count) override {
    requests.push_back(count);
    return TCustomMemoryStream::Read(buffer, count);
  }
  std::vector<std::int32_t> requests;
};

std::vector<std::uint8_t> Filler(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
  return bytes;
}

using ValueReaderBufferTest = ValueReaderFixture;

TEST_F(ValueReaderBufferTest, PositionCountsConsumedBytesNotBufferedOnes) {
  auto& r = Open(Filler(100));
  std::uint8_t out[3];
  r.ReadRaw(out, 3);
  EXPECT_EQ(stream->Position(), 100);
  EXPECT_EQ(r.Position(), 3);
}

TEST_F(ValueReaderBufferTest, DestroyingTheReaderLeavesTheStreamAfterTheLastConsumedByte) {
  Open(Filler(100));
  std::uint8_t out[10];
  reader->ReadRaw(out, 10);
  reader->PeekTag();
  reader.reset();
  EXPECT_EQ(stream->Position(), 10);
}

TEST_F(ValueReaderBufferTest, SyncPositionHandsTheStreamOverAtTheNextUnreadByte) {
  const auto bytes = Filler(100);
  auto& r = Open(bytes);
  std::uint8_t out[10];
  r.ReadRaw(out, 10);
  r.SyncPosition();
  EXPECT_EQ(stream->Position(), 10);
  // Whoever used the stream meanwhile moved it; the reader goes on from there.
  stream->SetPosition(40);
  EXPECT_EQ(static_cast<std::uint8_t>(r.ReadTag()), bytes[40]);
}

TEST_F(ValueReaderBufferTest, ReaderStartsAtTheStreamsCurrentPosition) {
  const auto bytes = Filler(50);
  TCustomMemoryStream source(bytes);
  source.SetPosition(20);
  {
    PlainValueReader r(source);
    EXPECT_EQ(r.Position(), 20);
    EXPECT_EQ(static_cast<std::uint8_t>(r.ReadTag()), bytes[20]);
  }
  EXPECT_EQ(source.Position(), 21);
}

TEST_F(ValueReaderBufferTest, RefillsInPiecesOfAtMost4096Bytes) {
  const auto bytes = Filler(4096 * 2 + 100);
  CountingStream source(bytes);
  PlainValueReader r(source);
  std::vector<std::uint8_t> out(bytes.size());
  r.ReadRaw(out.data(), static_cast<std::int32_t>(out.size()));
  EXPECT_EQ(out, bytes);
  EXPECT_EQ(source.requests, (std::vector<std::int32_t>{4096, 4096, 4096}));
}

TEST_F(ValueReaderBufferTest, ValueStraddlingTheBufferBoundaryReadsWhole) {
  auto& r =
      Open(StreamBuilder().Raw(std::vector<std::uint8_t>(4094, 0)).Int32(0x12345678).Int16(-2));
  std::vector<std::uint8_t> skip(4094);
  r.ReadRaw(skip.data(), 4094);
  EXPECT_EQ(r.ReadIntValue(), 0x12345678);
  EXPECT_EQ(r.Position(), 4099);
  EXPECT_EQ(r.ReadIntValue(), -2);
  reader.reset();
  EXPECT_EQ(stream->Position(), 4102);
}

TEST_F(ValueReaderBufferTest, ShortTextStraddlingTheBufferBoundaryReadsWhole) {
  auto& r = Open(StreamBuilder().Raw(std::vector<std::uint8_t>(4090, 0)).Short("Caption.Text"));
  std::vector<std::uint8_t> skip(4090);
  r.ReadRaw(skip.data(), 4090);
  EXPECT_EQ(r.ReadShortText(), "Caption.Text");
}

TEST_F(ValueReaderBufferTest, StreamAtItsEndGivesStreamReadError) {
  auto& r = Open(Filler(2));
  std::uint8_t out[2];
  r.ReadRaw(out, 2);
  EXPECT_EQ(Raised([&] { r.ReadTag(); }), kStreamReadError);
  EXPECT_EQ(Raised([&] { r.PeekTag(); }), kStreamReadError);
  EXPECT_EQ(Raised([&] { r.AtListEnd(); }), kStreamReadError);
}

TEST_F(ValueReaderBufferTest, ReadingMoreThanIsLeftGivesStreamReadError) {
  auto& r = Open(Filler(5000));
  std::vector<std::uint8_t> out(6000);
  EXPECT_EQ(Raised([&] { r.ReadRaw(out.data(), 6000); }), kStreamReadError);
}

TEST_F(ValueReaderBufferTest, NegativeRawCountGivesStreamReadError) {
  auto& r = Open(Filler(5));
  std::uint8_t out[1];
  EXPECT_EQ(Raised([&] { r.ReadRaw(out, -1); }), kStreamReadError);
  EXPECT_EQ(r.Position(), 0);
}

}  // namespace
}  // namespace sx::testing
