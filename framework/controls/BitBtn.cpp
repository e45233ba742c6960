#include "framework/controls/BitBtn.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>

#include "framework/graphics/Graphics.h"
#include "framework/runtime/Finally.h"
#include "framework/runtime/Texts.h"

namespace sx {

// --- Kinds ------------------------------------------------------------------------------------

namespace {

constexpr const char* kKindNames[] = {"bkCustom", "bkOK",     "bkCancel", "bkHelp",
                                      "bkYes",    "bkNo",     "bkClose",  "bkAbort",
                                      "bkRetry",  "bkIgnore", "bkAll"};
constexpr const char* kLayoutNames[] = {"blGlyphLeft", "blGlyphRight", "blGlyphTop",
                                        "blGlyphBottom"};
constexpr const char* kStyleNames[] = {"bsAutoDetect", "bsWin31", "bsNew"};

constexpr BitBtnKindInfo kKinds[] = {
    {nullptr, 0, 0, false, false},
    {"BBOK", static_cast<int>(TextId::SOKButton), 1, true, false},
    {"BBCANCEL", static_cast<int>(TextId::SCancelButton), 2, false, true},
    {"BBHELP", static_cast<int>(TextId::SHelpButton), 0, false, false},
    {"BBYES", static_cast<int>(TextId::SYesButton), 6, true, false},
    {"BBNO", static_cast<int>(TextId::SNoButton), 7, false, true},
    {"BBCLOSE", static_cast<int>(TextId::SCloseButton), 0, false, false},
    {"BBABORT", static_cast<int>(TextId::SAbortButton), 3, false, false},
    {"BBRETRY", static_cast<int>(TextId::SRetryButton), 4, false, false},
    {"BBIGNORE", static_cast<int>(TextId::SIgnoreButton), 5, false, false},
    {"BBALL", static_cast<int>(TextId::SAllButton), 8, false, false},
};
constexpr int kKindCount = static_cast<int>(std::size(kKinds));

// The heights the kinds' glyphs are drawn at, each with the suffix of its resource names
// ("BBOK", "BBOK24", "BBOK32"): the design size, and the sizes for 150 % and 200 %.
struct GlyphSize {
  int pixels;
  const char* suffix;
};
constexpr GlyphSize kGlyphSizes[] = {{18, ""}, {24, "24"}, {32, "32"}};
constexpr int kGlyphSizeCount = static_cast<int>(std::size(kGlyphSizes));
constexpr int kDesignPixelsPerInch = 96;

// The drawn size nearest the design glyph enlarged to the resolution; a tie takes the
// smaller one. Glyphs are never stretched: a stretched pixel map looks blurred or ragged.
int GlyphSizeIndex(int pixelsPerInch) {
  // Compared at 96 times their size, to stay in integers.
  const std::int64_t wanted = std::int64_t{kGlyphSizes[0].pixels} * pixelsPerInch;
  const auto gap = [wanted](int i) {
    return std::abs(std::int64_t{kGlyphSizes[i].pixels} * kDesignPixelsPerInch - wanted);
  };
  int best = 0;
  for (int i = 1; i < kGlyphSizeCount; ++i)
    if (gap(i) < gap(best)) best = i;
  return best;
}

// The kinds' bitmaps at each size, shared by every button of the kind until the process
// ends.
struct KindGlyphTable {
  std::array<std::array<TBitmap*, kGlyphSizeCount>, kKindCount> bitmaps{};
  KindGlyphTable() = default;
  KindGlyphTable(const KindGlyphTable&) = delete;
  KindGlyphTable& operator=(const KindGlyphTable&) = delete;
  ~KindGlyphTable() {
    for (auto& sizes : bitmaps)
      for (TBitmap*& bitmap : sizes)
        FreeAndNil(bitmap);
  }
};

KindGlyphTable& KindGlyphs() {
  static KindGlyphTable table;
  return table;
}

}  // namespace

constinit const TypeInfo TypeInfo_TBitBtnKind = EnumType("TBitBtnKind", kKindNames);
constinit const TypeInfo TypeInfo_TButtonLayout = EnumType("TButtonLayout", kLayoutNames);
constinit const TypeInfo TypeInfo_TButtonStyle = EnumType("TButtonStyle", kStyleNames);
constinit const TypeInfo TypeInfo_TNumGlyphs = IntegerType("TNumGlyphs", OrdType::SByte, 1, 4);

const BitBtnKindInfo& KindInfo(TBitBtnKind kind) {
  return kKinds[std::min<int>(kind, kKindCount - 1)];
}

const TBitmap* KindGlyph(TBitBtnKind kind, int pixelsPerInch) {
  if (kind == bkCustom || kind >= kKindCount) return nullptr;
  const int size = GlyphSizeIndex(pixelsPerInch);
  TBitmap*& slot = KindGlyphs().bitmaps[kind][static_cast<std::size_t>(size)];
  if (!slot) {
    slot = New<TBitmap>();
    const std::string name = std::string(KindInfo(kind).glyphResource) + kGlyphSizes[size].suffix;
    // A program without the larger pictures shows the design size.
    if (!slot->LoadFromResourceName(GetModuleHandleA(nullptr), name.c_str()) && size > 0) {
      FreeAndNil(slot);
      return KindGlyph(kind, kDesignPixelsPerInch);
    }
  }
  return slot;
}

// --- TBitBtn ------------------------------------------------------------------------------------

namespace {

constexpr PropInfo kBitBtnProperties[] = {
    Property<&TBitBtn::Glyph, &TBitBtn::SetGlyph>("Glyph"),
    Property<&TBitBtn::Kind, &TBitBtn::SetKind>("Kind"),
    Property<&TBitBtn::Layout, &TBitBtn::SetLayout>("Layout"),
    Property<&TBitBtn::Margin, &TBitBtn::SetMargin>("Margin"),
    Property<&TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs>("NumGlyphs", &TypeInfo_TNumGlyphs),
    Property<&TBitBtn::DrawStyle, &TBitBtn::SetDrawStyle>("Style"),
    Property<&TBitBtn::Spacing, &TBitBtn::SetSpacing>("Spacing"),
};

}  // namespace

constinit const ClassInfo TBitBtn::StaticClass{
    .name = "TBitBtn",
    .parent = &TButton::StaticClass,
    .construct = &ConstructComponent<TBitBtn>,
    .properties = kBitBtnProperties,
};

constinit const MessageEntry TBitBtn::kMessageEntries[] = {
    On<&TBitBtn::FWMDrawItem>(FWM_DRAWITEM),
    On<&TBitBtn::FWMMeasureItem>(FWM_MEASUREITEM),
    On<&TBitBtn::FWMFontChanged>(FWM_FONTCHANGED),
    On<&TBitBtn::FWMEnabledChanged>(FWM_ENABLEDCHANGED),
    On<&TBitBtn::FWMSysColorChanged>(FWM_SYSCOLORCHANGED),
    On<&TBitBtn::WMLButtonDblClk>(WM_LBUTTONDBLCLK),
};

constinit const MessageTable TBitBtn::Messages{&TButton::Messages,
                                               {kMessageEntries, std::size(kMessageEntries)}};

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {
  glyph_ = New<TButtonGlyph>();
  glyph_->SetOnChange(MakeEvent<&TBitBtn::GlyphChanged>(this));
  canvas_ = New<TCanvas>();
}

TBitBtn::~TBitBtn() {
  FreeAndNil(canvas_);
  FreeAndNil(glyph_);
}

void TBitBtn::TearDown() {
  // The window goes first (with the base's steps); the glyph's images stay drawable until
  // then.
  TButton::TearDown();
  if (glyph_) glyph_->SetOnChange(TNotifyEvent());
}

TBitBtnKind TBitBtn::Kind() const {
  if (kind_ != bkCustom) {
    const BitBtnKindInfo& info = KindInfo(kind_);
    if (info.isDefault != Default() || info.isCancel != Cancel() ||
        info.modalResult != ModalResult() || glyphModified_)
      kind_ = bkCustom;
  }
  return kind_;
}

void TBitBtn::SetKind(TBitBtnKind kind) {
  // Compared with the kind as it reads: a kind whose values were changed since is bkCustom,
  // and setting it again gives the button its values back.
  if (kind == Kind()) return;
  if (kind != bkCustom) {
    const BitBtnKindInfo& info = KindInfo(kind);
    SetDefault(info.isDefault);
    SetCancel(info.isCancel);
    // A caption stored before the kind is the one wanted.
    if (!Has(ComponentState::Loading) || Caption().empty())
      SetCaption(LoadText(static_cast<TextId>(info.captionId)));
    SetModalResult(info.modalResult);
    glyph_->SetGlyph(KindGlyph(kind, GlyphPixelsPerInch()));
    glyph_->SetNumGlyphs(2);
    glyphModified_ = false;
  }
  kind_ = kind;
  Invalidate();
}

int TBitBtn::GlyphPixelsPerInch() const {
  // A form being read takes the screen's resolution at the end (or keeps the stored one,
  // and then Rescale puts the glyph right).
  const TWinControl* form = GetParentForm(this);
  if (form && form->Has(ComponentState::Loading)) return ScreenPixelsPerInch();
  return PixelsPerInchOf(this);
}

void TBitBtn::Rescale(std::int32_t m, std::int32_t d) {
  TButton::Rescale(m, d);
  // The glyph of a kind follows the form's resolution, whose change brings this call; the
  // layout around it stays the same arithmetic. A button whose values left its kind reads as
  // bkCustom, and a custom button's glyph is its own.
  const TBitBtnKind kind = Kind();
  if (kind == bkCustom) return;
  const TBitmap* wanted = KindGlyph(kind, GlyphPixelsPerInch());
  if (wanted && !glyph_->Glyph()->SharesImageWith(*wanted)) glyph_->SetGlyph(wanted);
}

void TBitBtn::SetGlyph(TBitmap* bitmap) {
  glyph_->SetGlyph(bitmap);
  glyphModified_ = true;
  Invalidate();
}

void TBitBtn::SetNumGlyphs(TNumGlyphs value) {
  value = std::clamp(value, 1, 4);
  if (value == glyph_->NumGlyphs()) return;
  glyph_->SetNumGlyphs(value);
  Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout layout) {
  if (layout == layout_) return;
  layout_ = layout;
  Invalidate();
}

void TBitBtn::SetMargin(std::int32_t margin) {
  if (margin == margin_ || margin < -1) return;
  margin_ = margin;
  Invalidate();
}

void TBitBtn::SetSpacing(std::int32_t spacing) {
  if (spacing == spacing_) return;
  spacing_ = spacing;
  Invalidate();
}

void TBitBtn::SetDrawStyle(TButtonStyle style) {
  if (style == style_) return;
  style_ = style;
  Invalidate();
}

void TBitBtn::GlyphChanged(TObject*) {
  Invalidate();
}

void TBitBtn::CreateParams(TCreateParams& params) {
  TButton::CreateParams(params);
  params.Style |= BS_OWNERDRAW;
}

void TBitBtn::CreateWnd() {
  TButton::CreateWnd();
  CreateGlyphs();
}

void TBitBtn::CreateGlyphs() {
  glyph_->CreateButtonGlyph(gsUp);
  glyph_->CreateButtonGlyph(gsDisabled);
}

void TBitBtn::SetButtonStyle(bool isDefault) {
  if (isDefault == drawnActive_) return;
  drawnActive_ = isDefault;
  Invalidate();
}

std::int32_t TBitBtn::CaptionWidthNeeded() {
  const std::int32_t text = CaptionTextWidth();
  if (text == 0) return 0;
  const TBitmap* glyph = glyph_->Glyph();
  const std::int32_t glyphWidth = glyph->Empty() ? 0 : glyph->Width() / glyph_->NumGlyphs();
  std::int32_t inside = std::max(glyphWidth, text);
  if (layout_ == blGlyphLeft || layout_ == blGlyphRight)
    inside = std::max(margin_, 0) + glyphWidth + (glyphWidth ? std::max(spacing_, 0) : 0) + text;
  // Without the default look the face is laid out inside the 2-pixel raised edge (with it,
  // inside the 1-pixel frame only), and a disabled caption is drawn a second time one pixel
  // to the right.
  constexpr std::int32_t kEdge = 2;
  constexpr std::int32_t kEmbossed = 1;
  return inside + kEmbossed + 2 * kEdge;
}

void TBitBtn::ClickControl() {
  if (Kind() == bkClose)
    if (TFormHost* form = FormHostOf(this); form && form->CloseByButton()) return;
  // No control carries a help context, so a help button clicks as any other.
  TButton::ClickControl();
}

void TBitBtn::FWMDrawItem(TMessage& message) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
  if (!item) return;
  DrawItem(*item);
  message.Result = TRUE;
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& item) {
  // The canvas must let go of the context whatever happens: it belongs to the system.
  canvas_->SetHandle(item.hDC);
  const Finally detach([canvas = canvas_] { canvas->SetHandle(nullptr); });

  const RECT client = ClientRect();
  RECT r = client;
  const bool down = (item.itemState & ODS_SELECTED) != 0;
  const bool focused = (item.itemState & ODS_FOCUS) != 0;
  const GlyphState state = !Enabled() ? gsDisabled : down ? gsDown : gsUp;

  UINT flags = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
  if (down) flags |= DFCS_PUSHED;
  if (item.itemState & ODS_DISABLED) flags |= DFCS_INACTIVE;

  if (drawnActive_ || focused) {
    canvas_->Pen()->SetColor(clWindowFrame);
    canvas_->Pen()->SetWidth(1);
    canvas_->Brush()->SetStyle(bsClear);
    canvas_->Rectangle(r);
    InflateRect(&r, -1, -1);
  }
  if (!down) {
    DrawFrameControl(item.hDC, &r, DFC_BUTTON, flags);
  } else {
    canvas_->Pen()->SetColor(clBtnShadow);
    canvas_->Pen()->SetWidth(1);
    canvas_->Brush()->SetColor(clBtnFace);
    canvas_->Rectangle(r);
    InflateRect(&r, -1, -1);
  }
  if (drawnActive_) {
    r = client;
    InflateRect(&r, -1, -1);
  }

  canvas_->Font()->Assign(Font());
  if (down) OffsetRect(&r, 1, 1);
  glyph_->Draw(*canvas_, r, Caption(), layout_, margin_, spacing_, state, 0);

  if (drawnActive_ && focused) {
    r = client;
    InflateRect(&r, -4, -4);
    canvas_->Pen()->SetColor(clWindowFrame);
    canvas_->Brush()->SetColor(clBtnFace);
    canvas_->DrawFocusRect(r);
  }
}

void TBitBtn::FWMMeasureItem(TMessage& message) {
  auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
  if (!item) return;
  item->itemWidth = static_cast<UINT>(Width());
  item->itemHeight = static_cast<UINT>(Height());
  message.Result = TRUE;
}

void TBitBtn::FWMFontChanged(TMessage& message) {
  Inherited<TBitBtn>(message);
  Invalidate();
}

void TBitBtn::FWMEnabledChanged(TMessage& message) {
  Inherited<TBitBtn>(message);
  Invalidate();
}

void TBitBtn::FWMSysColorChanged(TMessage& message) {
  Inherited<TBitBtn>(message);
  glyph_->Invalidate();
  if (HandleAllocated()) CreateGlyphs();
  Invalidate();
}

void TBitBtn::WMLButtonDblClk(TMessage& message) {
  // A quick second press is a second click, not a double-click.
  message.Result = DeliverMessage(WM_LBUTTONDOWN, message.WParam, message.LParam);
}

}  // namespace sx
