#pragma once
// The printable items of report bands: labels, data texts, expression
// texts, memos, shapes and images; and the page writer through which they
// draw into a page metafile.

#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/qr/PageMetafile.h"
#include "platform/qr/QuickRpt.h"
#include "platform/vcl/StdCtrls.h"

class TPageStore;
class TBitmap;
class TQREvaluator;
class TField;

// Print events of texts: the handler may rewrite the text about to print.
using TQRLabelOnPrintEvent = TEvent<TObject*, AnsiString&>;
KW_DECLARE_TYPEINFO(TQRLabelOnPrintEvent)

// Where and how items draw during generation: the current page, the origin
// of the band being printed, and cached resources and text measurements
// (measuring dominates generation time, so widths are kept per character).
class TQRPageWriter {
 public:
  TQRPageWriter(TPageStore& Store, double UnitsPerPixel);
  ~TQRPageWriter();
  TQRPageWriter(const TQRPageWriter&) = delete;
  TQRPageWriter& operator=(const TQRPageWriter&) = delete;

  TPageStore& Store() { return FStore; }
  TPageMetafile* Page = nullptr;
  TPageUnit OriginX = 0;
  TPageUnit OriginY = 0;

  double UnitsPerPixel() const { return FScale; }
  TPageUnit Length(double Pixels) const;
  TPageRect Box(int Left, int Top, int Width, int Height) const;

  // Resource numbers of the store, cached per font object.
  int16_t Font(const TFont& Font);
  int16_t Pen(const TPen& Pen);
  int16_t Brush(const TBrush& Brush);
  int32_t Picture(const std::shared_ptr<const TBitmap>& Picture);

  // Width of one line of Text and the line height in Font, in page units.
  TPageUnit TextWidth(const TFont& Font, const AnsiString& Text);
  TPageUnit LineHeight(const TFont& Font);
  // Text broken into lines no wider than Width (at blanks, and between
  // Chinese characters); line breaks in the text always break.
  std::vector<AnsiString> WrapLines(const TFont& Font, const AnsiString& Text, TPageUnit Width);

  // A point size from a font's height.
  static double PointSize(const TFont& Font);

 private:
  struct TFontEntry;
  TFontEntry& Entry(const TFont& Font);
  TPageUnit CharWidth(TFontEntry& E, const TFont& Font, const char* Char, size_t Length);
  TPageStore& FStore;
  double FScale;
  std::unordered_map<const TFont*, std::unique_ptr<TFontEntry>> FFonts;
};

// The base of everything a band prints. Disabled or invisible items do not
// print. Bounds are design pixels inside the band.
class TQRPrintable : public TControl {
  KW_DECLARE_CLASS(TQRPrintable, TControl)
 public:
  static void PublishMembers(TPublisher<TQRPrintable>& P);
  explicit TQRPrintable(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value) { FAlignment = Value; }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value) { FAutoSize = Value; }
  // Grows the band when the text needs more lines than the item is high.
  bool AutoStretch() const { return FAutoStretch; }
  void SetAutoStretch(bool Value) { FAutoStretch = Value; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value) { FWordWrap = Value; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value) { FTransparent = Value; }

  TQRCustomBand* ParentBand() const;
  bool Printable() const { return Enabled() && Visible(); }

  // Generation, in two steps so that a band knows its height before it is
  // placed: Prepare works out what the item prints and the height it needs
  // (page units); Draw puts it on the page at the writer's origin.
  virtual void PrepareOutput(TQRPageWriter& W) { (void)W; }
  virtual TPageUnit OutputHeight(TQRPageWriter& W) const { return W.Length(Height()); }
  virtual void Draw(TQRPageWriter& W) = 0;
  // Called for every detail record the report prints (aggregates).
  virtual void RecordPrinted() {}
  // Called once before the first page of a run.
  virtual void StartRun() {}

 private:
  TAlignment FAlignment = taLeftJustify;
  bool FAutoSize = true;
  bool FAutoStretch = false;
  bool FWordWrap = true;
  bool FTransparent = false;
};

// A text item: what it prints comes from PrintText, then the OnPrint handler.
class TQRCustomLabel : public TQRPrintable {
  KW_DECLARE_CLASS(TQRCustomLabel, TQRPrintable)
 public:
  static void PublishMembers(TPublisher<TQRCustomLabel>& P);
  explicit TQRCustomLabel(TComponent* AOwner);

  TQRLabelOnPrintEvent OnPrint;
  // The text of the last time the item printed (after OnPrint).
  const AnsiString& PrintedText() const { return FOutText; }

  void PrepareOutput(TQRPageWriter& W) override;
  TPageUnit OutputHeight(TQRPageWriter& W) const override;
  void Draw(TQRPageWriter& W) override;

 protected:
  virtual AnsiString PrintText() { return Caption(); }

 private:
  AnsiString FOutText;
  std::vector<AnsiString> FOutLines;
  TPageUnit FOutWidth = 0;
  TPageUnit FOutHeight = 0;
  TPageUnit FLineHeight = 0;
};

class TQRLabel : public TQRCustomLabel {
  KW_DECLARE_CLASS(TQRLabel, TQRCustomLabel)
 public:
  static void PublishMembers(TPublisher<TQRLabel>& P);
  explicit TQRLabel(TComponent* AOwner);
};

// A field of a data set. Items turns codes into texts ("0=pending"): a
// value found as a name prints its text; other values print as they are.
class TQRDBText : public TQRCustomLabel {
  KW_DECLARE_CLASS(TQRDBText, TQRCustomLabel)
 public:
  static void PublishMembers(TPublisher<TQRDBText>& P);
  explicit TQRDBText(TComponent* AOwner);
  ~TQRDBText() override;

  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* Value);
  const AnsiString& DataField() const { return FDataField; }
  void SetDataField(const AnsiString& Value) { FDataField = Value; }
  // A FormatFloat picture for numeric fields; empty prints the field's text.
  const AnsiString& Mask() const { return FMask; }
  void SetMask(const AnsiString& Value) { FMask = Value; }
  // The print kind the layout binds a print handler by (0 plain).
  int TextKind() const { return FTextKind; }
  void SetTextKind(int Value) { FTextKind = Value; }
  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value);

  void StartRun() override;

 protected:
  AnsiString PrintText() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TDataSet* FDataSet = nullptr;
  AnsiString FDataField;
  AnsiString FMask;
  int FTextKind = 0;
  std::unique_ptr<TStrings> FItems;
  TField* FField = nullptr;
  TDataSet* FFieldOwner = nullptr;
};

// The value of an expression over the report's data sets and functions.
class TQRExpr : public TQRCustomLabel {
  KW_DECLARE_CLASS(TQRExpr, TQRCustomLabel)
 public:
  static void PublishMembers(TPublisher<TQRExpr>& P);
  explicit TQRExpr(TComponent* AOwner);
  ~TQRExpr() override;

  const AnsiString& Expression() const { return FExpression; }
  void SetExpression(const AnsiString& Value);
  // Aggregates start again after each print.
  bool ResetAfterPrint() const { return FResetAfterPrint; }
  void SetResetAfterPrint(bool Value) { FResetAfterPrint = Value; }
  const AnsiString& Mask() const { return FMask; }
  void SetMask(const AnsiString& Value) { FMask = Value; }

  void StartRun() override;
  void RecordPrinted() override;
  void Draw(TQRPageWriter& W) override;

 protected:
  AnsiString PrintText() override;

 private:
  AnsiString FExpression;
  AnsiString FMask;
  bool FResetAfterPrint = false;
  std::unique_ptr<TQREvaluator> FEvaluator;
};

// Several lines of text.
class TQRMemo : public TQRCustomLabel {
  KW_DECLARE_CLASS(TQRMemo, TQRCustomLabel)
 public:
  static void PublishMembers(TPublisher<TQRMemo>& P);
  explicit TQRMemo(TComponent* AOwner);
  ~TQRMemo() override;
  TStrings* Lines() const { return FLines.get(); }
  void SetLines(TStrings* Value);

 protected:
  AnsiString PrintText() override;

 private:
  std::unique_ptr<TStrings> FLines;
};

enum TQRShapeType { qrsRectangle, qrsCircle, qrsVertLine, qrsHorLine, qrsTopAndBottom, qrsRightAndLeft };
KW_DECLARE_TYPEINFO(TQRShapeType)

class TQRShape : public TQRPrintable {
  KW_DECLARE_CLASS(TQRShape, TQRPrintable)
 public:
  static void PublishMembers(TPublisher<TQRShape>& P);
  explicit TQRShape(TComponent* AOwner);
  ~TQRShape() override;
  TQRShapeType Shape() const { return FShape; }
  void SetShape(TQRShapeType Value) { FShape = Value; }
  TPen* Pen() const { return FPen.get(); }
  void SetPen(TPen* Value);
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TBrush* Value);
  void Draw(TQRPageWriter& W) override;

 private:
  TQRShapeType FShape = qrsRectangle;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
};

class TQRImage : public TQRPrintable {
  KW_DECLARE_CLASS(TQRImage, TQRPrintable)
 public:
  static void PublishMembers(TPublisher<TQRImage>& P);
  explicit TQRImage(TComponent* AOwner);
  ~TQRImage() override;
  TBitmap* Picture() const { return FPicture.get(); }
  void SetPicture(TBitmap* Value);
  // Stretch fills the item's box; otherwise the picture keeps its size (96
  // dpi pixels), centred in the box when Center is set.
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value) { FStretch = Value; }
  bool Center() const { return FCenter; }
  void SetCenter(bool Value) { FCenter = Value; }
  void Draw(TQRPageWriter& W) override;

 private:
  std::shared_ptr<TBitmap> FPicture;
  bool FStretch = false;
  bool FCenter = false;
};
