#pragma once
// Fields of a data set: each TField reads and writes one column of the data
// set's current record, with the run-time's conversions (AsString,
// AsInteger, ...) and its text events (OnGetText/OnSetText, which display
// conversions hook into). Field classes follow the field types
// (TStringField, TIntegerField, TFloatField, TDateTimeField ...), so code and
// form descriptions can tell them apart by class.
//
// Fields a data set makes when it opens ("dynamic" fields) belong to the data
// set. Fields declared in a form description ("persistent" fields) belong to
// the form and name their data set; when a data set has persistent fields it
// shows only those, bound to the columns of the same name.
//
// TFieldDefs describe the columns of a data set made locally (CreateDataSet).

#include <cstdint>
#include <vector>

#include "platform/db/DBTypes.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/ValueTypes.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/Collection.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Events.h"

class TDataSet;
class TField;

using TFieldNotifyEvent = TEvent<TField*>;
// Text for display (DisplayText true) or for editing.
using TFieldGetTextEvent = TEvent<TField*, AnsiString&, bool>;
using TFieldSetTextEvent = TEvent<TField*, const AnsiString&>;
KW_DECLARE_TYPEINFO(TFieldNotifyEvent)
KW_DECLARE_TYPEINFO(TFieldGetTextEvent)
KW_DECLARE_TYPEINFO(TFieldSetTextEvent)

// One value of a record as the storage keeps it (what a field converts from).
struct TFieldCell {
  TStorageKind Kind = TStorageKind::None;
  bool Null = true;
  int64_t Int = 0;     // Int32, Int64, Bool (0/1), Scaled (x 10,000)
  double Float = 0;    // Double (dates as days)
  std::string_view Text;
};

class TField : public TComponent {
  KW_DECLARE_CLASS(TField, TComponent)
 public:
  static void PublishMembers(TPublisher<TField>& P);
  explicit TField(TComponent* AOwner);
  ~TField() override;

  TDataSet* DataSet() const { return FDataSet; }
  // Makes this a persistent field of Value (or of none).
  void SetDataSet(TDataSet* Value);

  const AnsiString& FieldName() const { return FFieldName; }
  void SetFieldName(const AnsiString& Value);
  TFieldType DataType() const { return FDataType; }
  int Size() const { return FSize; }
  void SetSize(int Value);
  // The caption shown for the field: FieldName when no label was set.
  AnsiString DisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
  void SetDisplayLabel(const AnsiString& Value);
  AnsiString DisplayName() const { return DisplayLabel(); }
  int DisplayWidth() const;
  void SetDisplayWidth(int Value) { FDisplayWidth = Value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value) { FVisible = Value; }
  bool Required() const { return FRequired; }
  void SetRequired(bool Value) { FRequired = Value; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  const AnsiString& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const AnsiString& Value) { FDisplayFormat = Value; }
  // Position among the data set's fields (-1 outside one); FieldNo counts
  // the columns of the data from 1 (0 while not bound).
  int Index() const;
  int FieldNo() const { return FColumn + 1; }
  bool IsBlob() const { return FDataType == ftBlob || FDataType == ftMemo || FDataType == ftGraphic; }

  // ---- The value in the current record ------------------------------------
  // Reading a field of a closed data set raises EDatabaseError; an empty data
  // set gives Null. Writing needs the data set in edit or insert mode.
  bool IsNull() const;
  AnsiString AsString() const;
  void SetAsString(const AnsiString& Value);
  int AsInteger() const;
  void SetAsInteger(int Value);
  int64_t AsLargeInt() const;
  void SetAsLargeInt(int64_t Value);
  double AsFloat() const;
  void SetAsFloat(double Value);
  Currency AsCurrency() const;
  void SetAsCurrency(Currency Value);
  TDateTime AsDateTime() const;
  void SetAsDateTime(TDateTime Value);
  bool AsBoolean() const;
  void SetAsBoolean(bool Value);
  // Null for a null value; otherwise the value with the field's kind.
  Variant AsVariant() const;
  void SetAsVariant(const Variant& Value);
  Variant Value() const { return AsVariant(); }
  void SetValue(const Variant& V) { SetAsVariant(V); }
  void Clear();
  // Through OnGetText / OnSetText when assigned: the edit text and the
  // display text (DisplayFormat applies to the display text).
  AnsiString Text() const;
  void SetText(const AnsiString& Value);
  AnsiString DisplayText() const;

  // ---- Form descriptions ------------------------------------------------------
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Parent) override;

  TFieldGetTextEvent OnGetText;
  TFieldSetTextEvent OnSetText;
  TFieldNotifyEvent OnChange;
  TFieldNotifyEvent OnValidate;

 protected:
  // For the classes of each field type.
  TField(TComponent* AOwner, TFieldType Type, int DefaultSize = 0);
  // The value as text, formatted for display or plain.
  virtual AnsiString GetText(bool ForDisplay) const;

 private:
  friend class TDataSet;
  TFieldCell Cell() const;
  // Stores a value converted to the field's kind.
  void Store(const TFieldCell& Value);
  [[noreturn]] void AccessError(const char* TypeName) const;
  friend TField* CreateFieldOfType(TFieldType Type, TComponent* Owner);

  TDataSet* FDataSet = nullptr;
  AnsiString FFieldName;
  TFieldType FDataType = ftUnknown;
  int FSize = 0;
  AnsiString FDisplayLabel;
  AnsiString FDisplayFormat;
  int FDisplayWidth = 0;
  bool FVisible = true;
  bool FRequired = false;
  bool FReadOnly = false;
  int FColumn = -1;  // column of the data set's store
};

// Field classes by type. Each sets its data type; the form text format
// creates them by class name.
#define KW_DECLARE_FIELD_CLASS(Cls, Base, Type, Size)                              \
  class Cls : public Base {                                                        \
    KW_DECLARE_CLASS(Cls, Base)                                                    \
   public:                                                                         \
    explicit Cls(TComponent* AOwner) : Base(AOwner, Type, Size) {}                 \
                                                                                   \
   protected:                                                                      \
    Cls(TComponent* AOwner, TFieldType AType, int ASize) : Base(AOwner, AType, ASize) {} \
  };

// A field type with its own published members (DisplayFormat).
class TNumericField : public TField {
  KW_DECLARE_CLASS(TNumericField, TField)
 public:
  static void PublishMembers(TPublisher<TNumericField>& P);

 protected:
  using TField::TField;
};

class TDateTimeField : public TField {
  KW_DECLARE_CLASS(TDateTimeField, TField)
 public:
  static void PublishMembers(TPublisher<TDateTimeField>& P);
  explicit TDateTimeField(TComponent* AOwner) : TField(AOwner, ftDateTime) {}

 protected:
  TDateTimeField(TComponent* AOwner, TFieldType Type, int Size) : TField(AOwner, Type, Size) {}
};

class TStringFieldBase : public TField {
  KW_DECLARE_CLASS(TStringFieldBase, TField)
 protected:
  using TField::TField;
};

KW_DECLARE_FIELD_CLASS(TStringField, TStringFieldBase, ftString, 20)
KW_DECLARE_FIELD_CLASS(TWideStringField, TStringField, ftWideString, 20)
KW_DECLARE_FIELD_CLASS(TIntegerField, TNumericField, ftInteger, 0)
KW_DECLARE_FIELD_CLASS(TSmallintField, TIntegerField, ftSmallint, 0)
KW_DECLARE_FIELD_CLASS(TWordField, TIntegerField, ftWord, 0)
KW_DECLARE_FIELD_CLASS(TAutoIncField, TIntegerField, ftAutoInc, 0)
KW_DECLARE_FIELD_CLASS(TLargeintField, TNumericField, ftLargeint, 0)
KW_DECLARE_FIELD_CLASS(TFloatField, TNumericField, ftFloat, 0)
KW_DECLARE_FIELD_CLASS(TCurrencyField, TFloatField, ftCurrency, 0)
KW_DECLARE_FIELD_CLASS(TBCDField, TNumericField, ftBCD, 4)
KW_DECLARE_FIELD_CLASS(TBooleanField, TField, ftBoolean, 0)
KW_DECLARE_FIELD_CLASS(TDateField, TDateTimeField, ftDate, 0)
KW_DECLARE_FIELD_CLASS(TTimeField, TDateTimeField, ftTime, 0)
KW_DECLARE_FIELD_CLASS(TBlobField, TField, ftBlob, 0)
KW_DECLARE_FIELD_CLASS(TMemoField, TBlobField, ftMemo, 0)
KW_DECLARE_FIELD_CLASS(TBytesField, TField, ftBytes, 16)

// A new field of the class that fits the type, owned by Owner. Raises
// EDatabaseError for a type a data set cannot hold.
TField* CreateFieldOfType(TFieldType Type, TComponent* Owner);

// The fields of a data set, in display order.
class TFields {
 public:
  explicit TFields(TDataSet* DataSet) : FDataSet(DataSet) {}
  int Count() const { return static_cast<int>(FList.size()); }
  // Raises EListError for an index out of range.
  TField* Fields(int Index) const;
  TField* operator[](int Index) const { return Fields(Index); }
  // By name, ignoring case; nullptr when there is none.
  TField* FindField(const AnsiString& Name) const;
  // Raises EDatabaseError "<data set>: Field 'X' not found".
  TField* FieldByName(const AnsiString& Name) const;
  int IndexOf(const TField* Field) const;
  auto begin() const { return FList.begin(); }
  auto end() const { return FList.end(); }

 private:
  friend class TDataSet;
  TDataSet* FDataSet;
  std::vector<TField*> FList;
};

// ---- Field definitions ------------------------------------------------------------

class TFieldDef : public TCollectionItem {
  KW_DECLARE_CLASS(TFieldDef, TCollectionItem)
 public:
  static void PublishMembers(TPublisher<TFieldDef>& P);
  explicit TFieldDef(TCollection* Collection) : TCollectionItem(Collection) {}
  AnsiString DisplayName() const override { return Name; }

  AnsiString Name;
  TFieldType DataType = ftUnknown;
  int Size = 0;
  bool Required = false;
};

class TFieldDefs : public TCollection {
  KW_DECLARE_CLASS(TFieldDefs, TCollection)
 public:
  explicit TFieldDefs(TPersistent* Owner) : TCollection(Owner, ItemClassOf<TFieldDef>()) {}
  TFieldDef* Add(const AnsiString& Name, TFieldType DataType, int Size = 0, bool Required = false);
  TFieldDef* Items(int Index) const { return static_cast<TFieldDef*>(TCollection::Items(Index)); }
  // By name, ignoring case; nullptr when there is none.
  TFieldDef* Find(const AnsiString& Name) const;
};

// ---- Index definitions --------------------------------------------------------------

class TIndexDef : public TCollectionItem {
  KW_DECLARE_CLASS(TIndexDef, TCollectionItem)
 public:
  static void PublishMembers(TPublisher<TIndexDef>& P);
  explicit TIndexDef(TCollection* Collection) : TCollectionItem(Collection) {}
  AnsiString DisplayName() const override { return Name; }

  AnsiString Name;
  AnsiString Fields;  // "A;B"
  TIndexOptions Options;
};

class TIndexDefs : public TCollection {
  KW_DECLARE_CLASS(TIndexDefs, TCollection)
 public:
  explicit TIndexDefs(TPersistent* Owner) : TCollection(Owner, ItemClassOf<TIndexDef>()) {}
  TIndexDef* Add(const AnsiString& Name, const AnsiString& Fields, TIndexOptions Options = {});
  TIndexDef* Items(int Index) const { return static_cast<TIndexDef*>(TCollection::Items(Index)); }
  TIndexDef* Find(const AnsiString& Name) const;
};

KW_DECLARE_TYPEINFO(TIndexOption)
KW_DECLARE_TYPEINFO(TIndexOptions)
