#pragma once
// The embedded backend: one SQLite file per company database in the data
// folder, "<data folder>/<company database>.db", opened as the main schema.
// Another company database named as "DB..TABLE" is attached on first use.

#include <set>

#include "appserver/SqlBackend.h"

struct sqlite3;
struct sqlite3_stmt;

class TSqliteBackend final : public TSqlBackend {
 public:
  // Opens (or with Create, creates) the company database's file. Raises
  // EDatabaseError when the file is missing or cannot be opened.
  TSqliteBackend(const AnsiString& DataFolder, const AnsiString& CompanyDb, unsigned CodePage, bool Create);
  ~TSqliteBackend() override;

  // The file that holds a company database.
  static AnsiString DatabaseFile(const AnsiString& DataFolder, const AnsiString& CompanyDb);

  TSqlDialect Dialect() const override { return TSqlDialect::SQLite; }
  TRowSet Query(const AnsiString& Sql, const std::vector<Variant>& Params = {}) override;
  TRowSet QueryReadOnly(const AnsiString& Sql) override;
  int64_t Execute(const AnsiString& Sql, const std::vector<Variant>& Params = {}) override;
  void ExecuteScript(const AnsiString& Sql) override;
  void BeginTransaction() override;
  void Commit() override;
  void Rollback() override;
  std::unique_ptr<TBulkInsert> BulkInsert(const AnsiString& Table, const std::vector<AnsiString>& Columns) override;
  void SetBulkLoading(bool On) override;

  // The raw connection, for the bulk writer.
  sqlite3* Handle() const { return FDb; }
  [[noreturn]] void Fail(const AnsiString& What) const;
  sqlite3_stmt* Prepare(const AnsiString& Sql);
  void Bind(sqlite3_stmt* Statement, const std::vector<Variant>& Params);

 protected:
  AnsiString QualifierOf(const AnsiString& DatabaseName) override;

 private:
  TRowSet Fetch(sqlite3_stmt* Statement);

  sqlite3* FDb = nullptr;
  AnsiString FDataFolder;
  std::set<AnsiString> FAttached;
};
