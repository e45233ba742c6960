#pragma once

// The radio button. The framework, not the window system, checks and unchecks it, so that
// checking one unchecks the other radio buttons of the same parent and moves the Tab stop
// to the checked one.

#include <windows.h>

#include "framework/controls/Alignment.h"
#include "framework/controls/Button.h"

namespace sx {

class TRadioButton : public TButtonControl {
  SX_CLASS(TRadioButton)
  SX_MESSAGES()

  explicit TRadioButton(TComponent* owner);

  bool Checked() const { return checked_; }
  // Checking unchecks the other radio buttons of the parent, tells the parent chain and
  // clicks (unless clicks are suppressed); the checked button becomes the Tab stop.
  void SetChecked(bool value) override;
  bool GetChecked() const override { return checked_; }

  // The caption to the right of the circle (taRightJustify) or to its left.
  TLeftRight Alignment() const { return alignment_; }
  void SetAlignment(TLeftRight value);

  const TNotifyEvent& OnDblClick() const { return onDblClick_; }
  void SetOnDblClick(const TNotifyEvent& event) { onDblClick_ = event; }

  // The circle, the room after it, the caption and the focus rectangle around it.
  std::int32_t CaptionWidthNeeded() override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

 private:
  static const MessageEntry kMessageEntries[];

  // --- Message handlers (the class's table) -----------------------------------------------
  void FWMCommand(TMessage& message);
  void FWMDialogChar(TMessage& message);
  void FWMCtl3DChanged(TMessage& message);

  bool checked_ = false;
  TLeftRight alignment_ = taRightJustify;
  TNotifyEvent onDblClick_;
};

}  // namespace sx
