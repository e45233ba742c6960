#include "tests/support/StreamBuilder.h"

#include <bit>
#include <stdexcept>

namespace sx::testing {

StreamBuilder& StreamBuilder::Byte(std::uint8_t b) {
  bytes_.push_back(b);
  return *this;
}

StreamBuilder& StreamBuilder::Raw(std::span<const std::uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

StreamBuilder& StreamBuilder::Raw(std::initializer_list<std::uint8_t> bytes) {
  return Raw(std::span<const std::uint8_t>(bytes.begin(), bytes.size()));
}

StreamBuilder& StreamBuilder::Raw(std::string_view bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

StreamBuilder& StreamBuilder::Le16(std::uint16_t v) {
  return Byte(static_cast<std::uint8_t>(v)).Byte(static_cast<std::uint8_t>(v >> 8));
}

StreamBuilder& StreamBuilder::Le32(std::uint32_t v) {
  return Le16(static_cast<std::uint16_t>(v)).Le16(static_cast<std::uint16_t>(v >> 16));
}

StreamBuilder& StreamBuilder::Le64(std::uint64_t v) {
  return Le32(static_cast<std::uint32_t>(v)).Le32(static_cast<std::uint32_t>(v >> 32));
}

StreamBuilder& StreamBuilder::Short(std::string_view text) {
  if (text.size() > 255) throw std::length_error("short string longer than 255 bytes");
  return Byte(static_cast<std::uint8_t>(text.size())).Raw(text);
}

StreamBuilder& StreamBuilder::Tag(ValueTag tag) {
  return Byte(tag);
}

StreamBuilder& StreamBuilder::Signature() {
  return Raw("TPF0");
}

StreamBuilder& StreamBuilder::Object(std::string_view className, std::string_view name) {
  return Short(className).Short(name);
}

StreamBuilder& StreamBuilder::Object(std::uint8_t flags, std::string_view className,
                                     std::string_view name,
                                     std::optional<std::int32_t> childPosition) {
  Byte(static_cast<std::uint8_t>(0xF0 | (flags & 0x0F)));
  if (childPosition) Int(*childPosition);
  return Object(className, name);
}

StreamBuilder& StreamBuilder::End() {
  return Byte(0);
}

StreamBuilder& StreamBuilder::Name(std::string_view propertyPath) {
  return Short(propertyPath);
}

StreamBuilder& StreamBuilder::Int(std::int32_t v) {
  if (v >= -128 && v <= 127) return Int8(static_cast<std::int8_t>(v));
  if (v >= -32768 && v <= 32767) return Int16(static_cast<std::int16_t>(v));
  return Int32(v);
}

StreamBuilder& StreamBuilder::Int8(std::int8_t v) {
  return Tag(TagInt8).Byte(static_cast<std::uint8_t>(v));
}

StreamBuilder& StreamBuilder::Int16(std::int16_t v) {
  return Tag(TagInt16).Le16(static_cast<std::uint16_t>(v));
}

StreamBuilder& StreamBuilder::Int32(std::int32_t v) {
  return Tag(TagInt32).Le32(static_cast<std::uint32_t>(v));
}

StreamBuilder& StreamBuilder::Int64(std::int64_t v) {
  return Tag(TagInt64).Le64(static_cast<std::uint64_t>(v));
}

// The double's value exactly, in the wider format.
StreamBuilder& StreamBuilder::Extended(double v) {
  const auto bits = std::bit_cast<std::uint64_t>(v);
  const unsigned sign = static_cast<unsigned>(bits >> 63);
  int exponent = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  std::uint64_t mantissa = 0;
  unsigned top = 0;
  if (exponent == 0x7FF) {
    top = 0x7FFF;
    mantissa = (std::uint64_t{1} << 63) | (fraction << 11);
  } else if (exponent != 0 || fraction != 0) {
    if (exponent == 0) {
      // A double denormal is a normal number in the wider format.
      const int shift = std::countl_zero(fraction) - 11;
      fraction <<= shift;
      exponent = 1 - shift;
      fraction &= (std::uint64_t{1} << 52) - 1;
    }
    top = static_cast<unsigned>(exponent - 1023 + 16383);
    mantissa = (std::uint64_t{1} << 63) | (fraction << 11);
  }
  return Extended(mantissa, static_cast<std::uint16_t>(top | (sign << 15)));
}

StreamBuilder& StreamBuilder::Extended(std::uint64_t mantissa, std::uint16_t signAndExponent) {
  return Tag(TagExtended).Le64(mantissa).Le16(signAndExponent);
}

StreamBuilder& StreamBuilder::Single(float v) {
  return Tag(TagSingle).Le32(std::bit_cast<std::uint32_t>(v));
}

StreamBuilder& StreamBuilder::Currency(std::int64_t scaled) {
  return Tag(TagCurrency).Le64(static_cast<std::uint64_t>(scaled));
}

StreamBuilder& StreamBuilder::Date(double v) {
  return Tag(TagDate).Le64(std::bit_cast<std::uint64_t>(v));
}

StreamBuilder& StreamBuilder::String(std::string_view text) {
  return Tag(TagString).Short(text);
}

StreamBuilder& StreamBuilder::LString(std::string_view text) {
  return Tag(TagLString).Le32(static_cast<std::uint32_t>(text.size())).Raw(text);
}

StreamBuilder& StreamBuilder::WString(std::u16string_view text) {
  Tag(TagWString).Le32(static_cast<std::uint32_t>(text.size()));
  for (char16_t unit : text)
    Le16(unit);
  return *this;
}

StreamBuilder& StreamBuilder::Utf8String(std::string_view utf8) {
  return Tag(TagUtf8String).Le32(static_cast<std::uint32_t>(utf8.size())).Raw(utf8);
}

StreamBuilder& StreamBuilder::Ident(std::string_view ident) {
  return Tag(TagIdent).Short(ident);
}

StreamBuilder& StreamBuilder::False() {
  return Tag(TagFalse);
}
StreamBuilder& StreamBuilder::True() {
  return Tag(TagTrue);
}
StreamBuilder& StreamBuilder::Nil() {
  return Tag(TagNil);
}
StreamBuilder& StreamBuilder::Null() {
  return Tag(TagNull);
}

StreamBuilder& StreamBuilder::Set(std::initializer_list<std::string_view> members) {
  Tag(TagSet);
  for (std::string_view member : members)
    Short(member);
  return End();
}

StreamBuilder& StreamBuilder::Binary(std::span<const std::uint8_t> data) {
  return Tag(TagBinary).Le32(static_cast<std::uint32_t>(data.size())).Raw(data);
}

StreamBuilder& StreamBuilder::Binary(std::initializer_list<std::uint8_t> data) {
  return Binary(std::span<const std::uint8_t>(data.begin(), data.size()));
}

StreamBuilder& StreamBuilder::List() {
  return Tag(TagList);
}

StreamBuilder& StreamBuilder::Collection() {
  return Tag(TagCollection);
}

StreamBuilder& StreamBuilder::Item(std::optional<std::int32_t> orderIndex) {
  if (orderIndex) Int(*orderIndex);
  return List();
}

}  // namespace sx::testing
