#include "tests/app/mainwindow/OutsideProgram.h"

namespace sx::testing {
namespace {

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

void Key(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

BOOL CALLBACK CollectChild(HWND window, LPARAM data) {
  reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
  return TRUE;
}

}  // namespace

std::string ProgramPath() {
  return BesideTestProgram(SX_PROGRAM_RELATIVE_PATH);
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                           5000, &length))
    return L"<no answer>";
  return text;
}

// --- Real input -------------------------------------------------------------------------------

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

void ClickUpArrow(HWND spin) {
  RECT client{};
  GetClientRect(spin, &client);
  ClickAt(spin, POINT{client.right / 2, client.bottom / 4});
}

void PressKey(WORD key, WORD modifier) {
  if (modifier) Key(modifier, false);
  Sleep(20);
  Key(key, false);
  Sleep(20);
  Key(key, true);
  Sleep(20);
  if (modifier) Key(modifier, true);
  Sleep(60);
}

// --- The program ------------------------------------------------------------------------------

Program::Program() : process_(ProgramPath()) {
  if (!process_.Started()) return;
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

std::vector<HWND> Program::Children() const {
  std::vector<HWND> children;
  EnumChildWindows(main_, &CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

HWND Program::Child(const ControlRow& row) const {
  for (HWND child : Children()) {
    const RECT rect = RectInParent(child);
    if (WindowClass(child) == row.className && rect.left == row.left && rect.top == row.top)
      return child;
  }
  return nullptr;
}

HWND Program::Child(std::string_view name) const {
  for (const ControlRow& row : StoredControls())
    if (row.name == name) return Child(row);
  return nullptr;
}

HWND Program::ChildWithText(std::string_view className, std::string_view utf8) const {
  const std::wstring text = Utf16(utf8);
  for (HWND child : Children())
    if (WindowClass(child) == className && TextOf(child) == text) return child;
  return nullptr;
}

void OutsideTest::SetUp() {
  ASSERT_TRUE(program_.Started()) << ProgramPath();
  ASSERT_NE(program_.MainWindow(), nullptr) << "the main window did not appear";
}

}  // namespace sx::testing
