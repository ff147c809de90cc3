#pragma once
// Fonts as the drawing layer sees them: a font name, style and charset
// resolved to an installed face through fontconfig (with our own
// configuration file, fonts/kw-fonts.conf, in a private configuration), text
// decoded by the font's charset, laid out with FreeType's hinted advances and
// rasterised into cached glyph coverage maps.
//
// Sizes are pixels at a resolution the caller passes, so the same font
// measures for a 96-dpi window and a 300-dpi report page. A font's Height is
// taken at the font's own PixelsPerInch and scaled to the caller's
// resolution.
//
// Characters the matched face lacks (Chinese text in a Western face) are
// drawn with the Song face of the text's language, as the desktop's font
// linking does.
//
// The engine is shared and thread-safe. Glyphs stay in the cache for the
// life of the process, so the pointers a layout hands out stay valid.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/vcl/Graphics.h"

// The code page the bytes of a text in a font of this charset are in:
// 134 (GB2312) → 936, 136 (Big5) → 950, DEFAULT_CHARSET → the process code
// page, everything else → 1252.
unsigned CodePageOfCharset(TFontCharset Charset);

// One face a request resolved to.
struct TFaceInfo {
  AnsiString Family;  // UTF-8, as fontconfig names it
  AnsiString File;
  int Index = 0;      // face number inside a collection (.ttc) file
  // The face is none of the families the name maps to: fontconfig fell back
  // to whatever it had.
  bool Fallback = false;
};

struct TFontMetrics {
  int Ascent = 0;
  int Descent = 0;
  int Height = 0;           // Ascent + Descent: what TextHeight answers
  int InternalLeading = 0;  // Height minus the em size
  int AveCharWidth = 0;     // advance of "x"
};

// One rendered glyph: an 8-bit coverage map whose top-left corner lies at
// (pen x + Left, baseline - Top).
struct TGlyphImage {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Rows = 0;
  int Advance = 0;  // pixels
  std::vector<uint8_t> Coverage;  // Rows lines of Width bytes
};

struct TPlacedGlyph {
  const TGlyphImage* Glyph;
  int X;  // pen position from the start of the text
};

struct TTextLayout {
  TFontMetrics Metrics;
  std::vector<TPlacedGlyph> Glyphs;
  int Width = 0;
};

class TFontEngine {
 public:
  // The process's engine (made on first use; reads the configuration file).
  static TFontEngine& Instance();

  // The face Name (bytes in the charset's code page) resolves to for a bold
  // or italic request and the language of CodePage.
  TFaceInfo MatchFace(const AnsiString& Name, TFontStyles Style, TFontCharset Charset);
  // True when no face of the families the name maps to is installed. Each
  // fallback is also reported once on the standard error stream.
  bool IsFallback(const AnsiString& Name, TFontStyles Style = {},
                  TFontCharset Charset = DEFAULT_CHARSET);

  // Metrics and extents at PixelsPerInch (the canvas's resolution).
  TFontMetrics Metrics(const TFont& Font, int PixelsPerInch = 96);
  TSize TextExtent(const TFont& Font, const AnsiString& Text, int PixelsPerInch = 96);
  int TextWidth(const TFont& Font, const AnsiString& Text, int PixelsPerInch = 96) {
    return TextExtent(Font, Text, PixelsPerInch).cx;
  }
  int TextHeight(const TFont& Font, const AnsiString& Text, int PixelsPerInch = 96) {
    return TextExtent(Font, Text, PixelsPerInch).cy;
  }
  // Glyphs and pen positions of Text, for drawing.
  void Layout(const TFont& Font, const AnsiString& Text, int PixelsPerInch, TTextLayout& Out);

  // The configuration file in use (KW_FONTS_CONF in the environment, else the
  // one of the source tree).
  static AnsiString ConfigFile();

  ~TFontEngine();
  TFontEngine(const TFontEngine&) = delete;
  TFontEngine& operator=(const TFontEngine&) = delete;

 private:
  TFontEngine();
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};
