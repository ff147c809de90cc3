#include "platform/com/ComObj.h"

#include <map>
#include <mutex>

#include "platform/rtl/AnsiText.h"

namespace {

struct TClassTable {
  std::mutex Lock;
  // Keyed by the upper-case name: class names ignore case.
  std::map<AnsiString, TOleFactory> Factories;
};

TClassTable& Classes() {
  static TClassTable table;
  return table;
}

}  // namespace

void RegisterOleClass(const AnsiString& ClassName, TOleFactory Factory) {
  TClassTable& t = Classes();
  std::lock_guard guard(t.Lock);
  t.Factories[UpperCase(ClassName)] = std::move(Factory);
}

bool UnregisterOleClass(const AnsiString& ClassName) {
  TClassTable& t = Classes();
  std::lock_guard guard(t.Lock);
  return t.Factories.erase(UpperCase(ClassName)) > 0;
}

bool IsOleClassRegistered(const AnsiString& ClassName) {
  TClassTable& t = Classes();
  std::lock_guard guard(t.Lock);
  return t.Factories.count(UpperCase(ClassName)) > 0;
}

Variant CreateOleObject(const AnsiString& ClassName) {
  TOleFactory factory;
  {
    TClassTable& t = Classes();
    std::lock_guard guard(t.Lock);
    auto it = t.Factories.find(UpperCase(ClassName));
    if (it != t.Factories.end()) factory = it->second;
  }
  if (!factory) throw EOleSysError("Invalid class string", CO_E_CLASSSTRING_HR);
  // The factory's reference goes to the Variant: adopt it, then let the
  // temporary holder go without a second release.
  DispatchPtr created = DispatchPtr::Attach(factory());
  if (!created) throw EOleSysError("Invalid class string", CO_E_CLASSSTRING_HR);
  return Variant(created);
}

bool VarIsDispatch(const Variant& V) {
  return V.VarType() == varDispatch && V.AsDispatch() != nullptr;
}

Variant OleInvoke(const Variant& Obj, const AnsiString& Name, TInvokeKind Kind, const TOleArg* Args,
                  size_t Count) {
  if (Obj.VarType() != varDispatch) throw EVariantInvalidOpError("Invalid variant operation");
  // Hold a reference of our own for the length of the call: the callee may
  // drop the caller's last one (a Close that releases the server object).
  DispatchPtr target(Obj.AsDispatch());
  if (!target) throw EVariantInvalidOpError("Invalid variant operation");

  std::vector<Variant> values;
  values.reserve(Count);
  std::vector<bool> byRef(Count, false);
  bool anyByRef = false;
  for (size_t i = 0; i < Count; ++i) {
    values.push_back(Args[i].Value());
    if (Args[i].Target()) byRef[i] = anyByRef = true;
  }

  Variant result;
  if (auto* refAware = dynamic_cast<IByRefDispatch*>(target.Get()))
    result = refAware->InvokeByRef(Name, Kind, values, byRef);
  else
    result = target->Invoke(Name, Kind, values);

  if (anyByRef && values.size() == Count)
    for (size_t i = 0; i < Count; ++i)
      if (Args[i].Target()) *Args[i].Target() = std::move(values[i]);
  return result;
}

Variant OleCall(const Variant& Obj, const AnsiString& Name, std::initializer_list<TOleArg> Args) {
  return OleInvoke(Obj, Name, TInvokeKind::Method, Args.begin(), Args.size());
}

Variant OleCall(const Variant& Obj, const AnsiString& Name, const std::vector<TOleArg>& Args) {
  return OleInvoke(Obj, Name, TInvokeKind::Method, Args.data(), Args.size());
}

Variant OleGet(const Variant& Obj, const AnsiString& Name, std::initializer_list<TOleArg> Args) {
  return OleInvoke(Obj, Name, TInvokeKind::PropertyGet, Args.begin(), Args.size());
}

void OleSet(const Variant& Obj, const AnsiString& Name, const Variant& Value) {
  TOleArg arg(Value);
  OleInvoke(Obj, Name, TInvokeKind::PropertyPut, &arg, 1);
}
