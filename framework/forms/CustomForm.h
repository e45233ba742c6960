#pragma once

// Forms: TCustomForm and TForm, their border, position, state and close types, the modal
// results and the tab-order walk that moves the focus between controls.

#include <windows.h>

#include <cstdint>
#include <type_traits>

#include "framework/controls/FormHost.h"
#include "framework/forms/Application.h"
#include "framework/forms/ScrollingWinControl.h"
#include "framework/runtime/Set.h"

namespace sx {

class TIcon;

enum TFormBorderStyle : std::uint8_t {
  bsNone,
  bsSingle,
  bsSizeable,
  bsDialog,
  bsToolWindow,
  bsSizeToolWin
};
enum TBorderIcon : std::uint8_t { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = Set<TBorderIcon, std::uint8_t>;
enum TPosition : std::uint8_t {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
enum TWindowState : std::uint8_t { wsNormal, wsMinimized, wsMaximized };
enum TFormStyle : std::uint8_t { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TCloseAction : std::uint8_t { closeNone, closeHide, closeFree, closeMinimize };

extern const TypeInfo TypeInfo_TFormBorderStyle;
extern const TypeInfo TypeInfo_TBorderIcon;
extern const TypeInfo TypeInfo_TBorderIcons;
extern const TypeInfo TypeInfo_TPosition;
extern const TypeInfo TypeInfo_TWindowState;
extern const TypeInfo TypeInfo_TFormStyle;
extern const TypeInfo TypeInfo_TCloseAction;
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TFormBorderStyle>) {
  return &TypeInfo_TFormBorderStyle;
}
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TBorderIcon>) {
  return &TypeInfo_TBorderIcon;
}
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TBorderIcons>) {
  return &TypeInfo_TBorderIcons;
}
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TPosition>) {
  return &TypeInfo_TPosition;
}
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TWindowState>) {
  return &TypeInfo_TWindowState;
}
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TFormStyle>) {
  return &TypeInfo_TFormStyle;
}
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TCloseAction>) {
  return &TypeInfo_TCloseAction;
}

// The modal results the forms name (the type, TModalResult, is in FormHost.h).
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;

using TCloseEvent = Event<TObject*, TCloseAction&>;
using TCloseQueryEvent = Event<TObject*, bool&>;
using TShortCutKeyEvent = Event<TMessage&, bool&>;

// Asks a form class for an empty form: no stored definition is read.
struct CreateNewTag {};
inline constexpr CreateNewTag kCreateNew{};

// Whether forms start reading their definition with OldCreateOrder on; off in this program.
void SetDefaultOldCreateOrder(bool on);

// The next (or, going back, the previous) control after `current` among the controls inside
// `container`, in tab order, that can take the focus: with `checkTabStop` only tab stops,
// with `checkParent` only the container's own children. Wraps around; none when nothing fits.
TWinControl* FindNextControl(const TWinControl* container, TWinControl* current, bool forward,
                             bool checkTabStop, bool checkParent);
// Focuses that control: the tab stops of a form for Tab, the siblings for the arrow keys.
void SelectNext(TWinControl* container, TWinControl* current, bool forward, bool checkTabStop);

// A form: a top-level window (owned by the application window) that owns the controls of
// its stored definition, keeps track of which of them has the focus, moves the focus on
// dialog keys, closes, runs modally and frees itself on request.
class TCustomForm : public TScrollingWinControl, public TFormHost {
  SX_CLASS(TCustomForm)
  SX_MESSAGES()

  // A form of a class with a stored definition reads it while it is constructed.
  explicit TCustomForm(TComponent* owner);
  TCustomForm(TComponent* owner, CreateNewTag);

  void Construct() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void TearDown() override;

  // --- Window -------------------------------------------------------------------------------
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle style);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons icons);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position);
  TWindowState WindowState() const { return windowState_; }
  void SetWindowState(TWindowState state);
  // Records the state without applying it to the window (the start-up show command).
  void RecordWindowState(TWindowState state) { windowState_ = state; }
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle style);
  TIcon* Icon() const { return icon_; }
  void SetIcon(const TIcon* icon);
  // The icon the window shows: its own, else the application's.
  HICON IconHandle() const;

  // --- Scaling ------------------------------------------------------------------------------
  // The screen's when the form has none of its own (Scaled off).
  int PixelsPerInch() const override;
  void SetPixelsPerInch(int pixelsPerInch);
  // The screen's pixels per inch: the system's, the same on every monitor for programs that
  // do not scale themselves per monitor.
  static int ScreenResolution();
  bool Scaled() const { return pixelsPerInch_ != 0; }
  void SetScaled(bool on);
  bool OldCreateOrder() const { return oldCreateOrder_; }
  void SetOldCreateOrder(bool on) { oldCreateOrder_ = on; }
  // While the form reads its definition the client size waits aside, to be scaled first.
  void SetClientWidth(std::int32_t value) override;
  void SetClientHeight(std::int32_t value) override;
  // Without a window, the client area the window's frame will leave.
  RECT ClientRect() const override;

  // --- Showing ------------------------------------------------------------------------------
  void SetVisible(bool visible) override;
  // Visible, then the window to the front.
  void Show();
  void Hide() { SetVisible(false); }
  bool Active() const { return active_; }

  // --- Focus --------------------------------------------------------------------------------
  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* control);
  TWinControl* FocusedControl() const { return focusedControl_; }
  bool SetFocusedControl(TWinControl* control) override;
  void DefocusControl(TWinControl* control, bool removing) override;
  void FocusControl(TWinControl* control) override;
  // Every button hears the active control again (FWM_FOCUSCHANGED).
  void DefaultButtonChanged() override;
  void SetFocus() override;
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool on) { keyPreview_ = on; }

  // --- Closing ------------------------------------------------------------------------------
  void Close();
  bool CloseByButton() override;
  bool QueryClose();
  void NotifyClose(TCloseAction& action);
  // Frees the form once the messages already queued for it have been handled.
  void ReleaseLater();

  // --- Modal --------------------------------------------------------------------------------
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult result) { modalResult_ = result; }
  void TakeModalResult(TModalResult result) override { SetModalResult(result); }
  TModalResult RunModal();
  bool Modal() const;

  // The form's own short-cuts (the application asks the main form).
  virtual bool IsShortCut(TMessage& message);

  // --- Events -------------------------------------------------------------------------------
  const TNotifyEvent& OnCreate() const { return onCreate_; }
  void SetOnCreate(const TNotifyEvent& event) { onCreate_ = event; }
  const TNotifyEvent& OnDestroy() const { return onDestroy_; }
  void SetOnDestroy(const TNotifyEvent& event) { onDestroy_ = event; }
  const TNotifyEvent& OnShow() const { return onShow_; }
  void SetOnShow(const TNotifyEvent& event) { onShow_ = event; }
  const TNotifyEvent& OnHide() const { return onHide_; }
  void SetOnHide(const TNotifyEvent& event) { onHide_ = event; }
  const TNotifyEvent& OnActivate() const { return onActivate_; }
  void SetOnActivate(const TNotifyEvent& event) { onActivate_ = event; }
  const TNotifyEvent& OnDeactivate() const { return onDeactivate_; }
  void SetOnDeactivate(const TNotifyEvent& event) { onDeactivate_ = event; }
  const TCloseEvent& OnClose() const { return onClose_; }
  void SetOnClose(const TCloseEvent& event) { onClose_ = event; }
  const TCloseQueryEvent& OnCloseQuery() const { return onCloseQuery_; }
  void SetOnCloseQuery(const TCloseQueryEvent& event) { onCloseQuery_ = event; }
  const TShortCutKeyEvent& OnShortCut() const { return onShortCut_; }
  void SetOnShortCut(const TShortCutKeyEvent& event) { onShortCut_ = event; }

  // --- Loading ------------------------------------------------------------------------------
  void LoadState(TReader& reader) override;
  void AfterLoad() override;
  void DefineStoredData(TFiler& filer) override;

  void MessageProc(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  // An exception of OnCreate; true when handled (the default reports it).
  virtual bool HandleCreateException();

  // Message handlers.
  void FWMShowingChanged(TMessage& message);
  void WMActivate(TMessage& message);
  void WMClose(TMessage& message);
  void WMQueryEndSession(TMessage& message);
  void WMSysCommand(TMessage& message);
  void WMShowWindow(TMessage& message);
  void WMSize(TMessage& message);
  void FWMActivate(TMessage& message);
  void FWMDeactivate(TMessage& message);
  void FWMRelease(TMessage& message);
  void FWMIconChanged(TMessage& message);
  void FWMChildKey(TMessage& message);
  void FWMDialogKey(TMessage& message);
  // The window system tells only top-level windows of a change of the system colours; a
  // top-level form passes it on to every window inside it, the system's controls included.
  void WMSysColorChange(TMessage& message);
  // Moved to a screen of another resolution: the form and its controls rescale by new / old
  // pixels per inch and the window takes the place the system suggests.
  void WMDpiChanged(TMessage& message);

  // The pixels per inch of the monitor the form opens on, the screen's when the system
  // cannot tell.
  int OpeningResolution();
  // Scales the form's own font from `oldPixelsPerInch` to `newPixelsPerInch`.
  virtual void RescaleFont(int newPixelsPerInch, int oldPixelsPerInch);

 private:
  enum class FormState : std::uint8_t { Creating, VisibleWish, Showing, Modal, ActivationPending };
  using TFormState = Set<FormState, std::uint8_t>;
  // What a form remembers of itself while its owner window is minimised.
  enum class SavedShow : std::uint8_t { None, Restore, Minimise, Maximise };

  static const MessageEntry kMessageEntries[];

  void InitForm();
  // The height of "0" in the form's font as moving from `oldPixelsPerInch` to
  // `newPixelsPerInch` will make it; 0 when it cannot be measured.
  std::int32_t TextHeightAt(int newPixelsPerInch, int oldPixelsPerInch);
  void RunCreateEvent();
  void RunDestroyEvent();
  void SetActive(bool active);
  void SetWindowFocus();
  // The monitor the form opens on: the active form's, else the main form's, else its own.
  HMONITOR DefaultMonitor();
  void ApplyCentring();
  void MoveToDefaultMonitor();
  void IconChanged(TObject* sender);
  void SendIcon();
  void RecreateOutsideDesign();
  void TryCloseModal();

  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
  TPosition position_ = poDesigned;
  TWindowState windowState_ = wsNormal;
  TFormStyle formStyle_ = fsNormal;
  TIcon* icon_ = nullptr;
  int pixelsPerInch_ = 0;
  bool oldCreateOrder_ = false;
  bool createNew_ = false;
  bool keyPreview_ = false;
  TFormState formState_;
  SavedShow savedShow_ = SavedShow::None;
  TModalResult modalResult_ = mrNone;
  bool active_ = false;
  TWinControl* activeControl_ = nullptr;
  TWinControl* focusedControl_ = nullptr;
  // Read from the definition: the text height of "0" where it was made, and the client
  // size waiting to be scaled.
  std::int32_t storedTextHeight_ = 0;
  // The scale the controls stand at against the definition, as the ratio of the two.
  std::int64_t layoutScaleM_ = 1;
  std::int64_t layoutScaleD_ = 1;
  std::int32_t pendingClientWidth_ = 0;
  std::int32_t pendingClientHeight_ = 0;
  // The character of a dialog key the form took, whose character message follows.
  int swallowChar_ = 0;
  TNotifyEvent onCreate_;
  TNotifyEvent onDestroy_;
  TNotifyEvent onShow_;
  TNotifyEvent onHide_;
  TNotifyEvent onActivate_;
  TNotifyEvent onDeactivate_;
  TCloseEvent onClose_;
  TCloseQueryEvent onCloseQuery_;
  TShortCutKeyEvent onShortCut_;
};

// The form class of the program's forms; its class alone reads no definition.
class TForm : public TCustomForm {
  SX_CLASS(TForm)

  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
  TForm(TComponent* owner, CreateNewTag tag) : TCustomForm(owner, tag) {}
};

}  // namespace sx
