#include "platform/rtl/Files.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/rtl/CodePages.h"

namespace {

thread_local int tLastOSError = 0;

bool IsSeparator(char C) { return C == '/' || C == '\\'; }

// Calls Visit(index) for every byte that is a character of its own (not part
// of a double-byte character), so separators and dots inside a double-byte
// character (Big5 and GBK trail bytes include "\") are never taken for
// delimiters.
template <class F>
void ForEachSingleByte(const AnsiString& S, F&& Visit) {
  for (size_t i = 0; i < S.size();) {
    const size_t size = CharSizeAt(S, i);
    if (size == 1) Visit(i);
    i += size;
  }
}

// 0-based position of the last single-byte character in Delims, or -1.
long LastDelimiter(const AnsiString& S, const char* Delims) {
  long last = -1;
  ForEachSingleByte(S, [&](size_t i) {
    if (S[i] != '\0' && std::strchr(Delims, S[i])) last = static_cast<long>(i);
  });
  return last;
}

// Days from 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

bool Fail(int Code) {
  tLastOSError = Code;
  return false;
}

bool StatOf(const AnsiString& Name, struct stat& St) {
  if (Name.empty()) return Fail(ENOENT);
  if (::stat(ToSystemPath(Name).c_str(), &St) != 0) return Fail(errno);
  return true;
}

bool WriteAll(int Fd, const char* Data, size_t Size) {
  while (Size > 0) {
    ssize_t n = ::write(Fd, Data, Size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    Data += n;
    Size -= static_cast<size_t>(n);
  }
  return true;
}

std::string SystemDirName(const std::string& Path) {
  size_t slash = Path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return Path.substr(0, slash);
}

// One character of a name or mask: one byte, or two for a double-byte character.
std::vector<std::string_view> SplitCharacters(const AnsiString& S) {
  std::vector<std::string_view> chars;
  for (size_t i = 0; i < S.size();) {
    const size_t len = CharSizeAt(S, i);
    chars.emplace_back(S.data() + i, len);
    i += len;
  }
  return chars;
}

bool SameCharacter(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  if (A.size() == 1) {
    unsigned char a = static_cast<unsigned char>(A[0]), b = static_cast<unsigned char>(B[0]);
    if (a >= 'a' && a <= 'z') a = static_cast<unsigned char>(a - 32);
    if (b >= 'a' && b <= 'z') b = static_cast<unsigned char>(b - 32);
    return a == b;
  }
  return A == B;
}

// The file mapped at Address according to /proc/self/maps; "" when none is.
std::string MappedFileOf(const void* Address) {
  std::FILE* maps = std::fopen("/proc/self/maps", "re");
  if (!maps) return {};
  const auto address = reinterpret_cast<std::uintptr_t>(Address);
  std::string found;
  char line[4096 + 256];
  while (std::fgets(line, sizeof line, maps)) {
    unsigned long long start = 0, end = 0;
    int pathOffset = 0;
    if (std::sscanf(line, "%llx-%llx %*s %*s %*s %*s %n", &start, &end, &pathOffset) < 2) continue;
    if (address < start || address >= end || pathOffset <= 0) continue;
    std::string path = line + pathOffset;
    while (!path.empty() && (path.back() == '\n' || path.back() == ' ')) path.pop_back();
    if (!path.empty() && path[0] == '/') found = path;
    break;
  }
  std::fclose(maps);
  return found;
}

}  // namespace

// ---- Last OS error ----

int GetLastOSError() { return tLastOSError; }
void SetLastOSError(int Code) { tLastOSError = Code; }

AnsiString SysErrorMessage(int Code) {
  // The library loader reports the Windows codes that callers print; the
  // errno values of 126 and 127 (key management) never come from files.
  switch (Code) {
    case 126: return "The specified module could not be found.";
    case 127: return "The specified procedure could not be found.";
    default: break;
  }
  char buffer[256];
  const char* text = strerror_r(Code, buffer, sizeof buffer);
  return FromSystemPath(text);
}

void RaiseLastOSError() { RaiseLastOSError(GetLastOSError()); }

void RaiseLastOSError(int Code) {
  if (Code == 0) throw EOSError("A call to an OS function failed", 0);
  throw EOSError("System Error.  Code: " + std::to_string(Code) + ".\r\n" + SysErrorMessage(Code), Code);
}

// ---- Path parts ----

AnsiString NormalizePath(const AnsiString& Path) {
  AnsiString out;
  out.reserve(Path.size());
  bool lastWasSeparator = false;
  for (size_t i = 0; i < Path.size();) {
    if (CharSizeAt(Path, i) == 2) {
      out.append(Path, i, 2);
      i += 2;
      lastWasSeparator = false;
      continue;
    }
    if (IsSeparator(Path[i])) {
      // A leading pair stays: it marks a network path.
      if (!lastWasSeparator || out.size() == 1) out.push_back('/');
      lastWasSeparator = true;
    } else {
      out.push_back(Path[i]);
      lastWasSeparator = false;
    }
    ++i;
  }
  return out;
}

bool IsPathDelimiter(const AnsiString& S, int Index) {
  if (Index < 1 || Index > static_cast<int>(S.size())) return false;
  bool result = false;
  ForEachSingleByte(S, [&](size_t i) {
    if (static_cast<int>(i) == Index - 1) result = IsSeparator(S[i]);
  });
  return result;
}

AnsiString ExtractFilePath(const AnsiString& FileName) {
  return FileName.substr(0, static_cast<size_t>(LastDelimiter(FileName, "/\\") + 1));
}

AnsiString ExtractFileDir(const AnsiString& FileName) {
  long i = LastDelimiter(FileName, "/\\");
  // Drop the final separator unless it is the root's or follows another one.
  if (i > 0 && !IsPathDelimiter(FileName, static_cast<int>(i))) return FileName.substr(0, static_cast<size_t>(i));
  return FileName.substr(0, static_cast<size_t>(i + 1));
}

AnsiString ExtractFileName(const AnsiString& FileName) {
  return FileName.substr(static_cast<size_t>(LastDelimiter(FileName, "/\\") + 1));
}

AnsiString ExtractFileExt(const AnsiString& FileName) {
  long i = LastDelimiter(FileName, "./\\");
  if (i >= 0 && FileName[static_cast<size_t>(i)] == '.') return FileName.substr(static_cast<size_t>(i));
  return {};
}

AnsiString ChangeFileExt(const AnsiString& FileName, const AnsiString& Extension) {
  long i = LastDelimiter(FileName, "./\\");
  if (i < 0 || FileName[static_cast<size_t>(i)] != '.') return FileName + Extension;
  return FileName.substr(0, static_cast<size_t>(i)) + Extension;
}

AnsiString IncludeTrailingPathDelimiter(const AnsiString& S) {
  if (IsPathDelimiter(S, static_cast<int>(S.size()))) return S;
  return S + "/";
}

AnsiString ExcludeTrailingPathDelimiter(const AnsiString& S) {
  if (IsPathDelimiter(S, static_cast<int>(S.size()))) return S.substr(0, S.size() - 1);
  return S;
}

AnsiString GetCurrentDir() {
  std::string buffer(256, '\0');
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) {
      tLastOSError = errno;
      return {};
    }
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(std::strlen(buffer.c_str()));
  return FromSystemPath(buffer);
}

AnsiString ExpandFileName(const AnsiString& FileName) {
  if (FileName.empty()) return {};
  AnsiString path = NormalizePath(FileName);
  if (path[0] != '/') path = IncludeTrailingPathDelimiter(GetCurrentDir()) + path;
  const bool trailing = path.size() > 1 && path.back() == '/';

  std::vector<AnsiString> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    AnsiString part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    start = end + 1;
  }
  AnsiString result;
  for (const AnsiString& part : parts) result += "/" + part;
  if (result.empty()) return "/";
  if (trailing) result += "/";
  return result;
}

// ---- Files and folders ----

bool FileExists(const AnsiString& FileName) {
  struct stat st;
  if (!StatOf(FileName, st)) return false;
  if (S_ISDIR(st.st_mode)) return Fail(EISDIR);
  return true;
}

bool DirectoryExists(const AnsiString& Directory) {
  struct stat st;
  if (!StatOf(Directory, st)) return false;
  if (!S_ISDIR(st.st_mode)) return Fail(ENOTDIR);
  return true;
}

bool ForceDirectories(const AnsiString& Directory) {
  if (Directory.empty()) return Fail(ENOENT);
  const std::string path = ToSystemPath(NormalizePath(Directory));
  // Create each missing level from the top; an existing folder at any level
  // is fine, a file in the way is not.
  for (size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos != path.size() && path[pos] != '/') continue;
    const std::string level = path.substr(0, pos);
    if (level.empty() || level == "/" || level == "//") continue;
    if (::mkdir(level.c_str(), 0777) == 0) continue;
    int err = errno;
    struct stat st;
    if (::stat(level.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
    return Fail(err == EEXIST ? ENOTDIR : err);
  }
  return true;
}

bool CreateDir(const AnsiString& Directory) {
  if (Directory.empty()) return Fail(ENOENT);
  if (::mkdir(ToSystemPath(Directory).c_str(), 0777) != 0) return Fail(errno);
  return true;
}

bool RemoveDir(const AnsiString& Directory) {
  if (Directory.empty()) return Fail(ENOENT);
  if (::rmdir(ToSystemPath(Directory).c_str()) != 0) return Fail(errno);
  return true;
}

bool DeleteFile(const AnsiString& FileName) {
  if (FileName.empty()) return Fail(ENOENT);
  if (::unlink(ToSystemPath(FileName).c_str()) != 0) return Fail(errno);
  return true;
}

bool RenameFile(const AnsiString& OldName, const AnsiString& NewName) {
  if (OldName.empty() || NewName.empty()) return Fail(ENOENT);
  const std::string from = ToSystemPath(OldName), to = ToSystemPath(NewName);
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return Fail(errno);
  // A file system without the no-replace flag: check, then rename.
  struct stat st;
  if (::lstat(to.c_str(), &st) == 0) return Fail(EEXIST);
  if (::rename(from.c_str(), to.c_str()) != 0) return Fail(errno);
  return true;
}

bool FileAge(const AnsiString& FileName, TDateTime& Age) {
  struct stat st;
  if (!StatOf(FileName, st) || S_ISDIR(st.st_mode)) return false;
  struct tm local;
  time_t seconds = st.st_mtim.tv_sec;
  if (!::localtime_r(&seconds, &local)) return Fail(EOVERFLOW);
  const long long days = DaysFromCivil(local.tm_year + 1900LL, static_cast<unsigned>(local.tm_mon + 1),
                                       static_cast<unsigned>(local.tm_mday)) -
                         DaysFromCivil(1899, 12, 30);
  const double dayFraction =
      (local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + st.st_mtim.tv_nsec / 1e9) / 86400.0;
  Age = TDateTime(static_cast<double>(days) + dayFraction);
  return true;
}

long long FileSizeOf(const AnsiString& FileName) {
  struct stat st;
  if (!StatOf(FileName, st) || S_ISDIR(st.st_mode)) return -1;
  return static_cast<long long>(st.st_size);
}

bool MatchesMask(const AnsiString& Name, const AnsiString& Pattern) {
  const std::vector<std::string_view> name = SplitCharacters(Name);
  static const AnsiString anything = "*";
  const std::vector<std::string_view> mask = SplitCharacters(Pattern == "*.*" ? anything : Pattern);
  // Greedy match that backtracks to the last "*" on a mismatch.
  size_t n = 0, m = 0, starMask = std::string::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == "*") {
      starMask = m++;
      starName = n;
    } else if (m < mask.size() && (mask[m] == "?" || SameCharacter(mask[m], name[n]))) {
      ++m;
      ++n;
    } else if (starMask != std::string::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == "*") ++m;
  return m == mask.size();
}

std::vector<AnsiString> FindFiles(const AnsiString& Folder, const AnsiString& Pattern, bool IncludeDirectories) {
  std::vector<AnsiString> names;
  const std::string folder = Folder.empty() ? std::string(".") : ToSystemPath(Folder);
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) {
    tLastOSError = errno;
    return names;
  }
  const int dirFd = ::dirfd(dir);
  while (dirent* entry = ::readdir(dir)) {
    const std::string raw = entry->d_name;
    if (raw == "." || raw == "..") continue;
    struct stat st;
    const bool isDir = ::fstatat(dirFd, raw.c_str(), &st, 0) == 0 && S_ISDIR(st.st_mode);
    if (isDir && !IncludeDirectories) continue;
    AnsiString name = FromSystemPath(raw);
    if (MatchesMask(name, Pattern)) names.push_back(std::move(name));
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

bool ReadFileBytes(const AnsiString& FileName, AnsiString& Bytes) {
  if (FileName.empty()) return Fail(ENOENT);
  int fd = ::open(ToSystemPath(FileName).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Fail(errno);
  AnsiString content;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      return Fail(err);
    }
    content.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  Bytes = std::move(content);
  return true;
}

bool WriteFileBytes(const AnsiString& FileName, const AnsiString& Bytes) {
  if (FileName.empty()) return Fail(ENOENT);
  std::string target = ToSystemPath(FileName);
  // Write through a symbolic link to the file it names.
  struct stat linkSt;
  if (::lstat(target.c_str(), &linkSt) == 0 && S_ISLNK(linkSt.st_mode)) {
    if (char* real = ::realpath(target.c_str(), nullptr)) {
      target = real;
      std::free(real);
    }
  }
  struct stat old;
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) return Fail(EISDIR);

  // The temporary file lives in the target's folder so that the rename stays
  // on one file system and is atomic. Created with O_EXCL and mode 0666, so
  // the umask applies as for any new file.
  static std::atomic<unsigned> counter{0};
  struct timespec now;
  ::clock_gettime(CLOCK_REALTIME, &now);
  const std::string dir = SystemDirName(target);
  const std::string base = target.substr(target.rfind('/') == std::string::npos ? 0 : target.rfind('/') + 1);
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%d.%u.%08lx.tmp", static_cast<int>(::getpid()), counter++,
                  static_cast<unsigned long>(now.tv_nsec));
    temp = dir + "/." + base + suffix;
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return Fail(errno);
  }
  if (fd < 0) return Fail(EEXIST);

  auto abandon = [&](int err) {
    ::close(fd);
    ::unlink(temp.c_str());
    return Fail(err);
  };
  if (!WriteAll(fd, Bytes.data(), Bytes.size())) return abandon(errno);
  if (exists) {
    // Keep the file's permissions (and owner where we may).
    if (::fchmod(fd, old.st_mode & 07777) != 0) return abandon(errno);
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
      // Not permitted for other users' files; the new file keeps ours.
    }
  }
  if (::fsync(fd) != 0) return abandon(errno);
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    return Fail(err);
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    return Fail(err);
  }
  // Make the rename itself durable.
  int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

// ---- The process and its environment ----

AnsiString GetTempPath() {
  const char* tmp = std::getenv("TMPDIR");
  AnsiString path = (tmp && *tmp) ? FromSystemPath(tmp) : AnsiString("/tmp");
  return IncludeTrailingPathDelimiter(path);
}

AnsiString GetCurrentUserName() {
  struct passwd entry;
  struct passwd* found = nullptr;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name &&
      *found->pw_name)
    return FromSystemPath(found->pw_name);
  for (const char* variable : {"USER", "LOGNAME"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return FromSystemPath(value);
  }
  return {};
}

AnsiString GetExecutablePath() {
  std::string buffer(256, '\0');
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) {
      tLastOSError = errno;
      return {};
    }
    if (static_cast<size_t>(n) < buffer.size()) {
      buffer.resize(static_cast<size_t>(n));
      return FromSystemPath(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

AnsiString GetModulePathOfAddress(const void* Address) {
  if (!Address) return {};
  Dl_info info;
  link_map* map = nullptr;
  if (::dladdr1(Address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 || !map) return {};
  // The program itself has an empty name in the loader's list.
  if (!map->l_name || !*map->l_name) return GetExecutablePath();
  if (map->l_name[0] == '/') return FromSystemPath(map->l_name);
  // A library loaded by a relative path keeps that name, which the current
  // folder may no longer explain; the kernel's map of the process knows the
  // file behind the address.
  const std::string mapped = MappedFileOf(Address);
  return FromSystemPath(mapped.empty() ? map->l_name : mapped);
}

std::string ToSystemPath(const AnsiString& Path) {
  if (std::all_of(Path.begin(), Path.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return Path;
  return AnsiToUtf8(Path);
}

AnsiString FromSystemPath(const std::string& Path) {
  if (std::all_of(Path.begin(), Path.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return Path;
  return Utf8ToAnsi(Path);
}
