// The expression evaluator: literals, operators, field references, the
// context's names and aggregates, as tables of expression and expected value.

#include <gtest/gtest.h>

#include "platform/db/ClientDataSet.h"
#include "platform/qr/QRExpr.h"

namespace {

}  // namespace

void PrintTo(const TQREvResult& V, std::ostream* Out) {
  static const char* const Kinds[] = {"Int", "Dbl", "Str", "Bool", "Error"};
  *Out << Kinds[static_cast<int>(V.Kind)] << "(" << V.AsString() << ")";
}

namespace {

class TTestContext : public IQREvContext {
 public:
  bool ResolveName(const AnsiString& Name, TQREvResult& Value) override {
    if (Name == "PAGENUMBER") Value = TQREvResult::Int(7);
    else if (Name == "QRSTRINGSBAND1") Value = TQREvResult::Str("band");
    else return false;
    return true;
  }
};

class ExprTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Owner = std::make_unique<TComponent>(nullptr);
    DS = new TClientDataSet(Owner.get());
    DS->SetName("ClientDataSet1");
    DS->FieldDefs().Add("TC001", ftString, 4);
    DS->FieldDefs().Add("TC002", ftString, 11);
    DS->FieldDefs().Add("TC006", ftFloat);
    DS->FieldDefs().Add("TC009", ftInteger);
    DS->CreateDataSet();
    DS->AppendRecord({"A1", "0002", 100.5, 3});
    DS->AppendRecord({"B2", "0001", 20.0, 4});
    DS->First();
    Other = new TClientDataSet(Owner.get());
    Other->SetName("ClientDataSet2");
    Other->FieldDefs().Add("TC001", ftString, 4);
    Other->FieldDefs().Add("NAME", ftString, 10);
    Other->CreateDataSet();
    Other->AppendRecord({"ZZ", "other"});
    E.SetDataSets({DS, Other});
    E.SetContext(&Context);
  }
  std::unique_ptr<TComponent> Owner;
  TClientDataSet* DS = nullptr;
  TClientDataSet* Other = nullptr;
  TTestContext Context;
  TQREvaluator E;
};

TEST_F(ExprTest, EvaluatesATableOfExpressions) {
  using R = TQREvResult;
  struct Case {
    const char* Expression;
    TQREvResult Expected;
  };
  const Case Cases[] = {
      {"ClientDataSet1.TC001+ClientDataSet1.TC002", R::Str("A10002")},
      {"clientdataset1.tc001 + '-' + TC002", R::Str("A1-0002")},
      {"ClientDataSet2.TC001", R::Str("ZZ")},
      {"TC001", R::Str("A1")},  // a bare field comes from the first data set holding it
      {"NAME", R::Str("other")},
      {"ClientDataSet1.TC006 * 2", R::Dbl(201)},
      {"ClientDataSet1.TC009 + 1", R::Int(4)},
      {"1 + 2 * 3", R::Int(7)},
      {"(1 + 2) * 3", R::Int(9)},
      {"7 / 2", R::Dbl(3.5)},
      {"10 - 4 - 3", R::Int(3)},
      {"-2 * -3", R::Int(6)},
      {"1.5 + 1", R::Dbl(2.5)},
      {"'it''s'", R::Str("it's")},
      {"'abc' = 'abc'", R::Bool(true)},
      {"'abc' < 'abd'", R::Bool(true)},
      {"2 <> 2.0", R::Bool(false)},
      {"3 >= 4", R::Bool(false)},
      {"TC009 <= 3 and not (TC001 = 'B2')", R::Bool(true)},
      {"FALSE or 1 > 0", R::Bool(true)},
      {"IF(TC009 > 2, 'big', 'small')", R::Str("big")},
      {"UPPER('ab') + LOWER('CD')", R::Str("ABcd")},
      {"COPY('ABCDEF', 2, 3)", R::Str("BCD")},
      {"COPY('ABC', 5, 1)", R::Str("")},
      {"INT(7.9) + FRAC(0.25)", R::Dbl(7.25)},
      {"STR(12) + 'x'", R::Str("12x")},
      {"FORMATNUMERIC('0.00', 3.14159)", R::Str("3.14")},
      {"PAGENUMBER + 1", R::Int(8)},
      {"pagenumber", R::Int(7)},
      {"QRSTRINGSBAND1", R::Str("band")},
      {"'\xB9\xCC\xB6\xA8' + '\xD7\xCA\xB2\xFA'", R::Str("\xB9\xCC\xB6\xA8\xD7\xCA\xB2\xFA")},
      // Faults give error results instead of raising.
      {"1 / 0", R::Error("Division by zero")},
      {"'a' + 1", R::Error("Incompatible types")},
      {"NOSUCH", R::Error("Unknown identifier NOSUCH")},
      {"ClientDataSet9.TC001", R::Error("Unknown identifier ClientDataSet9.TC001")},
      {"ClientDataSet1.NOFIELD", R::Error("Unknown identifier ClientDataSet1.NOFIELD")},
      {"FOO(1)", R::Error("Unknown function FOO")},
      {"IF(1, 2)", R::Error("Wrong number of arguments to IF")},
      {"(1 + 2", R::Error("Missing )")},
      {"1 +", R::Error("Unexpected end of expression")},
      {"'open", R::Error("Unterminated string")},
      {"1 2", R::Error("Syntax error")},
      {"1 # 2", R::Error("Unexpected character '#'")},
  };
  for (const auto& C : Cases) {
    TQREvResult V = E.Calculate(C.Expression);
    EXPECT_EQ(V, C.Expected) << C.Expression << " gave " << V.AsString();
    EXPECT_FALSE(E.Prepared());
  }
}

TEST_F(ExprTest, PreparedExpressionFollowsTheCurrentRecord) {
  E.Prepare("ClientDataSet1.TC001+ClientDataSet1.TC002");
  EXPECT_TRUE(E.Prepared());
  EXPECT_EQ(E.Value().AsString(), "A10002");
  DS->Next();
  EXPECT_EQ(E.Value().AsString(), "B20001");
  // A closed data set answers an error instead of reading freed fields.
  DS->Close();
  EXPECT_EQ(E.Value(), TQREvResult::Error("Unknown identifier ClientDataSet1.TC001"));
  E.Unprepare();
  EXPECT_TRUE(E.Value().IsError());
}

TEST_F(ExprTest, AggregatesAccumulateUntilReset) {
  E.Prepare("SUM(TC006) + 0");
  EXPECT_TRUE(E.IsAggregate());
  for (DS->First(); !DS->Eof(); DS->Next()) E.UpdateAggregates();
  EXPECT_EQ(E.Value(), TQREvResult::Dbl(120.5));
  E.ResetAggregates();
  EXPECT_EQ(E.Value(), TQREvResult::Int(0));

  struct Case { const char* Expression; TQREvResult Expected; };
  const Case Cases[] = {
      {"COUNT()", TQREvResult::Int(2)},       {"SUM(TC009)", TQREvResult::Int(7)},
      {"MAX(TC009)", TQREvResult::Int(4)},    {"MIN(TC006)", TQREvResult::Dbl(20)},
      {"AVERAGE(TC009)", TQREvResult::Dbl(3.5)},
  };
  for (const auto& C : Cases) {
    E.Prepare(C.Expression);
    for (DS->First(); !DS->Eof(); DS->Next()) E.UpdateAggregates();
    EXPECT_EQ(E.Value(), C.Expected) << C.Expression;
  }
  E.Prepare("TC009 * 2");
  EXPECT_FALSE(E.IsAggregate());
}

TEST(ExprResult, ConversionsForPrinting) {
  EXPECT_EQ(TQREvResult::Dbl(2.5).AsString(), "2.5");
  EXPECT_EQ(TQREvResult::Int(-3).AsString(), "-3");
  EXPECT_EQ(TQREvResult::Bool(true).AsString(), "True");
  EXPECT_EQ(TQREvResult::Error("Syntax error").AsString(), "Syntax error");
  EXPECT_TRUE(TQREvResult::Str(" true ").AsBoolean());
  EXPECT_DOUBLE_EQ(TQREvResult::Str("12.5").AsDouble(), 12.5);
  EXPECT_DOUBLE_EQ(TQREvResult::Str("x").AsDouble(), 0);
}

}  // namespace
