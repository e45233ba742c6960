#pragma once

// TGlyphList: an image list of the common controls holding glyph images of one size, whose
// freed slots are taken again before it grows.

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "framework/graphics/Colors.h"
#include "framework/streaming/Object.h"

namespace sx {

// An image list of the common controls whose images all have one size. Removed images leave
// their slot free for the next one added.
class TGlyphList : public TObject {
  SX_CLASS(TGlyphList)

  TGlyphList(int width, int height);
  ~TGlyphList() override;

  void TearDown() override;

  int Width() const { return width_; }
  int Height() const { return height_; }
  HIMAGELIST Handle() const { return list_; }
  // Slots in use.
  int Count() const { return count_; }

  // Adds an image drawn transparently where the mask is white; returns its index.
  int Add(HBITMAP image, HBITMAP mask);
  void Delete(int index);
  // Draws an image with the list's own call: masked parts in `background`.
  void Draw(HDC dc, int index, int x, int y, TColor background) const;

 private:
  int width_;
  int height_;
  HIMAGELIST list_ = nullptr;
  std::vector<bool> used_;
  int count_ = 0;
};

}  // namespace sx
