#pragma once

// What the decoder's, the reader's and the loader's tests share: the fake system, readers
// over built bytes, a definition that uses every tag, the samples' log and ways to load a
// definition and catch what it raises.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/runtime/Exception.h"
#include "framework/streaming/Reader.h"
#include "framework/streaming/Stream.h"
#include "framework/streaming/ValueReader.h"
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

// The decoder alone: it builds no object, so it never has a stored property to offer one.
class PlainValueReader final : public TValueReader {
 public:
  using TValueReader::TValueReader;
  void DefineStored(std::string_view name, const ReaderProc&, bool) override {
    ADD_FAILURE() << "the decoder offered " << name;
  }
  void DefineStoredBinary(std::string_view name, const BinaryReaderProc&, bool) override {
    ADD_FAILURE() << "the decoder offered " << name;
  }
};

// A reader of class R over bytes that a test built; the system double provides texts and
// code page 1251.
template <class R>
class ReaderOver : public ::testing::Test {
 protected:
  void SetUp() override { system.Install(); }

  R& Open(const StreamBuilder& built) { return Open(built.Bytes()); }
  R& Open(std::vector<std::uint8_t> bytes) {
    reader.reset();
    data = std::move(bytes);
    stream = std::make_unique<TCustomMemoryStream>(data);
    reader = std::make_unique<R>(*stream);
    return *reader;
  }

  FakeSystem system;
  std::vector<std::uint8_t> data;
  std::unique_ptr<TCustomMemoryStream> stream;
  std::unique_ptr<R> reader;
};
using ValueReaderFixture = ReaderOver<PlainValueReader>;
using ReaderFixture = ReaderOver<TReader>;

// A definition that uses every tag, a prefixed child and nested children.
inline StreamBuilder SampleDefinition() {
  StreamBuilder form;
  form.Signature().Object("TForm1", "Form1");
  form.Name("Left").Int16(341).Name("Top").Int16(157).Name("Caption").String("Sonderix");
  form.Name("Color").Ident("clBtnFace").Name("Font.Height").Int8(-11).Name("Font.Style").Set({});
  form.Name("OldCreateOrder").False().Name("PixelsPerInch").Int8(96).Name("TextHeight").Int8(13);
  form.End();
  form.Object("TButton", "Button1").Name("Caption");
  form.Utf8String("\xD0\x9E\xD1\x82\xD0\xBA\xD1\x80\xD1\x8B\xD1\x82\xD1\x8C");
  form.Name("Default").True().Name("Hint").WString(u"\u041F").Name("Big").Int32(100000);
  form.Name("Wide").Int64(1LL << 40).Name("Ratio").Extended(0xC000000000000000ULL, 0x3FFF);
  form.Name("Scale").Single(0.5f).Name("Price").Currency(25000).Name("When").Date(2.5);
  form.Name("Note").LString("long").Name("Data").Binary({9, 8, 7}).Name("Popup").Nil();
  form.Name("Items").List().String("a").Int8(1).End();
  form.Name("Columns").Collection().Int8(0).List().Name("Width").Int8(5).End().End();
  form.Name("Future").Byte(23);
  form.End().End();
  form.Byte(0xF2).Int8(0).Object("TPanel", "Panel1").Name("Ctl3D").True().End();
  form.Object("TRadioButton", "RadioButton1").Name("Font.Style").Set({"fsBold", "fsItalic"});
  form.End().End();
  form.End();
  form.Object("TTimer", "Timer1").Name("Interval").Int16(1000);
  form.Name("Left").Int16(216).Name("Top").Int8(8).End().End();
  form.End();
  return form;
}

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
