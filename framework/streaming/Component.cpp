#include "framework/streaming/Component.h"

#include <algorithm>

#include "framework/runtime/Exception.h"
#include "framework/runtime/Format.h"
#include "framework/runtime/TextUtil.h"
#include "framework/runtime/Texts.h"
#include "framework/streaming/Fixups.h"
#include "framework/streaming/Loader.h"
#include "framework/streaming/Reader.h"

namespace sx {
namespace {

constexpr PropInfo kComponentProperties[] = {
    Property<&TComponent::Name, &TComponent::SetName>("Name"),
    Property<&TComponent::Tag, &TComponent::SetTag>("Tag"),
};

}  // namespace

constinit const ClassInfo TComponent::StaticClass{
    .name = "TComponent",
    .parent = &TPersistent::StaticClass,
    .construct = &ConstructComponent<TComponent>,
    .properties = kComponentProperties,
};

TComponent::TComponent(TComponent* owner)
    : state_(TComponentState::FromMask(TakePendingComponentState())) {
  style_.Include(ComponentStyle::Inheritable);
  if (owner) owner->InsertOwned(this);
}

void TComponent::BeforeDestruction() {
  MarkDestroying();
}

void TComponent::TearDown() {
  MarkDestroying();
  DropWaitingReferences();
  // Tell the partners of other owners; a partner's Notify normally unwatches, which
  // shortens the list. One that does not is unwatched here, so the loop always ends.
  while (partners_ && !partners_->empty()) {
    TComponent* partner = partners_->back();
    partner->Notify(this, Notice::NoticeRemove);
    if (IsPartner(partner)) UnwatchFree(partner);
  }
  partners_.reset();
  DestroyOwned();
  if (owner_) owner_->RemoveOwned(this);
  TPersistent::TearDown();
}

TComponent::~TComponent() {
  // Normally TearDown has emptied everything; a component deleted without Free still must
  // not leave dangling pointers behind.
  DropWaitingReferences();
  DestroyOwned();
  if (owner_) owner_->UnlinkOwned(this);
}

void TComponent::MarkDestroying() {
  if (state_.Contains(ComponentState::Destroying)) return;
  state_.Include(ComponentState::Destroying);
  if (owned_)
    for (TComponent* component : owned_->items)
      component->MarkDestroying();
}

void TComponent::DropWaitingReferences() {
  // References that wait in the process-wide list for another root to appear point at
  // their root and at the component whose property waits.
  if (!state_.Contains(ComponentState::Fixups)) return;
  state_.Exclude(ComponentState::Fixups);
  RemoveGlobalFixups(this);
}

void TComponent::DestroyOwned() {
  while (owned_ && !owned_->items.empty()) {
    TComponent* component = owned_->items.back();
    if (component->Has(ComponentState::WatchedFree) ||
        (Has(ComponentState::Designing) && Has(ComponentState::Inline)))
      RemoveOwned(component);
    else
      UnlinkOwned(component);
    component->Free();
  }
}

void* TComponent::QueryInterface(const InterfaceInfo&) {
  return nullptr;
}

// --- The owned list ---------------------------------------------------------------------

int TComponent::ComponentCount() const {
  return owned_ ? static_cast<int>(owned_->items.size()) : 0;
}

TComponent* TComponent::Component(int index) const {
  if (index < 0 || index >= ComponentCount())
    throw EListError(Format(LoadText(TextId::SListIndexError), {index}));
  return owned_->items[static_cast<std::size_t>(index)];
}

TComponent* TComponent::FindOwned(std::string_view name) const {
  if (name.empty() || !owned_) return nullptr;
  const auto slot = owned_->byName.find(AsciiUpperCase(name));
  if (slot == owned_->byName.end()) return nullptr;
  if (slot->second.count == 1) return slot->second.component;
  for (TComponent* component : owned_->items)
    if (SameText(component->name_, name)) return component;
  return nullptr;
}

void TComponent::IndexName(TComponent* component) {
  if (component->name_.empty()) return;
  OwnedList::NameSlot& slot = owned_->byName[AsciiUpperCase(component->name_)];
  if (slot.count++ == 0) slot.component = component;
}

void TComponent::UnindexName(TComponent* component) {
  if (component->name_.empty()) return;
  const std::string key = AsciiUpperCase(component->name_);
  const auto slot = owned_->byName.find(key);
  if (slot == owned_->byName.end()) return;
  if (--slot->second.count == 0) {
    owned_->byName.erase(slot);
  } else if (slot->second.count == 1) {
    // Two shared the name; remember the one that keeps it.
    for (TComponent* other : owned_->items)
      if (other != component && SameText(other->name_, key)) slot->second.component = other;
  }
}

int TComponent::OwnedIndex() const {
  if (!owner_ || !owner_->owned_) return -1;
  const auto& list = owner_->owned_->items;
  return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TComponent::SetOwnedIndex(int index) {
  if (!owner_) return;
  auto& list = owner_->owned_->items;
  const int count = static_cast<int>(list.size());
  index = std::clamp(index, 0, count - 1);
  const int current = OwnedIndex();
  if (current == index) return;
  list.erase(list.begin() + current);
  list.insert(list.begin() + index, this);
}

void TComponent::InsertOwned(TComponent* component) {
  CheckInsert(component);
  CheckRename(component, std::string(), component->name_);
  LinkOwned(component);
  component->BindField(true);
  if (Has(ComponentState::Designing)) component->SetDesigning(true);
  Notify(component, Notice::NoticeInsert);
}

void TComponent::RemoveOwned(TComponent* component) {
  CheckRename(component, component->name_, std::string());
  Notify(component, Notice::NoticeRemove);
  component->BindField(false);
  UnlinkOwned(component);
}

template <class Change>
void TComponent::ChangeListening(Change&& change) {
  const bool before = Listening();
  change();
  const bool after = Listening();
  if (before != after && owner_ && owner_->owned_) owner_->owned_->listeners += after ? 1 : -1;
}

void TComponent::SetDefaultNotify(bool on) {
  ChangeListening([&] { defaultNotify_ = on; });
}

void TComponent::LinkOwned(TComponent* component) {
  ChangeListening([&] {
    if (!owned_) owned_ = std::make_unique<OwnedList>();
  });
  owned_->items.push_back(component);
  component->owner_ = this;
  IndexName(component);
  if (component->Listening()) ++owned_->listeners;
}

void TComponent::UnlinkOwned(TComponent* component) {
  if (!owned_) return;
  auto& items = owned_->items;
  // Components mostly leave from the end (destruction takes the last first).
  const auto it = std::find(items.rbegin(), items.rend(), component);
  if (it == items.rend()) return;
  UnindexName(component);
  if (component->Listening()) --owned_->listeners;
  items.erase(std::next(it).base());
  component->owner_ = nullptr;
  if (items.empty()) ChangeListening([&] { owned_.reset(); });
}

void TComponent::SetDesigning(bool on) {
  state_.Assign(ComponentState::Designing, on);
  if (owned_)
    for (TComponent* component : owned_->items)
      component->SetDesigning(on);
}

void TComponent::CheckInsert(TComponent*) {}

// --- Notices ----------------------------------------------------------------------------

void TComponent::Notify(TComponent* component, Notice notice) {
  if (notice == Notice::NoticeRemove && component) UnwatchFree(component);
  if (!owned_ || owned_->listeners == 0) return;
  // A component being constructed does not know its class yet and counts as a listener; when
  // it is the only one (it is last in the list), telling it alone keeps loading linear.
  if (owned_->listeners == 1 && owned_->items.back()->Listening()) {
    owned_->items.back()->Notify(component, notice);
    return;
  }
  // A receiver may destroy siblings; go on from the last position still below this one.
  int i = ComponentCount() - 1;
  while (i >= 0) {
    owned_->items[static_cast<std::size_t>(i)]->Notify(component, notice);
    --i;
    if (i >= ComponentCount()) i = ComponentCount() - 1;
  }
}

bool TComponent::IsPartner(const TComponent* other) const {
  return partners_ && std::find(partners_->begin(), partners_->end(), other) != partners_->end();
}

void TComponent::DropPartner(TComponent* other) {
  if (!IsPartner(other)) return;
  std::erase(*partners_, other);
  if (partners_->empty()) ChangeListening([&] { partners_.reset(); });
}

void TComponent::WatchFree(TComponent* other) {
  if (!owner_ || other->owner_ != owner_) {
    if (!IsPartner(other)) {
      ChangeListening([&] {
        if (!partners_) partners_ = std::make_unique<std::vector<TComponent*>>();
      });
      partners_->push_back(other);
      other->WatchFree(this);
    }
  }
  state_.Include(ComponentState::WatchedFree);
}

void TComponent::UnwatchFree(TComponent* other) {
  DropPartner(other);
  other->DropPartner(this);
}

// --- Names ------------------------------------------------------------------------------

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  if (!name.empty() && !IsValidIdent(name))
    throw EComponentError(Format(LoadText(TextId::SInvalidName), {name}));
  if (owner_) owner_->CheckRename(this, name_, name);
  BindField(false);
  if (owner_) owner_->UnindexName(this);
  name_ = name;
  if (owner_) owner_->IndexName(this);
  BindField(true);
}

void TComponent::CheckRename(TComponent* component, const std::string& oldName,
                             const std::string& newName) {
  if (component && component->owner_ == this && !SameText(oldName, newName) && FindOwned(newName))
    throw EComponentError(Format(LoadText(TextId::SDuplicateName), {newName}));
  if (Has(ComponentState::Designing) && owner_) owner_->CheckRename(component, oldName, newName);
}

void TComponent::BindField(bool on) {
  if (!owner_ || name_.empty()) return;
  const FieldInfo* field = owner_->ClassType().FindField(name_);
  if (!field) return;
  // A field is only ever set to a component of its declared class; a definition that
  // names a component like a field of another class leaves the field alone.
  if (on) {
    if (InheritsFrom(*field->type)) field->set(*owner_, this);
  } else if (field->get(*owner_) == this) {
    field->set(*owner_, nullptr);
  }
}

// --- Loading ----------------------------------------------------------------------------

void TComponent::AfterLoad() {
  state_.Exclude(ComponentState::Loading);
}

void TComponent::LoadState(TReader& reader) {
  reader.LoadBody(this);
}

void TComponent::SetLoadParent(TComponent*) {}

void TComponent::SetChildPosition(TComponent*, int) {}

void TComponent::DefineStoredData(TFiler& filer) {
  // A non-visual component keeps its stored design position in two 16-bit halves.
  filer.DefineStored(
      "Left",
      [this](TReader& reader) {
        const auto left = static_cast<std::uint16_t>(reader.ReadIntValue());
        designPosition_ = (designPosition_ & 0xFFFF0000u) | left;
      },
      DesignLeft() != 0);
  filer.DefineStored(
      "Top",
      [this](TReader& reader) {
        const auto top = static_cast<std::uint16_t>(reader.ReadIntValue());
        designPosition_ = (designPosition_ & 0x0000FFFFu) | (static_cast<std::uint32_t>(top) << 16);
      },
      DesignTop() != 0);
}

}  // namespace sx
