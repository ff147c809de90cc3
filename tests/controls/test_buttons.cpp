// The picture buttons and the lookup button bound to an input control.

#include <gtest/gtest.h>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/DynLib.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/FormText.h"
#include "src/controls/F2Button.h"
#include "tests/controls/controls_fixture.h"

using namespace kw_test;

namespace {

class ButtonsTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    UseBuiltBitmora();
  }
  TF2Button* AddF2(const char* Name) {
    auto* b = new TF2Button(Window());
    b->SetName(Name);
    b->SetParent(Window());
    return b;
  }
};

// ---- Pictures by number -----------------------------------------------------------

TEST_F(ButtonsTest, GlyphIndexLoadsThePictureOrShowsTheNumber) {
  const int max = BitmoraMaxBmpID();
  ASSERT_GE(max, 81) << "the library holds every number the windows use";
  struct Case {
    int Index;
    const char* Caption;
    int Frames;  // 0: no picture
  };
  const Case cases[] = {
      {8, "", 1},       // lookup
      {4, "", 2},       // clear-all, with its disabled look
      {9, "", 1},       // date quick-pick
      {47, "", 1},      // delete one row
      {81, "", 1},      // note lookup
      {0, "0", 0},      // no picture asked for
      {max + 1, nullptr, 0},  // beyond the library
      {50, "50", 0},    // a number the library leaves empty
      {-3, "-3", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Index);
    auto* b = new TGSpeedButton(Window());
    b->SetGlyphIndex(7);  // start from another picture: none of it may stay
    b->SetGlyphIndex(c.Index);
    EXPECT_EQ(b->GlyphIndex(), c.Index);
    EXPECT_EQ(b->Caption(), c.Caption ? AnsiString(c.Caption) : std::to_string(c.Index));
    if (c.Frames == 0) {
      EXPECT_TRUE(b->Glyph()->Empty());
    } else {
      ASSERT_FALSE(b->Glyph()->Empty());
      EXPECT_EQ(b->Glyph()->Width(), b->Glyph()->Height() * c.Frames);
      EXPECT_EQ(b->NumGlyphs(), c.Frames);
    }
  }
  EXPECT_TRUE(ui.Questions().empty()) << "no picture problem is an error";
}

TEST_F(ButtonsTest, SameIndexAgainChangesNothing) {
  auto* b = new TGSpeedButton(Window());
  b->SetGlyphIndex(8);
  b->SetCaption("kept");
  b->SetGlyphIndex(8);
  EXPECT_EQ(b->Caption(), "kept");
}

TEST_F(ButtonsTest, PicturesHaveTheirTransparentColourBottomLeft) {
  for (int index : {4, 8, 9, 47, 81}) {
    SCOPED_TRACE(index);
    TBitmap picture;
    ASSERT_TRUE(BitmoraLoadBmp(picture, index));
    TColor clear = picture.Pixel(0, picture.Height() - 1);
    int drawn = 0;
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Height(); ++x) drawn += picture.Pixel(x, y) != clear;
    EXPECT_GT(drawn, 10) << "the first frame shows something";
    EXPECT_LT(drawn, picture.Height() * picture.Height()) << "and leaves a background";
  }
}

TEST_F(ButtonsTest, WithoutTheLibraryButtonsShowTheirNumbers) {
  SetBitmoraFolders({"/nonexistent-folder"});
  EXPECT_EQ(BitmoraMaxBmpID(), 0);
  auto* b = new TGSpeedButton(Window());
  b->SetGlyphIndex(8);
  EXPECT_EQ(b->Caption(), "8");
  EXPECT_TRUE(b->Glyph()->Empty());
  EXPECT_TRUE(ui.Questions().empty());
}

TEST_F(ButtonsTest, ABrokenPictureIsReportedAndLeavesNoImage) {
  SetBitmoraFolders({KW_BITMORA_FIXTURE_DIR});
  struct Case {
    int Index;
    bool Error;
    const char* Caption;
    int Frames;
  };
  const Case cases[] = {
      {1, true, "1", 0},   // damaged file
      {2, false, "2", 0},  // claims success, hands nothing over
      {3, false, "", 3},   // three 1 x 1 frames
      {4, false, "4", 0},  // refused
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Index);
    ui.Reset();
    auto* b = new TGSpeedButton(Window());
    b->SetGlyphIndex(3);
    if (c.Error) ui.ExpectMessage(GB("读取 BMP 发生错误"), mtError).Answer(mrOk);
    b->SetGlyphIndex(c.Index);
    ui.VerifyAllAnswered();
    EXPECT_EQ(ui.Questions().size(), c.Error ? 1u : 0u);
    EXPECT_EQ(b->Caption(), c.Caption);
    EXPECT_EQ(b->Glyph()->Empty(), c.Frames == 0) << "no picture of the number before stays";
    if (c.Frames) EXPECT_EQ(b->NumGlyphs(), c.Frames);
  }
}

// The library's two entry points as any program sees them.
TEST_F(ButtonsTest, LibraryEntryPoints) {
  struct TTarget {
    void* Context;
    int (*Assign)(void*, const void*, unsigned long);
  };
  struct TReceived {
    std::vector<AnsiString> Files;
    int Answer = 1;
    static int Take(void* C, const void* Bytes, unsigned long Length) {
      auto* self = static_cast<TReceived*>(C);
      self->Files.emplace_back(static_cast<const char*>(Bytes), Length);
      return self->Answer;
    }
  };
  HMODULE lib = LoadLibrary("Bitmora.dll", {KW_BITMORA_DIR});
  ASSERT_NE(lib, nullptr) << LastLibraryError();
  auto getMax = reinterpret_cast<int (*)()>(GetProcAddress(lib, "GetMaxBmpID"));
  auto load = reinterpret_cast<int (*)(TTarget*, int)>(GetProcAddress(lib, "LoadBmp"));
  ASSERT_NE(getMax, nullptr);
  ASSERT_NE(load, nullptr);
  const int max = getMax();
  TReceived got;
  TTarget target{&got, &TReceived::Take};
  TColor clear = clNone;
  for (int index : {4, 8, 9, 47, 81, max}) {
    SCOPED_TRACE(index);
    got.Files.clear();
    ASSERT_EQ(load(&target, index), 1);
    ASSERT_EQ(got.Files.size(), 1u);
    TBitmap picture;
    picture.LoadFromBytes(got.Files[0]);
    EXPECT_GT(picture.Height(), 0);
    EXPECT_EQ(picture.Width() % picture.Height(), 0) << "a row of square frames";
    TColor corner = picture.Pixel(0, picture.Height() - 1);
    if (clear == clNone) clear = corner;
    EXPECT_EQ(corner, clear) << "every picture shares its transparent colour";
  }
  for (int index : {0, -1, max + 1, 50}) {
    got.Files.clear();
    EXPECT_EQ(load(&target, index), 0) << index;
    EXPECT_TRUE(got.Files.empty()) << index;
  }
  got.Answer = 0;
  EXPECT_EQ(load(&target, 8), 0) << "a picture the caller refuses is no success";
  EXPECT_EQ(load(nullptr, 8), 0);
  TTarget noAssign{&got, nullptr};
  EXPECT_EQ(load(&noAssign, 8), 0);
  FreeLibrary(lib);
}

// ---- The lookup button's place ----------------------------------------------------

TEST_F(ButtonsTest, F2ButtonStartsFlatWithTheLookupPicture) {
  TF2Button* b = AddF2("btnF2");
  EXPECT_EQ(b->GlyphIndex(), 8);
  EXPECT_TRUE(b->Flat());
  EXPECT_TRUE(b->AutoAlign());
  EXPECT_EQ(b->Gap(), 2);
  EXPECT_EQ(b->Caption(), "");
  EXPECT_FALSE(b->Glyph()->Empty());
}

TEST_F(ButtonsTest, F2ButtonPlacesItselfRightOfTheControl) {
  struct Case {
    TRect Edit;  // left, top, width, height
    int Gap;
    bool AutoAlign;
    TRect Expected;  // left, top, width, height
  };
  const Case cases[] = {
      {{100, 8, 80, 21}, 2, true, {182, 8, 21, 21}},
      {{100, 8, 80, 21}, 0, true, {180, 8, 21, 21}},
      {{10, 40, 120, 25}, 255, true, {385, 40, 25, 25}},
      {{0, 0, 50, 0}, 2, true, {52, 0, 0, 0}},
      {{100, 8, 80, 21}, 2, false, {5, 6, 23, 22}},  // stays where it was put
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Gap);
    TEdit* edit = AddEdit("", c.Edit.Left, c.Edit.Top, c.Edit.Right, c.Edit.Bottom);
    auto* b = new TF2Button(Window());
    b->SetParent(Window());
    b->SetBounds(5, 6, 23, 22);
    b->SetAutoAlign(c.AutoAlign);
    b->SetGap(static_cast<unsigned char>(c.Gap));
    b->SetF2Control(edit);
    EXPECT_EQ(b->F2Control(), edit);
    EXPECT_EQ((TRect{b->Left(), b->Top(), b->Width(), b->Height()}), c.Expected);
    b->SetF2Control(nullptr);
  }
}

TEST_F(ButtonsTest, F2ButtonRealignsOnlyWhenItsPropertiesAreSet) {
  TEdit* edit = AddEdit("edtA", 100, 8, 80, 21);
  TF2Button* b = AddF2("btnA");
  b->SetF2Control(edit);
  edit->SetBounds(10, 30, 60, 25);
  EXPECT_EQ(b->Left(), 182) << "moving the control at run time does not move the button";
  b->SetGap(5);
  EXPECT_EQ((TRect{b->Left(), b->Top(), b->Width(), b->Height()}), (TRect{75, 30, 25, 25}));
  edit->SetLeft(20);
  b->SetGap(5);
  EXPECT_EQ(b->Left(), 75) << "the same gap again changes nothing";
  b->SetAutoAlign(true);
  EXPECT_EQ(b->Left(), 85) << "setting AutoAlign aligns";
  b->SetAutoAlign(false);
  edit->SetLeft(0);
  b->SetGap(1);
  EXPECT_EQ(b->Left(), 85) << "without AutoAlign nothing moves";
}

TEST_F(ButtonsTest, OneLookupButtonPerControl) {
  TEdit* edit = AddEdit("edtA", 100, 8, 80, 21);
  TEdit* other = AddEdit("edtB", 100, 40, 80, 21);
  TF2Button* first = AddF2("btnA");
  TF2Button* second = AddF2("btnB");
  first->SetF2Control(edit);

  ui.ExpectMessage(GB("不能同时有两个 F2Button 指到同一个 Edit."), mtError).Answer(mrOk);
  second->SetF2Control(edit);
  ui.VerifyAllAnswered();
  EXPECT_EQ(second->F2Control(), nullptr) << "the second binding is refused";
  EXPECT_EQ(first->F2Control(), edit) << "the first one stays";
  ASSERT_EQ(ui.Questions().size(), 1u);
  ASSERT_EQ(ui.Questions()[0].Message.Buttons.size(), 1u);
  EXPECT_EQ(ui.Questions()[0].Message.Buttons[0].Kind, mbOK);

  // Binding a button again to its own control is refused silently.
  first->SetBounds(0, 0, 1, 1);
  first->SetF2Control(edit);
  EXPECT_EQ(ui.Questions().size(), 1u);
  EXPECT_EQ(first->Left(), 0) << "nothing changes, not even the place";

  second->SetF2Control(other);
  EXPECT_EQ(second->F2Control(), other);
  EXPECT_EQ(second->Top(), 40);
}

TEST_F(ButtonsTest, FreeingTheControlClearsTheBinding) {
  TEdit* edit = AddEdit("edtA", 100, 8, 80, 21);
  TF2Button* b = AddF2("btnA");
  b->SetF2Control(edit);
  delete edit;
  EXPECT_EQ(b->F2Control(), nullptr);
  TF2Button* c = AddF2("btnB");
  c->SetF2Control(AddEdit("edtB", 0, 0, 10, 10));
  delete c;  // the control no longer tells a freed button anything
  SUCCEED();
}

// ---- The click --------------------------------------------------------------------

TEST_F(ButtonsTest, ClickFocusesTheControlAndAsksForItsLookup) {
  struct Case {
    const char* Name;
    bool Bound;
    bool ControlEnabled;
    bool ControlVisible;
    bool ExpectLookup;
  };
  const Case cases[] = {
      {"enabled", true, true, true, true},
      {"disabled control", true, false, true, false},
      {"hidden control", true, true, false, false},
      {"not bound", false, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TLookupWindow* w = Window();
    w->Lookups.clear();
    TEdit* edit = AddEdit("", 100, 8, 80, 21);
    edit->SetEnabled(c.ControlEnabled);
    edit->SetVisible(c.ControlVisible);
    auto* b = new TF2Button(w);
    b->SetParent(w);
    if (c.Bound) b->SetF2Control(edit);
    std::vector<AnsiString> order;
    TNotifyProbe probe{[&](TObject*) { order.push_back(w->Lookups.empty() ? "click first" : "click after lookup"); }};
    b->OnClick = probe.Event();
    b->Click();
    EXPECT_EQ(order, std::vector<AnsiString>{"click first"}) << "OnClick always runs, before the request";
    if (c.ExpectLookup) {
      EXPECT_EQ(w->Lookups, std::vector<TControl*>{edit});
      EXPECT_EQ(w->WParams, std::vector<WPARAM>{0});
      EXPECT_TRUE(edit->Focused());
    } else {
      EXPECT_TRUE(w->Lookups.empty());
    }
    delete b;
    delete edit;
  }
}

TEST_F(ButtonsTest, TheRequestGoesToTheControlsOwner) {
  // The control is owned by the window but sits on a panel: the request
  // still goes to the window.
  auto* panel = new TWinControl(Window());
  panel->SetParent(Window());
  panel->SetBounds(0, 0, 300, 100);
  auto* edit = new TEdit(Window());
  edit->SetParent(panel);
  auto* b = new TF2Button(Window());
  b->SetParent(panel);
  b->SetF2Control(edit);
  b->Click();
  EXPECT_EQ(Window()->Lookups, std::vector<TControl*>{edit});
}

// ---- Descriptions -----------------------------------------------------------------

TEST_F(ButtonsTest, DescriptionsKeepTheBindingAndNotThePixels) {
  TEdit* edit = AddEdit("edtNoteID", 100, 8, 80, 21);
  TF2Button* b = AddF2("btnNote");
  b->SetGlyphIndex(81);
  b->SetGap(4);
  b->SetF2Control(edit);
  AnsiString text = ComponentToFormText(Window());
  EXPECT_NE(text.find("F2Control = edtNoteID"), AnsiString::npos) << text;
  EXPECT_NE(text.find("GlyphIndex = 81"), AnsiString::npos) << text;
  EXPECT_NE(text.find("Gap = 4"), AnsiString::npos) << text;
  EXPECT_EQ(text.find("Glyph.Data"), AnsiString::npos) << "the picture comes from the library";
  EXPECT_EQ(text.find("Flat"), AnsiString::npos) << "flat is the default";

  std::unique_ptr<TLookupWindow> copy(CreateForm<TLookupWindow>(nullptr));
  ReadFormText(copy.get(), text);
  auto* readBack = ObjectAs<TF2Button>(copy->FindComponent("btnNote"));
  ASSERT_NE(readBack, nullptr);
  EXPECT_EQ(readBack->F2Control(), copy->FindComponent("edtNoteID"));
  EXPECT_EQ(readBack->GlyphIndex(), 81);
  EXPECT_EQ(readBack->Caption(), "");
  EXPECT_EQ((TRect{readBack->Left(), readBack->Top(), readBack->Width(), readBack->Height()}),
            (TRect{184, 8, 21, 21}));
}

}  // namespace
