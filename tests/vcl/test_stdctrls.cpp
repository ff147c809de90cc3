#include <gtest/gtest.h>

#include <memory>

#include "platform/vcl/FormText.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/vcl/ui_fixture.h"

using namespace kw_test;

namespace {

class StdCtrlsTest : public FormUITest {};

// "中文" in code page 936: two double-byte characters.
const AnsiString kZhong = "\xD6\xD0";
const AnsiString kWen = "\xCE\xC4";

// ---- Edits --------------------------------------------------------------------------

TEST_F(StdCtrlsTest, TypingIntoAnEditCountsBytesAndNeverSplitsACharacter) {
  struct Case {
    int MaxLength;
    AnsiString Typed;
    AnsiString Expected;
  } cases[] = {
      {0, "abc", "abc"},
      {3, "abcdef", "abc"},
      {4, kZhong + kWen + "x", kZhong + kWen},
      {3, kZhong + kWen, kZhong},  // the second character would need 2 more bytes, 1 is left
      {3, "a" + kZhong + "b", "a" + kZhong},
      {1, kZhong, ""},
  };
  auto* edt = Add<TEdit>("edtName");
  Focus(edt);
  for (const Case& c : cases) {
    edt->SetText("");
    edt->SetMaxLength(c.MaxLength);
    Type(c.Typed);
    EXPECT_EQ(edt->Text(), c.Expected) << "MaxLength " << c.MaxLength;
  }
  // Text set from code is not cut.
  edt->SetMaxLength(2);
  edt->SetText("abcdef");
  EXPECT_EQ(edt->Text(), "abcdef");
}

TEST_F(StdCtrlsTest, BackspaceAndCaretMovesTakeWholeDoubleByteCharacters) {
  auto* edt = Add<TEdit>("edtName");
  Focus(edt);
  Type("a" + kZhong + kWen);
  Press(VK_LEFT);
  EXPECT_EQ(edt->SelStart(), 3);
  Type("\b");
  EXPECT_EQ(edt->Text(), "a" + kWen);
  EXPECT_EQ(edt->SelStart(), 1);
  Press(VK_DELETE);
  EXPECT_EQ(edt->Text(), "a");
  edt->SetText(kZhong + kWen);
  edt->SetSelStart(1);  // inside a character: moved back to its start
  EXPECT_EQ(edt->SelStart(), 0);
}

TEST_F(StdCtrlsTest, EditChangeEventsAndReadOnly) {
  auto* edt = Add<TEdit>("edtName");
  int changes = 0;
  struct Counter {
    int* N;
    void Changed(TObject*) { ++*N; }
  } counter{&changes};
  edt->OnChange = Bind<&Counter::Changed>(&counter);
  edt->SetText("x");
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(edt->Modified()) << "a change from code is no person's change";
  Focus(edt);  // AutoSelect selects the whole text
  Type("yz");
  EXPECT_EQ(edt->Text(), "yz");
  EXPECT_EQ(changes, 3);
  EXPECT_TRUE(edt->Modified());
  edt->SetReadOnly(true);
  Type("q\b");
  EXPECT_EQ(edt->Text(), "yz");
  EXPECT_EQ(changes, 3);
  edt->SetReadOnly(false);
  edt->SetCharCase(ecUpperCase);
  EXPECT_EQ(edt->Text(), "YZ");
  Type("a");
  EXPECT_EQ(edt->Text(), "YZA");
  edt->SetPasswordChar('*');
  edt->SetText("ab" + kZhong);
  EXPECT_EQ(edt->DisplayText(), "***");
}

// ---- Memos ---------------------------------------------------------------------------

TEST_F(StdCtrlsTest, MemoLinesAreItsTextAndTheCaretLineFollowsTyping) {
  auto* mem = Add<TMemo>("memNote");
  mem->Lines()->Add("first");
  mem->Lines()->Add("second");
  EXPECT_EQ(mem->Text(), "first\r\nsecond");
  EXPECT_EQ(mem->Lines()->Count(), 2);
  mem->Lines()->SetStrings(0, "one");
  mem->Lines()->Insert(1, "");
  EXPECT_EQ(mem->Text(), "one\r\n\r\nsecond");
  mem->SetText("a\nb\rc\r\n");
  EXPECT_EQ(mem->Lines()->Count(), 3) << "a final break starts no line";
  EXPECT_EQ(mem->Lines()->Strings(2), "c");

  mem->SetText("");
  Focus(mem);
  Type("ab\rcd");  // Enter stays in the memo
  EXPECT_EQ(mem->Text(), "ab\r\ncd");
  EXPECT_EQ(mem->CaretLine(), 1);
  EXPECT_EQ(mem->CaretColumn(), 2);
  Press(VK_UP);
  EXPECT_EQ(mem->CaretLine(), 0);
  EXPECT_EQ(mem->CaretColumn(), 2);
  Press(VK_HOME);
  Type("X");
  EXPECT_EQ(mem->Lines()->Strings(0), "Xab");
  mem->SetWantReturns(false);
  auto* btn = Add<TButton>("btnOk");
  btn->SetDefault(true);
  int clicks = 0;
  struct Counter {
    int* N;
    void Click(TObject*) { ++*N; }
  } counter{&clicks};
  btn->OnClick = Bind<&Counter::Click>(&counter);
  Press(VK_RETURN);
  EXPECT_EQ(clicks, 1) << "without WantReturns Enter goes to the default button";
  EXPECT_EQ(mem->Lines()->Count(), 2);
}

// ---- Buttons ---------------------------------------------------------------------------

struct TClickLog {
  TEventLog* Log;
  void Click(TObject* Sender) { Log->push_back("Click " + static_cast<TComponent*>(Sender)->Name()); }
};

TEST_F(StdCtrlsTest, EnterAndEscapePressTheDefaultAndCancelButtons) {
  auto* edt = Add<TEdit>("edtName");
  auto* box = Add<TGroupBox>("grpButtons");
  auto* ok = Add<TButton>("btnOk", box);  // inside a group box: the key still reaches it
  auto* cancel = Add<TButton>("btnCancel", box);
  auto* other = Add<TButton>("btnOther");
  ok->SetDefault(true);
  cancel->SetCancel(true);
  TClickLog log{&Log};
  for (TButton* b : {ok, cancel, other}) b->OnClick = Bind<&TClickLog::Click>(&log);

  struct Case {
    TWinControl* Focused;
    unsigned short Key;
    const char* Expected;  // nullptr: nothing pressed
  } cases[] = {
      {edt, VK_RETURN, "Click btnOk"},
      {edt, VK_ESCAPE, "Click btnCancel"},
      {other, VK_RETURN, "Click btnOther"},  // a focused button takes Enter itself
      {cancel, VK_RETURN, "Click btnCancel"},
      {other, VK_ESCAPE, "Click btnCancel"},
  };
  for (const Case& c : cases) {
    Log.clear();
    Focus(c.Focused);
    Press(c.Key);
    EXPECT_EQ(Log, TEventLog{c.Expected}) << c.Focused->Name() << " key " << c.Key;
  }
  ok->SetEnabled(false);
  Log.clear();
  Focus(edt);
  Press(VK_RETURN);
  EXPECT_TRUE(Log.empty()) << "a disabled default button is not pressed";
}

TEST_F(StdCtrlsTest, AButtonsModalResultClosesTheModalForm) {
  auto* edt = Add<TEdit>("edtName");
  auto* ok = Add<TButton>("btnOk");
  auto* cancel = Add<TButton>("btnCancel");
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  ui.ExpectModal("frmTest").Act([&](TCustomForm&) {
    edt->SetFocus();
    PressKey(VK_RETURN);
  });
  EXPECT_EQ(form->ShowModal(), mrOk);
  ui.ExpectModal("frmTest").Act([&](TCustomForm&) { PressKey(VK_ESCAPE); });
  EXPECT_EQ(form->ShowModal(), mrCancel);
  ui.ExpectModal("frmTest").Act([&](TCustomForm&) {
    ok->SetFocus();
    PressKey(VK_SPACE);
  });
  EXPECT_EQ(form->ShowModal(), mrOk);
  ui.VerifyAllAnswered();
}

TEST_F(StdCtrlsTest, CheckBoxesAndRadioButtonsFireOnClickWhenTheirStateChanges) {
  auto* chk = Add<TCheckBox>("chkA");
  TClickLog log{&Log};
  chk->OnClick = Bind<&TClickLog::Click>(&log);
  chk->SetChecked(true);
  chk->SetChecked(true);  // no change, no click
  EXPECT_EQ(Log, TEventLog{"Click chkA"});
  chk->SetAllowGrayed(true);
  chk->Toggle();
  EXPECT_EQ(chk->State(), cbUnchecked);
  chk->Toggle();
  EXPECT_EQ(chk->State(), cbGrayed);
  EXPECT_FALSE(chk->Checked());
  Focus(chk);
  Press(VK_SPACE);
  EXPECT_TRUE(chk->Checked());

  auto* grp = Add<TGroupBox>("grp");
  auto* r1 = Add<TRadioButton>("rbA", grp);
  auto* r2 = Add<TRadioButton>("rbB", grp);
  auto* r3 = Add<TRadioButton>("rbOther");  // another parent: another group
  for (TRadioButton* r : {r1, r2, r3}) r->OnClick = Bind<&TClickLog::Click>(&log);
  Log.clear();
  r1->SetChecked(true);
  r3->SetChecked(true);
  r2->SetChecked(true);
  EXPECT_FALSE(r1->Checked());
  EXPECT_TRUE(r2->Checked());
  EXPECT_TRUE(r3->Checked());
  EXPECT_EQ(Log, (TEventLog{"Click rbA", "Click rbOther", "Click rbB"}));
  EXPECT_TRUE(r2->TabStop());
  EXPECT_FALSE(r1->TabStop()) << "only the checked radio button of a group is a tab stop";
}

// ---- Combo boxes ------------------------------------------------------------------------

TEST_F(StdCtrlsTest, ChangingTheComboStyleKeepsItemsAndItemIndex) {
  const TComboBoxStyle styles[] = {csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable};
  for (TComboBoxStyle from : styles)
    for (TComboBoxStyle to : styles)
      for (int index : {-1, 0, 2}) {
        std::unique_ptr<TComboBox> cb(NewComponent<TComboBox>(nullptr));
        cb->SetStyle(from);
        cb->Items()->SetCommaText("Asset,Voucher,Ledger");
        cb->SetItemIndex(index);
        cb->SetStyle(to);
        EXPECT_EQ(cb->ItemIndex(), index) << from << " -> " << to;
        EXPECT_EQ(cb->Items()->Count(), 3);
        EXPECT_EQ(cb->Text(), index >= 0 ? cb->Items()->Strings(index) : AnsiString()) << from << " -> " << to;
      }
}

TEST_F(StdCtrlsTest, ADropDownListShowsOnlyItemTexts) {
  auto* cb = Add<TComboBox>("cbKind");
  cb->Items()->SetCommaText("Asset,Voucher,Ledger");
  cb->SetStyle(csDropDown);
  cb->SetText("free text");
  EXPECT_EQ(cb->Text(), "free text");
  EXPECT_EQ(cb->ItemIndex(), -1);
  cb->SetStyle(csDropDownList);
  EXPECT_EQ(cb->Text(), "") << "no item selected: no text";
  cb->SetText("voucher");  // an item's text (ignoring case) selects it
  EXPECT_EQ(cb->ItemIndex(), 1);
  EXPECT_EQ(cb->Text(), "Voucher");
  cb->SetText("nothing like it");
  EXPECT_EQ(cb->ItemIndex(), -1);
  EXPECT_EQ(cb->Text(), "");
  cb->SetItemIndex(2);
  cb->Items()->Delete(0);
  EXPECT_EQ(cb->ItemIndex(), 1) << "the selection stays on its item";
  EXPECT_EQ(cb->Text(), "Ledger");
  cb->Items()->Delete(1);
  EXPECT_EQ(cb->ItemIndex(), -1);
  EXPECT_EQ(cb->Text(), "");
  cb->SetItemIndex(7);
  EXPECT_EQ(cb->ItemIndex(), -1);
}

TEST_F(StdCtrlsTest, ComboKeysSelectItemsAndEditTheText) {
  auto* cb = Add<TComboBox>("cbKind");
  cb->Items()->SetCommaText("Asset,Voucher,Ledger,Account");
  cb->SetStyle(csDropDownList);
  TClickLog log{&Log};
  struct Changes {
    TEventLog* Log;
    void Change(TObject*) { Log->push_back("Change"); }
    void Key(TObject*, char& Key) {
      Log->push_back(AnsiString("Key ") + Key);
      if (Key == 'x') Key = 0;  // the handler may swallow a key
    }
  } changes{&Log};
  cb->OnClick = Bind<&TClickLog::Click>(&log);
  cb->OnChange = Bind<&Changes::Change>(&changes);
  cb->OnKeyPress = Bind<&Changes::Key>(&changes);
  Focus(cb);
  Type("a");
  EXPECT_EQ(cb->ItemIndex(), 0);
  Type("a");  // the next item starting with the same character
  EXPECT_EQ(cb->ItemIndex(), 3);
  EXPECT_EQ(cb->Text(), "Account");
  Press(VK_UP);
  EXPECT_EQ(cb->Text(), "Ledger");
  EXPECT_EQ(Log, (TEventLog{"Key a", "Click cbKind", "Change", "Key a", "Click cbKind", "Change", "Click cbKind",
                            "Change"}));

  cb->SetStyle(csDropDown);
  cb->SetText("");
  Log.clear();
  Type("Vox");
  EXPECT_EQ(cb->Text(), "Vo");
  EXPECT_EQ(Log, (TEventLog{"Key V", "Change", "Key o", "Change", "Key x"}));
  Type("ucher");
  EXPECT_EQ(cb->ItemIndex(), 1) << "typed text equal to an item selects it";
  Type("s");
  EXPECT_EQ(cb->ItemIndex(), -1);
}

// ---- List boxes --------------------------------------------------------------------------

TEST_F(StdCtrlsTest, ListBoxSelection) {
  auto* lb = Add<TListBox>("lbFields");
  lb->Items()->SetCommaText("a,b,c,d");
  lb->SetItemIndex(1);
  EXPECT_TRUE(lb->Selected(1));
  EXPECT_EQ(lb->SelCount(), -1);
  lb->SetSelected(2, true);
  EXPECT_FALSE(lb->Selected(1)) << "single selection";
  EXPECT_EQ(lb->ItemIndex(), 2);
  lb->SetMultiSelect(true);
  lb->SetSelected(0, true);
  lb->SetSelected(3, true);
  EXPECT_EQ(lb->SelCount(), 3);
  lb->Items()->Delete(0);
  EXPECT_EQ(lb->SelCount(), 2);
  EXPECT_TRUE(lb->Selected(1));
  EXPECT_TRUE(lb->Selected(2));
  EXPECT_THROW(lb->Selected(5), EListError);
  lb->Items()->Insert(0, "z");
  EXPECT_TRUE(lb->Selected(2));
  EXPECT_TRUE(lb->Selected(3));
}

// ---- Labels ---------------------------------------------------------------------------

TEST_F(StdCtrlsTest, AnAutoSizedLabelTakesTheSizeOfItsCaption) {
  auto* lbl = Add<TLabel>("lblName");
  lbl->SetCaption("&Name");
  int shortWidth = lbl->Width();
  EXPECT_GT(shortWidth, 0);
  EXPECT_EQ(lbl->DisplayText(), "Name");
  lbl->SetCaption("&Name of the asset");
  EXPECT_GT(lbl->Width(), shortWidth);
  int w = lbl->Width();
  lbl->Font()->SetSize(lbl->Font()->Size() * 2);
  EXPECT_GT(lbl->Width(), w);
  lbl->SetAutoSize(false);
  lbl->SetCaption("x");
  EXPECT_GT(lbl->Width(), w) << "without AutoSize the size stays";

  // A right-justified label grows to the left.
  auto* right = Add<TLabel>("lblRight");
  right->SetAlignment(taRightJustify);
  right->SetLeft(200);
  int edge = right->Left() + right->Width();
  right->SetCaption("longer caption here");
  EXPECT_EQ(right->Left() + right->Width(), edge);
}

TEST_F(StdCtrlsTest, ALabelsAcceleratorFocusesItsControlAndForgetsAFreedOne) {
  auto* lbl = Add<TLabel>("lblName");
  auto* edt = Add<TEdit>("edtName");
  Add<TEdit>("edtOther");
  lbl->SetCaption("&Name");
  lbl->SetFocusControl(edt);
  form->Show();
  EXPECT_EQ(lbl->AccelChar(), 'N');
  EXPECT_EQ(lbl->Perform(CM_DIALOGCHAR, 'n'), 1);
  EXPECT_TRUE(edt->Focused());
  delete edt;
  EXPECT_EQ(lbl->FocusControl(), nullptr);
  EXPECT_EQ(lbl->Perform(CM_DIALOGCHAR, 'n'), 0);
}

// ---- Tab order ---------------------------------------------------------------------------

TEST_F(StdCtrlsTest, TabMovesTheFocusAcrossTheStandardControls) {
  Add<TLabel>("lblName");
  auto* edt = Add<TEdit>("edtName");
  auto* grp = Add<TGroupBox>("grpKind");
  auto* rb = Add<TRadioButton>("rbAsset", grp);
  rb->SetChecked(true);
  Add<TRadioButton>("rbOther", grp);  // unchecked: no tab stop
  auto* cb = Add<TComboBox>("cbKind");
  auto* chk = Add<TCheckBox>("chkAll");
  auto* mem = Add<TMemo>("memNote");
  auto* ok = Add<TButton>("btnOk");
  chk->SetEnabled(false);
  cb->SetTabOrder(0);
  Focus(cb);
  TEventLog order;
  for (int i = 0; i < 6; ++i) {
    Press(VK_TAB);
    order.push_back(form->ActiveControl()->Name());
  }
  EXPECT_EQ(order, (TEventLog{"edtName", "rbAsset", "memNote", "btnOk", "cbKind", "edtName"}));
  Press(VK_TAB, {ssShift});
  EXPECT_EQ(form->ActiveControl(), cb);
  (void)edt;
  (void)mem;
  (void)ok;
}

// ---- Descriptions ---------------------------------------------------------------------------

TEST_F(StdCtrlsTest, DescriptionsReachThePropertiesByName) {
  const char* text =
      "object frmTest: TForm\n"
      "  object cbStyle: TComboBox\n"
      "    Style = csDropDownList\n"
      "    Items.Strings = (\n"
      "      'One'\n"
      "      'Two')\n"
      "    ItemIndex = 1\n"
      "  end\n"
      "  object edtDate: TEdit\n"
      "    MaxLength = 10\n"
      "    Text = 'x'\n"
      "    TabOrder = 0\n"
      "  end\n"
      "  object btnOk: TButton\n"
      "    Caption = 'OK'\n"
      "    Default = True\n"
      "    ModalResult = 1\n"
      "  end\n"
      "  object memNote: TMemo\n"
      "    Lines.Strings = (\n"
      "      'a'\n"
      "      'b')\n"
      "  end\n"
      "  object lbLate: TListBox\n"
      "    ItemIndex = 2\n"
      "    Items.Strings = (\n"
      "      'a'\n"
      "      'b'\n"
      "      'c')\n"
      "  end\n"
      "  object cbLate: TComboBox\n"
      "    Style = csDropDownList\n"
      "    ItemIndex = 1\n"
      "    Text = 'b'\n"
      "    Items.Strings = (\n"
      "      'a'\n"
      "      'b')\n"
      "  end\n"
      "  object chkAll: TCheckBox\n"
      "    Checked = True\n"
      "  end\n"
      "end\n";
  ReadFormText(form.get(), text);
  auto* cb = ObjectAs<TComboBox>(form->FindComponent("cbStyle"));
  ASSERT_NE(cb, nullptr);
  auto* lb = ObjectAs<TListBox>(form->FindComponent("lbLate"));
  ASSERT_NE(lb, nullptr);
  EXPECT_EQ(lb->ItemIndex(), 2) << "an index read before the items";
  EXPECT_TRUE(lb->Selected(2));
  auto* cbLate = ObjectAs<TComboBox>(form->FindComponent("cbLate"));
  EXPECT_EQ(cbLate->ItemIndex(), 1);
  EXPECT_EQ(cbLate->Text(), "b");
  EXPECT_EQ(cb->ItemIndex(), 1);
  EXPECT_EQ(cb->Text(), "Two");
  EXPECT_EQ(GetPropText(form->FindComponent("edtDate"), "MaxLength"), "10");
  EXPECT_EQ(GetPropText(form->FindComponent("btnOk"), "Default"), "True");
  EXPECT_EQ(ObjectAs<TMemo>(form->FindComponent("memNote"))->Text(), "a\r\nb");
  EXPECT_TRUE(ObjectAs<TCheckBox>(form->FindComponent("chkAll"))->Checked());
  EXPECT_EQ(ObjectAs<TEdit>(form->FindComponent("edtDate"))->TabOrder(), 0);
  SetPropText(cb, "Style", "csSimple");
  EXPECT_EQ(cb->Style(), csSimple);
  EXPECT_EQ(cb->ItemIndex(), 1);
  SetPropText(form->FindComponent("edtDate"), "Font.Charset", "GB2312_CHARSET");
  EXPECT_EQ(ObjectAs<TEdit>(form->FindComponent("edtDate"))->Font()->Charset(), 134);
  // Written back, the combo's index follows its items.
  AnsiString written = ComponentToFormText(form.get());
  EXPECT_LT(written.find("Items.Strings"), written.find("ItemIndex = 1"));
}

}  // namespace
