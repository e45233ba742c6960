#include "framework/runtime/TextUtil.h"

#include "framework/runtime/Exception.h"
#include "framework/runtime/Format.h"
#include "framework/runtime/Texts.h"

namespace sx {

std::string AsciiUpperCase(std::string_view s) {
  std::string result(s);
  for (char& c : result)
    c = AsciiUpper(c);
  return result;
}

std::string IntToStr(std::int64_t value) {
  return std::to_string(value);
}

bool TryStrToInt(std::string_view text, std::int32_t& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  const std::uint64_t limit = negative ? 0x80000000ull : 0x7FFFFFFFull;
  std::uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
    if (magnitude > limit) return false;
  }
  value =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(negative ? 0u - magnitude : magnitude));
  return true;
}

std::int32_t StrToInt(std::string_view text) {
  std::int32_t value = 0;
  if (!TryStrToInt(text, value))
    throw EConvertError(Format(LoadText(TextId::SInvalidInteger), {text}));
  return value;
}

}  // namespace sx
