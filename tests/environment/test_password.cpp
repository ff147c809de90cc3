// The password codec of the server configuration and the error log it writes.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <stdexcept>

#include "environment_fixture.h"
#include "platform/rtl/Clock.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Files.h"
#include "src/environment/DAZUDGeneratorU.h"

namespace {

using kwtest::ReadAll;

// 5 March 2024, 10:20:30.
const TDateTime kNow = EncodeDate(2024, 3, 5) + EncodeTime(10, 20, 30, 0);
const std::string kStamp = "[2024/3/5 10:20:30] ";
const std::string kRule = "----------------------------------";

struct CodecCase {
  const char* Plain;
  const char* Form;
};

TEST(PasswordCodec, EncodesAndDecodesKnownForms) {
  const CodecCase cases[] = {
      {"abc", "b0986c"},
      // Positions 8 and 16 are not rotated; 9 turns like 1.
      {"aaaaaaaaa", "b0582c160b85c261b0"},
      {"\xFF\x01", "ff40"},
      // Bytes of a GB text are rotated like any other.
      {"\xD7\xCA", "ebb2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Form);
    EXPECT_EQ(EncodePassword(c.Plain), c.Form);
    EXPECT_EQ(DecodePassword(c.Form), c.Plain);
  }
}

TEST(PasswordCodec, EveryByteSurvivesTheRoundTrip) {
  AnsiString all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  const AnsiString form = EncodePassword(all);
  EXPECT_EQ(form.size(), 2 * all.size());
  EXPECT_EQ(form.find_first_not_of("0123456789abcdef"), AnsiString::npos);
  EXPECT_EQ(DecodePassword(form), all);
}

TEST(PasswordCodec, EmptyPasswordTravelsAsItsMarker) {
  const AnsiString form = EncodePassword("");
  EXPECT_EQ(form.size(), 72u);
  EXPECT_EQ(form, EncodePassword(EmptyPasswordMarker));
  EXPECT_EQ(DecodePassword(form), "");
  EXPECT_EQ(DecodePassword(""), "");
}

TEST(PasswordCodec, OddDigitCountIgnoresTheLastDigit) {
  EXPECT_EQ(DecodePassword("b0986c7"), "abc");
  EXPECT_EQ(DecodePassword("b"), "");
  // Upper-case digits read as well.
  EXPECT_EQ(DecodePassword("B0986C"), "abc");
}

class ErrorLog : public kwtest::Installation {
 protected:
  void SetUp() override {
    Installation::SetUp();
    RegisterInstall();
  }
  std::string LogFile() const { return Install + "Log/Alert_DAZUDGenerator_20240305.log"; }
};

TEST_F(ErrorLog, BadPairGivesTheErrorMarkerAndAReport) {
  TTestClockGuard clock(kNow);
  for (const char* form : {"b0zz6c", "b0-16c", "b0 16c", "g0"}) {
    SCOPED_TRACE(form);
    std::filesystem::remove(LogFile());
    EXPECT_EQ(DecodePassword(form), PasswordErrorMarker);
    const std::string log = ReadAll(LogFile());
    EXPECT_EQ(log.rfind(kStamp + kRule + " on " + EncodePassword("DecodeSQLSa") + " " + kRule + "\r\n", 0), 0u) << log;
    EXPECT_NE(log.find(kStamp + GB("讯息信息:") + "\r\n"), std::string::npos);
    EXPECT_NE(log.find(kStamp + "Exception is EConvertError\r\nMessage 01: "), std::string::npos);
    EXPECT_NE(log.find("is not a valid integer value"), std::string::npos);
    EXPECT_NE(log.find(kStamp + "ErrorMessage Count: 1\r\n"), std::string::npos);
    EXPECT_NE(log.find(kStamp + "Programer Message: " + GB("解析 Sa 时发生错误!") + "\r\n"), std::string::npos);
  }
}

struct ReportCase {
  const char* Name;
  std::function<void()> Report;
  std::vector<std::string> Lines;  // without the time stamp
};

TEST_F(ErrorLog, ReportsEachKindOfError) {
  TTestClockGuard clock(kNow);
  const std::string info = GB("讯息信息:");
  const ReportCase cases[] = {
      {"operating system",
       [] {
         EOSError e("Access is denied", 5);
         ReportError(&e, "Open", "note");
       },
       {kRule + " on Open " + kRule, info, "EWin32Error Error 01: Code: 5, Message: Access is denied",
        "ErrorMessage Count: 1", "Programer Message: note"}},
      {"input/output",
       [] {
         EInOutError e("Disk full", 112);
         ReportError(&e, "", "");
       },
       {kRule + kRule, info, "EInOutError Error 01: Code: 112, Message: Disk full", "ErrorMessage Count: 1"}},
      {"database engine, one line per entry",
       [] {
         EDBEngineError e("failed", {{10024, "Key violation"}, {8712, "Table is busy"}});
         ReportError(&e, "  ", "Save");
       },
       {kRule + kRule, info, "EDBEngineError Error 01: Code: 10024, Message: Key violation",
        "EDBEngineError Error 02: Code: 8712, Message: Table is busy", "ErrorMessage Count: 2",
        "Programer Message: Save"}},
      {"a message with a percent sign is written as it is",
       [] {
         EConvertError e("100% %s %d wrong");
         ReportError(&e, "X", "");
       },
       {kRule + " on X " + kRule, info, "Exception is EConvertError\r\nMessage 01: 100% %s %d wrong",
        "ErrorMessage Count: 1"}},
      {"an exception from outside the library",
       [] {
         std::runtime_error e("boom");
         ReportError(&e, "", "");
       },
       {kRule + kRule, info, "Exception is std::runtime_error\r\nMessage 01: boom", "ErrorMessage Count: 1"}},
      {"no exception",
       [] { ReportError(nullptr, "Where", "only a note"); },
       {kRule + " on Where " + kRule, "Programer Message: only a note"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    std::filesystem::remove(LogFile());
    c.Report();
    std::string expected;
    for (const auto& line : c.Lines) expected += kStamp + line + "\r\n";
    EXPECT_EQ(ReadAll(LogFile()), expected);
  }
}

TEST_F(ErrorLog, LinesAreAppended) {
  TTestClockGuard clock(kNow);
  EXPECT_TRUE(WriteLogLine("one"));
  EXPECT_TRUE(WriteLogLine("two"));
  EXPECT_EQ(ReadAll(LogFile()), kStamp + "one\r\n" + kStamp + "two\r\n");
}

TEST_F(ErrorLog, UnwritableLogIsSkippedQuietly) {
  // The installation folder is a file: no Log folder can be made below it.
  kwtest::WriteAll(Root + "/not_a_folder", "x");
  WriteRegistry("ClientPath=" + Root + "/not_a_folder\n");
  EXPECT_FALSE(WriteLogLine("lost"));
  EOSError e("x", 1);
  EXPECT_NO_THROW(ReportError(&e, "Where", "Note"));
  EXPECT_EQ(DecodePassword("zz"), PasswordErrorMarker);
}

TEST_F(ErrorLog, BaseFolderFallsBackInOrder) {
  struct Case {
    const char* Name;
    std::string Registry;  // empty: no key at all
    std::string Expected;
  };
  const Case cases[] = {
      {"client folder", "ClientPath=/srv/client/\nServerPath=/srv/server/\n", "/srv/client/"},
      {"server folder when the client's is empty", "ClientPath=\nServerPath=/srv/server\n", "/srv/server"},
      {"temporary folder when both are empty", "ProfileType=0\n", Root + "/tmp/"},
      {"temporary folder without the key", "", Root + "/tmp/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    if (c.Registry.empty())
      kwtest::WriteAll(Root + "/registry.ini", "[HKEY_LOCAL_MACHINE\\Software\\Other]\nA=1\n");
    else
      WriteRegistry(c.Registry);
    EXPECT_EQ(GetLogBaseFolder(), c.Expected);
  }
}

TEST_F(ErrorLog, TemporaryFolderLogIsWritten) {
  TTestClockGuard clock(kNow);
  WriteRegistry("ProfileType=0\n");
  EXPECT_TRUE(WriteLogLine("in temp"));
  EXPECT_EQ(ReadAll(Root + "/tmp/Log/Alert_DAZUDGenerator_20240305.log"), kStamp + "in temp\r\n");
}

}  // namespace
