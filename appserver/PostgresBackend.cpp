#include "appserver/PostgresBackend.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <cstring>

#include "appserver/AppServerErrors.h"
#include "appserver/BackendValues.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"

namespace {

// Type numbers of the built-in types (pg_type.oid).
constexpr Oid kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700, kFloat8 = 701,
              kBpchar = 1042, kVarchar = 1043, kNumeric = 1700;

struct TResultGuard {
  PGresult* Result;
  ~TResultGuard() { PQclear(Result); }
};

void IgnoreNotice(void*, const char*) {}

}  // namespace

AnsiString TPostgresBackend::SchemaName(const AnsiString& CompanyDb) { return LowerCase(CompanyDb); }

TPostgresBackend::TPostgresBackend(const AnsiString& ConnectionInfo, const AnsiString& CompanyDb,
                                   unsigned CodePage, bool Create)
    : TSqlBackend(CodePage, CompanyDb) {
  if (!IsValidDatabaseName(CompanyDb))
    throw ERequestRefused("\"" + CompanyDb + "\" is not a valid company database name");
  FConn = PQconnectdb(ConnectionInfo.c_str());
  if (!FConn || PQstatus(FConn) != CONNECTION_OK) {
    AnsiString message = FConn ? Trim(Utf8ToAnsi(PQerrorMessage(FConn), FCodePage)) : AnsiString("out of memory");
    PQfinish(FConn);
    FConn = nullptr;
    throw EDatabaseError("Cannot connect to the PostgreSQL server: " + message);
  }
  // The destructor does not run when the constructor fails.
  try {
    PQsetNoticeProcessor(FConn, IgnoreNotice, nullptr);
    if (PQsetClientEncoding(FConn, "UTF8") != 0) Fail(nullptr);
    AnsiString schema = SchemaName(CompanyDb);
    if (Create)
      ExecuteScript("CREATE SCHEMA IF NOT EXISTS " + schema);
    else if (!SchemaExists(schema))
      throw EDatabaseError("The company database \"" + CompanyDb + "\" does not exist (no schema " + schema + ")");
    ExecuteScript("SET search_path TO " + schema);
  } catch (...) {
    PQfinish(FConn);
    FConn = nullptr;
    throw;
  }
}

TPostgresBackend::~TPostgresBackend() { PQfinish(FConn); }

void TPostgresBackend::Fail(PGresult* Result) const {
  const char* text = Result ? PQresultErrorMessage(Result) : PQerrorMessage(FConn);
  AnsiString message = Trim(Utf8ToAnsi(text ? text : "unknown error", FCodePage));
  if (Result) PQclear(Result);
  throw EDatabaseError(message);
}

bool TPostgresBackend::SchemaExists(const AnsiString& Schema) {
  return Query("SELECT 1 FROM pg_namespace WHERE nspname = ?", {Variant(Schema)}).RowCount() > 0;
}

void TPostgresBackend::SendCopyData(const void* Writer, const AnsiString& CopySql, const std::string& Data) {
  if (FCopyWriter != Writer) {
    EndCopy();
    PGresult* result = PQexec(FConn, CopySql.c_str());
    if (!result || PQresultStatus(result) != PGRES_COPY_IN) Fail(result);
    PQclear(result);
    FCopyWriter = Writer;
  }
  if (!Data.empty() && PQputCopyData(FConn, Data.data(), static_cast<int>(Data.size())) != 1) Fail(nullptr);
}

void TPostgresBackend::EndCopy() {
  if (!FCopyWriter) return;
  FCopyWriter = nullptr;
  if (PQputCopyEnd(FConn, nullptr) != 1) Fail(nullptr);
  PGresult* result = PQgetResult(FConn);
  bool ok = result && PQresultStatus(result) == PGRES_COMMAND_OK;
  while (PGresult* rest = PQgetResult(FConn)) PQclear(rest);
  if (!ok) Fail(result);
  PQclear(result);
}

void TPostgresBackend::AbandonCopy(const void* Writer) {
  if (FCopyWriter != Writer) return;
  FCopyWriter = nullptr;
  PQputCopyEnd(FConn, "abandoned");
  while (PGresult* result = PQgetResult(FConn)) PQclear(result);
}

PGresult* TPostgresBackend::Run(const AnsiString& Sql, const std::vector<Variant>& Params) {
  EndCopy();
  int expected = 0;
  AnsiString numbered = NumberPlaceholders(Sql, FCodePage, expected);
  if (expected != static_cast<int>(Params.size()))
    throw EAppServerError("The statement takes " + std::to_string(expected) + " values, " +
                          std::to_string(Params.size()) + " were given");
  std::string utf8 = IsAsciiText(numbered.data(), numbered.size()) ? numbered : AnsiToUtf8(numbered, FCodePage);
  std::vector<std::string> texts(Params.size());
  std::vector<const char*> values(Params.size());
  for (std::size_t i = 0; i < Params.size(); ++i)
    values[i] = VariantToDatabaseText(Params[i], FCodePage, texts[i]) ? texts[i].c_str() : nullptr;
  // The parameter form accepts exactly one statement, so nothing can be
  // stacked behind it.
  PGresult* result = PQexecParams(FConn, utf8.c_str(), expected, nullptr, values.data(), nullptr, nullptr, 0);
  ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) Fail(result);
  return result;
}

TRowSet TPostgresBackend::Fetch(PGresult* Result) {
  TRowSet rows;
  const int fields = PQnfields(Result), count = PQntuples(Result);
  rows.Fields.resize(static_cast<std::size_t>(fields));
  std::vector<Oid> types(static_cast<std::size_t>(fields));
  for (int f = 0; f < fields; ++f) {
    TRowSetField& field = rows.Fields[static_cast<std::size_t>(f)];
    field.Name = UpperCase(Utf8ToAnsi(PQfname(Result, f), FCodePage));
    Oid type = types[static_cast<std::size_t>(f)] = PQftype(Result, f);
    switch (type) {
      case kBool:
        field.Kind = TFieldKind::Boolean;
        break;
      case kInt2:
      case kInt4:
      case kInt8:
      case kOid:
        field.Kind = TFieldKind::Integer;
        break;
      case kFloat4:
      case kFloat8:
        field.Kind = TFieldKind::Float;
        break;
      case kNumeric:
        field.Kind = TFieldKind::Currency;
        break;
      default:
        field.Kind = TFieldKind::String;
        if ((type == kVarchar || type == kBpchar) && PQfmod(Result, f) > 4) field.Size = PQfmod(Result, f) - 4;
    }
  }
  std::vector<TTextDecoder> decoders(static_cast<std::size_t>(fields), TTextDecoder(FCodePage));
  for (int r = 0; r < count; ++r) {
    for (int f = 0; f < fields; ++f) {
      if (PQgetisnull(Result, r, f)) {
        rows.Append(Variant::Null());
        continue;
      }
      const char* text = PQgetvalue(Result, r, f);
      switch (rows.Fields[static_cast<std::size_t>(f)].Kind) {
        case TFieldKind::Boolean:
          rows.Append(Variant(text[0] == 't'));
          break;
        case TFieldKind::Integer:
          rows.Append(IntegerVariant(std::strtoll(text, nullptr, 10)));
          break;
        case TFieldKind::Float:
          rows.Append(Variant(std::strtod(text, nullptr)));
          break;
        case TFieldKind::Currency:
          rows.Append(DecimalTextToVariant(text));
          break;
        default:
          rows.Append(decoders[static_cast<std::size_t>(f)].Decode(text, static_cast<std::size_t>(PQgetlength(Result, r, f))));
      }
    }
  }
  return rows;
}

TRowSet TPostgresBackend::Query(const AnsiString& Sql, const std::vector<Variant>& Params) {
  TResultGuard guard{Run(Sql, Params)};
  return Fetch(guard.Result);
}

TRowSet TPostgresBackend::QueryReadOnly(const AnsiString& Sql) {
  if (FInTransaction)
    throw EAppServerError("A client statement cannot run inside a transaction that writes");
  ExecuteScript("BEGIN READ ONLY");
  try {
    TRowSet rows = Query(Sql);
    // A client statement may have moved the search path (set_config); the
    // connection stays on its own company database.
    ExecuteScript("COMMIT; SET search_path TO " + SchemaName(FCompanyDatabase));
    return rows;
  } catch (...) {
    PQclear(PQexec(FConn, ("ROLLBACK; SET search_path TO " + SchemaName(FCompanyDatabase)).c_str()));
    throw;
  }
}

int64_t TPostgresBackend::Execute(const AnsiString& Sql, const std::vector<Variant>& Params) {
  TResultGuard guard{Run(Sql, Params)};
  return std::strtoll(PQcmdTuples(guard.Result), nullptr, 10);
}

void TPostgresBackend::ExecuteScript(const AnsiString& Sql) {
  EndCopy();
  std::string utf8 = IsAsciiText(Sql.data(), Sql.size()) ? Sql : AnsiToUtf8(Sql, FCodePage);
  PGresult* result = PQexec(FConn, utf8.c_str());
  ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_EMPTY_QUERY) Fail(result);
  PQclear(result);
}

void TPostgresBackend::BeginTransaction() {
  ExecuteScript("BEGIN");
  FInTransaction = true;
}

void TPostgresBackend::Commit() {
  FInTransaction = false;
  ExecuteScript("COMMIT");
}

void TPostgresBackend::Rollback() {
  FInTransaction = false;
  AbandonCopy(FCopyWriter);
  PQclear(PQexec(FConn, "ROLLBACK"));
}

AnsiString TPostgresBackend::QualifierOf(const AnsiString& DatabaseName) {
  if (SameText(DatabaseName, FCompanyDatabase)) return "";
  if (!IsValidDatabaseName(DatabaseName) || !SchemaExists(SchemaName(DatabaseName)))
    throw ERequestRefused("The company database \"" + DatabaseName + "\" does not exist");
  return SchemaName(DatabaseName) + ".";
}

namespace {

// Rows go to the server as COPY text: tab-separated, "\N" for NULL.
class TPostgresBulkInsert final : public TBulkInsert {
 public:
  TPostgresBulkInsert(TPostgresBackend& Backend, AnsiString Sql) : FBackend(Backend), FSql(std::move(Sql)) {}
  ~TPostgresBulkInsert() override {
    if (!FFinished) FBackend.AbandonCopy(this);
  }
  void Add(const std::vector<Variant>& Row) override {
    std::string text;
    for (std::size_t i = 0; i < Row.size(); ++i) {
      if (i) FBuffer += '\t';
      if (!VariantToDatabaseText(Row[i], FBackend.CodePage(), text)) {
        FBuffer += "\\N";
        continue;
      }
      for (char c : text) {
        switch (c) {
          case '\\': FBuffer += "\\\\"; break;
          case '\t': FBuffer += "\\t"; break;
          case '\n': FBuffer += "\\n"; break;
          case '\r': FBuffer += "\\r"; break;
          default: FBuffer += c;
        }
      }
    }
    FBuffer += '\n';
    if (FBuffer.size() >= (1 << 16)) Flush();
  }
  void Finish() override {
    Flush();
    FFinished = true;
    FBackend.EndCopy();
  }

 private:
  void Flush() {
    if (FBuffer.empty()) return;
    FBackend.SendCopyData(this, FSql, FBuffer);
    FBuffer.clear();
  }
  TPostgresBackend& FBackend;
  AnsiString FSql;
  std::string FBuffer;
  bool FFinished = false;
};

}  // namespace

std::unique_ptr<TBulkInsert> TPostgresBackend::BulkInsert(const AnsiString& Table,
                                                          const std::vector<AnsiString>& Columns) {
  AnsiString names;
  for (const AnsiString& column : Columns) names += (names.empty() ? "" : ", ") + column;
  return std::make_unique<TPostgresBulkInsert>(*this, "COPY " + Table + " (" + names + ") FROM STDIN");
}
