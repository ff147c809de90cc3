#pragma once
// Readers of the client and server configuration of the installation.
//
// The installation folder comes from the registry key
// HKEY_LOCAL_MACHINE\Software\KWE\Tandril ("ClientPath" / "ServerPath"); the
// INI file "TandrilC.ini" / "TandrilS.ini" lies in the user's profile folder
// below it when per-user profiles are on and that file exists, else in the
// installation folder. A reader does all its work in its constructor and never
// writes anything back: create one, read its fields, free it.
//
// Folders are built with "/" and always end with one; values read from files
// may use "\" as well.

#include <cstdint>
#include <memory>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Variant.h"

class TStrings;
class TStringList;
class TCustomIniFile;

// Resolves a package folder named in a configuration file against the
// installation folder Base (which ends with a separator). The result uses "/".
//  - a value naming a drive ("D:\Lib", the "\\server\share" of a network path)
//    or starting with "/" is a folder of its own and is kept as it is;
//  - a value starting with "\" is below Base (the leading "\" is dropped);
//  - anything else is below Base.
AnsiString ResolvePath(const AnsiString& Folder, const AnsiString& Base);

// The interface and database conversion modes the code pages call for.
//   UIConvertMode: 2 for a Big5 interface, 4 for a GB interface on a Big5
//   system, else 0. DBConvertMode: 2 for a Big5 interface on a GB database,
//   1 for a GB interface on a Big5 database, else 0.
uint8_t UIConvertModeFor(const AnsiString& UICodePage, const AnsiString& SystemCodePage);
uint8_t DBConvertModeFor(const AnsiString& UICodePage, const AnsiString& DBCodePage);

// Message-catalogue codes left in ErrorCode.
inline constexpr const char* TandrilNoRegistryKey = "E;000015";
inline constexpr const char* TandrilNoServer = "E;000016";

class TTandrilIniC : public TObject {
  KW_DECLARE_CLASS(TTandrilIniC, TObject)
 public:
  TTandrilIniC();
  ~TTandrilIniC() override;
  TTandrilIniC(const TTandrilIniC&) = delete;
  TTandrilIniC& operator=(const TTandrilIniC&) = delete;

  // Runs again what the constructor ran; true when the registry key and the
  // installation folder were found, the file was read and it names a server.
  bool Load();

  AnsiString ClientPath;
  AnsiString ProfilePath;
  AnsiString ProfileType = "0";
  AnsiString UserName = "Default";
  AnsiString UICodePage;
  AnsiString DBCodePage = "936";
  AnsiString SystemCodePage;
  uint8_t UIConvertMode = 0;
  uint8_t DBConvertMode = 0;
  bool SupportCallBack = false;
  AnsiString IniFileName;
  // Bounds [0..1, 0..n-1]: row 0 the server names, row 1 their port.
  Variant Servers;
  AnsiString ErrorCode;
  AnsiString LangType;
  std::unique_ptr<TStringList> WorkDLLPaths;
  AnsiString ProductVersion;
  AnsiString CreateGifBeforeSendSG = "Y";
  AnsiString AutoCheckNewMsg;
  AnsiString CheckInterval;
  AnsiString PopupMsg;
  AnsiString LoginCheck;
};

class TTandrilIniS : public TObject {
  KW_DECLARE_CLASS(TTandrilIniS, TObject)
 public:
  TTandrilIniS();
  ~TTandrilIniS() override;
  TTandrilIniS(const TTandrilIniS&) = delete;
  TTandrilIniS& operator=(const TTandrilIniS&) = delete;

  // True when the registry key and the installation folder were found and
  // the file was read (a missing file reads as all defaults).
  bool Load();
  // Replaces the list's lines with WorkDLLPaths.
  void GetWorkDLLPaths(TStrings* List) const;

  AnsiString ServerPath;
  AnsiString ProfilePath;
  AnsiString ProfileType = "0";
  AnsiString UserName = "Default";
  AnsiString UICodePage;
  AnsiString DBCodePage = "936";
  AnsiString SystemCodePage;
  uint8_t UIConvertMode = 0;
  uint8_t DBConvertMode = 0;
  bool SupportCallBack = false;
  AnsiString IniFileName;
  // Bounds [0..3, 0..7]. Rows: 0 main database, 1 temporary database, 2 socket
  // server and collation, 3 EDI database. Cells: 0 alias, 1 user, 2 password,
  // 3 type, 4 database name, 5 server (driver name for the temporary
  // database), 6 connection time-out, 7 command time-out. Row 2 holds the
  // socket server's name, port and client port in cells 0 to 2 and the
  // collation in cell 3. Cells not listed stay unassigned.
  Variant DBSettings;
  AnsiString ErrorCode;
  std::unique_ptr<TStringList> WorkDLLPaths;
  AnsiString ProductVersion;
  // 0 any other main database type, 1 Oracle, 2 DB2.
  uint8_t MainDBKind = 0;
  AnsiString SystemControlAddress;
  AnsiString OtherSystemControlAddress;
};
