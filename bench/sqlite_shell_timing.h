#pragma once
// Timing shared by the fetch benchmarks: wall and processor time of a piece
// of work, and of the sqlite3 command-line program running a query to
// /dev/null (the yardstick the fetch figures are compared with).

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace kwbench {

using TClock = std::chrono::steady_clock;

// The fetch benchmarks' command line: --rows N, --runs N, --check.
struct TFetchOptions {
  int Rows = 100000;
  int Runs = 5;
  bool Check = false;
};

// False (after printing the usage of Program) for anything else.
inline bool ReadFetchOptions(int argc, char** argv, const char* Program, TFetchOptions& Out) {
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--rows") && i + 1 < argc) Out.Rows = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) Out.Runs = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--check")) Out.Check = true;
    else {
      std::fprintf(stderr, "usage: %s [--rows N] [--runs N] [--check]\n", Program);
      return false;
    }
  }
  return true;
}

// A new scratch folder under /tmp named after Program; empty when none can
// be made.
inline std::string MakeScratchFolder(const char* Program) {
  std::string pattern = std::string("/tmp/kw-") + Program + "-XXXXXX";
  return mkdtemp(pattern.data()) ? pattern : std::string();
}

// Wall and processor time of one run: on a busy machine the processor time
// is the steadier measure.
struct TTiming {
  double Wall = 0;  // seconds
  double Cpu = 0;
};

inline double Seconds(TClock::time_point Since) {
  return std::chrono::duration<double>(TClock::now() - Since).count();
}

inline double CpuSeconds(const rusage& Usage) {
  return static_cast<double>(Usage.ru_utime.tv_sec + Usage.ru_stime.tv_sec) +
         static_cast<double>(Usage.ru_utime.tv_usec + Usage.ru_stime.tv_usec) / 1e6;
}

// Processor time of this process so far, all its threads.
inline double SelfCpu() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return CpuSeconds(usage);
}

// Runs sqlite3 on File with its output thrown away; exits the program with
// code 2 (naming Program) when sqlite3 cannot run the query.
inline TTiming RunSqliteShell(const std::string& File, const std::string& Query, const char* Program) {
  std::fflush(stdout);  // the child must not print our buffered lines again
  TClock::time_point start = TClock::now();
  pid_t child = fork();
  if (child == 0) {
    if (!std::freopen("/dev/null", "w", stdout)) _exit(126);
    execlp("sqlite3", "sqlite3", File.c_str(), Query.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s: sqlite3 failed (is the Debian package \"sqlite3\" installed?)\n", Program);
    std::exit(2);
  }
  return {Seconds(start), CpuSeconds(usage)};
}

}  // namespace kwbench
