#pragma once
// Image lists: numbered pictures of one size that list views, tree views, tool
// bars and menus refer to by index (ImageIndex). Each picture is kept as a
// bitmap of the list's size, with the mask colour it was added with.

#include <memory>
#include <vector>

#include "platform/vcl/Component.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/IdentMaps.h"

class TBitmap;
template <class C>
class TPublisher;

class TCustomImageList : public TComponent {
  KW_DECLARE_CLASS(TCustomImageList, TComponent)
 public:
  explicit TCustomImageList(TComponent* AOwner);
  ~TCustomImageList() override;

  // Changing the size drops every image, as the run-time does.
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  bool Masked() const { return FMasked; }
  void SetMasked(bool Value) { FMasked = Value; }
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor Value) { FBkColor = Value; }
  int AllocBy() const { return FAllocBy; }
  void SetAllocBy(int Value) { FAllocBy = Value; }

  int Count() const { return static_cast<int>(FImages.size()); }
  // Adds a copy of Image (a bitmap several images wide is split into images
  // of the list's width); returns the index of the first image added.
  int Add(const TBitmap* Image, const TBitmap* Mask = nullptr);
  // The same, with MaskColor marking the transparent pixels.
  int AddMasked(const TBitmap* Image, TColor MaskColor);
  // Copies image Index into Image; false (Image untouched) for a wrong index.
  bool GetBitmap(int Index, TBitmap* Image) const;
  // The picture at Index, or nullptr.
  const TBitmap* Image(int Index) const;
  // Raises EInvalidOperation "Image index out of range" for a wrong index.
  void Delete(int Index);
  void Clear();

  TNotifyEvent OnChange;

 private:
  void Changed();
  int FWidth = 16;
  int FHeight = 16;
  bool FMasked = true;
  TColor FBkColor = clNone;
  int FAllocBy = 4;
  std::vector<std::unique_ptr<TBitmap>> FImages;
};

class TImageList : public TCustomImageList {
  KW_DECLARE_CLASS(TImageList, TCustomImageList)
 public:
  static void PublishMembers(TPublisher<TImageList>& P);
  explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
};
