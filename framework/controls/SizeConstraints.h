#pragma once

// TSizeConstraints: the smallest and largest size a control may take.

#include <cstdint>

#include "framework/streaming/Persistent.h"
#include "framework/streaming/Reflection.h"

namespace sx {

// Limits of a control's size; 0 means no limit.
class TSizeConstraints : public TPersistent {
  SX_CLASS(TSizeConstraints)

  std::int32_t MaxHeight() const { return maxHeight_; }
  std::int32_t MaxWidth() const { return maxWidth_; }
  std::int32_t MinHeight() const { return minHeight_; }
  std::int32_t MinWidth() const { return minWidth_; }
  // A negative limit counts as none. A maximum below the minimum pulls the minimum down
  // with it, and the other way round.
  void SetMaxHeight(std::int32_t value);
  void SetMaxWidth(std::int32_t value);
  void SetMinHeight(std::int32_t value);
  void SetMinWidth(std::int32_t value);

  void Assign(const TPersistent* source) override;

  // Brings a proposed size within the limits.
  void Apply(std::int32_t& width, std::int32_t& height) const;

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& event) { onChange_ = event; }

 private:
  void Changed();

  std::int32_t maxHeight_ = 0;
  std::int32_t maxWidth_ = 0;
  std::int32_t minHeight_ = 0;
  std::int32_t minWidth_ = 0;
  TNotifyEvent onChange_;
};

}  // namespace sx
