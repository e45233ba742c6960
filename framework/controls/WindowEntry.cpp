#include "framework/controls/WindowEntry.h"

#include <cstdio>

#include "framework/controls/ExceptionBoundary.h"

namespace sx {
namespace {

// A global atom outlives the process unless it is deleted: made on the first binding,
// deleted by ReleaseAtom.
ATOM g_atom = 0;

ATOM EntryAtom() {
  if (!g_atom) {
    char name[32];
    std::snprintf(name, sizeof name, "WindowEntry%.8lX", GetCurrentProcessId());
    g_atom = GlobalAddAtomA(name);
  }
  return g_atom;
}

}  // namespace

WNDPROC WindowEntry::Bind(HWND window) {
  SetPropA(window, MAKEINTATOM(EntryAtom()), this);
  return reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowEntry::Procedure)));
}

void WindowEntry::Unbind(HWND window) {
  if (g_atom) RemovePropA(window, MAKEINTATOM(g_atom));
}

WindowEntry* WindowEntry::Of(HWND window) {
  if (!g_atom) return nullptr;
  return static_cast<WindowEntry*>(GetPropA(window, MAKEINTATOM(g_atom)));
}

void WindowEntry::ReleaseAtom() {
  if (g_atom) GlobalDeleteAtom(g_atom);
  g_atom = 0;
}

LRESULT CALLBACK WindowEntry::Procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  WindowEntry* entry = Of(window);
  if (!entry || !entry->handler_) return DefWindowProcA(window, msg, wParam, lParam);
  // The handler may destroy the entry's owner; nothing of the entry is touched afterwards.
  const Handler handler = entry->handler_;
  TMessage message{msg, wParam, lParam, 0};
  try {
    handler(message);
  } catch (...) {
    ReportCurrentException(handler.Method().data);
  }
  return message.Result;
}

}  // namespace sx
