#pragma once

// The shell's taskbar interface, made when it is first needed rather than at the program's
// start: loading the COM library, entering an apartment and creating the object all cost
// time that a program that never counts down should not pay.

#include <windows.h>

#include <shobjidl.h>

class ShellTaskbar {
 public:
  ShellTaskbar() = default;
  ~ShellTaskbar() { Release(); }
  ShellTaskbar(const ShellTaskbar&) = delete;
  ShellTaskbar& operator=(const ShellTaskbar&) = delete;

  // The interface, made at the first call after construction or Release; nullptr where the
  // system has none (before Windows 7) or cannot make it. A failure is not tried again until
  // Release, so that a countdown does not ask the system each second.
  ITaskbarList3* Get();
  // Lets the interface go and leaves the apartment entered for it. Call on the thread that
  // called Get.
  void Release();

 private:
  using CoInitializeExProc = HRESULT(WINAPI*)(LPVOID, DWORD);
  using CoUninitializeProc = void(WINAPI*)();
  using CoCreateInstanceProc = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);

  // Finds the library's three functions; false when any is missing.
  bool BindLibrary();

  HMODULE library_ = nullptr;
  CoInitializeExProc initialize_ = nullptr;
  CoUninitializeProc uninitialize_ = nullptr;
  CoCreateInstanceProc createInstance_ = nullptr;
  // The apartment was entered here and is owed one leave.
  bool entered_ = false;
  bool failed_ = false;
  ITaskbarList3* list_ = nullptr;
};
