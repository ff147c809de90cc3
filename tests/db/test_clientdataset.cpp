// Client data sets reading named providers of an application server, in
// this process (the connection is given the server object) and over
// loopback TCP (TAutoServer): both must behave the same.

#include <gtest/gtest.h>

#include "platform/com/AutoServer.h"
#include "platform/com/RemoteDispatch.h"
#include "platform/db/ClientDataSet.h"
#include "platform/db/SocketConnection.h"
#include "tests/db/TestAppServer.h"

namespace {

const char* const ServerClass = "Test.AppServer";

void RegisterTestServer() {
  RegisterOleClass(ServerClass, [] { return static_cast<IDispatch*>(new TTestAppServer()); });
}

enum class TMode { InProcess, Tcp };

class ClientDataSetTest : public ::testing::TestWithParam<TMode> {
 protected:
  void SetUp() override {
    RegisterTestServer();
    Form = std::make_unique<TComponent>(nullptr);
    Connection = new TSocketConnection(Form.get());
    Connection->SetName("MainMidas");
    Connection->SetServerName(ServerClass);
    if (GetParam() == TMode::InProcess) {
      Connection->SetAddress("127.0.0.1");
      Connection->SetAppServer(CreateOleObject(Connection->ServerName()));
    } else {
      Server.AddClass(ServerClass);
      Server.Start("127.0.0.1", 0);
      Connection->SetAddress("127.0.0.1");
      Connection->SetPort(Server.Port());
      Connection->Open();
    }
    Schemes = new TClientDataSet(Form.get());
    Schemes->SetName("ClientDataSet1");
    Schemes->SetRemoteServer(Connection);
    Schemes->SetProviderName("pvdConSave");
  }

  TAutoServer Server;
  std::unique_ptr<TComponent> Form;
  TSocketConnection* Connection = nullptr;
  TClientDataSet* Schemes = nullptr;
};

TEST_P(ClientDataSetTest, OpensAProviderWithFieldNamesKindsAndLabels) {
  EXPECT_TRUE(Connection->Connected());
  EXPECT_EQ(Connection->InProcess(), GetParam() == TMode::InProcess);
  Schemes->Open();
  EXPECT_EQ(Schemes->RecordCount(), 5);
  ASSERT_EQ(Schemes->FieldCount(), 6);
  TField* name = Schemes->FieldByName("NCONDITION");
  EXPECT_EQ(name->DataType(), ftString);
  EXPECT_EQ(name->Size(), 20);
  EXPECT_EQ(name->DisplayLabel(), "Scheme name");
  EXPECT_TRUE(name->Required());
  EXPECT_EQ(Schemes->FieldByName("CREATOR")->DisplayLabel(), "CREATOR");
  EXPECT_TRUE(Schemes->FieldByName("SCONDITION")->Is<TMemoField>());
  EXPECT_TRUE(Schemes->FieldByName("VCONDITION")->IsNull());
  EXPECT_EQ(Schemes->FieldByName("SCONDITION")->AsString(), "edtTC001.Text;chkMoneyRight.Checked");

  Schemes->SetRecNo(2);
  EXPECT_EQ(name->AsString(), "\xC4\xEA\xB6\xC8");  // bytes arrive untouched
}

TEST_P(ClientDataSetTest, ServerCallsWithByRefArgumentsSteerTheProvider) {
  Variant keys = VarArrayOf({"U01", "ZKPW31"});
  OleCall(Connection->AppServer(), "LoadTable", {ByRef(keys)});
  EXPECT_EQ(keys[2].AsString(), "loaded");
  EXPECT_EQ(OleGet(Schemes->AppServer(), "SQLType").AsInteger(), 0);
  Schemes->Open();
  EXPECT_EQ(Schemes->RecordCount(), 3);

  // The scheme window's lookups: Locate on the three key fields, the index
  // "Index1", and renaming a scheme by posting its new name.
  Schemes->AddIndex("Index1", "NCONDITION;CREATOR;PROGRAMME");
  Schemes->SetIndexName("Index1");
  ASSERT_TRUE(Schemes->Locate("NCONDITION;CREATOR;PROGRAMME", VarArrayOf({"Month end", "U01", "ZKPW31"})));
  EXPECT_EQ(Schemes->FieldByName("CREATE_DATE")->AsString(), "20240131");
  Schemes->Edit();
  EXPECT_EQ(Schemes->RecNo(), 1);
  Schemes->FieldByName("NCONDITION")->SetAsString("zz end");
  Schemes->Post();
  EXPECT_EQ(Schemes->RecNo(), 2);  // re-sorted: after "assets b", before the GB name
  EXPECT_FALSE(Schemes->Locate("NCONDITION", "Month end"));
  EXPECT_TRUE(Schemes->Locate("NCONDITION", "ZZ END", {loCaseInsensitive}));
  EXPECT_EQ(Schemes->ChangeCount(), 1);

  // Reopening fetches again: the local change is gone, as it was never applied.
  Schemes->Close();
  Schemes->Open();
  EXPECT_TRUE(Schemes->Locate("NCONDITION", "Month end"));
}

TEST_P(ClientDataSetTest, DataRequestsAndCommandTextChooseTheRows) {
  TClientDataSet numbers(Form.get());
  numbers.SetRemoteServer(Connection);
  numbers.SetProviderName("Provider1");
  EXPECT_TRUE(numbers.DataRequest("250").IsEmpty());
  numbers.Open();
  EXPECT_EQ(numbers.RecordCount(), 250);
  numbers.SetRecNo(3);
  EXPECT_EQ(numbers.FieldByName("CODE")->AsString(), "C00003");
  EXPECT_DOUBLE_EQ(numbers.FieldByName("AMOUNT")->AsFloat(), 4.5);
  EXPECT_EQ(numbers.FieldByName("PRICE")->AsCurrency().Scaled, 3 * 12345);
  EXPECT_TRUE(numbers.FieldByName("DAY")->IsNull());
  EXPECT_FALSE(numbers.FieldByName("OK")->AsBoolean());
  EXPECT_EQ(numbers.FieldByName("BIG")->AsLargeInt(), (int64_t{1} << 40) | 3);
  EXPECT_TRUE(numbers.Locate("ID", 200));
  EXPECT_EQ(numbers.RecNo(), 200);

  numbers.Close();
  numbers.SetCommandText("7");
  numbers.Open();
  EXPECT_EQ(numbers.RecordCount(), 7);
}

TEST_P(ClientDataSetTest, ProviderErrorsReachTheCaller) {
  Schemes->Close();
  Schemes->SetProviderName("pvdMissing");
  try {
    Schemes->Open();
    FAIL();
  } catch (const EOleException& e) {
    EXPECT_EQ(e.Message, "Provider not exported: pvdMissing");
    EXPECT_EQ(e.Source, "EDatabaseError");
  }
  EXPECT_FALSE(Schemes->Active());
  Schemes->SetProviderName("pvdConSave");
  Schemes->Open();  // the connection is still good
  EXPECT_EQ(Schemes->RecordCount(), 5);
}

INSTANTIATE_TEST_SUITE_P(Both, ClientDataSetTest, ::testing::Values(TMode::InProcess, TMode::Tcp),
                         [](const auto& Info) { return Info.param == TMode::InProcess ? "InProcess" : "Tcp"; });

// ---- Connection failures ------------------------------------------------------------

TEST(SocketConnection, ClearErrorsWhenTheServerCannotBeUsed) {
  RegisterTestServer();
  TComponent form(nullptr);
  auto* c = new TSocketConnection(&form);
  c->SetName("MainMidas");

  try {
    c->Open();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message, "Cannot connect, MainMidas must contain a valid ServerName or ServerGUID");
  }

  int freePort = 0;
  { TSocketHandle probe = ListenTcp("127.0.0.1", 0, freePort); }
  c->SetServerName(ServerClass);
  c->SetAddress("127.0.0.1");
  c->SetPort(freePort);
  try {
    c->Open();
    FAIL();
  } catch (const ESocketConnectionError& e) {
    EXPECT_EQ(e.Message, "Cannot connect to 127.0.0.1:" + std::to_string(freePort) + ": Connection refused");
  }
  EXPECT_FALSE(c->Connected());

  // A server that does not serve the class.
  TAutoServer server;
  server.AddClass("Other.Class1");
  server.Start("127.0.0.1", 0);
  c->SetPort(server.Port());
  EXPECT_THROW(c->Open(), EOleSysError);
  EXPECT_FALSE(c->Connected());

  // The server going away while a data set uses it.
  server.Stop();
  server.AddClass(ServerClass);
  server.Start("127.0.0.1", 0);
  c->SetPort(server.Port());
  c->Open();
  auto* ds = new TClientDataSet(&form);
  ds->SetRemoteServer(c);
  ds->SetProviderName("pvdConSave");
  ds->Open();
  ds->Close();
  server.Stop();
  try {
    ds->Open();
    FAIL();
  } catch (const ESocketConnectionError& e) {
    EXPECT_EQ(e.Message, "Connection closed by server");
  }
  EXPECT_FALSE(c->Connected());
  // The next use reconnects once a server is back.
  server.Start("127.0.0.1", 0);
  c->SetPort(server.Port());
  ds->Open();
  EXPECT_EQ(ds->RecordCount(), 5);
}

TEST(SocketConnection, AnInProcessServerObjectIsUsedAsIs) {
  RegisterTestServer();
  TSocketConnection c(nullptr);
  Variant server = CreateOleObject(ServerClass);
  c.SetAppServer(server);
  EXPECT_TRUE(c.Connected());
  EXPECT_EQ(c.AppServer().AsDispatch(), server.AsDispatch());
  EXPECT_THROW(c.SetAppServer(Variant(5)), EDatabaseError);
  c.Close();
  EXPECT_FALSE(c.Connected());
  EXPECT_TRUE(c.AppServer().IsEmpty());
}

TEST(SocketConnection, TheBrokerSkipsServersThatFailed) {
  RegisterTestServer();
  TAutoServer server;
  server.AddClass(ServerClass);
  server.Start("127.0.0.1", 0);
  int deadPort = 0;
  { TSocketHandle probe = ListenTcp("127.0.0.1", 0, deadPort); }

  TComponent form(nullptr);
  auto* broker = new TSimpleObjectBroker(&form);
  broker->Servers()->Add("127.0.0.1", deadPort);
  broker->Servers()->Add("localhost", server.Port());
  auto* c = new TSocketConnection(&form);
  c->SetServerName(ServerClass);
  c->SetObjectBroker(broker);
  c->Open();
  EXPECT_TRUE(c->Connected());
  EXPECT_TRUE(broker->Servers()->Items(0)->HasFailed);
  EXPECT_FALSE(broker->Servers()->Items(1)->HasFailed);
  EXPECT_EQ(broker->GetComputerForGUID(""), "localhost");

  // With every server failed the list starts over.
  broker->SetConnectStatus("localhost", false);
  EXPECT_EQ(broker->GetComputerForGUID(""), "127.0.0.1");
  broker->Servers()->Items(0)->Enabled = false;
  broker->Servers()->Items(1)->Enabled = false;
  EXPECT_THROW(broker->GetComputerForGUID(""), EDatabaseError);

  // Freeing the broker detaches it from the connection.
  c->Close();
  delete broker;
  EXPECT_EQ(c->ObjectBroker(), nullptr);
}

}  // namespace
