#pragma once

// TCanvas: a device context borrowed for the length of a paint, with the pen, brush and font
// the drawing calls use. It never owns the context: whoever attaches one detaches it again,
// and detaching puts back the objects the context had.

#include <windows.h>

#include <string>
#include <string_view>

#include "framework/graphics/Colors.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/PenBrush.h"
#include "framework/streaming/Persistent.h"

namespace sx {

class TCanvas : public TPersistent {
  SX_CLASS(TCanvas)

  TCanvas();
  ~TCanvas() override;

  void TearDown() override;

  // The attached device context, or none.
  HDC Handle() const { return dc_; }
  // Attaches a device context (none detaches): the previous one gets its own pen, brush and
  // font back first.
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return dc_ != nullptr; }

  TPen* Pen() const { return pen_; }
  TBrush* Brush() const { return brush_; }
  TFont* Font() const { return font_; }

  // Fills the rectangle with the brush.
  void FillRect(const RECT& rect);
  // Outlines the rectangle with the pen and fills its inside with the brush (a clear brush
  // leaves the inside alone).
  void Rectangle(int left, int top, int right, int bottom);
  void Rectangle(const RECT& rect) { Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
  // A 3-D frame `width` pixels wide: top and left in `topLeft`, bottom and right in
  // `bottomRight`. The rectangle shrinks to the inside of the frame.
  void Frame3D(RECT& rect, TColor topLeft, TColor bottomRight, int width);
  // The dotted frame of a focused control, drawn by inversion: drawing it twice removes it.
  void DrawFocusRect(const RECT& rect);

  // Text in the font and its colour; the background follows the brush (clear: none).
  void TextOut(int x, int y, std::string_view text);
  // DrawText with the given flags; the rectangle comes back measured when the flags ask
  // for it (DT_CALCRECT). Returns the height of the text.
  int DrawText(std::string_view text, RECT& rect, UINT flags);
  SIZE TextExtent(std::string_view text);
  int TextWidth(std::string_view text) { return TextExtent(text).cx; }
  int TextHeight(std::string_view text) { return TextExtent(text).cy; }

 private:
  // Selects the current pen, brush and font into the context and sets the colours they
  // imply; the system objects may have been remade since the last call.
  void Prepare(bool pen, bool brush, bool font);
  void RestoreSelection();
  void ObjectChanged(TObject* sender);

  HDC dc_ = nullptr;
  HGDIOBJ savedPen_ = nullptr;
  HGDIOBJ savedBrush_ = nullptr;
  HGDIOBJ savedFont_ = nullptr;
  TPen* pen_ = nullptr;
  TBrush* brush_ = nullptr;
  TFont* font_ = nullptr;
};

}  // namespace sx
