#pragma once

#include <utility>

namespace sx {

// Runs a step when the scope ends, also when an error leaves it: the framework's way of
// saying "restore this in every case".
template <class F>
class Finally {
 public:
  explicit Finally(F f) : f_(std::move(f)) {}
  ~Finally() { f_(); }
  Finally(const Finally&) = delete;
  Finally& operator=(const Finally&) = delete;

 private:
  F f_;
};

}  // namespace sx
