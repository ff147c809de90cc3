#include "platform/vcl/Mask.h"

#include <cctype>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/StdCtrlsPublish.h"

using namespace kw_stdctrls;

KW_REGISTER_CLASS(TMaskEdit)

namespace {
const char* const kInvalidInput = "Invalid input value.  Use escape key to abandon changes";

bool IsAsciiDigit(char C) { return C >= '0' && C <= '9'; }
bool IsAsciiLetter(char C) { return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z'); }
}  // namespace

// ===========================================================================
// TEditMask

TEditMask::TEditMask(const AnsiString& Mask) {
  // The picture ends at the first ';' that is not escaped.
  size_t end = 0;
  while (end < Mask.size() && Mask[end] != ';') end += (Mask[end] == '\\' && end + 1 < Mask.size()) ? 2 : 1;
  if (end < Mask.size()) {
    size_t second = Mask.find(';', end + 1);
    AnsiString save = Mask.substr(end + 1, second == AnsiString::npos ? AnsiString::npos : second - end - 1);
    if (!save.empty() && save[0] == '0') FSaveLiterals = false;
    if (second != AnsiString::npos && second + 1 < Mask.size()) FBlank = Mask[second + 1];
  }
  TMaskCase current = mcNone;
  auto input = [&](TMaskCharKind Kind, bool Required) {
    TPosition p;
    p.Kind = Kind;
    p.Required = Required;
    p.Case = current;
    FPositions.push_back(p);
  };
  auto literal = [&](char C) {
    TPosition p;
    p.Literal = C;
    FPositions.push_back(p);
  };
  for (size_t i = 0; i < end; ++i) {
    char c = Mask[i];
    switch (c) {
      case '\\':
        if (i + 1 < end) literal(Mask[++i]);
        break;
      case '>':
        if (i + 1 < end && Mask[i + 1] == '<') {
          current = mcNone;
          ++i;
        } else {
          current = mcUpper;
        }
        break;
      case '<':
        if (i + 1 < end && Mask[i + 1] == '>') {
          current = mcNone;
          ++i;
        } else {
          current = mcLower;
        }
        break;
      case '!': break;
      case '_': literal(' '); break;
      case '0': input(mkDigit, true); break;
      case '9': input(mkDigit, false); break;
      case '#': input(mkDigitOrSign, false); break;
      case 'L': input(mkLetter, true); break;
      case 'l': input(mkLetter, false); break;
      case 'A': input(mkAlphaNum, true); break;
      case 'a': input(mkAlphaNum, false); break;
      case 'C': input(mkAnyChar, true); break;
      case 'c': input(mkAnyChar, false); break;
      case ':': literal(FormatSettings.TimeSeparator); break;
      case '/': literal(FormatSettings.DateSeparator); break;
      default: literal(c); break;
    }
  }
}

bool TEditMask::Accepts(int Pos, char C) const {
  const TPosition& p = FPositions[Pos];
  unsigned char b = static_cast<unsigned char>(C);
  switch (p.Kind) {
    case mkLiteral: return C == p.Literal;
    case mkDigit: return IsAsciiDigit(C);
    case mkDigitOrSign: return IsAsciiDigit(C) || C == '+' || C == '-';
    case mkLetter: return IsAsciiLetter(C);
    case mkAlphaNum: return IsAsciiLetter(C) || IsAsciiDigit(C);
    case mkAnyChar: return b >= 0x20 && !(b >= 0x80 && IsDBCSLeadByte(b));
  }
  return false;
}

char TEditMask::ApplyCase(int Pos, char C) const {
  switch (FPositions[Pos].Case) {
    case mcUpper: return static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
    case mcLower: return static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
    default: return C;
  }
}

int TEditMask::NextInput(int Pos) const {
  if (Pos < 0) Pos = 0;
  while (Pos < Length() && IsLiteral(Pos)) ++Pos;
  return Pos;
}

int TEditMask::PrevInput(int Pos) const {
  --Pos;
  while (Pos >= 0 && IsLiteral(Pos)) --Pos;
  return Pos;
}

AnsiString TEditMask::EmptyEditText() const {
  AnsiString s;
  for (const TPosition& p : FPositions) s += p.Kind == mkLiteral ? p.Literal : FBlank;
  return s;
}

AnsiString TEditMask::EditTextFor(const AnsiString& Value) const {
  AnsiString s;
  size_t vi = 0;
  for (int i = 0; i < Length(); ++i) {
    const TPosition& p = FPositions[i];
    if (p.Kind == mkLiteral) {
      // A value with the literals has them where the mask has them.
      if (FSaveLiterals && vi < Value.size() && Value[vi] == p.Literal) ++vi;
      s += p.Literal;
      continue;
    }
    if (vi < Value.size()) {
      char c = Value[vi++];
      s += c == ' ' ? FBlank : ApplyCase(i, c);
    } else {
      s += FBlank;
    }
  }
  return s;
}

AnsiString TEditMask::InputOf(const AnsiString& EditText) const {
  AnsiString s;
  for (int i = 0; i < Length() && i < static_cast<int>(EditText.size()); ++i)
    if (!IsLiteral(i)) s += EditText[i] == FBlank ? ' ' : EditText[i];
  return s;
}

AnsiString TEditMask::EditTextFromInput(const AnsiString& Input) const {
  AnsiString s;
  size_t vi = 0;
  for (int i = 0; i < Length(); ++i) {
    if (IsLiteral(i)) {
      s += FPositions[i].Literal;
      continue;
    }
    char c = vi < Input.size() ? Input[vi++] : ' ';
    s += c == ' ' ? FBlank : ApplyCase(i, c);
  }
  return s;
}

AnsiString TEditMask::TextFor(const AnsiString& EditText) const {
  AnsiString s;
  for (int i = 0; i < Length(); ++i) {
    const TPosition& p = FPositions[i];
    if (p.Kind == mkLiteral) {
      if (FSaveLiterals) s += p.Literal;
      continue;
    }
    char c = i < static_cast<int>(EditText.size()) ? EditText[i] : FBlank;
    s += c == FBlank ? ' ' : c;
  }
  return s;
}

int TEditMask::FirstInvalid(const AnsiString& EditText) const {
  for (int i = 0; i < Length(); ++i) {
    const TPosition& p = FPositions[i];
    char c = i < static_cast<int>(EditText.size()) ? EditText[i] : FBlank;
    if (p.Kind == mkLiteral) continue;
    if (c == FBlank || c == ' ') {
      if (p.Required) return i;
      continue;
    }
    if (!Accepts(i, c)) return i;
  }
  return -1;
}

AnsiString FormatMaskText(const AnsiString& EditMask, const AnsiString& Value) {
  TEditMask mask(EditMask);
  if (mask.Empty()) return Value;
  return mask.TextFor(mask.EditTextFor(Value));
}

// ===========================================================================
// TCustomMaskEdit

void TMaskEdit::PublishMembers(TPublisher<TMaskEdit>& P) {
  PublishVisual(P, clWindow);
  PublishWinControl(P, true);
  P.Property("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect).Default(true);
  P.Property("AutoSize", &TCustomEdit::AutoSize, &TCustomEdit::SetAutoSize).Default(true);
  P.Property("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle).Default(bsSingleBorder);
  P.Property("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase).Default(ecNormal);
  // The mask before the text: a stored text is read through its mask.
  P.Property("EditMask", &TCustomMaskEdit::EditMask, &TCustomMaskEdit::SetEditMask);
  P.Property("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).Default(0);
  P.Property("PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar).Default('\0');
  P.Property("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).Default(false);
  PublishText(P);
  P.Property("OnChange", &TCustomEdit::OnChange, &TCustomEdit::OnChange);
}

const TMessageTable& TCustomMaskEdit::StaticMessageTable() {
  using ThisClass = TCustomMaskEdit;
  static const TMessageTable table(&TCustomEdit::StaticMessageTable(),
                                   {
                                       KW_ON_MESSAGE(CM_EXIT, CMExit),
                                   });
  return table;
}

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TCustomMaskEdit::SetEditMask(const AnsiString& Value) {
  if (Value == FEditMask) return;
  // What was typed moves into the new mask's input positions; the old
  // mask's literals stay behind.
  bool wasMasked = IsMasked();
  AnsiString value = Text();
  AnsiString typed = wasMasked ? FMask.InputOf(FBuffer.Text()) : value;
  FEditMask = Value;
  FMask = TEditMask(Value);
  if (!IsMasked()) {
    FBuffer.SetText(value);
    return;
  }
  FBuffer.SetText(wasMasked ? FMask.EditTextFromInput(typed) : FMask.EditTextFor(value));
}

void TCustomMaskEdit::SetEditText(const AnsiString& Value) {
  if (!IsMasked()) {
    SetText(Value);
    return;
  }
  AnsiString shown;
  for (int i = 0; i < FMask.Length(); ++i)
    shown += FMask.IsLiteral(i) ? FMask.Positions()[i].Literal
                                : (i < static_cast<int>(Value.size()) ? Value[i] : FMask.Blank());
  if (shown == FBuffer.Text()) return;
  FBuffer.SetText(shown);
  Perform(CM_TEXTCHANGED);
}

AnsiString TCustomMaskEdit::RealGetText() const {
  if (!IsMasked()) return FBuffer.Text();
  return FMask.TextFor(FBuffer.Text());
}

void TCustomMaskEdit::RealSetText(const AnsiString& Value) {
  if (!IsMasked()) {
    TCustomEdit::RealSetText(Value);
    return;
  }
  FBuffer.SetText(FMask.EditTextFor(Value));
}

AnsiString TCustomMaskEdit::DisplayText() const {
  if (!IsMasked() || !PasswordChar()) return IsMasked() ? EditText() : TCustomEdit::DisplayText();
  return AnsiString(FBuffer.Text().size(), PasswordChar());
}

bool TCustomMaskEdit::TypeChar(char Key) {
  if (!IsMasked()) return TCustomEdit::TypeChar(Key);
  if (ReadOnly()) return false;
  AnsiString text = FBuffer.Text();
  int start = FBuffer.SelStart();
  int length = FBuffer.SelLength();
  auto blankRange = [&](int From, int To) {
    for (int i = From; i < To && i < FMask.Length(); ++i)
      if (!FMask.IsLiteral(i)) text[i] = FMask.Blank();
  };
  auto commit = [&](int Caret) {
    bool changed = text != FBuffer.Text();
    FBuffer.SetText(text);
    FBuffer.SetSelStart(Caret);
    return changed;
  };
  if (Key == '\b') {
    if (length > 0) {
      blankRange(start, start + length);
      return commit(start);
    }
    int p = FMask.PrevInput(start);
    if (p < 0) return commit(start);
    text[p] = FMask.Blank();
    return commit(p);
  }
  if (static_cast<unsigned char>(Key) < 0x20) return false;
  int p = FMask.NextInput(start);
  if (p >= FMask.Length()) return false;
  char c = FMask.ApplyCase(p, Key);
  bool blank = c == ' ' && !FMask.Positions()[p].Required;
  if (!blank && !FMask.Accepts(p, c)) return false;
  if (length > 0) blankRange(start, start + length);
  text[p] = blank ? FMask.Blank() : c;
  return commit(FMask.NextInput(p + 1));
}

void TCustomMaskEdit::KeyDown(unsigned short& Key, TShiftState Shift) {
  if (IsMasked() && Key == VK_DELETE) {
    TWinControl::KeyDown(Key, Shift);
    if (Key == 0 || ReadOnly()) return;
    AnsiString text = FBuffer.Text();
    int start = FBuffer.SelStart();
    int to = FBuffer.SelLength() > 0 ? start + FBuffer.SelLength() : FMask.NextInput(start) + 1;
    for (int i = start; i < to && i < FMask.Length(); ++i)
      if (!FMask.IsLiteral(i)) text[i] = FMask.Blank();
    if (text != FBuffer.Text()) {
      FBuffer.SetText(text);
      FBuffer.SetSelStart(start);
      UserChanged();
    }
    return;
  }
  TCustomEdit::KeyDown(Key, Shift);
}

void TCustomMaskEdit::DoEnter() {
  TCustomEdit::DoEnter();
  if (IsMasked() && !AutoSelect()) FBuffer.SetSelStart(FMask.NextInput(0));
}

void TCustomMaskEdit::ValidateEdit() {
  if (!IsMasked() || !Modified()) return;
  int bad = FMask.FirstInvalid(FBuffer.Text());
  if (bad < 0) return;
  FBuffer.SetSelStart(bad);
  throw EDBEditError(kInvalidInput);
}

void TCustomMaskEdit::CMExit(TMessage& Message) {
  // A wrong value keeps the focus here: the error is shown and the field
  // takes the focus back, so the control the person was going to is never
  // entered and nothing typed is lost.
  if (FValidating) return;
  try {
    ValidateEdit();
  } catch (const EDBEditError&) {
    FValidating = true;
    int caret = FBuffer.SelStart();
    try {
      if (TApplication* app = GetApplication()) app->HandleException(this);
      if (CanFocus()) SetFocus();
    } catch (...) {
      FValidating = false;
      throw;
    }
    FValidating = false;
    FBuffer.SetSelStart(caret);
    return;
  }
  DispatchFrom(&TCustomEdit::StaticMessageTable(), Message);
}
