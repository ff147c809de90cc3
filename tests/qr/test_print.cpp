// Printing a page store: PDF files per job that real PDF tools accept, page
// ranges and copies, printer choice and errors, the CUPS path through `lp`
// (a stand-in program on PATH records what it was given), and the printer
// setup dialog through the UI driver.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/qr/PdfPrintFile.h"
#include "platform/qr/PrintBackend.h"
#include "platform/qr/PageStore.h"
#include "platform/vcl/Bitmap.h"
#include "platform/rtl/Files.h"
#include "platform/vcl/ScriptedUIDriver.h"

namespace fs = std::filesystem;

namespace {

constexpr TPageUnit Inch = 2540;

// Pages of 6 x 4 inches; page n carries a black inch-square whose left edge
// is n inches in, so rasterised pages tell which page they are.
void FillStore(TPageStore& Store, int Pages) {
  int16_t black = Store.Resources().AddBrush({clBlack, bsSolid});
  Store.BeginGeneration();
  for (int n = 1; n <= Pages; ++n) {
    auto page = std::make_unique<TPageMetafile>(6 * Inch, 4 * Inch);
    page->AddRectangle({n * Inch, Inch, (n + 1) * Inch, 2 * Inch}, -1, black);
    Store.AddPage(std::move(page));
  }
  Store.EndGeneration();
}

std::string RunCommand(const std::string& Command, int* Status = nullptr) {
  std::string out;
  FILE* p = popen((Command + " 2>&1").c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int rc = pclose(p);
  if (Status) *Status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

std::string InfoField(const std::string& PdfInfo, const std::string& Field) {
  std::istringstream in(PdfInfo);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(Field + ":", 0) == 0) {
      std::string v = line.substr(Field.size() + 1);
      return v.substr(v.find_first_not_of(' '));
    }
  return {};
}

// Which page each page of the PDF shows, read back by rasterising it with
// pdftoppm at 10 dpi and finding the black square.
std::vector<int> PagesShown(const fs::path& Pdf, const fs::path& Work) {
  fs::path stem = Work / "shown";
  int status = -1;
  std::string out = RunCommand("pdftoppm -r 10 '" + Pdf.string() + "' '" + stem.string() + "'", &status);
  EXPECT_EQ(status, 0) << out;
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(Work))
    if (e.path().filename().string().rfind("shown", 0) == 0) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  std::vector<int> shown;
  for (const fs::path& f : files) {
    TBitmap b;
    // pdftoppm writes PPM; read it by hand (P6, width, height, 255, RGB).
    std::ifstream in(f, std::ios::binary);
    std::string magic;
    int w = 0, h = 0, max = 0;
    in >> magic >> w >> h >> max;
    in.get();
    std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
    in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
    int row = h * 3 / 8;  // 1.5 inches down: through the square
    int first = -1;
    for (int x = 0; x < w; ++x)
      if (rgb[(static_cast<size_t>(row) * w + x) * 3] < 64) {
        first = x;
        break;
      }
    shown.push_back(first < 0 ? 0 : static_cast<int>((first + 5) / 10));
    fs::remove(f);
  }
  return shown;
}

class PrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Work = fs::temp_directory_path() / ("kw_print_" + std::to_string(getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Work);
    fs::create_directories(Work);
    TPrinterConfig config;
    config.Printers = {{"PDF", ""}, {"Office", "office_queue"}};
    config.OutputFolder = (Work / "out").string();
    SetPrinterConfig(config);
    if (const char* path = std::getenv("PATH")) SavedPath = path;
  }
  void TearDown() override {
    setenv("PATH", SavedPath.c_str(), 1);
    ResetPrinterConfig();
    fs::remove_all(Work);
  }

  // Puts an `lp` stand-in first on PATH: it records its arguments, keeps a
  // copy of the file it was given and answers like lp, or fails with Status.
  void FakeLp(int Status = 0) {
    fs::path bin = Work / "bin";
    fs::create_directories(bin);
    std::ofstream script(bin / "lp");
    script << "#!/bin/sh\n"
           << "printf '%s\\n' \"$@\" > '" << (Work / "lp_args").string() << "'\n"
           << "for last; do :; done\n"
           << "cp \"$last\" '" << (Work / "lp_file.pdf").string() << "'\n";
    if (Status == 0)
      script << "echo 'request id is office_queue-17 (1 file(s))'\nexit 0\n";
    else
      script << "echo 'lp: The printer or class does not exist.' >&2\nexit " << Status << "\n";
    script.close();
    fs::permissions(bin / "lp", fs::perms::owner_all);
    setenv("PATH", (bin.string() + ":" + SavedPath).c_str(), 1);
  }

  std::vector<std::string> LpArgs() {
    std::ifstream in(Work / "lp_args");
    std::vector<std::string> args;
    for (std::string line; std::getline(in, line);) args.push_back(line);
    return args;
  }

  fs::path Work;
  std::string SavedPath;
};

TEST_F(PrintTest, JobBecomesAPdfThatPdfToolsAccept) {
  TPageStore store;
  FillStore(store, 3);
  TPrintJobSettings job;
  job.Title = "Asset vouchers";
  TPrintJobResult result = PrintPageStoreEx(store, job);
  EXPECT_EQ(result.Printer, "PDF");
  EXPECT_EQ(fs::path(result.FileName), Work / "out" / "Asset vouchers.pdf");
  EXPECT_EQ(result.Pages, 3);

  int status = -1;
  std::string info = RunCommand("pdfinfo '" + result.FileName + "'", &status);
  ASSERT_EQ(status, 0) << info;
  EXPECT_EQ(InfoField(info, "Pages"), "3");
  EXPECT_EQ(InfoField(info, "Page size"), "432 x 288 pts");
  EXPECT_EQ(InfoField(info, "Title"), "Asset vouchers");
  std::string check = RunCommand("qpdf --check '" + result.FileName + "'", &status);
  EXPECT_EQ(status, 0) << check;
  EXPECT_NE(check.find("No syntax or stream encoding errors"), std::string::npos) << check;
  EXPECT_EQ(PagesShown(result.FileName, Work), (std::vector<int>{1, 2, 3}));
}

TEST_F(PrintTest, PageSizeFollowsThePages) {
  // A4 portrait and a half sheet of A4 landscape.
  struct TCase {
    TPageUnit W, H;
    const char* Size;
  } cases[] = {{21000, 29700, "595.276 x 841.89 pts (A4)"}, {21000, 14850, "595.276 x 420.945 pts (A5)"}};
  for (const TCase& c : cases) {
    TPageStore store;
    store.AddPage(std::make_unique<TPageMetafile>(c.W, c.H));
    TPrintJobSettings job;
    job.Title = "size";
    job.Dpi = 50;
    TPrintJobResult result = PrintPageStoreEx(store, job);
    std::string info = RunCommand("pdfinfo '" + result.FileName + "'");
    EXPECT_EQ(InfoField(info, "Page size"), c.Size) << info;
    fs::remove(result.FileName);
  }
}

TEST_F(PrintTest, RangesAndCopiesChooseThePagesInOrder) {
  TPageStore store;
  FillStore(store, 3);
  struct TCase {
    int From, To, Copies;
    bool Collate;
    std::vector<int> Expected;
  } cases[] = {
      {0, 0, 1, true, {1, 2, 3}},
      {2, 3, 1, true, {2, 3}},
      {0, 2, 1, true, {1, 2}},
      {2, 0, 1, true, {2, 3}},   // to 0: up to the last page
      {3, 9, 1, true, {3}},      // beyond the end: up to the last page
      {-4, 1, 1, true, {1}},
      {1, 2, 2, true, {1, 2, 1, 2}},
      {1, 2, 2, false, {1, 1, 2, 2}},
      {3, 3, 0, true, {3}},      // no copies: one
  };
  for (const TCase& c : cases) {
    TPrintJobSettings job;
    job.Title = "range";
    job.FromPage = c.From;
    job.ToPage = c.To;
    job.Copies = c.Copies;
    job.Collate = c.Collate;
    job.Dpi = 30;
    TPrintJobResult result = PrintPageStoreEx(store, job);
    EXPECT_EQ(PagesShown(result.FileName, Work), c.Expected)
        << c.From << ".." << c.To << " x" << c.Copies << (c.Collate ? " collated" : "");
    fs::remove(result.FileName);
  }
}

TEST_F(PrintTest, EveryJobGetsAFileOfItsOwn) {
  TPageStore store;
  FillStore(store, 1);
  TPrintJobSettings job;
  job.Title = "a/b\\c";
  job.Dpi = 30;
  AnsiString first = PrintPageStoreEx(store, job).FileName;
  AnsiString second = PrintPageStoreEx(store, job).FileName;
  job.OutputFolder = (Work / "elsewhere" / "deeper").string();
  AnsiString third = PrintPageStoreEx(store, job).FileName;
  EXPECT_EQ(fs::path(first), Work / "out" / "a_b_c.pdf");
  EXPECT_EQ(fs::path(second), Work / "out" / "a_b_c (2).pdf");
  EXPECT_EQ(fs::path(third), Work / "elsewhere" / "deeper" / "a_b_c.pdf");
  for (const AnsiString& f : {first, second, third}) EXPECT_TRUE(fs::is_regular_file(f)) << f;
}

TEST_F(PrintTest, JobsThatCannotBeDoneSayWhy) {
  TPageStore empty, three;
  FillStore(three, 3);
  struct TCase {
    const TPageStore* Store;
    int From, To, Index;
    AnsiString Name, Message;
  } cases[] = {
      {&empty, 0, 0, -1, "", "There are no pages to print"},
      {&three, 4, 6, -1, "", "There are no pages to print"},
      {&three, 3, 2, -1, "", "There are no pages to print"},
      {&three, 0, 0, 2, "", "Printer index out of range"},
      {&three, 0, 0, -2, "", "Printer index out of range"},
      {&three, 0, 0, -1, "Nowhere", "Printer \"Nowhere\" is not installed."},
  };
  for (const TCase& c : cases) {
    TPrintJobSettings job;
    job.FromPage = c.From;
    job.ToPage = c.To;
    job.PrinterIndex = c.Index;
    job.PrinterName = c.Name;
    try {
      PrintPageStore(*c.Store, job);
      ADD_FAILURE() << "no error for " << c.Message;
    } catch (const EPrinter& e) {
      EXPECT_EQ(e.Message, c.Message);
    }
  }
  EXPECT_FALSE(fs::exists(Work / "out" / "Report.pdf"));
}

TEST_F(PrintTest, AFolderThatCannotBeMadeIsAnError) {
  TPageStore store;
  FillStore(store, 1);
  std::ofstream(Work / "file") << "x";
  TPrintJobSettings job;
  job.OutputFolder = (Work / "file" / "sub").string();
  EXPECT_THROW(PrintPageStore(store, job), EPrinter);
}

TEST_F(PrintTest, QueueJobsGoThroughLp) {
  FakeLp();
  TPageStore store;
  FillStore(store, 3);
  TPrintJobSettings job;
  job.Title = "Vouchers";
  job.PrinterName = "Office";
  job.Copies = 2;
  job.Collate = false;
  job.FromPage = 2;
  job.Dpi = 30;
  TPrintJobResult result = PrintPageStoreEx(store, job);
  EXPECT_EQ(result.Printer, "Office");
  EXPECT_EQ(result.JobOutput, "request id is office_queue-17 (1 file(s))");
  std::vector<std::string> expected{"-d", "office_queue", "-n", "2", "-o", "collate=false", "-t", "Vouchers",
                                    result.FileName};
  EXPECT_EQ(LpArgs(), expected);
  // One set of the chosen pages went to the queue (lp makes the copies),
  // and the spooled file is not left behind.
  EXPECT_EQ(PagesShown(Work / "lp_file.pdf", Work), (std::vector<int>{2, 3}));
  EXPECT_FALSE(fs::exists(result.FileName));
  EXPECT_FALSE(fs::exists(Work / "out"));
}

TEST_F(PrintTest, TheDefaultPrinterIsTheFirstConfigured) {
  FakeLp();
  TPrinterConfig config = PrinterConfig();
  std::swap(config.Printers[0], config.Printers[1]);
  SetPrinterConfig(config);
  TPageStore store;
  FillStore(store, 1);
  TPrintJobSettings job;
  job.Dpi = 30;
  EXPECT_EQ(PrintPageStoreEx(store, job).Printer, "Office");
  job.PrinterIndex = 1;
  EXPECT_EQ(PrintPageStoreEx(store, job).Printer, "PDF");
}

TEST_F(PrintTest, MissingLpIsAClearError) {
  // PATH without lp, and lp named by a path that does not exist.
  fs::create_directories(Work / "empty");
  struct TCase {
    std::string Path;
    AnsiString Program;
  } cases[] = {{(Work / "empty").string(), "lp"}, {SavedPath, (Work / "none" / "lp").string()}};
  for (const TCase& c : cases) {
    setenv("PATH", c.Path.c_str(), 1);
    TPrinterConfig config = PrinterConfig();
    config.LpProgram = c.Program;
    SetPrinterConfig(config);
    TPageStore store;
    FillStore(store, 1);
    TPrintJobSettings job;
    job.PrinterName = "Office";
    try {
      PrintPageStore(store, job);
      ADD_FAILURE() << "printed without " << c.Program;
    } catch (const EPrinter& e) {
      EXPECT_EQ(e.Message, "Cannot print to \"Office\": the print command \"" + c.Program +
                               "\" was not found. Install the CUPS client programs or print to the PDF printer.");
    }
  }
}

TEST_F(PrintTest, LpFailureIsReportedWithItsMessage) {
  FakeLp(1);
  TPageStore store;
  FillStore(store, 1);
  TPrintJobSettings job;
  job.PrinterIndex = 1;
  job.Dpi = 30;
  try {
    PrintPageStore(store, job);
    ADD_FAILURE() << "a failing lp went unnoticed";
  } catch (const EPrinter& e) {
    EXPECT_EQ(e.Message, "Printing to \"Office\" failed (lp ended with code 1): lp: The printer or class does not exist.");
  }
}

TEST_F(PrintTest, PrinterSetupGoesThroughTheUIDriver) {
  TScriptedUIDriver ui;
  TUIDriverScope use(ui);
  ui.ExpectPrinterSetup().Edit([](TPrinterSetup& s) {
    s.PrinterIndex = 1;
    s.Copies = 3;
    s.FromPage = 2;
    s.ToPage = 12;
  });
  ui.ExpectPrinterSetup().Cancel();
  TPrintJobSettings job;
  job.Copies = 1;
  ASSERT_TRUE(ExecutePrinterSetup(job, 5));
  EXPECT_EQ(job.PrinterIndex, 1);
  EXPECT_EQ(job.PrinterName, "Office");
  EXPECT_EQ(job.Copies, 3);
  EXPECT_EQ(job.FromPage, 2);
  EXPECT_EQ(job.ToPage, 5);  // the dialog keeps the range inside the pages there are

  TPrintJobSettings before = job;
  EXPECT_FALSE(ExecutePrinterSetup(job, 5));
  EXPECT_EQ(job.PrinterName, before.PrinterName);
  EXPECT_EQ(job.Copies, before.Copies);
  ui.VerifyAllAnswered();
  // The dialog opened with the configured printers and the job's choice.
  auto asked = ui.Questions(TQuestionKind::PrinterSetup);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].Printer.Printers, (std::vector<AnsiString>{"PDF", "Office"}));
  EXPECT_EQ(asked[0].Printer.PrinterIndex, -1);
  EXPECT_EQ(asked[1].Printer.PrinterIndex, 1);
  EXPECT_EQ(asked[1].Printer.Copies, 3);
}

TEST(PdfPrintFile, AnUnfinishedDocumentLeavesNoFile) {
  fs::path file = fs::temp_directory_path() / ("kw_unfinished_" + std::to_string(getpid()) + ".pdf");
  {
    TPdfPrintFile pdf(file.string(), "x");
    TBitmap b(10, 10);
    pdf.AddPage(b, 72, 72);
    EXPECT_TRUE(fs::exists(file));
  }
  EXPECT_FALSE(fs::exists(file));
  EXPECT_THROW(TPdfPrintFile((fs::temp_directory_path() / "no_such_folder_kw" / "x.pdf").string(), ""),
               EFCreateError);
}

TEST(PdfPrintFile, PicturesOfAnyFormatKeepTheirColours) {
  // A 16-bit and a 24-bit picture: pdftoppm gives back the same colours.
  fs::path file = fs::temp_directory_path() / ("kw_colours_" + std::to_string(getpid()) + ".pdf");
  for (TPixelFormat format : {pf24bit, pf16bit}) {
    TBitmap b(4, 1, format);
    TColor colours[] = {clRed, clLime, clBlue, clWhite};
    for (int x = 0; x < 4; ++x) b.SetPixel(x, 0, colours[x]);
    {
      TPdfPrintFile pdf(file.string(), "colours");
      pdf.AddPage(b, 4 * 72, 72);
      pdf.Finish();
    }
    fs::path stem = fs::temp_directory_path() / ("kw_colours_" + std::to_string(getpid()));
    int status = -1;
    RunCommand("pdftoppm -r 10 -singlefile '" + file.string() + "' '" + stem.string() + "'", &status);
    ASSERT_EQ(status, 0);
    std::ifstream in(stem.string() + ".ppm", std::ios::binary);
    std::string magic;
    int w = 0, h = 0, max = 0;
    in >> magic >> w >> h >> max;
    in.get();
    ASSERT_EQ(w, 40);
    ASSERT_EQ(h, 10);
    std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
    in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
    for (int x = 0; x < 4; ++x) {
      auto c = static_cast<uint32_t>(b.Pixel(x, 0));
      const unsigned char* p = &rgb[(5 * static_cast<size_t>(w) + 5 + 10 * x) * 3];
      EXPECT_NEAR(p[0], c & 0xFF, 2) << x << " " << format;
      EXPECT_NEAR(p[1], (c >> 8) & 0xFF, 2) << x << " " << format;
      EXPECT_NEAR(p[2], (c >> 16) & 0xFF, 2) << x << " " << format;
    }
    fs::remove(stem.string() + ".ppm");
  }
  fs::remove(file);
}

}  // namespace
