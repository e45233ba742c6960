#include "framework/controls/Bitmap.h"

#include <cstring>
#include <limits>

#include "framework/runtime/Exception.h"
#include "framework/runtime/Finally.h"
#include "framework/runtime/Texts.h"
#include "framework/streaming/Filer.h"
#include "framework/streaming/Stream.h"

namespace sx {
namespace {

// The largest side accepted from stored bytes; a glyph is a few dozen pixels.
constexpr int kMaxSide = 4096;

std::uint32_t ToPixel(TColor color) {
  const auto rgb = static_cast<std::uint32_t>(color);
  return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

TColor ToColor(std::uint32_t pixel) {
  return static_cast<TColor>(((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF));
}

BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

[[noreturn]] void InvalidBitmap() {
  throw EReadError(LoadText(TextId::SInvalidBitmap));
}

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i)
    value |= std::uint32_t{bytes[at + i]} << (8 * i);
  return value;
}

}  // namespace

constinit const ClassInfo TBitmap::StaticClass{
    .name = "TBitmap",
    .parent = &TPersistent::StaticClass,
};

void TBitmap::Assign(const TPersistent* source) {
  if (!source) {
    if (!image_) return;
    image_.reset();
    Changed();
    return;
  }
  if (source->InheritsFrom(StaticClass)) {
    const auto* other = static_cast<const TBitmap*>(source);
    if (other->image_ == image_) return;
    image_ = other->image_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TBitmap::DefineStoredData(TFiler& filer) {
  TPersistent::DefineStoredData(filer);
  filer.DefineStoredBinary(
      "Data", [this](TStream& data) { LoadFromStream(data); }, !Empty());
}

void TBitmap::SetSize(int width, int height) {
  if (width <= 0 || height <= 0) {
    Assign(nullptr);
    return;
  }
  auto image = std::make_shared<Image>();
  image->width = width;
  image->height = height;
  image->pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  image_ = std::move(image);
  Changed();
}

TColor TBitmap::Pixel(int x, int y) const {
  if (!image_ || x < 0 || y < 0 || x >= image_->width || y >= image_->height) return clNone;
  return ToColor(image_->pixels[static_cast<std::size_t>(y) * image_->width + x]);
}

void TBitmap::SetPixel(int x, int y, TColor color) {
  if (!image_ || x < 0 || y < 0 || x >= image_->width || y >= image_->height) return;
  Unshare().pixels[static_cast<std::size_t>(y) * image_->width + x] = ToPixel(color);
  Changed();
}

TBitmap::Image& TBitmap::Unshare() {
  if (image_.use_count() != 1) image_ = std::make_shared<Image>(*image_);
  return const_cast<Image&>(*image_);
}

void TBitmap::Changed() {
  onChange_(this);
}

void TBitmap::TakePicture(HBITMAP bitmap) {
  BITMAP description{};
  if (!GetObjectA(bitmap, sizeof(description), &description) || description.bmWidth <= 0 ||
      description.bmHeight <= 0)
    InvalidBitmap();
  auto image = std::make_shared<Image>();
  image->width = description.bmWidth;
  image->height = description.bmHeight;
  image->pixels.resize(static_cast<std::size_t>(image->width) * image->height);
  BITMAPINFO info = TopDown32(image->width, image->height);
  const HDC screen = GetDC(nullptr);
  const int lines = GetDIBits(screen, bitmap, 0, static_cast<UINT>(image->height),
                              image->pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (lines != image->height) InvalidBitmap();
  for (auto& pixel : image->pixels)
    pixel &= 0x00FFFFFF;
  image_ = std::move(image);
  Changed();
}

bool TBitmap::LoadFromResourceName(HINSTANCE module, const char* name) {
  const auto bitmap =
      static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) return false;
  const Finally release([bitmap] { DeleteObject(bitmap); });
  TakePicture(bitmap);
  return true;
}

void TBitmap::LoadFromFileBytes(std::span<const std::uint8_t> bytes) {
  // Everything the system would read is checked against the bytes first: stored
  // definitions are not trusted to be well formed.
  constexpr std::size_t kFileHeader = 14;
  constexpr std::size_t kInfoHeader = 40;
  if (bytes.size() < kFileHeader + kInfoHeader || bytes[0] != 'B' || bytes[1] != 'M')
    InvalidBitmap();
  const std::size_t bitsAt = ReadU32(bytes, 10);
  const std::size_t headerSize = ReadU32(bytes, kFileHeader);
  if (headerSize < kInfoHeader || headerSize > bytes.size() - kFileHeader) InvalidBitmap();

  BITMAPINFOHEADER header{};
  std::memcpy(&header, bytes.data() + kFileHeader, sizeof(header));
  // 64 bits: the most negative 32-bit height has no positive counterpart in 32 bits.
  const std::int64_t width = header.biWidth;
  const std::int64_t height =
      header.biHeight < 0 ? -std::int64_t{header.biHeight} : std::int64_t{header.biHeight};
  const unsigned bits = header.biBitCount;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || header.biPlanes != 1)
    InvalidBitmap();
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    InvalidBitmap();
  std::size_t masks = 0;
  if (header.biCompression == BI_BITFIELDS && (bits == 16 || bits == 32) &&
      headerSize == kInfoHeader)
    masks = 12;
  else if (header.biCompression != BI_RGB)
    InvalidBitmap();
  std::size_t colours = 0;
  if (bits <= 8) {
    colours = header.biClrUsed ? header.biClrUsed : (std::size_t{1} << bits);
    if (colours > (std::size_t{1} << bits)) InvalidBitmap();
  }
  const std::size_t tableEnd = kFileHeader + headerSize + masks + 4 * colours;
  const std::size_t stride = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
  if (tableEnd > bytes.size() || bitsAt < tableEnd || bitsAt > bytes.size() ||
      stride * static_cast<std::size_t>(height) > bytes.size() - bitsAt)
    InvalidBitmap();

  // The header and colour table are copied out so that the system sees exactly the
  // checked sizes, whatever else the stored header claims.
  std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER) + masks + 4 * colours);
  std::memcpy(info.data(), &header, sizeof(header));
  auto* copied = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
  copied->biSize = sizeof(BITMAPINFOHEADER);
  copied->biClrUsed = static_cast<DWORD>(colours);
  copied->biSizeImage = 0;
  std::memcpy(info.data() + sizeof(BITMAPINFOHEADER), bytes.data() + kFileHeader + headerSize,
              masks + 4 * colours);

  const HDC screen = GetDC(nullptr);
  const HBITMAP bitmap =
      CreateDIBitmap(screen, copied, CBM_INIT, bytes.data() + bitsAt,
                     reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (!bitmap) InvalidBitmap();
  const Finally release([bitmap] { DeleteObject(bitmap); });
  TakePicture(bitmap);
}

void TBitmap::LoadFromStream(TStream& stream) {
  std::uint32_t size = 0;
  stream.ReadBuffer(&size, sizeof(size));
  if (size == 0) {
    Assign(nullptr);
    return;
  }
  if (size > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()) ||
      static_cast<std::int64_t>(size) > stream.Size() - stream.Position())
    InvalidBitmap();
  std::vector<std::uint8_t> bytes(size);
  stream.ReadBuffer(bytes.data(), static_cast<std::int32_t>(size));
  LoadFromFileBytes(bytes);
}

HBITMAP TBitmap::CreateHandle() const {
  return CreateHandle(0, 0, Width(), Height());
}

HBITMAP TBitmap::CreateHandle(int x, int y, int width, int height) const {
  if (!image_ || width <= 0 || height <= 0) return nullptr;
  BITMAPINFO info = TopDown32(width, height);
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  auto* out = static_cast<std::uint32_t*>(bits);
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < width; ++column) {
      const int sx = x + column;
      const int sy = y + row;
      const bool inside = sx >= 0 && sy >= 0 && sx < image_->width && sy < image_->height;
      out[static_cast<std::size_t>(row) * width + column] =
          inside ? image_->pixels[static_cast<std::size_t>(sy) * image_->width + sx] : 0;
    }
  return bitmap;
}

}  // namespace sx
