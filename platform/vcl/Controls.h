#pragma once
// Controls. TControl is a rectangle in a parent with visibility, an enabled
// state, a text, a hint, a font and a colour; TWinControl adds a window handle
// (made on demand), child controls, the tab order and the keyboard focus.
// Nothing is drawn here: windows are headless, and what a person would see is
// the state kept in these objects and in the window system (handles, focus,
// the active window and the message queue).
//
// Messages reach a control through its window procedure (WindowProc, by
// default WndProc), which dispatches them by number through the per-class
// message tables (KW_MESSAGE_MAP in Messages.h) and falls back to
// DefaultHandler.

#include <functional>
#include <vector>

#include "platform/vcl/Component.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/IdentMaps.h"
#include "platform/vcl/Messages.h"
#include "platform/vcl/Sets.h"
#include "platform/vcl/TypeInfo.h"
#include "platform/vcl/WindowSystem.h"

class TFont;
class TWinControl;
class TCustomForm;
template <class C>
class TPublisher;

// An operation a control cannot do in its state ("Cannot focus a disabled or
// invisible window").
KW_DECLARE_EXCEPTION(EInvalidOperation, Exception)

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
KW_DECLARE_TYPEINFO(TAlign)

enum TControlStateFlag {
  csLButtonDown,
  csClicked,
  csPalette,
  csReadingState,
  csAlignmentNeeded,
  csFocusing,
  csCreating,
  csPaintCopy,
  csCustomPaint,
  csDestroyingHandle,
  csDocking
};
using TControlState = TSet<TControlStateFlag>;

class TControl : public TComponent {
  KW_DECLARE_CLASS(TControl, TComponent)
 public:
  static void PublishMembers(TPublisher<TControl>& P);
  static const TMessageTable& StaticMessageTable();
  virtual const TMessageTable& MessageTable() const { return StaticMessageTable(); }

  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // ---- Parent --------------------------------------------------------------
  TWinControl* Parent() const { return FParent; }
  // Moves the control into AParent's children (nullptr takes it out).
  // Raises EInvalidOperation when AParent is the control itself.
  virtual void SetParent(TWinControl* AParent);

  // ---- Bounds --------------------------------------------------------------
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  // Moves and sizes the control at once: one OnResize when the size changed,
  // and the parent re-aligns its children.
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  // Headless windows have no frame: the client area is the whole control.
  int ClientWidth() const { return FWidth; }
  int ClientHeight() const { return FHeight; }
  void SetClientWidth(int Value) { SetWidth(Value); }
  void SetClientHeight(int Value) { SetHeight(Value); }
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);

  // ---- State ---------------------------------------------------------------
  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  void Show();
  void Hide();
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);
  // Visible, with every parent up to the top-level window visible too.
  virtual bool Showing() const;
  TControlState ControlState() const { return FControlState; }
  void SetControlState(TControlState Value) { FControlState = Value; }

  // ---- Text, hint, font, colour, cursor ------------------------------------
  // Caption and Text are the same text (the window text), as in the run-time.
  AnsiString Caption() const { return RealGetText(); }
  void SetCaption(const AnsiString& Value) { SetTextValue(Value); }
  AnsiString Text() const { return RealGetText(); }
  void SetText(const AnsiString& Value) { SetTextValue(Value); }
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& Value) { FHint = Value; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  // The control's own font object; setting copies Value into it. Changing the
  // font clears ParentFont.
  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value);
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value) { FCursor = Value; }

  // ---- Events --------------------------------------------------------------
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  // Fires OnClick (what a mouse click or an accelerator does).
  virtual void Click();
  virtual void DblClick();

  // ---- Messages ------------------------------------------------------------
  // Sends a message straight to the control's window procedure (no handle
  // needed) and returns its result.
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  // The window procedure; it can be replaced to watch or change the messages
  // of a control, and the replaced one called from the new one.
  const TWndMethod& WindowProc() const { return FWindowProc; }
  void SetWindowProc(TWndMethod Value);
  virtual void WndProc(TMessage& Message);
  // Finds the handler for Message.Msg in the class chain's message tables;
  // without one, DefaultHandler.
  void Dispatch(TMessage& Message);
  // Dispatches starting at Table (a handler calls its base class's handler
  // for the same message with DispatchFrom(&Base::StaticMessageTable(), M)).
  void DispatchFrom(const TMessageTable* Table, TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  // ---- Component streaming -------------------------------------------------
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

 protected:
  virtual AnsiString RealGetText() const { return FText; }
  virtual void RealSetText(const AnsiString& Value) { FText = Value; }
  // Runs after the size changed; fires OnResize.
  virtual void Resize();
  // The parent re-aligns its children (when this control is aligned).
  void RequestAlign();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  // Assigns the parent's font/colour/hint flag to this control when it takes
  // them from its parent.
  void TakeParentFont();
  void TakeParentColor();
  void TakeParentShowHint();

  // Message handlers shared by every control.
  void CMVisibleChanged(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMParentFontChanged(TMessage& Message);
  void CMParentColorChanged(TMessage& Message);
  void CMParentShowHintChanged(TMessage& Message);
  void WMSetText(TMessage& Message);

  TWinControl* FParent = nullptr;
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;

 private:
  friend class TWinControl;
  void SetTextValue(const AnsiString& Value);
  void FontChanged(TObject* Sender);
  bool IsFontStored() const { return !FParentFont; }
  bool IsColorStored() const { return !FParentColor; }
  bool IsShowHintStored() const { return !FParentShowHint; }

  TAlign FAlign = alNone;
  TControlState FControlState;
  AnsiString FText;
  AnsiString FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TColor FColor = clWindow;
  bool FParentColor = true;
  TFont* FFont = nullptr;
  bool FParentFont = true;
  bool FTakingParentFont = false;
  TCursor FCursor = crDefault;
  TWndMethod FWindowProc;
};

class TWinControl : public TControl {
  KW_DECLARE_CLASS(TWinControl, TControl)
 public:
  static const TMessageTable& StaticMessageTable();
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); }

  explicit TWinControl(TComponent* AOwner);
  // Frees the child controls (also those another component owns), then the
  // handle.
  ~TWinControl() override;

  // ---- Children ------------------------------------------------------------
  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int Index) const;
  // True when Control is this control or lies inside it.
  bool ContainsControl(const TControl* Control) const;
  void InsertControl(TControl* Control);
  void RemoveControl(TControl* Control);
  // Sends Message to every child control (stops at the first that sets a
  // non-zero Result).
  void Broadcast(TMessage& Message);
  // Sends Message to every child control.
  void NotifyControls(UINT Msg);
  // Lays out the aligned children (top, bottom, left, right, then client).
  void Realign();
  // Asked when a control inside this one is to be shown: a container that
  // shows one child at a time (a page control) brings it forward. The
  // default passes the request up.
  virtual void ShowControl(TControl* Control);

  // Children written inside this control's block of a description: those
  // Root owns.
  void GetChildren(std::vector<TComponent*>& Children, const TComponent* Root) const override;

  // ---- Handle --------------------------------------------------------------
  // The window handle, made when first asked for (the parent's first).
  HWND Handle();
  bool HandleAllocated() const { return FHandle != 0; }
  void HandleNeeded();
  // A window outside the control tree to act as parent (a host window); a
  // top-level control with a parent window counts as parented.
  HWND ParentWindow() const { return FParentWindow; }
  void SetParentWindow(HWND Value);
  bool Showing() const override { return FShowing; }

  // ---- Tab order and focus ---------------------------------------------------
  int TabOrder() const;
  // Moves the control among its siblings; a value out of range puts it last.
  void SetTabOrder(int Value);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value);
  // The descendants that take part in tabbing, in tab order, depth first.
  void GetTabOrderList(std::vector<TWinControl*>& List) const;
  // The next (or previous) control after CurControl in tab order among this
  // control's descendants; wraps around. CheckTabStop skips controls without
  // TabStop; CheckParent only takes direct children. nullptr when none can
  // take the focus.
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                               bool CheckParent) const;
  // Focuses the control FindNextControl gives.
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
  // Visible and enabled up to its form (the form itself need not be shown).
  virtual bool CanFocus() const;
  // Makes this the active control of its form and, when the form is active,
  // gives it the keyboard focus. Raises EInvalidOperation when it cannot.
  virtual void SetFocus();
  bool Focused() const;

  // ---- Events --------------------------------------------------------------
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;

 protected:
  virtual void CreateHandle();
  virtual void DestroyHandle();
  // Runs when the focus enters or leaves this control within its form.
  virtual void DoEnter();
  virtual void DoExit();
  // Key events: KeyDown sees a key first, KeyPress its character, KeyUp the
  // release; setting Key to 0 swallows it.
  virtual void KeyDown(unsigned short& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  virtual void KeyUp(unsigned short& Key, TShiftState Shift);
  // Give the key to the form first when it has KeyPreview; true when handled.
  bool DoKeyDown(TMessage& Message);
  bool DoKeyPress(TMessage& Message);
  bool DoKeyUp(TMessage& Message);
  // Recomputes Showing for this control and its children.
  void UpdateShowing();
  void UpdateControlState();
  // Frees every child control.
  void DestroyChildControls();
  // Moves the focus out of this control (when it or a child has it).
  void RemoveFocus(bool Removing);
  // The control's own window messages. Key handlers come in two steps, as in
  // the run-time: CN_KEYDOWN lets the form use Tab, arrows, Enter and Esc
  // (CM_DIALOGKEY) before the key reaches KeyDown through WM_KEYDOWN.
  void WMSetFocus(TMessage& Message);
  void WMKillFocus(TMessage& Message);
  void WMKeyDown(TMessage& Message);
  void WMKeyUp(TMessage& Message);
  void WMChar(TMessage& Message);
  void CNKeyDown(TMessage& Message);
  void CNChar(TMessage& Message);
  void CMEnter(TMessage& Message);
  void CMExit(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void CMShowingChanged(TMessage& Message);
  void CMVisibleChanged(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void CMShowHintChanged(TMessage& Message);

  HWND FHandle = 0;

 private:
  friend class TControl;
  friend class TCustomForm;
  // The procedure bound to the handle: delivers to WindowProc and hands an
  // exception that escapes a handler to the application.
  void MainWndProc(TMessage& Message);

  std::vector<TControl*> FControls;  // in tab order
  bool FTabStop = false;
  bool FShowing = false;
  bool FAligning = false;
  HWND FParentWindow = 0;
};

// The form a control sits in (the top of its parent chain when that is a
// form), or nullptr.
TCustomForm* GetParentForm(const TControl* Control);
// The same, raising EInvalidOperation "Control 'X' has no parent window" when
// there is none.
TCustomForm* ValidParentForm(const TControl* Control);
// The control that owns a window handle, or nullptr.
TWinControl* FindControl(HWND Handle);

// Asked before a key down reaches the focused control of Form (Menus.cpp
// installs it): true when the key was a menu shortcut and is used up.
inline bool (*FormShortCutHandler)(TCustomForm* Form, unsigned short Key, TShiftState Shift) = nullptr;
// Presses a key on the window that has the keyboard focus (or, without one,
// on the active window): queues WM_KEYDOWN and WM_KEYUP with the modifiers,
// and the WM_CHAR the key makes follows when the key down is processed.
// Runs nothing: the application's ProcessMessages delivers them. False when
// no window can take the key.
bool PressKey(unsigned short Key, TShiftState Shift = {});
// Queues one WM_CHAR per byte of Text for the focused window.
bool TypeText(const AnsiString& Text);
