#include "platform/rtl/Registry.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <set>
#include <vector>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/IniFile.h"
#include "platform/rtl/StringList.h"

namespace {

constexpr const char* kDefaultRegistryFile = "/etc/kwe/registry.ini";

// The key names of a path. "\" inside a double-byte character (a Big5 or GBK
// trail byte) is part of the name, not a separator.
std::vector<AnsiString> SplitKeyPath(const AnsiString& Path) {
  std::vector<AnsiString> parts;
  AnsiString part;
  for (size_t i = 0; i < Path.size();) {
    size_t size = CharSizeAt(Path, i);
    if (size == 1 && Path[i] == '\\') {
      if (!part.empty()) parts.push_back(std::move(part));
      part.clear();
    } else {
      part.append(Path, i, size);
    }
    i += size;
  }
  if (!part.empty()) parts.push_back(std::move(part));
  return parts;
}

AnsiString JoinKeyPath(const std::vector<AnsiString>& Parts) {
  AnsiString path;
  for (const AnsiString& part : Parts) {
    if (!path.empty()) path += '\\';
    path += part;
  }
  return path;
}

// Without empty names: "\a\\b\" is "a\b".
AnsiString NormalizeKeyPath(const AnsiString& Path) { return JoinKeyPath(SplitKeyPath(Trim(Path))); }

AnsiString Fold(const AnsiString& S) { return AnsiUpperCase(S); }

bool IsBelow(const AnsiString& FoldedPath, const AnsiString& FoldedAncestor) {
  return FoldedPath.size() > FoldedAncestor.size() + 1 && FoldedPath.starts_with(FoldedAncestor) &&
         FoldedPath[FoldedAncestor.size()] == '\\';
}

[[noreturn]] void SetDataFailed(const AnsiString& Name) {
  throw ERegistryException("Failed to set data for '" + Name + "'");
}

}  // namespace

AnsiString RegistryFileName() {
  const char* name = std::getenv("KWE_REGISTRY");
  return (name && *name) ? FromSystemPath(name) : AnsiString(kDefaultRegistryFile);
}

AnsiString RootKeyName(HKEY Key) {
  switch (Key) {
    case HKEY_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
    case HKEY_USERS: return "HKEY_USERS";
    case HKEY_PERFORMANCE_DATA: return "HKEY_PERFORMANCE_DATA";
    case HKEY_CURRENT_CONFIG: return "HKEY_CURRENT_CONFIG";
    case HKEY_DYN_DATA: return "HKEY_DYN_DATA";
    default: return {};
  }
}

TRegistry::TRegistry() = default;

TRegistry::~TRegistry() = default;

TIniFile& TRegistry::Store() {
  // Follows KWE_REGISTRY when it changes between calls.
  const AnsiString name = RegistryFileName();
  if (!FStore || FStore->FileName() != name) FStore = std::make_unique<TIniFile>(name);
  return *FStore;
}

bool TRegistry::StoreWritable() const {
  const AnsiString name = RegistryFileName();
  if (FileExists(name)) return ::access(ToSystemPath(name).c_str(), W_OK) == 0;
  const AnsiString dir = ExtractFileDir(name);
  return ::access(dir.empty() ? "." : ToSystemPath(dir).c_str(), W_OK | X_OK) == 0;
}

void TRegistry::SetRootKey(HKEY Value) {
  CloseKey();
  FRootKey = Value;
}

AnsiString TRegistry::FullPath(const AnsiString& Key) const {
  const AnsiString root = RootKeyName(FRootKey);
  if (root.empty()) return {};
  const bool relative = Key.empty() || Key[0] != '\\';
  AnsiString path = NormalizeKeyPath(Key);
  if (relative && FOpen && !FCurrentPath.empty()) path = path.empty() ? FCurrentPath : FCurrentPath + "\\" + path;
  return path.empty() ? root : root + "\\" + path;
}

AnsiString TRegistry::FindSection(const AnsiString& FullPath) {
  const AnsiString folded = Fold(FullPath);
  TStringList sections;
  Store().ReadSections(&sections);
  for (int i = 0; i < sections.Count(); ++i)
    if (Fold(NormalizeKeyPath(sections[i])) == folded) return sections[i];
  return {};
}

bool TRegistry::PathExists(const AnsiString& FullPath) {
  if (FullPath.empty()) return false;
  // A root key always exists.
  if (FullPath == RootKeyName(FRootKey)) return true;
  const AnsiString folded = Fold(FullPath);
  TStringList sections;
  Store().ReadSections(&sections);
  for (int i = 0; i < sections.Count(); ++i) {
    const AnsiString section = Fold(NormalizeKeyPath(sections[i]));
    if (section == folded || IsBelow(section, folded)) return true;
  }
  return false;
}

bool TRegistry::OpenKey(const AnsiString& Key, bool CanCreate) {
  const AnsiString full = FullPath(Key);
  if (full.empty()) return false;
  if (!StoreWritable()) {
    SetLastOSError(EACCES);
    return false;
  }
  if (!PathExists(full)) {
    if (!CanCreate) return false;
    try {
      Store().AddSection(full);
    } catch (const Exception&) {
      return false;
    }
  }
  const AnsiString root = RootKeyName(FRootKey);
  FCurrentPath = full.size() > root.size() ? full.substr(root.size() + 1) : AnsiString();
  FOpen = true;
  FReadOnly = false;
  return true;
}

bool TRegistry::OpenKeyReadOnly(const AnsiString& Key) {
  const AnsiString full = FullPath(Key);
  if (!PathExists(full)) return false;
  const AnsiString root = RootKeyName(FRootKey);
  FCurrentPath = full.size() > root.size() ? full.substr(root.size() + 1) : AnsiString();
  FOpen = true;
  FReadOnly = true;
  return true;
}

void TRegistry::CloseKey() {
  FOpen = false;
  FReadOnly = true;
  FCurrentPath.clear();
}

bool TRegistry::KeyExists(const AnsiString& Key) { return PathExists(FullPath(Key)); }

bool TRegistry::DeleteKey(const AnsiString& Key) {
  const AnsiString full = FullPath(Key);
  if (full.empty() || full == RootKeyName(FRootKey) || !StoreWritable()) return false;
  const AnsiString folded = Fold(full);
  TStringList sections;
  Store().ReadSections(&sections);
  bool deleted = false;
  try {
    for (int i = 0; i < sections.Count(); ++i) {
      const AnsiString section = Fold(NormalizeKeyPath(sections[i]));
      if (section == folded || IsBelow(section, folded)) {
        Store().EraseSection(sections[i]);
        deleted = true;
      }
    }
  } catch (const Exception&) {
    return false;
  }
  return deleted;
}

bool TRegistry::ValueExists(const AnsiString& Name) {
  if (!FOpen) return false;
  const AnsiString section = FindSection(FullPath({}));
  return !section.empty() && Store().ValueExists(section, Name);
}

AnsiString TRegistry::ReadString(const AnsiString& Name) {
  if (!FOpen) return {};
  const AnsiString section = FindSection(FullPath({}));
  return section.empty() ? AnsiString() : Store().ReadString(section, Name, {});
}

void TRegistry::WriteString(const AnsiString& Name, const AnsiString& Value) {
  if (!FOpen || FReadOnly) SetDataFailed(Name);
  const AnsiString full = FullPath({});
  AnsiString section = FindSection(full);
  if (section.empty()) section = full;
  try {
    Store().WriteString(section, Name, Value);
  } catch (const EIniFileException&) {
    SetDataFailed(Name);
  }
}

bool TRegistry::DeleteValue(const AnsiString& Name) {
  if (!FOpen || FReadOnly) return false;
  const AnsiString section = FindSection(FullPath({}));
  if (section.empty() || !Store().ValueExists(section, Name)) return false;
  try {
    Store().DeleteKey(section, Name);
  } catch (const Exception&) {
    return false;
  }
  return true;
}

void TRegistry::GetValueNames(TStrings* Strings) {
  if (!Strings) return;
  const AnsiString section = FOpen ? FindSection(FullPath({})) : AnsiString();
  if (section.empty()) {
    Strings->Clear();
    return;
  }
  Store().ReadSection(section, Strings);
}

void TRegistry::GetKeyNames(TStrings* Strings) {
  if (!Strings) return;
  Strings->BeginUpdate();
  Strings->Clear();
  if (FOpen) {
    const AnsiString folded = Fold(FullPath({}));
    TStringList sections;
    Store().ReadSections(&sections);
    std::set<AnsiString> seen;
    for (int i = 0; i < sections.Count(); ++i) {
      const AnsiString path = NormalizeKeyPath(sections[i]);
      // Upper-casing keeps byte positions, so the folded prefix cuts the
      // original spelling at the same place.
      if (!IsBelow(Fold(path), folded)) continue;
      const AnsiString child = SplitKeyPath(path.substr(folded.size() + 1)).front();
      if (seen.insert(Fold(child)).second) Strings->Add(child);
    }
  }
  Strings->EndUpdate();
}

bool TRegistry::HasSubKeys() {
  TStringList keys;
  GetKeyNames(&keys);
  return keys.Count() > 0;
}
