#include "src/boundary/DLLVRCtrller.h"

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/ClassRegistry.h"
#include "platform/vcl/Forms.h"
#include "src/boundary/DLLFunc.h"
#include "src/report/VRBaseOptF.h"

const TClassInfo* frmVRBaseOptClass = nullptr;

namespace {

// The controller unit's load-time step: report libraries use this controller.
const bool ControllerClassRegistered = (DLLControllerClass = ControllerClassOf<TDLLVRCtrller>(), true);

// Runs one notification and tells whether the controller was destroyed by a
// handler meanwhile. Flags of notifications running further out are set too.
class TNotifyGuard {
 public:
  explicit TNotifyGuard(bool*& Slot) : FSlot(Slot), FOuter(Slot) { FSlot = &FDestroyed; }
  ~TNotifyGuard() {
    if (FDestroyed) {
      if (FOuter) *FOuter = true;
    } else {
      FSlot = FOuter;
    }
  }
  bool Destroyed() const { return FDestroyed; }

 private:
  bool*& FSlot;
  bool* FOuter;
  bool FDestroyed = false;
};

}  // namespace

TDLLVRCtrller::~TDLLVRCtrller() {
  if (FDestroyedFlag) *FDestroyedFlag = true;
  if (Window) FreeWindow();
  // A window that is being destroyed by somebody else (the host freed us
  // from one of its notifications) keeps running its events: they must no
  // longer reach this controller.
  if (Window) UnhookWindow();
}

void TDLLVRCtrller::GetVersion(WideString& Result) {
  if (Window) Result = AnsiToWide(Window->VersionStamp);
}

int32_t TDLLVRCtrller::GetVisible() { return Window && Window->Visible() ? -1 : 0; }

void TDLLVRCtrller::SetVisible(int16_t Value) {
  if (!Window) return;
  if (Value != 0) {
    // The show notification may free the window, or the host may free us.
    TNotifyGuard Guard(FDestroyedFlag);
    Window->SetVisible(true);
    if (Guard.Destroyed() || !Window) return;
    if (Window->WindowState() == wsMinimized) Window->SetWindowState(wsNormal);
    SetForegroundWindow(Window->Handle());
  } else {
    Window->SetVisible(false);
  }
}

uintptr_t TDLLVRCtrller::GetHandle() { return Window ? Window->Handle() : 0; }

void TDLLVRCtrller::HookWindow() {
  TNotifyEvent Show = Bind<&TDLLVRCtrller::DoWindowShow>(this);
  TNotifyEvent Hide = Bind<&TDLLVRCtrller::DoWindowHide>(this);
  TNotifyEvent Destroy = Bind<&TDLLVRCtrller::DoWindowDestroy>(this);
  // Hooked already (a second Open): saving our own handlers as the window's
  // would make each of them call itself.
  if (!(Window->OnShow == Show)) {
    SavedOnShow = Window->OnShow;
    Window->OnShow = Show;
  }
  if (!(Window->OnHide == Hide)) {
    SavedOnHide = Window->OnHide;
    Window->OnHide = Hide;
  }
  if (!(Window->OnDestroy == Destroy)) {
    SavedOnDestroy = Window->OnDestroy;
    Window->OnDestroy = Destroy;
  }
}

void TDLLVRCtrller::UnhookWindow() {
  if (Window->OnShow == Bind<&TDLLVRCtrller::DoWindowShow>(this)) Window->OnShow = SavedOnShow;
  if (Window->OnHide == Bind<&TDLLVRCtrller::DoWindowHide>(this)) Window->OnHide = SavedOnHide;
  if (Window->OnDestroy == Bind<&TDLLVRCtrller::DoWindowDestroy>(this)) Window->OnDestroy = SavedOnDestroy;
}

int32_t TDLLVRCtrller::Open(Variant Params) {
  const Variant Copy = Params;
  int32_t Result = -1;
  if (!Window) {
    if (!frmVRBaseOptClass)
      throw Exception("KWE DLL Internal Error :\rNot Assign \"frmVRBaseOptClass\" varible");
    TComponent* Created = CreateComponent(*frmVRBaseOptClass, nullptr);
    Window = ObjectAs<TfrmVRBaseOpt>(Created);
    if (!Window) {
      delete Created;
      throw Exception("Invalid class typecast");
    }
    Window->SetModulePath(PluginModulePath());
    Window->HostObject = Host;
    TNotifyGuard Guard(FDestroyedFlag);
    DoWindowCreated();
    if (Guard.Destroyed()) return Result;
    // The host may have freed the window from its notification.
    if (!Window) return Result;
  }
  HookWindow();
  if (Window->Initialize(Copy)) Result = 0;
  return Result;
}

int32_t TDLLVRCtrller::RunConditions(Variant Params) {
  if (!Window || VarIsNull(Params)) return -1;
  try {
    Window->RunConditions(Params);
    return 0;
  } catch (...) {
    return -1;
  }
}

int32_t TDLLVRCtrller::RunCommand(int32_t Command, Variant Args) {
  if (!Window) return -1;
  bool Done = false;
  switch (Command) {
    case cmdRunReport:
      Done = Window->RunReport(Args[0].AsBoolean());
      break;
    case cmdRunReportFor: {
      bool Preview = Args[0].AsBoolean();
      Done = Window->RunReportFor(Args[1], Preview);
      break;
    }
    case cmdExportImages: {
      int Dpi = 96;
      try {
        Dpi = Args[3].AsInteger();
      } catch (Exception&) {
      }
      AnsiString Reserved = VarArrayHighBound(Args, 1) >= 4 ? Args[4].AsString() : AnsiString();
      Variant Conditions = Args[0];
      int Kind = Args[1].AsInteger();
      AnsiString Target = Args[2].AsString();
      Done = Window->ExportReportImages(Conditions, Kind, Reserved, Target, Dpi);
      break;
    }
    default:
      return -1;
  }
  return Done ? 0 : -1;
}

Variant TDLLVRCtrller::ShowModal() {
  if (!Window) return Variant(2);
  return Variant(static_cast<int32_t>(Window->ShowModal()));
}

void TDLLVRCtrller::FreeWindow() {
  if (Window && !Window->ComponentState().Contains(csDestroying)) delete Window;
}

int32_t TDLLVRCtrller::GetProgramInfo(Variant& Info) {
  if (!Window) return -1;
  Info = VarArrayOf({Window->UserCode, Window->CompanyCode, Window->ProgramCode, Window->ProgramName});
  return 0;
}

bool TDLLVRCtrller::IsWindowGone() { return Window == nullptr; }

void TDLLVRCtrller::DoWindowShow(TObject* Sender) {
  TNotifyGuard Guard(FDestroyedFlag);
  SavedOnShow(Sender);
  if (Guard.Destroyed()) return;
  TDLLBaseController::DoWindowShow(Sender);
}

void TDLLVRCtrller::DoWindowHide(TObject* Sender) {
  TNotifyGuard Guard(FDestroyedFlag);
  SavedOnHide(Sender);
  if (Guard.Destroyed()) return;
  TDLLBaseController::DoWindowHide(Sender);
}

void TDLLVRCtrller::DoWindowDestroy(TObject* Sender) {
  if (Window) {
    ResultCode = Window->ResultCode;
    ResultValue = Window->ResultValue;
    TNotifyGuard Guard(FDestroyedFlag);
    SavedOnDestroy(Sender);
    if (Guard.Destroyed()) return;
    TDLLBaseController::DoWindowDestroy(Sender);
    if (Guard.Destroyed()) return;
  }
  Window = nullptr;
}

void TDLLVRCtrller::CloseFormatWindow() {
  // Without a window there is no layout window to close.
  if (Window) Window->EndDesign();
}
