#include "platform/qr/QRPreview.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/qr/PageRender.h"
#include "platform/qr/PageStore.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Publisher.h"
#include "platform/vcl/WindowPicture.h"

KW_DEFINE_EVENT_TYPEINFO(TPageAvailableEvent)
KW_DEFINE_ENUM_TYPEINFO(TQRZoomState, "qrZoomToFit", "qrZoomToWidth", "qrZoomOther")
KW_REGISTER_CLASS(TQRPreview)

namespace {

constexpr TColor PreviewBackground = 0x808080;

// The page's size in pixels at 100 %: 96 pixels per inch.
double PixelsAt100(int PageUnits) { return PageUnits * 96.0 / 2540.0; }

void PaintPreview(TControl& Control, TCanvas& Canvas, const TRect& Bounds) {
  static_cast<TQRPreview&>(Control).Paint(Canvas, Bounds);
}

// Registered with the class: a window picture of the preview window shows
// the page.
const bool PainterRegistered = [] {
  RegisterControlPainter(TQRPreview::StaticClass(), &PaintPreview);
  return true;
}();

}  // namespace

void TQRPreview::PublishMembers(TPublisher<TQRPreview>& P) {
  P.Property("Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
  P.Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
  P.Property("Zoom", &TQRPreview::Zoom, &TQRPreview::SetZoom).Default(100);
  P.Property("PageNumber", &TQRPreview::PageNumber, &TQRPreview::SetPageNumber).Default(0);
  P.Property("OnPageAvailable", &TQRPreview::OnPageAvailable, &TQRPreview::OnPageAvailable);
}

TQRPreview::TQRPreview(TComponent* AOwner)
    : TWinControl(AOwner), FRenderer(std::make_unique<TPageRenderer>()) {
  (void)PainterRegistered;
  SetBounds(0, 0, 320, 240);
}

TQRPreview::~TQRPreview() { Unhook(); }

void TQRPreview::Unhook() {
  if (!FStore) return;
  FStore->OnPageAvailable = std::move(FPrevious);
  FPrevious = nullptr;
  FStore = nullptr;
}

void TQRPreview::SetPageStore(TPageStore* Store) {
  if (Store == FStore) return;
  Unhook();
  FStore = Store;
  FPageNumber = 0;
  FScroll = {};
  if (FStore) {
    FPrevious = FStore->OnPageAvailable;
    FStore->OnPageAvailable = [this](int Count) {
      if (FPrevious) FPrevious(Count);
      PageAvailable(Count);
    };
    if (PageCount() > 0) FPageNumber = 1;
  }
  Refit();
}

int TQRPreview::PageCount() const { return FStore ? FStore->PageCount() : 0; }

void TQRPreview::SetPageNumber(int Value) {
  int count = PageCount();
  int page = count == 0 ? 0 : std::clamp(Value, 1, count);
  if (page != FPageNumber) {
    FPageNumber = page;
    ScrollToTopLeft();
    Refit();
  }
}

void TQRPreview::PageAvailable(int Count) {
  if (FPageNumber == 0 && Count > 0) {
    FPageNumber = 1;
    Refit();
  }
  OnPageAvailable(this, Count);
}

void TQRPreview::SetZoom(int Percent) {
  FZoomState = qrZoomOther;
  int zoom = std::clamp(Percent, MinZoom, MaxZoom);
  if (zoom != FZoom) {
    FZoom = zoom;
    SetScrollPos(FScroll);
  }
}

void TQRPreview::ZoomToFit() {
  FZoomState = qrZoomToFit;
  Refit();
}

void TQRPreview::ZoomToWidth() {
  FZoomState = qrZoomToWidth;
  Refit();
}

void TQRPreview::Refit() {
  if (FZoomState == qrZoomOther || !FStore) return;
  const TPageMetafile* page = FStore->Page(std::max(1, FPageNumber));
  if (!page || page->Width() <= 0 || page->Height() <= 0) return;
  double w = PixelsAt100(page->Width()), h = PixelsAt100(page->Height());
  double byWidth = (ClientWidth() - 2 * PageMargin) * 100.0 / w;
  double zoom = byWidth;
  if (FZoomState == qrZoomToFit) zoom = std::min(byWidth, (ClientHeight() - 2 * PageMargin) * 100.0 / h);
  FZoom = std::clamp(static_cast<int>(std::floor(zoom)), MinZoom, MaxZoom);
  SetScrollPos(FScroll);
}

void TQRPreview::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  Refit();
}

TSize TQRPreview::PagePixels() const {
  const TPageMetafile* page = FStore && FPageNumber > 0 ? FStore->Page(FPageNumber) : nullptr;
  if (!page) return {};
  return {std::max(1, static_cast<int>(std::lround(PixelsAt100(page->Width()) * FZoom / 100.0))),
          std::max(1, static_cast<int>(std::lround(PixelsAt100(page->Height()) * FZoom / 100.0)))};
}

TSize TQRPreview::ContentSize() const {
  TSize page = PagePixels();
  if (page.cx == 0) return {};
  return {page.cx + 2 * PageMargin, page.cy + 2 * PageMargin};
}

void TQRPreview::SetScrollPos(TPoint Value) {
  TSize content = ContentSize();
  FScroll.X = std::clamp(Value.X, 0, std::max(0, content.cx - ClientWidth()));
  FScroll.Y = std::clamp(Value.Y, 0, std::max(0, content.cy - ClientHeight()));
}

bool TQRPreview::DrawPage(TBitmap& Target) {
  const TPageMetafile* page = FStore && FPageNumber > 0 ? FStore->Page(FPageNumber) : nullptr;
  if (!page) return false;
  TSize size = PagePixels();
  if (Target.PixelFormat() != pf24bit) Target.SetPixelFormat(pf24bit);
  Target.SetSize(size.cx, size.cy);
  std::memset(Target.ScanLine(0), 0xFF, static_cast<size_t>(Target.BytesPerScanLine()) * size.cy);
  FRenderer->Draw(*page, FStore->Resources(), Target, Rect(0, 0, size.cx, size.cy));
  return true;
}

void TQRPreview::Paint(TCanvas& Canvas, const TRect& Bounds) {
  Canvas.Brush()->SetColor(PreviewBackground);
  Canvas.Brush()->SetStyle(bsSolid);
  Canvas.FillRect(Bounds);
  TBitmap page;
  if (!DrawPage(page)) return;
  Canvas.Draw(Bounds.Left + PageMargin - FScroll.X, Bounds.Top + PageMargin - FScroll.Y, page);
}
