#include "platform/qr/PdfPrintFile.h"

#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/vcl/Bitmap.h"

namespace {

// Numbers in the shortest form PDF readers accept (no exponent).
std::string Num(double V) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.4f", V);
  std::string s = buf;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s == "-0" ? "0" : s;
}

// A text string as UTF-16 with a byte-order mark, in hex, so that any title
// survives whatever bytes it holds.
std::string TextString(const AnsiString& Text) {
  WideString w = AnsiToWide(Text, GetACP());
  static const char hex[] = "0123456789ABCDEF";
  std::string out = "<FEFF";
  for (char16_t c : w)
    for (int shift : {12, 8, 4, 0}) out += hex[(c >> shift) & 0xF];
  return out + ">";
}

constexpr int CatalogObject = 1;
constexpr int PagesObject = 2;
constexpr int InfoObject = 3;

}  // namespace

TPdfPrintFile::TPdfPrintFile(const AnsiString& FileName, const AnsiString& Title)
    : FFileName(FileName), FTitle(Title) {
  FFile = std::fopen(ToSystemPath(FileName).c_str(), "wb");
  if (!FFile)
    throw EFCreateError("Cannot create file \"" + FileName + "\". " + SysErrorMessage(errno));
  // The binary comment marks the file as binary for transfer programs.
  Write(std::string("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n"));
  FObjectOffsets.assign(InfoObject, 0);
  FObjectOffsets[InfoObject - 1] = FOffset;
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char date[32];
  std::strftime(date, sizeof date, "D:%Y%m%d%H%M%S", &tm);
  Write(std::to_string(InfoObject) + " 0 obj\n<< /Title " + TextString(FTitle) +
        " /Producer (kw report pages) /CreationDate (" + date + ") >>\nendobj\n");
}

TPdfPrintFile::~TPdfPrintFile() {
  if (FFile) {
    std::fclose(FFile);
    FFile = nullptr;
  }
  if (!FFinished) DeleteFile(FFileName);
}

void TPdfPrintFile::Fail() {
  int code = errno ? errno : EIO;
  throw EInOutError("Cannot write file \"" + FFileName + "\". " + SysErrorMessage(code), code);
}

void TPdfPrintFile::Write(const void* Data, size_t Size) {
  if (!FFile) Fail();
  if (Size && std::fwrite(Data, 1, Size, FFile) != Size) Fail();
  FOffset += Size;
}

int TPdfPrintFile::BeginObject() {
  FObjectOffsets.push_back(FOffset);
  int number = static_cast<int>(FObjectOffsets.size());
  Write(std::to_string(number) + " 0 obj\n");
  return number;
}

void TPdfPrintFile::AddPage(const TBitmap& Image, double WidthPt, double HeightPt) {
  if (FFinished) throw EInOutError("The PDF document \"" + FFileName + "\" is already finished.", EINVAL);
  int w = Image.Width(), h = Image.Height();
  if (w <= 0 || h <= 0) throw EInOutError("A PDF page needs a picture that is not empty.", EINVAL);

  // Samples top row first, R G B; Flate keeps mostly white pages small.
  z_stream z{};
  if (deflateInit(&z, Z_BEST_SPEED) != Z_OK) throw EInOutError("Cannot compress the page picture.", EINVAL);
  std::string packed;
  std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
  std::vector<uint8_t> out(1 << 16);
  bool direct = Image.PixelFormat() == pf24bit;
  auto drain = [&](int flush) {
    do {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      deflate(&z, flush);
      packed.append(reinterpret_cast<const char*>(out.data()), out.size() - z.avail_out);
    } while (z.avail_out == 0);
  };
  for (int y = 0; y < h; ++y) {
    if (direct) {
      const uint8_t* src = Image.ScanLine(y);
      for (int x = 0; x < w; ++x) {
        row[x * 3] = src[x * 3 + 2];
        row[x * 3 + 1] = src[x * 3 + 1];
        row[x * 3 + 2] = src[x * 3];
      }
    } else {
      for (int x = 0; x < w; ++x) {
        auto c = static_cast<uint32_t>(Image.Pixel(x, y));
        row[x * 3] = c & 0xFF;
        row[x * 3 + 1] = (c >> 8) & 0xFF;
        row[x * 3 + 2] = (c >> 16) & 0xFF;
      }
    }
    z.next_in = row.data();
    z.avail_in = static_cast<uInt>(row.size());
    drain(Z_NO_FLUSH);
  }
  drain(Z_FINISH);
  deflateEnd(&z);

  int image = BeginObject();
  Write("<< /Type /XObject /Subtype /Image /Width " + std::to_string(w) + " /Height " +
        std::to_string(h) + " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode /Length " +
        std::to_string(packed.size()) + " >>\nstream\n");
  Write(packed);
  Write(std::string("\nendstream\nendobj\n"));

  std::string content = "q " + Num(WidthPt) + " 0 0 " + Num(HeightPt) + " 0 0 cm /Im0 Do Q\n";
  int contents = BeginObject();
  Write("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream\nendobj\n");

  int page = BeginObject();
  Write("<< /Type /Page /Parent " + std::to_string(PagesObject) + " 0 R /MediaBox [0 0 " + Num(WidthPt) +
        " " + Num(HeightPt) + "] /Resources << /ProcSet [/PDF /ImageC] /XObject << /Im0 " +
        std::to_string(image) + " 0 R >> >> /Contents " + std::to_string(contents) + " 0 R >>\nendobj\n");
  FPageObjects.push_back(page);
}

void TPdfPrintFile::Finish() {
  if (FFinished) return;
  if (FPageObjects.empty()) throw EInOutError("A PDF document needs at least one page.", EINVAL);
  FObjectOffsets[PagesObject - 1] = FOffset;
  std::string kids;
  for (int p : FPageObjects) kids += std::to_string(p) + " 0 R ";
  Write(std::to_string(PagesObject) + " 0 obj\n<< /Type /Pages /Kids [" + kids + "] /Count " +
        std::to_string(FPageObjects.size()) + " >>\nendobj\n");
  FObjectOffsets[CatalogObject - 1] = FOffset;
  Write(std::to_string(CatalogObject) + " 0 obj\n<< /Type /Catalog /Pages " + std::to_string(PagesObject) +
        " 0 R >>\nendobj\n");

  uint64_t xref = FOffset;
  std::string table = "xref\n0 " + std::to_string(FObjectOffsets.size() + 1) + "\n0000000000 65535 f \n";
  char line[32];
  for (uint64_t offset : FObjectOffsets) {
    std::snprintf(line, sizeof line, "%010llu 00000 n \n", static_cast<unsigned long long>(offset));
    table += line;
  }
  table += "trailer\n<< /Size " + std::to_string(FObjectOffsets.size() + 1) + " /Root " +
           std::to_string(CatalogObject) + " 0 R /Info " + std::to_string(InfoObject) + " 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
  Write(table);
  if (std::fflush(FFile) != 0) Fail();
  int closed = std::fclose(FFile);
  FFile = nullptr;
  if (closed != 0) Fail();
  FFinished = true;
}
