#pragma once
// The application server's automation object, "Brannok.Class1": the
// operations clients call late-bound, each mapped onto one session of the
// data layer (CompanyData.h), and the providers client data sets read.
//
// Operations (arguments as the clients pass them; "ref" by reference):
//   Connect(ref [program, user, company, company database, main table])
//   PowerData() -> rights data        SQLType() -> 0 (the join dialect)
//   LoadTable(ref [user, program])
//   InsertConTable(ref [7 values]), DeleteConTable(ref [name, user, program]),
//   ChangeConName(ref old key, ref new key)   -> "" or the error text
//   RunDeleteSQL([kind, name]) -> layouts deleted
//   RunFreeSQL(ref text) -> rows found / records written
//   RunInsUpdSQL(is update, ref lines, [7 params], ref size KB) -> 1, or -1
//   RunUpdFlagSQL([4 params]) -> 1, or -1 when the revision changed
//   GetBlobField([kind, name], ref layout) -> 1 with [revision, text], or 0
//   UpdatePrintCount(ref [table, column, condition]) -> vouchers counted
//   GetSGData(ref request) -> the sign-off history in the list form,
//   GetWebserviceSGData(ref request, ref program) -> the same in the text
//     form (TCompanyData::SignOffList / SignOffText); a malformed request
//     is raised to the client.
// Providers: "Provider1", "Provider2", "pvdTemp" and "SimpleSql" run the
// client's SELECT (given as the data request or the command text);
// "pvdConSave" serves the schemes LoadTable chose.
//
// Refused requests and database failures are raised to the client; a
// business failure is answered as the operation's failure value (an error
// text, -1), as the clients expect.

#include <memory>

#include "appserver/CompanyData.h"
#include "appserver/SqlBackend.h"
#include "platform/db/Provider.h"

// The class name clients create.
constexpr const char* ServerClassName = "Brannok.Class1";

// Where server objects find the company databases. Until a program sets it
// (brannokd does, from its configuration), the installation's TandrilS.ini is
// read: the folder is the ServerPath (else ClientPath) of the machine
// registry key Software\KWE\Tandril.
void SetServerDatabaseConfig(const TDatabaseConfig& Config);
TDatabaseConfig ServerDatabaseConfig();

// Registers "Brannok.Class1" with the class registry (CreateOleObject).
void RegisterServerObject();

// Writes a row set into a data packet: texts as strings of their declared
// size, whole numbers as integers (large integers when a value needs 64
// bits), decimals as BCD, floats, booleans.
void WriteRowSet(const TRowSet& Rows, TDataPacketWriter& Writer);

class TServerObject : public TProviderServer {
 public:
  explicit TServerObject(TDatabaseConfig Config);
  TServerObject() : TServerObject(ServerDatabaseConfig()) {}

  TCompanyData& Data() { return *FData; }

 protected:
  ~TServerObject() override;

 private:
  std::unique_ptr<TCompanyData> FData;
};
