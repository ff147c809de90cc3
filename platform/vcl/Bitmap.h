#pragma once
// Bitmaps in memory and the canvas that draws on them: pixel formats of 1,
// 15, 16, 24 and 32 bits, pixel and scan-line access, the transparent colour,
// BMP files (read and written) and PNG files (written), and a canvas with
// brush, pen and font that fills, frames, draws lines and text, and combines
// bitmaps with ternary raster operations as the desktop's BitBlt does.
//
// Colours are TColor values (0x00BBGGRR, system colours resolved through
// ColorToRGB). Scan lines run from the top (ScanLine(0) is the top row) and
// are padded to 4 bytes; 24-bit pixels are B, G, R; 16-bit pixels are 5-6-5
// and 15-bit ones 5-5-5, little-endian; 1-bit pixels are packed from the most
// significant bit, 0 = the first palette entry (black), 1 = the second
// (white).

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/vcl/Graphics.h"

// A picture file that cannot be read ("Bitmap image is not valid") or a
// request a bitmap cannot do.
KW_DECLARE_EXCEPTION(EInvalidGraphic, Exception)

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };

// Raster operations (the ternary code in bits 16..23 decides; the low word is
// the desktop's encoding hint and is ignored).
constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr uint32_t SRCPAINT = 0x00EE0086;
constexpr uint32_t SRCAND = 0x008800C6;
constexpr uint32_t SRCINVERT = 0x00660046;
constexpr uint32_t SRCERASE = 0x00440328;
constexpr uint32_t NOTSRCCOPY = 0x00330008;
constexpr uint32_t NOTSRCERASE = 0x001100A6;
constexpr uint32_t MERGECOPY = 0x00C000CA;
constexpr uint32_t MERGEPAINT = 0x00BB0226;
constexpr uint32_t PATCOPY = 0x00F00021;
constexpr uint32_t PATPAINT = 0x00FB0A09;
constexpr uint32_t PATINVERT = 0x005A0049;
constexpr uint32_t DSTINVERT = 0x00550009;
constexpr uint32_t BLACKNESS = 0x00000042;
constexpr uint32_t WHITENESS = 0x00FF0062;
// Destination where the source is 0, brush where it is 1 (D ^ (S & (P ^ D))).
constexpr uint32_t ROP_DSPDxax = 0x00E20746;

// Text layout flags of DrawText.
constexpr unsigned DT_TOP = 0x0;
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_CALCRECT = 0x400;
constexpr unsigned DT_NOPREFIX = 0x800;

class TBitmap;

// Draws on one bitmap. Coordinates are logical: the origin (SetOrigin) is
// added to them, and nothing is drawn outside the clip rectangle (device
// coordinates, the whole bitmap by default).
class TCanvas : public TPersistent {
  KW_DECLARE_CLASS(TCanvas, TPersistent)
 public:
  explicit TCanvas(TBitmap* Bitmap);
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TBitmap* Bitmap() const { return FBitmap; }
  TFont* Font() const { return FFont.get(); }
  TBrush* Brush() const { return FBrush.get(); }
  TPen* Pen() const { return FPen.get(); }
  void SetFont(const TFont* Value);
  void SetBrush(const TBrush* Value);
  void SetPen(const TPen* Value);

  // The resolution text is measured and drawn at (fonts keep their size in
  // points across resolutions).
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value > 0 ? Value : 96; }

  // The operation Draw, StretchDraw and CopyRect combine pixels with.
  uint32_t CopyMode() const { return FCopyMode; }
  void SetCopyMode(uint32_t Value) { FCopyMode = Value; }
  // The colours a 1-bit source's 0 and 1 pixels become on a colour
  // destination (black and white by default), and, on a canvas used as a
  // source for a 1-bit destination, BkColor is the colour that becomes 1.
  TColor TextColor() const { return FTextColor; }
  void SetTextColor(TColor Value) { FTextColor = Value; }
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor Value) { FBkColor = Value; }

  // ---- Origin and clipping --------------------------------------------------
  TPoint Origin() const { return FOrigin; }
  void SetOrigin(TPoint Value) { FOrigin = Value; }
  // In device coordinates, limited to the bitmap.
  TRect ClipRect() const;
  void SetClipRect(const TRect& DeviceRect);
  void ResetClip();

  // ---- Pixels and shapes ----------------------------------------------------
  TColor Pixel(int X, int Y) const;  // -1 outside the bitmap
  void SetPixel(int X, int Y, TColor Color);
  TPoint PenPos() const { return FPenPos; }
  void SetPenPos(TPoint Value) { FPenPos = Value; }
  void MoveTo(int X, int Y) { FPenPos = {X, Y}; }
  // A line from the pen position up to, not including, (X, Y).
  void LineTo(int X, int Y);
  void Polyline(const std::vector<TPoint>& Points);
  // The brush over the rectangle (right and bottom excluded).
  void FillRect(const TRect& R);
  // A one-pixel frame in the brush colour.
  void FrameRect(const TRect& R);
  // A frame drawn with the pen, filled with the brush.
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }

  // ---- Text -----------------------------------------------------------------
  // Texts are bytes in the code page of Font's charset.
  TSize TextExtent(const AnsiString& Text) const;
  int TextWidth(const AnsiString& Text) const { return TextExtent(Text).cx; }
  int TextHeight(const AnsiString& Text) const { return TextExtent(Text).cy; }
  // The text with its cell's top-left corner at (X, Y), on the brush colour
  // unless the brush is clear; the pen position moves to its end.
  void TextOut(int X, int Y, const AnsiString& Text);
  // The same, clipped to R (which the brush fills first unless clear).
  void TextRect(const TRect& R, int X, int Y, const AnsiString& Text);
  // Lays Text out in R by Flags (DT_*): lines at line breaks (and, with
  // DT_WORDBREAK, where R is full: between words and between Chinese
  // characters), "&" marking an underlined character unless DT_NOPREFIX,
  // vertical alignment with DT_SINGLELINE only. With DT_CALCRECT nothing is
  // drawn and R is set to the text's extent. Returns the text's height. Draws
  // no background.
  int DrawText(const AnsiString& Text, TRect& R, unsigned Flags);

  // ---- Pictures -------------------------------------------------------------
  // Source at (X, Y) (without the pixels of its transparent colour when it is
  // Transparent), combined by CopyMode.
  void Draw(int X, int Y, const TBitmap& Source);
  // Source scaled into R (nearest pixel).
  void StretchDraw(const TRect& R, const TBitmap& Source);
  // SourceRect of Source into Dest (scaled when the sizes differ), by CopyMode.
  void CopyRect(const TRect& Dest, const TCanvas& Source, const TRect& SourceRect);
  // The same, but pixels of Color become the brush colour.
  void BrushCopy(const TRect& Dest, const TBitmap& Source, const TRect& SourceRect, TColor Color);

  void Assign(const TPersistent* Source) override;

 private:
  friend void BitBlt(TCanvas&, int, int, int, int, const TCanvas*, int, int, uint32_t);
  friend void StretchBlt(TCanvas&, int, int, int, int, const TCanvas*, int, int, int, int,
                         uint32_t);
  // Returns the text's extent.
  TSize DrawTextLine(int X, int Y, const AnsiString& Text, const TRect& Clip, int PrefixIndex,
                     bool Opaque = false);
  void PlotPen(int X, int Y, uint32_t Rgb);
  void HLine(int X1, int X2, int Y, uint32_t Rgb);
  void Blit(const TRect& Dest, const TCanvas* Source, const TRect& SourceRect, uint32_t Rop,
            bool SkipTransparent, bool ReplaceColor, TColor Replaced);

  TBitmap* FBitmap;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TPen> FPen;
  int FPixelsPerInch = 96;
  uint32_t FCopyMode = SRCCOPY;
  TColor FTextColor = clBlack;
  TColor FBkColor = clWhite;
  TPoint FOrigin;
  TPoint FPenPos;
  bool FClipSet = false;
  TRect FClip;
};

// Combines the W x H block of Source at (SX, SY) (Source may be nullptr for
// operations without a source) with Dest's pixels at (X, Y) and Dest's brush,
// by the ternary raster operation Rop.
void BitBlt(TCanvas& Dest, int X, int Y, int W, int H, const TCanvas* Source, int SX, int SY,
            uint32_t Rop);
// The same with scaling (nearest pixel) from SW x SH to W x H.
void StretchBlt(TCanvas& Dest, int X, int Y, int W, int H, const TCanvas* Source, int SX, int SY,
                int SW, int SH, uint32_t Rop);

class TBitmap : public TPersistent {
  KW_DECLARE_CLASS(TBitmap, TPersistent)
 public:
  TBitmap();
  TBitmap(int Width, int Height, TPixelFormat Format = pf24bit);
  ~TBitmap() override;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Resizing keeps the pixels both sizes share; new pixels are white.
  void SetWidth(int Value) { SetSize(Value, FHeight); }
  void SetHeight(int Value) { SetSize(FWidth, Value); }
  void SetSize(int AWidth, int AHeight);
  bool Empty() const { return FWidth == 0 || FHeight == 0; }

  // pf24bit for a new bitmap. Changing the format converts the pixels (to
  // 1 bit: the nearer of black and white). Only pf1bit, pf15bit, pf16bit,
  // pf24bit and pf32bit are kept; pfDevice means pf24bit; others raise
  // EInvalidGraphic.
  TPixelFormat PixelFormat() const { return FFormat; }
  void SetPixelFormat(TPixelFormat Value);
  bool Monochrome() const { return FFormat == pf1bit; }
  void SetMonochrome(bool Value) { SetPixelFormat(Value ? pf1bit : pf24bit); }
  int BitsPerPixel() const;
  int BytesPerScanLine() const { return FStride; }

  // Row Y of the pixels (0 = top). Raises EInvalidGraphic "Scan line index
  // out of range" outside the bitmap.
  uint8_t* ScanLine(int Y);
  const uint8_t* ScanLine(int Y) const;

  // Pixels[X][Y]: the colour (-1 outside the bitmap); writes outside are
  // ignored. A colour is stored as near as the format allows.
  TColor Pixel(int X, int Y) const;
  void SetPixel(int X, int Y, TColor Color);

  TCanvas* Canvas();
  const TCanvas* Canvas() const;

  // With Transparent, Draw leaves out the pixels of TransparentColor: by
  // default (tmAuto) the colour of the bottom-left pixel, else the colour
  // set (which makes the mode tmFixed).
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value) { FTransparent = Value; }
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode Value) { FTransparentMode = Value; }
  TColor TransparentColor() const;
  void SetTransparentColor(TColor Value);

  // The two colours of a 1-bit bitmap (black and white unless a file said
  // otherwise).
  const std::array<TColor, 2>& MonoPalette() const { return FMonoPalette; }

  // Copies pixels, format, transparency (another TBitmap), or nothing.
  void Assign(const TPersistent* Source) override;

  // ---- Files ----------------------------------------------------------------
  // BMP files of 1, 4, 8, 16, 24 or 32 bits (uncompressed or bit fields);
  // 4- and 8-bit files become pf24bit. Raises EInvalidGraphic for a damaged
  // or unsupported file, EFOpenError when the file cannot be read.
  void LoadFromBytes(const AnsiString& Bytes);
  void LoadFromFile(const AnsiString& FileName);
  // BMP in the bitmap's own format (1, 16, 24 or 32 bits).
  AnsiString SaveToBytes() const;
  // A ".png" file name writes PNG; everything else BMP. Raises EFCreateError
  // when the file cannot be written.
  void SaveToFile(const AnsiString& FileName) const;
  // PNG (8-bit RGB, with the resolution of the canvas).
  AnsiString SaveToPngBytes() const;
  void SaveToPngFile(const AnsiString& FileName) const;

 private:
  uint32_t GetRgb(int X, int Y) const;
  void PutRgb(int X, int Y, uint32_t Rgb);
  void Reallocate(int AWidth, int AHeight, TPixelFormat Format, std::vector<uint8_t>& Bits,
                  int& Stride) const;
  friend class TCanvas;

  int FWidth = 0;
  int FHeight = 0;
  TPixelFormat FFormat = pf24bit;
  int FStride = 0;
  std::vector<uint8_t> FBits;
  std::array<TColor, 2> FMonoPalette{clBlack, clWhite};
  bool FTransparent = false;
  TTransparentMode FTransparentMode = tmAuto;
  TColor FTransparentColor = clDefault;
  std::unique_ptr<TCanvas> FCanvas;
};
