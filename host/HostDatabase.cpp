#include "host/HostDatabase.h"

#include "platform/rtl/AnsiText.h"

THostDatabase::THostDatabase(TDatabaseConfig Config) : FConfig(std::move(Config)) {}

THostDatabase::~THostDatabase() = default;

TSqlBackend& THostDatabase::Open(const AnsiString& CompanyDatabase) {
  const AnsiString key = UpperCase(Trim(CompanyDatabase));
  auto it = FOpen.find(key);
  if (it == FOpen.end()) it = FOpen.emplace(key, OpenCompanyDatabase(FConfig, Trim(CompanyDatabase))).first;
  return *it->second;
}
