#pragma once

// The application object and the process-wide framework around it: start and stop, focus
// bookkeeping and the message box seam.

#include <windows.h>

#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "framework/controls/Messages.h"
#include "framework/controls/WindowEntry.h"
#include "framework/forms/ThreadWindows.h"
#include "framework/graphics/Colors.h"
#include "framework/runtime/Exception.h"
#include "framework/streaming/Component.h"

namespace sx {

class TApplication;
class TControl;
class TCustomForm;
class TForm;
class THintWindow;
class TIcon;
class TMouse;
class TScreen;

// The process-wide objects. The framework start makes them and its end frees them.
extern TApplication* Application;
extern TScreen* Screen;
extern TMouse* Mouse;

// Focus bookkeeping shared by the forms: the counter rises at every focus change, so that
// a step that sent notifications can tell whether a handler moved the focus meanwhile; while
// focus messages are off, forms ignore activation and focus messages.
int FocusCount();
void SetFocusCount(int count);
bool FocusMessages();
void SetFocusMessages(bool on);

// The title a program starts with: its file name without the path and without anything from
// the first dot on, every character but the first in lower case.
std::string TitleFromModuleName(std::string_view path);

// The message the shell broadcasts when it (re)starts.
UINT TaskbarCreatedMessage();

// Makes the process-wide objects: the window-property atoms, the mouse, the screen, the
// application with its window (from then on the controls' application host), the hint
// window; registers "TaskbarCreated". The system services must be installed first. A second
// call does nothing. A failure is shown in the runtime's error box, what was made is freed
// again, and the answer is false.
bool StartFramework();
// Undoes the start: cleans the application up, frees it, the screen and the mouse, uninstalls
// the application host and deletes the atoms. Registered to run at process exit; safe to call
// earlier and again.
void FinishFramework();
// Hides what the application window owns and destroys every component the application
// owns, last created first. Run registers it as an exit routine.
void ApplicationCleanup();

// Where every message box of the framework is shown. Tests put a recorder here.
using MessageBoxProc = int(WINAPI*)(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);
MessageBoxProc SetMessageBoxProc(MessageBoxProc proc);
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

// Hook types of the application object.
using TExceptionEvent = Event<TObject*, const Exception&>;
using TMessageEvent = Event<MSG&, bool&>;
using TIdleEvent = Event<TObject*, bool&>;
using TShortCutEvent = Event<TMessage&, bool&>;
// A callback that sees the application window's messages first; answering true ends their
// processing.
using TWindowHook = Event<TMessage&, bool&>;

// The one application object: the hidden application window (taskbar button, title, icon,
// owner of every top-level form), the forms it creates, the message loop and the display of
// exceptions that escape message handling.
class TApplication : public TComponent {
  SX_CLASS(TApplication)

  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  void Construct() override;
  void TearDown() override;
  void Notify(TComponent* component, Notice notice) override;

  HWND Handle() const { return handle_; }

  // Calls the process-wide start hook, if one is installed.
  void Initialize();
  static void SetInitializeHook(void (*hook)());

  std::string Title() const;
  void SetTitle(std::string_view title);

  TIcon* Icon() const { return icon_; }
  void SetIcon(const TIcon* icon);
  // The icon handle the application window shows: its Icon's, else the system's.
  HICON IconHandle() const;

  TForm* MainForm() const { return mainForm_; }
  bool Terminated() const { return terminated_; }
  bool Running() const { return running_; }
  bool Active() const { return active_; }
  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool on) { showMainForm_ = on; }
  bool UpdateFormatSettings() const { return updateFormatSettings_; }
  void SetUpdateFormatSettings(bool on) { updateFormatSettings_ = on; }
  bool UpdateMetricSettings() const { return updateMetricSettings_; }
  void SetUpdateMetricSettings(bool on) { updateMetricSettings_ = on; }

  // Hints: the hint window exists while they are on.
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool on);
  THintWindow* HintWindow() const { return hintWindow_; }
  TColor HintColor() const { return hintColor_; }
  void SetHintColor(TColor color);
  int HintPause() const { return hintPause_; }
  int HintShortPause() const { return hintShortPause_; }
  int HintHidePause() const { return hintHidePause_; }
  bool HintShortCuts() const { return hintShortCuts_; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  void CancelHint();
  TControl* MouseControl() const { return mouseControl_; }

  // A window whose keyboard messages go through IsDialogMessage.
  HWND DialogWindow() const { return dialogWindow_; }
  void SetDialogWindow(HWND window) { dialogWindow_ = window; }

  // Makes a form of class T owned by the application and stores it into `reference` before
  // its constructor runs. The first TForm made so becomes the main form and gets its window.
  template <class T>
  void CreateOwnedForm(T*& reference) {
    T* form = NewInto<T>(reference, this);
    NoteOwnedForm(form);
  }

  void Run();
  void Terminate();
  void HandleNextMessage();
  bool ProcessOneMessage();
  void IdleStep();

  // Handles the exception being processed; call only inside a catch block.
  void ReportException(TObject* sender);
  void DisplayException(const Exception& exception);
  int AppMessageBox(std::string_view text, std::string_view caption, UINT flags);

  // The taskbar side of the application window. Minimising and restoring do nothing when
  // the application window is already in the wanted state.
  void MinimizeApp();
  void RestoreApp();
  // Makes the window that last held the program's activation (a modal dialog, say) the
  // foreground window.
  void BringAppToFront();
  // Makes the top-most windows the application window owns ordinary ones while the program
  // is inactive, minimised or disabled; nestable, only the outermost pair acts.
  void LowerTopMostWindows(bool includeMainForm);
  void RaiseTopMostWindows();
  // ShowWindow with the system's minimise and restore animation switched off meanwhile.
  static void ShowWithoutAnimation(HWND window, int command);
  // A left click into a disabled window of the program: when the window that holds the
  // program modal is not in front, brings it there and answers true.
  bool ClickIntoDisabledWindow();

  // Shows or hides the application window (and so its taskbar button) as the forms'
  // visibility asks.
  void SyncAppWindowVisibility();

  void HookMainWindow(const TWindowHook& hook);
  void UnhookMainWindow(const TWindowHook& hook);

  // Offers a key to the application's short-cuts; true when taken.
  bool IsShortCut(TMessage& message);

  // A control is going away: forget every reference to it.
  void ControlDestroyed(TControl* control);

  // Destroys every component the application owns, last created first.
  void DestroyComponents();

  // Runs the call on the application's thread, from the message loop, and waits for it;
  // on the application's thread itself it runs at once. An exception of the call is raised
  // again in the calling thread.
  void Synchronize(std::function<void()> call);

  // Optional hooks.
  TMessageEvent OnAppMessage;
  TIdleEvent OnAppIdle;
  TExceptionEvent OnAppException;
  TNotifyEvent OnAppActivate;
  TNotifyEvent OnAppDeactivate;
  TNotifyEvent OnAppMinimize;
  TNotifyEvent OnAppRestore;
  TShortCutEvent OnAppShortCut;
  TNotifyEvent OnAppHint;
  TNotifyEvent OnAppSettingChange;

 private:
  void NoteOwnedForm(TComponent* form);
  void CreateAppWindow();
  void DestroyAppWindow();
  void IconChanged(TObject* sender);
  void ApplyIcon();
  void ShowAppWindow(bool visible);
  // The main form takes part in minimising and restoring: the system animates from it.
  bool MainFormAnimates();
  // A key message goes first to the control it is typed into, reflected; true when the
  // control took it and it is to go no further.
  bool IsKeyMessage(MSG& msg);
  bool IsHintMessage(MSG& msg);
  void TrackMouse();
  // Runs the calls other threads queued; true when there were any.
  bool RunCrossThreadCalls();

  // The application window's message handler and the rows of its table.
  void WndProc(TMessage& message);
  void DefaultHandling(TMessage& message);
  void CheckSettings(TMessage& message);
  void WMNull(TMessage& message);
  void WMSetFocus(TMessage& message);
  void FWMEnter(TMessage& message);
  void WMEnable(TMessage& message);
  void WMPaint(TMessage& message);
  void WMClose(TMessage& message);
  void WMEraseBkgnd(TMessage& message);
  void WMEndSession(TMessage& message);
  void WMWinIniChange(TMessage& message);
  void WMSysColorChange(TMessage& message);
  void WMActivateApp(TMessage& message);
  void FWMActivate(TMessage& message);
  void FWMDeactivate(TMessage& message);
  void WMFontChange(TMessage& message);
  void WMQueryDragIcon(TMessage& message);
  void WMSysCommand(TMessage& message);
  void WMCtlColor(TMessage& message);
  void FWMAppKeyDown(TMessage& message);
  void FWMAppSysCommand(TMessage& message);
  void FWMWindowHook(TMessage& message);

  static const MessageEntry kMessageEntries[];
  static const MessageTable Messages;

  struct PendingCall {
    std::function<void()> call;
    std::promise<void> done;
  };

  HWND handle_ = nullptr;
  bool handleCreated_ = false;
  // The visibility the application window was last given.
  bool appWindowVisible_ = false;
  DWORD mainThread_ = GetCurrentThreadId();
  std::mutex callsMutex_;
  std::vector<std::shared_ptr<PendingCall>> calls_;
  WindowEntry entry_;
  WNDPROC defaultProc_ = nullptr;
  std::string title_;
  TIcon* icon_ = nullptr;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool running_ = false;
  bool active_ = true;
  bool showMainForm_ = true;
  bool updateFormatSettings_ = true;
  bool updateMetricSettings_ = true;
  bool showHint_ = false;
  THintWindow* hintWindow_ = nullptr;
  TColor hintColor_ = clInfoBk;
  int hintPause_ = 500;
  int hintShortPause_ = 0;
  int hintHidePause_ = 2500;
  bool hintShortCuts_ = true;
  std::string hint_;
  TControl* mouseControl_ = nullptr;
  TWindowList savedWindows_;
  bool hasSavedWindows_ = false;
  std::vector<HWND> topMostList_;
  int topMostLevel_ = 0;
  std::vector<TWindowHook> windowHooks_;
  HWND dialogWindow_ = nullptr;
};

// Adds or removes a hook of the application window: WParam = the hook (TWindowHook*),
// LParam = 1 to add, 0 to remove.
inline constexpr UINT FWM_WINDOWHOOK = 0xB03A;

}  // namespace sx
