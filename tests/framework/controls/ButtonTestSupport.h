#pragma once

// What the button tests share: a fixture that starts the framework, puts a shown form on
// the screen and records message boxes instead of showing them; counters for events; and
// rendering a control into memory to look at its pixels.

#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "framework/controls/BitBtn.h"
#include "framework/controls/Button.h"
#include "framework/controls/Panel.h"
#include "framework/controls/RadioButton.h"
#include "framework/forms/Application.h"
#include "framework/forms/CustomForm.h"
#include "framework/runtime/Win32SystemServices.h"

namespace sx::testing {

// The Win32 services, with stored definitions of the tests' own served first.
class ButtonTestServices : public Win32SystemServices {
 public:
  std::optional<std::span<const std::uint8_t>> FindRcData(ModuleId module,
                                                          std::string_view name) override;
  std::map<std::string, std::vector<std::uint8_t>> definitions;  // by upper-case name
};

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

// A rendered picture: 0x00BBGGRR per pixel, top row first.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  int Count(std::uint32_t rgb) const;
  // Where the block first appears inside the rectangle, scanning rows top-down; {-1, -1}
  // when it does not.
  POINT Find(const Picture& block, RECT within) const;
};

class ButtonsTest : public ::testing::Test {
 public:
  static ButtonTestServices& Services();

 protected:
  void SetUp() override;
  void TearDown() override;

  // Handles every message waiting, as the application's loop does, without waiting.
  static void Pump();
  static std::vector<std::string>& Boxes();

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
  // Holds (or releases) a modifier key in the thread's keyboard state.
  static void HoldKey(int key, bool down);

  // Draws the bitmap button's face as the window system asks it to, into memory.
  static Picture RenderFace(TBitBtn* button, UINT itemState);
  // Paints the control into memory through WM_PRINTCLIENT.
  static Picture RenderClient(TWinControl* control);

  TButtonTestForm* form = nullptr;

 private:
  int firstComponent_ = 0;
};

}  // namespace sx::testing
