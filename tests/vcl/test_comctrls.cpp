#include <gtest/gtest.h>

#include <memory>

#include "platform/rtl/CodePages.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/FormText.h"
#include "platform/vcl/ImgList.h"
#include "tests/vcl/ui_fixture.h"

using namespace kw_test;

namespace {

class ComCtrlsTest : public FormUITest {};

// ---- Page controls -------------------------------------------------------------------

struct TPageEvents {
  TEventLog* Log;
  bool Allow = true;
  void Changing(TObject* Sender, bool& AllowChange) {
    Log->push_back("Changing from " + static_cast<TPageControl*>(Sender)->ActivePage()->Name());
    AllowChange = Allow;
  }
  void Change(TObject* Sender) {
    Log->push_back("Change to " + static_cast<TPageControl*>(Sender)->ActivePage()->Name());
  }
};

TEST_F(ComCtrlsTest, APageChangeCanBeRefusedByTheChangingEvent) {
  auto* pc = Add<TPageControl>("pcOptions");
  auto* p1 = Add<TTabSheet>("tsGeneral", pc);
  auto* p2 = Add<TTabSheet>("tsFormat", pc);
  auto* p3 = Add<TTabSheet>("tsPrint", pc);
  EXPECT_EQ(pc->ActivePage(), p1) << "the first page shows";
  EXPECT_TRUE(p1->Visible());
  EXPECT_FALSE(p2->Visible());
  TPageEvents ev{&Log};
  pc->OnChanging = Bind<&TPageEvents::Changing>(&ev);
  pc->OnChange = Bind<&TPageEvents::Change>(&ev);

  struct Case {
    bool Allow;
    int Tab;
    TTabSheet* Expected;
    TEventLog Events;
  } cases[] = {
      {false, 1, p1, {"Changing from tsGeneral"}},
      {true, 2, p3, {"Changing from tsGeneral", "Change to tsPrint"}},
      {true, 2, p3, {}},  // the page shown already: nothing happens
      {false, 0, p3, {"Changing from tsPrint"}},
  };
  for (const Case& c : cases) {
    Log.clear();
    ev.Allow = c.Allow;
    EXPECT_EQ(pc->SelectTab(c.Tab), c.Expected != pc->ActivePage() || Log.size() > 1);
    EXPECT_EQ(pc->ActivePage(), c.Expected);
    EXPECT_EQ(Log, c.Events);
  }
  // From code: no events, as in the run-time.
  Log.clear();
  pc->SetActivePageIndex(1);
  EXPECT_EQ(pc->ActivePage(), p2);
  EXPECT_TRUE(Log.empty());
  EXPECT_TRUE(p2->Visible());
  EXPECT_FALSE(p3->Visible());
}

TEST_F(ComCtrlsTest, HiddenTabsAreSkippedAndCtrlTabTurnsThePages) {
  auto* pc = Add<TPageControl>("pcOptions");
  auto* p1 = Add<TTabSheet>("tsGeneral", pc);
  auto* p2 = Add<TTabSheet>("tsFormat", pc);
  auto* p3 = Add<TTabSheet>("tsPrint", pc);
  auto* e1 = Add<TEdit>("edtA", p1);
  Add<TEdit>("edtC", p3);
  p2->SetTabVisible(false);
  EXPECT_EQ(p2->TabIndex(), -1);
  EXPECT_EQ(p3->TabIndex(), 1);
  EXPECT_EQ(pc->VisibleTabCount(), 2);
  TPageEvents ev{&Log};
  pc->OnChanging = Bind<&TPageEvents::Changing>(&ev);
  pc->OnChange = Bind<&TPageEvents::Change>(&ev);
  form->Show();
  e1->SetFocus();
  Press(VK_TAB, {ssCtrl});
  EXPECT_EQ(pc->ActivePage(), p3) << "the hidden tab is skipped";
  EXPECT_EQ(form->ActiveControl()->Name(), "edtC") << "the focus moves onto the new page";
  EXPECT_EQ(Log, (TEventLog{"Changing from tsGeneral", "Change to tsPrint"}));
  ev.Allow = false;
  Press(VK_TAB, {ssCtrl, ssShift});
  EXPECT_EQ(pc->ActivePage(), p3);
  // Hiding the active page's tab shows the next visible page.
  p3->SetTabVisible(false);
  EXPECT_EQ(pc->ActivePage(), p1);
  // A freed active page leaves the control and the next visible page shows;
  // with no visible tab left no page shows.
  p2->SetTabVisible(true);
  delete p1;
  EXPECT_EQ(pc->PageCount(), 2);
  EXPECT_EQ(pc->ActivePage(), p2);
  p2->SetTabVisible(false);
  EXPECT_EQ(pc->ActivePage(), nullptr);
}

TEST_F(ComCtrlsTest, APageControlDescriptionNamesItsActivePage) {
  ReadFormText(form.get(),
               "object frmTest: TForm\n"
               "  object pcOptions: TPageControl\n"
               "    ActivePage = tsFormat\n"
               "    object tsGeneral: TTabSheet\n"
               "      Caption = 'General'\n"
               "    end\n"
               "    object tsFormat: TTabSheet\n"
               "      Caption = 'Format'\n"
               "      TabVisible = False\n"
               "    end\n"
               "  end\n"
               "  object sbMain: TStatusBar\n"
               "    Panels = <\n"
               "      item\n"
               "        Text = 'Ready'\n"
               "        Width = 120\n"
               "      end\n"
               "      item\n"
               "        Width = 80\n"
               "      end>\n"
               "  end\n"
               "end\n");
  auto* pc = ObjectAs<TPageControl>(form->FindComponent("pcOptions"));
  ASSERT_NE(pc, nullptr);
  EXPECT_EQ(pc->PageCount(), 2);
  EXPECT_EQ(pc->ActivePage()->Name(), "tsFormat");
  EXPECT_FALSE(pc->Pages(1)->TabVisible());
  EXPECT_TRUE(pc->Pages(1)->Visible());
  EXPECT_FALSE(pc->Pages(0)->Visible());
  auto* sb = ObjectAs<TStatusBar>(form->FindComponent("sbMain"));
  ASSERT_NE(sb, nullptr);
  EXPECT_EQ(sb->Panels()->Count(), 2);
  EXPECT_EQ(sb->Panels()->Items(0)->Text(), "Ready");
  EXPECT_EQ(sb->Panels()->Items(1)->Width(), 80);
  const TPropInfo* panels = GetPropInfo(sb, "Panels");
  ASSERT_NE(panels, nullptr);
  EXPECT_EQ(panels->PropType->Name, "TStatusPanels");
  EXPECT_EQ(GetPropText(sb->Panels()->Items(0), "Text"), "Ready");
  sb->SetSimplePanel(true);
  sb->SetSimpleText("Printing");
  EXPECT_EQ(sb->DisplayText(0), "Printing");
}

// ---- List views ----------------------------------------------------------------------

struct TListEvents {
  TEventLog* Log;
  bool AllowEditing = true;
  AnsiString Replace;  // what OnEdited makes of the text ("" keeps it)
  bool Refuse = false;
  void Editing(TObject*, TListItem* Item, bool& Allow) {
    Log->push_back("Editing " + Item->Caption());
    Allow = AllowEditing;
  }
  void Edited(TObject*, TListItem* Item, AnsiString& S) {
    Log->push_back("Edited " + Item->Caption() + " -> " + S);
    if (Refuse) S = Item->Caption();
    if (!Replace.empty()) S = Replace;
  }
  void SelectItem(TObject*, TListItem* Item, bool Selected) {
    Log->push_back((Selected ? "Select " : "Deselect ") + Item->Caption());
  }
};

TListView* MakeReport(TListView* lv) {
  lv->SetViewStyle(vsReport);
  const char* heads[] = {"Voucher", "Date", "Amount"};
  const int widths[] = {80, 90, 100};
  for (int i = 0; i < 3; ++i) {
    TListColumn* c = lv->Columns()->Add();
    c->SetCaption(heads[i]);
    c->SetWidth(widths[i]);
  }
  const char* rows[][3] = {{"V001", "2024/03/05", "100.00"}, {"V002", "2024/03/06", "250.50"}, {"V003", "", "7"}};
  for (auto& r : rows) {
    TListItem* it = lv->Items()->Add();
    it->SetCaption(r[0]);
    it->SubItems()->Add(r[1]);
    it->SubItems()->Add(r[2]);
  }
  return lv;
}

TEST_F(ComCtrlsTest, ListViewItemsCarrySubItemsUnderTheirColumns) {
  auto* lv = MakeReport(Add<TListView>("lvVouchers"));
  EXPECT_EQ(lv->Columns()->Count(), 3);
  EXPECT_EQ(lv->Columns()->Items(2)->Caption(), "Amount");
  EXPECT_EQ(lv->Columns()->Items(1)->Width(), 90);
  ASSERT_EQ(lv->Items()->Count(), 3);
  EXPECT_EQ(lv->Items()->Item(1)->SubItems()->Strings(1), "250.50");
  EXPECT_EQ(lv->Items()->Item(2)->SubItems()->Strings(0), "");
  lv->Items()->Item(0)->SubItems()->SetStrings(1, "99.00");
  EXPECT_EQ(lv->Items()->Item(0)->SubItems()->Strings(1), "99.00");
  lv->Items()->Delete(0);
  EXPECT_EQ(lv->Items()->Item(0)->Caption(), "V002");
  EXPECT_EQ(lv->Items()->Item(0)->Index(), 0);
  EXPECT_THROW(lv->Items()->Item(5), EListError);
  // The columns are a published collection.
  EXPECT_EQ(GetPropText(lv->Columns()->Items(1), "Caption"), "Date");
  EXPECT_EQ(GetPropText(lv, "ViewStyle"), "vsReport");
}

// The items of a list view go into the form text and come back whole:
// captions (also Chinese and longer than a short string holds), sub-items,
// image indexes and check marks; an empty list writes nothing.
TEST_F(ComCtrlsTest, ListViewItemsTravelThroughTheFormText) {
  auto* lv = Add<TListView>("lvFields");
  lv->SetViewStyle(vsReport);
  lv->SetCheckboxes(true);
  EXPECT_EQ(ComponentToFormText(form.get()).find("Items.Data"), AnsiString::npos);

  const AnsiString longText(300, 'x');
  const struct {
    AnsiString Caption;
    std::vector<AnsiString> SubItems;
    int ImageIndex;
    bool Checked;
  } items[] = {
      {"TC001", {GB("单别"), "4"}, 0, true},
      {"", {}, -1, false},
      {GB("资产编号"), {"", longText}, 7, false},
      {longText, {"a'b"}, 2, true},
  };
  for (const auto& i : items) {
    TListItem* item = lv->Items()->Add();
    item->SetCaption(i.Caption);
    for (const AnsiString& sub : i.SubItems) item->SubItems()->Add(sub);
    item->SetImageIndex(i.ImageIndex);
    item->SetChecked(i.Checked);
  }
  const AnsiString text = ComponentToFormText(form.get());
  EXPECT_NE(text.find("Items.Data = {"), AnsiString::npos) << text;

  std::unique_ptr<TForm> copy(CreateForm<TForm>(nullptr));
  ReadFormText(copy.get(), text);
  auto* read = ObjectAs<TListView>(copy->FindComponent("lvFields"));
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->Items()->Count(), 4);
  for (int n = 0; n < 4; ++n) {
    SCOPED_TRACE(n);
    TListItem* item = read->Items()->Item(n);
    EXPECT_EQ(item->Caption(), items[n].Caption);
    EXPECT_EQ(item->ImageIndex(), items[n].ImageIndex);
    EXPECT_EQ(item->Checked(), items[n].Checked);
    ASSERT_EQ(item->SubItems()->Count(), static_cast<int>(items[n].SubItems.size()));
    for (int k = 0; k < item->SubItems()->Count(); ++k) EXPECT_EQ(item->SubItems()->Strings(k), items[n].SubItems[k]);
  }
  // Written again, the text is the same.
  EXPECT_EQ(ComponentToFormText(copy.get()), text);
}

TEST_F(ComCtrlsTest, DamagedListViewItemDataIsRefusedAndChangesNothing) {
  // One item "A" with no sub-items: 4 + 4 + 5 * 4 + 2 = 30 bytes.
  const AnsiString good = "1E000000 01000000 FFFFFFFF FFFFFFFF FFFFFFFF 00000000 00000000 0141";
  const struct {
    const char* Why;
    AnsiString Hex;
  } bad[] = {
      {"size does not match", "1F000000 01000000 FFFFFFFF FFFFFFFF FFFFFFFF 00000000 00000000 0141"},
      {"caption runs past the end", "1E000000 01000000 FFFFFFFF FFFFFFFF FFFFFFFF 00000000 00000000 0241"},
      {"more items than data", "1E000000 02000000 FFFFFFFF FFFFFFFF FFFFFFFF 00000000 00000000 0141"},
      {"negative sub-item count", "1E000000 01000000 FFFFFFFF FFFFFFFF FFFFFFFF FFFFFFFF 00000000 0141"},
      {"negative count", "08000000 FFFFFFFF"},
      {"truncated", "1E000000 0100"},
  };
  auto description = [](const AnsiString& Hex) {
    return "object frmTest: TForm\r\n  object lvFields: TListView\r\n    Items.Data = {" + Hex +
           "}\r\n  end\r\nend\r\n";
  };
  auto* lv = Add<TListView>("lvFields");
  ReadFormText(form.get(), description(good));
  ASSERT_EQ(lv->Items()->Count(), 1);
  EXPECT_EQ(lv->Items()->Item(0)->Caption(), "A");
  for (const auto& b : bad) {
    SCOPED_TRACE(b.Why);
    EXPECT_THROW(ReadFormText(form.get(), description(b.Hex)), EReadError);
    ASSERT_EQ(lv->Items()->Count(), 1);
    EXPECT_EQ(lv->Items()->Item(0)->Caption(), "A");
  }
}

TEST_F(ComCtrlsTest, ListViewSelectionSingleAndMultiple) {
  auto* lv = MakeReport(Add<TListView>("lvVouchers"));
  TListEvents ev{&Log};
  lv->OnSelectItem = Bind<&TListEvents::SelectItem>(&ev);
  TListItems& items = *lv->Items();
  items[0]->SetSelected(true);
  items[2]->SetSelected(true);
  EXPECT_EQ(lv->SelCount(), 1);
  EXPECT_EQ(lv->Selected(), items[2]);
  EXPECT_EQ(Log, (TEventLog{"Select V001", "Deselect V001", "Select V003"}));
  lv->SetMultiSelect(true);
  items[0]->SetSelected(true);
  items[1]->SetSelected(true);
  EXPECT_EQ(lv->SelCount(), 3);
  EXPECT_EQ(lv->Selected(), items[0]) << "the first selected item";
  EXPECT_EQ(lv->GetNextSelected(items[0]), items[1]);
  lv->SetItemFocused(items[1]);
  lv->SetMultiSelect(false);
  EXPECT_EQ(lv->SelCount(), 1);
  EXPECT_EQ(lv->Selected(), items[1]) << "the focused item keeps its selection";
  lv->SetSelected(nullptr);
  EXPECT_EQ(lv->SelCount(), 0);
  EXPECT_EQ(lv->ItemIndex(), -1);

  // Arrow keys move the focused selection.
  lv->SetItemIndex(0);
  form->Show();
  lv->SetFocus();
  Press(VK_DOWN);
  EXPECT_EQ(lv->ItemIndex(), 1);
  EXPECT_EQ(lv->ItemFocused(), items[1]);
}

TEST_F(ComCtrlsTest, InPlaceCaptionEditing) {
  auto* lv = MakeReport(Add<TListView>("lvVouchers"));
  TListEvents ev{&Log};
  lv->OnEditing = Bind<&TListEvents::Editing>(&ev);
  lv->OnEdited = Bind<&TListEvents::Edited>(&ev);
  TListItem* item = lv->Items()->Item(0);
  form->Show();
  lv->SetFocus();

  struct Case {
    const char* What;
    bool ReadOnly;
    bool AllowEditing;
    const char* Typed;
    unsigned short EndKey;
    const char* Replace;
    bool Refuse;
    const char* Caption;
    TEventLog Events;
  } cases[] = {
      {"accepted", false, true, "X9", VK_RETURN, "", false, "X9", {"Editing V001", "Edited V001 -> X9"}},
      {"changed by the handler", false, true, "abc", VK_RETURN, "ABC", false, "ABC",
       {"Editing X9", "Edited X9 -> abc"}},
      {"refused by the handler", false, true, "zzz", VK_RETURN, "", true, "ABC", {"Editing ABC", "Edited ABC -> zzz"}},
      {"cancelled with Esc", false, true, "qq", VK_ESCAPE, "", false, "ABC", {"Editing ABC"}},
      {"refused by OnEditing", false, false, "", 0, "", false, "ABC", {"Editing ABC"}},
      {"read-only view", true, true, "", 0, "", false, "ABC", {}},
  };
  for (const Case& c : cases) {
    Log.clear();
    lv->SetReadOnly(c.ReadOnly);
    ev.AllowEditing = c.AllowEditing;
    ev.Replace = c.Replace;
    ev.Refuse = c.Refuse;
    bool started = item->EditCaption();
    EXPECT_EQ(started, !c.ReadOnly && c.AllowEditing) << c.What;
    if (started) {
      EXPECT_EQ(lv->EditText(), item->Caption());
      Type(c.Typed);  // the caption starts selected: typing replaces it
      Press(c.EndKey);
      EXPECT_FALSE(lv->IsEditing()) << c.What;
    }
    EXPECT_EQ(item->Caption(), c.Caption) << c.What;
    EXPECT_EQ(Log, c.Events) << c.What;
  }
  // F2 edits the focused item; Enter during the edit does not reach the form.
  lv->SetReadOnly(false);
  ev.AllowEditing = true;
  ev.Replace.clear();
  ev.Refuse = false;
  lv->SetSelected(item);
  Press(VK_F2);
  ASSERT_TRUE(lv->IsEditing());
  Press(VK_END);
  Type("\b1");
  Press(VK_RETURN);
  EXPECT_EQ(item->Caption(), "AB1");
  // An item deleted while edited ends the edit without touching freed memory.
  EXPECT_TRUE(item->EditCaption());
  item->Delete();
  EXPECT_FALSE(lv->IsEditing());
}

// ---- Tree views ----------------------------------------------------------------------

struct TTreeEvents {
  TEventLog* Log;
  TTreeNode* Refuse = nullptr;
  void Changing(TObject*, TTreeNode* Node, bool& Allow) {
    Log->push_back("Changing " + (Node ? Node->Text() : AnsiString("-")));
    if (Node == Refuse) Allow = false;
  }
  void Change(TObject*, TTreeNode* Node) { Log->push_back("Change " + (Node ? Node->Text() : AnsiString("-"))); }
};

TEST_F(ComCtrlsTest, TreeNodesAndSelection) {
  auto* tv = Add<TTreeView>("tvAccounts");
  TTreeNodes& n = *tv->Items();
  TTreeNode* assets = n.Add(nullptr, "Assets");
  TTreeNode* fixed = n.AddChild(assets, "Fixed");
  TTreeNode* land = n.AddChild(fixed, "Land");
  TTreeNode* cash = n.AddChild(assets, "Cash");
  TTreeNode* debts = n.Add(assets, "Debts");
  TTreeNode* first = n.Insert(assets, "First");
  EXPECT_EQ(n.Count(), 6);
  EXPECT_EQ(n[0], first);
  EXPECT_EQ(n[3], land);
  EXPECT_EQ(land->Level(), 2);
  EXPECT_EQ(cash->Index(), 1);
  EXPECT_EQ(land->AbsoluteIndex(), 3);
  EXPECT_EQ(fixed->GetNextSibling(), cash);
  EXPECT_EQ(assets->Count(), 2);
  EXPECT_TRUE(fixed->HasChildren());
  EXPECT_FALSE(land->IsVisible());

  TTreeEvents ev{&Log};
  tv->OnChanging = Bind<&TTreeEvents::Changing>(&ev);
  tv->OnChange = Bind<&TTreeEvents::Change>(&ev);
  EXPECT_TRUE(tv->SetSelected(land));
  EXPECT_TRUE(land->IsVisible()) << "selecting a node opens its parents";
  ev.Refuse = debts;
  EXPECT_FALSE(debts->Selected() || tv->SetSelected(debts));
  EXPECT_EQ(tv->Selected(), land);
  EXPECT_EQ(Log, (TEventLog{"Changing Land", "Change Land", "Changing Debts"}));
  Log.clear();
  n.Delete(fixed);
  EXPECT_EQ(tv->Selected(), nullptr) << "deleting the selected node clears the selection";
  EXPECT_EQ(Log, TEventLog{"Change -"});
  EXPECT_EQ(n.Count(), 4);
  form->Show();
  tv->SetFocus();
  ev.Refuse = nullptr;
  tv->SetSelected(assets);
  Press(VK_RIGHT);  // opens (already open) then goes to the first child
  EXPECT_EQ(tv->Selected(), cash);
  Press(VK_LEFT);
  EXPECT_EQ(tv->Selected(), assets);
  Press(VK_DOWN);
  Press(VK_DOWN);
  EXPECT_EQ(tv->Selected(), debts);
  n.Clear();
  EXPECT_EQ(n.Count(), 0);
}

// ---- Tool bars, spin edits, image lists -----------------------------------------------

TEST_F(ComCtrlsTest, GroupedToolButtonsActAsRadioButtons) {
  auto* tb = Add<TToolBar>("tbMain");
  TToolButton* b[4];
  for (int i = 0; i < 4; ++i) {
    b[i] = NewComponent<TToolButton>(form.get());
    b[i]->SetParent(tb);
    b[i]->SetLeft(i * 23);
    b[i]->SetStyle(tbsCheck);
    b[i]->SetGrouped(i < 3);
  }
  ASSERT_EQ(tb->ButtonCount(), 4);
  b[0]->Click();
  EXPECT_TRUE(b[0]->Down());
  b[1]->Click();
  EXPECT_FALSE(b[0]->Down());
  EXPECT_TRUE(b[1]->Down());
  b[1]->Click();
  EXPECT_TRUE(b[1]->Down()) << "the last one down in a group stays down";
  b[3]->Click();
  EXPECT_TRUE(b[3]->Down()) << "outside the group";
  EXPECT_TRUE(b[1]->Down());
  b[3]->Click();
  EXPECT_FALSE(b[3]->Down());
  b[2]->SetEnabled(false);
  b[2]->Click();
  EXPECT_FALSE(b[2]->Down());
}

TEST_F(ComCtrlsTest, SpinEditsKeepTheirValueInRange) {
  auto* se = Add<TSpinEdit>("seCopies");
  se->SetMinValue(1);
  se->SetMaxValue(5);
  EXPECT_EQ(se->Value(), 1);
  se->SetValue(9);
  EXPECT_EQ(se->Text(), "5");
  form->Show();
  se->SetFocus();
  Press(VK_DOWN);
  Press(VK_DOWN);
  EXPECT_EQ(se->Value(), 3);
  se->SelectAll();
  Type("x7");  // letters are refused
  EXPECT_EQ(se->Text(), "7");
  EXPECT_EQ(se->Value(), 5);
  auto* other = Add<TEdit>("edtOther");
  other->SetFocus();
  EXPECT_EQ(se->Text(), "5") << "leaving brings the text into range";
}

TEST_F(ComCtrlsTest, ImageListsSplitStripsAndForgetOnResize) {
  auto* il = NewComponent<TImageList>(form.get());
  TBitmap strip(48, 16);
  strip.SetPixel(17, 0, clRed);
  EXPECT_EQ(il->Add(&strip), 0);
  EXPECT_EQ(il->Count(), 3);
  TBitmap one;
  ASSERT_TRUE(il->GetBitmap(1, &one));
  EXPECT_EQ(one.Width(), 16);
  EXPECT_EQ(one.Pixel(1, 0), clRed);
  EXPECT_FALSE(il->GetBitmap(3, &one));
  auto* lv = Add<TListView>("lvIcons");
  lv->SetSmallImages(il);
  il->SetWidth(32);
  EXPECT_EQ(il->Count(), 0);
  delete il;
  EXPECT_EQ(lv->SmallImages(), nullptr);
}

}  // namespace
