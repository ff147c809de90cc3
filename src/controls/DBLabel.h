#pragma once
// A label bound to a control: it places itself beside the control (above,
// left, right or below) and can take its caption from the display label of
// the control's data field.

#include "platform/vcl/StdCtrls.h"

enum TPos { psTop, psLeft, psRight, psBottom };
KW_DECLARE_TYPEINFO(TPos)

class TDBLabel : public TLabel {
  KW_DECLARE_CLASS(TDBLabel, TLabel)
 public:
  static void PublishMembers(TPublisher<TDBLabel>& P);
  explicit TDBLabel(TComponent* AOwner);

  bool AutoAlign() const { return FAutoAlign; }
  void SetAutoAlign(bool Value);
  bool AutoCaption() const { return FAutoCaption; }
  void SetAutoCaption(bool Value);
  // The bound control. A control another TDBLabel of the same parent is bound
  // to is refused with a message box; nullptr clears the binding.
  TWinControl* FocusControl() const { return TLabel::FocusControl(); }
  void SetFocusControl(TWinControl* Value);
  unsigned char Gap() const { return FGap; }
  void SetGap(unsigned char Value);
  TPos Pos() const { return FPos; }
  void SetPos(TPos Value);

  // Places the label beside the bound control (when AutoAlign is on).
  void Align();
  // The caption from the display label of the bound control's data field
  // (DataSource.DataSet's field named by DataField), when AutoCaption is on;
  // anything missing leaves the caption as it is.
  void RefreshCaption();
  // False when a TDBLabel among the components of this label's parent is
  // bound to Control already; a box tells when that label is another one.
  bool CheckUnique(TWinControl* Control);

 private:
  void Refresh();
  bool FAutoAlign = true;
  bool FAutoCaption = true;
  unsigned char FGap = 4;
  TPos FPos = psLeft;
};
