#pragma once
// What the host's automation objects share: the logged-in session, the
// product answers, the company databases, the message catalogue and where
// service requests the host cannot carry out here (help, form styles) are
// reported.

#include <functional>
#include <memory>
#include <vector>

#include "appserver/SqlBackend.h"
#include "host/HostDatabase.h"
#include "host/MessageCatalogue.h"
#include "platform/rtl/AnsiStrings.h"

struct THostSettings {
  // Where the company databases are (ReadServerDatabaseConfig of the
  // installation); its code page is the one the host serves texts in.
  TDatabaseConfig Database;
  // The host's logged-in session: the company database that system
  // information and calls without a database name use.
  AnsiString UserCode;
  AnsiString CompanyCode;
  AnsiString CompanyDatabase;
  // The answers of VersionType and ProductID.
  int VersionType = 1;
  int ProductID = 1;
  // Folders searched by GetFileList, in order.
  std::vector<AnsiString> PackageFolders;
  // Replaces the built-in catalogue when set.
  std::shared_ptr<const TMessageCatalogue> Catalogue;
  // Receives one line (ANSI code page) for every service request the host
  // records rather than carries out: help topics, form create styles.
  std::function<void(const AnsiString&)> OnServiceRequest;
};

struct THostContext {
  explicit THostContext(THostSettings ASettings)
      : Settings(std::move(ASettings)), Database(Settings.Database) {}

  const TMessageCatalogue& Catalogue() const {
    return Settings.Catalogue ? *Settings.Catalogue : TMessageCatalogue::BuiltIn();
  }
  // The named company database, or the session's when Name is blank.
  TSqlBackend& Company(const AnsiString& Name);
  void Report(const AnsiString& Line) const {
    if (Settings.OnServiceRequest) Settings.OnServiceRequest(Line);
  }

  THostSettings Settings;
  THostDatabase Database;
};
