#pragma once

// A list of items of one class, kept by its owner and exposed through one of the owner's
// published properties; a definition stores the items' published properties one by one.

#include <string>
#include <vector>

#include "framework/streaming/Persistent.h"

namespace sx {

class TCollection;

class TCollectionItem : public TPersistent {
  SX_CLASS(TCollectionItem)

  // Joins the end of the collection (when one is given).
  explicit TCollectionItem(TCollection* collection);
  ~TCollectionItem() override;
  // Leaves its collection.
  void TearDown() override;

  TCollection* Collection() const { return collection_; }
  // Moves the item to the end of another collection (or out of any).
  void SetCollection(TCollection* collection);

  // Position in the collection; setting clamps to the list and moves the item.
  int Index() const;
  void SetIndex(int index);
  // A number unique within the collection, kept for the item's life.
  int ID() const { return id_; }

  // The name the item is known by in messages; its class name unless a class says better.
  virtual std::string DisplayName() const;

 protected:
  // Tells the collection that this item (or, with allItems, every item) changed.
  void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

class TCollection : public TPersistent {
  SX_CLASS(TCollection)

  // Makes the items of a collection through the item class's own constructor.
  using ItemFactory = TCollectionItem* (*)(TCollection* collection);

  // A collection of items of the class, made through the factory; the owner is the object
  // that exposes it, if any.
  TCollection(const ClassInfo& itemClass, ItemFactory factory, TPersistent* owner = nullptr);
  ~TCollection() override;
  // Frees its items.
  void TearDown() override;

  template <class TItem>
  static TCollectionItem* MakeItem(TCollection* collection) {
    return New<TItem>(collection);
  }

  const ClassInfo& ItemClass() const { return itemClass_; }
  TPersistent* Owner() const { return owner_; }

  int Count() const { return static_cast<int>(items_.size()); }
  // EListError "List index out of bounds (%d)" outside the list.
  TCollectionItem* Item(int index) const;
  TCollectionItem* FindItemID(int id) const;

  // A new item at the end.
  TCollectionItem* Add();
  void Delete(int index);
  void Clear();

  // While updates are suspended, changes are gathered and reported once at the end.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  // Replaces the items with copies of another collection's (each item copies through its
  // own Assign).
  void Assign(const TPersistent* source) override;

 protected:
  // Runs after a change while updates are not suspended; item is the one item that
  // changed, or none when the whole collection may have.
  virtual void Update(TCollectionItem* item);
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);

  const ClassInfo& itemClass_;
  ItemFactory factory_;
  TPersistent* owner_;
  std::vector<TCollectionItem*> items_;
  int nextId_ = 0;
  int updateCount_ = 0;
};

}  // namespace sx
