#pragma once

// TScrollingWinControl and its two TControlScrollBars: a windowed control whose content is
// scrolled.

#include <windows.h>

#include <cstdint>
#include <type_traits>

#include "framework/controls/WinControl.h"

namespace sx {

class TScrollingWinControl;

enum TScrollBarKind : std::uint8_t { sbHorizontal, sbVertical };

// One scroll bar of a scrolling control: how far the content reaches (Range) and how far it
// is scrolled (Position), both in pixels. The bar shows only while the range exceeds the
// visible part of the control.
class TControlScrollBar : public TPersistent {
  SX_CLASS(TControlScrollBar)

  TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind);

  TScrollBarKind Kind() const { return kind_; }

  std::int32_t Range() const { return range_; }
  // A negative range counts as 0. Setting it explicitly switches automatic ranges off.
  void SetRange(std::int32_t range);
  std::int32_t Position() const { return position_; }
  // Clamped to what the range lets be scrolled; moves the content.
  void SetPosition(std::int32_t position);
  std::int32_t Increment() const { return increment_; }
  void SetIncrement(std::int32_t increment);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // Whether the range follows the form's rescaling.
  bool Scaled() const { return scaled_; }
  void SetScaled(bool scaled) { scaled_ = scaled; }

  // The part of the control the bar scrolls over: its client width or height.
  std::int32_t ControlSize() const;
  // The bar is shown: visible, and the range goes beyond the control.
  bool IsScrollBarVisible() const;
  // Passes range, page and position to the window's scroll bar.
  void Update();
  // Handles the bar's scroll message (WM_HSCROLL or WM_VSCROLL).
  void ScrollMessage(WPARAM wParam);

  void Assign(const TPersistent* source) override;

 private:
  friend class TScrollingWinControl;

  // Sets the range without switching automatic ranges off.
  void SetAutoRange(std::int32_t range);
  std::int32_t MaxPosition() const;

  TScrollingWinControl* control_;
  TScrollBarKind kind_;
  std::int32_t range_ = 0;
  std::int32_t position_ = 0;
  std::int32_t increment_ = 8;
  bool visible_ = true;
  bool scaled_ = true;
};

// A windowed control whose content may be larger than itself and is scrolled by two scroll
// bars. With AutoScroll the ranges follow the children.
class TScrollingWinControl : public TWinControl {
  SX_CLASS(TScrollingWinControl)
  SX_MESSAGES()

  explicit TScrollingWinControl(TComponent* owner);
  ~TScrollingWinControl() override;

  bool AutoScroll() const { return autoScroll_; }
  void SetAutoScroll(bool on);
  TControlScrollBar* HorzScrollBar() const { return horzScrollBar_; }
  void SetHorzScrollBar(TControlScrollBar* bar) { horzScrollBar_->Assign(bar); }
  TControlScrollBar* VertScrollBar() const { return vertScrollBar_; }
  void SetVertScrollBar(TControlScrollBar* bar) { vertScrollBar_->Assign(bar); }

  // Scrolls so that the control (a child at any depth) lies inside the client area.
  void ScrollInView(TControl* control);
  // ScrollInView, when automatic scrolling is on.
  void AutoScrollInView(TControl* control);
  // Moves every child by the given amounts.
  void ScrollBy(std::int32_t dx, std::int32_t dy);

  // After a rescaling by m / d: both positions back to 0 and, without automatic
  // scrolling, the ranges of the scaled bars scaled too.
  void RescaleScrollBars(std::int32_t m, std::int32_t d);

  // Recomputes automatic ranges and updates the window's bars.
  void UpdateScrollBars();

 protected:
  void CreateWnd() override;
  void AlignControls() override;
  void Resized() override;

  void WMHScroll(TMessage& message);
  void WMVScroll(TMessage& message);

 private:
  static const MessageEntry kMessageEntries[];

  void CalcAutoRange();

  bool autoScroll_ = true;
  bool updatingScrollBars_ = false;
  TControlScrollBar* horzScrollBar_ = nullptr;
  TControlScrollBar* vertScrollBar_ = nullptr;
};

}  // namespace sx
