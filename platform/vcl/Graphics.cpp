#include "platform/vcl/Graphics.h"

#include <cmath>

#include "platform/vcl/Publisher.h"

KW_DEFINE_ENUM_TYPEINFO(TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut")
KW_DEFINE_SET_TYPEINFO(TFontStyles, TFontStyle)
KW_DEFINE_ENUM_TYPEINFO(TFontPitch, "fpDefault", "fpVariable", "fpFixed")

KW_REGISTER_CLASS(TFont)

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
