#pragma once
// The report engine's expression evaluator: group expressions, expression
// texts and the report's named functions.
//
// Grammar (keywords and names are case-insensitive):
//   expr    := orexpr
//   orexpr  := andexpr { OR andexpr }
//   andexpr := notexpr { AND notexpr }
//   notexpr := [NOT] compare
//   compare := sum [ (= | <> | < | <= | > | >=) sum ]
//   sum     := term { (+ | -) term }
//   term    := factor { (* | /) factor }
//   factor  := [-|+] factor | number | 'string' | name | name ( args ) | ( expr )
// A name is a field reference ("ClientDataSet1.TC001", or "TC001" in the
// first data set that has the field), a constant (TRUE, FALSE), or a name the
// context resolves (the report's functions such as PAGENUMBER).
//
// Expressions are parsed once (Prepare) and evaluated per record (Value);
// field references are looked up once per preparation, so the data sets
// should be open before Value is first asked.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/rtl/AnsiStrings.h"

class TDataSet;

enum class TQREvResultType { resInt, resDouble, resString, resBool, resError };

struct TQREvResult {
  TQREvResultType Kind = TQREvResultType::resInt;
  int64_t IntResult = 0;
  double DblResult = 0;
  bool BooResult = false;
  AnsiString StrResult;  // the text, or the message of an error

  static TQREvResult Int(int64_t V);
  static TQREvResult Dbl(double V);
  static TQREvResult Str(AnsiString V);
  static TQREvResult Bool(bool V);
  static TQREvResult Error(AnsiString Message);

  bool IsError() const { return Kind == TQREvResultType::resError; }
  bool IsNumber() const { return Kind == TQREvResultType::resInt || Kind == TQREvResultType::resDouble; }
  double AsDouble() const;
  // What an expression text prints: numbers in shortest form, booleans as
  // True/False, errors as their message.
  AnsiString AsString() const;
  bool AsBoolean() const;
  friend bool operator==(const TQREvResult& A, const TQREvResult& B);
};

// Names an expression may use besides fields: the report answers its
// functions here.
class IQREvContext {
 public:
  virtual ~IQREvContext() = default;
  // True when Name (upper case) is known; Value receives its value.
  virtual bool ResolveName(const AnsiString& Name, TQREvResult& Value) = 0;
};

class TQREvaluator {
 public:
  TQREvaluator();
  ~TQREvaluator();
  TQREvaluator(const TQREvaluator&) = delete;
  TQREvaluator& operator=(const TQREvaluator&) = delete;

  // Data sets that field references search, in order.
  void SetDataSets(std::vector<TDataSet*> DataSets);
  const std::vector<TDataSet*>& DataSets() const { return FDataSets; }
  void SetContext(IQREvContext* Context) { FContext = Context; }
  IQREvContext* Context() const { return FContext; }

  // Parses Expression. A syntax error is not raised: the evaluator is
  // prepared and every Value answers the error, which an expression text
  // prints, as the run-time does.
  void Prepare(const AnsiString& Expression);
  void Unprepare();
  bool Prepared() const { return FRoot != nullptr; }
  const AnsiString& Expression() const { return FExpression; }

  TQREvResult Value();
  // Prepare, Value, Unprepare.
  TQREvResult Calculate(const AnsiString& Expression);

  // Aggregates (SUM, COUNT, MAX, MIN, AVERAGE): Update takes the current
  // record into every aggregate of the expression; Reset starts them again.
  bool IsAggregate() const;
  void UpdateAggregates();
  void ResetAggregates();

  struct TNode;

 private:
  friend struct TParser;
  std::vector<TDataSet*> FDataSets;
  IQREvContext* FContext = nullptr;
  AnsiString FExpression;
  std::unique_ptr<TNode> FRoot;
  std::vector<TNode*> FAggregates;
};
