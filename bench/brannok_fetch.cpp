// The report's statement for 100,000 detail rows fetched into a client data
// set through the application server object, in this process and over
// loopback TCP, against the sqlite3 command-line program running the same
// query to /dev/null on the same database file; and the memory of the data
// set next to the rows' text.
//
//   brannok_fetch [--rows N] [--runs N] [--check]
//
// With --check the exit code is 1 when a limit is missed: in-process within
// 2 times and TCP within 3 times the sqlite3 time, memory under 3 times the
// text. Times are compared as wall time and as processor time (this process,
// all its threads, against the sqlite3 process).

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "appserver/DemoData.h"
#include "appserver/ServerObject.h"
#include "bench/sqlite_shell_timing.h"
#include "platform/com/AutoServer.h"
#include "platform/db/ClientDataSet.h"
#include "platform/db/SocketConnection.h"
#include "tests/appserver/report_statement.h"

using namespace kwbench;

namespace {

// Opens the report through a connection; returns the timing and keeps the
// data set's figures of the last run.
TTiming FetchReport(TSocketConnection& Connection, const AnsiString& Statement, int& Rows, size_t& Memory,
                    size_t& Text, bool Measure) {
  TClientDataSet report(nullptr);
  report.SetRemoteServer(&Connection);
  report.SetProviderName("Provider1");
  TClock::time_point start = TClock::now();
  double cpu = SelfCpu();
  report.DataRequest(Statement);
  report.Open();
  TTiming t{Seconds(start), SelfCpu() - cpu};
  Rows = report.RecordCount();
  if (Measure) {
    Memory = report.MemoryUsed();
    Text = 0;
    const int fields = report.FieldCount();
    for (report.First(); !report.Eof(); report.Next())
      for (int f = 0; f < fields; ++f) Text += report.Fields()[f]->AsString().size() + 1;
  }
  return t;
}

std::pair<double, double> BestAndMedian(std::vector<TTiming> V, double TTiming::*Part) {
  std::vector<double> values;
  for (const TTiming& t : V) values.push_back(t.*Part);
  std::sort(values.begin(), values.end());
  return {values.front(), values[values.size() / 2]};
}

}  // namespace

int main(int argc, char** argv) {
  TFetchOptions options;
  if (!ReadFetchOptions(argc, argv, "brannok_fetch", options)) return 2;
  const int rows = options.Rows, runs = options.Runs;
  const bool check = options.Check;
  const std::string folder = MakeScratchFolder("brannok_fetch");
  if (folder.empty()) return 2;
  int result = 0;
  try {
    TDatabaseConfig config;
    config.DataFolder = folder + "/DATA";
    TDemoOptions demo;
    demo.DetailRows = rows;
    {
      std::unique_ptr<TSqlBackend> backend = CreateCompanyDatabase(config, demo.CompanyDatabase, true);
      FillDemoCompany(*backend, demo);
    }
    SetServerDatabaseConfig(config);
    RegisterServerObject();
    const AnsiString statement = kwtest::ReportStatement("WHERE (1=1 ) ");
    const Variant session = VarArrayOf({Variant(kDemoProgram), Variant(kDemoAdmin), Variant("01"), Variant("DEMO")});
    std::string query;
    {
      TCompanyData data(config);
      data.Connect(session);
      query = data.Backend().Translator().Translate(statement);
    }
    const std::string file = folder + "/DATA/DEMO.db";

    // The in-process server, as the plug-in makes it for address 127.0.0.1.
    TSocketConnection local(nullptr);
    local.SetAppServer(CreateOleObject(ServerClassName));
    OleCall(local.AppServer(), "Connect", {session});
    // brannokd's server on a loopback port.
    TAutoServer server;
    server.AddClass(ServerClassName);
    server.Start("127.0.0.1", 0);
    TSocketConnection remote(nullptr);
    remote.SetAddress("127.0.0.1");
    remote.SetPort(server.Port());
    remote.SetServerName(ServerClassName);
    remote.Open();
    OleCall(remote.AppServer(), "Connect", {session});

    std::vector<TTiming> shell, inProcess, tcp;
    int fetched = 0, fetchedTcp = 0;
    size_t memory = 0, text = 0, ignoredMemory = 0, ignoredText = 0;
    RunSqliteShell(file, query, "brannok_fetch");  // everybody starts with the file in the page cache
    for (int run = 0; run < runs; ++run) {
      shell.push_back(RunSqliteShell(file, query, "brannok_fetch"));
      inProcess.push_back(FetchReport(local, statement, fetched, memory, text, run == 0));
      tcp.push_back(FetchReport(remote, statement, fetchedTcp, ignoredMemory, ignoredText, false));
    }
    server.Stop();

    auto [shellWall, shellWallMedian] = BestAndMedian(shell, &TTiming::Wall);
    auto [shellCpu, shellCpuMedian] = BestAndMedian(shell, &TTiming::Cpu);
    auto [localWall, localWallMedian] = BestAndMedian(inProcess, &TTiming::Wall);
    auto [localCpu, localCpuMedian] = BestAndMedian(inProcess, &TTiming::Cpu);
    auto [tcpWall, tcpWallMedian] = BestAndMedian(tcp, &TTiming::Wall);
    auto [tcpCpu, tcpCpuMedian] = BestAndMedian(tcp, &TTiming::Cpu);
    std::printf("report statement, %d rows x 64 fields into a client data set, best (median) of %d runs:\n",
                fetched, runs);
    std::printf("                               wall time               processor time        ratio to sqlite3\n");
    std::printf("  sqlite3 to /dev/null     %7.1f ms (%7.1f ms)   %7.1f ms (%7.1f ms)\n", shellWall * 1e3,
                shellWallMedian * 1e3, shellCpu * 1e3, shellCpuMedian * 1e3);
    std::printf("  in-process server        %7.1f ms (%7.1f ms)   %7.1f ms (%7.1f ms)   wall %.2f  cpu %.2f  (limit 2)\n",
                localWall * 1e3, localWallMedian * 1e3, localCpu * 1e3, localCpuMedian * 1e3, localWall / shellWall,
                localCpu / shellCpu);
    std::printf("  loopback TCP             %7.1f ms (%7.1f ms)   %7.1f ms (%7.1f ms)   wall %.2f  cpu %.2f  (limit 3)\n",
                tcpWall * 1e3, tcpWallMedian * 1e3, tcpCpu * 1e3, tcpCpuMedian * 1e3, tcpWall / shellWall,
                tcpCpu / shellCpu);
    std::printf("memory: records %.1f MB, their text %.1f MB, ratio %.2f (limit 3.00)\n", memory / 1e6, text / 1e6,
                static_cast<double>(memory) / text);
    if (fetched != rows || fetchedTcp != rows) {
      std::fprintf(stderr, "brannok_fetch: fetched %d / %d rows, expected %d\n", fetched, fetchedTcp, rows);
      result = 1;
    }
    if (check && (localWall > 2 * shellWall || tcpWall > 3 * shellWall || memory > 3 * text)) result = 1;
  } catch (const Exception& e) {
    std::fprintf(stderr, "brannok_fetch: %s\n", e.Message.c_str());
    result = 2;
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return result;
}
