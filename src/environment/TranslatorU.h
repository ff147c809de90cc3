#pragma once
// TTranslator: GB <-> Big5 text conversion through the outside conversion
// library "Quillex.dll" (the shared library libQuillex.so here).
//
// The library's conversion entry points take one text and give back one text
// of their own making:
//   char* GBtoBIG5(const char* Text, size_t Length, size_t* ResultLength);
//   char* BIG5toGB(const char* Text, size_t Length, size_t* ResultLength);
// The result is allocated with malloc and released here with free.
// "QuillexLastReplacements" (optional) counts the characters the last
// conversion on this thread had to replace.

#include <cstddef>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Object.h"

struct TModuleHandle;

class TTranslator : public TObject {
  KW_DECLARE_CLASS(TTranslator, TObject)
 public:
  using TConvertText = char* (*)(const char* Text, std::size_t Length, std::size_t* ResultLength);
  using TLastReplacements = int (*)();
  using TProc = void (*)();

  // The library's name as the configuration and messages know it.
  static constexpr const char* DefaultLibraryName = "Quillex.dll";

  // Loads the library from beside the plug-in, the installation's package
  // folders or the system library path. Raises Exception "Load Library
  // Quillex.dll Error!" when it cannot be loaded and "Get Library Procedure
  // Address Error!" when either conversion entry point is missing.
  TTranslator();
  // The same with the folders to search after the plug-in's own, and the
  // library name (tests point it at other builds of the library).
  explicit TTranslator(const std::vector<AnsiString>& ExtraFolders, const AnsiString& LibraryName = DefaultLibraryName);
  ~TTranslator() override;
  TTranslator(const TTranslator&) = delete;
  TTranslator& operator=(const TTranslator&) = delete;

  // Big5 text to GB text; the text unchanged when the entry point is missing.
  AnsiString ToGB(const AnsiString& Text) const;
  // GB text to Big5 text; likewise.
  AnsiString ToBig5(const AnsiString& Text) const;
  // Characters replaced by the last conversion on this thread; -1 when the
  // library does not tell.
  int LastReplacements() const;

  // The folders the default constructor searches: the installation folder and
  // its package folders from the client configuration.
  static std::vector<AnsiString> PackageFolders();

  TModuleHandle* Handle() const { return FHandle; }

  // Entry points as looked up; each may be null. GetBIG5Data, GetGBData and
  // SaveOrder are looked up for callers that know them, never called here.
  TConvertText GBtoBIG5 = nullptr;
  TConvertText BIG5toGB = nullptr;
  TProc GetBIG5Data = nullptr;
  TProc GetGBData = nullptr;
  TProc SaveOrder = nullptr;

 private:
  void Load(const std::vector<AnsiString>& ExtraFolders, const AnsiString& LibraryName);
  AnsiString Call(TConvertText Entry, const AnsiString& Text) const;

  TModuleHandle* FHandle = nullptr;
  TLastReplacements FLastReplacements = nullptr;
};
