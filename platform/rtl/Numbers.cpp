#include "platform/rtl/Numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"

namespace {

[[noreturn]] void RaiseInvalid(const char* What, const AnsiString& S) {
  throw EConvertError("'" + S + "' is not a valid " + What);
}

// A number as decimal digits: value = 0.Digits x 10^Exponent. Digits has no
// leading or trailing zeros; an empty Digits is zero. Doubles are taken with 18
// significant digits, the precision the run-time's conversions work from, and
// every later rounding is half away from zero on these digits.
struct TDecimal {
  enum TSpecial { Finite, NotANumber, PlusInfinity, MinusInfinity };
  TSpecial Special = Finite;
  bool Negative = false;
  int Exponent = 0;
  std::string Digits;

  bool IsZero() const { return Digits.empty(); }

  void Normalize() {
    size_t End = Digits.find_last_not_of('0');
    Digits.erase(End == std::string::npos ? 0 : End + 1);
    size_t Start = Digits.find_first_not_of('0');
    if (Start == std::string::npos) {
      Digits.clear();
    } else if (Start > 0) {
      Digits.erase(0, Start);
      Exponent -= static_cast<int>(Start);
    }
    if (Digits.empty()) {
      Exponent = 0;
      Negative = false;
    }
  }

  // Keeps the first Count digits, rounding half up on the digit after them.
  void RoundTo(int Count) {
    if (Count < 0) {
      Digits.clear();
    } else if (static_cast<size_t>(Count) < Digits.size()) {
      bool Up = Digits[Count] >= '5';
      Digits.resize(Count);
      if (Up) {
        int i = Count - 1;
        while (i >= 0 && Digits[i] == '9') Digits[i--] = '0';
        if (i < 0) {
          Digits.insert(Digits.begin(), '1');
          ++Exponent;
        } else {
          ++Digits[i];
        }
      }
    }
    Normalize();
  }
};

TDecimal DecimalFromDouble(double Value) {
  TDecimal d;
  if (std::isnan(Value)) {
    d.Special = TDecimal::NotANumber;
    return d;
  }
  if (std::isinf(Value)) {
    d.Special = Value > 0 ? TDecimal::PlusInfinity : TDecimal::MinusInfinity;
    return d;
  }
  if (Value == 0) return d;
  char Buf[48];
  std::snprintf(Buf, sizeof Buf, "%.17e", std::fabs(Value));  // d.ddddddddddddddddde[+-]x
  d.Negative = Value < 0;
  d.Digits.push_back(Buf[0]);
  const char* p = Buf + 2;
  while (*p != 'e') d.Digits.push_back(*p++);
  d.Exponent = std::atoi(p + 1) + 1;
  d.Normalize();
  return d;
}

TDecimal DecimalFromCurrency(Currency Value) {
  TDecimal d;
  d.Negative = Value.Scaled < 0;
  uint64_t Magnitude = d.Negative ? 0 - static_cast<uint64_t>(Value.Scaled)
                                  : static_cast<uint64_t>(Value.Scaled);
  d.Digits = std::to_string(Magnitude);
  d.Exponent = static_cast<int>(d.Digits.size()) - 4;
  d.Normalize();
  return d;
}

AnsiString SpecialText(const TDecimal& d) {
  switch (d.Special) {
    case TDecimal::NotANumber: return "NAN";
    case TDecimal::PlusInfinity: return "INF";
    case TDecimal::MinusInfinity: return "-INF";
    default: return {};
  }
}

AnsiString PadNumber(unsigned Value, int MinDigits) {
  AnsiString s = std::to_string(Value);
  if (static_cast<int>(s.size()) < MinDigits) s.insert(0, MinDigits - s.size(), '0');
  return s;
}

// Digits [From, To) of d, zeros where d has none.
std::string DigitRange(const TDecimal& d, int From, int To) {
  std::string s;
  for (int i = From; i < To; ++i)
    s.push_back(i >= 0 && i < static_cast<int>(d.Digits.size()) ? d.Digits[i] : '0');
  return s;
}

std::string GroupThousands(const std::string& IntDigits, char Separator) {
  std::string s;
  size_t n = IntDigits.size();
  for (size_t i = 0; i < n; ++i) {
    s.push_back(IntDigits[i]);
    size_t Left = n - i - 1;
    if (Left > 0 && Left % 3 == 0) s.push_back(Separator);
  }
  return s;
}

AnsiString FormatGeneral(TDecimal d, int Precision, int ExpDigits, const TFormatSettings& fs) {
  d.RoundTo(Precision);
  if (d.IsZero()) return "0";
  AnsiString s = d.Negative ? "-" : "";
  const int E = d.Exponent;
  const int n = static_cast<int>(d.Digits.size());
  if (E > Precision || E < -3) {
    s += d.Digits[0];
    if (n > 1) s += fs.DecimalSeparator + d.Digits.substr(1);
    int x = E - 1;
    s += 'E';
    if (x < 0) s += '-';
    s += PadNumber(static_cast<unsigned>(std::abs(x)), ExpDigits);
  } else if (E <= 0) {
    s += '0';
    s += fs.DecimalSeparator;
    s.append(-E, '0');
    s += d.Digits;
  } else {
    s += DigitRange(d, 0, E);
    if (n > E) s += fs.DecimalSeparator + d.Digits.substr(E);
  }
  return s;
}

AnsiString FormatExponent(TDecimal d, int Precision, int ExpDigits, const TFormatSettings& fs) {
  d.RoundTo(Precision);
  AnsiString s = d.Negative ? "-" : "";
  std::string m = DigitRange(d, 0, Precision);
  s += m[0];
  if (Precision > 1) s += fs.DecimalSeparator + m.substr(1);
  int x = d.IsZero() ? 0 : d.Exponent - 1;
  s += 'E';
  s += x < 0 ? '-' : '+';
  s += PadNumber(static_cast<unsigned>(std::abs(x)), ExpDigits);
  return s;
}

// Fixed-point text without the sign; false when the integer part has more
// digits than Precision (the caller then falls back to the general form).
bool FixedDigits(TDecimal& d, int Precision, int Decimals, bool Thousands, const TFormatSettings& fs,
                 AnsiString& Text) {
  if (d.Exponent > Precision) return false;
  d.RoundTo(std::min(Precision, d.Exponent + Decimals));
  if (d.Exponent > Precision) return false;
  std::string IntPart = d.Exponent > 0 ? DigitRange(d, 0, d.Exponent) : "0";
  Text = Thousands ? GroupThousands(IntPart, fs.ThousandSeparator) : IntPart;
  if (Decimals > 0) {
    Text += fs.DecimalSeparator;
    Text += DigitRange(d, d.Exponent, d.Exponent + Decimals);
  }
  return true;
}

AnsiString CurrencyText(const AnsiString& Number, bool Negative, const TFormatSettings& fs) {
  const AnsiString& c = fs.CurrencyString;
  const AnsiString& n = Number;
  if (!Negative) {
    switch (fs.CurrencyFormat) {
      case 1: return n + c;
      case 2: return c + " " + n;
      case 3: return n + " " + c;
      default: return c + n;
    }
  }
  switch (fs.NegCurrFormat) {
    case 0: return "(" + c + n + ")";
    case 1: return "-" + c + n;
    case 2: return c + "-" + n;
    case 3: return c + n + "-";
    case 4: return "(" + n + c + ")";
    case 5: return "-" + n + c;
    case 6: return n + "-" + c;
    case 7: return n + c + "-";
    case 8: return "-" + n + " " + c;
    case 9: return "-" + c + " " + n;
    case 10: return n + " " + c + "-";
    case 11: return c + " " + n + "-";
    case 12: return c + " -" + n;
    case 13: return n + "- " + c;
    case 14: return "(" + c + " " + n + ")";
    case 15: return "(" + n + " " + c + ")";
    default: return "-" + c + n;
  }
}

AnsiString DecimalToText(TDecimal d, TFloatFormat Format, int Precision, int Digits, int MaxPrecision,
                         const TFormatSettings& fs) {
  if (d.Special != TDecimal::Finite) return SpecialText(d);
  Precision = std::clamp(Precision, 1, MaxPrecision);
  switch (Format) {
    case ffExponent:
      return FormatExponent(d, Precision, std::clamp(Digits, 0, 4), fs);
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
      const TDecimal Original = d;
      AnsiString Text;
      if (!FixedDigits(d, Precision, std::clamp(Digits, 0, 18), Format != ffFixed, fs, Text))
        return FormatGeneral(Original, Precision, 0, fs);
      if (Format == ffCurrency) return CurrencyText(Text, d.Negative, fs);
      return d.Negative ? "-" + Text : Text;
    }
    case ffGeneral:
    default:
      return FormatGeneral(d, Precision, std::clamp(Digits, 0, 4), fs);
  }
}

// ---- FormatFloat pictures -------------------------------------------------------

// Literal two-byte characters are copied whole: in GBK and Big5 the second
// byte may look like a picture character.
bool IsLeadByte(char c) { return IsDBCSLeadByte(static_cast<unsigned char>(c)); }

// The sections of a picture, split at ";" outside quotes.
std::vector<AnsiString> SplitSections(const AnsiString& Format) {
  std::vector<AnsiString> Sections(1);
  char Quote = 0;
  for (char c : Format) {
    if (Quote) {
      if (c == Quote) Quote = 0;
    } else if (c == '"' || c == '\'') {
      Quote = c;
    } else if (c == ';') {
      if (Sections.size() == 3) break;
      Sections.emplace_back();
      continue;
    }
    Sections.back() += c;
  }
  return Sections;
}

struct TPicture {
  int IntPlaces = 0;      // digit places before the decimal point
  int FracPlaces = 0;     // digit places after it
  int MinInt = 0;         // integer digits always shown (from the first "0")
  int MinFrac = 0;        // decimals always shown (up to the last "0")
  bool HasPoint = false;
  bool Thousands = false;
  bool Scientific = false;
};

TPicture ScanPicture(const AnsiString& Section) {
  TPicture p;
  int FirstZero = -1;
  char Quote = 0;
  for (size_t i = 0; i < Section.size(); ++i) {
    char c = Section[i];
    if (Quote) {
      if (c == Quote) Quote = 0;
      continue;
    }
    switch (c) {
      case '"':
      case '\'':
        Quote = c;
        break;
      case '0':
      case '#':
        if (p.HasPoint) {
          ++p.FracPlaces;
          if (c == '0') p.MinFrac = p.FracPlaces;
        } else {
          if (c == '0' && FirstZero < 0) FirstZero = p.IntPlaces;
          ++p.IntPlaces;
        }
        break;
      case '.':
        p.HasPoint = true;
        break;
      case ',':
        p.Thousands = true;
        break;
      case 'E':
      case 'e':
        if (i + 1 < Section.size() && (Section[i + 1] == '+' || Section[i + 1] == '-')) {
          p.Scientific = true;
          // The exponent's own zeros are not digit places of the mantissa.
          i += 2;
          while (i < Section.size() && Section[i] == '0') ++i;
          --i;
        }
        break;
      default:
        if (IsLeadByte(c) && i + 1 < Section.size()) ++i;
        break;
    }
  }
  if (FirstZero >= 0) p.MinInt = p.IntPlaces - FirstZero;
  return p;
}

// Writes Section with the digits of Int (integer digits, already padded to the
// minimum) and Frac (decimals, already trimmed), an optional exponent and the
// literals in place.
AnsiString ApplyPicture(const AnsiString& Section, const TPicture& p, const std::string& Int,
                        const std::string& Frac, int Exp, const TFormatSettings& fs) {
  AnsiString Out;
  bool IntWritten = false;
  int IntIndex = 0;   // digit places before the point seen so far
  int FracIndex = 0;  // digit places after the point seen so far
  bool AfterPoint = false;
  const int IntLen = static_cast<int>(Int.size());

  auto WriteIntDigit = [&](int Place) {  // Place: power of ten of the digit
    if (Place < IntLen) {
      Out += Int[IntLen - 1 - Place];
      if (p.Thousands && Place > 0 && Place % 3 == 0) Out += fs.ThousandSeparator;
    }
  };
  auto WriteAllLeading = [&](int FromPlace) {  // every digit at FromPlace and above
    for (int Place = IntLen - 1; Place >= FromPlace; --Place) WriteIntDigit(Place);
    IntWritten = true;
  };

  char Quote = 0;
  for (size_t i = 0; i < Section.size(); ++i) {
    char c = Section[i];
    if (Quote) {
      if (c == Quote)
        Quote = 0;
      else
        Out += c;
      continue;
    }
    switch (c) {
      case '"':
      case '\'':
        Quote = c;
        break;
      case '0':
      case '#':
        if (!AfterPoint) {
          int Place = p.IntPlaces - 1 - IntIndex++;
          if (!IntWritten)
            WriteAllLeading(Place);
          else
            WriteIntDigit(Place);
        } else {
          if (FracIndex < static_cast<int>(Frac.size())) Out += Frac[FracIndex];
          ++FracIndex;
        }
        break;
      case '.':
        if (AfterPoint) break;
        if (!IntWritten) WriteAllLeading(0);
        AfterPoint = true;
        if (!Frac.empty()) Out += fs.DecimalSeparator;
        break;
      case ',':
        break;
      case 'E':
      case 'e':
        if (p.Scientific && i + 1 < Section.size() &&
            (Section[i + 1] == '+' || Section[i + 1] == '-')) {
          bool AlwaysSign = Section[i + 1] == '+';
          i += 2;
          int ExpZeros = 0;
          while (i < Section.size() && Section[i] == '0') {
            ++ExpZeros;
            ++i;
          }
          --i;
          Out += c;
          if (Exp < 0)
            Out += '-';
          else if (AlwaysSign)
            Out += '+';
          Out += PadNumber(static_cast<unsigned>(std::abs(Exp)), std::min(ExpZeros, 4));
          break;
        }
        Out += c;
        break;
      default:
        Out += c;
        if (IsLeadByte(c) && i + 1 < Section.size()) Out += Section[++i];
        break;
    }
  }
  return Out;
}

// Formats Value (not negative) with one section; false when the picture
// cannot show the value (more than 18 integer digits).
bool FormatSection(const AnsiString& Section, TDecimal d, AnsiString& Out, bool& RoundedToZero,
                   const TFormatSettings& fs) {
  const TPicture p = ScanPicture(Section);
  std::string Int, Frac;
  int Exp = 0;
  if (p.Scientific) {
    int Places = std::max(p.IntPlaces + p.FracPlaces, 1);
    d.RoundTo(std::min(Places, 15));
    if (!d.IsZero()) Exp = d.Exponent - p.IntPlaces;
    Int = DigitRange(d, 0, p.IntPlaces);
    Frac = DigitRange(d, p.IntPlaces, p.IntPlaces + p.FracPlaces);
    size_t Start = Int.find_first_not_of('0');
    Int.erase(0, Start == std::string::npos ? Int.size() : Start);
  } else {
    if (d.Exponent > 18) return false;
    d.RoundTo(std::min(15, d.Exponent + p.FracPlaces));
    if (d.Exponent > 0) Int = DigitRange(d, 0, d.Exponent);
    Frac = DigitRange(d, d.Exponent, d.Exponent + p.FracPlaces);
  }
  RoundedToZero = d.IsZero();
  if (static_cast<int>(Int.size()) < p.MinInt) Int.insert(0, p.MinInt - Int.size(), '0');
  while (static_cast<int>(Frac.size()) > p.MinFrac && Frac.back() == '0') Frac.pop_back();
  Out = ApplyPicture(Section, p, Int, Frac, Exp, fs);
  return true;
}

bool IsBlank(char c) { return c == ' '; }

// Splits a floating-point text into its digits and decimal exponent, as the
// run-time's text-to-float scanner accepts it: blanks around, optional sign,
// digits with one decimal separator (at least one digit), optional exponent.
bool ScanFloatText(const AnsiString& S, char Separator, bool& Negative, std::string& Digits,
                   long& Exponent) {
  size_t i = 0, n = S.size();
  while (i < n && IsBlank(S[i])) ++i;
  Negative = false;
  if (i < n && (S[i] == '+' || S[i] == '-')) Negative = S[i++] == '-';
  Digits.clear();
  long PointShift = 0;
  bool AnyDigit = false;
  while (i < n && S[i] >= '0' && S[i] <= '9') {
    Digits += S[i++];
    AnyDigit = true;
  }
  if (i < n && S[i] == Separator) {
    ++i;
    while (i < n && S[i] >= '0' && S[i] <= '9') {
      Digits += S[i++];
      --PointShift;
      AnyDigit = true;
    }
  }
  if (!AnyDigit) return false;
  long Exp = 0;
  if (i < n && (S[i] == 'e' || S[i] == 'E')) {
    ++i;
    bool ExpNegative = false;
    if (i < n && (S[i] == '+' || S[i] == '-')) ExpNegative = S[i++] == '-';
    if (i >= n || S[i] < '0' || S[i] > '9') return false;
    while (i < n && S[i] >= '0' && S[i] <= '9') {
      if (Exp < 100000) Exp = Exp * 10 + (S[i] - '0');
      ++i;
    }
    if (ExpNegative) Exp = -Exp;
  }
  while (i < n && IsBlank(S[i])) ++i;
  if (i != n) return false;
  Exponent = Exp + PointShift;
  return true;
}

// Integer text: leading blanks, sign, "$", "x" or "0x" for hexadecimal, then
// digits to the end. Hexadecimal may fill all Bits; decimal must fit signed.
bool ParseInteger(const AnsiString& S, int Bits, int64_t& Value) {
  size_t i = 0, n = S.size();
  while (i < n && IsBlank(S[i])) ++i;
  bool Negative = false;
  if (i < n && (S[i] == '+' || S[i] == '-')) Negative = S[i++] == '-';
  bool Hex = false;
  if (i < n && (S[i] == '$' || S[i] == 'x' || S[i] == 'X')) {
    Hex = true;
    ++i;
  } else if (i + 1 < n && S[i] == '0' && (S[i + 1] == 'x' || S[i + 1] == 'X')) {
    Hex = true;
    i += 2;
  }
  if (i >= n) return false;
  const uint64_t Limit = Hex ? (Bits == 32 ? 0xFFFFFFFFull : ~0ull)
                             : (Negative ? 1ull << (Bits - 1) : (1ull << (Bits - 1)) - 1);
  const unsigned Base = Hex ? 16 : 10;
  uint64_t v = 0;
  for (; i < n; ++i) {
    char c = S[i];
    unsigned d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (Hex && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (Hex && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    if (v > (Limit - d) / Base) return false;
    v = v * Base + d;
  }
  if (Hex && Bits == 32) v = static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(v)));
  if (Negative) v = 0 - v;
  Value = static_cast<int64_t>(v);
  return true;
}

AnsiString HexText(uint64_t Value, int Digits) {
  static const char Hex[] = "0123456789ABCDEF";
  AnsiString s;
  do {
    s.insert(s.begin(), Hex[Value & 15]);
    Value >>= 4;
  } while (Value != 0);
  if (static_cast<int>(s.size()) < Digits) s.insert(0, Digits - s.size(), '0');
  return s;
}

bool SameTextAscii(const AnsiString& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return false;
  }
  return i == a.size() && b[i] == 0;
}

}  // namespace

// ---- integers ---------------------------------------------------------------

AnsiString IntToStr(int Value) { return std::to_string(Value); }
AnsiString IntToStr(long Value) { return std::to_string(Value); }
AnsiString IntToStr(long long Value) { return std::to_string(Value); }
AnsiString IntToStr(unsigned Value) { return std::to_string(Value); }
AnsiString IntToStr(unsigned long Value) { return std::to_string(Value); }
AnsiString IntToStr(unsigned long long Value) { return std::to_string(Value); }

AnsiString IntToHex(int Value, int Digits) { return HexText(static_cast<uint32_t>(Value), Digits); }
AnsiString IntToHex(unsigned Value, int Digits) { return HexText(Value, Digits); }
AnsiString IntToHex(long Value, int Digits) { return HexText(static_cast<uint64_t>(Value), Digits); }
AnsiString IntToHex(long long Value, int Digits) {
  return HexText(static_cast<uint64_t>(Value), Digits);
}
AnsiString IntToHex(unsigned long Value, int Digits) { return HexText(Value, Digits); }
AnsiString IntToHex(unsigned long long Value, int Digits) { return HexText(Value, Digits); }

bool TryStrToInt(const AnsiString& S, int& Value) {
  int64_t v;
  if (!ParseInteger(S, 32, v)) return false;
  Value = static_cast<int>(v);
  return true;
}

bool TryStrToInt64(const AnsiString& S, int64_t& Value) { return ParseInteger(S, 64, Value); }

int StrToInt(const AnsiString& S) {
  int v;
  if (!TryStrToInt(S, v)) RaiseInvalid("integer value", S);
  return v;
}

int64_t StrToInt64(const AnsiString& S) {
  int64_t v;
  if (!TryStrToInt64(S, v)) RaiseInvalid("integer value", S);
  return v;
}

int StrToIntDef(const AnsiString& S, int Default) {
  int v;
  return TryStrToInt(S, v) ? v : Default;
}

int64_t StrToInt64Def(const AnsiString& S, int64_t Default) {
  int64_t v;
  return TryStrToInt64(S, v) ? v : Default;
}

// ---- floating point -----------------------------------------------------------

bool TryStrToFloat(const AnsiString& S, double& Value, const TFormatSettings& Settings) {
  bool Negative;
  std::string Digits;
  long Exponent;
  if (!ScanFloatText(S, Settings.DecimalSeparator, Negative, Digits, Exponent)) return false;
  size_t Start = Digits.find_first_not_of('0');
  if (Start == std::string::npos) {
    Value = Negative ? -0.0 : 0.0;
    return true;
  }
  Digits.erase(0, Start);
  std::string Text = Digits + "e" + std::to_string(Exponent);
  double v = 0;
  auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), v);
  if (Error == std::errc::result_out_of_range) {
    // Magnitude below the smallest double reads as zero; above the largest it
    // is not a value this type can hold.
    if (static_cast<long>(Digits.size()) + Exponent > 0) return false;
    v = 0;
  } else if (Error != std::errc() || End != Text.data() + Text.size() || std::isinf(v)) {
    return false;
  }
  Value = Negative ? -v : v;
  return true;
}

bool TryStrToFloat(const AnsiString& S, double& Value) {
  return TryStrToFloat(S, Value, FormatSettings);
}

double StrToFloat(const AnsiString& S, const TFormatSettings& Settings) {
  double v;
  if (!TryStrToFloat(S, v, Settings)) RaiseInvalid("floating point value", S);
  return v;
}

double StrToFloat(const AnsiString& S) { return StrToFloat(S, FormatSettings); }

double StrToFloatDef(const AnsiString& S, double Default, const TFormatSettings& Settings) {
  double v;
  return TryStrToFloat(S, v, Settings) ? v : Default;
}

double StrToFloatDef(const AnsiString& S, double Default) {
  return StrToFloatDef(S, Default, FormatSettings);
}

AnsiString FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits,
                       const TFormatSettings& Settings) {
  return DecimalToText(DecimalFromDouble(Value), Format, Precision, Digits, 18, Settings);
}

AnsiString FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits) {
  return FloatToStrF(Value, Format, Precision, Digits, FormatSettings);
}

AnsiString FloatToStr(double Value, const TFormatSettings& Settings) {
  return FloatToStrF(Value, ffGeneral, 15, 0, Settings);
}

AnsiString FloatToStr(double Value) { return FloatToStr(Value, FormatSettings); }

AnsiString FormatFloat(const AnsiString& Format, double Value, const TFormatSettings& Settings) {
  TDecimal d = DecimalFromDouble(Value);
  if (d.Special != TDecimal::Finite) return SpecialText(d);
  const std::vector<AnsiString> Sections = SplitSections(Format);
  auto General = [&] { return FloatToStrF(Value, ffGeneral, 15, 0, Settings); };
  auto Has = [&](size_t i) { return i < Sections.size() && !Sections[i].empty(); };
  if (!Has(0) && Sections.size() == 1) return General();

  const bool Negative = d.Negative;
  d.Negative = false;
  if (d.IsZero() && Has(2)) {
    AnsiString Out;
    bool Zero;
    FormatSection(Sections[2], d, Out, Zero, Settings);
    return Out;
  }
  const bool OwnNegative = Negative && Has(1);
  const AnsiString& Section = OwnNegative ? Sections[1] : Sections[0];
  if (Section.empty()) return General();
  AnsiString Out;
  bool RoundedToZero = false;
  if (!FormatSection(Section, d, Out, RoundedToZero, Settings)) return General();
  if (RoundedToZero && (Has(2) || OwnNegative)) {
    // A value that shows as zero is written as zero: by the zero section, or
    // else by the positive one, never as a negative amount.
    FormatSection(Has(2) ? Sections[2] : Sections[0], TDecimal(), Out, RoundedToZero, Settings);
    return Out;
  }
  if (Negative && !OwnNegative && !RoundedToZero) Out.insert(Out.begin(), '-');
  return Out;
}

AnsiString FormatFloat(const AnsiString& Format, double Value) {
  return FormatFloat(Format, Value, FormatSettings);
}

// ---- currency -----------------------------------------------------------------

AnsiString CurrToStrF(Currency Value, TFloatFormat Format, int Digits,
                      const TFormatSettings& Settings) {
  // A currency value has at most 19 significant digits, all of them exact.
  return DecimalToText(DecimalFromCurrency(Value), Format, 19, Digits, 19, Settings);
}

AnsiString CurrToStrF(Currency Value, TFloatFormat Format, int Digits) {
  return CurrToStrF(Value, Format, Digits, FormatSettings);
}

AnsiString CurrToStr(Currency Value, const TFormatSettings& Settings) {
  return CurrToStrF(Value, ffGeneral, 0, Settings);
}

AnsiString CurrToStr(Currency Value) { return CurrToStr(Value, FormatSettings); }

bool TryStrToCurr(const AnsiString& S, Currency& Value, const TFormatSettings& Settings) {
  bool Negative;
  std::string Digits;
  long Exponent;
  if (!ScanFloatText(S, Settings.DecimalSeparator, Negative, Digits, Exponent)) return false;
  size_t Start = Digits.find_first_not_of('0');
  Digits.erase(0, Start == std::string::npos ? Digits.size() : Start);
  // Value = Digits x 10^Exponent; scaled by 10^4 for the fixed point.
  long Shift = Exponent + 4;
  if (Shift < 0) {
    // Round the dropped digits half to even, as the run-time's FPU store does.
    long Keep = static_cast<long>(Digits.size()) + Shift;
    std::string Dropped;
    if (Keep <= 0) {
      Dropped = std::string(static_cast<size_t>(-Keep), '0') + Digits;
      Digits.clear();
    } else {
      Dropped = Digits.substr(Keep);
      Digits.resize(Keep);
    }
    bool Up = false;
    if (!Dropped.empty() && Dropped[0] >= '5') {
      bool Exact = Dropped[0] == '5' && Dropped.find_first_not_of('0', 1) == std::string::npos;
      bool Odd = !Digits.empty() && (Digits.back() - '0') % 2 == 1;
      Up = !Exact || Odd;
    }
    if (Up) {
      int i = static_cast<int>(Digits.size()) - 1;
      while (i >= 0 && Digits[i] == '9') Digits[i--] = '0';
      if (i < 0)
        Digits.insert(Digits.begin(), '1');
      else
        ++Digits[i];
    }
    Shift = 0;
  }
  if (static_cast<long>(Digits.size()) + Shift > 19) return false;
  Digits.append(static_cast<size_t>(Shift), '0');
  unsigned __int128 v = 0;
  for (char c : Digits) v = v * 10 + static_cast<unsigned>(c - '0');
  const unsigned __int128 Limit =
      Negative ? static_cast<unsigned __int128>(1) << 63 : (static_cast<unsigned __int128>(1) << 63) - 1;
  if (v > Limit) return false;
  uint64_t u = static_cast<uint64_t>(v);
  Value = Currency::FromScaled(static_cast<int64_t>(Negative ? 0 - u : u));
  return true;
}

bool TryStrToCurr(const AnsiString& S, Currency& Value) {
  return TryStrToCurr(S, Value, FormatSettings);
}

Currency StrToCurr(const AnsiString& S, const TFormatSettings& Settings) {
  Currency v;
  if (!TryStrToCurr(S, v, Settings)) RaiseInvalid("floating point value", S);
  return v;
}

Currency StrToCurr(const AnsiString& S) { return StrToCurr(S, FormatSettings); }

Currency StrToCurrDef(const AnsiString& S, Currency Default) {
  Currency v;
  return TryStrToCurr(S, v) ? v : Default;
}

// ---- booleans -----------------------------------------------------------------

AnsiString BoolToStr(bool B, bool UseBoolStrs) {
  if (UseBoolStrs) return B ? "True" : "False";
  return B ? "-1" : "0";
}

bool TryStrToBool(const AnsiString& S, bool& Value) {
  double Number;
  if (TryStrToFloat(S, Number)) {
    Value = Number != 0;
    return true;
  }
  if (SameTextAscii(S, "True")) {
    Value = true;
    return true;
  }
  if (SameTextAscii(S, "False")) {
    Value = false;
    return true;
  }
  return false;
}

bool StrToBool(const AnsiString& S) {
  bool v;
  if (!TryStrToBool(S, v)) RaiseInvalid("boolean value", S);
  return v;
}

bool StrToBoolDef(const AnsiString& S, bool Default) {
  bool v;
  return TryStrToBool(S, v) ? v : Default;
}
