#include "framework/runtime/Format.h"

#include <vector>

#include "framework/runtime/Exception.h"
#include "framework/runtime/Texts.h"

namespace sx {
namespace {

std::string Digits(std::uint64_t value, unsigned base, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string out;
  do {
    out.insert(out.begin(), digits[value % base]);
    value /= base;
  } while (value != 0);
  return out;
}

[[noreturn]] void InvalidFormat(std::string_view format) {
  // Built from the compiled-in text: the loaded one could itself be the faulty format.
  std::string message = BuiltInText(static_cast<int>(TextId::SInvalidFormat));
  const std::size_t at = message.find("%s");
  if (at != std::string::npos) message.replace(at, 2, format);
  throw EConvertError(message);
}

}  // namespace

std::string Format(std::string_view format, std::initializer_list<FormatArg> args) {
  std::string out;
  auto next = args.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c != '%') {
      out += c;
      continue;
    }
    if (++i >= format.size()) InvalidFormat(format);
    if (format[i] == '%') {
      out += '%';
      continue;
    }
    bool left = false;
    if (format[i] == '-') {
      left = true;
      if (++i >= format.size()) InvalidFormat(format);
    }
    std::size_t width = 0;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9')
      width = std::min<std::size_t>(width * 10 + static_cast<std::size_t>(format[i++] - '0'), 1024);
    int precision = -1;
    if (i < format.size() && format[i] == '.') {
      precision = 0;
      ++i;
      while (i < format.size() && format[i] >= '0' && format[i] <= '9')
        precision = std::min(precision * 10 + (format[i++] - '0'), 1024);
    }
    if (i >= format.size() || next == args.end()) InvalidFormat(format);
    const FormatArg& arg = *next++;
    std::string piece;
    switch (format[i]) {
      case 'd':
      case 'D': {
        if (arg.kind() != FormatArg::Kind::Integer) InvalidFormat(format);
        const std::int64_t v = arg.integer();
        piece = Digits(v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v),
                       10, false);
        if (precision > 0 && piece.size() < static_cast<std::size_t>(precision))
          piece.insert(0, static_cast<std::size_t>(precision) - piece.size(), '0');
        if (v < 0) piece.insert(piece.begin(), '-');
        break;
      }
      case 'u':
      case 'U':
      case 'x':
      case 'X': {
        if (arg.kind() == FormatArg::Kind::Text) InvalidFormat(format);
        const char kind = format[i];
        const bool hex = kind == 'x' || kind == 'X';
        // Like the 32-bit runtime, a negative value prints as its 32-bit pattern.
        const std::uint64_t v = static_cast<std::uint32_t>(arg.integer());
        piece = Digits(v, hex ? 16 : 10, kind == 'X');
        if (precision > 0 && piece.size() < static_cast<std::size_t>(precision))
          piece.insert(0, static_cast<std::size_t>(precision) - piece.size(), '0');
        break;
      }
      case 'p':
      case 'P': {
        if (arg.kind() == FormatArg::Kind::Text) InvalidFormat(format);
        piece = Digits(static_cast<std::uint32_t>(arg.integer()), 16, true);
        piece.insert(0, 8 - piece.size(), '0');
        break;
      }
      case 's':
      case 'S': {
        if (arg.kind() != FormatArg::Kind::Text) InvalidFormat(format);
        piece = std::string(arg.text());
        if (precision >= 0 && piece.size() > static_cast<std::size_t>(precision))
          piece.resize(static_cast<std::size_t>(precision));
        break;
      }
      default:
        InvalidFormat(format);
    }
    if (piece.size() < width) {
      if (left)
        piece.append(width - piece.size(), ' ');
      else
        piece.insert(0, width - piece.size(), ' ');
    }
    out += piece;
  }
  return out;
}

}  // namespace sx
