#include "platform/vcl/ImgList.h"

#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Publisher.h"

KW_REGISTER_CLASS(TImageList)

void TImageList::PublishMembers(TPublisher<TImageList>& P) {
  P.Property("AllocBy", &TCustomImageList::AllocBy, &TCustomImageList::SetAllocBy).Default(4);
  P.Property("BkColor", &TCustomImageList::BkColor, &TCustomImageList::SetBkColor)
      .Type(TypeInfo_TColor())
      .Default(clNone);
  P.Property("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight).Default(16);
  P.Property("Masked", &TCustomImageList::Masked, &TCustomImageList::SetMasked).Default(true);
  P.Property("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth).Default(16);
  P.Property("OnChange", &TCustomImageList::OnChange, &TCustomImageList::OnChange);
}

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::~TCustomImageList() = default;

void TCustomImageList::SetWidth(int Value) {
  if (Value == FWidth || Value <= 0) return;
  FWidth = Value;
  Clear();
}

void TCustomImageList::SetHeight(int Value) {
  if (Value == FHeight || Value <= 0) return;
  FHeight = Value;
  Clear();
}

void TCustomImageList::Changed() { OnChange(this); }

int TCustomImageList::Add(const TBitmap* Image, const TBitmap* Mask) {
  if (!Image || Image->Empty()) return -1;
  int first = Count();
  // A strip of several images side by side becomes several images.
  int n = Image->Width() / FWidth;
  if (n < 1) n = 1;
  for (int k = 0; k < n; ++k) {
    auto img = std::make_unique<TBitmap>(FWidth, FHeight);
    BitBlt(*img->Canvas(), 0, 0, FWidth, FHeight, Image->Canvas(), k * FWidth, 0, SRCCOPY);
    if (Mask && !Mask->Empty()) {
      // White mask pixels are transparent: paint them in a colour the image
      // does not otherwise use and make that colour transparent.
      const TColor hole = static_cast<TColor>(0x00FF00FF);
      for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x)
          if ((Mask->Pixel(k * FWidth + x, y) & 0xFFFFFF) == 0xFFFFFF) img->SetPixel(x, y, hole);
      img->SetTransparentColor(hole);
      img->SetTransparent(true);
    }
    FImages.push_back(std::move(img));
  }
  Changed();
  return first;
}

int TCustomImageList::AddMasked(const TBitmap* Image, TColor MaskColor) {
  int first = Add(Image, nullptr);
  if (first < 0) return first;
  for (int i = first; i < Count(); ++i) {
    FImages[i]->SetTransparentColor(MaskColor);
    FImages[i]->SetTransparent(true);
  }
  return first;
}

const TBitmap* TCustomImageList::Image(int Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return FImages[Index].get();
}

bool TCustomImageList::GetBitmap(int Index, TBitmap* Dest) const {
  const TBitmap* img = Image(Index);
  if (!img || !Dest) return false;
  Dest->Assign(img);
  return true;
}

void TCustomImageList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) throw EInvalidOperation("Image index out of range");
  FImages.erase(FImages.begin() + Index);
  Changed();
}

void TCustomImageList::Clear() {
  if (FImages.empty()) return;
  FImages.clear();
  Changed();
}
