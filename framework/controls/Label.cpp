#include "framework/controls/Label.h"

#include <algorithm>

#include "framework/runtime/Finally.h"

namespace sx {
namespace {

constexpr const char* kTextLayoutNames[] = {"tlTop", "tlCenter", "tlBottom"};

// DrawText's flag for each alignment, in the order of TAlignment.
constexpr UINT kAlignmentFlags[] = {DT_LEFT, DT_RIGHT, DT_CENTER};

}  // namespace

constinit const TypeInfo TypeInfo_TTextLayout = EnumType("TTextLayout", kTextLayoutNames);

namespace {

constexpr PropInfo kLabelProperties[] = {
    Property<&TCustomLabel::Alignment, &TCustomLabel::SetAlignment>("Alignment"),
    Property<&TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize>("AutoSize"),
    Property<&TCustomLabel::Layout, &TCustomLabel::SetLayout>("Layout"),
    Property<&TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar>("ShowAccelChar"),
    Property<&TCustomLabel::Transparent, &TCustomLabel::SetTransparent>("Transparent"),
    Property<&TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap>("WordWrap"),
};

}  // namespace

constinit const ClassInfo TCustomLabel::StaticClass{
    .name = "TCustomLabel",
    .parent = &TGraphicControl::StaticClass,
};

constinit const MessageEntry TCustomLabel::kMessageEntries[] = {
    On<&TCustomLabel::FWMTextChanged>(FWM_TEXTCHANGED),
    On<&TCustomLabel::FWMFontChanged>(FWM_FONTCHANGED),
};

constinit const MessageTable TCustomLabel::Messages{&TGraphicControl::Messages,
                                                    {kMessageEntries, std::size(kMessageEntries)}};

constinit const ClassInfo TLabel::StaticClass{
    .name = "TLabel",
    .parent = &TCustomLabel::StaticClass,
    .construct = &ConstructComponent<TLabel>,
    .properties = kLabelProperties,
};

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  SetControlStyle(ControlStyleOf() +
                  TControlStyle{ControlStyle::Opaque, ControlStyle::Replicatable});
  width_ = 65;
  height_ = 17;
}

void TCustomLabel::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  Invalidate();
}

void TCustomLabel::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  if (value) FitLabelBounds();
}

void TCustomLabel::SetLayout(TTextLayout value) {
  if (value == layout_) return;
  layout_ = value;
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool value) {
  if (value == showAccelChar_) return;
  showAccelChar_ = value;
  Invalidate();
}

void TCustomLabel::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  TControlStyle style = ControlStyleOf();
  style.Assign(ControlStyle::Opaque, !value);
  SetControlStyle(style);
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool value) {
  if (value == wordWrap_) return;
  wordWrap_ = value;
  FitLabelBounds();
  Invalidate();
}

void TCustomLabel::DrawLabelText(RECT& rect, UINT flags) {
  std::string text = Caption();
  // An empty caption measures as nothing at all; with a blank it measures one line high.
  if ((flags & DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == "&"))) text += ' ';
  if (!showAccelChar_) flags |= DT_NOPREFIX;
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  if (Enabled()) {
    canvas->DrawText(text, rect, flags);
    return;
  }
  OffsetRect(&rect, 1, 1);
  canvas->Font()->SetColor(clBtnHighlight);
  canvas->DrawText(text, rect, flags);
  OffsetRect(&rect, -1, -1);
  canvas->Font()->SetColor(clBtnShadow);
  canvas->DrawText(text, rect, flags);
}

void TCustomLabel::Paint() {
  TCanvas* canvas = Canvas();
  RECT rect = ClientRect();
  if (!transparent_) {
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(rect);
  }
  canvas->Brush()->SetStyle(bsClear);
  const UINT flags = (wordWrap_ ? DT_WORDBREAK : 0) | DT_EXPANDTABS | kAlignmentFlags[alignment_];
  if (layout_ != tlTop) {
    RECT measured = rect;
    DrawLabelText(measured, flags | DT_CALCRECT);
    int shift = Height() - measured.bottom;
    if (layout_ == tlCenter) shift /= 2;
    OffsetRect(&rect, 0, shift);
  }
  DrawLabelText(rect, flags);
}

void TCustomLabel::FitLabelBounds() {
  if (!autoSize_ || Has(ComponentState::Reading)) return;
  RECT rect = ClientRect();
  TControlCanvas* canvas = Canvas();
  HDC screen = GetDC(nullptr);
  if (!screen) return;
  const Finally release([canvas, screen] {
    canvas->SetHandle(nullptr);
    ReleaseDC(nullptr, screen);
  });
  canvas->SetHandle(screen);
  DrawLabelText(rect, (wordWrap_ ? DT_WORDBREAK : 0) | DT_EXPANDTABS | DT_CALCRECT);
  // Measuring wrapped text narrows the rectangle to its longest line; a word-wrapping label
  // keeps the width it wraps at (only a word longer than that widens it), or every new
  // caption would shrink it further.
  const std::int32_t width = wordWrap_ ? std::max<std::int32_t>(rect.right, Width()) : rect.right;
  std::int32_t left = Left();
  if (alignment_ == taRightJustify) left += Width() - width;
  ChangeBounds(left, Top(), width, rect.bottom);
}

void TCustomLabel::AfterLoad() {
  TGraphicControl::AfterLoad();
  FitLabelBounds();
}

void TCustomLabel::FWMTextChanged(TMessage&) {
  Invalidate();
  FitLabelBounds();
}

void TCustomLabel::FWMFontChanged(TMessage& message) {
  Inherited<TCustomLabel>(message);
  FitLabelBounds();
}

}  // namespace sx
