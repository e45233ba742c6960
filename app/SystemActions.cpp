#include "app/SystemActions.h"

#include "app/ShellTaskbar.h"
#include "framework/forms/MessageDialog.h"
#include "framework/runtime/SystemLibrary.h"

namespace {

// The system itself.
class Win32SystemCalls final : public SystemActionCalls {
 public:
  HANDLE GetCurrentProcess() override { return ::GetCurrentProcess(); }
  BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, HANDLE* token) override {
    return ::OpenProcessToken(process, desiredAccess, token);
  }
  BOOL LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, LUID* luid) override {
    return ::LookupPrivilegeValueA(systemName, name, luid);
  }
  BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAllPrivileges, TOKEN_PRIVILEGES* newState,
                             DWORD bufferLength, TOKEN_PRIVILEGES* previousState,
                             DWORD* returnLength) override {
    return ::AdjustTokenPrivileges(token, disableAllPrivileges, newState, bufferLength,
                                   previousState, returnLength);
  }
  DWORD GetLastError() override { return ::GetLastError(); }
  BOOL ExitWindowsEx(UINT flags, DWORD reserved) override {
    return ::ExitWindowsEx(flags, reserved);
  }
  MCIERROR mciSendStringA(LPCSTR command, LPSTR returnString, UINT returnLength,
                          HWND callback) override {
    return mediaControl_.Send(command, returnString, returnLength, callback);
  }
  BOOL CloseHandle(HANDLE handle) override { return ::CloseHandle(handle); }
  void ShowPlainMessage(const std::string& text) override { sx::ShowPlainMessage(text); }
  EXECUTION_STATE SetThreadExecutionState(EXECUTION_STATE flags) override {
    return ::SetThreadExecutionState(flags);
  }
  HRESULT SetProgressState(HWND window, TBPFLAG flags) override {
    ITaskbarList3* list = taskbar_.Get();
    return list ? list->SetProgressState(window, flags) : E_NOINTERFACE;
  }
  HRESULT SetProgressValue(HWND window, ULONGLONG completed, ULONGLONG total) override {
    ITaskbarList3* list = taskbar_.Get();
    return list ? list->SetProgressValue(window, completed, total) : E_NOINTERFACE;
  }
  void ReleaseTaskbar() override { taskbar_.Release(); }

 private:
  MediaControlLibrary mediaControl_{kMediaControlLibrary};
  ShellTaskbar taskbar_;
};

// Nothing reaches the system: every call fails, nothing is shown.
class InertSystemCalls final : public SystemActionCalls {
 public:
  HANDLE GetCurrentProcess() override { return nullptr; }
  BOOL OpenProcessToken(HANDLE, DWORD, HANDLE*) override { return FALSE; }
  BOOL LookupPrivilegeValueA(LPCSTR, LPCSTR, LUID*) override { return FALSE; }
  BOOL AdjustTokenPrivileges(HANDLE, BOOL, TOKEN_PRIVILEGES*, DWORD, TOKEN_PRIVILEGES*,
                             DWORD*) override {
    return FALSE;
  }
  DWORD GetLastError() override { return ERROR_CALL_NOT_IMPLEMENTED; }
  BOOL ExitWindowsEx(UINT, DWORD) override { return FALSE; }
  MCIERROR mciSendStringA(LPCSTR, LPSTR, UINT, HWND) override {
    return MCIERR_UNRECOGNIZED_COMMAND;
  }
  BOOL CloseHandle(HANDLE) override { return FALSE; }
  void ShowPlainMessage(const std::string&) override {}
  EXECUTION_STATE SetThreadExecutionState(EXECUTION_STATE) override { return 0; }
  HRESULT SetProgressState(HWND, TBPFLAG) override { return E_NOTIMPL; }
  HRESULT SetProgressValue(HWND, ULONGLONG, ULONGLONG) override { return E_NOTIMPL; }
  void ReleaseTaskbar() override {}
};

InertSystemCalls g_inertCalls;
SystemActionCalls* g_calls = &g_inertCalls;

// Enables the shutdown privilege in the own process's token, then makes the request. A
// failing step is named and the sequence goes on; the user may see up to three messages.
void EndWithPrivilege(UINT flags) {
  SystemActionCalls& calls = SystemCalls();
  HANDLE token = nullptr;
  const bool opened = calls.OpenProcessToken(calls.GetCurrentProcess(), kTokenAccess, &token) != 0;
  if (!opened) calls.ShowPlainMessage("OpenProcessToken");

  // Zeroed, so that an identifier the lookup could not fill is 0 rather than stack garbage.
  TOKEN_PRIVILEGES privileges{};
  calls.LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  calls.AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  // The adjustment reports a privilege it could not enable only through the last-error
  // code, so it is read before any other call can overwrite it.
  const DWORD error = calls.GetLastError();
  // The privilege stays enabled in the process after the token handle is gone; closing it
  // before a message is shown keeps it from being held while the user reads.
  if (opened && token) calls.CloseHandle(token);
  if (error != 0) calls.ShowPlainMessage("AdjustTokenPrivileges");

  if (calls.ExitWindowsEx(flags, 0) == 0) calls.ShowPlainMessage("ExitWindowsEx");
}

}  // namespace

MCIERROR MediaControlLibrary::Send(LPCSTR command, LPSTR returnString, UINT returnLength,
                                   HWND callback) {
  if (!send_) {
    // Asked again at the next command when it could not be had: nothing is shown either way.
    // From the system folder only: a library of that name beside a downloaded program would
    // otherwise be found first and its start-up code run.
    if (!module_) module_ = sx::LoadSystemLibrary(library_);
    send_ = sx::FindProc<SendString>(module_, "mciSendStringA");
    if (!send_) return MCIERR_CANNOT_LOAD_DRIVER;
  }
  return send_(command, returnString, returnLength, callback);
}

SystemActionCalls& SystemCalls() {
  return *g_calls;
}

SystemActionCalls* SetSystemCalls(SystemActionCalls* calls) {
  SystemActionCalls* previous = g_calls;
  g_calls = calls ? calls : &g_inertCalls;
  return previous;
}

void InstallWin32SystemCalls() {
  static Win32SystemCalls calls;
  SetSystemCalls(&calls);
}

void ShutDownComputer() {
  EndWithPrivilege(kShutDownFlags);
}

void RestartComputer() {
  EndWithPrivilege(kRestartFlags);
}

void EndUserSession() {
  // The result is not looked at: a refused log-off leaves nothing for the user to do.
  SystemCalls().ExitWindowsEx(kLogOffFlags, 0);
}
