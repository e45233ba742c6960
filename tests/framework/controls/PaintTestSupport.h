#pragma once

// Pictures of what a windowed control paints, taken from a memory bitmap, and text measured
// the way the window system measures it: what the label and painting tests compare with.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/controls/WinControl.h"
#include "framework/graphics/Font.h"

namespace sx::testing {

// The client area of a control as painted, one COLORREF per pixel, top row first.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;

  COLORREF At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
  int Count(COLORREF color) const {
    int count = 0;
    for (COLORREF pixel : pixels)
      count += pixel == color ? 1 : 0;
    return count;
  }
};

// Sends the control WM_PAINT with a memory context filled with `background` beforehand.
inline Picture PaintIntoMemory(TWinControl* control, COLORREF background) {
  RECT client{};
  GetClientRect(control->Handle(), &client);
  Picture picture;
  picture.width = client.right;
  picture.height = client.bottom;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  HBRUSH brush = CreateSolidBrush(background);
  FillRect(dc, &client, brush);
  DeleteObject(brush);
  control->DeliverMessage(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  GdiFlush();
  const auto* source = static_cast<const std::uint32_t*>(bits);
  const std::size_t count =
      static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
  picture.pixels.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t p = source[i];
    picture.pixels[i] = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  SelectObject(dc, previous);
  DeleteDC(dc);
  DeleteObject(bitmap);
  return picture;
}

// DrawText's measurement of the text in the font: the rectangle (0, 0, width, 0) as
// DT_CALCRECT leaves it. `count` -1 measures up to the terminating zero.
inline RECT MeasureText(const TFont* font, const std::string& text, UINT flags, int width = 0,
                        int count = -1) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(font->Handle()));
  RECT rect{0, 0, width, 0};
  DrawTextA(dc, text.c_str(), count, &rect, flags | DT_CALCRECT);
  SelectObject(dc, previous);
  ReleaseDC(nullptr, dc);
  return rect;
}

}  // namespace sx::testing
