#pragma once

// Controls without a window of their own: TControlCanvas, a canvas that belongs to one
// control, and TGraphicControl, a control drawn by its windowed parent inside the parent's
// painting.

#include <windows.h>

#include <mutex>

#include "framework/controls/Canvas.h"
#include "framework/controls/Control.h"
#include "framework/runtime/Finally.h"

namespace sx {

// A canvas that draws on one control. Whoever paints the control attaches the device
// context of the paint (SetHandle); HandleNeeded gets one when nobody has: the control's
// window's, or its parent window's moved to the control's corner and clipped to it for a
// windowless control, or the screen's while there is no window yet (enough to measure
// text). FreeHandle gives a context got that way back.
class TControlCanvas : public TCanvas {
  SX_CLASS(TControlCanvas)

  TControlCanvas() = default;
  void TearDown() override;

  TControl* Control() const { return control_; }
  // Another control: a context got for the previous one is given back first.
  void SetControl(TControl* control);

  void HandleNeeded();
  void FreeHandle();

  // Attaches the paint's device context and holds the canvas for the paint; the returned
  // guard detaches the context and lets the canvas go when the paint's scope ends:
  //   const auto painting = canvas->AttachForPaint(dc);
  [[nodiscard]] auto AttachForPaint(HDC dc) {
    const auto detach = [this] {
      SetHandle(nullptr);
      lock_.unlock();
    };
    lock_.lock();
    {
      const Rollback undo(detach);
      SetHandle(dc);
    }
    return Finally(detach);
  }

 private:
  TControl* control_ = nullptr;
  // The window whose context HandleNeeded got (none for the screen), and that context.
  HWND ownWindow_ = nullptr;
  HDC ownContext_ = nullptr;
  std::recursive_mutex lock_;
};

class TGraphicControl : public TControl {
  SX_CLASS(TGraphicControl)
  SX_MESSAGES()

  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;

  void TearDown() override;

  // Attached to a device context only while the control paints.
  TControlCanvas* Canvas() const { return canvas_; }

 protected:
  // WM_PAINT from the parent's painting, the device context in WParam (origin at the
  // control's corner, clipped to it); without one nothing is painted.
  void WMPaint(TMessage& message);

  // Draws the control on Canvas(); nothing by default.
  virtual void Paint() {}

 private:
  static const MessageEntry kMessageEntries[];

  TControlCanvas* canvas_ = nullptr;
};

}  // namespace sx
