#include "platform/qr/QRPrinter.h"

#include "platform/qr/PrintBackend.h"
#include "platform/qr/QuickRpt.h"

TQRPrinter::TQRPrinter(TQuickRep* Report) : FReport(Report), FStore(std::make_unique<TPageStore>()) {}
TQRPrinter::~TQRPrinter() = default;

TQRPrinterStatus TQRPrinter::Status() const {
  switch (FStore->Status()) {
    case TPageStoreStatus::Busy: return mpBusy;
    case TPageStoreStatus::Finished: return mpFinished;
    default: return mpReady;
  }
}

void TQRPrinter::Print() {
  if (Status() != mpFinished || PageCount() == 0) throw EPrinter("There are no pages to print");
  TPrintJobSettings Settings;
  Settings.Title = !Title.empty() ? Title : FReport ? FReport->ReportTitle() : AnsiString();
  Settings.Copies = FCopies;
  Settings.FromPage = FromPage;
  Settings.ToPage = ToPage;
  Settings.PrinterIndex = FPrinterIndex;
  PrintPageStore(*FStore, Settings);
}
