#include "framework/graphics/Font.h"

#include <limits>

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MulDiv.h"
#include "framework/runtime/TextUtil.h"

namespace sx {
namespace {

constexpr PropInfo kFontProperties[] = {
    Property<&TFont::Charset, &TFont::SetCharset>("Charset"),
    Property<&TFont::Color, &TFont::SetColor>("Color"),
    Property<&TFont::Height, &TFont::SetHeight>("Height"),
    Property<&TFont::Name, &TFont::SetName>("Name"),
    Property<&TFont::Pitch, &TFont::SetPitch>("Pitch"),
    Property<&TFont::Size, &TFont::SetSize>("Size"),
    Property<&TFont::Style, &TFont::SetStyle>("Style"),
};

// Sizes and heights have opposite signs; a stored extreme must not overflow on the way.
std::int32_t Negated(std::int32_t value) {
  return value == std::numeric_limits<std::int32_t>::min()
             ? std::numeric_limits<std::int32_t>::max()
             : -value;
}

}  // namespace

constinit const ClassInfo TFont::StaticClass{
    .name = "TFont",
    .parent = &TPersistent::StaticClass,
    .properties = kFontProperties,
};

FontRequest FontRequestFor(const FontData& data) {
  FontRequest request;
  request.height = data.height;
  request.bold = data.style.Contains(fsBold);
  request.italic = data.style.Contains(fsItalic);
  request.underline = data.style.Contains(fsUnderline);
  request.strikeOut = data.style.Contains(fsStrikeOut);
  request.charset = data.charset;
  request.pitch = data.pitch;
  request.faceName = SameText(data.name, "Default") ? DefaultFontData().name : data.name;
  return request;
}

TFont::TFont()
    : record_(FontResources().Acquire(DefaultFontData())), pixelsPerInch_(ScreenPixelsPerInch()) {}

TFont::~TFont() {
  FontResources().Release(record_);
}

void TFont::Assign(const TPersistent* source) {
  if (source && source->InheritsFrom(TFont::StaticClass)) {
    const auto* font = static_cast<const TFont*>(source);
    FontResources().Share(font->record_);
    RebindRecord(FontResources(), record_, font->record_, [this] { Changed(); });
    SetColor(font->color_);
    if (pixelsPerInch_ != font->pixelsPerInch_) SetSize(font->Size());
    return;
  }
  TPersistent::Assign(source);
}

void TFont::Change(FontData data) {
  data.handle = 0;
  RebindRecord(FontResources(), record_, FontResources().Acquire(data), [this] { Changed(); });
}

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TFont::SetHeight(std::int32_t height) {
  FontData data = record_->data;
  data.height = height;
  Change(std::move(data));
}

std::int32_t TFont::Size() const {
  return Negated(MulDiv(Height(), 72, pixelsPerInch_));
}

void TFont::SetSize(std::int32_t size) {
  SetHeight(Negated(MulDiv(size, pixelsPerInch_, 72)));
}

void TFont::SetName(const std::string& name) {
  if (name.empty()) return;
  FontData data = record_->data;
  data.name = name.substr(0, FontData::kMaxNameLength);
  Change(std::move(data));
}

void TFont::SetPitch(TFontPitch pitch) {
  FontData data = record_->data;
  data.pitch = pitch;
  Change(std::move(data));
}

void TFont::SetStyle(TFontStyles style) {
  FontData data = record_->data;
  data.style = style;
  Change(std::move(data));
}

void TFont::SetCharset(TFontCharset charset) {
  FontData data = record_->data;
  data.charset = charset;
  Change(std::move(data));
}

FontData TFont::Described(const FontData& description) const {
  FontData data = description;
  if (data.name.empty())
    data.name = record_->data.name;
  else if (data.name.size() > FontData::kMaxNameLength)
    data.name.resize(FontData::kMaxNameLength);
  return data;
}

void TFont::SetDescription(const FontData& description) {
  Change(Described(description));
}

void TFont::TakeHandle(FontHandle handle, const FontData& description) {
  FontData data = Described(description);
  // A record with the handle in its slot is one of its own: no lookup by attributes finds
  // it, and the cache deletes the font with it.
  data.handle = static_cast<std::uint32_t>(handle);
  RebindRecord(FontResources(), record_, FontResources().Acquire(data), [this] { Changed(); });
}

void TFont::SetPixelsPerInch(int pixelsPerInch) {
  if (pixelsPerInch > 0) pixelsPerInch_ = pixelsPerInch;
}

FontHandle TFont::Handle() const {
  return FontResources().HandleOf(
      record_, [](const FontData& data) { return System().MakeFont(FontRequestFor(data)); });
}

void TFont::Changed() {
  onChange_(this);
}

}  // namespace sx
