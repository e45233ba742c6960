#pragma once

// What the framework knows of its own process (the main module, whether it is a console
// program) and the runtime's own error box, which shows what escapes where the application
// object cannot show it.

#include <windows.h>

#include <string>

namespace sx {

HINSTANCE MainInstance();

// A console program (its image says so) gets no application window and writes the
// runtime's error text to its standard output.
bool IsConsoleProcess();

// The runtime's type name of the exception being handled.
std::string CurrentExceptionTypeName();

// The runtime's own error box: the class of what was thrown, the module and the offset of
// the address within it, and a message with its suffix.
void ShowRuntimeError(const void* address, const std::string& className, const std::string& message,
                      const std::string& suffix);

// A message gets a closing period unless it already ends in one or in a character that sorts
// below it ("!", ")", ",", a blank). For a double-byte last character its lead byte decides.
bool NeedsPeriod(const std::string& message);

}  // namespace sx
