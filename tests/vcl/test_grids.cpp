#include <gtest/gtest.h>

#include <memory>

#include "platform/vcl/FormText.h"
#include "platform/vcl/Grids.h"
#include "tests/vcl/ui_fixture.h"

using namespace kw_test;

namespace {

class GridTest : public FormUITest {
 protected:
  void SetUp() override {
    FormUITest::SetUp();
    grid = Add<TStringGrid>("sgRows");
  }
  using FormUITest::Focus;
  void Focus() { FormUITest::Focus(grid); }
  TStringGrid* grid = nullptr;
};

// Refuses moves into one column, and logs every question.
struct TCellGuard {
  TEventLog* Log;
  int ForbiddenCol = -1;
  void SelectCell(TObject*, int ACol, int ARow, bool& CanSelect) {
    Log->push_back(std::to_string(ACol) + "," + std::to_string(ARow));
    if (ACol == ForbiddenCol) CanSelect = false;
  }
  void SetEdit(TObject*, int ACol, int ARow, const AnsiString& Value) {
    Log->push_back("Set " + std::to_string(ACol) + "," + std::to_string(ARow) + " " + Value);
  }
};

TEST_F(GridTest, KeysMoveTheCurrentCellUnlessOnSelectCellRefuses) {
  grid->SetColCount(4);
  grid->SetRowCount(4);
  TCellGuard guard{&Log, 3};
  grid->OnSelectCell = Bind<&TCellGuard::SelectCell>(&guard);
  Focus();
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_EQ(grid->Row(), 1);
  struct Case {
    unsigned short Key;
    TShiftState Shift;
    int Col, Row;
  } cases[] = {
      {VK_RIGHT, {}, 2, 1},
      {VK_RIGHT, {}, 2, 1},  // column 3 refused
      {VK_DOWN, {}, 2, 2},
      {VK_END, {}, 2, 2},  // the last column is column 3: refused
      {VK_LEFT, {}, 1, 2},
      {VK_LEFT, {}, 1, 2},  // fixed column 0 is never current (and nobody is asked)
      {VK_NEXT, {}, 1, 3},
      {VK_UP, {}, 1, 2},
      {VK_PRIOR, {}, 1, 1},
      {VK_UP, {}, 1, 1},
  };
  for (const Case& c : cases) {
    Press(c.Key, c.Shift);
    EXPECT_EQ(grid->Col(), c.Col) << "key " << c.Key;
    EXPECT_EQ(grid->Row(), c.Row) << "key " << c.Key;
  }
  EXPECT_EQ(Log, (TEventLog{"2,1", "3,1", "2,2", "3,2", "1,2", "1,3", "1,2", "1,1"}));
  // From code too.
  grid->SetCol(3);
  EXPECT_EQ(grid->Col(), 1);
  grid->SetCol(2);
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_FALSE(grid->MoveTo(0, 1)) << "a fixed cell";
  EXPECT_FALSE(grid->MoveTo(1, 9));
}

TEST_F(GridTest, TabRunsAlongTheRowOnlyWithGoTabs) {
  grid->SetColCount(3);
  grid->SetRowCount(3);
  auto* other = NewComponent<TEdit>(form.get());
  other->SetParent(form.get());
  Focus();
  Press(VK_TAB);
  EXPECT_EQ(form->ActiveControl(), other) << "without goTabs Tab leaves the grid";
  grid->SetFocus();
  TGridOptions o = grid->Options();
  o.Include(goTabs);
  grid->SetOptions(o);
  Press(VK_TAB);
  EXPECT_EQ(grid->Col(), 2);
  Press(VK_TAB);
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_EQ(grid->Row(), 2);
  Press(VK_TAB, {ssShift});
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_EQ(form->ActiveControl(), grid);
}

TEST_F(GridTest, CellsFixedCountsAndResizing) {
  grid->SetColCount(3);
  grid->SetRowCount(3);
  grid->SetCells(0, 0, "Voucher");
  grid->SetCells(2, 2, "last");
  EXPECT_EQ(grid->Cells(2, 2), "last");
  EXPECT_EQ(grid->Cells(1, 1), "");
  EXPECT_THROW(grid->SetCells(3, 0, "x"), EInvalidGridOperation);
  EXPECT_THROW(grid->SetFixedCols(3), EInvalidGridOperation);
  grid->SetRowCount(2);
  grid->SetRowCount(3);
  EXPECT_EQ(grid->Cells(2, 2), "") << "a row cut off loses its cells";
  EXPECT_EQ(grid->Cells(0, 0), "Voucher");
  grid->SetRows(1, {"a", "b"});
  EXPECT_EQ(grid->Rows(1), (std::vector<AnsiString>{"a", "b", ""}));
  EXPECT_EQ(grid->Cols(1), (std::vector<AnsiString>{"", "b", ""}));
  grid->SetFixedRows(0);
  grid->SetFixedCols(0);
  EXPECT_TRUE(grid->MoveTo(0, 0));
  grid->SetFixedCols(2);
  EXPECT_EQ(grid->Col(), 2) << "the current cell leaves the fixed columns";
  grid->SetColWidths(1, 120);
  EXPECT_EQ(grid->ColWidths(1), 120);
  EXPECT_EQ(grid->ColWidths(0), 64);
}

TEST_F(GridTest, EditingACellInPlace) {
  TCellGuard guard{&Log};
  grid->OnSetEditText = Bind<&TCellGuard::SetEdit>(&guard);
  grid->SetCells(1, 1, "old");
  Focus();
  Type("x");
  EXPECT_FALSE(grid->EditorMode()) << "without goEditing nothing is edited";
  TGridOptions o = grid->Options();
  o.Include(goEditing);
  grid->SetOptions(o);
  Type("ab");
  EXPECT_TRUE(grid->EditorMode());
  EXPECT_EQ(grid->Cells(1, 1), "ab");
  EXPECT_EQ(Log, (TEventLog{"Set 1,1 a", "Set 1,1 ab"}));
  Press(VK_RETURN);
  EXPECT_FALSE(grid->EditorMode());
  Press(VK_F2);
  Press(VK_END);
  Type("\bZ");
  Press(VK_ESCAPE);
  EXPECT_EQ(grid->Cells(1, 1), "ab") << "Esc puts the text back";
  Press(VK_F2);
  Press(VK_END);
  Type("c");
  Press(VK_RIGHT);  // at the end of the text the arrow moves on
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_EQ(grid->Cells(1, 1), "abc");
}

TEST_F(GridTest, GridDescriptionsNameCountsAndOptions) {
  ReadFormText(form.get(),
               "object frmTest: TForm\n"
               "  object sgRows: TStringGrid\n"
               "    ColCount = 6\n"
               "    RowCount = 2\n"
               "    FixedCols = 0\n"
               "    Options = [goFixedVertLine, goEditing, goTabs]\n"
               "  end\n"
               "end\n");
  EXPECT_EQ(grid->ColCount(), 6);
  EXPECT_EQ(grid->FixedCols(), 0);
  EXPECT_TRUE(grid->Options().Contains(goTabs));
  EXPECT_FALSE(grid->Options().Contains(goVertLine));
}

}  // namespace
