// Event handlers as TMethod pairs: identity between handlers bound in code and
// handlers found by published name, hook tables that swap and restore them,
// and calls through empty events.

#include <gtest/gtest.h>

#include <map>

#include "tests/vcl/fixtures_components.h"

namespace {

TEST(Events, BoundInCodeAndFoundByNameAreTheSameHandler) {
  TTestForm Form(nullptr);
  TNotifyEvent InCode = Bind<&TTestForm::btnOkClick>(&Form);
  TMethod ByName = FindPublishedMethod(&Form, "BTNOKCLICK");
  EXPECT_EQ(InCode.Method, ByName);
  EXPECT_EQ(InCode.Method.Data, static_cast<void*>(&Form));
  EXPECT_EQ(MethodName(&Form, ByName.Code), "btnOkClick");
  EXPECT_NE(FindPublishedMethod(&Form, "FieldExit"), ByName);
  EXPECT_FALSE(FindPublishedMethod(&Form, "NoSuchHandler").Assigned());

  // The same member function on another object is another handler.
  TTestForm Other(nullptr);
  TNotifyEvent OnOther = Bind<&TTestForm::btnOkClick>(&Other);
  EXPECT_EQ(OnOther.Method.Code, InCode.Method.Code);
  EXPECT_FALSE(OnOther == InCode);

  // A descendant finds its ancestors' methods, bound the same way.
  TTestChildForm Child(nullptr);
  EXPECT_EQ(FindPublishedMethod(&Child, "btnOkClick"),
            Bind<&TTestForm::btnOkClick>(&Child).Method);
  EXPECT_TRUE(FindPublishedMethod(&Child, "btnExtraClick").Assigned());
  EXPECT_FALSE(FindPublishedMethod(&Form, "btnExtraClick").Assigned());
}

TEST(Events, CallingPassesArgumentsAndEmptyEventsDoNothing) {
  TTestForm Form(nullptr);
  auto* Edit = new TTestControl(&Form);
  Edit->SetName("edtDate");
  TNotifyEvent Empty;
  EXPECT_FALSE(Empty.Assigned());
  Empty(Edit);  // nothing happens
  TEvent<TObject*> FromNull(nullptr);
  FromNull(Edit);

  Edit->OnKeyPress = Bind<&TTestForm::KeyPress>(&Form);
  char Key = 'x';
  Edit->OnKeyPress(Edit, Key);
  EXPECT_EQ(Key, 0);  // by-reference arguments come back
  EXPECT_EQ(Form.Log, (std::vector<AnsiString>{"KeyPress:x"}));
}

// The option window's date fields: their OnExit is replaced by the window's own
// check, the replaced handler is kept in a table (code and data apart, keyed
// by "Name.Event.Code"/".Data") and put back later.
TEST(Events, HookTableReplacesAndRestoresAHandler) {
  TTestForm Form(nullptr);
  auto* Edit = new TTestControl(&Form);
  Edit->SetName("edtDate");
  Edit->OnExit = Bind<&TTestForm::btnOkClick>(&Form);  // the control's own handler
  const TMethod Original = GetMethodProp(Edit, "OnExit");

  std::map<AnsiString, void*> Hooks;
  auto Hook = [&](TComponent* C) {
    TMethod Old = GetMethodProp(C, "OnExit");
    if (Old.Code) Hooks.emplace(C->Name() + ".OnExit.Code", Old.Code);
    if (Old.Data) Hooks.emplace(C->Name() + ".OnExit.Data", Old.Data);
    SetMethodProp(C, "OnExit", FindPublishedMethod(&Form, "FieldExit"));
  };
  auto Saved = [&](TComponent* C, const char* Half) -> void* {
    auto It = Hooks.find(C->Name() + ".OnExit." + Half);
    return It == Hooks.end() ? nullptr : It->second;
  };
  auto Previous = [&](TComponent* C) { return TMethod{Saved(C, "Code"), Saved(C, "Data")}; };
  auto CallPrevious = [&](TComponent* C) { TNotifyEvent{Previous(C)}(C); };
  auto Unhook = [&](TComponent* C) { SetMethodProp(C, "OnExit", Previous(C)); };

  Hook(Edit);
  EXPECT_EQ(Edit->OnExit, Bind<&TTestForm::FieldExit>(&Form));
  Edit->OnExit(Edit);
  CallPrevious(Edit);
  Hook(Edit);  // hooking again keeps the first saved handler
  Unhook(Edit);
  EXPECT_EQ(GetMethodProp(Edit, "OnExit"), Original);
  Edit->OnExit(Edit);
  EXPECT_EQ(Form.Log, (std::vector<AnsiString>{"FieldExit:edtDate", "btnOkClick:edtDate",
                                                "btnOkClick:edtDate"}));

  // A control without a handler stores nothing and gets an empty one back.
  auto* Bare = new TTestControl(&Form);
  Bare->SetName("edtBare");
  Hook(Bare);
  CallPrevious(Bare);  // no previous handler: nothing happens
  Unhook(Bare);
  EXPECT_FALSE(Bare->OnExit.Assigned());
  EXPECT_EQ(Hooks.count("edtBare.OnExit.Code"), 0u);
}

TEST(Events, HandlersByNameCheckTheirParameterList) {
  TTestForm Form(nullptr);
  auto* Edit = new TTestControl(&Form);
  Edit->SetName("edtName");
  SetPropText(Edit, "OnKeyPress", "KeyPress");
  EXPECT_EQ(Edit->OnKeyPress, Bind<&TTestForm::KeyPress>(&Form));
  EXPECT_EQ(GetPropText(Edit, "OnKeyPress"), "KeyPress");
  try {
    SetPropText(Edit, "OnClick", "KeyPress");
    FAIL() << "a key handler was bound to a notify event";
  } catch (const EPropertyConvertError& E) {
    EXPECT_EQ(E.Message, "Method 'KeyPress' has an incompatible parameter list");
  }
  EXPECT_THROW(SetPropText(Edit, "OnClick", "NoSuch"), EPropertyConvertError);
  SetPropText(Edit, "OnKeyPress", "");
  EXPECT_FALSE(Edit->OnKeyPress.Assigned());
  // A handler that is no published method has no name.
  Edit->OnClick = TNotifyEvent([](void*, TObject*) {}, nullptr);
  EXPECT_EQ(GetPropText(Edit, "OnClick"), "");
}

}  // namespace
