// The code-page converter: settings, values, fonts, whole windows and
// message dialogs, over the real conversion library.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "environment_fixture.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/FormText.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Publisher.h"
#include "platform/vcl/ScriptedUIDriver.h"
#include "platform/vcl/StdControlPainters.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/Tabs.h"
#include "platform/vcl/WindowPicture.h"
#include "src/environment/CodeConverter.h"
#include "src/report/SelectPnl.h"
#include "src/report/SelectPnlParts.h"

namespace {

// GB("...") gives a literal's GB bytes; this its Big5 bytes.
AnsiString B5(const char* Utf8) { return Utf8ToAnsi(Utf8, 950); }

class CodeConverter : public kwtest::Installation {
 protected:
  // An installation on a system of code page SystemCP whose client file asks
  // for these code pages (an empty one is left out of the file) and names
  // the conversion library's folder as a package folder.
  void Configure(unsigned SystemCP, const std::string& UI, const std::string& DB = "",
                 bool WithLibrary = true) {
    SetACP(SystemCP);
    RegisterInstall();
    std::string ini = "[CodePage]\n";
    if (!UI.empty()) ini += "UICodePage=" + UI + "\n";
    if (!DB.empty()) ini += "DBCodePage=" + DB + "\n";
    if (WithLibrary) ini += std::string("[WorkDLLPath]\nQuillex=") + KW_QUILLEX_DIR + "\n";
    kwtest::WriteAll(Install + "TandrilC.ini", ini);
  }
};

// ---- Settings -------------------------------------------------------------------

TEST_F(CodeConverter, TakesCodePagesAndModesFromTheClientConfiguration) {
  struct Case {
    unsigned System;
    const char* UI;
    const char* DB;
    const char* SystemCodePage;
    const char* UICodePage;
    const char* DBCodePage;
    int UIMode;
    int DBMode;
  };
  const Case cases[] = {
      {936, "", "", "936", "936", "936", 0, 0},
      {936, "950", "", "936", "950", "936", 2, 2},
      {950, "936", "950", "950", "936", "950", 4, 1},
      {950, "950", "950", "950", "950", "950", 2, 0},
      {1252, "", "", "437", "437", "936", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.System) + " / " + c.UI + " / " + c.DB);
    Configure(c.System, c.UI, c.DB);
    TCodeConverter conv(nullptr);
    EXPECT_EQ(conv.SystemCodePage, c.SystemCodePage);
    EXPECT_EQ(conv.UICodePage, c.UICodePage);
    EXPECT_EQ(conv.DBCodePage, c.DBCodePage);
    EXPECT_EQ(conv.UIConvertMode, c.UIMode);
    EXPECT_EQ(conv.DBConvertMode, c.DBMode);
    EXPECT_EQ(conv.Translator != nullptr, c.UIMode != 0) << "a translator exactly when the interface converts";
    EXPECT_EQ(conv.DesignType(), dtClient);
  }
}

TEST_F(CodeConverter, ServerDesignTypeReadsTheServerFileOnlyThroughLoadSettings) {
  Configure(936, "936");
  kwtest::WriteAll(Install + "TandrilS.ini", "[CodePage]\nUICodePage=950\nDBCodePage=950\n");
  TForm form(nullptr);
  // A stored DesignType is read after the constructor ran: still the client's.
  ReadFormText(&form,
               "object frmHost: TForm\n"
               "  object KwConverter: TCodeConverter\n"
               "    DesignType = dtServer\n"
               "  end\n"
               "end\n");
  auto* conv = ObjectAs<TCodeConverter>(form.FindComponent("KwConverter"));
  ASSERT_NE(conv, nullptr);
  EXPECT_EQ(conv->DesignType(), dtServer);
  EXPECT_EQ(conv->UICodePage, "936");
  EXPECT_EQ(conv->UIConvertMode, 0);

  conv->LoadSettings();
  EXPECT_EQ(conv->UICodePage, "950");
  EXPECT_EQ(conv->DBCodePage, "950");
  EXPECT_EQ(conv->UIConvertMode, 2);
  EXPECT_EQ(conv->DBConvertMode, 0);
  EXPECT_EQ(conv->Translator, nullptr) << "only the constructor makes the translator";
}

// Once a process has loaded the library the system finds it by name, so the
// failure is watched in a fresh process.
TEST_F(CodeConverter, ConvertingInterfaceWithoutTheLibraryCannotBeMade) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        Configure(936, "950", "", false);
        try {
          TCodeConverter conv(nullptr);
        } catch (const Exception& e) {
          std::fprintf(stderr, "<%s>", e.Message.c_str());
          std::_Exit(0);
        }
        std::_Exit(1);
      },
      ::testing::ExitedWithCode(0), "<Load Library Quillex\\.dll Error!>");
  // Without conversion the library is not needed at all.
  Configure(936, "936", "", false);
  TCodeConverter conv(nullptr);
  EXPECT_EQ(conv.Translator, nullptr);
}

// ---- Values ---------------------------------------------------------------------

Variant Array3D() {
  Variant a = VarArrayCreate({0, 1, 0, 1, 0, 1}, varVariant);
  a.PutElement({0, 0, 0}, GB("资产"));
  return a;
}

TEST_F(CodeConverter, ConvertVariantFollowsTheDirectionAndTheKindOfValue) {
  Configure(936, "950");
  TCodeConverter conv(nullptr);
  ASSERT_NE(conv.Translator, nullptr);

  struct Case {
    const char* Name;
    int Direction;
    Variant Source;
    Variant Expected;
  };
  const Case cases[] = {
      {"a number becomes its converted text", 2, Variant(5), Variant(AnsiString("5"))},
      {"a float becomes text as well", 1, Variant(2.5), Variant(AnsiString("2.5"))},
      {"GB to Big5", 2, Variant(GB("资产凭证")), Variant(B5("資產憑證"))},
      {"Big5 to GB", 1, Variant(B5("資產憑證")), Variant(GB("资产凭证"))},
      {"direction 0 keeps the value", 0, Variant(GB("资产")), Variant(GB("资产"))},
      {"direction 3 keeps a number a number", 3, Variant(5), Variant(5)},
      {"direction 4 keeps the text", 4, Variant(GB("资产")), Variant(GB("资产"))},
      {"empty stays empty", 2, Variant(), Variant()},
      {"null stays null", 2, Null(), Null()},
      {"GB bytes that are not a character", 2, Variant(AnsiString("\x81\x20" "ab")),
       Variant(AnsiString("? ab"))},
      {"a GB sign Big5 lacks", 2, Variant(AnsiString("\xA1\xA7")), Variant(AnsiString("?"))},
      {"a Big5 lead byte cut off", 1, Variant(AnsiString("x\xB8")), Variant(AnsiString("x?"))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const Variant out = conv.ConvertVariant(c.Direction, c.Source);
    EXPECT_EQ(out.VarType(), c.Expected.VarType());
    if (!c.Expected.IsEmpty() && !c.Expected.IsNull()) EXPECT_EQ(out.AsString(), c.Expected.AsString());
  }
}

TEST_F(CodeConverter, ConvertVariantWalksOneAndTwoDimensionalArrays) {
  Configure(936, "950");
  TCodeConverter conv(nullptr);

  const Variant row = VarArrayOf({GB("部门"), 7, Null(), Variant(), VarArrayOf({GB("单号"), 1})});
  const Variant out = conv.ConvertVariant(2, row);
  ASSERT_TRUE(out.IsArray());
  EXPECT_EQ(out.GetElement({0}).AsString(), B5("部門"));
  EXPECT_EQ(out.GetElement({1}).VarType(), varString) << "an element taken as text is stored as text";
  EXPECT_EQ(out.GetElement({1}).AsString(), "7");
  EXPECT_TRUE(out.GetElement({2}).IsNull());
  EXPECT_TRUE(out.GetElement({3}).IsEmpty());
  const Variant nested = out.GetElement({4});
  ASSERT_TRUE(nested.IsArray());
  EXPECT_EQ(nested.GetElement({0}).AsString(), B5("單號"));
  EXPECT_EQ(nested.GetElement({1}).AsString(), "1");
  EXPECT_EQ(row.GetElement({0}).AsString(), GB("部门")) << "the source is left alone";

  // Other directions leave the elements as they are.
  const Variant kept = conv.ConvertVariant(4, row);
  EXPECT_EQ(kept.GetElement({0}).AsString(), GB("部门"));
  EXPECT_EQ(kept.GetElement({1}).VarType(), row.GetElement({1}).VarType());

  Variant grid = VarArrayCreate({1, 2, 0, 1}, varVariant);
  grid.PutElement({1, 0}, GB("折旧"));
  grid.PutElement({1, 1}, 3);
  grid.PutElement({2, 0}, VarArrayOf({GB("资产")}));
  const Variant g = conv.ConvertVariant(2, grid);
  EXPECT_EQ(VarArrayLowBound(g, 1), 1);
  EXPECT_EQ(g.GetElement({1, 0}).AsString(), B5("折舊"));
  EXPECT_EQ(g.GetElement({1, 1}).VarType(), varString);
  EXPECT_EQ(g.GetElement({2, 0}).GetElement({0}).AsString(), B5("資產"));
  EXPECT_TRUE(g.GetElement({2, 1}).IsEmpty());

  const Variant cube = conv.ConvertVariant(2, Array3D());
  EXPECT_EQ(cube.GetElement({0, 0, 0}).AsString(), GB("资产")) << "three dimensions come back unchanged";
}

TEST_F(CodeConverter, WithoutTranslatorEverythingComesBackUnchanged) {
  Configure(936, "936", "950");  // database mode 1, but no interface conversion
  TCodeConverter conv(nullptr);
  ASSERT_EQ(conv.Translator, nullptr);
  ASSERT_EQ(conv.DBConvertMode, 1);
  const AnsiString text = GB("资产");
  EXPECT_EQ(conv.GBToBig5(text), text);
  EXPECT_EQ(conv.Big5ToGB(text), text);
  const Variant number = conv.ConvertVariant(2, 5);
  EXPECT_EQ(number.VarType(), varInteger);
  EXPECT_EQ(conv.ToDatabase(text).AsString(), text);
  EXPECT_EQ(conv.FromDatabase(text).AsString(), text);
  EXPECT_EQ(conv.ToDisplay(text).AsString(), text);
}

TEST_F(CodeConverter, DisplayAndDatabaseDirectionsFollowTheModes) {
  enum Op { ToDisplay, FromDisplay, FromDatabase, ToDatabase };
  struct Case {
    unsigned System;
    const char* UI;
    const char* DB;
    Op Operation;
    AnsiString Input;
    AnsiString Expected;
  };
  const AnsiString gb = GB("资产凭证");
  const AnsiString big5 = B5("資產憑證");
  const Case cases[] = {
      // A GB interface on a Big5 system with a Big5 database: modes 4 and 1.
      {950, "936", "950", ToDatabase, gb, big5},
      {950, "936", "950", FromDatabase, big5, gb},
      {950, "936", "950", ToDisplay, gb, gb},
      {950, "936", "950", FromDisplay, gb, gb},
      // A Big5 interface on a GB database: modes 2 and 2.
      {936, "950", "936", ToDatabase, big5, gb},
      {936, "950", "936", FromDatabase, gb, big5},
      {936, "950", "936", ToDisplay, gb, big5},
      {936, "950", "936", FromDisplay, big5, gb},
      // A Big5 interface on a Big5 database: database mode 0.
      {950, "950", "950", ToDatabase, big5, big5},
      {950, "950", "950", FromDatabase, big5, big5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.UI) + "/" + c.DB + " on " + std::to_string(c.System) + ", operation " +
                 std::to_string(c.Operation));
    Configure(c.System, c.UI, c.DB);
    TCodeConverter conv(nullptr);
    Variant out;
    switch (c.Operation) {
      case ToDisplay: out = conv.ToDisplay(c.Input); break;
      case FromDisplay: out = conv.FromDisplay(c.Input); break;
      case FromDatabase: out = conv.FromDatabase(c.Input); break;
      case ToDatabase: out = conv.ToDatabase(c.Input); break;
    }
    EXPECT_EQ(out.AsString(), c.Expected);
  }
}

// An automation object that has no value to give as text.
class TNoTextObject : public IDispatch {
 public:
  long AddRef() override { return ++FRefs; }
  long Release() override { return --FRefs; }
  Variant Invoke(const AnsiString& Name, TInvokeKind, std::vector<Variant>&) override {
    throw Exception("no member " + Name);
  }

 private:
  long FRefs = 1;
};

TEST_F(CodeConverter, OnlyTheWaysBackSwallowErrors) {
  Configure(936, "950", "936");  // modes 2 and 2: every operation converts
  TCodeConverter conv(nullptr);
  TNoTextObject object;
  const Variant source = VarArrayOf({GB("资产"), Variant(&object)});
  const Variant back = conv.FromDisplay(source);
  EXPECT_EQ(back.GetElement({0}).AsString(), GB("资产")) << "the value comes back as it was";
  EXPECT_EQ(back.GetElement({1}).VarType(), varDispatch);
  EXPECT_EQ(conv.ToDatabase(source).GetElement({0}).AsString(), GB("资产"));
  EXPECT_ANY_THROW(conv.ToDisplay(source));
  EXPECT_ANY_THROW(conv.FromDatabase(source));
}

TEST(CodeConverterFonts, ApplyModeFontByMode) {
  struct Case {
    int Mode;
    const char* Name;
    int Charset;
  };
  const Case cases[] = {
      {0, "SimSun", 134}, {1, "SimSun", 134}, {4, "SimSun", 134}, {2, "SimSun", 136},
      {3, "SimSun", 136}, {5, "Tahoma", 0},   {255, "Tahoma", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Mode);
    TFont font;
    font.SetName("Tahoma");
    font.SetCharset(0);
    TCodeConverter::ApplyModeFont(c.Mode, &font);
    EXPECT_EQ(font.Name(), c.Name);
    EXPECT_EQ(font.Charset(), c.Charset);
  }
  TCodeConverter::ApplyModeFont(2, nullptr);  // no font, nothing to do
}

// ---- Windows --------------------------------------------------------------------

// The data navigator belongs to the data controls, which this program does
// not link; the stand-in has what the converter looks at: one hint a button.
class TDBNavigator : public TPanel {
  KW_DECLARE_CLASS(TDBNavigator, TPanel)
 public:
  static void PublishMembers(TPublisher<TDBNavigator>& P);
  explicit TDBNavigator(TComponent* AOwner) : TPanel(AOwner) {}
  TStrings* Hints() const { return FHints.get(); }
  void SetHints(TStrings* Value) { FHints->Assign(Value); }

 private:
  std::unique_ptr<TStringList> FHints = std::make_unique<TStringList>();
};

KW_REGISTER_CLASS(TDBNavigator)

void TDBNavigator::PublishMembers(TPublisher<TDBNavigator>& P) {
  P.Property("Hints", &TDBNavigator::Hints, &TDBNavigator::SetHints);
}

// The asset voucher window as it is designed: GB texts on the standard
// controls, read from its form text (UTF-8, stored as GB) like every window of
// the library, with the rows of its lists and grids filled in by code.
const char* const kAssetForm = R"(object frmAsset: TForm
  Caption = '资产凭证'
  Hint = '资产卡片'
  object lblKind: TLabel
    Caption = '资产类别'
    Hint = '选择类别'
  end
  object btnOk: TButton
    Caption = '确定'
    Hint = '确定打印'
  end
  object edtNo: TEdit
    Text = '单号'
  end
  object cboKind: TComboBox
    Items.Strings = (
      '部门'
      '折旧'
      '资产')
    ItemIndex = 1
  end
  object cboList: TComboBox
    Style = csDropDownList
    Items.Strings = (
      '部门'
      '资产')
  end
  object cboSimple: TComboBox
    Style = csSimple
    Items.Strings = (
      '部门')
  end
  object lstRows: TListBox
    Items.Strings = (
      '资产'
      '凭证')
  end
  object memNote: TMemo
    Lines.Strings = (
      '折旧报表'
      '部门')
  end
  object tabPages: TTabSet
    Tabs.Strings = (
      '资产'
      '折旧')
    TabIndex = 1
  end
  object stbMain: TStatusBar
    Panels = <
      item
        Text = '单号'
      end
      item
      end>
  end
  object mnuMain: TMainMenu
    object mniFile: TMenuItem
      Caption = '报表'
      Hint = '打印报表'
    end
  end
  object pmnRows: TPopupMenu
  end
end
)";

struct AssetWindow {
  std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
  TCodeConverter* Converter = nullptr;
  TListView* List = nullptr;
  TTreeView* Tree = nullptr;
  TStringGrid* Grid = nullptr;
  TLabel* Foreign = nullptr;
  TObject Code;  // what the list box's first line carries

  AssetWindow() {
    ReadFormText(Form.get(), kAssetForm, TFormTextEncoding{936, 65001});
    Converter = new TCodeConverter(Form.get());
    List = new TListView(Form.get());
    List->Columns()->Add()->SetCaption(GB("单号"));
    TListItem* item = List->Items()->Add();
    item->SetCaption(GB("资产"));
    item->SubItems()->Add(GB("部门"));
    Tree = new TTreeView(Form.get());
    TTreeNode* root = Tree->Items()->Add(nullptr, GB("资产"));
    Tree->Items()->AddChild(root, GB("折旧"));
    Grid = new TStringGrid(Form.get());
    Grid->SetColCount(2);
    Grid->SetRowCount(2);
    Grid->SetCells(0, 0, GB("单号"));
    Grid->SetCells(1, 1, GB("部门"));
    // A label some other component owns is not the form's to convert.
    Foreign = new TLabel(List);
    Foreign->SetCaption(GB("资产"));
    Rows()->SetObjects(0, &Code);
  }
  template <class T>
  T* Get(const char* Name) const {
    return ObjectAs<T>(Form->FindComponent(Name));
  }
  TStrings* Rows() const { return Get<TListBox>("lstRows")->Items(); }
};

TEST_F(CodeConverter, Big5InterfaceConvertsEveryKindOfControl) {
  for (bool deep : {false, true}) {
    SCOPED_TRACE(deep ? "deep" : "shallow");
    Configure(936, "950");
    AssetWindow w;
    ASSERT_EQ(w.Converter->UIConvertMode, 2);
    w.Converter->ConvertForm(w.Form.get(), deep);

    EXPECT_EQ(w.Form->Caption(), GB("资产凭证")) << "the window's own caption changes only on a Big5 system";
    EXPECT_EQ(w.Form->Hint(), B5("資產卡片"));
    auto* label = w.Get<TLabel>("lblKind");
    EXPECT_EQ(label->Caption(), B5("資產類別"));
    EXPECT_EQ(label->Hint(), B5("選擇類別"));
    EXPECT_EQ(label->Font()->Name(), "SimSun");
    EXPECT_EQ(label->Font()->Charset(), CHINESEBIG5_CHARSET);
    auto* button = w.Get<TButton>("btnOk");
    EXPECT_EQ(button->Caption(), B5("確定"));
    EXPECT_EQ(button->Hint(), B5("確定打印"));
    EXPECT_EQ(w.Get<TEdit>("edtNo")->Text(), GB("单号")) << "what a person types is not converted";

    auto* combo = w.Get<TComboBox>("cboKind");
    ASSERT_EQ(combo->Items()->Count(), 3);
    EXPECT_EQ(combo->Items()->Strings(2), B5("資產"));
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->Text(), B5("折舊"));
    EXPECT_EQ(combo->Style(), csOwnerDrawFixed);
    auto* list = w.Get<TComboBox>("cboList");
    EXPECT_EQ(list->Style(), csOwnerDrawFixed);
    EXPECT_EQ(list->ItemIndex(), 0) << "a combo box without a selection gets its first item";
    EXPECT_EQ(w.Get<TComboBox>("cboSimple")->Style(), csSimple);

    ASSERT_EQ(w.Rows()->Count(), 2);
    EXPECT_EQ(w.Rows()->Strings(0), B5("資產"));
    EXPECT_EQ(w.Rows()->Strings(1), B5("憑證"));
    EXPECT_EQ(w.Rows()->Objects(0), &w.Code) << "the lines keep what they carry";
    EXPECT_EQ(w.Get<TListBox>("lstRows")->Style(), lbOwnerDrawFixed);
    EXPECT_EQ(w.Get<TMemo>("memNote")->Lines()->Text(), B5("折舊報表\r\n部門\r\n"));

    auto* tabs = w.Get<TTabSet>("tabPages");
    EXPECT_EQ(tabs->Tabs()->Text(), B5("資產\r\n折舊\r\n"));
    EXPECT_EQ(tabs->TabIndex(), 1);

    auto* bar = w.Get<TStatusBar>("stbMain");
    EXPECT_EQ(bar->Panels()->Items(0)->Text(), B5("單號"));
    EXPECT_EQ(bar->Panels()->Items(1)->Text(), "");

    auto* item = w.Get<TMenuItem>("mniFile");
    EXPECT_EQ(item->Caption(), B5("報表"));
    EXPECT_EQ(item->Hint(), B5("打印報表"));
    EXPECT_TRUE(w.Get<TMainMenu>("mnuMain")->OwnerDraw());
    EXPECT_TRUE(w.Get<TPopupMenu>("pmnRows")->OwnerDraw());

    EXPECT_EQ(w.List->Columns()->Items(0)->Caption(), B5("單號"));
    EXPECT_EQ(w.List->Items()->Item(0)->Caption(), B5("資產"));
    EXPECT_EQ(w.List->Items()->Item(0)->SubItems()->Strings(0), B5("部門"));
    EXPECT_EQ(w.Foreign->Caption(), GB("资产"));

    const AnsiString node = deep ? B5("折舊") : GB("折旧");
    EXPECT_EQ(w.Tree->Items()->Item(1)->Text(), node);
    EXPECT_EQ(w.Grid->Cells(0, 0), deep ? B5("單號") : GB("单号"));
    EXPECT_EQ(w.Grid->Cells(1, 1), deep ? B5("部門") : GB("部门"));
    EXPECT_EQ(w.Grid->Cells(1, 0), "");

    for (TFont* f : {Screen->IconFont(), Screen->HintFont(), Screen->MenuFont()}) {
      EXPECT_EQ(f->Name(), "SimSun");
      EXPECT_EQ(f->Charset(), CHINESEBIG5_CHARSET);
    }
  }
}

TEST_F(CodeConverter, WindowCaptionFollowsTheSystemCodePage) {
  struct Case {
    unsigned System;
    const char* UI;
    AnsiString Caption;
    AnsiString Label;
  };
  const Case cases[] = {
      {936, "950", GB("资产凭证"), B5("資產類別")},
      {950, "950", B5("資產憑證"), B5("資產類別")},
      {950, "936", B5("資產憑證"), GB("资产类别")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.UI) + " on " + std::to_string(c.System));
    Configure(c.System, c.UI);
    AssetWindow w;
    w.Converter->ConvertForm(w.Form.get(), true);
    EXPECT_EQ(w.Form->Caption(), c.Caption);
    EXPECT_EQ(w.Get<TLabel>("lblKind")->Caption(), c.Label);
  }
}

TEST_F(CodeConverter, GBInterfaceOnBig5SystemOnlyAdaptsFontsAndStyles) {
  Configure(950, "936");
  AssetWindow w;
  ASSERT_EQ(w.Converter->UIConvertMode, 4);
  w.Converter->ConvertForm(w.Form.get(), true);

  EXPECT_EQ(w.Form->Caption(), B5("資產憑證"));
  EXPECT_EQ(w.Form->Hint(), GB("资产卡片"));
  auto* label = w.Get<TLabel>("lblKind");
  EXPECT_EQ(label->Caption(), GB("资产类别"));
  EXPECT_EQ(label->Font()->Name(), "SimSun");
  EXPECT_EQ(label->Font()->Charset(), GB2312_CHARSET);
  auto* combo = w.Get<TComboBox>("cboKind");
  EXPECT_EQ(combo->Style(), csOwnerDrawVariable);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Items()->Strings(0), GB("部门"));
  auto* list = w.Get<TComboBox>("cboList");
  EXPECT_EQ(list->Style(), csOwnerDrawFixed);
  EXPECT_EQ(list->ItemIndex(), -1) << "the combo box row of the class rules is for modes 1 and 2";
  EXPECT_EQ(w.Rows()->Strings(0), GB("资产"));
  EXPECT_EQ(w.List->Items()->Item(0)->Caption(), GB("资产"));
  EXPECT_EQ(w.Tree->Items()->Item(0)->Text(), GB("资产"));
  EXPECT_EQ(w.Grid->Cells(0, 0), GB("单号"));
  EXPECT_EQ(w.Get<TTabSet>("tabPages")->Tabs()->Strings(0), GB("资产"));
  EXPECT_TRUE(w.Get<TMainMenu>("mnuMain")->OwnerDraw());
  EXPECT_EQ(Screen->MenuFont()->Charset(), GB2312_CHARSET);
}

TEST_F(CodeConverter, WithoutConversionTheWindowStaysAsDesigned) {
  Configure(936, "936");
  AssetWindow w;
  const AnsiString before = ComponentToFormText(w.Form.get());
  for (TFont* f : {Screen->IconFont(), Screen->HintFont(), Screen->MenuFont()}) {
    f->SetName("Tahoma");
    f->SetCharset(0);
  }
  const bool showHint = Application->ShowHint();
  w.Converter->ConvertForm(w.Form.get(), true);
  EXPECT_EQ(ComponentToFormText(w.Form.get()), before);
  EXPECT_EQ(w.Get<TLabel>("lblKind")->Font()->Charset(), DEFAULT_CHARSET);
  EXPECT_FALSE(w.Get<TMainMenu>("mnuMain")->OwnerDraw());
  EXPECT_EQ(Screen->HintFont()->Name(), "Tahoma");
  EXPECT_EQ(Application->ShowHint(), showHint);
  EXPECT_EQ(w.Grid->Cells(0, 0), GB("单号"));
}

TEST_F(CodeConverter, SelectionPanelsAndNavigators) {
  Configure(936, "950");
  TForm form(nullptr);
  auto* conv = new TCodeConverter(&form);
  auto* panel = new TSelectPanel(&form);
  panel->SetCaption(GB("选择单号"));
  TStringList words;
  words.Add(GB("开始"));
  panel->SetBeginWords(&words);
  words.Clear();
  words.Add(GB("结束"));
  panel->SetFinalWords(&words);
  panel->Columns()->Items(0)->SetCaption(GB("单号"));
  TListItem* row = panel->Items()->Add();
  row->SetCaption(GB("资产"));
  row->SubItems()->Add(GB("部门"));
  auto* nav = new TDBNavigator(&form);
  nav->Hints()->Add(GB("删除"));
  nav->Hints()->Add(GB("刷新"));
  auto* empty = new TDBNavigator(&form);

  conv->ConvertForm(&form, false);
  EXPECT_EQ(panel->Caption(), B5("選擇單號"));
  EXPECT_EQ(panel->HintWord(), B5("區間選擇"));
  EXPECT_EQ(panel->StyleSwitch()->Caption(), B5("區間選擇")) << "set through the panel, which relabels its switch";
  EXPECT_EQ(panel->BeginWords()->Strings(0), B5("開始"));
  EXPECT_EQ(panel->BeginLabel()->Caption(), B5("開始"));
  EXPECT_EQ(panel->FinalWords()->Strings(0), B5("結束"));
  EXPECT_EQ(panel->FinalLabel()->Caption(), B5("結束"));
  ASSERT_EQ(panel->ChildHints()->Count(), 9);
  EXPECT_EQ(panel->ChildHints()->Strings(0), B5("用戶自定輸入方式"));
  EXPECT_EQ(panel->ChildHints()->Strings(8), B5("多選-刪除己選信息"));
  EXPECT_EQ(panel->edBegin()->Hint(), B5("區間選擇-起始信息"));
  EXPECT_EQ(panel->Columns()->Items(0)->Caption(), B5("單號"));
  EXPECT_EQ(panel->Items()->Item(0)->Caption(), B5("資產"));
  EXPECT_EQ(panel->Items()->Item(0)->SubItems()->Strings(0), B5("部門"));
  EXPECT_EQ(nav->Hints()->Text(), B5("刪除\r\n刷新\r\n"));
  EXPECT_EQ(empty->Hints()->Count(), 0);
}

// An aligned string grid: a string grid whose cells, columns and rows may
// carry a hint, a font and a string list of their own.
class TStringAlignGrid : public TStringGrid, public TConvertibleCellGrid {
  KW_DECLARE_CLASS(TStringAlignGrid, TStringGrid)
 public:
  explicit TStringAlignGrid(TComponent* AOwner) : TStringGrid(AOwner) {}
  int CellGridColCount() const override { return ColCount(); }
  int CellGridRowCount() const override { return RowCount(); }
  AnsiString CellText(int Col, int Row) const override { return Cells(Col, Row); }
  void SetCellText(int Col, int Row, const AnsiString& Value) override { SetCells(Col, Row, Value); }
  AnsiString CellHint(int Col, int Row) const override { return Hints[Col * 100 + Row]; }
  void SetCellHint(int Col, int Row, const AnsiString& Value) override { Hints[Col * 100 + Row] = Value; }
  TFont* CellFont(int Col, int Row) const override { return Col == 1 && Row == 1 ? &OwnCellFont : nullptr; }
  TStrings* CellList(int Col, int Row) const override { return Col == 0 && Row == 1 ? &OwnCellList : nullptr; }
  TFont* ColumnFont(int Col) const override { return Col == 1 ? &OwnColumnFont : nullptr; }
  TStrings* ColumnList(int Col) const override { return Col == 0 ? &OwnColumnList : nullptr; }
  TFont* RowFont(int Row) const override { return Row == 0 ? &OwnRowFont : nullptr; }
  TStrings* RowList(int Row) const override { return Row == 1 ? &OwnRowList : nullptr; }

  mutable std::map<int, AnsiString> Hints;
  mutable TFont OwnCellFont, OwnColumnFont, OwnRowFont;
  mutable TStringList OwnCellList, OwnColumnList, OwnRowList;
};

TEST_F(CodeConverter, AlignedGridCellsHintsFontsAndListsOnlyWhenDeep) {
  for (bool deep : {false, true}) {
    SCOPED_TRACE(deep ? "deep" : "shallow");
    Configure(936, "950");
    TForm form(nullptr);
    auto* conv = new TCodeConverter(&form);
    auto* grid = new TStringAlignGrid(&form);
    grid->SetColCount(2);
    grid->SetRowCount(2);
    grid->SetCells(1, 0, GB("部门"));
    grid->SetCellHint(0, 1, GB("单号"));
    grid->OwnCellList.Add(GB("资产"));
    grid->OwnColumnList.Add(GB("折旧"));
    grid->OwnRowList.Add(GB("凭证"));
    conv->ConvertForm(&form, deep);

    auto expect = [deep](const char* Simplified, const char* Traditional) {
      return deep ? B5(Traditional) : AnsiString(Utf8ToAnsi(Simplified, 936));
    };
    EXPECT_EQ(grid->Cells(1, 0), expect("部门", "部門"));
    EXPECT_EQ(grid->CellHint(0, 1), expect("单号", "單號"));
    EXPECT_EQ(grid->CellHint(1, 1), "");
    EXPECT_EQ(grid->OwnCellList.Strings(0), expect("资产", "資產"));
    EXPECT_EQ(grid->OwnColumnList.Strings(0), expect("折旧", "折舊"));
    EXPECT_EQ(grid->OwnRowList.Strings(0), expect("凭证", "憑證"));
    for (TFont* f : {&grid->OwnCellFont, &grid->OwnColumnFont, &grid->OwnRowFont})
      EXPECT_EQ(f->Charset(), deep ? CHINESEBIG5_CHARSET : DEFAULT_CHARSET);
    EXPECT_EQ(grid->Font()->Charset(), CHINESEBIG5_CHARSET) << "the grid's own font is a property rule";
  }
}

TEST_F(CodeConverter, BadBytesInCaptionsBecomeTheReplacement) {
  Configure(936, "950");
  TForm form(nullptr);
  auto* conv = new TCodeConverter(&form);
  auto* label = new TLabel(&form);
  label->SetCaption(GB("资产") + "\x81");
  auto* box = new TListBox(&form);
  box->Items()->Add("\xFF\xFF");
  box->Items()->Add(GB("部门"));
  conv->ConvertForm(&form, true);
  EXPECT_EQ(label->Caption(), B5("資產") + "?");
  ASSERT_EQ(box->Items()->Count(), 2);
  EXPECT_EQ(box->Items()->Strings(1), B5("部門"));
  EXPECT_EQ(box->Items()->Strings(0).find('\xFF'), AnsiString::npos);
}

// ---- Message dialogs ----------------------------------------------------------------

TEST_F(CodeConverter, MessageDialogsArePaddedAndGetTheInterfaceFont) {
  struct Case {
    unsigned System;
    const char* UI;
    bool Padded;
    int Charset;
  };
  const Case cases[] = {
      {936, "936", true, 134},  {936, "950", true, 136},   {950, "950", false, 136},
      {950, "936", true, 134},  {1252, "", false, 134},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.UI) + " on " + std::to_string(c.System));
    Configure(c.System, c.UI);
    TForm form(nullptr);
    form.SetCaption("Assets");
    auto* conv = new TCodeConverter(&form);
    TScriptedUIDriver ui;
    TUIDriverScope use(ui);
    ui.ExpectMessage("Delete the voucher?", mtConfirmation).Answer(mrNo);
    EXPECT_EQ(conv->MessageDialog("Delete the voucher?", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}), mrNo);
    ui.VerifyAllAnswered();
    ASSERT_EQ(ui.Questions().size(), 1u);
    const TMessageRequest& m = ui.Questions()[0].Message;
    EXPECT_EQ(m.Text, c.Padded ? "Delete the voucher?      " : "Delete the voucher?");
    EXPECT_EQ(m.Title, "Assets");
    EXPECT_EQ(m.FontName, "SimSun");
    EXPECT_EQ(m.FontCharset, c.Charset);
  }
}

TEST_F(CodeConverter, MessageDialogRestoresItsMinimisedWindow) {
  Configure(936, "950");
  TForm form(nullptr);
  form.SetCaption(B5("資產"));
  form.SetWindowState(wsMinimized);
  auto* conv = new TCodeConverter(&form);
  TScriptedUIDriver ui;
  TUIDriverScope use(ui);
  ui.ExpectMessage(B5("存檔"), mtError).Answer(mrOk);
  // Error box with OK alone, as the windows pass kind and buttons by number.
  EXPECT_EQ(conv->MessageDialog(B5("存檔"), TMsgDlgType(1), TMsgDlgButtons::FromBits(4)), mrOk);
  ui.VerifyAllAnswered();
  EXPECT_EQ(form.WindowState(), wsNormal);
  EXPECT_EQ(ui.Questions()[0].Message.Title, B5("資產"));

  EXPECT_EQ(conv->MessageDialog("", mtError, TMsgDlgButtons{mbOK}), mrNone);
  EXPECT_EQ(ui.Questions().size(), 1u) << "an empty text shows nothing";

  // A converter without a window keeps the dialog's own title.
  TCodeConverter loose(nullptr);
  ui.ExpectMessage("x").Answer(mrOk);
  loose.MessageDialog("x", mtWarning, TMsgDlgButtons{mbOK});
  EXPECT_EQ(ui.Questions().back().Message.Title, "Warning");
  ui.VerifyAllAnswered();
}

// ---- Pictures ---------------------------------------------------------------------

// A small voucher window. Designed, its texts are GB; as the reference, the
// same window is built from the traditional texts in Big5 with the fonts,
// styles and selections a Big5 interface gives it.
std::unique_ptr<TForm> VoucherWindow(bool Reference) {
  auto text = [Reference](const char* Simplified, const char* Traditional) {
    return Reference ? B5(Traditional) : Utf8ToAnsi(Simplified, 936);
  };
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 440, 300);
  form->SetCaption(text("固定资产凭证", "固定資產憑證"));
  std::vector<TControl*> controls;
  auto place = [&](TControl* Control, int Left, int Top, int Width, int Height) {
    Control->SetParent(form.get());
    Control->SetBounds(Left, Top, Width, Height);
    controls.push_back(Control);
  };
  auto* label = new TLabel(form.get());
  label->SetAutoSize(false);
  label->SetCaption(text("资产类别：", "資產類別："));
  place(label, 12, 14, 90, 18);
  auto* kind = new TComboBox(form.get());
  kind->SetStyle(Reference ? csOwnerDrawFixed : csDropDownList);
  kind->Items()->Add(text("机器设备", "機器設備"));
  kind->Items()->Add(text("运输工具", "運輸工具"));
  kind->SetItemIndex(0);
  place(kind, 104, 10, 150, 22);
  auto* group = new TGroupBox(form.get());
  group->SetCaption(text("折旧方法", "折舊方法"));
  place(group, 268, 6, 156, 96);
  auto* rows = new TListBox(form.get());
  if (Reference) rows->SetStyle(lbOwnerDrawFixed);
  rows->Items()->Add(text("平均年限法", "平均年限法"));
  rows->Items()->Add(text("双倍余额递减法", "雙倍餘額遞減法"));
  rows->Items()->Add(text("工作量法", "工作量法"));
  rows->SetParent(group);
  rows->SetBounds(8, 20, 140, 66);
  controls.push_back(rows);
  auto* check = new TCheckBox(form.get());
  check->SetCaption(text("显示已报废资产", "顯示已報廢資產"));
  check->SetChecked(true);
  place(check, 12, 44, 200, 20);
  auto* list = new TListView(form.get());
  list->SetViewStyle(vsReport);
  list->Columns()->Add()->SetCaption(text("单号", "單號"));
  list->Columns()->Add()->SetCaption(text("部门", "部門"));
  list->Columns()->Items(0)->SetWidth(120);
  list->Columns()->Items(1)->SetWidth(150);
  for (auto [no, dept, deptTrad] : {std::tuple{"ZC-0001", "财务部", "財務部"}, {"ZC-0002", "销售部", "銷售部"}}) {
    TListItem* item = list->Items()->Add();
    item->SetCaption(no);
    item->SubItems()->Add(text(dept, deptTrad));
  }
  place(list, 12, 110, 412, 100);
  auto* ok = new TButton(form.get());
  ok->SetCaption(text("确定", "確定"));
  ok->SetHint(text("打印凭证", "打印憑證"));
  place(ok, 248, 222, 80, 26);
  auto* cancel = new TButton(form.get());
  cancel->SetCaption(text("取消", "取消"));
  place(cancel, 340, 222, 80, 26);
  if (Reference)
    for (TControl* c : controls) {
      c->Font()->SetName("SimSun");
      c->Font()->SetCharset(CHINESEBIG5_CHARSET);
    }
  return form;
}

TEST_F(CodeConverter, ConvertedWindowDrawsAsTheTraditionalDesign) {
  RegisterStdControlPainters();
  Configure(950, "950");
  std::unique_ptr<TForm> form = VoucherWindow(false);
  auto* conv = new TCodeConverter(form.get());
  ASSERT_EQ(conv->UIConvertMode, 2);
  TBitmap designed;
  DrawWindowToBitmap(form.get(), designed);
  conv->ConvertForm(form.get(), true);
  TBitmap converted;
  DrawWindowToBitmap(form.get(), converted);

  std::unique_ptr<TForm> reference = VoucherWindow(true);
  TBitmap expected;
  DrawWindowToBitmap(reference.get(), expected);
  ASSERT_EQ(converted.Width(), expected.Width());
  ASSERT_EQ(converted.Height(), expected.Height());
  int differ = 0;
  int changed = 0;
  for (int y = 0; y < expected.Height(); ++y)
    for (int x = 0; x < expected.Width(); ++x) {
      differ += converted.Pixel(x, y) != expected.Pixel(x, y) ? 1 : 0;
      changed += converted.Pixel(x, y) != designed.Pixel(x, y) ? 1 : 0;
    }
  EXPECT_EQ(differ, 0) << "the converted window looks like the one designed in Big5";
  EXPECT_GT(changed, 500) << "the simplified characters were replaced";
  if (const char* dir = std::getenv("KW_TEST_BINARY_DIR"))
    SaveWindowPicture(form.get(), AnsiString(dir) + "/big5_window.png");
}

}  // namespace
