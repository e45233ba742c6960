#include "app/TaskbarProgress.h"

#include "app/SystemActions.h"
#include "framework/runtime/SystemLibrary.h"

UINT TaskbarProgress::ButtonCreatedMessage() {
  static const UINT message = RegisterWindowMessageA("TaskbarButtonCreated");
  return message;
}

void TaskbarProgress::AllowButtonCreated(HWND window) {
  using ChangeFilterProc = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW
  if (!window || !ButtonCreatedMessage()) return;
  const auto change =
      sx::FindProc<ChangeFilterProc>(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilterEx");
  if (change) change(window, ButtonCreatedMessage(), kAllow, nullptr);
}

void TaskbarProgress::ButtonCreated(HWND window) {
  if (used_) SystemCalls().ReleaseTaskbar();
  used_ = false;
  window_ = window;
  // A new button shows nothing, whatever the old one showed.
  switch (shown_) {
    case Shown::nothing:
      break;
    case Shown::running:
      SetState(TBPF_NORMAL);
      SetValue();
      break;
    case Shown::paused:
      SetValue();
      SetState(TBPF_PAUSED);
      break;
  }
}

void TaskbarProgress::Running(unsigned long long gone, unsigned long long total) {
  // A countdown set to nothing has nothing left: the bar is full.
  gone_ = total == 0 ? 1 : gone;
  total_ = total == 0 ? 1 : total;
  if (shown_ != Shown::running) {
    shown_ = Shown::running;
    SetState(TBPF_NORMAL);
  }
  SetValue();
}

void TaskbarProgress::Paused() {
  if (shown_ == Shown::paused) return;
  shown_ = Shown::paused;
  SetState(TBPF_PAUSED);
}

void TaskbarProgress::Clear() {
  if (shown_ == Shown::nothing) return;
  shown_ = Shown::nothing;
  SetState(TBPF_NOPROGRESS);
}

void TaskbarProgress::Leave() {
  Clear();
  if (used_) SystemCalls().ReleaseTaskbar();
  used_ = false;
  window_ = nullptr;
}

void TaskbarProgress::SetState(TBPFLAG state) {
  if (!window_) return;
  used_ = true;
  // What the shell answers changes nothing: a bar it cannot show is simply not there.
  SystemCalls().SetProgressState(window_, state);
}

void TaskbarProgress::SetValue() {
  if (!window_) return;
  used_ = true;
  SystemCalls().SetProgressValue(window_, gone_, total_);
}
