#pragma once
// The master-data lookups the host answers, by table and kind, and the shape
// of the rows they give. The validator checks one row (CheckValue) or lists
// rows (QueryData); the lookup window offers rows as a pick list. Each
// lookup is one statement with bound values on the company database; the
// row's columns are in the order the plug-in reads them by index.
//
//   ADMMB 01  [program]            name, system, type, version, log flag,
//                                  description, usable, English name
//   GENES 01  [name, user, program] the scheme: name, creator, date, program,
//                                  properties, values
//   CMSML 01  [company]            code, name, full name, tax number, phone,
//                                  fax, address, manager, English name
//   CMSMT 01  [program]            note code, note editable, notes on every
//                                  page, three spare flags, sign-off code,
//                                  sign-off editable, sign-off on every page,
//                                  two spare flags, voucher name, layout
//   CMSMQ 38  [type, category]     the voucher type (only of that category):
//                                  name, note code, note editable, sign-off
//                                  code, sign-off editable, coding, serial
//                                  digits, notes on every page, sign-off on
//                                  every page, layout, layout changeable,
//                                  printed name, totals on every page
//   CMSMQ 08  [type]               the same row, whatever the category
//   CMSMQ 06  [category]           code, name (the voucher types of a category)
//   CMSMS 01  check [kind, code]   caption, line 1, line 2, line 3
//             list  [kind]         code, caption, line 1, line 2, line 3
//   WARRANT 01 [layout kind]       name, option state (every layout of a kind)
//   WARRANT 03 [layout kind, name] name, kind, revision, size
//   ASTMB 01  check [asset]        code, name, model, unit, class,
//                                  department
//             list  []             code, name, model, unit
//   ASTTC 60  check [type, number] number, date, asset, remark
//             list  [type]         number, date, asset, remark (every type
//                                  when the type is empty)

#include <vector>

#include "appserver/RowSet.h"
#include "appserver/SqlBackend.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Variant.h"

// A table and kind the host has no lookup for, or values it cannot take.
KW_DECLARE_EXCEPTION(EHostLookupError, Exception)

enum class THostLookupUse { Check, PickList };

// Whether the host answers Table/Kind (names compare without regard to case).
bool HasHostLookup(const AnsiString& Table, const AnsiString& Kind, THostLookupUse Use);

// The lookup's values as texts: an array gives its elements, Empty or Null
// none, anything else one value.
std::vector<AnsiString> LookupValues(const Variant& Values);

// Runs the lookup. Raises EHostLookupError for an unknown table/kind or fewer
// values than the lookup needs (values beyond those are ignored).
TRowSet RunHostLookup(TSqlBackend& Db, const AnsiString& Table, const AnsiString& Kind, THostLookupUse Use,
                      const std::vector<AnsiString>& Values);

// One row as a Variant array from 0, Null cells as empty texts (the plug-in
// reads cells as strings).
Variant LookupRow(const TRowSet& Rows, int Row);

// The table's caption (UTF-8, for pick-list titles), or the table name.
AnsiString LookupCaption(const AnsiString& Table, unsigned CodePage);
