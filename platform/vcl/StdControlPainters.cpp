// How the standard and common controls look in a window picture, built from
// the classic-look building blocks of WindowPicture.h. Registered when this
// file is linked (and again, harmlessly, by RegisterStdControlPainters).

#include <algorithm>

#include "platform/vcl/BitCheckBox.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/Mask.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/Tabs.h"
#include "platform/vcl/StdControlPainters.h"
#include "platform/vcl/WindowPicture.h"

namespace {

int LineHeight(TCanvas& Canvas, const TControl& Control) {
  Canvas.SetFont(Control.Font());
  return std::max(Canvas.TextHeight("Wg"), 1);
}

void PaintLabel(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& l = static_cast<TCustomLabel&>(C);
  unsigned flags = l.Alignment() == taCenter ? DT_CENTER : l.Alignment() == taRightJustify ? DT_RIGHT : DT_LEFT;
  if (l.Layout() == tlCenter) flags |= DT_VCENTER;
  if (l.Layout() == tlBottom) flags |= DT_BOTTOM;
  flags |= l.WordWrap() ? DT_WORDBREAK : DT_SINGLELINE;
  if (!l.Transparent()) {
    Canvas.Brush()->SetColor(l.Color());
    Canvas.FillRect(R);
  }
  DrawControlText(Canvas, l, R, l.DisplayText(), flags);
}

void PaintEdit(TControl& C, TCanvas& Canvas, const TRect& R) {
  DrawEditField(Canvas, C, R, static_cast<TCustomEdit&>(C).DisplayText());
}

void PaintMemo(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& m = static_cast<TCustomMemo&>(C);
  DrawEditField(Canvas, C, R, AnsiString());
  int h = LineHeight(Canvas, C);
  TRect line{R.Left + 3, R.Top + 3, R.Right - 3, R.Top + 3 + h};
  for (int i = 0; i < m.Lines()->Count() && line.Top < R.Bottom - 2; ++i) {
    DrawControlText(Canvas, C, line, m.Lines()->Strings(i), DT_LEFT | DT_SINGLELINE);
    line.Top += h;
    line.Bottom += h;
  }
}

void PaintButton(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& b = static_cast<TButton&>(C);
  DrawPushButton(Canvas, C, R, b.Caption(), false, b.IsActiveDefault());
}

void PaintSpeedButton(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& b = static_cast<TSpeedButton&>(C);
  if (b.Flat() && !b.Down()) {
    DrawControlText(Canvas, C, R, b.Caption(), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    return;
  }
  DrawPushButton(Canvas, C, R, b.Caption(), b.Down(), false);
}

void PaintCheckBox(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& b = static_cast<TCustomCheckBox&>(C);
  DrawCheckControl(Canvas, C, R, b.Caption(), static_cast<int>(b.State()), false);
}

void PaintBitCheckBox(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& b = static_cast<TBitCheckBox&>(C);
  const TBitmap* g = b.CurrentGlyph();
  if (!g) {
    PaintCheckBox(C, Canvas, R);
    return;
  }
  int y = R.Top + (R.Height() - g->Height()) / 2;
  Canvas.Draw(R.Left, y, *g);
  TRect text{R.Left + g->Width() + 4, R.Top, R.Right, R.Bottom};
  DrawControlText(Canvas, C, text, b.Caption(), DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

void PaintRadioButton(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& b = static_cast<TRadioButton&>(C);
  DrawCheckControl(Canvas, C, R, b.Caption(), b.Checked() ? 1 : 0, true);
}

void PaintGroupBox(TControl& C, TCanvas& Canvas, const TRect& R) { DrawGroupFrame(Canvas, C, R, C.Caption()); }

void PaintRadioGroup(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& g = static_cast<TCustomRadioGroup&>(C);
  DrawGroupFrame(Canvas, C, R, C.Caption());
  int n = g.Items()->Count();
  if (n == 0) return;
  int cols = std::max(1, std::min(g.Columns(), n));
  int rows = (n + cols - 1) / cols;
  int h = LineHeight(Canvas, C);
  TRect inner{R.Left + 8, R.Top + h + 2, R.Right - 8, R.Bottom - 4};
  int cw = inner.Width() / cols;
  int rh = std::max(inner.Height() / rows, h + 2);
  for (int i = 0; i < n; ++i) {
    int col = i / rows, row = i % rows;
    TRect cell{inner.Left + col * cw, inner.Top + row * rh, inner.Left + (col + 1) * cw, inner.Top + (row + 1) * rh};
    DrawCheckControl(Canvas, C, cell, g.Items()->Strings(i), i == g.ItemIndex() ? 1 : 0, true);
  }
}

// Lends the picture's canvas to a control for the handlers it calls while
// it is painted.
template <class C>
class TCanvasLoan {
 public:
  TCanvasLoan(C& Control, TCanvas& Canvas) : FControl(Control), FSaved(Control.Canvas()) { Control.SetCanvas(&Canvas); }
  ~TCanvasLoan() { FControl.SetCanvas(FSaved); }
  TCanvasLoan(const TCanvasLoan&) = delete;
  TCanvasLoan& operator=(const TCanvasLoan&) = delete;

 private:
  C& FControl;
  TCanvas* FSaved;
};

// One item of an owner-drawn list or combo box: the canvas prepared with the
// item's colours and the control's font, then OnDrawItem; without a handler
// the item's text, as the system draws it.
template <class L>
void DrawOwnerItem(L& List, TCanvas& Canvas, int Index, const TRect& Cell, TOwnerDrawState State) {
  const bool selected = State.Contains(odSelected);
  Canvas.SetFont(List.Font());
  Canvas.Font()->SetColor(selected ? clHighlightText : List.Font()->Color());
  Canvas.Brush()->SetStyle(bsSolid);
  Canvas.Brush()->SetColor(selected ? clHighlight : List.Color());
  if (List.OnDrawItem.Assigned()) {
    List.OnDrawItem(&List, Index, Cell, State);
    return;
  }
  Canvas.FillRect(Cell);
  Canvas.Brush()->SetStyle(bsClear);
  TRect text{Cell.Left + 2, Cell.Top, Cell.Right, Cell.Bottom};
  Canvas.DrawText(List.Items()->Strings(Index), text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void PaintComboBox(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& cb = static_cast<TCustomComboBox&>(C);
  if (!cb.OwnerDraw()) {
    DrawComboField(Canvas, C, R, C.Text());
    return;
  }
  // The selected item is drawn in the field, left of the button, as
  // DrawComboField lays the field out.
  DrawComboField(Canvas, C, R, AnsiString());
  if (cb.ItemIndex() < 0 || cb.ItemIndex() >= cb.Items()->Count()) return;
  const int button = std::min(16, std::max(0, R.Width() - 4));
  TRect field{R.Left + 3, R.Top + 3, R.Right - 3 - button, R.Bottom - 3};
  if (field.Width() <= 0 || field.Height() <= 0) return;
  TOwnerDrawState state{odComboBoxEdit};
  if (cb.Focused()) {
    state.Include(odSelected);
    state.Include(odFocused);
  }
  if (!cb.Enabled()) state.Include(odDisabled);
  TCanvasLoan<TCustomComboBox> loan(cb, Canvas);
  DrawOwnerItem(cb, Canvas, cb.ItemIndex(), field, state);
}

// An owner-drawn list box: each visible item in its own height.
void PaintOwnerDrawListBox(TCustomListBox& l, TCanvas& Canvas, const TRect& R) {
  TRect inner = DrawEdge(Canvas, R, ekSunken);
  Canvas.Brush()->SetStyle(bsSolid);
  Canvas.Brush()->SetColor(l.Color());
  Canvas.FillRect(inner);
  TCanvasLoan<TCustomListBox> loan(l, Canvas);
  int top = inner.Top;
  for (int i = std::max(0, l.TopIndex()); i < l.Items()->Count() && top < inner.Bottom; ++i) {
    int height = l.ItemHeight();
    if (l.Style() == lbOwnerDrawVariable) l.OnMeasureItem(&l, i, height);
    if (height <= 0) continue;
    TOwnerDrawState state;
    if (l.Selected(i)) state.Include(odSelected);
    if (i == l.ItemIndex() && l.Focused()) state.Include(odFocused);
    if (!l.Enabled()) state.Include(odDisabled);
    DrawOwnerItem(l, Canvas, i, {inner.Left, top, inner.Right, std::min(top + height, inner.Bottom)}, state);
    top += height;
  }
}

void PaintListBox(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& l = static_cast<TCustomListBox&>(C);
  if (l.OwnerDraw()) {
    PaintOwnerDrawListBox(l, Canvas, R);
    return;
  }
  TListViewPicture p;
  for (int i = 0; i < l.Items()->Count(); ++i) {
    p.Rows.push_back({l.Items()->Strings(i)});
    p.Selected.push_back(l.Selected(i));
  }
  DrawListView(Canvas, C, R, p);
}

void PaintListView(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& lv = static_cast<TCustomListView&>(C);
  TListViewPicture p;
  bool report = lv.ViewStyle() == vsReport;
  if (report && lv.ShowColumnHeaders())
    for (int i = 0; i < lv.Columns()->Count(); ++i) {
      p.Columns.push_back(lv.Columns()->Items(i)->Caption());
      p.ColumnWidths.push_back(lv.Columns()->Items(i)->Width());
    }
  for (int i = 0; i < lv.Items()->Count(); ++i) {
    TListItem* it = lv.Items()->Item(i);
    std::vector<AnsiString> row{lv.IsEditing() && lv.EditingItem() == it ? lv.EditText() : it->Caption()};
    if (report)
      for (int k = 0; k < it->SubItems()->Count(); ++k) row.push_back(it->SubItems()->Strings(k));
    p.Rows.push_back(row);
    p.Selected.push_back(it->Selected());
  }
  if (!lv.OnCustomDrawItem.Assigned()) {
    DrawListView(Canvas, C, R, p);
    return;
  }
  // Each item's handler sees the canvas as the item would be drawn with, and
  // the colours it leaves there are the item's.
  TCanvasLoan<TCustomListView> loan(lv, Canvas);
  p.BeforeRow = [&](size_t Row, const TRect&, TListRowStyle& Style) {
    TListItem* item = lv.Items()->Item(static_cast<int>(Row));
    TCustomDrawState state;
    if (item->Selected()) state.Include(cdsSelected);
    if (item->Focused()) state.Include(cdsFocused);
    if (item->Checked()) state.Include(cdsChecked);
    if (!lv.Enabled()) state.Include(cdsDisabled);
    Canvas.SetFont(lv.Font());
    Canvas.Brush()->SetStyle(bsSolid);
    Canvas.Brush()->SetColor(lv.Color());
    bool defaultDraw = true;
    lv.OnCustomDrawItem(&lv, item, state, defaultDraw);
    Style.DefaultDraw = defaultDraw;
    if (Canvas.Font()->Color() != lv.Font()->Color()) Style.Text = Canvas.Font()->Color();
    if (Canvas.Brush()->Color() != lv.Color()) Style.Back = Canvas.Brush()->Color();
  };
  DrawListView(Canvas, C, R, p);
}

void PaintTreeView(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& tv = static_cast<TCustomTreeView&>(C);
  DrawEditField(Canvas, C, R, AnsiString());
  int h = LineHeight(Canvas, C) + 2;
  int y = R.Top + 3;
  for (TTreeNode* n = tv.Items()->GetFirstNode(); n && y < R.Bottom - 2; n = n->GetNext()) {
    if (!n->IsVisible()) continue;
    int x = R.Left + 4 + n->Level() * 16;
    TRect line{x, y, R.Right - 3, y + h};
    if (n->HasChildren()) {
      // The classic plus / minus box.
      TRect box{x, y + h / 2 - 4, x + 9, y + h / 2 + 5};
      Canvas.Pen()->SetColor(clBtnShadow);
      Canvas.Brush()->SetColor(clWindow);
      Canvas.Rectangle(box);
      Canvas.Pen()->SetColor(clWindowText);
      Canvas.MoveTo(box.Left + 2, box.Top + 4);
      Canvas.LineTo(box.Right - 2, box.Top + 4);
      if (!n->Expanded()) {
        Canvas.MoveTo(box.Left + 4, box.Top + 2);
        Canvas.LineTo(box.Left + 4, box.Bottom - 2);
      }
    }
    line.Left += 12;
    if (n->Selected()) {
      Canvas.Brush()->SetColor(clHighlight);
      TRect sel = line;
      Canvas.SetFont(C.Font());
      sel.Right = std::min(sel.Left + Canvas.TextWidth(n->Text()) + 4, R.Right - 3);
      Canvas.FillRect(sel);
    }
    DrawControlText(Canvas, C, TRect{line.Left + 2, line.Top, line.Right, line.Bottom}, n->Text(),
                    DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    y += h;
  }
}

void PaintPageControl(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& pc = static_cast<TPageControl&>(C);
  std::vector<AnsiString> tabs;
  for (int i = 0; i < pc.PageCount(); ++i)
    if (pc.Pages(i)->TabVisible()) tabs.push_back(pc.Pages(i)->Caption());
  DrawTabs(Canvas, C, R, tabs, pc.TabIndex());
}

void PaintTabSheet(TControl&, TCanvas&, const TRect&) {
  // The page control drew the page; the sheet only holds the controls.
}

void PaintTabControl(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& tc = static_cast<TTabControl&>(C);
  std::vector<AnsiString> tabs;
  for (int i = 0; i < tc.Tabs()->Count(); ++i) tabs.push_back(tc.Tabs()->Strings(i));
  DrawTabs(Canvas, C, R, tabs, tc.TabIndex());
}

void PaintTabSet(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& ts = static_cast<TTabSet&>(C);
  std::vector<AnsiString> tabs;
  for (int i = 0; i < ts.Tabs()->Count(); ++i) tabs.push_back(ts.Tabs()->Strings(i));
  DrawTabs(Canvas, C, R, tabs, ts.TabIndex());
}

void PaintStatusBar(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& sb = static_cast<TStatusBar&>(C);
  Canvas.Brush()->SetColor(C.Color());
  Canvas.FillRect(R);
  if (sb.SimplePanel() || sb.Panels()->Count() == 0) {
    TRect inner = DrawEdge(Canvas, TRect{R.Left, R.Top + 2, R.Right, R.Bottom}, ekSunkenInner);
    DrawControlText(Canvas, C, TRect{inner.Left + 2, inner.Top, inner.Right, inner.Bottom}, sb.SimpleText(),
                    DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    return;
  }
  int x = R.Left;
  for (int i = 0; i < sb.Panels()->Count(); ++i) {
    TStatusPanel* p = sb.Panels()->Items(i);
    int right = i + 1 == sb.Panels()->Count() ? R.Right : std::min(x + p->Width(), R.Right);
    TRect cell{x, R.Top + 2, right - 2, R.Bottom};
    TRect inner = p->Bevel() == pbNone ? cell
                  : DrawEdge(Canvas, cell, p->Bevel() == pbRaised ? ekRaisedInner : ekSunkenInner);
    unsigned align = p->Alignment() == taCenter ? DT_CENTER : p->Alignment() == taRightJustify ? DT_RIGHT : DT_LEFT;
    DrawControlText(Canvas, C, TRect{inner.Left + 2, inner.Top, inner.Right - 2, inner.Bottom}, p->Text(),
                    align | DT_VCENTER | DT_SINGLELINE);
    x = right;
    if (x >= R.Right) break;
  }
}

void PaintPanel(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& p = static_cast<TCustomPanel&>(C);
  Canvas.Brush()->SetColor(C.Color());
  Canvas.FillRect(R);
  TRect inner = R;
  if (p.BevelOuter() == bvRaised || p.BevelOuter() == bvLowered)
    inner = DrawEdge(Canvas, inner, p.BevelOuter() == bvRaised ? ekRaisedInner : ekSunkenInner);
  if (p.BevelInner() == bvRaised || p.BevelInner() == bvLowered)
    inner = DrawEdge(Canvas, inner, p.BevelInner() == bvRaised ? ekRaisedInner : ekSunkenInner);
  unsigned align = p.Alignment() == taCenter ? DT_CENTER : p.Alignment() == taRightJustify ? DT_RIGHT : DT_LEFT;
  DrawControlText(Canvas, C, inner, C.Caption(), align | DT_VCENTER | DT_SINGLELINE);
}

void PaintGrid(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& g = static_cast<TCustomGrid&>(C);
  auto* sg = ObjectAs<TStringGrid>(&C);
  DrawEditField(Canvas, C, R, AnsiString());
  int y = R.Top + 2;
  for (int row = 0; row < g.RowCount() && y < R.Bottom - 2; ++row) {
    if (row >= g.FixedRows() && row < g.TopRow()) continue;
    int h = g.RowHeights(row);
    int x = R.Left + 2;
    for (int col = 0; col < g.ColCount() && x < R.Right - 2; ++col) {
      if (col >= g.FixedCols() && col < g.LeftCol()) continue;
      int w = g.ColWidths(col);
      TRect cell{x, y, std::min(x + w, R.Right - 2), std::min(y + h, R.Bottom - 2)};
      bool fixed = row < g.FixedRows() || col < g.FixedCols();
      if (fixed) {
        Canvas.Brush()->SetColor(clBtnFace);
        Canvas.FillRect(cell);
        DrawEdge(Canvas, cell, ekRaisedInner);
      } else {
        Canvas.Pen()->SetColor(clBtnFace);
        Canvas.MoveTo(cell.Left, cell.Bottom - 1);
        Canvas.LineTo(cell.Right, cell.Bottom - 1);
        Canvas.MoveTo(cell.Right - 1, cell.Top);
        Canvas.LineTo(cell.Right - 1, cell.Bottom);
        if (row == g.Row() && col == g.Col()) {
          Canvas.Brush()->SetColor(clHighlight);
          Canvas.FillRect(TRect{cell.Left, cell.Top, cell.Right - 1, cell.Bottom - 1});
        }
      }
      if (sg) {
        AnsiString text = (g.EditorMode() && row == g.Row() && col == g.Col()) ? g.InplaceText() : sg->Cells(col, row);
        DrawControlText(Canvas, C, TRect{cell.Left + 2, cell.Top, cell.Right - 2, cell.Bottom}, text,
                        DT_LEFT | DT_VCENTER | DT_SINGLELINE);
      }
      x += w;
    }
    y += h;
  }
}

void PaintSpinEdit(TControl& C, TCanvas& Canvas, const TRect& R) {
  TRect field{R.Left, R.Top, R.Right - 16, R.Bottom};
  DrawEditField(Canvas, C, field, C.Text());
  int mid = R.Top + R.Height() / 2;
  DrawPushButton(Canvas, C, TRect{R.Right - 16, R.Top, R.Right, mid}, "", false, false);
  DrawPushButton(Canvas, C, TRect{R.Right - 16, mid, R.Right, R.Bottom}, "", false, false);
}

void PaintToolButton(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& b = static_cast<TToolButton&>(C);
  if (b.Style() == tbsSeparator || b.Style() == tbsDivider) {
    if (b.Style() == tbsDivider) DrawEdge(Canvas, TRect{R.Left + R.Width() / 2 - 1, R.Top, R.Left + R.Width() / 2 + 1, R.Bottom}, ekEtched);
    return;
  }
  TToolBar* tb = b.ToolBar();
  bool flat = tb && tb->Flat();
  if (!flat || b.Down()) DrawPushButton(Canvas, C, R, (tb && tb->ShowCaptions()) ? b.Caption() : AnsiString(), b.Down(), false);
  else if (tb && tb->ShowCaptions())
    DrawControlText(Canvas, C, R, b.Caption(), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void PaintToolBar(TControl& C, TCanvas& Canvas, const TRect& R) {
  Canvas.Brush()->SetColor(C.Color());
  Canvas.FillRect(R);
  if (!static_cast<TToolBar&>(C).Flat()) DrawEdge(Canvas, R, ekRaisedInner);
}

void PaintNothing(TControl&, TCanvas&, const TRect&) {}

void PaintImage(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& img = static_cast<TImage&>(C);
  const TBitmap* pic = img.Picture();
  if (!pic || pic->Empty()) return;
  if (img.Stretch()) {
    Canvas.StretchDraw(R, *pic);
    return;
  }
  int x = R.Left, y = R.Top;
  if (img.Center()) {
    x += (R.Width() - pic->Width()) / 2;
    y += (R.Height() - pic->Height()) / 2;
  }
  Canvas.Draw(x, y, *pic);
}

[[maybe_unused]] const bool kRegistered = (RegisterStdControlPainters(), true);

}  // namespace

void RegisterStdControlPainters() {
  RegisterControlPainter(TCustomLabel::StaticClass(), &PaintLabel);
  RegisterControlPainter(TCustomEdit::StaticClass(), &PaintEdit);
  RegisterControlPainter(TCustomMemo::StaticClass(), &PaintMemo);
  RegisterControlPainter(TButton::StaticClass(), &PaintButton);
  RegisterControlPainter(TSpeedButton::StaticClass(), &PaintSpeedButton);
  RegisterControlPainter(TCustomCheckBox::StaticClass(), &PaintCheckBox);
  RegisterControlPainter(TBitCheckBox::StaticClass(), &PaintBitCheckBox);
  RegisterControlPainter(TRadioButton::StaticClass(), &PaintRadioButton);
  RegisterControlPainter(TCustomGroupBox::StaticClass(), &PaintGroupBox);
  RegisterControlPainter(TCustomRadioGroup::StaticClass(), &PaintRadioGroup);
  RegisterControlPainter(TCustomComboBox::StaticClass(), &PaintComboBox);
  RegisterControlPainter(TCustomListBox::StaticClass(), &PaintListBox);
  RegisterControlPainter(TCustomListView::StaticClass(), &PaintListView);
  RegisterControlPainter(TCustomTreeView::StaticClass(), &PaintTreeView);
  RegisterControlPainter(TPageControl::StaticClass(), &PaintPageControl);
  RegisterControlPainter(TTabSheet::StaticClass(), &PaintTabSheet);
  RegisterControlPainter(TTabControl::StaticClass(), &PaintTabControl);
  RegisterControlPainter(TTabSet::StaticClass(), &PaintTabSet);
  RegisterControlPainter(TStatusBar::StaticClass(), &PaintStatusBar);
  RegisterControlPainter(TCustomPanel::StaticClass(), &PaintPanel);
  RegisterControlPainter(TToolBar::StaticClass(), &PaintToolBar);
  RegisterControlPainter(TToolButton::StaticClass(), &PaintToolButton);
  RegisterControlPainter(TCustomGrid::StaticClass(), &PaintGrid);
  RegisterControlPainter(TSpinEdit::StaticClass(), &PaintSpinEdit);
  RegisterControlPainter(TSplitter::StaticClass(), &PaintNothing);
  RegisterControlPainter(TBevel::StaticClass(), &PaintNothing);
  RegisterControlPainter(TImage::StaticClass(), &PaintImage);
}
