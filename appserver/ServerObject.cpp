#include "appserver/ServerObject.h"

#include <mutex>
#include <optional>

#include "appserver/AppServerErrors.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Registry.h"

namespace {

std::mutex GConfigLock;
std::optional<TDatabaseConfig> GConfig;

AnsiString InstallationFolder() {
  TRegistry registry;
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly("Software\\KWE\\Tandril")) return AnsiString();
  AnsiString folder = registry.ReadString("ServerPath");
  if (folder.empty()) folder = registry.ReadString("ClientPath");
  return folder;
}

// A client's SELECT, from the data request or the command text.
class TQueryProvider : public TDataProvider {
 public:
  explicit TQueryProvider(TCompanyData& Data) : FData(Data) {}
  void GetRecords(const AnsiString& CommandText, const Variant&, TDataPacketWriter& Writer) override {
    const AnsiString sql = CommandText.empty() ? FStatement : CommandText;
    if (sql.empty()) throw ERequestRefused("No statement was given to the provider");
    WriteRowSet(FData.RunQuery(sql), Writer);
  }

 private:
  TCompanyData& FData;
};

class TSchemeProvider : public TDataProvider {
 public:
  explicit TSchemeProvider(TCompanyData& Data) : FData(Data) {}
  void GetRecords(const AnsiString&, const Variant&, TDataPacketWriter& Writer) override {
    WriteRowSet(FData.SchemeRows(), Writer);
  }

 private:
  TCompanyData& FData;
};

// Runs Operation; a business failure becomes its text (empty: success).
template <class F>
Variant TextAnswer(F Operation) {
  try {
    Operation();
    return Variant("");
  } catch (const ERequestRefused&) {
    throw;
  } catch (const EAppServerError& e) {
    return Variant(e.Message);
  }
}

// Runs Operation; a business failure or a changed revision answers -1.
template <class F>
Variant NumberAnswer(F Operation) {
  try {
    return Variant(Operation());
  } catch (const ERequestRefused&) {
    throw;
  } catch (const EAppServerError&) {
    return Variant(-1);
  }
}

// A sign-off argument, which must be a text (or a number, as a text).
AnsiString RequestText(const Variant& Value, const char* What) {
  if (VarIsArray(Value) || Value.VarType() == varDispatch || Value.IsNull() || Value.IsEmpty())
    throw ERequestRefused(AnsiString("The sign-off request was refused: the ") + What + " must be a text");
  return VarToStr(Value);
}

}  // namespace

void SetServerDatabaseConfig(const TDatabaseConfig& Config) {
  std::lock_guard guard(GConfigLock);
  GConfig = Config;
}

TDatabaseConfig ServerDatabaseConfig() {
  {
    std::lock_guard guard(GConfigLock);
    if (GConfig) return *GConfig;
  }
  return ReadServerDatabaseConfig(InstallationFolder());
}

void RegisterServerObject() {
  RegisterOleClass(ServerClassName, [] { return static_cast<IDispatch*>(new TServerObject()); });
}

void WriteRowSet(const TRowSet& Rows, TDataPacketWriter& Writer) {
  const int fields = Rows.FieldCount();
  const int rows = Rows.RowCount();
  std::vector<TFieldKind> kinds;
  for (int f = 0; f < fields; ++f) {
    const TRowSetField& field = Rows.Fields[f];
    TFieldType type = ftString;
    switch (field.Kind) {
      case TFieldKind::String: type = ftString; break;
      case TFieldKind::Currency: type = ftBCD; break;
      case TFieldKind::Float: type = ftFloat; break;
      case TFieldKind::Boolean: type = ftBoolean; break;
      case TFieldKind::Integer: {
        type = ftInteger;
        for (int r = 0; r < rows && type == ftInteger; ++r) {
          const Variant& v = Rows.Value(r, f);
          if (v.VarType() == varInt64 || v.VarType() == varUInt64) {
            int64_t n = v.AsInt64();
            if (n < INT32_MIN || n > INT32_MAX) type = ftLargeint;
          }
        }
        break;
      }
    }
    Writer.AddColumn(field.Name, type, type == ftString ? field.Size : 0);
    kinds.push_back(field.Kind);
  }
  for (int r = 0; r < rows; ++r) {
    for (int f = 0; f < fields; ++f) {
      const Variant& v = Rows.Value(r, f);
      if (v.IsNull() || v.IsEmpty()) {
        Writer.AddNull();
        continue;
      }
      switch (kinds[f]) {
        case TFieldKind::String:
          if (v.VarType() == varString)
            Writer.AddString(v.AsString());
          else
            Writer.AddVariant(v);
          break;
        case TFieldKind::Integer: Writer.AddInteger(v.AsInt64()); break;
        case TFieldKind::Currency: Writer.AddCurrency(v.AsCurrency()); break;
        case TFieldKind::Float: Writer.AddFloat(v.AsFloat()); break;
        case TFieldKind::Boolean: Writer.AddBoolean(v.AsBoolean()); break;
      }
    }
  }
}

TServerObject::TServerObject(TDatabaseConfig Config) : FData(std::make_unique<TCompanyData>(std::move(Config))) {
  TCompanyData& data = *FData;
  AddProvider("Provider1", std::make_unique<TQueryProvider>(data));
  AddProvider("Provider2", std::make_unique<TQueryProvider>(data));
  AddProvider("pvdTemp", std::make_unique<TQueryProvider>(data));
  AddProvider("SimpleSql", std::make_unique<TQueryProvider>(data));
  AddProvider("pvdConSave", std::make_unique<TSchemeProvider>(data));

  DefineMethod("Connect", 1, 1, [&data](TAutoArgs& A) {
    data.Connect(A[0]);
    return Variant();
  });
  DefineMethod("PowerData", 0, 0, [&data](TAutoArgs&) { return data.PowerData(); });
  DefineMethod("SQLType", 0, 0, [&data](TAutoArgs&) { return Variant(data.SqlType()); });
  DefineMethod("LoadTable", 1, 1, [&data](TAutoArgs& A) {
    data.LoadSchemes(A[0]);
    return Variant();
  });
  DefineMethod("InsertConTable", 1, 1,
               [&data](TAutoArgs& A) { return TextAnswer([&] { data.InsertScheme(A[0]); }); });
  DefineMethod("DeleteConTable", 1, 1,
               [&data](TAutoArgs& A) { return TextAnswer([&] { data.DeleteScheme(A[0]); }); });
  DefineMethod("ChangeConName", 2, 2,
               [&data](TAutoArgs& A) { return TextAnswer([&] { data.RenameScheme(A[0], A[1]); }); });
  DefineMethod("RunDeleteSQL", 1, 1,
               [&data](TAutoArgs& A) { return NumberAnswer([&] { return data.DeleteLayout(A[0]); }); });
  DefineMethod("RunFreeSQL", 1, 1, [&data](TAutoArgs& A) { return Variant(data.RunFreeSql(VarToStr(A[0]))); });
  DefineMethod("RunInsUpdSQL", 4, 4, [&data](TAutoArgs& A) {
    return NumberAnswer([&] { return data.WriteLayout(A[0].AsBoolean(), A[1], A[2], A[3].AsInteger()); });
  });
  DefineMethod("RunUpdFlagSQL", 1, 1,
               [&data](TAutoArgs& A) { return NumberAnswer([&] { return data.LockLayout(A[0]); }); });
  DefineMethod("GetBlobField", 2, 2, [&data](TAutoArgs& A) {
    Variant layout;
    int found = data.ReadLayout(A[0], layout);
    A[1] = layout;
    return Variant(found);
  });
  DefineMethod("UpdatePrintCount", 1, 1, [&data](TAutoArgs& A) { return Variant(data.UpdatePrintCount(A[0])); });
  DefineMethod("GetSGData", 1, 1, [&data](TAutoArgs& A) { return data.SignOffList(RequestText(A[0], "request")); });
  DefineMethod("GetWebserviceSGData", 2, 2, [&data](TAutoArgs& A) {
    return Variant(data.SignOffText(RequestText(A[0], "request"), RequestText(A[1], "program code")));
  });
}

TServerObject::~TServerObject() = default;
