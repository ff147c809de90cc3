#include "platform/vcl/StdCtrls.h"

#include <algorithm>
#include <cstdlib>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/AnsiText.h"
#include "platform/vcl/FontEngine.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/StdCtrlsPublish.h"

using namespace kw_stdctrls;

KW_DEFINE_ENUM_TYPEINFO(TAlignment, "taLeftJustify", "taRightJustify", "taCenter")
KW_DEFINE_ENUM_TYPEINFO(TLabelLayout, "tlTop", "tlCenter", "tlBottom")
KW_DEFINE_ENUM_TYPEINFO(TEditCharCase, "ecNormal", "ecUpperCase", "ecLowerCase")
KW_DEFINE_ENUM_TYPEINFO(TBorderStyle, "bsNone", "bsSingle")
KW_DEFINE_ENUM_TYPEINFO(TLeftRight, "taLeftJustify", "taRightJustify")
KW_DEFINE_ENUM_TYPEINFO(TCheckBoxState, "cbUnchecked", "cbChecked", "cbGrayed")
KW_DEFINE_ENUM_TYPEINFO(TComboBoxStyle, "csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed",
                        "csOwnerDrawVariable")
KW_DEFINE_ENUM_TYPEINFO(TListBoxStyle, "lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable")
KW_DEFINE_ENUM_TYPEINFO(TOwnerDrawStateFlag, "odSelected", "odGrayed", "odDisabled", "odChecked", "odFocused",
                        "odDefault", "odHotLight", "odInactive", "odNoAccel", "odNoFocusRect", "odReserved1",
                        "odReserved2", "odComboBoxEdit")
KW_DEFINE_SET_TYPEINFO(TOwnerDrawState, TOwnerDrawStateFlag)
KW_DEFINE_EVENT_TYPEINFO(TDrawItemEvent)
KW_DEFINE_EVENT_TYPEINFO(TMeasureItemEvent)
KW_DEFINE_ENUM_TYPEINFO(TScrollStyle, "ssNone", "ssHorizontal", "ssVertical", "ssBoth")

KW_REGISTER_CLASS(TLabel)
KW_REGISTER_CLASS(TEdit)
KW_REGISTER_CLASS(TMemo)
KW_REGISTER_CLASS(TButton)
KW_REGISTER_CLASS(TCheckBox)
KW_REGISTER_CLASS(TRadioButton)
KW_REGISTER_CLASS(TGroupBox)
KW_REGISTER_CLASS(TComboBox)
KW_REGISTER_CLASS(TListBox)

namespace {

bool IsLoading(const TComponent* C) { return C->ComponentState().Contains(csLoading); }

TTextMeasurer& Measurer() {
  static TTextMeasurer m;
  return m;
}

// Feeds typed bytes through: a lead byte waits for its trail byte so that a
// double-byte character is inserted (or refused) whole. Returns the text to
// insert (empty while waiting).
AnsiString CollectTypedChar(int& PendingLead, char Key) {
  unsigned char b = static_cast<unsigned char>(Key);
  if (PendingLead >= 0) {
    AnsiString s{static_cast<char>(PendingLead), Key};
    PendingLead = -1;
    return s;
  }
  if (b >= 0x80 && IsDBCSLeadByte(b)) {
    PendingLead = b;
    return {};
  }
  return AnsiString(1, Key);
}

}  // namespace

TTextMeasurer SetTextMeasurer(TTextMeasurer M) {
  TTextMeasurer old = std::move(Measurer());
  Measurer() = std::move(M);
  return old;
}

TTextExtent MeasureText(const TFont& Font, const AnsiString& Text) {
  if (Measurer()) return Measurer()(Font, Text);
  try {
    TSize s = TFontEngine::Instance().TextExtent(Font, Text, Font.PixelsPerInch());
    if (s.cx > 0 || Text.empty()) return {s.cx, s.cy};
  } catch (const Exception&) {
    // No usable font: the estimate below keeps the layout going.
  }
  int h = Font.Height() < 0 ? -Font.Height() : Font.Height() * 3 / 4;
  if (h <= 0) h = 12;
  TTextExtent e;
  e.Height = h + (h + 3) / 4;
  for (size_t i = 0; i < Text.size();) {
    unsigned char b = static_cast<unsigned char>(Text[i]);
    if (b >= 0x80 && i + 1 < Text.size() && IsDBCSLeadByte(b)) {
      e.Width += h;
      i += 2;
    } else {
      e.Width += (h + 1) / 2;
      ++i;
    }
  }
  return e;
}

// ===========================================================================
// TEditBuffer

int TEditBuffer::Boundary(int Pos) const {
  int n = static_cast<int>(FText.size());
  if (Pos <= 0) return 0;
  if (Pos >= n) return n;
  if (ByteType(FText, Pos + 1) == mbTrailByte) return Pos - 1;
  return Pos;
}

void TEditBuffer::SetText(const AnsiString& Value) {
  FText = Value;
  FSelStart = static_cast<int>(FText.size());
  FSelLength = 0;
}

void TEditBuffer::SetSelStart(int Value) {
  FSelStart = Boundary(Value);
  FSelLength = 0;
}

void TEditBuffer::SetSelLength(int Value) {
  int end = Boundary(FSelStart + std::max(Value, 0));
  if (end < static_cast<int>(FText.size()) && end < FSelStart + Value) end = NextCharPos(end);
  FSelLength = std::min(end, static_cast<int>(FText.size())) - FSelStart;
}

void TEditBuffer::SelectAll() {
  FSelStart = 0;
  FSelLength = static_cast<int>(FText.size());
}

int TEditBuffer::PrevCharPos(int Pos) const {
  if (Pos <= 0) return 0;
  return Boundary(Pos - 1);
}

int TEditBuffer::NextCharPos(int Pos) const {
  int n = static_cast<int>(FText.size());
  if (Pos >= n) return n;
  unsigned char b = static_cast<unsigned char>(FText[Pos]);
  if (b >= 0x80 && Pos + 1 < n && ByteType(FText, Pos + 1) == mbLeadByte) return Pos + 2;
  return Pos + 1;
}

bool TEditBuffer::ReplaceSelection(const AnsiString& Value, int MaxLength) {
  AnsiString insert = Value;
  if (MaxLength > 0) {
    int room = MaxLength - (static_cast<int>(FText.size()) - FSelLength);
    if (room < 0) room = 0;
    if (static_cast<int>(insert.size()) > room) {
      // Whole characters only: never leave half of a double-byte character.
      int cut = 0;
      while (cut < static_cast<int>(insert.size())) {
        unsigned char b = static_cast<unsigned char>(insert[cut]);
        int len = (b >= 0x80 && cut + 1 < static_cast<int>(insert.size()) && IsDBCSLeadByte(b)) ? 2 : 1;
        if (cut + len > room) break;
        cut += len;
      }
      insert.resize(cut);
    }
  }
  if (insert.empty() && FSelLength == 0) return false;
  FText.replace(FSelStart, FSelLength, insert);
  FSelStart += static_cast<int>(insert.size());
  FSelLength = 0;
  return true;
}

bool TEditBuffer::DeleteBackward() {
  if (FSelLength > 0) return ReplaceSelection({}, 0);
  if (FSelStart == 0) return false;
  int from = PrevCharPos(FSelStart);
  FText.erase(from, FSelStart - from);
  FSelStart = from;
  return true;
}

bool TEditBuffer::DeleteForward() {
  if (FSelLength > 0) return ReplaceSelection({}, 0);
  if (FSelStart >= static_cast<int>(FText.size())) return false;
  int to = NextCharPos(FSelStart);
  FText.erase(FSelStart, to - FSelStart);
  return true;
}

void TEditBuffer::MoveLeft() {
  if (FSelLength > 0) {
    FSelLength = 0;
    return;
  }
  FSelStart = PrevCharPos(FSelStart);
}

void TEditBuffer::MoveRight() {
  if (FSelLength > 0) {
    FSelStart += FSelLength;
    FSelLength = 0;
    return;
  }
  FSelStart = NextCharPos(FSelStart);
}

// ===========================================================================
// Labels

void TLabel::PublishMembers(TPublisher<TLabel>& P) {
  PublishVisual(P, clBtnFace);
  PublishCaption(P);
  P.Property("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment).Default(taLeftJustify);
  P.Property("AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize).Default(true);
  P.Property("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl);
  P.Property("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout).Default(tlTop);
  P.Property("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar).Default(true);
  P.Property("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent).Default(false);
  P.Property("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap).Default(false);
}

const TMessageTable& TCustomLabel::StaticMessageTable() {
  using ThisClass = TCustomLabel;
  static const TMessageTable table(&TControl::StaticMessageTable(),
                                   {
                                       KW_ON_MESSAGE(CM_TEXTCHANGED, CMTextChanged),
                                       KW_ON_MESSAGE(CM_FONTCHANGED, CMFontChanged),
                                       KW_ON_MESSAGE(CM_DIALOGCHAR, CMDialogChar),
                                   });
  return table;
}

TCustomLabel::TCustomLabel(TComponent* AOwner) : TControl(AOwner) {
  SetBounds(0, 0, 65, 17);
  AdjustBounds();
}

void TCustomLabel::SetAutoSize(bool Value) {
  if (FAutoSize == Value) return;
  FAutoSize = Value;
  AdjustBounds();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
  if (FFocusControl == Value) return;
  if (FFocusControl) RemoveFreeNotification(FFocusControl);
  FFocusControl = Value;
  if (Value) FreeNotification(Value);
}

void TCustomLabel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  AdjustBounds();
}

void TCustomLabel::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  AdjustBounds();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
  if (FShowAccelChar == Value) return;
  FShowAccelChar = Value;
  AdjustBounds();
}

char TCustomLabel::AccelChar() const {
  if (!FShowAccelChar) return 0;
  AnsiString s = Caption();
  for (size_t i = 0; i + 1 < s.size(); ++i) {
    if (s[i] != '&') continue;
    if (s[i + 1] == '&') {
      ++i;
      continue;
    }
    return s[i + 1];
  }
  return 0;
}

bool TCustomLabel::Accelerate() {
  if (!FFocusControl || !FFocusControl->CanFocus()) return false;
  FFocusControl->SetFocus();
  return true;
}

AnsiString TCustomLabel::DisplayText() const {
  AnsiString s = Caption();
  if (!FShowAccelChar) return s;
  AnsiString out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&' && i + 1 < s.size()) {
      out += s[++i];
      continue;
    }
    if (s[i] == '&') continue;
    out += s[i];
  }
  return out;
}

void TCustomLabel::AdjustBounds() {
  if (!FAutoSize || IsLoading(this) || FWordWrap) return;
  AnsiString text = DisplayText();
  TTextExtent e = MeasureText(*Font(), text.empty() ? AnsiString(" ") : text);
  int left = Left();
  if (FAlignment == taRightJustify) left += Width() - e.Width;
  SetBounds(left, Top(), e.Width, e.Height);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::Loaded() {
  TControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::CMTextChanged(TMessage&) { AdjustBounds(); }

void TCustomLabel::CMFontChanged(TMessage& Message) {
  DefaultHandler(Message);
  AdjustBounds();
}

void TCustomLabel::CMDialogChar(TMessage& Message) {
  char c = AccelChar();
  if (c && Enabled() && FFocusControl &&
      AnsiUpperCase(AnsiString(1, c)) == AnsiUpperCase(AnsiString(1, static_cast<char>(Message.WParam))) &&
      Accelerate())
    Message.Result = 1;
}

// ===========================================================================
// Edits

void TEdit::PublishMembers(TPublisher<TEdit>& P) {
  PublishVisual(P, clWindow);
  PublishWinControl(P, true);
  PublishText(P);
  P.Property("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect).Default(true);
  P.Property("AutoSize", &TCustomEdit::AutoSize, &TCustomEdit::SetAutoSize).Default(true);
  P.Property("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle).Default(bsSingleBorder);
  P.Property("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase).Default(ecNormal);
  P.Property("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection).Default(true);
  P.Property("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).Default(0);
  P.Property("PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar).Default('\0');
  P.Property("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).Default(false);
  P.Property("OnChange", &TCustomEdit::OnChange, &TCustomEdit::OnChange);
}

const TMessageTable& TCustomEdit::StaticMessageTable() {
  using ThisClass = TCustomEdit;
  static const TMessageTable table(&TWinControl::StaticMessageTable(),
                                   {
                                       KW_ON_MESSAGE(CM_TEXTCHANGED, CMTextChanged),
                                       KW_ON_MESSAGE(WM_GETDLGCODE, WMGetDlgCode),
                                   });
  return table;
}

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  SetTabStop(true);
  SetBounds(0, 0, 121, 21);
  SetParentColor(false);
  SetColor(clWindow);
}

void TCustomEdit::RealSetText(const AnsiString& Value) {
  FBuffer.SetText(Value);
  FPendingLead = -1;
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
  if (FCharCase == Value) return;
  FCharCase = Value;
  if (Value != ecNormal) SetText(CaseOf(Text()));
}

AnsiString TCustomEdit::CaseOf(const AnsiString& Value) const {
  switch (FCharCase) {
    case ecUpperCase: return AnsiUpperCase(Value);
    case ecLowerCase: return AnsiLowerCase(Value);
    default: return Value;
  }
}

void TCustomEdit::SetSelText(const AnsiString& Value) {
  if (FBuffer.ReplaceSelection(Value, 0)) Perform(CM_TEXTCHANGED);
}

AnsiString TCustomEdit::DisplayText() const {
  if (!FPasswordChar) return Text();
  size_t chars = 0;
  const AnsiString& t = FBuffer.Text();
  for (int i = 0; i < static_cast<int>(t.size()); i = FBuffer.NextCharPos(i)) ++chars;
  return AnsiString(chars, FPasswordChar);
}

void TCustomEdit::Change() { OnChange(this); }

void TCustomEdit::CMTextChanged(TMessage&) {
  if (!IsLoading(this)) Change();
}

void TCustomEdit::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; }

void TCustomEdit::UserChanged() {
  FModified = true;
  Perform(CM_TEXTCHANGED);
}

void TCustomEdit::DoEnter() {
  if (FAutoSelect) FBuffer.SelectAll();
  TWinControl::DoEnter();
}

bool TCustomEdit::TypeChar(char Key) {
  if (Key == '\b') {
    FPendingLead = -1;
    return !FReadOnly && FBuffer.DeleteBackward();
  }
  if (static_cast<unsigned char>(Key) < 0x20) return false;
  AnsiString s = CollectTypedChar(FPendingLead, Key);
  if (s.empty() || FReadOnly) return false;
  return FBuffer.ReplaceSelection(CaseOf(s), FMaxLength);
}

void TCustomEdit::KeyDown(unsigned short& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  switch (Key) {
    case VK_LEFT: FBuffer.MoveLeft(); break;
    case VK_RIGHT: FBuffer.MoveRight(); break;
    case VK_HOME: FBuffer.MoveHome(); break;
    case VK_END: FBuffer.MoveEnd(); break;
    case VK_DELETE:
      if (!FReadOnly && FBuffer.DeleteForward()) UserChanged();
      break;
    default: break;
  }
}

void TCustomEdit::KeyPress(char& Key) {
  TWinControl::KeyPress(Key);
  if (Key != 0 && TypeChar(Key)) UserChanged();
}

// ===========================================================================
// Memos

KW_REGISTER_CLASS(TMemoStrings)

std::vector<AnsiString> TMemoStrings::Split() const {
  std::vector<AnsiString> lines;
  const AnsiString& t = FMemo.FBuffer.Text();
  if (t.empty()) return lines;
  size_t start = 0;
  for (size_t i = 0; i <= t.size(); ++i) {
    if (i == t.size()) {
      lines.push_back(t.substr(start));
      break;
    }
    if (t[i] == '\r' || t[i] == '\n') {
      lines.push_back(t.substr(start, i - start));
      if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
      start = i + 1;
      if (start == t.size()) break;  // a final break starts no line
    }
  }
  return lines;
}

void TMemoStrings::Join(const std::vector<AnsiString>& Lines) {
  AnsiString t;
  for (size_t i = 0; i < Lines.size(); ++i) {
    if (i) t += "\r\n";
    t += Lines[i];
  }
  FMemo.SetText(t);
}

int TMemoStrings::GetCount() const { return static_cast<int>(Split().size()); }

AnsiString TMemoStrings::Get(int Index) const {
  auto lines = Split();
  if (Index < 0 || Index >= static_cast<int>(lines.size())) ListIndexError(Index);
  return lines[Index];
}

void TMemoStrings::Put(int Index, const AnsiString& S) {
  auto lines = Split();
  if (Index < 0 || Index >= static_cast<int>(lines.size())) ListIndexError(Index);
  lines[Index] = S;
  Join(lines);
}

void TMemoStrings::Insert(int Index, const AnsiString& S) {
  auto lines = Split();
  if (Index < 0 || Index > static_cast<int>(lines.size())) ListIndexError(Index);
  // A line added after a text that ended with a break fills that empty line.
  lines.insert(lines.begin() + Index, S);
  Join(lines);
}

void TMemoStrings::Delete(int Index) {
  auto lines = Split();
  if (Index < 0 || Index >= static_cast<int>(lines.size())) ListIndexError(Index);
  lines.erase(lines.begin() + Index);
  Join(lines);
}

void TMemoStrings::Clear() { FMemo.SetText(AnsiString()); }

void TMemo::PublishMembers(TPublisher<TMemo>& P) {
  PublishVisual(P, clWindow);
  PublishWinControl(P, true);
  P.Property("Alignment", &TCustomMemo::Alignment, &TCustomMemo::SetAlignment).Default(taLeftJustify);
  P.Property("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle).Default(bsSingleBorder);
  P.Property("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection).Default(true);
  P.Property("Lines", &TCustomMemo::Lines, &TCustomMemo::SetLines);
  P.Property("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).Default(0);
  P.Property("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).Default(false);
  P.Property("ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars).Default(ssNone);
  P.Property("WantReturns", &TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns).Default(true);
  P.Property("WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs).Default(false);
  P.Property("WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap).Default(true);
  P.Property("OnChange", &TCustomEdit::OnChange, &TCustomEdit::OnChange);
}

const TMessageTable& TCustomMemo::StaticMessageTable() {
  using ThisClass = TCustomMemo;
  static const TMessageTable table(&TCustomEdit::StaticMessageTable(),
                                   {
                                       KW_ON_MESSAGE(WM_GETDLGCODE, WMGetDlgCode),
                                   });
  return table;
}

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner) {
  FLines = std::make_unique<TMemoStrings>(*this);
  SetBounds(0, 0, 185, 89);
  SetAutoSize(false);
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::SetLines(TStrings* Value) {
  if (Value) FLines->Assign(Value);
}

void TCustomMemo::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
  if (FWantReturns) Message.Result |= DLGC_WANTALLKEYS;
  if (FWantTabs) Message.Result |= DLGC_WANTTAB;
}

int TCustomMemo::CaretLine() const {
  const AnsiString& t = FBuffer.Text();
  int line = 0;
  for (int i = 0; i < FBuffer.SelStart() && i < static_cast<int>(t.size()); ++i) {
    if (t[i] == '\n') ++line;
    else if (t[i] == '\r' && !(i + 1 < static_cast<int>(t.size()) && t[i + 1] == '\n')) ++line;
  }
  return line;
}

int TCustomMemo::CaretColumn() const {
  const AnsiString& t = FBuffer.Text();
  int start = FBuffer.SelStart();
  int col = 0;
  while (start - col > 0 && t[start - col - 1] != '\n' && t[start - col - 1] != '\r') ++col;
  return col;
}

void TCustomMemo::SetCaretPos(int Line, int Column) {
  const AnsiString& t = FBuffer.Text();
  int pos = 0;
  int n = static_cast<int>(t.size());
  for (int l = 0; l < Line && pos < n; ++l) {
    while (pos < n && t[pos] != '\r' && t[pos] != '\n') ++pos;
    if (pos < n && t[pos] == '\r' && pos + 1 < n && t[pos + 1] == '\n') ++pos;
    if (pos < n) ++pos;
  }
  int end = pos;
  while (end < n && t[end] != '\r' && t[end] != '\n') ++end;
  FBuffer.SetSelStart(std::min(pos + std::max(Column, 0), end));
}

bool TCustomMemo::TypeChar(char Key) {
  if (Key == '\r') {
    if (!FWantReturns || ReadOnly()) return false;
    return FBuffer.ReplaceSelection("\r\n", MaxLength());
  }
  if (Key == '\t') {
    if (!FWantTabs || ReadOnly()) return false;
    return FBuffer.ReplaceSelection("\t", MaxLength());
  }
  return TCustomEdit::TypeChar(Key);
}

void TCustomMemo::KeyDown(unsigned short& Key, TShiftState Shift) {
  if (Key == VK_UP || Key == VK_DOWN) {
    TWinControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    int line = CaretLine() + (Key == VK_UP ? -1 : 1);
    if (line >= 0) SetCaretPos(line, CaretColumn());
    return;
  }
  if (Key == VK_HOME || Key == VK_END) {
    TWinControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    SetCaretPos(CaretLine(), Key == VK_HOME ? 0 : 1 << 30);
    return;
  }
  TCustomEdit::KeyDown(Key, Shift);
}

// ===========================================================================
// Buttons

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {}

void TButton::PublishMembers(TPublisher<TButton>& P) {
  PublishVisual(P, clBtnFace);
  PublishWinControl(P, true);
  PublishCaption(P);
  P.Property("Cancel", &TButton::Cancel, &TButton::SetCancel).Default(false);
  P.Property("Default", &TButton::Default, &TButton::SetDefault).Default(false);
  P.Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Default(mrNone);
  P.Property("WordWrap", &TButtonControl::WordWrap, &TButtonControl::SetWordWrap).Default(false);
}

const TMessageTable& TButton::StaticMessageTable() {
  using ThisClass = TButton;
  static const TMessageTable table(&TButtonControl::StaticMessageTable(),
                                   {
                                       KW_ON_MESSAGE(CM_DIALOGKEY, CMDialogKey),
                                   });
  return table;
}

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  SetTabStop(true);
  SetBounds(0, 0, 75, 25);
}

bool TButton::IsActiveDefault() const {
  TCustomForm* form = GetParentForm(this);
  TWinControl* active = form ? form->ActiveControl() : nullptr;
  if (active && active->Is<TButton>()) return active == this;
  return FDefault;
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this); form && FModalResult != mrNone)
    form->SetModalResult(FModalResult);
  TButtonControl::Click();
}

void TButton::KeyUp(unsigned short& Key, TShiftState Shift) {
  TButtonControl::KeyUp(Key, Shift);
  if (Key == VK_SPACE) Click();
}

void TButton::CMDialogKey(TMessage& Message) {
  unsigned short key = static_cast<unsigned short>(Message.WParam);
  bool press = (key == VK_RETURN && IsActiveDefault()) || (key == VK_ESCAPE && FCancel);
  if (press && KeyDataToShiftState(Message.LParam).Bits() == 0 && CanFocus()) {
    Click();
    Message.Result = 1;
    return;
  }
  DispatchFrom(&TButtonControl::StaticMessageTable(), Message);
}

// ---- Check boxes ------------------------------------------------------------------

void TCheckBox::PublishMembers(TPublisher<TCheckBox>& P) {
  PublishVisual(P, clBtnFace);
  PublishWinControl(P, true);
  PublishCaption(P);
  P.Property("Alignment", &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment).Default(taRightSide);
  P.Property("AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed).Default(false);
  P.Property("Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked).Default(false);
  P.Property("State", &TCustomCheckBox::State, &TCustomCheckBox::SetState).Default(cbUnchecked);
  P.Property("WordWrap", &TButtonControl::WordWrap, &TButtonControl::SetWordWrap).Default(false);
}

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
  SetTabStop(true);
  SetBounds(0, 0, 97, 17);
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
  if (FState == Value) return;
  FState = Value;
  if (!IsLoading(this)) Click();
}

void TCustomCheckBox::Toggle() {
  switch (FState) {
    case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TCustomCheckBox::KeyUp(unsigned short& Key, TShiftState Shift) {
  TButtonControl::KeyUp(Key, Shift);
  if (Key == VK_SPACE) Toggle();
}

// ---- Radio buttons ----------------------------------------------------------------

void TRadioButton::PublishMembers(TPublisher<TRadioButton>& P) {
  PublishVisual(P, clBtnFace);
  PublishWinControl(P, false);
  PublishCaption(P);
  P.Property("Alignment", &TRadioButton::Alignment, &TRadioButton::SetAlignment).Default(taRightSide);
  P.Property("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked).Default(false);
  P.Property("WordWrap", &TButtonControl::WordWrap, &TButtonControl::SetWordWrap).Default(false);
}

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(0, 0, 113, 17); }

void TRadioButton::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  SetTabStop(Value);
  if (!Value || IsLoading(this)) return;
  if (TWinControl* parent = Parent()) {
    for (int i = 0; i < parent->ControlCount(); ++i)
      if (auto* other = ObjectAs<TRadioButton>(parent->Controls(i)); other && other != this)
        other->SetChecked(false);
  }
  Click();
}

void TRadioButton::Loaded() {
  TButtonControl::Loaded();
  // The description may check several; the last one read wins, as the
  // system's group does when the windows are made.
  if (FChecked && Parent())
    for (int i = 0; i < Parent()->ControlCount(); ++i)
      if (auto* other = ObjectAs<TRadioButton>(Parent()->Controls(i));
          other && other != this && other->FChecked && !IsLoading(other)) {
        other->FChecked = false;
        other->SetTabStop(false);
      }
}

void TRadioButton::KeyUp(unsigned short& Key, TShiftState Shift) {
  TButtonControl::KeyUp(Key, Shift);
  if (Key == VK_SPACE) SetChecked(true);
}

// ===========================================================================
// Group boxes

void TGroupBox::PublishMembers(TPublisher<TGroupBox>& P) {
  PublishVisual(P, clBtnFace);
  PublishWinControl(P, false);
  PublishCaption(P);
}

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TWinControl(AOwner) { SetBounds(0, 0, 185, 105); }

// ===========================================================================
// List items

KW_REGISTER_CLASS(TListControlItems)

int TListControlItems::Add(const AnsiString& S) { return AddObject(S, nullptr); }

int TListControlItems::AddObject(const AnsiString& S, TObject* Obj) {
  int before = Count();
  ++FQuiet;
  int index;
  try {
    index = TStringList::AddObject(S, Obj);
  } catch (...) {
    --FQuiet;
    throw;
  }
  --FQuiet;
  if (Count() > before) FListener.ItemInserted(index);
  return index;
}

void TListControlItems::Insert(int Index, const AnsiString& S) { InsertObject(Index, S, nullptr); }

void TListControlItems::InsertObject(int Index, const AnsiString& S, TObject* Obj) {
  ++FQuiet;
  try {
    TStringList::InsertObject(Index, S, Obj);
  } catch (...) {
    --FQuiet;
    throw;
  }
  --FQuiet;
  FListener.ItemInserted(Index);
}

void TListControlItems::Delete(int Index) {
  ++FQuiet;
  try {
    TStringList::Delete(Index);
  } catch (...) {
    --FQuiet;
    throw;
  }
  --FQuiet;
  FListener.ItemDeleted(Index);
}

void TListControlItems::Clear() {
  ++FQuiet;
  TStringList::Clear();
  --FQuiet;
  FListener.ItemsCleared();
}

void TListControlItems::Exchange(int Index1, int Index2) {
  TStringList::Exchange(Index1, Index2);
}

void TListControlItems::Move(int CurIndex, int NewIndex) { TStringList::Move(CurIndex, NewIndex); }

void TListControlItems::Assign(const TPersistent* Source) {
  ++FQuiet;
  try {
    TStringList::Assign(Source);
  } catch (...) {
    --FQuiet;
    throw;
  }
  --FQuiet;
  FListener.ItemsCleared();
}

void TListControlItems::Changed() {
  TStringList::Changed();
  if (FQuiet == 0) FListener.ItemsChanged();
}

// ===========================================================================
// Combo boxes

void TComboBox::PublishMembers(TPublisher<TComboBox>& P) {
  PublishVisual(P, clWindow);
  PublishWinControl(P, true);
  P.Property("Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle).Default(csDropDown);
  P.Property("CharCase", &TCustomComboBox::CharCase, &TCustomComboBox::SetCharCase).Default(ecNormal);
  P.Property("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount).Default(8);
  P.Property("ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight).NoDefault();
  P.Property("MaxLength", &TCustomComboBox::MaxLength, &TCustomComboBox::SetMaxLength).Default(0);
  P.Property("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted).Default(false);
  // Items before ItemIndex and Text: a description's index refers to them.
  P.Property("Items", &TCustomComboBox::Items, &TCustomComboBox::SetItems);
  P.Property("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex).Default(-1);
  PublishText(P);
  P.Property("OnChange", &TCustomComboBox::OnChange, &TCustomComboBox::OnChange);
  P.Property("OnCloseUp", &TCustomComboBox::OnCloseUp, &TCustomComboBox::OnCloseUp);
  P.Property("OnDrawItem", &TCustomComboBox::OnDrawItem, &TCustomComboBox::OnDrawItem);
  P.Property("OnDropDown", &TCustomComboBox::OnDropDown, &TCustomComboBox::OnDropDown);
  P.Property("OnMeasureItem", &TCustomComboBox::OnMeasureItem, &TCustomComboBox::OnMeasureItem);
  P.Property("OnSelect", &TCustomComboBox::OnSelect, &TCustomComboBox::OnSelect);
}

const TMessageTable& TCustomComboBox::StaticMessageTable() {
  using ThisClass = TCustomComboBox;
  static const TMessageTable table(&TWinControl::StaticMessageTable(),
                                   {
                                       KW_ON_MESSAGE(WM_GETDLGCODE, WMGetDlgCode),
                                   });
  return table;
}

TCustomComboBox::TCustomComboBox(TComponent* AOwner) : TWinControl(AOwner) {
  FItems = std::make_unique<TListControlItems>(static_cast<TListControlItems::TListener&>(*this));
  SetTabStop(true);
  SetBounds(0, 0, 145, 21);
  SetParentColor(false);
  SetColor(clWindow);
}

TCustomComboBox::~TCustomComboBox() = default;

void TCustomComboBox::SetItems(TStrings* Value) {
  if (Value) FItems->Assign(Value);
}

bool TCustomComboBox::HasEdit() const {
  return FStyle == csDropDown || FStyle == csSimple;
}

void TCustomComboBox::ShowItemText() {
  AnsiString t = FItemIndex >= 0 ? FItems->Strings(FItemIndex) : AnsiString();
  if (t == FBuffer.Text()) return;
  FBuffer.SetText(t);
  FBuffer.SelectAll();
  Perform(CM_TEXTCHANGED);
}

void TCustomComboBox::SetItemIndex(int Value) {
  if (IsLoading(this)) {
    FItemIndex = Value;
    return;
  }
  if (Value < -1 || Value >= FItems->Count()) Value = -1;
  if (FItemIndex == Value) return;
  FItemIndex = Value;
  // The system's combo clears its edit when the selection is removed, and
  // shows the item's text otherwise.
  ShowItemText();
}

void TCustomComboBox::Loaded() {
  TWinControl::Loaded();
  int index = FItemIndex;
  FItemIndex = (index >= 0 && index < FItems->Count()) ? index : -1;
  if (FItemIndex >= 0 || !HasEdit())
    FBuffer.SetText(FItemIndex >= 0 ? FItems->Strings(FItemIndex) : AnsiString());
}

void TCustomComboBox::RealSetText(const AnsiString& Value) {
  FPendingLead = -1;
  if (IsLoading(this)) {
    FBuffer.SetText(Value);
    return;
  }
  if (!HasEdit()) {
    // Only an item's text can be shown: the text selects that item.
    int i = FItems->IndexOf(Value);
    FItemIndex = i;
    FBuffer.SetText(i >= 0 ? FItems->Strings(i) : AnsiString());
    return;
  }
  FBuffer.SetText(Value);
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  if (!HasEdit()) {
    AnsiString before = FBuffer.Text();
    FBuffer.SetText(FItemIndex >= 0 ? FItems->Strings(FItemIndex) : AnsiString());
    if (before != FBuffer.Text() && !IsLoading(this)) Perform(CM_TEXTCHANGED);
  }
}

void TCustomComboBox::SetDroppedDown(bool Value) {
  if (FDroppedDown == Value) return;
  FDroppedDown = Value;
  if (Value)
    OnDropDown(this);
  else
    OnCloseUp(this);
}

void TCustomComboBox::Clear() {
  FItems->Clear();
  SetText(AnsiString());
}

void TCustomComboBox::SelectItem(int Index) {
  if (Index < 0 || Index >= FItems->Count()) return;
  FItemIndex = Index;
  AnsiString t = FItems->Strings(Index);
  if (t != FBuffer.Text()) {
    FBuffer.SetText(t);
    FBuffer.SelectAll();
  }
  Click();
  if (OnSelect)
    OnSelect(this);
  else
    Change();
}

void TCustomComboBox::Change() { OnChange(this); }

void TCustomComboBox::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; }

void TCustomComboBox::KeyDown(unsigned short& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  int n = FItems->Count();
  switch (Key) {
    case VK_UP:
      if (FItemIndex > 0) SelectItem(FItemIndex - 1);
      break;
    case VK_DOWN:
      if (Shift.Contains(ssAlt))
        SetDroppedDown(!FDroppedDown);
      else if (FItemIndex + 1 < n)
        SelectItem(FItemIndex + 1);
      break;
    case VK_HOME:
      if (!HasEdit() && n > 0) SelectItem(0);
      else if (HasEdit()) FBuffer.MoveHome();
      break;
    case VK_END:
      if (!HasEdit() && n > 0) SelectItem(n - 1);
      else if (HasEdit()) FBuffer.MoveEnd();
      break;
    case VK_LEFT:
      if (HasEdit()) FBuffer.MoveLeft();
      break;
    case VK_RIGHT:
      if (HasEdit()) FBuffer.MoveRight();
      break;
    case VK_DELETE:
      if (HasEdit() && FBuffer.DeleteForward()) FollowTypedText();
      break;
    default: break;
  }
}

void TCustomComboBox::FollowTypedText() {
  // Typing in the edit leaves the list's selection only on an item whose
  // text it matches exactly.
  int i = -1;
  for (int k = 0; k < FItems->Count(); ++k)
    if (FItems->Strings(k) == FBuffer.Text()) {
      i = k;
      break;
    }
  FItemIndex = i;
  Perform(CM_TEXTCHANGED);
  Change();
}

void TCustomComboBox::TypeIntoEdit(char Key) {
  bool changed = false;
  if (Key == '\b') {
    FPendingLead = -1;
    changed = FBuffer.DeleteBackward();
  } else if (static_cast<unsigned char>(Key) >= 0x20) {
    AnsiString s = CollectTypedChar(FPendingLead, Key);
    if (s.empty()) return;
    if (FCharCase == ecUpperCase) s = AnsiUpperCase(s);
    if (FCharCase == ecLowerCase) s = AnsiLowerCase(s);
    changed = FBuffer.ReplaceSelection(s, FMaxLength);
  }
  if (changed) FollowTypedText();
}

void TCustomComboBox::KeyPress(char& Key) {
  TWinControl::KeyPress(Key);
  if (Key == 0) return;
  if (HasEdit()) {
    TypeIntoEdit(Key);
    return;
  }
  // A drop-down list jumps to the next item that starts with the character.
  if (static_cast<unsigned char>(Key) < 0x20) return;
  int n = FItems->Count();
  AnsiString k = AnsiUpperCase(AnsiString(1, Key));
  for (int step = 1; step <= n; ++step) {
    int i = (FItemIndex + step + n) % n;
    const AnsiString s = FItems->Strings(i);
    if (!s.empty() && AnsiUpperCase(s.substr(0, 1)) == k) {
      if (i != FItemIndex) SelectItem(i);
      return;
    }
  }
}

void TCustomComboBox::ItemInserted(int Index) {
  if (IsLoading(this)) return;
  if (FItemIndex >= 0 && Index <= FItemIndex) ++FItemIndex;
}

void TCustomComboBox::ItemDeleted(int Index) {
  if (IsLoading(this)) return;
  if (Index == FItemIndex) {
    FItemIndex = -1;
    if (!HasEdit()) FBuffer.SetText(AnsiString());
  } else if (Index < FItemIndex) {
    --FItemIndex;
  }
}

void TCustomComboBox::ItemsCleared() {
  if (IsLoading(this)) return;
  FItemIndex = -1;
  if (!HasEdit()) FBuffer.SetText(AnsiString());
}

void TCustomComboBox::ItemsChanged() {
  if (IsLoading(this)) return;
  if (FItemIndex >= FItems->Count()) FItemIndex = -1;
  if (!HasEdit()) FBuffer.SetText(FItemIndex >= 0 ? FItems->Strings(FItemIndex) : AnsiString());
}

// ===========================================================================
// List boxes

void TListBox::PublishMembers(TPublisher<TListBox>& P) {
  PublishVisual(P, clWindow);
  PublishWinControl(P, true);
  P.Property("Columns", &TCustomListBox::Columns, &TCustomListBox::SetColumns).Default(0);
  P.Property("ExtendedSelect", &TCustomListBox::ExtendedSelect, &TCustomListBox::SetExtendedSelect)
      .Default(true);
  P.Property("ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight).NoDefault();
  P.Property("MultiSelect", &TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect).Default(false);
  P.Property("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted).Default(false);
  P.Property("Style", &TCustomListBox::Style, &TCustomListBox::SetStyle).Default(lbStandard);
  P.Property("Items", &TCustomListBox::Items, &TCustomListBox::SetItems);
  P.Property("ItemIndex", &TCustomListBox::ItemIndex, &TCustomListBox::SetItemIndex).Default(-1);
  P.Property("OnDrawItem", &TCustomListBox::OnDrawItem, &TCustomListBox::OnDrawItem);
  P.Property("OnMeasureItem", &TCustomListBox::OnMeasureItem, &TCustomListBox::OnMeasureItem);
}

const TMessageTable& TCustomListBox::StaticMessageTable() {
  using ThisClass = TCustomListBox;
  static const TMessageTable table(&TWinControl::StaticMessageTable(),
                                   {
                                       KW_ON_MESSAGE(WM_GETDLGCODE, WMGetDlgCode),
                                   });
  return table;
}

TCustomListBox::TCustomListBox(TComponent* AOwner) : TWinControl(AOwner) {
  FItems = std::make_unique<TListControlItems>(static_cast<TListControlItems::TListener&>(*this));
  SetTabStop(true);
  SetBounds(0, 0, 121, 97);
  SetParentColor(false);
  SetColor(clWindow);
}

TCustomListBox::~TCustomListBox() = default;

void TCustomListBox::SetItems(TStrings* Value) {
  if (Value) FItems->Assign(Value);
}

void TCustomListBox::Loaded() {
  TWinControl::Loaded();
  int index = FItemIndex;
  FItemIndex = -1;
  FSelected.assign(FItems->Count(), false);
  SetItemIndex(index);
}

void TCustomListBox::SetItemIndex(int Value) {
  if (IsLoading(this)) {
    FItemIndex = Value;
    return;
  }
  if (Value < -1 || Value >= FItems->Count()) Value = -1;
  if (!FMultiSelect) std::fill(FSelected.begin(), FSelected.end(), false);
  FItemIndex = Value;
  if (Value >= 0) FSelected[Value] = true;
}

void TCustomListBox::SetMultiSelect(bool Value) {
  if (FMultiSelect == Value) return;
  FMultiSelect = Value;
  if (!Value) {
    std::fill(FSelected.begin(), FSelected.end(), false);
    if (FItemIndex >= 0) FSelected[FItemIndex] = true;
  }
}

bool TCustomListBox::Selected(int Index) const {
  if (Index < 0 || Index >= static_cast<int>(FSelected.size()))
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FSelected[Index];
}

void TCustomListBox::SetSelected(int Index, bool Value) {
  if (Index < 0 || Index >= static_cast<int>(FSelected.size()))
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  if (!FMultiSelect) {
    if (Value)
      SetItemIndex(Index);
    else if (FItemIndex == Index)
      SetItemIndex(-1);
    return;
  }
  FSelected[Index] = Value;
  if (Value) FItemIndex = Index;
}

int TCustomListBox::SelCount() const {
  if (!FMultiSelect) return -1;  // as the run-time answers for a single-selection list
  return static_cast<int>(std::count(FSelected.begin(), FSelected.end(), true));
}

void TCustomListBox::ClearSelection() {
  std::fill(FSelected.begin(), FSelected.end(), false);
  if (!FMultiSelect) FItemIndex = -1;
}

void TCustomListBox::SelectAll() {
  if (!FMultiSelect) return;
  std::fill(FSelected.begin(), FSelected.end(), true);
}

void TCustomListBox::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; }

void TCustomListBox::KeyDown(unsigned short& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  int n = FItems->Count();
  if (n == 0) return;
  int target = FItemIndex;
  switch (Key) {
    case VK_UP: target = std::max(FItemIndex - 1, 0); break;
    case VK_DOWN: target = std::min(FItemIndex + 1, n - 1); break;
    case VK_HOME: target = 0; break;
    case VK_END: target = n - 1; break;
    default: return;
  }
  if (target == FItemIndex) return;
  if (FMultiSelect) std::fill(FSelected.begin(), FSelected.end(), false);
  SetItemIndex(target);
  if (FMultiSelect) FSelected[target] = true;
  Click();
}

void TCustomListBox::ItemInserted(int Index) {
  FSelected.insert(FSelected.begin() + std::min<size_t>(Index, FSelected.size()), false);
  if (IsLoading(this)) return;
  if (FItemIndex >= 0 && Index <= FItemIndex) ++FItemIndex;
}

void TCustomListBox::ItemDeleted(int Index) {
  if (Index < static_cast<int>(FSelected.size())) FSelected.erase(FSelected.begin() + Index);
  if (Index == FItemIndex)
    FItemIndex = -1;
  else if (Index < FItemIndex)
    --FItemIndex;
}

void TCustomListBox::ItemsCleared() {
  FSelected.assign(FItems->Count(), false);
  if (!IsLoading(this)) FItemIndex = -1;
}

void TCustomListBox::ItemsChanged() {
  // Sorting or exchanging lines: the system's list forgets the selection
  // when its lines are rebuilt.
  FSelected.assign(FItems->Count(), false);
  if (IsLoading(this)) return;
  if (FItemIndex >= FItems->Count()) FItemIndex = -1;
  if (FItemIndex >= 0) FSelected[FItemIndex] = true;
}
