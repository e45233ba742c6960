#pragma once

// What the program can make the system do: shut down, restart, end the session, and move
// the CD door; and what it asks of the system while a countdown runs: to stay awake, and to
// show the time going on the taskbar button. Every system call goes through
// SystemActionCalls, so that tests can put a recorder in place of the system; only the
// program itself installs the real calls.

#include <windows.h>

#include <mmsystem.h>
#include <shobjidl.h>

#include <string>

// The calls the actions make, one member per system function, with the system's signature.
class SystemActionCalls {
 public:
  virtual ~SystemActionCalls() = default;

  virtual HANDLE GetCurrentProcess() = 0;
  virtual BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, HANDLE* token) = 0;
  virtual BOOL LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, LUID* luid) = 0;
  virtual BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAllPrivileges,
                                     TOKEN_PRIVILEGES* newState, DWORD bufferLength,
                                     TOKEN_PRIVILEGES* previousState, DWORD* returnLength) = 0;
  virtual DWORD GetLastError() = 0;
  virtual BOOL ExitWindowsEx(UINT flags, DWORD reserved) = 0;
  virtual MCIERROR mciSendStringA(LPCSTR command, LPSTR returnString, UINT returnLength,
                                  HWND callback) = 0;
  virtual BOOL CloseHandle(HANDLE handle) = 0;
  // Shows the text in the framework's plain message dialog and returns once it is closed.
  virtual void ShowPlainMessage(const std::string& text) = 0;

  // What the thread needs of the system: kStayAwake keeps it from sleeping on idle,
  // kMayRest lets it again. Answers the flags in force before, or 0 when refused.
  virtual EXECUTION_STATE SetThreadExecutionState(EXECUTION_STATE flags) = 0;
  // The progress bar on the taskbar button of `window`, through the shell's taskbar
  // interface, which is made at the first of these calls. Where the system has none (before
  // Windows 7) or it fails, they answer a failure and nothing is shown.
  virtual HRESULT SetProgressState(HWND window, TBPFLAG flags) = 0;
  virtual HRESULT SetProgressValue(HWND window, ULONGLONG completed, ULONGLONG total) = 0;
  // Lets the taskbar interface go (the shell restarted, or the program ends); the next
  // progress call makes it anew.
  virtual void ReleaseTaskbar() = 0;
};

// The requests of SetThreadExecutionState: the system stays up while a countdown runs (the
// display may still turn off), and may sleep again when none does.
inline constexpr EXECUTION_STATE kStayAwake = ES_CONTINUOUS | ES_SYSTEM_REQUIRED;
inline constexpr EXECUTION_STATE kMayRest = ES_CONTINUOUS;

// The media-control library, bound when the first command is sent instead of when the
// program starts: loading it brings in the system's audio libraries, and only the door
// commands need it. It is taken from the system folder only, and stays loaded once it is.
class MediaControlLibrary {
 public:
  explicit MediaControlLibrary(const char* library) : library_(library) {}
  MediaControlLibrary(const MediaControlLibrary&) = delete;
  MediaControlLibrary& operator=(const MediaControlLibrary&) = delete;

  // mciSendStringA of the library; MCIERR_CANNOT_LOAD_DRIVER, without any message, when the
  // library or its function cannot be had.
  MCIERROR Send(LPCSTR command, LPSTR returnString, UINT returnLength, HWND callback);

 private:
  using SendString = MCIERROR(WINAPI*)(LPCSTR, LPSTR, UINT, HWND);
  const char* library_;
  HMODULE module_ = nullptr;
  SendString send_ = nullptr;
};

inline constexpr char kMediaControlLibrary[] = "winmm.dll";

// The calls in use. Until some are installed, every call fails and shows nothing, so that a
// program that forgot to install the real ones (or a test that forgot its recorder) cannot
// reach the system.
SystemActionCalls& SystemCalls();
// Installs the calls (none: back to the inert ones) and returns those they replace.
SystemActionCalls* SetSystemCalls(SystemActionCalls* calls);
// Installs the real system calls; the program does this once at its start.
void InstallWin32SystemCalls();

// The media-control command strings for the default CD audio device.
inline constexpr char kOpenDoorCommand[] = "Set cdaudio door open wait";
inline constexpr char kCloseDoorCommand[] = "Set cdaudio door closed wait";

// Access wanted on the own process's token: TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY.
inline constexpr DWORD kTokenAccess = 0x28;
// The ExitWindowsEx flags of each request.
inline constexpr UINT kShutDownFlags = 5;  // EWX_SHUTDOWN | EWX_FORCE
inline constexpr UINT kRestartFlags = 6;   // EWX_REBOOT | EWX_FORCE
inline constexpr UINT kLogOffFlags = 0;    // EWX_LOGOFF

// Enable the shutdown privilege, then ask the system to shut down (or restart). Each step
// that fails is named in a message and the next step is tried all the same.
void ShutDownComputer();
void RestartComputer();
// Asks the system to end the session; nothing is enabled before and nothing shown after.
void EndUserSession();
