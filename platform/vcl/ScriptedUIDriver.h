#pragma once
// The driver for tests: answers come from a queue that the test fills before
// it acts, every question asked is recorded, and a question that nobody
// expected (none queued, or one of another kind or text) raises EUIScriptError
// naming the question. Because code under test may swallow exceptions, every
// such failure is also kept, and VerifyAllAnswered reports it again together
// with any answer that was queued but never asked for.
//
//   TScriptedUIDriver ui;
//   TUIDriverScope use(ui);
//   ui.ExpectMessage("required", mtError).Answer(mrOk);
//   ui.ExpectModal("TfrmScheme").Act([](TCustomForm& f) { ... f.ModalResult = mrOk; });
//   ... run the code ...
//   ui.VerifyAllAnswered();

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/vcl/UIDriver.h"

KW_DECLARE_EXCEPTION(EUIScriptError, Exception)

enum class TQuestionKind { Message, Input, Modal, PickList, PrinterSetup, FileDialog, Shell };

// "message dialog", "input box", "modal window", ...
AnsiString QuestionKindName(TQuestionKind Kind);

// One question as it was asked, and the answer the script gave.
struct TUIQuestion {
  TQuestionKind Kind = TQuestionKind::Message;
  // Only the request matching Kind is filled.
  TMessageRequest Message;
  TInputRequest Input;
  TModalRequest Modal;
  TPickListRequest PickList;
  TPrinterSetup Printer;  // the settings as the dialog opened
  TFileDialogRequest File;
  TShellRequest Shell;

  bool Answered = false;
  TModalResult Result = mrNone;  // message dialogs and modal windows
  bool Accepted = false;         // input boxes, lists, printer, files, shell
  AnsiString Value;              // input boxes and file dialogs
  std::vector<int> Chosen;       // pick lists

  // The question in one line, for failure messages:
  // message dialog [Error] "Field is required" (buttons: OK)
  AnsiString Describe() const;
  // The text an expectation's pattern is matched against.
  AnsiString Title() const;
  AnsiString Text() const;
};

// A queued answer. Made by the driver's Expect... functions; the setters
// return the expectation so that calls chain. A setter that does not fit the
// kind of question raises EUIScriptError at once.
class TUIExpectation {
 public:
  // Message dialogs: the result of the button pressed (it must be one of the
  // dialog's buttons). Modal windows: the result to close the window with
  // after Act ran, when the window has none of its own.
  TUIExpectation& Answer(TModalResult Result);
  // Input boxes and file dialogs: the text entered (accepted).
  TUIExpectation& Answer(const AnsiString& Value);
  TUIExpectation& Answer(const char* Value) { return Answer(AnsiString(Value)); }
  // Pick lists: the rows chosen (accepted).
  TUIExpectation& Choose(std::vector<int> Rows);
  // Input boxes, pick lists, printer setup, file dialogs, shell: accept with
  // the defaults, or cancel. Message dialogs: Cancel presses Cancel.
  TUIExpectation& Accept();
  TUIExpectation& Cancel();
  // Modal windows: what the person does in the window.
  TUIExpectation& Act(std::function<void(TCustomForm&)> Action);
  // Printer setup: changes made in the dialog (accepted).
  TUIExpectation& Edit(std::function<void(TPrinterSetup&)> Action);
  // Message dialogs: the kind the dialog must have.
  TUIExpectation& OfType(TMsgDlgType DlgType);

  AnsiString Describe() const;

 private:
  friend class TScriptedUIDriver;
  TUIExpectation(TQuestionKind Kind, AnsiString Pattern) : FKind(Kind), FPattern(std::move(Pattern)) {}
  void Require(bool Fits, const char* What) const;

  TQuestionKind FKind;
  AnsiString FPattern;
  std::optional<TMsgDlgType> FDlgType;
  std::optional<TModalResult> FResult;
  std::optional<bool> FAccept;
  std::optional<AnsiString> FValue;
  std::optional<std::vector<int>> FRows;
  std::function<void(TCustomForm&)> FAct;
  std::function<void(TPrinterSetup&)> FEdit;
};

class TScriptedUIDriver : public TUIDriver {
 public:
  TScriptedUIDriver() = default;
  TScriptedUIDriver(const TScriptedUIDriver&) = delete;
  TScriptedUIDriver& operator=(const TScriptedUIDriver&) = delete;

  // Queue an answer for the next question. Pattern, when not empty, must occur
  // in the question's text or title (message text, prompt, window caption,
  // file name); a modal window also matches its class name or component name.
  // Without an explicit answer a question gets what the console driver gives:
  // the default button, the default input, nothing chosen, the printer's
  // defaults, no file, no program started; a modal window gets nothing, so its
  // loop asks for the next queued step.
  TUIExpectation& ExpectMessage(AnsiString Pattern = {});
  TUIExpectation& ExpectMessage(AnsiString Pattern, TMsgDlgType DlgType);
  TUIExpectation& ExpectInput(AnsiString Pattern = {});
  TUIExpectation& ExpectModal(AnsiString Pattern = {});
  TUIExpectation& ExpectPickList(AnsiString Pattern = {});
  TUIExpectation& ExpectPrinterSetup();
  TUIExpectation& ExpectFileDialog(AnsiString Pattern = {});
  TUIExpectation& ExpectShell(AnsiString Pattern = {});

  // Every question asked, answered or not, in order.
  const std::vector<TUIQuestion>& Questions() const { return FQuestions; }
  // The questions of one kind, in order.
  std::vector<TUIQuestion> Questions(TQuestionKind Kind) const;
  size_t PendingCount() const { return FQueue.size(); }
  // Raised failures (unexpected questions, mismatches), also those that the
  // code under test caught.
  const std::vector<AnsiString>& Failures() const { return FFailures; }
  // Raises EUIScriptError when a failure was recorded or a queued answer was
  // never asked for.
  void VerifyAllAnswered() const;
  // Forgets the queue, the record and the failures.
  void Reset();

  TModalResult MessageDialog(const TMessageRequest& Request) override;
  bool InputQuery(const TInputRequest& Request, AnsiString& Value) override;
  TModalResult RunModal(TCustomForm& Form, const TModalRequest& Request) override;
  bool PickFromList(const TPickListRequest& Request, std::vector<int>& Chosen) override;
  bool PrinterSetup(TPrinterSetup& Settings) override;
  bool FileDialog(const TFileDialogRequest& Request, AnsiString& FileName) override;
  bool ShellExecute(const TShellRequest& Request) override;

 private:
  TUIExpectation& Queue(TQuestionKind Kind, AnsiString Pattern);
  // Records Question and takes the expectation that answers it; raises (and
  // remembers) when there is none or it does not fit.
  TUIExpectation Take(TUIQuestion& Question);
  [[noreturn]] void Fail(const AnsiString& Message);

  std::deque<TUIExpectation> FQueue;
  std::vector<TUIQuestion> FQuestions;
  std::vector<AnsiString> FFailures;
};
