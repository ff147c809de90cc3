#include <map>
#include <tuple>

#include "appserver/CompanyData.h"
#include "host/HostContext.h"
#include "host/HostServices.h"
#include "platform/com/AutoObject.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Numbers.h"

namespace {

KW_DECLARE_EXCEPTION(EHostCounterError, Exception)

// The voucher number column holds 11 characters.
constexpr int kNumberWidth = 11;

bool ParseDate8(const AnsiString& Text, int& Year, int& Month, int& Day) {
  if (Text.size() != 8) return false;
  for (char c : Text)
    if (c < '0' || c > '9') return false;
  Year = std::stoi(Text.substr(0, 4));
  Month = std::stoi(Text.substr(4, 2));
  Day = std::stoi(Text.substr(6, 2));
  return IsValidDate(Year, Month, Day);
}

class THostCounter : public TAutoObject {
 public:
  explicit THostCounter(std::shared_ptr<THostContext> Context) : FContext(std::move(Context)) {
    DefineMethod("GetSysInfo", 1, 1, [this](TAutoArgs& A) { return GetSysInfo(A); });
    DefineMethod("GetCounter", 2, 3, [this](TAutoArgs& A) { return GetCounter(A); });
  }

 private:
  Variant GetSysInfo(TAutoArgs& A) {
    return CompanySystemSettings(FContext->Company(""), Trim(VarToStr(A[0])));
  }

  Variant GetCounter(TAutoArgs& A) {
    const AnsiString name = UpperCase(Trim(VarToStr(A[0])));
    AnsiString database;
    if (A.size() > 2 && A[2].IsArray() && VarArrayHighBound(A[2], 1) >= VarArrayLowBound(A[2], 1) + 1)
      database = VarToStr(A[2].GetElement({VarArrayLowBound(A[2], 1) + 1}));
    if (name == "ASTTC") return NextVoucherNumber(database, A[1]);
    throw EHostCounterError("The host keeps no counter named \"" + name + "\"");
  }

  Variant NextVoucherNumber(const AnsiString& Database, const Variant& Source) {
    std::vector<AnsiString> src;
    if (Source.IsArray())
      for (int i = VarArrayLowBound(Source, 1); i <= VarArrayHighBound(Source, 1); ++i)
        src.push_back(Trim(VarToStr(Source.GetElement({i}))));
    else if (!Source.IsEmpty() && !Source.IsNull())
      src.push_back(Trim(VarToStr(Source)));
    if (src.empty() || src[0].empty()) throw EHostCounterError("Voucher numbering needs the voucher type");
    const AnsiString type = src[0];
    AnsiString date = src.size() > 1 ? src[1] : AnsiString();
    if (date.empty()) date = FormatDateTime("yyyymmdd", Date());
    int year, month, day;
    if (!ParseDate8(date, year, month, day))
      throw EHostCounterError("\"" + date + "\" is not a date of the form yyyymmdd");

    TSqlBackend& db = FContext->Company(Database);
    TRowSet kind = db.Query("SELECT MQ008, MQ009 FROM CMSMQ WHERE MQ001 = ?", {Variant(type)});
    if (kind.RowCount() == 0) throw EHostCounterError("The voucher type \"" + type + "\" does not exist");
    const AnsiString coding = Trim(VarToStr(kind.Value(0, 0)));
    const int digits = kind.Value(0, 1).IsNull() ? 0 : kind.Value(0, 1).AsInteger();
    AnsiString prefix;
    if (coding == "1")
      prefix = date;
    else if (coding == "2")
      prefix = date.substr(0, 6);
    else if (coding == "3")
      prefix = date.substr(0, 4);
    if (digits < 1 || static_cast<int>(prefix.size()) + digits > kNumberWidth)
      throw EHostCounterError("The voucher type \"" + type + "\" has no usable numbering (" +
                              IntToStr(digits) + " serial digits after \"" + prefix + "\")");

    // The highest serial stored under this prefix; numbers of another form
    // (typed by hand) do not count.
    int64_t highest = 0;
    TRowSet numbers = db.Query("SELECT TC002 FROM ASTTC WHERE TC001 = ? AND TC002 LIKE ?",
                               {Variant(type), Variant(prefix + "%")});
    for (int r = 0; r < numbers.RowCount(); ++r) {
      const AnsiString number = Trim(VarToStr(numbers.Value(r, 0)));
      if (static_cast<int>(number.size()) != static_cast<int>(prefix.size()) + digits) continue;
      const AnsiString serial = number.substr(prefix.size());
      bool plain = true;
      for (char c : serial) plain = plain && c >= '0' && c <= '9';
      if (plain) highest = std::max<int64_t>(highest, std::stoll(serial));
    }
    int64_t& issued = FIssued[std::make_tuple(UpperCase(db.CompanyDatabase()), type, prefix)];
    const int64_t next = std::max(highest, issued) + 1;
    int64_t limit = 1;
    for (int i = 0; i < digits; ++i) limit *= 10;
    if (next >= limit)
      throw EHostCounterError("The numbers of voucher type \"" + type + "\" under \"" + prefix + "\" are used up");
    issued = next;
    AnsiString serial = std::to_string(next);
    return Variant(prefix + AnsiString(static_cast<size_t>(digits) - serial.size(), '0') + serial);
  }

  std::shared_ptr<THostContext> FContext;
  // The last serial handed out, by company database, voucher type and prefix.
  std::map<std::tuple<AnsiString, AnsiString, AnsiString>, int64_t> FIssued;
};

}  // namespace

IDispatch* NewHostCounter(std::shared_ptr<THostContext> Context) { return new THostCounter(std::move(Context)); }
