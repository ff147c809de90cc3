#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Files.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Sets an environment variable for a scope and puts the old value back.
class TEnvGuard {
 public:
  TEnvGuard(const char* Name, const char* Value) : FName(Name) {
    if (const char* old = std::getenv(Name)) FOld = old;
    if (Value)
      ::setenv(Name, Value, 1);
    else
      ::unsetenv(Name);
  }
  ~TEnvGuard() {
    if (FOld)
      ::setenv(FName, FOld->c_str(), 1);
    else
      ::unsetenv(FName);
  }

 private:
  const char* FName;
  std::optional<std::string> FOld;
};

// The double-byte cases are written in GBK: run them under code page 936
// whatever the environment chose.
class TCodePageGuard {
 public:
  explicit TCodePageGuard(unsigned CodePage) : FOld(GetACP()) { SetACP(CodePage); }
  ~TCodePageGuard() { SetACP(FOld); }

 private:
  unsigned FOld;
};

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kw_files_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    Dir = pattern;
  }
  void TearDown() override { fs::remove_all(Dir); }
  void Touch(const std::string& Name, const std::string& Content = "x") {
    std::ofstream(Dir + "/" + Name, std::ios::binary) << Content;
  }
  std::string Dir;
};

TEST(PathParts, BothSeparatorsAndDoubleByteNames) {
  TCodePageGuard gbk(936);
  struct Case {
    AnsiString Name, Path, DirPart, FileName, Ext;
  };
  const Case cases[] = {
      {"/a/b/c.txt", "/a/b/", "/a/b", "c.txt", ".txt"},
      {"C:\\App\\Pkg\\x.dll", "C:\\App\\Pkg\\", "C:\\App\\Pkg", "x.dll", ".dll"},
      {"a\\b/c", "a\\b/", "a\\b", "c", ""},
      {"dir.d/file", "dir.d/", "dir.d", "file", ""},
      {"file", "", "", "file", ""},
      {"/", "/", "/", "", ""},
      {"/top", "/", "/", "top", ""},
      {"a//b", "a//", "a//", "b", ""},
      {"a.tar.gz", "", "", "a.tar.gz", ".gz"},
      {".bashrc", "", "", ".bashrc", ".bashrc"},
      {"", "", "", "", ""},
      // 0x81 0x5C is one GBK character whose second byte is "\": not a separator.
      {"dir/\x81\x5C.txt", "dir/", "dir", "\x81\x5C.txt", ".txt"},
      {"\x81\x5C", "", "", "\x81\x5C", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.Name), c.Path) << c.Name;
    EXPECT_EQ(ExtractFileDir(c.Name), c.DirPart) << c.Name;
    EXPECT_EQ(ExtractFileName(c.Name), c.FileName) << c.Name;
    EXPECT_EQ(ExtractFileExt(c.Name), c.Ext) << c.Name;
  }
}

TEST(PathParts, ChangeExtensionAndTrailingSeparators) {
  TCodePageGuard gbk(936);
  struct Case {
    AnsiString Name, Ext, Result;
  };
  const Case changes[] = {
      {"a/b.txt", ".ini", "a/b.ini"},
      {"a.d/b", ".ini", "a.d/b.ini"},
      {"C:\\x.y\\ZKPW31C.dll", ".so", "C:\\x.y\\ZKPW31C.so"},
      {"a.tar.gz", "", "a.tar"},
  };
  for (const Case& c : changes) EXPECT_EQ(ChangeFileExt(c.Name, c.Ext), c.Result) << c.Name;

  struct Trail {
    AnsiString Input, Included, Excluded;
  };
  const Trail trails[] = {
      {"a", "a/", "a"},
      {"a/", "a/", "a"},
      {"C:\\App\\", "C:\\App\\", "C:\\App"},
      {"", "/", ""},
      {"/", "/", ""},
      {"x\x81\x5C", "x\x81\x5C/", "x\x81\x5C"},  // ends in a trail byte, not a separator
  };
  for (const Trail& t : trails) {
    EXPECT_EQ(IncludeTrailingPathDelimiter(t.Input), t.Included) << t.Input;
    EXPECT_EQ(ExcludeTrailingPathDelimiter(t.Input), t.Excluded) << t.Input;
  }
}

TEST(PathParts, NormalizeAndExpand) {
  TCodePageGuard gbk(936);
  struct Case {
    AnsiString Input, Normalized;
  };
  const Case cases[] = {
      {"C:\\App\\\\Pkg\\", "C:/App/Pkg/"},
      {"\\\\server\\share\\x", "//server/share/x"},
      {"a//b///c", "a/b/c"},
      {"/opt/kwe/", "/opt/kwe/"},
      {"pkg\\\x81\x5C\\y", "pkg/\x81\x5C/y"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(NormalizePath(c.Input), c.Normalized) << c.Input;

  const AnsiString cwd = GetCurrentDir();
  ASSERT_FALSE(cwd.empty());
  struct Expand {
    AnsiString Input, Result;
  };
  const Expand expansions[] = {
      {"/a/./b/../c", "/a/c"},
      {"/..", "/"},
      {"/a/b/", "/a/b/"},
      {"\\a\\b", "/a/b"},
      {"x/y", IncludeTrailingPathDelimiter(cwd) + "x/y"},
      {"..", cwd == "/" ? AnsiString("/") : ExtractFileDir(cwd)},
      {"", ""},
  };
  for (const Expand& e : expansions) EXPECT_EQ(ExpandFileName(e.Input), e.Result) << e.Input;
}

TEST(PathParts, MasksMatchLikeWindows) {
  TCodePageGuard gbk(936);
  struct Case {
    AnsiString Name, Mask;
    bool Matches;
  };
  const Case cases[] = {
      {"TandrilC.ini", "*.INI", true}, {"TandrilC.ini", "tandril?.ini", true},
      {"TandrilC.ini", "?.ini", false}, {"noext", "*.*", true},
      {"a.b.c", "*.c", true},           {"abc", "a*b*c", true},
      {"abc", "a*d", false},            {"", "*", true},
      {"\xD7\xCA.txt", "?.txt", true},  // one double-byte character is one "?"
      {"\x81\x41", "\x81\x61", false},  // trail bytes are not letters
  };
  for (const Case& c : cases) EXPECT_EQ(MatchesMask(c.Name, c.Mask), c.Matches) << c.Name << " ~ " << c.Mask;
}

TEST_F(Files, ExistenceAndFolders) {
  Touch("f.txt");
  EXPECT_TRUE(FileExists(Dir + "/f.txt"));
  EXPECT_FALSE(FileExists(Dir));  // a folder is not a file
  EXPECT_FALSE(FileExists(Dir + "/none"));
  EXPECT_FALSE(FileExists(""));
  EXPECT_TRUE(DirectoryExists(Dir));
  EXPECT_FALSE(DirectoryExists(Dir + "/f.txt"));

  EXPECT_TRUE(ForceDirectories(Dir + "/p/q\\r/"));
  EXPECT_TRUE(DirectoryExists(Dir + "/p/q/r"));
  EXPECT_TRUE(ForceDirectories(Dir + "/p/q"));  // existing is fine
  EXPECT_FALSE(ForceDirectories(Dir + "/f.txt/sub"));
  EXPECT_EQ(GetLastOSError(), ENOTDIR);
  EXPECT_FALSE(ForceDirectories(""));

  EXPECT_FALSE(CreateDir(Dir + "/x/y"));  // the parent must exist
  EXPECT_TRUE(CreateDir(Dir + "/x"));
  EXPECT_TRUE(RemoveDir(Dir + "/x"));
  EXPECT_FALSE(DirectoryExists(Dir + "/x"));
}

TEST_F(Files, RenameNeverReplacesAndDeleteRemoves) {
  Touch("a", "A");
  Touch("b", "B");
  EXPECT_FALSE(RenameFile(Dir + "/a", Dir + "/b"));
  EXPECT_EQ(GetLastOSError(), EEXIST);
  EXPECT_EQ(ReadAll(Dir + "/b"), "B");
  EXPECT_TRUE(RenameFile(Dir + "/a", Dir + "/c"));
  EXPECT_EQ(ReadAll(Dir + "/c"), "A");
  EXPECT_TRUE(DeleteFile(Dir + "/c"));
  EXPECT_FALSE(FileExists(Dir + "/c"));
  EXPECT_FALSE(DeleteFile(Dir + "/c"));
  EXPECT_EQ(GetLastOSError(), ENOENT);
  EXPECT_FALSE(DeleteFile(Dir));  // not for folders
}

TEST_F(Files, FindFilesListsMatchingNamesSorted) {
  for (const char* name : {"b.INI", "a.ini", "c.txt", "d.ini.bak"}) Touch(name);
  fs::create_directory(Dir + "/sub.ini");
  EXPECT_EQ(FindFiles(Dir, "*.ini"), (std::vector<AnsiString>{"a.ini", "b.INI"}));
  EXPECT_EQ(FindFiles(Dir, "*.ini", true), (std::vector<AnsiString>{"a.ini", "b.INI", "sub.ini"}));
  EXPECT_EQ(FindFiles(Dir, "*.*").size(), 4u);
  EXPECT_TRUE(FindFiles(Dir + "/none", "*").empty());
}

TEST_F(Files, NamesInTheProcessCodePageAreUtf8OnDisk) {
  TCodePageGuard gbk(936);
  // GB bytes in our strings, UTF-8 names on the file system, as the ANSI file
  // functions of the home platform convert at the system call.
  const AnsiString gbName = GB("资产.txt");
  ASSERT_EQ(gbName, "\xD7\xCA\xB2\xFA.txt");
  ASSERT_TRUE(WriteFileBytes(Dir + "/" + gbName, "data"));
  EXPECT_TRUE(fs::exists(fs::path(Dir + "/资产.txt")));
  EXPECT_TRUE(FileExists(Dir + "/" + gbName));
  EXPECT_EQ(FindFiles(Dir, "*.txt"), (std::vector<AnsiString>{gbName}));
  EXPECT_TRUE(ForceDirectories(Dir + "/" + GB("报表") + "/x"));
  EXPECT_TRUE(fs::is_directory(fs::path(Dir + "/报表/x")));
}

TEST_F(Files, WholeFileReadAndAtomicWrite) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  const AnsiString file = Dir + "/bytes.bin";
  ASSERT_TRUE(WriteFileBytes(file, all));
  AnsiString back = "untouched";
  ASSERT_TRUE(ReadFileBytes(file, back));
  EXPECT_EQ(back, all);

  // Permissions stay; a symbolic link keeps pointing at the file it names.
  ::chmod(file.c_str(), 0640);
  fs::create_symlink(file, Dir + "/link.bin");
  ASSERT_TRUE(WriteFileBytes(Dir + "/link.bin", "new"));
  EXPECT_TRUE(fs::is_symlink(Dir + "/link.bin"));
  EXPECT_EQ(ReadAll(file), "new");
  struct stat st;
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(Dir), fs::directory_iterator()), 2);

  back = "untouched";
  EXPECT_FALSE(ReadFileBytes(Dir + "/none", back));
  EXPECT_EQ(back, "untouched");
  EXPECT_FALSE(WriteFileBytes(Dir + "/none/x", "x"));
  EXPECT_EQ(GetLastOSError(), ENOENT);
  EXPECT_FALSE(WriteFileBytes(Dir, "x"));  // a folder is never replaced
  EXPECT_TRUE(fs::is_directory(Dir));
}

TEST_F(Files, AgeIsTheLocalModificationTime) {
  Touch("dated");
  struct tm local = {};
  local.tm_year = 2020 - 1900;
  local.tm_mon = 4;
  local.tm_mday = 6;
  local.tm_hour = 7;
  local.tm_min = 8;
  local.tm_sec = 9;
  local.tm_isdst = -1;
  const struct timespec times[2] = {{::mktime(&local), 0}, {::mktime(&local), 500000000}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (Dir + "/dated").c_str(), times, 0), 0);
  TDateTime age;
  ASSERT_TRUE(FileAge(Dir + "/dated", age));
  // 2020-05-06 is day 43957 after 1899-12-30.
  const double expected = 43957 + (7 * 3600 + 8 * 60 + 9.5) / 86400.0;
  EXPECT_NEAR(age.Value, expected, 1e-8);
  EXPECT_FALSE(FileAge(Dir + "/none", age));
  EXPECT_EQ(FileSizeOf(Dir + "/dated"), 1);
  EXPECT_EQ(FileSizeOf(Dir + "/none"), -1);
}

TEST(Environment, TempFolderFollowsTmpdir) {
  {
    TEnvGuard guard("TMPDIR", "/var/tmp/kw");
    EXPECT_EQ(GetTempPath(), "/var/tmp/kw/");
  }
  {
    TEnvGuard guard("TMPDIR", "/var/tmp/kw/");
    EXPECT_EQ(GetTempPath(), "/var/tmp/kw/");
  }
  {
    TEnvGuard guard("TMPDIR", "");
    EXPECT_EQ(GetTempPath(), "/tmp/");
  }
  TEnvGuard guard("TMPDIR", nullptr);
  EXPECT_EQ(GetTempPath(), "/tmp/");
}

TEST(Environment, UserNameComesFromThePasswordDatabase) {
  // $USER is only the fall-back for a user the database does not know.
  const passwd* entry = ::getpwuid(::getuid());
  const AnsiString expected = entry ? entry->pw_name : "someone-else";
  TEnvGuard guard("USER", "someone-else");
  EXPECT_EQ(GetCurrentUserName(), expected);
}

TEST(Environment, ProgramAndModulePaths) {
  const AnsiString program = GetExecutablePath();
  EXPECT_EQ(ExtractFileName(program), "rtl_files");
  EXPECT_EQ(program[0], '/');
  // This function is in the program; gnu_get_libc_version is in the C library
  // (and, unlike strlen, not taken over by the address sanitizer).
  EXPECT_EQ(GetModulePathOfAddress(reinterpret_cast<const void*>(&GetExecutablePath)), program);
  static int data = 0;
  EXPECT_EQ(GetModulePathOfAddress(&data), program);
  void* libcAddress = ::dlsym(RTLD_DEFAULT, "gnu_get_libc_version");
  ASSERT_NE(libcAddress, nullptr);
  const AnsiString libc = GetModulePathOfAddress(libcAddress);
  EXPECT_EQ(libc[0], '/');
  EXPECT_NE(ExtractFileName(libc).find("libc"), AnsiString::npos) << libc;
  EXPECT_EQ(GetModulePathOfAddress(nullptr), "");
}

TEST(OSErrors, MessagesAndRaising) {
  EXPECT_EQ(SysErrorMessage(ENOENT), "No such file or directory");
  try {
    RaiseLastOSError(ENOENT);
    FAIL() << "expected EOSError";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode, ENOENT);
    EXPECT_EQ(e.Message, "System Error.  Code: 2.\r\nNo such file or directory");
  }
  SetLastOSError(0);
  try {
    RaiseLastOSError();
    FAIL() << "expected EOSError";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.Message, "A call to an OS function failed");
  }
}

}  // namespace
