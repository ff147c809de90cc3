#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "platform/vcl/BitCheckBox.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/CommonDialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/FormText.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/StdControlPainters.h"
#include "platform/vcl/Tabs.h"
#include "platform/vcl/WindowPicture.h"
#include "tests/vcl/ui_fixture.h"

using namespace kw_test;

namespace {

class ButtonsTest : public FormUITest {};

TEST_F(ButtonsTest, SpeedButtonGroupsKeepOneButtonDown) {
  auto* panel = Add<TPanel>("pnlTools");
  auto* a = Add<TSpeedButton>("sbA", panel);
  auto* b = Add<TSpeedButton>("sbB", panel);
  auto* c = Add<TSpeedButton>("sbC", panel);
  auto* loose = Add<TSpeedButton>("sbLoose", panel);
  for (TSpeedButton* s : {a, b, c}) s->SetGroupIndex(1);
  a->Click();
  EXPECT_TRUE(a->Down());
  b->Click();
  EXPECT_FALSE(a->Down());
  EXPECT_TRUE(b->Down());
  b->Click();
  EXPECT_TRUE(b->Down()) << "without AllowAllUp the one down stays down";
  b->SetDown(false);
  EXPECT_TRUE(b->Down());
  c->SetAllowAllUp(true);  // for the whole group
  b->Click();
  EXPECT_FALSE(b->Down());
  loose->SetDown(true);
  EXPECT_FALSE(loose->Down()) << "GroupIndex 0 never stays down";
  loose->SetFlat(true);
  EXPECT_EQ(GetPropText(loose, "Flat"), "True");
}

TEST_F(ButtonsTest, BitmapButtonKindsAndGlyphs) {
  struct Case {
    TBitBtnKind Kind;
    const char* Caption;
    TModalResult Result;
    bool Default, Cancel;
  } cases[] = {
      {bkOK, "OK", mrOk, true, false},
      {bkCancel, "Cancel", mrCancel, false, true},
      {bkYes, "&Yes", mrYes, true, false},
      {bkNo, "&No", mrNo, false, true},
      {bkClose, "&Close", mrNone, false, false},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TBitBtn> b(NewComponent<TBitBtn>(nullptr));
    b->SetKind(c.Kind);
    EXPECT_EQ(b->Caption(), c.Caption);
    EXPECT_EQ(b->ModalResult(), c.Result);
    EXPECT_EQ(b->Default(), c.Default);
    EXPECT_EQ(b->Cancel(), c.Cancel);
  }
  auto* btn = Add<TBitBtn>("btnOk");
  TBitmap strip(32, 16);
  btn->SetGlyph(&strip);
  EXPECT_EQ(btn->NumGlyphs(), 2) << "a strip of two square pictures";
  EXPECT_EQ(btn->Glyph()->Width(), 32);
  btn->SetNumGlyphs(5);
  EXPECT_EQ(btn->NumGlyphs(), 2);
  // A description keeps its own (translated) caption next to the kind.
  ReadFormText(form.get(),
               "object frmTest: TForm\n"
               "  object btnOk: TBitBtn\n"
               "    Caption = 'Fine'\n"
               "    Kind = bkOK\n"
               "  end\n"
               "end\n");
  EXPECT_EQ(btn->Caption(), "Fine");
  EXPECT_EQ(btn->ModalResult(), mrOk);
}

TEST_F(ButtonsTest, RadioGroupsTabSetsAndBitCheckBoxes) {
  ReadFormText(form.get(),
               "object frmTest: TForm\n"
               "  object rgSendType: TRadioGroup\n"
               "    Columns = 2\n"
               "    ItemIndex = 1\n"
               "    Items.Strings = (\n"
               "      'Mail'\n"
               "      'Fax')\n"
               "  end\n"
               "  object tsPages: TTabSet\n"
               "    TabIndex = 2\n"
               "    Tabs.Strings = (\n"
               "      'One'\n"
               "      'Two'\n"
               "      'Three')\n"
               "  end\n"
               "  object chkTotalPrint: TBitCheckBox\n"
               "    Checked = True\n"
               "  end\n"
               "end\n");
  auto* rg = ObjectAs<TRadioGroup>(form->FindComponent("rgSendType"));
  ASSERT_NE(rg, nullptr);
  EXPECT_EQ(rg->ItemIndex(), 1) << "an index read before the items";
  EXPECT_EQ(rg->Columns(), 2);
  rg->SetItemIndex(5);
  EXPECT_EQ(rg->ItemIndex(), -1);

  auto* ts = ObjectAs<TTabSet>(form->FindComponent("tsPages"));
  ASSERT_NE(ts, nullptr);
  EXPECT_EQ(ts->TabIndex(), 2);
  struct Guard {
    TEventLog* Log;
    void Change(TObject*, int NewTab, bool& Allow) {
      Log->push_back("Change " + std::to_string(NewTab));
      Allow = NewTab != 1;
    }
  } guard{&Log};
  ts->OnChange = Bind<&Guard::Change>(&guard);
  ts->SelectNext(true);
  EXPECT_EQ(ts->TabIndex(), 0) << "wraps around";
  ts->SetTabIndex(1);
  EXPECT_EQ(ts->TabIndex(), 0) << "refused";
  EXPECT_EQ(Log, (TEventLog{"Change 0", "Change 1"}));
  // The converter replaces the whole list and puts the index back.
  ts->Tabs()->SetText("A\r\nB\r\nC");
  ts->SetTabIndex(2);
  EXPECT_EQ(ts->TabIndex(), 2);

  auto* chk = ObjectAs<TBitCheckBox>(form->FindComponent("chkTotalPrint"));
  ASSERT_NE(chk, nullptr);
  EXPECT_TRUE(chk->Checked());
  EXPECT_EQ(chk->CurrentGlyph(), nullptr);
  TBitmap on(13, 13);
  chk->SetGlyphChecked(&on);
  ASSERT_NE(chk->CurrentGlyph(), nullptr);
  EXPECT_EQ(chk->CurrentGlyph()->Width(), 13);
  chk->Toggle();
  EXPECT_FALSE(chk->Checked());
  EXPECT_FALSE(chk->Is<TCheckBox>()) << "a bitmap check box is told apart from a check box";
}

TEST_F(ButtonsTest, SplittersResizeTheControlBesideThem) {
  form->SetBounds(0, 0, 400, 300);
  auto* left = Add<TPanel>("pnlLeft");
  left->SetAlign(alLeft);
  left->SetWidth(100);
  auto* split = Add<TSplitter>("splMain");
  split->SetLeft(150);  // aligned: it settles right of the panel
  split->SetMinSize(50);
  auto* client = Add<TPanel>("pnlClient");
  client->SetAlign(alClient);
  ASSERT_EQ(split->Left(), 100);
  EXPECT_EQ(split->FindControl(), left);
  EXPECT_EQ(split->MoveBy(40), 40);
  EXPECT_EQ(left->Width(), 140);
  EXPECT_EQ(split->Left(), 140);
  EXPECT_EQ(split->MoveBy(-500), -90) << "the left side keeps MinSize";
  EXPECT_EQ(left->Width(), 50);
  split->MoveBy(1000);
  EXPECT_EQ(left->Width(), 400 - 3 - 50) << "the other side keeps MinSize too";
}

TEST_F(ButtonsTest, DialogComponentsAskTheDriver) {
  auto* save = NewComponent<TSaveDialog>(form.get());
  save->SetFileName("layout.dat");
  save->SetFilter("Layouts (*.dat)|*.dat");
  ui.ExpectFileDialog("layout.dat").Answer("/tmp/other.dat");
  EXPECT_TRUE(save->Execute());
  EXPECT_EQ(save->FileName(), "/tmp/other.dat");
  ui.ExpectFileDialog().Cancel();
  EXPECT_FALSE(save->Execute());
  EXPECT_EQ(save->FileName(), "/tmp/other.dat");
  EXPECT_TRUE(ui.Questions().back().File.Save);

  auto* print = NewComponent<TPrintDialog>(form.get());
  print->SetMaxPage(10);
  ui.ExpectPrinterSetup().Edit([](TPrinterSetup& s) {
    s.Copies = 3;
    s.FromPage = 12;
    s.ToPage = 4;
  });
  EXPECT_TRUE(print->Execute());
  EXPECT_EQ(print->Copies(), 3);
  EXPECT_EQ(print->FromPage(), 4);
  EXPECT_EQ(print->ToPage(), 10);
  ui.ExpectPrinterSetup().Cancel();
  EXPECT_FALSE(print->Execute());
  EXPECT_EQ(print->Copies(), 3);
  ui.VerifyAllAnswered();
}

// The colour clHighlight is drawn in, as a pixel of the bitmap.
int CountColor(const TBitmap& Bmp, int X0, int Y0, int X1, int Y1, TColor Color) {
  TBitmap probe(1, 1);
  probe.SetPixel(0, 0, Color);
  TColor want = probe.Pixel(0, 0);
  int n = 0;
  for (int y = Y0; y < Y1; ++y)
    for (int x = X0; x < X1; ++x) n += Bmp.Pixel(x, y) == want ? 1 : 0;
  return n;
}

TEST_F(ButtonsTest, TheControlsAppearInAWindowPicture) {
  RegisterStdControlPainters();
  form->SetBounds(0, 0, 360, 260);
  form->SetCaption("\xB2\xE2\xCA\xD4");  // two Chinese characters
  auto* chk = Add<TCheckBox>("chkAll");
  chk->SetBounds(10, 10, 120, 17);
  chk->SetCaption("All");
  auto* lv = Add<TListView>("lvRows");
  lv->SetBounds(10, 40, 300, 120);
  lv->SetViewStyle(vsReport);
  lv->Columns()->Add()->SetCaption("Voucher");
  lv->Columns()->Add()->SetCaption("Amount");
  for (const char* c : {"V001", "V002"}) {
    TListItem* it = lv->Items()->Add();
    it->SetCaption(c);
    it->SubItems()->Add("1.00");
  }
  auto* ok = Add<TButton>("btnOk");
  ok->SetBounds(10, 180, 75, 25);
  ok->SetCaption("OK");

  TBitmap before;
  DrawWindowToBitmap(form.get(), before);
  ASSERT_FALSE(before.Empty());
  lv->Items()->Item(1)->SetSelected(true);
  chk->SetChecked(true);
  TBitmap after;
  DrawWindowToBitmap(form.get(), after);
  ASSERT_EQ(after.Width(), before.Width());
  // The picture's client area starts below the caption bar: compare whole
  // pictures instead of guessing the offset.
  int hlBefore = CountColor(before, 0, 0, before.Width(), before.Height(), clHighlight);
  int hlAfter = CountColor(after, 0, 0, after.Width(), after.Height(), clHighlight);
  EXPECT_GT(hlAfter, hlBefore + 50) << "the selected row is highlighted";
  int diff = 0;
  for (int y = 0; y < after.Height(); ++y)
    for (int x = 0; x < after.Width(); ++x) diff += before.Pixel(x, y) != after.Pixel(x, y) ? 1 : 0;
  EXPECT_GT(diff, hlAfter - hlBefore) << "the check mark changed pixels too";
  if (const char* dir = std::getenv("KW_TEST_BINARY_DIR"))
    SaveWindowPicture(form.get(), AnsiString(dir) + "/stdcontrols_sample.png");
}

}  // namespace
