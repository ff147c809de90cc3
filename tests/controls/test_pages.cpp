// The page control with owner-drawn tabs, and the spin edit that filters signs.

#include <gtest/gtest.h>

#include "platform/vcl/Application.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/WindowPicture.h"
#include "src/controls/ExtPage.h"
#include "src/controls/KwSpin.h"
#include "tests/controls/controls_fixture.h"

using namespace kw_test;

namespace {

class PagesTest : public ControlsTest {
 protected:
  TExtPageControl* AddPages(std::vector<std::pair<const char*, bool>> Pages) {
    auto* pc = new TExtPageControl(Window());
    pc->SetParent(Window());
    pc->SetBounds(10, 10, 300, 150);
    for (auto [caption, tabVisible] : Pages) {
      auto* sheet = new TTabSheet(Window());
      sheet->SetPageControl(pc);
      sheet->SetCaption(caption);
      sheet->SetTabVisible(tabVisible);
    }
    return pc;
  }
};

// Records every OnDrawTab call.
struct TTabLog {
  struct TCall {
    int TabIndex;
    TRect Rect;
    bool Active;
    bool HadCanvas;
  };
  std::vector<TCall> Calls;
  static void Call(void* Data, TExtPageControl* Control, int TabIndex, const TRect& Rect, bool Active) {
    static_cast<TTabLog*>(Data)->Calls.push_back({TabIndex, Rect, Active, Control->Canvas() != nullptr});
  }
  TDrawTabEvent Event() { return TDrawTabEvent(&Call, this); }
};

// The columns [first, last] that hold pixels of Colour in the rows of R.
std::pair<int, int> ColourSpan(const TBitmap& B, const TRect& R, TColor Colour) {
  int first = -1, last = -1;
  const int want = ColorToRGB(Colour);
  for (int x = R.Left; x < R.Right; ++x)
    for (int y = R.Top; y < R.Bottom; ++y)
      if (ColorToRGB(B.Pixel(x, y)) == want) {
        if (first < 0) first = x;
        last = x;
        break;
      }
  return {first, last};
}

// ---- Owner-drawn tabs ---------------------------------------------------------------

TEST_F(PagesTest, TabsAreOwnerDrawn) {
  TExtPageControl* pc = AddPages({{"a", true}});
  EXPECT_NE(pc->WindowStyle() & 0x2000u, 0u);
}

TEST_F(PagesTest, TabIndexCountsVisibleTabsOnly) {
  TExtPageControl* pc = AddPages({{"General", true}, {"Hidden", false}, {"Print", true}, {"System", true}});
  const std::pair<int, const char*> cases[] = {{0, "General"}, {1, "Print"}, {2, "System"}, {3, nullptr}, {-1, nullptr}};
  for (auto [tab, caption] : cases) {
    TTabSheet* page = pc->PageOfTab(tab);
    if (caption)
      EXPECT_EQ(page ? page->Caption() : AnsiString("<none>"), caption) << tab;
    else
      EXPECT_EQ(page, nullptr) << tab;
  }
}

TEST_F(PagesTest, DefaultTabFaces) {
  // The second page hides its tab: tab 1 draws the third page's caption.
  TExtPageControl* pc = AddPages({{"W", true}, {"W", false}, {"WWWWWWWW", true}});
  pc->Font()->SetHeight(-14);
  const TRect r{10, 10, 150, 40};
  struct Case {
    bool Active;
    TColor Face;
    TColor Text;
    TRect Filled;  // what the face colour covers
  };
  const Case cases[] = {
      {true, clActiveCaption, clCaptionText, {12, 12, 148, 38}},
      {false, clInactiveCaption, clInactiveCaptionText, {10, 10, 150, 40}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Active);
    TBitmap picture(200, 60);
    picture.Canvas()->Brush()->SetColor(clWhite);
    picture.Canvas()->FillRect({0, 0, 200, 60});
    pc->DrawTab(*picture.Canvas(), 1, r, c.Active);
    EXPECT_EQ(ColorToRGB(picture.Pixel(c.Filled.Left, c.Filled.Top)), ColorToRGB(c.Face));
    EXPECT_EQ(ColorToRGB(picture.Pixel(c.Filled.Right - 1, c.Filled.Bottom - 1)), ColorToRGB(c.Face));
    EXPECT_EQ(ColorToRGB(picture.Pixel(c.Filled.Left - 1, c.Filled.Top - 1)), ColorToRGB(clWhite))
        << "nothing outside the face";
    // The caption: as wide as the third page's, centred in the face.
    TCanvas measure(&picture);
    measure.SetFont(pc->Font());
    TFontStyles style = measure.Font()->Style();
    if (c.Active) style.Include(fsBold);
    measure.Font()->SetStyle(style);
    const int width = measure.TextWidth("WWWWWWWW");
    auto [first, last] = ColourSpan(picture, c.Filled, c.Text);
    ASSERT_GE(first, 0) << "a caption was drawn";
    EXPECT_NEAR(last - first + 1, width, 3);
    EXPECT_NEAR((first + last + 1) / 2, (c.Filled.Left + c.Filled.Right) / 2, 2);
  }
  EXPECT_EQ(pc->Canvas(), nullptr) << "the canvas is only there while drawing";
}

TEST_F(PagesTest, OnDrawTabReplacesTheDefault) {
  TExtPageControl* pc = AddPages({{"a", true}, {"b", true}});
  TTabLog log;
  pc->OnDrawTab = log.Event();
  TBitmap picture(100, 40);
  picture.Canvas()->Brush()->SetColor(clWhite);
  picture.Canvas()->FillRect({0, 0, 100, 40});
  pc->DrawTab(*picture.Canvas(), 1, {5, 5, 50, 25}, true);
  ASSERT_EQ(log.Calls.size(), 1u);
  EXPECT_EQ(log.Calls[0].TabIndex, 1);
  EXPECT_EQ(log.Calls[0].Rect, (TRect{5, 5, 50, 25}));
  EXPECT_TRUE(log.Calls[0].Active);
  EXPECT_TRUE(log.Calls[0].HadCanvas);
  EXPECT_EQ(ColorToRGB(picture.Pixel(10, 10)), ColorToRGB(clWhite)) << "no default face";
}

TEST_F(PagesTest, DrawingTheWindowDrawsEveryVisibleTab) {
  TExtPageControl* pc = AddPages({{"General", true}, {"Hidden", false}, {"Print", true}});
  pc->SetActivePage(pc->Pages(2));
  TTabLog log;
  pc->OnDrawTab = log.Event();
  TBitmap picture;
  DrawWindowToBitmap(Window(), picture);
  ASSERT_EQ(log.Calls.size(), 2u);
  EXPECT_EQ(log.Calls[0].TabIndex, 0);
  EXPECT_FALSE(log.Calls[0].Active);
  EXPECT_EQ(log.Calls[1].TabIndex, 1);
  EXPECT_TRUE(log.Calls[1].Active);
  EXPECT_LT(log.Calls[0].Rect.Right, log.Calls[1].Rect.Right) << "left to right";
}

// ---- Sign filtering ---------------------------------------------------------------

TEST_F(PagesTest, SpinEditKeepsASignOnlyFirst) {
  struct Case {
    const char* Start;
    const char* Typed;
    const char* Result;
    int Changes;  // OnChange calls while typing
  };
  const Case cases[] = {
      {"12", "-", "12", 1},   // the sign is taken out again
      {"12", "+", "12", 1},
      {"", "-", "-", 1},      // first character: stays
      {"", "+5", "+5", 2},
      {"-5", "+", "-5", 1},
      {"-5", "-", "-5", 1},
      {"", "7-3", "73", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Start) + " + " + c.Typed);
    auto* spin = new TKwSpinEdit(Window());
    spin->SetParent(Window());
    spin->SetText(c.Start);
    spin->SetFocus();
    spin->SetSelStart(static_cast<int>(spin->Text().size()));
    TNotifyProbe changes;
    spin->OnChange = changes.Event();
    ASSERT_TRUE(TypeText(c.Typed));
    Application->ProcessMessages();
    EXPECT_EQ(spin->Text(), c.Result);
    EXPECT_EQ(changes.Calls, c.Changes);
    delete spin;
  }
}

TEST_F(PagesTest, SpinEditReportsNoEmptyText) {
  auto* spin = new TKwSpinEdit(Window());
  spin->SetParent(Window());
  TNotifyProbe changes;
  spin->OnChange = changes.Event();
  const std::pair<const char*, int> steps[] = {{"12", 1}, {"", 1}, {"  ", 1}, {"3", 2}, {"3-4", 3}};
  for (auto [text, calls] : steps) {
    spin->SetText(text);
    EXPECT_EQ(changes.Calls, calls) << "'" << text << "'";
  }
  EXPECT_EQ(spin->Text(), "3") << "a sign set from code is filtered too";
}

}  // namespace
