#pragma once
// Tab sets: a row of tabs named by a string list, one of them selected.

#include <memory>

#include "platform/vcl/StdCtrls.h"

// Whether the selection may move to NewTab.
using TTabChangeEvent = TEvent<TObject*, int, bool&>;
KW_DECLARE_TYPEINFO(TTabChangeEvent)

class TTabSet : public TWinControl, private TListControlItems::TListener {
  KW_DECLARE_CLASS(TTabSet, TWinControl)
 public:
  static void PublishMembers(TPublisher<TTabSet>& P);
  explicit TTabSet(TComponent* AOwner);
  ~TTabSet() override;

  TStrings* Tabs() const { return FTabs.get(); }
  void SetTabs(TStrings* Value);
  // Selecting a tab (from code too) asks OnChange first, which may refuse;
  // OnClick follows a change. -1 selects none; other values outside the
  // tabs are ignored.
  int TabIndex() const { return FTabIndex; }
  void SetTabIndex(int Value);
  // Moves to the next (or previous) tab, wrapping around.
  void SelectNext(bool GoForward);
  int FirstIndex() const { return FFirstIndex; }
  void SetFirstIndex(int Value);

  TTabChangeEvent OnChange;

 protected:
  void Loaded() override;

 private:
  void ItemInserted(int Index) override;
  void ItemDeleted(int Index) override;
  void ItemsCleared() override;
  void ItemsChanged() override;
  std::unique_ptr<TListControlItems> FTabs;
  int FTabIndex = -1;
  int FFirstIndex = 0;
};
