// Form descriptions compiled into the program (tests/vcl/forms/*.dfm) and
// form inheritance: a form class is built from its ancestors' descriptions and
// then its own; written back as a descendant of a fresh instance, it reads
// back into the same window.

#include <gtest/gtest.h>

#include "platform/rtl/CodePages.h"
#include "tests/vcl/fixtures_components.h"

// A form class whose description is registered by the tests.
class TTestOtherForm : public TTestForm {
  KW_DECLARE_CLASS(TTestOtherForm, TTestForm)
 public:
  using TTestForm::TTestForm;
};
KW_REGISTER_CLASS(TTestOtherForm)

namespace {

TTestControl* Control(TComponent* Root, const char* Name) {
  return ObjectAs<TTestControl>(Root->FindComponent(Name));
}

TEST(FormResources, DescriptionsAreCompiledInUnderTheirClassNames) {
  ASSERT_NE(FindFormResource("TTestForm"), nullptr);
  ASSERT_NE(FindFormResource("ttestchildform"), nullptr);
  EXPECT_EQ(FindFormResource("TTestControl"), nullptr);
  EXPECT_EQ(FormResourceSource("TTestChildForm"), "tests/vcl/forms/TTestChildForm.dfm");
  // The bytes are the file's, UTF-8 included.
  EXPECT_NE(AnsiString(FindFormResource("TTestForm")).find("'\xE7\xA1\xAE\xE5\xAE\x9A'"),
            AnsiString::npos);
}

TEST(FormResources, AFormClassReadsItsOwnDescription) {
  // Texts built into the program are GB bytes whatever the system code page.
  const unsigned Saved = GetACP();
  SetACP(950);
  std::unique_ptr<TTestForm> Form(NewComponent<TTestForm>(nullptr));
  SetACP(Saved);
  EXPECT_EQ(Form->Name(), "frmBase");
  EXPECT_EQ(Form->Caption, GB("基础窗口"));
  EXPECT_EQ(Form->Font()->Charset(), GB2312_CHARSET);
  ASSERT_NE(Form->btnOk, nullptr);
  EXPECT_EQ(Form->btnOk->Caption, GB("确定"));
  EXPECT_EQ(Form->btnOk->Parent(), Form->pnlMain);
  Form->btnOk->OnClick(Form->btnOk);
  EXPECT_EQ(Form->Log, (std::vector<AnsiString>{"btnOkClick:btnOk"}));
}

TEST(FormResources, ADescendantIsBuiltFromItsAncestorsDescriptionsThenItsOwn) {
  // Created by class name, as a stored layout or the controller would.
  std::unique_ptr<TComponent> Made(CreateComponent("TTestChildForm", nullptr));
  auto* Form = ObjectAs<TTestChildForm>(Made.get());
  ASSERT_NE(Form, nullptr);
  EXPECT_EQ(Form->Name(), "frmChild");
  EXPECT_EQ(Form->Caption, "Child");
  EXPECT_EQ(Form->Font()->Charset(), GB2312_CHARSET);  // from the ancestor
  ASSERT_NE(Form->btnOk, nullptr);
  EXPECT_EQ(Form->btnOk->Caption, GB("确定"));
  EXPECT_EQ(Form->btnOk->Left, 20);
  ASSERT_NE(Form->btnExtra, nullptr);
  EXPECT_EQ(Form->btnExtra->Caption, GB("额外"));
  EXPECT_EQ(Form->btnExtra->Parent(), Form->pnlMain);
  EXPECT_EQ(Control(Form, "edtDate")->Items()->Count(), 2);
  Form->btnExtra->OnClick(Form->btnExtra);
  Form->btnOk->OnClick(Form->btnOk);
  EXPECT_EQ(Form->Log, (std::vector<AnsiString>{"btnExtraClick", "btnOkClick:btnOk"}));
  // One reading session for both descriptions: Loaded once each.
  for (int i = 0; i < Form->ComponentCount(); ++i)
    EXPECT_EQ(ObjectAs<TTestControl>(Form->Components(i))->LoadedCount, 1)
        << Form->Components(i)->Name();
  EXPECT_EQ(Form->LoadedCount, 1);
}

TEST(FormResources, AWindowWrittenAsADescendantReadsBackIntoTheSameWindow) {
  std::unique_ptr<TTestChildForm> Form(NewComponent<TTestChildForm>(nullptr));
  Form->Caption = GB("已修改");
  Form->btnOk->Left = 33;
  Form->pnlMain->Font()->SetCharset(CHINESEBIG5_CHARSET);
  Control(Form.get(), "edtDate")->OnExit = Bind<&TTestForm::btnOkClick>(Form.get());
  auto* Added = new TTestControl(Form.get());
  Added->SetName("lblNote");
  Added->SetParent(Form->pnlMain);
  Added->Caption = GB("备注");
  Added->Items()->Add("x");
  Added->Partner = Form->btnExtra;
  Added->OnClick = Bind<&TTestChildForm::btnExtraClick>(Form.get());

  AnsiString Text = WriteDescendantFormText(Form.get());
  EXPECT_EQ(Text.rfind("inherited frmChild: TTestChildForm\r\n", 0), 0u) << Text;
  EXPECT_NE(Text.find("    object lblNote: TTestControl\r\n"), AnsiString::npos) << Text;
  EXPECT_NE(Text.find("      Left = 33\r\n"), AnsiString::npos) << Text;
  EXPECT_NE(Text.find("    Font.Charset = CHINESEBIG5_CHARSET\r\n"), AnsiString::npos) << Text;
  EXPECT_NE(Text.find("      OnExit = btnOkClick\r\n"), AnsiString::npos) << Text;
  // What the fresh instance already has is not repeated.
  EXPECT_EQ(Text.find("btnExtra: TTestControl"), AnsiString::npos) << Text;
  EXPECT_EQ(Text.find("'a'"), AnsiString::npos) << Text;
  EXPECT_EQ(Text.find(GB("确定")), AnsiString::npos);
  for (unsigned char c : Text) EXPECT_LT(c, 128) << "the text is plain ASCII";

  std::unique_ptr<TTestChildForm> Again(NewComponent<TTestChildForm>(nullptr));
  ReadFormText(Again.get(), Text);
  EXPECT_EQ(ComponentToFormText(Again.get()), ComponentToFormText(Form.get()));
  TTestControl* Note = Control(Again.get(), "lblNote");
  ASSERT_NE(Note, nullptr);
  EXPECT_EQ(Note->Partner, Again->btnExtra);
  EXPECT_EQ(Note->OnClick, Bind<&TTestChildForm::btnExtraClick>(Again.get()));
  EXPECT_EQ(Note->Parent(), Again->pnlMain);
}

TEST(FormResources, ErrorsNameTheDescriptionFileAndLine) {
  RegisterFormResource("TTestOtherForm",
                       "inherited frmOther: TTestOtherForm\n"
                       "  inherited btnOk: TTestControl\n"
                       "    Colour = clRed\n"
                       "  end\n"
                       "end\n",
                       "forms/TTestOtherForm.dfm");
  try {
    std::unique_ptr<TComponent> Made(CreateComponent("TTestOtherForm", nullptr));
    FAIL() << "the broken description was read";
  } catch (const EReadError& E) {
    EXPECT_EQ(E.Message,
              "forms/TTestOtherForm.dfm: Error reading btnOk.Colour: Property Colour does "
              "not exist on line 3");
    EXPECT_EQ(E.Line, 3);
  }
  // A later registration replaces the description (a library may override).
  RegisterFormResource("TTestOtherForm",
                       "inherited frmOther: TTestOtherForm\n"
                       "  inherited btnOk: TTestControl\n"
                       "    Caption = '\xE5\x85\xB6\xE4\xBB\x96'\n"
                       "  end\n"
                       "end\n");
  std::unique_ptr<TTestOtherForm> Form(NewComponent<TTestOtherForm>(nullptr));
  EXPECT_EQ(Form->Name(), "frmOther");
  EXPECT_EQ(Form->btnOk->Caption, GB("其他"));
  EXPECT_EQ(FormResourceSource("TTestOtherForm"), "TTestOtherForm");
}

}  // namespace
