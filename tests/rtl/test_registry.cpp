#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "platform/rtl/IniFile.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/StringList.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<AnsiString> Lines(const TStrings& List) {
  std::vector<AnsiString> lines;
  for (int i = 0; i < List.Count(); ++i) lines.push_back(List[i]);
  return lines;
}

const std::string kRegistry =
    "[HKEY_LOCAL_MACHINE\\Software\\KWE\\Tandril]\r\n"
    "ClientPath=/opt/kwe/tandril/\r\n"
    "ProfileType=0\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\KWE\\Tandril\\Options\\]\r\n"
    "Trace=1\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\KWE\\Other]\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\PLNQ\\Halvric]\r\n"
    "GoAhead= 1 \r\n"
    "[HKEY_CURRENT_USER\\Software\\KWE]\r\n"
    "User=me\r\n";

// Points KWE_REGISTRY at a file of the test's own and restores it afterwards.
class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* old = std::getenv("KWE_REGISTRY")) Saved = old;
    char pattern[] = "/tmp/kw_registry_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    Dir = pattern;
    File = Dir + "/registry.ini";
    ::setenv("KWE_REGISTRY", File.c_str(), 1);
  }
  void TearDown() override {
    if (Saved)
      ::setenv("KWE_REGISTRY", Saved->c_str(), 1);
    else
      ::unsetenv("KWE_REGISTRY");
    fs::remove_all(Dir);
  }
  void WriteRegistry(const std::string& Text) { std::ofstream(File, std::ios::binary) << Text; }

  std::optional<std::string> Saved;
  std::string Dir, File;
};

TEST_F(Registry, FileComesFromTheEnvironmentElseTheSystemDefault) {
  EXPECT_EQ(RegistryFileName(), File);
  ::unsetenv("KWE_REGISTRY");
  EXPECT_EQ(RegistryFileName(), "/etc/kwe/registry.ini");
  ::setenv("KWE_REGISTRY", "", 1);
  EXPECT_EQ(RegistryFileName(), "/etc/kwe/registry.ini");
}

TEST_F(Registry, MissingFileOrKeyOpensNothingAndReadsEmpty) {
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(reg.OpenKeyReadOnly("Software\\KWE\\Tandril"));  // no file at all
  EXPECT_EQ(reg.ReadString("ClientPath"), "");
  EXPECT_FALSE(reg.ValueExists("ClientPath"));

  WriteRegistry(kRegistry);
  EXPECT_FALSE(reg.OpenKeyReadOnly("Software\\KWE\\Missing"));
  EXPECT_FALSE(reg.HasOpenKey());
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\KWE\\Tandril"));
  EXPECT_EQ(reg.ReadString("NoSuchValue"), "");
  EXPECT_FALSE(reg.ValueExists("NoSuchValue"));
}

TEST_F(Registry, KeyPathsIgnoreCaseLeadingAndRepeatedSeparators) {
  WriteRegistry(kRegistry);
  struct Case {
    HKEY Root;
    AnsiString Key;
    bool Exists;
  };
  const Case cases[] = {
      {HKEY_LOCAL_MACHINE, "Software\\KWE\\Tandril", true},
      {HKEY_LOCAL_MACHINE, "\\Software\\KWE\\Tandril", true},
      {HKEY_LOCAL_MACHINE, "software\\kwe\\TANDRIL", true},
      {HKEY_LOCAL_MACHINE, "Software\\\\KWE\\Tandril\\", true},
      {HKEY_LOCAL_MACHINE, "Software\\KWE\\Tandril\\Options", true},  // stored with a trailing "\"
      {HKEY_LOCAL_MACHINE, "Software\\KWE", true},                     // a key above a stored one
      {HKEY_LOCAL_MACHINE, "Software", true},
      {HKEY_LOCAL_MACHINE, "", true},  // the root itself
      {HKEY_LOCAL_MACHINE, "Software\\KW", false},
      {HKEY_LOCAL_MACHINE, "Software\\KWE\\Tandril\\Nope", false},
      {HKEY_CURRENT_USER, "Software\\KWE\\Tandril", false},
      {HKEY_CURRENT_USER, "Software\\KWE", true},
      {HKEY_USERS, "Software", false},
  };
  for (const Case& c : cases) {
    TRegistry reg;
    reg.SetRootKey(c.Root);
    EXPECT_EQ(reg.KeyExists(c.Key), c.Exists) << RootKeyName(c.Root) << "\\" << c.Key;
    EXPECT_EQ(reg.OpenKeyReadOnly(c.Key), c.Exists) << RootKeyName(c.Root) << "\\" << c.Key;
  }

  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKeyReadOnly("software\\kwe\\tandril"));
  EXPECT_EQ(reg.ReadString("clientpath"), "/opt/kwe/tandril/");
  EXPECT_EQ(reg.ReadString("ProfileType"), "0");
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\PLNQ\\Halvric"));
  EXPECT_EQ(reg.ReadString("GoAhead"), "1");
}

TEST_F(Registry, RelativeKeysStartAtTheOpenKey) {
  WriteRegistry(kRegistry);
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\KWE"));
  EXPECT_EQ(reg.CurrentPath(), "Software\\KWE");
  ASSERT_TRUE(reg.OpenKeyReadOnly("Tandril"));
  EXPECT_EQ(reg.CurrentPath(), "Software\\KWE\\Tandril");
  EXPECT_EQ(reg.ReadString("ClientPath"), "/opt/kwe/tandril/");
  EXPECT_FALSE(reg.OpenKeyReadOnly("Tandril"));  // no Tandril below Tandril
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\PLNQ"));  // absolute again
  EXPECT_EQ(reg.CurrentPath(), "Software\\PLNQ");
  reg.SetRootKey(HKEY_CURRENT_USER);  // changing the root closes the key
  EXPECT_FALSE(reg.HasOpenKey());
  EXPECT_EQ(reg.ReadString("User"), "");
}

TEST_F(Registry, ValueAndKeyNames) {
  WriteRegistry(kRegistry);
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  TStringList names;
  names.Add("stale");
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\KWE"));
  reg.GetValueNames(&names);
  EXPECT_EQ(names.Count(), 0);  // a key that only holds keys
  reg.GetKeyNames(&names);
  EXPECT_EQ(Lines(names), (std::vector<AnsiString>{"Tandril", "Other"}));
  EXPECT_TRUE(reg.HasSubKeys());
  ASSERT_TRUE(reg.OpenKeyReadOnly("Tandril"));
  reg.GetValueNames(&names);
  EXPECT_EQ(Lines(names), (std::vector<AnsiString>{"ClientPath", "ProfileType"}));
  reg.GetKeyNames(&names);
  EXPECT_EQ(Lines(names), (std::vector<AnsiString>{"Options"}));
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\KWE\\Other"));
  EXPECT_FALSE(reg.HasSubKeys());
}

TEST_F(Registry, WritingNeedsAKeyOpenedForWriting) {
  WriteRegistry(kRegistry);
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\KWE\\Tandril"));
  try {
    reg.WriteString("ClientPath", "/elsewhere/");
    FAIL() << "expected ERegistryException";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message, "Failed to set data for 'ClientPath'");
  }
  EXPECT_FALSE(reg.DeleteValue("ClientPath"));
  reg.CloseKey();
  EXPECT_THROW(reg.WriteString("ClientPath", "x"), ERegistryException);
  EXPECT_EQ(ReadAll(File), kRegistry);

  EXPECT_FALSE(reg.OpenKey("Software\\KWE\\New", false));  // missing and not to be created
  ASSERT_TRUE(reg.OpenKey("Software\\KWE\\Tandril", false));
  reg.WriteString("ServerPath", "/srv/kwe/");
  reg.WriteString("ClientPath", "/elsewhere/");
  EXPECT_TRUE(reg.DeleteValue("ProfileType"));
  ASSERT_TRUE(reg.OpenKey("\\Software\\KWE\\New\\Deep", true));
  EXPECT_TRUE(reg.KeyExists("\\Software\\KWE\\New"));
  reg.WriteString("Made", "yes");

  // A fresh object reads what was saved; the rest of the file is as it was.
  TRegistry fresh;
  fresh.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(fresh.OpenKeyReadOnly("Software\\KWE\\Tandril"));
  EXPECT_EQ(fresh.ReadString("ClientPath"), "/elsewhere/");
  EXPECT_EQ(fresh.ReadString("ServerPath"), "/srv/kwe/");
  EXPECT_FALSE(fresh.ValueExists("ProfileType"));
  ASSERT_TRUE(fresh.OpenKeyReadOnly("\\Software\\KWE\\New\\Deep"));
  EXPECT_EQ(fresh.ReadString("Made"), "yes");
  TMemIniFile asIni(File);
  EXPECT_EQ(asIni.ReadString("HKEY_CURRENT_USER\\Software\\KWE", "User", ""), "me");
  EXPECT_EQ(asIni.ReadString("HKEY_LOCAL_MACHINE\\Software\\KWE\\Tandril\\Options\\", "Trace", ""), "1");
}

TEST_F(Registry, OpeningForWritingNeedsAWritablePlace) {
  // No file yet but a folder to create it in: a key can be created.
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKey("Software\\KWE\\Tandril", true));
  reg.WriteString("ClientPath", "/opt/x/");
  EXPECT_EQ(ReadAll(File), "[HKEY_LOCAL_MACHINE\\Software\\KWE\\Tandril]\r\nClientPath=/opt/x/\r\n");

  // A registry file in a folder that does not exist cannot be written.
  ::setenv("KWE_REGISTRY", (Dir + "/none/registry.ini").c_str(), 1);
  TRegistry nowhere;
  nowhere.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(nowhere.OpenKey("Software", true));
  EXPECT_FALSE(nowhere.OpenKeyReadOnly("Software"));

  // The same object follows the variable when it changes.
  EXPECT_FALSE(reg.KeyExists("\\Software\\KWE\\Tandril"));
  ::setenv("KWE_REGISTRY", File.c_str(), 1);
  EXPECT_TRUE(reg.KeyExists("\\Software\\KWE\\Tandril"));
}

TEST_F(Registry, DeleteKeyTakesTheKeysBelowToo) {
  WriteRegistry(kRegistry);
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(reg.DeleteKey("Software\\KWE\\Tandril"));
  EXPECT_FALSE(reg.KeyExists("Software\\KWE\\Tandril"));
  EXPECT_FALSE(reg.KeyExists("Software\\KWE\\Tandril\\Options"));
  EXPECT_TRUE(reg.KeyExists("Software\\KWE\\Other"));
  EXPECT_FALSE(reg.DeleteKey("Software\\KWE\\Tandril"));  // gone already
  EXPECT_FALSE(reg.DeleteKey(""));                        // never the root
  reg.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_TRUE(reg.KeyExists("Software\\KWE"));
}

}  // namespace
