#include "host/HostContext.h"
#include "host/HostLookups.h"
#include "host/HostServices.h"
#include "platform/com/AutoObject.h"

namespace {

class THostValidator : public TAutoObject {
 public:
  explicit THostValidator(std::shared_ptr<THostContext> Context) : FContext(std::move(Context)) {
    DefineProperty("ProductID", [this] { return Variant(FProductID); },
                   [this](const Variant& V) { FProductID = V.AsInteger(); });
    DefineProperty("BaseLimited", [this] { return Variant(FBaseLimited); },
                   [this](const Variant& V) { FBaseLimited = VarToStr(V); });
    DefineMethod("CheckValue", 5, 5, [this](TAutoArgs& A) { return Lookup(A, false); });
    DefineMethod("QueryData", 5, 5, [this](TAutoArgs& A) { return Lookup(A, true); });
  }

 private:
  // (table, kind, company database, values, result)
  Variant Lookup(TAutoArgs& A, bool AllRows) {
    A[4] = Unassigned();
    TSqlBackend& db = FContext->Company(VarToStr(A[2]));
    TRowSet rows = RunHostLookup(db, VarToStr(A[0]), VarToStr(A[1]), THostLookupUse::Check, LookupValues(A[3]));
    if (rows.RowCount() == 0) return Variant(false);
    if (!AllRows) {
      A[4] = LookupRow(rows, 0);
    } else {
      Variant all = VarArrayCreate({0, rows.RowCount() - 1}, varVariant);
      for (int r = 0; r < rows.RowCount(); ++r) all[r] = LookupRow(rows, r);
      A[4] = all;
    }
    return Variant(true);
  }

  std::shared_ptr<THostContext> FContext;
  int FProductID = 0;
  // The caller's data-limiting text. It is kept for the caller to read back
  // but never put into a statement: it is SQL from outside.
  AnsiString FBaseLimited;
};

}  // namespace

IDispatch* NewHostValidator(std::shared_ptr<THostContext> Context) { return new THostValidator(std::move(Context)); }
