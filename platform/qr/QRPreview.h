#pragma once
// The preview control: shows one page of a page store at a zoom, pages
// through the store and follows it while generation is still adding pages.
// The window around it (tool bar, page number box, zoom list) drives it
// through this model; the control draws its page with the page renderer.
//
// The page is laid out at screen resolution (96 pixels per inch) times the
// zoom, with a margin of grey around it; the scroll position says which part
// of that picture the client area shows.

#include <functional>
#include <memory>

#include "platform/vcl/Controls.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/Graphics.h"

class TBitmap;
class TCanvas;
class TPageStore;
class TPageRenderer;

template <class C>
class TPublisher;

// Sender and the number of pages there are now.
using TPageAvailableEvent = TEvent<TObject*, int>;
KW_DECLARE_TYPEINFO(TPageAvailableEvent)

// How the zoom was chosen: fitting modes are kept when the control is resized.
enum TQRZoomState { qrZoomToFit, qrZoomToWidth, qrZoomOther };
KW_DECLARE_TYPEINFO(TQRZoomState)

class TQRPreview : public TWinControl {
  KW_DECLARE_CLASS(TQRPreview, TWinControl)
 public:
  static void PublishMembers(TPublisher<TQRPreview>& P);
  explicit TQRPreview(TComponent* AOwner);
  ~TQRPreview() override;

  // Pixels of grey around the page.
  static constexpr int PageMargin = 10;
  static constexpr int MinZoom = 1;
  static constexpr int MaxZoom = 1000;

  // ---- The pages -------------------------------------------------------------
  // Binding hooks the store's page notification (a handler already there is
  // still called first); binding another store or nullptr puts that handler
  // back, so bindings are undone in the reverse order of making them. The
  // store must outlive the binding.
  TPageStore* PageStore() const { return FStore; }
  void SetPageStore(TPageStore* Store);
  int PageCount() const;
  // The page shown: 1..PageCount, 0 while there are none. Setting clamps
  // (below 1 gives 1, above the count gives the count) and scrolls to the
  // top left when the page changes.
  int PageNumber() const { return FPageNumber; }
  void SetPageNumber(int Value);
  void First() { SetPageNumber(1); }
  void Prior() { SetPageNumber(FPageNumber - 1); }
  void Next() { SetPageNumber(FPageNumber + 1); }
  void Last() { SetPageNumber(PageCount()); }

  // Told by the bound store, on the generating thread, after each page;
  // shows the first page as soon as it exists and fires OnPageAvailable.
  void PageAvailable(int Count);
  TPageAvailableEvent OnPageAvailable;

  // ---- Zoom ------------------------------------------------------------------
  // Percent of the page's real size at 96 pixels per inch, MinZoom..MaxZoom.
  int Zoom() const { return FZoom; }
  // A zoom by number; the state becomes qrZoomOther.
  void SetZoom(int Percent);
  TQRZoomState ZoomState() const { return FZoomState; }
  // The largest zoom at which the whole page, or its width, fits the client
  // area with its margin; kept when the control is resized.
  void ZoomToFit();
  void ZoomToWidth();

  // ---- What is shown ----------------------------------------------------------
  // The page's picture at the zoom, without the margin (0 x 0 without a page).
  TSize PagePixels() const;
  // The margin and page together: what the scroll bars range over.
  TSize ContentSize() const;
  // The top-left corner of the content shown, clamped to the content.
  TPoint ScrollPos() const { return FScroll; }
  void SetScrollPos(TPoint Value);
  void ScrollToTopLeft() { SetScrollPos({0, 0}); }

  // The shown page at the zoom: Target becomes PagePixels() large and white
  // under the page. False (Target untouched) without a page.
  bool DrawPage(TBitmap& Target);
  // The client area as it looks: grey, the page at the margin, scrolled.
  void Paint(TCanvas& Canvas, const TRect& Bounds);

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

 private:
  void Refit();
  void Unhook();

  TPageStore* FStore = nullptr;
  // The store's handler before ours: called first, put back on unbinding.
  std::function<void(int)> FPrevious;
  int FPageNumber = 0;
  int FZoom = 100;
  TQRZoomState FZoomState = qrZoomOther;
  TPoint FScroll;
  std::unique_ptr<TPageRenderer> FRenderer;
};
