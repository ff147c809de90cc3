#include "platform/db/Fields.h"

#include <cmath>

#include "platform/db/DataSet.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Numbers.h"
#include "platform/vcl/Publisher.h"

KW_DEFINE_EVENT_TYPEINFO(TFieldNotifyEvent)
KW_DEFINE_EVENT_TYPEINFO(TFieldGetTextEvent)
KW_DEFINE_EVENT_TYPEINFO(TFieldSetTextEvent)
KW_DEFINE_ENUM_TYPEINFO(TIndexOption, "ixPrimary", "ixUnique", "ixDescending", "ixCaseInsensitive",
                        "ixExpression", "ixNonMaintained")
KW_DEFINE_SET_TYPEINFO(TIndexOptions, TIndexOption)

KW_REGISTER_CLASS(TField)
KW_REGISTER_CLASS(TNumericField)
KW_REGISTER_CLASS(TDateTimeField)
KW_REGISTER_CLASS(TStringField)
KW_REGISTER_CLASS(TWideStringField)
KW_REGISTER_CLASS(TIntegerField)
KW_REGISTER_CLASS(TSmallintField)
KW_REGISTER_CLASS(TWordField)
KW_REGISTER_CLASS(TAutoIncField)
KW_REGISTER_CLASS(TLargeintField)
KW_REGISTER_CLASS(TFloatField)
KW_REGISTER_CLASS(TCurrencyField)
KW_REGISTER_CLASS(TBCDField)
KW_REGISTER_CLASS(TBooleanField)
KW_REGISTER_CLASS(TDateField)
KW_REGISTER_CLASS(TTimeField)
KW_REGISTER_CLASS(TBlobField)
KW_REGISTER_CLASS(TMemoField)
KW_REGISTER_CLASS(TBytesField)
KW_REGISTER_CLASS(TFieldDef)
KW_REGISTER_CLASS(TIndexDef)

void TField::PublishMembers(TPublisher<TField>& P) {
  P.Property("FieldName", &TField::FieldName, &TField::SetFieldName);
  P.Property("DisplayLabel", &TField::FDisplayLabel, &TField::SetDisplayLabel);
  P.Property("DisplayWidth", &TField::FDisplayWidth, &TField::SetDisplayWidth).Default(0);
  P.Property("Required", &TField::Required, &TField::SetRequired).Default(false);
  P.Property("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly).Default(false);
  P.Property("Visible", &TField::Visible, &TField::SetVisible).Default(true);
  P.Property("Size", &TField::Size, &TField::SetSize).Default(0);
  P.Property("OnChange", &TField::OnChange, &TField::OnChange);
  P.Property("OnGetText", &TField::OnGetText, &TField::OnGetText);
  P.Property("OnSetText", &TField::OnSetText, &TField::OnSetText);
  P.Property("OnValidate", &TField::OnValidate, &TField::OnValidate);
}

void TNumericField::PublishMembers(TPublisher<TNumericField>& P) {
  P.Property("DisplayFormat", &TField::DisplayFormat, &TField::SetDisplayFormat);
}

void TDateTimeField::PublishMembers(TPublisher<TDateTimeField>& P) {
  P.Property("DisplayFormat", &TField::DisplayFormat, &TField::SetDisplayFormat);
}

void TFieldDef::PublishMembers(TPublisher<TFieldDef>& P) {
  P.Property("Name", &TFieldDef::Name, &TFieldDef::Name);
  P.Property("DataType", &TFieldDef::DataType, &TFieldDef::DataType).Default(ftUnknown);
  P.Property("Size", &TFieldDef::Size, &TFieldDef::Size).Default(0);
  P.Property("Required", &TFieldDef::Required, &TFieldDef::Required).Default(false);
}

void TIndexDef::PublishMembers(TPublisher<TIndexDef>& P) {
  P.Property("Name", &TIndexDef::Name, &TIndexDef::Name);
  P.Property("Fields", &TIndexDef::Fields, &TIndexDef::Fields);
  P.Property("Options", &TIndexDef::Options, &TIndexDef::Options).Default(TIndexOptions{});
}

namespace {

bool IsDateType(TFieldType T) { return T == ftDate || T == ftTime || T == ftDateTime || T == ftTimeStamp; }

// The range an integer field accepts.
void IntegerRange(TFieldType T, int64_t& Low, int64_t& High) {
  switch (T) {
    case ftSmallint: Low = INT16_MIN; High = INT16_MAX; return;
    case ftWord: Low = 0; High = UINT16_MAX; return;
    case ftLargeint: Low = INT64_MIN; High = INT64_MAX; return;
    default: Low = INT32_MIN; High = INT32_MAX; return;
  }
}

}  // namespace

// ---- TField -------------------------------------------------------------------

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

TField::TField(TComponent* AOwner, TFieldType Type, int DefaultSize)
    : TComponent(AOwner), FDataType(Type), FSize(DefaultSize) {}

TField::~TField() {
  if (FDataSet) FDataSet->RemovePersistentField(this);
}

void TField::SetDataSet(TDataSet* Value) {
  if (Value == FDataSet) return;
  if ((FDataSet && FDataSet->Active()) || (Value && Value->Active()))
    DatabaseError("Cannot perform this operation on an open dataset", Value ? Value : FDataSet);
  if (FDataSet) FDataSet->RemovePersistentField(this);
  FDataSet = nullptr;
  if (Value) Value->AddPersistentField(this);
}

TComponent* TField::GetParentComponent() const { return FDataSet; }

void TField::SetParentComponent(TComponent* Parent) {
  if (auto* ds = dynamic_cast<TDataSet*>(Parent)) SetDataSet(ds);
}

void TField::SetFieldName(const AnsiString& Value) {
  if (FDataSet && FDataSet->Active() && Value != FFieldName)
    DatabaseError("Cannot perform this operation on an open dataset", FDataSet);
  FFieldName = Value;
}

void TField::SetSize(int Value) {
  if (FDataSet && FDataSet->Active()) DatabaseError("Cannot perform this operation on an open dataset", FDataSet);
  FSize = Value;
}

void TField::SetDisplayLabel(const AnsiString& Value) {
  // A label equal to the name is no label of its own (and is not stored).
  FDisplayLabel = Value == FFieldName ? AnsiString() : Value;
  if (FDataSet) FDataSet->DataEvent(deLayoutChange, this);
}

int TField::DisplayWidth() const {
  if (FDisplayWidth > 0) return FDisplayWidth;
  if (IsStringType(FDataType) && FSize > 0) return FSize;
  return 10;
}

int TField::Index() const { return FDataSet ? FDataSet->Fields().IndexOf(this) : -1; }

TFieldCell TField::Cell() const {
  if (!FDataSet) DatabaseError(Format("Field '%s' has no dataset", {DisplayName()}));
  return FDataSet->ReadCell(*this);
}

void TField::Store(const TFieldCell& Value) {
  if (!FDataSet) DatabaseError(Format("Field '%s' has no dataset", {DisplayName()}));
  FDataSet->WriteCell(*this, Value);
}

void TField::AccessError(const char* TypeName) const {
  DatabaseError(Format("Cannot access field '%s' as type %s", {DisplayName(), AnsiString(TypeName)}));
}

bool TField::IsNull() const { return Cell().Null; }

AnsiString TField::GetText(bool ForDisplay) const {
  TFieldCell c = Cell();
  if (c.Null) return AnsiString();
  const bool format = ForDisplay && !FDisplayFormat.empty();
  switch (c.Kind) {
    case TStorageKind::Bytes:
      return AnsiString(c.Text);
    case TStorageKind::Int32:
    case TStorageKind::Int64:
      if (format) return FormatFloat(FDisplayFormat, static_cast<double>(c.Int));
      return IntToStr(static_cast<long long>(c.Int));
    case TStorageKind::Double:
      if (IsDateType(FDataType)) {
        TDateTime d(c.Float);
        if (format) return FormatDateTime(FDisplayFormat, d);
        if (FDataType == ftDate) return DateToStr(d);
        if (FDataType == ftTime) return TimeToStr(d);
        return DateTimeToStr(d);
      }
      if (format) return FormatFloat(FDisplayFormat, c.Float);
      return FloatToStr(c.Float);
    case TStorageKind::Scaled: {
      Currency value = Currency::FromScaled(c.Int);
      if (format) return FormatFloat(FDisplayFormat, value.ToDouble());
      return CurrToStr(value);
    }
    case TStorageKind::Bool:
      return c.Int ? "True" : "False";
    default:
      return AnsiString();
  }
}

AnsiString TField::AsString() const { return GetText(false); }

AnsiString TField::Text() const {
  if (OnGetText) {
    AnsiString text;
    OnGetText(const_cast<TField*>(this), text, false);
    return text;
  }
  return GetText(false);
}

AnsiString TField::DisplayText() const {
  if (OnGetText) {
    AnsiString text;
    OnGetText(const_cast<TField*>(this), text, true);
    return text;
  }
  return GetText(true);
}

void TField::SetText(const AnsiString& Value) {
  if (OnSetText)
    OnSetText(this, Value);
  else
    SetAsString(Value);
}

int64_t TField::AsLargeInt() const {
  TFieldCell c = Cell();
  if (c.Null) return 0;
  switch (c.Kind) {
    case TStorageKind::Int32: case TStorageKind::Int64: return c.Int;
    case TStorageKind::Double:
      if (IsDateType(FDataType)) AccessError("Integer");
      return Variant(c.Float).AsInt64();
    case TStorageKind::Scaled: return Variant(Currency::FromScaled(c.Int)).AsInt64();
    case TStorageKind::Bytes: return StrToInt64(AnsiString(c.Text));
    default: AccessError("Integer");
  }
}

int TField::AsInteger() const {
  int64_t v = AsLargeInt();
  if (v < INT32_MIN || v > INT32_MAX) throw EIntOverflow("Integer overflow");
  return static_cast<int>(v);
}

double TField::AsFloat() const {
  TFieldCell c = Cell();
  if (c.Null) return 0;
  switch (c.Kind) {
    case TStorageKind::Int32: case TStorageKind::Int64: return static_cast<double>(c.Int);
    case TStorageKind::Double: return c.Float;
    case TStorageKind::Scaled: return Currency::FromScaled(c.Int).ToDouble();
    case TStorageKind::Bytes: return StrToFloat(AnsiString(c.Text));
    default: AccessError("Float");
  }
}

Currency TField::AsCurrency() const {
  TFieldCell c = Cell();
  if (c.Null) return Currency();
  switch (c.Kind) {
    case TStorageKind::Scaled: return Currency::FromScaled(c.Int);
    case TStorageKind::Int32: case TStorageKind::Int64: return Currency::FromDouble(static_cast<double>(c.Int));
    case TStorageKind::Double:
      if (IsDateType(FDataType)) AccessError("Currency");
      return Currency::FromDouble(c.Float);
    case TStorageKind::Bytes: return StrToCurr(AnsiString(c.Text));
    default: AccessError("Currency");
  }
}

TDateTime TField::AsDateTime() const {
  TFieldCell c = Cell();
  if (c.Null) return TDateTime();
  switch (c.Kind) {
    case TStorageKind::Double: return TDateTime(c.Float);
    case TStorageKind::Bytes: return StrToDateTime(AnsiString(c.Text));
    default: AccessError("DateTime");
  }
}

bool TField::AsBoolean() const {
  TFieldCell c = Cell();
  if (c.Null) return false;
  switch (c.Kind) {
    case TStorageKind::Bool: return c.Int != 0;
    case TStorageKind::Bytes: return StrToBool(AnsiString(c.Text));
    default: AccessError("Boolean");
  }
}

Variant TField::AsVariant() const {
  TFieldCell c = Cell();
  if (c.Null) return Null();
  switch (c.Kind) {
    case TStorageKind::Int32:
      if (FDataType == ftSmallint) return Variant(static_cast<short>(c.Int));
      if (FDataType == ftWord) return Variant(static_cast<unsigned short>(c.Int));
      return Variant(static_cast<int>(c.Int));
    case TStorageKind::Int64: return Variant(static_cast<int64_t>(c.Int));
    case TStorageKind::Double:
      if (IsDateType(FDataType)) return Variant(TDateTime(c.Float));
      return Variant(c.Float);
    case TStorageKind::Scaled: return Variant(Currency::FromScaled(c.Int));
    case TStorageKind::Bool: return Variant(c.Int != 0);
    case TStorageKind::Bytes: return Variant(AnsiString(c.Text));
    default: return Null();
  }
}

void TField::Clear() {
  TFieldCell c;
  c.Kind = StorageOf(FDataType);
  Store(c);
}

namespace {
TFieldCell Cell(TStorageKind Kind) {
  TFieldCell c;
  c.Kind = Kind;
  c.Null = false;
  return c;
}
}  // namespace

void TField::SetAsLargeInt(int64_t Value) {
  TFieldCell c = ::Cell(StorageOf(FDataType));
  switch (c.Kind) {
    case TStorageKind::Int32: case TStorageKind::Int64: {
      int64_t low, high;
      IntegerRange(FDataType, low, high);
      if (Value < low || Value > high)
        DatabaseError(Format("%d is not a valid value for field '%s'. The allowed range is %d to %d",
                             {Value, DisplayName(), low, high}));
      c.Int = Value;
      break;
    }
    case TStorageKind::Double:
      if (IsDateType(FDataType)) AccessError("Integer");
      c.Float = static_cast<double>(Value);
      break;
    case TStorageKind::Scaled: c.Int = Currency::FromDouble(static_cast<double>(Value)).Scaled; break;
    case TStorageKind::Bytes: {
      AnsiString text = IntToStr(static_cast<long long>(Value));
      c.Text = text;
      Store(c);
      return;
    }
    default: AccessError("Integer");
  }
  Store(c);
}

void TField::SetAsInteger(int Value) { SetAsLargeInt(Value); }

void TField::SetAsFloat(double Value) {
  TFieldCell c = ::Cell(StorageOf(FDataType));
  switch (c.Kind) {
    case TStorageKind::Double: c.Float = Value; break;
    case TStorageKind::Scaled: c.Int = Currency::FromDouble(Value).Scaled; break;
    case TStorageKind::Int32: case TStorageKind::Int64: SetAsLargeInt(Variant(Value).AsInt64()); return;
    case TStorageKind::Bytes: {
      AnsiString text = FloatToStr(Value);
      c.Text = text;
      Store(c);
      return;
    }
    default: AccessError("Float");
  }
  Store(c);
}

void TField::SetAsCurrency(Currency Value) {
  TFieldCell c = ::Cell(StorageOf(FDataType));
  switch (c.Kind) {
    case TStorageKind::Scaled: c.Int = Value.Scaled; break;
    case TStorageKind::Double:
      if (IsDateType(FDataType)) AccessError("Currency");
      c.Float = Value.ToDouble();
      break;
    case TStorageKind::Int32: case TStorageKind::Int64: SetAsLargeInt(Variant(Value).AsInt64()); return;
    case TStorageKind::Bytes: {
      AnsiString text = CurrToStr(Value);
      c.Text = text;
      Store(c);
      return;
    }
    default: AccessError("Currency");
  }
  Store(c);
}

void TField::SetAsDateTime(TDateTime Value) {
  TFieldCell c = ::Cell(StorageOf(FDataType));
  switch (c.Kind) {
    case TStorageKind::Double: c.Float = Value.Value; break;
    case TStorageKind::Bytes: {
      AnsiString text = DateTimeToStr(Value);
      c.Text = text;
      Store(c);
      return;
    }
    default: AccessError("DateTime");
  }
  Store(c);
}

void TField::SetAsBoolean(bool Value) {
  TFieldCell c = ::Cell(StorageOf(FDataType));
  switch (c.Kind) {
    case TStorageKind::Bool: c.Int = Value ? 1 : 0; break;
    case TStorageKind::Bytes: c.Text = Value ? "True" : "False"; break;
    default: AccessError("Boolean");
  }
  Store(c);
}

void TField::SetAsString(const AnsiString& Value) {
  const TStorageKind kind = StorageOf(FDataType);
  if (kind == TStorageKind::Bytes) {
    TFieldCell c = ::Cell(kind);
    c.Text = Value;
    Store(c);
    return;
  }
  // An empty text clears a field of any other type.
  if (Value.empty()) {
    Clear();
    return;
  }
  switch (kind) {
    case TStorageKind::Int32: case TStorageKind::Int64: SetAsLargeInt(StrToInt64(Value)); return;
    case TStorageKind::Double:
      if (FDataType == ftDate) SetAsDateTime(StrToDate(Value));
      else if (FDataType == ftTime) SetAsDateTime(StrToTime(Value));
      else if (IsDateType(FDataType)) SetAsDateTime(StrToDateTime(Value));
      else SetAsFloat(StrToFloat(Value));
      return;
    case TStorageKind::Scaled: SetAsCurrency(StrToCurr(Value)); return;
    case TStorageKind::Bool: SetAsBoolean(StrToBool(Value)); return;
    default: AccessError("String");
  }
}

void TField::SetAsVariant(const Variant& Value) {
  if (Value.IsNull() || Value.IsEmpty()) {
    Clear();
    return;
  }
  switch (StorageOf(FDataType)) {
    case TStorageKind::Bytes: SetAsString(Value.AsString()); return;
    case TStorageKind::Int32: case TStorageKind::Int64: SetAsLargeInt(Value.AsInt64()); return;
    case TStorageKind::Double:
      if (IsDateType(FDataType)) SetAsDateTime(Value.AsDate());
      else SetAsFloat(Value.AsFloat());
      return;
    case TStorageKind::Scaled: SetAsCurrency(Value.AsCurrency()); return;
    case TStorageKind::Bool: SetAsBoolean(Value.AsBoolean()); return;
    default: AccessError("Variant");
  }
}

TField* CreateFieldOfType(TFieldType Type, TComponent* Owner) {
  TField* f = nullptr;
  switch (Type) {
    case ftString: case ftFixedChar: f = new TStringField(Owner); break;
    case ftWideString: f = new TWideStringField(Owner); break;
    case ftSmallint: f = new TSmallintField(Owner); break;
    case ftInteger: f = new TIntegerField(Owner); break;
    case ftWord: f = new TWordField(Owner); break;
    case ftAutoInc: f = new TAutoIncField(Owner); break;
    case ftLargeint: f = new TLargeintField(Owner); break;
    case ftFloat: f = new TFloatField(Owner); break;
    case ftCurrency: f = new TCurrencyField(Owner); break;
    case ftBCD: case ftFMTBcd: f = new TBCDField(Owner); break;
    case ftBoolean: f = new TBooleanField(Owner); break;
    case ftDate: f = new TDateField(Owner); break;
    case ftTime: f = new TTimeField(Owner); break;
    case ftDateTime: case ftTimeStamp: f = new TDateTimeField(Owner); break;
    case ftMemo: case ftFmtMemo: case ftOraClob: f = new TMemoField(Owner); break;
    case ftBlob: case ftGraphic: case ftTypedBinary: case ftOraBlob: f = new TBlobField(Owner); break;
    case ftBytes: case ftVarBytes: case ftGuid: f = new TBytesField(Owner); break;
    default:
      DatabaseError(Format("Field type %s is not supported", {AnsiString(FieldTypeName(Type))}));
  }
  f->FDataType = Type;
  return f;
}

// ---- TFields ------------------------------------------------------------------

TField* TFields::Fields(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", {Index}));
  return FList[Index];
}

TField* TFields::FindField(const AnsiString& Name) const {
  for (TField* f : FList)
    if (SameText(f->FieldName(), Name)) return f;
  return nullptr;
}

TField* TFields::FieldByName(const AnsiString& Name) const {
  TField* f = FindField(Name);
  if (!f) DatabaseError(Format("Field '%s' not found", {Name}), FDataSet);
  return f;
}

int TFields::IndexOf(const TField* Field) const {
  for (size_t i = 0; i < FList.size(); ++i)
    if (FList[i] == Field) return static_cast<int>(i);
  return -1;
}

// ---- Definitions ------------------------------------------------------------------

TFieldDef* TFieldDefs::Add(const AnsiString& Name, TFieldType DataType, int Size, bool Required) {
  if (Find(Name)) DatabaseError(Format("Duplicate field name '%s'", {Name}));
  auto* def = static_cast<TFieldDef*>(TCollection::Add());
  def->Name = Name;
  def->DataType = DataType;
  def->Size = Size;
  def->Required = Required;
  return def;
}

TFieldDef* TFieldDefs::Find(const AnsiString& Name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Items(i)->Name, Name)) return Items(i);
  return nullptr;
}

TIndexDef* TIndexDefs::Add(const AnsiString& Name, const AnsiString& Fields, TIndexOptions Options) {
  auto* def = static_cast<TIndexDef*>(TCollection::Add());
  def->Name = Name;
  def->Fields = Fields;
  def->Options = Options;
  return def;
}

TIndexDef* TIndexDefs::Find(const AnsiString& Name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Items(i)->Name, Name)) return Items(i);
  return nullptr;
}
