#include "src/report/PropHelpers.h"

#include "platform/vcl/TypeInfo.h"

namespace {

// The property a name leads to when it is of one of Kinds and the step may
// read (Writing false) or write it; no target otherwise.
TPropTarget Resolve(TObject* Component, const AnsiString& PropName, TTypeKinds Kinds,
                    bool Writing) {
  if (!Component || PropName.empty()) return {};
  try {
    TPropTarget target = ResolvePropPath(Component, PropName);
    if (!target.Instance || !target.Prop || !Kinds.Contains(target.Prop->Kind())) return {};
    if (Writing && !target.Prop->Writable()) return {};
    return target;
  } catch (const Exception&) {
    return {};
  }
}

}  // namespace

AnsiString GetStrPropByName(TObject* Component, const AnsiString& PropName) {
  TPropTarget t = Resolve(Component, PropName, tkStrings, false);
  return t.Prop ? GetStrProp(t.Instance, t.Prop) : AnsiString();
}

void SetStrPropByName(TObject* Component, const AnsiString& PropName, const AnsiString& Value) {
  TPropTarget t = Resolve(Component, PropName, tkStrings, true);
  if (t.Prop) SetStrProp(t.Instance, t.Prop, Value);
}

int64_t GetOrdPropByName(TObject* Component, const AnsiString& PropName) {
  TPropTarget t = Resolve(Component, PropName, tkOrdinal + TTypeKinds{tkSet}, false);
  return t.Prop ? GetOrdProp(t.Instance, t.Prop) : 0;
}

void SetOrdPropByName(TObject* Component, const AnsiString& PropName, int64_t Value) {
  TPropTarget t = Resolve(Component, PropName, tkOrdinal + TTypeKinds{tkSet}, true);
  if (t.Prop) SetOrdProp(t.Instance, t.Prop, Value);
}

TMethod GetMethodPropByName(TObject* Component, const AnsiString& PropName) {
  TPropTarget t = Resolve(Component, PropName, TTypeKinds{tkMethod}, false);
  return t.Prop ? GetMethodProp(t.Instance, t.Prop) : TMethod();
}

void SetMethodPropByName(TObject* Component, const AnsiString& PropName, const TMethod& Value) {
  TPropTarget t = Resolve(Component, PropName, TTypeKinds{tkMethod}, true);
  if (t.Prop) SetMethodProp(t.Instance, t.Prop, Value);
}

bool HasPropByName(TObject* Component, const AnsiString& PropName) {
  if (!Component || PropName.empty()) return false;
  try {
    return IsPublishedProp(Component, PropName);
  } catch (const Exception&) {
    return false;
  }
}
