#include "framework/controls/WinControl.h"

#include <algorithm>
#include <vector>

#include "framework/controls/CaptionFit.h"
#include "framework/controls/SystemError.h"
#include "framework/controls/WindowProperties.h"
#include "framework/graphics/CursorsWin32.h"
#include "framework/graphics/MulDiv.h"
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
    Property<&TWinControl::AccessibleName, &TWinControl::SetAccessibleName>("AccessibleName"),
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
    On<&TWinControl::WMChildNotification>(WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC),
    On<&TWinControl::FWMCtlColor>(FWM_CTLCOLORMSGBOX, FWM_CTLCOLORSTATIC),
    On<&TWinControl::WMWindowPosChanged>(WM_WINDOWPOSCHANGED),
    On<&TWinControl::WMEraseBkgnd>(WM_ERASEBKGND),
    On<&TWinControl::WMPaint>(WM_PAINT),
    On<&TWinControl::WMNCDestroy>(WM_NCDESTROY),
    On<&TWinControl::WMGetObject>(WM_GETOBJECT),
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

bool TWinControl::Reflect(HWND window, TMessage& message) {
  // Only a control of ours understands the reflected message; a foreign window (one a system
  // control made for itself) is left to its window class's own answer.
  TWinControl* control = FromWindow(window);
  if (!control) return false;
  message.Result =
      control->DeliverMessage(FWM_REFLECT + message.Msg, message.WParam, message.LParam);
  return true;
}

bool TWinControl::ReflectToChild(HWND parent, TMessage& message) {
  return Reflect(NotifyingWindow(parent, message), message);
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

  WindowEntry::AwaitWindow(&entry_, params.WinClassName.c_str());
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
  if (FormHostOf(outermost) || outermost->parentWindow_) UpdateShowing();
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

void TWinControl::FitCaptions() {
  // The visible children as the layout placed them, each asking for the width its caption
  // needs.
  std::vector<TControl*> children;
  for (TControl* child : controls_)
    if (child->Visible()) children.push_back(child);
  for (TWinControl* child : winControls_)
    if (child->Visible()) children.push_back(child);
  const auto laidOutWidth = [](const TControl* child) {
    return child->Width() - child->captionWidening_;
  };
  std::vector<FitBox> boxes;
  boxes.reserve(children.size());
  for (TControl* child : children)
    boxes.push_back(FitBox{child->Left(), child->Top(), laidOutWidth(child), child->Height(),
                           child->CaptionWidthNeeded()});
  // Keeps 4 pixels at 96 pixels per inch from what stands beside, at the form's resolution.
  constexpr std::int32_t kDesignGap = 4;
  WidenToFit(boxes, ClientWidth(), MulDiv(kDesignGap, PixelsPerInchOf(this), 96));
  for (std::size_t i = 0; i < children.size(); ++i) {
    TControl* child = children[i];
    const FitBox& box = boxes[i];
    const std::int32_t widening = box.width - laidOutWidth(child);
    if (widening == child->captionWidening_) continue;
    child->ChangeBounds(box.left, box.top, box.width, box.height);
    child->captionWidening_ = widening;
  }
  for (TWinControl* child : winControls_)
    child->FitCaptions();
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
