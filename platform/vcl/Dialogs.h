#pragma once
// The standard dialogs, each asked through the UI driver: message dialogs
// (which a caller may also make first and change before showing, to give the
// buttons captions of its own or the dialog another font), message boxes of
// the run-time's short forms, input boxes, pick lists, file dialogs, the
// printer setup dialog and opening a document with the shell.

#include <memory>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/vcl/UIDriver.h"

class TFont;

// A message dialog before it is shown: everything in it can still change.
class TMessageDialog {
 public:
  TMessageDialog();
  ~TMessageDialog();
  TMessageDialog(const TMessageDialog&) = delete;
  TMessageDialog& operator=(const TMessageDialog&) = delete;

  AnsiString Caption;
  AnsiString Text;
  TMsgDlgType DlgType = mtCustom;
  // In the order shown; each has the component name of its kind ("OK",
  // "Cancel", "Yes", "NoToAll" ...).
  std::vector<TDialogButton> Buttons;
  int DefaultButton = -1;  // index into Buttons, -1 for none
  int CancelButton = -1;
  TModalResult ModalResult = mrNone;

  TFont* Font() const { return FFont; }
  // The button with that component name, or nullptr.
  TDialogButton* FindButton(const AnsiString& Name);
  // Asks the UI driver; returns (and keeps in ModalResult) the result of the
  // button pressed.
  TModalResult ShowModal();
  // What the driver is given.
  TMessageRequest Request() const;

 private:
  TFont* FFont;
};

// A dialog of the kind with the buttons in their standard order, captions and
// title ("Warning", "Error", "Information", "Confirm"; the application's
// title for mtCustom). The default button is OK, else Yes, else Retry (when
// there); Esc presses Cancel, else No, else OK.
std::unique_ptr<TMessageDialog> CreateMessageDialog(const AnsiString& Msg, TMsgDlgType DlgType,
                                                    TMsgDlgButtons Buttons);
// The same with a chosen default button (ignored when not among Buttons).
std::unique_ptr<TMessageDialog> CreateMessageDialog(const AnsiString& Msg, TMsgDlgType DlgType,
                                                    TMsgDlgButtons Buttons, TMsgDlgBtn DefaultButton);

// Shows a message dialog and returns the modal result.
int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);
int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
               TMsgDlgBtn DefaultButton);
// A plain message with an OK button and the application's title.
void ShowMessage(const AnsiString& Msg);

// An input box: the text entered, or Default when it was cancelled.
AnsiString InputBox(const AnsiString& Caption, const AnsiString& Prompt, const AnsiString& Default);
// An input box that says whether it was accepted; Value holds the default on
// entry and the text entered on return (unchanged when cancelled).
bool InputQuery(const AnsiString& Caption, const AnsiString& Prompt, AnsiString& Value);
// The same for a secret (shown as asterisks to a person).
bool PasswordQuery(const AnsiString& Caption, const AnsiString& Prompt, AnsiString& Value);

// A list to pick one row from; Index holds the row selected at the start
// (-1 for none) and the row chosen on return. False when nothing was chosen.
bool PickFromList(const AnsiString& Caption, const AnsiString& Prompt, const std::vector<AnsiString>& Items,
                  int& Index);
// A list to pick any number of rows from; Rows holds the rows selected at the
// start and the rows chosen on return (ascending).
bool PickManyFromList(const AnsiString& Caption, const AnsiString& Prompt,
                      const std::vector<AnsiString>& Items, std::vector<int>& Rows);

// The printer setup dialog; edits Settings in place, false when cancelled.
bool PrinterSetupDialog(TPrinterSetup& Settings);

// An open (or save) dialog; FileName holds the proposed name and receives the
// chosen one. Filter as "Layouts (*.dat)|*.dat|All files (*.*)|*.*".
bool PromptForFileName(AnsiString& FileName, const AnsiString& Filter = {}, const AnsiString& DefaultExt = {},
                       const AnsiString& Title = {}, const AnsiString& InitialDir = {}, bool SaveDialog = false);

// Opens FileName with the program the desktop associates with it ("open"),
// or with another verb ("print", "properties"). False when nothing started.
bool ShellExecute(const AnsiString& Verb, const AnsiString& FileName, const AnsiString& Parameters = {},
                  const AnsiString& Directory = {});
