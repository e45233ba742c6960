#pragma once

// References between components that a definition stores by name. They wait until the
// whole body of the root has been read; a reference into another root (a root's name, ".",
// a path inside it) waits in a process-wide list until a root of that name exists.

#include <cstddef>
#include <string>
#include <string_view>

namespace sx {

class TComponent;
class TPersistent;
struct PropInfo;

// A class- or interface-typed property that waits for the component it names.
struct TPropFixup {
  TPersistent* instance = nullptr;
  const PropInfo* property = nullptr;
  TComponent* root = nullptr;  // where the name is looked up
  std::string rootName;        // empty while the reference is local
  std::string name;            // a path of component names
  std::string path;            // the entry's property path as stored, for messages

  bool IsInterface() const;
};

// The component that the path names, starting at the root: segments end at "." or "-"
// (which ">" may follow); each names one of the current component's owned components, and
// "Owner", unless a component has that name, the current component itself. Nothing for an
// empty path or a segment that names nothing.
TComponent* FindNested(TComponent* root, std::string_view path);

// Stores the component (or, for an interface property, its interface of the property's
// type) through the property's setter; none stores nil. A component of another class than
// the property's is not stored: EReadError "Error reading %s%s%s: Invalid property value"
// about the entry that named it.
void StoreReference(const TPropFixup& fixup, TComponent* component);

// --- The global name space ------------------------------------------------------------------

using TGlobalFinder = TComponent* (*)(std::string_view name);

// Finders are asked from the most recently registered to the first.
void RegisterGlobalFinder(TGlobalFinder finder);
void UnregisterGlobalFinder(TGlobalFinder finder);
TComponent* FindGlobalByName(std::string_view name);

// Decides whether a name is free across roots; without one, a name is free when no global
// finder finds a component of that name.
using TUniqueNameTest = bool (*)(std::string_view name);
// Installs the test (none to remove it) and returns the previous one.
TUniqueNameTest SetUniqueNameTest(TUniqueNameTest test);
bool IsUniqueGlobalName(std::string_view name);
// The name itself when it is free, else the first free of "name_1", "name_2", ...
std::string MakeUniqueName(std::string_view name);

// --- References that wait for another root --------------------------------------------------

void AddGlobalFixup(TPropFixup fixup);
// Drops what waits for this instance's property.
void RemoveGlobalFixup(const TPersistent* instance, const PropInfo* property);
// Drops what was read into this root and what waits for this component's own properties.
void RemoveGlobalFixups(const TComponent* component);
// Drops what waits for any property of this object; every persistent object does so when
// it is destroyed.
void RemoveGlobalFixupsOf(const TPersistent* instance);
std::size_t GlobalFixupCount();
// Stores every waiting reference whose root now exists and drops it; a reference whose
// root does not exist yet keeps waiting while its property is still empty. Holds the name
// space for writing. A failing setter's error, like a component of the wrong class, passes
// on after its entry has been dropped.
void ResolveGlobalFixups();

}  // namespace sx
