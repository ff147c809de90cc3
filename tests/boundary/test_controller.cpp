// The controller as a host drives it, with a small option window of the
// test's own that records what the controller asks of it.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/FormClass.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ScriptedUIDriver.h"
#include "platform/vcl/WindowSystem.h"
#include "src/boundary/DLLFunc.h"
#include "src/boundary/DLLVRCtrller.h"
#include "src/report/VRBaseOptF.h"

namespace {

using TLog = std::vector<AnsiString>;
TLog* CurrentLog = nullptr;

void Record(const AnsiString& Line) {
  if (CurrentLog) CurrentLog->push_back(Line);
}

class TfrmTestOpt : public TfrmVRBaseOpt {
  KW_DECLARE_CLASS(TfrmTestOpt, TfrmVRBaseOpt)
 public:
  explicit TfrmTestOpt(TComponent* AOwner) : TfrmVRBaseOpt(AOwner) {
    SetName("frmTestOpt");
    VersionStamp = "900202-2.1.1.0";
    ProgramName = "Test report";
    OnShow = Bind<&TfrmTestOpt::OwnShow>(this);
    OnHide = Bind<&TfrmTestOpt::OwnHide>(this);
    OnDestroy = Bind<&TfrmTestOpt::OwnDestroy>(this);
    OnClose = Bind<&TfrmTestOpt::OwnClose>(this);
    ResultCode = 7;
    ResultValue = "done";
  }

  bool Initialize(const Variant& Params) override {
    Record("Initialize " + VarToStr(Params[0]) + " path " + ModulePath);
    return TfrmVRBaseOpt::Initialize(Params);
  }
  void RunConditions(const Variant& Params) override {
    Record("RunConditions " + VarToStr(Params[1]));
    if (VarToStr(Params[1]) == "fail") throw Exception("refused");
  }
  bool RunReport(bool Preview) override {
    Record(AnsiString("RunReport ") + (Preview ? "preview" : "print"));
    return Preview;
  }
  bool RunReportFor(const Variant& Options, bool Preview) override {
    Record("RunReportFor " + VarToStr(Options[0]) + (Preview ? " preview" : " print"));
    return true;
  }
  bool ExportReportImages(const Variant& Options, int Kind, const AnsiString& Reserved,
                          const AnsiString& Target, int Dpi) override {
    Record("Export " + VarToStr(Options[0]) + " kind " + std::to_string(Kind) + " reserved '" + Reserved +
           "' target " + Target + " dpi " + std::to_string(Dpi));
    return true;
  }
  void EndDesign() override { Record("EndDesign"); }

  void OwnShow(TObject*) { Record("own OnShow"); }
  void OwnHide(TObject*) { Record("own OnHide"); }
  void OwnDestroy(TObject*) { Record("own OnDestroy"); }
  void OwnClose(TObject*, TCloseAction& Action) { Action = caFree; }
};

KW_REGISTER_FORM(TfrmTestOpt)

// A component class that is no option window.
class TNotAWindow : public TComponent {
  KW_DECLARE_CLASS(TNotAWindow, TComponent)
 public:
  using TComponent::TComponent;
};
KW_REGISTER_CLASS(TNotAWindow)

void DrainQueue() {
  TMsg m;
  while (PeekMessage(m, true)) {
  }
}

class ControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CurrentLog = &Log;
    OverridePluginModulePath("/opt/kwe/ZKPW31C.so");
    frmVRBaseOptClass = &TfrmTestOpt::StaticClass();
    Ctrl.reset(GetController());
    Ctrl->OnNotify = TDLLNotifyEvent(&ControllerTest::OnNotify, this);
    DrainQueue();
  }
  void TearDown() override {
    Ctrl.reset();
    Application->ProcessMessages();
    DrainQueue();
    OverridePluginModulePath("");
    frmVRBaseOptClass = nullptr;
    CurrentLog = nullptr;
    EXPECT_EQ(ui.Failures().size(), 0u);
  }

  static void OnNotify(void* Self, int32_t Code, TDLLBaseController* Sender) {
    auto* T = static_cast<ControllerTest*>(Self);
    T->LastSender = Sender;
    char Text[16];
    std::snprintf(Text, sizeof Text, "notify 0x%X", static_cast<unsigned>(Code));
    T->Log.push_back(Text);
    if (T->OnCode) T->OnCode(Code);
  }

  TDLLVRCtrller& VR() { return *static_cast<TDLLVRCtrller*>(Ctrl.get()); }

  static Variant HostParams() { return VarArrayOf({"U01", "C01", "DB01", 0, VarArrayOf({"FEP", true})}); }

  TLog Log;
  TDLLBaseController* LastSender = nullptr;
  std::function<void(int32_t)> OnCode;
  std::unique_ptr<TDLLBaseController> Ctrl;
  TScriptedUIDriver ui;
  TUIDriverScope use{ui};
};

// ---- Export and registration -------------------------------------------------

TEST_F(ControllerTest, GetControllerMakesTheRegisteredClassAnewEachCall) {
  EXPECT_TRUE(Ctrl->Is<TDLLVRCtrller>());
  std::unique_ptr<TDLLBaseController> Other(GetController());
  EXPECT_NE(Other.get(), Ctrl.get());
  // Independent: opening one leaves the other without a window.
  ASSERT_EQ(Ctrl->Open(HostParams()), 0);
  EXPECT_FALSE(Ctrl->IsWindowGone());
  EXPECT_TRUE(Other->IsWindowGone());
}

TEST_F(ControllerTest, MissingClassReferencesRaiseTheInternalErrors) {
  TDLLControllerClass Saved = DLLControllerClass;
  DLLControllerClass = nullptr;
  try {
    GetController();
    ADD_FAILURE() << "no exception";
  } catch (Exception& E) {
    EXPECT_EQ(E.Message, "KWE DLL Internal Error :\rNot Assign \"DLLControllerClass\" varible");
  }
  DLLControllerClass = Saved;

  frmVRBaseOptClass = nullptr;
  try {
    Ctrl->Open(HostParams());
    ADD_FAILURE() << "no exception";
  } catch (Exception& E) {
    EXPECT_EQ(E.Message, "KWE DLL Internal Error :\rNot Assign \"frmVRBaseOptClass\" varible");
  }
  EXPECT_TRUE(Ctrl->IsWindowGone());
  EXPECT_TRUE(Log.empty());
}

TEST_F(ControllerTest, ARegisteredClassThatIsNoOptionWindowIsRefused) {
  frmVRBaseOptClass = &TNotAWindow::StaticClass();
  EXPECT_THROW(Ctrl->Open(HostParams()), Exception);
  EXPECT_TRUE(Ctrl->IsWindowGone());
}

TEST_F(ControllerTest, ThePlainBaseControllerRaisesForItsAbstractSlots) {
  TDLLControllerClass Saved = DLLControllerClass;
  DLLControllerClass = ControllerClassOf<TDLLBaseController>();
  std::unique_ptr<TDLLBaseController> Base(GetController());
  DLLControllerClass = Saved;
  EXPECT_THROW(Base->IsWindowGone(), EAbstractError);
  EXPECT_THROW(Base->Open(Variant()), EAbstractError);
  // The slots with bodies work and notify.
  Base->OnNotify = TDLLNotifyEvent(&ControllerTest::OnNotify, this);
  Base->DoWindowCreated();
  Base->DoExtraNotify();
  Base->CloseFormatWindow();
  EXPECT_EQ(Log, (TLog{"notify 0x100", "notify 0x140"}));
  EXPECT_EQ(LastSender, Base.get());
}

// ---- Without a window --------------------------------------------------------

TEST_F(ControllerTest, AnswersBeforeOpen) {
  WideString Version = u"unchanged";
  Ctrl->GetVersion(Version);
  Variant Info = "untouched";
  EXPECT_EQ(Ctrl->GetVisible(), 0);
  EXPECT_EQ(Ctrl->GetHandle(), 0u);
  EXPECT_EQ(Ctrl->ShowModal().AsInteger(), 2);
  EXPECT_EQ(Ctrl->GetProgramInfo(Info), -1);
  EXPECT_TRUE(Ctrl->IsWindowGone());
  EXPECT_EQ(Version, u"unchanged");
  EXPECT_EQ(VarToStr(Info), "untouched");
  // Operations that need a window do nothing without one.
  Ctrl->SetVisible(-1);
  Ctrl->FreeWindow();
  Ctrl->CloseFormatWindow();
  EXPECT_EQ(Ctrl->RunConditions(VarArrayOf({0, "x"})), -1);
  EXPECT_EQ(Ctrl->RunCommand(5, VarArrayOf({true})), -1);
  EXPECT_TRUE(Log.empty());
}

// ---- Open, show, hide, destroy ----------------------------------------------------

TEST_F(ControllerTest, OpenCreatesHooksAndInitialisesTheWindow) {
  Ctrl->Host = "host object";
  ASSERT_EQ(Ctrl->Open(HostParams()), 0);
  EXPECT_EQ(Log, (TLog{"notify 0x100", "Initialize U01 path /opt/kwe/ZKPW31C.so"}));
  EXPECT_EQ(LastSender, Ctrl.get());
  TfrmVRBaseOpt* W = VR().Window;
  ASSERT_NE(W, nullptr);
  EXPECT_EQ(W->Owner(), nullptr);
  EXPECT_EQ(VarToStr(W->HostObject), "host object");
  EXPECT_EQ(W->ProgramCode, "ZKPW31");
  EXPECT_FALSE(W->Visible());
  // The window's own handlers were saved, the controller's installed.
  EXPECT_EQ(VR().SavedOnShow, Bind<&TfrmTestOpt::OwnShow>(static_cast<TfrmTestOpt*>(W)));
  EXPECT_EQ(W->OnShow, Bind<&TDLLVRCtrller::DoWindowShow>(&VR()));

  WideString Version;
  Ctrl->GetVersion(Version);
  EXPECT_EQ(Version, u"900202-2.1.1.0");
  Variant Info;
  EXPECT_EQ(Ctrl->GetProgramInfo(Info), 0);
  EXPECT_EQ(VarArrayLowBound(Info, 1), 0);
  EXPECT_EQ(VarArrayHighBound(Info, 1), 3);
  EXPECT_EQ(VarToStr(Info[0]) + "|" + VarToStr(Info[1]) + "|" + VarToStr(Info[2]) + "|" + VarToStr(Info[3]),
            "U01|C01|ZKPW31|Test report");
  EXPECT_NE(Ctrl->GetHandle(), 0u);
  EXPECT_EQ(Ctrl->GetHandle(), W->Handle());
}

TEST_F(ControllerTest, SecondOpenKeepsTheWindowAndHooksOnce) {
  ASSERT_EQ(Ctrl->Open(HostParams()), 0);
  TfrmVRBaseOpt* W = VR().Window;
  Log.clear();
  EXPECT_EQ(Ctrl->Open(HostParams()), -1);  // the window refuses a second initialisation
  EXPECT_EQ(VR().Window, W);
  Ctrl->SetVisible(-1);
  EXPECT_EQ(Ctrl->GetVisible(), -1);
  Ctrl->SetVisible(0);
  EXPECT_EQ(Ctrl->GetVisible(), 0);
  EXPECT_EQ(Log, (TLog{"Initialize U01 path /opt/kwe/ZKPW31C.so", "own OnShow", "notify 0x110", "own OnHide",
                       "notify 0x120"}));
}

TEST_F(ControllerTest, SetVisibleRestoresAMinimisedWindowOnlyWhenShowing) {
  ASSERT_EQ(Ctrl->Open(HostParams()), 0);
  TfrmVRBaseOpt* W = VR().Window;
  Ctrl->SetVisible(1);  // any non-zero value is true
  W->SetWindowState(wsMinimized);
  Ctrl->SetVisible(0);
  EXPECT_FALSE(W->Visible());
  EXPECT_EQ(W->WindowState(), wsMinimized);
  Ctrl->SetVisible(-1);
  EXPECT_TRUE(W->Visible());
  EXPECT_EQ(W->WindowState(), wsNormal);
  EXPECT_TRUE(W->Active());
}

TEST_F(ControllerTest, UserClosingTheWindowDeliversTheResult) {
  ASSERT_EQ(Ctrl->Open(HostParams()), 0);
  Ctrl->SetVisible(-1);
  Log.clear();
  VR().Window->Close();
  Application->ProcessMessages();
  EXPECT_EQ(Log, (TLog{"own OnHide", "notify 0x120", "own OnDestroy", "notify 0x130"}));
  EXPECT_TRUE(Ctrl->IsWindowGone());
  EXPECT_EQ(Ctrl->ResultCode, 7);
  EXPECT_EQ(VarToStr(Ctrl->ResultValue), "done");
  // A fresh Open makes a fresh window.
  Log.clear();
  EXPECT_EQ(Ctrl->Open(HostParams()), 0);
  EXPECT_FALSE(Ctrl->IsWindowGone());
  EXPECT_EQ(Log.front(), "notify 0x100");
}

TEST_F(ControllerTest, ResultFieldsAreFilledBeforeTheDestroyNotification) {
  ASSERT_EQ(Ctrl->Open(HostParams()), 0);
  int32_t CodeSeen = -1;
  bool GoneSeen = true;
  OnCode = [&](int32_t Code) {
    if (Code != ncWindowDestroy) return;
    CodeSeen = Ctrl->ResultCode;
    GoneSeen = Ctrl->IsWindowGone();
  };
  Ctrl->FreeWindow();
  EXPECT_EQ(CodeSeen, 7);
  EXPECT_FALSE(GoneSeen);  // the window is cleared after the notification
  EXPECT_TRUE(Ctrl->IsWindowGone());
}

TEST_F(ControllerTest, DestroyingTheControllerDeliversTheDestroyNotificationFirst) {
  ASSERT_EQ(Ctrl->Open(HostParams()), 0);
  Log.clear();
  Ctrl.reset();
  EXPECT_EQ(Log, (TLog{"own OnDestroy", "notify 0x130"}));
  EXPECT_EQ(Screen->CustomFormCount(), 0);
}

TEST_F(ControllerTest, TheHostMayDestroyTheControllerFromItsNotification) {
  ASSERT_EQ(Ctrl->Open(HostParams()), 0);
  Ctrl->SetVisible(-1);
  OnCode = [&](int32_t Code) {
    if (Code == ncWindowHide) Ctrl.reset();
  };
  Log.clear();
  Ctrl->FreeWindow();
  // The window finished its destruction without reaching the freed
  // controller again; its own destroy handler still ran.
  EXPECT_EQ(Ctrl, nullptr);
  EXPECT_EQ(Log, (TLog{"own OnHide", "notify 0x120", "own OnDestroy"}));
  EXPECT_EQ(Screen->CustomFormCount(), 0);
}

TEST_F(ControllerTest, TestModeWhenTheModuleIsNoLibrary) {
  OverridePluginModulePath("/opt/kwe/ZKPW31C");
  EXPECT_EQ(Ctrl->Open(HostParams()), -1);
  EXPECT_EQ(Log, (TLog{"Initialize 796 path /opt/kwe/ZKPW31C", "notify 0x100", "Initialize U01 path /opt/kwe/ZKPW31C"}));
  EXPECT_EQ(VR().Window->CompanyCode, "QVTest60");
}

// ---- Requests ---------------------------------------------------------------------

TEST_F(ControllerTest, RunConditionsNeedsParamsAndSwallowsFailures) {
  ASSERT_EQ(Ctrl->Open(HostParams()), 0);
  Log.clear();
  EXPECT_EQ(Ctrl->RunConditions(Null()), -1);
  EXPECT_EQ(Ctrl->RunConditions(VarArrayOf({0, "fine"})), 0);
  EXPECT_EQ(Ctrl->RunConditions(VarArrayOf({0, "fail"})), -1);
  EXPECT_EQ(Ctrl->RunConditions(Variant(3)), -1);  // not an array: the window's read fails
  EXPECT_EQ(Log, (TLog{"RunConditions fine", "RunConditions fail"}));
}

TEST_F(ControllerTest, RunCommandForwardsTheArguments) {
  ASSERT_EQ(Ctrl->Open(HostParams()), 0);
  struct TCase {
    int32_t Command;
    Variant Args;
    int32_t Result;
    const char* Logged;  // nullptr: the window is not asked
  };
  const TCase Cases[] = {
      {5, VarArrayOf({true}), 0, "RunReport preview"},
      {5, VarArrayOf({false}), -1, "RunReport print"},
      {5, VarArrayOf({"True"}), 0, "RunReport preview"},
      {6, VarArrayOf({false, VarArrayOf({"Layout A"})}), 0, "RunReportFor Layout A print"},
      {11, VarArrayOf({VarArrayOf({"L"}), 3, "/tmp/p", 150, "extra"}), 0,
       "Export L kind 3 reserved 'extra' target /tmp/p dpi 150"},
      {11, VarArrayOf({VarArrayOf({"L"}), 0, "/tmp/p", 150}), 0,
       "Export L kind 0 reserved '' target /tmp/p dpi 150"},
      {11, VarArrayOf({VarArrayOf({"L"}), 0, "/tmp/p", "high"}), 0,
       "Export L kind 0 reserved '' target /tmp/p dpi 96"},
      {11, VarArrayOf({VarArrayOf({"L"}), 0, "/tmp/p"}), 0, "Export L kind 0 reserved '' target /tmp/p dpi 96"},
      {4, VarArrayOf({true}), -1, nullptr},
      {0, Variant(), -1, nullptr},
      {12, VarArrayOf({true}), -1, nullptr},
  };
  for (const TCase& C : Cases) {
    Log.clear();
    EXPECT_EQ(Ctrl->RunCommand(C.Command, C.Args), C.Result) << C.Command;
    EXPECT_EQ(Log, C.Logged ? TLog{C.Logged} : TLog{}) << C.Command;
  }
  // Conversion failures other than the resolution reach the host.
  EXPECT_THROW(Ctrl->RunCommand(5, VarArrayOf({"maybe"})), Exception);
  EXPECT_THROW(Ctrl->RunCommand(11, VarArrayOf({VarArrayOf({"L"}), "bitmap", "/tmp/p", 96})), Exception);
}

TEST_F(ControllerTest, CloseFormatWindowAsksTheWindow) {
  ASSERT_EQ(Ctrl->Open(HostParams()), 0);
  Log.clear();
  Ctrl->CloseFormatWindow();
  EXPECT_EQ(Log, TLog{"EndDesign"});
}

TEST_F(ControllerTest, ShowModalReturnsTheWindowsModalResult) {
  ASSERT_EQ(Ctrl->Open(HostParams()), 0);
  ui.ExpectModal("frmTestOpt").Answer(mrOk);
  EXPECT_EQ(Ctrl->ShowModal().AsInteger(), mrOk);
}

// ---- What the option window takes from the controller ------------------------

TEST(OptionWindowModule, ProgramCodeAndLibraryModeFromTheFileName) {
  struct TCase {
    const char* Path;
    bool Library;
    const char* Code;
  };
  const TCase Cases[] = {
      {"/opt/kwe/ZKPW31C.so", true, "ZKPW31"},
      {"/opt/kwe/zkpw31c.SO", true, "ZKPW31"},
      {"C:\\KWE\\ZKPW31C.so", true, "ZKPW31"},
      {"/opt/kwe/ASTR0101C.so", true, "ASTR0101"},
      {"/opt/kwe/ZKPW31CT", false, "ZKPW31"},      // test program: marker and test letter dropped
      {"/opt/kwe/ZKPW31CT.exe", false, "ZKPW31"},
      {"/opt/kwe/ZKPW31C.dll", false, "ZKPW31"},   // another platform's library is no library here
      {"/opt/kwe/ab.so", true, "AB.SO"},           // short names give their first six characters
      {"/opt/kwe.d/ZKPW31CT", false, "ZKPW31"},    // a dot in the folder is no extension
  };
  for (const TCase& C : Cases) {
    TfrmBaseGene* W = CreateForm<TfrmBaseGene>(nullptr);
    W->ModulePath = C.Path;
    EXPECT_EQ(W->IsLibrary(), C.Library) << C.Path;
    EXPECT_EQ(TfrmBaseGene::ProgramCodeFromPath(C.Path, C.Library), C.Code) << C.Path;
    delete W;
  }
}

TEST(OptionWindowModule, InitializeReadsTheParametersOnce) {
  TfrmBaseGene* W = CreateForm<TfrmBaseGene>(nullptr);
  W->SetModulePath("/opt/kwe/ZKPW31C.so");
  EXPECT_TRUE(W->CompanyCode.empty());  // a library waits for the host's parameters
  EXPECT_TRUE(W->Initialize(VarArrayOf({"U01", "C01", "DB01", 1234, VarArrayOf({"FEP"})})));
  EXPECT_EQ(W->UserCode + "|" + W->CompanyCode + "|" + W->CompanyDatabase, "U01|C01|DB01");
  EXPECT_EQ(W->HostWindow, 1234u);
  EXPECT_EQ(VarToStr(W->UserRights[0]), "FEP");
  EXPECT_EQ(W->ProgramCode, "ZKPW31");
  EXPECT_EQ(W->ServerClassName, "ZKPW31S.Class1");
  EXPECT_FALSE(W->Initialize(VarArrayOf({"U02", "C02", "DB02"})));
  EXPECT_EQ(W->UserCode, "U01");
  delete W;

  W = CreateForm<TfrmBaseGene>(nullptr);
  W->ModulePath = "/opt/kwe/ZKPW31C.so";
  EXPECT_TRUE(W->Initialize(VarArrayOf({"U01", "C01", "DB01"})));
  EXPECT_EQ(W->HostWindow, 0u);
  EXPECT_TRUE(W->UserRights.IsEmpty());
  delete W;

  // Stand-alone test mode initialises at once with the test parameters.
  W = CreateForm<TfrmBaseGene>(nullptr);
  W->SetModulePath("/opt/kwe/ZKPW31CT");
  EXPECT_EQ(W->UserCode + "|" + W->CompanyCode + "|" + W->CompanyDatabase, "796|QVTest60|QVTest60");
  EXPECT_FALSE(W->Initialize(VarArrayOf({"U01", "C01", "DB01"})));
  delete W;
}

}  // namespace
