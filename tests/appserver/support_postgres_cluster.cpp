#include <fcntl.h>
#include <glob.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "tests/appserver/postgres_cluster.h"

namespace kwtest {
namespace {

std::string ReadText(const std::string& File) {
  std::ifstream in(File);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The folder of initdb and pg_ctl.
std::string FindBinaries() {
  if (const char* bin = std::getenv("KW_PG_BIN"); bin && *bin) return bin;
  glob_t found{};
  std::vector<std::string> folders;
  if (glob("/usr/lib/postgresql/*/bin/pg_ctl", 0, nullptr, &found) == 0)
    for (std::size_t i = 0; i < found.gl_pathc; ++i)
      folders.push_back(std::filesystem::path(found.gl_pathv[i]).parent_path().string());
  globfree(&found);
  if (folders.empty())
    throw std::runtime_error(
        "No PostgreSQL server programs found (/usr/lib/postgresql/*/bin/pg_ctl). Install the Debian package "
        "\"postgresql\" (make deps) or set KW_PG_BIN to the folder holding initdb and pg_ctl.");
  // The newest version: numeric order of the version folder.
  std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) {
    auto version = [](const std::string& f) {
      return std::atoi(std::filesystem::path(f).parent_path().filename().string().c_str());
    };
    return version(a) < version(b);
  });
  return folders.back();
}

// A port number that nothing listens on right now.
int FreePort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (s >= 0 && bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  if (s >= 0) close(s);
  if (!port) throw std::runtime_error("Cannot find a free port for the test PostgreSQL server");
  return port;
}

class TCluster {
 public:
  TCluster() {
    std::string bin = FindBinaries();
    char pattern[] = "/tmp/kw-pg-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("Cannot create a temporary folder for PostgreSQL");
    FFolder = pattern;
    try {
      Start(bin);
    } catch (...) {
      Stop();
      throw;
    }
  }

  ~TCluster() { Stop(); }

  const std::string& Connection() const { return FConnection; }

 private:
  void Start(const std::string& bin) {
    if (geteuid() == 0) {
      passwd* user = getpwnam("postgres");
      if (!user)
        throw std::runtime_error(
            "The tests run as root, and PostgreSQL refuses to run as root, but there is no \"postgres\" user "
            "(the Debian package \"postgresql\" creates it)");
      if (chown(FFolder.c_str(), user->pw_uid, user->pw_gid) != 0)
        throw std::runtime_error("Cannot hand the temporary folder to the postgres user");
      FRunAs = {"runuser", "-u", "postgres", "--"};
    }
    chmod(FFolder.c_str(), 0755);
    const std::string data = FFolder + "/data";
    Run({bin + "/initdb", "-D", data, "-U", "kw", "-A", "trust", "-E", "UTF8", "--locale=C", "--no-sync"},
        "initdb");
    int port = FreePort();
    FStopCommand = {bin + "/pg_ctl", "-D", data, "-m", "immediate", "-w", "stop"};
    FStarted = true;
    Run({bin + "/pg_ctl", "-D", data, "-l", FFolder + "/server.log", "-w", "-t", "120", "-o",
         "-k " + FFolder + " -p " + std::to_string(port) +
             " -c listen_addresses= -c fsync=off -c synchronous_commit=off -c full_page_writes=off"
             " -c max_connections=40",
         "start"},
        "pg_ctl start");
    FConnection = "host=" + FFolder + " port=" + std::to_string(port) + " user=kw dbname=postgres";
  }

  void Stop() {
    if (FStarted) {
      FStarted = false;
      try {
        Run(FStopCommand, "pg_ctl stop");
      } catch (...) {
      }
    }
    std::error_code ignored;
    std::filesystem::remove_all(FFolder, ignored);
  }

  // Runs a server program (as the postgres user when we are root) with its
  // output in a log file; raises with the log when it fails.
  void Run(std::vector<std::string> Args, const char* What) {
    std::vector<std::string> command = FRunAs;
    command.insert(command.end(), Args.begin(), Args.end());
    std::string log = FFolder + "/" + What + ".log";
    for (char& c : log)
      if (c == ' ') c = '_';
    pid_t child = fork();
    if (child < 0) throw std::runtime_error("Cannot start " + std::string(What));
    if (child == 0) {
      int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (out >= 0) {
        dup2(out, 1);
        dup2(out, 2);
      }
      std::vector<char*> argv;
      for (std::string& a : command) argv.push_back(a.data());
      argv.push_back(nullptr);
      execvp(argv[0], argv.data());
      _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::string detail = ReadText(log);
      std::string server = ReadText(FFolder + "/server.log");
      throw std::runtime_error("The test PostgreSQL server could not be set up: " + std::string(What) +
                               " failed:\n" + detail + (server.empty() ? "" : "\nserver log:\n" + server));
    }
  }

  std::string FFolder, FConnection;
  std::vector<std::string> FRunAs, FStopCommand;
  bool FStarted = false;
};

}  // namespace

const std::string& PostgresConnection() {
  // Built on first use, stopped and removed when the program ends.
  static TCluster cluster;
  return cluster.Connection();
}

}  // namespace kwtest
