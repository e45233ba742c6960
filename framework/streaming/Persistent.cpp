#include "framework/streaming/Persistent.h"

#include "framework/runtime/Exception.h"
#include "framework/runtime/Format.h"
#include "framework/runtime/Texts.h"
#include "framework/streaming/Fixups.h"

namespace sx {

constinit const ClassInfo TObject::StaticClass{.name = "TObject", .parent = nullptr};
constinit const ClassInfo TPersistent::StaticClass{.name = "TPersistent",
                                                   .parent = &TObject::StaticClass};

TPersistent::~TPersistent() {
  RemoveGlobalFixupsOf(this);
}

void TPersistent::Assign(const TPersistent* source) {
  if (source)
    source->AssignTo(this);
  else
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* destination) const {
  destination->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const {
  const std::string sourceName = source ? std::string(source->ClassName()) : "nil";
  throw EConvertError(Format(LoadText(TextId::SAssignError), {sourceName, ClassName()}));
}

void TPersistent::DefineStoredData(TFiler&) {}

}  // namespace sx
