// The selection panel: defaults, ordering the bounds on leaving, styles and
// the size exchange, layout with real text metrics, the list (rows, columns,
// duplicates, sorting), saved values, condition values, the buttons, focus,
// enabling and the form text.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/StringList.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/FormText.h"
#include "platform/vcl/Graphics.h"
#include "src/controls/F2Button.h"
#include "src/report/LibStrsSql.h"
#include "src/report/SelectPnl.h"
#include "src/report/SelectPnlParts.h"
#include "tests/vcl/ui_fixture.h"

using namespace kw_test;

namespace {

using Rows = std::vector<std::vector<AnsiString>>;

Rows RowsOf(const TSelectPanel& P) {
  Rows r;
  for (int i = 0; i < P.Items()->Count(); ++i) {
    TListItem* it = P.Items()->Item(i);
    std::vector<AnsiString> row{it->Caption()};
    for (int k = 0; k < it->SubItems()->Count(); ++k) row.push_back(it->SubItems()->Strings(k));
    r.push_back(row);
  }
  return r;
}

std::vector<AnsiString> CaptionsOf(const TSelectPanel& P) {
  std::vector<AnsiString> c;
  for (const auto& row : RowsOf(P)) c.push_back(row[0]);
  return c;
}

TTextExtent Measure(const TControl& C, const AnsiString& Text) { return MeasureText(*C.Font(), Text); }

struct TRect4 {
  int L, T, W, H;
  friend bool operator==(const TRect4&, const TRect4&) = default;
};
TRect4 BoundsOf(const TControl* C) { return {C->Left(), C->Top(), C->Width(), C->Height()}; }
std::ostream& operator<<(std::ostream& Os, const TRect4& R) {
  return Os << "(" << R.L << ", " << R.T << ", " << R.W << "x" << R.H << ")";
}

class SelectPanelTest : public UITest {
 protected:
  void SetUp() override {
    UITest::SetUp();
    SetBitmoraFolders({KW_BITMORA_DIR});
    form.reset(CreateForm<TForm>(nullptr));
    form->SetName("frmOption");
    form->SetBounds(0, 0, 644, 364);
    panel = new TSelectPanel(form.get());
    panel->SetName("splTC002");
    panel->SetParent(form.get());
    panel->SetCaption(GB("选择单号"));
    other = AddField(form.get(), "edtOther");
    other->SetTop(300);
  }
  void TearDown() override {
    form.reset();
    UITest::TearDown();
  }
  // Shows the form and puts the focus into the begin edit.
  void Enter() {
    form->Show();
    panel->edBegin()->SetFocus();
  }
  // Moves the focus from inside the panel to another field.
  void Leave() { other->SetFocus(); }

  std::unique_ptr<TForm> form;
  TSelectPanel* panel = nullptr;
  TFieldControl* other = nullptr;
};

// ---- Creation ----------------------------------------------------------------------

TEST_F(SelectPanelTest, ConstructorGivesTheDocumentedDefaults) {
  EXPECT_EQ(panel->Width(), 353);
  EXPECT_EQ(panel->Height(), 45);
  EXPECT_EQ(panel->Style(), sp_Range);
  EXPECT_TRUE(panel->UserChoice());
  EXPECT_EQ(panel->ValueType(), vt_String);
  EXPECT_EQ(panel->DateType(), dt_NoneCare);
  EXPECT_EQ(panel->DateSign(), "/");
  EXPECT_TRUE(panel->AutoChangeDateSite());
  EXPECT_EQ(panel->EditMask(), "");
  EXPECT_EQ(panel->Discard(), "");
  EXPECT_FALSE(panel->UseDiscard());
  EXPECT_EQ(panel->HintWord(), GB("区间选择"));
  EXPECT_EQ(panel->BeginWords()->Text(), GB("起") + "\r\n" + GB("起") + "\r\n");
  EXPECT_EQ(panel->FinalWords()->Text(), GB("止") + "\r\n" + GB("止") + "\r\n");
  EXPECT_TRUE(panel->CanOpenWin());
  EXPECT_EQ(panel->GlyphIndex(), 8);
  EXPECT_FALSE(panel->UseVertical());
  EXPECT_EQ(panel->OtherWidth(), 200);
  EXPECT_EQ(panel->OtherHeight(), 105);
  EXPECT_EQ(panel->CheckDuplicate(), cd_None);
  EXPECT_FALSE(panel->SortListBox());
  ASSERT_EQ(panel->Columns()->Count(), 1);
  EXPECT_EQ(panel->Columns()->Items(0)->Caption(), "Data");
  EXPECT_EQ(panel->ColumnCaptions()->Text(), "Data\r\n");
  EXPECT_TRUE(panel->ColumnsAutoSize());
  EXPECT_FALSE(panel->ShowColumnHeader());
  EXPECT_FALSE(panel->HideSelection());
  EXPECT_EQ(panel->Items()->Count(), 0);

  TQelListView* list = panel->ListBox();
  EXPECT_EQ(list->ViewStyle(), vsReport);
  EXPECT_TRUE(list->MultiSelect());
  EXPECT_TRUE(list->RowSelect());
  EXPECT_TRUE(list->ReadOnly());
  EXPECT_EQ(list->Cursor(), crHandPoint);

  EXPECT_EQ(panel->edBegin()->Height(), 24);
  EXPECT_EQ(panel->edBegin()->Text(), "");
  EXPECT_EQ(panel->StyleSwitch()->Caption(), GB("区间选择"));
  for (TGSpeedButton* b : {static_cast<TGSpeedButton*>(panel->BeginButton()),
                           static_cast<TGSpeedButton*>(panel->FinalButton()),
                           static_cast<TGSpeedButton*>(panel->ListButton()), panel->DeleteButton(),
                           panel->ClearButton()}) {
    EXPECT_TRUE(b->Flat());
    EXPECT_EQ(b->Width(), 23);
    EXPECT_EQ(b->Height(), 23);
  }
  EXPECT_EQ(panel->DeleteButton()->GlyphIndex(), 47);
  EXPECT_EQ(panel->DeleteButton()->NumGlyphs(), 1);
  EXPECT_EQ(panel->ClearButton()->GlyphIndex(), 4);
  EXPECT_EQ(panel->ClearButton()->NumGlyphs(), 2);

  // Range entry shows the range page only.
  EXPECT_FALSE(panel->StyleSwitch()->Visible());
  EXPECT_TRUE(panel->RangePage()->Visible());
  EXPECT_FALSE(panel->ListPage()->Visible());
}

TEST_F(SelectPanelTest, ChildHintsGoToTheNinePartsAndFewerLeaveTheRest) {
  const std::vector<TControl*> parts = {panel->StyleSwitch(), panel->edBegin(),     panel->BeginButton(),
                                        panel->edFinal(),     panel->FinalButton(), panel->ListBox(),
                                        panel->ListButton(),  panel->DeleteButton(), panel->ClearButton()};
  EXPECT_EQ(parts[0]->Hint(), GB("用户自定输入方式"));
  EXPECT_EQ(parts[5]->Hint(), GB("多选-己选择的信息"));
  EXPECT_EQ(parts[8]->Hint(), GB("多选-删除己选信息"));

  TStringList hints;
  hints.Add("switch");
  hints.Add("[F2]begin");
  panel->SetChildHints(&hints);
  EXPECT_EQ(parts[0]->Hint(), "switch");
  EXPECT_EQ(parts[1]->Hint(), "[F2]begin");
  EXPECT_EQ(parts[2]->Hint(), GB("区间选择-起始信息开窗")) << "a missing entry keeps the part's hint";
  EXPECT_EQ(panel->ChildHints()->Count(), 2);
}

// ---- Ordering the bounds on leaving ----------------------------------------------------

struct OrderCase {
  const char* Name;
  TValueType Type;
  TDateType DateType;
  const char* Begin;
  const char* End;
  const char* WantBegin;
  const char* WantEnd;
  bool UseDiscard = false;
  const char* Discard = "";
};

class OrderBoundsTest : public SelectPanelTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(OrderBoundsTest, LeavingThePanelPutsTheBoundsInOrder) {
  const OrderCase& c = GetParam();
  panel->SetValueType(c.Type);
  panel->SetDateType(c.DateType);
  panel->SetUseDiscard(c.UseDiscard);
  panel->SetDiscard(c.Discard);
  AnsiString seenBegin, seenEnd;
  struct TWatch {
    TSelectPanel* Panel;
    AnsiString* B;
    AnsiString* E;
    void Exit(TObject*) {
      *B = Panel->edBegin()->Text();
      *E = Panel->edFinal()->Text();
    }
  } watch{panel, &seenBegin, &seenEnd};
  panel->OnExit = Bind<&TWatch::Exit>(&watch);
  Enter();
  panel->edBegin()->SetText(c.Begin);
  panel->edFinal()->SetText(c.End);
  Leave();
  EXPECT_EQ(panel->edBegin()->Text(), c.WantBegin);
  EXPECT_EQ(panel->edFinal()->Text(), c.WantEnd);
  EXPECT_EQ(seenBegin, c.WantBegin) << "OnExit fires after the bounds were ordered";
  EXPECT_EQ(seenEnd, c.WantEnd);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OrderBoundsTest,
    ::testing::Values(
        OrderCase{"StringExchanged", vt_String, dt_NoneCare, "B", "A", "A", "B"},
        OrderCase{"StringIsCaseSensitive", vt_String, dt_NoneCare, "b", "B", "B", "b"},
        OrderCase{"StringTrimmedInOrder", vt_String, dt_NoneCare, " A ", "B  ", "A", "B"},
        OrderCase{"StringOneEmpty", vt_String, dt_NoneCare, "", "A", "", "A"},
        OrderCase{"TimeAsText", vt_Time, dt_NoneCare, "12:00", "09:30", "09:30", "12:00"},
        OrderCase{"NumberExchanged", vt_Number, dt_NoneCare, "10", "9", "9", "10"},
        OrderCase{"NumberNotByText", vt_Number, dt_NoneCare, "9", "10", "9", "10"},
        OrderCase{"NumberTextCountsZero", vt_Number, dt_NoneCare, "x", "5", "x", "5"},
        OrderCase{"NumberEndTextIsZero", vt_Number, dt_NoneCare, "5", "x", "x", "5"},
        OrderCase{"OtherMaskNever", vt_OtherMask, dt_NoneCare, "B", "A", "B", "A"},
        OrderCase{"FloatExchanged", vt_Float, dt_NoneCare, "10.5", "9.75", "9.75", "10.5"},
        OrderCase{"FloatFractionKeepsItsZero", vt_Float, dt_NoneCare, "1.5", "1.05", "1.05", "1.5"},
        OrderCase{"FloatTextRewritten", vt_Float, dt_NoneCare, "abc", "2.5", "0", "2.5"},
        OrderCase{"FloatNegative", vt_Float, dt_NoneCare, "-0.5", "-1.25", "-1.25", "-0.5"},
        OrderCase{"DateFullExchanged", vt_Date, dt_YYYYMMDD, "2024/03/05", "2024/01/01", "2024/01/01",
                  "2024/03/05"},
        OrderCase{"DateMonthIsFirstDay", vt_Date, dt_YYYYMMDD, "2024/03", "2024/02/29", "2024/02/29",
                  "2024/03"},
        OrderCase{"DateMonthEqualsFirstDay", vt_Date, dt_YYYYMMDD, "2024/03", "2024/03/01", "2024/03",
                  "2024/03/01"},
        OrderCase{"DateMinguoTwoDigits", vt_Date, dt_YYMMDD, "113/03/05", "112/12/31", "112/12/31",
                  "113/03/05"},
        OrderCase{"DateMinguoThreeDigits", vt_Date, dt_YYYMMDD, "100/01/01", "099/12/31", "099/12/31",
                  "100/01/01"},
        OrderCase{"DateMonthDayYear", vt_Date, dt_MMDDYYYY, "03/2024", "02/15/2024", "02/15/2024",
                  "03/2024"},
        OrderCase{"DateDayMonthYear", vt_Date, dt_DDMMYYYY, "03/2024", "15/02/2024", "15/02/2024",
                  "03/2024"},
        OrderCase{"DateUnreadableBeginStays", vt_Date, dt_YYYYMMDD, "abc", "2024/01/01", "abc",
                  "2024/01/01"},
        OrderCase{"DateImpossibleEndMovesFirst", vt_Date, dt_YYYYMMDD, "2024/01/01", "2024/02/30",
                  "2024/02/30", "2024/01/01"},
        OrderCase{"DateThreeSignsUnreadable", vt_Date, dt_YYYYMMDD, "2024/01/01", "2024/01/01/01",
                  "2024/01/01/01", "2024/01/01"},
        OrderCase{"DateNoneCareByText", vt_Date, dt_NoneCare, "20240305", "20240101", "20240101",
                  "20240305"},
        OrderCase{"DateDiscardBlocks", vt_Date, dt_YYYYMMDD, "2024/03/05", "-", "2024/03/05", "-", true,
                  " - "},
        OrderCase{"StringDiscardBlocks", vt_String, dt_NoneCare, "-", "+", "-", "+", true, "-"},
        OrderCase{"StringDiscardOffExchanges", vt_String, dt_NoneCare, "-", "+", "+", "-", false, "-"}),
    [](const ::testing::TestParamInfo<OrderCase>& I) { return std::string(I.param.Name); });

TEST_F(SelectPanelTest, DatesAreNotReorderedWithAutoChangeOff) {
  panel->SetValueType(vt_Date);
  panel->SetDateType(dt_YYYYMMDD);
  panel->SetAutoChangeDateSite(false);
  panel->edBegin()->SetText("2024/03/05");
  panel->edFinal()->SetText("2024/01/01");
  EXPECT_FALSE(panel->OrderBounds());
  EXPECT_EQ(panel->edBegin()->Text(), "2024/03/05");
}

TEST_F(SelectPanelTest, ReadingDateBounds) {
  struct Case {
    TDateType Type;
    const char* Sign;
    const char* Text;
    int Y, M, D;  // 0: no date
  };
  const Case cases[] = {
      {dt_YYYYMMDD, "/", "2024/03/05", 2024, 3, 5}, {dt_YYYYMMDD, "/", " 2024/03 ", 2024, 3, 1},
      {dt_MMDDYYYY, "/", "03/2024", 2024, 3, 1},    {dt_DDMMYYYY, "/", "05/03/2024", 2024, 3, 5},
      {dt_DDMMYYYY, "/", "03/2024", 2024, 3, 1},    {dt_YYMMDD, "/", "113/03/05", 2024, 3, 5},
      {dt_YYYMMDD, "-", "089-07-01", 2000, 7, 1},   {dt_YYYYMMDD, "-", "2024/03/05", 0, 0, 0},
      {dt_YYYYMMDD, "/", "2024//05", 0, 0, 0},      {dt_YYYYMMDD, "/", "2024/0x/05", 0, 0, 0},
      {dt_YYYYMMDD, "/", "2023/02/29", 0, 0, 0},    {dt_YYYYMMDD, "/", "", 0, 0, 0},
      {dt_NoneCare, "/", "2024/03/05", 0, 0, 0},
  };
  for (const Case& c : cases) {
    panel->SetDateType(c.Type);
    panel->SetDateSign(c.Sign);
    const double want = c.Y ? EncodeDate(c.Y, c.M, c.D).Value : 0.0;
    EXPECT_EQ(panel->ReadDateBound(c.Text).Value, want) << c.Text << " type " << c.Type;
  }
}

TEST_F(SelectPanelTest, MaskedDatesCompareAsDatesAndBlankBoundsStay) {
  panel->SetValueType(vt_Date);
  panel->SetDateType(dt_YYYYMMDD);
  panel->SetEditMask("9999/99/99;1; ");
  EXPECT_EQ(panel->BlankMaskText(), "    /  /  ");
  panel->edBegin()->SetText("20240305");
  panel->edFinal()->SetText("20240101");
  EXPECT_TRUE(panel->OrderBounds());
  EXPECT_EQ(panel->edBegin()->Text(), "2024/01/01");
  EXPECT_EQ(panel->edFinal()->Text(), "2024/03/05");

  panel->edBegin()->SetText("20250101");
  panel->edFinal()->SetText("");
  EXPECT_FALSE(panel->OrderBounds()) << "an empty end under the mask is the blank text";
  EXPECT_EQ(panel->edBegin()->Text(), "2025/01/01");
  EXPECT_EQ(panel->ReadDateBound(panel->edFinal()->Text()).Value, 0.0);
}

TEST_F(SelectPanelTest, AMaskStartingWithBangKeepsTheBlanks) {
  // Without the "!" the texts are trimmed first and " B" < "A" never shows.
  struct Case {
    const char* Mask;
    const char* Begin;
    const char* End;
    const char* WantBegin;
  };
  const Case cases[] = {{"!cccc;0; ", "  B", "A", "  B"}, {"cccc;0; ", "  B", "A", "A"}};
  for (const Case& c : cases) {
    panel->SetEditMask(c.Mask);
    panel->edBegin()->SetText(c.Begin);
    panel->edFinal()->SetText(c.End);
    panel->OrderBounds();
    EXPECT_EQ(TrimRight(panel->edBegin()->Text()), c.WantBegin) << c.Mask;
  }
}

TEST_F(SelectPanelTest, SettingTheEditMaskKeepsTheBeginTextQuietly) {
  int changes = 0;
  struct TCount {
    int* N;
    void Changed(TObject*) { ++*N; }
  } count{&changes};
  panel->edBegin()->SetText("20240305");
  panel->edBegin()->OnChange = Bind<&TCount::Changed>(&count);
  panel->SetEditMask("9999/99/99;1; ");
  EXPECT_EQ(changes, 0) << "the begin edit's change event is held back";
  EXPECT_EQ(panel->edBegin()->Text(), "2024/03/05");
  EXPECT_EQ(panel->edFinal()->EditMask(), "9999/99/99;1; ");
  EXPECT_EQ(panel->BlankMaskText(), "    /  /  ");
  EXPECT_FALSE(panel->edBegin()->SuppressChange());
  panel->edBegin()->SetText("20240306");
  EXPECT_EQ(changes, 1) << "changes after the mask is set fire again";
}

// ---- Styles -------------------------------------------------------------------------------

struct StyleCase {
  TSelectStyle From, To;
  bool Vertical;
  int WantW, WantH, WantOtherW, WantOtherH;
};

TEST_F(SelectPanelTest, StyleChangesExchangeTheSizeOnlyFromOrToRange) {
  const StyleCase cases[] = {
      {sp_Range, sp_Discrete, false, 200, 105, 353, 45},
      {sp_Range, sp_UserChoice, false, 200, 105, 353, 45},
      {sp_Range, sp_Discrete, true, 353, 45, 200, 105},
  };
  for (const StyleCase& c : cases) {
    auto* p = new TSelectPanel(form.get());
    p->SetParent(form.get());
    p->SetUseVertical(c.Vertical);
    p->SetStyle(c.To);
    EXPECT_EQ(BoundsOf(p), (TRect4{0, 0, c.WantW, c.WantH})) << c.To << " vertical " << c.Vertical;
    EXPECT_EQ(p->OtherWidth(), c.WantOtherW);
    EXPECT_EQ(p->OtherHeight(), c.WantOtherH);
    delete p;
  }
  // Between the two list-capable styles nothing is exchanged; back to range
  // the sizes swap again.
  panel->SetStyle(sp_Discrete);
  panel->SetStyle(sp_UserChoice);
  EXPECT_EQ(panel->Width(), 200);
  panel->SetStyle(sp_Range);
  EXPECT_EQ(BoundsOf(panel), (TRect4{0, 0, 353, 45}));
  EXPECT_EQ(panel->OtherWidth(), 200);
}

TEST_F(SelectPanelTest, StyleChangingMayRefuseAndChangeReportsBothStyles) {
  struct TLog {
    std::vector<AnsiString> Lines;
    bool Accept = true;
    void Changing(TObject*, TSelectStyle Now, TSelectStyle New, bool& A) {
      Lines.push_back("changing " + std::to_string(Now) + "->" + std::to_string(New));
      A = Accept;
    }
    void Change(TObject*, TSelectStyle Old, TSelectStyle New) {
      Lines.push_back("change " + std::to_string(Old) + "->" + std::to_string(New));
    }
  } log;
  panel->OnStyleChanging = Bind<&TLog::Changing>(&log);
  panel->OnStyleChange = Bind<&TLog::Change>(&log);
  log.Accept = false;
  panel->SetStyle(sp_Discrete);
  EXPECT_EQ(panel->Style(), sp_Range);
  EXPECT_EQ(panel->Width(), 353) << "a refused change does nothing";
  log.Accept = true;
  panel->SetStyle(sp_Discrete);
  EXPECT_EQ(panel->Style(), sp_Discrete);
  EXPECT_EQ(log.Lines, (std::vector<AnsiString>{"changing 0->1", "changing 0->1", "change 0->1"}));
  EXPECT_FALSE(panel->RangePage()->Visible());
  EXPECT_TRUE(panel->ListPage()->Visible());
}

TEST_F(SelectPanelTest, NoSizeExchangeWhileLoading) {
  for (TComponent* loading : {static_cast<TComponent*>(panel), static_cast<TComponent*>(form.get())}) {
    loading->SetComponentStateFlag(csLoading, true);
    panel->SetStyle(sp_Discrete);
    EXPECT_EQ(panel->Width(), 353) << loading->Name();
    EXPECT_EQ(panel->OtherWidth(), 200);
    panel->SetStyle(sp_Range);
    loading->SetComponentStateFlag(csLoading, false);
  }
}

TEST_F(SelectPanelTest, UserChoiceSwitchChoosesThePage) {
  struct TClicks {
    int N = 0;
    void Typed(TObject*) { ++N; }
  } clicks;
  panel->OnTypeClick = Bind<&TClicks::Typed>(&clicks);
  panel->SetStyle(sp_UserChoice);
  EXPECT_TRUE(panel->StyleSwitch()->Visible());
  panel->SetUserChoice(false);
  EXPECT_EQ(clicks.N, 0) << "setting UserChoice from code is not a click";
  EXPECT_FALSE(panel->IsRangeEntry());
  EXPECT_TRUE(panel->ListPage()->Visible());
  EXPECT_FALSE(panel->RangePage()->Visible());

  panel->StyleSwitch()->Toggle();  // what a click on the box does
  EXPECT_EQ(clicks.N, 1);
  EXPECT_TRUE(panel->UserChoice());
  EXPECT_TRUE(panel->IsRangeEntry());
  EXPECT_TRUE(panel->RangePage()->Visible());
  EXPECT_FALSE(panel->ListPage()->Visible());
}

TEST_F(SelectPanelTest, UserChoiceAndUseVerticalOnlyCountInTheirStyles) {
  panel->SetUserChoice(false);
  EXPECT_TRUE(panel->UserChoice()) << "ignored outside sp_UserChoice";
  EXPECT_TRUE(panel->IsRangeEntry());
  panel->SetStyle(sp_Discrete);
  panel->SetUseVertical(true);
  EXPECT_FALSE(panel->UseVertical()) << "changes only in sp_Range";
  panel->SetStyle(sp_Range);
  panel->SetUseVertical(true);
  EXPECT_TRUE(panel->UseVertical());
}

// ---- Layout with real text metrics ----------------------------------------------------

TEST_F(SelectPanelTest, HorizontalRangeLayout) {
  panel->SetBounds(10, 20, 353, 45);
  const int capH = Measure(*panel, panel->Caption()).Height;
  const int hintW = Measure(*panel, panel->HintWord()).Width;
  ASSERT_GT(capH, 0);
  EXPECT_EQ(panel->StyleSwitch()->Width(), hintW + 24);
  EXPECT_EQ(panel->StyleSwitch()->Height(), Measure(*panel, panel->HintWord()).Height + 2);

  const TRect4 page{2, capH + 3, 353 - 6, 45 - (capH + 3) - 4};
  EXPECT_EQ(BoundsOf(panel->RangePage()), page);
  EXPECT_EQ(BoundsOf(panel->ListPage()), page);

  const TLabel* bl = panel->BeginLabel();
  const TLabel* fl = panel->FinalLabel();
  EXPECT_EQ(bl->Caption(), GB("起"));
  EXPECT_EQ(bl->Width(), Measure(*panel, GB("起")).Width) << "labels size themselves to their text";
  const int ew = (page.W - 2 - bl->Width() - 23 - 23 - fl->Width() - 8) / 2;
  const int editTop = (page.H - 24) / 2;
  const int btnTop = (page.H - 23) / 2;
  EXPECT_EQ(BoundsOf(bl), (TRect4{2, (page.H - bl->Height()) / 2, bl->Width(), bl->Height()}));
  const int beginEditLeft = 2 + bl->Width() + 1;
  EXPECT_EQ(BoundsOf(panel->edBegin()), (TRect4{beginEditLeft, editTop, ew, 24}));
  const int beginBtnLeft = beginEditLeft + ew + 2;
  EXPECT_EQ(BoundsOf(panel->BeginButton()), (TRect4{beginBtnLeft, btnTop, 23, 23}));
  const int finalLabelLeft = beginBtnLeft + 23 + 2;
  EXPECT_EQ(fl->Left(), finalLabelLeft);
  const int finalEditLeft = finalLabelLeft + fl->Width() + 2;
  EXPECT_EQ(BoundsOf(panel->edFinal()), (TRect4{finalEditLeft, editTop, ew, 24}));
  EXPECT_EQ(BoundsOf(panel->FinalButton()), (TRect4{finalEditLeft + ew + 2, btnTop, 23, 23}));

  // Without lookup buttons the edits share the room of the buttons.
  panel->SetCanOpenWin(false);
  EXPECT_FALSE(panel->BeginButton()->Visible());
  EXPECT_FALSE(panel->ListButton()->Visible());
  const int ew2 = (page.W - 2 - bl->Width() - fl->Width() - 4) / 2;
  EXPECT_EQ(panel->edBegin()->Width(), ew2);
  EXPECT_EQ(fl->Left(), beginEditLeft + ew2 + 4);
  EXPECT_EQ(panel->edFinal()->Left(), fl->Left() + fl->Width() + 2);
}

TEST_F(SelectPanelTest, VerticalRangeLayoutAndUserChoiceLayout) {
  TStringList words;
  words.Add("From");
  words.Add(GB("起始"));
  panel->SetBeginWords(&words);
  panel->SetUseVertical(true);
  panel->SetBounds(0, 0, 260, 80);
  const int capH = Measure(*panel, panel->Caption()).Height;
  const TLabel* bl = panel->BeginLabel();
  EXPECT_EQ(bl->Caption(), GB("起始")) << "the vertical layout shows entry 1";
  const TRect4 page{2, capH + 3, 260 - 6, 80 - (capH + 3) - 4};
  EXPECT_EQ(BoundsOf(panel->RangePage()), page);
  const int gap = (page.H - 24 - 24) / 3;
  EXPECT_EQ(bl->Left(), 2);
  EXPECT_EQ(bl->Top(), gap);
  const int editLeft = 2 + bl->Width() + 2;
  const int editWidth = page.W - editLeft - 23 - 4;
  EXPECT_EQ(BoundsOf(panel->edBegin()), (TRect4{editLeft, gap, editWidth, 24}));
  EXPECT_EQ(BoundsOf(panel->BeginButton()), (TRect4{editLeft + editWidth + 1, gap, 23, 23}));
  const int endTop = gap + gap + 24;
  EXPECT_EQ(BoundsOf(panel->FinalLabel()).T, endTop);
  EXPECT_EQ(panel->FinalLabel()->Left(), 2);
  EXPECT_EQ(BoundsOf(panel->edFinal()), (TRect4{editLeft, endTop, editWidth, 24}));
  EXPECT_EQ(BoundsOf(panel->FinalButton()), (TRect4{editLeft + editWidth + 1, endTop, 23, 23}));

  // sp_UserChoice: the switch above the pages, both layouts done.
  panel->SetUseVertical(false);
  panel->SetStyle(sp_UserChoice);  // exchanges to 200 x 105
  ASSERT_EQ(panel->Width(), 200);
  const int hintH = Measure(*panel, panel->HintWord()).Height;
  EXPECT_EQ(panel->StyleSwitch()->Left(), 16);
  EXPECT_EQ(panel->StyleSwitch()->Top(), capH + 1);
  const int pageTop = capH + 1 + hintH + 2;
  const TRect4 ucPage{2, pageTop, 200 - 6, 105 - pageTop - 4};
  EXPECT_EQ(BoundsOf(panel->RangePage()), ucPage);
  EXPECT_EQ(BoundsOf(panel->ListPage()), ucPage);
  EXPECT_EQ(panel->edBegin()->Top(), (ucPage.H - 48) / 3);
  const int listWidth = ucPage.W - 0 - 23 - 3;
  EXPECT_EQ(BoundsOf(panel->ListBox()), (TRect4{0, 0, listWidth, ucPage.H}));
  EXPECT_EQ(BoundsOf(panel->ListButton()), (TRect4{listWidth + 2, 0, 23, 23}));
  EXPECT_EQ(BoundsOf(panel->DeleteButton()), (TRect4{listWidth + 2, 23, 23, 23}));
  EXPECT_EQ(BoundsOf(panel->ClearButton()), (TRect4{listWidth + 2, 46, 23, 23}));
}

TEST_F(SelectPanelTest, LayoutFollowsFontHintWordAndWordLists) {
  const int before = panel->StyleSwitch()->Width();
  panel->SetHintWord(GB("区间选择（范围）"));
  EXPECT_EQ(panel->StyleSwitch()->Caption(), GB("区间选择（范围）"));
  EXPECT_EQ(panel->StyleSwitch()->Width(), Measure(*panel, panel->HintWord()).Width + 24);
  EXPECT_GT(panel->StyleSwitch()->Width(), before);

  const int pageTop = panel->RangePage()->Top();
  panel->Font()->SetHeight(24);
  EXPECT_EQ(panel->RangePage()->Top(), Measure(*panel, panel->Caption()).Height + 3);
  EXPECT_GT(panel->RangePage()->Top(), pageTop) << "a bigger font moves the pages down";

  // Editing a word list in place lays the panel out again; extra entries go.
  const int editLeft = panel->edBegin()->Left();
  panel->BeginWords()->SetStrings(0, GB("起始编号"));
  EXPECT_EQ(panel->BeginLabel()->Caption(), GB("起始编号"));
  EXPECT_GT(panel->edBegin()->Left(), editLeft);
  panel->FinalWords()->Add("third");
  EXPECT_EQ(panel->FinalWords()->Count(), 2);
  TStringList one;
  one.Add("to");
  panel->SetFinalWords(&one);
  EXPECT_EQ(panel->FinalLabel()->Caption(), "to");
  panel->SetStyle(sp_UserChoice);
  EXPECT_EQ(panel->FinalLabel()->Caption(), "to") << "a single entry serves every layout";
}

// ---- The list ------------------------------------------------------------------------

TEST_F(SelectPanelTest, AddingRowsGrowsColumnsAndPadsRows) {
  TQelListView* list = panel->ListBox();
  EXPECT_TRUE(list->AddRow({"A"}));
  EXPECT_TRUE(list->AddRow({"B", "b1", "b2"}));
  EXPECT_EQ(panel->ColumnCaptions()->Text(), "Data\r\nData2\r\nData3\r\n");
  EXPECT_EQ(RowsOf(*panel), (Rows{{"A", "", ""}, {"B", "b1", "b2"}}));
  EXPECT_FALSE(list->AddRow({})) << "a row needs at least its text";

  // Never more sub items than columns - 1: a caption list caps the columns
  // only until a longer row comes.
  TStringList caps;
  caps.Add("Code");
  caps.Add("Name");
  panel->SetColumnCaptions(&caps);
  EXPECT_EQ(panel->Columns()->Count(), 2);
  EXPECT_TRUE(panel->Columns()->Items(1)->AutoSize());
  EXPECT_TRUE(list->AddRow({"C", "c1", "c2", "c3"}));
  EXPECT_EQ(panel->ColumnCaptions()->Text(), "Code\r\nName\r\nData3\r\nData4\r\n");
  EXPECT_EQ(RowsOf(*panel).back(), (std::vector<AnsiString>{"C", "c1", "c2", "c3"}));
  EXPECT_EQ(RowsOf(*panel)[0], (std::vector<AnsiString>{"A", "", "", ""}));
}

TEST_F(SelectPanelTest, ItemChangingMayRefuseARow) {
  struct TGate {
    bool Allow = false;
    int Changed = 0;
    void Changing(TObject*, TListItem*, TItemChangeKind, bool& A) { A = Allow; }
    void Change(TObject*, TListItem* Item, TItemChangeKind K) { Changed += Item && K == ickText; }
  } gate;
  panel->OnItemChanging = Bind<&TGate::Changing>(&gate);
  panel->OnItemChange = Bind<&TGate::Change>(&gate);
  EXPECT_FALSE(panel->ListBox()->AddRow({"A"}));
  EXPECT_EQ(panel->Items()->Count(), 0);
  gate.Allow = true;
  EXPECT_TRUE(panel->ListBox()->AddRow({"A"}));
  EXPECT_EQ(gate.Changed, 1);
}

TEST_F(SelectPanelTest, ColumnsAreSizedToTheirLongestText) {
  TQelListView* list = panel->ListBox();
  const int w = Measure(*list, "W").Width;
  ASSERT_GT(w, 0);
  list->AddRow({"AB", "x"});
  list->AddRow({"ABCDEF", GB("中文")});
  EXPECT_EQ(panel->Columns()->Items(0)->Width(), 6 * w);
  EXPECT_EQ(panel->Columns()->Items(1)->Width(), 5 * w) << "\"Data2\" is longer than the texts";
  panel->SetColumnsAutoSize(false);
  list->AddRow({"ABCDEFGHIJ"});
  EXPECT_EQ(panel->Columns()->Items(0)->Width(), 6 * w);
}

TEST_F(SelectPanelTest, DuplicatesAndSorting) {
  struct Case {
    TCheckDuplicate Mode;
    bool Sort;
    std::vector<AnsiString> Added;
    std::vector<AnsiString> Want;
  };
  const Case cases[] = {
      {cd_None, false, {"b", "A", "a", "A"}, {"b", "A", "a", "A"}},
      {cd_None, true, {"b", "C", "a"}, {"a", "b", "C"}},
      // Exact duplicates meet even with a case variant in between.
      {cd_CheckCase, false, {"A", "a", "B", "A"}, {"A", "a", "B"}},
      {cd_CaseInsensitive, false, {"A", "a", "B"}, {"A", "B"}},
      {cd_CaseInsensitive, false, {"B", "a", "b", "A", "c"}, {"A", "B", "c"}},
  };
  for (const Case& c : cases) {
    auto* p = new TSelectPanel(form.get());
    p->SetCheckDuplicate(c.Mode);
    if (c.Sort) p->SetSortListBox(true);
    EXPECT_EQ(p->SortListBox(), c.Sort || c.Mode != cd_None);
    for (const AnsiString& a : c.Added) EXPECT_TRUE(p->ListBox()->AddRow({a}));
    EXPECT_EQ(CaptionsOf(*p), c.Want) << "mode " << c.Mode;
    delete p;
  }
}

TEST_F(SelectPanelTest, SettingCheckDuplicateCleansTheListOutsideRangeEntry) {
  panel->SetStyle(sp_Discrete);
  for (const char* s : {"B", "A", "B", "a"}) panel->ListBox()->AddRow({s});
  panel->SetCheckDuplicate(cd_CaseInsensitive);
  EXPECT_TRUE(panel->SortListBox());
  EXPECT_EQ(CaptionsOf(*panel), (std::vector<AnsiString>{"A", "B"}));

  auto* range = new TSelectPanel(form.get());
  for (const char* s : {"B", "B"}) range->ListBox()->AddRow({s});
  range->SetCheckDuplicate(cd_CheckCase);
  EXPECT_EQ(CaptionsOf(*range), (std::vector<AnsiString>{"B", "B"})) << "range entry: left alone";
  delete range;
}

TEST_F(SelectPanelTest, SortingByColumnsBreaksTiesByTheOtherColumns) {
  TQelListView* list = panel->ListBox();
  for (const auto& r : Rows{{"b", "2", "x"}, {"a", "2", "x"}, {"c", "1", "x"}, {"a", "1", "y"}})
    list->AddRow(r);
  struct Case {
    int Click;
    std::vector<AnsiString> Want;  // row text + column 1
  };
  const Case cases[] = {
      {2, {"a1", "a2", "b2", "c1"}},  // "x" ties: by row text, then column 1; "y" last
      {1, {"a1", "c1", "a2", "b2"}},  // column 1, ties by row text
      {1, {"b2", "a2", "c1", "a1"}},  // same column again: the whole order reversed
      {0, {"a1", "a2", "b2", "c1"}},  // row text, ties by column 1
  };
  for (const Case& c : cases) {
    list->ColumnClick(panel->Columns()->Items(c.Click));
    std::vector<AnsiString> got;
    for (const auto& r : RowsOf(*panel)) got.push_back(r[0] + r[1]);
    if (c.Click == 2) {
      EXPECT_EQ(got.back(), "a1") << "\"y\" sorts after \"x\"";
      got.pop_back();
      EXPECT_EQ(got, (std::vector<AnsiString>{"a2", "b2", "c1"}));
    } else {
      EXPECT_EQ(got, c.Want) << "click on column " << c.Click;
    }
  }
  EXPECT_EQ(list->SortColumn(), 0);
  EXPECT_TRUE(list->SortAscending());
}

TEST_F(SelectPanelTest, SortingIgnoresCaseAndKeepsSelectionWithItsRow) {
  TQelListView* list = panel->ListBox();
  for (const char* s : {"b", "C", "a"}) list->AddRow({s});
  list->Items()->Item(0)->SetSelected(true);  // "b"
  int selectEvents = 0;
  struct TCount {
    int* N;
    void Selected(TObject*, TListItem*, int, bool) { ++*N; }
  } count{&selectEvents};
  panel->OnItemSelect = Bind<&TCount::Selected>(&count);
  panel->SetSortListBox(true);
  EXPECT_EQ(CaptionsOf(*panel), (std::vector<AnsiString>{"a", "b", "C"}));
  EXPECT_TRUE(list->Items()->Item(1)->Selected());
  EXPECT_FALSE(list->Items()->Item(0)->Selected());
  EXPECT_EQ(selectEvents, 0) << "the sort moves selections without selection events";
}

TEST_F(SelectPanelTest, ItemSelectReportsTheRowIndex) {
  struct TSel {
    std::vector<AnsiString> Log;
    void Selected(TObject* S, TListItem* I, int Index, bool On) {
      Log.push_back(I->Caption() + ":" + std::to_string(Index) + (On ? "+" : "-"));
    }
  } sel;
  panel->OnItemSelect = Bind<&TSel::Selected>(&sel);
  for (const char* s : {"A", "B"}) panel->ListBox()->AddRow({s});
  panel->Items()->Item(1)->SetSelected(true);
  panel->Items()->Item(1)->SetSelected(false);
  EXPECT_EQ(sel.Log, (std::vector<AnsiString>{"B:1+", "B:1-"}));
}

// ---- Saved value --------------------------------------------------------------------

TEST_F(SelectPanelTest, SavedValuesRoundTrip) {
  const AnsiString F(1, '\x03'), R(1, '\x04'), C(1, '\x01');
  struct Case {
    TSelectStyle Style;
    bool Switch;
    Rows List;
    AnsiString Want;
  };
  const Case cases[] = {
      {sp_Range, true, {}, "sp_Range" + F + "A01" + F + "B02"},
      {sp_Discrete, true, {{"0001"}, {"0002"}}, "sp_Discrete" + F + "0001" + R + "0002" + R},
      {sp_Discrete, true, {{"X", "x1", "x2"}, {"Y", "", "y2"}},
       "sp_Discrete" + F + "X" + C + "x1" + C + "x2" + R + "Y" + C + C + "y2" + R},
      {sp_Discrete, true, {}, "sp_Discrete" + F},
      {sp_UserChoice, true, {}, "sp_UserChoice" + F + "True" + F + "A01" + F + "B02"},
      {sp_UserChoice, false, {{GB("资产")}}, "sp_UserChoice" + F + "False" + F + GB("资产") + R},
  };
  for (const Case& c : cases) {
    auto* src = new TSelectPanel(form.get());
    src->SetStyle(c.Style);
    src->SetUserChoice(c.Switch);
    src->edBegin()->SetText("A01");
    src->edFinal()->SetText("B02");
    for (const auto& r : c.List) src->ListBox()->AddRow(r);
    const AnsiString saved = src->SaveValue();
    EXPECT_EQ(saved, c.Want);

    auto* dst = new TSelectPanel(form.get());
    dst->SetStyle(c.Style);
    dst->SetUserChoice(!c.Switch);
    dst->ListBox()->AddRow({"old"});
    dst->LoadValue(saved);
    EXPECT_EQ(dst->SaveValue(), saved);
    if (c.Style != sp_Range && !(c.Style == sp_UserChoice && c.Switch)) EXPECT_EQ(RowsOf(*dst), c.List);
    delete src;
    delete dst;
  }
}

TEST_F(SelectPanelTest, LoadingSkipsEmptyRowsAndKeepsTheStyle) {
  const AnsiString F(1, '\x03'), R(1, '\x04');
  panel->LoadValue("sp_Discrete" + F + "A" + R + R + "B" + R);
  EXPECT_EQ(CaptionsOf(*panel), (std::vector<AnsiString>{"A", "B"}));
  EXPECT_EQ(panel->Style(), sp_Range) << "the saved style fills the parts; the panel keeps its own";
  panel->LoadValue("sp_Range" + F + "X");
  EXPECT_EQ(panel->edBegin()->Text(), "X");
  EXPECT_EQ(panel->edFinal()->Text(), "");
}

TEST_F(SelectPanelTest, MalformedSavedListsRaiseAndLeaveTheListAlone) {
  const AnsiString F(1, '\x03'), R(1, '\x04');
  panel->SetStyle(sp_UserChoice);
  const AnsiString bad[] = {
      "sp_Discrete",                              // no rows field at all
      "sp_Discrete" + F + "A" + R + "B",          // last row not closed
      "sp_Discrete" + F + "A" + R + F + "B" + R,  // a field separator inside the rows
      "sp_UserChoice" + F + "False" + F + "A" + R + F + "B" + R,
      "sp_UserChoice" + F + "False" + F + "A",
  };
  for (const AnsiString& v : bad) {
    panel->Items()->Clear();
    panel->ListBox()->AddRow({"keep"});
    try {
      panel->LoadValue(v);
      ADD_FAILURE() << "no error for a malformed value";
    } catch (const Exception& E) {
      EXPECT_EQ(E.Message, "parse spSaveValue error");
    }
    EXPECT_EQ(CaptionsOf(*panel), (std::vector<AnsiString>{"keep"}));
  }
}

// ---- Condition value ------------------------------------------------------------------

TEST_F(SelectPanelTest, ConditionValuesAreMarkedRangesOrLists) {
  panel->edBegin()->SetText("0001");
  panel->edFinal()->SetText("0009");
  Variant v = panel->ConditionValue();
  ASSERT_TRUE(VarIsArray(v));
  EXPECT_EQ(VarArrayHighBound(v, 1), 2);
  EXPECT_EQ(VarToStr(v[0]), AnsiString(1, '\x04'));
  AnsiString where = " WHERE 1=1 ";
  AddCondition(where, "TC002", v, 1);
  EXPECT_EQ(where, " WHERE 1=1  and  (TC002 Between '0001' and '0009') ");

  panel->SetStyle(sp_UserChoice);
  panel->SetUserChoice(false);
  panel->ListBox()->AddRow({"0001", "first"});
  panel->ListBox()->AddRow({"0002"});
  v = panel->ConditionValue();
  ASSERT_EQ(VarArrayHighBound(v, 1), 2);
  EXPECT_EQ(VarToStr(v[0]), AnsiString(1, '\x05'));
  Variant row = v[1];
  ASSERT_TRUE(VarIsArray(row));
  EXPECT_EQ(VarToStr(row[0]), "0001");
  EXPECT_EQ(VarToStr(row[1]), "first");
  EXPECT_EQ(VarToStr(Variant(v[2])[1]), "") << "padded rows carry their empty sub items";
  where = " WHERE 1=1 ";
  AddCondition(where, "TC002", v, 1);
  EXPECT_EQ(where, " WHERE 1=1  and (TC002 IN ('0001', '0002'))");

  panel->Items()->Clear();
  v = panel->ConditionValue();
  EXPECT_EQ(VarArrayHighBound(v, 1), 0) << "an empty list is the marker alone";
}

// ---- Buttons, focus and enabling ----------------------------------------------------------

TEST_F(SelectPanelTest, LookupButtonsFocusTheirTargetAndAskTheOwnerWindow) {
  std::vector<std::pair<UINT, TControl*>> requests;
  TWndMethod old = form->WindowProc();
  form->SetWindowProc([&](TMessage& M) {
    if (M.Msg == WM_LOOKUPREQUEST) requests.push_back({M.Msg, LParamToObject<TControl>(M.LParam)});
    old(M);
  });
  struct TOpen {
    std::vector<std::pair<TObject*, TObject*>> Calls;
    void Open(TObject* Parent, TObject* Sender) { Calls.push_back({Parent, Sender}); }
  } open;
  panel->OnOpenWinClick = Bind<&TOpen::Open>(&open);
  panel->SetStyle(sp_UserChoice);
  form->Show();

  struct Case {
    TF2Button* Button;
    TWinControl* Target;
    bool Range;
  };
  const Case cases[] = {{panel->BeginButton(), panel->edBegin(), true},
                        {panel->FinalButton(), panel->edFinal(), true},
                        {panel->ListButton(), panel->ListBox(), false}};
  for (const Case& c : cases) {
    panel->SetUserChoice(c.Range);
    requests.clear();
    open.Calls.clear();
    c.Button->Click();
    EXPECT_EQ(form->ActiveControl(), c.Target);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].first, 1034u);
    EXPECT_EQ(requests[0].second, c.Target);
    ASSERT_EQ(open.Calls.size(), 1u);
    EXPECT_EQ(open.Calls[0].first, panel);
    EXPECT_EQ(open.Calls[0].second, c.Target);
  }
  form->SetWindowProc(old);
}

TEST_F(SelectPanelTest, ALookupStopsWhenTheFocusCannotLeaveAnotherField) {
  struct TBlock {
    TWinControl* Self;
    void Exit(TObject*) { Self->SetFocus(); }
  } block{other};
  int opened = 0;
  struct TOpen {
    int* N;
    void Open(TObject*, TObject*) { ++*N; }
  } open{&opened};
  panel->OnOpenWinClick = Bind<&TOpen::Open>(&open);
  form->Show();
  other->SetFocus();
  other->OnExit = Bind<&TBlock::Exit>(&block);
  panel->BeginButton()->Click();
  EXPECT_EQ(form->ActiveControl(), other);
  EXPECT_EQ(opened, 0);
}

TEST_F(SelectPanelTest, DeleteAndClearButtons) {
  panel->SetStyle(sp_Discrete);
  for (const char* s : {"A", "B", "C", "D"}) panel->ListBox()->AddRow({s});
  panel->Items()->Item(1)->SetSelected(true);
  panel->Items()->Item(3)->SetSelected(true);
  struct TAsk {
    bool Accept = false;
    bool SawTrue = false;
    int Cleared = 0;
    void Delete(TObject*, bool& A) {
      SawTrue = A;
      A = Accept;
    }
    void Clear(TObject*) { ++Cleared; }
  } ask;
  panel->OnDeleteClick = Bind<&TAsk::Delete>(&ask);
  panel->OnClearClick = Bind<&TAsk::Clear>(&ask);
  panel->DeleteButton()->Click();
  EXPECT_TRUE(ask.SawTrue) << "Accept starts true";
  EXPECT_EQ(panel->Items()->Count(), 4) << "refused";
  ask.Accept = true;
  panel->DeleteButton()->Click();
  EXPECT_EQ(CaptionsOf(*panel), (std::vector<AnsiString>{"A", "C"}));

  form->Show();
  other->SetFocus();
  panel->ClearButton()->Click();
  EXPECT_EQ(panel->Items()->Count(), 0);
  EXPECT_EQ(ask.Cleared, 1);
  EXPECT_EQ(form->ActiveControl(), panel->ListBox());
}

TEST_F(SelectPanelTest, FocusGoesToTheListOutsideRangeEntry) {
  form->Show();
  struct Case {
    TSelectStyle Style;
    bool Switch;
    TWinControl* Want;
  };
  const Case cases[] = {{sp_Range, true, panel->edBegin()},
                        {sp_Discrete, true, panel->ListBox()},
                        {sp_UserChoice, false, panel->ListBox()},
                        {sp_UserChoice, true, panel->edBegin()}};
  for (const Case& c : cases) {
    other->SetFocus();
    panel->SetStyle(c.Style);
    panel->SetUserChoice(c.Switch);
    panel->SetFocus();
    EXPECT_EQ(form->ActiveControl(), c.Want) << "style " << c.Style;
  }
}

TEST_F(SelectPanelTest, EnablingReachesEveryPart) {
  panel->SetEnabled(false);
  std::vector<TControl*> parts = {panel->StyleSwitch(), panel->RangePage(), panel->BeginLabel(),
                                  panel->edBegin(),     panel->BeginButton(), panel->edFinal(),
                                  panel->ListPage(),    panel->ListBox(),   panel->DeleteButton(),
                                  panel->ClearButton()};
  for (TControl* p : parts) EXPECT_FALSE(p->Enabled()) << p->ClassName();
  EXPECT_FALSE(panel->edBegin()->CanFocus());
  panel->SetEnabled(true);
  for (TControl* p : parts) EXPECT_TRUE(p->Enabled()) << p->ClassName();
}

TEST_F(SelectPanelTest, AMousePressFocusesTheList) {
  panel->SetStyle(sp_Discrete);
  form->Show();
  other->SetFocus();
  panel->ListBox()->Perform(WM_LBUTTONDOWN, 0, MakeLParam(5, 5));
  EXPECT_EQ(form->ActiveControl(), panel->ListBox());
  EXPECT_TRUE(panel->ListBox()->Focused());
}

TEST_F(SelectPanelTest, KeysAndClicksOfThePartsReachThePanelsEvents) {
  struct TLog {
    std::vector<TObject*> Keys;
    std::vector<TObject*> Clicks;
    void Key(TObject* S, unsigned short&, TShiftState) { Keys.push_back(S); }
    void Click(TObject* S) { Clicks.push_back(S); }
  } log;
  panel->OnKeyDown = Bind<&TLog::Key>(&log);
  panel->OnClick = Bind<&TLog::Click>(&log);
  Enter();
  ASSERT_TRUE(PressKey('A'));
  Application->ProcessMessages();
  ASSERT_FALSE(log.Keys.empty());
  EXPECT_EQ(log.Keys[0], panel->edBegin()) << "an edit's key keeps the edit as sender";
  EXPECT_EQ(panel->edBegin()->Text(), "a");

  panel->edFinal()->Click();
  panel->BeginLabel()->Click();
  panel->RangePage()->Click();
  EXPECT_EQ(log.Clicks, (std::vector<TObject*>{panel->edFinal(), panel, panel}));
}

TEST_F(SelectPanelTest, NoEventsWhileDesigning) {
  struct TLog {
    int N = 0;
    void Any(TObject*) { ++N; }
    void Style(TObject*, TSelectStyle, TSelectStyle) { ++N; }
    void Open(TObject*, TObject*) { ++N; }
  } log;
  panel->OnExit = Bind<&TLog::Any>(&log);
  panel->OnClearClick = Bind<&TLog::Any>(&log);
  panel->OnTypeClick = Bind<&TLog::Any>(&log);
  panel->OnStyleChange = Bind<&TLog::Style>(&log);
  panel->OnOpenWinClick = Bind<&TLog::Open>(&log);
  panel->SetDesigning(true);
  panel->SetStyle(sp_UserChoice);
  EXPECT_EQ(panel->Style(), sp_UserChoice);
  panel->StyleSwitch()->Toggle();
  panel->ClearButton()->Click();
  panel->ListButton()->Click();
  EXPECT_EQ(log.N, 0);
  panel->SetDesigning(false);
}

// ---- Glyphs ------------------------------------------------------------------------------

TEST_F(SelectPanelTest, AGlyphTheLibraryLacksBecomesZero) {
  panel->SetGlyphIndex(1 << 20);
  for (TF2Button* b : {panel->BeginButton(), panel->FinalButton(), panel->ListButton()})
    EXPECT_EQ(b->GlyphIndex(), 0);
  panel->SetGlyphIndex(-3);
  EXPECT_EQ(panel->ListButton()->GlyphIndex(), 0);
  ASSERT_GE(BitmoraMaxBmpID(), 9) << "the button-image library is built beside the tests";
  {
    panel->SetGlyphIndex(9);
    for (TF2Button* b : {panel->BeginButton(), panel->FinalButton(), panel->ListButton()}) {
      EXPECT_EQ(b->GlyphIndex(), 9);
      EXPECT_EQ(b->NumGlyphs(), 1);
      EXPECT_FALSE(b->Glyph()->Empty());
    }
  }
}

// ---- Form text ------------------------------------------------------------------------

TEST_F(SelectPanelTest, PanelsTravelThroughTheFormText) {
  delete other;  // a test-only class the reader does not know
  other = nullptr;
  panel->SetStyle(sp_UserChoice);
  panel->SetUserChoice(false);
  panel->SetValueType(vt_Date);
  panel->SetGlyphIndex(9);
  panel->SetOtherWidth(345);
  panel->SetOtherHeight(57);
  TStringList hints;
  hints.Add("switch");
  hints.Add("[F2]begin");
  panel->SetChildHints(&hints);
  panel->ListBox()->AddRow({"a", "b"});
  const AnsiString text = ComponentToFormText(form.get());
  EXPECT_NE(text.find("object splTC002: TSelectPanel"), AnsiString::npos) << text;
  EXPECT_EQ(text.find("edBegin"), AnsiString::npos) << "the parts belong to the panel, not the form";

  std::unique_ptr<TForm> copy(CreateForm<TForm>(nullptr));
  ReadFormText(copy.get(), text);
  auto* p = ObjectAs<TSelectPanel>(copy->FindComponent("splTC002"));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Style(), sp_UserChoice);
  EXPECT_FALSE(p->UserChoice());
  EXPECT_FALSE(p->IsRangeEntry());
  EXPECT_TRUE(p->ListPage()->Visible());
  EXPECT_EQ(p->ValueType(), vt_Date);
  EXPECT_EQ(p->GlyphIndex(), 9);
  EXPECT_EQ(p->OtherWidth(), 345);
  EXPECT_EQ(p->Width(), panel->Width()) << "no size exchange while loading";
  EXPECT_EQ(p->edBegin()->Hint(), "[F2]begin");
  EXPECT_EQ(p->Columns()->Count(), 2);
  ASSERT_EQ(p->Items()->Count(), 1) << "the chosen rows are kept";
  EXPECT_EQ(p->Items()->Item(0)->Caption(), "a");
  EXPECT_EQ(p->Items()->Item(0)->SubItems()->Strings(0), "b");
  EXPECT_EQ(p->Caption(), GB("选择单号"));
}

}  // namespace
