#pragma once

// What the loader's tests share: the fake system, the samples' log and ways to load a
// definition and catch what it raises.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "framework/runtime/Exception.h"
#include "framework/streaming/Reader.h"
#include "framework/streaming/Stream.h"
#include "tests/framework/streaming/LoadTestClasses.h"
#include "tests/support/FakeSystem.h"
#include "tests/support/StreamBuilder.h"

namespace sx::testing {

struct FreeObject {
  void operator()(TObject* object) const { Free(object); }
};
template <class T>
using Owned = std::unique_ptr<T, FreeObject>;

class LoadFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    system_.Install();
    RegisterSampleClasses();
    g_sampleLog = &log_;
  }
  void TearDown() override {
    g_sampleLog = nullptr;
    EXPECT_EQ(log_.live, 0) << "samples left alive";
    EXPECT_EQ(log_.liveItems, 0) << "collection items left alive";
  }

  // Reads the whole definition into the root (or a root made from the stored class).
  TComponent* Load(const StreamBuilder& definition, TComponent* root = nullptr,
                   const std::function<void(TReader&)>& prepare = {}) {
    TCustomMemoryStream stream(definition.Bytes());
    TReader reader(stream);
    if (prepare) prepare(reader);
    return reader.LoadRoot(root);
  }

  Owned<TSampleRoot> NewRoot() { return Owned<TSampleRoot>(New<TSampleRoot>(nullptr)); }

  // Reads the definition into a new root made from its stored class.
  template <class T = TSampleRoot>
  Owned<T> LoadNew(const StreamBuilder& definition,
                   const std::function<void(TReader&)>& prepare = {}) {
    TComponent* root = Load(definition, nullptr, prepare);
    EXPECT_TRUE(root->InheritsFrom(T::StaticClass));
    return Owned<T>(static_cast<T*>(root));
  }

  // The class and message of what the action raised, as "EReadError: message".
  static std::string Raised(const std::function<void()>& action) {
    try {
      action();
    } catch (const Exception& e) {
      return std::string(e.ClassName()) + ": " + e.Message();
    }
    return "(nothing raised)";
  }

  // A root record "Root" of the given class whose entries the callback writes; no children.
  static StreamBuilder RootWith(const std::function<void(StreamBuilder&)>& entries,
                                std::string_view rootClass = "TSampleRoot") {
    StreamBuilder b;
    b.Signature().Object(rootClass, "Root");
    entries(b);
    b.End().End();
    return b;
  }

  FakeSystem system_;
  SampleLog log_;
};

}  // namespace sx::testing
