#include <windows.h>

#include "app/Form1.h"
#include "app/LanguageModuleCheck.h"
#include "app/SystemActions.h"
#include "framework/forms/Application.h"
#include "framework/runtime/Exception.h"
#include "framework/runtime/ResourceModule.h"
#include "framework/runtime/SystemLibrary.h"
#include "framework/runtime/Win32SystemServices.h"

namespace {

// The main window from the language module chosen for it; when that module's definition
// passed its checks and still cannot be read (it sets a property the window does not have,
// say), from the program's own definition, so that a module never leaves the program without
// its window.
void CreateMainWindow() {
  try {
    sx::Application->CreateOwnedForm(Form1);
  } catch (const sx::Exception&) {
    const sx::ModuleId own = sx::System().MainModule();
    if (sx::ResourceModuleOf(own) == own) throw;
    sx::UseOwnResources(own);
    sx::Application->CreateOwnedForm(Form1);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before anything can load a library: the program may have been started from a download
  // folder, and a library of a system name left there must not be found first.
  sx::RestrictLibrarySearch();
  // The runtime's start, before anything touches the framework: the system services, then
  // the framework's process-wide objects. A failure there has already been shown.
  sx::InstallWin32SystemServices();
  InstallWin32SystemCalls();
  // Before the first resource is asked for: the language module is chosen then.
  InstallLanguageModuleCheck();
  if (!sx::StartFramework()) return 0;

  try {
    sx::Application->Initialize();
    sx::Application->SetTitle("Sonderix");
    CreateMainWindow();
    sx::Application->Run();
  } catch (const sx::Exception& exception) {
    sx::Application->DisplayException(exception);
  } catch (...) {
    // Whatever else was thrown carries no message the user could read.
    try {
      throw sx::Exception("");
    } catch (const sx::Exception& exception) {
      sx::Application->DisplayException(exception);
    }
  }
  return 0;
}
