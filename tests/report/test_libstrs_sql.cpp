// WHERE fragments from condition values, table aliases and per-table rights.

#include <gtest/gtest.h>

#include "platform/rtl/Variant.h"
#include "src/report/LibStrs.h"

namespace {

const Variant kRange("\x04");
const Variant kList("\x05");

struct ConditionCase {
  const char* What;
  Variant Value;
  int Kind;
  const char* Expected;
};

TEST(LibStrsAddCondition, ShapesAndKindsGiveTheirFragments) {
  const ConditionCase cases[] = {
      {"marked range, equal", VarArrayOf({kRange, "A", "A"}), 1, " (F='A') "},
      {"marked range", VarArrayOf({kRange, "A", "B"}), 1, " (F Between 'A' and 'B') "},
      {"marked range, lower only", VarArrayOf({kRange, "O'Brien", ""}), 1, " (F>= 'O''Brien')"},
      {"marked range, upper only", VarArrayOf({kRange, Null(), "B"}), 1,
       " (F<= 'B' OR F IS NULL )"},
      {"marked range, no bounds", VarArrayOf({kRange, "", Null()}), 1, ""},
      {"marked range, short array", VarArrayOf({kRange, "A"}), 1, " (F>= 'A')"},
      {"plain range", VarArrayOf({"A", "B"}), 1, " (F Between 'A' and 'B') "},
      {"plain range, quotes doubled", VarArrayOf({"a'b", "c''d"}), 1,
       " (F Between 'a''b' and 'c''''d') "},
      {"scalar", Variant("x"), 1, " (F>= 'x')"},
      {"scalar number", Variant(5), 1, " (F>= '5')"},
      {"empty scalar", Variant(""), 1, ""},
      {"null", Null(), 1, ""},
      {"unassigned", Variant(), 1, ""},
      {"exact comparison", VarArrayOf({kRange, "a", "A"}), 1, " (F Between 'a' and 'A') "},
      {"literal range", VarArrayOf({kRange, " 5 ", " 10 "}), 2, " (F Between 5 and 10) "},
      {"literal lower", VarArrayOf({kRange, " 5 ", ""}), 2, " (F>=5)"},
      {"literal upper", VarArrayOf({kRange, "", "-1.5"}), 3, " (F<=-1.5 OR F IS NULL )"},
      {"literal equal after trimming", VarArrayOf({kRange, "7", " 7"}), 3, " (F=7) "},
      {"literal number value", Variant(12), 2, " (F>=12)"},
      {"literal that is not a number", VarArrayOf({kRange, "1 OR 1=1", "9"}), 2,
       " (F<=9 OR F IS NULL )"},
      {"literal of blanks", VarArrayOf({kRange, "  ", ""}), 2, ""},
      {"kind 0", VarArrayOf({kRange, "A", "B"}), 0, ""},
      {"kind 4", Variant("x"), 4, ""},
      {"list", VarArrayOf({kList, "a", Null(), VarArrayOf({"b", "ignored"}), ""}), 1,
       "(F IN ('a', 'b'))"},
      {"list quotes every item, whatever the kind", VarArrayOf({kList, "O'Brien", 3}), 2,
       "(F IN ('O''Brien', '3'))"},
      {"list without items", VarArrayOf({kList}), 1, ""},
      {"list of empty items", VarArrayOf({kList, "", Null(), VarArrayOf({Null()})}), 1, ""},
  };
  for (const ConditionCase& c : cases) {
    AnsiString where;
    const AnsiString single = AddCondition(where, "F", c.Value, c.Kind);
    EXPECT_EQ(single, c.Expected) << c.What;
    EXPECT_EQ(where, single.empty() ? AnsiString() : "Where " + single) << c.What;
  }
}

TEST(LibStrsAddCondition, AppendsWithAndOrStartsTheWhereClause) {
  AnsiString where;
  AddCondition(where, "F", VarArrayOf({kList, "a"}), 1);
  EXPECT_EQ(where, "Where (F IN ('a'))");

  where = " WHERE 1=1 ";
  const AnsiString single = AddCondition(where, "TC002", VarArrayOf({kRange, "A", "B"}), 1);
  EXPECT_EQ(single, " (TC002 Between 'A' and 'B') ");
  EXPECT_EQ(where, " WHERE 1=1  and  (TC002 Between 'A' and 'B') ");

  AddCondition(where, "TC003", VarArrayOf({kRange, "", ""}), 1);
  EXPECT_EQ(where, " WHERE 1=1  and  (TC002 Between 'A' and 'B') ");  // nothing to add
  AddCondition(where, "TC004", Variant("X"), 1);
  EXPECT_EQ(where, " WHERE 1=1  and  (TC002 Between 'A' and 'B')  and  (TC004>= 'X')");
}

TEST(LibStrsAddCondition, WideTextsAndChineseBoundsAreQuotedAsTexts) {
  AnsiString where;
  // The Chinese character's bytes pass unchanged; the quote after it is doubled.
  const AnsiString name = "\xD5\xC5'";
  EXPECT_EQ(AddCondition(where, "MA002", VarArrayOf({kList, name}), 1),
            "(MA002 IN ('\xD5\xC5'''))");
  where.clear();
  EXPECT_EQ(AddCondition(where, "F", VarArrayOf({kRange, WideString(u"a'b"), Null()}), 1),
            " (F>= 'a''b')");
}

struct AliasCase {
  const char* Rest;
  const char* Expected;
};

TEST(LibStrsRights, FindTableAlias) {
  const AliasCase cases[] = {
      {" AS P ON TC046=MA001", "P"},
      {" as pur ON x", "pur"},
      {" p LEFT JOIN $$X", "P"},
      {" p WHERE 1=1", "P"},
      {" p", "P"},
      {" LEFT JOIN $$ASTTD", "PURMA"},
      {" p x y", "PURMA"},
      {" WITH(NOLOCK) ON x", "PURMA"},
      {" p WITH(NOLOCK)", "P"},
      {"", "PURMA"},
      {" ON a=b", "PURMA"},
  };
  for (const AliasCase& c : cases) EXPECT_EQ(FindTableAlias("PURMA", c.Rest), c.Expected) << c.Rest;
}

Variant Rights(std::initializer_list<const char*> Entries) {
  std::vector<Variant> values{static_cast<int>(Entries.size())};
  for (const char* e : Entries) values.emplace_back(e);
  return VarArrayOf(values);
}

TEST(LibStrsRights, OneTermPerTableOccurrence) {
  const char* from = "FROM $$ASTTC AS ASTTC LEFT JOIN $$PURMA AS PURMA ON TC046=MA001";
  EXPECT_EQ(BuildTableRightsFilter(Rights({"PURMA MA005='X'"}), "DB", from),
            "(( MA005='X' ) or (PURMA.MA001 is null))");

  // the table name before a dot becomes the alias
  EXPECT_EQ(BuildTableRightsFilter(Rights({"PURMA PURMA.MA005='X' and PURMA.MA006>0"}), "DB",
                                   "FROM $$ASTTC AS T LEFT JOIN $$PURMA AS P ON x=y"),
            "(( P.MA005='X' and P.MA006>0 ) or (P.MA001 is null))");

  // a table joined twice gets a term per alias; aliases may be excluded
  const char* twice =
      "FROM $$ASTTC AS ASTTC\r\nLEFT JOIN $$PURMA AS P1 ON a=b LEFT JOIN $$PURMA AS P2 ON c=d";
  EXPECT_EQ(BuildTableRightsFilter(Rights({"PURMA PURMA.MA005='X'"}), "DB", twice),
            "(( P1.MA005='X' ) or (P1.MA001 is null)) and "
            "(( P2.MA005='X' ) or (P2.MA001 is null))");
  EXPECT_EQ(BuildTableRightsFilter(Rights({"PURMA PURMA.MA005='X'"}), "DB", twice, "x;p1"),
            "(( P2.MA005='X' ) or (P2.MA001 is null))");

  // several entries, in the order of the list
  EXPECT_EQ(BuildTableRightsFilter(Rights({"ASTTC TC015='Y'", "PURMA MA005='X'"}), "DB", from),
            "(( TC015='Y' ) or (ASTTC.TC001 is null)) and "
            "(( MA005='X' ) or (PURMA.MA001 is null))");
}

TEST(LibStrsRights, ExplicitDatabaseNamesWithoutThePrefix) {
  const Variant rights = Rights({"PURMA MA005='X'"});
  const char* from = "FROM DB..ASTTC ASTTC, DB..PURMA PURMA";
  const char* expected = "(( MA005='X' ) or (PURMA.MA001 is null))";
  EXPECT_EQ(BuildTableRightsFilter(rights, "DB", from), expected);
  EXPECT_EQ(BuildTableRightsFilter(rights, "DB..", from), expected);
  EXPECT_EQ(BuildTableRightsFilter(rights, "OTHER", from), "");
  // with "$$" in the text the database name is not looked for
  EXPECT_EQ(BuildTableRightsFilter(rights, "DB", "FROM $$ASTTC, DB..PURMA PURMA"), "");
}

TEST(LibStrsRights, NothingAppliesGivesAnEmptyText) {
  const char* from = "FROM $$ASTTC AS ASTTC LEFT JOIN $$PURMAX AS X ON a=b";
  EXPECT_EQ(BuildTableRightsFilter(Rights({}), "DB", from), "");
  EXPECT_EQ(BuildTableRightsFilter(Rights({"ASTMB MB005='X'"}), "DB", from), "");
  // a longer table name is a different table
  EXPECT_EQ(BuildTableRightsFilter(Rights({"PURMA MA005='X'"}), "DB", from), "");
  // entries without a condition restrict nothing
  EXPECT_EQ(BuildTableRightsFilter(Rights({"ASTTC", "ASTTC  "}), "DB", from), "");
  EXPECT_EQ(BuildTableRightsFilter(Variant(), "DB", from), "");
  EXPECT_EQ(BuildTableRightsFilter(VarArrayOf({"x", "ASTTC TC015='Y'"}), "DB", from), "");
  // a count beyond the array reads what is there
  EXPECT_EQ(BuildTableRightsFilter(VarArrayOf({5, "ASTTC TC015='Y'"}), "DB", from),
            "(( TC015='Y' ) or (ASTTC.TC001 is null))");
}

}  // namespace
