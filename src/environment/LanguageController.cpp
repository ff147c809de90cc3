#include "src/environment/LanguageController.h"

#include "platform/rtl/Files.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/StringList.h"
#include "platform/vcl/Publisher.h"
#include "src/environment/TandrilINI.h"

KW_DEFINE_ENUM_TYPEINFO(TDesignType, "dtClient", "dtServer")
KW_REGISTER_CLASS(TLanguageController)
KW_REGISTER_CLASS(TKwLangController)

// A string list that tells its controller about every change, so that lines
// edited in place have the same effect as assigning a new list.
class TLanguageController::TWatchedList : public TStringList {
 public:
  using TCallback = void (TLanguageController::*)();
  TWatchedList(TLanguageController* Controller, TCallback Callback)
      : FController(Controller), FCallback(Callback) {}
  bool Muted = false;

 protected:
  void Changed() override {
    TStringList::Changed();
    if (!Muted) (FController->*FCallback)();
  }

 private:
  TLanguageController* FController;
  TCallback FCallback;
};

// ---- TLanguageController ----------------------------------------------------

TLanguageController::TLanguageController(TComponent* AOwner)
    : TComponent(AOwner),
      FExcludeControls(std::make_unique<TWatchedList>(this, &TLanguageController::ExcludeControlsChanged)),
      FXmlText(std::make_unique<TWatchedList>(this, &TLanguageController::XmlTextChanged)) {}

TLanguageController::~TLanguageController() {
  // No close events from a controller that is going away.
  FExcludeControls->Muted = true;
  FXmlText->Muted = true;
  FReader.reset();
  FDocument.reset();
}

bool TLanguageController::Active() const {
  return FDocument && FDocument->DocumentElement() != nullptr;
}

void TLanguageController::SetActive(bool Value) {
  if (ComponentState().Contains(csLoading)) {
    FStoredActive = Value;
    return;
  }
  if (Value == Active()) return;
  if (Value)
    Open();
  else
    Close();
}

void TLanguageController::Open() {
  DoBeforeOpen();
  FDocument.reset();
  FReader.reset();
  std::shared_ptr<TLangDocument> document;
  if (FXmlText->Count() > 0 && !FXmlText->Text().empty()) {
    document = TLangDocument::LoadFromText(FXmlText->Text());
  } else if (FFileName.empty()) {
    throw LanguageControllerError(Format("Cannot Find File %s!", {FFileName}));
  } else {
    document = TLangDocument::LoadFromFile(FFileName);
  }
  if (document->ParseErrorCode() != 0) throw LanguageControllerError(document->ParseErrorReason());
  FDocument = std::move(document);
  FReader = std::make_unique<TLangReader>(FDocument);
  FReader->ExcludeList()->Assign(FExcludeControls.get());
  FReader->AfterLoadComponent = AfterLoadComponent;
  FReader->BeforeLoadComponent = BeforeLoadComponent;
  DoAfterOpen();
}

void TLanguageController::Close() {
  DoBeforeClose();
  FDocument.reset();
  FReader.reset();
  DoAfterClose();
}

void TLanguageController::SetFileName(const AnsiString& Value) {
  if (Value == FFileName) return;
  FFileName = Value;
  FXmlText->Muted = true;
  FXmlText->Clear();
  FXmlText->Muted = false;
  SetActive(false);
}

TStrings* TLanguageController::XmlText() const { return FXmlText.get(); }

void TLanguageController::SetXmlText(TStrings* Value) {
  if (Value == FXmlText.get()) return;
  if (Value)
    FXmlText->Assign(Value);
  else
    FXmlText->Clear();
}

void TLanguageController::XmlTextChanged() {
  if (ComponentState().Contains(csLoading)) return;
  if (!FXmlText->Text().empty()) FFileName.clear();
  SetActive(false);
}

TStrings* TLanguageController::ExcludeControls() const { return FExcludeControls.get(); }

void TLanguageController::SetExcludeControls(TStrings* Value) {
  if (Value == FExcludeControls.get()) return;
  if (Value)
    FExcludeControls->Assign(Value);
  else
    FExcludeControls->Clear();
}

void TLanguageController::ExcludeControlsChanged() {
  if (FReader) FReader->ExcludeList()->Assign(FExcludeControls.get());
}

TLangReader* TLanguageController::GetReader() const {
  if (!Active() || !FReader) throw LanguageControllerError("No active LanguageController!");
  return FReader.get();
}

void TLanguageController::Loaded() {
  TComponent::Loaded();
  if (FStoredActive) SetActive(true);
}

void TLanguageController::DoAfterClose() { AfterClose(this); }
void TLanguageController::DoAfterOpen() { AfterOpen(this); }
void TLanguageController::DoBeforeClose() { BeforeClose(this); }
void TLanguageController::DoBeforeOpen() { BeforeOpen(this); }
void TLanguageController::DoAfterLoadComponent(TComponent* Component, TLangNode* Node) {
  AfterLoadComponent(Component, Node);
}
void TLanguageController::DoBeforeLoadComponent(TComponent* Component, TLangNode* Node) {
  BeforeLoadComponent(Component, Node);
}

// ---- TKwLangController ------------------------------------------------------

TKwLangController::TKwLangController(TComponent* AOwner) : TLanguageController(AOwner) {}

void TKwLangController::PublishMembers(TPublisher<TKwLangController>& P) {
  P.Property("Active", &TLanguageController::Active, &TLanguageController::SetActive).Default(false);
  P.Property("AfterClose", &TLanguageController::AfterClose, &TLanguageController::AfterClose);
  P.Property("AfterOpen", &TLanguageController::AfterOpen, &TLanguageController::AfterOpen);
  P.Property("BeforeClose", &TLanguageController::BeforeClose, &TLanguageController::BeforeClose);
  P.Property("BeforeOpen", &TLanguageController::BeforeOpen, &TLanguageController::BeforeOpen);
  P.Property("AfterLoadComponent", &TLanguageController::AfterLoadComponent,
             &TLanguageController::AfterLoadComponent);
  P.Property("BeforeLoadComponent", &TLanguageController::BeforeLoadComponent,
             &TLanguageController::BeforeLoadComponent);
  P.Property("ExcludeControls", &TLanguageController::ExcludeControls,
             &TLanguageController::SetExcludeControls);
  P.Property("LangPackageName", &TKwLangController::LangPackageName,
             &TKwLangController::SetLangPackageName);
  P.Property("DesignType", &TKwLangController::DesignType, &TKwLangController::SetDesignType)
      .Default(dtClient);
}

void TKwLangController::SetLangPackageName(const AnsiString& Value) {
  if (Value == FLangPackageName) return;
  FLangPackageName = Value;
  SetFileName(GetLanguageFolder(FDesignType) + Value + ".Lng");
}

// ---- Message look-up --------------------------------------------------------

AnsiString GetLanguageFolder(TDesignType DesignType) {
  AnsiString base;
  AnsiString codePage;
  if (DesignType == dtServer) {
    TTandrilIniS ini;
    base = ini.ServerPath;
    codePage = ini.UICodePage;
  } else {
    TTandrilIniC ini;
    base = ini.ClientPath;
    codePage = ini.UICodePage;
  }
  TStringList folders;
  folders.Add("936=CHS");
  folders.Add("950=CHT");
  folders.Add("437=ENG");
  const AnsiString code = codePage.empty() ? AnsiString() : folders.Values(codePage);
  if (code.empty()) return AnsiString();
  // Without an installation folder the path stays relative, never "/MultiLanguage".
  const AnsiString root = base.empty() ? base : IncludeTrailingPathDelimiter(base);
  const AnsiString folder = root + "MultiLanguage/" + code + "/";
  return DirectoryExists(folder) ? folder : AnsiString();
}

AnsiString GetLangMessage(const AnsiString& FileName, const AnsiString& Key,
                          const AnsiString& Default) {
  try {
    // An empty key would make "///@Msg", which some parsers read as "any Msg".
    if (Key.empty() || FileName.empty() || !FileExists(FileName)) return Default;
    const auto document = TLangDocument::LoadFromFile(FileName);
    if (document->ParseErrorCode() != 0 || !document->DocumentElement()) return Default;
    const TLangNode* node = document->SelectSingleNode(Format("//%s/@%s", {Key, "Msg"}));
    if (NodeType(node) == NODE_ATTRIBUTE) return NodeText(node);
  } catch (...) {
  }
  return Default;
}

AnsiString GetPackageMessage(TDesignType DesignType, const AnsiString& Package,
                             const AnsiString& Key, const AnsiString& Default) {
  return GetLangMessage(GetLanguageFolder(DesignType) + Package + ".Lng", Key, Default);
}

AnsiString FormatPackageMessage(TDesignType DesignType, const AnsiString& Package,
                                const AnsiString& Key, std::initializer_list<TVarRec> Args,
                                const AnsiString& Default) {
  return Format(GetPackageMessage(DesignType, Package, Key, Default), Args);
}
