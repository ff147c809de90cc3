#pragma once
// Collections: an ordered list of items of one item class, owned by a
// persistent object and published as one property (status bar panels, list
// view columns). The form text format writes them as "<item ... end>".

#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Object.h"

class TCollection;

class TCollectionItem : public TPersistent {
  KW_DECLARE_CLASS(TCollectionItem, TPersistent)
 public:
  // Joins Collection (at the end) when it is not null.
  explicit TCollectionItem(TCollection* Collection);
  // Leaves its collection.
  ~TCollectionItem() override;
  TCollectionItem(const TCollectionItem&) = delete;
  TCollectionItem& operator=(const TCollectionItem&) = delete;

  TCollection* Collection() const { return FCollection; }
  // Moves the item to another collection (or out of any, with nullptr).
  void SetCollection(TCollection* Value);
  // Position in the collection; -1 outside one.
  int Index() const;
  void SetIndex(int Value);
  // Unique within the collection, never reused.
  int ID() const { return FID; }
  // The name shown for the item; the class name by default.
  virtual AnsiString DisplayName() const;
  // "Owner.Property[i]".
  AnsiString GetNamePath() const override;
  // Copies the published properties of an item of the same class (or a
  // descendant); other sources go to TPersistent::Assign.
  void Assign(const TPersistent* Source) override;

 protected:
  // Tells the collection that this item (or, with AllItems, every item) changed.
  void Changed(bool AllItems);

 private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = 0;
};

// What a collection makes its items of.
struct TCollectionItemClass {
  const TClassInfo* Info = nullptr;
  TCollectionItem* (*Create)(TCollection* Collection) = nullptr;
};

template <class T>
TCollectionItemClass ItemClassOf() {
  return {&T::StaticClass(), [](TCollection* C) -> TCollectionItem* { return new T(C); }};
}

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollection : public TPersistent {
  KW_DECLARE_CLASS(TCollection, TPersistent)
 public:
  TCollection(TPersistent* Owner, TCollectionItemClass ItemClass);
  explicit TCollection(TCollectionItemClass ItemClass) : TCollection(nullptr, ItemClass) {}
  ~TCollection() override;
  TCollection(const TCollection&) = delete;
  TCollection& operator=(const TCollection&) = delete;

  TCollectionItem* Add();
  TCollectionItem* Insert(int Index);
  // Frees the item at Index; EListError "List index out of bounds (n)" when
  // there is none.
  void Delete(int Index);
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }
  TCollectionItem* Items(int Index) const;
  TCollectionItem* FindItemID(int ID) const;
  const TCollectionItemClass& ItemClass() const { return FItemClass; }
  TPersistent* Owner() const { return FOwner; }

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // Replaces the items by copies of Source's items.
  void Assign(const TPersistent* Source) override;
  // The owner's name path and the property that holds this collection.
  AnsiString GetNamePath() const override;
  // Name of the owner's published property that holds this collection.
  AnsiString PropName() const;

 protected:
  // An item (or, with nullptr, the whole collection) changed; not called while
  // an update is open, then once at its end.
  virtual void Update(TCollectionItem* Item) {}
  virtual void Notify(TCollectionItem* Item, TCollectionNotification Action) {}
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);

  TPersistent* FOwner = nullptr;
  TCollectionItemClass FItemClass;
  std::vector<TCollectionItem*> FItems;
  int FNextID = 0;
  int FUpdateCount = 0;
  bool FClearing = false;
};
