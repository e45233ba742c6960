// Building components from stored definitions: after-load lists and batches, the state a
// loaded component starts with, the definitions of a class chain, custom variant types.

#include "framework/streaming/Loader.h"

#include <mutex>
#include <optional>
#include <utility>

#include "framework/runtime/Finally.h"
#include "framework/runtime/Synchronizer.h"
#include "framework/runtime/TextUtil.h"
#include "framework/streaming/Component.h"
#include "framework/streaming/Reader.h"
#include "framework/streaming/Stream.h"

namespace sx {
namespace {

struct LoadBatches {
  std::unique_ptr<TAfterLoadList> current;
  std::vector<std::unique_ptr<TAfterLoadList>> outer;
};

thread_local LoadBatches t_batches;
thread_local std::uint16_t t_pendingState = 0;

bool LoadChain(const ClassInfo* c, const ClassInfo& rootAncestor, TComponent* instance) {
  if (!c || c == &TComponent::StaticClass || c == &rootAncestor) return false;
  const bool outer = LoadChain(c->parent, rootAncestor, instance);
  const bool own = LoadClassResource(c->name, System().MainModule(), instance);
  return outer || own;
}

struct CustomVariantTypes {
  std::mutex lock;
  std::vector<std::pair<std::string, CustomVariantReader>> readers;
};

CustomVariantTypes& CustomTypes() {
  static auto* types = new CustomVariantTypes;
  return *types;
}

}  // namespace

// --- After-load lists and batches ---------------------------------------------------------------

void TAfterLoadList::Add(TComponent* component) {
  if (members_.insert(component).second) items_.push_back(component);
}

void TAfterLoadList::Truncate(std::size_t size) {
  while (items_.size() > size) {
    members_.erase(items_.back());
    items_.pop_back();
  }
}

void TAfterLoadList::NotifyAll() const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    items_[i]->AfterLoad();
}

void BeginLoadBatch() {
  if (t_batches.current) t_batches.outer.push_back(std::move(t_batches.current));
  t_batches.current = std::make_unique<TAfterLoadList>();
}

void NotifyLoadBatch() {
  if (t_batches.current) t_batches.current->NotifyAll();
}

void EndLoadBatch() {
  t_batches.current.reset();
  if (t_batches.outer.empty()) return;
  t_batches.current = std::move(t_batches.outer.back());
  t_batches.outer.pop_back();
  if (t_batches.outer.empty()) t_batches.outer.shrink_to_fit();
}

TAfterLoadList* CurrentLoadBatch() {
  return t_batches.current.get();
}

void SetPendingComponentState(std::uint16_t mask) {
  t_pendingState = mask;
}

std::uint16_t TakePendingComponentState() {
  return std::exchange(t_pendingState, 0);
}

// --- Class chains and resources ---------------------------------------------------------------

bool LoadFormChain(TComponent* instance, const ClassInfo& rootAncestor) {
  ScopedWrite nameSpace(GlobalNameSpace());
  // A component that is itself being loaded (an embedded sub-form) finishes with the load
  // that reads it.
  const bool batch =
      !instance->Has(ComponentState::Loading) && !instance->Has(ComponentState::Inline);
  if (batch) BeginLoadBatch();
  const Finally endBatch([batch] {
    if (batch) EndLoadBatch();
  });
  const bool found = LoadChain(&instance->ClassType(), rootAncestor, instance);
  if (batch) NotifyLoadBatch();
  return found;
}

bool LoadClassResource(std::string_view className, ModuleId module, TComponent* instance) {
  const std::optional<std::span<const std::uint8_t>> data =
      TResourceStream::Find(module, className);
  if (!data) return false;
  TResourceStream stream(*data);
  TReader reader(stream, TReader::kDefaultBufferSize);
  reader.LoadRoot(instance);
  return true;
}

// --- Custom variant types -------------------------------------------------------------------

void RegisterCustomVariantType(std::string_view typeName, CustomVariantReader reader) {
  CustomVariantTypes& types = CustomTypes();
  std::lock_guard guard(types.lock);
  std::erase_if(types.readers, [&](const auto& entry) { return SameText(entry.first, typeName); });
  if (reader) types.readers.emplace_back(std::string(typeName), reader);
}

CustomVariantReader FindCustomVariantType(std::string_view typeName) {
  CustomVariantTypes& types = CustomTypes();
  std::lock_guard guard(types.lock);
  for (const auto& [name, reader] : types.readers)
    if (SameText(name, typeName)) return reader;
  return nullptr;
}

}  // namespace sx
