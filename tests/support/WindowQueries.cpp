#include "tests/support/WindowQueries.h"

namespace sx::testing {

std::wstring Utf16(std::string_view utf8) {
  const int size = static_cast<int>(utf8.size());
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), size);
  wide.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return wide;
}

std::string Cp1251(std::string_view utf8) {
  const std::wstring wide = Utf16(utf8);
  const int size = static_cast<int>(wide.size());
  std::string bytes(static_cast<std::size_t>(size), '\0');
  const int length =
      WideCharToMultiByte(1251, 0, wide.data(), size, bytes.data(), size, nullptr, nullptr);
  bytes.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return bytes;
}

std::string WindowClass(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string WindowTextA(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::wstring WindowTextW(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

DWORD WindowStyle(HWND window) {
  return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
}

DWORD WindowExStyle(HWND window) {
  return static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
}

void PrintTo(const Bounds& bounds, std::ostream* out) {
  *out << "(" << bounds.left << ", " << bounds.top << ", " << bounds.width << " x " << bounds.height
       << ")";
}

Bounds BoundsOf(const RECT& rect) {
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

RECT ScreenRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

Bounds ScreenBounds(HWND window) {
  return BoundsOf(ScreenRect(window));
}

RECT RectInParent(HWND window) {
  RECT rect = ScreenRect(window);
  if (HWND parent = GetParent(window); parent && (WindowStyle(window) & WS_CHILD))
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

Bounds BoundsInParent(HWND window) {
  return BoundsOf(RectInParent(window));
}

}  // namespace sx::testing
