#pragma once

// TCustomControl: a windowed control that paints itself on its own canvas.

#include <windows.h>

#include "framework/controls/GraphicControl.h"
#include "framework/controls/WinControl.h"

namespace sx {

class TCustomControl : public TWinControl {
  SX_CLASS(TCustomControl)
  SX_MESSAGES()

  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;

  void TearDown() override;

  // Attached to the device context only while the control paints.
  TControlCanvas* Canvas() const { return canvas_; }

 protected:
  // A picture of the client area asked for on a given context (WParam).
  void WMPrintClient(TMessage& message);

  // Draws the whole client area on the canvas.
  virtual void Paint() {}
  void PaintWindow(HDC dc) override;

 private:
  static const MessageEntry kMessageEntries[];

  TControlCanvas* canvas_ = nullptr;
};

}  // namespace sx
