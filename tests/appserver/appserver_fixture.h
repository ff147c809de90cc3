#pragma once
// Shared pieces of the application server tests: a temporary folder, the
// database settings of both backends and a demo company made on them.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "appserver/DemoData.h"
#include "appserver/SqlBackend.h"
#include "tests/appserver/postgres_cluster.h"

namespace kwtest {

// A folder that is removed with everything in it at the end of the test.
class TTempFolder {
 public:
  TTempFolder() {
    char pattern[] = "/tmp/kw-appserver-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("Cannot create a temporary folder");
    FPath = pattern;
  }
  ~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
  }
  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
};

inline const char* BackendName(TBackendKind Kind) { return Kind == TBackendKind::SQLite ? "SQLite" : "PostgreSQL"; }

// Settings for a backend: SQLite in Folder/DATA, PostgreSQL on the test server.
inline TDatabaseConfig ConfigFor(TBackendKind Kind, const TTempFolder& Folder) {
  TDatabaseConfig config;
  config.Kind = Kind;
  if (Kind == TBackendKind::SQLite)
    config.DataFolder = Folder.Path() + "/DATA";
  else
    config.ConnectionInfo = PostgresConnection();
  return config;
}

// A demo company database made afresh (an older one of the name is dropped).
inline TDemoSummary MakeDemoCompany(const TDatabaseConfig& Config, const TDemoOptions& Options) {
  std::unique_ptr<TSqlBackend> backend = CreateCompanyDatabase(Config, Options.CompanyDatabase, true);
  return FillDemoCompany(*backend, Options);
}

}  // namespace kwtest
