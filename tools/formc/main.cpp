// formc INPUT OUTPUT: compiles a window definition into its binary stream.
// formc --language LANGUAGE CODE INPUT FORM SCRIPT: compiles the definition with a
//   language's texts into FORM and writes that language module's resource script.
// formc --sample INPUT SCRIPT: writes the script holding a sample of the definition's
//   own captions.
// Diagnostics go to stderr as "FILE:LINE: error: MESSAGE" so that editors and build logs
// can point at them; a failed run leaves none of its outputs behind.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "tools/formc/FormCompiler.h"
#include "tools/formc/Language.h"

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
bool WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
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

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  return WriteFile(path,
                   std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

int Report(const std::filesystem::path& file, const sx::formc::Diagnostic& error,
           std::initializer_list<std::filesystem::path> outputs) {
  std::cerr << file.string() << ":" << error.line << ": error: " << error.message << "\n";
  // A stale output of an earlier good source must not be embedded after a failed build.
  for (const std::filesystem::path& output : outputs) {
    std::error_code ignored;
    std::filesystem::remove(output, ignored);
  }
  return 1;
}

int CannotRead(const std::filesystem::path& path) {
  std::cerr << "formc: cannot read " << path.string() << "\n";
  return 1;
}

int CannotWrite(const std::filesystem::path& path) {
  std::cerr << "formc: cannot write " << path.string() << "\n";
  return 1;
}

int CompileLanguage(const std::filesystem::path& languageFile, const std::string& code,
                    const std::filesystem::path& input, const std::filesystem::path& form,
                    const std::filesystem::path& script) {
  std::string languageSource, layout;
  if (!ReadFile(languageFile, languageSource)) return CannotRead(languageFile);
  if (!ReadFile(input, layout)) return CannotRead(input);
  const sx::formc::LanguageResult language = sx::formc::ReadLanguage(languageSource, code);
  if (language.error) return Report(languageFile, *language.error, {form, script});
  const sx::formc::CompileResult result = sx::formc::CompileTranslated(layout, language.language);
  if (!result.Ok()) {
    // Faults of the layout itself have a line there; a mismatch with the language has none.
    if (result.error->line > 0) return Report(input, *result.error, {form, script});
    return Report(languageFile, *result.error, {form, script});
  }
  if (!WriteFile(form, result.bytes)) return CannotWrite(form);
  if (!WriteFile(script, sx::formc::ModuleScript(language.language, form.generic_string())))
    return CannotWrite(script);
  return 0;
}

int CompileSample(const std::filesystem::path& input, const std::filesystem::path& script) {
  std::string layout;
  if (!ReadFile(input, layout)) return CannotRead(input);
  const sx::formc::CompileResult result = sx::formc::CompileForm(layout);
  if (!result.Ok()) return Report(input, *result.error, {script});
  if (!WriteFile(script, sx::formc::SampleScript(result))) return CannotWrite(script);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 6 && args[0] == "--language")
    return CompileLanguage(args[1], args[2], args[3], args[4], args[5]);
  if (args.size() == 3 && args[0] == "--sample") return CompileSample(args[1], args[2]);
  if (args.size() != 2 || args[0].starts_with("--")) {
    std::cerr << "usage: formc INPUT OUTPUT\n"
                 "       formc --language LANGUAGE CODE INPUT FORM SCRIPT\n"
                 "       formc --sample INPUT SCRIPT\n";
    return 2;
  }
  const std::filesystem::path input = args[0];
  const std::filesystem::path output = args[1];

  std::string source;
  if (!ReadFile(input, source)) return CannotRead(input);
  const sx::formc::CompileResult result = sx::formc::CompileForm(source);
  if (!result.Ok()) return Report(input, *result.error, {output});
  if (!WriteFile(output, result.bytes)) return CannotWrite(output);
  return 0;
}
