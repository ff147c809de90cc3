#pragma once
// TDataSource connects a data set to what shows its data: it passes the data
// set's notifications on to its data links (data-aware controls, report
// texts) and to its own events, unless the data source is disabled or the
// data set's controls are disabled.

#include <vector>

#include "platform/db/DataSet.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Events.h"

class TDataSource;

using TDataChangeEvent = TEvent<TObject*, TField*>;
KW_DECLARE_TYPEINFO(TDataChangeEvent)

// What a data-aware object overrides to hear of its data source's data set.
class TDataLink {
 public:
  TDataLink() = default;
  virtual ~TDataLink();
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;

  TDataSource* DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* Value);
  TDataSet* DataSet() const;
  // The data set is open.
  bool Active() const;

 protected:
  friend class TDataSource;
  virtual void ActiveChanged() {}
  // Records were added, removed, re-sorted or re-read.
  virtual void DataSetChanged() {}
  virtual void DataSetScrolled() { DataSetChanged(); }
  // The current record's values changed (Field, or all when nullptr).
  virtual void RecordChanged(TField* Field) {}
  virtual void EditingChanged() {}
  // Asked to write pending control values into the record before a post.
  virtual void UpdateData() {}

 private:
  TDataSource* FDataSource = nullptr;
};

class TDataSource : public TComponent {
  KW_DECLARE_CLASS(TDataSource, TComponent)
 public:
  static void PublishMembers(TPublisher<TDataSource>& P);
  explicit TDataSource(TComponent* AOwner);
  ~TDataSource() override;

  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // The data set's state, or dsInactive without one.
  TDataSetState State() const;

  // Fired for record and data set changes and scrolling; Field is the
  // changed field for field changes, nullptr otherwise.
  TDataChangeEvent OnDataChange;
  TNotifyEvent OnStateChange;
  TNotifyEvent OnUpdateData;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TDataSet;
  friend class TDataLink;
  // From the data set.
  void DataEvent(TDataEvent Event, TField* Field);

  TDataSet* FDataSet = nullptr;
  bool FEnabled = true;
  std::vector<TDataLink*> FLinks;
};
