#pragma once
// A private installation for the environment tests: a temporary folder that
// stands for the installation, a registry file of the test's own naming it,
// and the process code page and temporary folder, all restored afterwards.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/StringList.h"

namespace kwtest {

inline std::string ReadAll(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& Path, const std::string& Text) {
  std::filesystem::create_directories(std::filesystem::path(Path).parent_path());
  std::ofstream(Path, std::ios::binary) << Text;
}

inline std::vector<AnsiString> Lines(const TStrings& List) {
  std::vector<AnsiString> lines;
  for (int i = 0; i < List.Count(); ++i) lines.push_back(List[i]);
  return lines;
}

class ScopedEnv {
 public:
  ScopedEnv(const char* Name, const std::string& Value) : FName(Name) {
    if (const char* old = std::getenv(Name)) FSaved = old;
    ::setenv(Name, Value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (FSaved)
      ::setenv(FName, FSaved->c_str(), 1);
    else
      ::unsetenv(FName);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* FName;
  std::optional<std::string> FSaved;
};

class Installation : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kw_environment_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    Root = pattern;
    Install = Root + "/install/";
    std::filesystem::create_directories(Install);
    Registry.emplace("KWE_REGISTRY", Root + "/registry.ini");
    Temp.emplace("TMPDIR", Root + "/tmp");
    SavedACP = GetACP();
  }
  void TearDown() override {
    SetACP(SavedACP);
    Registry.reset();
    Temp.reset();
    std::filesystem::remove_all(Root);
  }

  // The machine-wide key with the given value lines ("ClientPath=...").
  void WriteRegistry(const std::string& Values) {
    WriteAll(Root + "/registry.ini", "[HKEY_LOCAL_MACHINE\\Software\\KWE\\Tandril]\n" + Values);
  }
  // Both installation folders point at Install.
  void RegisterInstall(const std::string& Extra = "") {
    WriteRegistry("ClientPath=" + Install + "\nServerPath=" + Install + "\n" + Extra);
  }

  std::string Root;
  std::string Install;
  std::optional<ScopedEnv> Registry;
  std::optional<ScopedEnv> Temp;
  unsigned SavedACP = 936;
};

}  // namespace kwtest
