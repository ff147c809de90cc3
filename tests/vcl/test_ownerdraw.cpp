// Owner-drawn list boxes and combo boxes and custom-drawn list views in a
// window picture: which handlers the painters call, with which items,
// rectangles, states and canvas, and what lands in the picture.

#include <gtest/gtest.h>

#include <memory>

#include "platform/rtl/Format.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/IdentMaps.h"
#include "platform/vcl/StdControlPainters.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/WindowPicture.h"

namespace {

// Logs each call and fills the item's rectangle in a colour of its own.
struct TItemDrawer {
  std::vector<AnsiString> Calls;
  bool HadCanvas = true;
  static TColor ColorOf(int Index) { return Index == 0 ? clLime : Index == 1 ? clRed : clBlue; }
  void Draw(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State) {
    TCanvas* canvas = nullptr;
    if (auto* l = ObjectAs<TCustomListBox>(Control)) canvas = l->Canvas();
    if (auto* c = ObjectAs<TCustomComboBox>(Control)) canvas = c->Canvas();
    HadCanvas = HadCanvas && canvas;
    Calls.push_back(Format("draw %d %d..%d%s%s", {Index, Rect.Top, Rect.Bottom, State.Contains(odSelected) ? " selected" : "",
                                                  State.Contains(odComboBoxEdit) ? " field" : ""}));
    if (!canvas) return;
    canvas->Brush()->SetColor(ColorOf(Index));
    canvas->FillRect(Rect);
  }
  void Measure(TWinControl*, int Index, int& Height) {
    Calls.push_back(Format("measure %d %d", {Index, Height}));
    Height = 10 + 5 * Index;
  }
};

class OwnerDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterStdControlPainters();
    form.reset(CreateForm<TForm>(nullptr));
    picture = std::make_unique<TBitmap>(160, 120);
  }
  template <class T>
  T* Add(const char* Name) {
    T* c = NewComponent<T>(form.get());
    c->SetName(Name);
    c->SetParent(form.get());
    c->SetBounds(0, 0, 160, 120);
    return c;
  }
  void Paint(TControl* Control) {
    picture->Canvas()->Brush()->SetColor(clBlack);
    picture->Canvas()->FillRect({0, 0, 160, 120});
    PaintControlTree(*Control, *picture->Canvas(), 0, 0);
  }
  TColor At(int X, int Y) const { return picture->Canvas()->Pixel(X, Y); }

  std::unique_ptr<TForm> form;
  std::unique_ptr<TBitmap> picture;
  TItemDrawer drawer;
};

TEST_F(OwnerDrawTest, AListBoxDrawsItsItemsThroughTheHandlerInTheirHeights) {
  auto* list = Add<TListBox>("lstFields");
  for (const char* s : {"A", "B", "C"}) list->Items()->Add(s);
  list->SetItemHeight(15);
  list->SetItemIndex(1);
  list->OnDrawItem = Bind<&TItemDrawer::Draw>(&drawer);
  list->OnMeasureItem = Bind<&TItemDrawer::Measure>(&drawer);
  const struct {
    TListBoxStyle Style;
    std::vector<AnsiString> Calls;
  } cases[] = {
      // Inside the 2-pixel sunken frame, one item under the other.
      {lbOwnerDrawFixed, {"draw 0 2..17", "draw 1 17..32 selected", "draw 2 32..47"}},
      {lbOwnerDrawVariable,
       {"measure 0 15", "draw 0 2..12", "measure 1 15", "draw 1 12..27 selected", "measure 2 15", "draw 2 27..47"}},
      {lbStandard, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Style);
    drawer.Calls.clear();
    list->SetStyle(c.Style);
    Paint(list);
    EXPECT_EQ(drawer.Calls, c.Calls);
  }
  EXPECT_TRUE(drawer.HadCanvas);
  EXPECT_EQ(list->Canvas(), nullptr) << "the canvas is lent only while painting";

  // What the handler drew is in the picture.
  list->SetStyle(lbOwnerDrawFixed);
  Paint(list);
  EXPECT_EQ(At(20, 5), clLime);
  EXPECT_EQ(At(20, 20), clRed);
  EXPECT_EQ(At(20, 40), clBlue);
  EXPECT_EQ(At(20, 60), ColorToRGB(list->Color())) << "below the items: the list's colour";
}

TEST_F(OwnerDrawTest, WithoutAHandlerTheItemsAreDrawnAsText) {
  auto* list = Add<TListBox>("lstFields");
  for (const char* s : {"WWWW", "WWWW"}) list->Items()->Add(s);
  list->SetItemHeight(16);
  list->SetStyle(lbOwnerDrawFixed);
  list->SetItemIndex(1);
  Paint(list);
  // The selected item's cell is filled with the highlight, the other with
  // the list's colour, and both carry text.
  EXPECT_EQ(At(150, 4), ColorToRGB(list->Color()));
  EXPECT_EQ(At(150, 20), ColorToRGB(clHighlight));
  int text[2] = {0, 0};
  for (int item = 0; item < 2; ++item)
    for (int x = 2; x < 60; ++x)
      for (int y = 2 + 16 * item; y < 18 + 16 * item; ++y)
        text[item] += At(x, y) != ColorToRGB(item ? clHighlight : list->Color());
  EXPECT_GT(text[0], 10);
  EXPECT_GT(text[1], 10);
}

TEST_F(OwnerDrawTest, AComboBoxDrawsItsSelectedItemInTheField) {
  auto* combo = Add<TComboBox>("cboKind");
  combo->SetBounds(0, 0, 160, 24);
  for (const char* s : {"A", "B", "C"}) combo->Items()->Add(s);
  combo->OnDrawItem = Bind<&TItemDrawer::Draw>(&drawer);
  const struct {
    TComboBoxStyle Style;
    int Index;
    std::vector<AnsiString> Calls;
  } cases[] = {
      {csOwnerDrawFixed, 1, {"draw 1 3..21 field"}},
      {csOwnerDrawVariable, 2, {"draw 2 3..21 field"}},
      {csOwnerDrawFixed, -1, {}},
      {csDropDownList, 1, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Style);
    drawer.Calls.clear();
    combo->SetStyle(c.Style);
    combo->SetItemIndex(c.Index);
    Paint(combo);
    EXPECT_EQ(drawer.Calls, c.Calls);
  }
  combo->SetStyle(csOwnerDrawFixed);
  combo->SetItemIndex(1);
  Paint(combo);
  EXPECT_EQ(At(20, 12), clRed);
  EXPECT_NE(At(150, 12), clRed) << "the button stays the button";
  EXPECT_EQ(combo->Canvas(), nullptr);
}

// Item 0 in red text, item 1 on a yellow ground, item 2 drawn by the
// handler (so not by the painter).
struct TCustomDrawer {
  std::vector<AnsiString> Calls;
  void Draw(TCustomListView* Sender, TListItem* Item, TCustomDrawState State, bool& DefaultDraw) {
    Calls.push_back(Item->Caption() + (State.Contains(cdsSelected) ? " selected" : ""));
    TCanvas* canvas = Sender->Canvas();
    if (!canvas) return;
    if (Item->Index() == 0) canvas->Font()->SetColor(clRed);
    if (Item->Index() == 1) canvas->Brush()->SetColor(clYellow);
    if (Item->Index() == 2) DefaultDraw = false;
  }
};

TEST_F(OwnerDrawTest, AListViewLetsTheHandlerColourOrDrawEachItem) {
  auto* view = Add<TListView>("lvFields");
  view->SetViewStyle(vsReport);
  for (const char* s : {"WWWWWW", "WWWWWW", "WWWWWW"}) view->Items()->Add()->SetCaption(s);
  view->Items()->Item(2)->SetSelected(true);
  TCustomDrawer custom;
  view->OnCustomDrawItem = Bind<&TCustomDrawer::Draw>(&custom);
  Paint(view);
  EXPECT_EQ(custom.Calls, (std::vector<AnsiString>{"WWWWWW", "WWWWWW", "WWWWWW selected"}));
  EXPECT_EQ(view->Canvas(), nullptr);

  picture->Canvas()->SetFont(view->Font());
  const int row = picture->Canvas()->TextHeight("Ag") + 2;
  // Pixels of a row in exactly Color, or (Other) in anything else.
  auto count = [&](int Row, TColor Color, bool Other = false) {
    int n = 0;
    for (int y = 2 + Row * row; y < 2 + (Row + 1) * row; ++y)
      for (int x = 2; x < 150; ++x) n += (At(x, y) == ColorToRGB(Color)) != Other;
    return n;
  };
  EXPECT_GT(count(0, clRed), 0) << "the handler's text colour";
  EXPECT_EQ(count(1, clRed), 0);
  EXPECT_EQ(At(140, 2 + row + row / 2), ColorToRGB(clYellow)) << "the handler's ground";
  EXPECT_EQ(count(2, view->Color(), true), 0) << "left to the handler: nothing drawn";

  // Without a handler the same list is drawn plainly.
  view->OnCustomDrawItem = nullptr;
  Paint(view);
  EXPECT_EQ(count(0, clRed), 0);
  EXPECT_GT(count(2, clHighlight), 10);
}

}  // namespace
