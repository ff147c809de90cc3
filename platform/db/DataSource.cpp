#include "platform/db/DataSource.h"

#include <algorithm>

#include "platform/vcl/Publisher.h"

KW_DEFINE_EVENT_TYPEINFO(TDataChangeEvent)
KW_REGISTER_CLASS(TDataSource)

void TDataSource::PublishMembers(TPublisher<TDataSource>& P) {
  P.Property("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
  P.Property("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled).Default(true);
  P.Property("OnDataChange", &TDataSource::OnDataChange, &TDataSource::OnDataChange);
  P.Property("OnStateChange", &TDataSource::OnStateChange, &TDataSource::OnStateChange);
  P.Property("OnUpdateData", &TDataSource::OnUpdateData, &TDataSource::OnUpdateData);
}

// ---- TDataLink ------------------------------------------------------------------

TDataLink::~TDataLink() { SetDataSource(nullptr); }

void TDataLink::SetDataSource(TDataSource* Value) {
  if (Value == FDataSource) return;
  if (FDataSource) {
    auto& links = FDataSource->FLinks;
    links.erase(std::remove(links.begin(), links.end(), this), links.end());
  }
  FDataSource = Value;
  if (FDataSource) FDataSource->FLinks.push_back(this);
  ActiveChanged();
}

TDataSet* TDataLink::DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

bool TDataLink::Active() const {
  TDataSet* ds = DataSet();
  return ds && ds->Active();
}

// ---- TDataSource ------------------------------------------------------------------

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
  Destroying();
  SetDataSet(nullptr);
  for (TDataLink* link : FLinks) link->FDataSource = nullptr;
  FLinks.clear();
}

void TDataSource::SetDataSet(TDataSet* Value) {
  if (Value == FDataSet) return;
  if (FDataSet) {
    auto& sources = FDataSet->FDataSources;
    sources.erase(std::remove(sources.begin(), sources.end(), this), sources.end());
    RemoveFreeNotification(FDataSet);
  }
  FDataSet = Value;
  if (FDataSet) {
    FDataSet->FDataSources.push_back(this);
    FreeNotification(FDataSet);
  }
  if (ComponentState().Contains(csDestroying)) return;
  std::vector<TDataLink*> links = FLinks;
  for (TDataLink* link : links) link->ActiveChanged();
}

void TDataSource::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  std::vector<TDataLink*> links = FLinks;
  for (TDataLink* link : links) link->ActiveChanged();
}

TDataSetState TDataSource::State() const { return FDataSet && FEnabled ? FDataSet->State() : dsInactive; }

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSet) {
    FDataSet = nullptr;
    std::vector<TDataLink*> links = FLinks;
    for (TDataLink* link : links) link->ActiveChanged();
  }
}

void TDataSource::DataEvent(TDataEvent Event, TField* Field) {
  if (!FEnabled) return;
  std::vector<TDataLink*> links = FLinks;
  switch (Event) {
    case deUpdateState:
      for (TDataLink* link : links) {
        link->ActiveChanged();
        link->EditingChanged();
      }
      OnStateChange(this);
      return;
    case deUpdateRecord:
      for (TDataLink* link : links) link->UpdateData();
      OnUpdateData(this);
      return;
    case deCheckBrowseMode:
      return;
    case deFieldChange:
    case deRecordChange:
      for (TDataLink* link : links) link->RecordChanged(Field);
      break;
    case deDataSetScroll:
      for (TDataLink* link : links) link->DataSetScrolled();
      break;
    default:
      for (TDataLink* link : links) link->DataSetChanged();
      break;
  }
  OnDataChange(this, Event == deFieldChange ? Field : nullptr);
}
