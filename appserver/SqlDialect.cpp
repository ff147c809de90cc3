#include "appserver/SqlDialect.h"

#include <cstring>

#include "appserver/AppServerErrors.h"
#include "appserver/Schema.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"

namespace {

bool IsSpaceByte(unsigned char C) { return C <= ' '; }
bool IsDigit(unsigned char C) { return C >= '0' && C <= '9'; }
bool IsWordStart(unsigned char C) {
  return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_' || C == '$' || C == '#' ||
         C == '@' || C >= 0x80;
}
bool IsWordByte(unsigned char C) { return IsWordStart(C) || IsDigit(C); }

bool SameWord(const AnsiString& A, const char* B) {
  std::size_t n = std::strlen(B);
  if (A.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char a = static_cast<unsigned char>(A[i]), b = static_cast<unsigned char>(B[i]);
    if (a >= 'a' && a <= 'z') a -= 32;
    if (b >= 'a' && b <= 'z') b -= 32;
    if (a != b) return false;
  }
  return true;
}

// Bytes taken by the character at I: two for a lead byte of a double-byte
// code page followed by a trail byte. A byte below 0x40 is never a trail
// byte (GBK and Big5 agree, and so does the code-page converter), so a stray
// lead byte cannot swallow the quote that follows it.
std::size_t CharBytes(const AnsiString& S, std::size_t I, unsigned CodePage) {
  unsigned char c = static_cast<unsigned char>(S[I]);
  if (c >= 0x80 && I + 1 < S.size() && static_cast<unsigned char>(S[I + 1]) >= 0x40 &&
      IsDBCSLeadByte(c, CodePage))
    return 2;
  return 1;
}

bool IsSimpleName(const AnsiString& S) {
  if (S.empty() || !IsWordStart(static_cast<unsigned char>(S[0])) || S[0] == '$') return false;
  for (char c : S)
    if (!IsWordByte(static_cast<unsigned char>(c)) || c == '$') return false;
  return true;
}

// Index of the next significant token after I, or Tokens.size().
std::size_t NextSignificant(const std::vector<TSqlToken>& Tokens, std::size_t I) {
  for (++I; I < Tokens.size(); ++I)
    if (Tokens[I].IsSignificant()) return I;
  return Tokens.size();
}
std::size_t PrevSignificant(const std::vector<TSqlToken>& Tokens, std::size_t I) {
  while (I > 0) {
    --I;
    if (Tokens[I].IsSignificant()) return I;
  }
  return Tokens.size();
}

const char* const kLockHints[] = {"NOLOCK", "READPAST", "ROWLOCK", "UPDLOCK", "HOLDLOCK", "READUNCOMMITTED",
                                  "PAGLOCK", "TABLOCK", "TABLOCKX", "XLOCK", "READCOMMITTED", "REPEATABLEREAD",
                                  "SERIALIZABLE", "NOWAIT"};

bool IsLockHint(const TSqlToken& T) {
  if (T.Kind != TSqlTokenKind::Word) return false;
  for (const char* hint : kLockHints)
    if (T.IsWord(hint)) return true;
  return false;
}

}  // namespace

bool TSqlToken::IsWord(const char* Keyword) const {
  return Kind == TSqlTokenKind::Word && SameWord(Text, Keyword);
}

std::vector<TSqlToken> TokenizeSql(const AnsiString& Sql, unsigned CodePage) {
  std::vector<TSqlToken> out;
  const std::size_t n = Sql.size();
  std::size_t i = 0;
  auto add = [&](TSqlTokenKind kind, std::size_t start) {
    out.push_back({kind, Sql.substr(start, i - start)});
  };
  // Reads a quoted part that starts at i (the opening quote) and ends with
  // Close; a doubled Close inside stands for one.
  auto quoted = [&](char Close, const char* What) {
    std::size_t start = i;
    ++i;
    for (;;) {
      if (i >= n) throw ERequestRefused(AnsiString("The statement has a ") + What + " that is not closed");
      if (Sql[i] == Close) {
        if (i + 1 < n && Sql[i + 1] == Close) {
          i += 2;
          continue;
        }
        ++i;
        return start;
      }
      i += CharBytes(Sql, i, CodePage);
    }
  };
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(Sql[i]);
    std::size_t start = i;
    if (IsSpaceByte(c)) {
      while (i < n && IsSpaceByte(static_cast<unsigned char>(Sql[i]))) ++i;
      add(TSqlTokenKind::Space, start);
    } else if (c == '-' && i + 1 < n && Sql[i + 1] == '-') {
      while (i < n && Sql[i] != '\n') i += CharBytes(Sql, i, CodePage);
      add(TSqlTokenKind::Comment, start);
    } else if (c == '/' && i + 1 < n && Sql[i + 1] == '*') {
      i += 2;
      for (;;) {
        if (i + 1 >= n) throw ERequestRefused("The statement has a comment that is not closed");
        if (Sql[i] == '*' && Sql[i + 1] == '/') {
          i += 2;
          break;
        }
        i += CharBytes(Sql, i, CodePage);
      }
      add(TSqlTokenKind::Comment, start);
    } else if (c == '\'') {
      quoted('\'', "quoted text");
      add(TSqlTokenKind::Literal, start);
    } else if ((c == 'N' || c == 'n') && i + 1 < n && Sql[i + 1] == '\'') {
      ++i;
      quoted('\'', "quoted text");
      add(TSqlTokenKind::Literal, start);
    } else if (c == '"') {
      quoted('"', "quoted name");
      add(TSqlTokenKind::QuotedName, start);
    } else if (c == '[') {
      quoted(']', "bracketed name");
      add(TSqlTokenKind::QuotedName, start);
    } else if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(static_cast<unsigned char>(Sql[i + 1])))) {
      while (i < n && IsDigit(static_cast<unsigned char>(Sql[i]))) ++i;
      if (i < n && Sql[i] == '.') {
        ++i;
        while (i < n && IsDigit(static_cast<unsigned char>(Sql[i]))) ++i;
      }
      if (i < n && (Sql[i] == 'e' || Sql[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < n && (Sql[j] == '+' || Sql[j] == '-')) ++j;
        if (j < n && IsDigit(static_cast<unsigned char>(Sql[j]))) {
          i = j;
          while (i < n && IsDigit(static_cast<unsigned char>(Sql[i]))) ++i;
        }
      }
      add(TSqlTokenKind::Number, start);
    } else if (IsWordStart(c)) {
      while (i < n && IsWordByte(static_cast<unsigned char>(Sql[i]))) i += CharBytes(Sql, i, CodePage);
      add(TSqlTokenKind::Word, start);
    } else if (c == '?') {
      ++i;
      add(TSqlTokenKind::Parameter, start);
    } else {
      static const char* const kPairs[] = {"<=", ">=", "<>", "!=", "||", "::", "==", "!<", "!>"};
      ++i;
      if (i < n)
        for (const char* pair : kPairs)
          if (Sql[start] == pair[0] && Sql[i] == pair[1]) {
            ++i;
            break;
          }
      add(TSqlTokenKind::Symbol, start);
    }
  }
  return out;
}

std::vector<TSqlToken> SignificantTokens(const std::vector<TSqlToken>& Tokens) {
  std::vector<TSqlToken> out;
  for (const TSqlToken& t : Tokens)
    if (t.IsSignificant()) out.push_back(t);
  return out;
}

AnsiString LiteralValue(const TSqlToken& Token) {
  const AnsiString& s = Token.Text;
  std::size_t start = (!s.empty() && s[0] != '\'') ? 2 : 1;  // N'...'
  AnsiString out;
  if (s.size() < start + 1) return out;
  for (std::size_t i = start; i + 1 < s.size(); ++i) {
    out += s[i];
    if (s[i] == '\'') ++i;  // the doubled quote stands for one
  }
  return out;
}

AnsiString QuoteSqlLiteral(const AnsiString& S) {
  AnsiString out = "'";
  for (char c : S) {
    out += c;
    if (c == '\'') out += '\'';
  }
  out += '\'';
  return out;
}

void RequireSingleSelect(const std::vector<TSqlToken>& Tokens) {
  std::vector<TSqlToken> sig = SignificantTokens(Tokens);
  if (sig.empty()) throw ERequestRefused("The statement is empty");
  if (!sig[0].IsWord("SELECT"))
    throw ERequestRefused("Only SELECT statements are accepted here, not \"" + sig[0].Text + "\"");
  for (std::size_t i = 0; i < sig.size(); ++i)
    if (sig[i].IsSymbol(";") && i + 1 != sig.size())
      throw ERequestRefused("Only one statement is accepted; the text goes on after \";\"");
}

TSqlTranslator::TSqlTranslator(TSqlDialect Dialect, unsigned CodePage, TDatabaseResolver Resolver)
    : FDialect(Dialect), FCodePage(CodePage), FResolver(std::move(Resolver)) {}

AnsiString TSqlTranslator::Translate(const AnsiString& Sql) const {
  return Translate(TokenizeSql(Sql, FCodePage));
}

bool TSqlTranslator::TranslateCatalogueQuery(const std::vector<TSqlToken>& Tokens, AnsiString& Result) const {
  // select col.length from syscolumns col inner join sysobjects obj
  //   on obj.id=col.id where obj.name = 'T' AND col.name ='C'
  static const char* const kShape[] = {
      "select", "col", ".",   "length", "from", "syscolumns", "col", "inner", "join", "sysobjects",
      "obj",    "on",  "obj", ".",      "id",   "=",          "col", ".",     "id",   "where",
      "obj",    ".",   "name", "=",     "'",    "and",        "col", ".",     "name", "=",
      "'"};
  std::vector<TSqlToken> sig = SignificantTokens(Tokens);
  if (!sig.empty() && sig.back().IsSymbol(";")) sig.pop_back();
  constexpr std::size_t kCount = sizeof(kShape) / sizeof(kShape[0]);
  if (sig.size() != kCount) return false;
  AnsiString table, column;
  for (std::size_t i = 0; i < kCount; ++i) {
    const TSqlToken& t = sig[i];
    if (std::strcmp(kShape[i], "'") == 0) {
      if (t.Kind != TSqlTokenKind::Literal) return false;
      (i == 24 ? table : column) = LiteralValue(t);
    } else if (t.Kind == TSqlTokenKind::Symbol) {
      if (t.Text != kShape[i]) return false;
    } else if (!(t.Kind == TSqlTokenKind::Word && SameWord(t.Text, kShape[i]))) {
      return false;
    }
  }
  if (FDialect == TSqlDialect::SQLite) {
    Result =
        "SELECT CAST(CASE WHEN instr(type, '(') > 0 THEN substr(type, instr(type, '(') + 1, "
        "instr(type, ')') - instr(type, '(') - 1) END AS INTEGER) AS length FROM pragma_table_info(" +
        QuoteSqlLiteral(table) + ") WHERE upper(name) = upper(" + QuoteSqlLiteral(column) + ")";
  } else {
    Result =
        "SELECT character_maximum_length AS length FROM information_schema.columns "
        "WHERE table_schema = current_schema() AND table_name = lower(" +
        QuoteSqlLiteral(table) + ") AND column_name = lower(" + QuoteSqlLiteral(column) + ")";
  }
  return true;
}

AnsiString TSqlTranslator::Translate(const std::vector<TSqlToken>& Tokens) const {
  AnsiString catalogue;
  if (TranslateCatalogueQuery(Tokens, catalogue)) return catalogue;

  std::vector<TSqlToken> t = Tokens;
  const std::size_t n = t.size();
  auto drop = [&](std::size_t i) {
    t[i].Kind = TSqlTokenKind::Space;
    t[i].Text.clear();
  };

  // The LIMIT that each open parenthesis level owes at its end ("TOP n").
  std::vector<AnsiString> limits(1);
  std::vector<AnsiString> suffix(n + 1);  // text to put before token i

  for (std::size_t i = 0; i < n; ++i) {
    TSqlToken& tok = t[i];
    switch (tok.Kind) {
      case TSqlTokenKind::Word: {
        if (tok.Text.size() > 2 && tok.Text[0] == '$' && tok.Text[1] == '$') {
          tok.Text = tok.Text.substr(2);
          break;
        }
        std::size_t next = NextSignificant(t, i);
        // DB..TABLE and DB.dbo.TABLE, written without blanks
        if (i + 3 < n && t[i + 1].IsSymbol(".") && t[i + 2].IsSymbol(".") &&
            t[i + 3].Kind == TSqlTokenKind::Word) {
          AnsiString qualifier = FResolver(tok.Text);
          tok.Text = qualifier + t[i + 3].Text;
          drop(i + 1), drop(i + 2), drop(i + 3);
          i += 3;
          break;
        }
        if (i + 4 < n && t[i + 1].IsSymbol(".") && t[i + 2].IsWord("dbo") && t[i + 3].IsSymbol(".") &&
            t[i + 4].Kind == TSqlTokenKind::Word) {
          AnsiString qualifier = FResolver(tok.Text);
          tok.Text = qualifier + t[i + 4].Text;
          for (std::size_t k = 1; k <= 4; ++k) drop(i + k);
          i += 4;
          break;
        }
        bool call = next < n && t[next].IsSymbol("(");
        if (call && tok.IsWord("ISNULL")) {
          tok.Text = "COALESCE";
        } else if (call && tok.IsWord("LEN")) {
          tok.Text = "LENGTH";
        } else if (call && tok.IsWord("GETDATE")) {
          std::size_t close = NextSignificant(t, next);
          if (close < n && t[close].IsSymbol(")")) {
            tok.Text = "CURRENT_TIMESTAMP";
            for (std::size_t k = i + 1; k <= close; ++k) drop(k);
            i = close;
          }
        } else if (call && tok.IsWord("WITH")) {
          // Table hints: WITH (NOLOCK), WITH (NOLOCK, READPAST)
          std::size_t k = NextSignificant(t, next);
          bool hints = k < n && IsLockHint(t[k]);
          while (hints) {
            k = NextSignificant(t, k);
            if (k < n && t[k].IsSymbol(")")) break;
            if (k < n && t[k].IsSymbol(",")) {
              k = NextSignificant(t, k);
              hints = k < n && IsLockHint(t[k]);
            } else {
              hints = false;
            }
          }
          if (hints) {
            for (std::size_t d = i; d <= k; ++d) drop(d);
            i = k;
          }
        } else if (tok.IsWord("TOP")) {
          std::size_t prev = PrevSignificant(t, i);
          bool afterSelect = prev < n && (t[prev].IsWord("SELECT") || t[prev].IsWord("DISTINCT") ||
                                          t[prev].IsWord("ALL"));
          if (afterSelect && next < n) {
            std::size_t last = next;
            AnsiString count;
            if (t[next].Kind == TSqlTokenKind::Number) {
              count = t[next].Text;
            } else if (t[next].IsSymbol("(")) {
              std::size_t num = NextSignificant(t, next);
              std::size_t close = NextSignificant(t, num);
              if (num < n && t[num].Kind == TSqlTokenKind::Number && close < n && t[close].IsSymbol(")")) {
                count = t[num].Text;
                last = close;
              }
            }
            std::size_t after = NextSignificant(t, last);
            if (!count.empty() && !(after < n && (t[after].IsWord("PERCENT") || t[after].IsWord("WITH")))) {
              for (std::size_t d = i; d <= last; ++d) drop(d);
              limits.back() = " LIMIT " + count;
              i = last;
            }
          }
        }
        break;
      }
      case TSqlTokenKind::Literal:
        if (tok.Text[0] != '\'') tok.Text = tok.Text.substr(1);
        break;
      case TSqlTokenKind::QuotedName:
        if (tok.Text[0] == '[') {
          AnsiString name = tok.Text.substr(1, tok.Text.size() - 2);
          tok.Text = IsSimpleName(name) ? name : "\"" + StringReplace(name, "\"", "\"\"", {rfReplaceAll}) + "\"";
        }
        break;
      case TSqlTokenKind::Symbol:
        if (tok.Text == "(") {
          limits.emplace_back();
        } else if (tok.Text == ")") {
          if (limits.size() > 1) {
            suffix[i] += limits.back();
            limits.pop_back();
          }
        } else if (tok.Text == "+") {
          // Text concatenation: a quoted literal or a text column on either
          // side ("TC001+TC002", "ASTTC.TC001 + '-'").
          std::size_t prev = PrevSignificant(t, i), next = NextSignificant(t, i);
          if (next < n && t[next].Kind == TSqlTokenKind::Word) {
            std::size_t dot = NextSignificant(t, next), name = NextSignificant(t, dot);
            if (dot < n && t[dot].IsSymbol(".") && name < n && t[name].Kind == TSqlTokenKind::Word) next = name;
          }
          auto text = [&](std::size_t k) {
            return k < n && (t[k].Kind == TSqlTokenKind::Literal ||
                             (t[k].Kind == TSqlTokenKind::Word && IsTextColumnName(t[k].Text)));
          };
          if (text(prev) || text(next)) tok.Text = "||";
        }
        break;
      default:
        break;
    }
  }
  // The outermost SELECT's LIMIT goes before a closing ";" and trailing blanks.
  if (!limits.empty() && !limits.front().empty()) {
    std::size_t end = n;
    for (std::size_t k = n; k > 0; --k) {
      if (!t[k - 1].IsSignificant()) continue;
      end = t[k - 1].IsSymbol(";") ? k - 1 : k;
      break;
    }
    suffix[end] += limits.front();
  }
  AnsiString out;
  for (std::size_t i = 0; i < n; ++i) {
    out += suffix[i];
    out += t[i].Text;
  }
  out += suffix[n];
  return out;
}

AnsiString NumberPlaceholders(const AnsiString& Sql, unsigned CodePage, int& Count) {
  Count = 0;
  AnsiString out;
  for (const TSqlToken& t : TokenizeSql(Sql, CodePage)) {
    if (t.Kind == TSqlTokenKind::Parameter)
      out += "$" + std::to_string(++Count);
    else
      out += t.Text;
  }
  return out;
}
