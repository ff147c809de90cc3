#include "src/environment/DAZUDGeneratorU.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Registry.h"

namespace {

unsigned char RotateRight(unsigned char B, int Bits) {
  Bits %= 8;
  if (Bits == 0) return B;
  return static_cast<unsigned char>((B >> Bits) | (B << (8 - Bits)));
}

unsigned char RotateLeft(unsigned char B, int Bits) {
  Bits %= 8;
  if (Bits == 0) return B;
  return static_cast<unsigned char>((B << Bits) | (B >> (8 - Bits)));
}

const AnsiString kRule = "----------------------------------";

AnsiString ExceptionClassName(const std::exception& E) {
  if (auto* own = dynamic_cast<const Exception*>(&E)) return own->ClassName();
  int status = 0;
  const char* mangled = typeid(E).name();
  std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  return status == 0 && name ? AnsiString(name.get()) : AnsiString(mangled);
}

}  // namespace

AnsiString EncodePassword(const AnsiString& Plain) {
  const AnsiString text = Plain.empty() ? AnsiString(EmptyPasswordMarker) : Plain;
  static const char digits[] = "0123456789abcdef";
  AnsiString form;
  form.reserve(text.size() * 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char b = RotateRight(static_cast<unsigned char>(text[i]), static_cast<int>((i + 1) % 8));
    form += digits[b >> 4];
    form += digits[b & 0x0F];
  }
  return form;
}

AnsiString DecodePassword(const AnsiString& Form) {
  AnsiString plain;
  try {
    for (std::size_t k = 1; 2 * k <= Form.size(); ++k) {
      // Read as the run-time reads "$xx", so a bad pair fails with its own message.
      const int value = StrToInt("$" + Form.substr(2 * k - 2, 2));
      plain += static_cast<char>(RotateLeft(static_cast<unsigned char>(value & 0xFF), static_cast<int>(k % 8)));
    }
  } catch (const std::exception& E) {
    ReportError(&E, EncodePassword("DecodeSQLSa"), GB("解析 Sa 时发生错误!"));
    return PasswordErrorMarker;
  }
  return plain == EmptyPasswordMarker ? AnsiString() : plain;
}

void ReportError(const std::exception* E, const AnsiString& Where, const AnsiString& Note) {
  try {
    AnsiString rule = kRule;
    if (!Trim(Where).empty()) rule += " on " + Where + " ";
    WriteLogLine(rule + kRule);

    if (E) {
      WriteLogLine(GB("讯息信息:"));
      int lines = 0;
      if (auto* db = dynamic_cast<const EDBEngineError*>(E)) {
        for (std::size_t i = 0; i < db->Errors.size(); ++i) {
          WriteLogLine(Format("EDBEngineError Error %.2d: Code: %d, Message: %s",
                              {static_cast<int>(i + 1), db->Errors[i].ErrorCode, db->Errors[i].Message}));
          ++lines;
        }
      } else if (auto* os = dynamic_cast<const EOSError*>(E)) {
        // The operating-system error goes by its older name in these reports.
        WriteLogLine(Format("EWin32Error Error %.2d: Code: %d, Message: %s", {1, os->ErrorCode, os->Message}));
        ++lines;
      } else if (auto* io = dynamic_cast<const EInOutError*>(E)) {
        WriteLogLine(Format("EInOutError Error %.2d: Code: %d, Message: %s", {1, io->ErrorCode, io->Message}));
        ++lines;
      } else {
        // The message is appended after formatting: it may hold "%" itself.
        WriteLogLine(Format("Exception is %s\r\nMessage %.2d: ", {ExceptionClassName(*E), 1}) + E->what());
        ++lines;
      }
      WriteLogLine(Format("ErrorMessage Count: %d", {lines}));
    }

    if (!Trim(Note).empty()) WriteLogLine("Programer Message: " + Note);
  } catch (...) {
    // Reporting an error must never raise one of its own.
  }
}

namespace {

AnsiString LogFileNameFor(TDateTime Day) {
  // The base folder is taken as it is; a trailing separator only doubles the
  // one before "Log", which the path normalisation folds away.
  return NormalizePath(GetLogBaseFolder() + "/Log/Alert_DAZUDGenerator_" + FormatDateTime("yyyymmdd", Day) + ".log");
}

}  // namespace

AnsiString LogFileName() { return LogFileNameFor(Now()); }

bool WriteLogLine(const AnsiString& Text) {
  try {
    // One reading of the clock, so a line never lands in the file of another day.
    const TDateTime now = Now();
    const AnsiString fileName = LogFileNameFor(now);
    const AnsiString folder = ExtractFileDir(fileName);
    if (!DirectoryExists(folder) && !ForceDirectories(folder)) return false;
    const TFormatSettings& fs = FormatSettings;
    const AnsiString line =
        "[" + FormatDateTime(fs.ShortDateFormat + " " + fs.LongTimeFormat, now) + "] " + Text + "\r\n";
    std::FILE* f = std::fopen(ToSystemPath(fileName).c_str(), "ab");
    if (!f) return false;
    const bool written = std::fwrite(line.data(), 1, line.size(), f) == line.size();
    const bool closed = std::fclose(f) == 0;
    return written && closed;
  } catch (...) {
    return false;
  }
}

AnsiString GetLogBaseFolder() {
  try {
    AnsiString folder;
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg.OpenKeyReadOnly("Software\\KWE\\Tandril")) {
      folder = reg.ReadString("ClientPath");
      if (folder.empty()) folder = reg.ReadString("ServerPath");
      reg.CloseKey();
    }
    if (folder.empty()) folder = GetTempPath();
    if (folder.empty()) folder = DefaultLogBaseFolder;
    return folder;
  } catch (...) {
    return DefaultLogBaseFolder;
  }
}
