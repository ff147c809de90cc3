// An option-style window holding the asset voucher report's four selection
// panels in their styles, drawn by the control library: the voucher-number
// list (user choice, list first), the two date ranges (vertical) and the
// asset-number range (user choice, range first). The picture is written as
// select_panels.png into the test's build folder.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/StringList.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/StdControlPainters.h"
#include "platform/vcl/WindowPicture.h"
#include "src/controls/F2Button.h"
#include "src/report/SelectPnl.h"
#include "src/report/SelectPnlParts.h"
#include "tests/vcl/ui_fixture.h"

using namespace kw_test;

namespace {

struct PanelSetup {
  const char* Name;
  const char* Caption;
  TSelectStyle Style;
  bool UserChoice;
  TValueType ValueType;
  bool Vertical;
  int Glyph;
  int OtherW, OtherH;
  int L, T, W, H;
};

// The position of C in its form's client area.
TPoint FormPos(const TControl* C) {
  TPoint p{0, 0};
  for (; C && !ObjectAs<TCustomForm>(C); C = C->Parent()) {
    p.X += C->Left();
    p.Y += C->Top();
  }
  return p;
}

class SelectPanelPictureTest : public UITest {
 protected:
  void SetUp() override {
    UITest::SetUp();
    RegisterStdControlPainters();
    SetBitmoraFolders({KW_BITMORA_DIR});
  }
};

TEST_F(SelectPanelPictureTest, OptionWindowWithTheFourPanels) {
  std::unique_ptr<TForm> form(CreateForm<TForm>(nullptr));
  form->SetName("frmZKPW31");
  form->SetCaption(GB("固定资产异动单据打印"));
  form->SetBounds(0, 0, 644, 364);
  form->Font()->SetName(GB("宋体"));
  form->Font()->SetHeight(12);

  auto* pages = new TPageControl(form.get());
  pages->SetParent(form.get());
  pages->SetBounds(4, 4, 636, 312);
  auto* sheet = new TTabSheet(form.get());
  sheet->SetName("tsOption1");
  sheet->SetCaption(GB("基本选项"));
  sheet->SetPageControl(pages);
  auto* advanced = new TTabSheet(form.get());
  advanced->SetName("TabSheet1");
  advanced->SetCaption(GB("高级选项"));
  advanced->SetPageControl(pages);
  pages->SetActivePage(sheet);
  // Headless page controls leave their sheets where the description puts
  // them: under the tabs.
  for (TTabSheet* t : {sheet, advanced}) {
    t->SetAlign(alNone);
    t->SetBounds(4, 24, 628, 284);
  }

  auto* lbl = new TLabel(form.get());
  lbl->SetParent(sheet);
  lbl->SetBounds(12, 14, 0, 0);
  lbl->SetCaption(GB("选择单别"));
  auto* edt = new TEdit(form.get());
  edt->SetName("edtTC001");
  edt->SetParent(sheet);
  edt->SetBounds(72, 10, 60, 21);
  edt->SetText("A1");
  auto* btn = new TF2Button(form.get());
  btn->SetParent(sheet);
  btn->SetF2Control(edt);
  auto* txt = new TLabel(form.get());
  txt->SetParent(sheet);
  txt->SetBounds(164, 14, 0, 0);
  txt->SetCaption(GB("资产异动单"));

  const PanelSetup setups[] = {
      {"splTC002", "选择单号", sp_UserChoice, false, vt_String, false, 8, 345, 57, 6, 40, 306, 124},
      {"splTC004", "选择资产编号", sp_UserChoice, true, vt_String, false, 8, 446, 64, 318, 40, 304, 124},
      {"splTC003", "选择交易日期", sp_Range, true, vt_Date, true, 9, 342, 57, 6, 172, 306, 90},
      {"splTC027", "选择单据日期", sp_Range, true, vt_Date, true, 9, 345, 57, 318, 172, 304, 90},
  };
  TSelectPanel* panels[4] = {};
  for (int i = 0; i < 4; ++i) {
    const PanelSetup& s = setups[i];
    auto* p = new TSelectPanel(form.get());
    p->SetName(s.Name);
    p->SetParent(sheet);
    p->SetCaption(Utf8ToGB(s.Caption));
    p->SetBounds(s.L, s.T, s.W, s.H);
    // As a form description applies them: loading keeps the size.
    p->SetComponentStateFlag(csLoading, true);
    p->SetStyle(s.Style);
    p->SetUserChoice(s.UserChoice);
    p->SetUseVertical(s.Vertical);
    p->SetComponentStateFlag(csLoading, false);
    p->SetValueType(s.ValueType);
    p->SetGlyphIndex(s.Glyph);
    p->SetOtherWidth(s.OtherW);
    p->SetOtherHeight(s.OtherH);
    p->SetBounds(s.L, s.T, s.W, s.H);
    panels[i] = p;
  }
  panels[1]->SetDiscard("-");
  for (TSelectPanel* p : {panels[2], panels[3]}) {
    p->SetDateType(dt_YYYYMMDD);
    p->SetEditMask("9999/99/99;1; ");
  }
  for (const char* no : {"20240003", "20240001", "20240002"}) panels[0]->ListBox()->AddRow({no});
  panels[0]->SetSortListBox(true);
  panels[0]->Items()->Item(1)->SetSelected(true);
  panels[1]->edBegin()->SetText("AX01");
  panels[1]->edFinal()->SetText("AX20");
  panels[2]->edBegin()->SetText("20240301");
  panels[2]->edFinal()->SetText("20240331");
  panels[3]->edBegin()->SetText("20240101");

  auto* ok = new TButton(form.get());
  ok->SetParent(form.get());
  ok->SetCaption(GB("确定"));
  ok->SetBounds(476, 326, 75, 25);
  auto* cancel = new TButton(form.get());
  cancel->SetParent(form.get());
  cancel->SetCaption(GB("取消"));
  cancel->SetBounds(560, 326, 75, 25);
  form->Show();

  // What the picture shows, checked on a paint of the client area.
  TBitmap client(form->Width(), form->Height());
  PaintControlTree(*form, *client.Canvas(), 0, 0);
  const TColor white = ColorToRGB(clWindow);
  auto at = [&](const TControl* C, int Dx, int Dy) {
    TPoint p = FormPos(C);
    return client.Canvas()->Pixel(p.X + Dx, p.Y + Dy);
  };
  // The list of the list-first panel is shown, its range page is not.
  EXPECT_TRUE(panels[0]->ListPage()->Visible());
  EXPECT_EQ(at(panels[0]->ListBox(), panels[0]->ListBox()->Width() - 6,
               panels[0]->ListBox()->Height() - 6),
            white);
  // Edits are white fields; the lookup buttons beside them are not.
  for (TSelectPanel* p : {panels[1], panels[2], panels[3]}) {
    EXPECT_EQ(at(p->edBegin(), p->edBegin()->Width() - 5, p->edBegin()->Height() / 2), white) << p->Name();
    EXPECT_NE(at(p->BeginButton(), 2, p->BeginButton()->Height() / 2), white) << p->Name();
  }
  // The style switch sits under the caption of the user-choice panels only.
  EXPECT_TRUE(panels[0]->StyleSwitch()->Visible());
  EXPECT_FALSE(panels[2]->StyleSwitch()->Visible());

  const AnsiString file = AnsiString(KW_TEST_BINARY_DIR_PATH) + "/tests/report/select_panels.png";
  DeleteFile(file);
  SaveWindowPicture(form.get(), file);
  // A PNG whose header gives the window with its frame and caption bar.
  std::ifstream in(file, std::ios::binary);
  std::vector<unsigned char> head(24);
  ASSERT_TRUE(in.read(reinterpret_cast<char*>(head.data()), 24)) << file;
  EXPECT_EQ(std::string(head.begin() + 1, head.begin() + 4), "PNG");
  EXPECT_EQ(std::string(head.begin() + 12, head.begin() + 16), "IHDR");
  auto be32 = [&](int At) { return head[At] << 24 | head[At + 1] << 16 | head[At + 2] << 8 | head[At + 3]; };
  EXPECT_GE(be32(16), form->Width());
  EXPECT_GT(be32(20), form->Height()) << "the caption bar adds to the height";
}

}  // namespace
