#include "appserver/CompanyData.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <set>

#include "appserver/AppServerErrors.h"
#include "appserver/ClientStatements.h"
#include "appserver/SqlDialect.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"

namespace {

bool AllDigits(const AnsiString& S) {
  if (S.empty()) return false;
  for (char c : S)
    if (c < '0' || c > '9') return false;
  return true;
}

// Runs Body in a transaction: committed when it returns, rolled back when
// it raises.
template <class F>
auto InTransaction(TSqlBackend& Backend, F Body) {
  Backend.BeginTransaction();
  try {
    auto result = Body();
    Backend.Commit();
    return result;
  } catch (...) {
    Backend.Rollback();
    throw;
  }
}

}  // namespace

TCompanyData::TCompanyData(TDatabaseConfig Config) : FConfig(std::move(Config)) {}
TCompanyData::~TCompanyData() = default;

TSqlBackend& TCompanyData::Backend() {
  if (!FBackend) throw EAppServerError("The server is not connected to a company database; call Connect first");
  return *FBackend;
}

void TCompanyData::Connect(const Variant& Params) {
  if (!VarIsArray(Params) || VarArrayDimCount(Params) != 1)
    throw ERequestRefused("Connect refused: the parameters must be a list [program, user, company, database, main table]");
  int low = VarArrayLowBound(Params, 1), high = VarArrayHighBound(Params, 1);
  if (high - low < 3)
    throw ERequestRefused("Connect refused: the parameters must hold at least program, user, company and database");
  std::vector<AnsiString> values = ParseValueArray(Params, high - low + 1, "Connect");
  values.resize(5);
  Connect(TSessionInfo{Trim(values[0]), Trim(values[1]), Trim(values[2]), Trim(values[3]), Trim(values[4])});
}

void TCompanyData::Connect(const TSessionInfo& Session) {
  if (!IsValidDatabaseName(Session.CompanyDatabase))
    throw ERequestRefused("Connect refused: \"" + Session.CompanyDatabase + "\" is not a company database name");
  std::unique_ptr<TSqlBackend> backend = OpenCompanyDatabase(FConfig, Session.CompanyDatabase);
  if (backend->Query("SELECT MF001 FROM ADMMF WHERE MF001 = ?", {Variant(Session.UserCode)}).RowCount() == 0)
    throw ERequestRefused("Connect refused: \"" + Session.UserCode + "\" is not a user of the company database " +
                          Session.CompanyDatabase);
  FBackend = std::move(backend);
  FSession = Session;
  FSchemesLoaded = false;
  FLocks.clear();
}

void TCompanyData::RequireUser(const AnsiString& UserCode, const char* What) const {
  if (UserCode != FSession.UserCode)
    throw ERequestRefused(AnsiString(What) + " refused: the user \"" + UserCode +
                          "\" is not the connected user \"" + FSession.UserCode + "\"");
}

AnsiString TCompanyData::Today() const { return FormatDateTime("yyyymmdd", Date()); }

Variant TCompanyData::PowerData() {
  TSqlBackend& db = Backend();
  TRowSet user = db.Query("SELECT MF004 FROM ADMMF WHERE MF001 = ?", {Variant(FSession.UserCode)});
  AnsiString group = user.RowCount() ? Trim(VarToStr(user.Value(0, 0))) : AnsiString();
  TRowSet rights = db.Query(
      "SELECT MG001, MG002, MG003, MG004, MG005, MG006, MG007, MG008, MG009, MG010, MG011, MG012 FROM ADMMG "
      "WHERE MG001 IN (?, ?) AND MG002 IN (?, '*')",
      {Variant(FSession.UserCode), Variant(group.empty() ? FSession.UserCode : group), Variant(FSession.ProgramCode)});
  // The most specific entry wins: user before group, program before "*".
  int best = -1, bestRank = 4;
  for (int r = 0; r < rights.RowCount(); ++r) {
    bool isUser = VarToStr(rights.Value(r, 0)) == FSession.UserCode;
    bool isProgram = VarToStr(rights.Value(r, 1)) != "*";
    int rank = (isUser ? 0 : 2) + (isProgram ? 0 : 1);
    if (rank < bestRank) best = r, bestRank = rank;
  }
  auto text = [&](int Column) { return best < 0 ? AnsiString() : Trim(VarToStr(rights.Value(best, Column))); };
  AnsiString rightsText = best < 0 ? AnsiString("NNNNNNNN") : text(2);
  AnsiString flags = text(3) + "," + (best < 0 ? "N" : text(4)) + "," + (best < 0 ? "N" : text(5)) + "," +
                     rightsText + "," + text(6) + "," + text(7);
  std::vector<Variant> tableRights{Variant(0)};
  if (best >= 0 && SameText(text(9), "Y")) {
    TRowSet tables = db.Query(
        "SELECT MH003, MH004 FROM ADMMH WHERE MH001 = ? AND MH002 IN (?, '*') ORDER BY MH003",
        {rights.Value(best, 0), Variant(FSession.ProgramCode)});
    for (int r = 0; r < tables.RowCount(); ++r)
      tableRights.push_back(Variant(Trim(VarToStr(tables.Value(r, 0))) + " " + Trim(VarToStr(tables.Value(r, 1)))));
    tableRights[0] = Variant(tables.RowCount());
  }
  return VarArrayOf({Variant(text(8)), Variant(flags), Variant(text(10)), Variant(text(11)),
                     Variant(best < 0 ? AnsiString("N") : (SameText(text(9), "Y") ? AnsiString("Y") : AnsiString("N"))),
                     VarArrayOf(tableRights)});
}

Variant TCompanyData::SystemSettings() { return CompanySystemSettings(Backend(), FSession.CompanyCode); }

Variant CompanySystemSettings(TSqlBackend& Db, const AnsiString& CompanyCode) {
  TRowSet rows = Db.Query("SELECT SS002, SS003 FROM ADMSS WHERE SS001 = ? ORDER BY SS002",
                          {Variant(CompanyCode)});
  if (rows.RowCount() == 0) return Unassigned();
  Variant out = VarArrayCreate({0, 1, 0, rows.RowCount() - 1}, varVariant);
  for (int r = 0; r < rows.RowCount(); ++r) {
    out.PutElement({0, r}, Variant(Trim(VarToStr(rows.Value(r, 0)))));
    out.PutElement({1, r}, Variant(VarToStr(rows.Value(r, 1))));
  }
  return out;
}

TRowSet TCompanyData::RunQuery(const AnsiString& Sql) {
  TSqlBackend& db = Backend();
  std::vector<TSqlToken> tokens = TokenizeSql(Sql, db.CodePage());
  RequireSingleSelect(tokens);
  return db.QueryReadOnly(db.Translator().Translate(tokens));
}

// ---- Condition schemes ------------------------------------------------------

void TCompanyData::LoadSchemes(const Variant& Params) {
  std::vector<AnsiString> key = ParseValueArray(Params, 2, "Loading the schemes");
  Backend();
  RequireUser(key[0], "Loading the schemes");
  CheckColumnValue("GENES", "PROGRAMME", key[1], FBackend->CodePage());
  FSchemeUser = key[0];
  FSchemeProgram = key[1];
  FSchemesLoaded = true;
}

TRowSet TCompanyData::SchemeRows() {
  TSqlBackend& db = Backend();
  if (!FSchemesLoaded) throw EAppServerError("The schemes have not been loaded; call LoadTable first");
  return db.Query(
      "SELECT NCONDITION, CREATOR, CREATE_DATE, PROGRAMME, SCONDITION, VCONDITION FROM GENES "
      "WHERE CREATOR = ? AND PROGRAMME = ? ORDER BY NCONDITION",
      {Variant(FSchemeUser), Variant(FSchemeProgram)});
}

namespace {

// [name, user, program] with the name checked.
std::vector<AnsiString> SchemeKey(const Variant& Key, const char* What, unsigned CodePage) {
  std::vector<AnsiString> key = ParseValueArray(Key, 3, What);
  if (Trim(key[0]).empty()) throw ERequestRefused(AnsiString(What) + " refused: the scheme name is empty");
  if (key[0].size() > 20)
    throw ERequestRefused(AnsiString(What) + " refused: the scheme name is longer than 20 bytes");
  CheckColumnValue("GENES", "NCONDITION", key[0], CodePage);
  CheckColumnValue("GENES", "PROGRAMME", key[2], CodePage);
  return key;
}

}  // namespace

void TCompanyData::InsertScheme(const Variant& Values) {
  const char* what = "Saving the scheme";
  TSqlBackend& db = Backend();
  if (!VarIsArray(Values) || VarArrayDimCount(Values) != 1 ||
      VarArrayHighBound(Values, 1) - VarArrayLowBound(Values, 1) != 6)
    throw ERequestRefused(AnsiString(what) + " refused: the record must be a list of 7 values");
  int low = VarArrayLowBound(Values, 1);
  Variant replaceFlag = Values.GetElement({low + 6});
  Variant head = VarArrayOf({Values.GetElement({low}), Values.GetElement({low + 1}), Values.GetElement({low + 2}),
                             Values.GetElement({low + 3}), Values.GetElement({low + 4}), Values.GetElement({low + 5}),
                             Variant(false)});
  std::vector<AnsiString> v = ParseValueArray(head, 7, what);
  bool replace = false;
  try {
    replace = !VarIsEmpty(replaceFlag) && !VarIsNull(replaceFlag) && replaceFlag.AsBoolean();
  } catch (const Exception&) {
    throw ERequestRefused(AnsiString(what) + " refused: the replace flag is not a boolean");
  }
  std::vector<AnsiString> key = SchemeKey(VarArrayOf({Variant(v[0]), Variant(v[1]), Variant(v[3])}), what, db.CodePage());
  RequireUser(v[1], what);
  if (!(v[2].size() == 8 && AllDigits(v[2])))
    throw ERequestRefused(AnsiString(what) + " refused: the creation date must be \"yyyymmdd\"");
  InTransaction(db, [&] {
    bool exists = db.Query("SELECT 1 FROM GENES WHERE NCONDITION = ? AND CREATOR = ? AND PROGRAMME = ?",
                           {Variant(key[0]), Variant(key[1]), Variant(key[2])})
                      .RowCount() > 0;
    if (exists && !replace)
      throw EAppServerError("A scheme named \"" + key[0] + "\" exists already for this user and program");
    if (exists)
      db.Execute(
          "UPDATE GENES SET CREATE_DATE = ?, SCONDITION = ?, VCONDITION = ?, MODIFIER = ?, MODI_DATE = ?, "
          "FLAG = COALESCE(FLAG, 0) + 1 WHERE NCONDITION = ? AND CREATOR = ? AND PROGRAMME = ?",
          {Variant(v[2]), Variant(v[4]), Variant(v[5]), Variant(FSession.UserCode), Variant(Today()),
           Variant(key[0]), Variant(key[1]), Variant(key[2])});
    else
      db.Execute(
          "INSERT INTO GENES (COMPANY, NCONDITION, CREATOR, CREATE_DATE, PROGRAMME, SCONDITION, VCONDITION, FLAG) "
          "VALUES (?, ?, ?, ?, ?, ?, ?, 1)",
          {Variant(FSession.CompanyCode), Variant(key[0]), Variant(key[1]), Variant(v[2]), Variant(key[2]),
           Variant(v[4]), Variant(v[5])});
    return 0;
  });
}

void TCompanyData::DeleteScheme(const Variant& Key) {
  const char* what = "Deleting the scheme";
  TSqlBackend& db = Backend();
  std::vector<AnsiString> key = SchemeKey(Key, what, db.CodePage());
  RequireUser(key[1], what);
  if (db.Execute("DELETE FROM GENES WHERE NCONDITION = ? AND CREATOR = ? AND PROGRAMME = ?",
                 {Variant(key[0]), Variant(key[1]), Variant(key[2])}) == 0)
    throw EAppServerError("There is no scheme named \"" + key[0] + "\" for this user and program");
}

void TCompanyData::RenameScheme(const Variant& OldKey, const Variant& NewKey) {
  const char* what = "Renaming the scheme";
  TSqlBackend& db = Backend();
  std::vector<AnsiString> from = SchemeKey(OldKey, what, db.CodePage());
  std::vector<AnsiString> to = SchemeKey(NewKey, what, db.CodePage());
  RequireUser(from[1], what);
  if (to[1] != from[1] || to[2] != from[2])
    throw ERequestRefused(AnsiString(what) + " refused: only the name of a scheme can change");
  if (to[0] == from[0]) return;
  InTransaction(db, [&] {
    if (db.Query("SELECT 1 FROM GENES WHERE NCONDITION = ? AND CREATOR = ? AND PROGRAMME = ?",
                 {Variant(to[0]), Variant(to[1]), Variant(to[2])})
            .RowCount())
      throw EAppServerError("A scheme named \"" + to[0] + "\" exists already for this user and program");
    if (db.Execute("UPDATE GENES SET NCONDITION = ?, MODIFIER = ?, MODI_DATE = ? "
                   "WHERE NCONDITION = ? AND CREATOR = ? AND PROGRAMME = ?",
                   {Variant(to[0]), Variant(FSession.UserCode), Variant(Today()), Variant(from[0]),
                    Variant(from[1]), Variant(from[2])}) == 0)
      throw EAppServerError("There is no scheme named \"" + from[0] + "\" for this user and program");
    return 0;
  });
}

// ---- Layouts ----------------------------------------------------------------

namespace {

// The layout kind is a class name: letters, digits and "_".
void CheckLayoutKey(const AnsiString& Kind, const AnsiString& Name, const char* What, unsigned CodePage) {
  bool plain = !Kind.empty();
  for (char c : Kind)
    plain = plain && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_');
  if (!plain) throw ERequestRefused(AnsiString(What) + " refused: \"" + Kind + "\" is not a layout kind (a class name)");
  CheckColumnValue("WARRANT", "NT001", Kind, CodePage);
  CheckColumnValue("WARRANT", "NT002", Name, CodePage);
}

}  // namespace

int TCompanyData::ReadLayout(const Variant& Params, Variant& Layout) {
  const char* what = "Reading the layout";
  TSqlBackend& db = Backend();
  std::vector<AnsiString> key = ParseValueArray(Params, 2, what);
  CheckLayoutKey(key[0], key[1], what, db.CodePage());
  TRowSet rows = db.Query("SELECT NT003, NT005 FROM WARRANT WHERE NT001 = ? AND NT002 = ?",
                          {Variant(key[0]), Variant(key[1])});
  if (rows.RowCount() == 0) {
    Layout = Unassigned();
    return 0;
  }
  Layout = VarArrayOf({Variant(VarToStr(rows.Value(0, 0))), Variant(VarToStr(rows.Value(0, 1)))});
  return 1;
}

int TCompanyData::LockLayout(const Variant& Params) {
  const char* what = "Locking the layout";
  TSqlBackend& db = Backend();
  std::vector<AnsiString> p = ParseValueArray(Params, 4, what);
  if (!AllDigits(Trim(p[0]))) throw ERequestRefused(AnsiString(what) + " refused: the revision number is not a number");
  CheckLayoutKey(p[2], p[3], what, db.CodePage());
  CheckColumnValue("WARRANT", "NT003", p[1], db.CodePage());
  // The claim is the revision as read: it holds only while nobody has
  // written the layout since.
  if (db.Execute("UPDATE WARRANT SET MODIFIER = ?, MODI_DATE = ? WHERE NT001 = ? AND NT002 = ? AND NT003 = ?",
                 {Variant(FSession.UserCode), Variant(Today()), Variant(p[2]), Variant(p[3]), Variant(p[1])}) == 0) {
    TRowSet stored = db.Query("SELECT NT003 FROM WARRANT WHERE NT001 = ? AND NT002 = ?", {Variant(p[2]), Variant(p[3])});
    if (stored.RowCount() == 0)
      throw EAppServerError("The layout \"" + p[3] + "\" of " + p[2] + " does not exist");
    throw ERevisionConflict("The layout \"" + p[3] + "\" was changed since it was read: stored revision " +
                            VarToStr(stored.Value(0, 0)) + ", read revision " + p[1]);
  }
  FLocks[{p[2], p[3]}] = p[1];
  return 1;
}

int TCompanyData::WriteLayout(bool IsUpdate, const Variant& Lines, const Variant& Params, int SizeKB) {
  const char* what = IsUpdate ? "Rewriting the layout" : "Storing the layout";
  TSqlBackend& db = Backend();
  std::vector<AnsiString> p = ParseValueArray(Params, 7, what);
  if (!VarIsArray(Lines) || VarArrayDimCount(Lines) != 1)
    throw ERequestRefused(AnsiString(what) + " refused: the layout text must be a list of lines");
  AnsiString text;
  int low = VarArrayLowBound(Lines, 1), high = VarArrayHighBound(Lines, 1);
  text.reserve(static_cast<std::size_t>(high - low + 1) * 40);
  for (int i = low; i <= high; ++i) {
    Variant line = Lines.GetElement({i});
    if (VarIsArray(line) || line.VarType() == varDispatch)
      throw ERequestRefused(AnsiString(what) + " refused: line " + std::to_string(i - low + 1) + " is not a text");
    if (i > low) text += "\r\n";
    text += VarToStr(line);
  }
  if (p[0] != FSession.CompanyCode)
    throw ERequestRefused(AnsiString(what) + " refused: the company \"" + p[0] + "\" is not the connected company");
  RequireUser(p[1], what);
  if (SizeKB < 0) throw ERequestRefused(AnsiString(what) + " refused: the size is negative");
  if (IsUpdate) {
    const AnsiString &kind = p[4], &name = p[5], &revision = p[3];
    CheckLayoutKey(kind, name, what, db.CodePage());
    if (!AllDigits(revision) || revision.size() > 10)
      throw ERequestRefused(AnsiString(what) + " refused: the new revision \"" + revision + "\" is not a number");
    auto lock = FLocks.find({kind, name});
    if (lock == FLocks.end())
      throw ERevisionConflict("The layout \"" + name + "\" must be locked at the revision it was read before it is rewritten");
    AnsiString locked = lock->second;
    FLocks.erase(lock);
    // Written only over the revision that was locked: a writer who came in
    // between has changed it, and this write is refused.
    if (db.Execute("UPDATE WARRANT SET NT003 = ?, NT004 = ?, NT005 = ?, NT006 = ?, MODIFIER = ?, MODI_DATE = ?, "
                   "FLAG = COALESCE(FLAG, 0) + 1 WHERE NT001 = ? AND NT002 = ? AND NT003 = ?",
                   {Variant(revision), Variant(p[6]), Variant(text), Variant(SizeKB), Variant(FSession.UserCode),
                    Variant(Today()), Variant(kind), Variant(name), Variant(locked)}) == 0)
      throw ERevisionConflict("The layout \"" + name + "\" was changed by another user after it was locked at revision " +
                              locked + "; it was not rewritten");
    return 1;
  }
  const AnsiString &kind = p[3], &name = p[4];
  CheckLayoutKey(kind, name, what, db.CodePage());
  CheckColumnValue("WARRANT", "USR_GROUP", p[2], db.CodePage());
  return InTransaction(db, [&] {
    if (db.Query("SELECT 1 FROM WARRANT WHERE NT001 = ? AND NT002 = ?", {Variant(kind), Variant(name)}).RowCount())
      throw EAppServerError("A layout named \"" + name + "\" of " + kind + " exists already");
    db.Execute("INSERT INTO WARRANT (COMPANY, CREATOR, USR_GROUP, CREATE_DATE, NT001, NT002, NT003, NT004, NT005, "
               "NT006, FLAG) VALUES (?, ?, ?, ?, ?, ?, '1', ?, ?, ?, 1)",
               {Variant(FSession.CompanyCode), Variant(FSession.UserCode), Variant(p[2]), Variant(Today()),
                Variant(kind), Variant(name), Variant(p[6]), Variant(text), Variant(SizeKB)});
    return 1;
  });
}

int TCompanyData::DeleteLayout(const Variant& Params) {
  const char* what = "Deleting the layout";
  TSqlBackend& db = Backend();
  std::vector<AnsiString> key = ParseValueArray(Params, 2, what);
  CheckLayoutKey(key[0], key[1], what, db.CodePage());
  return static_cast<int>(
      db.Execute("DELETE FROM WARRANT WHERE NT001 = ? AND NT002 = ?", {Variant(key[0]), Variant(key[1])}));
}

TRowSet TCompanyData::ListLayouts(const AnsiString& FormatKey) {
  TSqlBackend& db = Backend();
  CheckLayoutKey(FormatKey, "", "Listing the layouts", db.CodePage());
  return db.Query("SELECT NT002, NT004 FROM WARRANT WHERE NT001 = ? ORDER BY NT002", {Variant(FormatKey)});
}

// ---- Counts and the free statements -------------------------------------------

int TCompanyData::UpdatePrintCount(const Variant& Params) {
  TSqlBackend& db = Backend();
  TCountRequest request = ParseCountRequest(Params, FSession.CompanyDatabase, db.CodePage());
  // One statement: the database adds one under its row lock, so concurrent
  // clients never lose a count. The column comes from the fixed list.
  return static_cast<int>(db.Execute("UPDATE ASTTC SET " + request.Column + " = COALESCE(" + request.Column +
                                         ", 0) + 1 WHERE TC001 = ? AND TC002 = ?",
                                     {Variant(request.VoucherType), Variant(request.VoucherNumber)}));
}

int TCompanyData::RunFreeSql(const AnsiString& Sql) {
  TSqlBackend& db = Backend();
  TFreeStatement statement = ParseFreeStatement(Sql, FSession.CompanyDatabase, db.CodePage());
  if (statement.Kind == TFreeStatement::SignOffLookup) {
    TRowSet rows = db.Query("SELECT COUNT(*) FROM " + statement.Table + " WHERE " + statement.Columns[0] + " = ?",
                            {Variant(statement.Values[0])});
    return rows.Value(0, 0).AsInteger();
  }
  const std::vector<AnsiString>& v = statement.Values;  // in SendLogColumns() order
  const char* what = "The send log record";
  if (v[0] != FSession.CompanyCode)
    throw ERequestRefused(AnsiString(what) + " refused: the company \"" + v[0] + "\" is not the connected company");
  RequireUser(v[1], what);
  if (!(v[3].size() == 8 && AllDigits(v[3])) || !(v[10].size() == 8 && AllDigits(v[10])))
    throw ERequestRefused(AnsiString(what) + " refused: its dates must be \"yyyymmdd\"");
  if (!AllDigits(v[4])) throw ERequestRefused(AnsiString(what) + " refused: FLAG must be a number");
  if (v[7] != "Y" && v[7] != "N") throw ERequestRefused(AnsiString(what) + " refused: TA003 must be Y or N");
  std::vector<Variant> params(v.begin(), v.end());
  params[4] = Variant(std::stoi(v[4].substr(0, 9)));
  AnsiString columns, marks;
  for (const AnsiString& column : statement.Columns) {
    columns += (columns.empty() ? "" : ", ") + column;
    marks += marks.empty() ? "?" : ", ?";
  }
  return static_cast<int>(db.Execute("INSERT INTO ADMTA (" + columns + ") VALUES (" + marks + ")", params));
}

// ---- Sign-off history ---------------------------------------------------------

namespace {

// A strict reader of the request's few constructs; every refusal names the
// byte offset where the text stopped being what the request must be.
class TSignOffReader {
 public:
  explicit TSignOffReader(const AnsiString& Text) : FText(Text) {}

  [[noreturn]] void Refuse(const AnsiString& Why) const {
    throw ERequestRefused("The sign-off request was refused: " + Why + " (at byte " + std::to_string(FPos) + ")");
  }
  void SkipBlanks() {
    while (FPos < FText.size() &&
           (FText[FPos] == ' ' || FText[FPos] == '\t' || FText[FPos] == '\r' || FText[FPos] == '\n'))
      ++FPos;
  }
  bool AtEnd() const { return FPos >= FText.size(); }
  bool Take(const char* Literal) {
    std::size_t n = std::char_traits<char>::length(Literal);
    if (FText.compare(FPos, n, Literal) != 0) return false;
    FPos += n;
    return true;
  }
  void Expect(const char* Literal, const char* Why) {
    if (!Take(Literal)) Refuse(Why);
  }
  bool AtBlank() const {
    return !AtEnd() && (FText[FPos] == ' ' || FText[FPos] == '\t' || FText[FPos] == '\r' || FText[FPos] == '\n');
  }
  AnsiString Name() {
    std::size_t start = FPos;
    while (!AtEnd() && (std::isalnum(static_cast<unsigned char>(FText[FPos])) || FText[FPos] == '_')) ++FPos;
    if (FPos == start) Refuse("expected an attribute name or \"/>\"");
    return FText.substr(start, FPos - start);
  }
  // A quoted value with the XML entities decoded. Code-page trail bytes
  // never fall in the ASCII range of the delimiters, so a byte scan is safe.
  AnsiString Value() {
    if (AtEnd() || (FText[FPos] != '\'' && FText[FPos] != '"')) Refuse("expected a quoted value");
    char quote = FText[FPos++];
    AnsiString out;
    while (true) {
      if (AtEnd()) Refuse("the value is not closed");
      char c = FText[FPos];
      if (c == quote) break;
      if (c == '<') Refuse("\"<\" inside a value");
      if (c == '&') {
        static const std::pair<const char*, char> kEntities[] = {
            {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'}};
        bool known = false;
        for (const auto& [entity, ch] : kEntities)
          if (Take(entity)) {
            out += ch;
            known = true;
            break;
          }
        if (!known) Refuse("\"&\" that is not one of the XML entities");
        continue;
      }
      out += c;
      ++FPos;
    }
    ++FPos;
    return out;
  }

 private:
  const AnsiString& FText;
  std::size_t FPos = 0;
};

AnsiString XmlEscape(const AnsiString& Text) {
  AnsiString out;
  out.reserve(Text.size());
  for (char c : Text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '\'': out += "&apos;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// The forms once each, in request order.
std::vector<TSignOffForm> DistinctForms(std::vector<TSignOffForm> Forms) {
  std::vector<TSignOffForm> out;
  std::set<std::array<AnsiString, 4>> seen;
  for (TSignOffForm& form : Forms)
    if (seen.insert({form.FormType, form.SheetNo, form.Parameter3, form.Parameter4}).second)
      out.push_back(std::move(form));
  return out;
}

// The 13 answer columns of a step, in answer order.
constexpr const char* kStepColumns = "MH005, MH006, MH007, MH008, MH009, MH010, MH011, MH012, MH013, MH014, MH015, MH016, MH017";
constexpr int kStepColumnCount = 13;

TRowSet StepsOf(TSqlBackend& Db, const TSignOffForm& Form) {
  return Db.Query(AnsiString("SELECT ") + kStepColumns +
                      ", MH018 FROM SGSMH WHERE MH001 = ? AND MH002 = ? AND MH003 = ? AND MH004 = ? ORDER BY MH007",
                  {Variant(Trim(Form.FormType)), Variant(Trim(Form.SheetNo)), Variant(Trim(Form.Parameter3)),
                   Variant(Trim(Form.Parameter4))});
}

}  // namespace

std::vector<TSignOffForm> ParseSignOffRequest(const AnsiString& Request, unsigned CodePage) {
  // A form takes about 100 bytes; anything far beyond the largest accepted
  // request is refused before it is read.
  if (Request.size() > static_cast<std::size_t>(MaxSignOffForms) * 400)
    throw ERequestRefused("The sign-off request was refused: it is longer than " +
                          std::to_string(MaxSignOffForms * 400) + " bytes");
  TSignOffReader reader(Request);
  std::vector<TSignOffForm> forms;
  reader.SkipBlanks();
  reader.Expect("<FormSet>", "the request must start with \"<FormSet>\"");
  while (true) {
    reader.SkipBlanks();
    if (reader.Take("</FormSet>")) break;
    reader.Expect("<Form", "expected \"<Form\" or \"</FormSet>\"");
    if (!reader.AtBlank() && !reader.Take("/>")) reader.Refuse("expected blanks after \"<Form\"");
    if (static_cast<int>(forms.size()) == MaxSignOffForms)
      reader.Refuse("more than " + std::to_string(MaxSignOffForms) + " forms");
    TSignOffForm form;
    bool seen[5] = {};
    while (true) {
      reader.SkipBlanks();
      if (reader.Take("/>")) break;
      AnsiString name = reader.Name();
      static const char* const kNames[] = {"wfProgramID", "wfFormType", "wfSheetNo", "wfParameter3", "wfParameter4"};
      int which = -1;
      for (int i = 0; i < 5; ++i)
        if (name == kNames[i]) which = i;
      if (which < 0) reader.Refuse("unknown attribute \"" + name + "\"");
      if (seen[which]) reader.Refuse("the attribute \"" + name + "\" is given twice");
      seen[which] = true;
      reader.SkipBlanks();
      reader.Expect("=", "expected \"=\" after the attribute name");
      reader.SkipBlanks();
      AnsiString value = reader.Value();
      AnsiString* target[] = {nullptr, &form.FormType, &form.SheetNo, &form.Parameter3, &form.Parameter4};
      static const char* const kColumns[] = {"MH001", "MH001", "MH002", "MH003", "MH004"};
      for (char c : value)
        if (static_cast<unsigned char>(c) < ' ') reader.Refuse("the value of " + name + " holds a control character");
      try {
        CheckColumnValue("SGSMH", kColumns[which], Trim(value), CodePage);
      } catch (const ERequestRefused& e) {
        reader.Refuse("the value of " + name + " is not accepted: " + e.Message);
      }
      if (target[which]) *target[which] = value;
    }
    if (Trim(form.FormType).empty() || Trim(form.SheetNo).empty())
      reader.Refuse("a form without its wfFormType or wfSheetNo");
    forms.push_back(std::move(form));
  }
  reader.SkipBlanks();
  if (!reader.AtEnd()) reader.Refuse("text after \"</FormSet>\"");
  return forms;
}

Variant TCompanyData::SignOffList(const AnsiString& Request) {
  TSqlBackend& db = Backend();
  std::vector<TSignOffForm> forms = DistinctForms(ParseSignOffRequest(Request, db.CodePage()));
  std::map<AnsiString, bool> enabled;
  std::vector<Variant> answer{Variant(0)};
  for (const TSignOffForm& form : forms) {
    AnsiString type = Trim(form.FormType);
    auto known = enabled.find(type);
    if (known == enabled.end())
      known = enabled
                  .emplace(type, db.Query("SELECT 1 FROM ADMMQ WHERE MQ002 = ? AND MQ004 = 'Y'", {Variant(type)})
                                         .RowCount() > 0)
                  .first;
    if (!known->second) continue;
    TRowSet steps = StepsOf(db, form);
    if (steps.RowCount() == 0) continue;
    Variant table = VarArrayCreate({0, steps.RowCount() - 1, 0, kStepColumnCount - 1}, varVariant);
    for (int r = 0; r < steps.RowCount(); ++r)
      for (int c = 0; c < kStepColumnCount; ++c) table.PutElement({r, c}, Variant(Trim(VarToStr(steps.Value(r, c)))));
    answer.push_back(VarArrayOf({Variant(steps.RowCount()), Variant(form.FormType), Variant(form.SheetNo),
                                 Variant(form.Parameter3), Variant(form.Parameter4), table}));
  }
  answer[0] = Variant(static_cast<int>(answer.size()) - 1);
  return VarArrayOf(answer);
}

AnsiString TCompanyData::SignOffText(const AnsiString& Request, const AnsiString& ProgramCode) {
  TSqlBackend& db = Backend();
  AnsiString program = Trim(ProgramCode);
  if (program.empty()) throw ERequestRefused("The sign-off request was refused: the program code is empty");
  CheckColumnValue("SGSMC", "MC001", program, db.CodePage());
  std::vector<TSignOffForm> forms = DistinctForms(ParseSignOffRequest(Request, db.CodePage()));
  const AnsiString inProgress = Utf8ToAnsi("签核中", db.CodePage());
  std::map<AnsiString, bool> enabled;
  AnsiString out = "<FormSet>";
  for (const TSignOffForm& form : forms) {
    AnsiString type = Trim(form.FormType);
    auto known = enabled.find(type);
    if (known == enabled.end())
      known = enabled
                  .emplace(type, db.Query("SELECT 1 FROM SGSMC WHERE MC001 = ? AND MC002 = ? AND MC004 = 'Y'",
                                          {Variant(program), Variant(type)})
                                         .RowCount() > 0)
                  .first;
    if (!known->second) continue;
    TRowSet steps = StepsOf(db, form);
    if (steps.RowCount() == 0) continue;
    auto text = [&](int Row, int Column) { return Trim(VarToStr(steps.Value(Row, Column))); };
    AnsiString body;
    for (int r = 0; r < steps.RowCount(); ++r) {
      // gate, branch, signer, title, state, signed date, opinion
      body += text(r, 0) + "  " + text(r, 1) + "  " + text(r, 10) + "  " + text(r, 12) + "  " + text(r, 6) + "  " +
              text(r, 5) + "  " + text(r, 13) + "||";
    }
    const int last = steps.RowCount() - 1;
    body += text(last, 5).empty() ? inProgress : text(last, 6);
    out += "<Form wfFormType='" + XmlEscape(form.FormType) + "' wfSheetNo='" + XmlEscape(form.SheetNo) +
           "' wfParameter3='" + XmlEscape(form.Parameter3) + "' wfParameter4='" + XmlEscape(form.Parameter4) + "'>" +
           XmlEscape(body) + "</Form>";
  }
  return out + "</FormSet>";
}
