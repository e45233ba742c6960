#pragma once

// TPersistent: an object whose published state can be stored, read back and copied.

#include "framework/streaming/Object.h"

namespace sx {

class TFiler;

// An object whose published state can be stored, read back and copied.
class TPersistent : public TObject {
  SX_CLASS(TPersistent)

  // A reference that waits for another root may be held by any persistent object (an item
  // of a collection, an object reached by a path), so whichever goes takes its entries along.
  ~TPersistent() override;

  // Copies the state of another object into this one. The default asks the source to do
  // it (AssignTo) and raises EConvertError "Cannot assign a %s to a %s" when nobody can.
  virtual void Assign(const TPersistent* source);

  // Offers the reader properties that are stored but not published.
  virtual void DefineStoredData(TFiler& filer);

 protected:
  virtual void AssignTo(TPersistent* destination) const;

 private:
  [[noreturn]] void AssignError(const TPersistent* source) const;
};

}  // namespace sx
