#include "src/format/libPDF.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <string>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Files.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Publisher.h"

namespace {

const char* const kFontNames[] = {
    "Helvetica",   "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique",
    "Courier",     "Courier-Bold",   "Courier-Oblique",   "Courier-BoldOblique",
    "Times-Roman", "Times-Bold",     "Times-Italic",      "Times-BoldItalic",
    "Symbol",      "ZapfDingbats"};
constexpr int kFontCount = 14;

// Fixed object numbers of the layout; the images, the page and the catalogue
// follow the resources.
constexpr int kInfoObject = 1;
constexpr int kContentObject = 2;
constexpr int kLengthObject = 3;
constexpr int kOutlinesObject = 4;
constexpr int kFirstFontObject = 5;
constexpr int kPagesObject = kFirstFontObject + kFontCount;  // 19
constexpr int kResourcesObject = kPagesObject + 1;           // 20

AnsiString Str(long long Value) { return std::to_string(Value); }

// A literal string's body: a backslash or parenthesis in a title would
// otherwise end the string early or swallow the next character, leaving a
// file no reader accepts. The bytes themselves stay as they are.
AnsiString Escaped(const AnsiString& Text) {
  AnsiString out;
  out.reserve(Text.size());
  for (char c : Text) {
    if (c == '\\' || c == '(' || c == ')') out += '\\';
    out += c;
  }
  return out;
}

AnsiString Padded10(long long Value) {
  AnsiString digits = Str(Value);
  return AnsiString(digits.size() < 10 ? 10 - digits.size() : 0, '0') + digits;
}

// Writes all of Bytes to a descriptor; false (errno set) when the system refuses.
bool WriteAll(int Fd, const AnsiString& Bytes) {
  size_t done = 0;
  while (done < Bytes.size()) {
    ssize_t n = ::write(Fd, Bytes.data() + done, Bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

// ---- TPDFFont ------------------------------------------------------------------

KW_REGISTER_CLASS(TPDFFont)

void TPDFFont::PublishMembers(TPublisher<TPDFFont>& P) {
  P.Property("Name", &TPDFFont::Name, &TPDFFont::SetName).NoDefault();
  P.Property("Size", &TPDFFont::Size, &TPDFFont::SetSize).NoDefault();
}

TPDFFont::TPDFFont(int AName, int ASize) : FName(AName), FSize(ASize) {}

void TPDFFont::Assign(const TPersistent* Source) {
  if (const auto* font = ObjectAs<TPDFFont>(Source)) {
    FName = font->FName;
    FSize = font->FSize;
    return;
  }
  TPersistent::Assign(Source);
}

// ---- TPrintPDF -----------------------------------------------------------------

KW_REGISTER_CLASS(TPrintPDF)

const char* const TPrintPDF::DefaultAuthor = "Velmo-ERP Report";

void TPrintPDF::PublishMembers(TPublisher<TPrintPDF>& P) {
  P.Property("FileName", &TPrintPDF::FileName, &TPrintPDF::SetFileName);
  P.Property("TITLE", &TPrintPDF::TITLE, &TPrintPDF::SetTITLE);
  P.Property("PageNumber", &TPrintPDF::PageNumber).Default(1);
  P.Property("PageWidth", &TPrintPDF::PageWidth, &TPrintPDF::SetPageWidth).Default(612);
  P.Property("PageHeight", &TPrintPDF::PageHeight, &TPrintPDF::SetPageHeight).Default(792);
  P.Property("LineWidth", &TPrintPDF::LineWidth, &TPrintPDF::SetLineWidth).Default(1);
  P.Property("Author", &TPrintPDF::Author, &TPrintPDF::SetAuthor);
  P.Property("Creator", &TPrintPDF::Creator, &TPrintPDF::SetCreator);
  P.Property("Producer", &TPrintPDF::Producer, &TPrintPDF::SetProducer);
  P.Property("Keywords", &TPrintPDF::Keywords, &TPrintPDF::SetKeywords);
  P.Property("Subject", &TPrintPDF::Subject, &TPrintPDF::SetSubject);
  P.Property("Font", &TPrintPDF::Font, &TPrintPDF::SetFont);
  P.Property("Compress", &TPrintPDF::Compress, &TPrintPDF::SetCompress).Default(false);
}

TPrintPDF::TPrintPDF(TComponent* AOwner)
    : TComponent(AOwner),
      FAuthor(DefaultAuthor),
      FCreator(DefaultAuthor),
      FProducer(DefaultAuthor),
      FFont(std::make_unique<TPDFFont>(4, 12)) {}

// A document left without EndDoc must not leave its image files behind.
TPrintPDF::~TPrintPDF() { DeleteImageFiles(); }

void TPrintPDF::SetFont(TPDFFont* Value) { FFont->Assign(Value); }

void TPrintPDF::Line(AnsiString& Out, const AnsiString& Text) const {
  Out += Text;
  Out += "\r\n";
}

void TPrintPDF::BeginObject(int Number) {
  FOffsets.push_back(static_cast<long long>(FDocument.size()));
  FObjectCount = Number;
  Line(FDocument, Str(Number) + " 0 obj");
}

void TPrintPDF::BeginDoc() {
  DeleteImageFiles();
  FDocument.clear();
  FContent.clear();
  FOffsets.clear();
  FObjectCount = 0;
  FInDoc = true;

  Line(FDocument, "%PDF-1.4");
  BeginObject(kInfoObject);
  Line(FDocument, "<<");
  Line(FDocument, "/Producer (" + Escaped(FProducer) + ")");
  Line(FDocument, "/Author (" + Escaped(FAuthor) + ")");
  Line(FDocument, "/CreationDate (D:" + FormatDateTime("yyyymmddhhnnss", Now()) + ")");
  Line(FDocument, "/Creator (" + Escaped(FCreator) + ")");
  Line(FDocument, "/Keywords (" + Escaped(FKeywords) + ")");
  Line(FDocument, "/Subject (" + Escaped(FSubject) + ")");
  Line(FDocument, "/Title (" + Escaped(FTitle) + ")");
  Line(FDocument, "/ModDate ()");
  Line(FDocument, ">>");
  Line(FDocument, "endobj");
}

// The run-time names the file "~tmpim<k>" in the current folder; two writers
// in one folder would overwrite and delete each other's samples, so a name
// already taken gets a suffix instead, and the file is created exclusively.
AnsiString TPrintPDF::CreateImageFile(int Index) const {
  const AnsiString base = ExpandFileName("~tmpim" + Str(Index));
  for (int attempt = 0; attempt < 1000; ++attempt) {
    AnsiString name = attempt == 0 ? base : base + "-" + Str(attempt);
    int fd = ::open(ToSystemPath(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) {
      SetLastOSError(errno);
      throw EFCreateError("Cannot create file \"" + name + "\". " +
                          SysErrorMessage(GetLastOSError()));
    }
  }
  SetLastOSError(EEXIST);
  throw EFCreateError("Cannot create file \"" + base + "\". " + SysErrorMessage(EEXIST));
}

void TPrintPDF::DrawImage(int X, int Y, TBitmap* Bitmap) {
  if (!FInDoc) throw EPrintPDFError("DrawImage outside BeginDoc and EndDoc");
  if (!Bitmap || Bitmap->Empty()) throw EPrintPDFError("DrawImage needs a bitmap with pixels");

  const int index = static_cast<int>(FImageFiles.size()) + 1;
  const int w = Bitmap->Width();
  const int h = Bitmap->Height();
  const int dpi = GetScreen()->PixelsPerInch();
  const long long sx = static_cast<long long>(std::trunc(
      static_cast<double>(w) * FPageWidth / (8.0 * dpi)));
  const long long sy = static_cast<long long>(std::trunc(
      static_cast<double>(h) * FPageHeight / (10.625 * dpi)));
  const long long ty = static_cast<long long>(FPageHeight) - Y - sy;

  Bitmap->SetPixelFormat(pf24bit);
  const long long sampleBytes = static_cast<long long>(w) * 3 * h;
  AnsiString data;
  Line(data, "<< /Type /XObject");
  Line(data, "/Subtype /Image");
  Line(data, "/Width " + Str(w));
  Line(data, "/Height " + Str(h));
  Line(data, "/ColorSpace /DeviceRGB");
  Line(data, "/BitsPerComponent 8");
  Line(data, "/Length " + Str(sampleBytes));
  Line(data, "/Name /Im" + Str(index));
  Line(data, ">>");
  Line(data, "stream");
  data.reserve(data.size() + static_cast<size_t>(sampleBytes));
  // Scan lines are stored B, G, R and padded to four bytes; PDF wants R, G, B
  // rows without padding.
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = Bitmap->ScanLine(y);
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = row + 3 * x;
      data += static_cast<char>(p[2]);
      data += static_cast<char>(p[1]);
      data += static_cast<char>(p[0]);
    }
  }

  AnsiString name = CreateImageFile(index);
  FImageFiles.push_back(name);
  int fd = ::open(ToSystemPath(name).c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  bool written = fd >= 0 && WriteAll(fd, data);
  int error = errno;
  if (fd >= 0 && ::close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (!written) {
    SetLastOSError(error);
    throw EFCreateError("Cannot create file \"" + name + "\". " + SysErrorMessage(error));
  }

  Line(FContent, "q");
  Line(FContent, Str(sx) + " 0 0 " + Str(sy) + " " + Str(X) + " " + Str(ty) + " cm");
  Line(FContent, "/Im" + Str(index) + " Do");
  Line(FContent, "Q");
}

void TPrintPDF::EndDoc() {
  if (!FInDoc) throw EPrintPDFError("EndDoc without BeginDoc");
  FInDoc = false;
  try {
    const int images = static_cast<int>(FImageFiles.size());
    const int pageObject = kPagesObject + 1 + images + 1;
    const int catalogObject = pageObject + 1;

    BeginObject(kContentObject);
    Line(FDocument, "<< /Length " + Str(kLengthObject) + " 0 R");
    Line(FDocument, " >>");
    Line(FDocument, "stream");
    FDocument += FContent;
    Line(FDocument, "endstream");
    Line(FDocument, "endobj");

    BeginObject(kLengthObject);
    Line(FDocument, Str(static_cast<long long>(FContent.size())));
    Line(FDocument, "endobj");

    BeginObject(kOutlinesObject);
    Line(FDocument, "<< /Type /Outlines");
    Line(FDocument, "/Count 0");
    Line(FDocument, ">>");
    Line(FDocument, "endobj");

    for (int k = 1; k <= kFontCount; ++k) {
      BeginObject(kFirstFontObject + k - 1);
      Line(FDocument, "<< /Type /Font");
      Line(FDocument, "/Subtype /Type1");
      Line(FDocument, "/Name /F" + Str(k));
      Line(FDocument, AnsiString("/BaseFont /") + kFontNames[k - 1]);
      Line(FDocument, "/Encoding /WinAnsiEncoding");
      Line(FDocument, ">>");
      Line(FDocument, "endobj");
    }

    BeginObject(kPagesObject);
    Line(FDocument, "<< /Type /Pages");
    Line(FDocument, "/Kids [");
    Line(FDocument, Str(pageObject) + " 0 R");
    Line(FDocument, "]");
    Line(FDocument, "/Count " + Str(FPageNumber));
    Line(FDocument, ">>");
    Line(FDocument, "endobj");

    BeginObject(kResourcesObject);
    Line(FDocument, "<< /ProcSet [ /PDF /Text /ImageC]");
    Line(FDocument, "/XObject << ");
    for (int k = 1; k <= images; ++k)
      Line(FDocument, "/Im" + Str(k) + " " + Str(kResourcesObject + k) + " 0 R");
    Line(FDocument, ">>");
    Line(FDocument, "/Font << ");
    for (int k = 1; k <= kFontCount; ++k)
      Line(FDocument, "/F" + Str(k) + " " + Str(kFirstFontObject + k - 1) + " 0 R ");
    Line(FDocument, ">>");
    Line(FDocument, ">>");
    Line(FDocument, "endobj");

    for (int k = 1; k <= images; ++k) {
      AnsiString data;
      const AnsiString& name = FImageFiles[static_cast<size_t>(k - 1)];
      if (!ReadFileBytes(name, data))
        throw EFOpenError("Cannot open file \"" + name + "\". " +
                          SysErrorMessage(GetLastOSError()));
      BeginObject(kResourcesObject + k);
      FDocument += data;
      FDocument += "\r\n";
      Line(FDocument, "endstream");
      Line(FDocument, "endobj");
    }

    BeginObject(pageObject);
    Line(FDocument, "<< /Type /Page");
    Line(FDocument, "/Parent " + Str(kPagesObject) + " 0 R");
    Line(FDocument, "/MediaBox [ 0 0 " + Str(FPageWidth) + " " + Str(FPageHeight) + "]");
    Line(FDocument, "/Contents " + Str(kContentObject) + " 0 R");
    Line(FDocument, "/Resources " + Str(kResourcesObject) + " 0 R");
    Line(FDocument, ">>");
    Line(FDocument, "endobj");

    BeginObject(catalogObject);
    Line(FDocument, "<< /Type /Catalog");
    Line(FDocument, "/Pages " + Str(kPagesObject) + " 0 R");
    Line(FDocument, "/Outlines " + Str(kOutlinesObject) + " 0 R");
    Line(FDocument, ">>");
    Line(FDocument, "endobj");

    const long long xref = static_cast<long long>(FDocument.size());
    Line(FDocument, "xref");
    Line(FDocument, "0 " + Str(FObjectCount + 1));
    Line(FDocument, "0000000000 65535 f");
    for (long long offset : FOffsets) Line(FDocument, Padded10(offset) + " 00000 n");
    Line(FDocument, "trailer");
    Line(FDocument, "<< /Size " + Str(FObjectCount + 1));
    Line(FDocument, "/Root " + Str(catalogObject) + " 0 R");
    Line(FDocument, "/Info " + Str(kInfoObject) + " 0 R");
    Line(FDocument, ">>");
    Line(FDocument, "startxref");
    Line(FDocument, Str(xref));
    Line(FDocument, "%%EOF");

    if (!WriteFileBytes(FFileName, FDocument))
      throw EFCreateError("Cannot create file \"" + FFileName + "\". " +
                          SysErrorMessage(GetLastOSError()));
  } catch (...) {
    DeleteImageFiles();
    throw;
  }
  DeleteImageFiles();
}

void TPrintPDF::DeleteImageFiles() {
  for (const AnsiString& name : FImageFiles) DeleteFile(name);
  FImageFiles.clear();
}
