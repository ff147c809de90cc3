// Labels bound to a control, and the data edits with their own label and
// lookup button.

#include <gtest/gtest.h>

#include "platform/db/ClientDataSet.h"
#include "platform/db/DataSource.h"
#include "platform/rtl/CodePages.h"
#include "platform/vcl/FormText.h"
#include "platform/vcl/Publisher.h"
#include "src/controls/DBLabel.h"
#include "src/controls/GSpdBtn.h"
#include "src/controls/KwcEdit.h"
#include "tests/controls/controls_fixture.h"

using namespace kw_test;

namespace {

// A control that publishes the data properties without checking them, as a
// control of another library might.
class TLooseDataControl : public TWinControl {
  KW_DECLARE_CLASS(TLooseDataControl, TWinControl)
 public:
  static void PublishMembers(TPublisher<TLooseDataControl>& P) {
    P.Property("DataSource", &TLooseDataControl::Source, &TLooseDataControl::Source);
    P.Property("DataField", &TLooseDataControl::Field, &TLooseDataControl::Field);
  }
  using TWinControl::TWinControl;
  TDataSource* Source = nullptr;
  AnsiString Field;
};
KW_REGISTER_CLASS(TLooseDataControl)

// A control whose "DataSource" is a text: not what the label looks for.
class TTextSourceControl : public TWinControl {
  KW_DECLARE_CLASS(TTextSourceControl, TWinControl)
 public:
  static void PublishMembers(TPublisher<TTextSourceControl>& P) {
    P.Property("DataSource", &TTextSourceControl::Source, &TTextSourceControl::Source);
    P.Property("DataField", &TTextSourceControl::Field, &TTextSourceControl::Field);
  }
  using TWinControl::TWinControl;
  AnsiString Source = "dsVouchers";
  AnsiString Field = "TC001";
};
KW_REGISTER_CLASS(TTextSourceControl)

TRect BoundsOf(const TControl* C) { return {C->Left(), C->Top(), C->Width(), C->Height()}; }

class AttachedTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    // The pictures are not what these tests look at.
    SetBitmoraFolders({"/nonexistent-folder"});
  }
  // A label of a fixed size, so that the placement does not depend on fonts.
  TDBLabel* AddLabel(int Width, int Height) {
    auto* l = new TDBLabel(Window());
    l->SetParent(Window());
    l->SetAutoSize(false);
    l->SetBounds(300, 200, Width, Height);
    return l;
  }
  // Vouchers with a type column labelled for display.
  void MakeData() {
    Data = std::make_unique<TClientDataSet>(nullptr);
    Data->FieldDefs().Add("TC001", ftString, 4);
    Data->FieldDefs().Add("TC002", ftString, 11);
    Data->CreateDataSet();
    Data->FieldByName("TC001")->SetDisplayLabel(GB("单别"));
    Data->AppendRecord({"A1", "0001"});
    Data->AppendRecord({"B2", "0002"});
    Data->First();
    Source = std::make_unique<TDataSource>(nullptr);
    Source->SetDataSet(Data.get());
  }
  void TearDown() override {
    FWindow.reset();  // the edits' links go before the data source
    Source.reset();
    Data.reset();
    ControlsTest::TearDown();
  }
  std::unique_ptr<TClientDataSet> Data;
  std::unique_ptr<TDataSource> Source;
};

// ---- TDBLabel ---------------------------------------------------------------------

TEST_F(AttachedTest, LabelStartsWithItsOwnCaptionAndDefaults) {
  auto* l = new TDBLabel(Window());
  EXPECT_EQ(l->Caption(), GB("挂靠标签"));
  EXPECT_TRUE(l->AutoAlign());
  EXPECT_TRUE(l->AutoCaption());
  EXPECT_EQ(l->Gap(), 4);
  EXPECT_EQ(l->Pos(), psLeft);
}

TEST_F(AttachedTest, LabelPlacesItselfBesideTheControl) {
  struct Case {
    const char* Name;
    TPos Pos;
    TRect Control;  // left, top, width, height
    int LabelHeight;
    int Gap;
    TPoint Expected;
  };
  const Case cases[] = {
      {"left, centred", psLeft, {100, 8, 80, 21}, 13, 4, {56, 12}},  // 8 + 10 - 6
      {"left, same height", psLeft, {100, 8, 80, 13}, 13, 4, {56, 8}},
      {"left, even heights", psLeft, {100, 8, 80, 20}, 14, 4, {56, 11}},
      {"left, cut at the edge", psLeft, {10, 8, 80, 21}, 13, 4, {0, 12}},
      {"right", psRight, {100, 8, 80, 21}, 13, 4, {184, 12}},
      {"right, no gap", psRight, {100, 8, 80, 21}, 13, 0, {180, 12}},
      {"top", psTop, {100, 30, 80, 21}, 13, 4, {100, 13}},
      {"top at the parent's edge", psTop, {100, 0, 80, 21}, 13, 4, {100, 0}},
      {"bottom", psBottom, {100, 8, 80, 21}, 13, 4, {100, 33}},
      {"left, taller label at the top", psLeft, {100, 0, 80, 5}, 13, 4, {56, 0}},  // 0 + 2 - 6
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TEdit* edit = AddEdit("", c.Control.Left, c.Control.Top, c.Control.Right, c.Control.Bottom);
    TDBLabel* l = AddLabel(40, c.LabelHeight);
    l->SetGap(static_cast<unsigned char>(c.Gap));
    l->SetPos(c.Pos);
    l->SetFocusControl(edit);
    EXPECT_EQ(l->FocusControl(), edit);
    EXPECT_EQ((TPoint{l->Left(), l->Top()}), c.Expected);
    EXPECT_EQ(l->Width(), 40) << "the label keeps its size";
    EXPECT_EQ(l->Height(), c.LabelHeight);
    delete l;
    delete edit;
  }
}

TEST_F(AttachedTest, LabelRealignsWhenItsSettingsChange) {
  TEdit* edit = AddEdit("edtA", 100, 30, 80, 21);
  TDBLabel* l = AddLabel(40, 13);
  l->SetFocusControl(edit);
  EXPECT_EQ((TPoint{l->Left(), l->Top()}), (TPoint{56, 34}));
  l->SetPos(psTop);
  EXPECT_EQ((TPoint{l->Left(), l->Top()}), (TPoint{100, 13}));
  l->SetGap(10);
  EXPECT_EQ(l->Top(), 7);
  l->SetAutoAlign(false);
  l->SetPos(psBottom);
  EXPECT_EQ(l->Top(), 7) << "without AutoAlign nothing moves";
  l->SetAutoAlign(true);
  EXPECT_EQ(l->Top(), 61);
}

TEST_F(AttachedTest, OneLabelPerControl) {
  TEdit* edit = AddEdit("edtA", 100, 30, 80, 21);
  TDBLabel* first = AddLabel(40, 13);
  TDBLabel* second = AddLabel(40, 13);
  first->SetFocusControl(edit);
  ui.ExpectMessage(GB("不能同时有两个 DBLabel 指到同一个 Control."), mtError).Answer(mrOk);
  second->SetFocusControl(edit);
  ui.VerifyAllAnswered();
  EXPECT_EQ(second->FocusControl(), nullptr);
  EXPECT_EQ(first->FocusControl(), edit);
  first->SetFocusControl(edit);  // again to its own control: silently refused
  EXPECT_EQ(ui.Questions().size(), 1u);
  delete edit;
  EXPECT_EQ(first->FocusControl(), nullptr) << "a freed control is forgotten";
}

TEST_F(AttachedTest, LabelTakesTheFieldsDisplayLabel) {
  MakeData();
  struct Case {
    const char* Name;
    const char* DataField;
    bool WithSource;
    bool AutoCaption;
    AnsiString Expected;
  };
  const Case cases[] = {
      {"display label", "TC001", true, true, GB("单别")},
      {"field name when no label is set", "TC002", true, true, "TC002"},
      {"no such field", "TC999", true, true, GB("挂靠标签")},
      {"no data source", "TC001", false, true, GB("挂靠标签")},
      {"automatic caption off", "TC001", true, false, GB("挂靠标签")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    auto* control = new TLooseDataControl(Window());
    control->SetParent(Window());
    if (c.WithSource) control->Source = Source.get();
    control->Field = c.DataField;
    TDBLabel* l = AddLabel(40, 13);
    l->SetAutoCaption(c.AutoCaption);
    l->SetFocusControl(control);
    EXPECT_EQ(l->Caption(), c.Expected);
    delete l;
    delete control;
  }
  // The same through a data edit, and with a data source without data set.
  auto* edit = new TKwDBEdit(Window());
  edit->SetParent(Window());
  edit->SetDataSource(Source.get());
  edit->SetDataField("TC001");
  TDBLabel* bound = AddLabel(40, 13);
  bound->SetFocusControl(edit);
  EXPECT_EQ(bound->Caption(), GB("单别"));
  TDataSource empty(nullptr);
  auto* loose = new TLooseDataControl(Window());
  loose->SetParent(Window());
  loose->Source = &empty;
  loose->Field = "TC001";
  TDBLabel* noData = AddLabel(40, 13);
  noData->SetFocusControl(loose);
  EXPECT_EQ(noData->Caption(), GB("挂靠标签"));
  delete noData;
  delete loose;
  // A "DataSource" that is no object property, and no data properties at all.
  auto* text = new TTextSourceControl(Window());
  text->SetParent(Window());
  TDBLabel* l = AddLabel(40, 13);
  l->SetFocusControl(text);
  EXPECT_EQ(l->Caption(), GB("挂靠标签"));
  // A control without the data properties leaves the caption alone.
  TEdit* plain = AddEdit("edtPlain", 0, 0, 50, 21);
  TDBLabel* other = AddLabel(40, 13);
  other->SetFocusControl(plain);
  EXPECT_EQ(other->Caption(), GB("挂靠标签"));
}

TEST_F(AttachedTest, SettingsRefreshTheCaptionBeforeAligning) {
  MakeData();
  auto* edit = new TKwDBEdit(Window());
  edit->SetParent(Window());
  edit->SetBounds(100, 30, 80, 21);
  edit->SetDataSource(Source.get());
  edit->SetDataField("TC002");
  auto* l = new TDBLabel(Window());  // sized by its caption
  l->SetParent(Window());
  l->SetFocusControl(edit);
  ASSERT_EQ(l->Caption(), "TC002");
  int shortWidth = l->Width();
  Data->FieldByName("TC002")->SetDisplayLabel(GB("单号信息查询"));
  l->SetPos(psRight);
  l->SetPos(psLeft);
  EXPECT_EQ(l->Caption(), GB("单号信息查询"));
  EXPECT_GT(l->Width(), shortWidth);
  EXPECT_EQ(l->Left(), 100 - l->Width() - 4) << "aligned with the new caption's width";
}

// ---- TKwDBEdit --------------------------------------------------------------------

TEST_F(AttachedTest, EditLabelFollowsThePosition) {
  struct Case {
    TLabelPosition Position;
    int Spacing;
    TPoint Expected;
  };
  // Edit at (100, 50) of 121 x 21, label 30 x 13.
  const Case cases[] = {
      {lpAbove, 4, {100, 33}},  {lpBelow, 4, {100, 75}}, {lpLeft, 4, {66, 54}},
      {lpRight, 4, {225, 54}},  {lpLeft, 0, {70, 54}},   {lpAbove, 40, {100, -3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Position));
    auto* edit = new TKwDBEdit(Window());
    edit->SetParent(Window());
    ASSERT_NE(edit->EditLabel(), nullptr);
    edit->EditLabel()->SetAutoSize(false);
    edit->EditLabel()->SetBounds(0, 0, 30, 13);
    edit->SetBounds(100, 50, 121, 21);
    edit->SetLabelSpacing(c.Spacing);
    edit->SetLabelPosition(c.Position);
    EXPECT_EQ((TPoint{edit->EditLabel()->Left(), edit->EditLabel()->Top()}), c.Expected);
    EXPECT_EQ(edit->EditLabel()->Width(), 30);
    delete edit;
  }
}

TEST_F(AttachedTest, EditLabelIsOwnedNamedAndFollowsTheEdit) {
  auto* edit = new TKwDBEdit(Window());
  TLabel* label = edit->EditLabel();
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->Owner(), edit);
  EXPECT_EQ(label->Name(), "EditLabel");
  EXPECT_EQ(label->FocusControl(), edit);
  EXPECT_EQ(edit->Caption(), "");
  EXPECT_EQ(edit->LabelPosition(), lpLeft);
  EXPECT_EQ(edit->LabelSpacing(), 4);

  edit->SetParent(Window());
  EXPECT_EQ(label->Parent(), Window());
  edit->SetCaption(GB("编号"));
  EXPECT_EQ(label->Caption(), GB("编号"));
  EXPECT_EQ(edit->Text(), "") << "the caption is the label's, not the edit's text";
  edit->SetEnabled(false);
  EXPECT_FALSE(label->Enabled());
  edit->SetVisible(false);
  EXPECT_FALSE(label->Visible());
  edit->SetVisible(true);
  EXPECT_TRUE(label->Visible());

  edit->SetLabelSpacing(9);
  edit->SetLabelSpacing(-1);
  EXPECT_EQ(edit->LabelSpacing(), 9) << "a negative spacing is ignored";

  delete label;
  EXPECT_EQ(edit->EditLabel(), nullptr);
  edit->SetBounds(1, 2, 3, 4);  // no label to place any more
  edit->SetCaption("x");
  EXPECT_EQ(edit->Caption(), "");
}

TEST_F(AttachedTest, DataEditIsADataEditWithALabel) {
  MakeData();
  auto* edit = new TKwDBEdit(Window());
  edit->SetParent(Window());
  edit->SetDataSource(Source.get());
  edit->SetDataField("TC002");
  EXPECT_EQ(edit->Text(), "0001");
  EXPECT_EQ(edit->Field(), Data->FieldByName("TC002"));
  Data->Next();
  EXPECT_EQ(edit->Text(), "0002") << "follows the current record";
  EXPECT_EQ(edit->Caption(), "") << "at run time the field does not name the label";

  // While the form is designed, choosing the field names the label too.
  auto* designed = new TKwDBEdit(Window());
  designed->SetDesigning(true);
  designed->SetDataSource(Source.get());
  designed->SetDataField("TC001");
  EXPECT_EQ(designed->Caption(), GB("单别"));
}

// ---- TKwBtnDBEdit -----------------------------------------------------------------

TEST_F(AttachedTest, ButtonEditPlacesItsButton) {
  auto* edit = new TKwBtnDBEdit(Window());
  edit->SetParent(Window());
  TGSpeedButton* b = edit->Button();
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Owner(), edit);
  EXPECT_EQ(b->Name(), "F2Button");
  EXPECT_TRUE(b->Flat());
  EXPECT_EQ(b->GlyphIndex(), 8);
  EXPECT_EQ(b->Parent(), Window());

  struct Case {
    TRect Edit;
    int Spacing;
    TRect Expected;
  };
  const Case cases[] = {
      {{100, 50, 121, 21}, 2, {223, 50, 21, 21}},
      {{0, 0, 60, 25}, 0, {60, 0, 25, 25}},
      {{10, 10, 60, 21}, -5, {65, 10, 21, 21}},
  };
  for (const Case& c : cases) {
    edit->SetButtonSpacing(c.Spacing);
    edit->SetBounds(c.Edit.Left, c.Edit.Top, c.Edit.Right, c.Edit.Bottom);
    EXPECT_EQ(BoundsOf(b), c.Expected);
  }
  edit->SetGlyphIndex(9);
  EXPECT_EQ(b->GlyphIndex(), 9);
  edit->SetButtonHint(GB("资产信息查询"));
  EXPECT_EQ(b->Hint(), GB("资产信息查询"));
  edit->SetEnabled(false);
  EXPECT_FALSE(b->Enabled());
  edit->SetVisible(false);
  EXPECT_FALSE(b->Visible());

  delete b;
  EXPECT_EQ(edit->Button(), nullptr);
  edit->SetBounds(0, 0, 10, 10);  // nothing left to place
  EXPECT_EQ(edit->ButtonHint(), "");
}

TEST_F(AttachedTest, ButtonEditDialogOrLookup) {
  auto* edit = new TKwBtnDBEdit(Window());
  edit->SetParent(Window());
  TNotifyProbe dialog;
  edit->OnDialog = dialog.Event();
  edit->Button()->Click();
  EXPECT_EQ(dialog.Calls, 1);
  EXPECT_EQ(dialog.LastSender, edit) << "the edit is the sender, not the button";
  EXPECT_TRUE(Window()->Lookups.empty()) << "OnDialog replaces the lookup request";
  EXPECT_FALSE(edit->Focused());

  edit->OnDialog = nullptr;
  edit->Button()->Click();
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(Window()->Lookups, std::vector<TControl*>{edit});

  Window()->Lookups.clear();
  edit->SetEnabled(false);
  edit->DoDialog();
  EXPECT_TRUE(Window()->Lookups.empty()) << "a disabled edit cannot take the focus";
}

TEST_F(AttachedTest, DescriptionsHoldTheEditsSettings) {
  auto* edit = new TKwBtnDBEdit(Window());
  edit->SetName("edtAsset");
  edit->SetParent(Window());
  edit->SetBounds(100, 50, 121, 21);
  edit->SetCaption(GB("资产编号"));
  edit->SetLabelPosition(lpAbove);
  edit->SetButtonSpacing(6);
  edit->SetButtonHint("lookup");
  AnsiString text = ComponentToFormText(Window());
  EXPECT_EQ(text.find("EditLabel"), AnsiString::npos) << "the owned label is no component of the window\n" << text;
  EXPECT_EQ(text.find("object F2Button"), AnsiString::npos) << text;

  std::unique_ptr<TLookupWindow> copy(CreateForm<TLookupWindow>(nullptr));
  ReadFormText(copy.get(), text);
  auto* back = ObjectAs<TKwBtnDBEdit>(copy->FindComponent("edtAsset"));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Caption(), GB("资产编号"));
  EXPECT_EQ(back->LabelPosition(), lpAbove);
  EXPECT_EQ(back->ButtonSpacing(), 6);
  EXPECT_EQ(back->ButtonHint(), "lookup");
  EXPECT_EQ(back->EditLabel()->Parent(), copy.get());
  EXPECT_EQ(BoundsOf(back->Button()), (TRect{227, 50, 21, 21}));
}

}  // namespace
