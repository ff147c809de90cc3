// The application server object "Brannok.Class1" as the plug-in uses it:
// late-bound operations with by-reference arrays and client data sets on its
// providers, in this process and through brannokd's server over loopback TCP.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "appserver/DemoData.h"
#include "appserver/ServerObject.h"
#include "platform/com/AutoServer.h"
#include "platform/db/ClientDataSet.h"
#include "platform/db/SocketConnection.h"
#include "platform/rtl/CodePages.h"
#include "tests/appserver/report_statement.h"

namespace {

enum class TMode { InProcess, Tcp };

Variant Strings(std::initializer_list<AnsiString> Values) {
  std::vector<Variant> v;
  for (const AnsiString& s : Values) v.emplace_back(s);
  return VarArrayOf(v);
}

class ServerObjectTest : public ::testing::TestWithParam<TMode> {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/kw-serverobject-XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    Folder = pattern;
    Config.DataFolder = Folder + "/DATA";
    TDemoOptions demo;
    demo.Vouchers = 40;
    std::unique_ptr<TSqlBackend> backend = CreateCompanyDatabase(Config, demo.CompanyDatabase, true);
    Summary = FillDemoCompany(*backend, demo);
    SetServerDatabaseConfig(Config);
    RegisterServerObject();
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    std::filesystem::remove_all(Folder, ignored);
  }

  void SetUp() override {
    Form = std::make_unique<TComponent>(nullptr);
    Connection = new TSocketConnection(Form.get());
    Connection->SetName("MainMidas");
    Connection->SetServerName(ServerClassName);
    Connection->SetAddress("127.0.0.1");
    if (GetParam() == TMode::InProcess) {
      Connection->SetAppServer(CreateOleObject(ServerClassName));
    } else {
      Server.AddClass(ServerClassName);
      Server.Start("127.0.0.1", 0);
      Connection->SetPort(Server.Port());
      Connection->Open();
    }
    Variant params = Strings({kDemoProgram, kDemoAdmin, "01", "DEMO", "ASTTC"});
    OleCall(Connection->AppServer(), "Connect", {ByRef(params)});
  }

  TClientDataSet* DataSet(const char* Provider) {
    auto* ds = new TClientDataSet(Form.get());
    ds->SetRemoteServer(Connection);
    ds->SetProviderName(Provider);
    return ds;
  }

  static inline std::string Folder;
  static inline TDatabaseConfig Config;
  static inline TDemoSummary Summary;
  TAutoServer Server;
  std::unique_ptr<TComponent> Form;
  TSocketConnection* Connection = nullptr;
};

TEST_P(ServerObjectTest, TheReportStatementArrivesInAClientDataSet) {
  EXPECT_EQ(OleCall(Connection->AppServer(), "SQLType").AsInteger(), 0);
  EXPECT_TRUE(OleCall(Connection->AppServer(), "PowerData").IsArray());

  TClientDataSet* report = DataSet("Provider1");
  report->DataRequest(kwtest::ReportStatement("WHERE (1=1 ) "));
  report->Open();
  EXPECT_EQ(report->RecordCount(), Summary.DetailRows);
  EXPECT_EQ(report->FieldCount(), 64);
  TField* type = report->FieldByName("TC001");
  EXPECT_EQ(type->DataType(), ftString);
  EXPECT_EQ(type->Size(), 4);
  EXPECT_EQ(report->FieldByName("TC006")->DataType(), ftBCD);
  EXPECT_EQ(report->FieldByName("TC016")->DataType(), ftInteger);
  EXPECT_EQ(report->Fields()[63]->FieldName(), "TC004C");

  // Rows come in the statement's order, with their values.
  AnsiString previous;
  int acquisitions = 0;
  for (report->First(); !report->Eof(); report->Next()) {
    AnsiString key = report->FieldByName("TC001")->AsString() + report->FieldByName("TC002")->AsString();
    EXPECT_LE(previous, key);
    previous = key;
    if (report->FieldByName("TC001")->AsString() == "A1") {
      ++acquisitions;
      EXPECT_EQ(report->FieldByName("CMSMQ002")->AsString(), GB("资产取得单"));
    }
  }
  EXPECT_GT(acquisitions, 0);
  ASSERT_TRUE(report->Locate("TC001;TC015", VarArrayOf({"A1", "Y"})));

  // A narrower statement through the command text.
  TClientDataSet* some = DataSet("Provider2");
  some->SetCommandText("SELECT TC001, TC002 FROM $$ASTTC WHERE TC001 = 'A1'");
  some->Open();
  EXPECT_GT(some->RecordCount(), 0);
  EXPECT_LT(some->RecordCount(), Summary.Vouchers);
}

TEST_P(ServerObjectTest, SchemesThroughOperationsAndTheSchemeProvider) {
  Variant server = Connection->AppServer();
  const AnsiString name = GB("月初方案");
  Variant record = VarArrayOf({Variant(name), Variant(kDemoAdmin), Variant("20240301"), Variant(kDemoProgram),
                               Variant("edtTC001.Text;"), Variant("A1\r\n"), Variant(false)});
  EXPECT_EQ(OleCall(server, "InsertConTable", {ByRef(record)}).AsString(), "");
  // A second save without "replace" is a business failure: its text comes back.
  EXPECT_NE(OleCall(server, "InsertConTable", {ByRef(record)}).AsString(), "");

  Variant keys = Strings({kDemoAdmin, kDemoProgram});
  OleCall(server, "LoadTable", {ByRef(keys)});
  TClientDataSet* schemes = DataSet("pvdConSave");
  schemes->Open();
  ASSERT_EQ(schemes->RecordCount(), 1);
  schemes->AddIndex("Index1", "NCONDITION;CREATOR;PROGRAMME");
  schemes->SetIndexName("Index1");
  EXPECT_TRUE(schemes->Locate("NCONDITION;CREATOR;PROGRAMME", VarArrayOf({name, kDemoAdmin, kDemoProgram})));
  EXPECT_EQ(schemes->FieldByName("VCONDITION")->AsString(), "A1\r\n");

  Variant oldKey = Strings({name, kDemoAdmin, kDemoProgram});
  Variant newKey = Strings({GB("月末方案"), kDemoAdmin, kDemoProgram});
  EXPECT_EQ(OleCall(server, "ChangeConName", {ByRef(oldKey), ByRef(newKey)}).AsString(), "");
  EXPECT_EQ(OleCall(server, "DeleteConTable", {ByRef(newKey)}).AsString(), "");
  EXPECT_NE(OleCall(server, "DeleteConTable", {ByRef(newKey)}).AsString(), "");
}

TEST_P(ServerObjectTest, CountsLayoutsAndRefusals) {
  Variant server = Connection->AppServer();
  Variant count = Strings({"$$ASTTC", "TC016", "TC001='A1' and TC002='nothing'"});
  EXPECT_EQ(OleCall(server, "UpdatePrintCount", {ByRef(count)}).AsInteger(), 0);

  Variant layout = "untouched";
  EXPECT_EQ(OleCall(server, "GetBlobField", {Strings({"TfrmZKPW31Fmt", "nothing"}), ByRef(layout)}).AsInteger(), 0);
  EXPECT_TRUE(layout.IsEmpty());

  // A refused request reaches the caller as the server's error.
  Variant sql = "DELETE FROM $$ASTTC";
  try {
    OleCall(server, "RunFreeSQL", {ByRef(sql)});
    FAIL();
  } catch (const EOleException& e) {
    EXPECT_EQ(e.Source, "ERequestRefused");
    EXPECT_NE(e.Message.find("only the sign-off lookups"), AnsiString::npos) << e.Message;
  }
  TClientDataSet* bad = DataSet("Provider1");
  bad->SetCommandText("SELECT 1; DROP TABLE ASTTC");
  EXPECT_THROW(bad->Open(), EOleException);
  // The session goes on.
  EXPECT_EQ(OleCall(server, "SQLType").AsInteger(), 0);
}

TEST_P(ServerObjectTest, SignOffHistoryInBothAnswerForms) {
  Variant server = Connection->AppServer();
  // An approved demo voucher: the acquisition vouchers run through sign-off.
  TClientDataSet* audited = DataSet("Provider2");
  audited->SetCommandText("SELECT TC002 FROM $$ASTTC WHERE TC001 = 'A1' AND TC015 = 'Y' ORDER BY TC002");
  audited->Open();
  ASSERT_GT(audited->RecordCount(), 0);
  const AnsiString number = audited->FieldByName("TC002")->AsString();
  Variant request = "<FormSet>  <Form wfProgramID='' wfFormType='A1'  wfSheetNo ='" + number +
                    "'  wfParameter3=''  wfParameter4='' /> \r\n</FormSet> ";

  Variant list = OleCall(server, "GetSGData", {ByRef(request)});
  ASSERT_EQ(list[0].AsInteger(), 1);
  EXPECT_EQ(VarToStr(list[1][2]), number);
  Variant steps = list[1][5];
  ASSERT_EQ(VarArrayHighBound(steps, 1), 2);
  EXPECT_EQ(VarToStr(steps.GetElement({2, 6})), GB("核准"));
  EXPECT_EQ(VarToStr(steps.GetElement({2, 12})), GB("总经理"));

  Variant program = kDemoProgram;
  AnsiString text = OleCall(server, "GetWebserviceSGData", {ByRef(request), ByRef(program)}).AsString();
  EXPECT_EQ(text.rfind("<FormSet><Form wfFormType='A1' wfSheetNo='" + number + "'", 0), 0u) << text;
  EXPECT_NE(text.find(GB("||核准</Form></FormSet>")), AnsiString::npos) << text;

  // A malformed request reaches the caller as the server's refusal.
  Variant bad = "<FormSet><Form wfFormType='A1' wfSheetNo='1' wfSQL='DROP TABLE ASTTC'/></FormSet>";
  for (const char* operation : {"GetSGData", "GetWebserviceSGData"}) {
    try {
      if (AnsiString(operation) == "GetSGData")
        OleCall(server, operation, {ByRef(bad)});
      else
        OleCall(server, operation, {ByRef(bad), ByRef(program)});
      ADD_FAILURE() << operation << " accepted the request";
    } catch (const EOleException& e) {
      EXPECT_EQ(e.Source, "ERequestRefused");
      EXPECT_NE(e.Message.find("unknown attribute \"wfSQL\""), AnsiString::npos) << e.Message;
    }
  }
  Variant notText = VarArrayOf({"A1"});
  EXPECT_THROW(OleCall(server, "GetSGData", {ByRef(notText)}), EOleException);
}

INSTANTIATE_TEST_SUITE_P(Both, ServerObjectTest, ::testing::Values(TMode::InProcess, TMode::Tcp),
                         [](const auto& Info) { return Info.param == TMode::InProcess ? "InProcess" : "Tcp"; });

}  // namespace
