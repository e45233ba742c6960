#include "framework/controls/Edit.h"

#include <algorithm>

#include "framework/runtime/Finally.h"
#include "framework/runtime/SystemVersion.h"

namespace sx {
namespace {

constexpr const char* kCharCaseNames[] = {"ecNormal", "ecUpperCase", "ecLowerCase"};

constexpr PropInfo kEditProperties[] = {
    Property<&TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect>("AutoSelect"),
    Property<&TCustomEdit::AutoSize, &TCustomEdit::SetAutoSize>("AutoSize"),
    Property<&TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle>("BorderStyle"),
    Property<&TCustomEdit::CharCase, &TCustomEdit::SetCharCase>("CharCase"),
    Property<&TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection>("HideSelection"),
    Property<&TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength>("MaxLength"),
    Property<&TCustomEdit::OEMConvert, &TCustomEdit::SetOEMConvert>("OEMConvert"),
    Property<&TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar>("PasswordChar"),
    Property<&TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly>("ReadOnly"),
    Property<&TCustomEdit::OnChange, &TCustomEdit::SetOnChange>("OnChange"),
};

constexpr TControlStyle kEditStyle{ControlStyle::ClickEvents, ControlStyle::SetCaption,
                                   ControlStyle::DoubleClicks, ControlStyle::FixedHeight};

}  // namespace

constinit const TypeInfo TypeInfo_TEditCharCase = EnumType("TEditCharCase", kCharCaseNames);

constinit const ClassInfo TCustomEdit::StaticClass{
    .name = "TCustomEdit",
    .parent = &TWinControl::StaticClass,
    .construct = &ConstructComponent<TCustomEdit>,
};

constinit const MessageEntry TCustomEdit::kMessageEntries[] = {
    On<&TCustomEdit::FWMCommand>(FWM_COMMAND),
    On<&TCustomEdit::FWMTextChanged>(FWM_TEXTCHANGED),
    On<&TCustomEdit::FWMFontChanged>(FWM_FONTCHANGED),
    On<&TCustomEdit::FWMCtl3DChanged>(FWM_CTL3DCHANGED),
    On<&TCustomEdit::FWMEnter>(FWM_ENTER),
};

constinit const MessageTable TCustomEdit::Messages{&TWinControl::Messages,
                                                   {kMessageEntries, std::size(kMessageEntries)}};

constinit const ClassInfo TEdit::StaticClass{
    .name = "TEdit",
    .parent = &TCustomEdit::StaticClass,
    .construct = &ConstructComponent<TEdit>,
    .properties = kEditProperties,
};

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  SetControlStyle(kEditStyle);
  SetWidth(121);
  SetHeight(25);
  SetTabStop(true);
  SetParentColor(false);
  AdjustHeight();
}

// --- The window -------------------------------------------------------------------------------

void TCustomEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  CreateSubClass(params, "EDIT");
  params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
  if (borderStyle_ == TBorderStyle::bsSingle) params.Style |= WS_BORDER;
  if (passwordChar_ != '\0') params.Style |= ES_PASSWORD;
  if (readOnly_) params.Style |= ES_READONLY;
  if (charCase_ == ecUpperCase) params.Style |= ES_UPPERCASE;
  if (charCase_ == ecLowerCase) params.Style |= ES_LOWERCASE;
  if (!hideSelection_) params.Style |= ES_NOHIDESEL;
  if (oemConvert_) params.Style |= ES_OEMCONVERT;
  if (NewStyleControls() && Ctl3D() && borderStyle_ == TBorderStyle::bsSingle) {
    params.Style &= ~static_cast<DWORD>(WS_BORDER);
    params.ExStyle |= WS_EX_CLIENTEDGE;
  }
}

void TCustomEdit::CreateWnd() {
  creating_ = true;
  {
    const Finally created([this] { creating_ = false; });
    TWinControl::CreateWnd();
  }
  HWND window = Handle();
  SendMessageA(window, EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
  if (passwordChar_ != '\0')
    SendMessageA(window, EM_SETPASSWORDCHAR, static_cast<unsigned char>(passwordChar_), 0);
  UpdateHeight();
}

void TCustomEdit::AdjustHeight() {
  HDC dc = GetDC(nullptr);
  TEXTMETRICA screenMetrics{};
  GetTextMetricsA(dc, &screenMetrics);
  HGDIOBJ saved = SelectObject(dc, reinterpret_cast<HFONT>(Font()->Handle()));
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, saved);
  ReleaseDC(nullptr, dc);
  int border;
  if (NewStyleControls()) {
    border = GetSystemMetrics(SM_CYBORDER) * (Ctl3D() ? 8 : 6);
  } else {
    const int smaller = std::min(screenMetrics.tmHeight, metrics.tmHeight);
    border = smaller / 4 + GetSystemMetrics(SM_CYBORDER) * 4;
  }
  SetHeight(metrics.tmHeight + border);
}

void TCustomEdit::UpdateHeight() {
  TControlStyle style = ControlStyleOf();
  if (autoSize_ && borderStyle_ == TBorderStyle::bsSingle) {
    style.Include(ControlStyle::FixedHeight);
    SetControlStyle(style);
    AdjustHeight();
  } else {
    style.Exclude(ControlStyle::FixedHeight);
    SetControlStyle(style);
  }
}

// --- Properties -------------------------------------------------------------------------------

void TCustomEdit::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  UpdateHeight();
}

void TCustomEdit::SetBorderStyle(TBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  UpdateHeight();
  RecreateWindow();
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
  if (value == charCase_) return;
  charCase_ = value;
  RecreateWindow();
}

void TCustomEdit::SetHideSelection(bool value) {
  if (value == hideSelection_) return;
  hideSelection_ = value;
  RecreateWindow();
}

void TCustomEdit::SetMaxLength(std::int32_t value) {
  if (value == maxLength_) return;
  maxLength_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(value), 0);
}

void TCustomEdit::SetOEMConvert(bool value) {
  if (value == oemConvert_) return;
  oemConvert_ = value;
  RecreateWindow();
}

void TCustomEdit::SetPasswordChar(char value) {
  if (value == passwordChar_) return;
  passwordChar_ = value;
  // ES_PASSWORD only takes effect when the window is made.
  RecreateWindow();
}

void TCustomEdit::SetReadOnly(bool value) {
  if (value == readOnly_) return;
  readOnly_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, value ? TRUE : FALSE, 0);
}

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETSEL, 0, -1);
}

// --- Change notification ----------------------------------------------------------------------

void TCustomEdit::Change() {
  NotifyParentsChanged();
  onChange_(this);
}

void TCustomEdit::FWMCommand(TMessage& message) {
  if (HIWORD(message.WParam) == EN_CHANGE && !creating_) Change();
}

void TCustomEdit::FWMTextChanged(TMessage& message) {
  Inherited<TCustomEdit>(message);
  // With a single-line window the system's EN_CHANGE has reported the change already (seen
  // on Wine 8.0).
  if (!HandleAllocated() || (GetWindowLongA(Handle(), GWL_STYLE) & ES_MULTILINE) != 0) Change();
}

void TCustomEdit::FWMFontChanged(TMessage& message) {
  Inherited<TCustomEdit>(message);
  if (ControlStyleOf().Contains(ControlStyle::FixedHeight) &&
      !(Has(ComponentState::Designing) && Has(ComponentState::Loading)))
    AdjustHeight();
}

void TCustomEdit::FWMCtl3DChanged(TMessage& message) {
  // The 3-D border is a window style: only a new window shows the change.
  if (NewStyleControls() && borderStyle_ == TBorderStyle::bsSingle) {
    UpdateHeight();
    RecreateWindow();
  }
  Inherited<TCustomEdit>(message);
}

void TCustomEdit::FWMEnter(TMessage& message) {
  // A click places the caret itself; only entering by keyboard selects everything.
  if (autoSelect_ && !ControlStateOf().Contains(ControlState::LButtonDown) && HandleAllocated() &&
      (GetWindowLongA(Handle(), GWL_STYLE) & ES_MULTILINE) == 0)
    SelectAll();
  Inherited<TCustomEdit>(message);
}

}  // namespace sx
