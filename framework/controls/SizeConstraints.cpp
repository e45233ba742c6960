#include "framework/controls/SizeConstraints.h"

#include <algorithm>

namespace sx {
namespace {

constexpr PropInfo kConstraintsProperties[] = {
    Property<&TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight>("MaxHeight"),
    Property<&TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth>("MaxWidth"),
    Property<&TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight>("MinHeight"),
    Property<&TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth>("MinWidth"),
};

}  // namespace

constinit const ClassInfo TSizeConstraints::StaticClass{
    .name = "TSizeConstraints",
    .parent = &TPersistent::StaticClass,
    .properties = kConstraintsProperties,
};

void TSizeConstraints::SetMaxHeight(std::int32_t value) {
  value = std::max(value, 0);
  if (value == maxHeight_) return;
  maxHeight_ = value;
  if (value > 0 && value < minHeight_) minHeight_ = value;
  Changed();
}

void TSizeConstraints::SetMaxWidth(std::int32_t value) {
  value = std::max(value, 0);
  if (value == maxWidth_) return;
  maxWidth_ = value;
  if (value > 0 && value < minWidth_) minWidth_ = value;
  Changed();
}

void TSizeConstraints::SetMinHeight(std::int32_t value) {
  value = std::max(value, 0);
  if (value == minHeight_) return;
  minHeight_ = value;
  if (maxHeight_ > 0 && value > maxHeight_) maxHeight_ = value;
  Changed();
}

void TSizeConstraints::SetMinWidth(std::int32_t value) {
  value = std::max(value, 0);
  if (value == minWidth_) return;
  minWidth_ = value;
  if (maxWidth_ > 0 && value > maxWidth_) maxWidth_ = value;
  Changed();
}

void TSizeConstraints::Assign(const TPersistent* source) {
  if (source && source->InheritsFrom(StaticClass)) {
    const auto* other = static_cast<const TSizeConstraints*>(source);
    maxHeight_ = other->maxHeight_;
    maxWidth_ = other->maxWidth_;
    minHeight_ = other->minHeight_;
    minWidth_ = other->minWidth_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TSizeConstraints::Apply(std::int32_t& width, std::int32_t& height) const {
  if (minWidth_ > 0 && width < minWidth_) width = minWidth_;
  if (maxWidth_ > 0 && width > maxWidth_) width = maxWidth_;
  if (minHeight_ > 0 && height < minHeight_) height = minHeight_;
  if (maxHeight_ > 0 && height > maxHeight_) height = maxHeight_;
}

void TSizeConstraints::Changed() {
  onChange_(this);
}

}  // namespace sx
