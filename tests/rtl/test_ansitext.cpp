#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"

namespace {

// Sets the process code page for one test and restores it afterwards.
class TCodePageScope {
 public:
  explicit TCodePageScope(unsigned CodePage) : Saved(GetACP()) { SetACP(CodePage); }
  ~TCodePageScope() { SetACP(Saved); }

 private:
  unsigned Saved;
};

// Test texts are written in UTF-8 and converted to the code page under test.
AnsiString A(const char* Utf8, unsigned CodePage = 936) { return Utf8ToAnsi(Utf8, CodePage); }

// ---- Case ------------------------------------------------------------------

struct TCaseCase {
  unsigned CodePage;
  const char* Text;
  const char* Upper;
  const char* Lower;
};

const TCaseCase kCaseCases[] = {
    {936, "Asset 资产 ok", "ASSET 资产 OK", "asset 资产 ok"},
    // Trail bytes 'a', 'b', '@' inside 乤, 乥, 丂 stay as they are.
    {936, "乤乥丂x", "乤乥丂X", "乤乥丂x"},
    {936, "ａｂ Ｚ", "ＡＢ Ｚ", "ａｂ ｚ"},  // full-width letters have both cases in GBK
    {936, "αβ ⅰ", "ΑΒ Ⅰ", "αβ ⅰ"},
    {936, "āé", "āé", "āé"},           // GBK has no capital pinyin letters: unchanged
    {950, "乙兀a", "乙兀A", "乙兀a"},  // Big5 A4 41 and A4 61: trail bytes 'A' and 'a'
    {1252, "café ÿ œ ß µ", "CAFÉ Ÿ Œ ß µ", "café ÿ œ ß µ"},
    {1252, "ÀÉÎ", "ÀÉÎ", "àéî"},
};

TEST(AnsiCase, ConvertsLettersOfTheCodePage) {
  for (const TCaseCase& c : kCaseCases) {
    SCOPED_TRACE(std::to_string(c.CodePage) + " " + c.Text);
    TCodePageScope scope(c.CodePage);
    const AnsiString text = A(c.Text, c.CodePage);
    EXPECT_EQ(AnsiToUtf8(AnsiUpperCase(text)), c.Upper);
    EXPECT_EQ(AnsiToUtf8(AnsiLowerCase(text)), c.Lower);
    EXPECT_EQ(AnsiUpperCase(text).size(), text.size());
  }
}

TEST(AnsiCase, AsciiCaseLeavesEverythingElse) {
  TCodePageScope scope(936);
  EXPECT_EQ(AnsiToUtf8(UpperCase(A("乤a ｂ é"))), "乤A ｂ é");
  EXPECT_EQ(AnsiToUtf8(LowerCase(A("乤A Ｂ"))), "乤a Ｂ");
  TCodePageScope western(1252);
  EXPECT_EQ(AnsiToUtf8(UpperCase(A("café", 1252))), "CAFé");
}

TEST(AnsiCase, LoneLeadByteAtTheEndIsLeftAlone) {
  TCodePageScope scope(936);
  EXPECT_EQ(AnsiUpperCase("ab\x81"), "AB\x81");
  EXPECT_EQ(UpperCase("ab\x81"), "AB\x81");
}

// ---- Comparison ------------------------------------------------------------

TEST(AnsiCompare, ByteComparisons) {
  EXPECT_GT(CompareStr("a", "B"), 0);
  EXPECT_LT(CompareStr("ab", "abc"), 0);
  EXPECT_EQ(CompareStr("", ""), 0);
  EXPECT_GT(CompareStr("\xB0\xA1", "z"), 0);  // bytes compare unsigned
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_EQ(CompareText("Hello", "hELLO"), 0);
  EXPECT_TRUE(SameText("Voucher", "VOUCHER"));
  EXPECT_FALSE(SameText("Voucher", "Voucher "));
}

TEST(AnsiCompare, TextComparisonDoesNotFoldTrailBytes) {
  TCodePageScope scope(936);
  // 乤 (81 61) and 丄 (81 41) differ only in an ASCII-letter trail byte.
  const AnsiString a = A("乤"), b = A("丄");
  ASSERT_EQ(a[1], 'a');
  ASSERT_EQ(b[1], 'A');
  EXPECT_NE(CompareText(a, b), 0);
  EXPECT_FALSE(SameText(a, b));
  EXPECT_FALSE(AnsiSameText(a, b));
  EXPECT_NE(AnsiCompareText(a, b), 0);
}

TEST(AnsiCompare, LinguisticOrder) {
  TCodePageScope scope(936);
  EXPECT_LT(AnsiCompareStr("a", "B"), 0);  // unlike CompareStr
  EXPECT_LT(AnsiCompareStr("a", "A"), 0);  // lower case first
  EXPECT_EQ(AnsiCompareStr("abc", "abc"), 0);
  EXPECT_EQ(AnsiCompareText("abc", "ABC"), 0);
  EXPECT_LT(AnsiCompareText("abc", "ABD"), 0);
  EXPECT_TRUE(AnsiSameText(A("ａ资"), A("Ａ资")));
  EXPECT_FALSE(AnsiSameStr("a", "A"));
  // 嫒 (ài, E6 C8) sorts before 波 (bō, B2 A8) by pinyin, after it by bytes.
  EXPECT_LT(AnsiCompareStr(A("嫒"), A("波")), 0);
  EXPECT_GT(CompareStr(A("嫒"), A("波")), 0);

  TCodePageScope big5(950);
  // 乂 (2 strokes, C9 40) before 龜 (16 strokes, C0 74) by stroke count.
  EXPECT_LT(AnsiCompareStr(A("乂", 950), A("龜", 950)), 0);
  EXPECT_GT(CompareStr(A("乂", 950), A("龜", 950)), 0);
}

TEST(AnsiCompare, UndecodableTextsStillDiffer) {
  TCodePageScope scope(936);
  // Both decode to U+FFFD; the comparison must not call them equal.
  EXPECT_NE(AnsiCompareStr("\x81", "\x82"), 0);
  EXPECT_NE(AnsiCompareText("\x81", "\x82"), 0);
  EXPECT_EQ(AnsiCompareStr("\x81", "\x82"), -AnsiCompareStr("\x82", "\x81"));
}

TEST(AnsiCompare, SortsChineseNamesByPinyin) {
  TCodePageScope scope(936);
  std::vector<AnsiString> names = {A("张三"), A("李四"), A("王五"), A("阿福"), A("Bob")};
  std::sort(names.begin(), names.end(),
            [](const AnsiString& x, const AnsiString& y) { return AnsiCompareText(x, y) < 0; });
  std::vector<std::string> utf8;
  for (const auto& n : names) utf8.push_back(AnsiToUtf8(n));
  // Latin letters before Han characters; then ā, lǐ, wáng, zhāng.
  EXPECT_EQ(utf8, (std::vector<std::string>{"Bob", "阿福", "李四", "王五", "张三"}));
}

// ---- Trimming and pieces ---------------------------------------------------

TEST(AnsiPieces, Trim) {
  TCodePageScope scope(936);
  EXPECT_EQ(Trim(A("\t 资产 \r\n")), A("资产"));
  EXPECT_EQ(TrimLeft("\x01 a b "), "a b ");
  EXPECT_EQ(TrimRight(" a b \x1F"), " a b");
  EXPECT_EQ(Trim(" \t\r\n"), "");
  EXPECT_EQ(Trim(A("　资　")), A("　资　"));  // the ideographic space is a character
}

TEST(AnsiPieces, CopyDeleteInsert) {
  struct {
    int Index, Count;
    const char* Expected;
  } copies[] = {{1, 2, "ab"}, {0, 2, "ab"}, {-5, 2, "ab"}, {3, 100, "cdef"},
                {6, 1, "f"},  {7, 1, ""},   {2, 0, ""},    {2, -1, ""}};
  for (const auto& c : copies)
    EXPECT_EQ(Copy("abcdef", c.Index, c.Count), c.Expected) << c.Index << "," << c.Count;

  struct {
    int Index, Count;
    const char* Expected;
  } deletes[] = {{2, 2, "adef"},   {5, 10, "abcd"},  {0, 2, "abcdef"},
                 {7, 1, "abcdef"}, {1, 0, "abcdef"}, {1, 6, ""}};
  for (const auto& c : deletes) {
    AnsiString s = "abcdef";
    Delete(s, c.Index, c.Count);
    EXPECT_EQ(s, c.Expected) << c.Index << "," << c.Count;
  }

  struct {
    int Index;
    const char* Expected;
  } inserts[] = {{1, "XYabc"}, {2, "aXYbc"}, {4, "abcXY"}, {99, "abcXY"}, {0, "XYabc"}};
  for (const auto& c : inserts) {
    AnsiString s = "abc";
    Insert("XY", s, c.Index);
    EXPECT_EQ(s, c.Expected) << c.Index;
  }
}

TEST(AnsiPieces, LeftRightMidByBytesAndByCharacters) {
  TCodePageScope scope(936);
  const AnsiString s = A("资产ab");  // D7 CA B2 FA 61 62
  EXPECT_EQ(LeftStr(s, 3), s.substr(0, 3));
  EXPECT_EQ(RightStr(s, 3), s.substr(3));
  EXPECT_EQ(RightStr(s, 99), s);
  EXPECT_EQ(RightStr(s, 0), "");
  EXPECT_EQ(MidStr(s, 3, 2), A("产"));
  EXPECT_EQ(AnsiLeftStr(s, 3), A("资产a"));
  EXPECT_EQ(AnsiLeftStr(s, 99), s);
  EXPECT_EQ(AnsiRightStr(s, 3), A("产ab"));
  EXPECT_EQ(AnsiRightStr(s, 0), "");
  EXPECT_EQ(AnsiMidStr(s, 2, 2), A("产a"));
  EXPECT_EQ(AnsiMidStr(s, 5, 1), "");
  EXPECT_EQ(AnsiMidStr(s, 0, 1), A("资"));

  struct {
    int MaxBytes;
    const char* Expected;
  } truncations[] = {{0, ""},      {1, ""},       {2, "资"},    {3, "资"},
                     {5, "资产a"}, {6, "资产ab"}, {9, "资产ab"}};
  for (const auto& c : truncations)
    EXPECT_EQ(TruncateBytes(s, c.MaxBytes), A(c.Expected)) << c.MaxBytes;
}

TEST(AnsiPieces, ByteAndCharacterIndexes) {
  TCodePageScope scope(936);
  const AnsiString s = A("资产ab");
  EXPECT_EQ(ByteToCharLen(s, 3), 2);  // the third byte belongs to the second character
  EXPECT_EQ(ByteToCharLen(s, 99), 4);
  EXPECT_EQ(ByteToCharLen(s, 0), 0);
  EXPECT_EQ(CharToByteLen(s, 2), 4);
  EXPECT_EQ(CharToByteLen(s, 3), 5);
  EXPECT_EQ(CharToByteLen(s, 99), 6);
  EXPECT_EQ(ByteToCharIndex(s, 4), 2);
  EXPECT_EQ(ByteToCharIndex(s, 5), 3);
  EXPECT_EQ(ByteToCharIndex(s, 7), 0);
  EXPECT_EQ(CharToByteIndex(s, 2), 3);
  EXPECT_EQ(CharToByteIndex(s, 4), 6);
  EXPECT_EQ(CharToByteIndex(s, 5), 0);
  EXPECT_EQ(CharToByteIndex(s, 0), 0);
}

TEST(AnsiPieces, LastCharacter) {
  TCodePageScope scope(936);
  const AnsiString s = A("ab资");
  EXPECT_EQ(AnsiLastChar(s), s.data() + 2);
  const AnsiString ascii = "ab";
  EXPECT_EQ(AnsiLastChar(ascii), ascii.data() + 1);
  const AnsiString empty;
  EXPECT_EQ(AnsiLastChar(empty), nullptr);
  EXPECT_EQ(AnsiStrLastChar(s.c_str()), s.c_str() + 2);
  EXPECT_EQ(AnsiStrLastChar(""), nullptr);
  EXPECT_EQ(AnsiStrLastChar(nullptr), nullptr);
  TCodePageScope western(1252);
  EXPECT_EQ(AnsiLastChar(s), s.data() + 3);  // single bytes in 1252
}

// ---- Searching -------------------------------------------------------------

TEST(AnsiSearch, PosAndPosEx) {
  struct {
    const char* Sub;
    const char* S;
    int Offset;
    int Expected;
  } cases[] = {{"b", "abcabc", 1, 2},   {"b", "abcabc", 3, 5}, {"b", "abcabc", 6, 0},
               {"abc", "abcabc", 2, 4}, {"", "abc", 1, 0},     {"x", "abc", 1, 0},
               {"a", "abc", 0, 0},      {"a", "abc", 4, 0},    {"abcd", "abc", 1, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(PosEx(c.Sub, c.S, c.Offset), c.Expected)
        << c.Sub << " in " << c.S << " @" << c.Offset;
    if (c.Offset == 1) {
      EXPECT_EQ(Pos(c.Sub, c.S), c.Expected);
    }
  }
}

TEST(AnsiSearch, AnsiPosFindsWholeCharactersOnly) {
  TCodePageScope scope(936);
  // 资产 = D7 CA B2 FA; CA B2 is 什, straddling the two characters.
  const AnsiString s = A("资产") + A("什");
  const AnsiString shi = A("什");
  EXPECT_EQ(Pos(shi, s), 2);
  EXPECT_EQ(AnsiPos(shi, s), 5);
  EXPECT_EQ(AnsiPos(shi, A("资产")), 0);
  // A lone lead byte must not match the start of a character.
  EXPECT_EQ(AnsiPos("\xB2", A("产")), 0);
  EXPECT_EQ(AnsiPos(A("产"), A("资产")), 3);
  EXPECT_EQ(AnsiPos("", "abc"), 0);

  TCodePageScope big5(950);
  // 功 = A5 5C: its trail byte is a backslash.
  const AnsiString path = A("C:功\\x", 950);
  EXPECT_EQ(Pos("\\", path), 4);
  EXPECT_EQ(AnsiPos("\\", path), 5);
}

TEST(AnsiSearch, Delimiters) {
  TCodePageScope big5(950);
  const AnsiString path = A("C:\\功能", 950);  // 43 3A 5C A5 5C AF E0
  EXPECT_EQ(LastDelimiter("\\:", path), 3);
  EXPECT_TRUE(IsDelimiter("\\", path, 3));
  EXPECT_FALSE(IsDelimiter("\\", path, 5));  // trail byte of 功
  EXPECT_FALSE(IsDelimiter("\\", path, 0));
  EXPECT_FALSE(IsDelimiter("\\", path, 99));
  EXPECT_EQ(LastDelimiter("/", path), 0);
  TCodePageScope western(1252);
  EXPECT_EQ(LastDelimiter("\\", path), 5);  // single bytes in 1252
}

TEST(AnsiSearch, StartsEndsContains) {
  TCodePageScope big5(950);
  const AnsiString gong = A("功", 950);
  EXPECT_FALSE(AnsiEndsStr("\\", gong));
  EXPECT_FALSE(AnsiEndsText("\\", gong));
  EXPECT_FALSE(AnsiContainsStr(gong, "\\"));
  EXPECT_FALSE(AnsiStartsStr("\xA5", gong));  // half a character
  EXPECT_TRUE(AnsiStartsStr(gong, gong + "x"));

  TCodePageScope gb(936);
  EXPECT_TRUE(AnsiStartsText("VOU", "voucher"));
  EXPECT_FALSE(AnsiStartsStr("VOU", "voucher"));
  EXPECT_TRUE(AnsiEndsText(A("资产NO"), A("固定资产no")));
  EXPECT_TRUE(AnsiEndsStr("", "abc"));
  EXPECT_TRUE(AnsiStartsStr("", "abc"));
  EXPECT_FALSE(AnsiEndsStr("abcd", "bcd"));
  EXPECT_TRUE(AnsiContainsText(A("固定资产No.1"), "NO."));
  EXPECT_FALSE(AnsiContainsText(A("乤"), "A"));  // the 'a' is a trail byte
  EXPECT_FALSE(AnsiContainsStr("abc", ""));
  EXPECT_EQ(AnsiIndexText("PDF", {"bmp", "jpg", "gif", "pdf"}), 3);
  EXPECT_EQ(AnsiIndexStr("PDF", {"bmp", "jpg", "gif", "pdf"}), -1);
  EXPECT_EQ(AnsiIndexText("png", {}), -1);
}

// ---- Replacing -------------------------------------------------------------

TEST(AnsiReplace, StringReplaceFlags) {
  TCodePageScope scope(936);
  struct {
    const char* S;
    const char* Old;
    const char* New;
    TReplaceFlags Flags;
    const char* Expected;
  } cases[] = {
      {"abc abc", "abc", "x", {}, "x abc"},
      {"abc abc", "abc", "x", {rfReplaceAll}, "x x"},
      {"Abc aBC", "abc", "x", {rfReplaceAll}, "Abc aBC"},
      {"Abc aBC abc", "abc", "x", {rfReplaceAll, rfIgnoreCase}, "x x x"},
      {"Abc aBC", "ABC", "x", {rfIgnoreCase}, "x aBC"},
      {"aa", "a", "aa", {rfReplaceAll}, "aaaa"},  // the replacement is not searched again
      {"abc", "", "x", {rfReplaceAll}, "abc"},
      {"", "a", "x", {rfReplaceAll}, ""},
      {"资产 资产", "资产", "固定资产", {rfReplaceAll}, "固定资产 固定资产"},
      {"资产什", "什", "X", {rfReplaceAll}, "资产X"},  // not the bytes straddling 资产
      {"乤a乤A", "A", "-", {rfReplaceAll, rfIgnoreCase}, "乤-乤-"},  // trail 'a' untouched
      {"ａ资Ａ", "ａ", "b", {rfReplaceAll, rfIgnoreCase}, "b资b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.S) + " / " + c.Old);
    EXPECT_EQ(AnsiToUtf8(StringReplace(A(c.S), A(c.Old), A(c.New), c.Flags)), c.Expected);
  }
  EXPECT_EQ(AnsiReplaceStr("a.b.c", ".", "/"), "a/b/c");
  EXPECT_EQ(AnsiReplaceText("X-x", "x", "y"), "y-y");
}

TEST(AnsiReplace, BackslashesInBig5) {
  TCodePageScope big5(950);
  const AnsiString text = A("功能\\許可", 950);  // 功 and 許 end in 5C
  EXPECT_EQ(AnsiToUtf8(StringReplace(text, "\\", "/", {rfReplaceAll})), "功能/許可");
}

// ---- Quotes ----------------------------------------------------------------

TEST(AnsiQuotes, QuoteAndDequote) {
  TCodePageScope scope(936);
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(QuotedStr(""), "''");
  EXPECT_EQ(AnsiQuotedStr("say \"hi\"", '"'), "\"say \"\"hi\"\"\"");

  struct {
    const char* S;
    const char* Expected;
  } dequotes[] = {{"'abc'", "abc"}, {"'it''s'", "it's"}, {"abc", "abc"}, {"'abc", "'abc"},
                  {"''", ""},       {"'a'b", "a"},       {"", ""},       {"abc'", "abc'"}};
  for (const auto& c : dequotes) EXPECT_EQ(AnsiDequotedStr(c.S, '\''), c.Expected) << c.S;
}

TEST(AnsiQuotes, ExtractQuotedAdvancesPastTheClosingQuote) {
  std::string_view src = "'ab''c' rest";
  EXPECT_EQ(AnsiExtractQuotedStr(src, '\''), "ab'c");
  EXPECT_EQ(src, " rest");

  std::string_view unquoted = "abc";
  EXPECT_EQ(AnsiExtractQuotedStr(unquoted, '\''), "");
  EXPECT_EQ(unquoted, "abc");

  std::string_view open = "\"abc";
  EXPECT_EQ(AnsiExtractQuotedStr(open, '"'), "abc");
  EXPECT_EQ(open, "");
}

TEST(AnsiQuotes, QuoteByteInsideADoubleByteCharacter) {
  TCodePageScope big5(950);
  const AnsiString gong = A("功", 950);  // A5 5C
  EXPECT_EQ(AnsiQuotedStr(gong, '\\'), "\\" + gong + "\\");
  const AnsiString quoted = "\\" + gong + "\\\\x\\tail";
  std::string_view src = quoted;
  EXPECT_EQ(AnsiExtractQuotedStr(src, '\\'), gong + "\\x");
  EXPECT_EQ(src, "tail");
  EXPECT_EQ(AnsiDequotedStr("\\" + gong + "\\", '\\'), gong);
}

// ---- Building --------------------------------------------------------------

TEST(AnsiBuild, RepeatReverse) {
  TCodePageScope scope(936);
  EXPECT_EQ(StringOfChar('-', 3), "---");
  EXPECT_EQ(StringOfChar('-', -1), "");
  EXPECT_EQ(DupeString("ab", 3), "ababab");
  EXPECT_EQ(DupeString("ab", 0), "");
  EXPECT_EQ(AnsiToUtf8(ReverseString(A("ab资产"))), "产资ba");
  EXPECT_EQ(AnsiToUtf8(AnsiReverseString(A("乤x"))), "x乤");
  EXPECT_EQ(ReverseString(""), "");
}

TEST(AnsiBuild, AdjustLineBreaks) {
  struct {
    const char* S;
    const char* CrLf;
    const char* Lf;
  } cases[] = {
      {"a\rb\nc\r\nd\n\re", "a\r\nb\r\nc\r\nd\r\ne", "a\nb\nc\nd\ne"},
      {"\r\n\r\n", "\r\n\r\n", "\n\n"},
      {"\n\n", "\r\n\r\n", "\n\n"},
      {"x\r", "x\r\n", "x\n"},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AdjustLineBreaks(c.S), c.CrLf);
    EXPECT_EQ(AdjustLineBreaks(c.S, tlbsLF), c.Lf);
  }
}

}  // namespace
