#pragma once
// Small component classes for the component-model tests: a form-like root
// with controls that sit in parents, a font-like sub-object, a string list, a
// collection, a binary picture, events of several shapes. Included by one
// test file per test program (it registers its classes).

#include <memory>
#include <vector>

#include "platform/rtl/StringList.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/ClassRegistry.h"
#include "platform/vcl/Collection.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/FormResources.h"
#include "platform/vcl/FormText.h"
#include "platform/vcl/IdentMaps.h"
#include "platform/vcl/Publisher.h"
#include "platform/vcl/TypeInfo.h"

enum TTestBevel { tbNone, tbRaised, tbSunken };
enum TTestFontStyle { tfBold, tfItalic, tfUnderline, tfStrikeOut };
using TTestFontStyles = TSet<TTestFontStyle>;

KW_DECLARE_TYPEINFO(TTestBevel)
KW_DECLARE_TYPEINFO(TTestFontStyle)
KW_DECLARE_TYPEINFO(TTestFontStyles)
KW_DEFINE_ENUM_TYPEINFO(TTestBevel, "tbNone", "tbRaised", "tbSunken")
KW_DEFINE_ENUM_TYPEINFO(TTestFontStyle, "tfBold", "tfItalic", "tfUnderline", "tfStrikeOut")
KW_DEFINE_SET_TYPEINFO(TTestFontStyles, TTestFontStyle)

class TTestFont : public TPersistent {
  KW_DECLARE_CLASS(TTestFont, TPersistent)
  KW_PUBLISHED(TTestFont)
 public:
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset V) { FCharset = V; }
  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& V) { FName = V; }
  TColor Color() const { return FColor; }
  void SetColor(TColor V) { FColor = V; }
  int Size() const { return FSize; }
  void SetSize(int V) { FSize = V; }
  TTestFontStyles Style;

  void Assign(const TPersistent* Source) override {
    if (auto* F = ObjectAs<TTestFont>(Source)) {
      FCharset = F->FCharset;
      FName = F->FName;
      FColor = F->FColor;
      FSize = F->FSize;
      Style = F->Style;
      return;
    }
    TPersistent::Assign(Source);
  }

 private:
  TFontCharset FCharset = DEFAULT_CHARSET;
  AnsiString FName = "SimSun";
  TColor FColor = clWindowText;
  int FSize = 9;
};

KW_REGISTER_CLASS(TTestFont)
inline void TTestFont::PublishMembers(TPublisher<TTestFont>& P) {
  P.Property("Charset", &TTestFont::Charset, &TTestFont::SetCharset)
      .Type(TypeInfo_TFontCharset())
      .Default(DEFAULT_CHARSET);
  P.Property("Color", &TTestFont::Color, &TTestFont::SetColor)
      .Type(TypeInfo_TColor())
      .Default(clWindowText);
  P.Property("Name", &TTestFont::Name, &TTestFont::SetName);
  P.Property("Size", &TTestFont::Size, &TTestFont::SetSize).Default(9);
  P.Property("Style", &TTestFont::Style, &TTestFont::Style).Default(TTestFontStyles{});
}

// A picture-like object whose content streams as binary "Data".
class TTestGlyph : public TPersistent {
  KW_DECLARE_CLASS(TTestGlyph, TPersistent)
 public:
  AnsiString Bytes;
  void Assign(const TPersistent* Source) override {
    if (auto* G = ObjectAs<TTestGlyph>(Source)) {
      Bytes = G->Bytes;
      return;
    }
    TPersistent::Assign(Source);
  }
};

struct TTestGlyphStreaming {
  TTestGlyphStreaming() {
    TDefinedProperty P;
    P.Name = "Data";
    P.HasData = [](const TObject* I, const TObject* A) {
      auto* G = static_cast<const TTestGlyph*>(I);
      auto* AG = ObjectAs<TTestGlyph>(A);
      return AG ? G->Bytes != AG->Bytes : !G->Bytes.empty();
    };
    P.Write = [](const TObject* I, TFormValue& V) {
      V.Kind = TFormValueKind::Binary;
      V.Text = static_cast<const TTestGlyph*>(I)->Bytes;
    };
    P.Read = [](TObject* I, const TFormValue& V) {
      if (V.Kind != TFormValueKind::Binary) throw EReadError("Invalid property value");
      static_cast<TTestGlyph*>(I)->Bytes = V.Text;
    };
    DefineProperty(TTestGlyph::StaticClass(), P);
  }
};
static const TTestGlyphStreaming TestGlyphStreaming;

class TTestPanelItem : public TCollectionItem {
  KW_DECLARE_CLASS(TTestPanelItem, TCollectionItem)
  KW_PUBLISHED(TTestPanelItem)
 public:
  using TCollectionItem::TCollectionItem;
  AnsiString Text;
  int Width = 50;
  TTestBevel Bevel = tbRaised;
};

KW_REGISTER_CLASS(TTestPanelItem)
inline void TTestPanelItem::PublishMembers(TPublisher<TTestPanelItem>& P) {
  P.Property("Bevel", &TTestPanelItem::Bevel, &TTestPanelItem::Bevel).Default(tbRaised);
  P.Property("Text", &TTestPanelItem::Text, &TTestPanelItem::Text);
  P.Property("Width", &TTestPanelItem::Width, &TTestPanelItem::Width).Default(50);
}

class TTestPanels : public TCollection {
  KW_DECLARE_CLASS(TTestPanels, TCollection)
 public:
  explicit TTestPanels(TPersistent* Owner) : TCollection(Owner, ItemClassOf<TTestPanelItem>()) {}
  TTestPanelItem* Item(int i) const { return static_cast<TTestPanelItem*>(Items(i)); }
  int Updates = 0;

 protected:
  void Update(TCollectionItem*) override { ++Updates; }
};

// A control: sits in a parent control, which writes it nested in its block.
class TTestControl : public TComponent {
  KW_DECLARE_CLASS(TTestControl, TComponent)
  KW_PUBLISHED(TTestControl)
 public:
  explicit TTestControl(TComponent* AOwner) : TComponent(AOwner) {}
  ~TTestControl() override {
    SetParent(nullptr);
    for (TTestControl* C : FControls) C->FParent = nullptr;
  }

  TTestControl* Parent() const { return FParent; }
  void SetParent(TTestControl* P) {
    if (FParent == P) return;
    if (FParent) std::erase(FParent->FControls, this);
    FParent = P;
    if (P) P->FControls.push_back(this);
  }
  const std::vector<TTestControl*>& Controls() const { return FControls; }

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override { return FParent; }
  void SetParentComponent(TComponent* P) override { SetParent(ObjectAs<TTestControl>(P)); }
  void GetChildren(std::vector<TComponent*>& Children, const TComponent* Root) const override {
    if (Root == this)
      for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* C = Components(i);
        if (!C->GetParentComponent()) Children.push_back(C);
      }
    for (TTestControl* C : FControls)
      if (C->Owner() == Root) Children.push_back(C);
  }
  void Loaded() override {
    TComponent::Loaded();
    ++LoadedCount;
  }

  TTestFont* Font() const { return FFont.get(); }
  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* V) { FItems->Assign(V); }
  TTestPanels* Panels() const { return FPanels.get(); }
  TTestGlyph* Glyph() const { return FGlyph.get(); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool V) { FParentFont = V; }
  bool IsFontStored() const { return !FParentFont; }
  int Limit() const { return FLimit; }
  void SetLimit(int V) {
    if (V < 0) throw EConvertError("Limit must not be negative");
    FLimit = V;
  }

  int Left = 0;
  int Top = 0;
  AnsiString Caption;
  WideString Hint;
  bool Visible = true;
  TColor Color = clBtnFace;
  TCursor Cursor = crDefault;
  TTestBevel Bevel = tbNone;
  double Ratio = 0;
  char Accel = 0;
  int64_t Big = 0;
  Variant Value;
  TTestControl* Partner = nullptr;
  TNotifyEvent OnClick;
  TNotifyEvent OnExit;
  TKeyPressEvent OnKeyPress;
  int LoadedCount = 0;

 private:
  TTestControl* FParent = nullptr;
  std::vector<TTestControl*> FControls;
  std::unique_ptr<TTestFont> FFont = std::make_unique<TTestFont>();
  std::unique_ptr<TStringList> FItems = std::make_unique<TStringList>();
  std::unique_ptr<TTestPanels> FPanels = std::make_unique<TTestPanels>(this);
  std::unique_ptr<TTestGlyph> FGlyph = std::make_unique<TTestGlyph>();
  bool FParentFont = false;
  int FLimit = 0;
};

KW_REGISTER_CLASS(TTestControl)
inline void TTestControl::PublishMembers(TPublisher<TTestControl>& P) {
  P.Property("Left", &TTestControl::Left, &TTestControl::Left).Default(0);
  P.Property("Top", &TTestControl::Top, &TTestControl::Top).Default(0);
  P.Property("Caption", &TTestControl::Caption, &TTestControl::Caption);
  P.Property("Hint", &TTestControl::Hint, &TTestControl::Hint);
  P.Property("Visible", &TTestControl::Visible, &TTestControl::Visible).Default(true);
  P.Property("Color", &TTestControl::Color, &TTestControl::Color)
      .Type(TypeInfo_TColor())
      .Default(clBtnFace);
  P.Property("Cursor", &TTestControl::Cursor, &TTestControl::Cursor)
      .Type(TypeInfo_TCursor())
      .Default(crDefault);
  P.Property("Bevel", &TTestControl::Bevel, &TTestControl::Bevel).Default(tbNone);
  P.Property("Ratio", &TTestControl::Ratio, &TTestControl::Ratio);
  P.Property("Accel", &TTestControl::Accel, &TTestControl::Accel).Default(0);
  P.Property("Big", &TTestControl::Big, &TTestControl::Big);
  P.Property("Value", &TTestControl::Value, &TTestControl::Value);
  P.Property("ParentFont", &TTestControl::ParentFont, &TTestControl::SetParentFont)
      .Default(false);
  P.Property("Font", &TTestControl::Font).StoredWhen<&TTestControl::IsFontStored>();
  P.Property("Items", &TTestControl::Items, &TTestControl::SetItems);
  P.Property("Panels", &TTestControl::Panels);
  P.Property("Glyph", &TTestControl::Glyph);
  P.Property("Partner", &TTestControl::Partner, &TTestControl::Partner);
  P.Property("Limit", &TTestControl::Limit, &TTestControl::SetLimit).Default(0);
  P.Property("OnClick", &TTestControl::OnClick, &TTestControl::OnClick);
  P.Property("OnExit", &TTestControl::OnExit, &TTestControl::OnExit);
  P.Property("OnKeyPress", &TTestControl::OnKeyPress, &TTestControl::OnKeyPress);
}

// A form-like root: reads its class chain's descriptions once it is built and
// publishes its handlers and component fields.
class TTestForm : public TTestControl {
  KW_DECLARE_CLASS(TTestForm, TTestControl)
  KW_PUBLISHED(TTestForm)
 public:
  explicit TTestForm(TComponent* AOwner) : TTestControl(AOwner) {}
  void AfterConstruction() override { InitInheritedComponent(this, TTestControl::StaticClass()); }

  void btnOkClick(TObject* Sender) { Log.push_back("btnOkClick:" + NameOf(Sender)); }
  void FieldExit(TObject* Sender) { Log.push_back("FieldExit:" + NameOf(Sender)); }
  void KeyPress(TObject* Sender, char& Key) {
    Log.push_back(AnsiString("KeyPress:") + Key);
    Key = 0;
  }

  TTestControl* btnOk = nullptr;
  TTestControl* pnlMain = nullptr;
  std::vector<AnsiString> Log;

 private:
  static AnsiString NameOf(TObject* O) {
    auto* C = ObjectAs<TComponent>(O);
    return C ? C->Name() : AnsiString("?");
  }
};

KW_REGISTER_CLASS(TTestForm)
inline void TTestForm::PublishMembers(TPublisher<TTestForm>& P) {
  KW_PUBLISH_METHOD(P, TTestForm, btnOkClick);
  KW_PUBLISH_METHOD(P, TTestForm, FieldExit);
  KW_PUBLISH_METHOD(P, TTestForm, KeyPress);
  KW_PUBLISH_FIELD(P, TTestForm, btnOk);
  KW_PUBLISH_FIELD(P, TTestForm, pnlMain);
}

// A descendant form: its description is read after its ancestor's.
class TTestChildForm : public TTestForm {
  KW_DECLARE_CLASS(TTestChildForm, TTestForm)
  KW_PUBLISHED(TTestChildForm)
 public:
  using TTestForm::TTestForm;
  void btnExtraClick(TObject* Sender) { Log.push_back("btnExtraClick"); }
  TTestControl* btnExtra = nullptr;
};

KW_REGISTER_CLASS(TTestChildForm)
inline void TTestChildForm::PublishMembers(TPublisher<TTestChildForm>& P) {
  KW_PUBLISH_METHOD(P, TTestChildForm, btnExtraClick);
  KW_PUBLISH_FIELD(P, TTestChildForm, btnExtra);
}
