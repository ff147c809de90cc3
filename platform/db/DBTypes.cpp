#include "platform/db/DBTypes.h"

#include "platform/vcl/Component.h"
#include "platform/vcl/Publisher.h"

KW_DEFINE_ENUM_TYPEINFO(TFieldType, "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord",
                        "ftBoolean", "ftFloat", "ftCurrency", "ftBCD", "ftDate", "ftTime",
                        "ftDateTime", "ftBytes", "ftVarBytes", "ftAutoInc", "ftBlob", "ftMemo",
                        "ftGraphic", "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary",
                        "ftCursor", "ftFixedChar", "ftWideString", "ftLargeint", "ftADT", "ftArray",
                        "ftReference", "ftDataSet", "ftOraBlob", "ftOraClob", "ftVariant",
                        "ftInterface", "ftIDispatch", "ftGuid", "ftTimeStamp", "ftFMTBcd")
KW_DEFINE_ENUM_TYPEINFO(TDataSetState, "dsInactive", "dsBrowse", "dsEdit", "dsInsert", "dsSetKey",
                        "dsCalcFields", "dsFilter")

void DatabaseError(const AnsiString& Message, const TComponent* Component) {
  if (Component && !Component->Name().empty()) throw EDatabaseError(Component->Name() + ": " + Message);
  throw EDatabaseError(Message);
}

TStorageKind StorageOf(TFieldType Type) {
  switch (Type) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc:
      return TStorageKind::Int32;
    case ftLargeint:
      return TStorageKind::Int64;
    case ftFloat: case ftCurrency: case ftDate: case ftTime: case ftDateTime: case ftTimeStamp:
      return TStorageKind::Double;
    case ftBoolean:
      return TStorageKind::Bool;
    case ftBCD: case ftFMTBcd:
      return TStorageKind::Scaled;
    case ftString: case ftFixedChar: case ftWideString: case ftMemo: case ftFmtMemo: case ftBlob:
    case ftGraphic: case ftBytes: case ftVarBytes: case ftTypedBinary: case ftOraBlob: case ftOraClob:
    case ftGuid:
      return TStorageKind::Bytes;
    default:
      return TStorageKind::None;
  }
}

const char* FieldTypeName(TFieldType Type) {
  const TTypeInfo* info = TypeInfoOf<TFieldType>();
  if (Type < info->EnumNames.size()) return info->EnumNames[Type].c_str();
  return "ftUnknown";
}

bool IsStringType(TFieldType Type) {
  switch (Type) {
    case ftString: case ftFixedChar: case ftWideString: case ftMemo: case ftFmtMemo: case ftBlob:
    case ftGraphic: case ftBytes: case ftVarBytes: case ftTypedBinary: case ftOraBlob: case ftOraClob:
    case ftGuid:
      return true;
    default:
      return false;
  }
}
