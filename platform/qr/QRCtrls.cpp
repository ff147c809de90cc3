#include "platform/qr/QRCtrls.h"

#include <algorithm>
#include <cmath>

#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"
#include "platform/qr/PageStore.h"
#include "platform/qr/QRExpr.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/StringList.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/FontEngine.h"
#include "platform/vcl/Publisher.h"

KW_DEFINE_EVENT_TYPEINFO(TQRLabelOnPrintEvent)
KW_DEFINE_ENUM_TYPEINFO(TQRShapeType, "qrsRectangle", "qrsCircle", "qrsVertLine", "qrsHorLine", "qrsTopAndBottom",
                        "qrsRightAndLeft")

KW_REGISTER_CLASS(TQRPrintable)
KW_REGISTER_CLASS(TQRCustomLabel)
KW_REGISTER_CLASS(TQRLabel)
KW_REGISTER_CLASS(TQRDBText)
KW_REGISTER_CLASS(TQRExpr)
KW_REGISTER_CLASS(TQRMemo)
KW_REGISTER_CLASS(TQRShape)
KW_REGISTER_CLASS(TQRImage)

// ---- Page writer ---------------------------------------------------------------------

namespace {

// Texts are measured at this resolution and converted to page units: fine
// enough that rounding stays below a hundredth of a millimetre a character.
constexpr int MeasureDpi = 600;

TPageUnit MeasuredToPage(double Pixels) { return static_cast<TPageUnit>(std::lround(Pixels * 2540.0 / MeasureDpi)); }

}  // namespace

struct TQRPageWriter::TFontEntry {
  // What the entry was made from; a font changed by an event gets new values.
  AnsiString Name;
  int Height = 0;
  int PixelsPerInch = 0;
  uint32_t Style = 0;
  TFontCharset Charset = 0;
  TColor Color = 0;
  int16_t Index = -1;
  bool DoubleByte = false;
  TPageUnit LineHeight = 0;
  // Advances in measuring pixels: single bytes by value, double-byte
  // characters by their two bytes.
  double Single[256];
  std::unordered_map<uint16_t, double> Double;
  bool Matches(const TFont& F) const {
    return Height == F.Height() && Style == F.Style().Bits() && Charset == F.Charset() && Color == F.Color() &&
           PixelsPerInch == F.PixelsPerInch() && Name == F.Name();
  }
};

TQRPageWriter::TQRPageWriter(TPageStore& Store, double UnitsPerPixel) : FStore(Store), FScale(UnitsPerPixel) {}
TQRPageWriter::~TQRPageWriter() = default;

TPageUnit TQRPageWriter::Length(double Pixels) const { return static_cast<TPageUnit>(std::lround(Pixels * FScale)); }

TPageRect TQRPageWriter::Box(int Left, int Top, int Width, int Height) const {
  TPageRect R;
  R.Left = OriginX + Length(Left);
  R.Top = OriginY + Length(Top);
  R.Right = OriginX + Length(Left + Width);
  R.Bottom = OriginY + Length(Top + Height);
  return R;
}

double TQRPageWriter::PointSize(const TFont& Font) {
  int Ppi = Font.PixelsPerInch() > 0 ? Font.PixelsPerInch() : 96;
  return std::abs(Font.Height()) * 72.0 / Ppi;
}

TQRPageWriter::TFontEntry& TQRPageWriter::Entry(const TFont& Font) {
  auto& Slot = FFonts[&Font];
  if (Slot && Slot->Matches(Font)) return *Slot;
  Slot = std::make_unique<TFontEntry>();
  TFontEntry& E = *Slot;
  E.Name = Font.Name();
  E.Height = Font.Height();
  E.PixelsPerInch = Font.PixelsPerInch();
  E.Style = Font.Style().Bits();
  E.Charset = Font.Charset();
  E.Color = Font.Color();
  TPageFont PF;
  PF.Name = Font.Name();
  PF.Size = PointSize(Font);
  PF.Style = Font.Style();
  PF.Charset = Font.Charset();
  PF.Color = Font.Color();
  E.Index = FStore.Resources().AddFont(PF);
  unsigned CodePage = CodePageOfCharset(Font.Charset());
  E.DoubleByte = CodePage == 936 || CodePage == 950 || CodePage == 949 || CodePage == 932;
  std::fill(std::begin(E.Single), std::end(E.Single), -1.0);
  E.LineHeight = MeasuredToPage(TFontEngine::Instance().Metrics(Font, MeasureDpi).Height);
  return E;
}

int16_t TQRPageWriter::Font(const TFont& Font) { return Entry(Font).Index; }

int16_t TQRPageWriter::Pen(const TPen& Pen) {
  TPagePen P;
  P.Color = Pen.Color();
  P.Width = std::max<TPageUnit>(1, Length(std::max(1, Pen.Width())));
  P.Style = Pen.Style();
  return FStore.Resources().AddPen(P);
}

int16_t TQRPageWriter::Brush(const TBrush& Brush) {
  TPageBrush B;
  B.Color = Brush.Color();
  B.Style = Brush.Style();
  return FStore.Resources().AddBrush(B);
}

int32_t TQRPageWriter::Picture(const std::shared_ptr<const TBitmap>& Picture) {
  return FStore.Resources().AddPicture(Picture);
}

TPageUnit TQRPageWriter::CharWidth(TFontEntry& E, const TFont& Font, const char* Char, size_t Length) {
  double* Slot;
  if (Length == 1) {
    Slot = &E.Single[static_cast<unsigned char>(*Char)];
  } else {
    uint16_t Key = static_cast<uint16_t>((static_cast<unsigned char>(Char[0]) << 8) | static_cast<unsigned char>(Char[1]));
    auto It = E.Double.find(Key);
    if (It == E.Double.end()) It = E.Double.emplace(Key, -1.0).first;
    Slot = &It->second;
  }
  if (*Slot < 0) *Slot = TFontEngine::Instance().TextWidth(Font, AnsiString(Char, Length), MeasureDpi);
  return static_cast<TPageUnit>(*Slot);  // measuring pixels; converted by the caller
}

namespace {

size_t CharLength(const AnsiString& Text, size_t Pos, bool DoubleByte) {
  unsigned char C = Text[Pos];
  if (DoubleByte && C >= 0x81 && C != 0xFF && Pos + 1 < Text.size()) return 2;
  return 1;
}

}  // namespace

TPageUnit TQRPageWriter::TextWidth(const TFont& Font, const AnsiString& Text) {
  TFontEntry& E = Entry(Font);
  double Pixels = 0;
  for (size_t i = 0; i < Text.size();) {
    size_t N = CharLength(Text, i, E.DoubleByte);
    Pixels += CharWidth(E, Font, Text.data() + i, N);
    i += N;
  }
  return MeasuredToPage(Pixels);
}

TPageUnit TQRPageWriter::LineHeight(const TFont& Font) { return Entry(Font).LineHeight; }

std::vector<AnsiString> TQRPageWriter::WrapLines(const TFont& Font, const AnsiString& Text, TPageUnit Width) {
  TFontEntry& E = Entry(Font);
  std::vector<AnsiString> Lines;
  size_t LineStart = 0;
  size_t BreakAt = AnsiString::npos;  // a place the line may end (after a blank or a double-byte character)
  double LineWidth = 0;
  size_t i = 0;
  auto Emit = [&](size_t End, size_t Resume) {
    AnsiString L = Text.substr(LineStart, End - LineStart);
    while (!L.empty() && (L.back() == ' ' || L.back() == '\r')) L.pop_back();
    Lines.push_back(std::move(L));
    LineStart = Resume;
    BreakAt = AnsiString::npos;
    LineWidth = 0;
  };
  while (i < Text.size()) {
    char C = Text[i];
    if (C == '\n') {
      Emit(i, i + 1);
      i = i + 1;
      continue;
    }
    size_t N = CharLength(Text, i, E.DoubleByte);
    double Advance = CharWidth(E, Font, Text.data() + i, N);
    if (N == 2 && i > LineStart) BreakAt = i;  // a line may end before a Chinese character
    // Compared in page units, as TextWidth answers, so a line never
    // measures wider than the box it was broken for.
    if (MeasuredToPage(LineWidth + Advance) > Width && i > LineStart && C != ' ') {
      if (BreakAt != AnsiString::npos && BreakAt > LineStart) {
        size_t Resume = BreakAt;
        while (Resume < Text.size() && Text[Resume] == ' ') ++Resume;
        Emit(BreakAt, Resume);
        i = Resume;
      } else {
        Emit(i, i);  // a word longer than the line breaks where it must
      }
      continue;
    }
    LineWidth += Advance;
    i += N;
    if (C == ' ' || N == 2) BreakAt = i;
  }
  if (LineStart < Text.size() || Lines.empty()) Emit(Text.size(), Text.size());
  return Lines;
}

// ---- Printable items -----------------------------------------------------------------

void TQRPrintable::PublishMembers(TPublisher<TQRPrintable>& P) {
  P.Property("Alignment", &TQRPrintable::Alignment, &TQRPrintable::SetAlignment).Default(taLeftJustify);
  P.Property("AutoSize", &TQRPrintable::AutoSize, &TQRPrintable::SetAutoSize).Default(true);
  P.Property("AutoStretch", &TQRPrintable::AutoStretch, &TQRPrintable::SetAutoStretch).Default(false);
  P.Property("Color", &TControl::Color, &TControl::SetColor).Type(TypeInfo_TColor()).Default(clWhite);
  P.Property("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
  P.Property("Font", &TControl::Font, &TControl::SetFont);
  P.Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
  P.Property("Transparent", &TQRPrintable::Transparent, &TQRPrintable::SetTransparent).Default(false);
  P.Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
  P.Property("WordWrap", &TQRPrintable::WordWrap, &TQRPrintable::SetWordWrap).Default(true);
}

TQRPrintable::TQRPrintable(TComponent* AOwner) : TControl(AOwner) {
  SetColor(clWhite);
  SetBounds(0, 0, 65, 17);
}

TQRCustomBand* TQRPrintable::ParentBand() const { return dynamic_cast<TQRCustomBand*>(Parent()); }

// ---- Texts ---------------------------------------------------------------------------

void TQRCustomLabel::PublishMembers(TPublisher<TQRCustomLabel>& P) {
  P.Property("OnPrint", &TQRCustomLabel::OnPrint, &TQRCustomLabel::OnPrint);
}

TQRCustomLabel::TQRCustomLabel(TComponent* AOwner) : TQRPrintable(AOwner) {}

void TQRCustomLabel::PrepareOutput(TQRPageWriter& W) {
  FOutText = PrintText();
  OnPrint(this, FOutText);
  FLineHeight = W.LineHeight(*Font());
  FOutLines.clear();
  TPageUnit BoxWidth = W.Length(Width());
  bool Wrap = WordWrap() && !AutoSize();
  if (Wrap || FOutText.find('\n') != AnsiString::npos) {
    FOutLines = W.WrapLines(*Font(), FOutText, Wrap ? BoxWidth : INT32_MAX);
  } else {
    FOutLines.push_back(FOutText);
  }
  FOutWidth = BoxWidth;
  if (AutoSize()) {
    FOutWidth = 0;
    for (const auto& L : FOutLines) FOutWidth = std::max(FOutWidth, W.TextWidth(*Font(), L));
  }
  FOutHeight = static_cast<TPageUnit>(FOutLines.size()) * FLineHeight;
}

TPageUnit TQRCustomLabel::OutputHeight(TQRPageWriter& W) const {
  return std::max(W.Length(Height()), FOutHeight);
}

void TQRCustomLabel::Draw(TQRPageWriter& W) {
  TPageRect Box = W.Box(Left(), Top(), Width(), Height());
  if (AutoSize()) {
    // The box follows the text: growing to the right, to the left for right
    // alignment, to both sides when centred.
    switch (Alignment()) {
      case taRightJustify: Box.Left = Box.Right - FOutWidth; break;
      case taCenter: {
        TPageUnit Mid = (Box.Left + Box.Right) / 2;
        Box.Left = Mid - FOutWidth / 2;
        Box.Right = Box.Left + FOutWidth;
        break;
      }
      default: Box.Right = Box.Left + FOutWidth;
    }
  }
  if (AutoStretch()) Box.Bottom = std::max(Box.Bottom, Box.Top + FOutHeight);
  uint16_t Flags = Alignment() == taRightJustify ? ptaRight : Alignment() == taCenter ? ptaCenter : ptaLeft;
  int16_t FontIndex = W.Font(*Font());
  int16_t BrushIndex = -1;
  if (!Transparent() && Color() != clWhite && Color() != clNone) {
    TBrush B;
    B.SetColor(Color());
    BrushIndex = W.Brush(B);
    W.Page->AddRectangle(Box, -1, BrushIndex);
  }
  if (FOutLines.size() == 1) {
    if (!FOutText.empty()) W.Page->AddText(Box, Flags, FontIndex, FOutLines[0]);
    return;
  }
  // One record a line, so every reader breaks the lines where generation did.
  TPageUnit Top = Box.Top;
  for (const auto& L : FOutLines) {
    if (Top >= Box.Bottom) break;  // beyond the box of an item that does not stretch
    if (!L.empty()) W.Page->AddText({Box.Left, Top, Box.Right, Top + FLineHeight}, Flags, FontIndex, L);
    Top += FLineHeight;
  }
}

void TQRLabel::PublishMembers(TPublisher<TQRLabel>& P) {
  P.Property("Caption", &TControl::Caption, &TControl::SetCaption);
}

TQRLabel::TQRLabel(TComponent* AOwner) : TQRCustomLabel(AOwner) {}

// Data texts.

void TQRDBText::PublishMembers(TPublisher<TQRDBText>& P) {
  P.Property("DataSet", &TQRDBText::DataSet, &TQRDBText::SetDataSet);
  P.Property("DataField", &TQRDBText::DataField, &TQRDBText::SetDataField);
  P.Property("Mask", &TQRDBText::Mask, &TQRDBText::SetMask);
  P.Property("TextKind", &TQRDBText::TextKind, &TQRDBText::SetTextKind).Default(0);
  P.Property("Items", &TQRDBText::Items, &TQRDBText::SetItems);
}

TQRDBText::TQRDBText(TComponent* AOwner) : TQRCustomLabel(AOwner), FItems(std::make_unique<TStringList>()) {}
TQRDBText::~TQRDBText() = default;

void TQRDBText::SetDataSet(TDataSet* Value) {
  FDataSet = Value;
  FField = nullptr;
  if (Value) Value->FreeNotification(this);
}

void TQRDBText::SetItems(TStrings* Value) {
  if (Value) FItems->Assign(Value);
  else FItems->Clear();
}

void TQRDBText::Notification(TComponent* AComponent, TOperation Operation) {
  TQRCustomLabel::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSet) {
    FDataSet = nullptr;
    FField = nullptr;
  }
}

void TQRDBText::StartRun() { FField = nullptr; }

AnsiString TQRDBText::PrintText() {
  if (!FDataSet || !FDataSet->Active()) {
    FField = nullptr;
    return AnsiString();
  }
  if (!FField || FFieldOwner != FDataSet) {
    FField = FDataSet->FindField(FDataField);
    FFieldOwner = FDataSet;
  }
  if (!FField) return AnsiString();
  AnsiString Text;
  if (!FMask.empty() && !FField->IsNull()) {
    switch (FField->DataType()) {
      case ftSmallint: case ftInteger: case ftWord: case ftLargeint: case ftAutoInc:
      case ftFloat: case ftCurrency: case ftBCD: case ftFMTBcd:
        Text = FormatFloat(FMask, FField->AsFloat());
        break;
      default:
        Text = FField->AsString();
    }
  } else {
    Text = FField->AsString();
  }
  if (FItems->Count() > 0) {
    int Index = FItems->IndexOfName(Text);
    if (Index >= 0) Text = FItems->Strings(Index).substr(FItems->Names(Index).size() + 1);
  }
  return Text;
}

// Expression texts.

void TQRExpr::PublishMembers(TPublisher<TQRExpr>& P) {
  P.Property("Expression", &TQRExpr::Expression, &TQRExpr::SetExpression);
  P.Property("Mask", &TQRExpr::Mask, &TQRExpr::SetMask);
  P.Property("ResetAfterPrint", &TQRExpr::ResetAfterPrint, &TQRExpr::SetResetAfterPrint).Default(false);
}

TQRExpr::TQRExpr(TComponent* AOwner) : TQRCustomLabel(AOwner), FEvaluator(std::make_unique<TQREvaluator>()) {}
TQRExpr::~TQRExpr() = default;

void TQRExpr::SetExpression(const AnsiString& Value) {
  FExpression = Value;
  FEvaluator->Unprepare();
}

void TQRExpr::StartRun() {
  TQuickRep* Report = ParentBand() ? ParentBand()->ParentReport() : nullptr;
  if (Report) {
    FEvaluator->SetDataSets(Report->ExpressionDataSets());
    FEvaluator->SetContext(Report->ExpressionContext());
  }
  FEvaluator->Prepare(FExpression);
}

void TQRExpr::RecordPrinted() {
  if (FEvaluator->Prepared() && FEvaluator->IsAggregate()) FEvaluator->UpdateAggregates();
}

AnsiString TQRExpr::PrintText() {
  if (!FEvaluator->Prepared()) StartRun();
  TQREvResult V = FEvaluator->Value();
  if (!FMask.empty() && V.IsNumber()) return FormatFloat(FMask, V.AsDouble());
  return V.AsString();
}

void TQRExpr::Draw(TQRPageWriter& W) {
  TQRCustomLabel::Draw(W);
  if (FResetAfterPrint) FEvaluator->ResetAggregates();
}

// Memos.

void TQRMemo::PublishMembers(TPublisher<TQRMemo>& P) {
  P.Property("Lines", &TQRMemo::Lines, &TQRMemo::SetLines);
}

TQRMemo::TQRMemo(TComponent* AOwner) : TQRCustomLabel(AOwner), FLines(std::make_unique<TStringList>()) {
  SetAutoSize(false);
}
TQRMemo::~TQRMemo() = default;

void TQRMemo::SetLines(TStrings* Value) {
  if (Value) FLines->Assign(Value);
  else FLines->Clear();
}

AnsiString TQRMemo::PrintText() {
  AnsiString Text;
  for (int i = 0; i < FLines->Count(); ++i) {
    if (i) Text.push_back('\n');
    Text += FLines->Strings(i);
  }
  return Text;
}

// ---- Shapes and images ---------------------------------------------------------------

void TQRShape::PublishMembers(TPublisher<TQRShape>& P) {
  P.Property("Shape", &TQRShape::Shape, &TQRShape::SetShape).Default(qrsRectangle);
  P.Property("Pen", &TQRShape::Pen, &TQRShape::SetPen);
  P.Property("Brush", &TQRShape::Brush, &TQRShape::SetBrush);
}

TQRShape::TQRShape(TComponent* AOwner)
    : TQRPrintable(AOwner), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()) {
  SetBounds(0, 0, 65, 65);
}
TQRShape::~TQRShape() = default;

void TQRShape::SetPen(TPen* Value) {
  if (Value) FPen->Assign(Value);
}
void TQRShape::SetBrush(TBrush* Value) {
  if (Value) FBrush->Assign(Value);
}

void TQRShape::Draw(TQRPageWriter& W) {
  TPageRect Box = W.Box(Left(), Top(), Width(), Height());
  int16_t PenIndex = FPen->Style() == psClear ? -1 : W.Pen(*FPen);
  int16_t BrushIndex = FBrush->Style() == bsClear ? -1 : W.Brush(*FBrush);
  TPageUnit MidX = (Box.Left + Box.Right) / 2, MidY = (Box.Top + Box.Bottom) / 2;
  switch (FShape) {
    case qrsRectangle: W.Page->AddRectangle(Box, PenIndex, BrushIndex); break;
    case qrsCircle: W.Page->AddEllipse(Box, PenIndex, BrushIndex); break;
    case qrsVertLine: if (PenIndex >= 0) W.Page->AddLine(MidX, Box.Top, MidX, Box.Bottom, PenIndex); break;
    case qrsHorLine: if (PenIndex >= 0) W.Page->AddLine(Box.Left, MidY, Box.Right, MidY, PenIndex); break;
    case qrsTopAndBottom:
      if (PenIndex < 0) break;
      W.Page->AddLine(Box.Left, Box.Top, Box.Right, Box.Top, PenIndex);
      W.Page->AddLine(Box.Left, Box.Bottom, Box.Right, Box.Bottom, PenIndex);
      break;
    case qrsRightAndLeft:
      if (PenIndex < 0) break;
      W.Page->AddLine(Box.Left, Box.Top, Box.Left, Box.Bottom, PenIndex);
      W.Page->AddLine(Box.Right, Box.Top, Box.Right, Box.Bottom, PenIndex);
      break;
  }
}

void TQRImage::PublishMembers(TPublisher<TQRImage>& P) {
  P.Property("Picture", &TQRImage::Picture, &TQRImage::SetPicture);
  P.Property("Stretch", &TQRImage::Stretch, &TQRImage::SetStretch).Default(false);
  P.Property("Center", &TQRImage::Center, &TQRImage::SetCenter).Default(false);
}

TQRImage::TQRImage(TComponent* AOwner) : TQRPrintable(AOwner), FPicture(std::make_shared<TBitmap>()) {
  SetBounds(0, 0, 105, 105);
}
TQRImage::~TQRImage() = default;

void TQRImage::SetPicture(TBitmap* Value) {
  // A new object, so pages already generated keep the picture they showed.
  auto Copy = std::make_shared<TBitmap>();
  if (Value) Copy->Assign(Value);
  FPicture = std::move(Copy);
}

void TQRImage::Draw(TQRPageWriter& W) {
  if (!FPicture || FPicture->Empty()) return;
  TPageRect Box = W.Box(Left(), Top(), Width(), Height());
  if (!FStretch) {
    TPageUnit PW = W.Length(FPicture->Width()), PH = W.Length(FPicture->Height());
    TPageUnit X = Box.Left, Y = Box.Top;
    if (FCenter) {
      X += (Box.Width() - PW) / 2;
      Y += (Box.Height() - PH) / 2;
    }
    Box = {X, Y, X + PW, Y + PH};
  }
  W.Page->AddPicture(Box, W.Picture(FPicture));
}
