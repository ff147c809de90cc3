// Font matching and text metrics: the desktop's font names resolve to the
// installed faces our configuration maps them to, missing faces are reported,
// and widths come from the real glyphs.

#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/rtl/CodePages.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/FontEngine.h"

namespace {

// The family name FreeType reads from the face a match names, so the face
// index inside a collection is checked, not just the file.
std::string FamilyInFile(const TFaceInfo& Info) {
  FT_Library lib;
  EXPECT_EQ(FT_Init_FreeType(&lib), 0);
  FT_Face face;
  std::string family;
  if (FT_New_Face(lib, Info.File.c_str(), Info.Index, &face) == 0) {
    family = face->family_name ? face->family_name : "";
    FT_Done_Face(face);
  }
  FT_Done_FreeType(lib);
  return family;
}

struct TMapCase {
  const char* NameUtf8;
  TFontCharset Charset;
  const char* Family;
};

TEST(FontMatching, DesktopNamesMapToInstalledFaces) {
  const TMapCase cases[] = {
      {"宋体", GB2312_CHARSET, "Noto Serif CJK SC"},
      {"SimSun", GB2312_CHARSET, "Noto Serif CJK SC"},
      {"新宋体", GB2312_CHARSET, "Noto Serif CJK SC"},
      {"NSimSun", DEFAULT_CHARSET, "Noto Serif CJK SC"},
      {"新細明體", CHINESEBIG5_CHARSET, "Noto Serif CJK TC"},
      {"PMingLiU", CHINESEBIG5_CHARSET, "Noto Serif CJK TC"},
      {"細明體", CHINESEBIG5_CHARSET, "Noto Serif CJK TC"},
      {"MingLiU", CHINESEBIG5_CHARSET, "Noto Serif CJK TC"},
      {"Tahoma", ANSI_CHARSET, "DejaVu Sans"},
      {"MS Sans Serif", DEFAULT_CHARSET, "DejaVu Sans"},
      {"Arial", GB2312_CHARSET, "DejaVu Sans"},
  };
  for (const TMapCase& c : cases) {
    SCOPED_TRACE(c.NameUtf8);
    AnsiString name = Utf8ToAnsi(c.NameUtf8, CodePageOfCharset(c.Charset));
    TFaceInfo info = TFontEngine::Instance().MatchFace(name, {}, c.Charset);
    EXPECT_EQ(info.Family, c.Family);
    EXPECT_FALSE(info.Fallback);
    EXPECT_EQ(FamilyInFile(info), c.Family);
    EXPECT_FALSE(TFontEngine::Instance().IsFallback(name, {}, c.Charset));
  }
}

TEST(FontMatching, BoldRequestFindsTheBoldFace) {
  TFaceInfo regular = TFontEngine::Instance().MatchFace(GB("宋体"), {}, GB2312_CHARSET);
  TFaceInfo bold = TFontEngine::Instance().MatchFace(GB("宋体"), {fsBold}, GB2312_CHARSET);
  EXPECT_EQ(bold.Family, "Noto Serif CJK SC");
  EXPECT_NE(bold.File, regular.File);
}

TEST(FontMatching, UnknownNameIsAFallback) {
  for (const char* name : {"No Such Face 1729", "Wingdings Imaginary"}) {
    SCOPED_TRACE(name);
    TFaceInfo info = TFontEngine::Instance().MatchFace(name, {}, GB2312_CHARSET);
    EXPECT_TRUE(info.Fallback);
    // The charset's own face stands in, never one with Japanese forms.
    EXPECT_EQ(info.Family, "Noto Serif CJK SC");
    EXPECT_TRUE(TFontEngine::Instance().IsFallback(name, {}, GB2312_CHARSET));
  }
}

TEST(FontMatching, CharsetChoosesTheCodePage) {
  struct {
    TFontCharset Charset;
    unsigned CodePage;
  } cases[] = {{GB2312_CHARSET, 936}, {CHINESEBIG5_CHARSET, 950}, {ANSI_CHARSET, 1252},
               {DEFAULT_CHARSET, GetACP()}, {RUSSIAN_CHARSET, 1252}};
  for (const auto& c : cases) EXPECT_EQ(CodePageOfCharset(c.Charset), c.CodePage);
}

// ---- Metrics -----------------------------------------------------------------

struct TWidthCase {
  const char* NameUtf8;
  TFontCharset Charset;
  const char* TextUtf8;
};

TEST(TextMetrics, WidthsAreRealAndGrowWithTheSize) {
  const TWidthCase cases[] = {
      {"宋体", GB2312_CHARSET, "资产卡片"},
      {"宋体", GB2312_CHARSET, "Voucher 2026"},
      {"Tahoma", ANSI_CHARSET, "Voucher 2026"},
      {"新細明體", CHINESEBIG5_CHARSET, "資產卡片"},
  };
  for (const TWidthCase& c : cases) {
    SCOPED_TRACE(std::string(c.NameUtf8) + " / " + c.TextUtf8);
    unsigned cp = CodePageOfCharset(c.Charset);
    TFont font;
    font.SetName(Utf8ToAnsi(c.NameUtf8, cp));
    font.SetCharset(c.Charset);
    AnsiString text = Utf8ToAnsi(c.TextUtf8, cp);
    int previous = 0;
    for (int size : {9, 12, 18, 36}) {
      font.SetSize(size);
      int w = TFontEngine::Instance().TextWidth(font, text);
      EXPECT_GT(w, previous) << "size " << size;
      previous = w;
    }
  }
}

TEST(TextMetrics, ChineseCharactersAdvanceOneEm) {
  TFont font;
  font.SetName(GB("宋体"));
  font.SetCharset(GB2312_CHARSET);
  for (int h : {12, 16, 24}) {
    font.SetHeight(-h);
    EXPECT_EQ(TFontEngine::Instance().TextWidth(font, GB("资产卡片")), 4 * h);
    // The Song face's cell is one em, as the desktop's is.
    EXPECT_EQ(TFontEngine::Instance().TextHeight(font, GB("资")), h);
  }
}

TEST(TextMetrics, Big5TextMeasuresLikeItsGBForm) {
  TFont gb, big5;
  gb.SetName(GB("宋体"));
  gb.SetCharset(GB2312_CHARSET);
  gb.SetSize(9);
  big5.SetName(Utf8ToAnsi("新細明體", 950));
  big5.SetCharset(CHINESEBIG5_CHARSET);
  big5.SetSize(9);
  AnsiString gbText = GB("固定资产卡片 No.12");
  AnsiString big5Text = Utf8ToAnsi("固定資產卡片 No.12", 950);
  ASSERT_NE(gbText, big5Text);
  int w = TFontEngine::Instance().TextWidth(gb, gbText);
  EXPECT_GT(w, 0);
  EXPECT_EQ(TFontEngine::Instance().TextWidth(big5, big5Text), w);
}

TEST(TextMetrics, ChineseInAWesternFaceUsesTheSongFace) {
  TFont tahoma, song;
  tahoma.SetName("Tahoma");
  tahoma.SetCharset(GB2312_CHARSET);
  tahoma.SetHeight(-12);
  song.SetName(GB("宋体"));
  song.SetCharset(GB2312_CHARSET);
  song.SetHeight(-12);
  EXPECT_EQ(TFontEngine::Instance().TextWidth(tahoma, GB("确定")), 24);
  // Latin text keeps the Western face's own widths.
  TFont dejaVu;
  dejaVu.SetName("DejaVu Sans");
  dejaVu.SetHeight(-12);
  EXPECT_EQ(TFontEngine::Instance().TextWidth(tahoma, "Cancel Wimp"),
            TFontEngine::Instance().TextWidth(dejaVu, "Cancel Wimp"));
  EXPECT_NE(TFontEngine::Instance().TextWidth(tahoma, "Cancel Wimp"),
            TFontEngine::Instance().TextWidth(song, "Cancel Wimp"));
}

TEST(TextMetrics, PositiveHeightIsTheCellHeight) {
  for (const char* name : {"Tahoma", "宋体"}) {
    SCOPED_TRACE(name);
    TFont font;
    font.SetName(Utf8ToGB(name));
    font.SetCharset(GB2312_CHARSET);
    for (int cell : {13, 16, 20}) {
      font.SetHeight(cell);
      EXPECT_NEAR(TFontEngine::Instance().TextHeight(font, "Ag"), cell, 1);
    }
  }
}

TEST(TextMetrics, ResolutionScalesTheFont) {
  TFont font;
  font.SetName(GB("宋体"));
  font.SetCharset(GB2312_CHARSET);
  font.SetSize(9);  // 12 pixels at 96 dpi
  AnsiString text = GB("资产编号");
  EXPECT_EQ(TFontEngine::Instance().TextWidth(font, text, 96), 48);
  EXPECT_EQ(TFontEngine::Instance().TextWidth(font, text, 192), 96);
  EXPECT_EQ(TFontEngine::Instance().TextWidth(font, text, 300), 4 * 38);  // 9pt at 300 dpi: 37.5 px
  TBitmap page(10, 10);
  page.Canvas()->SetPixelsPerInch(300);
  page.Canvas()->SetFont(&font);
  EXPECT_EQ(page.Canvas()->TextWidth(text), 4 * 38);
}

TEST(TextMetrics, DefaultCharsetFollowsTheProcessCodePage) {
  TFont font;
  font.SetName("Tahoma");
  font.SetCharset(DEFAULT_CHARSET);
  font.SetHeight(-12);
  unsigned saved = GetACP();
  SetACP(950);
  int big5 = TFontEngine::Instance().TextWidth(font, Utf8ToAnsi("資產", 950));
  SetACP(936);
  int gb = TFontEngine::Instance().TextWidth(font, Utf8ToAnsi("资产", 936));
  SetACP(saved);
  EXPECT_EQ(big5, 24);
  EXPECT_EQ(gb, 24);
}

TEST(TextMetrics, EmptyTextHasNoWidthButALineHeight) {
  TFont font;
  font.SetName("Tahoma");
  font.SetHeight(-11);
  TSize size = TFontEngine::Instance().TextExtent(font, "");
  EXPECT_EQ(size.cx, 0);
  EXPECT_GE(size.cy, 11);
}

}  // namespace
