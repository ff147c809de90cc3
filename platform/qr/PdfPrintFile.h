#pragma once
// The print-to-file back end's document: a PDF with one raster image per
// page, each image filling its page. Pages are written to the file as they
// come (compressed with Flate), so a long job holds one page in memory.

#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/rtl/AnsiStrings.h"

class TBitmap;

class TPdfPrintFile {
 public:
  // Creates FileName (raises EFCreateError when it cannot be). Title goes
  // into the document information (bytes in the process code page).
  TPdfPrintFile(const AnsiString& FileName, const AnsiString& Title);
  // A document never finished is removed rather than left truncated.
  ~TPdfPrintFile();
  TPdfPrintFile(const TPdfPrintFile&) = delete;
  TPdfPrintFile& operator=(const TPdfPrintFile&) = delete;

  // A page of WidthPt x HeightPt (points, 1/72 inch) showing Image stretched
  // over it. Raises EInOutError when the file cannot be written.
  void AddPage(const TBitmap& Image, double WidthPt, double HeightPt);
  // Writes the page tree, cross-reference table and trailer and closes the
  // file. A document needs at least one page.
  void Finish();

  int PageCount() const { return static_cast<int>(FPageObjects.size()); }
  const AnsiString& FileName() const { return FFileName; }

 private:
  void Write(const void* Data, size_t Size);
  void Write(const std::string& Text) { Write(Text.data(), Text.size()); }
  int BeginObject();  // answers its number
  void Fail();

  AnsiString FFileName;
  AnsiString FTitle;
  std::FILE* FFile = nullptr;
  uint64_t FOffset = 0;
  std::vector<uint64_t> FObjectOffsets;  // [n - 1] for object n
  std::vector<int> FPageObjects;
  bool FFinished = false;
};
