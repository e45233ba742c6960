#pragma once

// Small controls of the tests' own on the system "BUTTON" and "EDIT" classes, a host that
// stands in for a form, a spy that sub-classes one control's message handler, and the
// recording exception reporter every test of this executable runs with.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/controls/Control.h"
#include "framework/controls/WinControl.h"

namespace sx::testing {

// Exceptions the message boundary caught, in order: the sender and the message text.
struct ReportedException {
  TObject* sender;
  std::string message;
};
std::vector<ReportedException>& ReportedExceptions();

// Records the messages that reach one control, then passes them on to the handler it had.
class TMessageSpy : public TObject {
 public:
  explicit TMessageSpy(TControl* control);
  ~TMessageSpy() override;

  // Gives the control its previous handler back (before the control goes).
  void Detach();
  int Count(UINT msg) const;
  // The numbers of the messages seen that lie in the framework's notification range.
  std::vector<UINT> Notifications() const;

  std::vector<TMessage> seen;

 private:
  void Handle(TMessage& message);

  TControl* control_;
  TControl::MessageHandler previous_;
};

// Appends "<name>:<message number in hexadecimal>" to a shared log for every framework
// notification a control gets, and for WM_CREATE ("<name>:1"); hooks the control like
// TMessageSpy.
class TNotificationLog : public TObject {
 public:
  TNotificationLog(std::vector<std::string>& log, TControl* control, std::string name);
  ~TNotificationLog() override;

 private:
  void Handle(TMessage& message);

  std::vector<std::string>& log_;
  TControl* control_;
  std::string name_;
  TControl::MessageHandler previous_;
};

// Destruction records shared by the test controls: "<name>" when TearDown starts, and
// "<name> text=<text>" once the control's own steps are done (its window is gone then).
std::vector<std::string>& TearDownLog();

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

// A push button on the system "BUTTON" class: its click comes back from the parent as a
// reflected command.
class TTestButton : public TWinControl {
  SX_CLASS(TTestButton)
  SX_MESSAGES()
  explicit TTestButton(TComponent* owner);
  void OnReflectedCommand(TMessage& message);
  void OnReflectedNotify(TMessage& message);
  void TearDown() override;

  std::vector<TMessage> notifies;

 protected:
  void CreateParams(TCreateParams& params) override;
};

// An edit field on the system "EDIT" class.
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
