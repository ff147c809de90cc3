#pragma once
// The standard controls: labels, edits, memos, buttons, check boxes, radio
// buttons, group boxes, combo boxes and list boxes. They are headless: the
// text, the caret and selection, the checked state and the selected items are
// kept here, and typed keys (WM_CHAR / WM_KEYDOWN from the message queue) edit
// them as the system's controls would. Texts are bytes in the ANSI code page;
// lengths and MaxLength count bytes, and a double-byte character is never
// split by typing, deleting or moving the caret.

#include <functional>
#include <memory>
#include <vector>

#include "platform/rtl/StringList.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/UIDriver.h"

class TCanvas;
struct TRect;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TLabelLayout { tlTop, tlCenter, tlBottom };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TBorderStyle { bsNoBorder, bsSingleBorder };
enum TLeftRight { taLeftSide, taRightSide };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

KW_DECLARE_TYPEINFO(TAlignment)
KW_DECLARE_TYPEINFO(TLabelLayout)
KW_DECLARE_TYPEINFO(TEditCharCase)
KW_DECLARE_TYPEINFO(TBorderStyle)
KW_DECLARE_TYPEINFO(TLeftRight)
KW_DECLARE_TYPEINFO(TCheckBoxState)
KW_DECLARE_TYPEINFO(TComboBoxStyle)
KW_DECLARE_TYPEINFO(TListBoxStyle)
KW_DECLARE_TYPEINFO(TScrollStyle)

// ---- Text metrics -------------------------------------------------------------
// Label auto-sizing needs the size of a text in a font: the font engine's
// real metrics, unless a measurer is installed (tests, other front ends).
// When no font can be loaded an estimate is used (a single-byte character is
// half the character height wide, a double-byte one a full height).
struct TTextExtent {
  int Width = 0;
  int Height = 0;
};
using TTextMeasurer = std::function<TTextExtent(const TFont& Font, const AnsiString& Text)>;
// Installs Measurer (an empty one restores the estimate); returns the previous one.
TTextMeasurer SetTextMeasurer(TTextMeasurer Measurer);
TTextExtent MeasureText(const TFont& Font, const AnsiString& Text);

// ---- The editing of a line of text ------------------------------------------------
// Text with a caret and a selection, edited as a person types. Positions are
// byte offsets that always lie on character boundaries.
class TEditBuffer {
 public:
  const AnsiString& Text() const { return FText; }
  // Replaces the whole text; the caret goes to the end and the selection is
  // dropped.
  void SetText(const AnsiString& Value);
  int SelStart() const { return FSelStart; }
  int SelLength() const { return FSelLength; }
  // Positions are moved back onto a character boundary and into the text.
  void SetSelStart(int Value);
  void SetSelLength(int Value);
  void SelectAll();
  AnsiString SelText() const { return FText.substr(FSelStart, FSelLength); }
  // Replaces the selection by Value (MaxLength permitting, whole characters
  // only); true when something changed.
  bool ReplaceSelection(const AnsiString& Value, int MaxLength);
  // Backspace and Delete: the selection, or the character before / after the
  // caret.
  bool DeleteBackward();
  bool DeleteForward();
  // Caret moves by one character, to the start and to the end.
  void MoveLeft();
  void MoveRight();
  void MoveHome() { SetSelStart(0); }
  void MoveEnd() { SetSelStart(static_cast<int>(FText.size())); }
  // The start of the character before / after Pos.
  int PrevCharPos(int Pos) const;
  int NextCharPos(int Pos) const;

 private:
  int Boundary(int Pos) const;
  AnsiString FText;
  int FSelStart = 0;
  int FSelLength = 0;
};

// ---- Labels ---------------------------------------------------------------------------

class TCustomLabel : public TControl {
  KW_DECLARE_CLASS(TCustomLabel, TControl)
 public:
  static const TMessageTable& StaticMessageTable();
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); }
  explicit TCustomLabel(TComponent* AOwner);

  // With AutoSize the label takes the size of its caption in its font (the
  // right edge stays put for a right-justified label).
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  // The control an accelerator of the caption ("&Name") focuses.
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TLabelLayout Layout() const { return FLayout; }
  void SetLayout(TLabelLayout Value) { FLayout = Value; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value) { FTransparent = Value; }
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value);
  // The accelerator character of the caption ('&' followed by it), or 0.
  char AccelChar() const;
  // Focuses FocusControl as the accelerator does; false when it cannot.
  bool Accelerate();
  // The caption as shown: "&&" becomes "&" and the accelerator mark goes.
  AnsiString DisplayText() const;
  // Recomputes the size from the caption when AutoSize is set.
  void AdjustBounds();

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void CMTextChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMDialogChar(TMessage& Message);

 private:
  bool FAutoSize = true;
  TWinControl* FFocusControl = nullptr;
  TAlignment FAlignment = taLeftJustify;
  TLabelLayout FLayout = tlTop;
  bool FWordWrap = false;
  bool FTransparent = false;
  bool FShowAccelChar = true;
};

class TLabel : public TCustomLabel {
  KW_DECLARE_CLASS(TLabel, TCustomLabel)
  public:
  static void PublishMembers(TPublisher<TLabel>& P);

 public:
  explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
};

// ---- Edits ---------------------------------------------------------------------------

class TCustomEdit : public TWinControl {
  KW_DECLARE_CLASS(TCustomEdit, TWinControl)
 public:
  static const TMessageTable& StaticMessageTable();
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); }
  explicit TCustomEdit(TComponent* AOwner);

  // The most bytes typing may bring the text to (0: no limit). Text set from
  // code is not cut, as with the system's edit.
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value) { FMaxLength = Value < 0 ? 0 : Value; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char Value) { FPasswordChar = Value; }
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value) { FAutoSize = Value; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value) { FBorderStyle = Value; }
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value) { FHideSelection = Value; }
  // Set when a person changed the text; code may clear it.
  bool Modified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }

  int SelStart() const { return FBuffer.SelStart(); }
  void SetSelStart(int Value) { FBuffer.SetSelStart(Value); }
  int SelLength() const { return FBuffer.SelLength(); }
  void SetSelLength(int Value) { FBuffer.SetSelLength(Value); }
  AnsiString SelText() const { return FBuffer.SelText(); }
  // Replaces the selection as typing would, without the MaxLength limit.
  void SetSelText(const AnsiString& Value);
  void SelectAll() { FBuffer.SelectAll(); }
  void Clear() { SetText(AnsiString()); }
  // The text as shown: every character replaced by PasswordChar when set.
  virtual AnsiString DisplayText() const;

  TNotifyEvent OnChange;

 protected:
  AnsiString RealGetText() const override { return FBuffer.Text(); }
  void RealSetText(const AnsiString& Value) override;
  // Fires OnChange.
  virtual void Change();
  // Applies CharCase to typed text.
  AnsiString CaseOf(const AnsiString& Value) const;
  // A person types Key; returns true when the text changed.
  virtual bool TypeChar(char Key);
  void DoEnter() override;
  void KeyDown(unsigned short& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void CMTextChanged(TMessage& Message);
  void WMGetDlgCode(TMessage& Message);
  // Marks a person's change and tells the control.
  void UserChanged();

  TEditBuffer FBuffer;
  // The lead byte of a double-byte character whose trail byte has not come yet.
  int FPendingLead = -1;

 private:
  int FMaxLength = 0;
  bool FReadOnly = false;
  char FPasswordChar = 0;
  TEditCharCase FCharCase = ecNormal;
  bool FAutoSelect = true;
  bool FAutoSize = true;
  TBorderStyle FBorderStyle = bsSingleBorder;
  bool FHideSelection = true;
  bool FModified = false;
};

class TEdit : public TCustomEdit {
  KW_DECLARE_CLASS(TEdit, TCustomEdit)
  public:
  static void PublishMembers(TPublisher<TEdit>& P);

 public:
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

// ---- Memos ---------------------------------------------------------------------------

class TCustomMemo;

// The lines of a memo, read from and written to the memo's text.
class TMemoStrings : public TStrings {
  KW_DECLARE_CLASS(TMemoStrings, TStrings)
 public:
  explicit TMemoStrings(TCustomMemo& Memo) : FMemo(Memo) {}
  void Insert(int Index, const AnsiString& S) override;
  void Delete(int Index) override;
  void Clear() override;

 protected:
  int GetCount() const override;
  AnsiString Get(int Index) const override;
  void Put(int Index, const AnsiString& S) override;

 private:
  std::vector<AnsiString> Split() const;
  void Join(const std::vector<AnsiString>& Lines);
  TCustomMemo& FMemo;
};

class TCustomMemo : public TCustomEdit {
  KW_DECLARE_CLASS(TCustomMemo, TCustomEdit)
 public:
  static const TMessageTable& StaticMessageTable();
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); }
  explicit TCustomMemo(TComponent* AOwner);
  ~TCustomMemo() override;

  // The text as lines (split at CR LF, LF or CR); the memo's text has no line
  // break after its last line.
  TStrings* Lines() const { return FLines.get(); }
  void SetLines(TStrings* Value);
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool Value) { FWantReturns = Value; }
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool Value) { FWantTabs = Value; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value) { FWordWrap = Value; }
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value) { FScrollBars = Value; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value) { FAlignment = Value; }
  // The line (0-based) and the byte column in it where the caret is.
  int CaretLine() const;
  int CaretColumn() const;
  // Moves the caret to a line and column (both clipped to the text).
  void SetCaretPos(int Line, int Column);

 protected:
  bool TypeChar(char Key) override;
  void KeyDown(unsigned short& Key, TShiftState Shift) override;
  void WMGetDlgCode(TMessage& Message);

 private:
  friend class TMemoStrings;
  std::unique_ptr<TMemoStrings> FLines;
  bool FWantReturns = true;
  bool FWantTabs = false;
  bool FWordWrap = true;
  TScrollStyle FScrollBars = ssNone;
  TAlignment FAlignment = taLeftJustify;
};

class TMemo : public TCustomMemo {
  KW_DECLARE_CLASS(TMemo, TCustomMemo)
  public:
  static void PublishMembers(TPublisher<TMemo>& P);

 public:
  explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
};

// ---- Buttons -------------------------------------------------------------------------

class TButtonControl : public TWinControl {
  KW_DECLARE_CLASS(TButtonControl, TWinControl)
 public:
  explicit TButtonControl(TComponent* AOwner);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value) { FWordWrap = Value; }

 private:
  bool FWordWrap = false;
};

class TButton : public TButtonControl {
  KW_DECLARE_CLASS(TButton, TButtonControl)
  public:
  static void PublishMembers(TPublisher<TButton>& P);

 public:
  static const TMessageTable& StaticMessageTable();
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); }
  explicit TButton(TComponent* AOwner);

  // Esc on the form presses a Cancel button; Enter presses the Default
  // button unless another button has the focus (then that one).
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  bool Default() const { return FDefault; }
  void SetDefault(bool Value) { FDefault = Value; }
  // Given to the form when the button is pressed: a modal form closes.
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  // What Enter would press now: this button when it has the focus, the
  // Default button when no button has it.
  bool IsActiveDefault() const;

  void Click() override;

 protected:
  void KeyUp(unsigned short& Key, TShiftState Shift) override;
  void CMDialogKey(TMessage& Message);

 private:
  bool FCancel = false;
  bool FDefault = false;
  TModalResult FModalResult = mrNone;
};

class TCustomCheckBox : public TButtonControl {
  KW_DECLARE_CLASS(TCustomCheckBox, TButtonControl)
 public:
  explicit TCustomCheckBox(TComponent* AOwner);

  // Changing the state (from code too) fires OnClick, as in the run-time.
  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState Value);
  bool Checked() const { return FState == cbChecked; }
  void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
  TLeftRight Alignment() const { return FAlignment; }
  void SetAlignment(TLeftRight Value) { FAlignment = Value; }
  // What a click on the box does: unchecked, checked, then grayed when
  // allowed.
  virtual void Toggle();

 protected:
  void KeyUp(unsigned short& Key, TShiftState Shift) override;

 private:
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
  TLeftRight FAlignment = taRightSide;
};

class TCheckBox : public TCustomCheckBox {
  KW_DECLARE_CLASS(TCheckBox, TCustomCheckBox)
  public:
  static void PublishMembers(TPublisher<TCheckBox>& P);

 public:
  explicit TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}
};

class TRadioButton : public TButtonControl {
  KW_DECLARE_CLASS(TRadioButton, TButtonControl)
  public:
  static void PublishMembers(TPublisher<TRadioButton>& P);

 public:
  explicit TRadioButton(TComponent* AOwner);

  // Checking one unchecks the radio buttons beside it (same parent) and
  // fires OnClick; unchecking fires nothing.
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  TLeftRight Alignment() const { return FAlignment; }
  void SetAlignment(TLeftRight Value) { FAlignment = Value; }

 protected:
  void KeyUp(unsigned short& Key, TShiftState Shift) override;
  void Loaded() override;

 private:
  bool FChecked = false;
  TLeftRight FAlignment = taRightSide;
};

// ---- Group boxes ---------------------------------------------------------------------

class TCustomGroupBox : public TWinControl {
  KW_DECLARE_CLASS(TCustomGroupBox, TWinControl)
 public:
  explicit TCustomGroupBox(TComponent* AOwner);
};

class TGroupBox : public TCustomGroupBox {
  KW_DECLARE_CLASS(TGroupBox, TCustomGroupBox)
  public:
  static void PublishMembers(TPublisher<TGroupBox>& P);

 public:
  explicit TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}
};

// ---- Lists of items ------------------------------------------------------------------

// The items of a combo box or list box: a string list that keeps its
// control's selection on the same item while lines are added, inserted and
// deleted (a deleted selected item leaves nothing selected).
class TListControlItems : public TStringList {
  KW_DECLARE_CLASS(TListControlItems, TStringList)
 public:
  // Inserted: a line was inserted at Index (-1 for everything changed);
  // Deleted: the line at Index was deleted.
  struct TListener {
    virtual ~TListener() = default;
    virtual void ItemInserted(int Index) = 0;
    virtual void ItemDeleted(int Index) = 0;
    virtual void ItemsCleared() = 0;
    virtual void ItemsChanged() = 0;
  };
  explicit TListControlItems(TListener& Listener) : FListener(Listener) {}
  int Add(const AnsiString& S) override;
  int AddObject(const AnsiString& S, TObject* Obj) override;
  void Insert(int Index, const AnsiString& S) override;
  void InsertObject(int Index, const AnsiString& S, TObject* Obj) override;
  void Delete(int Index) override;
  void Clear() override;
  void Exchange(int Index1, int Index2) override;
  void Move(int CurIndex, int NewIndex) override;
  void Assign(const TPersistent* Source) override;

 protected:
  void Changed() override;

 private:
  TListener& FListener;
  int FQuiet = 0;
};

// ---- Owner drawing --------------------------------------------------------------------

enum TOwnerDrawStateFlag {
  odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight, odInactive,
  odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateFlag>;
KW_DECLARE_TYPEINFO(TOwnerDrawStateFlag)
KW_DECLARE_TYPEINFO(TOwnerDrawState)
// OnDrawItem(Control, Index, Rect, State): draws item Index into Rect on the
// control's Canvas, which comes prepared with the item's colours and font.
using TDrawItemEvent = TEvent<TWinControl*, int, const TRect&, TOwnerDrawState>;
// OnMeasureItem(Control, Index, Height): the height of item Index in the
// variable owner-draw styles; Height comes in as the item height.
using TMeasureItemEvent = TEvent<TWinControl*, int, int&>;
KW_DECLARE_TYPEINFO(TDrawItemEvent)
KW_DECLARE_TYPEINFO(TMeasureItemEvent)

class TCustomComboBox : public TWinControl, private TListControlItems::TListener {
  KW_DECLARE_CLASS(TCustomComboBox, TWinControl)
 public:
  static const TMessageTable& StaticMessageTable();
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); }
  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;

  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value);
  // -1 when no item is selected. A value outside the items selects nothing.
  // Selecting an item shows its text.
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int Value);
  // The drop-down list style shows only item texts: its Text is always the
  // selected item's text (empty without one). Changing the style keeps the
  // items and the selection.
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle Value);
  bool Sorted() const { return FItems->Sorted(); }
  void SetSorted(bool Value) { FItems->SetSorted(Value); }
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value) { FMaxLength = Value < 0 ? 0 : Value; }
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int Value) { FDropDownCount = Value; }
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int Value) { FItemHeight = Value; }
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value) { FCharCase = Value; }
  bool DroppedDown() const { return FDroppedDown; }
  void SetDroppedDown(bool Value);
  // A style whose text a person types (not the drop-down list styles).
  bool HasEdit() const;
  int SelStart() const { return FBuffer.SelStart(); }
  void SetSelStart(int Value) { FBuffer.SetSelStart(Value); }
  int SelLength() const { return FBuffer.SelLength(); }
  void SetSelLength(int Value) { FBuffer.SetSelLength(Value); }
  AnsiString SelText() const { return FBuffer.SelText(); }
  void Clear();

  // A person picks item Index from the list: it is selected and shown, then
  // OnClick and OnSelect (without one, OnChange) fire.
  void SelectItem(int Index);

  // The owner-draw styles draw the items (and the selected item in the
  // field) through OnDrawItem on Canvas, which is the picture's canvas while
  // the control is painted and nullptr otherwise.
  bool OwnerDraw() const { return FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable; }
  TCanvas* Canvas() const { return FCanvas; }
  void SetCanvas(TCanvas* Value) { FCanvas = Value; }
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;

 protected:
  AnsiString RealGetText() const override { return FBuffer.Text(); }
  void RealSetText(const AnsiString& Value) override;
  virtual void Change();
  // A description may give the index before the items: it is applied here.
  void Loaded() override;
  void KeyDown(unsigned short& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void WMGetDlgCode(TMessage& Message);

 private:
  void ItemInserted(int Index) override;
  void ItemDeleted(int Index) override;
  void ItemsCleared() override;
  void ItemsChanged() override;
  void ShowItemText();
  void TypeIntoEdit(char Key);
  void FollowTypedText();

  std::unique_ptr<TListControlItems> FItems;
  TEditBuffer FBuffer;
  int FItemIndex = -1;
  TComboBoxStyle FStyle = csDropDown;
  int FMaxLength = 0;
  int FDropDownCount = 8;
  int FItemHeight = 13;
  TEditCharCase FCharCase = ecNormal;
  bool FDroppedDown = false;
  int FPendingLead = -1;
  TCanvas* FCanvas = nullptr;
};

class TComboBox : public TCustomComboBox {
  KW_DECLARE_CLASS(TComboBox, TCustomComboBox)
  public:
  static void PublishMembers(TPublisher<TComboBox>& P);

 public:
  explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
};

class TCustomListBox : public TWinControl, private TListControlItems::TListener {
  KW_DECLARE_CLASS(TCustomListBox, TWinControl)
 public:
  static const TMessageTable& StaticMessageTable();
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); }
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;

  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value);
  // The focused item (in a single-selection list also the selected one);
  // -1 for none. A value outside the items selects nothing.
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int Value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  bool Selected(int Index) const;
  // Raises EListError for an index outside the items.
  void SetSelected(int Index, bool Value);
  int SelCount() const;
  void ClearSelection();
  void SelectAll();
  bool Sorted() const { return FItems->Sorted(); }
  void SetSorted(bool Value) { FItems->SetSorted(Value); }
  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle Value) { FStyle = Value; }
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int Value) { FItemHeight = Value; }
  int Columns() const { return FColumns; }
  void SetColumns(int Value) { FColumns = Value < 0 ? 0 : Value; }
  bool ExtendedSelect() const { return FExtendedSelect; }
  void SetExtendedSelect(bool Value) { FExtendedSelect = Value; }
  int TopIndex() const { return FTopIndex; }
  void SetTopIndex(int Value) { FTopIndex = Value; }
  void Clear() { FItems->Clear(); }

  // The owner-draw styles draw each item through OnDrawItem on Canvas (the
  // picture's canvas while the list is painted, nullptr otherwise); the
  // variable style asks OnMeasureItem for each item's height.
  bool OwnerDraw() const { return FStyle != lbStandard; }
  TCanvas* Canvas() const { return FCanvas; }
  void SetCanvas(TCanvas* Value) { FCanvas = Value; }
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  // A description may give the index before the items: it is applied here.
  void Loaded() override;
  void KeyDown(unsigned short& Key, TShiftState Shift) override;
  void WMGetDlgCode(TMessage& Message);

 private:
  void ItemInserted(int Index) override;
  void ItemDeleted(int Index) override;
  void ItemsCleared() override;
  void ItemsChanged() override;

  std::unique_ptr<TListControlItems> FItems;
  std::vector<bool> FSelected;  // one flag per item
  int FItemIndex = -1;
  bool FMultiSelect = false;
  bool FExtendedSelect = true;
  TListBoxStyle FStyle = lbStandard;
  int FItemHeight = 13;
  int FColumns = 0;
  int FTopIndex = 0;
  TCanvas* FCanvas = nullptr;
};

class TListBox : public TCustomListBox {
  KW_DECLARE_CLASS(TListBox, TCustomListBox)
  public:
  static void PublishMembers(TPublisher<TListBox>& P);

 public:
  explicit TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}
};
