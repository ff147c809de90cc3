#pragma once
// What the window tests share: a fixture with the scripted UI driver
// installed and the message queue, focus and active window left clean, and a
// small focusable control that writes its events into a log.

#include <gtest/gtest.h>

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

}  // namespace kw_test
