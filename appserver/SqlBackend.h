#pragma once
// One connection to one company database, on SQLite or PostgreSQL.
//
// Every text that crosses this interface (statements, parameter values,
// result cells, error messages) is in the database code page the backend was
// opened with (936 unless configured otherwise). The databases hold UTF-8;
// the backend converts at this boundary.
//
// Statements given to Query and Execute are the backend's own SQL with "?"
// placeholders; client statements in the join dialect go through Translator()
// first. A connection is used by one thread at a time.

#include <cstdint>
#include <memory>
#include <vector>

#include "appserver/RowSet.h"
#include "appserver/SqlDialect.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Variant.h"

enum class TBackendKind { SQLite, PostgreSQL };

// Where the company databases live and which code page clients speak.
struct TDatabaseConfig {
  TBackendKind Kind = TBackendKind::SQLite;
  // SQLite: the data folder holding one "<company database>.db" file each.
  AnsiString DataFolder;
  // PostgreSQL: a libpq connection string; each company database is a
  // schema of that database.
  AnsiString ConnectionInfo;
  // The database code page of texts exchanged with clients.
  unsigned CodePage = 936;
};

// Rows appended to one table in the fastest way the backend has (a prepared
// insert on SQLite, COPY on PostgreSQL). Values follow the column list given
// when it was started. Finish must be called; rows may not be visible before.
class TBulkInsert {
 public:
  virtual ~TBulkInsert() = default;
  virtual void Add(const std::vector<Variant>& Row) = 0;
  virtual void Finish() = 0;
};

class TSqlBackend {
 public:
  virtual ~TSqlBackend() = default;
  TSqlBackend(const TSqlBackend&) = delete;
  TSqlBackend& operator=(const TSqlBackend&) = delete;

  virtual TSqlDialect Dialect() const = 0;
  unsigned CodePage() const { return FCodePage; }
  // The company database this connection works on.
  const AnsiString& CompanyDatabase() const { return FCompanyDatabase; }
  // The translator of client statements for this connection.
  TSqlTranslator Translator();

  // Runs one statement and returns its rows.
  virtual TRowSet Query(const AnsiString& Sql, const std::vector<Variant>& Params = {}) = 0;
  // Runs one statement that must not change anything: raises ERequestRefused
  // (SQLite: the statement writes) or EDatabaseError (PostgreSQL: it runs
  // in a read-only transaction) otherwise.
  virtual TRowSet QueryReadOnly(const AnsiString& Sql) = 0;
  // Runs one statement and returns the number of rows it changed.
  virtual int64_t Execute(const AnsiString& Sql, const std::vector<Variant>& Params = {}) = 0;
  // Runs several statements separated by ";" (schema scripts; trusted text).
  virtual void ExecuteScript(const AnsiString& Sql) = 0;

  virtual void BeginTransaction() = 0;
  virtual void Commit() = 0;
  virtual void Rollback() = 0;
  bool InTransaction() const { return FInTransaction; }

  virtual std::unique_ptr<TBulkInsert> BulkInsert(const AnsiString& Table,
                                                  const std::vector<AnsiString>& Columns) = 0;
  // Loading a new database in bulk: durability may be traded for speed while
  // it is on (SQLite keeps its rollback journal in memory and does not wait
  // for the disk); off returns to the normal settings.
  virtual void SetBulkLoading(bool On) {}

 protected:
  TSqlBackend(unsigned CodePage, AnsiString CompanyDatabase)
      : FCodePage(CodePage), FCompanyDatabase(std::move(CompanyDatabase)) {}
  // The qualifier for tables of another company database named as
  // "DB..TABLE": "" for this one.
  virtual AnsiString QualifierOf(const AnsiString& DatabaseName) = 0;

  unsigned FCodePage;
  AnsiString FCompanyDatabase;
  bool FInTransaction = false;
};

// A company database name is a plain name (letters, digits, "_", at most 30
// bytes, not starting with a digit): it becomes a file or schema name.
bool IsValidDatabaseName(const AnsiString& Name);

// Opens a connection to an existing company database. Raises ERequestRefused
// for an invalid name and EDatabaseError when the database does not exist or
// cannot be opened.
std::unique_ptr<TSqlBackend> OpenCompanyDatabase(const TDatabaseConfig& Config, const AnsiString& CompanyDb);
// Creates the company database with every table of the schema (an existing
// one is dropped first when Replace is set) and returns a connection to it.
std::unique_ptr<TSqlBackend> CreateCompanyDatabase(const TDatabaseConfig& Config, const AnsiString& CompanyDb,
                                                   bool Replace);
// Whether the company database exists.
bool CompanyDatabaseExists(const TDatabaseConfig& Config, const AnsiString& CompanyDb);

// The server installation's database settings from "TandrilS.ini" in
// ServerPath (section "DBE Setting"): MainDBType "SQLITE" (the default) with
// MainDBName the data folder (relative to ServerPath; "DATA" by default), or
// "POSTGRESQL" with MainServerName (host or socket folder), MainServerPort,
// MainDBName and MainUserName, or MainConnection holding a whole libpq
// connection string; section "CodePage" key "DBCodePage" gives the
// code page ("936" by default). A password comes from the PostgreSQL client's
// own sources (PGPASSWORD, the password file).
TDatabaseConfig ReadServerDatabaseConfig(const AnsiString& ServerPath);
