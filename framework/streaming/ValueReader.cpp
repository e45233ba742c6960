// TValueReader: buffering, tagged values, object record prefixes, skipping.

#include <algorithm>
#include <bit>
#include <cstring>

#include "framework/runtime/Exception.h"
#include "framework/runtime/SystemServices.h"
#include "framework/runtime/Texts.h"
#include "framework/streaming/Stream.h"
#include "framework/streaming/ValueReader.h"

namespace sx {

constinit const ClassInfo TFiler::StaticClass{.name = "TFiler", .parent = &TObject::StaticClass};
constinit const ClassInfo TValueReader::StaticClass{.name = "TValueReader",
                                                    .parent = &TFiler::StaticClass};

namespace {

// The signature as one little-endian number, the way it is read.
constexpr std::uint32_t kSignature =
    std::uint32_t{kDefinitionSignature[0]} | std::uint32_t{kDefinitionSignature[1]} << 8 |
    std::uint32_t{kDefinitionSignature[2]} << 16 | std::uint32_t{kDefinitionSignature[3]} << 24;
constexpr std::int32_t kSkipPiece = 256;
constexpr std::int32_t kTextPiece = 64 * 1024;

[[noreturn]] void ThrowReadError() {
  throw EReadError(LoadText(TextId::SReadError));
}
[[noreturn]] void ThrowInvalidValue() {
  throw EReadError(LoadText(TextId::SInvalidPropertyValue));
}
[[noreturn]] void ThrowInvalidFormat() {
  throw EReadError(LoadText(TextId::SInvalidImage));
}

// One, two and three byte sequences only. A bad continuation byte or a sequence cut off by
// the end of the value makes the whole value empty rather than half decoded.
std::u16string DecodeUtf8(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  const std::size_t n = bytes.size();
  auto continuation = [&](std::size_t i, unsigned& out) {
    if (i >= n) return false;
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80 || b > 0xBF) return false;
    out = b & 0x3Fu;
    return true;
  };
  for (std::size_t i = 0; i < n;) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      text += static_cast<char16_t>(lead);
      ++i;
    } else if ((lead & 0x20) == 0) {
      unsigned c1;
      if (!continuation(i + 1, c1)) return {};
      text += static_cast<char16_t>(((lead & 0x1Fu) << 6) | c1);
      i += 2;
    } else {
      unsigned c1, c2;
      if (!continuation(i + 1, c1) || !continuation(i + 2, c2)) return {};
      text += static_cast<char16_t>(((lead & 0x0Fu) << 12) | (c1 << 6) | c2);
      i += 3;
    }
  }
  return text;
}

// Round-to-nearest-even of value / 2^shift.
std::uint64_t ShiftRoundingToEven(std::uint64_t value, int shift) {
  if (shift == 0) return value;
  if (shift > 64) return 0;  // below half of the last place
  if (shift == 64) return value > (std::uint64_t{1} << 63) ? 1 : 0;
  const std::uint64_t quotient = value >> shift;
  const std::uint64_t rest = value & ((std::uint64_t{1} << shift) - 1);
  const std::uint64_t half = std::uint64_t{1} << (shift - 1);
  return quotient + ((rest > half || (rest == half && (quotient & 1))) ? 1 : 0);
}

// The value rounded once, to nearest even, into the binary interchange format with the given
// widths of fraction and exponent; the result's bits, sign included, stand at the bottom.
std::uint64_t RoundedBits(const Extended80& value, int fractionBits, int exponentBits) {
  std::uint64_t mantissa = 0;
  for (int i = 7; i >= 0; --i)
    mantissa = (mantissa << 8) | value.bytes[i];
  const unsigned top =
      static_cast<unsigned>(value.bytes[8]) | (static_cast<unsigned>(value.bytes[9]) << 8);
  const int exponent = static_cast<int>(top & 0x7FFF);
  const int bias = (1 << (exponentBits - 1)) - 1;
  const std::uint64_t sign = static_cast<std::uint64_t>(top >> 15) << (fractionBits + exponentBits);
  const std::uint64_t infinity = ((std::uint64_t{1} << exponentBits) - 1) << fractionBits;
  const std::uint64_t quietNaN = infinity | (std::uint64_t{1} << (fractionBits - 1));
  constexpr std::uint64_t kIntegerBit = std::uint64_t{1} << 63;
  // Bits of the 64-bit mantissa below the target's last place.
  const int dropped = 63 - fractionBits;

  // Zero and the format's own denormals lie far below the smallest value of either target.
  if (exponent == 0) return sign;
  // Encodings without the explicit integer bit (unnormals, pseudo-infinities, pseudo-NaNs)
  // are invalid operands to the coprocessor, which turns them into NaN.
  if ((mantissa & kIntegerBit) == 0) return sign | quietNaN;
  if (exponent == 0x7FFF) {
    const std::uint64_t fraction = mantissa & ~kIntegerBit;
    if (fraction == 0) return sign | infinity;
    return sign | quietNaN | (fraction >> dropped);
  }

  const int unbiased = exponent - 16383;
  if (unbiased > bias) return sign | infinity;
  if (unbiased >= 1 - bias) {
    // The rounded mantissa keeps its integer bit just above the fraction, which adds the
    // missing one to the exponent field; a carry out of rounding moves on into the exponent
    // (up to infinity, and only past the rounding boundary).
    const std::uint64_t rounded = ShiftRoundingToEven(mantissa, dropped);
    return sign | ((static_cast<std::uint64_t>(unbiased + bias - 1) << fractionBits) + rounded);
  }
  // A denormal of the target; rounding up to the smallest normal carries into the exponent.
  return sign | ShiftRoundingToEven(mantissa, dropped + (1 - bias - unbiased));
}

}  // namespace

// --- Extended80 ---------------------------------------------------------------------------

Extended80 Extended80::FromInt(std::int32_t value) {
  Extended80 result;
  if (value == 0) return result;
  const bool negative = value < 0;
  const std::uint64_t magnitude =
      negative ? std::uint64_t{0} - static_cast<std::uint64_t>(static_cast<std::int64_t>(value))
               : static_cast<std::uint64_t>(value);
  const int leading = std::countl_zero(magnitude);
  const std::uint64_t mantissa = magnitude << leading;
  const unsigned exponent = 16383u + 63u - static_cast<unsigned>(leading);
  for (int i = 0; i < 8; ++i)
    result.bytes[i] = static_cast<std::uint8_t>(mantissa >> (8 * i));
  const unsigned top = exponent | (negative ? 0x8000u : 0u);
  result.bytes[8] = static_cast<std::uint8_t>(top);
  result.bytes[9] = static_cast<std::uint8_t>(top >> 8);
  return result;
}

double Extended80::ToDouble() const {
  return std::bit_cast<double>(RoundedBits(*this, 52, 11));
}

float Extended80::ToSingle() const {
  return std::bit_cast<float>(static_cast<std::uint32_t>(RoundedBits(*this, 23, 8)));
}

// --- Buffering ----------------------------------------------------------------------------

TValueReader::TValueReader(TStream& stream, int bufferSize)
    : stream_(stream),
      buffer_(static_cast<std::size_t>(bufferSize > 0 ? bufferSize : kDefaultBufferSize)) {}

TValueReader::~TValueReader() {
  try {
    TValueReader::SyncPosition();
  } catch (...) {
    // A destructor cannot report; the stream simply stays ahead.
  }
}

void TValueReader::SyncPosition() {
  const std::int32_t unread = bufferEnd_ - bufferPosition_;
  if (unread > 0) stream_.Seek(-static_cast<std::int64_t>(unread), SeekOrigin::Current);
  bufferPosition_ = 0;
  bufferEnd_ = 0;
}

void TValueReader::Refill() {
  const std::int32_t n = stream_.Read(buffer_.data(), static_cast<std::int32_t>(buffer_.size()));
  if (n <= 0) ThrowReadError();
  bufferPosition_ = 0;
  bufferEnd_ = n;
}

std::int64_t TValueReader::Position() const {
  return stream_.Position() - (bufferEnd_ - bufferPosition_);
}

TValueReader::NestingScope::NestingScope(TValueReader& reader) : reader_(reader) {
  if (reader_.nesting_ >= kMaxNesting) ThrowInvalidFormat();
  ++reader_.nesting_;
}

void TValueReader::ReadRaw(void* destination, std::int32_t count) {
  if (count < 0) ThrowReadError();
  auto* out = static_cast<std::uint8_t*>(destination);
  while (count > 0) {
    if (bufferPosition_ == bufferEnd_) Refill();
    const std::int32_t n = std::min(count, bufferEnd_ - bufferPosition_);
    std::memcpy(out, buffer_.data() + bufferPosition_, static_cast<std::size_t>(n));
    bufferPosition_ += n;
    out += n;
    count -= n;
  }
}

std::uint8_t TValueReader::ReadByte() {
  if (bufferPosition_ == bufferEnd_) Refill();
  return buffer_[static_cast<std::size_t>(bufferPosition_++)];
}

std::uint16_t TValueReader::ReadLe16() {
  std::uint8_t b[2];
  ReadRaw(b, 2);
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t TValueReader::ReadLe32() {
  std::uint8_t b[4];
  ReadRaw(b, 4);
  return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
         (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::uint64_t TValueReader::ReadLe64() {
  const std::uint64_t low = ReadLe32();
  const std::uint64_t high = ReadLe32();
  return low | (high << 32);
}

std::int32_t TValueReader::ReadLength() {
  const auto length = static_cast<std::int32_t>(ReadLe32());
  if (length < 0) ThrowReadError();
  return length;
}

void TValueReader::ReadBytesInto(std::string& text, std::int64_t count) {
  while (count > 0) {
    const auto piece = static_cast<std::int32_t>(std::min<std::int64_t>(count, kTextPiece));
    const std::size_t old = text.size();
    text.resize(old + static_cast<std::size_t>(piece));
    ReadRaw(text.data() + old, piece);
    count -= piece;
  }
}

void TValueReader::CopyBytesTo(TStream& destination, std::int64_t count) {
  while (count > 0) {
    if (bufferPosition_ == bufferEnd_) Refill();
    const auto n =
        static_cast<std::int32_t>(std::min<std::int64_t>(count, bufferEnd_ - bufferPosition_));
    destination.Write(buffer_.data() + bufferPosition_, n);
    bufferPosition_ += n;
    count -= n;
  }
}

std::u16string TValueReader::ReadWideUnits(std::int32_t count) {
  std::u16string text;
  std::uint8_t piece[kSkipPiece * 2];
  std::int64_t remaining = count;
  while (remaining > 0) {
    const auto units = static_cast<std::int32_t>(std::min<std::int64_t>(remaining, kSkipPiece));
    ReadRaw(piece, units * 2);
    for (std::int32_t i = 0; i < units; ++i)
      text += static_cast<char16_t>(piece[2 * i] | (piece[2 * i + 1] << 8));
    remaining -= units;
  }
  return text;
}

void TValueReader::SkipBytes(std::int64_t count) {
  while (count > 0) {
    if (bufferPosition_ == bufferEnd_) Refill();
    const auto n = static_cast<std::int32_t>(
        std::min<std::int64_t>({count, kSkipPiece, bufferEnd_ - bufferPosition_}));
    bufferPosition_ += n;
    count -= n;
  }
}

void TValueReader::SkipShortText() {
  SkipBytes(ReadByte());
}

// --- Tags ---------------------------------------------------------------------------------

ValueTag TValueReader::ReadTag() {
  return static_cast<ValueTag>(ReadByte());
}

ValueTag TValueReader::PeekTag() {
  if (bufferPosition_ == bufferEnd_) Refill();
  return static_cast<ValueTag>(buffer_[static_cast<std::size_t>(bufferPosition_)]);
}

bool TValueReader::AtListEnd() {
  return PeekTag() == TagNull;
}

void TValueReader::RejectValue() {
  // The tag byte just read is still in the buffer: a refill only happens before a read.
  --bufferPosition_;
  SkipOneValue();
  ThrowInvalidValue();
}

void TValueReader::ExpectTag(ValueTag tag) {
  if (ReadTag() != tag) RejectValue();
}

void TValueReader::CheckSignature() {
  if (ReadLe32() != kSignature) ThrowInvalidFormat();
}

// --- Typed values -------------------------------------------------------------------------

std::string TValueReader::ReadShortText() {
  const std::uint8_t length = ReadByte();
  std::string text;
  if (bufferEnd_ - bufferPosition_ >= length) {
    text.assign(reinterpret_cast<const char*>(buffer_.data() + bufferPosition_), length);
    bufferPosition_ += length;
  } else {
    text.resize(length);
    ReadRaw(text.data(), length);
  }
  return text;
}

std::int32_t TValueReader::ReadIntValue() {
  switch (ReadTag()) {
    case TagInt8:
      return static_cast<std::int8_t>(ReadByte());
    case TagInt16:
      return static_cast<std::int16_t>(ReadLe16());
    case TagInt32:
      return static_cast<std::int32_t>(ReadLe32());
    default:
      RejectValue();
  }
}

std::int64_t TValueReader::ReadInt64Value() {
  if (PeekTag() != TagInt64) return ReadIntValue();
  ReadTag();
  return static_cast<std::int64_t>(ReadLe64());
}

Extended80 TValueReader::ReadExtendedValue() {
  if (PeekTag() != TagExtended) return Extended80::FromInt(ReadIntValue());
  ReadTag();
  Extended80 value;
  ReadRaw(value.bytes, sizeof value.bytes);
  return value;
}

float TValueReader::ReadSingleValue() {
  if (PeekTag() != TagSingle) return static_cast<float>(ReadIntValue());
  ReadTag();
  return std::bit_cast<float>(ReadLe32());
}

std::int64_t TValueReader::ReadCurrencyValue() {
  if (PeekTag() != TagCurrency) return static_cast<std::int64_t>(ReadIntValue()) * 10000;
  ReadTag();
  return static_cast<std::int64_t>(ReadLe64());
}

double TValueReader::ReadDateValue() {
  if (PeekTag() != TagDate) return static_cast<double>(ReadIntValue());
  ReadTag();
  return std::bit_cast<double>(ReadLe64());
}

bool TValueReader::ReadBoolValue() {
  return ReadTag() == TagTrue;
}

std::string TValueReader::ReadTextValue() {
  switch (PeekTag()) {
    case TagString: {
      ReadTag();
      return ReadShortText();
    }
    case TagLString: {
      ReadTag();
      std::string text;
      ReadBytesInto(text, ReadLength());
      return text;
    }
    case TagWString:
    case TagUtf8String:
      return System().WideToAnsi(ReadWideTextValue());
    default:
      ReadTag();
      RejectValue();
  }
}

std::u16string TValueReader::ReadWideTextValue() {
  switch (ReadTag()) {
    case TagString:
      return System().AnsiToWide(ReadShortText());
    case TagLString: {
      std::string text;
      ReadBytesInto(text, ReadLength());
      return System().AnsiToWide(text);
    }
    case TagWString:
      return ReadWideUnits(ReadLength());
    case TagUtf8String: {
      std::string bytes;
      ReadBytesInto(bytes, ReadLength());
      return DecodeUtf8(bytes);
    }
    default:
      RejectValue();
  }
}

char TValueReader::ReadCharValue() {
  const std::string text = ReadTextValue();
  // An empty text names no character at all, which is as wrong as a text of two.
  if (text.size() != 1) ThrowInvalidValue();
  return text[0];
}

std::string TValueReader::ReadIdentValue() {
  switch (ReadTag()) {
    case TagIdent:
      return ReadShortText();
    case TagFalse:
      return "False";
    case TagTrue:
      return "True";
    case TagNil:
      return "nil";
    case TagNull:
      return "Null";
    default:
      RejectValue();
  }
}

std::uint32_t TValueReader::ReadSetMask(const TypeInfo& elementType) {
  ExpectTag(TagSet);
  std::uint32_t mask = 0;
  for (;;) {
    const std::string name = ReadShortText();
    if (name.empty()) break;
    std::int64_t ordinal;
    if (elementType.FindMember(name, ordinal) && ordinal >= 0 && ordinal <= 31)
      mask |= std::uint32_t{1} << ordinal;
  }
  return mask;
}

void TValueReader::ReadObjectPrefix(PrefixFlags& flags, std::int32_t& childPosition) {
  flags = PrefixFlags();
  childPosition = 0;
  const auto next = static_cast<std::uint8_t>(PeekTag());
  if ((next & kPrefixMark) != kPrefixMark) return;
  ReadTag();
  // The bit 8 has no meaning for a reader and is dropped.
  flags = PrefixFlags::FromMask(static_cast<std::uint8_t>(next & 0x07));
  if (flags.Contains(PrefixFlag::ChildPos)) childPosition = ReadIntValue();
}

// --- Skipping -----------------------------------------------------------------------------

void TValueReader::SkipOneValue() {
  switch (static_cast<ValueTag>(ReadTag() & 0x7F)) {
    case TagList: {
      NestingScope nested(*this);
      while (!AtListEnd())
        SkipOneValue();
      ReadTag();
      break;
    }
    case TagInt8:
      SkipBytes(1);
      break;
    case TagInt16:
      SkipBytes(2);
      break;
    case TagInt32:
    case TagSingle:
      SkipBytes(4);
      break;
    case TagExtended:
      SkipBytes(10);
      break;
    case TagString:
    case TagIdent:
      SkipShortText();
      break;
    case TagBinary:
    case TagLString:
    case TagUtf8String:
      SkipBytes(ReadLength());
      break;
    case TagWString:
      SkipBytes(std::int64_t{ReadLength()} * 2);
      break;
    case TagSet:
      for (std::uint8_t length; (length = ReadByte()) != 0;)
        SkipBytes(length);
      break;
    case TagCollection: {
      NestingScope nested(*this);
      while (!AtListEnd()) {
        const ValueTag next = PeekTag();
        if (next == TagInt8 || next == TagInt16 || next == TagInt32) ReadIntValue();
        ReadTag();  // the item's list start, taken on trust
        while (!AtListEnd())
          SkipEntry();
        ExpectListEnd();
      }
      ExpectListEnd();
      break;
    }
    case TagCurrency:
    case TagDate:
    case TagInt64:
      SkipBytes(8);
      break;
    default:
      break;  // TagNull, TagFalse, TagTrue, TagNil and unknown tags carry nothing
  }
}

void TValueReader::SkipEntry() {
  SkipShortText();
  SkipOneValue();
}

void TValueReader::SkipObjectRecord(bool withHeader) {
  NestingScope nested(*this);
  if (withHeader) {
    PrefixFlags flags;
    std::int32_t position;
    ReadObjectPrefix(flags, position);
    SkipShortText();
    SkipShortText();
  }
  while (!AtListEnd())
    SkipEntry();
  ReadTag();
  while (!AtListEnd())
    SkipObjectRecord(true);
  ReadTag();
}

}  // namespace sx
