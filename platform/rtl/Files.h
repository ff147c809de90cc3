#pragma once
// Paths, files and folders, and the few facts about the running process that
// callers ask the system for (temporary folder, user name, executable and
// module paths).
//
// Paths we build use "/". Path functions accept "\" as a separator too,
// because configuration values and stored names carry Windows-style paths;
// NormalizePath turns such a value into a path of this system. Paths are
// AnsiStrings in the process code page; they are converted to the file
// system's UTF-8 names at the system call and back, as the ANSI file
// functions of the run-time's home platform do.
//
// Functions that report failure by a false or empty result leave the reason in
// GetLastOSError() (the system's errno value).

#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/ValueTypes.h"

// Stream errors: a file could not be opened for reading or created.
KW_DECLARE_EXCEPTION(EStreamError, Exception)
KW_DECLARE_EXCEPTION(EFOpenError, EStreamError)
KW_DECLARE_EXCEPTION(EFCreateError, EStreamError)

// ---- The last operating-system error of the calling thread ----

// errno values for file and folder operations; the library loader sets the
// Windows codes 126 (module not found) and 127 (procedure not found).
int GetLastOSError();
void SetLastOSError(int Code);
// The text of a code from GetLastOSError.
AnsiString SysErrorMessage(int Code);
// Raises EOSError "System Error.  Code: N.\r\n<text>" for the code (default: the
// last error).
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(int Code);

// ---- Path parts (both "/" and "\" separate; double-byte characters are never split) ----

// "\" becomes "/" and runs of separators collapse to one, except a leading
// pair (a network path such as \\server\share).
AnsiString NormalizePath(const AnsiString& Path);
bool IsPathDelimiter(const AnsiString& S, int Index);  // 1-based Index
// Folder part including the final separator ("" when there is none).
AnsiString ExtractFilePath(const AnsiString& FileName);
// Folder part without the final separator, except for the root "/".
AnsiString ExtractFileDir(const AnsiString& FileName);
AnsiString ExtractFileName(const AnsiString& FileName);
// Extension with its dot (".txt"); "" when the name part has no dot.
AnsiString ExtractFileExt(const AnsiString& FileName);
// Replaces the name part's extension (Extension includes its dot); adds it when
// there is none.
AnsiString ChangeFileExt(const AnsiString& FileName, const AnsiString& Extension);
AnsiString IncludeTrailingPathDelimiter(const AnsiString& S);
AnsiString ExcludeTrailingPathDelimiter(const AnsiString& S);
// Absolute, normalised path: relative to the current folder, with "." and
// ".." resolved by name (symbolic links are not followed).
AnsiString ExpandFileName(const AnsiString& FileName);
AnsiString GetCurrentDir();

// ---- Files and folders ----

bool FileExists(const AnsiString& FileName);       // an existing non-folder
bool DirectoryExists(const AnsiString& Directory);
// Creates the folder and any missing parents; true when it exists afterwards.
// An empty name gives false.
bool ForceDirectories(const AnsiString& Directory);
bool CreateDir(const AnsiString& Directory);       // the parent must exist
bool RemoveDir(const AnsiString& Directory);       // must be empty
bool DeleteFile(const AnsiString& FileName);
// Fails when NewName exists (the target is never replaced silently).
bool RenameFile(const AnsiString& OldName, const AnsiString& NewName);
// Last modification time in local time; false when the file is missing.
bool FileAge(const AnsiString& FileName, TDateTime& Age);
// Size in bytes, -1 when the file is missing.
long long FileSizeOf(const AnsiString& FileName);
// Names (not paths) of the entries of Folder matching Pattern, sorted by
// byte value. Wildcards: "*" any run, "?" one character; letters match
// regardless of case, "*.*" matches every name. Folders are listed only when
// IncludeDirectories is set; "." and ".." never.
std::vector<AnsiString> FindFiles(const AnsiString& Folder, const AnsiString& Pattern,
                                  bool IncludeDirectories = false);
// Whether Name matches Pattern under FindFiles' rules.
bool MatchesMask(const AnsiString& Name, const AnsiString& Pattern);

// Whole-file helpers. Reading fills Bytes (false on failure, Bytes untouched).
// Writing goes to a temporary file beside the target that then replaces it,
// so a crash leaves the old or the new content, never a mix; an existing file
// keeps its permissions, and a symbolic link keeps pointing at the written file.
bool ReadFileBytes(const AnsiString& FileName, AnsiString& Bytes);
bool WriteFileBytes(const AnsiString& FileName, const AnsiString& Bytes);

// ---- The process and its environment ----

// TMPDIR when set, else "/tmp"; always with a trailing "/".
AnsiString GetTempPath();
// The user name from the password database, else $USER, else "".
AnsiString GetCurrentUserName();
// Full path of the running program.
AnsiString GetExecutablePath();
// Full path of the shared library or program whose code or data holds
// Address; "" when no loaded module does.
AnsiString GetModulePathOfAddress(const void* Address);

// Path conversions at the system boundary: process code page to the file
// system's UTF-8 and back.
std::string ToSystemPath(const AnsiString& Path);
AnsiString FromSystemPath(const std::string& Path);
