#include "Bitmora.h"

#include "BitmoraImages.h"

extern "C" int GetMaxBmpID(void) { return bitmora::MaxImageNumber(); }

extern "C" int LoadBmp(struct BitmoraBitmap* Bitmap, int Index) {
  if (!Bitmap || !Bitmap->Assign) return 0;
  bitmora::TImage image;
  if (!bitmora::DrawImage(Index, image)) return 0;
  std::vector<uint8_t> bmp = bitmora::EncodeBmp(image);
  return Bitmap->Assign(Bitmap->Context, bmp.data(), static_cast<unsigned long>(bmp.size())) != 0 ? 1 : 0;
}
