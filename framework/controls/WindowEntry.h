#pragma once

// The one place where the window system calls into the framework's objects, and the
// process's own record of which window leads to which entry.

#include <windows.h>

#include "framework/controls/Messages.h"

namespace sx {

// A window bound to an entry has the entry's procedure as its window procedure; every
// message is turned into a TMessage and handed to the entry's handler (a method of the
// object that owns the window). The procedure guards the handler, so that no exception ever
// crosses back into the system.
//
// The bindings are kept in the process's own memory, not on the window: finding the entry
// costs no call to the window system, which matters because it happens for every message
// (every window property read is a round trip to the server, seen on Wine 8.0).
class WindowEntry {
 public:
  using Handler = Event<TMessage&>;

  WindowEntry() = default;
  explicit WindowEntry(Handler handler) : handler_(handler) {}
  // Forgets every window still bound to the entry, so that none leads to it once it is gone.
  ~WindowEntry();
  WindowEntry(const WindowEntry&) = delete;
  WindowEntry& operator=(const WindowEntry&) = delete;

  // Called with a window made of a class whose procedure is Procedure, when its first
  // message binds it to this entry, before that message is handled.
  using AdoptHandler = Event<HWND>;

  void SetHandler(Handler handler) { handler_ = handler; }
  const Handler& GetHandler() const { return handler_; }
  void SetAdoptHandler(AdoptHandler adopt) { adopt_ = adopt; }

  // Binds the window to this entry and makes the entry's procedure its window procedure;
  // returns the procedure it had.
  WNDPROC Bind(HWND window);
  // The creation slot: the window of the class named that is being made is bound to this
  // entry at its first message (no entry: the slot is emptied). Only that message claims the
  // slot: a window's first message is WM_GETMINMAXINFO or WM_NCCREATE, and no other window
  // reaching Procedure meanwhile takes the entry. A window of such a class made while the
  // slot is empty gets the default procedure's answers.
  static void AwaitWindow(WindowEntry* entry, const char* className = nullptr);
  // Forgets the binding (the window keeps the entry's procedure, which then passes every
  // message to DefWindowProc). The procedure forgets it by itself after WM_NCDESTROY.
  static void Unbind(HWND window);

  // The entry bound to a window of this process, if any. A binding whose window is gone is
  // forgotten here, even when the last message never reached the entry's procedure (another
  // subclasser may swallow it); a window given the same handle later, of another class, never
  // finds it, and one of ours is bound anew by its first message.
  static WindowEntry* Of(HWND window);
  // The object the window's messages are handed to, if the window is bound.
  static TObject* ObjectOf(HWND window);

  static LRESULT CALLBACK Procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  void Attach(HWND window);

  Handler handler_;
  AdoptHandler adopt_;
};

}  // namespace sx
