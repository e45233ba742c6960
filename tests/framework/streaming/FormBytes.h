#pragma once

// Builds stored definitions byte by byte for tests, fuzzer seeds and benchmarks.

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "framework/streaming/Reader.h"

namespace sx::testing {

class FormBytes {
 public:
  std::vector<std::uint8_t> bytes;

  FormBytes& Byte(std::uint8_t b) {
    bytes.push_back(b);
    return *this;
  }
  FormBytes& Raw(std::initializer_list<std::uint8_t> list) {
    bytes.insert(bytes.end(), list.begin(), list.end());
    return *this;
  }
  FormBytes& Raw(std::string_view text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
  }
  FormBytes& Le16(std::uint16_t v) {
    return Byte(static_cast<std::uint8_t>(v)).Byte(static_cast<std::uint8_t>(v >> 8));
  }
  FormBytes& Le32(std::uint32_t v) {
    return Le16(static_cast<std::uint16_t>(v)).Le16(static_cast<std::uint16_t>(v >> 16));
  }
  FormBytes& Le64(std::uint64_t v) {
    return Le32(static_cast<std::uint32_t>(v)).Le32(static_cast<std::uint32_t>(v >> 32));
  }
  FormBytes& Short(std::string_view text) {
    Byte(static_cast<std::uint8_t>(text.size()));
    return Raw(text);
  }
  FormBytes& Tag(ValueTag tag) { return Byte(tag); }

  FormBytes& Signature() { return Raw("TPF0"); }
  // An object record's header: the optional prefix byte (0 for none), class name, name.
  FormBytes& Object(std::string_view className, std::string_view name) {
    return Short(className).Short(name);
  }
  FormBytes& End() { return Byte(0); }
  // A property entry's name; the value follows.
  FormBytes& Entry(std::string_view name) { return Short(name); }

  FormBytes& Int8(std::int8_t v) { return Tag(TagInt8).Byte(static_cast<std::uint8_t>(v)); }
  FormBytes& Int16(std::int16_t v) { return Tag(TagInt16).Le16(static_cast<std::uint16_t>(v)); }
  FormBytes& Int32(std::int32_t v) { return Tag(TagInt32).Le32(static_cast<std::uint32_t>(v)); }
  // The shortest integer tag that holds the value, as stored definitions use them.
  FormBytes& Int(std::int32_t v) {
    if (v >= -128 && v <= 127) return Int8(static_cast<std::int8_t>(v));
    if (v >= -32768 && v <= 32767) return Int16(static_cast<std::int16_t>(v));
    return Int32(v);
  }
  FormBytes& Int64(std::int64_t v) { return Tag(TagInt64).Le64(static_cast<std::uint64_t>(v)); }
  FormBytes& Extended(std::uint64_t mantissa, std::uint16_t signAndExponent) {
    return Tag(TagExtended).Le64(mantissa).Le16(signAndExponent);
  }
  FormBytes& Single(float v) { return Tag(TagSingle).Le32(std::bit_cast<std::uint32_t>(v)); }
  FormBytes& Currency(std::int64_t scaled) {
    return Tag(TagCurrency).Le64(static_cast<std::uint64_t>(scaled));
  }
  FormBytes& Date(double v) { return Tag(TagDate).Le64(std::bit_cast<std::uint64_t>(v)); }
  FormBytes& String(std::string_view text) { return Tag(TagString).Short(text); }
  FormBytes& LString(std::string_view text) {
    Tag(TagLString).Le32(static_cast<std::uint32_t>(text.size()));
    return Raw(text);
  }
  FormBytes& Utf8(std::string_view text) {
    Tag(TagUtf8String).Le32(static_cast<std::uint32_t>(text.size()));
    return Raw(text);
  }
  FormBytes& WString(std::u16string_view text) {
    Tag(TagWString).Le32(static_cast<std::uint32_t>(text.size()));
    for (char16_t c : text)
      Le16(c);
    return *this;
  }
  FormBytes& Ident(std::string_view text) { return Tag(TagIdent).Short(text); }
  FormBytes& Set(std::initializer_list<std::string_view> names) {
    Tag(TagSet);
    for (std::string_view name : names)
      Short(name);
    return Byte(0);
  }
  FormBytes& Binary(std::initializer_list<std::uint8_t> data) {
    Tag(TagBinary).Le32(static_cast<std::uint32_t>(data.size()));
    return Raw(data);
  }
};

}  // namespace sx::testing
