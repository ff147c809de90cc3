// The data components as window descriptions declare them: a connection
// with an object broker, a client data set with persistent fields and an
// index definition, a data source; read from the form text and written back.

#include <gtest/gtest.h>

#include "platform/db/ClientDataSet.h"
#include "platform/db/DataSource.h"
#include "platform/db/SocketConnection.h"
#include "platform/vcl/FormText.h"
#include "platform/vcl/TypeInfo.h"

namespace {

const char* const Description =
    "object frmBaseGene: TComponent\r\n"
    "  object MainMidas: TSocketConnection\r\n"
    "    ServerName = 'Brannok.Class1'\r\n"
    "    Address = '10.0.0.5'\r\n"
    "    Port = 212\r\n"
    "    ObjectBroker = ObjBroker\r\n"
    "  end\r\n"
    "  object ObjBroker: TSimpleObjectBroker\r\n"
    "    Servers = <\r\n"
    "      item\r\n"
    "        ComputerName = 'app1'\r\n"
    "      end\r\n"
    "      item\r\n"
    "        ComputerName = 'app2'\r\n"
    "        Port = 213\r\n"
    "        Enabled = False\r\n"
    "      end>\r\n"
    "  end\r\n"
    "  object ClientDataSet1: TClientDataSet\r\n"
    "    ProviderName = 'pvdConSave'\r\n"
    "    RemoteServer = MainMidas\r\n"
    "    IndexDefs = <\r\n"
    "      item\r\n"
    "        Name = 'Index1'\r\n"
    "        Fields = 'NCONDITION;CREATOR;PROGRAMME'\r\n"
    "        Options = [ixCaseInsensitive]\r\n"
    "      end>\r\n"
    "    IndexName = 'Index1'\r\n"
    "    object ClientDataSet1NCONDITION: TStringField\r\n"
    "      DisplayLabel = #26041#26696\r\n"
    "      FieldName = 'NCONDITION'\r\n"
    "      Size = 20\r\n"
    "    end\r\n"
    "    object ClientDataSet1CREATE_DATE: TStringField\r\n"
    "      FieldName = 'CREATE_DATE'\r\n"
    "      Size = 8\r\n"
    "    end\r\n"
    "  end\r\n"
    "  object dsBarCode: TDataSource\r\n"
    "    DataSet = ClientDataSet1\r\n"
    "  end\r\n"
    "end\r\n";

TEST(DataComponentsInForms, AreReadFromDescriptionsAndWrittenBack) {
  TComponent form(nullptr);
  ReadFormText(&form, Description);

  auto* connection = ObjectAs<TSocketConnection>(form.FindComponent("MainMidas"));
  auto* broker = ObjectAs<TSimpleObjectBroker>(form.FindComponent("ObjBroker"));
  auto* ds = ObjectAs<TClientDataSet>(form.FindComponent("ClientDataSet1"));
  auto* source = ObjectAs<TDataSource>(form.FindComponent("dsBarCode"));
  ASSERT_TRUE(connection && broker && ds && source);
  EXPECT_EQ(connection->ServerName(), "Brannok.Class1");
  EXPECT_EQ(connection->Port(), 212);
  EXPECT_EQ(connection->ObjectBroker(), broker);
  ASSERT_EQ(broker->Servers()->Count(), 2);
  EXPECT_EQ(broker->Servers()->Items(1)->Port, 213);
  EXPECT_FALSE(broker->Servers()->Items(1)->Enabled);
  EXPECT_EQ(ds->RemoteServer(), connection);
  EXPECT_EQ(ds->ProviderName(), "pvdConSave");
  EXPECT_EQ(ds->IndexName(), "Index1");
  ASSERT_EQ(ds->IndexDefs().Count(), 1);
  EXPECT_TRUE(ds->IndexDefs().Items(0)->Options.Contains(ixCaseInsensitive));
  EXPECT_EQ(source->DataSet(), ds);

  // The persistent fields belong to the form and name their data set.
  auto* name = ObjectAs<TStringField>(form.FindComponent("ClientDataSet1NCONDITION"));
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->DataSet(), ds);
  EXPECT_EQ(name->DisplayLabel(), "\xB7\xBD\xB0\xB8");  // the label's GB bytes
  EXPECT_EQ(GetPropValue(ds, "ProviderName").AsString(), "pvdConSave");

  // Local records through the declared fields: only they show.
  ds->SetRemoteServer(nullptr);
  ds->AddIndex("ByName", "NCONDITION", {ixCaseInsensitive});
  ds->SetIndexName("ByName");
  ds->CreateDataSet();
  EXPECT_EQ(ds->FieldCount(), 2);
  ds->AppendRecord({"b", "20240102"});
  ds->AppendRecord({"A", "20240101"});
  ds->First();
  EXPECT_EQ(name->AsString(), "A");  // the index ignores case
  ds->Close();
  ds->SetRemoteServer(connection);
  ds->SetIndexName("Index1");

  // Written back, the description reads into the same components.
  AnsiString text = ComponentToFormText(&form);
  EXPECT_NE(text.find("RemoteServer = MainMidas"), AnsiString::npos) << text;
  EXPECT_NE(text.find("object ClientDataSet1NCONDITION: TStringField"), AnsiString::npos) << text;
  TComponent copy(nullptr);
  ReadFormText(&copy, text);
  auto* copied = ObjectAs<TClientDataSet>(copy.FindComponent("ClientDataSet1"));
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->RemoteServer(), copy.FindComponent("MainMidas"));
  EXPECT_EQ(ObjectAs<TField>(copy.FindComponent("ClientDataSet1NCONDITION"))->DataSet(), copied);
}

}  // namespace
