#include "framework/streaming/Collection.h"

#include <algorithm>

#include "framework/runtime/Exception.h"
#include "framework/runtime/Finally.h"
#include "framework/runtime/Format.h"
#include "framework/runtime/Texts.h"

namespace sx {

constinit const ClassInfo TCollectionItem::StaticClass{.name = "TCollectionItem",
                                                       .parent = &TPersistent::StaticClass};
constinit const ClassInfo TCollection::StaticClass{.name = "TCollection",
                                                   .parent = &TPersistent::StaticClass};

// --- TCollectionItem ------------------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* collection) {
  SetCollection(collection);
}

TCollectionItem::~TCollectionItem() {
  // An item whose construction failed never got to TearDown; it must not stay listed.
  if (collection_) collection_->RemoveItem(this);
}

void TCollectionItem::TearDown() {
  SetCollection(nullptr);
  TPersistent::TearDown();
}

void TCollectionItem::SetCollection(TCollection* collection) {
  if (collection == collection_) return;
  if (collection_) collection_->RemoveItem(this);
  if (collection) collection->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  const auto& items = collection_->items_;
  return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int index) {
  if (!collection_) return;
  auto& items = collection_->items_;
  const int current = Index();
  index = std::clamp(index, 0, static_cast<int>(items.size()) - 1);
  if (index == current) return;
  items.erase(items.begin() + current);
  items.insert(items.begin() + index, this);
  Changed(true);
}

std::string TCollectionItem::DisplayName() const {
  return std::string(ClassName());
}

void TCollectionItem::Changed(bool allItems) {
  if (collection_ && collection_->updateCount_ == 0) collection_->Update(allItems ? nullptr : this);
}

// --- TCollection ----------------------------------------------------------------------------

TCollection::TCollection(const ClassInfo& itemClass, ItemFactory factory, TPersistent* owner)
    : itemClass_(itemClass), factory_(factory), owner_(owner) {}

TCollection::~TCollection() {
  // Only a collection deleted without Free still has items here.
  while (!items_.empty()) {
    TCollectionItem* item = items_.back();
    items_.pop_back();
    item->collection_ = nullptr;
    item->Free();
  }
}

void TCollection::TearDown() {
  // No change reports while the collection itself goes away.
  ++updateCount_;
  while (!items_.empty())
    items_.back()->Free();
  TPersistent::TearDown();
}

TCollectionItem* TCollection::Item(int index) const {
  if (index < 0 || index >= Count())
    throw EListError(Format(LoadText(TextId::SListIndexError), {index}));
  return items_[static_cast<std::size_t>(index)];
}

TCollectionItem* TCollection::FindItemID(int id) const {
  for (TCollectionItem* item : items_)
    if (item->id_ == id) return item;
  return nullptr;
}

TCollectionItem* TCollection::Add() {
  // The item joins the collection from its own constructor.
  TCollectionItem* item = factory_(this);
  if (item->collection_ != this) item->SetCollection(this);
  return item;
}

void TCollection::Delete(int index) {
  Item(index)->Free();
}

void TCollection::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  const Finally endUpdate([this] { EndUpdate(); });
  while (!items_.empty())
    items_.back()->Free();
}

void TCollection::BeginUpdate() {
  ++updateCount_;
}

void TCollection::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TCollection::Assign(const TPersistent* source) {
  const auto* other = source && source->InheritsFrom(TCollection::StaticClass)
                          ? static_cast<const TCollection*>(source)
                          : nullptr;
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  const Finally endUpdate([this] { EndUpdate(); });
  Clear();
  for (const TCollectionItem* item : other->items_)
    Add()->Assign(item);
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Changed() {
  if (updateCount_ == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item) {
  items_.push_back(item);
  item->collection_ = this;
  item->id_ = nextId_++;
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
  std::erase(items_, item);
  item->collection_ = nullptr;
  Changed();
}

}  // namespace sx
