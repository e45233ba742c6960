#pragma once

// TObject, the root of every framework class, with the SX_CLASS declaration and the New and
// Free that make and destroy objects.

#include <new>
#include <string_view>
#include <utility>

#include "framework/runtime/Finally.h"
#include "framework/streaming/Reflection.h"

// Declares a framework class's reflection record; its ClassInfo is defined beside the
// class's code. Leaves the class body in its public section.
#define SX_CLASS(T)                                   \
 public:                                              \
  static const ::sx::ClassInfo StaticClass;           \
  const ::sx::ClassInfo& ClassType() const override { \
    return StaticClass;                               \
  }

namespace sx {

// The root of every framework class. Objects are made with New<T>(...) and destroyed with
// Free(), so that the steps around the C++ constructor and destructor run.
//
// Destruction happens in TearDown, not in the destructors: while it runs the object is still
// of its most derived class, so the notices it sends on its way out (to its owner, its
// siblings, its parent) reach every override. Each override of TearDown ends with its
// parent class's; the destructors afterwards only release memory.
class TObject {
 public:
  static const ClassInfo StaticClass;

  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  virtual const ClassInfo& ClassType() const { return StaticClass; }
  std::string_view ClassName() const { return ClassType().name; }
  bool InheritsFrom(const ClassInfo& ancestor) const { return ClassType().InheritsFrom(ancestor); }

  // The part of construction that needs the complete object (virtual calls reach the most
  // derived class here); a form reads its stored definition in it. When it raises, the
  // object is destroyed and the error goes on.
  virtual void Construct() {}
  // Runs once the whole construction has finished.
  virtual void AfterConstruction() {}
  // Runs before the object's destruction starts.
  virtual void BeforeDestruction() {}
  // The destruction steps that need the whole object.
  virtual void TearDown() {}

  // Destroys the object: BeforeDestruction, TearDown, then the destructors.
  void Free() {
    BeforeDestruction();
    TearDown();
    delete this;
  }
};

inline void Free(TObject* object) {
  if (object) object->Free();
}

template <class T>
void FreeAndNil(T*& object) {
  T* doomed = object;
  object = nullptr;
  Free(doomed);
}

// Finishes construction of an object whose C++ constructor has run.
template <class T>
T* Constructed(T* object) {
  // Classes that want to know their most derived type learn it here.
  if constexpr (requires { object->template NoteMostDerived<T>(); })
    object->template NoteMostDerived<T>();
  // A failed construction destroys what exists so far. (Written out rather than as a
  // Rollback: the compiler would take the object's use after the guard for a use after free.)
  try {
    object->Construct();
  } catch (...) {
    object->TearDown();
    delete object;
    throw;
  }
  object->AfterConstruction();
  return object;
}

// Makes an object: the C++ constructor, then Construct and AfterConstruction.
template <class T, class... Args>
T* New(Args&&... args) {
  return Constructed(new T(std::forward<Args>(args)...));
}

// As New, but stores the object into `slot` before its constructor runs, as a form made by
// the application is reachable through its variable while it loads; the slot is emptied
// again when construction fails.
template <class T, class Slot, class... Args>
T* NewInto(Slot*& slot, Args&&... args) {
  void* storage = ::operator new(sizeof(T));
  slot = static_cast<T*>(storage);
  const Rollback empty([&slot] { slot = nullptr; });
  T* object;
  {
    // Once constructed, a failing object gives its memory back itself.
    const Rollback release([storage] { ::operator delete(storage); });
    object = ::new (storage) T(std::forward<Args>(args)...);
  }
  return Constructed(object);
}

}  // namespace sx
