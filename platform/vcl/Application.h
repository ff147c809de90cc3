#pragma once
// The application and the screen, one each per process, reached through the
// globals Application and Screen (made on first use).
//
// TApplication runs the message queue (ProcessMessages delivers what
// PostMessage queued: key messages go through the focused control's dialog
// keys and the form's key preview; messages for windows destroyed meanwhile
// are dropped), hands exceptions that escape a message handler to one place
// (HandleException: an error box through the UI driver, unless OnException
// takes it), shows message boxes, owns the forms it creates, and keeps the
// hint settings. TScreen keeps the list of forms (most recently active
// first), the active form and control, the cursor (the hourglass while
// something long runs) and the screen's fonts.

#include <vector>

#include "platform/vcl/Component.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/IdentMaps.h"
#include "platform/vcl/Messages.h"

class Exception;
class TControl;
class TCustomForm;
class TFont;
class TForm;
class TWinControl;

using TMessageEvent = TEvent<TMsg&, bool&>;
using TExceptionEvent = TEvent<TObject*, Exception*>;

// MessageBox flags: the buttons (low four bits), the icon and the default
// button. The result is the pressed button's IDxxx, equal to its modal result.
inline constexpr int MB_OK = 0x00;
inline constexpr int MB_OKCANCEL = 0x01;
inline constexpr int MB_ABORTRETRYIGNORE = 0x02;
inline constexpr int MB_YESNOCANCEL = 0x03;
inline constexpr int MB_YESNO = 0x04;
inline constexpr int MB_RETRYCANCEL = 0x05;
inline constexpr int MB_ICONHAND = 0x10;
inline constexpr int MB_ICONERROR = MB_ICONHAND;
inline constexpr int MB_ICONSTOP = MB_ICONHAND;
inline constexpr int MB_ICONQUESTION = 0x20;
inline constexpr int MB_ICONEXCLAMATION = 0x30;
inline constexpr int MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr int MB_ICONASTERISK = 0x40;
inline constexpr int MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr int MB_DEFBUTTON1 = 0x000;
inline constexpr int MB_DEFBUTTON2 = 0x100;
inline constexpr int MB_DEFBUTTON3 = 0x200;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

class TApplication : public TComponent {
  KW_DECLARE_CLASS(TApplication, TComponent)
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  // The application's own (hidden) window; messages posted to it reach
  // OnMessage and then its window procedure.
  HWND Handle() const { return FHandle; }
  // Shown as the caption of message boxes without their own; the program's
  // file name without extension by default.
  const AnsiString& Title() const { return FTitle; }
  void SetTitle(const AnsiString& Value) { FTitle = Value; }
  // The program's full path.
  const AnsiString& ExeName() const { return FExeName; }

  // The first form made by CreateForm; closing it ends the application.
  TCustomForm* MainForm() const { return FMainForm; }
  // Creates a form of class T owned by the application (defined in Forms.h).
  template <class T>
  void CreateForm(T*& Reference);

  // ---- Messages --------------------------------------------------------------
  // Delivers queued messages until the queue is empty (including those the
  // handlers queue meanwhile).
  void ProcessMessages();
  // Delivers one queued message; false when the queue was empty.
  bool ProcessMessage();
  // Delivers one message when there is one (the step of a modal loop).
  void HandleMessage();
  bool Terminated() const { return FTerminated; }
  // Ends the application's message loops: queues WM_QUIT, which sets
  // Terminated when it is processed.
  void Terminate();
  // Clears Terminated so that a host can run another session in the same
  // process.
  void ResetTerminated() { FTerminated = false; }
  // How many modal loops run now.
  int ModalLevel() const { return FModalLevel; }

  // ---- Exceptions and message boxes -----------------------------------------
  // Called inside a catch block: EAbort is silent; another exception goes to
  // OnException when assigned, else ShowException.
  void HandleException(TObject* Sender);
  // An error box with the message (a period added unless it ends in one) and
  // the application's title.
  void ShowException(const Exception& E);
  // A message box through the UI driver; returns the IDxxx of the button.
  int MessageBox(const AnsiString& Text, const AnsiString& Caption, int Flags = MB_OK);

  // ---- Hints -------------------------------------------------------------------
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value) { FShowHint = Value; }
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor Value) { FHintColor = Value; }
  // Milliseconds before a hint shows, before the next one shows when moving
  // between controls, and before it hides again.
  int HintPause() const { return FHintPause; }
  void SetHintPause(int Value) { FHintPause = Value; }
  int HintShortPause() const { return FHintShortPause; }
  void SetHintShortPause(int Value) { FHintShortPause = Value; }
  int HintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(int Value) { FHintHidePause = Value; }
  // The hint of the control under the mouse; setting it fires OnHint.
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& Value);
  // A hint text "short|long": the part before the bar, and the part after it
  // (the whole text when there is no bar).
  static AnsiString GetShortHint(const AnsiString& Hint);
  static AnsiString GetLongHint(const AnsiString& Hint);

  TMessageEvent OnMessage;
  TExceptionEvent OnException;
  TNotifyEvent OnHint;

  // Forgets a control that is being destroyed (the main form, the hint
  // control).
  void ControlDestroyed(TControl* Control);

 private:
  friend class TCustomForm;
  void WndProc(TMessage& Message);
  bool IsKeyMsg(TMsg& Msg);
  void SetMainFormIfNone(TCustomForm* Form);

  HWND FHandle = 0;
  AnsiString FTitle;
  AnsiString FExeName;
  TCustomForm* FMainForm = nullptr;
  bool FTerminated = false;
  int FModalLevel = 0;
  bool FShowHint = true;
  TColor FHintColor = clInfoBk;
  int FHintPause = 500;
  int FHintShortPause = 50;
  int FHintHidePause = 2500;
  AnsiString FHint;
};

class TScreen : public TComponent {
  KW_DECLARE_CLASS(TScreen, TComponent)
 public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  // Every form (TCustomForms) and the TForms among them, the most recently
  // active first, then in creation order.
  int CustomFormCount() const { return static_cast<int>(FCustomForms.size()); }
  TCustomForm* CustomForms(int Index) const;
  int FormCount() const;
  TForm* Forms(int Index) const;
  TCustomForm* ActiveCustomForm() const { return FActiveCustomForm; }
  TForm* ActiveForm() const;
  TWinControl* ActiveControl() const { return FActiveControl; }
  // The form whose control last took the focus.
  TCustomForm* FocusedForm() const { return FFocusedForm; }

  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);

  // The fonts the desktop uses for icon titles, hints and menus.
  TFont* IconFont() const { return FIconFont; }
  TFont* HintFont() const { return FHintFont; }
  TFont* MenuFont() const { return FMenuFont; }

  // The headless desktop: 1024 x 768 at 96 pixels per inch.
  int Width() const { return 1024; }
  int Height() const { return 768; }
  int PixelsPerInch() const { return 96; }

  TNotifyEvent OnActiveControlChange;
  TNotifyEvent OnActiveFormChange;

 private:
  friend class TCustomForm;
  friend class TApplication;
  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);
  void MoveToFront(TCustomForm* Form);
  // Records the form and control that take the focus and brings the form to
  // the front of the list.
  void SetActive(TCustomForm* Form, TWinControl* Control);
  // Fires the change events for what changed since they last fired.
  void UpdateLastActive();
  void ControlGone(TControl* Control);

  std::vector<TCustomForm*> FCustomForms;
  TCustomForm* FActiveCustomForm = nullptr;
  TWinControl* FActiveControl = nullptr;
  TCustomForm* FFocusedForm = nullptr;
  TCustomForm* FLastActiveCustomForm = nullptr;
  TWinControl* FLastActiveControl = nullptr;
  TCursor FCursor = crDefault;
  TFont* FIconFont = nullptr;
  TFont* FHintFont = nullptr;
  TFont* FMenuFont = nullptr;
};

// The process's application and screen. Both are made on first use and freed
// at exit (the application first, freeing the forms it owns); nullptr once
// they are gone.
TApplication* GetApplication();
TScreen* GetScreen();

struct TApplicationRef {
  TApplication* operator->() const { return GetApplication(); }
  operator TApplication*() const { return GetApplication(); }
};
struct TScreenRef {
  TScreen* operator->() const { return GetScreen(); }
  operator TScreen*() const { return GetScreen(); }
};
inline constexpr TApplicationRef Application{};
inline constexpr TScreenRef Screen{};

// Sets the screen's cursor for the lifetime of the scope (the hourglass by
// default) and puts the previous one back.
class TCursorScope {
 public:
  explicit TCursorScope(TCursor Cursor = crHourGlass);
  ~TCursorScope();
  TCursorScope(const TCursorScope&) = delete;
  TCursorScope& operator=(const TCursorScope&) = delete;

 private:
  TCursor FSaved;
};
