#pragma once
// Statements as clients send them and as the backends run them.
//
// Clients write the join dialect of the report statements: table names with
// the "$$" prefix (the company database in use) or as "DB..TABLE", ISNULL(),
// "TOP n", table hints such as WITH (NOLOCK), N'...' literals and the
// catalogue query that asks for a column's declared length. The translator
// turns such a statement into the backend's SQL. It works on tokens, never on
// the raw text, so nothing inside a quoted literal or a comment is ever
// changed, and a lead byte of a double-byte character is never taken for a
// quote or a bracket.
//
// Texts are in the database code page (GBK by default); the code page is only
// used to keep double-byte characters whole.

#include <functional>
#include <vector>

#include "platform/rtl/AnsiStrings.h"

enum class TSqlDialect { SQLite, PostgreSQL };

enum class TSqlTokenKind {
  Space,       // blanks and control characters
  Comment,     // -- to the end of the line, or /* ... */
  Word,        // names and keywords, including "$$NAME" and "@var"
  Literal,     // '...' or N'...', quotes doubled inside
  QuotedName,  // "..." or [...]
  Number,      // 12, 3.5, 1e3
  Parameter,   // ?
  Symbol       // operators and punctuation: ( ) , . ; = <> <= >= || + - * / ...
};

struct TSqlToken {
  TSqlTokenKind Kind;
  AnsiString Text;  // exactly as written; the tokens joined give the statement back

  bool IsSignificant() const { return Kind != TSqlTokenKind::Space && Kind != TSqlTokenKind::Comment; }
  // A word equal to Keyword, ignoring ASCII case.
  bool IsWord(const char* Keyword) const;
  bool IsSymbol(const char* Symbol) const { return Kind == TSqlTokenKind::Symbol && Text == Symbol; }
};

// Splits a statement into tokens. Raises ERequestRefused for a literal, a
// quoted name or a block comment that is not closed.
std::vector<TSqlToken> TokenizeSql(const AnsiString& Sql, unsigned CodePage);
// The tokens without blanks and comments.
std::vector<TSqlToken> SignificantTokens(const std::vector<TSqlToken>& Tokens);

// The text of a literal token: 'O''Brien' gives O'Brien, N'x' gives x.
AnsiString LiteralValue(const TSqlToken& Token);
// 'S' with every quote doubled.
AnsiString QuoteSqlLiteral(const AnsiString& S);

// Raises ERequestRefused unless the tokens form exactly one SELECT statement
// (an optional ";" may end it).
void RequireSingleSelect(const std::vector<TSqlToken>& Tokens);

// Maps a database name written as "DB..TABLE" to the qualifier the backend
// puts in front of the table ("" for the company database in use, "name."
// for another one); raises ERequestRefused for a name it does not serve.
using TDatabaseResolver = std::function<AnsiString(const AnsiString& DatabaseName)>;

class TSqlTranslator {
 public:
  TSqlTranslator(TSqlDialect Dialect, unsigned CodePage, TDatabaseResolver Resolver);

  // The backend's form of a client statement:
  // - "$$NAME" becomes NAME (the company database in use), "DB..NAME" and
  //   "DB.dbo.NAME" the resolver's qualifier + NAME;
  // - ISNULL(a, b) becomes COALESCE(a, b), LEN( becomes LENGTH(, GETDATE()
  //   becomes CURRENT_TIMESTAMP;
  // - "SELECT TOP n" (or TOP (n)) becomes a LIMIT n at the end of that SELECT;
  // - "+" next to a quoted literal or a text column of the schema is string
  //   concatenation and becomes "||";
  // - WITH (NOLOCK) and the other locking hints are dropped;
  // - N'...' becomes '...', [name] becomes name;
  // - the catalogue query "select col.length from syscolumns col inner join
  //   sysobjects obj on obj.id=col.id where obj.name = 'T' AND col.name ='C'"
  //   becomes the backend's query for the declared length of column C of
  //   table T, answered in a column named "length".
  AnsiString Translate(const AnsiString& Sql) const;
  AnsiString Translate(const std::vector<TSqlToken>& Tokens) const;

  TSqlDialect Dialect() const { return FDialect; }

 private:
  bool TranslateCatalogueQuery(const std::vector<TSqlToken>& Tokens, AnsiString& Result) const;

  TSqlDialect FDialect;
  unsigned FCodePage;
  TDatabaseResolver FResolver;
};

// Replaces each "?" placeholder outside literals by $1, $2, ... (the
// PostgreSQL form) and counts them.
AnsiString NumberPlaceholders(const AnsiString& Sql, unsigned CodePage, int& Count);
