// Reading and skipping a definition of a root with 10,000 component records.

#include <benchmark/benchmark.h>

#include <string>

#include "framework/streaming/Reader.h"
#include "framework/streaming/Stream.h"
#include "tests/framework/streaming/FormWalk.h"
#include "tests/support/FakeSystem.h"
#include "tests/support/StreamBuilder.h"

namespace {

using namespace sx;
using sx::testing::StreamBuilder;

constexpr int kRecords = 10000;

const std::vector<std::uint8_t>& Definition() {
  static const std::vector<std::uint8_t> bytes = [] {
    StreamBuilder form;
    form.Signature().Object("TForm1", "Form1");
    form.Name("Left").Int(341).Name("Top").Int(157).Name("Caption").String("Sonderix");
    form.Name("Font.Style").Set({}).Name("PixelsPerInch").Int(96).End();
    for (int i = 0; i < kRecords; ++i) {
      const std::string number = std::to_string(i);
      form.Object("TButton", "Button" + number);
      form.Name("Left").Int(8 + (i % 40) * 80).Name("Top").Int(8 + (i / 40) * 30);
      form.Name("Width").Int(75).Name("Height").Int(25);
      form.Name("Hint").String("Press " + number);
      form.Name("Cursor").Ident("crHandPoint");
      form.Name("Font.Style").Set({"fsBold", "fsUnderline"});
      // "Кнопка" in UTF-8, then the number.
      form.Name("Caption").Utf8String("\xD0\x9A\xD0\xBD\xD0\xBE\xD0\xBF\xD0\xBA\xD0\xB0 " + number);
      form.Name("TabOrder").Int(i).Name("Default").False();
      form.End().End();
    }
    form.End();
    return form.Bytes();
  }();
  return bytes;
}

sx::testing::FakeSystem& System() {
  static sx::testing::FakeSystem* system = [] {
    auto* s = new sx::testing::FakeSystem();
    s->Install();
    return s;
  }();
  return *system;
}

void BM_ReadRecords(benchmark::State& state) {
  System();
  const auto& bytes = Definition();
  for (auto _ : state) {
    TCustomMemoryStream stream(bytes);
    TReader reader(stream);
    const sx::testing::WalkTotals totals = sx::testing::WalkDefinition(reader);
    if (totals.objects != kRecords + 1) state.SkipWithError("records lost");
    benchmark::DoNotOptimize(totals);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
  state.counters["records"] = kRecords + 1;
}
BENCHMARK(BM_ReadRecords)->Unit(benchmark::kMillisecond);

void BM_SkipRecords(benchmark::State& state) {
  System();
  const auto& bytes = Definition();
  for (auto _ : state) {
    TCustomMemoryStream stream(bytes);
    TReader reader(stream);
    reader.CheckSignature();
    reader.SkipObjectRecord(true);
    if (reader.Position() != static_cast<std::int64_t>(bytes.size()))
      state.SkipWithError("stopped early");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_SkipRecords)->Unit(benchmark::kMillisecond);

}  // namespace
