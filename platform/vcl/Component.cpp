#include "platform/vcl/Component.h"

#include <algorithm>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/Format.h"
#include "platform/vcl/Publisher.h"
#include "platform/vcl/TypeInfo.h"

KW_REGISTER_CLASS(TComponent)

void TComponent::PublishMembers(TPublisher<TComponent>& P) {
  P.Property("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
  P.Property("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
}

namespace {

// Points the owner's published field of that name (if any) at the component,
// or clears it, so that fields follow the components they name.
void SetReference(TComponent* Owner, const AnsiString& Name, TComponent* Value) {
  if (!Owner || Name.empty()) return;
  const TFieldEntry* Field = FindFieldEntry(Owner->ClassType(), Name);
  if (!Field) return;
  if (Value && !Value->InheritsFrom(*Field->FieldClass)) return;
  Field->Assign(Owner, Value);
}

}  // namespace

bool IsValidIdent(const AnsiString& S) {
  if (S.empty()) return false;
  auto Alpha = [](unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!Alpha(S[0])) return false;
  return std::all_of(S.begin() + 1, S.end(), [&](unsigned char c) {
    return Alpha(c) || (c >= '0' && c <= '9');
  });
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Those who asked to hear of our end hear it now; those we asked are told to
  // forget us.
  while (!FFreeNotifies.empty()) {
    TComponent* Other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    auto& Theirs = Other->FFreeNotifies;
    Theirs.erase(std::remove(Theirs.begin(), Theirs.end(), this), Theirs.end());
    Other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::SetName(const AnsiString& NewName) {
  if (FName == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError(Format("'%s' is not a valid component name", {NewName}));
  if (FOwner)
    FOwner->ValidateRename(this, FName, NewName);
  else
    ValidateRename(nullptr, FName, NewName);
  SetReference(FOwner, FName, nullptr);
  ChangeName(NewName);
  SetReference(FOwner, FName, this);
}

void TComponent::ValidateRename(TComponent* AComponent, const AnsiString& CurName,
                                const AnsiString& NewName) {
  if (!AComponent || NewName.empty() || SameText(CurName, NewName)) return;
  TComponent* Existing = FindComponent(NewName);
  if (Existing && Existing != AComponent)
    throw EComponentError(Format("A component named %s already exists", {NewName}));
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount())
    throw EListError(Format("List index out of bounds (%d)", {Index}));
  return FComponents[Index];
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  const auto& List = FOwner->FComponents;
  return static_cast<int>(std::find(List.begin(), List.end(), this) - List.begin());
}

void TComponent::SetComponentIndex(int Index) {
  if (!FOwner) return;
  auto& List = FOwner->FComponents;
  int Count = static_cast<int>(List.size());
  Index = std::clamp(Index, 0, Count - 1);
  int Current = ComponentIndex();
  if (Current == Index) return;
  List.erase(List.begin() + Current);
  List.insert(List.begin() + Index, this);
}

TComponent* TComponent::FindComponent(const AnsiString& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* C : FComponents)
    if (SameText(C->FName, AName)) return C;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (AComponent->FOwner == this) return;
  ValidateRename(AComponent, AnsiString(), AComponent->FName);
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  Insert(AComponent);
  SetReference(this, AComponent->FName, AComponent);
  if (FComponentState.Contains(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (AComponent->FOwner != this) return;
  Notification(AComponent, opRemove);
  SetReference(this, AComponent->FName, nullptr);
  Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
  FComponents.erase(std::remove(FComponents.begin(), FComponents.end(), AComponent),
                    FComponents.end());
  AComponent->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* Instance = FComponents.back();
    // Detached first, so that its destructor does not come back to us.
    Remove(Instance);
    delete Instance;
  }
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (TComponent* C : FComponents) C->Destroying();
}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
  SetComponentStateFlag(csDesigning, Value);
  if (SetChildren)
    for (TComponent* C : FComponents) C->SetDesigning(Value, true);
}

void TComponent::SetComponentStateFlag(TComponentStateFlag Flag, bool On) {
  if (On)
    FComponentState.Include(Flag);
  else
    FComponentState.Exclude(Flag);
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  FComponentState.Include(csFreeNotification);
  auto Add = [](std::vector<TComponent*>& List, TComponent* C) {
    if (std::find(List.begin(), List.end(), C) == List.end()) List.push_back(C);
  };
  Add(FFreeNotifies, AComponent);
  Add(AComponent->FFreeNotifies, this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  RemoveNotification(AComponent);
  AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
  FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent),
                      FFreeNotifies.end());
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // A copy: a component told of a removal may free others.
  std::vector<TComponent*> Owned = FComponents;
  for (TComponent* C : Owned)
    if (std::find(FComponents.begin(), FComponents.end(), C) != FComponents.end())
      C->Notification(AComponent, Operation);
}

AnsiString TComponent::GetNamePath() const { return FName; }

void TComponent::GetChildren(std::vector<TComponent*>& Children, const TComponent* Root) const {
  if (Root != this) return;
  for (TComponent* C : FComponents)
    if (!C->HasParent()) Children.push_back(C);
}

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }
