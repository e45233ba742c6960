#include "tests/support/TestControls.h"

#include "framework/forms/CustomForm.h"

namespace sx::testing {
namespace {

// The form the control stands on, when it is a real one (the controls' tests use a window
// that only stands in for a form).
TCustomForm* FormOf(TControl* control) {
  TWinControl* form = GetParentForm(control);
  return form && form->InheritsFrom(TCustomForm::StaticClass) ? static_cast<TCustomForm*>(form)
                                                              : nullptr;
}

}  // namespace

std::vector<std::string>& TearDownLog() {
  static std::vector<std::string> log;
  return log;
}

constinit const ClassInfo TTestButton::StaticClass{
    .name = "TTestButton",
    .parent = &TWinControl::StaticClass,
    .construct = &ConstructComponent<TTestButton>,
};
constinit const MessageEntry TTestButton::kMessageEntries[] = {
    On<&TTestButton::FWMCommand>(FWM_COMMAND),
    On<&TTestButton::FWMNotify>(FWM_NOTIFY),
    On<&TTestButton::FWMDialogKey>(FWM_DIALOGKEY),
};

constinit const MessageTable TTestButton::Messages{&TWinControl::Messages,
                                                   {kMessageEntries, std::size(kMessageEntries)}};

TTestButton::TTestButton(TComponent* owner) : TWinControl(owner) {
  // The system button reports its own clicks.
  SetControlStyle(ControlStyleOf() - TControlStyle{ControlStyle::ClickEvents});
  SetTabStop(true);
}

void TTestButton::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  CreateSubClass(params, "BUTTON");
  params.Style |= BS_PUSHBUTTON;
}

void TTestButton::FWMCommand(TMessage& message) {
  if (HIWORD(message.WParam) != BN_CLICKED) return;
  ++clicks;
  if (TCustomForm* form = FormOf(this); form && modalResult != mrNone)
    form->SetModalResult(modalResult);
  ClickControl();
}

void TTestButton::FWMNotify(TMessage& message) {
  notifies.push_back(message);
  message.Result = 0x1234;
}

void TTestButton::FWMDialogKey(TMessage& message) {
  if (cancel && message.WParam == VK_ESCAPE) {
    if (TCustomForm* form = FormOf(this)) form->SetModalResult(mrCancel);
    message.Result = 1;
    return;
  }
  Inherited<TTestButton>(message);
}

void TTestButton::TearDown() {
  TearDownLog().push_back(Name());
  TWinControl::TearDown();
  TearDownLog().push_back(Name() + " text=" + text_);
}

constinit const ClassInfo TTestEdit::StaticClass{
    .name = "TTestEdit",
    .parent = &TWinControl::StaticClass,
    .construct = &ConstructComponent<TTestEdit>,
};

TTestEdit::TTestEdit(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
}

void TTestEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  CreateSubClass(params, "EDIT");
  params.Style |= ES_AUTOHSCROLL | WS_BORDER;
}

void TTestEdit::TearDown() {
  TearDownLog().push_back(Name());
  TWinControl::TearDown();
  TearDownLog().push_back(Name() + " text=" + text_);
}

constinit const ClassInfo TTestPanel::StaticClass{
    .name = "TTestPanel",
    .parent = &TWinControl::StaticClass,
    .construct = &ConstructComponent<TTestPanel>,
};

TTestPanel::TTestPanel(TComponent* owner) : TWinControl(owner) {
  SetControlStyle(ControlStyleOf() + TControlStyle{ControlStyle::AcceptsControls});
}

void TTestPanel::MessageProc(TMessage& message) {
  if (message.Msg >= FWM_ACTIVATE && message.Msg < FWM_REFLECT)
    notifications.push_back(message.Msg);
  TWinControl::MessageProc(message);
}

void TTestPanel::TearDown() {
  TearDownLog().push_back(Name());
  TWinControl::TearDown();
  TearDownLog().push_back(Name() + " text=" + text_);
}

}  // namespace sx::testing
