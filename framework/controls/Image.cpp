#include "framework/controls/Image.h"

namespace sx {

constinit const ClassInfo TImage::StaticClass{
    .name = "TImage",
    .parent = &TGraphicControl::StaticClass,
    .construct = &ConstructComponent<TImage>,
};

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
  // Not opaque: around the icon's shape the parent's background shows.
  SetControlStyle(ControlStyleOf() + TControlStyle{ControlStyle::Replicatable});
  width_ = 105;
  height_ = 105;
}

void TImage::SetIcon(HICON icon) {
  if (icon == icon_) return;
  icon_ = icon;
  Invalidate();
}

void TImage::Paint() {
  if (!icon_ || !Canvas()->Handle()) return;
  DrawIconEx(Canvas()->Handle(), 0, 0, icon_, Width(), Height(), 0, nullptr, DI_NORMAL);
}

}  // namespace sx
