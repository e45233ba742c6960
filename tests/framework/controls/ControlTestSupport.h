#pragma once

// A windowless control of the tests' own, a host that stands in for a form, and the recording
// application host every test of these executables runs with.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/controls/Control.h"
#include "framework/controls/FormHost.h"
#include "framework/controls/WinControl.h"
#include "tests/support/MessageHooks.h"
#include "tests/support/TestControls.h"

namespace sx::testing {

// Exceptions the message boundary caught, in order: the sender and the message text.
struct ReportedException {
  TObject* sender;
  std::string message;
};
std::vector<ReportedException>& ReportedExceptions();

// A plain, windowless control.
class TTestPlain : public TControl {
  SX_CLASS(TTestPlain)
  explicit TTestPlain(TComponent* owner);
  void TearDown() override;
  int resized = 0;
  int clicks = 0;

 protected:
  void Resized() override { ++resized; }
};

// Stands in for a form: a top-level window that keeps track of the controls it is asked to
// take the focus from, and otherwise answers as a plain container would (accepts the focus
// where the window system puts it, has no buttons to work out, closes by no button). It
// declares the test controls as its field classes, so that definitions read into it can
// create them.
class TTestForm : public TWinControl, public TFormHost {
  SX_CLASS(TTestForm)
  explicit TTestForm(TComponent* owner);

  struct Defocus {
    TWinControl* control;
    bool removing;
    bool windowEnabled;  // the control's window was still enabled when the form was asked
    bool windowVisible;
  };
  void DefocusControl(TWinControl* control, bool removing) override;
  std::vector<Defocus> defocused;

  bool SetFocusedControl(TWinControl*) override { return true; }
  void FocusControl(TWinControl* control) override { ::SetFocus(control->Handle()); }
  void DefaultButtonChanged() override {}
  void TakeModalResult(TModalResult) override {}
  bool CloseByButton() override { return false; }
  // The screen's, unless a test gives the form a resolution of its own.
  int PixelsPerInch() const override;
  int pixelsPerInch = 0;

 protected:
  void CreateParams(TCreateParams& params) override;
};

// Every test starts with a shown host form and checks that nothing reached the exception
// reporter that the test did not expect.
class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A child of the form at the given place.
  template <class T>
  T* Make(TWinControl* parent, int left = 8, int top = 8, int width = 75, int height = 25) {
    T* control = New<T>(form);
    control->ChangeBounds(left, top, width, height);
    control->SetParentControl(parent);
    return control;
  }

  TTestForm* form = nullptr;
};

}  // namespace sx::testing
