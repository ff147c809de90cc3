#include <gtest/gtest.h>

#include <memory>

#include "platform/vcl/FormText.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/vcl/ui_fixture.h"

using namespace kw_test;

namespace {

class MenuTest : public FormUITest {
 protected:
  TMenuItem* Item(TMenuItem* Parent, const char* Name, const char* Caption, TShortCut Key = scNone) {
    auto* i = NewComponent<TMenuItem>(form.get());
    i->SetName(Name);
    i->SetCaption(Caption);
    i->SetShortCut(Key);
    Parent->Add(i);
    return i;
  }
};

struct TClicks {
  TEventLog* Log;
  void Click(TObject* Sender) { Log->push_back("Click " + static_cast<TComponent*>(Sender)->Name()); }
  void Key(TObject*, unsigned short& Key, TShiftState) { Log->push_back("KeyDown " + std::to_string(Key)); }
};

TEST_F(MenuTest, ShortCutTextsBothWays) {
  struct Case {
    const char* Text;
    TShortCut Value;
    const char* Back;  // ShortCutToText of Value
  } cases[] = {
      {"Ctrl+S", static_cast<TShortCut>(scCtrl | 'S'), "Ctrl+S"},
      {"ctrl + s", static_cast<TShortCut>(scCtrl | 'S'), "Ctrl+S"},
      {"Shift+F5", static_cast<TShortCut>(scShift | VK_F5), "Shift+F5"},
      {"Ctrl+Alt+Del", static_cast<TShortCut>(scCtrl | scAlt | VK_DELETE), "Ctrl+Alt+Del"},
      {"Alt+Ctrl+Delete", static_cast<TShortCut>(scCtrl | scAlt | VK_DELETE), "Ctrl+Alt+Del"},
      {"F12", VK_F12, "F12"},
      {"Enter", VK_RETURN, "Enter"},
      {"Ctrl+", scNone, ""},
      {"Hyper+S", scNone, ""},
      {"Ctrl+F25", scNone, ""},
      {"", scNone, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TextToShortCut(c.Text), c.Value) << c.Text;
    EXPECT_EQ(ShortCutToText(c.Value), c.Back) << c.Text;
  }
  EXPECT_EQ(ShortCut('S', {ssCtrl}), TextToShortCut("Ctrl+S"));
  unsigned short key;
  TShiftState shift;
  ShortCutToKey(TextToShortCut("Shift+Ctrl+P"), key, shift);
  EXPECT_EQ(key, 'P');
  EXPECT_EQ(shift, (TShiftState{ssShift, ssCtrl}));
}

TEST_F(MenuTest, TheFormDispatchesShortCutKeysToMenuItems) {
  auto* mm = NewComponent<TMainMenu>(form.get());
  TMenuItem* file = Item(mm->Items(), "mnuFile", "&File");
  TMenuItem* save = Item(file, "mnuSave", "&Save", ShortCut('S', {ssCtrl}));
  TMenuItem* print = Item(file, "mnuPrint", "&Print", ShortCut('P', {ssCtrl}));
  auto* pm = NewComponent<TPopupMenu>(form.get());
  TMenuItem* refresh = Item(pm->Items(), "mnuRefresh", "Refresh", VK_F5);
  auto* edt = NewComponent<TEdit>(form.get());
  edt->SetParent(form.get());
  TClicks clicks{&Log};
  for (TMenuItem* i : {save, print, refresh}) i->OnClick = Bind<&TClicks::Click>(&clicks);
  edt->OnKeyDown = Bind<&TClicks::Key>(&clicks);
  form->Show();
  edt->SetFocus();

  struct Case {
    unsigned short Key;
    TShiftState Shift;
    TEventLog Expected;
  } cases[] = {
      {'S', {ssCtrl}, {"Click mnuSave"}},
      {VK_F5, {}, {"Click mnuRefresh"}},
      {'S', {}, {"KeyDown 83"}},               // no shortcut: the edit gets it
      {'S', {ssCtrl, ssShift}, {"KeyDown 83"}},
  };
  for (const Case& c : cases) {
    Log.clear();
    Press(c.Key, c.Shift);
    EXPECT_EQ(Log, c.Expected) << c.Key;
  }
  // A disabled item (or one under a disabled item) leaves the key to the control.
  Log.clear();
  file->SetEnabled(false);
  Press('P', {ssCtrl});
  EXPECT_EQ(Log, TEventLog{"KeyDown 80"});
  file->SetEnabled(true);
  Log.clear();
  EXPECT_TRUE(DispatchShortCut(form.get(), 'P', {ssCtrl}));
  EXPECT_EQ(Log, TEventLog{"Click mnuPrint"});
  edt->SetText("");
  Press('S', {ssCtrl});
  EXPECT_EQ(edt->Text(), "") << "a shortcut types nothing";
}

TEST_F(MenuTest, ItemTreeChecksAndRadioGroups) {
  auto* pm = NewComponent<TPopupMenu>(form.get());
  TMenuItem* a = Item(pm->Items(), "mnuA", "&Asset");
  TMenuItem* b = Item(pm->Items(), "mnuB", "&Voucher");
  Item(pm->Items(), "mnuLine", "-");
  TMenuItem* c = Item(pm->Items(), "mnuC", "Other");
  for (TMenuItem* i : {a, b}) {
    i->SetRadioItem(true);
    i->SetGroupIndex(1);
    i->SetAutoCheck(true);
  }
  a->Click();
  b->Click();
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  c->SetAutoCheck(true);
  c->Click();
  c->Click();
  EXPECT_FALSE(c->Checked());
  EXPECT_TRUE(pm->Items()->Items(2)->IsLine());
  EXPECT_EQ(pm->Items()->Find("voucher"), b);
  EXPECT_EQ(b->GetParentMenu(), pm);
  EXPECT_THROW(pm->Items()->Add(b), EMenuError);
  EXPECT_THROW(pm->Items()->Items(9), EMenuError);
  delete b;
  EXPECT_EQ(pm->Items()->Count(), 3);
  int pops = 0;
  struct Popups {
    int* N;
    void Popup(TObject*) { ++*N; }
  } popups{&pops};
  pm->OnPopup = Bind<&Popups::Popup>(&popups);
  pm->Popup(10, 20);
  EXPECT_EQ(pops, 1);
  EXPECT_EQ(pm->PopupY(), 20);
}

TEST_F(MenuTest, MenusReadFromADescription) {
  ReadFormText(form.get(),
               "object frmTest: TForm\n"
               "  object mmMain: TMainMenu\n"
               "    object mnuFile: TMenuItem\n"
               "      Caption = 'File'\n"
               "      object mnuSave: TMenuItem\n"
               "        Caption = 'Save'\n"
               "        ShortCut = 16467\n"
               "      end\n"
               "    end\n"
               "  end\n"
               "end\n");
  auto* mm = ObjectAs<TMainMenu>(form->FindComponent("mmMain"));
  ASSERT_NE(mm, nullptr);
  ASSERT_EQ(mm->Items()->Count(), 1);
  ASSERT_EQ(mm->Items()->Items(0)->Count(), 1);
  EXPECT_EQ(ShortCutToText(mm->Items()->Items(0)->Items(0)->ShortCut()), "Ctrl+S");
  AnsiString text = ComponentToFormText(form.get());
  EXPECT_NE(text.find("object mnuSave: TMenuItem"), AnsiString::npos) << text;
}

}  // namespace
