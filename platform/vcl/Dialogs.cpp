#include "platform/vcl/Dialogs.h"

#include <algorithm>

#include "platform/vcl/Application.h"
#include "platform/vcl/Graphics.h"

TMessageDialog::TMessageDialog() : FFont(new TFont()) {}

TMessageDialog::~TMessageDialog() { delete FFont; }

TDialogButton* TMessageDialog::FindButton(const AnsiString& Name) {
  for (TDialogButton& b : Buttons)
    if (b.Name == Name) return &b;
  return nullptr;
}

TMessageRequest TMessageDialog::Request() const {
  TMessageRequest r;
  r.Title = Caption;
  r.Text = Text;
  r.DlgType = DlgType;
  r.Buttons = Buttons;
  int count = static_cast<int>(Buttons.size());
  r.DefaultButton = DefaultButton < count ? DefaultButton : -1;
  r.CancelButton = CancelButton < count ? CancelButton : -1;
  r.FontName = FFont->Name();
  r.FontCharset = FFont->Charset();
  return r;
}

TModalResult TMessageDialog::ShowModal() {
  ModalResult = GetUIDriver().MessageDialog(Request());
  return ModalResult;
}

std::unique_ptr<TMessageDialog> CreateMessageDialog(const AnsiString& Msg, TMsgDlgType DlgType,
                                                    TMsgDlgButtons Buttons) {
  TMsgDlgBtn def = Buttons.Contains(mbOK) ? mbOK : Buttons.Contains(mbYes) ? mbYes : mbRetry;
  return CreateMessageDialog(Msg, DlgType, Buttons, def);
}

std::unique_ptr<TMessageDialog> CreateMessageDialog(const AnsiString& Msg, TMsgDlgType DlgType,
                                                    TMsgDlgButtons Buttons, TMsgDlgBtn DefaultButton) {
  auto dlg = std::make_unique<TMessageDialog>();
  dlg->Text = Msg;
  dlg->DlgType = DlgType;
  dlg->Caption = DlgType == mtCustom ? Application->Title() : MsgDlgTypeCaption(DlgType);
  TMsgDlgBtn cancel = Buttons.Contains(mbCancel) ? mbCancel : Buttons.Contains(mbNo) ? mbNo : mbOK;
  for (int i = 0; i < MsgDlgBtnCount; ++i) {
    auto kind = static_cast<TMsgDlgBtn>(i);
    if (!Buttons.Contains(kind)) continue;
    if (kind == DefaultButton) dlg->DefaultButton = static_cast<int>(dlg->Buttons.size());
    if (kind == cancel) dlg->CancelButton = static_cast<int>(dlg->Buttons.size());
    dlg->Buttons.push_back(
        TDialogButton{kind, MsgDlgButtonName(kind), MsgDlgButtonCaption(kind), MsgDlgButtonResult(kind)});
  }
  return dlg;
}

int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int) {
  return CreateMessageDialog(Msg, DlgType, Buttons)->ShowModal();
}

int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int, TMsgDlgBtn DefaultButton) {
  return CreateMessageDialog(Msg, DlgType, Buttons, DefaultButton)->ShowModal();
}

void ShowMessage(const AnsiString& Msg) { MessageDlg(Msg, mtCustom, TMsgDlgButtons{mbOK}); }

namespace {
bool AskInput(const AnsiString& Caption, const AnsiString& Prompt, AnsiString& Value, bool Password) {
  TInputRequest r{Caption, Prompt, Value, Password};
  AnsiString answer = Value;
  if (!GetUIDriver().InputQuery(r, answer)) return false;
  Value = answer;
  return true;
}
}  // namespace

AnsiString InputBox(const AnsiString& Caption, const AnsiString& Prompt, const AnsiString& Default) {
  AnsiString value = Default;
  return AskInput(Caption, Prompt, value, false) ? value : Default;
}

bool InputQuery(const AnsiString& Caption, const AnsiString& Prompt, AnsiString& Value) {
  return AskInput(Caption, Prompt, Value, false);
}

bool PasswordQuery(const AnsiString& Caption, const AnsiString& Prompt, AnsiString& Value) {
  return AskInput(Caption, Prompt, Value, true);
}

bool PickFromList(const AnsiString& Caption, const AnsiString& Prompt, const std::vector<AnsiString>& Items,
                  int& Index) {
  TPickListRequest r{Caption, Prompt, Items, false, {}};
  if (Index >= 0 && Index < static_cast<int>(Items.size())) r.Selected.push_back(Index);
  std::vector<int> chosen;
  if (!GetUIDriver().PickFromList(r, chosen) || chosen.empty()) return false;
  Index = chosen.front();
  return true;
}

bool PickManyFromList(const AnsiString& Caption, const AnsiString& Prompt, const std::vector<AnsiString>& Items,
                      std::vector<int>& Rows) {
  TPickListRequest r{Caption, Prompt, Items, true, Rows};
  std::vector<int> chosen;
  if (!GetUIDriver().PickFromList(r, chosen)) return false;
  std::sort(chosen.begin(), chosen.end());
  chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
  Rows = chosen;
  return true;
}

bool PrinterSetupDialog(TPrinterSetup& Settings) {
  // A cancelled dialog leaves the settings as they were, whatever the driver
  // did to its copy.
  TPrinterSetup edited = Settings;
  if (!GetUIDriver().PrinterSetup(edited)) return false;
  Settings = edited;
  return true;
}

bool PromptForFileName(AnsiString& FileName, const AnsiString& Filter, const AnsiString& DefaultExt,
                       const AnsiString& Title, const AnsiString& InitialDir, bool SaveDialog) {
  TFileDialogRequest r{SaveDialog, Title, Filter, InitialDir, DefaultExt, FileName};
  AnsiString chosen = FileName;
  if (!GetUIDriver().FileDialog(r, chosen) || chosen.empty()) return false;
  // A name typed without an extension gets the default one.
  if (!DefaultExt.empty()) {
    size_t slash = chosen.find_last_of('/');
    size_t dot = chosen.find_last_of('.');
    if (dot == AnsiString::npos || (slash != AnsiString::npos && dot < slash))
      chosen += (DefaultExt[0] == '.' ? "" : ".") + DefaultExt;
  }
  FileName = chosen;
  return true;
}

bool ShellExecute(const AnsiString& Verb, const AnsiString& FileName, const AnsiString& Parameters,
                  const AnsiString& Directory) {
  return GetUIDriver().ShellExecute(TShellRequest{Verb, FileName, Parameters, Directory});
}
