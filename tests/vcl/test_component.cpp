// TComponent ownership, names, state and free notification; the class
// registry that creates components by class name.

#include <gtest/gtest.h>

#include "tests/vcl/fixtures_components.h"

namespace {

// Records what it is told and when it goes away.
class TWatcher : public TComponent {
  KW_DECLARE_CLASS(TWatcher, TComponent)
 public:
  TWatcher(TComponent* Owner, std::vector<AnsiString>* Log, AnsiString Tag)
      : TComponent(Owner), FLog(Log), FTag(std::move(Tag)) {}
  ~TWatcher() override {
    WasDestroying = ComponentState().Contains(csDestroying);
    FLog->push_back("free " + FTag + (WasDestroying ? "" : " (not destroying)"));
  }
  void Notification(TComponent* C, TOperation Op) override {
    TComponent::Notification(C, Op);
    FLog->push_back(FTag + (Op == opInsert ? " hears insert " : " hears remove ") +
                    (C->Name().empty() ? C->ClassName() : C->Name()));
  }
  bool WasDestroying = false;

 private:
  std::vector<AnsiString>* FLog;
  AnsiString FTag;
};

TEST(Ownership, OwnerKeepsOrderAndFreesLastFirst) {
  std::vector<AnsiString> Log;
  auto* Root = new TWatcher(nullptr, &Log, "root");
  auto* A = new TWatcher(Root, &Log, "a");
  A->SetName("A");
  auto* B = new TWatcher(Root, &Log, "b");
  B->SetName("B");
  auto* BChild = new TWatcher(B, &Log, "b1");
  ASSERT_EQ(Root->ComponentCount(), 2);
  EXPECT_EQ(Root->Components(0), A);
  EXPECT_EQ(Root->Components(1), B);
  EXPECT_EQ(B->ComponentIndex(), 1);
  EXPECT_EQ(BChild->Owner(), B);
  EXPECT_THROW(Root->Components(2), EListError);

  B->SetComponentIndex(0);
  EXPECT_EQ(Root->Components(0), B);

  Log.clear();
  delete Root;
  // The owner's own destructor body runs first (C++ order); then its
  // components go, the last one first (B moved to the front), each marked as
  // being destroyed. B's child goes after B's destructor body.
  std::vector<AnsiString> Expected{"free root (not destroying)", "free a", "free b", "free b1"};
  EXPECT_EQ(Log, Expected);
}

TEST(Ownership, FreeingAComponentRemovesItFromItsOwnerAndTellsTheOthers) {
  std::vector<AnsiString> Log;
  TWatcher Root(nullptr, &Log, "root");
  auto* A = new TWatcher(&Root, &Log, "a");
  auto* B = new TWatcher(&Root, &Log, "b");
  B->SetName("B");
  Log.clear();
  delete B;
  EXPECT_EQ(Root.ComponentCount(), 1);
  EXPECT_EQ(Root.Components(0), A);
  // The owner passes the news to its other components before it logs.
  std::vector<AnsiString> Expected{"free b (not destroying)", "a hears remove B",
                                   "root hears remove B"};
  EXPECT_EQ(Log, Expected);
}

TEST(Ownership, InsertComponentMovesBetweenOwners) {
  TComponent First(nullptr), Second(nullptr);
  auto* C = new TComponent(&First);
  C->SetName("Moved");
  Second.InsertComponent(C);
  EXPECT_EQ(First.ComponentCount(), 0);
  EXPECT_EQ(Second.FindComponent("moved"), C);
  EXPECT_EQ(C->Owner(), &Second);
}

TEST(Names, ValidUniqueAndCaseInsensitive) {
  TComponent Owner(nullptr);
  auto* A = new TComponent(&Owner);
  auto* B = new TComponent(&Owner);
  A->SetName("btnOk");
  EXPECT_EQ(Owner.FindComponent("BTNOK"), A);
  EXPECT_EQ(Owner.FindComponent(""), nullptr);

  struct Case {
    const char* Name;
    const char* Message;
  };
  const Case Bad[] = {
      {"BtnOK", "A component named BtnOK already exists"},
      {"1st", "'1st' is not a valid component name"},
      {"a b", "'a b' is not a valid component name"},
      {"x-y", "'x-y' is not a valid component name"},
  };
  for (const Case& C : Bad) {
    try {
      B->SetName(C.Name);
      ADD_FAILURE() << C.Name << " was accepted";
    } catch (const EComponentError& E) {
      EXPECT_EQ(E.Message, C.Message);
    }
    EXPECT_EQ(B->Name(), "");
  }
  // Empty names never clash; renaming to another case of one's own name is fine.
  auto* C = new TComponent(&Owner);
  EXPECT_NO_THROW(C->SetName(""));
  EXPECT_NO_THROW(A->SetName("BTNOK"));
  EXPECT_EQ(A->Name(), "BTNOK");
  EXPECT_NO_THROW(B->SetName("_x1"));
}

TEST(FreeNotification, EitherSideMayGoFirst) {
  std::vector<AnsiString> Log;
  {
    TWatcher Listener(nullptr, &Log, "listener");
    auto* Other = new TWatcher(nullptr, &Log, "other");
    Other->SetName("Other");
    Listener.FreeNotification(Other);
    Log.clear();
    delete Other;
    EXPECT_EQ(Log, (std::vector<AnsiString>{"free other (not destroying)",
                                            "listener hears remove Other"}));
  }
  {
    // The listener goes first: the other side forgets it and tells nobody.
    auto* Listener = new TWatcher(nullptr, &Log, "listener");
    TWatcher Other(nullptr, &Log, "other");
    Listener->FreeNotification(&Other);
    delete Listener;
    Log.clear();
  }
  EXPECT_EQ(Log, (std::vector<AnsiString>{"free other (not destroying)"}));
}

TEST(State, DestroyingAndDesigningReachOwnedComponents) {
  std::vector<AnsiString> Log;
  auto* Root = new TWatcher(nullptr, &Log, "root");
  auto* A = new TWatcher(Root, &Log, "a");
  Root->SetDesigning(true);
  EXPECT_TRUE(A->ComponentState().Contains(csDesigning));
  auto* Late = new TComponent(Root);  // joins a designing owner
  EXPECT_TRUE(Late->ComponentState().Contains(csDesigning));
  delete Root;
  // No "(not destroying)": the owner marked it before freeing it.
  EXPECT_NE(std::find(Log.begin(), Log.end(), "free a"), Log.end());
}

TEST(Fields, PublishedFieldsFollowTheirComponents) {
  TTestForm Form(nullptr);
  auto* Ok = new TTestControl(&Form);
  EXPECT_EQ(Form.btnOk, nullptr);
  Ok->SetName("btnOk");
  EXPECT_EQ(Form.btnOk, Ok);
  Ok->SetName("btnOther");
  EXPECT_EQ(Form.btnOk, nullptr);
  Ok->SetName("BTNOK");  // field names compare ignoring case
  EXPECT_EQ(Form.btnOk, Ok);
  delete Ok;
  EXPECT_EQ(Form.btnOk, nullptr);
  // A component of the wrong class leaves the field alone.
  auto* Plain = new TComponent(&Form);
  Plain->SetName("pnlMain");
  EXPECT_EQ(Form.pnlMain, nullptr);
}

TEST(ClassRegistry, CreatesComponentsByClassName) {
  TComponent Owner(nullptr);
  TComponent* C = CreateComponent("ttestcontrol", &Owner);
  ASSERT_NE(C, nullptr);
  EXPECT_EQ(C->ClassName(), "TTestControl");
  EXPECT_EQ(C->Owner(), &Owner);
  EXPECT_EQ(GetClass("TTestForm"), &TTestForm::StaticClass());
  EXPECT_EQ(GetClass("TNoSuchClass"), nullptr);
  try {
    CreateComponent("TNoSuchClass", &Owner);
    FAIL() << "expected EClassNotFound";
  } catch (const EClassNotFound& E) {
    EXPECT_EQ(E.Message, "Class TNoSuchClass not found");
  }
  // Registered, but not a component.
  EXPECT_THROW(CreateComponent("TTestFont", &Owner), EFilerError);
  EXPECT_EQ(Owner.ComponentCount(), 1);
}

}  // namespace
