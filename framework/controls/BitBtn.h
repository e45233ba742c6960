#pragma once

// The bitmap button: a push button that draws its own face with a small picture (the
// glyph) beside its caption, and the kinds that give a button its glyph, caption, modal
// result and default or cancel role in one step. Glyph images live in image lists shared by
// every glyph of the same size.

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "framework/controls/Bitmap.h"
#include "framework/controls/Button.h"
#include "framework/controls/Canvas.h"

namespace sx {

enum TBitBtnKind : std::uint8_t {
  bkCustom,
  bkOK,
  bkCancel,
  bkHelp,
  bkYes,
  bkNo,
  bkClose,
  bkAbort,
  bkRetry,
  bkIgnore,
  bkAll
};
enum TButtonLayout : std::uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonStyle : std::uint8_t { bsAutoDetect, bsWin31, bsNew };
// The images a glyph bitmap holds side by side: 1 to 4.
using TNumGlyphs = std::int32_t;

enum GlyphState : std::uint8_t { gsUp, gsDisabled, gsDown, gsExclusive };

extern const TypeInfo TypeInfo_TBitBtnKind;
extern const TypeInfo TypeInfo_TButtonLayout;
extern const TypeInfo TypeInfo_TButtonStyle;
extern const TypeInfo TypeInfo_TNumGlyphs;
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TBitBtnKind>) {
  return &TypeInfo_TBitBtnKind;
}
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TButtonLayout>) {
  return &TypeInfo_TButtonLayout;
}
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TButtonStyle>) {
  return &TypeInfo_TButtonStyle;
}

// What a kind sets on its button.
struct BitBtnKindInfo {
  const char* glyphResource;  // none for bkCustom
  int captionId;              // string-table id; 0 for bkCustom
  TModalResult modalResult;
  bool isDefault;
  bool isCancel;
};
const BitBtnKindInfo& KindInfo(TBitBtnKind kind);

// The shared bitmap of a kind, loaded from its bitmap resource on first use and kept to
// the end of the process; an empty bitmap when the program has no such resource, none for
// bkCustom. Drawn in several sizes: the one nearest the resolution (18 pixels at 96 pixels
// per inch, 24 at 120 and 144, 32 from 168).
const TBitmap* KindGlyph(TBitBtnKind kind, int pixelsPerInch = 96);

// --- Layout -------------------------------------------------------------------------------

struct GlyphLayout {
  POINT glyphPos;
  RECT textBounds;
};

// Places a glyph and a caption of the given sizes inside `client`: centred across the
// layout direction; along it, `margin` from the edge and `spacing` apart, where -1 for
// either centres what it can. Right-to-left reading swaps left and right.
GlyphLayout CalcButtonLayout(const RECT& client, SIZE glyphSize, SIZE textSize,
                             TButtonLayout layout, int margin, int spacing, bool rightToLeft);

// --- Glyph lists ----------------------------------------------------------------------------

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

// --- The glyph of one button ----------------------------------------------------------------

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

// --- The button -----------------------------------------------------------------------------

class TBitBtn : public TButton {
  SX_CLASS(TBitBtn)
  SX_MESSAGES()

  explicit TBitBtn(TComponent* owner);
  ~TBitBtn() override;

  void TearDown() override;

  // bkCustom once Default, Cancel, ModalResult or the glyph no longer match the kind.
  TBitBtnKind Kind() const;
  void SetKind(TBitBtnKind kind);

  TBitmap* Glyph() const { return glyph_->Glyph(); }
  void SetGlyph(TBitmap* bitmap);
  TNumGlyphs NumGlyphs() const { return glyph_->NumGlyphs(); }
  void SetNumGlyphs(TNumGlyphs value);
  bool GlyphModified() const { return glyphModified_; }
  TButtonGlyph* ButtonGlyph() const { return glyph_; }

  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout layout);
  // Distance of the glyph from the edge; -1 centres glyph and caption together.
  std::int32_t Margin() const { return margin_; }
  void SetMargin(std::int32_t margin);
  // Distance between glyph and caption; -1 centres the caption in what is left.
  std::int32_t Spacing() const { return spacing_; }
  void SetSpacing(std::int32_t spacing);
  // Kept for stored definitions; the face is drawn the same for every style.
  TButtonStyle DrawStyle() const { return style_; }
  void SetDrawStyle(TButtonStyle style);

  void SetButtonStyle(bool isDefault) override;
  // Also takes the kind's glyph of the size nearest the form's resolution.
  void Rescale(std::int32_t m, std::int32_t d) override;
  // bkClose closes the parent form instead of clicking.
  void ClickControl() override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

 private:
  static const MessageEntry kMessageEntries[];

  // --- Message handlers (the class's table) -----------------------------------------------
  void FWMDrawItem(TMessage& message);
  void FWMMeasureItem(TMessage& message);
  void FWMFontChanged(TMessage& message);
  void FWMEnabledChanged(TMessage& message);
  void WMLButtonDblClk(TMessage& message);

  void GlyphChanged(TObject* sender);
  void DrawItem(const DRAWITEMSTRUCT& item);
  // The resolution the kind's glyph is chosen for.
  int GlyphPixelsPerInch() const;

  TButtonGlyph* glyph_ = nullptr;
  TCanvas* canvas_ = nullptr;
  mutable TBitBtnKind kind_ = bkCustom;
  TButtonLayout layout_ = blGlyphLeft;
  std::int32_t margin_ = -1;
  std::int32_t spacing_ = 4;
  TButtonStyle style_ = bsAutoDetect;
  bool glyphModified_ = false;
  // The default look as last drawn.
  bool drawnActive_ = false;
};

}  // namespace sx
