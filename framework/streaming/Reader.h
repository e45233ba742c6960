#pragma once

// TReader: reads the binary definition format. This header has two halves: the primitive
// reading operations over a buffered stream (Reader.cpp), and the loading of components,
// entries and references that stands on them (the loader's files).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/runtime/Set.h"
#include "framework/streaming/Filer.h"
#include "framework/streaming/Reflection.h"

namespace sx {

class TComponent;
class TPersistent;
class TStream;

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

// Flags of an object record's optional prefix byte (its low four bits).
enum class PrefixFlag : std::uint8_t { Inherited = 0, ChildPos = 1, Inline = 2 };
using PrefixFlags = Set<PrefixFlag, std::uint8_t>;

// An 80-bit x87 extended-precision value as stored, decoded without relying on the
// compiler's long double.
struct Extended80 {
  std::uint8_t bytes[10] = {};

  static Extended80 FromInt(std::int32_t value);
  double ToDouble() const;
};

class TReader : public TFiler {
  SX_CLASS(TReader)

  static constexpr int kDefaultBufferSize = 4096;

  TReader(TStream& stream, int bufferSize = kDefaultBufferSize);
  // Puts the stream back just after the last byte consumed.
  ~TReader() override;

  // --- Primitive reading ------------------------------------------------------------------
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

  // --- Loading ----------------------------------------------------------------------------
  // Reads one object body (entries, then children) into the instance.
  void LoadBody(TComponent* instance);

 private:
  void Refill();

  TStream& stream_;
  std::vector<std::uint8_t> buffer_;
  std::int32_t bufferPosition_ = 0;
  std::int32_t bufferEnd_ = 0;
};

}  // namespace sx
