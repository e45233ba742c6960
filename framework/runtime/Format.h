#pragma once

// Format: the message formatter that never trusts its format text.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace sx {

// One argument of Format: an integer, a text or a pointer.
class FormatArg {
 public:
  enum class Kind { Integer, Text, Pointer };

  FormatArg(int v) : kind_(Kind::Integer), integer_(v) {}
  FormatArg(long v) : kind_(Kind::Integer), integer_(v) {}
  FormatArg(long long v) : kind_(Kind::Integer), integer_(v) {}
  FormatArg(unsigned v) : kind_(Kind::Integer), integer_(v) {}
  FormatArg(unsigned long v) : kind_(Kind::Integer), integer_(static_cast<std::int64_t>(v)) {}
  FormatArg(unsigned long long v) : kind_(Kind::Integer), integer_(static_cast<std::int64_t>(v)) {}
  FormatArg(std::string_view v) : kind_(Kind::Text), text_(v) {}
  FormatArg(const std::string& v) : kind_(Kind::Text), text_(v) {}
  FormatArg(const char* v) : kind_(Kind::Text), text_(v ? v : "") {}
  FormatArg(const void* v)
      : kind_(Kind::Pointer),
        integer_(static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(v))) {}

  Kind kind() const { return kind_; }
  std::int64_t integer() const { return integer_; }
  std::string_view text() const { return text_; }

 private:
  Kind kind_;
  std::int64_t integer_ = 0;
  std::string_view text_;
};

// Formats a message text. Understands %s, %d, %u, %x, %X and %p with optional "-", width
// and precision (%.8X pads to eight digits; %p prints eight hexadecimal digits), and %%.
// Message texts may come from a replaceable resource module, so the format is never
// trusted: a directive that does not match its argument, or a missing argument, raises
// EConvertError "Format '%s' invalid or incompatible with argument".
std::string Format(std::string_view format, std::initializer_list<FormatArg> args);

}  // namespace sx
