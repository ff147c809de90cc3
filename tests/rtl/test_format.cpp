#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Variant.h"

namespace {

struct Case {
  const char* Fmt;
  std::vector<TVarRec> Args;
  AnsiString Text;
};

void Check(const std::vector<Case>& Cases) {
  for (const Case& c : Cases) {
    try {
      EXPECT_EQ(FormatV(c.Fmt, c.Args), c.Text) << '"' << c.Fmt << '"';
    } catch (const Exception& e) {
      ADD_FAILURE() << '"' << c.Fmt << "\" raised " << e.ClassName() << ": " << e.Message;
    }
  }
}

TEST(Format, Integers) {
  Check({
      {"%d", {42}, "42"},
      {"%d", {-42}, "-42"},
      {"%5d", {42}, "   42"},
      {"%-5d|", {42}, "42   |"},
      {"%.2d", {5}, "05"},
      {"%.2d", {-5}, "-05"},
      {"%.2d", {123}, "123"},
      {"%6.3d", {-7}, "  -007"},
      {"%.*d", {4, 7}, "0007"},
      {"%*d", {4, 7}, "   7"},
      {"%-*d|", {3, 7}, "7  |"},
      {"%d", {1LL << 40}, "1099511627776"},
      {"%d", {std::numeric_limits<int64_t>::min()}, "-9223372036854775808"},
      {"%d", {4000000000u}, "4000000000"},
      {"%D", {3}, "3"},
      {"%u", {-1}, "4294967295"},
      {"%u", {-1LL}, "18446744073709551615"},
      {"%x", {255}, "FF"},
      {"%X", {255}, "FF"},
      {"%.4x", {255}, "00FF"},
      {"%x", {-1}, "FFFFFFFF"},
      {"%x", {-1LL}, "FFFFFFFFFFFFFFFF"},
      {"%.2x", {0x0A}, "0A"},
      // The application's own forms.
      {"%d%.2d%.2d", {2024, 3, 5}, "20240305"},
      {"%.4d%.2d%.2d", {2024, 3, 5}, "20240305"},
      {"%.4d%s%.2d%s%.2d", {2024, "/", 3, "/", 5}, "2024/03/05"},
      {"%.3d%s%.2d", {113, "-", 7}, "113-07"},
      {"%d%.2d", {2024, 12}, "202412"},
      {"%d/%d", {3, 10}, "3/10"},
  });
}

TEST(Format, FloatsAndCurrency) {
  Check({
      {"%e", {1000.0}, "1.00000000000000E+003"},
      {"%.3e", {-1234.5}, "-1.23E+003"},
      {"%e", {0.0}, "0.00000000000000E+000"},
      {"%.2e", {1.5e-10}, "1.5E-010"},
      {"%E", {2.0}, "2.00000000000000E+000"},
      {"%f", {3.14159}, "3.14"},
      {"%.0f", {2.5}, "3"},
      {"%.3f", {-0.0005}, "-0.001"},
      {"%f", {1.0 / 3}, "0.33"},
      {"%.2f", {0.125}, "0.13"},
      {"%*.*f", {8, 3, 3.14159}, "   3.142"},
      {"%f", {TDateTime(1.5)}, "1.50"},
      {"%f", {2.5L}, "2.50"},
      {"%f", {1.5f}, "1.50"},
      {"%g", {0.1}, "0.1"},
      {"%g", {123.456}, "123.456"},
      {"%.3g", {123.456}, "123"},
      {"%.2g", {123.456}, "1.2E002"},
      {"%g", {1e20}, "1E020"},
      {"%n", {1234567.891}, "1,234,567.89"},
      {"%.0n", {1234.5}, "1,235"},
      {"%m", {1234.5}, "\xA3\xA4" "1,234.50"},
      {"%m", {-1234.5}, "\xA3\xA4-1,234.50"},
      {"%.0m", {5.0}, "\xA3\xA4" "5"},
      // Currency arguments keep every digit of the fixed point.
      {"%m", {Currency::FromScaled(-25000)}, "\xA3\xA4-2.50"},
      {"%.4f", {Currency::FromScaled(std::numeric_limits<int64_t>::max())}, "922337203685477.5807"},
      {"%n", {Currency::FromScaled(12345678900)}, "1,234,567.89"},
      {"%e", {Currency::FromScaled(15000)}, "1.50000000000000E+000"},
  });
}

TEST(Format, TextsPointersAndIndexes) {
  const AnsiString Name = "abc";
  int Local = 0;
  Check({
      {"%s", {"abc"}, "abc"},
      {"%s", {Name}, "abc"},
      {"%s", {AnsiString("tmp")}, "tmp"},
      {"%s", {'c'}, "c"},
      {"%s", {WideString(u"wide")}, "wide"},
      {"%s", {u"\u4E2D\u6587"}, "\xD6\xD0\xCE\xC4"},  // 中文 in the process code page
      {"%s", {static_cast<const char*>(nullptr)}, ""},
      {"%.3s", {"abcdef"}, "abc"},
      {"%.10s", {"abc"}, "abc"},
      {"%5s", {"ab"}, "   ab"},
      {"%-5s|", {"ab"}, "ab   |"},
      {"%1:s %0:s", {"a", "b"}, "b a"},
      {"%1:s %s", {"a", "b", "c"}, "b c"},
      {"%0:s-%0:s", {"x"}, "x-x"},
      {"%*:s", {1, "b"}, "b"},
      {"%s%%", {"5"}, "5%"},
      {"100%%", {}, "100%"},
      {"no specifiers", {1, 2}, "no specifiers"},
      {"%S", {"up"}, "up"},
      {"%p", {reinterpret_cast<const void*>(0x1234)}, "00001234"},
      {"%p", {nullptr}, "00000000"},
      {"%p", {&Local}, IntToHex(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(&Local)), 8)},
      {"\xD6\xD0%s\xCE\xC4", {"-"}, "\xD6\xD0-\xCE\xC4"},
      {"Can not Get Message\rType= %s, ID= %s ", {"3", "12"}, "Can not Get Message\rType= 3, ID= 12 "},
      {"Error %.2d: Code: %d, Message: %s", {1, 1001, "bad"}, "Error 01: Code: 1001, Message: bad"},
      {"EInOutError Error %.2d: Code: %d, Message: %s", {1, 5, "Access denied"},
       "EInOutError Error 01: Code: 5, Message: Access denied"},
      {"Exception is %s\r\nMessage %.2d: ", {"EFoo", 1}, "Exception is EFoo\r\nMessage 01: "},
      {"//%s/@%s", {"sOpenDoc", "Msg"}, "//sOpenDoc/@Msg"},
      {"Load Library %s Error!", {"Quillex.dll"}, "Load Library Quillex.dll Error!"},
  });
}

TEST(Format, VariantArguments) {
  Check({
      {"%s", {Variant(12)}, "12"},
      {"%s", {Variant("text")}, "text"},
      {"%s", {Null()}, ""},
      {"%d", {Variant("42")}, "42"},
      {"%.3d", {Variant(7)}, "007"},
      {"%x", {Variant(int64_t{-1})}, "FFFFFFFFFFFFFFFF"},
      {"%x", {Variant(-1)}, "FFFFFFFF"},
      {"%.1f", {Variant(2.25)}, "2.3"},
      {"%.2f", {Variant("1.5")}, "1.50"},
  });
  EXPECT_THROW(Format("%d", {Variant("abc")}), EVariantError);
}

TEST(Format, InitializerListAndRunTimeListsAgree) {
  EXPECT_EQ(Format("%s=%d", {"a", 1}), "a=1");
  EXPECT_EQ(Format("plain", {}), "plain");

  // A message catalogue passes ten texts built at run time; the arguments own
  // copies of them, so the originals may be gone by the time Format runs.
  std::vector<TVarRec> Args;
  for (int i = 0; i < 10; ++i) Args.push_back(AnsiString("v") + std::to_string(i));
  EXPECT_EQ(FormatV("%s|%s|%s|%s|%s|%s|%s|%s|%s|%s", Args), "v0|v1|v2|v3|v4|v5|v6|v7|v8|v9");
  EXPECT_EQ(FormatV("%9:s %0:s", Args), "v9 v0");
}

TEST(Format, SettingsApply) {
  TFormatSettingsGuard Guard;
  FormatSettings.DecimalSeparator = ',';
  FormatSettings.ThousandSeparator = '.';
  FormatSettings.CurrencyString = "EUR";
  FormatSettings.CurrencyFormat = 3;
  FormatSettings.NegCurrFormat = 8;
  FormatSettings.CurrencyDecimals = 3;
  EXPECT_EQ(Format("%.2f", {1.5}), "1,50");
  EXPECT_EQ(Format("%n", {1234.5}), "1.234,50");
  EXPECT_EQ(Format("%m", {1234.5}), "1.234,500 EUR");
  EXPECT_EQ(Format("%m", {-1.0}), "-1,000 EUR");
  EXPECT_EQ(Format("%e", {1.0}), "1,00000000000000E+000");
  TFormatSettings Own;
  EXPECT_EQ(Format("%.1f", {1.5}, Own), "1.5");
}

struct ErrorCase {
  const char* Fmt;
  std::vector<TVarRec> Args;
  AnsiString Message;
};

TEST(Format, RaisesForMissingOrUnfitArguments) {
  auto Invalid = [](AnsiString Fmt) { return "Format '" + Fmt + "' invalid or incompatible with argument"; };
  auto Missing = [](AnsiString Fmt) { return "No argument for format '" + Fmt + "'"; };
  const std::vector<ErrorCase> Cases = {
      {"%d", {"abc"}, Invalid("%d")},
      {"%d", {1.5}, Invalid("%d")},
      {"%d", {Currency::FromScaled(1)}, Invalid("%d")},
      {"%d", {true}, Invalid("%d")},
      {"%d", {'c'}, Invalid("%d")},
      {"%x", {2.0}, Invalid("%x")},
      {"%f", {1}, Invalid("%f")},
      {"%e", {"1.5"}, Invalid("%e")},
      {"%m", {1LL}, Invalid("%m")},
      {"%s", {1}, Invalid("%s")},
      {"%s", {true}, Invalid("%s")},
      {"%s", {2.5}, Invalid("%s")},
      {"%p", {1}, Invalid("%p")},
      {"%p", {"text"}, Invalid("%p")},
      {"%z", {1}, Invalid("%z")},
      {"abc%", {}, Invalid("abc%")},
      {"%5", {1}, Invalid("%5")},
      {"%.", {1}, Invalid("%.")},
      {"%*d", {"x", 1}, Invalid("%*d")},
      {"%.*f", {1.5, 1.5}, Invalid("%.*f")},
      {"%99999999d", {1}, Invalid("%99999999d")},
      {"%d %d", {1}, Missing("%d %d")},
      {"%s", {}, Missing("%s")},
      {"%2:s", {"a", "b"}, Missing("%2:s")},
      {"%*d", {}, Missing("%*d")},
      {"%*d", {5}, Missing("%*d")},
      // The message quotes at most 31 bytes of the format.
      {"The value %d is way too long for the message", {"x"}, Invalid("The value %d is way too long fo")},
      // ... and never half of a two-byte character.
      {"%d23456789012345678901234567890\xD6\xD0", {"x"}, Invalid("%d23456789012345678901234567890")},
  };
  for (const ErrorCase& c : Cases) {
    try {
      AnsiString Text = FormatV(c.Fmt, c.Args);
      ADD_FAILURE() << '"' << c.Fmt << "\" gave \"" << Text << "\"";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message, c.Message) << c.Fmt;
    }
  }
}

}  // namespace
