#pragma once
// Drawing report pages onto bitmaps: the one routine every output uses (the
// preview, picture export, the print back ends).
//
// A page is mapped onto a destination rectangle of the bitmap, with
// independent horizontal and vertical scales; the rectangle may lie partly
// outside the bitmap (picture export cuts margins that way). Nothing is drawn
// outside the rectangle or the bitmap. Text is drawn with the real fonts at
// the vertical resolution; when the two scales differ, glyphs keep their
// shapes and only their positions follow the horizontal scale, so a text
// still fills the same part of its box.
//
// Drawing goes straight into 24-bit scan lines with cached glyph coverage;
// other pixel formats are drawn through a 24-bit copy.

#include <memory>

class TBitmap;
class TPageMetafile;
class TPageResources;
struct TRect;

// Holds what drawing many pages can share: fonts resolved per size, text
// layouts per font and text. One renderer per thread; it may serve pages of
// any number of stores (the caches check the resources they were made from).
class TPageRenderer {
 public:
  TPageRenderer();
  ~TPageRenderer();
  TPageRenderer(const TPageRenderer&) = delete;
  TPageRenderer& operator=(const TPageRenderer&) = delete;

  // Draws Page over what Target holds, the whole page mapped onto Dest.
  void Draw(const TPageMetafile& Page, const TPageResources& Resources, TBitmap& Target,
            const TRect& Dest);
  // Makes Target a white 24-bit bitmap of the page's size at Dpi and draws
  // the page on it (Target's memory is reused from page to page).
  void Render(const TPageMetafile& Page, const TPageResources& Resources, int Dpi, TBitmap& Target);

  // Forgets cached layouts (fonts stay resolved in the font engine).
  void ClearCache();

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

// One-off forms of the above, with a renderer of their own.
void DrawPage(const TPageMetafile& Page, const TPageResources& Resources, TBitmap& Target,
              const TRect& Dest);
std::unique_ptr<TBitmap> RenderPage(const TPageMetafile& Page, const TPageResources& Resources,
                                    int Dpi);
