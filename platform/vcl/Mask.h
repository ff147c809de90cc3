#pragma once
// Edit masks and the masked edit.
//
// A mask has up to three fields separated by ';': the picture, whether the
// literals are part of Text ("1", the default) or not ("0"), and the blank
// character shown in positions nobody has filled ('_' by default; "9999/99/99;1; "
// uses a space). Picture characters:
//   0 digit          9 digit or blank        # digit, '+', '-' or blank
//   L letter         l letter or blank       A letter or digit  a ... or blank
//   C any character  c any or blank          > upper case  < lower case  <> no change
//   \ the next character is a literal        _ a blank literal
//   ! blanks are kept at the start instead of the end (accepted, no effect here)
//   :  /  the time and date separators of the format settings
// Every other character is a literal. Positions are bytes; a double-byte
// character is refused in a mask position (digits and letters are ASCII).
//
// EditText is what the control shows (literals and blank characters); Text
// is the value: input positions with blanks as spaces, the literals kept or
// left out as the mask says. With "9999/99/99;1; " and nothing typed, EditText
// and Text are "    /  /  "; with "20240305" typed, "2024/03/05"; with ";0;"
// Text is "20240305".

#include <vector>

#include "platform/vcl/StdCtrls.h"

// A masked text that does not fit its mask.
KW_DECLARE_EXCEPTION(EDBEditError, Exception)

enum TMaskCharKind { mkLiteral, mkDigit, mkDigitOrSign, mkLetter, mkAlphaNum, mkAnyChar };
enum TMaskCase { mcNone, mcUpper, mcLower };

class TEditMask {
 public:
  struct TPosition {
    TMaskCharKind Kind = mkLiteral;
    bool Required = false;
    char Literal = 0;  // for literals
    TMaskCase Case = mcNone;
  };

  TEditMask() = default;
  explicit TEditMask(const AnsiString& Mask);

  bool Empty() const { return FPositions.empty(); }
  const std::vector<TPosition>& Positions() const { return FPositions; }
  int Length() const { return static_cast<int>(FPositions.size()); }
  bool SaveLiterals() const { return FSaveLiterals; }
  char Blank() const { return FBlank; }

  bool IsLiteral(int Pos) const { return FPositions[Pos].Kind == mkLiteral; }
  // Whether C may stand at Pos (the case already applied).
  bool Accepts(int Pos, char C) const;
  // C in the case Pos asks for.
  char ApplyCase(int Pos, char C) const;
  // The first input position at or after Pos (Length() when none).
  int NextInput(int Pos) const;
  // The last input position before Pos (-1 when none).
  int PrevInput(int Pos) const;

  // The shown text with nothing filled in.
  AnsiString EmptyEditText() const;
  // The shown text for a value as Text gives it (with the literals when the
  // mask keeps them, without them otherwise).
  AnsiString EditTextFor(const AnsiString& Value) const;
  // The characters of the input positions of a shown text (blanks as
  // spaces), and the shown text that puts such characters into this mask.
  AnsiString InputOf(const AnsiString& EditText) const;
  AnsiString EditTextFromInput(const AnsiString& Input) const;
  // Text for a shown text.
  AnsiString TextFor(const AnsiString& EditText) const;
  // The first position of EditText that breaks the mask (a required position
  // left blank or a character the position does not take), or -1.
  int FirstInvalid(const AnsiString& EditText) const;

 private:
  std::vector<TPosition> FPositions;
  bool FSaveLiterals = true;
  char FBlank = '_';
};

// The value Value shown through Mask and read back as Text: what a masked
// edit with that mask would give after the value was assigned to it.
AnsiString FormatMaskText(const AnsiString& EditMask, const AnsiString& Value);

class TCustomMaskEdit : public TCustomEdit {
  KW_DECLARE_CLASS(TCustomMaskEdit, TCustomEdit)
 public:
  static const TMessageTable& StaticMessageTable();
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); }
  explicit TCustomMaskEdit(TComponent* AOwner);

  // Setting a mask keeps the value (Text) and shows it through the new mask.
  const AnsiString& EditMask() const { return FEditMask; }
  void SetEditMask(const AnsiString& Value);
  bool IsMasked() const { return !FMask.Empty(); }
  const TEditMask& Mask() const { return FMask; }
  // The text as shown, with literals and blank characters.
  AnsiString EditText() const { return FBuffer.Text(); }
  void SetEditText(const AnsiString& Value);
  // Raises EDBEditError when a person changed the text and it does not fit
  // the mask; the caret goes to the first wrong position. Leaving the control
  // validates.
  void ValidateEdit();
  AnsiString DisplayText() const override;

 protected:
  AnsiString RealGetText() const override;
  void RealSetText(const AnsiString& Value) override;
  bool TypeChar(char Key) override;
  void KeyDown(unsigned short& Key, TShiftState Shift) override;
  void DoEnter() override;
  void CMExit(TMessage& Message);

 private:
  AnsiString FEditMask;
  TEditMask FMask;
  bool FValidating = false;
};

class TMaskEdit : public TCustomMaskEdit {
  KW_DECLARE_CLASS(TMaskEdit, TCustomMaskEdit)
 public:
  static void PublishMembers(TPublisher<TMaskEdit>& P);
  explicit TMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {}
};
