// Forms: the class records, construction and destruction, the window's parameters, the
// icon and the passing on of system colour changes. Loading and scaling, showing, focus and
// keys, and closing have files of their own.

#include "framework/forms/CustomForm.h"

#include <algorithm>

#include "framework/controls/ExceptionBoundary.h"
#include "framework/forms/Icon.h"
#include "framework/forms/Screen.h"
#include "framework/runtime/Exception.h"
#include "framework/runtime/Finally.h"
#include "framework/runtime/Format.h"
#include "framework/runtime/Synchronizer.h"
#include "framework/runtime/SystemVersion.h"
#include "framework/runtime/Texts.h"
#include "framework/streaming/Fixups.h"
#include "framework/streaming/Loader.h"

namespace sx {
namespace {

constexpr const char* kBorderStyleNames[] = {"bsNone",   "bsSingle",     "bsSizeable",
                                             "bsDialog", "bsToolWindow", "bsSizeToolWin"};
constexpr const char* kBorderIconNames[] = {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"};
constexpr const char* kPositionNames[] = {
    "poDesigned",     "poDefault",       "poDefaultPosOnly", "poDefaultSizeOnly",
    "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"};
constexpr const char* kWindowStateNames[] = {"wsNormal", "wsMinimized", "wsMaximized"};
constexpr const char* kFormStyleNames[] = {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"};
constexpr const char* kCloseActionNames[] = {"closeNone", "closeHide", "closeFree",
                                             "closeMinimize"};

}  // namespace

constinit const TypeInfo TypeInfo_TFormBorderStyle =
    EnumType("TFormBorderStyle", kBorderStyleNames);
constinit const TypeInfo TypeInfo_TBorderIcon = EnumType("TBorderIcon", kBorderIconNames);
constinit const TypeInfo TypeInfo_TBorderIcons = SetType("TBorderIcons", &TypeInfo_TBorderIcon);
constinit const TypeInfo TypeInfo_TPosition = EnumType("TPosition", kPositionNames);
constinit const TypeInfo TypeInfo_TWindowState = EnumType("TWindowState", kWindowStateNames);
constinit const TypeInfo TypeInfo_TFormStyle = EnumType("TFormStyle", kFormStyleNames);
constinit const TypeInfo TypeInfo_TCloseAction = EnumType("TCloseAction", kCloseActionNames);

// --- Class records --------------------------------------------------------------------------

constinit const ClassInfo TCustomForm::StaticClass{
    .name = "TCustomForm",
    .parent = &TScrollingWinControl::StaticClass,
};

namespace {

constexpr PropInfo kFormProperties[] = {
    Property<&TCustomForm::ActiveControl, &TCustomForm::SetActiveControl>("ActiveControl"),
    Property<&TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons>("BorderIcons"),
    Property<&TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle>("BorderStyle"),
    Property<&TControl::ClientHeight, &TCustomForm::SetClientHeight>("ClientHeight"),
    Property<&TControl::ClientWidth, &TCustomForm::SetClientWidth>("ClientWidth"),
    Property<&TCustomForm::FormStyle, &TCustomForm::SetFormStyle>("FormStyle"),
    Property<&TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview>("KeyPreview"),
    Property<&TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder>("OldCreateOrder"),
    Property<&TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch>("PixelsPerInch"),
    Property<&TCustomForm::Position, &TCustomForm::SetPosition>("Position"),
    Property<&TCustomForm::Scaled, &TCustomForm::SetScaled>("Scaled"),
    Property<&TCustomForm::WindowState, &TCustomForm::SetWindowState>("WindowState"),
    Property<&TCustomForm::OnActivate, &TCustomForm::SetOnActivate>("OnActivate"),
    Property<&TCustomForm::OnClose, &TCustomForm::SetOnClose>("OnClose"),
    Property<&TCustomForm::OnCloseQuery, &TCustomForm::SetOnCloseQuery>("OnCloseQuery"),
    Property<&TCustomForm::OnCreate, &TCustomForm::SetOnCreate>("OnCreate"),
    Property<&TCustomForm::OnDeactivate, &TCustomForm::SetOnDeactivate>("OnDeactivate"),
    Property<&TCustomForm::OnDestroy, &TCustomForm::SetOnDestroy>("OnDestroy"),
    Property<&TCustomForm::OnHide, &TCustomForm::SetOnHide>("OnHide"),
    Property<&TCustomForm::OnShow, &TCustomForm::SetOnShow>("OnShow"),
};

}  // namespace

constinit const ClassInfo TForm::StaticClass{
    .name = "TForm",
    .parent = &TCustomForm::StaticClass,
    .construct = &ConstructComponent<TForm>,
    .properties = kFormProperties,
};

constinit const MessageEntry TCustomForm::kMessageEntries[] = {
    On<&TCustomForm::FWMShowingChanged>(FWM_SHOWINGCHANGED),
    On<&TCustomForm::WMActivate>(WM_ACTIVATE),
    On<&TCustomForm::WMClose>(WM_CLOSE),
    On<&TCustomForm::WMQueryEndSession>(WM_QUERYENDSESSION),
    On<&TCustomForm::WMSysCommand>(WM_SYSCOMMAND),
    On<&TCustomForm::WMShowWindow>(WM_SHOWWINDOW),
    On<&TCustomForm::WMSize>(WM_SIZE),
    On<&TCustomForm::FWMActivate>(FWM_ACTIVATE),
    On<&TCustomForm::FWMDeactivate>(FWM_DEACTIVATE),
    On<&TCustomForm::FWMRelease>(FWM_RELEASE),
    On<&TCustomForm::FWMIconChanged>(FWM_ICONCHANGED),
    On<&TCustomForm::FWMChildKey>(FWM_CHILDKEY),
    On<&TCustomForm::FWMDialogKey>(FWM_DIALOGKEY),
    On<&TCustomForm::WMDpiChanged>(WM_DPICHANGED),
    On<&TCustomForm::WMSysColorChange>(WM_SYSCOLORCHANGE),
};

constinit const MessageTable TCustomForm::Messages{&TScrollingWinControl::Messages,
                                                   {kMessageEntries, std::size(kMessageEntries)}};

// --- Construction and destruction -----------------------------------------------------------

TCustomForm::TCustomForm(TComponent* owner) : TScrollingWinControl(owner) {
  InitForm();
}

TCustomForm::TCustomForm(TComponent* owner, CreateNewTag)
    : TScrollingWinControl(owner), createNew_(true) {
  InitForm();
}

void TCustomForm::InitForm() {
  ScopedWrite lock(GlobalNameSpace());
  SetControlStyle(ControlStyleOf() + TControlStyle{ControlStyle::AcceptsControls});
  width_ = 320;
  height_ = 240;
  icon_ = New<TIcon>();
  icon_->SetSize(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
  icon_->SetOnChange(MakeEvent<&TCustomForm::IconChanged>(this));
  pixelsPerInch_ = ScreenResolution();
  SetVisible(false);
  SetParentColor(false);
  SetParentFont(false);
  if (Screen) Screen->AddForm(this);
}

void TCustomForm::Construct() {
  TScrollingWinControl::Construct();
  if (createNew_ || &ClassType() == &TForm::StaticClass || Has(ComponentState::Designing)) return;
  ScopedWrite lock(GlobalNameSpace());
  formState_.Include(FormState::Creating);
  {
    const Finally created([this] { formState_.Exclude(FormState::Creating); });
    if (!LoadFormChain(this, TForm::StaticClass))
      throw EResNotFound(Format(LoadText(TextId::SResNotFound), {ClassName()}));
  }
  if (oldCreateOrder_) RunCreateEvent();
}

void TCustomForm::AfterConstruction() {
  TScrollingWinControl::AfterConstruction();
  if (!oldCreateOrder_) RunCreateEvent();
  if (formState_.Contains(FormState::ActivationPending)) {
    formState_.Exclude(FormState::ActivationPending);
    SetActive(true);
  }
}

void TCustomForm::RunCreateEvent() {
  if (onCreate_) {
    try {
      onCreate_(this);
    } catch (...) {
      if (!HandleCreateException()) throw;
    }
  }
  if (formState_.Contains(FormState::VisibleWish)) {
    formState_.Exclude(FormState::VisibleWish);
    SetVisible(true);
  }
}

bool TCustomForm::HandleCreateException() {
  if (!Application) return false;
  Application->ReportException(this);
  return true;
}

void TCustomForm::RunDestroyEvent() {
  if (onDestroy_) RunReported(this, [this] { onDestroy_(this); });
}

void TCustomForm::BeforeDestruction() {
  ScopedWrite lock(GlobalNameSpace());
  TScrollingWinControl::BeforeDestruction();
  if (Screen) Screen->ForgetSavedFocus(this);
  RemoveGlobalFixups(this);
  if (formStyle_ != fsMDIChild) Hide();
  if (!oldCreateOrder_) RunDestroyEvent();
}

void TCustomForm::TearDown() {
  ScopedWrite lock(GlobalNameSpace());
  // A form whose construction failed comes here without the steps before destruction.
  MarkDestroying();
  if (Screen) Screen->ForgetSavedFocus(this);
  if (oldCreateOrder_) RunDestroyEvent();
  try {
    DestroyHandle();
  } catch (...) {
    // The window may already be gone with its owner; the object goes regardless.
  }
  if (Screen) Screen->RemoveForm(this);
  FreeAndNil(icon_);
  TScrollingWinControl::TearDown();
}

// --- Window parameters ----------------------------------------------------------------------

void TCustomForm::CreateParams(TCreateParams& params) {
  TScrollingWinControl::CreateParams(params);
  const bool topLevel = !Parent() && !ParentWindow();
  if (topLevel) {
    params.WndParent = Application ? Application->Handle() : nullptr;
    params.Style &= 0xBFFCFFFF;  // no WS_CHILD, WS_GROUP, WS_TABSTOP
  }
  params.WindowClass.style = CS_DBLCLKS;
  if (position_ == poDefault || position_ == poDefaultPosOnly) {
    params.X = CW_USEDEFAULT;
    params.Y = CW_USEDEFAULT;
  }
  TFormBorderStyle style = borderStyle_;
  TBorderIcons icons = borderIcons_;
  if (formStyle_ == fsMDIChild && (style == bsNone || style == bsDialog)) style = bsSizeable;
  switch (style) {
    case bsNone:
      if (topLevel) params.Style |= WS_POPUP;
      icons = TBorderIcons{};
      break;
    case bsSingle:
    case bsToolWindow:
      params.Style |= WS_CAPTION;
      break;
    case bsSizeable:
    case bsSizeToolWin:
      params.Style |= WS_CAPTION | WS_THICKFRAME;
      if (position_ == poDefault || position_ == poDefaultSizeOnly) {
        params.Width = CW_USEDEFAULT;
        params.Height = CW_USEDEFAULT;
      }
      break;
    case bsDialog:
      params.Style |= WS_POPUP | WS_CAPTION;
      params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      if (!NewStyleControls()) params.Style |= DS_MODALFRAME | WS_DLGFRAME;
      params.WindowClass.style |= CS_DBLCLKS | CS_SAVEBITS | CS_BYTEALIGNWINDOW;
      icons = icons * TBorderIcons{biSystemMenu, biHelp};
      break;
  }
  if (style == bsToolWindow || style == bsSizeToolWin) {
    params.ExStyle |= WS_EX_TOOLWINDOW;
    icons = icons * TBorderIcons{biSystemMenu};
  }
  if (style == bsNone || style == bsSingle || style == bsSizeable) {
    if (formStyle_ != fsMDIChild || icons.Contains(biSystemMenu)) {
      if (icons.Contains(biMinimize)) params.Style |= WS_MINIMIZEBOX;
      if (icons.Contains(biMaximize)) params.Style |= WS_MAXIMIZEBOX;
    }
    if (windowState_ == wsMinimized)
      params.Style |= WS_MINIMIZE;
    else if (windowState_ == wsMaximized)
      params.Style |= WS_MAXIMIZE;
  } else {
    windowState_ = wsNormal;
  }
  if (icons.Contains(biSystemMenu)) params.Style |= WS_SYSMENU;
  if (icons.Contains(biHelp)) params.ExStyle |= WS_EX_CONTEXTHELP;
}

void TCustomForm::CreateWnd() {
  if (formStyle_ == fsMDIChild &&
      !(Application && Application->MainForm() &&
        static_cast<TCustomForm*>(Application->MainForm())->FormStyle() == fsMDIForm))
    throw EInvalidOperation(LoadText(TextId::SNoMDIForm));
  TScrollingWinControl::CreateWnd();
  if (NewStyleControls()) SendIcon();
  if (formStyle_ == fsStayOnTop)
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

RECT TCustomForm::ClientRect() const {
  if (HandleAllocated()) return TScrollingWinControl::ClientRect();
  TCreateParams params;
  const_cast<TCustomForm*>(this)->CreateParams(params);
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, params.Style, FALSE, params.ExStyle);
  return RECT{0, 0, std::max<LONG>(Width() - (frame.right - frame.left), 0),
              std::max<LONG>(Height() - (frame.bottom - frame.top), 0)};
}

void TCustomForm::RecreateOutsideDesign() {
  if (!Has(ComponentState::Designing)) RecreateWindow();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  SetAutoScroll(style == bsSizeable || style == bsSizeToolWin);
  RecreateOutsideDesign();
}

void TCustomForm::SetBorderIcons(TBorderIcons icons) {
  if (icons == borderIcons_) return;
  borderIcons_ = icons;
  RecreateOutsideDesign();
}

void TCustomForm::SetPosition(TPosition position) {
  if (position == position_) return;
  position_ = position;
  RecreateOutsideDesign();
}

void TCustomForm::SetFormStyle(TFormStyle style) {
  if (style == formStyle_) return;
  formStyle_ = style;
  RecreateOutsideDesign();
}

// --- Icon -----------------------------------------------------------------------------------

void TCustomForm::SetIcon(const TIcon* icon) {
  icon_->Assign(icon);
}

HICON TCustomForm::IconHandle() const {
  if (icon_ && !icon_->Empty()) return icon_->Handle();
  return Application ? Application->IconHandle() : LoadIconA(nullptr, IDI_APPLICATION);
}

void TCustomForm::SendIcon() {
  if (!HandleAllocated()) return;
  const HICON icon = borderStyle_ == bsDialog ? nullptr : IconHandle();
  SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

void TCustomForm::IconChanged(TObject*) {
  if (NewStyleControls()) SendIcon();
}

void TCustomForm::FWMIconChanged(TMessage&) {
  if (icon_->Empty() && NewStyleControls()) SendIcon();
}

// --- System colours -------------------------------------------------------------------------

namespace {

BOOL CALLBACK PassColourChange(HWND child, LPARAM change) {
  const auto* message = reinterpret_cast<const TMessage*>(change);
  SendMessageA(child, WM_SYSCOLORCHANGE, message->WParam, message->LParam);
  return TRUE;
}

}  // namespace

void TCustomForm::WMSysColorChange(TMessage& message) {
  Inherited<TCustomForm>(message);
  // A form inside another window hears of it from its top-level window, with its children.
  if (!HandleAllocated() || (GetWindowLongA(Handle(), GWL_STYLE) & WS_CHILD)) return;
  // Every window inside, not only the direct children: each keeps its colours on its own.
  EnumChildWindows(Handle(), &PassColourChange, reinterpret_cast<LPARAM>(&message));
}

}  // namespace sx
