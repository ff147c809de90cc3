#pragma once
// The tables of a company database, described once; the SQL that creates
// them is generated from this description for each backend.
//
// Column types: codes and names are VARCHAR(n), dates "yyyymmdd" text
// (VARCHAR(8)), months "yyyymm", amounts NUMERIC(18,4), rates NUMERIC(12,4),
// counts INTEGER, long texts TEXT. Every business table also has the
// standard columns COMPANY, CREATOR, USR_GROUP, CREATE_DATE, MODIFIER,
// MODI_DATE and FLAG.

#include <string>
#include <vector>

#include "appserver/SqlDialect.h"
#include "platform/rtl/AnsiStrings.h"

enum class TColumnType { Text, Memo, Integer, Amount, Rate };

struct TColumnDef {
  AnsiString Name;
  TColumnType Type = TColumnType::Text;
  int Size = 0;             // characters of a Text column
  std::string Caption;      // the column's Chinese caption (UTF-8)
};

struct TTableDef {
  AnsiString Name;
  std::string Caption;  // UTF-8
  std::vector<TColumnDef> Columns;
  std::vector<AnsiString> PrimaryKey;
  std::vector<std::vector<AnsiString>> Indexes;

  // The column (ignoring case) or nullptr.
  const TColumnDef* FindColumn(const AnsiString& Name) const;
};

// Every table of a company database.
const std::vector<TTableDef>& CompanySchema();
// The table (ignoring case) or nullptr.
const TTableDef* FindTable(const AnsiString& Name);
// True when Name is a text column wherever a table has a column of that
// name (TC001, MB002, CREATOR ...): "+" between such columns joins texts.
bool IsTextColumnName(const AnsiString& Name);
// The column's type in SQL: VARCHAR(20), NUMERIC(18,4), INTEGER, TEXT.
AnsiString ColumnTypeSql(const TColumnDef& Column);
// The script that creates every table and index (UTF-8, with each column's
// caption as a comment). The same statements run on both backends; the
// dialect is taken so that one can differ without changing callers.
std::string SchemaSql(TSqlDialect Dialect);
