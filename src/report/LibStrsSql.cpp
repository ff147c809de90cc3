#include "src/report/LibStrsSql.h"

#include <optional>
#include <vector>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/Variant.h"

namespace {

const AnsiString kRangeMark(1, '\x04');
const AnsiString kListMark(1, '\x05');

// Element I of a one-dimensional array; Empty when V is not such an array or
// I lies outside its bounds, so that a short array only lacks bounds.
Variant ElementOr(const Variant& V, int I) {
  if (!VarIsArray(V) || VarArrayDimCount(V) != 1) return Variant();
  if (I < VarArrayLowBound(V, 1) || I > VarArrayHighBound(V, 1)) return Variant();
  return V.GetElement({I});
}

// The text of a bound; nothing for Empty, Null, arrays, references and
// values that do not convert.
std::optional<AnsiString> TextOf(const Variant& V) {
  if (VarIsEmpty(V) || VarIsNull(V) || VarIsArray(V)) return std::nullopt;
  const TVarType type = VarType(V) & varTypeMask;
  if (type == varDispatch || type == varUnknown || type == varError) return std::nullopt;
  try {
    AnsiString s = VarToStr(V);
    if (s.empty()) return std::nullopt;
    return s;
  } catch (const Exception&) {
    return std::nullopt;
  }
}

// A plain decimal number: optional sign, digits, optional fraction.
bool IsNumberLiteral(const AnsiString& S) {
  size_t i = 0;
  if (i < S.size() && (S[i] == '-' || S[i] == '+')) ++i;
  size_t digits = 0;
  while (i < S.size() && S[i] >= '0' && S[i] <= '9') ++i, ++digits;
  if (i < S.size() && S[i] == '.') {
    ++i;
    while (i < S.size() && S[i] >= '0' && S[i] <= '9') ++i, ++digits;
  }
  return digits > 0 && i == S.size();
}

// A literal bound is written into the statement as it is, so only a number
// may pass; a text that is anything else counts as absent.
std::optional<AnsiString> LiteralOf(const Variant& V) {
  std::optional<AnsiString> s = TextOf(V);
  if (!s) return std::nullopt;
  AnsiString trimmed = Trim(*s);
  if (!IsNumberLiteral(trimmed)) return std::nullopt;
  return trimmed;
}

AnsiString RangeCondition(const AnsiString& F, const Variant& Lower, const Variant& Upper,
                          int Kind) {
  const bool quoted = Kind == ckText;
  std::optional<AnsiString> lo = quoted ? TextOf(Lower) : LiteralOf(Lower);
  std::optional<AnsiString> hi = quoted ? TextOf(Upper) : LiteralOf(Upper);
  auto q = [quoted](const AnsiString& S) { return quoted ? QuotedStr(S) : S; };
  const char* ge = quoted ? ">= " : ">=";
  const char* le = quoted ? "<= " : "<=";
  if (lo && hi) {
    if (*lo == *hi) return " (" + F + "=" + q(*lo) + ") ";
    return " (" + F + " Between " + q(*lo) + " and " + q(*hi) + ") ";
  }
  if (lo) return " (" + F + ge + q(*lo) + ")";
  if (hi) return " (" + F + le + q(*hi) + " OR " + F + " IS NULL )";
  return AnsiString();
}

AnsiString ListCondition(const AnsiString& F, const Variant& List) {
  AnsiString items;
  const int high = VarArrayHighBound(List, 1);
  for (int i = VarArrayLowBound(List, 1) + 1; i <= high; ++i) {
    Variant item = List.GetElement({i});
    if (VarIsArray(item)) item = ElementOr(item, 0);
    std::optional<AnsiString> text = TextOf(item);
    if (!text) continue;
    if (!items.empty()) items += ", ";
    items += QuotedStr(*text);
  }
  if (items.empty()) return AnsiString();
  return "(" + F + " IN (" + items + "))";
}

bool IsMark(const Variant& First, const AnsiString& Mark) {
  std::optional<AnsiString> text = TextOf(First);
  return text && *text == Mark;
}

}  // namespace

AnsiString AddCondition(AnsiString& Where, const AnsiString& Field, const Variant& Value,
                        int Kind) {
  AnsiString condition;
  if (Kind != ckText && Kind != ckLiteral && Kind != ckLiteral2) return condition;

  if (VarIsArray(Value)) {
    if (VarArrayDimCount(Value) != 1) return condition;
    const int low = VarArrayLowBound(Value, 1);
    const Variant first = ElementOr(Value, low);
    if (IsMark(first, kListMark))
      condition = ListCondition(Field, Value);
    else if (IsMark(first, kRangeMark))
      condition = RangeCondition(Field, ElementOr(Value, low + 1), ElementOr(Value, low + 2), Kind);
    else
      condition = RangeCondition(Field, first, ElementOr(Value, low + 1), Kind);
  } else {
    condition = RangeCondition(Field, Value, Variant(), Kind);
  }

  if (!condition.empty()) Where = Where.empty() ? "Where " + condition : Where + " and " + condition;
  return condition;
}

// ---------------------------------------------------------------------------

namespace {

// The next word of S from Pos (words are separated by single blanks); Pos
// moves past the word and its blank.
AnsiString NextWord(const AnsiString& S, size_t& Pos) {
  if (Pos >= S.size()) return AnsiString();
  const size_t blank = S.find(' ', Pos);
  AnsiString word = S.substr(Pos, blank == AnsiString::npos ? AnsiString::npos : blank - Pos);
  Pos = blank == AnsiString::npos ? S.size() : blank + 1;
  return word;
}

bool EndsAliasSearch(const AnsiString& Word) {
  if (Word.empty()) return true;
  const AnsiString upper = UpperCase(Word);
  return upper == "LEFT" || upper == "RIGHT" || upper == "INNER" || upper == "WHERE" ||
         upper == "ON" || upper.starts_with("WITH");
}

bool IsIdentChar(char C) {
  return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') ||
         C == '_';
}

// Position just after the next occurrence of Name in T from From that is not
// the start of a longer name ("$$PURMA" is no occurrence in "$$PURMAX").
size_t FindTable(const AnsiString& T, const AnsiString& Name, size_t From) {
  for (size_t at = T.find(Name, From); at != AnsiString::npos; at = T.find(Name, at + 1)) {
    const size_t end = at + Name.size();
    if (end == T.size() || !IsIdentChar(T[end])) return end;
  }
  return AnsiString::npos;
}

}  // namespace

AnsiString FindTableAlias(const AnsiString& TableName, const AnsiString& Rest) {
  const AnsiString text = Trim(Rest);
  size_t pos = 0;
  const AnsiString w1 = NextWord(text, pos);
  if (UpperCase(w1) == "AS" && pos < text.size()) {
    const AnsiString alias = Trim(NextWord(text, pos));
    return alias.empty() ? TableName : alias;
  }
  if (EndsAliasSearch(w1)) return TableName;
  const AnsiString w2 = NextWord(text, pos);
  return EndsAliasSearch(w2) ? UpperCase(w1) : TableName;
}

AnsiString BuildTableRightsFilter(const Variant& Rights, const AnsiString& DatabaseName,
                                  const AnsiString& FromText, const AnsiString& ExcludedAliases) {
  if (!VarIsArray(Rights) || VarArrayDimCount(Rights) != 1) return AnsiString();
  int count = 0;
  try {
    count = ElementOr(Rights, 0).AsInteger();
  } catch (const Exception&) {
    return AnsiString();
  }
  if (count > VarArrayHighBound(Rights, 1)) count = VarArrayHighBound(Rights, 1);

  const AnsiString from = Trim(StringReplace(FromText, "\r\n", " ", {rfReplaceAll}));
  AnsiString prefix = "$$";
  if (from.find("$$") == AnsiString::npos) {
    prefix = DatabaseName;
    if (!prefix.ends_with("..")) prefix += "..";
  }
  const AnsiString excluded = ";" + UpperCase(ExcludedAliases) + ";";

  AnsiString result;
  for (int i = 1; i <= count; ++i) {
    std::optional<AnsiString> entry = TextOf(ElementOr(Rights, i));
    if (!entry) continue;
    const size_t blank = entry->find(' ');
    const AnsiString table = entry->substr(0, blank);
    const AnsiString condition = blank == AnsiString::npos ? AnsiString() : entry->substr(blank + 1);
    // An entry without a table or without a condition restricts nothing; its
    // term would only make the statement invalid.
    if (table.empty() || Trim(condition).empty()) continue;
    const AnsiString wrapped = " ( " + condition + " ) ";

    const AnsiString name = prefix + table;
    for (size_t at = FindTable(from, name, 0); at != AnsiString::npos;
         at = FindTable(from, name, at)) {
      const AnsiString alias = FindTableAlias(table, from.substr(at));
      if (excluded.find(";" + UpperCase(alias) + ";") != AnsiString::npos) continue;
      AnsiString body = wrapped;
      if (!SameText(table, alias))
        body = StringReplace(body, table + ".", alias + ".", {rfReplaceAll});
      body = Trim(body);
      const AnsiString nullTest = "(" + alias + "." + RightStr(table, 2) + "001 is null)";
      result += "(" + body + " or " + nullTest + ") and ";
    }
  }
  if (!result.empty()) result.erase(result.size() - 5);
  return result;
}
