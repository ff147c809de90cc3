#include "platform/vcl/Controls.h"

#include <algorithm>

#include "platform/vcl/Application.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Publisher.h"

KW_DEFINE_ENUM_TYPEINFO(TAlign, "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient")

KW_REGISTER_CLASS(TControl)
KW_REGISTER_CLASS(TWinControl)

// Forms.cpp: whether the exception being handled unwinds the showing of a
// form that its own OnShow or OnHide freed (nothing may touch it then).
bool FreedFormUnwinding();

namespace {

const char* const kCannotFocus = "Cannot focus a disabled or invisible window";

bool IsLoading(const TComponent* C) { return C->ComponentState().Contains(csLoading); }

}  // namespace

// ===========================================================================
// TControl

void TControl::PublishMembers(TPublisher<TControl>& P) {
  // Only what every control shows in its description; the text, colour,
  // font, visibility and events are published by the classes that have them,
  // so that a property walk finds "Caption" only where a control has one.
  P.Property("Left", &TControl::Left, &TControl::SetLeft).NoDefault();
  P.Property("Top", &TControl::Top, &TControl::SetTop).NoDefault();
  P.Property("Width", &TControl::Width, &TControl::SetWidth).NoDefault();
  P.Property("Height", &TControl::Height, &TControl::SetHeight).NoDefault();
  P.Property("Cursor", &TControl::Cursor, &TControl::SetCursor)
      .Type(TypeInfo_TCursor())
      .Default(crDefault);
  P.Property("Hint", &TControl::Hint, &TControl::SetHint);
}

const TMessageTable& TControl::StaticMessageTable() {
  using ThisClass = TControl;
  static const TMessageTable table(
      nullptr, {
                   KW_ON_MESSAGE(CM_VISIBLECHANGED, CMVisibleChanged),
                   KW_ON_MESSAGE(CM_ENABLEDCHANGED, CMEnabledChanged),
                   KW_ON_MESSAGE(CM_PARENTFONTCHANGED, CMParentFontChanged),
                   KW_ON_MESSAGE(CM_PARENTCOLORCHANGED, CMParentColorChanged),
                   KW_ON_MESSAGE(CM_PARENTSHOWHINTCHANGED, CMParentShowHintChanged),
                   KW_ON_MESSAGE(WM_SETTEXT, WMSetText),
               });
  return table;
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
  FWindowProc = [this](TMessage& M) { WndProc(M); };
  FFont = new TFont();
  if (TScreen* screen = GetScreen()) FFont->SetPixelsPerInch(screen->PixelsPerInch());
  FFont->OnChange = Bind<&TControl::FontChanged>(this);
}

TControl::~TControl() {
  if (TApplication* app = GetApplication()) app->ControlDestroyed(this);
  // The parent is alive, this control no longer is a whole one: unlink
  // without calling back into it.
  if (FParent) {
    TWinControl* parent = FParent;
    parent->FControls.erase(std::remove(parent->FControls.begin(), parent->FControls.end(), this),
                            parent->FControls.end());
    FParent = nullptr;
    if (FAlign != alNone && !parent->ComponentState().Contains(csDestroying)) parent->Realign();
  }
  delete FFont;
}

void TControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  for (const TControl* p = AParent; p; p = p->FParent)
    if (p == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* parent = ObjectAs<TWinControl>(Value)) SetParent(parent);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  bool moved = ALeft != FLeft || ATop != FTop;
  bool resized = AWidth != FWidth || AHeight != FHeight;
  if (!moved && !resized) return;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  if (IsLoading(this)) return;
  if (resized) {
    if (auto* self = ObjectAs<TWinControl>(this)) self->Realign();
    Resize();
  }
  RequestAlign();
  if (auto* self = ObjectAs<TWinControl>(this); self && self->HandleAllocated() && moved)
    SendMessage(self->FHandle, WM_MOVE, 0, MakeLParam(FLeft, FTop));
}

void TControl::SetAlign(TAlign Value) {
  if (FAlign == Value) return;
  TAlign old = FAlign;
  FAlign = Value;
  if (!IsLoading(this) && FParent && (old != alNone || Value != alNone)) FParent->Realign();
}

void TControl::RequestAlign() {
  if (FAlign != alNone && FParent && !IsLoading(this)) FParent->Realign();
}

void TControl::Resize() { OnResize(this); }

void TControl::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0);
  RequestAlign();
}

void TControl::Show() {
  if (FParent) FParent->ShowControl(this);
  SetVisible(true);
}

void TControl::Hide() { SetVisible(false); }

void TControl::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED);
}

bool TControl::Showing() const { return FVisible && FParent && FParent->Showing(); }

void TControl::SetTextValue(const AnsiString& Value) {
  if (RealGetText() == Value) return;
  RealSetText(Value);
  Perform(CM_TEXTCHANGED);
}

void TControl::SetShowHint(bool Value) {
  if (FShowHint == Value && !FParentShowHint) return;
  FShowHint = Value;
  FParentShowHint = false;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool Value) {
  if (FParentShowHint == Value) return;
  FParentShowHint = Value;
  if (Value) TakeParentShowHint();
}

void TControl::SetColor(TColor Value) {
  if (FColor == Value && !FParentColor) return;
  FColor = Value;
  FParentColor = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool Value) {
  if (FParentColor == Value) return;
  FParentColor = Value;
  if (Value) TakeParentColor();
}

void TControl::SetFont(TFont* Value) {
  if (Value) FFont->Assign(Value);
}

void TControl::SetParentFont(bool Value) {
  if (FParentFont == Value) return;
  FParentFont = Value;
  if (Value) TakeParentFont();
}

void TControl::FontChanged(TObject*) {
  // A font that follows the parent's is changed by TakeParentFont; any other
  // change makes the font the control's own.
  if (!FTakingParentFont) FParentFont = false;
  Perform(CM_FONTCHANGED);
}

void TControl::TakeParentFont() {
  if (!FParentFont || !FParent) return;
  FTakingParentFont = true;
  try {
    FFont->Assign(FParent->Font());
  } catch (...) {
    FTakingParentFont = false;
    throw;
  }
  FTakingParentFont = false;
}

void TControl::TakeParentColor() {
  if (!FParentColor || !FParent) return;
  FColor = FParent->Color();
  FParentColor = true;
  Perform(CM_COLORCHANGED);
}

void TControl::TakeParentShowHint() {
  if (!FParentShowHint || !FParent) return;
  if (FShowHint != FParent->ShowHint()) {
    FShowHint = FParent->ShowHint();
    Perform(CM_SHOWHINTCHANGED);
  }
}

void TControl::CMVisibleChanged(TMessage&) {}
void TControl::CMEnabledChanged(TMessage&) {}
void TControl::CMParentFontChanged(TMessage&) { TakeParentFont(); }
void TControl::CMParentColorChanged(TMessage&) { TakeParentColor(); }
void TControl::CMParentShowHintChanged(TMessage&) { TakeParentShowHint(); }

void TControl::WMSetText(TMessage& Message) {
  const char* text = LParamToObject<const char>(Message.LParam);
  SetTextValue(text ? AnsiString(text) : AnsiString());
  Message.Result = 1;
}

void TControl::Click() { OnClick(this); }

void TControl::DblClick() { OnDblClick(this); }

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage message{Msg, WParam, LParam, 0};
  // A copy: the procedure may replace itself (or free the control).
  TWndMethod proc = FWindowProc;
  proc(message);
  return message.Result;
}

void TControl::SetWindowProc(TWndMethod Value) {
  FWindowProc = Value ? std::move(Value) : TWndMethod([this](TMessage& M) { WndProc(M); });
}

void TControl::WndProc(TMessage& Message) { Dispatch(Message); }

void TControl::Dispatch(TMessage& Message) { DispatchFrom(&MessageTable(), Message); }

void TControl::DispatchFrom(const TMessageTable* Table, TMessage& Message) {
  for (const TMessageTable* t = Table; t; t = t->Parent()) {
    if (const TMessageEntry* e = t->Find(Message.Msg)) {
      e->Handler(this, Message);
      return;
    }
  }
  DefaultHandler(Message);
}

void TControl::DefaultHandler(TMessage& Message) { Message.Result = 0; }

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (FParent) {
    TakeParentFont();
    TakeParentColor();
    TakeParentShowHint();
  }
  // Reading moved and sized the controls without aligning or showing them.
  if (auto* self = ObjectAs<TWinControl>(this)) {
    self->Realign();
    if (FParent) self->UpdateControlState();
  }
  RequestAlign();
}

// ===========================================================================
// TWinControl

const TMessageTable& TWinControl::StaticMessageTable() {
  using ThisClass = TWinControl;
  static const TMessageTable table(
      &TControl::StaticMessageTable(),
      {
          KW_ON_MESSAGE(WM_SETFOCUS, WMSetFocus),
          KW_ON_MESSAGE(WM_KILLFOCUS, WMKillFocus),
          KW_ON_MESSAGE(WM_KEYDOWN, WMKeyDown),
          KW_ON_MESSAGE(WM_SYSKEYDOWN, WMKeyDown),
          KW_ON_MESSAGE(WM_KEYUP, WMKeyUp),
          KW_ON_MESSAGE(WM_SYSKEYUP, WMKeyUp),
          KW_ON_MESSAGE(WM_CHAR, WMChar),
          KW_ON_MESSAGE(CN_KEYDOWN, CNKeyDown),
          KW_ON_MESSAGE(CN_SYSKEYDOWN, CNKeyDown),
          KW_ON_MESSAGE(CN_CHAR, CNChar),
          KW_ON_MESSAGE(CM_ENTER, CMEnter),
          KW_ON_MESSAGE(CM_EXIT, CMExit),
          KW_ON_MESSAGE(CM_DIALOGKEY, CMDialogKey),
          KW_ON_MESSAGE(CM_SHOWINGCHANGED, CMShowingChanged),
          KW_ON_MESSAGE(CM_VISIBLECHANGED, CMVisibleChanged),
          KW_ON_MESSAGE(CM_ENABLEDCHANGED, CMEnabledChanged),
          KW_ON_MESSAGE(CM_FONTCHANGED, CMFontChanged),
          KW_ON_MESSAGE(CM_COLORCHANGED, CMColorChanged),
          KW_ON_MESSAGE(CM_SHOWHINTCHANGED, CMShowHintChanged),
      });
  return table;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  if (FParent) RemoveFocus(true);
  DestroyChildControls();
  if (FHandle) DestroyHandle();
}

void TWinControl::DestroyChildControls() {
  while (!FControls.empty()) {
    TControl* child = FControls.back();
    // The child unlinks itself from this control in its destructor.
    delete child;
  }
}

TControl* TWinControl::Controls(int Index) const {
  if (Index < 0 || Index >= ControlCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FControls[Index];
}

bool TWinControl::ContainsControl(const TControl* Control) const {
  for (const TControl* c = Control; c; c = c->FParent)
    if (c == this) return true;
  return false;
}

void TWinControl::InsertControl(TControl* Control) {
  if (!Control || Control->FParent == this) return;
  Perform(CM_CONTROLLISTCHANGE, ObjectToLParam(Control), 1);
  FControls.push_back(Control);
  Control->FParent = this;
  if (IsLoading(Control)) return;
  Control->Perform(CM_PARENTCOLORCHANGED);
  Control->Perform(CM_PARENTFONTCHANGED);
  Control->Perform(CM_PARENTSHOWHINTCHANGED);
  if (auto* win = ObjectAs<TWinControl>(Control)) win->UpdateControlState();
  if (Control->FAlign != alNone) Realign();
}

void TWinControl::RemoveControl(TControl* Control) {
  if (!Control || Control->FParent != this) return;
  if (auto* win = ObjectAs<TWinControl>(Control)) {
    win->RemoveFocus(true);
    // A window cannot outlive its parent window.
    if (win->HandleAllocated()) win->DestroyHandle();
    win->FShowing = false;
  }
  Perform(CM_CONTROLLISTCHANGE, ObjectToLParam(Control), 0);
  FControls.erase(std::remove(FControls.begin(), FControls.end(), Control), FControls.end());
  Control->FParent = nullptr;
  if (Control->FAlign != alNone) Realign();
}

void TWinControl::ShowControl(TControl*) {
  if (FParent) FParent->ShowControl(this);
}

void TWinControl::GetChildren(std::vector<TComponent*>& Children, const TComponent* Root) const {
  for (TControl* c : FControls)
    if (c->Owner() == Root) Children.push_back(c);
}

void TWinControl::Broadcast(TMessage& Message) {
  for (size_t i = 0; i < FControls.size(); ++i) {
    TControl* c = FControls[i];
    TWndMethod proc = c->FWindowProc;
    proc(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT Msg) {
  std::vector<TControl*> children = FControls;
  for (TControl* c : children) c->Perform(Msg);
}

void TWinControl::Realign() {
  if (FAligning || IsLoading(this) || ComponentState().Contains(csDestroying)) return;
  FAligning = true;
  int left = 0, top = 0, right = ClientWidth(), bottom = ClientHeight();
  auto place = [&](TAlign align) {
    std::vector<TControl*> list;
    for (TControl* c : FControls)
      if (c->FAlign == align && c->FVisible) list.push_back(c);
    // Controls of one alignment keep the order their positions give, so that
    // a designer can move one above another.
    std::stable_sort(list.begin(), list.end(), [align](const TControl* a, const TControl* b) {
      switch (align) {
        case alTop: return a->FTop < b->FTop;
        case alBottom: return a->FTop + a->FHeight > b->FTop + b->FHeight;
        case alLeft: return a->FLeft < b->FLeft;
        case alRight: return a->FLeft + a->FWidth > b->FLeft + b->FWidth;
        default: return false;
      }
    });
    for (TControl* c : list) {
      int w = std::max(right - left, 0), h = std::max(bottom - top, 0);
      switch (align) {
        case alTop:
          c->SetBounds(left, top, w, c->FHeight);
          top += c->FHeight;
          break;
        case alBottom:
          c->SetBounds(left, bottom - c->FHeight, w, c->FHeight);
          bottom -= c->FHeight;
          break;
        case alLeft:
          c->SetBounds(left, top, c->FWidth, h);
          left += c->FWidth;
          break;
        case alRight:
          c->SetBounds(right - c->FWidth, top, c->FWidth, h);
          right -= c->FWidth;
          break;
        case alClient: c->SetBounds(left, top, w, h); break;
        case alNone: break;
      }
    }
  };
  try {
    for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) place(a);
  } catch (...) {
    FAligning = false;
    throw;
  }
  FAligning = false;
}

// ---- Handle ----------------------------------------------------------------

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (!FHandle) CreateHandle();
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  HWND parent = 0;
  if (FParent) {
    parent = FParent->Handle();
  } else if (FParentWindow) {
    parent = FParentWindow;
  } else if (!ObjectAs<TCustomForm>(this)) {
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  }
  FHandle = AllocateHWnd([this](TMessage& M) { MainWndProc(M); }, this, parent);
  if (!FEnabled) EnableWindow(FHandle, false);
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  for (TControl* c : FControls)
    if (auto* win = ObjectAs<TWinControl>(c); win && win->FHandle) win->DestroyHandle();
  HWND handle = FHandle;
  FHandle = 0;
  FShowing = false;
  DeallocateHWnd(handle);
}

void TWinControl::SetParentWindow(HWND Value) {
  if (FParentWindow == Value) return;
  if (FParent) {
    FParentWindow = Value;
    return;
  }
  if (FHandle) DestroyHandle();
  FParentWindow = Value;
  UpdateControlState();
}

void TWinControl::MainWndProc(TMessage& Message) {
  try {
    TWndMethod proc = FWindowProc;
    proc(Message);
  } catch (...) {
    Application->HandleException(this);
  }
}

void TWinControl::UpdateShowing() {
  bool show = FVisible && !ControlState().Contains(csReadingState) && (!FParent || FParent->FShowing);
  if (show && !FHandle) CreateHandle();
  if (FHandle && FShowing != show) {
    FShowing = show;
    try {
      Perform(CM_SHOWINGCHANGED);
    } catch (...) {
      // A form freed by its own OnShow or OnHide unwinds through here.
      if (!FreedFormUnwinding()) FShowing = !show;
      throw;
    }
  }
  std::vector<TControl*> children = FControls;
  for (TControl* c : children)
    if (auto* win = ObjectAs<TWinControl>(c)) win->UpdateShowing();
}

void TWinControl::UpdateControlState() {
  const TWinControl* top = this;
  for (const TWinControl* p = FParent; p; p = p->FParent) {
    if (!p->FShowing) return;
    top = p;
  }
  // Only a window tree that hangs from a form or a foreign parent window can
  // be on the screen.
  if (ObjectAs<TCustomForm>(top) || top->FParentWindow) UpdateShowing();
}

void TWinControl::CMShowingChanged(TMessage&) {
  ShowWindow(FHandle, FShowing ? SW_SHOW : SW_HIDE);
}

void TWinControl::CMVisibleChanged(TMessage& Message) {
  TControl::CMVisibleChanged(Message);
  if (!FVisible && FParent) RemoveFocus(false);
  if (!IsLoading(this)) UpdateControlState();
}

void TWinControl::CMEnabledChanged(TMessage& Message) {
  TControl::CMEnabledChanged(Message);
  if (!FEnabled && FParent) RemoveFocus(false);
  if (FHandle) EnableWindow(FHandle, FEnabled);
}

void TWinControl::CMFontChanged(TMessage&) { NotifyControls(CM_PARENTFONTCHANGED); }

void TWinControl::CMColorChanged(TMessage&) { NotifyControls(CM_PARENTCOLORCHANGED); }

void TWinControl::CMShowHintChanged(TMessage&) { NotifyControls(CM_PARENTSHOWHINTCHANGED); }

// ---- Tab order and focus ----------------------------------------------------

namespace {
void TabList(const TWinControl* Parent, std::vector<TWinControl*>& List) {
  for (int i = 0; i < Parent->ControlCount(); ++i)
    if (auto* win = ObjectAs<TWinControl>(Parent->Controls(i))) List.push_back(win);
}
}  // namespace

int TWinControl::TabOrder() const {
  if (!FParent) return -1;
  std::vector<TWinControl*> siblings;
  TabList(FParent, siblings);
  auto it = std::find(siblings.begin(), siblings.end(), this);
  return it == siblings.end() ? -1 : static_cast<int>(it - siblings.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (!FParent) return;
  std::vector<TWinControl*> siblings;
  TabList(FParent, siblings);
  int count = static_cast<int>(siblings.size());
  if (Value < 0 || Value >= count) Value = count - 1;
  int current = TabOrder();
  if (current < 0 || current == Value) return;
  // The window controls keep the tab order in the parent's list; the other
  // controls keep their places.
  auto& all = FParent->FControls;
  all.erase(std::remove(all.begin(), all.end(), static_cast<TControl*>(this)), all.end());
  siblings.erase(siblings.begin() + current);
  if (Value >= static_cast<int>(siblings.size())) {
    all.push_back(this);
  } else {
    auto at = std::find(all.begin(), all.end(), static_cast<TControl*>(siblings[Value]));
    all.insert(at, this);
  }
}

void TWinControl::SetTabStop(bool Value) {
  if (FTabStop == Value) return;
  FTabStop = Value;
  Perform(CM_TABSTOPCHANGED);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const {
  std::vector<TWinControl*> children;
  TabList(this, children);
  for (TWinControl* c : children) {
    List.push_back(c);
    c->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int count = static_cast<int>(list.size());
  auto it = std::find(list.begin(), list.end(), CurControl);
  int start = it == list.end() ? (GoForward ? count - 1 : 0) : static_cast<int>(it - list.begin());
  int i = start;
  do {
    if (GoForward) {
      if (++i == count) i = 0;
    } else {
      if (i == 0) i = count;
      --i;
    }
    TWinControl* c = list[i];
    if (c->CanFocus() && (!CheckTabStop || c->FTabStop) && (!CheckParent || c->FParent == this)) return c;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop)) next->SetFocus();
}

bool TWinControl::CanFocus() const {
  const TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  for (const TWinControl* c = this; c != form; c = c->FParent)
    if (!(c->FVisible && c->FEnabled)) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (TCustomForm* form = GetParentForm(this)) {
    form->FocusControl(this);
  } else if (FParentWindow) {
    ::SetFocus(Handle());
  } else {
    ValidParentForm(this);
  }
}

bool TWinControl::Focused() const { return FHandle != 0 && GetFocus() == FHandle; }

void TWinControl::RemoveFocus(bool Removing) {
  if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, Removing);
}

void TWinControl::DoEnter() { OnEnter(this); }

void TWinControl::DoExit() { OnExit(this); }

void TWinControl::KeyDown(unsigned short& Key, TShiftState Shift) { OnKeyDown(this, Key, Shift); }

void TWinControl::KeyPress(char& Key) { OnKeyPress(this, Key); }

void TWinControl::KeyUp(unsigned short& Key, TShiftState Shift) { OnKeyUp(this, Key, Shift); }

bool TWinControl::DoKeyDown(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyDown(Message)) return true;
  unsigned short key = static_cast<unsigned short>(Message.WParam);
  KeyDown(key, KeyDataToShiftState(Message.LParam));
  Message.WParam = key;
  return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyPress(Message)) return true;
  char key = static_cast<char>(Message.WParam);
  KeyPress(key);
  Message.WParam = static_cast<unsigned char>(key);
  return key == 0;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyUp(Message)) return true;
  unsigned short key = static_cast<unsigned short>(Message.WParam);
  KeyUp(key, KeyDataToShiftState(Message.LParam));
  Message.WParam = key;
  return key == 0;
}

void TWinControl::WMSetFocus(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && !form->SetFocusedControl(this)) return;
  DefaultHandler(Message);
}

void TWinControl::WMKillFocus(TMessage& Message) {
  if (ControlState().Contains(csFocusing)) return;
  DefaultHandler(Message);
}

void TWinControl::WMKeyDown(TMessage& Message) {
  if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
  if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message) {
  if (!DoKeyPress(Message)) DefaultHandler(Message);
}

void TWinControl::CNKeyDown(TMessage& Message) {
  Message.Result = 1;
  if (!ComponentState().Contains(csDesigning)) {
    if (Perform(CM_CHILDKEY, Message.WParam, ObjectToLParam(this)) != 0) return;
    if (TCustomForm* f = GetParentForm(this);
        f && FormShortCutHandler &&
        FormShortCutHandler(f, static_cast<unsigned short>(Message.WParam), KeyDataToShiftState(Message.LParam)))
      return;
    LRESULT mask = 0;
    switch (Message.WParam) {
      case VK_TAB: mask = DLGC_WANTTAB; break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN: mask = DLGC_WANTARROWS; break;
      case VK_RETURN:
      case VK_ESCAPE: mask = DLGC_WANTALLKEYS; break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, Message.WParam, Message.LParam) == 0 &&
        (Perform(WM_GETDLGCODE) & mask) == 0) {
      if (TCustomForm* form = GetParentForm(this);
          form && form->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0)
        return;
    }
  }
  Message.Result = 0;
}

void TWinControl::CNChar(TMessage& Message) { Message.Result = 0; }

void TWinControl::CMEnter(TMessage&) { DoEnter(); }

void TWinControl::CMExit(TMessage&) { DoExit(); }

void TWinControl::CMDialogKey(TMessage& Message) { Broadcast(Message); }

// ===========================================================================

TCustomForm* GetParentForm(const TControl* Control) {
  if (!Control) return nullptr;
  const TControl* top = Control;
  while (top->Parent()) top = top->Parent();
  return ObjectAs<TCustomForm>(const_cast<TControl*>(top));
}

TCustomForm* ValidParentForm(const TControl* Control) {
  TCustomForm* form = GetParentForm(Control);
  if (!form) throw EInvalidOperation("Control '" + (Control ? Control->Name() : AnsiString()) + "' has no parent window");
  return form;
}

TWinControl* FindControl(HWND Handle) { return ObjectAs<TWinControl>(FindWindowObject(Handle)); }

bool PressKey(unsigned short Key, TShiftState Shift) {
  if (!GetFocus() && !GetActiveWindow()) return false;
  // Key messages for the thread go to the window that has the focus when they
  // are processed, as typed keys do.
  bool sys = Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl);
  LPARAM data = ShiftStateToKeyData(Shift);
  PostMessage(0, sys ? WM_SYSKEYDOWN : WM_KEYDOWN, Key, data);
  PostMessage(0, sys ? WM_SYSKEYUP : WM_KEYUP, Key, data | (LPARAM{1} << 30) | (LPARAM{1} << 31));
  return true;
}

bool TypeText(const AnsiString& Text) {
  if (!GetFocus() && !GetActiveWindow()) return false;
  for (unsigned char c : Text) PostMessage(0, WM_CHAR, c, 1);
  return true;
}
