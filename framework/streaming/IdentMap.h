#pragma once

// Identifier tables and the process-wide identifier maps the loader turns stored
// identifiers into numbers with.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "framework/streaming/Reflection.h"

namespace sx {

// One row of an identifier table: an identifier and the integer it stands for.
struct IdentEntry {
  const char* ident;
  std::int32_t value;
};

// Identifier to integer: the first row whose identifier matches, ASCII case ignored.
std::optional<std::int32_t> IdentToValue(std::span<const IdentEntry> table, std::string_view ident);
// Integer to identifier: the first row with that value.
std::optional<std::string> ValueToIdent(std::span<const IdentEntry> table, std::int32_t value);

// An identifier map for one integer type, as the loader uses them: stored identifiers of
// properties of exactly that type are turned into numbers through it.
struct IdentMapEntry {
  const TypeInfo* type;
  std::optional<std::int32_t> (*toValue)(std::string_view ident);
  std::optional<std::string> (*toIdent)(std::int32_t value);
};

// Appends a map to the process-wide list (guarded by its own lock).
void RegisterIdentMap(const TypeInfo& type,
                      std::optional<std::int32_t> (*toValue)(std::string_view),
                      std::optional<std::string> (*toIdent)(std::int32_t));

// The most recently registered map for exactly this type, or none.
std::optional<IdentMapEntry> FindIdentMap(const TypeInfo& type);

}  // namespace sx
