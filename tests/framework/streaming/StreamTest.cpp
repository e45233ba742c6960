#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "framework/runtime/Exception.h"
#include "framework/streaming/Stream.h"
#include "tests/support/FakeSystem.h"
#include "tests/support/Raised.h"

namespace sx {
namespace {

class StreamTest : public ::testing::Test {
 protected:
  void SetUp() override { system.Install(); }
  testing::FakeSystem system;
};

const std::uint8_t kBytes[] = {1, 2, 3, 4, 5};

TEST_F(StreamTest, MemoryReadStopsAtTheEndAndReportsTheShortCount) {
  TCustomMemoryStream stream(kBytes);
  std::uint8_t out[8] = {};
  EXPECT_EQ(stream.Read(out, 3), 3);
  EXPECT_EQ(stream.Read(out, 8), 2);
  EXPECT_EQ(out[0], 4);
  EXPECT_EQ(out[1], 5);
  EXPECT_EQ(stream.Read(out, 8), 0);
  EXPECT_EQ(stream.Position(), 5);
}

TEST_F(StreamTest, MemoryReadOutsideTheDataDeliversNothing) {
  TCustomMemoryStream stream(kBytes);
  std::uint8_t out[8] = {};
  stream.Seek(-3, SeekOrigin::Begin);
  EXPECT_EQ(stream.Read(out, 8), 0);
  stream.Seek(100, SeekOrigin::End);
  EXPECT_EQ(stream.Read(out, 8), 0);
  stream.Seek(std::numeric_limits<std::int64_t>::max(), SeekOrigin::Current);
  stream.Seek(std::numeric_limits<std::int64_t>::max(), SeekOrigin::Current);
  EXPECT_EQ(stream.Position(), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(stream.Read(out, 8), 0);
  EXPECT_EQ(stream.Read(out, -1), 0);
}

TEST_F(StreamTest, SeekIsRelativeToTheChosenOrigin) {
  TCustomMemoryStream stream(kBytes);
  EXPECT_EQ(stream.Seek(2, SeekOrigin::Begin), 2);
  EXPECT_EQ(stream.Seek(1, SeekOrigin::Current), 3);
  EXPECT_EQ(stream.Seek(-1, SeekOrigin::End), 4);
  EXPECT_EQ(stream.Size(), 5);
  EXPECT_EQ(stream.Position(), 4);
}

TEST_F(StreamTest, ReadOnlyMemoryStreamStoresNothing) {
  TCustomMemoryStream stream(kBytes);
  const std::uint8_t b = 9;
  EXPECT_EQ(stream.Write(&b, 1), 0);
  EXPECT_EQ(kBytes[0], 1);
}

TEST_F(StreamTest, ReadBufferRaisesStreamReadErrorWhenShort) {
  TCustomMemoryStream stream(kBytes);
  std::uint8_t out[8];
  stream.ReadBuffer(out, 4);
  EXPECT_EQ(testing::Raised([&] { stream.ReadBuffer(out, 2); }), "EReadError: Stream read error");
}

TEST_F(StreamTest, OwnedMemoryStreamGrowsOnWriteAndReadsBack) {
  TMemoryStream stream;
  EXPECT_EQ(stream.Write("abc", 3), 3);
  stream.Seek(1, SeekOrigin::Begin);
  EXPECT_EQ(stream.Write("XYZ", 3), 3);
  EXPECT_EQ(stream.Size(), 4);
  stream.SetPosition(0);
  char out[5] = {};
  EXPECT_EQ(stream.Read(out, 4), 4);
  EXPECT_STREQ(out, "aXYZ");
}

TEST_F(StreamTest, OwnedMemoryStreamWritePastTheEndFillsTheGapWithZeros) {
  TMemoryStream stream;
  stream.Seek(3, SeekOrigin::Begin);
  stream.Write("z", 1);
  ASSERT_EQ(stream.Bytes().size(), 4u);
  EXPECT_EQ(stream.Bytes()[0], 0);
  EXPECT_EQ(stream.Bytes()[3], 'z');
  stream.SetSize(2);
  EXPECT_EQ(stream.Size(), 2);
  stream.Clear();
  EXPECT_EQ(stream.Size(), 0);
  EXPECT_EQ(stream.Position(), 0);
}

TEST_F(StreamTest, ResourceIsFoundWithoutRegardToLetterCaseAndReadInPlace) {
  system.AddRcData("TFORM1", {0x54, 0x50, 0x46, 0x30});
  const auto found = TResourceStream::Find(system.MainModule(), "TForm1");
  ASSERT_TRUE(found.has_value());
  TResourceStream stream(*found);
  EXPECT_EQ(stream.Memory().data(), found->data());
  EXPECT_EQ(stream.Size(), 4);
  TResourceStream named(system.MainModule(), "tform1");
  EXPECT_EQ(named.Memory().data(), found->data());
}

TEST_F(StreamTest, AbsentResourceIsReportedNotFoundByTheLookup) {
  EXPECT_FALSE(TResourceStream::Find(system.MainModule(), "TFORM2").has_value());
}

TEST_F(StreamTest, OpeningAnAbsentResourceRaisesResourceNotFoundWithItsName) {
  EXPECT_EQ(testing::Raised([&] { TResourceStream(system.MainModule(), "TForm2"); }),
            "EResNotFound: Resource TForm2 not found");
}

}  // namespace
}  // namespace sx
