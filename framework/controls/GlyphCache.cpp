#include "framework/controls/GlyphCache.h"

#include <algorithm>

namespace sx {

namespace {

TGlyphCache* g_glyphCache = nullptr;
int g_glyphHolders = 0;

}  // namespace

TGlyphCache* GlyphCache() {
  return g_glyphCache;
}

void HoldGlyphCache() {
  if (g_glyphHolders++ == 0) g_glyphCache = New<TGlyphCache>();
}

void ReleaseGlyphCache() {
  if (--g_glyphHolders == 0) FreeAndNil(g_glyphCache);
}

constinit const ClassInfo TGlyphCache::StaticClass{
    .name = "TGlyphCache",
    .parent = &TObject::StaticClass,
};

TGlyphCache::~TGlyphCache() = default;

void TGlyphCache::TearDown() {
  for (TGlyphList* list : lists_)
    sx::Free(list);
  lists_.clear();
  TObject::TearDown();
}

TGlyphList* TGlyphCache::GetList(int width, int height) {
  for (TGlyphList* list : lists_)
    if (list->Width() == width && list->Height() == height) return list;
  TGlyphList* list = New<TGlyphList>(width, height);
  lists_.push_back(list);
  return list;
}

void TGlyphCache::ReturnList(TGlyphList* list) {
  if (!list || list->Count() != 0) return;
  const auto it = std::find(lists_.begin(), lists_.end(), list);
  if (it == lists_.end()) return;
  lists_.erase(it);
  sx::Free(list);
}

}  // namespace sx
