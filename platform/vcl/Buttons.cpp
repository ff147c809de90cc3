#include "platform/vcl/Buttons.h"

#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrlsPublish.h"

using namespace kw_stdctrls;

KW_DEFINE_ENUM_TYPEINFO(TBitBtnKind, "bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort",
                        "bkRetry", "bkIgnore", "bkAll")
KW_DEFINE_ENUM_TYPEINFO(TButtonLayout, "blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom")

KW_REGISTER_CLASS(TBitBtn)
KW_REGISTER_CLASS(TSpeedButton)

// ---- Glyphs -----------------------------------------------------------------------

TButtonGlyph::TButtonGlyph() : FGlyph(std::make_unique<TBitmap>()) {}
TButtonGlyph::~TButtonGlyph() = default;

void TButtonGlyph::SetGlyph(TBitmap* Value) {
  if (Value)
    FGlyph->Assign(Value);
  else
    FGlyph = std::make_unique<TBitmap>();
  // A strip of square pictures tells how many it holds.
  if (!FGlyph->Empty() && FGlyph->Height() > 0 && FGlyph->Width() % FGlyph->Height() == 0) {
    int n = FGlyph->Width() / FGlyph->Height();
    if (n >= 1 && n <= 4) FNumGlyphs = n;
  }
}

void TButtonGlyph::SetNumGlyphs(int Value) {
  if (Value >= 1 && Value <= 4) FNumGlyphs = Value;
}

int TButtonGlyph::ImageWidth() const { return FGlyph->Empty() ? 0 : FGlyph->Width() / FNumGlyphs; }

// ---- Bitmap buttons ------------------------------------------------------------------

void TBitBtn::PublishMembers(TPublisher<TBitBtn>& P) {
  // Kind first: the caption and result a description stores win over the
  // kind's own.
  P.Property("Kind", &TBitBtn::Kind, &TBitBtn::SetKind).Default(bkCustom);
  P.Property("Glyph", &TBitBtn::Glyph, &TBitBtn::SetGlyph);
  P.Property("Layout", &TBitBtn::Layout, &TBitBtn::SetLayout).Default(blGlyphLeft);
  P.Property("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin).Default(-1);
  P.Property("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs).Default(1);
  P.Property("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing).Default(4);
}

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner) {}
TBitBtn::~TBitBtn() = default;

void TBitBtn::SetGlyph(TBitmap* Value) {
  FGlyph.SetGlyph(Value);
  FKind = bkCustom;
}

void TBitBtn::SetKind(TBitBtnKind Value) {
  if (Value == FKind) return;
  FKind = Value;
  if (Value == bkCustom) return;
  struct TKindInfo {
    const char* Caption;
    TModalResult Result;
  };
  static const TKindInfo kinds[] = {
      {"", mrNone},         {"OK", mrOk},         {"Cancel", mrCancel}, {"&Help", mrNone},
      {"&Yes", mrYes},      {"&No", mrNo},        {"&Close", mrNone},   {"Abort", mrAbort},
      {"&Retry", mrRetry},  {"&Ignore", mrIgnore}, {"&All", mrAll},
  };
  const TKindInfo& k = kinds[Value];
  SetDefault(Value == bkOK || Value == bkYes);
  SetCancel(Value == bkCancel || Value == bkNo);
  // A description's own caption (a translated one) is kept.
  if (!ComponentState().Contains(csLoading) || Caption().empty()) SetCaption(k.Caption);
  SetModalResult(k.Result);
}

void TBitBtn::Click() {
  if (FKind == bkClose) {
    if (TCustomForm* form = GetParentForm(this)) {
      form->Close();
      return;
    }
  }
  TButton::Click();
}

// ---- Speed buttons -------------------------------------------------------------------

void TSpeedButton::PublishMembers(TPublisher<TSpeedButton>& P) {
  PublishCaption(P);
  P.Property("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp).Default(false);
  P.Property("Down", &TSpeedButton::Down, &TSpeedButton::SetDown).Default(false);
  P.Property("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
  P.Property("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat).Default(false);
  P.Property("Font", &TControl::Font, &TControl::SetFont);
  P.Property("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph);
  P.Property("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex).Default(0);
  P.Property("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout).Default(blGlyphLeft);
  P.Property("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin).Default(-1);
  P.Property("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs).Default(1);
  P.Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
  P.Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
  P.Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Default(false);
  P.Property("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing).Default(4);
  P.Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
  P.Property("OnClick", &TControl::OnClick, &TControl::OnClick);
  P.Property("OnDblClick", &TControl::OnDblClick, &TControl::OnDblClick);
}

TSpeedButton::TSpeedButton(TComponent* AOwner) : TControl(AOwner) { SetBounds(0, 0, 23, 22); }
TSpeedButton::~TSpeedButton() = default;

template <class F>
void TSpeedButton::ForGroup(F Action) {
  if (FGroupIndex == 0 || !Parent()) return;
  for (int i = 0; i < Parent()->ControlCount(); ++i)
    if (auto* b = ObjectAs<TSpeedButton>(Parent()->Controls(i)); b && b != this && b->FGroupIndex == FGroupIndex)
      Action(b);
}

void TSpeedButton::SetGroupIndex(int Value) {
  FGroupIndex = Value < 0 ? 0 : Value;
  if (FGroupIndex == 0) FDown = false;
}

void TSpeedButton::SetAllowAllUp(bool Value) {
  FAllowAllUp = Value;
  ForGroup([&](TSpeedButton* b) { b->FAllowAllUp = Value; });
}

void TSpeedButton::SetDown(bool Value) {
  if (FGroupIndex == 0) Value = false;
  if (Value == FDown) return;
  // In a group without AllowAllUp one button is always down: it cannot be
  // raised except by pressing another.
  if (!Value && !FAllowAllUp && !ComponentState().Contains(csLoading)) {
    bool anotherDown = false;
    ForGroup([&](TSpeedButton* b) { anotherDown = anotherDown || b->FDown; });
    if (!anotherDown) return;
  }
  FDown = Value;
  if (Value) ForGroup([](TSpeedButton* b) { b->FDown = false; });
}

void TSpeedButton::Click() {
  if (!Enabled()) return;
  if (FGroupIndex != 0) {
    if (!FDown)
      SetDown(true);
    else if (FAllowAllUp)
      SetDown(false);
  }
  TControl::Click();
}
