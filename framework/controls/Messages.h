#pragma once

// Window messages as the framework handles them: the message record, the framework's own
// notification numbers, and per-class message handler tables that inherit and override.

#include <windows.h>

#include <span>

#include "framework/streaming/Reflection.h"

namespace sx {

class TObject;

// The record every message handler receives.
struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

// Internal notifications, above the window system's own messages.
enum : UINT {
  FWM_ACTIVATE = 0xB000,
  FWM_DEACTIVATE = 0xB001,
  FWM_DIALOGKEY = 0xB005,
  FWM_DIALOGCHAR = 0xB006,
  FWM_FOCUSCHANGED = 0xB007,
  FWM_PARENTFONTCHANGED = 0xB008,
  FWM_PARENTCOLORCHANGED = 0xB009,
  FWM_VISIBLECHANGED = 0xB00B,
  FWM_ENABLEDCHANGED = 0xB00C,
  FWM_COLORCHANGED = 0xB00D,
  FWM_FONTCHANGED = 0xB00E,
  FWM_FOCUSARRIVED = 0xB00F,  // the form put the focus on this control, and it arrived
  FWM_CTL3DCHANGED = 0xB010,
  FWM_PARENTCTL3DCHANGED = 0xB011,
  FWM_TEXTCHANGED = 0xB012,
  FWM_MOUSEENTER = 0xB013,
  FWM_MOUSELEAVE = 0xB014,
  FWM_APPKEYDOWN = 0xB016,
  FWM_APPSYSCOMMAND = 0xB017,
  FWM_SHOWINGCHANGED = 0xB019,
  FWM_ENTER = 0xB01A,
  FWM_EXIT = 0xB01B,
  FWM_ICONCHANGED = 0xB01D,
  FWM_RELEASE = 0xB021,
  FWM_PARENTSHOWHINTCHANGED = 0xB023,
  FWM_SYSCOLORCHANGED = 0xB024,
  FWM_SETTINGSCHANGED = 0xB025,
  FWM_TABSTOPCHANGED = 0xB028,
  FWM_CONTROLLISTCHANGING = 0xB02C,
  FWM_SYSFONTCHANGED = 0xB035,
  FWM_CONTROLLISTCHANGED = 0xB036,
  FWM_BORDERCHANGED = 0xB03B,
  FWM_PARENTBIDICHANGED = 0xB03D,
  // Numbers of our own choosing for notifications that need no fixed number.
  FWM_CHANGED = 0xB040,   // a control's value changed; passed up the parent chain
  FWM_CHILDKEY = 0xB041,  // the parent form may claim a child's key message first
};

// The keyboard messages the framework routes, WM_KEYDOWN through WM_SYSDEADCHAR. Newer
// system headers end WM_KEYFIRST..WM_KEYLAST at WM_UNICHAR instead, which is no key.
constexpr UINT kFirstKeyMessage = 0x0100;
constexpr UINT kLastKeyMessage = 0x0108;

// A window-system message re-sent by a parent to the child it concerns.
constexpr UINT FWM_REFLECT = 0xBC00;
enum : UINT {
  FWM_COMMAND = FWM_REFLECT + WM_COMMAND,          // 0xBD11
  FWM_NOTIFY = FWM_REFLECT + WM_NOTIFY,            // 0xBC4E
  FWM_DRAWITEM = FWM_REFLECT + WM_DRAWITEM,        // 0xBC2B
  FWM_MEASUREITEM = FWM_REFLECT + WM_MEASUREITEM,  // 0xBC2C
  FWM_HSCROLL = FWM_REFLECT + WM_HSCROLL,
  FWM_VSCROLL = FWM_REFLECT + WM_VSCROLL,
  FWM_CTLCOLORMSGBOX = FWM_REFLECT + WM_CTLCOLORMSGBOX,
  FWM_CTLCOLORSTATIC = FWM_REFLECT + WM_CTLCOLORSTATIC,
  FWM_KEYDOWN = FWM_REFLECT + kFirstKeyMessage,
  FWM_KEYLAST = FWM_REFLECT + kLastKeyMessage,
};

// --- Message handler tables ----------------------------------------------------------------
//
// Each class that handles messages declares SX_MESSAGES() and, privately,
// `static const MessageEntry kMessageEntries[];`, and defines its table beside its code,
// chained to its parent class's table:
//
//   constinit const MessageEntry TButton::kMessageEntries[] = {
//       On<&TButton::FWMCommand>(FWM_COMMAND),
//   };
//   constinit const MessageTable TButton::Messages{&TButtonControl::Messages,
//                                                  {kMessageEntries, std::size(kMessageEntries)}};
//
// A handler is named after the message it handles (WM_LBUTTONDOWN: WMLButtonDown,
// FWM_TEXTCHANGED: FWMTextChanged; one handler for a family of messages is named for the
// family, and a family of consecutive messages takes one entry: On<&H>(first, last)); `On`
// names events only. Handlers are protected, or private where no derived class
// needs them, and not virtual: a derived class's handler of the same message hides its
// base's. A message goes to the first handler found from the most derived class upward; a
// handler continues with its ancestors' handling through Inherited<Class>(message).

struct MessageEntry {
  UINT first;
  UINT last;  // the same as first for a single message
  void (*handler)(TObject& self, TMessage& message);
};

struct MessageTable {
  const MessageTable* parent;
  std::span<const MessageEntry> entries;
};

template <auto Handler>
constexpr MessageEntry On(UINT first, UINT last) {
  using C = typename detail::MemberOf<decltype(Handler)>::Class;
  return MessageEntry{first, last, [](TObject& self, TMessage& message) {
                        (static_cast<C&>(self).*Handler)(message);
                      }};
}
template <auto Handler>
constexpr MessageEntry On(UINT msg) {
  return On<Handler>(msg, msg);
}

// Runs the first handler for the message from `table` up its parents; false when none.
bool DispatchFromTable(TObject& self, const MessageTable* table, TMessage& message);

}  // namespace sx

// Declares a class's message table. Leaves the class body in its public section.
#define SX_MESSAGES()                                         \
 public:                                                      \
  static const ::sx::MessageTable Messages;                   \
  const ::sx::MessageTable& MessageTableOf() const override { \
    return Messages;                                          \
  }
