#pragma once
// What the window tests share: a fixture with the scripted UI driver
// installed and the message queue, focus and active window left clean, and a
// small focusable control that writes its events into a log.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/vcl/Application.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ScriptedUIDriver.h"
#include "platform/vcl/WindowSystem.h"

namespace kw_test {

// "Enter edtA", "Exit edtA", "KeyDown edtA 9" ... in the order they happened.
using TEventLog = std::vector<AnsiString>;

// A control that takes the focus, as an edit does.
class TFieldControl : public TWinControl {
  KW_DECLARE_CLASS(TFieldControl, TWinControl)
 public:
  explicit TFieldControl(TComponent* AOwner) : TWinControl(AOwner) {
    SetTabStop(true);
    SetBounds(0, 0, 80, 21);
  }
  TEventLog* Log = nullptr;

 protected:
  void DoEnter() override {
    if (Log) Log->push_back("Enter " + Name());
    TWinControl::DoEnter();
  }
  void DoExit() override {
    if (Log) Log->push_back("Exit " + Name());
    TWinControl::DoExit();
  }
  void KeyDown(unsigned short& Key, TShiftState Shift) override {
    if (Log) Log->push_back("KeyDown " + Name() + " " + std::to_string(Key));
    TWinControl::KeyDown(Key, Shift);
  }
  void KeyPress(char& Key) override {
    if (Log) Log->push_back("KeyPress " + Name() + " " + std::to_string(static_cast<unsigned char>(Key)));
    TWinControl::KeyPress(Key);
  }
};

inline void DrainQueue() {
  TMsg m;
  while (PeekMessage(m, true)) {
  }
}

class UITest : public ::testing::Test {
 protected:
  void SetUp() override {
    DrainQueue();
    Application->ResetTerminated();
    FormsBefore = Screen->CustomFormCount();
  }
  void TearDown() override {
    // Forms freed by Release go now.
    Application->ProcessMessages();
    DrainQueue();
    Application->ResetTerminated();
    EXPECT_EQ(Screen->CustomFormCount(), FormsBefore) << "a test left a form alive";
    EXPECT_EQ(ui.Failures().size(), 0u);
  }

  // A field on Parent with a name, a place in the tab order and the log.
  TFieldControl* AddField(TWinControl* Parent, const char* Name) {
    auto* f = new TFieldControl(GetParentForm(Parent) ? static_cast<TComponent*>(GetParentForm(Parent)) : Parent);
    f->SetName(Name);
    f->SetParent(Parent);
    f->Log = &Log;
    return f;
  }

  TScriptedUIDriver ui;
  TUIDriverScope use{ui};
  TEventLog Log;
  int FormsBefore = 0;
};

// A UI test with a form "frmTest" to put controls on, and keys typed into
// whatever has the focus.
class FormUITest : public UITest {
 protected:
  void SetUp() override {
    UITest::SetUp();
    form.reset(CreateForm<TForm>(nullptr));
    form->SetName("frmTest");
  }
  void TearDown() override {
    form.reset();
    UITest::TearDown();
  }
  // A control of the form, named, on Parent (else on the form).
  template <class T>
  T* Add(const char* Name, TWinControl* Parent = nullptr) {
    T* c = NewComponent<T>(form.get());
    c->SetName(Name);
    c->SetParent(Parent ? Parent : form.get());
    return c;
  }
  void Press(unsigned short Key, TShiftState Shift = {}) {
    ASSERT_TRUE(PressKey(Key, Shift));
    Application->ProcessMessages();
  }
  void Type(const AnsiString& Text) {
    ASSERT_TRUE(TypeText(Text));
    Application->ProcessMessages();
  }
  // Shows the form and focuses Control so that typed keys reach it.
  void Focus(TWinControl* Control) {
    if (!form->Visible()) form->Show();
    Control->SetFocus();
  }
  std::unique_ptr<TForm> form;
};

}  // namespace kw_test
