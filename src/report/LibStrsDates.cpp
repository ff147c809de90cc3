#include "src/report/LibStrsDates.h"

#include <cmath>
#include <limits>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Variant.h"

namespace {

// Years of the Republic-era display types count from this year.
constexpr int kEraBaseYear = 1911;

bool IsNoDate(TDateTime Date) { return std::trunc(Date.Value) == 0; }

// The first character of the caller's separator text, whole even when it is
// a double-byte one.
AnsiString FirstChar(const AnsiString& S) {
  if (S.empty()) return AnsiString();
  return S.substr(0, CharSizeAt(S, 0));
}

// Digits only: "2024" -> 2024; a text with anything else (blanks, signs,
// hexadecimal marks) is not a number here and reads as 0.
int DecimalOrZero(const AnsiString& S) {
  if (S.empty()) return 0;
  int value = 0;
  for (char c : S) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value;
}

void SplitDate8(const AnsiString& S, int& Year, int& Month, int& Day) {
  Year = DecimalOrZero(Copy(S, 1, 4));
  Month = DecimalOrZero(Copy(S, 5, 2));
  Day = DecimalOrZero(Copy(S, 7, 2));
}

// A decimal integer with an optional sign; anything else raises the
// run-time's conversion error.
int64_t DecimalOrRaise(const AnsiString& S) {
  size_t i = 0;
  bool negative = false;
  if (i < S.size() && (S[i] == '-' || S[i] == '+')) negative = S[i++] == '-';
  if (i == S.size()) throw EConvertError(Format("'%s' is not a valid integer value", {S}));
  int64_t value = 0;
  for (; i < S.size(); ++i) {
    if (S[i] < '0' || S[i] > '9' || value > std::numeric_limits<int32_t>::max())
      throw EConvertError(Format("'%s' is not a valid integer value", {S}));
    value = value * 10 + (S[i] - '0');
  }
  if (value > std::numeric_limits<int32_t>::max() + (negative ? 1LL : 0LL))
    throw EConvertError(Format("'%s' is not a valid integer value", {S}));
  return negative ? -value : value;
}

AnsiString FormatDate8(int Year, int Month, int Day) {
  return Format("%.4d%.2d%.2d", {Year, Month, Day});
}

}  // namespace

void FormatDateByType(int DateType, const AnsiString& Separator, TDateTime Date,
                      AnsiString& Text) {
  if (IsNoDate(Date)) {
    Text.clear();
    return;
  }
  int y, m, d;
  DecodeDate(Date, y, m, d);
  const AnsiString sep = FirstChar(Separator);
  switch (DateType) {
    case dtYYYYMMDD: Text = Format("%.4d%s%.2d%s%.2d", {y, sep, m, sep, d}); break;
    case dtMMDDYYYY: Text = Format("%.2d%s%.2d%s%.4d", {m, sep, d, sep, y}); break;
    case dtDDMMYYYY: Text = Format("%.2d%s%.2d%s%.4d", {d, sep, m, sep, y}); break;
    case dtYYMMDD: Text = Format("%.2d%s%.2d%s%.2d", {y - kEraBaseYear, sep, m, sep, d}); break;
    case dtYYYMMDD: Text = Format("%.3d%s%.2d%s%.2d", {y - kEraBaseYear, sep, m, sep, d}); break;
    default: break;  // the caller's text stays
  }
}

void FormatYearMonthByType(int DateType, const AnsiString& Separator, TDateTime Date,
                           AnsiString& Text) {
  if (IsNoDate(Date)) {
    Text.clear();
    return;
  }
  int y, m, d;
  DecodeDate(Date, y, m, d);
  const AnsiString sep = FirstChar(Separator);
  switch (DateType) {
    case dtYYYYMMDD: Text = Format("%.4d%s%.2d", {y, sep, m}); break;
    case dtMMDDYYYY:
    case dtDDMMYYYY: Text = Format("%.2d%s%.4d", {m, sep, y}); break;
    case dtYYMMDD: Text = Format("%.2d%s%.2d", {y - kEraBaseYear, sep, m}); break;
    case dtYYYMMDD: Text = Format("%.3d%s%.2d", {y - kEraBaseYear, sep, m}); break;
    default: break;
  }
}

TDateTime Date8ToDate(const AnsiString& S) {
  if (S.size() != 8) return TDateTime(0);
  int y, m, d;
  SplitDate8(S, y, m, d);
  TDateTime result(0);
  if (y == 0 || m == 0 || d == 0 || !TryEncodeDate(y, m, d, result)) return TDateTime(0);
  return result;
}

bool IsValidDate8(const AnsiString& S) {
  if (S.empty()) return true;
  // A longer text would pass the range comparison below with its extra
  // characters, so only exactly eight are a date-8.
  if (S.size() != 8) return false;
  int y, m, d;
  SplitDate8(S, y, m, d);
  if (!IsValidDate(y, m, d)) return false;
  return S >= "17530101" && S <= "99991231";
}

namespace {

AnsiString ShiftDays(TDateTime Date, int64_t Count) {
  const double shifted = std::trunc(Date.Value) + static_cast<double>(Count);
  // 1 January 0001 .. 31 December 9999 as day numbers.
  if (shifted < -693593.0 || shifted > 2958465.0) return AnsiString();
  int y, m, d;
  DecodeDate(TDateTime(shifted), y, m, d);
  return FormatDate8(y, m, d);
}

AnsiString ShiftMonths(int Year, int Month, int Day, int64_t Count) {
  int64_t total = static_cast<int64_t>(Year) * 12 + Month + Count;
  int64_t newMonth = total % 12;
  int64_t newYear = total / 12;
  if (newMonth <= 0) {  // total is positive for every year the result can have
    newMonth += 12;
    newYear -= 1;
  }
  if (newYear < 1 || newYear > 9999) return AnsiString();
  const int days = DaysInMonth(static_cast<int>(newYear), static_cast<int>(newMonth));
  return FormatDate8(static_cast<int>(newYear), static_cast<int>(newMonth),
                     Day > days ? days : Day);
}

AnsiString ShiftYears(int Year, int Month, int Day, int64_t Count) {
  const int64_t newYear = Year + Count;
  if (newYear < 1 || newYear > 9999) return AnsiString();
  const int days = DaysInMonth(static_cast<int>(newYear), Month);
  return FormatDate8(static_cast<int>(newYear), Month, Day > days ? days : Day);
}

}  // namespace

AnsiString ShiftDate8(const Variant& Date, const AnsiString& Unit, int64_t Count) {
  TDateTime date(0);
  const TVarType type = VarType(Date);
  if (type == varString || type == varOleStr)
    date = Date8ToDate(VarToStr(Date));
  else if (type == varDate)
    date = Date.AsDate();
  else
    return AnsiString();
  if (IsNoDate(date)) return AnsiString();

  const AnsiString unit = UpperCase(Unit);
  if (unit == "D") return ShiftDays(date, Count);
  int y, m, d;
  DecodeDate(date, y, m, d);
  if (y == 0) return AnsiString();  // outside the calendar
  if (unit == "M") return ShiftMonths(y, m, d, Count);
  if (unit == "Y") return ShiftYears(y, m, d, Count);
  return AnsiString();
}

int DaysInMonth(int Year, int Month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (Month < 1 || Month > 12) return 0;
  if (Month == 2 && ((Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0)) return 29;
  return kDays[Month - 1];
}

AnsiString RelativeDate8(const AnsiString& Base, const AnsiString& Count,
                         const AnsiString& MonthMode, const AnsiString& Anchor,
                         const AnsiString& DayOffset) {
  const int64_t count = DecimalOrRaise(Count);
  if (Base.size() <= 6) return Copy(ShiftDate8(Base + "01", "M", count), 1, 6);

  if (MonthMode != "0") {
    const AnsiString m = ShiftDate8(Base, "M", count);
    const int64_t anchor = DecimalOrRaise(Anchor);
    if (anchor == 0) return ShiftDate8(m, "D", DecimalOrRaise(DayOffset));
    if (m.empty()) return AnsiString();
    if (anchor == 1) return Copy(m, 1, 6) + "01";
    if (anchor == 2) {
      int y, mo, d;
      SplitDate8(m, y, mo, d);
      return Copy(m, 1, 6) + IntToStr(DaysInMonth(y, mo));
    }
    return m;
  }

  if (Anchor != "0") {  // week mode
    const AnsiString d = ShiftDate8(Base, "D", 7 * count);
    if (d.empty()) return AnsiString();
    const int w = DayOfWeek(Date8ToDate(d));
    return ShiftDate8(d, "D", Anchor == "1" ? 1 - w : 7 - w);
  }
  return ShiftDate8(Base, "D", 7 * count + DecimalOrRaise(DayOffset));
}
