// A second process aimed at another's windows: sends and posts every message of the
// framework's own range, with arbitrary parameters and with the object pointers the windows
// give away, to every window of the process whose id it is given.
//   sx_own_message_sender PROCESS_ID
// Prints how many windows it reached; exit code 0 when it reached some and every send was
// answered, 1 otherwise, 2 on a wrong call.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Search {
  DWORD process;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM search) {
  reinterpret_cast<Search*>(search)->windows.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectTop(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search->process) return TRUE;
  search->windows.push_back(window);
  EnumChildWindows(window, &CollectChild, lParam);
  return TRUE;
}

// The window's object pointer as the framework answers it to anyone who asks with the
// message registered under the window's module and thread.
LPARAM ObjectOf(HWND window) {
  DWORD thread = GetWindowThreadProcessId(window, nullptr);
  const auto instance = static_cast<unsigned long>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
  char name[64];
  std::snprintf(name, sizeof name, "ControlOfs%.8lX%.8lX", instance,
                static_cast<unsigned long>(thread));
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(window, RegisterWindowMessageA(name), 0, 0, SMTO_ABORTIFHUNG, 2000, &answer);
  return static_cast<LPARAM>(answer);
}

// The framework's notifications and the window-system messages it reflects to its controls.
std::vector<UINT> OwnMessages() {
  std::vector<UINT> messages;
  for (UINT msg = 0xB000; msg <= 0xB045; ++msg)
    messages.push_back(msg);
  for (UINT reflected :
       {WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM, WM_HSCROLL, WM_VSCROLL, WM_CONTEXTMENU})
    messages.push_back(0xBC00 + reflected);
  for (UINT reflected = WM_CTLCOLORMSGBOX; reflected <= WM_CTLCOLORSTATIC; ++reflected)
    messages.push_back(0xBC00 + reflected);
  for (UINT reflected = 0x0100; reflected <= 0x0108; ++reflected)
    messages.push_back(0xBC00 + reflected);
  return messages;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  Search search{static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)), {}};
  EnumWindows(&CollectTop, reinterpret_cast<LPARAM>(&search));
  // Windows without a place on the screen (the timer's) are found only this way.
  for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
       window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr)) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search.process) search.windows.push_back(window);
  }

  bool answered = true;
  for (HWND window : search.windows) {
    const LPARAM object = ObjectOf(window);
    const std::pair<WPARAM, LPARAM> parameters[] = {
        {0, 0},
        {1, 1},
        {static_cast<WPARAM>(-1), -1},
        {0x00400000, 0x00400000},
        {static_cast<WPARAM>(object), object},
        {static_cast<WPARAM>(object), 1},
        {1, object},
    };
    for (UINT msg : OwnMessages()) {
      for (auto [wParam, lParam] : parameters) {
        DWORD_PTR ignored = 0;
        if (!SendMessageTimeoutA(window, msg, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &ignored) &&
            IsWindow(window))
          answered = false;
        PostMessageA(window, msg, wParam, lParam);
      }
    }
  }
  std::printf("%u windows\n", static_cast<unsigned>(search.windows.size()));
  return !search.windows.empty() && answered ? 0 : 1;
}
