#pragma once

// Classes that a definition may name without its root declaring them. They live in
// registration groups: a group is defined by one or more group classes and holds the
// registered classes that descend from them; one group, for TPersistent, exists from the
// start and is active. A class finder made for a root searches the groups that contain the
// root's class and every active group.

#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "framework/streaming/Object.h"

namespace sx {

class TRegGroup : public TObject {
  SX_CLASS(TRegGroup)

  explicit TRegGroup(const ClassInfo& groupClass);

  void AddGroupClass(const ClassInfo& groupClass);
  const std::vector<const ClassInfo*>& GroupClasses() const { return groupClasses_; }
  // Whether the class descends from (or is) one of the group classes.
  bool InGroup(const ClassInfo& c) const;
  // How many steps up the class chain the nearest group class lies; -1 outside the group.
  int Distance(const ClassInfo& c) const;

  bool Active() const { return active_; }
  void SetActive(bool active) { active_ = active; }

  // Adds the class unless a class of its name is already in the group.
  void AddClass(const ClassInfo& c);
  void RemoveClass(const ClassInfo& c);
  bool Contains(const ClassInfo& c) const;
  void AddAlias(std::string_view alias, const ClassInfo& c);
  // A class of that name (ASCII case ignored), else one registered under that alias.
  const ClassInfo* Find(std::string_view name) const;

 private:
  struct Alias {
    std::string name;
    const ClassInfo* target;
  };

  std::vector<const ClassInfo*> groupClasses_;
  std::vector<const ClassInfo*> classes_;
  std::vector<Alias> aliases_;
  bool active_ = false;
};

class TRegGroups : public TObject {
  SX_CLASS(TRegGroups)

  // Starts with the active group for TPersistent.
  TRegGroups();
  ~TRegGroups() override;

  // Taken for every registration and lookup; callers that combine several steps hold it.
  std::recursive_mutex& Lock() { return lock_; }

  int Count() const { return static_cast<int>(groups_.size()); }
  TRegGroup& Group(int index) const { return *groups_[static_cast<std::size_t>(index)]; }

  // The group whose group class lies nearest above the class; none outside every group.
  TRegGroup* FindGroup(const ClassInfo& c) const;
  // Starts a group for the class unless one has it as a group class already.
  void StartGroup(const ClassInfo& groupClass);
  // Makes the class a further group class of the group that holds `groupClass`.
  void GroupWith(const ClassInfo& c, const ClassInfo& groupClass);
  // Every group that contains the class becomes active, every other inactive.
  void Activate(const ClassInfo& c);

  void Register(const ClassInfo& c);
  void RegisterAlias(std::string_view alias, const ClassInfo& c);
  void Unregister(const ClassInfo& c);
  bool Registered(const ClassInfo& c) const;
  // Searches the active groups.
  const ClassInfo* FindActive(std::string_view name) const;

 private:
  std::vector<std::unique_ptr<TRegGroup>> groups_;
  mutable std::recursive_mutex lock_;
};

// The process-wide registration groups.
TRegGroups& RegGroups();

// Finds classes by name for one root: in the groups that contain the root's class and,
// when asked to, in every group active when the finder was made, in registry order.
class TClassFinder : public TObject {
  SX_CLASS(TClassFinder)

  explicit TClassFinder(const ClassInfo* rootClass, bool includeActiveGroups = true);

  const ClassInfo* Find(std::string_view name) const;

 private:
  std::vector<TRegGroup*> groups_;
};

// Registers the class and its ancestors up to TPersistent, each in its own group.
void RegisterPersistentClass(const ClassInfo& c);
void RegisterPersistentClasses(std::span<const ClassInfo* const> classes);
void RegisterPersistentAlias(const ClassInfo& c, std::string_view alias);
void UnregisterPersistentClass(const ClassInfo& c);
// A class of the active groups by name; none when there is no such class.
const ClassInfo* GetPersistentClass(std::string_view name);
// As GetPersistentClass, but raises EClassNotFound "Class %s not found" when absent.
const ClassInfo& FindPersistentClass(std::string_view name);
void StartClassGroup(const ClassInfo& groupClass);
void GroupDescendantsWith(const ClassInfo& c, const ClassInfo& groupClass);
void ActivateClassGroup(const ClassInfo& c);

}  // namespace sx
