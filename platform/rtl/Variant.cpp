#include "platform/rtl/Variant.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <new>
#include <string_view>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Numbers.h"

// ---- texts --------------------------------------------------------------------
// A text is stored once and shared by every copy of the variant: a reference
// count, the length and the characters with a terminating zero, in one
// allocation. A null pointer is the empty text, so "" costs nothing.
namespace {

struct TextHeader {
  std::atomic<uint32_t> Refs;
  size_t Length;
};

template <class C>
void* NewText(std::basic_string_view<C> S) {
  if (S.empty()) return nullptr;
  void* mem = ::operator new(sizeof(TextHeader) + (S.size() + 1) * sizeof(C));
  auto* header = new (mem) TextHeader{{1}, S.size()};
  C* chars = reinterpret_cast<C*>(header + 1);
  std::memcpy(chars, S.data(), S.size() * sizeof(C));
  chars[S.size()] = C{};
  return mem;
}

template <class C>
std::basic_string_view<C> TextOf(const void* Text) {
  if (!Text) return {};
  auto* header = static_cast<const TextHeader*>(Text);
  return {reinterpret_cast<const C*>(header + 1), header->Length};
}

void AddRefText(void* Text) {
  if (Text) static_cast<TextHeader*>(Text)->Refs.fetch_add(1, std::memory_order_relaxed);
}

void ReleaseText(void* Text) {
  if (!Text) return;
  auto* header = static_cast<TextHeader*>(Text);
  if (header->Refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    header->~TextHeader();
    ::operator delete(Text);
  }
}

// Wide texts meet ANSI texts through the process code page.
AnsiString WideToAnsiText(std::u16string_view S) { return WideToAnsi(WideString(S)); }
WideString AnsiToWideText(std::string_view S) { return AnsiToWide(AnsiString(S)); }

// ---- errors -------------------------------------------------------------------

[[noreturn]] void CastError(TVarType From, TVarType To) {
  throw EVariantTypeCastError("Could not convert variant of type (" + VarTypeAsText(From) +
                              ") into type (" + VarTypeAsText(To) + ")");
}

[[noreturn]] void OverflowError(TVarType From, TVarType To) {
  throw EVariantOverflowError("Overflow while converting variant of type (" + VarTypeAsText(From) +
                              ") into type (" + VarTypeAsText(To) + ")");
}

[[noreturn]] void InvalidOp() { throw EVariantInvalidOpError("Invalid variant operation"); }
[[noreturn]] void InvalidArg() { throw EVariantInvalidArgError("Invalid argument"); }
[[noreturn]] void BadIndex() { throw EVariantBadIndexError("Variant or safe array index out of bounds"); }
[[noreturn]] void ArrayCreateError() {
  throw EVariantArrayCreateError("Error creating variant or safe array");
}
[[noreturn]] void NotAnArray() { throw EVariantNotAnArrayError("Variant is not an array"); }
[[noreturn]] void ArrayLocked() { throw EVariantArrayLockedError("Variant or safe array is locked"); }
[[noreturn]] void ValueOverflow() { throw EVariantOverflowError("Variant overflow"); }

// ---- numbers ------------------------------------------------------------------

// The run-time's rounding: to the nearest integer, a half to the even one.
long double RoundHalfEven(long double Value) {
  long double whole = std::floor(Value);
  long double fraction = Value - whole;
  if (fraction > 0.5L || (fraction == 0.5L && std::fmod(whole, 2.0L) != 0)) whole += 1;
  return whole;
}

// False when the rounded value does not fit in 64 bits or is not a number.
bool RoundToInt64(long double Value, int64_t& Result) {
  if (std::isnan(Value)) return false;
  long double whole = RoundHalfEven(Value);
  // 2^63 is exact in long double; the range is [-2^63, 2^63).
  if (whole < -9223372036854775808.0L || whole >= 9223372036854775808.0L) return false;
  Result = static_cast<int64_t>(whole);
  return true;
}

// Divides with the run-time's rounding (a half to the even neighbour).
__int128 RoundScaled(__int128 Value, int64_t Divisor) {
  __int128 quotient = Value / Divisor;
  __int128 remainder = Value % Divisor;
  __int128 twice = remainder * 2;
  if (twice < 0) twice = -twice;
  if (twice > Divisor || (twice == Divisor && (quotient % 2) != 0))
    quotient += (Value < 0) ? -1 : 1;
  return quotient;
}

bool FitsInt64(__int128 Value) {
  return Value >= std::numeric_limits<int64_t>::min() && Value <= std::numeric_limits<int64_t>::max();
}

// Texts are read with surrounding blanks removed, as automation conversions
// do (database columns often come padded).
std::string_view TrimBlanks(std::string_view S) {
  size_t first = 0, last = S.size();
  while (first < last && static_cast<unsigned char>(S[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(S[last - 1]) <= ' ') --last;
  return S.substr(first, last - first);
}

bool IsIntegerType(TVarType T) {
  switch (T) {
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord:
    case varLongWord: case varInt64: case varUInt64:
      return true;
    default:
      return false;
  }
}

bool IsUnsignedType(TVarType T) {
  return T == varByte || T == varWord || T == varLongWord || T == varUInt64;
}

// Integer kinds of at most 32 bits: arithmetic on them stays an Integer while
// the result fits.
bool IsNarrowIntegerType(TVarType T) {
  switch (T) {
    case varEmpty: case varSmallint: case varInteger: case varShortInt: case varByte:
    case varWord: case varBoolean:
      return true;
    default:
      return false;
  }
}

// ---- arrays -------------------------------------------------------------------

size_t ElementSize(TVarType T) {
  switch (T) {
    case varShortInt: case varByte: return 1;
    case varSmallint: case varWord: case varBoolean: return 2;
    case varInteger: case varLongWord: case varSingle: case varError: return 4;
    case varDouble: case varCurrency: case varDate: case varInt64: case varUInt64: return 8;
    default: return 0;  // held as Variant objects
  }
}

bool IsValidArrayElementType(TVarType T) {
  return ElementSize(T) != 0 || T == varVariant || T == varOleStr || T == varDispatch;
}

constexpr int MaxArrayDims = 64;

}  // namespace

struct TVarArrayBound {
  int LowBound;
  int64_t Count;
};

struct TVarArrayData {
  TVarType ElementType = varVariant;
  int LockCount = 0;
  std::vector<TVarArrayBound> Bounds;  // the first dimension first
  std::vector<Variant> Items;          // Variant, OleStr and Dispatch elements
  std::vector<unsigned char> Raw;      // every other element type

  bool HoldsVariants() const { return ElementSize(ElementType) == 0; }

  // The first dimension varies fastest, so growing the last dimension only
  // appends.
  size_t Offset(const int* Indexes, size_t Count) const {
    if (Count != Bounds.size()) BadIndex();
    size_t offset = 0, stride = 1;
    for (size_t d = 0; d < Count; ++d) {
      int64_t position = static_cast<int64_t>(Indexes[d]) - Bounds[d].LowBound;
      if (position < 0 || position >= Bounds[d].Count) BadIndex();
      offset += static_cast<size_t>(position) * stride;
      stride *= static_cast<size_t>(Bounds[d].Count);
    }
    return offset;
  }

  Variant FillValue() const {
    if (ElementType == varOleStr) return Variant(WideString());
    if (ElementType == varDispatch) return Variant(static_cast<IDispatch*>(nullptr));
    return Variant();
  }

  void Resize(size_t Elements) {
    if (HoldsVariants())
      Items.resize(Elements, FillValue());
    else
      Raw.resize(Elements * ElementSize(ElementType));
  }
};

// The private state of Variant, for the functions of this file.
struct TVariantAccess {
  static int64_t Int(const Variant& V) { return V.FInt; }
  static uint64_t UInt(const Variant& V) { return V.FUInt; }
  static std::string_view Ansi(const Variant& V) { return TextOf<char>(V.FText); }
  static std::u16string_view Wide(const Variant& V) { return TextOf<char16_t>(V.FText); }
  static TVarArrayData* Array(const Variant& V) { return V.FArray; }
  static IDispatch* Dispatch(const Variant& V) { return V.FDispatch; }

  // A text operand as the number and date readers take it.
  static AnsiString TextToParse(const Variant& V) {
    AnsiString text = V.FType == varString ? AnsiString(Ansi(V)) : WideToAnsiText(Wide(V));
    return AnsiString(TrimBlanks(text));
  }

  static Variant FromArray(TVarArrayData* Data) {
    Variant v;
    v.FType = varArray | Data->ElementType;
    v.FArray = Data;
    return v;
  }
  static Variant FromInt(TVarType Type, int64_t Value) {
    Variant v;
    v.FType = Type;
    v.FInt = Value;
    return v;
  }

  // ---- conversion to each simple kind ----

  // The integer value of V, rounding floats, reading texts; the allowed range
  // is [Low, High] and Target names the requested type in messages.
  static int64_t ToInteger(const Variant& V, TVarType Target, int64_t Low, int64_t High) {
    const TVarType type = V.FType;
    int64_t value = 0;
    switch (type) {
      case varEmpty:
        return 0;
      case varSmallint: case varInteger: case varShortInt: case varInt64:
        value = V.FInt;
        break;
      case varByte: case varWord: case varLongWord: case varUInt64:
        if (V.FUInt > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
          OverflowError(type, Target);
        value = static_cast<int64_t>(V.FUInt);
        break;
      case varBoolean:
        value = V.FInt;
        break;
      case varSingle: case varDouble: case varDate:
        if (!RoundToInt64(V.FDouble, value)) OverflowError(type, Target);
        break;
      case varCurrency:
        value = static_cast<int64_t>(RoundScaled(V.FInt, Currency::Scale));
        break;
      case varString: case varOleStr: {
        AnsiString text = TextToParse(V);
        double number;
        if (!TryStrToInt64(text, value)) {
          if (!TryStrToFloat(text, number)) CastError(type, Target);
          if (!RoundToInt64(number, value)) OverflowError(type, Target);
        }
        break;
      }
      default:
        CastError(type, Target);
    }
    if (value < Low || value > High) OverflowError(type, Target);
    return value;
  }

  static uint64_t ToUInt64(const Variant& V) {
    if (IsUnsignedType(V.FType)) return V.FUInt;
    if (V.FType == varDouble || V.FType == varSingle || V.FType == varDate) {
      // Beyond the signed range only a float can name such a value.
      long double whole = RoundHalfEven(V.FDouble);
      if (whole >= 9223372036854775808.0L) {
        if (whole >= 18446744073709551616.0L) OverflowError(V.FType, varUInt64);
        return static_cast<uint64_t>(whole);
      }
    }
    return static_cast<uint64_t>(ToInteger(V, varUInt64, 0, std::numeric_limits<int64_t>::max()));
  }

  static double ToDouble(const Variant& V, TVarType Target) {
    const TVarType type = V.FType;
    switch (type) {
      case varEmpty:
        return 0;
      case varSmallint: case varInteger: case varShortInt: case varInt64: case varBoolean:
        return static_cast<double>(V.FInt);
      case varByte: case varWord: case varLongWord: case varUInt64:
        return static_cast<double>(V.FUInt);
      case varSingle: case varDouble: case varDate:
        return V.FDouble;
      case varCurrency:
        return static_cast<double>(V.FInt) / Currency::Scale;
      case varString: case varOleStr: {
        AnsiString text = TextToParse(V);
        double value;
        if (!TryStrToFloat(text, value)) CastError(type, Target);
        return value;
      }
      default:
        CastError(type, Target);
    }
  }

  static Currency ToCurrency(const Variant& V) {
    const TVarType type = V.FType;
    switch (type) {
      case varCurrency:
        return Currency::FromScaled(V.FInt);
      case varString: case varOleStr: {
        AnsiString text = TextToParse(V);
        Currency value;
        if (TryStrToCurr(text, value)) return value;
        double number;
        if (!TryStrToFloat(text, number)) CastError(type, varCurrency);
        if (!Currency::TryFromDouble(number, value)) OverflowError(type, varCurrency);
        return value;
      }
      case varSingle: case varDouble: case varDate: {
        Currency value;
        if (!Currency::TryFromDouble(V.FDouble, value)) OverflowError(type, varCurrency);
        return value;
      }
      default: {
        __int128 scaled = static_cast<__int128>(ToInteger(V, varCurrency, std::numeric_limits<int64_t>::min(),
                                                          std::numeric_limits<int64_t>::max())) *
                          Currency::Scale;
        if (!FitsInt64(scaled)) OverflowError(type, varCurrency);
        return Currency::FromScaled(static_cast<int64_t>(scaled));
      }
    }
  }

  static TDateTime ToDate(const Variant& V) {
    const TVarType type = V.FType;
    if (type == varString || type == varOleStr) {
      AnsiString text = TextToParse(V);
      TDateTime value;
      if (!TryStrToDateTime(text, value)) CastError(type, varDate);
      return value;
    }
    return TDateTime(ToDouble(V, varDate));
  }

  static bool ToBoolean(const Variant& V) {
    const TVarType type = V.FType;
    switch (type) {
      case varEmpty:
        return false;
      case varSmallint: case varInteger: case varShortInt: case varInt64: case varBoolean:
      case varCurrency:
        return V.FInt != 0;
      case varByte: case varWord: case varLongWord: case varUInt64:
        return V.FUInt != 0;
      case varSingle: case varDouble: case varDate:
        return V.FDouble != 0;
      case varString: case varOleStr: {
        AnsiString text = TextToParse(V);
        bool value;
        if (!TryStrToBool(text, value)) CastError(type, varBoolean);
        return value;
      }
      default:
        CastError(type, varBoolean);
    }
  }

  static AnsiString ToAnsi(const Variant& V) {
    const TVarType type = V.FType;
    switch (type) {
      case varEmpty:
        return {};
      case varString:
        return AnsiString(Ansi(V));
      case varOleStr:
        return WideToAnsiText(Wide(V));
      case varSmallint: case varInteger: case varShortInt: case varInt64:
        return IntToStr(static_cast<long long>(V.FInt));
      case varByte: case varWord: case varLongWord: case varUInt64:
        return IntToStr(static_cast<unsigned long long>(V.FUInt));
      case varBoolean:
        return BoolToStr(V.FInt != 0, true);
      case varSingle: case varDouble:
        return FloatToStr(V.FDouble);
      case varCurrency:
        return CurrToStr(Currency::FromScaled(V.FInt));
      case varDate:
        return DateTimeToStr(TDateTime(V.FDouble));
      default:
        CastError(type, varString);
    }
  }

  static WideString ToWide(const Variant& V) {
    if (V.FType == varOleStr) return WideString(Wide(V));
    if (V.FType == varNull) CastError(varNull, varOleStr);
    if (V.FType == varString) return AnsiToWideText(Ansi(V));
    if (V.FType & varArray || V.FType == varDispatch || V.FType == varError || V.FType == varUnknown)
      CastError(V.FType, varOleStr);
    return AnsiToWideText(ToAnsi(V));
  }

  static void CheckNotNull(const Variant& V, TVarType Target) {
    if (V.FType == varNull) CastError(varNull, Target);
  }

  static Variant Cast(const Variant& V, TVarType Target) {
    if (V.FType == Target) return V;
    if ((Target & ~varTypeMask) != 0 || (V.FType & varArray)) CastError(V.FType, Target);
    switch (Target) {
      case varEmpty:
        return Variant();
      case varNull:
        return Variant::Null();
      case varVariant:
        return V;
      default:
        break;
    }
    CheckNotNull(V, Target);
    switch (Target) {
      case varSmallint:
        return FromInt(varSmallint, ToInteger(V, Target, INT16_MIN, INT16_MAX));
      case varInteger:
        return FromInt(varInteger, ToInteger(V, Target, INT32_MIN, INT32_MAX));
      case varShortInt:
        return FromInt(varShortInt, ToInteger(V, Target, INT8_MIN, INT8_MAX));
      case varInt64:
        return FromInt(varInt64, ToInteger(V, Target, INT64_MIN, INT64_MAX));
      case varByte:
        return Variant(static_cast<uint8_t>(ToInteger(V, Target, 0, UINT8_MAX)));
      case varWord:
        return Variant(static_cast<uint16_t>(ToInteger(V, Target, 0, UINT16_MAX)));
      case varLongWord:
        return Variant(static_cast<uint32_t>(ToInteger(V, Target, 0, UINT32_MAX)));
      case varUInt64:
        return Variant(static_cast<uint64_t>(ToUInt64(V)));
      case varSingle: {
        double value = ToDouble(V, Target);
        if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max())
          OverflowError(V.FType, Target);
        return Variant(static_cast<float>(value));
      }
      case varDouble:
        return Variant(ToDouble(V, Target));
      case varCurrency:
        return Variant(ToCurrency(V));
      case varDate:
        return Variant(ToDate(V));
      case varBoolean:
        return Variant(ToBoolean(V));
      case varString:
        return Variant(ToAnsi(V));
      case varOleStr:
        return Variant(ToWide(V));
      case varDispatch:
        if (V.FType == varEmpty) return Variant(static_cast<IDispatch*>(nullptr));
        CastError(V.FType, Target);
      default:
        CastError(V.FType, Target);
    }
  }

  // ---- arrays ----

  static TVarArrayData& ArrayOf(const Variant& V) {
    if (!(V.FType & varArray)) NotAnArray();
    return *V.FArray;
  }

  static Variant ReadElement(const TVarArrayData& A, size_t Offset) {
    if (A.HoldsVariants()) return A.Items[Offset];
    const unsigned char* p = A.Raw.data() + Offset * ElementSize(A.ElementType);
    auto read = [p](auto Sample) {
      decltype(Sample) value;
      std::memcpy(&value, p, sizeof value);
      return value;
    };
    switch (A.ElementType) {
      case varShortInt: return Variant(read(int8_t{}));
      case varByte: return Variant(read(uint8_t{}));
      case varSmallint: return Variant(read(int16_t{}));
      case varWord: return Variant(read(uint16_t{}));
      case varBoolean: return Variant(read(int16_t{}) != 0);
      case varInteger: return Variant(read(int32_t{}));
      case varLongWord: return Variant(read(uint32_t{}));
      case varError: return VarAsError(read(int32_t{}));
      case varSingle: return Variant(read(float{}));
      case varDouble: return Variant(read(double{}));
      case varDate: return Variant(TDateTime(read(double{})));
      case varCurrency: return Variant(Currency::FromScaled(read(int64_t{})));
      case varInt64: return Variant(read(int64_t{}));
      case varUInt64: return Variant(read(uint64_t{}));
      default: ArrayCreateError();
    }
  }

  static void WriteElement(TVarArrayData& A, size_t Offset, const Variant& Value) {
    if (A.ElementType == varVariant) {
      A.Items[Offset] = Value;
      return;
    }
    Variant converted = Cast(Value, A.ElementType);
    if (A.HoldsVariants()) {
      A.Items[Offset] = std::move(converted);
      return;
    }
    unsigned char* p = A.Raw.data() + Offset * ElementSize(A.ElementType);
    auto write = [p](auto Value) { std::memcpy(p, &Value, sizeof Value); };
    switch (A.ElementType) {
      case varShortInt: write(static_cast<int8_t>(converted.FInt)); break;
      case varByte: write(static_cast<uint8_t>(converted.FUInt)); break;
      case varSmallint: write(static_cast<int16_t>(converted.FInt)); break;
      case varWord: write(static_cast<uint16_t>(converted.FUInt)); break;
      case varBoolean: write(static_cast<int16_t>(converted.FInt)); break;
      case varInteger: write(static_cast<int32_t>(converted.FInt)); break;
      case varLongWord: write(static_cast<uint32_t>(converted.FUInt)); break;
      case varError: write(static_cast<int32_t>(converted.FInt)); break;
      case varSingle: write(static_cast<float>(converted.FDouble)); break;
      case varDouble: case varDate: write(converted.FDouble); break;
      case varCurrency: case varInt64: write(converted.FInt); break;
      case varUInt64: write(converted.FUInt); break;
      default: ArrayCreateError();
    }
  }

  static Variant Get(const Variant& V, const int* Indexes, size_t Count) {
    const TVarArrayData& a = ArrayOf(V);
    return ReadElement(a, a.Offset(Indexes, Count));
  }

  static void Put(Variant& V, const int* Indexes, size_t Count, const Variant& Value) {
    TVarArrayData& a = ArrayOf(V);
    // Value may be an element of this very array; copy before writing.
    Variant copy = Value;
    WriteElement(a, a.Offset(Indexes, Count), copy);
  }

  static Variant Create(const int* Bounds, size_t Count, TVarType ElementType) {
    if (Count == 0 || Count % 2 != 0 || Count / 2 > MaxArrayDims) InvalidArg();
    if (!IsValidArrayElementType(ElementType)) ArrayCreateError();
    auto data = std::make_unique<TVarArrayData>();
    data->ElementType = ElementType;
    size_t elements = 1;
    for (size_t i = 0; i < Count; i += 2) {
      int64_t count = static_cast<int64_t>(Bounds[i + 1]) - Bounds[i] + 1;
      if (count < 0) ArrayCreateError();
      if (__builtin_mul_overflow(elements, static_cast<size_t>(count), &elements)) ArrayCreateError();
      data->Bounds.push_back({Bounds[i], count});
    }
    try {
      data->Resize(elements);
    } catch (const std::bad_alloc&) {
      ArrayCreateError();
    } catch (const std::length_error&) {
      ArrayCreateError();
    }
    return FromArray(data.release());
  }

  // Operations that are not defined for arrays, references and error codes.
  static bool IsOperand(TVarType T) {
    return !(T & varArray) && T != varDispatch && T != varError && T != varUnknown;
  }

  static bool IsText(TVarType T) { return T == varString || T == varOleStr; }
};

// ---- Variant ------------------------------------------------------------------

// Data sets hold millions of values; keep the type within three words.
static_assert(sizeof(Variant) <= 24);

Variant::Variant(char Value) : FType(varString), FText(NewText(std::string_view(&Value, 1))) {}
Variant::Variant(const char* Value)
    : FType(varString), FText(NewText(std::string_view(Value ? Value : ""))) {}
Variant::Variant(const AnsiString& Value) : FType(varString), FText(NewText(std::string_view(Value))) {}
Variant::Variant(const char16_t* Value)
    : FType(varOleStr), FText(NewText(std::u16string_view(Value ? Value : u""))) {}
Variant::Variant(const WideString& Value)
    : FType(varOleStr), FText(NewText(std::u16string_view(Value))) {}

Variant::Variant(const Variant& Other) : FType(Other.FType), FUInt(Other.FUInt) {
  if (FType & varArray) {
    FArray = new TVarArrayData(*Other.FArray);
    FArray->LockCount = 0;
  } else if (FType == varString || FType == varOleStr) {
    AddRefText(FText);
  } else if (FType == varDispatch) {
    if (FDispatch) FDispatch->AddRef();
  }
}

Variant& Variant::operator=(const Variant& Other) {
  if (this != &Other) {
    // Copy first: Other may live inside the array this variant owns.
    Variant copy(Other);
    *this = std::move(copy);
  }
  return *this;
}

Variant& Variant::operator=(Variant&& Other) noexcept {
  if (this != &Other) {
    // Detach first: releasing may run a destructor that touches Other's owner.
    TVarType type = Other.FType;
    uint64_t bits = Other.FUInt;
    Other.FType = varEmpty;
    Other.FInt = 0;
    Variant old(std::move(*this));
    FType = type;
    FUInt = bits;
  }
  return *this;
}

void Variant::Release() noexcept {
  if (FType & varArray) {
    delete FArray;
  } else if (FType == varString || FType == varOleStr) {
    ReleaseText(FText);
  } else if (FType == varDispatch) {
    if (FDispatch) FDispatch->Release();
  }
}

AnsiString Variant::AsString() const {
  TVariantAccess::CheckNotNull(*this, varString);
  return TVariantAccess::ToAnsi(*this);
}

WideString Variant::AsWideString() const { return TVariantAccess::ToWide(*this); }

int Variant::AsInteger() const {
  TVariantAccess::CheckNotNull(*this, varInteger);
  return static_cast<int>(TVariantAccess::ToInteger(*this, varInteger, INT32_MIN, INT32_MAX));
}

int64_t Variant::AsInt64() const {
  TVariantAccess::CheckNotNull(*this, varInt64);
  return TVariantAccess::ToInteger(*this, varInt64, INT64_MIN, INT64_MAX);
}

double Variant::AsFloat() const {
  TVariantAccess::CheckNotNull(*this, varDouble);
  return TVariantAccess::ToDouble(*this, varDouble);
}

Currency Variant::AsCurrency() const {
  TVariantAccess::CheckNotNull(*this, varCurrency);
  return TVariantAccess::ToCurrency(*this);
}

TDateTime Variant::AsDate() const {
  TVariantAccess::CheckNotNull(*this, varDate);
  return TVariantAccess::ToDate(*this);
}

bool Variant::AsBoolean() const {
  TVariantAccess::CheckNotNull(*this, varBoolean);
  return TVariantAccess::ToBoolean(*this);
}

IDispatch* Variant::AsDispatch() const {
  if (FType == varDispatch) return FDispatch;
  if (FType == varEmpty) return nullptr;
  CastError(FType, varDispatch);
}

Variant Variant::GetElement(std::initializer_list<int> Indexes) const {
  return TVariantAccess::Get(*this, Indexes.begin(), Indexes.size());
}
Variant Variant::GetElement(const std::vector<int>& Indexes) const {
  return TVariantAccess::Get(*this, Indexes.data(), Indexes.size());
}
void Variant::PutElement(std::initializer_list<int> Indexes, const Variant& Value) {
  TVariantAccess::Put(*this, Indexes.begin(), Indexes.size(), Value);
}
void Variant::PutElement(const std::vector<int>& Indexes, const Variant& Value) {
  TVariantAccess::Put(*this, Indexes.data(), Indexes.size(), Value);
}

Variant& Variant::operator[](int Index) {
  TVarArrayData& a = TVariantAccess::ArrayOf(*this);
  size_t offset = a.Offset(&Index, 1);
  if (a.ElementType != varVariant) InvalidArg();
  return a.Items[offset];
}

Variant Variant::operator[](int Index) const { return TVariantAccess::Get(*this, &Index, 1); }

// ---- comparison ---------------------------------------------------------------
namespace {

enum class TOrder { Less, Equal, Greater, Unordered };

template <class T>
TOrder OrderOf(const T& A, const T& B) {
  if (A < B) return TOrder::Less;
  if (B < A) return TOrder::Greater;
  if (A == B) return TOrder::Equal;
  return TOrder::Unordered;  // NaN
}

// The value of an integer-like operand (integer kinds, Boolean, Empty), wide
// enough for every signed and unsigned 64-bit value.
__int128 WideInteger(const Variant& V) {
  if (IsUnsignedType(V.VarType())) return static_cast<__int128>(TVariantAccess::UInt(V));
  if (V.VarType() == varEmpty) return 0;
  return TVariantAccess::Int(V);
}

bool IsIntegerLike(TVarType T) { return IsIntegerType(T) || T == varBoolean || T == varEmpty; }

TOrder CompareTexts(const Variant& A, const Variant& B) {
  if (A.VarType() == varOleStr || B.VarType() == varOleStr)
    return OrderOf(A.AsWideString(), B.AsWideString());
  return OrderOf(TVariantAccess::Ansi(A), TVariantAccess::Ansi(B));
}

// The text operand is read as the kind of the other operand.
Variant TextAsKindOf(const Variant& Text, TVarType Other) {
  switch (Other) {
    case varDate: return Variant(Text.AsDate());
    case varBoolean: return Variant(Text.AsBoolean());
    case varCurrency: return Variant(Text.AsCurrency());
    default: return Variant(Text.AsFloat());
  }
}

TOrder CompareValues(const Variant& A, const Variant& B) {
  const TVarType ta = A.VarType(), tb = B.VarType();
  if (!TVariantAccess::IsOperand(ta) || !TVariantAccess::IsOperand(tb)) InvalidOp();
  // Null equals Null and is less than any other value.
  if (ta == varNull || tb == varNull) {
    if (ta == tb) return TOrder::Equal;
    return ta == varNull ? TOrder::Less : TOrder::Greater;
  }
  const bool textA = TVariantAccess::IsText(ta) || ta == varEmpty;
  const bool textB = TVariantAccess::IsText(tb) || tb == varEmpty;
  if (textA && textB) {
    if (ta == varEmpty && tb == varEmpty) return TOrder::Equal;
    return CompareTexts(A, B);
  }
  if (TVariantAccess::IsText(ta)) return CompareValues(TextAsKindOf(A, tb), B);
  if (TVariantAccess::IsText(tb)) return CompareValues(A, TextAsKindOf(B, ta));

  if (IsIntegerLike(ta) && IsIntegerLike(tb)) return OrderOf(WideInteger(A), WideInteger(B));
  if ((ta == varCurrency || IsIntegerLike(ta)) && (tb == varCurrency || IsIntegerLike(tb))) {
    auto scaled = [](const Variant& V) -> __int128 {
      return V.VarType() == varCurrency ? TVariantAccess::Int(V) : WideInteger(V) * Currency::Scale;
    };
    return OrderOf(scaled(A), scaled(B));
  }
  return OrderOf(A.AsFloat(), B.AsFloat());
}

}  // namespace

bool operator==(const Variant& A, const Variant& B) { return CompareValues(A, B) == TOrder::Equal; }
bool operator<(const Variant& A, const Variant& B) { return CompareValues(A, B) == TOrder::Less; }
bool operator>(const Variant& A, const Variant& B) { return CompareValues(A, B) == TOrder::Greater; }
bool operator<=(const Variant& A, const Variant& B) {
  TOrder order = CompareValues(A, B);
  return order == TOrder::Less || order == TOrder::Equal;
}
bool operator>=(const Variant& A, const Variant& B) {
  TOrder order = CompareValues(A, B);
  return order == TOrder::Greater || order == TOrder::Equal;
}

// ---- arithmetic ---------------------------------------------------------------
namespace {

enum class TArith { Add, Subtract, Multiply, Divide };

double ApplyDouble(TArith Op, double A, double B) {
  switch (Op) {
    case TArith::Add: return A + B;
    case TArith::Subtract: return A - B;
    case TArith::Multiply: return A * B;
    case TArith::Divide:
      if (B == 0) throw EZeroDivide("Floating point division by zero");
      return A / B;
  }
  return 0;
}

Variant Arithmetic(TArith Op, const Variant& A, const Variant& B) {
  const TVarType ta = A.VarType(), tb = B.VarType();
  if (!TVariantAccess::IsOperand(ta) || !TVariantAccess::IsOperand(tb)) InvalidOp();
  if (ta == varNull || tb == varNull) return Variant::Null();

  const bool textA = TVariantAccess::IsText(ta), textB = TVariantAccess::IsText(tb);
  if (Op == TArith::Add && (textA || ta == varEmpty) && (textB || tb == varEmpty) && (textA || textB)) {
    if (ta == varOleStr || tb == varOleStr) return Variant(A.AsWideString() + B.AsWideString());
    AnsiString joined(TVariantAccess::Ansi(A));
    joined += TVariantAccess::Ansi(B);
    return Variant(joined);
  }
  if (textA || textB) {
    // A text meets a number: it is read as a number of the other operand's
    // kind (two texts, or a text and Empty, as Double).
    Variant a = textA ? TextAsKindOf(A, textB ? varDouble : tb) : A;
    Variant b = textB ? TextAsKindOf(B, textA ? varDouble : ta) : B;
    return Arithmetic(Op, a, b);
  }

  if (ta == varDate || tb == varDate) {
    double value = ApplyDouble(Op, A.AsFloat(), B.AsFloat());
    // A date moved by a number stays a date; a difference of dates is a number.
    bool isDate = (Op == TArith::Add) || (Op == TArith::Subtract && !(ta == varDate && tb == varDate));
    return isDate ? Variant(TDateTime(value)) : Variant(value);
  }
  if (ta == varSingle || ta == varDouble || tb == varSingle || tb == varDouble ||
      Op == TArith::Divide) {
    double value = ApplyDouble(Op, A.AsFloat(), B.AsFloat());
    if (ta == varSingle && tb == varSingle && Op != TArith::Divide) return Variant(static_cast<float>(value));
    return Variant(value);
  }
  if (ta == varCurrency || tb == varCurrency) {
    __int128 a = ta == varCurrency ? TVariantAccess::Int(A) : WideInteger(A) * Currency::Scale;
    __int128 b = tb == varCurrency ? TVariantAccess::Int(B) : WideInteger(B) * Currency::Scale;
    __int128 result;
    switch (Op) {
      case TArith::Add: result = a + b; break;
      case TArith::Subtract: result = a - b; break;
      default: {
        // Both factors carry the scale once; take it out once, rounding.
        __int128 product;
        if (__builtin_mul_overflow(a, b, &product)) ValueOverflow();
        result = RoundScaled(product, Currency::Scale);
        break;
      }
    }
    if (!FitsInt64(result)) ValueOverflow();
    return Variant(Currency::FromScaled(static_cast<int64_t>(result)));
  }

  // Integer kinds: exact, growing from Integer to Int64 to Double as needed.
  __int128 a = WideInteger(A), b = WideInteger(B), result = 0;
  switch (Op) {
    case TArith::Add: result = a + b; break;
    case TArith::Subtract: result = a - b; break;
    case TArith::Multiply:
      if (__builtin_mul_overflow(a, b, &result))
        return Variant(static_cast<double>(a) * static_cast<double>(b));
      break;
    case TArith::Divide: break;  // handled with the floats
  }
  if (IsNarrowIntegerType(ta) && IsNarrowIntegerType(tb) && result >= INT32_MIN && result <= INT32_MAX)
    return Variant(static_cast<int>(result));
  if (FitsInt64(result)) return Variant(static_cast<int64_t>(result));
  return Variant(static_cast<double>(result));
}

}  // namespace

Variant operator+(const Variant& A, const Variant& B) { return Arithmetic(TArith::Add, A, B); }
Variant operator-(const Variant& A, const Variant& B) { return Arithmetic(TArith::Subtract, A, B); }
Variant operator*(const Variant& A, const Variant& B) { return Arithmetic(TArith::Multiply, A, B); }
Variant operator/(const Variant& A, const Variant& B) { return Arithmetic(TArith::Divide, A, B); }

// ---- free functions -----------------------------------------------------------

Variant VarAsError(int32_t Code) { return TVariantAccess::FromInt(varError, Code); }

TVarType VarType(const Variant& V) { return V.VarType(); }
bool VarIsEmpty(const Variant& V) { return V.VarType() == varEmpty; }
bool VarIsNull(const Variant& V) { return V.VarType() == varNull; }
bool VarIsClear(const Variant& V) {
  return V.VarType() == varEmpty || (V.VarType() == varDispatch && !TVariantAccess::Dispatch(V));
}
bool VarIsStr(const Variant& V) { return TVariantAccess::IsText(V.VarType()); }
bool VarIsOrdinal(const Variant& V) { return IsIntegerType(V.VarType()) || V.VarType() == varBoolean; }
bool VarIsFloat(const Variant& V) {
  TVarType t = V.VarType();
  return t == varSingle || t == varDouble || t == varCurrency;
}
bool VarIsNumeric(const Variant& V) { return VarIsOrdinal(V) || VarIsFloat(V); }
bool VarIsArray(const Variant& V) { return V.IsArray(); }
bool VarIsError(const Variant& V) { return V.VarType() == varError; }

AnsiString VarToStr(const Variant& V) { return VarToStrDef(V, AnsiString()); }
AnsiString VarToStrDef(const Variant& V, const AnsiString& Default) {
  return V.IsNull() ? Default : V.AsString();
}
WideString VarToWideStr(const Variant& V) { return VarToWideStrDef(V, WideString()); }
WideString VarToWideStrDef(const Variant& V, const WideString& Default) {
  return V.IsNull() ? Default : V.AsWideString();
}

Variant VarAsType(const Variant& V, TVarType Type) { return TVariantAccess::Cast(V, Type); }

AnsiString VarTypeAsText(TVarType Type) {
  static const char* const Names[] = {
      "Empty",   "Null",     "Smallint", "Integer", "Single",   "Double", "Currency",
      "Date",    "OleStr",   "Dispatch", "Error",   "Boolean",  "Variant", "Unknown",
      "Decimal", nullptr,    "ShortInt", "Byte",    "Word",     "LongWord", "Int64",
      "UInt64"};
  const TVarType base = Type & varTypeMask;
  AnsiString name;
  if (base < std::size(Names) && Names[base])
    name = Names[base];
  else if (base == varString)
    name = "String";
  else
    name = "$" + IntToHex(static_cast<int>(base), 4);
  if (Type & varArray) name = "Array " + name;
  if (Type & varByRef) name = "ByRef " + name;
  return name;
}

bool VarSameValue(const Variant& A, const Variant& B) {
  if (A.IsEmpty() || B.IsEmpty()) return A.IsEmpty() && B.IsEmpty();
  if (A.IsNull() || B.IsNull()) return A.IsNull() && B.IsNull();
  return A == B;
}

TVariantRelationship VarCompareValue(const Variant& A, const Variant& B) {
  if (A.IsEmpty() || B.IsEmpty()) return A.IsEmpty() && B.IsEmpty() ? vrEqual : vrNotEqual;
  if (A.IsNull() || B.IsNull()) return A.IsNull() && B.IsNull() ? vrEqual : vrNotEqual;
  switch (CompareValues(A, B)) {
    case TOrder::Equal: return vrEqual;
    case TOrder::Less: return vrLessThan;
    case TOrder::Greater: return vrGreaterThan;
    case TOrder::Unordered: break;
  }
  return vrNotEqual;
}

void VarClear(Variant& V) { V = Variant(); }

// ---- arrays -------------------------------------------------------------------

Variant VarArrayCreate(std::initializer_list<int> Bounds, TVarType ElementType) {
  return TVariantAccess::Create(Bounds.begin(), Bounds.size(), ElementType);
}

Variant VarArrayCreate(const std::vector<int>& Bounds, TVarType ElementType) {
  return TVariantAccess::Create(Bounds.data(), Bounds.size(), ElementType);
}

namespace {
Variant ArrayOfValues(const Variant* Values, size_t Count) {
  if (Count > static_cast<size_t>(std::numeric_limits<int>::max())) ArrayCreateError();
  Variant result = VarArrayCreate({0, static_cast<int>(Count) - 1}, varVariant);
  std::copy(Values, Values + Count, TVariantAccess::ArrayOf(result).Items.begin());
  return result;
}
}  // namespace

Variant VarArrayOf(std::initializer_list<Variant> Values) {
  return ArrayOfValues(Values.begin(), Values.size());
}

Variant VarArrayOf(const std::vector<Variant>& Values) {
  return ArrayOfValues(Values.data(), Values.size());
}

int VarArrayDimCount(const Variant& A) {
  return A.IsArray() ? static_cast<int>(TVariantAccess::Array(A)->Bounds.size()) : 0;
}

namespace {
const TVarArrayBound& BoundOf(const Variant& A, int Dim) {
  if (!A.IsArray()) InvalidArg();
  const auto& bounds = TVariantAccess::Array(A)->Bounds;
  if (Dim < 1 || Dim > static_cast<int>(bounds.size())) BadIndex();
  return bounds[Dim - 1];
}
}  // namespace

int VarArrayLowBound(const Variant& A, int Dim) { return BoundOf(A, Dim).LowBound; }

int VarArrayHighBound(const Variant& A, int Dim) {
  const TVarArrayBound& bound = BoundOf(A, Dim);
  return static_cast<int>(bound.LowBound + bound.Count - 1);
}

void VarArrayRedim(Variant& A, int HighBound) {
  if (!A.IsArray()) InvalidArg();
  TVarArrayData& data = *TVariantAccess::Array(A);
  if (data.LockCount > 0) ArrayLocked();
  TVarArrayBound& last = data.Bounds.back();
  int64_t count = static_cast<int64_t>(HighBound) - last.LowBound + 1;
  if (count < 0) ArrayCreateError();
  size_t elements = static_cast<size_t>(count);
  for (size_t d = 0; d + 1 < data.Bounds.size(); ++d)
    if (__builtin_mul_overflow(elements, static_cast<size_t>(data.Bounds[d].Count), &elements))
      ArrayCreateError();
  try {
    data.Resize(elements);
  } catch (const std::bad_alloc&) {
    ArrayCreateError();
  } catch (const std::length_error&) {
    ArrayCreateError();
  }
  last.Count = count;
}

Variant VarArrayGet(const Variant& A, const std::vector<int>& Indexes) { return A.GetElement(Indexes); }

void VarArrayPut(Variant& A, const Variant& Value, const std::vector<int>& Indexes) {
  A.PutElement(Indexes, Value);
}

void* VarArrayLock(Variant& A) {
  TVarArrayData& data = TVariantAccess::ArrayOf(A);
  ++data.LockCount;
  return data.HoldsVariants() ? static_cast<void*>(data.Items.data()) : data.Raw.data();
}

void VarArrayUnlock(Variant& A) {
  TVarArrayData& data = TVariantAccess::ArrayOf(A);
  if (data.LockCount == 0) InvalidArg();
  --data.LockCount;
}
