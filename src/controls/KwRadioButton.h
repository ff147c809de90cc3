#pragma once
// A radio button that paints its own caption with the control's font, so that
// the font and charset the code-page converter sets apply to it. Otherwise it
// behaves as the platform's radio button.

#include "platform/vcl/Graphics.h"
#include "platform/vcl/StdCtrls.h"

class TCanvas;

class TKwRadioButton : public TButtonControl {
  KW_DECLARE_CLASS(TKwRadioButton, TButtonControl)
 public:
  static void PublishMembers(TPublisher<TKwRadioButton>& P);
  static const TMessageTable& StaticMessageTable();
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); }
  explicit TKwRadioButton(TComponent* AOwner);

  // The caption on the right (taRightSide, the default) or on the left.
  TLeftRight Alignment() const { return FAlignment; }
  void SetAlignment(TLeftRight Value) { FAlignment = Value; }
  // Checking one clears the other TKwRadioButtons of the same parent and
  // clicks it (unless clicks are disabled); it also sets TabStop.
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool ClicksDisabled() const { return FClicksDisabled; }
  void SetClicksDisabled(bool Value) { FClicksDisabled = Value; }

  // What a click on the button's window does: checks it.
  virtual void ButtonClicked();

  // How far right of the control's left edge the caption starts, for a font
  // of Size points.
  static int CaptionIndent(int Size);
  // The painting step after the system's: covers the system's text with the
  // control's colour and draws the caption with the control's font into the
  // client rectangle ClientRect (in Canvas coordinates).
  void PaintCaption(TCanvas& Canvas, const TRect& ClientRect) const;

 protected:
  void KeyUp(unsigned short& Key, TShiftState Shift) override;
  void Loaded() override;
  void CMDialogChar(TMessage& Message);

 private:
  bool FChecked = false;
  bool FClicksDisabled = false;
  TLeftRight FAlignment = taRightSide;
};
