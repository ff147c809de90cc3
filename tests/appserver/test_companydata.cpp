// The server operations' data side on a demo company, on SQLite and on a
// private PostgreSQL server.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <mutex>
#include <thread>

#include "appserver/AppServerErrors.h"
#include "appserver/CompanyData.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "tests/appserver/appserver_fixture.h"
#include "tests/appserver/report_statement.h"

using namespace kwtest;

namespace {

const char* const kKind = "TfrmZKPW31Fmt";

Variant Strings(std::initializer_list<AnsiString> Values) {
  std::vector<Variant> v;
  for (const AnsiString& s : Values) v.emplace_back(s);
  return VarArrayOf(v);
}

AnsiString SendLog(const AnsiString& Creator, const AnsiString& Message) {
  return "INSERT INTO $$ADMTA (COMPANY,CREATOR,USR_GROUP,CREATE_DATE,FLAG,TA001,TA002,TA003,TA004,TA005,TA006) "
         "VALUES('01','" + Creator + "','ADMIN','20240301','1','ZKPW31','K','Y','" +
         StringReplace(Message, "'", "''", {rfReplaceAll}) + "','10:20:30','20240301')";
}

class CompanyDataTest : public ::testing::TestWithParam<TBackendKind> {
 protected:
  void SetUp() override {
    Config = ConfigFor(GetParam(), Folder);
    Demo.Vouchers = 150;
    Demo.Seed = 7;
    Summary = MakeDemoCompany(Config, Demo);
  }

  std::unique_ptr<TCompanyData> Session(const AnsiString& User = kDemoAdmin) {
    auto session = std::make_unique<TCompanyData>(Config);
    session->Connect(Strings({kDemoProgram, User, "01", "DEMO", "ASTTC"}));
    return session;
  }

  // Everything the refused requests could have touched.
  AnsiString Snapshot(TCompanyData& Session) {
    TRowSet r = Session.Backend().Query(
        "SELECT (SELECT COUNT(*) FROM ASTTC), (SELECT SUM(TC016) FROM ASTTC), (SELECT SUM(TC033) FROM ASTTC), "
        "(SELECT COUNT(*) FROM ASTTD), (SELECT COUNT(*) FROM ADMTA), (SELECT COUNT(*) FROM WARRANT), "
        "(SELECT COUNT(*) FROM GENES), (SELECT MAX(TC015) FROM ASTTC), (SELECT COUNT(*) FROM ADMMF)");
    AnsiString out;
    for (int f = 0; f < r.FieldCount(); ++f) out += VarToStr(r.Value(0, f)) + "|";
    return out;
  }

  TTempFolder Folder;
  TDatabaseConfig Config;
  TDemoOptions Demo;
  TDemoSummary Summary;
};

Currency Money(const TRowSet& Rows, int Row, const char* Field) { return Rows.Value(Row, Field).AsCurrency(); }

TEST_P(CompanyDataTest, TheReportStatementReturnsTheDemoVouchers) {
  auto session = Session();
  TRowSet rows = session->RunQuery(ReportStatement(kReportWhere));
  ASSERT_EQ(rows.FieldCount(), 64);
  EXPECT_EQ(rows.Fields[9].Name, "CMSMQ002");
  EXPECT_EQ(rows.Fields[21].Name, "MF002C1");
  EXPECT_EQ(rows.Fields[63].Name, "TC004C");
  const TRowSetField& tc001 = rows.Fields[static_cast<std::size_t>(rows.IndexOf("TC001"))];
  EXPECT_EQ(tc001.Kind, TFieldKind::String);
  EXPECT_EQ(tc001.Size, 4);
  EXPECT_EQ(rows.Fields[static_cast<std::size_t>(rows.IndexOf("TC016"))].Kind, TFieldKind::Integer);
  EXPECT_EQ(rows.Fields[static_cast<std::size_t>(rows.IndexOf("TC006"))].Kind, TFieldKind::Currency);

  // One row per detail line of the audited, unprinted acquisition vouchers.
  TRowSet expected = session->Backend().Query(
      "SELECT COUNT(*) FROM ASTTC JOIN ASTTD ON TD001 = TC001 AND TD002 = TC002 "
      "WHERE TC001 = 'A1' AND TC015 = 'Y' AND TC016 = 0");
  ASSERT_GT(rows.RowCount(), 0);
  EXPECT_EQ(rows.RowCount(), expected.Value(0, 0).AsInteger());

  AnsiString previous;
  for (int r = 0; r < rows.RowCount(); ++r) {
    SCOPED_TRACE("row " + std::to_string(r));
    EXPECT_EQ(VarToStr(rows.Value(r, "TC001")), "A1");
    EXPECT_EQ(VarToStr(rows.Value(r, "TC015")), "Y");
    EXPECT_EQ(rows.Value(r, "TC016").AsInteger(), 0);
    EXPECT_EQ(VarToStr(rows.Value(r, "CMSMQ002")), GB("资产取得单"));
    EXPECT_FALSE(VarToStr(rows.Value(r, "MB002")).empty());
    EXPECT_FALSE(VarIsNull(rows.Value(r, "PURMA002")));  // acquisitions name their supplier
    EXPECT_FALSE(VarIsNull(rows.Value(r, "MF002C2")));   // the creator is a user
    EXPECT_EQ(rows.Value(r, "TC006").VarType(), varCurrency);
    AnsiString key = VarToStr(rows.Value(r, "TC001")) + VarToStr(rows.Value(r, "TC002"));
    EXPECT_LE(previous, key);
    previous = key;
    // The cost amount: improved cost when there is one, else the cost,
    // less depreciation and impairment.
    Currency base = Money(rows, r, "TCK10").Scaled == 0 ? Money(rows, r, "TC006") : Money(rows, r, "TCK10");
    EXPECT_EQ(Money(rows, r, "TC004C").Scaled,
              base.Scaled - Money(rows, r, "TC008").Scaled - Money(rows, r, "TCK11").Scaled);
  }
}

TEST_P(CompanyDataTest, OuterJoinsGiveNullsWhereNothingMatches) {
  auto session = Session();
  // Revaluations name no supplier; unaudited vouchers have no approver.
  TRowSet rows = session->RunQuery(ReportStatement("WHERE (1=1  and (TC001='A3')) "));
  ASSERT_GT(rows.RowCount(), 0);
  int unaudited = 0;
  for (int r = 0; r < rows.RowCount(); ++r) {
    EXPECT_EQ(VarToStr(rows.Value(r, "TC046")), "");
    EXPECT_TRUE(VarIsNull(rows.Value(r, "PURMA002")));
    if (VarToStr(rows.Value(r, "TC028")).empty()) {
      ++unaudited;
      EXPECT_TRUE(VarIsNull(rows.Value(r, "MF002C1")));
    }
  }
  EXPECT_GT(unaudited, 0);
}

TEST_P(CompanyDataTest, PrintCountsIncrementOncePerCallUnderEightClients) {
  auto admin = Session();
  TRowSet vouchers = admin->Backend().Query("SELECT TC001, TC002, TC016, TC033 FROM ASTTC ORDER BY TC001, TC002 LIMIT 4");
  ASSERT_EQ(vouchers.RowCount(), 4);
  const int kClients = 8, kCalls = 30;
  // Calls per voucher and column, as the clients below make them.
  int expected16[4] = {}, expected33[4] = {};
  for (int c = 0; c < kClients; ++c)
    for (int i = 0; i < kCalls; ++i) {
      // Written out: the sanitizer build of GCC 12 miscounts the same thing
      // written as an increment of a conditional array's element.
      if (i % 5 == 4)
        ++expected33[(c + i) % 4];
      else
        ++expected16[(c + i) % 4];
    }

  std::mutex lock;
  std::vector<std::string> errors;
  std::vector<std::thread> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&, c] {
      try {
        auto session = Session(c % 2 ? "U001" : kDemoAdmin);
        for (int i = 0; i < kCalls; ++i) {
          int v = (c + i) % 4;
          AnsiString condition = "TC001='" + VarToStr(vouchers.Value(v, 0)) + "' and TC002='" +
                                 VarToStr(vouchers.Value(v, 1)) + "'";
          int counted = session->UpdatePrintCount(Strings({"$$ASTTC", i % 5 == 4 ? "TC033" : "TC016", condition}));
          if (counted != 1) throw EAppServerError("counted " + std::to_string(counted) + " vouchers");
        }
      } catch (const std::exception& e) {
        std::lock_guard<std::mutex> guard(lock);
        errors.push_back(e.what());
      }
    });
  }
  for (std::thread& t : clients) t.join();
  ASSERT_TRUE(errors.empty()) << errors.front();

  TRowSet after = admin->Backend().Query("SELECT TC001, TC002, TC016, TC033 FROM ASTTC ORDER BY TC001, TC002 LIMIT 4");
  for (int v = 0; v < 4; ++v) {
    EXPECT_EQ(after.Value(v, 2).AsInteger(), vouchers.Value(v, 2).AsInteger() + expected16[v]) << v;
    EXPECT_EQ(after.Value(v, 3).AsInteger(), vouchers.Value(v, 3).AsInteger() + expected33[v]) << v;
  }
  // A voucher that does not exist is not counted.
  EXPECT_EQ(admin->UpdatePrintCount(Strings({"$$ASTTC", "TC016", "TC001='A1' and TC002='nothing'"})), 0);
}

TEST_P(CompanyDataTest, ALayoutWriteOverAStaleRevisionIsRefused) {
  auto a = Session(), b = Session("U001");
  const AnsiString name = GB("标准格式");
  const Variant key = Strings({kKind, name});
  Variant original = Strings({"object frmZKPW31Fmt: TfrmZKPW31Fmt", GB("  Caption = '资产凭证'"), "end"});
  ASSERT_EQ(a->WriteLayout(false, original, Strings({"01", kDemoAdmin, "ADMIN", kKind, name, "", ""}), 1), 1);

  Variant read;
  ASSERT_EQ(b->ReadLayout(key, read), 1);
  EXPECT_EQ(VarToStr(read[0]), "1");
  // Both read revision 1 and lock it; the first writer wins.
  EXPECT_EQ(a->LockLayout(VarArrayOf({Variant(1), Variant("1"), Variant(kKind), Variant(name)})), 1);
  EXPECT_EQ(b->LockLayout(VarArrayOf({Variant(1), Variant("1"), Variant(kKind), Variant(name)})), 1);
  Variant byA = Strings({"object frmZKPW31Fmt: TfrmZKPW31Fmt", "  Left = 10", "end"});
  Variant byB = Strings({"object frmZKPW31Fmt: TfrmZKPW31Fmt", "  Left = 99", "end"});
  EXPECT_EQ(a->WriteLayout(true, byA, Strings({"01", kDemoAdmin, "", "2", kKind, name, ""}), 1), 1);
  EXPECT_THROW(b->WriteLayout(true, byB, Strings({"01", "U001", "", "2", kKind, name, ""}), 1), ERevisionConflict);

  // Locking again with the stale revision is refused, naming both.
  try {
    b->LockLayout(VarArrayOf({Variant(1), Variant("1"), Variant(kKind), Variant(name)}));
    ADD_FAILURE() << "the stale lock was granted";
  } catch (const ERevisionConflict& e) {
    EXPECT_NE(e.Message.find("stored revision 2"), AnsiString::npos) << e.Message;
    EXPECT_NE(e.Message.find("read revision 1"), AnsiString::npos) << e.Message;
  }
  // Without a lock there is no rewrite at all.
  EXPECT_THROW(a->WriteLayout(true, byB, Strings({"01", kDemoAdmin, "", "3", kKind, name, ""}), 1), ERevisionConflict);

  ASSERT_EQ(b->ReadLayout(key, read), 1);
  EXPECT_EQ(VarToStr(read[0]), "2");
  EXPECT_EQ(VarToStr(read[1]), "object frmZKPW31Fmt: TfrmZKPW31Fmt\r\n  Left = 10\r\nend");
}

TEST_P(CompanyDataTest, LayoutsAreStoredListedAndDeleted) {
  auto session = Session();
  const AnsiString name = GB("带'引号的格式");
  Variant lines = Strings({"object frmZKPW31Fmt: TfrmZKPW31Fmt", GB("  Caption = '资产''凭证'"), "end"});
  ASSERT_EQ(session->WriteLayout(false, lines, Strings({"01", kDemoAdmin, "ADMIN", kKind, name, "", "cboTC015:0=1"}), 1), 1);
  // The same name again is not a new layout.
  EXPECT_THROW(session->WriteLayout(false, lines, Strings({"01", kDemoAdmin, "ADMIN", kKind, name, "", ""}), 1),
               EAppServerError);
  Variant read;
  ASSERT_EQ(session->ReadLayout(Strings({kKind, name}), read), 1);
  EXPECT_EQ(VarToStr(read[1]), "object frmZKPW31Fmt: TfrmZKPW31Fmt\r\n" + GB("  Caption = '资产''凭证'") + "\r\nend");
  TRowSet list = session->ListLayouts(kKind);
  ASSERT_EQ(list.RowCount(), 1);
  EXPECT_EQ(VarToStr(list.Value(0, "NT002")), name);
  EXPECT_EQ(VarToStr(list.Value(0, "NT004")), "cboTC015:0=1");
  EXPECT_EQ(session->DeleteLayout(Strings({kKind, name})), 1);
  EXPECT_EQ(session->DeleteLayout(Strings({kKind, name})), 0);
  EXPECT_EQ(session->ReadLayout(Strings({kKind, name}), read), 0);
  EXPECT_TRUE(VarIsEmpty(read));
}

TEST_P(CompanyDataTest, InjectionAttemptsAreRefusedAndChangeNothing) {
  auto session = Session();
  const AnsiString before = Snapshot(*session);
  const AnsiString sendLog = SendLog(kDemoAdmin, "done");
  struct TAttempt {
    const char* What;
    std::function<void()> Run;
    const char* Message;
  };
  TCompanyData& s = *session;
  const TAttempt attempts[] = {
      {"extra condition", [&] { s.UpdatePrintCount(Strings({"$$ASTTC", "TC016", "TC001='A1' and TC002='x' OR 1=1"})); }, "unexpected \"OR\""},
      {"stacked statement", [&] { s.UpdatePrintCount(Strings({"$$ASTTC", "TC016", "TC001='A1'; DROP TABLE ASTTC"})); }, "expected AND"},
      {"comment", [&] { s.UpdatePrintCount(Strings({"$$ASTTC", "TC016", "TC001='A1' and TC002='x' --'"})); }, "comments are not accepted"},
      {"column list", [&] { s.UpdatePrintCount(Strings({"$$ASTTC", "TC016 = 999, TC015", "TC001='A1' and TC002='x'"})); }, "not a count column"},
      {"table text", [&] { s.UpdatePrintCount(Strings({"$$ASTTC SET TC016 = 0 --", "TC016", "TC001='A1' and TC002='x'"})); }, "comments are not accepted"},
      {"union", [&] { s.RunFreeSql("SELECT * FROM $$ADMMQ WHERE MQ002='A1' UNION SELECT * FROM $$ADMMQ"); }, "unexpected \"UNION\""},
      {"stacked delete", [&] { s.RunFreeSql(sendLog + "; DELETE FROM $$ASTTC"); }, "unexpected \"DELETE\""},
      {"free delete", [&] { s.RunFreeSql("DELETE FROM $$ASTTC"); }, "only the sign-off lookups"},
      {"other user's log", [&] { s.RunFreeSql(SendLog("U001", "done")); }, "not the connected user"},
      {"other user's scheme", [&] { s.DeleteScheme(Strings({"x", "U001", kDemoProgram})); }, "not the connected user"},
      {"layout kind", [&] { Variant out; s.ReadLayout(Strings({"TfrmZKPW31Fmt' OR '1'='1", "x"}), out); }, "not a layout kind"},
      {"lock revision", [&] { s.LockLayout(Strings({"1 OR 1=1", "1", kKind, "x"})); }, "not a number"},
      {"delete layout", [&] { s.DeleteLayout(Strings({"TfrmZKPW31Fmt; DROP TABLE WARRANT", "x"})); }, "not a layout kind"},
      {"provider stacked", [&] { s.RunQuery("SELECT 1; DROP TABLE ASTTC"); }, "Only one statement"},
      {"provider delete", [&] { s.RunQuery("DELETE FROM $$ASTTC"); }, "Only SELECT"},
      {"provider update", [&] { s.RunQuery("UPDATE $$ASTTC SET TC016 = 0"); }, "Only SELECT"},
      {"database path", [&] { TCompanyData other(Config); other.Connect(Strings({kDemoProgram, kDemoAdmin, "01", "../DATA/DEMO"})); }, "not a company database name"},
      {"database list", [&] { TCompanyData other(Config); other.Connect(Strings({kDemoProgram, kDemoAdmin, "01", "DEMO; DROP SCHEMA demo"})); }, "not a company database name"},
  };
  for (const TAttempt& attempt : attempts) {
    try {
      attempt.Run();
      ADD_FAILURE() << attempt.What << ": accepted";
    } catch (const ERequestRefused& e) {
      EXPECT_NE(e.Message.find(attempt.Message), AnsiString::npos) << attempt.What << ": " << e.Message;
    }
  }
  EXPECT_EQ(Snapshot(*session), before);
}

TEST_P(CompanyDataTest, QuotesInsideValuesStayData) {
  auto session = Session();
  const AnsiString before = Snapshot(*session);
  // The value is the text 'OR'1'='1, bound as such: no voucher has it.
  EXPECT_EQ(session->UpdatePrintCount(Strings({"$$ASTTC", "TC016", "TC001='A1' and TC002='''OR''1''=''1'"})), 0);
  EXPECT_EQ(Snapshot(*session), before);

  EXPECT_EQ(session->RunFreeSql(SendLog(kDemoAdmin, GB("O'Brien 已传送; DROP TABLE ADMTA --"))), 1);
  TRowSet log = session->Backend().Query("SELECT TA004, FLAG, TA005 FROM ADMTA");
  ASSERT_EQ(log.RowCount(), 1);
  EXPECT_EQ(VarToStr(log.Value(0, 0)), GB("O'Brien 已传送; DROP TABLE ADMTA --"));
  EXPECT_EQ(log.Value(0, 1).AsInteger(), 1);
  EXPECT_EQ(VarToStr(log.Value(0, 2)), "10:20:30");
}

TEST_P(CompanyDataTest, ClientStatementsRunInTheJoinDialect) {
  auto session = Session();
  TRowSet top = session->RunQuery("SELECT TOP 3 TC002 FROM $$ASTTC WITH (NOLOCK) WHERE TC002 <> ';' ORDER BY TC002");
  EXPECT_EQ(top.RowCount(), 3);
  TRowSet named = session->RunQuery("SELECT COUNT(*) AS N FROM DEMO..ASTTC");
  EXPECT_EQ(named.Value(0, "N").AsInteger(), Summary.Vouchers);
  EXPECT_THROW(session->RunQuery("SELECT COUNT(*) FROM NOPE..ASTTC"), ERequestRefused);
  // Chinese literals arrive in the database code page; the voucher key is
  // joined as text.
  TRowSet byName = session->RunQuery(GB("SELECT MQ001 + '-' + MQ002 AS K FROM $$CMSMQ WHERE MQ002 = '资产取得单'"));
  ASSERT_EQ(byName.RowCount(), 1);
  EXPECT_EQ(VarToStr(byName.Value(0, "K")), GB("A1-资产取得单"));

  // Another company database named as DB..TABLE.
  TDemoOptions second;
  second.CompanyDatabase = "DEMO2";
  second.Vouchers = 12;
  MakeDemoCompany(Config, second);
  TRowSet other = session->RunQuery("SELECT COUNT(*) FROM DEMO2..ASTTC");
  EXPECT_EQ(other.Value(0, 0).AsInteger(), 12);

  // The layout name's declared length, through the catalogue query.
  TRowSet length = session->RunQuery(
      "select col.length from syscolumns col inner join sysobjects obj on obj.id=col.id where obj.name = "
      "'WARRANT' AND col.name ='NT002'");
  ASSERT_EQ(length.RowCount(), 1);
  EXPECT_EQ(length.Fields[0].Name, "LENGTH");
  EXPECT_EQ(length.Value(0, 0).AsInteger(), 20);
}

TEST_P(CompanyDataTest, SchemesAreSavedReplacedRenamedAndDeleted) {
  auto session = Session();
  const AnsiString name = GB("月初方案"), renamed = GB("月末方案");
  const AnsiString values = GB("A1\r\n已审核\r\n");
  session->LoadSchemes(Strings({kDemoAdmin, kDemoProgram}));
  EXPECT_EQ(session->SchemeRows().RowCount(), 0);
  auto record = [&](const AnsiString& Name, const AnsiString& Values, bool Replace) {
    return VarArrayOf({Variant(Name), Variant(kDemoAdmin), Variant("20240301"), Variant(kDemoProgram),
                       Variant("edtTC001.text;cboTC015.itemindex;"), Variant(Values), Variant(Replace)});
  };
  session->InsertScheme(record(name, values, false));
  EXPECT_THROW(session->InsertScheme(record(name, "x", false)), EAppServerError);
  session->InsertScheme(record(name, values + "1\r\n", true));
  TRowSet rows = session->SchemeRows();
  ASSERT_EQ(rows.RowCount(), 1);
  EXPECT_EQ(rows.Fields[0].Name, "NCONDITION");
  EXPECT_EQ(VarToStr(rows.Value(0, "NCONDITION")), name);
  EXPECT_EQ(VarToStr(rows.Value(0, "VCONDITION")), values + "1\r\n");
  EXPECT_EQ(VarToStr(rows.Value(0, "CREATE_DATE")), "20240301");

  session->RenameScheme(Strings({name, kDemoAdmin, kDemoProgram}), Strings({renamed, kDemoAdmin, kDemoProgram}));
  EXPECT_EQ(VarToStr(session->SchemeRows().Value(0, 0)), renamed);
  EXPECT_THROW(session->RenameScheme(Strings({name, kDemoAdmin, kDemoProgram}), Strings({"x", kDemoAdmin, kDemoProgram})),
               EAppServerError);
  EXPECT_THROW(session->RenameScheme(Strings({renamed, kDemoAdmin, kDemoProgram}), Strings({"x", kDemoAdmin, "OTHER"})),
               ERequestRefused);
  // Twenty-one bytes are one too many for a name.
  EXPECT_THROW(session->InsertScheme(record(AnsiString(21, 'n'), values, false)), ERequestRefused);

  session->DeleteScheme(Strings({renamed, kDemoAdmin, kDemoProgram}));
  EXPECT_EQ(session->SchemeRows().RowCount(), 0);
  EXPECT_THROW(session->DeleteScheme(Strings({renamed, kDemoAdmin, kDemoProgram})), EAppServerError);
}

TEST_P(CompanyDataTest, SignOffLookupsCountTheConfiguredForms) {
  auto session = Session();
  EXPECT_EQ(session->RunFreeSql("SELECT * FROM $$ADMMQ WHERE MQ002='A1'"), 1);
  EXPECT_EQ(session->RunFreeSql("SELECT * FROM $$ADMMQ WHERE MQ002='A2'"), 0);
  EXPECT_EQ(session->RunFreeSql("SELECT * FROM DEMO..SGSMC WHERE MC002='A1'"), 1);
}

TEST_P(CompanyDataTest, RightsAndSettingsFollowTheUserAndGroup) {
  auto admin = Session();
  Variant rights = admin->PowerData();
  ASSERT_EQ(VarArrayHighBound(rights, 1), 5);
  EXPECT_EQ(VarToStr(rights[1]), "R,Y,N,YYYYYYYY,,");
  EXPECT_EQ(VarToStr(rights[4]), "N");
  EXPECT_EQ(rights[5][0].AsInteger(), 0);

  // U003 is in the accounting group: its rows and tables are limited.
  auto accountant = Session("U003");
  Variant limited = accountant->PowerData();
  EXPECT_EQ(VarToStr(limited[0]), "TC015='Y'");
  EXPECT_EQ(VarToStr(limited[1]), "R,Y,N,YNNYYYYY,,");
  EXPECT_EQ(VarToStr(limited[4]), "Y");
  ASSERT_EQ(limited[5][0].AsInteger(), 1);
  EXPECT_EQ(VarToStr(limited[5][1]), "ASTTC TC015<>'V'");

  Variant settings = admin->SystemSettings();
  ASSERT_EQ(VarArrayDimCount(settings), 2);
  bool found = false;
  for (int i = 0; i <= VarArrayHighBound(settings, 2); ++i)
    if (VarToStr(settings.GetElement({0, i})) == "KWE002") {
      found = true;
      EXPECT_EQ(VarToStr(settings.GetElement({1, i})), GB("示范精密机械有限公司"));
    }
  EXPECT_TRUE(found);
  EXPECT_EQ(admin->SqlType(), 0);
}

TEST_P(CompanyDataTest, ConnectChecksTheUserAndTheDatabase) {
  TCompanyData session(Config);
  EXPECT_THROW(session.Backend(), EAppServerError);
  EXPECT_THROW(session.Connect(Strings({kDemoProgram, "NOBODY", "01", "DEMO"})), ERequestRefused);
  EXPECT_THROW(session.Connect(Strings({kDemoProgram, kDemoAdmin, "01", "NOWHERE"})), EDatabaseError);
  EXPECT_THROW(session.Connect(Strings({kDemoProgram, kDemoAdmin})), ERequestRefused);
  EXPECT_FALSE(session.Connected());
  session.Connect(Strings({kDemoProgram, kDemoAdmin, "01", "DEMO"}));
  EXPECT_TRUE(session.Connected());
  EXPECT_EQ(session.Session().CompanyDatabase, "DEMO");
}

INSTANTIATE_TEST_SUITE_P(Backends, CompanyDataTest, ::testing::Values(TBackendKind::SQLite, TBackendKind::PostgreSQL),
                         [](const ::testing::TestParamInfo<TBackendKind>& Info) { return BackendName(Info.param); });

// The same demo data on both backends gives the same report rows. The
// statement orders by voucher only, so lines within a voucher are compared
// in line order.
TEST(CompanyDataBackends, TheReportRowsAreTheSameOnBothBackends) {
  TTempFolder folder;
  TDemoOptions demo;
  demo.Vouchers = 200;
  demo.Seed = 11;
  std::vector<TRowSet> results;
  for (TBackendKind kind : {TBackendKind::SQLite, TBackendKind::PostgreSQL}) {
    TDatabaseConfig config = ConfigFor(kind, folder);
    MakeDemoCompany(config, demo);
    TCompanyData session(config);
    session.Connect(Strings({kDemoProgram, kDemoAdmin, "01", "DEMO"}));
    results.push_back(session.RunQuery(ReportStatement("WHERE (1=1 ) ")));
  }
  const TRowSet &a = results[0], &b = results[1];
  ASSERT_EQ(a.FieldCount(), b.FieldCount());
  ASSERT_EQ(a.RowCount(), b.RowCount());
  ASSERT_GT(a.RowCount(), 1000);
  for (int f = 0; f < a.FieldCount(); ++f) {
    EXPECT_EQ(a.Fields[f].Name, b.Fields[f].Name);
    EXPECT_EQ(a.Fields[f].Kind, b.Fields[f].Kind) << a.Fields[f].Name;
    EXPECT_EQ(a.Fields[f].Size, b.Fields[f].Size) << a.Fields[f].Name;
  }
  auto order = [](const TRowSet& Rows) {
    std::vector<int> index(static_cast<std::size_t>(Rows.RowCount()));
    for (int i = 0; i < Rows.RowCount(); ++i) index[static_cast<std::size_t>(i)] = i;
    int type = Rows.IndexOf("TC001"), number = Rows.IndexOf("TC002"), line = Rows.IndexOf("TDK01");
    std::stable_sort(index.begin(), index.end(), [&](int x, int y) {
      auto key = [&](int r) {
        return VarToStr(Rows.Value(r, type)) + "|" + VarToStr(Rows.Value(r, number)) + "|" + VarToStr(Rows.Value(r, line));
      };
      return key(x) < key(y);
    });
    return index;
  };
  std::vector<int> ia = order(a), ib = order(b);
  int differences = 0;
  for (std::size_t r = 0; r < ia.size() && differences < 10; ++r)
    for (int f = 0; f < a.FieldCount(); ++f) {
      const Variant &x = a.Value(ia[r], f), &y = b.Value(ib[r], f);
      if (VarIsNull(x) != VarIsNull(y) || VarToStr(x) != VarToStr(y)) {
        ++differences;
        ADD_FAILURE() << "row " << r << " field " << a.Fields[f].Name << ": SQLite \"" << AnsiToUtf8(VarToStr(x))
                      << "\", PostgreSQL \"" << AnsiToUtf8(VarToStr(y)) << "\"";
      }
    }
}

}  // namespace
