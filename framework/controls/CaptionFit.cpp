#include "framework/controls/CaptionFit.h"

#include <algorithm>

namespace sx {

void WidenToFit(std::span<FitBox> boxes, std::int32_t clientWidth, std::int32_t gap) {
  for (FitBox& box : boxes) {
    if (box.needed <= box.width) continue;
    const std::int32_t right = box.left + box.width;
    std::int32_t limit = clientWidth - gap;
    for (const FitBox& other : boxes) {
      if (&other == &box || other.width <= 0 || other.height <= 0) continue;
      const bool rowsOverlap =
          other.top < box.top + box.height && box.top < other.top + other.height;
      if (rowsOverlap && other.left >= right) limit = std::min(limit, other.left - gap);
    }
    box.width = std::max(box.width, std::min(box.needed, limit - box.left));
  }
}

}  // namespace sx
