#pragma once

// What the form tests share: a fixture that starts and ends the framework around every test
// and records the message boxes instead of showing them, with stored definitions of the
// tests' own served, a desktop of the tests' own, and an empty form.

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <vector>

#include "framework/controls/WinControl.h"
#include "framework/forms/Application.h"
#include "framework/forms/CustomForm.h"
#include "framework/forms/Desktop.h"
#include "framework/forms/Screen.h"
#include "tests/support/FrameworkTestSupport.h"
#include "tests/support/MessageHooks.h"
#include "tests/support/TestControls.h"

namespace sx::testing {

class FormsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  static DefinitionServices& Services();

 private:
  MessageBoxProc previousBox_ = nullptr;
};

// A desktop of the test's own in place of the system's while it lives: monitors (each window
// is on the one its rectangle overlaps most, the primary one when it overlaps none), each
// with a resolution of its own, and a message font. Wine 8.0 shows one monitor, at the
// prefix's resolution, and the prefix's font only. With no monitors given, the system's are
// asked.
class FakeDesktop {
 public:
  struct Monitor {
    RECT rect;
    RECT work;
    int pixelsPerInch = 0;  // 0: the system cannot tell
  };
  // The first monitor is the primary one.
  explicit FakeDesktop(std::vector<Monitor> monitors);
  ~FakeDesktop();
  FakeDesktop(const FakeDesktop&) = delete;
  FakeDesktop& operator=(const FakeDesktop&) = delete;

  // The non-client metrics the system reports, with this message font.
  void SetMessageFont(const LOGFONTA& font);
  // The metrics cannot be read.
  void FailNonClientMetrics() { failMetrics_ = true; }

 private:
  static HMONITOR FromWindow(HWND window);
  static HMONITOR FromRect(const RECT& rect);
  static bool Info(HMONITOR monitor, MONITORINFO& info);
  static int PixelsPerInch(HMONITOR monitor);
  static bool Metrics(NONCLIENTMETRICSA& metrics);

  static inline FakeDesktop* current_ = nullptr;
  std::vector<Monitor> monitors_;
  std::optional<LOGFONTA> messageFont_;
  bool failMetrics_ = false;
  DesktopQueries previous_;
};

// An empty form; the class has no stored definition. Definitions read into it can name the
// test button and edit field.
class TTestForm : public TForm {
  SX_CLASS(TTestForm)

  explicit TTestForm(TComponent* owner) : TForm(owner, kCreateNew) {}
};

// A control owned by the parent's form, placed in the parent at the given place.
template <class T>
T* MakeChild(TWinControl* parent, int left, int top, bool tabStop = true) {
  TWinControl* form = GetParentForm(parent);
  T* control = New<T>(form ? static_cast<TComponent*>(form) : parent);
  control->ChangeBounds(left, top, 75, 25);
  control->SetParentControl(parent);
  control->SetTabStop(tabStop);
  return control;
}

}  // namespace sx::testing
