#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/runtime/Exception.h"
#include "framework/streaming/Reader.h"
#include "framework/streaming/Stream.h"
#include "tests/framework/streaming/FormBytes.h"
#include "tests/support/FakeSystem.h"

namespace sx::testing {

// A reader over bytes that a test built; the system double provides texts and code page 1251.
class ReaderFixture : public ::testing::Test {
 protected:
  void SetUp() override { system.Install(); }

  TReader& Open(const FormBytes& form) { return Open(form.bytes); }
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

// The message of the EReadError that `action` raises, or a note that it raised none or
// something else.
inline std::string ReadErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EReadError& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return std::string("other exception: ") + e.what();
  }
  return "no error";
}

inline constexpr const char* kStreamReadError = "Stream read error";
inline constexpr const char* kInvalidValue = "Invalid property value";
inline constexpr const char* kInvalidFormat = "Invalid stream format";

}  // namespace sx::testing
