#pragma once
// A spin edit that keeps a sign only as the first character: a "+" or "-"
// typed after it is taken out again, and an empty text is no change.

#include "platform/vcl/ComCtrls.h"

class TKwSpinEdit : public TSpinEdit {
  KW_DECLARE_CLASS(TKwSpinEdit, TSpinEdit)
 public:
  explicit TKwSpinEdit(TComponent* AOwner);

 protected:
  void Change() override;

 private:
  bool FFiltering = false;
};
