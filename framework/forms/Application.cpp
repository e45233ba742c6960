// The application object: its class records, construction and destruction, the application
// window with its title and icon, and the forms it owns. The start of the framework, the loop,
// the window's messages, exceptions and the taskbar have files of their own.

#include "framework/forms/Application.h"

#include <string>

#include "framework/controls/SystemError.h"
#include "framework/forms/CustomForm.h"
#include "framework/forms/HintWindow.h"
#include "framework/forms/Icon.h"
#include "framework/forms/RuntimeError.h"
#include "framework/forms/Screen.h"
#include "framework/runtime/SystemVersion.h"
#include "framework/runtime/Texts.h"

namespace sx {
namespace {

void (*g_initializeHook)() = nullptr;

constexpr char kAppClassName[] = "TApplication";
constexpr DWORD kAppWindowStyle =
    WS_POPUP | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;  // 0x84CA0000
static_assert(kAppWindowStyle == 0x84CA0000);

// SetWindowPos flags that only show or hide.
constexpr UINT kShowOnly = SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;
constexpr UINT kHideOnly = SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;
static_assert(kShowOnly == 0x57 && kHideOnly == 0x97);

std::string ModuleTitle() {
  char path[257] = {};
  const DWORD length = GetModuleFileNameA(MainInstance(), path, 256);
  path[length < 256 ? length : 256] = '\0';
  // The loader reports the name in the OEM character set.
  OemToCharA(path, path);
  return TitleFromModuleName(path);
}

}  // namespace

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
    On<&TApplication::WMCtlColor>(WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC),
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

void TApplication::ControlDestroyed(TControl* control) {
  if (static_cast<TControl*>(mainForm_) == control) mainForm_ = nullptr;
  if (mouseControl_ == control) mouseControl_ = nullptr;
  if (static_cast<TControl*>(hintWindow_) == control) hintWindow_ = nullptr;
  if (Screen) Screen->ControlDestroyed(control);
}

}  // namespace sx
