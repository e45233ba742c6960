#pragma once

// Writes stored definitions byte by byte: tags, short strings, values, object records and
// collections, for tests, fuzzer seeds and benchmarks. Every call appends and returns the
// builder, so that a definition reads top to bottom:
//
//   StreamBuilder b;
//   b.Signature().Object("TForm1", "Form1");
//   b.Name("Tag").Int(5);
//   b.End();                  // end of Form1's entries
//   b.Object("TButton", "Button1").End().End();
//   b.End();                  // end of Form1's children

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "framework/streaming/Reader.h"

namespace sx::testing {

class StreamBuilder {
 public:
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::size_t Size() const { return bytes_.size(); }

  // --- Raw bytes ------------------------------------------------------------------------------
  StreamBuilder& Byte(std::uint8_t b);
  StreamBuilder& Raw(std::span<const std::uint8_t> bytes);
  StreamBuilder& Raw(std::initializer_list<std::uint8_t> bytes);
  StreamBuilder& Raw(std::string_view bytes);
  StreamBuilder& Le16(std::uint16_t v);
  StreamBuilder& Le32(std::uint32_t v);
  StreamBuilder& Le64(std::uint64_t v);
  // A length byte and the text (at most 255 bytes).
  StreamBuilder& Short(std::string_view text);
  StreamBuilder& Tag(ValueTag tag);

  // --- Structure ------------------------------------------------------------------------------
  StreamBuilder& Signature();
  // The header of an object record without a prefix byte.
  StreamBuilder& Object(std::string_view className, std::string_view name);
  // The header of an object record with a prefix byte: flags are the low four bits
  // (1 inherited, 2 child position, 4 inline); a child position is written when given.
  StreamBuilder& Object(std::uint8_t flags, std::string_view className, std::string_view name,
                        std::optional<std::int32_t> childPosition = std::nullopt);
  // The zero byte that ends an entry list, a child list, a list, an item or a collection.
  StreamBuilder& End();
  // The name of an entry; one value must follow.
  StreamBuilder& Name(std::string_view propertyPath);

  // --- Values ---------------------------------------------------------------------------------
  // The smallest integer tag that holds the value.
  StreamBuilder& Int(std::int32_t v);
  StreamBuilder& Int8(std::int8_t v);
  StreamBuilder& Int16(std::int16_t v);
  StreamBuilder& Int32(std::int32_t v);
  StreamBuilder& Int64(std::int64_t v);
  // The value as an 80-bit extended float.
  StreamBuilder& Extended(double v);
  // An 80-bit extended float given bit by bit, for patterns no double yields.
  StreamBuilder& Extended(std::uint64_t mantissa, std::uint16_t signAndExponent);
  StreamBuilder& Single(float v);
  StreamBuilder& Currency(std::int64_t scaled);
  StreamBuilder& Date(double v);
  StreamBuilder& String(std::string_view text);
  StreamBuilder& LString(std::string_view text);
  StreamBuilder& WString(std::u16string_view text);
  StreamBuilder& Utf8String(std::string_view utf8);
  StreamBuilder& Ident(std::string_view ident);
  StreamBuilder& False();
  StreamBuilder& True();
  StreamBuilder& Nil();
  StreamBuilder& Null();
  StreamBuilder& Set(std::initializer_list<std::string_view> members);
  StreamBuilder& Binary(std::span<const std::uint8_t> data);
  StreamBuilder& Binary(std::initializer_list<std::uint8_t> data);
  // Starts a list of values; End() closes it.
  StreamBuilder& List();
  // Starts a collection's items; End() closes it.
  StreamBuilder& Collection();
  // Starts one collection item (with its order index when given); its entries follow, then
  // End().
  StreamBuilder& Item(std::optional<std::int32_t> orderIndex = std::nullopt);

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace sx::testing
