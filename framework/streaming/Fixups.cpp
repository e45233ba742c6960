#include "framework/streaming/Fixups.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "framework/runtime/Exception.h"
#include "framework/runtime/Format.h"
#include "framework/runtime/Synchronizer.h"
#include "framework/runtime/TextUtil.h"
#include "framework/runtime/Texts.h"
#include "framework/streaming/Component.h"
#include "framework/streaming/Reader.h"

namespace sx {
namespace {

// --- Global finders ---------------------------------------------------------------------------

struct Finders {
  std::mutex lock;
  std::vector<TGlobalFinder> list;
  TUniqueNameTest uniqueNameTest = nullptr;
};

Finders& GlobalFinders() {
  static auto* finders = new Finders;
  return *finders;
}

// --- References that wait for another root ------------------------------------------------------

// Entries are shared with a resolution pass in progress, which skips those dropped meanwhile
// (a setter it calls may destroy components and so drop their entries).
struct GlobalEntry {
  TPropFixup fixup;
  bool dropped = false;
};

struct GlobalFixupList {
  std::recursive_mutex lock;
  std::vector<std::shared_ptr<GlobalEntry>> entries;
  // The length of the list, readable without the lock: every persistent object asks on its
  // way out, and the list is nearly always empty.
  std::atomic<std::size_t> count = 0;

  void Add(TPropFixup fixup) {
    std::lock_guard guard(lock);
    entries.push_back(std::make_shared<GlobalEntry>(GlobalEntry{std::move(fixup)}));
    count = entries.size();
  }

  void Drop(const std::shared_ptr<GlobalEntry>& entry) {
    entry->dropped = true;
    std::erase(entries, entry);
    count = entries.size();
  }

  template <class Match>
  void DropIf(Match&& match) {
    if (count == 0) return;
    std::lock_guard guard(lock);
    std::erase_if(entries, [&](const std::shared_ptr<GlobalEntry>& entry) {
      if (!match(entry->fixup)) return false;
      entry->dropped = true;
      return true;
    });
    count = entries.size();
  }
};

GlobalFixupList& GlobalFixups() {
  static auto* list = new GlobalFixupList;
  return *list;
}

bool PropertyIsEmpty(const TPropFixup& fixup) {
  const PropValue value = fixup.property->Get(*fixup.instance);
  if (const auto* object = std::get_if<TObject*>(&value)) return *object == nullptr;
  if (const auto* pointer = std::get_if<InterfacePtr>(&value)) return pointer->pointer == nullptr;
  return false;
}

}  // namespace

bool TPropFixup::IsInterface() const {
  return property->type->kind == TypeKind::Interface;
}

// --- Finding components by path -------------------------------------------------------------

TComponent* FindNested(TComponent* root, std::string_view path) {
  if (path.empty()) return nullptr;
  TComponent* current = root;
  std::size_t pos = 0;
  while (current && pos < path.size()) {
    const std::size_t end = std::min(path.find_first_of(".-", pos), path.size());
    const std::string_view segment = path.substr(pos, end - pos);
    TComponent* found = current->FindOwned(segment);
    if (!found && SameText(segment, "Owner")) found = current;
    current = found;
    pos = end;
    if (pos < path.size() && path[pos] == '.') ++pos;
    if (pos < path.size() && path[pos] == '-') ++pos;
    if (pos < path.size() && path[pos] == '>') ++pos;
  }
  return current;
}

void StoreReference(const TPropFixup& fixup, TComponent* component) {
  const PropInfo& property = *fixup.property;
  if (!property.set) return;
  if (fixup.IsInterface()) {
    InterfacePtr pointer;
    if (component && property.type->interfaceType)
      pointer.pointer = component->QueryInterface(*property.type->interfaceType);
    property.set(*fixup.instance, PropValue(pointer));
    return;
  }
  if (component &&
      !(property.type->classType && component->InheritsFrom(*property.type->classType)))
    throw EReadError(TReader::EntryErrorMessage(fixup.instance, fixup.path,
                                                LoadText(TextId::SInvalidPropertyValue)));
  property.set(*fixup.instance, PropValue(static_cast<TObject*>(component)));
}

// --- The global name space ------------------------------------------------------------------

void RegisterGlobalFinder(TGlobalFinder finder) {
  Finders& finders = GlobalFinders();
  std::lock_guard guard(finders.lock);
  finders.list.push_back(finder);
}

void UnregisterGlobalFinder(TGlobalFinder finder) {
  Finders& finders = GlobalFinders();
  std::lock_guard guard(finders.lock);
  const auto it = std::find(finders.list.rbegin(), finders.list.rend(), finder);
  if (it != finders.list.rend()) finders.list.erase(std::next(it).base());
}

TComponent* FindGlobalByName(std::string_view name) {
  std::vector<TGlobalFinder> list;
  {
    Finders& finders = GlobalFinders();
    std::lock_guard guard(finders.lock);
    list = finders.list;
  }
  // Asked outside the lock: a finder may well look at other process-wide lists.
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (TComponent* found = (*it)(name)) return found;
  return nullptr;
}

TUniqueNameTest SetUniqueNameTest(TUniqueNameTest test) {
  Finders& finders = GlobalFinders();
  std::lock_guard guard(finders.lock);
  return std::exchange(finders.uniqueNameTest, test);
}

bool IsUniqueGlobalName(std::string_view name) {
  TUniqueNameTest test;
  {
    Finders& finders = GlobalFinders();
    std::lock_guard guard(finders.lock);
    test = finders.uniqueNameTest;
  }
  return test ? test(name) : FindGlobalByName(name) == nullptr;
}

std::string MakeUniqueName(std::string_view name) {
  std::string candidate(name);
  for (std::int64_t n = 1; !IsUniqueGlobalName(candidate); ++n)
    candidate = Format("%s_%d", {name, static_cast<long long>(n)});
  return candidate;
}

// --- References that wait for another root --------------------------------------------------

void AddGlobalFixup(TPropFixup fixup) {
  // Marked components drop what waits for them when they are destroyed.
  if (fixup.root) fixup.root->ChangeState(ComponentState::Fixups, true);
  if (fixup.instance->InheritsFrom(TComponent::StaticClass))
    static_cast<TComponent*>(fixup.instance)->ChangeState(ComponentState::Fixups, true);
  GlobalFixups().Add(std::move(fixup));
}

void RemoveGlobalFixup(const TPersistent* instance, const PropInfo* property) {
  GlobalFixups().DropIf([&](const TPropFixup& fixup) {
    return fixup.instance == instance && fixup.property == property;
  });
}

void RemoveGlobalFixups(const TComponent* component) {
  GlobalFixups().DropIf([&](const TPropFixup& fixup) {
    return fixup.root == component || fixup.instance == component;
  });
}

void RemoveGlobalFixupsOf(const TPersistent* instance) {
  GlobalFixups().DropIf([&](const TPropFixup& fixup) { return fixup.instance == instance; });
}

std::size_t GlobalFixupCount() {
  return GlobalFixups().count;
}

void ResolveGlobalFixups() {
  ScopedWrite nameSpace(GlobalNameSpace());
  GlobalFixupList& list = GlobalFixups();
  std::lock_guard guard(list.lock);
  const std::vector<std::shared_ptr<GlobalEntry>> pass = list.entries;
  for (const std::shared_ptr<GlobalEntry>& entry : pass) {
    if (entry->dropped) continue;
    TComponent* root = FindGlobalByName(entry->fixup.rootName);
    // A finder may have destroyed the instance meanwhile.
    if (entry->dropped) continue;
    if (!root && PropertyIsEmpty(entry->fixup)) continue;  // waits for a later pass
    TComponent* target = root ? FindNested(root, entry->fixup.name) : nullptr;
    // Dropped before it is stored: an entry that fails (its setter, or a component of the
    // wrong class) would otherwise fail every later load of any root.
    const TPropFixup fixup = entry->fixup;
    list.Drop(entry);
    if (root) StoreReference(fixup, target);
  }
}

}  // namespace sx
