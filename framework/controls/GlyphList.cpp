#include "framework/controls/GlyphList.h"

#include <algorithm>

namespace sx {

constinit const ClassInfo TGlyphList::StaticClass{
    .name = "TGlyphList",
    .parent = &TObject::StaticClass,
};

TGlyphList::TGlyphList(int width, int height) : width_(width), height_(height) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  list_ = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 4, 4);
}

TGlyphList::~TGlyphList() = default;

void TGlyphList::TearDown() {
  if (list_) ImageList_Destroy(list_);
  list_ = nullptr;
  TObject::TearDown();
}

int TGlyphList::Add(HBITMAP image, HBITMAP mask) {
  if (!list_) return -1;
  // A freed slot is taken before the list grows.
  const auto free = std::find(used_.begin(), used_.end(), false);
  int index;
  if (free != used_.end()) {
    index = static_cast<int>(free - used_.begin());
    if (!ImageList_Replace(list_, index, image, mask)) return -1;
    used_[static_cast<std::size_t>(index)] = true;
  } else {
    index = ImageList_Add(list_, image, mask);
    if (index < 0) return -1;
    if (static_cast<std::size_t>(index) >= used_.size())
      used_.resize(static_cast<std::size_t>(index) + 1, false);
    used_[static_cast<std::size_t>(index)] = true;
  }
  ++count_;
  return index;
}

void TGlyphList::Delete(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= used_.size()) return;
  if (!used_[static_cast<std::size_t>(index)]) return;
  used_[static_cast<std::size_t>(index)] = false;
  --count_;
}

void TGlyphList::Draw(HDC dc, int index, int x, int y, TColor background) const {
  if (!list_ || index < 0) return;
  ImageList_DrawEx(list_, index, dc, x, y, 0, 0, ColorToRGB(background), CLR_NONE, ILD_NORMAL);
}

}  // namespace sx
