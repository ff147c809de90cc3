#include "appserver/SqlBackend.h"

#include "appserver/AppServerErrors.h"
#include "appserver/PostgresBackend.h"
#include "appserver/Schema.h"
#include "appserver/SqliteBackend.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/IniFile.h"
#include "platform/rtl/Numbers.h"

TSqlTranslator TSqlBackend::Translator() {
  return TSqlTranslator(Dialect(), FCodePage, [this](const AnsiString& Name) { return QualifierOf(Name); });
}

bool IsValidDatabaseName(const AnsiString& Name) {
  if (Name.empty() || Name.size() > 30) return false;
  if (Name[0] >= '0' && Name[0] <= '9') return false;
  for (char c : Name)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
  return true;
}

namespace {

void CheckName(const AnsiString& CompanyDb) {
  if (!IsValidDatabaseName(CompanyDb))
    throw ERequestRefused("\"" + CompanyDb +
                          "\" is not a valid company database name (letters, digits and \"_\", at most 30)");
}

}  // namespace

std::unique_ptr<TSqlBackend> OpenCompanyDatabase(const TDatabaseConfig& Config, const AnsiString& CompanyDb) {
  CheckName(CompanyDb);
  if (Config.Kind == TBackendKind::PostgreSQL)
    return std::make_unique<TPostgresBackend>(Config.ConnectionInfo, CompanyDb, Config.CodePage, false);
  return std::make_unique<TSqliteBackend>(Config.DataFolder, CompanyDb, Config.CodePage, false);
}

bool CompanyDatabaseExists(const TDatabaseConfig& Config, const AnsiString& CompanyDb) {
  CheckName(CompanyDb);
  if (Config.Kind == TBackendKind::SQLite)
    return FileExists(TSqliteBackend::DatabaseFile(Config.DataFolder, CompanyDb));
  try {
    TPostgresBackend backend(Config.ConnectionInfo, CompanyDb, Config.CodePage, false);
    return true;
  } catch (const EDatabaseError&) {
    return false;
  }
}

std::unique_ptr<TSqlBackend> CreateCompanyDatabase(const TDatabaseConfig& Config, const AnsiString& CompanyDb,
                                                   bool Replace) {
  CheckName(CompanyDb);
  if (!Replace && CompanyDatabaseExists(Config, CompanyDb))
    throw EDatabaseError("The company database \"" + CompanyDb + "\" exists already");
  std::unique_ptr<TSqlBackend> backend;
  if (Config.Kind == TBackendKind::PostgreSQL) {
    backend = std::make_unique<TPostgresBackend>(Config.ConnectionInfo, CompanyDb, Config.CodePage, true);
    AnsiString schema = TPostgresBackend::SchemaName(CompanyDb);
    backend->ExecuteScript("DROP SCHEMA " + schema + " CASCADE; CREATE SCHEMA " + schema + "; SET search_path TO " +
                           schema);
  } else {
    if (!DirectoryExists(Config.DataFolder) && !ForceDirectories(Config.DataFolder))
      throw EDatabaseError("Cannot create the data folder " + Config.DataFolder);
    AnsiString file = TSqliteBackend::DatabaseFile(Config.DataFolder, CompanyDb);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) DeleteFile(file + suffix);
    backend = std::make_unique<TSqliteBackend>(Config.DataFolder, CompanyDb, Config.CodePage, true);
  }
  backend->BeginTransaction();
  try {
    backend->ExecuteScript(Utf8ToAnsi(SchemaSql(backend->Dialect()), Config.CodePage));
    backend->Commit();
  } catch (...) {
    backend->Rollback();
    throw;
  }
  return backend;
}

TDatabaseConfig ReadServerDatabaseConfig(const AnsiString& ServerPath) {
  AnsiString folder = IncludeTrailingPathDelimiter(NormalizePath(ServerPath));
  TMemIniFile ini(folder + "TandrilS.ini");
  TDatabaseConfig config;
  AnsiString codePage = Trim(ini.ReadString("CodePage", "DBCodePage", "936"));
  config.CodePage = static_cast<unsigned>(StrToIntDef(codePage, 936));
  if (!IsValidCodePage(config.CodePage)) config.CodePage = 936;
  AnsiString kind = UpperCase(Trim(ini.ReadString("DBE Setting", "MainDBType", "SQLITE")));
  AnsiString name = Trim(ini.ReadString("DBE Setting", "MainDBName", ""));
  if (kind == "POSTGRESQL" || kind == "POSTGRES" || kind == "PGSQL") {
    config.Kind = TBackendKind::PostgreSQL;
    // libpq's key=value form; values are quoted so that blanks survive.
    auto add = [&](const char* key, const AnsiString& value) {
      if (value.empty()) return;
      AnsiString quoted = StringReplace(StringReplace(value, "\\", "\\\\", {rfReplaceAll}), "'", "\\'", {rfReplaceAll});
      config.ConnectionInfo += AnsiString(config.ConnectionInfo.empty() ? "" : " ") + key + "='" + quoted + "'";
    };
    add("host", Trim(ini.ReadString("DBE Setting", "MainServerName", "")));
    add("port", Trim(ini.ReadString("DBE Setting", "MainServerPort", "")));
    add("dbname", name);
    add("user", Trim(ini.ReadString("DBE Setting", "MainUserName", "")));
    // A whole libpq connection string, when given, says everything itself.
    AnsiString connection = Trim(ini.ReadString("DBE Setting", "MainConnection", ""));
    if (!connection.empty()) config.ConnectionInfo = connection;
  } else {
    config.Kind = TBackendKind::SQLite;
    if (name.empty()) name = "DATA";
    name = NormalizePath(name);
    config.DataFolder = name[0] == '/' ? name : folder + name;
  }
  return config;
}
