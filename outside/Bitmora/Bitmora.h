#pragma once
// The button-image library's C interface ("Bitmora.dll", libBitmora.so).
//
// Pictures are numbered from 1 to GetMaxBmpID(); not every number in between
// holds one. Each picture is a row of square frames (as wide as the picture is
// high): the normal look first, then, where the picture has one, the disabled
// look. Its bottom-left pixel is the transparent colour.
//
// LoadBmp hands the picture over as a complete 24-bit BMP file through the
// caller's Assign function, so caller and library share no bitmap class.
// It answers non-zero when the number holds a picture and Assign took it.

#ifdef __cplusplus
extern "C" {
#endif

struct BitmoraBitmap {
  void* Context;
  // Receives the BMP file; answers non-zero when it took the picture.
  int (*Assign)(void* Context, const void* BmpBytes, unsigned long Length);
};

__attribute__((visibility("default"))) int GetMaxBmpID(void);
__attribute__((visibility("default"))) int LoadBmp(struct BitmoraBitmap* Bitmap, int Index);

#ifdef __cplusplus
}
#endif
