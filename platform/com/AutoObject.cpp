#include "platform/com/AutoObject.h"

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/Format.h"

long TAutoObject::AddRef() { return ++FRefCount; }

long TAutoObject::Release() {
  long count = --FRefCount;
  if (count == 0) delete this;
  return count;
}

void TAutoObject::DefineMethod(const AnsiString& Name, int MinArgs, int MaxArgs,
                               TMethodHandler Handler) {
  TMember m;
  m.Name = Name;
  m.IsMethod = true;
  m.MinArgs = MinArgs;
  m.MaxArgs = MaxArgs;
  m.Call = std::move(Handler);
  FMembers[UpperCase(Name)] = std::move(m);
}

void TAutoObject::DefineProperty(const AnsiString& Name, std::function<Variant()> Get,
                                 std::function<void(const Variant&)> Put) {
  TPutHandler put;
  if (Put) put = [Put](TAutoArgs&, const Variant& Value) { Put(Value); };
  DefineIndexedProperty(
      Name, 0, [Get](TAutoArgs&) { return Get(); }, std::move(put));
}

void TAutoObject::DefineIndexedProperty(const AnsiString& Name, int IndexCount, TGetHandler Get,
                                        TPutHandler Put) {
  TMember m;
  m.Name = Name;
  m.MinArgs = m.MaxArgs = IndexCount;
  m.Call = std::move(Get);
  m.Put = std::move(Put);
  FMembers[UpperCase(Name)] = std::move(m);
}

std::vector<AnsiString> TAutoObject::MemberNames() const {
  std::vector<AnsiString> names;
  for (const auto& entry : FMembers) names.push_back(entry.second.Name);
  return names;
}

const TAutoObject::TMember& TAutoObject::Find(const AnsiString& Name) const {
  auto it = FMembers.find(UpperCase(Name));
  if (it == FMembers.end())
    throw EOleError(Format("Method '%s' not supported by automation object", {Name}));
  return it->second;
}

void TAutoObject::CheckCount(const TMember& M, size_t Count, int Min, int Max) {
  if (Count < static_cast<size_t>(Min) || (Max >= 0 && Count > static_cast<size_t>(Max)))
    throw EOleSysError(Format("Invalid number of parameters for '%s'", {M.Name}),
                       DISP_E_BADPARAMCOUNT_HR);
}

Variant TAutoObject::Invoke(const AnsiString& Name, TInvokeKind Kind, std::vector<Variant>& Args) {
  // Keep the object alive through the call even if the member drops the last
  // outside reference.
  DispatchPtr self(this);
  const TMember& m = Find(Name);
  try {
    if (Kind == TInvokeKind::PropertyPut) {
      if (m.IsMethod)
        throw EOleSysError(Format("'%s' is a method, not a property", {m.Name}),
                           DISP_E_MEMBERNOTFOUND_HR);
      if (!m.Put)
        throw EOleSysError(Format("Property '%s' is read-only", {m.Name}), DISP_E_MEMBERNOTFOUND_HR);
      if (Args.empty()) CheckCount(m, 0, 1, 1);
      CheckCount(m, Args.size() - 1, m.MinArgs, m.MaxArgs);
      Variant value = Args.back();
      std::vector<Variant> index(Args.begin(), Args.end() - 1);
      m.Put(index, value);
      return Variant();
    }
    CheckCount(m, Args.size(), m.MinArgs, m.MaxArgs);
    return m.Call(Args);
  } catch (const EOleError&) {
    throw;
  } catch (const Exception& e) {
    throw EOleException(e.Message, E_UNEXPECTED_HR, e.ClassName());
  } catch (const std::bad_alloc&) {
    throw EOleException("Out of memory", E_UNEXPECTED_HR, "EOutOfMemory");
  } catch (const std::exception& e) {
    throw EOleException(e.what(), E_UNEXPECTED_HR, "Exception");
  }
}
