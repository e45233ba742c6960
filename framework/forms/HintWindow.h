#pragma once

// THintWindow: the window a control's hint appears in.

#include <windows.h>

#include "framework/controls/WinControl.h"

namespace sx {

// The window a control's hint appears in: a borderless, top-most tool window. The program
// shows no hints; the application keeps one while hints are on and asks it which messages
// end a hint.
class THintWindow : public TWinControl {
  SX_CLASS(THintWindow)

  explicit THintWindow(TComponent* owner);

  // While the hint is up: a key, a click, an activation or a mouse move elsewhere ends it.
  bool IsHintMessage(const MSG& msg) const;
  // Takes the hint off the screen (its window goes).
  void ReleaseHandle();

 protected:
  void CreateParams(TCreateParams& params) override;
};

}  // namespace sx
