#include "tests/support/FrameworkTestSupport.h"

#include <cstring>

#include "framework/forms/CustomForm.h"
#include "framework/runtime/TextUtil.h"

namespace sx::testing {
namespace {

int WINAPI RecordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
  bool mainEnabled = false;
  if (Application && Application->MainForm() && Application->MainForm()->HandleAllocated())
    mainEnabled = IsWindowEnabled(Application->MainForm()->Handle()) != FALSE;
  RecordedBoxes().push_back({owner, text ? text : "", caption ? caption : "", flags, mainEnabled});
  return IDOK;
}

// The key data of a key message: one repeat, the key's scan code, and for a release the
// previous-state and transition bits.
LPARAM KeyData(WPARAM key, bool release) {
  const auto scanCode = MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
  return static_cast<LPARAM>(1u | (scanCode << 16) | (release ? 0xC0000000u : 0u));
}

}  // namespace

std::optional<std::span<const std::uint8_t>> DefinitionServices::FindRcData(ModuleId module,
                                                                            std::string_view name) {
  if (const auto found = definitions_.find(AsciiUpperCase(name)); found != definitions_.end())
    return std::span<const std::uint8_t>(found->second);
  return Win32SystemServices::FindRcData(module, name);
}

void DefinitionServices::Add(std::string_view className, std::vector<std::uint8_t> bytes) {
  definitions_[AsciiUpperCase(className)] = std::move(bytes);
}

MessageBoxProc RecordMessageBoxes() {
  return SetMessageBoxProc(&RecordBox);
}

std::vector<RecordedBox>& RecordedBoxes() {
  static std::vector<RecordedBox> boxes;
  return boxes;
}

void DrainQueue() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void PumpMessages() {
  while (Application->ProcessOneMessage()) {
  }
}

HeldKeys::HeldKeys(std::initializer_list<int> keys) {
  GetKeyboardState(saved_);
  BYTE state[256];
  std::memcpy(state, saved_, sizeof state);
  for (int key : keys)
    state[key] = 0x80;
  SetKeyboardState(state);
}

HeldKeys::~HeldKeys() {
  SetKeyboardState(saved_);
}

void PostKey(HWND window, WPARAM key) {
  PostMessageA(window, WM_KEYDOWN, key, KeyData(key, false));
  PostMessageA(window, WM_KEYUP, key, KeyData(key, true));
}

void SendKey(HWND window, WPARAM key) {
  SendMessageA(window, WM_KEYDOWN, key, KeyData(key, false));
  SendMessageA(window, WM_KEYUP, key, KeyData(key, true));
}

}  // namespace sx::testing
