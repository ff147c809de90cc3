// The form text format: parsing every value kind, writing texts as the
// run-time writes them, building a window from a description, writing it back,
// and the errors of malformed descriptions with their lines.

#include <gtest/gtest.h>

#include "platform/rtl/CodePages.h"
#include "tests/vcl/fixtures_components.h"

namespace {

// A window with nested owned components, every value kind and both handler
// shapes. Lines are counted in the error tests below.
const char* const MainForm =
    "object frmMain: TTestForm\r\n"
    "  Left = 10\r\n"
    "  Caption = 'Main'#13#10'Window'\r\n"
    "  Font.Charset = GB2312_CHARSET\r\n"
    "  Font.Name = #23435#20307\r\n"
    "  Font.Style = [tfBold, tfItalic]\r\n"
    "  Font.Color = clRed\r\n"
    "  object pnlMain: TTestControl\r\n"
    "    Left = -4\r\n"
    "    Color = 11534335\r\n"
    "    Cursor = crHourGlass\r\n"
    "    object btnOk: TTestControl\r\n"
    "      Caption = 'It''s ' +\r\n"
    "        'OK'\r\n"
    "      Bevel = tbSunken\r\n"
    "      Ratio = 1.25\r\n"
    "      Big = $10000000000\r\n"
    "      Accel = 'K'\r\n"
    "      Value = True\r\n"
    "      Partner = edtName\r\n"
    "      OnClick = btnOkClick\r\n"
    "      OnKeyPress = KeyPress\r\n"
    "    end\r\n"
    "    object edtName: TTestControl\r\n"
    "      Visible = False\r\n"
    "      Items.Strings = (\r\n"
    "        'one'\r\n"
    "        'two')\r\n"
    "      OnExit = FieldExit\r\n"
    "    end\r\n"
    "  end\r\n"
    "  object sbMain: TTestControl\r\n"
    "    Panels = <\r\n"
    "      item\r\n"
    "        Text = 'left'\r\n"
    "        Width = 80\r\n"
    "      end\r\n"
    "      item\r\n"
    "        Bevel = tbSunken\r\n"
    "      end>\r\n"
    "    Glyph.Data = {\r\n"
    "      00FF10}\r\n"
    "  end\r\n"
    "end\r\n";

TTestControl* Control(TComponent* Root, const char* Name) {
  return ObjectAs<TTestControl>(Root->FindComponent(Name));
}

TEST(FormText, BuildsAWindowWithNestedOwnedComponents) {
  TTestForm Form(nullptr);
  ReadFormText(&Form, MainForm);

  EXPECT_EQ(Form.Name(), "frmMain");
  EXPECT_EQ(Form.Left, 10);
  EXPECT_EQ(Form.Caption, "Main\r\nWindow");
  EXPECT_EQ(Form.Font()->Charset(), GB2312_CHARSET);
  EXPECT_EQ(Form.Font()->Name(), GB("宋体"));
  EXPECT_EQ(Form.Font()->Style, (TTestFontStyles{tfBold, tfItalic}));
  EXPECT_EQ(Form.Font()->Color(), clRed);

  // Everything is owned by the window, in reading order, and sits in the
  // component whose block encloses it.
  ASSERT_EQ(Form.ComponentCount(), 4);
  TTestControl* Panel = Control(&Form, "pnlMain");
  TTestControl* Ok = Control(&Form, "btnOk");
  TTestControl* Edit = Control(&Form, "edtName");
  TTestControl* Bar = Control(&Form, "sbMain");
  ASSERT_TRUE(Panel && Ok && Edit && Bar);
  EXPECT_EQ(Form.Components(1), Ok);
  EXPECT_EQ(Panel->Parent(), &Form);
  EXPECT_EQ(Ok->Parent(), Panel);
  EXPECT_EQ(Edit->Parent(), Panel);
  EXPECT_EQ(Bar->Parent(), &Form);
  EXPECT_EQ(Form.btnOk, Ok);
  EXPECT_EQ(Form.pnlMain, Panel);

  EXPECT_EQ(Panel->Left, -4);
  EXPECT_EQ(Panel->Color, 0xAFFFFF);
  EXPECT_EQ(Panel->Cursor, crHourGlass);
  EXPECT_EQ(Ok->Caption, "It's OK");
  EXPECT_EQ(Ok->Bevel, tbSunken);
  EXPECT_DOUBLE_EQ(Ok->Ratio, 1.25);
  EXPECT_EQ(Ok->Big, int64_t{1} << 40);
  EXPECT_EQ(Ok->Accel, 'K');
  EXPECT_EQ(Ok->Value.VarType(), varBoolean);
  EXPECT_EQ(Ok->Partner, Edit);  // a reference to a component read later
  EXPECT_FALSE(Edit->Visible);
  EXPECT_EQ(Edit->Items()->Text(), "one\r\ntwo\r\n");
  ASSERT_EQ(Bar->Panels()->Count(), 2);
  EXPECT_EQ(Bar->Panels()->Item(0)->Text, "left");
  EXPECT_EQ(Bar->Panels()->Item(0)->Width, 80);
  EXPECT_EQ(Bar->Panels()->Item(1)->Bevel, tbSunken);
  EXPECT_EQ(Bar->Panels()->Item(1)->Width, 50);
  EXPECT_EQ(Bar->Glyph()->Bytes, AnsiString("\x00\xFF\x10", 3));

  // Handlers are the window's published methods.
  EXPECT_EQ(Ok->OnClick, Bind<&TTestForm::btnOkClick>(&Form));
  Ok->OnClick(Ok);
  Edit->OnExit(Edit);
  EXPECT_EQ(Form.Log, (std::vector<AnsiString>{"btnOkClick:btnOk", "FieldExit:edtName"}));

  // Loaded ran once for each component and the loading state is gone.
  for (TTestControl* C : {static_cast<TTestControl*>(&Form), Panel, Ok, Edit, Bar}) {
    EXPECT_EQ(C->LoadedCount, 1) << C->Name();
    EXPECT_FALSE(C->ComponentState().Contains(csLoading)) << C->Name();
  }
}

TEST(FormText, WritesWhatDiffersFromDefaultsAndReadsItBack) {
  TTestForm Form(nullptr);
  ReadFormText(&Form, MainForm);
  AnsiString Text = ComponentToFormText(&Form);
  // Written as the run-time writes: default values left out, names of
  // colours, cursors and charsets, wide character codes for Chinese.
  EXPECT_EQ(Text.rfind("object frmMain: TTestForm\r\n  Left = 10\r\n", 0), 0u) << Text;
  for (const char* Line :
       {"  Caption = 'Main'#13#10'Window'\r\n", "  Font.Charset = GB2312_CHARSET\r\n",
        "  Font.Name = #23435#20307\r\n", "  Font.Style = [tfBold, tfItalic]\r\n",
        "  Font.Color = clRed\r\n", "    Color = 11534335\r\n", "    Cursor = crHourGlass\r\n",
        "      Caption = 'It''s OK'\r\n", "      Accel = 'K'\r\n", "      Big = 1099511627776\r\n",
        "      Partner = edtName\r\n", "      OnClick = btnOkClick\r\n",
        "      Items.Strings = (\r\n        'one'\r\n        'two')\r\n",
        "    Panels = <\r\n      item\r\n        Text = 'left'\r\n        Width = 80\r\n"
        "      end\r\n      item\r\n        Bevel = tbSunken\r\n      end>\r\n",
        "    Glyph.Data = {\r\n      00FF10}\r\n", "  object sbMain: TTestControl\r\n"}) {
    EXPECT_NE(Text.find(Line), AnsiString::npos) << Line << "\nin\n" << Text;
  }
  for (const char* Absent : {"Visible = True", "Width = 50", "Tag = 0", " Name = ", "Font.Size"})
    EXPECT_EQ(Text.find(Absent), AnsiString::npos) << Absent;

  TTestForm Copy(nullptr);
  ReadFormText(&Copy, Text);
  EXPECT_EQ(ComponentToFormText(&Copy), Text);
  EXPECT_EQ(Control(&Copy, "btnOk")->Partner, Control(&Copy, "edtName"));
}

TEST(FormText, StringsAreWrittenAsWideCharacterCodes) {
  struct Case {
    AnsiString Value;
    const char* Written;
  };
  const Case Cases[] = {
      {"", "''"},
      {"abc", "'abc'"},
      {"it's", "'it''s'"},
      {"a\r\nb", "'a'#13#10'b'"},
      {"\t", "#9"},
      {GB("确定"), "#30830#23450"},
      {GB("确定") + "(&O)", "#30830#23450'(&O)'"},
      {AnsiString(70, 'x'),
       "'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx' +\r\n"
       "    'xxxxxx'"},
  };
  for (const Case& C : Cases) {
    TFormObject Tree;
    Tree.Name = "a";
    Tree.ClassName = "T";
    Tree.Properties.push_back(TFormProperty{"S", TFormValue::OfString(C.Value), 0});
    AnsiString Text = FormatFormText(Tree);
    AnsiString Expected = AnsiString("object a: T\r\n  S = ") + C.Written + "\r\nend\r\n";
    EXPECT_EQ(Text, Expected);
    TFormObject Back = ParseFormText(Text);
    ASSERT_EQ(Back.Properties.size(), 1u);
    EXPECT_EQ(Back.Properties[0].Value.Text, C.Value) << C.Written;
  }
}

TEST(FormText, ParsesEveryValueKind) {
  TFormObject T = ParseFormText(
      "inherited frmX: TfrmX [2]\n"
      "  A = -12\n"
      "  B = $FF\n"
      "  C = 1.5E3\n"
      "  D = -0.25\n"
      "  E = 'a' + #$42 + 'c'#100\n"
      "  F = clRed\n"
      "  G = []\n"
      "  H = [x, 3]\n"
      "  I = (\n    1\n    'two'\n    three)\n"
      "  J = <>\n"
      "  K = {\n 0a 0B\n ff }\n"
      "  L.M.N = 2.5s\n"
      "  object TLabel\n"
      "  end\n"
      "  inline fr: TFrame1\n"
      "  end\n"
      "end");
  EXPECT_EQ(T.Kind, TFormObjectKind::Inherited);
  EXPECT_EQ(T.Name, "frmX");
  EXPECT_EQ(T.ClassName, "TfrmX");
  EXPECT_EQ(T.Position, 2);
  ASSERT_EQ(T.Properties.size(), 12u);
  const auto& P = T.Properties;
  EXPECT_EQ(P[0].Value.Int, -12);
  EXPECT_EQ(P[1].Value.Int, 255);
  EXPECT_EQ(P[2].Value.Kind, TFormValueKind::Float);
  EXPECT_DOUBLE_EQ(P[2].Value.Float, 1500);
  EXPECT_DOUBLE_EQ(P[3].Value.Float, -0.25);
  EXPECT_EQ(P[4].Value.Text, "aBcd");
  EXPECT_EQ(P[5].Value.Kind, TFormValueKind::Ident);
  EXPECT_TRUE(P[6].Value.Elements.empty());
  EXPECT_EQ(P[7].Value.Elements, (std::vector<AnsiString>{"x", "3"}));
  ASSERT_EQ(P[8].Value.List.size(), 3u);
  EXPECT_EQ(P[8].Value.List[1].Text, "two");
  EXPECT_EQ(P[8].Value.List[2].Kind, TFormValueKind::Ident);
  EXPECT_EQ(P[9].Value.Kind, TFormValueKind::Collection);
  EXPECT_TRUE(P[9].Value.Items.empty());
  EXPECT_EQ(P[10].Value.Text, AnsiString("\x0A\x0B\xFF", 3));
  EXPECT_EQ(P[11].Name, "L.M.N");
  EXPECT_EQ(P[11].Line, 18);
  ASSERT_EQ(T.Children.size(), 2u);
  EXPECT_EQ(T.Children[0].Name, "");
  EXPECT_EQ(T.Children[0].ClassName, "TLabel");
  EXPECT_EQ(T.Children[1].Kind, TFormObjectKind::Inline);
}

// Texts come back in the process code page unless the caller names another;
// descriptions compiled into the program are UTF-8 and may hold Chinese text
// directly.
TEST(FormText, TextsAreReadIntoTheProcessCodePage) {
  const unsigned Saved = GetACP();
  SetACP(950);
  TFormObject Big5 = ParseFormText("object a: T\n  S = #20013#25991\nend");
  TFormObject Utf8 =
      ParseFormText("object a: T\n  S = '\xE4\xB8\xAD\xE6\x96\x87'\nend", {0, CP_UTF8});
  SetACP(Saved);
  EXPECT_EQ(Big5.Properties[0].Value.Text, "\xA4\xA4\xA4\xE5");
  EXPECT_EQ(Utf8.Properties[0].Value.Text, "\xA4\xA4\xA4\xE5");
  TFormObject Gb = ParseFormText("object a: T\n  S = '" + GB("中文") + "'\nend");
  EXPECT_EQ(Gb.Properties[0].Value.Text, GB("中文"));
  TFormObject ToGb = ParseFormText("object a: T\n  S = #30830#23450\nend", {936, 0});
  EXPECT_EQ(ToGb.Properties[0].Value.Text, "\xC8\xB7\xB6\xA8");
}

// For callers that convert the whole text between code pages (a stored layout
// passes through the GB/Big5 converter), strings can be written as raw bytes.
TEST(FormText, RawBytesModeWritesTheBytesInsideQuotes) {
  TFormObject Tree;
  Tree.Name = "a";
  Tree.ClassName = "T";
  Tree.Properties.push_back(
      TFormProperty{"S", TFormValue::OfString(GB("确定") + "'x\r" + AnsiString(70, 'y')), 0});
  const TFormTextEncoding Raw{936, 936, true};
  AnsiString Text = FormatFormText(Tree, Raw);
  EXPECT_EQ(Text, "object a: T\r\n  S = '\xC8\xB7\xB6\xA8''x'#13'" + AnsiString(59, 'y') +
                      "' +\r\n    '" + AnsiString(11, 'y') + "'\r\nend\r\n");
  EXPECT_EQ(ParseFormText(Text, Raw).Properties[0].Value.Text, Tree.Properties[0].Value.Text);
  // A double-byte character is never cut at the 64-character boundary.
  Tree.Properties[0].Value.Text = AnsiString(63, 'z') + GB("定");
  Text = FormatFormText(Tree, Raw);
  EXPECT_NE(Text.find("z\xB6\xA8'"), AnsiString::npos) << Text;
  EXPECT_EQ(ParseFormText(Text, Raw).Properties[0].Value.Text, Tree.Properties[0].Value.Text);
}

TEST(FormText, ReadingIntoAnExistingWindowKeepsWhatItDoesNotMention) {
  TTestForm Form(nullptr);
  ReadFormText(&Form, MainForm);
  TTestControl* Ok = Control(&Form, "btnOk");
  ReadFormText(&Form,
               "inherited frmMain: TTestForm\n"
               "  inherited pnlMain: TTestControl\n"
               "    inherited btnOk: TTestControl\n"
               "      Left = 99\n"
               "    end\n"
               "    object lblNew: TTestControl\n"
               "      Caption = 'new'\n"
               "    end\n"
               "  end\n"
               "  inherited sbMain: TTestControl\n"
               "    inherited edtName: TTestControl\n"  // moved into another parent
               "    end\n"
               "  end\n"
               "end\n");
  EXPECT_EQ(Control(&Form, "btnOk"), Ok);
  EXPECT_EQ(Ok->Left, 99);
  EXPECT_EQ(Ok->Caption, "It's OK");
  TTestControl* New = Control(&Form, "lblNew");
  ASSERT_NE(New, nullptr);
  EXPECT_EQ(New->Parent(), Form.pnlMain);
  EXPECT_EQ(Control(&Form, "edtName")->Parent(), Control(&Form, "sbMain"));
  // "object" for a component that already exists with the same class reuses it.
  ReadFormText(&Form, "inherited frmMain: TTestForm\n  object lblNew: TTestControl\n  end\nend");
  EXPECT_EQ(Control(&Form, "lblNew"), New);
  EXPECT_EQ(Form.ComponentCount(), 5);
}

TEST(FormText, WritesOnlyDifferencesFromAnAncestorInstance) {
  TTestForm Ancestor(nullptr);
  ReadFormText(&Ancestor, MainForm);
  TTestForm Form(nullptr);
  ReadFormText(&Form, MainForm);
  EXPECT_EQ(ComponentToFormText(&Form, &Ancestor), "inherited frmMain: TTestForm\r\nend\r\n");

  Control(&Form, "btnOk")->Left = 7;
  Control(&Form, "edtName")->Items()->Add("three");
  Control(&Form, "btnOk")->OnClick = Bind<&TTestForm::FieldExit>(&Form);
  Control(&Form, "sbMain")->Panels()->Item(1)->Text = "right";
  auto* Added = new TTestControl(&Form);
  Added->SetName("lblAdded");
  Added->SetParent(Form.pnlMain);
  Added->Caption = GB("新");
  EXPECT_EQ(ComponentToFormText(&Form, &Ancestor),
            "inherited frmMain: TTestForm\r\n"
            "  inherited pnlMain: TTestControl\r\n"
            "    inherited btnOk: TTestControl\r\n"
            "      Left = 7\r\n"
            "      OnClick = FieldExit\r\n"
            "    end\r\n"
            "    inherited edtName: TTestControl\r\n"
            "      Items.Strings = (\r\n"
            "        'one'\r\n"
            "        'two'\r\n"
            "        'three')\r\n"
            "    end\r\n"
            "    object lblAdded: TTestControl\r\n"
            "      Caption = #26032\r\n"
            "      Big = 0\r\n"
            "      Font.Name = 'SimSun'\r\n"
            "    end\r\n"
            "  end\r\n"
            "  inherited sbMain: TTestControl\r\n"
            "    Panels = <\r\n"
            "      item\r\n"
            "        Text = 'left'\r\n"
            "        Width = 80\r\n"
            "      end\r\n"
            "      item\r\n"
            "        Bevel = tbSunken\r\n"
            "        Text = 'right'\r\n"
            "      end>\r\n"
            "  end\r\n"
            "end\r\n");
}

struct TBadCase {
  const char* What;
  const char* Text;
  const char* Message;
  int Line;
};

TEST(FormText, MalformedTextRaisesParserErrorsNamingTheLine) {
  const TBadCase Cases[] = {
      {"block never closed", "object a: TTestForm\n  object b: TTestControl\n  end\n",
       "'end' expected before the end of the text for block 'a: TTestForm' opened on line 1", 1},
      {"inner block never closed", "object a: TTestForm\n  Left = 1\n  object b: TTestControl\nend\n",
       "'end' expected before the end of the text for block 'a: TTestForm' opened on line 1", 1},
      {"one end too many", "object a: TTestForm\nend\nend\n", "End of text expected but 'end' found on line 3", 3},
      {"no '='", "object a: TTestForm\n  Left 1\nend", "'=' expected but number found on line 2", 2},
      {"unterminated string", "object a: TTestForm\n  Caption = 'abc\nend", "Unterminated string on line 2", 2},
      {"bad binary", "object a: TTestForm\n  Glyph.Data = {0G}\nend", "Invalid binary value on line 2", 2},
      {"odd binary", "object a: TTestForm\n\n  Glyph.Data = {0A1}\nend", "Invalid binary value on line 3", 3},
      {"list never closed", "object a: TTestForm\n  Items.Strings = (\n 'a'\n", "')' expected before the end of the text for the list opened on line 2", 2},
      {"set without commas", "object a: TTestForm\n  Font.Style = [tfBold tfItalic]\nend", "',' expected but 'tfItalic' found on line 2", 2},
      {"no value", "object a: TTestForm\n  Left = )\nend", "Value expected but ')' found on line 2", 2},
      {"no class", "object a:\nend", "Identifier expected but 'end' found on line 2", 2},
      {"empty", "  \r\n", "Empty form description on line 2", 2},
      {"not a block", "Left = 1", "'object' expected but 'Left' found on line 1", 1},
  };
  for (const TBadCase& C : Cases) {
    try {
      ParseFormText(C.Text);
      ADD_FAILURE() << C.What << ": parsed";
    } catch (const EParserError& E) {
      EXPECT_EQ(E.Message, C.Message) << C.What;
      EXPECT_EQ(E.Line, C.Line) << C.What << ": " << E.Message;
    }
  }
}

TEST(FormText, DescriptionsThatDoNotFitRaiseReadErrorsNamingTheLine) {
  auto Lines = [](const char* Body) {
    return AnsiString("inherited frmMain: TTestForm\n") + Body + "end\n";
  };
  const TBadCase Cases[] = {
      {"unknown class", "  object x: TNoSuch\n  end\n", "Class TNoSuch not found on line 2", 2},
      {"unknown property", "  inherited btnOk: TTestControl\n    Colour = clRed\n  end\n",
       "Error reading btnOk.Colour: Property Colour does not exist on line 3", 3},
      {"unknown sub-property", "  Font.Weight = 1\n",
       "Error reading frmMain.Font.Weight: Property Weight does not exist on line 2", 2},
      {"path through a number", "  Left.X = 1\n", "Error reading frmMain.Left.X: Invalid property path on line 2", 2},
      {"string for a number", "  Left = 'abc'\n", "Error reading frmMain.Left: Invalid property value on line 2", 2},
      {"number for a string", "  Caption = 12\n", "Error reading frmMain.Caption: Invalid property value on line 2", 2},
      {"unknown enumeration name", "  Bevel = tbFlat\n", "Error reading frmMain.Bevel: Invalid property value on line 2", 2},
      {"unknown identifier", "  Color = clReddish\n", "Error reading frmMain.Color: Invalid property value on line 2", 2},
      {"unknown set element", "  Font.Style = [tfBold, tfHuge]\n",
       "Error reading frmMain.Font.Style: Invalid property element: tfHuge on line 2", 2},
      {"out of range", "  Font.Charset = 300\n", "Error reading frmMain.Font.Charset: Range check error on line 2", 2},
      {"unknown handler", "  OnClick = NoSuchClick\n", "Error reading frmMain.OnClick: Method 'NoSuchClick' not found on line 2", 2},
      {"handler of another shape", "  OnClick = KeyPress\n",
       "Error reading frmMain.OnClick: Method 'KeyPress' has an incompatible parameter list on line 2", 2},
      {"list of numbers for strings", "  Items.Strings = (\n    1)\n",
       "Error reading frmMain.Items.Strings: Invalid property value on line 2", 2},
      {"item property", "  Panels = <\n    item\n      Wide = 1\n    end>\n",
       "Error reading frmMain.Panels[0].Wide: Property Wide does not exist on line 4", 4},
      {"missing ancestor", "  Left = 3\n  inherited btnGone: TTestControl\n  end\n",
       "Ancestor for 'btnGone' not found on line 3", 3},
      {"ancestor of another class", "  inherited btnOk: TTestForm\n  end\n",
       "btnOk is a TTestControl, not a TTestForm on line 2", 2},
      {"name taken by another class", "  object btnOk: TTestForm\n  end\n",
       "A component named btnOk already exists on line 2", 2},
      {"bad component name", "  object 1x: TTestControl\n  end\n", "Invalid number on line 2", 2},
      {"unresolved reference", "  Left = 1\n  Partner = edtGone\n",
       "Error reading frmMain.Partner: Unresolved reference to 'edtGone' on line 3", 3},
      {"not a component class", "  object f: TTestFont\n  end\n", "Cannot create an instance of class TTestFont on line 2", 2},
  };
  for (const TBadCase& C : Cases) {
    TTestForm Form(nullptr);
    ReadFormText(&Form, MainForm);
    const AnsiString Before = ComponentToFormText(&Form);
    try {
      ReadFormText(&Form, Lines(C.Text));
      ADD_FAILURE() << C.What << ": read";
    } catch (const EParserError& E) {
      EXPECT_EQ(E.Message, C.Message) << C.What;
      EXPECT_EQ(E.Line, C.Line) << C.What;
    } catch (const EFilerError& E) {
      EXPECT_EQ(E.Message, C.Message) << C.What;
      EXPECT_EQ(E.Line, C.Line) << C.What;
    }
    // The description was checked before anything was applied.
    EXPECT_EQ(ComponentToFormText(&Form), Before) << C.What;
    EXPECT_EQ(Form.ComponentCount(), 4) << C.What;
    // The error left nothing in the loading state.
    for (int i = 0; i < Form.ComponentCount(); ++i)
      EXPECT_FALSE(Form.Components(i)->ComponentState().Contains(csLoading)) << C.What;
    EXPECT_FALSE(Form.ComponentState().Contains(csLoading));
  }

  TTestForm Form(nullptr);
  EXPECT_THROW(ReadFormText(&Form, "object x: TTestFont\nend"), EReadError);
}

// What only a setter can refuse is found while applying: the properties read
// before it stay, as stored layouts expect.
TEST(FormText, ASetterThatRefusesAValueLeavesTheEarlierPropertiesApplied) {
  TTestForm Form(nullptr);
  try {
    ReadFormText(&Form, "object frmMain: TTestForm\n  Left = 5\n  Limit = -1\n  Top = 6\nend\n");
    FAIL() << "the refused value was read";
  } catch (const EReadError& E) {
    EXPECT_EQ(E.Message, "Error reading frmMain.Limit: Limit must not be negative on line 3");
    EXPECT_EQ(E.Line, 3);
  }
  EXPECT_EQ(Form.Left, 5);
  EXPECT_EQ(Form.Top, 0);
  EXPECT_EQ(Form.LoadedCount, 0);
  EXPECT_FALSE(Form.ComponentState().Contains(csLoading));
}

}  // namespace
