#pragma once
// The data side of the application server's operations for one client
// session on one company database. The automation object "Brannok.Class1"
// holds one of these per connection and maps its operations onto it; the
// names in brackets are those operations.
//
// Arrays arrive as the client sends them (Variant arrays of texts) and are
// checked here: shapes, lengths, tables, columns and condition forms. Values
// are always bound as parameters. Failures raise:
//   ERequestRefused    a request that is not of the form the operation is for
//                      (the object raises it to the client as an error);
//   ERevisionConflict  a layout write over a revision that changed meanwhile
//                      (the object answers -1);
//   EAppServerError    any other business failure, such as a missing scheme
//                      (the object answers the text, or -1 where the call
//                      answers a number);
//   EDatabaseError     the database failed.
// Every message is plain English and says what was refused and why.

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "appserver/RowSet.h"
#include "appserver/SqlBackend.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Variant.h"

struct TSessionInfo {
  AnsiString ProgramCode;
  AnsiString UserCode;
  AnsiString CompanyCode;
  AnsiString CompanyDatabase;
  AnsiString MainTable;
};

// One form of a sign-off request: the keys of one voucher, as the client
// wrote them (type and number, then up to two further values, empty when
// the voucher has fewer keys).
struct TSignOffForm {
  AnsiString FormType, SheetNo, Parameter3, Parameter4;
  bool operator==(const TSignOffForm&) const = default;
};

// The sign-off request text the client sends:
//   <FormSet> <Form wfProgramID='' wfFormType='A1' wfSheetNo ='2023010001'
//     wfParameter3='' wfParameter4='' /> ... </FormSet>
// Blanks (also CR LF) may stand between the parts and around "="; values
// are quoted with ' or " and may use the five XML entities. The attributes
// are exactly those five, each at most once, and the type and number must
// not be empty. Anything else (other elements, text, comments, a second
// FormSet, a value longer than its column) raises ERequestRefused naming
// what was wrong and where. At most MaxSignOffForms forms are accepted.
constexpr int MaxSignOffForms = 20000;
std::vector<TSignOffForm> ParseSignOffRequest(const AnsiString& Request, unsigned CodePage);

// A company's system settings (table ADMSS) as a two-dimensional array:
// [0, i] the names, [1, i] the values; Unassigned when there are none. The
// server's session and the host's counter both answer this shape.
Variant CompanySystemSettings(TSqlBackend& Db, const AnsiString& CompanyCode);

class TCompanyData {
 public:
  explicit TCompanyData(TDatabaseConfig Config);
  ~TCompanyData();
  TCompanyData(const TCompanyData&) = delete;
  TCompanyData& operator=(const TCompanyData&) = delete;

  // [Connect] The array [program code, user code, company code, company
  // database, main table] (the main table may be missing). Opens the company
  // database; the user must be one of its users (ADMMF).
  void Connect(const Variant& Params);
  void Connect(const TSessionInfo& Session);
  bool Connected() const { return FBackend != nullptr; }
  const TSessionInfo& Session() const { return FSession; }
  // The connection; raises EAppServerError before Connect.
  TSqlBackend& Backend();

  // [SQLType] The statement dialect clients write: 0, the join dialect, on
  // every backend (the server translates what a backend lacks).
  int SqlType() const { return 0; }
  // [PowerData] The user's rights for the session's program:
  // [0] the row condition text, [1] "field1,flag2,flag3,rights,field5,field6",
  // [2], [3] further texts, [4] "Y" when per-table rights apply,
  // [5] [count, "TABLE condition", ...]. Rights are looked up for the user,
  // then for the user's group, the program's own entry before the "*" entry;
  // without any, every right is "N".
  Variant PowerData();
  // The company's system settings as a two-dimensional array: [0, i] the
  // names, [1, i] the values; Unassigned when there are none.
  Variant SystemSettings();

  // [Provider1, Provider2, pvdTemp, SimpleSql] A client's SELECT statement in
  // the join dialect, run read-only. Exactly one SELECT is accepted.
  TRowSet RunQuery(const AnsiString& Sql);

  // [LoadTable] [user code, program code]: the schemes SchemeRows returns.
  void LoadSchemes(const Variant& Params);
  // [pvdConSave] NCONDITION, CREATOR, CREATE_DATE, PROGRAMME, SCONDITION,
  // VCONDITION of the loaded user's schemes of the program, by name.
  TRowSet SchemeRows();
  // [InsertConTable] [name, user, date "yyyymmdd", program, properties,
  // values, replace]. An existing scheme is replaced only when asked.
  void InsertScheme(const Variant& Values);
  // [DeleteConTable] [name, user, program].
  void DeleteScheme(const Variant& Key);
  // [ChangeConName] Two keys [name, user, program] differing in the name.
  void RenameScheme(const Variant& OldKey, const Variant& NewKey);

  // [GetBlobField] [layout kind, name] → 1 with Layout = [revision, text]
  // (the stored lines joined by CR LF), or 0 with Layout Unassigned.
  int ReadLayout(const Variant& Params, Variant& Layout);
  // [RunUpdFlagSQL] [revision as integer, revision as read, kind, name]:
  // claims the layout for a rewrite when its stored revision is still the
  // one read, and returns 1; raises ERevisionConflict when it is not.
  int LockLayout(const Variant& Params);
  // [RunInsUpdSQL] Update: Params [company, user, "", new revision, kind,
  // name, option state]; the layout must have been locked by this session
  // and still hold the locked revision (ERevisionConflict otherwise).
  // Insert: Params [company, user, user group, kind, name, "", option state];
  // the layout must not exist yet. Lines: the layout's text lines. Returns 1.
  int WriteLayout(bool IsUpdate, const Variant& Lines, const Variant& Params, int SizeKB);
  // [RunDeleteSQL] [kind, name] → the number of layouts deleted (0 or 1).
  int DeleteLayout(const Variant& Params);
  // The stored layouts of a kind: NT002 (name) and NT004 (option state).
  TRowSet ListLayouts(const AnsiString& FormatKey);

  // [UpdatePrintCount] [table, column, condition] (see ParseCountRequest):
  // adds one to the voucher's print or send count in one statement and
  // returns the number of vouchers counted (0 when it does not exist).
  int UpdatePrintCount(const Variant& Params);
  // [RunFreeSQL] A sign-off lookup (returns the number of matching rows) or
  // the send-log record (returns 1); see ParseFreeStatement. The record's
  // company and user must be the session's.
  int RunFreeSql(const AnsiString& Sql);

  // The sign-off history (table SGSMH) of the vouchers a request names
  // (see ParseSignOffRequest); vouchers without history, or whose type is
  // not enabled for sign-off, are left out. Steps come in serial order.
  //
  // [GetSGData] The list form: [count, entry, ...], each entry
  // [step count, type, number, parameter 3, parameter 4, steps] with steps a
  // two-dimensional array [step, column] of 13 texts: 0 gate, 1 branch,
  // 2 serial, 3 role, 4 received, 5 signed ("yyyymmdd", empty while
  // pending), 6 state, 7 receiver ID, 8 receiver name, 9 signer ID,
  // 10 signer name, 11 department position, 12 signer title. Types are those
  // enabled in ADMMQ.
  Variant SignOffList(const AnsiString& Request);
  // [GetWebserviceSGData] The text form: "<FormSet><Form wfFormType='..'
  // wfSheetNo='..' wfParameter3='..' wfParameter4='..'>step||step||final
  // result</Form>...</FormSet>" (no XML declaration; texts in the database
  // code page, XML-escaped). A step is gate, branch, signer, title, state,
  // signed date and opinion joined by two blanks; the final result is the
  // state of the last step when it is signed, else "签核中". Types are those
  // SGSMC enables for ProgramCode.
  AnsiString SignOffText(const AnsiString& Request, const AnsiString& ProgramCode);

 private:
  void RequireUser(const AnsiString& UserCode, const char* What) const;
  AnsiString Today() const;

  TDatabaseConfig FConfig;
  TSessionInfo FSession;
  std::unique_ptr<TSqlBackend> FBackend;
  AnsiString FSchemeUser, FSchemeProgram;
  bool FSchemesLoaded = false;
  // Layouts this session locked, by kind and name: the revision locked.
  std::map<std::pair<AnsiString, AnsiString>, AnsiString> FLocks;
};
