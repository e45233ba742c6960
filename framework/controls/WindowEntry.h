#pragma once

#include <windows.h>

#include "framework/controls/Messages.h"

namespace sx {

// The one place where the window system calls into the framework's objects. A window bound
// to an entry has the entry's procedure as its window procedure; every message is turned
// into a TMessage and handed to the entry's handler (a method of the object that owns the
// window). Handlers guard themselves; the procedure guards once more, so that no exception
// ever crosses back into the system.
class WindowEntry {
 public:
  using Handler = Event<TMessage&>;

  WindowEntry() = default;
  explicit WindowEntry(Handler handler) : handler_(handler) {}
  WindowEntry(const WindowEntry&) = delete;
  WindowEntry& operator=(const WindowEntry&) = delete;

  void SetHandler(Handler handler) { handler_ = handler; }
  const Handler& GetHandler() const { return handler_; }

  // Binds the window to this entry and makes the entry's procedure its window procedure;
  // returns the procedure it had.
  WNDPROC Bind(HWND window);
  // Forgets the binding (the window keeps the entry's procedure, which then passes every
  // message to DefWindowProc).
  static void Unbind(HWND window);

  // The entry bound to a window, if any.
  static WindowEntry* Of(HWND window);
  // Deletes the atom the bindings are kept under. Call it once no bound window is left; a
  // later binding makes it again.
  static void ReleaseAtom();

  static LRESULT CALLBACK Procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  Handler handler_;
};

}  // namespace sx
