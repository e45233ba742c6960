// A library planted beside a test program under a name the system does not have: loaded,
// its start-up code leaves a trace (a named event), and it answers the media-control call
// as if it were the system's. A test tells from the trace whether the library was loaded.
// Lean, so that the system headers declare no media-control call of their own.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

BOOL WINAPI PlantedEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reserved;
  // The handle stays open with the process, and the event with it.
  if (reason == DLL_PROCESS_ATTACH) CreateEventA(NULL, TRUE, FALSE, "SxPlantedLibraryRan");
  return TRUE;
}

__declspec(dllexport) DWORD WINAPI
    mciSendStringA(LPCSTR command, LPSTR returnString, UINT returnLength, HWND callback) {
  (void)command;
  (void)returnString;
  (void)returnLength;
  (void)callback;
  return 0;
}
