#pragma once

// Building components from stored definitions: the definitions of a class chain found
// among the resources, the after-load batches that let several roots finish together, and
// the custom variant types a definition may store values of.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "framework/runtime/SystemServices.h"
#include "framework/streaming/Variant.h"

namespace sx {

class TComponent;
struct ClassInfo;

// The components that get AfterLoad once loading has finished, in the order they were
// added, each at most once.
class TAfterLoadList {
 public:
  std::size_t Size() const { return items_.size(); }
  TComponent* operator[](std::size_t index) const { return items_[index]; }
  // Appends the component unless it is in the list already.
  void Add(TComponent* component);
  // Forgets everything added after the first `size` entries.
  void Truncate(std::size_t size);
  // Calls AfterLoad on every component, also on those added while it runs.
  void NotifyAll() const;

 private:
  std::vector<TComponent*> items_;
  std::unordered_set<const TComponent*> members_;
};

// After-load batches belong to the calling thread: a batch collects the components of
// every root loaded while it is open, and NotifyLoadBatch gives them AfterLoad together.
// Batches nest; EndLoadBatch returns to the enclosing one.
void BeginLoadBatch();
void NotifyLoadBatch();
void EndLoadBatch();
// The calling thread's open batch; none outside a batch.
TAfterLoadList* CurrentLoadBatch();

// Reads the definitions of the instance's class chain, outermost class first, stopping
// below TComponent and the root ancestor. Returns whether any class had a definition. Runs
// AfterLoad on everything read, unless the instance is being loaded itself (then the
// enclosing load does).
bool LoadFormChain(TComponent* instance, const ClassInfo& rootAncestor);

// Reads the class's definition (the RCDATA resource named after the class) into the
// instance; false, without reading anything, when the module has no such resource.
bool LoadClassResource(std::string_view className, ModuleId module, TComponent* instance);

// The component state the next component constructed on this thread starts with, as a
// mask; the TComponent constructor takes it, so that a constructor already sees the state
// a definition gives the component (an embedded sub-form must not begin a load of its own).
void SetPendingComponentState(std::uint16_t mask);
std::uint16_t TakePendingComponentState();

// --- Custom variant types -------------------------------------------------------------------

// Turns the data stored for a custom variant value back into the value.
using CustomVariantReader = std::shared_ptr<const CustomVariantValue> (*)(
    const std::string& typeName, std::span<const std::uint8_t> data);

// Registers (or, with none, removes) the reader of the custom variant type of that name.
void RegisterCustomVariantType(std::string_view typeName, CustomVariantReader reader);
CustomVariantReader FindCustomVariantType(std::string_view typeName);

}  // namespace sx
