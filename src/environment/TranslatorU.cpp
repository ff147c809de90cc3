#include "src/environment/TranslatorU.h"

#include <cstdlib>
#include <memory>

#include "platform/rtl/DynLib.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/StringList.h"
#include "src/environment/TandrilINI.h"

namespace {

template <class TFunc>
TFunc Lookup(HMODULE Module, const char* Name) {
  return reinterpret_cast<TFunc>(GetProcAddress(Module, Name));
}

}  // namespace

TTranslator::TTranslator() { Load(PackageFolders(), DefaultLibraryName); }

TTranslator::TTranslator(const std::vector<AnsiString>& ExtraFolders, const AnsiString& LibraryName) {
  Load(ExtraFolders, LibraryName);
}

TTranslator::~TTranslator() {
  if (FHandle) FreeLibrary(FHandle);
}

std::vector<AnsiString> TTranslator::PackageFolders() {
  std::vector<AnsiString> folders;
  TTandrilIniC ini;
  if (!ini.ClientPath.empty()) folders.push_back(ini.ClientPath);
  // After a failed read the package lines are "name=value" text, not folders.
  if (ini.ErrorCode.empty())
    for (int i = 0; i < ini.WorkDLLPaths->Count(); ++i) folders.push_back(ini.WorkDLLPaths->Strings(i));
  return folders;
}

void TTranslator::Load(const std::vector<AnsiString>& ExtraFolders, const AnsiString& LibraryName) {
  FHandle = LoadLibrary(LibraryName, ExtraFolders);
  if (!FHandle) throw Exception(Format("Load Library %s Error!", {LibraryName}));
  GBtoBIG5 = Lookup<TConvertText>(FHandle, "GBtoBIG5");
  BIG5toGB = Lookup<TConvertText>(FHandle, "BIG5toGB");
  GetBIG5Data = Lookup<TProc>(FHandle, "GetBIG5Data");
  GetGBData = Lookup<TProc>(FHandle, "GetGBData");
  SaveOrder = Lookup<TProc>(FHandle, "SaveOrder");
  FLastReplacements = Lookup<TLastReplacements>(FHandle, "QuillexLastReplacements");
  if (!GBtoBIG5 || !BIG5toGB) {
    // The destructor does not run for a constructor that raises.
    FreeLibrary(FHandle);
    FHandle = nullptr;
    throw Exception("Get Library Procedure Address Error!");
  }
}

AnsiString TTranslator::Call(TConvertText Entry, const AnsiString& Text) const {
  if (!Entry) return Text;
  std::size_t length = 0;
  std::unique_ptr<char, void (*)(void*)> result(Entry(Text.data(), Text.size(), &length), std::free);
  if (!result) throw Exception(Format("%s could not convert the text", {GetModuleFileName(FHandle)}));
  return AnsiString(result.get(), length);
}

AnsiString TTranslator::ToGB(const AnsiString& Text) const { return Call(BIG5toGB, Text); }

AnsiString TTranslator::ToBig5(const AnsiString& Text) const { return Call(GBtoBIG5, Text); }

int TTranslator::LastReplacements() const { return FLastReplacements ? FLastReplacements() : -1; }
