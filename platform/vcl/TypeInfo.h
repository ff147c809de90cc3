#pragma once
// Run-time type information of published properties: what a class publishes
// (name, kind, type name, default), and reading or writing a property by name
// or by dotted path ("Font.Charset") on any object. The form text format, the
// language files, the code-page converter and the property helpers all go
// through here.
//
// Classes publish their properties, methods and component fields in their own
// .cpp file (see Publisher.h); the tables are built on first use. This header
// stays narrow: it is included widely.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/Sets.h"

class Variant;
class TComponent;
class TPublisherBase;
template <class C>
class TPublisher;
struct Currency;
class TDateTime;

// A property that does not exist or cannot take a value.
KW_DECLARE_EXCEPTION(EPropertyError, Exception)
// A value that does not fit the property's type (an unknown enumeration name).
KW_DECLARE_EXCEPTION(EPropertyConvertError, Exception)

enum TTypeKind {
  tkUnknown,
  tkInteger,
  tkChar,
  tkEnumeration,
  tkFloat,
  tkString,
  tkSet,
  tkClass,
  tkMethod,
  tkWChar,
  tkLString,  // AnsiString properties have this kind, as in the run-time
  tkWString,  // WideString properties
  tkVariant,
  tkArray,
  tkRecord,
  tkInterface,
  tkInt64,
  tkDynArray
};
using TTypeKinds = TSet<TTypeKind>;

inline constexpr TTypeKinds tkOrdinal{tkInteger, tkChar, tkEnumeration, tkInt64, tkWChar};
inline constexpr TTypeKinds tkStrings{tkString, tkLString, tkWString};
inline constexpr TTypeKinds tkProperties{tkInteger, tkChar,  tkEnumeration, tkFloat,
                                         tkString,  tkSet,   tkClass,       tkMethod,
                                         tkWChar,   tkLString, tkWString,   tkVariant,
                                         tkInt64};

enum TOrdType { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
enum TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

// A name for an integer value, as colour, cursor and charset identifiers are.
struct TIdentMapEntry {
  int32_t Value;
  const char* Name;
};

// The type of a property. Made once per type and never freed; compared by
// address or by name.
class TTypeInfo {
 public:
  TTypeKind Kind = tkUnknown;
  AnsiString Name;  // "Integer", "TColor", "TFont", "TNotifyEvent" ...
  TOrdType OrdType = otSLong;
  int64_t MinValue = 0;
  int64_t MaxValue = 0;
  TFloatType FloatType = ftDouble;
  std::vector<AnsiString> EnumNames;      // enumerations: the names of 0, 1, 2 ...
  const TTypeInfo* CompType = nullptr;    // sets: the element type
  const TClassInfo* ClassType = nullptr;  // classes
  const void* Signature = nullptr;        // methods: which handler shape fits
  const TIdentMapEntry* Idents = nullptr; // integers with identifier names
  size_t IdentCount = 0;

  bool IsOrdinal() const { return tkOrdinal.Contains(Kind); }
  bool IsString() const { return tkStrings.Contains(Kind); }
};

// Makers of type information; each result lives for the whole program and is
// also found by name with FindTypeInfo (the first type of a name wins).
const TTypeInfo& MakeIntegerTypeInfo(const char* Name, TOrdType OrdType, int64_t MinValue,
                                     int64_t MaxValue, const TIdentMapEntry* Idents = nullptr,
                                     size_t IdentCount = 0);
const TTypeInfo& MakeEnumTypeInfo(const char* Name, std::initializer_list<const char*> Names);
const TTypeInfo& MakeSetTypeInfo(const char* Name, const TTypeInfo& CompType);
const TTypeInfo& MakeMethodTypeInfo(const char* Name, const void* Signature);
const TTypeInfo& MakeSimpleTypeInfo(const char* Name, TTypeKind Kind);
const TTypeInfo& MakeFloatTypeInfo(const char* Name, TFloatType FloatType);
// The type of a class-typed property; one per class.
const TTypeInfo& ClassTypeInfo(const TClassInfo& Class);
const TTypeInfo* FindTypeInfo(const AnsiString& Name);

// The type information of a C++ type. Declared for the types below; an enum,
// a set or an event type declares its own with KW_DECLARE_TYPEINFO in its
// header and defines it in a .cpp with one of the KW_DEFINE_... macros.
template <class T>
const TTypeInfo* TypeInfoOf();

#define KW_DECLARE_TYPEINFO(T) \
  template <>                  \
  const TTypeInfo* TypeInfoOf<T>();

#define KW_DEFINE_ENUM_TYPEINFO(T, ...)                                \
  template <>                                                          \
  const TTypeInfo* TypeInfoOf<T>() {                                   \
    static const TTypeInfo& info = MakeEnumTypeInfo(#T, {__VA_ARGS__}); \
    return &info;                                                      \
  }
#define KW_DEFINE_SET_TYPEINFO(T, Element)                                       \
  template <>                                                                    \
  const TTypeInfo* TypeInfoOf<T>() {                                             \
    static const TTypeInfo& info = MakeSetTypeInfo(#T, *TypeInfoOf<Element>()); \
    return &info;                                                                \
  }
#define KW_DEFINE_EVENT_TYPEINFO(T)                                          \
  template <>                                                                \
  const TTypeInfo* TypeInfoOf<T>() {                                         \
    static const TTypeInfo& info = MakeMethodTypeInfo(#T, T::Signature());   \
    return &info;                                                            \
  }

KW_DECLARE_TYPEINFO(bool)
KW_DECLARE_TYPEINFO(char)
KW_DECLARE_TYPEINFO(signed char)
KW_DECLARE_TYPEINFO(unsigned char)
KW_DECLARE_TYPEINFO(short)
KW_DECLARE_TYPEINFO(unsigned short)
KW_DECLARE_TYPEINFO(int)
KW_DECLARE_TYPEINFO(unsigned)
KW_DECLARE_TYPEINFO(long)
KW_DECLARE_TYPEINFO(long long)
KW_DECLARE_TYPEINFO(float)
KW_DECLARE_TYPEINFO(double)
KW_DECLARE_TYPEINFO(TDateTime)
KW_DECLARE_TYPEINFO(Currency)
KW_DECLARE_TYPEINFO(AnsiString)
KW_DECLARE_TYPEINFO(WideString)
KW_DECLARE_TYPEINFO(Variant)
KW_DECLARE_TYPEINFO(TNotifyEvent)
KW_DECLARE_TYPEINFO(TKeyEvent)
KW_DECLARE_TYPEINFO(TKeyPressEvent)
KW_DECLARE_TYPEINFO(TCloseEvent)
KW_DECLARE_TYPEINFO(TCloseQueryEvent)
KW_DECLARE_TYPEINFO(TCloseAction)
KW_DECLARE_TYPEINFO(TShiftStateFlag)
KW_DECLARE_TYPEINFO(TShiftState)

// How a property's value is read and written. Each property has one, made by
// the Publisher.h adaptors; only the operations of its kind are answered
// (ordinal kinds and sets: Ord; floats: Float; strings: Str; classes: Object;
// methods: Method; variants: Variant). The others raise EPropertyError.
class TPropAccessor {
 public:
  virtual ~TPropAccessor() = default;
  virtual bool Writable() const = 0;
  virtual int64_t GetOrd(TObject* Instance) const;
  virtual void SetOrd(TObject* Instance, int64_t Value) const;
  virtual double GetFloat(TObject* Instance) const;
  virtual void SetFloat(TObject* Instance, double Value) const;
  virtual AnsiString GetStr(TObject* Instance) const;
  virtual void SetStr(TObject* Instance, const AnsiString& Value) const;
  virtual TObject* GetObject(TObject* Instance) const;
  virtual void SetObject(TObject* Instance, TObject* Value) const;
  virtual TMethod GetMethod(TObject* Instance) const;
  virtual void SetMethod(TObject* Instance, const TMethod& Value) const;
  virtual Variant GetVariant(TObject* Instance) const;
  virtual void SetVariant(TObject* Instance, const Variant& Value) const;
};

// One published property.
class TPropInfo {
 public:
  static constexpr int64_t NoDefault = INT64_MIN;

  AnsiString Name;
  const TTypeInfo* PropType = nullptr;
  const TClassInfo* DeclaringClass = nullptr;
  // Ordinal and set properties: the value that is not written ("default").
  int64_t Default = NoDefault;
  // "stored False", or a test of the instance.
  bool Stored = true;
  bool (*StoredTest)(const TObject* Instance) = nullptr;
  std::unique_ptr<TPropAccessor> Access;

  TTypeKind Kind() const { return PropType->Kind; }
  bool Writable() const { return Access->Writable(); }
  bool HasDefault() const { return Default != NoDefault; }
};

// One published method: found by name so that "OnClick = btnOkClick" binds.
struct TMethodEntry {
  AnsiString Name;
  void* Code = nullptr;
  const void* Signature = nullptr;
  // The instance as the class that declares the method (the Data half).
  void* (*DataOf)(TObject* Instance) = nullptr;
};

// One published component field ("btnOk"): set when a component of that name
// joins the owner and cleared when it leaves.
struct TFieldEntry {
  AnsiString Name;
  const TClassInfo* FieldClass = nullptr;
  // Stores Value (already checked to be a FieldClass) into Instance's field.
  void (*Assign)(TObject* Instance, TComponent* Value) = nullptr;
};

// ---- Lookup ---------------------------------------------------------------

// A published property by name (ignoring case); nullptr when there is none.
const TPropInfo* GetPropInfo(const TObject* Instance, const AnsiString& PropName);
const TPropInfo* GetPropInfo(const TClassInfo& Class, const AnsiString& PropName);
// Whether the class publishes the property; a dotted path is followed.
bool IsPublishedProp(const TObject* Instance, const AnsiString& Path);
// Published properties of a class: ancestors' first, in registration order; a
// property published again by a descendant keeps its ancestor's place.
std::vector<const TPropInfo*> GetPropList(const TClassInfo& Class,
                                          TTypeKinds Kinds = tkProperties);
std::vector<const TPropInfo*> GetPropList(const TObject* Instance,
                                          TTypeKinds Kinds = tkProperties);
// The property type of a published property, or nullptr.
const TTypeInfo* PropType(const TObject* Instance, const AnsiString& PropName);
TTypeKind PropKind(const TObject* Instance, const AnsiString& PropName);

// Follows a dotted path: every step but the last names a class-typed property
// whose object must exist. Raises EPropertyError "Property X does not exist"
// or "Invalid property path" when it cannot.
struct TPropTarget {
  TObject* Instance = nullptr;
  const TPropInfo* Prop = nullptr;
};
TPropTarget ResolvePropPath(TObject* Instance, const AnsiString& Path);

// ---- Typed access ---------------------------------------------------------
// Each raises EPropertyError when the property's kind does not fit. Ordinal
// values of sets are their bit sets.

int64_t GetOrdProp(const TObject* Instance, const TPropInfo* Prop);
int64_t GetOrdProp(const TObject* Instance, const AnsiString& PropName);
void SetOrdProp(TObject* Instance, const TPropInfo* Prop, int64_t Value);
void SetOrdProp(TObject* Instance, const AnsiString& PropName, int64_t Value);
AnsiString GetEnumProp(const TObject* Instance, const AnsiString& PropName);
void SetEnumProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value);
AnsiString GetSetProp(const TObject* Instance, const AnsiString& PropName, bool Brackets = false);
void SetSetProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value);
double GetFloatProp(const TObject* Instance, const TPropInfo* Prop);
double GetFloatProp(const TObject* Instance, const AnsiString& PropName);
void SetFloatProp(TObject* Instance, const TPropInfo* Prop, double Value);
void SetFloatProp(TObject* Instance, const AnsiString& PropName, double Value);
// Wide-string properties are converted with the process code page.
AnsiString GetStrProp(const TObject* Instance, const TPropInfo* Prop);
AnsiString GetStrProp(const TObject* Instance, const AnsiString& PropName);
void SetStrProp(TObject* Instance, const TPropInfo* Prop, const AnsiString& Value);
void SetStrProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value);
TObject* GetObjectProp(const TObject* Instance, const TPropInfo* Prop);
TObject* GetObjectProp(const TObject* Instance, const AnsiString& PropName);
// Raises EPropertyError when Value is not of the property's class.
void SetObjectProp(TObject* Instance, const TPropInfo* Prop, TObject* Value);
void SetObjectProp(TObject* Instance, const AnsiString& PropName, TObject* Value);
TMethod GetMethodProp(const TObject* Instance, const TPropInfo* Prop);
TMethod GetMethodProp(const TObject* Instance, const AnsiString& PropName);
void SetMethodProp(TObject* Instance, const TPropInfo* Prop, const TMethod& Value);
void SetMethodProp(TObject* Instance, const AnsiString& PropName, const TMethod& Value);
Variant GetVariantProp(const TObject* Instance, const TPropInfo* Prop);
void SetVariantProp(TObject* Instance, const TPropInfo* Prop, const Variant& Value);

// ---- Generic access by path -----------------------------------------------

// The value of any non-method property as a Variant: integers, floats and
// strings as such; enumerations and sets as their names ("[fsBold]" without
// brackets: "fsBold") when PreferStrings, else as numbers; Boolean as a
// boolean; a class-typed property as its component's name (empty for none or
// for a non-component object). Raises EPropertyError for a method property.
Variant GetPropValue(const TObject* Instance, const AnsiString& Path, bool PreferStrings = true);
// Sets any non-method property from a Variant; texts are turned into numbers,
// enumeration names, set texts, identifiers (colour names ...) as the type
// needs. A class-typed property takes a component name of the instance's
// root (or an empty text for none). Raises EPropertyError / EPropertyConvertError.
void SetPropValue(TObject* Instance, const AnsiString& Path, const Variant& Value);

// The same through text, as the form text format and language files see
// values: identifiers for integers with names ("clRed"), enumeration names,
// "[a,b]" sets, floats with "." as decimal point, methods as their published
// method names on the root.
AnsiString GetPropText(const TObject* Instance, const AnsiString& Path);
void SetPropText(TObject* Instance, const AnsiString& Path, const AnsiString& Text);

// ---- Enumerations, sets, integers with identifiers -------------------------

// The name of an enumeration value; empty when out of range.
AnsiString GetEnumName(const TTypeInfo* Type, int Value);
// The value of a name (ignoring case); -1 when there is none. Boolean takes
// "True"/"False".
int GetEnumValue(const TTypeInfo* Type, const AnsiString& Name);
// "fsBold,fsItalic" ("[fsBold,fsItalic]" with Brackets) of a bit set.
AnsiString SetToString(const TTypeInfo* SetType, uint32_t Value, bool Brackets = false);
AnsiString SetToString(const TPropInfo* Prop, uint32_t Value, bool Brackets = false);
// Parses "[a, b]" or "a,b" (blanks allowed); raises EPropertyConvertError
// "Invalid property element: x" for an unknown name.
uint32_t StringToSet(const TTypeInfo* SetType, const AnsiString& Value);
uint32_t StringToSet(const TPropInfo* Prop, const AnsiString& Value);
// Identifier of an integer value of a type with names ("clRed" for 255 in
// TColor); false when the type has no names or the value none.
bool IntToIdent(const TTypeInfo* Type, int64_t Value, AnsiString& Ident);
bool IdentToInt(const TTypeInfo* Type, const AnsiString& Ident, int64_t& Value);

// ---- Stored and default values ----------------------------------------------

// False for "stored False" properties and when the stored test says so.
bool IsStoredProp(const TObject* Instance, const TPropInfo* Prop);
// Whether the property holds the value that need not be written: the declared
// default for ordinals and sets, 0 for floats, an empty text, an unassigned
// method or variant, a null object.
bool IsDefaultPropValue(const TObject* Instance, const TPropInfo* Prop);

// ---- Published methods and fields ------------------------------------------

// The published method of Instance's class chain with that name (ignoring
// case), bound to Instance; an empty TMethod when there is none.
TMethod FindPublishedMethod(TObject* Instance, const AnsiString& Name);
const TMethodEntry* FindMethodEntry(const TClassInfo& Class, const AnsiString& Name);
// The name of a published method of Root's class chain whose code is Code;
// empty when there is none.
AnsiString MethodName(const TObject* Root, const void* Code);
const TFieldEntry* FindFieldEntry(const TClassInfo& Class, const AnsiString& Name);

// Copies every writable, stored published property of Source to Dest (same
// class or a descendant): ordinals, floats, strings, methods and variants by
// value; objects that are not components with Assign. Components referenced
// by class-typed properties are shared, not copied.
void AssignPublishedProperties(TObject* Dest, const TObject* Source);
