#include "src/controls/ExtPage.h"

#include <vector>

#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Publisher.h"
#include "platform/vcl/WindowPicture.h"

KW_DEFINE_EVENT_TYPEINFO(TDrawTabEvent)
KW_REGISTER_CLASS(TExtPageControl)

void TExtPageControl::PublishMembers(TPublisher<TExtPageControl>& P) {
  P.Property("OnDrawTab", &TExtPageControl::OnDrawTab, &TExtPageControl::OnDrawTab);
}

TExtPageControl::TExtPageControl(TComponent* AOwner) : TPageControl(AOwner) {}

TTabSheet* TExtPageControl::PageOfTab(int TabIndex) const {
  if (TabIndex < 0) return nullptr;
  int tab = 0;
  for (int i = 0; i < PageCount(); ++i) {
    TTabSheet* page = Pages(i);
    if (!page->TabVisible()) continue;
    if (tab == TabIndex) return page;
    ++tab;
  }
  return nullptr;
}

void TExtPageControl::DrawTab(TCanvas& Canvas, int TabIndex, const TRect& Rect, bool Active) {
  TCanvas* previous = FCanvas;
  FCanvas = &Canvas;
  try {
    if (OnDrawTab.Assigned()) {
      OnDrawTab(this, TabIndex, Rect, Active);
    } else {
      TRect r = Rect;
      Canvas.SetFont(Font());
      TFontStyles style = Canvas.Font()->Style();
      if (Active) {
        r = {r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
        Canvas.Font()->SetColor(clCaptionText);
        style.Include(fsBold);
        Canvas.Brush()->SetColor(clActiveCaption);
      } else {
        Canvas.Font()->SetColor(clInactiveCaptionText);
        style.Exclude(fsBold);
        Canvas.Brush()->SetColor(clInactiveCaption);
      }
      Canvas.Font()->SetStyle(style);
      Canvas.Brush()->SetStyle(bsSolid);
      Canvas.FillRect(r);
      if (!Active) r.Top += 2;
      if (TTabSheet* page = PageOfTab(TabIndex)) {
        Canvas.Brush()->SetStyle(bsClear);
        Canvas.DrawText(page->Caption(), r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
      }
    }
  } catch (...) {
    FCanvas = previous;
    throw;
  }
  FCanvas = previous;
}

namespace {

// The classic page frame and tab shapes, then every visible tab's face drawn
// by the control, at the places the frame gave the tabs.
void PaintExtPageControl(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& pc = static_cast<TExtPageControl&>(C);
  std::vector<AnsiString> captions;
  for (int i = 0; i < pc.PageCount(); ++i)
    if (pc.Pages(i)->TabVisible()) captions.push_back(pc.Pages(i)->Caption());
  const int active = pc.TabIndex();
  DrawTabs(Canvas, C, R, captions, active);
  Canvas.SetFont(C.Font());
  const int tabHeight = Canvas.TextHeight("Ag") + 6;
  int x = R.Left + 2;
  for (int i = 0; i < static_cast<int>(captions.size()); ++i) {
    Canvas.SetFont(C.Font());
    const int w = Canvas.TextWidth(captions[static_cast<size_t>(i)]) + 12;
    TRect face{x + 2, R.Top + 3, x + w - 2, R.Top + tabHeight};
    if (i == active) face = {x, R.Top + 1, x + w, R.Top + tabHeight};
    pc.DrawTab(Canvas, i, face, i == active);
    x += w;
  }
}

[[maybe_unused]] const bool kPainterRegistered =
    (RegisterControlPainter(TExtPageControl::StaticClass(), &PaintExtPageControl), true);

}  // namespace
