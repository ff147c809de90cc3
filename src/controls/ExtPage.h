#pragma once
// A page control whose tabs the control draws itself (owner-drawn tabs), so
// that the tab captions use the control's font and charset. OnDrawTab
// replaces the default drawing.

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Graphics.h"

class TCanvas;
class TExtPageControl;

// Control, visible tab index, the tab's rectangle, whether it is the active one.
using TDrawTabEvent = TEvent<TExtPageControl*, int, const TRect&, bool>;
KW_DECLARE_TYPEINFO(TDrawTabEvent)

// The tab-control window style that makes the control draw its tabs.
inline constexpr unsigned TCS_OWNERDRAWFIXED = 0x2000;

class TExtPageControl : public TPageControl {
  KW_DECLARE_CLASS(TExtPageControl, TPageControl)
 public:
  static void PublishMembers(TPublisher<TExtPageControl>& P);
  explicit TExtPageControl(TComponent* AOwner);

  // The style bits the control's window is made with.
  unsigned WindowStyle() const { return TCS_OWNERDRAWFIXED; }
  // The canvas tabs are drawn on; only set while the control is drawn.
  TCanvas* Canvas() const { return FCanvas; }
  // The page whose tab is at TabIndex when pages with hidden tabs are
  // skipped; nullptr when there is none.
  TTabSheet* PageOfTab(int TabIndex) const;
  // Draws one tab: OnDrawTab when assigned, else the caption-bar look.
  void DrawTab(TCanvas& Canvas, int TabIndex, const TRect& Rect, bool Active);

  TDrawTabEvent OnDrawTab;

 private:
  TCanvas* FCanvas = nullptr;
};
