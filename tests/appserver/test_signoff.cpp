// The sign-off history answers: the request text the client writes, read
// strictly, and the two answer forms over the demo company, on SQLite and on
// a private PostgreSQL server.

#include <gtest/gtest.h>

#include "appserver/AppServerErrors.h"
#include "appserver/CompanyData.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "tests/appserver/appserver_fixture.h"

using namespace kwtest;

namespace {

// One form as the client's request builder writes it (blank before "=" of
// wfSheetNo included).
AnsiString FormText(const AnsiString& Type, const AnsiString& Sheet, const AnsiString& P3 = "",
                    const AnsiString& P4 = "") {
  return " <Form wfProgramID='' wfFormType='" + Type + "'  wfSheetNo ='" + Sheet + "'  wfParameter3='" + P3 +
         "'  wfParameter4='" + P4 + "' /> \r\n";
}

AnsiString Request(std::initializer_list<AnsiString> Forms) {
  AnsiString out = "<FormSet> ";
  for (const AnsiString& f : Forms) out += f;
  return out + "</FormSet> ";
}

TEST(SignOffRequest, TheClientsFormsAreRead) {
  std::vector<TSignOffForm> forms = ParseSignOffRequest(
      Request({FormText("A1", "202301000001"), FormText("A2", GB("二号"), "X"), FormText("A3", "7", "X", "Y")}), 936);
  ASSERT_EQ(forms.size(), 3u);
  EXPECT_EQ(forms[0], (TSignOffForm{"A1", "202301000001", "", ""}));
  EXPECT_EQ(forms[1], (TSignOffForm{"A2", GB("二号"), "X", ""}));
  EXPECT_EQ(forms[2], (TSignOffForm{"A3", "7", "X", "Y"}));

  // Double quotes, entities, blanks around "=", attributes in any order,
  // attributes left out, an empty set.
  forms = ParseSignOffRequest("\r\n<FormSet><Form wfSheetNo = \"a&apos;b&amp;&lt;c&gt;&quot;\" wfFormType=\"A1\"/>"
                              "</FormSet>",
                              936);
  ASSERT_EQ(forms.size(), 1u);
  EXPECT_EQ(forms[0], (TSignOffForm{"A1", "a'b&<c>\"", "", ""}));
  EXPECT_TRUE(ParseSignOffRequest("<FormSet> </FormSet> ", 936).empty());
}

TEST(SignOffRequest, MalformedRequestsAreRefusedWithTheReason) {
  const AnsiString good = FormText("A1", "1");
  const struct {
    AnsiString Text;
    const char* Reason;
  } cases[] = {
      {"", "must start with \"<FormSet>\""},
      {"SELECT * FROM ASTTC", "must start with \"<FormSet>\""},
      {"<FormSet>" + good, "expected \"<Form\" or \"</FormSet>\""},
      {"<FormSet></FormSet><FormSet></FormSet>", "text after \"</FormSet>\""},
      {"<FormSet><!-- x --></FormSet>", "expected \"<Form\" or \"</FormSet>\""},
      {"<FormSet><FormX wfFormType='A1' wfSheetNo='1'/></FormSet>", "expected blanks after \"<Form\""},
      {"<FormSet><Form wfFormType='A1' wfSheetNo='1'></Form></FormSet>", "expected an attribute name"},
      {"<FormSet><Form wfFormType='A1' wfSheetNo='1' wfSql='x'/></FormSet>", "unknown attribute \"wfSql\""},
      {"<FormSet><Form wfFormType='A1' wfSheetNo='1' wfFormType='A2'/></FormSet>", "given twice"},
      {"<FormSet><Form wfFormType='A1'/></FormSet>", "without its wfFormType or wfSheetNo"},
      {"<FormSet><Form wfFormType='  ' wfSheetNo='1'/></FormSet>", "without its wfFormType or wfSheetNo"},
      {"<FormSet><Form wfFormType=A1 wfSheetNo='1'/></FormSet>", "expected a quoted value"},
      {"<FormSet><Form wfFormType 'A1' wfSheetNo='1'/></FormSet>", "expected \"=\""},
      {"<FormSet><Form wfFormType='A1 wfSheetNo='1'/></FormSet>", "MH001 is longer than 10 characters"},
      {"<FormSet><Form wfFormType='A1' wfSheetNo='1/></FormSet>", "\"<\" inside a value"},
      {"<FormSet><Form wfFormType='A1' wfSheetNo='1", "the value is not closed"},
      {"<FormSet><Form wfFormType='A&x;' wfSheetNo='1'/></FormSet>", "not one of the XML entities"},
      // A quote that ends the value early leaves the rest as a stray name.
      {"<FormSet><Form wfFormType='A1' OR '1'='1' wfSheetNo='1'/></FormSet>", "unknown attribute \"OR\""},
      {"<FormSet><Form wfFormType='A1' wfSheetNo='123456789012345678901'/></FormSet>",
       "wfSheetNo is not accepted: The value for MH002 is longer than 20 characters"},
      {"<FormSet><Form wfFormType='A1' wfSheetNo='1\x01'/></FormSet>", "control character"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    try {
      ParseSignOffRequest(c.Text, 936);
      ADD_FAILURE() << "accepted";
    } catch (const ERequestRefused& e) {
      EXPECT_NE(e.Message.find("The sign-off request was refused: "), AnsiString::npos) << e.Message;
      EXPECT_NE(e.Message.find(c.Reason), AnsiString::npos) << e.Message;
      EXPECT_NE(e.Message.find("(at byte "), AnsiString::npos) << e.Message;
    }
  }
}

TEST(SignOffRequest, TheNumberOfFormsIsLimited) {
  AnsiString text = "<FormSet>";
  for (int i = 0; i < MaxSignOffForms; ++i) text += "<Form wfFormType='A1' wfSheetNo='" + std::to_string(i) + "'/>";
  EXPECT_EQ(ParseSignOffRequest(text + "</FormSet>", 936).size(), static_cast<std::size_t>(MaxSignOffForms));
  try {
    ParseSignOffRequest(text + "<Form wfFormType='A1' wfSheetNo='x'/></FormSet>", 936);
    ADD_FAILURE() << "accepted";
  } catch (const ERequestRefused& e) {
    EXPECT_NE(e.Message.find("more than " + std::to_string(MaxSignOffForms) + " forms"), AnsiString::npos);
  }
  EXPECT_THROW(ParseSignOffRequest(AnsiString(MaxSignOffForms * 400 + 1, ' '), 936), ERequestRefused);
}

class SignOffTest : public ::testing::TestWithParam<TBackendKind> {
 protected:
  void SetUp() override {
    Config = ConfigFor(GetParam(), Folder);
    Demo.Vouchers = 120;
    Demo.Seed = 11;
    MakeDemoCompany(Config, Demo);
    Data = std::make_unique<TCompanyData>(Config);
    Data->Connect(TSessionInfo{kDemoProgram, kDemoAdmin, "01", "DEMO", "ASTTC"});
    // Steps of known content for voucher A1 "T1": the second signed with an
    // opinion that needs escaping, the third still pending.
    AddStep("T1", "", "0001", "20240301", GB("核准"), "U001", GB("同意"));
    AddStep("T1", "", "0002", "20240302", GB("核准"), "U003", GB("同意 <付款> & 'A'"));
    AddStep("T1", "", "0003", "", GB("待签核"), "", "");
    // A voucher with three keys, rejected at its only step.
    AddStep("T2", "K3", "0001", "20240305", GB("驳回"), "U002", GB("请补附发票"));
  }

  void AddStep(const AnsiString& Sheet, const AnsiString& P3, const AnsiString& Serial, const AnsiString& Signed,
               const AnsiString& State, const AnsiString& Signer, const AnsiString& Opinion) {
    Data->Backend().Execute(
        "INSERT INTO SGSMH (COMPANY, MH001, MH002, MH003, MH004, MH005, MH006, MH007, MH008, MH009, MH010, MH011, "
        "MH012, MH013, MH014, MH015, MH016, MH017, MH018) VALUES ('01', 'A1', ?, ?, '', ?, '1', ?, ?, '20240301', ?, "
        "?, 'U009', ?, ?, ?, 'D200-M', ?, ?)",
        {Variant(Sheet), Variant(P3), Variant(std::to_string(std::stoi(Serial))), Variant(Serial),
         Variant(GB("角色") + Serial), Variant(Signed), Variant(State), Variant(GB("收件人")), Variant(Signer),
         Variant(Signer.empty() ? AnsiString() : GB("签核人") + Signer), Variant(GB("职称") + Serial),
         Variant(Opinion)});
  }

  TTempFolder Folder;
  TDatabaseConfig Config;
  TDemoOptions Demo;
  std::unique_ptr<TCompanyData> Data;
};

TEST_P(SignOffTest, TheListFormCarriesEveryStepOfTheRequestedVouchers) {
  Variant answer = Data->SignOffList(
      Request({FormText("A1", "T1"), FormText("A1", "T2", "K3"), FormText("A1", "T2"), FormText("A1", "none"),
               FormText("A1", "T1")}));
  // T2 with two keys is another voucher than T2 with three; "none" has no
  // history; the repeated T1 is answered once.
  ASSERT_EQ(VarArrayHighBound(answer, 1), 2);
  EXPECT_EQ(answer[0].AsInteger(), 2);

  Variant first = answer[1];
  EXPECT_EQ(first[0].AsInteger(), 3);
  EXPECT_EQ(VarToStr(first[1]), "A1");
  EXPECT_EQ(VarToStr(first[2]), "T1");
  EXPECT_EQ(VarToStr(first[3]), "");
  EXPECT_EQ(VarToStr(first[4]), "");
  Variant steps = first[5];
  ASSERT_EQ(VarArrayDimCount(steps), 2);
  ASSERT_EQ(VarArrayHighBound(steps, 1), 2);
  ASSERT_EQ(VarArrayHighBound(steps, 2), 12);
  const struct {
    int Step, Column;
    AnsiString Value;
  } cells[] = {{0, 0, "1"},  {0, 1, "1"},           {0, 2, "0001"},           {0, 3, GB("角色0001")},
               {0, 4, "20240301"}, {0, 5, "20240301"}, {0, 6, GB("核准")},  {0, 7, "U009"},
               {0, 8, GB("收件人")}, {0, 9, "U001"},   {0, 10, GB("签核人U001")}, {0, 11, "D200-M"},
               {0, 12, GB("职称0001")}, {1, 2, "0002"}, {1, 10, GB("签核人U003")}, {2, 2, "0003"},
               {2, 5, ""},   {2, 6, GB("待签核")}, {2, 9, ""}};
  for (const auto& c : cells)
    EXPECT_EQ(VarToStr(steps.GetElement({c.Step, c.Column})), c.Value) << c.Step << "," << c.Column;

  Variant second = answer[2];
  EXPECT_EQ(second[0].AsInteger(), 1);
  EXPECT_EQ(VarToStr(second[2]), "T2");
  EXPECT_EQ(VarToStr(second[3]), "K3");
  EXPECT_EQ(VarToStr(second[5].GetElement({0, 6})), GB("驳回"));
}

TEST_P(SignOffTest, TheTextFormJoinsTheStepsAndTheFinalResult) {
  AnsiString answer = Data->SignOffText(Request({FormText("A1", "T1"), FormText("A1", "T2", "K3")}), kDemoProgram);
  const AnsiString expected =
      "<FormSet><Form wfFormType='A1' wfSheetNo='T1' wfParameter3='' wfParameter4=''>" +
      GB("1  1  签核人U001  职称0001  核准  20240301  同意||") +
      GB("2  1  签核人U003  职称0002  核准  20240302  同意 &lt;付款&gt; &amp; &apos;A&apos;||") +
      GB("3  1    职称0003  待签核    ||签核中") + "</Form>" +
      "<Form wfFormType='A1' wfSheetNo='T2' wfParameter3='K3' wfParameter4=''>" +
      GB("1  1  签核人U002  职称0001  驳回  20240305  请补附发票||驳回") + "</Form></FormSet>";
  EXPECT_EQ(answer, expected);

  // Only the programs and types the web service is set up for are answered.
  EXPECT_EQ(Data->SignOffText(Request({FormText("A1", "T1")}), "OTHER"), "<FormSet></FormSet>");
  EXPECT_THROW(Data->SignOffText(Request({FormText("A1", "T1")}), " "), ERequestRefused);
  EXPECT_THROW(Data->SignOffText(Request({FormText("A1", "T1")}), "PROGRAM-CODE-TOO-LONG"), ERequestRefused);
}

TEST_P(SignOffTest, OnlyTypesEnabledForSignOffAreAnswered) {
  // The same steps under a type the workflow is not set up for.
  Data->Backend().Execute("UPDATE SGSMH SET MH001 = 'A2' WHERE MH002 = 'T1'");
  EXPECT_EQ(Data->SignOffList(Request({FormText("A2", "T1")}))[0].AsInteger(), 0);
  EXPECT_EQ(Data->SignOffText(Request({FormText("A2", "T1")}), kDemoProgram), "<FormSet></FormSet>");
  // Switching the type off in the settings hides its history as well.
  Data->Backend().Execute("UPDATE ADMMQ SET MQ004 = 'N' WHERE MQ002 = 'A1'");
  Data->Backend().Execute("UPDATE SGSMC SET MC004 = 'N' WHERE MC002 = 'A1'");
  EXPECT_EQ(Data->SignOffList(Request({FormText("A1", "T2", "K3")}))[0].AsInteger(), 0);
  EXPECT_EQ(Data->SignOffText(Request({FormText("A1", "T2", "K3")}), kDemoProgram), "<FormSet></FormSet>");
}

TEST_P(SignOffTest, QuotesInValuesStayDataAndMalformedRequestsChangeNothing) {
  TRowSet before = Data->Backend().Query("SELECT COUNT(*) FROM SGSMH");
  // A value with quotes is looked up as it is, and found in nothing.
  EXPECT_EQ(Data->SignOffList("<FormSet><Form wfFormType=\"A1' --\" wfSheetNo=\"T1' OR '1'='1\"/></FormSet>")[0]
                .AsInteger(),
            0);
  EXPECT_THROW(Data->SignOffList("<FormSet><Form wfFormType='A1' wfSheetNo='T1'/>; DELETE FROM SGSMH"),
               ERequestRefused);
  EXPECT_THROW(Data->SignOffText("DELETE FROM SGSMH", kDemoProgram), ERequestRefused);
  EXPECT_EQ(Data->Backend().Query("SELECT COUNT(*) FROM SGSMH").Value(0, 0).AsInteger(),
            before.Value(0, 0).AsInteger());
}

// The demo's acquisition vouchers carry a history that matches their state:
// audited ones approved at all three steps, the others stopped at a pending
// or rejected step; no other type has any.
TEST_P(SignOffTest, TheDemoHistoryFollowsTheVoucherState) {
  TRowSet vouchers = Data->Backend().Query("SELECT TC001, TC002, TC015 FROM ASTTC ORDER BY TC001, TC002");
  ASSERT_GT(vouchers.RowCount(), 0);
  AnsiString request = "<FormSet>";
  for (int r = 0; r < vouchers.RowCount(); ++r)
    request += FormText(VarToStr(vouchers.Value(r, 0)), VarToStr(vouchers.Value(r, 1)));
  Variant answer = Data->SignOffList(request + "</FormSet>");
  int acquisitions = 0, approved = 0, stopped = 0;
  for (int r = 0; r < vouchers.RowCount(); ++r) acquisitions += VarToStr(vouchers.Value(r, 0)) == "A1";
  ASSERT_EQ(answer[0].AsInteger(), acquisitions);
  for (int e = 1; e <= acquisitions; ++e) {
    Variant entry = answer[e];
    SCOPED_TRACE(VarToStr(entry[2]));
    EXPECT_EQ(VarToStr(entry[1]), "A1");
    TRowSet state = Data->Backend().Query("SELECT TC015 FROM ASTTC WHERE TC001 = 'A1' AND TC002 = ?", {entry[2]});
    Variant steps = entry[5];
    const int last = VarArrayHighBound(steps, 1);
    for (int s = 0; s < last; ++s) EXPECT_EQ(VarToStr(steps.GetElement({s, 6})), GB("核准"));
    for (int s = 0; s <= last; ++s) EXPECT_EQ(VarToStr(steps.GetElement({s, 3})).empty(), false);
    if (VarToStr(state.Value(0, 0)) == "Y") {
      ++approved;
      EXPECT_EQ(last, 2);
      EXPECT_EQ(VarToStr(steps.GetElement({last, 6})), GB("核准"));
      EXPECT_LE(VarToStr(steps.GetElement({0, 5})), VarToStr(steps.GetElement({2, 5})));
    } else {
      ++stopped;
      AnsiString final = VarToStr(steps.GetElement({last, 6}));
      EXPECT_TRUE(final == GB("待签核") || final == GB("驳回")) << final;
      EXPECT_EQ(VarToStr(steps.GetElement({last, 5})).empty(), final == GB("待签核"));
    }
  }
  EXPECT_GT(approved, 0);
  EXPECT_GT(stopped, 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, SignOffTest, ::testing::Values(TBackendKind::SQLite, TBackendKind::PostgreSQL),
                         [](const ::testing::TestParamInfo<TBackendKind>& Info) { return BackendName(Info.param); });

}  // namespace
