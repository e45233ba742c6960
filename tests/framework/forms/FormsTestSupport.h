#pragma once

// What the form tests share: a fixture that starts and ends the framework around every test
// and records the message boxes instead of showing them, test system services that serve
// stored definitions of the tests' own, and small controls and forms.

#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "framework/controls/WinControl.h"
#include "framework/forms/Application.h"
#include "framework/forms/CustomForm.h"
#include "framework/forms/Screen.h"
#include "framework/runtime/Win32SystemServices.h"

namespace sx::testing {

// A message box the framework asked for.
struct RecordedBox {
  HWND owner;
  std::string text;
  std::string caption;
  UINT flags;
  // The application window's and the main form's enabled state while the box was up.
  bool mainFormEnabled;
};

// The Win32 services, with stored definitions of the tests' own served first.
class TestServices : public Win32SystemServices {
 public:
  std::optional<std::span<const std::uint8_t>> FindRcData(ModuleId module,
                                                          std::string_view name) override;
  std::map<std::string, std::vector<std::uint8_t>> definitions;  // by upper-case name
};

class FormsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Handles every message waiting, the way the application's loop does, without waiting.
  static void Pump();
  // Pumps until the condition holds, for at most the given time.
  template <class Condition>
  static bool PumpUntil(Condition condition, DWORD milliseconds = 2000) {
    const DWORD start = GetTickCount();
    while (!condition()) {
      if (GetTickCount() - start > milliseconds) return false;
      Pump();
      Sleep(1);
    }
    return true;
  }
  // Serves the bytes as the stored definition of the class of that name.
  static void AddDefinition(const std::string& className, std::vector<std::uint8_t> bytes);

  static std::vector<RecordedBox>& Boxes();
  static TestServices& Services();

 private:
  MessageBoxProc previousBox_ = nullptr;
};

// A push button on the system "BUTTON" class. A click sets its form's ModalResult to its
// own; Escape as a dialog key does the same with ModalResult 2 when it is the cancel button.
class TTestButton : public TWinControl {
  SX_CLASS(TTestButton)
  SX_MESSAGES()

  explicit TTestButton(TComponent* owner);

  TModalResult modalResult = mrNone;
  bool cancel = false;
  int clicks = 0;

 protected:
  void CreateParams(TCreateParams& params) override;
  void FWMCommand(TMessage& message);
  void FWMDialogKey(TMessage& message);

 private:
  static const MessageEntry kMessageEntries[];
};

// An edit field on the system "EDIT" class (it wants the arrow keys for itself).
class TTestEdit : public TWinControl {
  SX_CLASS(TTestEdit)

  explicit TTestEdit(TComponent* owner);

 protected:
  void CreateParams(TCreateParams& params) override;
};

// A plain container with a window of its own.
class TTestPanel : public TWinControl {
  SX_CLASS(TTestPanel)

  explicit TTestPanel(TComponent* owner);
};

// An empty form; the class has no stored definition.
class TTestForm : public TForm {
  SX_CLASS(TTestForm)

  explicit TTestForm(TComponent* owner) : TForm(owner, kCreateNew) {}
};

// Records every message a control's handler sees, then passes it on; gives the control its
// handler back when it goes.
class TMessageRecorder : public TObject {
 public:
  TMessageRecorder(TControl* control, std::vector<std::string>& log, std::string name);
  ~TMessageRecorder() override;

 private:
  void Handle(TMessage& message);

  TControl* control_;
  std::vector<std::string>& log_;
  std::string name_;
  TControl::MessageHandler previous_;
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
