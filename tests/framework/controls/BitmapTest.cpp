#include "tests/framework/controls/ButtonTestSupport.h"

#include "framework/runtime/Exception.h"

namespace sx::testing {
namespace {

using BitmapTest = ButtonsTest;

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

// A 24-bit bitmap file, 2 x 2: red, green on the top row, blue, white below.
std::vector<std::uint8_t> SmallBitmapFile() {
  std::vector<std::uint8_t> out{'B', 'M'};
  Put32(out, 14 + 40 + 16);
  Put32(out, 0);
  Put32(out, 14 + 40);
  Put32(out, 40);
  Put32(out, 2);
  Put32(out, 2);
  Put16(out, 1);
  Put16(out, 24);
  for (int i = 0; i < 6; ++i)
    Put32(out, 0);
  // Bottom row first, blue-green-red per pixel, rows padded to 4 bytes.
  for (std::uint8_t b : {0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00})
    out.push_back(b);
  for (std::uint8_t b : {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00})
    out.push_back(b);
  return out;
}

TEST_F(BitmapTest, StoredBitmapFileLoads) {
  TBitmap* bitmap = New<TBitmap>();
  bitmap->LoadFromFileBytes(SmallBitmapFile());
  EXPECT_EQ(bitmap->Width(), 2);
  EXPECT_EQ(bitmap->Height(), 2);
  EXPECT_EQ(bitmap->Pixel(0, 0), clRed);
  EXPECT_EQ(bitmap->Pixel(1, 0), clLime);
  EXPECT_EQ(bitmap->Pixel(0, 1), clBlue);
  EXPECT_EQ(bitmap->Pixel(1, 1), clWhite);
  Free(bitmap);
}

TEST_F(BitmapTest, PixelDataShorterThanHeaderClaimsIsRefused) {
  TBitmap* bitmap = New<TBitmap>();
  auto bytes = SmallBitmapFile();
  bytes.resize(bytes.size() - 3);
  EXPECT_THROW(bitmap->LoadFromFileBytes(bytes), EReadError);
  EXPECT_TRUE(bitmap->Empty());
  Free(bitmap);
}

TEST_F(BitmapTest, HugeDimensionsAreRefused) {
  TBitmap* bitmap = New<TBitmap>();
  auto bytes = SmallBitmapFile();
  bytes[18] = 0xFF;  // width 0x7FFF00FF-ish
  bytes[21] = 0x7F;
  EXPECT_THROW(bitmap->LoadFromFileBytes(bytes), EReadError);
  Free(bitmap);
}

TEST_F(BitmapTest, PixelOffsetPastEndIsRefused) {
  TBitmap* bitmap = New<TBitmap>();
  auto bytes = SmallBitmapFile();
  bytes[10] = 0xF0;
  try {
    bitmap->LoadFromFileBytes(bytes);
    FAIL() << "accepted pixels past the end";
  } catch (const EReadError& error) {
    EXPECT_EQ(error.Message(), "Bitmap image is not valid");
  }
  Free(bitmap);
}

TEST_F(BitmapTest, CopyIsUnaffectedByChangesToOriginal) {
  TBitmap* original = New<TBitmap>();
  original->LoadFromFileBytes(SmallBitmapFile());
  TBitmap* copy = New<TBitmap>();
  copy->Assign(original);
  original->SetPixel(0, 0, clBlack);
  EXPECT_EQ(copy->Pixel(0, 0), clRed);
  EXPECT_FALSE(copy->SharesImageWith(*original));
  Free(copy);
  Free(original);
}

}  // namespace
}  // namespace sx::testing
