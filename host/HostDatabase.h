#pragma once
// The host's view of the company databases: one connection per company
// database, opened on first use through the application server's backends
// (SQLite or PostgreSQL, as the installation's TandrilS.ini says). Texts
// crossing this interface are in the database code page.

#include <map>
#include <memory>

#include "appserver/SqlBackend.h"
#include "platform/rtl/AnsiStrings.h"

class THostDatabase {
 public:
  explicit THostDatabase(TDatabaseConfig Config);
  ~THostDatabase();
  THostDatabase(const THostDatabase&) = delete;
  THostDatabase& operator=(const THostDatabase&) = delete;

  const TDatabaseConfig& Config() const { return FConfig; }
  unsigned CodePage() const { return FConfig.CodePage; }
  // The connection to a company database. Raises ERequestRefused for a name
  // that is no database name and EDatabaseError when it does not exist.
  TSqlBackend& Open(const AnsiString& CompanyDatabase);

 private:
  TDatabaseConfig FConfig;
  std::map<AnsiString, std::unique_ptr<TSqlBackend>> FOpen;  // by upper-case name
};
