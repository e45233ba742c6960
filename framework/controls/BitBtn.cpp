#include "framework/controls/BitBtn.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

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

// --- Layout -------------------------------------------------------------------------------------

GlyphLayout CalcButtonLayout(const RECT& client, SIZE glyphSize, SIZE textSize,
                             TButtonLayout layout, int margin, int spacing, bool rightToLeft) {
  if (rightToLeft) {
    if (layout == blGlyphLeft)
      layout = blGlyphRight;
    else if (layout == blGlyphRight)
      layout = blGlyphLeft;
  }
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;

  POINT glyph{0, 0};
  POINT text{0, 0};
  if (horizontal) {
    glyph.y = (height - glyphSize.cy + 1) / 2;
    text.y = (height - textSize.cy + 1) / 2;
  } else {
    glyph.x = (width - glyphSize.cx + 1) / 2;
    text.x = (width - textSize.cx + 1) / 2;
  }

  if (textSize.cx == 0 || glyphSize.cx == 0) spacing = 0;

  const int extent = horizontal ? width : height;
  const int glyphAlong = horizontal ? glyphSize.cx : glyphSize.cy;
  const int textAlong = horizontal ? textSize.cx : textSize.cy;
  if (margin == -1) {
    if (spacing == -1) {
      margin = (extent - (glyphAlong + textAlong)) / 3;
      spacing = margin;
    } else {
      margin = (extent - (glyphAlong + spacing + textAlong) + 1) / 2;
    }
  } else if (spacing == -1) {
    spacing = (extent - margin - glyphAlong - textAlong) / 2;
  }

  switch (layout) {
    case blGlyphLeft:
      glyph.x = margin;
      text.x = glyph.x + glyphSize.cx + spacing;
      break;
    case blGlyphRight:
      glyph.x = width - margin - glyphSize.cx;
      text.x = glyph.x - spacing - textSize.cx;
      break;
    case blGlyphTop:
      glyph.y = margin;
      text.y = glyph.y + glyphSize.cy + spacing;
      break;
    case blGlyphBottom:
      glyph.y = height - margin - glyphSize.cy;
      text.y = glyph.y - spacing - textSize.cy;
      break;
  }

  GlyphLayout result;
  result.glyphPos = POINT{glyph.x + client.left, glyph.y + client.top};
  result.textBounds = RECT{text.x + client.left, text.y + client.top,
                           text.x + client.left + textSize.cx, text.y + client.top + textSize.cy};
  return result;
}

// --- Glyph lists ---------------------------------------------------------------------------------

constinit const ClassInfo TGlyphList::StaticClass{
    .name = "TGlyphList",
    .parent = &TObject::StaticClass,
};

TGlyphList::TGlyphList(int width, int height) : width_(width), height_(height) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  list_ = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 4, 4);
}

TGlyphList::~TGlyphList() = default;

void TGlyphList::TearDown() {
  if (list_) ImageList_Destroy(list_);
  list_ = nullptr;
  TObject::TearDown();
}

int TGlyphList::Add(HBITMAP image, HBITMAP mask) {
  if (!list_) return -1;
  // A freed slot is taken before the list grows.
  const auto free = std::find(used_.begin(), used_.end(), false);
  int index;
  if (free != used_.end()) {
    index = static_cast<int>(free - used_.begin());
    if (!ImageList_Replace(list_, index, image, mask)) return -1;
    used_[static_cast<std::size_t>(index)] = true;
  } else {
    index = ImageList_Add(list_, image, mask);
    if (index < 0) return -1;
    if (static_cast<std::size_t>(index) >= used_.size())
      used_.resize(static_cast<std::size_t>(index) + 1, false);
    used_[static_cast<std::size_t>(index)] = true;
  }
  ++count_;
  return index;
}

void TGlyphList::Delete(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= used_.size()) return;
  if (!used_[static_cast<std::size_t>(index)]) return;
  used_[static_cast<std::size_t>(index)] = false;
  --count_;
}

void TGlyphList::Draw(HDC dc, int index, int x, int y, TColor background) const {
  if (!list_ || index < 0) return;
  ImageList_DrawEx(list_, index, dc, x, y, 0, 0, ColorToRGB(background), CLR_NONE, ILD_NORMAL);
}

// --- Glyph cache ------------------------------------------------------------------------------

namespace {

TGlyphCache* g_glyphCache = nullptr;
int g_glyphHolders = 0;

}  // namespace

TGlyphCache* GlyphCache() {
  return g_glyphCache;
}

constinit const ClassInfo TGlyphCache::StaticClass{
    .name = "TGlyphCache",
    .parent = &TObject::StaticClass,
};

TGlyphCache::~TGlyphCache() = default;

void TGlyphCache::TearDown() {
  for (TGlyphList* list : lists_)
    sx::Free(list);
  lists_.clear();
  TObject::TearDown();
}

TGlyphList* TGlyphCache::GetList(int width, int height) {
  for (TGlyphList* list : lists_)
    if (list->Width() == width && list->Height() == height) return list;
  TGlyphList* list = New<TGlyphList>(width, height);
  lists_.push_back(list);
  return list;
}

void TGlyphCache::ReturnList(TGlyphList* list) {
  if (!list || list->Count() != 0) return;
  const auto it = std::find(lists_.begin(), lists_.end(), list);
  if (it == lists_.end()) return;
  lists_.erase(it);
  sx::Free(list);
}

// --- Glyph images -------------------------------------------------------------------------------

namespace {

// A picture being built for an image list: colours plus the transparent part.
struct GlyphImage {
  int width;
  int height;
  std::vector<std::uint32_t> rgb;  // 0x00BBGGRR
  std::vector<bool> transparent;

  GlyphImage(int w, int h)
      : width(w),
        height(h),
        rgb(static_cast<std::size_t>(w) * h, 0),
        transparent(static_cast<std::size_t>(w) * h, false) {}
  std::size_t At(int x, int y) const { return static_cast<std::size_t>(y) * width + x; }
};

// The two system bitmaps an image list takes. Transparent pixels are black in the image,
// so that the image also draws right in the list's transparent style.
int AddToList(TGlyphList& list, const GlyphImage& image) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP colour = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!colour) return -1;
  auto* pixels = static_cast<std::uint32_t*>(bits);
  for (std::size_t i = 0; i < image.rgb.size(); ++i) {
    const std::uint32_t c = image.transparent[i] ? 0 : image.rgb[i];
    pixels[i] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
  }
  GdiFlush();

  // A monochrome bitmap's rows are padded to 16 bits; a set bit is transparent.
  const int rowBytes = ((image.width + 15) / 16) * 2;
  std::vector<std::uint8_t> maskBits(static_cast<std::size_t>(rowBytes) * image.height, 0);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      if (image.transparent[image.At(x, y)])
        maskBits[static_cast<std::size_t>(y) * rowBytes + x / 8] |=
            static_cast<std::uint8_t>(0x80 >> (x % 8));
  const HBITMAP mask = CreateBitmap(image.width, image.height, 1, 1, maskBits.data());

  const int index = mask ? list.Add(colour, mask) : -1;
  DeleteObject(colour);
  if (mask) DeleteObject(mask);
  return index;
}

bool IsLight(std::uint32_t rgb) {
  const unsigned r = rgb & 0xFF;
  const unsigned g = (rgb >> 8) & 0xFF;
  const unsigned b = (rgb >> 16) & 0xFF;
  return (r * 30 + g * 59 + b * 11) / 100 >= 0xC0;
}

}  // namespace

// --- TButtonGlyph -------------------------------------------------------------------------------

constinit const ClassInfo TButtonGlyph::StaticClass{
    .name = "TButtonGlyph",
    .parent = &TObject::StaticClass,
};

TButtonGlyph::TButtonGlyph() {
  original_ = New<TBitmap>();
  original_->SetOnChange(MakeEvent<&TButtonGlyph::GlyphChanged>(this));
  if (g_glyphHolders++ == 0) g_glyphCache = New<TGlyphCache>();
}

TButtonGlyph::~TButtonGlyph() {
  FreeAndNil(original_);
}

void TButtonGlyph::TearDown() {
  Invalidate();
  if (--g_glyphHolders == 0) FreeAndNil(g_glyphCache);
  TObject::TearDown();
}

void TButtonGlyph::SetGlyph(const TBitmap* bitmap) {
  // The bitmap's change notice throws the built images away.
  original_->Assign(bitmap);
}

void TButtonGlyph::SetNumGlyphs(TNumGlyphs value) {
  value = std::clamp(value, 1, 4);
  if (value == numGlyphs_) return;
  numGlyphs_ = value;
  GlyphChanged(original_);
}

void TButtonGlyph::GlyphChanged(TObject*) {
  Invalidate();
  onChange_(this);
}

void TButtonGlyph::Invalidate() {
  for (int& index : indexes_) {
    if (index != -1 && glyphList_) glyphList_->Delete(index);
    index = -1;
  }
  if (glyphList_ && g_glyphCache) g_glyphCache->ReturnList(glyphList_);
  glyphList_ = nullptr;
}

int TButtonGlyph::CreateButtonGlyph(GlyphState state) {
  // Without a picture of its own, the pressed button shows the normal one.
  if (state == gsDown && numGlyphs_ < 3) state = gsUp;
  int& index = indexes_[state];
  if (index != -1) return index;
  if (original_->Empty()) return -1;
  const int width = original_->Width() / numGlyphs_;
  const int height = original_->Height();
  if (width == 0 || !g_glyphCache) return -1;
  if (!glyphList_) glyphList_ = g_glyphCache->GetList(width, height);

  const int picture = state < numGlyphs_ ? state : 0;
  const int left = picture * width;
  const auto source = [&](int x, int y) {
    return static_cast<std::uint32_t>(original_->Pixel(left + x, y));
  };
  const std::uint32_t transparent = static_cast<std::uint32_t>(original_->Pixel(0, height - 1));
  const std::uint32_t face = ColorToRGB(clBtnFace);
  const std::uint32_t highlight = ColorToRGB(clBtnHighlight);
  const std::uint32_t shadow = ColorToRGB(clBtnShadow);

  GlyphImage image(width, height);
  if (state != gsDisabled) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const std::uint32_t c = source(x, y);
        image.rgb[image.At(x, y)] = c;
        image.transparent[image.At(x, y)] = c == transparent;
      }
  } else if (numGlyphs_ > 1) {
    // The disabled picture is drawn in white and grey; those become the current system
    // colours of the 3-D look.
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const std::uint32_t c = source(x, y);
        std::uint32_t out = c;
        if (c == transparent)
          out = face;
        else if (c == 0xFFFFFF)
          out = highlight;
        else if (c == 0x808080)
          out = shadow;
        image.rgb[image.At(x, y)] = out;
        image.transparent[image.At(x, y)] = c == transparent;
      }
  } else {
    // One picture only: its dark parts, embossed. Highlight one pixel down and right first,
    // then the shadow in place over it.
    std::vector<bool> ink(static_cast<std::size_t>(width) * height, false);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const std::uint32_t c = source(x, y);
        ink[image.At(x, y)] = c != transparent && !IsLight(c);
      }
    for (std::size_t i = 0; i < image.rgb.size(); ++i) {
      image.rgb[i] = face;
      image.transparent[i] = true;
    }
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (ink[image.At(x, y)] && x + 1 < width && y + 1 < height) {
          image.rgb[image.At(x + 1, y + 1)] = highlight;
          image.transparent[image.At(x + 1, y + 1)] = false;
        }
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (ink[image.At(x, y)]) {
          image.rgb[image.At(x, y)] = shadow;
          image.transparent[image.At(x, y)] = false;
        }
  }
  index = AddToList(*glyphList_, image);
  return index;
}

void TButtonGlyph::DrawGlyph(TCanvas& canvas, POINT at, GlyphState state) {
  if (original_->Empty()) return;
  const int index = CreateButtonGlyph(state);
  if (index < 0 || !glyphList_) return;
  glyphList_->Draw(canvas.Handle(), index, at.x, at.y, clBtnFace);
}

void TButtonGlyph::DrawCaption(TCanvas& canvas, const std::string& caption, RECT bounds,
                               GlyphState state, UINT textFlags) {
  canvas.Brush()->SetStyle(bsClear);
  const UINT flags = textFlags | DT_CENTER | DT_VCENTER;
  if (state == gsDisabled) {
    OffsetRect(&bounds, 1, 1);
    canvas.Font()->SetColor(clBtnHighlight);
    canvas.DrawText(caption, bounds, flags);
    OffsetRect(&bounds, -1, -1);
    canvas.Font()->SetColor(clBtnShadow);
    canvas.DrawText(caption, bounds, flags);
  } else {
    canvas.DrawText(caption, bounds, flags);
  }
}

RECT TButtonGlyph::Draw(TCanvas& canvas, const RECT& client, const std::string& caption,
                        TButtonLayout layout, int margin, int spacing, GlyphState state,
                        UINT textFlags) {
  SIZE glyphSize{0, 0};
  if (!original_->Empty()) glyphSize = SIZE{original_->Width() / numGlyphs_, original_->Height()};
  SIZE textSize{0, 0};
  if (!caption.empty()) {
    RECT measured{0, 0, client.right - client.left, 0};
    canvas.DrawText(caption, measured, DT_CALCRECT | textFlags);
    textSize = SIZE{measured.right - measured.left, measured.bottom - measured.top};
  }
  const GlyphLayout placed = CalcButtonLayout(client, glyphSize, textSize, layout, margin, spacing,
                                              (textFlags & DT_RTLREADING) != 0);
  DrawGlyph(canvas, placed.glyphPos, state);
  DrawCaption(canvas, caption, placed.textBounds, state, textFlags);
  return placed.textBounds;
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
  if (!form || form->Has(ComponentState::Loading)) return ScreenPixelsPerInch();
  return form->PixelsPerInch();
}

void TBitBtn::Rescale(std::int32_t m, std::int32_t d) {
  TButton::Rescale(m, d);
  // The glyph of a kind follows the form's resolution, whose change brings this call; the
  // layout around it stays the same arithmetic.
  if (kind_ == bkCustom || glyphModified_) return;
  const TBitmap* wanted = KindGlyph(kind_, GlyphPixelsPerInch());
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
  // Both looks the button switches between while a countdown runs are ready at once.
  glyph_->CreateButtonGlyph(gsUp);
  glyph_->CreateButtonGlyph(gsDisabled);
}

void TBitBtn::SetButtonStyle(bool isDefault) {
  if (isDefault == drawnActive_) return;
  drawnActive_ = isDefault;
  Invalidate();
}

void TBitBtn::ClickControl() {
  if (Kind() == bkClose)
    if (TWinControl* form = GetParentForm(this); form && form->CloseByButton()) return;
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

void TBitBtn::WMLButtonDblClk(TMessage& message) {
  // A quick second press is a second click, not a double-click.
  message.Result = DeliverMessage(WM_LBUTTONDOWN, message.WParam, message.LParam);
}

}  // namespace sx
