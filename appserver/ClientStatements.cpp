#include "appserver/ClientStatements.h"

#include "appserver/AppServerErrors.h"
#include "appserver/Schema.h"
#include "appserver/SqlDialect.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"

namespace {

AnsiString LowerFirst(AnsiString S) {
  if (!S.empty() && S[0] >= 'A' && S[0] <= 'Z') S[0] = static_cast<char>(S[0] + 32);
  return S;
}

// Runs Check and gives a refusal it raises the operation's name.
template <class F>
void Checked(const char* What, F Check) {
  try {
    Check();
  } catch (const ERequestRefused& e) {
    throw ERequestRefused(AnsiString(What) + " refused: " + LowerFirst(e.Message));
  }
}

// Reads a client statement token by token against the shape it must have.
class TShapeReader {
 public:
  TShapeReader(const AnsiString& Sql, unsigned CodePage, const char* What) : FWhat(What) {
    std::vector<TSqlToken> tokens;
    try {
      tokens = TokenizeSql(Sql, CodePage);
    } catch (const ERequestRefused& e) {
      Refuse(LowerFirst(e.Message));
    }
    for (TSqlToken& t : tokens) {
      if (t.Kind == TSqlTokenKind::Comment) Refuse("comments are not accepted");
      if (t.IsSignificant()) FTokens.push_back(std::move(t));
    }
  }

  [[noreturn]] void Refuse(const AnsiString& Why) const {
    throw ERequestRefused(AnsiString(FWhat) + " refused: " + Why);
  }

  bool AtEnd() const { return FPos >= FTokens.size(); }
  const TSqlToken* Peek() const { return AtEnd() ? nullptr : &FTokens[FPos]; }
  AnsiString Seen() const { return AtEnd() ? AnsiString("the end of the statement") : "\"" + FTokens[FPos].Text + "\""; }

  void Word(const char* Expected) {
    if (AtEnd() || !FTokens[FPos].IsWord(Expected)) Refuse("expected " + AnsiString(Expected) + ", found " + Seen());
    ++FPos;
  }
  void Symbol(const char* Expected) {
    if (AtEnd() || !FTokens[FPos].IsSymbol(Expected))
      Refuse("expected \"" + AnsiString(Expected) + "\", found " + Seen());
    ++FPos;
  }
  AnsiString Literal(const AnsiString& Column) {
    if (AtEnd() || FTokens[FPos].Kind != TSqlTokenKind::Literal)
      Refuse("the value of " + Column + " must be a quoted text, found " + Seen());
    return LiteralValue(FTokens[FPos++]);
  }
  // "$$TABLE" or "<company database>..TABLE", for one of the given tables.
  AnsiString Table(const std::vector<const char*>& Allowed, const AnsiString& CompanyDb) {
    if (AtEnd() || FTokens[FPos].Kind != TSqlTokenKind::Word) Refuse("expected a table name, found " + Seen());
    AnsiString name = FTokens[FPos].Text;
    ++FPos;
    if (name.size() > 2 && name[0] == '$' && name[1] == '$') {
      name = name.substr(2);
    } else if (Peek() && Peek()->IsSymbol(".")) {
      if (!SameText(name, CompanyDb)) Refuse("the database \"" + name + "\" is not the connected company database");
      Symbol(".");
      Symbol(".");
      if (AtEnd() || FTokens[FPos].Kind != TSqlTokenKind::Word) Refuse("expected a table name, found " + Seen());
      name = FTokens[FPos++].Text;
    } else {
      Refuse("the table must be written with the \"$$\" prefix, found \"" + name + "\"");
    }
    for (const char* allowed : Allowed)
      if (SameText(name, allowed)) return allowed;
    Refuse("the table \"" + name + "\" is not one this operation writes or reads");
  }
  void End() {
    if (Peek() && Peek()->IsSymbol(";")) ++FPos;
    if (!AtEnd()) Refuse("unexpected " + Seen() + " after the end of the statement");
  }

 private:
  const char* FWhat;
  std::vector<TSqlToken> FTokens;
  std::size_t FPos = 0;
};

int CharacterCount(const AnsiString& S, unsigned CodePage) {
  int count = 0;
  for (std::size_t i = 0; i < S.size(); i += CharSizeAt(S, i, CodePage)) ++count;
  return count;
}

}  // namespace

void CheckColumnValue(const AnsiString& Table, const AnsiString& Column, const AnsiString& Value,
                      unsigned CodePage) {
  for (char c : Value)
    if (static_cast<unsigned char>(c) < ' ' && c != '\t' && c != '\r' && c != '\n')
      throw ERequestRefused("The value for " + Column + " holds a control character");
  const TTableDef* table = FindTable(Table);
  const TColumnDef* column = table ? table->FindColumn(Column) : nullptr;
  if (!column) throw ERequestRefused("The column " + Table + "." + Column + " does not exist");
  if (column->Type == TColumnType::Text && CharacterCount(Value, CodePage) > column->Size)
    throw ERequestRefused("The value for " + Column + " is longer than " + std::to_string(column->Size) +
                          " characters");
}

std::vector<AnsiString> ParseValueArray(const Variant& Value, int Count, const char* What) {
  if (!VarIsArray(Value) || VarArrayDimCount(Value) != 1)
    throw ERequestRefused(AnsiString(What) + " refused: the parameters must be a list of " + std::to_string(Count) +
                          " values");
  int low = VarArrayLowBound(Value, 1), high = VarArrayHighBound(Value, 1);
  if (high - low + 1 != Count)
    throw ERequestRefused(AnsiString(What) + " refused: the parameters must be a list of " + std::to_string(Count) +
                          " values, not " + std::to_string(high - low + 1));
  std::vector<AnsiString> out;
  for (int i = low; i <= high; ++i) {
    Variant element = Value.GetElement({i});
    TVarType type = element.VarType();
    if ((type & varArray) || type == varDispatch || type == varUnknown)
      throw ERequestRefused(AnsiString(What) + " refused: value " + std::to_string(i - low + 1) +
                            " is not a plain value");
    out.push_back(VarToStr(element));
  }
  return out;
}

TCountRequest ParseCountRequest(const Variant& Params, const AnsiString& CompanyDb, unsigned CodePage) {
  const char* what = "The print count update";
  std::vector<AnsiString> parts = ParseValueArray(Params, 3, what);
  TShapeReader table(parts[0], CodePage, what);
  table.Table({"ASTTC"}, CompanyDb);
  table.End();

  TCountRequest request;
  AnsiString column = Trim(parts[1]);
  if (SameText(column, "TC016"))
    request.Column = "TC016";
  else if (SameText(column, "TC033"))
    request.Column = "TC033";
  else
    throw ERequestRefused(AnsiString(what) + " refused: \"" + column +
                          "\" is not a count column (TC016 print count, TC033 send count)");

  TShapeReader condition(parts[2], CodePage, what);
  condition.Word("TC001");
  condition.Symbol("=");
  request.VoucherType = condition.Literal("TC001");
  condition.Word("AND");
  condition.Word("TC002");
  condition.Symbol("=");
  request.VoucherNumber = condition.Literal("TC002");
  condition.End();
  Checked(what, [&] {
    CheckColumnValue("ASTTC", "TC001", request.VoucherType, CodePage);
    CheckColumnValue("ASTTC", "TC002", request.VoucherNumber, CodePage);
  });
  return request;
}

const std::vector<AnsiString>& SendLogColumns() {
  static const std::vector<AnsiString> columns = {"COMPANY", "CREATOR", "USR_GROUP", "CREATE_DATE",
                                                  "FLAG",    "TA001",   "TA002",     "TA003",
                                                  "TA004",   "TA005",   "TA006"};
  return columns;
}

TFreeStatement ParseFreeStatement(const AnsiString& Sql, const AnsiString& CompanyDb, unsigned CodePage) {
  const char* what = "The statement";
  TShapeReader reader(Sql, CodePage, what);
  TFreeStatement statement;
  const TSqlToken* first = reader.Peek();
  if (first && first->IsWord("SELECT")) {
    statement.Kind = TFreeStatement::SignOffLookup;
    reader.Word("SELECT");
    reader.Symbol("*");
    reader.Word("FROM");
    statement.Table = reader.Table({"ADMMQ", "SGSMC"}, CompanyDb);
    AnsiString key = statement.Table == "ADMMQ" ? "MQ002" : "MC002";
    reader.Word("WHERE");
    reader.Word(key.c_str());
    reader.Symbol("=");
    statement.Columns = {key};
    statement.Values = {reader.Literal(key)};
    reader.End();
  } else if (first && first->IsWord("INSERT")) {
    statement.Kind = TFreeStatement::SendLogInsert;
    reader.Word("INSERT");
    reader.Word("INTO");
    statement.Table = reader.Table({"ADMTA"}, CompanyDb);
    reader.Symbol("(");
    const std::vector<AnsiString>& columns = SendLogColumns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (i) reader.Symbol(",");
      reader.Word(columns[i].c_str());
    }
    reader.Symbol(")");
    reader.Word("VALUES");
    reader.Symbol("(");
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (i) reader.Symbol(",");
      statement.Values.push_back(reader.Literal(columns[i]));
    }
    reader.Symbol(")");
    reader.End();
    statement.Columns = columns;
  } else {
    reader.Refuse("only the sign-off lookups on ADMMQ and SGSMC and the send-log record of ADMTA are accepted, "
                  "not a statement starting with " + reader.Seen());
  }
  Checked(what, [&] {
    for (std::size_t i = 0; i < statement.Values.size(); ++i)
      CheckColumnValue(statement.Table, statement.Columns[i], statement.Values[i], CodePage);
  });
  return statement;
}
