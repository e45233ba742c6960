#pragma once

// The bitmap button: a push button that draws its own face with a small picture (the
// glyph, a TButtonGlyph) beside its caption, and the kinds that give a button its glyph,
// caption, modal result and default or cancel role in one step.

#include <windows.h>

#include <cstdint>
#include <type_traits>

#include "framework/controls/Bitmap.h"
#include "framework/controls/Button.h"
#include "framework/controls/ButtonGlyph.h"
#include "framework/controls/Canvas.h"
#include "framework/controls/GlyphLayout.h"

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
enum TButtonStyle : std::uint8_t { bsAutoDetect, bsWin31, bsNew };

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
  // Glyph, spacing and caption inside the raised edge, as the face lays them out.
  std::int32_t CaptionWidthNeeded() override;

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
  // The disabled picture is built in the system colours of the moment: it is built anew.
  void FWMSysColorChanged(TMessage& message);
  void WMLButtonDblClk(TMessage& message);

  void GlyphChanged(TObject* sender);
  // Builds both looks the button switches between while a countdown runs, the normal and
  // the disabled one, so that the switch draws at once.
  void CreateGlyphs();
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
