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

// A restore step that fails. Its error must reach whoever called, like any other: a guard
// that lets it out of a destructor marked as throwing nothing ends the program instead.
struct RestoreFailed : std::runtime_error {
  RestoreFailed() : std::runtime_error("restore failed") {}
};

TEST(FinallyTest, FailingStepOfAScopeLeftNormallyPassesItsErrorOn) {
  const auto leave = [] { const Finally restore([] { throw RestoreFailed(); }); };
  EXPECT_THROW(leave(), RestoreFailed);
}

TEST(FinallyTest, FailingStepWhileAnErrorUnwindsLetsTheFirstErrorGoOn) {
  bool ran = false;
  const auto leave = [&] {
    const Finally restore([&] {
      ran = true;
      throw RestoreFailed();
    });
    throw std::logic_error("first");
  };
  EXPECT_THROW(leave(), std::logic_error);
  EXPECT_TRUE(ran);
}

TEST(RollbackTest, FailingUndoLetsTheErrorThatLeftTheScopeGoOn) {
  const auto leave = [] {
    const Rollback undo([] { throw RestoreFailed(); });
    throw std::logic_error("first");
  };
  EXPECT_THROW(leave(), std::logic_error);
}

}  // namespace
}  // namespace sx
