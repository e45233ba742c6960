#pragma once

// The lock of the process's tables that window procedures of several threads look up and
// change, taken for the rest of a scope.

#include <windows.h>

#include "framework/runtime/Finally.h"

namespace sx {

// Many readers or one writer, neither of them again while it holds it. Each call takes the
// lock and returns the guard that gives it back when the scope ends:
//   const auto held = table.lock.Exclusive();
// Taking it costs one atomic step when nobody else holds it, which matters for lookups made
// for every message; the name space's synchronizer (framework/runtime/Synchronizer.h), which
// a thread may take again, costs a mutex and a map of readers.
class SlimLock {
 public:
  SlimLock() = default;
  SlimLock(const SlimLock&) = delete;
  SlimLock& operator=(const SlimLock&) = delete;

  [[nodiscard]] auto Exclusive() {
    AcquireSRWLockExclusive(&lock_);
    return Finally([this] { ReleaseSRWLockExclusive(&lock_); });
  }
  [[nodiscard]] auto Shared() {
    AcquireSRWLockShared(&lock_);
    return Finally([this] { ReleaseSRWLockShared(&lock_); });
  }

 private:
  // Needs no cleanup: the tables that hold one are never freed (they outlive the statics).
  SRWLOCK lock_ = SRWLOCK_INIT;
};

}  // namespace sx
