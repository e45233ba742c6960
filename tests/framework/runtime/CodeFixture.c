// Code in a library that stands in for a language module: loaded as a program library it
// leaves a trace, a named event, so a test can tell whether any of its code ran.
#include <windows.h>

BOOL WINAPI FixtureEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reserved;
  // The handle stays open with the process, and the event with it.
  if (reason == DLL_PROCESS_ATTACH) CreateEventA(NULL, TRUE, FALSE, "SxLanguageFixtureCodeRan");
  return TRUE;
}
