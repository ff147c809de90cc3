#include "platform/vcl/Grids.h"

#include <algorithm>

#include "platform/rtl/CodePages.h"
#include "platform/vcl/StdCtrlsPublish.h"

using namespace kw_stdctrls;

KW_DEFINE_ENUM_TYPEINFO(TGridOption, "goFixedVertLine", "goFixedHorzLine", "goVertLine", "goHorzLine",
                        "goRangeSelect", "goDrawFocusSelected", "goRowSizing", "goColSizing", "goRowMoving",
                        "goColMoving", "goEditing", "goTabs", "goRowSelect", "goAlwaysShowEditor",
                        "goThumbTracking")
KW_DEFINE_SET_TYPEINFO(TGridOptions, TGridOption)
KW_DEFINE_EVENT_TYPEINFO(TSelectCellEvent)
KW_DEFINE_EVENT_TYPEINFO(TSetEditEvent)
KW_DEFINE_EVENT_TYPEINFO(TGetEditEvent)

KW_REGISTER_CLASS(TDrawGrid)
KW_REGISTER_CLASS(TStringGrid)

namespace {
bool IsLoading(const TComponent* C) { return C->ComponentState().Contains(csLoading); }
}  // namespace

// ===========================================================================

template <class C>
static void PublishGrid(TPublisher<C>& P) {
  PublishVisual(P, clWindow);
  PublishWinControl(P, true);
  // Counts before fixed counts: a description's fixed count is checked
  // against the count read before it.
  P.Property("ColCount", &TCustomGrid::ColCount, &TCustomGrid::SetColCount).Default(5);
  P.Property("RowCount", &TCustomGrid::RowCount, &TCustomGrid::SetRowCount).Default(5);
  P.Property("DefaultColWidth", &TCustomGrid::DefaultColWidth, &TCustomGrid::SetDefaultColWidth).Default(64);
  P.Property("DefaultRowHeight", &TCustomGrid::DefaultRowHeight, &TCustomGrid::SetDefaultRowHeight).Default(24);
  P.Property("FixedCols", &TCustomGrid::FixedCols, &TCustomGrid::SetFixedCols).Default(1);
  P.Property("FixedRows", &TCustomGrid::FixedRows, &TCustomGrid::SetFixedRows).Default(1);
  P.Property("Options", &TCustomGrid::Options, &TCustomGrid::SetOptions)
      .Default(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect});
  P.Property("OnGetEditText", &TCustomGrid::OnGetEditText, &TCustomGrid::OnGetEditText);
  P.Property("OnSelectCell", &TCustomGrid::OnSelectCell, &TCustomGrid::OnSelectCell);
  P.Property("OnSetEditText", &TCustomGrid::OnSetEditText, &TCustomGrid::OnSetEditText);
  P.Property("OnTopLeftChanged", &TCustomGrid::OnTopLeftChanged, &TCustomGrid::OnTopLeftChanged);
}

void TDrawGrid::PublishMembers(TPublisher<TDrawGrid>& P) { PublishGrid(P); }
void TStringGrid::PublishMembers(TPublisher<TStringGrid>& P) { PublishGrid(P); }

const TMessageTable& TCustomGrid::StaticMessageTable() {
  using ThisClass = TCustomGrid;
  static const TMessageTable table(&TWinControl::StaticMessageTable(),
                                   {
                                       KW_ON_MESSAGE(WM_GETDLGCODE, WMGetDlgCode),
                                   });
  return table;
}

TCustomGrid::TCustomGrid(TComponent* AOwner) : TWinControl(AOwner) {
  SetTabStop(true);
  SetBounds(0, 0, 320, 120);
  SetParentColor(false);
  SetColor(clWindow);
}

void TCustomGrid::ClampCurrent() {
  // Without scrolling cells the current cell stays on the last fixed one.
  int col = std::clamp(FCol, FFixedCols, std::max(FFixedCols, FColCount - 1));
  int row = std::clamp(FRow, FFixedRows, std::max(FFixedRows, FRowCount - 1));
  FCol = col;
  FRow = row;
  FLeftCol = std::clamp(FLeftCol, FFixedCols, std::max(FFixedCols, FColCount - 1));
  FTopRow = std::clamp(FTopRow, FFixedRows, std::max(FFixedRows, FRowCount - 1));
}

void TCustomGrid::SetColCount(int Value) {
  if (Value < 1) Value = 1;
  if (Value == FColCount) return;
  int old = FColCount;
  FColCount = Value;
  if (FFixedCols >= Value) FFixedCols = Value - 1;
  ClampCurrent();
  SizeChanged(old, FRowCount);
}

void TCustomGrid::SetRowCount(int Value) {
  if (Value < 1) Value = 1;
  if (Value == FRowCount) return;
  int old = FRowCount;
  FRowCount = Value;
  if (FFixedRows >= Value) FFixedRows = Value - 1;
  ClampCurrent();
  SizeChanged(FColCount, old);
}

void TCustomGrid::SetFixedCols(int Value) {
  if (Value < 0) throw EInvalidGridOperation("Grid index out of range");
  if (Value >= FColCount) throw EInvalidGridOperation("Fixed column count must be less than column count");
  FFixedCols = Value;
  ClampCurrent();
}

void TCustomGrid::SetFixedRows(int Value) {
  if (Value < 0) throw EInvalidGridOperation("Grid index out of range");
  if (Value >= FRowCount) throw EInvalidGridOperation("Fixed row count must be less than row count");
  FFixedRows = Value;
  ClampCurrent();
}

bool TCustomGrid::SelectCell(int ACol, int ARow) {
  bool can = true;
  OnSelectCell(this, ACol, ARow, can);
  return can;
}

bool TCustomGrid::MoveTo(int ACol, int ARow) {
  if (ACol < FFixedCols || ACol >= FColCount || ARow < FFixedRows || ARow >= FRowCount) return false;
  if (ACol == FCol && ARow == FRow) return true;
  if (!IsLoading(this) && !SelectCell(ACol, ARow)) return false;
  if (FEditorMode) EndEdit(true);
  FCol = ACol;
  FRow = ARow;
  // Keep the current cell in view (one row or column a step is enough here:
  // there is no real window height to fill).
  int oldTop = FTopRow, oldLeft = FLeftCol;
  if (FRow < FTopRow) FTopRow = FRow;
  if (FCol < FLeftCol) FLeftCol = FCol;
  if (oldTop != FTopRow || oldLeft != FLeftCol) OnTopLeftChanged(this);
  if (FOptions.Contains(goAlwaysShowEditor) && FOptions.Contains(goEditing)) SetEditorMode(true);
  return true;
}

void TCustomGrid::SetTopRow(int Value) {
  Value = std::clamp(Value, FFixedRows, std::max(FFixedRows, FRowCount - 1));
  if (Value == FTopRow) return;
  FTopRow = Value;
  OnTopLeftChanged(this);
}

void TCustomGrid::SetLeftCol(int Value) {
  Value = std::clamp(Value, FFixedCols, std::max(FFixedCols, FColCount - 1));
  if (Value == FLeftCol) return;
  FLeftCol = Value;
  OnTopLeftChanged(this);
}

void TCustomGrid::SetDefaultColWidth(int Value) {
  FDefaultColWidth = Value;
  FColWidths.clear();
}

void TCustomGrid::SetDefaultRowHeight(int Value) {
  FDefaultRowHeight = Value;
  FRowHeights.clear();
}

int TCustomGrid::ColWidths(int Index) const {
  auto it = FColWidths.find(Index);
  return it == FColWidths.end() ? FDefaultColWidth : it->second;
}

void TCustomGrid::SetColWidths(int Index, int Value) {
  if (Index < 0 || Index >= FColCount) throw EInvalidGridOperation("Grid index out of range");
  FColWidths[Index] = Value;
}

int TCustomGrid::RowHeights(int Index) const {
  auto it = FRowHeights.find(Index);
  return it == FRowHeights.end() ? FDefaultRowHeight : it->second;
}

void TCustomGrid::SetRowHeights(int Index, int Value) {
  if (Index < 0 || Index >= FRowCount) throw EInvalidGridOperation("Grid index out of range");
  FRowHeights[Index] = Value;
}

void TCustomGrid::SetOptions(TGridOptions Value) {
  FOptions = Value;
  if (!Value.Contains(goEditing) && FEditorMode) EndEdit(true);
}

AnsiString TCustomGrid::GetEditText(int ACol, int ARow) {
  AnsiString s;
  OnGetEditText(this, ACol, ARow, s);
  return s;
}

void TCustomGrid::SetEditText(int ACol, int ARow, const AnsiString& Value) { OnSetEditText(this, ACol, ARow, Value); }

void TCustomGrid::SetEditorMode(bool Value) {
  if (Value == FEditorMode) return;
  if (!Value) {
    EndEdit(true);
    return;
  }
  if (!FOptions.Contains(goEditing) || FOptions.Contains(goRowSelect)) return;
  FEditorMode = true;
  FEditStartText = GetEditText(FCol, FRow);
  FEditor.SetText(FEditStartText);
  FEditor.SelectAll();
  FPendingLead = -1;
}

void TCustomGrid::EndEdit(bool Accept) {
  if (!FEditorMode) return;
  FEditorMode = false;
  if (!Accept && FEditor.Text() != FEditStartText) SetEditText(FCol, FRow, FEditStartText);
}

void TCustomGrid::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
  if (FOptions.Contains(goTabs)) Message.Result |= DLGC_WANTTAB;
  if (FEditorMode) Message.Result |= DLGC_WANTALLKEYS;
}

void TCustomGrid::DoExit() {
  if (FEditorMode) EndEdit(true);
  TWinControl::DoExit();
}

void TCustomGrid::KeyDown(unsigned short& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  if (FEditorMode) {
    switch (Key) {
      case VK_RETURN: EndEdit(true); return;
      case VK_ESCAPE: EndEdit(false); return;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_HOME:
      case VK_END: {
        // Inside the text the caret moves; at its edge the arrow leaves the cell.
        int pos = FEditor.SelStart();
        int len = static_cast<int>(FEditor.Text().size());
        if (Key == VK_LEFT && (pos > 0 || FEditor.SelLength() > 0)) return FEditor.MoveLeft();
        if (Key == VK_RIGHT && (pos < len || FEditor.SelLength() > 0)) return FEditor.MoveRight();
        if (Key == VK_HOME) return FEditor.MoveHome();
        if (Key == VK_END) return FEditor.MoveEnd();
        break;
      }
      case VK_DELETE:
        if (FEditor.DeleteForward()) SetEditText(FCol, FRow, FEditor.Text());
        return;
      default: break;
    }
  }
  int col = FCol, row = FRow;
  bool ctrl = Shift.Contains(ssCtrl);
  switch (Key) {
    case VK_UP: --row; break;
    case VK_DOWN: ++row; break;
    case VK_LEFT: --col; break;
    case VK_RIGHT: ++col; break;
    case VK_HOME:
      col = FFixedCols;
      if (ctrl) row = FFixedRows;
      break;
    case VK_END:
      col = FColCount - 1;
      if (ctrl) row = FRowCount - 1;
      break;
    case VK_PRIOR: row = FFixedRows; break;
    case VK_NEXT: row = FRowCount - 1; break;
    case VK_TAB:
      if (!FOptions.Contains(goTabs)) return;
      // Tab runs along the row and wraps to the next one.
      if (Shift.Contains(ssShift)) {
        if (--col < FFixedCols) {
          col = FColCount - 1;
          --row;
        }
      } else if (++col >= FColCount) {
        col = FFixedCols;
        ++row;
      }
      break;
    case VK_F2: SetEditorMode(true); return;
    default: return;
  }
  col = std::clamp(col, FFixedCols, FColCount - 1);
  row = std::clamp(row, FFixedRows, FRowCount - 1);
  MoveTo(col, row);
}

void TCustomGrid::KeyPress(char& Key) {
  TWinControl::KeyPress(Key);
  if (Key == 0 || !FOptions.Contains(goEditing)) return;
  unsigned char b = static_cast<unsigned char>(Key);
  if (!FEditorMode) {
    if (b < 0x20) return;
    SetEditorMode(true);
    if (!FEditorMode) return;
  }
  bool changed = false;
  if (Key == '\b') {
    FPendingLead = -1;
    changed = FEditor.DeleteBackward();
  } else if (b >= 0x20) {
    if (FPendingLead >= 0) {
      AnsiString s{static_cast<char>(FPendingLead), Key};
      FPendingLead = -1;
      changed = FEditor.ReplaceSelection(s, 0);
    } else if (b >= 0x80 && IsDBCSLeadByte(b)) {
      FPendingLead = b;
    } else {
      changed = FEditor.ReplaceSelection(AnsiString(1, Key), 0);
    }
  }
  if (changed) SetEditText(FCol, FRow, FEditor.Text());
}

// ===========================================================================
// String grids

void TStringGrid::CheckCell(int ACol, int ARow) const {
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount())
    throw EInvalidGridOperation("Grid index out of range");
}

AnsiString TStringGrid::Cells(int ACol, int ARow) const {
  auto it = FCells.find({ARow, ACol});
  return it == FCells.end() ? AnsiString() : it->second.Text;
}

void TStringGrid::SetCells(int ACol, int ARow, const AnsiString& Value) {
  CheckCell(ACol, ARow);
  FCells[{ARow, ACol}].Text = Value;
}

TObject* TStringGrid::Objects(int ACol, int ARow) const {
  auto it = FCells.find({ARow, ACol});
  return it == FCells.end() ? nullptr : it->second.Object;
}

void TStringGrid::SetObjects(int ACol, int ARow, TObject* Value) {
  CheckCell(ACol, ARow);
  FCells[{ARow, ACol}].Object = Value;
}

std::vector<AnsiString> TStringGrid::Rows(int ARow) const {
  std::vector<AnsiString> v;
  for (int c = 0; c < ColCount(); ++c) v.push_back(Cells(c, ARow));
  return v;
}

void TStringGrid::SetRows(int ARow, const std::vector<AnsiString>& Values) {
  for (int c = 0; c < ColCount(); ++c) SetCells(c, ARow, c < static_cast<int>(Values.size()) ? Values[c] : AnsiString());
}

std::vector<AnsiString> TStringGrid::Cols(int ACol) const {
  std::vector<AnsiString> v;
  for (int r = 0; r < RowCount(); ++r) v.push_back(Cells(ACol, r));
  return v;
}

void TStringGrid::SetCols(int ACol, const std::vector<AnsiString>& Values) {
  for (int r = 0; r < RowCount(); ++r) SetCells(ACol, r, r < static_cast<int>(Values.size()) ? Values[r] : AnsiString());
}

AnsiString TStringGrid::GetEditText(int ACol, int ARow) {
  AnsiString s = Cells(ACol, ARow);
  OnGetEditText(this, ACol, ARow, s);
  return s;
}

void TStringGrid::SetEditText(int ACol, int ARow, const AnsiString& Value) {
  SetCells(ACol, ARow, Value);
  TCustomGrid::SetEditText(ACol, ARow, Value);
}

void TStringGrid::SizeChanged(int, int) {
  for (auto it = FCells.begin(); it != FCells.end();) {
    if (it->first.first >= RowCount() || it->first.second >= ColCount())
      it = FCells.erase(it);
    else
      ++it;
  }
}
