#include "tests/app/mainwindow/MainWindowTestSupport.h"

#include "framework/forms/Application.h"
#include "framework/runtime/Exception.h"
#include "framework/runtime/Win32SystemServices.h"

namespace sx::testing {
namespace {

std::vector<std::string> g_boxes;
std::string g_setUpError;
MessageBoxProc g_previousBox = nullptr;

int WINAPI RecordBox(HWND, LPCSTR text, LPCSTR, UINT) {
  g_boxes.push_back(text ? text : "");
  return IDOK;
}

// Whether the window or any window inside it still waits for its paint.
bool WaitsForPaint(HWND window) {
  if (GetUpdateRect(window, nullptr, FALSE)) return true;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (WaitsForPaint(child)) return true;
  return false;
}

}  // namespace

TControl* ControlNamed(std::string_view name) {
  TComponent* component = Form1 ? Form1->FindOwned(name) : nullptr;
  EXPECT_NE(component, nullptr) << name;
  if (!component || !component->InheritsFrom(TControl::StaticClass)) return nullptr;
  return static_cast<TControl*>(component);
}

TWinControl* WinControlNamed(std::string_view name) {
  TControl* control = ControlNamed(name);
  if (!control || !control->InheritsFrom(TWinControl::StaticClass)) return nullptr;
  return static_cast<TWinControl*>(control);
}

void MainWindowTest::SetUpTestSuite() {
  InstallWin32SystemServices();
  g_previousBox = SetMessageBoxProc(&RecordBox);
  if (!StartFramework()) {
    g_setUpError = "the framework did not start";
    return;
  }
  Application->Initialize();
  Application->SetTitle("Sonderix");
  try {
    Application->CreateOwnedForm(Form1);
  } catch (const Exception& exception) {
    g_setUpError = exception.Message();
    return;
  }
  // What Run does before its loop, without the loop.
  Form1->SetVisible(true);
  const DWORD start = GetTickCount();
  do {
    Pump();
    Sleep(1);
  } while (WaitsForPaint(Form1->Handle()) && GetTickCount() - start < 5000);
}

void MainWindowTest::TearDownTestSuite() {
  FinishFramework();
  Form1 = nullptr;
  SetMessageBoxProc(g_previousBox);
}

void MainWindowTest::SetUp() {
  ASSERT_TRUE(g_setUpError.empty()) << g_setUpError;
  ASSERT_NE(Form1, nullptr);
  EXPECT_TRUE(g_boxes.empty()) << g_boxes.front();
}

void MainWindowTest::Pump() {
  while (Application->ProcessOneMessage()) {
  }
}

const std::vector<std::string>& MainWindowTest::Boxes() {
  return g_boxes;
}

}  // namespace sx::testing
