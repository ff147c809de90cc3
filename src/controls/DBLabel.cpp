#include "src/controls/DBLabel.h"

#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"
#include "platform/db/Fields.h"
#include "platform/rtl/CodePages.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/StdCtrlsPublish.h"

KW_DEFINE_ENUM_TYPEINFO(TPos, "psTop", "psLeft", "psRight", "psBottom")
KW_REGISTER_CLASS(TDBLabel)

void TDBLabel::PublishMembers(TPublisher<TDBLabel>& P) {
  P.Property("AutoAlign", &TDBLabel::AutoAlign, &TDBLabel::SetAutoAlign).Default(true);
  P.Property("AutoCaption", &TDBLabel::AutoCaption, &TDBLabel::SetAutoCaption).Default(true);
  P.Property("FocusControl", &TDBLabel::FocusControl, &TDBLabel::SetFocusControl);
  P.Property("Gap", &TDBLabel::Gap, &TDBLabel::SetGap).Default(4);
  P.Property("Pos", &TDBLabel::Pos, &TDBLabel::SetPos).Default(psLeft);
}

TDBLabel::TDBLabel(TComponent* AOwner) : TLabel(AOwner) { SetCaption(GB("挂靠标签")); }

void TDBLabel::Align() {
  TWinControl* c = FocusControl();
  if (!c || !FAutoAlign) return;
  int left = Left();
  int top = Top();
  switch (FPos) {
    case psTop:
      left = c->Left();
      top = c->Top() - Height() - FGap;
      break;
    case psBottom:
      left = c->Left();
      top = c->Top() + c->Height() + FGap;
      break;
    case psLeft:
    case psRight:
      // C++ division rounds toward zero, as the placement wants.
      top = c->Height() == Height() ? c->Top() : c->Top() + c->Height() / 2 - Height() / 2;
      left = FPos == psLeft ? c->Left() - Width() - FGap : c->Left() + c->Width() + FGap;
      if (left < 0) left = 0;
      break;
  }
  if (top < 0) top = 0;
  SetBounds(left, top, Width(), Height());
}

void TDBLabel::RefreshCaption() {
  TWinControl* c = FocusControl();
  if (!FAutoCaption || !c) return;
  try {
    const TPropInfo* sourceProp = GetPropInfo(c, "DataSource");
    const TPropInfo* fieldProp = GetPropInfo(c, "DataField");
    if (!sourceProp || !fieldProp || sourceProp->Kind() != tkClass || !fieldProp->PropType->IsString()) return;
    auto* source = ObjectAs<TDataSource>(GetObjectProp(c, sourceProp));
    if (!source || !source->DataSet()) return;
    TField* field = source->DataSet()->FindField(GetStrProp(c, fieldProp));
    if (!field) return;
    SetCaption(field->DisplayLabel());
  } catch (const Exception&) {
    // A control whose properties cannot be read keeps the caption it has.
  }
}

bool TDBLabel::CheckUnique(TWinControl* Control) {
  TWinControl* parent = Parent();
  if (!parent) return true;
  for (int i = 0; i < parent->ComponentCount(); ++i) {
    auto* other = ObjectAs<TDBLabel>(parent->Components(i));
    if (!other || other->FocusControl() != Control) continue;
    if (other != this)
      MessageDlg(GB("不能同时有两个 DBLabel 指到同一个 Control."), mtError, TMsgDlgButtons{mbOK});
    return false;
  }
  return true;
}

void TDBLabel::SetFocusControl(TWinControl* Value) {
  if (Value && !CheckUnique(Value)) return;
  TLabel::SetFocusControl(Value);
  if (Value) Refresh();
}

void TDBLabel::Refresh() {
  RefreshCaption();
  Align();
}

void TDBLabel::SetAutoAlign(bool Value) {
  FAutoAlign = Value;
  Refresh();
}

void TDBLabel::SetAutoCaption(bool Value) {
  FAutoCaption = Value;
  Refresh();
}

void TDBLabel::SetGap(unsigned char Value) {
  if (Value == FGap) return;
  FGap = Value;
  Refresh();
}

void TDBLabel::SetPos(TPos Value) {
  if (Value == FPos) return;
  FPos = Value;
  Refresh();
}
