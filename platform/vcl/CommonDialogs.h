#pragma once
// The standard dialogs as components a form holds (open, save, print and
// printer setup): their settings are properties, Execute asks the UI driver
// and copies the answer back.

#include <vector>

#include "platform/vcl/Component.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/UIDriver.h"

template <class C>
class TPublisher;

class TCommonDialog : public TComponent {
  KW_DECLARE_CLASS(TCommonDialog, TComponent)
 public:
  explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
  // Asks the UI driver; true when the person accepted. OnShow fires before
  // and OnClose after the question.
  virtual bool Execute() = 0;
  TNotifyEvent OnShow;
  TNotifyEvent OnClose;
};

class TOpenDialog : public TCommonDialog {
  KW_DECLARE_CLASS(TOpenDialog, TCommonDialog)
 public:
  static void PublishMembers(TPublisher<TOpenDialog>& P);
  explicit TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

  // The proposed name before Execute, the chosen one after it (unchanged
  // when cancelled).
  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(const AnsiString& Value) { FFileName = Value; }
  const AnsiString& Filter() const { return FFilter; }
  void SetFilter(const AnsiString& Value) { FFilter = Value; }
  // 1-based index of the filter in use.
  int FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(int Value) { FFilterIndex = Value; }
  const AnsiString& DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const AnsiString& Value) { FDefaultExt = Value; }
  const AnsiString& InitialDir() const { return FInitialDir; }
  void SetInitialDir(const AnsiString& Value) { FInitialDir = Value; }
  const AnsiString& Title() const { return FTitle; }
  void SetTitle(const AnsiString& Value) { FTitle = Value; }
  bool Execute() override;

 protected:
  virtual bool IsSaveDialog() const { return false; }

 private:
  AnsiString FFileName;
  AnsiString FFilter;
  int FFilterIndex = 1;
  AnsiString FDefaultExt;
  AnsiString FInitialDir;
  AnsiString FTitle;
};

class TSaveDialog : public TOpenDialog {
  KW_DECLARE_CLASS(TSaveDialog, TOpenDialog)
 public:
  static void PublishMembers(TPublisher<TSaveDialog>& P);
  explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

 protected:
  bool IsSaveDialog() const override { return true; }
};

// The printer setup dialog: printer, orientation, paper and copies.
class TPrinterSetupDialog : public TCommonDialog {
  KW_DECLARE_CLASS(TPrinterSetupDialog, TCommonDialog)
 public:
  static void PublishMembers(TPublisher<TPrinterSetupDialog>& P);
  explicit TPrinterSetupDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
  // What the dialog opens with and, after an accepted Execute, what was chosen.
  TPrinterSetup& Settings() { return FSettings; }
  const TPrinterSetup& Settings() const { return FSettings; }
  bool Execute() override;

 private:
  TPrinterSetup FSettings;
};

// The print dialog: the printer setup plus copies, collation and a page range.
class TPrintDialog : public TPrinterSetupDialog {
  KW_DECLARE_CLASS(TPrintDialog, TPrinterSetupDialog)
 public:
  static void PublishMembers(TPublisher<TPrintDialog>& P);
  explicit TPrintDialog(TComponent* AOwner) : TPrinterSetupDialog(AOwner) {}
  int Copies() const { return Settings().Copies; }
  void SetCopies(int Value) { Settings().Copies = Value < 1 ? 1 : Value; }
  bool Collate() const { return Settings().Collate; }
  void SetCollate(bool Value) { Settings().Collate = Value; }
  // 0 and 0: all pages.
  int FromPage() const { return Settings().FromPage; }
  void SetFromPage(int Value) { Settings().FromPage = Value; }
  int ToPage() const { return Settings().ToPage; }
  void SetToPage(int Value) { Settings().ToPage = Value; }
  int MinPage() const { return FMinPage; }
  void SetMinPage(int Value) { FMinPage = Value; }
  int MaxPage() const { return FMaxPage; }
  void SetMaxPage(int Value) { FMaxPage = Value; }
  // Accepted page ranges are brought inside MinPage..MaxPage (when MaxPage
  // is set) and put in order.
  bool Execute() override;

 private:
  int FMinPage = 0;
  int FMaxPage = 0;
};
