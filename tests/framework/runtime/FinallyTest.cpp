#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/runtime/Finally.h"

namespace sx {
namespace {

// Leaves a Rollback's scope normally or by an error; true when its step ran.
bool RolledBack(bool fail) {
  bool undone = false;
  try {
    const Rollback undo([&] { undone = true; });
    if (fail) throw std::runtime_error("failed");
  } catch (const std::runtime_error&) {
  }
  return undone;
}

TEST(RollbackTest, UndoesOnlyWhenAnErrorLeavesTheScope) {
  EXPECT_FALSE(RolledBack(false));
  EXPECT_TRUE(RolledBack(true));
}

// A clean-up that runs while an error unwinds past it, and succeeds itself.
struct CleanUpDuringUnwinding {
  bool& undone;
  ~CleanUpDuringUnwinding() {
    const Rollback undo([this] { undone = true; });
  }
};

TEST(RollbackTest, AnErrorAlreadyUnwindingDoesNotSetOffAGuardThatSucceeds) {
  bool undone = false;
  try {
    const CleanUpDuringUnwinding cleanUp{undone};
    throw std::runtime_error("failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_FALSE(undone);
}

}  // namespace
}  // namespace sx
