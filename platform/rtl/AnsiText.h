#pragma once
// String functions on ANSI texts, with the run-time's names and meanings.
//
// Indexes are 1-based byte positions, as in the run-time. Texts are in the
// process ANSI code page (GetACP); in a double-byte code page no function
// here splits a two-byte character or mistakes a trail byte for a character
// of its own: a trail byte such as 0x41 or 0x61 is never case-converted,
// matched, or taken as a delimiter.

#include <initializer_list>
#include <string_view>
#include <vector>

#include "platform/rtl/AnsiStrings.h"

// ---- Case ------------------------------------------------------------------

// Case conversion by the code page: accented letters in 1252,
// full-width and Greek or Cyrillic letters of GBK and Big5 change too. A
// character changes only when its other case exists in the code page with
// the same byte length, so byte positions stay valid.
AnsiString AnsiUpperCase(const AnsiString& S);
AnsiString AnsiLowerCase(const AnsiString& S);
// Only the ASCII letters a..z / A..Z change.
AnsiString UpperCase(const AnsiString& S);
AnsiString LowerCase(const AnsiString& S);

// ---- Comparison ------------------------------------------------------------

// Byte order; the result is the difference of the first differing bytes
// (unsigned) or of the lengths.
int CompareStr(const AnsiString& S1, const AnsiString& S2);
// Byte order with ASCII letters compared as upper case.
int CompareText(const AnsiString& S1, const AnsiString& S2);
bool SameText(const AnsiString& S1, const AnsiString& S2);

// Linguistic order of the process code page's locale (pinyin for 936, stroke
// order for 950, English otherwise): "a" < "B", lower case before upper case.
// Results are -1, 0 or 1; 0 only for equal texts (equal ignoring case for the
// Text forms).
int AnsiCompareStr(const AnsiString& S1, const AnsiString& S2);
int AnsiCompareText(const AnsiString& S1, const AnsiString& S2);
bool AnsiSameStr(const AnsiString& S1, const AnsiString& S2);
bool AnsiSameText(const AnsiString& S1, const AnsiString& S2);

// ---- Trimming and pieces ---------------------------------------------------

// Remove bytes <= ' ' (blanks and control characters) from the ends.
AnsiString Trim(const AnsiString& S);
AnsiString TrimLeft(const AnsiString& S);
AnsiString TrimRight(const AnsiString& S);

// Count bytes from Index; an Index below 1 counts as 1, the count is clipped
// to the text, a negative count or an Index past the end gives "".
AnsiString Copy(const AnsiString& S, int Index, int Count);
// Removes Count bytes at Index; nothing happens when Index is outside S.
void Delete(AnsiString& S, int Index, int Count);
// Inserts Source before Index (appends when Index is past the end).
void Insert(const AnsiString& Source, AnsiString& S, int Index);

AnsiString LeftStr(const AnsiString& S, int Count);
AnsiString RightStr(const AnsiString& S, int Count);
AnsiString MidStr(const AnsiString& S, int Start, int Count);
// The same counting characters (a two-byte character counts one).
AnsiString AnsiLeftStr(const AnsiString& S, int Count);
AnsiString AnsiRightStr(const AnsiString& S, int Count);
AnsiString AnsiMidStr(const AnsiString& S, int Start, int Count);
// The longest start of S of at most MaxBytes bytes that ends on a character
// boundary (for limits that count bytes).
AnsiString TruncateBytes(const AnsiString& S, int MaxBytes);

// Characters in the first MaxLen bytes / bytes in the first MaxLen characters.
int ByteToCharLen(const AnsiString& S, int MaxLen);
int CharToByteLen(const AnsiString& S, int MaxLen);
// The character number of the byte at Index / the byte index of character
// number Index (both 1-based; 0 when out of range).
int ByteToCharIndex(const AnsiString& S, int Index);
int CharToByteIndex(const AnsiString& S, int Index);

// The last character of S (nullptr for ""); points into S, so S must outlive
// the result (hence no temporaries).
const char* AnsiLastChar(const AnsiString& S);
const char* AnsiLastChar(AnsiString&&) = delete;
// The last character of a NUL-terminated text (nullptr for "" or nullptr).
const char* AnsiStrLastChar(const char* P);

// ---- Searching -------------------------------------------------------------

// Byte search; 0 when not found or SubStr is "".
int Pos(const AnsiString& SubStr, const AnsiString& S);
// Byte search from Offset; 0 also when Offset is outside S.
int PosEx(const AnsiString& SubStr, const AnsiString& S, int Offset = 1);
// Search that finds only whole characters: a match starts and ends on
// character boundaries.
int AnsiPos(const AnsiString& SubStr, const AnsiString& S);

// Is S[Index] one of the single-byte Delimiters (never a byte of a two-byte
// character)?
bool IsDelimiter(const AnsiString& Delimiters, const AnsiString& S, int Index);
// Index of the last byte of S that is one of Delimiters, or 0.
int LastDelimiter(const AnsiString& Delimiters, const AnsiString& S);

bool AnsiStartsStr(const AnsiString& SubText, const AnsiString& Text);
bool AnsiStartsText(const AnsiString& SubText, const AnsiString& Text);
bool AnsiEndsStr(const AnsiString& SubText, const AnsiString& Text);
bool AnsiEndsText(const AnsiString& SubText, const AnsiString& Text);
bool AnsiContainsStr(const AnsiString& Text, const AnsiString& SubText);
bool AnsiContainsText(const AnsiString& Text, const AnsiString& SubText);
// 0-based index of the first of Values equal to Text, or -1.
int AnsiIndexStr(const AnsiString& Text, const std::vector<AnsiString>& Values);
int AnsiIndexText(const AnsiString& Text, const std::vector<AnsiString>& Values);

// ---- Replacing and building ------------------------------------------------

enum TReplaceFlag { rfReplaceAll, rfIgnoreCase };

// A set of TReplaceFlag, written like the run-time's: {rfReplaceAll, rfIgnoreCase}.
class TReplaceFlags {
 public:
  constexpr TReplaceFlags() = default;
  constexpr TReplaceFlags(std::initializer_list<TReplaceFlag> Flags) {
    for (TReplaceFlag flag : Flags) Bits |= 1u << flag;
  }
  constexpr bool Contains(TReplaceFlag Flag) const { return (Bits & (1u << Flag)) != 0; }

 private:
  unsigned Bits = 0;
};

// Replaces the first (or with rfReplaceAll every) whole-character occurrence
// of OldPattern; with rfIgnoreCase occurrences are found as AnsiUpperCase
// would make them equal. An empty OldPattern changes nothing.
AnsiString StringReplace(const AnsiString& S, const AnsiString& OldPattern,
                         const AnsiString& NewPattern, TReplaceFlags Flags);
AnsiString AnsiReplaceStr(const AnsiString& Text, const AnsiString& FromText,
                          const AnsiString& ToText);
AnsiString AnsiReplaceText(const AnsiString& Text, const AnsiString& FromText,
                           const AnsiString& ToText);

// 'S' with every ' doubled.
AnsiString QuotedStr(const AnsiString& S);
// Quote + S + Quote with every Quote inside doubled.
AnsiString AnsiQuotedStr(const AnsiString& S, char Quote);
// Reads a quoted text at the start of Src (doubled quotes become one) and
// moves Src past its closing quote; "" and Src unchanged when Src does not
// start with Quote. Without a closing quote the rest of Src is taken.
AnsiString AnsiExtractQuotedStr(std::string_view& Src, char Quote);
// The text inside the quotes; S itself when it is not a quoted text.
AnsiString AnsiDequotedStr(const AnsiString& S, char Quote);

AnsiString StringOfChar(char Ch, int Count);
AnsiString DupeString(const AnsiString& S, int Count);
// The characters in reverse order (two-byte characters stay whole).
AnsiString ReverseString(const AnsiString& S);
AnsiString AnsiReverseString(const AnsiString& S);

enum TTextLineBreakStyle { tlbsLF, tlbsCRLF };

// Every line break (CR, LF, CR LF or LF CR) becomes CR LF (or LF).
AnsiString AdjustLineBreaks(const AnsiString& S, TTextLineBreakStyle Style = tlbsCRLF);
