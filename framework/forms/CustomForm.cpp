#include "framework/forms/CustomForm.h"

#include <algorithm>

#include "framework/forms/Desktop.h"
#include "framework/forms/Icon.h"
#include "framework/forms/Screen.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MulDiv.h"
#include "framework/runtime/Exception.h"
#include "framework/runtime/Finally.h"
#include "framework/runtime/Format.h"
#include "framework/runtime/Synchronizer.h"
#include "framework/runtime/SystemServices.h"
#include "framework/runtime/SystemVersion.h"
#include "framework/runtime/Texts.h"
#include "framework/streaming/Fixups.h"
#include "framework/streaming/Loader.h"
#include "framework/streaming/Reader.h"

namespace sx {
namespace {

bool g_defaultOldCreateOrder = false;

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

// ShowWindow commands: the one a form is shown with, by WindowState, and the one a change of
// WindowState applies to a showing form.
constexpr int kShowCommands[] = {SW_SHOWNORMAL, SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED};
constexpr int kStateCommands[] = {SW_SHOWNORMAL, SW_MINIMIZE, SW_SHOWMAXIMIZED};

// Hides a window without activating another one in its place.
constexpr UINT kHideOnly = SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;

bool KeyDown(int key) {
  return GetKeyState(key) < 0;
}

// The screen object may not exist yet (or any more) while a form is made or read.
int ScreenResolution() {
  return Screen ? Screen->PixelsPerInch() : ScreenPixelsPerInch();
}

// The frame (caption and borders) a window of this style has on a screen of
// `pixelsPerInch`. Only Windows 10 and later answer for any resolution; older systems answer
// for the one they run at, whose frame is taken in proportion.
SIZE FrameAt(const TCreateParams& params, int pixelsPerInch, int screenPixelsPerInch) {
  using AdjustForResolution = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForResolution = [] {
    const HMODULE user = GetModuleHandleA("user32.dll");
    const FARPROC found = user ? GetProcAddress(user, "AdjustWindowRectExForDpi") : nullptr;
    return reinterpret_cast<AdjustForResolution>(reinterpret_cast<void*>(found));
  }();
  const DWORD style = static_cast<DWORD>(params.Style);
  const DWORD exStyle = static_cast<DWORD>(params.ExStyle);
  RECT frame{0, 0, 0, 0};
  if (adjustForResolution &&
      adjustForResolution(&frame, style, FALSE, exStyle, static_cast<UINT>(pixelsPerInch)))
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
  frame = RECT{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  return SIZE{MulDiv(frame.right - frame.left, pixelsPerInch, screenPixelsPerInch),
              MulDiv(frame.bottom - frame.top, pixelsPerInch, screenPixelsPerInch)};
}

}  // namespace

constinit const TypeInfo TypeInfo_TFormBorderStyle =
    EnumType("TFormBorderStyle", kBorderStyleNames);
constinit const TypeInfo TypeInfo_TBorderIcon = EnumType("TBorderIcon", kBorderIconNames);
constinit const TypeInfo TypeInfo_TBorderIcons = SetType("TBorderIcons", &TypeInfo_TBorderIcon);
constinit const TypeInfo TypeInfo_TPosition = EnumType("TPosition", kPositionNames);
constinit const TypeInfo TypeInfo_TWindowState = EnumType("TWindowState", kWindowStateNames);
constinit const TypeInfo TypeInfo_TFormStyle = EnumType("TFormStyle", kFormStyleNames);
constinit const TypeInfo TypeInfo_TCloseAction = EnumType("TCloseAction", kCloseActionNames);

void SetDefaultOldCreateOrder(bool on) {
  g_defaultOldCreateOrder = on;
}

// --- Tab order ------------------------------------------------------------------------------

TWinControl* FindNextControl(const TWinControl* container, TWinControl* current, bool forward,
                             bool checkTabStop, bool checkParent) {
  std::vector<TWinControl*> list;
  container->CollectTabOrder(list);
  if (list.empty()) return nullptr;
  const int count = static_cast<int>(list.size());
  const auto found = std::find(list.begin(), list.end(), current);
  const int start =
      found != list.end() ? static_cast<int>(found - list.begin()) : (forward ? count - 1 : 0);
  int i = start;
  do {
    i = forward ? (i + 1) % count : (i + count - 1) % count;
    TWinControl* candidate = list[static_cast<std::size_t>(i)];
    if (candidate->CanFocus() && (!checkTabStop || candidate->TabStop()) &&
        (!checkParent || candidate->Parent() == container))
      return candidate;
  } while (i != start);
  return nullptr;
}

void SelectNext(TWinControl* container, TWinControl* current, bool forward, bool checkTabStop) {
  if (TWinControl* next = FindNextControl(container, current, forward, checkTabStop, !checkTabStop))
    next->SetFocus();
}

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
  if (!onDestroy_) return;
  try {
    onDestroy_(this);
  } catch (...) {
    if (Application) Application->ReportException(this);
  }
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

void TCustomForm::SetWindowState(TWindowState state) {
  if (state == windowState_) return;
  windowState_ = state;
  if (!Has(ComponentState::Designing) && Showing()) ShowWindow(Handle(), kStateCommands[state]);
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

// --- Scaling --------------------------------------------------------------------------------

int TCustomForm::PixelsPerInch() const {
  if (pixelsPerInch_ != 0) return pixelsPerInch_;
  return ScreenResolution();
}

void TCustomForm::SetPixelsPerInch(int pixelsPerInch) {
  if (pixelsPerInch == PixelsPerInch()) return;
  if (pixelsPerInch != 0 && pixelsPerInch <= 35) return;
  // Scaled off, read earlier from the same definition, stays off.
  if (Has(ComponentState::Loading) && pixelsPerInch_ == 0) return;
  pixelsPerInch_ = pixelsPerInch;
}

void TCustomForm::SetScaled(bool on) {
  if (on == Scaled()) return;
  pixelsPerInch_ = on ? ScreenResolution() : 0;
}

void TCustomForm::SetClientWidth(std::int32_t value) {
  if (ControlStateOf().Contains(ControlState::ReadingState)) {
    pendingClientWidth_ = value;
    SetScalingFlags(ScalingFlags() + TScalingFlags{ScaleFlag::ScaleWidth});
    return;
  }
  TScrollingWinControl::SetClientWidth(value);
}

void TCustomForm::SetClientHeight(std::int32_t value) {
  if (ControlStateOf().Contains(ControlState::ReadingState)) {
    pendingClientHeight_ = value;
    SetScalingFlags(ScalingFlags() + TScalingFlags{ScaleFlag::ScaleHeight});
    return;
  }
  TScrollingWinControl::SetClientHeight(value);
}

void TCustomForm::LoadState(TReader& reader) {
  DisableAlign();
  Finally enableAlign([this] { EnableAlign(); });
  pendingClientWidth_ = 0;
  pendingClientHeight_ = 0;
  storedTextHeight_ = 0;
  oldCreateOrder_ = g_defaultOldCreateOrder;
  TScrollingWinControl::LoadState(reader);

  bool scaled = false;
  if (pixelsPerInch_ != 0 && storedTextHeight_ > 0) {
    const int designPixelsPerInch = pixelsPerInch_;
    const int screenPixelsPerInch = ScreenResolution();
    if (ScalingFlags().Contains(ScaleFlag::ScaleFont) && pixelsPerInch_ != screenPixelsPerInch)
      Font()->SetHeight(MulDiv(Font()->Height(), screenPixelsPerInch, pixelsPerInch_));
    pixelsPerInch_ = screenPixelsPerInch;
    const std::int32_t textHeight = System().TextHeight(Font()->Handle(), "0");
    // A measurement that failed (0) gives no ratio: scaling by it would drop the stored
    // client size while the controls, which refuse a zero ratio, stayed where they were.
    if (textHeight > 0 && textHeight != storedTextHeight_) {
      const std::int32_t m = textHeight;
      const std::int32_t d = storedTextHeight_;
      RescaleScrollBars(m, d);
      RescaleChildren(m, d);
      // A definition that stores only the outer size still had a client area where it was
      // made: the controls grow by m / d, so must that area, or the window cuts them off
      // and shows scroll bars.
      if (pendingClientWidth_ == 0 || pendingClientHeight_ == 0) {
        TCreateParams params;
        CreateParams(params);
        const SIZE frame = FrameAt(params, designPixelsPerInch, screenPixelsPerInch);
        if (pendingClientWidth_ == 0 && Width() > frame.cx) {
          pendingClientWidth_ = Width() - frame.cx;
          SetScalingFlags(ScalingFlags() + TScalingFlags{ScaleFlag::ScaleWidth});
        }
        if (pendingClientHeight_ == 0 && Height() > frame.cy) {
          pendingClientHeight_ = Height() - frame.cy;
          SetScalingFlags(ScalingFlags() + TScalingFlags{ScaleFlag::ScaleHeight});
        }
      }
      if (ScalingFlags().Contains(ScaleFlag::ScaleWidth))
        pendingClientWidth_ = MulDiv(pendingClientWidth_, m, d);
      if (ScalingFlags().Contains(ScaleFlag::ScaleHeight))
        pendingClientHeight_ = MulDiv(pendingClientHeight_, m, d);
      scaled = true;
    }
  }
  if (pendingClientWidth_ > 0) SetClientWidth(pendingClientWidth_);
  if (pendingClientHeight_ > 0) SetClientHeight(pendingClientHeight_);
  SetScalingFlags(TScalingFlags{});
  if (!scaled) {
    RescaleScrollBars(1, 1);
    RescaleChildren(1, 1);
  }
}

void TCustomForm::WMDpiChanged(TMessage& message) {
  // Both halves carry the same value; the vertical one is the one fonts are measured in.
  const int newPixelsPerInch = HIWORD(message.WParam);
  const int oldPixelsPerInch = PixelsPerInch();
  // The window takes its new size first, so that controls growing into it never stand
  // beyond it: scroll bars would come and, one leaving room for the other, not all go.
  if (const auto* suggested = reinterpret_cast<const RECT*>(message.LParam))
    SetWindowPos(Handle(), nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  message.Result = 0;
  if (!Scaled() || newPixelsPerInch <= 35 || newPixelsPerInch == oldPixelsPerInch) return;
  DisableAlign();
  Finally enableAlign([this] { EnableAlign(); });
  // The controls' glyphs follow the form's resolution, so it changes first. The font
  // changes last: a field takes the height its new font asks for, which scaling it
  // afterwards would scale once more.
  pixelsPerInch_ = newPixelsPerInch;
  RescaleScrollBars(newPixelsPerInch, oldPixelsPerInch);
  RescaleChildren(newPixelsPerInch, oldPixelsPerInch);
  Font()->SetHeight(MulDiv(Font()->Height(), newPixelsPerInch, oldPixelsPerInch));
}

void TCustomForm::DefineStoredData(TFiler& filer) {
  TScrollingWinControl::DefineStoredData(filer);
  // "PixelsPerInch" is also stored as a defined property by writers; reading takes it through
  // the published property of that name.
  filer.DefineStored(
      "TextHeight", [this](TReader& reader) { storedTextHeight_ = reader.ReadIntValue(); },
      storedTextHeight_ != 0);
  filer.DefineStored(
      "IgnoreFontProperty",
      [this](TReader& reader) {
        if (reader.ReadBoolValue()) SetParentFont(true);
      },
      false);
}

void TCustomForm::AfterLoad() {
  TScrollingWinControl::AfterLoad();
  // A stored active control that cannot take the focus now is forgotten.
  if (TWinControl* control = std::exchange(activeControl_, nullptr); control && control->CanFocus())
    SetActiveControl(control);
}

// --- Showing --------------------------------------------------------------------------------

void TCustomForm::SetVisible(bool visible) {
  if (formState_.Contains(FormState::Creating)) {
    formState_.Assign(FormState::VisibleWish, visible);
    return;
  }
  if (!visible && formStyle_ == fsMDIChild && Visible() && !Has(ComponentState::Destroying))
    throw EInvalidOperation(LoadText(TextId::SMDIChildNotVisible));
  if (visible && !Visible()) MoveToDefaultMonitor();
  TScrollingWinControl::SetVisible(visible);
}

void TCustomForm::Show() {
  SetVisible(true);
  SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

namespace {

// The monitor a form is on: its window's, or before it has one the monitor nearest its
// bounds.
HMONITOR MonitorOf(TCustomForm& form) {
  if (form.HandleAllocated()) return Desktop().monitorFromWindow(form.Handle());
  return Desktop().monitorFromRect(form.BoundsRect());
}

}  // namespace

HMONITOR TCustomForm::DefaultMonitor() {
  // A form opens on the monitor of the active form, or of the main form before there is one.
  TCustomForm* reference = Screen ? Screen->ActiveCustomForm() : nullptr;
  if (!reference && Application) reference = Application->MainForm();
  if (reference && reference != this && reference->HandleAllocated())
    return Desktop().monitorFromWindow(reference->Handle());
  return MonitorOf(*this);
}

void TCustomForm::MoveToDefaultMonitor() {
  if (Parent() || ParentWindow() || !Screen || !Application) return;
  const HMONITOR target = DefaultMonitor();
  const HMONITOR current = MonitorOf(*this);
  if (target == current) return;
  MONITORINFO to{};
  MONITORINFO from{};
  if (!Desktop().monitorInfo(target, to) || !Desktop().monitorInfo(current, from)) return;
  ChangeBounds(Left() + to.rcWork.left - from.rcWork.left, Top() + to.rcWork.top - from.rcWork.top,
               Width(), Height());
}

void TCustomForm::ApplyCentring() {
  if (position_ < poScreenCenter || Parent() || ParentWindow()) return;
  TCustomForm* reference = nullptr;
  if (position_ == poOwnerFormCenter && Owner() && Owner()->InheritsFrom(StaticClass))
    reference = static_cast<TCustomForm*>(Owner());
  if ((position_ == poMainFormCenter || position_ == poOwnerFormCenter) && !reference &&
      Application)
    reference = Application->MainForm();
  if (reference == this) reference = nullptr;
  // What the form is centred over, and the area whose top-left corner keeps its caption
  // reachable when the form is the larger: the monitor the form opens on, as a rule.
  RECT over{};
  RECT area{};
  if (position_ == poDesktopCenter) {
    over = area = RECT{Screen->DesktopLeft(), Screen->DesktopTop(),
                       Screen->DesktopLeft() + Screen->DesktopWidth(),
                       Screen->DesktopTop() + Screen->DesktopHeight()};
  } else if (reference && position_ >= poMainFormCenter) {
    over = reference->BoundsRect();
    area = MonitorWorkArea(MonitorOf(*reference));
  } else {
    over = area = MonitorWorkArea(DefaultMonitor());
  }
  const std::int32_t x =
      std::max<std::int32_t>(over.left + (over.right - over.left - Width()) / 2, area.left);
  const std::int32_t y =
      std::max<std::int32_t>(over.top + (over.bottom - over.top - Height()) / 2, area.top);
  ChangeBounds(x, y, Width(), Height());
}

void TCustomForm::FWMShowingChanged(TMessage&) {
  if (formState_.Contains(FormState::Showing))
    throw EInvalidOperation(LoadText(TextId::SVisibleChanged));
  if (Application) Application->SyncAppWindowVisibility();
  formState_.Include(FormState::Showing);
  Finally clear([this] { formState_.Exclude(FormState::Showing); });
  if (Showing()) {
    try {
      if (onShow_) onShow_(this);
    } catch (...) {
      if (Application) Application->ReportException(this);
    }
    ApplyCentring();
    // Placed once, the form stays where it is: a window made again later keeps the place
    // instead of being centred or placed by the system anew.
    position_ = poDesigned;
    ShowWindow(Handle(), kShowCommands[windowState_]);
    return;
  }
  try {
    if (onHide_) onHide_(this);
  } catch (...) {
    if (Application) Application->ReportException(this);
  }
  HWND window = Handle();
  if (formState_.Contains(FormState::Modal)) {
    SetWindowPos(window, nullptr, 0, 0, 0, 0, kHideOnly);
    return;
  }
  if (GetActiveWindow() == window && !IsIconic(window)) {
    // Hand the activation to another window of the program rather than to whatever the
    // system would pick.
    if (HWND next = FindFirstThreadWindow(window)) {
      SetWindowPos(window, nullptr, 0, 0, 0, 0, kHideOnly);
      SetActiveWindow(next);
      return;
    }
  }
  ShowWindow(window, SW_HIDE);
}

void TCustomForm::WMShowWindow(TMessage& message) {
  HWND window = Handle();
  switch (message.LParam) {
    case SW_PARENTCLOSING:
      savedShow_ = IsIconic(window)   ? SavedShow::Minimise
                   : IsZoomed(window) ? SavedShow::Maximise
                                      : SavedShow::Restore;
      Inherited<TCustomForm>(message);
      break;
    case SW_PARENTOPENING:
      if (savedShow_ != SavedShow::None) {
        static constexpr int kCommands[] = {SW_SHOWNOACTIVATE, SW_SHOWNOACTIVATE,
                                            SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED};
        ShowWindow(window, kCommands[static_cast<int>(savedShow_)]);
        savedShow_ = SavedShow::None;
      }
      break;
    default:
      Inherited<TCustomForm>(message);
  }
}

void TCustomForm::WMSize(TMessage& message) {
  if (!Has(ComponentState::Designing)) {
    switch (message.WParam) {
      case SIZE_RESTORED:
        windowState_ = wsNormal;
        break;
      case SIZE_MINIMIZED:
        windowState_ = wsMinimized;
        break;
      case SIZE_MAXIMIZED:
        windowState_ = wsMaximized;
        break;
    }
  }
  Inherited<TCustomForm>(message);
}

void TCustomForm::WMSysCommand(TMessage& message) {
  // The main form does not minimise alone: the whole application goes to the taskbar.
  if ((message.WParam & 0xFFF0) == SC_MINIMIZE && Application &&
      static_cast<TCustomForm*>(Application->MainForm()) == this && Application->Handle()) {
    message.Result =
        SendMessageA(Application->Handle(), WM_SYSCOMMAND, message.WParam, message.LParam);
    return;
  }
  Inherited<TCustomForm>(message);
}

// --- Activation and focus -------------------------------------------------------------------

void TCustomForm::MessageProc(TMessage& message) {
  if (const UINT taskbarCreated = TaskbarCreatedMessage();
      taskbarCreated != 0 && message.Msg == taskbarCreated) {
    // The shell restarted, perhaps after settings, colours and fonts changed without
    // anybody telling the form.
    for (const UINT notice : {FWM_SETTINGSCHANGED, FWM_SYSCOLORCHANGED, FWM_SYSFONTCHANGED,
                              FWM_PARENTCOLORCHANGED, FWM_PARENTFONTCHANGED, FWM_PARENTBIDICHANGED})
      DeliverMessage(notice);
  }
  switch (message.Msg) {
    case WM_ACTIVATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (!FocusMessages()) return;
      if (message.Msg == WM_SETFOCUS && !Has(ComponentState::Designing) && activeControl_ &&
          activeControl_ != this) {
        ::SetFocus(activeControl_->Handle());
        return;
      }
      break;
  }
  TScrollingWinControl::MessageProc(message);
}

void TCustomForm::WMActivate(TMessage& message) {
  const bool activating = LOWORD(message.WParam) != WA_INACTIVE;
  if (formState_.Contains(FormState::Creating)) {
    if (activating) formState_.Include(FormState::ActivationPending);
    return;
  }
  if (formStyle_ != fsMDIForm || Has(ComponentState::Designing)) SetActive(activating);
}

void TCustomForm::SetActive(bool active) {
  active_ = active;
  if (!active) return;
  if (!activeControl_ && !Has(ComponentState::Designing))
    activeControl_ = FindNextControl(this, nullptr, true, true, false);
  SetWindowFocus();
}

void TCustomForm::SetWindowFocus() {
  TWinControl* target = activeControl_ ? activeControl_ : this;
  ::SetFocus(target->Handle());
  // A control may refuse the focus or hand it on while it arrives: only the one that holds
  // it now hears that it arrived.
  if (GetFocus() == target->Handle()) target->DeliverMessage(FWM_FOCUSARRIVED);
}

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (control == activeControl_) return;
  if (control && (control == this || GetParentForm(control) != this ||
                  (!Has(ComponentState::Loading) && !control->CanFocus())))
    throw EInvalidOperation(LoadText(TextId::SCannotFocus));
  activeControl_ = control;
  if (!Has(ComponentState::Loading) && active_) SetWindowFocus();
}

bool TCustomForm::SetFocusedControl(TWinControl* control) {
  if (!control || !ContainsControl(control)) return true;
  const int count = FocusCount() + 1;
  SetFocusCount(count);
  activeControl_ = control != this ? control : nullptr;
  if (Screen) Screen->SetActive(this, control);
  // While the notifications below run, a handler may take the focus away again: the
  // control's window then drops that WM_KILLFOCUS, as its WM_SETFOCUS is dropped too.
  if (control->ControlStateOf().Contains(ControlState::Focusing)) return false;
  control->ChangeControlState(ControlState::Focusing, true);
  Finally focused([control] { control->ChangeControlState(ControlState::Focusing, false); });
  if (Screen && Screen->FocusedForm() != this) {
    if (TCustomForm* previous = Screen->FocusedForm()) {
      Screen->SetFocusedForm(nullptr);
      previous->DeliverMessage(FWM_DEACTIVATE);
      if (FocusCount() != count) return false;
    }
    Screen->SetFocusedForm(this);
    DeliverMessage(FWM_ACTIVATE);
    if (FocusCount() != count) return false;
  }
  if (!focusedControl_) focusedControl_ = this;
  if (focusedControl_ == control) return true;
  while (focusedControl_ && !focusedControl_->ContainsControl(control)) {
    TWinControl* leaving = focusedControl_;
    focusedControl_ = leaving->Parent();
    leaving->DeliverMessage(FWM_EXIT);
    if (FocusCount() != count) return false;
  }
  while (focusedControl_ != control) {
    TWinControl* entering = control;
    while (entering->Parent() != focusedControl_)
      entering = entering->Parent();
    focusedControl_ = entering;
    entering->DeliverMessage(FWM_ENTER);
    if (FocusCount() != count) return false;
  }
  for (TWinControl* parent = control->Parent(); parent; parent = parent->Parent())
    if (parent->InheritsFrom(TScrollingWinControl::StaticClass))
      static_cast<TScrollingWinControl*>(parent)->AutoScrollInView(control);
  DeliverMessage(FWM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
  return true;
}

void TCustomForm::DefocusControl(TWinControl* control, bool removing) {
  if (removing && focusedControl_ && control->ContainsControl(focusedControl_))
    focusedControl_ = control->Parent();
  if (activeControl_ && control->ContainsControl(activeControl_)) SetActiveControl(nullptr);
}

void TCustomForm::FocusControl(TWinControl* control) {
  const bool wasActive = active_;
  SetActiveControl(control);
  if (!wasActive) SetFocus();
}

void TCustomForm::DefaultButtonChanged() {
  DeliverMessage(FWM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(ActiveControl()));
}

void TCustomForm::SetFocus() {
  if (!active_ && !(Visible() && Enabled()))
    throw EInvalidOperation(LoadText(TextId::SCannotFocus));
  SetWindowFocus();
}

void TCustomForm::FWMActivate(TMessage&) {
  if (onActivate_) onActivate_(this);
}

void TCustomForm::FWMDeactivate(TMessage&) {
  if (onDeactivate_) onDeactivate_(this);
}

// --- Keys -----------------------------------------------------------------------------------

void TCustomForm::FWMChildKey(TMessage& message) {
  auto* child = reinterpret_cast<TWinControl*>(message.WParam);
  const auto& key = *reinterpret_cast<const TMessage*>(message.LParam);
  if (key.Msg == WM_CHAR) {
    // The character of a dialog key the form took would reach the control as typing.
    if (swallowChar_ != 0 && key.WParam == static_cast<WPARAM>(swallowChar_)) {
      swallowChar_ = 0;
      message.Result = 1;
    }
    return;
  }
  if (key.Msg != WM_KEYDOWN && key.Msg != WM_SYSKEYDOWN) return;
  swallowChar_ = 0;
  UINT wants = 0;
  int character = 0;
  switch (key.WParam) {
    case VK_TAB:
      wants = DLGC_WANTTAB;
      character = '\t';
      break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      wants = DLGC_WANTARROWS;
      break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL:
      wants = DLGC_WANTALLKEYS;
      character = key.WParam == VK_RETURN ? '\r' : key.WParam == VK_ESCAPE ? 0x1B : 0;
      break;
    default:
      return;
  }
  // A control that wants the key for itself (an edit field its arrows) keeps it.
  if (child && child->HandleAllocated() &&
      (SendMessageA(child->Handle(), WM_GETDLGCODE, 0, 0) & wants) != 0)
    return;
  if (DeliverMessage(FWM_DIALOGKEY, key.WParam, key.LParam) != 0) {
    swallowChar_ = character;
    message.Result = 1;
  }
}

void TCustomForm::FWMDialogKey(TMessage& message) {
  if (!KeyDown(VK_MENU)) {
    switch (message.WParam) {
      case VK_TAB:
        if (!KeyDown(VK_CONTROL)) {
          SelectNext(this, activeControl_, !KeyDown(VK_SHIFT), true);
          message.Result = 1;
          return;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (activeControl_ && activeControl_->Parent()) {
          SelectNext(activeControl_->Parent(), activeControl_,
                     message.WParam == VK_RIGHT || message.WParam == VK_DOWN, false);
          message.Result = 1;
        }
        return;
    }
  }
  // Every other dialog key is offered to the controls, deepest last, until one takes it.
  std::vector<TWinControl*> controls;
  CollectTabOrder(controls);
  for (TWinControl* control : controls) {
    for (TControl* plain : control->PlainChildren()) {
      message.Result = plain->DeliverMessage(FWM_DIALOGKEY, message.WParam, message.LParam);
      if (message.Result != 0) return;
    }
    message.Result = control->DeliverMessage(FWM_DIALOGKEY, message.WParam, message.LParam);
    if (message.Result != 0) return;
  }
  for (TControl* plain : PlainChildren()) {
    message.Result = plain->DeliverMessage(FWM_DIALOGKEY, message.WParam, message.LParam);
    if (message.Result != 0) return;
  }
}

bool TCustomForm::IsShortCut(TMessage& message) {
  bool handled = false;
  if (onShortCut_) onShortCut_(message, handled);
  return handled;
}

// --- Closing --------------------------------------------------------------------------------

bool TCustomForm::QueryClose() {
  bool canClose = true;
  if (onCloseQuery_) onCloseQuery_(this, canClose);
  return canClose;
}

void TCustomForm::NotifyClose(TCloseAction& action) {
  if (onClose_) onClose_(this, action);
}

bool TCustomForm::CloseByButton() {
  Close();
  return true;
}

void TCustomForm::Close() {
  if (formState_.Contains(FormState::Modal)) {
    modalResult_ = mrCancel;
    return;
  }
  if (!QueryClose()) return;
  TCloseAction action = closeHide;
  if (formStyle_ == fsMDIChild)
    action = borderIcons_.Contains(biMinimize) ? closeMinimize : closeNone;
  NotifyClose(action);
  if (action == closeNone) return;
  if (Application && static_cast<TCustomForm*>(Application->MainForm()) == this) {
    Application->Terminate();
    return;
  }
  switch (action) {
    case closeHide:
      Hide();
      break;
    case closeMinimize:
      SetWindowState(wsMinimized);
      break;
    case closeFree:
      ReleaseLater();
      break;
    case closeNone:
      break;
  }
}

void TCustomForm::WMClose(TMessage&) {
  Close();
}

void TCustomForm::WMQueryEndSession(TMessage& message) {
  message.Result = QueryClose() ? 1 : 0;
}

void TCustomForm::ReleaseLater() {
  PostMessageA(Handle(), FWM_RELEASE, 0, 0);
}

void TCustomForm::FWMRelease(TMessage&) {
  // Nothing of the form may be touched after this.
  Free();
}

// --- Modal runs -----------------------------------------------------------------------------

bool TCustomForm::Modal() const {
  return formState_.Contains(FormState::Modal);
}

TModalResult TCustomForm::RunModal() {
  if (Visible() || !Enabled() || formState_.Contains(FormState::Modal) || formStyle_ == fsMDIChild)
    throw EInvalidOperation(LoadText(TextId::SCannotShowModal));
  if (HWND capture = GetCapture()) {
    SendMessageA(capture, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
  }
  formState_.Include(FormState::Modal);
  HWND activeWindow = GetActiveWindow();
  const int focusCount = FocusCount();
  Screen->PushFocusedForm(Screen->FocusedForm());
  Screen->SetFocusedForm(this);
  const TCursor savedCursor = Screen->Cursor();
  Screen->SetCursor(crDefault);
  // Taken after the default cursor is set: a change during the run shows as a new count.
  const int cursorCount = Screen->CursorCount();
  TWindowList disabled;
  Finally restore([&] {
    Screen->SetCursor(Screen->CursorCount() == cursorCount ? savedCursor : crDefault);
    ReenableWindows(disabled);
    Screen->SetFocusedForm(Screen->PopFocusedForm());
    if (activeWindow) SetActiveWindow(activeWindow);
    SetFocusCount(focusCount);
    formState_.Exclude(FormState::Modal);
  });
  disabled = DisableThreadWindows(nullptr);
  TModalResult result = mrNone;
  {
    Finally hide([this] {
      try {
        Hide();
      } catch (...) {
        if (Application) Application->ReportException(this);
      }
    });
    Show();
    DeliverMessage(FWM_ACTIVATE);
    modalResult_ = mrNone;
    do {
      Application->HandleNextMessage();
      if (Application->Terminated())
        modalResult_ = mrCancel;
      else if (modalResult_ != mrNone)
        TryCloseModal();
    } while (modalResult_ == mrNone);
    result = modalResult_;
    DeliverMessage(FWM_DEACTIVATE);
    if (GetActiveWindow() != Handle()) activeWindow = nullptr;
  }
  return result;
}

void TCustomForm::TryCloseModal() {
  try {
    TCloseAction action = closeNone;
    if (QueryClose()) {
      action = closeHide;
      NotifyClose(action);
    }
    if (action == closeNone)
      modalResult_ = mrNone;
    else if (action == closeFree)
      ReleaseLater();
  } catch (...) {
    modalResult_ = mrNone;
    if (Application) Application->ReportException(this);
  }
}

}  // namespace sx
