#pragma once

// TValueReader: decodes the values of the binary definition format from a buffered stream:
// tagged values, object record prefixes, the signature, and skipping what is not wanted. It
// knows nothing of the components the values are meant for; TReader builds those on it.

#include <cstdint>
#include <string>
#include <vector>

#include "framework/runtime/Set.h"
#include "framework/streaming/Filer.h"
#include "framework/streaming/Reflection.h"
#include "framework/streaming/WireFormat.h"

namespace sx {

class TStream;

// The prefix flags of an object record, as a set.
using PrefixFlags = Set<PrefixFlag, std::uint8_t>;

// An 80-bit x87 extended-precision value as stored, decoded without relying on the
// compiler's long double.
struct Extended80 {
  std::uint8_t bytes[10] = {};

  static Extended80 FromInt(std::int32_t value);
  // Each rounds the stored value once, to nearest even, as the coprocessor stores it.
  double ToDouble() const;
  float ToSingle() const;
};

// The filer's defined properties are left to the loader: only it knows which entry is being
// read.
class TValueReader : public TFiler {
  SX_CLASS(TValueReader)

  static constexpr int kDefaultBufferSize = 4096;

  TValueReader(TStream& stream, int bufferSize = kDefaultBufferSize);
  // Puts the stream back just after the last byte consumed.
  ~TValueReader() override;

  // Every "Invalid property value" and "Stream read error" is an EReadError.
  void ReadRaw(void* destination, std::int32_t count);
  ValueTag ReadTag();
  ValueTag PeekTag();
  bool AtListEnd();
  void ExpectTag(ValueTag tag);
  void ExpectListStart() { ExpectTag(TagList); }
  void ExpectListEnd() { ExpectTag(TagNull); }
  std::string ReadShortText();
  std::int32_t ReadIntValue();
  std::int64_t ReadInt64Value();
  Extended80 ReadExtendedValue();
  float ReadSingleValue();
  std::int64_t ReadCurrencyValue();  // the value times 10000
  double ReadDateValue();
  bool ReadBoolValue();
  std::string ReadTextValue();
  std::u16string ReadWideTextValue();
  char ReadCharValue();
  std::string ReadIdentValue();
  std::uint32_t ReadSetMask(const TypeInfo& elementType);
  virtual void ReadObjectPrefix(PrefixFlags& flags, std::int32_t& childPosition);
  void CheckSignature();
  void SkipOneValue();
  void SkipEntry();
  void SkipObjectRecord(bool withHeader);

  // The stream position of the next unread byte.
  std::int64_t Position() const;
  // Moves the stream back over the buffered bytes not yet consumed and empties the buffer.
  void SyncPosition() override;

  // Lists, collections and object records nested deeper than this are refused with
  // "Invalid stream format", so that hostile data cannot exhaust the stack.
  static constexpr int kMaxNesting = 256;
  // Counts one level of nesting for as long as it lives.
  class NestingScope {
   public:
    explicit NestingScope(TValueReader& reader);
    ~NestingScope() { --reader_.nesting_; }
    NestingScope(const NestingScope&) = delete;
    NestingScope& operator=(const NestingScope&) = delete;

   private:
    TValueReader& reader_;
  };

 protected:
  // A 4-byte length or count; a negative one is refused with "Stream read error".
  std::int32_t ReadLength();
  // Appends `count` bytes, taken in bounded pieces so that a length claiming more than the
  // data holds fails before much memory is spent on it.
  void ReadBytesInto(std::string& text, std::int64_t count);
  // Writes the next `count` bytes to the stream, straight from the buffer.
  void CopyBytesTo(TStream& destination, std::int64_t count);

 private:
  void Refill();
  std::uint8_t ReadByte();
  std::uint16_t ReadLe16();
  std::uint32_t ReadLe32();
  std::uint64_t ReadLe64();
  std::u16string ReadWideUnits(std::int32_t count);
  void SkipBytes(std::int64_t count);
  void SkipShortText();
  // Steps back onto the tag just read, consumes its whole value, raises "Invalid property value".
  [[noreturn]] void RejectValue();

  TStream& stream_;
  std::vector<std::uint8_t> buffer_;
  std::int32_t bufferPosition_ = 0;
  std::int32_t bufferEnd_ = 0;
  int nesting_ = 0;
};

}  // namespace sx
