#pragma once
// The common controls: page controls with tab sheets, tab controls, list
// views, tree views, status bars, tool bars with tool buttons and spin edits.
// Headless like the standard controls: the items, the selection, the active
// page and the in-place editing state are kept here and changed by code or
// by typed keys as a person would change them.

#include <memory>
#include <vector>

#include "platform/rtl/StringList.h"
#include "platform/vcl/Collection.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/StdCtrls.h"

class TCustomImageList;
class TPageControl;
class TListItem;
class TListItems;
class TCustomListView;
class TTreeNode;
class TTreeNodes;
class TCustomTreeView;

// A change of page or tab that a handler may refuse.
using TTabChangingEvent = TEvent<TObject*, bool&>;

// ---- Page controls -------------------------------------------------------------------

class TTabSheet : public TWinControl {
  KW_DECLARE_CLASS(TTabSheet, TWinControl)
 public:
  static void PublishMembers(TPublisher<TTabSheet>& P);
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;

  // Setting the page control makes the sheet its last page (and its child).
  TPageControl* PageControl() const { return FPageControl; }
  void SetPageControl(TPageControl* Value);
  void SetParent(TWinControl* AParent) override;
  // Position among the page control's pages.
  int PageIndex() const;
  void SetPageIndex(int Value);
  // Position among the visible tabs; -1 when the tab is hidden.
  int TabIndex() const;
  // A sheet without a visible tab stays a page but cannot be chosen by a
  // person; hiding the active page's tab moves to the next visible one.
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value) { FImageIndex = Value; }
  bool Highlighted() const { return FHighlighted; }
  void SetHighlighted(bool Value) { FHighlighted = Value; }

  TNotifyEvent OnShow;
  TNotifyEvent OnHide;

 private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
  int FImageIndex = -1;
  bool FHighlighted = false;
};

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };
KW_DECLARE_TYPEINFO(TTabPosition)
KW_DECLARE_TYPEINFO(TTabStyle)

class TPageControl : public TWinControl {
  KW_DECLARE_CLASS(TPageControl, TWinControl)
 public:
  static void PublishMembers(TPublisher<TPageControl>& P);
  static const TMessageTable& StaticMessageTable();
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); }
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;

  int PageCount() const { return static_cast<int>(FPages.size()); }
  // Raises EListError for an index outside the pages.
  TTabSheet* Pages(int Index) const;
  // Changing the page from code fires neither OnChanging nor OnChange, as in
  // the run-time; a person's change goes through SelectTab / SelectNextPage.
  TTabSheet* ActivePage() const { return FActivePage; }
  void SetActivePage(TTabSheet* Page);
  int ActivePageIndex() const;
  void SetActivePageIndex(int Value);
  // The index of the active page among the visible tabs (-1 for none).
  int TabIndex() const;
  int VisibleTabCount() const;
  TTabSheet* FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) const;
  // What a click on visible tab Index does: OnChanging may refuse, then the
  // page changes and OnChange fires. False when refused or nothing changed.
  bool SelectTab(int Index);
  // Ctrl+Tab / Ctrl+Shift+Tab.
  bool SelectNextPage(bool GoForward);
  void ShowControl(TControl* Control) override;

  TTabPosition TabPosition() const { return FTabPosition; }
  void SetTabPosition(TTabPosition Value) { FTabPosition = Value; }
  TTabStyle Style() const { return FStyle; }
  void SetStyle(TTabStyle Value) { FStyle = Value; }
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool Value) { FMultiLine = Value; }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);

  TTabChangingEvent OnChanging;
  TNotifyEvent OnChange;

 protected:
  // Asks OnChanging; true when the page may change.
  virtual bool CanChange();
  virtual void Change();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void CMDialogKey(TMessage& Message);

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  bool ChangeTo(TTabSheet* Page);
  void UpdateVisibility();

  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
  TTabPosition FTabPosition = tpTop;
  TTabStyle FStyle = tsTabs;
  bool FMultiLine = false;
  TCustomImageList* FImages = nullptr;
  AnsiString FActivePageName;  // a description's ActivePage before the pages are read
};

// A row of tabs without pages (the caller shows what a tab stands for).
class TTabControl : public TWinControl, private TListControlItems::TListener {
  KW_DECLARE_CLASS(TTabControl, TWinControl)
 public:
  static void PublishMembers(TPublisher<TTabControl>& P);
  static const TMessageTable& StaticMessageTable();
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); }
  explicit TTabControl(TComponent* AOwner);
  ~TTabControl() override;

  TStrings* Tabs() const { return FTabs.get(); }
  void SetTabs(TStrings* Value);
  // From code: no events. -1 or an index outside the tabs selects none.
  int TabIndex() const { return FTabIndex; }
  void SetTabIndex(int Value);
  // A person's choice: OnChanging may refuse, then OnChange.
  bool SelectTab(int Index);
  TTabPosition TabPosition() const { return FTabPosition; }
  void SetTabPosition(TTabPosition Value) { FTabPosition = Value; }

  TTabChangingEvent OnChanging;
  TNotifyEvent OnChange;

 protected:
  void Loaded() override;
  void CMDialogKey(TMessage& Message);

 private:
  void ItemInserted(int Index) override;
  void ItemDeleted(int Index) override;
  void ItemsCleared() override;
  void ItemsChanged() override;
  std::unique_ptr<TListControlItems> FTabs;
  int FTabIndex = -1;
  TTabPosition FTabPosition = tpTop;
};

// ---- List views ----------------------------------------------------------------------

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
KW_DECLARE_TYPEINFO(TViewStyle)

class TListColumn : public TCollectionItem {
  KW_DECLARE_CLASS(TListColumn, TCollectionItem)
 public:
  static void PublishMembers(TPublisher<TListColumn>& P);
  explicit TListColumn(TCollection* Collection) : TCollectionItem(Collection) {}
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value) { FAutoSize = Value; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value) { FImageIndex = Value; }
  AnsiString DisplayName() const override;

 private:
  AnsiString FCaption;
  int FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
  bool FAutoSize = false;
  int FImageIndex = -1;
};

class TListColumns : public TCollection {
  KW_DECLARE_CLASS(TListColumns, TCollection)
 public:
  explicit TListColumns(TCustomListView* Owner);
  TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
  TListColumn* Items(int Index) const { return static_cast<TListColumn*>(TCollection::Items(Index)); }
};

class TListItem : public TPersistent {
  KW_DECLARE_CLASS(TListItem, TPersistent)
 public:
  explicit TListItem(TListItems* Owner);
  ~TListItem() override;

  TListItems* Owner() const { return FOwner; }
  TCustomListView* ListView() const;
  int Index() const;
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& Value) { FCaption = Value; }
  // The texts of the report view's columns after the first.
  TStrings* SubItems() const { return FSubItems.get(); }
  void SetSubItems(TStrings* Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value) { FImageIndex = Value; }
  void* Data() const { return FData; }
  void SetData(void* Value) { FData = Value; }
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value) { FChecked = Value; }
  // Selecting an item in a single-selection view deselects the others.
  bool Selected() const { return FSelected; }
  void SetSelected(bool Value);
  bool Focused() const;
  void SetFocused(bool Value);
  // Starts in-place editing of the caption (see TCustomListView::BeginEdit).
  bool EditCaption();
  void Delete();
  void Assign(const TPersistent* Source) override;

 private:
  friend class TListItems;
  friend class TCustomListView;
  TListItems* FOwner;
  AnsiString FCaption;
  std::unique_ptr<TStringList> FSubItems;
  int FImageIndex = -1;
  void* FData = nullptr;
  bool FChecked = false;
  bool FSelected = false;
};

class TListItems : public TPersistent {
  KW_DECLARE_CLASS(TListItems, TPersistent)
 public:
  explicit TListItems(TCustomListView* Owner) : FOwner(Owner) {}
  ~TListItems() override;
  TListItems(const TListItems&) = delete;
  TListItems& operator=(const TListItems&) = delete;

  TCustomListView* Owner() const { return FOwner; }
  int Count() const { return static_cast<int>(FItems.size()); }
  // Raises EListError for an index outside the items.
  TListItem* Item(int Index) const;
  TListItem* operator[](int Index) const { return Item(Index); }
  TListItem* Add();
  TListItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  int IndexOf(const TListItem* Item) const;
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate() { --FUpdateCount; }
  void Assign(const TPersistent* Source) override;

 private:
  friend class TListItem;
  void Remove(TListItem* Item);
  TCustomListView* FOwner;
  std::vector<TListItem*> FItems;
  int FUpdateCount = 0;
};

enum TItemChange { ctText, ctImage, ctState };
using TLVEditingEvent = TEvent<TObject*, TListItem*, bool&>;
using TLVEditedEvent = TEvent<TObject*, TListItem*, AnsiString&>;
using TLVSelectItemEvent = TEvent<TObject*, TListItem*, bool>;
using TLVColumnClickEvent = TEvent<TObject*, TListColumn*>;
using TLVDeletedEvent = TEvent<TObject*, TListItem*>;
KW_DECLARE_TYPEINFO(TLVEditingEvent)
KW_DECLARE_TYPEINFO(TLVEditedEvent)
KW_DECLARE_TYPEINFO(TLVSelectItemEvent)
KW_DECLARE_TYPEINFO(TLVColumnClickEvent)
KW_DECLARE_TYPEINFO(TLVDeletedEvent)

enum TCustomDrawStateFlag {
  cdsSelected, cdsGrayed, cdsDisabled, cdsChecked, cdsFocused, cdsDefault, cdsHot, cdsMarked, cdsIndeterminate
};
using TCustomDrawState = TSet<TCustomDrawStateFlag>;
KW_DECLARE_TYPEINFO(TCustomDrawStateFlag)
KW_DECLARE_TYPEINFO(TCustomDrawState)
// OnCustomDrawItem(Sender, Item, State, DefaultDraw): called before an item
// is drawn, with the list view's Canvas prepared for it. The handler may
// change the canvas's font and brush colours, which the item is then drawn
// with, or draw the item itself and clear DefaultDraw.
using TLVCustomDrawItemEvent = TEvent<TCustomListView*, TListItem*, TCustomDrawState, bool&>;
KW_DECLARE_TYPEINFO(TLVCustomDrawItemEvent)

class TCustomListView : public TWinControl {
  KW_DECLARE_CLASS(TCustomListView, TWinControl)
 public:
  static const TMessageTable& StaticMessageTable();
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); }
  explicit TCustomListView(TComponent* AOwner);
  ~TCustomListView() override;

  TListColumns* Columns() const { return FColumns.get(); }
  void SetColumns(TListColumns* Value);
  TListItems* Items() const { return FItems.get(); }
  void SetItems(TListItems* Value);
  TViewStyle ViewStyle() const { return FViewStyle; }
  void SetViewStyle(TViewStyle Value) { FViewStyle = Value; }
  bool MultiSelect() const { return FMultiSelect; }
  // Turning multi-selection off keeps only the focused (else the first)
  // selected item.
  void SetMultiSelect(bool Value);
  // Caption editing in place is allowed only when ReadOnly is off.
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool Value) { FRowSelect = Value; }
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value) { FHideSelection = Value; }
  bool GridLines() const { return FGridLines; }
  void SetGridLines(bool Value) { FGridLines = Value; }
  bool Checkboxes() const { return FCheckboxes; }
  void SetCheckboxes(bool Value) { FCheckboxes = Value; }
  bool ShowColumnHeaders() const { return FShowColumnHeaders; }
  void SetShowColumnHeaders(bool Value) { FShowColumnHeaders = Value; }
  TCustomImageList* SmallImages() const { return FSmallImages; }
  void SetSmallImages(TCustomImageList* Value);
  TCustomImageList* LargeImages() const { return FLargeImages; }
  void SetLargeImages(TCustomImageList* Value);

  // The first selected item (nullptr for none); setting it selects only that
  // item (nullptr clears the selection) and focuses it.
  TListItem* Selected() const;
  void SetSelected(TListItem* Item);
  int SelCount() const;
  void ClearSelection();
  void SelectAll();
  // The next selected item after Start (nullptr: from the start).
  TListItem* GetNextSelected(const TListItem* Start) const;
  TListItem* ItemFocused() const { return FItemFocused; }
  void SetItemFocused(TListItem* Item);
  // Index of the selected item, -1 for none; setting selects the item.
  int ItemIndex() const;
  void SetItemIndex(int Value);
  TListItem* FindCaption(int StartIndex, const AnsiString& Value, bool Partial, bool Inclusive) const;

  // ---- In-place caption editing --------------------------------------------------
  // Starts editing Item's caption: refused (false) when ReadOnly is set or
  // OnEditing says no. The editor starts with the caption selected; typed
  // keys change it, Enter ends the edit and Esc cancels it.
  bool BeginEdit(TListItem* Item);
  bool IsEditing() const { return FEditItem != nullptr; }
  TListItem* EditingItem() const { return FEditItem; }
  AnsiString EditText() const { return FEditor.Text(); }
  void SetEditText(const AnsiString& Value) { FEditor.SetText(Value); }
  // Ends the edit. Accepted: OnEdited sees the new text and may change it
  // (setting it back to the old caption refuses the edit); the caption takes
  // the result. Cancelled: nothing changes and OnEdited does not fire.
  void EndEdit(bool Accept);

  TLVEditingEvent OnEditing;
  TLVEditedEvent OnEdited;
  TLVSelectItemEvent OnSelectItem;
  TLVColumnClickEvent OnColumnClick;
  TLVDeletedEvent OnDeletion;
  TNotifyEvent OnChange;
  TLVCustomDrawItemEvent OnCustomDrawItem;
  // The picture's canvas while the list view is painted, else nullptr.
  TCanvas* Canvas() const { return FCanvas; }
  void SetCanvas(TCanvas* Value) { FCanvas = Value; }

  // What a click on a column header does.
  void ColumnClick(TListColumn* Column) { OnColumnClick(this, Column); }

 protected:
  void KeyDown(unsigned short& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DoExit() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WMGetDlgCode(TMessage& Message);
  void CMDialogKey(TMessage& Message);

 private:
  friend class TListItem;
  friend class TListItems;
  void ItemSelectionChanged(TListItem* Item, bool Selected);
  void ItemRemoved(TListItem* Item);

  std::unique_ptr<TListColumns> FColumns;
  std::unique_ptr<TListItems> FItems;
  TViewStyle FViewStyle = vsIcon;
  bool FMultiSelect = false;
  bool FReadOnly = false;
  bool FRowSelect = false;
  bool FHideSelection = true;
  bool FGridLines = false;
  bool FCheckboxes = false;
  bool FShowColumnHeaders = true;
  TCustomImageList* FSmallImages = nullptr;
  TCustomImageList* FLargeImages = nullptr;
  TListItem* FItemFocused = nullptr;
  TListItem* FEditItem = nullptr;
  TCanvas* FCanvas = nullptr;
  TEditBuffer FEditor;
  int FPendingLead = -1;
};

class TListView : public TCustomListView {
  KW_DECLARE_CLASS(TListView, TCustomListView)
 public:
  static void PublishMembers(TPublisher<TListView>& P);
  explicit TListView(TComponent* AOwner) : TCustomListView(AOwner) {}
};

// ---- Tree views ----------------------------------------------------------------------

class TTreeNode : public TPersistent {
  KW_DECLARE_CLASS(TTreeNode, TPersistent)
 public:
  TTreeNode(TTreeNodes* Owner, TTreeNode* Parent);
  ~TTreeNode() override;

  TTreeNodes* Owner() const { return FOwner; }
  TCustomTreeView* TreeView() const;
  TTreeNode* Parent() const { return FParent; }
  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& Value) { FText = Value; }
  void* Data() const { return FData; }
  void SetData(void* Value) { FData = Value; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value) { FImageIndex = Value; }
  int SelectedIndex() const { return FSelectedIndex; }
  void SetSelectedIndex(int Value) { FSelectedIndex = Value; }
  int Count() const { return static_cast<int>(FChildren.size()); }
  // Raises EListError for an index outside the children.
  TTreeNode* Item(int Index) const;
  bool HasChildren() const { return !FChildren.empty() || FHasChildren; }
  void SetHasChildren(bool Value) { FHasChildren = Value; }
  bool Expanded() const { return FExpanded; }
  void SetExpanded(bool Value) { FExpanded = Value; }
  void Expand(bool Recurse);
  void Collapse(bool Recurse);
  // 0 for a top-level node.
  int Level() const;
  // Position among its siblings.
  int Index() const;
  // Position in the whole tree, counting every node before it depth first.
  int AbsoluteIndex() const;
  TTreeNode* GetFirstChild() const { return FChildren.empty() ? nullptr : FChildren.front(); }
  TTreeNode* GetLastChild() const { return FChildren.empty() ? nullptr : FChildren.back(); }
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  // The next node depth first (nullptr after the last).
  TTreeNode* GetNext() const;
  bool Selected() const;
  void SetSelected(bool Value);
  bool IsVisible() const;
  void Delete();
  void DeleteChildren();

 private:
  friend class TTreeNodes;
  TTreeNodes* FOwner;
  TTreeNode* FParent;
  std::vector<TTreeNode*> FChildren;
  AnsiString FText;
  void* FData = nullptr;
  int FImageIndex = -1;
  int FSelectedIndex = -1;
  bool FHasChildren = false;
  bool FExpanded = false;
};

class TTreeNodes : public TPersistent {
  KW_DECLARE_CLASS(TTreeNodes, TPersistent)
 public:
  explicit TTreeNodes(TCustomTreeView* Owner) : FOwner(Owner) {}
  ~TTreeNodes() override;
  TTreeNodes(const TTreeNodes&) = delete;
  TTreeNodes& operator=(const TTreeNodes&) = delete;

  TCustomTreeView* Owner() const { return FOwner; }
  // Every node of the tree.
  int Count() const;
  // The node at an absolute index (depth first); EListError outside.
  TTreeNode* Item(int Index) const;
  TTreeNode* operator[](int Index) const { return Item(Index); }
  TTreeNode* GetFirstNode() const { return FRoots.empty() ? nullptr : FRoots.front(); }
  // A node after the last sibling of Sibling (at the top level for nullptr).
  TTreeNode* Add(TTreeNode* Sibling, const AnsiString& S);
  TTreeNode* AddObject(TTreeNode* Sibling, const AnsiString& S, void* Data);
  // The same before Sibling.
  TTreeNode* Insert(TTreeNode* Sibling, const AnsiString& S);
  TTreeNode* AddChild(TTreeNode* Parent, const AnsiString& S);
  TTreeNode* AddChildObject(TTreeNode* Parent, const AnsiString& S, void* Data);
  void Delete(TTreeNode* Node);
  void Clear();
  void BeginUpdate() {}
  void EndUpdate() {}

 private:
  friend class TTreeNode;
  friend class TCustomTreeView;
  std::vector<TTreeNode*>& SiblingsOf(TTreeNode* Parent);
  TTreeNode* InsertAt(TTreeNode* Parent, int Index, const AnsiString& S, void* Data);
  void Unlink(TTreeNode* Node);
  TCustomTreeView* FOwner;
  std::vector<TTreeNode*> FRoots;
};

using TTVChangedEvent = TEvent<TObject*, TTreeNode*>;
using TTVChangingEvent = TEvent<TObject*, TTreeNode*, bool&>;
KW_DECLARE_TYPEINFO(TTVChangedEvent)
KW_DECLARE_TYPEINFO(TTVChangingEvent)

class TCustomTreeView : public TWinControl {
  KW_DECLARE_CLASS(TCustomTreeView, TWinControl)
 public:
  static const TMessageTable& StaticMessageTable();
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); }
  explicit TCustomTreeView(TComponent* AOwner);
  ~TCustomTreeView() override;

  TTreeNodes* Items() const { return FItems.get(); }
  // OnChanging may refuse; OnChange follows a change. Both also fire for a
  // change from code, as the system's tree tells of every selection change.
  TTreeNode* Selected() const { return FSelected; }
  bool SetSelected(TTreeNode* Node);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  bool ShowLines() const { return FShowLines; }
  void SetShowLines(bool Value) { FShowLines = Value; }
  bool ShowRoot() const { return FShowRoot; }
  void SetShowRoot(bool Value) { FShowRoot = Value; }
  bool ShowButtons() const { return FShowButtons; }
  void SetShowButtons(bool Value) { FShowButtons = Value; }
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value) { FHideSelection = Value; }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  void FullExpand();
  void FullCollapse();

  TTVChangingEvent OnChanging;
  TTVChangedEvent OnChange;
  TTVChangedEvent OnDeletion;

 protected:
  void KeyDown(unsigned short& Key, TShiftState Shift) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WMGetDlgCode(TMessage& Message);

 private:
  friend class TTreeNodes;
  friend class TTreeNode;
  void NodeRemoved(TTreeNode* Node);
  std::unique_ptr<TTreeNodes> FItems;
  TTreeNode* FSelected = nullptr;
  bool FReadOnly = false;
  bool FShowLines = true;
  bool FShowRoot = true;
  bool FShowButtons = true;
  bool FHideSelection = true;
  TCustomImageList* FImages = nullptr;
};

class TTreeView : public TCustomTreeView {
  KW_DECLARE_CLASS(TTreeView, TCustomTreeView)
 public:
  static void PublishMembers(TPublisher<TTreeView>& P);
  explicit TTreeView(TComponent* AOwner) : TCustomTreeView(AOwner) {}
};

// ---- Status bars ---------------------------------------------------------------------

enum TStatusPanelStyle { psText, psOwnerDraw };
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };
KW_DECLARE_TYPEINFO(TStatusPanelStyle)
KW_DECLARE_TYPEINFO(TStatusPanelBevel)

class TStatusBar;

class TStatusPanel : public TCollectionItem {
  KW_DECLARE_CLASS(TStatusPanel, TCollectionItem)
 public:
  static void PublishMembers(TPublisher<TStatusPanel>& P);
  explicit TStatusPanel(TCollection* Collection) : TCollectionItem(Collection) {}
  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TStatusPanelStyle Style() const { return FStyle; }
  void SetStyle(TStatusPanelStyle Value) { FStyle = Value; }
  TStatusPanelBevel Bevel() const { return FBevel; }
  void SetBevel(TStatusPanelBevel Value) { FBevel = Value; }
  AnsiString DisplayName() const override;

 private:
  AnsiString FText;
  int FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
  TStatusPanelStyle FStyle = psText;
  TStatusPanelBevel FBevel = pbLowered;
};

class TStatusPanels : public TCollection {
  KW_DECLARE_CLASS(TStatusPanels, TCollection)
 public:
  explicit TStatusPanels(TStatusBar* Owner);
  TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
  TStatusPanel* Items(int Index) const { return static_cast<TStatusPanel*>(TCollection::Items(Index)); }
};

class TStatusBar : public TWinControl {
  KW_DECLARE_CLASS(TStatusBar, TWinControl)
 public:
  static void PublishMembers(TPublisher<TStatusBar>& P);
  explicit TStatusBar(TComponent* AOwner);
  ~TStatusBar() override;

  TStatusPanels* Panels() const { return FPanels.get(); }
  void SetPanels(TStatusPanels* Value);
  // One text over the whole bar instead of the panels.
  bool SimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool Value) { FSimplePanel = Value; }
  const AnsiString& SimpleText() const { return FSimpleText; }
  void SetSimpleText(const AnsiString& Value) { FSimpleText = Value; }
  bool SizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(bool Value) { FSizeGrip = Value; }
  // What the bar shows: the simple text, or the panels' texts.
  AnsiString DisplayText(int Panel) const;

 private:
  std::unique_ptr<TStatusPanels> FPanels;
  bool FSimplePanel = false;
  AnsiString FSimpleText;
  bool FSizeGrip = true;
};

// ---- Tool bars -----------------------------------------------------------------------

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
KW_DECLARE_TYPEINFO(TToolButtonStyle)

class TToolBar;

class TToolButton : public TControl {
  KW_DECLARE_CLASS(TToolButton, TControl)
 public:
  static void PublishMembers(TPublisher<TToolButton>& P);
  explicit TToolButton(TComponent* AOwner);

  TToolButtonStyle Style() const { return FStyle; }
  void SetStyle(TToolButtonStyle Value) { FStyle = Value; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value) { FImageIndex = Value; }
  // A check button stays down; Grouped check buttons beside each other act
  // as radio buttons (AllowAllUp lets the last one come up again).
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  bool Grouped() const { return FGrouped; }
  void SetGrouped(bool Value) { FGrouped = Value; }
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value) { FAllowAllUp = Value; }
  bool Wrap() const { return FWrap; }
  void SetWrap(bool Value) { FWrap = Value; }
  // A press: a check button toggles, then OnClick (not for separators or
  // disabled buttons).
  void Click() override;
  TToolBar* ToolBar() const;
  // Index among the tool bar's buttons (-1 outside one).
  int Index() const;

 private:
  TToolButtonStyle FStyle = tbsButton;
  int FImageIndex = -1;
  bool FDown = false;
  bool FGrouped = false;
  bool FAllowAllUp = false;
  bool FWrap = false;
};

class TToolBar : public TWinControl {
  KW_DECLARE_CLASS(TToolBar, TWinControl)
 public:
  static void PublishMembers(TPublisher<TToolBar>& P);
  explicit TToolBar(TComponent* AOwner);

  // The tool buttons among the children, left to right.
  int ButtonCount() const;
  TToolButton* Buttons(int Index) const;
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  bool ShowCaptions() const { return FShowCaptions; }
  void SetShowCaptions(bool Value) { FShowCaptions = Value; }
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value) { FFlat = Value; }
  int ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(int Value) { FButtonWidth = Value; }
  int ButtonHeight() const { return FButtonHeight; }
  void SetButtonHeight(int Value) { FButtonHeight = Value; }
  bool List() const { return FList; }
  void SetList(bool Value) { FList = Value; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TCustomImageList* FImages = nullptr;
  bool FShowCaptions = false;
  bool FFlat = false;
  int FButtonWidth = 23;
  int FButtonHeight = 22;
  bool FList = false;
};

// ---- Spin edits ------------------------------------------------------------------------

// An edit for a whole number with up and down steps.
class TSpinEdit : public TCustomEdit {
  KW_DECLARE_CLASS(TSpinEdit, TCustomEdit)
 public:
  static void PublishMembers(TPublisher<TSpinEdit>& P);
  explicit TSpinEdit(TComponent* AOwner);

  // The number in the text; a text that is no number reads as MinValue.
  // Values are kept between MinValue and MaxValue unless both are 0.
  int Value() const;
  void SetValue(int Value);
  int MinValue() const { return FMinValue; }
  void SetMinValue(int Value);
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int Value);
  int Increment() const { return FIncrement; }
  void SetIncrement(int Value) { FIncrement = Value; }
  bool EditorEnabled() const { return FEditorEnabled; }
  void SetEditorEnabled(bool Value) { FEditorEnabled = Value; }
  // What the up and down buttons do.
  void UpClick();
  void DownClick();

 protected:
  bool TypeChar(char Key) override;
  void KeyDown(unsigned short& Key, TShiftState Shift) override;
  void DoExit() override;

 private:
  int CheckValue(int Value) const;
  int FMinValue = 0;
  int FMaxValue = 0;
  int FIncrement = 1;
  bool FEditorEnabled = true;
};
