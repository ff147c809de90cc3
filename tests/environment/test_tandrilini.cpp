// The client and server configuration readers.

#include <gtest/gtest.h>

#include <filesystem>

#include "environment_fixture.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Variant.h"
#include "src/environment/DAZUDGeneratorU.h"
#include "src/environment/TandrilINI.h"

namespace {

using kwtest::Lines;
using kwtest::WriteAll;

class Configuration : public kwtest::Installation {
 protected:
  void Client(const std::string& Text) { WriteAll(Install + "TandrilC.ini", Text); }
  void Server(const std::string& Text) { WriteAll(Install + "TandrilS.ini", Text); }
};

std::vector<std::pair<AnsiString, int>> ServerList(const Variant& Servers) {
  std::vector<std::pair<AnsiString, int>> list;
  if (!VarIsArray(Servers)) return list;
  EXPECT_EQ(VarArrayDimCount(Servers), 2);
  EXPECT_EQ(VarArrayHighBound(Servers, 1), 1);
  for (int i = 0; i <= VarArrayHighBound(Servers, 2); ++i)
    list.emplace_back(Servers.GetElement({0, i}).AsString(), Servers.GetElement({1, i}).AsInteger());
  return list;
}

TEST_F(Configuration, WithoutTheRegistryKeyOnlyTheSystemIsKnown) {
  SetACP(1252);
  TTandrilIniC c;
  EXPECT_EQ(c.ErrorCode, "E;000015");
  EXPECT_FALSE(c.Load());
  EXPECT_EQ(c.ClientPath, "");
  EXPECT_EQ(c.IniFileName, "");
  EXPECT_EQ(c.ProfileType, "0");
  EXPECT_EQ(c.UserName, "Default");
  EXPECT_EQ(c.SystemCodePage, "437");
  EXPECT_EQ(c.UICodePage, "437");
  EXPECT_EQ(c.DBCodePage, "936");
  EXPECT_EQ(c.UIConvertMode, 0);
  EXPECT_EQ(c.DBConvertMode, 0);
  EXPECT_TRUE(c.Servers.IsEmpty());

  SetACP(950);
  TTandrilIniS s;
  EXPECT_EQ(s.ErrorCode, "E;000015");
  EXPECT_EQ(s.ServerPath, "");
  EXPECT_EQ(s.UICodePage, "950");
  EXPECT_EQ(s.UIConvertMode, 2);
  EXPECT_EQ(s.DBConvertMode, 2);
}

TEST_F(Configuration, EmptyInstallationFolderStopsWithoutACode) {
  WriteRegistry("ClientPath=\nServerPath=\n");
  Client("[Client Components]\nLangType=CHT\n");
  TTandrilIniC c;
  EXPECT_FALSE(c.Load());
  EXPECT_EQ(c.ErrorCode, "");
  EXPECT_EQ(c.IniFileName, "");
  EXPECT_EQ(c.LangType, "");
  TTandrilIniS s;
  EXPECT_FALSE(s.Load());
  EXPECT_EQ(s.ErrorCode, "");
}

TEST_F(Configuration, NoFileGivesEveryDefault) {
  SetACP(1252);
  // The folder is written without its trailing separator on purpose.
  WriteRegistry("ClientPath=" + Install.substr(0, Install.size() - 1) + "\n");
  TTandrilIniC c;
  EXPECT_TRUE(c.Load());
  EXPECT_EQ(c.ErrorCode, "");
  EXPECT_EQ(c.ClientPath, Install);
  EXPECT_EQ(c.ProfilePath, Install);
  EXPECT_EQ(c.IniFileName, Install + "TandrilC.ini");
  EXPECT_EQ(c.SystemCodePage, "437");
  EXPECT_EQ(c.UICodePage, "437");
  EXPECT_EQ(c.DBCodePage, "936");
  EXPECT_EQ(c.UIConvertMode, 0);
  EXPECT_EQ(c.DBConvertMode, 0);
  EXPECT_EQ(c.LangType, "ENG");
  EXPECT_EQ(c.ProductVersion, "");
  EXPECT_EQ(c.CreateGifBeforeSendSG, "Y");
  EXPECT_FALSE(c.SupportCallBack);
  EXPECT_EQ(c.AutoCheckNewMsg, "1");
  EXPECT_EQ(c.CheckInterval, "1");
  EXPECT_EQ(c.PopupMsg, "1");
  EXPECT_EQ(c.LoginCheck, "0");
  EXPECT_EQ(ServerList(c.Servers), (std::vector<std::pair<AnsiString, int>>{{"127.0.0.1", 211}}));
  EXPECT_EQ(Lines(*c.WorkDLLPaths), std::vector<AnsiString>{Install + "C_PKG/"});
}

struct CodePageCase {
  unsigned System;
  const char* File;  // the [CodePage] section's lines
  const char* UICodePage;
  int UIMode;
  int DBMode;
};

TEST_F(Configuration, CodePagesGiveTheConversionModes) {
  RegisterInstall();
  const CodePageCase cases[] = {
      {936, "UICodePage=950\n", "950", 2, 2},
      {936, "UICodePage=950\nDBCodePage=950\n", "950", 2, 0},
      {950, "UICodePage=936\nDBCodePage=950\n", "936", 4, 1},
      {950, "", "950", 2, 2},
      {936, "DBCodePage=950\n", "936", 0, 1},
      {936, "UICodePage=437\n", "437", 0, 0},
      {1252, "", "437", 0, 0},
      // Code pages compare as exact texts.
      {936, "UICodePage=0950\n", "0950", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.System) + " / " + c.File);
    SetACP(c.System);
    Client(std::string("[CodePage]\n") + c.File);
    Server(std::string("[CodePage]\n") + c.File);
    TTandrilIniC client;
    TTandrilIniS server;
    for (auto [ui, uiMode, dbMode] : {std::tuple{client.UICodePage, client.UIConvertMode, client.DBConvertMode},
                                      std::tuple{server.UICodePage, server.UIConvertMode, server.DBConvertMode}}) {
      EXPECT_EQ(ui, c.UICodePage);
      EXPECT_EQ(uiMode, c.UIMode);
      EXPECT_EQ(dbMode, c.DBMode);
    }
  }
}

TEST_F(Configuration, ServerListFromComputerName) {
  RegisterInstall();
  struct Case {
    const char* Lines;
    std::vector<std::pair<AnsiString, int>> Servers;
  };
  const Case cases[] = {
      {"", {{"127.0.0.1", 211}}},
      {"ComputerName=alpha;beta;\nServerPort=212\n", {{"alpha", 212}, {"beta", 212}}},
      {"ComputerName= alpha ; ;beta \n", {{"alpha ", 211}, {" ", 211}, {"beta", 211}}},
      {"ComputerName=a;;b;;\n", {{"a", 211}, {"", 211}, {"b", 211}, {"", 211}}},
      // A port that is not a number reads as the default.
      {"ComputerName=srv\nServerPort=21x\n", {{"srv", 211}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Lines);
    Client(std::string("[Server Information]\n") + c.Lines);
    TTandrilIniC ini;
    EXPECT_TRUE(ini.Load());
    EXPECT_EQ(ini.ErrorCode, "");
    EXPECT_EQ(ServerList(ini.Servers), c.Servers);
  }
}

TEST_F(Configuration, EmptyServerListKeepsWhatWasRead) {
  RegisterInstall();
  for (const char* names : {"ComputerName=\n", "ComputerName=;\n", "ComputerName=  ;  \n"}) {
    SCOPED_TRACE(names);
    Client(std::string("[CodePage]\nUICodePage=950\n[Server Information]\n") + names +
           "[WorkDLLPath]\nA=Pkg\n[TaskMessageCenter Setting]\nPopupMsg=0\n");
    TTandrilIniC ini;
    EXPECT_FALSE(ini.Load());
    EXPECT_EQ(ini.ErrorCode, "E;000016");
    EXPECT_EQ(ini.UICodePage, "950");
    EXPECT_EQ(ini.UIConvertMode, 2);
    EXPECT_EQ(ini.PopupMsg, "0");
    EXPECT_TRUE(ini.Servers.IsEmpty());
    EXPECT_EQ(Lines(*ini.WorkDLLPaths), std::vector<AnsiString>{"A=Pkg"});
  }
}

TEST_F(Configuration, SupportCallBackWords) {
  RegisterInstall();
  const std::pair<const char*, bool> cases[] = {
      {"1", true},  {"Y", true},   {"yes", true}, {"True", true}, {"y", true},
      {"0", false}, {"no", false}, {"on", false}, {"2", false},   {"", false},
  };
  for (const auto& [word, expected] : cases) {
    SCOPED_TRACE(word);
    Client(std::string("[Server Information]\nSupportCallBack=") + word + "\n");
    Server(std::string("[DBPasswordCtrl]\nSupportCallBack=") + word + "\n");
    EXPECT_EQ(TTandrilIniC().SupportCallBack, expected);
    EXPECT_EQ(TTandrilIniS().SupportCallBack, expected);
  }
}

TEST_F(Configuration, PerUserProfileFolder) {
  RegisterInstall("ProfileType=1\n");
  const AnsiString user = GetCurrentUserName();
  ASSERT_FALSE(user.empty());
  Client("[Client Components]\nLangType=SHARED\n");
  {
    // No file of the user's own: the shared one is read.
    TTandrilIniC ini;
    EXPECT_EQ(ini.ProfileType, "1");
    EXPECT_EQ(ini.UserName, user);
    EXPECT_EQ(ini.ProfilePath, Install);
    EXPECT_EQ(ini.IniFileName, Install + "TandrilC.ini");
    EXPECT_EQ(ini.LangType, "SHARED");
  }
  const std::string own = Install + "Profile/" + user + "/";
  WriteAll(own + "TandrilC.ini", "[Client Components]\nLangType=OWN\n");
  TTandrilIniC ini;
  EXPECT_EQ(ini.ProfilePath, own);
  EXPECT_EQ(ini.IniFileName, own + "TandrilC.ini");
  EXPECT_EQ(ini.LangType, "OWN");
  // The installation folder stays the base of package folders.
  EXPECT_EQ(Lines(*ini.WorkDLLPaths), std::vector<AnsiString>{Install + "C_PKG/"});

  RegisterInstall("ProfileType=0\n");
  TTandrilIniC shared;
  EXPECT_EQ(shared.UserName, "Default");
  EXPECT_EQ(shared.ProfilePath, Install);
}

TEST(ResolvePath, FoldersAgainstTheInstallation) {
  const std::pair<const char*, const char*> cases[] = {
      {"Pkg\\", "/opt/app/Pkg/"},
      {"\\Other\\", "/opt/app/Other/"},
      {"Sub\\Deeper/", "/opt/app/Sub/Deeper/"},
      {"D:\\Lib\\", "D:/Lib/"},
      {"\\\\server\\share\\pkg\\", "//server/share/pkg/"},
      {"/usr/lib/kwe/", "/usr/lib/kwe/"},
      {"\\", "/opt/app/"},
      {"", "/opt/app/"},
  };
  for (const auto& [folder, expected] : cases) {
    SCOPED_TRACE(folder);
    EXPECT_EQ(ResolvePath(folder, "/opt/app/"), expected);
  }
  // A Windows-style installation folder resolves the same way.
  EXPECT_EQ(ResolvePath("Pkg\\", "C:\\App\\"), "C:/App/Pkg/");
}

TEST_F(Configuration, PackageFoldersInFileOrder) {
  RegisterInstall();
  const std::string section = "[WorkDLLPath]\nfirst=Pkg\nsecond=\\Other\\\nthird=D:\\Lib\nfourth=/abs/dir\nfifth=\n";
  const std::vector<AnsiString> expected = {Install + "Pkg/", Install + "Other/", "D:/Lib/", "/abs/dir/", Install};
  Client(section);
  Server(section);
  EXPECT_EQ(Lines(*TTandrilIniC().WorkDLLPaths), expected);
  TTandrilIniS server;
  EXPECT_EQ(Lines(*server.WorkDLLPaths), expected);
  TStringList list;
  list.Add("stale");
  server.GetWorkDLLPaths(&list);
  EXPECT_EQ(Lines(list), expected);

  Server("");
  EXPECT_EQ(Lines(*TTandrilIniS().WorkDLLPaths), std::vector<AnsiString>{Install + "S_PKG/"});
}

TEST_F(Configuration, GarbageLinesDoNotHideGoodOnes) {
  RegisterInstall();
  Client(std::string("\x01\x02\xFF\xFE garbage\n"
                     "no equals sign here\n"
                     "[CodePage\n"
                     "UICodePage=437\n"
                     "=value without a name\n"
                     "[Client Components]\n"
                     "LangType=CHS\n"
                     "\x80\x81=\x82\n"
                     "[Server Information]\n"
                     "ServerPort=not a number\n"
                     "ComputerName=host1\n") +
         std::string("\0\0\0\n", 4));
  TTandrilIniC ini;
  EXPECT_TRUE(ini.Load());
  EXPECT_EQ(ini.LangType, "CHS");
  // The code page line sits under a broken header and belongs to no section.
  EXPECT_EQ(ini.UICodePage, "936");
  EXPECT_EQ(ServerList(ini.Servers), (std::vector<std::pair<AnsiString, int>>{{"host1", 211}}));
}

// ---- The server reader ----

struct Cell {
  int Row;
  int Column;
  Variant Value;
};

TEST_F(Configuration, ServerDefaults) {
  RegisterInstall();
  TTandrilIniS s;
  EXPECT_TRUE(s.Load());
  EXPECT_EQ(s.IniFileName, Install + "TandrilS.ini");
  const Cell cells[] = {
      {0, 0, "Cortan"},  {0, 1, "sa"},      {0, 2, ""},   {0, 3, "MSSQL"},      {0, 4, ""},
      {0, 5, ""},        {0, 6, 300},       {0, 7, 3000}, {1, 0, "CortanTemp"}, {1, 1, "sa"},
      {1, 2, ""},        {1, 3, "PARADOX"}, {1, 4, ""},   {1, 5, "PostgreSQL"}, {1, 6, 300},
      {1, 7, 3000},      {2, 0, ""},        {2, 1, 211},  {2, 2, 1024},         {2, 3, "Chinese_Taiwan_Stroke_BIN"},
      {3, 0, "EDIDATA"}, {3, 1, "sa"},      {3, 2, ""},
  };
  ASSERT_EQ(VarArrayDimCount(s.DBSettings), 2);
  EXPECT_EQ(VarArrayHighBound(s.DBSettings, 1), 3);
  EXPECT_EQ(VarArrayHighBound(s.DBSettings, 2), 7);
  for (const auto& c : cells) {
    SCOPED_TRACE(std::to_string(c.Row) + "," + std::to_string(c.Column));
    const Variant v = s.DBSettings.GetElement({c.Row, c.Column});
    EXPECT_EQ(v.VarType(), c.Value.VarType());
    EXPECT_EQ(v.AsString(), c.Value.AsString());
  }
  for (int column = 4; column <= 7; ++column) EXPECT_TRUE(s.DBSettings.GetElement({2, column}).IsEmpty());
  for (int column = 3; column <= 7; ++column) EXPECT_TRUE(s.DBSettings.GetElement({3, column}).IsEmpty());
  EXPECT_EQ(s.MainDBKind, 0);
  EXPECT_EQ(s.SystemControlAddress, "");
  EXPECT_EQ(s.OtherSystemControlAddress, "");
  EXPECT_EQ(s.ProductVersion, "");
}

TEST_F(Configuration, ServerSettingsAndPasswords) {
  RegisterInstall();
  Server(
      "[ProductVersion]\nVersion=9.0\n"
      "[DBE Setting]\n"
      "MainUserName=kw\n"
      "XXXXXX=" +
      EncodePassword("s3cret%") +
      "\n"
      "MainAlias=Main\nMainDBType=oracle\nMainDBName=erp\nMainServerName=dbhost\n"
      "OtherSystemControlAddress=ctl2\n"
      "MainConnectionTimeOut=60\nMainCommandTimeOut=oops\n"
      "TempPassword=" +
      EncodePassword("") +
      "\n"
      "EctPassword=" +
      EncodePassword("edi") +
      "\n"
      "[DBPasswordCtrl]\nComputerName=  pwhost  \nServerPort=300\n");
  TTandrilIniS s;
  EXPECT_EQ(s.ProductVersion, "9.0");
  EXPECT_EQ(s.DBSettings.GetElement({0, 0}).AsString(), "Main");
  EXPECT_EQ(s.DBSettings.GetElement({0, 1}).AsString(), "kw");
  EXPECT_EQ(s.DBSettings.GetElement({0, 2}).AsString(), "s3cret%");
  EXPECT_EQ(s.DBSettings.GetElement({0, 3}).AsString(), "oracle");
  EXPECT_EQ(s.DBSettings.GetElement({0, 6}).AsInteger(), 60);
  EXPECT_EQ(s.DBSettings.GetElement({0, 7}).AsInteger(), 3000);
  // The empty-password marker decodes to an empty password.
  EXPECT_EQ(s.DBSettings.GetElement({1, 2}).AsString(), "");
  // The EDI password is kept as stored.
  EXPECT_EQ(s.DBSettings.GetElement({3, 2}).AsString(), EncodePassword("edi"));
  EXPECT_EQ(s.DBSettings.GetElement({2, 0}).AsString(), "pwhost");
  EXPECT_EQ(s.DBSettings.GetElement({2, 1}).AsInteger(), 300);
  EXPECT_EQ(s.SystemControlAddress, "dbhost");
  EXPECT_EQ(s.OtherSystemControlAddress, "ctl2");
  EXPECT_EQ(s.MainDBKind, 1);
}

TEST_F(Configuration, MainDatabaseKind) {
  RegisterInstall();
  const std::pair<const char*, int> cases[] = {{"ORACLE", 1}, {"oracle", 1}, {"Db2", 2},
                                               {"MSSQL", 0},  {"DB2 ", 2},   {"Oracle9", 0}};
  for (const auto& [type, kind] : cases) {
    SCOPED_TRACE(type);
    Server(std::string("[DBE Setting]\nMainDBType=") + type + "\n");
    EXPECT_EQ(TTandrilIniS().MainDBKind, kind);
  }
}

TEST_F(Configuration, UndecodablePasswordIsMarkedAndLogged) {
  RegisterInstall();
  Server("[DBE Setting]\nXXXXXX=b0zz\nTempPassword=" + EncodePassword("tmp") + "\nTempAlias=T\n");
  TTandrilIniS s;
  EXPECT_TRUE(s.Load());
  EXPECT_EQ(s.DBSettings.GetElement({0, 2}).AsString(), PasswordErrorMarker);
  // Reading went on after the bad password.
  EXPECT_EQ(s.DBSettings.GetElement({1, 2}).AsString(), "tmp");
  EXPECT_EQ(s.DBSettings.GetElement({1, 0}).AsString(), "T");
  const auto logs = FindFiles(Install + "Log", "Alert_DAZUDGenerator_*.log");
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_NE(kwtest::ReadAll(Install + "Log/" + logs[0]).find("Programer Message: "), std::string::npos);
}

}  // namespace
