#include "platform/vcl/Tabs.h"

#include <algorithm>

#include "platform/vcl/StdCtrlsPublish.h"

using namespace kw_stdctrls;

KW_DEFINE_EVENT_TYPEINFO(TTabChangeEvent)
KW_REGISTER_CLASS(TTabSet)

void TTabSet::PublishMembers(TPublisher<TTabSet>& P) {
  PublishVisual(P, clBtnFace);
  PublishWinControl(P, false);
  P.Property("Tabs", &TTabSet::Tabs, &TTabSet::SetTabs);
  P.Property("TabIndex", &TTabSet::TabIndex, &TTabSet::SetTabIndex).Default(-1);
  P.Property("OnChange", &TTabSet::OnChange, &TTabSet::OnChange);
}

TTabSet::TTabSet(TComponent* AOwner) : TWinControl(AOwner) {
  FTabs = std::make_unique<TListControlItems>(static_cast<TListControlItems::TListener&>(*this));
  SetBounds(0, 0, 185, 21);
}

TTabSet::~TTabSet() = default;

void TTabSet::SetTabs(TStrings* Value) {
  if (Value) FTabs->Assign(Value);
}

void TTabSet::SetTabIndex(int Value) {
  if (ComponentState().Contains(csLoading)) {
    // The tabs may be read after the index.
    FTabIndex = Value;
    return;
  }
  if (Value == FTabIndex || Value < -1 || Value >= FTabs->Count()) return;
  bool allow = true;
  if (Value >= 0) OnChange(this, Value, allow);
  if (!allow) return;
  FTabIndex = Value;
  if (FTabIndex >= 0 && FTabIndex < FFirstIndex) FFirstIndex = FTabIndex;
  Click();
}

void TTabSet::SelectNext(bool GoForward) {
  int n = FTabs->Count();
  if (n == 0) return;
  int i = FTabIndex < 0 ? (GoForward ? 0 : n - 1) : (FTabIndex + (GoForward ? 1 : n - 1)) % n;
  SetTabIndex(i);
}

void TTabSet::SetFirstIndex(int Value) {
  if (Value >= 0 && Value < FTabs->Count()) FFirstIndex = Value;
}

void TTabSet::Loaded() {
  TWinControl::Loaded();
  if (FTabIndex >= FTabs->Count()) FTabIndex = -1;
}

void TTabSet::ItemInserted(int Index) {
  if (ComponentState().Contains(csLoading)) return;
  if (FTabIndex >= 0 && Index <= FTabIndex) ++FTabIndex;
}
void TTabSet::ItemDeleted(int Index) {
  if (ComponentState().Contains(csLoading)) return;
  if (Index == FTabIndex)
    FTabIndex = -1;
  else if (Index < FTabIndex)
    --FTabIndex;
  if (FFirstIndex >= FTabs->Count()) FFirstIndex = std::max(0, FTabs->Count() - 1);
}
void TTabSet::ItemsCleared() {
  if (!ComponentState().Contains(csLoading)) FTabIndex = -1;
  FFirstIndex = 0;
}
void TTabSet::ItemsChanged() {
  if (!ComponentState().Contains(csLoading) && FTabIndex >= FTabs->Count()) FTabIndex = -1;
}
