// Drawing pages onto bitmaps: shapes land on the pixels their page units
// name, text is placed, wrapped and clipped by its flags, a page stretches
// into any rectangle, and the renderer's caches never show a stale font.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/qr/PageRender.h"
#include "platform/qr/PageStore.h"
#include "platform/rtl/CodePages.h"
#include "platform/vcl/Bitmap.h"

namespace {

// 2540 page units are one inch: 96 pixels at 96 dpi.
constexpr TPageUnit Inch = 2540;

struct TInk {
  int Left = 1 << 30, Top = 1 << 30, Right = -1, Bottom = -1;  // Right and Bottom inclusive
  bool Any() const { return Right >= 0; }
};

// The box around every pixel of R that differs from Background.
TInk InkIn(const TBitmap& B, TRect R, TColor Background = clWhite) {
  TInk ink;
  R = IntersectRect(R, Rect(0, 0, B.Width(), B.Height()));
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x)
      if (B.Pixel(x, y) != Background) {
        ink.Left = std::min(ink.Left, x);
        ink.Right = std::max(ink.Right, x);
        ink.Top = std::min(ink.Top, y);
        ink.Bottom = std::max(ink.Bottom, y);
      }
  return ink;
}

struct TPageFixture {
  TPageResources Resources;
  TPageMetafile Page{8 * Inch, 4 * Inch};
  int16_t Song = Resources.AddFont({GB("宋体"), 9, {}, 134, clBlack});
  int16_t BigSong = Resources.AddFont({GB("宋体"), 24, {}, 134, clBlack});
  int16_t Arial = Resources.AddFont({"Arial", 12, {}, DEFAULT_CHARSET, clBlack});

  std::unique_ptr<TBitmap> Render(int Dpi = 96) { return RenderPage(Page, Resources, Dpi); }
};

TEST(PageRender, ShapesLandOnTheirPixels) {
  TPageFixture F;
  int16_t thin = F.Resources.AddPen({clBlack, 26, psSolid});
  int16_t thick = F.Resources.AddPen({clBlue, 4 * 26, psSolid});
  int16_t red = F.Resources.AddBrush({clRed, bsSolid});
  int16_t clear = F.Resources.AddBrush({clRed, bsClear});
  // A framed red square from (96, 96) to (192, 192) pixels.
  F.Page.AddRectangle({Inch, Inch, 2 * Inch, 2 * Inch}, thin, red);
  // A frame without filling, four pixels wide, from (288, 96) to (384, 192).
  F.Page.AddRectangle({3 * Inch, Inch, 4 * Inch, 2 * Inch}, thick, clear);
  // A filled box without a frame.
  F.Page.AddRectangle({5 * Inch, Inch, 6 * Inch, 2 * Inch}, -1, red);
  // A horizontal line at y = 240 and a vertical one at x = 672, four pixels wide.
  F.Page.AddLine(Inch, 5 * Inch / 2, 2 * Inch, 5 * Inch / 2, thin);
  F.Page.AddLine(7 * Inch, Inch, 7 * Inch, 2 * Inch, thick);
  // A diagonal from (480, 240) to (528, 288).
  F.Page.AddLine(5 * Inch, 5 * Inch / 2, 5 * Inch + Inch / 2, 3 * Inch, thin);
  // A filled circle inside (96, 288)-(192, 384): only its inside is red.
  F.Page.AddEllipse({Inch, 3 * Inch, 2 * Inch, 4 * Inch}, thin, red);
  auto B = F.Render();
  ASSERT_EQ(B->Width(), 768);
  ASSERT_EQ(B->Height(), 384);

  struct TCase {
    int X, Y;
    TColor Expected;
    const char* What;
  } cases[] = {
      {96, 96, clBlack, "frame corner"},
      {191, 150, clBlack, "frame's right edge is the box's last column"},
      {192, 150, clWhite, "right of the box"},
      {95, 150, clWhite, "left of the box"},
      {97, 97, clRed, "inside"},
      {150, 191, clBlack, "bottom edge"},
      {288, 150, clBlue, "thick frame, outer column"},
      {291, 150, clBlue, "thick frame, fourth column"},
      {292, 150, clWhite, "inside the unfilled frame"},
      {336, 99, clBlue, "thick frame, top rows"},
      {336, 100, clWhite, "below the thick top edge"},
      {480, 96, clRed, "unframed box, corner"},
      {575, 191, clRed, "unframed box, far corner"},
      {576, 150, clWhite, "right of the unframed box"},
      {96, 240, clBlack, "line start"},
      {192, 240, clBlack, "line end is drawn"},
      {193, 240, clWhite, "after the line's end"},
      {150, 239, clWhite, "one-pixel line has one row"},
      {150, 241, clWhite, "one-pixel line has one row (below)"},
      {670, 150, clBlue, "wide vertical line, first column"},
      {673, 150, clBlue, "wide vertical line, last column"},
      {669, 150, clWhite, "left of the wide line"},
      {674, 150, clWhite, "right of the wide line"},
      {480, 240, clBlack, "diagonal start"},
      {504, 264, clBlack, "diagonal middle"},
      {528, 288, clBlack, "diagonal end"},
      {504, 250, clWhite, "off the diagonal"},
      {144, 336, clRed, "circle centre"},
      {98, 290, clWhite, "outside the circle, inside its box"},
      {96, 336, clBlack, "circle's left edge"},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(B->Pixel(c.X, c.Y), c.Expected) << c.What << " at " << c.X << "," << c.Y;
}

TEST(PageRender, PenWidthsFollowTheResolution) {
  // A pen of 0.52 mm is two pixels at 96 dpi and four at 200 dpi.
  for (auto [dpi, rows] : {std::pair{96, 2}, {200, 4}, {300, 6}}) {
    TPageFixture F;
    F.Page.AddLine(0, 2 * Inch, 8 * Inch, 2 * Inch, F.Resources.AddPen({clBlack, 52, psSolid}));
    auto B = F.Render(dpi);
    TInk ink = InkIn(*B, Rect(10, 0, 11, B->Height()));
    EXPECT_EQ(ink.Bottom - ink.Top + 1, rows) << dpi << " dpi";
    EXPECT_NEAR(ink.Top, 2 * dpi - rows / 2, 1) << dpi << " dpi";
  }
}

TEST(PageRender, DashedOnePixelLinesHaveGaps) {
  TPageFixture F;
  F.Page.AddLine(0, Inch, 8 * Inch, Inch, F.Resources.AddPen({clBlack, 26, psDash}));
  auto B = F.Render();
  int inked = 0;
  for (int x = 0; x < 240; ++x) inked += B->Pixel(x, 96) == clBlack;
  // Dashes of 18 on and 6 off: three quarters of the pixels.
  EXPECT_EQ(inked, 180);
}

TEST(PageRender, TextAlignsInItsBox) {
  // The same Latin word in a wide box, placed left, centred and right.
  struct TCase {
    uint16_t Flags;
    const char* What;
  } cases[] = {{ptaLeft, "left"}, {ptaCenter, "centre"}, {ptaRight, "right"},
               {ptaLeft | ptaBottom, "bottom"}, {ptaLeft | ptaVCenter, "vertical centre"}};
  TRect box = Rect(96, 96, 96 * 5, 96 * 2);  // 384 x 96 pixels
  for (const TCase& c : cases) {
    TPageFixture F;
    F.Page.AddText({Inch, Inch, 5 * Inch, 2 * Inch}, c.Flags, F.Arial, "Voucher");
    auto B = F.Render();
    TInk ink = InkIn(*B, box);
    ASSERT_TRUE(ink.Any()) << c.What;
    int before = ink.Left - box.Left, after = box.Right - 1 - ink.Right;
    int above = ink.Top - box.Top, below = box.Bottom - 1 - ink.Bottom;
    switch (c.Flags & ptaHorzMask) {
      case ptaLeft: EXPECT_LE(before, 3) << c.What; EXPECT_GT(after, 200) << c.What; break;
      case ptaRight: EXPECT_LE(after, 3) << c.What; EXPECT_GT(before, 200) << c.What; break;
      case ptaCenter: EXPECT_NEAR(before, after, 4) << c.What; break;
    }
    switch (c.Flags & ptaVertMask) {
      case ptaTop: EXPECT_LE(above, 6) << c.What; break;
      case ptaBottom: EXPECT_LE(below, 8) << c.What; EXPECT_GT(above, 60) << c.What; break;
      case ptaVCenter: EXPECT_NEAR(above, below, 6) << c.What; break;
    }
    // Nothing outside the box.
    EXPECT_FALSE(InkIn(*B, Rect(0, 0, B->Width(), box.Top)).Any()) << c.What;
    EXPECT_FALSE(InkIn(*B, Rect(box.Right, 0, B->Width(), B->Height())).Any()) << c.What;
  }
}

TEST(PageRender, TextIsDrawnInItsFontsColour) {
  TPageFixture F;
  int16_t blue = F.Resources.AddFont({GB("宋体"), 24, {}, 134, clBlue});
  F.Page.AddText({Inch, Inch, 5 * Inch, 2 * Inch}, ptaLeft, blue, GB("固定资产"));
  auto B = F.Render();
  int blueFull = 0, other = 0;
  for (int y = 96; y < 192; ++y)
    for (int x = 96; x < 480; ++x) {
      TColor c = B->Pixel(x, y);
      if (c == clBlue) ++blueFull;
      // Edges mix blue into white: red and green stay equal, blue stays full.
      else if (c != clWhite && !((c & 0xFF) == ((c >> 8) & 0xFF) && ((c >> 16) & 0xFF) == 0xFF)) ++other;
    }
  EXPECT_GT(blueFull, 50);
  EXPECT_EQ(other, 0);
}

TEST(PageRender, WordWrapBreaksBetweenWordsAndChineseCharacters) {
  // A narrow box, a text several times wider than it: with word wrap the
  // ink spreads over several line heights, without it one line is clipped
  // at the box's right edge; with no clipping it runs on beyond the box.
  struct TCase {
    AnsiString Text;
    uint16_t Flags;
    int MinLines, MaxLines;
    bool BeyondBox;
    bool FillsWidth;
  } cases[] = {
      {"alpha beta gamma delta epsilon", ptaWordWrap, 3, 6, false, true},
      {GB("固定资产转移单据日期部门名称"), ptaWordWrap, 2, 3, false, true},
      {GB("固定资产 asset 转移 transfer"), ptaWordWrap, 2, 4, false, true},
      {"alpha beta gamma delta epsilon", 0, 1, 1, false, true},
      {"alpha beta gamma delta epsilon", ptaNoClip, 1, 1, true, true},
      {"first\r\nsecond\nthird", 0, 3, 3, false, false},
      {"first\r\nsecond\nthird\r\n", ptaWordWrap, 3, 3, false, false},
  };
  for (const TCase& c : cases) {
    TPageFixture F;
    // 1.25 inch wide, 2 inches high: room for many 12-point lines.
    F.Page.AddText({Inch, Inch / 2, Inch + Inch * 5 / 4, Inch * 5 / 2}, c.Flags, F.Arial, c.Text);
    auto B = F.Render();
    TRect box = Rect(96, 48, 96 + 120, 240);
    TInk ink = InkIn(*B, box);
    ASSERT_TRUE(ink.Any()) << c.Text;
    // Lines of a 12-point face are about 18 pixels apart at 96 dpi.
    int lines = (ink.Bottom - ink.Top + 18) / 18;
    EXPECT_GE(lines, c.MinLines) << c.Text;
    EXPECT_LE(lines, c.MaxLines) << c.Text;
    EXPECT_EQ(InkIn(*B, Rect(box.Right, 0, B->Width(), B->Height())).Any(), c.BeyondBox) << c.Text;
    if (c.FillsWidth) {
      EXPECT_GT(ink.Right, box.Right - 40) << c.Text << ": lines use the box's width";
    }
  }
}

TEST(PageRender, TextIsClippedToAShortBox) {
  // Big text in a box half its height: rows outside the box stay white.
  TPageFixture F;
  F.Page.AddText({Inch, Inch, 5 * Inch, Inch + Inch / 6}, ptaLeft, F.BigSong, GB("资产Asset"));
  auto B = F.Render();
  TInk inside = InkIn(*B, Rect(96, 96, 480, 112));
  EXPECT_TRUE(inside.Any());
  EXPECT_FALSE(InkIn(*B, Rect(0, 112, B->Width(), B->Height())).Any());
}

TEST(PageRender, OpaqueTextFillsItsBoxFirst) {
  TPageFixture F;
  int16_t yellow = F.Resources.AddBrush({clYellow, bsSolid});
  F.Page.AddText({Inch, Inch, 2 * Inch, 2 * Inch}, ptaOpaque | ptaCenter | ptaVCenter, F.Song, "42", yellow);
  F.Page.AddText({3 * Inch, Inch, 4 * Inch, 2 * Inch}, ptaCenter, F.Song, "42", yellow);
  auto B = F.Render();
  EXPECT_EQ(B->Pixel(97, 97), clYellow);
  EXPECT_EQ(B->Pixel(191, 191), clYellow);
  EXPECT_EQ(B->Pixel(192, 191), clWhite);
  EXPECT_TRUE(InkIn(*B, Rect(120, 120, 170, 170), clYellow).Any()) << "text over the fill";
  EXPECT_EQ(B->Pixel(289, 97), clWhite) << "not opaque: no fill";
}

TEST(PageRender, UnderlineRunsUnderTheText) {
  TPageFixture F;
  int16_t underlined = F.Resources.AddFont({"Arial", 12, {fsUnderline}, DEFAULT_CHARSET, clBlack});
  F.Page.AddText({Inch, Inch, 5 * Inch, 2 * Inch}, ptaLeft, underlined, "a b");
  auto B = F.Render();
  TInk ink = InkIn(*B, Rect(96, 96, 480, 192));
  ASSERT_TRUE(ink.Any());
  // The underline is an unbroken row across the gap between the letters.
  int full = 0;
  for (int y = ink.Top; y <= ink.Bottom; ++y) {
    bool unbroken = true;
    for (int x = ink.Left; x <= ink.Right; ++x) unbroken = unbroken && B->Pixel(x, y) == clBlack;
    full += unbroken;
  }
  EXPECT_GE(full, 1);
}

TEST(PageRender, PicturesStretchIntoTheirBox) {
  TPageFixture F;
  auto picture = std::make_shared<TBitmap>(2, 2);
  picture->SetPixel(0, 0, clRed);
  picture->SetPixel(1, 0, clLime);
  picture->SetPixel(0, 1, clBlue);
  picture->SetPixel(1, 1, clBlack);
  F.Page.AddPicture({Inch, Inch, 3 * Inch, 2 * Inch}, F.Resources.AddPicture(picture));
  auto B = F.Render();
  // 192 x 96 pixels: each source pixel becomes 96 x 48.
  EXPECT_EQ(B->Pixel(96, 96), clRed);
  EXPECT_EQ(B->Pixel(191, 143), clRed);
  EXPECT_EQ(B->Pixel(192, 96), clLime);
  EXPECT_EQ(B->Pixel(287, 96), clLime);
  EXPECT_EQ(B->Pixel(96, 144), clBlue);
  EXPECT_EQ(B->Pixel(287, 191), clBlack);
  EXPECT_EQ(B->Pixel(288, 96), clWhite);
  EXPECT_EQ(B->Pixel(96, 192), clWhite);
}

TEST(PageRender, TransparentPicturesLeaveTheirKeyColourOut) {
  TPageFixture F;
  F.Page.AddRectangle({Inch, Inch, 2 * Inch, 2 * Inch}, -1, F.Resources.AddBrush({clRed, bsSolid}));
  auto picture = std::make_shared<TBitmap>(2, 1);
  picture->SetPixel(0, 0, clLime);
  picture->SetPixel(1, 0, clFuchsia);
  picture->SetTransparentColor(clFuchsia);
  picture->SetTransparent(true);
  F.Page.AddPicture({Inch, Inch, 2 * Inch, 2 * Inch}, F.Resources.AddPicture(picture));
  auto B = F.Render();
  EXPECT_EQ(B->Pixel(100, 150), clLime);
  EXPECT_EQ(B->Pixel(180, 150), clRed);
}

TEST(PageRender, PageStretchesIntoARectangleOfAnotherAspect) {
  // A square page whose right half is red and which has a black dot at its
  // centre, drawn into 400 x 100 pixels at (10, 20) of a green bitmap.
  TPageResources R;
  TPageMetafile Page(10000, 10000);
  Page.AddRectangle({5000, 0, 10000, 10000}, -1, R.AddBrush({clRed, bsSolid}));
  Page.AddRectangle({4900, 4900, 5100, 5100}, -1, R.AddBrush({clBlack, bsSolid}));
  struct TCase {
    TRect Dest;
    const char* What;
  } cases[] = {{Rect(10, 20, 410, 120), "inside the bitmap"},
               {Rect(-190, 20, 210, 120), "cut on the left"},
               {Rect(300, -40, 700, 60), "cut on the top and right"}};
  for (const TCase& c : cases) {
    TBitmap B(500, 200);
    B.Canvas()->Brush()->SetColor(clGreen);
    B.Canvas()->FillRect(Rect(0, 0, 500, 200));
    TPageRenderer renderer;
    renderer.Draw(Page, R, B, c.Dest);
    int midX = c.Dest.Left + 200, midY = c.Dest.Top + 50;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 500; ++x) {
        TColor expected;
        if (!c.Dest.Contains(x, y))
          expected = clGreen;  // nothing outside the rectangle
        else if (x >= midX - 4 && x < midX + 4 && y >= midY - 1 && y < midY + 1)
          expected = clBlack;  // the square dot is four times wider than high
        else
          expected = x >= midX ? clRed : clWhite;
        if (expected == clWhite) expected = clGreen;  // the page adds no background
        ASSERT_EQ(B.Pixel(x, y), expected) << c.What << " at " << x << "," << y;
      }
  }
}

TEST(PageRender, OtherPixelFormatsKeepTheirFormat) {
  TPageFixture F;
  F.Page.AddRectangle({Inch, Inch, 2 * Inch, 2 * Inch}, -1, F.Resources.AddBrush({clBlack, bsSolid}));
  F.Page.AddText({3 * Inch, Inch, 6 * Inch, 2 * Inch}, ptaLeft, F.BigSong, GB("资产"));
  TBitmap B(768, 384, pf16bit);
  DrawPage(F.Page, F.Resources, B, Rect(0, 0, 768, 384));
  EXPECT_EQ(B.PixelFormat(), pf16bit);
  EXPECT_EQ(B.Pixel(150, 150), clBlack);
  TBitmap white(1, 1, pf16bit);
  white.SetPixel(0, 0, clWhite);
  EXPECT_EQ(B.Pixel(250, 150), white.Pixel(0, 0));
  EXPECT_TRUE(InkIn(B, Rect(288, 96, 576, 192)).Any());
}

TEST(PageRender, RenderAtDpiSizesThePage) {
  TPageResources R;
  TPageMetafile A4(21000, 29700);
  TPageRenderer renderer;
  TBitmap B;
  for (auto [dpi, w, h] : {std::tuple{96, 794, 1123}, {200, 1654, 2339}, {0, 794, 1123}}) {
    renderer.Render(A4, R, dpi, B);
    EXPECT_EQ(B.Width(), w) << dpi;
    EXPECT_EQ(B.Height(), h) << dpi;
    EXPECT_EQ(B.Pixel(w - 1, h - 1), clWhite);
  }
}

TEST(PageRender, RendererNeverDrawsWithAStaleFont) {
  // One renderer over three runs whose font 0 differs (same size, other
  // face and weight): its output equals a fresh renderer's each time.
  TPageRenderer shared;
  std::vector<AnsiString> pictures;
  for (const TPageFont& font : {TPageFont{GB("宋体"), 20, {}, 134, clBlack},
                                TPageFont{GB("黑体"), 20, {fsBold}, 134, clBlack},
                                TPageFont{GB("宋体"), 20, {}, 134, clBlack}}) {
    TPageStore store;
    int16_t number = store.Resources().AddFont(font);
    ASSERT_EQ(number, 0);
    auto page = std::make_unique<TPageMetafile>(8 * Inch, 4 * Inch);
    page->AddText({Inch, Inch, 7 * Inch, 3 * Inch}, ptaLeft, number, GB("固定资产 Asset"));
    store.AddPage(std::move(page));
    TBitmap a, b;
    shared.Render(*store.Page(1), store.Resources(), 96, a);
    TPageRenderer fresh;
    fresh.Render(*store.Page(1), store.Resources(), 96, b);
    ASSERT_EQ(a.SaveToBytes(), b.SaveToBytes()) << pictures.size();
    pictures.push_back(a.SaveToBytes());
  }
  EXPECT_NE(pictures[0], pictures[1]);
  EXPECT_EQ(pictures[0], pictures[2]);
}

TEST(PageRender, ManyDistinctTextsOutgrowTheLayoutCacheSafely) {
  // More two-line texts than the renderer keeps layouts of: drawing two such
  // pages with one renderer gives what a fresh renderer gives.
  TPageResources R;
  int16_t font = R.AddFont({"Arial", 4, {}, DEFAULT_CHARSET, clBlack});
  std::vector<std::unique_ptr<TPageMetafile>> pages;
  for (int p = 0; p < 2; ++p) {
    auto page = std::make_unique<TPageMetafile>(8 * Inch, 4 * Inch);
    for (int i = 0; i < 5000; ++i) {
      TPageUnit x = (i % 100) * 200, y = (i / 100) * 200;
      page->AddText({x, y, x + 200, y + 200}, ptaLeft, font,
                    std::to_string(p * 5000 + i) + "\r\n" + std::to_string(i * 7));
    }
    pages.push_back(std::move(page));
  }
  TPageRenderer shared;
  for (const auto& page : pages) {
    TBitmap a, b;
    shared.Render(*page, R, 96, a);
    TPageRenderer fresh;
    fresh.Render(*page, R, 96, b);
    EXPECT_EQ(a.SaveToBytes(), b.SaveToBytes());
    EXPECT_TRUE(InkIn(a, Rect(0, 0, a.Width(), a.Height())).Any());
  }
}

TEST(PageRender, VoucherPagePicture) {
  // A page like a voucher, for people to look at: written where
  // KW_PAGE_PICTURE names, else into the temporary folder.
  TPageStore store;
  TPageResources& R = store.Resources();
  int16_t title = R.AddFont({GB("宋体"), 16, {fsBold}, 134, clBlack});
  int16_t song = R.AddFont({GB("宋体"), 9, {}, 134, clBlack});
  int16_t latin = R.AddFont({"Arial", 9, {}, DEFAULT_CHARSET, clNavy});
  int16_t pen = R.AddPen({clBlack, 26, psSolid});
  int16_t grey = R.AddBrush({TColor(0xE0E0E0), bsSolid});
  TPageMetafile page(21000, 14850);
  page.AddText({0, 800, 21000, 1600}, ptaCenter, title, GB("固定资产异动单 Asset Transfer Voucher"));
  page.AddText({1500, 1900, 9000, 2400}, ptaLeft, song, GB("单据号码: 0001-20261211"));
  page.AddText({12000, 1900, 19500, 2400}, ptaRight, song, GB("日期: 2026/12/11"));
  const char* heads[] = {"资产编号", "资产名称", "规格 Model", "数量", "金额 Amount"};
  int cols[] = {1500, 4500, 9000, 13000, 15500, 19500};
  page.AddRectangle({1500, 2600, 19500, 3200}, pen, grey);
  for (int i = 0; i < 5; ++i)
    page.AddText({cols[i] + 100, 2600, cols[i + 1] - 100, 3200}, ptaCenter | ptaVCenter, song, Utf8ToGB(heads[i]));
  for (int row = 0; row < 8; ++row) {
    TPageUnit top = 3200 + row * 600;
    page.AddText({cols[0] + 100, top, cols[1] - 100, top + 600}, ptaVCenter, latin,
                 "FA-" + std::to_string(1001 + row));
    page.AddText({cols[1] + 100, top, cols[2] - 100, top + 600}, ptaVCenter, song,
                 row % 2 ? GB("笔记本电脑") : GB("办公桌 Desk"));
    page.AddText({cols[2] + 100, top, cols[3] - 100, top + 600}, ptaVCenter, latin, "ThinkPad T14 Gen 3");
    page.AddText({cols[3] + 100, top, cols[4] - 100, top + 600}, ptaRight | ptaVCenter, latin,
                 std::to_string(row + 1));
    page.AddText({cols[4] + 100, top, cols[5] - 100, top + 600}, ptaRight | ptaVCenter, latin,
                 std::to_string((row + 1) * 1234) + ".00");
    page.AddLine(cols[0], top + 600, cols[5], top + 600, pen);
  }
  for (int c : cols) page.AddLine(c, 2600, c, 3200 + 8 * 600, pen);
  page.AddLine(cols[0], 2600, cols[5], 2600, pen);
  page.AddText({1500, 8300, 12500, 9800}, ptaWordWrap, song,
               GB("备注: 本单据所列资产已由使用部门验收, 转入新部门后请于三日内完成盘点并签名确认。"
                  " Remarks wrap inside their box."));
  page.AddEllipse({16500, 10500, 19000, 13000}, R.AddPen({clRed, 52, psSolid}), -1);
  page.AddText({16500, 10500, 19000, 13000}, ptaCenter | ptaVCenter, R.AddFont({GB("宋体"), 14, {}, 134, clRed}),
               GB("已审核"));
  auto B = RenderPage(page, R, 96);
  EXPECT_EQ(B->Width(), 794);
  EXPECT_TRUE(InkIn(*B, Rect(0, 30, 794, 60)).Any()) << "the title";
  const char* out = std::getenv("KW_PAGE_PICTURE");
  std::filesystem::path path =
      out ? std::filesystem::path(out) : std::filesystem::temp_directory_path() / "kw_output_page.png";
  B->SaveToPngFile(path.string());
  EXPECT_TRUE(std::filesystem::exists(path));
}

}  // namespace
