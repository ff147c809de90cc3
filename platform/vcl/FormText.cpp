#include "platform/vcl/FormText.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/Collection.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/TypeInfo.h"

TFormValue TFormValue::OfInt(int64_t V) {
  TFormValue R;
  R.Kind = TFormValueKind::Integer;
  R.Int = V;
  return R;
}
TFormValue TFormValue::OfFloat(double V) {
  TFormValue R;
  R.Kind = TFormValueKind::Float;
  R.Float = V;
  return R;
}
TFormValue TFormValue::OfString(const AnsiString& V) {
  TFormValue R;
  R.Kind = TFormValueKind::String;
  R.Text = V;
  return R;
}
TFormValue TFormValue::OfIdent(const AnsiString& V) {
  TFormValue R;
  R.Kind = TFormValueKind::Ident;
  R.Text = V;
  return R;
}

namespace {

AnsiString OnLine(const AnsiString& Message, int Line) {
  return Line > 0 ? Message + " on line " + IntToStr(Line) : Message;
}

const TFormatSettings& PointSettings() {
  static const TFormatSettings S{};
  return S;
}

// ---- Lexer --------------------------------------------------------------------

enum class TTok { End, Symbol, String, Integer, Float, Binary, Char };

struct TToken {
  TTok Kind = TTok::End;
  AnsiString Text;    // Symbol: the identifier; Binary: the bytes; Char: the character
  WideString Wide;    // String: the decoded characters
  int64_t Int = 0;
  double Float = 0;
  int Line = 1;
};

class TLexer {
 public:
  TLexer(const AnsiString& Text, unsigned SourceCodePage)
      : FText(Text), FSourceCodePage(SourceCodePage) {
    Next();
  }

  const TToken& Token() const { return FTok; }
  int Line() const { return FTok.Line; }

  void Next() {
    SkipBlanks();
    FTok = TToken{};
    FTok.Line = FLine;
    if (FPos >= FText.size()) return;
    unsigned char c = FText[FPos];
    if (IsAlpha(c)) {
      size_t Start = FPos;
      while (FPos < FText.size() && (IsAlpha(FText[FPos]) || IsDigit(FText[FPos]))) ++FPos;
      FTok.Kind = TTok::Symbol;
      FTok.Text = FText.substr(Start, FPos - Start);
    } else if (c == '\'' || c == '#') {
      ReadString();
    } else if (IsDigit(c) || c == '$') {
      ReadNumber();
    } else if (c == '{') {
      ReadBinary();
    } else {
      FTok.Kind = TTok::Char;
      FTok.Text = AnsiString(1, static_cast<char>(c));
      ++FPos;
    }
  }

  [[noreturn]] void Error(const AnsiString& Message) const {
    throw EParserError(OnLine(Message, FTok.Line), FTok.Line);
  }
  [[noreturn]] void ErrorAt(const AnsiString& Message, int Line) const {
    throw EParserError(OnLine(Message, Line), Line);
  }

  bool IsChar(char C) const { return FTok.Kind == TTok::Char && FTok.Text[0] == C; }
  bool IsSymbol(const char* S) const { return FTok.Kind == TTok::Symbol && SameText(FTok.Text, S); }

  void ExpectChar(char C) {
    if (!IsChar(C)) Error(Format("'%s' expected but %s found", {AnsiString(1, C), Describe()}));
    Next();
  }
  AnsiString ExpectSymbol() {
    if (FTok.Kind != TTok::Symbol || SameText(FTok.Text, "end"))
      Error(Format("Identifier expected but %s found", {Describe()}));
    AnsiString S = FTok.Text;
    Next();
    return S;
  }

  AnsiString Describe() const {
    switch (FTok.Kind) {
      case TTok::End:
        return "end of text";
      case TTok::Symbol:
        return "'" + FTok.Text + "'";
      case TTok::String:
        return "string";
      case TTok::Integer:
      case TTok::Float:
        return "number";
      case TTok::Binary:
        return "binary data";
      default:
        return "'" + FTok.Text + "'";
    }
  }

 private:
  static bool IsAlpha(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
  static bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
  static bool IsHex(unsigned char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
  }
  static int HexValue(unsigned char c) {
    if (IsDigit(c)) return c - '0';
    return (c | 0x20) - 'a' + 10;
  }

  void SkipBlanks() {
    while (FPos < FText.size()) {
      unsigned char c = FText[FPos];
      if (c == '\n') {
        ++FLine;
      } else if (c == '\r') {
        if (FPos + 1 >= FText.size() || FText[FPos + 1] != '\n') ++FLine;
      } else if (c > ' ') {
        break;
      }
      ++FPos;
    }
  }

  // 'quoted' runs and #n characters written next to each other form one string.
  void ReadString() {
    FTok.Kind = TTok::String;
    for (;;) {
      if (FPos >= FText.size()) break;
      char c = FText[FPos];
      if (c == '\'') {
        ++FPos;
        AnsiString Run;
        for (;;) {
          if (FPos >= FText.size() || FText[FPos] == '\r' || FText[FPos] == '\n')
            Error("Unterminated string");
          if (FText[FPos] == '\'') {
            if (FPos + 1 < FText.size() && FText[FPos + 1] == '\'') {
              Run += '\'';
              FPos += 2;
              continue;
            }
            ++FPos;
            break;
          }
          Run += FText[FPos++];
        }
        FTok.Wide += AnsiToWide(Run, FSourceCodePage);
      } else if (c == '#') {
        ++FPos;
        uint32_t Code = 0;
        size_t Start = FPos;
        if (FPos < FText.size() && FText[FPos] == '$') {
          ++FPos;
          Start = FPos;
          while (FPos < FText.size() && IsHex(FText[FPos]) && Code <= 0x10FFFF)
            Code = Code * 16 + HexValue(FText[FPos++]);
        } else {
          while (FPos < FText.size() && IsDigit(FText[FPos]) && Code <= 0x10FFFF)
            Code = Code * 10 + (FText[FPos++] - '0');
        }
        if (FPos == Start || Code > 0x10FFFF) Error("Invalid character code");
        if (Code >= 0x10000) {
          Code -= 0x10000;
          FTok.Wide += static_cast<char16_t>(0xD800 + (Code >> 10));
          FTok.Wide += static_cast<char16_t>(0xDC00 + (Code & 0x3FF));
        } else {
          FTok.Wide += static_cast<char16_t>(Code);
        }
      } else {
        break;
      }
    }
  }

  void ReadNumber() {
    if (FText[FPos] == '$') {
      ++FPos;
      size_t Start = FPos;
      uint64_t V = 0;
      while (FPos < FText.size() && IsHex(FText[FPos])) {
        if (FPos - Start >= 16) Error("Number too large");
        V = V * 16 + HexValue(FText[FPos++]);
      }
      if (FPos == Start) Error("Invalid number");
      FTok.Kind = TTok::Integer;
      FTok.Int = static_cast<int64_t>(V);
      return;
    }
    size_t Start = FPos;
    bool IsFloat = false;
    while (FPos < FText.size() && IsDigit(FText[FPos])) ++FPos;
    if (FPos < FText.size() && FText[FPos] == '.' && FPos + 1 < FText.size() &&
        IsDigit(FText[FPos + 1])) {
      IsFloat = true;
      ++FPos;
      while (FPos < FText.size() && IsDigit(FText[FPos])) ++FPos;
    }
    if (FPos < FText.size() && (FText[FPos] == 'E' || FText[FPos] == 'e')) {
      size_t Save = FPos++;
      if (FPos < FText.size() && (FText[FPos] == '+' || FText[FPos] == '-')) ++FPos;
      if (FPos < FText.size() && IsDigit(FText[FPos])) {
        IsFloat = true;
        while (FPos < FText.size() && IsDigit(FText[FPos])) ++FPos;
      } else {
        FPos = Save;
      }
    }
    AnsiString Digits = FText.substr(Start, FPos - Start);
    // Single, currency and date values carry a suffix letter.
    if (FPos < FText.size() && (FText[FPos] == 's' || FText[FPos] == 'S' || FText[FPos] == 'c' ||
                                FText[FPos] == 'C' || FText[FPos] == 'd' || FText[FPos] == 'D')) {
      IsFloat = true;
      ++FPos;
    }
    if (FPos < FText.size() && (IsAlpha(FText[FPos]) || IsDigit(FText[FPos])))
      Error("Invalid number");
    if (IsFloat) {
      FTok.Kind = TTok::Float;
      FTok.Float = StrToFloat(Digits, PointSettings());
    } else {
      FTok.Kind = TTok::Integer;
      if (!TryStrToInt64(Digits, FTok.Int)) Error("Number too large");
    }
  }

  void ReadBinary() {
    ++FPos;
    AnsiString Bytes;
    int High = -1;
    for (;;) {
      if (FPos >= FText.size()) Error("'}' expected but end of text found");
      unsigned char c = FText[FPos++];
      if (c == '}') break;
      if (c == '\n') {
        ++FLine;
        continue;
      }
      if (c <= ' ') continue;
      if (!IsHex(c)) Error("Invalid binary value");
      if (High < 0) {
        High = HexValue(c);
      } else {
        Bytes += static_cast<char>(High * 16 + HexValue(c));
        High = -1;
      }
    }
    if (High >= 0) Error("Invalid binary value");
    FTok.Kind = TTok::Binary;
    FTok.Text = std::move(Bytes);
  }

  const AnsiString& FText;
  unsigned FSourceCodePage;
  size_t FPos = 0;
  int FLine = 1;
  TToken FTok;
};

// ---- Parser --------------------------------------------------------------------

class TParser {
 public:
  TParser(const AnsiString& Text, const TFormTextEncoding& Encoding)
      : FLex(Text, Encoding.Source ? Encoding.Source : GetACP()),
        FStringsCodePage(Encoding.Strings ? Encoding.Strings : GetACP()) {}

  TFormObject ParseRoot() {
    if (FLex.Token().Kind == TTok::End) FLex.Error("Empty form description");
    TFormObject Root = ParseObject();
    if (FLex.Token().Kind != TTok::End)
      FLex.Error(Format("End of text expected but %s found", {FLex.Describe()}));
    return Root;
  }

 private:
  bool AtObjectStart() const {
    return FLex.IsSymbol("object") || FLex.IsSymbol("inherited") || FLex.IsSymbol("inline");
  }

  TFormObject ParseObject() {
    TFormObject O;
    O.Line = FLex.Line();
    if (FLex.IsSymbol("object"))
      O.Kind = TFormObjectKind::Object;
    else if (FLex.IsSymbol("inherited"))
      O.Kind = TFormObjectKind::Inherited;
    else if (FLex.IsSymbol("inline"))
      O.Kind = TFormObjectKind::Inline;
    else
      FLex.Error(Format("'object' expected but %s found", {FLex.Describe()}));
    FLex.Next();
    AnsiString First = FLex.ExpectSymbol();
    if (FLex.IsChar(':')) {
      FLex.Next();
      O.Name = First;
      O.ClassName = FLex.ExpectSymbol();
    } else {
      O.ClassName = First;
    }
    if (FLex.IsChar('[')) {
      FLex.Next();
      if (FLex.Token().Kind != TTok::Integer) FLex.Error("Integer expected");
      O.Position = static_cast<int>(FLex.Token().Int);
      FLex.Next();
      FLex.ExpectChar(']');
    }
    for (;;) {
      if (FLex.Token().Kind == TTok::End)
        FLex.ErrorAt(Format("'end' expected before the end of the text for block '%s: %s' opened",
                            {O.Name, O.ClassName}),
                     O.Line);
      if (FLex.IsSymbol("end")) {
        FLex.Next();
        return O;
      }
      if (AtObjectStart())
        O.Children.push_back(ParseObject());
      else
        O.Properties.push_back(ParseProperty());
    }
  }

  TFormProperty ParseProperty() {
    TFormProperty P;
    P.Line = FLex.Line();
    P.Name = FLex.ExpectSymbol();
    while (FLex.IsChar('.')) {
      FLex.Next();
      P.Name += "." + FLex.ExpectSymbol();
    }
    FLex.ExpectChar('=');
    P.Value = ParseValue();
    return P;
  }

  TFormValue ParseValue() {
    TFormValue V;
    V.Line = FLex.Line();
    const TToken& T = FLex.Token();
    switch (T.Kind) {
      case TTok::Integer:
        V.Kind = TFormValueKind::Integer;
        V.Int = T.Int;
        FLex.Next();
        return V;
      case TTok::Float:
        V.Kind = TFormValueKind::Float;
        V.Float = T.Float;
        FLex.Next();
        return V;
      case TTok::String: {
        WideString Text = T.Wide;
        FLex.Next();
        while (FLex.IsChar('+')) {
          FLex.Next();
          if (FLex.Token().Kind != TTok::String)
            FLex.Error(Format("String expected but %s found", {FLex.Describe()}));
          Text += FLex.Token().Wide;
          FLex.Next();
        }
        V.Kind = TFormValueKind::String;
        V.Text = WideToAnsi(Text, FStringsCodePage);
        return V;
      }
      case TTok::Symbol:
        V.Kind = TFormValueKind::Ident;
        V.Text = T.Text;
        FLex.Next();
        return V;
      case TTok::Binary:
        V.Kind = TFormValueKind::Binary;
        V.Text = T.Text;
        FLex.Next();
        return V;
      case TTok::Char:
        break;
      case TTok::End:
        FLex.Error("Value expected but end of text found");
    }
    if (FLex.IsChar('-')) {
      FLex.Next();
      const TToken& N = FLex.Token();
      if (N.Kind == TTok::Integer) {
        V.Kind = TFormValueKind::Integer;
        V.Int = -N.Int;
      } else if (N.Kind == TTok::Float) {
        V.Kind = TFormValueKind::Float;
        V.Float = -N.Float;
      } else {
        FLex.Error(Format("Number expected but %s found", {FLex.Describe()}));
      }
      FLex.Next();
      return V;
    }
    if (FLex.IsChar('[')) {
      FLex.Next();
      V.Kind = TFormValueKind::Set;
      if (!FLex.IsChar(']')) {
        for (;;) {
          const TToken& E = FLex.Token();
          if (E.Kind == TTok::Symbol)
            V.Elements.push_back(E.Text);
          else if (E.Kind == TTok::Integer)
            V.Elements.push_back(IntToStr(static_cast<long long>(E.Int)));
          else
            FLex.Error(Format("Identifier expected but %s found", {FLex.Describe()}));
          FLex.Next();
          if (FLex.IsChar(']')) break;
          FLex.ExpectChar(',');
        }
      }
      FLex.Next();
      return V;
    }
    if (FLex.IsChar('(')) {
      FLex.Next();
      V.Kind = TFormValueKind::List;
      while (!FLex.IsChar(')')) {
        if (FLex.Token().Kind == TTok::End)
          FLex.ErrorAt("')' expected before the end of the text for the list opened", V.Line);
        V.List.push_back(ParseValue());
      }
      FLex.Next();
      return V;
    }
    if (FLex.IsChar('<')) {
      FLex.Next();
      V.Kind = TFormValueKind::Collection;
      while (!FLex.IsChar('>')) {
        if (!FLex.IsSymbol("item"))
          FLex.Error(Format("'item' expected but %s found", {FLex.Describe()}));
        TFormItem Item;
        Item.Line = FLex.Line();
        FLex.Next();
        if (FLex.IsChar('[')) {  // an item index, as some writers add; ignored
          FLex.Next();
          if (FLex.Token().Kind != TTok::Integer) FLex.Error("Integer expected");
          FLex.Next();
          FLex.ExpectChar(']');
        }
        while (!FLex.IsSymbol("end")) {
          if (FLex.Token().Kind == TTok::End)
            FLex.ErrorAt("'end' expected before the end of the text for the item opened",
                         Item.Line);
          Item.Properties.push_back(ParseProperty());
        }
        FLex.Next();
        V.Items.push_back(std::move(Item));
      }
      FLex.Next();
      return V;
    }
    FLex.Error(Format("Value expected but %s found", {FLex.Describe()}));
  }

  TLexer FLex;
  unsigned FStringsCodePage;
};

// ---- Formatter -----------------------------------------------------------------

const char* const CRLF = "\r\n";

AnsiString Indent(int Level) { return AnsiString(static_cast<size_t>(Level) * 2, ' '); }

// Writes up to 64 characters per line, continued with " +".
AnsiString FormatString(const AnsiString& Text, int Level, const TFormTextEncoding& Enc) {
  if (Text.empty()) return "''";
  const unsigned CodePage = Enc.Strings ? Enc.Strings : GetACP();
  // The characters as units that are written whole: code units, or the bytes
  // of one character in raw mode.
  std::vector<AnsiString> Units;
  std::vector<bool> Plain;  // printable ASCII or raw bytes: inside quotes
  if (Enc.RawBytes) {
    for (size_t i = 0; i < Text.size();) {
      size_t n = std::max<size_t>(1, CharSizeAt(Text, i, CodePage));
      unsigned char c = Text[i];
      bool P = c >= 32 && c != 127;
      Units.push_back(P ? Text.substr(i, n) : "#" + IntToStr(static_cast<int>(c)));
      Plain.push_back(P);
      i += n;
    }
  } else {
    for (char16_t c : AnsiToWide(Text, CodePage)) {
      bool P = c >= 32 && c < 127;
      Units.push_back(P ? AnsiString(1, static_cast<char>(c)) : "#" + IntToStr(static_cast<int>(c)));
      Plain.push_back(P);
    }
  }
  AnsiString Out;
  const size_t Chunk = 64;
  for (size_t Start = 0; Start < Units.size(); Start += Chunk) {
    if (Start > 0) Out += AnsiString(" +") + CRLF + Indent(Level + 1);
    bool InQuote = false;
    for (size_t i = Start; i < std::min(Units.size(), Start + Chunk); ++i) {
      if (Plain[i] != InQuote) {
        Out += '\'';
        InQuote = Plain[i];
      }
      if (Units[i] == "'") Out += '\'';
      Out += Units[i];
    }
    if (InQuote) Out += '\'';
  }
  return Out;
}

AnsiString FormatFloatValue(double V) {
  AnsiString S = FloatToStr(V, PointSettings());
  if (S.find_first_of(".E") == AnsiString::npos && std::isfinite(V)) S += ".0";
  return S;
}

void FormatProperties(const std::vector<TFormProperty>& Props, int Level, const TFormTextEncoding& Enc,
                      AnsiString& Out);

AnsiString FormatValue(const TFormValue& V, int Level, const TFormTextEncoding& Enc) {
  switch (V.Kind) {
    case TFormValueKind::Integer:
      return IntToStr(static_cast<long long>(V.Int));
    case TFormValueKind::Float:
      return FormatFloatValue(V.Float);
    case TFormValueKind::String:
      return FormatString(V.Text, Level, Enc);
    case TFormValueKind::Ident:
      return V.Text;
    case TFormValueKind::Set: {
      AnsiString S = "[";
      for (size_t i = 0; i < V.Elements.size(); ++i) {
        if (i) S += ", ";
        S += V.Elements[i];
      }
      return S + "]";
    }
    case TFormValueKind::List: {
      AnsiString S = "(";
      for (const TFormValue& E : V.List) S += CRLF + Indent(Level + 1) + FormatValue(E, Level + 1, Enc);
      return S + ")";
    }
    case TFormValueKind::Collection: {
      AnsiString S = "<";
      for (const TFormItem& Item : V.Items) {
        S += CRLF + Indent(Level + 1) + "item" + CRLF;
        FormatProperties(Item.Properties, Level + 2, Enc, S);
        S += Indent(Level + 1) + "end";
      }
      return S + ">";
    }
    case TFormValueKind::Binary: {
      AnsiString S = "{";
      static const char Hex[] = "0123456789ABCDEF";
      for (size_t i = 0; i < V.Text.size(); ++i) {
        if (i % 32 == 0) S += CRLF + Indent(Level + 1);
        unsigned char b = V.Text[i];
        S += Hex[b >> 4];
        S += Hex[b & 15];
      }
      return S + "}";
    }
  }
  return {};
}

void FormatProperties(const std::vector<TFormProperty>& Props, int Level, const TFormTextEncoding& Enc,
                      AnsiString& Out) {
  for (const TFormProperty& P : Props)
    Out += Indent(Level) + P.Name + " = " + FormatValue(P.Value, Level, Enc) + CRLF;
}

void FormatObject(const TFormObject& O, int Level, const TFormTextEncoding& Enc, AnsiString& Out) {
  static const char* const Words[] = {"object", "inherited", "inline"};
  Out += Indent(Level) + Words[static_cast<int>(O.Kind)] + " ";
  Out += O.Name.empty() ? O.ClassName : O.Name + ": " + O.ClassName;
  if (O.Position >= 0) Out += " [" + IntToStr(O.Position) + "]";
  Out += CRLF;
  FormatProperties(O.Properties, Level + 1, Enc, Out);
  for (const TFormObject& C : O.Children) FormatObject(C, Level + 1, Enc, Out);
  Out += Indent(Level) + "end" + CRLF;
}

// ---- Defined properties -----------------------------------------------------------

struct TDefinedRegistry {
  std::mutex Lock;
  std::map<AnsiString, std::vector<TDefinedProperty>> ByClass;  // upper-cased class names
};

TDefinedRegistry& Defined() {
  static TDefinedRegistry* R = new TDefinedRegistry;
  return *R;
}

std::vector<const TDefinedProperty*> DefinedPropertiesOf(const TClassInfo& Class) {
  std::vector<const TDefinedProperty*> Result;
  TDefinedRegistry& R = Defined();
  std::lock_guard<std::mutex> Guard(R.Lock);
  std::vector<const TClassInfo*> Chain;
  for (const TClassInfo* C = &Class; C; C = C->Parent) Chain.push_back(C);
  for (auto It = Chain.rbegin(); It != Chain.rend(); ++It) {
    auto Found = R.ByClass.find(UpperCase((*It)->Name));
    if (Found == R.ByClass.end()) continue;
    for (const TDefinedProperty& D : Found->second) Result.push_back(&D);
  }
  return Result;
}

// A string list streams its lines as "Strings".
struct TStringsStreaming {
  TStringsStreaming() {
    TDefinedProperty P;
    P.Name = "Strings";
    P.HasData = [](const TObject* Instance, const TObject* Ancestor) {
      auto* S = static_cast<const TStrings*>(Instance);
      if (auto* A = ObjectAs<TStrings>(Ancestor)) return !S->Equals(A);
      return S->Count() > 0;
    };
    P.Write = [](const TObject* Instance, TFormValue& Value) {
      auto* S = static_cast<const TStrings*>(Instance);
      Value.Kind = TFormValueKind::List;
      for (int i = 0; i < S->Count(); ++i) Value.List.push_back(TFormValue::OfString(S->Strings(i)));
    };
    P.Accepts = [](const TFormValue& Value) {
      if (Value.Kind != TFormValueKind::List) return false;
      for (const TFormValue& E : Value.List)
        if (E.Kind != TFormValueKind::String) return false;
      return true;
    };
    P.Read = [](TObject* Instance, const TFormValue& Value) {
      if (Value.Kind != TFormValueKind::List) throw EReadError("Invalid property value");
      for (const TFormValue& E : Value.List)
        if (E.Kind != TFormValueKind::String) throw EReadError("Invalid property value");
      auto* S = static_cast<TStrings*>(Instance);
      S->BeginUpdate();
      try {
        S->Clear();
        for (const TFormValue& E : Value.List) S->Add(E.Text);
      } catch (...) {
        S->EndUpdate();
        throw;
      }
      S->EndUpdate();
    };
    DefineProperty(TStrings::StaticClass(), P);
  }
};
const TStringsStreaming StringsStreaming;

// ---- Writer ---------------------------------------------------------------------

class TWriter {
 public:
  TWriter(TComponent* Root, TComponent* AncestorRoot) : FRoot(Root), FAncestorRoot(AncestorRoot) {}

  TFormObject WriteRoot() {
    TFormObject O;
    O.Kind = FAncestorRoot ? TFormObjectKind::Inherited : TFormObjectKind::Object;
    O.Name = FRoot->Name();
    O.ClassName = FRoot->ClassName();
    WriteProperties(FRoot, FAncestorRoot, "", O.Properties);
    WriteChildren(FRoot, O.Children);
    return O;
  }

 private:
  // The name a component reference is written with.
  AnsiString ReferenceName(const TComponent* C, const TComponent* Root) const {
    if (!C) return "nil";
    if (C == Root || C->Owner() == Root || !C->Owner()) return C->Name();
    return C->Owner()->Name() + "." + C->Name();
  }

  // The root-bound published method name of a handler, empty when the handler
  // is not one of the root's published methods.
  static AnsiString HandlerName(const TMethod& M, TComponent* Root) {
    if (!M.Code || !Root) return {};
    AnsiString Name = MethodName(Root, M.Code);
    if (Name.empty()) return {};
    const TMethodEntry* E = FindMethodEntry(Root->ClassType(), Name);
    return E && E->DataOf(Root) == M.Data ? Name : AnsiString();
  }

  TFormValue OrdinalValue(const TTypeInfo* T, int64_t V) const {
    switch (T->Kind) {
      case tkEnumeration:
        return TFormValue::OfIdent(GetEnumName(T, static_cast<int>(V)));
      case tkSet: {
        TFormValue S;
        S.Kind = TFormValueKind::Set;
        for (int Bit = 0; Bit < 32; ++Bit)
          if (V & (int64_t{1} << Bit)) S.Elements.push_back(GetEnumName(T->CompType, Bit));
        return S;
      }
      case tkChar:
      case tkWChar:
        return TFormValue::OfString(AnsiString(1, static_cast<char>(V)));
      default: {
        AnsiString Ident;
        if (IntToIdent(T, V, Ident)) return TFormValue::OfIdent(Ident);
        return TFormValue::OfInt(V);
      }
    }
  }

  static bool VariantValue(const Variant& V, TFormValue& Out) {
    if (VarIsEmpty(V)) return false;
    if (VarIsNull(V))
      Out = TFormValue::OfIdent("Null");
    else if (V.VarType() == varBoolean)
      Out = TFormValue::OfIdent(V.AsBoolean() ? "True" : "False");
    else if (VarIsOrdinal(V))
      Out = TFormValue::OfInt(V.AsInt64());
    else if (VarIsNumeric(V) || V.VarType() == varDate)
      Out = TFormValue::OfFloat(V.AsFloat());
    else
      Out = TFormValue::OfString(VarToStr(V));
    return true;
  }

  void WriteProperties(TObject* Instance, TObject* Ancestor, const AnsiString& Prefix,
                       std::vector<TFormProperty>& Out) {
    for (const TPropInfo* P : GetPropList(Instance)) {
      if (!IsStoredProp(Instance, P)) continue;
      const TPropInfo* AP = Ancestor ? GetPropInfo(Ancestor, P->Name) : nullptr;
      if (AP && AP->PropType->Kind != P->PropType->Kind) AP = nullptr;
      const AnsiString Name = Prefix + P->Name;
      TFormValue Value;
      bool Write = false;
      switch (P->Kind()) {
        case tkInteger:
        case tkChar:
        case tkWChar:
        case tkEnumeration:
        case tkInt64:
        case tkSet: {
          if (!P->Writable()) break;
          int64_t V = GetOrdProp(Instance, P);
          Write = AP ? V != GetOrdProp(Ancestor, AP) : !(P->HasDefault() && V == P->Default);
          if (Write) Value = OrdinalValue(P->PropType, V);
          break;
        }
        case tkFloat: {
          if (!P->Writable()) break;
          double V = GetFloatProp(Instance, P);
          Write = AP ? V != GetFloatProp(Ancestor, AP) : V != 0;
          if (Write) Value = TFormValue::OfFloat(V);
          break;
        }
        case tkString:
        case tkLString:
        case tkWString: {
          if (!P->Writable()) break;
          AnsiString V = GetStrProp(Instance, P);
          Write = AP ? V != GetStrProp(Ancestor, AP) : !V.empty();
          if (Write) Value = TFormValue::OfString(V);
          break;
        }
        case tkVariant: {
          if (!P->Writable()) break;
          Variant V = GetVariantProp(Instance, P);
          if (AP && VarSameValue(V, GetVariantProp(Ancestor, AP)) &&
              V.VarType() == GetVariantProp(Ancestor, AP).VarType())
            break;
          Write = VariantValue(V, Value);
          break;
        }
        case tkMethod: {
          if (!P->Writable()) break;
          AnsiString V = HandlerName(GetMethodProp(Instance, P), FRoot);
          AnsiString A = AP ? HandlerName(GetMethodProp(Ancestor, AP), FAncestorRoot) : AnsiString();
          Write = !V.empty() && !SameText(V, A);
          if (Write) Value = TFormValue::OfIdent(V);
          break;
        }
        case tkClass:
          WriteObjectProperty(Instance, P, Ancestor, AP, Name, Out);
          break;
        default:
          break;
      }
      if (Write) Out.push_back(TFormProperty{Name, std::move(Value), 0});
    }
    for (const TDefinedProperty* D : DefinedPropertiesOf(Instance->ClassType())) {
      if (!D->HasData(Instance, Ancestor)) continue;
      TFormValue Value;
      D->Write(Instance, Value);
      Out.push_back(TFormProperty{Prefix + D->Name, std::move(Value), 0});
    }
  }

  void WriteObjectProperty(TObject* Instance, const TPropInfo* P, TObject* Ancestor,
                           const TPropInfo* AP, const AnsiString& Name,
                           std::vector<TFormProperty>& Out) {
    TObject* Obj = GetObjectProp(Instance, P);
    TObject* AObj = AP ? GetObjectProp(Ancestor, AP) : nullptr;
    const TClassInfo* Declared = P->PropType->ClassType;
    if (Declared->InheritsFrom(TComponent::StaticClass()) || ObjectAs<TComponent>(Obj)) {
      if (!P->Writable()) return;
      auto* C = ObjectAs<TComponent>(Obj);
      auto* A = ObjectAs<TComponent>(AObj);
      AnsiString V = C ? ReferenceName(C, FRoot) : AnsiString();
      AnsiString AV = A ? ReferenceName(A, FAncestorRoot) : AnsiString();
      if (SameText(V, AV)) return;
      Out.push_back(TFormProperty{Name, TFormValue::OfIdent(C ? V : "nil"), 0});
      return;
    }
    if (auto* Coll = ObjectAs<TCollection>(Obj)) {
      TFormValue Items = CollectionValue(Coll);
      auto* ACol = ObjectAs<TCollection>(AObj);
      const TFormTextEncoding Exact{0, 0, true};
      bool Write = ACol ? FormatValue(Items, 0, Exact) != FormatValue(CollectionValue(ACol), 0, Exact)
                        : Coll->Count() > 0;
      if (Write) Out.push_back(TFormProperty{Name, std::move(Items), 0});
      return;
    }
    if (Obj) WriteProperties(Obj, AObj && AObj->InheritsFrom(Obj->ClassType()) ? AObj : nullptr,
                             Name + ".", Out);
  }

  TFormValue CollectionValue(TCollection* Coll) {
    TFormValue V;
    V.Kind = TFormValueKind::Collection;
    for (int i = 0; i < Coll->Count(); ++i) {
      TFormItem Item;
      WriteProperties(Coll->Items(i), nullptr, "", Item.Properties);
      V.Items.push_back(std::move(Item));
    }
    return V;
  }

  // Writes Parent's children; returns nothing, fills Out with the blocks that
  // carry something.
  void WriteChildren(TComponent* Parent, std::vector<TFormObject>& Out) {
    std::vector<TComponent*> Children;
    Parent->GetChildren(Children, FRoot);
    for (TComponent* Child : Children) {
      TComponent* Anc = FAncestorRoot ? FAncestorRoot->FindComponent(Child->Name()) : nullptr;
      if (Anc && !Child->InheritsFrom(Anc->ClassType())) Anc = nullptr;
      TFormObject O;
      O.Kind = Anc ? TFormObjectKind::Inherited : TFormObjectKind::Object;
      O.Name = Child->Name();
      O.ClassName = Child->ClassName();
      Child->SetComponentStateFlag(csWriting, true);
      try {
        WriteProperties(Child, Anc, "", O.Properties);
        WriteChildren(Child, O.Children);
      } catch (...) {
        Child->SetComponentStateFlag(csWriting, false);
        throw;
      }
      Child->SetComponentStateFlag(csWriting, false);
      if (Anc && O.Properties.empty() && O.Children.empty()) continue;
      Out.push_back(std::move(O));
    }
  }

  TComponent* FRoot;
  TComponent* FAncestorRoot;
};

}  // namespace

// ---- Public: parsing and formatting ---------------------------------------------------

TFormObject ParseFormText(const AnsiString& Text, const TFormTextEncoding& Encoding) {
  return TParser(Text, Encoding).ParseRoot();
}

AnsiString FormatFormText(const TFormObject& Root, const TFormTextEncoding& Encoding) {
  AnsiString Out;
  FormatObject(Root, 0, Encoding, Out);
  return Out;
}

void DefineProperty(const TClassInfo& Class, const TDefinedProperty& Property) {
  TDefinedRegistry& R = Defined();
  std::lock_guard<std::mutex> Guard(R.Lock);
  auto& List = R.ByClass[UpperCase(Class.Name)];
  for (auto& D : List)
    if (SameText(D.Name, Property.Name)) {
      D = Property;
      return;
    }
  List.push_back(Property);
}

const TDefinedProperty* FindDefinedProperty(const TObject* Instance, const AnsiString& Name) {
  if (!Instance) return nullptr;
  const TDefinedProperty* Found = nullptr;
  for (const TDefinedProperty* D : DefinedPropertiesOf(Instance->ClassType()))
    if (SameText(D->Name, Name)) Found = D;  // the most derived class wins
  return Found;
}

// ---- Public: writing ---------------------------------------------------------------------

TFormObject WriteComponentTree(TComponent* Root, TComponent* Ancestor) {
  Root->SetComponentStateFlag(csWriting, true);
  try {
    TFormObject O = TWriter(Root, Ancestor).WriteRoot();
    Root->SetComponentStateFlag(csWriting, false);
    return O;
  } catch (...) {
    Root->SetComponentStateFlag(csWriting, false);
    throw;
  }
}

AnsiString ComponentToFormText(TComponent* Root, TComponent* Ancestor,
                               const TFormTextEncoding& Encoding) {
  return FormatFormText(WriteComponentTree(Root, Ancestor), Encoding);
}

AnsiString WriteDescendantFormText(TComponent* Root, const TFormTextEncoding& Encoding) {
  TComponent* Fresh = CreateComponent(Root->ClassType(), nullptr);
  try {
    AnsiString Text = ComponentToFormText(Root, Fresh, Encoding);
    delete Fresh;
    return Text;
  } catch (...) {
    delete Fresh;
    throw;
  }
}

// ---- Reader ---------------------------------------------------------------------------------

// The reader checks a description completely before it changes anything (a
// dry run over the same code path, with class information standing in for
// components not created yet), then applies it. Errors that only a setter can
// find still leave what was applied before them.
struct TFormReader::TImpl {
  struct TFixup {
    TObject* Instance;
    const TPropInfo* Prop;
    AnsiString Name;
    AnsiString Context;
    int Line;
  };

  // An object being read, or, in the dry run, the class of one that does not
  // exist yet (Obj null).
  struct TTarget {
    TObject* Obj = nullptr;
    const TClassInfo* Class = nullptr;
  };

  TComponent* Root;
  std::vector<TComponent*> Loaded;
  std::vector<TFixup> Fixups;
  bool Finished = false;
  bool Dry = false;
  std::map<AnsiString, const TClassInfo*> DryCreated;  // upper-cased names
  std::vector<TFixup> DryReferences;

  explicit TImpl(TComponent* R) : Root(R) {}

  [[noreturn]] static void Fail(const AnsiString& Context, const AnsiString& Message, int Line) {
    AnsiString Text = Context.empty() ? Message : "Error reading " + Context + ": " + Message;
    throw EReadError(OnLine(Text, Line), Line);
  }

  void MarkLoading(TComponent* C) {
    if (std::find(Loaded.begin(), Loaded.end(), C) == Loaded.end()) Loaded.push_back(C);
    C->SetComponentStateFlag(csLoading, true);
  }

  void ClearFlags() {
    for (TComponent* C : Loaded) {
      C->SetComponentStateFlag(csLoading, false);
      C->SetComponentStateFlag(csReading, false);
    }
  }

  static bool ClassChainHas(const TClassInfo& Class, const AnsiString& Name) {
    for (const TClassInfo* C = &Class; C; C = C->Parent)
      if (SameText(C->Name, Name)) return true;
    return false;
  }

  void Read(const TFormObject& Tree) {
    DryCreated.clear();
    DryReferences.clear();
    Dry = true;
    ReadRoot(Tree);
    // References may name components that come later in the description.
    for (const TFixup& F : DryReferences)
      if (F.Name.find('.') == AnsiString::npos && !SameText(F.Name, Root->Name()) &&
          !Root->FindComponent(F.Name) && !DryClass(F.Name))
        Fail(F.Context, Format("Unresolved reference to '%s'", {F.Name}), F.Line);
    Dry = false;
    ReadRoot(Tree);
  }

  void ReadRoot(const TFormObject& Tree) {
    if (!ClassChainHas(Root->ClassType(), Tree.ClassName))
      Fail("", Format("Cannot read a %s description into a %s", {Tree.ClassName, Root->ClassName()}),
           Tree.Line);
    if (!Dry) {
      MarkLoading(Root);
      if (!Tree.Name.empty() && Tree.Name != Root->Name()) SetRootName(Tree);
    } else if (!Tree.Name.empty() && !IsValidIdent(Tree.Name)) {
      Fail("", Format("'%s' is not a valid component name", {Tree.Name}), Tree.Line);
    }
    ReadBody(Root, TTarget{Root, &Root->ClassType()}, Tree);
  }

  // The root takes the description's name; when its owner already has a
  // component of that name, the first free "Name_n" instead.
  void SetRootName(const TFormObject& Tree) {
    AnsiString Name = Tree.Name;
    for (int n = 1;; ++n) {
      try {
        Root->SetName(Name);
        return;
      } catch (const EComponentError& E) {
        if (n > 1000) Fail("", E.Message, Tree.Line);
      }
      Name = Tree.Name + "_" + IntToStr(n);
    }
  }

  void ReadBody(TComponent* C, TTarget Target, const TFormObject& Tree) {
    AnsiString Context = Tree.Name.empty() ? Tree.ClassName : Tree.Name;
    if (C) C->SetComponentStateFlag(csReading, !Dry);
    for (const TFormProperty& P : Tree.Properties) ApplyProperty(Target, P, Context);
    if (C) C->SetComponentStateFlag(csReading, false);
    TComponent* Parent = C && !Dry ? C->GetChildParent() : nullptr;
    for (const TFormObject& Child : Tree.Children) ReadChild(Parent, Child);
  }

  void ReadChild(TComponent* Parent, const TFormObject& Tree) {
    TComponent* C = nullptr;
    const TClassInfo* Class = nullptr;
    if (Tree.Kind == TFormObjectKind::Object) {
      Class = GetClass(Tree.ClassName);
      if (!Class)
        throw EClassNotFound(OnLine(Format("Class %s not found", {Tree.ClassName}), Tree.Line),
                             Tree.Line);
      if (!Tree.Name.empty()) C = Root->FindComponent(Tree.Name);
      const TClassInfo* Planned = Dry ? DryClass(Tree.Name) : nullptr;
      if ((C && !SameText(C->ClassName(), Class->Name)) ||
          (!C && Planned && !SameText(Planned->Name, Class->Name)))
        Fail("", Format("A component named %s already exists", {Tree.Name}), Tree.Line);
      if (!C && Dry) {
        if (!Tree.Name.empty() && !IsValidIdent(Tree.Name))
          Fail("", Format("'%s' is not a valid component name", {Tree.Name}), Tree.Line);
        const TClassRegistration* Reg = FindRegistration(*Class);
        if (!Reg || !Reg->CreateComponent)
          Fail("", Format("Cannot create an instance of class %s", {AnsiString(Class->Name)}),
               Tree.Line);
        if (!Tree.Name.empty()) DryCreated[UpperCase(Tree.Name)] = Class;
      } else if (!C) {
        try {
          C = CreateComponent(*Class, Root);
        } catch (const EReadError&) {
          throw;
        } catch (const Exception& E) {
          Fail("", E.Message, Tree.Line);
        }
        try {
          C->SetName(Tree.Name);
        } catch (const Exception& E) {
          delete C;
          Fail("", E.Message, Tree.Line);
        }
      }
    } else {
      C = Tree.Name.empty() ? nullptr : Root->FindComponent(Tree.Name);
      Class = C ? &C->ClassType() : (Dry ? DryClass(Tree.Name) : nullptr);
      if (!Class) Fail("", Format("Ancestor for '%s' not found", {Tree.Name}), Tree.Line);
      if (!ClassChainHas(*Class, Tree.ClassName))
        Fail("", Format("%s is a %s, not a %s", {Tree.Name, AnsiString(Class->Name), Tree.ClassName}),
             Tree.Line);
    }
    if (!Dry) {
      MarkLoading(C);
      if (Parent && Parent != C) {
        try {
          C->SetParentComponent(Parent);
        } catch (const Exception& E) {
          Fail(C->Name(), E.Message, Tree.Line);
        }
      }
    }
    ReadBody(C, TTarget{C, C ? &C->ClassType() : Class}, Tree);
  }

  const TClassInfo* DryClass(const AnsiString& Name) const {
    auto It = DryCreated.find(UpperCase(Name));
    return It == DryCreated.end() ? nullptr : It->second;
  }

  static const TPropInfo* PropOf(const TTarget& T, const AnsiString& Name) {
    return T.Obj ? GetPropInfo(T.Obj, Name) : GetPropInfo(*T.Class, Name);
  }

  static const TDefinedProperty* DefinedOf(const TTarget& T, const AnsiString& Name) {
    const TDefinedProperty* Found = nullptr;
    for (const TDefinedProperty* D : DefinedPropertiesOf(*T.Class))
      if (SameText(D->Name, Name)) Found = D;
    return Found;
  }

  void ApplyProperty(TTarget Target, const TFormProperty& P, const AnsiString& Context) {
    const AnsiString Where = Context + "." + P.Name;
    size_t Start = 0;
    for (;;) {
      size_t Dot = P.Name.find('.', Start);
      AnsiString Step = P.Name.substr(Start, Dot == AnsiString::npos ? AnsiString::npos : Dot - Start);
      const TPropInfo* Prop = PropOf(Target, Step);
      if (Dot != AnsiString::npos) {
        if (!Prop) Fail(Where, Format("Property %s does not exist", {Step}), P.Line);
        if (Prop->Kind() != tkClass) Fail(Where, "Invalid property path", P.Line);
        if (Target.Obj) {
          TObject* Sub = GetObjectProp(Target.Obj, Prop);
          if (!Sub) Fail(Where, "Invalid property path", P.Line);
          Target = TTarget{Sub, &Sub->ClassType()};
        } else {
          Target = TTarget{nullptr, Prop->PropType->ClassType};
        }
        Start = Dot + 1;
        continue;
      }
      try {
        if (Prop) {
          SetValue(Target, Prop, P.Value, Where);
        } else if (const TDefinedProperty* D = DefinedOf(Target, Step)) {
          if (Dry) {
            if (D->Accepts && !D->Accepts(P.Value)) BadValue();
          } else if (Target.Obj) {
            D->Read(Target.Obj, P.Value);
          }
        } else {
          Fail(Where, Format("Property %s does not exist", {Step}), P.Line);
        }
      } catch (const EReadError& E) {
        if (E.Line > 0 || E.Message.rfind("Error reading", 0) == 0) throw;
        Fail(Where, E.Message, P.Value.Line ? P.Value.Line : P.Line);
      } catch (const EClassNotFound&) {
        throw;
      } catch (const Exception& E) {
        Fail(Where, E.Message, P.Line);
      }
      return;
    }
  }

  [[noreturn]] static void BadValue() { throw EReadError("Invalid property value"); }

  static void CheckOrdinal(const TTypeInfo* T, int64_t N) {
    if (T->MinValue < T->MaxValue && (N < T->MinValue || N > T->MaxValue))
      throw EPropertyConvertError("Range check error");
  }

  // Converts the value for the property's type (raising for a value of the
  // wrong kind) and, outside the dry run, sets it.
  void SetValue(const TTarget& Target, const TPropInfo* Prop, const TFormValue& V,
                const AnsiString& Where) {
    const TTypeInfo* T = Prop->PropType;
    TObject* Obj = Dry ? nullptr : Target.Obj;
    if (Obj) DropFixups(Obj, Prop);
    auto SetOrd = [&](int64_t N) {
      CheckOrdinal(T, N);
      if (Obj) SetOrdProp(Obj, Prop, N);
    };
    switch (T->Kind) {
      case tkInteger:
      case tkInt64: {
        int64_t N = 0;
        if (V.Kind == TFormValueKind::Integer)
          N = V.Int;
        else if (!(V.Kind == TFormValueKind::Ident && IdentToInt(T, V.Text, N)))
          BadValue();
        SetOrd(N);
        return;
      }
      case tkChar:
      case tkWChar:
        if (V.Kind == TFormValueKind::String && V.Text.size() == 1)
          SetOrd(static_cast<unsigned char>(V.Text[0]));
        else if (V.Kind == TFormValueKind::Integer)
          SetOrd(V.Int);
        else
          BadValue();
        return;
      case tkEnumeration: {
        if (V.Kind != TFormValueKind::Ident) BadValue();
        int N = GetEnumValue(T, V.Text);
        if (N < 0) BadValue();
        SetOrd(N);
        return;
      }
      case tkSet: {
        if (V.Kind != TFormValueKind::Set) BadValue();
        uint32_t Bits = 0;
        for (const AnsiString& E : V.Elements) {
          int N = GetEnumValue(T->CompType, E);
          if (N < 0 || N > 31) throw EReadError(Format("Invalid property element: %s", {E}));
          Bits |= uint32_t{1} << N;
        }
        if (Obj) SetOrdProp(Obj, Prop, Bits);
        return;
      }
      case tkFloat: {
        double F = 0;
        if (V.Kind == TFormValueKind::Float)
          F = V.Float;
        else if (V.Kind == TFormValueKind::Integer)
          F = static_cast<double>(V.Int);
        else
          BadValue();
        if (Obj) SetFloatProp(Obj, Prop, F);
        return;
      }
      case tkString:
      case tkLString:
      case tkWString:
        if (V.Kind != TFormValueKind::String) BadValue();
        if (Obj) SetStrProp(Obj, Prop, V.Text);
        return;
      case tkVariant: {
        Variant Value = VariantOf(V);
        if (Obj) SetVariantProp(Obj, Prop, Value);
        return;
      }
      case tkMethod: {
        if (V.Kind != TFormValueKind::Ident) BadValue();
        if (SameText(V.Text, "nil")) {
          if (Obj) SetMethodProp(Obj, Prop, TMethod{});
          return;
        }
        const TMethodEntry* E = FindMethodEntry(Root->ClassType(), V.Text);
        if (!E) throw EReadError(Format("Method '%s' not found", {V.Text}));
        if (E->Signature != T->Signature)
          throw EReadError(Format("Method '%s' has an incompatible parameter list", {V.Text}));
        if (Obj) SetMethodProp(Obj, Prop, TMethod{E->Code, E->DataOf(Root)});
        return;
      }
      case tkClass: {
        if (V.Kind == TFormValueKind::Collection) {
          TCollection* Coll = Target.Obj ? ObjectAs<TCollection>(GetObjectProp(Target.Obj, Prop)) : nullptr;
          if (Target.Obj ? !Coll : !T->ClassType->InheritsFrom(TCollection::StaticClass())) BadValue();
          ReadCollection(Coll, V, Where);
          return;
        }
        if (V.Kind == TFormValueKind::Ident) {
          if (SameText(V.Text, "nil")) {
            if (Obj) SetObjectProp(Obj, Prop, nullptr);
            return;
          }
          if (Dry) {
            DryReferences.push_back(TFixup{nullptr, Prop, V.Text, Where, V.Line});
            return;
          }
          if (Obj) Fixups.push_back(TFixup{Obj, Prop, V.Text, Where, V.Line});
          return;
        }
        BadValue();
      }
      default:
        BadValue();
    }
  }

  static Variant VariantOf(const TFormValue& V) {
    switch (V.Kind) {
      case TFormValueKind::Integer:
        if (V.Int >= INT32_MIN && V.Int <= INT32_MAX) return Variant(static_cast<int>(V.Int));
        return Variant(V.Int);
      case TFormValueKind::Float:
        return Variant(V.Float);
      case TFormValueKind::String:
        return Variant(V.Text);
      case TFormValueKind::Ident:
        if (SameText(V.Text, "True")) return Variant(true);
        if (SameText(V.Text, "False")) return Variant(false);
        if (SameText(V.Text, "Null")) return Null();
        if (SameText(V.Text, "Unassigned")) return Variant();
        break;
      default:
        break;
    }
    BadValue();
  }

  // In the dry run Coll may be null (a component not created yet): the items'
  // properties are then checked when they are applied.
  void ReadCollection(TCollection* Coll, const TFormValue& V, const AnsiString& Where) {
    if (Dry) {
      if (!Coll) return;
      const TClassInfo* ItemClass = Coll->ItemClass().Info;
      for (size_t i = 0; i < V.Items.size(); ++i) {
        AnsiString Context = Where + "[" + IntToStr(static_cast<int>(i)) + "]";
        for (const TFormProperty& P : V.Items[i].Properties)
          ApplyProperty(TTarget{nullptr, ItemClass}, P, Context);
      }
      return;
    }
    for (int i = 0; i < Coll->Count(); ++i) DropFixups(Coll->Items(i), nullptr);
    Coll->BeginUpdate();
    try {
      Coll->Clear();
      for (size_t i = 0; i < V.Items.size(); ++i) {
        TCollectionItem* Item = Coll->Add();
        AnsiString Context = Where + "[" + IntToStr(static_cast<int>(i)) + "]";
        for (const TFormProperty& P : V.Items[i].Properties)
          ApplyProperty(TTarget{Item, &Item->ClassType()}, P, Context);
      }
    } catch (...) {
      Coll->EndUpdate();
      throw;
    }
    Coll->EndUpdate();
  }

  // A later value of a property replaces a reference still waiting to be
  // resolved; items about to be freed take theirs with them.
  void DropFixups(TObject* Instance, const TPropInfo* Prop) {
    Fixups.erase(std::remove_if(Fixups.begin(), Fixups.end(),
                                [&](const TFixup& F) {
                                  return F.Instance == Instance && (!Prop || F.Prop == Prop);
                                }),
                 Fixups.end());
  }

  TComponent* Resolve(const AnsiString& Name) {
    size_t Dot = Name.find('.');
    if (Dot == AnsiString::npos) {
      if (SameText(Root->Name(), Name)) return Root;
      return Root->FindComponent(Name);
    }
    AnsiString OwnerName = Name.substr(0, Dot);
    AnsiString CompName = Name.substr(Dot + 1);
    for (TComponent* O = Root; O; O = O->Owner()) {
      TComponent* Holder = SameText(O->Name(), OwnerName) ? O : O->FindComponent(OwnerName);
      if (Holder) return Holder->FindComponent(CompName);
    }
    return nullptr;
  }

  void ResolveFixups() {
    std::vector<TFixup> Pending;
    Pending.swap(Fixups);
    for (const TFixup& F : Pending) {
      TComponent* C = Resolve(F.Name);
      if (!C) Fail(F.Context, Format("Unresolved reference to '%s'", {F.Name}), F.Line);
      try {
        SetObjectProp(F.Instance, F.Prop, C);
      } catch (const Exception& E) {
        Fail(F.Context, E.Message, F.Line);
      }
    }
  }
};

TFormReader::TFormReader(TComponent* Root) : FImpl(new TImpl(Root)) {}

TFormReader::~TFormReader() {
  if (!FImpl->Finished) FImpl->ClearFlags();
  delete FImpl;
}

void TFormReader::Read(const TFormObject& Tree) { FImpl->Read(Tree); }

void TFormReader::Finish() {
  if (FImpl->Finished) return;
  FImpl->ResolveFixups();
  FImpl->Finished = true;
  std::vector<TComponent*> Loaded = FImpl->Loaded;
  try {
    for (TComponent* C : Loaded) C->Loaded();
  } catch (...) {
    FImpl->ClearFlags();
    throw;
  }
  FImpl->ClearFlags();
}

void ReadComponentTree(TComponent* Root, const TFormObject& Tree) {
  TFormReader Reader(Root);
  Reader.Read(Tree);
  Reader.Finish();
}

void ReadFormText(TComponent* Root, const AnsiString& Text, const TFormTextEncoding& Encoding) {
  ReadComponentTree(Root, ParseFormText(Text, Encoding));
}
