#include "tests/framework/controls/ControlTestSupport.h"

#include "framework/controls/ApplicationHost.h"
#include "framework/controls/WindowProperties.h"
#include "framework/graphics/Graphics.h"
#include "framework/runtime/Exception.h"
#include "framework/runtime/Win32SystemServices.h"

namespace sx::testing {

// --- The environment --------------------------------------------------------------------------

std::vector<ReportedException>& ReportedExceptions() {
  static std::vector<ReportedException> reported;
  return reported;
}

namespace {

// No application runs here: nothing remembers a control, no window holds the program modal,
// and every caught exception is recorded, as a message box would stop the run.
class RecordingHost final : public TApplicationHost {
 public:
  void ControlDestroyed(TControl*) override {}
  bool ClickIntoDisabledWindow() override { return false; }
  void ReportException(TObject* sender) override {
    std::string message = "(not an Exception)";
    try {
      throw;
    } catch (const Exception& e) {
      message = e.Message();
    } catch (...) {
    }
    ReportedExceptions().push_back({sender, message});
  }
};

RecordingHost g_recordingHost;

class ControlsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    InstallWin32SystemServices();
    SetApplicationHost(&g_recordingHost);
  }
  void TearDown() override { ReleaseWindowProperties(); }
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new ControlsEnvironment);

}  // namespace

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

int TTestForm::PixelsPerInch() const {
  return pixelsPerInch != 0 ? pixelsPerInch : ScreenPixelsPerInch();
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
