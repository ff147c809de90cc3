#include "src/environment/LangReader.h"

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/Collection.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Publisher.h"
#include "platform/vcl/StdCtrls.h"

KW_DEFINE_EVENT_TYPEINFO(TLoadComponentEvent)
KW_REGISTER_CLASS(TComponentRead)
KW_REGISTER_CLASS(TCustomComboBoxRead)
KW_REGISTER_CLASS(TwwDBCustomComboBoxRead)
KW_REGISTER_CLASS(TLangReader)

namespace {

// Classes of packages this program does not link are recognised by name.
bool InheritsFromName(const TObject* Object, const char* ClassName) {
  for (const TClassInfo* c = &Object->ClassType(); c; c = c->Parent)
    if (SameText(c->Name, ClassName)) return true;
  return false;
}

// A step "Name_N": the name before the first "_" and the index after it; the
// index is -1 when the rest is not a decimal number (or when there is no "_").
struct TStep {
  AnsiString Name;
  int Index = -1;
  bool HasIndex = false;
};

TStep SplitStep(const AnsiString& Step) {
  TStep s;
  const size_t pos = Step.find('_');
  if (pos == AnsiString::npos) {
    s.Name = Step;
    return s;
  }
  s.Name = Step.substr(0, pos);
  s.HasIndex = true;
  const AnsiString rest = Step.substr(pos + 1);
  // Digits only: a negative or absurdly long index can never address a line.
  if (!rest.empty() && rest.size() <= 9 &&
      rest.find_first_not_of("0123456789") == AnsiString::npos)
    s.Index = std::stoi(rest);
  return s;
}

}  // namespace

// ---- Property helpers -------------------------------------------------------

AnsiString GetAttributeText(const TLangNode* Node) {
  return NodeType(Node) == NODE_ATTRIBUTE ? NodeText(Node) : AnsiString();
}

TObject* GetObjectProperty(TObject* Object, const AnsiString& Name) {
  if (!Object) return nullptr;
  const TPropInfo* prop = GetPropInfo(Object, Name);
  if (!prop || prop->Kind() != tkClass) return nullptr;
  return GetObjectProp(Object, prop);
}

void SetPropertyByPath(TObject* Object, const AnsiString& Path, const AnsiString& Value) {
  if (!Object) return;
  const size_t dot = Path.find('.');
  if (dot != AnsiString::npos) {
    TObject* inner = GetObjectProperty(Object, Trim(Path.substr(0, dot)));
    if (inner) SetPropertyByPath(inner, Path.substr(dot + 1), Value);
    return;
  }
  const TPropInfo* prop = GetPropInfo(Object, Trim(Path));
  if (!prop) return;
  const TTypeInfo* type = prop->PropType;
  if (type->Kind == tkInteger && type->Idents) {
    int64_t number = 0;
    if (IdentToInt(type, Trim(Value), number)) {
      SetOrdProp(Object, prop, number);
      return;
    }
  }
  AnsiString text = Value;
  if (type->Kind == tkEnumeration || type->Kind == tkSet) text = Trim(text);
  SetPropText(Object, prop->Name, text);
}

bool TrySetPropertyByPath(TObject* Object, const AnsiString& Path, const AnsiString& Value) {
  try {
    SetPropertyByPath(Object, Path, Value);
    return true;
  } catch (...) {
    return false;
  }
}

// ---- TComponentRead ---------------------------------------------------------

TComponentRead::TComponentRead(TComponent* Component, TLangNode* Node)
    : FComponent(Component), FNode(Node) {}

void TComponentRead::ReadAttribute(const Variant& Which) {
  TLangNode* attribute = nullptr;
  if (VarIsOrdinal(Which) && Which.VarType() != varBoolean)
    attribute = AttributeItem(FNode, Which.AsInteger());
  else if (VarIsStr(Which))
    attribute = NamedAttribute(FNode, Which.AsString());
  if (attribute) ApplyAttribute(attribute);
}

void TComponentRead::ReadAll() {
  const int count = AttributeCount(FNode);
  for (int i = 0; i < count; ++i) ReadAttribute(Variant(i));
}

void TComponentRead::ApplyAttribute(TLangNode* Attribute) {
  const AnsiString name = NodeName(Attribute);
  const AnsiString value = NodeText(Attribute);
  TObject* current = FComponent;
  if (!current) return;

  AnsiString last;
  if (name.find('.') == AnsiString::npos) {
    last = name;
  } else {
    AnsiString rest = name;
    while (true) {
      const size_t dot = rest.find('.');
      const AnsiString step = Trim(rest.substr(0, dot));
      rest = dot == AnsiString::npos ? AnsiString() : rest.substr(dot + 1);
      if (Trim(rest).empty()) {
        last = step;
        break;
      }
      if (step.find('_') == AnsiString::npos) {
        current = GetObjectProperty(current, step);
        if (!current) return;
        continue;
      }
      const TStep s = SplitStep(step);
      const int n = s.Index;
      if (n == -1 || !(SameText(s.Name, "Items") || SameText(s.Name, "Columns"))) {
        last = s.Name;
        break;
      }
      if (auto* collection = dynamic_cast<TCollection*>(current)) {
        if (n < collection->Count()) current = collection->Items(n);
      } else if (auto* listView = dynamic_cast<TCustomListView*>(current)) {
        if (SameText(s.Name, "Columns")) {
          if (n < listView->Columns()->Count()) current = listView->Columns()->Items(n);
        } else if (n < listView->Items()->Count()) {
          current = listView->Items()->Item(n);
        }
      } else if (dynamic_cast<TListItems*>(current)) {
        // List items are addressed through their list view.
      } else if (auto* treeView = dynamic_cast<TCustomTreeView*>(current)) {
        if (SameText(s.Name, "Items") && n < treeView->Items()->Count())
          current = treeView->Items()->Item(n);
      } else {
        current = GetObjectProperty(current, s.Name);
        if (!current) return;
      }
    }
  }

  const TStep target = SplitStep(last);
  const int n = target.Index;
  if (current == FComponent && n >= 0) current = GetObjectProperty(current, target.Name);
  if (!current) return;

  if (auto* lines = dynamic_cast<TStrings*>(current)) {
    if (n < 0) return;
    try {
      // A list backed by a text (a memo's lines) may not grow by an empty
      // line at its end; stop rather than loop for ever.
      while (lines->Count() <= n) {
        const int before = lines->Count();
        lines->Add(AnsiString());
        if (lines->Count() == before) return;
      }
      lines->SetStrings(n, value);
    } catch (...) {
      // A sorted or read-only list refuses; the attribute is skipped.
    }
  } else if (auto* item = dynamic_cast<TListItem*>(current)) {
    if (SameText(target.Name, "Caption"))
      item->SetCaption(value);
    else
      TrySetPropertyByPath(item, target.Name, value);
  } else if (auto* node = dynamic_cast<TTreeNode*>(current)) {
    if (SameText(target.Name, "Text"))
      node->SetText(value);
    else
      TrySetPropertyByPath(node, target.Name, value);
  } else {
    TrySetPropertyByPath(current, target.Name, value);
  }
}

void TCustomComboBoxRead::ReadAll() {
  auto* combo = dynamic_cast<TCustomComboBox*>(GetComponent());
  const int index = combo ? combo->ItemIndex() : -1;
  TComponentRead::ReadAll();
  if (combo) {
    try {
      combo->SetItemIndex(index);
    } catch (...) {
      // The list became shorter than the selection: leave it unselected.
    }
  }
}

void TwwDBCustomComboBoxRead::ReadAll() {
  TComponent* combo = GetComponent();
  const bool hasIndex = combo && GetPropInfo(combo, "ItemIndex") != nullptr;
  int64_t index = -1;
  if (hasIndex) {
    try {
      index = GetOrdProp(combo, "ItemIndex");
    } catch (...) {
    }
  }
  TComponentRead::ReadAll();
  if (hasIndex) {
    try {
      SetOrdProp(combo, "ItemIndex", index);
    } catch (...) {
    }
  }
}

ILangReadPtr TReaderFactory::CreateReader(TComponent* Component, TLangNode* Node) {
  if (Component && InheritsFromName(Component, "TwwDBCustomComboBox"))
    return std::make_shared<TwwDBCustomComboBoxRead>(Component, Node);
  if (dynamic_cast<TCustomComboBox*>(Component))
    return std::make_shared<TCustomComboBoxRead>(Component, Node);
  return std::make_shared<TComponentRead>(Component, Node);
}

// ---- TLangReader ------------------------------------------------------------

TLangReader::TLangReader(std::shared_ptr<TLangDocument> Document)
    : FExcludeList(std::make_unique<TStringList>()), FDocument(std::move(Document)) {}

TLangReader::~TLangReader() = default;

void TLangReader::DoAfterLoadComponent(TComponent* Component, TLangNode* Node) {
  AfterLoadComponent(Component, Node);
}

void TLangReader::DoBeforeLoadComponent(TComponent* Component, TLangNode* Node) {
  BeforeLoadComponent(Component, Node);
}

bool TLangReader::Excluded(const AnsiString& Name) const {
  const AnsiString name = Trim(Name);
  for (int i = 0; i < FExcludeList->Count(); ++i)
    if (SameText(Trim(FExcludeList->Strings(i)), name)) return true;
  return false;
}

void TLangReader::ReadElement(TComponent* Component, TLangNode* Node) {
  DoBeforeLoadComponent(Component, Node);
  TReaderFactory::CreateReader(Component, Node)->ReadAll();
  DoAfterLoadComponent(Component, Node);
}

void TLangReader::ReadComponent(TComponent* Component) {
  if (!Component || !FDocument) return;
  if (dynamic_cast<TCustomForm*>(Component) || InheritsFromName(Component, "TDataModule")) {
    if (TLangNode* root = FDocument->DocumentElement()) ReadElement(Component, root);
  }
  const AnsiString& name = Component->Name();
  // Component names are identifiers, so the name can go into the XPath as it is.
  if (!name.empty() && IsValidIdent(name) && !Excluded(name)) {
    if (TLangNode* element = FDocument->SelectSingleNode("//" + name))
      ReadElement(Component, element);
  }
  // Handlers may create or free components while we walk: index, not iterator.
  for (int i = 0; i < Component->ComponentCount(); ++i) ReadComponent(Component->Components(i));
}
