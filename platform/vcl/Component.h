#pragma once
// TComponent: the named, owned building block of every window. An owner keeps
// its components in creation order and frees them when it is freed; names are
// unique among the components of one owner (ignoring case, as the run-time
// compares identifiers). Components told about each other with
// FreeNotification hear when the other one goes away.
//
// Accessor convention of the component model: a property P is read with P()
// and written with SetP(value); read-only properties have only P().

#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/vcl/Sets.h"

template <class C>
class TPublisher;

// Component names and ownership errors ("A component named X already exists").
KW_DECLARE_EXCEPTION(EComponentError, Exception)

enum TComponentStateFlag {
  csLoading,      // being read from a form description
  csReading,      // its own properties are being read right now
  csWriting,      // being written to a form description
  csDestroying,   // its destructor (or its owner's) has started
  csDesigning,    // edited by the run-time designer
  csAncestor,     // comes from an ancestor form's description
  csUpdating,     // an ancestor description is being applied to it
  csFixups,       // has references to components not yet read
  csFreeNotification,
  csInline,
  csDesignInstance
};
using TComponentState = TSet<TComponentStateFlag>;

enum TOperation { opInsert, opRemove };

// Publishes Name (not stored: the form text writes it in the block header)
// and Tag.
class TComponent : public TPersistent {
  KW_DECLARE_CLASS(TComponent, TPersistent)
 public:
  static void PublishMembers(TPublisher<TComponent>& P);

  // An owned component must live on the heap: its owner deletes it.
  explicit TComponent(TComponent* AOwner);
  // Marks the component (and what it owns) csDestroying, tells the components
  // that asked for a free notification, frees the owned components (the last
  // one first) and leaves the owner. C++ runs a descendant's destructor body
  // before this one: a descendant whose destructor needs csDestroying set, or
  // its owned components still present, calls Destroying() first.
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const AnsiString& Name() const { return FName; }
  // Raises EComponentError when NewName is not an identifier ("'1x' is not a
  // valid component name") or another component of the owner has it.
  virtual void SetName(const AnsiString& NewName);

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  // Raises EListError for an index out of range.
  TComponent* Components(int Index) const;
  // The position among the owner's components; -1 without an owner.
  int ComponentIndex() const;
  void SetComponentIndex(int Index);
  // An owned component by name, ignoring case; nullptr when there is none.
  TComponent* FindComponent(const AnsiString& AName) const;

  // Moves a component under this owner (removing it from its old owner first).
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Frees every owned component, the last one first.
  void DestroyComponents();
  // Marks this component and all it owns as being destroyed.
  void Destroying();

  int Tag() const { return FTag; }
  void SetTag(int Value) { FTag = Value; }

  TComponentState ComponentState() const { return FComponentState; }
  void SetDesigning(bool Value, bool SetChildren = true);

  // Asks AComponent to tell this component (through Notification opRemove)
  // when it is freed; the link is two-way, so either side may go first.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // "Owner.Name" style path used in messages and by collections.
  AnsiString GetNamePath() const override;

  // ---- Hooks used by the form text reader and writer ---------------------
  // Components written nested inside this one: the default lists, for the
  // root of a description, the owned components that have no parent.
  virtual void GetChildren(std::vector<TComponent*>& Children, const TComponent* Root) const;
  // Whether the component sits in a parent (controls do); such components
  // are written inside their parent's block.
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  // Called by the reader with the enclosing block's GetChildParent.
  virtual void SetParentComponent(TComponent* Parent) {}
  // Components read inside this one's block get this parent.
  virtual TComponent* GetChildParent() { return this; }
  // Called when reading of the whole description has ended.
  virtual void Loaded();
  // Runs once the most derived constructor has finished (NewComponent and the
  // class registry call it): the place where a form class reads its form
  // descriptions, which needs the whole object built.
  virtual void AfterConstruction() {}

  // Sets or clears state flags; for the form text reader and writer.
  void SetComponentStateFlag(TComponentStateFlag Flag, bool On);

 protected:
  // Tells of a component that joins (opInsert) or leaves (opRemove) this
  // owner, or of a component this one asked for a free notification. The
  // default passes the news on to every owned component.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  // Checks a new name for AComponent among the owned components.
  virtual void ValidateRename(TComponent* AComponent, const AnsiString& CurName,
                              const AnsiString& NewName);
  virtual void ChangeName(const AnsiString& NewName) { FName = NewName; }

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);

  TComponent* FOwner = nullptr;
  AnsiString FName;
  int FTag = 0;
  TComponentState FComponentState;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
};

// Creates a component and runs its AfterConstruction:
// auto* f = NewComponent<TfrmOption>(Owner).
template <class T, class... Args>
T* NewComponent(Args&&... A) {
  T* Instance = new T(static_cast<Args&&>(A)...);
  try {
    Instance->AfterConstruction();
  } catch (...) {
    delete Instance;
    throw;
  }
  return Instance;
}

// True when S is a valid identifier (a letter or "_", then letters, digits
// or "_"), as component and method names must be.
bool IsValidIdent(const AnsiString& S);
