#include "platform/vcl/ScriptedUIDriver.h"

#include <algorithm>
#include <string>

namespace {

AnsiString Quoted(const AnsiString& s) { return "\"" + s + "\""; }

bool Contains(const AnsiString& Text, const AnsiString& Part) {
  return Text.find(Part) != AnsiString::npos;
}

}  // namespace

AnsiString QuestionKindName(TQuestionKind Kind) {
  switch (Kind) {
    case TQuestionKind::Message: return "message dialog";
    case TQuestionKind::Input: return "input box";
    case TQuestionKind::Modal: return "modal window";
    case TQuestionKind::PickList: return "pick list";
    case TQuestionKind::PrinterSetup: return "printer setup dialog";
    case TQuestionKind::FileDialog: return "file dialog";
    case TQuestionKind::Shell: return "shell request";
  }
  return "question";
}

// ---------------------------------------------------------------------------

AnsiString TUIQuestion::Title() const {
  switch (Kind) {
    case TQuestionKind::Message: return Message.Title;
    case TQuestionKind::Input: return Input.Title;
    case TQuestionKind::Modal: return Modal.ClassName;
    case TQuestionKind::PickList: return PickList.Title;
    case TQuestionKind::PrinterSetup: return {};
    case TQuestionKind::FileDialog: return File.Title;
    case TQuestionKind::Shell: return Shell.Verb;
  }
  return {};
}

AnsiString TUIQuestion::Text() const {
  switch (Kind) {
    case TQuestionKind::Message: return Message.Text;
    case TQuestionKind::Input: return Input.Prompt;
    case TQuestionKind::Modal: return Modal.Caption;
    case TQuestionKind::PickList: return PickList.Prompt;
    case TQuestionKind::PrinterSetup: return {};
    case TQuestionKind::FileDialog: return File.FileName;
    case TQuestionKind::Shell: return Shell.FileName;
  }
  return {};
}

AnsiString TUIQuestion::Describe() const {
  switch (Kind) {
    case TQuestionKind::Message: {
      AnsiString buttons;
      for (const TDialogButton& b : Message.Buttons) {
        if (!buttons.empty()) buttons += ", ";
        buttons += b.Name;
      }
      return "message dialog [" + MsgDlgTypeName(Message.DlgType) + "] " + Quoted(Message.Text) +
             " (buttons: " + (buttons.empty() ? AnsiString("none") : buttons) + ")";
    }
    case TQuestionKind::Input:
      return "input box " + Quoted(Input.Prompt) + " (title " + Quoted(Input.Title) + ")";
    case TQuestionKind::Modal:
      return "modal window " + Modal.ClassName + (Modal.Name.empty() ? "" : " " + Modal.Name) + " " +
             Quoted(Modal.Caption);
    case TQuestionKind::PickList:
      return "pick list " + Quoted(PickList.Prompt.empty() ? PickList.Title : PickList.Prompt) + " (" +
             std::to_string(PickList.Items.size()) + " items)";
    case TQuestionKind::PrinterSetup: return "printer setup dialog";
    case TQuestionKind::FileDialog:
      return AnsiString(File.Save ? "save" : "open") + " file dialog " + Quoted(File.Title) + " (file " +
             Quoted(File.FileName) + ")";
    case TQuestionKind::Shell:
      return "shell request " + Quoted(Shell.Verb.empty() ? AnsiString("open") : Shell.Verb) + " " +
             Quoted(Shell.FileName);
  }
  return "question";
}

// ---------------------------------------------------------------------------

void TUIExpectation::Require(bool Fits, const char* What) const {
  if (!Fits) throw EUIScriptError("UI script: " + AnsiString(What) + " does not fit an expected " + QuestionKindName(FKind));
}

TUIExpectation& TUIExpectation::Answer(TModalResult Result) {
  Require(FKind == TQuestionKind::Message || FKind == TQuestionKind::Modal, "a modal result");
  FResult = Result;
  return *this;
}

TUIExpectation& TUIExpectation::Answer(const AnsiString& Value) {
  Require(FKind == TQuestionKind::Input || FKind == TQuestionKind::FileDialog, "a text answer");
  FValue = Value;
  FAccept = true;
  return *this;
}

TUIExpectation& TUIExpectation::Choose(std::vector<int> Rows) {
  Require(FKind == TQuestionKind::PickList, "choosing rows");
  FRows = std::move(Rows);
  FAccept = true;
  return *this;
}

TUIExpectation& TUIExpectation::Accept() {
  Require(FKind != TQuestionKind::Message && FKind != TQuestionKind::Modal, "accepting");
  FAccept = true;
  return *this;
}

TUIExpectation& TUIExpectation::Cancel() {
  if (FKind == TQuestionKind::Message || FKind == TQuestionKind::Modal) {
    FResult = mrCancel;
  } else {
    FAccept = false;
  }
  return *this;
}

TUIExpectation& TUIExpectation::Act(std::function<void(TCustomForm&)> Action) {
  Require(FKind == TQuestionKind::Modal, "acting on a window");
  FAct = std::move(Action);
  return *this;
}

TUIExpectation& TUIExpectation::Edit(std::function<void(TPrinterSetup&)> Action) {
  Require(FKind == TQuestionKind::PrinterSetup, "editing printer settings");
  FEdit = std::move(Action);
  FAccept = true;
  return *this;
}

TUIExpectation& TUIExpectation::OfType(TMsgDlgType DlgType) {
  Require(FKind == TQuestionKind::Message, "a dialog kind");
  FDlgType = DlgType;
  return *this;
}

AnsiString TUIExpectation::Describe() const {
  AnsiString s = QuestionKindName(FKind);
  if (FDlgType) s += " [" + MsgDlgTypeName(*FDlgType) + "]";
  if (!FPattern.empty()) s += " matching " + Quoted(FPattern);
  return s;
}

// ---------------------------------------------------------------------------

TUIExpectation& TScriptedUIDriver::Queue(TQuestionKind Kind, AnsiString Pattern) {
  FQueue.push_back(TUIExpectation(Kind, std::move(Pattern)));
  return FQueue.back();
}

TUIExpectation& TScriptedUIDriver::ExpectMessage(AnsiString Pattern) {
  return Queue(TQuestionKind::Message, std::move(Pattern));
}

TUIExpectation& TScriptedUIDriver::ExpectMessage(AnsiString Pattern, TMsgDlgType DlgType) {
  return Queue(TQuestionKind::Message, std::move(Pattern)).OfType(DlgType);
}

TUIExpectation& TScriptedUIDriver::ExpectInput(AnsiString Pattern) {
  return Queue(TQuestionKind::Input, std::move(Pattern));
}

TUIExpectation& TScriptedUIDriver::ExpectModal(AnsiString Pattern) {
  return Queue(TQuestionKind::Modal, std::move(Pattern));
}

TUIExpectation& TScriptedUIDriver::ExpectPickList(AnsiString Pattern) {
  return Queue(TQuestionKind::PickList, std::move(Pattern));
}

TUIExpectation& TScriptedUIDriver::ExpectPrinterSetup() { return Queue(TQuestionKind::PrinterSetup, {}); }

TUIExpectation& TScriptedUIDriver::ExpectFileDialog(AnsiString Pattern) {
  return Queue(TQuestionKind::FileDialog, std::move(Pattern));
}

TUIExpectation& TScriptedUIDriver::ExpectShell(AnsiString Pattern) {
  return Queue(TQuestionKind::Shell, std::move(Pattern));
}

std::vector<TUIQuestion> TScriptedUIDriver::Questions(TQuestionKind Kind) const {
  std::vector<TUIQuestion> out;
  for (const TUIQuestion& q : FQuestions)
    if (q.Kind == Kind) out.push_back(q);
  return out;
}

void TScriptedUIDriver::VerifyAllAnswered() const {
  AnsiString problems;
  for (const AnsiString& f : FFailures) problems += "\n  " + f;
  for (const TUIExpectation& e : FQueue) problems += "\n  expected but never asked: " + e.Describe();
  if (!problems.empty()) throw EUIScriptError("UI script incomplete:" + problems);
}

void TScriptedUIDriver::Reset() {
  FQueue.clear();
  FQuestions.clear();
  FFailures.clear();
}

void TScriptedUIDriver::Fail(const AnsiString& Message) {
  FFailures.push_back(Message);
  throw EUIScriptError(Message);
}

TUIExpectation TScriptedUIDriver::Take(TUIQuestion& Question) {
  if (FQueue.empty()) Fail("UI script: unexpected " + Question.Describe() + ": no answer queued");
  const TUIExpectation& next = FQueue.front();
  if (next.FKind != Question.Kind)
    Fail("UI script: expected " + next.Describe() + ", but was asked: " + Question.Describe());
  if (!next.FPattern.empty()) {
    bool match = Contains(Question.Text(), next.FPattern) || Contains(Question.Title(), next.FPattern);
    if (Question.Kind == TQuestionKind::Modal) match = match || Contains(Question.Modal.Name, next.FPattern);
    if (!match) Fail("UI script: expected " + next.Describe() + ", but was asked: " + Question.Describe());
  }
  if (next.FDlgType && *next.FDlgType != Question.Message.DlgType)
    Fail("UI script: expected " + next.Describe() + ", but was asked: " + Question.Describe());
  TUIExpectation taken = std::move(FQueue.front());
  FQueue.pop_front();
  return taken;
}

TModalResult TScriptedUIDriver::MessageDialog(const TMessageRequest& Request) {
  TUIQuestion q;
  q.Kind = TQuestionKind::Message;
  q.Message = Request;
  FQuestions.push_back(q);
  size_t index = FQuestions.size() - 1;
  TUIExpectation e = Take(FQuestions[index]);
  TModalResult result = e.FResult ? *e.FResult : Request.DefaultResult();
  if (!Request.ButtonFor(result))
    Fail("UI script: answer " + ModalResultName(result) + " is not a button of " + FQuestions[index].Describe());
  FQuestions[index].Answered = true;
  FQuestions[index].Result = result;
  return result;
}

bool TScriptedUIDriver::InputQuery(const TInputRequest& Request, AnsiString& Value) {
  TUIQuestion q;
  q.Kind = TQuestionKind::Input;
  q.Input = Request;
  FQuestions.push_back(q);
  size_t index = FQuestions.size() - 1;
  TUIExpectation e = Take(FQuestions[index]);
  bool accepted = e.FAccept.value_or(true);
  if (accepted && e.FValue) Value = *e.FValue;
  FQuestions[index].Answered = true;
  FQuestions[index].Accepted = accepted;
  FQuestions[index].Value = accepted ? Value : AnsiString();
  return accepted;
}

TModalResult TScriptedUIDriver::RunModal(TCustomForm& Form, const TModalRequest& Request) {
  TUIQuestion q;
  q.Kind = TQuestionKind::Modal;
  q.Modal = Request;
  FQuestions.push_back(q);
  size_t index = FQuestions.size() - 1;
  TUIExpectation e = Take(FQuestions[index]);
  // The action may ask questions of its own (a message box while a field is
  // checked); they are recorded after this one.
  if (e.FAct) e.FAct(Form);
  TModalResult result = e.FResult.value_or(mrNone);
  FQuestions[index].Answered = true;
  FQuestions[index].Result = result;
  return result;
}

bool TScriptedUIDriver::PickFromList(const TPickListRequest& Request, std::vector<int>& Chosen) {
  TUIQuestion q;
  q.Kind = TQuestionKind::PickList;
  q.PickList = Request;
  FQuestions.push_back(q);
  size_t index = FQuestions.size() - 1;
  TUIExpectation e = Take(FQuestions[index]);
  Chosen.clear();
  if (e.FRows) {
    if (!Request.MultiSelect && e.FRows->size() > 1)
      Fail("UI script: several rows chosen from single-choice " + FQuestions[index].Describe());
    for (int row : *e.FRows)
      if (row < 0 || row >= static_cast<int>(Request.Items.size()))
        Fail("UI script: row " + std::to_string(row) + " is not in " + FQuestions[index].Describe());
    Chosen = *e.FRows;
  }
  bool accepted = e.FAccept.value_or(false) && !Chosen.empty();
  if (!accepted) Chosen.clear();
  FQuestions[index].Answered = true;
  FQuestions[index].Accepted = accepted;
  FQuestions[index].Chosen = Chosen;
  return accepted;
}

bool TScriptedUIDriver::PrinterSetup(TPrinterSetup& Settings) {
  TUIQuestion q;
  q.Kind = TQuestionKind::PrinterSetup;
  q.Printer = Settings;
  FQuestions.push_back(q);
  size_t index = FQuestions.size() - 1;
  TUIExpectation e = Take(FQuestions[index]);
  bool accepted = e.FAccept.value_or(true);
  if (accepted && e.FEdit) e.FEdit(Settings);
  FQuestions[index].Answered = true;
  FQuestions[index].Accepted = accepted;
  return accepted;
}

bool TScriptedUIDriver::FileDialog(const TFileDialogRequest& Request, AnsiString& FileName) {
  TUIQuestion q;
  q.Kind = TQuestionKind::FileDialog;
  q.File = Request;
  FQuestions.push_back(q);
  size_t index = FQuestions.size() - 1;
  TUIExpectation e = Take(FQuestions[index]);
  bool accepted = e.FAccept.value_or(false);
  if (accepted) FileName = e.FValue ? *e.FValue : Request.FileName;
  if (accepted && FileName.empty()) Fail("UI script: no file name to accept in " + FQuestions[index].Describe());
  FQuestions[index].Answered = true;
  FQuestions[index].Accepted = accepted;
  FQuestions[index].Value = accepted ? FileName : AnsiString();
  return accepted;
}

bool TScriptedUIDriver::ShellExecute(const TShellRequest& Request) {
  TUIQuestion q;
  q.Kind = TQuestionKind::Shell;
  q.Shell = Request;
  FQuestions.push_back(q);
  size_t index = FQuestions.size() - 1;
  TUIExpectation e = Take(FQuestions[index]);
  bool accepted = e.FAccept.value_or(false);
  FQuestions[index].Answered = true;
  FQuestions[index].Accepted = accepted;
  return accepted;
}
