#pragma once

// Labels: a caption drawn by the parent's painting, sized to its text unless told not to.

#include <windows.h>

#include <cstdint>
#include <type_traits>

#include "framework/controls/Alignment.h"
#include "framework/controls/GraphicControl.h"

namespace sx {

// Where the text sits across the label's height.
enum TTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom };

extern const TypeInfo TypeInfo_TTextLayout;
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TTextLayout>) {
  return &TypeInfo_TTextLayout;
}

class TCustomLabel : public TGraphicControl {
  SX_CLASS(TCustomLabel)
  SX_MESSAGES()

  // 65 x 17, auto-sized, opaque, left-aligned at the top, "&" marks the accelerator.
  explicit TCustomLabel(TComponent* owner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  // The bounds follow the measured caption; switching it on measures at once.
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout value);
  // An "&" marks the next character as the accelerator and is not drawn; "&&" draws one.
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool value);
  // Transparent: the background is left alone (the control is not opaque).
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  // Breaks the caption at words to fit the width; with AutoSize the width then stays and
  // the height follows the text.
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);

  // Draws the caption in the rectangle with the given DrawText flags, or, with
  // DT_CALCRECT, measures it into the rectangle. A disabled label is drawn embossed.
  void DrawLabelText(RECT& rect, UINT flags);
  // With AutoSize, and not while read from a definition: measures the caption on the
  // screen's device context and takes its size; a right-aligned label keeps its right edge.
  void FitLabelBounds();

  void AfterLoad() override;

 protected:
  void FWMTextChanged(TMessage& message);
  void FWMFontChanged(TMessage& message);

  void Paint() override;

 private:
  static const MessageEntry kMessageEntries[];

  TAlignment alignment_ = taLeftJustify;
  bool autoSize_ = true;
  TTextLayout layout_ = tlTop;
  bool showAccelChar_ = true;
  bool transparent_ = false;
  bool wordWrap_ = false;
};

class TLabel : public TCustomLabel {
  SX_CLASS(TLabel)

  explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
};

}  // namespace sx
