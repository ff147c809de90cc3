// The host's counter object: the company's system settings and voucher
// numbering over a demo company database.

#include <gtest/gtest.h>

#include <map>

#include "appserver/SqlBackend.h"
#include "platform/com/ComObj.h"
#include "platform/rtl/AnsiText.h"
#include "tests/host/support_demo.h"

namespace {

class Counter : public ::testing::Test {
 protected:
  void SetUp() override {
    Counter_ = OleCall(NewDemoHost(), "Com_Counter");
    Database = OpenCompanyDatabase(DemoHostSettings().Database, "DEMO");
  }

  AnsiString Next(const char* Type, const char* Date, const char* Name = "ASTTC") {
    Variant source = VarArrayOf({Variant(Type), Variant(Date)});
    return VarToStr(OleCall(Counter_, "GetCounter",
                            {Variant(Name), ByRef(source), VarArrayOf({Variant("01"), Variant("DEMO")})}));
  }

  Variant Counter_;
  std::unique_ptr<TSqlBackend> Database;
};

TEST_F(Counter, GetSysInfoAnswersTheCompanysSettingsAsNamesAndValues) {
  Variant company("01");
  Variant info = OleCall(Counter_, "GetSysInfo", {ByRef(company)});
  ASSERT_EQ(VarArrayDimCount(info), 2);
  EXPECT_EQ(VarArrayHighBound(info, 1), 1);
  std::map<AnsiString, AnsiString> settings;
  for (int i = 0; i <= VarArrayHighBound(info, 2); ++i)
    settings[VarToStr(info.GetElement({0, i}))] = VarToStr(info.GetElement({1, i}));
  EXPECT_EQ(settings["KWE002"], Db("示范精密机械有限公司"));
  EXPECT_EQ(settings["Sys001"], "1");
  EXPECT_EQ(settings["Sys002"], "/");
  EXPECT_EQ(settings["Sys042"], "Y");

  Variant other("99");
  EXPECT_TRUE(OleCall(Counter_, "GetSysInfo", {ByRef(other)}).IsEmpty());
}

TEST_F(Counter, VoucherNumbersFollowTheHighestStoredAndNeverRepeat) {
  TRowSet last = Database->Query("SELECT MAX(TC002) FROM ASTTC WHERE TC001 = 'A1'");
  const AnsiString highest = VarToStr(last.Value(0, 0));
  ASSERT_EQ(highest.size(), 11u);  // yyyymm and five digits: coding "2"
  const AnsiString month = highest.substr(0, 6);
  const long long serial = std::stoll(highest.substr(6));

  auto expected = [&](long long n) {
    AnsiString s = std::to_string(n);
    return month + AnsiString(5 - s.size(), '0') + s;
  };
  EXPECT_EQ(Next("A1", (month + "28").c_str()), expected(serial + 1));
  // Nothing is stored in between: the counter still hands out a new number.
  EXPECT_EQ(Next("A1", (month + "01").c_str(), "asttc"), expected(serial + 2));
  // Another month starts at 1; so does the same month of another type when
  // that type has no voucher there.
  EXPECT_EQ(Next("A1", "20990115"), "20990100001");
  EXPECT_EQ(Next("A1", "20990131"), "20990100002");
  EXPECT_EQ(Next("A2", "20990102"), "20990100001");
}

TEST_F(Counter, TheVoucherTypesCodingDecidesThePrefix) {
  struct TCase {
    const char* Coding;
    int Digits;
    const char* Date;
    const char* Expected;
  };
  Database->Execute("DELETE FROM ASTTC WHERE TC001 = 'B1'");
  for (const TCase& c : {TCase{"1", 3, "20240315", "20240315001"}, TCase{"2", 4, "20240315", "2024030001"},
                         TCase{"3", 7, "20240315", "20240000001"}, TCase{"9", 6, "20240315", "000001"},
                         TCase{"", 11, "20240315", "00000000001"}}) {
    SCOPED_TRACE(c.Coding);
    Database->Execute("UPDATE CMSMQ SET MQ008 = ?, MQ009 = ? WHERE MQ001 = 'B1'",
                      {Variant(c.Coding), Variant(c.Digits)});
    Counter_ = OleCall(NewDemoHost(), "Com_Counter");  // a counter that has handed out nothing yet
    EXPECT_EQ(Next("B1", c.Date), c.Expected);
  }
}

TEST_F(Counter, NumbersOfAnotherFormDoNotCountAndAFullSerialIsRefused) {
  Database->Execute("DELETE FROM ASTTC WHERE TC001 = 'B1'");
  Database->Execute("UPDATE CMSMQ SET MQ008 = '3', MQ009 = 1 WHERE MQ001 = 'B1'");
  for (const char* number : {"20248", "2024X", "202407"})
    Database->Execute("INSERT INTO ASTTC (TC001, TC002) VALUES ('B1', ?)", {Variant(number)});
  EXPECT_EQ(Next("B1", "20240101"), "20249");
  try {
    Next("B1", "20240101");
    ADD_FAILURE() << "a tenth number under one digit";
  } catch (const EOleException& e) {
    EXPECT_NE(e.Message.find("used up"), AnsiString::npos) << e.Message;
  }
}

TEST_F(Counter, RequestsWithoutAUsableSourceRaiseWithTheReason) {
  struct TCase {
    const char* Name;
    const char* Type;
    const char* Date;
    const char* Expected;
  };
  Database->Execute("UPDATE CMSMQ SET MQ008 = '1', MQ009 = 9 WHERE MQ001 = 'B1'");
  for (const TCase& c : {TCase{"ASTTD", "A1", "20240301", "no counter named \"ASTTD\""},
                         TCase{"ASTTC", "", "20240301", "needs the voucher type"},
                         TCase{"ASTTC", "Z9", "20240301", "\"Z9\" does not exist"},
                         TCase{"ASTTC", "A1", "20240230", "\"20240230\" is not a date"},
                         TCase{"ASTTC", "A1", "2024-03-01", "is not a date"},
                         TCase{"ASTTC", "B1", "20240301", "no usable numbering"}}) {
    try {
      Next(c.Type, c.Date, c.Name);
      ADD_FAILURE() << c.Name << " " << c.Type << " " << c.Date;
    } catch (const EOleException& e) {
      EXPECT_NE(e.Message.find(c.Expected), AnsiString::npos) << e.Message;
    }
  }
}

}  // namespace
