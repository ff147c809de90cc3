#pragma once
// Grids: a table of cells with fixed (heading) rows and columns at the top
// and left and a current cell that keys move around. TDrawGrid leaves the
// cells' content to its owner; TStringGrid keeps a text (and an object) per
// cell and edits it in place.

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/vcl/Controls.h"
#include "platform/vcl/StdCtrls.h"

KW_DECLARE_EXCEPTION(EInvalidGridOperation, Exception)

enum TGridOption {
  goFixedVertLine,
  goFixedHorzLine,
  goVertLine,
  goHorzLine,
  goRangeSelect,
  goDrawFocusSelected,
  goRowSizing,
  goColSizing,
  goRowMoving,
  goColMoving,
  goEditing,
  goTabs,
  goRowSelect,
  goAlwaysShowEditor,
  goThumbTracking
};
using TGridOptions = TSet<TGridOption>;
KW_DECLARE_TYPEINFO(TGridOption)
KW_DECLARE_TYPEINFO(TGridOptions)

// Whether the current cell may move to (ACol, ARow).
using TSelectCellEvent = TEvent<TObject*, int, int, bool&>;
using TSetEditEvent = TEvent<TObject*, int, int, const AnsiString&>;
using TGetEditEvent = TEvent<TObject*, int, int, AnsiString&>;
KW_DECLARE_TYPEINFO(TSelectCellEvent)
KW_DECLARE_TYPEINFO(TSetEditEvent)
KW_DECLARE_TYPEINFO(TGetEditEvent)

class TCustomGrid : public TWinControl {
  KW_DECLARE_CLASS(TCustomGrid, TWinControl)
 public:
  static const TMessageTable& StaticMessageTable();
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); }
  explicit TCustomGrid(TComponent* AOwner);

  int ColCount() const { return FColCount; }
  void SetColCount(int Value);
  int RowCount() const { return FRowCount; }
  void SetRowCount(int Value);
  // Raise EInvalidGridOperation "Fixed column count must be less than column
  // count" (rows likewise) when no scrolling column would be left.
  int FixedCols() const { return FFixedCols; }
  void SetFixedCols(int Value);
  int FixedRows() const { return FFixedRows; }
  void SetFixedRows(int Value);

  // The current cell. Moving it, from code too, asks OnSelectCell first; a
  // refused move leaves it where it was. Fixed cells cannot be current.
  int Col() const { return FCol; }
  void SetCol(int Value) { MoveTo(Value, FRow); }
  int Row() const { return FRow; }
  void SetRow(int Value) { MoveTo(FCol, Value); }
  // Moves to (ACol, ARow); false when refused or outside the scrolling cells.
  bool MoveTo(int ACol, int ARow);
  int TopRow() const { return FTopRow; }
  void SetTopRow(int Value);
  int LeftCol() const { return FLeftCol; }
  void SetLeftCol(int Value);

  int DefaultColWidth() const { return FDefaultColWidth; }
  void SetDefaultColWidth(int Value);
  int DefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(int Value);
  int ColWidths(int Index) const;
  void SetColWidths(int Index, int Value);
  int RowHeights(int Index) const;
  void SetRowHeights(int Index, int Value);
  TGridOptions Options() const { return FOptions; }
  void SetOptions(TGridOptions Value);

  // ---- In-place editing (goEditing) ------------------------------------------
  // Typing a character or F2 starts editing the current cell; while editing,
  // typed keys change the text (OnSetEditText tells of each change), Enter
  // keeps it and Esc puts the text from before the edit back.
  bool EditorMode() const { return FEditorMode; }
  void SetEditorMode(bool Value);
  AnsiString InplaceText() const { return FEditor.Text(); }

  TSelectCellEvent OnSelectCell;
  TSetEditEvent OnSetEditText;
  TGetEditEvent OnGetEditText;
  TNotifyEvent OnTopLeftChanged;

 protected:
  // Asks OnSelectCell.
  virtual bool SelectCell(int ACol, int ARow);
  // The text the editor starts with, and where its changes go.
  virtual AnsiString GetEditText(int ACol, int ARow);
  virtual void SetEditText(int ACol, int ARow, const AnsiString& Value);
  // Rows or columns were added or removed (counts already changed).
  virtual void SizeChanged(int OldColCount, int OldRowCount) {}
  void KeyDown(unsigned short& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DoExit() override;
  void WMGetDlgCode(TMessage& Message);

 private:
  void ClampCurrent();
  void EndEdit(bool Accept);
  int FColCount = 5;
  int FRowCount = 5;
  int FFixedCols = 1;
  int FFixedRows = 1;
  int FCol = 1;
  int FRow = 1;
  int FTopRow = 1;
  int FLeftCol = 1;
  int FDefaultColWidth = 64;
  int FDefaultRowHeight = 24;
  std::map<int, int> FColWidths;
  std::map<int, int> FRowHeights;
  TGridOptions FOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
  bool FEditorMode = false;
  TEditBuffer FEditor;
  AnsiString FEditStartText;
  int FPendingLead = -1;
};

class TDrawGrid : public TCustomGrid {
  KW_DECLARE_CLASS(TDrawGrid, TCustomGrid)
 public:
  static void PublishMembers(TPublisher<TDrawGrid>& P);
  explicit TDrawGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}
};

class TStringGrid : public TDrawGrid {
  KW_DECLARE_CLASS(TStringGrid, TDrawGrid)
 public:
  static void PublishMembers(TPublisher<TStringGrid>& P);
  explicit TStringGrid(TComponent* AOwner) : TDrawGrid(AOwner) {}

  // Empty outside the grid; writing outside raises EInvalidGridOperation
  // "Grid index out of range". Cells survive shrinking the grid only while
  // inside it.
  AnsiString Cells(int ACol, int ARow) const;
  void SetCells(int ACol, int ARow, const AnsiString& Value);
  TObject* Objects(int ACol, int ARow) const;
  void SetObjects(int ACol, int ARow, TObject* Value);
  // The texts of one row / column in order (as many as the grid has).
  std::vector<AnsiString> Rows(int ARow) const;
  void SetRows(int ARow, const std::vector<AnsiString>& Values);
  std::vector<AnsiString> Cols(int ACol) const;
  void SetCols(int ACol, const std::vector<AnsiString>& Values);

 protected:
  AnsiString GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const AnsiString& Value) override;
  void SizeChanged(int OldColCount, int OldRowCount) override;

 private:
  void CheckCell(int ACol, int ARow) const;
  struct TCell {
    AnsiString Text;
    TObject* Object = nullptr;
  };
  std::map<std::pair<int, int>, TCell> FCells;  // (row, col)
};
