// A generated voucher page drawn with the real fonts: Chinese in the Song
// face (charset 134) and Latin text, written as a PNG next to the test
// programs for a person to look at, and checked for ink where the texts are.

#include <gtest/gtest.h>

#include "platform/db/ClientDataSet.h"
#include "platform/qr/PageRender.h"
#include "platform/qr/QRCtrls.h"
#include "platform/qr/QRPrinter.h"
#include "platform/qr/QuickRpt.h"
#include "platform/rtl/CodePages.h"
#include "platform/vcl/Bitmap.h"

namespace {

// Dark pixels in a page rectangle of a bitmap rendered at Dpi.
int InkIn(const TBitmap& Bitmap, const TPageRect& Box, int Dpi) {
  const TCanvas& C = *Bitmap.Canvas();
  int Count = 0;
  for (int y = PageToPixels(Box.Top, Dpi); y < PageToPixels(Box.Bottom, Dpi); ++y)
    for (int x = PageToPixels(Box.Left, Dpi); x < PageToPixels(Box.Right, Dpi); ++x) {
      TColor P = C.Pixel(x, y);
      if (P >= 0 && (P & 0xFF) < 128 && ((P >> 8) & 0xFF) < 128 && ((P >> 16) & 0xFF) < 128) ++Count;
    }
  return Count;
}

TEST(EngineRender, VoucherPageWithChineseAndLatinText) {
  TComponent Form(nullptr);
  auto* DS = new TClientDataSet(&Form);
  DS->SetName("ClientDataSet1");
  DS->FieldDefs().Add("TC002", ftString, 11);
  DS->FieldDefs().Add("MB002", ftString, 30);
  DS->FieldDefs().Add("TDK01", ftString, 4);
  DS->FieldDefs().Add("TDK06", ftFloat);
  DS->CreateDataSet();
  DS->AppendRecord({"20261211001", GB("办公电脑 Model X1"), "0001", 12800.5});
  DS->AppendRecord({"20261211001", GB("办公电脑 Model X1"), "0002", 560.0});
  DS->AppendRecord({"20261211001", GB("办公电脑 Model X1"), "0003", 99.99});

  auto* Report = new TQuickRep(&Form);
  Report->SetDataSet(DS);
  Report->Page()->SetPaperSize(TQRPaperSize::A5);
  Report->Page()->SetOrientation(poLandscape);
  int Top = 0;
  auto Band = [&](TQRBandType Type, int Height) {
    auto* B = new TQRBand(&Form);
    B->SetParent(Report);
    B->SetBandType(Type);
    B->SetBounds(0, Top, 720, Height);
    Top += Height;
    return B;
  };
  auto Song = [](TQRPrintable* I, int Height, bool Bold = false) {
    I->Font()->SetName(GB("宋体"));
    I->Font()->SetCharset(134);
    I->Font()->SetHeight(-Height);
    if (Bold) I->Font()->SetStyle({fsBold});
  };
  auto Label = [&](TQRBand* B, const AnsiString& Caption, int Left, int TopInBand, int Height = 12) {
    auto* L = new TQRLabel(&Form);
    L->SetParent(B);
    L->SetCaption(Caption);
    L->SetBounds(Left, TopInBand, 100, Height + 4);
    Song(L, Height);
    return L;
  };
  auto Field = [&](TQRBand* B, const char* Name, int Left, int TopInBand, int Width, TAlignment Align = taLeftJustify) {
    auto* T = new TQRDBText(&Form);
    T->SetParent(B);
    T->SetDataSet(DS);
    T->SetDataField(Name);
    T->SetAutoSize(false);
    T->SetAlignment(Align);
    T->SetBounds(Left, TopInBand, Width, 16);
    Song(T, 12);
    return T;
  };

  auto* Title = Band(rbTitle, 50);
  auto* Heading = Label(Title, GB("固定资产异动单"), 250, 8, 24);
  Heading->Font()->SetStyle({fsBold});
  Label(Title, "Fixed asset voucher", 270, 34, 11);
  auto* Header = Band(rbColumnHeader, 40);
  Label(Header, GB("单号:"), 10, 4);
  Field(Header, "TC002", 60, 4, 120);
  Label(Header, GB("资产名称:"), 260, 4);
  Field(Header, "MB002", 330, 4, 220);
  auto* Rule = new TQRShape(&Form);
  Rule->SetParent(Header);
  Rule->SetShape(qrsHorLine);
  Rule->SetBounds(0, 30, 720, 4);
  auto* Detail = Band(rbDetail, 22);
  Field(Detail, "TDK01", 10, 3, 60);
  Field(Detail, "TDK06", 100, 3, 120, taRightJustify)->SetMask("#,##0.00");
  Label(Detail, GB("本币税前金额"), 240, 3);
  auto* Summary = Band(rbSummary, 40);
  auto* Total = new TQRExpr(&Form);
  Total->SetParent(Summary);
  Total->SetExpression("SUM(ClientDataSet1.TDK06)");
  Total->SetMask(GB("合计: #,##0.00"));
  Total->SetBounds(10, 10, 200, 16);
  Song(Total, 12, true);
  auto* Frame = new TQRShape(&Form);
  Frame->SetParent(Summary);
  Frame->SetBounds(0, 2, 720, 34);
  Frame->Brush()->SetStyle(bsClear);

  ASSERT_TRUE(Report->Prepare());
  ASSERT_EQ(Report->QRPrinter()->PageCount(), 1);
  const TPageMetafile& Page = *Report->QRPrinter()->Page(1);
  EXPECT_EQ(Page.Width(), 21000);
  EXPECT_EQ(Page.Height(), 14800);

  const int Dpi = 150;
  auto Bitmap = RenderPage(Page, Report->QRPrinter()->PageStore().Resources(), Dpi);
  ASSERT_NE(Bitmap, nullptr);
  EXPECT_EQ(Bitmap->Width(), PageToPixels(21000, Dpi));
  AnsiString File = AnsiString(KW_TEST_BINARY_DIR_PATH) + "/tests/qr/engine_page.png";
  Bitmap->SaveToPngFile(File);

  // Every text record has ink in its box; the space between records has none.
  int Texts = 0;
  for (const auto& R : Page.Records()) {
    if (R.Kind != TPageRecordKind::Text) continue;
    ++Texts;
    EXPECT_GT(InkIn(*Bitmap, R.Box, Dpi), 10) << Page.TextOf(R);
  }
  EXPECT_EQ(Texts, 16);  // title 2, column header 4, three lines of 3, the total
  EXPECT_EQ(InkIn(*Bitmap, {15000, 9000, 20000, 14000}, Dpi), 0);
  EXPECT_NE(Page.PlainText().find(GB("合计: 13,460.49")), AnsiString::npos);
}

}  // namespace
