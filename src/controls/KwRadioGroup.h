#pragma once
// A radio group built from self-painting radio buttons: one TKwGroupButton
// per item, arranged in columns inside the group's frame.

#include <memory>
#include <vector>

#include "platform/vcl/StdCtrls.h"
#include "src/controls/KwRadioButton.h"

class TKwRadioGroup;

// A button of a TKwRadioGroup; made and freed only by the group.
class TKwGroupButton : public TKwRadioButton {
  KW_DECLARE_CLASS(TKwGroupButton, TKwRadioButton)
 public:
  TKwGroupButton(TKwRadioGroup* Group);
  ~TKwGroupButton() override;
  TKwRadioGroup* Group() const { return FGroup; }
  // A click on the window: handled once at a time and only when the group
  // allows changes; an error goes to the application's error handler.
  void ButtonClicked() override;

 protected:
  void KeyDown(unsigned short& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;

 private:
  TKwRadioGroup* FGroup;
  bool FInClick = false;
};

class TKwRadioGroup : public TCustomGroupBox, private TListControlItems::TListener {
  KW_DECLARE_CLASS(TKwRadioGroup, TCustomGroupBox)
 public:
  static void PublishMembers(TPublisher<TKwRadioGroup>& P);
  explicit TKwRadioGroup(TComponent* AOwner);
  ~TKwRadioGroup() override;

  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value);
  // Limited to -1 .. button count - 1; selecting a button clicks the group.
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int Value);
  // Limited to 1 .. 16.
  int Columns() const { return FColumns; }
  void SetColumns(int Value);

  int ButtonCount() const { return static_cast<int>(FButtons.size()); }
  TKwGroupButton* Buttons(int Index) const { return FButtons.at(static_cast<size_t>(Index)); }
  // Whether a person may change the choice (a data-aware group asks its field).
  virtual bool CanModify() const { return true; }

  // Places the buttons in columns, below the caption line.
  void ArrangeButtons();
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetEnabled(bool Value) override;
  // The buttons belong to the group: a description holds the items only.
  void GetChildren(std::vector<TComponent*>& Children, const TComponent* Root) const override;

 protected:
  void Loaded() override;
  void CMFontChanged(TMessage& Message);
  void KeyDown(unsigned short& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  static const TMessageTable& StaticMessageTable();
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); }

 private:
  friend class TKwGroupButton;
  void ItemInserted(int) override { ItemsChange(); }
  void ItemDeleted(int) override { ItemsChange(); }
  void ItemsCleared() override { ItemsChange(); }
  void ItemsChanged() override { ItemsChange(); }
  void ItemsChange();
  void UpdateButtons();
  void SetButtonCount(int Value);
  static void ButtonClick(void* Data, TObject* Sender);

  std::unique_ptr<TListControlItems> FItems;
  std::vector<TKwGroupButton*> FButtons;
  int FItemIndex = -1;
  int FColumns = 1;
  bool FUpdating = false;
};
