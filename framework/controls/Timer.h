#pragma once

// TTimer: calls its OnTimer handler again and again at a fixed interval while it is
// enabled. The system timer hangs on a hidden window of the timer's own, whose messages
// reach the timer through a window entry.

#include <windows.h>

#include <cstdint>

#include "framework/controls/Messages.h"
#include "framework/controls/WindowEntry.h"
#include "framework/streaming/Component.h"

namespace sx {

class TTimer : public TComponent {
  SX_CLASS(TTimer)

  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // Milliseconds; 0 means no timer at all.
  std::uint32_t Interval() const { return interval_; }
  void SetInterval(std::uint32_t interval);
  const TNotifyEvent& OnTimer() const { return onTimer_; }
  // Always restarts the period, even for the handler already set.
  void SetOnTimer(const TNotifyEvent& handler);

  // The hidden window that owns the system timer.
  HWND WindowHandle() const { return window_; }

  // Called once per timer message; calls the handler, if any.
  virtual void FireTimer();
  // The message method of the hidden window. A timer message that comes while the last
  // tick's handler, or the report of its error, is still running is dropped.
  void TimerWindowProc(TMessage& message);

  void TearDown() override;

  // The call that sets the system timer; replaceable so that a refusal by the system can be
  // brought about. Returns the call it replaces; none restores the system's.
  using SetTimerFunction = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC);
  static SetTimerFunction ReplaceSetTimer(SetTimerFunction function);

 private:
  // Kills the system timer and sets it afresh when the timer should run; raises
  // EOutOfResources when the system refuses.
  void UpdateSystemTimer();
  void ReleaseWindow();

  std::uint32_t interval_ = 1000;
  bool enabled_ = true;
  TNotifyEvent onTimer_;
  HWND window_ = nullptr;
  WindowEntry entry_;
  // While a tick is processed: where to note that the timer was destroyed meanwhile.
  bool* tick_ = nullptr;
};

}  // namespace sx
