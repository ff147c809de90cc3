#pragma once
// A small demo installation made once per test program in its own temporary
// folder (removed when the program ends), and host settings on it.

#include "appserver/DemoData.h"
#include "host/HostContext.h"
#include "platform/rtl/Variant.h"

const TDemoInstallation& DemoInstallation();
THostSettings DemoHostSettings();
// A new host object on the demo installation (class registered with
// DemoHostSettings, created by class name).
Variant NewDemoHost();
// A UTF-8 text as the database code page has it.
AnsiString Db(const char* Utf8);
