#pragma once

#include "framework/streaming/Object.h"

namespace sx {

class TFiler;

// An object whose published state can be stored, read back and copied.
class TPersistent : public TObject {
  SX_CLASS(TPersistent)

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
