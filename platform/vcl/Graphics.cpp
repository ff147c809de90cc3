#include "platform/vcl/Graphics.h"

#include <algorithm>
#include <cmath>

#include "platform/vcl/Publisher.h"

KW_DEFINE_ENUM_TYPEINFO(TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut")
KW_DEFINE_SET_TYPEINFO(TFontStyles, TFontStyle)
KW_DEFINE_ENUM_TYPEINFO(TFontPitch, "fpDefault", "fpVariable", "fpFixed")

KW_DEFINE_ENUM_TYPEINFO(TBrushStyle, "bsSolid", "bsClear", "bsHorizontal", "bsVertical",
                        "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross")
KW_DEFINE_ENUM_TYPEINFO(TPenStyle, "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot",
                        "psClear", "psInsideFrame")
KW_DEFINE_ENUM_TYPEINFO(TPenMode, "pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy",
                        "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen",
                        "pmMerge", "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor")

KW_REGISTER_CLASS(TFont)
KW_REGISTER_CLASS(TBrush)
KW_REGISTER_CLASS(TPen)

TRect IntersectRect(const TRect& A, const TRect& B) {
  TRect R{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
          std::min(A.Bottom, B.Bottom)};
  if (R.IsEmpty()) return TRect{};
  return R;
}

TRect OffsetRect(const TRect& R, int DX, int DY) {
  return {R.Left + DX, R.Top + DY, R.Right + DX, R.Bottom + DY};
}

TRect InflateRect(const TRect& R, int DX, int DY) {
  return {R.Left - DX, R.Top - DY, R.Right + DX, R.Bottom + DY};
}

void TFont::PublishMembers(TPublisher<TFont>& P) {
  P.Property("Charset", &TFont::Charset, &TFont::SetCharset)
      .Type(TypeInfo_TFontCharset())
      .Default(DEFAULT_CHARSET);
  P.Property("Color", &TFont::Color, &TFont::SetColor).Type(TypeInfo_TColor()).NoDefault();
  P.Property("Height", &TFont::Height, &TFont::SetHeight).NoDefault();
  P.Property("Name", &TFont::Name, &TFont::SetName);
  P.Property("Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
  // Height carries the size in descriptions.
  P.Property("Size", &TFont::Size, &TFont::SetSize).Stored(false);
  P.Property("Style", &TFont::Style, &TFont::SetStyle).Default(TFontStyles{});
}

TFont::TFont() = default;

namespace {
// Rounds half away from zero, as the run-time's MulDiv does.
int MulDiv(int Number, int Numerator, int Denominator) {
  return static_cast<int>(std::lround(static_cast<double>(Number) * Numerator / Denominator));
}
}  // namespace

void TFont::SetName(const AnsiString& Value) {
  if (Value.empty() || Value == FName) return;
  FName = Value;
  Changed();
}

void TFont::SetHeight(int Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  Changed();
}

int TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int Value) { SetHeight(-MulDiv(Value, FPixelsPerInch, 72)); }

void TFont::SetCharset(TFontCharset Value) {
  if (Value == FCharset) return;
  FCharset = Value;
  Changed();
}

void TFont::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

void TFont::SetStyle(TFontStyles Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TFont::SetPitch(TFontPitch Value) {
  if (Value == FPitch) return;
  FPitch = Value;
  Changed();
}

bool TFont::SameAs(const TFont& Other) const {
  return FName == Other.FName && FHeight == Other.FHeight && FCharset == Other.FCharset &&
         FColor == Other.FColor && FStyle == Other.FStyle && FPitch == Other.FPitch;
}

void TFont::Assign(const TPersistent* Source) {
  if (const TFont* f = ObjectAs<TFont>(Source)) {
    if (f == this) return;
    bool changed = !SameAs(*f);
    FName = f->FName;
    // The size in points is what a font keeps across screens of another
    // resolution.
    FHeight = f->FPixelsPerInch == FPixelsPerInch ? f->FHeight
                                                  : -MulDiv(f->Size(), FPixelsPerInch, 72);
    FCharset = f->FCharset;
    FColor = f->FColor;
    FStyle = f->FStyle;
    FPitch = f->FPitch;
    if (changed) Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TFont::Changed() { OnChange(this); }

// ---- TBrush ------------------------------------------------------------------

void TBrush::PublishMembers(TPublisher<TBrush>& P) {
  P.Property("Color", &TBrush::Color, &TBrush::SetColor).Type(TypeInfo_TColor()).Default(clWhite);
  P.Property("Style", &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
}

void TBrush::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  // A colour on a clear brush makes it solid again, as the run-time does.
  if (FStyle == bsClear) FStyle = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TBrush::Assign(const TPersistent* Source) {
  if (const TBrush* b = ObjectAs<TBrush>(Source)) {
    if (b == this) return;
    bool changed = b->FColor != FColor || b->FStyle != FStyle;
    FColor = b->FColor;
    FStyle = b->FStyle;
    if (changed) Changed();
    return;
  }
  TPersistent::Assign(Source);
}

// ---- TPen --------------------------------------------------------------------

void TPen::PublishMembers(TPublisher<TPen>& P) {
  P.Property("Color", &TPen::Color, &TPen::SetColor).Type(TypeInfo_TColor()).Default(clBlack);
  P.Property("Mode", &TPen::Mode, &TPen::SetMode).Default(pmCopy);
  P.Property("Style", &TPen::Style, &TPen::SetStyle).Default(psSolid);
  P.Property("Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

void TPen::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

void TPen::SetWidth(int Value) {
  if (Value < 1) Value = 1;
  if (Value == FWidth) return;
  FWidth = Value;
  Changed();
}

void TPen::SetStyle(TPenStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TPen::SetMode(TPenMode Value) {
  if (Value == FMode) return;
  FMode = Value;
  Changed();
}

void TPen::Assign(const TPersistent* Source) {
  if (const TPen* p = ObjectAs<TPen>(Source)) {
    if (p == this) return;
    bool changed =
        p->FColor != FColor || p->FWidth != FWidth || p->FStyle != FStyle || p->FMode != FMode;
    FColor = p->FColor;
    FWidth = p->FWidth;
    FStyle = p->FStyle;
    FMode = p->FMode;
    if (changed) Changed();
    return;
  }
  TPersistent::Assign(Source);
}
