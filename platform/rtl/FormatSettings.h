#pragma once
// The locale settings that number, date and Format conversions read.
//
// One process-wide object, filled with what a Chinese (PRC) workstation
// reports, because the application formats with the system settings of such a
// machine. Texts are bytes in code page 936; the Chinese words below are
// written as escapes since source files are UTF-8.
//
// Conversions also accept an explicit TFormatSettings, which is what a thread
// that must not see another thread's changes should pass.

#include <array>
#include <cstdint>

#include "platform/rtl/AnsiStrings.h"

struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  char DateSeparator = '/';
  char TimeSeparator = ':';
  char ListSeparator = ',';
  AnsiString ShortDateFormat = "yyyy/m/d";
  // yyyy'年'm'月'd'日'
  AnsiString LongDateFormat = "yyyy'\xC4\xEA'm'\xD4\xC2'd'\xC8\xD5'";
  AnsiString ShortTimeFormat = "h:nn";
  AnsiString LongTimeFormat = "hh:nn:ss";
  AnsiString TimeAMString = "AM";
  AnsiString TimePMString = "PM";
  // ￥ (full-width yen sign, the currency sign of the PRC locale)
  AnsiString CurrencyString = "\xA3\xA4";
  // 0: "￥1"; 1: "1￥"; 2: "￥ 1"; 3: "1 ￥".
  uint8_t CurrencyFormat = 0;
  // 0..15 as the run-time numbers them; 2 is "￥-1".
  uint8_t NegCurrFormat = 2;
  uint8_t CurrencyDecimals = 2;
  // A two-digit year falls within this many years before the current year and
  // the rest of that century; 0 means "current century".
  int TwoDigitYearCenturyWindow = 50;
  // Index 0 is January / Sunday.
  std::array<AnsiString, 12> ShortMonthNames = DefaultMonthNames();
  std::array<AnsiString, 12> LongMonthNames = DefaultMonthNames();
  std::array<AnsiString, 7> ShortDayNames = DefaultDayNames();
  std::array<AnsiString, 7> LongDayNames = DefaultDayNames();

  // 一月 .. 十二月
  static std::array<AnsiString, 12> DefaultMonthNames() {
    return {"\xD2\xBB\xD4\xC2",         "\xB6\xFE\xD4\xC2",         "\xC8\xFD\xD4\xC2",
            "\xCB\xC4\xD4\xC2",         "\xCE\xE5\xD4\xC2",         "\xC1\xF9\xD4\xC2",
            "\xC6\xDF\xD4\xC2",         "\xB0\xCB\xD4\xC2",         "\xBE\xC5\xD4\xC2",
            "\xCA\xAE\xD4\xC2",         "\xCA\xAE\xD2\xBB\xD4\xC2", "\xCA\xAE\xB6\xFE\xD4\xC2"};
  }
  // 星期日 .. 星期六
  static std::array<AnsiString, 7> DefaultDayNames() {
    return {"\xD0\xC7\xC6\xDA\xC8\xD5", "\xD0\xC7\xC6\xDA\xD2\xBB", "\xD0\xC7\xC6\xDA\xB6\xFE",
            "\xD0\xC7\xC6\xDA\xC8\xFD", "\xD0\xC7\xC6\xDA\xCB\xC4", "\xD0\xC7\xC6\xDA\xCE\xE5",
            "\xD0\xC7\xC6\xDA\xC1\xF9"};
  }
};

// The process-wide settings. Changing them is not synchronised: do it at start
// up, or in a test under TFormatSettingsGuard.
extern TFormatSettings FormatSettings;

// Saves the global settings and puts them back when it goes out of scope, so a
// test that changes a separator cannot leak it into the next test.
class TFormatSettingsGuard {
 public:
  TFormatSettingsGuard() : Saved(FormatSettings) {}
  ~TFormatSettingsGuard() { FormatSettings = Saved; }
  TFormatSettingsGuard(const TFormatSettingsGuard&) = delete;
  TFormatSettingsGuard& operator=(const TFormatSettingsGuard&) = delete;

 private:
  TFormatSettings Saved;
};
