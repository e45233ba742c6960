// Feeds arbitrary bytes to the reader as a definition: the signature, then one object record
// read generically. Every failure must be one of the framework's exceptions; anything else
// escaping, a crash or a sanitizer report is a finding.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/runtime/Exception.h"
#include "framework/streaming/Reader.h"
#include "framework/streaming/Stream.h"
#include "tests/framework/streaming/FormWalk.h"
#include "tests/support/FakeSystem.h"

namespace {

using namespace sx;

constexpr int kMaxDepth = 48;

// Set when a boolean read left a payload behind, after which the walk and a skip of the
// same bytes legitimately part ways.
bool g_payloadLeft = false;

bool CarriesNothing(ValueTag tag) {
  const int low = tag & 0x7F;
  return low == TagNull || low == TagFalse || low == TagTrue || low == TagNil ||
         low > TagUtf8String;
}

// Besides the read that fits each tag, entries whose names start with certain letters are
// read the wrong way on purpose: the reader must reject them and stand at the next entry.
void ReadEntry(TReader& reader, const std::string& name, testing::WalkTotals& totals) {
  const char first = name.empty() ? '\0' : name[0];
  try {
    switch (first) {
      case 'b':
        if (!CarriesNothing(reader.PeekTag())) g_payloadLeft = true;
        totals.checksum += static_cast<std::uint64_t>(reader.ReadBoolValue());
        return;
      case 'c':
        totals.checksum += static_cast<std::uint64_t>(reader.ReadCharValue());
        return;
      case 'i':
        totals.checksum += static_cast<std::uint64_t>(reader.ReadIntValue());
        return;
      case 'n':
        totals.textBytes += static_cast<std::int64_t>(reader.ReadIdentValue().size());
        return;
      case 's':
        totals.checksum += static_cast<std::uint64_t>(reader.ReadSetMask(testing::kWalkStyleType));
        return;
      case 't':
        totals.textBytes += static_cast<std::int64_t>(reader.ReadTextValue().size());
        return;
      case 'w':
        totals.textBytes += static_cast<std::int64_t>(reader.ReadWideTextValue().size());
        return;
      case 'x':
        reader.SkipOneValue();
        return;
      case 'd':
        reader.SetCurrentPropertyName(name);
        reader.DefineStored(
            name, [&](TReader& inner) { inner.SkipOneValue(); }, true);
        return;
      default:
        break;
    }
  } catch (const EReadError& e) {
    // A rejected value has been consumed whole; anything else ends the walk.
    if (e.Message() != "Invalid property value") throw;
    return;
  }
  testing::WalkValue(reader, name, totals);
}

void ReadRecord(TReader& reader, int depth, testing::WalkTotals& totals) {
  PrefixFlags flags;
  std::int32_t childPosition;
  reader.ReadObjectPrefix(flags, childPosition);
  reader.ReadShortText();
  reader.ReadShortText();
  while (!reader.AtListEnd()) {
    const std::string name = reader.ReadShortText();
    ReadEntry(reader, name, totals);
  }
  reader.ExpectListEnd();
  while (!reader.AtListEnd()) {
    if (depth < kMaxDepth)
      ReadRecord(reader, depth + 1, totals);
    else
      reader.SkipObjectRecord(true);
  }
  reader.ExpectListEnd();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static testing::FakeSystem* system = [] {
    auto* s = new testing::FakeSystem();
    s->Install();
    return s;
  }();
  (void)system;

  g_payloadLeft = false;
  TCustomMemoryStream stream(std::span<const std::uint8_t>(data, size));
  std::int64_t consumed = -1;
  {
    TReader reader(stream);
    testing::WalkTotals totals;
    try {
      reader.CheckSignature();
      ReadRecord(reader, 0, totals);
      consumed = reader.Position();
    } catch (const Exception&) {
    }
  }
  // A finished reader puts the stream just after the last byte it consumed.
  if (consumed >= 0 && stream.Position() != consumed) std::abort();

  // The same bytes skipped as one record must agree with the walk about where it ends.
  stream.SetPosition(0);
  {
    TReader reader(stream);
    try {
      reader.CheckSignature();
      reader.SkipObjectRecord(true);
      if (consumed >= 0 && !g_payloadLeft && reader.Position() != consumed) std::abort();
    } catch (const Exception&) {
    }
  }
  return 0;
}
