#pragma once

// What the button tests share: a fixture that starts the framework, puts a shown form on
// the screen and records message boxes instead of showing them; counters for events; and
// the ways a user presses a button.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/controls/BitBtn.h"
#include "framework/controls/Button.h"
#include "framework/controls/Panel.h"
#include "framework/controls/RadioButton.h"
#include "framework/forms/Application.h"
#include "framework/forms/CustomForm.h"
#include "tests/support/Drawing.h"
#include "tests/support/FrameworkTestSupport.h"

namespace sx::testing {

// A form of the tests; its class has no stored definition.
class TButtonTestForm : public TForm {
  SX_CLASS(TButtonTestForm)

  explicit TButtonTestForm(TComponent* owner) : TForm(owner, kCreateNew) {}
};

// A form whose stored definition the test serves; it can name the button classes.
class TStoredButtonForm : public TForm {
  SX_CLASS(TStoredButtonForm)

  explicit TStoredButtonForm(TComponent* owner) : TForm(owner) {}
};

// Counts an event and remembers the form's ModalResult at the moment it came.
class TEventCounter : public TObject {
 public:
  void Handle(TObject* sender);
  TNotifyEvent Event() { return MakeEvent<&TEventCounter::Handle>(this); }

  int count = 0;
  TObject* lastSender = nullptr;
  TCustomForm* watchedForm = nullptr;
  TModalResult modalResultSeen = -1;
};

// A 24-bit bitmap file of the pixels: bottom row first, blue-green-red per pixel, rows
// padded to four bytes.
std::vector<std::uint8_t> BitmapFile(int width, int height, std::vector<std::uint8_t> pixels);

class ButtonsTest : public ::testing::Test {
 public:
  static DefinitionServices& Services();

 protected:
  void SetUp() override;
  void TearDown() override;

  // A control owned by and placed on the form (or the given parent).
  template <class T>
  T* Make(TWinControl* parent = nullptr, int left = 8, int top = 8) {
    T* control = New<T>(form);
    control->SetLeft(left);
    control->SetTop(top);
    control->SetParentControl(parent ? parent : form);
    return control;
  }

  // Presses and releases the left mouse button in the middle of the control's window.
  static void ClickWithMouse(TWinControl* control);
  // The same through the system's input queue, as a user's click arrives.
  static void ClickOnScreen(TWinControl* control);
  // The key as the focused control gets it from the keyboard.
  static void PressKey(WPARAM key);

  // Draws the bitmap button's face as the window system asks it to, into memory.
  static Picture RenderFace(TBitBtn* button, UINT itemState);

  TButtonTestForm* form = nullptr;

 private:
  int firstComponent_ = 0;
};

}  // namespace sx::testing
