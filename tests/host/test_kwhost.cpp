// kwhost as a script runs it: a real process on the built plug-in and a demo
// installation made by kwdemo in the test's own temporary folder.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct TProcess {
  int Exit = -1;
  std::string Out;
  std::string Err;
};

std::string Quote(const std::string& S) {
  std::string out = "'";
  for (char c : S) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

class Kwhost : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Folder = std::filesystem::temp_directory_path() / ("kw_kwhost_test_" + std::to_string(getpid()));
    std::filesystem::remove_all(Folder);
    std::filesystem::create_directories(Folder);
    const std::string demo = std::string(KW_KWDEMO_PATH) + " " + Quote((Folder / "install").string()) +
                             " --vouchers 20 > /dev/null 2>&1";
    DemoMade = std::system(demo.c_str()) == 0;
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(Folder); }
  void SetUp() override { ASSERT_TRUE(DemoMade) << "kwdemo failed"; }

  // Runs kwhost with the arguments (each quoted for the shell).
  static TProcess Run(const std::vector<std::string>& Args, bool WithInstall = true) {
    std::string command = "env -u KWE_REGISTRY " + Quote(KW_KWHOST_PATH);
    if (WithInstall) command += " --install " + Quote((Folder / "install").string());
    for (const std::string& a : Args) command += " " + Quote(a);
    const std::string errFile = (Folder / "stderr.txt").string();
    command += " 2> " + Quote(errFile);
    TProcess p;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return p;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) p.Out.append(buffer, n);
    int status = pclose(pipe);
    p.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile);
    std::stringstream s;
    s << err.rdbuf();
    p.Err = s.str();
    return p;
  }

  // The lines in the order given, each found after the one before.
  static void ExpectInOrder(const std::string& Text, const std::vector<std::string>& Lines) {
    size_t pos = 0;
    for (const std::string& line : Lines) {
      size_t found = Text.find(line + "\n", pos);
      ASSERT_NE(found, std::string::npos) << "missing (in order): " << line << "\n--- output:\n" << Text;
      pos = found + line.size();
    }
  }

  static inline std::filesystem::path Folder;
  static inline bool DemoMade = false;
};

TEST_F(Kwhost, ReportsTheControllerBeforeOpenAndTheNotificationsInOrder) {
  TProcess p = Run({"--verbose", "check"});
  EXPECT_EQ(p.Exit, 0) << p.Err;
  ExpectInOrder(p.Out, {"controller: TDLLVRCtrller",
                        "before Open: GetVisible=false GetHandle=0 ShowModal=2 GetProgramInfo=-1 IsWindowGone=true "
                        "GetVersion=untouched",
                        "notify 0x100 (window created)", "Open: 0", "notify 0x110 (window shown)",
                        "SetVisible(true): GetVisible=true", "notify 0x120 (window hidden)",
                        "SetVisible(false): GetVisible=false", "notify 0x130 (window destroyed)",
                        "FreeWindow: IsWindowGone=true ResultCode=0 ResultValue=Unassigned"});
  // Each notification once: the hooks are installed once per window.
  for (const char* code : {"0x100", "0x110", "0x120", "0x130"}) {
    const std::string line = std::string("notify ") + code;
    EXPECT_EQ(p.Out.find(line), p.Out.rfind(line)) << code;
  }
  // Without --verbose the notifications are not printed.
  TProcess quiet = Run({"check"});
  EXPECT_EQ(quiet.Exit, 0);
  EXPECT_EQ(quiet.Out.find("notify"), std::string::npos);
}

TEST_F(Kwhost, AWindowStillOpenIsFreedWhenTheControllerGoes) {
  TProcess p = Run({"--verbose", "version"});
  EXPECT_EQ(p.Exit, 0) << p.Err;
  ExpectInOrder(p.Out, {"notify 0x100 (window created)", "Open: 0", "notify 0x130 (window destroyed)"});
  // The stamp of the window the library registers.
  EXPECT_TRUE(p.Out.find("version: 870401-0.00.00\n") != std::string::npos ||
              p.Out.find("version: 900202-2.1.1.0\n") != std::string::npos)
      << p.Out;
}

TEST_F(Kwhost, ProgramInformationComesFromTheWindow) {
  TProcess p = Run({"--user", "U001", "--company-db", "DEMO", "info"});
  EXPECT_EQ(p.Exit, 0) << p.Err;
  ExpectInOrder(p.Out, {"Open: 0", "user: U001", "company: 01", "program code: ZKPW31"});
}

TEST_F(Kwhost, OperationsTheLibraryDoesNotCarryOutExitWithTheirOwnCode) {
  struct TCase {
    std::vector<std::string> Args;
    int Exit;
    const char* Line;
  };
  const TCase cases[] = {
      {{"command", "5", "true"}, 4, "RunCommand(5): -1 (not done)"},
      {{"command", "7"}, 4, "RunCommand(7): -1 (not done)"},
      {{"command", "6", "false", "[A1,,\"0005\"]"}, 4, "RunCommand(6): -1 (not done)"},
      {{"free"}, 0, "FreeWindow: IsWindowGone=true ResultCode=0 ResultValue=Unassigned"},
      {{"conditions", "--mode", "0", "A1"}, 0, "RunConditions: 0 (done)"},
      {{"conditions", "--by-name", "edtTC001=A1", "chkMoneyRight=true"}, 0, "RunConditions: 0 (done)"},
  };
  for (const TCase& c : cases) {
    TProcess p = Run(c.Args);
    EXPECT_EQ(p.Exit, c.Exit) << c.Args[0] << "\n" << p.Out << p.Err;
    ExpectInOrder(p.Out, {"Open: 0", c.Line});
  }
}

TEST_F(Kwhost, HelpAndUsageErrors) {
  TProcess help = Run({"--help"}, false);
  EXPECT_EQ(help.Exit, 0);
  EXPECT_EQ(help.Out.rfind("Usage: kwhost [OPTIONS] COMMAND [ARGUMENTS]\n", 0), 0u);
  EXPECT_NE(help.Out.find("Exit codes:"), std::string::npos);

  struct TCase {
    std::vector<std::string> Args;
    int Exit;
    const char* Message;
  };
  const TCase cases[] = {
      {{"--bogus", "check"}, 1, "kwhost: unknown option --bogus"},
      {{}, 1, "kwhost: no command given"},
      {{"launch"}, 1, "kwhost: unknown command launch"},
      {{"--user"}, 1, "kwhost: --user needs a value"},
      {{"--product-id", "x", "check"}, 1, "--product-id takes a whole number"},
      {{"--rights", "FEP", "check"}, 1, "--rights takes NAME=Y or NAME=N"},
      {{"command"}, 1, "command needs the command number"},
      {{"command", "6", "[a,b"}, 1, "an array ends with \"]\""},
      {{"conditions", "--by-name", "A1"}, 1, "each value is NAME=VALUE"},
      {{"conditions", "A1", "--by-name", "edtTC001=A1"}, 1, "--by-name comes before the values"},
      {{"--answers", "/nonexistent/answers.txt", "check"}, 1, "Cannot read the answers file"},
      {{"--messages", "/nonexistent/messages.txt", "check"}, 1, "Cannot read the message catalogue"},
      {{"--plugin", "/nonexistent/ZKPW31C.so", "check"}, 2, "kwhost: cannot load the plug-in /nonexistent/ZKPW31C.so"},
  };
  for (const TCase& c : cases) {
    TProcess p = Run(c.Args);
    EXPECT_EQ(p.Exit, c.Exit) << (c.Args.empty() ? "" : c.Args[0]) << "\n" << p.Err;
    EXPECT_NE(p.Err.find(c.Message), std::string::npos) << p.Err;
  }
  TProcess noFolder = Run({"--install", (Folder / "missing").string(), "check"}, false);
  EXPECT_EQ(noFolder.Exit, 1);
  EXPECT_NE(noFolder.Err.find("does not exist"), std::string::npos) << noFolder.Err;
}

TEST_F(Kwhost, APluginWithoutTheExportIsRefused) {
  // Any shared library that is not the plug-in.
  const std::string libc = "libc.so.6";
  TProcess p = Run({"--plugin", libc, "check"});
  EXPECT_EQ(p.Exit, 2);
  EXPECT_NE(p.Err.find("exports no GetController"), std::string::npos) << p.Err;
}

}  // namespace
