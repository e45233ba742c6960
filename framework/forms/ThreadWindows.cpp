// Disabling and enabling the thread's windows around modal steps, and the first window of the
// thread that can take the activation.

#include "framework/forms/ThreadWindows.h"

#include <exception>

#include "framework/forms/Application.h"

namespace sx {

namespace {

struct DisableWalk {
  HWND except;
  TWindowList list;
  std::exception_ptr error;
};

BOOL CALLBACK DisableOne(HWND window, LPARAM data) {
  auto& walk = *reinterpret_cast<DisableWalk*>(data);
  if (window == walk.except || !IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
  // Nothing may be thrown back through the system's enumeration.
  try {
    walk.list.windows.push_back(window);
  } catch (...) {
    walk.error = std::current_exception();
    return FALSE;
  }
  EnableWindow(window, FALSE);
  return TRUE;
}

struct FirstWindowWalk {
  HWND except;
  HWND application;
  HWND first;
  HWND firstTopMost;
};

BOOL CALLBACK ConsiderWindow(HWND window, LPARAM data) {
  auto& walk = *reinterpret_cast<FirstWindowWalk*>(data);
  if (window == walk.except || window == walk.application || !IsWindowVisible(window) ||
      !IsWindowEnabled(window))
    return TRUE;
  if (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) {
    if (!walk.firstTopMost) walk.firstTopMost = window;
    return TRUE;
  }
  walk.first = window;
  return FALSE;
}

}  // namespace

TWindowList DisableThreadWindows(HWND except) {
  DisableWalk walk{except, {}, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &DisableOne, reinterpret_cast<LPARAM>(&walk));
  if (walk.error) {
    ReenableWindows(walk.list);
    std::rethrow_exception(walk.error);
  }
  return std::move(walk.list);
}

void ReenableWindows(TWindowList& list) {
  for (HWND window : list.windows)
    if (IsWindow(window)) EnableWindow(window, TRUE);
  list.windows.clear();
}

HWND FindFirstThreadWindow(HWND except) {
  FirstWindowWalk walk{except, Application ? Application->Handle() : nullptr, nullptr, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &ConsiderWindow, reinterpret_cast<LPARAM>(&walk));
  return walk.first ? walk.first : walk.firstTopMost;
}

}  // namespace sx
