// A small option-style window holding the library's own controls, drawn to a
// picture as a person would see it.

#include <gtest/gtest.h>

#include "platform/rtl/CodePages.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/StdControlPainters.h"
#include "platform/vcl/WindowPicture.h"
#include "src/controls/DBLabel.h"
#include "src/controls/ExtPage.h"
#include "src/controls/F2Button.h"
#include "src/controls/KwRadioGroup.h"
#include "src/controls/KwSpin.h"
#include "src/controls/KwcEdit.h"
#include "tests/controls/controls_fixture.h"

using namespace kw_test;

namespace {

class PictureTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    SetBitmoraFolders({KW_BITMORA_DIR});
    RegisterStdControlPainters();
  }
};

bool IsFace(const TBitmap& B, int X, int Y) { return ColorToRGB(B.Pixel(X, Y)) == ColorToRGB(clBtnFace); }

// How many pixels of R differ from the button face.
int DrawnPixels(const TBitmap& B, const TRect& R) {
  int n = 0;
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x) n += !IsFace(B, x, y);
  return n;
}

TEST_F(PictureTest, WindowWithTheOwnControls) {
  TLookupWindow* w = Window();
  w->SetCaption(GB("资产凭证报表 - 选项"));
  w->SetBounds(0, 0, 420, 300);
  w->Font()->SetCharset(GB2312_CHARSET);
  w->Font()->SetName(GB("宋体"));
  w->Font()->SetHeight(-12);

  auto* pages = new TExtPageControl(w);
  pages->SetParent(w);
  pages->SetBounds(8, 8, 396, 180);
  const std::pair<const char*, bool> sheets[] = {{"条件", true}, {"隐藏", false}, {"格式", true}, {"系统", true}};
  std::vector<TTabSheet*> sheet;
  for (auto [caption, visible] : sheets) {
    auto* s = new TTabSheet(w);
    s->SetPageControl(pages);
    s->SetCaption(Utf8ToGB(caption));
    s->SetTabVisible(visible);
    sheet.push_back(s);
  }
  pages->SetActivePage(sheet[0]);
  TTabSheet* page = sheet[0];

  auto* edit = new TEdit(w);
  edit->SetParent(page);
  edit->SetBounds(80, 36, 100, 21);
  edit->SetText("A1");
  auto* lookup = new TF2Button(w);
  lookup->SetParent(page);
  lookup->SetF2Control(edit);
  auto* label = new TDBLabel(w);
  label->SetParent(page);
  label->SetCaption(GB("单别"));
  label->SetFocusControl(edit);

  auto* asset = new TKwBtnDBEdit(w);
  asset->SetParent(page);
  asset->SetBounds(80, 70, 100, 21);
  asset->SetCaption(GB("资产编号"));
  asset->SetGlyphIndex(81);

  auto* copies = new TKwSpinEdit(w);
  copies->SetParent(page);
  copies->SetBounds(80, 104, 60, 21);
  copies->SetText("2");
  auto* clear = new TGSpeedButton(w);
  clear->SetParent(page);
  clear->SetFlat(true);
  clear->SetBounds(240, 35, 23, 23);
  clear->SetGlyphIndex(4);
  auto* remove = new TGSpeedButton(w);
  remove->SetParent(page);
  remove->SetFlat(true);
  remove->SetBounds(266, 35, 23, 23);
  remove->SetGlyphIndex(47);
  auto* date = new TGSpeedButton(w);
  date->SetParent(page);
  date->SetFlat(true);
  date->SetBounds(292, 35, 23, 23);
  date->SetGlyphIndex(9);

  auto* output = new TKwRadioGroup(w);
  output->SetParent(w);
  output->SetCaption(GB("输出"));
  output->SetBounds(8, 196, 260, 48);
  output->SetColumns(2);
  output->Items()->Add(GB("打印"));
  output->Items()->Add("Fax/Email");
  output->SetItemIndex(0);
  auto* single = new TKwRadioButton(w);
  single->SetParent(w);
  single->SetBounds(280, 210, 120, 20);
  single->SetCaption(GB("单张"));

  TBitmap picture;
  DrawWindowToBitmap(w, picture);
  const AnsiString file = AnsiString(KW_TEST_BINARY_DIR_PATH) + "/own_controls.png";
  picture.SaveToFile(file);
  TBitmap back;
  ASSERT_NO_THROW(picture.SaveToBytes());

  // The frame and caption bar come first: find the client origin from the
  // window picture's size.
  const int dx = (picture.Width() - w->Width()) / 2;
  const int dy = picture.Height() - w->Height() - dx;
  auto clientRect = [&](TControl* c) {
    int x = c->Left(), y = c->Top();
    for (TWinControl* p = c->Parent(); p && p != w; p = p->Parent()) x += p->Left(), y += p->Top();
    return TRect{dx + x, dy + y, dx + x + c->Width(), dy + y + c->Height()};
  };
  EXPECT_EQ((TRect{lookup->Left(), lookup->Top(), lookup->Width(), lookup->Height()}), (TRect{182, 36, 21, 21}));
  for (TControl* b : {static_cast<TControl*>(lookup), static_cast<TControl*>(clear), static_cast<TControl*>(remove),
                      static_cast<TControl*>(date), static_cast<TControl*>(asset->Button())}) {
    SCOPED_TRACE(b->ClassName());
    EXPECT_GT(DrawnPixels(picture, clientRect(b)), 20) << "the button shows its picture";
  }
  EXPECT_LT(label->Left() + label->Width(), edit->Left()) << "the label sits left of its edit";
  EXPECT_GT(DrawnPixels(picture, clientRect(label)), 10);
  EXPECT_GT(DrawnPixels(picture, clientRect(output->Buttons(1))), 20);
}

}  // namespace
