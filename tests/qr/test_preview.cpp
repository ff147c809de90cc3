// The preview control's model: paging (clamped), zoom by number and by
// fitting (kept across resizes), scrolling, pages arriving while the report
// is generated, and the page drawn at the zoom.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/qr/PageRender.h"
#include "platform/qr/PageStore.h"
#include "platform/qr/QRPreview.h"
#include "platform/rtl/CodePages.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/WindowPicture.h"

namespace {

// A4 pages; page n has a black square n centimetres from the left.
void AddPages(TPageStore& Store, int Count) {
  int16_t black = Store.Resources().AddBrush({clBlack, bsSolid});
  int16_t song = Store.Resources().AddFont({GB("宋体"), 12, {}, 134, clBlack});
  int first = Store.PageCount() + 1;
  for (int n = first; n < first + Count; ++n) {
    auto page = std::make_unique<TPageMetafile>(21000, 29700);
    page->AddRectangle({n * 1000, 2000, n * 1000 + 1000, 3000}, -1, black);
    page->AddText({2000, 5000, 19000, 6000}, ptaCenter, song, GB("第") + std::to_string(n) + GB("页 Page"));
    Store.AddPage(std::move(page));
  }
}

struct TPreviewFixture : ::testing::Test {
  TPageStore Store;
  std::unique_ptr<TQRPreview> Preview{NewComponent<TQRPreview>(nullptr)};
};

using QRPreview = TPreviewFixture;

TEST_F(QRPreview, PagingIsClampedToThePagesThereAre) {
  EXPECT_EQ(Preview->PageNumber(), 0);
  Preview->SetPageNumber(5);
  EXPECT_EQ(Preview->PageNumber(), 0) << "no store, no page";
  AddPages(Store, 3);
  Preview->SetPageStore(&Store);
  EXPECT_EQ(Preview->PageNumber(), 1);
  EXPECT_EQ(Preview->PageCount(), 3);

  struct TStep {
    std::function<void(TQRPreview&)> Action;
    int Expected;
    const char* What;
  } steps[] = {
      {[](TQRPreview& p) { p.Next(); }, 2, "next"},
      {[](TQRPreview& p) { p.Next(); }, 3, "next to the last"},
      {[](TQRPreview& p) { p.Next(); }, 3, "next beyond the last"},
      {[](TQRPreview& p) { p.Prior(); }, 2, "prior"},
      {[](TQRPreview& p) { p.First(); }, 1, "first"},
      {[](TQRPreview& p) { p.Prior(); }, 1, "prior before the first"},
      {[](TQRPreview& p) { p.Last(); }, 3, "last"},
      {[](TQRPreview& p) { p.SetPageNumber(0); }, 1, "page 0"},
      {[](TQRPreview& p) { p.SetPageNumber(-4); }, 1, "a negative page"},
      {[](TQRPreview& p) { p.SetPageNumber(99); }, 3, "beyond the count"},
      {[](TQRPreview& p) { p.SetPageNumber(2); }, 2, "page 2"},
  };
  for (const TStep& s : steps) {
    s.Action(*Preview);
    EXPECT_EQ(Preview->PageNumber(), s.Expected) << s.What;
  }
}

TEST_F(QRPreview, ZoomByNumberAndByFitting) {
  AddPages(Store, 2);
  Preview->SetPageStore(&Store);
  // A4 at 96 dpi is 793.7 x 1122.5 pixels at 100 %; the page has a margin
  // of 10 pixels on every side.
  struct TStep {
    std::function<void(TQRPreview&)> Action;
    int Zoom;
    TQRZoomState State;
    TSize Pixels;
    const char* What;
  } steps[] = {
      {[](TQRPreview& p) { p.SetZoom(50); }, 50, qrZoomOther, {397, 561}, "50 %"},
      {[](TQRPreview& p) { p.SetZoom(200); }, 200, qrZoomOther, {1587, 2245}, "200 %"},
      {[](TQRPreview& p) { p.SetZoom(0); }, 1, qrZoomOther, {8, 11}, "below the least"},
      {[](TQRPreview& p) { p.SetZoom(5000); }, 1000, qrZoomOther, {7937, 11225}, "beyond the most"},
      {[](TQRPreview& p) { p.SetBounds(0, 0, 600, 400); p.ZoomToFit(); }, 33, qrZoomToFit, {262, 370},
       "fit page: the height decides"},
      {[](TQRPreview& p) { p.ZoomToWidth(); }, 73, qrZoomToWidth, {579, 819}, "fit width"},
      {[](TQRPreview& p) { p.SetBounds(0, 0, 1000, 800); }, 123, qrZoomToWidth, {976, 1381},
       "fit width follows a resize"},
      {[](TQRPreview& p) { p.ZoomToFit(); }, 69, qrZoomToFit, {548, 775}, "fit page: the height decides again"},
      {[](TQRPreview& p) { p.SetBounds(0, 0, 1000, 2000); }, 123, qrZoomToFit, {976, 1381},
       "fit page: now the width decides"},
      {[](TQRPreview& p) { p.SetZoom(100); }, 100, qrZoomOther, {794, 1123}, "a number ends fitting"},
      {[](TQRPreview& p) { p.SetBounds(0, 0, 300, 300); }, 100, qrZoomOther, {794, 1123},
       "a resize keeps a zoom by number"},
  };
  for (const TStep& s : steps) {
    s.Action(*Preview);
    EXPECT_EQ(Preview->Zoom(), s.Zoom) << s.What;
    EXPECT_EQ(Preview->ZoomState(), s.State) << s.What;
    EXPECT_EQ(Preview->PagePixels(), s.Pixels) << s.What;
    EXPECT_EQ(Preview->ContentSize(), (TSize{s.Pixels.cx + 20, s.Pixels.cy + 20})) << s.What;
  }
}

TEST_F(QRPreview, FittingWaitsForTheFirstPage) {
  Preview->SetBounds(0, 0, 600, 400);
  Preview->SetPageStore(&Store);
  Preview->ZoomToFit();
  EXPECT_EQ(Preview->Zoom(), 100) << "nothing to fit yet";
  AddPages(Store, 1);
  EXPECT_EQ(Preview->Zoom(), 33);
}

TEST_F(QRPreview, ScrollingStaysInsideTheContent) {
  AddPages(Store, 2);
  Preview->SetPageStore(&Store);
  Preview->SetBounds(0, 0, 420, 600);
  Preview->SetZoom(100);  // content 814 x 1143
  struct TCase {
    TPoint Asked, Expected;
  } cases[] = {{{100, 200}, {100, 200}}, {{1000, 1000}, {394, 543}}, {{-5, 50}, {0, 50}}};
  for (const TCase& c : cases) {
    Preview->SetScrollPos(c.Asked);
    EXPECT_EQ(Preview->ScrollPos(), c.Expected) << c.Asked.X << "," << c.Asked.Y;
  }
  Preview->SetZoom(20);  // the content now fits: no scrolling left
  EXPECT_EQ(Preview->ScrollPos(), (TPoint{0, 0}));
  Preview->SetZoom(100);
  Preview->SetScrollPos({50, 60});
  Preview->Next();
  EXPECT_EQ(Preview->ScrollPos(), (TPoint{0, 0})) << "a new page starts at its top left";
}

TEST_F(QRPreview, PagesArriveWhileTheReportIsGenerated) {
  std::vector<int> storeHeard, previewHeard;
  Store.OnPageAvailable = [&](int Count) { storeHeard.push_back(Count); };
  Preview->SetPageStore(&Store);
  struct TListener {
    std::vector<int>* Heard;
    TQRPreview* Expected;
    static void Call(void* Data, TObject* Sender, int Count) {
      auto* self = static_cast<TListener*>(Data);
      EXPECT_EQ(Sender, self->Expected);
      self->Heard->push_back(Count);
    }
  } listener{&previewHeard, Preview.get()};
  Preview->OnPageAvailable = TPageAvailableEvent(&TListener::Call, &listener);

  Store.BeginGeneration();
  EXPECT_EQ(Preview->PageNumber(), 0);
  AddPages(Store, 1);
  EXPECT_EQ(Preview->PageNumber(), 1) << "the first page shows as soon as it exists";
  AddPages(Store, 2);
  Store.EndGeneration();
  EXPECT_EQ(Preview->PageNumber(), 1) << "later pages do not move the view";
  EXPECT_EQ(Preview->PageCount(), 3);
  EXPECT_EQ(previewHeard, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(storeHeard, (std::vector<int>{1, 2, 3})) << "the store's own handler still runs";

  // Unbinding gives the store its handler back.
  Preview->SetPageStore(nullptr);
  EXPECT_EQ(Preview->PageNumber(), 0);
  AddPages(Store, 1);
  EXPECT_EQ(previewHeard.size(), 3u);
  EXPECT_EQ(storeHeard.size(), 4u);
}

TEST_F(QRPreview, DrawsTheShownPageAtTheZoom) {
  AddPages(Store, 2);
  Preview->SetPageStore(&Store);
  Preview->SetZoom(50);
  Preview->Next();
  TBitmap shown;
  ASSERT_TRUE(Preview->DrawPage(shown));
  EXPECT_EQ(shown.Width(), 397);
  EXPECT_EQ(shown.Height(), 561);
  // 50 % of 96 dpi is the page at 48 dpi.
  auto expected = RenderPage(*Store.Page(2), Store.Resources(), 48);
  EXPECT_EQ(shown.SaveToBytes(), expected->SaveToBytes());
  // Page 2's square: 2 to 3 cm from the left, 2 to 3 cm down.
  EXPECT_EQ(shown.Pixel(PageToPixels(2500, 48), PageToPixels(2500, 48)), clBlack);
  EXPECT_EQ(shown.Pixel(PageToPixels(1500, 48), PageToPixels(2500, 48)), clWhite);

  TQRPreview* empty = NewComponent<TQRPreview>(nullptr);
  TBitmap untouched(3, 3);
  EXPECT_FALSE(empty->DrawPage(untouched));
  EXPECT_EQ(untouched.Width(), 3);
  delete empty;
}

TEST_F(QRPreview, PaintsTheScrolledPageOnGrey) {
  // Through the painter registered for the class, as a window picture does.
  AddPages(Store, 1);
  Preview->SetPageStore(&Store);
  Preview->SetBounds(0, 0, 300, 200);
  Preview->SetZoom(50);
  TControlPainter paint = FindControlPainter(TQRPreview::StaticClass());
  ASSERT_NE(paint, nullptr);
  TBitmap page;
  Preview->DrawPage(page);
  for (TPoint scroll : {TPoint{0, 0}, TPoint{40, 25}}) {
    Preview->SetScrollPos(scroll);
    TBitmap client(300, 200);
    paint(*Preview, *client.Canvas(), Rect(0, 0, 300, 200));
    int ox = TQRPreview::PageMargin - scroll.X, oy = TQRPreview::PageMargin - scroll.Y;
    for (int y = 0; y < 200; y += 7)
      for (int x = 0; x < 300; x += 5) {
        bool onPage = x >= ox && y >= oy && x < ox + page.Width() && y < oy + page.Height();
        TColor expected = onPage ? page.Pixel(x - ox, y - oy) : TColor(0x808080);
        ASSERT_EQ(client.Pixel(x, y), expected) << x << "," << y << " scrolled " << scroll.X << "," << scroll.Y;
      }
  }
}

}  // namespace
