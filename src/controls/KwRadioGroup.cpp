#include "src/controls/KwRadioGroup.h"

#include <algorithm>

#include "platform/vcl/Application.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/StdCtrlsPublish.h"

using namespace kw_stdctrls;

KW_REGISTER_CLASS(TKwGroupButton)
KW_REGISTER_CLASS(TKwRadioGroup)

// ---- TKwGroupButton ----------------------------------------------------------------

TKwGroupButton::TKwGroupButton(TKwRadioGroup* Group) : TKwRadioButton(Group), FGroup(Group) {
  Group->FButtons.push_back(this);
  SetVisible(false);
  SetEnabled(Group->Enabled());
  SetParentShowHint(false);
  OnClick = TNotifyEvent(&TKwRadioGroup::ButtonClick, Group);
  SetParent(Group);
}

TKwGroupButton::~TKwGroupButton() {
  auto& list = FGroup->FButtons;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TKwGroupButton::ButtonClicked() {
  if (FInClick) return;
  FInClick = true;
  try {
    if (FGroup->CanModify()) TKwRadioButton::ButtonClicked();
  } catch (...) {
    Application->HandleException(this);
  }
  FInClick = false;
}

void TKwGroupButton::KeyDown(unsigned short& Key, TShiftState Shift) {
  TKwRadioButton::KeyDown(Key, Shift);
  if (Key) FGroup->KeyDown(Key, Shift);
}

void TKwGroupButton::KeyPress(char& Key) {
  TKwRadioButton::KeyPress(Key);
  FGroup->KeyPress(Key);
  if ((Key == '\b' || Key == ' ') && !FGroup->CanModify()) Key = 0;
}

// ---- TKwRadioGroup -----------------------------------------------------------------

void TKwRadioGroup::PublishMembers(TPublisher<TKwRadioGroup>& P) {
  PublishVisual(P, clBtnFace);
  PublishWinControl(P, true);
  PublishCaption(P);
  P.Property("Columns", &TKwRadioGroup::Columns, &TKwRadioGroup::SetColumns).Default(1);
  P.Property("Items", &TKwRadioGroup::Items, &TKwRadioGroup::SetItems);
  P.Property("ItemIndex", &TKwRadioGroup::ItemIndex, &TKwRadioGroup::SetItemIndex).Default(-1);
}

const TMessageTable& TKwRadioGroup::StaticMessageTable() {
  using ThisClass = TKwRadioGroup;
  static const TMessageTable table(&TCustomGroupBox::StaticMessageTable(),
                                   {
                                       KW_ON_MESSAGE(CM_FONTCHANGED, CMFontChanged),
                                   });
  return table;
}

TKwRadioGroup::TKwRadioGroup(TComponent* AOwner) : TCustomGroupBox(AOwner) {
  FItems = std::make_unique<TListControlItems>(static_cast<TListControlItems::TListener&>(*this));
  SetBounds(Left(), Top(), 185, 105);
}

TKwRadioGroup::~TKwRadioGroup() {
  // The buttons are owned (and freed) by the group; they must not report
  // to a list that is going away.
  Destroying();
  SetButtonCount(0);
}

void TKwRadioGroup::SetItems(TStrings* Value) {
  if (Value) FItems->Assign(Value);
}

void TKwRadioGroup::ItemsChange() {
  if (ComponentState().Contains(csLoading)) return;
  if (FItemIndex >= FItems->Count()) FItemIndex = FItems->Count() - 1;
  UpdateButtons();
}

void TKwRadioGroup::SetButtonCount(int Value) {
  while (ButtonCount() < Value) NewComponent<TKwGroupButton>(this);
  while (ButtonCount() > Value) delete FButtons.back();
}

void TKwRadioGroup::UpdateButtons() {
  SetButtonCount(FItems->Count());
  for (int i = 0; i < ButtonCount(); ++i) FButtons[static_cast<size_t>(i)]->SetCaption(FItems->Strings(i));
  if (FItemIndex >= 0) {
    FUpdating = true;
    FButtons[static_cast<size_t>(FItemIndex)]->SetChecked(true);
    FUpdating = false;
  }
  ArrangeButtons();
}

void TKwRadioGroup::SetItemIndex(int Value) {
  if (ComponentState().Contains(csLoading)) {
    FItemIndex = Value;
    return;
  }
  Value = std::clamp(Value, -1, ButtonCount() - 1);
  if (Value == FItemIndex) return;
  if (FItemIndex >= 0 && FItemIndex < ButtonCount()) FButtons[static_cast<size_t>(FItemIndex)]->SetChecked(false);
  FItemIndex = Value;
  if (FItemIndex >= 0) FButtons[static_cast<size_t>(FItemIndex)]->SetChecked(true);
}

void TKwRadioGroup::SetColumns(int Value) {
  Value = std::clamp(Value, 1, 16);
  if (Value == FColumns) return;
  FColumns = Value;
  ArrangeButtons();
}

void TKwRadioGroup::ButtonClick(void* Data, TObject* Sender) {
  auto* group = static_cast<TKwRadioGroup*>(Data);
  if (group->FUpdating) return;
  auto it = std::find(group->FButtons.begin(), group->FButtons.end(), Sender);
  if (it == group->FButtons.end()) return;
  group->FItemIndex = static_cast<int>(it - group->FButtons.begin());
  group->Click();
}

void TKwRadioGroup::ArrangeButtons() {
  if (FButtons.empty() || ComponentState().Contains(csLoading)) return;
  // The caption line's height, as the screen measures the group's font.
  const int h = MeasureText(*Font(), "0").Height;
  const int n = ButtonCount();
  const int perColumn = (n + FColumns - 1) / FColumns;
  const int width = (Width() - 10) / FColumns;
  const int rest = Height() - h - 5;
  const int height = rest / perColumn;
  const int topMargin = h + 1 + (rest % perColumn) / 2;
  for (int i = 0; i < n; ++i) {
    TKwGroupButton* b = FButtons[static_cast<size_t>(i)];
    b->SetBounds((i / perColumn) * width + 8, (i % perColumn) * height + topMargin, width, height);
    b->SetVisible(true);
  }
}

void TKwRadioGroup::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  bool resized = AWidth != Width() || AHeight != Height();
  TCustomGroupBox::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (resized) ArrangeButtons();
}

void TKwRadioGroup::SetEnabled(bool Value) {
  TCustomGroupBox::SetEnabled(Value);
  for (TKwGroupButton* b : FButtons) b->SetEnabled(Value);
}

void TKwRadioGroup::GetChildren(std::vector<TComponent*>&, const TComponent*) const {}

void TKwRadioGroup::Loaded() {
  TCustomGroupBox::Loaded();
  ItemsChange();
}

void TKwRadioGroup::CMFontChanged(TMessage& Message) {
  DispatchFrom(&TCustomGroupBox::StaticMessageTable(), Message);
  ArrangeButtons();
}

void TKwRadioGroup::KeyDown(unsigned short& Key, TShiftState Shift) { TCustomGroupBox::KeyDown(Key, Shift); }

void TKwRadioGroup::KeyPress(char& Key) { TCustomGroupBox::KeyPress(Key); }
