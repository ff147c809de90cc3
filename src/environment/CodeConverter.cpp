#include "src/environment/CodeConverter.h"

#include <exception>
#include <vector>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/StringList.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Publisher.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/Tabs.h"
#include "platform/vcl/TypeInfo.h"
#include "src/environment/TandrilINI.h"
#include "src/report/PropHelpers.h"

KW_REGISTER_CLASS(TCodeConverter)

namespace {

constexpr int ToGBDirection = 1;
constexpr int ToBig5Direction = 2;

// The published property Name of Component when its type is called TypeName
// (ignoring case); nullptr otherwise.
const TPropInfo* TypedProp(const TObject* Component, const char* Name, const char* TypeName) {
  const TPropInfo* prop = GetPropInfo(Component, Name);
  if (!prop || !prop->PropType || !SameText(prop->PropType->Name, TypeName)) return nullptr;
  return prop;
}

template <class T>
T* TypedObjectProp(TObject* Component, const char* Name, const char* TypeName) {
  const TPropInfo* prop = TypedProp(Component, Name, TypeName);
  return prop ? ObjectAs<T>(GetObjectProp(Component, prop)) : nullptr;
}

// Classes that live in packages this layer does not link are recognised by
// name, as a form read from its description would name them.
bool InheritsFromName(const TObject* Object, const char* ClassName) {
  for (const TClassInfo* c = &Object->ClassType(); c; c = c->Parent)
    if (SameText(c->Name, ClassName)) return true;
  return false;
}

}  // namespace

void TCodeConverter::PublishMembers(TPublisher<TCodeConverter>& P) {
  P.Property("DesignType", &TCodeConverter::DesignType, &TCodeConverter::SetDesignType).Default(dtClient);
}

TCodeConverter::TCodeConverter(TComponent* AOwner) : TComponent(AOwner) {
  LoadSettings();
  if (UIConvertMode != 0) Translator = std::make_unique<TTranslator>();
}

TCodeConverter::~TCodeConverter() = default;

void TCodeConverter::LoadSettings() {
  auto copy = [this](const auto& Ini) {
    SystemCodePage = Ini.SystemCodePage;
    UICodePage = Ini.UICodePage;
    DBCodePage = Ini.DBCodePage;
    UIConvertMode = Ini.UIConvertMode;
    DBConvertMode = Ini.DBConvertMode;
  };
  if (FDesignType == dtServer) {
    TTandrilIniS ini;
    copy(ini);
  } else {
    TTandrilIniC ini;
    copy(ini);
  }
}

// ---- Values -----------------------------------------------------------------

AnsiString TCodeConverter::ConvertText(int Direction, const AnsiString& Text) const {
  if (!Translator || Text.empty()) return Text;
  if (Direction == ToGBDirection) return Translator->ToGB(Text);
  if (Direction == ToBig5Direction) return Translator->ToBig5(Text);
  return Text;
}

Variant TCodeConverter::ConvertVariant(int Direction, const Variant& Source) const {
  Variant result = Source;
  if (Direction == 0 || !Translator || Source.IsEmpty() || Source.IsNull()) return result;
  const bool converts = Direction == ToGBDirection || Direction == ToBig5Direction;
  if (Source.IsArray()) {
    const int dims = VarArrayDimCount(Source);
    if (dims == 1) {
      for (int i = VarArrayLowBound(Source, 1); i <= VarArrayHighBound(Source, 1); ++i) {
        const Variant element = Source.GetElement({i});
        if (element.IsArray()) {
          result.PutElement({i}, ConvertVariant(Direction, element));
        } else if (converts && !element.IsEmpty() && !element.IsNull()) {
          // An empty or null cell has no text; making it "" would lose the
          // difference between no value and an empty one.
          result.PutElement({i}, Variant(ConvertText(Direction, element.AsString())));
        }
      }
    } else if (dims == 2) {
      for (int i = VarArrayLowBound(Source, 1); i <= VarArrayHighBound(Source, 1); ++i)
        for (int j = VarArrayLowBound(Source, 2); j <= VarArrayHighBound(Source, 2); ++j)
          result.PutElement({i, j}, ConvertVariant(Direction, Source.GetElement({i, j})));
    }
    return result;
  }
  if (converts) result = Variant(ConvertText(Direction, Source.AsString()));
  return result;
}

Variant TCodeConverter::ToDisplay(const Variant& Source) const { return ConvertVariant(UIConvertMode, Source); }

Variant TCodeConverter::FromDisplay(const Variant& Source) const {
  try {
    if (UIConvertMode == 1) return ConvertVariant(ToBig5Direction, Source);
    if (UIConvertMode == 2) return ConvertVariant(ToGBDirection, Source);
  } catch (const std::exception&) {
  }
  return Source;
}

Variant TCodeConverter::FromDatabase(const Variant& Source) const { return ConvertVariant(DBConvertMode, Source); }

Variant TCodeConverter::ToDatabase(const Variant& Source) const {
  try {
    if (DBConvertMode == 1) return ConvertVariant(ToBig5Direction, Source);
    if (DBConvertMode == 2) return ConvertVariant(ToGBDirection, Source);
  } catch (const std::exception&) {
  }
  return Source;
}

AnsiString TCodeConverter::Big5ToGB(const AnsiString& Text) const { return ConvertText(ToGBDirection, Text); }

AnsiString TCodeConverter::GBToBig5(const AnsiString& Text) const { return ConvertText(ToBig5Direction, Text); }

// ---- Fonts and dialogs --------------------------------------------------------

void TCodeConverter::ApplyModeFont(int Mode, TFont* Font) {
  if (!Font) return;
  switch (Mode) {
    case 0:
    case 1:
    case 4:
      Font->SetName("SimSun");
      Font->SetCharset(GB2312_CHARSET);
      break;
    case 2:
    case 3:
      Font->SetName("SimSun");
      Font->SetCharset(CHINESEBIG5_CHARSET);
      break;
    default:
      break;
  }
}

TModalResult TCodeConverter::MessageDialog(const AnsiString& Text, TMsgDlgType DlgType, TMsgDlgButtons Buttons) {
  if (Text.empty()) return mrNone;
  AnsiString padded = Text;
  if (UICodePage == "936" || SystemCodePage == "936") padded += "      ";
  std::unique_ptr<TMessageDialog> dialog = CreateMessageDialog(padded, DlgType, Buttons);
  if (auto* form = ObjectAs<TCustomForm>(Owner())) {
    if (form->WindowState() == wsMinimized) form->SetWindowState(wsNormal);
    dialog->Caption = form->Caption();
  }
  ApplyModeFont(UIConvertMode, dialog->Font());
  return dialog->ShowModal();
}

// ---- Windows ------------------------------------------------------------------

void TCodeConverter::ConvertForm(TCustomForm* Form, bool Deep) {
  if (!Translator || !Form) return;
  const int mode = UIConvertMode;
  if (SystemCodePage == "950") Form->SetCaption(GBToBig5(Form->Caption()));
  for (const char* name : {"Hint", "ButtonHint"}) {
    const AnsiString text = GetStrPropByName(Form, name);
    if (!text.empty()) SetStrPropByName(Form, name, ConvertVariant(mode, text).AsString());
  }
  if (TScreen* screen = GetScreen()) {
    ApplyModeFont(mode, screen->IconFont());
    ApplyModeFont(mode, screen->HintFont());
    ApplyModeFont(mode, screen->MenuFont());
  }
  // Turning hints off and on again is how the run-time is told to rebuild its
  // hint window, which was made with the old hint font.
  if (TApplication* app = GetApplication()) {
    app->SetShowHint(!app->ShowHint());
    app->SetShowHint(!app->ShowHint());
  }
  // A handler may add components while we walk (a list refilled on change):
  // walk the components the form owned when the conversion began.
  std::vector<TComponent*> components;
  for (int i = 0; i < Form->ComponentCount(); ++i) components.push_back(Form->Components(i));
  for (TComponent* c : components) ConvertComponent(c, mode, Deep);
}

void TCodeConverter::ConvertComponent(TComponent* Component, int Mode, bool Deep) {
  ApplyPropertyRules(Component, Mode);
  ApplyClassRules(Component, Mode, Deep);
}

void TCodeConverter::ConvertStrings(TStrings* List, int Direction) const {
  if (!List || List->Count() == 0) return;
  // One call for the whole list: the conversion library sees each word with
  // its neighbours, as it would in the design text.
  const AnsiString converted = ConvertVariant(Direction, List->Text()).AsString();
  TStringList lines;
  lines.SetText(converted);
  auto* sorted = ObjectAs<TStringList>(List);
  if (lines.Count() == List->Count() && !(sorted && sorted->Sorted())) {
    // Line by line keeps the objects the lines carry (codes behind the items
    // of a list), which assigning a new text would drop.
    for (int i = 0; i < List->Count(); ++i)
      if (List->Strings(i) != lines.Strings(i)) List->SetStrings(i, lines.Strings(i));
  } else {
    List->SetText(converted);
  }
}

void TCodeConverter::ApplyPropertyRules(TComponent* Component, int Mode) {
  if (auto* font = TypedObjectProp<TFont>(Component, "Font", "TFont")) ApplyModeFont(Mode, font);
  if (auto* font = TypedObjectProp<TFont>(Component, "TitleFont", "TFont")) ApplyModeFont(Mode, font);
  for (const char* name : {"Caption", "Hint", "ButtonHint"}) {
    const AnsiString text = GetStrPropByName(Component, name);
    if (!text.empty()) SetStrPropByName(Component, name, ConvertVariant(Mode, text).AsString());
  }

  auto* combo = ObjectAs<TCustomComboBox>(Component);
  int rememberedIndex = -1;
  bool remembered = false;
  if (auto* items = TypedObjectProp<TStrings>(Component, "Items", "TStrings")) {
    if (combo && combo->Items()->Count() > 0) {
      rememberedIndex = combo->ItemIndex();
      remembered = true;
    }
    ConvertStrings(items, Mode);
    if (remembered) combo->SetItemIndex(rememberedIndex);
  }
  if (auto* lines = TypedObjectProp<TStrings>(Component, "Lines", "TStrings")) ConvertStrings(lines, Mode);

  if (Mode != 0) {
    if (const TPropInfo* style = TypedProp(Component, "Style", "TComboBoxStyle")) {
      const int64_t value = GetOrdProp(Component, style);
      if (value == csDropDown) SetOrdProp(Component, style, csOwnerDrawVariable);
      if (value == csDropDownList) SetOrdProp(Component, style, csOwnerDrawFixed);
      if (combo && remembered && combo->ItemIndex() != rememberedIndex) combo->SetItemIndex(rememberedIndex);
    } else if (const TPropInfo* listStyle = TypedProp(Component, "Style", "TListBoxStyle")) {
      if (GetOrdProp(Component, listStyle) == lbStandard) SetOrdProp(Component, listStyle, lbOwnerDrawFixed);
    }
  }

  if (auto* panels = TypedObjectProp<TStatusPanels>(Component, "Panels", "TStatusPanels")) {
    for (int i = 0; i < panels->Count(); ++i) {
      TStatusPanel* panel = panels->Items(i);
      panel->SetText(ConvertVariant(Mode, panel->Text()).AsString());
    }
  }
}

void TCodeConverter::ConvertListView(TListColumns* Columns, TListItems* Items, int Direction) const {
  if (Columns)
    for (int i = 0; i < Columns->Count(); ++i) {
      TListColumn* column = Columns->Items(i);
      column->SetCaption(ConvertText(Direction, column->Caption()));
    }
  if (Items)
    for (int i = 0; i < Items->Count(); ++i) {
      TListItem* item = Items->Item(i);
      item->SetCaption(ConvertText(Direction, item->Caption()));
      TStrings* sub = item->SubItems();
      for (int j = 0; j < sub->Count(); ++j) sub->SetStrings(j, ConvertText(Direction, sub->Strings(j)));
    }
}

void TCodeConverter::ConvertCellGrid(TConvertibleCellGrid& Grid, int Mode, int Direction) const {
  const int cols = Grid.CellGridColCount();
  const int rows = Grid.CellGridRowCount();
  for (int col = 0; col < cols; ++col)
    for (int row = 0; row < rows; ++row) {
      const AnsiString text = Grid.CellText(col, row);
      if (!text.empty()) Grid.SetCellText(col, row, ConvertText(Direction, text));
      const AnsiString hint = Grid.CellHint(col, row);
      if (!hint.empty()) Grid.SetCellHint(col, row, ConvertText(Direction, hint));
      ApplyModeFont(Mode, Grid.CellFont(col, row));
      ConvertStrings(Grid.CellList(col, row), Direction);
    }
  for (int col = 0; col < cols; ++col) {
    ApplyModeFont(Mode, Grid.ColumnFont(col));
    ConvertStrings(Grid.ColumnList(col), Direction);
  }
  for (int row = 0; row < rows; ++row) {
    ApplyModeFont(Mode, Grid.RowFont(row));
    ConvertStrings(Grid.RowList(row), Direction);
  }
}

void TCodeConverter::ApplyClassRules(TComponent* Component, int Mode, bool Deep) {
  // Menus are drawn by the program from here on, so that their items show in
  // the converted fonts; this holds for every mode.
  if (auto* menu = ObjectAs<TMenu>(Component)) {
    if (menu->Is<TPopupMenu>() || menu->Is<TMainMenu>()) menu->SetOwnerDraw(true);
    return;
  }
  int direction = 0;
  if (Mode == 1) direction = ToGBDirection;
  if (Mode == 2) direction = ToBig5Direction;
  if (direction == 0) return;

  if (auto* list = ObjectAs<TCustomListView>(Component)) {
    ConvertListView(list->Columns(), list->Items(), direction);
  } else if (auto* tabs = ObjectAs<TTabSet>(Component)) {
    const int index = tabs->TabIndex();
    ConvertStrings(tabs->Tabs(), direction);
    tabs->SetTabIndex(index);
  } else if (InheritsFromName(Component, "TSelectPanel")) {
    if (auto* hints = TypedObjectProp<TStrings>(Component, "ChildHints", "TStrings"))
      for (int i = 0; i < hints->Count(); ++i) hints->SetStrings(i, ConvertText(direction, hints->Strings(i)));
    for (const char* name : {"BeginWords", "FinalWords"}) {
      const TPropInfo* prop = TypedProp(Component, name, "TStrings");
      auto* words = prop ? ObjectAs<TStrings>(GetObjectProp(Component, prop)) : nullptr;
      if (!words) continue;
      TStringList rebuilt;
      for (int i = 0; i < words->Count(); ++i) rebuilt.Add(ConvertText(direction, words->Strings(i)));
      // Through the setter, so that the panel relabels its parts.
      if (prop->Writable())
        SetObjectProp(Component, prop, &rebuilt);
      else
        words->Assign(&rebuilt);
    }
    const AnsiString hintWord = GetStrPropByName(Component, "HintWord");
    if (!hintWord.empty()) SetStrPropByName(Component, "HintWord", ConvertText(direction, hintWord));
    // The list of chosen rows is one of the parts the panel owns.
    for (int i = 0; i < Component->ComponentCount(); ++i)
      if (auto* embedded = ObjectAs<TCustomListView>(Component->Components(i))) {
        ConvertListView(embedded->Columns(), embedded->Items(), direction);
        break;
      }
  } else if (auto* combo = ObjectAs<TCustomComboBox>(Component)) {
    if (combo->Style() != csSimple) combo->SetStyle(csOwnerDrawFixed);
    if (combo->ItemIndex() < 0) combo->SetItemIndex(0);
  } else if (InheritsFromName(Component, "TDBNavigator")) {
    if (auto* hints = TypedObjectProp<TStrings>(Component, "Hints", "TStrings"))
      for (int i = 0; i < hints->Count(); ++i) hints->SetStrings(i, ConvertText(direction, hints->Strings(i)));
  } else if (auto* tree = ObjectAs<TCustomTreeView>(Component)) {
    if (!Deep) return;
    TTreeNodes* nodes = tree->Items();
    for (TTreeNode* node = nodes->GetFirstNode(); node; node = node->GetNext())
      node->SetText(ConvertText(direction, node->Text()));
  } else if (auto* cells = dynamic_cast<TConvertibleCellGrid*>(Component)) {
    if (Deep) ConvertCellGrid(*cells, Mode, direction);
  } else if (auto* grid = ObjectAs<TStringGrid>(Component)) {
    if (!Deep) return;
    for (int col = 0; col < grid->ColCount(); ++col)
      for (int row = 0; row < grid->RowCount(); ++row) {
        const AnsiString text = grid->Cells(col, row);
        if (!text.empty()) grid->SetCells(col, row, ConvertText(direction, text));
      }
  }
}
