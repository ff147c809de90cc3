#pragma once
// The report's printer object: the generated pages (a page store), their
// count and status, cancelling, the chosen printer, and printing the pages.

#include <memory>

#include "platform/qr/PageStore.h"

class TQuickRep;

enum TQRPrinterStatus { mpReady, mpBusy, mpFinished };

class TQRPrinter {
 public:
  explicit TQRPrinter(TQuickRep* Report);
  ~TQRPrinter();
  TQRPrinter(const TQRPrinter&) = delete;
  TQRPrinter& operator=(const TQRPrinter&) = delete;

  TQuickRep* Report() const { return FReport; }
  TPageStore& PageStore() { return *FStore; }
  const TPageStore& PageStore() const { return *FStore; }

  // Sheets generated so far (in half-page style a sheet holds two report
  // pages).
  int PageCount() const { return FStore->PageCount(); }
  const TPageMetafile* Page(int Number) const { return FStore->Page(Number); }
  TQRPrinterStatus Status() const;
  // Stops generation at the next page boundary; the pages made so far stay.
  void Cancel() { FStore->Cancel(); }
  bool Cancelled() const { return FStore->Cancelled(); }

  // -1: the default printer.
  int PrinterIndex() const { return FPrinterIndex; }
  void SetPrinterIndex(int Value) { FPrinterIndex = Value < -1 ? -1 : Value; }
  int Copies() const { return FCopies; }
  void SetCopies(int Value) { FCopies = Value < 1 ? 1 : Value; }
  // The page range to print; 0 and 0 print all.
  int FromPage = 0;
  int ToPage = 0;
  // The job's name (the report title when empty).
  AnsiString Title;

  // A preview window says it shows these pages; told false when it closes.
  bool ShowingPreview() const { return FShowingPreview; }
  void SetShowingPreview(bool Value) { FShowingPreview = Value; }

  // Two report pages on each sheet (set by the report for a run): report
  // page n is on sheet (n + 1) / 2, the upper half when n is odd.
  bool HalfPage() const { return FHalfPage; }
  void SetHalfPage(bool Value) { FHalfPage = Value; }

  // Sends the finished pages to the chosen printer. Raises EPrinter when
  // there is nothing to print or the job fails.
  void Print();

 private:
  TQuickRep* FReport;
  std::unique_ptr<TPageStore> FStore;
  int FPrinterIndex = -1;
  int FCopies = 1;
  bool FShowingPreview = false;
  bool FHalfPage = false;
};
