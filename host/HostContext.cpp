#include "host/HostContext.h"

#include "appserver/AppServerErrors.h"
#include "platform/rtl/AnsiText.h"

TSqlBackend& THostContext::Company(const AnsiString& Name) {
  AnsiString name = Trim(Name);
  if (name.empty()) name = Settings.CompanyDatabase;
  if (name.empty()) throw ERequestRefused("No company database was named and the host has no session database");
  return Database.Open(name);
}
