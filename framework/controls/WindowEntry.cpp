#include "framework/controls/WindowEntry.h"

#include <unordered_map>
#include <utility>

#include "framework/controls/ExceptionBoundary.h"
#include "framework/controls/OwnMessages.h"
#include "framework/controls/SlimLock.h"

namespace sx {
namespace {

// A window bound to an entry, and the class the window had then: a handle handed to a
// window of another class belongs to a window made since.
struct Binding {
  WindowEntry* entry;
  ATOM windowClass;
};

// Window to entry. Windows are bound on the thread that owns them, but a window may be
// unbound from another one (at shutdown), so the table has a lock; lookups share it.
struct Bindings {
  SlimLock lock;
  std::unordered_map<HWND, Binding> entries;
};

Bindings& TheBindings() {
  // Never freed: windows are still unbound during the last finalisations of the process,
  // after the destructors of ordinary statics may have run.
  static Bindings* bindings = new Bindings;
  return *bindings;
}

ATOM ClassOf(HWND window) {
  return static_cast<ATOM>(GetClassWord(window, GCW_ATOM));
}

// The entry whose window is being made, and that window's class. A window's first message
// comes on the thread that makes it, so each thread has a slot of its own and none needs a
// lock.
struct Awaited {
  WindowEntry* entry = nullptr;
  const char* className = nullptr;
};
thread_local Awaited t_awaited;

// Whether the message is the first one of the window being made: WM_NCCREATE, or
// WM_GETMINMAXINFO, which a window with a sizing frame gets before it. A window bound
// already is made anew only when it gets WM_NCCREATE: its handle was given to a new window
// while the old one's last message never reached us.
bool ClaimsTheSlot(HWND window, UINT msg, bool bound) {
  const Awaited& awaited = t_awaited;
  if (!awaited.entry) return false;
  if (msg != WM_NCCREATE && (bound || msg != WM_GETMINMAXINFO)) return false;
  if (!awaited.className) return true;
  char name[256];
  return GetClassNameA(window, name, sizeof name) > 0 && lstrcmpiA(name, awaited.className) == 0;
}

}  // namespace

WindowEntry::~WindowEntry() {
  Bindings& bindings = TheBindings();
  const auto held = bindings.lock.Exclusive();
  std::erase_if(bindings.entries, [this](const auto& bound) { return bound.second.entry == this; });
}

void WindowEntry::AwaitWindow(WindowEntry* entry, const char* className) {
  t_awaited = Awaited{entry, entry ? className : nullptr};
}

WNDPROC WindowEntry::Bind(HWND window) {
  Attach(window);
  return reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowEntry::Procedure)));
}

void WindowEntry::Attach(HWND window) {
  const Binding binding{this, ClassOf(window)};
  Bindings& bindings = TheBindings();
  const auto held = bindings.lock.Exclusive();
  bindings.entries[window] = binding;
}

void WindowEntry::Unbind(HWND window) {
  Bindings& bindings = TheBindings();
  const auto held = bindings.lock.Exclusive();
  bindings.entries.erase(window);
}

WindowEntry* WindowEntry::Of(HWND window) {
  if (!window) return nullptr;
  Bindings& bindings = TheBindings();
  const Binding binding = [&bindings, window] {
    const auto held = bindings.lock.Shared();
    const auto found = bindings.entries.find(window);
    return found == bindings.entries.end() ? Binding{} : found->second;
  }();
  if (!binding.entry) return nullptr;
  // Both questions are answered inside the process for its own windows (seen on Wine 8.0);
  // only a gone window costs a round trip to the server, once.
  if (IsWindow(window) && ClassOf(window) == binding.windowClass) return binding.entry;
  const auto held = bindings.lock.Exclusive();
  if (const auto stale = bindings.entries.find(window);
      stale != bindings.entries.end() && stale->second.entry == binding.entry)
    bindings.entries.erase(stale);
  return nullptr;
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
  if (ClaimsTheSlot(window, msg, entry != nullptr)) {
    // The window's first message: the class procedure is already this one, so binding it
    // needs no change of procedure.
    entry = std::exchange(t_awaited, Awaited{}).entry;
    entry->Attach(window);
    // Handing the window over is part of handling its first message, inside the guard.
    if (entry->adopt_) RunReported(entry->adopt_.Method().data, [&] { entry->adopt_(window); });
  }
  if (!entry || !entry->handler_) {
    if (msg == WM_NCDESTROY) Unbind(window);
    return DefWindowProcA(window, msg, wParam, lParam);
  }
  // The handler may destroy the entry's owner; nothing of the entry is touched afterwards.
  const Handler handler = entry->handler_;
  TMessage message{msg, wParam, lParam, 0};
  RunReported(handler.Method().data, [&] { handler(message); });
  // The handle is dead after its last message and may be given to another window.
  if (msg == WM_NCDESTROY) Unbind(window);
  return message.Result;
}

}  // namespace sx
