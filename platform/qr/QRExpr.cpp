#include "platform/qr/QRExpr.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <functional>

#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/Numbers.h"

// ---- Results ------------------------------------------------------------------

TQREvResult TQREvResult::Int(int64_t V) {
  TQREvResult R;
  R.Kind = TQREvResultType::resInt;
  R.IntResult = V;
  return R;
}
TQREvResult TQREvResult::Dbl(double V) {
  TQREvResult R;
  R.Kind = TQREvResultType::resDouble;
  R.DblResult = V;
  return R;
}
TQREvResult TQREvResult::Str(AnsiString V) {
  TQREvResult R;
  R.Kind = TQREvResultType::resString;
  R.StrResult = std::move(V);
  return R;
}
TQREvResult TQREvResult::Bool(bool V) {
  TQREvResult R;
  R.Kind = TQREvResultType::resBool;
  R.BooResult = V;
  return R;
}
TQREvResult TQREvResult::Error(AnsiString Message) {
  TQREvResult R;
  R.Kind = TQREvResultType::resError;
  R.StrResult = std::move(Message);
  return R;
}

double TQREvResult::AsDouble() const {
  switch (Kind) {
    case TQREvResultType::resInt: return static_cast<double>(IntResult);
    case TQREvResultType::resDouble: return DblResult;
    case TQREvResultType::resBool: return BooResult ? 1 : 0;
    case TQREvResultType::resString: return StrToFloatDef(Trim(StrResult), 0);
    default: return 0;
  }
}

AnsiString TQREvResult::AsString() const {
  switch (Kind) {
    case TQREvResultType::resInt: return IntToStr(static_cast<long long>(IntResult));
    case TQREvResultType::resDouble: return FloatToStr(DblResult);
    case TQREvResultType::resBool: return BooResult ? "True" : "False";
    default: return StrResult;
  }
}

bool TQREvResult::AsBoolean() const {
  switch (Kind) {
    case TQREvResultType::resBool: return BooResult;
    case TQREvResultType::resInt: return IntResult != 0;
    case TQREvResultType::resDouble: return DblResult != 0;
    case TQREvResultType::resString: return SameText(Trim(StrResult), "TRUE");
    default: return false;
  }
}

bool operator==(const TQREvResult& A, const TQREvResult& B) {
  if (A.Kind != B.Kind) return false;
  switch (A.Kind) {
    case TQREvResultType::resInt: return A.IntResult == B.IntResult;
    case TQREvResultType::resDouble: return A.DblResult == B.DblResult;
    case TQREvResultType::resBool: return A.BooResult == B.BooResult;
    default: return A.StrResult == B.StrResult;
  }
}

// ---- Nodes ----------------------------------------------------------------------

struct TQREvaluator::TNode {
  virtual ~TNode() = default;
  virtual TQREvResult Eval(TQREvaluator& E) = 0;
  // Aggregates only.
  virtual void Update(TQREvaluator&) {}
  virtual void Reset() {}
};

namespace {

using TNode = TQREvaluator::TNode;
using TNodePtr = std::unique_ptr<TNode>;

struct TConstNode : TNode {
  TQREvResult V;
  explicit TConstNode(TQREvResult Value) : V(std::move(Value)) {}
  TQREvResult Eval(TQREvaluator&) override { return V; }
};

TQREvResult FieldResult(TField* F) {
  switch (F->DataType()) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint:
      return TQREvResult::Int(F->IsNull() ? 0 : static_cast<int64_t>(F->AsFloat()));
    case ftFloat: case ftCurrency: case ftBCD: case ftFMTBcd:
      return TQREvResult::Dbl(F->IsNull() ? 0 : F->AsFloat());
    case ftBoolean:
      return TQREvResult::Bool(!F->IsNull() && F->AsVariant().AsBoolean());
    default:
      return TQREvResult::Str(F->AsString());
  }
}

// A field of a named data set, or of the first data set holding it.
struct TFieldNode : TNode {
  AnsiString DataSetName;  // empty: any
  AnsiString FieldName;
  AnsiString Text;
  // Found once per preparation; a data set closed since then is searched
  // again (its fields are gone), so prepare again after reopening.
  TDataSet* Owner = nullptr;
  TField* Field = nullptr;
  TQREvResult Eval(TQREvaluator& E) override {
    if (!Field || !Owner->Active()) {
      Field = nullptr;
      for (TDataSet* D : E.DataSets()) {
        if (!D || !D->Active()) continue;
        if (!DataSetName.empty() && !SameText(D->Name(), DataSetName)) continue;
        if ((Field = D->FindField(FieldName)) != nullptr) {
          Owner = D;
          break;
        }
      }
      if (!Field) return TQREvResult::Error("Unknown identifier " + Text);
    }
    return FieldResult(Field);
  }
};

enum class TOp { Add, Sub, Mul, Div, Eq, Ne, Lt, Le, Gt, Ge, And, Or };

TQREvResult Compare(TOp Op, const TQREvResult& A, const TQREvResult& B) {
  int C;
  if (A.IsNumber() && B.IsNumber()) {
    double X = A.AsDouble(), Y = B.AsDouble();
    C = X < Y ? -1 : X > Y ? 1 : 0;
  } else if (A.Kind == TQREvResultType::resString && B.Kind == TQREvResultType::resString) {
    C = A.StrResult.compare(B.StrResult);
    C = C < 0 ? -1 : C > 0 ? 1 : 0;
  } else if (A.Kind == TQREvResultType::resBool && B.Kind == TQREvResultType::resBool) {
    C = int(A.BooResult) - int(B.BooResult);
  } else {
    return TQREvResult::Error("Incompatible types");
  }
  switch (Op) {
    case TOp::Eq: return TQREvResult::Bool(C == 0);
    case TOp::Ne: return TQREvResult::Bool(C != 0);
    case TOp::Lt: return TQREvResult::Bool(C < 0);
    case TOp::Le: return TQREvResult::Bool(C <= 0);
    case TOp::Gt: return TQREvResult::Bool(C > 0);
    default: return TQREvResult::Bool(C >= 0);
  }
}

TQREvResult Apply(TOp Op, const TQREvResult& A, const TQREvResult& B) {
  if (A.IsError()) return A;
  if (B.IsError()) return B;
  switch (Op) {
    case TOp::Add:
      if (A.Kind == TQREvResultType::resString && B.Kind == TQREvResultType::resString)
        return TQREvResult::Str(A.StrResult + B.StrResult);
      [[fallthrough]];
    case TOp::Sub:
    case TOp::Mul: {
      if (!A.IsNumber() || !B.IsNumber()) return TQREvResult::Error("Incompatible types");
      if (A.Kind == TQREvResultType::resInt && B.Kind == TQREvResultType::resInt) {
        int64_t X = A.IntResult, Y = B.IntResult;
        return TQREvResult::Int(Op == TOp::Add ? X + Y : Op == TOp::Sub ? X - Y : X * Y);
      }
      double X = A.AsDouble(), Y = B.AsDouble();
      return TQREvResult::Dbl(Op == TOp::Add ? X + Y : Op == TOp::Sub ? X - Y : X * Y);
    }
    case TOp::Div: {
      if (!A.IsNumber() || !B.IsNumber()) return TQREvResult::Error("Incompatible types");
      if (B.AsDouble() == 0) return TQREvResult::Error("Division by zero");
      return TQREvResult::Dbl(A.AsDouble() / B.AsDouble());
    }
    case TOp::And:
    case TOp::Or:
      if (A.Kind != TQREvResultType::resBool || B.Kind != TQREvResultType::resBool)
        return TQREvResult::Error("Incompatible types");
      return TQREvResult::Bool(Op == TOp::And ? (A.BooResult && B.BooResult) : (A.BooResult || B.BooResult));
    default:
      return Compare(Op, A, B);
  }
}

struct TBinaryNode : TNode {
  TOp Op;
  TNodePtr L, R;
  TBinaryNode(TOp O, TNodePtr A, TNodePtr B) : Op(O), L(std::move(A)), R(std::move(B)) {}
  TQREvResult Eval(TQREvaluator& E) override { return Apply(Op, L->Eval(E), R->Eval(E)); }
};

struct TNegNode : TNode {
  TNodePtr A;
  explicit TNegNode(TNodePtr X) : A(std::move(X)) {}
  TQREvResult Eval(TQREvaluator& E) override {
    TQREvResult V = A->Eval(E);
    if (V.Kind == TQREvResultType::resInt) return TQREvResult::Int(-V.IntResult);
    if (V.Kind == TQREvResultType::resDouble) return TQREvResult::Dbl(-V.DblResult);
    return V.IsError() ? V : TQREvResult::Error("Incompatible types");
  }
};

struct TNotNode : TNode {
  TNodePtr A;
  explicit TNotNode(TNodePtr X) : A(std::move(X)) {}
  TQREvResult Eval(TQREvaluator& E) override {
    TQREvResult V = A->Eval(E);
    if (V.Kind == TQREvResultType::resBool) return TQREvResult::Bool(!V.BooResult);
    return V.IsError() ? V : TQREvResult::Error("Incompatible types");
  }
};

// Built-in functions over evaluated arguments.
struct TFunctionNode : TNode {
  AnsiString Name;
  std::vector<TNodePtr> Args;
  TQREvResult Eval(TQREvaluator& E) override;
};

TQREvResult ArgCountError(const AnsiString& Name) {
  return TQREvResult::Error("Wrong number of arguments to " + Name);
}

TQREvResult TFunctionNode::Eval(TQREvaluator& E) {
  const size_t N = Args.size();
  if (Name == "IF") {
    if (N != 3) return ArgCountError(Name);
    TQREvResult C = Args[0]->Eval(E);
    if (C.IsError()) return C;
    return C.AsBoolean() ? Args[1]->Eval(E) : Args[2]->Eval(E);
  }
  std::vector<TQREvResult> V;
  V.reserve(N);
  for (auto& A : Args) {
    V.push_back(A->Eval(E));
    if (V.back().IsError()) return V.back();
  }
  auto Need = [&](size_t Count) { return N == Count; };
  if (Name == "STR") {
    if (!Need(1)) return ArgCountError(Name);
    return TQREvResult::Str(V[0].AsString());
  }
  if (Name == "UPPER" || Name == "LOWER") {
    if (!Need(1)) return ArgCountError(Name);
    return TQREvResult::Str(Name == "UPPER" ? UpperCase(V[0].AsString()) : LowerCase(V[0].AsString()));
  }
  if (Name == "COPY") {
    if (!Need(3)) return ArgCountError(Name);
    AnsiString S = V[0].AsString();
    int64_t Start = static_cast<int64_t>(V[1].AsDouble()), Count = static_cast<int64_t>(V[2].AsDouble());
    if (Start < 1) Start = 1;
    if (Count <= 0 || Start > static_cast<int64_t>(S.size())) return TQREvResult::Str("");
    return TQREvResult::Str(S.substr(static_cast<size_t>(Start - 1), static_cast<size_t>(Count)));
  }
  if (Name == "LENGTH") {
    if (!Need(1)) return ArgCountError(Name);
    return TQREvResult::Int(static_cast<int64_t>(V[0].AsString().size()));
  }
  if (Name == "TRIM") {
    if (!Need(1)) return ArgCountError(Name);
    return TQREvResult::Str(Trim(V[0].AsString()));
  }
  if (Name == "INT" || Name == "FRAC" || Name == "SQRT" || Name == "ABS") {
    if (!Need(1)) return ArgCountError(Name);
    if (!V[0].IsNumber()) return TQREvResult::Error("Incompatible types");
    double X = V[0].AsDouble();
    if (Name == "INT") return TQREvResult::Int(static_cast<int64_t>(std::trunc(X)));
    if (Name == "FRAC") return TQREvResult::Dbl(X - std::trunc(X));
    if (Name == "ABS") return V[0].Kind == TQREvResultType::resInt ? TQREvResult::Int(std::llabs(V[0].IntResult)) : TQREvResult::Dbl(std::fabs(X));
    if (X < 0) return TQREvResult::Error("Invalid argument to SQRT");
    return TQREvResult::Dbl(std::sqrt(X));
  }
  if (Name == "FORMATNUMERIC") {
    if (!Need(2)) return ArgCountError(Name);
    if (!V[1].IsNumber()) return TQREvResult::Error("Incompatible types");
    return TQREvResult::Str(FormatFloat(V[0].AsString(), V[1].AsDouble()));
  }
  return TQREvResult::Error("Unknown function " + Name);
}

enum class TAggregate { Sum, Count, Max, Min, Average };

struct TAggregateNode : TNode {
  TAggregate Kind;
  TNodePtr Arg;  // null for COUNT
  double Total = 0;
  double Best = 0;
  int64_t Count = 0;
  bool AllInt = true;
  TQREvResult Eval(TQREvaluator&) override {
    switch (Kind) {
      case TAggregate::Count: return TQREvResult::Int(Count);
      case TAggregate::Sum: return AllInt ? TQREvResult::Int(static_cast<int64_t>(Total)) : TQREvResult::Dbl(Total);
      case TAggregate::Average: return TQREvResult::Dbl(Count ? Total / Count : 0);
      default:
        if (Count == 0) return TQREvResult::Int(0);
        return AllInt ? TQREvResult::Int(static_cast<int64_t>(Best)) : TQREvResult::Dbl(Best);
    }
  }
  void Update(TQREvaluator& E) override {
    if (Kind == TAggregate::Count) {
      ++Count;
      return;
    }
    TQREvResult V = Arg->Eval(E);
    if (!V.IsNumber()) return;
    if (V.Kind != TQREvResultType::resInt) AllInt = false;
    double X = V.AsDouble();
    if (Count == 0 || (Kind == TAggregate::Max && X > Best) || (Kind == TAggregate::Min && X < Best)) Best = X;
    Total += X;
    ++Count;
  }
  void Reset() override {
    Total = Best = 0;
    Count = 0;
    AllInt = true;
  }
};

}  // namespace

// ---- Parser ---------------------------------------------------------------------

enum class TTok { End, Number, String, Name, Op, LParen, RParen, Comma, Bad };

struct TParser {
  TQREvaluator& Owner;
  const AnsiString& S;
  size_t Pos = 0;
  TTok Tok = TTok::End;
  AnsiString Text;  // the token's text (names upper case in Upper)
  AnsiString Upper;
  AnsiString Error;

  TParser(TQREvaluator& O, const AnsiString& Src) : Owner(O), S(Src) {}

  static bool NameStart(unsigned char C) { return std::isalpha(C) || C == '_' || C >= 0x80; }
  static bool NameChar(unsigned char C) { return std::isalnum(C) || C == '_' || C == '.' || C >= 0x80; }

  void Next() {
    while (Pos < S.size() && std::isspace(static_cast<unsigned char>(S[Pos]))) ++Pos;
    Text.clear();
    if (Pos >= S.size()) {
      Tok = TTok::End;
      return;
    }
    unsigned char C = S[Pos];
    if (std::isdigit(C) || (C == '.' && Pos + 1 < S.size() && std::isdigit(static_cast<unsigned char>(S[Pos + 1])))) {
      size_t Start = Pos;
      while (Pos < S.size() && (std::isdigit(static_cast<unsigned char>(S[Pos])) || S[Pos] == '.')) ++Pos;
      Text = S.substr(Start, Pos - Start);
      Tok = TTok::Number;
      return;
    }
    if (C == '\'' || C == '"') {
      char Quote = static_cast<char>(C);
      ++Pos;
      for (;;) {
        if (Pos >= S.size()) {
          Tok = TTok::Bad;
          Error = "Unterminated string";
          return;
        }
        if (S[Pos] == Quote) {
          if (Pos + 1 < S.size() && S[Pos + 1] == Quote) {
            Text.push_back(Quote);
            Pos += 2;
            continue;
          }
          ++Pos;
          break;
        }
        Text.push_back(S[Pos++]);
      }
      Tok = TTok::String;
      return;
    }
    if (NameStart(C)) {
      size_t Start = Pos;
      while (Pos < S.size() && NameChar(static_cast<unsigned char>(S[Pos]))) ++Pos;
      Text = S.substr(Start, Pos - Start);
      Upper = UpperCase(Text);
      Tok = TTok::Name;
      return;
    }
    ++Pos;
    switch (C) {
      case '(': Tok = TTok::LParen; return;
      case ')': Tok = TTok::RParen; return;
      case ',': Tok = TTok::Comma; return;
      case '+': case '-': case '*': case '/': case '=':
        Tok = TTok::Op;
        Text = AnsiString(1, static_cast<char>(C));
        return;
      case '<': case '>':
        Tok = TTok::Op;
        Text = AnsiString(1, static_cast<char>(C));
        if (Pos < S.size() && (S[Pos] == '=' || (C == '<' && S[Pos] == '>'))) Text.push_back(S[Pos++]);
        return;
      default:
        Tok = TTok::Bad;
        Error = "Unexpected character '" + AnsiString(1, static_cast<char>(C)) + "'";
    }
  }

  bool IsKeyword(const char* K) const { return Tok == TTok::Name && Upper == K; }
  bool Fail(const AnsiString& Message) {
    if (Error.empty()) Error = Message;
    return false;
  }

  TNodePtr ParseExpr() { return ParseOr(); }

  TNodePtr ParseOr() {
    TNodePtr L = ParseAnd();
    while (L && IsKeyword("OR")) {
      Next();
      TNodePtr R = ParseAnd();
      if (!R) return nullptr;
      L = std::make_unique<TBinaryNode>(TOp::Or, std::move(L), std::move(R));
    }
    return L;
  }
  TNodePtr ParseAnd() {
    TNodePtr L = ParseNot();
    while (L && IsKeyword("AND")) {
      Next();
      TNodePtr R = ParseNot();
      if (!R) return nullptr;
      L = std::make_unique<TBinaryNode>(TOp::And, std::move(L), std::move(R));
    }
    return L;
  }
  TNodePtr ParseNot() {
    if (IsKeyword("NOT")) {
      Next();
      TNodePtr A = ParseNot();
      return A ? std::make_unique<TNotNode>(std::move(A)) : nullptr;
    }
    return ParseCompare();
  }
  TNodePtr ParseCompare() {
    TNodePtr L = ParseSum();
    if (!L || Tok != TTok::Op) return L;
    TOp Op;
    if (Text == "=") Op = TOp::Eq;
    else if (Text == "<>") Op = TOp::Ne;
    else if (Text == "<") Op = TOp::Lt;
    else if (Text == "<=") Op = TOp::Le;
    else if (Text == ">") Op = TOp::Gt;
    else if (Text == ">=") Op = TOp::Ge;
    else return L;
    Next();
    TNodePtr R = ParseSum();
    if (!R) return nullptr;
    return std::make_unique<TBinaryNode>(Op, std::move(L), std::move(R));
  }
  TNodePtr ParseSum() {
    TNodePtr L = ParseTerm();
    while (L && Tok == TTok::Op && (Text == "+" || Text == "-")) {
      TOp Op = Text == "+" ? TOp::Add : TOp::Sub;
      Next();
      TNodePtr R = ParseTerm();
      if (!R) return nullptr;
      L = std::make_unique<TBinaryNode>(Op, std::move(L), std::move(R));
    }
    return L;
  }
  TNodePtr ParseTerm() {
    TNodePtr L = ParseFactor();
    while (L && Tok == TTok::Op && (Text == "*" || Text == "/")) {
      TOp Op = Text == "*" ? TOp::Mul : TOp::Div;
      Next();
      TNodePtr R = ParseFactor();
      if (!R) return nullptr;
      L = std::make_unique<TBinaryNode>(Op, std::move(L), std::move(R));
    }
    return L;
  }
  TNodePtr ParseFactor() {
    switch (Tok) {
      case TTok::Op:
        if (Text == "-" || Text == "+") {
          bool Neg = Text == "-";
          Next();
          TNodePtr A = ParseFactor();
          if (!A) return nullptr;
          return Neg ? std::make_unique<TNegNode>(std::move(A)) : std::move(A);
        }
        Fail("Unexpected operator " + Text);
        return nullptr;
      case TTok::Number: {
        AnsiString N = Text;
        Next();
        if (N.find('.') == AnsiString::npos) {
          int64_t I;
          if (TryStrToInt64(N, I)) return std::make_unique<TConstNode>(TQREvResult::Int(I));
        }
        double D;
        if (!TryStrToFloat(N, D)) {
          // The decimal separator of a literal is always '.'.
          char* End = nullptr;
          D = std::strtod(N.c_str(), &End);
          if (!End || *End) {
            Fail("Invalid number " + N);
            return nullptr;
          }
        }
        return std::make_unique<TConstNode>(TQREvResult::Dbl(D));
      }
      case TTok::String: {
        AnsiString V = Text;
        Next();
        return std::make_unique<TConstNode>(TQREvResult::Str(V));
      }
      case TTok::LParen: {
        Next();
        TNodePtr A = ParseExpr();
        if (!A) return nullptr;
        if (Tok != TTok::RParen) {
          Fail("Missing )");
          return nullptr;
        }
        Next();
        return A;
      }
      case TTok::Name:
        return ParseName();
      case TTok::End:
        Fail("Unexpected end of expression");
        return nullptr;
      default:
        Fail("Syntax error");
        return nullptr;
    }
  }

  TNodePtr ParseName() {
    AnsiString Name = Text, Up = Upper;
    Next();
    if (Tok == TTok::LParen) {
      Next();
      std::vector<TNodePtr> Args;
      if (Tok != TTok::RParen) {
        for (;;) {
          TNodePtr A = ParseExpr();
          if (!A) return nullptr;
          Args.push_back(std::move(A));
          if (Tok == TTok::Comma) {
            Next();
            continue;
          }
          break;
        }
      }
      if (Tok != TTok::RParen) {
        Fail("Missing )");
        return nullptr;
      }
      Next();
      static const std::pair<const char*, TAggregate> Aggregates[] = {
          {"SUM", TAggregate::Sum}, {"COUNT", TAggregate::Count}, {"MAX", TAggregate::Max},
          {"MIN", TAggregate::Min}, {"AVERAGE", TAggregate::Average}};
      for (const auto& [AggName, Kind] : Aggregates) {
        if (Up != AggName) continue;
        auto Node = std::make_unique<TAggregateNode>();
        Node->Kind = Kind;
        if (Kind == TAggregate::Count) {
          if (!Args.empty()) return Fail("Wrong number of arguments to COUNT"), nullptr;
        } else {
          if (Args.size() != 1) return Fail("Wrong number of arguments to " + Up), nullptr;
          Node->Arg = std::move(Args[0]);
        }
        Aggregates_.push_back(Node.get());
        return Node;
      }
      auto Node = std::make_unique<TFunctionNode>();
      Node->Name = Up;
      Node->Args = std::move(Args);
      return Node;
    }
    if (Up == "TRUE" || Up == "FALSE") return std::make_unique<TConstNode>(TQREvResult::Bool(Up == "TRUE"));
    auto Dot = Name.find('.');
    if (Dot != AnsiString::npos) {
      auto Node = std::make_unique<TFieldNode>();
      Node->DataSetName = Name.substr(0, Dot);
      Node->FieldName = Name.substr(Dot + 1);
      Node->Text = Name;
      return Node;
    }
    return std::make_unique<TResolvedNameNode>(Up, Name);
  }

  // A bare name: the context's function first, then a field of any data set.
  struct TResolvedNameNode : TNode {
    TFieldNode Field;
    AnsiString Upper;
    TResolvedNameNode(AnsiString Up, const AnsiString& Name) : Upper(std::move(Up)) {
      Field.FieldName = Name;
      Field.Text = Name;
    }
    TQREvResult Eval(TQREvaluator& E) override {
      TQREvResult V;
      if (E.Context() && E.Context()->ResolveName(Upper, V)) return V;
      return Field.Eval(E);
    }
  };

  std::vector<TNode*> Aggregates_;
};

// ---- Evaluator ------------------------------------------------------------------

TQREvaluator::TQREvaluator() = default;
TQREvaluator::~TQREvaluator() = default;

void TQREvaluator::SetDataSets(std::vector<TDataSet*> DataSets) { FDataSets = std::move(DataSets); }

void TQREvaluator::Prepare(const AnsiString& Expression) {
  Unprepare();
  FExpression = Expression;
  TParser P(*this, Expression);
  P.Next();
  TNodePtr Root = P.ParseExpr();
  if (Root && P.Tok != TTok::End) {
    P.Fail(P.Tok == TTok::Bad ? P.Error : AnsiString("Syntax error"));
    Root.reset();
  }
  if (!Root) {
    FRoot = std::make_unique<TConstNode>(TQREvResult::Error(P.Error.empty() ? AnsiString("Syntax error") : P.Error));
    return;
  }
  FRoot = std::move(Root);
  FAggregates = std::move(P.Aggregates_);
}

void TQREvaluator::Unprepare() {
  FAggregates.clear();
  FRoot.reset();
}

TQREvResult TQREvaluator::Value() {
  if (!FRoot) return TQREvResult::Error("Expression not prepared");
  return FRoot->Eval(*this);
}

TQREvResult TQREvaluator::Calculate(const AnsiString& Expression) {
  Prepare(Expression);
  TQREvResult R = Value();
  Unprepare();
  return R;
}

bool TQREvaluator::IsAggregate() const { return !FAggregates.empty(); }

void TQREvaluator::UpdateAggregates() {
  for (TNode* A : FAggregates) A->Update(*this);
}

void TQREvaluator::ResetAggregates() {
  for (TNode* A : FAggregates) A->Reset();
}
