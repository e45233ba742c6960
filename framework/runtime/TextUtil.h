#pragma once

// Small text helpers: ASCII case, identifiers and decimal integers.

#include <cstdint>
#include <string>
#include <string_view>

namespace sx {

constexpr char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// Equality that ignores the case of ASCII letters only; every other byte must match exactly.
constexpr bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

// A valid identifier: an ASCII letter or "_" first, then ASCII letters, digits or "_".
constexpr bool IsValidIdent(std::string_view s) {
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  if (s.empty() || !letter(s[0])) return false;
  for (char c : s.substr(1))
    if (!letter(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}

std::string AsciiUpperCase(std::string_view s);

// The decimal text of a number, as the program writes it: no leading zeros, no separators.
std::string IntToStr(std::int64_t value);

// The integer value of a decimal text: an optional sign and digits, nothing else, within the
// 32-bit range; raises EConvertError "'%s' is not a valid integer value" otherwise.
std::int32_t StrToInt(std::string_view text);

// As StrToInt, but reports failure instead of raising.
bool TryStrToInt(std::string_view text, std::int32_t& value);

}  // namespace sx
