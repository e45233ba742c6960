#pragma once

// Reads a whole object record generically, choosing each value's typed read by its tag, as
// a loader that knows no classes would. Shared by the reader tests, the fuzzer and the
// benchmark.

#include <cstdint>
#include <string>

#include "framework/streaming/Reader.h"
#include "framework/streaming/Stream.h"

namespace sx::testing {

inline constexpr const char* kWalkStyleMembers[] = {"fsBold", "fsItalic", "fsUnderline",
                                                    "fsStrikeOut"};
inline constexpr TypeInfo kWalkStyleType = EnumType("TFontStyle", kWalkStyleMembers);

struct WalkTotals {
  std::int64_t objects = 0;
  std::int64_t entries = 0;
  std::uint64_t checksum = 0;  // the numbers read, summed (wrapping) to keep the reads observable
  std::int64_t textBytes = 0;
};

inline void WalkValue(TReader& reader, const std::string& name, WalkTotals& totals) {
  switch (reader.PeekTag()) {
    case TagInt8:
    case TagInt16:
    case TagInt32:
      totals.checksum += static_cast<std::uint64_t>(reader.ReadIntValue());
      break;
    case TagInt64:
      totals.checksum += static_cast<std::uint64_t>(reader.ReadInt64Value());
      break;
    case TagExtended:
      totals.checksum += static_cast<std::uint64_t>(reader.ReadExtendedValue().ToDouble() != 0);
      break;
    case TagSingle:
      totals.checksum += static_cast<std::uint64_t>(reader.ReadSingleValue() != 0);
      break;
    case TagCurrency:
      totals.checksum += static_cast<std::uint64_t>(reader.ReadCurrencyValue());
      break;
    case TagDate:
      totals.checksum += static_cast<std::uint64_t>(reader.ReadDateValue() != 0);
      break;
    case TagString:
    case TagLString:
      totals.textBytes += static_cast<std::int64_t>(reader.ReadTextValue().size());
      break;
    case TagWString:
    case TagUtf8String:
      totals.textBytes += static_cast<std::int64_t>(reader.ReadWideTextValue().size());
      break;
    case TagIdent:
    case TagFalse:
    case TagTrue:
    case TagNil:
    case TagNull:
      totals.textBytes += static_cast<std::int64_t>(reader.ReadIdentValue().size());
      break;
    case TagSet:
      totals.checksum += static_cast<std::uint64_t>(reader.ReadSetMask(kWalkStyleType));
      break;
    case TagBinary:
      reader.SetCurrentPropertyName(name);
      reader.DefineStoredBinary(
          name, [&](TStream& data) { totals.textBytes += data.Size(); }, false);
      break;
    default:
      reader.SkipOneValue();
      break;
  }
}

// One object record with its header; children deeper than maxDepth are skipped whole.
inline void WalkObject(TReader& reader, int depth, int maxDepth, WalkTotals& totals) {
  PrefixFlags flags;
  std::int32_t childPosition;
  reader.ReadObjectPrefix(flags, childPosition);
  totals.checksum += static_cast<std::uint64_t>(childPosition);
  totals.textBytes += static_cast<std::int64_t>(reader.ReadShortText().size());
  totals.textBytes += static_cast<std::int64_t>(reader.ReadShortText().size());
  ++totals.objects;
  while (!reader.AtListEnd()) {
    const std::string name = reader.ReadShortText();
    ++totals.entries;
    WalkValue(reader, name, totals);
  }
  reader.ExpectListEnd();
  while (!reader.AtListEnd()) {
    if (depth < maxDepth)
      WalkObject(reader, depth + 1, maxDepth, totals);
    else
      reader.SkipObjectRecord(true);
  }
  reader.ExpectListEnd();
}

// A whole definition: signature, then the root record.
inline WalkTotals WalkDefinition(TReader& reader, int maxDepth = 64) {
  WalkTotals totals;
  reader.CheckSignature();
  WalkObject(reader, 0, maxDepth, totals);
  return totals;
}

}  // namespace sx::testing
