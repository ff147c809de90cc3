// The library's main block: the option-window class of this report library.
// Compiled only into the shared library (KW_PLUGIN_LIBRARY_MAIN); the static
// library of the plug-in's code, which the glob also gives this file, gets an
// empty object, so programs that link that library choose their own window.

#ifdef KW_PLUGIN_LIBRARY_MAIN

#include "src/boundary/DLLVRCtrller.h"
#include "src/report/VRBaseOptF.h"

namespace {

// The report's own option window takes this place once it joins the
// library; until then the library drives the report option window base.
const bool OptionWindowClassRegistered = (frmVRBaseOptClass = &TfrmVRBaseOpt::StaticClass(), true);

}  // namespace

#endif
