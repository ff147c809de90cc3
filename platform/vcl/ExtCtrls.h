#pragma once
// Panels, splitters, radio groups, bevels and images.

#include <memory>

#include "platform/vcl/StdCtrls.h"

class TBitmap;

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };
KW_DECLARE_TYPEINFO(TBevelCut)
KW_DECLARE_TYPEINFO(TBevelShape)
KW_DECLARE_TYPEINFO(TBevelStyle)

class TCustomPanel : public TWinControl {
  KW_DECLARE_CLASS(TCustomPanel, TWinControl)
 public:
  explicit TCustomPanel(TComponent* AOwner);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value) { FAlignment = Value; }
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut Value) { FBevelInner = Value; }
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut Value) { FBevelOuter = Value; }
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int Value) { FBevelWidth = Value < 1 ? 1 : Value; }
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int Value) { FBorderWidth = Value < 0 ? 0 : Value; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value) { FBorderStyle = Value; }

 private:
  TAlignment FAlignment = taCenter;
  TBevelCut FBevelInner = bvNone;
  TBevelCut FBevelOuter = bvRaised;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  TBorderStyle FBorderStyle = bsNoBorder;
};

class TPanel : public TCustomPanel {
  KW_DECLARE_CLASS(TPanel, TCustomPanel)
 public:
  static void PublishMembers(TPublisher<TPanel>& P);
  explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
};

// A bar between aligned controls: moving it resizes the control it is
// aligned against (the nearest control with the same alignment before it).
class TSplitter : public TControl {
  KW_DECLARE_CLASS(TSplitter, TControl)
 public:
  static void PublishMembers(TPublisher<TSplitter>& P);
  explicit TSplitter(TComponent* AOwner);
  // The smallest size either side may get.
  int MinSize() const { return FMinSize; }
  void SetMinSize(int Value) { FMinSize = Value < 0 ? 0 : Value; }
  bool Beveled() const { return FBeveled; }
  void SetBeveled(bool Value) { FBeveled = Value; }
  // The control the splitter resizes (nullptr when none is aligned beside it).
  TControl* FindControl() const;
  // Drags the splitter by Delta pixels (right or down positive); the move is
  // limited so that both sides keep MinSize. Returns the distance moved.
  // OnCanResize may change the new size or refuse; OnMoved follows a move.
  int MoveBy(int Delta);

  TEvent<TObject*, int&, bool&> OnCanResize;
  TNotifyEvent OnMoved;

 private:
  int FMinSize = 30;
  bool FBeveled = false;
};

// A group box with one radio button per item.
class TCustomRadioGroup : public TCustomGroupBox, private TListControlItems::TListener {
  KW_DECLARE_CLASS(TCustomRadioGroup, TCustomGroupBox)
 public:
  static const TMessageTable& StaticMessageTable();
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); }
  explicit TCustomRadioGroup(TComponent* AOwner);
  ~TCustomRadioGroup() override;

  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value);
  // -1 for none; a value outside the items selects none. A change (from code
  // too) fires OnClick, as checking a radio button does.
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int Value);
  // Items are laid out in this many columns (1 to 16).
  int Columns() const { return FColumns; }
  void SetColumns(int Value);

 protected:
  void KeyDown(unsigned short& Key, TShiftState Shift) override;
  void Loaded() override;
  void WMGetDlgCode(TMessage& Message);

 private:
  void ItemInserted(int Index) override;
  void ItemDeleted(int Index) override;
  void ItemsCleared() override;
  void ItemsChanged() override;
  std::unique_ptr<TListControlItems> FItems;
  int FItemIndex = -1;
  int FColumns = 1;
};

class TRadioGroup : public TCustomRadioGroup {
  KW_DECLARE_CLASS(TRadioGroup, TCustomRadioGroup)
 public:
  static void PublishMembers(TPublisher<TRadioGroup>& P);
  explicit TRadioGroup(TComponent* AOwner) : TCustomRadioGroup(AOwner) {}
};

class TBevel : public TControl {
  KW_DECLARE_CLASS(TBevel, TControl)
 public:
  static void PublishMembers(TPublisher<TBevel>& P);
  explicit TBevel(TComponent* AOwner);
  TBevelShape Shape() const { return FShape; }
  void SetShape(TBevelShape Value) { FShape = Value; }
  TBevelStyle Style() const { return FStyle; }
  void SetStyle(TBevelStyle Value) { FStyle = Value; }

 private:
  TBevelShape FShape = bsBox;
  TBevelStyle FStyle = bsLowered;
};

class TImage : public TControl {
  KW_DECLARE_CLASS(TImage, TControl)
 public:
  static void PublishMembers(TPublisher<TImage>& P);
  explicit TImage(TComponent* AOwner);
  ~TImage() override;
  // The picture (a bitmap); setting copies it. With AutoSize the control
  // takes the picture's size.
  TBitmap* Picture() const { return FPicture.get(); }
  void SetPicture(TBitmap* Value);
  // Tells the image that its picture was changed in place.
  void PictureChanged();
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value) { FStretch = Value; }
  bool Center() const { return FCenter; }
  void SetCenter(bool Value) { FCenter = Value; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value) { FTransparent = Value; }

 private:
  std::unique_ptr<TBitmap> FPicture;
  bool FAutoSize = false;
  bool FStretch = false;
  bool FCenter = false;
  bool FTransparent = false;
};
