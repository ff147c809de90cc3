// Automation objects called in-process: late binding by name, by-reference
// arguments, errors, reference counting and the class registry.

#include <gtest/gtest.h>

#include "platform/com/AutoObject.h"
#include "platform/com/ComObj.h"
#include "tests/com/TestObjects.h"

namespace {

Variant NewCalculator() { return Variant(DispatchPtr::Attach(new TCalculator())); }

TEST(LateBound, CallsByNameIgnoringCase) {
  Variant calc = NewCalculator();
  EXPECT_EQ(OleCall(calc, "Add", {2, 3}).AsInteger(), 5);
  EXPECT_EQ(OleCall(calc, "aDD", {"ab", "cd"}).AsString(), "abcd");
  EXPECT_EQ(OleGet(calc, "VERSION").AsInteger(), 3);
  // A property read as a method, as late binding allows.
  EXPECT_EQ(OleCall(calc, "Version").AsInteger(), 3);
}

TEST(LateBound, ByRefArgumentsAreWrittenBackOnlyToByRefVariables) {
  Variant calc = NewCalculator();
  Variant a = 1, b = "two";
  OleCall(calc, "Swap", {ByRef(a), ByRef(b)});
  EXPECT_EQ(a.AsString(), "two");
  EXPECT_EQ(b.AsInteger(), 1);

  // Passed by value, the callee's change stays with the callee.
  Variant c = 10, d = 20;
  OleCall(calc, "Swap", {c, ByRef(d)});
  EXPECT_EQ(c.AsInteger(), 10);
  EXPECT_EQ(d.AsInteger(), 10);

  // Written-back arrays of arrays arrive whole.
  Variant out;
  EXPECT_EQ(OleCall(calc, "Fill", {ByRef(out), 7, 8}).AsInteger(), 2);
  ASSERT_TRUE(out.IsArray());
  EXPECT_EQ(out[0].AsString(), "filled");
  EXPECT_DOUBLE_EQ(out[1][1].AsFloat(), 2.5);
}

TEST(LateBound, PropertiesPlainAndIndexed) {
  Variant calc = NewCalculator();
  EXPECT_EQ(OleGet(calc, "Name").AsString(), "calc");
  OleSet(calc, "name", "renamed");
  EXPECT_EQ(OleGet(calc, "Name").AsString(), "renamed");

  std::vector<Variant> args{1, "x"};
  calc.AsDispatch()->Invoke("Items", TInvokeKind::PropertyPut, args);
  EXPECT_EQ(OleGet(calc, "Items", {1}).AsString(), "x");
  EXPECT_TRUE(OleGet(calc, "Items", {2}).IsEmpty());
}

TEST(LateBound, ErrorsNameTheMemberAndKeepTheCalleesMessage) {
  Variant calc = NewCalculator();
  struct Case {
    std::function<void()> Call;
    const char* Message;
  };
  const Case cases[] = {
      {[&] { OleCall(calc, "Multiply", {1, 2}); }, "Method 'Multiply' not supported by automation object"},
      {[&] { OleSet(calc, "Version", 4); }, "Property 'Version' is read-only"},
      {[&] { OleSet(calc, "Add", 4); }, "'Add' is a method, not a property"},
      {[&] { OleCall(calc, "Add", {1}); }, "Invalid number of parameters for 'Add'"},
      {[&] { OleCall(calc, "Echo", {1, 2}); }, "Invalid number of parameters for 'Echo'"},
  };
  for (const Case& c : cases) {
    try {
      c.Call();
      ADD_FAILURE() << "no error for " << c.Message;
    } catch (const EOleError& e) {
      EXPECT_EQ(e.Message, c.Message);
    }
  }

  // What the member raises reaches the caller as EOleException with the
  // member's text and the class it raised.
  try {
    OleCall(calc, "Fail", {"bad value"});
    FAIL();
  } catch (const EOleException& e) {
    EXPECT_EQ(e.Message, "bad value");
    EXPECT_EQ(e.Source, "EConvertError");
    EXPECT_EQ(e.ErrorCode, E_UNEXPECTED_HR);
  }
  // A type mismatch inside the member is such an error too.
  EXPECT_THROW(OleCall(calc, "Add", {1, VarArrayOf({1})}), EOleException);
}

TEST(LateBound, CallOnSomethingThatIsNoObjectRaises) {
  EXPECT_THROW(OleCall(Variant(), "Add"), EVariantInvalidOpError);
  EXPECT_THROW(OleCall(Variant(5), "Add"), EVariantInvalidOpError);
  EXPECT_THROW(OleGet(Variant(static_cast<IDispatch*>(nullptr)), "Name"), EVariantInvalidOpError);
}

TEST(ReferenceCounting, CopiesShareOneObjectAndTheLastReleaseFreesIt) {
  const int before = GLiveCalculators;
  {
    Variant a = NewCalculator();
    auto* obj = static_cast<TCalculator*>(a.AsDispatch());
    EXPECT_EQ(obj->RefCount(), 1);
    {
      Variant b = a;
      Variant c;
      c = b;
      DispatchPtr p(a.AsDispatch());
      EXPECT_EQ(obj->RefCount(), 4);
      // Arrays holding the object hold references too.
      Variant arr = VarArrayOf({a, a});
      EXPECT_EQ(obj->RefCount(), 6);
    }
    EXPECT_EQ(obj->RefCount(), 1);
    EXPECT_EQ(GLiveCalculators, before + 1);

    // An object returned by a call lives as long as the caller holds it.
    Variant child = OleCall(a, "Child");
    EXPECT_EQ(GLiveCalculators, before + 2);
    EXPECT_EQ(static_cast<TCalculator*>(child.AsDispatch())->RefCount(), 1);
    child = Unassigned();
    EXPECT_EQ(GLiveCalculators, before + 1);
  }
  EXPECT_EQ(GLiveCalculators, before);
}

TEST(ReferenceCounting, ObjectSurvivesACallThatDropsItsLastOutsideReference) {
  class TSelfDropping : public TAutoObject {
   public:
    TSelfDropping(Variant* Holder, bool* Freed) : FFreed(Freed) {
      DefineMethod("Drop", 0, 0, [this, Holder](TAutoArgs&) {
        *Holder = Unassigned();  // the caller's only reference
        return Variant(FValue);  // still safe to touch the object
      });
    }
    ~TSelfDropping() override { *FFreed = true; }
    int FValue = 42;
    bool* FFreed;
  };
  bool freed = false;
  Variant holder;
  holder = Variant(DispatchPtr::Attach(new TSelfDropping(&holder, &freed)));
  EXPECT_EQ(OleCall(holder, "Drop").AsInteger(), 42);
  EXPECT_TRUE(holder.IsEmpty());
  EXPECT_TRUE(freed);
}

TEST(ClassRegistry, CreatesRegisteredClassesAndRefusesOthers) {
  const int before = GLiveCalculators;
  RegisterOleClass("Test.Calculator", [] { return static_cast<IDispatch*>(new TCalculator()); });
  {
    Variant calc = CreateOleObject("TEST.calculator");
    EXPECT_EQ(GLiveCalculators, before + 1);
    EXPECT_EQ(static_cast<TCalculator*>(calc.AsDispatch())->RefCount(), 1);
    EXPECT_EQ(OleCall(calc, "Add", {1, 1}).AsInteger(), 2);
  }
  EXPECT_EQ(GLiveCalculators, before);

  EXPECT_TRUE(UnregisterOleClass("Test.Calculator"));
  EXPECT_FALSE(IsOleClassRegistered("Test.Calculator"));
  for (const char* name : {"Test.Calculator", "", "Brannok.Nothing"}) {
    try {
      CreateOleObject(name);
      ADD_FAILURE() << name;
    } catch (const EOleSysError& e) {
      EXPECT_EQ(e.Message, "Invalid class string");
      EXPECT_EQ(e.ErrorCode, CO_E_CLASSSTRING_HR);
    }
  }
}

}  // namespace
