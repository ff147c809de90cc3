#pragma once
// The pictures of the button-image library, drawn into RGB pixel strips.

#include <cstdint>
#include <vector>

namespace bitmora {

// Pixels 0x00RRGGBB, row by row from the top.
struct TImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;
};

// The picture of number Index; false when the number holds none.
bool DrawImage(int Index, TImage& Out);
// The highest number that holds a picture.
int MaxImageNumber();
// A 24-bit bottom-up BMP file of Image.
std::vector<uint8_t> EncodeBmp(const TImage& Image);

}  // namespace bitmora
