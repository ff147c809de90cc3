#pragma once
// Dates as the option windows pass them around: "yyyymmdd" texts (date-8),
// "yyyymm" months, and dates shown in one of the display types. A date value
// of 0 means "no date".

#include <cstdint>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/ValueTypes.h"

class Variant;

// Display types (the numbering of the selection panel and the date-type box).
constexpr int dtNoneCare = 0;  // the caller's text is left as it is
constexpr int dtYYYYMMDD = 1;
constexpr int dtMMDDYYYY = 2;
constexpr int dtDDMMYYYY = 3;
constexpr int dtYYMMDD = 4;   // years counted from 1911, at least two digits
constexpr int dtYYYMMDD = 5;  // years counted from 1911, at least three digits

// Writes Date in the display type into Text, the separator being the first
// character of Separator (none when it is empty). A date of 0 writes an empty
// text; a type outside 1..5 leaves Text as it is (unless the date is 0).
void FormatDateByType(int DateType, const AnsiString& Separator, TDateTime Date,
                      AnsiString& Text);
// The same for the year and month only.
void FormatYearMonthByType(int DateType, const AnsiString& Separator, TDateTime Date,
                           AnsiString& Text);

// The date of an 8-character "yyyymmdd" text; 0 for anything else.
TDateTime Date8ToDate(const AnsiString& S);
// Empty, or a real date-8 from "17530101" to "99991231".
bool IsValidDate8(const AnsiString& S);

// Date moved by Count units: "D" days, "M" months (a day the target month
// lacks becomes its last day), "Y" years (29 February becomes 28 February);
// the unit in any case. Date is a date-8 text (single- or wide-character) or
// a date value. Empty for an unusable date, another unit or a result outside
// years 1..9999.
AnsiString ShiftDate8(const Variant& Date, const AnsiString& Unit, int64_t Count);

// 28..31, 0 for a month outside 1..12.
int DaysInMonth(int Year, int Month);

// Resolves a relative date of a condition scheme. Count, Anchor and
// DayOffset are decimal integer texts; a text that is not one (where it is
// used) raises EConvertError.
//   - Base "yyyymm" (6 characters or fewer): the month Count months on.
//   - MonthMode other than "0": Count months on, then Anchor 0: DayOffset
//     days on; 1: the first day of that month; 2: its last day; other: as is.
//   - MonthMode "0", Anchor "0": 7 x Count + DayOffset days on.
//   - MonthMode "0", other Anchor: Count weeks on, then the Sunday (Anchor
//     "1") or Saturday (any other) of that week.
AnsiString RelativeDate8(const AnsiString& Base, const AnsiString& Count,
                         const AnsiString& MonthMode, const AnsiString& Anchor,
                         const AnsiString& DayOffset);
