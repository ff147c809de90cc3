#pragma once
// The banded report: TQuickRep with its page settings, bands and the engine
// that turns the bands and the records of a data set into pages.
//
// Layout coordinates (band heights, item bounds) are design pixels: 96 per
// inch at the report's Zoom percent, as the layout windows are drawn. The
// page settings are kept in tenths of a millimetre. Generation converts both
// to the page metafiles' hundredths of a millimetre.

#include <memory>
#include <vector>

#include "platform/qr/PageMetafile.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/TypeInfo.h"
#include "platform/vcl/UIDriver.h"

class TBitmap;
class TDataSet;
class TStrings;
class TQRPrinter;
class TQRPageWriter;
class TQRPrintable;
class TQRCustomBand;
class TQuickRep;
class TQREvaluator;
class IQREvContext;
template <class C>
class TPublisher;

// Paper sizes by number, named as the printer layer names them.
enum class TQRPaperSize {
  Default, Letter, LetterSmall, Tabloid, Ledger, Legal, Statement, Executive, A3, A4, A4Small, A5,
  B4, B5, Folio, Quarto, qr10X14, qr11X17, Note, Env9, Env10, Env11, Env12, Env14, CSheet, DSheet,
  ESheet, Custom
};
KW_DECLARE_TYPEINFO(TQRPaperSize)
// The name of a paper size number ("A4"), empty outside the range.
AnsiString QRPaperSizeName(int Number);
// Portrait width and length of a paper size in tenths of a millimetre
// (Custom and out-of-range numbers answer 0 x 0).
void QRPaperDimensions(TQRPaperSize Size, double& Width, double& Length);

// The unit page values are shown in.
enum class TQRUnit { MM, Inches, Pixels, Characters, Native };
KW_DECLARE_TYPEINFO(TQRUnit)
AnsiString QRUnitName(int Number);

KW_DECLARE_TYPEINFO(TPrinterOrientation)

// None and full page print one report page per sheet; half page puts two
// report pages on one sheet, the second below the first.
enum TQRPageStyle { qpsNone, qpsFullPage, qpsHalfPage };
KW_DECLARE_TYPEINFO(TQRPageStyle)

// Whether the page header prints on the first page and the page footer on
// the last.
enum TQuickRepOption { FirstPageHeader, LastPageFooter };
using TQuickRepOptions = TSet<TQuickRepOption>;
KW_DECLARE_TYPEINFO(TQuickRepOption)
KW_DECLARE_TYPEINFO(TQuickRepOptions)

enum TQRBandType {
  rbTitle, rbPageHeader, rbDetail, rbPageFooter, rbSummary, rbGroupHeader, rbGroupFooter,
  rbSubDetail, rbColumnHeader, rbOverlay, rbChild
};
KW_DECLARE_TYPEINFO(TQRBandType)

using TQRBandBeforePrintEvent = TEvent<TQRCustomBand*, bool&>;
using TQRBandAfterPrintEvent = TEvent<TQRCustomBand*, bool>;
using TQRReportBeforePrintEvent = TEvent<TQuickRep*, bool&>;
using TQRNotifyOperationEvent = TEvent<TQuickRep*>;
KW_DECLARE_TYPEINFO(TQRBandBeforePrintEvent)
KW_DECLARE_TYPEINFO(TQRBandAfterPrintEvent)
KW_DECLARE_TYPEINFO(TQRReportBeforePrintEvent)
KW_DECLARE_TYPEINFO(TQRNotifyOperationEvent)

// The page settings. Values are tenths of a millimetre, numbered in the
// engine's order: 0 bottom margin, 1 paper length, 2 top margin, 3 paper
// width, 4 left margin, 5 right margin, 6 column space.
class TQRPage : public TPersistent {
  KW_DECLARE_CLASS(TQRPage, TPersistent)
 public:
  static void PublishMembers(TPublisher<TQRPage>& P);
  TQRPage();

  enum { BottomMarginValue, LengthValue, TopMarginValue, WidthValue, LeftMarginValue, RightMarginValue, ColumnSpaceValue, ValueCount };
  double Value(int Index) const { return Index >= 0 && Index < ValueCount ? FValues[Index] : 0; }
  void SetValue(int Index, double Value);
  // The value in a unit: millimetres, inches, pixels at 96 dpi; characters
  // and the native unit are tenths of a millimetre as stored.
  double ValueInUnits(int Index, TQRUnit Unit) const;

  // Setting a paper size other than Custom sets length and width to it
  // (portrait); changing length or width makes the size Custom.
  TQRPaperSize PaperSize() const { return FPaperSize; }
  void SetPaperSize(TQRPaperSize Value);
  TPrinterOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TPrinterOrientation Value) { FOrientation = Value; }
  int Columns() const { return FColumns; }
  void SetColumns(int Value) { FColumns = Value < 1 ? 1 : Value; }

  double BottomMargin() const { return FValues[BottomMarginValue]; }
  void SetBottomMargin(double V) { SetValue(BottomMarginValue, V); }
  double Length() const { return FValues[LengthValue]; }
  void SetLength(double V) { SetValue(LengthValue, V); }
  double TopMargin() const { return FValues[TopMarginValue]; }
  void SetTopMargin(double V) { SetValue(TopMarginValue, V); }
  double Width() const { return FValues[WidthValue]; }
  void SetWidth(double V) { SetValue(WidthValue, V); }
  double LeftMargin() const { return FValues[LeftMarginValue]; }
  void SetLeftMargin(double V) { SetValue(LeftMarginValue, V); }
  double RightMargin() const { return FValues[RightMarginValue]; }
  void SetRightMargin(double V) { SetValue(RightMarginValue, V); }
  double ColumnSpace() const { return FValues[ColumnSpaceValue]; }
  void SetColumnSpace(double V) { SetValue(ColumnSpaceValue, V); }

  // The sheet as printed (orientation applied), in page units.
  TPageUnit SheetWidth() const;
  TPageUnit SheetHeight() const;

  void Assign(const TPersistent* Source) override;

 private:
  double FValues[ValueCount] = {100, 2794, 100, 2159, 100, 100, 0};
  TQRPaperSize FPaperSize = TQRPaperSize::Letter;
  TPrinterOrientation FOrientation = poPortrait;
  int FColumns = 1;
};

// A band: a horizontal strip of the page holding printable items (its
// controls). Its height may change while the report runs.
class TQRCustomBand : public TWinControl {
  KW_DECLARE_CLASS(TQRCustomBand, TWinControl)
 public:
  static void PublishMembers(TPublisher<TQRCustomBand>& P);
  explicit TQRCustomBand(TComponent* AOwner);

  TQRBandType BandType() const { return FBandType; }
  virtual void SetBandType(TQRBandType Value) { FBandType = Value; }
  TQuickRep* ParentReport() const;

  // Starts a new page before the band prints (not on a fresh page).
  bool ForceNewPage() const { return FForceNewPage; }
  void SetForceNewPage(bool Value) { FForceNewPage = Value; }
  // The child band printed right after this one.
  TQRCustomBand* ChildBand() const { return FChildBand; }
  void SetChildBand(TQRCustomBand* Value);
  bool HasChild() const { return FChildBand != nullptr; }

  // How much taller than designed the band printed last time, in design
  // pixels (stretching items); 0 when it printed at its height.
  double Expanded() const { return FExpanded; }

  TQRBandBeforePrintEvent BeforePrint;
  TQRBandAfterPrintEvent AfterPrint;

  // The band's printable items in the order they draw.
  std::vector<TQRPrintable*> Items() const;

  // A band's height may go below zero while a report runs (a page-level
  // attach band shrinking past its end, which its handlers test for); it
  // prints as zero then. Height answers the value as set.
  int Height() const { return FSignedHeight; }
  void SetHeight(int Value) { SetBounds(Left(), Top(), Width(), Value); }
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TQuickRep;
  TQRBandType FBandType = rbTitle;
  bool FForceNewPage = false;
  TQRCustomBand* FChildBand = nullptr;
  double FExpanded = 0;
  int FSignedHeight = 0;
};

class TQRBand : public TQRCustomBand {
  KW_DECLARE_CLASS(TQRBand, TQRCustomBand)
 public:
  static void PublishMembers(TPublisher<TQRBand>& P);
  explicit TQRBand(TComponent* AOwner);
};

// A band printed after its parent band whenever the parent prints.
class TQRChildBand : public TQRCustomBand {
  KW_DECLARE_CLASS(TQRChildBand, TQRCustomBand)
 public:
  static void PublishMembers(TPublisher<TQRChildBand>& P);
  explicit TQRChildBand(TComponent* AOwner);
  TQRCustomBand* ParentBand() const { return FParentBand; }
  void SetParentBand(TQRCustomBand* Value);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TQRCustomBand* FParentBand = nullptr;
};

// A group header: prints when the value of Expression changes; FooterBand
// prints when the group ends.
class TQRGroup : public TQRCustomBand {
  KW_DECLARE_CLASS(TQRGroup, TQRCustomBand)
 public:
  static void PublishMembers(TPublisher<TQRGroup>& P);
  explicit TQRGroup(TComponent* AOwner);
  ~TQRGroup() override;

  const AnsiString& Expression() const { return FExpression; }
  void SetExpression(const AnsiString& Value) { FExpression = Value; }
  TQRCustomBand* FooterBand() const { return FFooterBand; }
  void SetFooterBand(TQRCustomBand* Value);
  // Prints the header again at the top of a page the group continues on.
  bool ReprintOnNewPage() const { return FReprintOnNewPage; }
  void SetReprintOnNewPage(bool Value) { FReprintOnNewPage = Value; }

  // The group's evaluator on the report's data sets; what the layout's
  // handlers use to read the group value.
  TQREvaluator& Evaluator() { return *FEvaluator; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TQuickRep;
  AnsiString FExpression;
  TQRCustomBand* FFooterBand = nullptr;
  bool FReprintOnNewPage = false;
  std::unique_ptr<TQREvaluator> FEvaluator;
};

class TQuickRep : public TWinControl {
  KW_DECLARE_CLASS(TQuickRep, TWinControl)
 public:
  static void PublishMembers(TPublisher<TQuickRep>& P);
  explicit TQuickRep(TComponent* AOwner);
  ~TQuickRep() override;

  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* Value);
  TQRPage* Page() const { return FPage.get(); }
  void SetPage(TQRPage* Value) { FPage->Assign(Value); }
  TQRUnit Units() const { return FUnits; }
  void SetUnits(TQRUnit Value) { FUnits = Value; }
  // Percent the layout is drawn at; 100 means 96 design pixels an inch.
  int Zoom() const { return FZoom; }
  void SetZoom(int Value) { FZoom = Value < 1 ? 1 : Value; }
  TQRPageStyle PageStyle() const { return FPageStyle; }
  void SetPageStyle(TQRPageStyle Value) { FPageStyle = Value; }
  TQuickRepOptions Options() const { return FOptions; }
  void SetOptions(TQuickRepOptions Value) { FOptions = Value; }
  bool PrintIfEmpty() const { return FPrintIfEmpty; }
  void SetPrintIfEmpty(bool Value) { FPrintIfEmpty = Value; }
  bool SnapToGrid() const { return FSnapToGrid; }
  void SetSnapToGrid(bool Value) { FSnapToGrid = Value; }
  const AnsiString& ReportTitle() const { return FReportTitle; }
  void SetReportTitle(const AnsiString& Value) { FReportTitle = Value; }
  int Copies() const { return FCopies; }
  void SetCopies(int Value) { FCopies = Value < 1 ? 1 : Value; }

  // Drawn under every page, stretched over the whole sheet (one shared
  // picture in the page store). Empty: none.
  TBitmap* Background() const { return FBackground.get(); }
  void SetBackground(TBitmap* Value);
  bool PrintBackground() const { return FPrintBackground; }
  void SetPrintBackground(bool Value) { FPrintBackground = Value; }

  // Named values expressions can use, one "NAME=expression" a line.
  // PAGENUMBER, COLUMNNUMBER and REPORTTITLE are answered by the engine
  // whatever their line says; other names evaluate their expression.
  TStrings* Functions() const { return FFunctions.get(); }
  void SetFunctions(TStrings* Value);
  void AddFunction(const AnsiString& Name, const AnsiString& Expression);

  // The page-level bands: the start band heads every page (and so repeats
  // on the pages a group continues on); the detail band fills the page; the
  // attach band follows the last detail line and shrinks by one detail
  // height for every detail line after the first on the page, so that the
  // page keeps its height; the end band closes the page. A page whose end
  // band printed is complete: the next band starts a new page.
  TQRCustomBand* PageStartBand() const { return FPageStartBand; }
  void SetPageStartBand(TQRCustomBand* Value) { SetBandRef(FPageStartBand, Value); }
  TQRCustomBand* PageDetailBand() const { return FPageDetailBand; }
  void SetPageDetailBand(TQRCustomBand* Value) { SetBandRef(FPageDetailBand, Value); }
  TQRCustomBand* PageAttachBand() const { return FPageAttachBand; }
  void SetPageAttachBand(TQRCustomBand* Value) { SetBandRef(FPageAttachBand, Value); }
  TQRCustomBand* PageEndBand() const { return FPageEndBand; }
  void SetPageEndBand(TQRCustomBand* Value) { SetBandRef(FPageEndBand, Value); }

  // Events.
  TQRReportBeforePrintEvent BeforePrint;
  TNotifyEvent AfterPrint;
  TQRNotifyOperationEvent OnStartPage;
  TQRNotifyOperationEvent OnEndPage;
  TNotifyEvent OnPreview;

  // The printer object holding the generated pages.
  TQRPrinter* QRPrinter() const { return FPrinter.get(); }

  // Generates every page into the printer without showing anything.
  // Answers true when generation finished without being cancelled.
  bool Prepare();
  // The preview pass: OnPreview runs first (a preview window links itself to
  // the printer there and sees the pages as they come), then the pages are
  // generated.
  bool Preview();
  // Generates the pages and sends them to the printer chosen by the
  // printer's index.
  void Print();
  // Stops generation at the next page boundary.
  void Cancel();

  // While generating: the current report page (logical page, 1-based) and
  // column; afterwards the number of report pages made.
  int PageNumber() const { return FPageNumber; }
  int ColumnNumber() const { return 1; }
  // Report pages made by the last generation (in half-page style two of
  // them share a sheet of the printer).
  int ReportPageCount() const { return FPageNumber; }

  // The report's bands in the order they appear on the report.
  std::vector<TQRCustomBand*> Bands() const;
  // Data sets that expressions may name: the report's own and those owned
  // by the report's owner.
  std::vector<TDataSet*> ExpressionDataSets() const;
  // Design pixels to page units.
  double PageUnitsPerPixel() const;
  // What expressions of this report resolve names through (the functions).
  IQREvContext* ExpressionContext() const { return FContext.get(); }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  struct TRun;
  class TContext;
  void SetBandRef(TQRCustomBand*& Field, TQRCustomBand* Value);
  bool Generate();

  TDataSet* FDataSet = nullptr;
  std::unique_ptr<TQRPage> FPage;
  TQRUnit FUnits = TQRUnit::MM;
  int FZoom = 100;
  TQRPageStyle FPageStyle = qpsNone;
  TQuickRepOptions FOptions{FirstPageHeader, LastPageFooter};
  bool FPrintIfEmpty = true;
  bool FSnapToGrid = true;
  AnsiString FReportTitle;
  int FCopies = 1;
  std::shared_ptr<TBitmap> FBackground;
  bool FPrintBackground = true;
  std::unique_ptr<TStrings> FFunctions;
  TQRCustomBand* FPageStartBand = nullptr;
  TQRCustomBand* FPageDetailBand = nullptr;
  TQRCustomBand* FPageAttachBand = nullptr;
  TQRCustomBand* FPageEndBand = nullptr;
  std::unique_ptr<TQRPrinter> FPrinter;
  std::unique_ptr<IQREvContext> FContext;
  int FPageNumber = 0;
};
