// Client statements to backend SQL: the tokenizer and the translator.

#include <gtest/gtest.h>

#include "appserver/AppServerErrors.h"
#include "appserver/SqlDialect.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"

namespace {

AnsiString Joined(const std::vector<TSqlToken>& Tokens) {
  AnsiString out;
  for (const TSqlToken& t : Tokens) out += t.Text;
  return out;
}

// "DEMO" is the company database in use, "OTHER" a second one.
AnsiString Resolve(const AnsiString& Name) {
  if (Name == "DEMO") return "";
  if (Name == "OTHER") return "other.";
  throw ERequestRefused("The company database \"" + Name + "\" does not exist");
}

TEST(SqlTokenizer, TokensGiveTheStatementBackAndKeepQuotedPartsWhole) {
  const AnsiString cases[] = {
      "SELECT TC001, 'a''b;c' AS X FROM $$ASTTC -- note ' here\nWHERE [TC 2] = N'x' /* ISNULL( */",
      "SELECT \"we\"\"ird\", 1.5e3, .5, ? FROM DB..T WHERE a<>b AND c>=d OR e||f",
      GB("SELECT '资产''名称' FROM $$ASTMB WHERE MB002 = '笔记本电脑'"),
      "",
  };
  for (const AnsiString& sql : cases) EXPECT_EQ(Joined(TokenizeSql(sql, 936)), sql);

  std::vector<TSqlToken> t = SignificantTokens(TokenizeSql("SELECT 'a''b;c', [x y] -- c\n FROM $$ASTTC;", 936));
  ASSERT_EQ(t.size(), 7u);
  EXPECT_EQ(t[1].Kind, TSqlTokenKind::Literal);
  EXPECT_EQ(LiteralValue(t[1]), "a'b;c");
  EXPECT_EQ(t[3].Kind, TSqlTokenKind::QuotedName);
  EXPECT_TRUE(t[4].IsWord("from"));
  EXPECT_EQ(t[5].Text, "$$ASTTC");
  EXPECT_TRUE(t[6].IsSymbol(";"));
}

TEST(SqlTokenizer, AStrayLeadByteNeverSwallowsTheClosingQuote) {
  // 0x81 starts a GBK character only before a trail byte (0x40 and up); the
  // quote after it still closes the literal, as the converter sees it.
  std::vector<TSqlToken> t = SignificantTokens(TokenizeSql("SELECT 'a\x81', 'b'", 936));
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[1].Text, "'a\x81'");
  EXPECT_EQ(t[3].Text, "'b'");
  // The converter agrees: the quote survives as a quote.
  EXPECT_EQ(AnsiToUtf8("\x81'", 936).back(), '\'');
  // A real GBK character whose second byte is "\" or "]" stays one character.
  AnsiString name = "[\x81\x5D]";  // a GBK character with trail byte "]"
  std::vector<TSqlToken> n = TokenizeSql(name, 936);
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].Kind, TSqlTokenKind::QuotedName);
}

TEST(SqlTokenizer, UnclosedPartsAreRefused) {
  for (const char* sql : {"SELECT 'abc", "SELECT [abc", "SELECT \"abc", "SELECT 1 /* note", "SELECT 'it''s"}) {
    try {
      TokenizeSql(sql, 936);
      ADD_FAILURE() << sql;
    } catch (const ERequestRefused& e) {
      EXPECT_NE(e.Message.find("not closed"), AnsiString::npos) << e.Message;
    }
  }
}

struct TTranslation {
  const char* Client;
  const char* SQLite;
  const char* PostgreSQL = nullptr;  // nullptr: the same as SQLite
};

TEST(SqlTranslator, TranslatesTheJoinDialectWithoutTouchingLiteralsOrComments) {
  const TTranslation cases[] = {
      {"SELECT TC001 FROM $$ASTTC AS ASTTC", "SELECT TC001 FROM ASTTC AS ASTTC"},
      {"SELECT * FROM DEMO..ASTTC, OTHER..CMSMQ, OTHER.dbo.PURMA", "SELECT * FROM ASTTC, other.CMSMQ, other.PURMA"},
      {"SELECT ISNULL(TC006-TC008,0), isnull (a, b), x ISNULL FROM $$ASTTC",
       "SELECT COALESCE(TC006-TC008,0), COALESCE (a, b), x ISNULL FROM ASTTC"},
      {"SELECT '$$ASTTC ISNULL(' AS T /* $$X ISNULL( */ FROM $$ASTTC -- $$Y\n",
       "SELECT '$$ASTTC ISNULL(' AS T /* $$X ISNULL( */ FROM ASTTC -- $$Y\n"},
      {"SELECT TOP 10 TC001 FROM $$ASTTC ORDER BY TC001;", "SELECT  TC001 FROM ASTTC ORDER BY TC001 LIMIT 10;"},
      {"SELECT DISTINCT TOP (5) a FROM t WHERE b IN (SELECT TOP 1 c FROM u) ",
       "SELECT DISTINCT  a FROM t WHERE b IN (SELECT  c FROM u LIMIT 1) LIMIT 5 "},
      {"SELECT TC001 + '-' + TC002, 1 + 2 FROM $$ASTTC", "SELECT TC001 || '-' || TC002, 1 + 2 FROM ASTTC"},
      {"SELECT TC001+TC002, ASTTC.TC001 + ASTTC.TC002, TC006+TC008, TC006 + 1 FROM $$ASTTC",
       "SELECT TC001||TC002, ASTTC.TC001 || ASTTC.TC002, TC006+TC008, TC006 + 1 FROM ASTTC"},
      {"SELECT * FROM $$ASTTC WITH (NOLOCK) LEFT JOIN $$PURMA PURMA WITH(NOLOCK, READPAST) ON TC046=MA001",
       "SELECT * FROM ASTTC  LEFT JOIN PURMA PURMA  ON TC046=MA001"},
      {"SELECT N'abc', [TC001], [odd name], LEN(TC013), GETDATE() FROM $$ASTTC",
       "SELECT 'abc', TC001, \"odd name\", LENGTH(TC013), CURRENT_TIMESTAMP FROM ASTTC"},
      {"WITH x AS (SELECT 1 AS a) SELECT a FROM x", "WITH x AS (SELECT 1 AS a) SELECT a FROM x"},
  };
  for (const TTranslation& c : cases) {
    TSqlTranslator sqlite(TSqlDialect::SQLite, 936, Resolve);
    TSqlTranslator postgres(TSqlDialect::PostgreSQL, 936, Resolve);
    EXPECT_EQ(sqlite.Translate(c.Client), c.SQLite) << c.Client;
    EXPECT_EQ(postgres.Translate(c.Client), c.PostgreSQL ? c.PostgreSQL : c.SQLite) << c.Client;
  }
}

TEST(SqlTranslator, UnknownDatabaseNamesAreRefused) {
  TSqlTranslator translator(TSqlDialect::SQLite, 936, Resolve);
  EXPECT_THROW(translator.Translate("SELECT * FROM NOWHERE..ASTTC"), ERequestRefused);
}

TEST(SqlTranslator, TheCatalogueQueryAsksTheBackendsOwnCatalogue) {
  const AnsiString query =
      "select col.length from syscolumns col inner join sysobjects obj on obj.id=col.id where obj.name = "
      "'WARRANT' AND col.name ='NT002'";
  AnsiString sqlite = TSqlTranslator(TSqlDialect::SQLite, 936, Resolve).Translate(query);
  EXPECT_NE(sqlite.find("pragma_table_info('WARRANT')"), AnsiString::npos) << sqlite;
  EXPECT_NE(sqlite.find("upper('NT002')"), AnsiString::npos) << sqlite;
  AnsiString postgres = TSqlTranslator(TSqlDialect::PostgreSQL, 936, Resolve).Translate(query);
  EXPECT_NE(postgres.find("information_schema.columns"), AnsiString::npos) << postgres;
  EXPECT_NE(postgres.find("lower('WARRANT')"), AnsiString::npos) << postgres;
  // Names with quotes are quoted again, never pasted.
  AnsiString odd = TSqlTranslator(TSqlDialect::SQLite, 936, Resolve)
                       .Translate(StringReplace(query, "'NT002'", "'x'')--'", {rfReplaceAll}));
  EXPECT_NE(odd.find("upper('x'')--')"), AnsiString::npos) << odd;
}

TEST(SqlStatements, OnlyOneSelectIsAccepted) {
  for (const char* good : {"SELECT 1", " select * from t ; ", "SELECT ';' FROM t -- ; DROP\n"})
    EXPECT_NO_THROW(RequireSingleSelect(TokenizeSql(good, 936))) << good;
  const std::pair<const char*, const char*> bad[] = {
      {"", "empty"},
      {"DELETE FROM $$ASTTC", "Only SELECT"},
      {"SELECT 1; DELETE FROM $$ASTTC", "Only one statement"},
      {"SELECT 1;;", "Only one statement"},
      {"/* x */ UPDATE t SET a=1", "Only SELECT"},
  };
  for (const auto& [sql, message] : bad) {
    try {
      RequireSingleSelect(TokenizeSql(sql, 936));
      ADD_FAILURE() << sql;
    } catch (const ERequestRefused& e) {
      EXPECT_NE(e.Message.find(message), AnsiString::npos) << sql << ": " << e.Message;
    }
  }
}

TEST(SqlStatements, PlaceholdersAreNumberedOutsideLiterals) {
  int count = 0;
  EXPECT_EQ(NumberPlaceholders("UPDATE t SET a = ? WHERE b = '?' AND c = ?", 936, count),
            "UPDATE t SET a = $1 WHERE b = '?' AND c = $2");
  EXPECT_EQ(count, 2);
}

}  // namespace
