#include "app/ShellTaskbar.h"

#include "framework/runtime/SystemLibrary.h"

bool ShellTaskbar::BindLibrary() {
  if (createInstance_) return true;
  // Loaded once and kept: the interface's code lives in libraries this one brings in.
  if (!library_) library_ = sx::LoadSystemLibrary("ole32.dll");
  if (!library_) return false;
  initialize_ = sx::FindProc<CoInitializeExProc>(library_, "CoInitializeEx");
  uninitialize_ = sx::FindProc<CoUninitializeProc>(library_, "CoUninitialize");
  createInstance_ = sx::FindProc<CoCreateInstanceProc>(library_, "CoCreateInstance");
  if (initialize_ && uninitialize_ && createInstance_) return true;
  createInstance_ = nullptr;
  return false;
}

ITaskbarList3* ShellTaskbar::Get() {
  if (list_ || failed_) return list_;
  failed_ = true;
  if (!BindLibrary()) return nullptr;
  if (!entered_) {
    // The user-interface thread's apartment. When the thread is already in another kind of
    // apartment the object can still be made there, and there is nothing to leave.
    entered_ = SUCCEEDED(initialize_(nullptr, COINIT_APARTMENTTHREADED));
  }
  void* object = nullptr;
  if (FAILED(createInstance_(__uuidof(TaskbarList), nullptr, CLSCTX_INPROC_SERVER,
                             __uuidof(ITaskbarList3), &object)) ||
      !object)
    return nullptr;
  auto* list = static_cast<ITaskbarList3*>(object);
  if (FAILED(list->HrInit())) {
    list->Release();
    return nullptr;
  }
  list_ = list;
  failed_ = false;
  return list_;
}

void ShellTaskbar::Release() {
  if (list_) list_->Release();
  list_ = nullptr;
  failed_ = false;
  if (entered_) uninitialize_();
  entered_ = false;
}
