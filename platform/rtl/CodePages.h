#pragma once
// Code pages: the process ANSI code page, conversions between code pages,
// UTF-16 and UTF-8, the GB literal helper, and double-byte character
// classification.
//
// Supported code pages: 936 (GBK, Windows' simplified Chinese), 950 (Windows'
// Big5), 1252 (Western), 437 (the English OEM page) and 65001 (UTF-8).
// CP_ACP (0) stands for the process ANSI code page wherever a code page is
// taken. Any other number raises EConvertError.
//
// Decoding never fails: every invalid byte sequence (including a lead byte
// cut off by the end of the text) becomes one U+FFFD. Encoding never fails
// either: a character the code page lacks becomes "?" (U+FFFD in UTF-8).
// The overloads with a Replacements argument set it to the number of those
// substitutions (ConvertCodePage counts an undecodable sequence once, not
// again when its U+FFFD has no place in the target page).

#include <cstddef>
#include <string_view>

#include "platform/rtl/AnsiStrings.h"

constexpr unsigned CP_ACP = 0;
constexpr unsigned CP_UTF8 = 65001;

// ---- The process ANSI code page -------------------------------------------

// The ANSI code page of the process. Defaults to 936; the environment
// variable KW_ANSI_CODEPAGE, read once at first use, may set another one
// ("950" for a Big5 installation, "1252" or "437" for an English one).
unsigned GetACP();
// Changes the process code page for everything converted afterwards.
// 437 names the English system, whose ANSI code page is 1252. Raises
// EConvertError for a code page that is not supported.
void SetACP(unsigned CodePage);
// The system code page as the configuration names it: "936", "950", or
// "437" for every other (non-Chinese) code page.
AnsiString SystemCodePageName();
// True for the code pages listed above (CP_ACP is not a code page of its own).
bool IsValidCodePage(unsigned CodePage);

// ---- Conversions ---------------------------------------------------------

WideString AnsiToWide(const AnsiString& S, unsigned CodePage = GetACP());
WideString AnsiToWide(const AnsiString& S, unsigned CodePage, int& Replacements);
AnsiString WideToAnsi(const WideString& S, unsigned CodePage = GetACP());
AnsiString WideToAnsi(const WideString& S, unsigned CodePage, int& Replacements);

std::string AnsiToUtf8(const AnsiString& S, unsigned CodePage = GetACP());
AnsiString Utf8ToAnsi(std::string_view Utf8, unsigned CodePage = GetACP());
WideString Utf8ToWide(std::string_view Utf8);
std::string WideToUtf8(const WideString& S);

// Re-encodes S from one code page to another. Replacements counts the
// undecodable byte sequences and the characters the target page lacks.
AnsiString ConvertCodePage(const AnsiString& S, unsigned FromCodePage, unsigned ToCodePage);
AnsiString ConvertCodePage(const AnsiString& S, unsigned FromCodePage, unsigned ToCodePage,
                           int& Replacements);

// ---- Texts built into the library ----------------------------------------

// Texts compiled into the library are GB (code page 936) bytes whatever the
// process code page; sources are UTF-8, so they are converted from it.
AnsiString Utf8ToGB(std::string_view Utf8);

// GB("确定") is a const AnsiString& holding the text's GB bytes, converted
// once per place of use.
#define GB(Utf8Literal)                                          \
  ([]() -> const AnsiString& {                                   \
    static const AnsiString kw_gb_text_ = Utf8ToGB(Utf8Literal); \
    return kw_gb_text_;                                          \
  }())

// ---- Double-byte characters ----------------------------------------------

enum TMbcsByteType { mbSingleByte, mbLeadByte, mbTrailByte };

// True for code pages whose characters take one or two bytes (936, 950).
bool IsDBCSCodePage(unsigned CodePage = GetACP());
// True when B starts a two-byte character in the code page (0x81..0xFE in
// 936 and 950; never in single-byte pages or UTF-8).
bool IsDBCSLeadByte(unsigned char B, unsigned CodePage = GetACP());

// Bytes of the character that starts at the 0-based Offset: 2 for a lead
// byte followed by a trail byte, 1 otherwise (also for a lead byte at the
// end of the text or before a NUL), 0 when Offset is past the end. Offset
// must be the start of a character.
std::size_t CharSizeAt(std::string_view S, std::size_t Offset, unsigned CodePage = GetACP());

// What the byte at the 1-based Index is: a single-byte character, the first
// or the second byte of a double-byte one. A lead byte cut off by the end of
// the text is still mbLeadByte (its CharLength is 1); mbSingleByte outside
// the text and for NUL.
TMbcsByteType ByteType(const AnsiString& S, int Index, unsigned CodePage = GetACP());
// The same for a NUL-terminated text with a 0-based Index, like the run-time.
TMbcsByteType StrByteType(const char* Str, unsigned Index, unsigned CodePage = GetACP());
// Bytes of the character at the 1-based Index (1 or 2; 1 on a trail byte,
// 0 outside the text).
int CharLength(const AnsiString& S, int Index, unsigned CodePage = GetACP());
// 1-based index of the character after the one at Index.
int NextCharIndex(const AnsiString& S, int Index, unsigned CodePage = GetACP());
