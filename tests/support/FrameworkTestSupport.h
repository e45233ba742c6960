#pragma once

// What the in-process Windows tests of forms and of the program share: system services that
// serve stored definitions of the tests' own, message boxes recorded instead of shown, the
// message loop run by hand, and keys as the keyboard gives them.

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "framework/forms/Application.h"
#include "framework/runtime/Win32SystemServices.h"

namespace sx::testing {

// The Win32 services, with stored definitions of the tests' own served first.
class DefinitionServices : public Win32SystemServices {
 public:
  std::optional<std::span<const std::uint8_t>> FindRcData(ModuleId module,
                                                          std::string_view name) override;
  // Serves the bytes as the stored definition of the class of that name.
  void Add(std::string_view className, std::vector<std::uint8_t> bytes);
  void Clear() { definitions_.clear(); }

 private:
  std::map<std::string, std::vector<std::uint8_t>> definitions_;  // by upper-case name
};

// A message box the framework asked for.
struct RecordedBox {
  HWND owner;
  std::string text;
  std::string caption;
  UINT flags;
  // The main form's enabled state while the box was up.
  bool mainFormEnabled;
};

// Has every message box recorded instead of shown (the box answers OK); the procedure that
// was in place is returned.
MessageBoxProc RecordMessageBoxes();
std::vector<RecordedBox>& RecordedBoxes();

// Dispatches what the thread's queue holds, dropping a quit message, without the application:
// what one test leaves behind must not reach the next.
void DrainQueue();
// Handles every message waiting, the way the application's loop does, without waiting.
void PumpMessages();
// Pumps until the condition holds, for at most the given time; whether it came to hold.
template <class Condition>
bool PumpUntil(Condition condition, DWORD milliseconds = 2000) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > milliseconds) return false;
    PumpMessages();
    Sleep(1);
  }
  return true;
}

// Holds the keys down in the thread's keyboard state, as GetKeyState reports them to the key
// handling, and puts the state back when it goes.
class HeldKeys {
 public:
  explicit HeldKeys(std::initializer_list<int> keys);
  ~HeldKeys();
  HeldKeys(const HeldKeys&) = delete;
  HeldKeys& operator=(const HeldKeys&) = delete;

 private:
  BYTE saved_[256];
};

// A key pressed and released on the window: posted, it goes through the application's loop
// as a key from the keyboard does; sent, it reaches the window's procedure directly.
void PostKey(HWND window, WPARAM key);
void SendKey(HWND window, WPARAM key);

}  // namespace sx::testing
