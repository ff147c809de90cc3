#include "host/HostLookups.h"

#include <algorithm>
#include <string>

#include "appserver/Schema.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"

namespace {

struct TLookupDef {
  const char* Table;
  const char* Kind;
  THostLookupUse Use;
  // The statement; each "?" takes the value whose index is next in Params.
  const char* Sql;
  std::vector<int> Params;
};

constexpr THostLookupUse kCheck = THostLookupUse::Check;
constexpr THostLookupUse kList = THostLookupUse::PickList;

const std::vector<TLookupDef>& Lookups() {
  static const std::vector<TLookupDef> defs = {
      {"ADMMB", "01", kCheck, "SELECT MB002, MB003, MB004, MB005, MB006, MB007, MB008, MB009 FROM ADMMB WHERE MB001 = ?", {0}},
      {"GENES", "01", kCheck,
       "SELECT NCONDITION, CREATOR, CREATE_DATE, PROGRAMME, SCONDITION, VCONDITION FROM GENES "
       "WHERE NCONDITION = ? AND CREATOR = ? AND PROGRAMME = ?",
       {0, 1, 2}},
      {"CMSML", "01", kCheck,
       "SELECT ML001, ML002, ML003, ML004, ML005, ML006, ML007, ML008, ML009 FROM CMSML WHERE ML001 = ?", {0}},
      {"CMSMT", "01", kCheck,
       "SELECT MT002, MT003, MT004, MT005, MT006, MT007, MT008, MT009, MT010, MT011, MT012, MT013, MT014 "
       "FROM CMSMT WHERE MT001 = ?",
       {0}},
      {"CMSMQ", "38", kCheck,
       "SELECT MQ002, MQ004, MQ005, MQ006, MQ007, MQ008, MQ009, MQ010, MQ011, MQ012, MQ013, MQ014, MQ015 "
       "FROM CMSMQ WHERE MQ001 = ? AND MQ003 = ?",
       {0, 1}},
      {"CMSMQ", "08", kCheck,
       "SELECT MQ002, MQ004, MQ005, MQ006, MQ007, MQ008, MQ009, MQ010, MQ011, MQ012, MQ013, MQ014, MQ015 "
       "FROM CMSMQ WHERE MQ001 = ?",
       {0}},
      {"CMSMQ", "06", kCheck, "SELECT MQ001, MQ002 FROM CMSMQ WHERE MQ003 = ? ORDER BY MQ001", {0}},
      {"CMSMQ", "06", kList, "SELECT MQ001, MQ002 FROM CMSMQ WHERE MQ003 = ? ORDER BY MQ001", {0}},
      {"CMSMS", "01", kCheck, "SELECT MS003, MS004, MS005, MS006 FROM CMSMS WHERE MS001 = ? AND MS002 = ?", {0, 1}},
      {"CMSMS", "01", kList, "SELECT MS002, MS003, MS004, MS005, MS006 FROM CMSMS WHERE MS001 = ? ORDER BY MS002", {0}},
      {"WARRANT", "01", kCheck, "SELECT NT002, NT004 FROM WARRANT WHERE NT001 = ? ORDER BY NT002", {0}},
      {"WARRANT", "01", kList, "SELECT NT002, NT004 FROM WARRANT WHERE NT001 = ? ORDER BY NT002", {0}},
      {"WARRANT", "03", kCheck, "SELECT NT002, NT001, NT003, NT006 FROM WARRANT WHERE NT001 = ? AND NT002 = ?", {0, 1}},
      {"ASTMB", "01", kCheck, "SELECT MB001, MB002, MB003, MB004, MB005, MB006 FROM ASTMB WHERE MB001 = ?", {0}},
      {"ASTMB", "01", kList, "SELECT MB001, MB002, MB003, MB004 FROM ASTMB ORDER BY MB001", {}},
      {"ASTTC", "60", kCheck, "SELECT TC002, TC003, TC004, TC013 FROM ASTTC WHERE TC001 = ? AND TC002 = ?", {0, 1}},
      {"ASTTC", "60", kList,
       "SELECT TC002, TC003, TC004, TC013 FROM ASTTC WHERE (? = '' OR TC001 = ?) ORDER BY TC002, TC001", {0, 0}},
  };
  return defs;
}

const TLookupDef* FindLookup(const AnsiString& Table, const AnsiString& Kind, THostLookupUse Use) {
  for (const TLookupDef& def : Lookups())
    if (def.Use == Use && SameText(def.Table, Trim(Table)) && def.Kind == Trim(Kind)) return &def;
  return nullptr;
}

}  // namespace

bool HasHostLookup(const AnsiString& Table, const AnsiString& Kind, THostLookupUse Use) {
  return FindLookup(Table, Kind, Use) != nullptr;
}

std::vector<AnsiString> LookupValues(const Variant& Values) {
  std::vector<AnsiString> out;
  if (Values.IsEmpty() || Values.IsNull()) return out;
  if (!Values.IsArray()) {
    out.push_back(VarToStr(Values));
    return out;
  }
  if (VarArrayDimCount(Values) != 1) throw EHostLookupError("Lookup values must be a one-dimensional array");
  for (int i = VarArrayLowBound(Values, 1); i <= VarArrayHighBound(Values, 1); ++i) {
    Variant v = Values.GetElement({i});
    if (v.IsArray()) throw EHostLookupError("A lookup value must not be an array");
    out.push_back(VarToStr(v));
  }
  return out;
}

TRowSet RunHostLookup(TSqlBackend& Db, const AnsiString& Table, const AnsiString& Kind, THostLookupUse Use,
                      const std::vector<AnsiString>& Values) {
  const TLookupDef* def = FindLookup(Table, Kind, Use);
  if (!def)
    throw EHostLookupError("The host has no " + AnsiString(Use == kCheck ? "check" : "pick list") + " for table \"" +
                           Table + "\" kind \"" + Kind + "\"");
  int needed = 0;
  for (int index : def->Params) needed = std::max(needed, index + 1);
  if (static_cast<int>(Values.size()) < needed)
    throw EHostLookupError("The lookup " + AnsiString(def->Table) + " " + def->Kind + " needs " +
                           std::to_string(needed) + " value(s), " + std::to_string(Values.size()) + " given");
  std::vector<Variant> params;
  for (int index : def->Params) params.push_back(Variant(Values[static_cast<size_t>(index)]));
  return Db.Query(def->Sql, params);
}

Variant LookupRow(const TRowSet& Rows, int Row) {
  Variant row = VarArrayCreate({0, Rows.FieldCount() - 1}, varVariant);
  for (int f = 0; f < Rows.FieldCount(); ++f) {
    const Variant& cell = Rows.Value(Row, f);
    row[f] = cell.IsNull() ? Variant(AnsiString()) : cell;
  }
  return row;
}

AnsiString LookupCaption(const AnsiString& Table, unsigned CodePage) {
  if (const TTableDef* def = FindTable(Trim(Table))) return Utf8ToAnsi(def->Caption, CodePage);
  return Table;
}
