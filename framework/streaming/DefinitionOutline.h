#pragma once

// The outline of a stored definition: each component's place in the tree, its name and
// class, and the property entries a caller says decide what it does (event bindings,
// states, limits), with their stored values. Two definitions with the same outline build
// components that behave alike, whatever their captions, sizes, places and fonts.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sx {

struct OutlineEntry {
  std::string path;                 // the property path, ASCII upper case
  std::vector<std::uint8_t> value;  // the tagged value as stored
  bool operator==(const OutlineEntry&) const = default;
};

struct ComponentOutline {
  int depth = 0;            // 0 for the root, 1 for its children...
  std::uint8_t prefix = 0;  // the record's prefix flags (0 without a prefix)
  std::int32_t childPosition = 0;
  std::string className;  // ASCII upper case: classes and names are found ignoring case
  std::string name;
  // The deciding entries in stream order: the order in which they are set matters too.
  std::vector<OutlineEntry> entries;
  bool operator==(const ComponentOutline&) const = default;
};

// Says whether a property path (as stored) is one of the deciding ones.
using DecidingProperty = bool (*)(std::string_view path);

// Walks the whole definition (signature, root record and everything in it) and lists its
// components in stream order. Every value is decoded, deciding or not; a definition that is
// not well-formed raises EReadError as reading it would.
std::vector<ComponentOutline> OutlineDefinition(std::span<const std::uint8_t> definition,
                                                DecidingProperty deciding);

}  // namespace sx
