#include "platform/vcl/ExtCtrls.h"

#include <algorithm>

#include "platform/vcl/Bitmap.h"
#include "platform/vcl/StdCtrlsPublish.h"

using namespace kw_stdctrls;

KW_DEFINE_ENUM_TYPEINFO(TBevelCut, "bvNone", "bvLowered", "bvRaised", "bvSpace")
KW_DEFINE_ENUM_TYPEINFO(TBevelShape, "bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine",
                        "bsSpacer")
KW_DEFINE_ENUM_TYPEINFO(TBevelStyle, "bsLowered", "bsRaised")

KW_REGISTER_CLASS(TPanel)
KW_REGISTER_CLASS(TSplitter)
KW_REGISTER_CLASS(TRadioGroup)
KW_REGISTER_CLASS(TBevel)
KW_REGISTER_CLASS(TImage)

namespace {
bool IsLoading(const TComponent* C) { return C->ComponentState().Contains(csLoading); }
}  // namespace

// ---- Panels ----------------------------------------------------------------------

void TPanel::PublishMembers(TPublisher<TPanel>& P) {
  PublishVisual(P, clBtnFace);
  PublishWinControl(P, false);
  PublishCaption(P);
  P.Property("Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment).Default(taCenter);
  P.Property("BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner).Default(bvNone);
  P.Property("BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter).Default(bvRaised);
  P.Property("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth).Default(1);
  P.Property("BorderStyle", &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle).Default(bsNoBorder);
  P.Property("BorderWidth", &TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth).Default(0);
}

TCustomPanel::TCustomPanel(TComponent* AOwner) : TWinControl(AOwner) { SetBounds(0, 0, 185, 41); }

// ---- Splitters -------------------------------------------------------------------

void TSplitter::PublishMembers(TPublisher<TSplitter>& P) {
  P.Property("Align", &TControl::Align, &TControl::SetAlign).Default(alLeft);
  P.Property("Beveled", &TSplitter::Beveled, &TSplitter::SetBeveled).Default(false);
  P.Property("Color", &TControl::Color, &TControl::SetColor).Type(TypeInfo_TColor()).Default(clBtnFace);
  P.Property("MinSize", &TSplitter::MinSize, &TSplitter::SetMinSize).Default(30);
  P.Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
  P.Property("OnMoved", &TSplitter::OnMoved, &TSplitter::OnMoved);
}

TSplitter::TSplitter(TComponent* AOwner) : TControl(AOwner) {
  SetBounds(0, 0, 3, 100);
  SetAlign(alLeft);
}

TControl* TSplitter::FindControl() const {
  TWinControl* parent = Parent();
  if (!parent || Align() == alNone || Align() == alClient) return nullptr;
  // The control on the splitter's near side: its edge touches the splitter.
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c == this || !c->Visible() || c->Align() != Align()) continue;
    switch (Align()) {
      case alLeft:
        if (c->Left() + c->Width() == Left()) return c;
        break;
      case alRight:
        if (c->Left() == Left() + Width()) return c;
        break;
      case alTop:
        if (c->Top() + c->Height() == Top()) return c;
        break;
      case alBottom:
        if (c->Top() == Top() + Height()) return c;
        break;
      default: break;
    }
  }
  return nullptr;
}

int TSplitter::MoveBy(int Delta) {
  TControl* c = FindControl();
  TWinControl* parent = Parent();
  if (!c || !parent || Delta == 0) return 0;
  bool horizontal = Align() == alLeft || Align() == alRight;
  bool grows = Align() == alLeft || Align() == alTop;  // moving right/down grows the control
  int size = horizontal ? c->Width() : c->Height();
  int newSize = size + (grows ? Delta : -Delta);
  // What is left for the rest of the parent (the client-aligned side).
  int total = horizontal ? parent->ClientWidth() : parent->ClientHeight();
  int others = 0;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* o = parent->Controls(i);
    if (o == c || !o->Visible() || o->Align() == alNone || o->Align() == alClient) continue;
    bool sameAxis = horizontal ? (o->Align() == alLeft || o->Align() == alRight)
                               : (o->Align() == alTop || o->Align() == alBottom);
    if (sameAxis) others += horizontal ? o->Width() : o->Height();
  }
  int maxSize = std::max(FMinSize, total - others - FMinSize);
  newSize = std::clamp(newSize, FMinSize, maxSize);
  bool accept = true;
  OnCanResize(this, newSize, accept);
  if (!accept || newSize == size) return 0;
  if (horizontal)
    c->SetWidth(newSize);
  else
    c->SetHeight(newSize);
  OnMoved(this);
  return grows ? newSize - size : size - newSize;
}

// ---- Radio groups ----------------------------------------------------------------

void TRadioGroup::PublishMembers(TPublisher<TRadioGroup>& P) {
  PublishVisual(P, clBtnFace);
  PublishWinControl(P, true);
  PublishCaption(P);
  P.Property("Columns", &TCustomRadioGroup::Columns, &TCustomRadioGroup::SetColumns).Default(1);
  P.Property("Items", &TCustomRadioGroup::Items, &TCustomRadioGroup::SetItems);
  P.Property("ItemIndex", &TCustomRadioGroup::ItemIndex, &TCustomRadioGroup::SetItemIndex).Default(-1);
}

const TMessageTable& TCustomRadioGroup::StaticMessageTable() {
  using ThisClass = TCustomRadioGroup;
  static const TMessageTable table(&TCustomGroupBox::StaticMessageTable(),
                                   {
                                       KW_ON_MESSAGE(WM_GETDLGCODE, WMGetDlgCode),
                                   });
  return table;
}

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner) : TCustomGroupBox(AOwner) {
  FItems = std::make_unique<TListControlItems>(static_cast<TListControlItems::TListener&>(*this));
  SetTabStop(true);
}

TCustomRadioGroup::~TCustomRadioGroup() = default;

void TCustomRadioGroup::SetItems(TStrings* Value) {
  if (Value) FItems->Assign(Value);
}

void TCustomRadioGroup::SetItemIndex(int Value) {
  if (IsLoading(this)) {
    // The items may come after the index in a description.
    FItemIndex = Value;
    return;
  }
  if (Value < -1 || Value >= FItems->Count()) Value = -1;
  if (FItemIndex == Value) return;
  FItemIndex = Value;
  if (Value >= 0) Click();
}

void TCustomRadioGroup::Loaded() {
  TCustomGroupBox::Loaded();
  if (FItemIndex < -1 || FItemIndex >= FItems->Count()) FItemIndex = -1;
}

void TCustomRadioGroup::SetColumns(int Value) { FColumns = std::clamp(Value, 1, 16); }

void TCustomRadioGroup::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS; }

void TCustomRadioGroup::KeyDown(unsigned short& Key, TShiftState Shift) {
  TCustomGroupBox::KeyDown(Key, Shift);
  int n = FItems->Count();
  if (Key == 0 || n == 0) return;
  // Arrow keys move among the buttons (and check the one they reach).
  if (Key == VK_UP || Key == VK_LEFT)
    SetItemIndex(FItemIndex <= 0 ? 0 : FItemIndex - 1);
  else if (Key == VK_DOWN || Key == VK_RIGHT)
    SetItemIndex(std::min(FItemIndex + 1, n - 1));
}

void TCustomRadioGroup::ItemInserted(int Index) {
  if (IsLoading(this)) return;
  if (FItemIndex >= 0 && Index <= FItemIndex) ++FItemIndex;
}
void TCustomRadioGroup::ItemDeleted(int Index) {
  if (IsLoading(this)) return;
  if (Index == FItemIndex)
    FItemIndex = -1;
  else if (Index < FItemIndex)
    --FItemIndex;
}
void TCustomRadioGroup::ItemsCleared() {
  if (!IsLoading(this)) FItemIndex = -1;
}
void TCustomRadioGroup::ItemsChanged() {
  if (!IsLoading(this) && FItemIndex >= FItems->Count()) FItemIndex = -1;
}

// ---- Bevels and images ----------------------------------------------------------------

void TBevel::PublishMembers(TPublisher<TBevel>& P) {
  P.Property("Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
  P.Property("Shape", &TBevel::Shape, &TBevel::SetShape).Default(bsBox);
  P.Property("Style", &TBevel::Style, &TBevel::SetStyle).Default(bsLowered);
  P.Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
}

TBevel::TBevel(TComponent* AOwner) : TControl(AOwner) { SetBounds(0, 0, 50, 50); }

void TImage::PublishMembers(TPublisher<TImage>& P) {
  P.Property("Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
  P.Property("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize).Default(false);
  P.Property("Center", &TImage::Center, &TImage::SetCenter).Default(false);
  P.Property("Picture", &TImage::Picture, &TImage::SetPicture);
  P.Property("Stretch", &TImage::Stretch, &TImage::SetStretch).Default(false);
  P.Property("Transparent", &TImage::Transparent, &TImage::SetTransparent).Default(false);
  P.Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
  P.Property("OnClick", &TControl::OnClick, &TControl::OnClick);
  P.Property("OnDblClick", &TControl::OnDblClick, &TControl::OnDblClick);
}

TImage::TImage(TComponent* AOwner) : TControl(AOwner), FPicture(std::make_unique<TBitmap>()) {
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() = default;

void TImage::SetPicture(TBitmap* Value) {
  if (Value)
    FPicture->Assign(Value);
  else
    FPicture = std::make_unique<TBitmap>();
  PictureChanged();
}

void TImage::PictureChanged() {
  if (FAutoSize && !FPicture->Empty()) SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
}

void TImage::SetAutoSize(bool Value) {
  FAutoSize = Value;
  PictureChanged();
}
