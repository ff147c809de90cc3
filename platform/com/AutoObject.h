#pragma once
// TAutoObject: the base of automation objects implemented in C++. A class
// lists its methods and properties by name in its constructor; Invoke finds
// them without regard to case, checks the argument count, and turns what the
// implementation raises into the EOleException that an automation caller
// sees. Arguments arrive in a vector the implementation may write into: that
// is how by-reference arguments carry values back.
//
//   class TCounter : public TAutoObject {
//    public:
//     TCounter() {
//       DefineMethod("Next", 1, 1, [this](TAutoArgs& A) { A[0] = A[0].AsInteger() + 1; return Variant(); });
//       DefineProperty("Step", [this] { return Variant(FStep); },
//                      [this](const Variant& V) { FStep = V.AsInteger(); });
//     }
//   };

#include <atomic>
#include <functional>
#include <map>
#include <vector>

#include "platform/com/ComObj.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Dispatch.h"
#include "platform/rtl/Variant.h"

using TAutoArgs = std::vector<Variant>;

class TAutoObject : public IDispatch {
 public:
  // Starts with one reference, owned by the creator.
  TAutoObject() = default;
  TAutoObject(const TAutoObject&) = delete;
  TAutoObject& operator=(const TAutoObject&) = delete;

  long AddRef() override;
  long Release() override;
  long RefCount() const { return FRefCount.load(); }

  // Method or property get: a method with that name is called, else the
  // property is read (a property may be called like a method and a method
  // without arguments read like a property, as late binding allows).
  // Property put: the last argument is the value. Raises EOleError
  // "Method 'X' not supported by automation object" for an unknown name and
  // EOleSysError "Invalid number of parameters" for a count out of range;
  // anything the member raises comes back as EOleException with its message.
  Variant Invoke(const AnsiString& Name, TInvokeKind Kind, std::vector<Variant>& Args) override;

  // The names of the members, for diagnostics and tests.
  std::vector<AnsiString> MemberNames() const;

 protected:
  ~TAutoObject() override = default;

  using TMethodHandler = std::function<Variant(TAutoArgs& Args)>;
  using TGetHandler = std::function<Variant(TAutoArgs& Args)>;
  using TPutHandler = std::function<void(TAutoArgs& Args, const Variant& Value)>;

  // MaxArgs -1 means any number from MinArgs on.
  void DefineMethod(const AnsiString& Name, int MinArgs, int MaxArgs, TMethodHandler Handler);
  // A plain property; without a setter it is read-only.
  void DefineProperty(const AnsiString& Name, std::function<Variant()> Get,
                      std::function<void(const Variant&)> Put = {});
  // A property with index arguments (Items[i]); the counts exclude the value.
  void DefineIndexedProperty(const AnsiString& Name, int IndexCount, TGetHandler Get,
                             TPutHandler Put = {});

  // Member-function forms: DefineMethod("Connect", 1, 1, &TServer::Connect).
  template <class T>
  void DefineMethod(const AnsiString& Name, int MinArgs, int MaxArgs, Variant (T::*Fn)(TAutoArgs&)) {
    T* self = static_cast<T*>(this);
    DefineMethod(Name, MinArgs, MaxArgs, [self, Fn](TAutoArgs& A) { return (self->*Fn)(A); });
  }

 private:
  struct TMember {
    AnsiString Name;  // as defined, for messages
    bool IsMethod = false;
    int MinArgs = 0;
    int MaxArgs = 0;
    TMethodHandler Call;  // methods and property gets
    TPutHandler Put;      // property puts
  };

  const TMember& Find(const AnsiString& Name) const;
  static void CheckCount(const TMember& M, size_t Count, int Min, int Max);

  std::atomic<long> FRefCount{1};
  std::map<AnsiString, TMember> FMembers;  // keyed by the upper-case name
};
