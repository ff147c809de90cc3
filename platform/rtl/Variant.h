#pragma once
// Variant: the dynamically typed value of automation calls, data sets and
// option arrays, with the run-time's type codes, conversion rules and error
// texts. The host and the plug-in exchange these values, so the type codes
// are the automation ones.
//
// Layout: a type code and one 8-byte slot. Numbers, dates, booleans and the
// automation reference live in the slot; texts and arrays live out of line.
// Texts are immutable once stored, so copies share one text block; arrays are
// copied deeply, as automation variant copies are.

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <type_traits>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Dispatch.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/ValueTypes.h"

using TVarType = uint16_t;

constexpr TVarType varEmpty = 0x0000;
constexpr TVarType varNull = 0x0001;
constexpr TVarType varSmallint = 0x0002;
constexpr TVarType varInteger = 0x0003;
constexpr TVarType varSingle = 0x0004;
constexpr TVarType varDouble = 0x0005;
constexpr TVarType varCurrency = 0x0006;
constexpr TVarType varDate = 0x0007;
constexpr TVarType varOleStr = 0x0008;
constexpr TVarType varDispatch = 0x0009;
constexpr TVarType varError = 0x000A;
constexpr TVarType varBoolean = 0x000B;
constexpr TVarType varVariant = 0x000C;
constexpr TVarType varUnknown = 0x000D;
constexpr TVarType varShortInt = 0x0010;
constexpr TVarType varByte = 0x0011;
constexpr TVarType varWord = 0x0012;
constexpr TVarType varLongWord = 0x0013;
constexpr TVarType varInt64 = 0x0014;
constexpr TVarType varUInt64 = 0x0015;
constexpr TVarType varString = 0x0100;  // ANSI text in the process code page
constexpr TVarType varTypeMask = 0x0FFF;
constexpr TVarType varArray = 0x2000;
constexpr TVarType varByRef = 0x4000;

// Error kinds the run-time raises beside those in Exceptions.h.
KW_DECLARE_EXCEPTION(EVariantInvalidOpError, EVariantError)
KW_DECLARE_EXCEPTION(EVariantArrayLockedError, EVariantError)
KW_DECLARE_EXCEPTION(EVariantBadVarTypeError, EVariantError)

// The result of VarCompareValue.
enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };

struct TVarArrayData;

class Variant {
 public:
  Variant() noexcept : FInt(0) {}
  Variant(bool Value) noexcept : FType(varBoolean), FInt(Value ? -1 : 0) {}
  // Integers keep their width and sign, as the run-time's assignments do:
  // int -> Integer, int64_t -> Int64, short -> Smallint, unsigned char -> Byte ...
  template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char> && !std::same_as<T, wchar_t> &&
             !std::same_as<T, char8_t> && !std::same_as<T, char16_t> && !std::same_as<T, char32_t>)
  Variant(T Value) noexcept : FType(IntegerTypeOf<T>()) {
    if constexpr (std::is_signed_v<T>)
      FInt = static_cast<int64_t>(Value);
    else
      FUInt = static_cast<uint64_t>(Value);
  }
  // A character is a one-character text, as a Char assigned to a Variant is.
  Variant(char Value);
  Variant(float Value) noexcept : FType(varSingle), FDouble(Value) {}
  Variant(double Value) noexcept : FType(varDouble), FDouble(Value) {}
  Variant(long double Value) noexcept : FType(varDouble), FDouble(static_cast<double>(Value)) {}
  Variant(Currency Value) noexcept : FType(varCurrency), FInt(Value.Scaled) {}
  Variant(TDateTime Value) noexcept : FType(varDate), FDouble(Value.Value) {}
  Variant(const char* Value);
  Variant(const AnsiString& Value);
  Variant(const char16_t* Value);
  Variant(const WideString& Value);
  // Takes a reference of its own (AddRef); a null pointer gives a cleared
  // dispatch variant.
  Variant(IDispatch* Value) noexcept : FType(varDispatch), FDispatch(Value) {
    if (FDispatch) FDispatch->AddRef();
  }
  Variant(const DispatchPtr& Value) noexcept : Variant(Value.Get()) {}
  template <class T>
    requires std::derived_from<T, IDispatch>
  Variant(T* Value) noexcept : Variant(static_cast<IDispatch*>(Value)) {}
  // Any other pointer would silently become a boolean.
  template <class T>
    requires(!std::derived_from<T, IDispatch> && !std::same_as<std::remove_cv_t<T>, char> &&
             !std::same_as<std::remove_cv_t<T>, char16_t>)
  Variant(T*) = delete;
  Variant(std::nullptr_t) = delete;
  Variant(wchar_t) = delete;
  Variant(char8_t) = delete;
  Variant(char16_t) = delete;
  Variant(char32_t) = delete;

  Variant(const Variant& Other);
  Variant(Variant&& Other) noexcept : FType(Other.FType), FUInt(Other.FUInt) {
    Other.FType = varEmpty;
    Other.FInt = 0;
  }
  Variant& operator=(const Variant& Other);
  Variant& operator=(Variant&& Other) noexcept;
  ~Variant() {
    if (FType >= varOleStr) Release();
  }

  static Variant Null() noexcept {
    Variant v;
    v.FType = varNull;
    return v;
  }

  TVarType VarType() const noexcept { return FType; }
  bool IsEmpty() const noexcept { return FType == varEmpty; }
  bool IsNull() const noexcept { return FType == varNull; }
  bool IsArray() const noexcept { return (FType & varArray) != 0; }

  // Conversions with the run-time's rules. Empty gives 0, "", false or date 0;
  // Null raises EVariantTypeCastError; a value out of the target's range
  // raises EVariantOverflowError.
  AnsiString AsString() const;
  WideString AsWideString() const;
  int AsInteger() const;
  int64_t AsInt64() const;
  double AsFloat() const;
  Currency AsCurrency() const;
  TDateTime AsDate() const;
  bool AsBoolean() const;
  // The held automation reference without a new reference (nullptr when the
  // variant is Empty or holds a cleared reference).
  IDispatch* AsDispatch() const;

  // Array elements; one index for each dimension, within the bounds.
  Variant GetElement(std::initializer_list<int> Indexes) const;
  Variant GetElement(const std::vector<int>& Indexes) const;
  void PutElement(std::initializer_list<int> Indexes, const Variant& Value);
  void PutElement(const std::vector<int>& Indexes, const Variant& Value);
  // One-dimensional arrays. The writable form hands out the element itself,
  // so nested arrays can be changed in place (V[1][0] = x); it needs an array
  // of Variants, since typed arrays keep raw values that are converted on
  // every put (use PutElement for those).
  Variant& operator[](int Index);
  Variant operator[](int Index) const;

  friend bool operator==(const Variant& A, const Variant& B);
  friend bool operator<(const Variant& A, const Variant& B);
  friend bool operator<=(const Variant& A, const Variant& B);
  friend bool operator>(const Variant& A, const Variant& B);
  friend bool operator>=(const Variant& A, const Variant& B);
  friend Variant operator+(const Variant& A, const Variant& B);
  friend Variant operator-(const Variant& A, const Variant& B);
  friend Variant operator*(const Variant& A, const Variant& B);
  friend Variant operator/(const Variant& A, const Variant& B);
  Variant& operator+=(const Variant& Other) { return *this = *this + Other; }
  Variant& operator-=(const Variant& Other) { return *this = *this - Other; }

 private:
  friend struct TVariantAccess;

  template <class T>
  static constexpr TVarType IntegerTypeOf() {
    if constexpr (std::is_signed_v<T>) {
      if constexpr (sizeof(T) == 1) return varShortInt;
      else if constexpr (sizeof(T) == 2) return varSmallint;
      else if constexpr (sizeof(T) == 4) return varInteger;
      else return varInt64;
    } else {
      if constexpr (sizeof(T) == 1) return varByte;
      else if constexpr (sizeof(T) == 2) return varWord;
      else if constexpr (sizeof(T) == 4) return varLongWord;
      else return varUInt64;
    }
  }

  // Frees what the variant owns (text, array, reference) without resetting it.
  void Release() noexcept;

  TVarType FType = varEmpty;
  union {
    int64_t FInt;       // signed integer kinds, Boolean (-1/0), Currency (scaled), Error code
    uint64_t FUInt;     // unsigned integer kinds
    double FDouble;     // Single, Double, Date
    void* FText;        // String, OleStr: a shared immutable text block
    TVarArrayData* FArray;
    IDispatch* FDispatch;
  };
};

// The run-time's Unassigned and Null values.
inline Variant Unassigned() { return Variant(); }
inline Variant Null() { return Variant::Null(); }
// An Error variant carrying an automation status code (for example the
// "parameter not found" code that stands for an omitted optional argument).
Variant VarAsError(int32_t Code);

TVarType VarType(const Variant& V);
bool VarIsEmpty(const Variant& V);
bool VarIsNull(const Variant& V);
// Empty, or an automation reference that is nil.
bool VarIsClear(const Variant& V);
bool VarIsStr(const Variant& V);
// Integer kinds and Boolean.
bool VarIsOrdinal(const Variant& V);
// Single, Double and Currency.
bool VarIsFloat(const Variant& V);
bool VarIsNumeric(const Variant& V);
bool VarIsArray(const Variant& V);
bool VarIsError(const Variant& V);

// Text of a value; Null gives "" (VarToStr) or Default (VarToStrDef).
AnsiString VarToStr(const Variant& V);
AnsiString VarToStrDef(const Variant& V, const AnsiString& Default);
WideString VarToWideStr(const Variant& V);
WideString VarToWideStrDef(const Variant& V, const WideString& Default);
// Converts to the given simple type (not an array type), with the rules of
// the As... accessors.
Variant VarAsType(const Variant& V, TVarType Type);
// "Integer", "String", "Array Variant", ... as the run-time names them.
AnsiString VarTypeAsText(TVarType Type);
// Empty equals only Empty and Null only Null; other values compare with ==.
bool VarSameValue(const Variant& A, const Variant& B);
TVariantRelationship VarCompareValue(const Variant& A, const Variant& B);
void VarClear(Variant& V);

// Arrays. Bounds come in pairs, low and high, one pair per dimension:
// VarArrayCreate({0, 3, 1, 7}, varVariant) has 4 x 7 elements. Element types
// are the automation ones (not varString); Variant elements start Empty,
// numbers zero, texts empty.
Variant VarArrayCreate(std::initializer_list<int> Bounds, TVarType ElementType);
Variant VarArrayCreate(const std::vector<int>& Bounds, TVarType ElementType);
// A one-dimensional array of Variants, bounds 0..n-1.
Variant VarArrayOf(std::initializer_list<Variant> Values);
Variant VarArrayOf(const std::vector<Variant>& Values);
int VarArrayDimCount(const Variant& A);
// Dim counts from 1.
int VarArrayLowBound(const Variant& A, int Dim);
int VarArrayHighBound(const Variant& A, int Dim);
// Changes the high bound of the last dimension, keeping existing elements.
void VarArrayRedim(Variant& A, int HighBound);
Variant VarArrayGet(const Variant& A, const std::vector<int>& Indexes);
void VarArrayPut(Variant& A, const Variant& Value, const std::vector<int>& Indexes);
// Direct access to the elements (raw values for typed arrays, Variant objects
// for Variant, OleStr and Dispatch arrays), first dimension fastest. The
// array cannot be resized until it is unlocked.
void* VarArrayLock(Variant& A);
void VarArrayUnlock(Variant& A);
