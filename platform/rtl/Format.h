#pragma once
// Format: the run-time's printf, with its "array of const" arguments.
//
//   Format("Error %.2d: Code: %d, Message: %s", {1, Code, Text})
//
// A specifier is "%" [index ":"] ["-"] [width] ["." precision] type, where
// index, width and precision are digits or "*" (taken from the next integer
// argument); after an index the following specifiers continue from it. Types
// (case does not matter): d u x (integers; precision pads with zeros), e f g
// n m (floating point and currency; e and g count significant digits, f n m
// decimals), p (pointer), s (texts; precision cuts). "%%" is a percent sign.
//
// A missing argument raises EConvertError "No argument for format '<fmt>'";
// an argument of the wrong kind for its type, or a malformed specifier,
// raises "Format '<fmt>' invalid or incompatible with argument", <fmt> being
// the format text (at most 31 bytes of it).

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/ValueTypes.h"

class Variant;
struct TFormatSettings;

// What an argument holds, named after the run-time's vtXxx kinds.
enum class TVarRecKind : uint8_t {
  Integer,     // int
  Int64,       // 64-bit and unsigned integers
  Boolean,     // fits no conversion, as in the run-time
  Char,        // a one-byte character
  Extended,    // double, long double and TDateTime
  Currency,
  Pointer,
  PChar,       // const char*
  AnsiString,
  WideString,  // kept as its text in the process code page
  Variant,
};

// One argument of Format. Texts are copied, so a TVarRec can be built from a
// temporary and kept in a vector; a const char* is not copied.
class TVarRec {
 public:
  TVarRec(int Value) : Kind(TVarRecKind::Integer), VInt64(Value) {}
  TVarRec(unsigned Value) : Kind(TVarRecKind::Int64), VInt64(Value) {}
  TVarRec(long Value) : Kind(TVarRecKind::Int64), VInt64(Value) {}
  TVarRec(unsigned long Value) : Kind(TVarRecKind::Int64), VInt64(static_cast<int64_t>(Value)) {}
  TVarRec(long long Value) : Kind(TVarRecKind::Int64), VInt64(Value) {}
  TVarRec(unsigned long long Value)
      : Kind(TVarRecKind::Int64), VInt64(static_cast<int64_t>(Value)) {}
  TVarRec(double Value) : Kind(TVarRecKind::Extended), VExtended(Value) {}
  TVarRec(long double Value) : Kind(TVarRecKind::Extended), VExtended(static_cast<double>(Value)) {}
  TVarRec(TDateTime Value) : Kind(TVarRecKind::Extended), VExtended(Value.Value) {}
  TVarRec(Currency Value) : Kind(TVarRecKind::Currency), VInt64(Value.Scaled) {}
  TVarRec(bool Value) : Kind(TVarRecKind::Boolean), VInt64(Value) {}
  TVarRec(char Value) : Kind(TVarRecKind::Char), VString(1, Value) {}
  TVarRec(char16_t Value);
  TVarRec(const char* Value) : Kind(TVarRecKind::PChar), VPChar(Value ? Value : "") {}
  TVarRec(const AnsiString& Value) : Kind(TVarRecKind::AnsiString), VString(Value) {}
  TVarRec(AnsiString&& Value) : Kind(TVarRecKind::AnsiString), VString(std::move(Value)) {}
  TVarRec(const WideString& Value);
  TVarRec(const char16_t* Value);
  TVarRec(const void* Value) : Kind(TVarRecKind::Pointer), VPointer(Value) {}
  TVarRec(std::nullptr_t) : Kind(TVarRecKind::Pointer), VPointer(nullptr) {}
  TVarRec(const Variant& Value);

  TVarRecKind Kind;
  union {
    int64_t VInt64;     // Integer, Int64, Boolean; Currency scaled by 10,000
    double VExtended;
    const void* VPointer;
    const char* VPChar;
  };
  AnsiString VString;                     // Char, AnsiString, WideString
  std::shared_ptr<const Variant> VVariant;
};

AnsiString Format(const AnsiString& Fmt, std::initializer_list<TVarRec> Args);
AnsiString Format(const AnsiString& Fmt, std::initializer_list<TVarRec> Args,
                  const TFormatSettings& Settings);
// For argument lists built at run time.
AnsiString FormatV(const AnsiString& Fmt, const std::vector<TVarRec>& Args);
AnsiString FormatV(const AnsiString& Fmt, const std::vector<TVarRec>& Args,
                   const TFormatSettings& Settings);

