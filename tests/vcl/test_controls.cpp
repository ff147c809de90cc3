#include <gtest/gtest.h>

#include <memory>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/TypeInfo.h"
#include "tests/vcl/ui_fixture.h"

using namespace kw_test;

namespace {

class ControlTest : public UITest {
 protected:
  void SetUp() override {
    UITest::SetUp();
    form.reset(CreateForm<TForm>(nullptr));
    form->SetBounds(0, 0, 500, 300);
  }
  void TearDown() override {
    form.reset();
    UITest::TearDown();
  }
  TFieldControl* Panel(TWinControl* Parent, const char* Name, TAlign Align, int W, int H) {
    auto* p = new TFieldControl(form.get());
    p->SetName(Name);
    p->SetTabStop(false);
    p->SetBounds(0, 0, W, H);
    p->SetAlign(Align);
    p->SetParent(Parent);
    return p;
  }
  std::unique_ptr<TForm> form;
};

struct TResizeCounter {
  int Count = 0;
  void Resize(TObject*) { ++Count; }
};

TEST_F(ControlTest, BoundsAndResize) {
  TFieldControl* c = AddField(form.get(), "edtA");
  TResizeCounter counter;
  c->OnResize = Bind<&TResizeCounter::Resize>(&counter);
  c->SetBounds(100, 8, 80, 21);
  EXPECT_EQ(counter.Count, 0) << "80 x 21 already";
  c->SetLeft(120);
  EXPECT_EQ(counter.Count, 0) << "moving is no resize";
  c->SetWidth(90);
  c->SetHeight(-5);
  EXPECT_EQ(counter.Count, 2);
  EXPECT_EQ(c->Height(), 0) << "sizes are never negative";
  EXPECT_EQ(c->Left(), 120);
  EXPECT_EQ(c->ClientWidth(), 90);
}

TEST_F(ControlTest, AlignedChildrenShareTheParentsArea) {
  // As the option window lays out: a scheme panel on the left, buttons at
  // the bottom, the pages filling the rest.
  TFieldControl* top = Panel(form.get(), "pnlTop", alTop, 10, 30);
  TFieldControl* bottom = Panel(form.get(), "Panel1", alBottom, 10, 43);
  TFieldControl* left = Panel(form.get(), "pnlCondition", alLeft, 151, 10);
  TFieldControl* client = Panel(form.get(), "pgOption", alClient, 10, 10);
  struct Expect {
    TControl* C;
    int L, T, W, H;
  };
  auto check = [&](std::initializer_list<Expect> list) {
    for (const Expect& e : list) {
      EXPECT_EQ(e.C->Left(), e.L) << e.C->Name();
      EXPECT_EQ(e.C->Top(), e.T) << e.C->Name();
      EXPECT_EQ(e.C->Width(), e.W) << e.C->Name();
      EXPECT_EQ(e.C->Height(), e.H) << e.C->Name();
    }
  };
  check({{top, 0, 0, 500, 30}, {bottom, 0, 257, 500, 43}, {left, 0, 30, 151, 227}, {client, 151, 30, 349, 227}});
  form->SetBounds(0, 0, 600, 400);
  check({{top, 0, 0, 600, 30}, {bottom, 0, 357, 600, 43}, {left, 0, 30, 151, 327}, {client, 151, 30, 449, 327}});
  left->SetVisible(false);
  check({{client, 0, 30, 600, 327}});
  left->SetVisible(true);
  left->SetWidth(100);
  check({{left, 0, 30, 100, 327}, {client, 100, 30, 500, 327}});
  // Children of an aligned control follow it too.
  TFieldControl* inner = Panel(client, "tsOption1", alClient, 1, 1);
  check({{inner, 0, 0, 500, 327}});
  delete top;
  check({{left, 0, 0, 100, 357}, {inner, 0, 0, 500, 357}});
}

TEST_F(ControlTest, ParentCannotBeTheControlOrInsideIt) {
  TFieldControl* outer = Panel(form.get(), "pnlOuter", alNone, 10, 10);
  TFieldControl* inner = Panel(outer, "pnlInner", alNone, 10, 10);
  EXPECT_THROW(outer->SetParent(outer), EInvalidOperation);
  try {
    outer->SetParent(inner);
    FAIL() << "expected EInvalidOperation";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message, "A control cannot have itself as its parent");
  }
  EXPECT_EQ(outer->Parent(), form.get());
  inner->SetParent(form.get());
  EXPECT_EQ(outer->ControlCount(), 0);
  EXPECT_EQ(inner->Parent(), form.get());
  EXPECT_TRUE(form->ContainsControl(inner));
  EXPECT_FALSE(outer->ContainsControl(inner));
}

TEST_F(ControlTest, FontColourAndHintFlagFollowTheParentUntilSetOwn) {
  form->Font()->SetName(GB("宋体"));
  form->Font()->SetHeight(-13);
  form->SetColor(clYellow);
  form->SetShowHint(true);
  TFieldControl* panel = Panel(form.get(), "pnl", alNone, 10, 10);
  TFieldControl* field = AddField(panel, "edtA");
  EXPECT_EQ(field->Font()->Name(), GB("宋体"));
  EXPECT_EQ(field->Font()->Height(), -13);
  EXPECT_EQ(field->Color(), clYellow);
  EXPECT_TRUE(field->ShowHint());
  EXPECT_TRUE(field->ParentFont());

  // Changes flow down...
  form->Font()->SetCharset(GB2312_CHARSET);
  form->SetColor(clWhite);
  EXPECT_EQ(field->Font()->Charset(), GB2312_CHARSET);
  EXPECT_EQ(field->Color(), clWhite);
  // ...until a control sets its own, which stops at it.
  panel->Font()->SetName("Tahoma");
  EXPECT_FALSE(panel->ParentFont());
  EXPECT_EQ(field->Font()->Name(), "Tahoma");
  form->Font()->SetName("Arial");
  EXPECT_EQ(panel->Font()->Name(), "Tahoma");
  EXPECT_EQ(field->Font()->Name(), "Tahoma");
  // Taking the parent's again.
  panel->SetParentFont(true);
  EXPECT_EQ(field->Font()->Name(), "Arial");
  field->SetColor(clRed);
  EXPECT_FALSE(field->ParentColor());
  form->SetColor(clBlue);
  EXPECT_EQ(field->Color(), clRed);
}

TEST_F(ControlTest, SetFontCopiesAndSizeFollowsHeight) {
  TFont other;
  other.SetName("SimSun");
  other.SetSize(9);
  EXPECT_EQ(other.Height(), -12);
  other.SetHeight(-13);
  EXPECT_EQ(other.Size(), 10);
  form->SetFont(&other);
  EXPECT_NE(form->Font(), &other);
  EXPECT_TRUE(form->Font()->SameAs(other));
  EXPECT_THROW(form->Font()->Assign(nullptr), EConvertError);
}

TEST_F(ControlTest, ShowingNeedsTheWholeParentChainVisible) {
  TFieldControl* panel = Panel(form.get(), "pnl", alNone, 10, 10);
  TFieldControl* field = AddField(panel, "edtA");
  EXPECT_FALSE(field->Showing()) << "the form is hidden";
  EXPECT_FALSE(field->HandleAllocated());
  form->Show();
  EXPECT_TRUE(field->Showing());
  EXPECT_TRUE(field->HandleAllocated()) << "showing makes the windows";
  EXPECT_TRUE(IsWindowVisible(field->Handle()));
  panel->Hide();
  EXPECT_FALSE(field->Showing());
  EXPECT_TRUE(field->Visible());
  EXPECT_FALSE(IsWindowVisible(field->Handle()));
  panel->Show();
  EXPECT_TRUE(field->Showing());
  // Moving a shown control under a hidden parent hides it.
  auto* hiddenPanel = Panel(form.get(), "pnlHidden", alNone, 10, 10);
  hiddenPanel->SetVisible(false);
  field->SetParent(hiddenPanel);
  EXPECT_FALSE(field->Showing());
}

TEST_F(ControlTest, DisablingAControlDisablesItsWindow) {
  TFieldControl* field = AddField(form.get(), "edtA");
  field->SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(field->Handle())) << "made disabled";
  field->SetEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(field->Handle()));
}

TEST_F(ControlTest, CaptionAndTextAreOneText) {
  form->SetCaption("Options");
  EXPECT_EQ(form->Text(), "Options");
  const char* text = "Voucher";
  SendMessage(form->Handle(), WM_SETTEXT, 0, ObjectToLParam(text));
  EXPECT_EQ(form->Caption(), "Voucher");
}

TEST_F(ControlTest, FreeingAParentFreesItsChildrenEvenThoseOwnedElsewhere) {
  TFieldControl* panel = Panel(form.get(), "pnl", alNone, 10, 10);
  TFieldControl* field = AddField(panel, "edtA");
  auto* stray = new TFieldControl(nullptr);  // owned by nobody
  stray->SetParent(panel);
  int before = form->ComponentCount();
  delete panel;
  EXPECT_EQ(form->ComponentCount(), before - 2) << "the panel and its field left their owner";
  EXPECT_EQ(form->FindComponent("edtA"), nullptr);
  (void)field;
}

TEST_F(ControlTest, PublishedPropertiesOfForms) {
  form->SetCaption("Options");
  form->SetKeyPreview(true);
  form->SetPosition(poScreenCenter);
  EXPECT_EQ(GetStrProp(form.get(), "Caption"), "Options");
  EXPECT_EQ(GetEnumProp(form.get(), "Position"), "poScreenCenter");
  SetPropValue(form.get(), "Font.Charset", Variant("GB2312_CHARSET"));
  EXPECT_EQ(form->Font()->Charset(), GB2312_CHARSET);
  SetEnumProp(form.get(), "WindowState", "wsMaximized");
  EXPECT_EQ(form->WindowState(), wsMaximized);
  EXPECT_EQ(GetOrdProp(form.get(), "KeyPreview"), 1);
  EXPECT_TRUE(IsPublishedProp(form.get(), "OnKeyDown"));
  EXPECT_TRUE(IsPublishedProp(form.get(), "Left"));
  // A plain control does not publish a caption: property walks (the code-page
  // converter's) must not find one where a control has none.
  TFieldControl* field = AddField(form.get(), "edtA");
  EXPECT_FALSE(IsPublishedProp(field, "Caption"));
  EXPECT_TRUE(IsPublishedProp(field, "Hint"));
}

}  // namespace
