#include "framework/controls/WindowEntry.h"

#include <unordered_map>

#include "framework/controls/ExceptionBoundary.h"
#include "framework/controls/OwnMessages.h"

namespace sx {
namespace {

// Window to entry. Windows are bound on the thread that owns them, but a window may be
// unbound from another one (at shutdown), so the table has a lock; lookups share it.
struct Bindings {
  SRWLOCK lock = SRWLOCK_INIT;
  std::unordered_map<HWND, WindowEntry*> entries;
};

Bindings& TheBindings() {
  // Never freed: windows are still unbound during the last finalisations of the process,
  // after the destructors of ordinary statics may have run.
  static Bindings* bindings = new Bindings;
  return *bindings;
}

// The entry whose window is being made. A window's first message comes on the thread that
// makes it, so each thread has a slot of its own and none needs a lock.
thread_local WindowEntry* t_awaiting = nullptr;

}  // namespace

void WindowEntry::AwaitWindow(WindowEntry* entry) {
  t_awaiting = entry;
}

WNDPROC WindowEntry::Bind(HWND window) {
  Attach(window);
  return reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowEntry::Procedure)));
}

void WindowEntry::Attach(HWND window) {
  Bindings& bindings = TheBindings();
  AcquireSRWLockExclusive(&bindings.lock);
  bindings.entries[window] = this;
  ReleaseSRWLockExclusive(&bindings.lock);
}

void WindowEntry::Unbind(HWND window) {
  Bindings& bindings = TheBindings();
  AcquireSRWLockExclusive(&bindings.lock);
  bindings.entries.erase(window);
  ReleaseSRWLockExclusive(&bindings.lock);
}

WindowEntry* WindowEntry::Of(HWND window) {
  if (!window) return nullptr;
  Bindings& bindings = TheBindings();
  AcquireSRWLockShared(&bindings.lock);
  const auto found = bindings.entries.find(window);
  WindowEntry* entry = found == bindings.entries.end() ? nullptr : found->second;
  ReleaseSRWLockShared(&bindings.lock);
  return entry;
}

TObject* WindowEntry::ObjectOf(HWND window) {
  const WindowEntry* entry = Of(window);
  return entry ? entry->handler_.Method().data : nullptr;
}

LRESULT CALLBACK WindowEntry::Procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  // Any process may send or post to our windows; the framework's own messages (pointers,
  // state changes) count only when the framework itself sent or posted them.
  if (IsOwnMessage(msg) && !CameFromWithin(window, msg, wParam, lParam)) return 0;
  WindowEntry* entry = Of(window);
  if (!entry && t_awaiting) {
    // The window's first message: the class procedure is already this one, so binding it
    // needs no change of procedure.
    entry = t_awaiting;
    t_awaiting = nullptr;
    entry->Attach(window);
    // Handing the window over is part of handling its first message, inside the guard.
    try {
      if (entry->adopt_) entry->adopt_(window);
    } catch (...) {
      ReportCurrentException(entry->adopt_.Method().data);
    }
  }
  if (!entry || !entry->handler_) {
    if (msg == WM_NCDESTROY) Unbind(window);
    return DefWindowProcA(window, msg, wParam, lParam);
  }
  // The handler may destroy the entry's owner; nothing of the entry is touched afterwards.
  const Handler handler = entry->handler_;
  TMessage message{msg, wParam, lParam, 0};
  try {
    handler(message);
  } catch (...) {
    ReportCurrentException(handler.Method().data);
  }
  // The handle is dead after its last message and may be given to another window.
  if (msg == WM_NCDESTROY) Unbind(window);
  return message.Result;
}

}  // namespace sx
