#pragma once

// The two window properties that lead from a control's window back to the control, and
// the registered message a control's window answers with its object. The atoms are made
// once per process; the application deletes them when the framework shuts down. They are
// kept for whoever looks at the windows from outside: the framework itself finds a
// window's control through the window entries, without asking the window system.

#include <windows.h>

#include <string>

namespace sx {

class TWinControl;

// "Ostrel" and the process id, in eight hexadecimal digits.
std::string ProcessPropertyName();
// "ControlOfs", the module instance handle and the thread id, eight hexadecimal digits each.
std::string ControlPropertyName();

// Makes the atoms and registers the message; later calls do nothing until
// ReleaseWindowProperties.
void InitWindowProperties();
// Deletes the atoms. Call it once no control window is left.
void ReleaseWindowProperties();

ATOM ProcessPropertyAtom();
ATOM ControlPropertyAtom();
// The registered message under the control property's name; a control's window answers it
// with the control.
UINT ObjectQueryMessage();

// Sets both properties of the window to the control, or removes them.
void SetWindowProperties(HWND window, TWinControl* control);
void RemoveWindowProperties(HWND window);

}  // namespace sx
