#include "appserver/SqliteBackend.h"

#include <sqlite3.h>

#include <cstring>

#include "appserver/AppServerErrors.h"
#include "appserver/BackendValues.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Files.h"

namespace {

// Finalises a statement when it goes out of scope.
struct TStatementGuard {
  sqlite3_stmt* Statement;
  ~TStatementGuard() { sqlite3_finalize(Statement); }
};

// The first number in a text: 20 for "(20)", 18 for "(18,4)".
int FirstNumber(const AnsiString& S) {
  int value = 0;
  bool digits = false;
  for (char c : S) {
    if (c >= '0' && c <= '9') {
      value = value * 10 + (c - '0');
      digits = true;
    } else if (digits) {
      break;
    }
  }
  return value;
}

// The field kind and text size a declared column type stands for.
void KindOfDeclaredType(const char* Declared, TRowSetField& Field, bool& Known) {
  Known = Declared != nullptr && *Declared != '\0';
  if (!Known) return;
  AnsiString type = UpperCase(Declared);
  if (Pos("CHAR", type) || Pos("TEXT", type) || Pos("CLOB", type)) {
    Field.Kind = TFieldKind::String;
    int open = Pos("(", type);
    if (open) Field.Size = FirstNumber(type.substr(static_cast<std::size_t>(open)));
  } else if (Pos("INT", type)) {
    Field.Kind = TFieldKind::Integer;
  } else if (Pos("NUMERIC", type) || Pos("DECIMAL", type) || Pos("MONEY", type)) {
    Field.Kind = TFieldKind::Currency;
  } else if (Pos("REAL", type) || Pos("FLOA", type) || Pos("DOUB", type)) {
    Field.Kind = TFieldKind::Float;
  } else if (Pos("BOOL", type)) {
    Field.Kind = TFieldKind::Boolean;
  } else {
    Known = false;
  }
}

}  // namespace

AnsiString TSqliteBackend::DatabaseFile(const AnsiString& DataFolder, const AnsiString& CompanyDb) {
  return IncludeTrailingPathDelimiter(DataFolder) + CompanyDb + ".db";
}

TSqliteBackend::TSqliteBackend(const AnsiString& DataFolder, const AnsiString& CompanyDb, unsigned CodePage,
                               bool Create)
    : TSqlBackend(CodePage, CompanyDb), FDataFolder(DataFolder) {
  if (!IsValidDatabaseName(CompanyDb))
    throw ERequestRefused("\"" + CompanyDb + "\" is not a valid company database name");
  AnsiString file = DatabaseFile(DataFolder, CompanyDb);
  if (!Create && !FileExists(file))
    throw EDatabaseError("The company database \"" + CompanyDb + "\" does not exist (no file " + file + ")");
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (Create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(ToSystemPath(file).c_str(), &FDb, flags, nullptr) != SQLITE_OK) {
    AnsiString message = FDb ? Utf8ToAnsi(sqlite3_errmsg(FDb), FCodePage) : AnsiString("out of memory");
    sqlite3_close(FDb);
    FDb = nullptr;
    throw EDatabaseError("Cannot open the company database file " + file + ": " + message);
  }
  // Writers from several client sessions queue for the file's lock instead
  // of failing at once.
  sqlite3_busy_timeout(FDb, 60000);
  sqlite3_extended_result_codes(FDb, 1);
  // The destructor does not run when the constructor fails.
  try {
    ExecuteScript("PRAGMA foreign_keys = OFF; PRAGMA synchronous = NORMAL");
    if (Create) ExecuteScript("PRAGMA journal_mode = WAL");
  } catch (...) {
    sqlite3_close_v2(FDb);
    FDb = nullptr;
    throw;
  }
}

TSqliteBackend::~TSqliteBackend() { sqlite3_close_v2(FDb); }

void TSqliteBackend::Fail(const AnsiString& What) const {
  AnsiString message = Utf8ToAnsi(sqlite3_errmsg(FDb), FCodePage);
  throw EDatabaseError(What.empty() ? message : What + ": " + message);
}

sqlite3_stmt* TSqliteBackend::Prepare(const AnsiString& Sql) {
  std::string utf8 = IsAsciiText(Sql.data(), Sql.size()) ? Sql : AnsiToUtf8(Sql, FCodePage);
  sqlite3_stmt* statement = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(FDb, utf8.c_str(), static_cast<int>(utf8.size()), &statement, &tail) != SQLITE_OK)
    Fail("");
  if (!statement) throw ERequestRefused("The statement is empty");
  for (const char* p = tail; p && *p; ++p) {
    if (static_cast<unsigned char>(*p) > ' ' && *p != ';') {
      sqlite3_finalize(statement);
      throw ERequestRefused("Only one statement is accepted; the text goes on after the first one");
    }
  }
  return statement;
}

void TSqliteBackend::Bind(sqlite3_stmt* Statement, const std::vector<Variant>& Params) {
  int expected = sqlite3_bind_parameter_count(Statement);
  if (expected != static_cast<int>(Params.size()))
    throw EAppServerError("The statement takes " + std::to_string(expected) + " values, " +
                          std::to_string(Params.size()) + " were given");
  std::string text;
  for (int i = 0; i < expected; ++i) {
    const Variant& v = Params[static_cast<std::size_t>(i)];
    int rc;
    switch (v.VarType()) {
      case varSmallint:
      case varInteger:
      case varShortInt:
      case varByte:
      case varWord:
      case varLongWord:
      case varInt64:
        rc = sqlite3_bind_int64(Statement, i + 1, v.AsInt64());
        break;
      case varBoolean:
        rc = sqlite3_bind_int(Statement, i + 1, v.AsBoolean() ? 1 : 0);
        break;
      case varSingle:
      case varDouble:
        rc = sqlite3_bind_double(Statement, i + 1, v.AsFloat());
        break;
      case varCurrency: {
        int64_t scaled = v.AsCurrency().Scaled;
        rc = scaled % Currency::Scale == 0 ? sqlite3_bind_int64(Statement, i + 1, scaled / Currency::Scale)
                                           : sqlite3_bind_double(Statement, i + 1, v.AsCurrency().ToDouble());
        break;
      }
      default:
        if (VariantToDatabaseText(v, FCodePage, text))
          rc = sqlite3_bind_text(Statement, i + 1, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        else
          rc = sqlite3_bind_null(Statement, i + 1);
    }
    if (rc != SQLITE_OK) Fail("Cannot bind value " + std::to_string(i + 1));
  }
}

TRowSet TSqliteBackend::Fetch(sqlite3_stmt* Statement) {
  TRowSet rows;
  const int count = sqlite3_column_count(Statement);
  std::vector<bool> declared(static_cast<std::size_t>(count)), decided(static_cast<std::size_t>(count)),
      promote(static_cast<std::size_t>(count));
  rows.Fields.resize(static_cast<std::size_t>(count));
  for (int c = 0; c < count; ++c) {
    TRowSetField& field = rows.Fields[static_cast<std::size_t>(c)];
    field.Name = UpperCase(Utf8ToAnsi(sqlite3_column_name(Statement, c), FCodePage));
    bool known = false;
    KindOfDeclaredType(sqlite3_column_decltype(Statement, c), field, known);
    declared[static_cast<std::size_t>(c)] = decided[static_cast<std::size_t>(c)] = known;
  }
  std::vector<TTextDecoder> decoders(static_cast<std::size_t>(count), TTextDecoder(FCodePage));
  for (;;) {
    int rc = sqlite3_step(Statement);
    if (rc == SQLITE_DONE) break;
    if (rc != SQLITE_ROW) Fail("");
    for (int c = 0; c < count; ++c) {
      const std::size_t ci = static_cast<std::size_t>(c);
      TRowSetField& field = rows.Fields[ci];
      int type = sqlite3_column_type(Statement, c);
      if (!decided[ci] && type != SQLITE_NULL) {
        // A computed column: its first value tells the kind.
        field.Kind = type == SQLITE_INTEGER ? TFieldKind::Integer
                     : type == SQLITE_FLOAT ? TFieldKind::Currency
                                            : TFieldKind::String;
        decided[ci] = true;
      }
      switch (type) {
        case SQLITE_NULL:
          rows.Append(Variant::Null());
          break;
        case SQLITE_INTEGER: {
          sqlite3_int64 v = sqlite3_column_int64(Statement, c);
          if (field.Kind == TFieldKind::Currency && v > -922337203685477LL && v < 922337203685477LL)
            rows.Append(Variant(Currency::FromScaled(v * Currency::Scale)));
          else if (field.Kind == TFieldKind::Float)
            rows.Append(Variant(static_cast<double>(v)));
          else if (field.Kind == TFieldKind::Boolean)
            rows.Append(Variant(v != 0));
          else if (field.Kind == TFieldKind::String)
            rows.Append(decoders[ci].Decode(reinterpret_cast<const char*>(sqlite3_column_text(Statement, c)),
                                                static_cast<std::size_t>(sqlite3_column_bytes(Statement, c))));
          else
            rows.Append(IntegerVariant(v));
          break;
        }
        case SQLITE_FLOAT: {
          double v = sqlite3_column_double(Statement, c);
          Currency money;
          if (field.Kind == TFieldKind::Integer && !declared[ci]) {
            promote[ci] = true;
            field.Kind = TFieldKind::Currency;
          }
          if (field.Kind == TFieldKind::Currency && Currency::TryFromDouble(v, money))
            rows.Append(Variant(money));
          else
            rows.Append(Variant(v));
          break;
        }
        default: {
          const char* text = reinterpret_cast<const char*>(sqlite3_column_text(Statement, c));
          std::size_t length = static_cast<std::size_t>(sqlite3_column_bytes(Statement, c));
          if (type == SQLITE_BLOB)
            rows.Append(Variant(AnsiString(static_cast<const char*>(sqlite3_column_blob(Statement, c)), length)));
          else
            rows.Append(decoders[ci].Decode(text ? text : "", length));
        }
      }
    }
  }
  // A computed column that showed whole numbers first and decimals later is
  // a decimal column throughout.
  for (int c = 0; c < count; ++c) {
    if (!promote[static_cast<std::size_t>(c)]) continue;
    for (int r = 0; r < rows.RowCount(); ++r) {
      Variant& v = rows.Value(r, c);
      TVarType t = v.VarType();
      if (t == varInteger || t == varInt64) v = Variant(Currency::FromScaled(v.AsInt64() * Currency::Scale));
    }
  }
  return rows;
}

TRowSet TSqliteBackend::Query(const AnsiString& Sql, const std::vector<Variant>& Params) {
  TStatementGuard guard{Prepare(Sql)};
  Bind(guard.Statement, Params);
  return Fetch(guard.Statement);
}

TRowSet TSqliteBackend::QueryReadOnly(const AnsiString& Sql) {
  TStatementGuard guard{Prepare(Sql)};
  if (!sqlite3_stmt_readonly(guard.Statement))
    throw ERequestRefused("The statement would change the database; only reading statements are accepted here");
  Bind(guard.Statement, {});
  return Fetch(guard.Statement);
}

int64_t TSqliteBackend::Execute(const AnsiString& Sql, const std::vector<Variant>& Params) {
  TStatementGuard guard{Prepare(Sql)};
  Bind(guard.Statement, Params);
  int rc;
  while ((rc = sqlite3_step(guard.Statement)) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) Fail("");
  return sqlite3_changes64(FDb);
}

void TSqliteBackend::ExecuteScript(const AnsiString& Sql) {
  std::string utf8 = IsAsciiText(Sql.data(), Sql.size()) ? Sql : AnsiToUtf8(Sql, FCodePage);
  char* error = nullptr;
  if (sqlite3_exec(FDb, utf8.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    AnsiString message = error ? Utf8ToAnsi(error, FCodePage) : AnsiString("unknown error");
    sqlite3_free(error);
    throw EDatabaseError(message);
  }
}

void TSqliteBackend::SetBulkLoading(bool On) {
  // Write-ahead logging lets readers and writers of many sessions overlap;
  // a bulk load of a new file is faster with the journal in memory.
  ExecuteScript(On ? "PRAGMA journal_mode = MEMORY; PRAGMA synchronous = OFF"
                   : "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL");
}

void TSqliteBackend::BeginTransaction() {
  // Taking the write lock at the start avoids the deadlock of two readers
  // that both want to become writers.
  ExecuteScript("BEGIN IMMEDIATE");
  FInTransaction = true;
}

void TSqliteBackend::Commit() {
  ExecuteScript("COMMIT");
  FInTransaction = false;
}

void TSqliteBackend::Rollback() {
  FInTransaction = false;
  if (!sqlite3_get_autocommit(FDb)) ExecuteScript("ROLLBACK");
}

AnsiString TSqliteBackend::QualifierOf(const AnsiString& DatabaseName) {
  if (SameText(DatabaseName, FCompanyDatabase)) return "";
  AnsiString key = UpperCase(DatabaseName);
  if (FAttached.count(key)) return DatabaseName + ".";
  AnsiString file = DatabaseFile(FDataFolder, DatabaseName);
  if (!IsValidDatabaseName(DatabaseName) || !FileExists(file))
    throw ERequestRefused("The company database \"" + DatabaseName + "\" does not exist");
  std::vector<Variant> params{Variant(AnsiString(ToSystemPath(file)))};
  Execute("ATTACH DATABASE ? AS " + DatabaseName, params);
  FAttached.insert(key);
  return DatabaseName + ".";
}

namespace {

class TSqliteBulkInsert final : public TBulkInsert {
 public:
  TSqliteBulkInsert(TSqliteBackend& Backend, const AnsiString& Sql) : FBackend(Backend) {
    FStatement = Backend.Prepare(Sql);
  }
  ~TSqliteBulkInsert() override { sqlite3_finalize(FStatement); }
  void Add(const std::vector<Variant>& Row) override {
    FBackend.Bind(FStatement, Row);
    if (sqlite3_step(FStatement) != SQLITE_DONE) FBackend.Fail("Cannot insert a row");
    sqlite3_reset(FStatement);
  }
  void Finish() override {}

 private:
  TSqliteBackend& FBackend;
  sqlite3_stmt* FStatement = nullptr;
};

}  // namespace

std::unique_ptr<TBulkInsert> TSqliteBackend::BulkInsert(const AnsiString& Table,
                                                        const std::vector<AnsiString>& Columns) {
  AnsiString names, marks;
  for (const AnsiString& column : Columns) {
    names += (names.empty() ? "" : ", ") + column;
    marks += marks.empty() ? "?" : ", ?";
  }
  return std::make_unique<TSqliteBulkInsert>(*this, "INSERT INTO " + Table + " (" + names + ") VALUES (" + marks + ")");
}
