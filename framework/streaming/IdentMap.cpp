#include "framework/streaming/IdentMap.h"

#include <mutex>
#include <vector>

#include "framework/runtime/TextUtil.h"

namespace sx {
namespace {

struct IdentMapRegistry {
  std::mutex lock;
  std::vector<IdentMapEntry> maps;
};

IdentMapRegistry& Registry() {
  static IdentMapRegistry registry;
  return registry;
}

}  // namespace

std::optional<std::int32_t> IdentToValue(std::span<const IdentEntry> table,
                                         std::string_view ident) {
  for (const IdentEntry& entry : table)
    if (SameText(entry.ident, ident)) return entry.value;
  return std::nullopt;
}

std::optional<std::string> ValueToIdent(std::span<const IdentEntry> table, std::int32_t value) {
  for (const IdentEntry& entry : table)
    if (entry.value == value) return std::string(entry.ident);
  return std::nullopt;
}

void RegisterIdentMap(const TypeInfo& type,
                      std::optional<std::int32_t> (*toValue)(std::string_view),
                      std::optional<std::string> (*toIdent)(std::int32_t)) {
  IdentMapRegistry& registry = Registry();
  std::lock_guard guard(registry.lock);
  registry.maps.push_back(IdentMapEntry{&type, toValue, toIdent});
}

std::optional<IdentMapEntry> FindIdentMap(const TypeInfo& type) {
  IdentMapRegistry& registry = Registry();
  std::lock_guard guard(registry.lock);
  for (auto it = registry.maps.rbegin(); it != registry.maps.rend(); ++it)
    if (it->type == &type) return *it;
  return std::nullopt;
}

}  // namespace sx
