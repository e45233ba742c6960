// The start and end of the framework in a process: the process-wide objects, the state the
// forms share (focus counters, the shell's restart message) and the message box seam.

#include <cstdlib>

#include "framework/controls/ApplicationHost.h"
#include "framework/controls/ExceptionBoundary.h"
#include "framework/controls/WindowProperties.h"
#include "framework/forms/Application.h"
#include "framework/forms/CustomForm.h"
#include "framework/forms/RuntimeError.h"
#include "framework/forms/Screen.h"
#include "framework/graphics/Graphics.h"
#include "framework/runtime/SystemVersion.h"
#include "framework/runtime/TextUtil.h"
#include "framework/streaming/Fixups.h"

namespace sx {

TApplication* Application = nullptr;
TScreen* Screen = nullptr;
TMouse* Mouse = nullptr;

namespace {

int g_focusCount = 0;
bool g_focusMessages = true;
UINT g_taskbarCreated = 0;
bool g_started = false;
bool g_finishRegistered = false;
MessageBoxProc g_messageBox = &MessageBoxA;

// What the controls ask of the application, answered by the application object. Installed
// once the application exists and until the framework has ended: while the application is
// being freed (Application is empty by then) a control going, a click or a report is let pass.
class ApplicationAnswers final : public TApplicationHost {
 public:
  void ControlDestroyed(TControl* control) override {
    if (Application) Application->ControlDestroyed(control);
  }
  bool ClickIntoDisabledWindow() override {
    return Application && Application->ClickIntoDisabledWindow();
  }
  void ReportException(TObject* sender) override {
    if (Application) Application->ReportException(sender);
  }
};

ApplicationAnswers g_applicationAnswers;

// The forms are the roots that definitions may refer to by name.
TComponent* FindGlobalForm(std::string_view name) {
  if (!Screen) return nullptr;
  for (int i = 0; i < Screen->CustomFormCount(); ++i) {
    TCustomForm* form = Screen->CustomForm(i);
    if (SameText(form->Name(), name)) return form;
  }
  return nullptr;
}

void FinishAtExit() {
  FinishFramework();
}

}  // namespace

// --- Process-wide state ---------------------------------------------------------------------

std::string TitleFromModuleName(std::string_view path) {
  const auto slash = path.find_last_of('\\');
  std::string title(slash == std::string_view::npos ? path : path.substr(slash + 1));
  if (const auto dot = title.find('.'); dot != std::string::npos) title.resize(dot);
  if (title.size() > 1) CharLowerBuffA(title.data() + 1, static_cast<DWORD>(title.size() - 1));
  return title;
}

int FocusCount() {
  return g_focusCount;
}
void SetFocusCount(int count) {
  g_focusCount = count;
}
bool FocusMessages() {
  return g_focusMessages;
}
void SetFocusMessages(bool on) {
  g_focusMessages = on;
}
UINT TaskbarCreatedMessage() {
  return g_taskbarCreated;
}

MessageBoxProc SetMessageBoxProc(MessageBoxProc proc) {
  MessageBoxProc previous = g_messageBox;
  g_messageBox = proc ? proc : &MessageBoxA;
  return previous;
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  return g_messageBox(owner, text.c_str(), caption.c_str(), flags);
}

[[gnu::noinline]] bool StartFramework() {
  if (g_started) return true;
  g_started = true;
  try {
    NewStyleControls();
    InitGraphics();
    InitWindowProperties();
    RegisterGlobalFinder(&FindGlobalForm);
    Mouse = New<TMouse>();
    Screen = New<TScreen>(nullptr);
    Application = New<TApplication>(nullptr);
    SetApplicationHost(&g_applicationAnswers);
    Application->SetShowHint(true);
    g_taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    if (!g_finishRegistered) {
      // Exit routines and the destructors of static objects run in the reverse order of
      // their registration: registered after everything the framework's objects use
      // (the shared font and brush records among it), the end runs while that still
      // exists; the clean-up that Run registers later runs before it.
      g_finishRegistered = true;
      std::atexit(&FinishAtExit);
    }
    return true;
  } catch (...) {
    // Nothing can show an error the way the application would: the runtime says it.
    const void* address = __builtin_return_address(0);
    try {
      try {
        throw;
      } catch (const Exception& exception) {
        const std::string& message = exception.Message();
        ShowRuntimeError(address, exception.ClassName(), message, NeedsPeriod(message) ? "." : "");
      } catch (...) {
        ShowRuntimeError(address, CurrentExceptionTypeName(), "", "");
      }
    } catch (...) {
    }
    FinishFramework();
    return false;
  }
}

void ApplicationCleanup() {
  if (!Application) return;
  RunReported(Application, [] {
    if (Application->Handle()) ShowOwnedPopups(Application->Handle(), FALSE);
    Application->SetShowHint(false);
    Application->MarkDestroying();
    Application->DestroyComponents();
  });
}

void FinishFramework() {
  if (!g_started) return;
  g_started = false;
  ApplicationCleanup();
  RunReported(nullptr, [] {
    FreeAndNil(Application);
    FreeAndNil(Screen);
    FreeAndNil(Mouse);
  });
  UnregisterGlobalFinder(&FindGlobalForm);
  SetApplicationHost(nullptr);
  ReleaseWindowProperties();
}

}  // namespace sx
