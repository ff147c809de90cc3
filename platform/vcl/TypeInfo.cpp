#include "platform/vcl/TypeInfo.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/ClassTables.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Publisher.h"

// ---- Type information --------------------------------------------------------

namespace {

struct TTypeRegistry {
  std::mutex Lock;
  std::map<AnsiString, const TTypeInfo*> ByName;  // upper-cased names
  std::map<AnsiString, const TTypeInfo*> Classes; // by class name
};

TTypeRegistry& Types() {
  static TTypeRegistry* R = new TTypeRegistry;
  return *R;
}

// Type information lives as long as the program: properties point to it.
const TTypeInfo& Keep(TTypeInfo* Info) {
  TTypeRegistry& R = Types();
  std::lock_guard<std::mutex> Guard(R.Lock);
  R.ByName.try_emplace(UpperCase(Info->Name), Info);
  return *Info;
}

[[noreturn]] void KindError(const TPropInfo* Prop) {
  throw EPropertyError(Format("Invalid property type: %s", {Prop->PropType->Name}));
}

[[noreturn]] void UnknownProperty(const AnsiString& Name) {
  throw EPropertyError(Format("Property %s does not exist", {Name}));
}

const TPropInfo* RequireProp(const TObject* Instance, const AnsiString& Name) {
  const TPropInfo* P = GetPropInfo(Instance, Name);
  if (!P) UnknownProperty(Name);
  return P;
}

TObject* Mutable(const TObject* Instance) { return const_cast<TObject*>(Instance); }

enum class TGroup { Ordinal, Set, Float, Str, Class, Method, Var, Other };

TGroup GroupOf(TTypeKind Kind) {
  switch (Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
    case tkInt64:
      return TGroup::Ordinal;
    case tkSet:
      return TGroup::Set;
    case tkFloat:
      return TGroup::Float;
    case tkString:
    case tkLString:
    case tkWString:
      return TGroup::Str;
    case tkClass:
      return TGroup::Class;
    case tkMethod:
      return TGroup::Method;
    case tkVariant:
      return TGroup::Var;
    default:
      return TGroup::Other;
  }
}

const TFormatSettings& PointSettings() {
  static const TFormatSettings S{};
  return S;
}

// The chain of objects whose components and methods a property value may
// name: the instance, its owner, the owner's owner ...
std::vector<TObject*> LookupChain(const TObject* Instance) {
  std::vector<TObject*> Chain{Mutable(Instance)};
  if (auto* C = ObjectAs<TComponent>(Instance))
    for (TComponent* O = C->Owner(); O; O = O->Owner()) Chain.push_back(O);
  return Chain;
}

TComponent* FindComponentByName(const TObject* Instance, const AnsiString& Name) {
  for (TObject* O : LookupChain(Instance)) {
    auto* C = ObjectAs<TComponent>(O);
    if (!C) continue;
    if (SameText(C->Name(), Name)) return C;
    if (TComponent* Found = C->FindComponent(Name)) return Found;
  }
  return nullptr;
}

void CheckRange(const TPropInfo* Prop, int64_t Value) {
  const TTypeInfo* T = Prop->PropType;
  bool Bad = false;
  if (T->Kind == tkSet) {
    const TTypeInfo* C = T->CompType;
    uint64_t Allowed = C->MaxValue >= 31 ? 0xFFFFFFFFull : ((1ull << (C->MaxValue + 1)) - 1);
    Bad = Value < 0 || (static_cast<uint64_t>(Value) & ~Allowed) != 0;
  } else if (T->MinValue < T->MaxValue) {
    Bad = Value < T->MinValue || Value > T->MaxValue;
  }
  if (Bad) throw EPropertyConvertError("Range check error");
}

int64_t TextToOrd(const TPropInfo* Prop, const AnsiString& Raw) {
  const TTypeInfo* T = Prop->PropType;
  AnsiString Text = Trim(Raw);
  int64_t Number = 0;
  switch (T->Kind) {
    case tkEnumeration: {
      int V = GetEnumValue(T, Text);
      if (V < 0) throw EPropertyConvertError(Format("Invalid property element: %s", {Text}));
      return V;
    }
    case tkSet:
      if (TryStrToInt64(Text, Number)) return Number;
      return StringToSet(T, Text);
    case tkChar:
    case tkWChar:
      if (Raw.size() == 1) return static_cast<unsigned char>(Raw[0]);
      return StrToInt64(Text);
    default:
      if (IdentToInt(T, Text, Number)) return Number;
      return StrToInt64(Text);
  }
}

AnsiString OrdToText(const TTypeInfo* T, int64_t Value) {
  switch (T->Kind) {
    case tkEnumeration:
      return GetEnumName(T, static_cast<int>(Value));
    case tkSet:
      return SetToString(T, static_cast<uint32_t>(Value), true);
    case tkChar:
    case tkWChar:
      return AnsiString(1, static_cast<char>(Value));
    default: {
      AnsiString Ident;
      if (IntToIdent(T, Value, Ident)) return Ident;
      return IntToStr(static_cast<long long>(Value));
    }
  }
}

bool IsBooleanType(const TTypeInfo* T) {
  return T->Kind == tkEnumeration && T == TypeInfoOf<bool>();
}

}  // namespace

const TTypeInfo& MakeIntegerTypeInfo(const char* Name, TOrdType OrdType, int64_t MinValue,
                                     int64_t MaxValue, const TIdentMapEntry* Idents,
                                     size_t IdentCount) {
  auto* T = new TTypeInfo;
  T->Kind = tkInteger;
  T->Name = Name;
  T->OrdType = OrdType;
  T->MinValue = MinValue;
  T->MaxValue = MaxValue;
  T->Idents = Idents;
  T->IdentCount = IdentCount;
  return Keep(T);
}

const TTypeInfo& MakeEnumTypeInfo(const char* Name, std::initializer_list<const char*> Names) {
  auto* T = new TTypeInfo;
  T->Kind = tkEnumeration;
  T->Name = Name;
  for (const char* N : Names) T->EnumNames.emplace_back(N);
  T->MinValue = 0;
  T->MaxValue = static_cast<int64_t>(T->EnumNames.size()) - 1;
  T->OrdType = T->EnumNames.size() <= 256 ? otUByte : otUWord;
  return Keep(T);
}

const TTypeInfo& MakeSetTypeInfo(const char* Name, const TTypeInfo& CompType) {
  auto* T = new TTypeInfo;
  T->Kind = tkSet;
  T->Name = Name;
  T->CompType = &CompType;
  T->OrdType = otULong;
  return Keep(T);
}

const TTypeInfo& MakeMethodTypeInfo(const char* Name, const void* Signature) {
  auto* T = new TTypeInfo;
  T->Kind = tkMethod;
  T->Name = Name;
  T->Signature = Signature;
  return Keep(T);
}

const TTypeInfo& MakeSimpleTypeInfo(const char* Name, TTypeKind Kind) {
  auto* T = new TTypeInfo;
  T->Kind = Kind;
  T->Name = Name;
  return Keep(T);
}

const TTypeInfo& MakeFloatTypeInfo(const char* Name, TFloatType FloatType) {
  auto* T = new TTypeInfo;
  T->Kind = tkFloat;
  T->Name = Name;
  T->FloatType = FloatType;
  return Keep(T);
}

const TTypeInfo& ClassTypeInfo(const TClassInfo& Class) {
  TTypeRegistry& R = Types();
  {
    std::lock_guard<std::mutex> Guard(R.Lock);
    auto It = R.Classes.find(Class.Name);
    if (It != R.Classes.end()) return *It->second;
  }
  auto* T = new TTypeInfo;
  T->Kind = tkClass;
  T->Name = Class.Name;
  T->ClassType = &Class;
  std::lock_guard<std::mutex> Guard(R.Lock);
  auto [It, Added] = R.Classes.try_emplace(Class.Name, T);
  if (!Added) {
    delete T;
    return *It->second;
  }
  R.ByName.try_emplace(UpperCase(T->Name), T);
  return *T;
}

const TTypeInfo* FindTypeInfo(const AnsiString& Name) {
  TTypeRegistry& R = Types();
  std::lock_guard<std::mutex> Guard(R.Lock);
  auto It = R.ByName.find(UpperCase(Name));
  return It == R.ByName.end() ? nullptr : It->second;
}

#define KW_BUILTIN(T, Expr)               \
  template <>                             \
  const TTypeInfo* TypeInfoOf<T>() {      \
    static const TTypeInfo& info = Expr;  \
    return &info;                         \
  }

KW_BUILTIN(bool, MakeEnumTypeInfo("Boolean", {"False", "True"}))
namespace {
const TTypeInfo& MakeCharTypeInfo() {
  auto* T = new TTypeInfo;
  T->Kind = tkChar;
  T->Name = "Char";
  T->OrdType = otUByte;
  T->MinValue = 0;
  T->MaxValue = 255;
  return Keep(T);
}
}  // namespace
KW_BUILTIN(char, MakeCharTypeInfo())
KW_BUILTIN(signed char, MakeIntegerTypeInfo("ShortInt", otSByte, -128, 127))
KW_BUILTIN(unsigned char, MakeIntegerTypeInfo("Byte", otUByte, 0, 255))
KW_BUILTIN(short, MakeIntegerTypeInfo("SmallInt", otSWord, -32768, 32767))
KW_BUILTIN(unsigned short, MakeIntegerTypeInfo("Word", otUWord, 0, 65535))
KW_BUILTIN(int, MakeIntegerTypeInfo("Integer", otSLong, INT32_MIN, INT32_MAX))
KW_BUILTIN(unsigned, MakeIntegerTypeInfo("Cardinal", otULong, 0, UINT32_MAX))
KW_BUILTIN(long, MakeSimpleTypeInfo("Int64", tkInt64))
template <>
const TTypeInfo* TypeInfoOf<long long>() {
  return TypeInfoOf<long>();
}
KW_BUILTIN(float, MakeFloatTypeInfo("Single", ftSingle))
KW_BUILTIN(double, MakeFloatTypeInfo("Double", ftDouble))
KW_BUILTIN(TDateTime, MakeFloatTypeInfo("TDateTime", ftDouble))
KW_BUILTIN(Currency, MakeFloatTypeInfo("Currency", ftCurr))
KW_BUILTIN(AnsiString, MakeSimpleTypeInfo("String", tkLString))
KW_BUILTIN(WideString, MakeSimpleTypeInfo("WideString", tkWString))
KW_BUILTIN(Variant, MakeSimpleTypeInfo("Variant", tkVariant))

KW_DEFINE_EVENT_TYPEINFO(TNotifyEvent)
KW_DEFINE_EVENT_TYPEINFO(TKeyEvent)
KW_DEFINE_EVENT_TYPEINFO(TKeyPressEvent)
KW_DEFINE_EVENT_TYPEINFO(TCloseEvent)
KW_DEFINE_EVENT_TYPEINFO(TCloseQueryEvent)
KW_DEFINE_ENUM_TYPEINFO(TCloseAction, "caNone", "caHide", "caFree", "caMinimize")
KW_DEFINE_ENUM_TYPEINFO(TShiftStateFlag, "ssShift", "ssAlt", "ssCtrl", "ssLeft", "ssRight",
                        "ssMiddle", "ssDouble")
KW_DEFINE_SET_TYPEINFO(TShiftState, TShiftStateFlag)

// ---- Accessor defaults: the kinds a property does not have ---------------------

namespace {
[[noreturn]] void WrongAccess() { throw EPropertyError("Invalid property type"); }
}  // namespace

int64_t TPropAccessor::GetOrd(TObject*) const { WrongAccess(); }
void TPropAccessor::SetOrd(TObject*, int64_t) const { WrongAccess(); }
double TPropAccessor::GetFloat(TObject*) const { WrongAccess(); }
void TPropAccessor::SetFloat(TObject*, double) const { WrongAccess(); }
AnsiString TPropAccessor::GetStr(TObject*) const { WrongAccess(); }
void TPropAccessor::SetStr(TObject*, const AnsiString&) const { WrongAccess(); }
TObject* TPropAccessor::GetObject(TObject*) const { WrongAccess(); }
void TPropAccessor::SetObject(TObject*, TObject*) const { WrongAccess(); }
TMethod TPropAccessor::GetMethod(TObject*) const { WrongAccess(); }
void TPropAccessor::SetMethod(TObject*, const TMethod&) const { WrongAccess(); }
Variant TPropAccessor::GetVariant(TObject*) const { WrongAccess(); }
void TPropAccessor::SetVariant(TObject*, const Variant&) const { WrongAccess(); }

namespace kw_publish {
void ReadOnlyError() { throw EPropertyError("Property is read-only"); }

void CheckTypeOverride(const TPropInfo& Prop, const TTypeInfo& Type) {
  if (GroupOf(Prop.PropType->Kind) != GroupOf(Type.Kind))
    throw EPropertyError(Format("Type %s does not fit property %s of type %s",
                                {Type.Name, Prop.Name, Prop.PropType->Name}));
}
}  // namespace kw_publish

// ---- Lookup -------------------------------------------------------------------

const TPropInfo* GetPropInfo(const TClassInfo& Class, const AnsiString& PropName) {
  AnsiString Name = Trim(PropName);
  for (const TPropInfo* P : MergedProperties(Class))
    if (SameText(P->Name, Name)) return P;
  return nullptr;
}

const TPropInfo* GetPropInfo(const TObject* Instance, const AnsiString& PropName) {
  if (!Instance) return nullptr;
  return GetPropInfo(Instance->ClassType(), PropName);
}

std::vector<const TPropInfo*> GetPropList(const TClassInfo& Class, TTypeKinds Kinds) {
  std::vector<const TPropInfo*> Result;
  for (const TPropInfo* P : MergedProperties(Class))
    if (Kinds.Contains(P->Kind())) Result.push_back(P);
  return Result;
}

std::vector<const TPropInfo*> GetPropList(const TObject* Instance, TTypeKinds Kinds) {
  if (!Instance) return {};
  return GetPropList(Instance->ClassType(), Kinds);
}

bool IsPublishedProp(const TObject* Instance, const AnsiString& Path) {
  try {
    return ResolvePropPath(Mutable(Instance), Path).Prop != nullptr;
  } catch (const EPropertyError&) {
    return false;
  }
}

const TTypeInfo* PropType(const TObject* Instance, const AnsiString& PropName) {
  const TPropInfo* P = GetPropInfo(Instance, PropName);
  return P ? P->PropType : nullptr;
}

TTypeKind PropKind(const TObject* Instance, const AnsiString& PropName) {
  const TTypeInfo* T = PropType(Instance, PropName);
  return T ? T->Kind : tkUnknown;
}

TPropTarget ResolvePropPath(TObject* Instance, const AnsiString& Path) {
  if (!Instance) throw EPropertyError("Invalid property path");
  TObject* Current = Instance;
  size_t Start = 0;
  for (;;) {
    size_t Dot = Path.find('.', Start);
    AnsiString Step = Trim(Path.substr(Start, Dot == AnsiString::npos ? AnsiString::npos : Dot - Start));
    if (Step.empty()) throw EPropertyError("Invalid property path");
    const TPropInfo* P = GetPropInfo(Current, Step);
    if (!P) UnknownProperty(Step);
    if (Dot == AnsiString::npos) return {Current, P};
    if (P->Kind() != tkClass) throw EPropertyError("Invalid property path");
    Current = P->Access->GetObject(Current);
    if (!Current) throw EPropertyError("Invalid property path");
    Start = Dot + 1;
  }
}

// ---- Typed access ----------------------------------------------------------------

int64_t GetOrdProp(const TObject* Instance, const TPropInfo* Prop) {
  TGroup G = GroupOf(Prop->Kind());
  if (G != TGroup::Ordinal && G != TGroup::Set) KindError(Prop);
  return Prop->Access->GetOrd(Mutable(Instance));
}
int64_t GetOrdProp(const TObject* Instance, const AnsiString& PropName) {
  return GetOrdProp(Instance, RequireProp(Instance, PropName));
}
void SetOrdProp(TObject* Instance, const TPropInfo* Prop, int64_t Value) {
  TGroup G = GroupOf(Prop->Kind());
  if (G != TGroup::Ordinal && G != TGroup::Set) KindError(Prop);
  CheckRange(Prop, Value);
  Prop->Access->SetOrd(Instance, Value);
}
void SetOrdProp(TObject* Instance, const AnsiString& PropName, int64_t Value) {
  SetOrdProp(Instance, RequireProp(Instance, PropName), Value);
}

AnsiString GetEnumProp(const TObject* Instance, const AnsiString& PropName) {
  const TPropInfo* P = RequireProp(Instance, PropName);
  if (P->Kind() != tkEnumeration) KindError(P);
  return GetEnumName(P->PropType, static_cast<int>(GetOrdProp(Instance, P)));
}
void SetEnumProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value) {
  const TPropInfo* P = RequireProp(Instance, PropName);
  if (P->Kind() != tkEnumeration) KindError(P);
  SetOrdProp(Instance, P, TextToOrd(P, Value));
}
AnsiString GetSetProp(const TObject* Instance, const AnsiString& PropName, bool Brackets) {
  const TPropInfo* P = RequireProp(Instance, PropName);
  if (P->Kind() != tkSet) KindError(P);
  return SetToString(P->PropType, static_cast<uint32_t>(GetOrdProp(Instance, P)), Brackets);
}
void SetSetProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value) {
  const TPropInfo* P = RequireProp(Instance, PropName);
  if (P->Kind() != tkSet) KindError(P);
  SetOrdProp(Instance, P, StringToSet(P->PropType, Value));
}

double GetFloatProp(const TObject* Instance, const TPropInfo* Prop) {
  if (Prop->Kind() != tkFloat) KindError(Prop);
  return Prop->Access->GetFloat(Mutable(Instance));
}
double GetFloatProp(const TObject* Instance, const AnsiString& PropName) {
  return GetFloatProp(Instance, RequireProp(Instance, PropName));
}
void SetFloatProp(TObject* Instance, const TPropInfo* Prop, double Value) {
  if (Prop->Kind() != tkFloat) KindError(Prop);
  Prop->Access->SetFloat(Instance, Value);
}
void SetFloatProp(TObject* Instance, const AnsiString& PropName, double Value) {
  SetFloatProp(Instance, RequireProp(Instance, PropName), Value);
}

AnsiString GetStrProp(const TObject* Instance, const TPropInfo* Prop) {
  if (!Prop->PropType->IsString()) KindError(Prop);
  return Prop->Access->GetStr(Mutable(Instance));
}
AnsiString GetStrProp(const TObject* Instance, const AnsiString& PropName) {
  return GetStrProp(Instance, RequireProp(Instance, PropName));
}
void SetStrProp(TObject* Instance, const TPropInfo* Prop, const AnsiString& Value) {
  if (!Prop->PropType->IsString()) KindError(Prop);
  Prop->Access->SetStr(Instance, Value);
}
void SetStrProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value) {
  SetStrProp(Instance, RequireProp(Instance, PropName), Value);
}

TObject* GetObjectProp(const TObject* Instance, const TPropInfo* Prop) {
  if (Prop->Kind() != tkClass) KindError(Prop);
  return Prop->Access->GetObject(Mutable(Instance));
}
TObject* GetObjectProp(const TObject* Instance, const AnsiString& PropName) {
  return GetObjectProp(Instance, RequireProp(Instance, PropName));
}
void SetObjectProp(TObject* Instance, const TPropInfo* Prop, TObject* Value) {
  if (Prop->Kind() != tkClass) KindError(Prop);
  if (Value && !Value->InheritsFrom(*Prop->PropType->ClassType))
    throw EPropertyError(Format("Invalid property value: %s is not a %s",
                                {Value->ClassName(), Prop->PropType->Name}));
  Prop->Access->SetObject(Instance, Value);
}
void SetObjectProp(TObject* Instance, const AnsiString& PropName, TObject* Value) {
  SetObjectProp(Instance, RequireProp(Instance, PropName), Value);
}

TMethod GetMethodProp(const TObject* Instance, const TPropInfo* Prop) {
  if (Prop->Kind() != tkMethod) KindError(Prop);
  return Prop->Access->GetMethod(Mutable(Instance));
}
TMethod GetMethodProp(const TObject* Instance, const AnsiString& PropName) {
  return GetMethodProp(Instance, RequireProp(Instance, PropName));
}
void SetMethodProp(TObject* Instance, const TPropInfo* Prop, const TMethod& Value) {
  if (Prop->Kind() != tkMethod) KindError(Prop);
  Prop->Access->SetMethod(Instance, Value);
}
void SetMethodProp(TObject* Instance, const AnsiString& PropName, const TMethod& Value) {
  SetMethodProp(Instance, RequireProp(Instance, PropName), Value);
}

Variant GetVariantProp(const TObject* Instance, const TPropInfo* Prop) {
  if (Prop->Kind() != tkVariant) KindError(Prop);
  return Prop->Access->GetVariant(Mutable(Instance));
}
void SetVariantProp(TObject* Instance, const TPropInfo* Prop, const Variant& Value) {
  if (Prop->Kind() != tkVariant) KindError(Prop);
  Prop->Access->SetVariant(Instance, Value);
}

// ---- Generic access ------------------------------------------------------------------

Variant GetPropValue(const TObject* Instance, const AnsiString& Path, bool PreferStrings) {
  TPropTarget T = ResolvePropPath(Mutable(Instance), Path);
  const TPropInfo* P = T.Prop;
  const TTypeInfo* Type = P->PropType;
  switch (GroupOf(Type->Kind)) {
    case TGroup::Ordinal: {
      int64_t V = GetOrdProp(T.Instance, P);
      if (IsBooleanType(Type)) return Variant(V != 0);
      if (Type->Kind == tkEnumeration && PreferStrings) return Variant(GetEnumName(Type, static_cast<int>(V)));
      if (Type->Kind == tkInt64) return Variant(V);
      return Variant(static_cast<int>(V));
    }
    case TGroup::Set: {
      int64_t V = GetOrdProp(T.Instance, P);
      if (PreferStrings) return Variant(SetToString(Type, static_cast<uint32_t>(V), false));
      return Variant(static_cast<int>(V));
    }
    case TGroup::Float: {
      double V = GetFloatProp(T.Instance, P);
      if (Type == TypeInfoOf<TDateTime>()) return Variant(TDateTime(V));
      if (Type->FloatType == ftCurr) return Variant(Currency::FromDouble(V));
      return Variant(V);
    }
    case TGroup::Str:
      if (Type->Kind == tkWString) return Variant(AnsiToWide(GetStrProp(T.Instance, P)));
      return Variant(GetStrProp(T.Instance, P));
    case TGroup::Class: {
      auto* C = ObjectAs<TComponent>(GetObjectProp(T.Instance, P));
      return Variant(C ? C->Name() : AnsiString());
    }
    case TGroup::Var:
      return GetVariantProp(T.Instance, P);
    default:
      KindError(P);
  }
}

void SetPropValue(TObject* Instance, const AnsiString& Path, const Variant& Value) {
  TPropTarget T = ResolvePropPath(Instance, Path);
  const TPropInfo* P = T.Prop;
  const TTypeInfo* Type = P->PropType;
  switch (GroupOf(Type->Kind)) {
    case TGroup::Ordinal:
    case TGroup::Set:
      if (VarIsStr(Value))
        SetOrdProp(T.Instance, P, TextToOrd(P, VarToStr(Value)));
      else if (IsBooleanType(Type))
        SetOrdProp(T.Instance, P, Value.AsBoolean() ? 1 : 0);
      else
        SetOrdProp(T.Instance, P, Value.AsInt64());
      break;
    case TGroup::Float:
      if (VarIsStr(Value))
        SetFloatProp(T.Instance, P, StrToFloat(Trim(VarToStr(Value)), PointSettings()));
      else
        SetFloatProp(T.Instance, P, Value.AsFloat());
      break;
    case TGroup::Str:
      SetStrProp(T.Instance, P, VarToStr(Value));
      break;
    case TGroup::Class: {
      AnsiString Name = Trim(VarToStr(Value));
      if (Name.empty() || SameText(Name, "nil")) {
        SetObjectProp(T.Instance, P, nullptr);
        break;
      }
      TComponent* C = FindComponentByName(T.Instance, Name);
      if (!C) throw EPropertyConvertError(Format("Invalid property value: %s", {Name}));
      SetObjectProp(T.Instance, P, C);
      break;
    }
    case TGroup::Var:
      SetVariantProp(T.Instance, P, Value);
      break;
    default:
      KindError(P);
  }
}

AnsiString GetPropText(const TObject* Instance, const AnsiString& Path) {
  TPropTarget T = ResolvePropPath(Mutable(Instance), Path);
  const TPropInfo* P = T.Prop;
  switch (GroupOf(P->Kind())) {
    case TGroup::Ordinal:
    case TGroup::Set:
      return OrdToText(P->PropType, GetOrdProp(T.Instance, P));
    case TGroup::Float:
      return FloatToStr(GetFloatProp(T.Instance, P), PointSettings());
    case TGroup::Str:
      return GetStrProp(T.Instance, P);
    case TGroup::Class: {
      auto* C = ObjectAs<TComponent>(GetObjectProp(T.Instance, P));
      return C ? C->Name() : AnsiString();
    }
    case TGroup::Method: {
      TMethod M = GetMethodProp(T.Instance, P);
      if (!M.Code) return {};
      for (TObject* O : LookupChain(T.Instance)) {
        AnsiString Name = MethodName(O, M.Code);
        if (!Name.empty()) {
          const TMethodEntry* E = FindMethodEntry(O->ClassType(), Name);
          if (E && E->DataOf(O) == M.Data) return Name;
        }
      }
      return {};
    }
    case TGroup::Var:
      return VarToStr(GetVariantProp(T.Instance, P));
    default:
      KindError(P);
  }
}

void SetPropText(TObject* Instance, const AnsiString& Path, const AnsiString& Text) {
  TPropTarget T = ResolvePropPath(Instance, Path);
  const TPropInfo* P = T.Prop;
  if (P->Kind() == tkMethod) {
    AnsiString Name = Trim(Text);
    if (Name.empty() || SameText(Name, "nil")) {
      SetMethodProp(T.Instance, P, TMethod{});
      return;
    }
    for (TObject* O : LookupChain(T.Instance)) {
      const TMethodEntry* E = FindMethodEntry(O->ClassType(), Name);
      if (!E) continue;
      if (E->Signature != P->PropType->Signature)
        throw EPropertyConvertError(
            Format("Method '%s' has an incompatible parameter list", {Name}));
      SetMethodProp(T.Instance, P, TMethod{E->Code, E->DataOf(O)});
      return;
    }
    throw EPropertyConvertError(Format("Method '%s' not found", {Name}));
  }
  if (P->Kind() == tkVariant) {
    SetVariantProp(T.Instance, P, Variant(Text));
    return;
  }
  SetPropValue(T.Instance, P->Name, Variant(Text));
}

// ---- Enumerations, sets, identifiers ------------------------------------------------------

AnsiString GetEnumName(const TTypeInfo* Type, int Value) {
  if (!Type || Type->Kind != tkEnumeration) return {};
  if (Value < 0 || Value >= static_cast<int>(Type->EnumNames.size())) return {};
  return Type->EnumNames[Value];
}

int GetEnumValue(const TTypeInfo* Type, const AnsiString& Name) {
  if (!Type || Type->Kind != tkEnumeration) return -1;
  AnsiString N = Trim(Name);
  for (size_t i = 0; i < Type->EnumNames.size(); ++i)
    if (SameText(Type->EnumNames[i], N)) return static_cast<int>(i);
  return -1;
}

AnsiString SetToString(const TTypeInfo* SetType, uint32_t Value, bool Brackets) {
  AnsiString Result;
  const TTypeInfo* Comp = SetType ? SetType->CompType : nullptr;
  for (int Bit = 0; Bit < 32; ++Bit) {
    if (!(Value & (uint32_t{1} << Bit))) continue;
    if (!Result.empty()) Result += ',';
    AnsiString Name = GetEnumName(Comp, Bit);
    Result += Name.empty() ? IntToStr(Bit) : Name;
  }
  return Brackets ? "[" + Result + "]" : Result;
}

AnsiString SetToString(const TPropInfo* Prop, uint32_t Value, bool Brackets) {
  return SetToString(Prop->PropType, Value, Brackets);
}

uint32_t StringToSet(const TTypeInfo* SetType, const AnsiString& Value) {
  AnsiString Text = Trim(Value);
  if (!Text.empty() && Text.front() == '[') Text.erase(0, 1);
  if (!Text.empty() && Text.back() == ']') Text.pop_back();
  uint32_t Result = 0;
  size_t Start = 0;
  while (Start <= Text.size()) {
    size_t Comma = Text.find(',', Start);
    AnsiString Name = Trim(Text.substr(Start, Comma == AnsiString::npos ? AnsiString::npos : Comma - Start));
    if (!Name.empty()) {
      int V = GetEnumValue(SetType ? SetType->CompType : nullptr, Name);
      if (V < 0 || V > 31) throw EPropertyConvertError(Format("Invalid property element: %s", {Name}));
      Result |= uint32_t{1} << V;
    } else if (Comma != AnsiString::npos) {
      throw EPropertyConvertError(Format("Invalid property element: %s", {Name}));
    }
    if (Comma == AnsiString::npos) break;
    Start = Comma + 1;
  }
  return Result;
}

uint32_t StringToSet(const TPropInfo* Prop, const AnsiString& Value) {
  return StringToSet(Prop->PropType, Value);
}

bool IntToIdent(const TTypeInfo* Type, int64_t Value, AnsiString& Ident) {
  if (!Type || !Type->Idents) return false;
  for (size_t i = 0; i < Type->IdentCount; ++i)
    if (Type->Idents[i].Value == Value) {
      Ident = Type->Idents[i].Name;
      return true;
    }
  return false;
}

bool IdentToInt(const TTypeInfo* Type, const AnsiString& Ident, int64_t& Value) {
  if (!Type || !Type->Idents) return false;
  AnsiString N = Trim(Ident);
  for (size_t i = 0; i < Type->IdentCount; ++i)
    if (SameText(Type->Idents[i].Name, N)) {
      Value = Type->Idents[i].Value;
      return true;
    }
  return false;
}

// ---- Stored and default values ---------------------------------------------------------------

bool IsStoredProp(const TObject* Instance, const TPropInfo* Prop) {
  if (!Prop->Stored) return false;
  return !Prop->StoredTest || Prop->StoredTest(Instance);
}

bool IsDefaultPropValue(const TObject* Instance, const TPropInfo* Prop) {
  switch (GroupOf(Prop->Kind())) {
    case TGroup::Ordinal:
    case TGroup::Set:
      return Prop->HasDefault() && GetOrdProp(Instance, Prop) == Prop->Default;
    case TGroup::Float:
      return GetFloatProp(Instance, Prop) == 0;
    case TGroup::Str:
      return GetStrProp(Instance, Prop).empty();
    case TGroup::Class:
      return GetObjectProp(Instance, Prop) == nullptr;
    case TGroup::Method:
      return !GetMethodProp(Instance, Prop).Assigned();
    case TGroup::Var:
      return VarIsEmpty(GetVariantProp(Instance, Prop));
    default:
      return true;
  }
}

// ---- Published methods and fields -------------------------------------------------------------

const TMethodEntry* FindMethodEntry(const TClassInfo& Class, const AnsiString& Name) {
  for (const TClassInfo* C = &Class; C; C = C->Parent)
    if (const TPublisherBase* T = OwnTables(*C))
      for (const TMethodEntry& E : T->Methods)
        if (SameText(E.Name, Name)) return &E;
  return nullptr;
}

TMethod FindPublishedMethod(TObject* Instance, const AnsiString& Name) {
  if (!Instance) return {};
  const TMethodEntry* E = FindMethodEntry(Instance->ClassType(), Trim(Name));
  if (!E) return {};
  return TMethod{E->Code, E->DataOf(Instance)};
}

AnsiString MethodName(const TObject* Root, const void* Code) {
  if (!Root || !Code) return {};
  for (const TClassInfo* C = &Root->ClassType(); C; C = C->Parent)
    if (const TPublisherBase* T = OwnTables(*C))
      for (const TMethodEntry& E : T->Methods)
        if (E.Code == Code) return E.Name;
  return {};
}

const TFieldEntry* FindFieldEntry(const TClassInfo& Class, const AnsiString& Name) {
  for (const TClassInfo* C = &Class; C; C = C->Parent)
    if (const TPublisherBase* T = OwnTables(*C))
      for (const TFieldEntry& E : T->Fields)
        if (SameText(E.Name, Name)) return &E;
  return nullptr;
}

void AssignPublishedProperties(TObject* Dest, const TObject* Source) {
  for (const TPropInfo* SP : GetPropList(Source)) {
    const TPropInfo* P = GetPropInfo(Dest, SP->Name);
    if (!P || P->PropType != SP->PropType || !IsStoredProp(Source, SP)) continue;
    TGroup G = GroupOf(P->Kind());
    if (G == TGroup::Class) {
      TObject* From = GetObjectProp(Source, SP);
      if (auto* Comp = ObjectAs<TComponent>(From)) {
        if (P->Writable()) SetObjectProp(Dest, P, Comp);
        continue;
      }
      auto* To = ObjectAs<TPersistent>(GetObjectProp(Dest, P));
      auto* FromP = ObjectAs<TPersistent>(From);
      if (To && FromP && To != FromP)
        To->Assign(FromP);
      else if (!FromP && P->Writable())
        SetObjectProp(Dest, P, nullptr);
      continue;
    }
    if (!P->Writable()) continue;
    switch (G) {
      case TGroup::Ordinal:
      case TGroup::Set:
        SetOrdProp(Dest, P, GetOrdProp(Source, SP));
        break;
      case TGroup::Float:
        SetFloatProp(Dest, P, GetFloatProp(Source, SP));
        break;
      case TGroup::Str:
        SetStrProp(Dest, P, GetStrProp(Source, SP));
        break;
      case TGroup::Method:
        SetMethodProp(Dest, P, GetMethodProp(Source, SP));
        break;
      case TGroup::Var:
        SetVariantProp(Dest, P, GetVariantProp(Source, SP));
        break;
      default:
        break;
    }
  }
}
