#pragma once

// A windowless control of the tests' own, a host that stands in for a form, and the recording
// exception reporter every test of these executables runs with.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/controls/Control.h"
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

// Stands in for a form: a top-level window that keeps track of the focus hooks
// it is offered. It declares the test controls as its field classes, so that definitions
// read into it can create them.
class TTestForm : public TWinControl {
  SX_CLASS(TTestForm)
  explicit TTestForm(TComponent* owner);
  bool IsForm() const override { return true; }

  struct Defocus {
    TWinControl* control;
    bool removing;
    bool windowEnabled;  // the control's window was still enabled when the form was asked
    bool windowVisible;
  };
  void DefocusControl(TWinControl* control, bool removing) override;
  std::vector<Defocus> defocused;

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
