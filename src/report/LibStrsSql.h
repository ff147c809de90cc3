#pragma once
// WHERE fragments built from condition values, and the host's per-table data
// rights injected behind a FROM text.
//
// A condition value is one Variant:
//   - a scalar: a range with only a lower bound;
//   - a two-element array [lower, upper];
//   - [#4, lower, upper]: a range marked by the character with code 4;
//   - [#5, item, item, ...]: a list; an item may be an array whose element 0
//     is the value.
// An empty or Null bound, or one that cannot be read, is absent.

#include "platform/rtl/AnsiStrings.h"

class Variant;

// The value kinds AddCondition takes.
constexpr int ckText = 1;      // bounds are quoted texts
constexpr int ckLiteral = 2;   // bounds are numbers written as they are
constexpr int ckLiteral2 = 3;  // the same as ckLiteral

// Builds the condition of Field for Value and appends it to Where ("Where "
// + condition when Where is empty, else Where + " and " + condition). Returns
// the condition alone, empty when none was made (Where is then unchanged):
//   equal bounds     " (F='a') "
//   both bounds      " (F Between 'a' and 'b') "
//   lower only       " (F>= 'a')"
//   upper only       " (F<= 'b' OR F IS NULL )"
//   list             "(F IN ('a', 'b'))"
// Text bounds and list items are quoted with every quote doubled. Literal
// bounds are trimmed and written without blanks after ">=" / "<="; a literal
// bound that is not a plain decimal number is absent, so that no text reaches
// the statement unquoted. Any other kind makes no condition.
AnsiString AddCondition(AnsiString& Where, const AnsiString& Field, const Variant& Value,
                        int Kind);

// One term per occurrence of each table of the rights list in FromText,
// joined by " and ":  "((<condition, table prefix replaced by the alias>)
// or (<alias>.<last two letters of the table>001 is null))", so that rows whose
// outer-joined row is missing are kept. Rights is [n, "TABLE condition", ...].
// Tables are looked for as "$$TABLE" when FromText holds "$$", else as
// "<DatabaseName>..TABLE". Aliases named in ExcludedAliases (";"-separated,
// any case) are left out. Empty when nothing applies.
AnsiString BuildTableRightsFilter(const Variant& Rights, const AnsiString& DatabaseName,
                                  const AnsiString& FromText,
                                  const AnsiString& ExcludedAliases = "");

// The alias of a table from the FROM text that follows its name: the word after
// "AS" (case kept); a single word before a join keyword, "WHERE", "ON", a
// "WITH" hint or the end, in upper case; otherwise the table name itself.
AnsiString FindTableAlias(const AnsiString& TableName, const AnsiString& Rest);
