#pragma once
// TfrmVRBaseOpt: the base of every report option window, and the class the
// controller drives. The operations below are the ones the controller
// forwards the host's commands to.

#include "src/framework/BaseGene.h"

class TfrmVRBaseOpt : public TfrmBaseGene {
  KW_DECLARE_CLASS(TfrmVRBaseOpt, TfrmBaseGene)
 public:
  explicit TfrmVRBaseOpt(TComponent* AOwner);

  // Prints (Preview false) or previews the report with the window's options.
  virtual bool RunReport(bool Preview);
  // The same for option values given by the host; Options[0] names the
  // layout to use.
  virtual bool RunReportFor(const Variant& Options, bool Preview);
  // Writes the pages for the given options to files named from Target, one
  // a page (Kind 0 bitmaps, 3 PDF) at Dpi dots per inch. Reserved is unused.
  virtual bool ExportReportImages(const Variant& Options, int Kind, const AnsiString& Reserved,
                                  const AnsiString& Target, int Dpi);
  // Closes the layout window that is open for design.
  virtual void EndDesign();
};
