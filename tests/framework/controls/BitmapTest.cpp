#include "tests/framework/controls/ButtonTestSupport.h"

#include "framework/runtime/Exception.h"
#include "tests/support/Raised.h"

namespace sx::testing {
namespace {

using BitmapTest = ButtonsTest;

// 2 x 2: red, green on the top row, blue, white below.
std::vector<std::uint8_t> SmallBitmapFile() {
  return BitmapFile(2, 2,
                    {0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00,  //
                     0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00});
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
  EXPECT_EQ(Raised([&] { bitmap->LoadFromFileBytes(bytes); }),
            "EReadError: Bitmap image is not valid");
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
