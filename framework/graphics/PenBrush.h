#pragma once

// TPen and TBrush: their styles, their shared records and the caches of those records.

#include <array>
#include <cstdint>
#include <type_traits>

#include "framework/graphics/Colors.h"
#include "framework/graphics/ResourceCache.h"
#include "framework/runtime/SystemServices.h"
#include "framework/streaming/Persistent.h"

namespace sx {

enum TPenStyle : std::uint8_t {
  psSolid,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame
};
enum TBrushStyle : std::uint8_t {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

extern const TypeInfo TypeInfo_TPenStyle;
extern const TypeInfo TypeInfo_TBrushStyle;
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TPenStyle>) {
  return &TypeInfo_TPenStyle;
}
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TBrushStyle>) {
  return &TypeInfo_TBrushStyle;
}

// A pen's shared record. Byte image (16 bytes, little-endian): handle slot 0-3, Color 4-7,
// Width 8-11, Style 12, zeros 13-15.
struct PenData {
  static constexpr std::size_t kSize = 16;

  std::uint32_t handle = 0;
  TColor color = clBlack;
  std::int32_t width = 1;
  TPenStyle style = psSolid;

  std::array<std::uint8_t, kSize> Encode() const;
  static PenData Decode(const std::array<std::uint8_t, kSize>& bytes);
  friend bool operator==(const PenData&, const PenData&) = default;
};

// A brush's shared record. Byte image (16 bytes, little-endian): handle slot 0-3, Color 4-7,
// a pattern-bitmap slot 8-11 that stays zero (pattern brushes are not made here), Style 12,
// zeros 13-15.
struct BrushData {
  static constexpr std::size_t kSize = 16;

  std::uint32_t handle = 0;
  TColor color = clWhite;
  TBrushStyle style = bsSolid;

  std::array<std::uint8_t, kSize> Encode() const;
  static BrushData Decode(const std::array<std::uint8_t, kSize>& bytes);
  friend bool operator==(const BrushData&, const BrushData&) = default;
};

using PenRecord = ResourceCache<PenData>::Record;
using BrushRecord = ResourceCache<BrushData>::Record;

// The process-wide caches of pen and brush records.
ResourceCache<PenData>& PenResources();
ResourceCache<BrushData>& BrushResources();

// The system colours have changed: the system pens and brushes made for a system colour
// are deleted, to be made again with the new colours on their next request.
void SystemColorsChanged();

// A pen: colour, style and width, sharing a system pen with every pen of the same three.
class TPen : public TPersistent {
  SX_CLASS(TPen)

  TPen();
  ~TPen() override;

  // From another pen: shares its record.
  void Assign(const TPersistent* source) override;

  TColor Color() const { return record_->data.color; }
  void SetColor(TColor color);
  TPenStyle Style() const { return record_->data.style; }
  void SetStyle(TPenStyle style);
  std::int32_t Width() const { return record_->data.width; }
  // A negative width is ignored.
  void SetWidth(std::int32_t width);

  // The system pen, made on first request.
  PenHandle Handle() const;

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& event) { onChange_ = event; }

 protected:
  virtual void Changed();

 private:
  void Change(PenData data);

  PenRecord* record_;
  TNotifyEvent onChange_;
};

// A brush: colour and style, sharing a system brush with every brush of the same two.
class TBrush : public TPersistent {
  SX_CLASS(TBrush)

  TBrush();
  ~TBrush() override;

  // From another brush: shares its record.
  void Assign(const TPersistent* source) override;

  TColor Color() const { return record_->data.color; }
  // Giving a clear brush a colour makes it solid, so that the colour shows.
  void SetColor(TColor color);
  TBrushStyle Style() const { return record_->data.style; }
  void SetStyle(TBrushStyle style);

  // The system brush, made on first request.
  BrushHandle Handle() const;

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& event) { onChange_ = event; }

 protected:
  virtual void Changed();

 private:
  void Change(BrushData data);

  BrushRecord* record_;
  TNotifyEvent onChange_;
};

}  // namespace sx
