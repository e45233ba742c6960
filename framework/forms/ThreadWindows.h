#pragma once

// The windows of the calling thread: disabling them for the length of a modal step and
// enabling them again, and finding the one that should take the activation next.

#include <windows.h>

#include <vector>

namespace sx {

// Windows of the calling thread disabled for the length of a modal step.
struct TWindowList {
  std::vector<HWND> windows;
};

// Disables every visible, enabled top-level window of the thread except `except` and
// returns them.
TWindowList DisableThreadWindows(HWND except);
// Enables again each window of the list that still exists, and empties the list.
void ReenableWindows(TWindowList& list);
// The first visible, enabled top-level window of the thread, other than `except` and the
// application window, preferring one that is not top-most.
HWND FindFirstThreadWindow(HWND except);

}  // namespace sx
