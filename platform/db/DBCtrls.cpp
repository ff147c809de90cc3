#include "platform/db/DBCtrls.h"

#include "platform/vcl/Publisher.h"
#include "platform/vcl/StdCtrlsPublish.h"

KW_REGISTER_CLASS(TDBEdit)

// ===========================================================================
// TFieldDataLink

void TFieldDataLink::SetFieldName(const AnsiString& Value) {
  if (Value == FFieldName) return;
  FFieldName = Value;
  UpdateField();
}

void TFieldDataLink::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  FReadOnly = Value;
  EditingChanged();
}

bool TFieldDataLink::CanModify() const {
  TField* field = Field();
  return !FReadOnly && field && !field->ReadOnly() && DataSet()->CanModify();
}

bool TFieldDataLink::Edit() {
  if (CanModify()) {
    TDataSet* ds = DataSet();
    if (ds->State() != dsEdit && ds->State() != dsInsert) ds->Edit();
  }
  return FEditing;
}

void TFieldDataLink::Reset() { RecordChanged(nullptr); }

void TFieldDataLink::UpdateRecord() {
  // The data set calls back UpdateData before it posts; outside an edit
  // there is nothing to write into.
  if (FModified && FEditing) UpdateData();
}

void TFieldDataLink::UpdateField() {
  FField = nullptr;
  try {
    // Unknown names raise here, naming the data set and the field; the
    // control shows nothing then.
    if (Live() && !FFieldName.empty()) FField = DataSet()->FieldByName(FFieldName);
  } catch (...) {
    EditingChanged();
    RecordChanged(nullptr);
    throw;
  }
  EditingChanged();
  RecordChanged(nullptr);
}

void TFieldDataLink::ActiveChanged() {
  FModified = false;
  try {
    UpdateField();
  } catch (...) {
    Call(OnActiveChange);
    throw;
  }
  Call(OnActiveChange);
}

void TFieldDataLink::RecordChanged(TField* ChangedField) {
  if (ChangedField && ChangedField != Field()) return;
  Call(OnDataChange);
  FModified = false;
}

void TFieldDataLink::SetEditing(bool Value) {
  if (Value == FEditing) return;
  FEditing = Value;
  FModified = false;
  Call(OnEditingChange);
}

void TFieldDataLink::EditingChanged() {
  TDataSet* ds = Live() ? DataSet() : nullptr;
  SetEditing(ds && (ds->State() == dsEdit || ds->State() == dsInsert) && CanModify());
}

void TFieldDataLink::UpdateData() {
  if (!FModified) return;
  if (Field()) Call(OnUpdateData);
  FModified = false;
}

// ===========================================================================
// TDBEdit

void TDBEdit::PublishMembers(TPublisher<TDBEdit>& P) {
  using namespace kw_stdctrls;
  PublishVisual(P, clWindow);
  PublishWinControl(P, true);
  P.Property("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect).Default(true);
  P.Property("AutoSize", &TCustomEdit::AutoSize, &TCustomEdit::SetAutoSize).Default(true);
  P.Property("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle).Default(bsSingleBorder);
  P.Property("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase).Default(ecNormal);
  P.Property("DataField", &TDBEdit::DataField, &TDBEdit::SetDataField);
  P.Property("DataSource", &TDBEdit::DataSource, &TDBEdit::SetDataSource);
  P.Property("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).Default(0);
  P.Property("PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar).Default('\0');
  P.Property("ReadOnly", &TDBEdit::ReadOnly, &TDBEdit::SetReadOnly).Default(false);
  P.Property("OnChange", &TCustomEdit::OnChange, &TCustomEdit::OnChange);
}

TDBEdit::TDBEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  FDataLink.OnDataChange = [this] { DataChange(); };
  FDataLink.OnEditingChange = [this] { EditingChange(); };
  FDataLink.OnUpdateData = [this] { UpdateData(); };
  // Without a field nothing may be typed.
  TCustomEdit::SetReadOnly(true);
}

TDBEdit::~TDBEdit() {
  Destroying();
  FDataLink.OnDataChange = nullptr;
  FDataLink.OnEditingChange = nullptr;
  FDataLink.OnUpdateData = nullptr;
  FDataLink.SetDataSource(nullptr);
}

void TDBEdit::SetDataSource(TDataSource* Value) {
  if (Value == FDataLink.DataSource()) return;
  if (FDataLink.DataSource()) RemoveFreeNotification(FDataLink.DataSource());
  if (Value) FreeNotification(Value);
  FDataLink.SetDataSource(Value);
}

void TDBEdit::SetDataField(const AnsiString& Value) {
  if (ComponentState().Contains(csLoading)) {
    FPendingField = Value;
    return;
  }
  FDataLink.SetFieldName(Value);
}

void TDBEdit::Loaded() {
  TCustomEdit::Loaded();
  AnsiString name = FPendingField;
  FPendingField.clear();
  if (!name.empty()) FDataLink.SetFieldName(name);
  DataChange();
}

void TDBEdit::SetReadOnly(bool Value) { FDataLink.SetReadOnly(Value); }

void TDBEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomEdit::Notification(AComponent, Operation);
  if (Operation == opRemove && FDataLink.DataSource() && AComponent == FDataLink.DataSource())
    FDataLink.SetDataSource(nullptr);
}

void TDBEdit::DataChange() {
  TField* field = FDataLink.Field();
  AnsiString text;
  if (field) text = FFocused && FDataLink.CanModify() ? field->Text() : field->DisplayText();
  FShowing = true;
  try {
    SetText(text);
  } catch (...) {
    FShowing = false;
    throw;
  }
  FShowing = false;
  SetModified(false);
}

void TDBEdit::EditingChange() { TCustomEdit::SetReadOnly(!FDataLink.Editing()); }

void TDBEdit::UpdateData() {
  if (TField* field = FDataLink.Field()) field->SetText(Text());
}

void TDBEdit::Change() {
  if (!FShowing) FDataLink.Modified();
  TCustomEdit::Change();
}

void TDBEdit::DoEnter() {
  FFocused = true;
  // The edit text (no display format) while the person edits.
  if (FDataLink.CanModify()) DataChange();
  TCustomEdit::DoEnter();
}

void TDBEdit::DoExit() {
  try {
    FDataLink.UpdateRecord();
  } catch (...) {
    // The text stays for the person to correct.
    SelectAll();
    throw;
  }
  FFocused = false;
  if (FDataLink.Field()) DataChange();
  TCustomEdit::DoExit();
}

void TDBEdit::KeyDown(unsigned short& Key, TShiftState Shift) {
  if (Key == VK_DELETE && !FDataLink.Edit()) Key = 0;
  TCustomEdit::KeyDown(Key, Shift);
}

void TDBEdit::KeyPress(char& Key) {
  const unsigned char k = static_cast<unsigned char>(Key);
  if (k == VK_ESCAPE) {
    FDataLink.Reset();
    SelectAll();
    Key = 0;
  } else if (k == VK_RETURN) {
    FDataLink.UpdateRecord();
    SelectAll();
    Key = 0;
  } else if ((k >= 0x20 || Key == '\b') && !FDataLink.Edit()) {
    // The value cannot change: the key is dropped.
    Key = 0;
  }
  TCustomEdit::KeyPress(Key);
}
