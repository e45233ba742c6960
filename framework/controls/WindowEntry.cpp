#include "framework/controls/WindowEntry.h"

#include <cstdio>

#include "framework/controls/ExceptionBoundary.h"

namespace sx {
namespace {

ATOM EntryAtom() {
  static const ATOM atom = [] {
    char name[32];
    std::snprintf(name, sizeof name, "WindowEntry%.8lX", GetCurrentProcessId());
    return GlobalAddAtomA(name);
  }();
  return atom;
}

}  // namespace

WNDPROC WindowEntry::Bind(HWND window) {
  SetPropA(window, MAKEINTATOM(EntryAtom()), this);
  return reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowEntry::Procedure)));
}

void WindowEntry::Unbind(HWND window) {
  RemovePropA(window, MAKEINTATOM(EntryAtom()));
}

WindowEntry* WindowEntry::Of(HWND window) {
  return static_cast<WindowEntry*>(GetPropA(window, MAKEINTATOM(EntryAtom())));
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
