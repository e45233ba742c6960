#pragma once

// The binary definition format's vocabulary: the signature, the tag byte in front of every
// stored value and the flags of an object record's prefix byte. The reader and the form
// compiler both include it, so it depends on the standard library only.

#include <cstdint>

namespace sx {

// The four bytes that open a whole definition.
inline constexpr std::uint8_t kDefinitionSignature[4] = {'T', 'P', 'F', '0'};

// The tag byte in front of every stored value.
enum ValueTag : std::uint8_t {
  TagNull = 0,
  TagList = 1,
  TagInt8 = 2,
  TagInt16 = 3,
  TagInt32 = 4,
  TagExtended = 5,
  TagString = 6,
  TagIdent = 7,
  TagFalse = 8,
  TagTrue = 9,
  TagBinary = 10,
  TagSet = 11,
  TagLString = 12,
  TagNil = 13,
  TagCollection = 14,
  TagSingle = 15,
  TagCurrency = 16,
  TagDate = 17,
  TagWString = 18,
  TagInt64 = 19,
  TagUtf8String = 20,
};

// An object record may start with a prefix byte: its high four bits all set (kPrefixMark),
// its low bits the flags below (flag n is bit n).
inline constexpr std::uint8_t kPrefixMark = 0xF0;
enum class PrefixFlag : std::uint8_t { Inherited = 0, ChildPos = 1, Inline = 2 };

constexpr std::uint8_t PrefixBit(PrefixFlag flag) {
  return static_cast<std::uint8_t>(1u << static_cast<unsigned>(flag));
}

}  // namespace sx
