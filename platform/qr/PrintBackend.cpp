#include "platform/qr/PrintBackend.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "platform/qr/PageRender.h"
#include "platform/qr/PageStore.h"
#include "platform/qr/PdfPrintFile.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Files.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/CommonDialogs.h"

extern char** environ;

namespace {

std::mutex ConfigLock;
std::unique_ptr<TPrinterConfig> Config;

TPrinterConfig ConfigFromEnvironment() {
  TPrinterConfig c;
  if (const char* queue = std::getenv("KW_PRINT_QUEUE"); queue && *queue)
    c.Printers.push_back({queue, queue});
  c.Printers.push_back({"PDF", ""});
  const char* folder = std::getenv("KW_PRINT_FOLDER");
  c.OutputFolder = folder && *folder ? AnsiString(folder) : GetCurrentDir();
  return c;
}

// A file name part made from a job title: no folder separators, no control
// characters, not empty.
AnsiString FileStem(const AnsiString& Title) {
  AnsiString stem;
  for (unsigned char c : Title) stem += (c < 0x20 || c == '/' || c == '\\' || c == 0x7F) ? '_' : static_cast<char>(c);
  while (!stem.empty() && (stem.back() == ' ' || stem.back() == '.')) stem.pop_back();
  while (!stem.empty() && stem.front() == '.') stem.erase(0, 1);
  return stem.empty() ? AnsiString("Report") : stem;
}

// FileName, or FileName with " (2)", " (3)"... before the extension when a
// file of that name is there already: a job never overwrites another's file.
AnsiString UniqueFileName(const AnsiString& Folder, const AnsiString& Stem, const AnsiString& Ext) {
  AnsiString base = IncludeTrailingPathDelimiter(Folder) + Stem;
  AnsiString name = base + Ext;
  for (int n = 2; FileExists(name) || DirectoryExists(name); ++n) name = base + " (" + std::to_string(n) + ")" + Ext;
  return name;
}

// The program's path: as given when it names a folder, else found on PATH.
// Empty when there is no such executable.
std::string FindProgram(const AnsiString& Program) {
  auto runnable = [](const std::string& p) {
    struct stat st{};
    return stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(p.c_str(), X_OK) == 0;
  };
  std::string name = ToSystemPath(Program);
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return runnable(name) ? name : std::string();
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
    if (runnable(candidate)) return candidate;
    start = end + 1;
  }
  return {};
}

// Runs Program with Args (no shell: titles and queue names are passed as
// they are) and answers its exit status and what it wrote on either stream.
int Run(const std::string& Program, const std::vector<std::string>& Args, std::string& Output) {
  int fds[2];
  if (pipe(fds) != 0) throw EPrinter("Cannot start \"" + Program + "\": " + SysErrorMessage(errno));
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(Program.c_str()));
  for (const std::string& a : Args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, Program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    throw EPrinter("Cannot start \"" + Program + "\": " + SysErrorMessage(rc));
  }
  char buf[4096];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) != 0) {
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    Output.append(buf, static_cast<size_t>(n));
  }
  close(fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

std::string Trimmed(std::string S) {
  while (!S.empty() && (S.back() == '\n' || S.back() == '\r' || S.back() == ' ')) S.pop_back();
  return S;
}

// Renders the chosen pages of the job into a PDF file.
int WritePdf(const TPageStore& Store, int From, int To, int Copies, bool Collate, int Dpi,
             const AnsiString& FileName, const AnsiString& Title) {
  TPdfPrintFile pdf(FileName, Title);
  TPageRenderer renderer;
  TBitmap bitmap;
  auto add = [&](int n, int times) {
    const TPageMetafile* page = Store.Page(n);
    if (!page) throw EPrinter("Page " + std::to_string(n) + " of the report is not there any more.");
    renderer.Render(*page, Store.Resources(), Dpi, bitmap);
    double w = page->Width() * 72.0 / 2540.0, h = page->Height() * 72.0 / 2540.0;
    for (int i = 0; i < times; ++i) pdf.AddPage(bitmap, w, h);
  };
  if (Collate) {
    for (int c = 0; c < Copies; ++c)
      for (int n = From; n <= To; ++n) add(n, 1);
  } else {
    for (int n = From; n <= To; ++n) add(n, Copies);
  }
  pdf.Finish();
  return pdf.PageCount();
}

}  // namespace

TPrinterConfig PrinterConfig() {
  std::lock_guard lock(ConfigLock);
  if (!Config) Config = std::make_unique<TPrinterConfig>(ConfigFromEnvironment());
  return *Config;
}

void SetPrinterConfig(const TPrinterConfig& Value) {
  std::lock_guard lock(ConfigLock);
  Config = std::make_unique<TPrinterConfig>(Value);
}

void ResetPrinterConfig() {
  std::lock_guard lock(ConfigLock);
  Config.reset();
}

void PrintPageStore(const TPageStore& Store, const TPrintJobSettings& Settings) {
  PrintPageStoreEx(Store, Settings);
}

TPrintJobResult PrintPageStoreEx(const TPageStore& Store, const TPrintJobSettings& Settings) {
  TPrinterConfig config = PrinterConfig();
  if (config.Printers.empty()) throw EPrinter("There is no printer installed.");
  const TPrinterEntry* printer = nullptr;
  if (!Settings.PrinterName.empty()) {
    for (const TPrinterEntry& p : config.Printers)
      if (p.Name == Settings.PrinterName) printer = &p;
    if (!printer) throw EPrinter("Printer \"" + Settings.PrinterName + "\" is not installed.");
  } else if (Settings.PrinterIndex == -1) {
    printer = &config.Printers.front();
  } else if (Settings.PrinterIndex >= 0 && Settings.PrinterIndex < static_cast<int>(config.Printers.size())) {
    printer = &config.Printers[Settings.PrinterIndex];
  } else {
    throw EPrinter("Printer index out of range");
  }

  int count = Store.PageCount();
  int from = 1, to = count;
  if (Settings.FromPage != 0 || Settings.ToPage != 0) {
    from = std::max(1, Settings.FromPage);
    to = Settings.ToPage == 0 ? count : std::min(count, Settings.ToPage);
  }
  if (count == 0 || from > to) throw EPrinter("There are no pages to print");
  int copies = std::max(1, Settings.Copies);
  int dpi = Settings.Dpi > 0 ? Settings.Dpi : 200;
  AnsiString title = Settings.Title;

  TPrintJobResult result;
  result.Printer = printer->Name;
  result.Pages = to - from + 1;

  if (printer->Queue.empty()) {
    AnsiString folder = !Settings.OutputFolder.empty() ? Settings.OutputFolder : config.OutputFolder;
    if (folder.empty()) folder = GetCurrentDir();
    if (!ForceDirectories(folder))
      throw EPrinter("Cannot create the print folder \"" + folder + "\". " + SysErrorMessage(GetLastOSError()));
    result.FileName = UniqueFileName(folder, FileStem(title), ".pdf");
    WritePdf(Store, from, to, copies, Settings.Collate, dpi, result.FileName, title);
    return result;
  }

  // A CUPS queue: the same document handed to lp, which spools it. The
  // program is looked for before any page is drawn, so a machine without
  // the CUPS client says so at once.
  std::string lp = FindProgram(config.LpProgram);
  if (lp.empty())
    throw EPrinter("Cannot print to \"" + printer->Name + "\": the print command \"" + config.LpProgram +
                   "\" was not found. Install the CUPS client programs or print to the PDF printer.");
  AnsiString temp = UniqueFileName(ExpandFileName(GetTempPath()), "kwprint-" + std::to_string(getpid()) + "-" + FileStem(title), ".pdf");
  result.FileName = temp;
  struct TRemove {
    AnsiString Name;
    ~TRemove() { DeleteFile(Name); }
  } remove{temp};
  // Copies are lp's: the document holds one set.
  WritePdf(Store, from, to, 1, true, dpi, temp, title);
  std::vector<std::string> args{"-d", ToSystemPath(printer->Queue), "-n", std::to_string(copies), "-o",
                                copies > 1 && !Settings.Collate ? "collate=false" : "collate=true"};
  if (!title.empty()) {
    args.push_back("-t");
    args.push_back(AnsiToUtf8(title, GetACP()));
  }
  // An absolute path: lp cannot take it for an option.
  args.push_back(ToSystemPath(temp));
  std::string output;
  int status = Run(lp, args, output);
  result.JobOutput = Trimmed(output);
  if (status != 0)
    throw EPrinter("Printing to \"" + printer->Name + "\" failed (" + config.LpProgram + " ended with code " +
                   std::to_string(status) + ")" + (result.JobOutput.empty() ? "." : ": " + result.JobOutput));
  return result;
}

bool ExecutePrinterSetup(TPrintJobSettings& Settings, int MaxPage) {
  TPrinterConfig config = PrinterConfig();
  std::unique_ptr<TPrintDialog> dialog(NewComponent<TPrintDialog>(nullptr));
  TPrinterSetup& s = dialog->Settings();
  for (const TPrinterEntry& p : config.Printers) s.Printers.push_back(p.Name);
  s.PrinterIndex = Settings.PrinterIndex;
  if (!Settings.PrinterName.empty()) {
    auto it = std::find(s.Printers.begin(), s.Printers.end(), Settings.PrinterName);
    s.PrinterIndex = it == s.Printers.end() ? -1 : static_cast<int>(it - s.Printers.begin());
  }
  s.Copies = std::max(1, Settings.Copies);
  s.Collate = Settings.Collate;
  s.FromPage = Settings.FromPage;
  s.ToPage = Settings.ToPage;
  dialog->SetMinPage(1);
  dialog->SetMaxPage(std::max(0, MaxPage));
  if (!dialog->Execute()) return false;
  const TPrinterSetup& r = dialog->Settings();
  if (r.PrinterIndex >= 0 && r.PrinterIndex < static_cast<int>(r.Printers.size())) {
    Settings.PrinterIndex = r.PrinterIndex;
    Settings.PrinterName = r.Printers[r.PrinterIndex];
  } else {
    Settings.PrinterIndex = -1;
    Settings.PrinterName.clear();
  }
  Settings.Copies = std::max(1, r.Copies);
  Settings.Collate = r.Collate;
  Settings.FromPage = r.FromPage;
  Settings.ToPage = r.ToPage;
  return true;
}
