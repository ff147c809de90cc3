// The banded report engine over a small in-memory data set: event order,
// groups, refusing bands, a record stepped back to the next page, page-level
// bands, half-page sheets, background pictures, functions, stretching items,
// cancelling, and layouts read from form text.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/db/ClientDataSet.h"
#include "platform/qr/QRCtrls.h"
#include "platform/qr/QRExpr.h"
#include "platform/qr/PageStore.h"
#include "platform/qr/PrintBackend.h"
#include "platform/qr/QRPrinter.h"
#include "platform/qr/QuickRpt.h"
#include "platform/rtl/StringList.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/FormText.h"
#include "platform/vcl/Forms.h"

namespace {

// Vouchers: type + number is the group; one row a detail line.
struct TRow {
  const char* Type;
  const char* Number;
  int Line;
  double Amount;
};

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Form = std::make_unique<TComponent>(nullptr);
    DS = new TClientDataSet(Form.get());
    DS->SetName("ClientDataSet1");
    DS->FieldDefs().Add("TC001", ftString, 4);
    DS->FieldDefs().Add("TC002", ftString, 11);
    DS->FieldDefs().Add("TDK01", ftInteger);
    DS->FieldDefs().Add("AMOUNT", ftFloat);
    DS->CreateDataSet();
    Report = new TQuickRep(Form.get());
    Report->SetName("QuickRep1");
    Report->SetDataSet(DS);
    Report->Page()->SetPaperSize(TQRPaperSize::A4);
    for (int i : {TQRPage::TopMarginValue, TQRPage::BottomMarginValue, TQRPage::LeftMarginValue, TQRPage::RightMarginValue})
      Report->Page()->SetValue(i, 100);  // 10 mm
    Report->SetZoom(100);
  }

  void Fill(std::initializer_list<TRow> Rows) {
    for (const auto& R : Rows) DS->AppendRecord({R.Type, R.Number, R.Line, R.Amount});
    DS->First();
  }

  template <class T = TQRBand>
  T* AddBand(const char* Name, TQRBandType Type, int Height) {
    T* B = new T(Form.get());
    B->SetName(Name);
    B->SetParent(Report);
    if constexpr (std::is_same_v<T, TQRBand>) B->SetBandType(Type);
    B->SetBounds(0, Top, 700, Height);
    Top += Height;
    return B;
  }

  template <class T>
  T* AddItem(TQRCustomBand* Band, const char* Name, int Left = 0, int Width = 120, int Height = 17) {
    T* I = new T(Form.get());
    I->SetName(Name);
    I->SetParent(Band);
    I->SetBounds(Left, 0, Width, Height);
    return I;
  }

  TQRDBText* AddField(TQRCustomBand* Band, const char* Name, const char* Field, int Left = 0) {
    auto* T = AddItem<TQRDBText>(Band, Name, Left);
    T->SetDataSet(DS);
    T->SetDataField(Field);
    return T;
  }

  TQRLabel* AddLabel(TQRCustomBand* Band, const char* Name, const char* Caption, int Left = 0) {
    auto* L = AddItem<TQRLabel>(Band, Name, Left);
    L->SetCaption(Caption);
    return L;
  }

  // The texts of a sheet, in drawing order.
  std::vector<std::string> Texts(int Sheet) {
    std::vector<std::string> Result;
    const TPageMetafile* P = Report->QRPrinter()->Page(Sheet);
    if (!P) return Result;
    for (const auto& R : P->Records())
      if (R.Kind == TPageRecordKind::Text) Result.push_back(P->TextOf(R));
    return Result;
  }
  const TPageRecord* FindText(int Sheet, const std::string& Text) {
    const TPageMetafile* P = Report->QRPrinter()->Page(Sheet);
    for (const auto& R : P->Records())
      if (R.Kind == TPageRecordKind::Text && P->TextOf(R) == Text) return &R;
    return nullptr;
  }

  // Event handlers: each writes a line to Log.
 public:
  // Walks the records with the group's evaluator, as the voucher layouts
  // count their lines before printing.
  void ReportBeforePrint(TQuickRep*, bool& PrintReport) {
    std::vector<std::string> Values;
    Group->Evaluator().Prepare(Group->Expression());
    for (DS->First(); !DS->Eof(); DS->Next()) {
      std::string V = Group->Evaluator().Value().AsString();
      if (Values.empty() || Values.back() != V) Values.push_back(V);
    }
    Group->Evaluator().Unprepare();
    Log.push_back("report " + std::to_string(Values.size()) + " groups");
  }
  void StartPage(TQuickRep* Sender) { Log.push_back("page " + std::to_string(Sender->PageNumber())); }
  void BandBefore(TQRCustomBand* Sender, bool& PrintBand) {
    std::string Entry = Sender->Name();
    if (Sender == Detail) Entry += " " + DS->FieldByName("TDK01")->AsString();
    if (Sender->Is<TQRGroup>()) Entry += " " + static_cast<TQRGroup*>(Sender)->Evaluator().Value().AsString();
    Log.push_back(Entry);
    if (RefuseOdd && Sender == Detail) PrintBand = DS->FieldByName("TDK01")->AsInteger() % 2 == 0;
  }
  void BandAfter(TQRCustomBand* Sender, bool Printed) {
    if (Sender == Detail) Log.push_back(std::string(Printed ? "printed " : "refused ") + DS->FieldByName("TDK01")->AsString());
  }
  void Preview(TObject*) {
    Log.push_back("preview");
    StatusInPreview = Report->QRPrinter()->Status();
  }
  void EndPageCancel(TQuickRep* Sender) {
    if (Sender->PageNumber() == CancelAfter) Sender->Cancel();
  }

 protected:
  void Watch(TQRCustomBand* B) {
    B->BeforePrint = Bind<&EngineTest::BandBefore>(this);
    B->AfterPrint = Bind<&EngineTest::BandAfter>(this);
  }

  // A voucher layout: group header (type + number), detail (line), footer.
  void VoucherLayout(int DetailHeight = 20) {
    PageHeader = AddBand("PageHeader", rbPageHeader, 30);
    auto* PageNo = AddItem<TQRExpr>(PageHeader, "PageNo");
    PageNo->SetExpression("'Page ' + STR(PAGENUMBER)");
    Group = AddBand<TQRGroup>("QRGroup", rbGroupHeader, 40);
    Group->SetExpression("ClientDataSet1.TC001+ClientDataSet1.TC002");
    AddField(Group, "txtTC002", "TC002");
    Detail = AddBand("QRDetailBand", rbDetail, DetailHeight);
    AddField(Detail, "txtTDK01", "TDK01");
    Footer = AddBand("QRGroupFooter", rbGroupFooter, 30);
    Group->SetFooterBand(Footer);
    auto* Count = AddItem<TQRExpr>(Footer, "Lines");
    Count->SetExpression("'lines ' + STR(COUNT())");
    Count->SetResetAfterPrint(true);
    for (TQRCustomBand* B : std::vector<TQRCustomBand*>{PageHeader, Group, Detail, Footer}) Watch(B);
  }

  std::unique_ptr<TComponent> Form;
  TClientDataSet* DS = nullptr;
  TQuickRep* Report = nullptr;
  TQRBand* PageHeader = nullptr;
  TQRGroup* Group = nullptr;
  TQRBand* Detail = nullptr;
  TQRBand* Footer = nullptr;
  int Top = 0;
  std::vector<std::string> Log;
  bool RefuseOdd = false;
  int CancelAfter = 0;
  TQRPrinterStatus StatusInPreview = mpReady;
};

TEST_F(EngineTest, GroupsPrintHeadersAndFootersInEventOrder) {
  Fill({{"A1", "0001", 1, 10}, {"A1", "0001", 2, 20}, {"A1", "0002", 1, 5}, {"B2", "0001", 1, 1}, {"B2", "0001", 2, 2}});
  VoucherLayout();
  Report->BeforePrint = Bind<&EngineTest::ReportBeforePrint>(this);
  Report->OnStartPage = Bind<&EngineTest::StartPage>(this);
  Report->OnPreview = Bind<&EngineTest::Preview>(this);
  ASSERT_TRUE(Report->Preview());

  const std::vector<std::string> Expected = {
      "preview", "report 3 groups", "page 1", "PageHeader",
      "QRGroup A10001", "QRDetailBand 1", "printed 1", "QRDetailBand 2", "printed 2", "QRGroupFooter",
      "QRGroup A10002", "QRDetailBand 1", "printed 1", "QRGroupFooter",
      "QRGroup B20001", "QRDetailBand 1", "printed 1", "QRDetailBand 2", "printed 2", "QRGroupFooter"};
  EXPECT_EQ(Log, Expected);
  EXPECT_EQ(StatusInPreview, mpReady);  // the preview pass starts before generation
  EXPECT_EQ(Report->QRPrinter()->Status(), mpFinished);
  EXPECT_EQ(Report->QRPrinter()->PageCount(), 1);
  EXPECT_EQ(Texts(1), (std::vector<std::string>{"Page 1", "0001", "1", "2", "lines 2", "0002", "1", "lines 1",
                                                "0001", "1", "2", "lines 2"}));
  // Bands stack from the top margin down, in design pixels converted to
  // hundredths of a millimetre (96 pixels an inch at zoom 100).
  const TPageRecord* First = FindText(1, "Page 1");
  ASSERT_NE(First, nullptr);
  EXPECT_EQ(First->Box.Top, 1000);
  EXPECT_EQ(First->Box.Left, 1000);
  EXPECT_EQ(FindText(1, "0002")->Box.Top, 1000 + MMToPage((30 + 40 + 20 + 20 + 30) * 25.4 / 96));
}

TEST_F(EngineTest, ARefusingBandPrintsNothingAndHearsSo) {
  Fill({{"A1", "0001", 1, 0}, {"A1", "0001", 2, 0}, {"A1", "0001", 3, 0}, {"A1", "0001", 4, 0}});
  VoucherLayout();
  RefuseOdd = true;
  ASSERT_TRUE(Report->Prepare());
  std::vector<std::string> Details;
  for (const auto& L : Log)
    if (L.rfind("printed", 0) == 0 || L.rfind("refused", 0) == 0) Details.push_back(L);
  EXPECT_EQ(Details, (std::vector<std::string>{"refused 1", "printed 2", "refused 3", "printed 4"}));
  EXPECT_EQ(Texts(1), (std::vector<std::string>{"Page 1", "0001", "2", "4", "lines 2"}));
}

TEST_F(EngineTest, ContinuationPagesRepeatTheGroupHeader) {
  // 100 mm between the margins: 378 pixels, room for the page header (30),
  // the group header (40) and three 100-pixel lines.
  Report->Page()->SetLength(1200);
  Fill({{"A1", "0001", 1, 0}, {"A1", "0001", 2, 0}, {"A1", "0001", 3, 0}, {"A1", "0001", 4, 0}, {"A1", "0001", 5, 0},
        {"B2", "0009", 1, 0}});
  VoucherLayout(100);
  Group->SetReprintOnNewPage(true);
  ASSERT_TRUE(Report->Prepare());
  ASSERT_EQ(Report->QRPrinter()->PageCount(), 3);
  EXPECT_EQ(Texts(1), (std::vector<std::string>{"Page 1", "0001", "1", "2", "3"}));
  EXPECT_EQ(Texts(2), (std::vector<std::string>{"Page 2", "0001", "4", "5", "lines 5"}));
  EXPECT_EQ(Texts(3), (std::vector<std::string>{"Page 3", "0009", "1", "lines 1"}));
  // Without reprinting, the continuation page starts with the details.
  Group->SetReprintOnNewPage(false);
  ASSERT_TRUE(Report->Prepare());
  EXPECT_EQ(Texts(2), (std::vector<std::string>{"Page 2", "4", "5", "lines 5"}));
}

// The voucher layouts' page-level bands: the attach band shrinks by a detail
// height per line after the first; a detail handler that finds it negative
// refuses, gives the height back and steps the data set back, so the record
// prints on the next page, which starts with the group header again.
class PageBandTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    VoucherLayout(20);
    Footer->SetHeight(2 * 20);  // three lines a page
    Child = AddBand<TQRChildBand>("GroupFooterChildBand", rbChild, 30);
    Child->SetParentBand(Footer);
    AddLabel(Child, "lblSign", "sign");
    Report->SetPageStartBand(Group);
    Report->SetPageDetailBand(Detail);
    Report->SetPageAttachBand(Footer);
    Report->SetPageEndBand(Child);
    Detail->BeforePrint = Bind<&PageBandTest::DetailBeforePrint>(this);
    Group->BeforePrint = Bind<&PageBandTest::GroupBeforePrint>(this);
  }
 public:
  void GroupBeforePrint(TQRCustomBand*, bool&) {
    AnsiString Value = Group->Evaluator().Value().AsString();
    if (Value != Key) {
      Key = Value;
      Line = 0;
    }
    Log.push_back("group " + Value + " attach " + std::to_string(Footer->Height()));
  }
  void DetailBeforePrint(TQRCustomBand* Sender, bool& PrintBand) {
    if (Footer->Height() >= 0 || Line <= 1) {
      ++Line;
      return;
    }
    PrintBand = false;
    Footer->SetHeight(Footer->Height() + Detail->Height());
    DS->Prior();
  }

 protected:
  TQRChildBand* Child = nullptr;
  AnsiString Key;
  int Line = 0;
};

TEST_F(PageBandTest, ASteppedBackRecordPrintsOnTheNextPage) {
  Fill({{"A1", "0001", 1, 0}, {"A1", "0001", 2, 0}, {"A1", "0001", 3, 0}, {"A1", "0001", 4, 0}, {"A1", "0002", 1, 0}});
  ASSERT_TRUE(Report->Prepare());
  // Voucher 0001 takes two pages (3 + 1 lines), voucher 0002 one; every page
  // ends with the attach and end bands (the footer's count restarts after
  // each print), every page starts with the header.
  ASSERT_EQ(Report->QRPrinter()->PageCount(), 3);
  EXPECT_EQ(Texts(1), (std::vector<std::string>{"Page 1", "0001", "1", "2", "3", "lines 3", "sign"}));
  EXPECT_EQ(Texts(2), (std::vector<std::string>{"Page 2", "0001", "4", "lines 1", "sign"}));
  EXPECT_EQ(Texts(3), (std::vector<std::string>{"Page 3", "0002", "1", "lines 1", "sign"}));
  // The attach band starts every page at its designed height and is back to
  // it after the run.
  EXPECT_EQ(std::count(Log.begin(), Log.end(), "group A10001 attach 40"), 2);
  EXPECT_EQ(Footer->Height(), 40);
  // The end band sits below the attach band, whose height kept the page's
  // length: the full page's "sign" is as low as the one-line page's.
  EXPECT_EQ(FindText(1, "sign")->Box.Top, FindText(3, "sign")->Box.Top);
}

TEST_F(PageBandTest, HalfPageStylePutsTwoReportPagesOnASheet) {
  Report->SetPageStyle(qpsHalfPage);
  Fill({{"A1", "0001", 1, 0}, {"A1", "0002", 1, 0}, {"A1", "0003", 1, 0}});
  ASSERT_TRUE(Report->Prepare());
  EXPECT_EQ(Report->ReportPageCount(), 3);
  ASSERT_EQ(Report->QRPrinter()->PageCount(), 2);
  EXPECT_TRUE(Report->QRPrinter()->HalfPage());
  const TPageMetafile* Sheet = Report->QRPrinter()->Page(1);
  EXPECT_EQ(Sheet->Width(), 21000);
  EXPECT_EQ(Sheet->Height(), 29700);
  EXPECT_EQ(Texts(1), (std::vector<std::string>{"Page 1", "0001", "1", "lines 1", "sign", "Page 2", "0002", "1",
                                                "lines 1", "sign"}));
  EXPECT_EQ(Texts(2), (std::vector<std::string>{"Page 3", "0003", "1", "lines 1", "sign"}));
  // The second report page is the first one moved down by half the sheet.
  EXPECT_EQ(FindText(1, "Page 1")->Box.Top, 1000);
  EXPECT_EQ(FindText(1, "Page 2")->Box.Top, 1000 + 29700 / 2);
  EXPECT_EQ(FindText(1, "0002")->Box.Top - FindText(1, "Page 2")->Box.Top,
            FindText(1, "0001")->Box.Top - FindText(1, "Page 1")->Box.Top);
}

TEST_F(EngineTest, BackgroundPictureIsSharedByEveryPage) {
  Report->Page()->SetLength(1000);
  Fill({{"A1", "0001", 1, 0}, {"A1", "0002", 1, 0}, {"A1", "0003", 1, 0}});
  VoucherLayout(20);
  Group->SetForceNewPage(true);
  TBitmap Picture(8, 8);
  Report->SetBackground(&Picture);
  ASSERT_TRUE(Report->Prepare());
  ASSERT_EQ(Report->QRPrinter()->PageCount(), 3);
  for (int Sheet = 1; Sheet <= 3; ++Sheet) {
    const auto& First = Report->QRPrinter()->Page(Sheet)->Records().front();
    EXPECT_EQ(First.Kind, TPageRecordKind::Picture) << Sheet;
    EXPECT_EQ(First.Picture, 0) << Sheet;
    EXPECT_EQ(First.Box, (TPageRect{0, 0, 21000, 10000})) << Sheet;
  }
  EXPECT_NE(Report->QRPrinter()->PageStore().Resources().Picture(0), nullptr);
  EXPECT_EQ(Report->QRPrinter()->PageStore().Resources().Picture(1), nullptr);
  // Not printed when switched off.
  Report->SetPrintBackground(false);
  ASSERT_TRUE(Report->Prepare());
  EXPECT_EQ(Report->QRPrinter()->Page(1)->Records().front().Kind, TPageRecordKind::Text);
}

TEST_F(EngineTest, StoreCountsStatusAndCancel) {
  Report->Page()->SetLength(1000);
  Fill({{"A1", "0001", 1, 0}, {"A1", "0002", 1, 0}, {"A1", "0003", 1, 0}, {"A1", "0004", 1, 0}});
  VoucherLayout(20);
  Group->SetForceNewPage(true);
  EXPECT_EQ(Report->QRPrinter()->Status(), mpReady);
  std::vector<int> Available;
  std::vector<TQRPrinterStatus> Statuses;
  Report->QRPrinter()->PageStore().OnPageAvailable = [&](int Count) {
    Available.push_back(Count);
    Statuses.push_back(Report->QRPrinter()->Status());
  };
  ASSERT_TRUE(Report->Prepare());
  EXPECT_EQ(Available, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(Statuses, std::vector<TQRPrinterStatus>(4, mpBusy));
  EXPECT_EQ(Report->QRPrinter()->Status(), mpFinished);
  EXPECT_EQ(Report->QRPrinter()->PageCount(), 4);
  EXPECT_EQ(Report->ReportPageCount(), 4);

  // Cancelled at the end of page 2: the run stops there, finished but not
  // complete; a new run starts over.
  Report->OnEndPage = Bind<&EngineTest::EndPageCancel>(this);
  CancelAfter = 2;
  EXPECT_FALSE(Report->Prepare());
  EXPECT_EQ(Report->QRPrinter()->PageCount(), 2);
  EXPECT_EQ(Report->QRPrinter()->Status(), mpFinished);
  EXPECT_TRUE(Report->QRPrinter()->Cancelled());
  CancelAfter = 0;
  EXPECT_TRUE(Report->Prepare());
  EXPECT_EQ(Report->QRPrinter()->PageCount(), 4);
}

TEST_F(EngineTest, EmptyDataSetPrintsOnlyWhenAsked) {
  DS->First();
  auto* Title = AddBand("Title", rbTitle, 30);
  AddLabel(Title, "lblTitle", "title");
  Detail = AddBand("Detail", rbDetail, 20);
  AddField(Detail, "txtTDK01", "TDK01");
  Report->SetPrintIfEmpty(true);
  ASSERT_TRUE(Report->Prepare());
  EXPECT_EQ(Report->QRPrinter()->PageCount(), 1);
  EXPECT_EQ(Texts(1), (std::vector<std::string>{"title"}));
  Report->SetPrintIfEmpty(false);
  ASSERT_TRUE(Report->Prepare());
  EXPECT_EQ(Report->QRPrinter()->PageCount(), 0);
  EXPECT_EQ(Report->QRPrinter()->Status(), mpFinished);
}

TEST_F(EngineTest, PageHeaderAndFooterOptions) {
  Report->Page()->SetLength(1000);
  Fill({{"A1", "0001", 1, 0}, {"A1", "0002", 1, 0}});
  auto* Header = AddBand("Header", rbPageHeader, 20);
  AddLabel(Header, "lblHead", "head");
  Detail = AddBand("Detail", rbDetail, 200);
  AddField(Detail, "txtTDK01", "TC002");
  auto* PageFooter = AddBand("PageFooter", rbPageFooter, 20);
  AddLabel(PageFooter, "lblFoot", "foot");
  struct Case {
    TQuickRepOptions Options;
    std::vector<std::string> Page1, Page2;
  };
  const Case Cases[] = {
      {{FirstPageHeader, LastPageFooter}, {"head", "0001", "foot"}, {"head", "0002", "foot"}},
      {{}, {"0001", "foot"}, {"head", "0002"}},
      {{LastPageFooter}, {"0001", "foot"}, {"head", "0002", "foot"}},
  };
  for (const auto& C : Cases) {
    Report->SetOptions(C.Options);
    ASSERT_TRUE(Report->Prepare());
    ASSERT_EQ(Report->QRPrinter()->PageCount(), 2);
    EXPECT_EQ(Texts(1), C.Page1);
    EXPECT_EQ(Texts(2), C.Page2);
  }
  // The page footer sits at the bottom margin of every page.
  EXPECT_EQ(FindText(1, "foot")->Box.Top, 10000 - 1000 - MMToPage(20 * 25.4 / 96));
}

TEST_F(EngineTest, FunctionsAndExpressionTexts) {
  Fill({{"A1", "0001", 1, 12.5}, {"A1", "0001", 2, 7.5}});
  Report->SetReportTitle("Vouchers");
  Report->AddFunction("QRSTRINGSBAND1", "'extra'");
  Report->AddFunction("DOUBLED", "ClientDataSet1.AMOUNT * 2");
  Report->AddFunction("LOOP", "LOOP + 1");
  Detail = AddBand("Detail", rbDetail, 20);
  auto* Expr = AddItem<TQRExpr>(Detail, "Expr");
  Expr->SetExpression("REPORTTITLE + ' ' + QRSTRINGSBAND1 + ' ' + STR(DOUBLED) + ' ' + STR(COLUMNNUMBER)");
  auto* Summary = AddBand("Summary", rbSummary, 20);
  auto* Sum = AddItem<TQRExpr>(Summary, "Sum");
  Sum->SetExpression("SUM(ClientDataSet1.AMOUNT)");
  Sum->SetMask("0.00");
  auto* Loop = AddItem<TQRExpr>(Summary, "Loop", 200);
  Loop->SetExpression("LOOP");
  ASSERT_TRUE(Report->Prepare());
  EXPECT_EQ(Texts(1), (std::vector<std::string>{"Vouchers extra 25 1", "Vouchers extra 15 1", "20.00",
                                                "Circular reference in LOOP"}));
  for (const char* Name : {"PAGENUMBER", "COLUMNNUMBER", "REPORTTITLE", "QRSTRINGSBAND1"})
    EXPECT_GE(Report->Functions()->IndexOfName(Name), 0) << Name;
}

TEST_F(EngineTest, ItemsRewriteAlignAndStretch) {
  Fill({{"A1", "0001", 1, 1234.5}, {"A1", "0001", 2, 0}});
  Detail = AddBand("Detail", rbDetail, 20);
  auto* Code = AddField(Detail, "txtCode", "TDK01", 0);
  Code->Items()->Add("1=one");
  auto* Amount = AddField(Detail, "txtAmount", "AMOUNT", 150);
  Amount->SetMask("#,##0.00");
  Amount->SetAlignment(taRightJustify);
  Amount->OnPrint = TQRLabelOnPrintEvent(
      [](void*, TObject*, AnsiString& Value) { Value = "[" + Value + "]"; }, nullptr);
  auto* Memo = AddItem<TQRMemo>(Detail, "Memo", 300, 60, 17);
  Memo->Lines()->Add("alpha beta gamma delta");
  Memo->SetAutoStretch(true);
  auto* Shape = AddItem<TQRShape>(Detail, "Line", 0, 400, 2);
  Shape->SetShape(qrsHorLine);
  auto* Hidden = AddLabel(Detail, "lblHidden", "hidden", 500);
  Hidden->SetEnabled(false);
  ASSERT_TRUE(Report->Prepare());

  std::vector<std::string> T = Texts(1);
  ASSERT_GE(T.size(), 4u);
  EXPECT_EQ(T[0], "one");
  EXPECT_EQ(T[1], "[1,234.50]");
  EXPECT_EQ(std::count(T.begin(), T.end(), "2"), 1);  // no entry for code 2: printed as it is
  EXPECT_EQ(std::count(T.begin(), T.end(), "hidden"), 0);
  EXPECT_EQ(std::count(T.begin(), T.end(), "[0.00]"), 1);
  // The memo broke into lines of the item's width and stretched the band.
  std::vector<std::string> MemoLines;
  for (const auto& S : T)
    if (S.find_first_of("abdg") == 0) MemoLines.push_back(S);
  ASSERT_GE(MemoLines.size(), 4u);  // two records, two or more lines each
  EXPECT_EQ(MemoLines[0].rfind("alpha", 0), 0u);
  EXPECT_GT(Detail->Expanded(), 0);
  const TPageRecord* First = FindText(1, "one");
  const TPageRecord* Second = FindText(1, "[0.00]");
  EXPECT_GT(Second->Box.Top - First->Box.Top, MMToPage(20 * 25.4 / 96));
  // Right alignment with auto size: the box ends where the item ends.
  const TPageRecord* AmountText = FindText(1, "[1,234.50]");
  EXPECT_EQ(AmountText->Flags & ptaHorzMask, ptaRight);
  EXPECT_EQ(AmountText->Box.Right, 1000 + MMToPage((150 + 120) * 25.4 / 96));
  EXPECT_LT(AmountText->Box.Width(), MMToPage(120 * 25.4 / 96));
  EXPECT_GT(AmountText->Box.Width(), 0);
  // The horizontal line runs through the middle of the shape.
  const TPageMetafile* P = Report->QRPrinter()->Page(1);
  auto Line = std::find_if(P->Records().begin(), P->Records().end(),
                           [](const TPageRecord& R) { return R.Kind == TPageRecordKind::Line; });
  ASSERT_NE(Line, P->Records().end());
  EXPECT_EQ(Line->Box.Top, Line->Box.Bottom);
  EXPECT_EQ(Line->Box.Right - Line->Box.Left, MMToPage(400 * 25.4 / 96));
}

TEST_F(EngineTest, BandHeightChangedByAnEventMovesTheBandsBelow) {
  Fill({{"A1", "0001", 1, 0}, {"A1", "0001", 2, 0}, {"A1", "0001", 3, 0}});
  Detail = AddBand("Detail", rbDetail, 20);
  AddField(Detail, "txtTDK01", "TDK01");
  Detail->BeforePrint = TQRBandBeforePrintEvent(
      [](void*, TQRCustomBand* Band, bool&) { Band->SetHeight(Band->Height() + 10); }, nullptr);
  ASSERT_TRUE(Report->Prepare());
  TPageUnit Y1 = FindText(1, "1")->Box.Top, Y2 = FindText(1, "2")->Box.Top, Y3 = FindText(1, "3")->Box.Top;
  EXPECT_EQ(Y2 - Y1, MMToPage(30 * 25.4 / 96));
  EXPECT_EQ(Y3 - Y2, MMToPage(40 * 25.4 / 96));
}

TEST_F(EngineTest, ReportRefusingToPrintMakesNoPages) {
  Fill({{"A1", "0001", 1, 0}});
  VoucherLayout();
  Report->BeforePrint = TQRReportBeforePrintEvent([](void*, TQuickRep*, bool& Print) { Print = false; }, nullptr);
  EXPECT_TRUE(Report->Prepare());
  EXPECT_EQ(Report->QRPrinter()->PageCount(), 0);
  EXPECT_EQ(Report->QRPrinter()->Status(), mpFinished);
}

TEST_F(EngineTest, PrintSendsTheGeneratedPagesToThePrinter) {
  Fill({{"A1", "0001", 1, 0}, {"A1", "0002", 1, 0}});
  VoucherLayout();
  Group->SetForceNewPage(true);
  namespace fs = std::filesystem;
  fs::path Folder = fs::path(KW_TEST_BINARY_DIR_PATH) / "tests" / "qr" / "engine_print";
  fs::remove_all(Folder);
  fs::create_directories(Folder);
  TPrinterConfig Config;
  Config.Printers = {{"PDF", ""}};
  Config.OutputFolder = Folder.string();
  SetPrinterConfig(Config);
  Report->SetReportTitle("vouchers");
  Report->Print();
  ResetPrinterConfig();
  EXPECT_EQ(Report->QRPrinter()->PageCount(), 2);
  std::vector<fs::path> Files;
  for (const auto& E : fs::directory_iterator(Folder)) Files.push_back(E.path());
  ASSERT_EQ(Files.size(), 1u);
  EXPECT_EQ(Files[0].extension(), ".pdf");
  std::ifstream In(Files[0], std::ios::binary);
  std::string Head(5, '\0');
  In.read(Head.data(), 5);
  EXPECT_EQ(Head, "%PDF-");
  fs::remove_all(Folder);
}

TEST(PageWriter, WrapsAtBlanksAndBetweenChineseCharacters) {
  TPageStore Store;
  TQRPageWriter W(Store, 2540.0 / 96);
  TFont Font;
  Font.SetName("\xCB\xCE\xCC\xE5");
  Font.SetCharset(134);
  Font.SetHeight(-12);
  const TPageUnit Char = W.TextWidth(Font, "\xB9\xCC");  // one Chinese character
  ASSERT_GT(Char, 0);
  EXPECT_NEAR(W.TextWidth(Font, "\xB9\xCC\xB6\xA8"), 2 * Char, 1);  // rounded once for the whole text
  struct Case {
    const char* Text;
    TPageUnit Width;
    std::vector<std::string> Lines;
  };
  const std::string Gu = "\xB9\xCC", Ding = "\xB6\xA8", Zi = "\xD7\xCA", Chan = "\xB2\xFA";
  const Case Cases[] = {
      {"\xB9\xCC\xB6\xA8\xD7\xCA\xB2\xFA", 2 * Char + 1, {Gu + Ding, Zi + Chan}},
      {"\xB9\xCC\xB6\xA8\xD7\xCA\xB2\xFA", 3 * Char, {Gu + Ding + Zi, Chan}},
      {"\xB9\xCC\xB6\xA8\xD7\xCA\xB2\xFA", 100 * Char, {Gu + Ding + Zi + Chan}},
      {"", 100, {""}},
      {"one\ntwo", 100 * Char, {"one", "two"}},
      // A word too long for the line breaks where it must.
      {"abcdefghijklmnopqrstuvwxyz", 3 * Char, {}},
  };
  for (const auto& C : Cases) {
    std::vector<AnsiString> Lines = W.WrapLines(Font, C.Text, C.Width);
    if (!C.Lines.empty()) EXPECT_EQ(Lines, C.Lines) << C.Text;
    std::string Joined;
    for (const auto& L : Lines) {
      EXPECT_LE(W.TextWidth(Font, L), C.Width) << L;
      Joined += L;
    }
    if (std::string(C.Text).find('\n') == std::string::npos) EXPECT_EQ(Joined, C.Text);
  }
  // Blanks end lines and do not start the next one; Latin words stay whole.
  std::vector<AnsiString> Lines = W.WrapLines(Font, "alpha beta gamma", W.TextWidth(Font, "alpha beta") + 1);
  EXPECT_EQ(Lines, (std::vector<AnsiString>{"alpha beta", "gamma"}));
  Lines = W.WrapLines(Font, "X1" + Gu + Ding, W.TextWidth(Font, "X1" + Gu));
  EXPECT_EQ(Lines, (std::vector<AnsiString>{"X1" + Gu, Ding}));
  Lines = W.WrapLines(Font, "X1" + Gu, W.TextWidth(Font, "X1"));
  EXPECT_EQ(Lines, (std::vector<AnsiString>{"X1", Gu}));
  EXPECT_GT(W.LineHeight(Font), 0);
  EXPECT_EQ(Store.Resources().FontCount(), 1);
}

TEST(PageSettings, PaperSizesUnitsAndValueOrder) {
  TQRPage Page;
  struct Case { TQRPaperSize Size; const char* Name; double Width, Length; };
  const Case Cases[] = {
      {TQRPaperSize::Letter, "Letter", 2159, 2794}, {TQRPaperSize::A4, "A4", 2100, 2970},
      {TQRPaperSize::A3, "A3", 2970, 4200},         {TQRPaperSize::A5, "A5", 1480, 2100},
      {TQRPaperSize::Legal, "Legal", 2159, 3556},   {TQRPaperSize::B5, "B5", 1820, 2570},
  };
  for (const auto& C : Cases) {
    Page.SetPaperSize(C.Size);
    EXPECT_EQ(QRPaperSizeName(static_cast<int>(C.Size)), C.Name);
    EXPECT_EQ(Page.Value(TQRPage::WidthValue), C.Width) << C.Name;
    EXPECT_EQ(Page.Value(TQRPage::LengthValue), C.Length) << C.Name;
  }
  EXPECT_EQ(QRPaperSizeName(27), "Custom");
  EXPECT_EQ(QRPaperSizeName(28), "");
  EXPECT_EQ(QRUnitName(0), "MM");
  EXPECT_EQ(QRUnitName(4), "Native");
  EXPECT_EQ(QRUnitName(5), "");

  // The engine's order: bottom, length, top, width, left, right, column space.
  const double Values[] = {100, 2794, 100, 2159, 100, 100, 0};
  TQRPage Fresh;
  for (int i = 0; i < TQRPage::ValueCount; ++i) EXPECT_EQ(Fresh.Value(i), Values[i]) << i;
  EXPECT_EQ(Fresh.PaperSize(), TQRPaperSize::Letter);
  EXPECT_DOUBLE_EQ(Fresh.ValueInUnits(TQRPage::LengthValue, TQRUnit::MM), 279.4);
  EXPECT_DOUBLE_EQ(Fresh.ValueInUnits(TQRPage::WidthValue, TQRUnit::Inches), 8.5);
  EXPECT_DOUBLE_EQ(Fresh.ValueInUnits(TQRPage::WidthValue, TQRUnit::Pixels), 816);
  Fresh.SetLength(1400);
  EXPECT_EQ(Fresh.PaperSize(), TQRPaperSize::Custom);
  Fresh.SetOrientation(poLandscape);
  EXPECT_EQ(Fresh.SheetWidth(), 14000);
  EXPECT_EQ(Fresh.SheetHeight(), 21590);
}

TEST(QuickRepLayout, ReadsFromFormTextByClassName) {
  // A layout as the layout windows store it: the report, its bands inside it
  // and the items inside the bands, all created by class name.
  const char* Text =
      "object Layout: TForm\n"
      "  object ClientDataSet1: TClientDataSet\n"
      "  end\n"
      "  object QuickRep1: TQuickRep\n"
      "    DataSet = ClientDataSet1\n"
      "    Page.PaperSize = A4\n"
      "    Page.TopMargin = 50\n"
      "    PageStyle = qpsHalfPage\n"
      "    Zoom = 80\n"
      "    Options = [FirstPageHeader]\n"
      "    PageStartBand = QRGroup\n"
      "    ReportTitle = 'Title'\n"
      "    object QRGroup: TQRGroup\n"
      "      Top = 10\n"
      "      Height = 40\n"
      "      Expression = 'ClientDataSet1.TC001+ClientDataSet1.TC002'\n"
      "      FooterBand = QRGroupFooter\n"
      "      object txtTC002: TQRDBText\n"
      "        DataSet = ClientDataSet1\n"
      "        DataField = 'TC002'\n"
      "        Alignment = taRightJustify\n"
      "      end\n"
      "    end\n"
      "    object QRGroupFooter: TQRBand\n"
      "      Top = 60\n"
      "      BandType = rbGroupFooter\n"
      "      object lblNoData: TQRLabel\n"
      "        Caption = 'none'\n"
      "        Enabled = False\n"
      "      end\n"
      "      object Shape1: TQRShape\n"
      "        Shape = qrsHorLine\n"
      "      end\n"
      "    end\n"
      "  end\n"
      "end\n";
  std::unique_ptr<TForm> Form(new TForm(nullptr));
  TForm& Root = *Form;
  ReadFormText(&Root, Text);
  auto* Report = dynamic_cast<TQuickRep*>(Root.FindComponent("QuickRep1"));
  ASSERT_NE(Report, nullptr);
  auto* Group = dynamic_cast<TQRGroup*>(Root.FindComponent("QRGroup"));
  ASSERT_NE(Group, nullptr);
  EXPECT_EQ(Report->DataSet(), Root.FindComponent("ClientDataSet1"));
  EXPECT_EQ(Report->Page()->PaperSize(), TQRPaperSize::A4);
  EXPECT_EQ(Report->Page()->TopMargin(), 50);
  EXPECT_EQ(Report->PageStyle(), qpsHalfPage);
  EXPECT_EQ(Report->Zoom(), 80);
  EXPECT_EQ(Report->Options(), TQuickRepOptions{FirstPageHeader});
  EXPECT_EQ(Report->PageStartBand(), Group);
  EXPECT_EQ(Group->ParentReport(), Report);
  EXPECT_EQ(Group->Expression(), "ClientDataSet1.TC001+ClientDataSet1.TC002");
  EXPECT_EQ(Group->FooterBand(), Root.FindComponent("QRGroupFooter"));
  EXPECT_EQ(Report->Bands().size(), 2u);
  auto* Text2 = dynamic_cast<TQRDBText*>(Root.FindComponent("txtTC002"));
  ASSERT_NE(Text2, nullptr);
  EXPECT_EQ(Text2->ParentBand(), Group);
  EXPECT_EQ(Text2->Alignment(), taRightJustify);
  EXPECT_FALSE(dynamic_cast<TQRLabel*>(Root.FindComponent("lblNoData"))->Enabled());
  EXPECT_EQ(dynamic_cast<TQRShape*>(Root.FindComponent("Shape1"))->Shape(), qrsHorLine);

  // Written back, the layout reads into a fresh root the same way.
  AnsiString Written = ComponentToFormText(&Root);
  std::unique_ptr<TForm> Form2(new TForm(nullptr));
  TForm& Again = *Form2;
  ReadFormText(&Again, Written);
  auto* Report2 = dynamic_cast<TQuickRep*>(Again.FindComponent("QuickRep1"));
  ASSERT_NE(Report2, nullptr);
  EXPECT_EQ(Report2->PageStyle(), qpsHalfPage);
  EXPECT_EQ(Report2->Page()->TopMargin(), 50);
  EXPECT_EQ(Report2->Bands().size(), 2u);
  EXPECT_EQ(dynamic_cast<TQRGroup*>(Again.FindComponent("QRGroup"))->Expression(), Group->Expression());
}

}  // namespace
