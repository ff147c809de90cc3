#pragma once
// The system registry, kept in a file.
//
// The file is named by the environment variable KWE_REGISTRY, else it is
// /etc/kwe/registry.ini. It is an INI file (see IniFile.h) whose sections are
// full key paths and whose lines are the key's string values:
//
//   [HKEY_LOCAL_MACHINE\Software\KWE\Tandril]
//   ClientPath=/opt/kwe/tandril/
//
// A key exists when its own section or a section below it is there, so the
// keys above a stored key exist too. Key paths compare ignoring case; repeated
// or trailing "\" do not matter. Values are strings only.

#include <cstdint>
#include <memory>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"

class TStrings;
class TIniFile;

using HKEY = std::uint32_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr HKEY HKEY_USERS = 0x80000003u;
constexpr HKEY HKEY_PERFORMANCE_DATA = 0x80000004u;
constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;
constexpr HKEY HKEY_DYN_DATA = 0x80000006u;

// The registry file in use: $KWE_REGISTRY when set, else the system default.
AnsiString RegistryFileName();
// "HKEY_LOCAL_MACHINE" for HKEY_LOCAL_MACHINE and so on; "" for an unknown key.
AnsiString RootKeyName(HKEY Key);

class TRegistry : public TObject {
  KW_DECLARE_CLASS(TRegistry, TObject)
 public:
  // The root starts as HKEY_CURRENT_USER, as in the run-time.
  TRegistry();
  ~TRegistry() override;
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKEY RootKey() const { return FRootKey; }
  // Closes the open key.
  void SetRootKey(HKEY Value);
  // Path of the open key below the root ("" when none is open).
  const AnsiString& CurrentPath() const { return FCurrentPath; }
  bool HasOpenKey() const { return FOpen; }

  // Key paths starting with "\" are taken from the root; others from the open
  // key, or from the root when none is open. "" opens the base key itself.
  // Opening for writing fails when the registry file may not be written;
  // with CanCreate a missing key is created (and saved at once).
  bool OpenKey(const AnsiString& Key, bool CanCreate);
  bool OpenKeyReadOnly(const AnsiString& Key);
  void CloseKey();
  bool KeyExists(const AnsiString& Key);
  // Removes the key with every key below it; needs a writable registry file.
  bool DeleteKey(const AnsiString& Key);

  // Values of the open key. Reading a missing value gives "".
  bool ValueExists(const AnsiString& Name);
  AnsiString ReadString(const AnsiString& Name);
  // Raises ERegistryException "Failed to set data for 'Name'" unless the key was
  // opened for writing, or when the file cannot be written.
  void WriteString(const AnsiString& Name, const AnsiString& Value);
  bool DeleteValue(const AnsiString& Name);
  // These replace the list's contents: the open key's value names, and the
  // names of the keys directly below it.
  void GetValueNames(TStrings* Strings);
  void GetKeyNames(TStrings* Strings);
  bool HasSubKeys();

 private:
  TIniFile& Store();
  // Full key path (root name included) for a key argument, or "" when the
  // root key is unknown.
  AnsiString FullPath(const AnsiString& Key) const;
  // The section that holds the key exactly, as the file spells it; "".
  AnsiString FindSection(const AnsiString& FullPath);
  bool PathExists(const AnsiString& FullPath);
  bool StoreWritable() const;

  HKEY FRootKey = HKEY_CURRENT_USER;
  AnsiString FCurrentPath;
  bool FOpen = false;
  bool FReadOnly = true;
  std::unique_ptr<TIniFile> FStore;
};
