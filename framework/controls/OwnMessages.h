#pragma once

// The framework's own messages (Messages.h) where they travel through the window system:
// sent or posted by the framework to its own windows, and acted on only when they were.
// Any process may send or post any message to a window of another; one of these carries
// object pointers or changes state, so one from outside is answered 0 and changes nothing.

#include <windows.h>

namespace sx {

// The framework's own range: its notifications from 0xB000 and the reflected window-system
// messages from 0xBC00 (FWM_REFLECT) on, up to where the registered messages begin.
constexpr bool IsOwnMessage(UINT msg) {
  return msg >= 0xB000 && msg <= 0xBFFF;
}

// Sends one of them to a window of this thread. The framework never sends them across
// threads: for another thread's window nothing is sent and the answer is 0.
LRESULT SendOwnMessage(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

// Posts one of them, remembering it until it arrives. False when the post failed.
bool PostOwnMessage(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

// Whether one of them, arriving at a window procedure now, is one that SendOwnMessage is
// sending or one that PostOwnMessage posted (which is then forgotten). Everything else in
// the range came from outside the framework.
bool CameFromWithin(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace sx
