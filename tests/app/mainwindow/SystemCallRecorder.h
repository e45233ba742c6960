#pragma once

// A stand-in for the system under the program's actions: it writes every call, with the
// arguments that matter, into a log and answers as it is told. While it is installed nothing
// reaches the system, so no test can end the session or move a drive's door.

#include <windows.h>

#include <string>
#include <vector>

#include "app/SystemActions.h"

namespace sx::testing {

class SystemCallRecorder final : public SystemActionCalls {
 public:
  // What the recorder hands out.
  static inline const HANDLE kProcess = reinterpret_cast<HANDLE>(0x00A11CE0);
  static inline const HANDLE kToken = reinterpret_cast<HANDLE>(0x00070CE0);
  static constexpr DWORD kLuidLow = 0x13;
  static constexpr LONG kLuidHigh = 0x7;

  // Installs itself; the calls that were in place come back when it goes.
  SystemCallRecorder();
  ~SystemCallRecorder() override;
  SystemCallRecorder(const SystemCallRecorder&) = delete;
  SystemCallRecorder& operator=(const SystemCallRecorder&) = delete;

  // How the system answers.
  bool tokenOpens = true;
  DWORD lastErrorAfterAdjusting = ERROR_SUCCESS;
  bool exitAccepted = true;
  HRESULT taskbarAnswer = S_OK;

  // One line per call of the actions, in order.
  std::vector<std::string> log;
  // One line per call of any kind, in order: the actions' and the requests to stay awake
  // and the taskbar calls of a countdown.
  std::vector<std::string> calls;
  // The callback window of the last media-control command.
  HWND doorCallback = nullptr;
  // The window of the last taskbar progress call.
  HWND progressWindow = nullptr;

  // Only the lines of these calls.
  std::vector<std::string> Messages() const;
  std::vector<std::string> DoorCommands() const;
  // The requests to stay awake or rest and the taskbar calls.
  std::vector<std::string> AwakeAndTaskbar() const;

  HANDLE GetCurrentProcess() override;
  BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, HANDLE* token) override;
  BOOL LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, LUID* luid) override;
  BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAllPrivileges, TOKEN_PRIVILEGES* newState,
                             DWORD bufferLength, TOKEN_PRIVILEGES* previousState,
                             DWORD* returnLength) override;
  DWORD GetLastError() override;
  BOOL ExitWindowsEx(UINT flags, DWORD reserved) override;
  MCIERROR mciSendStringA(LPCSTR command, LPSTR returnString, UINT returnLength,
                          HWND callback) override;
  BOOL CloseHandle(HANDLE handle) override;
  void ShowPlainMessage(const std::string& text) override;
  EXECUTION_STATE SetThreadExecutionState(EXECUTION_STATE flags) override;
  HRESULT SetProgressState(HWND window, TBPFLAG flags) override;
  HRESULT SetProgressValue(HWND window, ULONGLONG completed, ULONGLONG total) override;
  void ReleaseTaskbar() override;

 private:
  // An action's call goes into both logs, any other call only into `calls`.
  void NoteAction(std::string line);
  void NoteCountdown(std::string line);

  SystemActionCalls* previous_;
  // The last-error code as the system would leave it: set by the adjustment, overwritten by
  // any call after it that fails.
  DWORD lastError_ = ERROR_SUCCESS;
};

}  // namespace sx::testing
