#pragma once
// Types shared by the data layer: field types, data set states, search and
// index options, and the data error EDatabaseError.

#include <cstdint>

#include "platform/db/DBErrors.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Sets.h"
#include "platform/vcl/TypeInfo.h"

class TComponent;

// Raises EDatabaseError with Message, prefixed "Name: " when Component has a
// name, as data errors name the data set they come from.
[[noreturn]] void DatabaseError(const AnsiString& Message, const TComponent* Component = nullptr);

// Field types, in the run-time's order (their numbers travel in data packets).
enum TFieldType : uint8_t {
  ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
  ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
  ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString,
  ftLargeint, ftADT, ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant,
  ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd
};
constexpr int FieldTypeCount = ftFMTBcd + 1;

// How values of a field type are kept: fixed-width numbers, or bytes.
enum class TStorageKind : uint8_t { None, Int32, Int64, Double, Bool, Scaled, Bytes };

// The storage of a field type; None for types a data set cannot hold.
TStorageKind StorageOf(TFieldType Type);
// "ftString" ...; the names the form text format uses.
const char* FieldTypeName(TFieldType Type);
// Texts and blobs (the types whose Size is a length).
bool IsStringType(TFieldType Type);

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter };

enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption>;

enum TIndexOption { ixPrimary, ixUnique, ixDescending, ixCaseInsensitive, ixExpression, ixNonMaintained };
using TIndexOptions = TSet<TIndexOption>;

// Change-log status of a record.
enum TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };

KW_DECLARE_TYPEINFO(TFieldType)
KW_DECLARE_TYPEINFO(TDataSetState)
