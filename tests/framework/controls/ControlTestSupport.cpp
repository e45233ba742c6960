#include "tests/framework/controls/ControlTestSupport.h"

#include "framework/controls/ExceptionBoundary.h"
#include "framework/controls/WindowProperties.h"
#include "framework/runtime/Exception.h"
#include "framework/runtime/Win32SystemServices.h"

namespace sx::testing {

// --- The environment --------------------------------------------------------------------------

std::vector<ReportedException>& ReportedExceptions() {
  static std::vector<ReportedException> reported;
  return reported;
}

namespace {

void RecordException(TObject* sender) {
  std::string message = "(not an Exception)";
  try {
    throw;
  } catch (const Exception& e) {
    message = e.Message();
  } catch (...) {
  }
  ReportedExceptions().push_back({sender, message});
}

class ControlsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    InstallWin32SystemServices();
    // A message box would stop the run; every caught exception is recorded instead.
    SetExceptionReporter(&RecordException);
  }
  void TearDown() override { ReleaseWindowProperties(); }
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new ControlsEnvironment);

bool IsNotification(UINT msg) {
  return msg >= 0xB000 && msg < 0xBC00;
}

}  // namespace

// --- Spies ------------------------------------------------------------------------------------

TMessageSpy::TMessageSpy(TControl* control)
    : control_(control), previous_(control->GetMessageHandler()) {
  control->SetMessageHandler(MakeEvent<&TMessageSpy::Handle>(this));
}

TMessageSpy::~TMessageSpy() {
  Detach();
}

void TMessageSpy::Detach() {
  if (control_) control_->SetMessageHandler(previous_);
  control_ = nullptr;
}

void TMessageSpy::Handle(TMessage& message) {
  seen.push_back(message);
  previous_(message);
}

int TMessageSpy::Count(UINT msg) const {
  int count = 0;
  for (const TMessage& message : seen)
    if (message.Msg == msg) ++count;
  return count;
}

std::vector<UINT> TMessageSpy::Notifications() const {
  std::vector<UINT> numbers;
  for (const TMessage& message : seen)
    if (IsNotification(message.Msg)) numbers.push_back(message.Msg);
  return numbers;
}

TNotificationLog::TNotificationLog(std::vector<std::string>& log, TControl* control,
                                   std::string name)
    : log_(log),
      control_(control),
      name_(std::move(name)),
      previous_(control->GetMessageHandler()) {
  control->SetMessageHandler(MakeEvent<&TNotificationLog::Handle>(this));
}

TNotificationLog::~TNotificationLog() {
  control_->SetMessageHandler(previous_);
}

void TNotificationLog::Handle(TMessage& message) {
  if (IsNotification(message.Msg) || message.Msg == WM_CREATE) {
    char number[16];
    wsprintfA(number, "%X", message.Msg);
    log_.push_back(name_ + ":" + number);
  }
  previous_(message);
}

std::vector<std::string>& TearDownLog() {
  static std::vector<std::string> log;
  return log;
}

// --- Test controls ----------------------------------------------------------------------------

constinit const ClassInfo TTestPlain::StaticClass{
    .name = "TTestPlain",
    .parent = &TControl::StaticClass,
    .construct = &ConstructComponent<TTestPlain>,
};

TTestPlain::TTestPlain(TComponent* owner) : TControl(owner) {}

void TTestPlain::TearDown() {
  TearDownLog().push_back(Name());
  TControl::TearDown();
}

namespace {

constexpr MessageEntry kTestButtonMessages[] = {
    On<&TTestButton::OnReflectedCommand>(FWM_COMMAND),
    On<&TTestButton::OnReflectedNotify>(FWM_NOTIFY),
};

}  // namespace

constinit const ClassInfo TTestButton::StaticClass{
    .name = "TTestButton",
    .parent = &TWinControl::StaticClass,
    .construct = &ConstructComponent<TTestButton>,
};
constinit const MessageTable TTestButton::Messages{&TWinControl::Messages, kTestButtonMessages};

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

void TTestButton::OnReflectedCommand(TMessage& message) {
  if (HIWORD(message.WParam) == BN_CLICKED) ClickControl();
}

void TTestButton::OnReflectedNotify(TMessage& message) {
  notifies.push_back(message);
  message.Result = 0x1234;
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
  if (IsNotification(message.Msg)) notifications.push_back(message.Msg);
  TWinControl::MessageProc(message);
}

void TTestPanel::TearDown() {
  TearDownLog().push_back(Name());
  TWinControl::TearDown();
  TearDownLog().push_back(Name() + " text=" + text_);
}

namespace {

constexpr const ClassInfo* kTestFormFieldClasses[] = {
    &TTestPlain::StaticClass,
    &TTestButton::StaticClass,
    &TTestEdit::StaticClass,
    &TTestPanel::StaticClass,
};

}  // namespace

constinit const ClassInfo TTestForm::StaticClass{
    .name = "TTestForm",
    .parent = &TWinControl::StaticClass,
    .construct = &ConstructComponent<TTestForm>,
    .fieldClasses = kTestFormFieldClasses,
};

TTestForm::TTestForm(TComponent* owner) : TWinControl(owner) {
  SetControlStyle(ControlStyleOf() + TControlStyle{ControlStyle::AcceptsControls});
}

void TTestForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  // A popup without a caption: a window manager takes no part in showing or hiding it, so
  // nothing waits for one.
  params.Style = WS_POPUP | WS_CLIPCHILDREN;
  params.WndParent = nullptr;
}

void TTestForm::DefocusControl(TWinControl* control, bool removing) {
  const bool hasWindow = control->HandleAllocated();
  defocused.push_back({control, removing, hasWindow && IsWindowEnabled(control->Handle()),
                       hasWindow && IsWindowVisible(control->Handle())});
}

// --- The fixture ------------------------------------------------------------------------------

void ControlTest::SetUp() {
  ReportedExceptions().clear();
  TearDownLog().clear();
  form = New<TTestForm>(nullptr);
  form->SetName("Host");
  form->ChangeBounds(100, 100, 400, 300);
  form->UpdateControlState();
  ASSERT_TRUE(form->Showing());
}

void ControlTest::TearDown() {
  FreeAndNil(form);
  for (const ReportedException& reported : ReportedExceptions())
    ADD_FAILURE() << "exception reported by the message boundary: " << reported.message;
  ReportedExceptions().clear();
}

}  // namespace sx::testing
