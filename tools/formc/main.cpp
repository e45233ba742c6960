// formc INPUT OUTPUT: compiles a window definition into its binary stream. Diagnostics go
// to stderr as "INPUT:LINE: error: MESSAGE" so that editors and build logs can point at them.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "tools/formc/FormCompiler.h"

namespace {

bool ReadFile(const std::filesystem::path& path, std::string& contents) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  contents = buffer.str();
  return !in.bad();
}

// Writes beside the target and renames, so that a build never sees half a file.
bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: formc INPUT OUTPUT\n";
    return 2;
  }
  const std::filesystem::path input = argv[1];
  const std::filesystem::path output = argv[2];

  std::string source;
  if (!ReadFile(input, source)) {
    std::cerr << "formc: cannot read " << input.string() << "\n";
    return 1;
  }
  const sx::formc::CompileResult result = sx::formc::CompileForm(source);
  if (!result.Ok()) {
    std::cerr << input.string() << ":" << result.error->line << ": error: " << result.error->message
              << "\n";
    // A stale stream from an earlier good source must not be embedded after a failed build.
    std::error_code ignored;
    std::filesystem::remove(output, ignored);
    return 1;
  }
  if (!WriteFile(output, result.bytes)) {
    std::cerr << "formc: cannot write " << output.string() << "\n";
    return 1;
  }
  return 0;
}
