#include "src/boundary/DLLBaseCtrller.h"

#include "platform/rtl/Exceptions.h"

TDLLControllerClass DLLControllerClass = nullptr;

namespace {

[[noreturn]] void AbstractCall() { throw EAbstractError("Abstract Error"); }

}  // namespace

void TDLLBaseController::GetVersion(WideString&) { AbstractCall(); }
int32_t TDLLBaseController::GetVisible() { AbstractCall(); }
void TDLLBaseController::SetVisible(int16_t) { AbstractCall(); }
uintptr_t TDLLBaseController::GetHandle() { AbstractCall(); }
int32_t TDLLBaseController::Open(Variant) { AbstractCall(); }
int32_t TDLLBaseController::RunConditions(Variant) { AbstractCall(); }
int32_t TDLLBaseController::RunCommand(int32_t, Variant) { AbstractCall(); }
Variant TDLLBaseController::ShowModal() { AbstractCall(); }
void TDLLBaseController::FreeWindow() { AbstractCall(); }
int32_t TDLLBaseController::GetProgramInfo(Variant&) { AbstractCall(); }
bool TDLLBaseController::IsWindowGone() { AbstractCall(); }

void TDLLBaseController::DoWindowCreated() { Notify(ncWindowCreated); }
void TDLLBaseController::DoWindowShow(TObject*) { Notify(ncWindowShow); }
void TDLLBaseController::DoWindowHide(TObject*) { Notify(ncWindowHide); }
void TDLLBaseController::DoWindowDestroy(TObject*) { Notify(ncWindowDestroy); }
void TDLLBaseController::DoExtraNotify() { Notify(ncExtraNotify); }

void TDLLBaseController::Notify(int32_t Code) {
  if (OnNotify.Assigned()) OnNotify(Code, this);
}

void TDLLBaseController::CloseFormatWindow() {}
