#pragma once

// TBitmap: a picture kept as 32-bit pixels, loaded from a bitmap resource or from the bytes
// of a bitmap file. Copies share the pixels until one of them is changed.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "framework/graphics/Colors.h"
#include "framework/streaming/Persistent.h"

namespace sx {

class TStream;

class TBitmap : public TPersistent {
  SX_CLASS(TBitmap)

  TBitmap() = default;

  // From another bitmap: shares its pixels. None empties this one.
  void Assign(const TPersistent* source) override;
  void DefineStoredData(TFiler& filer) override;

  int Width() const { return image_ ? image_->width : 0; }
  int Height() const { return image_ ? image_->height : 0; }
  bool Empty() const { return Width() == 0 || Height() == 0; }
  // Makes a picture of that size filled with black; a size of 0 empties the bitmap.
  void SetSize(int width, int height);

  // The colour of a pixel (0x00BBGGRR); clNone outside the picture.
  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);

  // Loads the bitmap resource of that name from the module; false, and the bitmap left
  // unchanged, when the module has no such bitmap.
  bool LoadFromResourceName(HINSTANCE module, const char* name);
  // Reads a bitmap file (its file header first); raises EReadError on bytes that are not one.
  void LoadFromFileBytes(std::span<const std::uint8_t> bytes);
  // The stored form: a 32-bit length, then a bitmap file.
  void LoadFromStream(TStream& stream);

  // A new system bitmap of the picture (a device-independent section, 32 bits); the caller
  // deletes it. None for an empty bitmap.
  HBITMAP CreateHandle() const;
  // The same for the part of the picture at (x, y), `width` by `height` pixels.
  HBITMAP CreateHandle(int x, int y, int width, int height) const;

  // Whether two bitmaps share their pixels.
  bool SharesImageWith(const TBitmap& other) const { return image_ && image_ == other.image_; }

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& event) { onChange_ = event; }

 private:
  struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
  };

  // Loads the picture of a system bitmap.
  void TakePicture(HBITMAP bitmap);
  // Makes the pixels this bitmap's own before a change.
  Image& Unshare();
  void Changed();

  std::shared_ptr<const Image> image_;
  TNotifyEvent onChange_;
};

}  // namespace sx
