#include <set>

#include "host/HostContext.h"
#include "host/HostLookups.h"
#include "host/HostServices.h"
#include "platform/com/AutoObject.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Numbers.h"
#include "platform/vcl/UIDriver.h"

namespace {

KW_DECLARE_EXCEPTION(EHostLookupWindowError, Exception)

// Attempts at a date before the picker gives up as if cancelled.
constexpr int kDateAttempts = 3;

// A text of the host's own, in the code page the UI driver shows.
AnsiString UiText(const std::string& Utf8) { return Utf8ToAnsi(Utf8, GetACP()); }

bool AllDigits(const AnsiString& S) {
  if (S.empty()) return false;
  for (char c : S)
    if (c < '0' || c > '9') return false;
  return true;
}

// "yyyymmdd" from what was typed, or "" when it is no date. Separators are
// ignored; with RocYear six or seven digits count the year from 1911.
AnsiString ParseTypedDate(const AnsiString& Typed, bool RocYear) {
  AnsiString digits;
  for (char c : Typed)
    if (c != '/' && c != '-' && c != '.') digits += c;
  if (!AllDigits(digits)) return AnsiString();
  int year, month, day;
  if (digits.size() == 8) {
    year = std::stoi(digits.substr(0, 4));
  } else if (RocYear && (digits.size() == 7 || digits.size() == 6)) {
    year = std::stoi(digits.substr(0, digits.size() - 4)) + 1911;
  } else {
    return AnsiString();
  }
  month = std::stoi(digits.substr(digits.size() - 4, 2));
  day = std::stoi(digits.substr(digits.size() - 2, 2));
  if (!IsValidDate(year, month, day)) return AnsiString();
  return FormatDateTime("yyyymmdd", EncodeDate(year, month, day));
}

class THostLookupWindow : public TAutoObject {
 public:
  explicit THostLookupWindow(std::shared_ptr<THostContext> Context) : FContext(std::move(Context)) {
    DefineMethod("F2GetData", 1, 1, [this](TAutoArgs& A) { return F2GetData(A[0]); });
    DefineMethod("ShowInputDay", 1, 1, [this](TAutoArgs& A) { return ShowInputDay(A[0]); });
    DefineMethod("GetPhrase", 2, 3, [this](TAutoArgs& A) { return GetPhrase(A); });
  }

 private:
  // A database text as the UI driver shows it.
  AnsiString Shown(const Variant& Cell) const {
    return ConvertCodePage(Trim(VarToStr(Cell)), FContext->Database.CodePage(), GetACP());
  }

  static Variant Element(const Variant& A, int Index) {
    return A.GetElement({VarArrayLowBound(A, 1) + Index});
  }

  Variant F2GetData(const Variant& A) {
    if (!A.IsArray() || VarArrayDimCount(A) != 1 || VarArrayHighBound(A, 1) - VarArrayLowBound(A, 1) < 6)
      throw EHostLookupWindowError("F2GetData needs an array of at least 7 elements (19 as the plug-in sends)");
    const AnsiString table = Trim(VarToStr(Element(A, 0)));
    const AnsiString kind = Trim(VarToStr(Element(A, 1)));
    const bool multi = Element(A, 3).AsBoolean();
    const AnsiString current = Trim(VarToStr(Element(A, 4)));
    TSqlBackend& db = FContext->Company(VarToStr(Element(A, 6)));
    TRowSet rows = RunHostLookup(db, table, kind, THostLookupUse::PickList, LookupValues(Element(A, 2)));
    if (rows.RowCount() == 0) return Unassigned();

    TPickListRequest request;
    request.Title = ConvertCodePage(LookupCaption(table, FContext->Database.CodePage()),
                                    FContext->Database.CodePage(), GetACP()) +
                    " (" + table + " " + kind + ")";
    request.Prompt = UiText(multi ? "请选择一项或多项" : "请选择一项");
    request.MultiSelect = multi;
    for (int r = 0; r < rows.RowCount(); ++r) {
      AnsiString item;
      for (int f = 0; f < rows.FieldCount(); ++f) {
        if (f > 0) item += "  ";
        item += Shown(rows.Value(r, f));
      }
      request.Items.push_back(item);
      if (!current.empty() && Trim(VarToStr(rows.Value(r, 0))) == current) request.Selected.push_back(r);
    }
    std::vector<int> chosen;
    if (!GetUIDriver().PickFromList(request, chosen) || chosen.empty()) return Unassigned();
    if (!multi) chosen.resize(1);
    Variant out = VarArrayCreate({0, static_cast<int>(chosen.size()) - 1}, varVariant);
    for (size_t i = 0; i < chosen.size(); ++i) {
      if (chosen[i] < 0 || chosen[i] >= rows.RowCount())
        throw EHostLookupWindowError("The pick list answered row " + std::to_string(chosen[i]) + " of " +
                                     std::to_string(rows.RowCount()));
      out[static_cast<int>(i)] = LookupRow(rows, chosen[i]);
    }
    return out;
  }

  Variant ShowInputDay(const Variant& A) {
    if (!A.IsArray() || VarArrayDimCount(A) != 1 || VarArrayHighBound(A, 1) - VarArrayLowBound(A, 1) < 1)
      throw EHostLookupWindowError("ShowInputDay needs an array [ROC year, start date, company database]");
    const bool roc = Element(A, 0).AsBoolean();
    AnsiString start = ParseTypedDate(Trim(VarToStr(Element(A, 1))), false);
    if (start.empty()) start = FormatDateTime("yyyymmdd", Date());

    TInputRequest request;
    request.Title = UiText("选择日期");
    request.Prompt = UiText(roc ? "日期 (YYYMMDD，民国年；或 YYYYMMDD)" : "日期 (YYYYMMDD)");
    const int rocYear = std::stoi(start.substr(0, 4)) - 1911;
    request.Default = roc && rocYear > 0 ? IntToStr(rocYear) + start.substr(4) : start;
    for (int attempt = 0; attempt < kDateAttempts; ++attempt) {
      AnsiString typed = request.Default;
      if (!GetUIDriver().InputQuery(request, typed)) return Variant(AnsiString());
      typed = Trim(typed);
      if (typed.empty()) return Variant(AnsiString());
      AnsiString date = ParseTypedDate(typed, roc);
      if (!date.empty()) return Variant(date);
      request.Prompt = UiText("不是有效的日期：") + typed + UiText("，请重新输入 ") +
                       UiText(roc ? "(YYYMMDD 或 YYYYMMDD)" : "(YYYYMMDD)");
    }
    return Variant(AnsiString());
  }

  // (ref user, ref company database, window)
  Variant GetPhrase(TAutoArgs& A) {
    TSqlBackend& db = FContext->Company(VarToStr(A[1]));
    TRowSet rows = db.Query("SELECT MS004, MS005, MS006 FROM CMSMS ORDER BY MS001, MS002");
    std::vector<AnsiString> phrases;
    std::set<AnsiString> seen;
    for (int r = 0; r < rows.RowCount(); ++r)
      for (int f = 0; f < rows.FieldCount(); ++f) {
        AnsiString text = Trim(VarToStr(rows.Value(r, f)));
        if (!text.empty() && seen.insert(text).second) phrases.push_back(text);
      }
    if (phrases.empty()) return Variant(AnsiString());
    TPickListRequest request;
    request.Title = UiText("常用文字");
    request.Prompt = UiText("请选择一项");
    for (const AnsiString& p : phrases) request.Items.push_back(ConvertCodePage(p, db.CodePage(), GetACP()));
    std::vector<int> chosen;
    if (!GetUIDriver().PickFromList(request, chosen) || chosen.empty()) return Variant(AnsiString());
    if (chosen[0] < 0 || chosen[0] >= static_cast<int>(phrases.size()))
      throw EHostLookupWindowError("The pick list answered a row it does not have");
    return Variant(phrases[static_cast<size_t>(chosen[0])]);
  }

  std::shared_ptr<THostContext> FContext;
};

}  // namespace

IDispatch* NewHostLookupWindow(std::shared_ptr<THostContext> Context) {
  return new THostLookupWindow(std::move(Context));
}
