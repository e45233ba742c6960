// Feeds arbitrary bytes to the loader as a definition: once into a given root, once into a
// root made from the stored class name, with or without an after-load batch and a hook that
// passes every error over. Every failure must be one of the framework's exceptions; anything
// else escaping, a crash, a leak, a component left alive or a reference left waiting for a
// destroyed component is a finding.

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

TComponent* FindOther(std::string_view name) {
  return g_other && SameText(g_other->Name(), name) ? g_other : nullptr;
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
  RegisterGlobalFinder(&FindOther);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const int baseline = g_log.live;
  // The variations are chosen by the size so that every input meets each of them.
  LoadOnce(bytes, true, size % 3 == 0, size % 2 == 0);
  LoadOnce(bytes, false, size % 3 == 1, size % 2 == 1);
  if (g_log.live != baseline) Finding("a component outlived the load that made it");
  if (g_log.liveItems != 0) Finding("a collection item outlived its collection");
  if (GlobalFixupCount() != 0) Finding("a reference waits for a destroyed root");
  if (CurrentLoadBatch() != nullptr) Finding("an after-load batch was left open");
  g_log.afterLoad.clear();
  g_log.destroyed.clear();
  g_log.events.clear();
  return 0;
}
