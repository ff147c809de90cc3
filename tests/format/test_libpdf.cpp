#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/rtl/Clock.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Files.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/IdentMaps.h"
#include "src/format/libPDF.h"

namespace fs = std::filesystem;

namespace {

TColor Rgb(int R, int G, int B) { return R | (G << 8) | (B << 16); }

// Every test runs in a folder of its own, because the writer keeps its image
// files in the current folder.
class PrintPDFTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FOldDir = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "libpdfXXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    FDir = pattern;
    fs::current_path(FDir);
  }
  void TearDown() override {
    fs::current_path(FOldDir);
    fs::remove_all(FDir);
  }

  // The names in the test folder, sorted.
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(FDir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string Path(const std::string& Name) const { return (FDir / Name).string(); }

  fs::path FOldDir;
  fs::path FDir;
};

std::unique_ptr<TBitmap> PatternBitmap(int W, int H) {
  auto bmp = std::make_unique<TBitmap>(W, H, pf24bit);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) bmp->SetPixel(x, y, Rgb((x * 7) & 255, (y * 13) & 255, (x + y) & 255));
  return bmp;
}

std::string Samples(TBitmap& Bmp) {
  std::string s;
  for (int y = 0; y < Bmp.Height(); ++y)
    for (int x = 0; x < Bmp.Width(); ++x) {
      TColor c = Bmp.Pixel(x, y);
      s += static_cast<char>(c & 255);
      s += static_cast<char>((c >> 8) & 255);
      s += static_cast<char>((c >> 16) & 255);
    }
  return s;
}

std::string ReadAll(const std::string& Name) {
  std::ifstream in(Name, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The cross-reference table read the way a reader does: from startxref.
struct XrefCheck {
  int Size = 0;
  std::vector<long long> Offsets;  // object i at index i
};

XrefCheck CheckXref(const std::string& Doc) {
  XrefCheck r;
  size_t sx = Doc.rfind("startxref\r\n");
  EXPECT_NE(sx, std::string::npos);
  if (sx == std::string::npos) return r;
  long long xref = std::stoll(Doc.substr(sx + 11));
  EXPECT_EQ(Doc.substr(sx + 11), std::to_string(xref) + "\r\n%%EOF\r\n");
  EXPECT_EQ(Doc.compare(static_cast<size_t>(xref), 6, "xref\r\n"), 0) << "startxref points elsewhere";
  size_t pos = static_cast<size_t>(xref) + 6;
  size_t eol = Doc.find("\r\n", pos);
  std::string head = Doc.substr(pos, eol - pos);
  EXPECT_EQ(head.substr(0, 2), "0 ");
  r.Size = std::stoi(head.substr(2));
  pos = eol + 2;
  EXPECT_EQ(Doc.substr(pos, 20), "0000000000 65535 f\r\n");
  r.Offsets.push_back(0);
  for (int i = 1; i < r.Size; ++i) {
    std::string entry = Doc.substr(pos + 20 * static_cast<size_t>(i), 20);
    EXPECT_EQ(entry.substr(10), " 00000 n\r\n") << "entry " << i;
    long long off = std::stoll(entry.substr(0, 10));
    r.Offsets.push_back(off);
    std::string head = std::to_string(i) + " 0 obj\r\n";
    EXPECT_EQ(Doc.compare(static_cast<size_t>(off), head.size(), head), 0)
        << "object " << i << " is not at " << off;
  }
  EXPECT_EQ(Doc.compare(pos + 20 * static_cast<size_t>(r.Size), 8, "trailer\r"), 0);
  return r;
}

// The bytes of object N up to and excluding its "endobj".
std::string ObjectText(const std::string& Doc, int N) {
  std::string head = "\n" + std::to_string(N) + " 0 obj\r\n";
  size_t at = Doc.find(head);
  if (at == std::string::npos) return {};
  at += head.size();
  return Doc.substr(at, Doc.find("endobj\r\n", at) - at);
}

// The value of one "Name: value" line of pdfinfo's report.
std::string InfoField(const std::string& Info, const std::string& Name) {
  size_t at = Info.find(Name + ":");
  if (at == std::string::npos) return "<missing>";
  size_t start = Info.find_first_not_of(' ', at + Name.size() + 1);
  size_t end = Info.find('\n', at);
  return start >= end ? "" : Info.substr(start, end - start);
}

int RunTool(const std::string& Command) { return std::system((Command + " >/dev/null 2>&1").c_str()); }

std::string RunOutput(const std::string& Command) {
  std::string out;
  FILE* p = popen((Command + " 2>&1").c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

const char* const kFonts[] = {
    "Helvetica",   "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique",
    "Courier",     "Courier-Bold",   "Courier-Oblique",   "Courier-BoldOblique",
    "Times-Roman", "Times-Bold",     "Times-Italic",      "Times-BoldItalic",
    "Symbol",      "ZapfDingbats"};

}  // namespace

TEST_F(PrintPDFTest, DefaultsOfThePublishedProperties) {
  TPrintPDF pdf(nullptr);
  EXPECT_EQ(pdf.FileName(), "");
  EXPECT_EQ(pdf.TITLE(), "");
  EXPECT_EQ(pdf.PageNumber(), 1);
  EXPECT_EQ(pdf.PageWidth(), 612);
  EXPECT_EQ(pdf.PageHeight(), 792);
  EXPECT_EQ(pdf.LineWidth(), 1);
  EXPECT_FALSE(pdf.Compress());
  EXPECT_EQ(pdf.Keywords(), "");
  EXPECT_EQ(pdf.Subject(), "");
  EXPECT_FALSE(pdf.Author().empty());
  EXPECT_EQ(pdf.Creator(), pdf.Author());
  EXPECT_EQ(pdf.Producer(), pdf.Author());
  ASSERT_NE(pdf.Font(), nullptr);
  EXPECT_EQ(pdf.Font()->Name(), 4);
  EXPECT_EQ(pdf.Font()->Size(), 12);
  TPDFFont other(7, 9);
  pdf.SetFont(&other);
  EXPECT_EQ(pdf.Font()->Name(), 7);
  EXPECT_EQ(pdf.Font()->Size(), 9);
  EXPECT_NE(pdf.Font(), &other);
}

// The whole text of a one-image page, line by line, up to the cross-reference
// table (whose numbers the next test checks against the file).
TEST_F(PrintPDFTest, OneImagePageIsWrittenLineByLine) {
  TTestClockGuard clock(EncodeDate(2026, 3, 4) + EncodeTime(9, 8, 7, 0));
  auto bmp = PatternBitmap(100, 50);
  std::string samples = Samples(*bmp);
  TPrintPDF pdf(nullptr);
  pdf.SetFileName("out.pdf");
  pdf.SetPageWidth(100);
  pdf.SetPageHeight(50);
  pdf.SetTITLE("Vouchers");
  pdf.SetAuthor("A");
  pdf.SetCreator("C");
  pdf.SetProducer("P");
  pdf.SetKeywords("K");
  pdf.SetSubject("S");
  pdf.BeginDoc();
  pdf.DrawImage(0, 0, bmp.get());
  pdf.EndDoc();

  const std::string content = "q\r\n13 0 0 2 0 48 cm\r\n/Im1 Do\r\nQ\r\n";
  std::string expected =
      "%PDF-1.4\r\n"
      "1 0 obj\r\n<<\r\n/Producer (P)\r\n/Author (A)\r\n/CreationDate (D:20260304090807)\r\n"
      "/Creator (C)\r\n/Keywords (K)\r\n/Subject (S)\r\n/Title (Vouchers)\r\n/ModDate ()\r\n"
      ">>\r\nendobj\r\n"
      "2 0 obj\r\n<< /Length 3 0 R\r\n >>\r\nstream\r\n" + content + "endstream\r\nendobj\r\n"
      "3 0 obj\r\n" + std::to_string(content.size()) + "\r\nendobj\r\n"
      "4 0 obj\r\n<< /Type /Outlines\r\n/Count 0\r\n>>\r\nendobj\r\n";
  for (int k = 1; k <= 14; ++k)
    expected += std::to_string(4 + k) + " 0 obj\r\n<< /Type /Font\r\n/Subtype /Type1\r\n/Name /F" +
                std::to_string(k) + "\r\n/BaseFont /" + kFonts[k - 1] +
                "\r\n/Encoding /WinAnsiEncoding\r\n>>\r\nendobj\r\n";
  expected += "19 0 obj\r\n<< /Type /Pages\r\n/Kids [\r\n22 0 R\r\n]\r\n/Count 1\r\n>>\r\nendobj\r\n";
  expected += "20 0 obj\r\n<< /ProcSet [ /PDF /Text /ImageC]\r\n/XObject << \r\n/Im1 21 0 R\r\n>>\r\n"
              "/Font << \r\n";
  for (int k = 1; k <= 14; ++k)
    expected += "/F" + std::to_string(k) + " " + std::to_string(4 + k) + " 0 R \r\n";
  expected += ">>\r\n>>\r\nendobj\r\n";
  expected +=
      "21 0 obj\r\n<< /Type /XObject\r\n/Subtype /Image\r\n/Width 100\r\n/Height 50\r\n"
      "/ColorSpace /DeviceRGB\r\n/BitsPerComponent 8\r\n/Length 15000\r\n/Name /Im1\r\n>>\r\n"
      "stream\r\n" + samples + "\r\nendstream\r\nendobj\r\n";
  expected +=
      "22 0 obj\r\n<< /Type /Page\r\n/Parent 19 0 R\r\n/MediaBox [ 0 0 100 50]\r\n"
      "/Contents 2 0 R\r\n/Resources 20 0 R\r\n>>\r\nendobj\r\n"
      "23 0 obj\r\n<< /Type /Catalog\r\n/Pages 19 0 R\r\n/Outlines 4 0 R\r\n>>\r\nendobj\r\n"
      "xref\r\n0 24\r\n0000000000 65535 f\r\n0000000010 00000 n\r\n";

  std::string doc = ReadAll("out.pdf");
  EXPECT_EQ(doc, pdf.Document());
  ASSERT_GE(doc.size(), expected.size());
  EXPECT_EQ(doc.substr(0, expected.size()), expected);
  EXPECT_EQ(doc.substr(doc.rfind("trailer\r\n")),
            "trailer\r\n<< /Size 24\r\n/Root 23 0 R\r\n/Info 1 0 R\r\n>>\r\nstartxref\r\n" +
                std::to_string(doc.find("xref\r\n0 24")) + "\r\n%%EOF\r\n");
  XrefCheck x = CheckXref(doc);
  EXPECT_EQ(x.Size, 24);
}

TEST_F(PrintPDFTest, ScaleAndPlacementOfTheImage) {
  struct Case {
    int W, H, PageW, PageH, X, Y;
    const char* Line;
  } cases[] = {
      {100, 50, 100, 50, 0, 0, "13 0 0 2 0 48 cm"},
      {768, 1020, 612, 792, 10, 20, "612 0 0 792 10 -20 cm"},  // below the page: ty < 0
      {384, 510, 200, 200, 50, 30, "100 0 0 100 50 70 cm"},
      {7, 3, 612, 792, 0, 0, "5 0 0 2 0 790 cm"},  // 5.58 and 2.33 are cut, not rounded
      {1, 1, 612, 792, -4, 0, "0 0 0 0 -4 792 cm"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Line);
    auto bmp = PatternBitmap(c.W, c.H);
    TPrintPDF pdf(nullptr);
    pdf.SetFileName("scale.pdf");
    pdf.SetPageWidth(c.PageW);
    pdf.SetPageHeight(c.PageH);
    pdf.BeginDoc();
    pdf.DrawImage(c.X, c.Y, bmp.get());
    pdf.EndDoc();
    std::string content = "q\r\n" + std::string(c.Line) + "\r\n/Im1 Do\r\nQ\r\n";
    EXPECT_EQ(ObjectText(pdf.Document(), 2),
              "<< /Length 3 0 R\r\n >>\r\nstream\r\n" + content + "endstream\r\n");
    EXPECT_EQ(ObjectText(pdf.Document(), 3), std::to_string(content.size()) + "\r\n");
    EXPECT_NE(pdf.Document().find("/MediaBox [ 0 0 " + std::to_string(c.PageW) + " " +
                                  std::to_string(c.PageH) + "]\r\n"),
              std::string::npos);
  }
}

// Bitmap rows are padded to four bytes; the image samples are not.
TEST_F(PrintPDFTest, SamplesAreUnpaddedRgbRowsFromTheTop) {
  for (int w : {1, 2, 3, 5, 6, 7}) {
    SCOPED_TRACE(w);
    const int h = 3;
    auto bmp = PatternBitmap(w, h);
    bmp->SetPixel(0, 0, Rgb(0x11, 0x22, 0x33));
    bmp->SetPixel(w - 1, h - 1, Rgb(0xAA, 0xBB, 0xCC));
    ASSERT_TRUE(w * 3 % 4 == 0 || bmp->BytesPerScanLine() > w * 3);
    TPrintPDF pdf(nullptr);
    pdf.SetFileName("odd.pdf");
    pdf.BeginDoc();
    pdf.DrawImage(0, 0, bmp.get());
    pdf.EndDoc();
    const std::string& doc = pdf.Document();
    std::string image = ObjectText(doc, 21);
    const size_t n = static_cast<size_t>(w) * 3 * h;
    EXPECT_NE(image.find("/Width " + std::to_string(w) + "\r\n/Height 3\r\n"), std::string::npos);
    EXPECT_NE(image.find("/Length " + std::to_string(n) + "\r\n"), std::string::npos);
    size_t start = image.find(">>\r\nstream\r\n");
    ASSERT_NE(start, std::string::npos);
    std::string stream = image.substr(start + 12);
    ASSERT_EQ(stream.size(), n + 2 + 11);  // samples, CR LF, "endstream" CR LF
    EXPECT_EQ(stream.substr(n), "\r\nendstream\r\n");
    EXPECT_EQ(stream.substr(0, n), Samples(*bmp));
    EXPECT_EQ(stream.substr(0, 3), "\x11\x22\x33");
    EXPECT_EQ(stream.substr(n - 3, 3), "\xAA\xBB\xCC");
    CheckXref(doc);
  }
}

TEST_F(PrintPDFTest, BitmapIsSwitchedTo24Bits) {
  auto bmp = std::make_unique<TBitmap>(4, 2, pf16bit);
  bmp->Canvas()->Brush()->SetColor(Rgb(255, 0, 0));
  bmp->Canvas()->FillRect(TRect{0, 0, 4, 2});
  TPrintPDF pdf(nullptr);
  pdf.SetFileName("f.pdf");
  pdf.BeginDoc();
  pdf.DrawImage(0, 0, bmp.get());
  pdf.EndDoc();
  EXPECT_EQ(bmp->PixelFormat(), pf24bit);
  std::string image = ObjectText(pdf.Document(), 21);
  // A 16-bit red is as red as five bits allow; green and blue stay empty.
  std::string samples = Samples(*bmp);
  ASSERT_EQ(samples.size(), 24u);
  for (size_t i = 0; i < samples.size(); i += 3) {
    EXPECT_GE(static_cast<unsigned char>(samples[i]), 0xF0);
    EXPECT_EQ(samples.substr(i + 1, 2), std::string(2, '\0'));
  }
  EXPECT_NE(image.find("/Length 24\r\n"), std::string::npos);
  EXPECT_NE(image.find("stream\r\n" + samples + "\r\nendstream"), std::string::npos);
}

TEST_F(PrintPDFTest, SeveralImagesNumberTheObjectsAfterTheResources) {
  auto a = PatternBitmap(3, 2);
  auto b = PatternBitmap(2, 3);
  TPrintPDF pdf(nullptr);
  pdf.SetFileName("two.pdf");
  pdf.SetPageWidth(96);
  pdf.SetPageHeight(102);
  pdf.BeginDoc();
  pdf.DrawImage(0, 0, a.get());
  pdf.DrawImage(5, 6, b.get());
  EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"~tmpim1", "~tmpim2"}));
  pdf.EndDoc();
  const std::string& doc = pdf.Document();
  XrefCheck x = CheckXref(doc);
  EXPECT_EQ(x.Size, 25);
  EXPECT_EQ(ObjectText(doc, 2),
            "<< /Length 3 0 R\r\n >>\r\nstream\r\n"
            "q\r\n0 0 0 0 0 102 cm\r\n/Im1 Do\r\nQ\r\n"
            "q\r\n0 0 0 0 5 96 cm\r\n/Im2 Do\r\nQ\r\n"
            "endstream\r\n");
  EXPECT_NE(ObjectText(doc, 20).find("/XObject << \r\n/Im1 21 0 R\r\n/Im2 22 0 R\r\n>>\r\n"),
            std::string::npos);
  EXPECT_NE(ObjectText(doc, 21).find("/Width 3\r\n/Height 2\r\n"), std::string::npos);
  EXPECT_NE(ObjectText(doc, 22).find("/Width 2\r\n/Height 3\r\n"), std::string::npos);
  EXPECT_NE(ObjectText(doc, 22).find("/Name /Im2\r\n"), std::string::npos);
  EXPECT_NE(ObjectText(doc, 19).find("/Kids [\r\n23 0 R\r\n]"), std::string::npos);
  EXPECT_NE(ObjectText(doc, 23).find("<< /Type /Page\r\n"), std::string::npos);
  EXPECT_NE(ObjectText(doc, 24).find("<< /Type /Catalog\r\n"), std::string::npos);
  EXPECT_NE(doc.find("/Root 24 0 R\r\n"), std::string::npos);
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"two.pdf"});
  EXPECT_EQ(RunTool("qpdf --check two.pdf"), 0);
}

TEST_F(PrintPDFTest, TemporaryFilesGoWhenSavingFails) {
  auto bmp = PatternBitmap(4, 4);
  TPrintPDF pdf(nullptr);
  pdf.SetFileName(Path("missing/folder/out.pdf"));
  pdf.BeginDoc();
  pdf.DrawImage(0, 0, bmp.get());
  pdf.DrawImage(1, 1, bmp.get());
  EXPECT_THROW(pdf.EndDoc(), EFCreateError);
  EXPECT_TRUE(FolderEntries().empty());
  // The document still came together; only saving failed.
  EXPECT_EQ(CheckXref(pdf.Document()).Size, 25);
}

TEST_F(PrintPDFTest, TemporaryFilesGoWithAnUnfinishedDocument) {
  auto bmp = PatternBitmap(4, 4);
  {
    TPrintPDF pdf(nullptr);
    pdf.SetFileName("a.pdf");
    pdf.BeginDoc();
    pdf.DrawImage(0, 0, bmp.get());
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"~tmpim1"});
    // Starting again forgets the first image and its file.
    pdf.BeginDoc();
    EXPECT_TRUE(FolderEntries().empty());
    pdf.DrawImage(0, 0, bmp.get());
    pdf.DrawImage(0, 0, bmp.get());
    EXPECT_EQ(FolderEntries().size(), 2u);
  }
  EXPECT_TRUE(FolderEntries().empty());
}

// Another writer working in the same folder keeps its image file.
TEST_F(PrintPDFTest, ImageFileOfAnotherWriterIsLeftAlone) {
  {
    std::ofstream other("~tmpim1", std::ios::binary);
    other << "someone else's samples";
  }
  auto bmp = PatternBitmap(5, 2);
  TPrintPDF pdf(nullptr);
  pdf.SetFileName("mine.pdf");
  pdf.BeginDoc();
  pdf.DrawImage(0, 0, bmp.get());
  ASSERT_EQ(pdf.TemporaryFiles().size(), 1u);
  EXPECT_NE(pdf.TemporaryFiles()[0], Path("~tmpim1"));
  pdf.EndDoc();
  EXPECT_EQ(ReadAll("~tmpim1"), "someone else's samples");
  EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"mine.pdf", "~tmpim1"}));
  std::string image = ObjectText(pdf.Document(), 21);
  EXPECT_NE(image.find("stream\r\n" + Samples(*bmp) + "\r\nendstream"), std::string::npos);
}

TEST_F(PrintPDFTest, ImageFileThatVanishedFailsTheDocument) {
  auto bmp = PatternBitmap(2, 2);
  TPrintPDF pdf(nullptr);
  pdf.SetFileName("gone.pdf");
  pdf.BeginDoc();
  pdf.DrawImage(0, 0, bmp.get());
  ASSERT_TRUE(DeleteFile(pdf.TemporaryFiles()[0]));
  EXPECT_THROW(pdf.EndDoc(), EFOpenError);
  EXPECT_TRUE(FolderEntries().empty());
}

TEST_F(PrintPDFTest, MisuseIsRefused) {
  auto bmp = PatternBitmap(2, 2);
  TBitmap empty;
  TPrintPDF pdf(nullptr);
  pdf.SetFileName("x.pdf");
  EXPECT_THROW(pdf.DrawImage(0, 0, bmp.get()), EPrintPDFError);
  EXPECT_THROW(pdf.EndDoc(), EPrintPDFError);
  pdf.BeginDoc();
  EXPECT_THROW(pdf.DrawImage(0, 0, nullptr), EPrintPDFError);
  EXPECT_THROW(pdf.DrawImage(0, 0, &empty), EPrintPDFError);
  pdf.EndDoc();
  EXPECT_THROW(pdf.EndDoc(), EPrintPDFError);
  EXPECT_THROW(pdf.DrawImage(0, 0, bmp.get()), EPrintPDFError);
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"x.pdf"});
}

// Readers accept the files: with and without an image, and with texts that
// hold the characters a literal string must escape.
TEST_F(PrintPDFTest, ReadersAcceptTheFile) {
  struct Case {
    const char* Title;
    int Images;
  } cases[] = {{"Plain", 1}, {"Voucher (copy) 1\\2", 1}, {"Empty page", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Title);
    auto bmp = PatternBitmap(40, 30);
    TPrintPDF pdf(nullptr);
    pdf.SetFileName("r.pdf");
    pdf.SetTITLE(c.Title);
    pdf.SetPageWidth(300);
    pdf.SetPageHeight(200);
    pdf.BeginDoc();
    for (int i = 0; i < c.Images; ++i) pdf.DrawImage(10, 10, bmp.get());
    pdf.EndDoc();
    EXPECT_EQ(RunTool("qpdf --check r.pdf"), 0) << RunOutput("qpdf --check r.pdf");
    std::string info = RunOutput("pdfinfo r.pdf");
    EXPECT_EQ(InfoField(info, "Title"), c.Title) << info;
    EXPECT_EQ(InfoField(info, "Pages"), "1") << info;
    EXPECT_EQ(InfoField(info, "Page size"), "300 x 200 pts") << info;
    EXPECT_EQ(InfoField(info, "PDF version"), "1.4") << info;
    EXPECT_EQ(info.find("Syntax Error"), std::string::npos) << info;
  }
}

// Rendered at 72 dpi one PDF unit is one pixel: the image's quadrants must
// show their colours where the placement puts them, white around it.
TEST_F(PrintPDFTest, RenderedImageShowsItsColoursInPlace) {
  // 384 x 510 pixels on a 200 x 200 page scale to 100 x 100 units.
  TBitmap bmp(384, 510, pf24bit);
  const TColor colours[4] = {Rgb(255, 0, 0), Rgb(0, 160, 0), Rgb(0, 0, 255), Rgb(250, 200, 0)};
  for (int q = 0; q < 4; ++q) {
    bmp.Canvas()->Brush()->SetColor(colours[q]);
    int x = (q % 2) * 192, y = (q / 2) * 255;
    bmp.Canvas()->FillRect(TRect{x, y, x + 192, y + 255});
  }
  TPrintPDF pdf(nullptr);
  pdf.SetFileName("render.pdf");
  pdf.SetPageWidth(200);
  pdf.SetPageHeight(200);
  pdf.BeginDoc();
  pdf.DrawImage(50, 30, &bmp);
  pdf.EndDoc();
  ASSERT_EQ(RunTool("pdftoppm -r 72 render.pdf page"), 0);
  std::vector<std::string> pages;
  for (const auto& name : FolderEntries())
    if (name.rfind("page", 0) == 0) pages.push_back(name);
  ASSERT_EQ(pages.size(), 1u);
  std::string ppm = ReadAll(pages[0]);
  std::istringstream in(ppm);
  std::string magic;
  int w = 0, h = 0, maxv = 0;
  in >> magic >> w >> h >> maxv;
  in.get();
  ASSERT_EQ(magic, "P6");
  ASSERT_EQ(w, 200);
  ASSERT_EQ(h, 200);
  const size_t base = static_cast<size_t>(in.tellg());
  auto pixel = [&](int x, int y) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(ppm.data()) + base + 3 * (y * w + x);
    return Rgb(p[0], p[1], p[2]);
  };
  // The image spans x 50..150 and, from the top, y 30..130.
  struct Probe {
    int X, Y;
    TColor Expected;
  } probes[] = {{75, 55, colours[0]},      {125, 55, colours[1]},     {75, 105, colours[2]},
                {125, 105, colours[3]},    {52, 32, colours[0]},      {147, 127, colours[3]},
                {47, 80, Rgb(255, 255, 255)}, {153, 80, Rgb(255, 255, 255)},
                {100, 27, Rgb(255, 255, 255)}, {100, 133, Rgb(255, 255, 255)}};
  // The renderer's colour handling may move a channel by a few steps.
  auto near = [](TColor A, TColor B) {
    for (int shift : {0, 8, 16})
      if (std::abs(((A >> shift) & 255) - ((B >> shift) & 255)) > 8) return false;
    return true;
  };
  for (const Probe& p : probes)
    EXPECT_PRED2(near, pixel(p.X, p.Y), p.Expected) << "at " << p.X << "," << p.Y;
}
