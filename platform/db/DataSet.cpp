#include "platform/db/DataSet.h"

#include <algorithm>
#include <cstring>

#include "platform/db/DataSource.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/Format.h"
#include "platform/vcl/Publisher.h"

KW_DEFINE_EVENT_TYPEINFO(TDataSetNotifyEvent)
KW_REGISTER_CLASS(TDataSet)

void TDataSet::PublishMembers(TPublisher<TDataSet>& P) {
  P.Property("Active", &TDataSet::Active, &TDataSet::SetActive).Default(false);
  P.Property("IndexFieldNames", &TDataSet::IndexFieldNames, &TDataSet::SetIndexFieldNames);
  P.Property("IndexName", &TDataSet::IndexName, &TDataSet::SetIndexName);
  P.Property("ReadOnly", &TDataSet::ReadOnly, &TDataSet::SetReadOnly).Default(false);
  P.Property("FieldDefs", &TDataSet::FieldDefsPtr, nullptr);
  P.Property("IndexDefs", &TDataSet::IndexDefsPtr, nullptr);
  P.Property("BeforeOpen", &TDataSet::BeforeOpen, &TDataSet::BeforeOpen);
  P.Property("AfterOpen", &TDataSet::AfterOpen, &TDataSet::AfterOpen);
  P.Property("BeforeClose", &TDataSet::BeforeClose, &TDataSet::BeforeClose);
  P.Property("AfterClose", &TDataSet::AfterClose, &TDataSet::AfterClose);
  P.Property("BeforeScroll", &TDataSet::BeforeScroll, &TDataSet::BeforeScroll);
  P.Property("AfterScroll", &TDataSet::AfterScroll, &TDataSet::AfterScroll);
  P.Property("BeforeEdit", &TDataSet::BeforeEdit, &TDataSet::BeforeEdit);
  P.Property("AfterEdit", &TDataSet::AfterEdit, &TDataSet::AfterEdit);
  P.Property("BeforeInsert", &TDataSet::BeforeInsert, &TDataSet::BeforeInsert);
  P.Property("AfterInsert", &TDataSet::AfterInsert, &TDataSet::AfterInsert);
  P.Property("BeforePost", &TDataSet::BeforePost, &TDataSet::BeforePost);
  P.Property("AfterPost", &TDataSet::AfterPost, &TDataSet::AfterPost);
  P.Property("BeforeCancel", &TDataSet::BeforeCancel, &TDataSet::BeforeCancel);
  P.Property("AfterCancel", &TDataSet::AfterCancel, &TDataSet::AfterCancel);
  P.Property("BeforeDelete", &TDataSet::BeforeDelete, &TDataSet::BeforeDelete);
  P.Property("AfterDelete", &TDataSet::AfterDelete, &TDataSet::AfterDelete);
  P.Property("OnNewRecord", &TDataSet::OnNewRecord, &TDataSet::OnNewRecord);
}

namespace {

std::vector<AnsiString> SplitNames(const AnsiString& Names) {
  std::vector<AnsiString> result;
  size_t start = 0;
  while (start <= Names.size()) {
    size_t end = Names.find(';', start);
    if (end == AnsiString::npos) end = Names.size();
    AnsiString name = Trim(Names.substr(start, end - start));
    if (!name.empty()) result.push_back(name);
    start = end + 1;
  }
  return result;
}

int CompareBytes(std::string_view A, std::string_view B) {
  int c = std::memcmp(A.data(), B.data(), std::min(A.size(), B.size()));
  if (c) return c;
  return A.size() < B.size() ? -1 : A.size() > B.size() ? 1 : 0;
}

}  // namespace

// ---- Life ---------------------------------------------------------------------

TDataSet::TDataSet(TComponent* AOwner)
    : TComponent(AOwner),
      FFields(this),
      FFieldDefs(std::make_unique<TFieldDefs>(this)),
      FIndexDefs(std::make_unique<TIndexDefs>(this)) {}

TDataSet::~TDataSet() {
  Destroying();
  // Closing without events: handlers may belong to objects already gone.
  FState = dsInactive;
  // Data sources hear of the end through their free notification.
  FDataSources.clear();
  DestroyDynamicFields();
  for (TField* f : FPersistent) {
    f->FDataSet = nullptr;
    f->FColumn = -1;
  }
  FPersistent.clear();
}

TFieldDefs* TDataSet::FieldDefsPtr() const { return FFieldDefs.get(); }
TIndexDefs* TDataSet::IndexDefsPtr() const { return FIndexDefs.get(); }

void TDataSet::CheckActive() const {
  if (FState == dsInactive) DatabaseError("Cannot perform this operation on a closed dataset", this);
}

void TDataSet::SetState(TDataSetState Value) {
  if (FState == Value) return;
  FState = Value;
  DataEvent(deUpdateState);
}

void TDataSet::SetActive(bool Value) {
  if (ComponentState().Contains(csLoading)) {
    FStreamedActive = Value;
    return;
  }
  if (Value == Active()) return;
  if (Value)
    DoOpen();
  else
    DoClose();
}

void TDataSet::Loaded() {
  TComponent::Loaded();
  if (FStreamedActive) {
    FStreamedActive = false;
    Open();
  }
}

void TDataSet::DoOpen() {
  Fire(BeforeOpen);
  try {
    InternalOpen();
    BindFields();
  } catch (...) {
    FColumns.clear();
    FStore.Clear();
    DestroyDynamicFields();
    for (TField* f : FPersistent) f->FColumn = -1;
    throw;
  }
  FOriginals.clear();
  FRemoved.clear();
  FBuffer.clear();
  FState = dsBrowse;
  Rebuild(false);
  FCursor = FOrder.empty() ? -1 : 0;
  FBof = true;
  FEof = FOrder.empty();
  DataEvent(deUpdateState);
  DataEvent(deDataSetChange);
  Fire(AfterOpen);
  if (!FOrder.empty()) Fire(AfterScroll);
}

void TDataSet::DoClose() {
  Fire(BeforeClose);
  FBuffer.clear();
  FModified = false;
  InternalClose();
  FState = dsInactive;
  FColumns.clear();
  FStore.Clear();
  FOrder.clear();
  FOriginals.clear();
  FRemoved.clear();
  FCursor = -1;
  FBof = FEof = true;
  DestroyDynamicFields();
  for (TField* f : FPersistent) f->FColumn = -1;
  DataEvent(deUpdateState);
  DataEvent(deDataSetChange);
  Fire(AfterClose);
}

void TDataSet::LoadPacket(std::string_view Packet) {
  std::vector<TPacketColumn> columns;
  TRecordStore store;
  ReadDataPacket(Packet, columns, store);
  LoadColumns(std::move(columns), std::move(store));
}

void TDataSet::LoadColumns(std::vector<TPacketColumn> Columns, TRecordStore Store) {
  if (static_cast<int>(Columns.size()) != Store.ColumnCount())
    DatabaseError("Column descriptions do not match the records", this);
  FColumns = std::move(Columns);
  FStore = std::move(Store);
}

std::string TDataSet::SavePacket() const {
  CheckActive();
  return WriteDataPacket(FColumns, FStore, &FOrder);
}

// ---- Fields -----------------------------------------------------------------------

void TDataSet::AddPersistentField(TField* Field) {
  FPersistent.push_back(Field);
  Field->FDataSet = this;
}

void TDataSet::RemovePersistentField(TField* Field) {
  FPersistent.erase(std::remove(FPersistent.begin(), FPersistent.end(), Field), FPersistent.end());
  auto& list = FFields.FList;
  list.erase(std::remove(list.begin(), list.end(), Field), list.end());
  Field->FDataSet = nullptr;
}

void TDataSet::DestroyDynamicFields() {
  std::vector<TField*> dynamic;
  for (TField* f : FFields.FList)
    if (std::find(FPersistent.begin(), FPersistent.end(), f) == FPersistent.end()) dynamic.push_back(f);
  FFields.FList.clear();
  for (TField* f : dynamic) {
    f->FDataSet = nullptr;
    delete f;
  }
}

void TDataSet::BindFields() {
  DestroyDynamicFields();
  if (!FPersistent.empty()) {
    // Persistent fields: only these show, each bound to its column.
    for (TField* f : FPersistent) {
      int column = -1;
      for (size_t i = 0; i < FColumns.size() && column < 0; ++i)
        if (SameText(FColumns[i].Name, f->FieldName())) column = static_cast<int>(i);
      if (column < 0) DatabaseError(Format("Field '%s' not found", {f->FieldName()}), this);
      if (StorageOf(f->DataType()) != StorageOf(FColumns[column].DataType))
        DatabaseError(Format("Type mismatch for field '%s', expecting: %s actual: %s",
                             {f->FieldName(), AnsiString(FieldTypeName(f->DataType())) .substr(2),
                              AnsiString(FieldTypeName(FColumns[column].DataType)).substr(2)}),
                      this);
      f->FColumn = column;
    }
    FFields.FList = FPersistent;
    return;
  }
  for (size_t i = 0; i < FColumns.size(); ++i) {
    const TPacketColumn& c = FColumns[i];
    // Owned by this data set: freed when it closes.
    TField* f = CreateFieldOfType(c.DataType, this);
    f->FFieldName = c.Name;
    f->FSize = c.Size;
    f->FDisplayLabel = c.DisplayLabel == c.Name ? AnsiString() : c.DisplayLabel;
    f->FRequired = c.Required;
    f->FReadOnly = c.ReadOnly;
    f->FColumn = static_cast<int>(i);
    f->FDataSet = this;
    FFields.FList.push_back(f);
  }
}

std::vector<TField*> TDataSet::GetFieldList(const AnsiString& FieldNames) const {
  std::vector<TField*> fields;
  for (const AnsiString& name : SplitNames(FieldNames)) fields.push_back(FieldByName(name));
  return fields;
}

Variant TDataSet::FieldValues(const AnsiString& FieldNames) const {
  std::vector<TField*> fields = GetFieldList(FieldNames);
  if (fields.size() == 1) return fields[0]->AsVariant();
  std::vector<Variant> values;
  for (TField* f : fields) values.push_back(f->AsVariant());
  return VarArrayOf(values);
}

void TDataSet::SetFieldValues(const AnsiString& FieldName, const Variant& Value) {
  FieldByName(FieldName)->SetAsVariant(Value);
}

void TDataSet::GetChildren(std::vector<TComponent*>& Children, const TComponent* Root) const {
  for (TField* f : FPersistent)
    if (f->Owner() == Root) Children.push_back(f);
}

void TDataSet::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
}

// ---- Cells ---------------------------------------------------------------------------

int64_t TDataSet::CurrentRow() const {
  if (FCursor < 0 || FCursor >= static_cast<int64_t>(FOrder.size())) return -1;
  return FOrder[FCursor];
}

TFieldCell TDataSet::StoreCell(uint32_t Row, int Column) const {
  TFieldCell c;
  c.Kind = FStore.Column(Column).Kind;
  if (FStore.IsNull(Row, Column)) return c;
  c.Null = false;
  switch (c.Kind) {
    case TStorageKind::Double: c.Float = FStore.GetDouble(Row, Column); break;
    case TStorageKind::Bytes: c.Text = FStore.GetBytes(Row, Column); break;
    default: c.Int = FStore.GetInt(Row, Column); break;
  }
  return c;
}

TFieldCell TDataSet::ReadCell(const TField& Field) const {
  CheckActive();
  const int col = Field.FColumn;
  if (col < 0) DatabaseError(Format("Field '%s' is not bound to the data", {Field.FieldName()}), this);
  if (FState == dsEdit || FState == dsInsert) {
    const TBufferValue& b = FBuffer[col];
    TFieldCell c;
    c.Kind = FStore.Column(col).Kind;
    c.Null = b.Null;
    c.Int = b.Int;
    c.Float = b.Float;
    c.Text = b.Text;
    return c;
  }
  int64_t row = CurrentRow();
  if (row < 0) {
    TFieldCell c;
    c.Kind = FStore.Column(col).Kind;
    return c;
  }
  return StoreCell(static_cast<uint32_t>(row), col);
}

void TDataSet::CheckEditing(const TField& Field) const {
  CheckActive();
  if (FState != dsEdit && FState != dsInsert) DatabaseError("Dataset not in edit or insert mode", this);
  if (Field.ReadOnly()) DatabaseError(Format("Field '%s' cannot be modified", {Field.DisplayName()}), this);
}

void TDataSet::WriteCell(TField& Field, const TFieldCell& Value) {
  CheckEditing(Field);
  TBufferValue& b = FBuffer[Field.FColumn];
  TBufferValue previous = b;
  b.Null = Value.Null;
  b.Int = Value.Int;
  b.Float = Value.Float;
  b.Text = Value.Null ? AnsiString() : AnsiString(Value.Text);
  try {
    Field.OnValidate(&Field);
  } catch (...) {
    b = std::move(previous);
    throw;
  }
  FModified = true;
  Field.OnChange(&Field);
  DataEvent(deFieldChange, &Field);
}

void TDataSet::LoadBuffer(int64_t Row) {
  FBuffer.assign(FColumns.size(), TBufferValue());
  if (Row < 0) return;
  for (int col = 0; col < static_cast<int>(FColumns.size()); ++col) {
    TFieldCell c = StoreCell(static_cast<uint32_t>(Row), col);
    TBufferValue& b = FBuffer[col];
    b.Null = c.Null;
    b.Int = c.Int;
    b.Float = c.Float;
    b.Text = AnsiString(c.Text);
  }
}

void TDataSet::WriteBufferToRow(uint32_t Row) {
  for (int col = 0; col < static_cast<int>(FColumns.size()); ++col) {
    const TBufferValue& b = FBuffer[col];
    if (b.Null) {
      FStore.SetNull(Row, col);
      continue;
    }
    switch (FStore.Column(col).Kind) {
      case TStorageKind::Double: FStore.SetDouble(Row, col, b.Float); break;
      case TStorageKind::Bytes: FStore.SetBytes(Row, col, b.Text); break;
      default: FStore.SetInt(Row, col, b.Int); break;
    }
  }
}

// ---- Views and indexes -------------------------------------------------------------------

std::vector<int> TDataSet::IndexColumns(bool& Descending, bool& CaseInsensitive) const {
  Descending = CaseInsensitive = false;
  AnsiString names = FIndexFieldNames;
  if (!FIndexName.empty()) {
    const TIndexDef* def = FIndexDefs->Find(FIndexName);
    if (!def) DatabaseError(Format("Index '%s' not found", {FIndexName}), this);
    names = def->Fields;
    Descending = def->Options.Contains(ixDescending);
    CaseInsensitive = def->Options.Contains(ixCaseInsensitive);
  }
  std::vector<int> columns;
  for (const AnsiString& name : SplitNames(names)) {
    int column = -1;
    for (size_t i = 0; i < FColumns.size() && column < 0; ++i)
      if (SameText(FColumns[i].Name, name)) column = static_cast<int>(i);
    if (column < 0) DatabaseError(Format("Field '%s' not found", {name}), this);
    columns.push_back(column);
  }
  return columns;
}

namespace {

// Orders rows by the index columns: nulls first, numbers by value, texts by
// their bytes (or ignoring case).
struct TRowOrder {
  const TRecordStore& Store;
  std::vector<int> Columns;
  bool Descending;
  bool CaseInsensitive;

  int Compare(uint32_t A, uint32_t B) const {
    for (int col : Columns) {
      const bool na = Store.IsNull(A, col), nb = Store.IsNull(B, col);
      int c = 0;
      if (na || nb) {
        c = na == nb ? 0 : na ? -1 : 1;
      } else {
        switch (Store.Column(col).Kind) {
          case TStorageKind::Double: {
            double x = Store.GetDouble(A, col), y = Store.GetDouble(B, col);
            c = x < y ? -1 : x > y ? 1 : 0;
            break;
          }
          case TStorageKind::Bytes:
            if (CaseInsensitive)
              c = AnsiCompareText(AnsiString(Store.GetBytes(A, col)), AnsiString(Store.GetBytes(B, col)));
            else
              c = CompareBytes(Store.GetBytes(A, col), Store.GetBytes(B, col));
            break;
          default: {
            int64_t x = Store.GetInt(A, col), y = Store.GetInt(B, col);
            c = x < y ? -1 : x > y ? 1 : 0;
          }
        }
      }
      if (c) return Descending ? -c : c;
    }
    return 0;
  }
  bool operator()(uint32_t A, uint32_t B) const {
    int c = Compare(A, B);
    return c ? c < 0 : A < B;  // equal keys keep the order the records arrived in
  }
};

}  // namespace

void TDataSet::Rebuild(bool KeepCurrent) {
  const int64_t current = KeepCurrent ? CurrentRow() : -1;
  bool descending = false, caseInsensitive = false;
  const bool indexed = !FIndexFieldNames.empty() || !FIndexName.empty();
  // Checked before anything changes, so a bad index leaves the view as it was.
  std::vector<int> columns;
  if (indexed) columns = IndexColumns(descending, caseInsensitive);
  FOrder.clear();
  FOrder.reserve(FStore.RowCount());
  for (uint32_t r = 0; r < FStore.RowCount(); ++r)
    if (FRemoved.empty() || !FRemoved[r]) FOrder.push_back(r);
  if (indexed) {
    TRowOrder order{FStore, std::move(columns), descending, caseInsensitive};
    std::sort(FOrder.begin(), FOrder.end(), order);
  }
  if (current >= 0) {
    auto it = std::find(FOrder.begin(), FOrder.end(), static_cast<uint32_t>(current));
    FCursor = it == FOrder.end() ? (FOrder.empty() ? -1 : 0) : it - FOrder.begin();
  } else {
    FCursor = FOrder.empty() ? -1 : std::min<int64_t>(std::max<int64_t>(FCursor, 0), FOrder.size() - 1);
  }
}

// Puts a row that was just posted at its place in the view's order.
void TDataSet::Reposition(uint32_t Row) {
  if (FIndexFieldNames.empty() && FIndexName.empty()) return;
  auto it = std::find(FOrder.begin(), FOrder.end(), Row);
  if (it != FOrder.end()) FOrder.erase(it);
  bool descending, caseInsensitive;
  TRowOrder order{FStore, IndexColumns(descending, caseInsensitive), descending, caseInsensitive};
  auto at = std::upper_bound(FOrder.begin(), FOrder.end(), Row, order);
  FCursor = FOrder.insert(at, Row) - FOrder.begin();
}

void TDataSet::SetIndexFieldNames(const AnsiString& Value) {
  if (Value == FIndexFieldNames && FIndexName.empty()) return;
  ChangeOrder(Value, AnsiString());
}

void TDataSet::SetIndexName(const AnsiString& Value) {
  if (Value == FIndexName && FIndexFieldNames.empty()) return;
  ChangeOrder(AnsiString(), Value);
}

void TDataSet::ChangeOrder(const AnsiString& FieldNames, const AnsiString& IndexName) {
  AnsiString oldNames = FIndexFieldNames, oldName = FIndexName;
  FIndexFieldNames = FieldNames;
  FIndexName = IndexName;
  if (!Active()) return;
  CheckBrowseMode();
  try {
    Rebuild(true);
  } catch (...) {
    // An order that cannot be built (an unknown field or index) leaves the
    // view as it was.
    FIndexFieldNames = oldNames;
    FIndexName = oldName;
    throw;
  }
  DataEvent(deDataSetChange);
}

void TDataSet::AddIndex(const AnsiString& Name, const AnsiString& Fields, TIndexOptions Options) {
  if (FIndexDefs->Find(Name)) DatabaseError(Format("Index '%s' already exists", {Name}), this);
  FIndexDefs->Add(Name, Fields, Options);
}

// ---- Navigation -----------------------------------------------------------------------------

bool TDataSet::IsEmpty() const {
  CheckActive();
  return FOrder.empty() && FState != dsInsert;
}

int TDataSet::RecordCount() const {
  CheckActive();
  return static_cast<int>(FOrder.size());
}

int TDataSet::RecNo() const {
  CheckActive();
  if (FState == dsInsert) return -1;
  return FCursor < 0 ? 0 : static_cast<int>(FCursor) + 1;
}

// A pending edit is posted first: it may add the record the move counts.
void TDataSet::First() {
  CheckBrowseMode();
  MoveTo(FOrder.empty() ? -1 : 0, true, FOrder.empty());
}

void TDataSet::Last() {
  CheckBrowseMode();
  MoveTo(static_cast<int64_t>(FOrder.size()) - 1, FOrder.empty(), true);
}

int TDataSet::MoveBy(int Distance) {
  CheckBrowseMode();
  Fire(BeforeScroll);
  if (Distance == 0 || (Distance > 0 && FEof) || (Distance < 0 && FBof)) return 0;
  FBof = FEof = false;
  const int64_t count = static_cast<int64_t>(FOrder.size());
  int64_t target = FCursor + Distance;
  if (count == 0) {
    FBof = FEof = true;
    target = -1;
  } else if (target >= count) {
    target = count - 1;
    FEof = true;
  } else if (target < 0) {
    target = 0;
    FBof = true;
  }
  const int moved = static_cast<int>(target - FCursor);
  FCursor = target;
  DataEvent(deDataSetScroll);
  Fire(AfterScroll);
  return moved;
}

void TDataSet::Next() { MoveBy(1); }
void TDataSet::Prior() { MoveBy(-1); }

void TDataSet::MoveTo(int64_t Position, bool Bof, bool Eof) {
  CheckBrowseMode();
  Fire(BeforeScroll);
  FCursor = Position;
  FBof = Bof;
  FEof = Eof;
  DataEvent(deDataSetChange);
  Fire(AfterScroll);
}

void TDataSet::SetRecNo(int Value) {
  CheckActive();
  if (Value < 1 || Value > static_cast<int>(FOrder.size())) return;
  if (Value - 1 == FCursor && FState == dsBrowse) return;
  MoveTo(Value - 1);
}

int64_t TDataSet::Bookmark() const {
  CheckActive();
  return CurrentRow();
}

bool TDataSet::BookmarkValid(int64_t Value) const {
  if (!Active() || Value < 0) return false;
  return std::find(FOrder.begin(), FOrder.end(), static_cast<uint32_t>(Value)) != FOrder.end();
}

void TDataSet::GotoBookmark(int64_t Value) {
  CheckActive();
  auto it = Value < 0 ? FOrder.end() : std::find(FOrder.begin(), FOrder.end(), static_cast<uint32_t>(Value));
  if (it == FOrder.end()) DatabaseError("Record not found", this);
  MoveTo(it - FOrder.begin());
}

// ---- Searching -------------------------------------------------------------------------------

namespace {

// A key converted once to the kind of its field.
struct TKey {
  bool Null = false;
  int64_t Int = 0;
  double Float = 0;
  AnsiString Text;
};

}  // namespace

int64_t TDataSet::FindRecord(const AnsiString& KeyFields, const Variant& KeyValues,
                             TLocateOptions Options) const {
  CheckActive();
  std::vector<TField*> fields = GetFieldList(KeyFields);
  if (fields.empty()) DatabaseError("No key fields given", this);
  std::vector<Variant> values;
  if (fields.size() == 1) {
    if (KeyValues.IsArray() && VarArrayDimCount(KeyValues) == 1 &&
        VarArrayHighBound(KeyValues, 1) == VarArrayLowBound(KeyValues, 1))
      values.push_back(KeyValues.GetElement({VarArrayLowBound(KeyValues, 1)}));
    else
      values.push_back(KeyValues);
  } else {
    if (!KeyValues.IsArray() || VarArrayDimCount(KeyValues) != 1 ||
        VarArrayHighBound(KeyValues, 1) - VarArrayLowBound(KeyValues, 1) + 1 != static_cast<int>(fields.size()))
      DatabaseError("Locate needs one key value for each key field", this);
    for (int i = VarArrayLowBound(KeyValues, 1); i <= VarArrayHighBound(KeyValues, 1); ++i)
      values.push_back(KeyValues.GetElement({i}));
  }

  const bool noCase = Options.Contains(loCaseInsensitive);
  const bool partial = Options.Contains(loPartialKey);
  std::vector<TKey> keys(fields.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    const Variant& v = values[i];
    TKey& k = keys[i];
    if (v.IsNull() || v.IsEmpty()) {
      k.Null = true;
      continue;
    }
    const TFieldType type = fields[i]->DataType();
    switch (StorageOf(type)) {
      case TStorageKind::Bytes: k.Text = noCase ? AnsiUpperCase(v.AsString()) : v.AsString(); break;
      case TStorageKind::Double:
        k.Float = (type == ftFloat || type == ftCurrency) ? v.AsFloat() : v.AsDate().Value;
        break;
      case TStorageKind::Scaled: k.Int = v.AsCurrency().Scaled; break;
      case TStorageKind::Bool: k.Int = v.AsBoolean() ? 1 : 0; break;
      default: k.Int = v.AsInt64(); break;
    }
  }

  for (size_t pos = 0; pos < FOrder.size(); ++pos) {
    const uint32_t row = FOrder[pos];
    bool match = true;
    for (size_t i = 0; i < fields.size() && match; ++i) {
      const int col = fields[i]->FColumn;
      const TKey& k = keys[i];
      if (FStore.IsNull(row, col)) {
        match = k.Null;
        continue;
      }
      if (k.Null) {
        match = false;
        continue;
      }
      switch (FStore.Column(col).Kind) {
        case TStorageKind::Bytes: {
          std::string_view value = FStore.GetBytes(row, col);
          AnsiString folded;
          if (noCase) {
            folded = AnsiUpperCase(AnsiString(value));
            value = folded;
          }
          match = partial ? value.substr(0, k.Text.size()) == k.Text : value == k.Text;
          break;
        }
        case TStorageKind::Double: match = FStore.GetDouble(row, col) == k.Float; break;
        default: match = FStore.GetInt(row, col) == k.Int; break;
      }
    }
    if (match) return static_cast<int64_t>(pos);
  }
  return -1;
}

bool TDataSet::Locate(const AnsiString& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
  CheckBrowseMode();
  int64_t pos = FindRecord(KeyFields, KeyValues, Options);
  if (pos < 0) return false;
  MoveTo(pos);
  return true;
}

Variant TDataSet::Lookup(const AnsiString& KeyFields, const Variant& KeyValues, const AnsiString& ResultFields) {
  CheckBrowseMode();
  int64_t pos = FindRecord(KeyFields, KeyValues, {});
  if (pos < 0) return Null();
  // Read the values with the cursor on that record, then put it back
  // without scrolling.
  const int64_t saved = FCursor;
  FCursor = pos;
  Variant result;
  try {
    result = FieldValues(ResultFields);
  } catch (...) {
    FCursor = saved;
    throw;
  }
  FCursor = saved;
  return result;
}

// ---- Editing ---------------------------------------------------------------------------------

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode);
  if (FState == dsEdit || FState == dsInsert) {
    if (FModified)
      Post();
    else
      Cancel();
  }
}

void TDataSet::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  if (Value && (FState == dsEdit || FState == dsInsert)) Cancel();
  FReadOnly = Value;
  // Data-aware controls look at the data set's state to allow input.
  if (Active()) DataEvent(deUpdateState);
}

void TDataSet::CheckCanModify() const {
  CheckActive();
  if (FReadOnly) DatabaseError("Cannot modify a read-only dataset", this);
}

void TDataSet::Edit() {
  CheckActive();
  if (FState == dsEdit || FState == dsInsert) return;
  CheckCanModify();
  if (FOrder.empty()) {
    Append();
    return;
  }
  Fire(BeforeEdit);
  LoadBuffer(CurrentRow());
  FModified = false;
  SetState(dsEdit);
  DataEvent(deRecordChange);
  Fire(AfterEdit);
}

void TDataSet::Insert() {
  CheckCanModify();
  CheckBrowseMode();
  Fire(BeforeInsert);
  Fire(BeforeScroll);
  FInsertPosition = FCursor < 0 ? static_cast<int64_t>(FOrder.size()) : FCursor;
  LoadBuffer(-1);
  FModified = false;
  SetState(dsInsert);
  OnNewRecord(this);
  DataEvent(deDataSetChange);
  Fire(AfterInsert);
  Fire(AfterScroll);
}

void TDataSet::Append() {
  CheckCanModify();
  CheckBrowseMode();
  Fire(BeforeInsert);
  Fire(BeforeScroll);
  FInsertPosition = static_cast<int64_t>(FOrder.size());
  LoadBuffer(-1);
  FModified = false;
  SetState(dsInsert);
  OnNewRecord(this);
  DataEvent(deDataSetChange);
  Fire(AfterInsert);
  Fire(AfterScroll);
}

void TDataSet::RecordOriginal(uint32_t Row) {
  if (FOriginals.count(Row)) return;
  TLogEntry entry;
  entry.Status = usModified;
  for (int col = 0; col < static_cast<int>(FColumns.size()); ++col) {
    TFieldCell c = StoreCell(Row, col);
    TBufferValue b;
    b.Null = c.Null;
    b.Int = c.Int;
    b.Float = c.Float;
    b.Text = AnsiString(c.Text);
    entry.Original.push_back(std::move(b));
  }
  FOriginals.emplace(Row, std::move(entry));
}

void TDataSet::Post() {
  CheckActive();
  if (FState != dsEdit && FState != dsInsert) return;
  DataEvent(deUpdateRecord);
  Fire(BeforePost);
  for (TField* f : FFields.FList)
    if (f->Required() && f->FColumn >= 0 && FBuffer[f->FColumn].Null)
      DatabaseError(Format("Field '%s' must have a value", {f->DisplayName()}), this);

  uint32_t row;
  if (FState == dsEdit) {
    row = static_cast<uint32_t>(CurrentRow());
    RecordOriginal(row);
    WriteBufferToRow(row);
  } else {
    row = FStore.AppendRow();
    WriteBufferToRow(row);
    if (!FRemoved.empty()) FRemoved.push_back(false);
    TLogEntry entry;
    entry.Status = usInserted;
    FOriginals.emplace(row, std::move(entry));
    const int64_t at = std::clamp<int64_t>(FInsertPosition, 0, static_cast<int64_t>(FOrder.size()));
    FOrder.insert(FOrder.begin() + at, row);
    FCursor = at;
  }
  Reposition(row);
  FBuffer.clear();
  FModified = false;
  FBof = FEof = false;
  SetState(dsBrowse);
  DataEvent(deDataSetChange);
  Fire(AfterPost);
}

void TDataSet::Cancel() {
  CheckActive();
  if (FState != dsEdit && FState != dsInsert) return;
  Fire(BeforeCancel);
  FBuffer.clear();
  FModified = false;
  SetState(dsBrowse);
  DataEvent(deDataSetChange);
  Fire(AfterCancel);
}

void TDataSet::Delete() {
  CheckActive();
  if (FState == dsInsert) {
    Cancel();
    return;
  }
  CheckCanModify();
  if (FOrder.empty()) DatabaseError("Cannot perform this operation on an empty dataset", this);
  if (FState == dsEdit) Cancel();
  Fire(BeforeDelete);
  Fire(BeforeScroll);
  const uint32_t row = FOrder[FCursor];
  auto logged = FOriginals.find(row);
  if (logged != FOriginals.end() && logged->second.Status == usInserted) {
    FOriginals.erase(logged);  // never fetched: nothing to remember
  } else if (logged != FOriginals.end()) {
    logged->second.Status = usDeleted;
  } else {
    TLogEntry entry;
    entry.Status = usDeleted;
    FOriginals.emplace(row, std::move(entry));
  }
  if (FRemoved.empty()) FRemoved.assign(FStore.RowCount(), false);
  FRemoved[row] = true;
  FOrder.erase(FOrder.begin() + FCursor);
  if (FCursor >= static_cast<int64_t>(FOrder.size())) FCursor = static_cast<int64_t>(FOrder.size()) - 1;
  FBof = FCursor <= 0;
  FEof = FOrder.empty();
  DataEvent(deDataSetChange);
  Fire(AfterDelete);
  Fire(AfterScroll);
}

void TDataSet::AppendRecord(const std::vector<Variant>& Values) {
  Append();
  for (size_t i = 0; i < Values.size() && i < FFields.FList.size(); ++i)
    FFields.FList[i]->SetAsVariant(Values[i]);
  Post();
}

void TDataSet::InsertRecord(const std::vector<Variant>& Values) {
  Insert();
  for (size_t i = 0; i < Values.size() && i < FFields.FList.size(); ++i)
    FFields.FList[i]->SetAsVariant(Values[i]);
  Post();
}

int TDataSet::ChangeCount() const {
  CheckActive();
  return static_cast<int>(FOriginals.size());
}

TUpdateStatus TDataSet::UpdateStatus() const {
  CheckActive();
  int64_t row = CurrentRow();
  if (row < 0) return usUnmodified;
  auto it = FOriginals.find(static_cast<uint32_t>(row));
  return it == FOriginals.end() ? usUnmodified : it->second.Status;
}

void TDataSet::CancelUpdates() {
  CheckActive();
  if (FState == dsEdit || FState == dsInsert) Cancel();
  if (FRemoved.empty()) FRemoved.assign(FStore.RowCount(), false);
  for (auto& [row, entry] : FOriginals) {
    if (entry.Status == usInserted) {
      FRemoved[row] = true;
      continue;
    }
    FRemoved[row] = false;
    if (!entry.Original.empty()) {
      FBuffer = entry.Original;
      WriteBufferToRow(row);
    }
  }
  FBuffer.clear();
  FOriginals.clear();
  Rebuild(true);
  FBof = FCursor <= 0;
  FEof = FOrder.empty();
  DataEvent(deDataSetChange);
}

void TDataSet::MergeChangeLog() {
  CheckActive();
  FOriginals.clear();
}

void TDataSet::EmptyDataSet() {
  CheckActive();
  if (FState == dsEdit || FState == dsInsert) Cancel();
  FStore.ClearRows();
  FOrder.clear();
  FOriginals.clear();
  FRemoved.clear();
  FCursor = -1;
  FBof = FEof = true;
  DataEvent(deDataSetChange);
}

size_t TDataSet::MemoryUsed() const {
  return FStore.MemoryUsed() + FOrder.capacity() * sizeof(uint32_t) + FRemoved.capacity() / 8;
}

// ---- Notifications ------------------------------------------------------------------------------

void TDataSet::DisableControls() { ++FDisableCount; }

void TDataSet::EnableControls() {
  if (FDisableCount == 0) return;
  if (--FDisableCount == 0 && FPendingChange) {
    FPendingChange = false;
    DataEvent(deDataSetChange);
  }
}

void TDataSet::DataEvent(TDataEvent Event, TField* Field) {
  if (FDisableCount > 0 && Event != deUpdateState && Event != deCheckBrowseMode && Event != deUpdateRecord) {
    FPendingChange = true;
    return;
  }
  std::vector<TDataSource*> sources = FDataSources;
  for (TDataSource* ds : sources) ds->DataEvent(Event, Field);
}
