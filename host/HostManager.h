#pragma once
// The host automation object "CortanWorkCenter.Manager": what the host
// client offers the plug-in (through the controller's Host field) and what a
// stand-alone program creates by class name.
//
//   Com_Counter, Com_Validator, Com_F2Window  the sub-objects (HostServices.h);
//                                             each call answers the same object
//   VersionType, ProductID                    integers from the settings
//   GetMessage(type, number)                  the catalogue text in the
//                                             database code page
//   CallHelp([system code, topic])            reported as a service request
//   GetFileList([lower-case file name])       "<Modify>yyyymmddhhnnss</Modify>
//                                             <Path>path</Path>" of the file in
//                                             the package folders, "" when the
//                                             host does not distribute it
//   SetFormCreateStyle(name)                  kept (FormCreateStyle reads it)
//                                             and reported as a service request

#include <memory>

#include "host/HostContext.h"
#include "platform/com/AutoObject.h"

constexpr const char* HostClassName = "CortanWorkCenter.Manager";

class THostManager : public TAutoObject {
 public:
  explicit THostManager(THostSettings Settings);

  const THostContext& Context() const { return *FContext; }

 private:
  Variant GetMessage(TAutoArgs& A);
  Variant CallHelp(TAutoArgs& A);
  Variant GetFileList(TAutoArgs& A);

  std::shared_ptr<THostContext> FContext;
  DispatchPtr FCounter, FValidator, FLookupWindow;
  AnsiString FFormCreateStyle;
};

// Registers HostClassName with the class registry: every object created by
// that name works with these settings.
void RegisterHostManager(const THostSettings& Settings);
