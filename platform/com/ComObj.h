#pragma once
// Automation for callers: the errors of automation calls, the class registry
// behind "create an object by class name", and late-bound calls on a Variant
// that holds an automation reference:
//
//   Variant server = CreateOleObject("Brannok.Class1");
//   Variant keys = VarArrayOf({user, program});
//   OleCall(server, "LoadTable", {ByRef(keys)});   // keys receives what the server wrote
//   int kind = OleGet(server, "SQLType").AsInteger();
//
// A call reaches the object through IDispatch::Invoke, so an in-process object
// and a remote one (a proxy over a socket) behave the same.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <type_traits>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Dispatch.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Variant.h"

// Automation status codes that callers and tests look at.
constexpr int32_t E_UNEXPECTED_HR = static_cast<int32_t>(0x8000FFFF);
constexpr int32_t E_FAIL_HR = static_cast<int32_t>(0x80004005);
constexpr int32_t CO_E_CLASSSTRING_HR = static_cast<int32_t>(0x800401F3);
constexpr int32_t DISP_E_UNKNOWNNAME_HR = static_cast<int32_t>(0x80020006);
constexpr int32_t DISP_E_BADPARAMCOUNT_HR = static_cast<int32_t>(0x8002000E);
constexpr int32_t DISP_E_MEMBERNOTFOUND_HR = static_cast<int32_t>(0x80020003);

// An automation call failed on the caller's side (no such member, bad use).
KW_DECLARE_EXCEPTION(EOleError, Exception)

// An automation call failed with a status code ("Invalid class string" for a
// class name nobody registered).
class EOleSysError : public EOleError {
  KW_DECLARE_CLASS(EOleSysError, EOleError)
 public:
  EOleSysError(AnsiString Msg, int32_t Code) : EOleError(std::move(Msg)), ErrorCode(Code) {}
  int32_t ErrorCode;
};

// The called object raised: Message is its text, Source the class of the
// exception it raised. Callers see this whether the object lives in this
// process or behind a socket.
class EOleException : public EOleSysError {
  KW_DECLARE_CLASS(EOleException, EOleSysError)
 public:
  EOleException(AnsiString Msg, int32_t Code, AnsiString ASource, AnsiString AHelpFile = {})
      : EOleSysError(std::move(Msg), Code), Source(std::move(ASource)), HelpFile(std::move(AHelpFile)) {}
  AnsiString Source;
  AnsiString HelpFile;
};

// ---- Class registry ------------------------------------------------------------

// Makes a new object with one reference owned by the caller (the registry
// hands that reference to the Variant it returns).
using TOleFactory = std::function<IDispatch*()>;

// Registers (or replaces) the factory of a class name. Names compare without
// regard to case, as class names in the system registry do. Safe to call from
// any thread.
void RegisterOleClass(const AnsiString& ClassName, TOleFactory Factory);
// Forgets a class name; false when it was not registered.
bool UnregisterOleClass(const AnsiString& ClassName);
bool IsOleClassRegistered(const AnsiString& ClassName);

// A new object of a registered class. Raises EOleSysError "Invalid class
// string" (CO_E_CLASSSTRING) for a name nobody registered, as creating an
// unregistered class does.
Variant CreateOleObject(const AnsiString& ClassName);

// Registers a class at program start: KW_REGISTER_OLE_CLASS("Brannok.Class1", TServerObject)
// for a class with a default constructor.
#define KW_OLE_CAT2(a, b) a##b
#define KW_OLE_CAT(a, b) KW_OLE_CAT2(a, b)
#define KW_REGISTER_OLE_CLASS(Name, Cls)                                                     \
  static const bool KW_OLE_CAT(kw_ole_registrar_, __COUNTER__) = [] {                        \
    RegisterOleClass(Name, []() -> IDispatch* { return new Cls(); });                        \
    return true;                                                                             \
  }();

// ---- Late-bound calls ------------------------------------------------------------

// A by-reference argument: the callee's written-back value lands in the
// caller's variable when the call returns.
struct TByRef {
  Variant* Target;
};
inline TByRef ByRef(Variant& V) { return TByRef{&V}; }

// One argument of a late-bound call: a value, or ByRef(variable).
class TOleArg {
 public:
  template <class T>
    requires(std::is_constructible_v<Variant, T> && !std::is_same_v<std::remove_cvref_t<T>, TByRef>)
  TOleArg(T&& Value) : FValue(std::forward<T>(Value)) {}
  TOleArg(TByRef Ref) : FValue(*Ref.Target), FTarget(Ref.Target) {}

  const Variant& Value() const { return FValue; }
  Variant* Target() const { return FTarget; }

 private:
  Variant FValue;
  Variant* FTarget = nullptr;
};

// An object that can be told which arguments are by reference, so that only
// those travel back (remote proxies). Objects without it simply write into
// the argument list, and the caller copies back the by-reference ones.
class IByRefDispatch {
 public:
  virtual ~IByRefDispatch() = default;
  virtual Variant InvokeByRef(const AnsiString& Name, TInvokeKind Kind, std::vector<Variant>& Args,
                              const std::vector<bool>& ByRefMask) = 0;
};

// Calls a method. Raises EVariantInvalidOpError when Obj holds no automation
// reference; errors of the object come back as EOleError family exceptions.
Variant OleCall(const Variant& Obj, const AnsiString& Name, std::initializer_list<TOleArg> Args = {});
Variant OleCall(const Variant& Obj, const AnsiString& Name, const std::vector<TOleArg>& Args);
// Reads a property (optionally indexed).
Variant OleGet(const Variant& Obj, const AnsiString& Name, std::initializer_list<TOleArg> Args = {});
// Writes a property.
void OleSet(const Variant& Obj, const AnsiString& Name, const Variant& Value);
// The general form: Kind chooses method, get or put.
Variant OleInvoke(const Variant& Obj, const AnsiString& Name, TInvokeKind Kind,
                  const TOleArg* Args, size_t Count);

// True when V holds an automation reference that is not nil.
bool VarIsDispatch(const Variant& V);
