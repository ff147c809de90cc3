#include "platform/qr/QuickRpt.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "platform/db/DataSet.h"
#include "platform/qr/PageStore.h"
#include "platform/qr/QRCtrls.h"
#include "platform/qr/QRExpr.h"
#include "platform/qr/QRPrinter.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/StringList.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Publisher.h"
#include "platform/vcl/StdCtrlsPublish.h"

KW_DEFINE_ENUM_TYPEINFO(TQRPaperSize, "Default", "Letter", "LetterSmall", "Tabloid", "Ledger", "Legal",
                        "Statement", "Executive", "A3", "A4", "A4Small", "A5", "B4", "B5", "Folio", "Quarto",
                        "qr10X14", "qr11X17", "Note", "Env9", "Env10", "Env11", "Env12", "Env14", "CSheet",
                        "DSheet", "ESheet", "Custom")
KW_DEFINE_ENUM_TYPEINFO(TQRUnit, "MM", "Inches", "Pixels", "Characters", "Native")
KW_DEFINE_ENUM_TYPEINFO(TPrinterOrientation, "poPortrait", "poLandscape")
KW_DEFINE_ENUM_TYPEINFO(TQRPageStyle, "qpsNone", "qpsFullPage", "qpsHalfPage")
KW_DEFINE_ENUM_TYPEINFO(TQuickRepOption, "FirstPageHeader", "LastPageFooter")
KW_DEFINE_SET_TYPEINFO(TQuickRepOptions, TQuickRepOption)
KW_DEFINE_ENUM_TYPEINFO(TQRBandType, "rbTitle", "rbPageHeader", "rbDetail", "rbPageFooter", "rbSummary",
                        "rbGroupHeader", "rbGroupFooter", "rbSubDetail", "rbColumnHeader", "rbOverlay", "rbChild")
KW_DEFINE_EVENT_TYPEINFO(TQRBandBeforePrintEvent)
KW_DEFINE_EVENT_TYPEINFO(TQRBandAfterPrintEvent)
KW_DEFINE_EVENT_TYPEINFO(TQRReportBeforePrintEvent)
KW_DEFINE_EVENT_TYPEINFO(TQRNotifyOperationEvent)

KW_REGISTER_CLASS(TQRPage)
KW_REGISTER_CLASS(TQRCustomBand)
KW_REGISTER_CLASS(TQRBand)
KW_REGISTER_CLASS(TQRChildBand)
KW_REGISTER_CLASS(TQRGroup)
KW_REGISTER_CLASS(TQuickRep)

namespace {

const char* const PaperNames[] = {
    "Default", "Letter", "LetterSmall", "Tabloid", "Ledger", "Legal", "Statement", "Executive", "A3", "A4",
    "A4Small", "A5", "B4", "B5", "Folio", "Quarto", "qr10X14", "qr11X17", "Note", "Env9", "Env10", "Env11",
    "Env12", "Env14", "CSheet", "DSheet", "ESheet", "Custom"};
constexpr int PaperCount = sizeof(PaperNames) / sizeof(PaperNames[0]);

// Portrait width and length, tenths of a millimetre, by paper number.
const double PaperSizes[][2] = {
    {2100, 2970},  // Default: the printer's paper; A4 here
    {2159, 2794}, {2159, 2794}, {2794, 4318}, {4318, 2794}, {2159, 3556}, {1397, 2159}, {1842, 2667},
    {2970, 4200}, {2100, 2970}, {2100, 2970}, {1480, 2100}, {2500, 3540}, {1820, 2570}, {2159, 3302},
    {2150, 2750}, {2540, 3556}, {2794, 4318}, {2159, 2794}, {984, 2254},  {1048, 2413}, {1143, 2635},
    {1207, 2794}, {1270, 2921}, {4318, 5588}, {5588, 8636}, {8636, 11176}, {0, 0}};

const char* const UnitNames[] = {"MM", "Inches", "Pixels", "Characters", "Native"};

}  // namespace

AnsiString QRPaperSizeName(int Number) {
  return Number >= 0 && Number < PaperCount ? AnsiString(PaperNames[Number]) : AnsiString();
}

void QRPaperDimensions(TQRPaperSize Size, double& Width, double& Length) {
  int N = static_cast<int>(Size);
  Width = Length = 0;
  if (N < 0 || N >= PaperCount) return;
  Width = PaperSizes[N][0];
  Length = PaperSizes[N][1];
}

AnsiString QRUnitName(int Number) { return Number >= 0 && Number < 5 ? AnsiString(UnitNames[Number]) : AnsiString(); }

// ---- Page settings -------------------------------------------------------------------

void TQRPage::PublishMembers(TPublisher<TQRPage>& P) {
  P.Property("Columns", &TQRPage::Columns, &TQRPage::SetColumns).Default(1);
  P.Property("Orientation", &TQRPage::Orientation, &TQRPage::SetOrientation).Default(poPortrait);
  P.Property("PaperSize", &TQRPage::PaperSize, &TQRPage::SetPaperSize).NoDefault();
  // In the engine's order of the page values; Length and Width after the
  // paper size so that a stored custom size survives reading.
  P.Property("BottomMargin", &TQRPage::BottomMargin, &TQRPage::SetBottomMargin);
  P.Property("Length", &TQRPage::Length, &TQRPage::SetLength);
  P.Property("TopMargin", &TQRPage::TopMargin, &TQRPage::SetTopMargin);
  P.Property("Width", &TQRPage::Width, &TQRPage::SetWidth);
  P.Property("LeftMargin", &TQRPage::LeftMargin, &TQRPage::SetLeftMargin);
  P.Property("RightMargin", &TQRPage::RightMargin, &TQRPage::SetRightMargin);
  P.Property("ColumnSpace", &TQRPage::ColumnSpace, &TQRPage::SetColumnSpace);
}

TQRPage::TQRPage() = default;

void TQRPage::SetValue(int Index, double Value) {
  if (Index < 0 || Index >= ValueCount) return;
  if (Value < 0) Value = 0;
  if ((Index == LengthValue || Index == WidthValue) && FValues[Index] != Value) {
    double W, L;
    QRPaperDimensions(FPaperSize, W, L);
    double NewW = Index == WidthValue ? Value : FValues[WidthValue];
    double NewL = Index == LengthValue ? Value : FValues[LengthValue];
    if (FPaperSize != TQRPaperSize::Custom && (NewW != W || NewL != L)) FPaperSize = TQRPaperSize::Custom;
  }
  FValues[Index] = Value;
}

void TQRPage::SetPaperSize(TQRPaperSize Value) {
  FPaperSize = Value;
  if (Value == TQRPaperSize::Custom) return;
  double W, L;
  QRPaperDimensions(Value, W, L);
  FValues[WidthValue] = W;
  FValues[LengthValue] = L;
}

double TQRPage::ValueInUnits(int Index, TQRUnit Unit) const {
  double V = Value(Index);  // tenths of a millimetre
  switch (Unit) {
    case TQRUnit::MM: return V / 10;
    case TQRUnit::Inches: return V / 254;
    case TQRUnit::Pixels: return V / 254 * 96;
    default: return V;
  }
}

TPageUnit TQRPage::SheetWidth() const {
  double V = FOrientation == poLandscape ? FValues[LengthValue] : FValues[WidthValue];
  return static_cast<TPageUnit>(std::lround(V * 10));
}

TPageUnit TQRPage::SheetHeight() const {
  double V = FOrientation == poLandscape ? FValues[WidthValue] : FValues[LengthValue];
  return static_cast<TPageUnit>(std::lround(V * 10));
}

void TQRPage::Assign(const TPersistent* Source) {
  if (auto* Other = dynamic_cast<const TQRPage*>(Source)) {
    std::copy(std::begin(Other->FValues), std::end(Other->FValues), std::begin(FValues));
    FPaperSize = Other->FPaperSize;
    FOrientation = Other->FOrientation;
    FColumns = Other->FColumns;
    return;
  }
  TPersistent::Assign(Source);
}

// ---- Bands ---------------------------------------------------------------------------

void TQRCustomBand::PublishMembers(TPublisher<TQRCustomBand>& P) {
  kw_stdctrls::PublishVisual(P, clWhite);
  P.Property("ForceNewPage", &TQRCustomBand::ForceNewPage, &TQRCustomBand::SetForceNewPage).Default(false);
  P.Property("BeforePrint", &TQRCustomBand::BeforePrint, &TQRCustomBand::BeforePrint);
  P.Property("AfterPrint", &TQRCustomBand::AfterPrint, &TQRCustomBand::AfterPrint);
}

TQRCustomBand::TQRCustomBand(TComponent* AOwner) : TWinControl(AOwner) { SetBounds(0, 0, 200, 40); }

void TQRCustomBand::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  FSignedHeight = AHeight;
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

TQuickRep* TQRCustomBand::ParentReport() const { return dynamic_cast<TQuickRep*>(Parent()); }

void TQRCustomBand::SetChildBand(TQRCustomBand* Value) {
  if (Value == this) Value = nullptr;
  FChildBand = Value;
  if (Value) Value->FreeNotification(this);
}

void TQRCustomBand::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FChildBand) FChildBand = nullptr;
}

std::vector<TQRPrintable*> TQRCustomBand::Items() const {
  std::vector<TQRPrintable*> Result;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* P = dynamic_cast<TQRPrintable*>(Controls(i))) Result.push_back(P);
  return Result;
}

void TQRBand::PublishMembers(TPublisher<TQRBand>& P) {
  P.Property("BandType", &TQRCustomBand::BandType, &TQRCustomBand::SetBandType).Default(rbTitle);
  P.Property("HasChild", &TQRCustomBand::ChildBand, &TQRCustomBand::SetChildBand);
}

TQRBand::TQRBand(TComponent* AOwner) : TQRCustomBand(AOwner) {}

void TQRChildBand::PublishMembers(TPublisher<TQRChildBand>& P) {
  P.Property("ParentBand", &TQRChildBand::ParentBand, &TQRChildBand::SetParentBand);
}

TQRChildBand::TQRChildBand(TComponent* AOwner) : TQRCustomBand(AOwner) { SetBandType(rbChild); }

void TQRChildBand::SetParentBand(TQRCustomBand* Value) {
  if (FParentBand && FParentBand->ChildBand() == this) FParentBand->SetChildBand(nullptr);
  FParentBand = Value;
  if (Value) {
    Value->SetChildBand(this);
    Value->FreeNotification(this);
  }
}

void TQRChildBand::Notification(TComponent* AComponent, TOperation Operation) {
  TQRCustomBand::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FParentBand) FParentBand = nullptr;
}

void TQRGroup::PublishMembers(TPublisher<TQRGroup>& P) {
  P.Property("Expression", &TQRGroup::Expression, &TQRGroup::SetExpression);
  P.Property("FooterBand", &TQRGroup::FooterBand, &TQRGroup::SetFooterBand);
  P.Property("ReprintOnNewPage", &TQRGroup::ReprintOnNewPage, &TQRGroup::SetReprintOnNewPage).Default(false);
  P.Property("HasChild", &TQRCustomBand::ChildBand, &TQRCustomBand::SetChildBand);
}

TQRGroup::TQRGroup(TComponent* AOwner) : TQRCustomBand(AOwner), FEvaluator(std::make_unique<TQREvaluator>()) {
  SetBandType(rbGroupHeader);
}

TQRGroup::~TQRGroup() = default;

void TQRGroup::SetFooterBand(TQRCustomBand* Value) {
  if (Value == this) Value = nullptr;
  FFooterBand = Value;
  if (Value) {
    if (Value->BandType() != rbChild) Value->SetBandType(rbGroupFooter);
    Value->FreeNotification(this);
  }
}

void TQRGroup::Notification(TComponent* AComponent, TOperation Operation) {
  TQRCustomBand::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFooterBand) FFooterBand = nullptr;
}

// ---- The report's names for expressions ------------------------------------------------

class TQuickRep::TContext : public IQREvContext {
 public:
  explicit TContext(TQuickRep& Report) : FReport(Report) {}
  bool ResolveName(const AnsiString& Name, TQREvResult& Value) override {
    if (Name == "PAGENUMBER") {
      Value = TQREvResult::Int(FReport.PageNumber());
      return true;
    }
    if (Name == "COLUMNNUMBER") {
      Value = TQREvResult::Int(FReport.ColumnNumber());
      return true;
    }
    if (Name == "REPORTTITLE") {
      Value = TQREvResult::Str(FReport.ReportTitle());
      return true;
    }
    TStrings* F = FReport.Functions();
    int Index = -1;
    for (int i = 0; i < F->Count(); ++i)
      if (SameText(Trim(F->Names(i)), Name)) {
        Index = i;
        break;
      }
    if (Index < 0) return false;
    if (FDepth > 8) {  // a function naming itself
      Value = TQREvResult::Error("Circular reference in " + Name);
      return true;
    }
    AnsiString Expr = Trim(F->Strings(Index).substr(F->Names(Index).size() + 1));
    if (Expr.empty()) {
      Value = TQREvResult::Str("");
      return true;
    }
    auto& E = FEvaluators[Name];
    if (!E || E->Expression() != Expr) {
      E = std::make_unique<TQREvaluator>();
      E->SetContext(this);
      E->Prepare(Expr);
    }
    E->SetDataSets(FReport.ExpressionDataSets());
    ++FDepth;
    Value = E->Value();
    --FDepth;
    return true;
  }
  void Reset() { FEvaluators.clear(); }

 private:
  TQuickRep& FReport;
  std::map<AnsiString, std::unique_ptr<TQREvaluator>> FEvaluators;
  int FDepth = 0;
};

// ---- The report ------------------------------------------------------------------------

void TQuickRep::PublishMembers(TPublisher<TQuickRep>& P) {
  kw_stdctrls::PublishVisual(P, clWhite);
  P.Property("DataSet", &TQuickRep::DataSet, &TQuickRep::SetDataSet);
  P.Property("Functions", &TQuickRep::Functions, &TQuickRep::SetFunctions);
  P.Property("Options", &TQuickRep::Options, &TQuickRep::SetOptions)
      .Default(TQuickRepOptions{FirstPageHeader, LastPageFooter});
  P.Property("Page", &TQuickRep::Page, &TQuickRep::SetPage);
  P.Property("PageStyle", &TQuickRep::PageStyle, &TQuickRep::SetPageStyle).Default(qpsNone);
  P.Property("PrintIfEmpty", &TQuickRep::PrintIfEmpty, &TQuickRep::SetPrintIfEmpty).Default(true);
  P.Property("SnapToGrid", &TQuickRep::SnapToGrid, &TQuickRep::SetSnapToGrid).Default(true);
  P.Property("Units", &TQuickRep::Units, &TQuickRep::SetUnits).Default(TQRUnit::MM);
  P.Property("Zoom", &TQuickRep::Zoom, &TQuickRep::SetZoom).Default(100);
  P.Property("Copies", &TQuickRep::Copies, &TQuickRep::SetCopies).Default(1);
  P.Property("ReportTitle", &TQuickRep::ReportTitle, &TQuickRep::SetReportTitle);
  P.Property("Background", &TQuickRep::Background, &TQuickRep::SetBackground);
  P.Property("PrintBackground", &TQuickRep::PrintBackground, &TQuickRep::SetPrintBackground).Default(true);
  P.Property("PageStartBand", &TQuickRep::PageStartBand, &TQuickRep::SetPageStartBand);
  P.Property("PageDetailBand", &TQuickRep::PageDetailBand, &TQuickRep::SetPageDetailBand);
  P.Property("PageAttachBand", &TQuickRep::PageAttachBand, &TQuickRep::SetPageAttachBand);
  P.Property("PageEndBand", &TQuickRep::PageEndBand, &TQuickRep::SetPageEndBand);
  P.Property("BeforePrint", &TQuickRep::BeforePrint, &TQuickRep::BeforePrint);
  P.Property("AfterPrint", &TQuickRep::AfterPrint, &TQuickRep::AfterPrint);
  P.Property("OnStartPage", &TQuickRep::OnStartPage, &TQuickRep::OnStartPage);
  P.Property("OnEndPage", &TQuickRep::OnEndPage, &TQuickRep::OnEndPage);
  P.Property("OnPreview", &TQuickRep::OnPreview, &TQuickRep::OnPreview);
}

TQuickRep::TQuickRep(TComponent* AOwner)
    : TWinControl(AOwner),
      FPage(std::make_unique<TQRPage>()),
      FBackground(std::make_shared<TBitmap>()),
      FFunctions(std::make_unique<TStringList>()),
      FPrinter(std::make_unique<TQRPrinter>(this)),
      FContext(std::make_unique<TContext>(*this)) {
  SetBounds(0, 0, 816, 1056);
  FFunctions->Add("PAGENUMBER=0");
  FFunctions->Add("COLUMNNUMBER=0");
  FFunctions->Add("REPORTTITLE=''");
}

TQuickRep::~TQuickRep() = default;

void TQuickRep::SetDataSet(TDataSet* Value) {
  FDataSet = Value;
  if (Value) Value->FreeNotification(this);
}

void TQuickRep::SetBackground(TBitmap* Value) {
  // A new picture object, so pages already made keep the picture they had.
  auto Copy = std::make_shared<TBitmap>();
  if (Value) Copy->Assign(Value);
  FBackground = std::move(Copy);
}

void TQuickRep::SetFunctions(TStrings* Value) {
  if (Value) FFunctions->Assign(Value);
  else FFunctions->Clear();
  static_cast<TContext*>(FContext.get())->Reset();
}

void TQuickRep::AddFunction(const AnsiString& Name, const AnsiString& Expression) {
  FFunctions->SetValues(UpperCase(Name), Expression.empty() ? AnsiString("''") : Expression);
}

void TQuickRep::SetBandRef(TQRCustomBand*& Field, TQRCustomBand* Value) {
  Field = Value;
  if (Value) Value->FreeNotification(this);
}

void TQuickRep::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FDataSet) FDataSet = nullptr;
  for (TQRCustomBand** B : {&FPageStartBand, &FPageDetailBand, &FPageAttachBand, &FPageEndBand})
    if (AComponent == *B) *B = nullptr;
}

std::vector<TQRCustomBand*> TQuickRep::Bands() const {
  std::vector<TQRCustomBand*> Result;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* B = dynamic_cast<TQRCustomBand*>(Controls(i))) Result.push_back(B);
  std::stable_sort(Result.begin(), Result.end(), [](TQRCustomBand* A, TQRCustomBand* B) { return A->Top() < B->Top(); });
  return Result;
}

std::vector<TDataSet*> TQuickRep::ExpressionDataSets() const {
  std::vector<TDataSet*> Result;
  if (FDataSet) Result.push_back(FDataSet);
  if (TComponent* O = Owner())
    for (int i = 0; i < O->ComponentCount(); ++i)
      if (auto* D = dynamic_cast<TDataSet*>(O->Components(i)); D && D != FDataSet) Result.push_back(D);
  return Result;
}

double TQuickRep::PageUnitsPerPixel() const { return 2540.0 / 96.0 * 100.0 / FZoom; }

void TQuickRep::Cancel() { FPrinter->Cancel(); }

bool TQuickRep::Prepare() { return Generate(); }

bool TQuickRep::Preview() {
  OnPreview(this);
  return Generate();
}

void TQuickRep::Print() {
  if (!Generate()) return;
  FPrinter->Print();
}

// ---- Generation ------------------------------------------------------------------------
//
// One run walks the data set once. Pages are opened lazily: a band that does
// not fit (or follows a completed page) closes the page and opens the next,
// which prints the page header and, when a group continues on it, the group
// headers that repeat. A detail event that steps the data set back one
// record asks for the current record to print on the next page.

struct TQuickRep::TRun {
  TQuickRep& R;
  TPageStore& Store;
  TQRPageWriter W;
  TDataSet* DS = nullptr;

  std::vector<TQRCustomBand*> Bands;
  TQRCustomBand* Title = nullptr;
  TQRCustomBand* PageHeader = nullptr;
  TQRCustomBand* PageFooter = nullptr;
  TQRCustomBand* ColumnHeader = nullptr;
  TQRCustomBand* Detail = nullptr;
  TQRCustomBand* Summary = nullptr;
  std::vector<TQRGroup*> Groups;
  std::vector<bool> GroupStarted;
  std::vector<TQREvResult> GroupValue;
  std::vector<TQRPrintable*> Items;

  // Geometry, page units.
  TPageUnit SheetW = 0, SheetH = 0, LogicalH = 0, MarginL = 0, MarginT = 0, MarginB = 0;
  bool Half = false;
  int32_t Background = -1;

  std::unique_ptr<TPageMetafile> Sheet;
  bool PageOpen = false;
  bool PageComplete = false;  // the page end band printed
  bool NoBreak = false;       // printing the bands that close a page
  TPageUnit Y = 0;
  TPageUnit PageBottom = 0;   // where the page footer starts
  int DetailsOnPage = 0;
  int BandsOnPage = 0;
  int AttachDesignHeight = 0;
  bool Stop = false;

  TRun(TQuickRep& Report, TPageStore& S) : R(Report), Store(S), W(S, Report.PageUnitsPerPixel()) {}

  void Setup() {
    DS = R.DataSet();
    Bands = R.Bands();
    for (TQRCustomBand* B : Bands) {
      switch (B->BandType()) {
        case rbTitle: if (!Title) Title = B; break;
        case rbPageHeader: if (!PageHeader) PageHeader = B; break;
        case rbPageFooter: if (!PageFooter) PageFooter = B; break;
        case rbColumnHeader: if (!ColumnHeader) ColumnHeader = B; break;
        case rbDetail: if (!Detail) Detail = B; break;
        case rbSummary: if (!Summary) Summary = B; break;
        case rbGroupHeader:
          if (auto* G = dynamic_cast<TQRGroup*>(B)) Groups.push_back(G);
          break;
        default: break;
      }
      for (TQRPrintable* P : B->Items()) Items.push_back(P);
    }
    if (R.PageDetailBand()) Detail = R.PageDetailBand();
    GroupStarted.assign(Groups.size(), false);
    GroupValue.assign(Groups.size(), TQREvResult());
    auto DataSets = R.ExpressionDataSets();
    for (TQRGroup* G : Groups) {
      G->Evaluator().SetDataSets(DataSets);
      G->Evaluator().SetContext(R.ExpressionContext());
      G->Evaluator().Prepare(G->Expression());
    }
    for (TQRPrintable* P : Items) P->StartRun();

    const TQRPage& Pg = *R.Page();
    SheetW = Pg.SheetWidth();
    SheetH = Pg.SheetHeight();
    Half = R.PageStyle() == qpsHalfPage;
    LogicalH = Half ? SheetH / 2 : SheetH;
    MarginL = static_cast<TPageUnit>(std::lround(Pg.LeftMargin() * 10));
    MarginT = static_cast<TPageUnit>(std::lround(Pg.TopMargin() * 10));
    MarginB = static_cast<TPageUnit>(std::lround(Pg.BottomMargin() * 10));
    if (R.PrintBackground() && R.FBackground && !R.FBackground->Empty())
      Background = Store.Resources().AddPicture(R.FBackground);
    if (R.PageAttachBand()) AttachDesignHeight = R.PageAttachBand()->Height();
    R.FPrinter->SetHalfPage(Half);
  }

  void Finish() {
    for (TQRGroup* G : Groups) G->Evaluator().Unprepare();
    if (R.PageAttachBand()) R.PageAttachBand()->SetHeight(AttachDesignHeight);
  }

  bool AnyGroupStarted() const {
    return std::find(GroupStarted.begin(), GroupStarted.end(), true) != GroupStarted.end();
  }

  // ---- Pages ----

  void OpenPage() {
    ++R.FPageNumber;
    int Half_ = Half ? (R.FPageNumber - 1) % 2 : 0;
    if (!Sheet) Sheet = std::make_unique<TPageMetafile>(SheetW, SheetH);
    TPageUnit Offset = Half_ * LogicalH;
    if (Background >= 0) Sheet->AddPicture({0, Offset, SheetW, Offset + LogicalH}, Background);
    W.Page = Sheet.get();
    Y = Offset + MarginT;
    PageBottom = Offset + LogicalH - MarginB;
    if (PageFooter && PageFooter->Enabled()) PageBottom -= W.Length(PageFooter->Height());
    PageOpen = true;
    PageComplete = false;
    DetailsOnPage = 0;
    BandsOnPage = 0;
    if (R.PageAttachBand()) R.PageAttachBand()->SetHeight(AttachDesignHeight);
    R.OnStartPage(&R);
    if (PageHeader && (R.FPageNumber > 1 || R.Options().Contains(FirstPageHeader))) PrintBand(PageHeader);
    if (R.FPageNumber == 1 && Title) PrintBand(Title);
    if (ColumnHeader) PrintBand(ColumnHeader);
    // A group that goes on here repeats its header.
    for (size_t i = 0; i < Groups.size(); ++i)
      if (GroupStarted[i] && (Groups[i]->ReprintOnNewPage() || Groups[i] == R.PageStartBand())) PrintBand(Groups[i]);
    BandsOnPage = 0;
  }

  void ClosePage(bool Last) {
    if (!PageOpen) return;
    if (PageFooter && (!Last || R.Options().Contains(LastPageFooter))) {
      TPageUnit Saved = Y;
      Y = PageBottom;
      bool SavedNoBreak = NoBreak;
      NoBreak = true;
      PrintBand(PageFooter);
      NoBreak = SavedNoBreak;
      Y = Saved;
    }
    R.OnEndPage(&R);
    PageOpen = false;
    bool UpperHalf = Half && (R.FPageNumber % 2) == 1;
    if (!UpperHalf || Last) FlushSheet();
    if (Store.Cancelled()) Stop = true;
  }

  void FlushSheet() {
    if (!Sheet) return;
    W.Page = nullptr;
    Store.AddPage(std::move(Sheet));
    Sheet.reset();
  }

  // Ends the page in the middle of the report: a page-level layout closes it
  // with its attach and end bands first.
  void BreakPage() {
    if (!PageOpen) return;
    if (!PageComplete && AnyGroupStarted()) {
      bool Saved = NoBreak;
      NoBreak = true;
      if (TQRCustomBand* A = R.PageAttachBand()) PrintBand(A);
      if (TQRCustomBand* E = R.PageEndBand(); E && !PageComplete) PrintBand(E);
      NoBreak = Saved;
    }
    ClosePage(false);
  }

  // Makes room for a band of Height; answers true when a new page was opened.
  bool EnsureSpace(TPageUnit Height) {
    if (NoBreak) return false;
    if (!PageOpen) {
      OpenPage();
      return true;
    }
    if (PageComplete || (Y + Height > PageBottom && BandsOnPage > 0)) {
      BreakPage();
      if (Stop) return false;
      OpenPage();
      return true;
    }
    return false;
  }

  // ---- Bands ----

  TPageUnit Measure(TQRCustomBand* B) {
    TPageUnit H = W.Length(std::max(0, B->Height()));
    for (TQRPrintable* P : B->Items()) {
      if (!P->Printable()) continue;
      P->PrepareOutput(W);
      if (P->AutoStretch()) H = std::max(H, W.Length(P->Top()) + P->OutputHeight(W));
    }
    B->FExpanded = (H - W.Length(std::max(0, B->Height()))) / W.UnitsPerPixel();
    return H;
  }

  // The page a band is about to print on exists before its events run, so
  // that they see the page number and the page-level band heights of it.
  bool StartBand(bool ForceNew) {
    if (NoBreak) return !Stop;
    if (!PageOpen) {
      OpenPage();
    } else if (PageComplete || (ForceNew && BandsOnPage > 0)) {
      BreakPage();
      if (Stop) return false;
      OpenPage();
    }
    return !Stop;
  }

  // KeepWith: room the next band needs on the same page (a group header
  // is not left alone at the foot of a page).
  bool PrintBand(TQRCustomBand* B, TPageUnit KeepWith = 0) {
    if (!B || !B->Enabled() || Stop) return false;
    if (!StartBand(B->ForceNewPage())) return false;
    bool Print = true;
    B->BeforePrint(B, Print);
    if (!Print) {
      B->AfterPrint(B, false);
      return false;
    }
    TPageUnit H = Measure(B);
    if (EnsureSpace(H + KeepWith)) {
      if (Stop) return false;
      H = Measure(B);  // page-dependent texts read the new page
    }
    if (!PageOpen || Stop) return false;
    W.OriginX = MarginL;
    W.OriginY = Y;
    for (TQRPrintable* P : B->Items())
      if (P->Printable()) P->Draw(W);
    Y += H;
    ++BandsOnPage;
    B->AfterPrint(B, true);
    if (B == R.PageEndBand()) PageComplete = true;
    if (TQRCustomBand* C = B->ChildBand(); C && C != B) PrintBand(C);
    return true;
  }

  // Answers false when the record is to print again on the next page.
  bool PrintDetail() {
    if (!Detail || !Detail->Enabled() || Stop) return true;
    if (!StartBand(Detail->ForceNewPage())) return true;
    TQRCustomBand* Attach = R.PageAttachBand();
    if (Attach && Detail == R.PageDetailBand() && DetailsOnPage > 0)
      Attach->SetHeight(Attach->Height() - Detail->Height());
    int Before = DS ? DS->RecNo() : 0;
    bool Print = true;
    Detail->BeforePrint(Detail, Print);
    if (DS && DS->RecNo() < Before) {
      DS->MoveBy(Before - DS->RecNo());
      if (DetailsOnPage > 0) {
        // Stepped back: the record goes to the next page.
        Detail->AfterPrint(Detail, false);
        BreakPage();
        return false;
      }
      // Already at the top of a page, the next page would refuse it again:
      // it prints here rather than loop or be lost.
      Print = true;
    }
    if (!Print) {
      Detail->AfterPrint(Detail, false);
      return true;
    }
    TPageUnit H = Measure(Detail);
    if (EnsureSpace(H)) {
      if (Stop) return true;
      H = Measure(Detail);
    }
    if (!PageOpen || Stop) return true;
    W.OriginX = MarginL;
    W.OriginY = Y;
    for (TQRPrintable* P : Detail->Items())
      if (P->Printable()) P->Draw(W);
    Y += H;
    ++BandsOnPage;
    ++DetailsOnPage;
    for (TQRPrintable* P : Items) P->RecordPrinted();
    Detail->AfterPrint(Detail, true);
    if (TQRCustomBand* C = Detail->ChildBand(); C && C != Detail) PrintBand(C);
    return true;
  }

  void PrintGroupFooters(size_t From) {
    for (size_t i = Groups.size(); i-- > From;) {
      if (!GroupStarted[i]) continue;
      if (TQRCustomBand* F = Groups[i]->FooterBand()) PrintBand(F);
      GroupStarted[i] = false;
    }
  }

  // Outermost group whose value differs from the one printed; Groups.size()
  // when none.
  size_t ChangedGroup() {
    for (size_t i = 0; i < Groups.size(); ++i) {
      if (!GroupStarted[i]) return i;
      if (!(Groups[i]->Evaluator().Value() == GroupValue[i])) return i;
    }
    return Groups.size();
  }

  void Run() {
    bool Empty = DS ? (!DS->Active() || DS->IsEmpty()) : false;
    if (Empty && !R.PrintIfEmpty()) return;
    if (DS && !Empty) DS->First();
    OpenPage();
    if (!Empty) {
      bool Single = DS == nullptr;  // without a data set the detail prints once
      while (!Stop && (Single || !DS->Eof())) {
        size_t Changed = ChangedGroup();
        for (size_t i = Changed; i < Groups.size() && !Stop; ++i) {
          // Started once its header printed, so that a page opened for the
          // header itself does not repeat it.
          GroupValue[i] = Groups[i]->Evaluator().Value();
          GroupStarted[i] = false;
          PrintBand(Groups[i], Detail && Detail->Enabled() ? W.Length(std::max(0, Detail->Height())) : 0);
          GroupStarted[i] = true;
        }
        if (Stop) break;
        if (!PrintDetail()) continue;  // the same record again, on the next page
        if (Single) break;
        // Footers of the groups that end with this record print while it is
        // still current.
        DS->Next();
        size_t Ending = DS->Eof() ? 0 : ChangedGroup();
        if (Ending < Groups.size()) {
          bool AtEnd = DS->Eof();
          if (!AtEnd) DS->Prior();
          PrintGroupFooters(Ending);
          if (!AtEnd) DS->Next();
        }
      }
    }
    if (!Stop) {
      PrintGroupFooters(0);
      if (Summary) PrintBand(Summary);
    }
    if (PageOpen) ClosePage(true);
    FlushSheet();
  }
};

bool TQuickRep::Generate() {
  TPageStore& Store = FPrinter->PageStore();
  Store.Clear();
  FPageNumber = 0;
  static_cast<TContext*>(FContext.get())->Reset();
  // The groups' evaluators read the report's data sets from here on, so the
  // report's BeforePrint may already walk the records with them.
  auto DataSets = ExpressionDataSets();
  for (TQRCustomBand* B : Bands())
    if (auto* G = dynamic_cast<TQRGroup*>(B)) {
      G->Evaluator().SetDataSets(DataSets);
      G->Evaluator().SetContext(ExpressionContext());
    }
  bool PrintReport = true;
  BeforePrint(this, PrintReport);
  Store.BeginGeneration();
  if (!PrintReport) {
    Store.EndGeneration();
    return true;
  }
  TRun Run(*this, Store);
  try {
    Run.Setup();
    Run.Run();
  } catch (...) {
    Run.Finish();
    Store.EndGeneration();
    throw;
  }
  Run.Finish();
  Store.EndGeneration();
  AfterPrint(this);
  return !Store.Cancelled();
}
