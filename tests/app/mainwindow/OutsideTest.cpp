// The real sonderix.exe, started as a process of its own and used from outside as a person
// would: its windows are found by class and caption, and it is clicked with mouse input at
// the places its controls show on the screen.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "tests/app/mainwindow/StoredLayout.h"

namespace sx::testing {
namespace {

constexpr DWORD kButtonType = 0x0F;  // the BS_ type bits of a button's style

// The program beside this test program in the build tree.
std::string ProgramPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string self = path;
  std::string program = self.substr(0, self.find_last_of('\\') + 1) + SX_PROGRAM_RELATIVE_PATH;
  std::replace(program.begin(), program.end(), '/', '\\');
  return program;
}

std::wstring Utf16(std::string_view utf8) {
  const int size = static_cast<int>(utf8.size());
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), size);
  wide.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return wide;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// The text the window's own procedure answers with (an edit field keeps its text to itself;
// the title the window system remembers is not it).
std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                           5000, &length))
    return L"<no answer>";
  return text;
}

DWORD StyleOf(HWND window) {
  return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
}

DWORD ExStyleOf(HWND window) {
  return static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
}

RECT RectInParent(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// --- Real input -----------------------------------------------------------------------------

void MoveMouseTo(POINT screen) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>((screen.x * 65535 + width / 2) / (width - 1));
  input.mi.dy = static_cast<LONG>((screen.y * 65535 + height / 2) / (height - 1));
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
}

void MouseButton(DWORD flag) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flag;
  SendInput(1, &input, sizeof input);
}

// A click at a point of the window's client area, at a person's pace.
void ClickAt(HWND window, POINT client) {
  ClientToScreen(window, &client);
  MoveMouseTo(client);
  Sleep(30);
  MouseButton(MOUSEEVENTF_LEFTDOWN);
  Sleep(30);
  MouseButton(MOUSEEVENTF_LEFTUP);
  Sleep(60);
}

void ClickMiddleOf(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  ClickAt(window, POINT{client.right / 2, client.bottom / 2});
}

// The upper arrow of a vertical spin button: the middle of its upper half.
void ClickUpArrow(HWND spin) {
  RECT client{};
  GetClientRect(spin, &client);
  ClickAt(spin, POINT{client.right / 2, client.bottom / 4});
}

template <class Condition>
bool WaitFor(Condition condition, DWORD milliseconds = 5000) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > milliseconds) return false;
    Sleep(10);
  }
  return true;
}

// --- The program ----------------------------------------------------------------------------

struct TopWindowWalk {
  DWORD process;
  std::string className;
  HWND found;
};

BOOL CALLBACK FindTopWindow(HWND window, LPARAM data) {
  auto& walk = *reinterpret_cast<TopWindowWalk*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != walk.process || ClassOf(window) != walk.className) return TRUE;
  walk.found = window;
  return FALSE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM data) {
  reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
  return TRUE;
}

// The program in a process of its own, with its main window on the screen; ended if a test
// leaves it running.
class Program {
 public:
  Program() {
    const std::string path = ProgramPath();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + path + "\"";
    started_ = CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &info_) != FALSE;
    if (!started_) return;
    WaitFor(
        [this] {
          main_ = TopWindow("TForm1");
          return (main_ && IsWindowVisible(main_)) || Ended();
        },
        30000);
    // Input waits until the window has settled: painted and ready for messages.
    DWORD_PTR ignored = 0;
    if (main_) SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
  }
  ~Program() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
      PostMessageA(TopWindow("TApplication"), WM_CLOSE, 0, 0);
      if (WaitForSingleObject(info_.hProcess, 10000) == WAIT_TIMEOUT)
        TerminateProcess(info_.hProcess, 99);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return started_; }
  HWND MainWindow() const { return main_; }
  bool Ended() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0; }

  HWND TopWindow(const std::string& className) const {
    TopWindowWalk walk{info_.dwProcessId, className, nullptr};
    EnumWindows(&FindTopWindow, reinterpret_cast<LPARAM>(&walk));
    return walk.found;
  }

  // Every window inside the main window, at any depth.
  std::vector<HWND> Children() const {
    std::vector<HWND> children;
    EnumChildWindows(main_, &CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
  }

  // The child of that class at the stored place in its parent.
  HWND Child(const ControlRow& row) const {
    for (HWND child : Children()) {
      const RECT rect = RectInParent(child);
      if (ClassOf(child) == row.className && rect.left == row.left && rect.top == row.top)
        return child;
    }
    return nullptr;
  }
  HWND Child(std::string_view name) const {
    for (const ControlRow& row : StoredControls())
      if (row.name == name) return Child(row);
    return nullptr;
  }

  // The exit code once the process has ended; -1 when it does not end in time.
  long ExitCode(DWORD milliseconds = 30000) const {
    if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
  }

 private:
  PROCESS_INFORMATION info_ = {};
  bool started_ = false;
  HWND main_ = nullptr;
};

class OutsideTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(program_.Started()) << ProgramPath();
    ASSERT_NE(program_.MainWindow(), nullptr) << "the main window did not appear";
  }

  Program program_;
};

// The style a control's window must have beyond WS_CHILD | WS_VISIBLE, and the bits it must
// not have.
struct StyleRule {
  DWORD required;
  DWORD forbidden;
  DWORD requiredEx;
};

StyleRule RuleFor(const ControlRow& row) {
  const std::string_view kind = row.className;
  const std::string_view name = row.name;
  const bool idle = name == "Pause" || name == "Otmena";
  const DWORD disabled = idle ? WS_DISABLED : 0;
  const DWORD enabled = idle ? 0 : WS_DISABLED;
  if (kind == "TButton") return {WS_TABSTOP | BS_PUSHBUTTON, enabled, 0};
  if (kind == "TBitBtn") return {WS_TABSTOP | BS_OWNERDRAW | disabled, enabled, 0};
  if (kind == "TEdit") return {WS_TABSTOP | ES_READONLY, WS_DISABLED, WS_EX_CLIENTEDGE};
  if (kind == "TUpDown")
    return {UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, WS_DISABLED | UDS_WRAP, 0};
  if (kind == "TPanel") return {WS_CLIPCHILDREN, WS_DISABLED, WS_EX_CONTROLPARENT};
  const DWORD tabStop = name == "RadioButton3" ? WS_TABSTOP : 0;
  return {BS_RADIOBUTTON | tabStop, WS_DISABLED | (WS_TABSTOP & ~tabStop), 0};
}

TEST_F(OutsideTest, MainWindowIsSonderixOwnedByTheApplicationWindow) {
  const HWND main = program_.MainWindow();
  char title[64] = {};
  GetWindowTextA(main, title, sizeof title);
  EXPECT_STREQ(title, "Sonderix");
  const HWND application = program_.TopWindow("TApplication");
  ASSERT_NE(application, nullptr);
  EXPECT_EQ(GetWindow(main, GW_OWNER), application);
  GetWindowTextA(application, title, sizeof title);
  EXPECT_STREQ(title, "Sonderix");
  RECT rect{};
  GetWindowRect(main, &rect);
  EXPECT_EQ(rect.left, 341);
  EXPECT_EQ(rect.top, 157);
  EXPECT_EQ(rect.right - rect.left, 301);
  EXPECT_EQ(rect.bottom - rect.top, 223);
  const DWORD wanted = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  EXPECT_EQ(StyleOf(main) & wanted, wanted);
}

TEST_F(OutsideTest, MainWindowHoldsExactlyTheStoredControls) {
  const std::vector<HWND> children = program_.Children();
  EXPECT_EQ(children.size(), StoredControls().size());
  for (const ControlRow& row : StoredControls()) {
    SCOPED_TRACE(row.name);
    const HWND window = program_.Child(row);
    ASSERT_NE(window, nullptr) << "no " << row.className << " at " << row.left << ", " << row.top;
    const RECT rect = RectInParent(window);
    EXPECT_EQ(rect.right - rect.left, row.width);
    EXPECT_EQ(rect.bottom - rect.top, row.height);
    const HWND parent =
        row.parent == std::string_view("Form1") ? program_.MainWindow() : program_.Child("Panel1");
    EXPECT_EQ(GetParent(window), parent);
    if (row.caption[0] != '\0') {
      EXPECT_TRUE(TextOf(window) == Utf16(row.caption));
    }
    const StyleRule rule = RuleFor(row);
    const DWORD style = StyleOf(window);
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE), DWORD{WS_CHILD | WS_VISIBLE});
    const bool buttonType = row.className == std::string_view("TButton") ||
                            row.className == std::string_view("TBitBtn") ||
                            row.className == std::string_view("TRadioButton");
    if (buttonType) {
      // The focused push button shows the default look.
      const DWORD type = style & kButtonType;
      EXPECT_EQ(type == BS_DEFPUSHBUTTON ? DWORD{BS_PUSHBUTTON} : type,
                rule.required & kButtonType);
      EXPECT_EQ(style & rule.required & ~kButtonType, rule.required & ~kButtonType);
      EXPECT_EQ(style & rule.forbidden & ~kButtonType, 0u);
    } else {
      EXPECT_EQ(style & rule.required, rule.required);
      EXPECT_EQ(style & rule.forbidden, 0u);
    }
    EXPECT_EQ(ExStyleOf(window) & rule.requiredEx, rule.requiredEx);
  }
}

TEST_F(OutsideTest, FieldsReadZeroWithTheirSpinButtonsRightBesideThem) {
  for (int i = 1; i <= 3; ++i) {
    SCOPED_TRACE(i);
    const HWND field = program_.Child("Edit" + std::to_string(i));
    const HWND spin = program_.Child("UpDown" + std::to_string(i));
    ASSERT_TRUE(field && spin);
    EXPECT_TRUE(TextOf(field) == L"0");
    EXPECT_EQ(RectInParent(spin).left, RectInParent(field).right);
  }
}

TEST_F(OutsideTest, ThreeClicksOnTheSecondsUpArrowShowThree) {
  const HWND spin = program_.Child("UpDown3");
  const HWND field = program_.Child("Edit3");
  ASSERT_TRUE(spin && field);
  for (int i = 0; i < 3; ++i)
    ClickUpArrow(spin);
  EXPECT_TRUE(WaitFor([&] { return TextOf(field) == L"3"; }))
      << "the field reads " << TextOf(field).size() << " characters";
  EXPECT_TRUE(TextOf(field) == L"3");
  EXPECT_TRUE(TextOf(program_.Child("Edit1")) == L"0");
  EXPECT_TRUE(TextOf(program_.Child("Edit2")) == L"0");
}

TEST_F(OutsideTest, SecondsStopAtFiftyNineInsteadOfWrappingToZero) {
  const HWND spin = program_.Child("UpDown3");
  const HWND field = program_.Child("Edit3");
  ASSERT_TRUE(spin && field);
  for (int i = 0; i < 59; ++i)
    ClickUpArrow(spin);
  ASSERT_TRUE(WaitFor([&] { return TextOf(field) == L"59"; }));
  ClickUpArrow(spin);
  ClickUpArrow(spin);
  Sleep(200);
  EXPECT_TRUE(TextOf(field) == L"59") << "a click at the top of the range wrapped or stepped on";
}

TEST_F(OutsideTest, ClickingRadioButton1UnchecksRadioButton3) {
  const HWND first = program_.Child("RadioButton1");
  const HWND third = program_.Child("RadioButton3");
  ASSERT_TRUE(first && third);
  ASSERT_EQ(SendMessageA(third, BM_GETCHECK, 0, 0), BST_CHECKED);
  ClickMiddleOf(first);
  EXPECT_TRUE(WaitFor([&] { return SendMessageA(first, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
  EXPECT_EQ(SendMessageA(third, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  for (const char* other : {"RadioButton2", "RadioButton4", "RadioButton5"})
    EXPECT_EQ(SendMessageA(program_.Child(other), BM_GETCHECK, 0, 0), BST_UNCHECKED) << other;
  // The tab stop follows the choice.
  EXPECT_NE(StyleOf(first) & WS_TABSTOP, 0u);
  EXPECT_EQ(StyleOf(third) & WS_TABSTOP, 0u);
}

TEST_F(OutsideTest, ExitButtonEndsTheProgramWithExitCodeZero) {
  const HWND exitButton = program_.Child("BitBtn4");
  ASSERT_NE(exitButton, nullptr);
  ClickMiddleOf(exitButton);
  EXPECT_EQ(program_.ExitCode(), 0);
}

}  // namespace
}  // namespace sx::testing
