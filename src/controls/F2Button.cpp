#include "src/controls/F2Button.h"

#include "platform/rtl/CodePages.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/StdCtrlsPublish.h"

KW_REGISTER_CLASS(TF2Button)

void TF2Button::PublishMembers(TPublisher<TF2Button>& P) {
  P.Property("AutoAlign", &TF2Button::AutoAlign, &TF2Button::SetAutoAlign).Default(true);
  P.Property("F2Control", &TF2Button::F2Control, &TF2Button::SetF2Control);
  P.Property("Gap", &TF2Button::Gap, &TF2Button::SetGap).Default(2);
  P.Property("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat).Default(true);
  P.Property("GlyphIndex", &TGSpeedButton::GlyphIndex, &TGSpeedButton::SetGlyphIndex).Default(8);
}

TF2Button::TF2Button(TComponent* AOwner) : TGSpeedButton(AOwner) {
  SetGlyphIndex(8);
  SetFlat(true);
}

TF2Button::~TF2Button() {
  if (FF2Control) FF2Control->RemoveFreeNotification(this);
}

void SendLookupRequest(TControl* Control) {
  if (!Control) return;
  auto* window = ObjectAs<TWinControl>(Control->Owner());
  if (!window) return;
  SendMessage(window->Handle(), WM_LOOKUPREQUEST, 0, ObjectToLParam(Control));
}

void TF2Button::Align() {
  if (!FF2Control || !FAutoAlign) return;
  int h = FF2Control->Height();
  SetBounds(FF2Control->Left() + FF2Control->Width() + FGap, FF2Control->Top(), h, h);
}

bool TF2Button::CheckUnique(TWinControl* Control) {
  TWinControl* parent = Parent();
  if (!parent) return true;
  // The buttons the parent owns: on a form that is both parent and owner of
  // its controls, which is how the option windows are built.
  for (int i = 0; i < parent->ComponentCount(); ++i) {
    auto* other = ObjectAs<TF2Button>(parent->Components(i));
    if (!other || other->FF2Control != Control) continue;
    if (other != this)
      MessageDlg(GB("不能同时有两个 F2Button 指到同一个 Edit."), mtError, TMsgDlgButtons{mbOK});
    return false;
  }
  return true;
}

void TF2Button::SetF2Control(TWinControl* Value) {
  if (Value && !CheckUnique(Value)) return;
  if (FF2Control == Value) return;
  if (FF2Control) FF2Control->RemoveFreeNotification(this);
  FF2Control = Value;
  if (Value) {
    Value->FreeNotification(this);
    Align();
  }
}

void TF2Button::SetAutoAlign(bool Value) {
  FAutoAlign = Value;
  Align();
}

void TF2Button::SetGap(unsigned char Value) {
  if (Value == FGap) return;
  FGap = Value;
  Align();
}

void TF2Button::Click() {
  if (!Enabled()) return;
  TGSpeedButton::Click();
  TWinControl* control = FF2Control;
  if (!control || !control->Enabled()) return;
  if (control->CanFocus()) control->SetFocus();
  if (control->Focused()) SendLookupRequest(control);
}

void TF2Button::Notification(TComponent* AComponent, TOperation Operation) {
  TGSpeedButton::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FF2Control) FF2Control = nullptr;
}
