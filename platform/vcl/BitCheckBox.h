#pragma once
// The bitmap check box: a check box whose box is drawn from pictures (one for
// unchecked, checked and grayed each) instead of the system's box. Its
// behaviour is the check box's: Checked, State, AllowGrayed, OnClick.

#include <memory>

#include "platform/vcl/StdCtrls.h"

class TBitmap;

class TBitCheckBox : public TCustomCheckBox {
  KW_DECLARE_CLASS(TBitCheckBox, TCustomCheckBox)
 public:
  static void PublishMembers(TPublisher<TBitCheckBox>& P);
  explicit TBitCheckBox(TComponent* AOwner);
  ~TBitCheckBox() override;

  // The pictures of the box (empty: the classic box is drawn).
  TBitmap* GlyphChecked() const { return FGlyphChecked.get(); }
  void SetGlyphChecked(TBitmap* Value);
  TBitmap* GlyphUnchecked() const { return FGlyphUnchecked.get(); }
  void SetGlyphUnchecked(TBitmap* Value);
  TBitmap* GlyphGrayed() const { return FGlyphGrayed.get(); }
  void SetGlyphGrayed(TBitmap* Value);
  // The picture for the current state (nullptr when that one is empty).
  const TBitmap* CurrentGlyph() const;
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value) { FTransparent = Value; }

 private:
  std::unique_ptr<TBitmap> FGlyphChecked;
  std::unique_ptr<TBitmap> FGlyphUnchecked;
  std::unique_ptr<TBitmap> FGlyphGrayed;
  bool FTransparent = false;
};
