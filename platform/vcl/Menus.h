#pragma once
// Menus: main menus and popup menus made of menu items with captions,
// shortcuts, check marks and click events. Headless: a menu is a tree of
// items that code (or a front end) clicks; a shortcut key typed in a form
// clicks the item of the form's menus that has it.

#include <vector>

#include "platform/vcl/Component.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Events.h"

class TCustomImageList;
class TMenu;
template <class C>
class TPublisher;

// A key with its modifiers in one number: the virtual key in the low byte,
// scShift, scCtrl and scAlt above it.
using TShortCut = uint16_t;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
inline constexpr TShortCut scNone = 0;

TShortCut ShortCut(unsigned short Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, unsigned short& Key, TShiftState& Shift);
// "Ctrl+S", "Shift+F5", "Ctrl+Alt+Del", "Enter" ... (empty for scNone).
AnsiString ShortCutToText(TShortCut ShortCut);
// The reverse, ignoring case and blanks around '+'; scNone for a text that
// names no key.
TShortCut TextToShortCut(const AnsiString& Text);

enum TMenuBreak { mbNone, mbBreak, mbBarBreak };
KW_DECLARE_TYPEINFO(TMenuBreak)

class TMenuItem : public TComponent {
  KW_DECLARE_CLASS(TMenuItem, TComponent)
 public:
  static void PublishMembers(TPublisher<TMenuItem>& P);
  explicit TMenuItem(TComponent* AOwner);
  // Frees its sub-items and leaves its parent item.
  ~TMenuItem() override;

  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& Value) { FCaption = Value; }
  // A caption of "-" makes a separator line.
  bool IsLine() const { return FCaption == "-"; }
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value) { FShortCut = Value; }
  // Checking a radio item unchecks the other radio items of its group
  // (same parent, same GroupIndex).
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool Value) { FRadioItem = Value; }
  uint8_t GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(uint8_t Value) { FGroupIndex = Value; }
  // With AutoCheck a click toggles Checked before OnClick.
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool Value) { FAutoCheck = Value; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value) { FVisible = Value; }
  bool Default() const { return FDefault; }
  void SetDefault(bool Value) { FDefault = Value; }
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& Value) { FHint = Value; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value) { FImageIndex = Value; }
  TMenuBreak Break() const { return FBreak; }
  void SetBreak(TMenuBreak Value) { FBreak = Value; }

  // ---- Sub-items -----------------------------------------------------------
  int Count() const { return static_cast<int>(FItems.size()); }
  // Raises EMenuError "Menu index out of range" outside the items.
  TMenuItem* Items(int Index) const;
  TMenuItem* operator[](int Index) const { return Items(Index); }
  // Raises EMenuError "Menu inserted twice" for an item that has a parent.
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  // Takes the item out (the caller owns it then); Delete also frees it.
  void Remove(TMenuItem* Item);
  void Delete(int Index);
  void Clear();
  int IndexOf(const TMenuItem* Item) const;
  // The sub-item with that caption ignoring '&' and case, or nullptr.
  TMenuItem* Find(const AnsiString& ACaption) const;
  TMenuItem* Parent() const { return FParent; }
  // The menu the item belongs to (through its parents), or nullptr.
  TMenu* GetParentMenu() const;
  // This item's position among its parent's items.
  int MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }
  // Enabled and visible with every parent item enabled and visible.
  bool IsEnabledPath() const;

  // What choosing the item does: AutoCheck toggles, then OnClick. Nothing
  // happens for a disabled item.
  void Click();

  TNotifyEvent OnClick;

  // Sub-items are written inside the item's block of a description.
  void GetChildren(std::vector<TComponent*>& Children, const TComponent* Root) const override;
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

 private:
  friend class TMenu;
  AnsiString FCaption;
  TShortCut FShortCut = scNone;
  bool FChecked = false;
  bool FRadioItem = false;
  uint8_t FGroupIndex = 0;
  bool FAutoCheck = false;
  bool FEnabled = true;
  bool FVisible = true;
  bool FDefault = false;
  AnsiString FHint;
  int FImageIndex = -1;
  TMenuBreak FBreak = mbNone;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;  // set on the root item only
  std::vector<TMenuItem*> FItems;
};

KW_DECLARE_EXCEPTION(EMenuError, Exception)

class TMenu : public TComponent {
  KW_DECLARE_CLASS(TMenu, TComponent)
 public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;

  // The invisible root item whose sub-items are the menu's items.
  TMenuItem* Items() const { return FItems; }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  // The items are drawn by the program (the code-page converter sets it so
  // that the items' texts are drawn in the converted font).
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool Value) { FOwnerDraw = Value; }
  // Clicks the enabled, visible item with that shortcut (searching the
  // whole tree) and answers true; false when no item has it.
  bool IsShortCut(unsigned short Key, TShiftState Shift);
  // The item with that shortcut or nullptr.
  TMenuItem* FindItem(TShortCut ShortCut) const;

  void GetChildren(std::vector<TComponent*>& Children, const TComponent* Root) const override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TMenuItem* FItems;
  TCustomImageList* FImages = nullptr;
  bool FOwnerDraw = false;
};

class TMainMenu : public TMenu {
  KW_DECLARE_CLASS(TMainMenu, TMenu)
 public:
  static void PublishMembers(TPublisher<TMainMenu>& P);
  explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}
};

class TPopupMenu : public TMenu {
  KW_DECLARE_CLASS(TPopupMenu, TMenu)
 public:
  static void PublishMembers(TPublisher<TPopupMenu>& P);
  explicit TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool Value) { FAutoPopup = Value; }
  // The component the menu was last opened for.
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* Value) { FPopupComponent = Value; }
  // Opens the menu at a screen point: OnPopup fires so the handler can
  // enable and check items; a front end then shows them. Headless, nothing
  // is chosen here; a choice is a Click on an item.
  void Popup(int X, int Y);
  int PopupX() const { return FPopupX; }
  int PopupY() const { return FPopupY; }

  TNotifyEvent OnPopup;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  bool FAutoPopup = true;
  TComponent* FPopupComponent = nullptr;
  int FPopupX = 0;
  int FPopupY = 0;
};

// The shortcut key of a key press in a form: the form's main menus, then its
// popup menus, are asked; true when an item was clicked. The controls call
// this before a key down reaches them.
bool DispatchShortCut(TCustomForm* Form, unsigned short Key, TShiftState Shift);
