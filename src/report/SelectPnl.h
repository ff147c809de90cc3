#pragma once
// TSelectPanel: the condition-entry control of the option windows. A group
// box whose caption names the condition; the user gives the condition either
// as a range (a begin and an end text, each with a lookup button) or as a
// list of chosen rows (with lookup, delete and clear buttons), or switches
// between the two with a check box. The panel itself validates nothing
// beyond putting the two bounds of a range in order when the focus leaves
// it; the owning window decides what a lookup opens and how the value turns
// into SQL.
//
// The parts (TQelCheckBox, TQelMaskEdit, TQelListView) are declared in
// SelectPnlParts.h.

#include <memory>

#include "platform/rtl/Variant.h"
#include "platform/vcl/StdCtrls.h"

class TStringList;
class TLabel;
class TPanel;
class TListItem;
class TListItems;
class TListColumns;
class TGSpeedButton;
class TF2Button;
class TQelCheckBox;
class TQelMaskEdit;
class TQelListView;

enum TSelectStyle { sp_Range, sp_Discrete, sp_UserChoice };
enum TValueType { vt_String, vt_Number, vt_Date, vt_Time, vt_Float, vt_OtherMask };
enum TDateType { dt_NoneCare, dt_YYYYMMDD, dt_MMDDYYYY, dt_DDMMYYYY, dt_YYMMDD, dt_YYYMMDD };
enum TCheckDuplicate { cd_None, cd_CheckCase, cd_CaseInsensitive };
KW_DECLARE_TYPEINFO(TSelectStyle)
KW_DECLARE_TYPEINFO(TValueType)
KW_DECLARE_TYPEINFO(TDateType)
KW_DECLARE_TYPEINFO(TCheckDuplicate)

// What the list view's items report as changed.
enum TItemChangeKind { ickText, ickState };

// SenderParent is the panel, Sender the begin edit, end edit or list whose
// lookup was asked for.
using TOpenWinClickEvent = TEvent<TObject* /*SenderParent*/, TObject* /*Sender*/>;
// Sender, Accept (the shape of the close query: it is published under that
// type's name).
using TDeleteClickEvent = TCloseQueryEvent;
using TStyleChangingEvent =
    TEvent<TObject*, TSelectStyle /*NowStyle*/, TSelectStyle /*NewStyle*/, bool& /*Accept*/>;
using TStyleChangeEvent = TEvent<TObject*, TSelectStyle /*OldStyle*/, TSelectStyle /*NewStyle*/>;
using TListViewSelectItemEvent =
    TEvent<TObject*, TListItem* /*xItem*/, int /*xIndex*/, bool /*xIsSelect*/>;
using TQelItemChangeEvent = TEvent<TObject*, TListItem*, TItemChangeKind>;
using TQelItemChangingEvent = TEvent<TObject*, TListItem*, TItemChangeKind, bool& /*AllowChange*/>;
KW_DECLARE_TYPEINFO(TOpenWinClickEvent)
KW_DECLARE_TYPEINFO(TStyleChangingEvent)
KW_DECLARE_TYPEINFO(TStyleChangeEvent)
KW_DECLARE_TYPEINFO(TListViewSelectItemEvent)
KW_DECLARE_TYPEINFO(TQelItemChangeEvent)
KW_DECLARE_TYPEINFO(TQelItemChangingEvent)

// The separators of a panel's saved value.
inline constexpr char SaveFieldSep = '\x03';  // between the fields
inline constexpr char SaveRowEnd = '\x04';    // after each row
inline constexpr char SaveColumnSep = '\x01';  // between a row's text and its sub items

class TSelectPanel : public TGroupBox {
  KW_DECLARE_CLASS(TSelectPanel, TGroupBox)
 public:
  static void PublishMembers(TPublisher<TSelectPanel>& P);
  static const TMessageTable& StaticMessageTable();
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); }

  explicit TSelectPanel(TComponent* AOwner);
  ~TSelectPanel() override;

  // ---- Entry style ---------------------------------------------------------------
  TSelectStyle Style() const { return FStyle; }
  // Asks OnStyleChanging, shows the parts of the new style, exchanges the
  // panel's size with (OtherWidth, OtherHeight) when the change is from or to
  // sp_Range (horizontal layout, not while loading), lays out and fires
  // OnStyleChange.
  void SetStyle(TSelectStyle Value);
  // The style switch's state; only sp_UserChoice shows it.
  bool UserChoice() const;
  void SetUserChoice(bool Value);
  // Range entry: sp_Range, or sp_UserChoice with the switch checked.
  bool IsRangeEntry() const;
  bool UseVertical() const { return FUseVertical; }
  void SetUseVertical(bool Value);
  int OtherWidth() const { return FOtherWidth; }
  void SetOtherWidth(int Value) { FOtherWidth = Value; }
  int OtherHeight() const { return FOtherHeight; }
  void SetOtherHeight(int Value) { FOtherHeight = Value; }

  // ---- Ordering the bounds -----------------------------------------------------------
  TValueType ValueType() const { return FValueType; }
  void SetValueType(TValueType Value) { FValueType = Value; }
  TDateType DateType() const { return FDateType; }
  void SetDateType(TDateType Value) { FDateType = Value; }
  const AnsiString& DateSign() const { return FDateSign; }
  void SetDateSign(const AnsiString& Value) { FDateSign = Value; }
  bool AutoChangeDateSite() const { return FAutoChangeDateSite; }
  void SetAutoChangeDateSite(bool Value) { FAutoChangeDateSite = Value; }
  const AnsiString& Discard() const { return FDiscard; }
  void SetDiscard(const AnsiString& Value) { FDiscard = Value; }
  bool UseDiscard() const { return FUseDiscard; }
  void SetUseDiscard(bool Value) { FUseDiscard = Value; }
  // The mask of both edits. The begin edit's text is kept across the change.
  const AnsiString& EditMask() const { return FEditMask; }
  void SetEditMask(const AnsiString& Value);
  // The begin edit's text with nothing typed under the current mask.
  const AnsiString& BlankMaskText() const { return FBlankMaskText; }
  // The leaving step without the event: trims the texts (unless the mask
  // starts with "!") and exchanges them when they are out of order for the
  // value type. True when they were exchanged.
  bool OrderBounds();
  // A bound read as a date under DateType and DateSign (types 1 to 5); 0 for
  // an empty, blank or unreadable text.
  TDateTime ReadDateBound(const AnsiString& Text) const;

  // ---- Texts and look -------------------------------------------------------------
  const AnsiString& HintWord() const { return FHintWord; }
  void SetHintWord(const AnsiString& Value);
  // Entry 0: the label in the horizontal layout and the list styles; entry 1:
  // in the vertical layout (sp_UserChoice). At most two entries are kept.
  TStrings* BeginWords() const;
  void SetBeginWords(TStrings* Value);
  TStrings* FinalWords() const;
  void SetFinalWords(TStrings* Value);
  // Hints of the nine parts: style switch, begin edit, begin lookup button,
  // end edit, end lookup button, list, list lookup button, delete button,
  // clear button.
  TStrings* ChildHints() const;
  void SetChildHints(TStrings* Value);
  bool CanOpenWin() const { return FCanOpenWin; }
  void SetCanOpenWin(bool Value);
  // The picture of the three lookup buttons; one the image library lacks
  // becomes 0.
  int GlyphIndex() const { return FGlyphIndex; }
  void SetGlyphIndex(int Value);

  // ---- The list ----------------------------------------------------------------------
  TCheckDuplicate CheckDuplicate() const;
  // Anything but cd_None also switches SortListBox on (only neighbours are
  // compared) and, out of range entry, removes the duplicates at once.
  void SetCheckDuplicate(TCheckDuplicate Value);
  bool SortListBox() const;
  void SetSortListBox(bool Value);
  TListColumns* Columns() const;
  void SetColumns(TListColumns* Value);
  // Reading gives the column captions; writing replaces every column by one
  // with automatic width per line.
  TStrings* ColumnCaptions() const;
  void SetColumnCaptions(TStrings* Value);
  bool ColumnsAutoSize() const;
  void SetColumnsAutoSize(bool Value);
  bool ShowColumnHeader() const;
  void SetShowColumnHeader(bool Value);
  bool HideSelection() const;
  void SetHideSelection(bool Value);
  TListItems* Items() const;
  void SetItems(TListItems* Value);

  // What the delete and clear buttons do: OnDeleteClick may refuse the
  // deletion of the selected rows; clearing focuses the list and fires
  // OnClearClick.
  void DeleteSelectedRows();
  void ClearRows();
  // What a lookup button does for its target (the begin edit, the end edit or
  // the list): focus it, send the lookup request to the owner window, fire
  // OnOpenWinClick.
  void OpenLookup(TWinControl* Target);

  // ---- Saved value and condition value ------------------------------------------------
  // Style name, then the fields of the style, separated by the character 3:
  //   "sp_Range" begin end / "sp_Discrete" rows /
  //   "sp_UserChoice" "True" begin end, or "sp_UserChoice" "False" rows.
  // Rows: each row followed by the character 4; a row's text and sub items
  // separated by the character 1.
  AnsiString SaveValue() const;
  // Restores a saved value by the style it names (the panel's Style stays);
  // unreadable rows raise Exception "parse spSaveValue error".
  void LoadValue(const AnsiString& Value);
  // The rows part of a saved value, and its reading: the list is cleared and
  // every non-empty row added. Raises "parse spSaveValue error" when a row is
  // not closed by the character 4 or cannot be added.
  AnsiString RowsText() const;
  void LoadRows(const AnsiString& Rows);
  // In range entry [chr(4), begin, end]; otherwise [chr(5), row1, row2 ...]
  // where each row is [text, sub item 1 ...].
  Variant ConditionValue() const;

  // ---- Parts -------------------------------------------------------------------------
  TQelCheckBox* StyleSwitch() const { return FStyleSwitch; }
  TPanel* RangePage() const { return FRangePage; }
  TPanel* ListPage() const { return FListPage; }
  TLabel* BeginLabel() const { return FBeginLabel; }
  TLabel* FinalLabel() const { return FFinalLabel; }
  TQelMaskEdit* edBegin() const { return FBeginEdit; }
  TQelMaskEdit* edFinal() const { return FFinalEdit; }
  TQelListView* ListBox() const { return FList; }
  TF2Button* BeginButton() const { return FBeginButton; }
  TF2Button* FinalButton() const { return FFinalButton; }
  TF2Button* ListButton() const { return FListButton; }
  TGSpeedButton* DeleteButton() const { return FDeleteButton; }
  TGSpeedButton* ClearButton() const { return FClearButton; }

  // Lays the parts out for the current style and size.
  void LayoutParts();

  // Out of range entry the list takes the focus; in range entry the begin
  // edit.
  void SetFocus() override;
  // Applies the state to every part, recursively.
  void SetEnabled(bool Value) override;

  // ---- Events --------------------------------------------------------------------------
  TOpenWinClickEvent OnOpenWinClick;
  TDeleteClickEvent OnDeleteClick;
  TNotifyEvent OnClearClick;
  TNotifyEvent OnTypeClick;
  TStyleChangingEvent OnStyleChanging;
  TStyleChangeEvent OnStyleChange;
  TListViewSelectItemEvent OnItemSelect;
  TQelItemChangeEvent OnItemChange;
  TQelItemChangingEvent OnItemChanging;

 protected:
  void DoExit() override;
  void Resize() override;
  void Loaded() override;
  void CMFontChanged(TMessage& Message);
  void CMTextChanged(TMessage& Message);

 private:
  class TWordList;
  bool Designing() const;
  bool Loading() const;
  void UpdateVisibility();
  void ApplyWords();
  void ApplyChildHints();
  void ApplyButtonsVisible();
  void LayoutRangeVertical();
  void LayoutRangeHorizontal();
  void LayoutList();
  int TextHeightOf(const AnsiString& Text) const;
  void RemoveDuplicates();

  // Handlers bound to the parts.
  void StyleSwitchClick(TObject* Sender);
  void LookupButtonClick(TObject* Sender);
  void DeleteButtonClick(TObject* Sender);
  void ClearButtonClick(TObject* Sender);
  void PartClick(TObject* Sender);
  void PartDblClick(TObject* Sender);
  void PartKeyDown(TObject* Sender, unsigned short& Key, TShiftState Shift);
  void PartKeyUp(TObject* Sender, unsigned short& Key, TShiftState Shift);
  void PartKeyPress(TObject* Sender, char& Key);
  void ListSelectItem(TObject* Sender, TListItem* Item, bool Selected);
  void ListItemChange(TObject* Sender, TListItem* Item, TItemChangeKind Change);
  void ListItemChanging(TObject* Sender, TListItem* Item, TItemChangeKind Change, bool& Allow);

  TQelCheckBox* FStyleSwitch = nullptr;
  TPanel* FRangePage = nullptr;
  TLabel* FBeginLabel = nullptr;
  TLabel* FFinalLabel = nullptr;
  TQelMaskEdit* FBeginEdit = nullptr;
  TQelMaskEdit* FFinalEdit = nullptr;
  TF2Button* FBeginButton = nullptr;
  TF2Button* FFinalButton = nullptr;
  TPanel* FListPage = nullptr;
  TQelListView* FList = nullptr;
  TF2Button* FListButton = nullptr;
  TGSpeedButton* FDeleteButton = nullptr;
  TGSpeedButton* FClearButton = nullptr;

  std::unique_ptr<TWordList> FBeginWords;
  std::unique_ptr<TWordList> FFinalWords;
  std::unique_ptr<TStringList> FChildHints;
  std::unique_ptr<TStringList> FColumnCaptions;

  TSelectStyle FStyle = sp_Range;
  TValueType FValueType = vt_String;
  TDateType FDateType = dt_NoneCare;
  AnsiString FDateSign = "/";
  bool FAutoChangeDateSite = true;
  AnsiString FEditMask;
  AnsiString FBlankMaskText;
  AnsiString FDiscard;
  bool FUseDiscard = false;
  AnsiString FHintWord;
  bool FCanOpenWin = true;
  int FGlyphIndex = 8;
  bool FUseVertical = false;
  int FOtherWidth = 200;
  int FOtherHeight = 105;
  bool FConstructed = false;
  int FLayingOut = 0;
};
