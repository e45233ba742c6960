#include "framework/forms/Application.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>

#include "framework/controls/Control.h"
#include "framework/controls/ExceptionBoundary.h"
#include "framework/controls/SystemError.h"
#include "framework/controls/WinControl.h"
#include "framework/controls/WindowProperties.h"
#include "framework/forms/CustomForm.h"
#include "framework/forms/Desktop.h"
#include "framework/forms/HintWindow.h"
#include "framework/forms/Icon.h"
#include "framework/forms/Screen.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/PenBrush.h"
#include "framework/runtime/Finally.h"
#include "framework/runtime/Format.h"
#include "framework/runtime/SystemVersion.h"
#include "framework/runtime/TextUtil.h"
#include "framework/runtime/Texts.h"
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
bool g_cleanupRegistered = false;
MessageBoxProc g_messageBox = &MessageBoxA;
void (*g_initializeHook)() = nullptr;

constexpr char kAppClassName[] = "TApplication";
constexpr DWORD kAppWindowStyle =
    WS_POPUP | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;  // 0x84CA0000
static_assert(kAppWindowStyle == 0x84CA0000);

// SetWindowPos flags that only show or hide.
constexpr UINT kShowOnly = SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;
constexpr UINT kHideOnly = SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;
static_assert(kShowOnly == 0x57 && kHideOnly == 0x97);
// Moves a window without touching its size, z-order, painting or activation.
constexpr UINT kMoveOnly = SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE;
static_assert(kMoveOnly == 0x1D);

HINSTANCE MainInstance() {
  return GetModuleHandleA(nullptr);
}

// A console program (its image says so) gets no application window and writes the
// runtime's error text to its standard output.
bool IsConsoleProcess() {
  static const bool console = [] {
    const auto* base = reinterpret_cast<const BYTE*>(MainInstance());
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (!base || dos->e_magic != IMAGE_DOS_SIGNATURE) return false;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return nt->Signature == IMAGE_NT_SIGNATURE &&
           nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI;
  }();
  return console;
}

std::string FileNamePart(const char* path) {
  const char* slash = std::strrchr(path, '\\');
  return slash ? slash + 1 : path;
}

std::string ModuleTitle() {
  char path[257] = {};
  const DWORD length = GetModuleFileNameA(MainInstance(), path, 256);
  path[length < 256 ? length : 256] = '\0';
  // The loader reports the name in the OEM character set.
  OemToCharA(path, path);
  return TitleFromModuleName(path);
}

void CenterOn(HWND window, const RECT& rect) {
  SetWindowPos(window, nullptr, rect.left + (rect.right - rect.left) / 2,
               rect.top + (rect.bottom - rect.top) / 2, 0, 0, kMoveOnly);
}

// The runtime's type name of the exception being handled.
std::string CurrentExceptionTypeName() {
  const std::type_info* type = abi::__cxa_current_exception_type();
  if (!type) return "unknown";
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> readable(
      abi::__cxa_demangle(type->name(), nullptr, nullptr, &status), &std::free);
  return status == 0 && readable ? readable.get() : type->name();
}

// The runtime's own error box: the class of what was thrown, the module and the offset of
// the address within it, and a message with its suffix.
void ShowRuntimeError(const void* address, const std::string& className, const std::string& message,
                      const std::string& suffix) {
  char module[MAX_PATH + 1] = {};
  const void* offset = nullptr;
  MEMORY_BASIC_INFORMATION memory = {};
  if (VirtualQuery(address, &memory, sizeof memory) && memory.State == MEM_COMMIT &&
      GetModuleFileNameA(static_cast<HMODULE>(memory.AllocationBase), module, MAX_PATH)) {
    offset = reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(address) -
                                           reinterpret_cast<std::uintptr_t>(memory.AllocationBase));
  } else {
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    offset = reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(address) - 0x1000);
  }
  std::string text;
  const std::string moduleName = FileNamePart(module);
  const std::initializer_list<FormatArg> args = {className, moduleName, offset, message, suffix};
  try {
    text = Format(LoadText(TextId::SException), args);
  } catch (const Exception&) {
    // A replaced resource text that does not fit its arguments.
    text = Format(BuiltInText(static_cast<int>(TextId::SException)), args);
  }
  if (text.size() > 1023) text.resize(1023);
  if (IsConsoleProcess()) {
    text += "\r\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
    return;
  }
  ShowMessageBox(nullptr, text, LoadText(TextId::SExceptTitle), MB_TASKMODAL | MB_ICONERROR);
}

// A message gets a closing period unless it already ends in one or in a character that sorts
// below it ("!", ")", ",", a blank). For a double-byte last character its lead byte decides.
bool NeedsPeriod(const std::string& message) {
  if (message.empty()) return false;
  const char* last = CharPrevA(message.c_str(), message.c_str() + message.size());
  return static_cast<unsigned char>(*last) > '.';
}

void ReportToApplication(TObject* sender) {
  if (Application) Application->ReportException(sender);
}

void ControlGoing(TControl* control) {
  if (Application) Application->ControlDestroyed(control);
}

bool ClickIntoDisabled() {
  return Application && Application->ClickIntoDisabledWindow();
}

// The forms are the roots that definitions may refer to by name.
TComponent* FindGlobalForm(std::string_view name) {
  if (!Screen) return nullptr;
  for (int i = 0; i < Screen->CustomFormCount(); ++i) {
    TCustomForm* form = Screen->CustomForm(i);
    if (SameText(form->Name(), name)) return form;
  }
  return nullptr;
}

// The framework control under a point of the screen, disabled ones included: the window the
// system finds there, the disabled windowed children it passes over, then a plain child.
TControl* ControlAtPoint(POINT point) {
  HWND window = WindowFromPoint(point);
  TWinControl* control = nullptr;
  for (; window && !(control = TWinControl::FromWindow(window)); window = GetParent(window)) {
  }
  if (!control) return nullptr;
  for (;;) {
    POINT client = point;
    ScreenToClient(control->Handle(), &client);
    TWinControl* inner = nullptr;
    const auto& children = control->WindowedChildren();
    for (auto it = children.rbegin(); it != children.rend() && !inner; ++it) {
      TWinControl* child = *it;
      const RECT bounds = child->BoundsRect();
      if (child->HandleAllocated() && IsWindowVisible(child->Handle()) && PtInRect(&bounds, client))
        inner = child;
    }
    if (!inner) {
      const auto& plain = control->PlainChildren();
      for (auto it = plain.rbegin(); it != plain.rend(); ++it) {
        const RECT bounds = (*it)->BoundsRect();
        if ((*it)->Visible() && PtInRect(&bounds, client)) return *it;
      }
      return control;
    }
    control = inner;
  }
}

void FinishAtExit() {
  FinishFramework();
}
void CleanupAtExit() {
  ApplicationCleanup();
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
    GlobalControlHooks().controlDestroyed = &ControlGoing;
    GlobalControlHooks().clickIntoDisabled = &ClickIntoDisabled;
    RegisterGlobalFinder(&FindGlobalForm);
    Mouse = New<TMouse>();
    Screen = New<TScreen>(nullptr);
    Application = New<TApplication>(nullptr);
    SetExceptionReporter(&ReportToApplication);
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
  try {
    if (Application->Handle()) ShowOwnedPopups(Application->Handle(), FALSE);
    Application->SetShowHint(false);
    Application->MarkDestroying();
    Application->DestroyComponents();
  } catch (...) {
    ReportCurrentException(Application);
  }
}

void FinishFramework() {
  if (!g_started) return;
  g_started = false;
  ApplicationCleanup();
  try {
    FreeAndNil(Application);
    FreeAndNil(Screen);
    FreeAndNil(Mouse);
  } catch (...) {
    ReportCurrentException(nullptr);
  }
  SetExceptionReporter(nullptr);
  UnregisterGlobalFinder(&FindGlobalForm);
  GlobalControlHooks().controlDestroyed = nullptr;
  GlobalControlHooks().clickIntoDisabled = nullptr;
  ReleaseWindowProperties();
}

// --- Windows of the thread ------------------------------------------------------------------

namespace {

struct DisableWalk {
  HWND except;
  TWindowList list;
  std::exception_ptr error;
};

BOOL CALLBACK DisableOne(HWND window, LPARAM data) {
  auto& walk = *reinterpret_cast<DisableWalk*>(data);
  if (window == walk.except || !IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
  // Nothing may be thrown back through the system's enumeration.
  try {
    walk.list.windows.push_back(window);
  } catch (...) {
    walk.error = std::current_exception();
    return FALSE;
  }
  EnableWindow(window, FALSE);
  return TRUE;
}

struct FirstWindowWalk {
  HWND except;
  HWND application;
  HWND first;
  HWND firstTopMost;
};

BOOL CALLBACK ConsiderWindow(HWND window, LPARAM data) {
  auto& walk = *reinterpret_cast<FirstWindowWalk*>(data);
  if (window == walk.except || window == walk.application || !IsWindowVisible(window) ||
      !IsWindowEnabled(window))
    return TRUE;
  if (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) {
    if (!walk.firstTopMost) walk.firstTopMost = window;
    return TRUE;
  }
  walk.first = window;
  return FALSE;
}

}  // namespace

TWindowList DisableThreadWindows(HWND except) {
  DisableWalk walk{except, {}, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &DisableOne, reinterpret_cast<LPARAM>(&walk));
  if (walk.error) {
    ReenableWindows(walk.list);
    std::rethrow_exception(walk.error);
  }
  return std::move(walk.list);
}

void ReenableWindows(TWindowList& list) {
  for (HWND window : list.windows)
    if (IsWindow(window)) EnableWindow(window, TRUE);
  list.windows.clear();
}

HWND FindFirstThreadWindow(HWND except) {
  FirstWindowWalk walk{except, Application ? Application->Handle() : nullptr, nullptr, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &ConsiderWindow, reinterpret_cast<LPARAM>(&walk));
  return walk.first ? walk.first : walk.firstTopMost;
}

// --- The application object -----------------------------------------------------------------

constinit const ClassInfo TApplication::StaticClass{
    .name = "TApplication",
    .parent = &TComponent::StaticClass,
};

constinit const MessageEntry TApplication::kMessageEntries[] = {
    On<&TApplication::WMNull>(WM_NULL),
    On<&TApplication::WMSetFocus>(WM_SETFOCUS),
    On<&TApplication::FWMEnter>(FWM_ENTER),
    On<&TApplication::WMEnable>(WM_ENABLE),
    On<&TApplication::WMPaint>(WM_PAINT),
    On<&TApplication::WMClose>(WM_CLOSE),
    On<&TApplication::WMEraseBkgnd>(WM_ERASEBKGND),
    On<&TApplication::WMEndSession>(WM_ENDSESSION),
    On<&TApplication::WMWinIniChange>(WM_WININICHANGE),
    On<&TApplication::WMSysColorChange>(WM_SYSCOLORCHANGE),
    On<&TApplication::WMActivateApp>(WM_ACTIVATEAPP),
    On<&TApplication::FWMActivate>(FWM_ACTIVATE),
    On<&TApplication::FWMDeactivate>(FWM_DEACTIVATE),
    On<&TApplication::WMFontChange>(WM_FONTCHANGE),
    On<&TApplication::WMQueryDragIcon>(WM_QUERYDRAGICON),
    On<&TApplication::WMSysCommand>(WM_SYSCOMMAND),
    On<&TApplication::WMCtlColor>(WM_CTLCOLORMSGBOX),
    On<&TApplication::WMCtlColor>(WM_CTLCOLOREDIT),
    On<&TApplication::WMCtlColor>(WM_CTLCOLORLISTBOX),
    On<&TApplication::WMCtlColor>(WM_CTLCOLORBTN),
    On<&TApplication::WMCtlColor>(WM_CTLCOLORDLG),
    On<&TApplication::WMCtlColor>(WM_CTLCOLORSCROLLBAR),
    On<&TApplication::WMCtlColor>(WM_CTLCOLORSTATIC),
    On<&TApplication::FWMAppKeyDown>(FWM_APPKEYDOWN),
    On<&TApplication::FWMAppSysCommand>(FWM_APPSYSCOMMAND),
    On<&TApplication::FWMWindowHook>(FWM_WINDOWHOOK),
};

constinit const MessageTable TApplication::Messages{nullptr,
                                                    {kMessageEntries, std::size(kMessageEntries)}};

TApplication::TApplication(TComponent* owner) : TComponent(owner) {}

TApplication::~TApplication() = default;

void TApplication::Construct() {
  TComponent::Construct();
  icon_ = New<TIcon>();
  icon_->LoadFromResourceName(MainInstance(), "MAINICON");
  icon_->SetOnChange(MakeEvent<&TApplication::IconChanged>(this));
  title_ = ModuleTitle();
  CreateAppWindow();
}

void TApplication::TearDown() {
  // Threads still waiting for a call would wait forever: their calls fail instead.
  {
    std::lock_guard lock(callsMutex_);
    for (const auto& pending : calls_)
      pending->done.set_exception(std::make_exception_ptr(EAbort("")));
    calls_.clear();
  }
  active_ = false;
  CancelHint();
  SetShowHint(false);
  DestroyComponents();
  DestroyAppWindow();
  FreeAndNil(icon_);
  windowHooks_.clear();
  topMostList_.clear();
  TComponent::TearDown();
}

void TApplication::DestroyComponents() {
  DestroyOwned();
}

void TApplication::Notify(TComponent* component, Notice notice) {
  if (notice == Notice::NoticeRemove && component &&
      static_cast<TComponent*>(mainForm_) == component)
    mainForm_ = nullptr;
  TComponent::Notify(component, notice);
}

void TApplication::Initialize() {
  if (g_initializeHook) g_initializeHook();
}

void TApplication::SetInitializeHook(void (*hook)()) {
  g_initializeHook = hook;
}

// --- The application window -----------------------------------------------------------------

void TApplication::CreateAppWindow() {
  if (handle_ || IsConsoleProcess()) return;
  HINSTANCE instance = MainInstance();
  WNDCLASSA existing = {};
  if (!GetClassInfoA(instance, kAppClassName, &existing)) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kAppClassName;
    if (!RegisterClassA(&windowClass)) throw EOutOfResources(LoadText(TextId::SWindowClass));
  }
  handle_ = CreateWindowExA(0, kAppClassName, title_.c_str(), kAppWindowStyle,
                            GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0,
                            0, nullptr, nullptr, instance, nullptr);
  if (!handle_) RaiseLastOSError();
  title_.clear();
  handleCreated_ = true;
  entry_.SetHandler(MakeEvent<&TApplication::WndProc>(this));
  defaultProc_ = entry_.Bind(handle_);
  ApplyIcon();
  HMENU menu = GetSystemMenu(handle_, FALSE);
  DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
  DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
  if (NewStyleControls()) DeleteMenu(menu, SC_MOVE, MF_BYCOMMAND);
}

void TApplication::DestroyAppWindow() {
  if (!handle_ || !handleCreated_) return;
  if (NewStyleControls()) SendMessageA(handle_, WM_SETICON, ICON_BIG, 0);
  HWND window = handle_;
  // The window's text is the title; keep it for whoever still asks.
  title_ = Title();
  handle_ = nullptr;
  handleCreated_ = false;
  appWindowVisible_ = false;
  // A destroyed window's properties can no longer be removed.
  WindowEntry::Unbind(window);
  DestroyWindow(window);
}

HICON TApplication::IconHandle() const {
  if (icon_ && !icon_->Empty()) return icon_->Handle();
  return LoadIconA(nullptr, IDI_APPLICATION);
}

void TApplication::ApplyIcon() {
  if (!handle_ || !NewStyleControls()) return;
  HICON icon = IconHandle();
  SendMessageA(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SetClassLongPtrA(handle_, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
}

void TApplication::SetIcon(const TIcon* icon) {
  icon_->Assign(icon);
}

void TApplication::IconChanged(TObject*) {
  if (NewStyleControls())
    ApplyIcon();
  else if (handle_ && IsIconic(handle_))
    InvalidateRect(handle_, nullptr, TRUE);
  if (Screen)
    for (int i = 0; i < Screen->CustomFormCount(); ++i)
      Screen->CustomForm(i)->DeliverMessage(FWM_ICONCHANGED);
}

std::string TApplication::Title() const {
  if (handle_) {
    char text[256] = {};
    const int length = GetWindowTextA(handle_, text, sizeof text);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
  }
  return title_;
}

void TApplication::SetTitle(std::string_view title) {
  if (!handle_) {
    title_ = title;
    return;
  }
  if (Title() != title || !title_.empty()) {
    SetWindowTextA(handle_, std::string(title).c_str());
    title_.clear();
  }
}

void TApplication::SyncAppWindowVisibility() {
  if (!handle_) return;
  bool visible = false;
  if (Screen)
    for (int i = 0; i < Screen->CustomFormCount(); ++i) {
      const TCustomForm* form = Screen->CustomForm(i);
      if (form->Visible() && !form->ParentWindow()) {
        visible = true;
        break;
      }
    }
  ShowAppWindow(visible);
}

void TApplication::ShowAppWindow(bool visible) {
  // Only a window still in the state last given to it is changed: one that somebody else
  // showed or hid keeps what they did.
  if ((IsWindowVisible(handle_) != FALSE) != appWindowVisible_ || visible == appWindowVisible_)
    return;
  SetWindowPos(handle_, nullptr, 0, 0, 0, 0, visible ? kShowOnly : kHideOnly);
  appWindowVisible_ = visible;
}

// --- Forms ----------------------------------------------------------------------------------

void TApplication::NoteOwnedForm(TComponent* form) {
  if (mainForm_ || !form || !form->InheritsFrom(TForm::StaticClass)) return;
  auto* main = static_cast<TForm*>(form);
  main->HandleNeeded();
  mainForm_ = main;
}

// --- The loop -------------------------------------------------------------------------------

void TApplication::Run() {
  running_ = true;
  const Finally clearRunning([this] { running_ = false; });
  if (!g_cleanupRegistered) {
    g_cleanupRegistered = true;
    std::atexit(&CleanupAtExit);
  }
  if (!mainForm_) return;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
  if (show == SW_SHOWMAXIMIZED)
    mainForm_->SetWindowState(wsMaximized);
  else if (show == SW_SHOWMINNOACTIVE)
    mainForm_->RecordWindowState(wsMinimized);
  if (showMainForm_) {
    if (mainForm_->WindowState() == wsMinimized)
      MinimizeApp();
    else
      mainForm_->SetVisible(true);
  }
  while (!terminated_) {
    try {
      HandleNextMessage();
    } catch (...) {
      ReportException(this);
    }
  }
}

void TApplication::Terminate() {
  PostQuitMessage(0);
}

void TApplication::HandleNextMessage() {
  if (!ProcessOneMessage()) IdleStep();
}

bool TApplication::ProcessOneMessage() {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  bool handled = false;
  if (OnAppMessage) OnAppMessage(msg, handled);
  IsHintMessage(msg);
  if (handled || IsKeyMessage(msg) || (dialogWindow_ && IsDialogMessageA(dialogWindow_, &msg)))
    return true;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return true;
}

bool TApplication::IsHintMessage(MSG& msg) {
  if (hintWindow_ && hintWindow_->IsHintMessage(msg)) {
    CancelHint();
    return true;
  }
  return false;
}

bool TApplication::IsKeyMessage(MSG& msg) {
  if (msg.message < kFirstKeyMessage || msg.message > kLastKeyMessage) return false;
  HWND target = GetCapture();
  if (target) {
    if (reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(target, GWLP_HINSTANCE)) != MainInstance())
      return false;
  } else {
    target = msg.hwnd;
    HWND walk = target;
    while (walk && !TWinControl::FromWindow(walk))
      walk = GetParent(walk);
    if (walk) target = walk;
  }
  return SendMessageA(target, msg.message + FWM_REFLECT, msg.wParam, msg.lParam) != 0;
}

void TApplication::IdleStep() {
  TrackMouse();
  if (showHint_ && !mouseControl_) CancelHint();
  bool done = true;
  try {
    if (OnAppIdle) OnAppIdle(this, done);
  } catch (...) {
    ReportException(this);
  }
  if (RunCrossThreadCalls()) done = false;
  if (done) WaitMessage();
}

void TApplication::TrackMouse() {
  POINT point;
  TControl* control = nullptr;
  if (GetCursorPos(&point)) control = ControlAtPoint(point);
  if (control && control->Has(ComponentState::Designing)) control = nullptr;
  if (control == mouseControl_) return;
  TControl* capture = CaptureControl();
  if (mouseControl_ && (!capture || capture == mouseControl_))
    mouseControl_->DeliverMessage(FWM_MOUSELEAVE);
  mouseControl_ = control;
  if (mouseControl_ && (!capture || capture == mouseControl_))
    mouseControl_->DeliverMessage(FWM_MOUSEENTER);
}

void TApplication::SetHint(const std::string& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  if (OnAppHint) OnAppHint(this);
}

void TApplication::SetShowHint(bool on) {
  if (on == showHint_) return;
  showHint_ = on;
  if (on) {
    hintWindow_ = New<THintWindow>(this);
    hintWindow_->SetColor(hintColor_);
  } else {
    FreeAndNil(hintWindow_);
  }
}

void TApplication::SetHintColor(TColor color) {
  hintColor_ = color;
  if (hintWindow_) hintWindow_->SetColor(color);
}

void TApplication::CancelHint() {
  if (hintWindow_) hintWindow_->ReleaseHandle();
}

void TApplication::ControlDestroyed(TControl* control) {
  if (static_cast<TControl*>(mainForm_) == control) mainForm_ = nullptr;
  if (mouseControl_ == control) mouseControl_ = nullptr;
  if (static_cast<TControl*>(hintWindow_) == control) hintWindow_ = nullptr;
  if (Screen) Screen->ControlDestroyed(control);
}

// --- Cross-thread calls ---------------------------------------------------------------------

void TApplication::Synchronize(std::function<void()> call) {
  if (GetCurrentThreadId() == mainThread_) {
    call();
    return;
  }
  auto pending = std::make_shared<PendingCall>();
  pending->call = std::move(call);
  std::future<void> done = pending->done.get_future();
  {
    std::lock_guard lock(callsMutex_);
    calls_.push_back(pending);
  }
  if (handle_) PostMessageA(handle_, WM_NULL, 0, 0);
  done.get();
}

bool TApplication::RunCrossThreadCalls() {
  std::vector<std::shared_ptr<PendingCall>> calls;
  {
    std::lock_guard lock(callsMutex_);
    calls.swap(calls_);
  }
  for (const auto& pending : calls) {
    try {
      pending->call();
      pending->done.set_value();
    } catch (...) {
      // The waiting thread gets the error back.
      pending->done.set_exception(std::current_exception());
    }
  }
  return !calls.empty();
}

// --- Exceptions -----------------------------------------------------------------------------

[[gnu::noinline]] void TApplication::ReportException(TObject* sender) {
  // Where the exception was caught is the nearest the runtime can tell of where it arose.
  const void* address = __builtin_return_address(0);
  try {
    if (HWND capture = GetCapture()) SendMessageA(capture, WM_CANCELMODE, 0, 0);
    try {
      throw;
    } catch (const EAbort&) {
    } catch (const Exception& exception) {
      if (OnAppException)
        OnAppException(sender, exception);
      else
        DisplayException(exception);
    } catch (...) {
      ShowRuntimeError(address, CurrentExceptionTypeName(), "", "");
    }
  } catch (...) {
    // The report itself failed; there is nowhere left to show that.
  }
}

void TApplication::DisplayException(const Exception& exception) {
  std::string message = exception.Message();
  if (NeedsPeriod(message)) message += '.';
  AppMessageBox(message, Title(), MB_OK | MB_ICONERROR);
}

int TApplication::AppMessageBox(std::string_view text, std::string_view caption, UINT flags) {
  HWND active = GetActiveWindow();
  RECT saved = {};
  bool moved = false;
  if (handle_) {
    HMONITOR target = Desktop().monitorFromWindow(active);
    if (target != Desktop().monitorFromWindow(handle_)) {
      MONITORINFO monitor = {};
      static_assert(sizeof(MONITORINFO) == 40);
      if (Desktop().monitorInfo(target, monitor) && GetWindowRect(handle_, &saved)) {
        CenterOn(handle_, monitor.rcMonitor);
        moved = true;
      }
    }
  }
  TWindowList disabled = DisableThreadWindows(nullptr);
  const int focusCount = FocusCount();
  const Finally restore([&] {
    if (moved) CenterOn(handle_, saved);
    ReenableWindows(disabled);
    SetActiveWindow(active);
    SetFocusCount(focusCount);
  });
  return ShowMessageBox(handle_, std::string(text), std::string(caption), flags);
}

// --- Hooks and short-cuts -------------------------------------------------------------------

void TApplication::HookMainWindow(const TWindowHook& hook) {
  if (handle_)
    SendMessageA(handle_, FWM_WINDOWHOOK, reinterpret_cast<WPARAM>(&hook), 1);
  else
    windowHooks_.push_back(hook);
}

void TApplication::UnhookMainWindow(const TWindowHook& hook) {
  if (handle_)
    SendMessageA(handle_, FWM_WINDOWHOOK, reinterpret_cast<WPARAM>(&hook), 0);
  else
    std::erase(windowHooks_, hook);
}

bool TApplication::IsShortCut(TMessage& message) {
  bool handled = false;
  if (OnAppShortCut) OnAppShortCut(message, handled);
  if (!handled && mainForm_ && mainForm_->HandleAllocated() && IsWindowEnabled(mainForm_->Handle()))
    handled = mainForm_->IsShortCut(message);
  return handled;
}

// --- The application window's messages ------------------------------------------------------

void TApplication::WndProc(TMessage& message) {
  try {
    // A hook may unhook itself; walk a copy.
    const std::vector<TWindowHook> hooks = windowHooks_;
    for (const TWindowHook& hook : hooks) {
      bool handled = false;
      hook(message, handled);
      if (handled) return;
    }
    CheckSettings(message);
    if (!DispatchFromTable(*this, &Messages, message)) DefaultHandling(message);
  } catch (...) {
    ReportException(this);
  }
}

void TApplication::DefaultHandling(TMessage& message) {
  message.Result = CallWindowProcA(defaultProc_ ? defaultProc_ : &DefWindowProcA, handle_,
                                   message.Msg, message.WParam, message.LParam);
}

void TApplication::CheckSettings(TMessage& message) {
  const bool taskbar = g_taskbarCreated != 0 && message.Msg == g_taskbarCreated;
  if (message.Msg != WM_WININICHANGE && !taskbar) return;
  if (updateFormatSettings_) SetThreadLocale(LOCALE_USER_DEFAULT);
  if (updateMetricSettings_ && Screen) Screen->ReadMetrics();
  if (taskbar && Screen) Screen->ResetFonts();
}

void TApplication::WMNull(TMessage&) {
  RunCrossThreadCalls();
}

void TApplication::WMSetFocus(TMessage& message) {
  PostMessageA(handle_, FWM_ENTER, 0, 0);
  DefaultHandling(message);
}

void TApplication::FWMEnter(TMessage&) {
  if (IsIconic(handle_) || GetFocus() != handle_) return;
  if (HWND window = FindFirstThreadWindow(nullptr)) SetFocus(window);
}

void TApplication::WMEnable(TMessage& message) {
  if (!message.WParam) {
    DefaultHandling(message);
    if (!hasSavedWindows_) {
      savedWindows_ = DisableThreadWindows(handle_);
      hasSavedWindows_ = true;
    }
    LowerTopMostWindows(true);
  } else {
    RaiseTopMostWindows();
    if (hasSavedWindows_) {
      ReenableWindows(savedWindows_);
      hasSavedWindows_ = false;
    }
    DefaultHandling(message);
  }
}

void TApplication::WMPaint(TMessage& message) {
  if (!IsIconic(handle_)) {
    DefaultHandling(message);
    return;
  }
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(handle_, &paint);
  DrawIcon(dc, 0, 0, IconHandle());
  EndPaint(handle_, &paint);
}

void TApplication::WMClose(TMessage&) {
  if (mainForm_) mainForm_->Close();
}

void TApplication::WMEraseBkgnd(TMessage& message) {
  message.Msg = WM_ICONERASEBKGND;
  DefaultHandling(message);
}

void TApplication::WMEndSession(TMessage& message) {
  if (message.WParam) terminated_ = true;
}

void TApplication::WMWinIniChange(TMessage& message) {
  if (Mouse) Mouse->SettingChanged(static_cast<UINT>(message.WParam));
  if (OnAppSettingChange) OnAppSettingChange(this);
  DefaultHandling(message);
}

void TApplication::WMSysColorChange(TMessage& message) {
  // Every top-level window of the process hears of the change. The application window, the
  // one that is always there, lets the pens and brushes made for system colours go and has
  // every form painted anew with the ones made in their place.
  SystemColorsChanged();
  if (Screen)
    for (int i = 0; i < Screen->CustomFormCount(); ++i)
      if (TCustomForm* form = Screen->CustomForm(i); form->HandleAllocated())
        RedrawWindow(form->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  DefaultHandling(message);
}

void TApplication::WMActivateApp(TMessage& message) {
  DefaultHandling(message);
  active_ = message.WParam != 0;
  if (active_) {
    RaiseTopMostWindows();
    PostMessageA(handle_, FWM_ACTIVATE, 0, 0);
  } else {
    LowerTopMostWindows(false);
    PostMessageA(handle_, FWM_DEACTIVATE, 0, 0);
  }
}

void TApplication::FWMActivate(TMessage&) {
  if (OnAppActivate) OnAppActivate(this);
}

void TApplication::FWMDeactivate(TMessage&) {
  if (OnAppDeactivate) OnAppDeactivate(this);
}

void TApplication::WMFontChange(TMessage& message) {
  if (Screen) Screen->ResetFonts();
  DefaultHandling(message);
}

void TApplication::WMQueryDragIcon(TMessage& message) {
  message.Result = reinterpret_cast<LRESULT>(IconHandle());
}

void TApplication::WMSysCommand(TMessage& message) {
  switch (message.WParam & 0xFFF0) {
    case SC_MINIMIZE:
      MinimizeApp();
      break;
    case SC_RESTORE:
      RestoreApp();
      break;
    default:
      DefaultHandling(message);
  }
}

void TApplication::WMCtlColor(TMessage& message) {
  if (!TWinControl::ReflectToChild(handle_, message)) DefaultHandling(message);
}

void TApplication::FWMAppKeyDown(TMessage& message) {
  if (IsShortCut(message)) message.Result = 1;
}

void TApplication::FWMAppSysCommand(TMessage& message) {
  if (!mainForm_ || !mainForm_->HandleAllocated()) return;
  HWND main = mainForm_->Handle();
  if (!IsWindowEnabled(main) || !IsWindowVisible(main)) return;
  SetFocusMessages(false);
  HWND focus = GetFocus();
  const Finally restore([focus] {
    SetFocus(focus);
    SetFocusMessages(true);
  });
  SetFocus(main);
  mainForm_->DeliverMessage(WM_SYSCOMMAND, message.WParam, message.LParam);
  message.Result = 1;
}

void TApplication::FWMWindowHook(TMessage& message) {
  const auto& hook = *reinterpret_cast<const TWindowHook*>(message.WParam);
  if (message.LParam)
    windowHooks_.push_back(hook);
  else
    std::erase(windowHooks_, hook);
}

}  // namespace sx
