#pragma once
// TfrmBaseGene: the base of every option (condition) window. The controller
// creates it through the registered option-window class, gives it the
// library's path and the host object, and initialises it with the host's
// parameters.

#include <cstdint>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/Forms.h"

class TfrmBaseGene : public TForm {
  KW_DECLARE_CLASS(TfrmBaseGene, TForm)
 public:
  explicit TfrmBaseGene(TComponent* AOwner);

  // Stores the module path. A file whose extension is not the shared
  // library's (".so", any case) is the stand-alone test program: the window
  // then initialises itself at once with the test parameters
  // ["796", "QVTest60", "QVTest60"].
  void SetModulePath(const AnsiString& Path);
  // Whether ModulePath names a shared library.
  bool IsLibrary() const;

  // Reads the host's parameters [user, company, company database, host
  // window, rights] and declares the window's options. False at once for a
  // second call: a window is initialised once.
  virtual bool Initialize(const Variant& Params);
  // The host's run request; element 1 of Params is the request.
  virtual void RunConditions(const Variant& Params);
  // Declares the option items; descendants call the inherited one first.
  virtual void DeclareOptions();

  // The program code the module's file name gives: the name without folder
  // and extension, without its last letter (the client marker; the last two
  // in test mode), at least six characters, in upper case.
  static AnsiString ProgramCodeFromPath(const AnsiString& Path, bool Library);

  AnsiString ModulePath;
  AnsiString UserCode;
  AnsiString CompanyCode;
  AnsiString CompanyDatabase;
  uintptr_t HostWindow = 0;
  Variant UserRights;
  AnsiString ProgramCode;
  AnsiString ServerClassName;
  AnsiString ProgramName;
  AnsiString CaptionName;
  AnsiString VersionStamp = "870401-0.00.00";
  AnsiString ReportKind = "R";
  int EnvCount = 9;
  uint8_t FeatureFlags = 0;
  Variant RunRequest;
  // The host's automation object, handed over by the controller.
  Variant HostObject;
  // Copied by the controller when the window is destroyed.
  int32_t ResultCode = 0;
  Variant ResultValue;
};
