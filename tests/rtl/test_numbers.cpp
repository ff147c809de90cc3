#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Numbers.h"

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

TEST(IntegerText, DecimalAndHex) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(-42), "-42");
  EXPECT_EQ(IntToStr(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(IntToStr(4000000000u), "4000000000");

  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(0xABCDEF, 2), "ABCDEF");
  EXPECT_EQ(IntToHex(0, 0), "0");
  // Negative values in two's complement of their own width.
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
  EXPECT_EQ(IntToHex(int64_t{-1}, 2), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(IntToHex(-2LL, 20), "0000FFFFFFFFFFFFFFFE");
}

TEST(StrToInt, AcceptsWhatTheRunTimeAccepts) {
  struct Case {
    const char* Text;
    int Value;
  } Cases[] = {
      {"0", 0},          {"123", 123},           {"-123", -123},     {"+7", 7},
      {"   42", 42},     {"007", 7},             {"$FF", 255},       {"$ff", 255},
      {"0x1f", 31},      {"0X1F", 31},           {"x10", 16},        {"-$10", -16},
      {"$FFFFFFFF", -1}, {"2147483647", 2147483647}, {"-2147483648", std::numeric_limits<int>::min()},
  };
  for (const Case& c : Cases) {
    int v = 0;
    EXPECT_TRUE(TryStrToInt(c.Text, v)) << c.Text;
    EXPECT_EQ(v, c.Value) << c.Text;
    EXPECT_EQ(StrToInt(c.Text), c.Value) << c.Text;
  }
}

TEST(StrToInt, RejectsEverythingElseWithTheRunTimeMessage) {
  const char* Bad[] = {"",    " ",   "12 ", "1.5", "abc", "2147483648", "-2147483649", "$",
                       "0x",  "-",   "+",   "1e3", "12a", "$100000000", "- 1",         "1 2"};
  for (const char* s : Bad) {
    int v = 99;
    EXPECT_FALSE(TryStrToInt(s, v)) << '"' << s << '"';
    EXPECT_EQ(v, 99) << "a failed conversion must not change the output";
    EXPECT_EQ(StrToIntDef(s, -7), -7) << s;
  }
  ExpectConvertError([] { StrToInt("abc"); }, "'abc' is not a valid integer value");
  ExpectConvertError([] { StrToInt("12 "); }, "'12 ' is not a valid integer value");
}

TEST(StrToInt64, FullRangeAndHexWrap) {
  EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64("$FFFFFFFF"), 4294967295LL);  // no 32-bit wrap for the wide type
  EXPECT_EQ(StrToInt64("  -12"), -12);
  EXPECT_EQ(StrToInt64Def("9223372036854775808", 5), 5);
  EXPECT_EQ(StrToInt64Def("$10000000000000000", 5), 5);
  ExpectConvertError([] { StrToInt64("1,000"); }, "'1,000' is not a valid integer value");
}

TEST(StrToFloat, ScansWithTheDecimalSeparator) {
  struct Case {
    const char* Text;
    double Value;
  } Cases[] = {
      {"1.5", 1.5}, {" -2.25 ", -2.25}, {"1e3", 1000}, {"1E-2", 0.01}, {".5", 0.5},
      {"5.", 5},    {"+3", 3},          {"0", 0},      {"1.5e+2", 150}, {"000123.4500", 123.45},
      {"1e-400", 0},  // below the smallest double: zero, not an error
  };
  for (const Case& c : Cases) {
    double v = -1;
    EXPECT_TRUE(TryStrToFloat(c.Text, v)) << c.Text;
    EXPECT_DOUBLE_EQ(v, c.Value) << c.Text;
  }
  const char* Bad[] = {"", " ", ".", "abc", "1,5", "1.5.2", "e5", "1e", "1e+", "1 000", "--1", "1e400",
                       "INF", "NAN", "0x10"};
  for (const char* s : Bad) {
    double v = 42;
    EXPECT_FALSE(TryStrToFloat(s, v)) << '"' << s << '"';
    EXPECT_EQ(v, 42);
    EXPECT_EQ(StrToFloatDef(s, 7.5), 7.5);
  }
  ExpectConvertError([] { StrToFloat("1x"); }, "'1x' is not a valid floating point value");

  TFormatSettingsGuard Guard;
  FormatSettings.DecimalSeparator = ',';
  EXPECT_EQ(StrToFloat("1,5"), 1.5);
  double v;
  EXPECT_FALSE(TryStrToFloat("1.5", v));
}

TEST(FloatToStr, FifteenDigitsShortestForm) {
  struct Case {
    double Value;
    const char* Text;
  } Cases[] = {
      {0, "0"},
      {1.5, "1.5"},
      {-0.1, "-0.1"},
      {0.1 + 0.2, "0.3"},
      {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},
      {100, "100"},
      {1234567.125, "1234567.125"},
      {123456789012345.0, "123456789012345"},
      {1e15, "1E15"},
      {999999999999999.9, "1E15"},  // rounds up to 16 integer digits
      {1e20, "1E20"},
      {-2.5e30, "-2.5E30"},
      {0.0001, "0.0001"},
      {0.00001, "1E-5"},
      {1.5e-7, "1.5E-7"},
      {std::numeric_limits<double>::quiet_NaN(), "NAN"},
      {std::numeric_limits<double>::infinity(), "INF"},
      {-std::numeric_limits<double>::infinity(), "-INF"},
  };
  for (const Case& c : Cases) EXPECT_EQ(FloatToStr(c.Value), c.Text) << c.Text;

  TFormatSettingsGuard Guard;
  FormatSettings.DecimalSeparator = ',';
  EXPECT_EQ(FloatToStr(-1.25), "-1,25");
  EXPECT_EQ(FloatToStr(1.5e-7), "1,5E-7");
}

TEST(FloatToStrF, EveryFormat) {
  struct Case {
    double Value;
    TFloatFormat Format;
    int Precision, Digits;
    const char* Text;
  } Cases[] = {
      {1234.5678, ffFixed, 15, 2, "1234.57"},
      {1234.5678, ffFixed, 15, 0, "1235"},
      {0.5, ffFixed, 15, 0, "1"},  // halves round away from zero
      {2.5, ffFixed, 15, 0, "3"},
      {-2.5, ffFixed, 15, 0, "-3"},
      {0.125, ffFixed, 15, 2, "0.13"},
      {0.05, ffFixed, 15, 4, "0.0500"},
      {-0.001, ffFixed, 15, 2, "0.00"},  // no "-0.00"
      {1234.5678, ffFixed, 4, 2, "1235.00"},  // precision limits significant digits
      {1e20, ffFixed, 15, 2, "1E20"},     // too many integer digits for the precision
      // Rounding works on the value the double really holds.
      {1.005, ffFixed, 15, 2, "1.00"},
      {1234.5678, ffNumber, 15, 2, "1,234.57"},
      {-1234567.891, ffNumber, 15, 1, "-1,234,567.9"},
      {999.999, ffNumber, 15, 2, "1,000.00"},
      {12, ffNumber, 15, 0, "12"},
      {1234.5, ffExponent, 5, 2, "1.2345E+03"},
      {1234.5, ffExponent, 4, 2, "1.235E+03"},
      {0, ffExponent, 3, 3, "0.00E+000"},
      {-0.00012, ffExponent, 2, 0, "-1.2E-4"},
      {9.99, ffExponent, 2, 1, "1.0E+1"},
      {5, ffExponent, 1, 2, "5E+00"},
      {1e20, ffGeneral, 15, 3, "1E020"},
      {1e-7, ffGeneral, 15, 2, "1E-07"},
      {123.456, ffGeneral, 3, 0, "123"},
      {123.456, ffGeneral, 2, 0, "1.2E2"},
      {1234.5, ffCurrency, 15, 2, "\xA3\xA4" "1,234.50"},
      {-1234.5, ffCurrency, 15, 2, "\xA3\xA4-1,234.50"},
      {0.004, ffCurrency, 15, 2, "\xA3\xA4" "0.00"},
  };
  for (const Case& c : Cases)
    EXPECT_EQ(FloatToStrF(c.Value, c.Format, c.Precision, c.Digits), c.Text)
        << c.Value << " format " << c.Format << " " << c.Precision << "," << c.Digits;
  EXPECT_EQ(FloatToStrF(std::nan(""), ffFixed, 15, 2), "NAN");
}

TEST(FloatToStrF, CurrencyPatternsFollowTheSettings) {
  TFormatSettingsGuard Guard;
  FormatSettings.CurrencyString = "$";
  const char* Positive[] = {"$1.50", "1.50$", "$ 1.50", "1.50 $"};
  for (int f = 0; f < 4; ++f) {
    FormatSettings.CurrencyFormat = static_cast<uint8_t>(f);
    EXPECT_EQ(FloatToStrF(1.5, ffCurrency, 15, 2), Positive[f]) << f;
  }
  const char* Negative[] = {"($1.50)", "-$1.50",  "$-1.50",  "$1.50-",  "(1.50$)",  "-1.50$",
                            "1.50-$",  "1.50$-",  "-1.50 $", "-$ 1.50", "1.50 $-",  "$ 1.50-",
                            "$ -1.50", "1.50- $", "($ 1.50)", "(1.50 $)"};
  for (int f = 0; f < 16; ++f) {
    FormatSettings.NegCurrFormat = static_cast<uint8_t>(f);
    EXPECT_EQ(FloatToStrF(-1.5, ffCurrency, 15, 2), Negative[f]) << f;
  }
  FormatSettings.ThousandSeparator = '.';
  FormatSettings.DecimalSeparator = ',';
  FormatSettings.CurrencyFormat = 3;
  FormatSettings.CurrencyString = "EUR";
  EXPECT_EQ(FloatToStrF(1234567.5, ffCurrency, 15, 2), "1.234.567,50 EUR");
}

TEST(FormatFloat, Pictures) {
  struct Case {
    const char* Picture;
    double Value;
    const char* Text;
  } Cases[] = {
      {"0.00", 3.14159, "3.14"},
      {"#,##0.00", 1234567.891, "1,234,567.89"},
      {"#,##0.00", -1234.5, "-1,234.50"},
      {"#,##0", 999.6, "1,000"},
      {"#,##0", 12, "12"},
      {"000", 5, "005"},
      {"#", 0, ""},
      {"#.##", 0.5, ".5"},
      {"0.##", 0.5, "0.5"},
      {"0.##", 2, "2"},
      {"0.0#", 2, "2.0"},
      {"0.0#", 2.567, "2.57"},
      {".00", 12.5, "12.50"},
      {"0", 2.5, "3"},
      {"0", -2.5, "-3"},
      {"0", -0.4, "0"},
      {"0.0", 1e-10, "0.0"},
      {"00-00", 1234, "12-34"},
      {"0 %", 12, "12 %"},
      {"'$'#,##0.00", 1234.5, "$1,234.50"},
      {"\"$\"0.00", -5, "-$5.00"},
      {"'#0.'0", 7, "#0.7"},
      {"0.00;(0.00)", -5.5, "(5.50)"},
      {"0.00;(0.00)", 5.5, "5.50"},
      {"0.00;(0.00);'zero'", 0, "zero"},
      {"0.00;(0.00);'zero'", 0.001, "zero"},  // rounds to zero
      {"0.00;(0.00);'zero'", -0.001, "zero"},
      {"0.00;(0.00)", -0.001, "0.00"},
      {"0.00;;'zero'", -1, "-1.00"},          // empty negative section: the first, with a sign
      {"0.00;;'zero'", 0, "zero"},
      {"0.00E+00", 1234.5, "1.23E+03"},
      {"0.00E-00", 1234.5, "1.23E03"},
      {"0.00e-00", 0.0012345, "1.23e-03"},
      {"00.0E+0", 1234.5, "12.3E+2"},
      {"0.###E+0", 0, "0E+0"},
      {"0", 1e20, "1E20"},  // beyond 18 integer digits: the general form
      {"", 1.5, "1.5"},
      {"0.00", std::numeric_limits<double>::infinity(), "INF"},
      // Chinese literals; the second byte of \xB0\x45 is "E", which read
      // on its own would start an exponent.
      {"0\xD4\xAA", 12, "12\xD4\xAA"},
      {"0\xB0\x45-", 12, "12\xB0\x45-"},
  };
  for (const Case& c : Cases)
    EXPECT_EQ(FormatFloat(c.Picture, c.Value), c.Text) << '"' << c.Picture << "\" " << c.Value;

  TFormatSettingsGuard Guard;
  FormatSettings.DecimalSeparator = ',';
  FormatSettings.ThousandSeparator = ' ';
  EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1 234,50");
}

TEST(Currency, TextBothWaysIsExact) {
  struct Case {
    int64_t Scaled;
    const char* Text;
  } Cases[] = {
      {15000, "1.5"},
      {1000000, "100"},
      {1, "0.0001"},
      {0, "0"},
      {-25000, "-2.5"},
      {std::numeric_limits<int64_t>::max(), "922337203685477.5807"},
      {std::numeric_limits<int64_t>::min(), "-922337203685477.5808"},
  };
  for (const Case& c : Cases) {
    EXPECT_EQ(CurrToStr(Currency::FromScaled(c.Scaled)), c.Text);
    EXPECT_EQ(StrToCurr(c.Text).Scaled, c.Scaled) << c.Text;
  }
  EXPECT_EQ(CurrToStrF(Currency::FromScaled(12345000), ffCurrency, 2), "\xA3\xA4" "1,234.50");
  EXPECT_EQ(CurrToStrF(Currency::FromScaled(12345678), ffFixed, 2), "1234.57");
}

TEST(Currency, ParsingRoundsHalfToEven) {
  struct Case {
    const char* Text;
    int64_t Scaled;
  } Cases[] = {
      {"1.23456", 12346}, {"0.00005", 0},   {"0.00015", 2},      {"0.00025", 2},
      {"0.000251", 3},    {"-1.5", -15000}, {"1e2", 1000000},    {" 12.5 ", 125000},
      {"0.00004999", 0},  {"9.99995", 100000},
  };
  for (const Case& c : Cases) EXPECT_EQ(StrToCurr(c.Text).Scaled, c.Scaled) << c.Text;
  Currency v;
  EXPECT_FALSE(TryStrToCurr("922337203685477.5808", v));
  EXPECT_FALSE(TryStrToCurr("1e20", v));
  EXPECT_EQ(StrToCurrDef("x", Currency::FromScaled(7)).Scaled, 7);
  ExpectConvertError([] { StrToCurr("abc"); }, "'abc' is not a valid floating point value");
}

TEST(Booleans, TextBothWays) {
  EXPECT_EQ(BoolToStr(true), "-1");
  EXPECT_EQ(BoolToStr(false), "0");
  EXPECT_EQ(BoolToStr(true, true), "True");
  EXPECT_EQ(BoolToStr(false, true), "False");

  struct Case {
    const char* Text;
    bool Value;
  } Cases[] = {{"True", true}, {"true", true},   {"TRUE", true}, {"False", false},
               {"fAlSe", false}, {"0", false},   {"1", true},    {"-1", true},
               {"0.5", true},  {" 0 ", false},   {"0.0", false}};
  for (const Case& c : Cases) EXPECT_EQ(StrToBool(c.Text), c.Value) << c.Text;
  for (const char* s : {"yes", "", "T", " True", "1x"}) {
    bool v = true;
    EXPECT_FALSE(TryStrToBool(s, v)) << '"' << s << '"';
    EXPECT_TRUE(StrToBoolDef(s, true));
  }
  ExpectConvertError([] { StrToBool("yes"); }, "'yes' is not a valid boolean value");
}

}  // namespace
