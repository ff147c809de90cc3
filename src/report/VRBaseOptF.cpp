#include "src/report/VRBaseOptF.h"

#include "platform/vcl/FormClass.h"

KW_REGISTER_FORM(TfrmVRBaseOpt)

TfrmVRBaseOpt::TfrmVRBaseOpt(TComponent* AOwner) : TfrmBaseGene(AOwner) {}

// Producing pages needs the report's query and layout window, which only a
// concrete report supplies; the base window has neither and produces nothing.
bool TfrmVRBaseOpt::RunReport(bool) { return false; }
bool TfrmVRBaseOpt::RunReportFor(const Variant&, bool) { return false; }
bool TfrmVRBaseOpt::ExportReportImages(const Variant&, int, const AnsiString&, const AnsiString&, int) {
  return false;
}
void TfrmVRBaseOpt::EndDesign() {}
