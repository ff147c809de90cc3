#include <gtest/gtest.h>

#include <memory>

#include "platform/vcl/Dialogs.h"
#include "tests/vcl/ui_fixture.h"

using namespace kw_test;

namespace {

class FocusTest : public FormUITest {};

// ---- Tab order -------------------------------------------------------------------

TEST_F(FocusTest, TabOrderFollowsInsertionAndCanBeMoved) {
  TFieldControl* a = AddField(form.get(), "edtA");
  TFieldControl* b = AddField(form.get(), "edtB");
  TFieldControl* c = AddField(form.get(), "edtC");
  EXPECT_EQ(a->TabOrder(), 0);
  EXPECT_EQ(c->TabOrder(), 2);
  c->SetTabOrder(0);
  std::vector<TWinControl*> list;
  form->GetTabOrderList(list);
  EXPECT_EQ(list, (std::vector<TWinControl*>{c, a, b}));
  a->SetTabOrder(99);  // out of range: last
  list.clear();
  form->GetTabOrderList(list);
  EXPECT_EQ(list, (std::vector<TWinControl*>{c, b, a}));
  EXPECT_EQ(TFieldControl(nullptr).TabOrder(), -1) << "no parent, no tab order";
}

TEST_F(FocusTest, FindNextControlSkipsWhatCannotTakeTheFocusAndWraps) {
  TFieldControl* a = AddField(form.get(), "edtA");
  TFieldControl* b = AddField(form.get(), "edtB");
  TFieldControl* c = AddField(form.get(), "edtC");
  TFieldControl* d = AddField(form.get(), "edtD");
  b->SetEnabled(false);
  c->SetVisible(false);
  struct Case {
    TWinControl* From;
    bool Forward;
    TWinControl* Expected;
  };
  const Case cases[] = {
      {a, true, d},        // b disabled, c hidden
      {d, true, a},        // wraps to the start
      {a, false, d},       // wraps backwards
      {d, false, a},
      {nullptr, true, a},  // no current control: the first
      {nullptr, false, d},
  };
  for (const Case& k : cases)
    EXPECT_EQ(form->FindNextControl(k.From, k.Forward, true, false), k.Expected)
        << (k.From ? k.From->Name() : "nil") << (k.Forward ? " forward" : " backward");
  d->SetTabStop(false);
  EXPECT_EQ(form->FindNextControl(a, true, true, false), a) << "only a itself is left to take the focus";
  EXPECT_EQ(form->FindNextControl(a, true, false, false), d) << "without the tab stop check";
}

TEST_F(FocusTest, ControlsInsideHiddenOrDisabledContainersCannotTakeTheFocus) {
  auto* panel = new TFieldControl(form.get());
  panel->SetName("pnl");
  panel->SetTabStop(false);
  panel->SetParent(form.get());
  TFieldControl* inner = AddField(panel, "edtInner");
  EXPECT_TRUE(inner->CanFocus());
  panel->SetVisible(false);
  EXPECT_FALSE(inner->CanFocus());
  panel->SetVisible(true);
  panel->SetEnabled(false);
  EXPECT_FALSE(inner->CanFocus());
  EXPECT_FALSE(TFieldControl(nullptr).CanFocus()) << "not on a form";
}

// ---- Moving the focus ------------------------------------------------------------

TEST_F(FocusTest, ShowingTheFormFocusesTheFirstTabStop) {
  TFieldControl* a = AddField(form.get(), "edtA");
  AddField(form.get(), "edtB");
  form->Show();
  EXPECT_TRUE(form->Active());
  EXPECT_EQ(form->ActiveControl(), a);
  EXPECT_TRUE(a->Focused());
  EXPECT_EQ(GetFocus(), a->Handle());
  EXPECT_EQ(Screen->ActiveControl(), a);
  EXPECT_EQ(Screen->ActiveForm(), form.get());
  EXPECT_EQ(Log, (TEventLog{"Enter edtA"}));
}

TEST_F(FocusTest, AnActiveControlSetBeforeShowingIsTheOneFocused) {
  AddField(form.get(), "edtA");
  TFieldControl* b = AddField(form.get(), "edtB");
  form->SetActiveControl(b);
  EXPECT_FALSE(b->Focused()) << "the form is not shown yet";
  form->Show();
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(Log, (TEventLog{"Enter edtB"}));
}

TEST_F(FocusTest, ExitThenEnterInNestingOrder) {
  auto* p1 = new TFieldControl(form.get());
  p1->SetName("pnlOne");
  p1->SetParent(form.get());
  p1->Log = &Log;
  p1->SetTabStop(false);
  auto* p2 = new TFieldControl(form.get());
  p2->SetName("pnlTwo");
  p2->SetParent(form.get());
  p2->Log = &Log;
  p2->SetTabStop(false);
  TFieldControl* a = AddField(p1, "edtA");
  TFieldControl* b = AddField(p2, "edtB");
  form->Show();
  EXPECT_EQ(Log, (TEventLog{"Enter pnlOne", "Enter edtA"}));
  Log.clear();

  b->SetFocus();
  EXPECT_EQ(Log, (TEventLog{"Exit edtA", "Exit pnlOne", "Enter pnlTwo", "Enter edtB"}));
  EXPECT_EQ(form->ActiveControl(), b);
  EXPECT_TRUE(b->Focused());
  EXPECT_FALSE(a->Focused());
  Log.clear();
  b->SetFocus();
  EXPECT_TRUE(Log.empty()) << "focusing the focused control changes nothing";
}

TEST_F(FocusTest, TabAndShiftTabMoveThroughTheFields) {
  TFieldControl* a = AddField(form.get(), "edtA");
  TFieldControl* b = AddField(form.get(), "edtB");
  TFieldControl* c = AddField(form.get(), "edtC");
  form->Show();
  Log.clear();
  Press(VK_TAB);
  EXPECT_TRUE(b->Focused());
  Press(VK_TAB);
  Press(VK_TAB);
  EXPECT_TRUE(a->Focused()) << "wraps around";
  Press(VK_TAB, {ssShift});
  EXPECT_TRUE(c->Focused());
  EXPECT_EQ(Log, (TEventLog{"Exit edtA", "Enter edtB", "Exit edtB", "Enter edtC", "Exit edtC", "Enter edtA",
                            "Exit edtA", "Enter edtC"}))
      << "Tab is used by the form and never reaches the control's key events";
}

// The behaviour the option windows rely on: a field that refuses to be left
// reports through a message box and takes the focus back; the field the user
// was moving to is never entered.
TEST_F(FocusTest, AFieldThatRefusesToBeLeftKeepsTheFocus) {
  TFieldControl* date = AddField(form.get(), "edtDate");
  TFieldControl* next = AddField(form.get(), "edtNext");
  struct TValidator {
    TFieldControl* Field;
    TEventLog* Log;
    bool Valid = false;
    void Exit(TObject* Sender) {
      if (Valid) return;
      int answer = MessageDlg("The date is not valid", mtError, TMsgDlgButtons{mbOK});
      Log->push_back("answered " + ModalResultName(answer));
      Field->SetFocus();
    }
  } validator{date, &Log};
  date->OnExit = Bind<&TValidator::Exit>(&validator);
  form->Show();
  Log.clear();

  ui.ExpectMessage("The date is not valid", mtError).Answer(mrOk);
  Press(VK_TAB);
  EXPECT_EQ(Log, (TEventLog{"Exit edtDate", "answered OK", "Enter edtDate"}));
  EXPECT_TRUE(date->Focused());
  EXPECT_EQ(form->ActiveControl(), date);
  EXPECT_EQ(Screen->ActiveControl(), date);
  EXPECT_FALSE(next->Focused());

  // Once the value is valid the focus moves on.
  validator.Valid = true;
  Log.clear();
  next->SetFocus();
  EXPECT_EQ(Log, (TEventLog{"Exit edtDate", "Enter edtNext"}));
  ui.VerifyAllAnswered();
}

// Hook tables swap a control's OnExit for the window's own handler and call
// the saved one after their own check: the handler's identity survives the
// round trip.
TEST_F(FocusTest, ASwappedOnExitHandlerRunsBeforeTheSavedOne) {
  TFieldControl* a = AddField(form.get(), "edtA");
  AddField(form.get(), "edtB");
  struct TOwnHandler {
    TEventLog* Log;
    void Exit(TObject*) { Log->push_back("own exit"); }
  } own{&Log};
  struct THook {
    TEventLog* Log;
    TNotifyEvent Saved;
    void Exit(TObject* Sender) {
      Log->push_back("hook exit");
      Saved(Sender);
    }
  } hook{&Log, {}};
  a->OnExit = Bind<&TOwnHandler::Exit>(&own);
  hook.Saved = a->OnExit;
  a->OnExit = Bind<&THook::Exit>(&hook);
  form->Show();
  Log.clear();
  Press(VK_TAB);
  EXPECT_EQ(Log, (TEventLog{"Exit edtA", "hook exit", "own exit", "Enter edtB"}));
  a->OnExit = hook.Saved;
  EXPECT_TRUE(a->OnExit == Bind<&TOwnHandler::Exit>(&own));
}

TEST_F(FocusTest, HidingOrDisablingTheFocusedControlMovesTheFocusAway) {
  TFieldControl* a = AddField(form.get(), "edtA");
  TFieldControl* b = AddField(form.get(), "edtB");
  form->Show();
  Log.clear();
  a->SetVisible(false);
  EXPECT_EQ(Log, (TEventLog{"Exit edtA"}));
  EXPECT_EQ(form->ActiveControl(), nullptr);
  EXPECT_EQ(GetFocus(), form->Handle()) << "the form itself has the focus";
  b->SetFocus();
  Log.clear();
  b->SetEnabled(false);
  EXPECT_EQ(Log, (TEventLog{"Exit edtB"}));
  EXPECT_FALSE(b->Focused());
}

TEST_F(FocusTest, FreeingTheFocusedControlLeavesNoDanglingActiveControl) {
  TFieldControl* a = AddField(form.get(), "edtA");
  TFieldControl* b = AddField(form.get(), "edtB");
  form->Show();
  HWND ah = a->Handle();
  const TWinControl* gone = a;
  delete a;
  EXPECT_EQ(form->ActiveControl(), nullptr);
  EXPECT_NE(Screen->ActiveControl(), gone);
  EXPECT_FALSE(IsWindow(ah));
  EXPECT_NE(GetFocus(), ah);
  b->SetFocus();
  EXPECT_TRUE(b->Focused());
}

TEST_F(FocusTest, WhatCannotTakeTheFocusRefusesIt) {
  TFieldControl* a = AddField(form.get(), "edtA");
  a->SetEnabled(false);
  form->Show();
  try {
    a->SetFocus();
    FAIL() << "expected EInvalidOperation";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message, "Cannot focus a disabled or invisible window");
  }
  std::unique_ptr<TForm> hidden(CreateForm<TForm>(nullptr));
  TFieldControl* h = AddField(hidden.get(), "edtHidden");
  EXPECT_THROW(h->SetFocus(), EInvalidOperation) << "its form is not shown";
  EXPECT_EQ(hidden->ActiveControl(), h) << "but it is the control the form focuses when shown";
  std::unique_ptr<TForm> other(CreateForm<TForm>(nullptr));
  TFieldControl* foreign = AddField(other.get(), "edtForeign");
  EXPECT_THROW(form->SetActiveControl(foreign), EInvalidOperation) << "not on this form";
}

TEST_F(FocusTest, SwitchingFormsKeepsEachFormsFocusedControl) {
  TFieldControl* a = AddField(form.get(), "edtA");
  AddField(form.get(), "edtB");
  std::unique_ptr<TForm> second(CreateForm<TForm>(nullptr));
  second->SetName("frmSecond");
  TFieldControl* x = AddField(second.get(), "edtX");
  struct TActivity {
    TEventLog* Log;
    void Activate(TObject* Sender) { Log->push_back("Activate " + static_cast<TComponent*>(Sender)->Name()); }
    void Deactivate(TObject* Sender) { Log->push_back("Deactivate " + static_cast<TComponent*>(Sender)->Name()); }
  } activity{&Log};
  for (TForm* f : {form.get(), second.get()}) {
    f->OnActivate = Bind<&TActivity::Activate>(&activity);
    f->OnDeactivate = Bind<&TActivity::Deactivate>(&activity);
  }
  form->Show();
  EXPECT_EQ(Log, (TEventLog{"Activate frmTest", "Enter edtA"}));
  Log.clear();
  second->Show();
  EXPECT_EQ(Log, (TEventLog{"Deactivate frmTest", "Activate frmSecond", "Enter edtX"}))
      << "no Exit on the other form";
  EXPECT_EQ(Screen->ActiveForm(), second.get());
  EXPECT_EQ(Screen->CustomForms(0), second.get()) << "the most recently active form first";
  EXPECT_TRUE(x->Focused());
  Log.clear();
  form->BringToFront();
  EXPECT_EQ(Log, (TEventLog{"Deactivate frmSecond", "Activate frmTest"}));
  EXPECT_TRUE(a->Focused()) << "the form's own control again, without a new Enter";
  EXPECT_FALSE(second->Active());
  // Hiding the active form activates the other one.
  Log.clear();
  form->Hide();
  EXPECT_TRUE(second->Active());
  EXPECT_TRUE(x->Focused());
  for (TForm* f : {form.get(), second.get()}) {
    f->OnActivate = nullptr;
    f->OnDeactivate = nullptr;
  }
}

// ---- Keys ------------------------------------------------------------------------

struct TKeyWatcher {
  TEventLog* Log;
  unsigned short Swallow = 0;
  char SwallowChar = 0;
  void KeyDown(TObject*, unsigned short& Key, TShiftState Shift) {
    Log->push_back("form KeyDown " + std::to_string(Key) + (Shift.Contains(ssCtrl) ? " ctrl" : "") +
                   (Shift.Contains(ssShift) ? " shift" : ""));
    if (Key == Swallow) Key = 0;
  }
  void KeyPress(TObject*, char& Key) {
    Log->push_back("form KeyPress " + std::to_string(static_cast<unsigned char>(Key)));
    if (Key == SwallowChar) Key = 0;
  }
};

TEST_F(FocusTest, KeyPreviewLetsTheFormSeeKeysFirst) {
  AddField(form.get(), "edtA");
  TKeyWatcher watcher{&Log};
  form->OnKeyDown = Bind<&TKeyWatcher::KeyDown>(&watcher);
  form->OnKeyPress = Bind<&TKeyWatcher::KeyPress>(&watcher);
  form->Show();
  Log.clear();

  Press('A');
  EXPECT_EQ(Log, (TEventLog{"KeyDown edtA 65", "KeyPress edtA 97"})) << "without KeyPreview the form sees nothing";

  form->SetKeyPreview(true);
  Log.clear();
  Press('A', {ssShift});
  EXPECT_EQ(Log, (TEventLog{"form KeyDown 65 shift", "KeyDown edtA 65", "form KeyPress 65", "KeyPress edtA 65"}));

  // The form swallows F2 and Esc's character.
  watcher.Swallow = VK_F2;
  watcher.SwallowChar = 27;
  Log.clear();
  Press(VK_F2);
  Press(VK_ESCAPE);
  EXPECT_EQ(Log, (TEventLog{"form KeyDown 113", "form KeyDown 27", "KeyDown edtA 27", "form KeyPress 27"}));

  // Ctrl+Tab is no dialog key: the form sees it (option windows turn pages
  // with it); plain Tab moves the focus and is seen by nobody.
  Log.clear();
  Press(VK_TAB, {ssCtrl});
  Press(VK_TAB);
  EXPECT_EQ(Log, (TEventLog{"form KeyDown 9 ctrl", "KeyDown edtA 9"}))
      << "Ctrl+Tab makes no character; Tab with one field goes round to the field itself";
  form->OnKeyDown = nullptr;
  form->OnKeyPress = nullptr;
}

TEST_F(FocusTest, KeysGoToTheFocusedControlAtTheTimeTheyAreProcessed) {
  AddField(form.get(), "edtA");
  TFieldControl* b = AddField(form.get(), "edtB");
  form->Show();
  ASSERT_TRUE(PressKey('X'));
  b->SetFocus();
  Log.clear();
  Application->ProcessMessages();
  EXPECT_EQ(Log, (TEventLog{"KeyDown edtB 88", "KeyPress edtB 120"}));
  Log.clear();
  ASSERT_TRUE(TypeText("ok"));
  Application->ProcessMessages();
  EXPECT_EQ(Log, (TEventLog{"KeyPress edtB 111", "KeyPress edtB 107"}));
}

TEST_F(FocusTest, KeysForADisabledWindowAreDropped) {
  AddField(form.get(), "edtA");
  form->Show();
  EnableWindow(form->Handle(), false);
  Log.clear();
  PressKey('A');
  Application->ProcessMessages();
  EXPECT_TRUE(Log.empty());
  EnableWindow(form->Handle(), true);
}

TEST(KeyTranslation, CharactersOfKeys) {
  struct Case {
    unsigned short Key;
    TShiftState Shift;
    char Char;
  };
  const Case cases[] = {
      {'A', {}, 'a'},          {'A', {ssShift}, 'A'}, {'1', {}, '1'},    {'1', {ssShift}, '!'},
      {VK_RETURN, {}, '\r'},   {VK_ESCAPE, {}, 27},   {VK_SPACE, {}, ' '}, {'C', {ssCtrl}, 3},
      {'C', {ssAlt}, 0},       {VK_F2, {}, 0},        {VK_LEFT, {}, 0},   {'0', {ssShift}, ')'},
  };
  for (const Case& c : cases) EXPECT_EQ(KeyToChar(c.Key, c.Shift), c.Char) << c.Key;
  TShiftState all{ssShift, ssCtrl, ssAlt};
  EXPECT_EQ(KeyDataToShiftState(ShiftStateToKeyData(all)), all);
  EXPECT_EQ(KeyDataToShiftState(ShiftStateToKeyData({})), TShiftState{});
}

}  // namespace
