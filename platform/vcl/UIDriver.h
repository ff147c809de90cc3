#pragma once
// Everything a person answers goes through one driver: message dialogs, input
// boxes, modal windows, pick lists, the printer setup dialog, file dialogs and
// opening a document with the shell. Windows themselves are headless; the
// driver is the only place where an answer comes from outside the program.
// Tests install a scripted driver, batch runs keep the console driver, and an
// interactive front end can plug in its own.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/vcl/Sets.h"

class TCustomForm;

// ---------------------------------------------------------------------------
// Dialog kinds, buttons and results. The ordinals are part of the contract:
// callers pass kinds and button sets as plain numbers (kind 1 is an error
// box, button set 4 is OK alone, 3 is Yes and No).

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn {
  mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp
};
constexpr int MsgDlgBtnCount = mbHelp + 1;

// A set of buttons; bit n of its bit set stands for the button with ordinal n.
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};
inline constexpr TMsgDlgButtons mbAbortIgnore{mbAbort, mbIgnore};

using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;
inline constexpr TModalResult mrNoToAll = 9;
inline constexpr TModalResult mrYesToAll = 10;

// The button's component name in a message dialog ("OK", "Cancel", "Yes",
// "NoToAll", ...): callers find buttons by this name to give them their own
// captions.
AnsiString MsgDlgButtonName(TMsgDlgBtn Button);
// The button's standard caption ("OK", "&Yes", "N&o to All", ...).
AnsiString MsgDlgButtonCaption(TMsgDlgBtn Button);
// The modal result a button closes its dialog with (mrNone for Help).
TModalResult MsgDlgButtonResult(TMsgDlgBtn Button);
// "Warning", "Error", "Information", "Confirm"; empty for mtCustom.
AnsiString MsgDlgTypeCaption(TMsgDlgType DlgType);
// "Warning", "Error", "Information", "Confirmation", "Custom": the word a log
// line uses for the kind.
AnsiString MsgDlgTypeName(TMsgDlgType DlgType);
// "OK", "Cancel", "Yes", ... for a modal result; "None" for 0 and the number
// in decimal for results no button has.
AnsiString ModalResultName(TModalResult Result);

// ---------------------------------------------------------------------------
// What a driver is asked. Plain data, so that a driver can copy and record it.

struct TDialogButton {
  TMsgDlgBtn Kind = mbOK;
  AnsiString Name;     // "OK", "Cancel", ...
  AnsiString Caption;  // what the button shows; callers may have replaced it
  TModalResult ModalResult = mrNone;
};

struct TMessageRequest {
  AnsiString Title;
  AnsiString Text;
  TMsgDlgType DlgType = mtCustom;
  std::vector<TDialogButton> Buttons;  // in the order the dialog shows them
  int DefaultButton = -1;              // index into Buttons, -1 when none
  int CancelButton = -1;               // the button Esc presses, -1 when none
  AnsiString FontName;                 // the dialog's font, as the caller set it
  int FontCharset = 1;                 // DEFAULT_CHARSET

  const TDialogButton* FindButton(const AnsiString& Name) const;
  // The button that closes the dialog with Result, or nullptr.
  const TDialogButton* ButtonFor(TModalResult Result) const;
  // What pressing Enter gives: the default button's result; without one, the
  // cancel button's, then the first button's; mrCancel for a dialog without
  // buttons (only Esc can close it).
  TModalResult DefaultResult() const;
};

struct TInputRequest {
  AnsiString Title;
  AnsiString Prompt;
  AnsiString Default;  // the value the box opens with
  bool Password = false;
};

// A modal window the driver is asked to run. The driver acts on the form (sets
// fields, clicks buttons) and may return a result to close it with.
struct TModalRequest {
  AnsiString ClassName;
  AnsiString Name;
  AnsiString Caption;
};

struct TPickListRequest {
  AnsiString Title;
  AnsiString Prompt;
  std::vector<AnsiString> Items;
  bool MultiSelect = false;
  std::vector<int> Selected;  // rows selected when the list opens
};

enum TPrinterOrientation { poPortrait, poLandscape };

// The printer setup dialog edits these settings in place.
struct TPrinterSetup {
  std::vector<AnsiString> Printers;
  int PrinterIndex = -1;  // -1: the default printer
  int Copies = 1;
  bool Collate = false;
  TPrinterOrientation Orientation = poPortrait;
  int PaperSize = 0;  // paper code of the printer driver; 0 keeps the printer's own
  int FromPage = 0;   // 0 and 0: all pages
  int ToPage = 0;
};

struct TFileDialogRequest {
  bool Save = false;
  AnsiString Title;
  AnsiString Filter;  // "Layouts (*.dat)|*.dat|All files (*.*)|*.*"
  AnsiString InitialDir;
  AnsiString DefaultExt;
  AnsiString FileName;  // proposed name
};

// Opening a document with the program the desktop associates with it.
struct TShellRequest {
  AnsiString Verb;  // "open", "print", "properties"
  AnsiString FileName;
  AnsiString Parameters;
  AnsiString Directory;
};

// ---------------------------------------------------------------------------

class TUIDriver {
 public:
  virtual ~TUIDriver();

  // Shows a message dialog and returns the modal result of the button pressed.
  virtual TModalResult MessageDialog(const TMessageRequest& Request) = 0;
  // An input box. Value holds the default on entry and the answer on return;
  // false when the box was cancelled.
  virtual bool InputQuery(const TInputRequest& Request, AnsiString& Value) = 0;
  // One turn of a modal window's loop: the driver acts on Form (through its
  // controls, setting its ModalResult or closing it) and may return a result
  // that closes the window when the form has none yet. ShowModal keeps asking
  // until the window is closed.
  virtual TModalResult RunModal(TCustomForm& Form, const TModalRequest& Request) = 0;
  // A pick list; Chosen receives the chosen rows. False when nothing was chosen.
  virtual bool PickFromList(const TPickListRequest& Request, std::vector<int>& Chosen) = 0;
  // The printer setup dialog; false when cancelled (Settings unchanged then).
  virtual bool PrinterSetup(TPrinterSetup& Settings) = 0;
  // An open or save dialog; FileName receives the chosen file.
  virtual bool FileDialog(const TFileDialogRequest& Request, AnsiString& FileName) = 0;
  // Opens a document with the shell; false when nothing was started.
  virtual bool ShellExecute(const TShellRequest& Request) = 0;
};

// The installed driver. Until a driver is installed, a console driver writing
// to standard error answers.
TUIDriver& GetUIDriver();
// Installs Driver (nullptr reinstalls the console driver) and returns the
// driver that was installed before.
TUIDriver* SetUIDriver(TUIDriver* Driver);

// Installs a driver for the lifetime of the scope, then puts the previous one
// back.
class TUIDriverScope {
 public:
  explicit TUIDriverScope(TUIDriver& Driver) : FPrevious(SetUIDriver(&Driver)) {}
  ~TUIDriverScope() { SetUIDriver(FPrevious); }
  TUIDriverScope(const TUIDriverScope&) = delete;
  TUIDriverScope& operator=(const TUIDriverScope&) = delete;

 private:
  TUIDriver* FPrevious;
};

// The batch driver: writes every question to a stream as one line that starts
// with its kind in brackets ("[Warning] Disk is full -> OK") and answers as a
// person pressing Enter would: the default button, the default input value,
// nothing chosen from pick lists, the printer's defaults, no file, no shell
// program started. Modal windows are cancelled.
class TConsoleUIDriver : public TUIDriver {
 public:
  // Out defaults to standard error.
  TConsoleUIDriver();
  explicit TConsoleUIDriver(std::ostream& Out);

  // Texts are bytes in the ANSI code page; by default each line is written
  // as UTF-8. Another filter (or none, for the raw bytes) can be installed.
  using TTextFilter = std::function<AnsiString(const AnsiString&)>;
  void SetTextFilter(TTextFilter Filter) { FFilter = std::move(Filter); }

  TModalResult MessageDialog(const TMessageRequest& Request) override;
  bool InputQuery(const TInputRequest& Request, AnsiString& Value) override;
  TModalResult RunModal(TCustomForm& Form, const TModalRequest& Request) override;
  bool PickFromList(const TPickListRequest& Request, std::vector<int>& Chosen) override;
  bool PrinterSetup(TPrinterSetup& Settings) override;
  bool FileDialog(const TFileDialogRequest& Request, AnsiString& FileName) override;
  bool ShellExecute(const TShellRequest& Request) override;

 private:
  void WriteLine(const AnsiString& Kind, const AnsiString& Text, const AnsiString& Answer);

  std::ostream* FOut;
  TTextFilter FFilter;
};

// Strips the accelerator marks from a caption: "N&o to All" -> "No to All",
// "&&" -> "&".
AnsiString StripHotkey(const AnsiString& Caption);
