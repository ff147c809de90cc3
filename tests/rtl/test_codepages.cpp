#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"

namespace {

// "C8 B7 B6 A8" -> the four bytes.
AnsiString Hex(std::string_view Text) {
  AnsiString bytes;
  int high = -1;
  for (char c : Text) {
    int digit = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                       : -1;
    if (digit < 0) continue;
    if (high < 0) {
      high = digit;
    } else {
      bytes += static_cast<char>(high * 16 + digit);
      high = -1;
    }
  }
  return bytes;
}

std::string ToHex(const AnsiString& Bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char b : Bytes) {
    if (!text.empty()) text += ' ';
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text;
}

class TACPGuard {
 public:
  TACPGuard() : Saved(GetACP()) {}
  ~TACPGuard() { SetACP(Saved); }

 private:
  unsigned Saved;
};

// ---- Round trips -----------------------------------------------------------

struct TRoundTrip {
  unsigned CodePage;
  const char* Utf8;
  const char* Bytes;
};

const TRoundTrip kRoundTrips[] = {
    {936, "资产", "D7 CA B2 FA"},
    {936, "确定", "C8 B7 B6 A8"},
    {936, "固定资产No.1 折旧", "B9 CC B6 A8 D7 CA B2 FA 4E 6F 2E 31 20 D5 DB BE C9"},
    {936, "€", "80"},              // Windows' 936 has the euro at 0x80
    {936, "丂乤", "81 40 81 61"},  // lowest lead byte, ASCII trail bytes
    {936, "ａé", "A3 E1 A8 A6"},
    {950, "資產", "B8 EA B2 A3"},
    {950, "　", "A1 40"},          // first Big5 character: ideographic space
    {950, "€", "A3 E1"},           // Windows' Big5 has the euro; IBM's does not
    {950, "═", "F9 F9"},           // Windows' box-drawing extension
    {950, "功乙", "A5 5C A4 41"},  // trail bytes '\' and 'A'
    {1252, "Café €…Ÿ", "43 61 66 E9 20 80 85 9F"},
    {437, "é░", "82 B0"},
    {CP_UTF8, "资a", "E8 B5 84 61"},
    {936, "", ""},
};

TEST(CodePageConversion, RoundTripsKnownBytes) {
  for (const TRoundTrip& c : kRoundTrips) {
    SCOPED_TRACE(std::to_string(c.CodePage) + " " + c.Utf8);
    const AnsiString bytes = Hex(c.Bytes);
    int replacements = -1;
    EXPECT_EQ(ToHex(WideToAnsi(Utf8ToWide(c.Utf8), c.CodePage, replacements)), ToHex(bytes));
    EXPECT_EQ(replacements, 0);
    EXPECT_EQ(ToHex(Utf8ToAnsi(c.Utf8, c.CodePage)), ToHex(bytes));
    EXPECT_EQ(AnsiToWide(bytes, c.CodePage, replacements), Utf8ToWide(c.Utf8));
    EXPECT_EQ(replacements, 0);
    EXPECT_EQ(AnsiToUtf8(bytes, c.CodePage), c.Utf8);
  }
}

TEST(CodePageConversion, ChineseCharactersTakeTwoBytes) {
  EXPECT_EQ(Utf8ToAnsi("资产", 936).size(), 4u);
  EXPECT_EQ(Utf8ToAnsi("資產", 950).size(), 4u);
  EXPECT_EQ(Utf8ToAnsi("资产编号 A01", 936).size(), 12u);
}

TEST(CodePageConversion, OemPageKeepsAsciiControlCodes) {
  // Every byte below 0x80 is its ASCII code both ways, control codes included.
  AnsiString ascii;
  WideString wide;
  for (int b = 0; b < 0x80; ++b) {
    ascii += static_cast<char>(b);
    wide += static_cast<char16_t>(b);
  }
  EXPECT_EQ(AnsiToWide(ascii, 437), wide);
  EXPECT_EQ(WideToAnsi(wide, 437), ascii);
}

TEST(CodePageConversion, WesternPageMapsEveryByte) {
  AnsiString all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  int replacements = -1;
  WideString wide = AnsiToWide(all, 1252, replacements);
  EXPECT_EQ(replacements, 0);
  ASSERT_EQ(wide.size(), 256u);
  EXPECT_EQ(wide[0x80], u'\u20AC');
  EXPECT_EQ(wide[0x81], u'\u0081');  // unassigned bytes pass through as C1 codes, as on Windows
  EXPECT_EQ(wide[0x9F], u'\u0178');
  EXPECT_EQ(WideToAnsi(wide, 1252), all);
}

TEST(CodePageConversion, ConvertsBetweenCodePages) {
  int replacements = -1;
  EXPECT_EQ(ToHex(ConvertCodePage(Hex("BA A3 D1 F3"), 936, 950, replacements)),  // 海洋
            ToHex(Hex("AE FC AC 76")));
  EXPECT_EQ(replacements, 0);
  // Simplified characters Big5 lacks, and an undecodable byte, each become "?".
  EXPECT_EQ(ConvertCodePage(Hex("D7 CA B2 FA 41 81"), 936, 950, replacements), "??A?");
  EXPECT_EQ(replacements, 3);
  EXPECT_EQ(ConvertCodePage(Hex("B8 EA"), 950, CP_UTF8), "資");
}

// ---- Bad input -------------------------------------------------------------

struct TBadBytes {
  unsigned CodePage;
  const char* Bytes;
  const char* Utf8;
  int Replacements;
};

const TBadBytes kBadBytes[] = {
    {936, "81", "\uFFFD", 1},  // lone lead byte at the end
    {936, "61 62 D7", "ab\uFFFD", 1},
    {936, "81 30 41", "\uFFFD0A", 1},  // the invalid trail byte is kept
    {936, "81 7F", "\uFFFD\x7F", 1},
    {936, "81 0D 0A", "\uFFFD\r\n", 1},
    {936, "D7 CA 81 7F 81", "资\uFFFD\x7F\uFFFD", 2},
    {950, "A1", "\uFFFD", 1},
    {950, "A4 30", "\uFFFD0", 1},
    {CP_UTF8, "E8 B5", "\uFFFD", 1},  // truncated sequence
    {CP_UTF8, "61 FF FE", "a\uFFFD\uFFFD", 2},
    {CP_UTF8, "C0 80", "\uFFFD\uFFFD", 2},           // overlong NUL
    {CP_UTF8, "ED A0 80", "\uFFFD\uFFFD\uFFFD", 3},  // encoded surrogate
};

TEST(CodePageConversion, InvalidBytesBecomeOneReplacementEach) {
  for (const TBadBytes& c : kBadBytes) {
    SCOPED_TRACE(std::to_string(c.CodePage) + " " + c.Bytes);
    int replacements = -1;
    WideString wide = AnsiToWide(Hex(c.Bytes), c.CodePage, replacements);
    EXPECT_EQ(wide, Utf8ToWide(c.Utf8));
    EXPECT_EQ(replacements, c.Replacements);
  }
}

TEST(CodePageConversion, NoByteSequenceSwallowsTheNextCharacter) {
  // Every two-byte combination followed by " Z" (a space is never a trail
  // byte): the decoder may replace a bad pair, but what follows it always
  // survives, and every U+FFFD is counted.
  for (unsigned codePage : {936u, 950u}) {
    SCOPED_TRACE(codePage);
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
      for (int trail = 0; trail <= 0xFF; ++trail) {
        AnsiString bytes{static_cast<char>(lead), static_cast<char>(trail), ' ', 'Z'};
        int replacements = -1;
        WideString wide = AnsiToWide(bytes, codePage, replacements);
        ASSERT_FALSE(wide.empty());
        ASSERT_GE(wide.size(), 3u);
        ASSERT_LE(wide.size(), 4u) << ToHex(bytes);
        ASSERT_EQ(wide.substr(wide.size() - 2), u" Z") << ToHex(bytes);
        int marks = 0;
        for (char16_t c : wide) marks += c == u'\uFFFD';
        ASSERT_EQ(marks, replacements) << ToHex(bytes);
      }
    }
  }
}

struct TUnmappable {
  unsigned CodePage;
  const char16_t* Wide;
  const char* Bytes;
  int Replacements;
};

const TUnmappable kUnmappable[] = {
    {936, u"a\U0001F600b", "61 3F 62", 1},  // a surrogate pair is one character
    {936, u"x\xD800y", "78 3F 79", 1},      // lone surrogate
    {936, u"\u0100\u00E9", "3F A8 A6", 1},
    {950, u"资产", "3F 3F", 2},  // simplified forms are not in Big5
    {1252, u"\u0100\u20AC", "3F 80", 1},
    {437, u"\u20AC", "3F", 1},
    {CP_UTF8, u"a\xDC00", "61 EF BF BD", 1},  // UTF-8 uses U+FFFD, not "?"
};

TEST(CodePageConversion, UnmappableCharactersBecomeQuestionMarks) {
  for (const TUnmappable& c : kUnmappable) {
    SCOPED_TRACE(c.CodePage);
    int replacements = -1;
    EXPECT_EQ(ToHex(WideToAnsi(c.Wide, c.CodePage, replacements)), ToHex(Hex(c.Bytes)));
    EXPECT_EQ(replacements, c.Replacements);
  }
}

TEST(CodePageConversion, UnknownCodePageRaises) {
  TACPGuard guard;
  const unsigned before = GetACP();
  auto expectRaise = [](auto&& call) {
    try {
      call();
      ADD_FAILURE() << "expected EConvertError";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message, "Code page 1234 is not supported");
    }
  };
  expectRaise([] { AnsiToWide("a", 1234); });
  expectRaise([] { WideToAnsi(u"a", 1234); });
  expectRaise([] { ConvertCodePage("", 936, 1234); });
  expectRaise([] { Utf8ToAnsi("a", 1234); });
  expectRaise([] { SetACP(1234); });
  EXPECT_EQ(GetACP(), before);
  EXPECT_FALSE(IsValidCodePage(1234));
  EXPECT_FALSE(IsValidCodePage(CP_ACP));
  EXPECT_THROW(SetACP(CP_ACP), EConvertError);
}

TEST(CodePageConversion, ConvertersAreSafeAcrossThreads) {
  const AnsiString gb = Hex("D7 CA B2 FA 41");
  const AnsiString big5 = Hex("B8 EA B2 A3 41");
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 500; ++i) {
        if (AnsiToUtf8(gb, 936) != "资产A") ++failures[t];
        if (AnsiToUtf8(big5, 950) != "資產A") ++failures[t];
        if (ConvertCodePage(big5, 950, 936) != Hex("D9 59 AE 61 41")) ++failures[t];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int f : failures) EXPECT_EQ(f, 0);
}

// ---- The process code page -------------------------------------------------

TEST(ProcessCodePage, SetAndName) {
  TACPGuard guard;
  struct {
    unsigned Set, Acp;
    const char* Name;
  } cases[] = {{936, 936, "936"},
               {950, 950, "950"},
               {1252, 1252, "437"},
               {437, 1252, "437"},
               {CP_UTF8, CP_UTF8, "437"}};
  for (const auto& c : cases) {
    SetACP(c.Set);
    EXPECT_EQ(GetACP(), c.Acp);
    EXPECT_EQ(SystemCodePageName(), c.Name);
  }
  SetACP(950);
  EXPECT_EQ(AnsiToWide(Hex("B8 EA")), u"資");  // the default argument is the process page
  EXPECT_EQ(AnsiToWide(Hex("B8 EA"), CP_ACP), u"資");
  SetACP(936);
  EXPECT_EQ(WideToAnsi(u"资"), Hex("D7 CA"));
}

// The variable is read once per process, so each case runs in a fresh one.
TEST(ProcessCodePageDeathTest, EnvironmentChoosesTheCodePage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  struct {
    const char* Value;
    unsigned Acp;
    const char* Name;
  } cases[] = {{"950", 950, "950"},
               {"936", 936, "936"},
               {" 1252 ", 1252, "437"},
               {"437", 1252, "437"},
               {"", 936, "936"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Value);
    EXPECT_EXIT(
        {
          setenv("KW_ANSI_CODEPAGE", c.Value, 1);
          bool ok = GetACP() == c.Acp && SystemCodePageName() == c.Name;
          std::_Exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
  }
  EXPECT_EXIT(
      {
        unsetenv("KW_ANSI_CODEPAGE");
        std::_Exit(GetACP() == 936 ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
  for (const char* bad : {"1234", "abc", "0", "9500000"}) {
    SCOPED_TRACE(bad);
    EXPECT_EXIT(
        {
          setenv("KW_ANSI_CODEPAGE", bad, 1);
          std::_Exit(GetACP() == 936 ? 0 : 1);
        },
        testing::ExitedWithCode(0), "is not a supported code page; using 936");
  }
}

// ---- Built-in texts --------------------------------------------------------

const AnsiString* ConfirmCaption() { return &GB("确定"); }

TEST(GBLiteral, HoldsGBBytesWhateverTheProcessCodePage) {
  TACPGuard guard;
  SetACP(950);
  EXPECT_EQ(ToHex(GB("确定")), "C8 B7 B6 A8");
  EXPECT_EQ(ToHex(GB("资产 A")), "D7 CA B2 FA 20 41");
  EXPECT_EQ(ToHex(Utf8ToGB("确定")), "C8 B7 B6 A8");
  SetACP(1252);
  EXPECT_EQ(ToHex(GB("取消")), "C8 A1 CF FB");
  // Converted once: the same object every time at one place of use.
  EXPECT_EQ(ConfirmCaption(), ConfirmCaption());
  EXPECT_EQ(*ConfirmCaption(), Hex("C8 B7 B6 A8"));
}

// ---- Double-byte classification --------------------------------------------

TEST(DoubleByte, LeadBytesByCodePage) {
  struct {
    unsigned char Byte;
    bool In936, In950, In1252;
  } cases[] = {{0x41, false, false, false}, {0x80, false, false, false},
               {0x81, true, true, false},   {0xA1, true, true, false},
               {0xFE, true, true, false},   {0xFF, false, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Byte));
    EXPECT_EQ(IsDBCSLeadByte(c.Byte, 936), c.In936);
    EXPECT_EQ(IsDBCSLeadByte(c.Byte, 950), c.In950);
    EXPECT_EQ(IsDBCSLeadByte(c.Byte, 1252), c.In1252);
    EXPECT_FALSE(IsDBCSLeadByte(c.Byte, CP_UTF8));
  }
}

TEST(DoubleByte, ByteTypesAndCharacterLengths) {
  // "a", "丂" (81 40: trail '@'), "乤" (81 61: trail 'a'), "b", then a lead
  // byte cut off by the end.
  const AnsiString s = Hex("61 81 40 81 61 62 D7");
  struct {
    int Index;
    TMbcsByteType Type;
    int Length;
    int Next;
  } cases[] = {{0, mbSingleByte, 0, 1}, {1, mbSingleByte, 1, 2}, {2, mbLeadByte, 2, 4},
               {3, mbTrailByte, 1, 4},  {4, mbLeadByte, 2, 6},   {5, mbTrailByte, 1, 6},
               {6, mbSingleByte, 1, 7}, {7, mbLeadByte, 1, 8},   {8, mbSingleByte, 0, 9}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Index);
    EXPECT_EQ(ByteType(s, c.Index, 936), c.Type);
    EXPECT_EQ(CharLength(s, c.Index, 936), c.Length);
    EXPECT_EQ(NextCharIndex(s, c.Index, 936), c.Next);
    if (c.Index >= 1) {
      EXPECT_EQ(StrByteType(s.c_str(), c.Index - 1, 936), c.Type);
    }
  }
  // The same bytes in a single-byte code page are single bytes throughout.
  for (int i = 1; i <= static_cast<int>(s.size()); ++i) {
    EXPECT_EQ(ByteType(s, i, 1252), mbSingleByte);
    EXPECT_EQ(CharLength(s, i, 1252), 1);
  }
}

TEST(DoubleByte, TrailBytesInTheLeadRange) {
  // B0 A1 B0 A1: both A1 bytes are trail bytes although A1 is a lead value.
  const AnsiString s = Hex("B0 A1 B0 A1 41");
  const TMbcsByteType expected[] = {mbLeadByte, mbTrailByte, mbLeadByte, mbTrailByte, mbSingleByte};
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(ByteType(s, i, 936), expected[i - 1]) << i;
  EXPECT_EQ(CharSizeAt(s, 0, 936), 2u);
  EXPECT_EQ(CharSizeAt(s, 4, 936), 1u);
  EXPECT_EQ(CharSizeAt(s, 5, 936), 0u);
  // A NUL never completes a double-byte character.
  EXPECT_EQ(CharSizeAt(std::string_view("\xB0\0A", 3), 0, 936), 1u);
}

}  // namespace
