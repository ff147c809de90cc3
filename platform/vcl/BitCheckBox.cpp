#include "platform/vcl/BitCheckBox.h"

#include "platform/vcl/Bitmap.h"
#include "platform/vcl/StdCtrlsPublish.h"

using namespace kw_stdctrls;

KW_REGISTER_CLASS(TBitCheckBox)

void TBitCheckBox::PublishMembers(TPublisher<TBitCheckBox>& P) {
  PublishVisual(P, clBtnFace);
  PublishWinControl(P, true);
  PublishCaption(P);
  P.Property("Alignment", &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment).Default(taRightSide);
  P.Property("AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed).Default(false);
  P.Property("Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked).Default(false);
  P.Property("GlyphChecked", &TBitCheckBox::GlyphChecked, &TBitCheckBox::SetGlyphChecked);
  P.Property("GlyphGrayed", &TBitCheckBox::GlyphGrayed, &TBitCheckBox::SetGlyphGrayed);
  P.Property("GlyphUnchecked", &TBitCheckBox::GlyphUnchecked, &TBitCheckBox::SetGlyphUnchecked);
  P.Property("State", &TCustomCheckBox::State, &TCustomCheckBox::SetState).Default(cbUnchecked);
  P.Property("Transparent", &TBitCheckBox::Transparent, &TBitCheckBox::SetTransparent).Default(false);
}

TBitCheckBox::TBitCheckBox(TComponent* AOwner)
    : TCustomCheckBox(AOwner), FGlyphChecked(std::make_unique<TBitmap>()),
      FGlyphUnchecked(std::make_unique<TBitmap>()), FGlyphGrayed(std::make_unique<TBitmap>()) {}

TBitCheckBox::~TBitCheckBox() = default;

namespace {
void AssignGlyph(std::unique_ptr<TBitmap>& Field, TBitmap* Value) {
  if (Value)
    Field->Assign(Value);
  else
    Field = std::make_unique<TBitmap>();
}
}  // namespace

void TBitCheckBox::SetGlyphChecked(TBitmap* Value) { AssignGlyph(FGlyphChecked, Value); }
void TBitCheckBox::SetGlyphUnchecked(TBitmap* Value) { AssignGlyph(FGlyphUnchecked, Value); }
void TBitCheckBox::SetGlyphGrayed(TBitmap* Value) { AssignGlyph(FGlyphGrayed, Value); }

const TBitmap* TBitCheckBox::CurrentGlyph() const {
  const TBitmap* g = State() == cbChecked ? FGlyphChecked.get()
                     : State() == cbGrayed ? FGlyphGrayed.get()
                                           : FGlyphUnchecked.get();
  return g->Empty() ? nullptr : g;
}
