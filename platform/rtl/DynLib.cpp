#include "platform/rtl/DynLib.h"

#include <dlfcn.h>
#include <link.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/rtl/AnsiText.h"

namespace {

thread_local AnsiString tLastLibraryError;

// Handles given out and how often each was loaded, so that a handle that is
// not ours (or freed already) is refused instead of reaching the loader.
std::mutex gModulesMutex;
std::map<void*, int> gModules;

HMODULE Remember(void* Handle) {
  std::lock_guard<std::mutex> lock(gModulesMutex);
  ++gModules[Handle];
  return static_cast<HMODULE>(Handle);
}

bool IsKnown(HMODULE Module) {
  std::lock_guard<std::mutex> lock(gModulesMutex);
  return Module && gModules.count(Module) != 0;
}

HMODULE Succeed(void* Handle) {
  tLastLibraryError.clear();
  SetLastOSError(0);
  return Remember(Handle);
}

HMODULE FailWith(int Code, const AnsiString& Text) {
  tLastLibraryError = Text;
  SetLastOSError(Code);
  return nullptr;
}

// A library whose own imports cannot be resolved fails like a missing entry
// point; everything else the loader refuses counts as a module not found.
HMODULE FailFromLoader(const char* Error) {
  const AnsiString text = Error ? FromSystemPath(Error) : AnsiString("unknown loader error");
  const bool symbol = text.find("undefined symbol") != AnsiString::npos;
  return FailWith(symbol ? ERROR_PROC_NOT_FOUND : ERROR_MOD_NOT_FOUND, text);
}

void* Open(const AnsiString& FileName) { return ::dlopen(ToSystemPath(FileName).c_str(), RTLD_NOW | RTLD_LOCAL); }

bool EndsWithText(const AnsiString& S, const char* Suffix) {
  const size_t n = std::strlen(Suffix);
  return S.size() >= n && SameText(S.substr(S.size() - n), Suffix);
}

bool IsSharedObjectName(const AnsiString& Name) {
  return EndsWithText(Name, ".so") || Name.find(".so.") != AnsiString::npos;
}

// The file in Folder named Name, or named like it ignoring case: library
// names come from code written for a file system that ignores case
// ("XS.DLL"). "" when there is none.
AnsiString FindInFolder(const AnsiString& Folder, const AnsiString& Name) {
  const AnsiString folder = IncludeTrailingPathDelimiter(Folder);
  if (FileExists(folder + Name)) return folder + Name;
  if (Name.find_first_of("*?") != AnsiString::npos) return {};
  const std::vector<AnsiString> matches = FindFiles(Folder, Name);
  return matches.empty() ? AnsiString() : folder + matches.front();
}

// Loads the first candidate that exists in Folder. Found tells whether one did.
HMODULE LoadFromFolder(const AnsiString& Folder, const std::vector<AnsiString>& Candidates, bool& Found) {
  for (const AnsiString& candidate : Candidates) {
    const AnsiString path = FindInFolder(Folder, candidate);
    if (path.empty()) continue;
    Found = true;
    if (void* handle = Open(path)) return Succeed(handle);
    return FailFromLoader(::dlerror());
  }
  return nullptr;
}

AnsiString JoinNames(const std::vector<AnsiString>& Names) {
  AnsiString text;
  for (size_t i = 0; i < Names.size(); ++i) {
    if (i > 0) text += i + 1 == Names.size() ? " or " : ", ";
    text += Names[i];
  }
  return text;
}

}  // namespace

std::vector<AnsiString> LibraryFileNames(const AnsiString& Name) {
  if (IsSharedObjectName(Name)) return {Name};
  AnsiString stem = Name;
  if (EndsWithText(stem, ".dll")) stem.resize(stem.size() - 4);
  if (stem.empty()) return {};
  return {"lib" + stem + ".so", stem + ".so"};
}

HMODULE LoadLibrary(const AnsiString& Name, const std::vector<AnsiString>& ExtraFolders, const void* CallerAddress) {
  if (Name.empty()) return FailWith(ERROR_MOD_NOT_FOUND, "No library name given");

  // A path: as given, else the stand-in beside a missing ".dll".
  if (Name.find_first_of("/\\") != AnsiString::npos) {
    const AnsiString path = NormalizePath(Name);
    if (FileExists(path)) {
      if (void* handle = Open(path)) return Succeed(handle);
      return FailFromLoader(::dlerror());
    }
    const std::vector<AnsiString> candidates = LibraryFileNames(ExtractFileName(path));
    if (!IsSharedObjectName(ExtractFileName(path)) && !candidates.empty()) {
      bool found = false;
      HMODULE module = LoadFromFolder(ExtractFilePath(path), candidates, found);
      if (found) return module;
    }
    return FailWith(ERROR_MOD_NOT_FOUND, Name + ": no such library");
  }

  if (IsSharedObjectName(Name)) {
    if (void* handle = Open(Name)) return Succeed(handle);
    return FailFromLoader(::dlerror());
  }

  const std::vector<AnsiString> candidates = LibraryFileNames(Name);
  std::vector<AnsiString> folders;
  static const int self = 0;
  const AnsiString caller = GetModulePathOfAddress(CallerAddress ? CallerAddress : &self);
  if (!caller.empty()) folders.push_back(ExtractFilePath(caller));
  for (const AnsiString& folder : ExtraFolders)
    if (!folder.empty()) folders.push_back(NormalizePath(folder));

  for (const AnsiString& folder : folders) {
    bool found = false;
    HMODULE module = LoadFromFolder(folder, candidates, found);
    if (found) return module;
  }
  // The system library path. A library that is there but broken ends the search.
  for (const AnsiString& candidate : candidates) {
    if (void* handle = Open(candidate)) return Succeed(handle);
    const char* error = ::dlerror();
    if (error && !std::strstr(error, "No such file or directory")) return FailFromLoader(error);
  }
  AnsiString where;
  for (const AnsiString& folder : folders) where += IncludeTrailingPathDelimiter(folder) + ", ";
  return FailWith(ERROR_MOD_NOT_FOUND, Name + ": no " + JoinNames(candidates) + " in " + where +
                                           "or on the system library path");
}

void* GetProcAddress(HMODULE Module, const char* ProcName) {
  if (!IsKnown(Module)) {
    tLastLibraryError = "Invalid library handle";
    SetLastOSError(EBADF);
    return nullptr;
  }
  if (!ProcName || !*ProcName) {
    tLastLibraryError = "No procedure name given";
    SetLastOSError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  ::dlerror();
  void* address = ::dlsym(Module, ProcName);
  if (!address) {
    const char* error = ::dlerror();
    tLastLibraryError = error ? FromSystemPath(error) : AnsiString("undefined symbol: ") + ProcName;
    SetLastOSError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  tLastLibraryError.clear();
  SetLastOSError(0);
  return address;
}

bool FreeLibrary(HMODULE Module) {
  {
    std::lock_guard<std::mutex> lock(gModulesMutex);
    auto it = Module ? gModules.find(Module) : gModules.end();
    if (it == gModules.end()) {
      SetLastOSError(EBADF);
      return false;
    }
    if (--it->second == 0) gModules.erase(it);
  }
  if (::dlclose(Module) != 0) {
    const char* error = ::dlerror();
    tLastLibraryError = error ? FromSystemPath(error) : AnsiString("dlclose failed");
    return false;
  }
  return true;
}

AnsiString GetModuleFileName(HMODULE Module) {
  if (!IsKnown(Module)) return {};
  link_map* map = nullptr;
  if (::dlinfo(Module, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name) return {};
  if (!*map->l_name) return GetExecutablePath();
  // The library's dynamic section lies inside it.
  return GetModulePathOfAddress(map->l_ld);
}

AnsiString LastLibraryError() { return tLastLibraryError; }
