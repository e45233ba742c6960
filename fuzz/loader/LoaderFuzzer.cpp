// Feeds arbitrary bytes to the loader as a definition: once into a given root, once into a
// root made from the stored class name, with or without an after-load batch and a hook that
// passes every error over. Then, when the bytes hold several signatures, as a session: each
// definition is loaded in turn into a root that stays alive, so that references wait across
// loads while roots, components and collection items are destroyed in between. Every failure
// must be one of the framework's exceptions; anything else escaping, a crash, a leak, a
// component left alive or a reference left waiting for a destroyed object is a finding.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "framework/runtime/Exception.h"
#include "framework/runtime/TextUtil.h"
#include "framework/streaming/Fixups.h"
#include "framework/streaming/Loader.h"
#include "framework/streaming/Reader.h"
#include "framework/streaming/Stream.h"
#include "tests/framework/streaming/LoadTestClasses.h"
#include "tests/support/FakeSystem.h"

namespace {

using namespace sx;
using testing::TSampleRoot;

[[noreturn]] void Finding(const char* what) {
  std::fprintf(stderr, "loader fuzz finding: %s\n", what);
  std::abort();
}

// A root that lives for the whole run, for references across roots ("Other.Child1").
TSampleRoot* g_other = nullptr;
// The roots a session keeps alive between its loads, oldest first; found by name like
// g_other.
std::vector<TComponent*> g_kept;

TComponent* FindRoot(std::string_view name) {
  if (g_other && SameText(g_other->Name(), name)) return g_other;
  for (TComponent* root : g_kept)
    if (SameText(root->Name(), name)) return root;
  return nullptr;
}

class Forgiving : public TObject {
 public:
  void Offer(TReader&, const std::string&, bool& handled) { handled = true; }
};

class BoxValue : public CustomVariantValue {
 public:
  explicit BoxValue(std::string type) : type_(std::move(type)) {}
  const std::string& TypeName() const override { return type_; }

 private:
  std::string type_;
};

std::shared_ptr<const CustomVariantValue> ReadBox(const std::string& type,
                                                  std::span<const std::uint8_t> data) {
  if (!data.empty() && data[0] == 0xFF) throw EReadError("box refused");
  return std::make_shared<BoxValue>(type);
}

testing::SampleLog g_log;

void LoadOnce(std::span<const std::uint8_t> bytes, bool givenRoot, bool forgive, bool batch) {
  Forgiving forgiving;
  TComponent* root = givenRoot ? New<TSampleRoot>(nullptr) : nullptr;
  TComponent* loaded = nullptr;
  if (batch) BeginLoadBatch();
  try {
    TCustomMemoryStream stream(bytes);
    TReader reader(stream);
    if (forgive) reader.ErrorHook = MakeEvent<&Forgiving::Offer>(&forgiving);
    loaded = reader.LoadRoot(root);
    if (givenRoot && loaded != root) Finding("a given root was replaced");
  } catch (const Exception&) {
    // Expected for most inputs.
  } catch (...) {
    Finding("an error that is no framework exception escaped");
  }
  if (batch) {
    try {
      NotifyLoadBatch();
    } catch (const Exception&) {
    }
    EndLoadBatch();
  }
  Free(givenRoot ? root : loaded);
}

// --- Sessions ---------------------------------------------------------------------------

constexpr std::size_t kMaxKept = 4;
constexpr std::size_t kMaxDefinitions = 16;

void FreeKept(std::size_t index) {
  TComponent* root = g_kept[index];
  g_kept.erase(g_kept.begin() + static_cast<std::ptrdiff_t>(index));
  Free(root);
}

// Acts on every sample (each has a collection) among the component and what it owns, the
// deepest first.
void ForEachSample(TComponent* component, void (*act)(testing::TSample&)) {
  for (int i = component->ComponentCount() - 1; i >= 0; --i)
    ForEachSample(component->Component(i), act);
  if (component->InheritsFrom(testing::TSample::StaticClass))
    act(*static_cast<testing::TSample*>(component));
}

// What happens to one kept root between two loads: its low three bits say what, the others
// which root.
void Disturb(std::uint8_t action) {
  if (g_kept.empty()) return;
  const std::size_t index = (action >> 3) % g_kept.size();
  TComponent* root = g_kept[index];
  switch (action & 7) {
    case 1:
      FreeKept(index);
      break;
    case 2:
      // The last component it owns, with whatever that owns in turn.
      if (root->ComponentCount() > 0) Free(root->Component(root->ComponentCount() - 1));
      break;
    case 3:
      ForEachSample(root, [](testing::TSample& sample) { sample.Items()->Clear(); });
      break;
    case 4:
      ForEachSample(root, [](testing::TSample& sample) {
        if (sample.Items()->Count() > 0) sample.Items()->Delete(0);
      });
      break;
    default:
      break;
  }
}

// Loads one definition of a session; a root that loads stays alive. A given root is findable
// by name while it loads, as a form is.
void LoadKept(std::span<const std::uint8_t> bytes, bool givenRoot, bool forgive) {
  Forgiving forgiving;
  TComponent* root = nullptr;
  if (givenRoot) {
    root = New<TSampleRoot>(nullptr);
    g_kept.push_back(root);
  }
  try {
    TCustomMemoryStream stream(bytes);
    TReader reader(stream);
    if (forgive) reader.ErrorHook = MakeEvent<&Forgiving::Offer>(&forgiving);
    TComponent* loaded = reader.LoadRoot(root);
    if (!givenRoot) g_kept.push_back(loaded);
  } catch (const Exception&) {
    if (givenRoot) FreeKept(g_kept.size() - 1);
  } catch (...) {
    Finding("an error that is no framework exception escaped");
  }
  if (g_kept.size() > kMaxKept) FreeKept(0);
}

// The bytes cut before every signature; what comes before the first one is left out. The last
// byte of each definition (after its root record, or inside it) chooses the disturbance that
// follows its load.
void RunSession(std::span<const std::uint8_t> bytes) {
  static constexpr std::uint8_t kSignature[] = {'T', 'P', 'F', '0'};
  std::vector<std::size_t> starts;
  for (auto it = bytes.begin(); starts.size() <= kMaxDefinitions;) {
    it = std::search(it, bytes.end(), std::begin(kSignature), std::end(kSignature));
    if (it == bytes.end()) break;
    starts.push_back(static_cast<std::size_t>(it - bytes.begin()));
    ++it;
  }
  if (starts.size() < 2) return;
  starts.push_back(bytes.size());
  for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
    const std::span<const std::uint8_t> definition =
        bytes.subspan(starts[i], starts[i + 1] - starts[i]);
    LoadKept(definition, definition.size() % 2 == 0, definition.size() % 3 == 0);
    Disturb(definition.back());
  }
  while (!g_kept.empty())
    FreeKept(g_kept.size() - 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static testing::FakeSystem system;
  system.Install();
  testing::RegisterSampleClasses();
  RegisterCustomVariantType("SampleBox", &ReadBox);
  testing::g_sampleLog = &g_log;
  g_other = New<TSampleRoot>(nullptr);
  g_other->SetName("Other");
  TComponent* child = New<testing::TSample>(g_other);
  child->SetName("Child1");
  RegisterGlobalFinder(&FindRoot);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const int baseline = g_log.live;
  // The variations are chosen by the size so that every input meets each of them.
  LoadOnce(bytes, true, size % 3 == 0, size % 2 == 0);
  LoadOnce(bytes, false, size % 3 == 1, size % 2 == 1);
  RunSession(bytes);
  if (g_log.live != baseline) Finding("a component outlived the load that made it");
  if (g_log.liveItems != 0) Finding("a collection item outlived its collection");
  if (GlobalFixupCount() != 0) Finding("a reference waits for a destroyed root");
  if (CurrentLoadBatch() != nullptr) Finding("an after-load batch was left open");
  g_log.afterLoad.clear();
  g_log.destroyed.clear();
  g_log.events.clear();
  return 0;
}
