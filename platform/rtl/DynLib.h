#pragma once
// Libraries loaded at run time by name.
//
// A Windows library name such as "Quillex.dll" (or "Quillex") loads the shared
// library that stands in for it: "libQuillex.so", else "Quillex.so", looked
// for first in the folder of the module that asks (the library or program
// holding CallerAddress; by default the module this run-time library is
// linked into), then in ExtraFolders in order, then on the system library
// path. Within a folder a name that differs only in case counts too, since
// the names come from a platform whose file names ignore case. The first
// file found is the one loaded: when it cannot be loaded the
// search stops with that file's error, as on the run-time's home platform.
//
// A name ending in ".so" (or holding ".so.", like "libz.so.1") goes to the
// system loader as it is. A path (a name with "/" or "\") is loaded as given;
// a path naming a ".dll" that is not there loads the stand-in beside it.
//
// Failures set GetLastOSError() to the Windows code callers print:
// 126 "The specified module could not be found." when no file was found or
// the file is not a loadable library, 127 "The specified procedure could not
// be found." for a missing entry point (also one the library itself needs).
// LastLibraryError() gives the loader's own explanation.

#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Files.h"

struct TModuleHandle;
// A loaded library; nullptr means none.
using HMODULE = TModuleHandle*;

constexpr int ERROR_MOD_NOT_FOUND = 126;
constexpr int ERROR_PROC_NOT_FOUND = 127;

HMODULE LoadLibrary(const AnsiString& Name, const std::vector<AnsiString>& ExtraFolders = {},
                    const void* CallerAddress = nullptr);
// The exported function or variable; nullptr (code 127) when it is missing.
void* GetProcAddress(HMODULE Module, const char* ProcName);
// Releases one load of the library; false for a null or invalid handle.
bool FreeLibrary(HMODULE Module);
// Full path of a loaded library ("" for a null handle).
AnsiString GetModuleFileName(HMODULE Module);
// The loader's text for the last failure of LoadLibrary or GetProcAddress on
// this thread ("" after a success).
AnsiString LastLibraryError();

// The candidate file names for a library name, in search order: for
// "Quillex.dll" {"libQuillex.so", "Quillex.so"}; a ".so" name stays alone.
std::vector<AnsiString> LibraryFileNames(const AnsiString& Name);
