#pragma once

// A windowed control's name for screen readers: the answer to WM_GETOBJECT for the window's
// client area, which is the system's own accessible object for that window with only the
// name replaced. Everything else (role, state, value, place, children) stays the system's,
// so a field still reads out its number and a button its caption.

#include <windows.h>

#include <string_view>

namespace sx {

// The answer to WM_GETOBJECT (with its WParam) for the window's client area, named `name`.
// With `valueIsText`, the window's text is the object's value where the system's object
// has none (Wine 8 knows no value for a field of a class it does not recognise). 0 when the
// system's accessibility library cannot be had or refuses, and the window's class then answers as
// it would have. Loads that library from the system folder on the first question. The object handed
// out holds its own copy of the name and the system's object, which keeps only the window handle,
// so it may outlive the window and the control.
LRESULT AnswerAccessibleName(HWND window, WPARAM flags, std::u16string_view name, bool valueIsText);

}  // namespace sx
