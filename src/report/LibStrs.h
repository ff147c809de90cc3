#pragma once
// The plug-in's shared free functions: separator-delimited tokens, padding and
// replacement, a tolerant float comparison, small Variant helpers, the alert
// log, the client's install folder, re-decoding of texts in a code page and
// the Chinese captions of message-box buttons. The SQL half lives in
// LibStrsSql.h and the date half in LibStrsDates.h; both come with this header.
//
// Texts are ANSI byte strings; none of these functions keeps state.

#include <cstdint>

#include "platform/rtl/AnsiStrings.h"
#include "src/report/LibStrsDates.h"
#include "src/report/LibStrsSql.h"

class Variant;

// ---- Separator-delimited texts (fields count from 1) -------------------------

// The N-th field of S; empty when S has fewer than N fields (or N < 1).
AnsiString GetToken(const AnsiString& S, const AnsiString& Separator, int N);
// 0 for an empty text, otherwise the number of separators + 1.
int TokenCount(const AnsiString& S, const AnsiString& Separator);
// Returns the part before the first separator and leaves the part after it in
// S; without a separator returns the whole of S and empties it.
AnsiString SplitFirst(AnsiString& S, const AnsiString& Separator);

// ---- Padding and replacement ------------------------------------------------

// Pad characters in front up to Width bytes; a text as wide or wider is kept.
AnsiString PadLeftStr(const AnsiString& S, int Width, char Pad = ' ');
// Decimal, zero-padded to at least Width digits (the sign is not a digit).
AnsiString ZeroPadInt(int Width, int64_t Value);
// Replaces every occurrence of Old by New, again from the start after each
// replacement so that replacements cascade ("\\\\\\" with "\\\\" -> "\\" gives
// one backslash). When New contains Old a single left-to-right pass is made
// so the call always ends; when Old and New are equal ignoring case nothing
// is replaced. TrimResult trims blanks from the result in every case.
AnsiString ReplaceAllText(const AnsiString& S, const AnsiString& Old, const AnsiString& New,
                          bool TrimResult);

// ---- Numbers ------------------------------------------------------------------

// -1, 0 or 1; both values are first rounded to 15 significant digits and are
// equal when they then differ by less than 1e-10 (0.1 + 0.2 equals 0.3).
int CompareFloat(double A, double B);
// The whole text read as a decimal number with "." as the decimal point
// whatever the locale; Default when it is not such a number.
double StrToFloatOr(const AnsiString& S, double Default);

// ---- Variants -------------------------------------------------------------------

// A copy of A when Flag is set, else of B.
Variant VarIIf(bool Flag, const Variant& A, const Variant& B);
// Unassigned or Null.
bool VarIsBlank(const Variant& V);
// Looks Name up (ignoring case) in a switch table: a two-dimensional array
// whose row 0 holds names and row 1 the Boolean values, one column per
// switch. True when the name is absent; false when the table is malformed or
// the value is not a Boolean.
bool LookupSwitch(const Variant& Table, const AnsiString& Name);
// Prefix, the count and the items, each followed by the character with code 3:
// Prefix #3 n #3 item1 #3 ... itemn #3. List is an array whose element 0 is the
// count n and elements 1..n the items; items past the array's end are not
// there, and a list that is not an array counts as empty.
WideString JoinVarList(const WideString& Prefix, const Variant& List);
WideString JoinVarList(const AnsiString& Prefix, const Variant& List);

// ---- Environment ---------------------------------------------------------------

// Only the exact text "127.0.0.1".
bool IsLocalHost(const AnsiString& Address);
// Appends "[yyyy/mm/dd hh:nn:ss:zzz] Text" to Log/Alert_<LogName>_<stamp>.log
// under the client install folder (or the executable's folder when none is
// configured), creating the folders. The stamp is the date for period "D"
// and any unknown period, yyyymm for "M", yyyy for "Y"; a LogName containing
// "." gets no ".log". False when the file cannot be created or written.
bool WriteAlertLog(const AnsiString& LogName, const AnsiString& Text,
                   const AnsiString& Period = "D");
// The folder the alert log is written to (without the trailing separator).
AnsiString AlertLogFolder();
// HKEY_LOCAL_MACHINE\Software\KWE\Tandril: "ClientPath", else "ServerPath";
// empty when neither is there.
AnsiString GetClientInstallPath();

// ---- Code pages -----------------------------------------------------------------

// S's bytes decoded in CodePage; when that gives no characters (an unknown
// code page), decoded in the system code page instead.
WideString AnsiToWideCP(const AnsiString& S, unsigned CodePage);
// Repairs texts decoded in the wrong code page: each text of V (a scalar, the
// wide-string elements of a one- or two-dimensional array, nested arrays of a
// one-dimensional array) is turned back into system-code-page bytes and
// decoded again in CodePage. Other values are kept; on an error the error is
// written to the "libstrs" alert log and an unconverted copy is returned.
Variant ConvertVarCodePage(const Variant& V, unsigned CodePage);

// ---- Captions -------------------------------------------------------------------

// The Chinese caption of a message-box button named in English ("Yes",
// "Cancel", ...; exact case); any other text comes back unchanged.
AnsiString ButtonCaption(const AnsiString& Name);
