#include "framework/streaming/ClassRegistry.h"

#include <algorithm>

#include "framework/runtime/Exception.h"
#include "framework/runtime/Format.h"
#include "framework/runtime/TextUtil.h"
#include "framework/runtime/Texts.h"
#include "framework/streaming/Persistent.h"

namespace sx {

constinit const ClassInfo TRegGroup::StaticClass{.name = "TRegGroup",
                                                 .parent = &TObject::StaticClass};
constinit const ClassInfo TRegGroups::StaticClass{.name = "TRegGroups",
                                                  .parent = &TObject::StaticClass};
constinit const ClassInfo TClassFinder::StaticClass{.name = "TClassFinder",
                                                    .parent = &TObject::StaticClass};

// --- TRegGroup ------------------------------------------------------------------------------

TRegGroup::TRegGroup(const ClassInfo& groupClass) {
  groupClasses_.push_back(&groupClass);
}

void TRegGroup::AddGroupClass(const ClassInfo& groupClass) {
  if (std::find(groupClasses_.begin(), groupClasses_.end(), &groupClass) == groupClasses_.end())
    groupClasses_.push_back(&groupClass);
}

int TRegGroup::Distance(const ClassInfo& c) const {
  int steps = 0;
  for (const ClassInfo* k = &c; k; k = k->parent, ++steps)
    if (std::find(groupClasses_.begin(), groupClasses_.end(), k) != groupClasses_.end())
      return steps;
  return -1;
}

bool TRegGroup::InGroup(const ClassInfo& c) const {
  return Distance(c) >= 0;
}

void TRegGroup::AddClass(const ClassInfo& c) {
  // The first class registered under a name keeps it.
  for (const ClassInfo* known : classes_)
    if (SameText(known->name, c.name)) return;
  classes_.push_back(&c);
}

void TRegGroup::RemoveClass(const ClassInfo& c) {
  std::erase(classes_, &c);
  std::erase_if(aliases_, [&](const Alias& alias) { return alias.target == &c; });
}

bool TRegGroup::Contains(const ClassInfo& c) const {
  return std::find(classes_.begin(), classes_.end(), &c) != classes_.end();
}

void TRegGroup::AddAlias(std::string_view alias, const ClassInfo& c) {
  for (const Alias& known : aliases_)
    if (SameText(known.name, alias)) return;
  aliases_.push_back(Alias{std::string(alias), &c});
}

const ClassInfo* TRegGroup::Find(std::string_view name) const {
  for (const ClassInfo* c : classes_)
    if (SameText(c->name, name)) return c;
  for (const Alias& alias : aliases_)
    if (SameText(alias.name, name)) return alias.target;
  return nullptr;
}

// --- TRegGroups -----------------------------------------------------------------------------

TRegGroups::TRegGroups() {
  groups_.push_back(std::make_unique<TRegGroup>(TPersistent::StaticClass));
  groups_.back()->SetActive(true);
}

TRegGroups::~TRegGroups() = default;

TRegGroup* TRegGroups::FindGroup(const ClassInfo& c) const {
  std::lock_guard guard(lock_);
  TRegGroup* best = nullptr;
  int bestDistance = -1;
  for (const auto& group : groups_) {
    const int distance = group->Distance(c);
    if (distance >= 0 && (bestDistance < 0 || distance < bestDistance)) {
      best = group.get();
      bestDistance = distance;
    }
  }
  return best;
}

void TRegGroups::StartGroup(const ClassInfo& groupClass) {
  std::lock_guard guard(lock_);
  for (const auto& group : groups_) {
    const auto& classes = group->GroupClasses();
    if (std::find(classes.begin(), classes.end(), &groupClass) != classes.end()) return;
  }
  groups_.push_back(std::make_unique<TRegGroup>(groupClass));
}

void TRegGroups::GroupWith(const ClassInfo& c, const ClassInfo& groupClass) {
  std::lock_guard guard(lock_);
  if (TRegGroup* group = FindGroup(groupClass)) group->AddGroupClass(c);
}

void TRegGroups::Activate(const ClassInfo& c) {
  std::lock_guard guard(lock_);
  for (const auto& group : groups_)
    group->SetActive(group->InGroup(c));
}

void TRegGroups::Register(const ClassInfo& c) {
  std::lock_guard guard(lock_);
  for (const ClassInfo* k = &c; k; k = k->parent) {
    if (!Registered(*k))
      if (TRegGroup* group = FindGroup(*k)) group->AddClass(*k);
    if (k == &TPersistent::StaticClass) break;
  }
}

void TRegGroups::RegisterAlias(std::string_view alias, const ClassInfo& c) {
  std::lock_guard guard(lock_);
  if (TRegGroup* group = FindGroup(c)) group->AddAlias(alias, c);
}

void TRegGroups::Unregister(const ClassInfo& c) {
  std::lock_guard guard(lock_);
  for (const auto& group : groups_)
    group->RemoveClass(c);
}

bool TRegGroups::Registered(const ClassInfo& c) const {
  std::lock_guard guard(lock_);
  return std::any_of(groups_.begin(), groups_.end(),
                     [&](const auto& group) { return group->Contains(c); });
}

const ClassInfo* TRegGroups::FindActive(std::string_view name) const {
  std::lock_guard guard(lock_);
  for (const auto& group : groups_)
    if (group->Active())
      if (const ClassInfo* found = group->Find(name)) return found;
  return nullptr;
}

TRegGroups& RegGroups() {
  // Never destroyed: static objects of other units may still look classes up at exit.
  static auto* groups = new TRegGroups;
  return *groups;
}

// --- TClassFinder ---------------------------------------------------------------------------

TClassFinder::TClassFinder(const ClassInfo* rootClass, bool includeActiveGroups) {
  TRegGroups& registry = RegGroups();
  std::lock_guard guard(registry.Lock());
  for (int i = 0; i < registry.Count(); ++i) {
    TRegGroup& group = registry.Group(i);
    if ((rootClass && group.InGroup(*rootClass)) || (includeActiveGroups && group.Active()))
      groups_.push_back(&group);
  }
}

const ClassInfo* TClassFinder::Find(std::string_view name) const {
  std::lock_guard guard(RegGroups().Lock());
  for (const TRegGroup* group : groups_)
    if (const ClassInfo* found = group->Find(name)) return found;
  return nullptr;
}

// --- Functions ------------------------------------------------------------------------------

void RegisterPersistentClass(const ClassInfo& c) {
  RegGroups().Register(c);
}

void RegisterPersistentClasses(std::span<const ClassInfo* const> classes) {
  for (const ClassInfo* c : classes)
    RegGroups().Register(*c);
}

void RegisterPersistentAlias(const ClassInfo& c, std::string_view alias) {
  RegGroups().RegisterAlias(alias, c);
}

void UnregisterPersistentClass(const ClassInfo& c) {
  RegGroups().Unregister(c);
}

const ClassInfo* GetPersistentClass(std::string_view name) {
  return RegGroups().FindActive(name);
}

const ClassInfo& FindPersistentClass(std::string_view name) {
  if (const ClassInfo* found = GetPersistentClass(name)) return *found;
  throw EClassNotFound(Format(LoadText(TextId::SClassNotFound), {name}));
}

void StartClassGroup(const ClassInfo& groupClass) {
  RegGroups().StartGroup(groupClass);
}

void GroupDescendantsWith(const ClassInfo& c, const ClassInfo& groupClass) {
  RegGroups().GroupWith(c, groupClass);
}

void ActivateClassGroup(const ClassInfo& c) {
  RegGroups().Activate(c);
}

}  // namespace sx
