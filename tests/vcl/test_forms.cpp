#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "platform/vcl/Dialogs.h"
#include "platform/vcl/FormClass.h"
#include "platform/vcl/FormResources.h"
#include "tests/vcl/ui_fixture.h"

using namespace kw_test;

namespace {

// A form whose handlers use its own members: OnCreate must come after they
// exist and OnDestroy before they are gone.
class TfrmLife : public TForm {
  KW_DECLARE_CLASS(TfrmLife, TForm)
 public:
  explicit TfrmLife(TComponent* AOwner, TEventLog* ALog) : TForm(AOwner), Log(ALog) {
    OnCreate = Bind<&TfrmLife::FormCreate>(this);
    OnShow = Bind<&TfrmLife::FormShow>(this);
    OnHide = Bind<&TfrmLife::FormHide>(this);
    OnDestroy = Bind<&TfrmLife::FormDestroy>(this);
    OnClose = Bind<&TfrmLife::FormClose>(this);
    OnCloseQuery = Bind<&TfrmLife::FormCloseQuery>(this);
  }
  TEventLog* Log;
  AnsiString Title = "life";  // a member of the derived class
  TCloseAction Action = caHide;
  bool CanClose = true;

  void FormCreate(TObject*) { Log->push_back("Create " + Title); }
  void FormShow(TObject*) { Log->push_back("Show " + Title); }
  void FormHide(TObject*) { Log->push_back("Hide " + Title); }
  void FormDestroy(TObject*) { Log->push_back("Destroy " + Title); }
  void FormClose(TObject*, TCloseAction& A) {
    Log->push_back("Close " + Title);
    A = Action;
  }
  void FormCloseQuery(TObject*, bool& Ok) {
    Log->push_back("CloseQuery " + Title);
    Ok = CanClose;
  }
};

class FormTest : public UITest {
 protected:
  TfrmLife* NewLife() { return CreateForm<TfrmLife>(nullptr, &Log); }
};

// ---- Life cycle ------------------------------------------------------------------

TEST_F(FormTest, EventsOfTheLifeCycleInOrder) {
  TfrmLife* f = NewLife();
  EXPECT_FALSE(f->Visible());
  EXPECT_FALSE(f->HandleAllocated()) << "created hidden, without a window yet";
  f->Show();
  EXPECT_TRUE(f->Showing());
  EXPECT_TRUE(IsWindowVisible(f->Handle()));
  f->Hide();
  EXPECT_FALSE(IsWindowVisible(f->Handle()));
  f->Show();
  delete f;
  EXPECT_EQ(Log, (TEventLog{"Create life", "Show life", "Hide life", "Show life", "Hide life", "Destroy life"}))
      << "a form freed while visible is hidden first";
}

TEST_F(FormTest, AFormMadeWithoutCreateFormStillShowsAndTellsOfItsEnd) {
  struct TWatch {
    TEventLog* Log;
    void Hide(TObject*) { Log->push_back("Hide"); }
    void Destroy(TObject*) { Log->push_back("Destroy"); }
  } watch{&Log};
  auto* f = new TForm(nullptr);
  f->OnHide = Bind<&TWatch::Hide>(&watch);
  f->OnDestroy = Bind<&TWatch::Destroy>(&watch);
  f->Show();
  EXPECT_TRUE(f->Showing());
  delete f;
  EXPECT_EQ(Log, (TEventLog{"Hide", "Destroy"}));
}

TEST_F(FormTest, CloseActions) {
  struct Case {
    TCloseAction Action;
    bool CanClose;
    bool Visible;  // afterwards
    bool Freed;    // once the queue ran
    TEventLog Events;
  };
  const Case cases[] = {
      {caHide, true, false, false, {"CloseQuery life", "Close life", "Hide life"}},
      {caNone, true, true, false, {"CloseQuery life", "Close life"}},
      {caMinimize, true, true, false, {"CloseQuery life", "Close life"}},
      {caFree, true, false, true, {"CloseQuery life", "Close life", "Hide life", "Destroy life"}},
      {caHide, false, true, false, {"CloseQuery life"}},
  };
  for (const Case& c : cases) {
    TfrmLife* f = NewLife();
    f->Action = c.Action;
    f->CanClose = c.CanClose;
    f->Show();
    Log.clear();
    HWND h = f->Handle();
    f->Close();
    if (!c.Freed) {
      EXPECT_EQ(f->Visible(), c.Visible) << c.Action;
    }
    if (c.Action == caMinimize) {
      EXPECT_EQ(f->WindowState(), wsMinimized);
    }
    if (c.Freed) {
      EXPECT_TRUE(IsWindow(h)) << "freed later, not inside Close";
    }
    Application->ProcessMessages();
    EXPECT_EQ(IsWindow(h), !c.Freed) << c.Action;
    EXPECT_EQ(Log, c.Events) << c.Action;
    if (!c.Freed) delete f;
    Log.clear();
  }
}

TEST_F(FormTest, APostedCloseRequestClosesTheWindowLater) {
  TfrmLife* f = NewLife();
  f->Action = caFree;
  f->Show();
  PostMessage(f->Handle(), WM_CLOSE);
  EXPECT_TRUE(f->Visible());
  Application->ProcessMessages();
  EXPECT_EQ(Log.back(), "Destroy life");
}

TEST_F(FormTest, AnExceptionInOnCreateIsShownAndTheFormLives) {
  struct TThrower {
    void Create(TObject*) { throw Exception("no connection"); }
  } thrower;
  class TfrmThrowing : public TForm {
   public:
    TfrmThrowing(TComponent* Owner, TThrower* T) : TForm(Owner) { OnCreate = Bind<&TThrower::Create>(T); }
  };
  ui.ExpectMessage("no connection.", mtError);
  std::unique_ptr<TForm> f(CreateForm<TfrmThrowing>(nullptr, &thrower));
  EXPECT_NE(f, nullptr);
  ui.VerifyAllAnswered();
}

TEST_F(FormTest, ChangingVisibleInOnShowIsRefused) {
  struct THider {
    TForm* Form;
    void Show(TObject*) { Form->Hide(); }
  } hider{nullptr};
  std::unique_ptr<TForm> f(CreateForm<TForm>(nullptr));
  hider.Form = f.get();
  f->OnShow = Bind<&THider::Show>(&hider);
  ui.ExpectMessage("Cannot change Visible in OnShow or OnHide.", mtError);
  f->Show();
  EXPECT_TRUE(f->Showing());
  f->OnShow = nullptr;
  ui.VerifyAllAnswered();
}

// A handler that frees its own form while the form is being shown: the
// showing code must not touch the form afterwards, and the other windows go
// on as before. Shown plainly, modally, and while another form is active.
TEST_F(FormTest, AFormFreedInItsOwnOnShowIsGoneSafely) {
  struct TFreer {
    TEventLog* Log;
    void Show(TObject* Sender) {
      Log->push_back("Show");
      delete static_cast<TForm*>(Sender);
      Log->push_back("freed");
    }
    void Destroy(TObject*) { Log->push_back("Destroy"); }
  } freer{&Log};
  std::unique_ptr<TForm> other(CreateForm<TForm>(nullptr));
  other->Show();
  const struct {
    const char* How;
    void (*ShowIt)(TForm*);
  } ways[] = {
      {"Show", [](TForm* f) { f->Show(); }},
      {"Visible", [](TForm* f) { f->SetVisible(true); }},
      {"ShowModal", [](TForm* f) { EXPECT_EQ(f->ShowModal(), mrCancel); }},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.How);
    Log.clear();
    const int forms = Screen->CustomFormCount();
    TForm* f = CreateForm<TForm>(nullptr);
    f->OnShow = Bind<&TFreer::Show>(&freer);
    f->OnDestroy = Bind<&TFreer::Destroy>(&freer);
    way.ShowIt(f);
    EXPECT_EQ(Log, (TEventLog{"Show", "Destroy", "freed"}));
    EXPECT_EQ(Screen->CustomFormCount(), forms);
    // The window system and the other form carry on.
    other->Show();
    EXPECT_EQ(GetActiveWindow(), other->Handle());
    Application->ProcessMessages();
  }
}

TEST_F(FormTest, PositionAndWindowState) {
  std::unique_ptr<TForm> f(CreateForm<TForm>(nullptr));
  f->SetBounds(5, 5, 400, 200);
  f->SetPosition(poScreenCenter);
  f->Show();
  EXPECT_EQ(f->Left(), (Screen->Width() - 400) / 2);
  EXPECT_EQ(f->Top(), (Screen->Height() - 200) / 2);

  std::unique_ptr<TForm> child(CreateForm<TForm>(f.get()));
  child->SetBounds(0, 0, 100, 50);
  child->SetPosition(poOwnerFormCenter);
  child->Show();
  EXPECT_EQ(child->Left(), f->Left() + 150);
  EXPECT_EQ(child->Top(), f->Top() + 75);

  f->SetWindowState(wsMaximized);
  EXPECT_EQ(f->Width(), Screen->Width());
  f->SetWindowState(wsMinimized);
  f->SetWindowState(wsNormal);
  EXPECT_EQ(f->Width(), 400) << "back to the bounds before maximising";
  EXPECT_EQ(f->Left(), (Screen->Width() - 400) / 2);
}

// ---- Showing modally ---------------------------------------------------------------

TEST_F(FormTest, ShowModalRunsTheWindowThroughTheDriver) {
  std::unique_ptr<TForm> main(CreateForm<TForm>(nullptr));
  main->SetName("frmMain");
  main->Show();
  std::unique_ptr<TForm> hidden(CreateForm<TForm>(nullptr));  // stays hidden, is not disabled
  std::unique_ptr<TfrmLife> dlg(NewLife());
  dlg->SetName("frmScheme");
  dlg->SetCaption("Save scheme");
  Log.clear();

  ui.ExpectModal("frmScheme").Act([&](TCustomForm& f) {
    EXPECT_EQ(&f, dlg.get());
    EXPECT_TRUE(f.Visible());
    EXPECT_TRUE(f.Active());
    EXPECT_TRUE(f.FormState().Contains(fsModal));
    EXPECT_FALSE(IsWindowEnabled(main->Handle())) << "the other windows take no input meanwhile";
    EXPECT_EQ(Application->ModalLevel(), 1);
    f.SetModalResult(mrOk);
  });
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_FALSE(dlg->Visible());
  EXPECT_FALSE(dlg->FormState().Contains(fsModal));
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));
  EXPECT_FALSE(hidden->HandleAllocated() && !IsWindowEnabled(hidden->Handle()));
  EXPECT_TRUE(main->Active()) << "the window active before is active again";
  EXPECT_EQ(Application->ModalLevel(), 0);
  EXPECT_EQ(Log, (TEventLog{"Show life", "CloseQuery life", "Close life", "Hide life"}));
  EXPECT_EQ(ui.Questions()[0].Modal.Caption, "Save scheme");
  ui.VerifyAllAnswered();
}

TEST_F(FormTest, ShowModalEndsWithTheResultTheDriverGives) {
  std::unique_ptr<TfrmLife> dlg(NewLife());
  ui.ExpectModal().Answer(mrYes);
  EXPECT_EQ(dlg->ShowModal(), mrYes);

  // Closing a modal window means Cancel.
  ui.ExpectModal().Act([](TCustomForm& f) { f.Close(); });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);

  // A close request queued by the window itself ends the loop before the
  // driver is asked.
  ui.ExpectModal().Act([](TCustomForm& f) { PostMessage(f.Handle(), WM_CLOSE); });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  ui.VerifyAllAnswered();
}

TEST_F(FormTest, ShowModalKeepsRunningWhileOnCloseRefuses) {
  std::unique_ptr<TfrmLife> dlg(NewLife());
  dlg->Action = caNone;
  ui.ExpectModal().Act([&](TCustomForm& f) { f.SetModalResult(mrOk); });
  ui.ExpectModal().Act([&](TCustomForm& f) {
    EXPECT_EQ(f.ModalResult(), mrNone) << "the refused result was cleared";
    dlg->Action = caHide;
    f.SetModalResult(mrOk);
  });
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  ui.VerifyAllAnswered();
}

TEST_F(FormTest, AModalWindowThatFreesItselfOnCloseGoesAfterwards) {
  TfrmLife* dlg = NewLife();
  dlg->Action = caFree;
  HWND h = 0;
  ui.ExpectModal().Act([&](TCustomForm& f) {
    h = f.Handle();
    f.SetModalResult(mrOk);
  });
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_TRUE(IsWindow(h)) << "the caller can still read the form";
  Application->ProcessMessages();
  EXPECT_FALSE(IsWindow(h));
}

TEST_F(FormTest, AModalWindowDeletedDuringItsLoopEndsTheLoopSafely) {
  std::unique_ptr<TForm> main(CreateForm<TForm>(nullptr));
  main->Show();
  TfrmLife* dlg = NewLife();
  ui.ExpectModal().Act([&](TCustomForm& f) { delete &f; });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));
  EXPECT_TRUE(main->Active());
}

TEST_F(FormTest, QuestionsAskedInsideAModalWindowAreAnsweredInTurn) {
  std::unique_ptr<TfrmLife> dlg(NewLife());
  ui.ExpectModal("TfrmLife").Act([](TCustomForm& f) {
    if (MessageDlg("Overwrite the scheme?", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}) == mrYes)
      f.SetModalResult(mrOk);
  });
  ui.ExpectMessage("Overwrite").Answer(mrYes);
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  ASSERT_EQ(ui.Questions().size(), 2u);
  EXPECT_EQ(ui.Questions()[1].Kind, TQuestionKind::Message);
  ui.VerifyAllAnswered();
}

TEST_F(FormTest, AModalWindowCanOpenAnotherOne) {
  std::unique_ptr<TForm> outer(CreateForm<TForm>(nullptr));
  outer->SetName("frmOuter");
  std::unique_ptr<TForm> inner(CreateForm<TForm>(nullptr));
  inner->SetName("frmInner");
  TModalResult innerResult = mrNone;
  ui.ExpectModal("frmOuter").Act([&](TCustomForm& f) {
    innerResult = inner->ShowModal();
    EXPECT_TRUE(IsWindowEnabled(f.Handle())) << "enabled again when the inner one closed";
    EXPECT_TRUE(f.Active());
    f.SetModalResult(mrOk);
  });
  ui.ExpectModal("frmInner").Act([&](TCustomForm& f) {
    EXPECT_FALSE(IsWindowEnabled(outer->Handle()));
    EXPECT_EQ(Application->ModalLevel(), 2);
    f.SetModalResult(mrRetry);
  });
  EXPECT_EQ(outer->ShowModal(), mrOk);
  EXPECT_EQ(innerResult, mrRetry);
  EXPECT_EQ(Application->ModalLevel(), 0);
  ui.VerifyAllAnswered();
}

TEST_F(FormTest, AModalLoopWithoutAnAnswerFailsLoudly) {
  std::unique_ptr<TfrmLife> dlg(NewLife());
  std::unique_ptr<TForm> main(CreateForm<TForm>(nullptr));
  main->Show();
  EXPECT_THROW(dlg->ShowModal(), EUIScriptError);
  EXPECT_FALSE(dlg->Visible());
  EXPECT_FALSE(dlg->FormState().Contains(fsModal));
  EXPECT_TRUE(IsWindowEnabled(main->Handle())) << "cleaned up on the way out";
  ui.Reset();
}

TEST_F(FormTest, ShowModalRefusesAVisibleOrDisabledForm) {
  std::unique_ptr<TForm> f(CreateForm<TForm>(nullptr));
  f->Show();
  try {
    f->ShowModal();
    FAIL() << "expected EInvalidOperation";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message, "Cannot make a visible window modal");
  }
  f->Hide();
  f->SetEnabled(false);
  EXPECT_THROW(f->ShowModal(), EInvalidOperation);
}

TEST_F(FormTest, TheConsoleDriverCancelsModalWindows) {
  std::ostringstream out;
  TConsoleUIDriver console(out);
  TUIDriverScope batch(console);
  std::unique_ptr<TForm> f(CreateForm<TForm>(nullptr));
  f->SetCaption("Options");
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_EQ(out.str(), "[Window] Options (TForm) -> Cancel\n");
}

// ---- The application's forms -------------------------------------------------------

TEST_F(FormTest, TheFirstFormTheApplicationCreatesIsTheMainForm) {
  TForm* first = nullptr;
  TForm* second = nullptr;
  Application->CreateForm(first);
  Application->CreateForm(second);
  EXPECT_EQ(Application->MainForm(), first);
  EXPECT_EQ(first->Owner(), static_cast<TComponent*>(GetApplication()));
  // Closing the main form ends the application instead of hiding it.
  first->Show();
  first->Close();
  Application->ProcessMessages();
  EXPECT_TRUE(Application->Terminated());
  EXPECT_TRUE(first->Visible());
  delete second;
  delete first;
  EXPECT_EQ(Application->MainForm(), nullptr);
}

// ---- A host that hooks the window's events -------------------------------------------

// The controller pattern: the host saves the window's own OnShow, OnHide and
// OnDestroy, installs its own, calls the saved ones first, and hears the
// window's end, reading the window's result while the window is still whole.
TEST_F(FormTest, HookedLifeEventsReachTheHostWithTheWindowsResult) {
  class TfrmOption : public TfrmLife {
   public:
    using TfrmLife::TfrmLife;
    int ResultCode = 7;
  };
  struct THost {
    TfrmOption* Window = nullptr;
    TNotifyEvent SavedOnShow, SavedOnHide, SavedOnDestroy;
    std::vector<int> Codes;
    int ResultCode = 0;
    void DoShow(TObject* S) {
      SavedOnShow(S);
      Codes.push_back(0x110);
    }
    void DoHide(TObject* S) {
      SavedOnHide(S);
      Codes.push_back(0x120);
    }
    void DoDestroy(TObject* S) {
      ResultCode = Window->ResultCode;
      SavedOnDestroy(S);
      Codes.push_back(0x130);
      Window = nullptr;
    }
  } host;
  host.Window = CreateForm<TfrmOption>(nullptr, &Log);
  host.Window->Action = caFree;
  host.SavedOnShow = host.Window->OnShow;
  host.SavedOnHide = host.Window->OnHide;
  host.SavedOnDestroy = host.Window->OnDestroy;
  host.Window->OnShow = Bind<&THost::DoShow>(&host);
  host.Window->OnHide = Bind<&THost::DoHide>(&host);
  host.Window->OnDestroy = Bind<&THost::DoDestroy>(&host);

  host.Window->Show();
  host.Window->Close();  // the user closes it; it frees itself
  Application->ProcessMessages();
  EXPECT_EQ(host.Window, nullptr);
  EXPECT_EQ(host.ResultCode, 7);
  EXPECT_EQ(host.Codes, (std::vector<int>{0x110, 0x120, 0x130}));
  EXPECT_EQ(Log, (TEventLog{"Create life", "Show life", "CloseQuery life", "Close life", "Hide life",
                            "Destroy life"}));
}

// ---- Forms from descriptions ---------------------------------------------------------

class TDescField : public TFieldControl {
  KW_DECLARE_CLASS(TDescField, TFieldControl)
 public:
  static void PublishMembers(TPublisher<TDescField>& P);
  using TFieldControl::TFieldControl;
};

class TfrmDescribed : public TForm {
  KW_DECLARE_CLASS(TfrmDescribed, TForm)
 public:
  static void PublishMembers(TPublisher<TfrmDescribed>& P);
  using TForm::TForm;
  TDescField* edtFirst = nullptr;
  TDescField* edtSecond = nullptr;
  TEventLog Events;
  void FormCreate(TObject*) {
    Events.push_back(AnsiString("Create with ") + (edtFirst ? "fields" : "no fields"));
  }
  void FieldEnter(TObject* Sender) { Events.push_back("Enter " + static_cast<TComponent*>(Sender)->Name()); }
};

KW_REGISTER_CLASS(TDescField)
void TDescField::PublishMembers(TPublisher<TDescField>& P) {
  P.Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).NoDefault();
  P.Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);
  P.Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
  P.Property("OnEnter", &TWinControl::OnEnter, &TWinControl::OnEnter);
}

KW_REGISTER_FORM(TfrmDescribed)
void TfrmDescribed::PublishMembers(TPublisher<TfrmDescribed>& P) {
  KW_PUBLISH_FIELD(P, TfrmDescribed, edtFirst);
  KW_PUBLISH_FIELD(P, TfrmDescribed, edtSecond);
  KW_PUBLISH_METHOD(P, TfrmDescribed, FormCreate);
  KW_PUBLISH_METHOD(P, TfrmDescribed, FieldEnter);
}

const char* const kDescribedForm = R"(object frmDescribed: TfrmDescribed
  Left = 10
  Top = 20
  Width = 300
  Height = 200
  Caption = 'Described'
  ActiveControl = edtSecond
  KeyPreview = True
  Position = poScreenCenter
  Visible = True
  OnCreate = FormCreate
  object edtFirst: TDescField
    Left = 8
    Top = 8
    TabOrder = 1
    OnEnter = FieldEnter
  end
  object edtSecond: TDescField
    Left = 8
    Top = 40
    TabOrder = 0
    OnEnter = FieldEnter
  end
end
)";

TEST_F(FormTest, AFormBuiltFromItsDescription) {
  RegisterFormResource("TfrmDescribed", kDescribedForm, "test");
  std::unique_ptr<TfrmDescribed> f(
      static_cast<TfrmDescribed*>(CreateComponent("TfrmDescribed", nullptr)));
  ASSERT_NE(f->edtFirst, nullptr);
  ASSERT_NE(f->edtSecond, nullptr);
  EXPECT_EQ(f->Name(), "frmDescribed");
  EXPECT_EQ(f->Caption(), "Described");
  EXPECT_TRUE(f->KeyPreview());
  EXPECT_EQ(f->edtFirst->Parent(), f.get());
  EXPECT_EQ(f->edtSecond->TabOrder(), 0);
  EXPECT_EQ(f->edtFirst->TabOrder(), 1);
  // OnCreate ran after reading, then the stored Visible showed the form,
  // which focused its stored active control.
  EXPECT_TRUE(f->Visible());
  EXPECT_EQ(f->Left(), (Screen->Width() - 300) / 2);
  EXPECT_EQ(f->ActiveControl(), f->edtSecond);
  EXPECT_TRUE(f->edtSecond->Focused());
  EXPECT_EQ(f->Events, (TEventLog{"Create with fields", "Enter edtSecond"}));
  f->edtFirst->SetFocus();
  EXPECT_EQ(f->Events.back(), "Enter edtFirst");
}

}  // namespace
