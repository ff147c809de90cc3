// Display types, date-8 texts, shifting and relative dates.

#include <gtest/gtest.h>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Variant.h"
#include "src/report/LibStrs.h"

namespace {

struct DisplayCase {
  int Type;
  const char* Separator;
  int Year, Month, Day;
  const char* Full;
  const char* YearMonth;
};

TEST(LibStrsDisplay, EveryTypeWithItsSeparatorAndDigits) {
  const DisplayCase cases[] = {
      {1, "-", 2024, 3, 5, "2024-03-05", "2024-03"},
      {2, "/", 2024, 3, 5, "03/05/2024", "03/2024"},
      {3, ".", 2024, 3, 5, "05.03.2024", "03.2024"},
      {4, "/", 2024, 3, 5, "113/03/05", "113/03"},
      {5, "/", 2024, 3, 5, "113/03/05", "113/03"},
      {5, "", 2000, 1, 2, "0890102", "08901"},
      {4, "", 2000, 1, 2, "890102", "8901"},
      {4, "", 1920, 12, 31, "091231", "0912"},
      {1, "//", 2024, 3, 5, "2024/03/05", "2024/03"},  // only the first character
      {1, "年", 2024, 3, 5, "2024年03年05", "2024年03"},   // a whole double-byte one
  };
  for (const DisplayCase& c : cases) {
    const TDateTime date = EncodeDate(c.Year, c.Month, c.Day);
    AnsiString full = "old", yearMonth = "old";
    FormatDateByType(c.Type, Utf8ToGB(c.Separator), date, full);
    FormatYearMonthByType(c.Type, Utf8ToGB(c.Separator), date, yearMonth);
    EXPECT_EQ(full, Utf8ToGB(c.Full)) << c.Type << " " << c.Separator;
    EXPECT_EQ(yearMonth, Utf8ToGB(c.YearMonth)) << c.Type << " " << c.Separator;
  }
}

TEST(LibStrsDisplay, NoDateEmptiesAndUnknownTypeKeepsTheCallersText) {
  AnsiString text = "kept";
  FormatDateByType(1, "-", TDateTime(0), text);
  EXPECT_EQ(text, "");
  text = "kept";
  FormatDateByType(0, "-", TDateTime(0), text);
  EXPECT_EQ(text, "");
  text = "kept";
  FormatDateByType(0, "/", EncodeDate(2024, 3, 5), text);
  EXPECT_EQ(text, "kept");
  FormatDateByType(6, "/", EncodeDate(2024, 3, 5), text);
  EXPECT_EQ(text, "kept");
  FormatYearMonthByType(0, "/", EncodeDate(2024, 3, 5), text);
  EXPECT_EQ(text, "kept");
  FormatYearMonthByType(2, "/", TDateTime(0), text);
  EXPECT_EQ(text, "");
}

TEST(LibStrsDate8, ReadingAndChecking) {
  struct Case {
    const char* Text;
    bool Valid;
    int Year, Month, Day;  // 0: no date
  } cases[] = {
      {"20240229", true, 2024, 2, 29},
      {"20230229", false, 0, 0, 0},
      {"17521231", false, 1752, 12, 31},  // a real date, before the range
      {"17530101", true, 1753, 1, 1},
      {"99991231", true, 9999, 12, 31},
      {"20241301", false, 0, 0, 0},
      {"20240100", false, 0, 0, 0},
      {"2024 3 5", false, 0, 0, 0},
      {"2024030", false, 0, 0, 0},
      {"202403051", false, 0, 0, 0},
      {"abcdefgh", false, 0, 0, 0},
      {"00000101", false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsValidDate8(c.Text), c.Valid) << c.Text;
    const TDateTime expected = c.Year ? EncodeDate(c.Year, c.Month, c.Day) : TDateTime(0);
    EXPECT_EQ(Date8ToDate(c.Text).Value, expected.Value) << c.Text;
  }
  EXPECT_TRUE(IsValidDate8(""));
  EXPECT_EQ(Date8ToDate("").Value, 0);
}

struct ShiftCase {
  Variant Date;
  const char* Unit;
  int Count;
  const char* Expected;
};

TEST(LibStrsShift, DaysMonthsAndYears) {
  const ShiftCase cases[] = {
      {"20240115", "M", -1, "20231215"},
      {"20240331", "M", -1, "20240229"},
      {"20240131", "M", 1, "20240229"},
      {"20230131", "M", 1, "20230228"},
      {"20241215", "M", 1, "20250115"},
      {"20240115", "M", -13, "20221215"},
      {"20240115", "M", 24, "20260115"},
      {"20240229", "Y", 1, "20250228"},
      {"20240229", "Y", 4, "20280229"},
      {"20240229", "y", -1, "20230228"},
      {"20240228", "D", 2, "20240301"},
      {"20240101", "d", -1, "20231231"},
      {"20240331", "m", -1, "20240229"},  // unit in any case
      {"2024", "D", 1, ""},
      {"20240230", "D", 1, ""},
      {"20240101", "W", 1, ""},
      {"", "D", 1, ""},
      {Variant(WideString(u"20240115")), "M", -1, "20231215"},
      {Variant(EncodeDate(2024, 3, 31)), "M", -1, "20240229"},
      {Variant(TDateTime(0)), "D", 1, ""},
      {Variant(45000), "D", 1, ""},  // a number is no date
      {Null(), "D", 1, ""},
      {"99991231", "D", 1, ""},  // past the calendar
      {"00010101", "M", -1, ""},
  };
  for (const ShiftCase& c : cases)
    EXPECT_EQ(ShiftDate8(c.Date, c.Unit, c.Count), c.Expected)
        << VarToStrDef(c.Date, "?") << " " << c.Unit << " " << c.Count;
}

TEST(LibStrsShift, DaysInMonth) {
  const int cases[][3] = {{2024, 2, 29}, {2023, 2, 28}, {1900, 2, 28}, {2000, 2, 29},
                          {2024, 4, 30}, {2024, 12, 31}, {2024, 0, 0},  {2024, 13, 0}};
  for (const auto& c : cases) EXPECT_EQ(DaysInMonth(c[0], c[1]), c[2]) << c[0] << "-" << c[1];
}

struct RelativeCase {
  const char* Base;
  const char* Count;
  const char* MonthMode;
  const char* Anchor;
  const char* DayOffset;
  const char* Expected;
};

TEST(LibStrsRelative, MonthsWeeksAndDays) {
  const RelativeCase cases[] = {
      // a month base ignores the other inputs
      {"202403", "2", "x", "x", "x", "202405"},
      {"202401", "-1", "1", "0", "0", "202312"},
      // month mode
      {"20240315", "1", "1", "2", "x", "20240430"},
      {"20240131", "1", "1", "2", "x", "20240229"},
      {"20240315", "1", "1", "1", "x", "20240401"},
      {"20240315", "1", "1", "0", "3", "20240418"},
      {"20240331", "-1", "1", "9", "x", "20240229"},
      // week mode (13 March 2024 is a Wednesday)
      {"20240313", "0", "0", "1", "x", "20240310"},
      {"20240313", "0", "0", "2", "x", "20240316"},
      {"20240313", "1", "0", "1", "x", "20240317"},
      {"20240310", "0", "0", "1", "x", "20240310"},  // a Sunday stays
      {"20240316", "0", "0", "2", "x", "20240316"},  // a Saturday stays
      // days
      {"20240313", "1", "0", "0", "2", "20240322"},
      {"20240313", "-1", "0", "0", "0", "20240306"},
      // an unusable base
      {"2024031", "1", "1", "1", "0", ""},
      {"20241340", "1", "1", "1", "0", ""},
  };
  for (const RelativeCase& c : cases)
    EXPECT_EQ(RelativeDate8(c.Base, c.Count, c.MonthMode, c.Anchor, c.DayOffset), c.Expected)
        << c.Base << " " << c.Count << " " << c.MonthMode << " " << c.Anchor << " "
        << c.DayOffset;
}

TEST(LibStrsRelative, NumbersThatAreUsedMustBeDecimal) {
  EXPECT_THROW(RelativeDate8("20240313", "x", "0", "0", "0"), EConvertError);
  EXPECT_THROW(RelativeDate8("202403", "", "0", "0", "0"), EConvertError);
  EXPECT_THROW(RelativeDate8("20240313", "1", "1", "a", "0"), EConvertError);
  EXPECT_THROW(RelativeDate8("20240313", "1", "1", "0", "1.5"), EConvertError);
  EXPECT_THROW(RelativeDate8("20240313", "1", "0", "0", "$10"), EConvertError);
  EXPECT_THROW(RelativeDate8("20240313", "99999999999", "0", "0", "0"), EConvertError);
  try {
    RelativeDate8("20240313", "1x", "0", "0", "0");
    FAIL() << "no error";
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message, "'1x' is not a valid integer value");
  }
}

}  // namespace
