#include "framework/runtime/Texts.h"

#include "framework/runtime/SystemServices.h"

namespace sx {
namespace {

constexpr TextEntry kTexts[] = {
#define SX_TEXT(name, id, text) {TextId::name, #name, text},
#include "framework/runtime/Texts.def"
#undef SX_TEXT
};

}  // namespace

std::span<const TextEntry> BuiltInTexts() {
  return kTexts;
}

std::string BuiltInText(int id) {
  for (const TextEntry& entry : kTexts)
    if (static_cast<int>(entry.id) == id) return entry.text;
  return {};
}

std::string LoadText(TextId id) {
  SystemServices& system = System();
  return system.LoadText(system.MainModule(), static_cast<int>(id));
}

}  // namespace sx
