#pragma once
// Calendar dates and times of day as TDateTime values, and their texts.
//
// A TDateTime counts days from 30 December 1899; the fraction is the time of
// day. Dates run from year 1 to 9999. Before 1899 the whole part is negative
// while the fraction still counts forward: -1.25 is 29 December 1899, 06:00.
// Texts follow the settings (ShortDateFormat, DateSeparator, ...). Parsing
// failures raise EConvertError with the run-time's texts.

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/ValueTypes.h"

struct TFormatSettings;

constexpr int HoursPerDay = 24;
constexpr int MinsPerDay = HoursPerDay * 60;
constexpr int SecsPerDay = MinsPerDay * 60;
constexpr int MSecsPerDay = SecsPerDay * 1000;
// Days from 1 January 0001 to 30 December 1899.
constexpr int DateDelta = 693594;

// ---- encoding and decoding ------------------------------------------------------
// Raises EConvertError "Invalid argument to date encode" / "... time encode".
TDateTime EncodeDate(int Year, int Month, int Day);
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);
bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Date);
bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Time);

// A value outside years 1..9999 (or not a number) decodes to zeros.
void DecodeDate(TDateTime Date, int& Year, int& Month, int& Day);
void DecodeTime(TDateTime Time, int& Hour, int& Min, int& Sec, int& MSec);
// Also gives the day of the week (1 = Sunday); returns whether the year is a
// leap year.
bool DecodeDateFully(TDateTime Date, int& Year, int& Month, int& Day, int& DOW);

bool IsLeapYear(int Year);
bool IsValidDate(int Year, int Month, int Day);
// 0 for a month outside 1..12.
int DaysInAMonth(int Year, int Month);
// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(TDateTime Date);

// ---- the clock ------------------------------------------------------------------
// The current local date and time, with milliseconds (see Clock.h for the
// clock a test can set).
TDateTime Now();
TDateTime Date();
TDateTime Time();

// ---- arithmetic -----------------------------------------------------------------
// Moves by whole months keeping the time of day; a day beyond the end of the
// target month becomes its last day (31 January + 1 month = 28/29 February).
TDateTime IncMonth(TDateTime Date, int NumberOfMonths = 1);
TDateTime IncDay(TDateTime Date, int NumberOfDays = 1);

// ---- texts ----------------------------------------------------------------------
// Pattern tokens (case does not matter except in am/pm): d dd ddd dddd ddddd
// dddddd, m mm mmm mmmm (minutes right after an h token), yy yyyy, h hh, n nn,
// s ss, z zzz, am/pm a/p ampm, c, t tt, "/" (date separator), ":" (time
// separator), '...' and "..." literals. An empty pattern means "c".
AnsiString FormatDateTime(const AnsiString& Format, TDateTime DateTime);
AnsiString FormatDateTime(const AnsiString& Format, TDateTime DateTime,
                          const TFormatSettings& Settings);

AnsiString DateToStr(TDateTime Date);
AnsiString DateToStr(TDateTime Date, const TFormatSettings& Settings);
AnsiString TimeToStr(TDateTime Time);
AnsiString TimeToStr(TDateTime Time, const TFormatSettings& Settings);
// Date and long time; the time is left out when it is midnight.
AnsiString DateTimeToStr(TDateTime DateTime);
AnsiString DateTimeToStr(TDateTime DateTime, const TFormatSettings& Settings);

// Dates are read as numbers split by DateSeparator in the order of
// ShortDateFormat; two numbers give a day in the current year; a year of one
// or two digits falls in the TwoDigitYearCenturyWindow. Times are h[:n[:s[.z]]]
// with an optional AM/PM before or after.
bool TryStrToDate(const AnsiString& S, TDateTime& Value);
bool TryStrToDate(const AnsiString& S, TDateTime& Value, const TFormatSettings& Settings);
bool TryStrToTime(const AnsiString& S, TDateTime& Value);
bool TryStrToTime(const AnsiString& S, TDateTime& Value, const TFormatSettings& Settings);
bool TryStrToDateTime(const AnsiString& S, TDateTime& Value);
bool TryStrToDateTime(const AnsiString& S, TDateTime& Value, const TFormatSettings& Settings);

TDateTime StrToDate(const AnsiString& S);
TDateTime StrToDate(const AnsiString& S, const TFormatSettings& Settings);
TDateTime StrToTime(const AnsiString& S);
TDateTime StrToTime(const AnsiString& S, const TFormatSettings& Settings);
TDateTime StrToDateTime(const AnsiString& S);
TDateTime StrToDateTime(const AnsiString& S, const TFormatSettings& Settings);

TDateTime StrToDateDef(const AnsiString& S, TDateTime Default);
TDateTime StrToDateTimeDef(const AnsiString& S, TDateTime Default);
