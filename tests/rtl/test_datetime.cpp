#include <gtest/gtest.h>

#include <cmath>

#include "platform/rtl/Clock.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"

namespace {

template <class F>
void ExpectConvertError(F&& Call, const AnsiString& Message) {
  try {
    Call();
    ADD_FAILURE() << "expected EConvertError \"" << Message << "\"";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, Message);
  }
}

TDateTime At(int Y, int M, int D, int H = 0, int N = 0, int S = 0, int Z = 0) {
  return EncodeDate(Y, M, D) + EncodeTime(H, N, S, Z);
}

TEST(EncodeDate, KnownDayNumbers) {
  struct Case {
    int Y, M, D;
    double Days;
  } Cases[] = {
      {1899, 12, 30, 0},      {1900, 1, 1, 2},        {2000, 1, 1, 36526},
      {2024, 2, 29, 45351},   {1, 1, 1, -693593},     {9999, 12, 31, 2958465},
      {1899, 12, 29, -1},     {1600, 3, 1, -109511},
  };
  for (const Case& c : Cases) {
    EXPECT_EQ(EncodeDate(c.Y, c.M, c.D).Value, c.Days) << c.Y << "-" << c.M << "-" << c.D;
    int y, m, d;
    DecodeDate(c.Days, y, m, d);
    EXPECT_EQ((std::array<int, 3>{y, m, d}), (std::array<int, 3>{c.Y, c.M, c.D}));
  }
}

TEST(EncodeDate, InvalidDatesRaise) {
  int Bad[][3] = {{2023, 2, 29}, {1900, 2, 29}, {0, 1, 1},  {10000, 1, 1},
                  {2024, 13, 1}, {2024, 0, 1},  {2024, 4, 31}, {2024, 1, 0}};
  for (auto& b : Bad) {
    TDateTime t = 123;
    EXPECT_FALSE(TryEncodeDate(b[0], b[1], b[2], t));
    EXPECT_EQ(t.Value, 123);
    EXPECT_FALSE(IsValidDate(b[0], b[1], b[2]));
    ExpectConvertError([&] { EncodeDate(b[0], b[1], b[2]); }, "Invalid argument to date encode");
  }
}

// Every day of the calendar decodes to the next day after the previous one
// and encodes back to itself.
TEST(EncodeDate, WholeCalendarRoundTrips) {
  int PrevY = 1, PrevM = 1, PrevD = 0;
  for (int n = -693593; n <= 2958465; ++n) {
    int y, m, d, dow;
    const bool Leap = DecodeDateFully(n, y, m, d, dow);
    const bool NextDay = (y == PrevY && m == PrevM && d == PrevD + 1) ||
                         (y == PrevY && m == PrevM + 1 && d == 1 && PrevD == DaysInAMonth(PrevY, PrevM)) ||
                         (y == PrevY + 1 && m == 1 && d == 1 && PrevM == 12 && PrevD == 31);
    ASSERT_TRUE(NextDay) << n << ": " << y << "-" << m << "-" << d;
    ASSERT_EQ(EncodeDate(y, m, d).Value, n);
    ASSERT_EQ(Leap, IsLeapYear(y));
    ASSERT_EQ(dow, (n % 7 + 7 + 6) % 7 + 1);  // day 0 was a Saturday
    PrevY = y, PrevM = m, PrevD = d;
  }
  EXPECT_EQ(PrevY * 10000 + PrevM * 100 + PrevD, 99991231);
}

TEST(DecodeDate, OutOfRangeGivesZeros) {
  for (double v : {-693594.0, 2958466.0, 1e300, std::nan("")}) {
    int y = 1, m = 1, d = 1;
    DecodeDate(v, y, m, d);
    EXPECT_EQ(y + m + d, 0) << v;
  }
}

TEST(EncodeTime, RangeAndRoundTrip) {
  int Good[][4] = {{0, 0, 0, 0}, {23, 59, 59, 999}, {12, 30, 15, 500}, {9, 7, 8, 45}};
  for (auto& g : Good) {
    int h, n, s, z;
    DecodeTime(EncodeTime(g[0], g[1], g[2], g[3]), h, n, s, z);
    EXPECT_EQ((std::array<int, 4>{h, n, s, z}), (std::array<int, 4>{g[0], g[1], g[2], g[3]}));
  }
  int Bad[][4] = {{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}, {-1, 0, 0, 0}};
  for (auto& b : Bad)
    ExpectConvertError([&] { EncodeTime(b[0], b[1], b[2], b[3]); }, "Invalid argument to time encode");
}

TEST(DecodeTime, NegativeDatesKeepAForwardTime) {
  // -1.25 is 29 December 1899 at 06:00, not 18:00.
  int y, m, d, h, n, s, z;
  DecodeDate(-1.25, y, m, d);
  DecodeTime(-1.25, h, n, s, z);
  EXPECT_EQ((std::array<int, 3>{y, m, d}), (std::array<int, 3>{1899, 12, 29}));
  EXPECT_EQ(h, 6);
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn", -1.25), "1899/12/29 06:00");
}

TEST(DecodeTime, ATimeThatRoundsToMidnightBelongsToTheNextDay) {
  const TDateTime AlmostMidnight = EncodeDate(2024, 12, 31) + (MSecsPerDay - 0.4) / MSecsPerDay;
  int y, m, d, h, n, s, z;
  DecodeDate(AlmostMidnight, y, m, d);
  DecodeTime(AlmostMidnight, h, n, s, z);
  EXPECT_EQ((std::array<int, 7>{y, m, d, h, n, s, z}), (std::array<int, 7>{2025, 1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(FormatDateTime("yyyymmdd hh:nn:ss.zzz", AlmostMidnight), "20250101 00:00:00.000");
}

TEST(Calendar, LeapYearsMonthLengthsAndWeekdays) {
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_FALSE(IsLeapYear(2023));
  EXPECT_EQ(DaysInAMonth(2024, 2), 29);
  EXPECT_EQ(DaysInAMonth(2023, 2), 28);
  EXPECT_EQ(DaysInAMonth(2024, 4), 30);
  EXPECT_EQ(DaysInAMonth(2024, 12), 31);
  EXPECT_EQ(DaysInAMonth(2024, 13), 0);
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 5)), 3);  // a Tuesday
  EXPECT_EQ(DayOfWeek(EncodeDate(2000, 1, 2)), 1);  // a Sunday
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30) + 0.75), 7);
}

TEST(IncMonth, ClampsTheDayAndKeepsTheTime) {
  struct Case {
    TDateTime From;
    int Months;
    TDateTime To;
  } Cases[] = {
      {At(2024, 1, 31), 1, At(2024, 2, 29)},
      {At(2023, 1, 31), 1, At(2023, 2, 28)},
      {At(2024, 3, 31), -1, At(2024, 2, 29)},
      {At(2024, 11, 15), 3, At(2025, 2, 15)},
      {At(2024, 1, 15), -13, At(2022, 12, 15)},
      {At(2024, 1, 31, 12, 30), 1, At(2024, 2, 29, 12, 30)},
      {At(2024, 5, 5), 0, At(2024, 5, 5)},
      // Before 1899 the time counts forward from the (negative) day.
      {-1.25, 1, At(1900, 1, 29, 6)},
  };
  for (const Case& c : Cases)
    EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn", IncMonth(c.From, c.Months)),
              FormatDateTime("yyyy/mm/dd hh:nn", c.To));
  EXPECT_THROW(IncMonth(At(9999, 12, 1), 1), EConvertError);
  EXPECT_EQ(IncDay(At(2024, 2, 28, 10), 2).Value, At(2024, 3, 1, 10).Value);
  EXPECT_EQ(IncDay(At(2024, 3, 1)).Value, At(2024, 3, 2).Value);
}

TEST(Clock, TestTimeIsSeenUntilCleared) {
  const TDateTime Fixed = At(2024, 3, 5, 9, 7, 8, 45);
  {
    TTestClockGuard Clock(Fixed);
    EXPECT_EQ(Now().Value, Fixed.Value);
    EXPECT_EQ(Date().Value, At(2024, 3, 5).Value);
    EXPECT_EQ(FormatDateTime("hh:nn:ss.zzz", Time()), "09:07:08.045");
    EXPECT_LT(Time().Value, 1.0);
    EXPECT_EQ(FormatDateTime("yyyymmdd", Date()), "20240305");
  }
  // The real clock again: some day of this century, with its time of day.
  int y, m, d;
  DecodeDate(Now(), y, m, d);
  EXPECT_GE(y, 2024);
  EXPECT_NE(Now().Value, Fixed.Value);
}

TEST(FormatDateTime, Tokens) {
  const TDateTime t = At(2024, 3, 5, 9, 7, 8, 45);  // a Tuesday
  struct Case {
    const char* Pattern;
    const char* Text;
  } Cases[] = {
      {"yyyymmdd", "20240305"},
      {"YYYYMMDD", "20240305"},
      {"yyyymm", "202403"},
      {"yyyymmddhhnnss", "20240305090708"},
      {"yyyy/mm/dd hh:nn:ss:zzz", "2024/03/05 09:07:08:045"},
      {"YYYY/MM/DD hh:nn:ss:zzz", "2024/03/05 09:07:08:045"},
      {"hh:nn", "09:07"},
      {"hh:mm", "09:07"},  // "m" right after an hour is minutes
      {"h:m:s", "9:7:8"},
      {"hh 'x' mm", "09 x 07"},
      {"mm/dd hh", "03/05 09"},
      {"d/m/yy", "5/3/24"},
      {"y yyy", "24 2024"},
      {"z zz zzz", "45 45 045"},
      {"mmm|mmmm", "\xC8\xFD\xD4\xC2|\xC8\xFD\xD4\xC2"},  // 三月
      {"ddd", "\xD0\xC7\xC6\xDA\xB6\xFE"},               // 星期二
      {"dddd", "\xD0\xC7\xC6\xDA\xB6\xFE"},
      {"aaa", "\xD0\xC7\xC6\xDA\xB6\xFE"},
      {"ddddd", "2024/3/5"},
      {"dddddd", "2024\xC4\xEA" "3\xD4\xC2" "5\xC8\xD5"},  // 2024年3月5日
      {"t", "9:07"},
      {"tt", "09:07:08"},
      {"c", "2024/3/5 09:07:08"},
      {"", "2024/3/5 09:07:08"},
      {"h:nn am/pm", "9:07 am"},
      {"h:nn AM/PM", "9:07 AM"},
      {"h a/p", "9 a"},
      {"hh ampm", "09 AM"},
      {"'yyyy' \"mm\" yyyy", "yyyy mm 2024"},
      {"yyyy-mm-dd", "2024-03-05"},
      {"yyyy\xC4\xEA", "2024\xC4\xEA"},
      // A GBK character whose second byte is "m" stays one character.
      {"yyyy\x81\x6D", "2024\x81\x6D"},
  };
  for (const Case& c : Cases) EXPECT_EQ(FormatDateTime(c.Pattern, t), c.Text) << '"' << c.Pattern << '"';
}

TEST(FormatDateTime, TwelveHourClock) {
  struct Case {
    int Hour;
    const char* Text;
  } Cases[] = {{0, "12:00 am"}, {1, "1:00 am"}, {11, "11:00 am"},
               {12, "12:00 pm"}, {13, "1:00 pm"}, {23, "11:00 pm"}};
  for (const Case& c : Cases)
    EXPECT_EQ(FormatDateTime("h:nn am/pm", EncodeTime(c.Hour, 0, 0, 0)), c.Text);
  // The marker switches only the hour before it, and not through quotes.
  EXPECT_EQ(FormatDateTime("hh 'am/pm' hh", EncodeTime(15, 0, 0, 0)), "15 am/pm 15");
  EXPECT_EQ(FormatDateTime("hh ampm", EncodeTime(15, 0, 0, 0)), "03 PM");
}

TEST(FormatDateTime, SeparatorsAndFormatsComeFromTheSettings) {
  TFormatSettingsGuard Guard;
  FormatSettings.DateSeparator = '-';
  FormatSettings.TimeSeparator = '.';
  FormatSettings.ShortDateFormat = "dd/mm/yyyy";
  FormatSettings.LongTimeFormat = "hh:nn:ss";
  const TDateTime t = At(2024, 3, 5, 14, 7, 8);
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn", t), "2024-03-05 14.07");
  EXPECT_EQ(DateToStr(t), "05-03-2024");
  EXPECT_EQ(TimeToStr(t), "14.07.08");
  EXPECT_EQ(DateTimeToStr(t), "05-03-2024 14.07.08");
  FormatSettings.TimeAMString = "\xC9\xCF\xCE\xE7";  // 上午
  FormatSettings.TimePMString = "\xCF\xC2\xCE\xE7";  // 下午
  EXPECT_EQ(FormatDateTime("ampm h:nn", t), "\xCF\xC2\xCE\xE7 2.07");
}

TEST(DateToStr, DefaultsAndMidnight) {
  EXPECT_EQ(DateToStr(At(2024, 3, 5, 10)), "2024/3/5");
  EXPECT_EQ(TimeToStr(At(2024, 3, 5, 9, 7, 8)), "09:07:08");
  EXPECT_EQ(DateTimeToStr(At(2024, 3, 5)), "2024/3/5");  // midnight: no time
  EXPECT_EQ(DateTimeToStr(At(2024, 3, 5, 0, 0, 1)), "2024/3/5 00:00:01");
}

TEST(StrToDate, FollowsTheShortDateOrder) {
  TTestClockGuard Clock(At(2024, 6, 15, 10));
  struct Case {
    const char* ShortDateFormat;
    const char* Text;
    TDateTime Value;
  } Cases[] = {
      {"yyyy/m/d", "2024/3/5", At(2024, 3, 5)},
      {"yyyy/m/d", " 2024 / 03 / 05 ", At(2024, 3, 5)},
      {"yyyy/m/d", "3/5", At(2024, 3, 5)},  // two numbers: this year
      {"yyyy/m/d", "24/3/5", At(2024, 3, 5)},
      {"yyyy/m/d", "80/1/2", At(1980, 1, 2)},
      {"yyyy/m/d", "74/1/2", At(1974, 1, 2)},  // the window starts 50 years back
      {"yyyy/m/d", "73/1/2", At(2073, 1, 2)},
      {"yyyy/m/d", "0024/3/5", At(24, 3, 5)},  // four digits are taken as written
      {"dd/mm/yyyy", "5/3/2024", At(2024, 3, 5)},
      {"dd/mm/yyyy", "5/3", At(2024, 3, 5)},
      {"m/d/yyyy", "3/5/2024", At(2024, 3, 5)},
      {"m/d/yy", "3/5/99", At(1999, 3, 5)},
  };
  TFormatSettingsGuard Guard;
  for (const Case& c : Cases) {
    FormatSettings.ShortDateFormat = c.ShortDateFormat;
    EXPECT_EQ(StrToDate(c.Text).Value, c.Value.Value) << c.ShortDateFormat << " " << c.Text;
  }
  FormatSettings.ShortDateFormat = "yyyy/m/d";
  const char* Bad[] = {"", "abc", "2024", "2024/2/30", "2024-03-05", "2024/3", "20240305",
                       "2024/3/5 10:00", "2024/3/5/1", "2024//5"};
  for (const char* s : Bad) {
    TDateTime v = 7;
    EXPECT_FALSE(TryStrToDate(s, v)) << '"' << s << '"';
    EXPECT_EQ(v.Value, 7);
    EXPECT_EQ(StrToDateDef(s, 1).Value, 1);
  }
  ExpectConvertError([] { StrToDate("abc"); }, "'abc' is not a valid date");
  FormatSettings.DateSeparator = '-';
  EXPECT_EQ(StrToDate("2024-03-05").Value, At(2024, 3, 5).Value);
}

TEST(StrToTime, HoursMinutesSecondsAndMarkers) {
  struct Case {
    const char* Text;
    TDateTime Value;
  } Cases[] = {
      {"9:07", EncodeTime(9, 7, 0, 0)},       {"09:07:08", EncodeTime(9, 7, 8, 0)},
      {"9:07:08.045", EncodeTime(9, 7, 8, 45)}, {"12", EncodeTime(12, 0, 0, 0)},
      {"3:30 PM", EncodeTime(15, 30, 0, 0)},  {"PM 3:30", EncodeTime(15, 30, 0, 0)},
      {"3:30 pm", EncodeTime(15, 30, 0, 0)},  {"12:00 AM", EncodeTime(0, 0, 0, 0)},
      {"12:00 PM", EncodeTime(12, 0, 0, 0)},  {" 23:59:59 ", EncodeTime(23, 59, 59, 0)},
  };
  for (const Case& c : Cases) EXPECT_DOUBLE_EQ(StrToTime(c.Text).Value, c.Value.Value) << c.Text;
  const char* Bad[] = {"", "abc", "24:00", "9:60", "9:07:60", "13:00 PM", "0:30 AM", "9:", "9:07x",
                       "9.07"};
  for (const char* s : Bad) {
    TDateTime v = 7;
    EXPECT_FALSE(TryStrToTime(s, v)) << '"' << s << '"';
    EXPECT_EQ(v.Value, 7);
  }
  ExpectConvertError([] { StrToTime("abc"); }, "'abc' is not a valid time");
}

TEST(StrToDateTime, DateTimeOrEither) {
  EXPECT_DOUBLE_EQ(StrToDateTime("2024/3/5 9:07:08").Value, At(2024, 3, 5, 9, 7, 8).Value);
  EXPECT_EQ(StrToDateTime("2024/3/5").Value, At(2024, 3, 5).Value);
  EXPECT_DOUBLE_EQ(StrToDateTime("9:07").Value, EncodeTime(9, 7, 0, 0).Value);
  EXPECT_DOUBLE_EQ(StrToDateTime("1899/12/29 06:00").Value, -1.25);
  ExpectConvertError([] { StrToDateTime("2024/3/5 x"); }, "'2024/3/5 x' is not a valid date and time");
  ExpectConvertError([] { StrToDateTime(""); }, "'' is not a valid date and time");

  // What DateTimeToStr writes, StrToDateTime reads back (to the second).
  for (TDateTime t : {At(2024, 3, 5, 9, 7, 8), At(1999, 12, 31, 23, 59, 59), At(2024, 2, 29)}) {
    EXPECT_DOUBLE_EQ(StrToDateTime(DateTimeToStr(t)).Value, t.Value) << DateTimeToStr(t);
  }
}

}  // namespace
