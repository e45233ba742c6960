#include "framework/controls/ButtonGlyph.h"

#include <algorithm>
#include <vector>

#include "framework/controls/GlyphCache.h"
#include "framework/graphics/Graphics.h"

namespace sx {

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
  HoldGlyphCache();
}

TButtonGlyph::~TButtonGlyph() {
  FreeAndNil(original_);
}

void TButtonGlyph::TearDown() {
  Invalidate();
  ReleaseGlyphCache();
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
  if (glyphList_ && GlyphCache()) GlyphCache()->ReturnList(glyphList_);
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
  if (width == 0 || !GlyphCache()) return -1;
  if (!glyphList_) glyphList_ = GlyphCache()->GetList(width, height);

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

}  // namespace sx
