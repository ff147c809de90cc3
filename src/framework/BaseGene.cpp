#include "src/framework/BaseGene.h"

#include <algorithm>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/FormClass.h"

KW_REGISTER_FORM(TfrmBaseGene)

TfrmBaseGene::TfrmBaseGene(TComponent* AOwner) : TForm(AOwner) {}

namespace {

AnsiString FileNameOf(const AnsiString& Path) {
  size_t Slash = Path.find_last_of("/\\");
  return Slash == AnsiString::npos ? Path : Path.substr(Slash + 1);
}

AnsiString ExtensionOf(const AnsiString& Name) {
  size_t Dot = Name.rfind('.');
  return Dot == AnsiString::npos ? AnsiString() : Name.substr(Dot);
}

AnsiString Upper(AnsiString S) {
  std::transform(S.begin(), S.end(), S.begin(),
                 [](char C) { return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C; });
  return S;
}

}  // namespace

void TfrmBaseGene::SetModulePath(const AnsiString& Path) {
  ModulePath = Path;
  if (!IsLibrary()) Initialize(VarArrayOf({"796", "QVTest60", "QVTest60"}));
}

bool TfrmBaseGene::IsLibrary() const { return Upper(ExtensionOf(FileNameOf(ModulePath))) == ".SO"; }

AnsiString TfrmBaseGene::ProgramCodeFromPath(const AnsiString& Path, bool Library) {
  AnsiString Name = FileNameOf(Path);
  long N = static_cast<long>(Name.size()) - static_cast<long>(ExtensionOf(Name).size()) - (Library ? 1 : 2);
  return Upper(Name.substr(0, N < 6 ? 6 : static_cast<size_t>(N)));
}

bool TfrmBaseGene::Initialize(const Variant& Params) {
  if (!CompanyCode.empty()) return false;
  try {
    RunRequest = Null();
    int High = VarArrayHighBound(Params, 1);
    HostWindow = High >= 3 ? static_cast<uintptr_t>(Params[3].AsInt64()) : 0;
    if (High >= 4) UserRights = Params[4];
    Hide();
    UserCode = VarToStr(Params[0]);
    CompanyDatabase = VarToStr(Params[2]);
    CompanyCode = VarToStr(Params[1]);
    DeclareOptions();
    return true;
  } catch (Exception&) {
    return false;
  }
}

void TfrmBaseGene::RunConditions(const Variant& Params) { RunRequest = Params[1]; }

void TfrmBaseGene::DeclareOptions() {
  ReportKind = "R";
  EnvCount = 9;
  FeatureFlags = 0;
  ProgramCode = ProgramCodeFromPath(ModulePath, IsLibrary());
  ServerClassName = ProgramCode + "S.Class1";
}
