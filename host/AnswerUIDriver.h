#pragma once
// The UI driver of batch runs: questions are answered from an answers file,
// and every question is written as one line "[Kind] text -> answer" (UTF-8)
// to a stream, as the console driver does.
//
// Answers file (UTF-8), one rule a line, blank lines and "#" comments ignored:
//
//   KIND [PATTERN] => ANSWER
//
// KIND is message, input, pick or file. A rule answers every question of its
// kind whose title or text contains PATTERN (no pattern: every question of
// the kind); the first rule that matches wins and stays for later questions.
// ANSWER: for a message the name of a button (OK, Cancel, Yes, No, Abort,
// Retry, Ignore, All, NoToAll, YesToAll); for an input box the text; for a
// pick list row numbers from 0 separated by "," ("!selected" takes the rows
// the list opened with); for a file dialog the file name. "!cancel" cancels
// any question.
//
// A question no rule answers gets the console driver's answer (Enter: the
// default button, the default text, nothing chosen), or, when the driver is
// strict, is cancelled and recorded as unanswered.

#include <iosfwd>
#include <string_view>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/UIDriver.h"

KW_DECLARE_EXCEPTION(EAnswerFileError, Exception)

class TAnswerUIDriver : public TConsoleUIDriver {
 public:
  explicit TAnswerUIDriver(std::ostream& Out);

  // Adds the rules of an answers text; raises EAnswerFileError naming the
  // line of a malformed rule.
  void LoadAnswers(std::string_view Utf8, const AnsiString& SourceName);
  void LoadAnswersFile(const AnsiString& FileName);
  void SetStrict(bool Strict) { FStrict = Strict; }
  // The questions (one line each) that no rule answered in strict mode.
  const std::vector<AnsiString>& Unanswered() const { return FUnanswered; }

  TModalResult MessageDialog(const TMessageRequest& Request) override;
  bool InputQuery(const TInputRequest& Request, AnsiString& Value) override;
  bool PickFromList(const TPickListRequest& Request, std::vector<int>& Chosen) override;
  bool FileDialog(const TFileDialogRequest& Request, AnsiString& FileName) override;

 private:
  enum class TKind { Message, Input, Pick, File };
  struct TRule {
    TKind Kind;
    AnsiString Pattern;  // ANSI code page
    AnsiString Answer;   // ANSI code page
    int Line;
  };

  const TRule* Match(TKind Kind, const AnsiString& Title, const AnsiString& Text) const;
  void Write(const char* Kind, const AnsiString& Text, const AnsiString& Answer);
  // Strict: records the question and returns true (the caller cancels).
  bool Unmatched(const char* Kind, const AnsiString& Text);

  std::ostream* FOut;
  std::vector<TRule> FRules;
  bool FStrict = false;
  std::vector<AnsiString> FUnanswered;
};
