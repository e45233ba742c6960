#pragma once

// What a window is and shows, read with the window system's own calls: for the Windows tests
// that check windows rather than the controls behind them.

#include <windows.h>

#include <ostream>
#include <string>
#include <string_view>

namespace sx::testing {

// Text conversions: the window system's UTF-16, and the code page 1251 bytes the framework
// and the ANSI calls use.
std::wstring Utf16(std::string_view utf8);
std::string Cp1251(std::string_view utf8);

std::string WindowClass(HWND window);
std::string WindowTextA(HWND window);
std::wstring WindowTextW(HWND window);
DWORD WindowStyle(HWND window);
DWORD WindowExStyle(HWND window);

// A rectangle as its place and size, compared and printed as one value.
struct Bounds {
  int left, top, width, height;
  friend bool operator==(const Bounds&, const Bounds&) = default;
};
void PrintTo(const Bounds& bounds, std::ostream* out);

Bounds BoundsOf(const RECT& rect);
// The window's rectangle on the screen.
RECT ScreenRect(HWND window);
Bounds ScreenBounds(HWND window);
// The window's rectangle in its parent's client area (on the screen for a top-level one).
RECT RectInParent(HWND window);
Bounds BoundsInParent(HWND window);

}  // namespace sx::testing
