#pragma once
// A writer of one-page PDF 1.4 files holding raster images: the report page
// bitmaps go out as PDF through it. The file is plain text with uncompressed
// image samples; object numbers and the order of the objects are fixed (the
// information dictionary first, the catalogue last), so files of the same
// page differ only in their creation date.

#include <memory>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Component.h"

class TBitmap;

// Misuse of the writer: drawing outside BeginDoc/EndDoc or drawing nothing.
KW_DECLARE_EXCEPTION(EPrintPDFError, Exception)

// The font settings the writer carries for text output; the files it writes
// hold no text, so they only travel with the component.
class TPDFFont : public TPersistent {
  KW_DECLARE_CLASS(TPDFFont, TPersistent)
 public:
  static void PublishMembers(TPublisher<TPDFFont>& P);
  TPDFFont(int AName, int ASize);

  // The font's number among the fourteen standard fonts.
  int Name() const { return FName; }
  void SetName(int Value) { FName = Value; }
  int Size() const { return FSize; }
  void SetSize(int Value) { FSize = Value; }

  void Assign(const TPersistent* Source) override;

 private:
  int FName;
  int FSize;
};

class TPrintPDF : public TComponent {
  KW_DECLARE_CLASS(TPrintPDF, TComponent)
 public:
  static void PublishMembers(TPublisher<TPrintPDF>& P);
  // The text Author, Creator and Producer start with.
  static const char* const DefaultAuthor;

  explicit TPrintPDF(TComponent* AOwner);
  ~TPrintPDF() override;

  // Starts a document: forgets anything drawn before (and its temporary
  // files) and writes the header and the information dictionary.
  void BeginDoc();
  // Places Bitmap with its top-left corner at (X, Y), in PDF units measured
  // from the top of the page. The bitmap is switched to 24 bits per pixel and
  // its samples go to a temporary file in the current folder at once. Raises
  // EPrintPDFError outside BeginDoc/EndDoc or for a missing or empty bitmap,
  // EFCreateError when the temporary file cannot be written.
  void DrawImage(int X, int Y, TBitmap* Bitmap);
  // Writes the rest of the document and saves it to FileName, replacing the
  // file whole. The temporary image files are deleted whether or not saving
  // worked. Raises EFOpenError when a temporary file cannot be read back,
  // EFCreateError when FileName cannot be written.
  void EndDoc();

  // The bytes of the last document EndDoc assembled (also when saving failed).
  const AnsiString& Document() const { return FDocument; }
  // The temporary image files of the document being written.
  const std::vector<AnsiString>& TemporaryFiles() const { return FImageFiles; }

  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(const AnsiString& Value) { FFileName = Value; }
  const AnsiString& TITLE() const { return FTitle; }
  void SetTITLE(const AnsiString& Value) { FTitle = Value; }
  int PageNumber() const { return FPageNumber; }
  int PageWidth() const { return FPageWidth; }
  void SetPageWidth(int Value) { FPageWidth = Value; }
  int PageHeight() const { return FPageHeight; }
  void SetPageHeight(int Value) { FPageHeight = Value; }
  int LineWidth() const { return FLineWidth; }
  void SetLineWidth(int Value) { FLineWidth = Value; }
  const AnsiString& Author() const { return FAuthor; }
  void SetAuthor(const AnsiString& Value) { FAuthor = Value; }
  const AnsiString& Creator() const { return FCreator; }
  void SetCreator(const AnsiString& Value) { FCreator = Value; }
  const AnsiString& Producer() const { return FProducer; }
  void SetProducer(const AnsiString& Value) { FProducer = Value; }
  const AnsiString& Keywords() const { return FKeywords; }
  void SetKeywords(const AnsiString& Value) { FKeywords = Value; }
  const AnsiString& Subject() const { return FSubject; }
  void SetSubject(const AnsiString& Value) { FSubject = Value; }
  TPDFFont* Font() const { return FFont.get(); }
  void SetFont(TPDFFont* Value);
  bool Compress() const { return FCompress; }
  void SetCompress(bool Value) { FCompress = Value; }

 private:
  void Line(AnsiString& Out, const AnsiString& Text) const;
  // Starts object Number in the file, recording where it starts.
  void BeginObject(int Number);
  AnsiString CreateImageFile(int Index) const;
  void DeleteImageFiles();

  AnsiString FFileName;
  AnsiString FTitle;
  int FPageNumber = 1;
  int FPageWidth = 612;
  int FPageHeight = 792;
  int FLineWidth = 1;
  AnsiString FAuthor;
  AnsiString FCreator;
  AnsiString FProducer;
  AnsiString FKeywords;
  AnsiString FSubject;
  std::unique_ptr<TPDFFont> FFont;
  bool FCompress = false;

  // The document being written.
  bool FInDoc = false;
  AnsiString FDocument;
  AnsiString FContent;  // the page's content operators
  std::vector<long long> FOffsets;  // start of object i + 1
  int FObjectCount = 0;
  std::vector<AnsiString> FImageFiles;  // one per image, in drawing order
};
