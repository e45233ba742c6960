#pragma once

// TComponent: an object with an owner and a name, its state and style flags and the notices
// it sends about components coming and going.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "framework/runtime/Set.h"
#include "framework/streaming/Persistent.h"

namespace sx {

class TReader;

enum class ComponentState : std::uint8_t {
  Loading = 0,
  Reading = 1,
  Writing = 2,
  Destroying = 3,
  Designing = 4,
  Ancestor = 5,
  Updating = 6,
  Fixups = 7,
  WatchedFree = 8,
  Inline = 9,
  DesignInstance = 10,
};
using TComponentState = Set<ComponentState, std::uint16_t>;

enum class ComponentStyle : std::uint8_t {
  Inheritable = 0,
  CheckPropAvail = 1,
  SubComponent = 2,
  Transient = 3
};
using TComponentStyle = Set<ComponentStyle, std::uint8_t>;

enum class Notice : std::uint8_t { NoticeInsert = 0, NoticeRemove = 1 };

// An object with an owner and a name. The owner keeps it in its list, finds it by name,
// tells it about components coming and going, and destroys it when it is destroyed itself.
class TComponent : public TPersistent {
  SX_CLASS(TComponent)

  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }

  const std::string& Name() const { return name_; }
  // The name setter: validity, collisions within the owner, and the owner's field binding.
  virtual void SetName(const std::string& name);

  std::int32_t Tag() const { return tag_; }
  void SetTag(std::int32_t tag) { tag_ = tag; }

  // The components this one owns, in the order they joined.
  int ComponentCount() const;
  TComponent* Component(int index) const;  // EListError outside the list
  TComponent* FindOwned(std::string_view name) const;

  // Position in the owner's list; setting clamps to the list and moves the component.
  int OwnedIndex() const;
  void SetOwnedIndex(int index);

  void InsertOwned(TComponent* component);
  void RemoveOwned(TComponent* component);

  // Asks for a NoticeRemove when the other component is destroyed, and vice versa.
  void WatchFree(TComponent* other);
  void UnwatchFree(TComponent* other);

  TComponentState State() const { return state_; }
  // For the loader and the framework's own bookkeeping.
  void ChangeState(ComponentState flag, bool on) { state_.Assign(flag, on); }
  bool Has(ComponentState flag) const { return state_.Contains(flag); }

  TComponentStyle Style() const { return style_; }
  void ChangeStyle(ComponentStyle flag, bool on) { style_.Assign(flag, on); }

  // Where a non-visual component stood at design time.
  std::int16_t DesignLeft() const { return static_cast<std::int16_t>(designPosition_ & 0xFFFF); }
  std::int16_t DesignTop() const { return static_cast<std::int16_t>(designPosition_ >> 16); }
  std::uint32_t DesignPosition() const { return designPosition_; }
  void SetDesignPosition(std::uint32_t position) { designPosition_ = position; }

  // Sets or clears the owner's published field named as this component.
  void BindField(bool on);

  // Sets Destroying on this component and, recursively, on everything it owns.
  void MarkDestroying();

  // --- Overridable operations -----------------------------------------------------------
  // Tells this component (and everything it owns) that a component joins or leaves.
  virtual void Notify(TComponent* component, Notice notice);
  // Raises when the owned component may not take the new name.
  virtual void CheckRename(TComponent* component, const std::string& oldName,
                           const std::string& newName);
  // Refuses, by raising, a component that may not join this one.
  virtual void CheckInsert(TComponent* component);
  // Runs once everything the component was loaded with is in place: clears Loading.
  virtual void AfterLoad();
  // Reads the component's own entries and children.
  virtual void LoadState(TReader& reader);
  // The parent a loaded child gets, the parent given to it, and its stored child position.
  virtual TComponent* LoadParent() const { return nullptr; }
  virtual void SetLoadParent(TComponent* parent);
  virtual void SetChildPosition(TComponent* child, int position);
  // Who becomes parent and owner of the components stored inside this one.
  virtual TComponent* ChildParent() { return this; }
  virtual TComponent* ChildOwner() { return nullptr; }

  // The component's interface of that type, or none.
  virtual void* QueryInterface(const InterfaceInfo& type);

  void DefineStoredData(TFiler& filer) override;
  void BeforeDestruction() override;
  void TearDown() override;

  // Called once construction knows the most derived class. A component whose class keeps
  // the default Notify can only react to a notice while it owns components or watches
  // partners; its owner need not walk over it otherwise (long owned lists stay linear).
  template <class T>
  void NoteMostDerived() {
    SetDefaultNotify(std::is_same_v<decltype(&T::Notify), decltype(&TComponent::Notify)>);
  }

 protected:
  // Frees every owned component, last first.
  void DestroyOwned();
  // Drops the process-wide references that wait for this component's properties or that
  // were read into it as a root.
  void DropWaitingReferences();

 private:
  void LinkOwned(TComponent* component);
  void UnlinkOwned(TComponent* component);
  void SetDesigning(bool on);
  bool IsPartner(const TComponent* other) const;
  void DropPartner(TComponent* other);

  // Whether a notice to this component can have any effect.
  bool Listening() const { return !defaultNotify_ || owned_ || partners_; }
  template <class Change>
  void ChangeListening(Change&& change);
  void SetDefaultNotify(bool on);
  void IndexName(TComponent* component);
  void UnindexName(TComponent* component);

  // The owned components, and an index by upper-cased name that answers FindOwned at once
  // when exactly one component carries the name (duplicates fall back to the list).
  struct OwnedList {
    struct NameSlot {
      TComponent* component = nullptr;
      int count = 0;
    };
    std::vector<TComponent*> items;
    std::unordered_map<std::string, NameSlot> byName;
    int listeners = 0;  // owned components for which Listening() holds
  };

  TComponent* owner_ = nullptr;
  std::string name_;
  std::int32_t tag_ = 0;
  std::unique_ptr<OwnedList> owned_;                    // absent while empty
  std::unique_ptr<std::vector<TComponent*>> partners_;  // absent while empty
  bool defaultNotify_ = false;                          // until construction has told otherwise
  std::uint32_t designPosition_ = 0;
  TComponentState state_;
  TComponentStyle style_;
};

// Constructs a component for the class records.
template <class T>
TComponent* ConstructComponent(TComponent* owner) {
  return New<T>(owner);
}

}  // namespace sx
