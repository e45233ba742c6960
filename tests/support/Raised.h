#pragma once

#include <functional>
#include <string>

#include "framework/runtime/Exception.h"

namespace sx::testing {

// The class and message of what the action raised, as "EReadError: Stream read error", or
// "(nothing raised)". Anything that is not one of the framework's exceptions passes through
// and fails the test.
inline std::string Raised(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return std::string(e.ClassName()) + ": " + e.Message();
  }
  return "(nothing raised)";
}

}  // namespace sx::testing
