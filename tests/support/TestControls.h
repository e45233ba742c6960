#pragma once

// Small windowed controls of the tests' own, on the system "BUTTON" and "EDIT" classes and
// on the framework's own class, for the tests of controls and of forms.

#include <windows.h>

#include <string>
#include <vector>

#include "framework/controls/Button.h"
#include "framework/controls/WinControl.h"

namespace sx::testing {

// Destruction records shared by the test controls: "<name>" when TearDown starts, and
// "<name> text=<text>" once the control's own steps are done (its window is gone then).
std::vector<std::string>& TearDownLog();

// A push button: its click comes back from the parent as a reflected command, counts, sets
// the form's ModalResult to the button's own when it has one, and clicks the control once.
// As the cancel button it takes Escape as a dialog key and sets ModalResult 2. A reflected
// notification is recorded and answered with 0x1234.
class TTestButton : public TWinControl {
  SX_CLASS(TTestButton)
  SX_MESSAGES()

  explicit TTestButton(TComponent* owner);
  void TearDown() override;

  TModalResult modalResult = 0;
  bool cancel = false;
  int clicks = 0;
  std::vector<TMessage> notifies;

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  static const MessageEntry kMessageEntries[];

  void FWMCommand(TMessage& message);
  void FWMNotify(TMessage& message);
  void FWMDialogKey(TMessage& message);
};

// An edit field (it wants the arrow keys for itself); counts its resizes.
class TTestEdit : public TWinControl {
  SX_CLASS(TTestEdit)

  explicit TTestEdit(TComponent* owner);
  void TearDown() override;
  int resized = 0;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Resized() override { ++resized; }
};

// A windowed container of the framework's own class; it records the framework
// notifications it gets from its construction on.
class TTestPanel : public TWinControl {
  SX_CLASS(TTestPanel)

  explicit TTestPanel(TComponent* owner);
  void MessageProc(TMessage& message) override;
  void TearDown() override;
  std::vector<UINT> notifications;
};

}  // namespace sx::testing
