#pragma once
// Data-aware controls: controls that show a field of the current record of
// their data source's data set and write what a person types back into it.

#include <functional>

#include "platform/db/DataSource.h"
#include "platform/vcl/StdCtrls.h"

// The link between a control and one field of a data source's data set:
// finds the field by name, tells the control when the field's value or the
// data set's state changed, and puts the data set into edit state when the
// control wants to change the value.
class TFieldDataLink : public TDataLink {
 public:
  const AnsiString& FieldName() const { return FFieldName; }
  // Raises EDatabaseError "<data set>: Field 'X' not found" when the data set
  // is open and has no such field (the link keeps the name and no field).
  void SetFieldName(const AnsiString& Value);
  // The field, or nullptr while the data set is closed or the name unknown.
  TField* Field() const { return Live() ? FField : nullptr; }
  // The data set is open and the data source enabled.
  bool Live() const { return Active() && DataSource()->Enabled(); }
  // The control's own read-only setting.
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  // Whether the value may change: a field, a modifiable data set, and
  // neither the field nor the link read-only.
  bool CanModify() const;
  // The data set is in edit or insert state and the value may change.
  bool Editing() const { return FEditing; }
  // Puts the data set into edit state when it can; true when editing then.
  bool Edit();
  // The control changed the value; UpdateRecord writes it.
  void Modified() { FModified = true; }
  bool IsModified() const { return FModified; }
  // Shows the field's value again, dropping the control's change.
  void Reset();
  // Writes a pending change into the record now.
  void UpdateRecord();

  std::function<void()> OnDataChange;     // show the field's value
  std::function<void()> OnEditingChange;  // Editing() changed
  std::function<void()> OnUpdateData;     // write the control's value into Field()
  std::function<void()> OnActiveChange;

 protected:
  void ActiveChanged() override;
  void DataSetChanged() override { RecordChanged(nullptr); }
  void RecordChanged(TField* ChangedField) override;
  void EditingChanged() override;
  void UpdateData() override;

 private:
  void UpdateField();
  void SetEditing(bool Value);
  static void Call(const std::function<void()>& F) {
    if (F) F();
  }

  AnsiString FFieldName;
  TField* FField = nullptr;
  bool FReadOnly = false;
  bool FEditing = false;
  bool FModified = false;
};

// An edit bound to DataField of DataSource: it shows the current record's
// field (its display text, its edit text while focused), follows scrolling
// and changes of the record, refuses typing when the value cannot change
// (read-only control, field or data set), puts the data set into edit state
// on the first key and writes the text into the field when the focus leaves,
// on Enter and before the record is posted. Escape drops the typed change.
class TDBEdit : public TCustomEdit {
  KW_DECLARE_CLASS(TDBEdit, TCustomEdit)
 public:
  static void PublishMembers(TPublisher<TDBEdit>& P);
  explicit TDBEdit(TComponent* AOwner);
  ~TDBEdit() override;

  TDataSource* DataSource() const { return FDataLink.DataSource(); }
  void SetDataSource(TDataSource* Value);
  const AnsiString& DataField() const { return FDataLink.FieldName(); }
  void SetDataField(const AnsiString& Value);
  TField* Field() const { return FDataLink.Field(); }
  bool ReadOnly() const { return FDataLink.ReadOnly(); }
  void SetReadOnly(bool Value);

 protected:
  void Change() override;
  void DoEnter() override;
  void DoExit() override;
  void KeyDown(unsigned short& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void DataChange();
  void EditingChange();
  void UpdateData();

  TFieldDataLink FDataLink;
  bool FFocused = false;
  bool FShowing = false;  // the text is being set from the field
  // DataField as read from a form description, looked up once loading ends.
  AnsiString FPendingField;
};
