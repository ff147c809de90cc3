#include "host/AnswerUIDriver.h"

#include <ostream>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Numbers.h"

namespace {

const char* const kCancel = "!cancel";
const char* const kSelected = "!selected";

std::string_view TrimView(std::string_view S) {
  while (!S.empty() && (S.front() == ' ' || S.front() == '\t')) S.remove_prefix(1);
  while (!S.empty() && (S.back() == ' ' || S.back() == '\t' || S.back() == '\r')) S.remove_suffix(1);
  return S;
}

bool Contains(const AnsiString& Text, const AnsiString& Pattern) {
  return Pattern.empty() || Text.find(Pattern) != AnsiString::npos;
}

// Row numbers "0, 2,5"; false when the text is not such a list.
bool ParseRows(const AnsiString& Text, std::vector<int>& Rows) {
  Rows.clear();
  size_t pos = 0;
  while (pos <= Text.size()) {
    size_t comma = Text.find(',', pos);
    if (comma == AnsiString::npos) comma = Text.size();
    AnsiString piece = Trim(Text.substr(pos, comma - pos));
    int row;
    if (piece.empty() || !TryStrToInt(piece, row) || row < 0) return false;
    Rows.push_back(row);
    pos = comma + 1;
  }
  return !Rows.empty();
}

}  // namespace

TAnswerUIDriver::TAnswerUIDriver(std::ostream& Out) : TConsoleUIDriver(Out), FOut(&Out) {}

void TAnswerUIDriver::LoadAnswers(std::string_view Utf8, const AnsiString& SourceName) {
  int lineNo = 0;
  size_t pos = 0;
  while (pos < Utf8.size()) {
    size_t end = Utf8.find('\n', pos);
    if (end == std::string_view::npos) end = Utf8.size();
    std::string_view line = TrimView(Utf8.substr(pos, end - pos));
    pos = end + 1;
    ++lineNo;
    if (line.empty() || line.front() == '#') continue;
    const AnsiString where = SourceName + " line " + IntToStr(lineNo);
    size_t arrow = line.find("=>");
    if (arrow == std::string_view::npos) throw EAnswerFileError(where + ": a rule is \"KIND [PATTERN] => ANSWER\"");
    std::string_view head = TrimView(line.substr(0, arrow));
    std::string_view answer = TrimView(line.substr(arrow + 2));
    size_t blank = head.find_first_of(" \t");
    std::string_view kindName = head.substr(0, blank);
    std::string_view pattern = blank == std::string_view::npos ? std::string_view() : TrimView(head.substr(blank));
    TRule rule{TKind::Message, Utf8ToAnsi(pattern), Utf8ToAnsi(answer), lineNo};
    if (kindName == "message")
      rule.Kind = TKind::Message;
    else if (kindName == "input")
      rule.Kind = TKind::Input;
    else if (kindName == "pick")
      rule.Kind = TKind::Pick;
    else if (kindName == "file")
      rule.Kind = TKind::File;
    else
      throw EAnswerFileError(where + ": unknown kind \"" + AnsiString(kindName) + "\" (message, input, pick, file)");
    std::vector<int> rows;
    if (rule.Kind == TKind::Pick && rule.Answer != kCancel && rule.Answer != kSelected &&
        !ParseRows(rule.Answer, rows))
      throw EAnswerFileError(where + ": a pick list answer is row numbers from 0, \"!selected\" or \"!cancel\"");
    if (rule.Kind == TKind::Message && rule.Answer.empty())
      throw EAnswerFileError(where + ": a message answer names a button");
    FRules.push_back(std::move(rule));
  }
}

void TAnswerUIDriver::LoadAnswersFile(const AnsiString& FileName) {
  AnsiString bytes;
  if (!ReadFileBytes(FileName, bytes)) throw EAnswerFileError("Cannot read the answers file " + FileName);
  LoadAnswers(bytes, FileName);
}

const TAnswerUIDriver::TRule* TAnswerUIDriver::Match(TKind Kind, const AnsiString& Title,
                                                     const AnsiString& Text) const {
  for (const TRule& rule : FRules)
    if (rule.Kind == Kind && (Contains(Title, rule.Pattern) || Contains(Text, rule.Pattern))) return &rule;
  return nullptr;
}

void TAnswerUIDriver::Write(const char* Kind, const AnsiString& Text, const AnsiString& Answer) {
  *FOut << "[" << Kind << "] " << AnsiToUtf8(Text) << " -> " << AnsiToUtf8(Answer) << std::endl;
}

bool TAnswerUIDriver::Unmatched(const char* Kind, const AnsiString& Text) {
  if (!FStrict) return false;
  FUnanswered.push_back(AnsiString(Kind) + ": " + Text);
  Write(Kind, Text, "no answer given, cancelled");
  return true;
}

TModalResult TAnswerUIDriver::MessageDialog(const TMessageRequest& Request) {
  const TRule* rule = Match(TKind::Message, Request.Title, Request.Text);
  const char* kind = "Message";
  if (rule && rule->Answer != kCancel) {
    for (const TDialogButton& button : Request.Buttons)
      if (SameText(button.Name, rule->Answer)) {
        Write(kind, Request.Text, StripHotkey(button.Caption));
        return button.ModalResult;
      }
    // A button this dialog lacks: the rule does not fit this question.
    rule = nullptr;
  }
  if (rule || Unmatched(kind, Request.Text)) {
    const TDialogButton* cancel = Request.ButtonFor(mrCancel);
    if (!cancel && Request.CancelButton >= 0) cancel = &Request.Buttons[static_cast<size_t>(Request.CancelButton)];
    Write(kind, Request.Text, cancel ? StripHotkey(cancel->Caption) : AnsiString("Cancel"));
    return cancel ? cancel->ModalResult : mrCancel;
  }
  return TConsoleUIDriver::MessageDialog(Request);
}

bool TAnswerUIDriver::InputQuery(const TInputRequest& Request, AnsiString& Value) {
  const TRule* rule = Match(TKind::Input, Request.Title, Request.Prompt);
  if (rule) {
    if (rule->Answer == kCancel) {
      Write("Input", Request.Prompt, "Cancel");
      return false;
    }
    Value = rule->Answer;
    Write("Input", Request.Prompt, "\"" + Value + "\"");
    return true;
  }
  if (Unmatched("Input", Request.Prompt)) return false;
  return TConsoleUIDriver::InputQuery(Request, Value);
}

bool TAnswerUIDriver::PickFromList(const TPickListRequest& Request, std::vector<int>& Chosen) {
  Chosen.clear();
  const AnsiString what = Request.Title.empty() ? Request.Prompt : Request.Title;
  const TRule* rule = Match(TKind::Pick, Request.Title, Request.Prompt);
  if (rule) {
    std::vector<int> rows;
    if (rule->Answer == kSelected)
      rows = Request.Selected;
    else if (rule->Answer != kCancel)
      ParseRows(rule->Answer, rows);
    for (int row : rows)
      if (row >= static_cast<int>(Request.Items.size())) {
        Write("Pick list", what, "row " + IntToStr(row) + " does not exist, cancelled");
        return false;
      }
    if (rows.size() > 1 && !Request.MultiSelect) rows.resize(1);
    if (rows.empty()) {
      Write("Pick list", what, "nothing chosen");
      return false;
    }
    AnsiString shown;
    for (int row : rows) shown += (shown.empty() ? "" : "; ") + Request.Items[static_cast<size_t>(row)];
    Write("Pick list", what, shown);
    Chosen = rows;
    return true;
  }
  if (Unmatched("Pick list", what)) return false;
  return TConsoleUIDriver::PickFromList(Request, Chosen);
}

bool TAnswerUIDriver::FileDialog(const TFileDialogRequest& Request, AnsiString& FileName) {
  const TRule* rule = Match(TKind::File, Request.Title, Request.FileName);
  if (rule) {
    if (rule->Answer == kCancel) {
      Write("File", Request.Title, "Cancel");
      return false;
    }
    FileName = rule->Answer;
    Write("File", Request.Title, FileName);
    return true;
  }
  if (Unmatched("File", Request.Title)) return false;
  return TConsoleUIDriver::FileDialog(Request, FileName);
}
