#pragma once
// Printing the pages of a report run. The desktop's printer layer is not
// here, so a print job goes to one of two back ends:
//   - the file printer (the default): one PDF file per job, each page an
//     image of the rendered page, written into the configured output folder;
//   - a CUPS queue, when one is configured: the same PDF handed to `lp -d`.
// The printers a job can choose from, and where the file printer writes, are
// the process's printer configuration below.

#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"

class TPageStore;
struct TPrinterSetup;

// A print job that cannot be done: no pages, an unknown printer, a folder
// that cannot be written, a missing or failing `lp`.
KW_DECLARE_EXCEPTION(EPrinter, Exception)

// One printer a job can go to. An empty Queue is the file printer.
struct TPrinterEntry {
  AnsiString Name;   // what the printer dialog lists
  AnsiString Queue;  // CUPS queue name given to `lp -d`
};

struct TPrinterConfig {
  // The first entry is the default printer (PrinterIndex -1).
  std::vector<TPrinterEntry> Printers;
  // Where the file printer writes its PDF files.
  AnsiString OutputFolder;
  // The program that submits to CUPS; found on PATH unless it holds a "/".
  AnsiString LpProgram = "lp";
};

// The process's printer configuration. Unless set, it holds the file
// printer "PDF" writing into $KW_PRINT_FOLDER (else the current folder),
// preceded by a printer for the CUPS queue $KW_PRINT_QUEUE when that is set.
TPrinterConfig PrinterConfig();
void SetPrinterConfig(const TPrinterConfig& Config);
// Back to what the environment says.
void ResetPrinterConfig();

struct TPrintJobSettings {
  AnsiString Title;        // the job's name; also the stem of the PDF file's name
  int Copies = 1;
  bool Collate = true;     // with several copies: whole sets rather than page by page
  int FromPage = 0;        // 0 and 0: all pages; otherwise clamped to the pages there are
  int ToPage = 0;
  int PrinterIndex = -1;   // into PrinterConfig().Printers; -1: the default printer
  AnsiString PrinterName;  // when not empty, chooses the printer by name instead
  AnsiString OutputFolder; // overrides the configured folder of the file printer
  int Dpi = 200;           // resolution the pages are rasterised at
};

// What a finished job did.
struct TPrintJobResult {
  AnsiString Printer;   // name of the printer used
  AnsiString FileName;  // the PDF written (file printer) or submitted (queue; removed afterwards)
  int Pages = 0;        // pages per copy
  AnsiString JobOutput; // what `lp` answered (queue)
};

// Prints the store's pages. Raises EPrinter when the job cannot be done; a
// job never reports success without having written or submitted its file.
void PrintPageStore(const TPageStore& Store, const TPrintJobSettings& Settings);
TPrintJobResult PrintPageStoreEx(const TPageStore& Store, const TPrintJobSettings& Settings);

// The printer setup dialog through the UI driver, filled from and written
// back to Settings (printer, copies, collation, page range). MaxPage bounds
// the page range (0: unbounded). False when cancelled; Settings unchanged then.
bool ExecutePrinterSetup(TPrintJobSettings& Settings, int MaxPage = 0);
