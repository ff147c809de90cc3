// Data sets held in memory: navigation, fields and their conversions,
// Locate, sorted views, editing with the change log, data sources, and data
// packets.

#include <gtest/gtest.h>

#include <random>

#include "platform/db/ClientDataSet.h"
#include "platform/db/DataPacket.h"
#include "platform/db/DataSource.h"
#include "platform/com/Marshal.h"
#include "platform/rtl/DateTime.h"

namespace {

// A local data set of vouchers: type, number, amount, date.
class DataSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DS = std::make_unique<TClientDataSet>(nullptr);
    DS->SetName("Vouchers");
    DS->FieldDefs().Add("TC001", ftString, 4, true);
    DS->FieldDefs().Add("TC002", ftString, 11);
    DS->FieldDefs().Add("TC006", ftFloat);
    DS->FieldDefs().Add("TC003", ftDate);
    DS->FieldDefs().Add("TC009", ftSmallint);
    DS->CreateDataSet();
    const TDateTime day = EncodeDate(2024, 3, 1);
    DS->AppendRecord({"A1", "0002", 100.5, TDateTime(day), 3});
    DS->AppendRecord({"B2", "0001", 20.0, TDateTime(day + 1), 1});
    DS->AppendRecord({"A1", "0001", 7.25, Null(), 2});
    DS->AppendRecord({"a1", "0003", -1.0, TDateTime(day + 2), Null()});
    DS->MergeChangeLog();
    DS->First();
  }

  std::vector<AnsiString> Column(const char* Name) {
    std::vector<AnsiString> values;
    for (DS->First(); !DS->Eof(); DS->Next()) values.push_back(DS->FieldByName(Name)->AsString());
    return values;
  }

  std::unique_ptr<TClientDataSet> DS;
};

TEST_F(DataSetTest, NavigationFollowsTheRunTimesEofAndBofRules) {
  EXPECT_EQ(DS->RecordCount(), 4);
  EXPECT_TRUE(DS->Bof());
  EXPECT_FALSE(DS->Eof());
  EXPECT_EQ(DS->RecNo(), 1);

  DS->Next();
  EXPECT_FALSE(DS->Bof());
  EXPECT_EQ(DS->RecNo(), 2);
  DS->Last();
  EXPECT_TRUE(DS->Eof());
  EXPECT_EQ(DS->RecNo(), 4);
  DS->Next();  // stays on the last record
  EXPECT_TRUE(DS->Eof());
  EXPECT_EQ(DS->FieldByName("TC002")->AsString(), "0003");
  DS->Prior();
  EXPECT_FALSE(DS->Eof());
  EXPECT_EQ(DS->RecNo(), 3);

  EXPECT_EQ(DS->MoveBy(-10), -2);
  EXPECT_TRUE(DS->Bof());
  EXPECT_EQ(DS->MoveBy(2), 2);
  EXPECT_EQ(DS->MoveBy(5), 1);
  EXPECT_TRUE(DS->Eof());

  DS->SetRecNo(2);
  EXPECT_EQ(DS->FieldByName("TC001")->AsString(), "B2");
  EXPECT_FALSE(DS->Bof() || DS->Eof());
  DS->SetRecNo(0);  // outside the records: ignored
  DS->SetRecNo(9);
  EXPECT_EQ(DS->RecNo(), 2);

  // A walk visits every record once.
  EXPECT_EQ(Column("TC002"), (std::vector<AnsiString>{"0002", "0001", "0001", "0003"}));

  // Bookmarks survive a change of order.
  DS->SetRecNo(3);
  int64_t mark = DS->Bookmark();
  DS->SetIndexFieldNames("TC002");
  DS->First();
  DS->GotoBookmark(mark);
  EXPECT_EQ(DS->FieldByName("TC006")->AsFloat(), 7.25);
}

TEST_F(DataSetTest, EmptyAndClosedDataSets) {
  DS->EmptyDataSet();
  EXPECT_TRUE(DS->IsEmpty());
  EXPECT_TRUE(DS->Bof() && DS->Eof());
  EXPECT_EQ(DS->RecNo(), 0);
  EXPECT_TRUE(DS->FieldByName("TC001")->IsNull());
  EXPECT_EQ(DS->FieldByName("TC006")->AsFloat(), 0);
  DS->Next();
  EXPECT_TRUE(DS->Eof());

  TField* field = DS->FieldByName("TC001");
  (void)field;
  DS->Close();
  // Fields of a closed data set are gone; the data set says so.
  EXPECT_EQ(DS->FieldCount(), 0);
  try {
    DS->RecordCount();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message, "Vouchers: Cannot perform this operation on a closed dataset");
  }
  try {
    DS->Open();  // no provider, no packet
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message, "Vouchers: Missing data provider or data packet");
  }
}

TEST_F(DataSetTest, FieldsConvertAsTheRunTimeDoes) {
  TField* type = DS->FieldByName("tc001");  // names ignore case
  TField* amount = DS->FieldByName("TC006");
  TField* day = DS->FieldByName("TC003");
  TField* months = DS->FieldByName("TC009");
  EXPECT_TRUE(type->Is<TStringField>());
  EXPECT_TRUE(amount->Is<TFloatField>());
  EXPECT_TRUE(day->Is<TDateField>());
  EXPECT_TRUE(months->Is<TSmallintField>() && months->Is<TIntegerField>());
  EXPECT_EQ(type->Size(), 4);
  EXPECT_TRUE(type->Required());
  EXPECT_EQ(type->Index(), 0);
  EXPECT_EQ(day->FieldNo(), 4);

  EXPECT_EQ(amount->AsString(), "100.5");
  EXPECT_EQ(amount->AsInteger(), 100);  // rounded half to even
  EXPECT_EQ(months->AsString(), "3");
  EXPECT_DOUBLE_EQ(months->AsFloat(), 3);
  EXPECT_EQ(day->AsDateTime(), EncodeDate(2024, 3, 1));
  EXPECT_EQ(VarType(day->AsVariant()), varDate);
  EXPECT_EQ(VarType(months->AsVariant()), varSmallint);
  EXPECT_EQ(VarType(type->AsVariant()), varString);

  try {
    months->AsBoolean();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message, "Cannot access field 'TC009' as type Boolean");
  }
  try {
    EXPECT_THROW(DS->FieldByName("TC001")->AsInteger(), EConvertError);
    DS->FieldByName("NOPE");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message, "Vouchers: Field 'NOPE' not found");
  }

  DS->SetRecNo(3);
  EXPECT_TRUE(day->IsNull());
  EXPECT_EQ(day->AsString(), "");
  EXPECT_TRUE(VarIsNull(day->AsVariant()));

  // Display: the format applies to the display text only; a text handler
  // replaces both.
  amount->SetDisplayFormat("#,##0.00");
  DS->First();
  EXPECT_EQ(amount->DisplayText(), "100.50");
  EXPECT_EQ(amount->AsString(), "100.5");
  type->SetDisplayLabel("Voucher type");
  EXPECT_EQ(type->DisplayLabel(), "Voucher type");
  type->OnGetText = TFieldGetTextEvent(
      [](void*, TField* F, AnsiString& Text, bool Display) {
        Text = (Display ? "[" : "(") + F->AsString() + (Display ? "]" : ")");
      },
      nullptr);
  EXPECT_EQ(type->DisplayText(), "[A1]");
  EXPECT_EQ(type->Text(), "(A1)");
  EXPECT_EQ(type->AsString(), "A1");

  EXPECT_EQ(DS->FieldValues("TC001;TC009")[1].AsInteger(), 3);
}

TEST_F(DataSetTest, LocateFindsTheFirstMatchInViewOrder) {
  struct Case {
    const char* Fields;
    Variant Keys;
    TLocateOptions Options;
    int RecNo;  // 0: not found
  };
  const Case cases[] = {
      {"TC001", "B2", {}, 2},
      {"TC001;TC002", VarArrayOf({"A1", "0001"}), {}, 3},
      {"TC001 ; TC002", VarArrayOf({"a1", "0001"}), {loCaseInsensitive}, 3},
      {"TC001;TC002", VarArrayOf({"a1", "0001"}), {}, 0},
      {"TC001", "a", {loPartialKey, loCaseInsensitive}, 1},
      {"TC001", "a", {loPartialKey}, 4},
      {"TC002", "000", {}, 0},
      {"TC003", Null(), {}, 3},
      {"TC009", "2", {}, 3},
      {"TC006", 20, {}, 2},
      {"TC003", TDateTime(EncodeDate(2024, 3, 3)), {}, 4},
      {"TC001", VarArrayOf({"B2"}), {}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Fields);
    DS->SetRecNo(4);
    bool found = DS->Locate(c.Fields, c.Keys, c.Options);
    EXPECT_EQ(found, c.RecNo != 0);
    // A miss leaves the cursor where it was.
    EXPECT_EQ(DS->RecNo(), c.RecNo ? c.RecNo : 4);
  }
  EXPECT_THROW(DS->Locate("TC001;TC002", "A1"), EDatabaseError);
  EXPECT_THROW(DS->Locate("TC009", "many"), EVariantTypeCastError);
  EXPECT_EQ(DS->Lookup("TC002", "0003", "TC001").AsString(), "a1");
  EXPECT_TRUE(VarIsNull(DS->Lookup("TC002", "9999", "TC001")));
}

TEST_F(DataSetTest, IndexesSortTheViewAndKeepTheCurrentRecord) {
  DS->SetRecNo(2);  // B2 0001
  DS->SetIndexFieldNames("TC001;TC002");
  EXPECT_EQ(DS->FieldByName("TC001")->AsString(), "B2");
  EXPECT_EQ(DS->RecNo(), 3);
  EXPECT_EQ(Column("TC002"), (std::vector<AnsiString>{"0001", "0002", "0001", "0003"}));
  EXPECT_EQ(Column("TC001"), (std::vector<AnsiString>{"A1", "A1", "B2", "a1"}));

  // Case-insensitive and descending through an index definition.
  DS->AddIndex("Index1", "TC001;TC002", {ixCaseInsensitive, ixDescending});
  DS->SetIndexName("Index1");
  EXPECT_TRUE(DS->IndexFieldNames().empty());
  EXPECT_EQ(Column("TC002"), (std::vector<AnsiString>{"0001", "0003", "0002", "0001"}));

  // Numbers sort by value, nulls first.
  DS->SetIndexFieldNames("TC009");
  EXPECT_EQ(Column("TC009"), (std::vector<AnsiString>{"", "1", "2", "3"}));

  // A posted change moves the record to its place.
  DS->First();
  DS->Edit();
  DS->FieldByName("TC009")->SetAsInteger(9);
  DS->Post();
  EXPECT_EQ(DS->RecNo(), 4);
  EXPECT_EQ(Column("TC009"), (std::vector<AnsiString>{"1", "2", "3", "9"}));

  EXPECT_THROW(DS->SetIndexFieldNames("TC404"), EDatabaseError);
  EXPECT_EQ(DS->IndexFieldNames(), "TC009");
  EXPECT_THROW(DS->SetIndexName("Missing"), EDatabaseError);
  DS->SetIndexFieldNames("");
  EXPECT_EQ(Column("TC002"), (std::vector<AnsiString>{"0002", "0001", "0001", "0003"}));
}

TEST_F(DataSetTest, EditPostCancelAndTheChangeLog) {
  TField* number = DS->FieldByName("TC002");
  try {
    number->SetAsString("x");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message, "Vouchers: Dataset not in edit or insert mode");
  }

  DS->Edit();
  number->SetAsString("0009");
  EXPECT_TRUE(DS->Modified());
  EXPECT_EQ(number->AsString(), "0009");
  DS->Cancel();
  EXPECT_EQ(number->AsString(), "0002");
  EXPECT_EQ(DS->ChangeCount(), 0);

  DS->Edit();
  number->SetAsString("0009");
  DS->FieldByName("TC006")->SetAsString("");  // empty text clears a number
  DS->Post();
  EXPECT_EQ(DS->State(), dsBrowse);
  EXPECT_EQ(number->AsString(), "0009");
  EXPECT_TRUE(DS->FieldByName("TC006")->IsNull());
  EXPECT_EQ(DS->UpdateStatus(), usModified);

  // Moving posts a pending edit, as the run-time does.
  DS->Edit();
  number->SetAsString("0010");
  DS->Next();
  DS->Prior();
  EXPECT_EQ(number->AsString(), "0010");

  // Required fields must have a value; the record stays in edit mode.
  DS->Append();
  number->SetAsString("0100");
  try {
    DS->Post();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message, "Vouchers: Field 'TC001' must have a value");
  }
  EXPECT_EQ(DS->State(), dsInsert);
  DS->FieldByName("TC001")->SetAsString("C3");
  DS->Post();
  EXPECT_EQ(DS->RecordCount(), 5);
  EXPECT_EQ(DS->RecNo(), 5);
  EXPECT_EQ(DS->UpdateStatus(), usInserted);

  // Insert goes before the current record.
  DS->SetRecNo(2);
  DS->InsertRecord({"D4", "0200"});
  EXPECT_EQ(DS->RecNo(), 2);
  EXPECT_EQ(Column("TC001"), (std::vector<AnsiString>{"A1", "D4", "B2", "A1", "a1", "C3"}));

  DS->SetRecNo(3);
  DS->Delete();
  EXPECT_EQ(DS->FieldByName("TC001")->AsString(), "A1");
  EXPECT_EQ(DS->ChangeCount(), 4);  // one edited, two inserted, one deleted

  DS->CancelUpdates();
  EXPECT_EQ(DS->ChangeCount(), 0);
  EXPECT_EQ(Column("TC001"), (std::vector<AnsiString>{"A1", "B2", "A1", "a1"}));
  EXPECT_EQ(Column("TC002"), (std::vector<AnsiString>{"0002", "0001", "0001", "0003"}));
  DS->First();
  EXPECT_EQ(DS->FieldByName("TC006")->AsFloat(), 100.5);

  // Values out of the field's range or kind are refused before they land.
  DS->Edit();
  try {
    DS->FieldByName("TC009")->SetAsInteger(40000);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message, "40000 is not a valid value for field 'TC009'. The allowed range is -32768 to 32767");
  }
  EXPECT_THROW(DS->FieldByName("TC006")->SetAsString("abc"), EConvertError);
  EXPECT_EQ(DS->FieldByName("TC009")->AsInteger(), 3);
  DS->Cancel();
}

TEST_F(DataSetTest, EventsAndDataSourcesHearWhatHappens) {
  std::vector<AnsiString> log;
  struct TRecorder {
    std::vector<AnsiString>* Log;
    void BeforeOpen(TDataSet* D) { Log->push_back(D->Active() ? "before open, open" : "before open"); }
    void AfterOpen(TDataSet* D) { Log->push_back(D->Active() ? "after open, open" : "after open"); }
    void AfterScroll(TDataSet*) { Log->push_back("scroll"); }
    void DataChange(TObject*, TField* F) { Log->push_back(F ? "change " + F->FieldName() : "change"); }
  } recorder{&log};
  TDataSource source(nullptr);
  source.SetDataSet(DS.get());
  source.OnDataChange = Bind<&TRecorder::DataChange>(&recorder);
  DS->AfterScroll = Bind<&TRecorder::AfterScroll>(&recorder);

  DS->Next();
  EXPECT_EQ(log, (std::vector<AnsiString>{"change", "scroll"}));
  log.clear();

  // Reopening: the open events around the opening, then the first record's scroll.
  DS->BeforeOpen = Bind<&TRecorder::BeforeOpen>(&recorder);
  DS->AfterOpen = Bind<&TRecorder::AfterOpen>(&recorder);
  Variant data = DS->Data();
  DS->SetData(data);
  // (closing shows as one change, opening as another)
  EXPECT_EQ(log, (std::vector<AnsiString>{"change", "before open", "change", "after open, open", "scroll"}));
  log.clear();
  DS->Next();
  log.clear();

  DS->DisableControls();
  DS->Next();
  DS->Next();
  EXPECT_EQ(log, (std::vector<AnsiString>{"scroll", "scroll"}));  // events still fire
  log.clear();
  DS->EnableControls();
  EXPECT_EQ(log, (std::vector<AnsiString>{"change"}));  // one refresh for all of it
  log.clear();

  DS->Edit();
  DS->FieldByName("TC002")->SetAsString("x");
  EXPECT_EQ(log.back(), "change TC002");

  // A data source outlives its data set safely.
  DS.reset();
  EXPECT_EQ(source.DataSet(), nullptr);
  EXPECT_EQ(source.State(), dsInactive);
}

TEST_F(DataSetTest, PersistentFieldsShowOnlyThemselves) {
  TComponent form(nullptr);
  auto* ds = new TClientDataSet(&form);
  ds->SetName("ClientDataSet1");
  auto* name = new TStringField(&form);
  name->SetName("ClientDataSet1TC001");
  name->SetFieldName("TC001");
  name->SetDisplayLabel("Type");
  name->SetDataSet(ds);
  ds->SetData(DS->Data());
  EXPECT_EQ(ds->FieldCount(), 1);
  EXPECT_EQ(ds->Fields()[0], name);
  EXPECT_EQ(name->AsString(), "A1");
  EXPECT_EQ(name->DisplayLabel(), "Type");
  ds->Close();
  EXPECT_EQ(name->DataSet(), ds);  // persistent fields stay

  auto* missing = new TFloatField(&form);
  missing->SetFieldName("NOPE");
  missing->SetDataSet(ds);
  try {
    ds->SetData(DS->Data());
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message, "ClientDataSet1: Field 'NOPE' not found");
  }
  EXPECT_FALSE(ds->Active());
  delete missing;
  auto* wrongKind = new TIntegerField(&form);
  wrongKind->SetFieldName("TC002");
  wrongKind->SetDataSet(ds);
  EXPECT_THROW(ds->SetData(DS->Data()), EDatabaseError);
}

TEST_F(DataSetTest, DataPacketsRoundTripTheRecordsInViewOrder) {
  DS->SetIndexFieldNames("TC002");
  DS->SetRecNo(1);
  DS->Delete();
  Variant packet = DS->Data();
  TClientDataSet copy(nullptr);
  copy.SetData(packet);
  EXPECT_EQ(copy.RecordCount(), 3);
  ASSERT_EQ(copy.FieldCount(), 5);
  EXPECT_EQ(copy.Fields()[3]->DataType(), ftDate);
  EXPECT_TRUE(copy.Fields()[0]->Required());
  std::vector<AnsiString> numbers;
  for (copy.First(); !copy.Eof(); copy.Next()) numbers.push_back(copy.FieldByName("TC002")->AsString());
  EXPECT_EQ(numbers, (std::vector<AnsiString>{"0001", "0002", "0003"}));
  copy.SetRecNo(1);
  EXPECT_TRUE(copy.FieldByName("TC003")->IsNull());
  EXPECT_EQ(VariantBytes(copy.Data()), VariantBytes(packet));
}

TEST(DataPacket, MalformedPacketsAreRefusedWithClearErrors) {
  TDataPacketWriter w;
  w.AddColumn("NAME", ftString, 10, "Name");
  w.AddColumn("N", ftInteger);
  w.AddColumn("F", ftFloat);
  for (int i = 0; i < 20; ++i) {
    w.AddString(i % 4 ? "row" : "");
    if (i % 5) w.AddInteger(i); else w.AddNull();
    w.AddFloat(i / 4.0);
  }
  const std::string good = w.Finish();
  std::vector<TPacketColumn> columns;
  TRecordStore store;
  ReadDataPacket(good, columns, store);
  EXPECT_EQ(store.RowCount(), 20u);
  EXPECT_TRUE(store.IsNull(5, 1));
  EXPECT_EQ(columns[0].DisplayLabel, "Name");

  try {
    ReadDataPacket(good.substr(0, good.size() - 1), columns, store);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message.rfind("Invalid data packet: truncated", 0), 0u) << e.Message;
  }
  // Every prefix and many corruptions are refused or read, never misread
  // past the end (the sanitizer build checks).
  for (size_t n = 0; n < good.size(); ++n) EXPECT_THROW(ReadDataPacket(good.substr(0, n), columns, store), EDatabaseError);
  std::mt19937 random(99);
  for (int round = 0; round < 3000; ++round) {
    std::string bad = good;
    bad[random() % bad.size()] = static_cast<char>(random());
    try {
      ReadDataPacket(bad, columns, store);
      // What was accepted is consistent: every text lies inside its block.
      for (int c = 0; c < store.ColumnCount(); ++c)
        if (store.Column(c).Kind == TStorageKind::Bytes)
          for (uint32_t r = 0; r < store.RowCount(); ++r) (void)store.GetBytes(r, c).size();
    } catch (const EDatabaseError&) {
    }
  }
  // An incomplete last row cannot be finished.
  TDataPacketWriter half;
  half.AddColumn("A", ftInteger);
  half.AddColumn("B", ftInteger);
  half.AddInteger(1);
  EXPECT_THROW(half.Finish(), EDatabaseError);
}

}  // namespace

namespace {

// A packet object crosses a connection by value and arrives as a packet
// object again; records read from packets can be edited and added to.
TEST(DataPacket, PacketObjectsTravelByValueAndLoadedRecordsStayEditable) {
  TDataPacketWriter w;
  w.AddColumn("ID", ftInteger);
  w.AddColumn("NAME", ftString, 12, "Name");
  w.AddColumn("AMOUNT", ftBCD);
  const int rows = 50000;  // over a megabyte: the large-block path
  for (int i = 0; i < rows; ++i) {
    w.AddInteger(i);
    if (i % 7) w.AddString("name " + std::to_string(i)); else w.AddNull();
    w.AddCurrency(Currency::FromScaled(i * 100));
  }
  Variant object = w.FinishObject();
  EXPECT_EQ(OleGet(object, "RecordCount").AsInteger(), rows);
  const std::string bytes(VariantBytes(OleCall(object, "Bytes")));

  Variant arrived = DecodeVariant(EncodeVariant(object));
  auto* packet = dynamic_cast<TDataPacketObject*>(arrived.AsDispatch());
  ASSERT_NE(packet, nullptr);
  EXPECT_EQ(packet->Store().RowCount(), static_cast<uint32_t>(rows));
  EXPECT_EQ(packet->Columns()[1].DisplayLabel, "Name");

  TClientDataSet ds(nullptr);
  ds.SetData(BytesToVariant(bytes));
  EXPECT_EQ(ds.RecordCount(), rows);
  ds.Last();
  EXPECT_EQ(ds.FieldByName("NAME")->AsString(), "name 49999");
  ds.Edit();
  ds.FieldByName("NAME")->SetAsString("a much longer name than before");
  ds.Post();
  ds.AppendRecord({rows, "appended", 1.5});
  ds.SetRecNo(8);
  EXPECT_TRUE(ds.FieldByName("NAME")->IsNull());
  ds.Edit();
  ds.FieldByName("NAME")->SetAsString("was null");
  ds.Post();
  EXPECT_TRUE(ds.Locate("NAME", "a much longer name than before"));
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), rows - 1);
  EXPECT_TRUE(ds.Locate("NAME", "appended"));
  EXPECT_EQ(ds.FieldByName("AMOUNT")->AsFloat(), 1.5);
  EXPECT_TRUE(ds.Locate("NAME", "was null"));
  EXPECT_EQ(ds.RecNo(), 8);

  // By-value objects of an unknown kind, or with a broken packet, are refused.
  TWireWriter unknown;
  unknown.U16(varDispatch);
  unknown.U32(0xFFFFFFFF);
  unknown.U32(77);
  unknown.U64(0);
  EXPECT_THROW(DecodeVariant(unknown.Buffer().View()), EMarshalError);
  std::string broken = EncodeVariant(object);
  broken.resize(broken.size() - 3);
  EXPECT_THROW(DecodeVariant(broken), EMarshalError);  // shorter than announced
  std::string lying = EncodeVariant(object);
  lying[30] ^= 0x55;  // inside the packet: the record count
  EXPECT_THROW(DecodeVariant(lying), EDatabaseError);
}

}  // namespace
