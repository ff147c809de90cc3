#pragma once
// The automation reference: an object that is called by member name with a
// list of Variant arguments. A Variant can hold one (varDispatch). Objects of
// a remote application server and in-process objects implement the same
// interface, so callers never know which one they talk to.

#include <utility>
#include <vector>

#include "platform/rtl/AnsiStrings.h"

class Variant;

enum class TInvokeKind { Method, PropertyGet, PropertyPut };

class IDispatch {
 public:
  virtual ~IDispatch();

  // Reference counting as automation objects do it: a new object starts with
  // one reference owned by its creator; Release frees it when the count
  // reaches zero. Both return the new count.
  virtual long AddRef() = 0;
  virtual long Release() = 0;

  // Calls a method or gets/sets a property by name. Args are in call order;
  // for a property put the last argument is the value. A callee writes
  // by-reference results back into Args.
  virtual Variant Invoke(const AnsiString& Name, TInvokeKind Kind, std::vector<Variant>& Args) = 0;
};

// Holds one reference to an automation object and gives it back when it goes
// away (the automatic reference counting of interface variables).
class DispatchPtr {
 public:
  DispatchPtr() = default;
  // Takes a new reference of its own (AddRef), like assigning an interface.
  DispatchPtr(IDispatch* Obj) : FObj(Obj) {
    if (FObj) FObj->AddRef();
  }
  // Adopts a reference the caller already owns, for example the first
  // reference of a freshly created object, without adding another.
  static DispatchPtr Attach(IDispatch* Obj) {
    DispatchPtr p;
    p.FObj = Obj;
    return p;
  }

  DispatchPtr(const DispatchPtr& Other) : DispatchPtr(Other.FObj) {}
  DispatchPtr(DispatchPtr&& Other) noexcept : FObj(std::exchange(Other.FObj, nullptr)) {}
  DispatchPtr& operator=(DispatchPtr Other) noexcept {
    std::swap(FObj, Other.FObj);
    return *this;
  }
  ~DispatchPtr() { Reset(); }

  void Reset() {
    if (IDispatch* obj = std::exchange(FObj, nullptr)) obj->Release();
  }
  // Gives up the reference without releasing it; the caller now owns it.
  IDispatch* Detach() { return std::exchange(FObj, nullptr); }

  IDispatch* Get() const { return FObj; }
  IDispatch* operator->() const { return FObj; }
  explicit operator bool() const { return FObj != nullptr; }

  friend bool operator==(const DispatchPtr& a, const DispatchPtr& b) { return a.FObj == b.FObj; }

 private:
  IDispatch* FObj = nullptr;
};
