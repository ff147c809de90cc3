// Reading a 100,000-row data packet into a client data set: decoding alone,
// through an in-process server object, and through the automation server
// over loopback TCP; and the memory the records take next to their text.
//
//   clientdataset_fetch [--rows N] [--runs N]
//
// The rows are shaped like the asset voucher report's: 64 fields, mostly
// short codes and dates as text, Chinese names, amounts.

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/com/AutoObject.h"
#include "platform/com/AutoServer.h"
#include "platform/com/Marshal.h"
#include "platform/db/ClientDataSet.h"
#include "platform/db/DataPacket.h"
#include "platform/db/SocketConnection.h"
#include "platform/rtl/Format.h"

namespace {

using TClock = std::chrono::steady_clock;
double Ms(TClock::time_point Since) { return std::chrono::duration<double, std::milli>(TClock::now() - Since).count(); }

// GB2312 bytes of a few asset words, joined into names of varying length.
const char* const Words[] = {"\xB5\xE7\xC4\xD4", "\xB0\xEC\xB9\xAB\xD7\xC0", "\xC9\xE8\xB1\xB8",
                             "\xB3\xB5\xC1\xBE", "\xB7\xBF\xCE\xDD", "\xBF\xD5\xB5\xF7"};

std::string Name(unsigned Seed, int Words_) {
  std::string s;
  for (int i = 0; i < Words_; ++i) s += Words[(Seed >> (i * 3)) % 6];
  return s;
}

// The report's columns: (name, type, size).
struct TColumnShape {
  const char* Name;
  TFieldType Type;
  int Size;
};

std::vector<TColumnShape> ReportColumns() {
  std::vector<TColumnShape> c = {
      {"TC001", ftString, 4},   {"TC002", ftString, 11},  {"TC003", ftString, 8},   {"TC004", ftString, 20},
      {"TC007", ftBCD, 0},      {"TC009", ftInteger, 0},  {"TC010", ftBCD, 0},      {"TC013", ftString, 255},
      {"TC015", ftString, 1},   {"CMSMQ002", ftString, 40}, {"MB002", ftString, 60}, {"MB003", ftString, 60},
      {"TC023", ftString, 4},   {"TC024", ftString, 11},  {"TC011", ftString, 20},  {"TC012", ftString, 20},
      {"TC027", ftString, 8},   {"TC032", ftString, 1},   {"TC016", ftInteger, 0},  {"TC028", ftString, 10},
      {"TC031", ftString, 1},   {"MF002C1", ftString, 20}, {"MF002C2", ftString, 20}, {"CREATOR", ftString, 10},
  };
  for (const char* udf : {"UDF01D", "UDF02D", "UDF03D", "UDF04D", "UDF05D", "UDF06D"}) c.push_back({udf, ftString, 255});
  for (const char* udf : {"UDF51D", "UDF52D", "UDF53D", "UDF54D", "UDF55D", "UDF56D"}) c.push_back({udf, ftBCD, 0});
  for (const char* s : {"TC046", "PURMA002", "TC019"}) c.push_back({s, ftString, 20});
  for (const char* n : {"TC020", "TC047", "TC048", "TC049", "TC050", "TC054", "TC052", "TC053", "TC006", "TCK10",
                        "TC008", "TCK11", "TC037", "TCK02"})
    c.push_back({n, ftBCD, 0});
  c.push_back({"TDK01", ftString, 4});
  c.push_back({"TDK02", ftString, 4});
  c.push_back({"TDK03", ftString, 11});
  c.push_back({"TDK04", ftString, 8});
  for (const char* n : {"TDK05", "TDK06", "TDK07", "TDK08", "TDK09", "TDK10", "TC004C"}) c.push_back({n, ftBCD, 0});
  return c;
}

std::string MakePacket(int Rows) {
  const std::vector<TColumnShape> columns = ReportColumns();
  TDataPacketWriter w;
  for (const TColumnShape& c : columns) w.AddColumn(c.Name, c.Type, c.Size);
  unsigned seed = 12345;
  char buffer[64];
  for (int r = 0; r < Rows; ++r) {
    const int voucher = r / 12;
    for (const TColumnShape& c : columns) {
      seed = seed * 1103515245u + 12345u;
      const unsigned x = seed >> 8;
      const std::string_view name(c.Name);
      if (c.Type == ftBCD) {
        w.AddCurrency(Currency::FromScaled(static_cast<int64_t>(x % 100000000) * 100));
      } else if (c.Type == ftInteger) {
        w.AddInteger(x % 30);
      } else if (name == "TC001" || name == "TC023") {
        w.AddString(voucher % 3 ? "A1" : "B12");
      } else if (name == "TC002" || name == "TC024" || name == "TDK03") {
        std::snprintf(buffer, sizeof buffer, "%011d", voucher);
        w.AddString(buffer);
      } else if (name == "TC003" || name == "TC027" || name == "TDK04") {
        std::snprintf(buffer, sizeof buffer, "2024%02u%02u", 1 + x % 12, 1 + x % 28);
        w.AddString(buffer);
      } else if (c.Size == 1) {
        w.AddString(x % 2 ? "Y" : "N");
      } else if (name == "CMSMQ002" || name == "MB002" || name == "MB003" || name == "PURMA002" ||
                 name.substr(0, 4) == "MF00") {
        w.AddString(Name(x, 2 + static_cast<int>(x % 4)));
      } else if (name.substr(0, 3) == "UDF" || name == "TC013") {
        if (x % 4) w.AddString(""); else w.AddString(Name(x, 3));
      } else {
        std::snprintf(buffer, sizeof buffer, "%c%05u", 'A' + x % 26, x % 100000);
        w.AddString(buffer);
      }
    }
  }
  return w.Finish();
}

// The packet a provider has ready after running its query.
std::string GPacketBytes;

// Answers each fetch with a new packet object of those records, as a
// provider does.
class TPacketServer : public TAutoObject {
 public:
  TPacketServer() {
    DefineMethod("AS_GetRecords", 1, 3, [](TAutoArgs&) { return TDataPacketObject::FromBytes(GPacketBytes); });
  }
};

Variant GPacket;

long MinorFaults() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_minflt;
}

double Best(std::vector<double> V) { return *std::min_element(V.begin(), V.end()); }
double Median(std::vector<double> V) {
  std::sort(V.begin(), V.end());
  return V[V.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int rows = 100000, runs = 5;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--rows") && i + 1 < argc) rows = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    else {
      std::fprintf(stderr, "usage: clientdataset_fetch [--rows N] [--runs N]\n");
      return 2;
    }
  }
  try {
    TClock::time_point start = TClock::now();
    const std::string packet = MakePacket(rows);
    const double encodeMs = Ms(start);
    GPacket = BytesToVariant(packet);
    GPacketBytes = packet;
    RegisterOleClass("Bench.PacketServer", [] { return static_cast<IDispatch*>(new TPacketServer()); });

    std::vector<double> decode, inProcess, tcp;
    long faults[3] = {0, 0, 0};
    size_t memory = 0, text = 0;
    int fields = 0;

    TAutoServer server;
    server.AddClass("Bench.PacketServer");
    server.SetMaxRequestSize(1 << 20);
    server.Start("127.0.0.1", 0);

    for (int run = 0; run < runs; ++run) {
      {
        TClientDataSet ds(nullptr);
        long f = MinorFaults();
        TClock::time_point t = TClock::now();
        ds.SetData(GPacket);
        decode.push_back(Ms(t));
        faults[0] = MinorFaults() - f;
        if (run == 0) {
          // The rows' text: every value as text, a separator after each.
          fields = ds.FieldCount();
          for (ds.First(); !ds.Eof(); ds.Next())
            for (int f = 0; f < fields; ++f) text += ds.Fields()[f]->AsString().size() + 1;
          memory = ds.MemoryUsed();
        }
      }
      {
        TSocketConnection connection(nullptr);
        connection.SetAppServer(CreateOleObject("Bench.PacketServer"));
        TClientDataSet ds(nullptr);
        ds.SetRemoteServer(&connection);
        ds.SetProviderName("Provider1");
        long f = MinorFaults();
        TClock::time_point t = TClock::now();
        ds.Open();
        inProcess.push_back(Ms(t));
        faults[1] = MinorFaults() - f;
      }
      {
        TSocketConnection connection(nullptr);
        connection.SetAddress("127.0.0.1");
        connection.SetPort(server.Port());
        connection.SetServerName("Bench.PacketServer");
        connection.Open();
        TClientDataSet ds(nullptr);
        ds.SetRemoteServer(&connection);
        ds.SetProviderName("Provider1");
        long f = MinorFaults();
        TClock::time_point t = TClock::now();
        ds.Open();
        tcp.push_back(Ms(t));
        faults[2] = MinorFaults() - f;
        if (ds.RecordCount() != rows) throw Exception("wrong record count over TCP");
      }
    }
    server.Stop();

    std::printf("data packet: %d rows x %d fields, %.1f MB (built in %.1f ms)\n", rows, fields,
                packet.size() / 1e6, encodeMs);
    std::printf("best / median of %d runs:\n", runs);
    std::printf("  decode a packet (bytes) into a client data set %8.1f / %8.1f ms\n", Best(decode), Median(decode));
    std::printf("  open through an in-process server              %8.1f / %8.1f ms\n", Best(inProcess), Median(inProcess));
    std::printf("  open over loopback TCP                         %8.1f / %8.1f ms\n", Best(tcp), Median(tcp));
    std::printf("page faults of the last run: decode %ld, in-process %ld, TCP %ld\n", faults[0], faults[1],
                faults[2]);
    std::printf("memory: records %.1f MB, their text %.1f MB, ratio %.2f (limit 3.00)\n", memory / 1e6,
                text / 1e6, static_cast<double>(memory) / text);
    return memory > 3 * text ? 1 : 0;
  } catch (const Exception& e) {
    std::fprintf(stderr, "clientdataset_fetch: %s\n", e.Message.c_str());
    return 2;
  }
}
