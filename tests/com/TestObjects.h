#pragma once
// Automation objects shared by the automation tests.

#include <atomic>

#include "platform/com/AutoObject.h"
#include "platform/rtl/Exceptions.h"

// Counts the objects alive, so tests can see references being given back.
inline std::atomic<int> GLiveCalculators{0};

class TCalculator : public TAutoObject {
 public:
  TCalculator() {
    ++GLiveCalculators;
    DefineMethod("Add", 2, 2, [](TAutoArgs& A) { return A[0] + A[1]; });
    DefineMethod("Swap", 2, 2, [](TAutoArgs& A) {
      std::swap(A[0], A[1]);
      return Variant();
    });
    // Writes into its first argument and answers with the count of the others.
    DefineMethod("Fill", 1, -1, [](TAutoArgs& A) {
      A[0] = VarArrayOf({"filled", VarArrayOf({1, 2.5})});
      return Variant(static_cast<int>(A.size()) - 1);
    });
    DefineMethod("Echo", 1, 1, [](TAutoArgs& A) { return A[0]; });
    DefineMethod("Fail", 1, 1, [](TAutoArgs& A) -> Variant { throw EConvertError(A[0].AsString()); });
    DefineMethod("Child", 0, 0, [](TAutoArgs&) {
      DispatchPtr child = DispatchPtr::Attach(new TCalculator());
      return Variant(child);
    });
    DefineMethod("IsSelf", 1, 1, [this](TAutoArgs& A) { return Variant(A[0].AsDispatch() == this); });
    DefineProperty("Name", [this] { return Variant(FName); },
                   [this](const Variant& V) { FName = V.AsString(); });
    DefineProperty("Version", [] { return Variant(3); });
    DefineIndexedProperty(
        "Items", 1, [this](TAutoArgs& A) { return FItems[A[0].AsInteger() % 4]; },
        [this](TAutoArgs& A, const Variant& V) { FItems[A[0].AsInteger() % 4] = V; });
  }

 protected:
  ~TCalculator() override { --GLiveCalculators; }

 private:
  AnsiString FName = "calc";
  Variant FItems[4];
};
