#include "framework/controls/SystemError.h"

#include "framework/runtime/Exception.h"
#include "framework/runtime/Format.h"
#include "framework/runtime/Texts.h"

namespace sx {

std::string SystemErrorMessage(DWORD code) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
  std::string text;
  if (length && buffer) text.assign(buffer, length);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
    text.pop_back();
  return text;
}

void RaiseOSError(DWORD code) {
  const std::string message = code ? SystemErrorMessage(code) : std::string();
  if (message.empty()) throw EOSError(LoadText(TextId::SUnkOSError), code);
  // Codes are shown as the signed 32-bit numbers the system defines them as.
  throw EOSError(Format(LoadText(TextId::SOSError), {static_cast<int>(code), message}), code);
}

void RaiseLastOSError() {
  RaiseOSError(GetLastError());
}

}  // namespace sx
