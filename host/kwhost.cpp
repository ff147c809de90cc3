// kwhost: the host client stand-in on the command line. It loads the report
// plug-in, gives its controller the host automation object and drives it
// through the controller's operations, printing what the plug-in answers.
// See `kwhost --help` and docs/host.md.

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "appserver/SqlBackend.h"
#include "host/AnswerUIDriver.h"
#include "host/HostManager.h"
#include "platform/com/ComObj.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/Variant.h"
#include "src/boundary/DLLBaseCtrller.h"

namespace {

// Exit codes a script can rely on.
enum TExitCode {
  exDone = 0,
  exUsage = 1,
  exNoPlugin = 2,
  exOpenFailed = 3,
  exNotDone = 4,
  exError = 5,
  exUnanswered = 6,
};

const char* const kUsage = R"(Usage: kwhost [OPTIONS] COMMAND [ARGUMENTS]

Loads the report plug-in, calls its GetController, writes the host object
"CortanWorkCenter.Manager" into the controller, assigns the notification
event and opens the option window with the session's parameters; then runs
COMMAND and destroys the controller.

Commands:
  check                  the controller's answers before Open (GetVisible,
                         GetHandle, ShowModal, GetProgramInfo, IsWindowGone,
                         GetVersion),
                         then Open, show, hide and free the window
  version                the window's version stamp
  info                   the program information: user, company, program
                         code, program name
  conditions [--mode N] [--by-name] [VALUE | NAME=VALUE]...
                         hands the window a run request (RunConditions):
                         mode N (default 1) and the values, or with --by-name
                         the control names and their values
  command N [ARG]...     RunCommand(N, [ARG, ...]); 5: [preview], 6: [preview,
                         conditions], 11: [conditions, kind, prefix, dpi]
  free                   shows the window, then frees it (FreeWindow)

Values and arguments: true, false, null, whole numbers, [a,b,...] arrays
(nested), "quoted text"; anything else is text.

Options:
  --plugin PATH          the plug-in library (default: ZKPW31C.so next to kwhost)
  --install FOLDER       the installation (TandrilS.ini names the company
                         databases; its registry.ini is used when KWE_REGISTRY
                         is not set). Default: the registry's ServerPath
  --user CODE            user code (default DS)
  --company CODE         company code (default 01)
  --company-db NAME      company database (default DEMO)
  --rights LIST          function switches NAME=Y|N separated by "," (default FEP=Y)
  --version-type N       the host's VersionType (default 1)
  --product-id N         the host's ProductID (default 1)
  --messages FILE        the host's message catalogue from FILE instead of the
                         built-in one (same format as host/messages/messages.txt)
  --answers FILE         answers for the host's questions (pick lists, dates,
                         messages); see docs/host.md
  --strict               a question the answers file does not answer fails the run
  --verbose              print every notification and service request
  --help                 this text

Exit codes:
  0 done   1 usage error   2 the plug-in cannot be loaded   3 Open failed
  4 the plug-in answered that the operation was not done   5 an error was raised
  6 a question had no answer (--strict)
)";

struct TOptions {
  AnsiString Plugin;
  AnsiString Install;
  AnsiString User = "DS";
  AnsiString Company = "01";
  AnsiString CompanyDb = "DEMO";
  AnsiString Rights = "FEP=Y";
  int VersionType = 1;
  int ProductID = 1;
  AnsiString Answers;
  AnsiString Messages;
  bool Strict = false;
  bool Verbose = false;
  AnsiString Command;
  std::vector<AnsiString> Arguments;
};

class EUsage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The console shows UTF-8; texts of the plug-in are in the ANSI code page.
std::string Shown(const AnsiString& Ansi) { return AnsiToUtf8(Ansi); }

// ---- Values from the command line --------------------------------------------

Variant ParseValue(const std::string& Text);

// Splits the inside of "[...]" at the commas of its own level.
std::vector<std::string> SplitTopLevel(const std::string& Inner) {
  std::vector<std::string> parts;
  if (Inner.find_first_not_of(' ') == std::string::npos) return parts;
  int depth = 0;
  bool quoted = false;
  std::string current;
  for (char c : Inner) {
    if (c == '"') quoted = !quoted;
    if (!quoted && c == '[') ++depth;
    if (!quoted && c == ']') --depth;
    if (!quoted && depth == 0 && c == ',') {
      parts.push_back(current);
      current.clear();
      continue;
    }
    current += c;
  }
  if (quoted || depth != 0) throw EUsage("unbalanced brackets or quotes in \"[" + Inner + "]\"");
  parts.push_back(current);
  return parts;
}

Variant ParseValue(const std::string& Raw) {
  std::string text = Raw;
  while (!text.empty() && text.front() == ' ') text.erase(0, 1);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  if (text == "true") return Variant(true);
  if (text == "false") return Variant(false);
  if (text == "null") return Null();
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    return Variant(Utf8ToAnsi(text.substr(1, text.size() - 2)));
  if (!text.empty() && text.front() == '[') {
    if (text.back() != ']') throw EUsage("an array ends with \"]\": " + text);
    std::vector<Variant> items;
    for (const std::string& part : SplitTopLevel(text.substr(1, text.size() - 2))) items.push_back(ParseValue(part));
    return VarArrayOf(items);
  }
  int number;
  if (TryStrToInt(text, number)) return Variant(number);
  return Variant(Utf8ToAnsi(text));
}

// The function switches: row 0 the names, row 1 the flags.
Variant ParseRights(const AnsiString& List) {
  std::vector<std::pair<AnsiString, bool>> switches;
  for (const std::string& item : SplitTopLevel(List)) {
    AnsiString entry = Trim(item);
    if (entry.empty()) continue;
    size_t eq = entry.find('=');
    AnsiString flag = eq == AnsiString::npos ? AnsiString() : UpperCase(Trim(entry.substr(eq + 1)));
    if (eq == AnsiString::npos || eq == 0 || (flag != "Y" && flag != "N"))
      throw EUsage("--rights takes NAME=Y or NAME=N separated by \",\", not \"" + entry + "\"");
    switches.push_back({Trim(entry.substr(0, eq)), flag == "Y"});
  }
  if (switches.empty()) throw EUsage("--rights needs at least one NAME=Y|N");
  Variant table = VarArrayCreate({0, 1, 0, static_cast<int>(switches.size()) - 1}, varVariant);
  for (size_t i = 0; i < switches.size(); ++i) {
    table.PutElement({0, static_cast<int>(i)}, Variant(switches[i].first));
    table.PutElement({1, static_cast<int>(i)}, Variant(switches[i].second));
  }
  return table;
}

// A value as a person reads it.
std::string Describe(const Variant& V) {
  if (V.IsEmpty()) return "Unassigned";
  if (V.IsNull()) return "Null";
  if (V.IsArray()) {
    if (VarArrayDimCount(V) != 1) return "(array of " + std::to_string(VarArrayDimCount(V)) + " dimensions)";
    std::string out = "[";
    for (int i = VarArrayLowBound(V, 1); i <= VarArrayHighBound(V, 1); ++i) {
      if (i > VarArrayLowBound(V, 1)) out += ", ";
      out += Describe(V.GetElement({i}));
    }
    return out + "]";
  }
  if (VarIsDispatch(V)) return "(automation object)";
  if (VarIsStr(V)) return "\"" + Shown(VarToStr(V)) + "\"";
  if ((V.VarType() & varTypeMask) == varBoolean) return V.AsBoolean() ? "true" : "false";
  return Shown(VarToStr(V));
}

// ---- Options ------------------------------------------------------------------

int IntOption(const std::string& Name, const std::string& Value) {
  int number;
  if (!TryStrToInt(Value, number)) throw EUsage(Name + " takes a whole number, not \"" + Value + "\"");
  return number;
}

TOptions ParseOptions(int Argc, char** Argv, bool& Help) {
  TOptions options;
  Help = false;
  int i = 1;
  auto value = [&](const std::string& Name) -> std::string {
    if (i + 1 >= Argc) throw EUsage(Name + " needs a value");
    return Argv[++i];
  };
  for (; i < Argc; ++i) {
    const std::string arg = Argv[i];
    if (arg.rfind("--", 0) != 0) break;
    if (arg == "--help") Help = true;
    else if (arg == "--plugin") options.Plugin = value(arg);
    else if (arg == "--install") options.Install = value(arg);
    else if (arg == "--user") options.User = Utf8ToAnsi(value(arg));
    else if (arg == "--company") options.Company = Utf8ToAnsi(value(arg));
    else if (arg == "--company-db") options.CompanyDb = value(arg);
    else if (arg == "--rights") options.Rights = value(arg);
    else if (arg == "--version-type") options.VersionType = IntOption(arg, value(arg));
    else if (arg == "--product-id") options.ProductID = IntOption(arg, value(arg));
    else if (arg == "--answers") options.Answers = value(arg);
    else if (arg == "--messages") options.Messages = value(arg);
    else if (arg == "--strict") options.Strict = true;
    else if (arg == "--verbose") options.Verbose = true;
    else throw EUsage("unknown option " + arg);
  }
  if (Help) return options;
  if (i == Argc) throw EUsage("no command given");
  options.Command = Argv[i++];
  for (; i < Argc; ++i) options.Arguments.push_back(Argv[i]);
  static const char* const kCommands[] = {"check", "version", "info", "conditions", "command", "free"};
  bool known = false;
  for (const char* c : kCommands) known = known || options.Command == c;
  if (!known) throw EUsage("unknown command " + options.Command);
  if (options.User.empty() || options.Company.empty() || options.CompanyDb.empty())
    throw EUsage("--user, --company and --company-db must not be empty");
  return options;
}

// ---- The run ------------------------------------------------------------------

const char* NotificationName(int32_t Code) {
  switch (Code) {
    case ncWindowCreated: return "window created";
    case ncWindowShow: return "window shown";
    case ncWindowHide: return "window hidden";
    case ncWindowDestroy: return "window destroyed";
    case ncExtraNotify: return "extra notification";
    default: return "unknown notification";
  }
}

struct TRun {
  TOptions Options;
  std::vector<int32_t> Notifications;

  static void OnNotify(void* Self, int32_t Code, TDLLBaseController* Sender) {
    auto* run = static_cast<TRun*>(Self);
    run->Notifications.push_back(Code);
    if (run->Options.Verbose) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(Code));
      std::cout << "notify " << hex << " (" << NotificationName(Code) << ")" << std::endl;
    }
  }
};

AnsiString DefaultPluginPath() {
  return IncludeTrailingPathDelimiter(ExtractFilePath(GetExecutablePath())) + "ZKPW31C.so";
}

AnsiString InstallationFromRegistry() {
  TRegistry registry;
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly("Software\\KWE\\Tandril")) return AnsiString();
  AnsiString folder = registry.ReadString("ServerPath");
  return folder.empty() ? registry.ReadString("ClientPath") : folder;
}

// Destroys the controller through its root class. The controller's own
// class information stays inside the plug-in (it exports only
// GetController), so the host must not let the compiler expand the
// controller's inline destructor, which refers to it; the virtual destructor
// of the root class reaches the same code.
struct TControllerDelete {
  void operator()(TDLLBaseController* Controller) const { delete static_cast<TObject*>(Controller); }
};

const char* YesNo(bool B) { return B ? "true" : "false"; }

// Open with the session's parameters; prints the answer.
int32_t OpenWindow(TDLLBaseController& Ctrl, const TOptions& O) {
  Variant params = VarArrayOf({Variant(O.User), Variant(O.Company), Variant(O.CompanyDb), Variant(0),
                               ParseRights(O.Rights)});
  int32_t result = Ctrl.Open(params);
  std::cout << "Open: " << result << (result == 0 ? "" : " (the window was not initialised)") << std::endl;
  return result;
}

Variant RunRequest(const std::vector<AnsiString>& Arguments) {
  int mode = 1;
  bool byName = false;
  std::vector<Variant> names, values;
  for (size_t i = 0; i < Arguments.size(); ++i) {
    const std::string arg = Arguments[i];
    if (arg == "--mode") {
      if (i + 1 == Arguments.size()) throw EUsage("--mode needs a value");
      mode = IntOption(arg, Arguments[++i]);
    } else if (arg == "--by-name") {
      byName = true;
    } else if (byName) {
      size_t eq = arg.find('=');
      if (eq == std::string::npos || eq == 0) throw EUsage("with --by-name each value is NAME=VALUE, not \"" + arg + "\"");
      names.push_back(VarArrayOf({Variant(""), Variant(AnsiString(arg.substr(0, eq)))}));
      values.push_back(ParseValue(arg.substr(eq + 1)));
    } else {
      values.push_back(ParseValue(arg));
    }
  }
  if (byName && names.size() != values.size()) throw EUsage("--by-name comes before the values it names");
  Variant v = byName ? VarArrayOf({VarArrayOf(names), VarArrayOf(values)}) : VarArrayOf(values);
  return VarArrayOf({Variant(""), VarArrayOf({Variant(mode), VarArrayOf({Variant(byName), v})})});
}

int RunCommand(TDLLBaseController& Ctrl, TRun& Run) {
  const TOptions& O = Run.Options;
  if (O.Command == "check") {
    Variant info = Unassigned();
    // GetVersion leaves its result as it was when there is no window.
    const WideString marker = u"\x01";
    WideString version = marker;
    Ctrl.GetVersion(version);
    std::cout << "before Open: GetVisible=" << YesNo(Ctrl.GetVisible() != 0) << " GetHandle=" << Ctrl.GetHandle()
              << " ShowModal=" << Describe(Ctrl.ShowModal()) << " GetProgramInfo=" << Ctrl.GetProgramInfo(info)
              << " IsWindowGone=" << YesNo(Ctrl.IsWindowGone())
              << " GetVersion=" << (version == marker ? std::string("untouched") : WideToUtf8(version)) << std::endl;
    if (OpenWindow(Ctrl, O) != 0) return exOpenFailed;
    Ctrl.SetVisible(-1);
    std::cout << "SetVisible(true): GetVisible=" << YesNo(Ctrl.GetVisible() != 0) << std::endl;
    Ctrl.SetVisible(0);
    std::cout << "SetVisible(false): GetVisible=" << YesNo(Ctrl.GetVisible() != 0) << std::endl;
    Ctrl.FreeWindow();
    std::cout << "FreeWindow: IsWindowGone=" << YesNo(Ctrl.IsWindowGone()) << " ResultCode=" << Ctrl.ResultCode
              << " ResultValue=" << Describe(Ctrl.ResultValue) << std::endl;
    return exDone;
  }

  if (OpenWindow(Ctrl, O) != 0) return exOpenFailed;
  if (O.Command == "version") {
    if (!O.Arguments.empty()) throw EUsage("version takes no arguments");
    WideString version;
    Ctrl.GetVersion(version);
    std::cout << "version: " << WideToUtf8(version) << std::endl;
    return exDone;
  }
  if (O.Command == "info") {
    if (!O.Arguments.empty()) throw EUsage("info takes no arguments");
    Variant info = Unassigned();
    int32_t result = Ctrl.GetProgramInfo(info);
    if (result != 0 || !info.IsArray()) {
      std::cout << "GetProgramInfo: " << result << " (no program information)" << std::endl;
      return exNotDone;
    }
    static const char* const kNames[] = {"user", "company", "program code", "program name"};
    for (int i = 0; i < 4 && i <= VarArrayHighBound(info, 1); ++i)
      std::cout << kNames[i] << ": " << Shown(VarToStr(info.GetElement({i}))) << std::endl;
    return exDone;
  }
  if (O.Command == "conditions") {
    int32_t result = Ctrl.RunConditions(RunRequest(O.Arguments));
    std::cout << "RunConditions: " << result << (result == 0 ? " (done)" : " (not done)") << std::endl;
    return result == 0 ? exDone : exNotDone;
  }
  if (O.Command == "command") {
    if (O.Arguments.empty()) throw EUsage("command needs the command number");
    const int number = IntOption("command", O.Arguments[0]);
    std::vector<Variant> args;
    for (size_t i = 1; i < O.Arguments.size(); ++i) args.push_back(ParseValue(O.Arguments[i]));
    int32_t result = Ctrl.RunCommand(number, VarArrayOf(args));
    std::cout << "RunCommand(" << number << "): " << result << (result == 0 ? " (done)" : " (not done)") << std::endl;
    return result == 0 ? exDone : exNotDone;
  }
  // free
  if (!O.Arguments.empty()) throw EUsage("free takes no arguments");
  Ctrl.SetVisible(-1);
  Ctrl.FreeWindow();
  std::cout << "FreeWindow: IsWindowGone=" << YesNo(Ctrl.IsWindowGone()) << " ResultCode=" << Ctrl.ResultCode
            << " ResultValue=" << Describe(Ctrl.ResultValue) << std::endl;
  return exDone;
}

int Main(int Argc, char** Argv) {
  TRun run;
  bool help = false;
  try {
    run.Options = ParseOptions(Argc, Argv, help);
  } catch (const EUsage& e) {
    std::cerr << "kwhost: " << e.what() << " (kwhost --help lists the commands and options)" << std::endl;
    return exUsage;
  }
  if (help) {
    std::cout << kUsage;
    return exDone;
  }
  TOptions& O = run.Options;

  // The installation: the plug-in in this process reads the registry too.
  if (!O.Install.empty()) {
    if (!DirectoryExists(O.Install)) {
      std::cerr << "kwhost: the installation folder " << O.Install << " does not exist" << std::endl;
      return exUsage;
    }
    const AnsiString registry = IncludeTrailingPathDelimiter(O.Install) + "registry.ini";
    if (!std::getenv("KWE_REGISTRY") && FileExists(registry)) setenv("KWE_REGISTRY", registry.c_str(), 1);
  }
  const AnsiString install = O.Install.empty() ? InstallationFromRegistry() : O.Install;

  TAnswerUIDriver driver(std::cerr);
  driver.SetStrict(O.Strict);
  if (!O.Answers.empty()) {
    try {
      driver.LoadAnswersFile(O.Answers);
    } catch (const Exception& e) {
      std::cerr << "kwhost: " << e.Message << std::endl;
      return exUsage;
    }
  }
  TUIDriverScope useDriver(driver);
  std::shared_ptr<const TMessageCatalogue> catalogue;
  if (!O.Messages.empty()) {
    try {
      catalogue = std::make_shared<const TMessageCatalogue>(TMessageCatalogue::LoadFromFile(O.Messages));
    } catch (const Exception& e) {
      std::cerr << "kwhost: " << Shown(e.Message) << std::endl;
      return exUsage;
    }
  }

  const AnsiString pluginPath = O.Plugin.empty() ? DefaultPluginPath() : O.Plugin;
  void* handle = dlopen(pluginPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    std::cerr << "kwhost: cannot load the plug-in " << pluginPath << ": " << (why ? why : "unknown reason") << std::endl;
    return exNoPlugin;
  }
  auto getController = reinterpret_cast<TGetControllerFunction>(dlsym(handle, "GetController"));
  if (!getController) {
    std::cerr << "kwhost: the plug-in " << pluginPath << " exports no GetController" << std::endl;
    return exNoPlugin;
  }
  // The library stays loaded until the process ends: objects it made may
  // outlive the controller (values the host keeps), and unloading it gains
  // nothing for one run.

  int code = exDone;
  try {
    THostSettings settings;
    settings.Database = ReadServerDatabaseConfig(install);
    settings.UserCode = O.User;
    settings.CompanyCode = O.Company;
    settings.CompanyDatabase = O.CompanyDb;
    settings.VersionType = O.VersionType;
    settings.ProductID = O.ProductID;
    settings.Catalogue = catalogue;
    if (!install.empty()) {
      settings.PackageFolders.push_back(install);
      settings.PackageFolders.push_back(IncludeTrailingPathDelimiter(install) + "S_PKG");
    }
    const bool verbose = O.Verbose;
    settings.OnServiceRequest = [verbose](const AnsiString& Line) {
      if (verbose) std::cout << "host: " << Shown(Line) << std::endl;
    };
    RegisterHostManager(settings);
    Variant host = CreateOleObject(HostClassName);

    std::unique_ptr<TDLLBaseController, TControllerDelete> ctrl(getController());
    if (!ctrl) {
      std::cerr << "kwhost: GetController answered no controller" << std::endl;
      return exNoPlugin;
    }
    if (O.Verbose) std::cout << "controller: " << ctrl->ClassName() << std::endl;
    ctrl->Host = host;
    ctrl->OnNotify = TDLLNotifyEvent(&TRun::OnNotify, &run);
    code = RunCommand(*ctrl, run);
    ctrl.reset();  // a window still open is freed first: the host hears 0x130
  } catch (const EUsage& e) {
    std::cerr << "kwhost: " << e.what() << " (kwhost --help lists the commands and options)" << std::endl;
    return exUsage;
  } catch (const Exception& e) {
    std::cerr << "kwhost: " << e.ClassName() << ": " << Shown(e.Message) << std::endl;
    return exError;
  } catch (const std::exception& e) {
    std::cerr << "kwhost: " << e.what() << std::endl;
    return exError;
  }
  if (!driver.Unanswered().empty()) {
    for (const AnsiString& q : driver.Unanswered()) std::cerr << "kwhost: no answer for " << Shown(q) << std::endl;
    if (code == exDone) code = exUnanswered;
  }
  return code;
}

}  // namespace

int main(int Argc, char** Argv) { return Main(Argc, Argv); }
