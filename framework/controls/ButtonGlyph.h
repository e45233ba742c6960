#pragma once

// TButtonGlyph: the glyph of one button, the bitmap holding up to four pictures side by side
// (up, disabled, down, exclusive), built into images of the shared glyph lists on first use
// and drawn with the caption beside it.

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

#include "framework/controls/Bitmap.h"
#include "framework/controls/Canvas.h"
#include "framework/controls/GlyphLayout.h"
#include "framework/controls/GlyphList.h"
#include "framework/streaming/Object.h"

namespace sx {

// The images a glyph bitmap holds side by side: 1 to 4.
using TNumGlyphs = std::int32_t;

enum GlyphState : std::uint8_t { gsUp, gsDisabled, gsDown, gsExclusive };

class TButtonGlyph : public TObject {
  SX_CLASS(TButtonGlyph)

  TButtonGlyph();
  ~TButtonGlyph() override;

  void TearDown() override;

  TBitmap* Glyph() const { return original_; }
  // Copies the bitmap (sharing its pixels); none empties the glyph.
  void SetGlyph(const TBitmap* bitmap);
  TNumGlyphs NumGlyphs() const { return numGlyphs_; }
  // Kept within 1 to 4.
  void SetNumGlyphs(TNumGlyphs value);

  // The list image of a state, built on first use; -1 when there is nothing to draw.
  int CreateButtonGlyph(GlyphState state);
  // The built images' list, if any.
  TGlyphList* List() const { return glyphList_; }
  // Throws the built images away.
  void Invalidate();

  // Lays out and draws the glyph and the caption inside `client`; returns the caption's
  // rectangle. `textFlags` are the reading-order flags of the button.
  RECT Draw(TCanvas& canvas, const RECT& client, const std::string& caption, TButtonLayout layout,
            int margin, int spacing, GlyphState state, UINT textFlags);

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& event) { onChange_ = event; }

 private:
  void GlyphChanged(TObject* sender);
  void DrawGlyph(TCanvas& canvas, POINT at, GlyphState state);
  void DrawCaption(TCanvas& canvas, const std::string& caption, RECT bounds, GlyphState state,
                   UINT textFlags);

  TBitmap* original_ = nullptr;
  TGlyphList* glyphList_ = nullptr;
  std::array<int, 4> indexes_{-1, -1, -1, -1};
  TNumGlyphs numGlyphs_ = 1;
  TNotifyEvent onChange_;
};

}  // namespace sx
