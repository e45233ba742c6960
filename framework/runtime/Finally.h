#pragma once

// The framework's scope guards: a step that runs whenever the scope ends, and a step that
// runs only when an error leaves it.

#include <exception>
#include <utility>

namespace sx {

namespace detail {

// Runs a guard's step from its destructor. Left normally, the scope passes the step's own
// error on to the caller; while another error unwinds through it, a second one would end
// the program, so the step's error is dropped and the first goes on.
template <class F>
void RunGuardStep(F& step, int inFlight) {
  if (std::uncaught_exceptions() > inFlight) {
    try {
      step();
    } catch (...) {
    }
  } else {
    step();
  }
}

}  // namespace detail

// Runs a step when the scope ends, also when an error leaves it: the framework's way of
// saying "restore this in every case".
template <class F>
class Finally {
 public:
  explicit Finally(F f) : f_(std::move(f)), inFlight_(std::uncaught_exceptions()) {}
  ~Finally() noexcept(false) { detail::RunGuardStep(f_, inFlight_); }
  Finally(const Finally&) = delete;
  Finally& operator=(const Finally&) = delete;

 private:
  F f_;
  int inFlight_;
};

// Runs a step only when an error leaves the scope: the framework's way of saying "undo this
// unless everything up to the end of the scope succeeds". The errors already in flight when
// the guard is made (it may be made in a destructor that runs while one unwinds) are counted
// out, so that only an error raised inside the scope sets it off. The step always runs while
// an error unwinds, so an error of its own is dropped and the one that left the scope goes on.
template <class F>
class Rollback {
 public:
  explicit Rollback(F f) : f_(std::move(f)), inFlight_(std::uncaught_exceptions()) {}
  ~Rollback() {
    if (std::uncaught_exceptions() > inFlight_) detail::RunGuardStep(f_, inFlight_);
  }
  Rollback(const Rollback&) = delete;
  Rollback& operator=(const Rollback&) = delete;

 private:
  F f_;
  int inFlight_;
};

}  // namespace sx
