#pragma once

// TFormHost: what a control asks of the form it sits on: the focus among the form's
// controls, which button Enter presses, a button's modal result, closing by a button, and
// the resolution the contents are laid out for. A form implements it; a control finds it
// through FormHostOf (Control.h).

#include <cstdint>

namespace sx {

class TWinControl;

// The result a modal form ends with: 0 none, 1 OK, 2 cancel, 3 abort, 4 retry, 5 ignore,
// 6 yes, 7 no, 8 all.
using TModalResult = std::int32_t;

class TFormHost {
 public:
  virtual ~TFormHost() = default;

  // The control got the window focus; false refuses it (its WM_SETFOCUS is dropped).
  virtual bool SetFocusedControl(TWinControl* control) = 0;
  // The control is being disabled, hidden or removed and must not keep the focus.
  virtual void DefocusControl(TWinControl* control, bool removing) = 0;
  // Moves the focus onto the control.
  virtual void FocusControl(TWinControl* control) = 0;
  // A button became or stopped being the default one: every button works out again which
  // one Enter presses.
  virtual void DefaultButtonChanged() = 0;
  // A button with this modal result was clicked (a modal run ends with it).
  virtual void TakeModalResult(TModalResult result) = 0;
  // A Close button was clicked: true when the form closed (or began to).
  virtual bool CloseByButton() = 0;
  // The resolution the form's contents are laid out for.
  virtual int PixelsPerInch() const = 0;
};

}  // namespace sx
