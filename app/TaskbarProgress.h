#pragma once

// The countdown on the program's taskbar button: a bar of the time gone out of the time set
// at Start, the paused state during a pause, nothing at rest. The bar can be shown only once
// the shell has said that the button exists; where the system has no such bar, or the shell
// fails, nothing is shown and nothing else changes.

#include <windows.h>

#include <shobjidl.h>

class TaskbarProgress {
 public:
  // The message the shell sends the window that carries a taskbar button once the button
  // exists, and again for a new button after the shell has restarted.
  static UINT ButtonCreatedMessage();
  // Lets that message through to `window` when the program runs with more rights than the
  // shell (run as administrator), which would otherwise have it dropped. Windows 7 and later.
  static void AllowButtonCreated(HWND window);

  // The button of `window` exists (again): what the countdown shows goes onto it. When the
  // shell was spoken to before, its interface is made anew, for the shell may have restarted.
  void ButtonCreated(HWND window);
  // A countdown runs and `gone` of `total` seconds have passed.
  void Running(unsigned long long gone, unsigned long long total);
  // The countdown is paused; the bar keeps the time gone.
  void Paused();
  // The countdown is over or cancelled: the bar goes.
  void Clear();
  // The program ends: the bar goes and the shell's interface is let go.
  void Leave();

 private:
  enum class Shown { nothing, running, paused };

  void SetState(TBPFLAG state);
  void SetValue();

  HWND window_ = nullptr;
  Shown shown_ = Shown::nothing;
  unsigned long long gone_ = 0;
  unsigned long long total_ = 0;
  // The shell's interface was asked for since it was last let go.
  bool used_ = false;
};
