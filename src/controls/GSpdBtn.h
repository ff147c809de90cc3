#pragma once
// A speed button whose picture is chosen by number from the button-image
// library "Bitmora.dll" (libBitmora.so here). The library is loaded once, on
// first use; a program that keeps it somewhere else than beside itself or on
// the library path names the folders with SetBitmoraFolders.

#include <vector>

#include "platform/vcl/Buttons.h"

class TBitmap;

// Folders searched for the image library before the system library path.
// Setting them drops a library already loaded, so the next use loads again.
void SetBitmoraFolders(const std::vector<AnsiString>& Folders);
// The highest image number the library holds; 0 when it cannot be loaded
// (every button then shows its number instead of a picture).
int BitmoraMaxBmpID();
// Loads image Index into Bitmap; false when the library refuses or is absent.
bool BitmoraLoadBmp(TBitmap& Bitmap, int Index);

class TGSpeedButton : public TSpeedButton {
  KW_DECLARE_CLASS(TGSpeedButton, TSpeedButton)
 public:
  static void PublishMembers(TPublisher<TGSpeedButton>& P);
  explicit TGSpeedButton(TComponent* AOwner);

  // Picks the picture by number; 0 or a number the library does not hold
  // leaves the button without a picture, showing the number as its caption.
  int GlyphIndex() const { return FGlyphIndex; }
  void SetGlyphIndex(int Value);
  // A number of a hint text; kept for the translation tables, no effect here.
  int HintIndex() const { return FHintIndex; }
  void SetHintIndex(int Value) { FHintIndex = Value; }

 private:
  int FGlyphIndex = 0;
  int FHintIndex = 0;
};
