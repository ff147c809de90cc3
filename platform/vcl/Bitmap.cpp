#include "platform/vcl/Bitmap.h"

#include <png.h>

#include <algorithm>
#include <cctype>
#include <csetjmp>
#include <cstring>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Files.h"
#include "platform/vcl/FontEngine.h"

namespace {

uint32_t RgbOf(TColor Color) { return static_cast<uint32_t>(ColorToRGB(Color)) & 0xFFFFFF; }

inline int R(uint32_t C) { return C & 0xFF; }
inline int G(uint32_t C) { return (C >> 8) & 0xFF; }
inline int B(uint32_t C) { return (C >> 16) & 0xFF; }
inline uint32_t MakeRgb(int r, int g, int b) {
  return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) |
         (static_cast<uint32_t>(b) << 16);
}

int FormatBits(TPixelFormat F) {
  switch (F) {
    case pf1bit: return 1;
    case pf15bit:
    case pf16bit: return 16;
    case pf32bit: return 32;
    default: return 24;
  }
}

int StrideOf(int Width, TPixelFormat F) { return ((Width * FormatBits(F) + 31) / 32) * 4; }

// 0 or 1: the nearer of the two palette colours.
int NearestMono(uint32_t Rgb, const std::array<TColor, 2>& Palette) {
  auto dist = [&](TColor c) {
    uint32_t p = RgbOf(c);
    int dr = R(p) - R(Rgb), dg = G(p) - G(Rgb), db = B(p) - B(Rgb);
    return dr * dr + dg * dg + db * db;
  };
  return dist(Palette[1]) < dist(Palette[0]) ? 1 : 0;
}

// 16-bit channels read back with their low bits clear, as the desktop's
// GetPixel answers (white in 5-6-5 is 0xF8FCF8).
uint32_t Expand5(int v) { return static_cast<uint32_t>(v << 3); }
uint32_t Expand6(int v) { return static_cast<uint32_t>(v << 2); }

// The colour a format stores for Rgb.
uint32_t Quantize(uint32_t Rgb, TPixelFormat F, const std::array<TColor, 2>& Palette) {
  switch (F) {
    case pf1bit: return RgbOf(Palette[NearestMono(Rgb, Palette)]);
    case pf15bit: return MakeRgb(Expand5(R(Rgb) >> 3), Expand5(G(Rgb) >> 3), Expand5(B(Rgb) >> 3));
    case pf16bit: return MakeRgb(Expand5(R(Rgb) >> 3), Expand6(G(Rgb) >> 2), Expand5(B(Rgb) >> 3));
    default: return Rgb;
  }
}

// One ternary raster operation on 24-bit values: bit i of Code is the result
// for pattern bit (i & 4), source bit (i & 2) and destination bit (i & 1).
uint32_t Rop3(uint8_t Code, uint32_t P, uint32_t S, uint32_t D) {
  switch (Code) {
    case 0xCC: return S;
    case 0xF0: return P;
    case 0xAA: return D;
    default: break;
  }
  uint32_t r = 0;
  for (int i = 0; i < 8; ++i)
    if (Code & (1u << i)) r |= ((i & 4) ? P : ~P) & ((i & 2) ? S : ~S) & ((i & 1) ? D : ~D);
  return r & 0xFFFFFF;
}

uint32_t PenModeOp(TPenMode Mode, uint32_t P, uint32_t D) {
  uint32_t r;
  switch (Mode) {
    case pmBlack: r = 0; break;
    case pmWhite: r = 0xFFFFFF; break;
    case pmNop: r = D; break;
    case pmNot: r = ~D; break;
    case pmCopy: r = P; break;
    case pmNotCopy: r = ~P; break;
    case pmMergePenNot: r = P | ~D; break;
    case pmMaskPenNot: r = P & ~D; break;
    case pmMergeNotPen: r = ~P | D; break;
    case pmMaskNotPen: r = ~P & D; break;
    case pmMerge: r = P | D; break;
    case pmNotMerge: r = ~(P | D); break;
    case pmMask: r = P & D; break;
    case pmNotMask: r = ~(P & D); break;
    case pmXor: r = P ^ D; break;
    case pmNotXor: r = ~(P ^ D); break;
    default: r = P; break;
  }
  return r & 0xFFFFFF;
}

// Whether a hatched brush paints (X, Y) (device coordinates, 8-pixel cells).
bool HatchAt(TBrushStyle Style, int X, int Y) {
  int x = X & 7, y = Y & 7;
  switch (Style) {
    case bsHorizontal: return y == 0;
    case bsVertical: return x == 0;
    case bsFDiagonal: return x == y;
    case bsBDiagonal: return x == 7 - y;
    case bsCross: return x == 0 || y == 0;
    case bsDiagCross: return x == y || x == 7 - y;
    default: return true;
  }
}

// ---- Little-endian readers and writers for BMP ----------------------------

uint32_t Le32(const uint8_t* P) {
  return P[0] | (P[1] << 8) | (P[2] << 16) | (static_cast<uint32_t>(P[3]) << 24);
}
uint16_t Le16(const uint8_t* P) { return static_cast<uint16_t>(P[0] | (P[1] << 8)); }
void Put32(AnsiString& S, uint32_t V) {
  for (int i = 0; i < 4; ++i) S += static_cast<char>((V >> (8 * i)) & 0xFF);
}
void Put16(AnsiString& S, uint16_t V) {
  S += static_cast<char>(V & 0xFF);
  S += static_cast<char>(V >> 8);
}

[[noreturn]] void BadBitmap() { throw EInvalidGraphic("Bitmap image is not valid"); }

int MaskShift(uint32_t Mask) {
  int s = 0;
  while (Mask && !(Mask & 1)) {
    Mask >>= 1;
    ++s;
  }
  return s;
}
int MaskBits(uint32_t Mask) {
  Mask >>= MaskShift(Mask);
  int n = 0;
  while (Mask & 1) {
    Mask >>= 1;
    ++n;
  }
  return n;
}
// The 8-bit value of a channel Mask picks out of Pixel.
int Channel(uint32_t Pixel, uint32_t Mask) {
  if (!Mask) return 0;
  int bits = MaskBits(Mask);
  uint32_t v = (Pixel & Mask) >> MaskShift(Mask);
  if (bits >= 8) return static_cast<int>(v >> (bits - 8));
  uint32_t max = (1u << bits) - 1;
  return static_cast<int>((v * 255 + max / 2) / max);
}

}  // namespace

// ============================================================================
// TBitmap
// ============================================================================

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int Width, int Height, TPixelFormat Format) {
  SetPixelFormat(Format);
  SetSize(Width, Height);
}

TBitmap::~TBitmap() = default;

int TBitmap::BitsPerPixel() const { return FormatBits(FFormat); }

void TBitmap::Reallocate(int AWidth, int AHeight, TPixelFormat Format, std::vector<uint8_t>& Bits,
                         int& Stride) const {
  Stride = StrideOf(AWidth, Format);
  Bits.assign(static_cast<size_t>(Stride) * AHeight, 0);
}

void TBitmap::SetSize(int AWidth, int AHeight) {
  AWidth = std::max(0, AWidth);
  AHeight = std::max(0, AHeight);
  if (AWidth == FWidth && AHeight == FHeight) return;
  // Larger than any page the drawing layer makes; refuses sizes that overflow.
  if (static_cast<int64_t>(AWidth) * AHeight > (int64_t{1} << 28))
    throw EInvalidGraphic("Bitmap is too large");
  TBitmap old;
  old.FWidth = FWidth;
  old.FHeight = FHeight;
  old.FFormat = FFormat;
  old.FStride = FStride;
  old.FBits.swap(FBits);
  old.FMonoPalette = FMonoPalette;
  FWidth = AWidth;
  FHeight = AHeight;
  Reallocate(FWidth, FHeight, FFormat, FBits, FStride);
  for (int y = 0; y < FHeight; ++y)
    for (int x = 0; x < FWidth; ++x)
      PutRgb(x, y, (x < old.FWidth && y < old.FHeight) ? old.GetRgb(x, y) : 0xFFFFFF);
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == pfDevice) Value = pf24bit;
  if (Value != pf1bit && Value != pf15bit && Value != pf16bit && Value != pf24bit &&
      Value != pf32bit)
    throw EInvalidGraphic("Pixel format is not supported");
  if (Value == FFormat) return;
  std::vector<uint8_t> bits;
  int stride;
  Reallocate(FWidth, FHeight, Value, bits, stride);
  TBitmap converted;
  converted.FWidth = FWidth;
  converted.FHeight = FHeight;
  converted.FFormat = Value;
  converted.FStride = stride;
  converted.FBits.swap(bits);
  for (int y = 0; y < FHeight; ++y)
    for (int x = 0; x < FWidth; ++x) converted.PutRgb(x, y, GetRgb(x, y));
  FFormat = Value;
  FStride = stride;
  FBits.swap(converted.FBits);
  if (Value == pf1bit) FMonoPalette = {clBlack, clWhite};
}

uint8_t* TBitmap::ScanLine(int Y) {
  if (Y < 0 || Y >= FHeight) throw EInvalidGraphic("Scan line index out of range");
  return FBits.data() + static_cast<size_t>(Y) * FStride;
}

const uint8_t* TBitmap::ScanLine(int Y) const { return const_cast<TBitmap*>(this)->ScanLine(Y); }

uint32_t TBitmap::GetRgb(int X, int Y) const {
  const uint8_t* row = FBits.data() + static_cast<size_t>(Y) * FStride;
  switch (FFormat) {
    case pf1bit: return RgbOf(FMonoPalette[(row[X >> 3] >> (7 - (X & 7))) & 1]);
    case pf15bit: {
      int v = Le16(row + 2 * X);
      return MakeRgb(Expand5((v >> 10) & 31), Expand5((v >> 5) & 31), Expand5(v & 31));
    }
    case pf16bit: {
      int v = Le16(row + 2 * X);
      return MakeRgb(Expand5((v >> 11) & 31), Expand6((v >> 5) & 63), Expand5(v & 31));
    }
    case pf32bit: {
      const uint8_t* p = row + 4 * X;
      return MakeRgb(p[2], p[1], p[0]);
    }
    default: {
      const uint8_t* p = row + 3 * X;
      return MakeRgb(p[2], p[1], p[0]);
    }
  }
}

void TBitmap::PutRgb(int X, int Y, uint32_t Rgb) {
  uint8_t* row = FBits.data() + static_cast<size_t>(Y) * FStride;
  switch (FFormat) {
    case pf1bit: {
      uint8_t bit = static_cast<uint8_t>(0x80 >> (X & 7));
      if (NearestMono(Rgb, FMonoPalette))
        row[X >> 3] |= bit;
      else
        row[X >> 3] &= static_cast<uint8_t>(~bit);
      break;
    }
    case pf15bit: {
      int v = ((R(Rgb) >> 3) << 10) | ((G(Rgb) >> 3) << 5) | (B(Rgb) >> 3);
      row[2 * X] = static_cast<uint8_t>(v);
      row[2 * X + 1] = static_cast<uint8_t>(v >> 8);
      break;
    }
    case pf16bit: {
      int v = ((R(Rgb) >> 3) << 11) | ((G(Rgb) >> 2) << 5) | (B(Rgb) >> 3);
      row[2 * X] = static_cast<uint8_t>(v);
      row[2 * X + 1] = static_cast<uint8_t>(v >> 8);
      break;
    }
    case pf32bit: {
      uint8_t* p = row + 4 * X;
      p[0] = static_cast<uint8_t>(B(Rgb));
      p[1] = static_cast<uint8_t>(G(Rgb));
      p[2] = static_cast<uint8_t>(R(Rgb));
      p[3] = 0;
      break;
    }
    default: {
      uint8_t* p = row + 3 * X;
      p[0] = static_cast<uint8_t>(B(Rgb));
      p[1] = static_cast<uint8_t>(G(Rgb));
      p[2] = static_cast<uint8_t>(R(Rgb));
      break;
    }
  }
}

TColor TBitmap::Pixel(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return -1;
  return static_cast<TColor>(GetRgb(X, Y));
}

void TBitmap::SetPixel(int X, int Y, TColor Color) {
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return;
  PutRgb(X, Y, RgbOf(Color));
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TCanvas>(this);
  return FCanvas.get();
}

const TCanvas* TBitmap::Canvas() const { return const_cast<TBitmap*>(this)->Canvas(); }

TColor TBitmap::TransparentColor() const {
  if (FTransparentMode == tmFixed) return FTransparentColor;
  if (Empty()) return clDefault;
  return Pixel(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor Value) {
  FTransparentColor = Value;
  FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
}

void TBitmap::Assign(const TPersistent* Source) {
  if (Source == nullptr) {
    FWidth = FHeight = FStride = 0;
    FBits.clear();
    return;
  }
  if (const TBitmap* b = ObjectAs<TBitmap>(Source)) {
    if (b == this) return;
    FWidth = b->FWidth;
    FHeight = b->FHeight;
    FFormat = b->FFormat;
    FStride = b->FStride;
    FBits = b->FBits;
    FMonoPalette = b->FMonoPalette;
    FTransparent = b->FTransparent;
    FTransparentMode = b->FTransparentMode;
    FTransparentColor = b->FTransparentColor;
    return;
  }
  TPersistent::Assign(Source);
}

// ---- BMP ------------------------------------------------------------------

void TBitmap::LoadFromBytes(const AnsiString& Bytes) {
  const auto* data = reinterpret_cast<const uint8_t*>(Bytes.data());
  size_t size = Bytes.size();
  if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M') BadBitmap();
  uint32_t offBits = Le32(data + 10);
  uint32_t hdrSize = Le32(data + 14);
  if (hdrSize < 12 || 14 + static_cast<size_t>(hdrSize) > size) BadBitmap();
  const uint8_t* h = data + 14;
  int64_t width, height;
  int bpp;
  uint32_t compression = 0, clrUsed = 0;
  int paletteEntrySize = 4;
  if (hdrSize == 12) {  // the old core header
    width = Le16(h + 4);
    height = static_cast<int16_t>(Le16(h + 6));
    bpp = Le16(h + 10);
    paletteEntrySize = 3;
  } else {
    if (hdrSize < 40) BadBitmap();
    width = static_cast<int32_t>(Le32(h + 4));
    height = static_cast<int32_t>(Le32(h + 8));
    bpp = Le16(h + 14);
    compression = Le32(h + 16);
    clrUsed = Le32(h + 32);
  }
  bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0 || width * height > (int64_t{1} << 28)) BadBitmap();
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) BadBitmap();

  uint32_t rMask = 0, gMask = 0, bMask = 0;
  if (compression == 3) {  // bit fields
    if (bpp != 16 && bpp != 32) BadBitmap();
    const uint8_t* m = h + 40;
    if (hdrSize == 40) {
      if (14 + 40 + 12 > size) BadBitmap();
    }
    rMask = Le32(m);
    gMask = Le32(m + 4);
    bMask = Le32(m + 8);
  } else if (compression != 0) {
    throw EInvalidGraphic("Compressed bitmaps are not supported");
  } else if (bpp == 16) {
    rMask = 0x7C00, gMask = 0x03E0, bMask = 0x001F;
  } else if (bpp == 32) {
    rMask = 0xFF0000, gMask = 0xFF00, bMask = 0xFF;
  }

  std::vector<uint32_t> palette;
  if (bpp <= 8) {
    size_t count = clrUsed ? clrUsed : (size_t{1} << bpp);
    if (count > (size_t{1} << bpp)) BadBitmap();
    size_t palOffset = 14 + hdrSize + (compression == 3 && hdrSize == 40 ? 12 : 0);
    if (palOffset + count * paletteEntrySize > size) BadBitmap();
    for (size_t i = 0; i < count; ++i) {
      const uint8_t* p = data + palOffset + i * paletteEntrySize;
      palette.push_back(MakeRgb(p[2], p[1], p[0]));
    }
    palette.resize(size_t{1} << bpp, 0);
  }

  size_t srcStride = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
  if (offBits > size || srcStride * static_cast<size_t>(height) > size - offBits) BadBitmap();

  TPixelFormat format = pf24bit;
  if (bpp == 1)
    format = pf1bit;
  else if (bpp == 16)
    format = (rMask == 0x7C00 && gMask == 0x03E0 && bMask == 0x1F) ? pf15bit
             : (rMask == 0xF800 && gMask == 0x07E0 && bMask == 0x1F) ? pf16bit
                                                                      : pf24bit;
  else if (bpp == 32)
    format = pf32bit;

  TBitmap loaded;
  loaded.FFormat = format;
  loaded.FWidth = static_cast<int>(width);
  loaded.FHeight = static_cast<int>(height);
  Reallocate(loaded.FWidth, loaded.FHeight, format, loaded.FBits, loaded.FStride);
  if (format == pf1bit) loaded.FMonoPalette = {static_cast<TColor>(palette[0]),
                                               static_cast<TColor>(palette[1])};
  for (int y = 0; y < loaded.FHeight; ++y) {
    int srcRow = topDown ? y : loaded.FHeight - 1 - y;
    const uint8_t* row = data + offBits + static_cast<size_t>(srcRow) * srcStride;
    if ((format == pf1bit) || (format == pf15bit && bpp == 16) || (format == pf16bit) ||
        (format == pf24bit && bpp == 24)) {
      std::memcpy(loaded.FBits.data() + static_cast<size_t>(y) * loaded.FStride, row,
                  std::min<size_t>(srcStride, loaded.FStride));
      continue;
    }
    for (int x = 0; x < loaded.FWidth; ++x) {
      uint32_t rgb;
      switch (bpp) {
        case 4: rgb = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]; break;
        case 8: rgb = palette[row[x]]; break;
        case 16: {
          uint32_t v = Le16(row + 2 * x);
          rgb = MakeRgb(Channel(v, rMask), Channel(v, gMask), Channel(v, bMask));
          break;
        }
        case 32: {
          uint32_t v = Le32(row + 4 * x);
          rgb = MakeRgb(Channel(v, rMask), Channel(v, gMask), Channel(v, bMask));
          break;
        }
        default: rgb = MakeRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]); break;
      }
      loaded.PutRgb(x, y, rgb);
    }
  }
  FWidth = loaded.FWidth;
  FHeight = loaded.FHeight;
  FFormat = loaded.FFormat;
  FStride = loaded.FStride;
  FBits.swap(loaded.FBits);
  FMonoPalette = loaded.FMonoPalette;
}

void TBitmap::LoadFromFile(const AnsiString& FileName) {
  AnsiString bytes;
  if (!ReadFileBytes(FileName, bytes))
    throw EFOpenError("Cannot open file \"" + FileName + "\". " + SysErrorMessage(GetLastOSError()));
  LoadFromBytes(bytes);
}

AnsiString TBitmap::SaveToBytes() const {
  int bpp = FormatBits(FFormat);
  bool bitFields = FFormat == pf16bit;
  uint32_t paletteSize = FFormat == pf1bit ? 8 : 0;
  uint32_t headerSize = 14 + 40 + (bitFields ? 12 : 0) + paletteSize;
  uint32_t imageSize = static_cast<uint32_t>(FStride) * FHeight;
  AnsiString out;
  out.reserve(headerSize + imageSize);
  out += "BM";
  Put32(out, headerSize + imageSize);
  Put32(out, 0);
  Put32(out, headerSize);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(FWidth));
  Put32(out, static_cast<uint32_t>(FHeight));  // bottom-up
  Put16(out, 1);
  Put16(out, static_cast<uint16_t>(bpp));
  Put32(out, bitFields ? 3 : 0);
  Put32(out, imageSize);
  int ppm = static_cast<int>(Canvas()->PixelsPerInch() * 10000 / 254);
  Put32(out, static_cast<uint32_t>(ppm));
  Put32(out, static_cast<uint32_t>(ppm));
  Put32(out, FFormat == pf1bit ? 2 : 0);
  Put32(out, 0);
  if (bitFields) {
    Put32(out, 0xF800);
    Put32(out, 0x07E0);
    Put32(out, 0x001F);
  }
  if (FFormat == pf1bit)
    for (TColor c : FMonoPalette) {
      uint32_t rgb = RgbOf(c);
      out += static_cast<char>(B(rgb));
      out += static_cast<char>(G(rgb));
      out += static_cast<char>(R(rgb));
      out += '\0';
    }
  for (int y = FHeight - 1; y >= 0; --y)
    out.append(reinterpret_cast<const char*>(FBits.data()) + static_cast<size_t>(y) * FStride,
               FStride);
  return out;
}

namespace {
bool EndsWithPng(const AnsiString& FileName) {
  AnsiString ext = ExtractFileExt(FileName);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".png";
}

void WriteBytes(const AnsiString& FileName, const AnsiString& Bytes) {
  if (!WriteFileBytes(FileName, Bytes))
    throw EFCreateError("Cannot create file \"" + FileName + "\". " +
                        SysErrorMessage(GetLastOSError()));
}

void PngWrite(png_structp Png, png_bytep Data, png_size_t Length) {
  static_cast<AnsiString*>(png_get_io_ptr(Png))->append(reinterpret_cast<const char*>(Data), Length);
}
void PngFlush(png_structp) {}

// libpng reports errors by a long jump; this keeps C++ objects out of the
// function that sets the jump target.
bool EncodePng(AnsiString* Out, int Width, int Height, int Ppi, png_bytep* Rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, Out, PngWrite, PngFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(Width), static_cast<png_uint_32>(Height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_uint_32 ppm = static_cast<png_uint_32>(Ppi * 10000 / 254);
  png_set_pHYs(png, info, ppm, ppm, PNG_RESOLUTION_METER);
  png_write_info(png, info);
  png_write_image(png, Rows);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}
}  // namespace

void TBitmap::SaveToFile(const AnsiString& FileName) const {
  if (EndsWithPng(FileName))
    SaveToPngFile(FileName);
  else
    WriteBytes(FileName, SaveToBytes());
}

AnsiString TBitmap::SaveToPngBytes() const {
  if (Empty()) throw EInvalidGraphic("Cannot save an empty bitmap as PNG");
  std::vector<uint8_t> rgb(static_cast<size_t>(FWidth) * FHeight * 3);
  std::vector<png_bytep> rows(FHeight);
  for (int y = 0; y < FHeight; ++y) {
    uint8_t* row = rgb.data() + static_cast<size_t>(y) * FWidth * 3;
    rows[y] = row;
    for (int x = 0; x < FWidth; ++x) {
      uint32_t c = GetRgb(x, y);
      row[3 * x] = static_cast<uint8_t>(R(c));
      row[3 * x + 1] = static_cast<uint8_t>(G(c));
      row[3 * x + 2] = static_cast<uint8_t>(B(c));
    }
  }
  AnsiString out;
  if (!EncodePng(&out, FWidth, FHeight, Canvas()->PixelsPerInch(), rows.data()))
    throw EInvalidGraphic("The PNG encoder failed");
  return out;
}

void TBitmap::SaveToPngFile(const AnsiString& FileName) const {
  WriteBytes(FileName, SaveToPngBytes());
}

// ============================================================================
// TCanvas
// ============================================================================

TCanvas::TCanvas(TBitmap* Bitmap)
    : FBitmap(Bitmap),
      FFont(std::make_unique<TFont>()),
      FBrush(std::make_unique<TBrush>()),
      FPen(std::make_unique<TPen>()) {
  // A canvas starts with black text, as a fresh device context does.
  FFont->SetColor(clBlack);
}

TCanvas::~TCanvas() = default;

void TCanvas::SetFont(const TFont* Value) { FFont->Assign(Value); }
void TCanvas::SetBrush(const TBrush* Value) { FBrush->Assign(Value); }
void TCanvas::SetPen(const TPen* Value) { FPen->Assign(Value); }

void TCanvas::Assign(const TPersistent* Source) {
  if (const TCanvas* c = ObjectAs<TCanvas>(Source)) {
    FFont->Assign(c->FFont.get());
    FBrush->Assign(c->FBrush.get());
    FPen->Assign(c->FPen.get());
    FCopyMode = c->FCopyMode;
    FTextColor = c->FTextColor;
    FBkColor = c->FBkColor;
    FPixelsPerInch = c->FPixelsPerInch;
    return;
  }
  TPersistent::Assign(Source);
}

TRect TCanvas::ClipRect() const {
  TRect all{0, 0, FBitmap->Width(), FBitmap->Height()};
  return FClipSet ? IntersectRect(FClip, all) : all;
}

void TCanvas::SetClipRect(const TRect& DeviceRect) {
  FClip = DeviceRect;
  FClipSet = true;
}

void TCanvas::ResetClip() { FClipSet = false; }

TColor TCanvas::Pixel(int X, int Y) const { return FBitmap->Pixel(X + FOrigin.X, Y + FOrigin.Y); }

void TCanvas::SetPixel(int X, int Y, TColor Color) {
  X += FOrigin.X;
  Y += FOrigin.Y;
  if (!ClipRect().Contains(X, Y)) return;
  FBitmap->PutRgb(X, Y, RgbOf(Color));
}

void TCanvas::PlotPen(int X, int Y, uint32_t Rgb) {
  // Device coordinates.
  int w = FPen->Width();
  TRect clip = ClipRect();
  int x0 = X - (w - 1) / 2, y0 = Y - (w - 1) / 2;
  for (int y = y0; y < y0 + w; ++y)
    for (int x = x0; x < x0 + w; ++x) {
      if (!clip.Contains(x, y)) continue;
      uint32_t v = FPen->Mode() == pmCopy ? Rgb : PenModeOp(FPen->Mode(), Rgb, FBitmap->GetRgb(x, y));
      FBitmap->PutRgb(x, y, v);
    }
}

void TCanvas::LineTo(int X, int Y) {
  TPoint from = FPenPos;
  FPenPos = {X, Y};
  if (FPen->Style() == psClear) return;
  uint32_t rgb = RgbOf(FPen->Color());
  int x0 = from.X + FOrigin.X, y0 = from.Y + FOrigin.Y;
  int x1 = X + FOrigin.X, y1 = Y + FOrigin.Y;
  // Dash patterns of a one-pixel pen (on, off, on, off ...).
  static const std::vector<int> kDash{18, 6}, kDot{3, 3}, kDashDot{9, 6, 3, 6},
      kDashDotDot{9, 3, 3, 3, 3, 3};
  const std::vector<int>* pattern = nullptr;
  if (FPen->Width() == 1) switch (FPen->Style()) {
      case psDash: pattern = &kDash; break;
      case psDot: pattern = &kDot; break;
      case psDashDot: pattern = &kDashDot; break;
      case psDashDotDot: pattern = &kDashDotDot; break;
      default: break;
    }
  int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
  int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  int step = 0;
  while (x0 != x1 || y0 != y1) {
    bool on = true;
    if (pattern) {
      int total = 0;
      for (int v : *pattern) total += v;
      int pos = step % total, seg = 0;
      for (size_t i = 0; i < pattern->size(); ++i) {
        seg += (*pattern)[i];
        if (pos < seg) {
          on = (i % 2) == 0;
          break;
        }
      }
    }
    if (on) PlotPen(x0, y0, rgb);
    ++step;
    int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

void TCanvas::Polyline(const std::vector<TPoint>& Points) {
  if (Points.empty()) return;
  MoveTo(Points[0].X, Points[0].Y);
  for (size_t i = 1; i < Points.size(); ++i) LineTo(Points[i].X, Points[i].Y);
}

void TCanvas::HLine(int X1, int X2, int Y, uint32_t Rgb) {
  TRect clip = ClipRect();
  if (Y < clip.Top || Y >= clip.Bottom) return;
  for (int x = std::max(X1, clip.Left); x < std::min(X2, clip.Right); ++x)
    FBitmap->PutRgb(x, Y, Rgb);
}

void TCanvas::FillRect(const TRect& R) {
  if (FBrush->Style() == bsClear) return;
  TRect d = IntersectRect(OffsetRect(R, FOrigin.X, FOrigin.Y), ClipRect());
  if (d.IsEmpty()) return;
  uint32_t rgb = RgbOf(FBrush->Color());
  bool solid = FBrush->Style() == bsSolid;
  for (int y = d.Top; y < d.Bottom; ++y)
    for (int x = d.Left; x < d.Right; ++x)
      if (solid || HatchAt(FBrush->Style(), x, y)) FBitmap->PutRgb(x, y, rgb);
}

void TCanvas::FrameRect(const TRect& R) {
  if (R.IsEmpty() || FBrush->Style() == bsClear) return;
  FillRect({R.Left, R.Top, R.Right, R.Top + 1});
  FillRect({R.Left, R.Bottom - 1, R.Right, R.Bottom});
  FillRect({R.Left, R.Top, R.Left + 1, R.Bottom});
  FillRect({R.Right - 1, R.Top, R.Right, R.Bottom});
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  if (X2 < X1) std::swap(X1, X2);
  if (Y2 < Y1) std::swap(Y1, Y2);
  int w = FPen->Style() == psClear ? 0 : FPen->Width();
  FillRect({X1 + w, Y1 + w, X2 - w, Y2 - w});
  if (w == 0) return;
  if (FPen->Width() == 1 && FPen->Style() != psSolid && FPen->Style() != psInsideFrame) {
    Polyline({{X1, Y1}, {X2 - 1, Y1}, {X2 - 1, Y2 - 1}, {X1, Y2 - 1}, {X1, Y1}});
    return;
  }
  // A frame of the pen's width inside the rectangle.
  uint32_t rgb = RgbOf(FPen->Color());
  TRect d = OffsetRect({X1, Y1, X2, Y2}, FOrigin.X, FOrigin.Y);
  TRect clip = ClipRect();
  for (int y = d.Top; y < d.Bottom; ++y)
    for (int x = d.Left; x < d.Right; ++x) {
      bool frame = x < d.Left + w || x >= d.Right - w || y < d.Top + w || y >= d.Bottom - w;
      if (!frame || !clip.Contains(x, y)) continue;
      uint32_t v = FPen->Mode() == pmCopy ? rgb : PenModeOp(FPen->Mode(), rgb, FBitmap->GetRgb(x, y));
      FBitmap->PutRgb(x, y, v);
    }
}

// ---- Text -----------------------------------------------------------------

TSize TCanvas::TextExtent(const AnsiString& Text) const {
  return TFontEngine::Instance().TextExtent(*FFont, Text, FPixelsPerInch);
}

TSize TCanvas::DrawTextLine(int X, int Y, const AnsiString& Text, const TRect& Clip,
                            int PrefixIndex, bool Opaque) {
  // X, Y and Clip in device coordinates.
  TTextLayout layout;
  TFontEngine::Instance().Layout(*FFont, Text, FPixelsPerInch, layout);
  if (Opaque) {
    TRect back = IntersectRect(Bounds(X, Y, layout.Width, layout.Metrics.Height), Clip);
    uint32_t rgb = RgbOf(FBrush->Color());
    for (int y = back.Top; y < back.Bottom; ++y) HLine(back.Left, back.Right, y, rgb);
  }
  uint32_t fg = RgbOf(FFont->Color());
  int baseline = Y + layout.Metrics.Ascent;
  bool mono = FBitmap->FFormat == pf1bit;
  for (const TPlacedGlyph& pg : layout.Glyphs) {
    const TGlyphImage& g = *pg.Glyph;
    int gx = X + pg.X + g.Left, gy = baseline - g.Top;
    for (int row = 0; row < g.Rows; ++row) {
      int y = gy + row;
      if (y < Clip.Top || y >= Clip.Bottom) continue;
      const uint8_t* cov = g.Coverage.data() + static_cast<size_t>(row) * g.Width;
      for (int col = 0; col < g.Width; ++col) {
        int x = gx + col;
        unsigned a = cov[col];
        if (a == 0 || x < Clip.Left || x >= Clip.Right) continue;
        if (mono) {
          if (a >= 128) FBitmap->PutRgb(x, y, fg);
          continue;
        }
        if (a == 255) {
          FBitmap->PutRgb(x, y, fg);
          continue;
        }
        uint32_t d = FBitmap->GetRgb(x, y);
        auto mix = [a](int f, int b) { return static_cast<int>(b + ((f - b) * static_cast<int>(a) + 127) / 255); };
        FBitmap->PutRgb(x, y, MakeRgb(mix(R(fg), R(d)), mix(G(fg), G(d)), mix(B(fg), B(d))));
      }
    }
  }
  // Underline and strike-out lines, and the underline of an accelerator
  // character.
  int thickness = std::max(1, (layout.Metrics.Height - layout.Metrics.InternalLeading) / 14);
  auto bar = [&](int x1, int x2, int y) {
    for (int t = 0; t < thickness; ++t) {
      int yy = y + t;
      if (yy < Clip.Top || yy >= Clip.Bottom) continue;
      for (int x = std::max(x1, Clip.Left); x < std::min(x2, Clip.Right); ++x)
        FBitmap->PutRgb(x, yy, fg);
    }
  };
  int underlineY = baseline + std::max(1, layout.Metrics.Descent / 3);
  if (FFont->Style().Contains(fsUnderline)) bar(X, X + layout.Width, underlineY);
  if (FFont->Style().Contains(fsStrikeOut))
    bar(X, X + layout.Width, baseline - layout.Metrics.Ascent / 3);
  if (PrefixIndex >= 0 && PrefixIndex < static_cast<int>(layout.Glyphs.size())) {
    int x1 = X + layout.Glyphs[PrefixIndex].X;
    int x2 = x1 + layout.Glyphs[PrefixIndex].Glyph->Advance;
    bar(x1, x2, underlineY);
  }
  return {layout.Width, layout.Metrics.Height};
}

void TCanvas::TextOut(int X, int Y, const AnsiString& Text) {
  TSize size = DrawTextLine(X + FOrigin.X, Y + FOrigin.Y, Text, ClipRect(), -1,
                            FBrush->Style() != bsClear);
  FPenPos = {X + size.cx, Y};
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const AnsiString& Text) {
  FillRect(R);
  TRect clip = IntersectRect(OffsetRect(R, FOrigin.X, FOrigin.Y), ClipRect());
  if (clip.IsEmpty()) return;
  DrawTextLine(X + FOrigin.X, Y + FOrigin.Y, Text, clip, -1);
}

namespace {
struct TLine {
  AnsiString Text;
  int Prefix = -1;  // character index to underline
};

// Removes the "&" marks: "&&" is one "&", "&x" underlines x.
AnsiString StripPrefix(const AnsiString& Text, unsigned CodePage, int& PrefixChar) {
  AnsiString out;
  PrefixChar = -1;
  int chars = 0;
  for (size_t i = 0; i < Text.size();) {
    size_t n = CharSizeAt(Text, i, CodePage);
    if (Text[i] == '&' && i + 1 < Text.size()) {
      if (Text[i + 1] == '&') {
        out += '&';
        i += 2;
        ++chars;
        continue;
      }
      if (PrefixChar < 0) PrefixChar = chars;
      ++i;
      continue;
    }
    out.append(Text, i, n);
    i += n;
    ++chars;
  }
  return out;
}
}  // namespace

int TCanvas::DrawText(const AnsiString& Text, TRect& R, unsigned Flags) {
  unsigned cp = CodePageOfCharset(FFont->Charset());
  TFontEngine& engine = TFontEngine::Instance();
  TFontMetrics metrics = engine.Metrics(*FFont, FPixelsPerInch);
  int lineHeight = metrics.Height;

  // Logical lines.
  std::vector<AnsiString> paragraphs;
  if (Flags & DT_SINGLELINE) {
    paragraphs.push_back(Text);
  } else {
    AnsiString cur;
    for (size_t i = 0; i < Text.size(); ++i) {
      char c = Text[i];
      if (c == '\r' || c == '\n') {
        paragraphs.push_back(cur);
        cur.clear();
        if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
      } else {
        cur += c;
      }
    }
    paragraphs.push_back(cur);
  }

  std::vector<TLine> lines;
  int maxWidth = R.Width();
  for (const AnsiString& para : paragraphs) {
    int prefix = -1;
    AnsiString text = (Flags & DT_NOPREFIX) ? para : StripPrefix(para, cp, prefix);
    if (!(Flags & DT_WORDBREAK) || (Flags & DT_SINGLELINE)) {
      lines.push_back({text, prefix});
      continue;
    }
    // Characters with their widths; a line may break before a Chinese
    // character, after one, and after a space.
    struct TChar {
      size_t Start, Len;
      int Width;
      bool Space, Wide;
    };
    std::vector<TChar> chars;
    for (size_t i = 0; i < text.size();) {
      size_t n = CharSizeAt(text, i, cp);
      chars.push_back({i, n, engine.TextWidth(*FFont, text.substr(i, n), FPixelsPerInch),
                       text[i] == ' ', n == 2});
      i += n;
    }
    size_t start = 0;
    int prefixBase = 0;
    while (true) {
      int width = 0;
      size_t j = start, lastBreak = start;
      bool broke = false;
      for (; j < chars.size(); ++j) {
        if (j > start && (chars[j].Wide || chars[j - 1].Wide || chars[j - 1].Space))
          lastBreak = j;
        if (width + chars[j].Width > maxWidth && j > start) {
          broke = true;
          break;
        }
        width += chars[j].Width;
      }
      size_t end = j, next = j;
      if (broke) {
        if (chars[j].Space) {
          next = j;
        } else if (lastBreak > start) {
          end = next = lastBreak;
        }
      }
      size_t trimmed = end;
      while (trimmed > start && chars[trimmed - 1].Space) --trimmed;
      size_t b0 = start < chars.size() ? chars[start].Start : text.size();
      size_t b1 = trimmed > start ? chars[trimmed - 1].Start + chars[trimmed - 1].Len : b0;
      int linePrefix = (prefix >= static_cast<int>(start) && prefix < static_cast<int>(end))
                           ? prefix - static_cast<int>(start)
                           : -1;
      lines.push_back({text.substr(b0, b1 - b0), linePrefix});
      (void)prefixBase;
      if (!broke) break;
      while (next < chars.size() && chars[next].Space) ++next;
      if (next >= chars.size()) break;
      start = next;
    }
  }

  int textHeight = lineHeight * static_cast<int>(lines.size());
  if (Flags & DT_CALCRECT) {
    int widest = 0;
    for (const TLine& l : lines) widest = std::max(widest, engine.TextWidth(*FFont, l.Text, FPixelsPerInch));
    R.Right = R.Left + widest;
    R.Bottom = R.Top + textHeight;
    return textHeight;
  }

  int y = R.Top;
  if (Flags & DT_SINGLELINE) {
    if (Flags & DT_VCENTER)
      y = R.Top + (R.Height() - lineHeight) / 2;
    else if (Flags & DT_BOTTOM)
      y = R.Bottom - lineHeight;
  }
  TRect clip = ClipRect();
  if (!(Flags & DT_NOCLIP)) clip = IntersectRect(clip, OffsetRect(R, FOrigin.X, FOrigin.Y));
  for (const TLine& l : lines) {
    int w = engine.TextWidth(*FFont, l.Text, FPixelsPerInch);
    int x = R.Left;
    if (Flags & DT_CENTER)
      x = R.Left + (R.Width() - w) / 2;
    else if (Flags & DT_RIGHT)
      x = R.Right - w;
    if (!clip.IsEmpty()) DrawTextLine(x + FOrigin.X, y + FOrigin.Y, l.Text, clip, l.Prefix);
    y += lineHeight;
  }
  return textHeight;
}

// ---- Pictures -------------------------------------------------------------

void TCanvas::Blit(const TRect& Dest, const TCanvas* Source, const TRect& SourceRect, uint32_t Rop,
                   bool SkipTransparent, bool ReplaceColor, TColor Replaced) {
  int dw = Dest.Width(), dh = Dest.Height();
  int sw = SourceRect.Width(), sh = SourceRect.Height();
  if (dw <= 0 || dh <= 0) return;
  if (Source && (sw <= 0 || sh <= 0)) return;
  TRect d = OffsetRect(Dest, FOrigin.X, FOrigin.Y);
  TRect clipped = IntersectRect(d, ClipRect());
  if (clipped.IsEmpty()) return;
  uint8_t code = static_cast<uint8_t>((Rop >> 16) & 0xFF);
  TBitmap& dst = *FBitmap;
  bool dstMono = dst.FFormat == pf1bit;
  uint32_t white = 0xFFFFFF;
  // The brush as the destination stores it.
  uint32_t p = FBrush->Style() == bsClear ? 0 : RgbOf(FBrush->Color());
  if (dstMono) p = NearestMono(p, dst.FMonoPalette) ? white : 0;

  const TBitmap* src = Source ? Source->FBitmap : nullptr;
  // Copying within one bitmap reads from a copy, so overlapping blocks do
  // not smear.
  TBitmap snapshot;
  if (src == FBitmap) {
    snapshot.Assign(src);
    src = &snapshot;
  }
  bool srcMono = src && src->FFormat == pf1bit;
  uint32_t text = RgbOf(FTextColor), back = RgbOf(FBkColor);
  uint32_t srcBack = Source ? RgbOf(Source->FBkColor) : white;
  uint32_t transparent = 0, replaced = 0;
  if (src && SkipTransparent) transparent = Quantize(RgbOf(src->TransparentColor()), src->FFormat, src->FMonoPalette);
  if (src && ReplaceColor) replaced = Quantize(RgbOf(Replaced), src->FFormat, src->FMonoPalette);
  uint32_t brushRgb = RgbOf(FBrush->Color());

  for (int y = clipped.Top; y < clipped.Bottom; ++y) {
    int sy = src ? SourceRect.Top + static_cast<int>(static_cast<int64_t>(y - d.Top) * sh / dh) : 0;
    if (src && (sy < 0 || sy >= src->FHeight)) continue;
    for (int x = clipped.Left; x < clipped.Right; ++x) {
      uint32_t s = 0;
      if (src) {
        int sx = SourceRect.Left + static_cast<int>(static_cast<int64_t>(x - d.Left) * sw / dw);
        if (sx < 0 || sx >= src->FWidth) continue;
        uint32_t raw = src->GetRgb(sx, sy);
        if (SkipTransparent && raw == transparent) continue;
        if (ReplaceColor && raw == replaced) raw = brushRgb;
        if (srcMono && !dstMono) {
          int bit = (src->FBits[static_cast<size_t>(sy) * src->FStride + (sx >> 3)] >> (7 - (sx & 7))) & 1;
          s = bit ? back : text;
        } else if (srcMono && dstMono) {
          int bit = (src->FBits[static_cast<size_t>(sy) * src->FStride + (sx >> 3)] >> (7 - (sx & 7))) & 1;
          s = bit ? white : 0;
        } else if (dstMono) {
          s = raw == srcBack ? white : 0;
        } else {
          s = raw;
        }
      }
      uint32_t dv;
      if (dstMono) {
        int bit = (dst.FBits[static_cast<size_t>(y) * dst.FStride + (x >> 3)] >> (7 - (x & 7))) & 1;
        dv = bit ? white : 0;
      } else {
        dv = dst.GetRgb(x, y);
      }
      uint32_t result = Rop3(code, p, s, dv);
      if (dstMono) {
        uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
        uint8_t& byte = dst.FBits[static_cast<size_t>(y) * dst.FStride + (x >> 3)];
        // A mixed result (a colour brush) counts as white when most of its
        // bits are set.
        if (NearestMono(result, {clBlack, clWhite}))
          byte |= mask;
        else
          byte &= static_cast<uint8_t>(~mask);
      } else {
        dst.PutRgb(x, y, result);
      }
    }
  }
}

void TCanvas::Draw(int X, int Y, const TBitmap& Source) {
  if (Source.Empty()) return;
  Blit(Bounds(X, Y, Source.Width(), Source.Height()), Source.Canvas(),
       {0, 0, Source.Width(), Source.Height()}, FCopyMode, Source.Transparent(), false, 0);
}

void TCanvas::StretchDraw(const TRect& R, const TBitmap& Source) {
  if (Source.Empty()) return;
  Blit(R, Source.Canvas(), {0, 0, Source.Width(), Source.Height()}, FCopyMode,
       Source.Transparent(), false, 0);
}

void TCanvas::CopyRect(const TRect& Dest, const TCanvas& Source, const TRect& SourceRect) {
  Blit(Dest, &Source, SourceRect, FCopyMode, false, false, 0);
}

void TCanvas::BrushCopy(const TRect& Dest, const TBitmap& Source, const TRect& SourceRect,
                        TColor Color) {
  Blit(Dest, Source.Canvas(), SourceRect, SRCCOPY, false, true, Color);
}

void BitBlt(TCanvas& Dest, int X, int Y, int W, int H, const TCanvas* Source, int SX, int SY,
            uint32_t Rop) {
  Dest.Blit(Bounds(X, Y, W, H), Source, Bounds(SX, SY, W, H), Rop, false, false, 0);
}

void StretchBlt(TCanvas& Dest, int X, int Y, int W, int H, const TCanvas* Source, int SX, int SY,
                int SW, int SH, uint32_t Rop) {
  Dest.Blit(Bounds(X, Y, W, H), Source, Bounds(SX, SY, SW, SH), Rop, false, false, 0);
}
