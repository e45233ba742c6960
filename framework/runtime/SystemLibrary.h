#pragma once

// Libraries the program loads itself rather than imports: they come from the system folder
// only. A program is started from wherever it was downloaded to, and a library of a system
// name dropped into that folder (or into the current one) would otherwise be found first.

#include <windows.h>

namespace sx {

// Takes the program's own folder and the current folder out of the process's library
// search. Called first thing at the program's start, before anything can load a library.
void RestrictLibrarySearch();

// The system library of that file name (a bare name such as "winmm.dll"), loaded from the
// system folder only; nullptr when it cannot be had there, and for a name with a path in it.
HMODULE LoadSystemLibrary(const char* fileName);

// The function of that name in the module, as the function type `Proc`; nullptr where the
// module (which may be nullptr) or the function is missing. Functions that not every
// supported system has are found this way rather than imported.
template <class Proc>
Proc FindProc(HMODULE module, const char* name) {
  // Through the generic function type, which any function pointer may be cast to and from.
  return module ? reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                : nullptr;
}

}  // namespace sx
