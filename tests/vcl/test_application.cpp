#include <gtest/gtest.h>

#include <memory>

#include "platform/vcl/Graphics.h"
#include "tests/vcl/ui_fixture.h"

using namespace kw_test;

namespace {

class ApplicationTest : public UITest {};

TEST_F(ApplicationTest, ScreenListsFormsMostRecentlyActiveFirst) {
  class TCustomOnly : public TCustomForm {
   public:
    using TCustomForm::TCustomForm;
  };
  std::unique_ptr<TForm> a(CreateForm<TForm>(nullptr));
  std::unique_ptr<TForm> b(CreateForm<TForm>(nullptr));
  std::unique_ptr<TCustomForm> c(CreateForm<TCustomOnly>(nullptr));
  EXPECT_EQ(Screen->CustomFormCount(), FormsBefore + 3);
  EXPECT_EQ(Screen->FormCount(), FormsBefore + 2) << "TForms only";
  a->Show();
  b->Show();
  EXPECT_EQ(Screen->CustomForms(0), b.get());
  EXPECT_EQ(Screen->CustomForms(1), a.get());
  EXPECT_EQ(Screen->ActiveForm(), b.get());
  c->Show();
  EXPECT_EQ(Screen->ActiveCustomForm(), c.get());
  EXPECT_EQ(Screen->ActiveForm(), nullptr) << "the active form is not a TForm";
  c.reset();
  EXPECT_EQ(Screen->ActiveCustomForm(), b.get()) << "freeing the active form activates the next one";
  b.reset();
  a.reset();
  EXPECT_EQ(Screen->ActiveCustomForm(), nullptr);
  EXPECT_THROW(Screen->CustomForms(99), EListError);
}

TEST_F(ApplicationTest, ScreenTellsOfActiveFormAndControlChanges) {
  struct TWatch {
    int Forms = 0, Controls = 0;
    void Form(TObject*) { ++Forms; }
    void Control(TObject*) { ++Controls; }
  } watch;
  Screen->OnActiveFormChange = Bind<&TWatch::Form>(&watch);
  Screen->OnActiveControlChange = Bind<&TWatch::Control>(&watch);
  std::unique_ptr<TForm> f(CreateForm<TForm>(nullptr));
  TFieldControl* a = AddField(f.get(), "edtA");
  TFieldControl* b = AddField(f.get(), "edtB");
  f->Show();
  EXPECT_EQ(watch.Forms, 1);
  EXPECT_EQ(watch.Controls, 1);
  b->SetFocus();
  a->SetFocus();
  EXPECT_EQ(watch.Forms, 1);
  EXPECT_EQ(watch.Controls, 3);
  Screen->OnActiveFormChange = nullptr;
  Screen->OnActiveControlChange = nullptr;
}

TEST_F(ApplicationTest, TheHourglassIsShownForTheLengthOfAScope) {
  EXPECT_EQ(Screen->Cursor(), crDefault);
  {
    TCursorScope busy;
    EXPECT_EQ(Screen->Cursor(), crHourGlass);
    {
      TCursorScope sql(crSQLWait);
      EXPECT_EQ(Screen->Cursor(), crSQLWait);
    }
    EXPECT_EQ(Screen->Cursor(), crHourGlass);
  }
  EXPECT_EQ(Screen->Cursor(), crDefault);
  // A modal window shows the normal cursor, and the hourglass comes back.
  Screen->SetCursor(crHourGlass);
  std::unique_ptr<TForm> dlg(CreateForm<TForm>(nullptr));
  ui.ExpectModal().Act([](TCustomForm& f) {
    EXPECT_EQ(Screen->Cursor(), crDefault);
    f.SetModalResult(mrOk);
  });
  dlg->ShowModal();
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  Screen->SetCursor(crDefault);
}

TEST_F(ApplicationTest, HintSettings) {
  EXPECT_TRUE(Application->ShowHint());
  EXPECT_EQ(Application->HintPause(), 500);
  EXPECT_EQ(Application->HintShortPause(), 50);
  EXPECT_EQ(Application->HintHidePause(), 2500);
  EXPECT_EQ(Application->HintColor(), clInfoBk);
  // Option windows keep their hints up for a long time.
  Application->SetHintHidePause(500000);
  EXPECT_EQ(Application->HintHidePause(), 500000);
  Application->SetHintHidePause(2500);

  struct TWatch {
    AnsiString Seen;
    void Hint(TObject*) { Seen = Application->Hint(); }
  } watch;
  Application->OnHint = Bind<&TWatch::Hint>(&watch);
  Application->SetHint("Date shortcut|Press F2 to pick a date");
  Application->OnHint = nullptr;
  EXPECT_EQ(watch.Seen, "Date shortcut|Press F2 to pick a date");
  EXPECT_EQ(TApplication::GetShortHint(watch.Seen), "Date shortcut");
  EXPECT_EQ(TApplication::GetLongHint(watch.Seen), "Press F2 to pick a date");
  EXPECT_EQ(TApplication::GetShortHint("plain"), "plain");
  EXPECT_EQ(TApplication::GetLongHint("plain"), "plain");
  Application->SetHint("");
}

TEST_F(ApplicationTest, TheScreensFontsCanBeChanged) {
  for (TFont* f : {Screen->IconFont(), Screen->HintFont(), Screen->MenuFont()}) {
    ASSERT_NE(f, nullptr);
    AnsiString name = f->Name();
    TFontCharset charset = f->Charset();
    f->SetName("SimSun");
    f->SetCharset(GB2312_CHARSET);
    EXPECT_EQ(f->Name(), "SimSun");
    f->SetName(name);
    f->SetCharset(charset);
  }
  EXPECT_NE(Screen->IconFont(), Screen->HintFont());
}

TEST_F(ApplicationTest, TopLevelWindowsAreDisabledAndEnabledAgain) {
  std::unique_ptr<TForm> option(CreateForm<TForm>(nullptr));
  std::unique_ptr<TForm> other(CreateForm<TForm>(nullptr));
  std::unique_ptr<TForm> hidden(CreateForm<TForm>(nullptr));
  std::unique_ptr<TForm> gone(CreateForm<TForm>(nullptr));
  option->Show();
  other->Show();
  gone->Show();
  hidden->HandleNeeded();
  TFieldControl* child = AddField(other.get(), "edtA");
  child->HandleNeeded();

  TTaskWindowList list = DisableTaskWindows(option->Handle());
  EXPECT_EQ(list.size(), 2u) << "the shown windows except the one kept: other and gone";
  EXPECT_TRUE(IsWindowEnabled(option->Handle()));
  EXPECT_FALSE(IsWindowEnabled(other->Handle()));
  EXPECT_TRUE(IsWindowEnabled(hidden->Handle())) << "hidden windows are left alone";
  EXPECT_TRUE(IsWindowEnabled(child->Handle())) << "only top-level windows";
  EXPECT_FALSE(SetForegroundWindow(other->Handle())) << "a disabled window cannot be activated";
  gone.reset();
  EnableTaskWindows(list);
  EXPECT_TRUE(IsWindowEnabled(other->Handle()));
  EXPECT_TRUE(SetForegroundWindow(other->Handle()));
  EXPECT_TRUE(other->Active());
  EXPECT_FALSE(option->Active());
}

TEST_F(ApplicationTest, TheApplicationHasAWindowAndATitle) {
  EXPECT_TRUE(IsWindow(Application->Handle()));
  EXPECT_FALSE(IsWindowVisible(Application->Handle()));
  EXPECT_EQ(Application->Title(), "vcl_application") << "the program's name";
  EXPECT_NE(Application->ExeName().find("vcl_application"), AnsiString::npos);
  // The application's window takes messages like any other.
  struct THook {
    int Seen = 0;
    void Handle(TMsg& M, bool&) {
      if (M.Message == WM_USER + 1) ++Seen;
    }
  } hook;
  Application->OnMessage = Bind<&THook::Handle>(&hook);
  PostMessage(Application->Handle(), WM_USER + 1);
  Application->ProcessMessages();
  Application->OnMessage = nullptr;
  EXPECT_EQ(hook.Seen, 1);
}

}  // namespace
