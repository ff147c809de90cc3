#include "platform/vcl/IdentMaps.h"

#include <iterator>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Numbers.h"
#include "platform/vcl/TypeInfo.h"

namespace {

const TIdentMapEntry ColorMap[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
};

const TIdentMapEntry CursorMap[] = {
    {crDefault, "crDefault"},     {crNone, "crNone"},           {crArrow, "crArrow"},
    {crCross, "crCross"},         {crIBeam, "crIBeam"},         {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"},   {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"},     {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},       {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},     {crNo, "crNo"},
    {crAppStart, "crAppStart"},   {crHelp, "crHelp"},           {crHandPoint, "crHandPoint"},
    {crSizeAll, "crSizeAll"},
};

const TIdentMapEntry CharsetMap[] = {
    {ANSI_CHARSET, "ANSI_CHARSET"},
    {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, "SYMBOL_CHARSET"},
    {MAC_CHARSET, "MAC_CHARSET"},
    {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"},
    {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
    {JOHAB_CHARSET, "JOHAB_CHARSET"},
    {GB2312_CHARSET, "GB2312_CHARSET"},
    {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"},
    {GREEK_CHARSET, "GREEK_CHARSET"},
    {TURKISH_CHARSET, "TURKISH_CHARSET"},
    {VIETNAMESE_CHARSET, "VIETNAMESE_CHARSET"},
    {HEBREW_CHARSET, "HEBREW_CHARSET"},
    {ARABIC_CHARSET, "ARABIC_CHARSET"},
    {BALTIC_CHARSET, "BALTIC_CHARSET"},
    {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"},
    {THAI_CHARSET, "THAI_CHARSET"},
    {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"},
    {OEM_CHARSET, "OEM_CHARSET"},
};

// The classic desktop scheme, indexed by system colour number.
const int32_t SystemColors[] = {
    0xC8D0D4, 0x000000, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
    0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
    0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0x6A240A, 0xC8D0D4,
};

template <size_t N>
bool ToIdent(const TIdentMapEntry (&Map)[N], int32_t Value, AnsiString& Ident) {
  for (const auto& E : Map)
    if (E.Value == Value) {
      Ident = E.Name;
      return true;
    }
  return false;
}

template <size_t N>
bool FromIdent(const TIdentMapEntry (&Map)[N], const AnsiString& Ident, int32_t& Value) {
  AnsiString Name = Trim(Ident);
  for (const auto& E : Map)
    if (SameText(E.Name, Name)) {
      Value = E.Value;
      return true;
    }
  return false;
}

}  // namespace

bool ColorToIdent(TColor Color, AnsiString& Ident) { return ToIdent(ColorMap, Color, Ident); }
bool IdentToColor(const AnsiString& Ident, TColor& Color) { return FromIdent(ColorMap, Ident, Color); }

AnsiString ColorToString(TColor Color) {
  AnsiString Ident;
  if (ColorToIdent(Color, Ident)) return Ident;
  return "$" + IntToHex(static_cast<unsigned>(Color), 8);
}

TColor StringToColor(const AnsiString& S) {
  TColor Color;
  if (IdentToColor(S, Color)) return Color;
  int64_t Value;
  if (!TryStrToInt64(Trim(S), Value) || Value < INT32_MIN || Value > UINT32_MAX)
    throw EConvertError(Format("'%s' is not a valid integer value", {S}));
  return static_cast<TColor>(static_cast<uint32_t>(Value));
}

int32_t ColorToRGB(TColor Color) {
  if (Color < 0) {
    size_t Index = static_cast<uint32_t>(Color) & 0xFF;
    return Index < std::size(SystemColors) ? SystemColors[Index] : 0;
  }
  return Color & 0xFFFFFF;
}

bool CursorToIdent(int32_t Cursor, AnsiString& Ident) { return ToIdent(CursorMap, Cursor, Ident); }
bool IdentToCursor(const AnsiString& Ident, int32_t& Cursor) {
  return FromIdent(CursorMap, Ident, Cursor);
}

AnsiString CursorToString(TCursor Cursor) {
  AnsiString Ident;
  if (CursorToIdent(Cursor, Ident)) return Ident;
  return IntToStr(static_cast<int>(Cursor));
}

TCursor StringToCursor(const AnsiString& S) {
  int32_t Cursor;
  if (IdentToCursor(S, Cursor)) return static_cast<TCursor>(Cursor);
  int V = StrToInt(Trim(S));
  if (V < -32768 || V > 32767) throw EConvertError(Format("'%s' is not a valid integer value", {S}));
  return static_cast<TCursor>(V);
}

bool CharsetToIdent(int32_t Charset, AnsiString& Ident) { return ToIdent(CharsetMap, Charset, Ident); }
bool IdentToCharset(const AnsiString& Ident, int32_t& Charset) {
  return FromIdent(CharsetMap, Ident, Charset);
}

const TTypeInfo& TypeInfo_TColor() {
  static const TTypeInfo& T = MakeIntegerTypeInfo("TColor", otSLong, INT32_MIN, INT32_MAX,
                                                  ColorMap, std::size(ColorMap));
  return T;
}

const TTypeInfo& TypeInfo_TCursor() {
  static const TTypeInfo& T =
      MakeIntegerTypeInfo("TCursor", otSWord, -32768, 32767, CursorMap, std::size(CursorMap));
  return T;
}

const TTypeInfo& TypeInfo_TFontCharset() {
  static const TTypeInfo& T =
      MakeIntegerTypeInfo("TFontCharset", otUByte, 0, 255, CharsetMap, std::size(CharsetMap));
  return T;
}
