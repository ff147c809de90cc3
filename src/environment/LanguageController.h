#pragma once
// Language files: XML documents (".Lng") that give, per component name, new
// values for published properties and, per message key, message texts. They
// live in one folder per interface code page below the installation folder
// ("MultiLanguage/CHS/", "CHT", "ENG").
//
// A controller holds one document (from a file or from text) while it is
// active, and a reader that applies it to a window. TKwLangController finds
// the file of a package (a class name of the window's class chain) by itself.

#include <initializer_list>
#include <memory>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Events.h"
#include "src/environment/DesignType.h"
#include "src/environment/LangDocument.h"
#include "src/environment/LangReader.h"

class TStrings;
class TStringList;

KW_DECLARE_EXCEPTION(LanguageControllerError, Exception)

class TLanguageController : public TComponent {
  KW_DECLARE_CLASS(TLanguageController, TComponent)
 public:
  explicit TLanguageController(TComponent* AOwner);
  ~TLanguageController() override;

  // True while a document with a document element is loaded. Setting it
  // true loads FileName (or XmlText) and raises LanguageControllerError when
  // there is neither or the document is not well-formed; while the owning
  // form is being read it is only remembered and applied in Loaded.
  bool Active() const;
  void SetActive(bool Value);

  const AnsiString& FileName() const { return FFileName; }
  // A different name deactivates and drops XmlText.
  void SetFileName(const AnsiString& Value);

  // A document held as text, used instead of FileName when not empty. Any
  // change (also one made on the list itself) deactivates and, for a
  // non-empty text, drops FileName.
  TStrings* XmlText() const;
  void SetXmlText(TStrings* Value);

  // Components not to translate; a change reaches the active reader at once.
  TStrings* ExcludeControls() const;
  void SetExcludeControls(TStrings* Value);

  const std::shared_ptr<TLangDocument>& Document() const { return FDocument; }
  // Raises LanguageControllerError "No active LanguageController!" when no
  // document is loaded.
  TLangReader* GetReader() const;

  void Loaded() override;

  TNotifyEvent BeforeOpen;
  TNotifyEvent AfterOpen;
  TNotifyEvent BeforeClose;
  TNotifyEvent AfterClose;
  // Handed to the reader when it is made: handlers assigned later take effect
  // with the next activation.
  TLoadComponentEvent AfterLoadComponent;
  TLoadComponentEvent BeforeLoadComponent;

 protected:
  virtual void DoAfterClose();
  virtual void DoAfterOpen();
  virtual void DoBeforeClose();
  virtual void DoBeforeOpen();
  virtual void DoAfterLoadComponent(TComponent* Component, TLangNode* Node);
  virtual void DoBeforeLoadComponent(TComponent* Component, TLangNode* Node);

 private:
  class TWatchedList;
  void Open();
  void Close();
  void XmlTextChanged();
  void ExcludeControlsChanged();

  AnsiString FFileName;
  std::shared_ptr<TLangDocument> FDocument;
  std::unique_ptr<TWatchedList> FExcludeControls;
  std::unique_ptr<TLangReader> FReader;
  std::unique_ptr<TWatchedList> FXmlText;
  bool FStoredActive = false;
  bool FSettingXmlText = false;
};

class TKwLangController : public TLanguageController {
  KW_DECLARE_CLASS(TKwLangController, TLanguageController)
 public:
  static void PublishMembers(TPublisher<TKwLangController>& P);
  explicit TKwLangController(TComponent* AOwner);

  TDesignType DesignType() const { return FDesignType; }
  void SetDesignType(TDesignType Value) { FDesignType = Value; }

  const AnsiString& LangPackageName() const { return FLangPackageName; }
  // A different name resolves to the language folder of DesignType + name +
  // ".Lng" and becomes FileName (which deactivates); the same name changes
  // nothing.
  void SetLangPackageName(const AnsiString& Value);

 private:
  TDesignType FDesignType = dtClient;
  AnsiString FLangPackageName;
};

// ---- Message look-up ----------------------------------------------------------

// The installation folder (of the client or server configuration) +
// "MultiLanguage/" + the interface code page's folder ("936" CHS, "950" CHT,
// "437" ENG) + "/"; empty when the code page has no folder or the folder does
// not exist.
AnsiString GetLanguageFolder(TDesignType DesignType);
// The "Msg" attribute of the first element named Key in the file; Default
// when the file is missing, is not well-formed or has no such message.
AnsiString GetLangMessage(const AnsiString& FileName, const AnsiString& Key,
                          const AnsiString& Default);
AnsiString GetPackageMessage(TDesignType DesignType, const AnsiString& Package,
                             const AnsiString& Key, const AnsiString& Default);
// The looked-up text (or Default) used as a format string for Args.
AnsiString FormatPackageMessage(TDesignType DesignType, const AnsiString& Package,
                                const AnsiString& Key, std::initializer_list<TVarRec> Args,
                                const AnsiString& Default);
