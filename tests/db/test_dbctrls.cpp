// The data-aware edit on a form: what it shows as the data set moves and
// changes, typing into it (edit state, write back, refusals), unknown
// fields, and reading it from a form description.

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/db/ClientDataSet.h"
#include "platform/db/DBCtrls.h"
#include "platform/db/DataSource.h"
#include "platform/vcl/FormText.h"
#include "tests/vcl/ui_fixture.h"

using namespace kw_test;

namespace {

class DBEditTest : public FormUITest {
 public:  // the tests' tables of steps reach into the fixture
  using FormUITest::Focus;
  using FormUITest::Press;
  void SetUp() override {
    FormUITest::SetUp();
    DS = NewComponent<TClientDataSet>(form.get());
    DS->SetName("Vouchers");
    DS->FieldDefs().Add("TC001", ftString, 4);
    DS->FieldDefs().Add("TC002", ftString, 11);
    DS->FieldDefs().Add("TC006", ftFloat);
    DS->CreateDataSet();
    DS->AppendRecord({"A1", "0001", 100.5});
    DS->AppendRecord({"B2", "0002", 20.0});
    DS->AppendRecord({"C3", "0003", 7.25});
    DS->MergeChangeLog();
    DS->First();
    Source = NewComponent<TDataSource>(form.get());
    Source->SetName("dsVouchers");
    Source->SetDataSet(DS);
    Edit = Add<TDBEdit>("edtNumber");
    Edit->SetDataSource(Source);
    Edit->SetDataField("TC002");
    Other = AddField(form.get(), "edtOther");
  }
  AnsiString Stored() { return DS->FieldByName("TC002")->AsString(); }

  TClientDataSet* DS = nullptr;
  TDataSource* Source = nullptr;
  TDBEdit* Edit = nullptr;
  TFieldControl* Other = nullptr;
};

TEST_F(DBEditTest, ShowsTheCurrentRecordAsTheDataSetMovesAndChanges) {
  EXPECT_EQ(Edit->Field(), DS->FieldByName("TC002"));
  const struct {
    const char* Step;
    std::function<void(TClientDataSet&)> Act;
    const char* Shown;
  } steps[] = {
      {"first", [](TClientDataSet& d) { d.First(); }, "0001"},
      {"next", [](TClientDataSet& d) { d.Next(); }, "0002"},
      {"last", [](TClientDataSet& d) { d.Last(); }, "0003"},
      {"recno", [](TClientDataSet& d) { d.SetRecNo(1); }, "0001"},
      {"locate", [](TClientDataSet& d) { d.Locate("TC001", Variant("B2")); }, "0002"},
      {"edited from code",
       [](TClientDataSet& d) {
         d.Edit();
         d.FieldByName("TC002")->SetAsString("0099");
       },
       "0099"},
      {"cancelled", [](TClientDataSet& d) { d.Cancel(); }, "0002"},
      {"another field changes", [](TClientDataSet& d) { d.Edit(), d.FieldByName("TC001")->SetAsString("Z9"); }, "0002"},
      {"posted", [](TClientDataSet& d) { d.Post(); }, "0002"},
      {"appended", [](TClientDataSet& d) { d.Append(); }, ""},
      {"cancelled append", [](TClientDataSet& d) { d.Cancel(); }, "0002"},
      {"emptied", [](TClientDataSet& d) { d.EmptyDataSet(); }, ""},
      {"record added", [](TClientDataSet& d) { d.AppendRecord({"D4", "0004", 1.0}); }, "0004"},
      {"closed", [](TClientDataSet& d) { d.Close(); }, ""},
  };
  for (const auto& s : steps) {
    s.Act(*DS);
    EXPECT_EQ(Edit->Text(), s.Shown) << s.Step;
  }
  DS->CreateDataSet();
  DS->AppendRecord({"A1", "0001", 100.5});
  EXPECT_EQ(Edit->Text(), "0001");
  Edit->SetDataField("TC001");
  EXPECT_EQ(Edit->Text(), "A1");
  Source->SetEnabled(false);
  EXPECT_EQ(Edit->Text(), "");
  EXPECT_EQ(Edit->Field(), nullptr);
}

TEST_F(DBEditTest, TypedTextGoesIntoTheFieldOnExitEnterOrPost) {
  const struct {
    const char* How;
    std::function<void(DBEditTest&)> Commit;
  } ways[] = {
      {"exit", [](DBEditTest& t) { t.Other->SetFocus(); }},
      {"enter", [](DBEditTest& t) { t.Press(VK_RETURN); }},
      {"post", [](DBEditTest& t) { t.DS->Post(); }},
  };
  int record = 1;
  for (const auto& way : ways) {
    SCOPED_TRACE(way.How);
    DS->SetRecNo(record);
    const AnsiString before = Stored();
    Focus(Edit);
    EXPECT_EQ(DS->State(), dsBrowse);
    Type("77");  // the whole text is selected on entry
    EXPECT_EQ(DS->State(), dsEdit);
    EXPECT_EQ(Edit->Text(), "77");
    EXPECT_EQ(Stored(), before);
    way.Commit(*this);
    EXPECT_EQ(Stored(), "77");
    if (DS->State() == dsEdit) DS->Post();
    EXPECT_EQ(DS->FieldByName("TC002")->AsString(), "77");
    Other->SetFocus();
    ++record;
  }
  // Written into the records that were current, and nowhere else.
  DS->First();
  for (const char* expected : {"77", "77", "77"}) {
    EXPECT_EQ(Stored(), expected);
    DS->Next();
  }
  EXPECT_EQ(DS->ChangeCount(), 3);
}

TEST_F(DBEditTest, EscapeDropsTheTypedChange) {
  DS->SetRecNo(2);
  Focus(Edit);
  Type("55");
  EXPECT_EQ(Edit->Text(), "55");
  Press(VK_ESCAPE);
  EXPECT_EQ(Edit->Text(), "0002");
  Other->SetFocus();
  if (DS->State() == dsEdit) DS->Post();
  EXPECT_EQ(Stored(), "0002");
}

TEST_F(DBEditTest, InputIsRefusedWhenTheValueCannotChange) {
  const struct {
    const char* Why;
    std::function<void(DBEditTest&)> Set, Undo;
  } cases[] = {
      {"read-only data set", [](DBEditTest& t) { t.DS->SetReadOnly(true); },
       [](DBEditTest& t) { t.DS->SetReadOnly(false); }},
      {"read-only field", [](DBEditTest& t) { t.DS->FieldByName("TC002")->SetReadOnly(true); },
       [](DBEditTest& t) { t.DS->FieldByName("TC002")->SetReadOnly(false); }},
      {"read-only edit", [](DBEditTest& t) { t.Edit->SetReadOnly(true); },
       [](DBEditTest& t) { t.Edit->SetReadOnly(false); }},
      {"no field", [](DBEditTest& t) { t.Edit->SetDataField(""); },
       [](DBEditTest& t) { t.Edit->SetDataField("TC002"); }},
      {"no data source", [](DBEditTest& t) { t.Edit->SetDataSource(nullptr); },
       [](DBEditTest& t) { t.Edit->SetDataSource(t.Source); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Why);
    c.Set(*this);
    const AnsiString shown = Edit->Text();
    Focus(Edit);
    Type("9");
    Press(VK_DELETE);
    Press(VK_BACK);
    EXPECT_EQ(Edit->Text(), shown);
    EXPECT_EQ(DS->State(), dsBrowse);
    Other->SetFocus();
    EXPECT_EQ(Stored(), "0001");
    c.Undo(*this);
    // Input works again once the cause is gone.
    Focus(Edit);
    Type("1");
    EXPECT_EQ(DS->State(), dsEdit);
    Press(VK_ESCAPE);
    DS->Cancel();
    Other->SetFocus();
  }
  EXPECT_EQ(DS->ChangeCount(), 0);
}

TEST_F(DBEditTest, AReadOnlyDataSetRefusesEveryChange) {
  DS->SetReadOnly(true);
  const struct {
    const char* Name;
    std::function<void(TDataSet&)> Change;
  } changes[] = {
      {"Edit", [](TDataSet& d) { d.Edit(); }},
      {"Insert", [](TDataSet& d) { d.Insert(); }},
      {"Append", [](TDataSet& d) { d.Append(); }},
      {"Delete", [](TDataSet& d) { d.Delete(); }},
  };
  for (const auto& c : changes) {
    try {
      c.Change(*DS);
      ADD_FAILURE() << c.Name << " was allowed";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Message, "Vouchers: Cannot modify a read-only dataset") << c.Name;
    }
  }
  EXPECT_EQ(DS->RecordCount(), 3);
  // Setting it while editing drops the edit.
  DS->SetReadOnly(false);
  DS->Edit();
  DS->FieldByName("TC002")->SetAsString("X");
  DS->SetReadOnly(true);
  EXPECT_EQ(DS->State(), dsBrowse);
  EXPECT_EQ(Stored(), "0001");
}

TEST_F(DBEditTest, AnUnknownFieldIsAClearError) {
  try {
    Edit->SetDataField("TC999");
    ADD_FAILURE() << "accepted";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message, "Vouchers: Field 'TC999' not found");
  }
  EXPECT_EQ(Edit->Field(), nullptr);
  EXPECT_EQ(Edit->Text(), "");
  // On a closed data set the name waits; opening reports it.
  DS->Close();
  EXPECT_NO_THROW(Edit->SetDataField("TC998"));
  EXPECT_THROW(DS->CreateDataSet(), EDatabaseError);
  EXPECT_EQ(Edit->Field(), nullptr);
  Edit->SetDataField("TC001");
  DS->AppendRecord({"A1", "0001", 100.5});
  EXPECT_EQ(Edit->Text(), "A1");
}

TEST_F(DBEditTest, FreeingTheDataSourceOrTheDataSetLeavesTheEditEmpty) {
  delete DS;
  DS = nullptr;
  EXPECT_EQ(Edit->Text(), "");
  EXPECT_EQ(Edit->Field(), nullptr);
  delete Source;
  Source = nullptr;
  EXPECT_EQ(Edit->DataSource(), nullptr);
  Focus(Edit);
  Type("1");
  EXPECT_EQ(Edit->Text(), "");
}

TEST_F(DBEditTest, ReadFromAFormDescription) {
  const char* const text =
      "object frmBound: TForm\r\n"
      "  object cdsMain: TClientDataSet\r\n"
      "    ReadOnly = True\r\n"
      "  end\r\n"
      "  object dsMain: TDataSource\r\n"
      "    DataSet = cdsMain\r\n"
      "  end\r\n"
      "  object edtType: TDBEdit\r\n"
      "    Left = 8\r\n"
      "    Top = 8\r\n"
      "    DataField = 'TC001'\r\n"
      "    DataSource = dsMain\r\n"
      "    MaxLength = 4\r\n"
      "    ReadOnly = True\r\n"
      "    TabOrder = 0\r\n"
      "  end\r\n"
      "end\r\n";
  std::unique_ptr<TForm> bound(CreateForm<TForm>(nullptr));
  ReadFormText(bound.get(), text);
  auto* edit = ObjectAs<TDBEdit>(bound->FindComponent("edtType"));
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->DataField(), "TC001");
  EXPECT_EQ(edit->DataSource(), bound->FindComponent("dsMain"));
  EXPECT_TRUE(edit->ReadOnly());
  EXPECT_EQ(edit->MaxLength(), 4);
  auto* cds = ObjectAs<TClientDataSet>(bound->FindComponent("cdsMain"));
  EXPECT_TRUE(cds->ReadOnly());
  cds->FieldDefs().Add("TC001", ftString, 4);
  cds->CreateDataSet();
  EXPECT_EQ(edit->Field(), cds->FieldByName("TC001"));

  AnsiString written = ComponentToFormText(bound.get());
  for (const char* line : {"DataField = 'TC001'", "DataSource = dsMain", "ReadOnly = True"})
    EXPECT_NE(written.find(line), AnsiString::npos) << line << "\n" << written;
}

}  // namespace
