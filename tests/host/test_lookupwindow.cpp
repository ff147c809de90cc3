// The host's lookup window: pick lists and the date picker answered through
// the UI driver (scripted here), over a demo company database.

#include <gtest/gtest.h>

#include "appserver/SqlBackend.h"
#include "platform/com/ComObj.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/vcl/ScriptedUIDriver.h"
#include "tests/host/support_demo.h"

namespace {

class LookupWindow : public ::testing::Test {
 protected:
  void SetUp() override { Window = OleCall(NewDemoHost(), "Com_F2Window"); }
  void TearDown() override { EXPECT_NO_THROW(Ui.VerifyAllAnswered()); }

  // The 19 elements the plug-in sends.
  static Variant F2Args(const char* Name, const char* Param, Variant Values, bool Multi, const char* Current) {
    return VarArrayOf({Variant(Name), Variant(Param), Values, Variant(Multi), Variant(Current), Variant("01"),
                       Variant("DEMO"), Variant(0), Variant(1), Variant(false), Variant(1), Variant(""), Variant(""),
                       Variant(""), Variant(""), Variant(true), Variant(true), Variant(), Variant("DS")});
  }
  Variant F2(const char* Name, const char* Param, Variant Values, bool Multi, const char* Current = "") {
    return OleCall(Window, "F2GetData", {F2Args(Name, Param, Values, Multi, Current)});
  }

  TScriptedUIDriver Ui;
  TUIDriverScope Use{Ui};
  Variant Window;
};

TEST_F(LookupWindow, APickListOffersTheRowsAndAnswersTheChosenRowAsAnArrayOfRows) {
  Ui.ExpectPickList().Choose({2});
  Variant result = F2("CMSMQ", "06", VarArrayOf({Variant("C1")}), false, "A2");
  ASSERT_EQ(Ui.Questions().size(), 1u);
  const TPickListRequest& asked = Ui.Questions()[0].PickList;
  EXPECT_EQ(asked.Items.size(), 6u);  // the category's types only
  EXPECT_EQ(asked.Selected, std::vector<int>{1});  // the current code
  EXPECT_FALSE(asked.MultiSelect);
  EXPECT_NE(asked.Title.find(Utf8ToAnsi("单据性质")), AnsiString::npos);
  EXPECT_EQ(asked.Items[0], Utf8ToAnsi("A1  资产取得单"));

  ASSERT_EQ(VarArrayHighBound(result, 1), 0);
  EXPECT_EQ(VarToStr(result[0][0]), "A3");
  EXPECT_EQ(VarToStr(result[0][1]), Db("资产重估单"));
}

TEST_F(LookupWindow, EachPickListHasTheRowShapeThePlugInReads) {
  auto db = OpenCompanyDatabase(DemoHostSettings().Database, "DEMO");
  const int assets = db->Query("SELECT COUNT(*) FROM ASTMB").Value(0, 0).AsInteger();
  const int vouchers = db->Query("SELECT COUNT(*) FROM ASTTC").Value(0, 0).AsInteger();
  const int a1 = db->Query("SELECT COUNT(*) FROM ASTTC WHERE TC001 = 'A1'").Value(0, 0).AsInteger();
  struct TCase {
    const char* Name;
    const char* Param;
    Variant Values;
    size_t Rows;
    int Columns;
  };
  const TCase cases[] = {
      {"CMSMS", "01", VarArrayOf({Variant("1")}), 2, 5},  // code, caption, three lines
      {"CMSMS", "01", VarArrayOf({Variant("2")}), 2, 5},
      {"ASTMB", "01", Variant(), static_cast<size_t>(assets), 4},
      {"ASTTC", "60", VarArrayOf({Variant("A1")}), static_cast<size_t>(a1), 4},
      {"ASTTC", "60", VarArrayOf({Variant("")}), static_cast<size_t>(vouchers), 4},  // no type: every voucher
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Name) + " " + VarToStr(c.Values.IsArray() ? c.Values[0] : Variant()));
    Ui.Reset();
    Ui.ExpectPickList().Choose({0, 1});
    Variant rows = F2(c.Name, c.Param, c.Values, true);
    ASSERT_EQ(Ui.Questions().size(), 1u);
    EXPECT_EQ(Ui.Questions()[0].PickList.Items.size(), c.Rows);
    ASSERT_EQ(VarArrayHighBound(rows, 1), 1);
    EXPECT_EQ(VarArrayHighBound(rows[0], 1), c.Columns - 1);
    EXPECT_LE(VarToStr(rows[0][0]), VarToStr(rows[1][0]));  // in code order
  }
  Ui.Reset();
  Ui.ExpectPickList().Choose({1});
  Variant texts = F2("CMSMS", "01", VarArrayOf({Variant("2")}), false);
  EXPECT_EQ(VarToStr(texts[0][0]), "S02");
  EXPECT_EQ(VarToStr(texts[0][2]), Db("总经理："));
  EXPECT_EQ(VarToStr(texts[0][4]), Db("部门经理：经办人："));
}

TEST_F(LookupWindow, CancellingOrAnEmptyListAnswersUnassigned) {
  Ui.ExpectPickList().Cancel();
  EXPECT_TRUE(F2("CMSMQ", "06", VarArrayOf({Variant("C1")}), false).IsEmpty());
  // A category without types asks nothing.
  EXPECT_TRUE(F2("CMSMQ", "06", VarArrayOf({Variant("Z9")}), false).IsEmpty());
  EXPECT_EQ(Ui.Questions().size(), 1u);
}

TEST_F(LookupWindow, MalformedRequestsRaise) {
  EXPECT_THROW(OleCall(Window, "F2GetData", {VarArrayOf({Variant("CMSMQ"), Variant("06")})}), EOleException);
  EXPECT_THROW(OleCall(Window, "F2GetData", {Variant("CMSMQ")}), EOleException);
  EXPECT_THROW(F2("PURMA", "01", Variant(), false), EOleException);
  EXPECT_THROW(OleCall(Window, "ShowInputDay", {Variant("20240301")}), EOleException);
  EXPECT_TRUE(Ui.Questions().empty());
}

TEST_F(LookupWindow, TheDatePickerAnswersTheDateTypedAsYyyymmdd) {
  const AnsiString today = FormatDateTime("yyyymmdd", Date());
  struct TCase {
    bool Roc;
    const char* Start;
    std::vector<const char*> Typed;  // nullptr: cancel
    const char* Default;             // "" for today
    const char* Expected;
  };
  const TCase cases[] = {
      {false, "20240305", {"20240310"}, "20240305", "20240310"},
      {false, "20240305", {" 2024/03/11 "}, "20240305", "20240311"},
      {true, "20240305", {"1130310"}, "1130305", "20240310"},
      {true, "20240305", {"20240312"}, "1130305", "20240312"},
      {true, "19990101", {"880101"}, "880101", "19990101"},
      {false, "2024035", {"20240301"}, "", "20240301"},  // not 8 digits: starts today
      {false, "20240305", {"20240230", "1130310", "20240229"}, "20240305", "20240229"},
      {false, "20240305", {"x", "y", "z"}, "20240305", ""},  // three wrong answers give up
      {false, "20240305", {nullptr}, "20240305", ""},
      {false, "20240305", {""}, "20240305", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Start) + " " + (c.Typed[0] ? c.Typed[0] : "cancel"));
    Ui.Reset();
    for (const char* typed : c.Typed) {
      if (typed)
        Ui.ExpectInput().Answer(typed);
      else
        Ui.ExpectInput().Cancel();
    }
    Variant date = OleCall(Window, "ShowInputDay", {VarArrayOf({Variant(c.Roc), Variant(c.Start), Variant("DEMO")})});
    EXPECT_EQ(VarToStr(date), c.Expected);
    ASSERT_EQ(Ui.Questions().size(), c.Typed.size());
    EXPECT_EQ(Ui.Questions()[0].Input.Default, *c.Default ? AnsiString(c.Default) : today);
  }
}

TEST_F(LookupWindow, APhraseIsOneLineOfTheCommonTexts) {
  Ui.ExpectPickList().Choose({0});
  AnsiString user("DS"), database("DEMO");
  Variant u(user), d(database);
  Variant phrase = OleCall(Window, "GetPhrase", {ByRef(u), ByRef(d), Variant(0)});
  const TPickListRequest& asked = Ui.Questions().at(0).PickList;
  ASSERT_FALSE(asked.Items.empty());
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(VarToStr(phrase), 936)), asked.Items[0]);
  for (const AnsiString& item : asked.Items) EXPECT_FALSE(item.empty());
  Ui.ExpectPickList().Cancel();
  EXPECT_EQ(VarToStr(OleCall(Window, "GetPhrase", {ByRef(u), ByRef(d), Variant(0)})), "");
}

}  // namespace
