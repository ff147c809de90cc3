#pragma once
// Value conversions shared by the two backends (not part of the public API):
// UTF-8 cells to Variants in the database code page and back, decimal text
// to Currency.

#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Variant.h"

// Turns the UTF-8 texts of one column into string Variants in a code page.
// Report rows repeat the same texts on every detail line (voucher numbers,
// names, empty user fields), so a column's texts are converted once and then
// shared; a column whose texts hardly repeat stops being remembered.
class TTextDecoder {
 public:
  explicit TTextDecoder(unsigned CodePage) : FCodePage(CodePage) {}
  // Utf8 must be followed by a NUL byte (as database client libraries
  // deliver cell texts).
  Variant Decode(const char* Utf8, std::size_t Length);

 private:
  Variant Convert(const char* Utf8, std::size_t Length) const;
  struct THash {
    using is_transparent = void;
    std::size_t operator()(std::string_view S) const { return std::hash<std::string_view>()(S); }
  };
  unsigned FCodePage;
  bool FRemember = true;
  std::size_t FLookups = 0, FHits = 0;
  std::unordered_map<std::string, Variant, THash, std::equal_to<>> FCache;
};

// True when every byte is below 0x80.
bool IsAsciiText(const char* S, std::size_t Length);

// The value as the text a database takes, converted from the code page to
// UTF-8: numbers in plain decimal with "." (Currency with four decimals),
// booleans as 1 or 0, dates as "yyyymmdd". Returns false for Empty and Null.
// Raises ERequestRefused for arrays and automation references.
bool VariantToDatabaseText(const Variant& V, unsigned CodePage, std::string& Out);

// A decimal text ("-12.5", "3", "1e3") as Currency, or as Double when it does
// not fit the currency range or has another form.
Variant DecimalTextToVariant(const char* Text);

// An integer as Integer when it fits, else as Int64.
inline Variant IntegerVariant(long long Value) {
  if (Value >= INT32_MIN && Value <= INT32_MAX) return Variant(static_cast<int>(Value));
  return Variant(static_cast<int64_t>(Value));
}
