// Bitmaps and canvases: pixel formats, raster operations, shapes, text
// layout, the transparent colour and the picture files.

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <map>
#include <vector>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Files.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/FontEngine.h"

namespace {

TColor Rgb(TColor C) { return ColorToRGB(C); }

// Pixels of a bitmap as rows of colours, for whole-picture comparisons.
std::vector<std::vector<TColor>> PixelsOf(const TBitmap& B) {
  std::vector<std::vector<TColor>> rows(B.Height(), std::vector<TColor>(B.Width()));
  for (int y = 0; y < B.Height(); ++y)
    for (int x = 0; x < B.Width(); ++x) rows[y][x] = B.Pixel(x, y);
  return rows;
}

void Fill(TBitmap& B, TColor C) {
  B.Canvas()->Brush()->SetColor(C);
  B.Canvas()->FillRect({0, 0, B.Width(), B.Height()});
}

// The smallest rectangle holding every pixel that is not Background.
TRect InkBounds(const TBitmap& B, TColor Background) {
  TRect r{B.Width(), B.Height(), 0, 0};
  for (int y = 0; y < B.Height(); ++y)
    for (int x = 0; x < B.Width(); ++x)
      if (B.Pixel(x, y) != Background) {
        r.Left = std::min(r.Left, x);
        r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1);
        r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r;
}

// ---- Raster operations ----------------------------------------------------

TEST(RasterOperations, TernaryCodesCombineBrushSourceAndDestination) {
  const TColor D = 0x0F0F0F, S = 0x3C3C3C, P = 0x555555;
  struct {
    uint32_t Rop;
    TColor Expected;
  } cases[] = {
      {SRCCOPY, 0x3C3C3C},   {SRCAND, 0x0C0C0C},     {SRCPAINT, 0x3F3F3F},
      {SRCINVERT, 0x333333}, {NOTSRCCOPY, 0xC3C3C3}, {PATCOPY, 0x555555},
      {PATINVERT, 0x5A5A5A}, {DSTINVERT, 0xF0F0F0},  {BLACKNESS, 0x000000},
      {WHITENESS, 0xFFFFFF}, {MERGECOPY, 0x141414},  {ROP_DSPDxax, 0x171717},
  };
  TBitmap src(1, 1);
  src.SetPixel(0, 0, S);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Rop);
    TBitmap dst(2, 1);
    dst.SetPixel(0, 0, D);
    dst.SetPixel(1, 0, D);
    dst.Canvas()->Brush()->SetColor(P);
    BitBlt(*dst.Canvas(), 0, 0, 1, 1, src.Canvas(), 0, 0, c.Rop);
    EXPECT_EQ(dst.Pixel(0, 0), c.Expected);
    EXPECT_EQ(dst.Pixel(1, 0), D);  // outside the block
  }
}

TEST(RasterOperations, MaskedBrushThroughAMonochromeMask) {
  const char* rows[2] = {"BWB", "WBW"};
  TBitmap mask(3, 2, pf1bit);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) mask.SetPixel(x, y, rows[y][x] == 'B' ? clBlack : clWhite);
  TColor face = Rgb(clBtnFace);
  struct {
    TColor Text, Bk;
    bool PaintWhereBlack;
  } cases[] = {{clWhite, clBlack, true}, {clBlack, clWhite, false}};
  for (const auto& c : cases) {
    TBitmap dst(3, 2);
    Fill(dst, clBtnFace);
    dst.Canvas()->Brush()->SetColor(clRed);
    dst.Canvas()->SetTextColor(c.Text);
    dst.Canvas()->SetBkColor(c.Bk);
    BitBlt(*dst.Canvas(), 0, 0, 3, 2, mask.Canvas(), 0, 0, ROP_DSPDxax);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) {
        bool black = rows[y][x] == 'B';
        EXPECT_EQ(dst.Pixel(x, y), black == c.PaintWhereBlack ? clRed : face) << x << "," << y;
      }
  }
}

TEST(RasterOperations, EmbossedImageFromAMask) {
  // Highlight through the mask at (1, 1), then shadow at (0, 0), on the
  // button face: the disabled look of a glyph.
  const char* rows[2] = {"BWB", "WBW"};
  TBitmap mask(3, 2, pf1bit);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) mask.SetPixel(x, y, rows[y][x] == 'B' ? clBlack : clWhite);
  TBitmap m(3, 2);
  Fill(m, clBtnFace);
  TCanvas& c = *m.Canvas();
  c.SetTextColor(clWhite);
  c.SetBkColor(clBlack);
  c.Brush()->SetColor(clBtnHighlight);
  BitBlt(c, 1, 1, 3, 2, mask.Canvas(), 0, 0, ROP_DSPDxax);
  c.Brush()->SetColor(clBtnShadow);
  BitBlt(c, 0, 0, 3, 2, mask.Canvas(), 0, 0, ROP_DSPDxax);
  TColor F = Rgb(clBtnFace), H = Rgb(clBtnHighlight), S = Rgb(clBtnShadow);
  std::vector<std::vector<TColor>> expected{{S, F, S}, {F, S, F}};
  EXPECT_EQ(PixelsOf(m), expected);
  // Where only the highlight pass reached, it stays.
  TBitmap m2(3, 2);
  Fill(m2, clBtnFace);
  m2.Canvas()->SetTextColor(clWhite);
  m2.Canvas()->SetBkColor(clBlack);
  m2.Canvas()->Brush()->SetColor(clBtnHighlight);
  BitBlt(*m2.Canvas(), 1, 0, 3, 2, mask.Canvas(), 0, 0, ROP_DSPDxax);
  std::vector<std::vector<TColor>> highlightOnly{{F, H, F}, {F, F, H}};
  EXPECT_EQ(PixelsOf(m2), highlightOnly);
}

TEST(RasterOperations, ColourSourceOntoMonochromeUsesTheSourceBackground) {
  TBitmap src(3, 1);
  src.SetPixel(0, 0, clOlive);
  src.SetPixel(1, 0, clWhite);
  src.SetPixel(2, 0, clOlive);
  src.Canvas()->SetBkColor(clOlive);  // the background colour becomes white
  TBitmap mono(3, 1, pf1bit);
  BitBlt(*mono.Canvas(), 0, 0, 3, 1, src.Canvas(), 0, 0, SRCCOPY);
  EXPECT_EQ(mono.Pixel(0, 0), clWhite);
  EXPECT_EQ(mono.Pixel(1, 0), clBlack);
  EXPECT_EQ(mono.Pixel(2, 0), clWhite);
}

// ---- Pixel formats ----------------------------------------------------------

TEST(Bitmaps, FormatsStoreColoursAsNearAsTheyCan) {
  // 16-bit pixels read back with their low bits clear, as the desktop's
  // GetPixel answers.
  struct {
    TPixelFormat Format;
    TColor In, Out, White;
  } cases[] = {
      {pf24bit, 0x123456, 0x123456, clWhite}, {pf32bit, 0x123456, 0x123456, clWhite},
      {pf16bit, 0x123456, 0x103450, 0xF8FCF8}, {pf15bit, 0x123456, 0x103050, 0xF8F8F8},
      {pf16bit, clNavy, clNavy, 0xF8FCF8},     {pf1bit, 0x606060, clBlack, clWhite},
      {pf1bit, 0xA0A0A0, clWhite, clWhite},    {pf24bit, clBtnFace, Rgb(clBtnFace), clWhite},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Format);
    TBitmap b(2, 2, c.Format);
    b.SetPixel(1, 1, c.In);
    EXPECT_EQ(b.Pixel(1, 1), c.Out);
    EXPECT_EQ(b.Pixel(0, 0), c.White);  // new bitmaps are white
  }
}

TEST(Bitmaps, ScanLinesHoldThePixels) {
  TBitmap mono(10, 2, pf1bit);
  Fill(mono, clBlack);
  mono.SetPixel(0, 1, clWhite);
  mono.SetPixel(9, 1, clWhite);
  EXPECT_EQ(mono.BytesPerScanLine(), 4);
  EXPECT_EQ(mono.ScanLine(1)[0], 0x80);
  EXPECT_EQ(mono.ScanLine(1)[1], 0x40);
  EXPECT_EQ(mono.ScanLine(0)[0], 0x00);

  TBitmap rgb(3, 2, pf24bit);
  rgb.SetPixel(2, 1, 0x112233);  // B, G, R in memory
  EXPECT_EQ(rgb.BytesPerScanLine(), 12);
  EXPECT_EQ(rgb.ScanLine(1)[6], 0x11);
  EXPECT_EQ(rgb.ScanLine(1)[8], 0x33);
  rgb.ScanLine(0)[0] = 0xFF;
  rgb.ScanLine(0)[1] = 0;
  rgb.ScanLine(0)[2] = 0;
  EXPECT_EQ(rgb.Pixel(0, 0), clBlue);

  EXPECT_THROW(rgb.ScanLine(2), EInvalidGraphic);
  EXPECT_THROW(rgb.ScanLine(-1), EInvalidGraphic);
  EXPECT_EQ(rgb.Pixel(3, 0), -1);
}

TEST(Bitmaps, ResizingKeepsTheSharedPixelsAndConvertingKeepsColours) {
  TBitmap b(2, 2);
  b.SetPixel(0, 0, clMaroon);
  b.SetPixel(1, 1, clNavy);
  b.SetSize(3, 1);
  EXPECT_EQ(b.Pixel(0, 0), clMaroon);
  EXPECT_EQ(b.Pixel(2, 0), clWhite);
  b.SetPixelFormat(pf16bit);
  EXPECT_EQ(b.Pixel(0, 0), clMaroon);
  b.SetMonochrome(true);
  EXPECT_EQ(b.PixelFormat(), pf1bit);
  EXPECT_EQ(b.Pixel(0, 0), clBlack);
  EXPECT_EQ(b.Pixel(2, 0), clWhite);
  EXPECT_THROW(b.SetPixelFormat(pf8bit), EInvalidGraphic);
}

TEST(Bitmaps, AssignCopiesIndependently) {
  TBitmap a(2, 1, pf16bit);
  a.SetPixel(0, 0, clMaroon);
  a.SetTransparent(true);
  TBitmap b;
  b.Assign(&a);
  a.SetPixel(0, 0, clNavy);
  EXPECT_EQ(b.PixelFormat(), pf16bit);
  EXPECT_EQ(b.Pixel(0, 0), clMaroon);
  EXPECT_TRUE(b.Transparent());
}

// ---- Transparency -----------------------------------------------------------

TEST(Transparency, BottomLeftPixelUnlessFixed) {
  TBitmap glyph(3, 3, pf16bit);
  Fill(glyph, clOlive);
  glyph.SetPixel(1, 1, clRed);
  glyph.SetPixel(0, 0, clBlue);
  EXPECT_EQ(glyph.TransparentMode(), tmAuto);
  EXPECT_EQ(glyph.TransparentColor(), clOlive);
  glyph.SetPixel(0, 2, clMaroon);  // bottom-left decides, not top-left
  EXPECT_EQ(glyph.TransparentColor(), clMaroon);
  glyph.SetTransparentColor(clRed);
  EXPECT_EQ(glyph.TransparentMode(), tmFixed);
  EXPECT_EQ(glyph.TransparentColor(), clRed);
  glyph.SetTransparentMode(tmAuto);
  EXPECT_EQ(glyph.TransparentColor(), clMaroon);
}

TEST(Transparency, DrawLeavesOutTheTransparentColourOnlyWhenTransparent) {
  TBitmap glyph(2, 2);
  Fill(glyph, 0x00C0C0);  // bottom-left: the transparent colour
  glyph.SetPixel(1, 0, clRed);
  for (bool transparent : {true, false}) {
    glyph.SetTransparent(transparent);
    TBitmap dst(3, 3);
    Fill(dst, clNavy);
    dst.Canvas()->Draw(1, 1, glyph);
    EXPECT_EQ(dst.Pixel(2, 1), clRed);
    EXPECT_EQ(dst.Pixel(1, 1), transparent ? clNavy : 0x00C0C0);
    EXPECT_EQ(dst.Pixel(0, 0), clNavy);
  }
}

// ---- Shapes -----------------------------------------------------------------

TEST(Shapes, FillFrameRectangleAndLines) {
  TBitmap b(8, 6);
  TCanvas& c = *b.Canvas();
  c.Pen()->SetColor(clBlack);
  c.Brush()->SetColor(clYellow);
  c.Rectangle(1, 1, 6, 5);
  c.Brush()->SetColor(clRed);
  c.FrameRect({0, 0, 8, 6});
  c.Pen()->SetColor(clBlue);
  c.MoveTo(2, 2);
  c.LineTo(5, 2);  // the end point is not drawn
  const char* expected[] = {
      "RRRRRRRR",
      "RKKKKKWR",
      "RKBBBKWR",
      "RKYYYKWR",
      "RKKKKKWR",
      "RRRRRRRR",
  };
  std::map<char, TColor> colours{{'R', clRed}, {'K', clBlack}, {'B', clBlue}, {'Y', clYellow},
                                 {'W', clWhite}};
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(b.Pixel(x, y), colours[expected[y][x]]) << x << "," << y;
  EXPECT_EQ(c.PenPos(), Point(5, 2));
}

TEST(Shapes, WidePenAndClearBrush) {
  TBitmap b(7, 7);
  TCanvas& c = *b.Canvas();
  c.Pen()->SetWidth(2);
  c.Brush()->SetStyle(bsClear);
  c.Rectangle(0, 0, 7, 7);
  EXPECT_EQ(b.Pixel(1, 1), clBlack);
  EXPECT_EQ(b.Pixel(5, 3), clBlack);
  EXPECT_EQ(b.Pixel(2, 2), clWhite);
  EXPECT_EQ(b.Pixel(4, 4), clWhite);
}

TEST(Shapes, OriginAndClipLimitDrawing) {
  TBitmap b(6, 6);
  TCanvas& c = *b.Canvas();
  c.SetOrigin({2, 1});
  c.SetClipRect({0, 0, 4, 4});
  c.Brush()->SetColor(clBlack);
  c.FillRect({0, 0, 10, 10});
  EXPECT_EQ(InkBounds(b, clWhite), Rect(2, 1, 4, 4));
  c.ResetClip();
  c.SetPixel(0, 0, clRed);
  EXPECT_EQ(b.Pixel(2, 1), clRed);
  EXPECT_EQ(c.Pixel(0, 0), clRed);
}

TEST(Shapes, StretchCopyAndBrushCopy) {
  TBitmap src(2, 2);
  src.SetPixel(0, 0, clRed);
  src.SetPixel(1, 0, clLime);
  src.SetPixel(0, 1, clBlue);
  src.SetPixel(1, 1, clWhite);
  TBitmap big(4, 4);
  big.Canvas()->StretchDraw({0, 0, 4, 4}, src);
  std::vector<std::vector<TColor>> expected{{clRed, clRed, clLime, clLime},
                                            {clRed, clRed, clLime, clLime},
                                            {clBlue, clBlue, clWhite, clWhite},
                                            {clBlue, clBlue, clWhite, clWhite}};
  EXPECT_EQ(PixelsOf(big), expected);

  TBitmap inv(2, 1);
  Fill(inv, clWhite);
  inv.Canvas()->SetCopyMode(SRCINVERT);
  inv.Canvas()->CopyRect({0, 0, 2, 1}, *src.Canvas(), {0, 0, 2, 1});
  EXPECT_EQ(inv.Pixel(0, 0), 0xFFFF00);  // white xor red
  EXPECT_EQ(inv.Pixel(1, 0), 0xFF00FF);

  // A block moved within its own bitmap does not smear.
  TBitmap row(4, 1);
  const TColor rgbw[] = {clRed, clLime, clBlue, clWhite};
  for (int x = 0; x < 4; ++x) row.SetPixel(x, 0, rgbw[x]);
  row.Canvas()->CopyRect({1, 0, 4, 1}, *row.Canvas(), {0, 0, 3, 1});
  EXPECT_EQ(PixelsOf(row), (std::vector<std::vector<TColor>>{{clRed, clRed, clLime, clBlue}}));

  TBitmap bc(2, 2);
  bc.Canvas()->Brush()->SetColor(clGray);
  bc.Canvas()->BrushCopy({0, 0, 2, 2}, src, {0, 0, 2, 2}, clWhite);
  EXPECT_EQ(bc.Pixel(1, 1), clGray);
  EXPECT_EQ(bc.Pixel(0, 0), clRed);
}

// ---- Text -------------------------------------------------------------------

class TextDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    Font.SetName(GB("宋体"));
    Font.SetCharset(GB2312_CHARSET);
    Font.SetHeight(-12);
    Font.SetColor(clBlack);
  }
  // Ink of Text drawn by DrawText into R of a 120 x 60 white bitmap.
  TRect Ink(const AnsiString& Text, TRect R, unsigned Flags, TPixelFormat F = pf24bit) {
    TBitmap b(120, 60, F);
    b.Canvas()->SetFont(&Font);
    b.Canvas()->DrawText(Text, R, Flags);
    return InkBounds(b, clWhite);
  }
  TFont Font;
};

TEST_F(TextDrawing, TextOutDrawsInsideItsCellAndMovesThePen) {
  TBitmap b(40, 30);
  b.Canvas()->SetFont(&Font);
  b.Canvas()->Brush()->SetStyle(bsClear);
  b.Canvas()->TextOut(3, 4, GB("资产"));
  TRect ink = InkBounds(b, clWhite);
  EXPECT_FALSE(ink.IsEmpty());
  EXPECT_GE(ink.Left, 3);
  EXPECT_LE(ink.Right, 3 + 24);
  EXPECT_GE(ink.Top, 4);
  EXPECT_LE(ink.Bottom, 4 + 12 + 1);
  EXPECT_EQ(b.Canvas()->PenPos(), Point(27, 4));
  // An opaque brush paints the whole cell.
  TBitmap o(40, 30);
  o.Canvas()->SetFont(&Font);
  o.Canvas()->Brush()->SetColor(clYellow);
  o.Canvas()->TextOut(3, 4, GB("资产"));
  EXPECT_EQ(InkBounds(o, clWhite), Rect(3, 4, 27, 16));
  int yellow = 0;
  for (int y = 4; y < 16; ++y)
    for (int x = 3; x < 27; ++x) yellow += o.Pixel(x, y) == clYellow;
  EXPECT_GT(yellow, 24 * 12 / 3);
}

TEST_F(TextDrawing, AlignmentMovesTheTextByTheFreeSpace) {
  AnsiString text = GB("资产卡片");  // 48 pixels wide, 12 high
  TRect r{10, 5, 110, 45};
  TRect left = Ink(text, r, DT_SINGLELINE);
  TRect center = Ink(text, r, DT_SINGLELINE | DT_CENTER);
  TRect right = Ink(text, r, DT_SINGLELINE | DT_RIGHT);
  TRect middle = Ink(text, r, DT_SINGLELINE | DT_VCENTER);
  TRect bottom = Ink(text, r, DT_SINGLELINE | DT_BOTTOM);
  EXPECT_EQ(center.Left - left.Left, (100 - 48) / 2);
  EXPECT_EQ(right.Left - left.Left, 100 - 48);
  EXPECT_EQ(middle.Top - left.Top, (40 - 12) / 2);
  EXPECT_EQ(bottom.Top - left.Top, 40 - 12);
  // Without DT_SINGLELINE vertical alignment does nothing.
  EXPECT_EQ(Ink(text, r, DT_VCENTER).Top, left.Top);
}

TEST_F(TextDrawing, WordBreakAndCalcRect) {
  TBitmap b(10, 10);
  TCanvas& c = *b.Canvas();
  c.SetFont(&Font);
  int line = c.TextHeight("x");
  // Chinese text breaks between any two characters.
  TRect r{0, 0, 50, 0};
  EXPECT_EQ(c.DrawText(GB("资产卡片资产卡片"), r, DT_WORDBREAK | DT_CALCRECT), 2 * line);
  EXPECT_EQ(r, Rect(0, 0, 48, 2 * line));
  // Latin text breaks between words.
  int twoWords = c.TextWidth("alpha beta");
  r = {0, 0, twoWords + 1, 0};
  EXPECT_EQ(c.DrawText("alpha beta gamma", r, DT_WORDBREAK | DT_CALCRECT), 2 * line);
  EXPECT_EQ(r.Right, twoWords);
  // Line breaks always end a line unless single-line.
  r = {0, 0, 500, 0};
  EXPECT_EQ(c.DrawText("a\r\nb\nc", r, DT_CALCRECT), 3 * line);
  r = {0, 0, 500, 0};
  EXPECT_EQ(c.DrawText("one", r, DT_CALCRECT | DT_SINGLELINE), line);
  // "&" marks an accelerator: it takes no room, "&&" is one "&".
  r = {0, 0, 500, 0};
  c.DrawText("&File", r, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(r.Right, c.TextWidth("File"));
  r = {0, 0, 500, 0};
  c.DrawText("a&&b", r, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(r.Right, c.TextWidth("a&b"));
  r = {0, 0, 500, 0};
  c.DrawText("&File", r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(r.Right, c.TextWidth("&File"));
}

TEST_F(TextDrawing, TextIsClippedToItsRectangle) {
  TRect r{10, 10, 30, 30};  // narrower than the text
  TRect ink = Ink(GB("资产卡片"), r, DT_SINGLELINE);
  EXPECT_GE(ink.Left, 10);
  EXPECT_LE(ink.Right, 30);
  TRect unclipped = Ink(GB("资产卡片"), r, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_GT(unclipped.Right, 30);
}

TEST_F(TextDrawing, StylesChangeTheInkButNotTheAdvance) {
  // The Song face has no bold or italic design: both are made from the
  // regular outlines.
  auto draw = [&](TFontStyles Style, std::vector<std::vector<TColor>>& Pixels) {
    TBitmap b(40, 20);
    Font.SetStyle(Style);
    b.Canvas()->SetFont(&Font);
    b.Canvas()->Brush()->SetStyle(bsClear);
    b.Canvas()->TextOut(2, 2, GB("资产"));
    Pixels = PixelsOf(b);
    return b.Canvas()->PenPos().X - 2;
  };
  std::vector<std::vector<TColor>> regular, italic, bold, underline;
  EXPECT_EQ(draw({}, regular), 24);
  EXPECT_EQ(draw({fsItalic}, italic), 24);
  EXPECT_GE(draw({fsBold}, bold), 24);
  draw({fsUnderline}, underline);
  EXPECT_NE(italic, regular);
  EXPECT_NE(bold, regular);
  // The underline is one unbroken row under the text.
  bool found = false;
  for (int y = 2; y < 20 && !found; ++y) {
    bool full = true;
    for (int x = 2; x < 26; ++x) full = full && underline[y][x] == clBlack;
    found = full;
  }
  EXPECT_TRUE(found);
}

TEST_F(TextDrawing, MonochromeTextIsBlackOrWhite) {
  TBitmap b(40, 20, pf1bit);
  b.Canvas()->SetFont(&Font);
  b.Canvas()->Brush()->SetStyle(bsClear);
  b.Canvas()->TextOut(0, 0, GB("资产"));
  int black = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) {
      TColor p = b.Pixel(x, y);
      ASSERT_TRUE(p == clBlack || p == clWhite);
      black += p == clBlack;
    }
  EXPECT_GT(black, 10);
}

// ---- Files ------------------------------------------------------------------

TBitmap* Pattern(TPixelFormat F, TBitmap& B) {
  B.SetPixelFormat(F);
  B.SetSize(7, 5);  // an odd width exercises the row padding
  const TColor colours[] = {clRed, clLime, clBlue, clWhite, clBlack, clNavy, clYellow, clGray};
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) B.SetPixel(x, y, colours[(x + 3 * y) % 8]);
  return &B;
}

TEST(BmpFiles, RoundTripInEveryWrittenFormat) {
  struct {
    TPixelFormat Format;
    int Bits;
  } cases[] = {{pf1bit, 1}, {pf15bit, 16}, {pf16bit, 16}, {pf24bit, 24}, {pf32bit, 32}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Bits);
    TBitmap original;
    Pattern(c.Format, original);
    AnsiString bytes = original.SaveToBytes();
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), c.Bits);
    TBitmap loaded;
    loaded.LoadFromBytes(bytes);
    EXPECT_EQ(loaded.PixelFormat(), c.Format);
    EXPECT_EQ(PixelsOf(loaded), PixelsOf(original));
  }
}

// A BMP written by hand: bottom-up unless TopDown, with a palette.
AnsiString HandBmp(int Bits, int W, int H, const std::vector<uint32_t>& Palette,
                   const std::vector<std::vector<uint8_t>>& RowsTopFirst, bool TopDown) {
  auto put32 = [](AnsiString& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  int stride = ((W * Bits + 31) / 32) * 4;
  uint32_t off = 14 + 40 + 4 * static_cast<uint32_t>(Palette.size());
  AnsiString s = "BM";
  put32(s, off + stride * H);
  put32(s, 0);
  put32(s, off);
  put32(s, 40);
  put32(s, W);
  put32(s, TopDown ? static_cast<uint32_t>(-H) : H);
  s += static_cast<char>(1);
  s += '\0';
  s += static_cast<char>(Bits);
  s += '\0';
  for (int i = 0; i < 6; ++i) put32(s, i == 4 ? Palette.size() : 0);
  for (uint32_t p : Palette) put32(s, p);  // 0x00RRGGBB as B, G, R, 0
  for (int i = 0; i < H; ++i) {
    const auto& row = RowsTopFirst[TopDown ? i : H - 1 - i];
    AnsiString line(row.begin(), row.end());
    line.resize(stride, '\0');
    s += line;
  }
  return s;
}

TEST(BmpFiles, ReadsPalettedAndTopDownFiles) {
  std::vector<uint32_t> palette{0x000000, 0xFF0000, 0x00FF00, 0x0000FF};  // black, red, green, blue
  // 4 bits: two pixels a byte, high nibble first.
  TBitmap b4;
  b4.LoadFromBytes(HandBmp(4, 3, 2, palette, {{0x12, 0x30}, {0x01, 0x20}}, false));
  EXPECT_EQ(b4.PixelFormat(), pf24bit);
  std::vector<std::vector<TColor>> expected{{clRed, clLime, clBlue}, {clBlack, clRed, clLime}};
  EXPECT_EQ(PixelsOf(b4), expected);
  // 8 bits, top-down.
  TBitmap b8;
  b8.LoadFromBytes(HandBmp(8, 3, 2, palette, {{1, 2, 3}, {0, 1, 2}}, true));
  EXPECT_EQ(PixelsOf(b8), expected);
}

TEST(BmpFiles, DamagedFilesAreRefused) {
  TBitmap good;
  Pattern(pf24bit, good);
  AnsiString bytes = good.SaveToBytes();
  AnsiString wrongMagic = bytes;
  wrongMagic[0] = 'X';
  AnsiString rle = bytes;
  rle[30] = 1;
  AnsiString hugeWidth = bytes;
  hugeWidth[21] = 0x40;
  for (const AnsiString& bad :
       {bytes.substr(0, bytes.size() - 1), bytes.substr(0, 20), wrongMagic, rle, hugeWidth,
        AnsiString()}) {
    TBitmap b;
    EXPECT_THROW(b.LoadFromBytes(bad), EInvalidGraphic);
  }
  TBitmap b;
  EXPECT_THROW(b.LoadFromFile("/nonexistent/folder/x.bmp"), EFOpenError);
}

// Decodes a PNG with libpng into 0x00BBGGRR colours.
std::vector<std::vector<TColor>> DecodePng(const AnsiString& Bytes, int& W, int& H) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  EXPECT_TRUE(png_image_begin_read_from_memory(&image, Bytes.data(), Bytes.size()));
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> buffer(PNG_IMAGE_SIZE(image));
  EXPECT_TRUE(png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr));
  W = static_cast<int>(image.width);
  H = static_cast<int>(image.height);
  std::vector<std::vector<TColor>> rows(H, std::vector<TColor>(W));
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const uint8_t* p = buffer.data() + (static_cast<size_t>(y) * W + x) * 3;
      rows[y][x] = p[0] | (p[1] << 8) | (p[2] << 16);
    }
  return rows;
}

TEST(PngFiles, WrittenFilesDecodeToTheSamePixels) {
  for (TPixelFormat f : {pf1bit, pf16bit, pf24bit}) {
    SCOPED_TRACE(f);
    TBitmap b;
    Pattern(f, b);
    AnsiString folder = AnsiString(::testing::TempDir());
    AnsiString file = IncludeTrailingPathDelimiter(folder) + "kw_graphics_test.png";
    b.SaveToFile(file);
    AnsiString bytes;
    ASSERT_TRUE(ReadFileBytes(file, bytes));
    DeleteFile(file);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    int w = 0, h = 0;
    EXPECT_EQ(DecodePng(bytes, w, h), PixelsOf(b));
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 5);
  }
  TBitmap empty;
  EXPECT_THROW(empty.SaveToPngBytes(), EInvalidGraphic);
  TBitmap b(1, 1);
  EXPECT_THROW(b.SaveToFile("/nonexistent/folder/x.png"), EFCreateError);
}

}  // namespace
