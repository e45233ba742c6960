#include "framework/controls/Canvas.h"

namespace sx {

constinit const ClassInfo TCanvas::StaticClass{
    .name = "TCanvas",
    .parent = &TPersistent::StaticClass,
};

TCanvas::TCanvas() {
  pen_ = New<TPen>();
  brush_ = New<TBrush>();
  font_ = New<TFont>();
  // A change may give the old system object back for deletion, which the system refuses
  // while the object is selected into a context: it is deselected first (the change notice
  // comes before the old object goes) and selected anew by the next drawing call.
  const TNotifyEvent deselect = MakeEvent<&TCanvas::ObjectChanged>(this);
  pen_->SetOnChange(deselect);
  brush_->SetOnChange(deselect);
  font_->SetOnChange(deselect);
}

TCanvas::~TCanvas() {
  FreeAndNil(font_);
  FreeAndNil(brush_);
  FreeAndNil(pen_);
}

void TCanvas::TearDown() {
  SetHandle(nullptr);
  TPersistent::TearDown();
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  RestoreSelection();
  dc_ = dc;
}

void TCanvas::RestoreSelection() {
  if (!dc_) return;
  // Our objects must not stay selected: a pen or brush selected into a context cannot be
  // deleted when its record goes.
  if (savedPen_) SelectObject(dc_, savedPen_);
  if (savedBrush_) SelectObject(dc_, savedBrush_);
  if (savedFont_) SelectObject(dc_, savedFont_);
  savedPen_ = savedBrush_ = savedFont_ = nullptr;
}

void TCanvas::ObjectChanged(TObject*) {
  RestoreSelection();
}

void TCanvas::Prepare(bool pen, bool brush, bool font) {
  if (!dc_) return;
  if (pen) {
    HGDIOBJ old = SelectObject(dc_, reinterpret_cast<HGDIOBJ>(pen_->Handle()));
    if (!savedPen_) savedPen_ = old;
  }
  if (brush) {
    HGDIOBJ old = SelectObject(dc_, reinterpret_cast<HGDIOBJ>(brush_->Handle()));
    if (!savedBrush_) savedBrush_ = old;
  }
  if (font) {
    HGDIOBJ old = SelectObject(dc_, reinterpret_cast<HGDIOBJ>(font_->Handle()));
    if (!savedFont_) savedFont_ = old;
    SetTextColor(dc_, ColorToRGB(font_->Color()));
  }
  if (brush || font) {
    if (brush_->Style() == bsClear) {
      SetBkMode(dc_, TRANSPARENT);
    } else {
      SetBkMode(dc_, OPAQUE);
      SetBkColor(dc_, ColorToRGB(brush_->Color()));
    }
  }
}

void TCanvas::FillRect(const RECT& rect) {
  if (!dc_) return;
  Prepare(false, true, false);
  ::FillRect(dc_, &rect, reinterpret_cast<HBRUSH>(brush_->Handle()));
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
  if (!dc_) return;
  Prepare(true, true, false);
  ::Rectangle(dc_, left, top, right, bottom);
}

void TCanvas::Frame3D(RECT& rect, TColor topLeft, TColor bottomRight, int width) {
  if (!dc_) return;
  // Lines end one pixel short of their end point, so each edge is drawn to one past it.
  const HPEN light = CreatePen(PS_SOLID, 1, ColorToRGB(topLeft));
  const HPEN dark = CreatePen(PS_SOLID, 1, ColorToRGB(bottomRight));
  const HGDIOBJ old = SelectObject(dc_, light);
  --rect.bottom;
  --rect.right;
  for (int i = 0; i < width; ++i) {
    SelectObject(dc_, light);
    MoveToEx(dc_, rect.left, rect.bottom, nullptr);
    LineTo(dc_, rect.left, rect.top);
    LineTo(dc_, rect.right, rect.top);
    SelectObject(dc_, dark);
    LineTo(dc_, rect.right, rect.bottom);
    LineTo(dc_, rect.left - 1, rect.bottom);
    InflateRect(&rect, -1, -1);
  }
  ++rect.bottom;
  ++rect.right;
  SelectObject(dc_, old);
  ::DeleteObject(light);
  ::DeleteObject(dark);
}

void TCanvas::DrawFocusRect(const RECT& rect) {
  if (!dc_) return;
  Prepare(true, true, true);
  ::DrawFocusRect(dc_, &rect);
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
  if (!dc_) return;
  Prepare(false, true, true);
  ::TextOutA(dc_, x, y, text.data(), static_cast<int>(text.size()));
}

int TCanvas::DrawText(std::string_view text, RECT& rect, UINT flags) {
  if (!dc_) return 0;
  Prepare(false, true, true);
  return ::DrawTextA(dc_, text.data(), static_cast<int>(text.size()), &rect, flags);
}

SIZE TCanvas::TextExtent(std::string_view text) {
  SIZE size{0, 0};
  if (!dc_) return size;
  Prepare(false, false, true);
  GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
  return size;
}

}  // namespace sx
