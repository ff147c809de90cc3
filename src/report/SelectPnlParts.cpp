#include "src/report/SelectPnlParts.h"

#include <algorithm>
#include <memory>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/StringList.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Publisher.h"

KW_REGISTER_CLASS(TQelCheckBox)
KW_REGISTER_CLASS(TQelMaskEdit)
KW_REGISTER_CLASS(TQelListView)

// ===========================================================================
// TQelMaskEdit

void TQelMaskEdit::Change() {
  if (!FSuppressChange) TMaskEdit::Change();
}

// ===========================================================================
// TQelListView

void TQelListView::PublishMembers(TPublisher<TQelListView>& P) {
  P.Property("ColumnsAutoSize", &TQelListView::ColumnsAutoSize, &TQelListView::SetColumnsAutoSize)
      .Default(true);
}

const TMessageTable& TQelListView::StaticMessageTable() {
  using ThisClass = TQelListView;
  static const TMessageTable table(&TCustomListView::StaticMessageTable(),
                                   {
                                       KW_ON_MESSAGE(WM_LBUTTONDOWN, WMLButtonDown),
                                   });
  return table;
}

TQelListView::TQelListView(TComponent* AOwner) : TListView(AOwner) {
  OnColumnClick = Bind<&TQelListView::HeaderClicked>(this);
}

namespace {

// The text of a row in a column: 0 the row text, n the n-th sub item (empty
// when the row has none there).
AnsiString ColumnText(const TListItem* Item, int Column) {
  if (Column == 0) return Item->Caption();
  TStrings* subs = Item->SubItems();
  return Column - 1 < subs->Count() ? subs->Strings(Column - 1) : AnsiString();
}

}  // namespace

bool TQelListView::AddRow(const std::vector<AnsiString>& Texts) {
  if (Texts.empty()) return false;
  try {
    bool allow = true;
    OnItemChanging(this, nullptr, ickText, allow);
    if (!allow) return false;

    const int needed = static_cast<int>(Texts.size());
    while (Columns()->Count() < needed) {
      TListColumn* c = Columns()->Add();
      c->SetCaption("Data" + std::to_string(Columns()->Count()));
      c->SetAutoSize(true);
    }

    TListItem* item = Items()->Add();
    item->SetCaption(Texts[0]);
    const int maxSubs = std::max(0, Columns()->Count() - 1);
    for (int i = 1; i < needed && i - 1 < maxSubs; ++i) item->SubItems()->Add(Texts[i]);

    int widest = 0;
    for (int i = 0; i < Items()->Count(); ++i)
      widest = std::max(widest, Items()->Item(i)->SubItems()->Count());
    for (int i = 0; i < Items()->Count(); ++i) {
      TStrings* subs = Items()->Item(i)->SubItems();
      while (subs->Count() < widest) subs->Add(AnsiString());
    }
    OnItemChange(this, item, ickText);

    // Sorting first puts the rows that equal each other side by side, so the
    // neighbour comparison of the duplicate rule finds them.
    if (FSortByText) SortRows();
    RemoveDuplicates();
    if (FColumnsAutoSize) AutoSizeColumns();
    return true;
  } catch (...) {
    return false;
  }
}

void TQelListView::Clear() { Items()->Clear(); }

void TQelListView::AutoSizeColumns() {
  const int w = MeasureText(*Font(), "W").Width;
  for (int c = 0; c < Columns()->Count(); ++c) {
    TListColumn* col = Columns()->Items(c);
    std::size_t longest = col->Caption().size();
    for (int i = 0; i < Items()->Count(); ++i)
      longest = std::max(longest, ColumnText(Items()->Item(i), c).size());
    col->SetWidth(w * static_cast<int>(longest));
  }
}

void TQelListView::RemoveDuplicates() {
  if (FCheckDuplicate == cd_None) return;
  for (int i = Items()->Count() - 1; i >= 1; --i) {
    AnsiString lower = Items()->Item(i)->Caption();
    AnsiString upper = Items()->Item(i - 1)->Caption();
    if (FCheckDuplicate == cd_CaseInsensitive) {
      lower = AnsiUpperCase(lower);
      upper = AnsiUpperCase(upper);
    }
    if (lower == upper) Items()->Delete(i);
  }
}

void TQelListView::SetSortByText(bool Value) {
  if (FSortByText == Value) return;
  FSortByText = Value;
  if (Value) SortRows();
}

void TQelListView::SortByColumn(int Index) {
  if (Index < 0) return;
  if (Index == FSortColumn) {
    FSortAscending = !FSortAscending;
  } else {
    FSortColumn = Index;
    FSortAscending = true;
  }
  SortRows();
}

void TQelListView::HeaderClicked(TObject*, TListColumn* Column) {
  if (Column) SortByColumn(Column->Index());
}

int TQelListView::CompareRows(const TListItem* A, const TListItem* B) const {
  auto by = [&](int Column) { return CompareText(ColumnText(A, Column), ColumnText(B, Column)); };
  int r = by(FSortColumn);
  if (r == 0) {
    if (FSortColumn == 0) {
      r = by(1);
    } else if (FSortColumn == 1) {
      r = by(0);
    } else {
      r = by(0);
      if (r == 0) r = by(1);
    }
  }
  // Rows equal but for case still get a fixed order, so that rows equal to
  // the byte always end up side by side (the duplicate rule compares
  // neighbours only).
  if (r == 0) r = CompareStr(ColumnText(A, FSortColumn), ColumnText(B, FSortColumn));
  if (r == 0) r = CompareStr(A->Caption(), B->Caption());
  return FSortAscending ? r : -r;
}

void TQelListView::SortRows() {
  const int n = Items()->Count();
  if (n < 2) return;
  // The list items cannot be moved, so their contents are: copies are sorted
  // and written back in order, selection and focus travelling with them.
  struct TRow {
    std::unique_ptr<TListItem> Copy;
    bool Selected;
    bool Focused;
  };
  std::vector<TRow> rows;
  rows.reserve(n);
  for (int i = 0; i < n; ++i) {
    TListItem* item = Items()->Item(i);
    auto copy = std::make_unique<TListItem>(nullptr);
    copy->Assign(item);
    rows.push_back({std::move(copy), item->Selected(), item->Focused()});
  }
  std::stable_sort(rows.begin(), rows.end(), [this](const TRow& X, const TRow& Y) {
    return CompareRows(X.Copy.get(), Y.Copy.get()) < 0;
  });
  ++FSorting;
  try {
    TListItem* focused = nullptr;
    for (int i = 0; i < n; ++i) {
      TListItem* item = Items()->Item(i);
      item->Assign(rows[i].Copy.get());
      item->SetSelected(rows[i].Selected);
      if (rows[i].Focused) focused = item;
    }
    SetItemFocused(focused);
  } catch (...) {
    --FSorting;
    throw;
  }
  --FSorting;
}

void TQelListView::WMLButtonDown(TMessage& Message) {
  // The press acts only once the list has the focus: a field that refuses to
  // let the focus go (a failed check on leaving it) keeps the press from
  // changing the list behind its back.
  if (!Focused() && CanFocus()) SetFocus();
  if (Focused()) DispatchFrom(&TCustomListView::StaticMessageTable(), Message);
}
