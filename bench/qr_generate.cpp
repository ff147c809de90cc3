// Generating a voucher report into the page store: 10,000 vouchers of 1 to
// 30 detail lines (a fixed random mix) from an in-memory data set, through
// a voucher-shaped layout with page-level bands (ten lines a page, the
// header repeated on continuation pages, a stepped-back record starting
// each continuation page).
//
//   qr_generate [--vouchers=N] [benchmark options]
//
// Reports pages a second and the bytes each stored page takes (records,
// texts, the page object and the store's slot; shared fonts and pictures
// are not counted per page), and the process's peak resident size.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "platform/db/ClientDataSet.h"
#include "platform/qr/QRCtrls.h"
#include "platform/qr/QRExpr.h"
#include "platform/qr/QRPrinter.h"
#include "platform/qr/QuickRpt.h"

namespace {

int VoucherCount = 10000;

// GB2312 words for asset names and captions.
const char* const Words[] = {"\xB9\xCC\xB6\xA8\xD7\xCA\xB2\xFA", "\xB5\xE7\xC4\xD4", "\xB0\xEC\xB9\xAB\xD7\xC0",
                             "\xC9\xE8\xB1\xB8", "\xB3\xB5\xC1\xBE", "\xB7\xBF\xCE\xDD", "\xBF\xD5\xB5\xF7"};

class TVoucherReport {
 public:
  TVoucherReport() : Form(std::make_unique<TComponent>(nullptr)) {
    DS = new TClientDataSet(Form.get());
    DS->SetName("ClientDataSet1");
    const char* HeaderFields[] = {"TC001", "TC002", "TC027", "TC004", "MB002", "MB003", "TC013", "TC015",
                                  "TC009", "TC010", "TC023", "TC024", "TC006", "TCK10", "TC008", "TCK11"};
    const char* DetailFields[] = {"TDK01", "TDK0203", "TDK04", "TDK06", "TDK09", "TDK07", "TDK10", "TDK05", "TDK08"};
    const char* FooterFields[] = {"TC049", "TC007", "TC050", "TC052", "TC054", "TC053", "TCK02"};
    for (const char* F : HeaderFields) DS->FieldDefs().Add(F, ftString, 20);
    for (const char* F : DetailFields) DS->FieldDefs().Add(F, ftString, 20);
    for (const char* F : FooterFields) DS->FieldDefs().Add(F, ftString, 20);
    DS->CreateDataSet();

    std::mt19937 Random(20261211);
    std::vector<Variant> Row(DS->FieldDefs().Count());
    for (int v = 0; v < VoucherCount; ++v) {
      int Lines = 1 + static_cast<int>(Random() % 30);
      for (int l = 1; l <= Lines; ++l) {
        size_t i = 0;
        Row[i++] = "ZK" + std::to_string(v % 3);
        Row[i++] = "2026" + std::to_string(100000 + v);
        Row[i++] = "202612" + std::to_string(10 + v % 20);
        Row[i++] = "A" + std::to_string(500000 + v);
        Row[i++] = std::string(Words[v % 7]) + Words[(v / 7) % 7];
        Row[i++] = "MODEL-" + std::to_string(v % 97);
        Row[i++] = Words[(v + 3) % 7];
        Row[i++] = "Y";
        Row[i++] = std::to_string(v % 60);
        Row[i++] = std::to_string(1000 + v % 5000) + ".00";
        Row[i++] = "ZP01";
        Row[i++] = std::to_string(300000 + v);
        for (int k = 0; k < 4; ++k) Row[i++] = std::to_string(10000 + (v * 37 + k * 101) % 90000) + ".50";
        Row[i++] = std::to_string(l);
        Row[i++] = "PO" + std::to_string(700000 + v * 31 + l);
        Row[i++] = "2026120" + std::to_string(1 + l % 9);
        for (int k = 0; k < 6; ++k) Row[i++] = std::to_string(100 + (v * 13 + l * 7 + k) % 9900) + "." + std::to_string(10 + k);
        for (int k = 0; k < 7; ++k) Row[i++] = std::to_string(50000 + (v * 11 + k) % 50000) + ".00";
        DS->AppendRecord(Row);
      }
    }

    Report = new TQuickRep(Form.get());
    Report->SetName("QuickRep1");
    Report->SetDataSet(DS);
    Report->Page()->SetPaperSize(TQRPaperSize::A4);
    Report->SetPageStyle(qpsFullPage);
    int Top = 0;
    auto Band = [&](auto* B, const char* Name, int Height) {
      B->SetName(Name);
      B->SetParent(Report);
      B->SetBounds(0, Top, 720, Height);
      Top += Height;
      return B;
    };
    auto Text = [&](TQRCustomBand* B, const char* Field, int Left, int TopInBand, int Width) {
      auto* T = new TQRDBText(Form.get());
      T->SetParent(B);
      T->SetDataSet(DS);
      T->SetDataField(Field);
      T->SetAutoSize(false);
      T->SetBounds(Left, TopInBand, Width, 16);
      T->Font()->SetName("\xCB\xCE\xCC\xE5");
      T->Font()->SetCharset(134);
      T->Font()->SetHeight(-12);
    };
    auto Label = [&](TQRCustomBand* B, const char* Caption, int Left, int TopInBand) {
      auto* L = new TQRLabel(Form.get());
      L->SetParent(B);
      L->SetCaption(Caption);
      L->SetBounds(Left, TopInBand, 60, 16);
      L->Font()->SetName("\xCB\xCE\xCC\xE5");
      L->Font()->SetCharset(134);
      L->Font()->SetHeight(-12);
    };
    auto Line = [&](TQRCustomBand* B, int TopInBand) {
      auto* S = new TQRShape(Form.get());
      S->SetParent(B);
      S->SetShape(qrsHorLine);
      S->SetBounds(0, TopInBand, 720, 2);
    };

    Group = Band(new TQRGroup(Form.get()), "QRGroup", 200);
    Group->SetExpression("ClientDataSet1.TC001+ClientDataSet1.TC002");
    Label(Group, "\xB9\xCC\xB6\xA8\xD7\xCA\xB2\xFA\xB5\xA5", 300, 0);
    for (int i = 0; i < 16; ++i) {
      Label(Group, Words[i % 7], (i % 4) * 180, 30 + (i / 4) * 40);
      Text(Group, HeaderFields[i], (i % 4) * 180 + 62, 30 + (i / 4) * 40, 110);
    }
    PageNo = new TQRLabel(Form.get());
    PageNo->SetParent(Group);
    PageNo->SetBounds(600, 0, 100, 16);
    Line(Group, 195);
    Detail = Band(new TQRBand(Form.get()), "QRDetailBand", 20);
    Detail->SetBandType(rbDetail);
    for (int i = 0; i < 9; ++i) Text(Detail, DetailFields[i], i * 80, 2, 76);
    Footer = Band(new TQRBand(Form.get()), "QRGroupFooter", 9 * 20);
    Footer->SetBandType(rbGroupFooter);
    Group->SetFooterBand(Footer);
    Label(Footer, "\xD2\xD4\xCF\xC2\xBF\xD5\xB0\xD7", 300, 0);
    Child = Band(new TQRChildBand(Form.get()), "GroupFooterChildBand", 120);
    Child->SetParentBand(Footer);
    Line(Child, 0);
    for (int i = 0; i < 7; ++i) {
      Label(Child, Words[i], (i % 4) * 180, 10 + (i / 4) * 30);
      Text(Child, FooterFields[i], (i % 4) * 180 + 62, 10 + (i / 4) * 30, 110);
    }
    for (int i = 0; i < 3; ++i) Label(Child, "\xC7\xA9\xBA\xCB", i * 240, 90);
    Report->SetPageStartBand(Group);
    Report->SetPageDetailBand(Detail);
    Report->SetPageAttachBand(Footer);
    Report->SetPageEndBand(Child);
    Group->BeforePrint = Bind<&TVoucherReport::GroupBeforePrint>(this);
    Detail->BeforePrint = Bind<&TVoucherReport::DetailBeforePrint>(this);
  }

  // What the voucher layout's handlers do: number pages per voucher and
  // send a line that no longer fits to the next page.
  void GroupBeforePrint(TQRCustomBand*, bool&) {
    AnsiString Value = Group->Evaluator().Value().AsString();
    if (Value != Key) {
      Key = Value;
      Line = 0;
      VoucherPage = 1;
    } else {
      ++VoucherPage;
    }
    PageNo->SetCaption(std::to_string(VoucherPage));
  }
  void DetailBeforePrint(TQRCustomBand*, bool& PrintBand) {
    if (Footer->Height() >= 0 || Line <= 1) {
      ++Line;
      return;
    }
    PrintBand = false;
    Footer->SetHeight(Footer->Height() + Detail->Height());
    DS->Prior();
  }

  std::unique_ptr<TComponent> Form;
  TClientDataSet* DS = nullptr;
  TQuickRep* Report = nullptr;
  TQRGroup* Group = nullptr;
  TQRBand* Detail = nullptr;
  TQRBand* Footer = nullptr;
  TQRChildBand* Child = nullptr;
  TQRLabel* PageNo = nullptr;
  AnsiString Key;
  int Line = 0;
  int VoucherPage = 0;
};

void BM_GenerateVouchers(benchmark::State& State) {
  TVoucherReport V;
  int Pages = 0;
  size_t Bytes = 0;
  for (auto _ : State) {
    V.Key.clear();
    V.Report->Prepare();
    Pages = V.Report->QRPrinter()->PageCount();
    Bytes = V.Report->QRPrinter()->PageStore().MemoryUsed();
  }
  rusage Usage{};
  getrusage(RUSAGE_SELF, &Usage);
  State.counters["pages"] = Pages;
  State.counters["pages/s"] = benchmark::Counter(static_cast<double>(Pages) * State.iterations(), benchmark::Counter::kIsRate);
  State.counters["bytes/page"] = Pages ? static_cast<double>(Bytes) / Pages : 0;
  State.counters["store_MB"] = Bytes / 1048576.0;
  State.counters["peak_rss_MB"] = Usage.ru_maxrss / 1024.0;
  State.counters["records"] = V.DS->RecordCount();
}
BENCHMARK(BM_GenerateVouchers)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--vouchers=", 11) == 0) VoucherCount = std::atoi(argv[i] + 11);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
