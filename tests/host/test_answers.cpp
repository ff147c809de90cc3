// The batch UI driver of kwhost: rules from an answers file answer the
// host's questions; what no rule answers gets Enter, or fails when strict.

#include <gtest/gtest.h>

#include <sstream>

#include "host/AnswerUIDriver.h"
#include "platform/com/ComObj.h"
#include "platform/rtl/CodePages.h"
#include "tests/host/support_demo.h"

namespace {

TMessageRequest Question(const char* Text, std::vector<TMsgDlgBtn> Buttons) {
  TMessageRequest r;
  r.Title = "kwhost";
  r.Text = Utf8ToAnsi(Text);
  r.DlgType = mtConfirmation;
  for (TMsgDlgBtn b : Buttons)
    r.Buttons.push_back({b, MsgDlgButtonName(b), MsgDlgButtonCaption(b), MsgDlgButtonResult(b)});
  r.DefaultButton = 0;
  return r;
}

TPickListRequest List(const char* Title, std::vector<const char*> Items, bool Multi, std::vector<int> Selected = {}) {
  TPickListRequest r;
  r.Title = Utf8ToAnsi(Title);
  for (const char* i : Items) r.Items.push_back(Utf8ToAnsi(i));
  r.MultiSelect = Multi;
  r.Selected = std::move(Selected);
  return r;
}

TEST(Answers, RulesAnswerByKindAndPatternFirstMatchWins) {
  std::ostringstream log;
  TAnswerUIDriver driver(log);
  driver.LoadAnswers(
      "# answers\n"
      "message 删除 => No\n"
      "message => Yes\n"
      "input 日期 => 20240310\n"
      "input => !cancel\n"
      "pick 资产 => 1, 2\n"
      "pick 单据 => !selected\n"
      "pick => !cancel\n"
      "file => /tmp/out.pdf\n",
      "answers");
  EXPECT_EQ(driver.MessageDialog(Question("确认删除吗?", {mbYes, mbNo})), mrNo);
  EXPECT_EQ(driver.MessageDialog(Question("继续吗?", {mbYes, mbNo})), mrYes);
  // The rule's button is not in this dialog: the next rule that fits is not
  // tried, the question is answered as Enter would.
  EXPECT_EQ(driver.MessageDialog(Question("继续吗?", {mbOK})), mrOk);

  TInputRequest input{Utf8ToAnsi("选择日期"), Utf8ToAnsi("日期 (YYYYMMDD)"), "20240301", false};
  AnsiString value = input.Default;
  EXPECT_TRUE(driver.InputQuery(input, value));
  EXPECT_EQ(value, "20240310");
  TInputRequest other{"", "Name", "x", false};
  EXPECT_FALSE(driver.InputQuery(other, value));

  std::vector<int> chosen;
  EXPECT_TRUE(driver.PickFromList(List("资产资料", {"a", "b", "c"}, true), chosen));
  EXPECT_EQ(chosen, (std::vector<int>{1, 2}));
  EXPECT_TRUE(driver.PickFromList(List("资产资料", {"a", "b", "c"}, false), chosen));
  EXPECT_EQ(chosen, std::vector<int>{1});  // one row for a single choice
  EXPECT_FALSE(driver.PickFromList(List("资产资料", {"a"}, false), chosen));  // row 1 does not exist
  EXPECT_TRUE(chosen.empty());
  EXPECT_TRUE(driver.PickFromList(List("单据性质", {"a", "b"}, false, {1}), chosen));
  EXPECT_EQ(chosen, std::vector<int>{1});
  EXPECT_FALSE(driver.PickFromList(List("常用文字", {"a"}, false), chosen));

  AnsiString file;
  EXPECT_TRUE(driver.FileDialog(TFileDialogRequest{true, "Save", "", "", "", ""}, file));
  EXPECT_EQ(file, "/tmp/out.pdf");
  EXPECT_TRUE(driver.Unanswered().empty());
  // Every question is written as one line.
  EXPECT_NE(log.str().find("[Message] 确认删除吗? -> No\n"), std::string::npos) << log.str();
  EXPECT_NE(log.str().find("[Pick list] 资产资料 -> b; c\n"), std::string::npos) << log.str();
}

TEST(Answers, UnansweredQuestionsGetEnterOrAreRecordedWhenStrict) {
  std::ostringstream log;
  TAnswerUIDriver driver(log);
  TInputRequest input{"", "Prompt", "default", false};
  AnsiString value = "default";
  std::vector<int> chosen;
  EXPECT_EQ(driver.MessageDialog(Question("a", {mbYes, mbNo, mbCancel})), mrYes);
  EXPECT_TRUE(driver.InputQuery(input, value));
  EXPECT_EQ(value, "default");
  EXPECT_FALSE(driver.PickFromList(List("list", {"a"}, false), chosen));
  EXPECT_TRUE(driver.Unanswered().empty());

  driver.SetStrict(true);
  EXPECT_EQ(driver.MessageDialog(Question("b", {mbYes, mbNo, mbCancel})), mrCancel);
  EXPECT_EQ(driver.MessageDialog(Question("c", {mbYes, mbNo})), mrCancel);
  EXPECT_FALSE(driver.InputQuery(input, value));
  EXPECT_FALSE(driver.PickFromList(List("list", {"a"}, false), chosen));
  ASSERT_EQ(driver.Unanswered().size(), 4u);
  EXPECT_EQ(driver.Unanswered()[3], "Pick list: list");
}

TEST(Answers, MalformedRulesNameTheirLine) {
  struct TCase {
    const char* Text;
    const char* Expected;
  };
  for (const TCase& c : {TCase{"\nmessage Yes\n", "f line 2: a rule is"},
                         TCase{"window x => OK\n", "f line 1: unknown kind \"window\""},
                         TCase{"pick => 1,x\n", "f line 1: a pick list answer is row numbers"},
                         TCase{"pick => -1\n", "f line 1: a pick list answer"},
                         TCase{"pick =>\n", "f line 1: a pick list answer"},
                         TCase{"message a =>\n", "f line 1: a message answer names a button"}}) {
    std::ostringstream log;
    TAnswerUIDriver driver(log);
    try {
      driver.LoadAnswers(c.Text, "f");
      ADD_FAILURE() << "accepted: " << c.Text;
    } catch (const EAnswerFileError& e) {
      EXPECT_NE(e.Message.find(c.Expected), AnsiString::npos) << e.Message;
    }
  }
}

TEST(Answers, TheHostsPickListsAndDatePickerRunOnTheAnswers) {
  std::ostringstream log;
  TAnswerUIDriver driver(log);
  driver.LoadAnswers("pick 单据性质 => 1\ninput 日期 => 1130229\n", "answers");
  TUIDriverScope use(driver);
  Variant window = OleCall(NewDemoHost(), "Com_F2Window");
  Variant args = VarArrayOf({Variant("CMSMQ"), Variant("06"), VarArrayOf({Variant("C1")}), Variant(false),
                             Variant(""), Variant("01"), Variant("DEMO")});
  Variant rows = OleCall(window, "F2GetData", {args});
  EXPECT_EQ(VarToStr(rows[0][0]), "A2");
  Variant date = OleCall(window, "ShowInputDay", {VarArrayOf({Variant(true), Variant("20240301"), Variant("DEMO")})});
  EXPECT_EQ(VarToStr(date), "20240229");
}

}  // namespace
