#pragma once

// Push buttons: TButtonControl, the base of everything made on the system's button class,
// and TButton, the push button with its default and cancel roles and the modal result it
// hands to its form when clicked.

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "framework/controls/FormHost.h"
#include "framework/controls/WinControl.h"

namespace sx {

// Whether `key` is the accelerator of `caption`: the character after a single "&" (a
// doubled "&&" stands for the character itself), compared without regard to case.
bool IsAccel(unsigned key, std::string_view caption);

class TButtonControl : public TWinControl {
  SX_CLASS(TButtonControl)

  explicit TButtonControl(TComponent* owner);

  // Set while the button takes the focus for a mouse press: a click the system reports
  // meanwhile is not the user's and is dropped.
  bool ClicksSuppressed() const { return clicksSuppressed_; }
  void SetClicksSuppressed(bool value) { clicksSuppressed_ = value; }

  // The checked state; a push button is never checked.
  virtual bool GetChecked() const { return false; }
  virtual void SetChecked(bool) {}

  void MessageProc(TMessage& message) override;

 private:
  bool clicksSuppressed_ = false;
};

class TButton : public TButtonControl {
  SX_CLASS(TButton)
  SX_MESSAGES()

  explicit TButton(TComponent* owner);

  // The button Enter presses when the focus is on no other push button.
  bool Default() const { return default_; }
  void SetDefault(bool value);
  // The button Escape presses.
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  // Handed to the parent form on every click.
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }
  // Whether Enter presses this button now: the focused button, or the default one while
  // the focus is on something that is not a push button.
  bool AnswersEnter() const { return answersEnter_; }

  // Shows or drops the default-button look.
  virtual void SetButtonStyle(bool isDefault);

  // Sets the parent form's ModalResult to this button's, then raises OnClick.
  void ClickControl() override;

  // The caption inside the system's raised edge and the frame of the default look.
  std::int32_t CaptionWidthNeeded() override;

 protected:
  // --- Message handlers (the class's table) -----------------------------------------------
  void FWMCommand(TMessage& message);
  void FWMDialogKey(TMessage& message);
  void FWMDialogChar(TMessage& message);
  void FWMFocusChanged(TMessage& message);
  void WMEraseBkgnd(TMessage& message);

  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

  void SetAnswersEnter(bool value) { answersEnter_ = value; }

 private:
  static const MessageEntry kMessageEntries[];

  bool default_ = false;
  bool cancel_ = false;
  TModalResult modalResult_ = 0;
  bool answersEnter_ = false;
};

}  // namespace sx
