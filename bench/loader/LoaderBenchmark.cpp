// Loading synthetic definitions of many named components: the cost per component must not
// grow with the number of components (no lookup may turn quadratic).

#include <benchmark/benchmark.h>

#include <time.h>

#include <string>

#include "framework/streaming/Reader.h"
#include "framework/streaming/Stream.h"
#include "tests/framework/streaming/LoadTestClasses.h"
#include "tests/support/FakeSystem.h"
#include "tests/support/StreamBuilder.h"

namespace {

using sx::testing::StreamBuilder;

double ThreadSeconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A root with `count` children. Each child has a few typical entries, a handler bound by
// name and a reference to the child stored before it; every tenth child is a panel that
// holds the next child, so parents change as they do in a form.
StreamBuilder Definition(int count) {
  StreamBuilder b;
  b.Signature().Object("TSampleRoot", "Root").Name("IntValue").Int(1).End();
  for (int i = 0; i < count; ++i) {
    const bool panel = i % 10 == 0 && i + 1 < count;
    b.Object(panel ? "TSamplePanel" : "TSample", "Component" + std::to_string(i));
    b.Name("IntValue").Int(i);
    b.Name("Text").String("Caption " + std::to_string(i));
    b.Name("Kind").Ident("skBeta");
    b.Name("Kinds").Set({"skAlpha", "skGamma"});
    b.Name("Left").Int(i % 500);
    b.Name("OnChange").Ident("HandleChange");
    if (i > 0) b.Name("Link").Ident("Component" + std::to_string(i - 1));
    b.End();
    if (panel) {
      ++i;
      b.Object("TSample", "Component" + std::to_string(i)).Name("IntValue").Int(i).End().End();
    }
    b.End();
  }
  b.End();
  return b;
}

void LoadComponents(benchmark::State& state) {
  sx::testing::FakeSystem system;
  system.Install();
  sx::testing::RegisterSampleClasses();
  const int count = static_cast<int>(state.range(0));
  const StreamBuilder definition = Definition(count);
  for (auto _ : state) {
    // Timed by hand in the thread's processor time: only the load counts, not freeing the
    // components afterwards, and not the time other processes take from this one.
    const double start = ThreadSeconds();
    sx::TCustomMemoryStream stream(definition.Bytes());
    sx::TComponent* root;
    {
      sx::TReader reader(stream);
      root = reader.LoadRoot(nullptr);
    }
    benchmark::DoNotOptimize(root);
    state.SetIterationTime(ThreadSeconds() - start);
    root->Free();
  }
  state.SetItemsProcessed(state.iterations() * count);
  state.counters["time_per_component"] =
      benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}

BENCHMARK(LoadComponents)->Arg(100)->Arg(10000)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
