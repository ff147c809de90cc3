#pragma once
// The server backend: one PostgreSQL database holds every company database
// as a schema of the same name (in lower case); the connection's search path
// is that schema, so "$$TABLE" becomes the plain table name.

#include "appserver/SqlBackend.h"

struct pg_conn;
struct pg_result;

class TPostgresBackend final : public TSqlBackend {
 public:
  // Connects with a libpq connection string and selects the company
  // database's schema (created when Create is set). Raises EDatabaseError
  // when the server cannot be reached or the schema does not exist.
  TPostgresBackend(const AnsiString& ConnectionInfo, const AnsiString& CompanyDb, unsigned CodePage, bool Create);
  ~TPostgresBackend() override;

  // The schema that holds a company database.
  static AnsiString SchemaName(const AnsiString& CompanyDb);

  TSqlDialect Dialect() const override { return TSqlDialect::PostgreSQL; }
  TRowSet Query(const AnsiString& Sql, const std::vector<Variant>& Params = {}) override;
  TRowSet QueryReadOnly(const AnsiString& Sql) override;
  int64_t Execute(const AnsiString& Sql, const std::vector<Variant>& Params = {}) override;
  void ExecuteScript(const AnsiString& Sql) override;
  void BeginTransaction() override;
  void Commit() override;
  void Rollback() override;
  std::unique_ptr<TBulkInsert> BulkInsert(const AnsiString& Table, const std::vector<AnsiString>& Columns) override;

  pg_conn* Handle() const { return FConn; }
  // Raises EDatabaseError with the result's (or the connection's) message.
  [[noreturn]] void Fail(pg_result* Result) const;

  // A connection runs one COPY at a time; bulk writers of several tables
  // take turns: a writer's COPY starts when it sends data and ends when
  // another writer, or any other statement, needs the connection.
  void SendCopyData(const void* Writer, const AnsiString& CopySql, const std::string& Data);
  void EndCopy();
  // Ends the writer's COPY with an error, so that its rows are not kept.
  void AbandonCopy(const void* Writer);

 protected:
  AnsiString QualifierOf(const AnsiString& DatabaseName) override;

 private:
  pg_result* Run(const AnsiString& Sql, const std::vector<Variant>& Params);
  TRowSet Fetch(pg_result* Result);
  bool SchemaExists(const AnsiString& Schema);

  pg_conn* FConn = nullptr;
  const void* FCopyWriter = nullptr;
};
