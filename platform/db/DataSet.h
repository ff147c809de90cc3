#pragma once
// TDataSet: records held in memory with a cursor over them, the base of the
// client data set. It keeps the rows in a column store (RecordStore.h) and a
// view order over them (the order of an index, without deleted rows), and
// offers the run-time's navigation (First/Next/Prior/Last, Eof/Bof, RecNo,
// RecordCount), searching (Locate, Lookup), sorted views (IndexFieldNames,
// IndexName), editing with a local change log (Edit/Insert/Append, Post,
// Cancel, Delete, ChangeCount, CancelUpdates), events, and the notifications
// that data sources pass on to controls (DisableControls/EnableControls).
//
// Descendants say where the rows come from by overriding InternalOpen.

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/db/DBTypes.h"
#include "platform/db/DataPacket.h"
#include "platform/db/Fields.h"
#include "platform/db/RecordStore.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Events.h"

class TDataSource;
class TDataSet;

using TDataSetNotifyEvent = TEvent<TDataSet*>;
KW_DECLARE_TYPEINFO(TDataSetNotifyEvent)

// What a data set tells its data sources.
enum TDataEvent {
  deFieldChange,
  deRecordChange,
  deDataSetChange,
  deDataSetScroll,
  deLayoutChange,
  deUpdateRecord,
  deUpdateState,
  deCheckBrowseMode,
};

class TDataSet : public TComponent {
  KW_DECLARE_CLASS(TDataSet, TComponent)
 public:
  static void PublishMembers(TPublisher<TDataSet>& P);
  explicit TDataSet(TComponent* AOwner);
  ~TDataSet() override;

  // ---- Opening and closing --------------------------------------------------
  bool Active() const { return FState != dsInactive; }
  // While the data set is being read from a form description, opening waits
  // until loading ends.
  void SetActive(bool Value);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  TDataSetState State() const { return FState; }

  // ---- Fields -------------------------------------------------------------------
  TFields& Fields() { return FFields; }
  const TFields& Fields() const { return FFields; }
  int FieldCount() const { return FFields.Count(); }
  TField* FindField(const AnsiString& Name) const { return FFields.FindField(Name); }
  // Raises EDatabaseError "<name>: Field 'X' not found".
  TField* FieldByName(const AnsiString& Name) const { return FFields.FieldByName(Name); }
  // Several fields separated by ";" (blanks around names ignored).
  std::vector<TField*> GetFieldList(const AnsiString& FieldNames) const;
  TFieldDefs& FieldDefs() { return *FFieldDefs; }
  // The value of one field, or (for "A;B") an array of the values.
  Variant FieldValues(const AnsiString& FieldNames) const;
  void SetFieldValues(const AnsiString& FieldName, const Variant& Value);

  // ---- Navigation -------------------------------------------------------------------
  void First();
  void Last();
  void Next();
  void Prior();
  // Moves by Distance records; returns how many it moved (negative backwards).
  int MoveBy(int Distance);
  bool Eof() const { return FEof; }
  bool Bof() const { return FBof; }
  bool IsEmpty() const;
  int RecordCount() const;
  // The current record's position in the view, from 1; 0 when there is none.
  int RecNo() const;
  // Moves to that position; positions outside 1..RecordCount are ignored.
  void SetRecNo(int Value);
  // A bookmark names a record whatever the order: its row number.
  int64_t Bookmark() const;
  bool BookmarkValid(int64_t Value) const;
  // Raises EDatabaseError "Record not found" for a record no longer in the view.
  void GotoBookmark(int64_t Value);

  // ---- Searching ------------------------------------------------------------------------
  // Finds the first record (in view order) whose KeyFields ("A;B") equal
  // KeyValues (a value, or an array with one value per field) and makes it
  // current. loCaseInsensitive compares texts ignoring case; loPartialKey
  // lets a text key match the start of the value.
  bool Locate(const AnsiString& KeyFields, const Variant& KeyValues, TLocateOptions Options = {});
  // The ResultFields of the record Locate would find, without moving; Null
  // when there is none.
  Variant Lookup(const AnsiString& KeyFields, const Variant& KeyValues, const AnsiString& ResultFields);

  // ---- Sorted views -----------------------------------------------------------------------
  // The fields the view is sorted by ("A;B"), ascending and case-sensitive;
  // empty for the order the records arrived in. Setting it clears IndexName.
  const AnsiString& IndexFieldNames() const { return FIndexFieldNames; }
  void SetIndexFieldNames(const AnsiString& Value);
  // An index of IndexDefs by name (its options apply); setting it clears
  // IndexFieldNames. Raises EDatabaseError "Index 'X' not found".
  const AnsiString& IndexName() const { return FIndexName; }
  void SetIndexName(const AnsiString& Value);
  TIndexDefs& IndexDefs() { return *FIndexDefs; }
  // Adds an index definition (as the run-time's AddIndex does).
  void AddIndex(const AnsiString& Name, const AnsiString& Fields, TIndexOptions Options = {});

  // ---- Editing -------------------------------------------------------------------------------
  // A read-only data set refuses Edit, Insert, Append and Delete with
  // "Cannot modify a read-only dataset"; setting it cancels a pending edit.
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  // Whether records may be changed: open and not read-only.
  bool CanModify() const { return Active() && !FReadOnly; }
  void Edit();
  void Insert();
  void Append();
  // Writes the edited record; raises "Field 'X' must have a value" for an
  // empty required field and stays in the edit state then.
  void Post();
  void Cancel();
  void Delete();
  // Appends (or inserts at the cursor) a record with the values in field
  // order and posts it.
  void AppendRecord(const std::vector<Variant>& Values);
  void InsertRecord(const std::vector<Variant>& Values);
  // Whether a field of the edited record changed.
  bool Modified() const { return FModified; }
  // Posts when editing (the run-time does this before it moves).
  void CheckBrowseMode();
  // Raises EDatabaseError "Cannot perform this operation on a closed dataset".
  void CheckActive() const;

  // Change log: records posted, inserted or deleted since the data was
  // fetched or the log was last merged.
  int ChangeCount() const;
  TUpdateStatus UpdateStatus() const;
  // Undoes every logged change.
  void CancelUpdates();
  // Keeps the changes as the data's own and empties the log.
  void MergeChangeLog();
  // Removes every record (the fields stay).
  void EmptyDataSet();

  // ---- Controls -------------------------------------------------------------------------------
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return FDisableCount > 0; }

  // Bytes held by the records, for memory figures.
  size_t MemoryUsed() const;

  // ---- Events ------------------------------------------------------------------------------------
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeScroll, AfterScroll;
  TDataSetNotifyEvent BeforeEdit, AfterEdit, BeforeInsert, AfterInsert;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, OnNewRecord;

 protected:
  // Fills the columns and the store when the data set opens: a descendant
  // calls LoadPacket or DefineColumns (and adds rows itself).
  virtual void InternalOpen() = 0;
  virtual void InternalClose() {}
  // Loads a data packet as the data set's records (Open calls this from
  // InternalOpen).
  void LoadPacket(std::string_view Packet);
  // Takes columns and records already decoded.
  void LoadColumns(std::vector<TPacketColumn> Columns, TRecordStore Store);
  // The records in view order as a data packet (deleted records left out,
  // edits included).
  std::string SavePacket() const;
  const std::vector<TPacketColumn>& Columns() const { return FColumns; }
  // Fields declared in form descriptions (or in code) for this data set.
  const std::vector<TField*>& PersistentFields() const { return FPersistent; }

  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void GetChildren(std::vector<TComponent*>& Children, const TComponent* Root) const override;

 private:
  friend class TField;
  friend class TDataSource;

  struct TBufferValue {
    bool Null = true;
    int64_t Int = 0;
    double Float = 0;
    AnsiString Text;
  };
  struct TLogEntry {
    TUpdateStatus Status = usModified;
    std::vector<TBufferValue> Original;  // modified and deleted rows: the values as fetched
  };

  TFieldDefs* FieldDefsPtr() const;
  TIndexDefs* IndexDefsPtr() const;

  void DoOpen();
  void DoClose();
  void CreateFields();
  void BindFields();
  void DestroyDynamicFields();
  void AddPersistentField(TField* Field);
  void RemovePersistentField(TField* Field);

  // The current row (physical), or -1 when there is none.
  int64_t CurrentRow() const;
  TFieldCell ReadCell(const TField& Field) const;
  void WriteCell(TField& Field, const TFieldCell& Value);
  TFieldCell StoreCell(uint32_t Row, int Column) const;
  void LoadBuffer(int64_t Row);
  void WriteBufferToRow(uint32_t Row);
  void CheckEditing(const TField& Field) const;
  void SetState(TDataSetState Value);

  void Rebuild(bool KeepCurrent);
  std::vector<int> IndexColumns(bool& Descending, bool& CaseInsensitive) const;
  void Reposition(uint32_t Row);
  // Makes Position current with the scroll events and the given ends.
  void MoveTo(int64_t Position, bool Bof = false, bool Eof = false);
  // Sorts the view by field names or by an index (one of them empty).
  void ChangeOrder(const AnsiString& FieldNames, const AnsiString& IndexName);
  void DataEvent(TDataEvent Event, TField* Field = nullptr);
  void Fire(const TDataSetNotifyEvent& Event) { Event(this); }
  int64_t FindRecord(const AnsiString& KeyFields, const Variant& KeyValues, TLocateOptions Options) const;
  void RecordOriginal(uint32_t Row);

  TDataSetState FState = dsInactive;
  TFields FFields;
  std::vector<TField*> FPersistent;  // persistent fields that name this data set
  std::unique_ptr<TFieldDefs> FFieldDefs;
  std::unique_ptr<TIndexDefs> FIndexDefs;
  std::vector<TPacketColumn> FColumns;
  TRecordStore FStore;
  // View order: row numbers of the store in index order, deleted rows left out.
  std::vector<uint32_t> FOrder;
  std::vector<bool> FRemoved;  // rows deleted from the view; empty while none are
  int64_t FCursor = -1;  // position in the view
  bool FBof = true;
  bool FEof = true;
  AnsiString FIndexFieldNames;
  AnsiString FIndexName;

  // The record being edited or inserted.
  std::vector<TBufferValue> FBuffer;
  bool FModified = false;
  bool FReadOnly = false;
  void CheckCanModify() const;
  int64_t FInsertPosition = -1;  // view position the new record goes to (-1: end)

  // Change log: every row posted, inserted or deleted since the data
  // arrived, with the values it arrived with.
  std::unordered_map<uint32_t, TLogEntry> FOriginals;

  int FDisableCount = 0;
  bool FPendingChange = false;
  bool FStreamedActive = false;
  std::vector<TDataSource*> FDataSources;
};
