#pragma once
// Text types of the run-time library.
//
// AnsiString holds bytes in a code page (the process ANSI code page unless a
// caller says otherwise); lengths and limits count bytes, so a double-byte
// Chinese character counts two. WideString holds UTF-16 code units.

#include <string>

using AnsiString = std::string;
using WideString = std::u16string;
