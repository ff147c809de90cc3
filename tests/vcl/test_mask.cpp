#include <gtest/gtest.h>

#include <memory>

#include "platform/rtl/FormatSettings.h"
#include "platform/vcl/FormText.h"
#include "platform/vcl/Mask.h"
#include "tests/vcl/ui_fixture.h"

using namespace kw_test;

namespace {

class MaskTest : public UITest {
 protected:
  void SetUp() override {
    UITest::SetUp();
    form.reset(CreateForm<TForm>(nullptr));
    form->SetName("frmTest");
    edt = NewComponent<TMaskEdit>(form.get());
    edt->SetName("edtDate");
    edt->SetParent(form.get());
    other = NewComponent<TEdit>(form.get());
    other->SetName("edtOther");
    other->SetParent(form.get());
  }
  void TearDown() override {
    form.reset();
    UITest::TearDown();
  }
  void Type(const AnsiString& Text) {
    ASSERT_TRUE(TypeText(Text));
    Application->ProcessMessages();
  }
  void Press(unsigned short Key, TShiftState Shift = {}) {
    ASSERT_TRUE(PressKey(Key, Shift));
    Application->ProcessMessages();
  }
  void Focus() {
    if (!form->Visible()) form->Show();
    edt->SetFocus();
  }
  std::unique_ptr<TForm> form;
  TMaskEdit* edt = nullptr;
  TEdit* other = nullptr;
};

TEST_F(MaskTest, TheBlankTextOfDateMasks) {
  // The application tells an empty date field by these texts.
  struct Case {
    const char* Mask;
    const char* EditText;
    const char* Text;
  } cases[] = {
      {"9999/99/99;1; ", "    /  /  ", "    /  /  "},
      {"99/99/99;1; ", "  /  /  ", "  /  /  "},
      {"999/99/99;1; ", "   /  /  ", "   /  /  "},
      {"9999/99/99;1;_", "____/__/__", "    /  /  "},
      {"99/99/99;1;_", "__/__/__", "  /  /  "},
      {"9999/99/99;0; ", "    /  /  ", "        "},
      {"9999/99/99", "____/__/__", "    /  /  "},  // literals kept and '_' by default
      {"!99:99;1;_", "__:__", "  :  "},
  };
  for (const Case& c : cases) {
    edt->SetEditMask(c.Mask);
    edt->SetText("");
    EXPECT_EQ(edt->EditText(), c.EditText) << c.Mask;
    EXPECT_EQ(edt->Text(), c.Text) << c.Mask;
  }
}

TEST_F(MaskTest, TypedDatesWithLiteralsKeptOrNot) {
  struct Case {
    const char* Mask;
    const char* Typed;
    const char* EditText;
    const char* Text;
  } cases[] = {
      {"9999/99/99;1; ", "20240305", "2024/03/05", "2024/03/05"},
      {"9999/99/99;0; ", "20240305", "2024/03/05", "20240305"},
      {"9999/99/99;1;_", "2024", "2024/__/__", "2024/  /  "},
      {"99/99/99;1;_", "240305", "24/03/05", "24/03/05"},
      {"99/99/99;0;_", "2403", "24/03/__", "2403  "},
      {"9999/99/99;1; ", "2024ab/0305", "2024/03/05", "2024/03/05"},  // letters refused, a typed literal too
      {"9999/99/99;1; ", "202403051999", "2024/03/05", "2024/03/05"},  // nothing beyond the mask
      {">LL-000;1;_", "ab123", "AB-123", "AB-123"},
      {"<LL;1;_", "XY", "xy", "xy"},
      {"#99;1;_", "-12", "-12", "-12"},
  };
  for (const Case& c : cases) {
    edt->SetEditMask(c.Mask);
    edt->SetText("");
    Focus();
    Type(c.Typed);
    EXPECT_EQ(edt->EditText(), c.EditText) << c.Mask << " typed " << c.Typed;
    EXPECT_EQ(edt->Text(), c.Text) << c.Mask << " typed " << c.Typed;
    other->SetFocus();
  }
}

TEST_F(MaskTest, AssigningTextGoesThroughTheMask) {
  struct Case {
    const char* Mask;
    const char* Value;
    const char* EditText;
    const char* Text;
  } cases[] = {
      {"9999/99/99;1; ", "2024/03/05", "2024/03/05", "2024/03/05"},
      {"9999/99/99;1; ", "20240305", "2024/03/05", "2024/03/05"},  // literals supplied where missing
      {"9999/99/99;0; ", "20240305", "2024/03/05", "20240305"},
      {"9999/99/99;1;_", "2024", "2024/__/__", "2024/  /  "},
      {"9999/99/99;1;_", "", "____/__/__", "    /  /  "},
  };
  for (const Case& c : cases) {
    edt->SetEditMask(c.Mask);
    edt->SetText(c.Value);
    EXPECT_EQ(edt->EditText(), c.EditText) << c.Mask << " = " << c.Value;
    EXPECT_EQ(edt->Text(), c.Text) << c.Mask << " = " << c.Value;
    EXPECT_EQ(FormatMaskText(c.Mask, c.Value), c.Text);
  }
  // Changing the mask keeps the value.
  edt->SetEditMask("9999/99/99;1;_");
  edt->SetText("2024/03/05");
  edt->SetEditMask("9999-99-99;1;_");
  EXPECT_EQ(edt->Text(), "2024-03-05");
  edt->SetEditMask("");
  EXPECT_EQ(edt->Text(), "2024-03-05");
}

TEST_F(MaskTest, TheDateSeparatorComesFromTheFormatSettings) {
  TFormatSettingsGuard keep;
  FormatSettings.DateSeparator = '-';
  edt->SetEditMask("9999/99/99;1;_");
  EXPECT_EQ(edt->EditText(), "____-__-__");
  edt->SetEditMask("9999\\/99\\/99;1;_");  // escaped: a plain slash
  EXPECT_EQ(edt->EditText(), "____/__/__");
}

TEST_F(MaskTest, BackspaceAndDeleteBlankPositionsAndSkipLiterals) {
  edt->SetEditMask("9999/99/99;1;_");
  Focus();
  Type("202403");
  EXPECT_EQ(edt->EditText(), "2024/03/__");
  Type("\b");
  EXPECT_EQ(edt->EditText(), "2024/0_/__");
  Type("\b\b");  // the second backspace jumps over the literal
  EXPECT_EQ(edt->EditText(), "202_/__/__");
  Press(VK_HOME);
  Press(VK_DELETE);
  EXPECT_EQ(edt->EditText(), "_02_/__/__");
  Type("1");
  EXPECT_EQ(edt->EditText(), "102_/__/__");
}

TEST_F(MaskTest, LeavingAFieldWithAMissingRequiredCharacterKeepsTheFocus) {
  edt->SetEditMask("0000/00/00;1;_");
  Focus();
  Press(VK_TAB);
  EXPECT_EQ(form->ActiveControl(), other) << "an untouched field is not checked";
  EXPECT_TRUE(ui.Questions().empty());

  edt->SetFocus();
  Type("2024");
  ui.ExpectMessage("Invalid input value", mtError);
  Press(VK_TAB);
  EXPECT_EQ(form->ActiveControl(), edt);
  EXPECT_EQ(edt->SelStart(), 5) << "the caret goes to the first missing character";
  Type("0305");
  Press(VK_TAB);
  EXPECT_EQ(form->ActiveControl(), other);
  EXPECT_EQ(edt->Text(), "2024/03/05");
  ui.VerifyAllAnswered();
  EXPECT_THROW(
      {
        edt->SetText("20");
        edt->SetModified(true);
        edt->ValidateEdit();
      },
      EDBEditError);
}

TEST_F(MaskTest, TheMaskIsReadBeforeTheTextOfADescription) {
  ReadFormText(form.get(),
               "object frmTest: TForm\n"
               "  object edtDate: TMaskEdit\n"
               "    EditMask = '9999/99/99;0; '\n"
               "    Text = '20240305'\n"
               "  end\n"
               "end\n");
  EXPECT_EQ(edt->EditText(), "2024/03/05");
  EXPECT_EQ(edt->Text(), "20240305");
}

}  // namespace
