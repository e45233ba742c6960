#pragma once

// TImage: a windowless control that shows an icon (a dialog's warning or question sign).

#include <windows.h>

#include "framework/controls/GraphicControl.h"

namespace sx {

class TImage : public TGraphicControl {
  SX_CLASS(TImage)

  explicit TImage(TComponent* owner);

  // The icon shown, stretched to the control's size. The image does not own it: the
  // system's shared icons (LoadIcon with no module) must never be destroyed.
  HICON Icon() const { return icon_; }
  void SetIcon(HICON icon);

 protected:
  void Paint() override;

 private:
  HICON icon_ = nullptr;
};

}  // namespace sx
