#include "platform/vcl/Collection.h"

#include <algorithm>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/TypeInfo.h"

// ---- TCollectionItem -----------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* Collection) { SetCollection(Collection); }

TCollectionItem::~TCollectionItem() {
  if (FCollection) FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value) {
  if (FCollection == Value) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (Value) Value->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!FCollection) return -1;
  const auto& Items = FCollection->FItems;
  return static_cast<int>(std::find(Items.begin(), Items.end(), this) - Items.begin());
}

void TCollectionItem::SetIndex(int Value) {
  if (!FCollection) return;
  auto& Items = FCollection->FItems;
  int Current = Index();
  Value = std::clamp(Value, 0, static_cast<int>(Items.size()) - 1);
  if (Value == Current) return;
  Items.erase(Items.begin() + Current);
  Items.insert(Items.begin() + Value, this);
  Changed(true);
}

AnsiString TCollectionItem::DisplayName() const { return ClassName(); }

AnsiString TCollectionItem::GetNamePath() const {
  if (!FCollection) return ClassName();
  return Format("%s[%d]", {FCollection->GetNamePath(), Index()});
}

void TCollectionItem::Assign(const TPersistent* Source) {
  if (Source && Source->InheritsFrom(ClassType())) {
    AssignPublishedProperties(this, Source);
    return;
  }
  TPersistent::Assign(Source);
}

void TCollectionItem::Changed(bool AllItems) {
  if (!FCollection || FCollection->FUpdateCount > 0) return;
  FCollection->Update(AllItems ? nullptr : this);
}

// ---- TCollection ---------------------------------------------------------------------

TCollection::TCollection(TPersistent* Owner, TCollectionItemClass ItemClass)
    : FOwner(Owner), FItemClass(ItemClass) {}

TCollection::~TCollection() {
  FUpdateCount = 1;  // no Update calls into a half-destroyed owner
  Clear();
}

TCollectionItem* TCollection::Add() {
  TCollectionItem* Item = FItemClass.Create(this);
  Changed();
  return Item;
}

TCollectionItem* TCollection::Insert(int Index) {
  TCollectionItem* Item = Add();
  Item->SetIndex(Index);
  return Item;
}

void TCollection::Delete(int Index) { delete Items(Index); }

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  while (!FItems.empty()) delete FItems.back();
  EndUpdate();
}

TCollectionItem* TCollection::Items(int Index) const {
  if (Index < 0 || Index >= Count())
    throw EListError(Format("List index out of bounds (%d)", {Index}));
  return FItems[Index];
}

TCollectionItem* TCollection::FindItemID(int ID) const {
  for (TCollectionItem* Item : FItems)
    if (Item->FID == ID) return Item;
  return nullptr;
}

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::Assign(const TPersistent* Source) {
  auto* Other = ObjectAs<TCollection>(Source);
  if (!Other) {
    TPersistent::Assign(Source);
    return;
  }
  if (Other == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* Item : Other->FItems) Add()->Assign(Item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

AnsiString TCollection::PropName() const {
  if (!FOwner) return {};
  for (const TPropInfo* P : GetPropList(FOwner, TTypeKinds{tkClass}))
    if (GetObjectProp(FOwner, P) == this) return P->Name;
  return {};
}

AnsiString TCollection::GetNamePath() const {
  if (!FOwner) return ClassName();
  AnsiString Owner = FOwner->GetNamePath();
  if (Owner.empty()) return ClassName();
  AnsiString Prop = PropName();
  return Prop.empty() ? Owner : Owner + "." + Prop;
}

void TCollection::InsertItem(TCollectionItem* Item) {
  FItems.push_back(Item);
  Item->FCollection = this;
  Item->FID = FNextID++;
  Notify(Item, cnAdded);
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  Notify(Item, cnExtracting);
  FItems.erase(std::remove(FItems.begin(), FItems.end(), Item), FItems.end());
  Item->FCollection = nullptr;
  Changed();
}
