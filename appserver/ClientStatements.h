#pragma once
// The statements and value arrays that clients send to the operations that
// write or look up single records. Each is accepted only in the exact shape
// its operation is for; the values are taken out so that they can be bound
// as parameters, and anything else (another table or column, an extra
// condition, a comment, a second statement, a value that is not a plain
// quoted text) is refused with ERequestRefused naming what was wrong.
//
// Table names may be written "$$TABLE" or "DB..TABLE" with DB the company
// database of the session; keywords and names compare ignoring case, blanks
// between tokens do not matter.

#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Variant.h"

// A print or send count: [table, column, condition] with the table "$$ASTTC",
// the column TC016 (print count) or TC033 (send count) and the condition
// "TC001='<voucher type>' and TC002='<voucher number>'".
struct TCountRequest {
  AnsiString Column;
  AnsiString VoucherType;
  AnsiString VoucherNumber;
};
TCountRequest ParseCountRequest(const Variant& Params, const AnsiString& CompanyDb, unsigned CodePage);

// A statement of the free-statement call: the sign-off lookups
// "SELECT * FROM $$ADMMQ WHERE MQ002='<code>'" and
// "SELECT * FROM $$SGSMC WHERE MC002='<code>'", or the send-log record
// "INSERT INTO $$ADMTA (COMPANY,CREATOR,USR_GROUP,CREATE_DATE,FLAG,TA001,
// TA002,TA003,TA004,TA005,TA006) VALUES('..', ... eleven texts)".
struct TFreeStatement {
  enum TKind { SignOffLookup, SendLogInsert } Kind;
  AnsiString Table;                // "ADMMQ", "SGSMC" or "ADMTA"
  std::vector<AnsiString> Columns;  // the lookup's key column, or the eleven insert columns
  std::vector<AnsiString> Values;   // the code, or the eleven values
};
TFreeStatement ParseFreeStatement(const AnsiString& Sql, const AnsiString& CompanyDb, unsigned CodePage);

// The columns of the send-log record, in the order the statement lists them.
const std::vector<AnsiString>& SendLogColumns();

// The elements of a one-dimensional array of Count plain values (texts,
// numbers, booleans), as texts; raises ERequestRefused naming What when the
// value is not such an array.
std::vector<AnsiString> ParseValueArray(const Variant& Value, int Count, const char* What);

// Raises ERequestRefused when the text is longer than the column allows
// (counting characters, as the databases do) or holds a control character
// other than tab, CR and LF. Table and column name the column in the schema.
void CheckColumnValue(const AnsiString& Table, const AnsiString& Column, const AnsiString& Value,
                      unsigned CodePage);
