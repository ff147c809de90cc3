#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/StringList.h"

namespace {

using namespace std::string_literals;

std::vector<AnsiString> Lines(const TStrings& List) {
  std::vector<AnsiString> lines;
  for (int i = 0; i < List.Count(); ++i) lines.push_back(List[i]);
  return lines;
}

void Fill(TStrings& List, const std::vector<AnsiString>& Lines) {
  List.Clear();
  for (const AnsiString& line : Lines) List.Add(line);
}

template <class E, class F>
AnsiString MessageOf(F&& Action) {
  try {
    Action();
  } catch (const E& e) {
    return e.Message;
  }
  return "<no exception>";
}

// Counts how many live instances there are, to see who frees objects.
class TCounted : public TObject {
  KW_DECLARE_CLASS(TCounted, TObject)
 public:
  explicit TCounted(int& Live) : FLive(Live) { ++FLive; }
  ~TCounted() override { --FLive; }

 private:
  int& FLive;
};

class TNotAList : public TPersistent {
  KW_DECLARE_CLASS(TNotAList, TPersistent)
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

// Records the change notifications a list sends.
class TWatchedList : public TStringList {
 public:
  int Changings = 0, Changes = 0;

 protected:
  void Changing() override { ++Changings; }
  void Changed() override { ++Changes; }
};

TEST(StringListText, SplitsAtEveryLineBreakAndJoinsWithCrLf) {
  struct Case {
    AnsiString Input;
    std::vector<AnsiString> Lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\rc", {"a", "b", "c"}},
      {"a\r\n\r\n", {"a", ""}},
      {"\r\n", {""}},
      {"a\n\rb", {"a", "", "b"}},
      {"x\0y\r\n"s, {"x\0y"s}},
  };
  for (const Case& c : cases) {
    TStringList list;
    list.SetText(c.Input);
    EXPECT_EQ(Lines(list), c.Lines) << "input: " << c.Input;
    AnsiString joined;
    for (const AnsiString& line : c.Lines) joined += line + "\r\n";
    EXPECT_EQ(list.Text(), joined);
  }
}

TEST(StringListNameValue, NamesValuesAndTheirEdits) {
  TStringList list;
  Fill(list, {"a=1", "B=2", "noequals", "=empty", "c=x=y"});
  EXPECT_EQ(list.Names(0), "a");
  EXPECT_EQ(list.Names(2), "");
  EXPECT_EQ(list.Names(3), "");
  EXPECT_EQ(list.Values("b"), "2");  // names ignore case
  EXPECT_EQ(list.Values("C"), "x=y");
  EXPECT_EQ(list.Values(""), "empty");
  EXPECT_EQ(list.Values("missing"), "");
  EXPECT_EQ(list.IndexOfName("B"), 1);
  EXPECT_EQ(list.IndexOfName("noequals"), -1);
  EXPECT_EQ(list.ValueFromIndex(4), "x=y");
  EXPECT_EQ(list.ValueFromIndex(2), "");  // no separator: no value

  list.SetValues("b", "3");  // replaced in place, keeping the line's position
  list.SetValues("a", "");   // an empty value deletes the line
  list.SetValues("new", "v");
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"b=3", "noequals", "=empty", "c=x=y", "new=v"}));
  list.SetValueFromIndex(3, "z");
  EXPECT_EQ(list[3], "c=z");

  TStringList colon;
  colon.SetNameValueSeparator(':');
  Fill(colon, {"k:v=w"});
  EXPECT_EQ(colon.Values("k"), "v=w");
  EXPECT_EQ(colon.Values("k:v"), "");
}

TEST(StringListSearch, CaseRulesForIndexOf) {
  TStringList list;
  Fill(list, {"Alpha", "beta", "alpha"});
  EXPECT_EQ(list.IndexOf("ALPHA"), 0);
  EXPECT_EQ(list.IndexOf("gamma"), -1);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf("alpha"), 2);
  EXPECT_EQ(list.IndexOf("BETA"), -1);
}

TEST(StringListSorted, AddKeepsOrderAndAppliesDuplicateRule) {
  struct Case {
    TDuplicates Rule;
    std::vector<AnsiString> Result;
    bool Raises;
  };
  const Case cases[] = {
      {dupIgnore, {"a", "b", "C"}, false},
      {dupAccept, {"a", "B", "b", "C"}, false},  // before the equal line Find gives
      {dupError, {"a", "b", "C"}, true},
  };
  for (const Case& c : cases) {
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(c.Rule);
    for (const char* s : {"b", "C", "a"}) list.Add(s);
    AnsiString message = MessageOf<EStringListError>([&] {
      int index = list.Add("B");
      if (c.Rule == dupIgnore) {
        EXPECT_EQ(index, 1);  // the line that is there
      }
    });
    EXPECT_EQ(message, c.Raises ? "String list does not allow duplicates" : "<no exception>");
    EXPECT_EQ(Lines(list), c.Result) << "rule " << c.Rule;
  }

  // An unsorted list takes everything, whatever the rule.
  TStringList unsorted;
  unsorted.SetDuplicates(dupError);
  unsorted.Add("x");
  unsorted.Add("x");
  EXPECT_EQ(unsorted.Count(), 2);
}

TEST(StringListSorted, FindInsertAndModificationRules) {
  TStringList list;
  Fill(list, {"pear", "Apple", "fig", "apple"});
  list.SetDuplicates(dupAccept);
  list.SetSorted(true);
  // Equal ignoring case: both kept, in their old order.
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"Apple", "apple", "fig", "pear"}));
  int index = -1;
  EXPECT_TRUE(list.Find("APPLE", index));
  EXPECT_EQ(index, 0);  // the first of equal lines
  EXPECT_FALSE(list.Find("grape", index));
  EXPECT_EQ(index, 3);  // where it would go
  EXPECT_EQ(list.IndexOf("PEAR"), 3);

  const AnsiString sorted = "Operation not allowed on sorted list";
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Insert(0, "z"); }), sorted);
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.SetStrings(0, "z"); }), sorted);
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Move(0, 2); }), sorted);
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"Apple", "apple", "fig", "pear"}));  // nothing lost

  list.SetCaseSensitive(true);  // re-sorts: lower case comes first
  EXPECT_EQ(list[0], "apple");
  EXPECT_EQ(list[1], "Apple");
}

TEST(StringListSort, CustomSortIsStableAndSortedListsRefuseIt) {
  TStringList list;
  Fill(list, {"ccc", "a", "bb", "d", "ee"});
  list.CustomSort([](TStringList& l, int a, int b) {
    return static_cast<int>(l[a].size()) - static_cast<int>(l[b].size());
  });
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"a", "d", "bb", "ee", "ccc"}));

  // A comparison that contradicts itself must not take the sort outside the list.
  list.CustomSort([](TStringList&, int, int) { return -1; });
  EXPECT_EQ(list.Count(), 5);

  list.SetSorted(true);
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"a", "bb", "ccc", "d", "ee"}));
  list.CustomSort([](TStringList& l, int a, int b) { return l[b].compare(l[a]); });
  EXPECT_EQ(list[0], "a");
}

TEST(StringListErrors, IndexOutOfBoundsNamesTheIndex) {
  TStringList list;
  Fill(list, {"a", "b"});
  struct Case {
    std::function<void()> Action;
    int Index;
  };
  const Case cases[] = {
      {[&] { (void)list[2]; }, 2},
      {[&] { (void)list.Strings(-1); }, -1},
      {[&] { list.Delete(5); }, 5},
      {[&] { list.Insert(3, "x"); }, 3},
      {[&] { list.SetObjects(2, nullptr); }, 2},
      {[&] { list.Exchange(0, 7); }, 7},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MessageOf<EStringListError>(c.Action), "List index out of bounds (" + std::to_string(c.Index) + ")");
  list.Insert(2, "c");  // the end itself is a valid place to insert
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"a", "b", "c"}));
}

TEST(StringListObjects, TravelWithTheirLinesAndAreFreedWhenOwned) {
  int live = 0;
  {
    TStringList list(true);
    auto* one = new TCounted(live);
    auto* two = new TCounted(live);
    list.AddObject("one", one);
    list.AddObject("two", two);
    list.AddObject("three", new TCounted(live));
    list.Exchange(0, 1);
    EXPECT_EQ(list.Objects(0), two);
    EXPECT_EQ(list.IndexOfObject(one), 1);
    list.Move(1, 2);
    EXPECT_EQ(list[2], "one");
    EXPECT_EQ(list.Objects(2), one);
    list.Delete(0);
    EXPECT_EQ(live, 2);
  }
  EXPECT_EQ(live, 0);  // the destructor freed the rest

  TCounted kept(live);
  {
    TStringList list;  // does not own: nothing is freed
    list.AddObject("kept", &kept);
    list.Clear();
  }
  EXPECT_EQ(live, 1);
}

TEST(StringListDelimited, CommaTextQuotesWhatNeedsIt) {
  struct Case {
    std::vector<AnsiString> Lines;
    AnsiString Text;
  };
  const Case cases[] = {
      {{"a", "b"}, "a,b"},
      {{"b c", "say \"hi\"", "d,e"}, "\"b c\",\"say \"\"hi\"\"\",\"d,e\""},
      {{""}, "\"\""},
      {{"a", ""}, "a,"},
      {{}, ""},
      {{"tab\there"}, "\"tab\there\""},
  };
  for (const Case& c : cases) {
    TStringList list;
    Fill(list, c.Lines);
    EXPECT_EQ(list.CommaText(), c.Text);
    TStringList back;
    back.SetCommaText(c.Text);
    EXPECT_EQ(Lines(back), c.Lines) << c.Text;
  }
}

TEST(StringListDelimited, ParsingBlanksQuotesAndDelimiters) {
  TCodePageGuard gbk(936);
  struct Case {
    AnsiString Text;
    char Delimiter;
    bool Strict;
    std::vector<AnsiString> Lines;
  };
  const Case cases[] = {
      {"a, b c,\"d,e\",", ',', false, {"a", "b", "c", "d,e", ""}},
      {"  a  ,  b  ", ',', false, {"a", "b"}},
      {"\"un\"\"quoted\"", ',', false, {"un\"quoted"}},
      {"\"open", ',', false, {"open"}},
      {"\"ab\"cd", ',', false, {"ab", "cd"}},
      {"a b;c", ';', true, {"a b", "c"}},
      {"a b;c", ';', false, {"a", "b", "c"}},
      {"x\0y"s, ',', false, {"x", "y"}},  // a NUL byte separates like a blank
      // 0x81 0x7C is one GBK character whose second byte is "|".
      {"\x81\x7C|b", '|', true, {"\x81\x7C", "b"}},
  };
  for (const Case& c : cases) {
    TStringList list;
    list.SetDelimiter(c.Delimiter);
    list.SetStrictDelimiter(c.Strict);
    list.SetDelimitedText(c.Text);
    EXPECT_EQ(Lines(list), c.Lines) << c.Text;
  }
  TStringList semi;
  semi.SetDelimiter(';');
  semi.SetQuoteChar('\'');
  Fill(semi, {"a;b", "c"});
  EXPECT_EQ(semi.DelimitedText(), "'a;b';c");
  EXPECT_EQ(semi.CommaText(), "a;b,c");  // CommaText ignores the list's own delimiter
  semi.SetStrictDelimiter(true);
  Fill(semi, {"a b", "c;"});  // blanks need no quotes with a strict delimiter
  EXPECT_EQ(semi.DelimitedText(), "a b;'c;'");
  Fill(semi, {"\x81\x7C"});
  semi.SetDelimiter('|');
  EXPECT_EQ(semi.DelimitedText(), "\x81\x7C");
}

TEST(StringListCopying, AssignAddStringsAndEquals) {
  int live = 0;
  TCounted obj(live);
  TStringList source;
  source.SetNameValueSeparator(':');
  source.AddObject("k:v", &obj);
  source.Add("w");

  TStringList copy;
  copy.Add("old");
  copy.Assign(&source);
  EXPECT_TRUE(copy.Equals(&source));
  EXPECT_EQ(copy.Objects(0), &obj);
  EXPECT_EQ(copy.Values("k"), "v");  // the separator came along

  copy.AddStrings(&copy);  // a list added to itself doubles once
  EXPECT_EQ(copy.Count(), 4);
  EXPECT_FALSE(copy.Equals(&source));
  copy.SetStrings(3, "W");
  TStringList other;
  Fill(other, {"k:v", "w", "k:v", "w"});
  EXPECT_FALSE(copy.Equals(&other));  // equality is exact, case included

  TNotAList notAList;
  EXPECT_EQ(MessageOf<EConvertError>([&] { copy.Assign(&notAList); }),
            "Cannot assign a TNotAList to a TStringList");
  EXPECT_EQ(copy.Count(), 4);
}

TEST(StringListNotifications, OneChangePerEditOrPerUpdate) {
  TWatchedList list;
  list.Add("a");
  EXPECT_EQ(list.Changings, 1);
  EXPECT_EQ(list.Changes, 1);

  list.BeginUpdate();
  list.BeginUpdate();
  list.Add("b");
  list.Delete(0);
  list.EndUpdate();
  EXPECT_EQ(list.Changes, 1);  // still inside the outer update
  list.EndUpdate();
  EXPECT_EQ(list.Changings, 2);
  EXPECT_EQ(list.Changes, 2);
  EXPECT_EQ(list.UpdateCount(), 0);

  list.SetText("x\r\ny\r\nz");
  list.SetCommaText("p,q");
  EXPECT_EQ(list.Changes, 4);  // one for each whole replacement
  EXPECT_EQ(list.Changings, 4);
}

class StringListFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kw_stringlist_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    Dir = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(Dir); }
  std::string Dir;
};

TEST_F(StringListFiles, SaveAndLoadKeepBytes) {
  const AnsiString file = Dir + "/list.txt";
  TStringList list;
  Fill(list, {"\xD7\xCA\xB2\xFA", "line two", "", "\x81\x5C\xFF"});
  list.SaveToFile(file);
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, "\xD7\xCA\xB2\xFA\r\nline two\r\n\r\n\x81\x5C\xFF\r\n");

  TStringList loaded;
  loaded.LoadFromFile(file);
  EXPECT_TRUE(loaded.Equals(&list));
}

TEST_F(StringListFiles, MissingFileAndUnwritablePlaceRaise) {
  TStringList list;
  list.Add("kept");
  const AnsiString missing = Dir + "/none.txt";
  AnsiString message = MessageOf<EFOpenError>([&] { list.LoadFromFile(missing); });
  EXPECT_EQ(message.rfind("Cannot open file \"" + missing + "\". ", 0), 0u) << message;
  EXPECT_EQ(list[0], "kept");  // a failed load changes nothing

  const AnsiString badPlace = Dir + "/none/sub.txt";
  message = MessageOf<EFCreateError>([&] { list.SaveToFile(badPlace); });
  EXPECT_EQ(message.rfind("Cannot create file \"" + badPlace + "\". ", 0), 0u) << message;
}

}  // namespace
