#pragma once
// The three sub-objects of the host automation object, each a new automation
// object with one reference owned by the caller.
//
// Counter (Com_Counter):
//   GetSysInfo(ref company code) -> [0, i] names and [1, i] values of the
//     company's system settings (table ADMSS of the session's company
//     database), Unassigned when it has none.
//   GetCounter(name, ref source, [company code, company database]) -> the
//     next number. Name "ASTTC": source [voucher type, date "yyyymmdd"]
//     (today when the date is missing or empty) gives the next voucher
//     number of that type: the prefix of the type's coding (CMSMQ MQ008:
//     "1" yyyymmdd, "2" yyyymm, "3" yyyy, anything else none) followed by a
//     serial of MQ009 digits, one above the highest number stored with that
//     prefix and above every number this counter handed out before.
// Validator (Com_Validator):
//   properties ProductID (integer) and BaseLimited (text), kept as set.
//   CheckValue(ref table, ref kind, ref company database, ref values, ref
//     result) -> true with result := the first matching row (an array), or
//     false with result := Unassigned. QueryData: the same with result := an
//     array of every matching row. Tables and kinds: HostLookups.h.
// Lookup window (Com_F2Window): every answer comes from the UI driver.
//   F2GetData(array of 19 elements) -> the chosen row, as an array of one
//     row, or with element 3 true the chosen rows; Unassigned when the person
//     cancels or the list is empty. The row of element 4 (the current code)
//     is selected when the list opens.
//   ShowInputDay([ROC year, start "yyyymmdd", company database]) -> the date
//     entered as "yyyymmdd" ("yyymmdd" counting years from 1911 is accepted
//     when the first element is true); "" when cancelled.
//   GetPhrase(ref user, ref company database, window) -> one line of the
//     common texts (CMSMS) chosen from a list; "" when cancelled.

#include <memory>

#include "platform/rtl/Dispatch.h"

struct THostContext;

IDispatch* NewHostCounter(std::shared_ptr<THostContext> Context);
IDispatch* NewHostValidator(std::shared_ptr<THostContext> Context);
IDispatch* NewHostLookupWindow(std::shared_ptr<THostContext> Context);
