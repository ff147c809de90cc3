// brannokd: the application server as a network service. Each client
// connection gets its own "Brannok.Class1" object, served over the
// automation protocol (platform/com/Protocol.h).
//
//   brannokd [--server-path DIR] [--address A] [--port N] [--max-connections N]
//
// The server installation folder holds TandrilS.ini: its database settings
// (section "DBE Setting") say where the company databases are, and section
// "Server Information" may give "ListenAddress" (default 127.0.0.1, this
// machine only) and "ServerPort" (default 211). The command line wins over the
// file; the folder defaults to the ServerPath of the registry key
// Software\KWE\Tandril. The service stops on SIGINT or SIGTERM.

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>

#include "appserver/ServerObject.h"
#include "platform/rtl/AnsiText.h"
#include "platform/com/AutoServer.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/IniFile.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Registry.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: brannokd [--server-path DIR] [--address A] [--port N] [--max-connections N]\n"
               "Serves the application server object Brannok.Class1 over TCP.\n");
  return 2;
}

std::mutex GLogLock;

void Log(const AnsiString& Line) {
  std::lock_guard guard(GLogLock);
  std::time_t now = std::time(nullptr);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
  std::fprintf(stderr, "%s brannokd: %s\n", stamp, Line.c_str());
}

AnsiString RegistryServerPath() {
  TRegistry registry;
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly("Software\\KWE\\Tandril")) return AnsiString();
  AnsiString path = registry.ReadString("ServerPath");
  return path.empty() ? registry.ReadString("ClientPath") : path;
}

}  // namespace

int main(int argc, char** argv) {
  AnsiString serverPath, address;
  int port = 0, maxConnections = 0;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (!value) return Usage();
    ++i;
    if (arg == "--server-path") serverPath = value;
    else if (arg == "--address") address = value;
    else if (arg == "--port") port = StrToIntDef(value, -1);
    else if (arg == "--max-connections") maxConnections = StrToIntDef(value, -1);
    else return Usage();
    if (port < 0 || port > 65535 || maxConnections < 0) return Usage();
  }

  // Signals are taken by sigwait below, not by handlers on random threads.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);

  try {
    if (serverPath.empty()) serverPath = RegistryServerPath();
    if (serverPath.empty()) {
      std::fprintf(stderr, "brannokd: no --server-path and no ServerPath in the registry\n");
      return 2;
    }
    TMemIniFile ini(IncludeTrailingPathDelimiter(serverPath) + "TandrilS.ini");
    if (address.empty()) address = Trim(ini.ReadString("Server Information", "ListenAddress", "127.0.0.1"));
    if (port == 0) port = ini.ReadInteger("Server Information", "ServerPort", 211);

    SetServerDatabaseConfig(ReadServerDatabaseConfig(serverPath));
    RegisterServerObject();
    TAutoServer server;
    server.AddClass(ServerClassName);
    if (maxConnections > 0) server.SetMaxConnections(maxConnections);
    server.SetLog(Log);
    server.Start(address, port);
    Log("serving " + AnsiString(ServerClassName) + " on " + address + ":" + IntToStr(server.Port()));

    int signal = 0;
    sigwait(&stop, &signal);
    Log("stopping");
    server.Stop();
    return 0;
  } catch (const Exception& e) {
    std::fprintf(stderr, "brannokd: %s\n", e.Message.c_str());
    return 1;
  }
}
