#pragma once
// Event handlers as method pointers: a TMethod is the pair (code, data) of a
// handler bound to its object. A handler has an identity: it can be read from
// a property, stored (for instance in a hook table), compared with another
// one, put back, and called later.
//
// Code points to a small call adaptor made once per member function, Data to
// the object (as the class that declares the member function). A handler bound
// in code with Bind<&TfrmX::btnOkClick>(form) and the same handler found by
// its published name ("OnClick = btnOkClick" in a form description) are
// therefore the same TMethod.

#include <cstddef>

#include "platform/vcl/Sets.h"

class TObject;

struct TMethod {
  void* Code = nullptr;
  void* Data = nullptr;

  bool Assigned() const { return Code != nullptr; }
  friend bool operator==(const TMethod& A, const TMethod& B) {
    return A.Code == B.Code && A.Data == B.Data;
  }
};

namespace kw_events {

// One object per handler parameter list; its address tells event types apart,
// so that a published method is only bound to an event of the same shape.
template <class... Args>
struct TSignature {
  static constexpr char Id = 0;
};

template <auto Member>
struct TMemberAdaptor;

template <class C, class... Args, void (C::*Member)(Args...)>
struct TMemberAdaptor<Member> {
  using Class = C;
  static void Call(void* Data, Args... A) { (static_cast<C*>(Data)->*Member)(A...); }
};

// Function pointers travel as void*, as the run-time's method records do.
template <class F>
void* CodeOf(F* Function) {
  return reinterpret_cast<void*>(Function);
}

}  // namespace kw_events

// A typed event: the parameters of the handler. Calling an event whose Code
// is empty does nothing.
template <class... Args>
class TEvent {
 public:
  using Adaptor = void (*)(void* Data, Args...);

  TEvent() = default;
  TEvent(std::nullptr_t) {}
  explicit TEvent(const TMethod& M) : Method(M) {}
  // A plain function with a data pointer of its own choosing.
  TEvent(Adaptor Function, void* Data) : Method{kw_events::CodeOf(Function), Data} {}

  void operator()(Args... A) const {
    if (Method.Code) reinterpret_cast<Adaptor>(Method.Code)(Method.Data, A...);
  }
  bool Assigned() const { return Method.Code != nullptr; }
  explicit operator bool() const { return Assigned(); }
  friend bool operator==(const TEvent& X, const TEvent& Y) { return X.Method == Y.Method; }

  static const void* Signature() { return &kw_events::TSignature<Args...>::Id; }

  TMethod Method;
};

// The TEvent whose adaptor has the given shape.
template <class... Args>
TEvent<Args...> MakeEventFrom(void (*Adaptor)(void*, Args...), void* Data) {
  return TEvent<Args...>(Adaptor, Data);
}

// Binds a member function to an object: OnClick = Bind<&TfrmX::btnOkClick>(this).
template <auto Member, class Obj>
auto Bind(Obj* Object) {
  using A = kw_events::TMemberAdaptor<Member>;
  using C = typename A::Class;
  return MakeEventFrom(&A::Call, static_cast<void*>(static_cast<C*>(Object)));
}

// The code half of a bound member function, as a published method table
// holds it.
template <auto Member>
void* MethodCode() {
  return kw_events::CodeOf(&kw_events::TMemberAdaptor<Member>::Call);
}

// ---- Event types of the component model -----------------------------------

enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateFlag>;

using TNotifyEvent = TEvent<TObject*>;
using TKeyEvent = TEvent<TObject*, unsigned short&, TShiftState>;
using TKeyPressEvent = TEvent<TObject*, char&>;
using TCloseEvent = TEvent<TObject*, TCloseAction&>;
using TCloseQueryEvent = TEvent<TObject*, bool&>;
