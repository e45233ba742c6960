#include "framework/graphics/PenBrush.h"

namespace sx {
namespace {

constexpr const char* kPenStyleNames[] = {"psSolid",      "psDash",  "psDot",        "psDashDot",
                                          "psDashDotDot", "psClear", "psInsideFrame"};
constexpr const char* kBrushStyleNames[] = {"bsSolid",    "bsClear",     "bsHorizontal",
                                            "bsVertical", "bsFDiagonal", "bsBDiagonal",
                                            "bsCross",    "bsDiagCross"};

constexpr std::size_t kColorAt = 4;
constexpr std::size_t kPenWidthAt = 8;
constexpr std::size_t kStyleAt = 12;

void DeleteObject(SystemHandle object) {
  System().DeleteObject(object);
}

}  // namespace

constinit const TypeInfo TypeInfo_TPenStyle = EnumType("TPenStyle", kPenStyleNames);
constinit const TypeInfo TypeInfo_TBrushStyle = EnumType("TBrushStyle", kBrushStyleNames);

namespace {

constexpr PropInfo kPenProperties[] = {
    Property<&TPen::Color, &TPen::SetColor>("Color"),
    Property<&TPen::Style, &TPen::SetStyle>("Style"),
    Property<&TPen::Width, &TPen::SetWidth>("Width"),
};

constexpr PropInfo kBrushProperties[] = {
    Property<&TBrush::Color, &TBrush::SetColor>("Color"),
    Property<&TBrush::Style, &TBrush::SetStyle>("Style"),
};

}  // namespace

constinit const ClassInfo TPen::StaticClass{
    .name = "TPen",
    .parent = &TPersistent::StaticClass,
    .properties = kPenProperties,
};

constinit const ClassInfo TBrush::StaticClass{
    .name = "TBrush",
    .parent = &TPersistent::StaticClass,
    .properties = kBrushProperties,
};

// --- Records ----------------------------------------------------------------------------

std::array<std::uint8_t, PenData::kSize> PenData::Encode() const {
  std::array<std::uint8_t, kSize> bytes{};
  PutRecordU32(&bytes[0], handle);
  PutRecordU32(&bytes[kColorAt], static_cast<std::uint32_t>(color));
  PutRecordU32(&bytes[kPenWidthAt], static_cast<std::uint32_t>(width));
  bytes[kStyleAt] = style;
  return bytes;
}

PenData PenData::Decode(const std::array<std::uint8_t, kSize>& bytes) {
  PenData data;
  data.handle = GetRecordU32(&bytes[0]);
  data.color = static_cast<TColor>(GetRecordU32(&bytes[kColorAt]));
  data.width = static_cast<std::int32_t>(GetRecordU32(&bytes[kPenWidthAt]));
  data.style = static_cast<TPenStyle>(bytes[kStyleAt]);
  return data;
}

std::array<std::uint8_t, BrushData::kSize> BrushData::Encode() const {
  std::array<std::uint8_t, kSize> bytes{};
  PutRecordU32(&bytes[0], handle);
  PutRecordU32(&bytes[kColorAt], static_cast<std::uint32_t>(color));
  bytes[kStyleAt] = style;
  return bytes;
}

BrushData BrushData::Decode(const std::array<std::uint8_t, kSize>& bytes) {
  BrushData data;
  data.handle = GetRecordU32(&bytes[0]);
  data.color = static_cast<TColor>(GetRecordU32(&bytes[kColorAt]));
  data.style = static_cast<TBrushStyle>(bytes[kStyleAt]);
  return data;
}

ResourceCache<PenData>& PenResources() {
  // Never destroyed, as the font cache.
  static auto* cache = new ResourceCache<PenData>(&DeleteObject);
  return *cache;
}

ResourceCache<BrushData>& BrushResources() {
  static auto* cache = new ResourceCache<BrushData>(&DeleteObject);
  return *cache;
}

void SystemColorsChanged() {
  PenResources().DropHandles([](const PenData& data) { return data.color < 0; });
  BrushResources().DropHandles([](const BrushData& data) { return data.color < 0; });
}

// --- TPen -------------------------------------------------------------------------------

TPen::TPen() : record_(PenResources().Acquire(PenData{})) {}

TPen::~TPen() {
  PenResources().Release(record_);
}

void TPen::Assign(const TPersistent* source) {
  if (source && source->InheritsFrom(TPen::StaticClass)) {
    const auto* pen = static_cast<const TPen*>(source);
    PenResources().Share(pen->record_);
    RebindRecord(PenResources(), record_, pen->record_, [this] { Changed(); });
    return;
  }
  TPersistent::Assign(source);
}

void TPen::Change(PenData data) {
  data.handle = 0;
  RebindRecord(PenResources(), record_, PenResources().Acquire(data), [this] { Changed(); });
}

void TPen::SetColor(TColor color) {
  PenData data = record_->data;
  data.color = color;
  Change(data);
}

void TPen::SetStyle(TPenStyle style) {
  PenData data = record_->data;
  data.style = style;
  Change(data);
}

void TPen::SetWidth(std::int32_t width) {
  if (width < 0) return;
  PenData data = record_->data;
  data.width = width;
  Change(data);
}

PenHandle TPen::Handle() const {
  return PenResources().HandleOf(record_, [](const PenData& data) {
    return System().MakePen(
        PenRequest{.style = data.style, .width = data.width, .color = ColorToRGB(data.color)});
  });
}

void TPen::Changed() {
  onChange_(this);
}

// --- TBrush -----------------------------------------------------------------------------

TBrush::TBrush() : record_(BrushResources().Acquire(BrushData{})) {}

TBrush::~TBrush() {
  BrushResources().Release(record_);
}

void TBrush::Assign(const TPersistent* source) {
  if (source && source->InheritsFrom(TBrush::StaticClass)) {
    const auto* brush = static_cast<const TBrush*>(source);
    BrushResources().Share(brush->record_);
    RebindRecord(BrushResources(), record_, brush->record_, [this] { Changed(); });
    return;
  }
  TPersistent::Assign(source);
}

void TBrush::Change(BrushData data) {
  data.handle = 0;
  RebindRecord(BrushResources(), record_, BrushResources().Acquire(data), [this] { Changed(); });
}

void TBrush::SetColor(TColor color) {
  BrushData data = record_->data;
  data.color = color;
  if (data.style == bsClear) data.style = bsSolid;
  Change(data);
}

void TBrush::SetStyle(TBrushStyle style) {
  BrushData data = record_->data;
  data.style = style;
  Change(data);
}

BrushHandle TBrush::Handle() const {
  return BrushResources().HandleOf(record_, [](const BrushData& data) {
    return System().MakeBrush(BrushRequest{.style = data.style, .color = ColorToRGB(data.color)});
  });
}

void TBrush::Changed() {
  onChange_(this);
}

}  // namespace sx
