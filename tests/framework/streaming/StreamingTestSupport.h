#pragma once

// What the reader's and the loader's tests share: the fake system, readers over built bytes,
// the samples' log and ways to load a definition and catch what it raises.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/runtime/Exception.h"
#include "framework/streaming/Reader.h"
#include "framework/streaming/Stream.h"
#include "tests/framework/streaming/LoadTestClasses.h"
#include "tests/support/FakeSystem.h"
#include "tests/support/Raised.h"
#include "tests/support/StreamBuilder.h"

namespace sx::testing {

using Names = std::vector<std::string>;

// A marker placed after the value under test, to see where a read left the stream.
inline constexpr std::uint8_t kNext = 0x2A;

inline constexpr const char* kStreamReadError = "EReadError: Stream read error";
inline constexpr const char* kInvalidValue = "EReadError: Invalid property value";
inline constexpr const char* kInvalidFormat = "EReadError: Invalid stream format";

// A reader over bytes that a test built; the system double provides texts and code page 1251.
class ReaderFixture : public ::testing::Test {
 protected:
  void SetUp() override { system.Install(); }

  TReader& Open(const StreamBuilder& built) { return Open(built.Bytes()); }
  TReader& Open(std::vector<std::uint8_t> bytes) {
    reader.reset();
    data = std::move(bytes);
    stream = std::make_unique<TCustomMemoryStream>(data);
    reader = std::make_unique<TReader>(*stream);
    return *reader;
  }

  FakeSystem system;
  std::vector<std::uint8_t> data;
  std::unique_ptr<TCustomMemoryStream> stream;
  std::unique_ptr<TReader> reader;
};

struct FreeObject {
  void operator()(TObject* object) const { Free(object); }
};
template <class T>
using Owned = std::unique_ptr<T, FreeObject>;

// Takes the errors a reader offers to its error hook and passes over those that start with
// handledPrefix: all of them while it is empty.
class ErrorCollector : public TObject {
 public:
  void Offer(TReader&, const std::string& message, bool& handled) {
    messages.push_back(message);
    handled = message.starts_with(handledPrefix);
  }
  // Prepares a reader to offer its errors here.
  std::function<void(TReader&)> Hook() {
    return [this](TReader& reader) { reader.ErrorHook = MakeEvent<&ErrorCollector::Offer>(this); };
  }

  std::string handledPrefix;
  Names messages;
};

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

  // A root record "Root" of the given class whose entries the callback writes; no children.
  static StreamBuilder RootWith(const std::function<void(StreamBuilder&)>& entries,
                                std::string_view rootClass = "TSampleRoot") {
    StreamBuilder b;
    b.Signature().Object(rootClass, "Root");
    entries(b);
    b.End().End();
    return b;
  }

  // A root record "Root" of the given class without entries, whose child records the callback
  // writes.
  static StreamBuilder RootWithChildren(const std::function<void(StreamBuilder&)>& children,
                                        std::string_view rootClass = "TSampleRoot") {
    StreamBuilder b;
    b.Signature().Object(rootClass, "Root").End();
    children(b);
    b.End();
    return b;
  }

  FakeSystem system_;
  SampleLog log_;
};

}  // namespace sx::testing
