#include "src/controls/KwcEdit.h"

#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"
#include "platform/db/Fields.h"
#include "platform/vcl/StdCtrlsPublish.h"
#include "src/controls/F2Button.h"
#include "src/controls/GSpdBtn.h"

KW_DEFINE_ENUM_TYPEINFO(TLabelPosition, "lpAbove", "lpBelow", "lpLeft", "lpRight")
KW_REGISTER_CLASS(TKwDBEdit)
KW_REGISTER_CLASS(TKwBtnDBEdit)

// ---- TKwDBEdit ---------------------------------------------------------------------

void TKwDBEdit::PublishMembers(TPublisher<TKwDBEdit>& P) {
  P.Property("Caption", &TKwDBEdit::Caption, &TKwDBEdit::SetCaption);
  P.Property("DataField", &TDBEdit::DataField, &TKwDBEdit::SetDataField);
  P.Property("LabelPosition", &TKwDBEdit::LabelPosition, &TKwDBEdit::SetLabelPosition).Default(lpLeft);
  P.Property("LabelSpacing", &TKwDBEdit::LabelSpacing, &TKwDBEdit::SetLabelSpacing).Default(4);
}

TKwDBEdit::TKwDBEdit(TComponent* AOwner) : TDBEdit(AOwner) {
  FEditLabel = new TLabel(this);
  FEditLabel->SetName("EditLabel");
  FEditLabel->SetCaption(AnsiString());
  FEditLabel->SetFocusControl(this);
  FEditLabel->FreeNotification(this);
}

TKwDBEdit::~TKwDBEdit() = default;

AnsiString TKwDBEdit::Caption() const { return FEditLabel ? FEditLabel->Caption() : AnsiString(); }

void TKwDBEdit::SetCaption(const AnsiString& Value) {
  if (!FEditLabel) return;
  FEditLabel->SetCaption(Value);
  PlaceLabel();
}

void TKwDBEdit::SetLabelPosition(TLabelPosition Value) {
  FLabelPosition = Value;
  PlaceLabel();
}

void TKwDBEdit::SetLabelSpacing(int Value) {
  if (Value < 0) return;
  FLabelSpacing = Value;
  PlaceLabel();
}

void TKwDBEdit::PlaceLabel() {
  if (!FEditLabel) return;
  const int w = FEditLabel->Width();
  const int h = FEditLabel->Height();
  int left = 0;
  int top = 0;
  switch (FLabelPosition) {
    case lpAbove:
      left = Left();
      top = Top() - h - FLabelSpacing;
      break;
    case lpBelow:
      left = Left();
      top = Top() + Height() + FLabelSpacing;
      break;
    case lpLeft:
      left = Left() - w - FLabelSpacing;
      top = Top() + (Height() - h) / 2;
      break;
    case lpRight:
      left = Left() + Width() + FLabelSpacing;
      top = Top() + (Height() - h) / 2;
      break;
  }
  FEditLabel->SetBounds(left, top, w, h);
}

void TKwDBEdit::PlaceAttached() { PlaceLabel(); }

void TKwDBEdit::FollowEdit() {
  if (!FEditLabel) return;
  FEditLabel->SetParent(Parent());
  FEditLabel->SetEnabled(Enabled());
  FEditLabel->SetVisible(Visible());
}

void TKwDBEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TDBEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
  PlaceAttached();
}

void TKwDBEdit::SetParent(TWinControl* AParent) {
  TDBEdit::SetParent(AParent);
  FollowEdit();
  PlaceAttached();
}

void TKwDBEdit::SetVisible(bool Value) {
  TDBEdit::SetVisible(Value);
  FollowEdit();
}

void TKwDBEdit::SetEnabled(bool Value) {
  TDBEdit::SetEnabled(Value);
  FollowEdit();
}

void TKwDBEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TDBEdit::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FEditLabel) FEditLabel = nullptr;
}

void TKwDBEdit::SetDataField(const AnsiString& Value) {
  TDBEdit::SetDataField(Value);
  if (!ComponentState().Contains(csDesigning)) return;
  TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
  if (TField* f = ds ? ds->FindField(Value) : nullptr) SetCaption(f->DisplayLabel());
}

// ---- TKwBtnDBEdit ------------------------------------------------------------------

void TKwBtnDBEdit::PublishMembers(TPublisher<TKwBtnDBEdit>& P) {
  P.Property("ButtonHint", &TKwBtnDBEdit::ButtonHint, &TKwBtnDBEdit::SetButtonHint);
  P.Property("ButtonSpacing", &TKwBtnDBEdit::ButtonSpacing, &TKwBtnDBEdit::SetButtonSpacing).Default(2);
  P.Property("GlyphIndex", &TKwBtnDBEdit::GlyphIndex, &TKwBtnDBEdit::SetGlyphIndex).Default(8);
  P.Property("OnDialog", &TKwBtnDBEdit::OnDialog, &TKwBtnDBEdit::OnDialog);
}

TKwBtnDBEdit::TKwBtnDBEdit(TComponent* AOwner) : TKwDBEdit(AOwner) {
  FButton = new TGSpeedButton(this);
  FButton->SetName("F2Button");
  FButton->SetFlat(true);
  FButton->SetGlyphIndex(FGlyphIndex);
  FButton->OnClick = TNotifyEvent(&TKwBtnDBEdit::ButtonClick, this);
  FButton->FreeNotification(this);
  PlaceAttached();
}

TKwBtnDBEdit::~TKwBtnDBEdit() = default;

void TKwBtnDBEdit::ButtonClick(void* Data, TObject*) { static_cast<TKwBtnDBEdit*>(Data)->DoDialog(); }

void TKwBtnDBEdit::SetButtonSpacing(int Value) {
  FButtonSpacing = Value;
  PlaceAttached();
}

int TKwBtnDBEdit::GlyphIndex() const { return FButton ? FButton->GlyphIndex() : FGlyphIndex; }

void TKwBtnDBEdit::SetGlyphIndex(int Value) {
  FGlyphIndex = Value;
  if (FButton) FButton->SetGlyphIndex(Value);
}

AnsiString TKwBtnDBEdit::ButtonHint() const { return FButton ? FButton->Hint() : AnsiString(); }

void TKwBtnDBEdit::SetButtonHint(const AnsiString& Value) {
  if (FButton) FButton->SetHint(Value);
}

void TKwBtnDBEdit::PlaceAttached() {
  TKwDBEdit::PlaceAttached();
  if (!FButton) return;
  FButton->SetBounds(Left() + Width() + FButtonSpacing, Top(), Height(), Height());
}

void TKwBtnDBEdit::FollowEdit() {
  TKwDBEdit::FollowEdit();
  if (!FButton) return;
  FButton->SetParent(Parent());
  FButton->SetEnabled(Enabled());
  FButton->SetVisible(Visible());
}

void TKwBtnDBEdit::DoDialog() {
  if (OnDialog.Assigned()) {
    OnDialog(this);
    return;
  }
  if (CanFocus()) SetFocus();
  if (Focused()) SendLookupRequest(this);
}

void TKwBtnDBEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TKwDBEdit::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FButton) FButton = nullptr;
}
