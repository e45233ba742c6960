#include "framework/controls/WinControl.h"

#include <algorithm>

#include "framework/controls/SystemError.h"
#include "framework/controls/WindowProperties.h"
#include "framework/graphics/CursorsWin32.h"
#include "framework/graphics/Graphics.h"
#include "framework/runtime/Exception.h"
#include "framework/runtime/Finally.h"
#include "framework/runtime/Format.h"
#include "framework/runtime/Texts.h"
#include "framework/streaming/Reader.h"

namespace sx {
namespace {

constexpr PropInfo kWinControlProperties[] = {
    Property<&TWinControl::TabOrder, &TWinControl::SetTabOrder>("TabOrder"),
    Property<&TWinControl::TabStop, &TWinControl::SetTabStop>("TabStop"),
    Property<&TWinControl::Ctl3D, &TWinControl::SetCtl3D>("Ctl3D"),
    Property<&TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D>("ParentCtl3D"),
};

// The window of the child a notification sent to its parent is about, or null when the
// message is no child's notification. The parent's window is needed only to find a measured
// item's window.
HWND NotifyingWindow(HWND parent, const TMessage& message) {
  switch (message.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<HWND>(message.LParam);
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
      return header ? header->hwndFrom : nullptr;
    }
    case WM_DRAWITEM: {
      // Owner-drawn child windows (bitmap buttons) draw themselves; menus are not children.
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
      return item && item->CtlType != ODT_MENU ? item->hwndItem : nullptr;
    }
    case WM_MEASUREITEM: {
      // The item names its window only by control id, which is the window handle for our
      // children.
      const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(message.LParam);
      return item && item->CtlType != ODT_MENU && parent
                 ? GetDlgItem(parent, static_cast<int>(item->CtlID))
                 : nullptr;
    }
  }
  return nullptr;
}

constexpr UINT kFirstMouseMessage = 0x0200;
constexpr UINT kLastMouseMessage = 0x020A;

POINT MousePoint(LPARAM lParam) {
  return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

template <class T>
void MoveWithin(std::vector<T*>& list, T* item, int position) {
  const auto it = std::find(list.begin(), list.end(), item);
  if (it == list.end()) return;
  const int current = static_cast<int>(it - list.begin());
  const int target = std::clamp(position, 0, static_cast<int>(list.size()) - 1);
  if (target == current) return;
  list.erase(it);
  list.insert(list.begin() + target, item);
}

}  // namespace

constinit const ClassInfo TWinControl::StaticClass{
    .name = "TWinControl",
    .parent = &TControl::StaticClass,
    .construct = &ConstructComponent<TWinControl>,
    .properties = kWinControlProperties,
};

constinit const MessageEntry TWinControl::kMessageEntries[] = {
    On<&TWinControl::WMChildNotification>(WM_COMMAND),
    On<&TWinControl::WMChildNotification>(WM_NOTIFY),
    On<&TWinControl::WMChildNotification>(WM_DRAWITEM),
    On<&TWinControl::WMChildNotification>(WM_MEASUREITEM),
    On<&TWinControl::FWMFocusChanged>(FWM_FOCUSCHANGED),
    On<&TWinControl::WMChildNotification>(WM_HSCROLL),
    On<&TWinControl::WMChildNotification>(WM_VSCROLL),
    On<&TWinControl::WMWindowPosChanged>(WM_WINDOWPOSCHANGED),
    On<&TWinControl::WMEraseBkgnd>(WM_ERASEBKGND),
    On<&TWinControl::WMPaint>(WM_PAINT),
    On<&TWinControl::WMNCDestroy>(WM_NCDESTROY),
    On<&TWinControl::FWMEnabledChanged>(FWM_ENABLEDCHANGED),
    On<&TWinControl::FWMVisibleChanged>(FWM_VISIBLECHANGED),
    On<&TWinControl::FWMColorChanged>(FWM_COLORCHANGED),
    On<&TWinControl::FWMFontChanged>(FWM_FONTCHANGED),
    On<&TWinControl::FWMShowingChanged>(FWM_SHOWINGCHANGED),
    On<&TWinControl::FWMCtl3DChanged>(FWM_CTL3DCHANGED),
    On<&TWinControl::FWMParentCtl3DChanged>(FWM_PARENTCTL3DCHANGED),
    On<&TWinControl::FWMSysFontChanged>(FWM_SYSFONTCHANGED),
    On<&TWinControl::WMSetCursor>(WM_SETCURSOR),
    On<&TWinControl::WMWinIniChange>(WM_WININICHANGE),
    On<&TWinControl::WMSysColorChange>(WM_SYSCOLORCHANGE),
};

constinit const MessageTable TWinControl::Messages{&TControl::Messages,
                                                   {kMessageEntries, std::size(kMessageEntries)}};

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
  entry_.SetHandler(MakeEvent<&TWinControl::RouteMessage>(this));
  entry_.SetAdoptHandler(MakeEvent<&TWinControl::AdoptWindow>(this));
  brush_ = New<TBrush>();
  brush_->SetColor(Color());
}

TWinControl::~TWinControl() {
  FreeAndNil(brush_);
}

void TWinControl::TearDown() {
  if (Parent()) RemoveFocus(true);
  if (handle_) DestroyWnd();
  while (ChildCount() > 0) {
    TControl* child = Child(ChildCount() - 1);
    // The child leaves quietly: this control is going, nobody needs to hear of it.
    if (child->InheritsFrom(StaticClass)) {
      auto* windowed = static_cast<TWinControl*>(child);
      std::erase(winControls_, windowed);
      std::erase(tabList_, windowed);
    } else {
      std::erase(controls_, child);
    }
    child->parent_ = nullptr;
    child->Free();
  }
  entry_.SetHandler(WindowEntry::Handler());
  entry_.SetAdoptHandler(WindowEntry::AdoptHandler());
  TControl::TearDown();
}

TWinControl* TWinControl::FromWindow(HWND window) {
  // The entries know only this process's windows, so a window of another process that
  // carries a property of the same name is never taken for ours; the timer's and the
  // application's windows are bound too, but to objects that are no controls.
  TObject* object = WindowEntry::ObjectOf(window);
  return object && object->InheritsFrom(StaticClass) ? static_cast<TWinControl*>(object) : nullptr;
}

bool TWinControl::ReflectToChild(HWND parent, TMessage& message) {
  // Only a control of ours understands the reflected message; a foreign child (one a system
  // control made for itself) is left to the window class's own answer.
  TWinControl* child = FromWindow(NotifyingWindow(parent, message));
  if (!child) return false;
  message.Result = child->DeliverMessage(FWM_REFLECT + message.Msg, message.WParam, message.LParam);
  return true;
}

// --- The window -------------------------------------------------------------------------------

HWND TWinControl::Handle() {
  HandleNeeded();
  return handle_;
}

void TWinControl::HandleNeeded() {
  if (handle_) return;
  if (Parent()) Parent()->HandleNeeded();
  CreateHandle();
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  CreateWnd();
  // The window's first message has set its properties already.
  if (!Parent()) return;
  if (placeWhenShown_)
    zOrderPending_ = true;
  else
    PlaceInZOrder(0);
}

void TWinControl::PlaceInZOrder(UINT showFlag) {
  zOrderPending_ = false;
  UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | showFlag;
  // Shown inside a parent that is not on the screen yet, the window has nothing to erase: it
  // is erased and painted when the parent is shown. Erasing at once costs a round trip to
  // the window server for every child (seen on Wine 8.0).
  if (showFlag == SWP_SHOWWINDOW && !IsWindowVisible(Parent()->handle_)) flags |= SWP_DEFERERASE;
  SetWindowPos(handle_, Parent()->WindowBehindOf(this), 0, 0, 0, 0, flags);
}

void TWinControl::CreateParams(TCreateParams& params) {
  params = TCreateParams{};
  params.Caption = text_;
  params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (ControlStyleOf().Contains(ControlStyle::AcceptsControls)) {
    params.Style |= WS_CLIPCHILDREN;
    params.ExStyle |= WS_EX_CONTROLPARENT;
  }
  if (!Enabled() && !Has(ComponentState::Designing)) params.Style |= WS_DISABLED;
  if (tabStop_) params.Style |= WS_TABSTOP;
  params.X = left_;
  params.Y = top_;
  params.Width = width_;
  params.Height = height_;
  params.WndParent = Parent() ? Parent()->Handle() : parentWindow_;
  params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  params.WindowClass.lpfnWndProc = &DefWindowProcA;
  params.WindowClass.hCursor = SystemCursor(IDC_ARROW);
  params.WindowClass.hbrBackground = nullptr;
  params.WindowClass.hInstance = GetModuleHandleA(nullptr);
  params.WinClassName = std::string(ClassName());
}

void TWinControl::CreateSubClass(TCreateParams& params, const char* systemClass) {
  const HINSTANCE own = params.WindowClass.hInstance;
  WNDCLASSA found{};
  if (!GetClassInfoA(own, systemClass, &found) && !GetClassInfoA(nullptr, systemClass, &found))
    RaiseLastOSError();
  params.WindowClass = found;
  params.WindowClass.hInstance = own;
  params.WindowClass.style =
      (found.style & ~(CS_OWNDC | CS_CLASSDC | CS_PARENTDC | CS_GLOBALCLASS)) | CS_VREDRAW |
      CS_HREDRAW;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent) {
    TComponent* owner = Owner();
    if (owner && owner->Has(ComponentState::Reading) && owner->InheritsFrom(StaticClass))
      params.WndParent = static_cast<TWinControl*>(owner)->Handle();
    else
      throw EInvalidOperation(Format(LoadText(TextId::SParentRequired), {Name()}));
  }
  defWndProc_ = params.WindowClass.lpfnWndProc;

  const HINSTANCE module = params.WindowClass.hInstance;
  WNDCLASSA registered{};
  const bool known = GetClassInfoA(module, params.WinClassName.c_str(), &registered) != FALSE;
  if (!known || registered.lpfnWndProc != &WindowEntry::Procedure) {
    // A class of this name left by someone else (or by an earlier module) would make our
    // windows with the wrong procedure.
    if (known) UnregisterClassA(params.WinClassName.c_str(), module);
    WNDCLASSA windowClass = params.WindowClass;
    windowClass.lpfnWndProc = &WindowEntry::Procedure;
    windowClass.lpszClassName = params.WinClassName.c_str();
    if (!RegisterClassA(&windowClass)) RaiseLastOSError();
  }

  WindowEntry::AwaitWindow(&entry_);
  ChangeControlState(ControlState::CreatingWindow, true);
  DWORD error = 0;
  {
    const Finally made([this] {
      WindowEntry::AwaitWindow(nullptr);
      ChangeControlState(ControlState::CreatingWindow, false);
    });
    CreateWindowHandle(params);
    error = GetLastError();
  }
  if (!handle_) RaiseOSError(error);

  text_.clear();
  UpdateBounds();
  // A window not yet shown has nothing to redraw: showing it paints it whole. Redrawing it
  // anyway costs round trips to the window server (seen on Wine 8.0).
  DeliverMessage(WM_SETFONT, static_cast<WPARAM>(Font()->Handle()),
                 IsWindowVisible(handle_) ? TRUE : FALSE);
}

void TWinControl::CreateWindowHandle(const TCreateParams& params) {
  SetLastError(0);
  handle_ = CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(),
                            params.Style, params.X, params.Y, params.Width, params.Height,
                            params.WndParent, nullptr, params.WindowClass.hInstance, params.Param);
}

void TWinControl::AdoptWindow(HWND window) {
  handle_ = window;
  if ((GetWindowLongA(window, GWL_STYLE) & WS_CHILD) && GetWindowLongPtrA(window, GWLP_ID) == 0)
    SetWindowLongPtrA(window, GWLP_ID, reinterpret_cast<LONG_PTR>(window));
  SetWindowProperties(window, this);
}

void TWinControl::RouteMessage(TMessage& message) {
  GetMessageHandler()(message);
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  for (std::size_t i = 0; i < winControls_.size(); ++i)
    winControls_[i]->DestroyHandle();
  DestroyWnd();
}

void TWinControl::DestroyWnd() {
  text_ = Text();
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  ChangeControlState(ControlState::DestroyingHandle, true);
  const BOOL destroyed = DestroyWindow(handle_);
  const DWORD error = GetLastError();
  ChangeControlState(ControlState::DestroyingHandle, false);
  if (!destroyed) RaiseOSError(error);
  handle_ = nullptr;
  showing_ = false;
}

void TWinControl::RecreateWindow() {
  if (!handle_) return;
  DestroyHandle();
  UpdateControlState();
}

void TWinControl::SetParentWindow(HWND window) {
  if (Parent() || window == parentWindow_) return;
  if (handle_ && parentWindow_ && window) {
    parentWindow_ = window;
    ::SetParent(handle_, window);
  } else {
    DestroyHandle();
    parentWindow_ = window;
  }
  UpdateControlState();
}

void TWinControl::UpdateShowing() {
  const bool show = Visible() && !ControlStateOf().Contains(ControlState::ReadingState);
  if (show) {
    if (!handle_) {
      // Shown right after, the window is put in its place among its siblings by the same
      // call that shows it, instead of by one call of its own.
      placeWhenShown_ = true;
      Finally placed([this] { placeWhenShown_ = false; });
      CreateHandle();
    }
    for (std::size_t i = 0; i < winControls_.size(); ++i)
      winControls_[i]->UpdateShowing();
  }
  if (handle_ && showing_ != show) {
    showing_ = show;
    const Rollback unchanged([this, show] { showing_ = !show; });
    DeliverMessage(FWM_SHOWINGCHANGED);
  }
  // A class of its own answered the change without placing the window.
  if (zOrderPending_ && handle_) PlaceInZOrder(0);
}

void TWinControl::UpdateControlState() {
  const TWinControl* outermost = this;
  while (outermost->Parent()) {
    outermost = outermost->Parent();
    if (!outermost->showing_) return;
  }
  if (outermost->IsForm() || outermost->parentWindow_) UpdateShowing();
}

void TWinControl::UpdateBounds() {
  RECT bounds{};
  if (IsIconic(handle_)) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(handle_, &placement);
    bounds = placement.rcNormalPosition;
  } else {
    GetWindowRect(handle_, &bounds);
  }
  if (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD)
    if (HWND parentWindow = GetParent(handle_))
      MapWindowPoints(nullptr, parentWindow, reinterpret_cast<POINT*>(&bounds), 2);
  const std::int32_t width = bounds.right - bounds.left;
  const std::int32_t height = bounds.bottom - bounds.top;
  if (bounds.left == left_ && bounds.top == top_ && width == width_ && height == height_) return;
  const bool resized = width != width_ || height != height_;
  left_ = bounds.left;
  top_ = bounds.top;
  width_ = width;
  height_ = height;
  if (resized && !Has(ComponentState::Loading)) Resized();
}

// --- Messages ---------------------------------------------------------------------------------

void TWinControl::MessageProc(TMessage& message) {
  const UINT msg = message.Msg;
  if (msg == WM_SETFOCUS) {
    if (TWinControl* form = GetParentForm(this); form && !form->SetFocusedControl(this)) return;
  } else if (msg == WM_KILLFOCUS) {
    if (ControlStateOf().Contains(ControlState::Focusing)) return;
  } else if (msg == WM_CANCELMODE) {
    if (handle_ && GetCapture() == handle_) {
      TControl* captured = CaptureControl();
      if (captured && captured->Parent() == this) captured->DeliverMessage(WM_CANCELMODE);
    }
  } else if (msg >= kFirstKeyMessage && msg <= kLastKeyMessage) {
    if (TWinControl* form = GetParentForm(this);
        form && form->DeliverMessage(FWM_CHILDKEY, reinterpret_cast<WPARAM>(this),
                                     reinterpret_cast<LPARAM>(&message)) != 0)
      return;
  } else if (msg >= kFirstMouseMessage && msg <= kLastMouseMessage) {
    if (RouteMouseToPlainChild(message)) {
      // The handler may have destroyed the window.
      if (message.Result == 0 && handle_)
        DefWindowProcA(handle_, message.Msg, message.WParam, message.LParam);
      return;
    }
  }
  TControl::MessageProc(message);
}

bool TWinControl::RouteMouseToPlainChild(TMessage& message) {
  if (!handle_) return false;
  POINT point = MousePoint(message.LParam);
  TControl* target = nullptr;
  if (GetCapture() == handle_) {
    TControl* captured = CaptureControl();
    if (captured && captured->Parent() == this) target = captured;
  } else {
    // The wheel message carries screen coordinates.
    if (message.Msg == WM_MOUSEWHEEL) ScreenToClient(handle_, &point);
    target = PlainChildAt(point);
  }
  if (!target) return false;
  LPARAM lParam = message.LParam;
  if (message.Msg != WM_MOUSEWHEEL)
    lParam = MAKELPARAM(point.x - target->Left(), point.y - target->Top());
  message.Result = target->DeliverMessage(message.Msg, message.WParam, lParam);
  return true;
}

void TWinControl::DefaultHandler(TMessage& message) {
  if (!handle_) {
    TControl::DefaultHandler(message);
    return;
  }
  const UINT msg = message.Msg;
  if (msg == WM_CONTEXTMENU && Parent()) {
    message.Result = Parent()->DeliverMessage(msg, message.WParam, message.LParam);
    if (message.Result != 0) return;
  }
  if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) {
    if (ReflectToChild(handle_, message)) return;
  } else if (msg >= FWM_CTLCOLORMSGBOX && msg <= FWM_CTLCOLORSTATIC) {
    const HDC dc = reinterpret_cast<HDC>(message.WParam);
    SetTextColor(dc, ColorToRGB(Font()->Color()));
    SetBkColor(dc, ColorToRGB(brush_->Color()));
    message.Result = static_cast<LRESULT>(brush_->Handle());
    return;
  } else if (msg == ObjectQueryMessage()) {
    message.Result = reinterpret_cast<LRESULT>(this);
    return;
  }
  message.Result = CallWindowProcA(defWndProc_, handle_, msg, message.WParam, message.LParam);
}

void TWinControl::WMChildNotification(TMessage& message) {
  if (!ReflectToChild(handle_, message)) Inherited<TWinControl>(message);
}

void TWinControl::FWMFocusChanged(TMessage& message) {
  // Every control inside hears which control has the focus now (push buttons work out
  // which of them Enter presses).
  for (std::size_t i = 0; i < winControls_.size(); ++i)
    winControls_[i]->DeliverMessage(message.Msg, message.WParam, message.LParam);
}

void TWinControl::WMSetCursor(TMessage& message) {
  // The system sends HTERROR for a disabled window under the mouse. A click there while a
  // dialog holds the program modal brings the dialog back instead of only beeping.
  if (handle_ && reinterpret_cast<HWND>(message.WParam) == handle_ &&
      static_cast<short>(LOWORD(message.LParam)) == HTERROR &&
      HIWORD(message.LParam) == WM_LBUTTONDOWN)
    if (auto hook = GlobalControlHooks().clickIntoDisabled; hook && hook()) return;
  Inherited<TWinControl>(message);
}

void TWinControl::WMWinIniChange(TMessage& message) {
  Inherited<TWinControl>(message);
  DeliverMessage(FWM_SETTINGSCHANGED, message.WParam, message.LParam);
}

void TWinControl::WMSysColorChange(TMessage& message) {
  Inherited<TWinControl>(message);
  DeliverMessage(FWM_SYSCOLORCHANGED, message.WParam, message.LParam);
}

void TWinControl::WMWindowPosChanged(TMessage& message) {
  if (message.LParam && handle_ && !ControlStateOf().Contains(ControlState::DestroyingHandle))
    UpdateBounds();
  Inherited<TWinControl>(message);
}

void TWinControl::WMNCDestroy(TMessage& message) {
  // The window class frees its own data first.
  Inherited<TWinControl>(message);
  if (handle_) {
    RemoveWindowProperties(handle_);
    WindowEntry::Unbind(handle_);
  }
  handle_ = nullptr;
  showing_ = false;
}

void TWinControl::FWMEnabledChanged(TMessage&) {
  if (!Enabled() && Parent()) RemoveFocus(false);
  if (handle_ && !Has(ComponentState::Designing)) EnableWindow(handle_, Enabled() ? TRUE : FALSE);
}

void TWinControl::FWMVisibleChanged(TMessage&) {
  if (!Visible() && Parent()) RemoveFocus(false);
  UpdateControlState();
}

void TWinControl::FWMColorChanged(TMessage& message) {
  Inherited<TWinControl>(message);
  brush_->SetColor(Color());
  NotifyChildren(FWM_PARENTCOLORCHANGED);
}

void TWinControl::FWMFontChanged(TMessage& message) {
  Inherited<TWinControl>(message);
  if (handle_) DeliverMessage(WM_SETFONT, static_cast<WPARAM>(Font()->Handle()), FALSE);
  NotifyChildren(FWM_PARENTFONTCHANGED);
}

void TWinControl::FWMShowingChanged(TMessage&) {
  const UINT showFlag = showing_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
  if (zOrderPending_ && Parent()) {
    PlaceInZOrder(showFlag);
    return;
  }
  SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | showFlag);
}

void TWinControl::FWMCtl3DChanged(TMessage&) {
  NotifyChildren(FWM_PARENTCTL3DCHANGED);
}

void TWinControl::FWMParentCtl3DChanged(TMessage&) {
  if (!parentCtl3D_ || !Parent()) return;
  SetCtl3D(Parent()->ctl3D_);
  parentCtl3D_ = true;
}

void TWinControl::FWMSysFontChanged(TMessage& message) {
  Inherited<TWinControl>(message);
  NotifyChildren(FWM_SYSFONTCHANGED);
}

void TWinControl::NotifyChildren(UINT msg, WPARAM wParam, LPARAM lParam) {
  // A receiver may leave; the index is checked against the list as it is now.
  for (int i = 0; i < ChildCount(); ++i)
    Child(i)->DeliverMessage(msg, wParam, lParam);
}

// --- Children ---------------------------------------------------------------------------------

int TWinControl::ChildCount() const {
  return static_cast<int>(controls_.size() + winControls_.size());
}

TControl* TWinControl::Child(int index) const {
  if (index < 0 || index >= ChildCount())
    throw EListError(Format(LoadText(TextId::SListIndexError), {index}));
  const auto at = static_cast<std::size_t>(index);
  if (at < controls_.size()) return controls_[at];
  return winControls_[at - controls_.size()];
}

bool TWinControl::ContainsControl(const TControl* control) const {
  for (; control; control = control->Parent())
    if (control == this) return true;
  return false;
}

TControl* TWinControl::PlainChildAt(POINT point) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* child = *it;
    const RECT bounds = child->BoundsRect();
    if (child->Visible() && child->Enabled() && PtInRect(&bounds, point)) return child;
  }
  return nullptr;
}

void TWinControl::CheckChildInsert(TControl*) {}

void TWinControl::InsertControl(TControl* control) {
  CheckChildInsert(control);
  DeliverMessage(FWM_CONTROLLISTCHANGING, reinterpret_cast<WPARAM>(control), 1);
  const bool windowed = control->InheritsFrom(StaticClass);
  if (windowed) {
    auto* child = static_cast<TWinControl*>(control);
    winControls_.push_back(child);
    tabList_.push_back(child);
  } else {
    controls_.push_back(control);
  }
  control->parent_ = this;
  if (!control->Has(ComponentState::Reading)) {
    control->DeliverMessage(FWM_PARENTCOLORCHANGED);
    control->DeliverMessage(FWM_PARENTFONTCHANGED);
    control->DeliverMessage(FWM_PARENTSHOWHINTCHANGED);
    control->DeliverMessage(FWM_PARENTBIDICHANGED);
    if (windowed) {
      control->DeliverMessage(FWM_PARENTCTL3DCHANGED);
      UpdateControlState();
    } else if (handle_) {
      control->Invalidate();
    }
    Realign();
  }
  DeliverMessage(FWM_CONTROLLISTCHANGED, reinterpret_cast<WPARAM>(control), 1);
}

void TWinControl::RemoveControl(TControl* control) {
  DeliverMessage(FWM_CONTROLLISTCHANGING, reinterpret_cast<WPARAM>(control), 0);
  if (control->InheritsFrom(StaticClass)) {
    auto* child = static_cast<TWinControl*>(control);
    child->RemoveFocus(true);
    child->DestroyHandle();
    std::erase(winControls_, child);
    std::erase(tabList_, child);
  } else {
    if (handle_) control->InvalidateArea(true);
    std::erase(controls_, control);
  }
  control->parent_ = nullptr;
  DeliverMessage(FWM_CONTROLLISTCHANGED, reinterpret_cast<WPARAM>(control), 0);
  Realign();
}

HWND TWinControl::WindowBehindOf(const TWinControl* child) const {
  auto it = std::find(winControls_.begin(), winControls_.end(), child);
  if (it == winControls_.end()) return HWND_TOP;
  for (++it; it != winControls_.end(); ++it)
    if ((*it)->handle_) return (*it)->handle_;
  return HWND_TOP;
}

void TWinControl::SetChildPosition(TComponent* child, int position) {
  if (!child || !child->InheritsFrom(TControl::StaticClass)) return;
  auto* control = static_cast<TControl*>(child);
  if (control->Parent() != this) return;
  if (control->InheritsFrom(StaticClass)) {
    auto* windowed = static_cast<TWinControl*>(control);
    MoveWithin(winControls_, windowed, position);
    if (windowed->handle_)
      SetWindowPos(windowed->handle_, WindowBehindOf(windowed), 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  } else {
    MoveWithin(controls_, control, position);
    control->Invalidate();
  }
}

// --- Tab order --------------------------------------------------------------------------------

std::int16_t TWinControl::TabOrder() const {
  if (ControlStateOf().Contains(ControlState::ReadingState)) return tabOrder_;
  if (!Parent()) return -1;
  const auto& list = Parent()->tabList_;
  const auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? std::int16_t{-1} : static_cast<std::int16_t>(it - list.begin());
}

void TWinControl::SetTabOrder(std::int16_t order) {
  if (ControlStateOf().Contains(ControlState::ReadingState))
    tabOrder_ = order;
  else
    MoveTabIndex(order);
}

void TWinControl::MoveTabIndex(std::int16_t index) {
  if (Parent()) MoveWithin(Parent()->tabList_, this, index);
}

void TWinControl::FixTabList() {
  const std::size_t count = winControls_.size();
  std::vector<TWinControl*> slots(count, nullptr);
  for (TWinControl* child : winControls_)
    if (child->tabOrder_ >= 0 && static_cast<std::size_t>(child->tabOrder_) < count)
      slots[static_cast<std::size_t>(child->tabOrder_)] = child;
  for (std::size_t i = 0; i < count; ++i)
    if (slots[i]) slots[i]->MoveTabIndex(static_cast<std::int16_t>(i));
}

void TWinControl::CollectTabOrder(std::vector<TWinControl*>& list) const {
  for (TWinControl* child : tabList_) {
    list.push_back(child);
    child->CollectTabOrder(list);
  }
}

void TWinControl::SetTabStop(bool value) {
  if (value == tabStop_) return;
  tabStop_ = value;
  if (handle_) {
    const LONG style = GetWindowLongA(handle_, GWL_STYLE);
    SetWindowLongA(handle_, GWL_STYLE, value ? style | WS_TABSTOP : style & ~WS_TABSTOP);
  }
  DeliverMessage(FWM_TABSTOPCHANGED);
}

// --- Focus ------------------------------------------------------------------------------------

bool TWinControl::CanFocus() const {
  const TWinControl* form = GetParentForm(this);
  if (!form) return false;
  for (const TWinControl* control = this; control != form; control = control->Parent())
    if (!control->Visible() || !control->Enabled()) return false;
  return true;
}

bool TWinControl::Focused() const {
  return handle_ && GetFocus() == handle_;
}

void TWinControl::SetFocus() {
  if (TWinControl* form = GetParentForm(this)) {
    form->FocusControl(this);
    return;
  }
  const TWinControl* outermost = this;
  while (outermost->Parent())
    outermost = outermost->Parent();
  if (!outermost->parentWindow_)
    throw EInvalidOperation(Format(LoadText(TextId::SParentRequired), {Name()}));
  ::SetFocus(Handle());
}

bool TWinControl::SetFocusedControl(TWinControl*) {
  return true;
}

void TWinControl::DefocusControl(TWinControl*, bool) {}

void TWinControl::FocusControl(TWinControl* control) {
  ::SetFocus(control->Handle());
}

void TWinControl::DefaultButtonChanged() {}

void TWinControl::TakeModalResult(TModalResult) {}

bool TWinControl::CloseByButton() {
  return false;
}

int TWinControl::PixelsPerInch() const {
  return ScreenPixelsPerInch();
}

void TWinControl::RemoveFocus(bool removing) {
  if (TWinControl* form = GetParentForm(this)) form->DefocusControl(this, removing);
}

// --- Appearance -------------------------------------------------------------------------------

void TWinControl::SetCtl3D(bool value) {
  if (value == ctl3D_) return;
  ctl3D_ = value;
  parentCtl3D_ = false;
  DeliverMessage(FWM_CTL3DCHANGED);
}

void TWinControl::SetParentCtl3D(bool value) {
  if (value == parentCtl3D_) return;
  parentCtl3D_ = value;
  if (Parent() && !Has(ComponentState::Reading)) DeliverMessage(FWM_PARENTCTL3DCHANGED);
}

RECT TWinControl::ClientRect() const {
  if (!handle_) return TControl::ClientRect();
  RECT client{};
  GetClientRect(handle_, &client);
  return client;
}

void TWinControl::ChangeBounds(std::int32_t left, std::int32_t top, std::int32_t width,
                               std::int32_t height) {
  if (Constraints()) Constraints()->Apply(width, height);
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  if (handle_ && !IsIconic(handle_)) {
    // The window system's position message brings the fields in line.
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    const bool resized = width != width_ || height != height_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (handle_) {
      WINDOWPLACEMENT placement{};
      placement.length = sizeof placement;
      GetWindowPlacement(handle_, &placement);
      placement.rcNormalPosition = BoundsRect();
      SetWindowPlacement(handle_, &placement);
    }
    if (resized && !Has(ComponentState::Loading)) Resized();
  }
  RequestAlign();
}

void TWinControl::Invalidate() {
  if (handle_)
    InvalidateRect(handle_, nullptr,
                   ControlStyleOf().Contains(ControlStyle::Opaque) ? FALSE : TRUE);
}

// --- Alignment --------------------------------------------------------------------------------

void TWinControl::DisableAlign() {
  ++alignLevel_;
}

void TWinControl::EnableAlign() {
  if (alignLevel_ > 0) --alignLevel_;
  if (alignLevel_ == 0 && ControlStateOf().Contains(ControlState::AlignmentNeeded)) Realign();
}

void TWinControl::Realign() {
  if (alignLevel_ > 0) {
    ChangeControlState(ControlState::AlignmentNeeded, true);
    return;
  }
  ChangeControlState(ControlState::AlignmentNeeded, false);
  AlignControls();
}

// --- Scaling ----------------------------------------------------------------------------------

void TWinControl::Rescale(std::int32_t m, std::int32_t d) {
  DisableAlign();
  const Finally enableAlign([this] { EnableAlign(); });
  RescaleChildren(m, d);
  TControl::Rescale(m, d);
}

void TWinControl::RescaleChildren(std::int32_t m, std::int32_t d) {
  for (std::size_t i = 0; i < controls_.size(); ++i)
    controls_[i]->Rescale(m, d);
  for (std::size_t i = 0; i < winControls_.size(); ++i)
    winControls_[i]->Rescale(m, d);
}

// --- Loading ----------------------------------------------------------------------------------

void TWinControl::LoadState(TReader& reader) {
  DisableAlign();
  {
    const Finally enableAlign([this] { EnableAlign(); });
    TControl::LoadState(reader);
  }
  FixTabList();
  if (Parent()) DeliverMessage(FWM_PARENTCTL3DCHANGED);
  UpdateControlState();
}

}  // namespace sx
