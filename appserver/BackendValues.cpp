#include "appserver/BackendValues.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "appserver/AppServerErrors.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"

namespace {
constexpr std::size_t kMaxCachedTexts = 1 << 15;
constexpr std::size_t kMaxCachedLength = 64;
// After this many texts a column must have found at least a third of them
// remembered already, or it stops remembering.
constexpr std::size_t kTrialLookups = 4096;
}  // namespace

bool IsAsciiText(const char* S, std::size_t Length) {
  for (std::size_t i = 0; i < Length; ++i)
    if (static_cast<unsigned char>(S[i]) >= 0x80) return false;
  return true;
}

Variant TTextDecoder::Convert(const char* Utf8, std::size_t Length) const {
  if (IsAsciiText(Utf8, Length) || FCodePage == CP_UTF8) {
    // The text ends with a NUL; a NUL inside would cut the C string short.
    if (std::char_traits<char>::length(Utf8) == Length) return Variant(Utf8);
    return Variant(AnsiString(Utf8, Length));
  }
  return Variant(Utf8ToAnsi(std::string_view(Utf8, Length), FCodePage));
}

Variant TTextDecoder::Decode(const char* Utf8, std::size_t Length) {
  if (!FRemember || Length > kMaxCachedLength) return Convert(Utf8, Length);
  std::string_view text(Utf8, Length);
  ++FLookups;
  auto found = FCache.find(text);
  if (found != FCache.end()) {
    ++FHits;
    return found->second;
  }
  Variant value = Convert(Utf8, Length);
  if (FLookups >= kTrialLookups && FHits * 3 < FLookups) {
    FRemember = false;
    FCache.clear();
  } else if (FCache.size() < kMaxCachedTexts) {
    FCache.emplace(std::string(text), value);
  }
  return value;
}

bool VariantToDatabaseText(const Variant& V, unsigned CodePage, std::string& Out) {
  char buffer[64];
  TVarType type = V.VarType();
  if (type & varArray) throw ERequestRefused("A list of values cannot be stored in one column");
  switch (type) {
    case varEmpty:
    case varNull:
      return false;
    case varBoolean:
      Out = V.AsBoolean() ? "1" : "0";
      return true;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
      Out = std::to_string(V.AsInt64());
      return true;
    case varUInt64:
      Out = V.AsString();
      return true;
    case varCurrency: {
      int64_t scaled = V.AsCurrency().Scaled;
      uint64_t magnitude = scaled < 0 ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
      std::snprintf(buffer, sizeof buffer, "%s%llu.%04llu", scaled < 0 ? "-" : "",
                    static_cast<unsigned long long>(magnitude / 10000),
                    static_cast<unsigned long long>(magnitude % 10000));
      Out = buffer;
      return true;
    }
    case varSingle:
    case varDouble:
      std::snprintf(buffer, sizeof buffer, "%.17g", V.AsFloat());
      Out = buffer;
      return true;
    case varDate:
      Out = FormatDateTime("yyyymmdd", V.AsDate());
      return true;
    case varString: {
      AnsiString s = V.AsString();
      Out = IsAsciiText(s.data(), s.size()) || CodePage == CP_UTF8 ? s : AnsiToUtf8(s, CodePage);
      return true;
    }
    case varOleStr:
      Out = WideToUtf8(V.AsWideString());
      return true;
    default:
      throw ERequestRefused("A value of type " + VarTypeAsText(type) + " cannot be stored in a column");
  }
}

Variant DecimalTextToVariant(const char* Text) {
  // Exact path for plain decimals: [-]digits[.digits]
  const char* p = Text;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = (*p++ == '-');
  uint64_t whole = 0;
  int wholeDigits = 0;
  while (*p >= '0' && *p <= '9' && wholeDigits < 14) {
    whole = whole * 10 + static_cast<uint64_t>(*p++ - '0');
    ++wholeDigits;
  }
  bool plain = wholeDigits > 0 && !(*p >= '0' && *p <= '9');
  uint64_t fraction = 0;
  int fractionDigits = 0;
  bool roundUp = false, exactHalf = true, sawHalfDigit = false;
  if (plain && *p == '.') {
    ++p;
    while (*p >= '0' && *p <= '9') {
      if (fractionDigits < 4) {
        fraction = fraction * 10 + static_cast<uint64_t>(*p - '0');
        ++fractionDigits;
      } else if (!sawHalfDigit) {
        sawHalfDigit = true;
        roundUp = *p >= '5';
        exactHalf = *p == '5';
      } else if (*p != '0') {
        exactHalf = false;
      }
      ++p;
    }
  }
  if (plain && *p == '\0') {
    while (fractionDigits < 4) fraction *= 10, ++fractionDigits;
    uint64_t scaled = whole * 10000 + fraction;
    // Half to even, as the run-time rounds currency.
    if (roundUp && !(exactHalf && scaled % 2 == 0)) ++scaled;
    Currency c;
    c.Scaled = negative ? -static_cast<int64_t>(scaled) : static_cast<int64_t>(scaled);
    return Variant(c);
  }
  double value = std::strtod(Text, nullptr);
  Currency c;
  if (Currency::TryFromDouble(value, c)) return Variant(c);
  return Variant(value);
}
