#pragma once
// Fonts, brushes and pens as controls and canvases carry them, and the
// geometry types drawing code passes around. Text metrics live in
// FontEngine.h, bitmaps and canvases in Bitmap.h.

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Object.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/IdentMaps.h"
#include "platform/vcl/Sets.h"
#include "platform/vcl/TypeInfo.h"

// ---- Geometry ----------------------------------------------------------------
struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

// Right and Bottom are exclusive, as in the run-time.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(int X, int Y) const { return X >= Left && X < Right && Y >= Top && Y < Bottom; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Rect(int Left, int Top, int Right, int Bottom) { return {Left, Top, Right, Bottom}; }
inline TRect Bounds(int Left, int Top, int Width, int Height) {
  return {Left, Top, Left + Width, Top + Height};
}
inline TPoint Point(int X, int Y) { return {X, Y}; }
// The common part of two rectangles; an empty rectangle (all zero) when they
// do not overlap.
TRect IntersectRect(const TRect& A, const TRect& B);
// A copy moved by (DX, DY).
TRect OffsetRect(const TRect& R, int DX, int DY);
// A copy shrunk by DX on the left and right and DY on the top and bottom.
TRect InflateRect(const TRect& R, int DX, int DY);

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };

KW_DECLARE_TYPEINFO(TFontStyle)
KW_DECLARE_TYPEINFO(TFontStyles)
KW_DECLARE_TYPEINFO(TFontPitch)

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross,
                   bsDiagCross };
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
                pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor,
                pmNotXor };
KW_DECLARE_TYPEINFO(TBrushStyle)
KW_DECLARE_TYPEINFO(TPenStyle)
KW_DECLARE_TYPEINFO(TPenMode)

template <class C>
class TPublisher;

class TFont : public TPersistent {
  KW_DECLARE_CLASS(TFont, TPersistent)
 public:
  static void PublishMembers(TPublisher<TFont>& P);

 public:
  TFont();
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& Value);
  // Negative: the character height in pixels; positive: the cell height.
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  // Points; derived from Height through PixelsPerInch.
  int Size() const;
  void SetSize(int Value);
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch Value);
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value > 0 ? Value : 96; }

  // Copies another font (one change notification).
  void Assign(const TPersistent* Source) override;
  bool SameAs(const TFont& Other) const;

  // Told after every change.
  TNotifyEvent OnChange;

 protected:
  virtual void Changed();

 private:
  AnsiString FName = "MS Sans Serif";
  int FHeight = -11;
  TFontCharset FCharset = DEFAULT_CHARSET;
  TColor FColor = clWindowText;
  TFontStyles FStyle;
  TFontPitch FPitch = fpDefault;
  int FPixelsPerInch = 96;
};

// What fills areas: a colour and a hatch style (bsClear fills nothing).
class TBrush : public TPersistent {
  KW_DECLARE_CLASS(TBrush, TPersistent)
 public:
  static void PublishMembers(TPublisher<TBrush>& P);

  TBrush() = default;
  TBrush(const TBrush&) = delete;
  TBrush& operator=(const TBrush&) = delete;

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle Value);
  void Assign(const TPersistent* Source) override;

  TNotifyEvent OnChange;

 private:
  void Changed() { OnChange(this); }
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};

// What draws lines and frames: a colour, a width in pixels and a style.
class TPen : public TPersistent {
  KW_DECLARE_CLASS(TPen, TPersistent)
 public:
  static void PublishMembers(TPublisher<TPen>& P);

  TPen() = default;
  TPen(const TPen&) = delete;
  TPen& operator=(const TPen&) = delete;

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  int Width() const { return FWidth; }
  // Widths below 1 draw as 1, as the drawing layer does.
  void SetWidth(int Value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode Value);
  void Assign(const TPersistent* Source) override;

  TNotifyEvent OnChange;

 private:
  void Changed() { OnChange(this); }
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
};
