#pragma once
// TDLLVRCtrller: the controller of report plug-ins. It creates the option
// window from the registered class, hooks the window's show, hide and destroy
// events to relay them to the host, and forwards the host's requests to the
// window. Shared with the host like its base: the fields keep their order.

#include "src/boundary/DLLBaseCtrller.h"

class TfrmVRBaseOpt;

class TDLLVRCtrller : public TDLLBaseController {
  KW_DECLARE_CLASS(TDLLVRCtrller, TDLLBaseController)
 public:
  TDLLVRCtrller() = default;
  // Frees a window that still exists first, so the host still receives 0x130.
  ~TDLLVRCtrller() override;

  void GetVersion(WideString& Result) override;
  int32_t GetVisible() override;
  void SetVisible(int16_t Value) override;
  uintptr_t GetHandle() override;
  int32_t Open(Variant Params) override;
  int32_t RunConditions(Variant Params) override;
  int32_t RunCommand(int32_t Command, Variant Args) override;
  Variant ShowModal() override;
  void FreeWindow() override;
  int32_t GetProgramInfo(Variant& Info) override;
  bool IsWindowGone() override;
  void DoWindowShow(TObject* Sender) override;
  void DoWindowHide(TObject* Sender) override;
  void DoWindowDestroy(TObject* Sender) override;
  void CloseFormatWindow() override;

  // ---- Fields, in order, after the base's ---------------------------------------
  TfrmVRBaseOpt* Window = nullptr;
  TNotifyEvent SavedOnShow;
  TNotifyEvent SavedOnHide;
  TNotifyEvent SavedOnDestroy;

 private:
  void HookWindow();
  void UnhookWindow();
  // Set while a notification runs: the host may destroy the controller from
  // its handler, after which the handler that sent it must not touch it.
  bool* FDestroyedFlag = nullptr;
};

// The option-window class the controller creates (a registered form class
// derived from TfrmVRBaseOpt); the library's main block sets it at load.
extern const TClassInfo* frmVRBaseOptClass;
