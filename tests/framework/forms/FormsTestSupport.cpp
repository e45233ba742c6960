#include "tests/framework/forms/FormsTestSupport.h"

#include "framework/runtime/TextUtil.h"

namespace sx::testing {
namespace {

std::vector<RecordedBox> g_boxes;

int WINAPI RecordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
  bool mainEnabled = false;
  if (Application && Application->MainForm() && Application->MainForm()->HandleAllocated())
    mainEnabled = IsWindowEnabled(Application->MainForm()->Handle()) != FALSE;
  g_boxes.push_back({owner, text ? text : "", caption ? caption : "", flags, mainEnabled});
  return IDOK;
}

void DrainQueue() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace

std::optional<std::span<const std::uint8_t>> TestServices::FindRcData(ModuleId module,
                                                                      std::string_view name) {
  if (const auto found = definitions.find(AsciiUpperCase(name)); found != definitions.end())
    return std::span<const std::uint8_t>(found->second);
  return Win32SystemServices::FindRcData(module, name);
}

TestServices& FormsTest::Services() {
  static TestServices services;
  return services;
}

std::vector<RecordedBox>& FormsTest::Boxes() {
  return g_boxes;
}

void FormsTest::AddDefinition(const std::string& className, std::vector<std::uint8_t> bytes) {
  Services().definitions[AsciiUpperCase(className)] = std::move(bytes);
}

void FormsTest::SetUp() {
  SetSystem(&Services());
  Services().definitions.clear();
  g_boxes.clear();
  previousBox_ = SetMessageBoxProc(&RecordBox);
  // Nothing a previous test left behind (a quit message among it) may reach this one.
  DrainQueue();
  ASSERT_TRUE(StartFramework());
}

void FormsTest::TearDown() {
  FinishFramework();
  DrainQueue();
  SetMessageBoxProc(previousBox_);
}

void FormsTest::Pump() {
  while (Application->ProcessOneMessage()) {
  }
}

// --- Test controls --------------------------------------------------------------------------

constinit const ClassInfo TTestButton::StaticClass{
    .name = "TTestButton",
    .parent = &TWinControl::StaticClass,
    .construct = &ConstructComponent<TTestButton>,
};

constinit const MessageEntry TTestButton::kMessageEntries[] = {
    On<&TTestButton::FWMCommand>(FWM_COMMAND),
    On<&TTestButton::FWMDialogKey>(FWM_DIALOGKEY),
};

constinit const MessageTable TTestButton::Messages{&TWinControl::Messages,
                                                   {kMessageEntries, std::size(kMessageEntries)}};

TTestButton::TTestButton(TComponent* owner) : TWinControl(owner) {}

void TTestButton::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  CreateSubClass(params, "BUTTON");
  params.Style |= BS_PUSHBUTTON;
}

void TTestButton::FWMCommand(TMessage& message) {
  if (HIWORD(message.WParam) != BN_CLICKED) return;
  ++clicks;
  if (auto* form = static_cast<TCustomForm*>(GetParentForm(this)); form && modalResult != mrNone)
    form->SetModalResult(modalResult);
  ClickControl();
}

void TTestButton::FWMDialogKey(TMessage& message) {
  if (cancel && message.WParam == VK_ESCAPE) {
    if (auto* form = static_cast<TCustomForm*>(GetParentForm(this))) form->SetModalResult(mrCancel);
    message.Result = 1;
    return;
  }
  Inherited<TTestButton>(message);
}

constinit const ClassInfo TTestEdit::StaticClass{
    .name = "TTestEdit",
    .parent = &TWinControl::StaticClass,
    .construct = &ConstructComponent<TTestEdit>,
};

TTestEdit::TTestEdit(TComponent* owner) : TWinControl(owner) {}

void TTestEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  CreateSubClass(params, "EDIT");
  params.Style |= ES_AUTOHSCROLL;
}

constinit const ClassInfo TTestPanel::StaticClass{
    .name = "TTestPanel",
    .parent = &TWinControl::StaticClass,
    .construct = &ConstructComponent<TTestPanel>,
};

TTestPanel::TTestPanel(TComponent* owner) : TWinControl(owner) {
  SetControlStyle(ControlStyleOf() + TControlStyle{ControlStyle::AcceptsControls});
}

namespace {
constinit const ClassInfo* const kTestFormFieldClasses[] = {&TTestButton::StaticClass,
                                                            &TTestEdit::StaticClass};
}  // namespace

constinit const ClassInfo TTestForm::StaticClass{
    .name = "TTestForm",
    .parent = &TForm::StaticClass,
    .construct = &ConstructComponent<TTestForm>,
    .fieldClasses = kTestFormFieldClasses,
};

// --- Message recorder -----------------------------------------------------------------------

TMessageRecorder::TMessageRecorder(TControl* control, std::vector<std::string>& log,
                                   std::string name)
    : control_(control), log_(log), name_(std::move(name)) {
  previous_ = control->GetMessageHandler();
  control->SetMessageHandler(MakeEvent<&TMessageRecorder::Handle>(this));
}

TMessageRecorder::~TMessageRecorder() {
  control_->SetMessageHandler(previous_);
}

void TMessageRecorder::Handle(TMessage& message) {
  char text[64];
  std::snprintf(text, sizeof text, "%s:%X", name_.c_str(), message.Msg);
  log_.push_back(text);
  previous_(message);
}

}  // namespace sx::testing
