#pragma once
// The database password codec of the configuration files and its error log.
//
// Stored passwords are kept in a reversible hexadecimal form: two lowercase
// digits per byte, each byte rotated right within 8 bits by its 1-based
// position mod 8. A form that cannot be decoded yields the marker
// "KW_Say_Password_Error" and leaves an error report in the daily log
// <base>/Log/Alert_DAZUDGenerator_YYYYMMDD.log.

#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"

// The database engine's error: one entry per error the engine stacked up.
// Error reports list every entry.
class EDBEngineError : public Exception {
  KW_DECLARE_CLASS(EDBEngineError, Exception)
 public:
  struct TDBError {
    int ErrorCode = 0;
    AnsiString Message;
  };
  EDBEngineError(AnsiString Msg, std::vector<TDBError> Entries)
      : Exception(std::move(Msg)), Errors(std::move(Entries)) {}
  std::vector<TDBError> Errors;
};

// What the empty password is stored as, and what an undecodable form reads as.
inline constexpr const char* EmptyPasswordMarker = "KW_Say_NoPassWord_ThePassWordIsEmpty";
inline constexpr const char* PasswordErrorMarker = "KW_Say_Password_Error";

AnsiString EncodePassword(const AnsiString& Plain);
// Never raises: a non-hexadecimal pair gives PasswordErrorMarker and an error
// report in the log. A last single digit is ignored.
AnsiString DecodePassword(const AnsiString& Form);

// Appends an error report to the log: a rule line naming Where, the details of
// E (when given) and the programmer's Note. Never raises.
void ReportError(const std::exception* E, const AnsiString& Where, const AnsiString& Note);
// Appends "[<date> <time>] Text"; false when the log could not be written.
bool WriteLogLine(const AnsiString& Text);
// Folder the "Log" folder lives in: the installation folder from the registry
// (client, else server), else the system temporary folder, else DefaultLogBaseFolder.
AnsiString GetLogBaseFolder();
// The log file WriteLogLine appends to today.
AnsiString LogFileName();

// The last-resort base folder (the fixed default "C:\Temp" of the Windows
// installation maps to /tmp here).
inline constexpr const char* DefaultLogBaseFolder = "/tmp";
