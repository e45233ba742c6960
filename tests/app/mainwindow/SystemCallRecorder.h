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

  // One line per call, in order.
  std::vector<std::string> log;
  // The callback window of the last media-control command.
  HWND doorCallback = nullptr;

  // Only the lines of these calls.
  std::vector<std::string> Messages() const;
  std::vector<std::string> DoorCommands() const;

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

 private:
  SystemActionCalls* previous_;
  // The last-error code as the system would leave it: set by the adjustment, overwritten by
  // any call after it that fails.
  DWORD lastError_ = ERROR_SUCCESS;
};

}  // namespace sx::testing
