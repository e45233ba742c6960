#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "framework/streaming/Object.h"
#include "tests/support/FakeSystem.h"

namespace sx::testing {

// The fake system installed, and graphics objects that go when the test ends, as their
// owning controls would free them.
class GraphicsFixture : public ::testing::Test {
 protected:
  GraphicsFixture() { fake.Install(); }
  ~GraphicsFixture() override {
    for (TObject* object : objects_)
      object->Free();
  }

  template <class T>
  T* Make() {
    T* object = New<T>();
    objects_.push_back(object);
    return object;
  }
  // Frees one of the objects before the test ends.
  void FreeNow(TObject* object) {
    std::erase(objects_, object);
    object->Free();
  }

  FakeSystem fake;

 private:
  std::vector<TObject*> objects_;
};

}  // namespace sx::testing
