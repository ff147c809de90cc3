#pragma once
// The parts of the selection panel: the style switch, the bound edits and the
// list of chosen rows.

#include <vector>

#include "platform/vcl/BitCheckBox.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Mask.h"
#include "src/report/SelectPnl.h"

// The style switch of a selection panel: a bitmap check box, nothing added.
class TQelCheckBox : public TBitCheckBox {
  KW_DECLARE_CLASS(TQelCheckBox, TBitCheckBox)
 public:
  explicit TQelCheckBox(TComponent* AOwner) : TBitCheckBox(AOwner) {}
};

// A masked edit whose change event can be held back while its mask is being
// replaced (replacing a mask rewrites the text twice).
class TQelMaskEdit : public TMaskEdit {
  KW_DECLARE_CLASS(TQelMaskEdit, TMaskEdit)
 public:
  explicit TQelMaskEdit(TComponent* AOwner) : TMaskEdit(AOwner) {}
  bool SuppressChange() const { return FSuppressChange; }
  void SetSuppressChange(bool Value) { FSuppressChange = Value; }

 protected:
  void Change() override;

 private:
  bool FSuppressChange = false;
};

// The list of chosen rows: a report-style list view that adds rows from
// arrays of texts (growing columns as needed), keeps itself sorted and free
// of neighbouring duplicates on request, sizes its columns to their texts,
// and takes the focus on a left mouse press before it acts on the press.
class TQelListView : public TListView {
  KW_DECLARE_CLASS(TQelListView, TListView)
 public:
  static void PublishMembers(TPublisher<TQelListView>& P);
  static const TMessageTable& StaticMessageTable();
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); }
  explicit TQelListView(TComponent* AOwner);

  // Adds a row: Texts[0] is its text, the others its sub items. Columns
  // "Data2", "Data3" ... are added until every text has one; every row is
  // padded with empty sub items up to the widest row; then the duplicate
  // rule, the sort order and the column sizes are applied. False (and the
  // list as it was before the call, as far as it got) when it fails or
  // OnItemChanging refuses; never raises.
  bool AddRow(const std::vector<AnsiString>& Texts);
  // Removes all rows.
  void Clear();

  bool ColumnsAutoSize() const { return FColumnsAutoSize; }
  void SetColumnsAutoSize(bool Value) { FColumnsAutoSize = Value; }
  // Sizes each column to "W" times the longest of its caption and texts.
  void AutoSizeColumns();

  // Neighbouring rows with equal texts: the lower one goes.
  TCheckDuplicate CheckDuplicate() const { return FCheckDuplicate; }
  void SetCheckDuplicate(TCheckDuplicate Value) { FCheckDuplicate = Value; }
  // Compares from the last row up; removes the lower row of each equal pair.
  void RemoveDuplicates();

  // Keeps the rows sorted (by the sort column) after every added row.
  bool SortByText() const { return FSortByText; }
  void SetSortByText(bool Value);
  // 0: the row text, n: the n-th sub item.
  int SortColumn() const { return FSortColumn; }
  bool SortAscending() const { return FSortAscending; }
  // A click on the header of column Index: the same column flips the
  // direction, another one becomes the sort column, ascending. Sorts.
  void SortByColumn(int Index);
  // Sorts the rows now. Rows compare by the sort column's text ignoring case;
  // ties by column 1 (sort column 0), column 0 (sort column 1), or column 0
  // then 1 (higher sort columns); rows still equal go by exact byte order.
  // Descending reverses the whole order.
  void SortRows();
  int CompareRows(const TListItem* A, const TListItem* B) const;
  // True while SortRows rewrites the rows (their selection events are then
  // the sort's, not a person's).
  bool Sorting() const { return FSorting > 0; }

  TQelItemChangingEvent OnItemChanging;
  TQelItemChangeEvent OnItemChange;

 protected:
  void WMLButtonDown(TMessage& Message);

 private:
  void HeaderClicked(TObject* Sender, TListColumn* Column);

  bool FColumnsAutoSize = true;
  TCheckDuplicate FCheckDuplicate = cd_None;
  bool FSortByText = false;
  int FSortColumn = 0;
  bool FSortAscending = true;
  int FSorting = 0;
};
