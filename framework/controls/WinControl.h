#pragma once

// TWinControl: a control with a window of its own. It makes the window when the window is
// first needed, routes the window system's calls to the object, keeps its windowed
// children in a tab order and reflects the notifications a child window sends its parent
// back to that child.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/controls/Control.h"
#include "framework/controls/WindowEntry.h"
#include "framework/graphics/PenBrush.h"

namespace sx {

// What a windowed control's window is made with.
struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASSA WindowClass{};
  std::string WinClassName;
};

class TWinControl : public TControl {
  SX_CLASS(TWinControl)
  SX_MESSAGES()

  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  // --- The window -------------------------------------------------------------------------
  // The window, made first when there is none yet.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Makes the window (and the parent's before it) when there is none.
  void HandleNeeded();
  // Makes the window now; nothing when it exists.
  virtual void CreateHandle();
  // Destroys the windows of the children and then its own, copying each window's text
  // back into its control first.
  void DestroyHandle();
  // Destroys the window and makes it again as Showing demands (after a change that only
  // takes effect at creation, such as a style).
  void RecreateWindow();
  // The procedure of the underlying window class: unhandled messages go there.
  WNDPROC DefWndProc() const { return defWndProc_; }

  // A window of the system's that is the parent window of a control with no parent
  // control (a control embedded in a foreign window).
  HWND ParentWindow() const { return parentWindow_; }
  void SetParentWindow(HWND window);

  // The window is actually shown.
  bool Showing() const { return showing_; }
  // Brings Showing in line with Visible, the reading state and the parents: creates the
  // windows that become needed, children first-to-last after their parent.
  void UpdateShowing();
  // UpdateShowing, when every parent is showing and the outermost one is a form or has a
  // parent window.
  void UpdateControlState();

  // --- Children ---------------------------------------------------------------------------
  // Plain children first, then windowed ones, each in the order they joined.
  int ChildCount() const;
  TControl* Child(int index) const;
  const std::vector<TControl*>& PlainChildren() const { return controls_; }
  const std::vector<TWinControl*>& WindowedChildren() const { return winControls_; }
  const std::vector<TWinControl*>& TabList() const { return tabList_; }
  // Whether the control is this one or one of its children, at any depth.
  bool ContainsControl(const TControl* control) const;
  // The topmost visible, enabled plain child at a point of the client area.
  TControl* PlainChildAt(POINT point) const;

  // --- Tab order --------------------------------------------------------------------------
  // While reading: the stored value. Otherwise the index in the parent's tab list (-1
  // without a parent).
  std::int16_t TabOrder() const;
  // While reading it only stores the value; otherwise moves the control in its parent's tab
  // list, clamped to the list.
  void SetTabOrder(std::int16_t order);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value);
  // Puts the windowed children at the indexes their stored tab orders ask for.
  void FixTabList();
  // Appends every windowed control inside this one in tab order, depth first.
  void CollectTabOrder(std::vector<TWinControl*>& list) const;

  // --- Focus ------------------------------------------------------------------------------
  // Visible and enabled up to its form.
  virtual bool CanFocus() const;
  bool Focused() const;
  // Asks the form to focus the control; without a form, focuses the window when the
  // control has a parent window.
  virtual void SetFocus();
  // A form claims a child's key message by answering FWM_CHILDKEY (WParam = the child,
  // LParam = the TMessage*) with a non-zero result.

  // --- Appearance -------------------------------------------------------------------------
  TBrush* Brush() const { return brush_; }
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool value);
  bool ParentCtl3D() const { return parentCtl3D_; }
  void SetParentCtl3D(bool value);
  // Paints through a memory bitmap copied to the screen at the end, so nothing flickers.
  bool DoubleBuffered() const { return doubleBuffered_; }
  void SetDoubleBuffered(bool value) { doubleBuffered_ = value; }

  RECT ClientRect() const override;
  void ChangeBounds(std::int32_t left, std::int32_t top, std::int32_t width,
                    std::int32_t height) override;
  void Invalidate() override;

  // --- Accessibility ----------------------------------------------------------------------
  // The name screen readers announce the control by; empty leaves it to the system, which
  // takes the window's text. A field's text is its value, so a field needs a name of its own.
  const std::u16string& AccessibleName() const { return accessibleName_; }
  void SetAccessibleName(const std::u16string& name) { accessibleName_ = name; }

  // --- Alignment --------------------------------------------------------------------------
  // Suspends and resumes arranging the children; a realignment asked for meanwhile runs
  // when the last suspension ends.
  void DisableAlign();
  void EnableAlign();
  void Realign();

  // --- Scaling ----------------------------------------------------------------------------
  void Rescale(std::int32_t m, std::int32_t d) override;
  // Rescales every child control, plain ones first, each group in list order.
  void RescaleChildren(std::int32_t m, std::int32_t d);
  // Once a scaled form has its size: widens each visible child whose caption no longer fits
  // into the free space to its right (see CaptionFit.h), or gives back a widening no longer
  // needed, then does the same inside each windowed child.
  void FitCaptions();

  // --- Loading ----------------------------------------------------------------------------
  void LoadState(TReader& reader) override;
  void SetChildPosition(TComponent* child, int position) override;

  void MessageProc(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;

  void TearDown() override;

  // The control whose window this is, if the window belongs to a control of this thread's
  // framework.
  static TWinControl* FromWindow(HWND window);
  // The one reflection: hands a message back to the control whose window it concerns, as
  // FWM_REFLECT + the message, when the window is a control of ours; false, and the message
  // untouched, otherwise. The application's loop reflects a key message to the control it
  // is typed into this way; a parent its children's notifications, through ReflectToChild.
  static bool Reflect(HWND window, TMessage& message);
  // Reflects a notification a child window sent to `parent` (a command, a notification, an
  // owner-drawn or measured item, a scroll, a colour query) to that child.
  static bool ReflectToChild(HWND parent, TMessage& message);

 protected:
  // --- Message handlers (the class's table) -----------------------------------------------
  // WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM, WM_HSCROLL, WM_VSCROLL and the
  // colour queries WM_CTLCOLOR* go back to the child control they concern (a button, a spin
  // button, an owner-drawn bitmap button, an edit field) as FWM_COMMAND and its kin; the
  // parent handles them itself only when no such control exists.
  void WMChildNotification(TMessage& message);
  // FWM_CTLCOLOR*: the control's own colours for the text and background its window draws.
  void FWMCtlColor(TMessage& message);
  // FWM_FOCUSCHANGED: passed on to every windowed child.
  void FWMFocusChanged(TMessage& message);
  // WM_SETCURSOR: a left click into the control's disabled window (hit-test HTERROR) brings
  // the program's modal window to the front.
  void WMSetCursor(TMessage& message);
  // WM_WININICHANGE and WM_SYSCOLORCHANGE: after the window class has seen them, the control
  // tells itself as FWM_SETTINGSCHANGED and FWM_SYSCOLORCHANGED.
  void WMWinIniChange(TMessage& message);
  void WMSysColorChange(TMessage& message);
  void WMWindowPosChanged(TMessage& message);
  void WMEraseBkgnd(TMessage& message);
  void WMPaint(TMessage& message);
  void WMNCDestroy(TMessage& message);
  // WM_GETOBJECT: a control with an AccessibleName answers for its client area with the
  // system's object under that name; anything else is left to the window's class.
  void WMGetObject(TMessage& message);
  void FWMEnabledChanged(TMessage& message);
  void FWMVisibleChanged(TMessage& message);
  void FWMColorChanged(TMessage& message);
  void FWMFontChanged(TMessage& message);
  void FWMShowingChanged(TMessage& message);
  void FWMCtl3DChanged(TMessage& message);
  void FWMParentCtl3DChanged(TMessage& message);
  void FWMSysFontChanged(TMessage& message);

  // The parameters the window is made with; classes built on a system window class call
  // CreateSubClass in their override.
  virtual void CreateParams(TCreateParams& params);
  // Copies the registration of a system window class (such as "BUTTON") into the
  // parameters, so that the control's own class is that class under another name.
  void CreateSubClass(TCreateParams& params, const char* systemClass);
  // Registers the class when needed and makes the window.
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& params);
  // Copies the window's text back into the control, then destroys the window.
  virtual void DestroyWnd();
  void DestroyWindowHandle();

  // Accepts or refuses (by raising) a control about to join this one.
  virtual void CheckChildInsert(TControl* child);
  // Arranges the children (aligned and anchored controls); nothing by default.
  virtual void AlignControls() {}

  // Reads the window's bounds back into the fields.
  void UpdateBounds();

  // Whether the control's text is its value for screen readers (a field's number) rather
  // than its name (a button's caption).
  virtual bool AccessibleValueIsText() const { return false; }

  // Painting (WM_PAINT): the control itself where no opaque windowless child covers it,
  // then the windowless children, then the frames of framed windowed children. The device
  // context comes from WParam or, with none there, from BeginPaint.
  void PaintHandler(TMessage& message);
  // Paints the control itself on the device context: by default its window procedure does.
  virtual void PaintWindow(HDC dc);
  // Paints the windowless children, each with the origin at its corner and clipped to it,
  // and the frames of framed windowed children.
  void PaintControls(HDC dc);
  void NotifyChildren(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) override;

 private:
  friend class TControl;

  static const MessageEntry kMessageEntries[];

  // The window procedure's target: the control's current message handler (the procedure
  // reports what it raises).
  void RouteMessage(TMessage& message);
  // The window's first message: the window is this control's from now on.
  void AdoptWindow(HWND window);

  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  // Takes the focus away from this control through its form.
  void RemoveFocus(bool removing);
  // The window this control's window goes behind: the first later windowed sibling's that
  // exists, else the top.
  HWND WindowBehindOf(const TWinControl* child) const;
  // Puts the window behind that sibling's with one SetWindowPos, which also shows or hides
  // it when a show flag is given.
  void PlaceInZOrder(UINT showFlag);
  void MoveTabIndex(std::int16_t index);
  bool RouteMouseToPlainChild(TMessage& message);

  HWND handle_ = nullptr;
  HWND parentWindow_ = nullptr;
  WNDPROC defWndProc_ = nullptr;
  WindowEntry entry_;
  TBrush* brush_ = nullptr;
  std::u16string accessibleName_;
  std::vector<TControl*> controls_;
  std::vector<TWinControl*> winControls_;
  std::vector<TWinControl*> tabList_;
  std::int16_t tabOrder_ = -1;
  bool tabStop_ = false;
  bool showing_ = false;
  bool ctl3D_ = true;
  bool parentCtl3D_ = true;
  bool doubleBuffered_ = false;
  // A window being made to be shown at once leaves its place in the z-order to the show.
  bool placeWhenShown_ = false;
  bool zOrderPending_ = false;
  int alignLevel_ = 0;
};

}  // namespace sx
