#include "platform/vcl/ComCtrls.h"

#include <algorithm>
#include <climits>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Numbers.h"
#include "platform/vcl/FormText.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/StdCtrlsPublish.h"

using namespace kw_stdctrls;

KW_DEFINE_ENUM_TYPEINFO(TTabPosition, "tpTop", "tpBottom", "tpLeft", "tpRight")
KW_DEFINE_ENUM_TYPEINFO(TTabStyle, "tsTabs", "tsButtons", "tsFlatButtons")
KW_DEFINE_ENUM_TYPEINFO(TViewStyle, "vsIcon", "vsSmallIcon", "vsList", "vsReport")
KW_DEFINE_ENUM_TYPEINFO(TStatusPanelStyle, "psText", "psOwnerDraw")
KW_DEFINE_ENUM_TYPEINFO(TStatusPanelBevel, "pbNone", "pbLowered", "pbRaised")
KW_DEFINE_ENUM_TYPEINFO(TToolButtonStyle, "tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider")
KW_DEFINE_EVENT_TYPEINFO(TLVEditingEvent)
KW_DEFINE_EVENT_TYPEINFO(TLVEditedEvent)
KW_DEFINE_EVENT_TYPEINFO(TLVSelectItemEvent)
KW_DEFINE_EVENT_TYPEINFO(TLVColumnClickEvent)
KW_DEFINE_EVENT_TYPEINFO(TLVDeletedEvent)
KW_DEFINE_ENUM_TYPEINFO(TCustomDrawStateFlag, "cdsSelected", "cdsGrayed", "cdsDisabled", "cdsChecked", "cdsFocused",
                        "cdsDefault", "cdsHot", "cdsMarked", "cdsIndeterminate")
KW_DEFINE_SET_TYPEINFO(TCustomDrawState, TCustomDrawStateFlag)
KW_DEFINE_EVENT_TYPEINFO(TLVCustomDrawItemEvent)
KW_DEFINE_EVENT_TYPEINFO(TTVChangedEvent)
KW_DEFINE_EVENT_TYPEINFO(TTVChangingEvent)

KW_REGISTER_CLASS(TTabSheet)
KW_REGISTER_CLASS(TPageControl)
KW_REGISTER_CLASS(TTabControl)
KW_REGISTER_CLASS(TListColumn)
KW_REGISTER_CLASS(TListColumns)
KW_REGISTER_CLASS(TListView)
KW_REGISTER_CLASS(TTreeView)
KW_REGISTER_CLASS(TStatusPanel)
KW_REGISTER_CLASS(TStatusPanels)
KW_REGISTER_CLASS(TStatusBar)
KW_REGISTER_CLASS(TToolButton)
KW_REGISTER_CLASS(TToolBar)
KW_REGISTER_CLASS(TSpinEdit)

namespace {

bool IsLoading(const TComponent* C) { return C->ComponentState().Contains(csLoading); }

[[noreturn]] void IndexError(int Index) {
  throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

// Keeps an image list reference and its free notification in step.
void SetImageRef(TComponent* Self, TCustomImageList*& Field, TCustomImageList* Value) {
  if (Field == Value) return;
  if (Field) Self->RemoveFreeNotification(Field);
  Field = Value;
  if (Value) Self->FreeNotification(Value);
}

}  // namespace

// ===========================================================================
// Tab sheets

void TTabSheet::PublishMembers(TPublisher<TTabSheet>& P) {
  PublishCaption(P);
  P.Property("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
  P.Property("Font", &TControl::Font, &TControl::SetFont);
  P.Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
  P.Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
  P.Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Default(false);
  P.Property("Highlighted", &TTabSheet::Highlighted, &TTabSheet::SetHighlighted).Default(false);
  P.Property("ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex).Default(-1);
  P.Property("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex).Stored(false);
  P.Property("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible).Default(true);
  P.Property("OnEnter", &TWinControl::OnEnter, &TWinControl::OnEnter);
  P.Property("OnExit", &TWinControl::OnExit, &TWinControl::OnExit);
  P.Property("OnHide", &TTabSheet::OnHide, &TTabSheet::OnHide);
  P.Property("OnShow", &TTabSheet::OnShow, &TTabSheet::OnShow);
}

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  FVisible = false;
  SetAlign(alClient);
}

TTabSheet::~TTabSheet() {
  if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::SetParent(TWinControl* AParent) {
  TPageControl* pc = ObjectAs<TPageControl>(AParent);
  if (FPageControl && FPageControl != pc) FPageControl->RemovePage(this);
  TWinControl::SetParent(AParent);
  if (pc && FPageControl != pc) pc->InsertPage(this);
}

void TTabSheet::SetPageControl(TPageControl* Value) { SetParent(Value); }

int TTabSheet::PageIndex() const {
  if (!FPageControl) return -1;
  auto& p = FPageControl->FPages;
  return static_cast<int>(std::find(p.begin(), p.end(), this) - p.begin());
}

void TTabSheet::SetPageIndex(int Value) {
  if (!FPageControl) return;
  auto& p = FPageControl->FPages;
  int cur = PageIndex();
  Value = std::clamp(Value, 0, static_cast<int>(p.size()) - 1);
  if (cur == Value) return;
  p.erase(p.begin() + cur);
  p.insert(p.begin() + Value, this);
}

int TTabSheet::TabIndex() const {
  if (!FPageControl || !FTabVisible) return -1;
  int n = 0;
  for (TTabSheet* s : FPageControl->FPages) {
    if (s == this) return n;
    if (s->FTabVisible) ++n;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool Value) {
  if (FTabVisible == Value) return;
  FTabVisible = Value;
  if (!Value && FPageControl && FPageControl->FActivePage == this && !IsLoading(this)) {
    TTabSheet* next = FPageControl->FindNextPage(this, true, true);
    FPageControl->SetActivePage(next == this ? nullptr : next);
  }
}

// ===========================================================================
// Page controls

void TPageControl::PublishMembers(TPublisher<TPageControl>& P) {
  PublishVisual(P, clBtnFace);
  PublishWinControl(P, true);
  P.Property("Images", &TPageControl::Images, &TPageControl::SetImages);
  P.Property("MultiLine", &TPageControl::MultiLine, &TPageControl::SetMultiLine).Default(false);
  P.Property("Style", &TPageControl::Style, &TPageControl::SetStyle).Default(tsTabs);
  P.Property("TabPosition", &TPageControl::TabPosition, &TPageControl::SetTabPosition).Default(tpTop);
  P.Property("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
  P.Property("OnChange", &TPageControl::OnChange, &TPageControl::OnChange);
  P.Property("OnChanging", &TPageControl::OnChanging, &TPageControl::OnChanging);
}

const TMessageTable& TPageControl::StaticMessageTable() {
  using ThisClass = TPageControl;
  static const TMessageTable table(&TWinControl::StaticMessageTable(),
                                   {
                                       KW_ON_MESSAGE(CM_DIALOGKEY, CMDialogKey),
                                   });
  return table;
}

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner) {
  SetTabStop(true);
  SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl() {
  for (TTabSheet* s : FPages) s->FPageControl = nullptr;
  FPages.clear();
}

TTabSheet* TPageControl::Pages(int Index) const {
  if (Index < 0 || Index >= PageCount()) IndexError(Index);
  return FPages[Index];
}

void TPageControl::InsertPage(TTabSheet* Page) {
  Page->FPageControl = this;
  FPages.push_back(Page);
  // A description names its active page; without one the first page shows.
  if (!FActivePage && !IsLoading(this)) SetActivePage(Page);
  UpdateVisibility();
}

void TPageControl::RemovePage(TTabSheet* Page) {
  auto it = std::find(FPages.begin(), FPages.end(), Page);
  if (it == FPages.end()) return;
  if (FActivePage == Page) {
    TTabSheet* next = FindNextPage(Page, true, true);
    FActivePage = (next == Page) ? nullptr : next;
  }
  FPages.erase(it);
  Page->FPageControl = nullptr;
  UpdateVisibility();
}

void TPageControl::UpdateVisibility() {
  for (TTabSheet* s : FPages) s->SetVisible(s == FActivePage);
}

void TPageControl::SetActivePage(TTabSheet* Page) {
  if (IsLoading(this)) {
    // The pages are read after the property: find it by name in Loaded.
    FActivePageName = Page ? Page->Name() : AnsiString();
    if (Page && Page->FPageControl == this) FActivePage = Page;
    return;
  }
  if (Page && Page->FPageControl != this) return;
  if (FActivePage == Page) return;
  TTabSheet* old = FActivePage;
  // Leaving a page that holds the focus moves the focus onto the new page.
  TCustomForm* form = GetParentForm(this);
  bool hadFocus = form && old && form->ActiveControl() && old->ContainsControl(form->ActiveControl());
  FActivePage = Page;
  UpdateVisibility();
  if (old) old->OnHide(old);
  if (Page) Page->OnShow(Page);
  if (hadFocus) {
    if (TWinControl* next = Page ? Page->FindNextControl(nullptr, true, true, false) : nullptr)
      form->SetActiveControl(next);
    else if (CanFocus())
      form->SetActiveControl(this);
  }
}

void TPageControl::Loaded() {
  TWinControl::Loaded();
  if (!FActivePageName.empty()) {
    for (TTabSheet* s : FPages)
      if (SameText(s->Name(), FActivePageName)) FActivePage = s;
    FActivePageName.clear();
  }
  if (!FActivePage && !FPages.empty()) FActivePage = FindNextPage(nullptr, true, true);
  UpdateVisibility();
}

int TPageControl::ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int Value) {
  SetActivePage(Value >= 0 && Value < PageCount() ? FPages[Value] : nullptr);
}

int TPageControl::TabIndex() const { return FActivePage ? FActivePage->TabIndex() : -1; }

int TPageControl::VisibleTabCount() const {
  return static_cast<int>(std::count_if(FPages.begin(), FPages.end(), [](TTabSheet* s) { return s->TabVisible(); }));
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) const {
  int n = PageCount();
  if (n == 0) return nullptr;
  int start = CurPage ? CurPage->PageIndex() : -1;
  if (start < 0) start = GoForward ? n - 1 : 0;
  int i = start;
  for (int k = 0; k < n; ++k) {
    i = GoForward ? (i + 1) % n : (i + n - 1) % n;
    if (!CheckTabVisible || FPages[i]->TabVisible()) return FPages[i];
  }
  return nullptr;
}

bool TPageControl::CanChange() {
  bool allow = true;
  OnChanging(this, allow);
  return allow;
}

void TPageControl::Change() { OnChange(this); }

bool TPageControl::ChangeTo(TTabSheet* Page) {
  if (!Page || Page == FActivePage) return false;
  if (!CanChange()) return false;
  SetActivePage(Page);
  Change();
  return true;
}

bool TPageControl::SelectTab(int Index) {
  for (TTabSheet* s : FPages)
    if (s->TabIndex() == Index) return ChangeTo(s);
  return false;
}

bool TPageControl::SelectNextPage(bool GoForward) {
  return ChangeTo(FindNextPage(FActivePage, GoForward, true));
}

void TPageControl::ShowControl(TControl* Control) {
  if (auto* sheet = ObjectAs<TTabSheet>(Control); sheet && sheet->FPageControl == this) {
    SetActivePage(sheet);
    TWinControl::ShowControl(this);
    return;
  }
  TWinControl::ShowControl(Control);
}

void TPageControl::SetImages(TCustomImageList* Value) { SetImageRef(this, FImages, Value); }

void TPageControl::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

void TPageControl::CMDialogKey(TMessage& Message) {
  // Ctrl+Tab turns the pages of the page control the focus is in.
  TCustomForm* form = GetParentForm(this);
  TShiftState shift = KeyDataToShiftState(Message.LParam);
  if (Message.WParam == VK_TAB && shift.Contains(ssCtrl) && form && form->ActiveControl() &&
      ContainsControl(form->ActiveControl())) {
    SelectNextPage(!shift.Contains(ssShift));
    Message.Result = 1;
    return;
  }
  DispatchFrom(&TWinControl::StaticMessageTable(), Message);
}

// ===========================================================================
// Tab controls

void TTabControl::PublishMembers(TPublisher<TTabControl>& P) {
  PublishVisual(P, clBtnFace);
  PublishWinControl(P, true);
  P.Property("TabPosition", &TTabControl::TabPosition, &TTabControl::SetTabPosition).Default(tpTop);
  P.Property("Tabs", &TTabControl::Tabs, &TTabControl::SetTabs);
  P.Property("TabIndex", &TTabControl::TabIndex, &TTabControl::SetTabIndex).Default(-1);
  P.Property("OnChange", &TTabControl::OnChange, &TTabControl::OnChange);
  P.Property("OnChanging", &TTabControl::OnChanging, &TTabControl::OnChanging);
}

const TMessageTable& TTabControl::StaticMessageTable() {
  using ThisClass = TTabControl;
  static const TMessageTable table(&TWinControl::StaticMessageTable(),
                                   {
                                       KW_ON_MESSAGE(CM_DIALOGKEY, CMDialogKey),
                                   });
  return table;
}

TTabControl::TTabControl(TComponent* AOwner) : TWinControl(AOwner) {
  FTabs = std::make_unique<TListControlItems>(static_cast<TListControlItems::TListener&>(*this));
  SetTabStop(true);
  SetBounds(0, 0, 289, 193);
}

TTabControl::~TTabControl() = default;

void TTabControl::SetTabs(TStrings* Value) {
  if (Value) FTabs->Assign(Value);
}

void TTabControl::SetTabIndex(int Value) {
  if (IsLoading(this)) {
    // The tabs may be read after the index.
    FTabIndex = Value;
    return;
  }
  if (Value < -1 || Value >= FTabs->Count()) Value = -1;
  FTabIndex = Value;
}

bool TTabControl::SelectTab(int Index) {
  if (Index < 0 || Index >= FTabs->Count() || Index == FTabIndex) return false;
  bool allow = true;
  OnChanging(this, allow);
  if (!allow) return false;
  FTabIndex = Index;
  OnChange(this);
  return true;
}

void TTabControl::CMDialogKey(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  TShiftState shift = KeyDataToShiftState(Message.LParam);
  int n = FTabs->Count();
  if (Message.WParam == VK_TAB && shift.Contains(ssCtrl) && n > 0 && form && form->ActiveControl() &&
      ContainsControl(form->ActiveControl())) {
    SelectTab(((FTabIndex < 0 ? 0 : FTabIndex) + (shift.Contains(ssShift) ? n - 1 : 1)) % n);
    Message.Result = 1;
    return;
  }
  DispatchFrom(&TWinControl::StaticMessageTable(), Message);
}

void TTabControl::Loaded() {
  TWinControl::Loaded();
  if (FTabIndex < -1 || FTabIndex >= FTabs->Count()) FTabIndex = -1;
}

void TTabControl::ItemInserted(int Index) {
  if (IsLoading(this)) return;
  if (FTabIndex >= 0 && Index <= FTabIndex) ++FTabIndex;
}
void TTabControl::ItemDeleted(int Index) {
  if (IsLoading(this)) return;
  if (Index == FTabIndex)
    FTabIndex = -1;
  else if (Index < FTabIndex)
    --FTabIndex;
}
void TTabControl::ItemsCleared() {
  if (!IsLoading(this)) FTabIndex = -1;
}
void TTabControl::ItemsChanged() {
  if (IsLoading(this)) return;
  if (FTabIndex >= FTabs->Count()) FTabIndex = -1;
}

// ===========================================================================
// List view columns and items

void TListColumn::PublishMembers(TPublisher<TListColumn>& P) {
  P.Property("Alignment", &TListColumn::Alignment, &TListColumn::SetAlignment).Default(taLeftJustify);
  P.Property("AutoSize", &TListColumn::AutoSize, &TListColumn::SetAutoSize).Default(false);
  P.Property("Caption", &TListColumn::Caption, &TListColumn::SetCaption);
  P.Property("ImageIndex", &TListColumn::ImageIndex, &TListColumn::SetImageIndex).Default(-1);
  P.Property("Width", &TListColumn::Width, &TListColumn::SetWidth).Default(50);
}

void TListColumn::SetCaption(const AnsiString& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  Changed(false);
}

void TListColumn::SetWidth(int Value) {
  if (FWidth == Value) return;
  FWidth = Value;
  Changed(false);
}

void TListColumn::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Changed(false);
}

AnsiString TListColumn::DisplayName() const {
  return FCaption.empty() ? TCollectionItem::DisplayName() : FCaption;
}

TListColumns::TListColumns(TCustomListView* Owner) : TCollection(Owner, ItemClassOf<TListColumn>()) {}

KW_REGISTER_CLASS(TListItem)
KW_REGISTER_CLASS(TListItems)

TListItem::TListItem(TListItems* Owner) : FOwner(Owner), FSubItems(std::make_unique<TStringList>()) {}

TListItem::~TListItem() = default;

TCustomListView* TListItem::ListView() const { return FOwner ? FOwner->Owner() : nullptr; }

int TListItem::Index() const { return FOwner ? FOwner->IndexOf(this) : -1; }

void TListItem::SetSubItems(TStrings* Value) {
  if (Value) FSubItems->Assign(Value);
}

void TListItem::SetSelected(bool Value) {
  if (FSelected == Value) return;
  FSelected = Value;
  if (TCustomListView* lv = ListView()) lv->ItemSelectionChanged(this, Value);
}

bool TListItem::Focused() const { return ListView() && ListView()->ItemFocused() == this; }

void TListItem::SetFocused(bool Value) {
  if (TCustomListView* lv = ListView()) {
    if (Value)
      lv->SetItemFocused(this);
    else if (lv->ItemFocused() == this)
      lv->SetItemFocused(nullptr);
  }
}

bool TListItem::EditCaption() { return ListView() && ListView()->BeginEdit(this); }

void TListItem::Delete() {
  if (FOwner) FOwner->Delete(Index());
}

void TListItem::Assign(const TPersistent* Source) {
  if (auto* s = ObjectAs<TListItem>(Source)) {
    FCaption = s->FCaption;
    FSubItems->Assign(s->FSubItems.get());
    FImageIndex = s->FImageIndex;
    FData = s->FData;
    FChecked = s->FChecked;
    return;
  }
  TPersistent::Assign(Source);
}

TListItems::~TListItems() {
  for (TListItem* i : FItems) {
    i->FOwner = nullptr;
    delete i;
  }
}

TListItem* TListItems::Item(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return FItems[Index];
}

TListItem* TListItems::Add() { return Insert(Count()); }

TListItem* TListItems::Insert(int Index) {
  if (Index < 0 || Index > Count()) IndexError(Index);
  auto* item = new TListItem(this);
  FItems.insert(FItems.begin() + Index, item);
  return item;
}

void TListItems::Delete(int Index) {
  TListItem* item = Item(Index);
  Remove(item);
  delete item;
}

void TListItems::Remove(TListItem* Item) {
  if (FOwner) FOwner->ItemRemoved(Item);
  FItems.erase(std::find(FItems.begin(), FItems.end(), Item));
  Item->FOwner = nullptr;
}

void TListItems::Clear() {
  while (!FItems.empty()) Delete(Count() - 1);
}

int TListItems::IndexOf(const TListItem* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TListItems::Assign(const TPersistent* Source) {
  if (auto* s = ObjectAs<TListItems>(Source)) {
    Clear();
    for (TListItem* i : s->FItems) Add()->Assign(i);
    return;
  }
  TPersistent::Assign(Source);
}

// The items of a list view in a form description: "Items.Data", a binary
// value laid out as the run-time lays it out (little-endian):
//   int32 size of the whole value, int32 number of items, then per item
//   int32 image index, int32 state index (2: checked, -1 otherwise),
//   int32 overlay index (-1), int32 number of sub-items, int32 data (0),
//   the caption and each sub-item as a short string (length byte, bytes).
// A text longer than 254 bytes is written with the length byte 255 and an
// int32 length before its bytes, so that no text is ever cut.
namespace {

void PutInt(AnsiString& Out, int32_t Value) {
  uint32_t v = static_cast<uint32_t>(Value);
  for (int i = 0; i < 4; ++i) Out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void PutText(AnsiString& Out, const AnsiString& Text) {
  if (Text.size() < 255) {
    Out += static_cast<char>(Text.size());
  } else {
    Out += static_cast<char>(255);
    PutInt(Out, static_cast<int32_t>(Text.size()));
  }
  Out += Text;
}

AnsiString ItemsData(const TListItems& Items) {
  AnsiString out;
  PutInt(out, 0);  // the size, filled in below
  PutInt(out, Items.Count());
  for (int i = 0; i < Items.Count(); ++i) {
    const TListItem* item = Items.Item(i);
    PutInt(out, item->ImageIndex());
    PutInt(out, item->Checked() ? 2 : -1);
    PutInt(out, -1);
    PutInt(out, item->SubItems()->Count());
    PutInt(out, 0);
    PutText(out, item->Caption());
    for (int k = 0; k < item->SubItems()->Count(); ++k) PutText(out, item->SubItems()->Strings(k));
  }
  AnsiString size;
  PutInt(size, static_cast<int32_t>(out.size()));
  out.replace(0, 4, size);
  return out;
}

// Reads the value strictly: every length is checked against what is left.
class TItemsDataReader {
 public:
  explicit TItemsDataReader(const AnsiString& Data) : FData(Data) {}
  int32_t Int() {
    Need(4);
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(FData[FPos + i])) << (8 * i);
    FPos += 4;
    return static_cast<int32_t>(v);
  }
  AnsiString Text() {
    Need(1);
    std::size_t length = static_cast<unsigned char>(FData[FPos++]);
    if (length == 255) {
      int32_t n = Int();
      if (n < 0) Bad();
      length = static_cast<std::size_t>(n);
    }
    Need(length);
    AnsiString text = FData.substr(FPos, length);
    FPos += length;
    return text;
  }
  bool AtEnd() const { return FPos == FData.size(); }
  [[noreturn]] static void Bad() { throw EReadError("Invalid list view item data"); }

 private:
  void Need(std::size_t Count) const {
    if (FData.size() - FPos < Count) Bad();
  }
  const AnsiString& FData;
  std::size_t FPos = 0;
};

void ReadItemsData(TListItems& Items, const AnsiString& Data) {
  struct TRead {
    AnsiString Caption;
    std::vector<AnsiString> SubItems;
    int ImageIndex;
    bool Checked;
  };
  // Everything is read before the items change: bad data leaves them as they were.
  TItemsDataReader reader(Data);
  if (reader.Int() != static_cast<int32_t>(Data.size())) TItemsDataReader::Bad();
  int32_t count = reader.Int();
  if (count < 0) TItemsDataReader::Bad();
  std::vector<TRead> read;
  for (int32_t i = 0; i < count; ++i) {
    TRead item;
    item.ImageIndex = reader.Int();
    item.Checked = reader.Int() == 2;
    reader.Int();  // overlay index
    int32_t subItems = reader.Int();
    if (subItems < 0) TItemsDataReader::Bad();
    reader.Int();  // data
    item.Caption = reader.Text();
    for (int32_t k = 0; k < subItems; ++k) item.SubItems.push_back(reader.Text());
    read.push_back(std::move(item));
  }
  if (!reader.AtEnd()) TItemsDataReader::Bad();
  Items.BeginUpdate();
  Items.Clear();
  for (const TRead& r : read) {
    TListItem* item = Items.Add();
    item->SetCaption(r.Caption);
    item->SetImageIndex(r.ImageIndex);
    item->SetChecked(r.Checked);
    for (const AnsiString& sub : r.SubItems) item->SubItems()->Add(sub);
  }
  Items.EndUpdate();
}

struct TListItemsStreaming {
  TListItemsStreaming() {
    TDefinedProperty P;
    P.Name = "Data";
    P.HasData = [](const TObject* Instance, const TObject* Ancestor) {
      auto* items = static_cast<const TListItems*>(Instance);
      if (auto* a = ObjectAs<TListItems>(Ancestor)) return ItemsData(*items) != ItemsData(*a);
      return items->Count() > 0;
    };
    P.Write = [](const TObject* Instance, TFormValue& Value) {
      Value.Kind = TFormValueKind::Binary;
      Value.Text = ItemsData(*static_cast<const TListItems*>(Instance));
    };
    P.Accepts = [](const TFormValue& Value) { return Value.Kind == TFormValueKind::Binary; };
    P.Read = [](TObject* Instance, const TFormValue& Value) {
      if (Value.Kind != TFormValueKind::Binary) throw EReadError("Invalid property value");
      ReadItemsData(*static_cast<TListItems*>(Instance), Value.Text);
    };
    DefineProperty(TListItems::StaticClass(), P);
  }
};
const TListItemsStreaming ListItemsStreaming;

}  // namespace

// ===========================================================================
// List views

void TListView::PublishMembers(TPublisher<TListView>& P) {
  PublishVisual(P, clWindow);
  PublishWinControl(P, true);
  P.Property("Checkboxes", &TCustomListView::Checkboxes, &TCustomListView::SetCheckboxes).Default(false);
  P.Property("Columns", &TCustomListView::Columns, &TCustomListView::SetColumns);
  P.Property("GridLines", &TCustomListView::GridLines, &TCustomListView::SetGridLines).Default(false);
  P.Property("HideSelection", &TCustomListView::HideSelection, &TCustomListView::SetHideSelection).Default(true);
  P.Property("Items", &TCustomListView::Items, &TCustomListView::SetItems);
  P.Property("LargeImages", &TCustomListView::LargeImages, &TCustomListView::SetLargeImages);
  P.Property("MultiSelect", &TCustomListView::MultiSelect, &TCustomListView::SetMultiSelect).Default(false);
  P.Property("ReadOnly", &TCustomListView::ReadOnly, &TCustomListView::SetReadOnly).Default(false);
  P.Property("RowSelect", &TCustomListView::RowSelect, &TCustomListView::SetRowSelect).Default(false);
  P.Property("ShowColumnHeaders", &TCustomListView::ShowColumnHeaders, &TCustomListView::SetShowColumnHeaders)
      .Default(true);
  P.Property("SmallImages", &TCustomListView::SmallImages, &TCustomListView::SetSmallImages);
  P.Property("ViewStyle", &TCustomListView::ViewStyle, &TCustomListView::SetViewStyle).Default(vsIcon);
  P.Property("OnChange", &TCustomListView::OnChange, &TCustomListView::OnChange);
  P.Property("OnColumnClick", &TCustomListView::OnColumnClick, &TCustomListView::OnColumnClick);
  P.Property("OnCustomDrawItem", &TCustomListView::OnCustomDrawItem, &TCustomListView::OnCustomDrawItem);
  P.Property("OnDeletion", &TCustomListView::OnDeletion, &TCustomListView::OnDeletion);
  P.Property("OnEdited", &TCustomListView::OnEdited, &TCustomListView::OnEdited);
  P.Property("OnEditing", &TCustomListView::OnEditing, &TCustomListView::OnEditing);
  P.Property("OnSelectItem", &TCustomListView::OnSelectItem, &TCustomListView::OnSelectItem);
}

const TMessageTable& TCustomListView::StaticMessageTable() {
  using ThisClass = TCustomListView;
  static const TMessageTable table(&TWinControl::StaticMessageTable(),
                                   {
                                       KW_ON_MESSAGE(WM_GETDLGCODE, WMGetDlgCode),
                                       KW_ON_MESSAGE(CM_DIALOGKEY, CMDialogKey),
                                   });
  return table;
}

TCustomListView::TCustomListView(TComponent* AOwner)
    : TWinControl(AOwner), FColumns(std::make_unique<TListColumns>(this)),
      FItems(std::make_unique<TListItems>(this)) {
  SetTabStop(true);
  SetBounds(0, 0, 250, 150);
  SetParentColor(false);
  SetColor(clWindow);
}

TCustomListView::~TCustomListView() {
  // The items go before the view's own state: no events from a dying view.
  FEditItem = nullptr;
  FItemFocused = nullptr;
  FItems.reset();
}

void TCustomListView::SetColumns(TListColumns* Value) {
  if (Value) FColumns->Assign(Value);
}

void TCustomListView::SetItems(TListItems* Value) {
  if (Value) FItems->Assign(Value);
}

void TCustomListView::SetMultiSelect(bool Value) {
  if (FMultiSelect == Value) return;
  FMultiSelect = Value;
  if (Value) return;
  TListItem* keep = (FItemFocused && FItemFocused->Selected()) ? FItemFocused : Selected();
  for (int i = 0; i < FItems->Count(); ++i)
    if (FItems->Item(i) != keep) FItems->Item(i)->SetSelected(false);
}

void TCustomListView::SetSmallImages(TCustomImageList* Value) { SetImageRef(this, FSmallImages, Value); }
void TCustomListView::SetLargeImages(TCustomImageList* Value) { SetImageRef(this, FLargeImages, Value); }

void TCustomListView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FSmallImages) FSmallImages = nullptr;
  if (AComponent == FLargeImages) FLargeImages = nullptr;
}

void TCustomListView::ItemSelectionChanged(TListItem* Item, bool Selected) {
  if (Selected && !FMultiSelect) {
    for (int i = 0; i < FItems->Count(); ++i) {
      TListItem* other = FItems->Item(i);
      if (other != Item && other->FSelected) {
        other->FSelected = false;
        OnSelectItem(this, other, false);
      }
    }
  }
  OnSelectItem(this, Item, Selected);
  OnChange(this);
}

void TCustomListView::ItemRemoved(TListItem* Item) {
  if (FEditItem == Item) {
    FEditItem = nullptr;
    FEditor.SetText(AnsiString());
  }
  if (FItemFocused == Item) FItemFocused = nullptr;
  OnDeletion(this, Item);
}

TListItem* TCustomListView::Selected() const { return GetNextSelected(nullptr); }

TListItem* TCustomListView::GetNextSelected(const TListItem* Start) const {
  int from = Start ? FItems->IndexOf(Start) + 1 : 0;
  for (int i = from; i < FItems->Count(); ++i)
    if (FItems->Item(i)->Selected()) return FItems->Item(i);
  return nullptr;
}

void TCustomListView::SetSelected(TListItem* Item) {
  for (int i = 0; i < FItems->Count(); ++i)
    if (FItems->Item(i) != Item) FItems->Item(i)->SetSelected(false);
  if (Item && Item->Owner() == FItems.get()) {
    Item->SetSelected(true);
    FItemFocused = Item;
  }
}

int TCustomListView::SelCount() const {
  int n = 0;
  for (int i = 0; i < FItems->Count(); ++i) n += FItems->Item(i)->Selected() ? 1 : 0;
  return n;
}

void TCustomListView::ClearSelection() { SetSelected(nullptr); }

void TCustomListView::SelectAll() {
  if (!FMultiSelect) return;
  for (int i = 0; i < FItems->Count(); ++i) FItems->Item(i)->SetSelected(true);
}

void TCustomListView::SetItemFocused(TListItem* Item) {
  if (Item && Item->Owner() != FItems.get()) return;
  FItemFocused = Item;
}

int TCustomListView::ItemIndex() const {
  TListItem* s = Selected();
  return s ? s->Index() : -1;
}

void TCustomListView::SetItemIndex(int Value) {
  SetSelected(Value >= 0 && Value < FItems->Count() ? FItems->Item(Value) : nullptr);
}

TListItem* TCustomListView::FindCaption(int StartIndex, const AnsiString& Value, bool Partial,
                                        bool Inclusive) const {
  int n = FItems->Count();
  for (int i = Inclusive ? StartIndex : StartIndex + 1; i < n; ++i) {
    if (i < 0) continue;
    const AnsiString& c = FItems->Item(i)->Caption();
    if (Partial ? AnsiStartsText(Value, c) : AnsiSameText(c, Value))
      return FItems->Item(i);
  }
  return nullptr;
}

bool TCustomListView::BeginEdit(TListItem* Item) {
  if (!Item || Item->Owner() != FItems.get() || FReadOnly) return false;
  if (FEditItem) EndEdit(true);
  bool allow = true;
  OnEditing(this, Item, allow);
  if (!allow) return false;
  FEditItem = Item;
  FEditor.SetText(Item->Caption());
  FEditor.SelectAll();
  FPendingLead = -1;
  return true;
}

void TCustomListView::EndEdit(bool Accept) {
  TListItem* item = FEditItem;
  if (!item) return;
  FEditItem = nullptr;
  if (!Accept) return;
  AnsiString s = FEditor.Text();
  OnEdited(this, item, s);
  // The handler may have deleted the item.
  if (FItems->IndexOf(item) >= 0) item->SetCaption(s);
}

void TCustomListView::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
  if (FEditItem) Message.Result |= DLGC_WANTALLKEYS;
}

void TCustomListView::CMDialogKey(TMessage& Message) { DispatchFrom(&TWinControl::StaticMessageTable(), Message); }

void TCustomListView::DoExit() {
  // Leaving the view ends an edit as the system's editor does when it loses
  // the focus: the text typed is kept.
  if (FEditItem) EndEdit(true);
  TWinControl::DoExit();
}

void TCustomListView::KeyDown(unsigned short& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  if (FEditItem) {
    switch (Key) {
      case VK_RETURN: EndEdit(true); break;
      case VK_ESCAPE: EndEdit(false); break;
      case VK_LEFT: FEditor.MoveLeft(); break;
      case VK_RIGHT: FEditor.MoveRight(); break;
      case VK_HOME: FEditor.MoveHome(); break;
      case VK_END: FEditor.MoveEnd(); break;
      case VK_DELETE: FEditor.DeleteForward(); break;
      default: break;
    }
    return;
  }
  int n = FItems->Count();
  if (Key == VK_F2) {
    if (FItemFocused) BeginEdit(FItemFocused);
    return;
  }
  if (n == 0) return;
  int cur = FItemFocused ? FItemFocused->Index() : -1;
  int target = cur;
  switch (Key) {
    case VK_UP: target = std::max(cur - 1, 0); break;
    case VK_DOWN: target = std::min(cur + 1, n - 1); break;
    case VK_HOME: target = 0; break;
    case VK_END: target = n - 1; break;
    default: return;
  }
  if (target == cur) return;
  SetSelected(FItems->Item(target));
}

void TCustomListView::KeyPress(char& Key) {
  TWinControl::KeyPress(Key);
  if (Key == 0 || !FEditItem) return;
  if (Key == '\b') {
    FPendingLead = -1;
    FEditor.DeleteBackward();
    return;
  }
  if (static_cast<unsigned char>(Key) < 0x20) return;
  unsigned char b = static_cast<unsigned char>(Key);
  if (FPendingLead >= 0) {
    AnsiString s{static_cast<char>(FPendingLead), Key};
    FPendingLead = -1;
    FEditor.ReplaceSelection(s, 0);
  } else if (b >= 0x80 && IsDBCSLeadByte(b)) {
    FPendingLead = b;
  } else {
    FEditor.ReplaceSelection(AnsiString(1, Key), 0);
  }
}

// ===========================================================================
// Tree nodes

KW_REGISTER_CLASS(TTreeNode)
KW_REGISTER_CLASS(TTreeNodes)

TTreeNode::TTreeNode(TTreeNodes* Owner, TTreeNode* Parent) : FOwner(Owner), FParent(Parent) {}

TTreeNode::~TTreeNode() {
  for (TTreeNode* c : FChildren) {
    c->FParent = nullptr;
    c->FOwner = nullptr;
    delete c;
  }
}

TCustomTreeView* TTreeNode::TreeView() const { return FOwner ? FOwner->Owner() : nullptr; }

TTreeNode* TTreeNode::Item(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return FChildren[Index];
}

void TTreeNode::Expand(bool Recurse) {
  FExpanded = true;
  if (Recurse)
    for (TTreeNode* c : FChildren) c->Expand(true);
}

void TTreeNode::Collapse(bool Recurse) {
  FExpanded = false;
  if (Recurse)
    for (TTreeNode* c : FChildren) c->Collapse(true);
}

int TTreeNode::Level() const {
  int l = 0;
  for (TTreeNode* p = FParent; p; p = p->FParent) ++l;
  return l;
}

int TTreeNode::Index() const {
  if (!FOwner) return -1;
  auto& s = FOwner->SiblingsOf(FParent);
  auto it = std::find(s.begin(), s.end(), this);
  return it == s.end() ? -1 : static_cast<int>(it - s.begin());
}

TTreeNode* TTreeNode::GetNextSibling() const {
  if (!FOwner) return nullptr;
  auto& s = FOwner->SiblingsOf(FParent);
  int i = Index();
  return i >= 0 && i + 1 < static_cast<int>(s.size()) ? s[i + 1] : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  if (!FOwner) return nullptr;
  auto& s = FOwner->SiblingsOf(FParent);
  int i = Index();
  return i > 0 ? s[i - 1] : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
  if (!FChildren.empty()) return FChildren.front();
  for (const TTreeNode* n = this; n; n = n->FParent)
    if (TTreeNode* s = n->GetNextSibling()) return s;
  return nullptr;
}

int TTreeNode::AbsoluteIndex() const {
  if (!FOwner) return -1;
  int i = 0;
  for (TTreeNode* n = FOwner->GetFirstNode(); n; n = n->GetNext(), ++i)
    if (n == this) return i;
  return -1;
}

bool TTreeNode::Selected() const { return TreeView() && TreeView()->Selected() == this; }

void TTreeNode::SetSelected(bool Value) {
  if (TCustomTreeView* tv = TreeView()) {
    if (Value)
      tv->SetSelected(this);
    else if (tv->Selected() == this)
      tv->SetSelected(nullptr);
  }
}

bool TTreeNode::IsVisible() const {
  for (TTreeNode* p = FParent; p; p = p->FParent)
    if (!p->FExpanded) return false;
  return true;
}

void TTreeNode::Delete() {
  if (FOwner)
    FOwner->Delete(this);
  else
    delete this;
}

void TTreeNode::DeleteChildren() {
  while (!FChildren.empty()) FChildren.back()->Delete();
}

TTreeNodes::~TTreeNodes() {
  for (TTreeNode* n : FRoots) {
    n->FOwner = nullptr;
    delete n;
  }
}

std::vector<TTreeNode*>& TTreeNodes::SiblingsOf(TTreeNode* Parent) {
  return Parent ? Parent->FChildren : FRoots;
}

int TTreeNodes::Count() const {
  int n = 0;
  for (TTreeNode* x = GetFirstNode(); x; x = x->GetNext()) ++n;
  return n;
}

TTreeNode* TTreeNodes::Item(int Index) const {
  int i = 0;
  for (TTreeNode* x = GetFirstNode(); x; x = x->GetNext(), ++i)
    if (i == Index) return x;
  IndexError(Index);
}

TTreeNode* TTreeNodes::InsertAt(TTreeNode* Parent, int Index, const AnsiString& S, void* Data) {
  auto* node = new TTreeNode(this, Parent);
  node->FText = S;
  node->FData = Data;
  auto& s = SiblingsOf(Parent);
  s.insert(s.begin() + std::clamp(Index, 0, static_cast<int>(s.size())), node);
  return node;
}

TTreeNode* TTreeNodes::Add(TTreeNode* Sibling, const AnsiString& S) { return AddObject(Sibling, S, nullptr); }

TTreeNode* TTreeNodes::AddObject(TTreeNode* Sibling, const AnsiString& S, void* Data) {
  TTreeNode* parent = Sibling ? Sibling->Parent() : nullptr;
  return InsertAt(parent, INT_MAX, S, Data);
}

TTreeNode* TTreeNodes::Insert(TTreeNode* Sibling, const AnsiString& S) {
  if (!Sibling) return InsertAt(nullptr, INT_MAX, S, nullptr);
  return InsertAt(Sibling->Parent(), Sibling->Index(), S, nullptr);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* Parent, const AnsiString& S) { return AddChildObject(Parent, S, nullptr); }

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const AnsiString& S, void* Data) {
  return InsertAt(Parent, INT_MAX, S, Data);
}

void TTreeNodes::Unlink(TTreeNode* Node) {
  auto& s = SiblingsOf(Node->FParent);
  s.erase(std::remove(s.begin(), s.end(), Node), s.end());
}

void TTreeNodes::Delete(TTreeNode* Node) {
  if (!Node || Node->FOwner != this) return;
  // Children first, so the view hears of each node while it is whole.
  while (!Node->FChildren.empty()) Delete(Node->FChildren.back());
  if (FOwner) FOwner->NodeRemoved(Node);
  Unlink(Node);
  Node->FOwner = nullptr;
  delete Node;
}

void TTreeNodes::Clear() {
  while (!FRoots.empty()) Delete(FRoots.back());
}

// ===========================================================================
// Tree views

void TTreeView::PublishMembers(TPublisher<TTreeView>& P) {
  PublishVisual(P, clWindow);
  PublishWinControl(P, true);
  P.Property("HideSelection", &TCustomTreeView::HideSelection, &TCustomTreeView::SetHideSelection).Default(true);
  P.Property("Images", &TCustomTreeView::Images, &TCustomTreeView::SetImages);
  P.Property("ReadOnly", &TCustomTreeView::ReadOnly, &TCustomTreeView::SetReadOnly).Default(false);
  P.Property("ShowButtons", &TCustomTreeView::ShowButtons, &TCustomTreeView::SetShowButtons).Default(true);
  P.Property("ShowLines", &TCustomTreeView::ShowLines, &TCustomTreeView::SetShowLines).Default(true);
  P.Property("ShowRoot", &TCustomTreeView::ShowRoot, &TCustomTreeView::SetShowRoot).Default(true);
  P.Property("OnChange", &TCustomTreeView::OnChange, &TCustomTreeView::OnChange);
  P.Property("OnChanging", &TCustomTreeView::OnChanging, &TCustomTreeView::OnChanging);
  P.Property("OnDeletion", &TCustomTreeView::OnDeletion, &TCustomTreeView::OnDeletion);
}

const TMessageTable& TCustomTreeView::StaticMessageTable() {
  using ThisClass = TCustomTreeView;
  static const TMessageTable table(&TWinControl::StaticMessageTable(),
                                   {
                                       KW_ON_MESSAGE(WM_GETDLGCODE, WMGetDlgCode),
                                   });
  return table;
}

TCustomTreeView::TCustomTreeView(TComponent* AOwner)
    : TWinControl(AOwner), FItems(std::make_unique<TTreeNodes>(this)) {
  SetTabStop(true);
  SetBounds(0, 0, 121, 97);
  SetParentColor(false);
  SetColor(clWindow);
}

TCustomTreeView::~TCustomTreeView() {
  FSelected = nullptr;
  FItems->FOwner = nullptr;
  FItems.reset();
}

bool TCustomTreeView::SetSelected(TTreeNode* Node) {
  if (Node && Node->Owner() != FItems.get()) return false;
  if (Node == FSelected) return true;
  bool allow = true;
  OnChanging(this, Node, allow);
  if (!allow) return false;
  FSelected = Node;
  // The selected node is shown: its parents open.
  for (TTreeNode* p = Node ? Node->Parent() : nullptr; p; p = p->Parent()) p->SetExpanded(true);
  OnChange(this, Node);
  return true;
}

void TCustomTreeView::NodeRemoved(TTreeNode* Node) {
  OnDeletion(this, Node);
  if (FSelected == Node) {
    FSelected = nullptr;
    OnChange(this, nullptr);
  }
}

void TCustomTreeView::SetImages(TCustomImageList* Value) { SetImageRef(this, FImages, Value); }

void TCustomTreeView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

void TCustomTreeView::FullExpand() {
  for (TTreeNode* n = FItems->GetFirstNode(); n; n = n->GetNext()) n->SetExpanded(true);
}

void TCustomTreeView::FullCollapse() {
  for (TTreeNode* n = FItems->GetFirstNode(); n; n = n->GetNext()) n->SetExpanded(false);
}

void TCustomTreeView::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; }

void TCustomTreeView::KeyDown(unsigned short& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  TTreeNode* cur = FSelected;
  auto visibleNext = [](TTreeNode* n) {
    for (n = n->GetNext(); n && !n->IsVisible(); n = n->GetNext()) {
    }
    return n;
  };
  switch (Key) {
    case VK_DOWN:
      if (!cur)
        SetSelected(FItems->GetFirstNode());
      else if (TTreeNode* n = visibleNext(cur))
        SetSelected(n);
      break;
    case VK_UP:
      if (cur) {
        TTreeNode* prev = nullptr;
        for (TTreeNode* n = FItems->GetFirstNode(); n && n != cur; n = n->GetNext())
          if (n->IsVisible()) prev = n;
        if (prev) SetSelected(prev);
      }
      break;
    case VK_RIGHT:
      if (cur && cur->HasChildren()) {
        if (!cur->Expanded())
          cur->Expand(false);
        else if (cur->GetFirstChild())
          SetSelected(cur->GetFirstChild());
      }
      break;
    case VK_LEFT:
      if (cur) {
        if (cur->Expanded())
          cur->Collapse(false);
        else if (cur->Parent())
          SetSelected(cur->Parent());
      }
      break;
    default: break;
  }
}

// ===========================================================================
// Status bars

void TStatusPanel::PublishMembers(TPublisher<TStatusPanel>& P) {
  P.Property("Alignment", &TStatusPanel::Alignment, &TStatusPanel::SetAlignment).Default(taLeftJustify);
  P.Property("Bevel", &TStatusPanel::Bevel, &TStatusPanel::SetBevel).Default(pbLowered);
  P.Property("Style", &TStatusPanel::Style, &TStatusPanel::SetStyle).Default(psText);
  P.Property("Text", &TStatusPanel::Text, &TStatusPanel::SetText);
  P.Property("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth).Default(50);
}

void TStatusPanel::SetText(const AnsiString& Value) {
  if (FText == Value) return;
  FText = Value;
  Changed(false);
}

void TStatusPanel::SetWidth(int Value) {
  if (FWidth == Value) return;
  FWidth = Value;
  Changed(true);
}

void TStatusPanel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Changed(false);
}

AnsiString TStatusPanel::DisplayName() const { return FText.empty() ? TCollectionItem::DisplayName() : FText; }

TStatusPanels::TStatusPanels(TStatusBar* Owner) : TCollection(Owner, ItemClassOf<TStatusPanel>()) {}

void TStatusBar::PublishMembers(TPublisher<TStatusBar>& P) {
  PublishVisual(P, clBtnFace);
  P.Property("Panels", &TStatusBar::Panels, &TStatusBar::SetPanels);
  P.Property("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel).Default(false);
  P.Property("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText);
  P.Property("SizeGrip", &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip).Default(true);
}

TStatusBar::TStatusBar(TComponent* AOwner) : TWinControl(AOwner), FPanels(std::make_unique<TStatusPanels>(this)) {
  SetBounds(0, 0, 200, 19);
  SetAlign(alBottom);
}

TStatusBar::~TStatusBar() = default;

void TStatusBar::SetPanels(TStatusPanels* Value) {
  if (Value) FPanels->Assign(Value);
}

AnsiString TStatusBar::DisplayText(int Panel) const {
  if (FSimplePanel) return FSimpleText;
  if (Panel < 0 || Panel >= FPanels->Count()) return {};
  return FPanels->Items(Panel)->Text();
}

// ===========================================================================
// Tool bars

void TToolButton::PublishMembers(TPublisher<TToolButton>& P) {
  PublishCaption(P);
  P.Property("AllowAllUp", &TToolButton::AllowAllUp, &TToolButton::SetAllowAllUp).Default(false);
  P.Property("Down", &TToolButton::Down, &TToolButton::SetDown).Default(false);
  P.Property("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
  P.Property("Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped).Default(false);
  P.Property("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex).Default(-1);
  P.Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
  P.Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Default(false);
  P.Property("Style", &TToolButton::Style, &TToolButton::SetStyle).Default(tbsButton);
  P.Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
  P.Property("Wrap", &TToolButton::Wrap, &TToolButton::SetWrap).Default(false);
  P.Property("OnClick", &TControl::OnClick, &TControl::OnClick);
}

TToolButton::TToolButton(TComponent* AOwner) : TControl(AOwner) { SetBounds(0, 0, 23, 22); }

TToolBar* TToolButton::ToolBar() const { return ObjectAs<TToolBar>(Parent()); }

int TToolButton::Index() const {
  TToolBar* tb = ToolBar();
  if (!tb) return -1;
  for (int i = 0; i < tb->ButtonCount(); ++i)
    if (tb->Buttons(i) == this) return i;
  return -1;
}

void TToolButton::SetDown(bool Value) {
  if (FDown == Value) return;
  if (!Value && FGrouped && !FAllowAllUp && !IsLoading(this)) {
    // The last one down in a group stays down.
    return;
  }
  FDown = Value;
  if (!Value || !FGrouped || IsLoading(this)) return;
  TToolBar* tb = ToolBar();
  int i = Index();
  if (!tb || i < 0) return;
  // The group is the run of grouped check buttons around this one.
  for (int k = i - 1; k >= 0; --k) {
    TToolButton* b = tb->Buttons(k);
    if (!b->FGrouped || b->FStyle != tbsCheck) break;
    b->FDown = false;
  }
  for (int k = i + 1; k < tb->ButtonCount(); ++k) {
    TToolButton* b = tb->Buttons(k);
    if (!b->FGrouped || b->FStyle != tbsCheck) break;
    b->FDown = false;
  }
}

void TToolButton::Click() {
  if (!Enabled() || FStyle == tbsSeparator || FStyle == tbsDivider) return;
  if (FStyle == tbsCheck) {
    if (FGrouped && FDown && !FAllowAllUp) {
      // pressing the button that is down in a group changes nothing
    } else {
      bool was = FDown;
      bool all = FAllowAllUp;
      FAllowAllUp = true;
      SetDown(!was);
      FAllowAllUp = all;
    }
  }
  TControl::Click();
}

void TToolBar::PublishMembers(TPublisher<TToolBar>& P) {
  PublishVisual(P, clBtnFace);
  P.Property("ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight).Default(22);
  P.Property("ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth).Default(23);
  P.Property("Flat", &TToolBar::Flat, &TToolBar::SetFlat).Default(false);
  P.Property("Images", &TToolBar::Images, &TToolBar::SetImages);
  P.Property("List", &TToolBar::List, &TToolBar::SetList).Default(false);
  P.Property("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions).Default(false);
}

TToolBar::TToolBar(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 150, 29);
  SetAlign(alTop);
}

int TToolBar::ButtonCount() const {
  int n = 0;
  for (int i = 0; i < ControlCount(); ++i) n += Controls(i)->Is<TToolButton>() ? 1 : 0;
  return n;
}

TToolButton* TToolBar::Buttons(int Index) const {
  // Left to right, as the buttons stand.
  std::vector<TToolButton*> list;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* b = ObjectAs<TToolButton>(Controls(i))) list.push_back(b);
  std::stable_sort(list.begin(), list.end(), [](TToolButton* a, TToolButton* b) {
    return a->Top() != b->Top() ? a->Top() < b->Top() : a->Left() < b->Left();
  });
  if (Index < 0 || Index >= static_cast<int>(list.size())) IndexError(Index);
  return list[Index];
}

void TToolBar::SetImages(TCustomImageList* Value) { SetImageRef(this, FImages, Value); }

void TToolBar::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

// ===========================================================================
// Spin edits

void TSpinEdit::PublishMembers(TPublisher<TSpinEdit>& P) {
  PublishVisual(P, clWindow);
  PublishWinControl(P, true);
  P.Property("EditorEnabled", &TSpinEdit::EditorEnabled, &TSpinEdit::SetEditorEnabled).Default(true);
  P.Property("Increment", &TSpinEdit::Increment, &TSpinEdit::SetIncrement).Default(1);
  P.Property("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).Default(0);
  P.Property("MaxValue", &TSpinEdit::MaxValue, &TSpinEdit::SetMaxValue).Default(0);
  P.Property("MinValue", &TSpinEdit::MinValue, &TSpinEdit::SetMinValue).Default(0);
  P.Property("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).Default(false);
  P.Property("Value", &TSpinEdit::Value, &TSpinEdit::SetValue).NoDefault();
  P.Property("OnChange", &TCustomEdit::OnChange, &TCustomEdit::OnChange);
}

TSpinEdit::TSpinEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  SetBounds(0, 0, 121, 22);
  SetText("0");
}

int TSpinEdit::CheckValue(int Value) const {
  if (FMinValue == 0 && FMaxValue == 0) return Value;
  return std::clamp(Value, FMinValue, std::max(FMinValue, FMaxValue));
}

int TSpinEdit::Value() const {
  const AnsiString t = Trim(Text());
  int v = 0;
  if (!TryStrToInt(t, v)) return FMinValue;
  return CheckValue(v);
}

void TSpinEdit::SetValue(int Value) { SetText(IntToStr(CheckValue(Value))); }

void TSpinEdit::SetMinValue(int Value) {
  FMinValue = Value;
  if (!IsLoading(this)) SetValue(this->Value());
}

void TSpinEdit::SetMaxValue(int Value) {
  FMaxValue = Value;
  if (!IsLoading(this)) SetValue(this->Value());
}

void TSpinEdit::UpClick() {
  if (ReadOnly()) return;
  SetValue(Value() + FIncrement);
  SetModified(true);
}

void TSpinEdit::DownClick() {
  if (ReadOnly()) return;
  SetValue(Value() - FIncrement);
  SetModified(true);
}

bool TSpinEdit::TypeChar(char Key) {
  if (!FEditorEnabled) return false;
  // Digits, a sign and editing keys only.
  if (Key != '\b' && !(Key >= '0' && Key <= '9') && Key != '-' && Key != '+') return false;
  return TCustomEdit::TypeChar(Key);
}

void TSpinEdit::KeyDown(unsigned short& Key, TShiftState Shift) {
  if (Key == VK_UP || Key == VK_DOWN) {
    TWinControl::KeyDown(Key, Shift);
    if (Key == VK_UP) UpClick();
    if (Key == VK_DOWN) DownClick();
    return;
  }
  TCustomEdit::KeyDown(Key, Shift);
}

void TSpinEdit::DoExit() {
  // What was typed is brought into range (a text that is no number becomes
  // MinValue) when the field is left.
  AnsiString want = IntToStr(Value());
  if (Text() != want) SetText(want);
  TCustomEdit::DoExit();
}
