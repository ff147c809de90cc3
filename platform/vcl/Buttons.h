#pragma once
// Bitmap buttons (a push button with a glyph and standard kinds) and speed
// buttons (flat tool buttons that can stay down, alone or in groups).

#include <memory>

#include "platform/vcl/StdCtrls.h"

class TBitmap;

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
KW_DECLARE_TYPEINFO(TBitBtnKind)
KW_DECLARE_TYPEINFO(TButtonLayout)

// A glyph holds up to four pictures side by side (up, disabled, clicked,
// down); NumGlyphs says how many.
class TButtonGlyph {
 public:
  TButtonGlyph();
  ~TButtonGlyph();
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  int NumGlyphs() const { return FNumGlyphs; }
  // 1 to 4; other values are ignored.
  void SetNumGlyphs(int Value);
  // Width of one picture of the glyph.
  int ImageWidth() const;

 private:
  std::unique_ptr<TBitmap> FGlyph;
  int FNumGlyphs = 1;
};

class TBitBtn : public TButton {
  KW_DECLARE_CLASS(TBitBtn, TButton)
 public:
  static void PublishMembers(TPublisher<TBitBtn>& P);
  explicit TBitBtn(TComponent* AOwner);
  ~TBitBtn() override;

  TBitmap* Glyph() const { return FGlyph.Glyph(); }
  void SetGlyph(TBitmap* Value);
  int NumGlyphs() const { return FGlyph.NumGlyphs(); }
  void SetNumGlyphs(int Value) { FGlyph.SetNumGlyphs(Value); }
  // A standard kind gives the button its caption, modal result and Default /
  // Cancel (bkClose closes the form when clicked).
  TBitBtnKind Kind() const { return FKind; }
  void SetKind(TBitBtnKind Value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout Value) { FLayout = Value; }
  int Margin() const { return FMargin; }
  void SetMargin(int Value) { FMargin = Value; }
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value) { FSpacing = Value; }
  void Click() override;

 private:
  TButtonGlyph FGlyph;
  TBitBtnKind FKind = bkCustom;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  int FSpacing = 4;
};

class TSpeedButton : public TControl {
  KW_DECLARE_CLASS(TSpeedButton, TControl)
 public:
  static void PublishMembers(TPublisher<TSpeedButton>& P);
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  TBitmap* Glyph() const { return FGlyph.Glyph(); }
  void SetGlyph(TBitmap* Value) { FGlyph.SetGlyph(Value); }
  int NumGlyphs() const { return FGlyph.NumGlyphs(); }
  void SetNumGlyphs(int Value) { FGlyph.SetNumGlyphs(Value); }
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value) { FFlat = Value; }
  // With GroupIndex 0 a speed button never stays down. Buttons of one
  // GroupIndex with the same parent act as radio buttons; AllowAllUp lets
  // the one down come up again.
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int Value);
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout Value) { FLayout = Value; }
  int Margin() const { return FMargin; }
  void SetMargin(int Value) { FMargin = Value; }
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value) { FSpacing = Value; }
  // A press: a grouped button goes down (or up, with AllowAllUp), then OnClick.
  void Click() override;

 private:
  template <class F>
  void ForGroup(F Action);
  TButtonGlyph FGlyph;
  bool FFlat = false;
  int FGroupIndex = 0;
  bool FDown = false;
  bool FAllowAllUp = false;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  int FSpacing = 4;
};
