#include "tests/support/Drawing.h"

#include <cstdint>

namespace sx::testing {

int Picture::Count(COLORREF color) const {
  return Count(color, RECT{0, 0, width, height});
}

int Picture::Count(COLORREF color, RECT within) const {
  int count = 0;
  for (int y = within.top; y < within.bottom; ++y)
    for (int x = within.left; x < within.right; ++x)
      count += At(x, y) == color ? 1 : 0;
  return count;
}

POINT Picture::Find(const Picture& block, RECT within) const {
  for (int y = within.top; y + block.height <= within.bottom; ++y)
    for (int x = within.left; x + block.width <= within.right; ++x) {
      bool same = true;
      for (int by = 0; same && by < block.height; ++by)
        for (int bx = 0; same && bx < block.width; ++bx)
          same = At(x + bx, y + by) == block.At(bx, by);
      if (same) return POINT{x, y};
    }
  return POINT{-1, -1};
}

Picture Draw(int width, int height, COLORREF background, const std::function<void(HDC)>& draw) {
  Picture picture;
  picture.width = width;
  picture.height = height;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ previous = SelectObject(dc, bitmap);
  const RECT all{0, 0, width, height};
  const HBRUSH brush = CreateSolidBrush(background);
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  draw(dc);
  GdiFlush();
  // The bitmap holds 0x00RRGGBB; a COLORREF is 0x00BBGGRR.
  const auto* source = static_cast<const std::uint32_t*>(bits);
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
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

Picture PaintIntoMemory(TWinControl* control, COLORREF background) {
  RECT client{};
  GetClientRect(control->Handle(), &client);
  return Draw(client.right, client.bottom, background,
              [&](HDC dc) { control->DeliverMessage(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0); });
}

Picture PrintClient(TWinControl* control) {
  return Draw(control->Width(), control->Height(), RGB(0, 0, 0), [&](HDC dc) {
    SendMessageA(control->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc),
                 PRF_CLIENT | PRF_ERASEBKGND);
  });
}

RECT MeasureText(const TFont* font, const std::string& text, UINT flags, int width, int count) {
  const HDC dc = GetDC(nullptr);
  const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(font->Handle()));
  RECT rect{0, 0, width, 0};
  DrawTextA(dc, text.c_str(), count, &rect, flags | DT_CALCRECT);
  SelectObject(dc, previous);
  ReleaseDC(nullptr, dc);
  return rect;
}

}  // namespace sx::testing
