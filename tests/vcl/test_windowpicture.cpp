// Windows drawn to pictures: the frame and caption of a form, controls
// painted by their class's painter (or the nearest ancestor's), order and
// clipping, and a sample window written as PNG.

#include <gtest/gtest.h>
#include <png.h>

#include <memory>
#include <vector>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Files.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/WindowPicture.h"

namespace {

// ---- Controls of the test, with their looks --------------------------------

class TPicLabel : public TControl {
  KW_DECLARE_CLASS(TPicLabel, TControl)
 public:
  using TControl::TControl;
};

class TPicEdit : public TWinControl {
  KW_DECLARE_CLASS(TPicEdit, TWinControl)
 public:
  explicit TPicEdit(TComponent* AOwner) : TWinControl(AOwner) { SetColor(clWindow); }
};

class TPicButton : public TWinControl {
  KW_DECLARE_CLASS(TPicButton, TWinControl)
 public:
  using TWinControl::TWinControl;
  bool Default = false;
};

class TPicCheck : public TWinControl {
  KW_DECLARE_CLASS(TPicCheck, TWinControl)
 public:
  using TWinControl::TWinControl;
  int State = 0;
  bool Radio = false;
};

class TPicCombo : public TPicEdit {
  KW_DECLARE_CLASS(TPicCombo, TPicEdit)
 public:
  using TPicEdit::TPicEdit;
};

class TPicList : public TWinControl {
  KW_DECLARE_CLASS(TPicList, TWinControl)
 public:
  explicit TPicList(TComponent* AOwner) : TWinControl(AOwner) { SetColor(clWindow); }
  TListViewPicture Items;
};

class TPicTabs : public TWinControl {
  KW_DECLARE_CLASS(TPicTabs, TWinControl)
 public:
  using TWinControl::TWinControl;
  std::vector<AnsiString> Tabs;
  int Active = 0;
};

class TPicGroup : public TWinControl {
  KW_DECLARE_CLASS(TPicGroup, TWinControl)
 public:
  using TWinControl::TWinControl;
};

// A class with no painter of its own.
class TPicUnknown : public TWinControl {
  KW_DECLARE_CLASS(TPicUnknown, TWinControl)
 public:
  using TWinControl::TWinControl;
};

// A descendant of the edit: inherits the edit's look.
class TPicDateEdit : public TPicEdit {
  KW_DECLARE_CLASS(TPicDateEdit, TPicEdit)
 public:
  using TPicEdit::TPicEdit;
};

void RegisterTestPainters() {
  RegisterControlPainter(TPicLabel::StaticClass(), [](TControl& C, TCanvas& Cv, const TRect& R) {
    DrawControlText(Cv, C, R, C.Caption(), DT_LEFT | DT_TOP | DT_SINGLELINE);
  });
  RegisterControlPainter(TPicEdit::StaticClass(), [](TControl& C, TCanvas& Cv, const TRect& R) {
    DrawEditField(Cv, C, R, C.Text());
  });
  RegisterControlPainter(TPicCombo::StaticClass(), [](TControl& C, TCanvas& Cv, const TRect& R) {
    DrawComboField(Cv, C, R, C.Text());
  });
  RegisterControlPainter(TPicButton::StaticClass(), [](TControl& C, TCanvas& Cv, const TRect& R) {
    DrawPushButton(Cv, C, R, C.Caption(), false, static_cast<TPicButton&>(C).Default);
  });
  RegisterControlPainter(TPicCheck::StaticClass(), [](TControl& C, TCanvas& Cv, const TRect& R) {
    auto& check = static_cast<TPicCheck&>(C);
    DrawCheckControl(Cv, C, R, C.Caption(), check.State, check.Radio);
  });
  RegisterControlPainter(TPicList::StaticClass(), [](TControl& C, TCanvas& Cv, const TRect& R) {
    DrawListView(Cv, C, R, static_cast<TPicList&>(C).Items);
  });
  RegisterControlPainter(TPicTabs::StaticClass(), [](TControl& C, TCanvas& Cv, const TRect& R) {
    auto& tabs = static_cast<TPicTabs&>(C);
    DrawTabs(Cv, C, R, tabs.Tabs, tabs.Active);
  });
  RegisterControlPainter(TPicGroup::StaticClass(), [](TControl& C, TCanvas& Cv, const TRect& R) {
    DrawGroupFrame(Cv, C, R, C.Caption());
  });
}

template <class T>
T* Add(TWinControl* Parent, TComponent* Owner, int L, int T_, int W, int H,
       const char* TextUtf8 = "") {
  auto* c = new T(Owner);
  c->SetParent(Parent);
  c->SetBounds(L, T_, W, H);
  c->SetText(Utf8ToGB(TextUtf8));
  return c;
}

int CountColor(const TBitmap& B, const TRect& R, TColor C) {
  int n = 0;
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x) n += B.Pixel(x, y) == ColorToRGB(C);
  return n;
}

template <class F>
int CountWhere(const TBitmap& B, const TRect& R, F Test) {
  int n = 0;
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x) {
      TColor c = B.Pixel(x, y);
      n += Test(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF) ? 1 : 0;
    }
  return n;
}

// Pixels that are neither of the two colours (ink of text or glyphs).
int CountInk(const TBitmap& B, const TRect& R, TColor Back) {
  int n = 0;
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x) n += B.Pixel(x, y) != ColorToRGB(Back);
  return n;
}

class WindowPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestPainters();
    Form.reset(CreateForm<TForm>(nullptr));
    Form->Font()->SetName(GB("宋体"));
    Form->Font()->SetCharset(GB2312_CHARSET);
    Form->Font()->SetSize(9);
  }
  std::unique_ptr<TForm> Form;
};

// The sample window: a voucher card with Chinese captions.
TEST_F(WindowPicture, SampleWindowWithChineseCaptions) {
  TForm* f = Form.get();
  f->SetCaption(GB("固定资产卡片"));
  f->SetBounds(0, 0, 420, 300);
  auto* lblName = Add<TPicLabel>(f, f, 12, 16, 70, 14, "资产名称：");
  auto* edtName = Add<TPicEdit>(f, f, 84, 12, 150, 21, "办公桌 A-01");
  Add<TPicLabel>(f, f, 246, 16, 40, 14, "类别：");
  auto* cmb = Add<TPicCombo>(f, f, 288, 12, 118, 21, "办公家具");
  auto* chk = Add<TPicCheck>(f, f, 12, 42, 100, 17, "已审核");
  chk->State = 1;
  auto* rad = Add<TPicCheck>(f, f, 120, 42, 110, 17, "直线法");
  rad->Radio = true;
  rad->State = 1;
  auto* tabs = Add<TPicTabs>(f, f, 8, 66, 404, 160);
  tabs->Tabs = {GB("基本信息"), GB("附属设备"), GB("变动记录")};
  tabs->Active = 1;
  auto* list = Add<TPicList>(tabs, f, 8, 30, 388, 120);
  list->Items.Columns = {GB("编号"), GB("名称"), GB("金额")};
  list->Items.ColumnWidths = {70, 180, 100};
  list->Items.Rows = {{"0001", GB("显示器"), "1,200.00"},
                      {"0002", GB("打印机"), "2,350.00"},
                      {"0003", GB("扫描仪"), "980.00"}};
  list->Items.Selected = {false, true, false};
  auto* disabled = Add<TPicLabel>(f, f, 12, 240, 120, 14, "原值：不可修改");
  disabled->SetEnabled(false);
  auto* ok = Add<TPicButton>(f, f, 250, 236, 75, 25, "确定");
  ok->Default = true;
  Add<TPicButton>(f, f, 335, 236, 75, 25, "取消");

  TBitmap pic;
  DrawWindowToBitmap(f, pic);
  const int b = 4, cap = 19;  // a sizeable frame and the caption bar
  ASSERT_EQ(pic.Width(), 420 + 2 * b);
  ASSERT_EQ(pic.Height(), 300 + cap + 2 * b);
  EXPECT_EQ(pic.PixelFormat(), pf24bit);

  // The caption bar starts in the active caption colour and carries the
  // caption's text in the caption text colour.
  EXPECT_EQ(pic.Pixel(b, b + 1), ColorToRGB(clActiveCaption));
  EXPECT_GT(CountWhere(pic, {b + 2, b, b + 120, b + cap - 1},
                       [](int r, int g, int bl) { return r > 0xC0 && g > 0xC0 && bl > 0xC0; }),
            20);
  // The client area is the form's colour where no control lies.
  EXPECT_EQ(pic.Pixel(b + 240, b + cap + 50), ColorToRGB(clBtnFace));
  // The edit: a sunken edge, the window colour inside, text drawn on it.
  TRect edit = OffsetRect({84, 12, 234, 33}, b, b + cap);
  EXPECT_EQ(pic.Pixel(edit.Left, edit.Top), ColorToRGB(clBtnShadow));
  EXPECT_EQ(pic.Pixel(edit.Right - 1, edit.Bottom - 1), ColorToRGB(clBtnHighlight));
  EXPECT_GT(CountColor(pic, InflateRect(edit, -2, -2), clWindow), 500);
  EXPECT_GT(CountInk(pic, InflateRect(edit, -2, -2), clWindow), 40);
  EXPECT_EQ(edtName->Text(), GB("办公桌 A-01"));
  // The default button has a dark outline.
  TRect okR = OffsetRect({250, 236, 325, 261}, b, b + cap);
  EXPECT_EQ(pic.Pixel(okR.Left, okR.Top + 5), ColorToRGB(cl3DDkShadow));
  EXPECT_GT(CountInk(pic, InflateRect(okR, -3, -3), clBtnFace), 20);
  // The selected list row is highlighted; the list lies inside the tabs.
  TRect listR = OffsetRect({16, 96, 404, 216}, b, b + cap);
  EXPECT_GT(CountColor(pic, listR, clHighlight), 200);
  // The disabled label is embossed: darker (shadow) and lighter (highlight)
  // ink than the face, nothing darker than the shadow colour.
  TRect dis = OffsetRect({12, 240, 132, 254}, b, b + cap);
  int face = ColorToRGB(clBtnFace) & 0xFF, shadow = ColorToRGB(clBtnShadow) & 0xFF;
  EXPECT_GT(CountWhere(pic, dis, [face](int r, int, int) { return r < face; }), 20);
  EXPECT_GT(CountWhere(pic, dis, [face](int r, int, int) { return r > face; }), 20);
  EXPECT_EQ(CountWhere(pic, dis, [shadow](int r, int, int) { return r < shadow; }), 0);
  EXPECT_GT(CountInk(pic, OffsetRect({12, 16, 82, 30}, b, b + cap), clBtnFace), 20);
  (void)lblName;
  (void)cmb;

  // Written as PNG into the test's temp folder and read back with libpng.
  AnsiString file = IncludeTrailingPathDelimiter(AnsiString(::testing::TempDir())) +
                    "sample_window.png";
  SaveWindowPicture(f, file);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, file.c_str()));
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  ASSERT_EQ(static_cast<int>(image.width), pic.Width());
  ASSERT_EQ(static_cast<int>(image.height), pic.Height());
  for (int y = 0; y < pic.Height(); y += 7)
    for (int x = 0; x < pic.Width(); x += 5) {
      const uint8_t* p = rgb.data() + (static_cast<size_t>(y) * pic.Width() + x) * 3;
      ASSERT_EQ(p[0] | (p[1] << 8) | (p[2] << 16), pic.Pixel(x, y)) << x << "," << y;
    }
}

TEST_F(WindowPicture, BorderStylesDecideTheFrame) {
  struct {
    TFormBorderStyle Style;
    int ExtraW, ExtraH;
  } cases[] = {{bsNone, 0, 0}, {bsSizeable, 8, 27}, {bsDialog, 6, 25}, {bsToolWindow, 6, 22}};
  Form->SetBounds(0, 0, 100, 60);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Style);
    Form->SetBorderStyle(c.Style);
    TBitmap pic;
    DrawWindowToBitmap(Form.get(), pic);
    EXPECT_EQ(pic.Width(), 100 + c.ExtraW);
    EXPECT_EQ(pic.Height(), 60 + c.ExtraH);
  }
  // A bare windowed control has no frame at all.
  auto* box = Add<TPicUnknown>(Form.get(), Form.get(), 0, 0, 30, 20);
  TBitmap pic;
  DrawWindowToBitmap(box, pic);
  EXPECT_EQ(pic.Width(), 30);
  EXPECT_EQ(pic.Height(), 20);
}

TEST_F(WindowPicture, PaintersComeFromTheNearestRegisteredAncestor) {
  EXPECT_EQ(FindControlPainter(TPicDateEdit::StaticClass()),
            FindControlPainter(TPicEdit::StaticClass()));
  TControlPainter unknown = FindControlPainter(TPicUnknown::StaticClass());
  EXPECT_EQ(unknown, FindControlPainter(TWinControl::StaticClass()));
  EXPECT_NE(unknown, FindControlPainter(TControl::StaticClass()));
  EXPECT_NE(unknown, FindControlPainter(TPicEdit::StaticClass()));

  // A painter of its own wins; removing it falls back again.
  static int calls = 0;
  RegisterControlPainter(TPicDateEdit::StaticClass(),
                         [](TControl&, TCanvas&, const TRect&) { ++calls; });
  Form->SetBorderStyle(bsNone);
  Form->SetBounds(0, 0, 50, 50);
  Add<TPicDateEdit>(Form.get(), Form.get(), 0, 0, 20, 20);
  TBitmap pic;
  DrawWindowToBitmap(Form.get(), pic);
  EXPECT_EQ(calls, 1);
  RegisterControlPainter(TPicDateEdit::StaticClass(), nullptr);
  DrawWindowToBitmap(Form.get(), pic);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(pic.Pixel(0, 0), ColorToRGB(clBtnShadow));  // the edit's sunken edge
}

TEST_F(WindowPicture, UnknownControlsGetAFrameAndTheirCaption) {
  Form->SetBorderStyle(bsNone);
  Form->SetBounds(0, 0, 120, 40);
  Form->SetColor(clBtnFace);
  auto* box = Add<TPicUnknown>(Form.get(), Form.get(), 10, 5, 100, 30, "未知控件");
  box->SetColor(clWhite);
  TBitmap pic;
  DrawWindowToBitmap(Form.get(), pic);
  EXPECT_EQ(pic.Pixel(10, 5), ColorToRGB(clBtnShadow));
  EXPECT_EQ(pic.Pixel(109, 34), ColorToRGB(clBtnShadow));
  EXPECT_EQ(pic.Pixel(60, 30), clWhite);
  EXPECT_GT(CountInk(pic, {13, 7, 109, 25}, clWhite), 30);
  EXPECT_EQ(pic.Pixel(5, 5), ColorToRGB(clBtnFace));
}

TEST_F(WindowPicture, ChildrenStayInsideTheirParentsAndHiddenOnesAreLeftOut) {
  Form->SetBorderStyle(bsNone);
  Form->SetBounds(0, 0, 100, 100);
  auto* group = Add<TPicUnknown>(Form.get(), Form.get(), 10, 10, 40, 40);
  group->SetColor(clWhite);
  // Reaches past the group's right and bottom edges.
  auto* inner = Add<TPicUnknown>(group, Form.get(), 20, 20, 60, 60);
  inner->SetColor(clRed);
  auto* hidden = Add<TPicUnknown>(Form.get(), Form.get(), 60, 60, 30, 30);
  hidden->SetColor(clLime);
  hidden->SetVisible(false);
  TBitmap pic;
  DrawWindowToBitmap(Form.get(), pic);
  EXPECT_EQ(pic.Pixel(40, 40), clRed);
  EXPECT_EQ(CountColor(pic, {50, 0, 100, 100}, clRed), 0);
  EXPECT_EQ(CountColor(pic, {0, 50, 100, 100}, clRed), 0);
  EXPECT_EQ(CountColor(pic, {0, 0, 100, 100}, clLime), 0);
}

TEST_F(WindowPicture, GraphicControlsLieBelowWindowedSiblings) {
  Form->SetBorderStyle(bsNone);
  Form->SetBounds(0, 0, 60, 30);
  // Created first as a window, then a label over the same place: the
  // window still covers the label.
  auto* edit = Add<TPicEdit>(Form.get(), Form.get(), 0, 0, 60, 30);
  edit->SetColor(clYellow);
  auto* label = Add<TPicLabel>(Form.get(), Form.get(), 0, 0, 60, 30, "资产资产");
  label->Font()->SetColor(clRed);
  TBitmap pic;
  DrawWindowToBitmap(Form.get(), pic);
  EXPECT_EQ(CountColor(pic, {0, 0, 60, 30}, clRed), 0);
  EXPECT_GT(CountColor(pic, {0, 0, 60, 30}, clYellow), 1000);
}

}  // namespace
