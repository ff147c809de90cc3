#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/rtl/IniFile.h"
#include "platform/rtl/StringList.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::string ReadAll(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& Path, const std::string& Bytes) {
  std::ofstream(Path, std::ios::binary | std::ios::trunc) << Bytes;
}

std::vector<AnsiString> Lines(const TStrings& List) {
  std::vector<AnsiString> lines;
  for (int i = 0; i < List.Count(); ++i) lines.push_back(List[i]);
  return lines;
}

// A file with everything a hand-edited or damaged INI file may hold.
const std::string kMessyIni =
    "; installation settings\r\n"
    "orphan=before any section\r\n"
    "[Client Components]\r\n"
    "  LangType  =  CHS  \r\n"
    "garbage line without equals\r\n"
    "\x01\x02\xFF\xFE binary\r\n"
    "=no name\r\n"
    "RTBuilderDataPath=C:\\Data\\RT\r\n"
    "Empty=\r\n"
    "Quoted=\"  padded  \"\r\n"
    "Single='x'\r\n"
    "HalfQuoted=\"open\r\n"
    "langtype=second\r\n"
    "; a comment = not a key\r\n"
    "[Server Information]\r\n"
    "ComputerName=srv1;srv2;\r\n"
    "ServerPort=212\r\n"
    "[Broken\r\n"
    "Lost=under a broken header\r\n"
    "[WorkDLLPath]\r\n"
    "Path1=Pkg\r\n"
    "Path2=\\Other\\\r\n"
    "Path3=D:\\Lib\r\n"
    "[ client components ]\r\n"
    "LateKey=in a repeated section\r\n"
    "[Chinese]\r\n"
    "\xD7\xCA\xB2\xFA=\xC9\xE8\xB1\xB8\r\n";

class IniFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kw_inifile_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    Dir = pattern;
    File = Dir + "/TandrilC.ini";
  }
  void TearDown() override { fs::remove_all(Dir); }
  std::string Dir, File;
};

TEST_F(IniFiles, MissingFileSectionOrKeyGivesTheDefault) {
  TStringList list;
  list.Add("stale");
  {
    TMemIniFile ini(Dir + "/none.ini");
    EXPECT_EQ(ini.ReadString("CodePage", "UICodePage", "936"), "936");
    EXPECT_EQ(ini.ReadInteger("Server Information", "ServerPort", 211), 211);
    EXPECT_TRUE(ini.ReadBool("a", "b", true));
    EXPECT_DOUBLE_EQ(ini.ReadFloat("a", "b", 2.5), 2.5);
    EXPECT_FALSE(ini.SectionExists("CodePage"));
    ini.ReadSectionValues("WorkDLLPath", &list);
    EXPECT_EQ(list.Count(), 0);  // the list is emptied, not appended to
  }
  WriteAll(File, kMessyIni);
  TIniFile ini(File);
  EXPECT_EQ(ini.ReadString("No Section", "LangType", "ENG"), "ENG");
  EXPECT_EQ(ini.ReadString("Client Components", "NoKey", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("Client Components", "Empty", "dflt"), "");  // present but empty
  EXPECT_FALSE(fs::exists(Dir + "/none.ini"));                          // reading creates nothing
}

TEST_F(IniFiles, ReadsDespiteCommentsGarbageAndOddSpacing) {
  WriteAll(File, kMessyIni);
  struct Case {
    AnsiString Section, Key, Expected;
  };
  const Case cases[] = {
      {"Client Components", "LangType", "CHS"},  // trimmed; the first of two keys counts
      {"CLIENT COMPONENTS", "langtype", "CHS"},  // names ignore case
      {"Client Components", "RTBuilderDataPath", "C:\\Data\\RT"},
      {"Client Components", "Quoted", "  padded  "},
      {"Client Components", "Single", "x"},
      {"Client Components", "HalfQuoted", "\"open"},
      {"Client Components", "LateKey", "-"},  // a repeated section is not read
      {"Client Components", "garbage line without equals", "-"},
      {"Client Components", "", "-"},
      {"Client Components", "; a comment", "-"},
      {"Server Information", "ComputerName", "srv1;srv2;"},
      {"Server Information", "Lost", "-"},  // under "[Broken": no section
      {"Broken", "Lost", "-"},
      {"", "orphan", "-"},
      {" WorkDLLPath ", " Path2 ", "\\Other\\"},
      {"Chinese", "\xD7\xCA\xB2\xFA", "\xC9\xE8\xB1\xB8"},
  };
  for (TCustomIniFile* ini : std::initializer_list<TCustomIniFile*>{new TMemIniFile(File), new TIniFile(File)}) {
    for (const Case& c : cases)
      EXPECT_EQ(ini->ReadString(c.Section, c.Key, "-"), c.Expected)
          << ini->ClassName() << " [" << c.Section << "] " << c.Key;
    EXPECT_TRUE(ini->SectionExists("server information"));
    EXPECT_FALSE(ini->SectionExists("Broken"));
    EXPECT_TRUE(ini->ValueExists("Client Components", "empty"));
    EXPECT_FALSE(ini->ValueExists("Client Components", "LateKey"));
    delete ini;
  }
}

TEST_F(IniFiles, NumbersAreReadLeniently) {
  struct Case {
    AnsiString Text;
    int Integer;
    bool Bool;
  };
  const Case cases[] = {
      {"212", 212, true},   {" -7 ", -7, true},     {"$1F", 31, true},  {"0x1F", 31, true},
      {"0X1f", 31, true},   {"0", 0, false},        {"12abc", -1, true}, {"abc", -1, true},
      {"", -1, true},       {"99999999999", -1, true}, {"yes", -1, true}, {"1.5", -1, true},
  };
  std::string text = "[N]\r\n";
  for (size_t i = 0; i < std::size(cases); ++i) text += "k" + std::to_string(i) + "=" + cases[i].Text + "\r\n";
  WriteAll(File, text);
  TMemIniFile ini(File);
  for (size_t i = 0; i < std::size(cases); ++i) {
    const AnsiString key = "k" + std::to_string(i);
    EXPECT_EQ(ini.ReadInteger("N", key, -1), cases[i].Integer) << cases[i].Text;
    EXPECT_EQ(ini.ReadBool("N", key, true), cases[i].Bool) << cases[i].Text;
  }
  WriteAll(File, "[F]\r\na=1.5\r\nb=abc\r\nc=-2E3\r\n");
  TMemIniFile floats(File);
  EXPECT_DOUBLE_EQ(floats.ReadFloat("F", "a", 0), 1.5);
  EXPECT_DOUBLE_EQ(floats.ReadFloat("F", "b", 9), 9);
  EXPECT_DOUBLE_EQ(floats.ReadFloat("F", "c", 0), -2000);
}

TEST_F(IniFiles, SectionsAndSectionValuesInFileOrder) {
  WriteAll(File, kMessyIni);
  TIniFile ini(File);
  TStringList list;
  ini.ReadSectionValues("workdllpath", &list);
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"Path1=Pkg", "Path2=\\Other\\", "Path3=D:\\Lib"}));
  ini.ReadSection("Client Components", &list);
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"LangType", "RTBuilderDataPath", "Empty", "Quoted", "Single",
                                                  "HalfQuoted", "langtype"}));
  ini.ReadSectionValues("Client Components", &list);
  EXPECT_EQ(list[3], "Quoted=  padded  ");
  EXPECT_EQ(list.Values("LangType"), "CHS");  // the first of the repeated key
  ini.ReadSections(&list);
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"Client Components", "Server Information", "WorkDLLPath",
                                                  "Chinese"}));
}

TEST_F(IniFiles, WritesChangeOnlyTheirLines) {
  const std::string original =
      "; top comment\r\n"
      "[A]\r\n"
      "one=1\r\n"
      "; about two\r\n"
      "Two=2\r\n"
      "\r\n"
      "; heads section B\r\n"
      "[B]\r\n"
      "x=y\r\n";
  WriteAll(File, original);
  TMemIniFile ini(File);
  ini.WriteString("a", "TWO", "22");  // existing key: its line, its spelling
  ini.WriteInteger("A", "three", 3);  // new key: after the section's last key
  ini.WriteBool("C", "flag", true);   // new section: at the end
  ini.WriteString("B", "padded", " p ");
  EXPECT_EQ(ReadAll(File), original);  // nothing on disk before UpdateFile
  EXPECT_TRUE(ini.Modified());
  ini.UpdateFile();
  EXPECT_EQ(ReadAll(File),
            "; top comment\r\n"
            "[A]\r\n"
            "one=1\r\n"
            "; about two\r\n"
            "Two=22\r\n"
            "three=3\r\n"
            "\r\n"
            "; heads section B\r\n"
            "[B]\r\n"
            "x=y\r\n"
            "padded=\" p \"\r\n"
            "\r\n"
            "[C]\r\n"
            "flag=1\r\n");

  TMemIniFile again(File);
  EXPECT_EQ(again.ReadString("B", "padded", ""), " p ");
  again.DeleteKey("A", "one");
  again.EraseSection("b");
  again.UpdateFile();
  EXPECT_EQ(ReadAll(File),
            "; top comment\r\n"
            "[A]\r\n"
            "; about two\r\n"
            "Two=22\r\n"
            "three=3\r\n"
            "\r\n"
            "; heads section B\r\n"
            "\r\n"
            "[C]\r\n"
            "flag=1\r\n");
}

TEST_F(IniFiles, ValuesRoundTripExactly) {
  const AnsiString values[] = {"plain", "  outer blanks  ", "\"quoted\"", "'single'", "\"half", "a=b;c",
                               "", "\xD7\xCA\xB2\xFA\x81\x5C", "tab\tinside", "[not a section]"};
  {
    TIniFile ini(File);
    for (size_t i = 0; i < std::size(values); ++i) ini.WriteString("V", "k" + std::to_string(i), values[i]);
  }
  TMemIniFile ini(File);
  for (size_t i = 0; i < std::size(values); ++i)
    EXPECT_EQ(ini.ReadString("V", "k" + std::to_string(i), "-"), values[i]) << values[i];
}

TEST_F(IniFiles, WhatTheFormatCannotHoldIsRefusedAndNothingChanges) {
  WriteAll(File, "[S]\r\nk=v\r\n");
  TIniFile ini(File);
  struct Case {
    AnsiString Section, Key, Value;
  };
  const Case cases[] = {
      {"S", "k", "line\r\nbreak"}, {"S", "k", "x\n[Other]\nk=v"}, {"S", "a=b", "v"}, {"S", "", "v"},
      {"S", ";k", "v"},            {"S", "[k]", "v"},             {"S]x", "k", "v"}, {"", "k", "v"},
      {"S\rX", "k", "v"},
  };
  for (const Case& c : cases) EXPECT_THROW(ini.WriteString(c.Section, c.Key, c.Value), EIniFileException);
  EXPECT_EQ(ReadAll(File), "[S]\r\nk=v\r\n");
}

TEST_F(IniFiles, TIniFileWritesAtOnceAndSeesOtherWriters) {
  WriteAll(File, "[S]\nk=v\n");  // LF-only file: new lines follow its style
  TIniFile ini(File);
  ini.WriteString("S", "n", "1");
  EXPECT_EQ(ReadAll(File), "[S]\nk=v\nn=1\n");

  TIniFile other(File);
  other.WriteString("S", "k", "changed");
  EXPECT_EQ(ini.ReadString("S", "k", ""), "changed");  // the first one sees it
  ini.DeleteKey("S", "n");
  EXPECT_EQ(ReadAll(File), "[S]\nk=changed\n");  // and does not undo it

  TMemIniFile snapshot(File);
  other.WriteString("S", "k", "later");
  EXPECT_EQ(snapshot.ReadString("S", "k", ""), "changed");  // a memory file keeps what it read
  snapshot.Reload();
  EXPECT_EQ(snapshot.ReadString("S", "k", ""), "later");
}

TEST_F(IniFiles, FailedWriteRaisesAndKeepsTheFile) {
  std::ofstream(Dir + "/blocker") << "a file where a folder should be";
  TIniFile ini(Dir + "/blocker/x.ini");
  try {
    ini.WriteString("S", "k", "v");
    FAIL() << "expected EIniFileException";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message.rfind("Unable to write to " + Dir + "/blocker/x.ini", 0), 0u) << e.Message;
  }
  EXPECT_EQ(ini.ReadString("S", "k", "none"), "none");  // the failed change is not pretended

  TMemIniFile mem(Dir + "/blocker/y.ini");
  mem.WriteString("S", "k", "v");
  EXPECT_THROW(mem.UpdateFile(), EIniFileException);
  EXPECT_EQ(mem.ReadString("S", "k", ""), "v");  // still there to retry elsewhere
  EXPECT_TRUE(mem.Modified());
}

TEST_F(IniFiles, DatesUseTheFormatSettings) {
  TIniFile ini(File);
  const TDateTime date(43957.0), moment(43957.25);
  ini.WriteDate("D", "day", date);
  ini.WriteDateTime("D", "moment", moment);
  EXPECT_DOUBLE_EQ(ini.ReadDate("D", "day", 0).Value, date.Value);
  EXPECT_NEAR(ini.ReadDateTime("D", "moment", 0).Value, moment.Value, 1e-6);
  EXPECT_DOUBLE_EQ(ini.ReadDate("D", "missing", 1.0).Value, 1.0);
  ini.WriteString("D", "bad", "not a date");
  EXPECT_DOUBLE_EQ(ini.ReadDate("D", "bad", 2.0).Value, 2.0);
}

}  // namespace
