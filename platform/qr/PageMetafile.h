#pragma once
// A generated report page: a compact list of drawing records in
// device-independent units, and the resources (fonts, pens, brushes,
// pictures) the records refer to by number.
//
// Units are hundredths of a millimetre from the page's top-left corner, so a
// page can be drawn at any resolution: the preview at screen resolution, the
// picture export stretched into a bitmap of any size, the printer at its own
// resolution. Font sizes are points.
//
// Resources live in a table shared by all pages of one report run (see
// TPageStore): a voucher report draws thousands of pages with a dozen fonts,
// so a page record names its font by a 16-bit number instead of carrying it.
// Texts are bytes in the code page of their font's charset, exactly as the
// report item held them; decoding happens when the page is drawn.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/vcl/Graphics.h"

class TBitmap;

// 1/100 mm: A4 is 21000 x 29700.
using TPageUnit = int32_t;

struct TPageRect {
  TPageUnit Left = 0;
  TPageUnit Top = 0;
  TPageUnit Right = 0;
  TPageUnit Bottom = 0;
  TPageUnit Width() const { return Right - Left; }
  TPageUnit Height() const { return Bottom - Top; }
  friend bool operator==(const TPageRect&, const TPageRect&) = default;
};

// A font as a page record needs it: what TFont holds, with the size in
// points so it does not depend on a resolution.
struct TPageFont {
  AnsiString Name;
  double Size = 9;  // points
  TFontStyles Style;
  TFontCharset Charset = DEFAULT_CHARSET;
  TColor Color = clBlack;
  friend bool operator==(const TPageFont&, const TPageFont&) = default;
};

struct TPagePen {
  TColor Color = clBlack;
  TPageUnit Width = 26;  // hundredths of a millimetre; 26 is one pixel at 96 dpi
  TPenStyle Style = psSolid;
  friend bool operator==(const TPagePen&, const TPagePen&) = default;
};

struct TPageBrush {
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
  friend bool operator==(const TPageBrush&, const TPageBrush&) = default;
};

// Text placement flags of a text record.
enum : uint16_t {
  ptaLeft = 0x0000,
  ptaRight = 0x0001,
  ptaCenter = 0x0002,
  ptaHorzMask = 0x0003,
  ptaTop = 0x0000,
  ptaBottom = 0x0004,
  ptaVCenter = 0x0008,
  ptaVertMask = 0x000C,
  ptaWordWrap = 0x0010,   // break lines where the box is full (between words and Chinese characters)
  ptaNoClip = 0x0020,     // may draw outside its box
  ptaOpaque = 0x0040,     // fill the box with the record's brush first
};

enum class TPageRecordKind : uint8_t {
  Text,       // Text in Box, placed by Flags, in Font (and Brush when ptaOpaque)
  Line,       // from (Box.Left, Box.Top) to (Box.Right, Box.Bottom) with Pen
  Rectangle,  // Box framed with Pen (none when Pen is -1) and filled with Brush (none when -1)
  Ellipse,    // the ellipse inside Box, Pen and Brush as for Rectangle
  Picture,    // picture number Picture stretched into Box
};

// One drawing record. Resource numbers index the page store's tables; -1
// means "none".
struct TPageRecord {
  TPageRecordKind Kind = TPageRecordKind::Text;
  uint16_t Flags = 0;
  int16_t Font = -1;
  int16_t Pen = -1;
  int16_t Brush = -1;
  int32_t Picture = -1;
  TPageRect Box;
  // Text: TextLength bytes at TextOffset in the page's text buffer.
  uint32_t TextOffset = 0;
  uint32_t TextLength = 0;
};

// The shared resource tables of one report run. Adding an equal resource
// twice answers the first number, so resources are interned. Thread-safe:
// generation adds while the preview reads.
class TPageResources {
 public:
  TPageResources();
  ~TPageResources();
  TPageResources(const TPageResources&) = delete;
  TPageResources& operator=(const TPageResources&) = delete;

  int16_t AddFont(const TPageFont& Font);
  int16_t AddPen(const TPagePen& Pen);
  int16_t AddBrush(const TPageBrush& Brush);
  // Pictures are kept by reference: a background picture drawn under every
  // page is stored once. Equal pointers answer the same number.
  int32_t AddPicture(std::shared_ptr<const TBitmap> Picture);

  TPageFont Font(int16_t Index) const;
  TPagePen Pen(int16_t Index) const;
  TPageBrush Brush(int16_t Index) const;
  std::shared_ptr<const TBitmap> Picture(int32_t Index) const;
  int FontCount() const;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

// One page. Generation appends records in drawing order; later records draw
// over earlier ones.
class TPageMetafile {
 public:
  TPageMetafile() = default;
  TPageMetafile(TPageUnit Width, TPageUnit Height) : FWidth(Width), FHeight(Height) {}

  TPageUnit Width() const { return FWidth; }
  TPageUnit Height() const { return FHeight; }
  void SetSize(TPageUnit Width, TPageUnit Height) { FWidth = Width; FHeight = Height; }

  void AddText(const TPageRect& Box, uint16_t Flags, int16_t Font, const AnsiString& Text,
               int16_t Brush = -1);
  void AddLine(TPageUnit X1, TPageUnit Y1, TPageUnit X2, TPageUnit Y2, int16_t Pen);
  void AddRectangle(const TPageRect& Box, int16_t Pen, int16_t Brush);
  void AddEllipse(const TPageRect& Box, int16_t Pen, int16_t Brush);
  void AddPicture(const TPageRect& Box, int32_t Picture);

  const std::vector<TPageRecord>& Records() const { return FRecords; }
  // The bytes of a text record.
  AnsiString TextOf(const TPageRecord& Record) const;
  const char* TextData(const TPageRecord& Record) const { return FText.data() + Record.TextOffset; }

  // Every text of the page in drawing order, one a line: what tests and the
  // find function of the preview look at.
  AnsiString PlainText() const;

  // Bytes this page occupies (records, texts and the object itself).
  size_t MemoryUsed() const;
  // Gives back spare capacity once the page is complete.
  void Shrink();

 private:
  TPageUnit FWidth = 0;
  TPageUnit FHeight = 0;
  std::vector<TPageRecord> FRecords;
  std::string FText;
};

// Conversions used everywhere pages meet devices.
inline TPageUnit MMToPage(double Millimetres) { return static_cast<TPageUnit>(Millimetres * 100 + (Millimetres >= 0 ? 0.5 : -0.5)); }
// Pixels at Dpi (rounded) of a page length, and back.
int PageToPixels(TPageUnit Value, int Dpi);
TPageUnit PixelsToPage(int Pixels, int Dpi);
