// Tokens, padding, replacement, numbers, Variant helpers, switch tables,
// JoinVarList and button captions.

#include <gtest/gtest.h>

#include <cmath>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Variant.h"
#include "src/report/LibStrs.h"

namespace {

struct TokenCase {
  const char* Text;
  const char* Separator;
  int N;
  const char* Expected;
};

TEST(LibStrsTokens, GetTokenCutsOneFieldAtATime) {
  const TokenCase cases[] = {
      {"a,b", ",", 1, "a"},
      {"a,b", ",", 2, "b"},
      {"a,b", ",", 3, ""},
      {"", ",", 1, ""},
      {"a,", ",", 2, ""},
      {"a,,b", ",", 3, "b"},
      {"a,,b", ",", 2, ""},
      {"x::y::z", "::", 3, "z"},
      {"a,b", ",", 0, ""},
      {"FAX,TC001,TC002;EMAIL,TC003,TC004", ";", 2, "EMAIL,TC003,TC004"},
      {"u\x03" "c\x03" "d", "\x03", 2, "c"},
  };
  for (const TokenCase& c : cases)
    EXPECT_EQ(GetToken(c.Text, c.Separator, c.N), c.Expected)
        << c.Text << " / " << c.Separator << " / " << c.N;
}

TEST(LibStrsTokens, SeparatorNeverMatchesTheTrailByteOfAChineseCharacter) {
  // GBK 0xD5 0x7C is one character whose second byte is "|".
  const AnsiString text = "\xD5\x7C" "a|b";
  EXPECT_EQ(TokenCount(text, "|"), 2);
  EXPECT_EQ(GetToken(text, "|", 1), "\xD5\x7C" "a");
  EXPECT_EQ(GetToken(text, "|", 2), "b");
}

TEST(LibStrsTokens, TokenCountIsSeparatorsPlusOne) {
  EXPECT_EQ(TokenCount("", ","), 0);
  EXPECT_EQ(TokenCount("a", ","), 1);
  EXPECT_EQ(TokenCount("a,,b", ","), 3);
  EXPECT_EQ(TokenCount(",", ","), 2);
  EXPECT_EQ(TokenCount("a::b::c", "::"), 3);
}

TEST(LibStrsTokens, SplitFirstMovesTheHeadOut) {
  AnsiString text = "user,company,db";
  EXPECT_EQ(SplitFirst(text, ","), "user");
  EXPECT_EQ(text, "company,db");
  EXPECT_EQ(SplitFirst(text, ","), "company");
  EXPECT_EQ(SplitFirst(text, ","), "db");
  EXPECT_EQ(text, "");
  EXPECT_EQ(SplitFirst(text, ","), "");
  AnsiString trailing = "a,";
  EXPECT_EQ(SplitFirst(trailing, ","), "a");
  EXPECT_EQ(trailing, "");
}

TEST(LibStrsPadding, PadLeftAndZeroPad) {
  EXPECT_EQ(PadLeftStr("7", 3, '0'), "007");
  EXPECT_EQ(PadLeftStr("1234", 3), "1234");
  EXPECT_EQ(PadLeftStr("ab", 4), "  ab");
  EXPECT_EQ(PadLeftStr("", 2, '*'), "**");
  EXPECT_EQ(ZeroPadInt(5, 42), "00042");
  EXPECT_EQ(ZeroPadInt(2, 12345), "12345");
  EXPECT_EQ(ZeroPadInt(12, 9876543210LL), "009876543210");
  EXPECT_EQ(ZeroPadInt(4, -7), "-0007");
}

struct ReplaceCase {
  const char* Text;
  const char* Old;
  const char* New;
  bool TrimResult;
  const char* Expected;
};

TEST(LibStrsReplace, ReplaceAllTextCascadesAndAlwaysEnds) {
  const ReplaceCase cases[] = {
      // a run of three backslashes collapses to one
      {"C:\\\\\\dir", "\\\\", "\\", false, "C:\\dir"},
      // equal ignoring case: nothing is replaced
      {"a x. b", "x.", "X.", false, "a x. b"},
      // the new text holds the old one: one pass
      {"aa", "a", "ab", false, "abab"},
      {"aaa", "aa", "a", false, "a"},
      // a replacement of the same length cascades too, here until sorted
      {"bbaa", "ba", "ab", false, "aabb"},
      {"  keep  ", "zz", "y", true, "keep"},
      {"  keep  ", "zz", "y", false, "  keep  "},
      {" a-b ", "-", " ", true, "a b"},
      {"abc", "", "x", false, "abc"},
  };
  for (const ReplaceCase& c : cases)
    EXPECT_EQ(ReplaceAllText(c.Text, c.Old, c.New, c.TrimResult), c.Expected)
        << c.Text << " / " << c.Old << " / " << c.New;
}

TEST(LibStrsReplace, TrailByteBackslashOfAChineseCharacterIsNotReplaced) {
  // GBK 0x5C can be the second byte of a character (0xD5 0x5C).
  const AnsiString text = "\xD5\x5C\\x";
  EXPECT_EQ(ReplaceAllText(text, "\\", "/", false), "\xD5\x5C/x");
}

TEST(LibStrsNumbers, CompareFloatToleratesRounding) {
  EXPECT_EQ(CompareFloat(0.1 + 0.2, 0.3), 0);
  EXPECT_EQ(CompareFloat(1.0, 1.0 + 1e-9), -1);
  EXPECT_EQ(CompareFloat(2.0, 1.0), 1);
  EXPECT_EQ(CompareFloat(-3.5, -3.5), 0);
  EXPECT_EQ(CompareFloat(1e20, 1e20 + 1e5), 0);  // equal in 15 digits
  EXPECT_EQ(CompareFloat(123456.789, 123456.7890000001), 0);
}

TEST(LibStrsNumbers, StrToFloatOrReadsOnlyWholeDecimalNumbers) {
  struct Case {
    const char* Text;
    double Expected;
  } cases[] = {
      {"1.5", 1.5},   {"-2.25", -2.25}, {" 3 ", 3},     {"+4", 4},      {".5", 0.5},
      {"1e3", 1000},  {"1.5x", 7},      {"", 7},        {"1,5", 7},     {"abc", 7},
      {"inf", 7},     {"nan", 7},       {"1e", 7},      {"-", 7},       {"0x10", 7},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(StrToFloatOr(c.Text, 7), c.Expected) << c.Text;
}

TEST(LibStrsVariants, IIfAndBlank) {
  EXPECT_EQ(VarIIf(true, Variant(1), Variant("b")).AsInteger(), 1);
  EXPECT_EQ(VarIIf(false, Variant(1), Variant("b")).AsString(), "b");
  EXPECT_TRUE(VarIsBlank(Variant()));
  EXPECT_TRUE(VarIsBlank(Null()));
  EXPECT_FALSE(VarIsBlank(Variant("")));
  EXPECT_FALSE(VarIsBlank(Variant(0)));
}

Variant SwitchTable(std::initializer_list<std::pair<const char*, Variant>> Columns) {
  Variant table = VarArrayCreate({0, 1, 0, static_cast<int>(Columns.size()) - 1}, varVariant);
  int column = 0;
  for (const auto& [name, value] : Columns) {
    table.PutElement({0, column}, Variant(name));
    table.PutElement({1, column}, value);
    ++column;
  }
  return table;
}

TEST(LibStrsVariants, LookupSwitch) {
  EXPECT_TRUE(LookupSwitch(SwitchTable({{"ABC", false}}), "FEP"));  // absent
  EXPECT_FALSE(LookupSwitch(SwitchTable({{"abc", true}, {"fep", false}}), "FEP"));
  EXPECT_TRUE(LookupSwitch(SwitchTable({{"FEP", true}, {"fep", false}}), "Fep"));  // first wins
  EXPECT_FALSE(LookupSwitch(SwitchTable({{"FEP", Variant("maybe")}}), "FEP"));   // not Boolean
  EXPECT_FALSE(LookupSwitch(VarArrayOf({"FEP", true}), "FEP"));  // one dimension
  EXPECT_FALSE(LookupSwitch(Variant(), "FEP"));
}

TEST(LibStrsVariants, JoinVarListMarksEveryFieldWithCode3) {
  const Variant list = VarArrayOf({2, "PURMA MA005='X'", "ASTTC TC015='Y'"});
  EXPECT_EQ(JoinVarList(AnsiString("Y"), list),
            u"Y\x03" u"2\x03" u"PURMA MA005='X'\x03" u"ASTTC TC015='Y'\x03");
  EXPECT_EQ(JoinVarList(AnsiString(""), VarArrayOf({0})), u"\x03" u"0\x03");
  // items the count promises but the array lacks are not made up
  EXPECT_EQ(JoinVarList(AnsiString("N"), VarArrayOf({3, "a"})), u"N\x03" u"1\x03" u"a\x03");
  EXPECT_EQ(JoinVarList(AnsiString("N"), Variant()), u"N\x03" u"0\x03");
  // Chinese texts keep their characters
  EXPECT_EQ(JoinVarList(GB("限"), VarArrayOf({1, Null()})), u"限\x03" u"1\x03" u"\x03");
}

TEST(LibStrsCaptions, ButtonCaptionsMatchExactly) {
  const std::pair<const char*, const char*> cases[] = {
      {"Yes", "是(&Y)"},      {"No", "否(&N)"},          {"OK", "确定"},
      {"Cancel", "取消"},      {"Abort", "中断(&A)"},     {"Retry", "重试(&R)"},
      {"Ignore", "忽略(&I)"},  {"All", "全部(&A)"},       {"NoToAll", "全否(&o)"},
      {"YesToAll", "全是(&A)"}, {"Help", "帮助(&H)"},      {"yes", "yes"},
      {"Close", "Close"},      {"", ""},
  };
  for (const auto& [name, caption] : cases)
    EXPECT_EQ(ButtonCaption(name), Utf8ToGB(caption)) << name;
}

TEST(LibStrsEnvironment, OnlyTheLoopbackAddressTextIsLocal) {
  EXPECT_TRUE(IsLocalHost("127.0.0.1"));
  EXPECT_FALSE(IsLocalHost("localhost"));
  EXPECT_FALSE(IsLocalHost(" 127.0.0.1"));
  EXPECT_FALSE(IsLocalHost("127.0.0.2"));
}

}  // namespace
