#include "BitmoraImages.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace bitmora {
namespace {

constexpr int kFrame = 16;
// The transparent colour of every picture (its bottom-left pixel).
constexpr uint32_t kClear = 0x808000;  // olive, the classic glyph background
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGrey = 0x808080;
constexpr uint32_t kSilver = 0xC0C0C0;
constexpr uint32_t kNavy = 0x000080;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kMaroon = 0x800000;
constexpr uint32_t kYellow = 0xFFFF00;
constexpr uint32_t kGold = 0xC08000;
constexpr uint32_t kGreen = 0x008000;

// Draws into one frame of a strip.
class TPainter {
 public:
  TPainter(TImage& Image, int Frame) : FImage(Image), FX0(Frame * Image.Height) {}
  void Pixel(int X, int Y, uint32_t C) {
    if (X < 0 || Y < 0 || X >= kFrame || Y >= FImage.Height) return;
    FImage.Pixels[static_cast<size_t>(Y) * FImage.Width + FX0 + X] = C;
  }
  uint32_t Get(int X, int Y) const { return FImage.Pixels[static_cast<size_t>(Y) * FImage.Width + FX0 + X]; }
  // Right and bottom included.
  void Fill(int X1, int Y1, int X2, int Y2, uint32_t C) {
    for (int y = Y1; y <= Y2; ++y)
      for (int x = X1; x <= X2; ++x) Pixel(x, y, C);
  }
  void Frame(int X1, int Y1, int X2, int Y2, uint32_t C) {
    Line(X1, Y1, X2, Y1, C);
    Line(X1, Y2, X2, Y2, C);
    Line(X1, Y1, X1, Y2, C);
    Line(X2, Y1, X2, Y2, C);
  }
  void Box(int X1, int Y1, int X2, int Y2, uint32_t Border, uint32_t Inside) {
    Fill(X1, Y1, X2, Y2, Inside);
    Frame(X1, Y1, X2, Y2, Border);
  }
  void Line(int X1, int Y1, int X2, int Y2, uint32_t C) {
    int dx = std::abs(X2 - X1), sx = X1 < X2 ? 1 : -1;
    int dy = -std::abs(Y2 - Y1), sy = Y1 < Y2 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
      Pixel(X1, Y1, C);
      if (X1 == X2 && Y1 == Y2) break;
      int e2 = 2 * err;
      if (e2 >= dy) err += dy, X1 += sx;
      if (e2 <= dx) err += dx, Y1 += sy;
    }
  }
  void Circle(int CX, int CY, int R, uint32_t Border, int Inside = -1) {
    for (int y = -R; y <= R; ++y)
      for (int x = -R; x <= R; ++x) {
        int d = x * x + y * y;
        if (d <= R * R + R) {
          bool edge = d > (R - 1) * (R - 1) + (R - 1);
          if (edge)
            Pixel(CX + x, CY + y, Border);
          else if (Inside >= 0)
            Pixel(CX + x, CY + y, static_cast<uint32_t>(Inside));
        }
      }
  }
  // A solid triangle pointing left (Dir -1) or right (Dir 1) with its tip at
  // (TipX, CY).
  void Arrow(int TipX, int CY, int Size, int Dir, uint32_t C) {
    for (int i = 0; i < Size; ++i) Line(TipX - Dir * i, CY - i, TipX - Dir * i, CY + i, C);
  }

 private:
  TImage& FImage;
  int FX0;
};

// A sheet of paper with a folded corner.
void Paper(TPainter& P, int X1, int Y1, int X2, int Y2) {
  P.Box(X1, Y1, X2, Y2, kBlack, kWhite);
  P.Fill(X2 - 2, Y1, X2, Y1 + 2, kClear);
  P.Line(X2 - 3, Y1, X2 - 3, Y1 + 3, kBlack);
  P.Line(X2 - 3, Y1 + 3, X2, Y1 + 3, kBlack);
  P.Line(X2 - 3, Y1, X2, Y1 + 3, kBlack);
}

void Lines(TPainter& P, int X1, int X2, int Y1, int Y2) {
  for (int y = Y1; y <= Y2; y += 2) P.Line(X1, y, X2, y, kGrey);
}

void Magnifier(TPainter& P, int CX, int CY, int R) {
  P.Circle(CX, CY, R, kBlack, 0xE0FFFF);
  P.Pixel(CX - 1, CY - 1, kWhite);
  for (int i = 0; i < 4; ++i) {
    P.Line(CX + R - 1 + i, CY + R + i, CX + R + i, CY + R - 1 + i, kMaroon);
  }
}

void Open(TPainter& P) {
  P.Box(1, 4, 11, 13, kBlack, kGold);
  P.Fill(2, 3, 5, 3, kGold);
  P.Line(1, 3, 5, 3, kBlack);
  for (int y = 7; y <= 13; ++y) P.Line(4 + (13 - y) / 2, y, 14 - (13 - y) / 2 + 0, y, kYellow);
  P.Line(3, 13, 12, 13, kBlack);
  P.Line(4, 7, 14, 7, kBlack);
  P.Line(14, 7, 12, 13, kBlack);
}

void Save(TPainter& P) {
  P.Box(1, 1, 14, 14, kBlack, kNavy);
  P.Box(4, 1, 11, 6, kBlack, kWhite);
  P.Fill(4, 9, 11, 14, kSilver);
  P.Fill(6, 10, 7, 13, kNavy);
}

void Print(TPainter& P) {
  Paper(P, 4, 1, 11, 7);
  P.Box(1, 7, 14, 12, kBlack, kSilver);
  P.Pixel(12, 9, kGreen);
  P.Box(3, 11, 12, 14, kBlack, kWhite);
}

void Clear(TPainter& P) {
  // An eraser lying across a line of text.
  for (int i = 0; i < 6; ++i) P.Line(3 + i, 10 - i, 7 + i, 14 - i, i < 2 ? kWhite : kRed);
  P.Line(3, 10, 8, 5, kBlack);
  P.Line(8, 5, 12, 9, kBlack);
  P.Line(12, 9, 7, 14, kBlack);
  P.Line(7, 14, 3, 10, kBlack);
  P.Line(1, 15, 14, 15, kGrey);
  P.Line(1, 2, 6, 2, kNavy);
  P.Line(1, 3, 4, 3, kNavy);
}

void Lookup(TPainter& P) {
  // An ellipsis button: three dots in a raised box.
  P.Box(1, 3, 14, 12, kGrey, kSilver);
  P.Line(1, 3, 14, 3, kWhite);
  P.Line(1, 3, 1, 12, kWhite);
  for (int x : {4, 7, 10}) P.Fill(x, 9, x + 1, 10, kBlack);
}

void Calendar(TPainter& P) {
  P.Box(1, 2, 14, 14, kBlack, kWhite);
  P.Fill(2, 3, 13, 5, kRed);
  P.Fill(4, 1, 4, 3, kBlack);
  P.Fill(11, 1, 11, 3, kBlack);
  for (int y = 7; y <= 13; y += 2)
    for (int x = 3; x <= 12; x += 3) P.Fill(x, y, x + 1, y, kGrey);
  P.Fill(9, 9, 10, 9, kBlue);
}

void First(TPainter& P) {
  P.Fill(3, 3, 4, 12, kBlack);
  P.Arrow(5, 7, 5, -1, kBlack);
  P.Arrow(10, 7, 5, -1, kBlack);
}
void Prior(TPainter& P) { P.Arrow(5, 7, 6, -1, kBlack); }
void Next(TPainter& P) { P.Arrow(10, 7, 6, 1, kBlack); }
void Last(TPainter& P) {
  P.Fill(11, 3, 12, 12, kBlack);
  P.Arrow(10, 7, 5, 1, kBlack);
  P.Arrow(5, 7, 5, 1, kBlack);
}

void ZoomIn(TPainter& P) {
  Magnifier(P, 6, 6, 5);
  P.Line(4, 6, 8, 6, kBlack);
  P.Line(6, 4, 6, 8, kBlack);
}
void ZoomOut(TPainter& P) {
  Magnifier(P, 6, 6, 5);
  P.Line(4, 6, 8, 6, kBlack);
}

void Exit(TPainter& P) {
  P.Box(2, 1, 10, 14, kBlack, kGold);
  P.Fill(8, 7, 8, 8, kBlack);
  P.Line(10, 7, 14, 7, kGreen);
  P.Arrow(15, 7, 3, 1, kGreen);
}

void WholePage(TPainter& P) {
  Paper(P, 3, 1, 12, 14);
  Lines(P, 5, 10, 5, 12);
}
void PageWidth(TPainter& P) {
  Paper(P, 1, 3, 14, 12);
  Lines(P, 3, 12, 6, 10);
  P.Arrow(1, 7, 2, -1, kBlue);
  P.Arrow(14, 7, 2, 1, kBlue);
}

void Mail(TPainter& P) {
  P.Box(1, 3, 14, 12, kBlack, kWhite);
  P.Line(1, 3, 7, 8, kBlack);
  P.Line(14, 3, 8, 8, kBlack);
}

void Fax(TPainter& P) {
  Paper(P, 5, 1, 12, 7);
  P.Box(1, 6, 14, 14, kBlack, kSilver);
  P.Box(2, 8, 4, 13, kBlack, kGrey);
  for (int y = 9; y <= 12; y += 2)
    for (int x = 7; x <= 12; x += 2) P.Pixel(x, y, kBlack);
}

void Setup(TPainter& P) {
  // A page with a pencil: the layout settings.
  Paper(P, 1, 1, 10, 14);
  Lines(P, 3, 8, 5, 11);
  for (int i = 0; i < 7; ++i) P.Line(7 + i, 14 - i, 8 + i, 14 - i, i == 0 ? kBlack : kGold);
}

void DeleteRow(TPainter& P) {
  for (int i = 0; i < 3; ++i) {
    P.Line(3 + i, 3, 12, 12 - i, kRed);
    P.Line(3, 3 + i, 12 - i, 12, kRed);
    P.Line(12 - i, 3, 3, 12 - i, kRed);
    P.Line(12, 3 + i, 3 + i, 12, kRed);
  }
}

void NoteLookup(TPainter& P) {
  Paper(P, 1, 1, 10, 13);
  Lines(P, 3, 8, 4, 10);
  Magnifier(P, 10, 10, 3);
}

// The strip's disabled frame: the normal frame's drawn pixels in the
// shadow colour with a highlight below-right, the classic embossed look.
void Disabled(TImage& Image, int From, int To) {
  TPainter src(Image, From), dst(Image, To);
  for (int y = 0; y < Image.Height; ++y)
    for (int x = 0; x < kFrame; ++x) {
      uint32_t c = src.Get(x, y);
      if (c == kClear) continue;
      int sum = ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF);
      if (sum >= 384) continue;
      dst.Pixel(x + 1, y + 1, kWhite);
    }
  for (int y = 0; y < Image.Height; ++y)
    for (int x = 0; x < kFrame; ++x) {
      uint32_t c = src.Get(x, y);
      if (c == kClear) continue;
      int sum = ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF);
      if (sum < 384) dst.Pixel(x, y, kGrey);
    }
}

struct TImageDef {
  void (*Draw)(TPainter& P);
  int Frames;  // 2: a disabled look follows the normal one
};

// The numbers the windows use: 8 the lookup button, 9 the date quick-pick,
// 4 the clear-all button (with its disabled look), 47 the delete button, 81
// the footnote and sign-off lookups; 1-3, 5-7, 10-21 the preview and format
// windows' tool bars.
const std::map<int, TImageDef>& Images() {
  static const std::map<int, TImageDef> images = {
      {1, {Open, 1}},       {2, {Save, 1}},       {3, {Print, 1}},      {4, {Clear, 2}},
      {5, {Setup, 1}},      {6, {Mail, 1}},       {7, {Fax, 1}},        {8, {Lookup, 1}},
      {9, {Calendar, 1}},   {10, {First, 1}},     {11, {Prior, 1}},     {12, {Next, 1}},
      {13, {Last, 1}},      {14, {ZoomIn, 1}},    {15, {ZoomOut, 1}},   {16, {WholePage, 1}},
      {17, {PageWidth, 1}}, {21, {Exit, 1}},      {47, {DeleteRow, 1}}, {81, {NoteLookup, 1}},
  };
  return images;
}

}  // namespace

bool DrawImage(int Index, TImage& Out) {
  const auto& images = Images();
  auto it = images.find(Index);
  if (it == images.end()) return false;
  Out.Height = kFrame;
  Out.Width = kFrame * it->second.Frames;
  Out.Pixels.assign(static_cast<size_t>(Out.Width) * Out.Height, kClear);
  TPainter p(Out, 0);
  it->second.Draw(p);
  // The transparent colour is read from the bottom-left pixel: keep it clear.
  p.Pixel(0, kFrame - 1, kClear);
  for (int f = 1; f < it->second.Frames; ++f) Disabled(Out, 0, f);
  return true;
}

int MaxImageNumber() { return Images().rbegin()->first; }

std::vector<uint8_t> EncodeBmp(const TImage& Image) {
  const int stride = (Image.Width * 3 + 3) & ~3;
  const uint32_t dataSize = static_cast<uint32_t>(stride) * Image.Height;
  const uint32_t fileSize = 54 + dataSize;
  std::vector<uint8_t> out(fileSize, 0);
  auto put16 = [&](size_t At, uint32_t V) {
    out[At] = V & 0xFF;
    out[At + 1] = (V >> 8) & 0xFF;
  };
  auto put32 = [&](size_t At, uint32_t V) {
    put16(At, V & 0xFFFF);
    put16(At + 2, V >> 16);
  };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, fileSize);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(Image.Width));
  put32(22, static_cast<uint32_t>(Image.Height));
  put16(26, 1);
  put16(28, 24);
  put32(34, dataSize);
  put32(38, 3780);  // 96 pixels per inch
  put32(42, 3780);
  for (int y = 0; y < Image.Height; ++y) {
    // Rows are stored from the bottom.
    uint8_t* row = out.data() + 54 + static_cast<size_t>(Image.Height - 1 - y) * stride;
    for (int x = 0; x < Image.Width; ++x) {
      uint32_t c = Image.Pixels[static_cast<size_t>(y) * Image.Width + x];
      row[x * 3] = c & 0xFF;
      row[x * 3 + 1] = (c >> 8) & 0xFF;
      row[x * 3 + 2] = (c >> 16) & 0xFF;
    }
  }
  return out;
}

}  // namespace bitmora
