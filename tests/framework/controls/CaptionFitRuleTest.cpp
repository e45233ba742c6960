// The rule by which a control whose caption no longer fits at the form's scale widens into
// the free space to its right, and nothing else moves.

#include <gtest/gtest.h>

#include <vector>

#include "framework/controls/CaptionFit.h"

namespace sx {
namespace {

struct WideningCase {
  const char* name;
  FitBox box;
  std::vector<FitBox> others;
  std::int32_t expectedWidth;
};

TEST(WidenToFitTest, ControlWidensIntoTheFreeSpaceBesideItOnly) {
  // In a parent 200 wide, keeping 4 pixels from what stands beside.
  const WideningCase cases[] = {
      {"a caption that fits changes nothing", {10, 10, 50, 20, 50}, {{70, 10, 50, 20, 0}}, 50},
      {"no caption changes nothing", {10, 10, 50, 20, 0}, {}, 50},
      {"free space gives what is needed", {10, 10, 50, 20, 55}, {{70, 10, 50, 20, 0}}, 55},
      {"a neighbour beside stops it short", {10, 10, 50, 20, 90}, {{70, 10, 50, 20, 0}}, 56},
      {"a neighbour touching one row counts", {10, 10, 50, 20, 90}, {{70, 29, 50, 20, 0}}, 56},
      {"a neighbour in another row does not", {10, 10, 50, 20, 90}, {{70, 30, 50, 20, 0}}, 90},
      {"a neighbour on the left does not", {100, 10, 50, 20, 70}, {{10, 10, 50, 20, 0}}, 70},
      {"the parent's edge stops it", {100, 10, 50, 20, 150}, {}, 96},
      {"no room never narrows it", {10, 10, 50, 20, 90}, {{62, 10, 50, 20, 0}}, 50},
      {"a hidden neighbour of no size does not count",
       {10, 10, 50, 20, 90},
       {{70, 10, 0, 0, 0}},
       90},
  };
  for (const WideningCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<FitBox> boxes{c.box};
    boxes.insert(boxes.end(), c.others.begin(), c.others.end());

    WidenToFit(boxes, 200, 4);

    EXPECT_EQ(boxes[0].width, c.expectedWidth);
    EXPECT_EQ(boxes[0].left, c.box.left) << "it only grows to the right";
    for (std::size_t i = 1; i < boxes.size(); ++i)
      EXPECT_EQ(boxes[i].width, c.others[i - 1].width) << "a neighbour moved";
  }
}

}  // namespace
}  // namespace sx
