#include "tools/formc/FormCompiler.h"

#include <cstddef>
#include <iterator>
#include <set>
#include <utility>

#include "framework/streaming/WireFormat.h"

namespace sx::formc {
namespace {

constexpr std::size_t kMaxShortString = 255;
// A record starts with its class name's length byte; the reader takes a byte with the high
// four bits set for a prefix and a zero byte for the end of a list, so neither may start one.
constexpr std::size_t kMaxClassName = kPrefixMark - 1;
constexpr std::int64_t kMaxCount = 0x7FFFFFFF;

struct Fault {
  int line;
  std::string message;
};

[[noreturn]] void Fail(int line, std::string message) {
  throw Fault{line, std::move(message)};
}

std::string Lower(std::string_view s) {
  std::string result(s);
  for (char& c : result)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return result;
}

bool SameAscii(std::string_view a, std::string_view b) {
  return Lower(a) == Lower(b);
}

// --- UTF-8 -------------------------------------------------------------------------------

// Length of the well-formed UTF-8 sequence at text[i] and its code point; 0 when the bytes
// there are not one (stray continuation, overlong form, surrogate, beyond U+10FFFF, cut off).
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& codePoint) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned lead = byte(i);
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  }
  std::size_t length;
  unsigned low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k)
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  char32_t value = lead & (length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07);
  for (std::size_t k = 1; k < length; ++k)
    value = (value << 6) | (byte(i + k) & 0x3F);
  codePoint = value;
  return length;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// --- Tokens ------------------------------------------------------------------------------

enum class TokenKind { Name, Integer, Text, Punct };

struct Token {
  TokenKind kind;
  std::string spelling;  // as written, for messages; the name itself for names
  std::int64_t number = 0;
  std::u32string chars;  // the characters of a text, escapes resolved
  char punct = 0;
};

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
// The value of a hexadecimal digit, or -1.
int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Quote(std::string_view s) {
  return "'" + std::string(s) + "'";
}

std::string Describe(const Token& token) {
  if (token.kind == TokenKind::Text) return "text " + token.spelling;
  return Quote(token.spelling);
}

// The character at text[i] for a message: the whole UTF-8 sequence, or its byte in hex.
std::string CharacterAt(std::string_view text, std::size_t i) {
  char32_t c;
  const std::size_t length = DecodeUtf8(text, i, c);
  const auto b = static_cast<unsigned char>(text[i]);
  if (length == 0 || b < 0x20 || b == 0x7F) {
    static const char kHex[] = "0123456789ABCDEF";
    return std::string("byte 0x") + kHex[b >> 4] + kHex[b & 15];
  }
  return Quote(text.substr(i, length));
}

void LexText(std::string_view line, std::size_t& i, int lineNumber, Token& token) {
  const std::size_t start = i;
  ++i;  // the opening quote
  for (;;) {
    if (i >= line.size()) Fail(lineNumber, "unterminated text: missing closing '\"'");
    const char c = line[i];
    if (c == '"') {
      ++i;
      break;
    }
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      Fail(lineNumber, CharacterAt(line, i) + " in a text; write control characters as escapes");
    if (c != '\\') {
      char32_t codePoint;
      const std::size_t length = DecodeUtf8(line, i, codePoint);  // checked before lexing
      token.chars += codePoint;
      i += length;
      continue;
    }
    if (i + 1 >= line.size()) Fail(lineNumber, "unterminated text: missing closing '\"'");
    const char e = line[i + 1];
    i += 2;
    switch (e) {
      case '"':
        token.chars += U'"';
        break;
      case '\\':
        token.chars += U'\\';
        break;
      case 'n':
        token.chars += U'\n';
        break;
      case 'r':
        token.chars += U'\r';
        break;
      case 't':
        token.chars += U'\t';
        break;
      case 'u': {
        if (i >= line.size() || line[i] != '{')
          Fail(lineNumber, "escape '\\u' must be written as \\u{hex digits}");
        std::size_t j = i + 1;
        char32_t value = 0;
        while (j < line.size() && HexValue(line[j]) >= 0 && j - i <= 6) {
          value = value * 16 + static_cast<char32_t>(HexValue(line[j]));
          ++j;
        }
        if (j == i + 1 || j >= line.size() || line[j] != '}')
          Fail(lineNumber, "escape '\\u' must be written as \\u{hex digits} with 1 to 6 digits");
        if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
          Fail(lineNumber, "escape " + std::string(line.substr(i - 2, j + 1 - (i - 2))) +
                               " is not a Unicode character");
        token.chars += value;
        i = j + 1;
        break;
      }
      default:
        Fail(lineNumber, "unknown escape: '\\' before " + CharacterAt(line, i - 1) +
                             " (known: \\\" \\\\ \\n \\r \\t \\u{hex})");
    }
  }
  token.spelling = std::string(line.substr(start, i - start));
}

std::vector<Token> Lex(std::string_view line, int lineNumber) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t') {
      ++i;
      continue;
    }
    if (c == '#') break;
    Token token{};
    if (IsLetter(c)) {
      // A name, dotted paths included ("Font.Height"); no blanks around the dots.
      const std::size_t start = i;
      for (;;) {
        while (i < line.size() && (IsLetter(line[i]) || IsDigit(line[i])))
          ++i;
        if (i < line.size() && line[i] == '.') {
          if (i + 1 < line.size() && IsLetter(line[i + 1])) {
            ++i;
            continue;
          }
          Fail(lineNumber, "malformed name " + Quote(line.substr(start, i + 1 - start)) +
                               ": a '.' must be followed by a name");
        }
        break;
      }
      token.kind = TokenKind::Name;
      token.spelling = std::string(line.substr(start, i - start));
    } else if (IsDigit(c) || (c == '-' && i + 1 < line.size() && IsDigit(line[i + 1]))) {
      const std::size_t start = i;
      const bool negative = c == '-';
      if (negative) ++i;
      std::int64_t magnitude = 0;
      bool tooLarge = false;
      while (i < line.size() && IsDigit(line[i])) {
        magnitude = magnitude * 10 + (line[i] - '0');
        if (magnitude > kMaxCount + 1) {
          tooLarge = true;
          magnitude = kMaxCount + 1;
        }
        ++i;
      }
      token.spelling = std::string(line.substr(start, i - start));
      if (i < line.size() && (IsLetter(line[i]) || line[i] == '.'))
        Fail(lineNumber, "malformed number starting " + Quote(token.spelling + line[i]));
      token.number = negative ? -magnitude : magnitude;
      if (tooLarge || token.number > kMaxCount || token.number < -kMaxCount - 1)
        Fail(lineNumber,
             "integer " + token.spelling + " is outside the 32-bit range -2147483648..2147483647");
      token.kind = TokenKind::Integer;
    } else if (c == '"') {
      token.kind = TokenKind::Text;
      LexText(line, i, lineNumber, token);
    } else if (c == ':' || c == '{' || c == '}' || c == '(' || c == ')' || c == '[' || c == ']' ||
               c == ',' || c == '=') {
      token.kind = TokenKind::Punct;
      token.punct = c;
      token.spelling = std::string(1, c);
      ++i;
    } else {
      Fail(lineNumber, "unexpected character " + CharacterAt(line, i));
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

bool IsPunct(const Token& token, char c) {
  return token.kind == TokenKind::Punct && token.punct == c;
}

// --- The compiler ------------------------------------------------------------------------

void CheckUtf8(std::string_view line, int lineNumber) {
  for (std::size_t i = 0; i < line.size();) {
    char32_t c;
    const std::size_t length = DecodeUtf8(line, i, c);
    if (length == 0) Fail(lineNumber, "invalid UTF-8: " + CharacterAt(line, i));
    i += length;
  }
}

struct OpenObject {
  int line;
  std::string name;
  std::set<std::string> properties;  // lower-cased: the loader matches names ignoring case
  bool propertiesEnded = false;
};

class Compiler {
 public:
  explicit Compiler(const Overrides& overrides) : overrides_(overrides) {}

  std::vector<std::uint8_t> Run(std::string_view source) {
    if (source.substr(0, 3) == "\xEF\xBB\xBF") source.remove_prefix(3);
    int lineNumber = 0;
    std::size_t pos = 0;
    int lastLine = 1;
    while (pos < source.size()) {
      std::size_t end = source.find('\n', pos);
      if (end == std::string_view::npos) end = source.size();
      std::string_view line = source.substr(pos, end - pos);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      ++lineNumber;
      lastLine = lineNumber;
      CheckUtf8(line, lineNumber);
      CompileLine(Lex(line, lineNumber), lineNumber);
      pos = end + 1;
    }
    if (!stack_.empty())
      Fail(stack_.back().line, "object " + Label(stack_.back()) + " is never closed: missing '}'");
    if (!rootDone_) Fail(lastLine, "no object defined: a definition holds one root object");
    return std::move(out_);
  }

  std::vector<WrittenProperty> TakeProperties() { return std::move(properties_); }

 private:
  static std::string Label(const OpenObject& object) {
    return object.name.empty() ? "(unnamed)" : Quote(object.name);
  }

  void CompileLine(const std::vector<Token>& tokens, int line) {
    if (tokens.empty()) return;
    const Token& first = tokens[0];
    if (IsPunct(first, '}')) {
      if (tokens.size() > 1) Fail(line, "unexpected " + Describe(tokens[1]) + " after '}'");
      Close(line);
    } else if (first.kind == TokenKind::Name && tokens.size() > 1 && IsPunct(tokens[1], '=')) {
      CompileProperty(tokens, line);
    } else if (IsPunct(first, ':') ||
               (first.kind == TokenKind::Name && tokens.size() > 1 && IsPunct(tokens[1], ':'))) {
      Open(tokens, line);
    } else if (IsPunct(first, '=')) {
      Fail(line, "property name missing before '='");
    } else if (first.kind == TokenKind::Name) {
      Fail(line, "expected '=' (property) or ':' (object) after " + Quote(first.spelling));
    } else {
      Fail(line, "unexpected " + Describe(first) +
                     " at the start of a line; expected a property, an object or '}'");
    }
  }

  // Ends the property list of the innermost object before its first nested record.
  void EndProperties() {
    if (stack_.empty() || stack_.back().propertiesEnded) return;
    out_.push_back(0);
    stack_.back().propertiesEnded = true;
  }

  void Close(int line) {
    if (stack_.empty()) Fail(line, "'}' without an open object");
    EndProperties();
    out_.push_back(0);  // end of the child list
    stack_.pop_back();
    if (stack_.empty()) rootDone_ = true;
  }

  // Header: [Name] ':' Class ['(' option {',' option} ')'] '{'
  void Open(const std::vector<Token>& tokens, int line) {
    std::size_t i = 0;
    std::string name;
    if (tokens[0].kind == TokenKind::Name) {
      name = tokens[0].spelling;
      if (name.find('.') != std::string::npos)
        Fail(line, "object name " + Quote(name) + " may not contain '.'");
      if (name.size() > kMaxShortString)
        Fail(line, "object name is " + std::to_string(name.size()) +
                       " bytes long; names hold at most 255");
      ++i;
    }
    ++i;  // ':'
    if (i >= tokens.size() || tokens[i].kind != TokenKind::Name)
      Fail(line, "class name expected after ':'");
    const std::string className = tokens[i].spelling;
    if (className.find('.') != std::string::npos)
      Fail(line, "class name " + Quote(className) + " may not contain '.'");
    if (className.size() > kMaxClassName)
      Fail(line, "class name is " + std::to_string(className.size()) +
                     " bytes long; at most 239 are possible, a longer one would read as a "
                     "record prefix");
    ++i;

    std::uint8_t flags = 0;
    std::int64_t position = 0;
    if (i < tokens.size() && IsPunct(tokens[i], '(')) {
      ++i;
      for (;;) {
        if (i >= tokens.size() || tokens[i].kind != TokenKind::Name)
          Fail(line, "record option expected: inherited, inline or position <integer>");
        const std::string& option = tokens[i].spelling;
        std::uint8_t flag;
        if (option == "inherited")
          flag = PrefixBit(PrefixFlag::Inherited);
        else if (option == "inline")
          flag = PrefixBit(PrefixFlag::Inline);
        else if (option == "position")
          flag = PrefixBit(PrefixFlag::ChildPos);
        else
          Fail(line, "unknown record option " + Quote(option) +
                         " (known: inherited, inline, position <integer>)");
        if (flags & flag) Fail(line, "record option " + Quote(option) + " given twice");
        flags |= flag;
        ++i;
        if (flag == PrefixBit(PrefixFlag::ChildPos)) {
          if (i >= tokens.size() || tokens[i].kind != TokenKind::Integer)
            Fail(line, "'position' needs an integer");
          position = tokens[i].number;
          ++i;
        }
        if (i < tokens.size() && IsPunct(tokens[i], ',')) {
          ++i;
          continue;
        }
        if (i < tokens.size() && IsPunct(tokens[i], ')')) {
          ++i;
          break;
        }
        Fail(line, "expected ',' or ')' in the record options");
      }
    }
    if (i >= tokens.size() || !IsPunct(tokens[i], '{'))
      Fail(line, i < tokens.size() ? "unexpected " + Describe(tokens[i]) + " in object header"
                                   : "expected '{' at the end of the object header");
    if (i + 1 < tokens.size()) Fail(line, "unexpected " + Describe(tokens[i + 1]) + " after '{'");

    if (stack_.empty() && rootDone_)
      Fail(line, "a second root object; a definition holds exactly one");
    EndProperties();
    if (flags != 0) {
      out_.push_back(static_cast<std::uint8_t>(kPrefixMark | flags));
      if (flags & PrefixBit(PrefixFlag::ChildPos)) PutInteger(position);
    }
    PutShortString(className);
    PutShortString(name);
    stack_.push_back(OpenObject{line, name, {}, false});
  }

  void CompileProperty(const std::vector<Token>& tokens, int line) {
    const std::string& name = tokens[0].spelling;
    if (stack_.empty()) Fail(line, "property " + Quote(name) + " outside an object");
    OpenObject& object = stack_.back();
    if (object.propertiesEnded)
      Fail(line, "property " + Quote(name) + " after a nested object; the properties of " +
                     Label(object) + " must come before the objects nested in it");
    if (name.size() > kMaxShortString)
      Fail(line, "property name is " + std::to_string(name.size()) +
                     " bytes long; names hold at most 255");
    if (!object.properties.insert(Lower(name)).second)
      Fail(line, "property " + Quote(name) + " given twice in " + Label(object));
    if (tokens.size() < 3) Fail(line, "value expected after '='");

    const std::string path = object.name + "." + name;
    const auto overridden = overrides_.find(Lower(path));
    if (overridden == overrides_.end()) {
      PutValue(tokens, path, line);
      return;
    }
    // The name and '=' of the definition's line, the value laid over it.
    std::vector<Token> replaced(tokens.begin(), tokens.begin() + 2);
    for (Token& token : Lex(overridden->second, line))
      replaced.push_back(std::move(token));
    if (replaced.size() < 3) Fail(line, "value expected for " + Quote(path));
    PutValue(replaced, path, line);
  }

  // The value after "Name =" on the line, for the property at that path.
  void PutValue(const std::vector<Token>& tokens, const std::string& path, int line) {
    const std::string& name = tokens[0].spelling;
    PutShortString(name);
    std::size_t i = 2;
    const Token& value = tokens[i++];
    properties_.push_back(WrittenProperty{path, std::nullopt});
    if (value.kind == TokenKind::Text) properties_.back().text = value.chars;
    switch (value.kind) {
      case TokenKind::Integer:
        PutInteger(value.number);
        break;
      case TokenKind::Text:
        PutText(value.chars, line);
        break;
      case TokenKind::Name:
        if (SameAscii(value.spelling, "True")) {
          out_.push_back(TagTrue);
        } else if (SameAscii(value.spelling, "False")) {
          out_.push_back(TagFalse);
        } else if (SameAscii(value.spelling, "nil")) {
          out_.push_back(TagNil);
        } else {
          if (value.spelling.size() > kMaxShortString)
            Fail(line, "identifier is " + std::to_string(value.spelling.size()) +
                           " bytes long; identifiers hold at most 255");
          out_.push_back(TagIdent);
          PutShortString(value.spelling);
        }
        break;
      case TokenKind::Punct:
        if (!IsPunct(value, '['))
          Fail(line, "unexpected " + Describe(value) + "; expected a value");
        PutSet(tokens, i, line);
        break;
    }
    if (i < tokens.size())
      Fail(line, "unexpected " + Describe(tokens[i]) + " after the value of " + Quote(name));
  }

  // Elements: '[' [Name {',' Name}] ']'; i stands after the '['.
  void PutSet(const std::vector<Token>& tokens, std::size_t& i, int line) {
    out_.push_back(TagSet);
    std::set<std::string> seen;
    if (i < tokens.size() && IsPunct(tokens[i], ']')) {
      ++i;
      out_.push_back(0);
      return;
    }
    for (;;) {
      if (i >= tokens.size() || tokens[i].kind != TokenKind::Name)
        Fail(line, "set element name expected");
      const std::string& element = tokens[i].spelling;
      if (element.find('.') != std::string::npos)
        Fail(line, "set element " + Quote(element) + " may not contain '.'");
      if (element.size() > kMaxShortString)
        Fail(line, "set element name is " + std::to_string(element.size()) +
                       " bytes long; names hold at most 255");
      if (!seen.insert(Lower(element)).second)
        Fail(line, "set element " + Quote(element) + " given twice");
      PutShortString(element);
      ++i;
      if (i < tokens.size() && IsPunct(tokens[i], ',')) {
        ++i;
        continue;
      }
      if (i < tokens.size() && IsPunct(tokens[i], ']')) {
        ++i;
        break;
      }
      Fail(line, "expected ',' or ']' in the set");
    }
    out_.push_back(0);
  }

  void PutShortString(std::string_view s) {
    out_.push_back(static_cast<std::uint8_t>(s.size()));
    out_.insert(out_.end(), s.begin(), s.end());
  }

  void PutInt32(std::int64_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
      out_.push_back(static_cast<std::uint8_t>(bits >> shift));
  }

  void PutInteger(std::int64_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    if (value >= -128 && value <= 127) {
      out_.push_back(TagInt8);
      out_.push_back(static_cast<std::uint8_t>(bits));
    } else if (value >= -32768 && value <= 32767) {
      out_.push_back(TagInt16);
      out_.push_back(static_cast<std::uint8_t>(bits));
      out_.push_back(static_cast<std::uint8_t>(bits >> 8));
    } else {
      out_.push_back(TagInt32);
      PutInt32(value);
    }
  }

  // ASCII goes as 8-bit text; anything else in the shorter of UTF-8 and UTF-16, UTF-16 on a
  // tie. The reader's UTF-8 decoder knows no four-byte sequences, so a text with characters
  // beyond U+FFFF always goes as UTF-16 (as surrogate pairs).
  void PutText(const std::u32string& chars, int line) {
    bool ascii = true, beyondBmp = false;
    std::string utf8;
    std::u16string utf16;
    for (char32_t c : chars) {
      ascii = ascii && c < 0x80;
      AppendUtf8(utf8, c);
      if (c >= 0x10000) {
        beyondBmp = true;
        utf16 += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        utf16 += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
      } else {
        utf16 += static_cast<char16_t>(c);
      }
    }
    if (static_cast<std::int64_t>(utf8.size()) > kMaxCount)
      Fail(line, "text too long for the stream");
    if (ascii && utf8.size() <= kMaxShortString) {
      out_.push_back(TagString);
      PutShortString(utf8);
    } else if (ascii) {
      out_.push_back(TagLString);
      PutInt32(static_cast<std::int64_t>(utf8.size()));
      out_.insert(out_.end(), utf8.begin(), utf8.end());
    } else if (!beyondBmp && utf8.size() < 2 * utf16.size()) {
      out_.push_back(TagUtf8String);
      PutInt32(static_cast<std::int64_t>(utf8.size()));
      out_.insert(out_.end(), utf8.begin(), utf8.end());
    } else {
      out_.push_back(TagWString);
      PutInt32(static_cast<std::int64_t>(utf16.size()));
      for (char16_t unit : utf16) {
        out_.push_back(static_cast<std::uint8_t>(unit));
        out_.push_back(static_cast<std::uint8_t>(unit >> 8));
      }
    }
  }

  const Overrides& overrides_;
  std::vector<WrittenProperty> properties_;
  std::vector<std::uint8_t> out_ =
      std::vector<std::uint8_t>(std::begin(kDefinitionSignature), std::end(kDefinitionSignature));
  std::vector<OpenObject> stack_;
  bool rootDone_ = false;
};

}  // namespace

CompileResult CompileForm(std::string_view source, const Overrides& overrides) {
  CompileResult result;
  Compiler compiler(overrides);
  try {
    result.bytes = compiler.Run(source);
    result.properties = compiler.TakeProperties();
  } catch (const Fault& fault) {
    result.bytes.clear();
    result.error = Diagnostic{fault.line, fault.message};
  }
  return result;
}

SettingResult ReadSetting(std::string_view line, int lineNumber) {
  SettingResult result;
  try {
    CheckUtf8(line, lineNumber);
    const std::vector<Token> tokens = Lex(line, lineNumber);
    if (tokens.empty()) return result;
    if (tokens[0].kind != TokenKind::Name || tokens.size() < 2 || !IsPunct(tokens[1], '='))
      Fail(lineNumber, "expected 'Name = value'");
    if (tokens.size() < 3) Fail(lineNumber, "value expected after '='");
    Setting setting;
    setting.name = tokens[0].spelling;
    setting.value = std::string(line.substr(line.find('=') + 1));
    // The value must be one the definition itself would take.
    const CompileResult alone = CompileForm("X : T {\nP = " + setting.value + "\n}");
    if (!alone.Ok()) Fail(lineNumber, alone.error->message);
    if (tokens[2].kind == TokenKind::Text) setting.text = tokens[2].chars;
    if (tokens[2].kind == TokenKind::Integer) setting.integer = tokens[2].number;
    result.setting = std::move(setting);
  } catch (const Fault& fault) {
    result.error = Diagnostic{fault.line, fault.message};
  }
  return result;
}

}  // namespace sx::formc
