#pragma once
// The controller that a host program drives: the one header the host and the
// plug-in share. The host calls the operations through the virtual table and
// reads and writes the public fields directly, so the order of the virtual
// operations, their arguments and the fields below is the binary interface
// between the two. Append, never reorder.
//
// Everything here is usable without the rest of the plug-in: the host needs
// only the run-time's Variant and the event types.

#include <cstdint>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/Events.h"

class TDLLBaseController;

// The notification event: the code and the controller that sends it.
using TDLLNotifyEvent = TEvent<int32_t, TDLLBaseController*>;

// Notification codes.
constexpr int32_t ncWindowCreated = 0x100;
constexpr int32_t ncWindowShow = 0x110;
constexpr int32_t ncWindowHide = 0x120;
constexpr int32_t ncWindowDestroy = 0x130;
constexpr int32_t ncExtraNotify = 0x140;

// Commands of RunCommand.
constexpr int32_t cmdRunReport = 5;
constexpr int32_t cmdRunReportFor = 6;
constexpr int32_t cmdExportImages = 11;

// The base controller. Slots 0 to 10 are abstract: calling one on a plain
// TDLLBaseController raises EAbstractError, as the run-time does for an
// abstract method of a class that was instantiated anyway.
class TDLLBaseController : public TObject {
  KW_DECLARE_CLASS(TDLLBaseController, TObject)
 public:
  TDLLBaseController() = default;
  TDLLBaseController(const TDLLBaseController&) = delete;
  TDLLBaseController& operator=(const TDLLBaseController&) = delete;
  ~TDLLBaseController() override = default;

  // ---- The 18 operations, in slot order ------------------------------------
  // 0: the window's version stamp; Result is left as it was without a window.
  virtual void GetVersion(WideString& Result);
  // 1: automation-style boolean: 0 false, -1 true.
  virtual int32_t GetVisible();
  // 2: automation-style boolean, any non-zero value means true.
  virtual void SetVisible(int16_t Value);
  // 3: the window handle (created when needed), 0 without a window.
  virtual uintptr_t GetHandle();
  // 4: 0 success, -1 failure.
  virtual int32_t Open(Variant Params);
  // 5: 0 done, -1 not done.
  virtual int32_t RunConditions(Variant Params);
  // 6: 0 success, -1 failure.
  virtual int32_t RunCommand(int32_t Command, Variant Args);
  // 7: the modal result as an integer Variant.
  virtual Variant ShowModal();
  // 8
  virtual void FreeWindow();
  // 9: fills Info with [user, company, program code, program name]; 0, or -1
  // without a window (Info untouched).
  virtual int32_t GetProgramInfo(Variant& Info);
  // 10
  virtual bool IsWindowGone();
  // 11: Notify(0x100).
  virtual void DoWindowCreated();
  // 12: Notify(0x110). Slots 12 to 14 have the shape of a form's notify
  // handler because they are installed as the window's own events.
  virtual void DoWindowShow(TObject* Sender);
  // 13: Notify(0x120).
  virtual void DoWindowHide(TObject* Sender);
  // 14: Notify(0x130).
  virtual void DoWindowDestroy(TObject* Sender);
  // 15: Notify(0x140).
  virtual void DoExtraNotify();
  // 16: calls OnNotify when it is assigned.
  virtual void Notify(int32_t Code);
  // 17: nothing in the base.
  virtual void CloseFormatWindow();

  // ---- Fields, in order -------------------------------------------------------
  // The host's automation object, written by the host before Open.
  Variant Host;
  // Copied from the window when it is destroyed.
  int32_t ResultCode = 0;
  Variant ResultValue;
  TDLLNotifyEvent OnNotify;
};

// What the library exports: a new controller of the registered class, owned
// by the caller (who deletes it). Raises when no class is registered.
extern "C" TDLLBaseController* GetController();
using TGetControllerFunction = TDLLBaseController* (*)();

// ---- Plug-in side: the registered controller class -----------------------------
// A class reference: the class and how to make a plain instance of it.
struct TDLLControllerClassRef {
  const TClassInfo* Info;
  TDLLBaseController* (*NewInstance)();
};
using TDLLControllerClass = const TDLLControllerClassRef*;

template <class T>
TDLLControllerClass ControllerClassOf() {
  static const TDLLControllerClassRef Ref{&T::StaticClass(),
                                          []() -> TDLLBaseController* { return new T(); }};
  return &Ref;
}

// The class GetController instantiates; the controller unit sets it at load.
extern TDLLControllerClass DLLControllerClass;
