#pragma once
// The lookup ("F2") button: a small picture button bound to an input control.
// It places itself right of the control, as high and wide as the control is
// high, and a click asks the window that owns the control to open the lookup
// for it (WM_LOOKUPREQUEST with the control in the long parameter).

#include "src/controls/GSpdBtn.h"

class TF2Button : public TGSpeedButton {
  KW_DECLARE_CLASS(TF2Button, TGSpeedButton)
 public:
  static void PublishMembers(TPublisher<TF2Button>& P);
  explicit TF2Button(TComponent* AOwner);
  ~TF2Button() override;

  bool AutoAlign() const { return FAutoAlign; }
  void SetAutoAlign(bool Value);
  // The bound control. A control another TF2Button of the same parent is
  // bound to is refused with a message box; nullptr clears the binding.
  TWinControl* F2Control() const { return FF2Control; }
  void SetF2Control(TWinControl* Value);
  unsigned char Gap() const { return FGap; }
  void SetGap(unsigned char Value);

  // Places the button beside the bound control (when there is one and
  // AutoAlign is on).
  void Align();
  // False when a TF2Button among the components of this button's parent is
  // bound to Control already; a box tells when that button is another one.
  bool CheckUnique(TWinControl* Control);
  // OnClick, then focuses the bound control (when enabled and focusable) and,
  // when it has the focus, sends the lookup request for it.
  void Click() override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  bool FAutoAlign = true;
  TWinControl* FF2Control = nullptr;
  unsigned char FGap = 2;
};

// Sends the lookup request for Control to the window of Control's owner;
// nothing when the owner is not a windowed control.
void SendLookupRequest(TControl* Control);
