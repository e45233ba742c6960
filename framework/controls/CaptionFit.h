#pragma once

// Widening the controls of one parent whose caption no longer fits once the form is scaled:
// the scaling grows every measure by the text height's ratio, while a font's width grows by
// more, so a caption that just fitted at the design size can run past its control. Such a
// control takes the free space to its right; nothing else moves.

#include <cstdint>
#include <span>

namespace sx {

// One control of the parent, in the parent's client coordinates.
struct FitBox {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  // The width its caption needs; 0 when it has none.
  std::int32_t needed = 0;
};

// Widens, in order, each box that needs more than its width towards what it needs, up to
// `gap` pixels before the nearest box beside it on the right (one whose rows overlap its own
// and that starts at or after its right edge) and before `clientWidth`. A box is never
// narrowed.
void WidenToFit(std::span<FitBox> boxes, std::int32_t clientWidth, std::int32_t gap);

}  // namespace sx
