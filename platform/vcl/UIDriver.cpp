#include "platform/vcl/UIDriver.h"

#include <iostream>
#include <string>

#include "platform/rtl/CodePages.h"

namespace {

struct TButtonInfo {
  const char* Name;
  const char* Caption;
  TModalResult Result;
};

const TButtonInfo kButtons[MsgDlgBtnCount] = {
    {"Yes", "&Yes", mrYes},          {"No", "&No", mrNo},
    {"OK", "OK", mrOk},              {"Cancel", "Cancel", mrCancel},
    {"Abort", "&Abort", mrAbort},    {"Retry", "&Retry", mrRetry},
    {"Ignore", "&Ignore", mrIgnore}, {"All", "&All", mrAll},
    {"NoToAll", "N&o to All", mrNoToAll}, {"YesToAll", "Yes to &All", mrYesToAll},
    {"Help", "&Help", mrNone},
};

bool ValidButton(TMsgDlgBtn b) { return b >= mbYes && b <= mbHelp; }

// Message texts use "\r" or "\r\n" for line breaks; a log line shows them as
// "\n" so that every question still starts its own bracketed line.
AnsiString OneLogEntry(const AnsiString& Text) {
  AnsiString out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    char c = Text[i];
    if (c == '\r') {
      if (i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
      out += '\n';
    } else {
      out += c;
    }
  }
  return out;
}

TConsoleUIDriver& ConsoleDriver() {
  static TConsoleUIDriver driver;
  return driver;
}

TUIDriver* gInstalled = nullptr;

}  // namespace

AnsiString MsgDlgButtonName(TMsgDlgBtn Button) {
  return ValidButton(Button) ? kButtons[Button].Name : "";
}

AnsiString MsgDlgButtonCaption(TMsgDlgBtn Button) {
  return ValidButton(Button) ? kButtons[Button].Caption : "";
}

TModalResult MsgDlgButtonResult(TMsgDlgBtn Button) {
  return ValidButton(Button) ? kButtons[Button].Result : mrNone;
}

AnsiString MsgDlgTypeCaption(TMsgDlgType DlgType) {
  switch (DlgType) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    case mtCustom: break;
  }
  return "";
}

AnsiString MsgDlgTypeName(TMsgDlgType DlgType) {
  switch (DlgType) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirmation";
    case mtCustom: break;
  }
  return "Custom";
}

AnsiString ModalResultName(TModalResult Result) {
  if (Result == mrNone) return "None";
  for (const TButtonInfo& b : kButtons)
    if (b.Result == Result) return b.Name;
  return std::to_string(Result);
}

AnsiString StripHotkey(const AnsiString& Caption) {
  AnsiString out;
  out.reserve(Caption.size());
  for (size_t i = 0; i < Caption.size(); ++i) {
    if (Caption[i] == '&') {
      if (i + 1 < Caption.size() && Caption[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += Caption[i];
  }
  return out;
}

const TDialogButton* TMessageRequest::FindButton(const AnsiString& Name) const {
  for (const TDialogButton& b : Buttons)
    if (b.Name == Name) return &b;
  return nullptr;
}

const TDialogButton* TMessageRequest::ButtonFor(TModalResult Result) const {
  for (const TDialogButton& b : Buttons)
    if (b.ModalResult == Result && Result != mrNone) return &b;
  return nullptr;
}

TModalResult TMessageRequest::DefaultResult() const {
  auto valid = [this](int i) { return i >= 0 && i < static_cast<int>(Buttons.size()); };
  if (valid(DefaultButton)) return Buttons[DefaultButton].ModalResult;
  if (valid(CancelButton)) return Buttons[CancelButton].ModalResult;
  for (const TDialogButton& b : Buttons)
    if (b.ModalResult != mrNone) return b.ModalResult;
  return mrCancel;
}

TUIDriver::~TUIDriver() = default;

TUIDriver& GetUIDriver() { return gInstalled ? *gInstalled : ConsoleDriver(); }

TUIDriver* SetUIDriver(TUIDriver* Driver) {
  TUIDriver* previous = &GetUIDriver();
  gInstalled = Driver;
  return previous;
}

// ---------------------------------------------------------------------------

TConsoleUIDriver::TConsoleUIDriver() : TConsoleUIDriver(std::cerr) {}

// Terminals here read UTF-8; the texts are in the ANSI code page.
TConsoleUIDriver::TConsoleUIDriver(std::ostream& Out)
    : FOut(&Out), FFilter([](const AnsiString& s) { return AnsiToUtf8(s); }) {}

void TConsoleUIDriver::WriteLine(const AnsiString& Kind, const AnsiString& Text,
                                 const AnsiString& Answer) {
  AnsiString line = "[" + Kind + "] " + OneLogEntry(Text) + " -> " + Answer;
  if (FFilter) line = FFilter(line);
  *FOut << line << '\n';
  FOut->flush();
}

TModalResult TConsoleUIDriver::MessageDialog(const TMessageRequest& Request) {
  TModalResult result = Request.DefaultResult();
  const TDialogButton* button = Request.ButtonFor(result);
  WriteLine(MsgDlgTypeName(Request.DlgType), Request.Text,
            button ? StripHotkey(button->Caption) : ModalResultName(result));
  return result;
}

bool TConsoleUIDriver::InputQuery(const TInputRequest& Request, AnsiString& Value) {
  WriteLine("Input", Request.Prompt, Request.Password ? AnsiString("(hidden)") : "\"" + Value + "\"");
  return true;
}

TModalResult TConsoleUIDriver::RunModal(TCustomForm&, const TModalRequest& Request) {
  AnsiString what = Request.Caption.empty() ? Request.ClassName : Request.Caption + " (" + Request.ClassName + ")";
  WriteLine("Window", what, "Cancel");
  return mrCancel;
}

bool TConsoleUIDriver::PickFromList(const TPickListRequest& Request, std::vector<int>& Chosen) {
  Chosen.clear();
  WriteLine("Pick list", Request.Prompt.empty() ? Request.Title : Request.Prompt, "nothing chosen");
  return false;
}

bool TConsoleUIDriver::PrinterSetup(TPrinterSetup& Settings) {
  AnsiString printer = Settings.PrinterIndex >= 0 &&
                               Settings.PrinterIndex < static_cast<int>(Settings.Printers.size())
                           ? Settings.Printers[Settings.PrinterIndex]
                           : AnsiString("default printer");
  WriteLine("Printer setup", printer, "defaults");
  return true;
}

bool TConsoleUIDriver::FileDialog(const TFileDialogRequest& Request, AnsiString& FileName) {
  AnsiString what = Request.Title.empty() ? Request.FileName : Request.Title;
  WriteLine(Request.Save ? "Save file" : "Open file", what, "cancelled");
  return false;
}

bool TConsoleUIDriver::ShellExecute(const TShellRequest& Request) {
  AnsiString verb = Request.Verb.empty() ? AnsiString("open") : Request.Verb;
  WriteLine("Shell", verb + " " + Request.FileName, "not started in batch mode");
  return false;
}
