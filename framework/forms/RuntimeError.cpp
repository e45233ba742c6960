// The runtime's own error box and what it needs to know of the process.

#include "framework/forms/RuntimeError.h"

#include <cxxabi.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <typeinfo>

#include "framework/forms/Application.h"
#include "framework/runtime/Exception.h"
#include "framework/runtime/Format.h"
#include "framework/runtime/Texts.h"

namespace sx {
namespace {

std::string FileNamePart(const char* path) {
  const char* slash = std::strrchr(path, '\\');
  return slash ? slash + 1 : path;
}

}  // namespace

HINSTANCE MainInstance() {
  return GetModuleHandleA(nullptr);
}

bool IsConsoleProcess() {
  static const bool console = [] {
    const auto* base = reinterpret_cast<const BYTE*>(MainInstance());
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (!base || dos->e_magic != IMAGE_DOS_SIGNATURE) return false;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return nt->Signature == IMAGE_NT_SIGNATURE &&
           nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI;
  }();
  return console;
}

std::string CurrentExceptionTypeName() {
  const std::type_info* type = abi::__cxa_current_exception_type();
  if (!type) return "unknown";
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> readable(
      abi::__cxa_demangle(type->name(), nullptr, nullptr, &status), &std::free);
  return status == 0 && readable ? readable.get() : type->name();
}

void ShowRuntimeError(const void* address, const std::string& className, const std::string& message,
                      const std::string& suffix) {
  char module[MAX_PATH + 1] = {};
  const void* offset = nullptr;
  MEMORY_BASIC_INFORMATION memory = {};
  if (VirtualQuery(address, &memory, sizeof memory) && memory.State == MEM_COMMIT &&
      GetModuleFileNameA(static_cast<HMODULE>(memory.AllocationBase), module, MAX_PATH)) {
    offset = reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(address) -
                                           reinterpret_cast<std::uintptr_t>(memory.AllocationBase));
  } else {
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    offset = reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(address) - 0x1000);
  }
  std::string text;
  const std::string moduleName = FileNamePart(module);
  const std::initializer_list<FormatArg> args = {className, moduleName, offset, message, suffix};
  try {
    text = Format(LoadText(TextId::SException), args);
  } catch (const Exception&) {
    // A replaced resource text that does not fit its arguments.
    text = Format(BuiltInText(static_cast<int>(TextId::SException)), args);
  }
  if (text.size() > 1023) text.resize(1023);
  if (IsConsoleProcess()) {
    text += "\r\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
    return;
  }
  ShowMessageBox(nullptr, text, LoadText(TextId::SExceptTitle), MB_TASKMODAL | MB_ICONERROR);
}

bool NeedsPeriod(const std::string& message) {
  if (message.empty()) return false;
  const char* last = CharPrevA(message.c_str(), message.c_str() + message.size());
  return static_cast<unsigned char>(*last) > '.';
}

}  // namespace sx
