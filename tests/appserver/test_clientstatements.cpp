// The value-carrying requests clients send: accepted only in their exact
// shapes, values taken out for binding, everything else refused.

#include <gtest/gtest.h>

#include "appserver/AppServerErrors.h"
#include "appserver/ClientStatements.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"

namespace {

Variant Count(const AnsiString& Table, const AnsiString& Column, const AnsiString& Condition) {
  return VarArrayOf({Variant(Table), Variant(Column), Variant(Condition)});
}

const AnsiString kSendLog =
    "INSERT INTO $$ADMTA (COMPANY,CREATOR,USR_GROUP,CREATE_DATE,FLAG,TA001,TA002,TA003,TA004,TA005,TA006) "
    "VALUES('01','DS','ADMIN','20240301','1','ZKPW31','K','Y','Send e-Mail Complete !','10:20:30','20240301')";

TEST(CountRequest, TheVoucherConditionIsTakenApartForBinding) {
  struct TCase {
    Variant Params;
    const char* Column;
    AnsiString Type, Number;
  };
  const TCase cases[] = {
      {Count("$$ASTTC", "TC016", "TC001='A1' and TC002='20240300001'"), "TC016", "A1", "20240300001"},
      {Count("DEMO..asttc", " tc033 ", "tc001 = 'A2'  AND  tc002='X''Y'"), "TC033", "A2", "X'Y"},
      {Count("$$ASTTC;", "TC016", "TC001='A1' and TC002='1';"), "TC016", "A1", "1"},
      {Count("$$ASTTC", "TC016", GB("TC001='资产' and TC002='单号'")), "TC016", GB("资产"), GB("单号")},
  };
  for (const TCase& c : cases) {
    TCountRequest r = ParseCountRequest(c.Params, "DEMO", 936);
    EXPECT_EQ(r.Column, c.Column);
    EXPECT_EQ(r.VoucherType, c.Type);
    EXPECT_EQ(r.VoucherNumber, c.Number);
  }
}

TEST(CountRequest, EverythingElseIsRefusedWithTheReason) {
  const std::pair<Variant, const char*> cases[] = {
      {Count("$$ASTTC", "TC016", "TC001='A1' and TC002='1' OR 1=1"), "unexpected \"OR\""},
      {Count("$$ASTTC", "TC016", "TC001='A1' and TC002='1'; DROP TABLE ASTTC"), "unexpected \"DROP\""},
      {Count("$$ASTTC", "TC016", "TC001='A1' and TC002='1' --"), "comments are not accepted"},
      {Count("$$ASTTC", "TC016", "TC001='A1' and TC002='1' /* x */"), "comments are not accepted"},
      {Count("$$ASTTC", "TC016", "TC001='A1' and TC002=TC002"), "must be a quoted text"},
      {Count("$$ASTTC", "TC016", "TC001='A1' and TC002=(SELECT MAX(TC002) FROM ASTTC)"), "must be a quoted text"},
      {Count("$$ASTTC", "TC016", "TC001='A1' or TC002='1'"), "expected AND"},
      {Count("$$ASTTC", "TC016", "TC002='1' and TC001='A1'"), "expected TC001"},
      {Count("$$ASTTC", "TC016", "TC001='A1' and TC002='1"), "not closed"},
      {Count("$$ASTTC", "TC016", "TC001='A1234' and TC002='1'"), "longer than 4"},
      {Count("$$ASTTC", "TC016 = 99, TC015", "TC001='A1' and TC002='1'"), "not a count column"},
      {Count("$$ASTTC", "TC015", "TC001='A1' and TC002='1'"), "not a count column"},
      {Count("$$ASTTD", "TC016", "TC001='A1' and TC002='1'"), "not one this operation"},
      {Count("ASTTC", "TC016", "TC001='A1' and TC002='1'"), "\"$$\" prefix"},
      {Count("OTHER..ASTTC", "TC016", "TC001='A1' and TC002='1'"), "not the connected company database"},
      {Count("$$ASTTC; DELETE FROM $$ASTTC", "TC016", "TC001='A1' and TC002='1'"), "unexpected \"DELETE\""},
      {VarArrayOf({Variant("$$ASTTC"), Variant("TC016")}), "list of 3 values"},
      {Variant("$$ASTTC"), "list of 3 values"},
      {VarArrayOf({Variant("$$ASTTC"), Variant("TC016"), VarArrayOf({Variant("x")})}), "not a plain value"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& [params, message] = cases[i];
    try {
      ParseCountRequest(params, "DEMO", 936);
      ADD_FAILURE() << "case " << i << " was accepted";
    } catch (const ERequestRefused& e) {
      EXPECT_NE(e.Message.find(message), AnsiString::npos) << e.Message;
      EXPECT_EQ(e.Message.rfind("The print count update refused", 0), 0u) << e.Message;
    }
  }
}

TEST(FreeStatement, TheSignOffLookupsAndTheSendLogAreAccepted) {
  TFreeStatement a = ParseFreeStatement("SELECT * FROM $$ADMMQ WHERE MQ002='A1'", "DEMO", 936);
  EXPECT_EQ(a.Kind, TFreeStatement::SignOffLookup);
  EXPECT_EQ(a.Table, "ADMMQ");
  EXPECT_EQ(a.Columns, std::vector<AnsiString>{"MQ002"});
  EXPECT_EQ(a.Values, std::vector<AnsiString>{"A1"});

  TFreeStatement b = ParseFreeStatement("select *  from DEMO..sgsmc where mc002 = 'O''K' ;", "DEMO", 936);
  EXPECT_EQ(b.Table, "SGSMC");
  EXPECT_EQ(b.Values, std::vector<AnsiString>{"O'K"});

  TFreeStatement c = ParseFreeStatement(kSendLog, "DEMO", 936);
  EXPECT_EQ(c.Kind, TFreeStatement::SendLogInsert);
  EXPECT_EQ(c.Table, "ADMTA");
  ASSERT_EQ(c.Values.size(), 11u);
  EXPECT_EQ(c.Values[0], "01");
  EXPECT_EQ(c.Values[8], "Send e-Mail Complete !");
  EXPECT_EQ(c.Values[10], "20240301");
}

TEST(FreeStatement, OtherStatementsAndExtraPartsAreRefused) {
  const std::pair<AnsiString, const char*> cases[] = {
      {"SELECT * FROM $$ADMMQ WHERE MQ002='A1' OR 1=1", "unexpected \"OR\""},
      {"SELECT * FROM $$ADMMQ WHERE MQ002='A1'; DELETE FROM $$ASTTC", "unexpected \"DELETE\""},
      {"SELECT * FROM $$ADMMQ WHERE MQ002='A1' -- x", "comments are not accepted"},
      {"SELECT * FROM $$ADMMQ WHERE MC002='A1'", "expected MQ002"},
      {"SELECT MQ003 FROM $$ADMMQ WHERE MQ002='A1'", "expected \"*\""},
      {"SELECT * FROM $$ASTTC WHERE MQ002='A1'", "not one this operation"},
      {"SELECT * FROM $$ADMMQ WHERE MQ002=(SELECT 'A1')", "must be a quoted text"},
      {"SELECT * FROM $$ADMMQ", "expected WHERE"},
      {"DELETE FROM $$ADMTA", "only the sign-off lookups"},
      {"UPDATE $$ASTTC SET TC016 = 0", "only the sign-off lookups"},
      {"INSERT INTO $$ASTTC (TC001) VALUES('A1')", "not one this operation"},
      {StringReplace(kSendLog, "'20240301')", "'20240301'); DROP TABLE ADMTA", {}), "unexpected \"DROP\""},
      {StringReplace(kSendLog, "'ZKPW31'", "(SELECT MAX(TC001) FROM ASTTC)", {}), "must be a quoted text"},
      {StringReplace(kSendLog, "TA005,TA006", "TA006,TA005", {}), "expected TA005"},
      {StringReplace(kSendLog, ",'20240301')", ")", {}), "expected \",\""},
      {StringReplace(kSendLog, "'ZKPW31'", "'ZKPW31ZKPW31'", {}), "longer than 10"},
      {StringReplace(kSendLog, "'K'", "'a\x01b'", {}), "control character"},
  };
  for (const auto& [sql, message] : cases) {
    try {
      ParseFreeStatement(sql, "DEMO", 936);
      ADD_FAILURE() << "accepted: " << sql;
    } catch (const ERequestRefused& e) {
      EXPECT_NE(e.Message.find(message), AnsiString::npos) << sql << "\n" << e.Message;
    }
  }
}

TEST(ColumnValues, LengthsCountCharactersAsTheDatabasesDo) {
  // NT002 holds 20 characters: twenty Chinese characters (40 GBK bytes) fit.
  AnsiString twenty;
  for (int i = 0; i < 20; ++i) twenty += GB("格");
  EXPECT_NO_THROW(CheckColumnValue("WARRANT", "NT002", twenty, 936));
  EXPECT_THROW(CheckColumnValue("WARRANT", "NT002", twenty + "x", 936), ERequestRefused);
  EXPECT_NO_THROW(CheckColumnValue("WARRANT", "NT005", AnsiString(100000, 'x'), 936));  // TEXT
  EXPECT_THROW(CheckColumnValue("WARRANT", "NT999", "x", 936), ERequestRefused);
}

}  // namespace
