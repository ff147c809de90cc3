#include "platform/qr/PageRender.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/qr/PageMetafile.h"
#include "platform/rtl/CodePages.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/FontEngine.h"

namespace {

struct TRgb {
  uint8_t R = 0, G = 0, B = 0;
};

TRgb RgbOf(TColor Color) {
  auto v = static_cast<uint32_t>(ColorToRGB(Color));
  return {static_cast<uint8_t>(v & 0xFF), static_cast<uint8_t>((v >> 8) & 0xFF),
          static_cast<uint8_t>((v >> 16) & 0xFF)};
}

// (F - D) * A / 255 added to D, rounded, without a division.
inline uint8_t Mix(unsigned F, unsigned D, unsigned A) {
  unsigned v = F * A + D * (255 - A) + 128;
  return static_cast<uint8_t>((v + (v >> 8)) >> 8);
}

// The pixels a drawing call may touch, and the 24-bit rows behind them.
struct TSurface {
  uint8_t* Bits = nullptr;
  ptrdiff_t Stride = 0;
  TRect Clip;  // inside the bitmap

  uint8_t* At(int X, int Y) const { return Bits + Y * Stride + static_cast<ptrdiff_t>(X) * 3; }

  void Fill(TRect R, TRgb C) const {
    R = IntersectRect(R, Clip);
    if (R.IsEmpty()) return;
    int w = R.Width();
    if (C.R == C.G && C.G == C.B) {
      for (int y = R.Top; y < R.Bottom; ++y) std::memset(At(R.Left, y), C.R, static_cast<size_t>(w) * 3);
      return;
    }
    uint8_t* first = At(R.Left, R.Top);
    for (int x = 0; x < w; ++x) {
      first[x * 3] = C.B;
      first[x * 3 + 1] = C.G;
      first[x * 3 + 2] = C.R;
    }
    for (int y = R.Top + 1; y < R.Bottom; ++y) std::memcpy(At(R.Left, y), first, static_cast<size_t>(w) * 3);
  }

  void Plot(int X, int Y, TRgb C) const {
    if (!Clip.Contains(X, Y)) return;
    uint8_t* p = At(X, Y);
    p[0] = C.B;
    p[1] = C.G;
    p[2] = C.R;
  }

  void HSpan(int X1, int X2, int Y, TRgb C) const { Fill({X1, Y, X2, Y + 1}, C); }
};

// Hatch brushes repeat every 8 device pixels, as the desktop's do.
bool HatchAt(TBrushStyle Style, int X, int Y) {
  int x = X & 7, y = Y & 7;
  switch (Style) {
    case bsHorizontal: return y == 0;
    case bsVertical: return x == 0;
    case bsFDiagonal: return ((x - y) & 7) == 0;
    case bsBDiagonal: return ((x + y) & 7) == 7;
    case bsCross: return x == 0 || y == 0;
    case bsDiagCross: return ((x - y) & 7) == 0 || ((x + y) & 7) == 7;
    default: return true;
  }
}

void FillBrush(const TSurface& S, const TRect& R, const TPageBrush& Brush) {
  if (Brush.Style == bsClear) return;
  TRgb c = RgbOf(Brush.Color);
  if (Brush.Style == bsSolid) {
    S.Fill(R, c);
    return;
  }
  TRect r = IntersectRect(R, S.Clip);
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (HatchAt(Brush.Style, x, y)) S.Plot(x, y, c);
}

// Dash patterns of one-pixel pens (on, off, on, off...); wider pens draw
// solid, as geometric pens of the desktop do.
const std::vector<int>* DashPattern(TPenStyle Style) {
  static const std::vector<int> dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3};
  switch (Style) {
    case psDash: return &dash;
    case psDot: return &dot;
    case psDashDot: return &dashDot;
    case psDashDotDot: return &dashDotDot;
    default: return nullptr;
  }
}

struct TDasher {
  const std::vector<int>* Pattern = nullptr;
  size_t Index = 0;
  int Left = 0;
  explicit TDasher(const std::vector<int>* P) : Pattern(P) {
    if (P) Left = (*P)[0];
  }
  // Whether the next pixel along the line is drawn.
  bool Next() {
    if (!Pattern) return true;
    bool on = (Index % 2) == 0;
    if (--Left <= 0) {
      Index = (Index + 1) % Pattern->size();
      Left = (*Pattern)[Index];
    }
    return on;
  }
};

// Where a paragraph may break and how wide its characters are.
struct TCharInfo {
  uint32_t FirstGlyph;
  bool Space;
  bool Wide;
};

struct TCachedText {
  std::vector<TPlacedGlyph> Glyphs;
  std::vector<TCharInfo> Chars;  // filled the first time the text is wrapped
  int Width = 0;
};

// A page font at one pixel size.
struct TFontEntry {
  TPageFont Source;
  TFont Font;
  int Ppem = 0;
  TFontMetrics Metrics;
  TRgb Color;
  unsigned CodePage = 0;
  std::unordered_map<std::string, TCachedText> Texts;
};

constexpr size_t MaxTextsPerFont = 8192;

}  // namespace

struct TPageRenderer::TImpl {
  // Key: font number << 20 | pixel size.
  std::unordered_map<uint64_t, std::unique_ptr<TFontEntry>> Fonts;
  std::vector<TFontEntry*> PageFonts;  // per font number: the entry this Draw uses
  TTextLayout Scratch;
  std::string Key;
  struct TPiece {
    const TCachedText* Text;
    size_t G0, G1;  // glyphs
    int Width;      // pixels at the font's own scale
  };
  std::vector<TPiece> Lines;  // of the text being drawn

  TFontEntry& FontFor(const TPageResources& Resources, int16_t Index, double YDpi);
  const TCachedText& TextFor(TFontEntry& F, const char* Data, size_t Length);
  void Wrappable(TFontEntry& F, TCachedText& T, const char* Data, size_t Length);
  void DrawText(const TSurface& S, const TPageMetafile& Page, const TPageRecord& Rec,
                const TPageResources& Resources, const TRect& Box, double XRatio, double YDpi);
  void DrawGlyphs(const TSurface& S, const TRect& Clip, const TCachedText& T, size_t G0, size_t G1,
                  int X, int Baseline, double XRatio, TRgb Color);
};

TPageRenderer::TPageRenderer() : FImpl(std::make_unique<TImpl>()) {}
TPageRenderer::~TPageRenderer() = default;

void TPageRenderer::ClearCache() {
  FImpl->PageFonts.clear();
  FImpl->Fonts.clear();
}

TFontEntry& TPageRenderer::TImpl::FontFor(const TPageResources& Resources, int16_t Index,
                                          double YDpi) {
  auto idx = static_cast<size_t>(Index);
  if (idx >= PageFonts.size()) PageFonts.resize(idx + 1, nullptr);
  if (PageFonts[idx]) return *PageFonts[idx];
  // First use in this page: read the font, so that a number that now names
  // another font (a store cleared and refilled) never draws with a stale face.
  TPageFont source = Resources.Font(Index);
  int ppem = std::max(1, static_cast<int>(std::lround(std::fabs(source.Size) * YDpi / 72.0)));
  uint64_t key = (static_cast<uint64_t>(idx) << 20) | static_cast<uint64_t>(ppem & 0xFFFFF);
  auto it = Fonts.find(key);
  if (it != Fonts.end() && !(it->second->Source == source)) {
    Fonts.erase(it);
    it = Fonts.end();
  }
  if (it != Fonts.end()) {
    // Bounded, and emptied only between pages: layouts of the page being
    // drawn stay put while its texts refer to them.
    if (it->second->Texts.size() >= MaxTextsPerFont) it->second->Texts.clear();
    return *(PageFonts[idx] = it->second.get());
  }

  auto entry = std::make_unique<TFontEntry>();
  entry->Source = source;
  entry->Font.SetName(source.Name);
  entry->Font.SetCharset(source.Charset);
  entry->Font.SetStyle(source.Style);
  entry->Font.SetColor(source.Color);
  entry->Font.SetPixelsPerInch(96);
  entry->Font.SetHeight(-ppem);
  entry->Ppem = ppem;
  entry->Metrics = TFontEngine::Instance().Metrics(entry->Font, 96);
  entry->Color = RgbOf(source.Color);
  entry->CodePage = CodePageOfCharset(source.Charset);
  auto& slot = Fonts[key];
  slot = std::move(entry);
  return *(PageFonts[idx] = slot.get());
}

const TCachedText& TPageRenderer::TImpl::TextFor(TFontEntry& F, const char* Data, size_t Length) {
  Key.assign(Data, Length);  // reused: a look-up that hits allocates nothing
  auto it = F.Texts.find(Key);
  if (it != F.Texts.end()) return it->second;
  TFontEngine::Instance().Layout(F.Font, Key, 96, Scratch);
  TCachedText& t = F.Texts[Key];
  t.Glyphs = Scratch.Glyphs;
  t.Width = Scratch.Width;
  return t;
}

// Fills T.Chars: one entry per character of the text, pointing at its first
// glyph. When the engine's glyphs do not pair one-to-one with the
// characters (bytes that decode to nothing or to several code units), the
// text is laid out character by character instead so the pairing holds.
void TPageRenderer::TImpl::Wrappable(TFontEntry& F, TCachedText& T, const char* Data, size_t Length) {
  if (!T.Chars.empty() || Length == 0) return;
  std::string_view text(Data, Length);
  std::vector<std::pair<size_t, size_t>> chars;
  for (size_t i = 0; i < Length;) {
    size_t n;
    if (F.CodePage == 65001) {
      auto b = static_cast<unsigned char>(text[i]);
      n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    } else {
      n = std::max<size_t>(1, CharSizeAt(text, i, F.CodePage));
    }
    n = std::min(n, Length - i);
    chars.emplace_back(i, n);
    i += n;
  }
  if (chars.size() != T.Glyphs.size()) {
    T.Glyphs.clear();
    int pen = 0;
    std::vector<uint32_t> first;
    for (auto [start, len] : chars) {
      first.push_back(static_cast<uint32_t>(T.Glyphs.size()));
      TFontEngine::Instance().Layout(F.Font, AnsiString(text.substr(start, len)), 96, Scratch);
      for (const TPlacedGlyph& g : Scratch.Glyphs) T.Glyphs.push_back({g.Glyph, pen + g.X});
      pen += Scratch.Width;
    }
    T.Width = pen;
    for (size_t i = 0; i < chars.size(); ++i)
      T.Chars.push_back({first[i], text[chars[i].first] == ' ', chars[i].second > 1});
    return;
  }
  for (size_t i = 0; i < chars.size(); ++i)
    T.Chars.push_back({static_cast<uint32_t>(i), text[chars[i].first] == ' ', chars[i].second > 1});
}

void TPageRenderer::TImpl::DrawGlyphs(const TSurface& S, const TRect& Clip, const TCachedText& T,
                                      size_t G0, size_t G1, int X, int Baseline, double XRatio,
                                      TRgb Color) {
  if (G0 >= G1) return;
  int base = T.Glyphs[G0].X;
  bool scaled = XRatio != 1.0;
  for (size_t gi = G0; gi < G1; ++gi) {
    const TPlacedGlyph& pg = T.Glyphs[gi];
    const TGlyphImage& g = *pg.Glyph;
    if (g.Width == 0 || g.Rows == 0) continue;
    int pen = pg.X - base;
    if (scaled) pen = static_cast<int>(std::lround(pen * XRatio));
    int gx = X + pen + g.Left;
    int gy = Baseline - g.Top;
    int c0 = std::max(0, Clip.Left - gx), c1 = std::min(g.Width, Clip.Right - gx);
    int r0 = std::max(0, Clip.Top - gy), r1 = std::min(g.Rows, Clip.Bottom - gy);
    if (c0 >= c1 || r0 >= r1) continue;
    const uint8_t* cov = g.Coverage.data() + static_cast<size_t>(r0) * g.Width;
    for (int r = r0; r < r1; ++r, cov += g.Width) {
      uint8_t* p = S.At(gx + c0, gy + r);
      for (int c = c0; c < c1; ++c, p += 3) {
        unsigned a = cov[c];
        if (a == 0) continue;
        if (a == 255) {
          p[0] = Color.B;
          p[1] = Color.G;
          p[2] = Color.R;
        } else {
          p[0] = Mix(Color.B, p[0], a);
          p[1] = Mix(Color.G, p[1], a);
          p[2] = Mix(Color.R, p[2], a);
        }
      }
    }
  }
}

namespace {

int GlyphX(const TCachedText& T, size_t G) {
  return G < T.Glyphs.size() ? T.Glyphs[G].X : T.Width;
}

}  // namespace

void TPageRenderer::TImpl::DrawText(const TSurface& S, const TPageMetafile& Page,
                                    const TPageRecord& Rec, const TPageResources& Resources,
                                    const TRect& Box, double XRatio, double YDpi) {
  if (Rec.Flags & ptaOpaque) {
    TPageBrush brush = Rec.Brush >= 0 ? Resources.Brush(Rec.Brush) : TPageBrush{};
    FillBrush(S, Box, brush);
  }
  if (Rec.Font < 0 || Rec.TextLength == 0) return;
  TFontEntry& F = FontFor(Resources, Rec.Font, YDpi);
  const char* data = Page.TextData(Rec);
  size_t length = Rec.TextLength;
  TRect clip = (Rec.Flags & ptaNoClip) ? S.Clip : IntersectRect(Box, S.Clip);
  if (clip.IsEmpty()) return;

  // Paragraphs end at line breaks; with word wrap they break further where
  // the box is full: before and after a Chinese character and after a space.
  std::vector<TPiece>& lines = Lines;
  lines.clear();
  int boxWidth = std::max(0, static_cast<int>(std::floor(Box.Width() / XRatio)));
  bool wrap = (Rec.Flags & ptaWordWrap) != 0;
  for (size_t p = 0; p <= length;) {
    size_t e = p;
    while (e < length && data[e] != '\r' && data[e] != '\n') ++e;
    const TCachedText& t = TextFor(F, data + p, e - p);
    if (!wrap || t.Width <= boxWidth || e == p) {
      lines.push_back({&t, 0, t.Glyphs.size(), t.Width});
    } else {
      auto& tw = const_cast<TCachedText&>(t);
      Wrappable(F, tw, data + p, e - p);
      const auto& ch = tw.Chars;
      size_t n = ch.size(), start = 0;
      auto cx = [&](size_t i) { return GlyphX(tw, i < n ? ch[i].FirstGlyph : tw.Glyphs.size()); };
      while (start < n) {
        size_t j = start, lastBreak = start;
        bool broke = false;
        for (; j < n; ++j) {
          if (j > start && (ch[j].Wide || ch[j - 1].Wide || ch[j - 1].Space)) lastBreak = j;
          if (j > start && cx(j + 1) - cx(start) > boxWidth) {
            broke = true;
            break;
          }
        }
        size_t end = j, next = j;
        if (broke && !ch[j].Space && lastBreak > start) end = next = lastBreak;
        size_t trimmed = end;
        while (trimmed > start && ch[trimmed - 1].Space) --trimmed;
        size_t g0 = ch[start].FirstGlyph;
        size_t g1 = trimmed < n ? ch[trimmed].FirstGlyph : tw.Glyphs.size();
        lines.push_back({&tw, g0, g1, cx(trimmed) - cx(start)});
        if (!broke) break;
        while (next < n && ch[next].Space) ++next;
        start = next;
      }
    }
    if (e >= length) break;
    p = e + ((data[e] == '\r' && e + 1 < length && data[e + 1] == '\n') ? 2 : 1);
    if (p == length) break;  // a closing line break adds no empty line
  }

  int lineHeight = F.Metrics.Height;
  int total = lineHeight * static_cast<int>(lines.size());
  int y = Box.Top;
  switch (Rec.Flags & ptaVertMask) {
    case ptaBottom: y = Box.Bottom - total; break;
    case ptaVCenter: y = Box.Top + (Box.Height() - total) / 2; break;
    default: break;
  }
  bool underline = F.Source.Style.Contains(fsUnderline), strike = F.Source.Style.Contains(fsStrikeOut);
  int thickness = std::max(1, (F.Metrics.Height - F.Metrics.InternalLeading) / 14);
  for (const TPiece& l : lines) {
    if (y >= clip.Bottom) break;
    if (y + lineHeight > clip.Top) {
      int w = XRatio == 1.0 ? l.Width : static_cast<int>(std::lround(l.Width * XRatio));
      int x = Box.Left;
      switch (Rec.Flags & ptaHorzMask) {
        case ptaRight: x = Box.Right - w; break;
        case ptaCenter: x = Box.Left + (Box.Width() - w) / 2; break;
        default: break;
      }
      int baseline = y + F.Metrics.Ascent;
      TSurface s = S;
      s.Clip = clip;
      DrawGlyphs(s, clip, *l.Text, l.G0, l.G1, x, baseline, XRatio, F.Color);
      if (underline)
        s.Fill({x, baseline + std::max(1, F.Metrics.Descent / 3), x + w,
                baseline + std::max(1, F.Metrics.Descent / 3) + thickness}, F.Color);
      if (strike)
        s.Fill({x, baseline - F.Metrics.Ascent / 3, x + w, baseline - F.Metrics.Ascent / 3 + thickness},
               F.Color);
    }
    y += lineHeight;
  }
}

namespace {

// A line of Width pixels, both end points drawn so that frames made of lines
// close their corners.
void DrawLine(const TSurface& S, int X1, int Y1, int X2, int Y2, int Width, TRgb C,
              const std::vector<int>* Pattern) {
  int lo = Width / 2;  // thickness spreads evenly, the odd pixel after the line
  if (!Pattern && (Y1 == Y2 || X1 == X2)) {
    if (Y1 == Y2)
      S.Fill({std::min(X1, X2), Y1 - lo, std::max(X1, X2) + 1, Y1 - lo + Width}, C);
    else
      S.Fill({X1 - lo, std::min(Y1, Y2), X1 - lo + Width, std::max(Y1, Y2) + 1}, C);
    return;
  }
  TDasher dash(Pattern);
  int dx = std::abs(X2 - X1), dy = -std::abs(Y2 - Y1);
  int sx = X1 < X2 ? 1 : -1, sy = Y1 < Y2 ? 1 : -1;
  int err = dx + dy, x = X1, y = Y1;
  // Clip cheaply: skip the walk when the line's box misses the surface.
  TRect bounds{std::min(X1, X2) - lo, std::min(Y1, Y2) - lo, std::max(X1, X2) - lo + Width,
               std::max(Y1, Y2) - lo + Width};
  if (IntersectRect(bounds, S.Clip).IsEmpty()) return;
  while (true) {
    if (dash.Next()) {
      if (Width == 1)
        S.Plot(x, y, C);
      else
        S.Fill({x - lo, y - lo, x - lo + Width, y - lo + Width}, C);
    }
    if (x == X2 && y == Y2) break;
    int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

// The span of row Y (pixel centre) inside the ellipse within R; false when
// the row misses it.
bool EllipseSpan(const TRect& R, int Y, int& X1, int& X2) {
  double a = R.Width() / 2.0, b = R.Height() / 2.0;
  if (a <= 0 || b <= 0) return false;
  double cx = R.Left + a, cy = R.Top + b;
  double t = (Y + 0.5 - cy) / b;
  if (t <= -1 || t >= 1) return false;
  double half = a * std::sqrt(1 - t * t);
  X1 = static_cast<int>(std::lround(cx - half));
  X2 = static_cast<int>(std::lround(cx + half));
  return X2 > X1;
}

void DrawPicture(const TSurface& S, const TRect& Box, const TBitmap& Picture) {
  if (Picture.Empty() || Box.IsEmpty()) return;
  TRect r = IntersectRect(Box, S.Clip);
  if (r.IsEmpty()) return;
  int sw = Picture.Width(), sh = Picture.Height();
  std::vector<int> columns(static_cast<size_t>(r.Width()));
  for (int x = r.Left; x < r.Right; ++x)
    columns[x - r.Left] = static_cast<int>((static_cast<int64_t>(x - Box.Left) * sw) / Box.Width());
  bool transparent = Picture.Transparent();
  uint32_t key = transparent ? static_cast<uint32_t>(ColorToRGB(Picture.TransparentColor())) : 0;
  bool direct = Picture.PixelFormat() == pf24bit;
  for (int y = r.Top; y < r.Bottom; ++y) {
    int srcY = static_cast<int>((static_cast<int64_t>(y - Box.Top) * sh) / Box.Height());
    uint8_t* d = S.At(r.Left, y);
    const uint8_t* row = direct ? Picture.ScanLine(srcY) : nullptr;
    for (int i = 0; i < r.Width(); ++i, d += 3) {
      uint8_t b, g, rr;
      if (direct) {
        const uint8_t* p = row + columns[i] * 3;
        b = p[0], g = p[1], rr = p[2];
      } else {
        auto v = static_cast<uint32_t>(Picture.Pixel(columns[i], srcY));
        rr = v & 0xFF, g = (v >> 8) & 0xFF, b = (v >> 16) & 0xFF;
      }
      if (transparent && (static_cast<uint32_t>(rr) | (g << 8u) | (static_cast<uint32_t>(b) << 16u)) == key) continue;
      d[0] = b;
      d[1] = g;
      d[2] = rr;
    }
  }
}

}  // namespace

void TPageRenderer::Draw(const TPageMetafile& Page, const TPageResources& Resources, TBitmap& Target,
                         const TRect& Dest) {
  if (Target.Empty() || Dest.IsEmpty() || Page.Width() <= 0 || Page.Height() <= 0) return;
  if (Target.PixelFormat() != pf24bit) {
    // Draw through a 24-bit copy and bring the result back to the target's own format.
    TBitmap copy;
    copy.Assign(&Target);
    TPixelFormat format = Target.PixelFormat();
    copy.SetPixelFormat(pf24bit);
    Draw(Page, Resources, copy, Dest);
    copy.SetPixelFormat(format);
    Target.Assign(&copy);
    return;
  }
  TSurface S;
  S.Bits = Target.ScanLine(0);
  S.Stride = Target.BytesPerScanLine();
  S.Clip = IntersectRect(Dest, Rect(0, 0, Target.Width(), Target.Height()));
  if (S.Clip.IsEmpty()) return;

  double sx = static_cast<double>(Dest.Width()) / Page.Width();
  double sy = static_cast<double>(Dest.Height()) / Page.Height();
  double yDpi = sy * 2540.0;
  double xRatio = sx / sy;
  auto X = [&](TPageUnit v) { return Dest.Left + static_cast<int>(std::floor(v * sx + 0.5)); };
  auto Y = [&](TPageUnit v) { return Dest.Top + static_cast<int>(std::floor(v * sy + 0.5)); };
  auto box = [&](const TPageRect& r) {
    return TRect{X(std::min(r.Left, r.Right)), Y(std::min(r.Top, r.Bottom)),
                 X(std::max(r.Left, r.Right)), Y(std::max(r.Top, r.Bottom))};
  };
  auto penWidth = [&](const TPagePen& p) {
    return std::max(1, static_cast<int>(std::lround(p.Width * std::min(sx, sy))));
  };
  std::fill(FImpl->PageFonts.begin(), FImpl->PageFonts.end(), nullptr);

  for (const TPageRecord& rec : Page.Records()) {
    switch (rec.Kind) {
      case TPageRecordKind::Text:
        FImpl->DrawText(S, Page, rec, Resources, box(rec.Box), xRatio, yDpi);
        break;
      case TPageRecordKind::Line: {
        if (rec.Pen < 0) break;
        TPagePen pen = Resources.Pen(rec.Pen);
        if (pen.Style == psClear) break;
        int w = penWidth(pen);
        DrawLine(S, X(rec.Box.Left), Y(rec.Box.Top), X(rec.Box.Right), Y(rec.Box.Bottom), w,
                 RgbOf(pen.Color), w == 1 ? DashPattern(pen.Style) : nullptr);
        break;
      }
      case TPageRecordKind::Rectangle: {
        TRect r = box(rec.Box);
        if (rec.Brush >= 0) FillBrush(S, r, Resources.Brush(rec.Brush));
        if (rec.Pen < 0) break;
        TPagePen pen = Resources.Pen(rec.Pen);
        if (pen.Style == psClear || r.IsEmpty()) break;
        int w = std::min(penWidth(pen), std::max(1, std::min(r.Width(), r.Height()) / 2));
        TRgb c = RgbOf(pen.Color);
        const std::vector<int>* pattern = w == 1 ? DashPattern(pen.Style) : nullptr;
        if (!pattern) {
          // The frame lies inside the box.
          S.Fill({r.Left, r.Top, r.Right, r.Top + w}, c);
          S.Fill({r.Left, r.Bottom - w, r.Right, r.Bottom}, c);
          S.Fill({r.Left, r.Top + w, r.Left + w, r.Bottom - w}, c);
          S.Fill({r.Right - w, r.Top + w, r.Right, r.Bottom - w}, c);
        } else {
          DrawLine(S, r.Left, r.Top, r.Right - 1, r.Top, 1, c, pattern);
          DrawLine(S, r.Right - 1, r.Top, r.Right - 1, r.Bottom - 1, 1, c, pattern);
          DrawLine(S, r.Right - 1, r.Bottom - 1, r.Left, r.Bottom - 1, 1, c, pattern);
          DrawLine(S, r.Left, r.Bottom - 1, r.Left, r.Top, 1, c, pattern);
        }
        break;
      }
      case TPageRecordKind::Ellipse: {
        TRect r = box(rec.Box);
        if (r.IsEmpty()) break;
        TPagePen pen = rec.Pen >= 0 ? Resources.Pen(rec.Pen) : TPagePen{};
        bool framed = rec.Pen >= 0 && pen.Style != psClear;
        int w = framed ? penWidth(pen) : 0;
        TRect inner = InflateRect(r, -w, -w);
        if (rec.Brush >= 0) {
          TPageBrush brush = Resources.Brush(rec.Brush);
          if (brush.Style != bsClear) {
            for (int y = std::max(r.Top, S.Clip.Top); y < std::min(r.Bottom, S.Clip.Bottom); ++y) {
              int x1, x2;
              if (!EllipseSpan(framed ? inner : r, y, x1, x2)) continue;
              FillBrush(S, {x1, y, x2, y + 1}, brush);
            }
          }
        }
        if (framed) {
          TRgb c = RgbOf(pen.Color);
          for (int y = std::max(r.Top, S.Clip.Top); y < std::min(r.Bottom, S.Clip.Bottom); ++y) {
            int o1, o2, i1, i2;
            if (!EllipseSpan(r, y, o1, o2)) continue;
            if (!inner.IsEmpty() && EllipseSpan(inner, y, i1, i2)) {
              S.HSpan(o1, std::max(o1 + 1, i1), y, c);
              S.HSpan(std::min(o2 - 1, i2), o2, y, c);
            } else {
              S.HSpan(o1, o2, y, c);
            }
          }
        }
        break;
      }
      case TPageRecordKind::Picture: {
        if (rec.Picture < 0) break;
        auto picture = Resources.Picture(rec.Picture);
        if (picture) DrawPicture(S, box(rec.Box), *picture);
        break;
      }
    }
  }
}

void TPageRenderer::Render(const TPageMetafile& Page, const TPageResources& Resources, int Dpi,
                           TBitmap& Target) {
  if (Dpi <= 0) Dpi = 96;
  int w = std::max(1, PageToPixels(Page.Width(), Dpi));
  int h = std::max(1, PageToPixels(Page.Height(), Dpi));
  if (Target.PixelFormat() != pf24bit) Target.SetPixelFormat(pf24bit);
  if (Target.Width() != w || Target.Height() != h) Target.SetSize(w, h);
  std::memset(Target.ScanLine(0), 0xFF, static_cast<size_t>(Target.BytesPerScanLine()) * h);
  Draw(Page, Resources, Target, Rect(0, 0, w, h));
}

void DrawPage(const TPageMetafile& Page, const TPageResources& Resources, TBitmap& Target,
              const TRect& Dest) {
  TPageRenderer renderer;
  renderer.Draw(Page, Resources, Target, Dest);
}

std::unique_ptr<TBitmap> RenderPage(const TPageMetafile& Page, const TPageResources& Resources,
                                    int Dpi) {
  auto bitmap = std::make_unique<TBitmap>();
  TPageRenderer renderer;
  renderer.Render(Page, Resources, Dpi, *bitmap);
  return bitmap;
}
