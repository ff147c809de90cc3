// The host's validator over a demo company database: each table and kind the
// plug-in asks for, with rows shaped as the plug-in reads them by index. The
// shapes are checked on both backends.

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "appserver/DemoData.h"
#include "appserver/SqlBackend.h"
#include "host/HostLookups.h"
#include "host/HostManager.h"
#include "platform/com/ComObj.h"
#include "platform/rtl/CodePages.h"
#include "tests/appserver/postgres_cluster.h"
#include "tests/host/support_demo.h"

namespace {

// Layouts and a condition scheme: the demo data has none of its own.
void AddLayoutsAndScheme(TSqlBackend& Db) {
  const char* insertLayout = "INSERT INTO WARRANT (NT001, NT002, NT003, NT004, NT005, NT006) VALUES (?, ?, ?, ?, ?, ?)";
  Db.Execute(insertLayout,
             {Variant("TfrmZKPW31Fmt"), Variant(::Db("样式二")), Variant("3"), Variant(""), Variant("x"), Variant(1)});
  Db.Execute(insertLayout, {Variant("TfrmZKPW31Fmt"), Variant(::Db("样式一")), Variant("1"),
                            Variant("cboDateType:ItemIndex=0"), Variant("x"), Variant(2)});
  Db.Execute(insertLayout,
             {Variant("TfrmOtherFmt"), Variant(::Db("样式一")), Variant("1"), Variant(""), Variant("x"), Variant(1)});
  Db.Execute("INSERT INTO GENES (NCONDITION, CREATOR, CREATE_DATE, PROGRAMME, SCONDITION, VCONDITION) "
             "VALUES (?, ?, ?, ?, ?, ?)",
             {Variant(::Db("三月取得")), Variant("DS"), Variant("20240301"), Variant("ZKPW31"),
              Variant("edtTC001.text;"), Variant("A1;")});
}

// Host settings on the demo company of a backend, made once per program.
THostSettings SettingsFor(TBackendKind Kind) {
  if (Kind == TBackendKind::SQLite) {
    static const bool ready = [] {
      AddLayoutsAndScheme(*OpenCompanyDatabase(DemoHostSettings().Database, "DEMO"));
      return true;
    }();
    (void)ready;
    return DemoHostSettings();
  }
  static const THostSettings settings = [] {
    THostSettings s = DemoHostSettings();
    s.Database = TDatabaseConfig{};
    s.Database.Kind = TBackendKind::PostgreSQL;
    s.Database.ConnectionInfo = kwtest::PostgresConnection();
    auto db = CreateCompanyDatabase(s.Database, "DEMO", true);
    TDemoOptions options;
    options.Vouchers = 40;
    FillDemoCompany(*db, options);
    AddLayoutsAndScheme(*db);
    return s;
  }();
  return settings;
}

class ValidatorBase : public ::testing::Test {
 protected:
  void Start(TBackendKind Kind) {
    Settings = SettingsFor(Kind);
    RegisterHostManager(Settings);
    Validator_ = OleCall(CreateOleObject(HostClassName), "Com_Validator");
  }

  // CheckValue or QueryData as the plug-in calls them: all five by reference.
  bool Call(const char* Method, const char* Table, const char* Kind, const std::vector<const char*>& Values,
            Variant& Result, const char* Database = "DEMO") {
    Variant table(Table), kind(Kind), database(Database);
    std::vector<Variant> values;
    for (const char* v : Values) values.push_back(Variant(Db(v)));
    Variant array = VarArrayOf(values);
    Result = Variant("untouched");
    return OleCall(Validator_, Method, {ByRef(table), ByRef(kind), ByRef(database), ByRef(array), ByRef(Result)})
        .AsBoolean();
  }

  THostSettings Settings;
  Variant Validator_;
};

// The row shapes, on each backend.
class Validator : public ValidatorBase, public ::testing::WithParamInterface<TBackendKind> {
 protected:
  void SetUp() override { Start(GetParam()); }
};

// How requests are handled does not depend on the backend.
class ValidatorRequests : public ValidatorBase {
 protected:
  void SetUp() override { Start(TBackendKind::SQLite); }
};

INSTANTIATE_TEST_SUITE_P(Backends, Validator, ::testing::Values(TBackendKind::SQLite, TBackendKind::PostgreSQL),
                         [](const auto& Info) {
                           return std::string(Info.param == TBackendKind::SQLite ? "SQLite" : "PostgreSQL");
                         });

struct TCheckCase {
  const char* Table;
  const char* Kind;
  std::vector<const char*> Values;
  bool Found;
  int Length;                          // elements of the row
  std::map<int, const char*> Elements;  // UTF-8 texts by index
};

TEST_P(Validator, CheckValueAnswersEachTableAndKindWithTheRowShapeThePlugInReads) {
  const std::vector<TCheckCase> cases = {
      // Program master: 0 name, 4 log flag, 7 English name.
      {"ADMMB", "01", {"ZKPW31"}, true, 8, {{0, "资产异动凭证"}, {4, "Y"}, {7, "Asset Transaction Voucher"}}},
      {"ADMMB", "01", {"ZKPW99"}, false, 0, {}},
      // Company master: every column, line 1 the name.
      {"CMSML", "01", {"01"}, true, 9, {{0, "01"}, {1, "示范精密机械有限公司"}, {7, "陈建华"}}},
      {"CMSML", "01", {"02"}, false, 0, {}},
      // Program settings: 0/1 note, 6/7 sign-off, 11 voucher name, 12 layout.
      {"CMSMT", "01", {"ZKPW31"}, true, 13,
       {{0, "N01"}, {1, "Y"}, {6, "S01"}, {7, "Y"}, {11, "固定资产异动凭证"}, {12, ""}}},
      // Voucher types of a category (38) and of any category (08).
      {"CMSMQ", "38", {"A1", "C1"}, true, 13,
       {{0, "资产取得单"}, {1, "N01"}, {2, "Y"}, {3, "S02"}, {4, "Y"}, {7, "N"}, {8, "Y"}, {9, ""}, {10, "Y"},
        {11, "固定资产取得凭证"}, {12, "Y"}}},
      {"CMSMQ", "38", {"A2", "C1"}, true, 13, {{3, "S01"}, {11, "固定资产改良凭证"}}},
      {"CMSMQ", "38", {"B1", "C1"}, false, 0, {}},
      {"CMSMQ", "08", {"B1", ""}, true, 13, {{0, "折旧计提单"}, {1, ""}, {2, "Y"}, {8, "N"}, {11, "折旧计提凭证"}}},
      {"CMSMQ", "08", {"Z9", ""}, false, 0, {}},
      // Common texts: [kind, code] gives the three lines in 1..3.
      {"CMSMS", "01", {"1", "N01"}, true, 4,
       {{0, "资产凭证页脚"}, {1, "本凭证一式三联"}, {2, "第一联：财务部留存"}, {3, "第二联：资产管理部留存"}}},
      {"CMSMS", "01", {"2", "S02"}, true, 4, {{1, "总经理："}, {3, "部门经理：经办人："}}},
      {"CMSMS", "01", {"2", "N01"}, false, 0, {}},
      // Stored layouts: [class, name].
      {"WARRANT", "03", {"TfrmZKPW31Fmt", "样式一"}, true, 4, {{0, "样式一"}, {1, "TfrmZKPW31Fmt"}, {2, "1"}}},
      {"WARRANT", "03", {"TfrmZKPW31Fmt", "样式三"}, false, 0, {}},
      // Condition schemes: [name, user, program].
      {"GENES", "01", {"三月取得", "DS", "ZKPW31"}, true, 6, {{0, "三月取得"}, {1, "DS"}, {3, "ZKPW31"}, {5, "A1;"}}},
      {"GENES", "01", {"三月取得", "U001", "ZKPW31"}, false, 0, {}},
      // Lower-case table names are the same table.
      {"cmsmq", "08", {"A6", ""}, true, 13, {{0, "资产报废单"}}},
  };
  for (const TCheckCase& c : cases) {
    SCOPED_TRACE(std::string(c.Table) + " " + c.Kind + " " + (c.Values.empty() ? "" : c.Values[0]));
    Variant row;
    EXPECT_EQ(Call("CheckValue", c.Table, c.Kind, c.Values, row), c.Found);
    if (!c.Found) {
      EXPECT_TRUE(row.IsEmpty());
      continue;
    }
    ASSERT_TRUE(row.IsArray());
    EXPECT_EQ(VarArrayLowBound(row, 1), 0);
    EXPECT_EQ(VarArrayHighBound(row, 1), c.Length - 1);
    for (const auto& [index, text] : c.Elements) EXPECT_EQ(VarToStr(row[index]), Db(text)) << "element " << index;
  }
}

TEST_P(Validator, NumbersAndNullsKeepTheirMeaning) {
  Variant row;
  ASSERT_TRUE(Call("CheckValue", "CMSMQ", "38", {"A1", "C1"}, row));
  EXPECT_EQ(row[6].AsInteger(), 5);  // serial digits
  // A NULL cell reads as an empty text, as the plug-in converts cells to text.
  auto db = OpenCompanyDatabase(Settings.Database, "DEMO");
  db->Execute("UPDATE CMSMQ SET MQ012 = NULL WHERE MQ001 = 'A3'");
  ASSERT_TRUE(Call("CheckValue", "CMSMQ", "38", {"A3", "C1"}, row));
  EXPECT_TRUE(VarIsStr(row[9]));
  EXPECT_EQ(VarToStr(row[9]), "");
}

TEST_P(Validator, QueryDataAnswersEveryMatchingRow) {
  Variant rows;
  ASSERT_TRUE(Call("QueryData", "WARRANT", "01", {"TfrmZKPW31Fmt"}, rows));
  ASSERT_EQ(VarArrayHighBound(rows, 1), 1);
  EXPECT_EQ(VarToStr(rows[0][0]), Db("样式一"));
  EXPECT_EQ(VarToStr(rows[0][1]), "cboDateType:ItemIndex=0");
  EXPECT_EQ(VarToStr(rows[1][0]), Db("样式二"));

  ASSERT_TRUE(Call("QueryData", "CMSMQ", "06", {"C1"}, rows));
  ASSERT_EQ(VarArrayHighBound(rows, 1), 5);
  EXPECT_EQ(VarToStr(rows[0][0]), "A1");
  EXPECT_EQ(VarToStr(rows[5][1]), Db("资产报废单"));

  EXPECT_FALSE(Call("QueryData", "WARRANT", "01", {"TfrmNoneFmt"}, rows));
  EXPECT_TRUE(rows.IsEmpty());
}

TEST_P(Validator, AssetsAndVouchersAreCheckedAgainstTheDatabase) {
  auto db = OpenCompanyDatabase(Settings.Database, "DEMO");
  TRowSet asset = db->Query("SELECT MB001, MB002 FROM ASTMB ORDER BY MB001 DESC LIMIT 1");
  TRowSet voucher = db->Query("SELECT TC001, TC002, TC004 FROM ASTTC ORDER BY TC002 LIMIT 1");
  ASSERT_EQ(asset.RowCount(), 1);
  ASSERT_EQ(voucher.RowCount(), 1);

  Variant row;
  const AnsiString code = VarToStr(asset.Value(0, 0));
  Variant table("ASTMB"), kind("01"), database("DEMO"), values(code);  // a single value needs no array
  ASSERT_TRUE(OleCall(Validator_, "CheckValue", {ByRef(table), ByRef(kind), ByRef(database), ByRef(values), ByRef(row)})
                  .AsBoolean());
  EXPECT_EQ(VarToStr(row[0]), code);
  EXPECT_EQ(VarToStr(row[1]), VarToStr(asset.Value(0, 1)));

  table = "ASTTC";
  kind = "60";
  values = VarArrayOf({voucher.Value(0, 0), voucher.Value(0, 1)});
  ASSERT_TRUE(OleCall(Validator_, "CheckValue", {ByRef(table), ByRef(kind), ByRef(database), ByRef(values), ByRef(row)})
                  .AsBoolean());
  EXPECT_EQ(VarToStr(row[0]), VarToStr(voucher.Value(0, 1)));
  EXPECT_EQ(VarToStr(row[2]), VarToStr(voucher.Value(0, 2)));
  values = VarArrayOf({voucher.Value(0, 0), Variant("00000000000")});
  EXPECT_FALSE(OleCall(Validator_, "CheckValue", {ByRef(table), ByRef(kind), ByRef(database), ByRef(values), ByRef(row)})
                   .AsBoolean());
}

TEST_P(Validator, EveryPickListRunsOnTheBackend) {
  auto db = OpenCompanyDatabase(Settings.Database, "DEMO");
  auto count = [&](const char* Sql) { return db->Query(Sql).Value(0, 0).AsInteger(); };
  struct TCase {
    const char* Table;
    const char* Kind;
    std::vector<AnsiString> Values;
    int Rows;
  };
  const TCase cases[] = {
      {"CMSMQ", "06", {"C1"}, 6},
      {"CMSMS", "01", {"2"}, 2},
      {"WARRANT", "01", {"TfrmZKPW31Fmt"}, 2},
      {"ASTMB", "01", {}, count("SELECT COUNT(*) FROM ASTMB")},
      {"ASTTC", "60", {"A1"}, count("SELECT COUNT(*) FROM ASTTC WHERE TC001 = 'A1'")},
      {"ASTTC", "60", {""}, count("SELECT COUNT(*) FROM ASTTC")},
  };
  for (const TCase& c : cases) {
    TRowSet rows = RunHostLookup(*db, c.Table, c.Kind, THostLookupUse::PickList, c.Values);
    EXPECT_EQ(rows.RowCount(), c.Rows) << c.Table << " " << c.Kind;
    EXPECT_GT(c.Rows, 0) << c.Table;
  }
}

TEST_F(ValidatorRequests, RequestsTheHostCannotAnswerRaiseWithTheReason) {
  struct TCase {
    const char* Table;
    const char* Kind;
    std::vector<const char*> Values;
    const char* Database;
    const char* Expected;
  };
  for (const TCase& c : {TCase{"ADMMB", "02", {"ZKPW31"}, "DEMO", "no check for table \"ADMMB\" kind \"02\""},
                         TCase{"PURMA", "01", {"V0001"}, "DEMO", "no check for table \"PURMA\""},
                         TCase{"CMSMQ", "38", {"A1"}, "DEMO", "needs 2 value(s), 1 given"},
                         TCase{"ADMMB", "01", {"ZKPW31"}, "NODB", "NODB"},
                         TCase{"ADMMB", "01", {"ZKPW31"}, "../x", "../x"}}) {
    Variant row;
    try {
      Call("CheckValue", c.Table, c.Kind, c.Values, row, c.Database);
      ADD_FAILURE() << "answered " << c.Table << " " << c.Kind;
    } catch (const EOleException& e) {
      EXPECT_NE(e.Message.find(c.Expected), AnsiString::npos) << e.Message;
      EXPECT_EQ(VarToStr(row), "untouched");
    }
  }
}

TEST_F(ValidatorRequests, PropertiesKeepWhatTheCallerSet) {
  OleSet(Validator_, "ProductID", Variant(5));
  OleSet(Validator_, "BaseLimited", Variant("TC015='Y'"));
  EXPECT_EQ(OleGet(Validator_, "ProductID").AsInteger(), 5);
  EXPECT_EQ(VarToStr(OleGet(Validator_, "BaseLimited")), "TC015='Y'");
  // Each Com_Validator call answers the same object.
  Variant host = CreateOleObject(HostClassName);
  EXPECT_EQ(OleCall(host, "Com_Validator").AsDispatch(), OleCall(host, "Com_Validator").AsDispatch());
}

}  // namespace
