#include "host/HostManager.h"

#include "host/HostServices.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Files.h"

namespace {

KW_DECLARE_EXCEPTION(EHostManagerError, Exception)

// The single element of a one-element array argument (as the plug-in passes
// them), or the argument itself.
std::vector<Variant> ArrayArgument(const Variant& V, const char* What, size_t Count) {
  std::vector<Variant> out;
  if (V.IsArray() && VarArrayDimCount(V) == 1)
    for (int i = VarArrayLowBound(V, 1); i <= VarArrayHighBound(V, 1); ++i) out.push_back(V.GetElement({i}));
  if (out.size() < Count)
    throw EHostManagerError(AnsiString(What) + " needs an array of " + std::to_string(Count) + " element(s)");
  return out;
}

}  // namespace

THostManager::THostManager(THostSettings Settings)
    : FContext(std::make_shared<THostContext>(std::move(Settings))) {
  FCounter = DispatchPtr::Attach(NewHostCounter(FContext));
  FValidator = DispatchPtr::Attach(NewHostValidator(FContext));
  FLookupWindow = DispatchPtr::Attach(NewHostLookupWindow(FContext));
  DefineMethod("Com_Counter", 0, 0, [this](TAutoArgs&) { return Variant(FCounter); });
  DefineMethod("Com_Validator", 0, 0, [this](TAutoArgs&) { return Variant(FValidator); });
  DefineMethod("Com_F2Window", 0, 0, [this](TAutoArgs&) { return Variant(FLookupWindow); });
  DefineProperty("VersionType", [this] { return Variant(FContext->Settings.VersionType); });
  DefineProperty("ProductID", [this] { return Variant(FContext->Settings.ProductID); });
  DefineMethod("GetMessage", 2, 2, [this](TAutoArgs& A) { return GetMessage(A); });
  DefineMethod("CallHelp", 1, 1, [this](TAutoArgs& A) { return CallHelp(A); });
  DefineMethod("GetFileList", 1, 1, [this](TAutoArgs& A) { return GetFileList(A); });
  DefineMethod("SetFormCreateStyle", 1, 1, [this](TAutoArgs& A) {
    FFormCreateStyle = VarToStr(A[0]);
    FContext->Report("form create style: " + ConvertCodePage(FFormCreateStyle, FContext->Database.CodePage(), GetACP()));
    return Variant();
  });
  DefineProperty("FormCreateStyle", [this] { return Variant(FFormCreateStyle); });
}

Variant THostManager::GetMessage(TAutoArgs& A) {
  return Variant(FContext->Catalogue().Text(Trim(VarToStr(A[0])), Trim(VarToStr(A[1])), FContext->Database.CodePage()));
}

Variant THostManager::CallHelp(TAutoArgs& A) {
  std::vector<Variant> topic = ArrayArgument(A[0], "CallHelp", 2);
  FContext->Report("help: system " + VarToStr(topic[0]) + " topic " + VarToStr(topic[1]));
  return Variant();
}

Variant THostManager::GetFileList(TAutoArgs& A) {
  const AnsiString name = Trim(VarToStr(ArrayArgument(A[0], "GetFileList", 1)[0]));
  // A bare file name only: the host answers for the files it distributes,
  // never for a path the caller makes up.
  if (name.empty() || name.find_first_of("/\\") != AnsiString::npos || name == "." || name == "..")
    return Variant(AnsiString());
  for (const AnsiString& folder : FContext->Settings.PackageFolders) {
    for (const AnsiString& file : FindFiles(IncludeTrailingPathDelimiter(folder), "*", false)) {
      const AnsiString path = IncludeTrailingPathDelimiter(folder) + ExtractFileName(file);
      if (!SameText(ExtractFileName(file), name) || !FileExists(path)) continue;
      TDateTime age;
      if (!FileAge(path, age)) continue;
      return Variant("<Modify>" + FormatDateTime("yyyymmddhhnnss", age) + "</Modify><Path>" + path + "</Path>");
    }
  }
  return Variant(AnsiString());
}

void RegisterHostManager(const THostSettings& Settings) {
  RegisterOleClass(HostClassName, [Settings]() -> IDispatch* { return new THostManager(Settings); });
}
