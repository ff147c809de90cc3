#include <gtest/gtest.h>

#include <sstream>

#include "platform/rtl/CodePages.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ScriptedUIDriver.h"

namespace {

class UIDriverTest : public ::testing::Test {
 protected:
  TScriptedUIDriver ui;
  TUIDriverScope use{ui};
};

// ---- Message dialogs: what callers build --------------------------------------

TEST(MessageDialog, KindsGiveTitlesAndButtonsGiveNamesCaptionsResults) {
  struct Case {
    TMsgDlgType Type;
    const char* Title;
  };
  for (const Case& c : {Case{mtWarning, "Warning"}, Case{mtError, "Error"}, Case{mtInformation, "Information"},
                        Case{mtConfirmation, "Confirm"}}) {
    auto dlg = CreateMessageDialog("x", c.Type, TMsgDlgButtons{mbOK});
    EXPECT_EQ(dlg->Caption, c.Title);
  }
  Application->SetTitle("Voucher");
  EXPECT_EQ(CreateMessageDialog("x", mtCustom, TMsgDlgButtons{mbOK})->Caption, "Voucher");

  auto all = CreateMessageDialog("x", mtCustom, TMsgDlgButtons::FromBits(0x7FF));
  ASSERT_EQ(all->Buttons.size(), 11u);
  const char* names[] = {"Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll", "YesToAll", "Help"};
  const char* captions[] = {"&Yes", "&No", "OK", "Cancel", "&Abort", "&Retry", "&Ignore", "&All",
                            "N&o to All", "Yes to &All", "&Help"};
  TModalResult results[] = {mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll, mrNoToAll, mrYesToAll, mrNone};
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(all->Buttons[i].Name, names[i]);
    EXPECT_EQ(all->Buttons[i].Caption, captions[i]);
    EXPECT_EQ(all->Buttons[i].ModalResult, results[i]);
  }
}

TEST(MessageDialog, ButtonSetsAsNumbersFollowTheOrdinals) {
  // Callers pass kind 1 with buttons 4 (an error with OK) and kind 3 with
  // buttons 3 (a confirmation with Yes and No).
  auto err = CreateMessageDialog("x", static_cast<TMsgDlgType>(1), TMsgDlgButtons::FromBits(4));
  EXPECT_EQ(err->DlgType, mtError);
  ASSERT_EQ(err->Buttons.size(), 1u);
  EXPECT_EQ(err->Buttons[0].Name, "OK");
  auto ask = CreateMessageDialog("x", static_cast<TMsgDlgType>(3), TMsgDlgButtons::FromBits(3));
  EXPECT_EQ(ask->DlgType, mtConfirmation);
  ASSERT_EQ(ask->Buttons.size(), 2u);
  EXPECT_EQ(ask->Buttons[0].ModalResult, mrYes);
  EXPECT_EQ(ask->Buttons[1].ModalResult, mrNo);
}

TEST(MessageDialog, DefaultAndCancelButtonsFollowTheStandardRules) {
  struct Case {
    TMsgDlgButtons Buttons;
    TModalResult Enter;  // what the default answer is
    const char* Cancel;  // the button Esc presses, "" for none
  };
  const Case cases[] = {
      {TMsgDlgButtons{mbOK}, mrOk, "OK"},
      {mbOKCancel, mrOk, "Cancel"},
      {TMsgDlgButtons{mbYes, mbNo}, mrYes, "No"},
      {mbYesNoCancel, mrYes, "Cancel"},
      {mbAbortRetryIgnore, mrRetry, ""},
      // Neither OK, Yes nor Retry: no default button, Enter gives the first.
      {mbAbortIgnore, mrAbort, ""},
  };
  for (const Case& c : cases) {
    auto dlg = CreateMessageDialog("x", mtWarning, c.Buttons);
    TMessageRequest r = dlg->Request();
    EXPECT_EQ(r.DefaultResult(), c.Enter) << c.Buttons.Bits();
    if (*c.Cancel)
      EXPECT_EQ(r.Buttons.at(r.CancelButton).Name, c.Cancel) << c.Buttons.Bits();
    else
      EXPECT_EQ(r.CancelButton, -1) << c.Buttons.Bits();
  }
  auto chosen = CreateMessageDialog("x", mtWarning, mbYesNoCancel, mbNo);
  EXPECT_EQ(chosen->Request().DefaultResult(), mrNo);
}

TEST_F(UIDriverTest, ConvertedCaptionsAndFontReachTheDriver) {
  auto dlg = CreateMessageDialog("Save the layout?", mtConfirmation, TMsgDlgButtons{mbYes, mbNo});
  dlg->FindButton("Yes")->Caption = GB("是(&Y)");
  dlg->FindButton("No")->Caption = GB("否(&N)");
  dlg->Font()->SetName("SimSun");
  dlg->Font()->SetCharset(GB2312_CHARSET);
  dlg->Caption = "Layout";
  ui.ExpectMessage("Save the layout", mtConfirmation).Answer(mrNo);
  EXPECT_EQ(dlg->ShowModal(), mrNo);
  EXPECT_EQ(dlg->ModalResult, mrNo);

  const TUIQuestion& q = ui.Questions().at(0);
  EXPECT_EQ(q.Message.Title, "Layout");
  EXPECT_EQ(q.Message.FindButton("Yes")->Caption, GB("是(&Y)"));
  EXPECT_EQ(q.Message.FindButton("No")->Caption, GB("否(&N)"));
  EXPECT_EQ(q.Message.FontName, "SimSun");
  EXPECT_EQ(q.Message.FontCharset, GB2312_CHARSET);
  EXPECT_EQ(q.Result, mrNo);
  ui.VerifyAllAnswered();
}

// ---- The scripted driver ------------------------------------------------------

TEST_F(UIDriverTest, AnswersInOrderAndRecordsEveryQuestion) {
  ui.ExpectMessage("required", mtError).Answer(mrOk);
  ui.ExpectInput("Scheme name").Answer("Monthly");
  ui.ExpectMessage().Answer(mrYes);

  EXPECT_EQ(MessageDlg("Field is required", mtError, TMsgDlgButtons{mbOK}), mrOk);
  EXPECT_EQ(InputBox("Save", "Scheme name:", "New"), "Monthly");
  EXPECT_EQ(MessageDlg("Overwrite?", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}), mrYes);

  ASSERT_EQ(ui.Questions().size(), 3u);
  EXPECT_EQ(ui.Questions()[0].Kind, TQuestionKind::Message);
  EXPECT_EQ(ui.Questions()[1].Input.Default, "New");
  EXPECT_EQ(ui.Questions()[1].Value, "Monthly");
  EXPECT_EQ(ui.Questions(TQuestionKind::Message).size(), 2u);
  EXPECT_EQ(ui.PendingCount(), 0u);
  ui.VerifyAllAnswered();
}

TEST_F(UIDriverTest, UnexpectedQuestionsFailLoudlyAndAreRemembered) {
  // Nothing queued.
  try {
    MessageDlg("Disk full", mtError, TMsgDlgButtons{mbOK});
    FAIL() << "expected EUIScriptError";
  } catch (const EUIScriptError& e) {
    EXPECT_NE(e.Message.find("unexpected message dialog [Error] \"Disk full\""), AnsiString::npos) << e.Message;
  }
  // Wrong kind, wrong text, wrong dialog type: each names both sides.
  ui.ExpectInput("Name");
  EXPECT_THROW(MessageDlg("Disk full", mtError, TMsgDlgButtons{mbOK}), EUIScriptError);
  ui.Reset();
  ui.ExpectMessage("Overwrite");
  EXPECT_THROW(MessageDlg("Disk full", mtError, TMsgDlgButtons{mbOK}), EUIScriptError);
  ui.Reset();
  ui.ExpectMessage("Disk", mtWarning);
  try {
    MessageDlg("Disk full", mtError, TMsgDlgButtons{mbOK});
    FAIL() << "expected EUIScriptError";
  } catch (const EUIScriptError& e) {
    EXPECT_NE(e.Message.find("expected message dialog [Warning] matching \"Disk\""), AnsiString::npos) << e.Message;
    EXPECT_NE(e.Message.find("[Error] \"Disk full\""), AnsiString::npos) << e.Message;
  }

  // Code under test that swallows the exception cannot hide the failure.
  ui.Reset();
  try {
    ShowMessage("swallowed");
  } catch (...) {
  }
  EXPECT_EQ(ui.Failures().size(), 1u);
  EXPECT_THROW(ui.VerifyAllAnswered(), EUIScriptError);
}

TEST_F(UIDriverTest, AnswersThatTheQuestionCannotTakeAreRefused) {
  ui.ExpectMessage().Answer(mrYes);
  EXPECT_THROW(MessageDlg("Only OK here", mtInformation, TMsgDlgButtons{mbOK}), EUIScriptError);

  ui.Reset();
  std::vector<AnsiString> items{"A", "B"};
  int index = -1;
  ui.ExpectPickList().Choose({2});
  EXPECT_THROW(PickFromList("t", "p", items, index), EUIScriptError);
  ui.Reset();
  ui.ExpectPickList().Choose({0, 1});
  EXPECT_THROW(PickFromList("t", "p", items, index), EUIScriptError);

  // A setter that does not fit the kind is refused when the script is written.
  EXPECT_THROW(ui.ExpectInput().Choose({1}), EUIScriptError);
  EXPECT_THROW(ui.ExpectMessage().Answer("text"), EUIScriptError);
}

TEST_F(UIDriverTest, LeftoverAnswersAreReported) {
  ui.ExpectMessage("never shown");
  try {
    ui.VerifyAllAnswered();
    FAIL() << "expected EUIScriptError";
  } catch (const EUIScriptError& e) {
    EXPECT_NE(e.Message.find("expected but never asked: message dialog matching \"never shown\""), AnsiString::npos)
        << e.Message;
  }
}

TEST_F(UIDriverTest, DefaultAnswersWhenTheScriptGivesNone) {
  ui.ExpectMessage();
  ui.ExpectInput();
  ui.ExpectPickList();
  ui.ExpectPrinterSetup();
  ui.ExpectFileDialog();
  ui.ExpectShell();

  EXPECT_EQ(MessageDlg("x", mtWarning, mbYesNoCancel), mrYes);
  AnsiString value = "kept";
  EXPECT_TRUE(InputQuery("c", "p", value));
  EXPECT_EQ(value, "kept");
  int index = 1;
  EXPECT_FALSE(PickFromList("c", "p", {"a", "b"}, index));
  EXPECT_EQ(index, 1);
  TPrinterSetup setup;
  setup.Copies = 3;
  EXPECT_TRUE(PrinterSetupDialog(setup));
  EXPECT_EQ(setup.Copies, 3);
  AnsiString file = "a.dat";
  EXPECT_FALSE(PromptForFileName(file));
  EXPECT_FALSE(ShellExecute("open", "/tmp/report.pdf"));
  ui.VerifyAllAnswered();
}

TEST_F(UIDriverTest, EveryKindOfQuestionTakesItsAnswer) {
  ui.ExpectInput("Password").Answer("s3cret");
  ui.ExpectInput("Name").Cancel();
  ui.ExpectInput("Name").Cancel();
  ui.ExpectPickList("Layout").Choose({1});
  ui.ExpectPickList("Columns").Choose({2, 0});
  ui.ExpectPrinterSetup().Edit([](TPrinterSetup& s) {
    s.Copies = 2;
    s.Orientation = poLandscape;
  });
  ui.ExpectPrinterSetup().Edit([](TPrinterSetup& s) { s.Copies = 9; }).Cancel();
  ui.ExpectFileDialog("Open layout").Answer("/tmp/layout");
  ui.ExpectShell("report.pdf").Accept();

  AnsiString secret;
  EXPECT_TRUE(PasswordQuery("Login", "Password:", secret));
  EXPECT_EQ(secret, "s3cret");
  EXPECT_TRUE(ui.Questions().back().Input.Password);
  AnsiString name = "old";
  EXPECT_FALSE(InputQuery("Scheme", "Name:", name));
  EXPECT_EQ(name, "old");
  EXPECT_EQ(InputBox("Scheme", "Name:", "fallback"), "fallback") << "a cancelled box gives the default";

  int index = -1;
  EXPECT_TRUE(PickFromList("Layout", "", {"A4", "Letter"}, index));
  EXPECT_EQ(index, 1);
  std::vector<int> rows;
  EXPECT_TRUE(PickManyFromList("Columns", "", {"a", "b", "c"}, rows));
  EXPECT_EQ(rows, (std::vector<int>{0, 2}));

  TPrinterSetup setup;
  EXPECT_TRUE(PrinterSetupDialog(setup));
  EXPECT_EQ(setup.Copies, 2);
  EXPECT_EQ(setup.Orientation, poLandscape);
  EXPECT_FALSE(PrinterSetupDialog(setup));
  EXPECT_EQ(setup.Copies, 2) << "a cancelled dialog changes nothing";

  AnsiString file;
  EXPECT_TRUE(PromptForFileName(file, "Layouts (*.dat)|*.dat", "dat", "Open layout"));
  EXPECT_EQ(file, "/tmp/layout.dat") << "the default extension is added to a bare name";
  EXPECT_TRUE(ShellExecute("open", "/tmp/report.pdf"));
  ui.VerifyAllAnswered();
}

TEST_F(UIDriverTest, ApplicationMessageBoxMapsFlags) {
  ui.ExpectMessage("Retry?", mtWarning).Answer(mrRetry);
  EXPECT_EQ(Application->MessageBox("Retry?", "Printer", MB_RETRYCANCEL | MB_ICONWARNING), IDRETRY);
  const TMessageRequest& r = ui.Questions()[0].Message;
  EXPECT_EQ(r.Title, "Printer");
  ASSERT_EQ(r.Buttons.size(), 2u);
  EXPECT_EQ(r.Buttons[0].Name, "Retry");
  EXPECT_EQ(r.Buttons[1].Name, "Cancel");

  ui.ExpectMessage("Delete?", mtConfirmation);
  EXPECT_EQ(Application->MessageBox("Delete?", "", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), IDNO)
      << "the second button is the default";
  ui.VerifyAllAnswered();
}

TEST_F(UIDriverTest, ExceptionsFromHandlersBecomeErrorBoxes) {
  Application->SetTitle("Voucher");
  ui.ExpectMessage("", mtError).Answer(mrOk);
  try {
    throw EConvertError("'abc' is not a valid integer value");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  EXPECT_EQ(ui.Questions()[0].Message.Text, "'abc' is not a valid integer value.");
  EXPECT_EQ(ui.Questions()[0].Message.Title, "Voucher");

  // EAbort is silent; OnException takes over when assigned.
  try {
    Abort();
  } catch (...) {
    Application->HandleException(nullptr);
  }
  struct TCatcher {
    AnsiString Seen;
    void Handle(TObject*, Exception* E) { Seen = E->Message; }
  } catcher;
  Application->OnException = Bind<&TCatcher::Handle>(&catcher);
  try {
    throw Exception("ends with a period.");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  Application->OnException = nullptr;
  EXPECT_EQ(catcher.Seen, "ends with a period.");
  EXPECT_EQ(ui.Questions().size(), 1u);
  ui.VerifyAllAnswered();
}

// ---- The console driver ---------------------------------------------------------

TEST(ConsoleDriver, WritesOneLinePerQuestionAndAnswersTheDefault) {
  std::ostringstream out;
  TConsoleUIDriver console(out);
  TUIDriverScope use(console);

  EXPECT_EQ(MessageDlg("Disk full\r\nretry later", mtWarning, mbOKCancel), mrOk);
  EXPECT_EQ(MessageDlg("Keep?", mtConfirmation, mbYesNoCancel), mrYes);
  EXPECT_EQ(MessageDlg("Stop", mtError, mbAbortIgnore), mrAbort);
  EXPECT_EQ(InputBox("Scheme", "Name:", "Monthly"), "Monthly");
  int index = 0;
  EXPECT_FALSE(PickFromList("Layout", "Pick a layout", {"A4"}, index));
  TPrinterSetup setup;
  setup.Printers = {"Office"};
  setup.PrinterIndex = 0;
  setup.Copies = 2;
  EXPECT_TRUE(PrinterSetupDialog(setup));
  EXPECT_EQ(setup.Copies, 2);
  AnsiString file = "x.dat";
  EXPECT_FALSE(PromptForFileName(file, "", "", "Open layout"));
  EXPECT_FALSE(ShellExecute("open", "/tmp/a.pdf"));

  EXPECT_EQ(out.str(),
            "[Warning] Disk full\nretry later -> OK\n"
            "[Confirmation] Keep? -> Yes\n"
            "[Error] Stop -> Abort\n"
            "[Input] Name: -> \"Monthly\"\n"
            "[Pick list] Pick a layout -> nothing chosen\n"
            "[Printer setup] Office -> defaults\n"
            "[Open file] Open layout -> cancelled\n"
            "[Shell] open /tmp/a.pdf -> not started in batch mode\n");
}

TEST(ConsoleDriver, WritesTheCodePageTextAsUtf8) {
  std::ostringstream out;
  TConsoleUIDriver console(out);
  TUIDriverScope use(console);
  MessageDlg(GB("日期错误"), mtError, TMsgDlgButtons{mbOK});
  EXPECT_EQ(out.str(), "[Error] 日期错误 -> OK\n");

  std::ostringstream raw;
  TConsoleUIDriver rawConsole(raw);
  rawConsole.SetTextFilter(nullptr);
  TUIDriverScope useRaw(rawConsole);
  MessageDlg(GB("日期"), mtError, TMsgDlgButtons{mbOK});
  EXPECT_EQ(raw.str(), "[Error] " + GB("日期") + " -> OK\n");
}

TEST(ConsoleDriver, IsInstalledUntilAnotherDriverIs) {
  TUIDriver& standard = GetUIDriver();
  EXPECT_NE(dynamic_cast<TConsoleUIDriver*>(&standard), nullptr);
  {
    TScriptedUIDriver ui;
    TUIDriverScope use(ui);
    EXPECT_EQ(&GetUIDriver(), &ui);
  }
  EXPECT_EQ(&GetUIDriver(), &standard);
}

TEST(Hotkeys, StripHotkeyRemovesMarksAndKeepsDoubledAmpersands) {
  EXPECT_EQ(StripHotkey("N&o to All"), "No to All");
  EXPECT_EQ(StripHotkey("Save && close"), "Save & close");
  EXPECT_EQ(StripHotkey("&"), "");
}

}  // namespace
