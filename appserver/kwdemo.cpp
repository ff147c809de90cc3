// kwdemo: creates a demo installation folder with a company database full of
// fixed-asset vouchers, or prints the company database schema.
//
//   kwdemo FOLDER [--vouchers N] [--detail-rows N] [--seed S] [--company-db NAME]
//                 [--postgres CONNINFO]
//   kwdemo --schema sqlite|postgresql

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "appserver/DemoData.h"
#include "appserver/Schema.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: kwdemo FOLDER [--vouchers N] [--detail-rows N] [--seed S] [--company-db NAME]\n"
               "                     [--postgres CONNINFO]\n"
               "       kwdemo --schema sqlite|postgresql\n"
               "Creates a demo installation in FOLDER: TandrilC.ini, TandrilS.ini, registry.ini and the\n"
               "company database (DATA/NAME.db, or a schema of the PostgreSQL database CONNINFO).\n"
               "  --vouchers N      vouchers to make (default 2000), each with 1 to 30 detail lines\n"
               "  --detail-rows N   make vouchers until there are exactly N detail lines\n"
               "  --seed S          the generator's seed; the same seed gives the same data\n"
               "  --company-db NAME the company database name (default DEMO)\n");
  return 2;
}

bool ParseNumber(const char* Text, long long Max, long long& Value) {
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(Text, &end, 10);
  if (errno || !end || *end || end == Text || v < 0 || v > Max) return false;
  Value = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--schema") == 0) {
    std::string dialect = argv[2];
    if (dialect != "sqlite" && dialect != "postgresql") return Usage();
    std::fputs(SchemaSql(dialect == "sqlite" ? TSqlDialect::SQLite : TSqlDialect::PostgreSQL).c_str(), stdout);
    return 0;
  }
  TDemoOptions options;
  AnsiString folder, postgres;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    long long number = 0;
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (arg == "--vouchers" || arg == "--detail-rows" || arg == "--seed") {
      const char* text = value();
      if (!text || !ParseNumber(text, arg == "--seed" ? 0x7FFFFFFFFFFFFFFFLL : 100000000LL, number)) {
        std::fprintf(stderr, "kwdemo: %s needs a number\n", arg.c_str());
        return 2;
      }
      if (arg == "--vouchers") options.Vouchers = static_cast<int>(number);
      else if (arg == "--detail-rows") options.DetailRows = static_cast<int>(number);
      else options.Seed = static_cast<uint64_t>(number);
    } else if (arg == "--company-db") {
      const char* text = value();
      if (!text) return Usage();
      options.CompanyDatabase = text;
    } else if (arg == "--postgres") {
      const char* text = value();
      if (!text) return Usage();
      postgres = text;
    } else if (!arg.empty() && arg[0] != '-' && folder.empty()) {
      folder = arg;
    } else {
      return Usage();
    }
  }
  if (folder.empty()) return Usage();
  try {
    auto started = std::chrono::steady_clock::now();
    TDemoInstallation demo = CreateDemoInstallation(folder, options, postgres);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("Demo installation in %s\n", demo.Folder.c_str());
    std::printf("  company database %s: %d vouchers, %d detail lines, %d assets, %d suppliers, %d users (%.1f s)\n",
                options.CompanyDatabase.c_str(), demo.Summary.Vouchers, demo.Summary.DetailRows, demo.Summary.Assets,
                demo.Summary.Suppliers, demo.Summary.Users, seconds);
    std::printf("  use it with: export KWE_REGISTRY=%s\n", demo.RegistryFile.c_str());
    return 0;
  } catch (const Exception& e) {
    std::fprintf(stderr, "kwdemo: %s\n", AnsiToUtf8(e.Message).c_str());
    return 1;
  }
}
