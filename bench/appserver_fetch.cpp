// Fetching the asset voucher report's statement for 100,000 detail rows into
// an in-memory row set, against the sqlite3 command-line program running the
// same query to /dev/null, in the same run on the same database file.
//
//   appserver_fetch [--rows N] [--runs N] [--check]
//
// Prints both times (best of the runs) and their ratio; with --check the exit
// code is 1 when the fetch takes more than twice as long as sqlite3.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "appserver/CompanyData.h"
#include "appserver/DemoData.h"
#include "appserver/SqlBackend.h"
#include "bench/sqlite_shell_timing.h"
#include "platform/rtl/Exceptions.h"
#include "tests/appserver/report_statement.h"

using namespace kwbench;

int main(int argc, char** argv) {
  TFetchOptions options;
  if (!ReadFetchOptions(argc, argv, "appserver_fetch", options)) return 2;
  const int rows = options.Rows, runs = options.Runs;
  const bool check = options.Check;
  const std::string folder = MakeScratchFolder("appserver_fetch");
  if (folder.empty()) return 2;
  int result = 0;
  try {
    TDatabaseConfig config;
    config.DataFolder = folder + "/DATA";
    TDemoOptions demo;
    demo.DetailRows = rows;
    TClock::time_point made = TClock::now();
    {
      std::unique_ptr<TSqlBackend> backend = CreateCompanyDatabase(config, demo.CompanyDatabase, true);
      FillDemoCompany(*backend, demo);
    }
    std::printf("demo company with %d detail rows made in %.2f s\n", rows, Seconds(made));

    TCompanyData session(config);
    session.Connect(VarArrayOf({Variant(kDemoProgram), Variant(kDemoAdmin), Variant("01"), Variant("DEMO")}));
    const AnsiString statement = kwtest::ReportStatement("WHERE (1=1 ) ");
    const std::string query = session.Backend().Translator().Translate(statement);
    const std::string file = folder + "/DATA/DEMO.db";

    std::vector<TTiming> fetch, shell;
    int fetched = 0;
    RunSqliteShell(file, query, "appserver_fetch");  // both start with the file in the page cache
    for (int run = 0; run < runs; ++run) {
      rusage before{}, after{};
      getrusage(RUSAGE_SELF, &before);
      TClock::time_point start = TClock::now();
      TRowSet result = session.RunQuery(statement);
      double wall = Seconds(start);
      getrusage(RUSAGE_SELF, &after);
      fetch.push_back({wall, CpuSeconds(after) - CpuSeconds(before)});
      fetched = result.RowCount();
      shell.push_back(RunSqliteShell(file, query, "appserver_fetch"));
    }
    auto best = [](std::vector<TTiming> Runs, double TTiming::*Field) {
      std::vector<double> values;
      for (const TTiming& t : Runs) values.push_back(t.*Field);
      std::sort(values.begin(), values.end());
      return std::make_pair(values.front(), values[values.size() / 2]);
    };
    auto [fetchWall, fetchWallMedian] = best(fetch, &TTiming::Wall);
    auto [shellWall, shellWallMedian] = best(shell, &TTiming::Wall);
    auto [fetchCpu, fetchCpuMedian] = best(fetch, &TTiming::Cpu);
    auto [shellCpu, shellCpuMedian] = best(shell, &TTiming::Cpu);
    double ratio = fetchWall / shellWall;
    std::printf("report statement, %d rows x 64 fields, best (median) of %d runs:\n", fetched, runs);
    std::printf("                         wall time                processor time\n");
    std::printf("  fetch into a row set   %7.1f ms (%7.1f ms)    %7.1f ms (%7.1f ms)\n", fetchWall * 1000,
                fetchWallMedian * 1000, fetchCpu * 1000, fetchCpuMedian * 1000);
    std::printf("  sqlite3 to /dev/null   %7.1f ms (%7.1f ms)    %7.1f ms (%7.1f ms)\n", shellWall * 1000,
                shellWallMedian * 1000, shellCpu * 1000, shellCpuMedian * 1000);
    std::printf("  ratio                  %7.2f                   %7.2f          (limit 2.00)\n", ratio,
                fetchCpu / shellCpu);
    if (fetched != rows) {
      std::fprintf(stderr, "appserver_fetch: fetched %d rows, expected %d\n", fetched, rows);
      result = 1;
    }
    if (check && ratio > 2.0) result = 1;
  } catch (const Exception& e) {
    std::fprintf(stderr, "appserver_fetch: %s\n", e.Message.c_str());
    result = 2;
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return result;
}
