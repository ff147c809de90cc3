#include "platform/vcl/Forms.h"

#include <algorithm>

#include "platform/vcl/FormClass.h"
#include "platform/vcl/FormResources.h"
#include "platform/vcl/Graphics.h"

KW_DEFINE_ENUM_TYPEINFO(TWindowState, "wsNormal", "wsMinimized", "wsMaximized")
KW_DEFINE_ENUM_TYPEINFO(TPosition, "poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                        "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter")
KW_DEFINE_ENUM_TYPEINFO(TFormBorderStyle, "bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow",
                        "bsSizeToolWin")
KW_DEFINE_ENUM_TYPEINFO(TBorderIcon, "biSystemMenu", "biMinimize", "biMaximize", "biHelp")
KW_DEFINE_SET_TYPEINFO(TBorderIcons, TBorderIcon)

KW_REGISTER_FORM(TCustomForm)
KW_REGISTER_FORM(TForm)

namespace {

const char* const kCannotFocus = "Cannot focus a disabled or invisible window";

// Forms inside their own change of visibility (SetVisible), by the address
// of their memory: a form freed meanwhile is only destroyed, and its memory
// goes when the outermost change returns.
struct TVisibilityChange {
  void* Block;
  int Depth;
  bool Freed;
};
std::vector<TVisibilityChange>& VisibilityChanges() {
  // Windows live on one thread.
  static std::vector<TVisibilityChange> changes;
  return changes;
}
TVisibilityChange* FindVisibilityChange(void* Block) {
  for (TVisibilityChange& c : VisibilityChanges())
    if (c.Block == Block) return &c;
  return nullptr;
}

// Unwinds a change of visibility whose form a handler freed: what comes
// after the handler must not run on the destroyed form.
struct TFormFreedWhileChanging {};

}  // namespace

bool FreedFormUnwinding() {
  try {
    throw;
  } catch (const TFormFreedWhileChanging&) {
    return true;
  } catch (...) {
    return false;
  }
}

namespace {

// Bumped by every focus change, so that a focus message whose handler moved
// the focus elsewhere is recognised and the older change stops.
int gFocusCount = 0;

bool SendFocusMessage(HWND Window, UINT Msg) {
  int count = gFocusCount;
  SendMessage(Window, Msg, 0, 0);
  return gFocusCount == count;
}

bool IsLoading(const TComponent* C) { return C->ComponentState().Contains(csLoading); }

// The window of the form that owns a handle (the handle's top-level window).
TCustomForm* FormOfWindow(HWND Handle) {
  for (HWND h = Handle; h; h = GetParent(h))
    if (!GetParent(h)) return ObjectAs<TCustomForm>(FindWindowObject(h));
  return nullptr;
}

}  // namespace

void TForm::PublishMembers(TPublisher<TForm>& P) {
  P.Property("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl);
  P.Property("Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
  P.Property("BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons)
      .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
  P.Property("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle).Default(bsSizeable);
  P.Property("Caption", &TControl::Caption, &TControl::SetCaption);
  P.Property("ClientHeight", &TControl::ClientHeight, &TControl::SetClientHeight).Stored(false);
  P.Property("ClientWidth", &TControl::ClientWidth, &TControl::SetClientWidth).Stored(false);
  P.Property("Color", &TControl::Color, &TControl::SetColor).Type(TypeInfo_TColor()).Default(clBtnFace);
  P.Property("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
  P.Property("Font", &TControl::Font, &TControl::SetFont);
  P.Property("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview).Default(false);
  P.Property("OldCreateOrder", &TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder).Default(false);
  P.Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(false);
  P.Property("PixelsPerInch", &TCustomForm::DescPixelsPerInch, &TCustomForm::SetDescPixelsPerInch).NoDefault();
  P.Property("Position", &TCustomForm::Position, &TCustomForm::SetPosition).Default(poDesigned);
  P.Property("Scaled", &TCustomForm::Scaled, &TCustomForm::SetScaled).Default(true);
  P.Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Default(false);
  P.Property("TextHeight", &TCustomForm::TextHeight, &TCustomForm::SetTextHeight).NoDefault();
  P.Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(false);
  P.Property("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState).Default(wsNormal);
  P.Property("OnActivate", &TCustomForm::OnActivate, &TCustomForm::OnActivate);
  P.Property("OnClick", &TControl::OnClick, &TControl::OnClick);
  P.Property("OnClose", &TCustomForm::OnClose, &TCustomForm::OnClose);
  P.Property("OnCloseQuery", &TCustomForm::OnCloseQuery, &TCustomForm::OnCloseQuery);
  P.Property("OnCreate", &TCustomForm::OnCreate, &TCustomForm::OnCreate);
  P.Property("OnDblClick", &TControl::OnDblClick, &TControl::OnDblClick);
  P.Property("OnDeactivate", &TCustomForm::OnDeactivate, &TCustomForm::OnDeactivate);
  P.Property("OnDestroy", &TCustomForm::OnDestroy, &TCustomForm::OnDestroy);
  P.Property("OnHide", &TCustomForm::OnHide, &TCustomForm::OnHide);
  P.Property("OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::OnKeyDown);
  P.Property("OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::OnKeyPress);
  P.Property("OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::OnKeyUp);
  P.Property("OnResize", &TControl::OnResize, &TControl::OnResize);
  P.Property("OnShow", &TCustomForm::OnShow, &TCustomForm::OnShow);
}

const TMessageTable& TCustomForm::StaticMessageTable() {
  using ThisClass = TCustomForm;
  static const TMessageTable table(&TWinControl::StaticMessageTable(),
                                   {
                                       KW_ON_MESSAGE(WM_CLOSE, WMClose),
                                       KW_ON_MESSAGE(WM_ACTIVATE, WMActivate),
                                       KW_ON_MESSAGE(CM_ACTIVATE, CMActivate),
                                       KW_ON_MESSAGE(CM_DEACTIVATE, CMDeactivate),
                                       KW_ON_MESSAGE(CM_RELEASE, CMRelease),
                                       KW_ON_MESSAGE(CM_SHOWINGCHANGED, CMShowingChanged),
                                       KW_ON_MESSAGE(CM_DIALOGKEY, CMDialogKey),
                                   });
  return table;
}

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
  FVisible = false;
  SetParentFont(false);
  SetColor(clBtnFace);
  SetBounds(0, 0, 320, 240);
  if (TScreen* screen = GetScreen()) screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  // A form made without CreateForm comes here with its own members gone
  // already; its handlers still hear of the end.
  if (!FDestroyStarted) BeforeDestruction();
  *FAlive = false;
  if (TScreen* screen = GetScreen()) screen->RemoveForm(this);
}

void TCustomForm::AfterConstruction() {
  TWinControl::AfterConstruction();
  // A stored "Visible = True" waits for OnCreate.
  FFormState.Include(fsCreating);
  try {
    InitInheritedComponent(this, Is<TForm>() ? TForm::StaticClass() : TCustomForm::StaticClass());
  } catch (...) {
    FFormState.Exclude(fsCreating);
    throw;
  }
  FFormState.Exclude(fsCreating);
  DoCreate();
}

void* TCustomForm::operator new(std::size_t Size) { return ::operator new(Size); }

void TCustomForm::operator delete(void* Block) {
  if (TVisibilityChange* change = FindVisibilityChange(Block)) {
    change->Freed = true;
    return;
  }
  ::operator delete(Block);
}

void TCustomForm::BeforeDestruction() {
  if (FDestroyStarted) return;
  FDestroyStarted = true;
  Destroying();
  // Freed by its own OnShow or OnHide: the window goes with the handle below.
  if (FVisible && !FFormState.Contains(fsShowing)) {
    try {
      Hide();
    } catch (...) {
      if (TApplication* app = GetApplication()) app->HandleException(this);
    }
  }
  DoDestroy();
  // The form's own controls and components go while the form is whole, so
  // that what they tell it on their way lands in a living object.
  DestroyChildControls();
  DestroyComponents();
  if (FHandle) DestroyHandle();
  if (TScreen* screen = GetScreen()) screen->RemoveForm(this);
}

// ---- Events ------------------------------------------------------------------

void TCustomForm::DoCreate() {
  try {
    OnCreate(this);
  } catch (...) {
    Application->HandleException(this);
  }
  if (FFormState.Contains(fsVisible)) {
    FFormState.Exclude(fsVisible);
    SetVisible(true);
  }
}

void TCustomForm::DoDestroy() {
  try {
    OnDestroy(this);
  } catch (...) {
    if (TApplication* app = GetApplication()) app->HandleException(this);
  }
}

void TCustomForm::DoShow() { OnShow(this); }

void TCustomForm::DoHide() { OnHide(this); }

void TCustomForm::DoClose(TCloseAction& Action) { OnClose(this, Action); }

void TCustomForm::Activate() { OnActivate(this); }

void TCustomForm::Deactivate() { OnDeactivate(this); }

// ---- Showing and closing ------------------------------------------------------

void TCustomForm::SetVisible(bool Value) {
  if (FFormState.Contains(fsCreating)) {
    if (Value)
      FFormState.Include(fsVisible);
    else
      FFormState.Exclude(fsVisible);
    return;
  }
  void* block = dynamic_cast<void*>(this);
  if (TVisibilityChange* change = FindVisibilityChange(block))
    ++change->Depth;
  else
    VisibilityChanges().push_back({block, 1, false});
  // The outermost change frees the memory of a form freed meanwhile.
  auto leave = [block] {
    auto& changes = VisibilityChanges();
    auto it = std::find_if(changes.begin(), changes.end(), [block](const TVisibilityChange& c) { return c.Block == block; });
    if (--it->Depth > 0) return false;
    bool freed = it->Freed;
    changes.erase(it);
    if (freed) ::operator delete(block);
    return freed;
  };
  try {
    TWinControl::SetVisible(Value);
  } catch (const TFormFreedWhileChanging&) {
    if (!leave()) throw;
    return;
  } catch (...) {
    leave();
    throw;
  }
  leave();
}

void TCustomForm::Show() {
  std::shared_ptr<bool> alive = FAlive;
  SetVisible(true);
  if (*alive) BringToFront();
}

void TCustomForm::Hide() { SetVisible(false); }

void TCustomForm::BringToFront() {
  if (FShowing && !FParent) SetActiveWindow(FHandle);
}

void TCustomForm::PlaceOnScreen() {
  if (FWindowState == wsMaximized) return;
  const TCustomForm* center = nullptr;
  switch (FPosition) {
    case poMainFormCenter: center = Application->MainForm(); break;
    case poOwnerFormCenter:
      center = ObjectAs<TCustomForm>(Owner());
      if (!center) center = Application->MainForm();
      break;
    case poScreenCenter:
    case poDesktopCenter: break;
    default: return;
  }
  if (center == this || (center && !center->FVisible)) center = nullptr;
  int x, y;
  if (center) {
    x = center->Left() + (center->Width() - Width()) / 2;
    y = center->Top() + (center->Height() - Height()) / 2;
  } else {
    x = (Screen->Width() - Width()) / 2;
    y = (Screen->Height() - Height()) / 2;
  }
  SetBounds(std::max(x, 0), std::max(y, 0), Width(), Height());
}

void TCustomForm::CMShowingChanged(TMessage&) {
  if (FFormState.Contains(fsShowing)) throw EInvalidOperation("Cannot change Visible in OnShow or OnHide");
  FFormState.Include(fsShowing);
  try {
    // A handler may free the form: inside the form's own SetVisible the
    // change unwinds from here; a form shown by its parent just stops.
    std::shared_ptr<bool> alive = FAlive;
    void* block = dynamic_cast<void*>(this);
    auto stopWhenFreed = [&] {
      if (*alive) return false;
      if (FindVisibilityChange(block)) throw TFormFreedWhileChanging();
      return true;
    };
    if (FShowing) {
      try {
        DoShow();
      } catch (...) {
        Application->HandleException(*alive ? this : nullptr);
      }
      if (stopWhenFreed()) return;
      if (!FParent) PlaceOnScreen();
      ShowWindow(FHandle, SW_SHOW);
      if (!FParent && FHandle) SetActiveWindow(FHandle);
    } else {
      try {
        DoHide();
      } catch (...) {
        if (TApplication* app = GetApplication()) app->HandleException(*alive ? this : nullptr);
      }
      if (stopWhenFreed()) return;
      ShowWindow(FHandle, SW_HIDE);
      if (GetActiveWindow() == FHandle) {
        // The window system activates the next window a person could use.
        HWND next = 0;
        if (TScreen* screen = GetScreen())
          for (TCustomForm* f : screen->FCustomForms)
            if (f != this && f->FHandle && !f->FParent && IsWindowVisible(f->FHandle) &&
                IsWindowEnabled(f->FHandle)) {
              next = f->FHandle;
              break;
            }
        SetActiveWindow(next);
      }
      if (FormOfWindow(GetFocus()) == this) ::SetFocus(0);
    }
  } catch (const TFormFreedWhileChanging&) {
    throw;
  } catch (...) {
    FFormState.Exclude(fsShowing);
    throw;
  }
  FFormState.Exclude(fsShowing);
}

void TCustomForm::Close() {
  if (FFormState.Contains(fsModal)) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application->MainForm() == this) {
    Application->Terminate();
  } else if (action == caHide) {
    Hide();
  } else if (action == caMinimize) {
    SetWindowState(wsMinimized);
  } else {
    Release();
  }
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Release() { PostMessage(Handle(), CM_RELEASE); }

void TCustomForm::CloseModal() {
  try {
    TCloseAction action = caNone;
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
    if (action == caNone)
      FModalResult = mrNone;
    else if (action == caFree)
      Release();
  } catch (...) {
    FModalResult = mrNone;
    Application->HandleException(this);
  }
}

TModalResult TCustomForm::ShowModal() {
  if (FVisible || !FEnabled || FFormState.Contains(fsModal))
    throw EInvalidOperation("Cannot make a visible window modal");
  std::shared_ptr<bool> alive = FAlive;
  TApplication* app = Application;
  TScreen* screen = Screen;
  FFormState.Include(fsModal);
  HWND activeWindow = GetActiveWindow();
  TCustomForm* savedFocusedForm = screen->FFocusedForm;
  screen->FFocusedForm = this;
  TCursor savedCursor = screen->Cursor();
  screen->SetCursor(crDefault);
  TTaskWindowList disabled = DisableTaskWindows(0);
  ++app->FModalLevel;
  HWND ownHandle = 0;

  auto restore = [&] {
    --app->FModalLevel;
    screen->SetCursor(savedCursor);
    EnableTaskWindows(disabled);
    const auto& forms = screen->FCustomForms;
    bool savedExists = std::find(forms.begin(), forms.end(), savedFocusedForm) != forms.end();
    screen->FFocusedForm = savedExists ? savedFocusedForm : nullptr;
    if (activeWindow && IsWindow(activeWindow)) SetActiveWindow(activeWindow);
    if (*alive) FFormState.Exclude(fsModal);
  };

  TModalResult result = mrCancel;
  try {
    Show();
    if (!*alive) {
      // Freed by its OnShow: there is nothing left to run modally.
      restore();
      return mrCancel;
    }
    ownHandle = FHandle;
    SendMessage(ownHandle, CM_ACTIVATE);
    FModalResult = mrNone;
    const TModalRequest request{ClassName(), Name(), Caption()};
    for (;;) {
      // Run what is queued, one message at a time, watching for the end.
      while (*alive && !app->Terminated() && FModalResult == mrNone && app->ProcessMessage()) {
      }
      if (!*alive) break;
      if (app->Terminated())
        FModalResult = mrCancel;
      else if (FModalResult != mrNone)
        CloseModal();
      if (FModalResult != mrNone) break;
      // Hidden without a result: the window is gone for the person using it.
      if (!FVisible) {
        FModalResult = mrCancel;
        break;
      }
      TModalResult answer = GetUIDriver().RunModal(*this, request);
      if (!*alive) break;
      if (FModalResult == mrNone && answer != mrNone) FModalResult = answer;
    }
    if (*alive) {
      result = FModalResult;
      SendMessage(ownHandle, CM_DEACTIVATE);
      if (GetActiveWindow() != ownHandle) activeWindow = 0;
      Hide();
    }
  } catch (...) {
    if (*alive && FVisible) {
      try {
        Hide();
      } catch (...) {
      }
    }
    restore();
    throw;
  }
  restore();
  return result;
}

void TCustomForm::WMClose(TMessage&) { Close(); }

void TCustomForm::CMRelease(TMessage&) { delete this; }

// ---- Focus ---------------------------------------------------------------------

bool TCustomForm::CanFocus() const { return FVisible && FEnabled; }

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (FActiveControl == Control) return;
  if (!(Control == nullptr ||
        (Control != this && GetParentForm(Control) == this && (IsLoading(this) || Control->CanFocus()))))
    throw EInvalidOperation(kCannotFocus);
  FActiveControl = Control;
  if (!IsLoading(this) && FActive) SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control) {
  bool wasActive = FActive;
  SetActiveControl(Control);
  if (!wasActive) SetFocus();
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
  if (Removing && Control->ContainsControl(FFocusedControl)) FFocusedControl = Control->Parent();
  if (Control->ContainsControl(FActiveControl)) SetActiveControl(nullptr);
}

void TCustomForm::SetFocus() {
  if (FActive) return;
  if (!(FVisible && FEnabled)) throw EInvalidOperation(kCannotFocus);
  SetWindowFocus();
}

void TCustomForm::SetWindowFocus() {
  if (!FHandle || !FShowing) return;
  if (!FParent && GetActiveWindow() != FHandle) {
    // Giving the focus to a window of another top-level window activates
    // that one first; its activation sets the focus.
    SetActiveWindow(FHandle);
    if (GetActiveWindow() != FHandle) return;
  }
  TWinControl* target = FActiveControl ? FActiveControl : this;
  ::SetFocus(target->Handle());
}

void TCustomForm::SetActive(bool Value) {
  FActive = Value;
  if (!Value) return;
  if (!FActiveControl && !ComponentState().Contains(csDesigning))
    FActiveControl = FindNextControl(nullptr, true, true, false);
  SetWindowFocus();
}

void TCustomForm::WMActivate(TMessage& Message) { SetActive(Message.WParam != WA_INACTIVE); }

void TCustomForm::CMActivate(TMessage&) { Activate(); }

void TCustomForm::CMDeactivate(TMessage&) { Deactivate(); }

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  ++gFocusCount;
  TScreen* screen = Screen;
  FActiveControl = Control != this ? Control : nullptr;
  screen->SetActive(this, Control);
  if (Control->ControlState().Contains(csFocusing)) return false;
  Control->SetControlState(Control->ControlState() + TControlState{csFocusing});
  bool completed = false;
  try {
    [&] {
      if (screen->FFocusedForm != this) {
        if (TCustomForm* previous = screen->FFocusedForm) {
          HWND h = previous->Handle();
          screen->FFocusedForm = nullptr;
          if (!SendFocusMessage(h, CM_DEACTIVATE)) return;
        }
        screen->FFocusedForm = this;
        if (!SendFocusMessage(Handle(), CM_ACTIVATE)) return;
      }
      if (!FFocusedControl) FFocusedControl = this;
      if (FFocusedControl != Control) {
        // Leave the controls that do not contain the new one, innermost
        // first...
        while (FFocusedControl && !FFocusedControl->ContainsControl(Control)) {
          HWND h = FFocusedControl->Handle();
          FFocusedControl = FFocusedControl->Parent();
          if (!SendFocusMessage(h, CM_EXIT)) return;
        }
        // ...then enter the ones down to it, outermost first.
        while (FFocusedControl != Control) {
          TWinControl* next = Control;
          while (next->Parent() != FFocusedControl) next = next->Parent();
          FFocusedControl = next;
          if (!SendFocusMessage(next->Handle(), CM_ENTER)) return;
        }
        Perform(CM_FOCUSCHANGED, 0, ObjectToLParam(Control));
      }
      completed = true;
    }();
  } catch (...) {
    Control->SetControlState(Control->ControlState() - TControlState{csFocusing});
    throw;
  }
  Control->SetControlState(Control->ControlState() - TControlState{csFocusing});
  if (!completed) return false;
  screen->UpdateLastActive();
  return true;
}

void TCustomForm::CMDialogKey(TMessage& Message) {
  TShiftState shift = KeyDataToShiftState(Message.LParam);
  if (!shift.Contains(ssAlt)) {
    switch (Message.WParam) {
      case VK_TAB:
        if (!shift.Contains(ssCtrl)) {
          SelectNext(FActiveControl, !shift.Contains(ssShift), true);
          Message.Result = 1;
          return;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (FActiveControl && FActiveControl->Parent()) {
          FActiveControl->Parent()->SelectNext(FActiveControl,
                                               Message.WParam == VK_RIGHT || Message.WParam == VK_DOWN, false);
          Message.Result = 1;
        }
        return;
    }
  }
  TWinControl::CMDialogKey(Message);
}

// ---- Window state --------------------------------------------------------------

void TCustomForm::SetWindowState(TWindowState Value) {
  if (FWindowState == Value) return;
  if (FWindowState == wsNormal) {
    FRestoreLeft = Left();
    FRestoreTop = Top();
    FRestoreWidth = Width();
    FRestoreHeight = Height();
  }
  FWindowState = Value;
  if (IsLoading(this)) return;
  if (Value == wsMaximized)
    SetBounds(0, 0, Screen->Width(), Screen->Height());
  else if (Value == wsNormal)
    SetBounds(FRestoreLeft, FRestoreTop, FRestoreWidth, FRestoreHeight);
}

// ---- Components --------------------------------------------------------------

void TCustomForm::GetChildren(std::vector<TComponent*>& Children, const TComponent* Root) const {
  TWinControl::GetChildren(Children, Root);
  if (Root != this) return;
  for (int i = 0; i < ComponentCount(); ++i) {
    TComponent* c = Components(i);
    if (!c->HasParent()) Children.push_back(c);
  }
}

void TCustomForm::Loaded() {
  TWinControl::Loaded();
  if (TWinControl* control = FActiveControl) {
    FActiveControl = nullptr;
    if (control->CanFocus()) SetActiveControl(control);
  }
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (static_cast<TComponent*>(FActiveControl) == AComponent) FActiveControl = nullptr;
  if (static_cast<TComponent*>(FFocusedControl) == AComponent) FFocusedControl = nullptr;
}

// ===========================================================================

TTaskWindowList DisableTaskWindows(HWND Except) {
  TTaskWindowList list;
  HWND app = GetApplication() ? Application->Handle() : 0;
  for (HWND h : TopLevelWindows()) {
    if (h == Except || h == app) continue;
    if (IsWindowVisible(h) && IsWindowEnabled(h)) {
      list.push_back(h);
      EnableWindow(h, false);
    }
  }
  return list;
}

void EnableTaskWindows(const TTaskWindowList& List) {
  for (HWND h : List)
    if (IsWindow(h)) EnableWindow(h, true);
}

bool SetForegroundWindow(HWND Handle) {
  SetActiveWindow(Handle);
  return Handle != 0 && GetActiveWindow() == Handle;
}
