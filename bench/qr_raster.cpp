// Rasterising voucher pages: the page renderer at 96 and 200 dpi against a
// bare loop that only blits already rendered glyph coverage of the same
// texts into a white 24-bit page, the most any renderer could do on this
// machine. Prints pages per second of each and the renderer's share of the
// bare loop's speed, all measured in one run.
//
// The pages: A4, 80 texts of 6 to 16 characters, Chinese and Latin, 9-point
// Song face, in 20 rows of four columns. 64 different pages (the data texts
// change from page to page, the labels do not) are drawn in turn, so text
// layouts are not all answered from a cache.

#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/qr/PageRender.h"
#include "platform/qr/PageStore.h"
#include "platform/rtl/CodePages.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/FontEngine.h"

namespace {

constexpr int PageVariants = 64;

struct TBenchPages {
  TPageStore Store;
  TPageFont Font{Utf8ToGB("宋体"), 9, {}, 134, clBlack};

  TBenchPages() {
    int16_t font = Store.Resources().AddFont(Font);
    const char* labels[] = {"资产编号:", "资产名称:", "规格型号 Model:", "使用部门 Dept:"};
    const char* names[] = {"办公桌 Desk", "笔记本电脑 Laptop", "空调 Air-con", "叉车 Forklift",
                           "服务器 Server", "投影仪", "复印机 Copier", "货架 Shelf"};
    for (int p = 0; p < PageVariants; ++p) {
      auto page = std::make_unique<TPageMetafile>(21000, 29700);
      for (int row = 0; row < 20; ++row) {
        TPageUnit top = 2000 + row * 1300;
        for (int col = 0; col < 4; ++col) {
          TPageUnit left = 1000 + col * 4800;
          std::string text;
          switch ((row + col) % 4) {
            case 0: text = Utf8ToGB(labels[row % 4]); break;
            case 1: text = Utf8ToGB(names[(row + p) % 8]); break;
            case 2: text = "FA-" + std::to_string(100000 + p * 97 + row * 13 + col); break;
            default: {
              char amount[32];
              std::snprintf(amount, sizeof amount, "%d,%03d.%02d", 1 + (p * 7 + row) % 98, (p * 31 + col * 7) % 1000,
                            (row * 3 + p) % 100);
              text = amount;
            }
          }
          uint16_t flags = (col == 3) ? ptaRight : ptaLeft;
          page->AddText({left, top, left + 4600, top + 600}, flags | ptaVCenter, font, text);
        }
      }
      Store.AddPage(std::move(page));
    }
  }
};

TBenchPages& Pages() {
  static TBenchPages pages;
  return pages;
}

std::map<std::string, double> PagesPerSecond;

// The thread's processor time: other programs on a busy machine do not count.
double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

// Keeps the rate of the last (longest) run of a benchmark.
void Record(const std::string& Name, int64_t Pages, double Seconds) {
  if (Seconds > 0) PagesPerSecond[Name] = Pages / Seconds;
}

void BM_PageRender(benchmark::State& State) {
  int dpi = static_cast<int>(State.range(0));
  TBenchPages& pages = Pages();
  TPageRenderer renderer;
  TBitmap bitmap;
  int n = 0;
  double start = CpuSeconds();
  for (auto _ : State) {
    renderer.Render(*pages.Store.Page(n % PageVariants + 1), pages.Store.Resources(), dpi, bitmap);
    benchmark::DoNotOptimize(bitmap.ScanLine(0));
    ++n;
  }
  Record("render " + std::to_string(dpi), n, CpuSeconds() - start);
  State.counters["cpu pages/s"] = PagesPerSecond["render " + std::to_string(dpi)];
}

// The physical limit: texts laid out before timing, then per page only a
// white fill and coverage blended into the scan lines at the texts' places.
void BM_BareGlyphBlit(benchmark::State& State) {
  int dpi = static_cast<int>(State.range(0));
  TBenchPages& pages = Pages();
  TFont font;
  font.SetName(pages.Font.Name);
  font.SetCharset(pages.Font.Charset);
  font.SetPixelsPerInch(96);
  font.SetHeight(-static_cast<int>(pages.Font.Size * dpi / 72.0 + 0.5));
  struct TPlaced {
    TTextLayout Layout;
    int X, Y;
  };
  std::vector<std::vector<TPlaced>> laidOut(PageVariants);
  for (int p = 0; p < PageVariants; ++p) {
    const TPageMetafile& page = *pages.Store.Page(p + 1);
    for (const TPageRecord& rec : page.Records()) {
      TPlaced placed;
      TFontEngine::Instance().Layout(font, page.TextOf(rec), 96, placed.Layout);
      placed.X = PageToPixels(rec.Box.Left, dpi);
      placed.Y = PageToPixels(rec.Box.Top, dpi) + placed.Layout.Metrics.Ascent;
      laidOut[p].push_back(std::move(placed));
    }
  }
  int w = PageToPixels(21000, dpi), h = PageToPixels(29700, dpi);
  int stride = (w * 3 + 3) & ~3;
  std::vector<uint8_t> bits(static_cast<size_t>(stride) * h);
  int n = 0;
  double start = CpuSeconds();
  for (auto _ : State) {
    std::memset(bits.data(), 0xFF, bits.size());
    for (const TPlaced& t : laidOut[n % PageVariants])
      for (const TPlacedGlyph& pg : t.Layout.Glyphs) {
        const TGlyphImage& g = *pg.Glyph;
        int gx = t.X + pg.X + g.Left, gy = t.Y - g.Top;
        for (int r = 0; r < g.Rows; ++r) {
          uint8_t* d = bits.data() + static_cast<size_t>(gy + r) * stride + static_cast<size_t>(gx) * 3;
          const uint8_t* c = g.Coverage.data() + static_cast<size_t>(r) * g.Width;
          for (int x = 0; x < g.Width; ++x, d += 3) {
            unsigned a = c[x];
            if (!a) continue;
            unsigned keep = 255 - a;  // black text: the background times what the glyph leaves
            d[0] = static_cast<uint8_t>(d[0] * keep / 255);
            d[1] = static_cast<uint8_t>(d[1] * keep / 255);
            d[2] = static_cast<uint8_t>(d[2] * keep / 255);
          }
        }
      }
    benchmark::DoNotOptimize(bits.data());
    ++n;
  }
  Record("bare " + std::to_string(dpi), n, CpuSeconds() - start);
  State.counters["cpu pages/s"] = PagesPerSecond["bare " + std::to_string(dpi)];
}

BENCHMARK(BM_PageRender)->Arg(96)->Arg(200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareGlyphBlit)->Arg(96)->Arg(200)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Pages();  // built before any timing
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\nPages per second of processor time:\n%-6s %16s %17s %8s\n", "dpi", "renderer", "bare loop", "ratio");
  for (int dpi : {96, 200}) {
    auto r = PagesPerSecond.find("render " + std::to_string(dpi));
    auto b = PagesPerSecond.find("bare " + std::to_string(dpi));
    if (r == PagesPerSecond.end() || b == PagesPerSecond.end()) continue;
    std::printf("%-6d %16.0f %17.0f %7.0f%%\n", dpi, r->second, b->second, 100.0 * r->second / b->second);
  }
  return 0;
}
