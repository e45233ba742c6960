#include "framework/controls/Control.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "framework/controls/ApplicationHost.h"
#include "framework/controls/FormHost.h"
#include "framework/controls/WinControl.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MulDiv.h"
#include "framework/runtime/Exception.h"
#include "framework/runtime/Finally.h"
#include "framework/runtime/Texts.h"
#include "framework/streaming/Reader.h"

namespace sx {

// --- Anchors --------------------------------------------------------------------------------

namespace {

constexpr const char* kAnchorNames[] = {"akLeft", "akTop", "akRight", "akBottom"};

}  // namespace

constinit const TypeInfo TypeInfo_TAnchorKind = EnumType("TAnchorKind", kAnchorNames);
constinit const TypeInfo TypeInfo_TAnchors = SetType("TAnchors", &TypeInfo_TAnchorKind);

// --- Process-wide state ---------------------------------------------------------------------

namespace {

// The plain control that took the mouse capture (its parent's window holds it).
TControl* g_plainCapture = nullptr;

}  // namespace

TFormHost* FormHostOf(const TControl* control) {
  if (!control) return nullptr;
  const TControl* top = control;
  while (top->Parent())
    top = top->Parent();
  return dynamic_cast<TFormHost*>(const_cast<TControl*>(top));
}

TWinControl* GetParentForm(const TControl* control) {
  return dynamic_cast<TWinControl*>(FormHostOf(control));
}

int PixelsPerInchOf(const TControl* control) {
  const TFormHost* form = FormHostOf(control);
  return form ? form->PixelsPerInch() : ScreenPixelsPerInch();
}

TControl* CaptureControl() {
  TWinControl* holder = TWinControl::FromWindow(GetCapture());
  if (!holder) return nullptr;
  if (g_plainCapture && g_plainCapture->Parent() == holder) return g_plainCapture;
  return holder;
}

void SetCaptureControl(TControl* control) {
  g_plainCapture = nullptr;
  if (!control) {
    // Only a capture the framework's own windows hold is released here.
    if (TWinControl::FromWindow(GetCapture())) ReleaseCapture();
    return;
  }
  if (control->InheritsFrom(TWinControl::StaticClass)) {
    SetCapture(static_cast<TWinControl*>(control)->Handle());
    return;
  }
  if (TWinControl* parent = control->Parent(); parent && parent->HandleAllocated()) {
    SetCapture(parent->Handle());
    g_plainCapture = control;
  }
}

// --- TControl ---------------------------------------------------------------------------------

namespace {

constexpr PropInfo kControlProperties[] = {
    Property<&TControl::Left, &TControl::SetLeft>("Left"),
    Property<&TControl::Top, &TControl::SetTop>("Top"),
    Property<&TControl::Width, &TControl::SetWidth>("Width"),
    Property<&TControl::Height, &TControl::SetHeight>("Height"),
    Property<&TControl::Anchors, &TControl::SetAnchors>("Anchors"),
    Property<&TControl::Constraints, &TControl::SetConstraints>("Constraints"),
    Property<&TControl::Caption, &TControl::SetCaption>("Caption"),
    Property<&TControl::Text, &TControl::SetText>("Text"),
    Property<&TControl::Enabled, &TControl::SetEnabled>("Enabled"),
    Property<&TControl::Visible, &TControl::SetVisible>("Visible"),
    Property<&TControl::Color, &TControl::SetColor>("Color"),
    Property<&TControl::ParentColor, &TControl::SetParentColor>("ParentColor"),
    Property<&TControl::Font, &TControl::SetFont>("Font"),
    Property<&TControl::ParentFont, &TControl::SetParentFont>("ParentFont"),
    Property<&TControl::DesktopFont, &TControl::SetDesktopFont>("DesktopFont"),
    Property<&TControl::ShowHint, &TControl::SetShowHint>("ShowHint"),
    Property<&TControl::ParentShowHint, &TControl::SetParentShowHint>("ParentShowHint"),
    Property<&TControl::OnClick, &TControl::SetOnClick>("OnClick"),
};

// The point of a mouse message, in the receiver's client coordinates.
POINT MousePoint(LPARAM lParam) {
  return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

}  // namespace

constinit const ClassInfo TControl::StaticClass{
    .name = "TControl",
    .parent = &TComponent::StaticClass,
    .construct = &ConstructComponent<TControl>,
    .properties = kControlProperties,
};

constinit const MessageEntry TControl::kMessageEntries[] = {
    On<&TControl::WMLButtonDown>(WM_LBUTTONDOWN),
    On<&TControl::WMLButtonUp>(WM_LBUTTONUP),
    On<&TControl::FWMEnabledChanged>(FWM_ENABLEDCHANGED),
    On<&TControl::FWMVisibleChanged>(FWM_VISIBLECHANGED),
    On<&TControl::FWMColorChanged>(FWM_COLORCHANGED),
    On<&TControl::FWMFontChanged>(FWM_FONTCHANGED),
    On<&TControl::FWMParentColorChanged>(FWM_PARENTCOLORCHANGED),
    On<&TControl::FWMParentFontChanged>(FWM_PARENTFONTCHANGED),
    On<&TControl::FWMParentShowHintChanged>(FWM_PARENTSHOWHINTCHANGED),
    On<&TControl::FWMSysFontChanged>(FWM_SYSFONTCHANGED),
};

constinit const MessageTable TControl::Messages{nullptr,
                                                {kMessageEntries, std::size(kMessageEntries)}};

TControl::TControl(TComponent* owner) : TComponent(owner) {
  messageHandler_ = MakeEvent<&TControl::MessageProc>(this);
  font_ = New<TFont>();
  fontHeight_ = font_->Height();
  font_->SetOnChange(MakeEvent<&TControl::FontChanged>(this));
  constraints_ = New<TSizeConstraints>();
  constraints_->SetOnChange(MakeEvent<&TControl::ConstraintsChanged>(this));
}

TControl::~TControl() {
  // Freed last, so that the font and the limits stay usable by every step of TearDown,
  // including the notices of the owned components that go with it.
  FreeAndNil(constraints_);
  FreeAndNil(font_);
}

void TControl::TearDown() {
  if (TApplicationHost* host = ApplicationHost()) host->ControlDestroyed(this);
  if (g_plainCapture == this) SetCaptureControl(nullptr);
  SetParentControl(nullptr);
  TComponent::TearDown();
}

// --- Messages ---------------------------------------------------------------------------------

void TControl::SetMessageHandler(const MessageHandler& handler) {
  messageHandler_ = handler ? handler : MakeEvent<&TControl::MessageProc>(this);
}

LRESULT TControl::DeliverMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage message{msg, wParam, lParam, 0};
  messageHandler_(message);
  return message.Result;
}

void TControl::MessageProc(TMessage& message) {
  if (message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MOUSELAST) {
    if (!controlStyle_.Contains(ControlStyle::DoubleClicks)) {
      switch (message.Msg) {
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
          message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
          break;
      }
    }
    switch (message.Msg) {
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        controlState_.Include(ControlState::LButtonDown);
        break;
      case WM_LBUTTONUP:
        controlState_.Exclude(ControlState::LButtonDown);
        break;
    }
  }
  Dispatch(message);
}

void TControl::Dispatch(TMessage& message) {
  if (!DispatchFromTable(*this, &MessageTableOf(), message)) DefaultHandler(message);
}

void TControl::DefaultHandler(TMessage& message) {
  // Without a window the control keeps its text itself.
  switch (message.Msg) {
    case WM_SETTEXT: {
      const char* text = reinterpret_cast<const char*>(message.LParam);
      text_ = text ? text : "";
      message.Result = TRUE;
      break;
    }
    case WM_GETTEXT: {
      char* buffer = reinterpret_cast<char*>(message.LParam);
      const std::size_t room = message.WParam;
      if (!buffer || room == 0) {
        message.Result = 0;
        break;
      }
      const std::size_t count = std::min(text_.size(), room - 1);
      std::memcpy(buffer, text_.data(), count);
      buffer[count] = '\0';
      message.Result = static_cast<LRESULT>(count);
      break;
    }
    case WM_GETTEXTLENGTH:
      message.Result = static_cast<LRESULT>(text_.size());
      break;
  }
}

void TControl::WMLButtonDown(TMessage& message) {
  if (controlStyle_.Contains(ControlStyle::CaptureMouse)) SetCaptureControl(this);
  if (controlStyle_.Contains(ControlStyle::ClickEvents))
    controlState_.Include(ControlState::Clicked);
  Inherited<TControl>(message);
}

void TControl::WMLButtonUp(TMessage& message) {
  Inherited<TControl>(message);
  if (controlStyle_.Contains(ControlStyle::CaptureMouse) && CaptureControl() == this)
    SetCaptureControl(nullptr);
  if (controlState_.Contains(ControlState::Clicked)) {
    controlState_.Exclude(ControlState::Clicked);
    const RECT client = ClientRect();
    if (PtInRect(&client, MousePoint(message.LParam))) ClickControl();
  }
}

void TControl::NotifyChildren(UINT, WPARAM, LPARAM) {}

// --- Place and size ---------------------------------------------------------------------------

void TControl::SetParentControl(TWinControl* parent) {
  if (parent == parent_) return;
  // A control inside this one (or this one itself) as the parent would make the parent
  // chain a loop.
  if (parent && (static_cast<TControl*>(parent) == this ||
                 (InheritsFrom(TWinControl::StaticClass) &&
                  static_cast<TWinControl*>(this)->ContainsControl(parent))))
    throw EInvalidOperation(LoadText(TextId::SControlParentSetToSelf));
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
}

void TControl::SetLeft(std::int32_t value) {
  ChangeBounds(value, top_, width_, height_);
  scalingFlags_.Include(ScaleFlag::ScaleLeft);
}

void TControl::SetTop(std::int32_t value) {
  ChangeBounds(left_, value, width_, height_);
  scalingFlags_.Include(ScaleFlag::ScaleTop);
}

void TControl::SetWidth(std::int32_t value) {
  ChangeBounds(left_, top_, value, height_);
  scalingFlags_.Include(ScaleFlag::ScaleWidth);
  // A width given is the layout's own.
  captionWidening_ = 0;
}

void TControl::SetHeight(std::int32_t value) {
  ChangeBounds(left_, top_, width_, value);
  scalingFlags_.Include(ScaleFlag::ScaleHeight);
}

void TControl::ChangeBounds(std::int32_t left, std::int32_t top, std::int32_t width,
                            std::int32_t height) {
  if (constraints_) constraints_->Apply(width, height);
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  InvalidateArea(true);
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Invalidate();
  DeliverMessage(WM_WINDOWPOSCHANGED);
  RequestAlign();
  if (!Has(ComponentState::Loading)) Resized();
}

RECT TControl::ClientRect() const {
  return RECT{0, 0, width_, height_};
}

std::int32_t TControl::ClientWidth() const {
  const RECT client = ClientRect();
  return client.right - client.left;
}

std::int32_t TControl::ClientHeight() const {
  const RECT client = ClientRect();
  return client.bottom - client.top;
}

void TControl::SetClientWidth(std::int32_t value) {
  ChangeBounds(left_, top_, width_ - ClientWidth() + value, height_);
}

void TControl::SetClientHeight(std::int32_t value) {
  ChangeBounds(left_, top_, width_, height_ - ClientHeight() + value);
}

void TControl::SetConstraints(TSizeConstraints* constraints) {
  constraints_->Assign(constraints);
}

void TControl::ConstraintsChanged(TObject*) {
  ChangeBounds(left_, top_, width_, height_);
}

void TControl::RequestAlign() {
  if (parent_) parent_->Realign();
}

void TControl::NotifyParentsChanged() {
  for (TWinControl* parent = parent_; parent; parent = parent->Parent())
    parent->DeliverMessage(FWM_CHANGED, 0, reinterpret_cast<LPARAM>(this));
}

// --- Text -------------------------------------------------------------------------------------

std::string TControl::Text() const {
  auto* self = const_cast<TControl*>(this);
  const LRESULT length = self->DeliverMessage(WM_GETTEXTLENGTH);
  if (length <= 0) return std::string();
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT copied = self->DeliverMessage(WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                              reinterpret_cast<LPARAM>(text.data()));
  // The length asked for first may overstate what the window copies (and an answer beyond
  // the room given is not believed).
  text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(copied, 0, length)));
  return text;
}

void TControl::SetText(const std::string& text) {
  // The window system's texts end at the first zero character.
  const std::string value(text.c_str());
  if (Text() == value) return;
  DeliverMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
  DeliverMessage(FWM_TEXTCHANGED);
}

void TControl::SetName(const std::string& name) {
  const auto* ownerControl = Owner() && Owner()->InheritsFrom(TControl::StaticClass)
                                 ? static_cast<const TControl*>(Owner())
                                 : nullptr;
  const bool followName = controlStyle_.Contains(ControlStyle::SetCaption) &&
                          !Has(ComponentState::Loading) && Name() == Text() &&
                          !(ownerControl && ownerControl->Has(ComponentState::Loading));
  TComponent::SetName(name);
  if (followName) SetText(name);
}

// --- State ------------------------------------------------------------------------------------

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  DeliverMessage(FWM_ENABLEDCHANGED);
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  VisibleChanging();
  visible_ = visible;
  DeliverMessage(FWM_VISIBLECHANGED, visible ? 1 : 0);
  RequestAlign();
}

void TControl::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  parentColor_ = false;
  DeliverMessage(FWM_COLORCHANGED);
}

void TControl::SetParentColor(bool value) {
  if (value == parentColor_) return;
  parentColor_ = value;
  if (parent_ && !Has(ComponentState::Reading)) DeliverMessage(FWM_PARENTCOLORCHANGED);
}

void TControl::SetFont(TFont* font) {
  font_->Assign(font);
}

void TControl::SetParentFont(bool value) {
  if (value == parentFont_) return;
  parentFont_ = value;
  if (parent_ && !Has(ComponentState::Reading)) DeliverMessage(FWM_PARENTFONTCHANGED);
}

void TControl::SetDesktopFont(bool value) {
  if (value == desktopFont_) return;
  desktopFont_ = value;
  DeliverMessage(FWM_SYSFONTCHANGED);
}

void TControl::SetShowHint(bool value) {
  if (value == showHint_) return;
  showHint_ = value;
  parentShowHint_ = false;
  NotifyChildren(FWM_PARENTSHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool value) {
  if (value == parentShowHint_) return;
  parentShowHint_ = value;
  if (parent_ && !Has(ComponentState::Reading)) DeliverMessage(FWM_PARENTSHOWHINTCHANGED);
}

void TControl::FontChanged(TObject*) {
  parentFont_ = false;
  desktopFont_ = false;
  if (font_->Height() != fontHeight_) {
    scalingFlags_.Include(ScaleFlag::ScaleFont);
    fontHeight_ = font_->Height();
  }
  DeliverMessage(FWM_FONTCHANGED);
}

void TControl::FWMEnabledChanged(TMessage&) {
  Invalidate();
}

void TControl::FWMVisibleChanged(TMessage&) {
  InvalidateArea(true);
}

void TControl::FWMColorChanged(TMessage&) {
  Invalidate();
}

void TControl::FWMFontChanged(TMessage&) {
  Invalidate();
}

void TControl::FWMParentColorChanged(TMessage& message) {
  if (!parentColor_) return;
  if (message.WParam != 0)
    SetColor(static_cast<TColor>(message.LParam));
  else if (parent_)
    SetColor(parent_->color_);
  parentColor_ = true;
}

void TControl::FWMParentFontChanged(TMessage& message) {
  if (!parentFont_) return;
  if (message.WParam != 0)
    SetFont(reinterpret_cast<TFont*>(message.LParam));
  else if (parent_)
    SetFont(parent_->font_);
  parentFont_ = true;
}

void TControl::FWMParentShowHintChanged(TMessage&) {
  if (!parentShowHint_ || !parent_) return;
  SetShowHint(parent_->showHint_);
  parentShowHint_ = true;
}

void TControl::FWMSysFontChanged(TMessage&) {
  if (!desktopFont_) return;
  ApplyDesktopFont();
  desktopFont_ = true;
}

void TControl::ApplyDesktopFont() {
  LOGFONTA iconFont{};
  if (!SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof iconFont, &iconFont, 0)) return;
  TFont* desktop = New<TFont>();
  desktop->SetName(iconFont.lfFaceName);
  desktop->SetHeight(iconFont.lfHeight);
  desktop->SetCharset(static_cast<TFontCharset>(iconFont.lfCharSet));
  TFontStyles style;
  if (iconFont.lfWeight >= FW_BOLD) style.Include(fsBold);
  if (iconFont.lfItalic) style.Include(fsItalic);
  if (iconFont.lfUnderline) style.Include(fsUnderline);
  if (iconFont.lfStrikeOut) style.Include(fsStrikeOut);
  desktop->SetStyle(style);
  desktop->SetColor(font_->Color());
  const Finally free([desktop] { desktop->Free(); });
  SetFont(desktop);
}

// --- Scaling ----------------------------------------------------------------------------------

void TControl::Rescale(std::int32_t m, std::int32_t d) {
  // A zero on either side is no ratio; nothing is scaled by it.
  if (m != d && m != 0 && d != 0) {
    const TScalingFlags flags =
        Has(ComponentState::Loading)
            ? scalingFlags_
            : TScalingFlags{ScaleFlag::ScaleLeft, ScaleFlag::ScaleTop, ScaleFlag::ScaleWidth,
                            ScaleFlag::ScaleHeight, ScaleFlag::ScaleFont};
    // The width the layout gave the control is the one scaled: its caption is fitted anew at
    // the new scale once every control has its place (TWinControl::FitCaptions).
    const std::int32_t width = width_ - std::exchange(captionWidening_, 0);
    const std::int32_t x = flags.Contains(ScaleFlag::ScaleLeft) ? MulDiv(left_, m, d) : left_;
    const std::int32_t y = flags.Contains(ScaleFlag::ScaleTop) ? MulDiv(top_, m, d) : top_;
    std::int32_t w = width;
    if (flags.Contains(ScaleFlag::ScaleWidth) && !controlStyle_.Contains(ControlStyle::FixedWidth))
      w = flags.Contains(ScaleFlag::ScaleLeft) ? MulDiv(left_ + width, m, d) - x
                                               : MulDiv(width, m, d);
    std::int32_t h = height_;
    if (flags.Contains(ScaleFlag::ScaleHeight) &&
        !controlStyle_.Contains(ControlStyle::FixedHeight))
      h = flags.Contains(ScaleFlag::ScaleTop) ? MulDiv(top_ + height_, m, d) - y
                                              : MulDiv(height_, m, d);
    ChangeBounds(x, y, w, h);
    if (!parentFont_ && flags.Contains(ScaleFlag::ScaleFont))
      font_->SetSize(MulDiv(font_->Size(), m, d));
  }
  scalingFlags_ = TScalingFlags{};
}

std::int32_t TControl::CaptionWidthNeeded() {
  return 0;
}

std::int32_t TControl::TextWidth(const std::string& text) {
  if (text.empty()) return 0;
  // A memory context measures as the screen does and, unlike the screen's own, costs no
  // round trip to the window server per control (seen on Wine 8.0). Made once and kept for
  // the process's life, as every form that scales measures its captions.
  static const HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return 0;
  const HGDIOBJ saved = SelectObject(dc, reinterpret_cast<HGDIOBJ>(Font()->Handle()));
  RECT measured{0, 0, 0, 0};
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &measured,
            DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, saved);
  return measured.right - measured.left;
}

// --- Events and painting ----------------------------------------------------------------------

void TControl::ClickControl() {
  onClick_(this);
}

void TControl::Invalidate() {
  InvalidateArea(!controlStyle_.Contains(ControlStyle::Opaque));
}

void TControl::InvalidateArea(bool erase) {
  if (!visible_ || !parent_ || !parent_->HandleAllocated()) return;
  const RECT area = BoundsRect();
  InvalidateRect(parent_->handle_, &area, erase ? TRUE : FALSE);
}

// --- Loading ----------------------------------------------------------------------------------

TComponent* TControl::LoadParent() const {
  return parent_;
}

void TControl::SetLoadParent(TComponent* parent) {
  if (parent && parent != parent_ && parent->InheritsFrom(TWinControl::StaticClass))
    SetParentControl(static_cast<TWinControl*>(parent));
}

void TControl::LoadState(TReader& reader) {
  controlState_.Include(ControlState::ReadingState);
  {
    const Finally read([this] { controlState_.Exclude(ControlState::ReadingState); });
    if (TComponent* parent = reader.Parent();
        parent && parent->InheritsFrom(TWinControl::StaticClass))
      SetParentControl(static_cast<TWinControl*>(parent));
    TComponent::LoadState(reader);
  }
  if (parent_) {
    DeliverMessage(FWM_PARENTCOLORCHANGED);
    DeliverMessage(FWM_PARENTFONTCHANGED);
    DeliverMessage(FWM_PARENTSHOWHINTCHANGED);
    DeliverMessage(FWM_SYSFONTCHANGED);
    DeliverMessage(FWM_PARENTBIDICHANGED);
  }
}

}  // namespace sx
