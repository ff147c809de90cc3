#pragma once
// A small application server for the data tests: the scheme provider
// "pvdConSave" over an in-memory table, and "Provider1", whose data request
// is the number of rows to make.

#include <vector>

#include "platform/db/Provider.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Numbers.h"

struct TSchemeRow {
  const char* Name;
  const char* Creator;
  const char* Date;
  const char* Program;
};

inline const std::vector<TSchemeRow>& SchemeRows() {
  static const std::vector<TSchemeRow> rows = {
      {"Month end", "U01", "20240131", "ZKPW31"},
      {"\xC4\xEA\xB6\xC8", "U01", "20240105", "ZKPW31"},  // GB bytes
      {"Assets A", "U02", "20240210", "ZKPW31"},
      {"Month end", "U02", "20240301", "ZKPW31"},
      {"assets b", "U01", "20240315", "ZKPR07"},
  };
  return rows;
}

// Serves the schemes of one user (set by LoadTable) or of everybody.
class TSchemeProvider : public TDataProvider {
 public:
  AnsiString User;

  void GetRecords(const AnsiString&, const Variant&, TDataPacketWriter& W) override {
    W.AddColumn("NCONDITION", ftString, 20, "Scheme name", true);
    W.AddColumn("CREATOR", ftString, 10);
    W.AddColumn("CREATE_DATE", ftString, 8, "Created");
    W.AddColumn("PROGRAMME", ftString, 10);
    W.AddColumn("SCONDITION", ftMemo);
    W.AddColumn("VCONDITION", ftMemo);
    for (const TSchemeRow& r : SchemeRows()) {
      if (!User.empty() && User != r.Creator) continue;
      W.AddString(r.Name);
      W.AddString(r.Creator);
      W.AddString(r.Date);
      W.AddString(r.Program);
      W.AddString("edtTC001.Text;chkMoneyRight.Checked");
      W.AddNull();
    }
  }
};

// Rows of every kind; the data request (or the command text) says how many.
class TNumbersProvider : public TDataProvider {
 public:
  void GetRecords(const AnsiString& CommandText, const Variant&, TDataPacketWriter& W) override {
    const int count = StrToIntDef(CommandText.empty() ? FStatement : CommandText, 3);
    W.AddColumn("ID", ftInteger);
    W.AddColumn("CODE", ftString, 10);
    W.AddColumn("AMOUNT", ftFloat);
    W.AddColumn("PRICE", ftBCD);
    W.AddColumn("DAY", ftDate);
    W.AddColumn("OK", ftBoolean);
    W.AddColumn("BIG", ftLargeint);
    for (int i = 1; i <= count; ++i) {
      W.AddInteger(i);
      W.AddString(Format("C%.5d", {i}));
      W.AddFloat(i * 1.5);
      W.AddCurrency(Currency::FromScaled(i * 12345));
      if (i % 3 == 0) W.AddNull(); else W.AddVariant(Variant(TDateTime(EncodeDate(2024, 1, 1) + i)));
      W.AddBoolean(i % 2 == 0);
      W.AddInteger(int64_t{1} << 40 | i);
    }
  }
};

class TTestAppServer : public TProviderServer {
 public:
  TTestAppServer() {
    auto schemes = std::make_unique<TSchemeProvider>();
    FSchemes = schemes.get();
    AddProvider("pvdConSave", std::move(schemes));
    AddProvider("Provider1", std::make_unique<TNumbersProvider>());
    // LoadTable(ref [user, program]): picks the user whose schemes
    // pvdConSave serves, and marks the array as read.
    DefineMethod("LoadTable", 1, 1, [this](TAutoArgs& A) {
      FSchemes->User = A[0][0].AsString();
      A[0] = VarArrayOf({A[0][0], A[0][1], "loaded"});
      return Variant();
    });
    DefineMethod("SQLType", 0, 0, [](TAutoArgs&) { return Variant(0); });
  }

 private:
  TSchemeProvider* FSchemes;
};
