#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "platform/rtl/DynLib.h"

namespace {

namespace fs = std::filesystem;

using AddFn = int (*)(int, int);
using NameFn = const char* (*)();

const AnsiString kFixtureDir = KW_DYNLIB_FIXTURE_DIR;

// The name a loaded fixture reports (which build of it was loaded).
AnsiString FixtureName(HMODULE Module) {
  auto name = reinterpret_cast<NameFn>(GetProcAddress(Module, "KwFixtureName"));
  return name ? name() : "<no KwFixtureName>";
}

class DynLib : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kw_dynlib_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    Dir = pattern;
  }
  void TearDown() override {
    for (HMODULE module : Loaded) FreeLibrary(module);
    fs::remove_all(Dir);
  }
  HMODULE Keep(HMODULE Module) {
    if (Module) Loaded.push_back(Module);
    return Module;
  }
  // A folder under the test folder holding copies of fixture files under new names.
  std::string FolderWith(const std::string& Name, const std::vector<std::pair<std::string, std::string>>& Copies) {
    const std::string folder = Dir + "/" + Name;
    fs::create_directories(folder);
    for (const auto& [from, to] : Copies) fs::copy_file(from, folder + "/" + to);
    return folder;
  }

  std::string Dir;
  std::vector<HMODULE> Loaded;
};

TEST(LibraryNames, WindowsNamesMapToSharedObjectNames) {
  struct Case {
    AnsiString Name;
    std::vector<AnsiString> Files;
  };
  const Case cases[] = {
      {"Quillex.dll", {"libQuillex.so", "Quillex.so"}},
      {"Quillex.DLL", {"libQuillex.so", "Quillex.so"}},
      {"Quillex", {"libQuillex.so", "Quillex.so"}},
      {"libz.so", {"libz.so"}},
      {"libz.so.1", {"libz.so.1"}},
      {".dll", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(LibraryFileNames(c.Name), c.Files) << c.Name;
}

TEST_F(DynLib, LoadsTheStandInByWindowsNameAndCallsIt) {
  struct Case {
    AnsiString Name;
    AnsiString Loaded;  // the fixture build expected
    AnsiString File;    // the file name it comes from
  };
  const Case cases[] = {
      {"KwFixture.dll", "KwFixture", "libKwFixture.so"},
      {"KwFixture", "KwFixture", "libKwFixture.so"},
      {"KwPlainFixture.dll", "KwPlainFixture", "KwPlainFixture.so"},
      {"KWPLAINFIXTURE.DLL", "KwPlainFixture", "KwPlainFixture.so"},  // case as written on Windows
  };
  for (const Case& c : cases) {
    HMODULE module = Keep(LoadLibrary(c.Name, {kFixtureDir}));
    ASSERT_NE(module, nullptr) << c.Name << ": " << LastLibraryError();
    EXPECT_EQ(GetLastOSError(), 0);
    EXPECT_EQ(FixtureName(module), c.Loaded);
    EXPECT_EQ(GetModuleFileName(module), kFixtureDir + "/" + c.File);
    auto add = reinterpret_cast<AddFn>(GetProcAddress(module, "KwFixtureAdd"));
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add(2, 3), 5);
    auto* counter = static_cast<int*>(GetProcAddress(module, "KwFixtureCounter"));
    ASSERT_NE(counter, nullptr);
    EXPECT_EQ(*counter, 41);
  }
}

TEST_F(DynLib, SearchOrderCallerFolderThenExtraFoldersFirstFileWins) {
  const std::string lib = kFixtureDir + "/libKwFixture.so", plain = kFixtureDir + "/KwPlainFixture.so";
  // Within a folder the "lib" name comes first.
  const std::string both = FolderWith("both", {{plain, "Pick.so"}, {lib, "libPick.so"}});
  // An earlier folder wins even with the less preferred name.
  const std::string plainOnly = FolderWith("plain", {{plain, "Pick.so"}});

  HMODULE module = Keep(LoadLibrary("Pick.dll", {both, plainOnly}));
  ASSERT_NE(module, nullptr) << LastLibraryError();
  EXPECT_EQ(FixtureName(module), "KwFixture");
  module = Keep(LoadLibrary("Pick.dll", {plainOnly, both}));
  ASSERT_NE(module, nullptr) << LastLibraryError();
  EXPECT_EQ(FixtureName(module), "KwPlainFixture");

  // The folder of the calling module comes before the extra folders: a caller
  // inside the fixture's folder finds the plain build there.
  HMODULE host = Keep(LoadLibrary(lib));
  ASSERT_NE(host, nullptr) << LastLibraryError();
  const void* callerInFixtureFolder = GetProcAddress(host, "KwFixtureAdd");
  module = Keep(LoadLibrary("KwPlainFixture.dll", {}, callerInFixtureFolder));
  ASSERT_NE(module, nullptr) << LastLibraryError();
  EXPECT_EQ(FixtureName(module), "KwPlainFixture");
  const std::string decoy = FolderWith("decoy", {{lib, "KwPlainFixture.so"}});
  module = Keep(LoadLibrary("KwPlainFixture.dll", {decoy}, callerInFixtureFolder));
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(FixtureName(module), "KwPlainFixture");
}

TEST_F(DynLib, DefaultCallerIsTheModuleHoldingTheRunTimeLibrary) {
  // The run-time library is linked into this test program, so a library next
  // to the program is found without any folder given.
  const std::string programDir = fs::path(GetExecutablePath()).parent_path();
  const std::string name = "KwNextToProgram" + std::to_string(::getpid());
  const std::string copy = programDir + "/lib" + name + ".so";
  fs::copy_file(kFixtureDir + "/libKwFixture.so", copy);
  HMODULE module = LoadLibrary(name + ".dll");
  fs::remove(copy);
  ASSERT_NE(module, nullptr) << LastLibraryError();
  EXPECT_EQ(FixtureName(module), "KwFixture");
  EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(DynLib, PathsLoadAsGivenOrTheStandInBesideThem) {
  struct Case {
    AnsiString Name;
    AnsiString Loaded;
  };
  const Case cases[] = {
      {kFixtureDir + "/KwPlainFixture.so", "KwPlainFixture"},
      {kFixtureDir + "/KwPlainFixture.dll", "KwPlainFixture"},
      {kFixtureDir + "/KwFixture.DLL", "KwFixture"},
  };
  for (const Case& c : cases) {
    HMODULE module = Keep(LoadLibrary(c.Name));
    ASSERT_NE(module, nullptr) << c.Name << ": " << LastLibraryError();
    EXPECT_EQ(FixtureName(module), c.Loaded);
  }
  // A Windows-style path with "\" works the same.
  AnsiString windowsStyle = kFixtureDir + "\\KwPlainFixture.dll";
  HMODULE module = Keep(LoadLibrary(windowsStyle));
  ASSERT_NE(module, nullptr) << LastLibraryError();
  // A relative path: the module keeps its full path after the folder changes.
  const std::string folder = FolderWith("relative", {{kFixtureDir + "/KwPlainFixture.so", "KwRelative.so"}});
  const fs::path before = fs::current_path();
  fs::current_path(folder);
  module = Keep(LoadLibrary("./KwRelative.so"));
  fs::current_path(before);
  ASSERT_NE(module, nullptr) << LastLibraryError();
  EXPECT_EQ(GetModuleFileName(module), folder + "/KwRelative.so");
  EXPECT_EQ(GetModulePathOfAddress(GetProcAddress(module, "KwFixtureAdd")), folder + "/KwRelative.so");
  // And a system library by its shared-object name.
  EXPECT_NE(Keep(LoadLibrary("libc.so.6")), nullptr) << LastLibraryError();
}

TEST_F(DynLib, FailuresGiveTheWindowsCodesAndTheLoadersText) {
  struct Case {
    const char* What;
    std::function<HMODULE()> Load;
    int Code;
    const char* TextPart;
  };
  const std::string broken = FolderWith("broken", {});
  std::ofstream(broken + "/libBroken.so") << "not a shared library";
  const std::string good = FolderWith("good", {{kFixtureDir + "/libKwFixture.so", "libBroken.so"}});
  const Case cases[] = {
      {"unknown name", [&] { return LoadLibrary("NoSuchKwLibrary.dll", {Dir}); }, 126, "NoSuchKwLibrary"},
      {"unknown path", [&] { return LoadLibrary(Dir + "/none/X.dll"); }, 126, "X.dll"},
      {"unknown shared object", [] { return LoadLibrary("libNoSuchKwLibrary.so"); }, 126, "libNoSuchKwLibrary.so"},
      {"empty name", [] { return LoadLibrary(""); }, 126, "name"},
      // The first file found is the one: a broken one ends the search.
      {"broken file first", [&] { return LoadLibrary("Broken.dll", {broken, good}); }, 126, "libBroken.so"},
      {"missing import", [] { return LoadLibrary("KwMissingImport.dll", {kFixtureDir}); }, 127,
       "KwFixtureNeverDefined"},
  };
  for (const Case& c : cases) {
    SetLastOSError(0);
    EXPECT_EQ(c.Load(), nullptr) << c.What;
    EXPECT_EQ(GetLastOSError(), c.Code) << c.What;
    EXPECT_NE(LastLibraryError().find(c.TextPart), AnsiString::npos) << c.What << ": " << LastLibraryError();
  }
  EXPECT_EQ(SysErrorMessage(126), "The specified module could not be found.");
  EXPECT_EQ(SysErrorMessage(127), "The specified procedure could not be found.");
}

TEST_F(DynLib, MissingEntryPointsAndBadHandles) {
  HMODULE module = Keep(LoadLibrary("KwFixture.dll", {kFixtureDir}));
  ASSERT_NE(module, nullptr) << LastLibraryError();
  EXPECT_EQ(GetProcAddress(module, "KwFixtureMissing"), nullptr);
  EXPECT_EQ(GetLastOSError(), 127);
  EXPECT_NE(LastLibraryError().find("KwFixtureMissing"), AnsiString::npos);
  EXPECT_NE(GetProcAddress(module, "KwFixtureAdd"), nullptr);
  EXPECT_EQ(GetLastOSError(), 0);
  EXPECT_EQ(LastLibraryError(), "");

  int notALibrary = 0;
  EXPECT_EQ(GetProcAddress(nullptr, "KwFixtureAdd"), nullptr);
  EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(&notALibrary), "KwFixtureAdd"), nullptr);
  EXPECT_FALSE(FreeLibrary(nullptr));
  EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(&notALibrary)));
  EXPECT_EQ(GetModuleFileName(nullptr), "");
}

TEST_F(DynLib, EveryLoadNeedsItsOwnFree) {
  HMODULE first = LoadLibrary("KwPlainFixture.dll", {kFixtureDir});
  HMODULE second = LoadLibrary("KwPlainFixture.dll", {kFixtureDir});
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);  // one library, loaded twice
  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_NE(GetProcAddress(second, "KwFixtureAdd"), nullptr);  // still loaded once
  EXPECT_TRUE(FreeLibrary(second));
  EXPECT_FALSE(FreeLibrary(second));  // freed as often as loaded
  EXPECT_EQ(GetProcAddress(second, "KwFixtureAdd"), nullptr);
}

}  // namespace
