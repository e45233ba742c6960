#pragma once

// Turns the readable text of a window definition into the binary component stream that
// the program embeds and reads at start-up. Standard library only: it is built for the
// build machine even when the program is cross-compiled.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sx::formc {

struct Diagnostic {
  int line = 0;  // 1-based line of the source the message is about
  std::string message;
};

struct CompileResult {
  std::vector<std::uint8_t> bytes;  // empty whenever there is an error
  std::optional<Diagnostic> error;

  bool Ok() const { return !error.has_value(); }
};

// Compiles a whole definition; stops at the first fault.
CompileResult CompileForm(std::string_view source);

}  // namespace sx::formc
