// The install folder from the registry, the alert log, and re-decoding texts
// in another code page.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/rtl/Clock.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Variant.h"
#include "src/report/LibStrs.h"

namespace {

// A registry file of its own in a temporary folder, put back afterwards.
class LibStrsEnvironment : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kw_libstrs_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    Dir = pattern;
    if (const char* saved = std::getenv("KWE_REGISTRY")) Saved = saved;
    ::setenv("KWE_REGISTRY", (Dir + "/registry.ini").c_str(), 1);
  }
  void TearDown() override {
    if (Saved)
      ::setenv("KWE_REGISTRY", Saved->c_str(), 1);
    else
      ::unsetenv("KWE_REGISTRY");
    std::filesystem::remove_all(Dir);
  }

  void WriteRegistry(const std::string& Values) {
    ASSERT_TRUE(WriteFileBytes(Dir + "/registry.ini",
                               "[HKEY_LOCAL_MACHINE\\Software\\KWE\\Tandril]\n" + Values));
  }

  static AnsiString ReadText(const AnsiString& FileName) {
    AnsiString bytes;
    return ReadFileBytes(FileName, bytes) ? bytes : AnsiString("<missing>");
  }

  std::string Dir;
  std::optional<std::string> Saved;
};

TEST_F(LibStrsEnvironment, InstallPathIsClientPathElseServerPath) {
  EXPECT_EQ(GetClientInstallPath(), "");  // no registry file at all
  WriteRegistry("ServerPath=/srv/kwe\n");
  EXPECT_EQ(GetClientInstallPath(), "/srv/kwe");
  WriteRegistry("ClientPath=\nServerPath=/srv/kwe\n");
  EXPECT_EQ(GetClientInstallPath(), "/srv/kwe");
  WriteRegistry("ClientPath=/opt/kwe/\nServerPath=/srv/kwe\n");
  EXPECT_EQ(GetClientInstallPath(), "/opt/kwe/");
  ASSERT_TRUE(WriteFileBytes(Dir + "/registry.ini",
                             "[HKEY_CURRENT_USER\\Software\\KWE\\Tandril]\nClientPath=/home\n"));
  EXPECT_EQ(GetClientInstallPath(), "");  // only the machine-wide key counts
}

TEST_F(LibStrsEnvironment, LogFolderFallsBackToTheExecutablesFolder) {
  EXPECT_EQ(AlertLogFolder(), ExtractFilePath(GetExecutablePath()) + "Log");
  WriteRegistry("ClientPath=" + Dir + "\\client\\\n");  // a Windows-style value
  EXPECT_EQ(AlertLogFolder(), Dir + "/client/Log");
}

TEST_F(LibStrsEnvironment, AlertLogNamesAndLines) {
  WriteRegistry("ClientPath=" + Dir + "/client\n");
  TTestClockGuard clock(EncodeDate(2024, 3, 5).Value + EncodeTime(13, 4, 5, 67).Value);
  const AnsiString log = Dir + "/client/Log/";

  ASSERT_TRUE(WriteAlertLog("VRBASE", "first", "D"));
  ASSERT_TRUE(WriteAlertLog("VRBASE", GB("格式一")));  // the day by default
  EXPECT_EQ(ReadText(log + "Alert_VRBASE_20240305.log"),
            "[2024/03/05 13:04:05:067] first\r\n[2024/03/05 13:04:05:067] " + GB("格式一") +
                "\r\n");

  const std::pair<const char*, const char*> names[] = {
      {"M", "Alert_x_202403.log"},
      {"Y", "Alert_x_2024.log"},
      {"d", "Alert_x_20240305.log"},  // unknown periods write by day
      {"", "Alert_x_20240305.log"},
  };
  for (const auto& [period, file] : names) {
    std::filesystem::remove_all(log);
    ASSERT_TRUE(WriteAlertLog("x", "t", period)) << period;
    EXPECT_EQ(ReadText(log + file), "[2024/03/05 13:04:05:067] t\r\n") << period;
  }

  ASSERT_TRUE(WriteAlertLog("a.txt", "t", "D"));
  EXPECT_TRUE(FileExists(log + "Alert_a.txt_20240305"));
  EXPECT_FALSE(FileExists(log + "Alert_a.txt_20240305.log"));
}

TEST_F(LibStrsEnvironment, AlertLogReportsWhatItCannotWrite) {
  // the install folder is a file: no Log folder can be made below it
  ASSERT_TRUE(WriteFileBytes(Dir + "/file", "x"));
  WriteRegistry("ClientPath=" + Dir + "/file\n");
  EXPECT_FALSE(WriteAlertLog("VRBASE", "t", "D"));

  // the log's name is taken by a folder
  WriteRegistry("ClientPath=" + Dir + "/client\n");
  TTestClockGuard clock(EncodeDate(2024, 3, 5));
  ASSERT_TRUE(ForceDirectories(Dir + "/client/Log/Alert_VRBASE_20240305.log"));
  EXPECT_FALSE(WriteAlertLog("VRBASE", "t", "D"));
}

// "中文" in Big5, which GBK decodes as two other characters.
const AnsiString kBig5Text = "\xA4\xA4\xA4\xE5";

Variant WronglyDecoded() { return Variant(AnsiToWide(kBig5Text, 936)); }

TEST_F(LibStrsEnvironment, AnsiToWideCPDecodesInTheGivenPage) {
  EXPECT_EQ(AnsiToWideCP(kBig5Text, 950), u"中文");
  EXPECT_EQ(AnsiToWideCP(GB("中文"), 936), u"中文");
  EXPECT_EQ(AnsiToWideCP(GB("中文"), 12345), u"中文");  // unknown page: the system's
  EXPECT_EQ(AnsiToWideCP("", 950), u"");
}

TEST_F(LibStrsEnvironment, ConvertVarCodePageRepairsScalars) {
  ASSERT_NE(WronglyDecoded().AsWideString(), u"中文");
  const Variant repaired = ConvertVarCodePage(WronglyDecoded(), 950);
  EXPECT_EQ(VarType(repaired), varOleStr);
  EXPECT_EQ(repaired.AsWideString(), u"中文");
  // a single-byte text is taken as system-code-page bytes
  EXPECT_EQ(ConvertVarCodePage(Variant(kBig5Text), 950).AsWideString(), u"中文");

  EXPECT_TRUE(VarIsNull(ConvertVarCodePage(Null(), 950)));
  EXPECT_TRUE(VarIsEmpty(ConvertVarCodePage(Variant(), 950)));
  EXPECT_EQ(VarType(ConvertVarCodePage(Variant(42), 950)), varInteger);
}

TEST_F(LibStrsEnvironment, ConvertVarCodePageWalksArrays) {
  const Variant list = VarArrayOf({WronglyDecoded(), 7, VarArrayOf({WronglyDecoded(), 1.5})});
  const Variant repaired = ConvertVarCodePage(list, 950);
  EXPECT_EQ(repaired.GetElement({0}).AsWideString(), u"中文");
  EXPECT_EQ(VarType(repaired.GetElement({1})), varInteger);
  EXPECT_EQ(repaired.GetElement({2}).GetElement({0}).AsWideString(), u"中文");
  EXPECT_EQ(repaired.GetElement({2}).GetElement({1}).AsFloat(), 1.5);
  EXPECT_NE(list.GetElement({0}).AsWideString(), u"中文");  // the input is a copy

  Variant table = VarArrayCreate({0, 1, 0, 1}, varVariant);
  table.PutElement({0, 0}, WronglyDecoded());
  table.PutElement({1, 1}, 3);
  const Variant repairedTable = ConvertVarCodePage(table, 950);
  EXPECT_EQ(repairedTable.GetElement({0, 0}).AsWideString(), u"中文");
  EXPECT_EQ(repairedTable.GetElement({1, 1}).AsInteger(), 3);

  Variant cube = VarArrayCreate({0, 0, 0, 0, 0, 0}, varVariant);
  cube.PutElement({0, 0, 0}, WronglyDecoded());
  EXPECT_EQ(ConvertVarCodePage(cube, 950).GetElement({0, 0, 0}).AsWideString(),
            WronglyDecoded().AsWideString());  // more dimensions: unchanged
}

}  // namespace
