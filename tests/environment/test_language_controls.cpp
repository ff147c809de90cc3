// Language files on the standard controls whose items are not plain
// properties: combo boxes, list views, tree views, status bars and memos.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/rtl/StringList.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "src/environment/LanguageController.h"

namespace {

void Apply(const std::string& Xml, TForm* Form) {
  TKwLangController c(nullptr);
  TStringList text;
  text.SetText(Xml);
  c.SetXmlText(&text);
  c.SetActive(true);
  c.GetReader()->ReadComponent(Form);
}

TEST(LanguageControls, ComboBoxKeepsItsSelectionWhenItsLinesAreReplaced) {
  TForm form(nullptr);
  auto* combo = new TComboBox(&form);
  combo->SetName("cboKind");
  combo->Items()->Add("one");
  combo->Items()->Add("two");
  combo->Items()->Add("three");
  combo->SetItemIndex(1);
  Apply(R"(<f><cboKind Items_0="Eins" Items_1="Zwei" Items_2="Drei"/></f>)", &form);
  ASSERT_EQ(combo->Items()->Count(), 3);
  EXPECT_EQ(combo->Items()->Strings(0), "Eins");
  EXPECT_EQ(combo->Items()->Strings(2), "Drei");
  EXPECT_EQ(combo->ItemIndex(), 1);
}

TEST(LanguageControls, ListViewColumnsAndItems) {
  TForm form(nullptr);
  auto* list = new TListView(&form);
  list->SetName("lvwRows");
  list->Columns()->Add()->SetCaption("Old column");
  for (const char* caption : {"r0", "r1", "r2"}) list->Items()->Add()->SetCaption(caption);
  Apply(R"(<f><lvwRows Columns_1.Caption="Second" Items_2.Caption="Row two" Items_7.Caption="x"/></f>)",
        &form);
  EXPECT_EQ(list->Columns()->Count(), 1);  // column 1 does not exist: nothing changes
  EXPECT_EQ(list->Columns()->Items(0)->Caption(), "Old column");
  EXPECT_EQ(list->Items()->Item(2)->Caption(), "Row two");
  EXPECT_EQ(list->Items()->Item(0)->Caption(), "r0");
  EXPECT_EQ(list->Items()->Count(), 3);

  Apply(R"(<f><lvwRows Columns_0.Caption="First"/></f>)", &form);
  EXPECT_EQ(list->Columns()->Items(0)->Caption(), "First");
}

TEST(LanguageControls, TreeViewNodesByAbsoluteIndex) {
  TForm form(nullptr);
  auto* tree = new TTreeView(&form);
  tree->SetName("tvwTree");
  TTreeNode* root = tree->Items()->Add(nullptr, "root");
  tree->Items()->AddChild(root, "child 1");
  tree->Items()->AddChild(root, "child 2");
  tree->Items()->Add(nullptr, "second root");
  tree->Items()->Add(nullptr, "third root");
  Apply(R"(<f><tvwTree Items_4.Text="Last" Items_1.Text="First child" Items_9.Text="x"/></f>)", &form);
  EXPECT_EQ(tree->Items()->Item(4)->Text(), "Last");
  EXPECT_EQ(tree->Items()->Item(1)->Text(), "First child");
  EXPECT_EQ(tree->Items()->Item(0)->Text(), "root");
  EXPECT_EQ(tree->Items()->Count(), 5);
}

TEST(LanguageControls, CollectionItemsAndMemoLines) {
  TForm form(nullptr);
  auto* bar = new TStatusBar(&form);
  bar->SetName("stbStatus");
  bar->Panels()->Add();
  bar->Panels()->Add();
  auto* memo = new TMemo(&form);
  memo->SetName("memNote");
  memo->Lines()->Add("first");
  memo->Lines()->Add("second");
  Apply(R"(<f><stbStatus Panels.Items_1.Text="Ready"/><memNote Lines_1="Zweite"/></f>)", &form);
  EXPECT_EQ(bar->Panels()->Items(1)->Text(), "Ready");
  EXPECT_EQ(bar->Panels()->Items(0)->Text(), "");
  ASSERT_EQ(memo->Lines()->Count(), 2);
  EXPECT_EQ(memo->Lines()->Strings(0), "first");
  EXPECT_EQ(memo->Lines()->Strings(1), "Zweite");
}

}  // namespace
