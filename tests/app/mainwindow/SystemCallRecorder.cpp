#include "tests/app/mainwindow/SystemCallRecorder.h"

#include <cstdio>
#include <utility>

namespace sx::testing {
namespace {

std::string Hex(const void* value) {
  if (!value) return "null";
  char text[24];
  std::snprintf(text, sizeof text, "%p", value);
  return text;
}

std::string Hex(unsigned long value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%lX", value);
  return text;
}

std::string Quoted(LPCSTR text) {
  return text ? "\"" + std::string(text) + "\"" : "null";
}

bool StartsWith(const std::string& line, const char* prefix) {
  return line.rfind(prefix, 0) == 0;
}

}  // namespace

SystemCallRecorder::SystemCallRecorder() : previous_(SetSystemCalls(this)) {}

SystemCallRecorder::~SystemCallRecorder() {
  SetSystemCalls(previous_);
}

void SystemCallRecorder::NoteAction(std::string line) {
  calls.push_back(line);
  log.push_back(std::move(line));
}

void SystemCallRecorder::NoteCountdown(std::string line) {
  calls.push_back(std::move(line));
}

std::vector<std::string> SystemCallRecorder::Messages() const {
  std::vector<std::string> lines;
  for (const std::string& line : log)
    if (StartsWith(line, "ShowPlainMessage")) lines.push_back(line);
  return lines;
}

std::vector<std::string> SystemCallRecorder::DoorCommands() const {
  std::vector<std::string> lines;
  for (const std::string& line : log)
    if (StartsWith(line, "mciSendStringA")) lines.push_back(line);
  return lines;
}

std::vector<std::string> SystemCallRecorder::AwakeAndTaskbar() const {
  std::vector<std::string> lines;
  for (const std::string& line : calls)
    if (StartsWith(line, "SetThreadExecutionState") || StartsWith(line, "SetProgress") ||
        StartsWith(line, "ReleaseTaskbar"))
      lines.push_back(line);
  return lines;
}

HANDLE SystemCallRecorder::GetCurrentProcess() {
  NoteAction("GetCurrentProcess");
  return kProcess;
}

BOOL SystemCallRecorder::OpenProcessToken(HANDLE process, DWORD desiredAccess, HANDLE* token) {
  const bool ownProcess = process == kProcess;
  NoteAction("OpenProcessToken(" + std::string(ownProcess ? "own process" : Hex(process)) + ", " +
             Hex(desiredAccess) + ", token was " + Hex(token ? *token : nullptr) + ")");
  if (!token) return FALSE;
  if (!tokenOpens) return FALSE;
  *token = kToken;
  return TRUE;
}

BOOL SystemCallRecorder::LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, LUID* luid) {
  NoteAction("LookupPrivilegeValueA(" + Quoted(systemName) + ", " + Quoted(name) + ")");
  if (luid) *luid = LUID{kLuidLow, kLuidHigh};
  return TRUE;
}

BOOL SystemCallRecorder::AdjustTokenPrivileges(HANDLE token, BOOL disableAllPrivileges,
                                               TOKEN_PRIVILEGES* newState, DWORD bufferLength,
                                               TOKEN_PRIVILEGES* previousState,
                                               DWORD* returnLength) {
  std::string record = "none";
  if (newState) {
    const LUID_AND_ATTRIBUTES& entry = newState->Privileges[0];
    record = "count " + std::to_string(newState->PrivilegeCount) + ", identifier " +
             Hex(entry.Luid.LowPart) + ":" + Hex(static_cast<unsigned long>(entry.Luid.HighPart)) +
             ", attributes " + Hex(entry.Attributes);
  }
  NoteAction("AdjustTokenPrivileges(" + std::string(token == kToken ? "token" : Hex(token)) + ", " +
             std::to_string(disableAllPrivileges) + ", {" + record + "}, " +
             std::to_string(bufferLength) + ", " + Hex(previousState) + ", " + Hex(returnLength) +
             ")");
  // Whatever the token, the test decides the code, so that every answer can be met.
  lastError_ = lastErrorAfterAdjusting;
  return lastError_ == ERROR_SUCCESS || lastError_ == ERROR_NOT_ALL_ASSIGNED;
}

DWORD SystemCallRecorder::GetLastError() {
  NoteAction("GetLastError");
  return lastError_;
}

BOOL SystemCallRecorder::ExitWindowsEx(UINT flags, DWORD reserved) {
  NoteAction("ExitWindowsEx(" + std::to_string(flags) + ", " + std::to_string(reserved) + ")");
  if (exitAccepted) return TRUE;
  lastError_ = ERROR_PRIVILEGE_NOT_HELD;
  return FALSE;
}

MCIERROR SystemCallRecorder::mciSendStringA(LPCSTR command, LPSTR returnString, UINT returnLength,
                                            HWND callback) {
  NoteAction("mciSendStringA(" + Quoted(command) + ", " + Hex(returnString) + ", " +
             std::to_string(returnLength) + ")");
  doorCallback = callback;
  return 0;
}

BOOL SystemCallRecorder::CloseHandle(HANDLE handle) {
  NoteAction("CloseHandle(" + std::string(handle == kToken ? "token" : Hex(handle)) + ")");
  if (handle == kToken) return TRUE;
  lastError_ = ERROR_INVALID_HANDLE;
  return FALSE;
}

void SystemCallRecorder::ShowPlainMessage(const std::string& text) {
  // The user closes the dialog at once.
  NoteAction("ShowPlainMessage(" + text + ")");
}

EXECUTION_STATE SystemCallRecorder::SetThreadExecutionState(EXECUTION_STATE flags) {
  NoteCountdown("SetThreadExecutionState(" + Hex(flags) + ")");
  return ES_CONTINUOUS;
}

HRESULT SystemCallRecorder::SetProgressState(HWND window, TBPFLAG flags) {
  const char* name = flags == TBPF_NOPROGRESS ? "none"
                     : flags == TBPF_NORMAL   ? "normal"
                     : flags == TBPF_PAUSED   ? "paused"
                                              : nullptr;
  NoteCountdown("SetProgressState(" +
                (name ? std::string(name) : Hex(static_cast<unsigned long>(flags))) + ")");
  progressWindow = window;
  return taskbarAnswer;
}

HRESULT SystemCallRecorder::SetProgressValue(HWND window, ULONGLONG completed, ULONGLONG total) {
  NoteCountdown("SetProgressValue(" + std::to_string(completed) + " of " + std::to_string(total) +
                ")");
  progressWindow = window;
  return taskbarAnswer;
}

void SystemCallRecorder::ReleaseTaskbar() {
  NoteCountdown("ReleaseTaskbar");
}

}  // namespace sx::testing
