#pragma once

// TGlyphCache: the glyph lists in use, one per image size, shared by every button glyph. The
// cache exists while any button glyph holds it.

#include <vector>

#include "framework/controls/GlyphList.h"
#include "framework/streaming/Object.h"

namespace sx {

// The glyph lists in use, one per image size.
class TGlyphCache : public TObject {
  SX_CLASS(TGlyphCache)

  ~TGlyphCache() override;

  void TearDown() override;

  // The list for that size, made when there is none.
  TGlyphList* GetList(int width, int height);
  // A user is done with the list: it goes when no image of it is left.
  void ReturnList(TGlyphList* list);
  bool Empty() const { return lists_.empty(); }
  int ListCount() const { return static_cast<int>(lists_.size()); }

 private:
  std::vector<TGlyphList*> lists_;
};

// The cache, which exists while any glyph holder exists; none otherwise.
TGlyphCache* GlyphCache();

// A button glyph begins to hold the cache (made by the first holder) or lets it go (freed
// with the last one).
void HoldGlyphCache();
void ReleaseGlyphCache();

}  // namespace sx
