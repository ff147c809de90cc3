#pragma once
// Applying a language document to components: the readers that carry an
// element's attributes over to a component's published properties, and the
// property helpers they (and the base form) use.
//
// An attribute name is a property path: steps separated by "."; a step
// "Name_N" carries an index N ("Items_3" is line 3 of a string list,
// "Columns_1.Caption" the caption of a list view's column 1, "Items_4.Text"
// the text of tree node 4, "Panels.Items_1.Text" an item of a collection).
// Values that do not fit, paths that lead nowhere and indexes out of range
// are skipped one attribute at a time: a language file made for another
// version of a window must never stop that window from showing.

#include <memory>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Object.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/TypeInfo.h"
#include "src/environment/LangDocument.h"

class TComponent;
class TStringList;
class Variant;

// Called around each component a reader applies a document element to.
using TLoadComponentEvent = TEvent<TComponent*, TLangNode*>;
KW_DECLARE_TYPEINFO(TLoadComponentEvent)

// ---- Property helpers -------------------------------------------------------

// The node's text when it is an attribute node, else the empty string.
AnsiString GetAttributeText(const TLangNode* Node);
// Sets a published property by a dotted path from a text: the steps before
// the last name object-typed properties; identifiers of integer types
// ("clRed") become their numbers; enumeration and set texts are trimmed. A
// missing property does nothing; a value that does not fit raises.
void SetPropertyByPath(TObject* Object, const AnsiString& Path, const AnsiString& Value);
// The same; false instead of an exception.
bool TrySetPropertyByPath(TObject* Object, const AnsiString& Path, const AnsiString& Value);
// The value of the published property Name when it is object-typed, else null.
TObject* GetObjectProperty(TObject* Object, const AnsiString& Name);

// ---- Readers of one element -------------------------------------------------

// Reads the attributes of one element into one component.
class ILangRead {
 public:
  virtual ~ILangRead() = default;
  virtual TComponent* GetComponent() const = 0;
  virtual TLangNode* GetNode() const = 0;
  virtual void SetComponent(TComponent* Value) = 0;
  virtual void SetNode(TLangNode* Value) = 0;
  // An integer picks the attribute by position, a text by name; any other
  // value picks nothing.
  virtual void ReadAttribute(const Variant& Which) = 0;
  virtual void ReadAll() = 0;
};
using ILangReadPtr = std::shared_ptr<ILangRead>;

class TComponentRead : public TObject, public ILangRead {
  KW_DECLARE_CLASS(TComponentRead, TObject)
 public:
  TComponentRead(TComponent* Component, TLangNode* Node);

  TComponent* GetComponent() const override { return FComponent; }
  TLangNode* GetNode() const override { return FNode; }
  void SetComponent(TComponent* Value) override { FComponent = Value; }
  void SetNode(TLangNode* Value) override { FNode = Value; }
  void ReadAttribute(const Variant& Which) override;
  void ReadAll() override;

 protected:
  virtual void ApplyAttribute(TLangNode* Attribute);

 private:
  TComponent* FComponent;
  TLangNode* FNode;
};

// Replacing a combo box's lines must not lose its selection.
class TCustomComboBoxRead : public TComponentRead {
  KW_DECLARE_CLASS(TCustomComboBoxRead, TComponentRead)
 public:
  using TComponentRead::TComponentRead;
  void ReadAll() override;
};

// The data-aware combo box of the data-control pack (any class of the name
// "TwwDBCustomComboBox" or derived from it); its selection is kept through
// its published ItemIndex.
class TwwDBCustomComboBoxRead : public TComponentRead {
  KW_DECLARE_CLASS(TwwDBCustomComboBoxRead, TComponentRead)
 public:
  using TComponentRead::TComponentRead;
  void ReadAll() override;
};

class TReaderFactory {
 public:
  static ILangReadPtr CreateReader(TComponent* Component, TLangNode* Node);
};

// ---- Reader of a whole document ---------------------------------------------

class TLangReader : public TObject {
  KW_DECLARE_CLASS(TLangReader, TObject)
 public:
  explicit TLangReader(std::shared_ptr<TLangDocument> Document);
  ~TLangReader() override;
  TLangReader(const TLangReader&) = delete;
  TLangReader& operator=(const TLangReader&) = delete;

  // Applies the document to Component and, depth first, to every component
  // it owns: a form's (or data module's) own attributes from the document
  // element, then each named component's from the first element of its name.
  virtual void ReadComponent(TComponent* Component);

  // Names of components not to translate (trimmed, case ignored); the
  // components they own are still visited.
  TStringList* ExcludeList() const { return FExcludeList.get(); }
  const std::shared_ptr<TLangDocument>& Document() const { return FDocument; }

  TLoadComponentEvent AfterLoadComponent;
  TLoadComponentEvent BeforeLoadComponent;

 protected:
  virtual void DoAfterLoadComponent(TComponent* Component, TLangNode* Node);
  virtual void DoBeforeLoadComponent(TComponent* Component, TLangNode* Node);

 private:
  bool Excluded(const AnsiString& Name) const;
  void ReadElement(TComponent* Component, TLangNode* Node);

  std::unique_ptr<TStringList> FExcludeList;
  std::shared_ptr<TLangDocument> FDocument;
};
