#include "platform/vcl/CommonDialogs.h"

#include <algorithm>

#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Publisher.h"

KW_REGISTER_CLASS(TOpenDialog)
KW_REGISTER_CLASS(TSaveDialog)
KW_REGISTER_CLASS(TPrinterSetupDialog)
KW_REGISTER_CLASS(TPrintDialog)

namespace {
template <class C>
void PublishDialogEvents(TPublisher<C>& P) {
  P.Property("OnClose", &TCommonDialog::OnClose, &TCommonDialog::OnClose);
  P.Property("OnShow", &TCommonDialog::OnShow, &TCommonDialog::OnShow);
}

template <class C>
void PublishFileDialog(TPublisher<C>& P) {
  P.Property("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt);
  P.Property("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName);
  P.Property("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter);
  P.Property("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex).Default(1);
  P.Property("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir);
  P.Property("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
  PublishDialogEvents(P);
}
}  // namespace

void TOpenDialog::PublishMembers(TPublisher<TOpenDialog>& P) { PublishFileDialog(P); }
void TSaveDialog::PublishMembers(TPublisher<TSaveDialog>& P) { PublishFileDialog(P); }
void TPrinterSetupDialog::PublishMembers(TPublisher<TPrinterSetupDialog>& P) { PublishDialogEvents(P); }

void TPrintDialog::PublishMembers(TPublisher<TPrintDialog>& P) {
  P.Property("Collate", &TPrintDialog::Collate, &TPrintDialog::SetCollate).Default(false);
  P.Property("Copies", &TPrintDialog::Copies, &TPrintDialog::SetCopies).Default(1);
  P.Property("FromPage", &TPrintDialog::FromPage, &TPrintDialog::SetFromPage).Default(0);
  P.Property("MaxPage", &TPrintDialog::MaxPage, &TPrintDialog::SetMaxPage).Default(0);
  P.Property("MinPage", &TPrintDialog::MinPage, &TPrintDialog::SetMinPage).Default(0);
  P.Property("ToPage", &TPrintDialog::ToPage, &TPrintDialog::SetToPage).Default(0);
  PublishDialogEvents(P);
}

bool TOpenDialog::Execute() {
  OnShow(this);
  AnsiString name = FFileName;
  bool ok = PromptForFileName(name, FFilter, FDefaultExt, FTitle, FInitialDir, IsSaveDialog());
  if (ok) FFileName = name;
  OnClose(this);
  return ok;
}

bool TPrinterSetupDialog::Execute() {
  OnShow(this);
  bool ok = PrinterSetupDialog(FSettings);
  OnClose(this);
  return ok;
}

bool TPrintDialog::Execute() {
  bool ok = TPrinterSetupDialog::Execute();
  if (!ok) return false;
  TPrinterSetup& s = Settings();
  if (s.Copies < 1) s.Copies = 1;
  if (s.FromPage != 0 || s.ToPage != 0) {
    if (s.FromPage > s.ToPage && s.ToPage != 0) std::swap(s.FromPage, s.ToPage);
    if (FMaxPage > 0) {
      s.FromPage = std::clamp(s.FromPage, std::max(FMinPage, 1), FMaxPage);
      s.ToPage = std::clamp(s.ToPage == 0 ? FMaxPage : s.ToPage, s.FromPage, FMaxPage);
    }
  }
  return true;
}
