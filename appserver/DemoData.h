#pragma once
// A demo company full of realistic fixed-asset vouchers, and a demo
// installation folder around it.
//
// The generator is deterministic: the same options give the same database,
// byte for byte in its values. Texts are simplified Chinese (company,
// voucher types, assets with specifications, suppliers, users, remarks);
// amounts are whole cents and add up: a voucher's totals are the sums of
// its detail lines, local amounts are foreign amounts times the rate.

#include <cstdint>

#include "appserver/SqlBackend.h"
#include "platform/rtl/AnsiStrings.h"

struct TDemoOptions {
  AnsiString CompanyDatabase = "DEMO";
  AnsiString CompanyCode = "01";
  // Number of vouchers (each with 1 to 30 detail lines).
  int Vouchers = 2000;
  // When above 0: vouchers are made until there are exactly this many detail
  // lines (the last voucher is cut short), whatever Vouchers says.
  int DetailRows = 0;
  uint64_t Seed = 20240301;
};

struct TDemoSummary {
  int Vouchers = 0;
  int DetailRows = 0;
  int Assets = 0;
  int Suppliers = 0;
  int Users = 0;
};

// The program code of the voucher report, the demo's administrator and the
// voucher type category of asset vouchers.
constexpr const char* kDemoProgram = "ZKPW31";
constexpr const char* kDemoAdmin = "DS";
constexpr const char* kDemoCategory = "C1";

// Fills an empty company database (as CreateCompanyDatabase leaves it) in
// one transaction.
TDemoSummary FillDemoCompany(TSqlBackend& Backend, const TDemoOptions& Options);

struct TDemoInstallation {
  AnsiString Folder;        // with a trailing "/"
  AnsiString RegistryFile;  // set KWE_REGISTRY to this file to use the installation
  AnsiString DataFolder;
  TDemoSummary Summary;
};

// Creates (or refreshes) a demo installation in Folder: "TandrilC.ini"
// (code pages, the in-process server address 127.0.0.1:211, client
// components), "TandrilS.ini" (the database settings), "registry.ini" with
// [HKEY_LOCAL_MACHINE\Software\KWE\Tandril] ClientPath, ServerPath and
// ProfileType=0, the client's "C_DATA" folder and the company database: a
// SQLite file in the "DATA" folder, or, when PostgresConnection is given, a
// schema of that PostgreSQL database.
TDemoInstallation CreateDemoInstallation(const AnsiString& Folder, const TDemoOptions& Options,
                                         const AnsiString& PostgresConnection = "");
