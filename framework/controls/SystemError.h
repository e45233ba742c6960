#pragma once

// The error raised when a call of the operating system fails.

#include <windows.h>

#include <string>

namespace sx {

// The system's message for an error code without its trailing line break; empty when the
// system has none.
std::string SystemErrorMessage(DWORD code);

// Raises EOSError: "System Error.  Code: %d.\r\n%s" with the system's message for the code,
// or "A call to an OS function failed" when the system has no message for it.
[[noreturn]] void RaiseOSError(DWORD code);
// The same for the calling thread's last error.
[[noreturn]] void RaiseLastOSError();

}  // namespace sx
