#pragma once
// Forms: the top-level windows. A form is created hidden, reads its form
// descriptions, fires OnCreate, and is shown, activated, closed (hidden or
// freed, as its OnClose decides), run modally until it has a modal result,
// and freed with OnDestroy first. The form keeps its active control and moves
// the focus between its controls with OnExit and OnEnter in the order the
// run-time gives them; with KeyPreview it sees every key before the focused
// control does.
//
// Create forms with CreateForm<T>(Owner) (or Application->CreateForm): the
// form's OnCreate and its descriptions need the whole object built, and its
// OnDestroy must run while the whole object still exists, which only a form
// made this way guarantees.

#include <memory>
#include <vector>

#include "platform/vcl/Application.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/UIDriver.h"

class TApplication;

enum TFormStateFlag { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateFlag>;

enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;

KW_DECLARE_TYPEINFO(TWindowState)
KW_DECLARE_TYPEINFO(TPosition)
KW_DECLARE_TYPEINFO(TFormBorderStyle)
KW_DECLARE_TYPEINFO(TBorderIcon)
KW_DECLARE_TYPEINFO(TBorderIcons)

class TCustomForm : public TWinControl {
  KW_DECLARE_CLASS(TCustomForm, TWinControl)
 public:
  static const TMessageTable& StaticMessageTable();
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); }

  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;

  // Reads the form descriptions of the class chain (below TForm), fires
  // OnCreate (an exception from it goes to the application), and shows the
  // form when its description made it visible.
  void AfterConstruction() override;
  // Fires OnDestroy and frees the controls and components of the form while
  // the whole object still exists. Runs once; CreateForm's forms run it
  // first thing in their destructor.
  void BeforeDestruction();

  // ---- Showing and closing ----------------------------------------------------
  // Makes the form visible and active.
  void Show();
  void Hide();
  void SetVisible(bool Value) override;
  // A form that a handler frees while the form is being shown or hidden
  // (OnShow, OnHide) keeps its memory until the change of visibility has
  // unwound, so that nothing on the way out touches freed memory.
  static void operator delete(void* Block);
  // Out of line, so the compiler pairs it with the class's own delete.
  static void* operator new(std::size_t Size);
  // Shows the form modally: every other top-level window is disabled, the UI
  // driver runs the window until it has a modal result or is closed, then the
  // form is hidden (or freed later, when OnClose says caFree), the other
  // windows are enabled again and the previously active one is activated.
  // Raises EInvalidOperation for a visible or disabled form.
  virtual TModalResult ShowModal();
  // Closes as a person would: a modal form gets mrCancel; another asks
  // OnCloseQuery, then OnClose decides: hide (the default), free (later, by
  // Release), minimise or nothing. Closing the main form ends the
  // application.
  void Close();
  virtual bool CloseQuery();
  // Frees the form once the messages queued now have run (safe inside the
  // form's own event handlers).
  void Release();

  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }
  TFormState FormState() const { return FFormState; }

  // ---- Focus -----------------------------------------------------------------
  TWinControl* ActiveControl() const { return FActiveControl; }
  // Raises EInvalidOperation "Cannot focus a disabled or invisible window"
  // for a control that is not on this form or cannot take the focus.
  void SetActiveControl(TWinControl* Control);
  // Whether this form is the active window.
  bool Active() const { return FActive; }
  // Makes Control the active control and gives the form the focus.
  void FocusControl(TWinControl* Control);
  // Takes the focus away from Control (when it or a child has it): hidden,
  // disabled or removed controls call this.
  void DefocusControl(TWinControl* Control, bool Removing);
  // Moves the form's idea of the focused control to Control, sending CM_EXIT
  // to the controls the focus leaves (innermost first) and CM_ENTER to those
  // it enters (outermost first). False when a handler moved the focus
  // elsewhere meanwhile; that move then stands.
  bool SetFocusedControl(TWinControl* Control);
  void SetFocus() override;
  bool CanFocus() const override;
  // The control the form last gave the focus to (the form itself when none).
  TWinControl* FocusedControl() const { return FFocusedControl; }

  // ---- Window ------------------------------------------------------------------
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState Value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value) { FBorderStyle = Value; }
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value) { FBorderIcons = Value; }
  // Activates the form (when it is shown and enabled).
  void BringToFront();

  // ---- Events --------------------------------------------------------------------
  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;

  // ---- Component streaming --------------------------------------------------------
  void GetChildren(std::vector<TComponent*>& Children, const TComponent* Root) const override;

 protected:
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void Activate();
  virtual void Deactivate();
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  void WMClose(TMessage& Message);
  void WMActivate(TMessage& Message);
  void CMActivate(TMessage& Message);
  void CMDeactivate(TMessage& Message);
  void CMRelease(TMessage& Message);
  void CMShowingChanged(TMessage& Message);
  void CMDialogKey(TMessage& Message);

 private:
  friend class TWinControl;
  void SetActive(bool Value);
  void SetWindowFocus();
  void CloseModal();
  void PlaceOnScreen();

 public:
  // Properties kept so that descriptions written by other tools read; they
  // change nothing in a headless window.
  bool Scaled() const { return FScaled; }
  void SetScaled(bool Value) { FScaled = Value; }
  int DescPixelsPerInch() const { return FPixelsPerInch; }
  void SetDescPixelsPerInch(int Value) { FPixelsPerInch = Value; }
  int TextHeight() const { return FTextHeight; }
  void SetTextHeight(int Value) { FTextHeight = Value; }
  bool OldCreateOrder() const { return FOldCreateOrder; }
  void SetOldCreateOrder(bool Value) { FOldCreateOrder = Value; }

 private:

  TFormState FFormState;
  TWinControl* FActiveControl = nullptr;
  TWinControl* FFocusedControl = nullptr;
  bool FActive = false;
  bool FKeyPreview = false;
  bool FDestroyStarted = false;
  TModalResult FModalResult = mrNone;
  TWindowState FWindowState = wsNormal;
  TPosition FPosition = poDesigned;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
  int FRestoreLeft = 0, FRestoreTop = 0, FRestoreWidth = 0, FRestoreHeight = 0;
  bool FScaled = true;
  int FPixelsPerInch = 96;
  int FTextHeight = 13;
  bool FOldCreateOrder = false;
  // Cleared when the form is destroyed: a modal loop that outlives its form
  // (freed by a handler) notices instead of touching freed memory.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

// The form class of descriptions and of the application's windows.
class TForm : public TCustomForm {
  KW_DECLARE_CLASS(TForm, TCustomForm)
 public:
  static void PublishMembers(TPublisher<TForm>& P);
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

// What CreateForm makes: the form class itself, with its OnDestroy run before
// any of its own members go away, whoever deletes it.
template <class T>
class TFormInstance final : public T {
 public:
  using T::T;
  ~TFormInstance() override { this->BeforeDestruction(); }
};

// Creates a form of class T (constructor arguments as T takes them, the owner
// first) and runs AfterConstruction; the caller (or the owner) deletes it.
template <class T, class... Args>
T* CreateForm(Args&&... A) {
  T* form = new TFormInstance<T>(static_cast<Args&&>(A)...);
  try {
    form->AfterConstruction();
  } catch (...) {
    delete form;
    throw;
  }
  return form;
}

template <class T>
void TApplication::CreateForm(T*& Reference) {
  Reference = nullptr;
  Reference = ::CreateForm<T>(this);
  SetMainFormIfNone(Reference);
}

// ---- Top-level windows -------------------------------------------------------
// Disables every visible and enabled top-level window except Except and
// returns them; EnableTaskWindows enables those that still exist again. Modal
// loops and long operations use the pair so that only one window takes input.
using TTaskWindowList = std::vector<HWND>;
TTaskWindowList DisableTaskWindows(HWND Except);
void EnableTaskWindows(const TTaskWindowList& List);
// Activates a top-level window as a program does that wants a person's
// attention; true when it is the active window afterwards.
bool SetForegroundWindow(HWND Handle);
