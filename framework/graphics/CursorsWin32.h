#pragma once

// The system's own mouse cursors, loaded once per process and shared by every control.

#include <windows.h>

namespace sx {

// The system's cursor of that id (IDC_ARROW and the others), loaded the first time it is
// asked for and the same handle every time after; null when the system has none, and then
// asked for again next time. The system's cursors are shared and never destroyed.
HCURSOR SystemCursor(LPCSTR id);

// Where the cursors are loaded from (the system's LoadCursorA unless replaced); replacing
// it forgets what was loaded. Returns the one it replaces.
using CursorLoader = HCURSOR(WINAPI*)(HINSTANCE module, LPCSTR name);
CursorLoader SetCursorLoader(CursorLoader loader);

}  // namespace sx
