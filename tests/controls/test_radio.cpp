// The self-painting radio button and the radio group built from it.

#include <gtest/gtest.h>

#include "platform/rtl/CodePages.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/FormText.h"
#include "platform/vcl/WindowPicture.h"
#include "src/controls/KwRadioGroup.h"
#include "tests/controls/controls_fixture.h"

using namespace kw_test;

namespace {

TRect BoundsOf(const TControl* C) { return {C->Left(), C->Top(), C->Width(), C->Height()}; }

// Text height fixed by the font's pixel height, so the arithmetic of the
// arrangement is what is looked at.
class FixedTextHeight {
 public:
  FixedTextHeight() {
    FOld = SetTextMeasurer([](const TFont& Font, const AnsiString& Text) {
      int h = Font.Height() < 0 ? -Font.Height() : Font.Height();
      return TTextExtent{static_cast<int>(Text.size()) * h / 2, h};
    });
  }
  ~FixedTextHeight() { SetTextMeasurer(FOld); }

 private:
  TTextMeasurer FOld;
};

class RadioTest : public ControlsTest {
 protected:
  TKwRadioButton* AddRadio(const char* Caption) {
    auto* b = new TKwRadioButton(Window());
    b->SetParent(Window());
    b->SetCaption(Caption);
    return b;
  }
  TKwRadioGroup* AddGroup(int Width, int Height, std::vector<AnsiString> Items, int Columns = 1) {
    auto* g = new TKwRadioGroup(Window());
    g->SetParent(Window());
    g->Font()->SetHeight(-12);
    g->SetBounds(10, 10, Width, Height);
    g->SetColumns(Columns);
    for (const AnsiString& s : Items) g->Items()->Add(s);
    return g;
  }
};

// A group that refuses changes, as a read-only data-aware one does.
class TLockedRadioGroup : public TKwRadioGroup {
  KW_DECLARE_CLASS(TLockedRadioGroup, TKwRadioGroup)
 public:
  using TKwRadioGroup::TKwRadioGroup;
  bool Locked = true;
  bool CanModify() const override { return !Locked; }
};

// ---- The radio button -----------------------------------------------------------

TEST_F(RadioTest, RadioButtonDefaults) {
  TKwRadioButton* b = AddRadio("x");
  EXPECT_EQ(b->Width(), 113);
  EXPECT_EQ(b->Height(), 17);
  EXPECT_EQ(b->Alignment(), taRightSide);
  EXPECT_FALSE(b->Checked());
  EXPECT_FALSE(b->TabStop());
}

TEST_F(RadioTest, CaptionIndentFollowsTheFontSize) {
  const std::pair<int, int> cases[] = {
      {1, 17},  {8, 17},  {9, 19},  {15, 19}, {16, 20}, {17, 20}, {18, 21}, {23, 21},
      {24, 23}, {29, 23}, {30, 25}, {35, 25}, {36, 27}, {41, 27}, {42, 29}, {43, 29},
      {44, 31}, {60, 31}, {61, 39}, {80, 39}, {81, 44}, {100, 44}, {0, 44}, {-9, 44},
  };
  for (auto [size, indent] : cases) EXPECT_EQ(TKwRadioButton::CaptionIndent(size), indent) << size;
}

// The first column, right of the system's circle, that holds a dark pixel
// of the (black) caption.
int FirstTextColumn(TKwRadioButton& b) {
  TBitmap picture(b.Width(), b.Height());
  PaintControlTree(b, *picture.Canvas(), 0, 0);
  for (int x = 14; x < b.Width(); ++x)
    for (int y = 0; y < b.Height(); ++y)
      if (int rgb = ColorToRGB(picture.Pixel(x, y)); (rgb & 0xFF) + ((rgb >> 8) & 0xFF) + ((rgb >> 16) & 0xFF) < 300)
        return x;
  return -1;
}

TEST_F(RadioTest, CaptionIsPaintedAtTheIndent) {
  struct Case {
    int Size;
    int Indent;
  };
  for (const Case& c : {Case{9, 19}, Case{20, 21}, Case{30, 25}}) {
    SCOPED_TRACE(c.Size);
    TKwRadioButton* b = AddRadio("HHH");
    b->SetBounds(0, 0, 200, 60);
    b->Font()->SetSize(c.Size);
    b->Font()->SetColor(clBlack);
    int first = FirstTextColumn(*b);
    EXPECT_GE(first, c.Indent) << "nothing of the system's text is left before the indent";
    EXPECT_LE(first, c.Indent + c.Size / 3 + 2) << "the caption starts at the indent";
  }
}

TEST_F(RadioTest, CheckingClearsOnlySiblingsOfTheSameFamily) {
  TKwRadioButton* a = AddRadio("a");
  TKwRadioButton* b = AddRadio("b");
  auto* plain = new TRadioButton(Window());
  plain->SetParent(Window());
  plain->SetChecked(true);
  auto* elsewhere = new TKwRadioButton(Window());  // another parent
  auto* panel = new TWinControl(Window());
  panel->SetParent(Window());
  elsewhere->SetParent(panel);
  elsewhere->SetChecked(true);

  TNotifyProbe clicks;
  b->OnClick = clicks.Event();
  a->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  EXPECT_TRUE(b->TabStop()) << "a checked button is a tab stop";
  EXPECT_FALSE(a->TabStop());
  EXPECT_TRUE(plain->Checked()) << "the platform's radio button keeps its state";
  EXPECT_TRUE(elsewhere->Checked());
  EXPECT_EQ(clicks.Calls, 1) << "checking clicks";

  b->SetChecked(false);
  EXPECT_EQ(clicks.Calls, 1) << "clearing does not";
  b->SetClicksDisabled(true);
  b->SetChecked(true);
  EXPECT_EQ(clicks.Calls, 1) << "nor checking while clicks are disabled";
  EXPECT_TRUE(b->Checked());

  a->ButtonClicked();  // a click on the window
  EXPECT_TRUE(a->Checked());
  EXPECT_FALSE(b->Checked());
}

TEST_F(RadioTest, AcceleratorFocusesTheButton) {
  TKwRadioButton* b = AddRadio("&Print");
  TKwRadioButton* other = AddRadio("P&&Q");
  EXPECT_EQ(b->Perform(CM_DIALOGCHAR, 'p'), 1);
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(other->Perform(CM_DIALOGCHAR, 'q'), 0) << "a doubled ampersand is no accelerator";
  EXPECT_EQ(b->Perform(CM_DIALOGCHAR, 'x'), 0);
}

// ---- The radio group --------------------------------------------------------------

TEST_F(RadioTest, GroupArrangesItsButtons) {
  FixedTextHeight fixed;
  struct Case {
    const char* Name;
    int Width, Height, Items, Columns, FontHeight;
    std::vector<TRect> Expected;  // left, top, width, height
  };
  const Case cases[] = {
      {"two columns of one", 200, 40, 2, 2, 12, {{8, 13, 95, 23}, {103, 13, 95, 23}}},
      {"one column of three", 185, 105, 3, 1, 12, {{8, 13, 175, 29}, {8, 42, 175, 29}, {8, 71, 175, 29}}},
      {"rest split above and below", 210, 100, 5, 2, 15,
       {{8, 17, 100, 26}, {8, 43, 100, 26}, {8, 69, 100, 26}, {108, 17, 100, 26}, {108, 43, 100, 26}}},
      {"more columns than items", 100, 40, 1, 3, 12, {{8, 13, 30, 23}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    auto* g = new TKwRadioGroup(Window());
    g->SetParent(Window());
    g->Font()->SetHeight(-c.FontHeight);
    g->SetBounds(0, 0, c.Width, c.Height);
    g->SetColumns(c.Columns);
    for (int i = 0; i < c.Items; ++i) g->Items()->Add("item " + std::to_string(i));
    ASSERT_EQ(g->ButtonCount(), c.Items);
    for (int i = 0; i < c.Items; ++i) {
      EXPECT_EQ(BoundsOf(g->Buttons(i)), c.Expected[static_cast<size_t>(i)]) << i;
      EXPECT_TRUE(g->Buttons(i)->Visible());
      EXPECT_EQ(g->Buttons(i)->Caption(), "item " + std::to_string(i));
      EXPECT_EQ(g->Buttons(i)->Parent(), g);
    }
    delete g;
  }
}

TEST_F(RadioTest, GroupRearrangesOnResizeFontAndColumns) {
  FixedTextHeight fixed;
  TKwRadioGroup* g = AddGroup(200, 40, {GB("打印"), "Fax/Email"}, 1);
  EXPECT_EQ(BoundsOf(g->Buttons(1)), (TRect{8, 24, 190, 11}));  // 23 split in two: 11, rest 1
  g->SetColumns(2);
  EXPECT_EQ(BoundsOf(g->Buttons(1)), (TRect{103, 13, 95, 23}));
  g->SetBounds(10, 10, 300, 60);
  EXPECT_EQ(BoundsOf(g->Buttons(1)), (TRect{153, 13, 145, 43}));
  g->Font()->SetHeight(-20);
  EXPECT_EQ(BoundsOf(g->Buttons(1)), (TRect{153, 21, 145, 35}));
}

TEST_F(RadioTest, ColumnsAreLimited) {
  TKwRadioGroup* g = AddGroup(200, 40, {"a"});
  for (auto [set, got] : {std::pair{0, 1}, {-3, 1}, {1, 1}, {16, 16}, {20, 16}, {7, 7}}) {
    g->SetColumns(set);
    EXPECT_EQ(g->Columns(), got) << set;
  }
}

TEST_F(RadioTest, ItemIndexSelectsOneButtonAndClicksTheGroup) {
  TKwRadioGroup* g = AddGroup(200, 80, {"a", "b", "c"});
  TNotifyProbe clicks;
  g->OnClick = clicks.Event();
  struct Case {
    int Set, Expected, Clicks;
  };
  const Case cases[] = {{1, 1, 1}, {1, 1, 1}, {5, 2, 2}, {-7, -1, 2}, {0, 0, 3}};
  for (const Case& c : cases) {
    g->SetItemIndex(c.Set);
    EXPECT_EQ(g->ItemIndex(), c.Expected) << c.Set;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(g->Buttons(i)->Checked(), i == c.Expected) << c.Set << " button " << i;
    EXPECT_EQ(clicks.Calls, c.Clicks) << c.Set;
  }
}

TEST_F(RadioTest, ButtonClicksChooseTheItem) {
  TKwRadioGroup* g = AddGroup(200, 80, {"a", "b", "c"});
  TNotifyProbe clicks;
  g->OnClick = clicks.Event();
  g->Buttons(2)->ButtonClicked();
  EXPECT_EQ(g->ItemIndex(), 2);
  EXPECT_EQ(clicks.Calls, 1);
  EXPECT_EQ(clicks.LastSender, g);
  g->Buttons(0)->ButtonClicked();
  EXPECT_EQ(g->ItemIndex(), 0);
  EXPECT_FALSE(g->Buttons(2)->Checked());

  // An error in the group's click goes to the application's error box, and
  // the next click is handled again.
  TNotifyProbe failing{[](TObject*) { throw Exception("cannot change now"); }};
  g->OnClick = failing.Event();
  ui.ExpectMessage("cannot change now").Answer(mrOk);
  g->Buttons(1)->ButtonClicked();
  ui.VerifyAllAnswered();
  g->OnClick = clicks.Event();
  g->Buttons(2)->ButtonClicked();
  EXPECT_EQ(g->ItemIndex(), 2);
  EXPECT_EQ(clicks.Calls, 3);
}

TEST_F(RadioTest, LockedGroupIgnoresClicksAndKeys) {
  auto* g = new TLockedRadioGroup(Window());
  g->SetParent(Window());
  g->Items()->Add("a");
  g->Items()->Add("b");
  g->SetItemIndex(0);
  g->Buttons(1)->ButtonClicked();
  EXPECT_EQ(g->ItemIndex(), 0);
  EXPECT_FALSE(g->Buttons(1)->Checked());

  // Keys reach the group; backspace and space go no further while locked.
  std::vector<char> groupKeys;
  struct TKeyLog {
    std::vector<char>* Keys;
    static void Call(void* Data, TObject*, char& Key) { static_cast<TKeyLog*>(Data)->Keys->push_back(Key); }
  } log{&groupKeys};
  g->OnKeyPress = TKeyPressEvent(&TKeyLog::Call, &log);
  auto press = [&](char Key) {
    TMessage m{WM_CHAR, static_cast<unsigned char>(Key), 0, 0};
    g->Buttons(1)->WindowProc()(m);
    return static_cast<char>(m.WParam);
  };
  EXPECT_EQ(press(' '), 0);
  EXPECT_EQ(press('\b'), 0);
  EXPECT_EQ(press('x'), 'x');
  EXPECT_EQ(groupKeys, (std::vector<char>{' ', '\b', 'x'}));
  g->Locked = false;
  EXPECT_EQ(press(' '), ' ');

  g->Locked = false;
  g->Buttons(1)->ButtonClicked();
  EXPECT_EQ(g->ItemIndex(), 1);
}

TEST_F(RadioTest, ChangingItemsRebuildsTheButtons) {
  TKwRadioGroup* g = AddGroup(200, 80, {"a", "b", "c"});
  g->SetItemIndex(2);
  TNotifyProbe clicks;
  g->OnClick = clicks.Event();
  g->Items()->Delete(2);
  EXPECT_EQ(g->ButtonCount(), 2);
  EXPECT_EQ(g->ItemIndex(), 1) << "limited to the last item";
  EXPECT_TRUE(g->Buttons(1)->Checked());
  EXPECT_EQ(clicks.Calls, 0) << "a rebuild selects without clicking";
  g->Items()->Add("d");
  EXPECT_EQ(g->ButtonCount(), 3);
  EXPECT_EQ(g->Buttons(2)->Caption(), "d");
  g->Items()->Clear();
  EXPECT_EQ(g->ButtonCount(), 0);
  EXPECT_EQ(g->ItemIndex(), -1);
  g->SetItemIndex(0);
  EXPECT_EQ(g->ItemIndex(), -1) << "nothing to select";
}

TEST_F(RadioTest, GroupPassesEnabledToItsButtons) {
  TKwRadioGroup* g = AddGroup(200, 80, {"a", "b"});
  g->SetEnabled(false);
  EXPECT_FALSE(g->Buttons(0)->Enabled());
  g->Items()->Add("c");
  EXPECT_FALSE(g->Buttons(2)->Enabled()) << "a new button takes the group's state";
  g->SetEnabled(true);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(g->Buttons(i)->Enabled());
  EXPECT_FALSE(g->Buttons(0)->ParentShowHint());
}

TEST_F(RadioTest, DescriptionsHoldTheItemsNotTheButtons) {
  TKwRadioGroup* g = AddGroup(200, 40, {GB("打印"), "Fax/Email"}, 2);
  g->SetName("rgpOutput");
  g->SetItemIndex(1);
  AnsiString text = ComponentToFormText(Window());
  EXPECT_EQ(text.find("TKwGroupButton"), AnsiString::npos) << text;

  std::unique_ptr<TLookupWindow> copy(CreateForm<TLookupWindow>(nullptr));
  ReadFormText(copy.get(), text);
  auto* back = ObjectAs<TKwRadioGroup>(copy->FindComponent("rgpOutput"));
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->ButtonCount(), 2);
  EXPECT_EQ(back->Buttons(0)->Caption(), GB("打印"));
  EXPECT_EQ(back->ItemIndex(), 1);
  EXPECT_TRUE(back->Buttons(1)->Checked());
  EXPECT_EQ(back->Columns(), 2);
  EXPECT_EQ(back->Buttons(1)->Left(), 103) << "arranged once reading ended";
}

}  // namespace
