#include "framework/controls/Panel.h"

#include <algorithm>

#include "framework/runtime/SystemVersion.h"

namespace sx {
namespace {

constexpr const char* kBevelCutNames[] = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};

}  // namespace

constinit const TypeInfo TypeInfo_TBevelCut = EnumType("TBevelCut", kBevelCutNames);

namespace {

constexpr PropInfo kPanelProperties[] = {
    Property<&TCustomPanel::Alignment, &TCustomPanel::SetAlignment>("Alignment"),
    Property<&TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner>("BevelInner"),
    Property<&TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter>("BevelOuter"),
    Property<&TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth>("BevelWidth"),
    Property<&TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth>("BorderWidth"),
    Property<&TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle>("BorderStyle"),
    Property<&TCustomPanel::FullRepaint, &TCustomPanel::SetFullRepaint>("FullRepaint"),
    Property<&TCustomPanel::Locked, &TCustomPanel::SetLocked>("Locked"),
    Property<&TCustomPanel::UseDockManager, &TCustomPanel::SetUseDockManager>("UseDockManager"),
};

}  // namespace

constinit const ClassInfo TCustomPanel::StaticClass{
    .name = "TCustomPanel",
    .parent = &TCustomControl::StaticClass,
};

constinit const MessageEntry TCustomPanel::kMessageEntries[] = {
    On<&TCustomPanel::FWMBorderChanged>(FWM_BORDERCHANGED),
    On<&TCustomPanel::FWMTextChanged>(FWM_TEXTCHANGED),
    On<&TCustomPanel::FWMCtl3DChanged>(FWM_CTL3DCHANGED),
    On<&TCustomPanel::WMWindowPosChanged>(WM_WINDOWPOSCHANGED),
};

constinit const MessageTable TCustomPanel::Messages{&TCustomControl::Messages,
                                                    {kMessageEntries, std::size(kMessageEntries)}};

constinit const ClassInfo TPanel::StaticClass{
    .name = "TPanel",
    .parent = &TCustomPanel::StaticClass,
    .construct = &ConstructComponent<TPanel>,
    .properties = kPanelProperties,
};

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(TControlStyle{ControlStyle::AcceptsControls, ControlStyle::CaptureMouse,
                                ControlStyle::ClickEvents, ControlStyle::SetCaption,
                                ControlStyle::Opaque, ControlStyle::DoubleClicks});
  width_ = 185;
  height_ = 41;
  SetColor(clBtnFace);
}

void TCustomPanel::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  if (borderStyle_ == TBorderStyle::bsSingle) {
    if (NewStyleControls() && Ctl3D())
      params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      params.Style |= WS_BORDER;
  }
}

void TCustomPanel::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut value) {
  if (value == bevelInner_) return;
  bevelInner_ = value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut value) {
  if (value == bevelOuter_) return;
  bevelOuter_ = value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelWidth(std::int32_t value) {
  value = std::max(value, 1);
  if (value == bevelWidth_) return;
  bevelWidth_ = value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderWidth(std::int32_t value) {
  value = std::max(value, 0);
  if (value == borderWidth_) return;
  borderWidth_ = value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  RecreateWindow();
  DeliverMessage(FWM_BORDERCHANGED);
}

void TCustomPanel::Paint() {
  TCanvas& canvas = *Canvas();
  RECT rect = ClientRect();
  const auto bevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    if (cut == bvLowered)
      canvas.Frame3D(rect, clBtnShadow, clBtnHighlight, bevelWidth_);
    else
      canvas.Frame3D(rect, clBtnHighlight, clBtnShadow, bevelWidth_);
  };
  bevel(bevelOuter_);
  canvas.Frame3D(rect, Color(), Color(), borderWidth_);
  bevel(bevelInner_);

  canvas.Brush()->SetColor(Color());
  canvas.FillRect(rect);
  canvas.Brush()->SetStyle(bsClear);
  canvas.Font()->Assign(Font());
  // Centred on the height of a capital letter, so that captions with and without
  // descenders sit alike.
  const int fontHeight = canvas.TextHeight("W");
  rect.top = (rect.top + rect.bottom - fontHeight) / 2;
  rect.bottom = rect.top + fontHeight;
  UINT flags = DT_EXPANDTABS | DT_VCENTER;
  switch (alignment_) {
    case taLeftJustify:
      flags |= DT_LEFT;
      break;
    case taRightJustify:
      flags |= DT_RIGHT;
      break;
    case taCenter:
      flags |= DT_CENTER;
      break;
  }
  canvas.DrawText(Caption(), rect, flags);
}

void TCustomPanel::FWMBorderChanged(TMessage& message) {
  Inherited<TCustomPanel>(message);
  Invalidate();
}

void TCustomPanel::FWMTextChanged(TMessage&) {
  Invalidate();
}

void TCustomPanel::FWMCtl3DChanged(TMessage& message) {
  if (NewStyleControls() && borderStyle_ == TBorderStyle::bsSingle) RecreateWindow();
  Inherited<TCustomPanel>(message);
}

void TCustomPanel::WMWindowPosChanged(TMessage& message) {
  const auto* position = reinterpret_cast<const WINDOWPOS*>(message.LParam);
  if (fullRepaint_ || !Caption().empty()) {
    Invalidate();
  } else if (position && HandleAllocated()) {
    // Only the frame along the right and bottom edges moves with the size.
    int framePixels = borderWidth_;
    if (bevelInner_ != bvNone) framePixels += bevelWidth_;
    if (bevelOuter_ != bvNone) framePixels += bevelWidth_;
    if (framePixels > 0) {
      if (position->cx != Width()) {
        const RECT strip{Width() - framePixels - 1, 0, Width(), Height()};
        InvalidateRect(Handle(), &strip, TRUE);
      }
      if (position->cy != Height()) {
        const RECT strip{0, Height() - framePixels - 1, Width(), Height()};
        InvalidateRect(Handle(), &strip, TRUE);
      }
    }
  }
  Inherited<TCustomPanel>(message);
}

}  // namespace sx
