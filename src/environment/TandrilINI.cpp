#include "src/environment/TandrilINI.h"

#include <cctype>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/IniFile.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/StringList.h"
#include "src/environment/DAZUDGeneratorU.h"

namespace {

bool IsSeparator(char C) { return C == '/' || C == '\\'; }

bool NamesDrive(const AnsiString& Folder) {
  const bool driveLetter =
      Folder.size() >= 2 && std::isalpha(static_cast<unsigned char>(Folder[0])) && Folder[1] == ':';
  const bool networkShare = Folder.size() >= 2 && IsSeparator(Folder[0]) && IsSeparator(Folder[1]);
  return driveLetter || networkShare;
}

bool IsTrue(const AnsiString& Value) {
  const AnsiString v = UpperCase(Value);
  return v == "1" || v == "Y" || v == "YES" || v == "TRUE";
}

// The Windows user-name call was given room for 31 characters and a
// terminator; a longer name failed and was taken as empty.
AnsiString ProfileUserName() {
  const AnsiString name = GetCurrentUserName();
  return name.size() < 32 ? name : AnsiString();
}

// The steps both readers share up to the point where the INI file is known:
// defaults, code pages, the registry and the profile folder. Path is the
// installation folder field (ClientPath or ServerPath).
template <class TReader>
bool OpenConfiguration(TReader& R, AnsiString& Path, const char* PathValue, const char* FileName) {
  R.ErrorCode.clear();
  Path.clear();
  R.ProfilePath.clear();
  R.IniFileName.clear();
  R.ProfileType = "0";
  R.UserName = "Default";
  R.UICodePage = "936";
  R.DBCodePage = "936";
  R.SupportCallBack = false;

  R.SystemCodePage = SystemCodePageName();
  R.UICodePage = R.SystemCodePage;
  R.UIConvertMode = UIConvertModeFor(R.UICodePage, R.SystemCodePage);
  R.DBConvertMode = DBConvertModeFor(R.UICodePage, R.DBCodePage);

  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  if (!reg.OpenKeyReadOnly("Software\\KWE\\Tandril")) {
    R.ErrorCode = TandrilNoRegistryKey;
    return false;
  }
  const AnsiString path = reg.ReadString(PathValue);
  R.ProfileType = reg.ReadString("ProfileType");
  reg.CloseKey();
  if (path.empty()) return false;
  Path = IncludeTrailingPathDelimiter(NormalizePath(path));

  if (!R.ProfileType.empty() && R.ProfileType != "0") {
    R.UserName = ProfileUserName();
    R.ProfilePath = Path + "Profile/" + R.UserName + "/";
  } else {
    R.ProfilePath = Path;
  }
  R.IniFileName = R.ProfilePath + FileName;
  if (!FileExists(R.IniFileName)) {
    // No file of the user's own: the installation's shared file counts.
    R.ProfilePath = Path;
    R.IniFileName = Path + FileName;
  }
  return true;
}

void ReadCodePages(TCustomIniFile& Ini, AnsiString& UICodePage, AnsiString& DBCodePage,
                   const AnsiString& SystemCodePage) {
  UICodePage = Ini.ReadString("CodePage", "UICodePage", SystemCodePage);
  DBCodePage = Ini.ReadString("CodePage", "DBCodePage", "936");
}

// Turns the raw "name=value" lines of the WorkDLLPath section into folders;
// an empty section gives the default package folder.
void ResolvePackageFolders(TStringList& List, const AnsiString& Path, const char* DefaultFolder) {
  if (List.Count() == 0) {
    List.Add(Path + DefaultFolder);
    return;
  }
  for (int i = 0; i < List.Count(); ++i) {
    AnsiString value = List.ValueFromIndex(i);
    // A "\" rather than "/" keeps an empty value below the installation
    // folder instead of turning it into the root.
    if (value.empty() || !IsSeparator(value.back())) value += "\\";
    List.SetStrings(i, ResolvePath(value, Path));
  }
}

}  // namespace

AnsiString ResolvePath(const AnsiString& Folder, const AnsiString& Base) {
  if (NamesDrive(Folder) || (!Folder.empty() && Folder[0] == '/')) return NormalizePath(Folder);
  if (!Folder.empty() && Folder[0] == '\\') return NormalizePath(Base + Folder.substr(1));
  return NormalizePath(Base + Folder);
}

uint8_t UIConvertModeFor(const AnsiString& UICodePage, const AnsiString& SystemCodePage) {
  if (UICodePage == "950") return 2;
  if (UICodePage == "936" && SystemCodePage == "950") return 4;
  return 0;
}

uint8_t DBConvertModeFor(const AnsiString& UICodePage, const AnsiString& DBCodePage) {
  if (UICodePage == "950" && DBCodePage == "936") return 2;
  if (UICodePage == "936" && DBCodePage == "950") return 1;
  return 0;
}

// ---- TTandrilIniC ----------------------------------------------------------

TTandrilIniC::TTandrilIniC() : WorkDLLPaths(std::make_unique<TStringList>()) {
  SystemCodePage = SystemCodePageName();
  UICodePage = SystemCodePage;
  Load();
}

TTandrilIniC::~TTandrilIniC() = default;

bool TTandrilIniC::Load() {
  WorkDLLPaths->Clear();
  Servers = Variant();
  if (!OpenConfiguration(*this, ClientPath, "ClientPath", "TandrilC.ini")) return false;

  TMemIniFile ini(IniFileName);
  LangType = ini.ReadString("Client Components", "LangType", "ENG");
  ProductVersion = ini.ReadString("ProductVersion", "Version", "");
  CreateGifBeforeSendSG = ini.ReadString("UserDefine", "CreateGifBeforeSendSG", "Y");
  ReadCodePages(ini, UICodePage, DBCodePage, SystemCodePage);
  SupportCallBack = IsTrue(ini.ReadString("Server Information", "SupportCallBack", "0"));
  AnsiString names = Trim(ini.ReadString("Server Information", "ComputerName", "127.0.0.1"));
  const int port = ini.ReadInteger("Server Information", "ServerPort", 211);
  ini.ReadSectionValues("WorkDLLPath", WorkDLLPaths.get());
  AutoCheckNewMsg = ini.ReadString("TaskMessageCenter Setting", "AutoCheckNewMsg", "1");
  CheckInterval = ini.ReadString("TaskMessageCenter Setting", "CheckInterval", "1");
  PopupMsg = ini.ReadString("TaskMessageCenter Setting", "PopupMsg", "1");
  LoginCheck = ini.ReadString("TaskMessageCenter Setting", "LoginCheck", "0");

  UIConvertMode = UIConvertModeFor(UICodePage, SystemCodePage);
  DBConvertMode = DBConvertModeFor(UICodePage, DBCodePage);

  if (!names.empty() && names.back() == ';') names.pop_back();
  if (names.empty()) {
    // The package lines stay as read: callers stop at the error code.
    ErrorCode = TandrilNoServer;
    return false;
  }
  std::vector<AnsiString> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t semicolon = names.find(';', start);
    pieces.push_back(names.substr(start, semicolon - start));
    if (semicolon == AnsiString::npos) break;
    start = semicolon + 1;
  }
  Servers = VarArrayCreate({0, 1, 0, static_cast<int>(pieces.size()) - 1}, varVariant);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    Servers.PutElement({0, static_cast<int>(i)}, pieces[i]);
    Servers.PutElement({1, static_cast<int>(i)}, port);
  }

  ResolvePackageFolders(*WorkDLLPaths, ClientPath, "C_PKG/");
  return true;
}

// ---- TTandrilIniS ----------------------------------------------------------

TTandrilIniS::TTandrilIniS() : WorkDLLPaths(std::make_unique<TStringList>()) {
  SystemCodePage = SystemCodePageName();
  UICodePage = SystemCodePage;
  Load();
}

TTandrilIniS::~TTandrilIniS() = default;

void TTandrilIniS::GetWorkDLLPaths(TStrings* List) const {
  if (List) List->Assign(WorkDLLPaths.get());
}

bool TTandrilIniS::Load() {
  WorkDLLPaths->Clear();
  DBSettings = Variant();
  MainDBKind = 0;
  SystemControlAddress.clear();
  OtherSystemControlAddress.clear();
  if (!OpenConfiguration(*this, ServerPath, "ServerPath", "TandrilS.ini")) return false;

  TMemIniFile ini(IniFileName);
  const AnsiString dbe = "DBE Setting";
  Variant& db = DBSettings;
  db = VarArrayCreate({0, 3, 0, 7}, varVariant);
  auto put = [&db](int Row, int Cell, const Variant& Value) { db.PutElement({Row, Cell}, Value); };

  ProductVersion = ini.ReadString("ProductVersion", "Version", "");
  ReadCodePages(ini, UICodePage, DBCodePage, SystemCodePage);
  put(0, 1, ini.ReadString(dbe, "MainUserName", "sa"));
  // The main password is kept under a key named to hide what it holds.
  put(0, 2, DecodePassword(ini.ReadString(dbe, "XXXXXX", "")));
  put(0, 0, ini.ReadString(dbe, "MainAlias", "Cortan"));
  put(0, 3, ini.ReadString(dbe, "MainDBType", "MSSQL"));
  put(0, 4, ini.ReadString(dbe, "MainDBName", ""));
  const AnsiString mainServer = ini.ReadString(dbe, "MainServerName", "");
  put(0, 5, mainServer);
  SystemControlAddress = ini.ReadString(dbe, "SystemControlAddress", "");
  if (Trim(SystemControlAddress).empty()) SystemControlAddress = mainServer;
  OtherSystemControlAddress = ini.ReadString(dbe, "OtherSystemControlAddress", "");
  if (Trim(OtherSystemControlAddress).empty()) OtherSystemControlAddress = mainServer;
  put(0, 6, ini.ReadInteger(dbe, "MainConnectionTimeOut", 300));
  put(0, 7, ini.ReadInteger(dbe, "MainCommandTimeOut", 3000));
  put(1, 0, ini.ReadString(dbe, "TempAlias", "CortanTemp"));
  put(1, 1, ini.ReadString(dbe, "TempUserName", "sa"));
  put(1, 2, DecodePassword(ini.ReadString(dbe, "TempPassword", "")));
  put(1, 3, ini.ReadString(dbe, "TempDBType", "PARADOX"));
  put(1, 4, ini.ReadString(dbe, "TempDBName", ""));
  put(1, 5, ini.ReadString(dbe, "TempDriverName", "PostgreSQL"));
  put(1, 6, ini.ReadInteger(dbe, "TempConnectionTimeOut", 300));
  put(1, 7, ini.ReadInteger(dbe, "TempCommandTimeOut", 3000));
  put(2, 0, Trim(ini.ReadString("DBPasswordCtrl", "ComputerName", "")));
  put(2, 1, ini.ReadInteger("DBPasswordCtrl", "ServerPort", 211));
  put(2, 2, ini.ReadInteger("DBPasswordCtrl", "ClientSocketPort", 1024));
  SupportCallBack = IsTrue(ini.ReadString("DBPasswordCtrl", "SupportCallBack", "0"));
  put(2, 3, ini.ReadString(dbe, "DataBaseCodeOrder", "Chinese_Taiwan_Stroke_BIN"));
  put(3, 0, ini.ReadString(dbe, "EctAlias", "EDIDATA"));
  put(3, 1, ini.ReadString(dbe, "EctUserName", "sa"));
  // The EDI password is stored in plain text.
  put(3, 2, ini.ReadString(dbe, "EctPassword", ""));
  ini.ReadSectionValues("WorkDLLPath", WorkDLLPaths.get());

  const AnsiString mainType = db.GetElement({0, 3}).AsString();
  if (SameText(mainType, "ORACLE")) MainDBKind = 1;
  if (SameText(mainType, "DB2")) MainDBKind = 2;

  UIConvertMode = UIConvertModeFor(UICodePage, SystemCodePage);
  DBConvertMode = DBConvertModeFor(UICodePage, DBCodePage);
  ResolvePackageFolders(*WorkDLLPaths, ServerPath, "S_PKG/");
  return true;
}
