#include "platform/rtl/DateTime.h"

#include <cmath>
#include <cstdlib>

#include "platform/rtl/Clock.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"

namespace {

constexpr int MonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                  {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};
// Day number (1 = 1 January 0001) of 31 December 9999.
constexpr long long MaxDayNumber = 3652059;

// The day number (1 = 1 January 0001) and milliseconds of the day. The whole
// part is truncated and the fraction taken as a distance from it, so negative
// values keep a forward-running time of day; a time that rounds up to
// midnight belongs to the next day. False outside years 1..9999.
bool SplitDateTime(double Value, long long& DayNumber, int& MSecOfDay) {
  if (!std::isfinite(Value) || Value < -700000.0 || Value > 3000000.0) return false;
  const double Whole = std::trunc(Value);
  long long Ms = std::llround(std::fabs(Value - Whole) * MSecsPerDay);
  long long Day = static_cast<long long>(Whole) + DateDelta;
  if (Ms >= MSecsPerDay) {
    Ms -= MSecsPerDay;
    ++Day;
  }
  if (Day < 1 || Day > MaxDayNumber) return false;
  DayNumber = Day;
  MSecOfDay = static_cast<int>(Ms);
  return true;
}

void DayNumberToDate(long long DayNumber, int& Year, int& Month, int& Day) {
  constexpr int D1 = 365, D4 = D1 * 4 + 1, D100 = D4 * 25 - 1, D400 = D100 * 4 + 1;
  long long T = DayNumber - 1;
  int Y = 1;
  Y += static_cast<int>(T / D400) * 400;
  T %= D400;
  int I = static_cast<int>(T / D100);
  long long D = T % D100;
  if (I == 4) {
    --I;
    D += D100;
  }
  Y += I * 100;
  Y += static_cast<int>(D / D4) * 4;
  D %= D4;
  I = static_cast<int>(D / D1);
  D %= D1;
  if (I == 4) {
    --I;
    D += D1;
  }
  Y += I;
  const int* Days = MonthDays[IsLeapYear(Y)];
  int M = 0;
  while (D >= Days[M]) {
    D -= Days[M];
    ++M;
  }
  Year = Y;
  Month = M + 1;
  Day = static_cast<int>(D) + 1;
}

// Combines a date and a time of day the way the type counts before 1899:
// the time always runs forward from the date's midnight.
TDateTime CombineDateTime(TDateTime DatePart, double TimePart) {
  return DatePart.Value >= 0 ? DatePart.Value + TimePart : DatePart.Value - TimePart;
}

int CurrentYear() {
  int Y, M, D;
  DecodeDate(ClockNow(), Y, M, D);
  return Y;
}

// ---- FormatDateTime -----------------------------------------------------------------

// A two-byte character of the process code page is copied whole: in GBK and
// Big5 its second byte may look like a pattern letter.
bool IsLeadByte(char c) { return IsDBCSLeadByte(static_cast<unsigned char>(c)); }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

bool StartsWithNoCase(const AnsiString& S, size_t Pos, const char* What) {
  for (size_t k = 0; What[k]; ++k)
    if (Pos + k >= S.size() || Upper(S[Pos + k]) != Upper(What[k])) return false;
  return true;
}

class TDateTimeWriter {
 public:
  TDateTimeWriter(TDateTime Value, const TFormatSettings& Settings) : Settings(Settings) {
    long long DayNumber;
    int Ms;
    if (SplitDateTime(Value.Value, DayNumber, Ms)) {
      DayNumberToDate(DayNumber, Year, Month, Day);
      WeekDay = static_cast<int>(DayNumber % 7);
      Hour = Ms / 3600000;
      Min = Ms / 60000 % 60;
      Sec = Ms / 1000 % 60;
      MSec = Ms % 1000;
    }
  }

  void Append(const AnsiString& Format, int Level) {
    const size_t n = Format.size();
    char LastToken = ' ';
    bool Use12Hour = false;
    size_t i = 0;
    while (i < n) {
      const char c = Format[i];
      if (IsLeadByte(c) && i + 1 < n) {
        Out.append(Format, i, 2);
        i += 2;
        continue;
      }
      // Runs of the same letter form one token; a run counts exact repeats.
      size_t Count = 1;
      while (i + Count < n && Format[i + Count] == c) ++Count;
      char Token = Upper(c);
      if (Token >= 'A' && Token <= 'Z') {
        if (Token == 'M' && LastToken == 'H') Token = 'N';
        LastToken = Token;
      }
      switch (Token) {
        case 'Y':
          if (Count <= 2)
            Number(Year % 100, 2);
          else
            Number(Year, 4);
          i += Count;
          break;
        case 'M':
          if (Count <= 2)
            Number(Month, static_cast<int>(Count));
          else if (Count == 3)
            Out += Name(Settings.ShortMonthNames, Month - 1);
          else
            Out += Name(Settings.LongMonthNames, Month - 1);
          i += Count;
          break;
        case 'N':
          Number(Min, Count == 1 ? 1 : 2);
          i += Count;
          break;
        case 'D':
          switch (Count) {
            case 1:
            case 2: Number(Day, static_cast<int>(Count)); break;
            case 3: Out += Name(Settings.ShortDayNames, WeekDay); break;
            case 4: Out += Name(Settings.LongDayNames, WeekDay); break;
            case 5: Nested(Settings.ShortDateFormat, Level); break;
            default: Nested(Settings.LongDateFormat, Level); break;
          }
          i += Count;
          break;
        case 'H': {
          i += Count;
          if (!Use12Hour) Use12Hour = AmPmFollows(Format, i);
          int H = Hour;
          if (Use12Hour) H = H == 0 ? 12 : (H > 12 ? H - 12 : H);
          Number(H, Count > 2 ? 2 : static_cast<int>(Count));
          break;
        }
        case 'S':
          Number(Sec, Count == 1 ? 1 : 2);
          i += Count;
          break;
        case 'Z':
          Number(MSec, Count <= 2 ? 1 : 3);
          i += Count;
          break;
        case 'T':
          Nested(Count == 1 ? Settings.ShortTimeFormat : Settings.LongTimeFormat, Level);
          i += Count;
          break;
        case 'C':
          Nested(Settings.ShortDateFormat, Level);
          if (Hour != 0 || Min != 0 || Sec != 0) {
            Out += ' ';
            Nested(Settings.LongTimeFormat, Level);
          }
          i += Count;
          break;
        case 'A':
          if (StartsWithNoCase(Format, i, "am/pm")) {
            Out.append(Format, Hour >= 12 ? i + 3 : i, 2);
            i += 5;
            Use12Hour = true;
          } else if (StartsWithNoCase(Format, i, "a/p")) {
            Out += Format[Hour >= 12 ? i + 2 : i];
            i += 3;
            Use12Hour = true;
          } else if (StartsWithNoCase(Format, i, "ampm")) {
            Out += Hour < 12 ? Settings.TimeAMString : Settings.TimePMString;
            i += 4;
            Use12Hour = true;
          } else if (StartsWithNoCase(Format, i, "aaaa")) {
            Out += Name(Settings.LongDayNames, WeekDay);
            i += 4;
          } else if (StartsWithNoCase(Format, i, "aaa")) {
            Out += Name(Settings.ShortDayNames, WeekDay);
            i += 3;
          } else {
            Out += c;
            ++i;
          }
          break;
        case '/':
          if (Settings.DateSeparator) Out += Settings.DateSeparator;
          ++i;
          break;
        case ':':
          if (Settings.TimeSeparator) Out += Settings.TimeSeparator;
          ++i;
          break;
        case '\'':
        case '"': {
          ++i;
          while (i < n && Format[i] != c) {
            if (IsLeadByte(Format[i]) && i + 1 < n) Out += Format[i++];
            Out += Format[i++];
          }
          if (i < n) ++i;
          break;
        }
        default:
          Out += c;
          ++i;
          break;
      }
    }
  }

  AnsiString Out;

 private:
  // Whether the next "a"/"h" after an hour token (outside quotes) starts an
  // am/pm marker, which switches the hour to the 12-hour clock.
  static bool AmPmFollows(const AnsiString& Format, size_t From) {
    char Quote = 0;
    for (size_t i = From; i < Format.size(); ++i) {
      char c = Format[i];
      if (Quote) {
        if (c == Quote) Quote = 0;
        continue;
      }
      if (IsLeadByte(c)) {
        ++i;
        continue;
      }
      if (c == '\'' || c == '"') {
        Quote = c;
      } else if (c == 'a' || c == 'A') {
        return StartsWithNoCase(Format, i, "am/pm") || StartsWithNoCase(Format, i, "a/p") ||
               StartsWithNoCase(Format, i, "ampm");
      } else if (c == 'h' || c == 'H') {
        return false;
      }
    }
    return false;
  }

  template <size_t N>
  static const AnsiString& Name(const std::array<AnsiString, N>& Names, int Index) {
    static const AnsiString Empty;
    return Index >= 0 && static_cast<size_t>(Index) < N ? Names[Index] : Empty;
  }

  void Number(int Value, int Digits) {
    AnsiString s = std::to_string(Value);
    if (static_cast<int>(s.size()) < Digits) Out.append(Digits - s.size(), '0');
    Out += s;
  }

  // Formats from the settings may hold tokens that refer to formats again;
  // two levels are enough for every real format and stop any loop.
  void Nested(const AnsiString& Format, int Level) {
    if (Level < 2) Append(Format, Level + 1);
  }

  const TFormatSettings& Settings;
  int Year = 0, Month = 0, Day = 0, WeekDay = -1;
  int Hour = 0, Min = 0, Sec = 0, MSec = 0;
};

// ---- text to date and time -----------------------------------------------------------

class TDateScanner {
 public:
  TDateScanner(const AnsiString& S, const TFormatSettings& Settings) : S(S), Settings(Settings) {}

  bool AtEnd() {
    Blanks();
    return Pos >= S.size();
  }

  // Up to four digits after blanks (the run-time stops a number at 1000 or
  // more, so "20240" fails at the next separator).
  bool Number(int& Value, int& Digits) {
    Blanks();
    size_t i = Pos;
    int v = 0;
    while (i < S.size() && S[i] >= '0' && S[i] <= '9' && v < 1000) v = v * 10 + (S[i++] - '0');
    if (i == Pos) return false;
    Digits = static_cast<int>(i - Pos);
    Pos = i;
    Value = v;
    return true;
  }

  bool Char(char c) {
    Blanks();
    if (c != 0 && Pos < S.size() && S[Pos] == c) {
      ++Pos;
      return true;
    }
    return false;
  }

  bool Text(const AnsiString& What) {
    Blanks();
    if (What.empty() || !StartsWithNoCase(S, Pos, What.c_str())) return false;
    Pos += What.size();
    return true;
  }

  bool Date(TDateTime& Value) {
    enum { MDY, DMY, YMD } Order = MDY;
    for (char c : Settings.ShortDateFormat) {
      char u = Upper(c);
      if (u == 'Y' || u == 'E') {
        Order = YMD;
        break;
      }
      if (u == 'M') {
        Order = MDY;
        break;
      }
      if (u == 'D') {
        Order = DMY;
        break;
      }
    }
    int N1, N2, N3, L1, L2, L3;
    if (!(Number(N1, L1) && Char(Settings.DateSeparator) && Number(N2, L2))) return false;
    int Y, M, D;
    if (Char(Settings.DateSeparator)) {
      if (!Number(N3, L3)) return false;
      int YearDigits;
      switch (Order) {
        case MDY: Y = N3; M = N1; D = N2; YearDigits = L3; break;
        case DMY: Y = N3; M = N2; D = N1; YearDigits = L3; break;
        default: Y = N1; M = N2; D = N3; YearDigits = L1; break;
      }
      if (YearDigits <= 2) {
        const int Window = Settings.TwoDigitYearCenturyWindow;
        const int CenturyBase = CurrentYear() - Window;
        Y += CenturyBase / 100 * 100;
        if (Window > 0 && Y < CenturyBase) Y += 100;
      }
    } else {
      Y = CurrentYear();
      if (Order == DMY) {
        D = N1;
        M = N2;
      } else {
        M = N1;
        D = N2;
      }
    }
    return TryEncodeDate(Y, M, D, Value);
  }

  bool Time(TDateTime& Value) {
    int BaseHour = -1;
    if (Text(Settings.TimeAMString) || Text("AM"))
      BaseHour = 0;
    else if (Text(Settings.TimePMString) || Text("PM"))
      BaseHour = 12;
    int Hour, Min = 0, Sec = 0, MSec = 0, Digits;
    if (!Number(Hour, Digits)) return false;
    if (Char(Settings.TimeSeparator)) {
      if (!Number(Min, Digits)) return false;
      if (Char(Settings.TimeSeparator)) {
        if (!Number(Sec, Digits)) return false;
        if (Char(Settings.DecimalSeparator) && !Number(MSec, Digits)) return false;
      }
    }
    if (BaseHour < 0) {
      if (Text(Settings.TimeAMString) || Text("AM"))
        BaseHour = 0;
      else if (Text(Settings.TimePMString) || Text("PM"))
        BaseHour = 12;
    }
    if (BaseHour >= 0) {
      if (Hour == 0 || Hour > 12) return false;
      if (Hour == 12) Hour = 0;
      Hour += BaseHour;
    }
    return TryEncodeTime(Hour, Min, Sec, MSec, Value);
  }

 private:
  void Blanks() {
    while (Pos < S.size() && S[Pos] == ' ') ++Pos;
  }

  const AnsiString& S;
  const TFormatSettings& Settings;
  size_t Pos = 0;
};

[[noreturn]] void RaiseInvalid(const char* What, const AnsiString& S) {
  throw EConvertError("'" + S + "' is not a valid " + What);
}

}  // namespace

// ---- encoding and decoding ------------------------------------------------------

bool IsLeapYear(int Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

int DaysInAMonth(int Year, int Month) {
  return Month >= 1 && Month <= 12 ? MonthDays[IsLeapYear(Year)][Month - 1] : 0;
}

bool IsValidDate(int Year, int Month, int Day) {
  return Year >= 1 && Year <= 9999 && Month >= 1 && Month <= 12 && Day >= 1 &&
         Day <= DaysInAMonth(Year, Month);
}

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Date) {
  if (!IsValidDate(Year, Month, Day)) return false;
  const int* Days = MonthDays[IsLeapYear(Year)];
  int DayOfYear = Day;
  for (int i = 0; i < Month - 1; ++i) DayOfYear += Days[i];
  const int I = Year - 1;
  Date = static_cast<double>(I * 365 + I / 4 - I / 100 + I / 400 + DayOfYear - DateDelta);
  return true;
}

bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Time) {
  if (Hour < 0 || Hour >= 24 || Min < 0 || Min >= 60 || Sec < 0 || Sec >= 60 || MSec < 0 ||
      MSec >= 1000)
    return false;
  Time = (Hour * 3600000.0 + Min * 60000.0 + Sec * 1000.0 + MSec) / MSecsPerDay;
  return true;
}

TDateTime EncodeDate(int Year, int Month, int Day) {
  TDateTime Result;
  if (!TryEncodeDate(Year, Month, Day, Result))
    throw EConvertError("Invalid argument to date encode");
  return Result;
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec) {
  TDateTime Result;
  if (!TryEncodeTime(Hour, Min, Sec, MSec, Result))
    throw EConvertError("Invalid argument to time encode");
  return Result;
}

bool DecodeDateFully(TDateTime Date, int& Year, int& Month, int& Day, int& DOW) {
  long long DayNumber;
  int Ms;
  if (!SplitDateTime(Date.Value, DayNumber, Ms)) {
    Year = Month = Day = DOW = 0;
    return false;
  }
  DayNumberToDate(DayNumber, Year, Month, Day);
  DOW = static_cast<int>(DayNumber % 7) + 1;
  return IsLeapYear(Year);
}

void DecodeDate(TDateTime Date, int& Year, int& Month, int& Day) {
  int DOW;
  DecodeDateFully(Date, Year, Month, Day, DOW);
}

void DecodeTime(TDateTime Time, int& Hour, int& Min, int& Sec, int& MSec) {
  long long DayNumber;
  int Ms = 0;
  if (!SplitDateTime(Time.Value, DayNumber, Ms)) {
    // Out of the calendar's range the time of day still has a meaning.
    if (std::isfinite(Time.Value)) {
      long long Rounded =
          std::llround(std::fabs(Time.Value - std::trunc(Time.Value)) * MSecsPerDay);
      Ms = static_cast<int>(Rounded % MSecsPerDay);
    }
  }
  Hour = Ms / 3600000;
  Min = Ms / 60000 % 60;
  Sec = Ms / 1000 % 60;
  MSec = Ms % 1000;
}

int DayOfWeek(TDateTime Date) {
  int Y, M, D, DOW;
  DecodeDateFully(Date, Y, M, D, DOW);
  return DOW;
}

// ---- the clock ------------------------------------------------------------------

TDateTime Now() { return ClockNow(); }
TDateTime Date() { return std::trunc(ClockNow().Value); }
TDateTime Time() {
  const double Value = ClockNow().Value;
  return std::fabs(Value - std::trunc(Value));
}

// ---- arithmetic -----------------------------------------------------------------

TDateTime IncMonth(TDateTime Date, int NumberOfMonths) {
  int Year, Month, Day;
  DecodeDate(Date, Year, Month, Day);
  if (Year == 0) throw EConvertError("Invalid argument to date encode");
  const long long Total = static_cast<long long>(Year) * 12 + (Month - 1) + NumberOfMonths;
  const long long NewYear = Total >= 0 ? Total / 12 : (Total - 11) / 12;
  if (NewYear < 1 || NewYear > 9999) throw EConvertError("Invalid argument to date encode");
  Year = static_cast<int>(NewYear);
  Month = static_cast<int>(Total - NewYear * 12) + 1;
  if (Day > DaysInAMonth(Year, Month)) Day = DaysInAMonth(Year, Month);
  const double TimePart = std::fabs(Date.Value - std::trunc(Date.Value));
  return CombineDateTime(EncodeDate(Year, Month, Day), TimePart);
}

TDateTime IncDay(TDateTime Date, int NumberOfDays) { return Date.Value + NumberOfDays; }

// ---- texts ----------------------------------------------------------------------

AnsiString FormatDateTime(const AnsiString& Format, TDateTime DateTime,
                          const TFormatSettings& Settings) {
  TDateTimeWriter Writer(DateTime, Settings);
  Writer.Append(Format.empty() ? AnsiString("c") : Format, 0);
  return Writer.Out;
}

AnsiString FormatDateTime(const AnsiString& Format, TDateTime DateTime) {
  return FormatDateTime(Format, DateTime, FormatSettings);
}

AnsiString DateToStr(TDateTime Date, const TFormatSettings& Settings) {
  return FormatDateTime(Settings.ShortDateFormat, Date, Settings);
}
AnsiString DateToStr(TDateTime Date) { return DateToStr(Date, FormatSettings); }

AnsiString TimeToStr(TDateTime Time, const TFormatSettings& Settings) {
  return FormatDateTime(Settings.LongTimeFormat, Time, Settings);
}
AnsiString TimeToStr(TDateTime Time) { return TimeToStr(Time, FormatSettings); }

AnsiString DateTimeToStr(TDateTime DateTime, const TFormatSettings& Settings) {
  return FormatDateTime("c", DateTime, Settings);
}
AnsiString DateTimeToStr(TDateTime DateTime) { return DateTimeToStr(DateTime, FormatSettings); }

bool TryStrToDate(const AnsiString& S, TDateTime& Value, const TFormatSettings& Settings) {
  TDateScanner Scanner(S, Settings);
  TDateTime Result;
  if (!Scanner.Date(Result) || !Scanner.AtEnd()) return false;
  Value = Result;
  return true;
}
bool TryStrToDate(const AnsiString& S, TDateTime& Value) {
  return TryStrToDate(S, Value, FormatSettings);
}

bool TryStrToTime(const AnsiString& S, TDateTime& Value, const TFormatSettings& Settings) {
  TDateScanner Scanner(S, Settings);
  TDateTime Result;
  if (!Scanner.Time(Result) || !Scanner.AtEnd()) return false;
  Value = Result;
  return true;
}
bool TryStrToTime(const AnsiString& S, TDateTime& Value) {
  return TryStrToTime(S, Value, FormatSettings);
}

bool TryStrToDateTime(const AnsiString& S, TDateTime& Value, const TFormatSettings& Settings) {
  TDateScanner Scanner(S, Settings);
  TDateTime DatePart, TimePart;
  if (!Scanner.Date(DatePart)) return TryStrToTime(S, Value, Settings);
  if (!Scanner.AtEnd() && !(Scanner.Time(TimePart) && Scanner.AtEnd())) return false;
  Value = CombineDateTime(DatePart, TimePart.Value);
  return true;
}
bool TryStrToDateTime(const AnsiString& S, TDateTime& Value) {
  return TryStrToDateTime(S, Value, FormatSettings);
}

TDateTime StrToDate(const AnsiString& S, const TFormatSettings& Settings) {
  TDateTime v;
  if (!TryStrToDate(S, v, Settings)) RaiseInvalid("date", S);
  return v;
}
TDateTime StrToDate(const AnsiString& S) { return StrToDate(S, FormatSettings); }

TDateTime StrToTime(const AnsiString& S, const TFormatSettings& Settings) {
  TDateTime v;
  if (!TryStrToTime(S, v, Settings)) RaiseInvalid("time", S);
  return v;
}
TDateTime StrToTime(const AnsiString& S) { return StrToTime(S, FormatSettings); }

TDateTime StrToDateTime(const AnsiString& S, const TFormatSettings& Settings) {
  TDateTime v;
  if (!TryStrToDateTime(S, v, Settings)) RaiseInvalid("date and time", S);
  return v;
}
TDateTime StrToDateTime(const AnsiString& S) { return StrToDateTime(S, FormatSettings); }

TDateTime StrToDateDef(const AnsiString& S, TDateTime Default) {
  TDateTime v;
  return TryStrToDate(S, v) ? v : Default;
}

TDateTime StrToDateTimeDef(const AnsiString& S, TDateTime Default) {
  TDateTime v;
  return TryStrToDateTime(S, v) ? v : Default;
}
