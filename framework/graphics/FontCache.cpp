#include "framework/graphics/FontCache.h"

#include <algorithm>

#include "framework/graphics/MulDiv.h"
#include "framework/runtime/SystemServices.h"

namespace sx {
namespace {

constexpr const char* kPitchNames[] = {"fpDefault", "fpVariable", "fpFixed"};
constexpr const char* kStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

constexpr std::size_t kHeightAt = 4;
constexpr std::size_t kPitchAt = 8;
constexpr std::size_t kStyleAt = 9;
constexpr std::size_t kCharsetAt = 10;
constexpr std::size_t kNameAt = 11;

}  // namespace

constinit const TypeInfo TypeInfo_TFontPitch = EnumType("TFontPitch", kPitchNames);
constinit const TypeInfo TypeInfo_TFontStyle = EnumType("TFontStyle", kStyleNames);
constinit const TypeInfo TypeInfo_TFontStyles = SetType("TFontStyles", &TypeInfo_TFontStyle);

std::array<std::uint8_t, FontData::kSize> FontData::Encode() const {
  std::array<std::uint8_t, kSize> bytes{};
  PutRecordU32(&bytes[0], handle);
  PutRecordU32(&bytes[kHeightAt], static_cast<std::uint32_t>(height));
  bytes[kPitchAt] = pitch;
  bytes[kStyleAt] = style.Mask();
  bytes[kCharsetAt] = charset;
  const std::size_t length = std::min(name.size(), kMaxNameLength);
  bytes[kNameAt] = static_cast<std::uint8_t>(length);
  std::copy_n(name.begin(), length, bytes.begin() + kNameAt + 1);
  return bytes;
}

FontData FontData::Decode(const std::array<std::uint8_t, kSize>& bytes) {
  FontData data;
  data.handle = GetRecordU32(&bytes[0]);
  data.height = static_cast<std::int32_t>(GetRecordU32(&bytes[kHeightAt]));
  data.pitch = static_cast<TFontPitch>(bytes[kPitchAt]);
  data.style = TFontStyles::FromMask(bytes[kStyleAt]);
  data.charset = static_cast<TFontCharset>(bytes[kCharsetAt]);
  const std::size_t length = std::min<std::size_t>(bytes[kNameAt], kMaxNameLength);
  data.name.assign(reinterpret_cast<const char*>(&bytes[kNameAt + 1]), length);
  return data;
}

ResourceCache<FontData>& FontResources() {
  // Never destroyed: fonts held by objects that outlive static destruction still give
  // their records back to a living cache.
  static auto* cache =
      new ResourceCache<FontData>([](SystemHandle font) { System().DeleteFont(font); });
  return *cache;
}

FontData MakeDefaultFontData(int pixelsPerInch) {
  FontData data;
  data.height = -MulDiv(8, pixelsPerInch, 72);
  data.pitch = fpDefault;
  data.charset = charsets::Default;
  data.name = "MS Sans Serif";
  return data;
}

}  // namespace sx
