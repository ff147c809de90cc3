#pragma once
// Numbers to text and back, with the run-time's rules and error texts.
//
// Text to number: integers in decimal or hexadecimal ("$1F", "0x1F"), leading
// blanks allowed, nothing after the digits; floating point with the decimal
// separator of the settings and blanks on both sides. Failures raise
// EConvertError "'<text>' is not a valid integer value" (floating point value,
// boolean value). Number to text: 15 significant digits for FloatToStr, the
// TFloatFormat kinds for FloatToStrF and picture strings for FormatFloat.

#include <cstdint>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/ValueTypes.h"

struct TFormatSettings;

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// ---- integers ---------------------------------------------------------------
AnsiString IntToStr(int Value);
AnsiString IntToStr(long Value);
AnsiString IntToStr(long long Value);
AnsiString IntToStr(unsigned Value);
AnsiString IntToStr(unsigned long Value);
AnsiString IntToStr(unsigned long long Value);

// Upper-case hexadecimal with at least Digits digits. A negative value is
// written in two's complement of its own width: IntToHex(-1, 2) is "FFFFFFFF"
// for an int and sixteen "F" for a 64-bit value.
AnsiString IntToHex(int Value, int Digits);
AnsiString IntToHex(unsigned Value, int Digits);
AnsiString IntToHex(long Value, int Digits);
AnsiString IntToHex(long long Value, int Digits);
AnsiString IntToHex(unsigned long Value, int Digits);
AnsiString IntToHex(unsigned long long Value, int Digits);

// Hexadecimal input may use the full width of the type, so "$FFFFFFFF" reads
// as -1 for StrToInt; a decimal value out of range is not valid.
int StrToInt(const AnsiString& S);
int64_t StrToInt64(const AnsiString& S);
int StrToIntDef(const AnsiString& S, int Default);
int64_t StrToInt64Def(const AnsiString& S, int64_t Default);
bool TryStrToInt(const AnsiString& S, int& Value);
bool TryStrToInt64(const AnsiString& S, int64_t& Value);

// ---- floating point -----------------------------------------------------------
double StrToFloat(const AnsiString& S);
double StrToFloat(const AnsiString& S, const TFormatSettings& Settings);
double StrToFloatDef(const AnsiString& S, double Default);
double StrToFloatDef(const AnsiString& S, double Default, const TFormatSettings& Settings);
bool TryStrToFloat(const AnsiString& S, double& Value);
bool TryStrToFloat(const AnsiString& S, double& Value, const TFormatSettings& Settings);

// Shortest text with 15 significant digits: "0.1", "1E20", "1E-5", "NAN", "INF".
AnsiString FloatToStr(double Value);
AnsiString FloatToStr(double Value, const TFormatSettings& Settings);

// Precision counts significant digits (at most 18); Digits is the minimum
// number of exponent digits for ffGeneral and ffExponent, and the number of
// decimals for ffFixed, ffNumber and ffCurrency.
AnsiString FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits);
AnsiString FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits,
                       const TFormatSettings& Settings);

// Picture formatting: up to three sections "positive;negative;zero" made of
// "0" and "#" digit places, "." and "," (decimal point, thousand grouping),
// "E+"/"E-" exponents and quoted or plain literal text.
AnsiString FormatFloat(const AnsiString& Format, double Value);
AnsiString FormatFloat(const AnsiString& Format, double Value, const TFormatSettings& Settings);

// ---- currency -----------------------------------------------------------------
// Currency keeps four exact decimals; text conversions never pass through a
// binary float, so large amounts keep every digit.
AnsiString CurrToStr(Currency Value);
AnsiString CurrToStr(Currency Value, const TFormatSettings& Settings);
AnsiString CurrToStrF(Currency Value, TFloatFormat Format, int Digits);
AnsiString CurrToStrF(Currency Value, TFloatFormat Format, int Digits,
                      const TFormatSettings& Settings);
Currency StrToCurr(const AnsiString& S);
Currency StrToCurr(const AnsiString& S, const TFormatSettings& Settings);
Currency StrToCurrDef(const AnsiString& S, Currency Default);
bool TryStrToCurr(const AnsiString& S, Currency& Value);
bool TryStrToCurr(const AnsiString& S, Currency& Value, const TFormatSettings& Settings);

// ---- booleans -----------------------------------------------------------------
// Without UseBoolStrs the run-time writes "-1" and "0"; with it "True"/"False".
AnsiString BoolToStr(bool B, bool UseBoolStrs = false);
// Any number (0 is false, every other value true) or "True"/"False" in any case.
bool StrToBool(const AnsiString& S);
bool StrToBoolDef(const AnsiString& S, bool Default);
bool TryStrToBool(const AnsiString& S, bool& Value);
