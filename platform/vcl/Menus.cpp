#include "platform/vcl/Menus.h"

#include <algorithm>

#include "platform/rtl/AnsiText.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Publisher.h"

KW_DEFINE_ENUM_TYPEINFO(TMenuBreak, "mbNone", "mbBreak", "mbBarBreak")

KW_REGISTER_CLASS(TMenuItem)
KW_REGISTER_CLASS(TMainMenu)
KW_REGISTER_CLASS(TPopupMenu)

// ===========================================================================
// Shortcuts

namespace {

struct TKeyName {
  unsigned short Key;
  const char* Name;
};

// The names the run-time gives keys in menu texts.
const TKeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},   {VK_TAB, "Tab"},     {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"},  {VK_NEXT, "PgDn"},    {VK_END, "End"},
    {VK_HOME, "Home"},   {VK_LEFT, "Left"},   {VK_UP, "Up"},        {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},   {VK_INSERT, "Ins"},  {VK_DELETE, "Del"},
};

AnsiString KeyName(unsigned short Key) {
  for (const TKeyName& k : kKeyNames)
    if (k.Key == Key) return k.Name;
  if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z')) return AnsiString(1, static_cast<char>(Key));
  if (Key >= VK_F1 && Key <= VK_F1 + 23) return "F" + std::to_string(Key - VK_F1 + 1);
  return {};
}

unsigned short KeyFromName(const AnsiString& Name) {
  if (Name.empty()) return 0;
  for (const TKeyName& k : kKeyNames)
    if (SameText(Name, k.Name)) return k.Key;
  if (SameText(Name, "Delete")) return VK_DELETE;
  if (SameText(Name, "Insert")) return VK_INSERT;
  if (SameText(Name, "Escape")) return VK_ESCAPE;
  if (Name.size() == 1) {
    char c = static_cast<char>(std::toupper(static_cast<unsigned char>(Name[0])));
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) return static_cast<unsigned short>(c);
    return 0;
  }
  if ((Name[0] == 'F' || Name[0] == 'f') && Name.size() <= 3) {
    int n = 0;
    for (size_t i = 1; i < Name.size(); ++i) {
      if (Name[i] < '0' || Name[i] > '9') return 0;
      n = n * 10 + (Name[i] - '0');
    }
    if (n >= 1 && n <= 24) return static_cast<unsigned short>(VK_F1 + n - 1);
  }
  return 0;
}

AnsiString StripAmpersands(const AnsiString& S) {
  AnsiString out;
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '&') {
      if (i + 1 < S.size() && S[i + 1] == '&') out += S[++i];
      continue;
    }
    out += S[i];
  }
  return out;
}

}  // namespace

TShortCut ShortCut(unsigned short Key, TShiftState Shift) {
  if (Key & 0xFF00) return scNone;
  TShortCut s = Key;
  if (Shift.Contains(ssShift)) s |= scShift;
  if (Shift.Contains(ssCtrl)) s |= scCtrl;
  if (Shift.Contains(ssAlt)) s |= scAlt;
  return s;
}

void ShortCutToKey(TShortCut S, unsigned short& Key, TShiftState& Shift) {
  Key = S & 0xFF;
  Shift = {};
  if (S & scShift) Shift.Include(ssShift);
  if (S & scCtrl) Shift.Include(ssCtrl);
  if (S & scAlt) Shift.Include(ssAlt);
}

AnsiString ShortCutToText(TShortCut S) {
  AnsiString name = KeyName(S & 0xFF);
  if (name.empty()) return {};
  AnsiString prefix;
  if (S & scShift) prefix += "Shift+";
  if (S & scCtrl) prefix += "Ctrl+";
  if (S & scAlt) prefix += "Alt+";
  return prefix + name;
}

TShortCut TextToShortCut(const AnsiString& Text) {
  AnsiString rest = Trim(Text);
  TShortCut mods = 0;
  for (;;) {
    size_t plus = rest.find('+');
    // A '+' at the end is the key itself only when nothing else names it.
    if (plus == AnsiString::npos || plus + 1 >= rest.size()) break;
    AnsiString mod = Trim(rest.substr(0, plus));
    if (SameText(mod, "Shift"))
      mods |= scShift;
    else if (SameText(mod, "Ctrl"))
      mods |= scCtrl;
    else if (SameText(mod, "Alt"))
      mods |= scAlt;
    else
      return scNone;
    rest = Trim(rest.substr(plus + 1));
  }
  unsigned short key = KeyFromName(rest);
  return key ? static_cast<TShortCut>(key | mods) : scNone;
}

// ===========================================================================
// Menu items

void TMenuItem::PublishMembers(TPublisher<TMenuItem>& P) {
  P.Property("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck).Default(false);
  P.Property("Break", &TMenuItem::Break, &TMenuItem::SetBreak).Default(mbNone);
  P.Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
  P.Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked).Default(false);
  P.Property("Default", &TMenuItem::Default, &TMenuItem::SetDefault).Default(false);
  P.Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled).Default(true);
  P.Property("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex).Default(0);
  P.Property("Hint", &TMenuItem::Hint, &TMenuItem::SetHint);
  P.Property("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex).Default(-1);
  P.Property("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem).Default(false);
  P.Property("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut).Default(0);
  P.Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible).Default(true);
  P.Property("OnClick", &TMenuItem::OnClick, &TMenuItem::OnClick);
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
  Destroying();
  while (!FItems.empty()) {
    TMenuItem* child = FItems.back();
    FItems.pop_back();
    child->FParent = nullptr;
    delete child;
  }
  if (FParent) FParent->Remove(this);
}

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EMenuError("Menu index out of range");
  return FItems[Index];
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->FParent) throw EMenuError("Menu inserted twice");
  for (TMenuItem* p = this; p; p = p->FParent)
    if (p == Item) throw EMenuError("Menu inserted twice");
  if (Index < 0 || Index > Count()) throw EMenuError("Menu index out of range");
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
}

void TMenuItem::Remove(TMenuItem* Item) {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it == FItems.end()) throw EMenuError("Menu item not found");
  FItems.erase(it);
  Item->FParent = nullptr;
}

void TMenuItem::Delete(int Index) {
  TMenuItem* item = Items(Index);
  Remove(item);
  delete item;
}

void TMenuItem::Clear() {
  while (!FItems.empty()) Delete(Count() - 1);
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

TMenuItem* TMenuItem::Find(const AnsiString& ACaption) const {
  AnsiString want = StripAmpersands(ACaption);
  for (TMenuItem* i : FItems)
    if (AnsiSameText(StripAmpersands(i->FCaption), want)) return i;
  return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* top = this;
  while (top->FParent) top = top->FParent;
  return top->FMenu;
}

bool TMenuItem::IsEnabledPath() const {
  for (const TMenuItem* p = this; p; p = p->FParent)
    if (!p->FEnabled || !p->FVisible) return false;
  return true;
}

void TMenuItem::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  if (Value && FRadioItem && FParent)
    for (TMenuItem* other : FParent->FItems)
      if (other != this && other->FRadioItem && other->FGroupIndex == FGroupIndex) other->FChecked = false;
}

void TMenuItem::Click() {
  if (!FEnabled) return;
  if (FAutoCheck) SetChecked(FRadioItem ? true : !FChecked);
  OnClick(this);
}

void TMenuItem::GetChildren(std::vector<TComponent*>& Children, const TComponent* Root) const {
  for (TMenuItem* i : FItems)
    if (i->Owner() == Root) Children.push_back(i);
}

TComponent* TMenuItem::GetParentComponent() const {
  if (FParent && FParent->FMenu) return FParent->FMenu;
  return FParent;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
  if (FParent) FParent->Remove(this);
  if (auto* menu = ObjectAs<TMenu>(Value))
    menu->Items()->Add(this);
  else if (auto* item = ObjectAs<TMenuItem>(Value))
    item->Add(this);
}

// ===========================================================================
// Menus

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(nullptr)) { FItems->FMenu = this; }

TMenu::~TMenu() {
  Destroying();
  // The root frees the items still in the tree; each leaves its owner as it
  // goes, so the owner does not free it again.
  delete FItems;
}

void TMenu::SetImages(TCustomImageList* Value) {
  if (FImages == Value) return;
  if (FImages) RemoveFreeNotification(FImages);
  FImages = Value;
  if (Value) FreeNotification(Value);
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

TMenuItem* TMenu::FindItem(TShortCut S) const {
  if (S == scNone) return nullptr;
  std::vector<TMenuItem*> stack(FItems->FItems.rbegin(), FItems->FItems.rend());
  while (!stack.empty()) {
    TMenuItem* i = stack.back();
    stack.pop_back();
    if (i->FShortCut == S) return i;
    for (auto it = i->FItems.rbegin(); it != i->FItems.rend(); ++it) stack.push_back(*it);
  }
  return nullptr;
}

bool TMenu::IsShortCut(unsigned short Key, TShiftState Shift) {
  TShortCut s = ::ShortCut(Key, Shift);
  TMenuItem* item = FindItem(s);
  if (!item) return false;
  // A disabled or hidden item swallows nothing: the key goes on to the
  // control, as with the system's menus.
  if (!item->IsEnabledPath()) return false;
  item->Click();
  return true;
}

void TMenu::GetChildren(std::vector<TComponent*>& Children, const TComponent* Root) const {
  FItems->GetChildren(Children, Root);
}

void TMainMenu::PublishMembers(TPublisher<TMainMenu>& P) {
  P.Property("Images", &TMenu::Images, &TMenu::SetImages);
  P.Property("OwnerDraw", &TMenu::OwnerDraw, &TMenu::SetOwnerDraw).Default(false);
}

void TPopupMenu::PublishMembers(TPublisher<TPopupMenu>& P) {
  P.Property("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).Default(true);
  P.Property("Images", &TMenu::Images, &TMenu::SetImages);
  P.Property("OwnerDraw", &TMenu::OwnerDraw, &TMenu::SetOwnerDraw).Default(false);
  P.Property("OnPopup", &TPopupMenu::OnPopup, &TPopupMenu::OnPopup);
}

void TPopupMenu::Popup(int X, int Y) {
  FPopupX = X;
  FPopupY = Y;
  OnPopup(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

// ===========================================================================

namespace {
// Every form asks its menus once this file is part of the program.
[[maybe_unused]] const bool kShortCutsInstalled = (FormShortCutHandler = &DispatchShortCut, true);
}  // namespace

bool DispatchShortCut(TCustomForm* Form, unsigned short Key, TShiftState Shift) {
  if (!Form || ShortCut(Key, Shift) == scNone) return false;
  // Main menus first, then popup menus, as the form asks its menu before
  // the controls' popup menus get the key.
  for (int pass = 0; pass < 2; ++pass)
    for (int i = 0; i < Form->ComponentCount(); ++i) {
      auto* menu = ObjectAs<TMenu>(Form->Components(i));
      if (!menu || menu->Is<TMainMenu>() != (pass == 0)) continue;
      if (menu->IsShortCut(Key, Shift)) return true;
    }
  return false;
}
