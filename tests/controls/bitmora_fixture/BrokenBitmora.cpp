// An image library that misbehaves, for the controls' failure paths: picture
// 1 is a damaged BMP file, picture 2 claims success without handing anything
// over, picture 3 is a strip of three 1 x 1 frames, picture 4 is refused.

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" {
struct BitmoraBitmap {
  void* Context;
  int (*Assign)(void* Context, const void* BmpBytes, unsigned long Length);
};

__attribute__((visibility("default"))) int GetMaxBmpID(void) { return 4; }

__attribute__((visibility("default"))) int LoadBmp(struct BitmoraBitmap* Bitmap, int Index) {
  if (!Bitmap) return 0;
  if (Index == 1) {
    static const char damaged[] = "BM this is no bitmap";
    Bitmap->Assign(Bitmap->Context, damaged, sizeof damaged);
    return 1;
  }
  if (Index == 2) return 1;
  if (Index == 3) {
    // 3 x 1 pixels, 24 bits: header, then one row padded to 12 bytes.
    std::vector<uint8_t> f(54 + 12, 0);
    auto put32 = [&](std::size_t At, uint32_t V) {
      for (int i = 0; i < 4; ++i) f[At + i] = static_cast<uint8_t>(V >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, static_cast<uint32_t>(f.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, 3);
    put32(22, 1);
    f[26] = 1;
    f[28] = 24;
    put32(34, 12);
    for (int i = 0; i < 9; ++i) f[54 + i] = 0x40;
    return Bitmap->Assign(Bitmap->Context, f.data(), static_cast<unsigned long>(f.size()));
  }
  return 0;
}
}
