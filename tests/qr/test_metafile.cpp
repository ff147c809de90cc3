// Page metafiles and the page store: interning of shared resources, record
// layout, page numbering, status and memory accounting.

#include <gtest/gtest.h>

#include <thread>

#include "platform/qr/PageStore.h"
#include "platform/vcl/Bitmap.h"

namespace {

TEST(PageResources, EqualResourcesAreStoredOnce) {
  TPageResources R;
  TPageFont Song{"\xCB\xCE\xCC\xE5", 9, {}, 134, clBlack};
  TPageFont Bold = Song;
  Bold.Style = {fsBold};
  TPageFont Bigger = Song;
  Bigger.Size = 12;
  EXPECT_EQ(R.AddFont(Song), 0);
  EXPECT_EQ(R.AddFont(Bold), 1);
  EXPECT_EQ(R.AddFont(Song), 0);
  EXPECT_EQ(R.AddFont(Bigger), 2);
  EXPECT_EQ(R.FontCount(), 3);
  EXPECT_EQ(R.Font(1), Bold);
  EXPECT_EQ(R.Font(2).Size, 12);

  EXPECT_EQ(R.AddPen({clBlack, 26, psSolid}), 0);
  EXPECT_EQ(R.AddPen({clBlack, 52, psSolid}), 1);
  EXPECT_EQ(R.AddPen({clBlack, 26, psSolid}), 0);
  EXPECT_EQ(R.AddBrush({clRed, bsSolid}), 0);
  EXPECT_EQ(R.AddBrush({clRed, bsClear}), 1);
  EXPECT_EQ(R.Brush(1).Style, bsClear);

  auto Picture = std::make_shared<TBitmap>(4, 4);
  auto Other = std::make_shared<TBitmap>(4, 4);
  EXPECT_EQ(R.AddPicture(Picture), 0);
  EXPECT_EQ(R.AddPicture(Other), 1);
  EXPECT_EQ(R.AddPicture(Picture), 0);
  EXPECT_EQ(R.AddPicture(nullptr), -1);
  EXPECT_EQ(R.Picture(0).get(), Picture.get());
}

TEST(PageResources, OutOfRangeNumbersAnswerDefaults) {
  TPageResources R;
  R.AddFont({"Arial", 10, {}, DEFAULT_CHARSET, clBlue});
  for (int16_t Bad : {int16_t(-1), int16_t(1), int16_t(300)}) {
    EXPECT_EQ(R.Font(Bad), TPageFont{});
    EXPECT_EQ(R.Pen(Bad), TPagePen{});
    EXPECT_EQ(R.Brush(Bad), TPageBrush{});
    EXPECT_EQ(R.Picture(Bad), nullptr);
  }
}

TEST(PageMetafile, RecordsKeepOrderKindsAndTexts) {
  TPageMetafile Page(21000, 29700);
  Page.AddRectangle({100, 100, 20900, 29600}, 0, -1);
  Page.AddText({1000, 2000, 5000, 2500}, ptaCenter | ptaVCenter, 3, "\xB9\xCC\xB6\xA8\xD7\xCA\xB2\xFA");
  Page.AddLine(1000, 2600, 5000, 2600, 1);
  Page.AddText({1000, 2700, 5000, 3200}, ptaRight, 0, "", 2);
  Page.AddText({1000, 3300, 5000, 3800}, ptaLeft, 0, "1,234.50");
  Page.AddEllipse({0, 0, 10, 20}, -1, 4);
  Page.AddPicture({0, 0, 21000, 29700}, 7);

  const auto& R = Page.Records();
  ASSERT_EQ(R.size(), 7u);
  EXPECT_EQ(R[0].Kind, TPageRecordKind::Rectangle);
  EXPECT_EQ(R[0].Brush, -1);
  EXPECT_EQ(R[1].Kind, TPageRecordKind::Text);
  EXPECT_EQ(R[1].Flags, ptaCenter | ptaVCenter);
  EXPECT_EQ(R[1].Font, 3);
  EXPECT_EQ(Page.TextOf(R[1]), "\xB9\xCC\xB6\xA8\xD7\xCA\xB2\xFA");
  EXPECT_EQ(R[2].Kind, TPageRecordKind::Line);
  EXPECT_EQ(R[2].Box, (TPageRect{1000, 2600, 5000, 2600}));
  EXPECT_EQ(Page.TextOf(R[3]), "");
  EXPECT_EQ(R[3].Brush, 2);
  EXPECT_EQ(Page.TextOf(R[4]), "1,234.50");
  EXPECT_EQ(std::string(Page.TextData(R[4]), R[4].TextLength), "1,234.50");
  EXPECT_EQ(Page.TextOf(R[0]), "");  // not a text record
  EXPECT_EQ(R[5].Kind, TPageRecordKind::Ellipse);
  EXPECT_EQ(R[6].Picture, 7);
  EXPECT_EQ(Page.PlainText(), "\xB9\xCC\xB6\xA8\xD7\xCA\xB2\xFA\n\n1,234.50\n");
}

TEST(PageMetafile, AVoucherPageStaysCompact) {
  // 80 short texts and 40 lines: what a voucher page holds.
  TPageMetafile Page(21000, 14850);
  for (int i = 0; i < 80; ++i)
    Page.AddText({i * 100, i * 50, i * 100 + 2000, i * 50 + 400}, ptaLeft, int16_t(i % 4), "TC001-0000" + std::to_string(i));
  for (int i = 0; i < 40; ++i) Page.AddLine(0, i * 300, 21000, i * 300, 0);
  size_t Before = Page.MemoryUsed();
  Page.Shrink();
  EXPECT_LE(Page.MemoryUsed(), Before);
  EXPECT_LT(Page.MemoryUsed(), 8192u);
  EXPECT_GT(Page.MemoryUsed(), 120 * sizeof(TPageRecord));
}

TEST(PageUnits, ConversionsRoundBothWays) {
  struct Case { TPageUnit Page; int Dpi; int Pixels; };
  const Case Cases[] = {
      {2540, 96, 96}, {21000, 96, 794}, {29700, 200, 2339}, {0, 300, 0}, {-2540, 72, -72}, {13, 96, 0}, {14, 96, 1},
  };
  for (const auto& C : Cases) {
    EXPECT_EQ(PageToPixels(C.Page, C.Dpi), C.Pixels) << C.Page << " at " << C.Dpi;
  }
  EXPECT_EQ(PixelsToPage(96, 96), 2540);
  EXPECT_EQ(PixelsToPage(1, 96), 26);
  EXPECT_EQ(PixelsToPage(5, 0), 0);
  EXPECT_EQ(MMToPage(210), 21000);
  EXPECT_EQ(MMToPage(-0.004), 0);
  EXPECT_EQ(MMToPage(0.126), 13);
}

TEST(PageStore, StatusCountsAndNumbering) {
  TPageStore Store;
  EXPECT_EQ(Store.Status(), TPageStoreStatus::Ready);
  std::vector<int> Announced;
  Store.OnPageAvailable = [&](int Count) {
    Announced.push_back(Count);
    EXPECT_NE(Store.Page(Count), nullptr);  // readable from inside the notification
  };
  Store.BeginGeneration();
  EXPECT_EQ(Store.Status(), TPageStoreStatus::Busy);
  for (int i = 0; i < 3; ++i) {
    auto Page = std::make_unique<TPageMetafile>(21000, 29700);
    Page->AddText({0, 0, 100, 100}, 0, 0, "page " + std::to_string(i + 1));
    EXPECT_EQ(Store.AddPage(std::move(Page)), i + 1);
  }
  Store.EndGeneration();
  EXPECT_EQ(Store.Status(), TPageStoreStatus::Finished);
  EXPECT_EQ(Announced, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(Store.PageCount(), 3);
  for (int Bad : {0, -1, 4}) EXPECT_EQ(Store.Page(Bad), nullptr) << Bad;
  EXPECT_EQ(Store.Page(2)->PlainText(), "page 2\n");
  EXPECT_GT(Store.MemoryUsed(), 3 * sizeof(TPageMetafile));

  // A page replaced later (the total page count patched in) keeps its number,
  // and the old one stays readable for whoever still holds it.
  const TPageMetafile* Old = Store.Page(2);
  auto Patched = std::make_unique<TPageMetafile>(21000, 29700);
  Patched->AddText({0, 0, 100, 100}, 0, 0, "page 2 of 3");
  Store.ReplacePage(2, std::move(Patched));
  EXPECT_EQ(Store.Page(2)->PlainText(), "page 2 of 3\n");
  EXPECT_EQ(Old->PlainText(), "page 2\n");
  Store.ReplacePage(9, std::make_unique<TPageMetafile>());  // ignored
  EXPECT_EQ(Store.PageCount(), 3);

  Store.Resources().AddFont({"Arial", 9, {}, 0, 0});
  Store.Cancel();
  EXPECT_TRUE(Store.Cancelled());
  Store.Clear();
  EXPECT_EQ(Store.Status(), TPageStoreStatus::Ready);
  EXPECT_EQ(Store.PageCount(), 0);
  EXPECT_EQ(Store.Resources().FontCount(), 0);
  EXPECT_FALSE(Store.Cancelled());
  Store.Cancel();
  Store.BeginGeneration();  // a new run starts uncancelled
  EXPECT_FALSE(Store.Cancelled());
}

TEST(PageStore, ReaderSeesConsistentPagesWhileGenerating) {
  TPageStore Store;
  Store.BeginGeneration();
  std::thread Writer([&] {
    for (int i = 0; i < 500; ++i) {
      auto Page = std::make_unique<TPageMetafile>(100, 100);
      Page->AddText({0, 0, 1, 1}, 0, Store.Resources().AddFont({"F", double(i % 5 + 8), {}, 0, 0}), std::to_string(i + 1));
      Store.AddPage(std::move(Page));
    }
    Store.EndGeneration();
  });
  int Seen = 0;
  while (Store.Status() != TPageStoreStatus::Finished || Seen < Store.PageCount()) {
    int Count = Store.PageCount();
    for (int n = Seen + 1; n <= Count; ++n) ASSERT_EQ(Store.Page(n)->PlainText(), std::to_string(n) + "\n");
    Seen = Count;
  }
  Writer.join();
  EXPECT_EQ(Seen, 500);
  EXPECT_EQ(Store.Resources().FontCount(), 5);
}

}  // namespace
