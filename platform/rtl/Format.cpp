#include "platform/rtl/Format.h"

#include <cstdlib>
#include <limits>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Variant.h"

namespace {

// Wide-text arguments are written in the process code page, as the run-time
// converts a WideString argument for an ANSI Format.
AnsiString WideTextForFormat(const WideString& Text) { return WideToAnsi(Text); }

// The format text as error messages quote it: at most 31 bytes, without a
// two-byte character cut in half.
AnsiString QuotedFormat(const AnsiString& Fmt) {
  if (Fmt.size() <= 31) return Fmt;
  size_t End = 0;
  while (End < Fmt.size()) {
    size_t Next = End + CharSizeAt(Fmt, End);
    if (Next > 31) break;
    End = Next;
  }
  return Fmt.substr(0, End);
}

class TFormatter {
 public:
  TFormatter(const AnsiString& Fmt, const TVarRec* Args, size_t Count, const TFormatSettings& Settings)
      : Fmt(Fmt), Args(Args), Count(Count), Settings(Settings) {}

  AnsiString Run() {
    AnsiString Out;
    const size_t n = Fmt.size();
    size_t i = 0;
    while (i < n) {
      size_t Percent = Fmt.find('%', i);
      if (Percent == AnsiString::npos) {
        Out.append(Fmt, i, AnsiString::npos);
        break;
      }
      Out.append(Fmt, i, Percent - i);
      i = Percent + 1;
      if (i >= n) Invalid();
      if (Fmt[i] == '%') {
        Out += '%';
        ++i;
        continue;
      }
      Out += Specifier(i);
    }
    return Out;
  }

 private:
  [[noreturn]] void Invalid() const {
    throw EConvertError("Format '" + QuotedFormat(Fmt) + "' invalid or incompatible with argument");
  }
  [[noreturn]] void Missing() const {
    throw EConvertError("No argument for format '" + QuotedFormat(Fmt) + "'");
  }

  const TVarRec& NextArg() {
    if (ArgIndex >= Count) Missing();
    return Args[ArgIndex++];
  }

  // Digits, or "*" for the next argument, which must be an integer. Returns
  // false when neither is there.
  bool Number(size_t& i, int& Value) {
    if (i < Fmt.size() && Fmt[i] == '*') {
      ++i;
      const TVarRec& a = NextArg();
      if (a.Kind == TVarRecKind::Integer ||
          (a.Kind == TVarRecKind::Int64 && a.VInt64 >= std::numeric_limits<int>::min() &&
           a.VInt64 <= std::numeric_limits<int>::max()))
        Value = static_cast<int>(a.VInt64);
      else
        Invalid();
      return true;
    }
    if (i >= Fmt.size() || Fmt[i] < '0' || Fmt[i] > '9') return false;
    long v = 0;
    while (i < Fmt.size() && Fmt[i] >= '0' && Fmt[i] <= '9') {
      v = v * 10 + (Fmt[i++] - '0');
      // A width or index this large is a broken format, not a request for
      // gigabytes of padding.
      if (v > 1000000) Invalid();
    }
    Value = static_cast<int>(v);
    return true;
  }

  // Formats the specifier after the "%" at i and moves i past it.
  AnsiString Specifier(size_t& i) {
    bool LeftAlign = false, HaveWidth = false;
    int Width = 0, Precision = -1, First;
    if (Number(i, First)) {
      if (i < Fmt.size() && Fmt[i] == ':') {
        ++i;
        if (First < 0) Invalid();
        ArgIndex = static_cast<size_t>(First);
      } else {
        Width = First;
        HaveWidth = true;
      }
    }
    if (!HaveWidth) {
      if (i < Fmt.size() && Fmt[i] == '-') {
        LeftAlign = true;
        ++i;
      }
      Number(i, Width);
    }
    if (i < Fmt.size() && Fmt[i] == '.') {
      ++i;
      // A negative precision from "*" means none, as an absent one does.
      if (!Number(i, Precision)) Precision = 0;
    }
    if (i >= Fmt.size()) Invalid();
    const char Type = Fmt[i] >= 'a' && Fmt[i] <= 'z' ? static_cast<char>(Fmt[i] - 32) : Fmt[i];
    ++i;
    AnsiString Text = Convert(Type, NextArg(), Precision);
    if (Width > 0 && static_cast<int>(Text.size()) < Width) {
      if (LeftAlign)
        Text.append(Width - Text.size(), ' ');
      else
        Text.insert(0, Width - Text.size(), ' ');
    }
    return Text;
  }

  AnsiString Convert(char Type, const TVarRec& a, int Precision) {
    switch (Type) {
      case 'D':
      case 'U':
      case 'X': {
        int64_t Value;
        bool Wide;
        if (!IntegerOf(a, Value, Wide)) Invalid();
        return IntegerText(Type, Value, Wide, Precision);
      }
      case 'E':
      case 'F':
      case 'G':
      case 'N':
      case 'M':
        return FloatText(Type, a, Precision);
      case 'P':
        if (a.Kind != TVarRecKind::Pointer) Invalid();
        return IntToHex(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(a.VPointer)), 8);
      case 'S': {
        AnsiString Text = StringOf(a);
        if (Precision >= 0 && static_cast<size_t>(Precision) < Text.size()) Text.resize(Precision);
        return Text;
      }
      default:
        Invalid();
    }
  }

  // Wide is false for a 32-bit integer (for %u and %x its two's complement
  // has 32 bits).
  bool IntegerOf(const TVarRec& a, int64_t& Value, bool& Wide) const {
    switch (a.Kind) {
      case TVarRecKind::Integer:
        Value = a.VInt64;
        Wide = false;
        return true;
      case TVarRecKind::Int64:
        Value = a.VInt64;
        Wide = true;
        return true;
      case TVarRecKind::Variant:
      {
        Value = a.VVariant->AsInt64();
        const TVarType Type = a.VVariant->VarType() & varTypeMask;
        Wide = Type == varInt64 || Type == varUInt64 || Value < std::numeric_limits<int>::min() ||
               Value > std::numeric_limits<int>::max();
      }
        return true;
      default:
        return false;
    }
  }

  static AnsiString IntegerText(char Type, int64_t Value, bool Wide, int Precision) {
    AnsiString Digits;
    bool Negative = false;
    if (Type == 'D') {
      Negative = Value < 0;
      uint64_t Magnitude = Negative ? 0 - static_cast<uint64_t>(Value) : static_cast<uint64_t>(Value);
      Digits = std::to_string(Magnitude);
    } else {
      uint64_t Bits = Wide ? static_cast<uint64_t>(Value) : static_cast<uint32_t>(Value);
      Digits = Type == 'U' ? std::to_string(Bits) : IntToHex(static_cast<unsigned long long>(Bits), 0);
    }
    if (Precision > static_cast<int>(Digits.size())) Digits.insert(0, Precision - Digits.size(), '0');
    return Negative ? "-" + Digits : Digits;
  }

  AnsiString FloatText(char Type, const TVarRec& a, int Precision) {
    double Value;
    switch (a.Kind) {
      case TVarRecKind::Extended:
        Value = a.VExtended;
        break;
      case TVarRecKind::Currency: {
        const Currency c = Currency::FromScaled(a.VInt64);
        // Fixed forms are written from the exact scaled value.
        if (Type == 'F' || Type == 'N' || Type == 'M') {
          int Decimals = Precision >= 0 ? Precision : DefaultDecimals(Type);
          return CurrToStrF(c, Type == 'F' ? ffFixed : Type == 'N' ? ffNumber : ffCurrency,
                            Decimals, Settings);
        }
        Value = c.ToDouble();
        break;
      }
      case TVarRecKind::Variant:
        Value = a.VVariant->AsFloat();
        break;
      default:
        Invalid();
    }
    switch (Type) {
      case 'E':
        return FloatToStrF(Value, ffExponent, Precision >= 0 ? Precision : 15, 3, Settings);
      case 'G':
        return FloatToStrF(Value, ffGeneral, Precision >= 0 ? Precision : 15, 3, Settings);
      case 'F':
        return FloatToStrF(Value, ffFixed, 18, Precision >= 0 ? Precision : 2, Settings);
      case 'N':
        return FloatToStrF(Value, ffNumber, 18, Precision >= 0 ? Precision : 2, Settings);
      default:
        return FloatToStrF(Value, ffCurrency, 18, Precision >= 0 ? Precision : DefaultDecimals(Type),
                           Settings);
    }
  }

  int DefaultDecimals(char Type) const { return Type == 'M' ? Settings.CurrencyDecimals : 2; }

  AnsiString StringOf(const TVarRec& a) const {
    switch (a.Kind) {
      case TVarRecKind::Char:
      case TVarRecKind::AnsiString:
      case TVarRecKind::WideString:
        return a.VString;
      case TVarRecKind::PChar:
        return a.VPChar;
      case TVarRecKind::Variant:
        return VarToStr(*a.VVariant);
      default:
        Invalid();
    }
  }

  const AnsiString& Fmt;
  const TVarRec* Args;
  const size_t Count;
  const TFormatSettings& Settings;
  size_t ArgIndex = 0;
};

}  // namespace

TVarRec::TVarRec(char16_t Value)
    : Kind(TVarRecKind::WideString), VInt64(0), VString(WideTextForFormat(WideString(1, Value))) {}

TVarRec::TVarRec(const WideString& Value)
    : Kind(TVarRecKind::WideString), VInt64(0), VString(WideTextForFormat(Value)) {}

TVarRec::TVarRec(const char16_t* Value)
    : Kind(TVarRecKind::WideString),
      VInt64(0),
      VString(Value ? WideTextForFormat(WideString(Value)) : AnsiString()) {}

TVarRec::TVarRec(const Variant& Value)
    : Kind(TVarRecKind::Variant), VInt64(0), VVariant(std::make_shared<const Variant>(Value)) {}

AnsiString Format(const AnsiString& Fmt, std::initializer_list<TVarRec> Args,
                  const TFormatSettings& Settings) {
  return TFormatter(Fmt, Args.begin(), Args.size(), Settings).Run();
}

AnsiString Format(const AnsiString& Fmt, std::initializer_list<TVarRec> Args) {
  return Format(Fmt, Args, FormatSettings);
}

AnsiString FormatV(const AnsiString& Fmt, const std::vector<TVarRec>& Args,
                   const TFormatSettings& Settings) {
  return TFormatter(Fmt, Args.data(), Args.size(), Settings).Run();
}

AnsiString FormatV(const AnsiString& Fmt, const std::vector<TVarRec>& Args) {
  return FormatV(Fmt, Args, FormatSettings);
}
