#include "tests/app/mainwindow/OutsideProgram.h"

#include <algorithm>

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

struct TopWindowWalk {
  DWORD process;
  std::string className;
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopWindow(HWND window, LPARAM data) {
  auto& walk = *reinterpret_cast<TopWindowWalk*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != walk.process || ClassOf(window) != walk.className) return TRUE;
  if (walk.visibleOnly && !IsWindowVisible(window)) return TRUE;
  walk.found.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM data) {
  reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
  return TRUE;
}

}  // namespace

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

Program::Program() {
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

Program::~Program() {
  if (!started_) return;
  if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
    PostMessageA(TopWindow("TApplication"), WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info_.hProcess, 10000) == WAIT_TIMEOUT)
      TerminateProcess(info_.hProcess, 99);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool Program::Ended() const {
  return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0;
}

HWND Program::TopWindow(const std::string& className) const {
  TopWindowWalk walk{info_.dwProcessId, className, false, {}};
  EnumWindows(&CollectTopWindow, reinterpret_cast<LPARAM>(&walk));
  return walk.found.empty() ? nullptr : walk.found.front();
}

std::vector<HWND> Program::TopWindows(const std::string& className) const {
  TopWindowWalk walk{info_.dwProcessId, className, true, {}};
  EnumWindows(&CollectTopWindow, reinterpret_cast<LPARAM>(&walk));
  return walk.found;
}

std::vector<HWND> Program::Children() const {
  std::vector<HWND> children;
  EnumChildWindows(main_, &CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

HWND Program::Child(const ControlRow& row) const {
  for (HWND child : Children()) {
    const RECT rect = RectInParent(child);
    if (ClassOf(child) == row.className && rect.left == row.left && rect.top == row.top)
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
    if (ClassOf(child) == className && TextOf(child) == text) return child;
  return nullptr;
}

long Program::ExitCode(DWORD milliseconds) const {
  if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return static_cast<long>(code);
}

void OutsideTest::SetUp() {
  ASSERT_TRUE(program_.Started()) << ProgramPath();
  ASSERT_NE(program_.MainWindow(), nullptr) << "the main window did not appear";
}

}  // namespace sx::testing
