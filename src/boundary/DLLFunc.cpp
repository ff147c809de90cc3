#include "src/boundary/DLLFunc.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

#include "platform/rtl/Exceptions.h"
#include "src/boundary/DLLBaseCtrller.h"

namespace {

AnsiString& ModulePathOverride() {
  static AnsiString Path;
  return Path;
}

}  // namespace

AnsiString PluginModulePath() {
  if (!ModulePathOverride().empty()) return ModulePathOverride();
  // The object this function lives in is the plug-in's module.
  // No length limit: a fixed buffer would cut a long path into a wrong one.
  Dl_info Info{};
  if (dladdr(reinterpret_cast<void*>(&PluginModulePath), &Info) != 0 && Info.dli_fname &&
      Info.dli_fname[0] == '/')
    return Info.dli_fname;
  // The main program is reported by the name it was started with.
  std::error_code Error;
  std::filesystem::path Exe = std::filesystem::read_symlink("/proc/self/exe", Error);
  return Error ? AnsiString() : AnsiString(Exe.string());
}

void OverridePluginModulePath(const AnsiString& Path) { ModulePathOverride() = Path; }

extern "C" TDLLBaseController* GetController() {
  if (!DLLControllerClass)
    throw Exception("KWE DLL Internal Error :\rNot Assign \"DLLControllerClass\" varible");
  return DLLControllerClass->NewInstance();
}
