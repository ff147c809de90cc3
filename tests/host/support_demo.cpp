#include "tests/host/support_demo.h"

#include <unistd.h>

#include <filesystem>
#include <string>

#include "host/HostManager.h"
#include "platform/com/ComObj.h"
#include "platform/rtl/CodePages.h"

namespace {

struct TDemoFolder {
  std::filesystem::path Path;
  TDemoInstallation Installation;
  TDemoFolder() {
    Path = std::filesystem::temp_directory_path() / ("kw_host_test_" + std::to_string(getpid()));
    std::filesystem::remove_all(Path);
    std::filesystem::create_directories(Path);
    TDemoOptions options;
    options.Vouchers = 40;
    Installation = CreateDemoInstallation(Path.string(), options);
  }
  ~TDemoFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Path, ignored);
  }
};

}  // namespace

const TDemoInstallation& DemoInstallation() {
  static TDemoFolder folder;
  return folder.Installation;
}

THostSettings DemoHostSettings() {
  THostSettings settings;
  settings.Database = ReadServerDatabaseConfig(DemoInstallation().Folder);
  settings.UserCode = kDemoAdmin;
  settings.CompanyCode = "01";
  settings.CompanyDatabase = "DEMO";
  return settings;
}

Variant NewDemoHost() {
  RegisterHostManager(DemoHostSettings());
  return CreateOleObject(HostClassName);
}

AnsiString Db(const char* Utf8) { return Utf8ToAnsi(Utf8, 936); }
